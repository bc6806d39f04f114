// The schedule computation on whole fields built through the cell operations: dates,
// defaults, residue, stage marks, soil layers and the daily water phase, whole days
// worked out by hand, and the water balance as an invariant over random seasons.

#include "SovCalendar.h"
#include "SovSched.h"
#include "TestSupport.h"

#include <cmath>
#include <random>

namespace {

using namespace SovWater;

const TSovLookup& Lookup() { return DataLookup("SovSched/SchedLookup.ini"); }

struct FieldOptions {
  bool Metric = false;
  TFormatSettings Format = UsFormatSettings();
  QDate Start{2015, 4, 1}, Emergence{2015, 5, 10}, Calculation{2015, 9, 30};
  double LatitudeDeg = 42.0;
  const char *Location = "Iowa", *Crop = "Corn";
  int GrowingSeason = 120;
  int WeatherDays = 365;  // dry, mild, calm days: 25/10 °C, no rain, humidity 50
};

// A validated-looking field: a 4 ft (121.92 cm) root zone holding 8 in (203.2 mm),
// 300 m (984 ft) up, full at the start.
std::unique_ptr<TSovSchedule> NewField(const FieldOptions& O) {
  auto F = std::make_unique<TSovSchedule>(Lookup(), O.Format);
  FieldWriter W{*F, O.Format};
  F->SetIsMetric(O.Metric);
  const std::pair<int, QString> Values[] = {
      {SovCol::Location, O.Location},    {SovCol::Crop, O.Crop},
      {SovCol::Latitude, W.Num(O.LatitudeDeg)}, {SovCol::Longitude, W.Num(-93.5)},
      {SovCol::Elevation, O.Metric ? "300" : "984"}, {SovCol::GrowingSeason, QString::number(O.GrowingSeason)},
      {SovCol::RootingDepth, W.Num(O.Metric ? 121.92 : 4)}, {SovCol::MinimumMoisture, "50"},
      {SovCol::WaterHoldingCapacity, W.Num(O.Metric ? 203.2 : 8)}, {SovCol::StartingMoisture, "100"},
      {SovCol::StartingResidue, "0"}};
  for (const auto& [Col, Text] : Values) W.Set(1, Col, Text);
  W.Date(SovCol::EmergenceDate, O.Emergence);
  W.Date(SovCol::StartingDate, O.Start);
  W.Date(SovCol::CalculationDate, O.Calculation);
  for (int d = 1; d <= O.WeatherDays; ++d) W.Day(d, 25, 10, -1, -1, -1, 50);
  return F;
}

// Random metric weather written in the field's units, with stage marks now and then.
void RandomWeather(TSovSchedule& F, const TFormatSettings& Fmt, unsigned Seed, bool WithMarks) {
  std::mt19937 Rng(Seed);
  std::uniform_real_distribution<double> U(0.0, 1.0);
  std::exponential_distribution<double> Rain(1.0 / 9.0);
  FieldWriter W{F, Fmt};
  for (int d = 1; d <= 365; ++d) {
    const double Season = 14 + 12 * std::sin(2 * M_PI * (d - 100) / 365.0);
    const double High = std::clamp(Season + 16 * (U(Rng) - 0.5), -40.0, 48.0);
    const double Low = std::max(High - 2 - 18 * U(Rng), -45.0);
    const double Precip = U(Rng) < 0.65 ? (U(Rng) < 0.5 ? -1 : 0) : std::min(Rain(Rng), 200.0);
    const double Irrigation = U(Rng) < 0.08 ? 10 + 30 * U(Rng) : -1;
    const double Wind = U(Rng) < 0.2 ? -1 : 0.2 + 9 * U(Rng), Humidity = U(Rng) < 0.3 ? -1 : 15 + 85 * U(Rng);
    W.Day(d, High, Low, Precip, Irrigation, Wind, Humidity);
    W.Set(d, SovCol::GrowthStage, WithMarks && U(Rng) < 0.03 ? StageCode(1 + int(U(Rng) * 6) % 6) : QString());
  }
}

// Four complete horizons down to 150 cm.
void WriteHorizons(TSovSchedule& F, const TFormatSettings& Fmt) {
  FieldWriter W{F, Fmt};
  W.Horizon(1, 20, "SIL", 0.22, 0.12, 1.3, 3.5, 6.2);
  W.Horizon(2, 45, "SICL", 0.18, 0.15, 1.4, 1.5, 6.8);
  W.Horizon(3, 90, "CL", 0.16, 0.17, 1.5, 0.7, 7.2);
  W.Horizon(4, 150, "L", 0.14, 0.12, 1.6, 0.3, 7.8);
}

// Every result finite on every day; each layer between empty and full; excess water is
// the last layer's drain; and the profile's water changes by what arrives less what the
// crop uses and what drains away, unless the profile ran dry.
void ExpectSoundSchedule(const TSovSchedule& S) {
  for (const TDayArray<double>* A :
       {&S.Precip(), &S.Irrigation(), &S.SolarRad(), &S.ETRef(), &S.Kc(), &S.ETCrop(), &S.SoilMoisture(),
        &S.ExcessWater(), &S.DepletedMoisture(), &S.RelativeMoisture(), &S.MineralizedN(), &S.AmmoniumN(),
        &S.NitrateN(), &S.DenitrifiedN(), &S.VolatilizedN(), &S.UptakeN(), &S.LeachedN()})
    for (double V : A->items()) ASSERT_TRUE(std::isfinite(V));
  const TScheduleScalars& Sc = S.Scalars();
  ASSERT_GE(Sc.LayerCount, 1);
  ASSERT_LE(Sc.LayerCount, MaxSoilLayers);
  double Before = 0;
  for (int n = 1; n <= Sc.LayerCount; ++n) Before += Sc.StartingMoisture * S.Layers()[n].LayerCapacity / 100;
  for (int d = 1; d <= S.DayCount(); ++d) {
    const TScheduleDay& Day = S.Days()[d];
    ASSERT_TRUE(std::isfinite(Day.UnreducedETCrop)) << "day " << d;
    ASSERT_TRUE(std::isfinite(Day.MoisturePct)) << "day " << d;
    double Sum = 0;
    for (int n = 1; n <= Sc.LayerCount; ++n) {
      const double W = S.LayerWater(n, d);
      ASSERT_GE(W, 0) << d << " " << n;
      ASSERT_LE(W, S.Layers()[n].LayerCapacity) << d << " " << n;
      ASSERT_GE(S.LayerDrain(n, d), 0) << d << " " << n;
      Sum += W;
    }
    const double Net = S.Precip()[d] + Day.EffectiveIrrigation - S.ETCrop()[d], After = S.SoilMoisture()[d];
    ASSERT_NEAR(Sum, After, 1e-9);
    ASSERT_EQ(S.ExcessWater()[d], S.LayerDrain(Sc.LayerCount, d)) << "day " << d;
    if (After > 0 || S.ExcessWater()[d] > 0)
      ASSERT_NEAR(After - Before, Net - S.ExcessWater()[d], 1e-9) << "day " << d;
    else
      ASSERT_LE(Before + Net, 1e-9) << "day " << d;  // ran dry: the rest was dropped
    // Surface drying never lets a negative crop use through, nor turns it positive.
    if (Day.DaysSinceWetting >= 6) {
      ASSERT_GE(S.ETCrop()[d], 0) << "day " << d;
    }
    if (Day.UnreducedETCrop <= 0) {
      ASSERT_LE(S.ETCrop()[d], 0) << "day " << d;
    }
    ASSERT_NEAR(S.DepletedMoisture()[d], Sc.WaterHoldingCapacity - After, 1e-9);
    Before = After;
  }
}

TEST(SovSchedCalc, DatesDefaultsAndDayCount) {
  FieldOptions O;
  auto F = NewField(O);
  ExpectValid(*F);
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 183);  // 1 April-30 September
  EXPECT_EQ(F->DaysBeforeEmergence(), 39);
  EXPECT_EQ(F->Scalars().Elevation, 300);  // 984 / 3.281 = 299.9 m
  EXPECT_NE(F->ETRef()[183], 0);
  EXPECT_EQ(F->ETRef()[184], 0);
  FieldWriter W{*F, O.Format};
  W.Date(SovCol::CalculationDate, QDate(2015, 5, 31));  // a recalculation clears the days beyond
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 61);
  EXPECT_EQ(F->ETRef()[150], 0);
  EXPECT_EQ(F->SoilMoisture()[62], 0);
  // An empty elevation is 200 m, not feet; a huge one stops at 4572 m.
  for (const auto& [Elevation, Metres] : {std::pair{"", 200.0}, {"15000", 4572.0}}) {
    W.Set(1, SovCol::Elevation, Elevation);
    F->Calculate();
    EXPECT_EQ(F->Scalars().Elevation, Metres) << Elevation;
  }
  // Bad dates end the calculation with an empty schedule.
  F->SetCell(1, SovCol::StartingDate, "4/31/2015");
  EXPECT_THROW(F->Calculate(), std::invalid_argument);
  EXPECT_EQ(F->DayCount(), 0);
  EXPECT_EQ(F->ETRef()[1], 0);
  W.Date(SovCol::StartingDate, QDate(2016, 1, 1));
  W.Date(SovCol::EmergenceDate, QDate(2016, 2, 1));
  W.Date(SovCol::CalculationDate, QDate(2016, 12, 31));  // 366 days
  EXPECT_THROW(F->Calculate(), std::out_of_range);
  W.Date(SovCol::CalculationDate, QDate(2015, 12, 31));  // before the start
  EXPECT_THROW(F->Calculate(), std::out_of_range);
  // Weather the field check refuses that leaves no finite balance: a mean of -237.3 °C,
  // a temperature of 1e300, rain and irrigation of 1e308 each.
  O.Metric = true;
  for (const auto& [Col1, Col2, Value] : {std::tuple{SovCol::MaxTemp, SovCol::MinTemp, "-237.3"},
                                          {SovCol::MaxTemp, SovCol::MaxTemp, "1e300"},
                                          {SovCol::Precip, SovCol::Irrigation, "1e308"}}) {
    auto G = NewField(O);
    G->SetCell(150, Col1, Value);
    G->SetCell(150, Col2, Value);
    EXPECT_THROW(G->Calculate(), std::domain_error) << Value;
    EXPECT_EQ(G->DayCount(), 0) << Value;
    EXPECT_EQ(G->SoilMoisture()[1], 0) << Value;
  }
  // 300 days from 1 June: the day of the year runs on past the new year (152 .. 451).
  O = FieldOptions();
  O.Start = QDate(2015, 6, 1);
  O.Emergence = QDate(2015, 6, 10);
  O.Calculation = O.Start.addDays(299);
  auto H = NewField(O);
  H->Calculate();
  ASSERT_EQ(H->DayCount(), 300);
  for (int d : {1, 215, 300}) {
    const TRefEtDay D = ReferenceEt(42.0 * DegreesToRadians, 151 + d, 300, false, 25, 10, 2.0, 50);
    EXPECT_NEAR(H->ETRef()[d], D.ETo / 25.4, 1e-12) << d;
  }
}

