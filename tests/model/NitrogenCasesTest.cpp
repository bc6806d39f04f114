// Whole nitrogen days worked out by hand: a two-layer metric field with one
// fertiliser event, whose water is kept simple (frozen-marked days use exactly 1 mm,
// the profile starts full), checked column by column against values computed step by
// step from the transformation, uptake, leaching and application rules.

#include "SovEventN.h"
#include "SovSched.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const TSovLookup& Lookup() {
  static const TSovLookup* L = [] {
    auto* Loaded = new TSovLookup;
    QString Msg;
    EXPECT_TRUE(Loaded->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
    return Loaded;
  }();
  return *L;
}

// Maize silage (GDD base 10 and cap 30 °C, first uptake point 250 °C days at 0.06,
// full rooting at 800) emerging on day 1, rooting depth 50 cm, every day 30/20 °C
// and marked frozen (1 mm of crop water use). Horizons:
//   1: 0-20 cm silt loam,  AWC 0.2, wilting point 0.15, bulk density 1.3, OM 2.0, pH 6.5
//   2: 20-50 cm loamy sand, AWC 0.1, wilting point 0.05, bulk density 1.5, OM 0.8, pH 7.0
// One event: 100 liter/ha of UAN 28 broadcast on day 1. Day 2 brings 30 mm of rain.
std::unique_ptr<TSovSchedule> TwoLayerField(const TFormatSettings& Fmt) {
  const TSovLookup& L = Lookup();
  auto F = std::make_unique<TSovSchedule>(L, Fmt);
  F->SetIsMetric(true);
  auto Num = [&Fmt](double V) { return FormatGeneral(V, Fmt); };
  const QDate Start(2016, 5, 1);
  F->SetCell(1, SovCol::Location, "Iowa");
  F->SetCell(1, SovCol::Crop, "Maize silage");
  F->SetCell(1, SovCol::Latitude, Num(42));
  F->SetCell(1, SovCol::Longitude, Num(-93.5));
  F->SetCell(1, SovCol::Elevation, "300");
  F->SetCell(1, SovCol::StartingDate, DateToStr(Start, Fmt));
  F->SetCell(1, SovCol::EmergenceDate, DateToStr(Start, Fmt));
  F->SetCell(1, SovCol::CalculationDate, DateToStr(Start.addDays(4), Fmt));
  F->SetCell(1, SovCol::GrowingSeason, "120");
  F->SetCell(1, SovCol::RootingDepth, "50");
  F->SetCell(1, SovCol::WaterHoldingCapacity, "70");
  F->SetCell(1, SovCol::MinimumMoisture, "50");
  F->SetCell(1, SovCol::StartingMoisture, "100");
  F->SetCell(1, SovCol::StartingResidue, "0");
  struct {
    int Depth;
    const char* Texture;
    double Awc, Wp, Bd, OM, pH;
  } const Horizons[] = {{20, "SIL", 0.2, 0.15, 1.3, 2.0, 6.5}, {50, "LS", 0.1, 0.05, 1.5, 0.8, 7.0}};
  for (int h = 1; h <= 2; ++h) {
    const auto& H = Horizons[h - 1];
    F->SetCellInt(h, SovCol::HzDepth, H.Depth);
    F->SetCell(h, SovCol::HzTexture, H.Texture);
    F->SetCell(h, SovCol::HzAWC, Num(H.Awc));
    F->SetCell(h, SovCol::HzWiltingPoint, Num(H.Wp));
    F->SetCell(h, SovCol::HzBulkDensity, Num(H.Bd));
    F->SetCell(h, SovCol::HzKSat, "9");
    F->SetCell(h, SovCol::HzOM, Num(H.OM));
    F->SetCell(h, SovCol::HzpH, Num(H.pH));
    F->SetCell(h, SovCol::HzCEC, "10");
  }
  F->SetCellInt(1, SovCol::EvDay, 1);
  F->SetCellInt(1, SovCol::EvCode, SovEvent::Fertilizer);
  F->SetCellInt(1, SovCol::EvKey1, L.FindFertilizer("UAN 28"));
  F->SetCellInt(1, SovCol::EvKey2, L.FindFertAppMethod("Broadcast"));
  F->SetCell(1, SovCol::EvValue, "100");
  for (int d = 1; d <= 5; ++d) {
    F->SetCell(d, SovCol::MaxTemp, "30");
    F->SetCell(d, SovCol::MinTemp, "20");
    F->SetCell(d, SovCol::GrowthStage, "Z");
  }
  F->SetCell(2, SovCol::Precip, "30");
  return F;
}

