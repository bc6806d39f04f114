// Whole nitrogen days worked out by hand: a two-layer metric field with one
// fertiliser event, whose water is kept simple (frozen-marked days use exactly 1 mm,
// the profile starts full), checked column by column against values computed step by
// step from the transformation, uptake, leaching and application rules.

#include "SovSched.h"
#include "TestSupport.h"

#include <cmath>
#include <initializer_list>

namespace {

// The shipped lookup tables, with "Swine liquid" given a nitrification inhibitor.
class TTestLookup : public TSovLookup {
 public:
  TTestLookup() {
    QString Msg;
    EXPECT_TRUE(LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
    const int Swine = FindManure("Swine liquid");
    if (Swine > 0) FManures[std::size_t(Swine - 1)].NitrifInhib = true;
  }
};

const TSovLookup& Lookup() {
  static const TSovLookup* L = new TTestLookup;
  return *L;
}

struct THorizon {
  int Depth;
  const char* Texture;
  double Awc, Wp, Bd, OM, pH, Cec;
};

// A metric maize silage field starting on 5/1/2016, every day 30/20 °C, with the
// given horizons; rooting depth 50 cm.
std::unique_ptr<TSovSchedule> NewField(const TFormatSettings& Fmt, int DayCount, int DaysBeforeEmergence,
                                       int StartingMoisture, std::initializer_list<THorizon> Horizons) {
  auto F = std::make_unique<TSovSchedule>(Lookup(), Fmt);
  F->SetIsMetric(true);
  FieldWriter W{*F, Fmt};
  const QDate Start(2016, 5, 1);
  const std::pair<int, QString> Values[] = {
      {SovCol::Location, "Iowa"}, {SovCol::Crop, "Maize silage"}, {SovCol::Latitude, "42"},
      {SovCol::Longitude, W.Num(-93.5)}, {SovCol::Elevation, "300"}, {SovCol::GrowingSeason, "120"},
      {SovCol::RootingDepth, "50"}, {SovCol::WaterHoldingCapacity, "70"}, {SovCol::MinimumMoisture, "50"},
      {SovCol::StartingMoisture, QString::number(StartingMoisture)}, {SovCol::StartingResidue, "0"}};
  for (const auto& [Col, Text] : Values) W.Set(1, Col, Text);
  W.Date(SovCol::StartingDate, Start);
  W.Date(SovCol::EmergenceDate, Start.addDays(DaysBeforeEmergence));
  W.Date(SovCol::CalculationDate, Start.addDays(DayCount - 1));
  int h = 0;
  for (const THorizon& H : Horizons) W.Horizon(++h, H.Depth, H.Texture, H.Awc, H.Wp, H.Bd, H.OM, H.pH, W.Num(H.Cec));
  for (int d = 1; d <= DayCount; ++d) W.Day(d, 30, 20);
  return F;
}

// Running totals of a day, kg/ha; a negative urea is not checked.
struct TDayTotals {
  int Day;
  double Mineralized, Ammonium, Nitrate, Denitrified, Volatilized, Uptake, Leached, Urea = -1;
};

void ExpectTotals(const TSovSchedule& F, const TDayTotals& E) {
  SCOPED_TRACE("day " + std::to_string(E.Day));
  const int d = E.Day;
  const std::pair<double, double> Columns[] = {
      {F.MineralizedN()[d], E.Mineralized}, {F.AmmoniumN()[d], E.Ammonium},       {F.NitrateN()[d], E.Nitrate},
      {F.DenitrifiedN()[d], E.Denitrified}, {F.VolatilizedN()[d], E.Volatilized}, {F.UptakeN()[d], E.Uptake},
      {F.LeachedN()[d], E.Leached}};
  for (const auto& [Value, Expected] : Columns) EXPECT_NEAR(Value, Expected, 1e-9);
  EXPECT_TRUE(E.Urea < 0 || std::abs(F.NitrogenPools()[d].Urea - E.Urea) < 1e-9) << F.NitrogenPools()[d].Urea;
}

// Maize silage (GDD base 10 and cap 30 °C, first uptake point 250 °C days at 0.06,
// full rooting at 800) emerging on day 1, every day marked frozen (1 mm of crop water
// use). Horizons:
//   1: 0-20 cm silt loam,  AWC 0.2, wilting point 0.15, bulk density 1.3, OM 2.0, pH 6.5
//   2: 20-50 cm loamy sand, AWC 0.1, wilting point 0.05, bulk density 1.5, OM 0.8, pH 7.0
// One event: 100 liter/ha of UAN 28 broadcast on day 1. Day 2 brings 30 mm of rain.
std::unique_ptr<TSovSchedule> TwoLayerField(const TFormatSettings& Fmt) {
  auto F = NewField(Fmt, 5, 0, 100,
                    {{20, "SIL", 0.2, 0.15, 1.3, 2.0, 6.5, 10}, {50, "LS", 0.1, 0.05, 1.5, 0.8, 7.0, 10}});
  FieldWriter W{*F, Fmt};
  W.Event(1, 1, SovEvent::Fertilizer, 100, Lookup().FindFertilizer("UAN 28"), Lookup().FindFertAppMethod("Broadcast"));
  for (int d = 1; d <= 5; ++d) F->SetCell(d, SovCol::GrowthStage, "Z");
  F->SetCell(2, SovCol::Precip, "30");
  return F;
}

// Thirty frozen-marked days (1 mm of crop water use) of 25/15 °C (10 growing degree days
// a day, so the first uptake point, 250, is reached exactly on day 25 and left on day 26),
// emergence on day 1, a top layer whose water-filled pore space exceeds 0.9 when it
// is full (0.48 / (1.35 / 2.65)), 100 liter/ha of UAN 28 in a surface band on day 1,
// 20 MT/ha of solid manure on the surface and 30000 liter/ha of liquid swine manure
// (with a nitrification inhibitor here) injected on day 5, and rain: 30 mm on days 2 to 4
// (28, 29 and 29 mm below the top layer, whose capacity is 40: the band's rate steps
// to 0.12 and then 0.18), 3 mm on day 7 (the manure's loss shrinks) and 30 mm on
// days 10, 15 and 20.
std::unique_ptr<TSovSchedule> WetSeasonField() {
  auto F = NewField(UsFormatSettings(), 30, 0, 100,
                    {{20, "SIL", 0.2, 0.28, 1.3, 2.0, 6.5, 10}, {50, "LS", 0.1, 0.05, 1.5, 0.8, 7.0, 10}});
  const TSovLookup& L = Lookup();
  FieldWriter W{*F, UsFormatSettings()};
  W.Event(1, 1, SovEvent::Fertilizer, 100, L.FindFertilizer("UAN 28"), L.FindFertAppMethod("Surface band"));
  W.Manure(2, 5, L.FindManure("Dairy solid"), L.FindManureAppMethod("Surface (not incorporated)"), 20, 6, 2.5);
  W.Manure(3, 5, L.FindManure("Swine liquid"), L.FindManureAppMethod("Injected"), 30000, 4, 2);
  for (int d = 1; d <= 30; ++d) {
    W.Day(d, 25, 15);
    F->SetCell(d, SovCol::GrowthStage, "Z");
  }
  for (int d : {2, 3, 4, 10, 15, 20}) F->SetCell(d, SovCol::Precip, "30");
  F->SetCell(7, SovCol::Precip, "3");
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
    ExpectValid(*F);
    F->Calculate();
    ASSERT_TRUE(F->Scalars().HorizonsUsable);
    ASSERT_EQ(F->Scalars().LayerCount, 2);
    // The water the hand computation rests on.
    const std::pair<double, double> Water[] = {
        {F->ETCrop()[1], 1},       {F->ETCrop()[2], 1},       {F->Days()[2].UnreducedETCrop, 1},
        {F->LayerWater(1, 1), 39}, {F->LayerWater(2, 1), 30}, {F->LayerDrain(1, 1), 0},
        {F->LayerDrain(1, 2), 28}, {F->LayerDrain(2, 2), 28}, {F->StartingNitrateN(), 45.1}};
    for (const auto& [Value, Expected] : Water) EXPECT_NEAR(Value, Expected, 1e-12);
    ExpectTotals(*F, {1, 0.3069646929982135, 9.226170855870752, 53.17505755562511, 0.02573628150236356, 0, 0.9, 0,
                      17.92});
    ExpectTotals(*F, {2, 0.6106674524142754, 16.122249854005343, 30.99921131720907, 0.07622754249151928, 0, 1.8,
                      22.696978738708353, 9.856});
  }
}

// A bone-dry fine soil (water-filled pore space 0.001, below where nitrification and
// mineralisation start), before emergence and without rain: the ammonium of a manure
// application changes only by volatilisation, so each day's loss is exactly
// (1 - e^(-0.127 Fv_T Fv_S)) Fv_M of what the slot holds. Manure on day 10; every day's
// mean 25 °C (Fv_T = 1.08^5) except 20 °C (Fv_T = 1) on days 12 to 14.
TEST(NitrogenCases, VolatilizationByMethodRateAndIncorporationDay) {
  const TSovLookup& L = Lookup();
  const int Dairy = L.FindManure("Dairy solid"), Swine = L.FindManure("Swine liquid");
  const double Cec10 = 1 - 0.033 * 10;
  struct Case {
    const char* Method;
    int Manure;
    double Rate;       // MT/ha or liter/ha
    double Cec;
    double Content;    // ammonium, kg/MT or kg/1000 L
    int FirstIncorporatedDay;
    double FvM, FvS;   // before incorporation
  } const Cases[] = {
      // Solid manure on the surface: no soil factor, whatever the CEC.
      {"Surface (not incorporated)", Dairy, 20, 40, 2.5, 0, 1.0, 1.0},
      // Incorporated: a third, with the soil factor, from the day after DaysToInc days.
      {"Incorporated within 3 days", Dairy, 20, 10, 2.5, 14, 1.0, 1.0},
      {"Incorporated the same day", Dairy, 20, 10, 2.5, 11, 1.0, 1.0},
      // Liquid: by the rate in gal/acre (liter/ha / 9.346) and the soil factor.
      {"Surface (not incorporated)", Swine, 65000, 10, 3, 0, 0.85, Cec10},   // 6955 gal/acre
      {"Surface (not incorporated)", Swine, 65500, 10, 3, 0, 0.75, Cec10},   // 7008
      {"Surface (not incorporated)", Swine, 150000, 10, 3, 0, 0.67, Cec10},  // 16050
      {"Surface (not incorporated)", Swine, 262000, 0, 3, 0, 0.33, 1.0},     // 28033
      {"Surface (not incorporated)", Swine, 150000, 31, 3, 0, 0.67, 0.0},
      {"Injected", Swine, 150000, 0, 3, 0, 0.0, 0.0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Method) + " " + std::to_string(C.Rate));
    auto F = NewField(UsFormatSettings(), 20, 100, 0,
                      {{20, "SIL", 0.2, 0.0005, 1.325, 2.0, 6.5, C.Cec}, {50, "SIL", 0.2, 0.0005, 1.325, 2.0, 6.5, 0}});
    FieldWriter{*F, UsFormatSettings()}.Manure(1, 10, C.Manure, L.FindManureAppMethod(C.Method), C.Rate, 8, C.Content);
    for (int d = 12; d <= 14; ++d) F->SetCell(d, SovCol::MinTemp, "10");
    ExpectValid(*F);
    F->Calculate();
    ASSERT_EQ(F->LayerWater(1, 20), 0.0);
    double Slot = C.Rate * C.Content / (C.Manure == Swine ? 1000 : 1);  // kg/ha
    EXPECT_NEAR(F->AmmoniumN()[10], Slot, 1e-9);
    for (int d = 11; d <= 20; ++d) {
      SCOPED_TRACE(d);
      const double FvT = (d >= 12 && d <= 14) ? 1.0 : std::pow(1.08, 5);
      const bool Incorporated = C.FirstIncorporatedDay > 0 && d >= C.FirstIncorporatedDay;
      const double FvM = Incorporated ? 1.0 / 3 : C.FvM;
      const double FvS = Incorporated ? 1 - 0.033 * C.Cec : C.FvS;
      const double Lost = Slot * (1 - std::exp(-0.127 * FvT * FvS)) * FvM;
      Slot -= Lost;
      EXPECT_NEAR(F->VolatilizedN()[d] - F->VolatilizedN()[d - 1], Lost, 1e-9);
      EXPECT_NEAR(F->AmmoniumN()[d], Slot, 1e-9);
    }
  }
}

