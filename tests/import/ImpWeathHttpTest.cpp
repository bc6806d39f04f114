#include "ImpWeathHttp.h"

#include "WebTestServer.h"

#include <functional>

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

using ImpWeathHttpTest = TWebTest;

const QDate March1(2016, 3, 1);
const QDate May31(2016, 5, 31);

TEST_F(ImpWeathHttpTest, StationListOfEachSource) {
  Server.Serve("/iem/sites/locate.php", WebFixture("mesonet_locate.html"));
  Server.Serve("/msu/", WebFixture("michigan.html"));
  const char* Pws = "KINWESTL12=West Lafayette|KINLAFAY9=Lafayette";
  const struct {
    const char *Source, *Location;
    const char* PwsFixture;  // the weather site's list, as a table or as a page
    const char *Target, *Lines;
  } Cases[] = {
      {"WU_ASOS", "IN,United States,US,US", "", "/iem/sites/locate.php?network=IN_ASOS",
       "KAMW=Ames Municipal Airport|KIND=Indianapolis Int'l & Co|KLAF=Lafayette\\, Purdue Univ Airport|"
       "KIN1234=West Lafayette 6NW"},
      {"wu_asos", "on, Canada , CA , ca", "", "/iem/sites/locate.php?network=CA_ON_ASOS", ""},
      {"NWS_COOP", "in", "", "/iem/sites/locate.php?network=INCLIMATE",
       "AMW=Ames Municipal Airport|KIND=Indianapolis Int'l & Co|LAF=Lafayette\\, Purdue Univ Airport|IN1234=West Lafayette "
       "6NW"},
      {"IA_AgClimate", "IA", "", "/iem/sites/locate.php?network=ISUAG", ""},
      {"WU_PWS", "IN,United States,US,US", "wu_stations.csv",
       "/wu/weatherstation/ListStations.asp?selectedState=IN&selectedCountry=United+States&format=XML", Pws},
      {"WU_PWS", "BC,Canada & Co,CA,CA", "wu_stations.html",
       "/wu/weatherstation/ListStations.asp?selectedCountry=Canada+%26+Co&format=XML", Pws},
      {"MI_Enviro-weather", "MI", "", "/msu/", "aho=Ahoy & Sons' Farms|msu=East Lansing (MSU)\\, campus|clk=Clarksville &amp; Hort!"},
  };
  for (const auto& C : Cases) {
    Server.Serve("/wu/weatherstation/ListStations.asp", WebFixture(C.PwsFixture));
    auto S = Make<TImportedStationsHttp>();
    QString Msg;
    ASSERT_TRUE(S.GetSourceStations(C.Source, C.Location, Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_EQ(Server.LastTarget(), C.Target);
    if (*C.Lines) {
      EXPECT_EQ(S.Lines().join(u'|'), QLatin1String(C.Lines));
    } else {
      EXPECT_EQ(S.Count(), 4) << C.Source;
    }
  }
}

TEST_F(ImpWeathHttpTest, StationScriptAddsPositionsAndDistances) {
  Server.Serve("/iem/sites/locate.php", WebFixture("mesonet_locate.html"));
  Server.Serve("/script/", WebFixture("getStations.tsv"));
  Server.Serve("/elsewhere/", WebFixture("getStations.tsv"));
  Server.Serve("/failing/", "Error: no such source");
  const QString Base = Server.Base();
  const struct {
    QString Environment;  // SOV_GETSTATIONS_URL
    const char* Location;
    QDate MinDate;
    const char* Target;
    const char* Distances;  // KAMW and KLAF, miles in the US, else km; empty: names only
  } Cases[] = {
      {"", "IN,United States,US,US", March1,
       "/script/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&MinDate=20160301&GetTab",
       "371.6 WNW|28.5 N"},
      {Base + "/elsewhere/stations.php?key=1", "IN,United States", QDate(),
       "/elsewhere/stations.php?key=1&SourceID=WU_ASOS&CountryFIPS=&GetTab", "598.0 WNW|45.9 N"},
      {Base + "/failing/getStations.php", "IN", QDate(),
       "/failing/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&GetTab", ""},
      {Base + "/missing/getStations.php", "IN", QDate(),
       "/missing/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&GetTab", ""},
  };
  for (const auto& C : Cases) {
    qputenv(StationScriptEnvVar, C.Environment.toUtf8());
    auto S = Make<TImportedStationsHttp>();
    QString Msg;
    ASSERT_TRUE(S.GetStations("WU_ASOS", C.Location, 40.0, -87.0, C.MinDate, Msg)) << C.Target;
    EXPECT_EQ(Server.LastTarget(), C.Target);
    ASSERT_EQ(S.Count(), 4);
    const int Amw = S.IndexOfName("KAMW"), Laf = S.IndexOfName("KLAF");
    QStringList Distances;
    for (int I : {Amw, Laf})
      if (!S.GetDistanceText(I).isEmpty()) Distances << S.GetDistanceText(I) + u' ' + S.GetDirection(I);
    EXPECT_EQ(Distances.join(u'|'), QLatin1String(C.Distances));
    if (*C.Distances == '\0') continue;
    // Of the repeated rows the latest end date wins; a "," in a value stays in its field.
    EXPECT_EQ(S.ValueFromIndex(Amw).section(u',', 0, 4), u"Ames Municipal Airport,41.99,-93.62,291,20160530");
    EXPECT_EQ(S.GetElevation(Laf), u"185,5");
    EXPECT_EQ(S.GetEndDate(Laf), u"20160531");
    EXPECT_EQ(S.GetStationName(Laf), u"Lafayette, Purdue Univ Airport");
    EXPECT_EQ(S.ValueFromIndex(S.IndexOfName("KIND")), u"Indianapolis Int'l & Co");
  }
}

TEST_F(ImpWeathHttpTest, DailyDataOfEachSource) {
  Server.Serve("/wu/history/airport/", WebFixture("wu_asos.csv"));
  Server.Serve("/wu/weatherstation/WXDailyHistory.asp", WebFixture("wu_pws.csv"));
  Server.Serve("/iem/request/coop/dl.php", WebFixture("coop.csv"));
  Server.Serve("/iem/agclimate/hist/worker.php", WebFixture("isuag.csv"));
  Server.Serve("/msu/dod.asp", WebFixture("enviroweather.csv"));
  const struct {
    const char *Source, *Station, *Target, *SourceAndStation, *Lines;
  } Cases[] = {
      {"WU_ASOS", "kamw",
       "/wu/history/airport/KAMW/2016/3/1/CustomHistory.html?dayend=31&monthend=5&yearend=2016"
       "&req_city=NA&req_state=NA&req_statename=NA&format=1",
       "Weather Underground/",
       "20160301=55,35,45,0.12,9,70,Rain|20160302=48,31,40,0,7,68,|20160303=60,,50,0.00,11,,Rain-Thunderstorm"},
      {"WU_ASOS", "k/x&y z",
       "/wu/history/airport/K%2FX%26Y%20Z/2016/3/1/CustomHistory.html?dayend=31&monthend=5"
       "&yearend=2016&req_city=NA&req_state=NA&req_statename=NA&format=1",
       "Weather Underground/", ""},
      {"WU_PWS", "KINWESTL12",
       "/wu/weatherstation/WXDailyHistory.asp?ID=KINWESTL12&graphspan=custom&month=3&day=1"
       "&year=2016&monthend=5&dayend=31&yearend=2016&format=1",
       "Weather Underground/",
       "20160301=55.2,35.0,45.1,0.12,9,70|20160302=48.0,31.1,40.3,0.00,7,68|20160303=60.4,40.2,,0.35,11,"},
      {"NWS_COOP", "in1234",
       "/iem/request/coop/dl.php?network=INCLIMATE&station[]=IN1234&year1=2016&month1=3&day1=1"
       "&year2=2016&month2=5&day2=31&vars[]=high&vars[]=low&vars[]=precip&what=view&delim=comma&gis=no",
       "NWS COOP/WEST LAFAYETTE 6NW", "20160301=55,33,,0.12|20160302=48,,,|20160303=60,40,,0.00"},
      {"IA_AgClimate", "A130209",
       "/iem/agclimate/hist/worker.php?timeType=daily&sts[]=A130209&vars[]=c11&vars[]=c12"
       "&vars[]=c40&vars[]=c90&vars[]=c20&startYear=2016&startMonth=3&startDay=1&endYear=2016"
       "&endMonth=5&endDay=31&delim=comma&lf=dos",
       "Iowa State Ag Climate/Ames",
       "20160301=55.2,33.1,,0.12,8.5,71.0|20160302=48.0,,,0.00,6.1,|20160303=60.4,40.2,,0.35,11.2,80.5"},
      {"MI_Enviro-weather", "msu", "/msu/dod.asp", "Enviro-weather/",
       "20160301=55.0,33.0,,0.12,,70.0|20160302=48.0,31.0,,0.00,|20160303=60.1,40.2,,0.35,,80.0"},
  };
  for (const auto& C : Cases) {
    auto W = Make<TImportedWeatherHttp>();
    QString Msg;
    ASSERT_TRUE(W.ImportWeb(C.Source, C.Station, March1, May31, Msg)) << Msg.toStdString();
    EXPECT_EQ(Server.LastTarget(), C.Target);
    EXPECT_EQ(W.SourceName + u'/' + W.StationName, QLatin1String(C.SourceAndStation));
    EXPECT_FALSE(W.Metric);
    if (*C.Lines) {
      EXPECT_EQ(W.Lines().join(u'|'), QLatin1String(C.Lines));
    }
  }
  EXPECT_EQ(Server.LastForm(),
            "edd=31&ehh=24&emm=5&enn=0&eyy=2016&format=csv&id=MSU&rt=daily&sdd=1&shh=24&smm=3"
            "&snn=0&syy=2016&unit=usa&var=atmp_max&var=atmp_min&var=pcpn&var=relh_max"
            "&var=relh_min&var=rpet&var=srad");
}

// A day file sent compressed and flushed line by line, cut after its second day with a
// length that matches what was sent: nothing of it is imported.
TEST_F(ImpWeathHttpTest, ADayFileCutShortImportsNothing) {
  std::string Csv = "station,station_name,lat,lon,day,high,low,precip\n";
  for (int Day = 1; Day <= 5; ++Day)
    Csv += "IN1234,WEST LAFAYETTE 6NW,40.47,-87.00,2016-03-0" + std::to_string(Day) + ",55,33,0.12\n";
  std::vector<size_t> Flushed;
  const std::string Gzip = Compressed(Csv, 15 + 16, &Flushed);
  Server.ServeEncoded("/iem/request/coop/dl.php", Gzip.substr(0, Flushed[2]), "gzip");
  auto W = Make<TImportedWeatherHttp>();
  QString Msg;
  EXPECT_FALSE(W.ImportWeb("NWS_COOP", "IN1234", March1, May31, Msg));
  EXPECT_EQ(Msg, "Weather data of station IN1234 from NWS_COOP\n"
                 "The reply was cut short. Check the Internet connection, or try again later.");
  EXPECT_EQ(W.Count(), 0);
  // Whole, the same file gives its five days.
  Server.ServeEncoded("/iem/request/coop/dl.php", Gzip, "gzip");
  ASSERT_TRUE(W.ImportWeb("NWS_COOP", "IN1234", March1, May31, Msg)) << Msg.toStdString();
  EXPECT_EQ(W.Count(), 5);
}

TEST_F(ImpWeathHttpTest, FailuresGiveTheirMessage) {
  Server.Serve("/iem/sites/locate.php", "<html><body>Service unavailable</body></html>");
  static const char Garbled[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe";
  Server.Serve("/wu/history/airport/", std::string(Garbled, sizeof(Garbled) - 1));
  Server.Serve("/iem/request/coop/dl.php", "station,station_name,lat,lon,day,high,low,precip\n");
  Server.Serve("/iem/agclimate/", std::string(200 * 1024, 'x'));
  Server.Route("/msu/", [this](const httplib::Request&, httplib::Response&) { Server.Stall(); });
  Options.MaxReplySize = 100 * 1024;
  Options.StallTimeoutMs = 300;
  const auto List = [this](const char* Source, const char* Location) {
    return [=, this](QString& M) { return Make<TImportedStationsHttp>().GetSourceStations(Source, Location, M); };
  };
  const auto Days = [this](const char* Source, const char* Station, QDate Start = March1) {
    return [=, this](QString& M) { return Make<TImportedWeatherHttp>().ImportWeb(Source, Station, Start, May31, M); };
  };
  const struct {
    std::function<bool(QString&)> Call;
    const char* Expected;  // the whole message
  } Cases[] = {
      {List("WU_XX", "IN"), "WU_XX: invalid weather source ID."},
      {List("WU_ASOS", " "), "Location ID is blank."},
      {List("NWS_COOP", "IN"), "Invalid format encountered."},
      {List("WU_PWS", "IN"), "Station list of WU_PWS\nHTTP/1.1 404 Not Found"},
      {List("MI_Enviro-weather", "MI"),
       "Station list of MI_Enviro-weather\n"
       "No data arrived from the server for 0.3 s. Check the Internet connection, or try again later."},
      {Days("", "KAMW"), ": invalid weather source ID."},
      {Days("WU_ASOS", " "), "Station ID is blank."},
      {Days("WU_ASOS", "KAMW", QDate()), "Invalid date range."},
      {Days("WU_ASOS", "kamw"), "Weather data of station KAMW from WU_ASOS\nUnrecognized file format."},
      {Days("NWS_COOP", "IN1234"), "Weather data of station IN1234 from NWS_COOP\nFile contains no data."},
      {Days("IA_AgClimate", "A1"),
       "Weather data of station A1 from IA_AgClimate\nThe reply is too large (more than 102400 bytes)."},
      {Days("WU_PWS", "KIN1"), "Weather data of station KIN1 from WU_PWS\nHTTP/1.1 404 Not Found"},
      {Days("MI_Enviro-weather", "msu"),
       "Weather data of station MSU from MI_Enviro-weather\n"
       "No data arrived from the server for 0.3 s. Check the Internet connection, or try again later."},
  };
  for (const auto& C : Cases) {
    QString Msg;
    EXPECT_FALSE(C.Call(Msg)) << C.Expected;
    EXPECT_EQ(Msg, QLatin1String(C.Expected));
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty()) << C.Expected;
  }
}

}  // namespace
