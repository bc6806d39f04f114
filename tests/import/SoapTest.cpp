// The SOAP client and the soil data and forecast service bindings, against a local
// server: the requests they write, the replies they read and the failures they report.

#include "SDMTabularService_proxy.h"
#include "WebTestServer.h"
#include "ndfdXML_proxy.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

std::unique_ptr<TSDMTabularServiceSoap_Proxy> SdmProxy(const QString& Url, const TSoapTransportOptions& Options = {}) {
  RegisterHttpTransport();
  return CreateSDMTabularServiceSoap(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Url, Options);
}

std::string ChildTexts(pugi::xml_node Node) {
  std::string Texts;
  for (pugi::xml_node Child : Node.children()) Texts += std::string(Child.name()) + "=" + Child.child_value() + " ";
  return Texts;
}

}  // namespace

TEST(SoapProxy, AddressOverrideFormatsAndEscapes) {
  EXPECT_EQ(SdmProxy(QStringLiteral("http://127.0.0.1:1/x"))->Address(), QStringLiteral("http://127.0.0.1:1/x"));
  EXPECT_FALSE(CreateSDMTabularServiceSoap(QStringLiteral("XML:"), QStringLiteral("HTTP:"), QString()));
  EXPECT_FALSE(CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("SMTP:"), QString()));
  EXPECT_EQ(SoapEscape(QString::fromUtf8("a<b>&'\"\x01\t\r\n\xC3\xA9")),
            QString::fromUtf8("a&lt;b&gt;&amp;&apos;&quot;\t&#13;\n\xC3\xA9"));
}

TEST(SdmBinding, RunQueryIsDocumentLiteralAndKeepsTheDataSetAsText) {
  std::string Reply = ReadTestFile("sdm_surveys.xml");
  TSoapTestServer Server([&Reply](TSoapTestServer&, httplib::Response& Res) { Res.set_content(Reply, "text/xml"); });
  const auto Proxy = SdmProxy(Server.Url());
  RunQuery_Type Request;
  Request.Query = QStringLiteral("SELECT 1 WHERE a < 'x&y'");
  const auto Result = Proxy->RunQuery(Request);

  const TWebTestServer::TRequest Sent = Server.Last();
  EXPECT_EQ(Sent.SoapAction, "\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx/RunQuery\"");
  EXPECT_EQ(Sent.ContentType, "text/xml; charset=utf-8");
  pugi::xml_document Doc;
  const pugi::xml_node Call = RequestCall(Doc, Sent.Body);
  EXPECT_STREQ(Call.name(), "RunQuery");
  EXPECT_STREQ(Call.attribute("xmlns").value(), SDMTabularServiceUri);
  EXPECT_STREQ(Call.child_value("Query"), "SELECT 1 WHERE a < 'x&y'");
  ASSERT_TRUE(Result);
  EXPECT_TRUE(Result->RunQueryResult.schema.Data.startsWith(QStringLiteral("<xs:schema")));
  pugi::xml_document Diffgram;
  ASSERT_TRUE(Diffgram.load_string(Result->RunQueryResult.diffgram.Data.toUtf8().constData()));
  EXPECT_STREQ(Diffgram.document_element().child("NewDataSet").child("Table").child_value("areasymbol"), "IN001");

  // An empty query has no Query element; a reply without a diffgram leaves it empty;
  // one without a response gives no object.
  Reply = SoapEnvelopeText("<RunQueryResponse><RunQueryResult><xs:schema/></RunQueryResult></RunQueryResponse>");
  const auto NoDiffgram = Proxy->RunQuery(RunQuery_Type());
  EXPECT_FALSE(RequestCall(Doc, Server.Last().Body).child("Query"));
  ASSERT_TRUE(NoDiffgram);
  EXPECT_TRUE(NoDiffgram->RunQueryResult.diffgram.Data.isEmpty());
  Reply = SoapEnvelopeText("<Other/>");
  EXPECT_FALSE(Proxy->RunQuery(RunQuery_Type()));
}