// The wet season above against a separate step-by-step computation of the same rules
// (seven columns on days that show the band's rate steps, the solid manure's ammonia
// loss shrinking with rain and ending, the injected manure's slow and delayed
// nitrification, denitrification raised after manure, uptake cut in a waterlogged top
// layer, and the uptake curve's next point after day 25).
TEST(NitrogenCases, WetSeasonAgainstAStepByStepComputation) {
  auto F = WetSeasonField();
  ExpectValid(*F);
  F->Calculate();
  ASSERT_GT(F->LayerWater(1, 5) / F->Layers()[1].LayerCapacity * 0.2 + 0.28, 0.9 * (1.35 / 2.65));
  const TDayTotals Expected[] = {
      {4, 0.6883129223579658, 25.938684223558557, 3.04497045628491, 0.8262633903686444, 0.0, 1.445555555555554,
       50.372839296590314},
      {9, 1.554577573953906, 117.00420834833592, 5.742283230262421, 0.956890928790638, 14.886402930996255,
       3.5319528389783263, 50.372839296590314},
      {25, 7.685439567341893, 86.15167110669708, 22.447361301096382, 3.0607616087847433, 16.58810964017139,
       11.098619505644987, 59.27891640494721},
      {30, 11.105253032499478, 68.02637138379531, 27.350708297399766, 4.702527800540732, 16.58810964017139,
       26.098619505644987, 59.27891640494721},
  };
  for (const TDayTotals& E : Expected) ExpectTotals(*F, E);
}

}  // namespace