TEST(SovSchedCalc, ResidueStagesAndCropCoefficient) {
  FieldOptions O;
  auto F = NewField(O);
  FieldWriter W{*F, O.Format};
  W.Set(1, SovCol::StartingResidue, "30");
  W.Event(1, 10, 4, 50);
  W.Event(2, 20, 4, 10);
  W.Event(3, 20, 4, 70);    // a later slot wins on the same day
  W.Event(4, 5, 1, 100);    // not a residue event
  W.Event(5, 400, 4, 90);   // outside the schedule
  W.Event(6, 30, 4, 12.5);  // not a whole number: 0
  W.Set(90, SovCol::GrowthStage, "M");
  F->Calculate();
  for (const auto& [Day, Residue] : {std::pair{9, 30}, {10, 50}, {20, 70}, {29, 70}, {30, 0}})
    EXPECT_EQ(F->Residue()[Day], Residue) << Day;
  // After emergence the calendar gives the coefficient, the mark included.
  const int Dbe = F->DaysBeforeEmergence(), Crop = F->Crop();
  std::vector<int> Marks(365, 0);
  Marks[89] = StageMid;
  for (int d = Dbe + 1; d <= F->DayCount(); ++d) {
    const double Kc = KcOfDay(Lookup(), F->DaysFromPlanting(Crop, d - Dbe), Crop, F->TotalSeasonDays(Crop, 120),
                              Marks, Dbe, F->DaysFromPlanting(Crop, 0));
    ASSERT_DOUBLE_EQ(F->Kc()[d], Kc) << d;
  }
  EXPECT_EQ(F->Kc()[90], 1.2);
  EXPECT_EQ(F->UserStage()[90], StageMid);
  EXPECT_EQ(F->UserStage()[89], 0);
  // Frozen and snow days use 0.04 in of water with a coefficient of 0; "s" is no mark.
  auto G = NewField(O);
  for (const auto& [Day, Code] : {std::pair{3, "Z"}, {60, "S"}, {61, "s"}}) G->SetCell(Day, SovCol::GrowthStage, Code);
  FieldWriter{*G, O.Format}.Day(58, 25, 10, 25.4, -1, -1, 50);
  G->Calculate();
  for (int d : {3, 60}) {
    EXPECT_EQ(G->Kc()[d], 0) << d;
    EXPECT_EQ(G->ETCrop()[d], 0.04) << d;  // wet surface, no stress
  }
  EXPECT_EQ(G->UserStage()[3], StageFrozen);
  EXPECT_EQ(G->UserStage()[60], StageSnow);
  EXPECT_EQ(G->UserStage()[61], 0);
  EXPECT_DOUBLE_EQ(G->Kc()[61], 0.6);  // no mark of its own, after the snow mark in the calendar
}

