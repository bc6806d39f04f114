#include "ImpWeathHttp.h"

#include "WebTestServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <functional>

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
static void PrintTo(const QStringList& List, std::ostream* Out) {
  *Out << '"' << List.join(u'|').toStdString() << '"';
}

namespace {

// A local server for the three sites and the station-list script, and a temporary
// folder of the test's own that must be empty again after every import.
class ImpWeathHttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", TempDir.path().toLocal8Bit());
    qunsetenv(StationScriptEnvVar);
    Hosts.WeatherSite = Server.Base() + "/wu";
    Hosts.Mesonet = Server.Base() + "/iem";
    Hosts.StateNetwork = Server.Base() + "/msu";
    Hosts.StationScript = Server.Base() + "/script/getStations.php";
    Options.TimeoutMs = 5000;
  }
  void TearDown() override {
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty()) << "a temporary file was left behind";
    qputenv("TMPDIR", OldTmpDir);
    qunsetenv(StationScriptEnvVar);
  }
  TImportedStationsHttp Stations() const {
    TImportedStationsHttp S;
    S.Hosts = Hosts;
    S.HttpOptions = Options;
    return S;
  }
  TImportedWeatherHttp Weather() const {
    TImportedWeatherHttp W;
    W.Hosts = Hosts;
    W.HttpOptions = Options;
    return W;
  }

  TWebTestServer Server;
  QTemporaryDir TempDir;
  QByteArray OldTmpDir;
  TWeatherWebHosts Hosts;
  THttpOptions Options;
};

const QDate March1(2016, 3, 1);
const QDate May31(2016, 5, 31);

TEST(ImpWeathHttpPlain, LocationsAndSourceIdentifiers) {
  const struct {
    const char* Location;
    const char* State;
    const char* Country;
    const char* FIPS;
    const char* ISO;
  } Cases[] = {
      {"IN,United States,US,US", "IN", "United States", "US", "US"},
      {"ON, Canada , CA , CA", "ON", "Canada", "CA", "CA"},
      {"IN,United States", "IN", "United States", "", ""},
      {"BY,Germany,GM", "BY", "Germany", "GM", "GM"},
      {"IA", "IA", "United States", "US", "US"},
  };
  for (const auto& C : Cases) {
    QString State, Country, FIPS, ISO;
    SplitLocation(QString::fromLatin1(C.Location), State, Country, FIPS, ISO);
    EXPECT_EQ(QStringList({State, Country, FIPS, ISO}),
              QStringList({C.State, C.Country, C.FIPS, C.ISO}))
        << C.Location;
  }
  EXPECT_EQ(WeatherSourceIndex("wu_asos"), wsWuAsos);
  EXPECT_EQ(WeatherSourceIndex("MI_Enviro-weather"), wsMiEnviroWeather);
  EXPECT_EQ(WeatherSourceIndex("MI_Enviro"), wsNone);
}

