// Texture classes, default available water capacity and the root-zone water-holding
// capacity computed from a field's horizons.

#include "SovTexture.h"
#include "TestSupport.h"

#include <limits>
#include <stdexcept>

namespace {

TEST(Texture, ClassesAndIndexes) {
  ASSERT_EQ(TextureCount, 23);
  EXPECT_STREQ(TextureClass(1).Abbreviation, "GR");
  EXPECT_STREQ(TextureClass(19).Name, "silty clay loam");
  EXPECT_STREQ(TextureClass(23).Abbreviation, "MUCK");
  EXPECT_DOUBLE_EQ(TextureClass(18).DefaultAwc, 0.19);
  EXPECT_THROW(TextureClass(0), std::out_of_range);
  EXPECT_THROW(TextureClass(24), std::out_of_range);
  for (int i = 1; i <= TextureCount; ++i) EXPECT_EQ(TSovFile::TextureIndex(TextureClass(i).Abbreviation), i) << i;
  for (const auto& [Text, Index] : {std::pair{"sicl", 19}, {"SiCl", 19}, {"Muck", 23}, {"loam", 0}, {"", 0},
                                    {" SL", 0}, {"SL ", 0}, {"SLL", 0}}) {
    EXPECT_EQ(TSovFile::TextureIndex(Text), Index) << Text;
  }
}

TEST(Texture, DefaultAwcByClassClayFragmentsAndSalinity) {
  const struct {
    const char* Texture;
    double Clay, Fragments, EC, Expected;  // < 0: unknown texture
  } Cases[] = {
      {"C", 60, 0, 0, 0.14},      {"C", 59.9, 0, 0, 0.15},   // heavy clay
      {"c", 75, 0, 0, 0.14},      {"SIC", 70, 0, 0, 0.15},   // only plain clay has it
      {"SIL", 0, 10, 4, 0.1296},  // 0.16 x 0.9, less 10 percent
      {"L", 0, 100, 0, 0},        {"L", 0, 150, 0, 0},   {"L", 0, -20, 0, 0.15},  // shares beyond 0-100
      // Salinity bands on loam (0.15), the reduction in percent per dS/m in the comment.
      {"L", 0, 0, 0, 0.15},                   {"L", 0, 0, 12, 0.15 * (1 - 0.30)},     // 2.5
      {"L", 0, 0, 12.5, 0.15 * (1 - 0.33375)}, {"L", 0, 0, 16, 0.15 * (1 - 0.48)},    // 2.67, 3
      {"L", 0, 0, 20.5, 0.15 * (1 - 0.656)},   {"L", 0, 0, 26, 0.15 * (1 - 0.78)},    // 3.2, 3
      {"L", 0, 0, 31, 0.15 * (1 - 0.95)},      {"L", 0, 0, 500, 0.15 * (1 - 0.95)},   // at most 95
      {"", 10, 0, 0, -1},        {"loam", 10, 0, 0, -1},    {" L", 10, 0, 0, -1},
  };
  for (const auto& C : Cases) {
    double Awc = -1;
    EXPECT_EQ(TSovFile::DefaultAwc(C.Texture, C.Clay, C.Fragments, C.EC, Awc), C.Expected >= 0) << C.Texture;
    EXPECT_NEAR(Awc, std::max(C.Expected, 0.0), 1e-12) << C.Texture << " fragments " << C.Fragments << " EC " << C.EC;
  }
}

struct THz {
  const char *Depth, *Awc, *KSat;
};

// A field whose horizons 1.. are given (depth, AWC, KSat), numbers in Format's form.
std::unique_ptr<TSovFile> FieldWithHorizons(std::initializer_list<THz> Horizons, const TFormatSettings& Format) {
  auto F = std::make_unique<TSovFile>(DataLookup("validation/Lookup.ini"), Format);
  int Row = 1;
  for (const THz& H : Horizons) {
    F->SetCell(Row, SovCol::HzDepth, H.Depth);
    if (*H.Depth || *H.Awc || *H.KSat) F->SetCell(Row, SovCol::HzTexture, "SIL");
    F->SetCell(Row, SovCol::HzAWC, Local(H.Awc, Format));
    F->SetCell(Row++, SovCol::HzKSat, Local(H.KSat, Format));
  }
  return F;
}

TEST(WaterHoldingCapacity, SumsTheRootZoneAndStopsAtTheLastHorizon) {
  const double NaN = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();
  const struct {
    std::initializer_list<THz> Horizons;
    bool Metric;
    double Roots;  // cm or feet
    const char* Msg;  // empty: success
    double Capacity;  // mm or inches
  } Cases[] = {
      {{{"20", "0.2", ""}, {"60", "0.1", ""}}, true, 45, "", 65},
      {{{"100", "0.15", ""}}, false, 1, "", 30.48 * 0.15 * 10 / 25.4},
      // Roots below the last horizon count what the horizons hold, in both systems.
      {{{"30", "0.2", ""}, {"90", "0.15", ""}, {"150", "0.1", ""}}, true, 200, "", 210},
      {{{"30", "0.2", ""}, {"90", "0.15", ""}, {"150", "0.1", ""}}, false, 10, "", 210 / 25.4},
      // Roots on a horizon's bottom end the sum; the horizon below is never read.
      {{{"20", "0.2", ""}, {"60", "0.1", ""}}, true, 60, "", 80},
      {{{"20", "0.2", ""}, {"", "0.1", ""}}, true, 20, "", 40},
      {{{"20", "0.2", ""}, {"", "0.1", ""}}, true, 15, "", 30},
      // Without AWC but with KSat a horizon ends the soil; without both it is an error.
      {{{"20", "", "5"}}, true, 45, "Horizon 1 is missing AWC.", 0},
      {{{"20", "0.2", ""}, {"40", "0.1", ""}, {"80", "", "12"}}, true, 100, "", 60},
      {{{"20", "0.2", ""}, {"40", "", ""}}, true, 100, "Horizon 2 is missing AWC.", 40},
      {{}, true, 45, "Horizon 1 is missing depth.", 0},
      {{{"20", "0.2", ""}, {"", "0.1", ""}}, true, 45, "Horizon 2 is missing depth.", 40},
      {{{"20", "0.2", ""}, {"", "", ""}, {"60", "0.1", ""}}, true, 45, "Horizon 2 is missing depth.", 40},
      {{{"20", "0.2", ""}, {"20", "0.1", ""}}, true, 100, "Horizon 2 is not deeper than horizon 1.", 40},
      {{{"30", "0.2", ""}, {"60", "0.1", ""}, {"50", "0.1", ""}}, true, 100, "Horizon 3 is not deeper than horizon 2.",
       90},
      {{{"12.5", "0.2", ""}}, true, 100, "Horizon 1 has an invalid depth.", 0},
      {{{"0", "0.2", ""}}, true, 100, "Horizon 1 has an invalid depth.", 0},
      {{{"20", "0.2", ""}, {"-40", "0.1", ""}}, true, 100, "Horizon 2 has an invalid depth.", 40},
      {{{"20", "0.2", ""}, {"9999", "1e308", ""}}, true, 100, "Horizon 2 has an invalid AWC.", 40},
      {{{"20", "0.2", ""}}, true, 0, "", 0},
      {{{"20", "0.2", ""}}, true, NaN, "?", 0},
      {{{"20", "0.2", ""}}, true, Inf, "?", 0},
  };
  for (const TFormatSettings& Format : {UsFormatSettings(), GermanFormatSettings()}) {
    for (const auto& C : Cases) {
      auto F = FieldWithHorizons(C.Horizons, Format);
      double Capacity = -1;
      QString Msg;
      SCOPED_TRACE(testing::Message() << C.Roots << " " << C.Msg);
      EXPECT_EQ(F->CalcWaterHoldingCapacity(C.Metric, C.Roots, Capacity, Msg), !*C.Msg);
      EXPECT_TRUE(*C.Msg == '?' ? !Msg.isEmpty() : Msg == C.Msg) << Msg.toStdString();
      EXPECT_NEAR(Capacity, C.Capacity, 1e-9);
    }
  }
  // A point is no decimal separator in German: the AWC reads as no number (0).
  auto F = FieldWithHorizons({{"20", "0.2", ""}, {"60", "0.1", ""}}, GermanFormatSettings());
  F->SetCell(2, SovCol::HzAWC, "0.1");
  double Capacity = 0;
  QString Msg;
  ASSERT_TRUE(F->CalcWaterHoldingCapacity(true, 45, Capacity, Msg)) << Msg.toStdString();
  EXPECT_NEAR(Capacity, 40, 1e-9);
}

// The box's text for a typed rooting depth, as the soil dialog and the rooting depth box
// set it; nothing when the depth or the horizons do not give one.
TEST(WaterHoldingCapacity, TextForATypedRootingDepth) {
  const std::initializer_list<THz> Soil = {{"30", "0.12", ""}, {"75", "0.15", ""}, {"150", "0.14", ""}};
  const struct {
    bool German, Metric, Horizons;
    const char* Typed;
    bool Ok;
    const char *Text, *Msg;
  } Cases[] = {
      {false, true, true, "60", true, "81.00", ""},
      {false, true, true, " 120 ", true, "166.50", ""},
      {true, true, true, "60,5", true, "81,75", ""},
      {false, false, true, "2", true, "3.25", ""},
      {false, false, true, "20", true, "8.21", ""},
      {true, true, true, "60.5", false, "", ""},
      {false, true, true, "", false, "", ""},
      {false, true, true, "6x", false, "", ""},
      {false, true, true, "609.7", false, "", ""},
      {false, false, true, "20.1", false, "", ""},
      {false, true, true, "NaN", false, "", ""},
      {false, true, false, "60", false, "", "Horizon 1 is missing depth."},
  };
  for (const auto& C : Cases) {
    const TFormatSettings Format = C.German ? GermanFormatSettings() : UsFormatSettings();
    auto F = FieldWithHorizons(C.Horizons ? Soil : std::initializer_list<THz>{}, Format);
    QString Text = "old", Msg = "old";
    EXPECT_EQ(F->WaterCapacityText(C.Metric, 0, C.Typed, Text, Msg), C.Ok) << C.Typed;
    EXPECT_EQ(Text, C.Text) << C.Typed;
    EXPECT_EQ(Msg, C.Msg) << C.Typed;
  }
}

}  // namespace
