// The forecast importer: the DWML reader and the whole call against a local server.

#include "ImpNDFD.h"
#include "SoapTestServer.h"
#include "XmlUtil.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string XmlEscaped(const std::string& Text) {
  std::string Out;
  for (const char C : Text) {
    if (C == '<')
      Out += "&lt;";
    else if (C == '&')
      Out += "&amp;";
    else if (C == '>')
      Out += "&gt;";
    else
      Out += C;
  }
  return Out;
}

std::string NdfdReply(const std::string& Dwml) {
  return SoapEnvelopeText(
      "<ns1:NDFDgenByDayResponse xmlns:ns1=\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl\">"
      "<dwmlByDayOut xsi:type=\"xsd:string\">" +
      XmlEscaped(Dwml) + "</dwmlByDayOut></ns1:NDFDgenByDayResponse>");
}

std::string Parameters(const std::string& Inner) {
  return "<dwml><data><location><point latitude=\"40.68\" longitude=\"-84.93\"/></location><parameters>" + Inner +
         "</parameters></data></dwml>";
}

std::string Temps(const char* Type, const std::string& Children) {
  return std::string("<temperature type=\"") + Type + "\" units=\"Fahrenheit\">" + Children + "</temperature>";
}

const QDate Today(2024, 2, 28);

}  // namespace

TEST(ImpNDFD, GetForecastReadsFiveDaysAndLeavesNoTemporaryFile) {
  const std::string Dwml = ReadTestFile(QStringLiteral("dwml_5day.xml"));
  TSoapTestServer Server(
      [&Dwml](const httplib::Request&, httplib::Response& Res) { Res.set_content(NdfdReply(Dwml), "text/xml"); });
  for (const bool Metric : {false, true}) {
    SCOPED_TRACE(Metric);
    TPrivateTempDir Temp;
    TImportedNdfd Forecast;
    Forecast.ServiceAddress = Server.Url();
    Forecast.Today = Today;
    QString Msg;
    ASSERT_TRUE(Forecast.GetForecast(QStringLiteral("40.68"), QStringLiteral("-84.93"), 5, Metric, Msg))
        << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_EQ(Forecast.Lines(), QStringList({"20240228=78,55", "20240229=81,60", "20240301=74,52", "20240302=69,48",
                                             "20240303=72,50"}));
    EXPECT_EQ(Forecast.SourceName, QStringLiteral("NDFD"));
    EXPECT_EQ(Forecast.Metric, Metric);
    EXPECT_TRUE(Forecast.Has[wkTemperature] && Forecast.Use[wkTemperature]);
    EXPECT_FALSE(Forecast.Has[wkPrecipitation] || Forecast.Use[wkWind] || Forecast.Has[wkHumidity]);
    EXPECT_EQ(Forecast.Latitude, QStringLiteral("40.68"));
    EXPECT_EQ(Forecast.Longitude, QStringLiteral("-84.93"));
    EXPECT_EQ(Forecast.GetDayField(1, dfMinTemp), QStringLiteral("60"));
    EXPECT_EQ(Temp.FileCount(), 0);

    pugi::xml_document Req;
    ASSERT_TRUE(Req.load_string(Server.Body().c_str()));
    const pugi::xml_node Call = Req.document_element().child("SOAP-ENV:Body").child("ns1:NDFDgenByDay");
    EXPECT_STREQ(Call.child_value("Unit"), Metric ? "m" : "e");
    EXPECT_STREQ(Call.child_value("startDate"), "2024-02-28");
    EXPECT_STREQ(Call.child_value("latitude"), "40.68");
    EXPECT_STREQ(Call.child_value("numDays"), "5");
  }
}

