// The soil data service importer: query texts (values cannot break out of their SQL
// literals), the three query steps against a local server, their failures, and the
// texture, wilting-point and coarse-fragment readings of a horizon.

#include "ImpSDM.h"
#include "WebTestServer.h"

#include <string>
#include <utility>
#include <vector>

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

// A soil data service reply whose data set holds one table row per horizon top depth
// (after Before, if given); the bottoms are 10, 20, ...
std::string HorizonReply(const std::vector<int>& Tops, const std::string& Before = "") {
  std::string Data = Before;
  for (size_t I = 0; I < Tops.size(); ++I) {
    Data += "<Table><areasymbol>IN001</areasymbol><mukey>166934</mukey><compname>Blount</compname><hzdept_r>" +
            std::to_string(Tops[I]) + "</hzdept_r><hzdepb_r>" + std::to_string(10 * (I + 1)) + "</hzdepb_r></Table>";
  }
  return SoapEnvelopeText(
      "<RunQueryResponse><RunQueryResult><diffgr:diffgram "
      "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet xmlns=\"\">" +
      Data + "</NewDataSet></diffgr:diffgram></RunQueryResult></RunQueryResponse>");
}

// The query text of the last request.
std::string SentQuery(const TWebTestServer& Server) {
  pugi::xml_document Doc;
  return RequestCall(Doc, Server.Last().Body).child_value("Query");
}

// A horizon set of one horizon with these values (field, text).
TImportedSdmHorizons OneHorizon(const std::vector<std::pair<int, const char*>>& Values) {
  TImportedSdmHorizons H;
  TSdmHorizRec Rec;
  for (const auto& [Field, Text] : Values) Rec[size_t(Field)] = QString::fromUtf8(Text);
  H.AddHorizon(Rec);
  return H;
}

}  // namespace

TEST(ImpSDMQueries, ValuesStayInsideTheirLiterals) {
  EXPECT_TRUE(TImportedSdmSurveys::SurveysQuery(QStringLiteral("IN"))
                  .endsWith(QStringLiteral("l.areasymbol LIKE 'IN%' ORDER BY l.areasymbol")));
  for (const char* Bad : {"I'", "IND", "", "I%", "1N"})
    EXPECT_TRUE(TImportedSdmSurveys::SurveysQuery(QString::fromUtf8(Bad)).isEmpty()) << Bad;
  const QString MapUnits = TImportedSdmSoils::MapUnitsQuery(QStringLiteral("IN001' OR '1'='1"));
  const QString BySymbol = TImportedSdmHorizons::HorizonsQuery(QStringLiteral("IN'1"),
                                                               QString::fromUtf8("\xC3\x84"
                                                                                 "bC'"),
                                                               QStringLiteral("O'Brien"));
  const QString ByKey =
      TImportedSdmHorizons::HorizonsQuery(QString(), QStringLiteral("16'6"), QStringLiteral("Unused"));
  for (const char* Part : {"l.areasymbol = 'IN001'' OR ''1''=''1' INNER JOIN mapunit mu ON mu.lkey = l.lkey LEFT OUTER",
                           "c.majcompflag = 'Yes' ORDER BY l.areasymbol, museq, comppct_r DESC, compname"})
    EXPECT_TRUE(MapUnits.contains(QLatin1String(Part))) << Part;
  for (const char* Part :
       {"l.areasymbol = 'IN''1'",
        "LOWER(mu.musym) = '\xC3\x84"
        "bc''' LEFT OUTER JOIN",
        "c.compname = 'O''Brien' LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey ORDER BY l.areasymbol"})
    EXPECT_TRUE(BySymbol.contains(QString::fromUtf8(Part))) << Part;
  EXPECT_TRUE(ByKey.contains(QStringLiteral(
      "FROM sacatalog sac INNER JOIN legend l ON l.areasymbol = sac.areasymbol INNER JOIN mapunit mu ON mu.lkey = "
      "l.lkey AND mu.mukey = '16''6' LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND c.majcompflag = 'Yes' "
      "LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey ORDER BY museq, comppct_r DESC, compname, hzdepb_r")));
  EXPECT_FALSE(ByKey.contains(QStringLiteral("Unused")));
}

