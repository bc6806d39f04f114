// Texture classes, default available water capacity and the root-zone water-holding
// capacity computed from a field's horizons.

#include "MiscUtil.h"
#include "SovFile.h"
#include "SovLookup.h"
#include "SovTexture.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <stdexcept>

namespace {

const TSovLookup& TestLookup() {
  static const std::unique_ptr<TSovLookup> Lookup = [] {
    auto L = std::make_unique<TSovLookup>();
    QString Msg;
    const bool Ok = L->LoadFromFile(QStringLiteral(FURROW_TEST_DATA_DIR "/validation/Lookup.ini"), Msg);
    EXPECT_TRUE(Ok) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

struct THz {
  const char* Depth;
  const char* Awc;
  const char* KSat;
};

// A field whose horizons 1.. are given (only depth, AWC and KSat matter here); the
// numbers are written in US form and converted to Format's decimal separator.
std::unique_ptr<TSovFile> FieldWithHorizons(std::initializer_list<THz> Horizons,
                                            const TFormatSettings& Format = UsFormatSettings()) {
  auto F = std::make_unique<TSovFile>(TestLookup(), Format);
  int Row = 1;
  for (const THz& H : Horizons) {
    auto Local = [&](const char* Text) {
      return QString::fromLatin1(Text).replace(QLatin1Char('.'), Format.DecimalSeparator);
    };
    F->SetCell(Row, SovCol::HzDepth, QString::fromLatin1(H.Depth));
    if (*H.Depth || *H.Awc || *H.KSat) F->SetCell(Row, SovCol::HzTexture, QStringLiteral("SIL"));
    F->SetCell(Row, SovCol::HzAWC, Local(H.Awc));
    F->SetCell(Row, SovCol::HzKSat, Local(H.KSat));
    ++Row;
  }
  return F;
}

}  // namespace

TEST(TextureTable, HoldsTheTwentyThreeClassesInOrder) {
  ASSERT_EQ(TextureCount, 23);
  EXPECT_STREQ(TextureClass(1).Abbreviation, "GR");
  EXPECT_STREQ(TextureClass(11).Abbreviation, "SL");
  EXPECT_STREQ(TextureClass(19).Name, "silty clay loam");
  EXPECT_STREQ(TextureClass(23).Abbreviation, "MUCK");
  EXPECT_DOUBLE_EQ(TextureClass(23).DefaultAwc, 0.25);
  EXPECT_DOUBLE_EQ(TextureClass(18).DefaultAwc, 0.19);
  EXPECT_THROW(TextureClass(0), std::out_of_range);
  EXPECT_THROW(TextureClass(24), std::out_of_range);
  for (int i = 1; i <= TextureCount; ++i)
    EXPECT_EQ(TSovFile::TextureIndex(QString::fromLatin1(TextureClass(i).Abbreviation)), i) << i;
}

TEST(TextureIndex, IgnoresCaseAndRejectsOtherTexts) {
  struct Case {
    const char* Text;
    int Index;
  } Cases[] = {
      {"SICL", 19}, {"sicl", 19}, {"SiCl", 19}, {"c", 22}, {"Muck", 23}, {"GR", 1},
      {"loam", 0},  {"", 0},      {" SL", 0},   {"SL ", 0}, {"SLL", 0},  {"S L", 0},
  };
  for (const Case& C : Cases) EXPECT_EQ(TSovFile::TextureIndex(QString::fromLatin1(C.Text)), C.Index) << C.Text;
}

TEST(DefaultAwc, ClassValuesClayFragmentsAndSalinity) {
  struct Case {
    const char* Texture;
    double Clay, Fragments, EC;
    double Expected;
  } Cases[] = {
      {"C", 60, 0, 0, 0.14},      // heavy clay
      {"C", 59.9, 0, 0, 0.15},    // just below
      {"c", 75, 0, 0, 0.14},      // any case
      {"SIC", 70, 0, 0, 0.15},    // only plain clay has the heavy-clay value
      {"SIL", 0, 10, 4, 0.1296},  // 0.16 x 0.9 = 0.144, less 10 percent
      {"MUCK", 0, 0, 0, 0.25},
      {"L", 0, 50, 0, 0.075},
      {"L", 0, 100, 0, 0},
      {"L", 0, 150, 0, 0},        // an impossible share counts as all fragments
      {"L", 0, -20, 0, 0.15},     // a negative share counts as none
      // Salinity bands on loam (0.15): reduction percent in the comment.
      {"L", 0, 0, -1, 0.15},                   // 0
      {"L", 0, 0, 0, 0.15},                    // 0
      {"L", 0, 0, 12, 0.15 * (1 - 0.30)},      // 2.5 x 12
      {"L", 0, 0, 12.5, 0.15 * (1 - 0.33375)}, // 2.67 x 12.5
      {"L", 0, 0, 15, 0.15 * (1 - 0.4005)},    // 2.67 x 15
      {"L", 0, 0, 16, 0.15 * (1 - 0.48)},      // 3 x 16
      {"L", 0, 0, 20, 0.15 * (1 - 0.60)},      // 3 x 20
      {"L", 0, 0, 20.5, 0.15 * (1 - 0.656)},   // 3.2 x 20.5
      {"L", 0, 0, 25, 0.15 * (1 - 0.80)},      // 3.2 x 25
      {"L", 0, 0, 26, 0.15 * (1 - 0.78)},      // 3 x 26
      {"L", 0, 0, 30, 0.15 * (1 - 0.90)},      // 3 x 30
      {"L", 0, 0, 31, 0.15 * (1 - 0.95)},      // 95
      {"L", 0, 0, 500, 0.15 * (1 - 0.95)},     // 95
  };
  for (const Case& C : Cases) {
    double Awc = -1;
    EXPECT_TRUE(TSovFile::DefaultAwc(QString::fromLatin1(C.Texture), C.Clay, C.Fragments, C.EC, Awc))
        << C.Texture << " EC " << C.EC;
    EXPECT_NEAR(Awc, C.Expected, 1e-12) << C.Texture << " fragments " << C.Fragments << " EC " << C.EC;
  }
}

TEST(DefaultAwc, UnknownTextureFails) {
  for (const char* Text : {"", "loam", "XX", " L"}) {
    double Awc = -1;
    EXPECT_FALSE(TSovFile::DefaultAwc(QString::fromLatin1(Text), 10, 0, 0, Awc)) << Text;
    EXPECT_EQ(Awc, 0.0);
  }
}

TEST(WaterHoldingCapacity, MetricRootZoneWithinSecondHorizon) {
  auto F = FieldWithHorizons({{"20", "0.2", ""}, {"60", "0.1", ""}});
  double Capacity = -1;
  QString Msg;
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 45, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, (20 * 0.2 + 25 * 0.1) * 10, 1e-9);  // 65 mm
  EXPECT_TRUE(Msg.isEmpty());
}

TEST(WaterHoldingCapacity, EnglishFieldInFeetAndInches) {
  auto F = FieldWithHorizons({{"100", "0.15", ""}});
  double Capacity = 0;
  QString Msg;
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(false, 1, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, 30.48 * 0.15 * 10 / 25.4, 1e-9);  // 1.8 inches
}

TEST(WaterHoldingCapacity, RootsBelowTheLastHorizonCountWhatTheHorizonsHold) {
  auto F = FieldWithHorizons({{"30", "0.2", ""}, {"90", "0.15", ""}, {"150", "0.1", ""}});
  const double Expected = (30 * 0.2 + 60 * 0.15 + 60 * 0.1) * 10;  // 210 mm over 150 cm
  double Capacity = 0;
  QString Msg;
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 200, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, Expected, 1e-9);
  // The same in an English field: 10 feet of roots.
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(false, 10, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, Expected / 25.4, 1e-9);
}

