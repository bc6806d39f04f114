// The forecast importer: the DWML reader and the whole call against a local server.

#include "ImpNDFD.h"
#include "WebTestServer.h"
#include "XmlUtil.h"

#include <string>
#include <vector>

namespace {

std::string NdfdReply(const std::string& Dwml) {
  return SoapEnvelopeText(
      "<ns1:NDFDgenByDayResponse xmlns:ns1=\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl\">"
      "<dwmlByDayOut xsi:type=\"xsd:string\">" +
      QString::fromStdString(Dwml).toHtmlEscaped().toStdString() + "</dwmlByDayOut></ns1:NDFDgenByDayResponse>");
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

// The whole call in both unit systems, and its failures: a message, no lines and no
// temporary file left.
TEST(ImpNDFD, GetForecast) {
  const std::string FiveDays = NdfdReply(ReadTestFile("dwml_5day.xml"));
  const struct {
    const char* Latitude;
    std::string Reply;  // empty: nothing may be sent
    int Status;
    bool Metric;
    const char* Message;  // empty: success
  } Cases[] = {
      {"40.68", FiveDays, 200, false, ""},
      {"40.68", FiveDays, 200, true, ""},
      {"40,68", "", 200, false, "\"40,68\" is not a valid latitude."},
      {"40.68", SoapFaultText("Point is not on an NDFD grid"), 500, false,
       "The web service reported an error: Point is not on"},
      {"40.68", SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"/>"), 200, false, "has no \"dwmlByDayOut\" element."},
      {"40.68", NdfdReply("<dwml><head/></dwml>"), 200, false, "Invalid data - can't find \"data\" element."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message);
    TSoapTestServer Server(Answer(C.Reply, C.Status));
    TPrivateTempDir Temp;
    TImportedNdfd Forecast;
    Forecast.ServiceAddress = Server.Url();
    Forecast.Today = Today;
    QString Msg;
    const bool Ok = Forecast.GetForecast(QString::fromLatin1(C.Latitude), QStringLiteral("-84.93"), 5, C.Metric, Msg);
    EXPECT_EQ(Temp.FileCount(), 0);
    EXPECT_EQ(Server.Last().Count, C.Reply.empty() ? 0 : 1);
    if (*C.Message) {
      EXPECT_FALSE(Ok);
      EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
      EXPECT_EQ(Forecast.Count(), 0);
      continue;
    }
    ASSERT_TRUE(Ok) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_EQ(Forecast.Lines().join(u' '),
              QStringLiteral("20240228=78,55 20240229=81,60 20240301=74,52 20240302=69,48 20240303=72,50"));
    EXPECT_EQ(Forecast.SourceName + u' ' + Forecast.Latitude + u' ' + Forecast.Longitude, u"NDFD 40.68 -84.93");
    EXPECT_TRUE(Forecast.Metric == C.Metric && Forecast.Has[wkTemperature] && Forecast.Use[wkTemperature]);
    EXPECT_FALSE(Forecast.Has[wkPrecipitation] || Forecast.Use[wkWind] || Forecast.Has[wkHumidity]);
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_EQ(Call.child_value("Unit") + std::string(" ") + Call.child_value("startDate"),
              C.Metric ? "m 2024-02-28" : "e 2024-02-28");
  }
}

TEST(ImpNDFD, ParseDwmlCases) {
  const std::string Max2 = Temps("maximum", "<name>Daily Maximum Temperature</name><value>78</value><value>81</value>");
  const std::string Min2 = Temps("minimum", "<name>Daily Minimum Temperature</name><value>55</value><value>60</value>");
  const char* TwoDays = "20240228=78,55 20240229=81,60";
  const struct {
    std::string Xml;
    const char* Lines;
    const char* Message;  // empty: success
  } Cases[] = {
      {Parameters(Max2 + Min2), TwoDays, ""},
      {"<dwm><data/></dwm>", "", "Invalid data - can't find \"dwml\" root element."},
      {"<dwml><head/></dwml>", "", "Invalid data - can't find \"data\" element."},
      {"<dwml><data><location/></data></dwml>", "", "Invalid data - can't find \"parameters\" element."},
      {Parameters(Max2 + Temps("dew point", "<value>40</value>")), "",
       "Invalid data - can't find max/min temperature elements."},
      {Parameters(Temps("maximum", "<value/><value>81</value>") +
                  Temps("minimum", "<value>55</value><value xsi:nil=\"true\"/>")),
       "20240228=,55 20240229=81,", ""},
      {Parameters(Temps("maximum", "<value>1</value>") + Min2 + Max2), TwoDays, ""},  // the last maximum
      {Parameters(Temps("maximum", "<name>x</name>") + Min2), "", ""},
      {Parameters(Max2 + Temps("minimum", "<value>55</value><value>60</value>")), TwoDays, ""},  // no name
      {Parameters(Max2 + Temps("minimum", "<name>n</name><value>55</value>")), "",
       "Invalid data - fewer minimum than maximum temperatures."},
      {Parameters(Temps("maximum", "<value>warm</value>") + Min2), "",
       "Invalid data - temperature \"warm\" is not a number."},
      {Parameters(Max2 + Min2).substr(0, 90), "", "Invalid XML data"},
      {"<dwml><data><parameters>" + Max2 + Min2 + "</parameters></data></dwml>", TwoDays, ""},  // no location
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Xml);
    TPrivateTempDir Temp;
    const TTempReplyFile File;
    File.Write(QString::fromStdString(C.Xml));
    TImportedNdfd Forecast;
    Forecast.Today = Today;
    Forecast.Add(QStringLiteral("19990101=1,2"));
    Forecast.Latitude = QStringLiteral("1.5");
    QString Msg;
    const bool Ok = !*C.Message;
    EXPECT_EQ(Forecast.ParseDwml(File.FileName(), Msg), Ok);
    EXPECT_TRUE(Ok ? Msg.isEmpty() : Msg.startsWith(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(Forecast.Lines().join(u' '), QLatin1String(C.Lines));
    const bool HasPoint = Ok && C.Xml.find("<point") != std::string::npos;
    EXPECT_EQ(Forecast.Latitude, HasPoint ? QStringLiteral("40.68") : QStringLiteral("1.5"));
  }
}
