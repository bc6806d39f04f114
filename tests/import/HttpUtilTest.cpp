#include "HttpUtil.h"

#include "WebTestServer.h"

#include <string>
#include <vector>

namespace {

// Generous time-outs, so that a busy machine does not fail the tests; the time-out case
// sets its own short one.
THttpOptions TestOptions(long TimeoutMs = 20000, long StallMs = 20000) {
  THttpOptions Options;
  Options.ConnectTimeoutMs = 20000;
  Options.TimeoutMs = TimeoutMs;
  Options.StallTimeoutMs = StallMs;
  Options.MaxReplySize = 64 * 1024;
  return Options;
}

TEST(HttpUtil, GetFollowsRedirectsAndPostSendsEveryField) {
  TWebTestServer Server;
  Server.Serve("/page", "caf\xC3\xA9\r\nline 2\r\n");
  Server.Route("/moved", [](const httplib::Request&, httplib::Response& Res) { Res.set_redirect("/page?from=moved"); });
  QString Content, Error = QStringLiteral("untouched");
  ASSERT_TRUE(HttpGet(Server.Base() + "/moved", Content, Error, TestOptions()));
  EXPECT_EQ(Content, QStringLiteral(u"café\r\nline 2\r\n"));
  EXPECT_EQ(Error, QStringLiteral("untouched"));
  EXPECT_EQ(Server.LastTarget(), "/page?from=moved");

  // Repeated names are all sent, in order; a value may hold "=" and any text.
  ASSERT_TRUE(HttpPost(Server.Base() + "/page", {"var=a", "id=x=y", "var=b", QStringLiteral(u"name=Müller"), "empty"},
                       Content, Error, TestOptions()));
  EXPECT_EQ(Server.LastForm(), "empty=&id=x=y&name=M\xC3\xBCller&var=a&var=b");
}

TEST(HttpUtil, FailuresGiveAClearMessage) {
  TWebTestServer Server;
  Server.Route("/slow", [&Server](const httplib::Request&, httplib::Response&) { Server.Stall(); });
  Server.Route("/drip", [&Server](const httplib::Request&, httplib::Response& Res) { Server.Drip(Res); });
  // Promises 1000 bytes and breaks off after 10.
  Server.Route("/truncated", [](const httplib::Request&, httplib::Response& Res) {
    Res.set_content_provider(1000, "text/plain", [](size_t Offset, size_t, httplib::DataSink& Sink) {
      return Offset == 0 && Sink.write("0123456789", 10);
    });
  });
  Server.Serve("/big", std::string(100 * 1024, 'x'));
  // No length announced: the limit must hold while the body streams in.
  Server.Route("/endless", [](const httplib::Request&, httplib::Response& Res) {
    Res.set_chunked_content_provider("text/plain", [](size_t Offset, httplib::DataSink& Sink) {
      if (Offset >= 4 * 1024 * 1024) return Sink.done(), true;
      const std::string Chunk(8192, 'y');
      return Sink.write(Chunk.data(), Chunk.size());
    });
  });
  Server.Route("/forbidden", [](const httplib::Request&, httplib::Response& Res) { Res.status = 403; });
  // Replies that stop early: in a chunk, before the last chunk, before the announced
  // length, and a compressed stream read until the server closed; and a header that has
  // ended, with its body never coming.
  const std::string Ok = "HTTP/1.1 200 OK\r\n";
  TRawReplyServer InChunk(Ok + "Transfer-Encoding: chunked\r\n\r\n5\r\n12345\r\n20\r\nabc");
  TRawReplyServer NoLastChunk(Ok + "Transfer-Encoding: chunked\r\n\r\n5\r\n12345\r\n");
  TRawReplyServer Closed(Ok + "Connection: close\r\nContent-Length: 500\r\n\r\n0123456789");
  const std::string Gzip = Compressed("2016-03-01,55,33,0.12\n");
  TRawReplyServer GzipClosed(Ok + "Content-Encoding: gzip\r\n\r\n" + Gzip.substr(0, Gzip.size() - 4));
  TRawReplyServer NoBody(Ok + "Content-Length: 100\r\n\r\n", false);
  // Interim replies, each a whole header, while the real one never comes.
  TRawReplyServer::TReply Interim{{}, false};
  for (int I = 0; I < 20; ++I) Interim.Pieces.push_back({"HTTP/1.1 102 Processing\r\n\r\n", I == 0 ? 0 : 100});
  TRawReplyServer Processing({Interim});
  const std::string CutEarly = "The reply was cut short (transfer closed with outstanding read data remaining). " +
                               std::string("Check the Internet connection");
  const std::string CutClosed = "The reply was cut short (transfer closed with 490 bytes remaining to read). " +
                                std::string("Check the Internet connection");

  const QString Base = Server.Base();
  const struct {
    QString URL;
    const char* Expected;  // part of the message
    bool TlsHint = false;
    long TimeoutMs = 20000, StallMs = 20000;
  } Cases[] = {
      {Base + "/nothing-here", "HTTP/1.1 404 Not Found"},
      {Base + "/forbidden", "HTTP/1.1 403 Forbidden"},
      {RefusingUrl(), "Failed to connect"},
      // A server that accepts and never answers, and one that sends a byte now and then.
      {Base + "/slow",
       "No data arrived from the server for 0.3 s. Check the Internet connection, or try again later.", false,
       20000, 300},
      {Base + "/drip",
       "The server did not complete its reply within 0.6 s. Check the Internet connection, or try again later.",
       false, 600, 300},
      {Base + "/truncated", "transfer closed with 990 bytes remaining"},
      {InChunk.Url(), CutEarly.c_str()},
      {NoLastChunk.Url(), CutEarly.c_str()},
      {Closed.Url(), CutClosed.c_str()},
      {GzipClosed.Url(), "The reply was cut short. Check the Internet connection, or try again later."},
      {NoBody.Url(), "The server did not complete its reply within 0.8 s. Check the Internet connection", false, 800},
      {Processing.Url(), "The server did not complete its reply within 0.8 s. Check the Internet connection", false, 800},
      {Base + "/big", "The reply is too large (more than 65536 bytes)."},
      {Base + "/endless", "The reply is too large (more than 65536 bytes)."},
      {"https" + Base.mid(4) + "/page", "SSL", true},  // TLS spoken to a plain server
      {QStringLiteral("file:///etc/hostname"), "not supported"},
      {QStringLiteral("http://bad host/"), "URL"},
  };
  for (const auto& C : Cases) {
    QString Content = QStringLiteral("old"), Error;
    EXPECT_FALSE(HttpGet(C.URL, Content, Error, TestOptions(C.TimeoutMs, C.StallMs))) << C.URL.toStdString();
    EXPECT_TRUE(Content.isEmpty());
    EXPECT_TRUE(Error.contains(QLatin1String(C.Expected))) << Error.toStdString();
    EXPECT_EQ(Error.endsWith(QLatin1String(HttpTlsHint)), C.TlsHint) << Error.toStdString();
  }
}

TEST(HttpUtil, CompressedRepliesCountOnlyWhenTheyArriveWhole) {
  const std::string Days =
      "2016-03-01,55,33,0.12\n2016-03-02,48,31,0\n2016-03-03,60,40,0\n2016-03-04,61,41,0\n2016-03-05,62,42,0\n";
  const std::string Sixth = "2016-03-06,63,43,0\n";
  std::vector<size_t> Flushed;
  const std::string Gzip = Compressed(Days, 15 + 16, &Flushed);
  std::string BadCheck = Gzip;
  BadCheck[BadCheck.size() - 8] ^= 1;  // the first byte of the CRC
  const std::string Retry = " Check the Internet connection, or try again later.";
  const std::string CutShort = "The reply was cut short." + Retry;
  const std::string Damaged = "The reply is damaged: its compressed data cannot be read." + Retry;
  const struct {
    std::string Bytes, Encoding;
    std::string Result;  // the content, or the message
  } Cases[] = {
      {Gzip, "gzip", Days},
      {Compressed(Days, 15), "deflate", Days},
      {Compressed(Days, -15), "deflate", Days},  // without the zlib header
      {Gzip + Compressed(Sixth), "x-gzip", Days + Sixth},  // two gzip members
      {Compressed(Compressed(Days), 15), "gzip, deflate", Days},
      // Cut after the second day, where the server had flushed its stream.
      {Gzip.substr(0, Flushed[1]), "gzip", CutShort},
      {Gzip.substr(0, Gzip.size() - 8), "gzip", CutShort},  // no trailer
      {Gzip.substr(0, Gzip.size() - 3), "gzip", CutShort},
      {Compressed(Days, -15).substr(0, Flushed[1]), "deflate", CutShort},
      {BadCheck, "gzip", Damaged},
      {Gzip + "garbage", "gzip", Damaged},
      {Compressed(std::string(100 * 1024, 'x')), "gzip", "The reply is too large (more than 65536 bytes)."},
      {Gzip, "compress", "The reply is in an encoding this program cannot read (compress)."},
      // Zero bytes or line ends after the stream are padding; other bytes are not.
      {Gzip + std::string(4, '\0'), "gzip", Days},
      {Gzip + "\r\n", "gzip", Days},
      {Gzip + Compressed(Sixth) + "\n", "gzip", Days + Sixth},
      {Gzip + "\x1f", "gzip", CutShort},  // a second member that stops at once
      {Gzip, "GZIP", Days},
      {Days, "identity", Days},
      {Days, "gzip", Damaged},  // said to be compressed but is not
      {"", "gzip", ""},  // an empty reply is whole whatever its encoding
  };
  TWebTestServer Server;
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Encoding + " " + C.Result);
    Server.ServeEncoded("/days", C.Bytes, C.Encoding);
    QString Content = QStringLiteral("old"), Error;
    const bool Ok = HttpGet(Server.Base() + "/days", Content, Error, TestOptions());
    if (!C.Result.starts_with("The reply")) {
      EXPECT_TRUE(Ok) << Error.toStdString();
      EXPECT_EQ(Content.toStdString(), C.Result);
    } else {
      EXPECT_FALSE(Ok);
      EXPECT_EQ(Content, "");
      EXPECT_EQ(Error.toStdString(), C.Result);
    }
  }
  // The same cut stream sent in chunks, with no length announced.
  Server.Route("/chunked", [&](const httplib::Request&, httplib::Response& Res) {
    Res.set_header("Content-Encoding", "gzip");
    Res.set_chunked_content_provider("application/octet-stream", [&](size_t, httplib::DataSink& Sink) {
      Sink.write(Gzip.data(), Flushed[1]);
      Sink.done();
      return true;
    });
  });
  QString Content, Error;
  EXPECT_FALSE(HttpGet(Server.Base() + "/chunked", Content, Error, TestOptions()));
  EXPECT_EQ(Error.toStdString(), CutShort);
  // Text that the server may compress on its own reads as it was.
  Server.Serve("/text", Days);
  ASSERT_TRUE(HttpGet(Server.Base() + "/text", Content, Error, TestOptions()));
  EXPECT_EQ(Content.toStdString(), Days);
}