TEST(WaterHoldingCapacity, RootingDepthOnAHorizonBottomEndsTheSum) {
  {
    // Nothing below the horizon: the sum ends there.
    auto F = FieldWithHorizons({{"20", "0.2", ""}, {"60", "0.1", ""}});
    double Capacity = 0;
    QString Msg;
    ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 60, Capacity, Msg)) << Msg.toStdString();
    EXPECT_NEAR(Capacity, (20 * 0.2 + 40 * 0.1) * 10, 1e-9);
  }
  {
    // The horizon below is never read, however incomplete.
    auto F = FieldWithHorizons({{"20", "0.2", ""}, {"", "0.1", ""}});
    double Capacity = 0;
    QString Msg;
    ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 20, Capacity, Msg)) << Msg.toStdString();
    EXPECT_NEAR(Capacity, 40, 1e-9);
  }
}

TEST(WaterHoldingCapacity, MissingAwcWithKSatEndsTheSoilBelowTheFirstHorizon) {
  {
    auto F = FieldWithHorizons({{"20", "", "5"}});
    double Capacity = -1;
    QString Msg;
    EXPECT_FALSE(F->CalcWaterHoldingCapacity(true, 45, Capacity, Msg));
    EXPECT_EQ(Msg, QStringLiteral("Horizon 1 is missing AWC."));
    EXPECT_EQ(Capacity, 0.0);
  }
  {
    auto F = FieldWithHorizons({{"20", "0.2", ""}, {"40", "0.1", ""}, {"80", "", "12"}});
    double Capacity = 0;
    QString Msg;
    ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 100, Capacity, Msg)) << Msg.toStdString();
    EXPECT_NEAR(Capacity, (20 * 0.2 + 20 * 0.1) * 10, 1e-9);
  }
  {
    // Without KSat a missing AWC is an error; the sum so far is handed back.
    auto F = FieldWithHorizons({{"20", "0.2", ""}, {"40", "", ""}});
    double Capacity = 0;
    QString Msg;
    EXPECT_FALSE(F->CalcWaterHoldingCapacity(true, 100, Capacity, Msg));
    EXPECT_EQ(Msg, QStringLiteral("Horizon 2 is missing AWC."));
    EXPECT_NEAR(Capacity, 40, 1e-9);
  }
}