TEST(ImpSDMQueries, ThreeStepsAgainstTheService) {
  std::string Reply = ReadTestFile("sdm_surveys.xml");
  TSoapTestServer Server([&Reply](TSoapTestServer&, httplib::Response& Res) { Res.set_content(Reply, "text/xml"); });
  TPrivateTempDir Temp;

  TImportedSdmSurveys Surveys;
  Surveys.ServiceAddress = Server.Url();
  QString Msg = QStringLiteral("x");
  ASSERT_TRUE(Surveys.GetSurveys(QStringLiteral("IN"), Msg)) << Msg.toStdString();
  EXPECT_TRUE(Msg.isEmpty());
  EXPECT_EQ(QString::fromStdString(SentQuery(Server)), TImportedSdmSurveys::SurveysQuery(QStringLiteral("IN")));
  Surveys.SortByName();
  QStringList Names;
  for (int I = 0; I < Surveys.Count(); ++I) Names << Surveys.GetAreaName(I);
  EXPECT_EQ(Names.join(u'|'),
            QStringLiteral("Adams County, Indiana|Allen County, Indiana|Bartholomew County, Indiana|"
                           "Lagrange County, Indiana|LaPorte County, Indiana|St. Joseph County, Indiana"));
  EXPECT_EQ(Surveys.GetAreaSymbol(4), QStringLiteral("IN091"));
  // A bad state abbreviation sends nothing.
  EXPECT_FALSE(Surveys.GetSurveys(QStringLiteral("I'"), Msg));
  EXPECT_EQ(Msg, QStringLiteral("\"I'\" is not a valid state abbreviation."));
  EXPECT_EQ(Surveys.Count(), 0);
  EXPECT_EQ(Server.Last().Count, 1);

  Reply = ReadTestFile("sdm_mapunits.xml");
  TImportedSdmSoils Soils;
  Soils.ServiceAddress = Server.Url();
  ASSERT_TRUE(Soils.GetMapUnits(QStringLiteral("IN001"), Msg)) << Msg.toStdString();
  ASSERT_EQ(Soils.Count(), 5);
  EXPECT_EQ(Soils.Strings(0), QStringLiteral("Blount=BlA,166934,52310,85"));
  EXPECT_EQ(Soils.Strings(3), QStringLiteral("=W,166960,812,"));  // a map unit without a major component
  Soils.SortByName();
  QStringList Components;
  for (int I = 0; I < Soils.Count(); ++I)
    if (!Soils.GetComponentName(I).isEmpty())
      Components << Soils.GetComponentName(I) + u'/' + Soils.GetMapUnitSymbol(I);
  EXPECT_EQ(Components.join(u' '), QStringLiteral("Blount/BlA Glynwood/GsB2 houghton/Ho Pewamo/Pm"));

  Reply = ReadTestFile("sdm_horizons.xml");
  TImportedSdmHorizons H;
  H.ServiceAddress = Server.Url();
  ASSERT_TRUE(H.GetHorizons(QStringLiteral("IN001"), QStringLiteral("BlA"), QStringLiteral("Blount"), Msg))
      << Msg.toStdString();
  EXPECT_EQ(QStringList({H.AreaSymbol, H.MapUnitSymbol, H.MapUnitKey, H.ComponentName}).join(u' '),
            QStringLiteral("IN001 BlA 166934 Blount"));
  ASSERT_EQ(H.Count(), 3);
  EXPECT_EQ(H.Horizon(1)[sdmHzdepb], QStringLiteral("23"));
  EXPECT_EQ(H.Horizon(2)[sdmPh1to1h2o], QString());
  EXPECT_EQ(H.Horizon(2)[sdmPh01mcacl2], QStringLiteral("6.25"));
  EXPECT_EQ(H.Horizon(3)[sdmCec7], QString());  // missing element
  EXPECT_THROW(H.Horizon(4), std::out_of_range);

  // The first component only (its horizons start at 0 again), at most ten horizons.
  const struct {
    std::vector<int> Tops;
    std::string Before;
    int Count;
  } Cases[] = {{{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110}, "", 10},
               {{0, 10, 20, 0, 10}, "", 3},
               {{0}, "", 1},
               {{0, 10, 0}, "<Info>x</Info>", 2},
               // A depth inside a million nested elements is read without recursion.
               {{}, "<Table><hzdept_r>0</hzdept_r><hzdepb_r>" + DeeplyNested("10") + "</hzdepb_r></Table>", 1},
               {{}, "", 0}};
  for (const auto& C : Cases) {
    Reply = HorizonReply(C.Tops, C.Before);
    ASSERT_TRUE(H.GetHorizons(QString(), QStringLiteral("166934"), QString(), Msg)) << Msg.toStdString();
    EXPECT_EQ(H.Count(), C.Count);
    EXPECT_EQ(H.Value(H.Count(), sdmHzdepb), C.Count ? QString::number(H.Count() * 10) : QString());
  }
  EXPECT_EQ(Temp.FileCount(), 0);
}