TEST(SovSchedCalc, SurfaceDryingAndAFullProfile) {
  FieldOptions O;
  auto F = NewField(O);
  FieldWriter W{*F, O.Format};
  W.Set(20, SovCol::Precip, 0.2);    // exactly the threshold: a wetting
  W.Set(40, SovCol::Precip, 0.19);   // not one
  W.Set(41, SovCol::Irrigation, 0.25);
  W.Set(1, SovCol::IrrigationEfficiency, "80");  // 0.2 effective: a wetting
  F->Calculate();
  for (const auto& [Day, Since] : {std::pair{19, 19}, {20, 1}, {40, 21}, {41, 1}})
    EXPECT_EQ(F->Days()[Day].DaysSinceWetting, Since) << Day;
  // A full profile gets no more: the rest is excess water; relative moisture is
  // (percent - minimum) x 0.22.
  W.Set(1, SovCol::Precip, 5);
  F->Calculate();
  EXPECT_EQ(F->SoilMoisture()[1], 8);
  EXPECT_GT(F->ExcessWater()[1], 4);
  EXPECT_NEAR(F->RelativeMoisture()[1], (100 - 50) * 0.22, 1e-12);
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, PolarSeasonsStayFinite) {
  // 80 N from 1 October: polar night in saturated air gives negative reference ET. Long
  // after the last wetting the crop use is 0, never positive.
  FieldOptions O;
  O.LatitudeDeg = 80;
  O.Location = "Svalbard";
  O.Start = O.Emergence = QDate(2015, 10, 1);
  O.Calculation = QDate(2016, 3, 15);
  O.Crop = "Alfalfa";
  O.GrowingSeason = 200;
  O.WeatherDays = 0;
  auto F = NewField(O);
  FieldWriter W{*F, O.Format};
  for (int d = 1; d <= 167; ++d) {  // 5/-10 °F, 1 mph, saturated
    for (const auto& [Col, Value] : {std::pair{SovCol::MaxTemp, 5}, {SovCol::MinTemp, -10},
                                     {SovCol::Humidity, 100}, {SovCol::WindSpeed, 1}})
      W.Set(d, Col, double(Value));
  }
  ExpectValid(*F);
  F->Calculate();
  int Negative = 0;
  for (int d = 1; d <= F->DayCount(); ++d) {
    Negative += F->ETRef()[d] < 0;
    const TScheduleDay& Day = F->Days()[d];
    if (Day.DaysSinceWetting >= 124) {
      EXPECT_EQ(F->ETCrop()[d], 0) << d;
    }
    if (Day.DaysSinceWetting < 6) {
      EXPECT_EQ(F->ETCrop()[d], Day.UnreducedETCrop) << d;
    }
  }
  EXPECT_GT(Negative, 100);
  EXPECT_LT(F->ETRef()[1], 0);
  EXPECT_LT(F->ETCrop()[1], 0);  // wet surface: negative use adds water
  ExpectSoundSchedule(*F);
  // A year of random weather at and near the poles: midnight sun in the local summer,
  // polar night in the local winter.
  for (const auto& [Latitude, Start] : {std::pair{-80.0, QDate(2015, 6, 1)}, {90.0, QDate(2015, 12, 1)}}) {
    O.LatitudeDeg = Latitude;
    O.Start = Start;
    O.Emergence = Start.addDays(5);
    O.Calculation = Start.addDays(364);
    auto G = NewField(O);
    RandomWeather(*G, O.Format, unsigned(Latitude * 100 + Start.month()), true);
    ExpectValid(*G);
    G->Calculate();
    ExpectSoundSchedule(*G);
    const bool SummerFirst = (Latitude > 0) == (Start.month() == 6);
    EXPECT_EQ(G->SolarRad()[SummerFirst ? 185 : 15], 0) << Latitude;
    EXPECT_GT(G->SolarRad()[SummerFirst ? 15 : 185], 0) << Latitude;
  }
}