TEST_F(ImpWeathHttpTest, StationListOfEachSource) {
  const struct {
    const char* Source;
    const char* Location;
    const char* Route;
    const char* Fixture;
    const char* Target;
    int Count;
    QStringList Lines;
  } Cases[] = {
      {"WU_ASOS", "IN,United States,US,US", "/iem/sites/locate.php", "mesonet_locate.html",
       "/iem/sites/locate.php?network=IN_ASOS", 4,
       {"KAMW=Ames Municipal Airport", "KIND=Indianapolis Intl",
        "KLAF=Lafayette\\, Purdue Univ Airport", "KIN1234=West Lafayette 6NW"}},
      {"WU_ASOS", "on,Canada,CA,ca", "/iem/sites/locate.php", "mesonet_locate.html",
       "/iem/sites/locate.php?network=CA_ON_ASOS", 4, {}},
      {"NWS_COOP", "in", "/iem/sites/locate.php", "mesonet_locate.html",
       "/iem/sites/locate.php?network=INCLIMATE", 4,
       {"AMW=Ames Municipal Airport", "KIND=Indianapolis Intl",
        "LAF=Lafayette\\, Purdue Univ Airport", "IN1234=West Lafayette 6NW"}},
      {"IA_AgClimate", "IA", "/iem/sites/locate.php", "mesonet_locate.html",
       "/iem/sites/locate.php?network=ISUAG", 4, {}},
      {"WU_PWS", "IN,United States,US,US", "/wu/weatherstation/ListStations.asp",
       "wu_stations.csv",
       "/wu/weatherstation/ListStations.asp?selectedState=IN&selectedCountry=United+States&format=XML", 2,
       {"KINWESTL12=West Lafayette", "KINLAFAY9=Lafayette"}},
      {"WU_PWS", "BC,Canada & Co,CA,CA", "/wu/weatherstation/ListStations.asp",
       "wu_stations.html",
       "/wu/weatherstation/ListStations.asp?selectedCountry=Canada+%26+Co&format=XML", 2,
       {"KINWESTL12=West Lafayette", "KINLAFAY9=Lafayette"}},
      {"MI_Enviro-weather", "MI", "/msu/", "michigan.html", "/msu/", 3,
       {"aho=Ahoy Farms", "msu=East Lansing (MSU)\\, campus", "clk=Clarksville"}},
  };
  for (const auto& C : Cases) {
    Server.Serve(C.Route, WebFixture(C.Fixture));
    TImportedStationsHttp S = Stations();
    QString Msg;
    ASSERT_TRUE(S.GetSourceStations(C.Source, C.Location, Msg)) << Msg.toStdString();
    EXPECT_EQ(Server.LastTarget(), C.Target);
    EXPECT_TRUE(Msg.isEmpty());
    if (!C.Lines.isEmpty()) {
      EXPECT_EQ(S.Lines(), C.Lines) << C.Source;
    }
    EXPECT_EQ(S.Count(), C.Count) << C.Source;
  }
}

TEST_F(ImpWeathHttpTest, StationScriptAddsPositionsAndDistances) {
  Server.Serve("/iem/sites/locate.php", WebFixture("mesonet_locate.html"));
  Server.Serve("/script/", WebFixture("getStations.tsv"));
  Server.Serve("/elsewhere/", WebFixture("getStations.tsv"));
  Server.Serve("/failing/", "Error: no such source");
  const QString Base = Server.Base();
  const struct {
    QString Environment;
    const char* Location;
    QDate MinDate;
    const char* Target;
    bool Positions;
  } Cases[] = {
      {"", "IN,United States,US,US", March1,
       "/script/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&MinDate=20160301&GetTab",
       true},
      {Base + "/elsewhere/stations.php?key=1", "IN,United States", QDate(),
       "/elsewhere/stations.php?key=1&SourceID=WU_ASOS&CountryFIPS=&GetTab", true},
      {Base + "/failing/getStations.php", "IN", QDate(),
       "/failing/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&GetTab", false},
      {Base + "/missing/getStations.php", "IN", QDate(),
       "/missing/getStations.php?SourceID=WU_ASOS&CountryFIPS=US&StateAbbr=IN&GetTab", false},
  };
  for (const auto& C : Cases) {
    if (C.Environment.isEmpty()) {
      qunsetenv(StationScriptEnvVar);
    } else {
      qputenv(StationScriptEnvVar, C.Environment.toUtf8());
    }
    TImportedStationsHttp S = Stations();
    QString Msg;
    ASSERT_TRUE(S.GetStations("WU_ASOS", C.Location, 40.0, -87.0, C.MinDate, Msg)) << C.Target;
    EXPECT_EQ(Server.LastTarget(), C.Target);
    ASSERT_EQ(S.Count(), 4);
    const int Amw = S.IndexOfName("KAMW"), Laf = S.IndexOfName("KLAF");
    const int Ind = S.IndexOfName("KIND");
    if (!C.Positions) {
      for (int I = 0; I < S.Count(); ++I) EXPECT_TRUE(S.GetLatitude(I).isEmpty()) << "names only";
      continue;
    }
    // Of the repeated rows the latest end date wins; a "," in a value stays in its field.
    EXPECT_EQ(S.GetLatitude(Amw), u"41.99");
    EXPECT_EQ(S.GetEndDate(Amw), u"20160530");
    EXPECT_EQ(S.GetElevation(Laf), u"185,5");
    EXPECT_EQ(S.GetEndDate(Laf), u"20160531");
    EXPECT_EQ(S.GetStationName(Laf), u"Lafayette, Purdue Univ Airport");
    EXPECT_EQ(S.ValueFromIndex(Ind), u"Indianapolis Intl");
    // Distances in miles for the United States, kilometres elsewhere.
    const bool US = QString::fromLatin1(C.Location).endsWith(u"US");
    EXPECT_EQ(S.Metric, !US);
    EXPECT_EQ(S.GetDistanceText(Amw), US ? u"371.6" : u"598.0");
    EXPECT_EQ(S.GetDirection(Amw), u"WNW");
    EXPECT_EQ(S.GetDistanceText(Laf), US ? u"28.5" : u"45.9");
    EXPECT_EQ(S.GetDirection(Laf), u"N");
  }
}