TEST(WaterHoldingCapacity, MissingDepth) {
  struct Case {
    const char* Name;
    std::initializer_list<THz> Horizons;
    double Roots;
    bool Ok;
    const char* Msg;
    double Capacity;
  } Cases[] = {
      {"no horizons", {}, 45, false, "Horizon 1 is missing depth.", 0},
      {"first without depth", {{"", "0.2", ""}}, 45, false, "Horizon 1 is missing depth.", 0},
      {"second without depth, roots below the first",
       {{"20", "0.2", ""}, {"", "0.1", ""}}, 45, false, "Horizon 2 is missing depth.", 40},
      {"second without depth, roots within the first",
       {{"20", "0.2", ""}, {"", "0.1", ""}}, 15, true, "", 30},
      {"gap before a further horizon",
       {{"20", "0.2", ""}, {"", "", ""}, {"60", "0.1", ""}}, 45, false, "Horizon 2 is missing depth.", 40},
  };
  for (const Case& C : Cases) {
    auto F = FieldWithHorizons(C.Horizons);
    double Capacity = -1;
    QString Msg;
    EXPECT_EQ(F->CalcWaterHoldingCapacity(true, C.Roots, Capacity, Msg), C.Ok) << C.Name;
    EXPECT_EQ(Msg, QString::fromLatin1(C.Msg)) << C.Name;
    EXPECT_NEAR(Capacity, C.Capacity, 1e-9) << C.Name;
  }
}

TEST(WaterHoldingCapacity, DepthsMustBeWholeAndIncrease) {
  struct Case {
    const char* Name;
    std::initializer_list<THz> Horizons;
    const char* Msg;
  } Cases[] = {
      {"equal depths", {{"20", "0.2", ""}, {"20", "0.1", ""}}, "Horizon 2 is not deeper than horizon 1."},
      {"shallower", {{"30", "0.2", ""}, {"60", "0.1", ""}, {"50", "0.1", ""}},
       "Horizon 3 is not deeper than horizon 2."},
      {"fraction", {{"12.5", "0.2", ""}}, "Horizon 1 has an invalid depth."},
      {"text", {{"deep", "0.2", ""}}, "Horizon 1 has an invalid depth."},
      {"zero", {{"0", "0.2", ""}}, "Horizon 1 has an invalid depth."},
      {"negative", {{"20", "0.2", ""}, {"-40", "0.1", ""}}, "Horizon 2 has an invalid depth."},
      {"overflowing AWC", {{"20", "0.2", ""}, {"9999", "1e308", ""}}, "Horizon 2 has an invalid AWC."},
  };
  for (const Case& C : Cases) {
    auto F = FieldWithHorizons(C.Horizons);
    double Capacity = 0;
    QString Msg;
    EXPECT_FALSE(F->CalcWaterHoldingCapacity(true, 100, Capacity, Msg)) << C.Name;
    EXPECT_EQ(Msg, QString::fromLatin1(C.Msg)) << C.Name;
    EXPECT_GE(Capacity, 0.0) << C.Name;
  }
}

TEST(WaterHoldingCapacity, OddRootingDepths) {
  auto F = FieldWithHorizons({{"20", "0.2", ""}});
  double Capacity = -1;
  QString Msg;
  EXPECT_TRUE(F->CalcWaterHoldingCapacity(true, 0, Capacity, Msg));
  EXPECT_EQ(Capacity, 0.0);
  EXPECT_FALSE(F->CalcWaterHoldingCapacity(true, std::numeric_limits<double>::quiet_NaN(), Capacity, Msg));
  EXPECT_FALSE(Msg.isEmpty());
  EXPECT_FALSE(F->CalcWaterHoldingCapacity(true, std::numeric_limits<double>::infinity(), Capacity, Msg));
  EXPECT_EQ(Capacity, 0.0);
}

TEST(WaterHoldingCapacityGerman, ReadsAwcWithDecimalComma) {
  auto F = FieldWithHorizons({{"20", "0.2", ""}, {"60", "0.1", ""}}, GermanFormatSettings());
  ASSERT_EQ(F->GetCell(1, SovCol::HzAWC), QStringLiteral("0,2"));
  double Capacity = 0;
  QString Msg;
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 45, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, 65, 1e-9);
  // A point is not the decimal separator here: the AWC reads as no number (0).
  F->SetCell(2, SovCol::HzAWC, QStringLiteral("0.1"));
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 45, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, 40, 1e-9);
}
