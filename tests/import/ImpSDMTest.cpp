// The soil data service importer: query texts (values cannot break out of their SQL
// literals), the three query steps against a local server, their failures, and the
// texture, wilting-point and coarse-fragment readings of a horizon.

#include "ImpSDM.h"
#include "SoapTestServer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using TRow = std::vector<std::pair<std::string, std::string>>;

// A soil data service reply whose data set holds Rows (after Before, if given).
std::string SdmReply(const std::vector<TRow>& Rows, const std::string& Before = "") {
  std::string Data = Before;
  for (const TRow& Row : Rows) {
    Data += "<Table>";
    for (const auto& [Name, Value] : Row) Data += "<" + Name + ">" + Value + "</" + Name + ">";
    Data += "</Table>";
  }
  return SoapEnvelopeText(
      "<RunQueryResponse xmlns=\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx\">"
      "<RunQueryResult><diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
      "<NewDataSet xmlns=\"\">" +
      Data + "</NewDataSet></diffgr:diffgram></RunQueryResult></RunQueryResponse>");
}

// Rows of one component whose horizons start at the given top depths.
std::vector<TRow> HorizonRows(const std::vector<const char*>& Tops) {
  std::vector<TRow> Rows;
  int Bottom = 0;
  for (const char* Top : Tops) {
    Bottom += 10;
    Rows.push_back({{"areasymbol", "IN001"}, {"musym", "BlA"}, {"mukey", "166934"}, {"compname", "Blount"},
                    {"hzdept_r", Top}, {"hzdepb_r", std::to_string(Bottom)}, {"sandtotal_r", "40"}});
  }
  return Rows;
}

// The query text a request carried.
std::string SentQuery(const TSoapTestServer& Server) {
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
  const QString Surveys = TImportedSdmSurveys::SurveysQuery(QStringLiteral("IN"));
  EXPECT_TRUE(Surveys.endsWith(QStringLiteral("l.areasymbol LIKE 'IN%' ORDER BY l.areasymbol")));
  for (const char* Bad : {"I'", "IND", "", "I%", "1N"})
    EXPECT_TRUE(TImportedSdmSurveys::SurveysQuery(QString::fromUtf8(Bad)).isEmpty()) << Bad;

  const QString MapUnits = TImportedSdmSoils::MapUnitsQuery(QStringLiteral("IN001' OR '1'='1"));
  EXPECT_TRUE(MapUnits.contains(QStringLiteral(
      "l.areasymbol = 'IN001'' OR ''1''=''1' INNER JOIN mapunit mu ON mu.lkey = l.lkey LEFT OUTER JOIN component c "
      "ON c.mukey = mu.mukey AND c.majcompflag = 'Yes' ORDER BY l.areasymbol, museq, comppct_r DESC, compname")));

  const QString BySymbol = TImportedSdmHorizons::HorizonsQuery(QStringLiteral("IN001"), QString::fromUtf8("\xC3\x84" "bC"),
                                                               QStringLiteral("O'Brien"));
  EXPECT_TRUE(BySymbol.contains(QString::fromUtf8("LOWER(mu.musym) = '\xC3\x84" "bc' LEFT OUTER JOIN")));
  EXPECT_TRUE(BySymbol.contains(QStringLiteral(
      "c.majcompflag = 'Yes' AND c.compname = 'O''Brien' LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey "
      "ORDER BY l.areasymbol, museq, comppct_r DESC, compname, hzdepb_r")));

  const QString ByKey =
      TImportedSdmHorizons::HorizonsQuery(QString(), QStringLiteral("166934"), QStringLiteral("Unused"));
  EXPECT_TRUE(ByKey.contains(QStringLiteral(
      "FROM sacatalog sac INNER JOIN legend l ON l.areasymbol = sac.areasymbol INNER JOIN mapunit mu ON mu.lkey = "
      "l.lkey AND mu.mukey = '166934' LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND c.majcompflag = 'Yes' "
      "LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey ORDER BY museq, comppct_r DESC, compname, hzdepb_r")));
  EXPECT_FALSE(ByKey.contains(QStringLiteral("Unused")));
}

TEST(ImpSDMQueries, SurveysAndMapUnitsFromTheServiceSortedByName) {
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
  EXPECT_EQ(Names, QStringList({"Adams County, Indiana", "Allen County, Indiana", "Bartholomew County, Indiana",
                                "Lagrange County, Indiana", "LaPorte County, Indiana", "St. Joseph County, Indiana"}));
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
    if (!Soils.GetComponentName(I).isEmpty()) Components << Soils.GetComponentName(I) + u'/' + Soils.GetMapUnitSymbol(I);
  EXPECT_EQ(Components, QStringList({"Blount/BlA", "Glynwood/GsB2", "houghton/Ho", "Pewamo/Pm"}));
  EXPECT_EQ(Temp.FileCount(), 0);
}