// A server that sends its header a byte at a time and never ends it is not silent: it is
// given up at the time limit, and the message says what it did.
TEST(HttpUtil, AHeaderThatNeverEndsRunsToTheTimeLimit) {
  for (const char* Start : {"HTTP/1.1 200 OK\r\nX-Endless: ", "HTTP/1.1 200 "}) {
    SCOPED_TRACE(Start);
    TEndlessLineServer Server(Start);
    QString Content = QStringLiteral("old"), Error;
    EXPECT_FALSE(HttpGet(Server.Url(), Content, Error, TestOptions(2000, 500)));
    EXPECT_EQ(Content, "");
    EXPECT_EQ(Error, "The server kept sending the header of its reply and did not end it within 2 s. "
                     "Check the Internet connection, or try again later.");
  }
}

TEST(HttpUtil, CancelStopsAWaitingTransferAtOnce) {
  TWebTestServer Server;
  Server.Route("/slow", [&Server](const httplib::Request&, httplib::Response&) { Server.Stall(); });
  TNetProgress Progress;
  THttpOptions Options = TestOptions();
  Options.Progress = &Progress;
  QString Content, Error;
  const auto Start = std::chrono::steady_clock::now();
  std::thread Canceller([&Progress] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Progress.Cancel();
  });
  EXPECT_FALSE(HttpGet(Server.Base() + "/slow", Content, Error, Options));
  Canceller.join();
  EXPECT_EQ(Error, QLatin1String(MsgNetCancelled));
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(3));
}

}  // namespace