TEST(NdfdBinding, EveryOperationSendsRpcEncodedArgumentsAndReadsItsResult) {
  // Results under every name; dwmlOut is a multi-reference value.
  TSoapTestServer Server(Answer(SoapEnvelopeText(
      "<ns1:R xmlns:ns1=\"n\"><dwmlOut href=\"#a\"/><dwmlByDayOut>&lt;dwml/&gt;</dwmlByDayOut><dwGmlOut>C</dwGmlOut>"
      "<listLatLonOut>D</listLatLonOut><listCityNamesOut>E</listCityNamesOut></ns1:R><v id=\"a\">A</v>")));
  RegisterHttpTransport();
  const auto P = CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Server.Url());
  const QDateTime T(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
  weatherParametersType Params;
  Params.maxt = Params.wgust = true;
  const struct {
    const char *Operation, *Result;
    std::function<QString()> Call;
    const char* Arguments = "";  // the call's child elements, when given
  } Cases[] = {
      {"NDFDgen", "A",
       [&] { return P->NDFDgen(1, 2, productType::productType_time_series, T, T, unitType::e, Params); },
       "latitude=1 longitude=2 product=time-series startTime=2024-05-01T06:00:00Z endTime=2024-05-01T06:00:00Z "
       "Unit=e "},
      {"NDFDgenByDay", "<dwml/>",
       [&] { return P->NDFDgenByDay(40.68, -84.925, T.date(), 5, unitType::m, formatType::formatType__24_hourly); },
       "latitude=40.68 longitude=-84.925 startDate=2024-05-01 numDays=5 Unit=m format=24 hourly "},
      {"NDFDgenLatLonList", "A",
       [&] { return P->NDFDgenLatLonList("1,2", productType::glance, T, T, unitType::m, Params); }},
      {"NDFDgenByDayLatLonList", "<dwml/>",
       [&] { return P->NDFDgenByDayLatLonList("1,2", T.date(), 2, unitType::e, formatType::formatType__12_hourly); }},
      {"GmlLatLonList", "C",
       [&] { return P->GmlLatLonList("1,2", T, featureTypeType::Ndfd_KmlPoint, unitType::e, Params); }},
      {"GmlTimeSeries", "C",
       [&] {
         return P->GmlTimeSeries("1,2", T, T, compTypeType::Between, featureTypeType::Forecast_GmlObs, unitType::e,
                                 "maxt");
       }},
      {"LatLonListSubgrid", "D", [&] { return P->LatLonListSubgrid(1, 2, 3, 4, 0.5); }},
      {"LatLonListLine", "D", [&] { return P->LatLonListLine(1, 2, 3, 4); }},
      {"LatLonListZipCode", "D", [&] { return P->LatLonListZipCode("46733"); }, "zipCodeList=46733 "},
      {"LatLonListSquare", "D", [&] { return P->LatLonListSquare(1, 2, 3, 4, 5); }},
      {"CornerPoints", "D", [&] { return P->CornerPoints(sectorType::puertori); }, "sector=puertori "},
      {"LatLonListCityNames", "E", [&] { return P->LatLonListCityNames(displayLevelType::displayLevelType__1234); },
       "displayLevel=1234 "},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Operation);
    EXPECT_EQ(C.Call(), QString::fromLatin1(C.Result));
    EXPECT_EQ(Server.Last().SoapAction, std::string("\"") + NdfdXmlWsdlUri + "#" + C.Operation + "\"");
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_EQ(std::string(Call.name()), std::string("ns1:") + C.Operation);
    const std::string Flags = ChildTexts(Call.child("weatherParameters"));
    EXPECT_EQ(ChildTexts(Call).substr(0, std::strlen(C.Arguments)), C.Arguments);
    // Enumerations carry their schema type; the weather parameters are a record of 54 flags.
    if (Call.child("Unit")) {
      EXPECT_STREQ(Call.child("Unit").attribute("xsi:type").value(), "types:unitType");
    }
    EXPECT_STREQ(Doc.document_element().attribute("xmlns:types").value(), NdfdDwmlSchemaUri);
    if (!Flags.empty()) {
      EXPECT_EQ(std::count(Flags.begin(), Flags.end(), ' '), 54);
      EXPECT_EQ(Flags.substr(0, 21), "maxt=true mint=false ");
      EXPECT_EQ(Flags.substr(Flags.size() - 11), "wgust=true ");
    }
  }
}