TEST(SovSchedCalc, SoilLayersFromTheHorizons) {
  FieldOptions O;
  O.Metric = true;
  auto F = NewField(O);
  WriteHorizons(*F, O.Format);
  F->Calculate();
  const TScheduleScalars& S = F->Scalars();
  // Root zone 121.92 cm: horizon 4 (to 150 cm) is cut.
  ASSERT_TRUE(S.HorizonsUsable);
  ASSERT_EQ(S.LayerCount, 4);
  EXPECT_EQ(S.RootingDepth, 121.92);
  const double Bottoms[] = {0, 20, 45, 90, 121.92}, Awc[] = {0, 0.22, 0.18, 0.16, 0.14};
  // ppm of the 8/4/2 bands
  const double Nitrate[] = {0, 8, 5.68, (16 * 4 + 29 * 2) / 45.0, (1.4 * 2 + 30.5 * 2) / 31.92};
  const double Mineralizable[] = {0, 17.5, 7.5, 1.75, 0.375};  // organic matter 3.5, 1.5, 0.7, 0.3
  double StartN = 0;
  for (int n = 1; n <= 4; ++n) {
    const TSoilLayer& L = F->Layers()[n];
    EXPECT_EQ(L.Top, Bottoms[n - 1]) << n;
    EXPECT_EQ(L.Bottom, Bottoms[n]) << n;
    EXPECT_EQ(L.Thickness, Bottoms[n] - Bottoms[n - 1]) << n;
    EXPECT_DOUBLE_EQ(L.LayerCapacity, Awc[n] * L.Thickness * 10);
    EXPECT_NEAR(L.LayerNitratePpm, Nitrate[n], 1e-12) << n;
    EXPECT_DOUBLE_EQ(L.LayerMineralizableN, Mineralizable[n]);
    StartN += L.LayerNitratePpm * L.Thickness * L.BulkDensity / 10;
  }
  const TSoilLayer& L1 = F->Layers()[1];
  EXPECT_EQ(L1.LayerPorosity, (2.65 - 1.3) / 2.65);
  EXPECT_EQ(L1.WiltingPoint, 0.12);
  EXPECT_EQ(L1.pH, 6.2);
  EXPECT_EQ(L1.Texture, TSovFile::TextureIndex("SIL"));
  EXPECT_EQ(L1.LayerMineralizedN, 0);
  EXPECT_EQ(L1.LayerAmmoniumPpm, 0);
  EXPECT_NEAR(F->StartingNitrateN(), StartN, 1e-12);
  ExpectSoundSchedule(*F);
  // The field's organic matter replaces the top horizon's.
  FieldWriter{*F, O.Format}.Set(1, SovCol::OrganicMatter, 0.8);
  F->Calculate();
  EXPECT_EQ(F->Layers()[1].OrganicMatter, 0.8);
  EXPECT_EQ(F->Layers()[2].LayerMineralizableN, 7.5);
  EXPECT_DOUBLE_EQ(F->Layers()[1].LayerMineralizableN, 2.5 * 0.8);
  // A horizon without AWC but with KSat below complete ones ends the soil; without KSat
  // the horizons are unusable. A horizon reaching the roots is the last one read.
  const struct {
    const char* Change;
    std::function<void(FieldWriter&)> Apply;
    bool Usable;
    int Layers;
    double Bottom;
  } Cases[] = {
      {"no AWC, KSat", [](FieldWriter& W) { W.Set(3, SovCol::HzAWC, ""); }, true, 2, 45},
      {"no AWC, no KSat", [](FieldWriter& W) { W.Set(3, SovCol::HzAWC, ""), W.Set(3, SovCol::HzKSat, ""); }, false, 1,
       0},
      {"roots at 30", [](FieldWriter& W) { W.Set(1, SovCol::RootingDepth, 30), W.Set(4, SovCol::HzTexture, ""); },
       true, 2, 30},
      {"roots at 20", [](FieldWriter& W) { W.Set(1, SovCol::RootingDepth, 20); }, true, 1, 20},
      {"first incomplete", [](FieldWriter& W) { W.Set(1, SovCol::HzpH, ""); }, false, 1, 0},
      {"out of order", [](FieldWriter& W) { W.Set(3, SovCol::HzDepth, "45"); }, false, 1, 0},
      {"bad texture", [](FieldWriter& W) { W.Set(2, SovCol::HzTexture, "LOAM"); }, false, 1, 0},
      {"no root zone", [](FieldWriter& W) { W.Set(1, SovCol::RootingDepth, "0"); }, false, 1, 0},
      {"ten horizons", [](FieldWriter& W) { for (int h = 1; h <= 10; ++h) W.Horizon(h, 10 * h, "L", 0.15); }, true,
       10, 100}};
  for (const auto& C : Cases) {
    auto G = NewField(O);
    WriteHorizons(*G, O.Format);
    FieldWriter GW{*G, O.Format};
    C.Apply(GW);
    G->Calculate();
    SCOPED_TRACE(C.Change);
    EXPECT_EQ(G->Scalars().HorizonsUsable, C.Usable);
    EXPECT_EQ(G->Scalars().LayerCount, C.Layers);
    if (C.Usable) {
      EXPECT_EQ(G->Layers()[C.Layers].Bottom, C.Bottom);
    } else {
      EXPECT_EQ(G->Layers()[1].LayerCapacity, 203.2);
      EXPECT_EQ(G->NitrateN()[100], 0);
    }
    ExpectSoundSchedule(*G);
  }
  // In an English field the layers hold inches and the nitrate is in lbs/acre.
  O.Metric = false;
  auto E = NewField(O);
  WriteHorizons(*E, O.Format);
  E->Calculate();
  EXPECT_DOUBLE_EQ(E->Layers()[1].LayerCapacity, 0.22 * 20 * 10 / 25.4);
  EXPECT_NEAR(E->StartingNitrateN(), 0.8922 * StartN, 1e-12);
}