TEST(ImpSDMQueries, HorizonsKeepTheFirstComponentAndAtMostTen) {
  std::string Reply = ReadTestFile("sdm_horizons.xml");
  TSoapTestServer Server([&Reply](TSoapTestServer&, httplib::Response& Res) { Res.set_content(Reply, "text/xml"); });
  TPrivateTempDir Temp;
  TImportedSdmHorizons H;
  H.ServiceAddress = Server.Url();
  QString Msg;
  ASSERT_TRUE(H.GetHorizons(QStringLiteral("IN001"), QStringLiteral("BlA"), QStringLiteral("Blount"), Msg))
      << Msg.toStdString();
  EXPECT_TRUE(SentQuery(Server).find("LOWER(mu.musym) = 'bla' ") != std::string::npos);
  EXPECT_EQ(QStringList({H.AreaSymbol, H.MapUnitSymbol, H.MapUnitKey, H.ComponentName}),
            QStringList({"IN001", "BlA", "166934", "Blount"}));
  ASSERT_EQ(H.Count(), 3);
  EXPECT_EQ(H.Horizon(1)[sdmHzdepb], QStringLiteral("23"));
  EXPECT_EQ(H.Horizon(2)[sdmPh1to1h2o], QString());
  EXPECT_EQ(H.Horizon(2)[sdmPh01mcacl2], QStringLiteral("6.25"));
  EXPECT_EQ(H.Horizon(3)[sdmCec7], QString());  // missing element
  EXPECT_THROW(H.Horizon(4), std::out_of_range);

  struct TCase {
    const char* Name;
    std::vector<const char*> Tops;
    std::string Before;
    int Count;
  };
  const std::vector<TCase> Cases = {
      {"twelve rows", {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "110"}, "", 10},
      {"next component at row 4", {"0", "10", "20", "0", "10"}, "", 3},
      {"first row at 0 is kept", {"0"}, "", 1},
      {"other element before the rows", {"0", "10", "0"}, "<Info>x</Info>", 2},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Reply = SdmReply(HorizonRows(C.Tops), C.Before);
    ASSERT_TRUE(H.GetHorizons(QString(), QStringLiteral("166934"), QString(), Msg)) << Msg.toStdString();
    EXPECT_EQ(H.Count(), C.Count);
    EXPECT_EQ(H.AreaSymbol, QStringLiteral("IN001"));
    EXPECT_EQ(H.Value(H.Count(), sdmHzdepb), QString::number(H.Count() * 10));
  }
  Reply = SdmReply({});
  EXPECT_TRUE(H.GetHorizons(QString(), QStringLiteral("1"), QString(), Msg));
  EXPECT_EQ(H.Count(), 0);
  EXPECT_EQ(Temp.FileCount(), 0);
}