// Every way a call can fail gives an ESoapError with a clear message. The calls keep the
// transport's own time limit, so a busy machine cannot turn a failure into a time-out.
TEST(SoapFailures, EachFailureThrowsAClearMessage) {
  const std::string Good = ReadTestFile("sdm_surveys.xml");
  const auto Chunked = [](TSoapTestServer&, httplib::Response& Res) {
    Res.set_chunked_content_provider("text/xml", [](size_t Offset, httplib::DataSink& Sink) {
      if (Offset >= 320 * 1024) return Sink.done(), true;
      const std::string Block(16384, ' ');
      return Sink.write(Block.data(), Block.size());
    });
  };
  const struct {
    const char* Name;
    TSoapTestServer::THandler Handler;
    const char* Message;  // part of the message
  } Cases[] = {
      {"fault", Answer(SoapFaultText("Invalid query: syntax error near &apos;x&apos;"), 500),
       "The web service reported an error: Invalid query: syntax error near 'x'"},
      {"fault with status 200", Answer(SoapFaultText("Busy")), "reported an error: Busy"},
      {"not found", Answer("<html>Not Found</html>", 404), "answered with HTTP status 404."},
      {"garbled", Answer("\x01\x02garbage{}"), "is not valid XML"},
      {"truncated", Answer(Good.substr(0, Good.size() / 2)), "is not valid XML"},
      {"not SOAP", Answer("<html><body/></html>"), "is not a SOAP message."},
      {"empty", Answer(""), "sent an empty reply."},
      {"empty, said to be compressed",
       [](TSoapTestServer&, httplib::Response& Res) {
         Res.set_content("", "application/octet-stream");
         Res.set_header("Content-Encoding", "gzip");
       },
       "sent an empty reply."},
      {"closed before its announced end",
       [](TSoapTestServer&, httplib::Response& Res) {
         Res.set_content_provider(1000, "text/xml", [](size_t Offset, size_t, httplib::DataSink& Sink) {
           return Offset == 0 && Sink.write("<soap:Env", 9);
         });
       },
       "was cut short (transfer closed with 991 bytes remaining to read). Check the Internet connection"},
      {"oversized", Answer(std::string(300000, ' ')), "is larger than 65536 bytes."},
      {"oversized without length", Chunked, "is larger than 65536 bytes."},
      {"refused", nullptr, "Unable to reach the web service at http://127.0.0.1:"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSoapTestServer Server(C.Handler);
    TSoapTransportOptions Options;
    Options.MaxReplyBytes = 65536;
    try {
      SdmProxy(C.Handler ? Server.Url() : RefusingUrl(), Options)->RunQuery(RunQuery_Type());
      ADD_FAILURE() << "no exception";
    } catch (const ESoapError& E) {
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(C.Message))) << E.what();
    }
  }
}