// Worked by hand. Layer factors (kg/ha per ppm) 20 x 1.3 / 10 = 2.6 and
// 30 x 1.5 / 10 = 4.5; initial nitrate 8 ppm and (10.5 x 8 + 19.5 x 4) / 30 = 5.4 ppm,
// so 45.1 kg/ha before day 1; mineralisable 5 x 2.0 = 10 and 2.5 x 0.8 = 2 ppm.
// T = 25 °C (Fm_T = 1), day GDD 15. Water-filled pore space: layer 1 holds 39 mm of
// 40 on day 1 ((39/40 x 0.2 + 0.15) / (1.35/2.65) = 0.67722) and is full on day 2
// (0.68704); layer 2 stays full (0.15 / (1.15/2.65) = 0.34565) and does not
// denitrify. Uptake asks 15 x 0.06 / 2 = 0.45 kg/ha of each form from the top
// 50 x 15/800 = 0.9375 cm (day 1) and 1.875 cm (day 2); the ammonium there falls short,
// so nitrate gives the rest: 0.9 kg/ha a day. UAN 28: 100 x 0.28 x 1.28 = 35.84 kg N,
// a quarter each as nitrate and ammonium, half urea; it acts from day 2, when 0.45 of
// the urea (0.018 x 25) hydrolyses. Day 2: 28 mm pass below each layer; layer 1 loses
// 28/40 of its nitrate to layer 2, layer 2 loses 28/30 of its own to the bottom.
TEST(NitrogenCases, TwoLayerMetricFieldByHand) {
  for (const TFormatSettings& Fmt : {UsFormatSettings(), GermanFormatSettings()}) {
    auto F = TwoLayerField(Fmt);
    QString Form;
    int Row = 0, Col = 0;
    ASSERT_TRUE(F->CheckFieldData(false, Form, Row, Col)) << Form.toStdString() << " " << Col;
    F->Calculate();
    ASSERT_TRUE(F->Scalars().HorizonsUsable);
    ASSERT_EQ(F->Scalars().LayerCount, 2);
    // The water the hand computation rests on.
    EXPECT_DOUBLE_EQ(F->ETCrop()[1], 1);
    EXPECT_DOUBLE_EQ(F->ETCrop()[2], 1);
    EXPECT_DOUBLE_EQ(F->Days()[2].UnreducedETCrop, 1);
    EXPECT_DOUBLE_EQ(F->LayerWater(1, 1), 39);
    EXPECT_DOUBLE_EQ(F->LayerWater(2, 1), 30);
    EXPECT_DOUBLE_EQ(F->LayerDrain(1, 1), 0);
    EXPECT_DOUBLE_EQ(F->LayerDrain(1, 2), 28);
    EXPECT_DOUBLE_EQ(F->LayerDrain(2, 2), 28);
    EXPECT_NEAR(F->StartingNitrateN(), 45.1, 1e-12);

    struct {
      int Day;
      double Mineralized, Ammonium, Nitrate, Denitrified, Volatilized, Uptake, Leached, Urea;
    } const Expected[] = {
        {1, 0.3069646929982135, 9.226170855870752, 53.17505755562511, 0.02573628150236356, 0, 0.9, 0, 17.92},
        {2, 0.6106674524142754, 16.122249854005343, 30.99921131720907, 0.07622754249151928, 0, 1.8,
         22.696978738708353, 9.856},
    };
    for (const auto& E : Expected) {
      SCOPED_TRACE("day " + std::to_string(E.Day));
      const double Tol = 1e-9;
      EXPECT_NEAR(F->MineralizedN()[E.Day], E.Mineralized, Tol);
      EXPECT_NEAR(F->AmmoniumN()[E.Day], E.Ammonium, Tol);
      EXPECT_NEAR(F->NitrateN()[E.Day], E.Nitrate, Tol);
      EXPECT_NEAR(F->DenitrifiedN()[E.Day], E.Denitrified, Tol);
      EXPECT_NEAR(F->VolatilizedN()[E.Day], E.Volatilized, Tol);
      EXPECT_NEAR(F->UptakeN()[E.Day], E.Uptake, Tol);
      EXPECT_NEAR(F->LeachedN()[E.Day], E.Leached, Tol);
      EXPECT_NEAR(F->NitrogenPools()[E.Day].Urea, E.Urea, Tol);
    }
  }
}

}  // namespace
