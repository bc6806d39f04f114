#pragma once
// Test helpers for the web code: a small HTTP server on 127.0.0.1 (a free port) that
// answers from canned replies on its own thread, an address where nothing listens, a
// private temporary folder that shows whether every temporary file was deleted, SOAP
// envelopes, and a test base that points the web weather sources at the server.

#include "ImpWeathHttp.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <pugixml.hpp>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TWebTestServer {
 public:
  using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;
  // The last request's body and headers, and the number of requests so far.
  struct TRequest {
    std::string Body, SoapAction, ContentType;
    int Count = 0;
    std::string Target, Form;  // path and query as sent; form fields sorted by name as "name=value&..."
  };

  TWebTestServer() {
    Port = FServer.bind_to_any_port("127.0.0.1");
    const auto Dispatch = [this](const httplib::Request& Req, httplib::Response& Res) {
      THandler Handler;
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        FLast = Req;
        ++FCount;
        // Of the prefixes of one path the longest sorts last.
        for (const auto& [Prefix, H] : FRoutes)
          if (Req.path.rfind(Prefix, 0) == 0) Handler = H;
      }
      if (Handler) return Handler(Req, Res);
      Res.status = 404;
      Res.set_content("<html><body>Not Found</body></html>", "text/html");
    };
    FServer.Get(".*", Dispatch);
    FServer.Post(".*", Dispatch);
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    // A server stopped before it runs would not stop.
    for (int I = 0; I < 2500 && !FServer.is_running(); ++I) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ~TWebTestServer() {
    Stopping = true;
    FServer.stop();
    FThread.join();
  }

  QString Base() const { return QStringLiteral("http://127.0.0.1:%1").arg(Port); }
  QString Url() const { return Base() + QStringLiteral("/service"); }
  void Route(const std::string& PathPrefix, THandler Handler) {
    std::lock_guard<std::mutex> Lock(FMutex);
    FRoutes[PathPrefix] = std::move(Handler);
  }
  // Every path that begins with PathPrefix gets Body.
  void Serve(const std::string& PathPrefix, const std::string& Body) {
    Route(PathPrefix, [Body](const httplib::Request&, httplib::Response& Res) { Res.set_content(Body, "text/plain"); });
  }
  TRequest Last() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    std::string Form;
    for (const auto& [Name, Part] : FLast.files) Form += (Form.empty() ? "" : "&") + Name + "=" + Part.content;
    return {
        FLast.body, FLast.get_header_value("SOAPAction"), FLast.get_header_value("Content-Type"), FCount, FLast.target,
        Form};
  }
  std::string LastTarget() const { return Last().Target; }
  std::string LastForm() const { return Last().Form; }
  // For a handler that must not answer in time: waits until the server goes (5 s at most).
  void Stall() const {
    for (int I = 0; I < 500 && !Stopping; ++I) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  // For a handler whose reply must trickle in: a byte every 100 ms until the server goes
  // (of a type the server does not compress, which would hold the bytes back).
  void Drip(httplib::Response& Res) const {
    Res.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& Sink) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      return !Stopping && Sink.write("x", 1);
    });
  }

  // Every path that begins with PathPrefix gets Bytes as they are, said to be in Encoding
  // ("gzip"); an empty Encoding sends no such header.
  void ServeEncoded(const std::string& PathPrefix, const std::string& Bytes, const std::string& Encoding) {
    Route(PathPrefix, [Bytes, Encoding](const httplib::Request&, httplib::Response& Res) {
      Res.set_content(Bytes, "application/octet-stream");  // a type the server leaves as it is
      if (!Encoding.empty()) Res.set_header("Content-Encoding", Encoding);
    });
  }

  int Port = -1;
  std::atomic<bool> Stopping{false};

 private:
  httplib::Server FServer;
  std::thread FThread;
  mutable std::mutex FMutex;
  std::map<std::string, THandler> FRoutes;
  httplib::Request FLast;
  int FCount = 0;
};

// A server below HTTP on a loopback port: the listening socket and the thread that serves
// it. A server made from it starts its thread in its constructor and stops it in its
// destructor (Stop), before its own members go.
class TRawSocketServer {
 public:
  TRawSocketServer(const TRawSocketServer&) = delete;
  TRawSocketServer& operator=(const TRawSocketServer&) = delete;

  int Port = -1;