// A compressed reply counts only when its stream ends where it should, even when what
// arrived is a whole SOAP message.
TEST(SoapFailures, CompressedRepliesCutShortAreRefused) {
  const std::string Gzip = Compressed(ReadTestFile("sdm_surveys.xml"));
  const struct {
    std::string Bytes;
    const char* Message;  // part of the message; empty for a reply that is read
  } Cases[] = {
      {Gzip, ""},
      {Gzip.substr(0, Gzip.size() - 8), "was cut short. Check the Internet connection, or try again later."},
      {Gzip.substr(0, Gzip.size() / 2), "was cut short. Check the Internet connection, or try again later."},
      {Gzip + std::string(3, '\0'), ""},  // padding after the stream
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Bytes.size());
    TSoapTestServer Server([&C](TSoapTestServer&, httplib::Response& Res) {
      Res.set_content(C.Bytes, "application/octet-stream");
      Res.set_header("Content-Encoding", "gzip");
    });
    try {
      const auto Reply = SdmProxy(Server.Url())->RunQuery(RunQuery_Type());
      EXPECT_STREQ(C.Message, "");
      EXPECT_FALSE(Reply->RunQueryResult.diffgram.Data.isEmpty());
    } catch (const ESoapError& E) {
      EXPECT_TRUE(*C.Message && E.Message().contains(QString::fromUtf8(C.Message))) << E.what();
    }
  }
}

// A server that never answers, or drips its reply, is given up at the call's limits, which
// the message names; a cancelled call sends nothing. Only these cases get short limits.
TEST(SoapFailures, StalledSlowAndCancelledCallsStopAtTheirLimit) {
  const struct {
    const char* Name;
    TSoapTestServer::THandler Handler;
    int TimeoutMs;
    int StallTimeoutMs;
    bool Cancelled;
    const char* Message;  // part of the message
  } Cases[] = {
      {"silent", [](TSoapTestServer& Self, httplib::Response&) { Self.Stall(); }, 300, 30000, false,
       "did not answer in time (0.3 s)."},
      {"stalled", [](TSoapTestServer& Self, httplib::Response&) { Self.Stall(); }, 600, 300, false,
       "sent no data for 0.3 s. Check the Internet connection, or try again later."},
      {"dripping", [](TSoapTestServer& Self, httplib::Response& Res) { Self.Drip(Res); }, 600, 300, false,
       "did not answer in time (0.6 s). Check the Internet connection, or try again later."},
      {"cancelled", [](TSoapTestServer& Self, httplib::Response&) { Self.Stall(); }, 600, 300, true,
       MsgNetCancelled},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSoapTestServer Server(C.Handler);
    TSoapTransportOptions Options;
    Options.TimeoutMs = C.TimeoutMs;
    Options.StallTimeoutMs = C.StallTimeoutMs;
    TNetProgress Cancelled;
    Cancelled.Cancel();
    if (C.Cancelled) Options.Progress = &Cancelled;
    try {
      SdmProxy(Server.Url(), Options)->RunQuery(RunQuery_Type());
      ADD_FAILURE() << "no exception";
    } catch (const ESoapError& E) {
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(C.Message))) << E.what();
    }
  }
}

// A header dripped a byte at a time is data: the call runs to its time limit and says so.
TEST(SoapFailures, AHeaderThatNeverEndsRunsToTheTimeLimit) {
  TEndlessLineServer Server("HTTP/1.1 200 OK\r\nX-Endless: ");
  TSoapTransportOptions Options;
  Options.TimeoutMs = 2000;
  Options.StallTimeoutMs = 500;
  try {
    SdmProxy(Server.Url(), Options)->RunQuery(RunQuery_Type());
    ADD_FAILURE() << "no exception";
  } catch (const ESoapError& E) {
    EXPECT_EQ(E.Message().toStdString(),
              "The web service at " + Server.Url().toStdString() +
                  " kept sending the header of its reply and did not end it in time (2 s)."
                  " Check the Internet connection, or try again later.");
  }
}