TEST_F(ImpWeathHttpTest, DailyDataOfEachSource) {
  Server.Serve("/wu/history/airport/", WebFixture("wu_asos.csv"));
  Server.Serve("/wu/weatherstation/WXDailyHistory.asp", WebFixture("wu_pws.csv"));
  Server.Serve("/iem/request/coop/dl.php", WebFixture("coop.csv"));
  Server.Serve("/iem/agclimate/hist/worker.php", WebFixture("isuag.csv"));
  Server.Serve("/msu/dod.asp", WebFixture("enviroweather.csv"));
  const struct {
    const char* Source;
    const char* Station;
    const char* Target;
    const char* SourceName;
    const char* StationName;
    QStringList Lines;
  } Cases[] = {
      {"WU_ASOS", "kamw",
       "/wu/history/airport/KAMW/2016/3/1/CustomHistory.html?dayend=31&monthend=5&yearend=2016"
       "&req_city=NA&req_state=NA&req_statename=NA&format=1",
       "Weather Underground", "",
       {"20160301=55,35,45,0.12,9,70,Rain", "20160302=48,31,40,0,7,68,",
        "20160303=60,,50,0.00,11,,Rain-Thunderstorm"}},
      {"WU_ASOS", "k/x&y z",
       "/wu/history/airport/K%2FX%26Y%20Z/2016/3/1/CustomHistory.html?dayend=31&monthend=5"
       "&yearend=2016&req_city=NA&req_state=NA&req_statename=NA&format=1",
       "Weather Underground", "", {}},
      {"WU_PWS", "KINWESTL12",
       "/wu/weatherstation/WXDailyHistory.asp?ID=KINWESTL12&graphspan=custom&month=3&day=1"
       "&year=2016&monthend=5&dayend=31&yearend=2016&format=1",
       "Weather Underground", "",
       {"20160301=55.2,35.0,45.1,0.12,9,70", "20160302=48.0,31.1,40.3,0.00,7,68",
        "20160303=60.4,40.2,,0.35,11,"}},
      {"NWS_COOP", "in1234",
       "/iem/request/coop/dl.php?network=INCLIMATE&station[]=IN1234&year1=2016&month1=3&day1=1"
       "&year2=2016&month2=5&day2=31&vars[]=high&vars[]=low&vars[]=precip&what=view&delim=comma"
       "&gis=no",
       "NWS COOP", "WEST LAFAYETTE 6NW",
       {"20160301=55,33,,0.12", "20160302=48,,,", "20160303=60,40,,0.00"}},
      {"IA_AgClimate", "A130209",
       "/iem/agclimate/hist/worker.php?timeType=daily&sts[]=A130209&vars[]=c11&vars[]=c12"
       "&vars[]=c40&vars[]=c90&vars[]=c20&startYear=2016&startMonth=3&startDay=1&endYear=2016"
       "&endMonth=5&endDay=31&delim=comma&lf=dos",
       "Iowa State Ag Climate", "Ames",
       {"20160301=55.2,33.1,,0.12,8.5,71.0", "20160302=48.0,,,0.00,6.1,",
        "20160303=60.4,40.2,,0.35,11.2,80.5"}},
      {"MI_Enviro-weather", "msu", "/msu/dod.asp", "Enviro-weather", "",
       {"20160301=55.0,33.0,,0.12,,70.0", "20160302=48.0,31.0,,0.00,",
        "20160303=60.1,40.2,,0.35,,80.0"}},
  };
  for (const auto& C : Cases) {
    TImportedWeatherHttp W = Weather();
    QString Msg;
    ASSERT_TRUE(W.ImportWeb(C.Source, C.Station, March1, May31, Msg)) << Msg.toStdString();
    EXPECT_EQ(Server.LastTarget(), C.Target);
    EXPECT_EQ(W.SourceName, QLatin1String(C.SourceName));
    EXPECT_EQ(W.StationName, QLatin1String(C.StationName));
    EXPECT_FALSE(W.Metric);
    if (!C.Lines.isEmpty()) {
      EXPECT_EQ(W.Lines(), C.Lines) << C.Source;
    }
  }
  // The state network's form, field by field.
  const httplib::Request Post = Server.Last();
  EXPECT_EQ(Post.method, "POST");
  EXPECT_EQ(Post.get_file_value("id").content, "MSU");
  EXPECT_EQ(Post.files.count("var"), 7u);
  for (const char* Field : {"smm=3", "sdd=1", "syy=2016", "emm=5", "edd=31", "eyy=2016",
                            "unit=usa", "format=csv", "rt=daily", "ehh=24"}) {
    const std::string Text(Field);
    const size_t Eq = Text.find('=');
    EXPECT_EQ(Post.get_file_value(Text.substr(0, Eq)).content, Text.substr(Eq + 1)) << Field;
  }
}