 protected:
  TRawSocketServer() {
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Length = sizeof(Address);
    FListener = socket(AF_INET, SOCK_STREAM, 0);
    if (bind(FListener, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) == 0 && listen(FListener, 4) == 0 &&
        getsockname(FListener, reinterpret_cast<sockaddr*>(&Address), &Length) == 0)
      Port = ntohs(Address.sin_port);
  }
  ~TRawSocketServer() { close(FListener); }
  void Stop() {
    FStopping = true;
    if (FThread.joinable()) FThread.join();
  }
  // Waits up to 20 ms for Socket to be readable.
  static bool Readable(int Socket) {
    pollfd Wait{Socket, POLLIN, 0};
    return poll(&Wait, 1, 20) > 0;
  }
  // The next client, or -1 when none came within 20 ms.
  int Accept() const { return Readable(FListener) ? accept(FListener, nullptr, nullptr) : -1; }
  // Reads one request: its header and the body its Content-Length announces.
  bool ReadRequest(int Client) {
    std::string Request;
    size_t End = std::string::npos;
    for (;;) {
      if (End == std::string::npos) End = Request.find("\r\n\r\n");
      if (End != std::string::npos) {
        std::string Head = Request.substr(0, End);
        for (char& C : Head) C = char(std::tolower(static_cast<unsigned char>(C)));
        const size_t At = Head.find("content-length:");
        const size_t Length = At == std::string::npos ? 0 : std::stoul(Head.substr(At + 15));
        if (Request.size() >= End + 4 + Length) return true;
      }
      if (FStopping) return false;
      if (!Readable(Client)) continue;
      char Buffer[4096];
      const ssize_t Got = recv(Client, Buffer, sizeof Buffer, 0);
      if (Got <= 0) return false;
      Request.append(Buffer, size_t(Got));
    }
  }

  int FListener = -1;
  std::atomic<bool> FStopping{false};
  std::thread FThread;
};

// A server below HTTP: it answers every connection with Start and then a byte every
// 100 ms, never ending the line, until the client goes or the server does.
class TEndlessLineServer : public TRawSocketServer {
 public:
  explicit TEndlessLineServer(std::string Start) : FStart(std::move(Start)) {
    FThread = std::thread([this] { Run(); });
  }
  ~TEndlessLineServer() { Stop(); }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/service").arg(Port); }

 private:
  void Run() {
    while (!FStopping) {
      const int Client = Accept();
      if (Client < 0) continue;
      ReadRequest(Client);
      bool Open = send(Client, FStart.data(), FStart.size(), MSG_NOSIGNAL) == ssize_t(FStart.size());
      while (Open && !FStopping) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Open = send(Client, "a", 1, MSG_NOSIGNAL) == 1;
      }
      close(Client);
    }
  }

  std::string FStart;
};

// A server below HTTP that sends canned bytes as they are: the Nth request gets
// Replies[N] (the last one again when they run out), piece by piece, each piece after
// its delay. After a reply the connection is closed when Close is set, and otherwise
// kept open for the next request (a reply that promised more than it sent thus hangs).
class TRawReplyServer : public TRawSocketServer {
 public:
  struct TPiece {
    std::string Bytes;
    int DelayMs = 0;
  };
  struct TReply {
    std::vector<TPiece> Pieces;
    bool Close = true;
  };
  explicit TRawReplyServer(std::vector<TReply> Replies) : FReplies(std::move(Replies)) {
    FThread = std::thread([this] { Run(); });
  }
  // A reply sent in one piece.
  TRawReplyServer(const std::string& Reply, bool Close = true) : TRawReplyServer({{{{Reply, 0}}, Close}}) {}
  ~TRawReplyServer() { Stop(); }
  QString Url(const char* Path = "/service") const {
    return QStringLiteral("http://127.0.0.1:%1").arg(Port) + QLatin1String(Path);
  }
  int Requests() const { return FRequests; }

 private:
  void Run() {
    while (!FStopping) {
      const int Client = Accept();
      if (Client < 0) continue;
      bool Open = true;
      while (Open && !FStopping && ReadRequest(Client)) {
        const TReply& Reply = FReplies[std::min<size_t>(size_t(FRequests++), FReplies.size() - 1)];
        for (const TPiece& Piece : Reply.Pieces) {
          for (int Waited = 0; Waited < Piece.DelayMs && !FStopping; Waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          if (!Open || FStopping) break;
          Open = send(Client, Piece.Bytes.data(), Piece.Bytes.size(), MSG_NOSIGNAL) == ssize_t(Piece.Bytes.size());
        }
        if (Reply.Close) break;
      }
      close(Client);
    }
  }

  std::vector<TReply> FReplies;
  std::atomic<int> FRequests{0};
};

// A server that answers every request through one handler.
struct TSoapTestServer : TWebTestServer {
  using THandler = std::function<void(TSoapTestServer& Self, httplib::Response&)>;
  explicit TSoapTestServer(THandler Handler) {
    if (Handler) Route("/", [this, Handler](const httplib::Request&, httplib::Response& Res) { Handler(*this, Res); });
  }
};

// A handler that answers with Reply (HTTP status Status).
inline TSoapTestServer::THandler Answer(std::string Reply, int Status = 200) {
  return [Reply = std::move(Reply), Status](TSoapTestServer&, httplib::Response& Res) {
    Res.status = Status;
    Res.set_content(Reply, "text/xml");
  };
}

// An address where connections are refused: a port bound but never listening, kept for
// the whole run so that no other server can take it.
inline QString RefusingUrl() {
  static const int Port = [] {
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Length = sizeof(Address);
    const int Socket = socket(AF_INET, SOCK_STREAM, 0);
    const bool Bound = bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) == 0 &&
                       getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length) == 0;
    return Bound ? int(ntohs(Address.sin_port)) : 1;
  }();
  return QStringLiteral("http://127.0.0.1:%1/service").arg(Port);
}