TEST(SovSchedCalc, NoCapacityStaysFiniteAndTheYieldFactor) {
  // Layers without available water, a capacity of 0 (a full profile), and tiny ones
  // with horizons holding far more.
  for (const char* Capacity : {"", "0", "1e-310"}) {
    for (bool Horizons : {false, true}) {
      FieldOptions O;
      O.Metric = true;
      auto F = NewField(O);
      RandomWeather(*F, O.Format, 5, false);
      if (Horizons) WriteHorizons(*F, O.Format);
      if (Horizons && !*Capacity) F->SetCell(1, SovCol::HzAWC, "0"), F->SetCell(3, SovCol::HzAWC, "0");
      if (*Capacity) F->SetCell(1, SovCol::WaterHoldingCapacity, Capacity);
      F->Calculate();
      SCOPED_TRACE(Capacity);
      ExpectSoundSchedule(*F);
      if (!Horizons && std::string(Capacity) == "0") {
        EXPECT_EQ(F->Days()[10].MoisturePct, 100);
        EXPECT_EQ(F->RelativeMoisture()[10], (100 - 50) * 0.22);
      }
      if (Horizons && !*Capacity) {
        EXPECT_EQ(F->Layers()[1].LayerCapacity, 0);
      }
    }
  }
  const struct {
    const char *Crop, *Yield;
    bool Metric;
    double Factor;
  } Cases[] = {{"Corn", "", false, 0.8},     {"Corn", "150", false, 1.1 * 150 / 277},
               {"Corn", "300", false, 1.0},  {"Corn", "9000", true, 1.1 * (9000 * 0.8922 / 56) / 277},
               {"Corn", "10000", true, 0.8}, {"Alfalfa", "150", false, 1.0}};
  for (const auto& C : Cases) {
    FieldOptions O;
    O.Metric = C.Metric;
    O.Crop = C.Crop;
    auto F = NewField(O);
    WriteHorizons(*F, O.Format);
    F->SetCell(1, SovCol::ProjectedYield, C.Yield);
    F->Calculate();
    EXPECT_NEAR(F->Scalars().YieldFactor, C.Factor, 1e-12) << C.Crop << " " << C.Yield;
    EXPECT_EQ(F->Scalars().CropHasUptake, std::string(C.Crop) == "Corn");
  }
}

