// The forecast importer: the DWML reader and the whole call against a local server.

#include "ImpNDFD.h"
#include "SoapTestServer.h"
#include "XmlUtil.h"

#include <QFile>

#include <gtest/gtest.h>

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

TEST(ImpNDFD, GetForecastReadsFiveDaysAndLeavesNoTemporaryFile) {
  TSoapTestServer Server(Answer(NdfdReply(ReadTestFile("dwml_5day.xml"))));
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
    EXPECT_EQ(Forecast.Latitude + u' ' + Forecast.Longitude, QStringLiteral("40.68 -84.93"));
    EXPECT_EQ(Temp.FileCount(), 0);
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_STREQ(Call.child_value("Unit"), Metric ? "m" : "e");
    EXPECT_STREQ(Call.child_value("startDate"), "2024-02-28");
  }
}

TEST(ImpNDFD, GetForecastFailuresGiveAMessageNoLinesAndNoTemporaryFile) {
  struct TCase {
    const char* Latitude;
    std::string Reply;  // empty: nothing may be sent
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"40,68", "", "\"40,68\" is not a valid latitude."},
      {"40.68", SoapFaultText("Point is not on an NDFD grid"), "The web service reported an error: Point is not on"},
      {"40.68", SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"/>"), "has no \"dwmlByDayOut\" element."},
      {"40.68", NdfdReply("<dwml><head/></dwml>"), "Invalid data - can't find \"data\" element."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    TSoapTestServer Server(Answer(C.Reply, C.Reply.find("Fault") != std::string::npos ? 500 : 200));
    TPrivateTempDir Temp;
    TImportedNdfd Forecast;
    Forecast.ServiceAddress = Server.Url();
    QString Msg;
    EXPECT_FALSE(Forecast.GetForecast(QString::fromLatin1(C.Latitude), QStringLiteral("-84.93"), 5, false, Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(Forecast.Count(), 0);
    EXPECT_EQ(Temp.FileCount(), 0);
    EXPECT_EQ(Server.Last().Count, C.Reply.empty() ? 0 : 1);
  }
}

TEST(ImpNDFD, ParseDwmlCases) {
  const std::string Max2 = Temps("maximum", "<name>Daily Maximum Temperature</name><value>78</value><value>81</value>");
  const std::string Min2 = Temps("minimum", "<name>Daily Minimum Temperature</name><value>55</value><value>60</value>");
  const QStringList TwoDays = {"20240228=78,55", "20240229=81,60"};
  struct TCase {
    std::string Xml;
    QStringList Lines;
    const char* Message;  // empty: success
  };
  const std::vector<TCase> Cases = {
      {Parameters(Max2 + Min2), TwoDays, ""},
      {"<dwm><data/></dwm>", {}, "Invalid data - can't find \"dwml\" root element."},
      {"<dwml><head/></dwml>", {}, "Invalid data - can't find \"data\" element."},
      {"<dwml><data><location/></data></dwml>", {}, "Invalid data - can't find \"parameters\" element."},
      {Parameters(Max2 + Temps("dew point", "<value>40</value>")), {},
       "Invalid data - can't find max/min temperature elements."},
      {Parameters(Temps("maximum", "<value/><value>81</value>") +
                  Temps("minimum", "<value>55</value><value xsi:nil=\"true\"/>")),
       {"20240228=,55", "20240229=81,"}, ""},
      {Parameters(Temps("maximum", "<value>1</value>") + Min2 + Max2), TwoDays, ""},  // the last maximum
      {Parameters(Temps("maximum", "<name>x</name>") + Min2), {}, ""},
      {Parameters(Max2 + Temps("minimum", "<value>55</value><value>60</value>")), TwoDays, ""},  // no name
      {Parameters(Max2 + Temps("minimum", "<name>n</name><value>55</value>")), {},
       "Invalid data - fewer minimum than maximum temperatures."},
      {Parameters(Temps("maximum", "<value>warm</value>") + Min2), {},
       "Invalid data - temperature \"warm\" is not a number."},
      {Parameters(Max2 + Min2).substr(0, 90), {}, "Invalid XML data"},
      {"<dwml><data><parameters>" + Max2 + Min2 + "</parameters></data></dwml>", TwoDays, ""},  // no location
  };
  for (const TCase& C : Cases) {
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
    EXPECT_EQ(Forecast.Lines(), C.Lines);
    const bool HasPoint = Ok && C.Xml.find("<point") != std::string::npos;
    EXPECT_EQ(Forecast.Latitude, HasPoint ? QStringLiteral("40.68") : QStringLiteral("1.5"));
  }
}
