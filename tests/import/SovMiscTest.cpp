// Soil horizons from the soil data service written into a field, under a decimal-point
// and a decimal-comma number format.

#include "SovMisc.h"

#include <gtest/gtest.h>

#include <memory>

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

// Horizons as the service sends them, one comma list each: bottom depth, 15-bar water,
// bulk density, KSat, sand, silt, clay, sieve No. 10, fragments 3-10 and > 10 inches,
// OM, pH in water and in CaCl2, EC, CEC.
TImportedSdmHorizons Horizons(std::initializer_list<const char*> Lists) {
  const int Fields[] = {sdmHzdepb,    sdmWfifteenbar, sdmDbthirdbar, sdmKsat,      sdmSandtotal,
                        sdmSilttotal, sdmClaytotal,   sdmSieveno10,  sdmFrag3to10, sdmFraggt10,
                        sdmOm,        sdmPh1to1h2o,   sdmPh01mcacl2, sdmEc,        sdmCec7};
  TImportedSdmHorizons H;
  for (const char* List : Lists) {
    const QStringList Values = QString::fromLatin1(List).split(u',');
    TSdmHorizRec Rec;
    for (int I = 0; I < Values.size() && I < int(std::size(Fields)); ++I) Rec[size_t(Fields[I])] = Values[I];
    H.AddHorizon(Rec);
  }
  return H;
}

// Depth, texture, AWC, wilting point, bulk density, KSat, sand, silt, clay, OM, pH, EC,
// CEC of one row.
QString Row(const TSovFile& Field, int Row) {
  QStringList Cells;
  for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) Cells << Field.GetCell(Row, Col);
  return Cells.join(u'|');
}

}  // namespace

TEST(SovMisc, HorizonsReplaceTheFieldsInTheUsersNumberFormat) {
  // A Blount silt loam. AWC: silt loam 0.16 less 1.09 % fragments; silty clay 0.15 less
  // 3.5 %; clay loam 0.19 less 7.9 % fragments and 2 % for salinity. The pH in CaCl2
  // stands in for a missing pH in water.
  const TImportedSdmHorizons Blount = Horizons({"23,12.4,1.45,9.17,18.2,62.3,19.5,98,0,0,2.5,6.5,6.1,0,14.2",
                                                "38,18.9,1.55,2.82,14.0,44.0,42.0,95,1,,0.75,,6.25,0,23.1",
                                                "152,x,1.75,n/a,27.5,40.5,32.0,90,2,0,0.25,7.9,,0.8,"});
  const char* Rows[] = {"23|SIL|0.16|0.12|1.45|9.17|18.2|62.3|19.5|2.5|6.5|0|14.2",
                        "38|SIC|0.14|0.19|1.55|2.82|14.0|44.0|42.0|0.75|6.25|0|23.1",
                        "152|CL|0.17||1.75|n/a|27.5|40.5|32.0|0.25|7.9|0.8|"};
  for (const bool German : {false, true}) {
    SCOPED_TRACE(German ? "German metric field" : "US English field");
    TSovFile Field(TestLookup(), German ? GermanFormatSettings() : UsFormatSettings());
    Field.SetIsMetric(German);
    for (int I = 1; I <= 5; ++I) {
      Field.SetCell(I, SovCol::HzDepth, QString::number(I * 20));
      Field.SetCell(I, SovCol::HzTexture, QStringLiteral("L"));
      Field.SetCell(I, SovCol::HzCEC, QStringLiteral("9"));
    }
    QStringList Messages;
    ImportSdmHorizons(Field, Blount, &Messages);
    for (int I = 1; I <= 3; ++I)
      EXPECT_EQ(Row(Field, I), QString::fromLatin1(Rows[I - 1]).replace(u'.', German ? u',' : u'.'));
    for (int I = 4; I <= MaxHorizons; ++I) EXPECT_FALSE(Field.HorizonHasData(I)) << I;
    EXPECT_TRUE(Messages.isEmpty());
  }
}

TEST(SovMisc, BadSandLeavesTextureAndAwcEmptyAndNoHorizonsEmptyTheField) {
  TSovFile Field(TestLookup(), UsFormatSettings());
  QStringList Messages;
  ImportSdmHorizons(Field, Horizons({"25,10,1.3,,sandy,40,20"}), &Messages);
  EXPECT_EQ(Row(Field, 1), QStringLiteral("25|||0.10|1.3||sandy|40|20||||"));
  EXPECT_EQ(Messages, QStringList({"Horizon 1 has invalid sand."}));

  ImportSdmHorizons(Field, TImportedSdmHorizons());
  for (int I = 1; I <= MaxHorizons; ++I) EXPECT_FALSE(Field.HorizonHasData(I)) << I;
}
