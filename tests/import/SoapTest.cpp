// The SOAP client and the soil data and forecast service bindings, against a local
// server: the requests they write, the replies they read and the failures they report.

#include "SDMTabularService_proxy.h"
#include "SoapTestServer.h"
#include "ndfdXML_proxy.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A parsed request body and its call element (the first element inside the Body).
struct TRequest {
  pugi::xml_document Doc;
  pugi::xml_node Call;
};

void ParseRequest(const std::string& Body, TRequest& Req) {
  ASSERT_TRUE(Req.Doc.load_string(Body.c_str())) << Body;
  Req.Call = Req.Doc.document_element().child("SOAP-ENV:Body").first_child();
  ASSERT_TRUE(Req.Call) << Body;
}

std::unique_ptr<TSDMTabularServiceSoap_Proxy> SdmProxy(const QString& Url, const TSoapTransportOptions& Options = {}) {
  RegisterHttpTransport();
  return CreateSDMTabularServiceSoap(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Url, Options);
}

std::unique_ptr<TndfdXMLPortType_Proxy> NdfdProxy(const QString& Url) {
  RegisterHttpTransport();
  return CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Url);
}

}  // namespace

TEST(SoapProxy, EmptyAddressUsesTheDefaultEndpointAndOnlySoapOverHttpMakesAProxy) {
  RegisterHttpTransport();
  const auto Sdm = CreateSDMTabularServiceSoap(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), QString());
  ASSERT_TRUE(Sdm);
  EXPECT_EQ(Sdm->Address(), QStringLiteral("http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx"));
  const auto Ndfd = CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), QString());
  ASSERT_TRUE(Ndfd);
  EXPECT_TRUE(Ndfd->Address().endsWith(QStringLiteral("/xml/SOAP_server/ndfdXMLserver.php")));
  EXPECT_EQ(SdmProxy(QStringLiteral("http://127.0.0.1:1/x"))->Address(), QStringLiteral("http://127.0.0.1:1/x"));
  EXPECT_FALSE(CreateSDMTabularServiceSoap(QStringLiteral("XML:"), QStringLiteral("HTTP:"), QString()));
  EXPECT_FALSE(CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("SMTP:"), QString()));
}

TEST(SoapEscape, EscapesMarkupAndDropsWhatXmlCannotCarry) {
  EXPECT_EQ(SoapEscape(QStringLiteral("a<b>&'\"c")), QStringLiteral("a&lt;b&gt;&amp;&apos;&quot;c"));
  EXPECT_EQ(SoapEscape(QString::fromUtf8("x\x01y\tz\r\n\xC3\xA9")), QString::fromUtf8("xy\tz&#13;\n\xC3\xA9"));
}

TEST(SdmBinding, RunQuerySendsTheQueryDocumentLiteralAndReadsTheDataSet) {
  TSoapTestServer Server([](const httplib::Request&, httplib::Response& Res) {
    Res.set_content(ReadTestFile(QStringLiteral("sdm_surveys.xml")), "text/xml; charset=utf-8");
  });
  RunQuery_Type Request;
  Request.Query = QStringLiteral("SELECT 1 WHERE a < 'x&y'");
  const auto Reply = SdmProxy(Server.Url())->RunQuery(Request);

  EXPECT_EQ(Server.SoapAction(), "\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx/RunQuery\"");
  EXPECT_EQ(Server.ContentType(), "text/xml; charset=utf-8");
  TRequest Req;
  ParseRequest(Server.Body(), Req);
  EXPECT_STREQ(Req.Call.name(), "RunQuery");
  EXPECT_STREQ(Req.Call.attribute("xmlns").value(), SDMTabularServiceUri);
  EXPECT_STREQ(Req.Call.child_value("Query"), "SELECT 1 WHERE a < 'x&y'");

  ASSERT_TRUE(Reply);
  EXPECT_TRUE(Reply->RunQueryResult.schema.Data.startsWith(QStringLiteral("<xs:schema")));
  pugi::xml_document Diffgram;
  ASSERT_TRUE(Diffgram.load_string(Reply->RunQueryResult.diffgram.Data.toUtf8().constData()));
  EXPECT_STREQ(Diffgram.document_element().name(), "diffgr:diffgram");
  EXPECT_STREQ(Diffgram.document_element().child("NewDataSet").child("Table").child_value("areasymbol"), "IN001");
}

