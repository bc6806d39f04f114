// The forecast importer against a local server: the call it sends, the DWML reader, and
// its failures, each with a message, no lines and no temporary file left.

#include "ImpNDFD.h"
#include "WebTestServer.h"

#include <string>

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

std::string NdfdReply(const std::string& Dwml) {
  return SoapEnvelopeText(
      "<ns1:NDFDgenByDayResponse xmlns:ns1=\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl\">"
      "<dwmlByDayOut xsi:type=\"xsd:string\">" +
      QString::fromStdString(Dwml).toHtmlEscaped().toStdString() + "</dwmlByDayOut></ns1:NDFDgenByDayResponse>");
}

// A reply whose DWML has these parameters, at a point of its own.
std::string Parameters(const std::string& Inner) {
  return NdfdReply("<dwml><data><location><point latitude=\"40.5\" longitude=\"-85.5\"/></location><parameters>" +
                   Inner + "</parameters></data></dwml>");
}

std::string Temps(const char* Type, const std::string& Children) {
  return std::string("<temperature type=\"") + Type + "\" units=\"Fahrenheit\">" + Children + "</temperature>";
}

}  // namespace

TEST(ImpNDFD, GetForecast) {
  const std::string FiveDays = NdfdReply(ReadTestFile("dwml_5day.xml"));
  const std::string Max2 = Temps("maximum", "<name>Daily Maximum Temperature</name><value>78</value><value>81</value>");
  const std::string Min2 = Temps("minimum", "<name>Daily Minimum Temperature</name><value>55</value><value>60</value>");
  const char* TwoDays = "20240228=78,55 20240229=81,60";
  const struct {
    std::string Reply;     // empty: nothing may be sent
    const char* Expected;  // the day lines, or the message's start
    const char* Point = "40.5 -85.5";
    bool Metric = false;
    const char* Latitude = "40.68";
  } Cases[] = {
      {FiveDays, "20240228=78,55 20240229=81,60 20240301=74,52 20240302=69,48 20240303=72,50", "40.68 -84.93"},
      {FiveDays, "20240228=78,55 20240229=81,60 20240301=74,52 20240302=69,48 20240303=72,50", "40.68 -84.93", true},
      {"", "\"40,68\" is not a valid latitude.", "", false, "40,68"},
      {SoapFaultText("Point is not on an NDFD grid"), "The web service reported an error: Point is not on"},
      {SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"/>"), "The reply of the web service has no \"dwmlByDayOut\" element."},
      {Parameters(Max2 + Min2), TwoDays},
      {NdfdReply("<dwm><data/></dwm>"), "Invalid data - can't find \"dwml\" root element."},
      {NdfdReply("<dwml><head/></dwml>"), "Invalid data - can't find \"data\" element."},
      {NdfdReply("<dwml><data><location/></data></dwml>"), "Invalid data - can't find \"parameters\" element."},
      {Parameters(Max2 + Temps("dew point", "<value>40</value>")),
       "Invalid data - can't find max/min temperature elements."},
      {Parameters(Temps("maximum", "<value/><value>81</value>") +
                  Temps("minimum", "<value>55</value><value xsi:nil=\"true\"/>")),
       "20240228=,55 20240229=81,"},
      {Parameters(Temps("maximum", "<value>1</value>") + Min2 + Max2), TwoDays},  // the last maximum
      // A value inside a million nested elements is read without recursion.
      {Parameters(Temps("maximum", "<value>" + DeeplyNested("78") + "</value><value>81</value>") + Min2), TwoDays},
      {Parameters(Temps("maximum", "<name>x</name>") + Min2), ""},
      {Parameters(Max2 + Temps("minimum", "<value>55</value><value>60</value>")), TwoDays},  // no name
      {Parameters(Max2 + Temps("minimum", "<name>n</name><value>55</value>")),
       "Invalid data - fewer minimum than maximum temperatures."},
      // A text that is not a number is kept for Calculate to name; one that would split
      // the day line is refused.
      {Parameters(Temps("maximum", "<value>warm</value>") + Temps("minimum", "<value>N/A</value>")),
       "20240228=warm,N/A"},
      {Parameters(Temps("maximum", "<value>7,5</value>") + Min2),
       "Invalid data - temperature \"7,5\" is not a number."},
      {Parameters(Max2 + Temps("minimum", "<value>55</value><value>6&#10;0</value>")),
       "Invalid data - temperature \"6\n0\" is not a number."},
      {NdfdReply("<dwml><data><parameters>" + Max2 + Min2), "Invalid XML data"},
      {NdfdReply("<dwml><data><parameters>" + Max2 + Min2 + "</parameters></data></dwml>"), TwoDays, " "},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Reply);
    const bool Ok = !*C.Expected || QLatin1String(C.Expected).startsWith(u"2024");
    TSoapTestServer Server(Answer(C.Reply, C.Reply.find("Fault") != std::string::npos ? 500 : 200));
    TPrivateTempDir Temp;
    TImportedNdfd Forecast;
    Forecast.ServiceAddress = Server.Url();
    Forecast.Today = QDate(2024, 2, 28);
    Forecast.Add(QStringLiteral("19990101=1,2"));
    QString Msg;
    EXPECT_EQ(Forecast.GetForecast(QLatin1String(C.Latitude), QStringLiteral("-84.93"), 5, C.Metric, Msg), Ok);
    EXPECT_EQ(Temp.FileCount(), 0);
    EXPECT_EQ(Server.Last().Count, C.Reply.empty() ? 0 : 1);
    EXPECT_TRUE(Ok ? Msg.isEmpty() : Msg.startsWith(QLatin1String(C.Expected))) << Msg.toStdString();
    EXPECT_EQ(Forecast.Lines().join(u' '), Ok ? QLatin1String(C.Expected) : QLatin1String(""));
    if (!Ok) continue;
    EXPECT_EQ(Forecast.Latitude + u' ' + Forecast.Longitude, QLatin1String(C.Point));
    EXPECT_EQ(Forecast.SourceName, u"NDFD");
    EXPECT_EQ(Forecast.Metric, C.Metric);
    EXPECT_TRUE(Forecast.Has[wkTemperature]);
    EXPECT_TRUE(Forecast.Use[wkTemperature]);
    EXPECT_FALSE(Forecast.Has[wkPrecipitation]);
    EXPECT_FALSE(Forecast.Use[wkWind]);
    EXPECT_FALSE(Forecast.Has[wkHumidity]);
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_STREQ(Call.child_value("Unit"), C.Metric ? "m" : "e");
    EXPECT_STREQ(Call.child_value("startDate"), "2024-02-28");
  }
}
