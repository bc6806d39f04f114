// The schedule's soil-nitrogen pass: the factors of the transformations at their
// checkable values, leaching with its worked examples and its conservation, and whole
// fields built through the cell operations with the shipped lookup file, among them a
// nitrogen mass balance checked every day of random seasons in both unit systems, and
// whole days worked out by hand.

#include "SovCalendar.h"
#include "SovSched.h"
#include "SovSchedNitrogen.h"
#include "TestSupport.h"

#include <cmath>
#include <initializer_list>
#include <numeric>
#include <random>

namespace {

using namespace SovNitrogen;
using V = std::vector<double>;
constexpr double LbsPerKg = 0.8922;

// The shipped lookup tables; a test may change a crop of its own copy.
class TTestLookup : public TSovLookup {
 public:
  TTestLookup() {
    QString Msg;
    EXPECT_TRUE(LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
  }
  TCropRec& CropRow(int Row) { return FCrops.at(std::size_t(Row - 1)); }
};

TEST(NitrogenFactors, SpotValues) {
  for (const auto& [T, F] : {std::pair{25.0, 1.0}, {15.0, 0.5}, {2.5, 0.125}, {-3.0, 0.0}, {35.0, 2.0}})
    EXPECT_NEAR(MineralizationTemperatureFactor(T), F, 1e-12) << T;
  // Moisture: 1 from 0.5 to 0.6, (1/W - 1/Wwp) / (2 - 1/Wwp) below, 0 at the wilting point.
  for (const auto& [W, F] : {std::pair{0.8, 0.75}, {0.5, 1.0}, {0.6, 1.0}, {0.2, 0.0}, {0.3, (1 / 0.3 - 5) / -3}})
    EXPECT_NEAR(MineralizationMoistureFactor(W, 0.2), F, 1e-12) << W;
  for (double W : {0.0, 1e-300, 0.45}) {
    const double F = MineralizationMoistureFactor(W, 0.0);
    EXPECT_GE(F, 0) << W;
    EXPECT_LE(F, 1) << W;
  }
  EXPECT_NEAR(MineralizedFraction(0.01, 1, 1), 0.00995, 1e-5);  // 1 - e^-0.01
  const std::pair<double, double> Values[] = {
      {NitrificationTemperatureFactor(0), 0.07},        {NitrificationTemperatureFactor(20), 0.46718},
      {NitrificationMoistureFactor(0.55, true), 1},     {NitrificationMoistureFactor(0.6, false), 1},
      {NitrificationMoistureFactor(0.0012, false), 0},  // the end of the finer curve
      {NitrificationPhFactor(5), 0.56},                 {NitrificationPhFactor(7), 0.95179},
      // W 0.8, 30 °C, 10 ppm, more than 1 % organic matter.
      {DenitrificationTemperatureFactor(30), 1},        {Denitrified(0.075, 1, 0.8, 10), 0.1506},
      {Denitrified(0.075, 1, 0.59, 1000), 0},           {CecFactor(10), 0.67}};
  for (const auto& [Value, Expected] : Values) EXPECT_NEAR(Value, Expected, 1e-4);
  for (int i = 0; i <= 1000; ++i)
    for (bool Coarse : {true, false}) ASSERT_LE(std::abs(NitrificationMoistureFactor(i / 1000.0, Coarse) - 0.5), 0.5);
  for (const auto& [Om, Wet, Rate] : {std::tuple{1.5, false, 0.075}, {1.0, false, 0.0375}, {0.49, false, 0.01875},
                                      {1.5, true, 0.15}})
    EXPECT_EQ(DenitrificationBaseRate(Om, Wet), Rate) << Om;
  // A hot waterlogged layer never loses more than it holds.
  const double Hot = Denitrified(0.15, DenitrificationTemperatureFactor(55), 1.0, 500);
  EXPECT_LE(Hot, 500);
  EXPECT_GT(Hot, 400);
  for (const auto& [Gallons, Factor] : {std::pair{6999.0, 0.85}, {7000.0, 0.75}, {14000.0, 0.67}, {27999.0, 0.5},
                                        {28000.0, 0.33}})
    EXPECT_EQ(LiquidManureRateFactor(Gallons), Factor) << Gallons;
  // The uptake ratio never adds nitrogen: within 0 and 1, 1 for no or negative use.
  for (const auto& [Et, Unreduced, Ratio] : {std::tuple{2.0, 4.0, 0.5}, {0.0, 0.0, 1.0}, {-0.3, -0.5, 1.0},
                                             {-0.1, 2.0, 0.0}, {3.0, 2.0, 1.0}, {1e300, 1e-300, 1.0}})
    EXPECT_DOUBLE_EQ(UptakeStressRatio(Et, Unreduced), Ratio) << Et << " " << Unreduced;
  // Pore space: full (AWC + wilting point) / porosity, at most 1; a layer without
  // capacity is dry whatever passes through it.
  const double Porosity = (2.65 - 1.4) / 2.65;
  EXPECT_NEAR(LayerPoreSpace(22, 44, 0.22, 0.12, Porosity).Wfps, 0.23 / Porosity, 1e-12);
  EXPECT_DOUBLE_EQ(LayerPoreSpace(10, 10, 0.5, 0.4, 0.6).Wfps, 1);
  for (double Water : {0.0, 5.0, -1.0}) {
    const TPoreSpace P = LayerPoreSpace(Water, 0, 0, 0.1, 0.5);
    EXPECT_EQ(P.Wfps, 0.2) << Water;
    EXPECT_EQ(P.Wwp, 0.2) << Water;
  }
}

TEST(Leaching, WorkedExamples) {
  const struct {
    V Capacity, Drain, Nitrate, After;
    double Leached;
  } Cases[] = {
      {{50, 40}, {25, 0}, {10, 5}, {5, 10}, 0},     // 25 mm below layer 1, none below layer 2
      {{50, 40}, {25, 20}, {10, 5}, {5, 7.5}, 2.5},  // and 20 mm below layer 2
      {{10, 20, 30}, {0, 0, 0}, {3, 4, 5}, {3, 4, 5}, 0},
      // 5/5/5/40 mm holding 0/2.5/2.5/0 when 20 mm arrive: 15, 12.5 and 10 mm pass the
      // thin layers, which are flushed, and none the fourth: no nitrate is made.
      {{5, 5, 5, 40}, {15, 12.5, 10, 0}, {10, 10, 10, 10}, {0, 0, 10, 30}, 0},
      {{20, 0, 30}, {5, 5, 0}, {6, 4, 2}, {4.5, 0, 7.5}, 0},  // a layer without capacity passes all on
      {{20, 0, 30}, {0, 0, 0}, {6, 4, 2}, {6, 4, 2}, 0},      // unless nothing drains
      {{20, 0}, {30, 30}, {6, 4}, {0, 0}, 10},               // at the bottom it leaches all
  };
  for (auto C : Cases) {
    EXPECT_NEAR(LeachNitrate(C.Capacity, C.Drain, C.Nitrate), C.Leached, 1e-12);
    for (size_t i = 0; i < C.After.size(); ++i) EXPECT_NEAR(C.Nitrate[i], C.After[i], 1e-12) << i;
  }
  // Random profiles drained the way the water balance drains them: nitrate is
  // conserved, no layer goes below 0, and a layer that drains nothing loses nothing.
  std::mt19937 Rng(1117);
  std::uniform_real_distribution<double> U(0, 1);
  for (int Trial = 0; Trial < 2000; ++Trial) {
    const size_t Count = 1 + size_t(U(Rng) * 10) % 10;
    V Cap(Count), Drain(Count), N(Count);
    double W = 120 * U(Rng) - 20;
    for (size_t i = 0; i < Count; ++i) {
      Cap[i] = U(Rng) < 0.1 ? 0.0 : 60 * U(Rng);
      N[i] = U(Rng) < 0.1 ? 0.0 : 80 * U(Rng);
      const double Water = Cap[i] * U(Rng) + W;
      Drain[i] = std::max(Water - Cap[i], 0.0);
      W = Water > Cap[i] ? Drain[i] : std::min(Water, 0.0);
    }
    const V Start = N;
    const double Leached = LeachNitrate(Cap, Drain, N);
    ASSERT_GE(Leached, 0);
    ASSERT_NEAR(std::accumulate(N.begin(), N.end(), Leached), std::accumulate(Start.begin(), Start.end(), 0.0),
                1e-9 * (1 + std::accumulate(Start.begin(), Start.end(), 0.0))) << Trial;
    for (size_t i = 0; i < Count; ++i) {
      ASSERT_GE(N[i], -1e-12) << Trial << " layer " << i;
      if (Drain[i] <= 0) {  // no drainage, no loss
        ASSERT_GE(N[i], Start[i] - 1e-12) << Trial << " layer " << i;
      }
    }
    if (Drain[Count - 1] <= 0) {
      ASSERT_EQ(Leached, 0) << Trial;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole fields
// ---------------------------------------------------------------------------

struct TFieldOptions {
  bool Metric = true;
  QDate Start{2016, 3, 1};
  int DaysBeforeEmergence = 60, DayCount = 200, StartingMoisture = 60;
  QString Crop = "Maize silage";
};

// Every day 25/15 °C without rain, over three 30 cm silt loam horizons.
std::unique_ptr<TSovSchedule> NewField(const TSovLookup& Lookup, const TFieldOptions& O) {
  const TFormatSettings Us = UsFormatSettings();
  auto F = std::make_unique<TSovSchedule>(Lookup, Us);
  F->SetIsMetric(O.Metric);
  FieldWriter W{*F, Us};
  const std::pair<int, QString> Values[] = {
      {SovCol::Location, "Iowa"}, {SovCol::Crop, O.Crop}, {SovCol::Latitude, "42"}, {SovCol::Longitude, "-93.5"},
      {SovCol::Elevation, "300"}, {SovCol::GrowingSeason, "120"},
      {SovCol::RootingDepth, W.Num(W.Units(90, TUnitKind::RootingDepth))},
      {SovCol::WaterHoldingCapacity, W.Num(W.Units(180, TUnitKind::Water))}, {SovCol::MinimumMoisture, "50"},
      {SovCol::StartingMoisture, QString::number(O.StartingMoisture)}, {SovCol::StartingResidue, "0"}};
  for (const auto& [Col, Text] : Values) W.Set(1, Col, Text);
  W.Date(SovCol::StartingDate, O.Start);
  W.Date(SovCol::EmergenceDate, O.Start.addDays(O.DaysBeforeEmergence));
  W.Date(SovCol::CalculationDate, O.Start.addDays(O.DayCount - 1));
  for (int h = 1; h <= 3; ++h) W.Horizon(h, 30 * h, "SIL", 0.2, 0.1, 1.4, 2.5 / h, 6.5, "12");
  for (int d = 1; d <= O.DayCount; ++d) W.Day(d, 25, 15);
  return F;
}

// Every day: the pools equal the starting nitrate plus what the events brought and was
// mineralised, less what was lost; what the manure released is what its organic pool
// lost; the running totals never fall; nothing is negative or not finite.
void ExpectNitrogenBalance(const TSovSchedule& F) {
  ASSERT_TRUE(F.Scalars().HorizonsUsable);
  const int Days = F.DayCount();
  const bool Metric = F.IsMetric();
  V Applied(size_t(Days + 1)), Organic(size_t(Days + 1));  // kg/ha on each day
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    const int Day = F.GetCellInt(Row, SovCol::EvDay), Code = F.GetCellInt(Row, SovCol::EvCode);
    const int Key1 = F.GetCellInt(Row, SovCol::EvKey1);
    const double Rate = F.GetCellFloat(Row, SovCol::EvValue);
    if (Day < 1 || Day > Days) continue;
    if (Code == SovEvent::Fertilizer)
      Applied[size_t(Day)] += F.FertilizerN(Key1, NitrogenForm::All, Rate, Metric, true);
    if (Code != SovEvent::Manure) continue;
    const double Total = F.GetCellFloat(Row, SovCol::EvValue2), Nh4 = F.GetCellFloat(Row, SovCol::EvValue3);
    if (Nh4 > 0) Applied[size_t(Day)] += F.ManureN(Key1, Metric, Rate, Nh4, true);
    const double Share = F.Lookup().Manure(Key1).MaxMinerPct / 100.0;
    Organic[size_t(Day)] += std::max(F.ManureN(Key1, Metric, Rate, Total - Nh4, true) * Share, 0.0);
  }
  double Start = 0, AppliedSum = 0, OrganicSum = 0;
  for (int n = 1; n <= F.Scalars().LayerCount; ++n)
    Start += F.Layers()[n].LayerNitratePpm * F.Layers()[n].Thickness * F.Layers()[n].BulkDensity / 10;
  auto Units = [Metric](double Kg) { return Metric ? Kg : TSovFile::FromMetric(TUnitKind::MassPerArea, Kg); };
  ASSERT_NEAR(F.StartingNitrateN(), Units(Start), 1e-9 * (1 + Start));
  for (int d = 1; d <= Days; ++d) {
    SCOPED_TRACE("day " + std::to_string(d));
    const TNitrogenPools& P = F.NitrogenPools()[d];
    if (F.Irrigation()[d] > 0) Applied[size_t(d)] += F.IrrigationWaterN(d, Metric, true);
    AppliedSum += Units(Applied[size_t(d)] + Organic[size_t(d)]);
    OrganicSum += Units(Organic[size_t(d)]);
    for (double Value : {F.AmmoniumN()[d], F.NitrateN()[d], P.LayerNitrate, P.LayerAmmonium, P.Urea,
                         P.ManureOrganic, P.SoilMineralized}) {
      ASSERT_TRUE(std::isfinite(Value)) << "day " << d;
      ASSERT_GE(Value, 0) << "day " << d;
    }
    ASSERT_EQ(F.NitrateN()[d], P.LayerNitrate) << "day " << d;
    ASSERT_EQ(F.AmmoniumN()[d], P.LayerAmmonium) << "day " << d;
    ASSERT_NEAR(F.MineralizedN()[d] - P.SoilMineralized, OrganicSum - P.ManureOrganic, 1e-9 * (1 + OrganicSum));
    const TNitrogenPools& Q = F.NitrogenPools()[std::max(d - 1, 1)];
    ASSERT_GE(P.SoilMineralized, Q.SoilMineralized);
    for (const auto A : {&TSovSchedule::MineralizedN, &TSovSchedule::DenitrifiedN, &TSovSchedule::VolatilizedN,
                         &TSovSchedule::UptakeN, &TSovSchedule::LeachedN}) {
      ASSERT_TRUE(std::isfinite((F.*A)()[d])) << "day " << d;
      ASSERT_GE((F.*A)()[d], d == 1 ? 0.0 : (F.*A)()[d - 1]) << "day " << d;  // running totals never fall
    }
    if (d <= F.DaysBeforeEmergence()) {
      ASSERT_EQ(F.UptakeN()[d], 0) << "day " << d;
    }
    const double Held = P.LayerNitrate + P.LayerAmmonium + P.Urea + P.ManureOrganic;
    const double Expected = Units(Start) + AppliedSum + P.SoilMineralized - F.DenitrifiedN()[d] - F.VolatilizedN()[d] -
                            F.UptakeN()[d] - F.LeachedN()[d];
    ASSERT_NEAR(Held, Expected, 1e-9 * (1 + Start + AppliedSum + F.UptakeN()[d]));
  }
}

TEST(SovSchedNitrogen, LayersPreviousCropAndTables) {
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  // A previous crop other than a legume (ToMaxCrop 2, 8 or 9) halves the top layer's
  // mineralisable nitrogen.
  auto Fallow = NewField(L, O);
  Fallow->Calculate();
  for (const auto& [Previous, Halved] : {std::pair{"Dry bean", false}, {"Alfalfa", false}, {"Potato", true}}) {
    auto G = NewField(L, O);
    G->SetCell(1, SovCol::PreviousCrop, Previous);
    G->Calculate();
    EXPECT_DOUBLE_EQ(G->Layers()[1].LayerMineralizableN, Fallow->Layers()[1].LayerMineralizableN / (Halved ? 2 : 1))
        << Previous;
  }
  auto F = NewField(L, O);
  FieldWriter{*F, UsFormatSettings()}.Event(1, 10, SovEvent::Fertilizer, 200, 1, 1);
  F->SetCell(2, SovCol::HzAWC, "");  // horizon 2 incomplete: no layers
  F->SetCell(2, SovCol::HzKSat, "");
  ExpectValid(*F);
  F->Calculate();
  ASSERT_FALSE(F->Scalars().HorizonsUsable);
  EXPECT_EQ(F->StartingNitrateN(), 0.0);
  for (int d = 1; d <= MaxScheduleDays; ++d) {
    ASSERT_EQ(F->MineralizedN()[d], 0.0) << d;
    ASSERT_EQ(F->NitrateN()[d], 0.0) << d;
    ASSERT_EQ(F->UptakeN()[d], 0.0) << d;
    ASSERT_EQ(F->NitrogenPools()[d].Urea, 0.0) << d;
  }
  // Events naming no product (which the field check keeps out) refuse the schedule
  // with a message; beyond the schedule an event is not applied at all.
  for (const auto& [Code, Key1, Key2] : {std::tuple{SovEvent::Fertilizer, 0, 1},
                                         {SovEvent::Fertilizer, 1, L.FertAppMethodCount() + 1},
                                         {SovEvent::Manure, L.ManureCount() + 1, 1}}) {
    auto G = NewField(L, O);
    G->Calculate();
    FieldWriter{*G, UsFormatSettings()}.Manure(1, 5, Key1, Key2, 100, 5, 0);
    G->SetCellInt(1, SovCol::EvCode, Code);
    try {
      G->Calculate();
      ADD_FAILURE() << "no error for keys " << Key1 << ", " << Key2;
    } catch (const std::out_of_range& E) {
      EXPECT_NE(std::string(E.what()).find("Event 1"), std::string::npos) << E.what();
    }
    EXPECT_EQ(G->DayCount(), 0);
    EXPECT_EQ(G->NitrateN()[1], 0);
    FieldWriter{*G, UsFormatSettings()}.Event(1, O.DayCount + 1, SovEvent::Fertilizer, 100, 999, 1);
    G->Calculate();
    ExpectNitrogenBalance(*G);
  }
}

TEST(SovSchedNitrogen, ExtremeInputsStayFiniteAndBalanced) {
  // Beyond what the field check lets through: a hot, waterlogged clay season with huge
  // applications. Every pool stays finite and at or above 0, and the balance holds.
  const TSovLookup& L = ShippedLookup();
  int Computed = 0;
  for (double Rate : {1e4, 1e12}) {
    TFieldOptions O;
    O.DaysBeforeEmergence = 5;
    O.StartingMoisture = 100;
    auto F = NewField(L, O);
    FieldWriter W{*F, UsFormatSettings()};
    for (int h = 1; h <= 3; ++h) W.Horizon(h, 30 * h, "C", 0.35, 0.3, 1.6, 5.0, 7.0, "35");
    for (int d = 1; d <= O.DayCount; ++d) W.Day(d, 62, 50, 120, 50);
    W.Event(1, 3, SovEvent::Fertilizer, Rate, L.FindFertilizer("UAN 32"), L.FindFertAppMethod("Surface band"));
    W.Manure(3, 5, L.FindManure("Poultry litter"), 1, Rate, 900, 400);
    W.Event(4, 1, SovEvent::Nitrate, 99);
    try {
      F->Calculate();
    } catch (const std::exception&) {
      EXPECT_EQ(F->DayCount(), 0);
      continue;
    }
    SCOPED_TRACE(Rate);
    ExpectNitrogenBalance(*F);
    EXPECT_GT(F->DenitrifiedN()[O.DayCount], 0);
    ++Computed;
  }
  EXPECT_GT(Computed, 0);
}

// Applications compared with the same field without them, before emergence (no
// uptake) on a dry profile (no denitrification or leaching).
TEST(SovSchedNitrogen, NitrificationDelayAndUreaWaitingForWarmth) {
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DaysBeforeEmergence = 120;
  O.DayCount = 80;
  O.StartingMoisture = 20;
  auto None = NewField(L, O);
  None->Calculate();
  // Ammonium nitrifies from the next day, anhydrous ammonia after 139 °C days (10 a
  // day), with an inhibitor after 278.
  for (const auto& [Name, Delay] : {std::pair{"Ammonium sulfate", 1}, {"Anhydrous ammonia", 14},
                                    {"Anhydrous ammonia + nitrification inhibitor", 28}}) {
    auto With = NewField(L, O);
    FieldWriter{*With, UsFormatSettings()}.Event(1, 10, SovEvent::Fertilizer, 150, L.FindFertilizer(Name), 1);
    With->Calculate();
    for (int d = 1; d <= O.DayCount; ++d) {
      const double Extra = With->NitrateN()[d] - None->NitrateN()[d];
      ASSERT_TRUE(d < 10 + Delay ? std::abs(Extra) < 1e-9 : Extra > 1e-6) << Name << " day " << d;
    }
  }
  // Urea waits for a seven-day mean above 0 °C, then hydrolyses at 0.018 of the applied
  // amount per °C a day.
  auto F = NewField(L, O);
  FieldWriter W{*F, UsFormatSettings()};
  for (int d = 1; d <= 30; ++d) W.Day(d, -2, -12);
  W.Event(1, 12, SovEvent::Fertilizer, 100, L.FindFertilizer("Urea"), 1);
  F->Calculate();
  ExpectNitrogenBalance(*F);
  for (int d = 12; d <= 30; ++d) ASSERT_NEAR(F->NitrogenPools()[d].Urea, 46, 1e-9) << d;
  int First = 31;
  while (First <= O.DayCount && F->NitrogenPools()[First].Urea >= 46 - 1e-9) ++First;
  ASSERT_GT(First, 31);
  double Mean7 = 0;
  for (int k = First - 6; k <= First; ++k) Mean7 += F->Days()[k].Mean / 7;
  EXPECT_NEAR(F->NitrogenPools()[First].Urea, 46 * (1 - 0.018 * Mean7), 1e-9);
  EXPECT_EQ(F->NitrogenPools()[O.DayCount].Urea, 0.0);
}

TEST(SovSchedNitrogen, UptakeFollowsTheCurveAndTheWaterStress) {
  // A crop with one uptake point (rate 0.5) and full rooting at once; 10 °C days a
  // day: the day's potential uptake is 5 kg/ha, reduced by the ratio of the crop's water
  // use to its unreduced use when that is below 0.7. Grain maize without a projected
  // yield takes 0.8 of it; a crop without uptake points takes nothing.
  TTestLookup L;
  for (const auto& [Crop, YieldFactor] : {std::pair{"Maize silage", 1.0}, {"Maize grain", 0.8}}) {
    TCropRec& C = L.CropRow(L.FindCrop(Crop));
    C.UptakePointCount = 1;
    C.NUptakeGDD[1] = 4000;
    C.NUptakeRate[1] = 0.5;
    C.MaxRootGDD = 1;
    C.GDDMinBase = 10;
    C.GDDMaxBase = 30;
    TFieldOptions O;
    O.Crop = Crop;
    O.DaysBeforeEmergence = 5;
    O.DayCount = 60;
    O.StartingMoisture = 100;
    auto F = NewField(L, O);
    FieldWriter W{*F, UsFormatSettings()};
    W.Event(1, 1, SovEvent::Fertilizer, 1000, L.FindFertilizer("Ammonium nitrate"), 1);
    for (int d = 1; d <= 20; ++d) W.Day(d, 25, 15, 3);  // wet for two weeks, then drying out
    F->Calculate();
    ExpectNitrogenBalance(*F);
    int Reduced = 0;
    for (int d = O.DaysBeforeEmergence + 1; d <= O.DayCount; ++d) {
      const double r = UptakeStressRatio(F->ETCrop()[d], F->Days()[d].UnreducedETCrop);
      Reduced += r < 0.7;
      const double Expected = 5 * YieldFactor * (r < 0.7 ? r : 1.0);
      ASSERT_NEAR(F->UptakeN()[d] - F->UptakeN()[d - 1], Expected, 1e-9) << Crop << " day " << d;
    }
    EXPECT_GT(Reduced, 5);
  }
  L.CropRow(L.FindCrop("Maize silage")).UptakePointCount = 0;
  auto F = NewField(L, TFieldOptions{});
  F->Calculate();
  EXPECT_FALSE(F->Scalars().CropHasUptake);
  EXPECT_EQ(F->UptakeN()[F->DayCount()], 0);
}

TEST(SovSchedNitrogen, EveryApplicationCountsBeyondTheTenth) {
  // Weekly fertigation and weekly manure: the twelfth application of each adds as much
  // as the first, seen against the same field without it.
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DaysBeforeEmergence = 10;
  const int Uan = L.FindFertilizer("UAN 28"), Fertigation = L.FindFertAppMethod("Fertigation");
  const int Manure = L.FindManure("Swine liquid"), Surface = L.FindManureAppMethod("Surface (not incorporated)");
  auto Field = [&](bool LastFertilizer, bool LastManure) {
    auto F = NewField(L, O);
    FieldWriter W{*F, UsFormatSettings()};
    for (int k = 1; k <= 12; ++k) {
      if (k < 12 || LastFertilizer) W.Event(k, 7 * k, SovEvent::Fertilizer, 50, Uan, Fertigation);
      if (k < 12 || LastManure) W.Manure(20 + k, 7 * k + 3, Manure, Surface, 20000, 4, 2);
    }
    F->Calculate();
    return F;
  };
  auto All = Field(true, true), NoFertilizer = Field(false, true), NoManure = Field(true, false);
  ExpectValid(*All);
  ExpectNitrogenBalance(*All);
  const TNitrogenPools &A = All->NitrogenPools()[84], &B = NoFertilizer->NitrogenPools()[84];
  EXPECT_NEAR(A.LayerAmmonium - B.LayerAmmonium, All->FertilizerN(Uan, NitrogenForm::Ammonium, 50, true, true), 1e-9);
  EXPECT_NEAR(A.Urea - B.Urea, All->FertilizerN(Uan, NitrogenForm::Urea, 50, true, true), 1e-9);
  EXPECT_NEAR(A.LayerNitrate - B.LayerNitrate, All->FertilizerN(Uan, NitrogenForm::Nitrate, 50, true, true), 1e-9);
  const TNitrogenPools &C = All->NitrogenPools()[87], &D = NoManure->NitrogenPools()[87];
  EXPECT_NEAR(C.LayerAmmonium - D.LayerAmmonium, All->ManureN(Manure, true, 20000, 2, true), 1e-9);
  EXPECT_NEAR(C.ManureOrganic - D.ManureOrganic,
              All->ManureN(Manure, true, 20000, 2, true) * L.Manure(Manure).MaxMinerPct / 100, 1e-9);
}

TEST(SovSchedNitrogen, LayerWithoutAvailableWaterLetsWaterAndNitrateThrough) {
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DayCount = 120;
  auto F = NewField(L, O);
  FieldWriter W{*F, UsFormatSettings()};
  W.Horizon(2, 60, "SI", 0, 0.0004, 1.6, 0.5, 6.0);  // holds no available water, nearly dry
  for (int d = 5; d <= 120; d += 5) W.Day(d, 25, 15, 60);
  W.Event(1, 3, SovEvent::Fertilizer, 300, L.FindFertilizer("Calcium nitrate"), 1);
  ExpectValid(*F);
  F->Calculate();
  ASSERT_EQ(F->Layers()[2].LayerCapacity, 0.0);
  ExpectNitrogenBalance(*F);
  EXPECT_GT(F->LeachedN()[O.DayCount], 1);
  for (int d = 1; d <= O.DayCount; ++d) ASSERT_EQ(F->LayerWater(2, d), 0.0);
}

// A random validated field: horizons, events of every kind and weather, written
// through the cell operations in the field's units and format. Frozen and snow marks
// are the one place where the unit systems differ (1 mm against 0.04 inch of crop water
// use), so they can be left out.
std::unique_ptr<TSovSchedule> RandomField(unsigned Seed, bool Metric, const TFormatSettings& Format, bool WithMarks) {
  const TSovLookup& L = ShippedLookup();
  std::mt19937 Rng(Seed);
  std::uniform_real_distribution<double> U(0, 1);
  auto Pick = [&](int Count) { return 1 + int(U(Rng) * Count) % Count; };
  auto F = std::make_unique<TSovSchedule>(L, Format);
  F->SetIsMetric(Metric);
  FieldWriter W{*F, Format};
  const QDate Start = QDate(2015, 1, 1).addDays(int(U(Rng) * 150));
  const int DayCount = 60 + int(U(Rng) * 306);
  W.Set(1, SovCol::Location, "Iowa");
  W.Set(1, SovCol::Crop, L.Crop(Pick(L.CropCount())).Name);
  if (U(Rng) < 0.5) W.Set(1, SovCol::PreviousCrop, L.Crop(Pick(L.CropCount())).Name);
  W.Set(1, SovCol::Latitude, 30 + 18 * U(Rng));
  W.Set(1, SovCol::Longitude, -90);
  W.Date(SovCol::StartingDate, Start);
  W.Date(SovCol::EmergenceDate, Start.addDays(int(U(Rng) * 70)));
  W.Date(SovCol::CalculationDate, Start.addDays(DayCount - 1));
  W.Set(1, SovCol::GrowingSeason, QString::number(50 + int(U(Rng) * 150)));
  const double Yield = 2000 + 9000 * U(Rng);  // kg/ha, or bushels (56 lbs) per acre
  if (U(Rng) < 0.6)
    W.Set(1, SovCol::ProjectedYield, Metric ? Yield : TSovFile::FromMetric(TUnitKind::MassPerArea, Yield) / 56);
  const double Root = 30 + 170 * U(Rng);
  W.Set(1, SovCol::RootingDepth, W.Units(Root, TUnitKind::RootingDepth));
  W.Set(1, SovCol::WaterHoldingCapacity, W.Units(Root * (0.5 + 2 * U(Rng)), TUnitKind::Water));
  if (U(Rng) < 0.5) W.Set(1, SovCol::OrganicMatter, 0.3 + 6 * U(Rng));
  if (U(Rng) < 0.7) W.Set(1, SovCol::IrrigationEfficiency, QString::number(40 + int(U(Rng) * 61)));
  W.Set(1, SovCol::StartingMoisture, QString::number(int(U(Rng) * 101)));
  W.Set(1, SovCol::StartingResidue, QString::number(int(U(Rng) * 101)));
  const char* const Textures[] = {"S", "LS", "SL", "FSL", "L", "SIL", "SI", "SCL", "CL", "SICL", "SC", "C", "MUCK"};
  const int Horizons = 1 + int(U(Rng) * 10) % 10;
  for (int h = 1, Depth = 0; h <= Horizons; ++h) {
    Depth += 5 + int(U(Rng) * 40);
    const double Awc = U(Rng) < 0.1 ? 0.0 : 0.3 * U(Rng);
    const double Wp = U(Rng) < 0.1 ? 0.0004 : 0.001 + 0.35 * U(Rng);  // now and then below the finer curve's end
    const double Bd = U(Rng) < 0.05 ? 2.6 : 1.0 + 0.9 * U(Rng);
    const QString Cec = U(Rng) < 0.3 ? QString() : W.Num(40 * U(Rng));
    W.Horizon(h, Depth, Textures[int(U(Rng) * 13) % 13], Awc, Wp, Bd, 8 * U(Rng), 4 + 5 * U(Rng), Cec);
  }
  for (int Slot = 1, Events = int(U(Rng) * 51); Slot <= Events; ++Slot) {
    const int Day = 1 + int(U(Rng) * (DayCount + 10));
    const double Kind = U(Rng);
    if (Kind < 0.4) {  // kg/ha or liter/ha, as lbs/acre or gal/acre in an English field
      const int Fert = Pick(L.FertilizerCount());
      const bool Liquid = L.Fertilizer(Fert).IsLiquid;
      const TUnitKind RateKind = Liquid ? TUnitKind::LiquidRate : TUnitKind::MassPerArea;
      W.Event(Slot, Day, SovEvent::Fertilizer, W.Units((Liquid ? 500 : 400) * U(Rng), RateKind), Fert,
              Pick(L.FertAppMethodCount()));
    } else if (Kind < 0.6) {
      W.Event(Slot, Day, SovEvent::Nitrate, 40 * U(Rng));
    } else if (Kind < 0.9) {
      // MT/ha with kg/MT or liter/ha with kg/1000 L; ton/acre with lbs/ton or gal/acre
      // with lbs/1000 gal in an English field. The ammonium is now and then more than
      // the total (no organic nitrogen then).
      const int Manure = Pick(L.ManureCount());
      const bool Liquid = L.Manure(Manure).IsLiquid;
      const double Rate = Liquid ? 5000 + 150000 * U(Rng) : 5 + 50 * U(Rng);
      const double Total = Liquid ? 0.5 + 8 * U(Rng) : 2 + 15 * U(Rng);
      const double Nh4 = U(Rng) < 0.1 ? Total * 1.5 : Total * U(Rng);
      const double Content = Metric ? 1 : Liquid ? 9.346 * LbsPerKg : LbsPerKg;
      W.Manure(Slot, Day, Manure, Pick(L.ManureAppMethodCount()), Metric || !Liquid ? Rate : Rate / 9.346,
               Total * Content, std::min(Nh4 * Content, 999.0));
    } else {
      W.Event(Slot, Day, SovEvent::Residue, int(U(Rng) * 101));
    }
  }
  for (int d = 1; d <= DayCount; ++d) {
    const double Season = 14 + 14 * std::sin(2 * M_PI * (Start.dayOfYear() + d - 110) / 365.0);
    const double High = std::clamp(Season + 16 * (U(Rng) - 0.5), -40.0, 45.0);
    const double Low = std::max(High - 2 - 18 * U(Rng), -45.0);
    const double Rain = U(Rng) < 0.35 ? std::min(-std::log(1 - U(Rng)) * 9, 200.0) : U(Rng) < 0.3 ? 0 : -1;
    const double Irrigation = U(Rng) < 0.1 ? 5 + 40 * U(Rng) : -1;
    W.Day(d, High, Low, Rain, Irrigation, U(Rng) < 0.2 ? -1 : 9 * U(Rng), U(Rng) < 0.3 ? -1 : 15 + 85 * U(Rng));
    const double Mark = U(Rng), Which = U(Rng);
    if (WithMarks && Mark < 0.02) W.Set(d, SovCol::GrowthStage, StageCode(1 + int(Which * 6) % 6));
  }
  return F;
}

TEST(SovSchedNitrogen, MassBalanceOverRandomSeasons) {
  int WithLayers = 0;
  for (unsigned Seed = 1; Seed <= 24; ++Seed) {
    auto F = RandomField(Seed, Seed % 2 == 0, Seed % 3 == 0 ? GermanFormatSettings() : UsFormatSettings(), true);
    SCOPED_TRACE("seed " + std::to_string(Seed));
    ExpectValid(*F);
    F->Calculate();
    if (!F->Scalars().HorizonsUsable) continue;
    ++WithLayers;
    ExpectNitrogenBalance(*F);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(WithLayers, 20);
  // The same random field in both unit systems (and a comma-decimal form): the nitrogen
  // differs only by the unit.
  for (unsigned Seed : {101u, 102u}) {
    auto M = RandomField(Seed, true, GermanFormatSettings(), false);
    auto E = RandomField(Seed, false, UsFormatSettings(), false);
    M->Calculate();
    E->Calculate();
    ASSERT_EQ(M->DayCount(), E->DayCount());
    ASSERT_EQ(M->Scalars().HorizonsUsable, E->Scalars().HorizonsUsable);
    for (int d = 1; d <= M->DayCount(); ++d) {
      for (const auto A : {&TSovSchedule::MineralizedN, &TSovSchedule::AmmoniumN, &TSovSchedule::NitrateN,
                            &TSovSchedule::UptakeN, &TSovSchedule::LeachedN})
        ASSERT_NEAR(((*E).*A)()[d] / LbsPerKg, ((*M).*A)()[d], 1e-6 * (1 + ((*M).*A)()[d])) << "day " << d;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole nitrogen days worked out by hand: a two-layer metric field with one
// fertiliser event, whose water is kept simple (frozen-marked days use exactly 1 mm,
// the profile starts full), checked column by column against values computed step by
// step from the transformation, uptake, leaching and application rules.
// ---------------------------------------------------------------------------

namespace ByHand {

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
  if (E.Urea >= 0) {  // < 0: not given
    EXPECT_NEAR(F.NitrogenPools()[d].Urea, E.Urea, 1e-9);
  }
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
TEST(NitrogenByHand, TwoLayerMetricFieldByHand) {
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
TEST(NitrogenByHand, VolatilizationByMethodRateAndIncorporationDay) {
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
TEST(NitrogenByHand, WetSeasonAgainstAStepByStepComputation) {
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

}  // namespace ByHand

}  // namespace
