// Soil horizons from the soil data service written into a field, under a decimal-point
// and a decimal-comma number format.

#include "SovMisc.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const TSovLookup& TestLookup() {
  static const std::unique_ptr<TSovLookup> Lookup = [] {
    auto L = std::make_unique<TSovLookup>();
    QString Msg;
    EXPECT_TRUE(L->LoadFromFile(QStringLiteral(FURROW_TEST_DATA_DIR "/validation/Lookup.ini"), Msg))
        << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

TSdmHorizRec Rec(const std::vector<std::pair<int, const char*>>& Values) {
  TSdmHorizRec R;
  for (const auto& [Field, Text] : Values) R[size_t(Field)] = QString::fromUtf8(Text);
  return R;
}

// The three horizons of a Blount silt loam as the service sends them.
TImportedSdmHorizons Blount() {
  TImportedSdmHorizons H;
  H.AddHorizon(Rec({{sdmHzdepb, "23"}, {sdmWfifteenbar, "12.4"}, {sdmDbthirdbar, "1.45"}, {sdmKsat, "9.17"},
                    {sdmSandtotal, "18.2"}, {sdmSilttotal, "62.3"}, {sdmClaytotal, "19.5"}, {sdmSieveno10, "98"},
                    {sdmFrag3to10, "0"}, {sdmFraggt10, "0"}, {sdmOm, "2.5"}, {sdmPh1to1h2o, "6.5"},
                    {sdmPh01mcacl2, "6.1"}, {sdmEc, "0"}, {sdmCec7, "14.2"}}));
  H.AddHorizon(Rec({{sdmHzdepb, "38"}, {sdmWfifteenbar, "18.9"}, {sdmDbthirdbar, "1.55"}, {sdmKsat, "2.82"},
                    {sdmSandtotal, "14.0"}, {sdmSilttotal, "44.0"}, {sdmClaytotal, "42.0"}, {sdmSieveno10, "95"},
                    {sdmFrag3to10, "1"}, {sdmOm, "0.75"}, {sdmPh01mcacl2, "6.25"}, {sdmEc, "0"}, {sdmCec7, "23.1"}}));
  H.AddHorizon(Rec({{sdmHzdepb, "152"}, {sdmWfifteenbar, "x"}, {sdmDbthirdbar, "1.75"}, {sdmKsat, "n/a"},
                    {sdmSandtotal, "27.5"}, {sdmSilttotal, "40.5"}, {sdmClaytotal, "32.0"}, {sdmSieveno10, "90"},
                    {sdmFrag3to10, "2"}, {sdmFraggt10, "0"}, {sdmOm, "0.25"}, {sdmPh1to1h2o, "7.9"}, {sdmEc, "0.8"}}));
  return H;
}

QStringList Row(const TSovFile& Field, int Row) {
  QStringList Cells;
  for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) Cells << Field.GetCell(Row, Col);
  return Cells;
}

}  // namespace

TEST(SovMisc, HorizonsReplaceTheFieldsInTheUsersNumberFormat) {
  struct TCase {
    const char* Name;
    TFormatSettings Format;
    bool Metric;
    QStringList Row1, Row2, Row3;
  };
  // Depth, texture, AWC, wilting point, bulk density, KSat, sand, silt, clay, OM, pH,
  // EC, CEC. AWC: silt loam 0.16 less 1.09 % fragments; silty clay 0.15 less 3.5 %;
  // clay loam 0.19 less 7.9 % fragments and 2 % for salinity.
  const std::vector<TCase> Cases = {
      {"US English field", UsFormatSettings(), false,
       {"23", "SIL", "0.16", "0.12", "1.45", "9.17", "18.2", "62.3", "19.5", "2.5", "6.5", "0", "14.2"},
       {"38", "SIC", "0.14", "0.19", "1.55", "2.82", "14.0", "44.0", "42.0", "0.75", "6.25", "0", "23.1"},
       {"152", "CL", "0.17", "", "1.75", "n/a", "27.5", "40.5", "32.0", "0.25", "7.9", "0.8", ""}},
      {"German metric field", GermanFormatSettings(), true,
       {"23", "SIL", "0,16", "0,12", "1,45", "9,17", "18,2", "62,3", "19,5", "2,5", "6,5", "0", "14,2"},
       {"38", "SIC", "0,14", "0,19", "1,55", "2,82", "14,0", "44,0", "42,0", "0,75", "6,25", "0", "23,1"},
       {"152", "CL", "0,17", "", "1,75", "n/a", "27,5", "40,5", "32,0", "0,25", "7,9", "0,8", ""}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSovFile Field(TestLookup(), C.Format);
    Field.SetIsMetric(C.Metric);
    for (int I = 1; I <= 5; ++I) {
      Field.SetCell(I, SovCol::HzDepth, QString::number(I * 20));
      Field.SetCell(I, SovCol::HzTexture, QStringLiteral("L"));
      Field.SetCell(I, SovCol::HzCEC, QStringLiteral("9"));
    }
    QStringList Messages;
    ImportSdmHorizons(Field, Blount(), &Messages);
    EXPECT_EQ(Row(Field, 1), C.Row1);
    EXPECT_EQ(Row(Field, 2), C.Row2);
    EXPECT_EQ(Row(Field, 3), C.Row3);
    for (int I = 4; I <= MaxHorizons; ++I) EXPECT_FALSE(Field.HorizonHasData(I)) << I;
    EXPECT_TRUE(Messages.isEmpty());
  }
}

TEST(SovMisc, BadSandLeavesTextureAndAwcEmptyAndNoHorizonsEmptyTheField) {
  TSovFile Field(TestLookup(), UsFormatSettings());
  TImportedSdmHorizons H;
  H.AddHorizon(Rec({{sdmHzdepb, "25"}, {sdmSandtotal, "sandy"}, {sdmSilttotal, "40"}, {sdmClaytotal, "20"},
                    {sdmWfifteenbar, "10"}, {sdmDbthirdbar, "1.3"}}));
  QStringList Messages;
  ImportSdmHorizons(Field, H, &Messages);
  EXPECT_EQ(Row(Field, 1), QStringList({"25", "", "", "0.10", "1.3", "", "sandy", "40", "20", "", "", "", ""}));
  EXPECT_EQ(Messages, QStringList({"Horizon 1 has invalid sand."}));

  ImportSdmHorizons(Field, TImportedSdmHorizons());
  for (int I = 1; I <= MaxHorizons; ++I) EXPECT_FALSE(Field.HorizonHasData(I)) << I;
}