TEST(ImpSDMQueries, FailuresGiveTheirMessageAndLeaveTheObjectEmpty) {
  const std::string NoResponse = SoapEnvelopeText("<Other/>");
  const struct {
    int Step;  // 1 survey areas, 2 map units, 3 horizons (one held before)
    std::string Reply;
    int Status;
    const char* Message;
  } Cases[] = {
      {1, NoResponse, 200, "Unable to retrieve soil survey information from Soil Data Mart Web service."},
      {2, NoResponse, 200, "Unable to retrieve soil map unit data from Soil Data Mart Web service."},
      {3, NoResponse, 200, "Unable to retrieve soil horizon data from Soil Data Mart Web service."},
      {1, SoapFaultText("Invalid object name 'sacatalog'."), 500,
       "The web service reported an error: Invalid object name 'sacatalog'."},
      // A reply without a diffgram fails as the XML it is not, each step alike.
      {1, SoapEnvelopeText("<RunQueryResponse><RunQueryResult/></RunQueryResponse>"), 200,
       "Invalid XML data: "},
      {3, SoapEnvelopeText("<RunQueryResponse><RunQueryResult/></RunQueryResponse>"), 200,
       "Invalid XML data: "},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message);
    TSoapTestServer Server(Answer(C.Reply, C.Status));
    TPrivateTempDir Temp;
    TImportedSdmSurveys S;
    TImportedSdmSoils M;
    TImportedSdmHorizons H = OneHorizon({{sdmHzdepb, "23"}});
    S.ServiceAddress = M.ServiceAddress = H.ServiceAddress = Server.Url();
    QString Msg;
    EXPECT_FALSE(C.Step == 1 ? S.GetSurveys(QStringLiteral("IN"), Msg)
                 : C.Step == 2
                     ? M.GetMapUnits(QStringLiteral("IN001"), Msg)
                     : H.GetHorizons(QStringLiteral("IN001"), QStringLiteral("BlA"), QStringLiteral("B"), Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(S.Count(), 0);
    EXPECT_EQ(M.Count(), 0);
    EXPECT_EQ(H.Count(), C.Step == 3 ? 0 : 1);  // the horizon held before stays unless horizons failed
    EXPECT_EQ(Temp.FileCount(), 0);
  }
}

TEST(ImpSDMHorizon, TextureClassFromTheTriangleAndSandFractions) {
  // Sand, silt and clay, then the sand fractions VC, CO, MED, FINE and VF ("-": empty);
  // the texture class, or the message.
  // clang-format off
  const struct {
    const char *Values, *Expected;
  } Cases[] = {
      {"0 0 0", "MUCK"}, {"92 5 3", "S"}, {"88 6 6", "LS"}, {"80 10 10", "SL"}, {"60 35 5", "SL"}, {"40 40 20", "L"},
      {"52 28 20", "L"}, {"53 27 20", "SCL"}, {"5 80 15", "SIL"}, {"5 85 10", "SI"}, {"45 20 35", "CL"},
      {"20 45 35", "SICL"}, {"50 10 40", "SC"}, {"5 50 45", "SIC"}, {"30 25 45", "C"}, {"10 10 10", ""},
      {"abc - -", "Horizon 1 has invalid sand."}, {"92,0 5 3", "Horizon 1 has invalid sand."},
      {"92 x -", "Horizon 1 has invalid clay."}, {"92 x 3", "Horizon 1 has invalid silt."},
      {"92 5 3 10 20 10 30 30", "COS"}, {"92 5 3 5 10 50 20 15", "S"}, {"92 5 3 0 5 10 70 15", "FS"},
      {"92 5 3 0 0 0 50 50", "VFS"}, {"88 6 6 0 0 0 50 50", "LFS"}, {"88 6 6 5 0 5 30 60", "LVFS"},
      {"65 25 10 30 5 10 30 25", "COSL"}, {"65 25 10 5 5 30 30 30", "COSL"}, {"65 25 10 5 10 20 20 20", "SL"},
      {"65 25 10 2 3 5 55 10", "FSL"}, {"65 25 10 2 3 5 20 45", "VFSL"},
      {"65 25 10 2 3 5 - 45", "SL"}  // a fraction missing keeps the class
  };
  // clang-format on
  const int Fields[] = {sdmSandtotal, sdmSilttotal, sdmClaytotal, sdmSandvc,
                        sdmSandco,    sdmSandmed,   sdmSandfine,  sdmSandvf};
  for (const auto& C : Cases) {
    TImportedSdmHorizons H;
    TSdmHorizRec Rec;
    const QStringList Values = QString::fromLatin1(C.Values).split(u' ');
    for (int I = 0; I < Values.size(); ++I) Rec[size_t(Fields[I])] = Values[I] == u"-" ? QString() : Values[I];
    H.AddHorizon(Rec);
    QString Msg = QStringLiteral("x"), Texture = QStringLiteral("x");
    H.GetTextureClass(1, Msg, Texture);
    const bool IsMessage = QLatin1String(C.Expected).startsWith(u"Horizon");
    EXPECT_EQ(IsMessage ? Msg : Texture, QLatin1String(C.Expected)) << C.Values;
    EXPECT_TRUE(IsMessage ? Texture.isEmpty() : Msg.isEmpty()) << C.Values;
  }
  // The message names the horizon; an index without a horizon gives no texture.
  TImportedSdmHorizons Two = OneHorizon({});
  Two.AddHorizon(TSdmHorizRec());
  QString Msg, Texture;
  Two.GetTextureClass(2, Msg, Texture);
  EXPECT_EQ(Msg, QStringLiteral("Horizon 2 has invalid sand."));
  Two.GetTextureClass(3, Msg, Texture);
  EXPECT_TRUE(Texture.isEmpty()) << Texture.toStdString();
  EXPECT_FALSE(Msg.isEmpty());
}

TEST(ImpSDMHorizon, CoarseFragmentsAndFifteenBarFraction) {
  const struct {
    const char *Sieve, *Frag3to10, *FragGt10, *Density;
    double Fragments;
  } Cases[] = {{"80", "5", "0", "1.325", 12.5}, {"80", "5", "0", "", 0},           {"", "", "", "1.5", 0},
               {"90", "", "", "1.325", 5},      {"0", "100", "50", "2.65", 0},  // above 100
               {"120", "0", "0", "1.3", 0},     {"80", "1e308", "1e308", "1.3", 0}};
  for (const auto& C : Cases) {
    const TImportedSdmHorizons H = OneHorizon(
        {{sdmSieveno10, C.Sieve}, {sdmFrag3to10, C.Frag3to10}, {sdmFraggt10, C.FragGt10}, {sdmDbthirdbar, C.Density}});
    EXPECT_NEAR(H.GetCoarseFragments(1), C.Fragments, 1e-9) << C.Sieve << "/" << C.Frag3to10 << "/" << C.Density;
  }
  double Value = -1;
  EXPECT_TRUE(OneHorizon({{sdmWfifteenbar, "12.4"}}).GetFifteenBarFraction(1, Value));
  EXPECT_DOUBLE_EQ(Value, 0.124);
  EXPECT_FALSE(OneHorizon({{sdmWfifteenbar, "12,4"}}).GetFifteenBarFraction(1, Value));
  EXPECT_EQ(Value, 0);
}
