#include "ImpWeathInterp.h"

#include "WebTestServer.h"

#include <limits>

namespace {

// Days of personal stations A, B, C and D1-D10 (maximum 10 x the number) as high,
// average and low temperature, precipitation, wind and humidity; cooperative station
// M1 reports in metric units, E1 in English units.
class ImpWeathInterpTest : public TWebTest {
 protected:
  void SetUp() override {
    TWebTest::SetUp();
    Server.Route("/wu/weatherstation/WXDailyHistory.asp", [](const httplib::Request& Req, httplib::Response& Res) {
      const std::string ID = Req.get_param_value("ID");
      const std::map<std::string, std::string> Days{
          {"A", "2016-03-01,80,70,60,0.10,5,50\n<br>\n2016-03-02,82,72,,,6,N/A\n"},
          {"B",
           "2016-03-01,90,80,70,0.20,10,60\n<br>\n2016-03-02,86,76,66,0.40,8,70\n<br>\n"
           "2016-03-03,88,78,68,0.30,9,80\n"},
          {"C", "2016-03-01,70,60,50,0.00,3,90\n<br>\n2016-03-03,100,,,,,\n"}};
      const int D = ID.size() >= 2 && ID[0] == 'D' ? std::atoi(ID.c_str() + 1) : 0;
      const auto Found = Days.find(ID);
      if (Found == Days.end() && D == 0) return void(Res.status = 404);
      Res.set_content(
          "Date,TemperatureHighF,TemperatureAvgF,TemperatureLowF,PrecipitationSumIn,"
          "WindSpeedAvgMPH,HumidityAvg\n<br>\n" +
              (D > 0 ? "2016-03-01," + std::to_string(10 * D) + ",,,,,\n" : Found->second),
          "text/plain");
    });
    Server.Route("/iem/request/coop/dl.php", [](const httplib::Request& Req, httplib::Response& Res) {
      Res.set_content(Req.get_param_value("station[]") == "M1"
                          ? "station,day,highc,lowc,precipmm\nM1,2016-03-01,20,10,3\n"
                          : "station,day,high,low,precip\nE1,2016-03-01,68,50,0.12\n",
                      "text/plain");
    });
  }
};

// Inverse-distance-squared means, and the failures, each with its message.
TEST_F(ImpWeathInterpTest, InverseDistanceSquaredMeans) {
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  TStationRecArray Ten;
  for (int I = 1; I <= 10; ++I) Ten.push_back({QStringLiteral("D%1").arg(I), double(I)});
  const struct {
    const char* Source;
    TStationRecArray Stations;
    const char* Expected;  // the day lines, or the message
  } Cases[] = {
      // A at 1, B at 2: weights 1 and 1/4; B has the most days and gives the dates.
      {"WU_PWS",
       {{"A", 1.0}, {"B", 2.0}},
       "20160301=82.0,62.0,72.0,0.1,6.0,52.0,|20160302=82.8,66.0,72.8,0.4,6.4,70.0,|20160303=88.0,68.0,78.0,0.3,9.0,80."
       "0,"},
      // C at 4 adds a weight of 1/16 where it has values.
      {"WU_PWS",
       {{"A", 1.0}, {"B", 2.0}, {"C", 4.0}},
       "20160301=81.4,61.4,71.4,0.1,5.9,53.8,|20160302=82.8,66.0,72.8,0.4,6.4,70.0,|20160303=90.4,68.0,78.0,0.3,9.0,80."
       "0,"},
      // Equal day counts: the earlier station gives the dates; a date only C has keeps
      // C's values and empty fields where C has none.
      {"WU_PWS", {{"C", 4.0}, {"A", 1.0}}, "20160301=79.4,59.4,69.4,0.1,4.9,52.4,|20160303=100.0,,,,,,"},
      // Ten stations at 1 to 10 with maximum 10 x distance: 10 x H(1) / H(2).
      {"WU_PWS", Ten, "20160301=18.9,,,,,,"},
      {"WU_PWS", {{"A", 1.0}}, "Interpolation requires at least 2 stations."},
      {"WU_PWS", {{"A", 1.0}, {"B", 0.0}, {"C", -1.0}}, "Distance to station B is 0 or invalid."},
      {"WU_PWS", {{"A", NaN}, {"B", 1.0}}, "Distance to station A is 0 or invalid."},
      {"WU_PWS", {{"A", 1.0}, {"B", 1e-200}}, "Distance to station B is 0 or invalid."},
      {"WU_PWS", {{"A", 1.0}, {"Q", 2.0}, {"B", 2.0}}, "Weather data of station Q from WU_PWS\nHTTP/1.1 404 Not Found"},
      {"WU_XX", {{"A", 1.0}, {"B", 2.0}}, "WU_XX: invalid weather source ID."},
      {"NWS_COOP", {{"E1", 1.0}, {"M1", 2.0}}, "Stations E1 and M1 report their data in different units."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Expected);
    auto W = Make<TImportedWeatherInterp>();
    QString Msg;
    const bool Ok = W.Interpolate(C.Source, C.Stations, QDate(2016, 3, 1), QDate(2016, 3, 3), Msg);
    EXPECT_EQ(Ok, QLatin1String(C.Expected).startsWith(u"2016"));
    if (!Ok) {
      EXPECT_EQ(Msg, QLatin1String(C.Expected));
      continue;
    }
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_EQ(W.Lines().join(u'|'), QLatin1String(C.Expected));
    EXPECT_EQ(W.SourceName, QStringLiteral("Weather Underground"));
    EXPECT_FALSE(W.Metric);
    for (int K : {wkTemperature, wkPrecipitation, wkWind, wkHumidity}) EXPECT_TRUE(W.Has[K]) << K;
    for (int K : {wkNotes, wkIrrigation}) {
      EXPECT_FALSE(W.Has[K]) << K;
      EXPECT_FALSE(W.Use[K]) << K;
    }
  }
}

// The wait shows which station is downloaded, n of m; a cancel ends the interpolation
// at the station it stopped.
TEST_F(ImpWeathInterpTest, ProgressNamesTheStationAndCancelStops) {
  TNetProgress Progress;
  auto W = Make<TImportedWeatherInterp>();
  W.HttpOptions.Progress = &Progress;
  QString Msg;
  ASSERT_TRUE(W.Interpolate("WU_PWS", {{"a", 1.0}, {"B", 2.0}}, QDate(2016, 3, 1), QDate(2016, 3, 3), Msg));
  EXPECT_EQ(Progress.Step(), "Downloading the weather data of station B (2 of 2) from WU_PWS");
  const int Requests = Server.Last().Count;
  Progress.Cancel();
  EXPECT_FALSE(W.Interpolate("WU_PWS", {{"A", 1.0}, {"B", 2.0}}, QDate(2016, 3, 1), QDate(2016, 3, 3), Msg));
  EXPECT_EQ(Msg, QStringLiteral("Weather data of station A from WU_PWS\n") + QLatin1String(MsgNetCancelled));
  EXPECT_EQ(Server.Last().Count, Requests);
  EXPECT_EQ(W.Count(), 3);  // the days of the first interpolation
}

}  // namespace