TEST(ImpSDMQueries, FailuresGiveTheirMessageAndLeaveTheObjectEmpty) {
  const std::string NoResponse = SoapEnvelopeText("<Other/>");
  struct TCase {
    int Step;  // 1 survey areas, 2 map units, 3 horizons (one held before)
    std::string Reply;
    int Status;
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {1, NoResponse, 200, "Unable to retrieve soil survey information from Soil Data Mart Web service."},
      {2, NoResponse, 200, "Unable to retrieve soil map unit data from Soil Data Mart Web service."},
      {3, NoResponse, 200, "Unable to retrieve soil horizon data from Soil Data Mart Web service."},
      {1, SoapFaultText("Invalid object name 'sacatalog'."), 500,
       "The web service reported an error: Invalid object name 'sacatalog'."},
      {3, SoapEnvelopeText("<RunQueryResponse><RunQueryResult/></RunQueryResponse>"), 200,
       "The reply of Soil Data Mart Web service holds no data."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    TSoapTestServer Server(Answer(C.Reply, C.Status));
    TPrivateTempDir Temp;
    TImportedSdmSurveys S;
    TImportedSdmSoils M;
    TImportedSdmHorizons H = C.Step == 3 ? OneHorizon({{sdmHzdepb, "23"}}) : TImportedSdmHorizons();
    S.ServiceAddress = M.ServiceAddress = H.ServiceAddress = Server.Url();
    QString Msg;
    EXPECT_FALSE(C.Step == 1   ? S.GetSurveys(QStringLiteral("IN"), Msg)
                 : C.Step == 2 ? M.GetMapUnits(QStringLiteral("IN001"), Msg)
                               : H.GetHorizons(QStringLiteral("IN001"), QStringLiteral("BlA"), QStringLiteral("B"), Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(S.Count() + M.Count() + H.Count(), 0);
    EXPECT_EQ(Temp.FileCount(), 0);
  }
}

TEST(ImpSDMHorizon, TextureClassFromTheTriangleAndSandFractions) {
  struct TCase {
    const char *Sand, *Silt, *Clay;
    std::vector<const char*> Fractions;  // VC, CO, MED, FINE, VF; none: all empty
    const char* Texture;
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"0", "0", "0", {}, "MUCK", ""},
      {"92", "5", "3", {}, "S", ""},
      {"88", "6", "6", {}, "LS", ""},  // Si + 1.5 C = 15 is no longer sand
      {"80", "10", "10", {}, "SL", ""},  // Si + 2 C = 30 is no longer loamy sand
      {"60", "35", "5", {}, "SL", ""},
      {"40", "40", "20", {}, "L", ""},
      {"52", "28", "20", {}, "L", ""},
      {"53", "27", "20", {}, "SCL", ""},
      {"5", "80", "15", {}, "SIL", ""},
      {"5", "85", "10", {}, "SI", ""},
      {"45", "20", "35", {}, "CL", ""},
      {"20", "45", "35", {}, "SICL", ""},
      {"50", "10", "40", {}, "SC", ""},
      {"5", "50", "45", {}, "SIC", ""},
      {"30", "25", "45", {}, "C", ""},
      {"10", "10", "10", {}, "", ""},  // fits no class
      {"abc", "", "", {}, "", "Horizon 1 has invalid sand."},
      {"92,0", "5", "3", {}, "", "Horizon 1 has invalid sand."},
      {"92", "x", "", {}, "", "Horizon 1 has invalid clay."},
      {"92", "x", "3", {}, "", "Horizon 1 has invalid silt."},
      {"92", "5", "3", {"10", "20", "10", "30", "30"}, "COS", ""},
      {"92", "5", "3", {"5", "10", "50", "20", "15"}, "S", ""},
      {"92", "5", "3", {"0", "5", "10", "70", "15"}, "FS", ""},
      {"92", "5", "3", {"0", "0", "0", "50", "50"}, "VFS", ""},
      {"88", "6", "6", {"0", "0", "0", "50", "50"}, "LFS", ""},
      {"88", "6", "6", {"5", "0", "5", "30", "60"}, "LVFS", ""},
      {"65", "25", "10", {"30", "5", "10", "30", "25"}, "COSL", ""},
      {"65", "25", "10", {"5", "5", "30", "30", "30"}, "COSL", ""},
      {"65", "25", "10", {"5", "10", "20", "20", "20"}, "SL", ""},
      {"65", "25", "10", {"2", "3", "5", "55", "10"}, "FSL", ""},
      {"65", "25", "10", {"2", "3", "5", "20", "45"}, "VFSL", ""},
      {"65", "25", "10", {"2", "3", "5", "", "45"}, "SL", ""},  // a fraction missing keeps the class
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Sand) + "/" + C.Silt + "/" + C.Clay);
    std::vector<std::pair<int, const char*>> Values = {
        {sdmSandtotal, C.Sand}, {sdmSilttotal, C.Silt}, {sdmClaytotal, C.Clay}};
    for (size_t I = 0; I < C.Fractions.size(); ++I) Values.push_back({sdmSandvc + int(I), C.Fractions[I]});
    const TImportedSdmHorizons H = OneHorizon(Values);
    QString Msg = QStringLiteral("x"), Texture = QStringLiteral("x");
    H.GetTextureClass(1, Msg, Texture);
    EXPECT_EQ(Texture, QString::fromLatin1(C.Texture));
    EXPECT_EQ(Msg, QString::fromLatin1(C.Message));
  }
  // The message names the horizon; an index without a horizon gives no texture.
  TImportedSdmHorizons Two = OneHorizon({});
  Two.AddHorizon(TSdmHorizRec());
  QString Msg, Texture;
  Two.GetTextureClass(2, Msg, Texture);
  EXPECT_EQ(Msg, QStringLiteral("Horizon 2 has invalid sand."));
  Two.GetTextureClass(3, Msg, Texture);
  EXPECT_TRUE(Texture.isEmpty() && !Msg.isEmpty());
}

TEST(ImpSDMHorizon, CoarseFragmentsAndFifteenBarFraction) {
  struct TCase {
    const char *Sieve, *Frag3to10, *FragGt10, *Density;
    double Fragments;
  };
  const std::vector<TCase> Cases = {
      {"80", "5", "0", "1.325", 12.5},
      {"80", "5", "0", "", 0},
      {"", "", "", "1.5", 0},
      {"90", "", "", "1.325", 5},
      {"0", "100", "50", "2.65", 0},  // above 100
      {"120", "0", "0", "1.3", 0},    // below 0
      {"80", "1e308", "1e308", "1.3", 0},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Sieve) + "/" + C.Frag3to10 + "/" + C.FragGt10 + "/" + C.Density);
    const TImportedSdmHorizons H = OneHorizon(
        {{sdmSieveno10, C.Sieve}, {sdmFrag3to10, C.Frag3to10}, {sdmFraggt10, C.FragGt10}, {sdmDbthirdbar, C.Density}});
    EXPECT_NEAR(H.GetCoarseFragments(1), C.Fragments, 1e-9);
  }
  double Value = -1;
  EXPECT_TRUE(OneHorizon({{sdmWfifteenbar, "12.4"}}).GetFifteenBarFraction(1, Value));
  EXPECT_DOUBLE_EQ(Value, 0.124);
  EXPECT_FALSE(OneHorizon({{sdmWfifteenbar, "12,4"}}).GetFifteenBarFraction(1, Value));
  EXPECT_FALSE(OneHorizon({}).GetFifteenBarFraction(1, Value));
  EXPECT_EQ(Value, 0);
}