TEST(SdmBinding, EmptyQueryMissingDiffgramAndMissingResponse) {
  std::string Reply;
  TSoapTestServer Server([&Reply](const httplib::Request&, httplib::Response& Res) { Res.set_content(Reply, "text/xml"); });
  const auto Proxy = SdmProxy(Server.Url());

  Reply = SoapEnvelopeText(
      "<RunQueryResponse xmlns=\"x\"><RunQueryResult><xs:schema xmlns:xs=\"s\"/></RunQueryResult></RunQueryResponse>");
  const auto NoDiffgram = Proxy->RunQuery(RunQuery_Type());
  TRequest Req;
  ParseRequest(Server.Body(), Req);
  EXPECT_FALSE(Req.Call.child("Query"));  // an empty query is not written
  ASSERT_TRUE(NoDiffgram);
  EXPECT_TRUE(NoDiffgram->RunQueryResult.diffgram.Data.isEmpty());

  Reply = SoapEnvelopeText("<Other/>");
  EXPECT_FALSE(Proxy->RunQuery(RunQuery_Type()));
}

TEST(NdfdBinding, NDFDgenByDaySendsRpcEncodedArgumentsAndReadsTheText) {
  TSoapTestServer Server([](const httplib::Request&, httplib::Response& Res) {
    Res.set_content(SoapEnvelopeText("<ns1:NDFDgenByDayResponse xmlns:ns1=\"n\"><dwmlByDayOut xsi:type=\"xsd:string\">"
                                     "&lt;?xml version=\"1.0\"?&gt;&lt;dwml/&gt;</dwmlByDayOut>"
                                     "</ns1:NDFDgenByDayResponse>"),
                    "text/xml");
  });
  const QString Text = NdfdProxy(Server.Url())->NDFDgenByDay(40.68, -84.925, QDate(2024, 5, 1), 5, unitType::m,
                                                            formatType::formatType__24_hourly);
  EXPECT_EQ(Text, QStringLiteral("<?xml version=\"1.0\"?><dwml/>"));
  EXPECT_EQ(Server.SoapAction(), "\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl#NDFDgenByDay\"");

  TRequest Req;
  ParseRequest(Server.Body(), Req);
  EXPECT_STREQ(Req.Call.name(), "ns1:NDFDgenByDay");
  EXPECT_STREQ(Req.Call.attribute("xmlns:ns1").value(), NdfdXmlWsdlUri);
  std::vector<std::string> Names, Values, Types;
  for (pugi::xml_node Arg : Req.Call.children()) {
    Names.push_back(Arg.name());
    Values.push_back(Arg.child_value());
    Types.push_back(Arg.attribute("xsi:type").value());
  }
  EXPECT_EQ(Names, (std::vector<std::string>{"latitude", "longitude", "startDate", "numDays", "Unit", "format"}));
  EXPECT_EQ(Values, (std::vector<std::string>{"40.68", "-84.925", "2024-05-01", "5", "m", "24 hourly"}));
  EXPECT_EQ(Types[4], "types:unitType");
  EXPECT_STREQ(Req.Doc.document_element().attribute("xmlns:types").value(), NdfdDwmlSchemaUri);
}