TEST_F(ImpWeathHttpTest, FailuresGiveTheirMessage) {
  Server.Serve("/iem/sites/locate.php", "<html><body>Service unavailable</body></html>");
  static const char Garbled[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe";
  Server.Serve("/wu/history/airport/", std::string(Garbled, sizeof(Garbled) - 1));
  Server.Serve("/iem/request/coop/dl.php", "station,station_name,lat,lon,day,high,low,precip\n");
  Server.Serve("/iem/agclimate/", std::string(200 * 1024, 'x'));
  Options.MaxReplySize = 100 * 1024;
  const QString Temp = TempDir.path();
  using TCall = std::function<bool(QString&)>;
  const struct {
    TCall Call;
    QString Expected;
    bool StartsWithTempFile;
  } Cases[] = {
      {[&](QString& M) { return Stations().GetSourceStations("WU_XX", "IN", M); },
       "WU_XX: invalid weather source ID.", false},
      {[&](QString& M) { return Stations().GetStations("WU_ASOS", " ", 40, -87, QDate(), M); },
       "Location ID is blank.", false},
      {[&](QString& M) { return Stations().GetSourceStations("NWS_COOP", "IN", M); },
       "Invalid format encountered.", false},
      {[&](QString& M) { return Stations().GetSourceStations("WU_PWS", "IN", M); },
       "HTTP/1.1 404 Not Found", false},
      {[&](QString& M) { return Weather().ImportWeb("", "KAMW", March1, May31, M); },
       ": invalid weather source ID.", false},
      {[&](QString& M) { return Weather().ImportWeb("WU_ASOS", " ", March1, May31, M); },
       "Station ID is blank.", false},
      {[&](QString& M) { return Weather().ImportWeb("WU_ASOS", "KAMW", QDate(), May31, M); },
       "Invalid date range.", false},
      {[&](QString& M) { return Weather().ImportWeb("WU_ASOS", "KAMW", March1, May31, M); },
       "\nUnrecognized file format.", true},
      {[&](QString& M) { return Weather().ImportWeb("NWS_COOP", "IN1234", March1, May31, M); },
       "\nFile contains no data.", true},
      {[&](QString& M) { return Weather().ImportWeb("IA_AgClimate", "A1", March1, May31, M); },
       "The reply is too large (more than 102400 bytes).", false},
      {[&](QString& M) { return Weather().ImportWeb("WU_PWS", "KIN1", March1, May31, M); },
       "HTTP/1.1 404 Not Found", false},
  };
  for (const auto& C : Cases) {
    QString Msg;
    EXPECT_FALSE(C.Call(Msg)) << C.Expected.toStdString();
    EXPECT_TRUE(Msg.endsWith(C.Expected)) << Msg.toStdString();
    EXPECT_EQ(Msg.startsWith(Temp), C.StartsWithTempFile) << Msg.toStdString();
    EXPECT_TRUE(QDir(Temp).isEmpty()) << C.Expected.toStdString();
  }
}

}  // namespace