TEST(ImpNDFD, GetForecastFailuresGiveAMessageNoLinesAndNoTemporaryFile) {
  struct TCase {
    const char* Name;
    const char* Latitude;
    std::string Reply;  // empty: the request must not be sent
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"comma latitude", "40,68", "", "\"40,68\" is not a valid latitude."},
      {"fault", "40.68", SoapFaultText("Point with latitude 95 is not on an NDFD grid"),
       "The web service reported an error: Point with latitude 95 is not on an NDFD grid"},
      {"no result", "40.68", SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"/>"), "has no \"dwmlByDayOut\" element"},
      {"DWML without data", "40.68", NdfdReply("<dwml><head/></dwml>"), "Invalid data - can't find \"data\" element."},
      {"garbled DWML", "40.68", NdfdReply("<dwml><data>"), "Invalid XML data"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSoapTestServer Server([&C](const httplib::Request&, httplib::Response& Res) {
      Res.status = C.Reply.find("Fault") != std::string::npos ? 500 : 200;
      Res.set_content(C.Reply, "text/xml");
    });
    TPrivateTempDir Temp;
    TImportedNdfd Forecast;
    Forecast.ServiceAddress = Server.Url();
    QString Msg;
    EXPECT_FALSE(Forecast.GetForecast(QString::fromLatin1(C.Latitude), QStringLiteral("-84.93"), 5, false, Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(Forecast.Count(), 0);
    EXPECT_EQ(Temp.FileCount(), 0);
    if (C.Reply.empty()) {
      EXPECT_EQ(Server.Requests(), 0);
    }
  }

  TPrivateTempDir Temp;
  TImportedNdfd Forecast;
  Forecast.ServiceAddress = RefusingUrl();
  QString Msg;
  EXPECT_FALSE(Forecast.GetForecast(QStringLiteral("40.68"), QStringLiteral("-84.93"), 5, false, Msg));
  EXPECT_TRUE(Msg.startsWith(QStringLiteral("Unable to reach the web service"))) << Msg.toStdString();
  EXPECT_EQ(Temp.FileCount(), 0);
}

TEST(ImpNDFD, ParseDwmlCases) {
  const std::string Max2 = Temps("maximum", "<name>Daily Maximum Temperature</name><value>78</value><value>81</value>");
  const std::string Min2 = Temps("minimum", "<name>Daily Minimum Temperature</name><value>55</value><value>60</value>");
  struct TCase {
    const char* Name;
    std::string Xml;
    bool Ok;
    QStringList Lines;
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"two days", Parameters(Max2 + Min2), true, {"20240228=78,55", "20240229=81,60"}, ""},
      {"root", "<dwm><data/></dwm>", false, {}, "Invalid data - can't find \"dwml\" root element."},
      {"data", "<dwml><head/></dwml>", false, {}, "Invalid data - can't find \"data\" element."},
      {"parameters", "<dwml><data><location/></data></dwml>", false, {},
       "Invalid data - can't find \"parameters\" element."},
      {"no minimum", Parameters(Max2 + Temps("dew point", "<value>40</value>")), false, {},
       "Invalid data - can't find max/min temperature elements."},
      {"empty values", Parameters(Temps("maximum", "<value/><value>81</value>") +
                                  Temps("minimum", "<value>55</value><value xsi:nil=\"true\"/>")),
       true, {"20240228=,55", "20240229=81,"}, ""},
      {"last maximum wins", Parameters(Temps("maximum", "<value>1</value>") + Min2 + Max2), true,
       {"20240228=78,55", "20240229=81,60"}, ""},
      {"maximum without values", Parameters(Temps("maximum", "<name>x</name>") + Min2), true, {}, ""},
      {"minimum without name", Parameters(Max2 + Temps("minimum", "<value>55</value><value>60</value>")), true,
       {"20240228=78,55", "20240229=81,60"}, ""},
      {"minimum short", Parameters(Max2 + Temps("minimum", "<name>n</name><value>55</value>")), false, {},
       "Invalid data - fewer minimum than maximum temperatures."},
      {"not a number", Parameters(Temps("maximum", "<value>warm</value>") + Min2), false, {},
       "Invalid data - temperature \"warm\" is not a number."},
      {"truncated", Parameters(Max2 + Min2).substr(0, 90), false, {}, "Invalid XML data"},
      {"garbled", "\x01\x02<<dwml", false, {}, "Invalid XML data"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TPrivateTempDir Temp;
    const TTempReplyFile File;
    File.Write(QString::fromStdString(C.Xml));
    TImportedNdfd Forecast;
    Forecast.Today = Today;
    Forecast.Add(QStringLiteral("19990101=1,2"));
    QString Msg;
    EXPECT_EQ(Forecast.ParseDwml(File.FileName(), Msg), C.Ok);
    EXPECT_TRUE(C.Ok ? Msg.isEmpty() : Msg.startsWith(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(Forecast.Lines(), C.Lines);
  }

  // A reply without a location leaves the position as it was.
  const TTempReplyFile File;
  File.Write(QString::fromStdString("<dwml><data><parameters>" + Max2 + Min2 + "</parameters></data></dwml>"));
  TImportedNdfd Forecast;
  Forecast.Latitude = QStringLiteral("1.5");
  QString Msg;
  EXPECT_TRUE(Forecast.ParseDwml(File.FileName(), Msg));
  EXPECT_EQ(Forecast.Latitude, QStringLiteral("1.5"));
  EXPECT_EQ(Forecast.Count(), 2);
}