TEST(NdfdBinding, EveryOperationHasItsSoapActionAndResultElement) {
  TSoapTestServer Server([](const httplib::Request&, httplib::Response& Res) {
    // A multi-reference reply: each result refers to its value.
    Res.set_content(SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"><dwmlOut href=\"#a\"/><dwmlByDayOut>B</dwmlByDayOut>"
                                     "<dwGmlOut>C</dwGmlOut><listLatLonOut>D</listLatLonOut>"
                                     "<listCityNamesOut>E</listCityNamesOut></ns1:R><v id=\"a\">A</v>"),
                    "text/xml");
  });
  const auto P = NdfdProxy(Server.Url());
  const QDateTime T(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
  weatherParametersType Params;
  Params.maxt = Params.wgust = true;
  struct TCase {
    const char* Operation;
    const char* Result;
    std::function<QString()> Call;
  };
  const std::vector<TCase> Cases = {
      {"NDFDgen", "A", [&] { return P->NDFDgen(1, 2, productType::glance, T, T, unitType::e, Params); }},
      {"NDFDgenByDay", "B",
       [&] { return P->NDFDgenByDay(1, 2, T.date(), 1, unitType::e, formatType::formatType__12_hourly); }},
      {"NDFDgenLatLonList", "A",
       [&] { return P->NDFDgenLatLonList("1,2", productType::productType_time_series, T, T, unitType::m, Params); }},
      {"NDFDgenByDayLatLonList", "B",
       [&] { return P->NDFDgenByDayLatLonList("1,2", T.date(), 2, unitType::e, formatType::formatType__24_hourly); }},
      {"GmlLatLonList", "C",
       [&] { return P->GmlLatLonList("1,2", T, featureTypeType::Ndfd_KmlPoint, unitType::e, Params); }},
      {"GmlTimeSeries", "C",
       [&] {
         return P->GmlTimeSeries("1,2", T, T, compTypeType::Between, featureTypeType::Forecast_GmlObs, unitType::e,
                                 "maxt");
       }},
      {"LatLonListSubgrid", "D", [&] { return P->LatLonListSubgrid(1, 2, 3, 4, 0.5); }},
      {"LatLonListLine", "D", [&] { return P->LatLonListLine(1, 2, 3, 4); }},
      {"LatLonListZipCode", "D", [&] { return P->LatLonListZipCode("46733"); }},
      {"LatLonListSquare", "D", [&] { return P->LatLonListSquare(1, 2, 3, 4, 5); }},
      {"CornerPoints", "D", [&] { return P->CornerPoints(sectorType::puertori); }},
      {"LatLonListCityNames", "E",
       [&] { return P->LatLonListCityNames(displayLevelType::displayLevelType__1234); }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Operation);
    EXPECT_EQ(C.Call(), QString::fromLatin1(C.Result));
    EXPECT_EQ(Server.SoapAction(), std::string("\"") + NdfdXmlWsdlUri + "#" + C.Operation + "\"");
    TRequest Req;
    ParseRequest(Server.Body(), Req);
    EXPECT_EQ(std::string(Req.Call.name()), std::string("ns1:") + C.Operation);
  }
  // The last request names its enumeration value by its XML name; NDFDgen's record
  // holds the 54 flags in order.
  TRequest Last;
  ParseRequest(Server.Body(), Last);
  EXPECT_STREQ(Last.Call.child_value("displayLevel"), "1234");
  P->NDFDgen(1, 2, productType::productType_time_series, T, T, unitType::e, Params);
  TRequest Gen;
  ParseRequest(Server.Body(), Gen);
  EXPECT_STREQ(Gen.Call.child_value("product"), "time-series");
  EXPECT_STREQ(Gen.Call.child_value("startTime"), "2024-05-01T06:00:00Z");
  const pugi::xml_node Record = Gen.Call.child("weatherParameters");
  EXPECT_STREQ(Record.attribute("xsi:type").value(), "types:weatherParametersType");
  std::vector<std::string> Flags;
  for (pugi::xml_node F : Record.children()) Flags.push_back(std::string(F.name()) + "=" + F.child_value());
  ASSERT_EQ(Flags.size(), 54u);
  EXPECT_EQ(Flags.front(), "maxt=true");
  EXPECT_EQ(Flags[1], "mint=false");
  EXPECT_EQ(Flags.back(), "wgust=true");
}