TEST(SovSchedCalc, WaterBalanceOverRandomSeasonsInEveryFormAndUnitSystem) {
  for (unsigned Seed = 1; Seed <= 6; ++Seed) {
    FieldOptions O;
    O.Metric = Seed % 2 == 0;
    O.Format = Seed % 3 == 0 ? GermanFormatSettings() : UsFormatSettings();
    O.Start = QDate(2014 + int(Seed % 4), 1 + int(Seed % 12), 1);
    O.Emergence = O.Start.addDays(int(Seed * 3 % 60));
    O.Calculation = O.Start.addDays(364);
    O.LatitudeDeg = -60.0 + Seed * 12;
    O.Location = "Svalbard";
    O.Crop = Seed % 5 == 0 ? "Alfalfa" : "Corn";
    auto F = NewField(O);
    RandomWeather(*F, O.Format, Seed, true);
    if (Seed % 4 < 2) WriteHorizons(*F, O.Format);
    F->SetCell(1, SovCol::StartingMoisture, QString::number(Seed * 7 % 101));
    F->SetCell(1, SovCol::IrrigationEfficiency, QString::number(10 + Seed * 13 % 91));
    ExpectValid(*F);
    F->Calculate();
    ASSERT_EQ(F->DayCount(), 365);
    SCOPED_TRACE(Seed);
    ExpectSoundSchedule(*F);
  }
  // The same field in both unit systems differs only by the units (frozen marks aside:
  // 1 mm against 0.04 in); in every user form the schedule is the same.
  for (bool Horizons : {false, true}) {
    FieldOptions O;
    O.Start = QDate(2015, 3, 1);
    O.Emergence = QDate(2015, 4, 20);
    O.Calculation = QDate(2015, 11, 30);
    auto E = NewField(O);
    O.Metric = true;
    O.Format = GermanFormatSettings();
    auto M = NewField(O);
    O.Format = IsoFormatSettings();
    auto I = NewField(O);
    for (TSovSchedule* F : {E.get(), M.get(), I.get()}) {
      const TFormatSettings Fmt =
          F == E.get() ? UsFormatSettings() : F == M.get() ? GermanFormatSettings() : IsoFormatSettings();
      RandomWeather(*F, Fmt, 7, false);
      if (Horizons) WriteHorizons(*F, Fmt);
      FieldWriter{*F, Fmt}.Set(200, SovCol::GrowthStage, "L");
      F->Calculate();
    }
    ASSERT_EQ(E->DayCount(), M->DayCount());
    ASSERT_EQ(E->Scalars().LayerCount, M->Scalars().LayerCount);
    for (int d = 1; d <= E->DayCount(); ++d) {
      const std::pair<double, double> Pairs[] = {
          {E->SolarRad()[d], M->SolarRad()[d]},           {E->ETRef()[d] * 25.4, M->ETRef()[d]},
          {E->Kc()[d], M->Kc()[d]},                       {E->ETCrop()[d] * 25.4, M->ETCrop()[d]},
          {E->SoilMoisture()[d] * 25.4, M->SoilMoisture()[d]}, {E->ExcessWater()[d] * 25.4, M->ExcessWater()[d]},
          {E->DepletedMoisture()[d] * 25.4, M->DepletedMoisture()[d]},
          {E->RelativeMoisture()[d], M->RelativeMoisture()[d]},
          {E->NitrateN()[d] / 0.8922, M->NitrateN()[d]}};
      for (const auto& [English, Metric] : Pairs) ASSERT_NEAR(English, Metric, 1e-8) << "day " << d;
      ASSERT_EQ(I->ETCrop()[d], M->ETCrop()[d]) << "day " << d;
      ASSERT_EQ(I->SoilMoisture()[d], M->SoilMoisture()[d]) << "day " << d;
      ASSERT_EQ(I->NitrateN()[d], M->NitrateN()[d]) << "day " << d;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole days worked out by hand from the formulas (independently of this code)

struct HandDay {
  int Day;
  double SolarRad, ETRef, Kc, ETCrop, SoilMoisture, ExcessWater, Depleted, Relative;
};

void ExpectHandDays(const TSovSchedule& F, std::initializer_list<HandDay> Days) {
  for (const HandDay& H : Days) {
    const int d = H.Day;
    const double Got[] = {F.SolarRad()[d],     F.ETRef()[d],       F.Kc()[d],
                          F.ETCrop()[d],       F.SoilMoisture()[d], F.ExcessWater()[d],
                          F.DepletedMoisture()[d], F.RelativeMoisture()[d]};
    const double Want[] = {H.SolarRad, H.ETRef, H.Kc, H.ETCrop, H.SoilMoisture, H.ExcessWater, H.Depleted, H.Relative};
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(Got[i], Want[i], 1e-9) << "day " << H.Day << " value " << i;
  }
}

TEST(SovSchedCalc, MetricDaysWorkedByHand) {
  // 41.5° N, 150 m (halfway between rows: gamma 0.066), inland, German number form.
  // Root zone 50 cm over horizons to 20 and 60 cm: layers of 40 and 45 mm. Day 1 is
  // before emergence with 35 % residue (Kc 0.34), irrigated 20 mm at 75 % (a
  // wetting), starting at 40 % (crop use x 0.8). Day 2 is emergence (KcIni), 45 mm of
  // rain overfill both layers. Day 3 is frozen.
  FieldOptions O;
  O.Metric = true;
  O.Format = GermanFormatSettings();
  O.LatitudeDeg = 41.5;
  O.Start = QDate(2015, 6, 1);
  O.Emergence = QDate(2015, 6, 2);
  O.Calculation = QDate(2015, 6, 3);
  O.WeatherDays = 0;
  auto F = NewField(O);
  FieldWriter W{*F, O.Format};
  for (const auto& [Col, Text] : {std::pair{SovCol::Elevation, "150"}, {SovCol::RootingDepth, "50"},
                                  {SovCol::WaterHoldingCapacity, "90"}, {SovCol::IrrigationEfficiency, "75"},
                                  {SovCol::StartingMoisture, "40"}, {SovCol::StartingResidue, "35"}})
    W.Set(1, Col, Text);
  W.Horizon(1, 20, "SIL", 0.2);
  W.Horizon(2, 60, "SICL", 0.15);
  W.Day(1, 30, 15, -1, 20, 3, 60);
  W.Day(2, 28, 12, 45);
  W.Day(3, 25, 10);
  W.Set(3, SovCol::GrowthStage, "Z");
  ExpectValid(*F);
  F->Calculate();
  ASSERT_EQ(F->Scalars().LayerCount, 2);
  ASSERT_EQ(F->Layers()[2].LayerCapacity, 45);
  ExpectHandDays(*F, {{1, 25.570665366597265, 5.860688381930558, 0.34, 1.594107239885112, 47.40589276011489, 0,
                       42.59410723988511, 0.5881071191391959},
                      {2, 26.45185424928674, 5.423580748440854, 0.3, 1.627074224532256, 85.0, 5.77881853558263, 5.0,
                       9.777777777777777},
                      {3, 25.65088390549665, 4.889411094536503, 0.0, 1.0, 84.0, 0, 6.0, 9.533333333333333}});
  EXPECT_NEAR(F->LayerWater(1, 1), 29.405892760114888, 1e-9);
  EXPECT_NEAR(F->LayerWater(2, 1), 18.0, 1e-12);
  EXPECT_NEAR(F->LayerDrain(1, 2), 32.77881853558263, 1e-9);
  EXPECT_NEAR(F->LayerDrain(2, 2), 5.77881853558263, 1e-9);
  EXPECT_NEAR(F->LayerWater(1, 3), 39.0, 1e-9);
  EXPECT_EQ(F->Days()[3].DaysSinceWetting, 2);
}

TEST(SovSchedCalc, EnglishDaysWorkedByHand) {
  // 35° N, 1000 ft (305 m: gamma 0.065), coastal, a perennial crop emerging on day 1
  // (KcIni 0.4 throughout), 6 in in one layer, full at the start; empty minimum
  // moisture and efficiency take 60 and 100. Day 1: 86/59 °F, 5 mph, 0.3 in of rain.
  // Days 2-10: 80/50 °F (the coastal estimate is held at clear sky), calm, 0.19 in on
  // day 5 (not a wetting), so the surface dries from day 6 on.
  FieldOptions O;
  O.LatitudeDeg = 35;
  O.Crop = "Alfalfa";
  O.GrowingSeason = 200;
  O.Start = O.Emergence = QDate(2015, 3, 30);
  O.Calculation = QDate(2015, 4, 8);
  O.WeatherDays = 0;
  auto F = NewField(O);
  F->SetIsCoastal(true);
  FieldWriter W{*F, O.Format};
  for (const auto& [Col, Text] : {std::pair{SovCol::Elevation, "1000"}, {SovCol::RootingDepth, "3"},
                                  {SovCol::WaterHoldingCapacity, "6"}, {SovCol::MinimumMoisture, ""},
                                  {SovCol::StartingResidue, ""}})
    W.Set(1, Col, Text);
  for (int d = 1; d <= 10; ++d) {
    W.Set(d, SovCol::MaxTemp, d == 1 ? 86 : 80);
    W.Set(d, SovCol::MinTemp, d == 1 ? 59 : 50);
    W.Set(d, SovCol::Humidity, d == 1 ? 50 : 40);
  }
  W.Set(1, SovCol::WindSpeed, 5);
  W.Set(1, SovCol::Precip, 0.3);
  W.Set(5, SovCol::Precip, 0.19);
  ExpectValid(*F);
  F->Calculate();
  EXPECT_EQ(F->Scalars().Elevation, 305);
  ExpectHandDays(*F, {{1, 24.110044896971406, 0.2105995318046366, 0.4, 0.08423981272185466, 6.0, 0.2157601872781454,
                       0.0, 8.8},
                      {2, 24.931876035486102, 0.1978946939802474, 0.4, 0.07915787759209897, 5.920842122407901, 0,
                       0.07915787759209891, 8.50975444882897},
                      {6, 25.553790613940233, 0.20210679127325007, 0.4, 0.08047290696408363, 5.790349124332848, 0,
                       0.20965087566715201, 8.031280122553778},
                      {7, 25.70561730372256, 0.20313508167066652, 0.4, 0.07334162090506623, 5.717007503427782, 0,
                       0.28299249657221814, 7.762360845901865},
                      {10, 26.15167483384688, 0.20615613597659752, 0.4, 0.06115362980288348, 5.5234509493162225, 0,
                       0.4765490506837775, 7.05265348082615}});
  EXPECT_EQ(F->Days()[7].DaysSinceWetting, 7);
}

}  // namespace