// Points the temporary folder at a fresh private folder while it lives.
class TPrivateTempDir {
 public:
  TPrivateTempDir() : FOld(qgetenv("TMPDIR")) { qputenv("TMPDIR", FDir.path().toLocal8Bit()); }
  ~TPrivateTempDir() { FOld.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", FOld); }
  int FileCount() const { return int(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden).size()); }

 private:
  QByteArray FOld;
  QTemporaryDir FDir;
};

// Text compressed with zlib: WindowBits 15 + 16 gives gzip, 15 the zlib format, -15 raw
// deflate data. The stream is flushed after each line, as a server that sends its reply
// line by line does; Flushed, when given, gets the length of the compressed data at each
// of these points.
inline std::string Compressed(const std::string& Text, int WindowBits = 15 + 16,
                              std::vector<size_t>* Flushed = nullptr) {
  z_stream Z{};
  deflateInit2(&Z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits, 8, Z_DEFAULT_STRATEGY);
  std::string Out;
  const auto Put = [&](const std::string& Piece, int Flush) {
    Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Piece.data()));
    Z.avail_in = uInt(Piece.size());
    do {
      char Buffer[4096];
      Z.next_out = reinterpret_cast<Bytef*>(Buffer);
      Z.avail_out = sizeof Buffer;
      deflate(&Z, Flush);
      Out.append(Buffer, sizeof Buffer - Z.avail_out);
    } while (Z.avail_out == 0);
  };
  for (size_t Start = 0; Start < Text.size();) {
    const size_t End = std::min(Text.find('\n', Start), Text.size() - 1) + 1;
    Put(Text.substr(Start, End - Start), Z_SYNC_FLUSH);
    if (Flushed) Flushed->push_back(Out.size());
    Start = End;
  }
  Put(std::string(), Z_FINISH);
  deflateEnd(&Z);
  return Out;
}

// The bytes of a fixture under tests/data/web or tests/data/soap.
inline std::string ReadTestFile(const char* Name, const char* Dir = "soap/") {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/") + QLatin1String(Dir) + QLatin1String(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}
inline std::string WebFixture(const char* Name) { return ReadTestFile(Name, "web/"); }

// Text inside Depth nested elements, as a hostile reply may send it.
inline std::string DeeplyNested(const std::string& Text, int Depth = 1000000) {
  std::string Nested;
  Nested.reserve(size_t(Depth) * 7 + Text.size());
  for (int I = 0; I < Depth; ++I) Nested += "<b>";
  Nested += Text;
  for (int I = 0; I < Depth; ++I) Nested += "</b>";
  return Nested;
}

inline std::string SoapEnvelopeText(const std::string& BodyContent) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
         "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body>" +
         BodyContent + "</soap:Body></soap:Envelope>";
}

inline std::string SoapFaultText(const std::string& Message) {
  return SoapEnvelopeText("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" + Message +
                          "</faultstring></soap:Fault>");
}

// The first element inside the Body of a request.
inline pugi::xml_node RequestCall(pugi::xml_document& Doc, const std::string& Body) {
  Doc.load_string(Body.c_str());
  return Doc.document_element().child("SOAP-ENV:Body").first_child();
}

// The sites at /wu, /iem and /msu of the local server, the station-list script at
// /script/getStations.php, and a temporary folder of the test's own that must be empty
// again when the test ends.
class TWebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", TempDir.path().toLocal8Bit());
    qunsetenv(StationScriptEnvVar);
    Hosts.WeatherSite = Server.Base() + "/wu";
    Hosts.Mesonet = Server.Base() + "/iem";
    Hosts.StateNetwork = Server.Base() + "/msu";
    Hosts.StationScript = Server.Base() + "/script/getStations.php";
    Options.TimeoutMs = 20000;
  }
  void TearDown() override {
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty()) << "a temporary file was left behind";
    qputenv("TMPDIR", FOldTmpDir);
    qunsetenv(StationScriptEnvVar);
  }
  // A new importer aimed at the local server.
  template <typename T>
  T Make() const {
    T Importer;
    Importer.Hosts = Hosts;
    Importer.HttpOptions = Options;
    return Importer;
  }

  TWebTestServer Server;
  QTemporaryDir TempDir;
  TWeatherWebHosts Hosts;
  THttpOptions Options;

 private:
  QByteArray FOldTmpDir;
};