// A call may carry the user's password: it follows a redirect only to the same server,
// and a redirect elsewhere fails without anything sent there.
TEST(SoapFailures, RedirectsAreFollowedOnlyToTheSameServer) {
  TWebTestServer Elsewhere;
  Elsewhere.Route("/", [](const httplib::Request&, httplib::Response& Res) {
    Res.set_content(ReadTestFile("sdm_surveys.xml"), "text/xml");
  });
  const std::string OtherPort = Elsewhere.Url().toStdString();
  const std::string OtherName = "http://localhost:" + std::to_string(Elsewhere.Port) + "/service";
  const struct {
    std::string Location;  // "" : the server's own address
    int Status;
    const char* Message;  // "" : the call succeeds
    bool Cut = false;     // the redirect's own body stops before its announced end
  } Cases[] = {
      {"/moved", 307, ""},
      {"/moved", 302, ""},
      {"/moved", 302, "", true},
      {OtherPort, 307, "redirected the request to another server (", true},
      {OtherPort, 307, "redirected the request to another server ("},
      {OtherName, 301, "redirected the request to another server (http://localhost:"},
      {"", 307, "redirected the request too many times."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Location + " " + std::to_string(C.Status));
    TWebTestServer Server;
    const std::string Location = C.Location.empty() ? Server.Url().toStdString() : C.Location;
    Server.Route("/service", [&C, Location](const httplib::Request&, httplib::Response& Res) {
      Res.set_redirect(Location, C.Status);
      if (C.Cut)
        Res.set_content_provider(1000, "text/html", [](size_t Offset, size_t, httplib::DataSink& Sink) {
          return Offset == 0 && Sink.write("<html>", 6);
        });
    });
    Server.Route("/moved", [](const httplib::Request& Req, httplib::Response& Res) {
      Res.set_content(Req.body.find("<Query>q</Query>") != std::string::npos ? ReadTestFile("sdm_surveys.xml") : "",
                      "text/xml");
    });
    RunQuery_Type Request;
    Request.Query = QStringLiteral("q");
    try {
      const auto Result = SdmProxy(Server.Url())->RunQuery(Request);
      EXPECT_STREQ(C.Message, "");
      EXPECT_TRUE(Result);
    } catch (const ESoapError& E) {
      EXPECT_NE(*C.Message, '\0') << E.what();
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(C.Message))) << E.what();
    }
    EXPECT_EQ(Elsewhere.Last().Count, 0);
  }
}

// Multi-reference values: a reply of many references reads each through the id index;
// references may chain, the first element of an id wins, and one that leads nowhere
// (or round in a loop) gives an empty node.
TEST(SoapReply, ReferencesResolveThroughTheIdIndex) {
  const int Items = 40000;
  std::string Array, Values;
  for (int I = 0; I < Items; ++I) {
    Array += "<item href=\"#v" + std::to_string(I) + "\"/>";
    Values += "<multiRef id=\"v" + std::to_string(Items - 1 - I) + "\">" + std::to_string(Items - 1 - I) +
              "</multiRef>";
  }
  THTTPTransport::TResponse Response;
  Response.Status = 200;
  Response.Body = QByteArray::fromStdString(SoapEnvelopeText(
      "<ns1:R xmlns:ns1=\"n\"><return>" + Array +
      "</return><chain href=\"#c1\"/><twice href=\"#d\"/><lost href=\"#none\"/><loop href=\"#l1\"/>"
      "<plain>p</plain></ns1:R>" +
      Values +
      "<x id=\"c1\" href=\"#c2\"/><x id=\"c2\">chained</x><x id=\"d\">first</x><x id=\"d\">second</x>"
      "<x id=\"l1\" href=\"#l2\"/><x id=\"l2\" href=\"#l1\"/>"));
  const auto Reply = TSoapReply::Read(Response, QStringLiteral("local"));
  const pugi::xml_node Result = Reply->ResponseElement();
  int Matching = 0, I = 0;
  for (pugi::xml_node Item : Result.child("return").children())
    Matching += SoapText(Reply->Resolve(Item)) == QString::number(I++) ? 1 : 0;
  EXPECT_EQ(Matching, Items);
  const struct {
    const char *Name, *Text;
  } Cases[] = {{"chain", "chained"}, {"twice", "first"}, {"lost", ""}, {"loop", ""}, {"plain", "p"}};
  for (const auto& C : Cases) EXPECT_EQ(SoapText(Reply->Resolve(Result.child(C.Name))), QLatin1String(C.Text)) << C.Name;
  EXPECT_FALSE(Reply->Resolve(Result.child("lost")));
}