// Every way a call can fail gives an ESoapError with a clear message.
TEST(SoapFailures, EachFailureThrowsAClearMessage) {
  struct TCase {
    const char* Name;
    std::function<void(httplib::Response&)> Reply;
    const char* Message;  // part of the message
  };
  const std::string Good = ReadTestFile(QStringLiteral("sdm_surveys.xml"));
  const std::vector<TCase> Cases = {
      {"fault", [](httplib::Response& R) {
         R.status = 500;
         R.set_content(SoapFaultText("Invalid query: syntax error near &apos;x&apos;"), "text/xml");
       }, "The web service reported an error: Invalid query: syntax error near 'x'"},
      {"fault with status 200", [](httplib::Response& R) { R.set_content(SoapFaultText("Busy"), "text/xml"); },
       "reported an error: Busy"},
      {"not found", [](httplib::Response& R) {
         R.status = 404;
         R.set_content("<html>Not Found</html>", "text/html");
       }, "answered with HTTP status 404"},
      {"server error page", [](httplib::Response& R) {
         R.status = 500;
         R.set_content("<html><body>Internal error</body></html>", "text/html");
       }, "answered with HTTP status 500"},
      {"garbled", [](httplib::Response& R) { R.set_content("\x01\x02garbage{}", "text/xml"); }, "is not valid XML"},
      {"truncated", [&Good](httplib::Response& R) { R.set_content(Good.substr(0, Good.size() / 2), "text/xml"); },
       "is not valid XML"},
      {"not SOAP", [](httplib::Response& R) { R.set_content("<html><body/></html>", "text/xml"); },
       "is not a SOAP message"},
      {"empty", [](httplib::Response& R) { R.set_content("", "text/xml"); }, "sent an empty reply"},
      {"oversized", [](httplib::Response& R) { R.set_content(std::string(300000, ' '), "text/xml"); },
       "is larger than 65536 bytes"},
      {"oversized without length", [](httplib::Response& R) {
         R.set_chunked_content_provider("text/xml", [](size_t, httplib::DataSink& Sink) {
           const std::string Block(16384, ' ');
           for (int I = 0; I < 20; ++I)
             if (!Sink.write(Block.data(), Block.size())) return false;
           Sink.done();
           return true;
         });
       }, "is larger than 65536 bytes"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSoapTestServer Server([&C](const httplib::Request&, httplib::Response& Res) { C.Reply(Res); });
    TSoapTransportOptions Options;
    Options.MaxReplyBytes = 65536;
    try {
      SdmProxy(Server.Url(), Options)->RunQuery(RunQuery_Type());
      ADD_FAILURE() << "no exception";
    } catch (const ESoapError& E) {
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(C.Message))) << E.what();
    }
  }
}

TEST(SoapFailures, RefusedConnectionAndTimeOut) {
  try {
    SdmProxy(RefusingUrl())->RunQuery(RunQuery_Type());
    ADD_FAILURE() << "no exception";
  } catch (const ESoapError& E) {
    EXPECT_TRUE(E.Message().startsWith(QStringLiteral("Unable to reach the web service at http://127.0.0.1:")))
        << E.what();
  }

  TSoapTestServer* Self = nullptr;
  TSoapTestServer Server([&Self](const httplib::Request&, httplib::Response& Res) {
    Self->Stall();
    Res.set_content(SoapEnvelopeText(""), "text/xml");
  });
  Self = &Server;
  TSoapTransportOptions Options;
  Options.TimeoutMs = 300;
  try {
    SdmProxy(Server.Url(), Options)->RunQuery(RunQuery_Type());
    ADD_FAILURE() << "no exception";
  } catch (const ESoapError& E) {
    EXPECT_TRUE(E.Message().contains(QStringLiteral("did not answer in time (0.3 s)"))) << E.what();
  }
}
