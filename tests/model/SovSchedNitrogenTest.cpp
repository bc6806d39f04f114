// The schedule's soil-nitrogen pass: the factors of the transformations at their
// checkable values, leaching with its worked examples and its conservation, and whole
// fields built through the cell operations with the shipped lookup file, among them a
// nitrogen mass balance checked every day of random seasons in both unit systems.

#include "SovEventN.h"
#include "SovSched.h"
#include "SovSchedNitrogen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace SovNitrogen;

constexpr double LbsPerKg = 0.8922;

// The shipped lookup tables; a test may change a crop of its own copy.
class TTestLookup : public TSovLookup {
 public:
  TTestLookup() {
    QString Msg;
    const bool Ok = LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg);
    EXPECT_TRUE(Ok) << Msg.toStdString();
  }
  TCropRec& CropRow(int Row) { return FCrops.at(std::size_t(Row - 1)); }
};

const TSovLookup& ShippedLookup() {
  static const TTestLookup* Lookup = new TTestLookup;
  return *Lookup;
}

// ---------------------------------------------------------------------------
// Factors
// ---------------------------------------------------------------------------

TEST(NitrogenFactors, Mineralization) {
  struct {
    double T, Expected;
  } Temperature[] = {{25, 1}, {15, 0.5}, {5, 0.25}, {2.5, 0.125}, {0, 0}, {-3, 0}, {35, 2}};
  for (const auto& C : Temperature) {
    EXPECT_NEAR(MineralizationTemperatureFactor(C.T), C.Expected, 1e-12) << C.T;
  }
  const double Wwp = 0.2;
  struct {
    double W, Expected;
  } Moisture[] = {{0.8, 0.75}, {1.0, 0.6}, {0.5, 1}, {0.55, 1}, {0.6, 1}, {Wwp, 0}, {0.1, 0}};
  for (const auto& C : Moisture) {
    EXPECT_NEAR(MineralizationMoistureFactor(C.W, Wwp), C.Expected, 1e-12) << C.W;
  }
  // Between the wilting point and 0.5 the curve is (1/W - 1/Wwp) / (2 - 1/Wwp).
  for (double W : {0.25, 0.3, 0.4, 0.49}) {
    EXPECT_NEAR(MineralizationMoistureFactor(W, Wwp), (1 / W - 1 / Wwp) / (2 - 1 / Wwp), 1e-12);
  }
  // A wilting point of 0 and a bone-dry layer stay finite.
  for (double W : {0.0, 1e-300, 0.1, 0.45}) {
    const double F = MineralizationMoistureFactor(W, 0.0);
    EXPECT_TRUE(std::isfinite(F) && F >= 0 && F <= 1) << W;
  }
  // About 0.995 % of the ceiling a day at unit factors.
  EXPECT_NEAR(MineralizedFraction(0.01, 1, 1), 1 - std::exp(-0.01), 1e-15);
  EXPECT_NEAR(MineralizedFraction(0.01, 1, 1), 0.00995, 1e-5);
  EXPECT_EQ(MineralizedFraction(0.01, 0, 1), 0.0);
}

TEST(NitrogenFactors, Nitrification) {
  EXPECT_NEAR(NitrificationTemperatureFactor(0), 0.07, 1e-12);
  EXPECT_NEAR(NitrificationTemperatureFactor(20), 0.46718, 1e-5);
  EXPECT_NEAR(NitrificationMoistureFactor(0.55, true), 1, 1e-12);
  EXPECT_NEAR(NitrificationMoistureFactor(0.6, false), 1, 1e-12);
  EXPECT_NEAR(NitrificationPhFactor(5), 0.56, 1e-12);
  EXPECT_NEAR(NitrificationPhFactor(7), 0.95179, 1e-5);
  // The fine curve ends at W 0.0012; below it a layer does not nitrify.
  EXPECT_EQ(NitrificationMoistureFactor(0.0012, false), 0.0);
  EXPECT_EQ(NitrificationMoistureFactor(0.0, false), 0.0);
  for (bool Coarse : {true, false}) {
    for (int i = 0; i <= 1000; ++i) {
      const double F = NitrificationMoistureFactor(i / 1000.0, Coarse);
      ASSERT_TRUE(std::isfinite(F) && F >= 0 && F <= 1 + 1e-12) << i << " " << Coarse;
    }
  }
}

TEST(NitrogenFactors, Denitrification) {
  EXPECT_EQ(DenitrificationBaseRate(1.5, false), 0.075);
  EXPECT_EQ(DenitrificationBaseRate(1.0, false), 0.0375);
  EXPECT_EQ(DenitrificationBaseRate(0.5, false), 0.0375);
  EXPECT_EQ(DenitrificationBaseRate(0.49, false), 0.01875);
  EXPECT_EQ(DenitrificationBaseRate(1.5, true), 0.15);
  // W 0.8, 30 °C, 10 ppm, more than 1 % organic matter.
  const double FdT = DenitrificationTemperatureFactor(30);
  EXPECT_DOUBLE_EQ(FdT, 1);
  EXPECT_NEAR(Denitrified(0.075, FdT, 0.8, 10), 0.075 * 0.25 * (10 / 12.45) * 10, 1e-12);
  EXPECT_NEAR(Denitrified(0.075, FdT, 0.8, 10), 0.1506, 1e-4);
  EXPECT_EQ(Denitrified(0.075, FdT, 0.59, 1000), 0.0);
  EXPECT_EQ(Denitrified(0.075, FdT, 0.9, 0), 0.0);
  // A hot waterlogged layer never loses more than it holds.
  const double Hot = DenitrificationTemperatureFactor(55);
  EXPECT_LE(Denitrified(0.15, Hot, 1.0, 500), 500);
  EXPECT_GT(Denitrified(0.15, Hot, 1.0, 500), 400);
}

TEST(NitrogenFactors, Volatilization) {
  EXPECT_DOUBLE_EQ(VolatilizationTemperatureFactor(20), 1);
  EXPECT_NEAR(VolatilizationTemperatureFactor(30), std::pow(1.08, 10), 1e-12);
  struct {
    double Gallons, Factor;
  } Rates[] = {{0, 0.85},     {6999, 0.85},   {7000, 0.75}, {13999, 0.75}, {14000, 0.67},
               {20999, 0.67}, {21000, 0.5},   {27999, 0.5}, {28000, 0.33}, {1e6, 0.33}};
  for (const auto& C : Rates) EXPECT_EQ(LiquidManureRateFactor(C.Gallons), C.Factor) << C.Gallons;
  EXPECT_DOUBLE_EQ(CecFactor(0), 1);
  EXPECT_DOUBLE_EQ(CecFactor(10), 0.67);
  EXPECT_NEAR(CecFactor(30), 0.01, 1e-12);
  EXPECT_EQ(CecFactor(30.5), 0.0);
}

TEST(NitrogenFactors, UptakeStressRatioNeverAddsNitrogen) {
  EXPECT_DOUBLE_EQ(UptakeStressRatio(2, 4), 0.5);
  EXPECT_DOUBLE_EQ(UptakeStressRatio(4, 4), 1);
  EXPECT_DOUBLE_EQ(UptakeStressRatio(0, 0), 1);      // 0 / 0
  EXPECT_DOUBLE_EQ(UptakeStressRatio(-0.3, -0.5), 1);  // negative unreduced use
  EXPECT_DOUBLE_EQ(UptakeStressRatio(0, -0.5), 1);
  EXPECT_DOUBLE_EQ(UptakeStressRatio(-0.1, 2), 0);    // never below 0
  EXPECT_DOUBLE_EQ(UptakeStressRatio(3, 2), 1);       // never above 1
  EXPECT_DOUBLE_EQ(UptakeStressRatio(1e300, 1e-300), 1);
}

TEST(NitrogenFactors, PoreSpace) {
  // Full: (AWC + wilting point) / porosity; empty: the wilting point.
  const double Porosity = (2.65 - 1.4) / 2.65;
  TPoreSpace P = LayerPoreSpace(44, 44, 0.22, 0.12, Porosity);
  EXPECT_NEAR(P.Wfps, 0.34 / Porosity, 1e-12);
  EXPECT_NEAR(P.Wwp, 0.12 / Porosity, 1e-12);
  P = LayerPoreSpace(0, 44, 0.22, 0.12, Porosity);
  EXPECT_NEAR(P.Wfps, P.Wwp, 1e-15);
  P = LayerPoreSpace(22, 44, 0.22, 0.12, Porosity);
  EXPECT_NEAR(P.Wfps, 0.23 / Porosity, 1e-12);
  // Never above 1.
  P = LayerPoreSpace(10, 10, 0.5, 0.4, 0.6);
  EXPECT_DOUBLE_EQ(P.Wfps, 1);
  // A layer without capacity is dry whatever passes through it.
  for (double Water : {0.0, 5.0, -1.0}) {
    P = LayerPoreSpace(Water, 0, 0, 0.1, 0.5);
    EXPECT_DOUBLE_EQ(P.Wfps, 0.2);
    EXPECT_DOUBLE_EQ(P.Wwp, 0.2);
  }
}

// ---------------------------------------------------------------------------
// Leaching
// ---------------------------------------------------------------------------

double Sum(const std::vector<double>& V) {
  double S = 0;
  for (double x : V) S += x;
  return S;
}

TEST(Leaching, TwoLayerExamples) {
  // 25 mm below layer 1, none below layer 2.
  std::vector<double> N = {10, 5};
  double Leached = LeachNitrate(std::vector<double>{50, 40}, std::vector<double>{25, 0}, N);
  EXPECT_DOUBLE_EQ(N[0], 5);
  EXPECT_DOUBLE_EQ(N[1], 10);
  EXPECT_EQ(Leached, 0.0);
  // And 20 mm below layer 2 as well.
  N = {10, 5};
  Leached = LeachNitrate(std::vector<double>{50, 40}, std::vector<double>{25, 20}, N);
  EXPECT_DOUBLE_EQ(N[0], 5);
  EXPECT_DOUBLE_EQ(N[1], 7.5);
  EXPECT_DOUBLE_EQ(Leached, 2.5);
}

TEST(Leaching, NoDrainageMovesNothing) {
  std::vector<double> N = {3, 4, 5};
  EXPECT_EQ(LeachNitrate(std::vector<double>{10, 20, 30}, std::vector<double>{0, 0, 0}, N), 0.0);
  EXPECT_EQ(N, (std::vector<double>{3, 4, 5}));
}

TEST(Leaching, ShallowLayersDoNotCreateNitrate) {
  // Capacities 5/5/5/40 mm holding 0/2.5/2.5/0 mm when 20 mm arrive: 15, 12.5 and
  // 10 mm pass below the first three layers, none below the fourth.
  std::vector<double> N = {10, 10, 10, 10};
  const double Leached =
      LeachNitrate(std::vector<double>{5, 5, 5, 40}, std::vector<double>{15, 12.5, 10, 0}, N);
  EXPECT_EQ(Leached, 0.0);
  EXPECT_NEAR(Sum(N), 40, 1e-12);
  // Each of the three thin layers is flushed; the first layer's nitrate goes two
  // layers down, the others' into the fourth.
  EXPECT_NEAR(N[0], 0, 1e-12);
  EXPECT_NEAR(N[1], 0, 1e-12);
  EXPECT_NEAR(N[2], 10, 1e-12);
  EXPECT_NEAR(N[3], 30, 1e-12);
}

TEST(Leaching, LayerWithoutCapacityPassesItsNitrateOn) {
  std::vector<double> N = {6, 4, 2};
  const double Leached = LeachNitrate(std::vector<double>{20, 0, 30}, std::vector<double>{5, 5, 0}, N);
  EXPECT_EQ(Leached, 0.0);
  EXPECT_NEAR(N[0], 4.5, 1e-12);
  EXPECT_NEAR(N[1], 0, 1e-12);
  EXPECT_NEAR(N[2], 2 + 4 + 1.5, 1e-12);
  // A dry layer without capacity keeps what it has.
  N = {6, 4, 2};
  LeachNitrate(std::vector<double>{20, 0, 30}, std::vector<double>{0, 0, 0}, N);
  EXPECT_EQ(N, (std::vector<double>{6, 4, 2}));
  // At the bottom, it leaches all.
  N = {6, 4};
  EXPECT_NEAR(LeachNitrate(std::vector<double>{20, 0}, std::vector<double>{30, 30}, N), 6 + 4, 1e-12);
  EXPECT_NEAR(Sum(N), 0, 1e-12);
}

// Random profiles drained the way the water balance drains them: nitrate is
// conserved, no layer goes below 0, and each layer keeps at least what its own
// outflow leaves.
TEST(Leaching, RandomProfilesConserveNitrate) {
  std::mt19937 Rng(1117);
  std::uniform_real_distribution<double> U(0, 1);
  for (int Trial = 0; Trial < 5000; ++Trial) {
    const int Count = 1 + int(U(Rng) * 10) % 10;
    const std::size_t Size = std::size_t(Count);
    std::vector<double> Cap(Size), Water(Size), Drain(Size), N(Size);
    for (int n = 0; n < Count; ++n) {
      const std::size_t i = std::size_t(n);
      Cap[i] = U(Rng) < 0.1 ? 0.0 : 60 * U(Rng);
      Water[i] = Cap[i] * U(Rng);
      N[i] = U(Rng) < 0.1 ? 0.0 : 80 * U(Rng);
    }
    // The day's water through the layers.
    double W = 120 * U(Rng) - 20;
    for (int n = 0; n < Count; ++n) {
      const std::size_t i = std::size_t(n);
      Water[i] += W;
      if (Water[i] > Cap[i]) {
        W = Water[i] - Cap[i];
        Water[i] = Cap[i];
        Drain[i] = W;
      } else {
        Drain[i] = 0;
        W = Water[i] < 0 ? Water[i] : 0;
        Water[i] = std::max(Water[i], 0.0);
      }
    }
    const double Before = Sum(N);
    const std::vector<double> Start = N;
    const double Leached = LeachNitrate(Cap, Drain, N);
    ASSERT_GE(Leached, 0);
    ASSERT_NEAR(Sum(N) + Leached, Before, 1e-9 * (1 + Before)) << Trial;
    for (int n = 0; n < Count; ++n) {
      const std::size_t i = std::size_t(n);
      ASSERT_GE(N[i], -1e-12) << Trial;
      if (Drain[i] == 0) {
        ASSERT_GE(N[i], Start[i] - 1e-12) << Trial;
      }
    }
    if (Drain[std::size_t(Count - 1)] == 0) {
      ASSERT_EQ(Leached, 0.0) << Trial;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole fields
// ---------------------------------------------------------------------------

// Writes the cells of a field in its user format; numbers given in metric units are
// converted into the field's units first.
class TFieldWriter {
 public:
  TFieldWriter(TSovSchedule& Field, const TFormatSettings& Format) : F(Field), Fmt(Format) {}

  QString Num(double Value) const { return FormatGeneral(Value, Fmt); }
  double Units(double Metric, int Kind) const {
    return F.IsMetric() ? Metric : TSovFile::FromMetric(Kind, Metric);
  }
  void Field(int Col, const QString& Text) { F.SetCell(1, Col, Text); }
  void FieldNumber(int Col, double Metric, int Kind) { F.SetCell(1, Col, Num(Units(Metric, Kind))); }
  void Date(int Col, const QDate& D) { F.SetCell(1, Col, DateToStr(D, Fmt)); }
  void Horizon(int Row, int Depth, const QString& Texture, double Awc, double Wp, double Bd, double OM,
               double pH, const QString& Cec = QString()) {
    F.SetCellInt(Row, SovCol::HzDepth, Depth);
    F.SetCell(Row, SovCol::HzTexture, Texture);
    F.SetCell(Row, SovCol::HzAWC, Num(Awc));
    F.SetCell(Row, SovCol::HzWiltingPoint, Num(Wp));
    F.SetCell(Row, SovCol::HzBulkDensity, Num(Bd));
    F.SetCell(Row, SovCol::HzKSat, "9");
    F.SetCell(Row, SovCol::HzOM, Num(OM));
    F.SetCell(Row, SovCol::HzpH, Num(pH));
    F.SetCell(Row, SovCol::HzCEC, Cec);
  }
  // Rates as the field holds them (already in its units).
  void Fertilizer(int Slot, int Day, int Fertilizer, int Method, double Rate) {
    Event(Slot, Day, SovEvent::Fertilizer, Rate);
    F.SetCellInt(Slot, SovCol::EvKey1, Fertilizer);
    F.SetCellInt(Slot, SovCol::EvKey2, Method);
  }
  void Manure(int Slot, int Day, int Manure, int Method, double Rate, double Total, double Ammonium) {
    Event(Slot, Day, SovEvent::Manure, Rate);
    F.SetCellInt(Slot, SovCol::EvKey1, Manure);
    F.SetCellInt(Slot, SovCol::EvKey2, Method);
    F.SetCell(Slot, SovCol::EvValue2, Num(Total));
    F.SetCell(Slot, SovCol::EvValue3, Num(Ammonium));
  }
  void Event(int Slot, int Day, int Code, double Value) {
    F.SetCellInt(Slot, SovCol::EvDay, Day);
    F.SetCellInt(Slot, SovCol::EvCode, Code);
    F.SetCell(Slot, SovCol::EvValue, Num(Value));
  }
  void ClearEvent(int Slot) {
    for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) F.SetCell(Slot, Col, QString());
  }
  // Metric weather of one day (°C, mm, m/s); a negative rain, irrigation, wind or
  // humidity leaves the cell empty.
  void Day(int d, double High, double Low, double Rain = -1, double Irrigation = -1, double Wind = -1,
           double Humidity = -1) {
    F.SetCell(d, SovCol::MaxTemp, Num(Units(High, 8)));
    F.SetCell(d, SovCol::MinTemp, Num(Units(Low, 8)));
    F.SetCell(d, SovCol::Precip, Rain < 0 ? QString() : Num(Units(Rain, 5)));
    F.SetCell(d, SovCol::Irrigation, Irrigation < 0 ? QString() : Num(Units(Irrigation, 5)));
    F.SetCell(d, SovCol::WindSpeed, Wind < 0 ? QString() : Num(Units(Wind, 10)));
    F.SetCell(d, SovCol::Humidity, Humidity < 0 ? QString() : Num(Humidity));
  }

  TSovSchedule& F;
  TFormatSettings Fmt;
};

struct TFieldOptions {
  bool Metric = true;
  TFormatSettings Format = UsFormatSettings();
  QDate Start{2016, 3, 1};
  int DaysBeforeEmergence = 60;
  int DayCount = 200;
  QString Crop = "Maize silage";
  double RootingDepthCm = 90;
  int StartingMoisture = 60;
};

// A field whose every day is 25/15 °C without rain, over three 30 cm silt loam
// horizons.
std::unique_ptr<TSovSchedule> NewField(const TSovLookup& Lookup, const TFieldOptions& O) {
  auto F = std::make_unique<TSovSchedule>(Lookup, O.Format);
  F->SetIsMetric(O.Metric);
  TFieldWriter W(*F, O.Format);
  W.Field(SovCol::Location, "Iowa");
  W.Field(SovCol::Crop, O.Crop);
  W.Field(SovCol::Latitude, W.Num(42));
  W.Field(SovCol::Longitude, W.Num(-93.5));
  W.Field(SovCol::Elevation, "300");
  W.Date(SovCol::StartingDate, O.Start);
  W.Date(SovCol::EmergenceDate, O.Start.addDays(O.DaysBeforeEmergence));
  W.Date(SovCol::CalculationDate, O.Start.addDays(O.DayCount - 1));
  W.Field(SovCol::GrowingSeason, "120");
  W.FieldNumber(SovCol::RootingDepth, O.RootingDepthCm, 3);
  W.FieldNumber(SovCol::WaterHoldingCapacity, O.RootingDepthCm * 2, 5);
  W.Field(SovCol::MinimumMoisture, "50");
  W.Field(SovCol::StartingMoisture, QString::number(O.StartingMoisture));
  W.Field(SovCol::StartingResidue, "0");
  for (int h = 1; h <= 3; ++h) W.Horizon(h, 30 * h, "SIL", 0.2, 0.1, 1.4, 2.5 / h, 6.5, "12");
  for (int d = 1; d <= O.DayCount; ++d) W.Day(d, 25, 15);
  return F;
}

void ExpectValid(const TSovSchedule& F) {
  QString Form;
  int Row = 0, Col = 0;
  ASSERT_TRUE(F.CheckFieldData(false, Form, Row, Col))
      << Form.toStdString() << " column " << Col << " row " << Row;
}

// Nitrogen (field units) that the events bring up to each day, computed from the
// events with the event routines: everything, and the manure's releasable organic N.
struct TApplied {
  std::vector<double> All, Organic;
};
TApplied AppliedByDay(const TSovSchedule& F) {
  const int Days = F.DayCount();
  const bool Metric = F.IsMetric();
  const TSovLookup& L = F.Lookup();
  std::vector<double> Kg(std::size_t(Days + 1), 0.0), OrganicKg(std::size_t(Days + 1), 0.0);
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    const int Day = F.GetCellInt(Row, SovCol::EvDay);
    if (Day < 1 || Day > Days) continue;
    const int Code = F.GetCellInt(Row, SovCol::EvCode);
    const int Key1 = F.GetCellInt(Row, SovCol::EvKey1);
    const double Rate = F.GetCellFloat(Row, SovCol::EvValue);
    if (Code == SovEvent::Fertilizer) {
      Kg[std::size_t(Day)] += F.FertilizerN(Key1, NitrogenForm::All, Rate, Metric, true);
    } else if (Code == SovEvent::Manure) {
      const double Total = F.GetCellFloat(Row, SovCol::EvValue2);
      const double Nh4 = F.GetCellFloat(Row, SovCol::EvValue3);
      if (Nh4 > 0) Kg[std::size_t(Day)] += F.ManureN(Key1, Metric, Rate, Nh4, true);
      const double Organic = F.ManureN(Key1, Metric, Rate, Total - Nh4, true) * L.Manure(Key1).MaxMinerPct / 100;
      if (Organic > 0) OrganicKg[std::size_t(Day)] += Organic;
    }
  }
  for (int d = 1; d <= Days; ++d) {
    if (F.Irrigation()[d] > 0) Kg[std::size_t(d)] += F.IrrigationWaterN(d, Metric, true);
  }
  TApplied A;
  A.All.assign(std::size_t(Days + 1), 0.0);
  A.Organic.assign(std::size_t(Days + 1), 0.0);
  auto Units = [Metric](double x) { return Metric ? x : TSovFile::FromMetric(11, x); };
  for (std::size_t d = 1; d <= std::size_t(Days); ++d) {
    A.Organic[d] = A.Organic[d - 1] + Units(OrganicKg[d]);
    A.All[d] = A.All[d - 1] + Units(Kg[d] + OrganicKg[d]);
  }
  return A;
}

// Every day: the pools equal the starting nitrate plus what was applied and
// mineralised less what was lost; the amounts present are the pools; the five
// running totals never fall; nothing is negative or not finite.
void ExpectNitrogenBalance(const TSovSchedule& F) {
  ASSERT_TRUE(F.Scalars().HorizonsUsable);
  const TApplied A = AppliedByDay(F);
  const std::vector<double>& Applied = A.All;
  double Start = 0;
  for (int n = 1; n <= F.Scalars().LayerCount; ++n) {
    const TSoilLayer& L = F.Layers()[n];
    Start += L.LayerNitratePpm * L.Thickness * L.BulkDensity / 10;
  }
  if (!F.IsMetric()) Start = TSovFile::FromMetric(11, Start);
  ASSERT_NEAR(F.StartingNitrateN(), Start, 1e-9 * (1 + Start));
  for (int d = 1; d <= F.DayCount(); ++d) {
    SCOPED_TRACE("day " + std::to_string(d));
    const TNitrogenPools& P = F.NitrogenPools()[d];
    const double Values[] = {F.MineralizedN()[d], F.AmmoniumN()[d], F.NitrateN()[d], F.DenitrifiedN()[d],
                             F.VolatilizedN()[d], F.UptakeN()[d],  F.LeachedN()[d], P.LayerNitrate,
                             P.LayerAmmonium,      P.Urea,           P.ManureOrganic, P.SoilMineralized};
    for (double V : Values) {
      ASSERT_TRUE(std::isfinite(V));
      ASSERT_GE(V, 0);
    }
    ASSERT_EQ(F.NitrateN()[d], P.LayerNitrate);
    ASSERT_EQ(F.AmmoniumN()[d], P.LayerAmmonium);
    // What the manure released is what its organic pool lost.
    ASSERT_NEAR(F.MineralizedN()[d] - P.SoilMineralized, A.Organic[std::size_t(d)] - P.ManureOrganic,
                1e-9 * (1 + A.Organic[std::size_t(d)]));
    if (d > 1) {
      ASSERT_GE(F.MineralizedN()[d], F.MineralizedN()[d - 1]);
      ASSERT_GE(F.DenitrifiedN()[d], F.DenitrifiedN()[d - 1]);
      ASSERT_GE(F.VolatilizedN()[d], F.VolatilizedN()[d - 1]);
      ASSERT_GE(F.UptakeN()[d], F.UptakeN()[d - 1]);
      ASSERT_GE(F.LeachedN()[d], F.LeachedN()[d - 1]);
      ASSERT_GE(P.SoilMineralized, F.NitrogenPools()[d - 1].SoilMineralized);
    }
    if (d <= F.DaysBeforeEmergence()) {
      ASSERT_EQ(F.UptakeN()[d], 0.0);
    }
    const double Held = P.LayerNitrate + P.LayerAmmonium + P.Urea + P.ManureOrganic;
    const double Expected = Start + Applied[std::size_t(d)] + P.SoilMineralized - F.DenitrifiedN()[d] -
                            F.VolatilizedN()[d] - F.UptakeN()[d] - F.LeachedN()[d];
    ASSERT_NEAR(Held, Expected, 1e-9 * (1 + Start + Applied[std::size_t(d)] + F.UptakeN()[d]));
  }
}

TEST(SovSchedNitrogen, NoNitrogenWithoutLayersFromTheHorizons) {
  TFieldOptions O;
  auto F = NewField(ShippedLookup(), O);
  TFieldWriter W(*F, O.Format);
  W.Fertilizer(1, 10, 1, 1, 200);
  F->SetCell(2, SovCol::HzAWC, QString());  // horizon 2 incomplete: no layers
  F->SetCell(2, SovCol::HzKSat, QString());
  ExpectValid(*F);
  F->Calculate();
  ASSERT_FALSE(F->Scalars().HorizonsUsable);
  EXPECT_EQ(F->StartingNitrateN(), 0.0);
  for (int d = 1; d <= MaxScheduleDays; ++d) {
    for (double V : {F->MineralizedN()[d], F->AmmoniumN()[d], F->NitrateN()[d], F->DenitrifiedN()[d],
                     F->VolatilizedN()[d], F->UptakeN()[d], F->LeachedN()[d], F->NitrogenPools()[d].Urea}) {
      ASSERT_EQ(V, 0.0) << d;
    }
  }
}

TEST(SovSchedNitrogen, EventsNamingNoProductEndTheCalculation) {
  // The field check keeps such events out; should one get through, the schedule is
  // refused with a message instead of reading outside the tables.
  const TSovLookup& L = ShippedLookup();
  struct Case {
    int Code, Key1, Key2;
  } Cases[] = {{SovEvent::Fertilizer, 0, 1},
               {SovEvent::Fertilizer, L.FertilizerCount() + 1, 1},
               {SovEvent::Fertilizer, 1, L.FertAppMethodCount() + 1},
               {SovEvent::Manure, L.ManureCount() + 1, 1},
               {SovEvent::Manure, 1, 0}};
  for (const Case& C : Cases) {
    TFieldOptions O;
    auto F = NewField(L, O);
    F->Calculate();
    ASSERT_EQ(F->DayCount(), O.DayCount);
    TFieldWriter(*F, O.Format).Event(1, 5, C.Code, 100);
    F->SetCellInt(1, SovCol::EvKey1, C.Key1);
    F->SetCellInt(1, SovCol::EvKey2, C.Key2);
    F->SetCell(1, SovCol::EvValue2, "5");
    try {
      F->Calculate();
      ADD_FAILURE() << "no error for keys " << C.Key1 << ", " << C.Key2;
    } catch (const std::out_of_range& E) {
      EXPECT_NE(std::string(E.what()).find("Event 1"), std::string::npos) << E.what();
    }
    EXPECT_EQ(F->DayCount(), 0);
    for (int d = 1; d <= MaxScheduleDays; ++d) ASSERT_EQ(F->NitrateN()[d], 0.0);
  }
  // An event on a day beyond the schedule is not applied at all.
  TFieldOptions O;
  auto F = NewField(L, O);
  TFieldWriter(*F, O.Format).Fertilizer(1, O.DayCount + 1, 1, 1, 100);
  F->SetCellInt(1, SovCol::EvKey1, 999);
  F->Calculate();
  ExpectNitrogenBalance(*F);
}

TEST(SovSchedNitrogen, ExtremeInputsStayFiniteAndBalanced) {
  // Beyond what the field check lets through: a hot, waterlogged season with huge
  // applications. Every pool stays finite and at or above 0, and the balance holds.
  const TSovLookup& L = ShippedLookup();
  int Computed = 0;
  for (double Rate : {1e4, 1e7, 1e12}) {
    SCOPED_TRACE(Rate);
    TFieldOptions O;
    O.DaysBeforeEmergence = 5;
    O.StartingMoisture = 100;
    auto F = NewField(L, O);
    TFieldWriter W(*F, O.Format);
    // Soils whose pores fill up: denitrification at its limit.
    for (int h = 1; h <= 3; ++h) W.Horizon(h, 30 * h, "C", 0.35, 0.3, 1.6, 5.0, 7.0, "35");
    for (int d = 1; d <= O.DayCount; ++d) W.Day(d, 62, 50, 120, 50);
    W.Fertilizer(1, 3, L.FindFertilizer("UAN 32"), L.FindFertAppMethod("Surface band"), Rate);
    W.Fertilizer(2, 4, L.FindFertilizer("Urea"), 1, Rate);
    W.Manure(3, 5, L.FindManure("Poultry litter"), 1, Rate, 900, 400);
    W.Event(4, 1, SovEvent::Nitrate, 99);
    try {
      F->Calculate();
    } catch (const std::exception&) {
      EXPECT_EQ(F->DayCount(), 0);
      continue;
    }
    ExpectNitrogenBalance(*F);
    EXPECT_GT(F->DenitrifiedN()[O.DayCount], 0);
    ++Computed;
  }
  EXPECT_GT(Computed, 0);
}

TEST(SovSchedNitrogen, FertiliserNitrificationStartsAfterItsDelay) {
  // Before emergence (no uptake), on a dry profile (no denitrification or leaching),
  // 10 °C days (base 10) a day: compare each fertiliser with a field without it.
  const TSovLookup& L = ShippedLookup();
  struct Case {
    const char* Fertilizer;
    int FirstNitrifyingDay;  // after the application
  } Cases[] = {{"Ammonium sulfate", 1},
               {"Anhydrous ammonia", 14},                            // 139 °C days
               {"Anhydrous ammonia + nitrification inhibitor", 28}};  // 278
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Fertilizer);
    TFieldOptions O;
    O.DaysBeforeEmergence = 120;
    O.DayCount = 80;
    O.StartingMoisture = 20;
    auto With = NewField(L, O);
    auto Without = NewField(L, O);
    const int AppDay = 10;
    TFieldWriter(*With, O.Format).Fertilizer(1, AppDay, L.FindFertilizer(C.Fertilizer), 1, 150);
    ExpectValid(*With);
    With->Calculate();
    Without->Calculate();
    ExpectNitrogenBalance(*With);
    for (int d = 1; d <= O.DayCount; ++d) {
      const double Extra = With->NitrateN()[d] - Without->NitrateN()[d];
      if (d < AppDay + C.FirstNitrifyingDay) {
        ASSERT_NEAR(Extra, 0, 1e-9) << d;
      } else {
        ASSERT_GT(Extra, 1e-6) << d;
      }
    }
    // The ammonium itself arrives on the day of application.
    const double Applied = With->FertilizerN(L.FindFertilizer(C.Fertilizer), NitrogenForm::All, 150, true, true);
    EXPECT_NEAR(With->AmmoniumN()[AppDay] - Without->AmmoniumN()[AppDay], Applied, 1e-9);
  }
}

TEST(SovSchedNitrogen, BandedAmmoniumNitrifiesAtAThirdOfTheBroadcastRate) {
  // Dry profile before emergence: the nitrate formed the day after application comes
  // from the application alone and scales with its rate, 0.06 against 0.18.
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DaysBeforeEmergence = 100;
  O.DayCount = 30;
  O.StartingMoisture = 20;
  auto None = NewField(L, O);
  auto Broadcast = NewField(L, O);
  auto Banded = NewField(L, O);
  const int Sulfate = L.FindFertilizer("Ammonium sulfate");
  TFieldWriter(*Broadcast, O.Format).Fertilizer(1, 10, Sulfate, L.FindFertAppMethod("Broadcast"), 200);
  TFieldWriter(*Banded, O.Format).Fertilizer(1, 10, Sulfate, L.FindFertAppMethod("Surface band"), 200);
  for (TSovSchedule* F : {None.get(), Broadcast.get(), Banded.get()}) F->Calculate();
  ExpectNitrogenBalance(*Banded);
  const double FromBroadcast = Broadcast->NitrateN()[11] - None->NitrateN()[11];
  const double FromBand = Banded->NitrateN()[11] - None->NitrateN()[11];
  ASSERT_GT(FromBroadcast, 0.01);
  EXPECT_NEAR(FromBand / FromBroadcast, 1.0 / 3.0, 1e-9);
}

TEST(SovSchedNitrogen, UreaWaitsForWarmthAndBecomesAmmonium) {
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DaysBeforeEmergence = 150;
  O.DayCount = 60;
  O.StartingMoisture = 20;
  auto F = NewField(L, O);
  TFieldWriter W(*F, O.Format);
  // Three weeks of frost, then warmth.
  for (int d = 1; d <= 30; ++d) W.Day(d, -2, -12);
  W.Fertilizer(1, 12, L.FindFertilizer("Urea"), 1, 100);
  ExpectValid(*F);
  F->Calculate();
  ExpectNitrogenBalance(*F);
  const double Applied = 46;
  for (int d = 12; d <= 30; ++d) ASSERT_NEAR(F->NitrogenPools()[d].Urea, Applied, 1e-9) << d;
  // From the first day whose seven-day mean is above 0 °C it hydrolyses: 0.018 of the
  // applied amount per °C a day.
  int First = 0;
  for (int d = 31; d <= 60 && First == 0; ++d) {
    if (F->NitrogenPools()[d].Urea < Applied - 1e-9) First = d;
  }
  ASSERT_GT(First, 31);
  double Mean7 = 0;
  for (int k = First - 6; k <= First; ++k) Mean7 += F->Days()[k].Mean;
  Mean7 /= 7;
  EXPECT_NEAR(F->NitrogenPools()[First].Urea, Applied * (1 - 0.018 * Mean7), 1e-9);
  EXPECT_EQ(F->NitrogenPools()[60].Urea, 0.0);
}

TEST(SovSchedNitrogen, SurfaceManureLosesAmmonia) {
  // Solid manure on the surface, 20 °C the next day, no rain: 1 - e^-0.127 of its
  // ammonium (about 11.93 %) goes to the air that day.
  const TSovLookup& L = ShippedLookup();
  for (bool Metric : {true, false}) {
    TFieldOptions O;
    O.Metric = Metric;
    O.DaysBeforeEmergence = 100;
    O.DayCount = 40;
    O.StartingMoisture = 30;
    auto F = NewField(L, O);
    TFieldWriter W(*F, O.Format);
    const int Manure = L.FindManure("Dairy solid");
    const int Surface = L.FindManureAppMethod("Surface (not incorporated)");
    const double Rate = Metric ? 20 : 8, Total = Metric ? 6 : 12, Nh4 = Metric ? 2.5 : 5;
    W.Manure(1, 10, Manure, Surface, Rate, Total, Nh4);
    ExpectValid(*F);
    F->Calculate();
    ExpectNitrogenBalance(*F);
    const double Ammonium = F->ManureN(Manure, Metric, Rate, Nh4, Metric);
    EXPECT_EQ(F->VolatilizedN()[10], 0.0);
    EXPECT_NEAR(F->VolatilizedN()[11], Ammonium * (1 - std::exp(-0.127)), 1e-9);
    EXPECT_NEAR(1 - std::exp(-0.127), 0.1193, 1e-4);
    // Injected, nothing volatilises.
    const int Injected = L.FindManureAppMethod("Injected");
    F->SetCellInt(1, SovCol::EvKey2, Injected);
    F->Calculate();
    ExpectNitrogenBalance(*F);
    EXPECT_EQ(F->VolatilizedN()[O.DayCount], 0.0);
  }
}

TEST(SovSchedNitrogen, UptakeFollowsTheCurveAndTheWaterStress) {
  // A crop with one uptake point (rate 0.5) and full rooting at once; 10 °C days a
  // day: the day's potential uptake is 10 x 0.5 = 5 kg/ha (half from ammonium, half
  // from nitrate), reduced by the ratio of the crop's water use to its unreduced use
  // when that is below 0.7. Grain maize without a projected yield takes 0.8 of it.
  TTestLookup L;
  struct Case {
    const char* Crop;
    double YieldFactor;
  } Cases[] = {{"Maize silage", 1.0}, {"Maize grain", 0.8}};
  for (const Case& Crop : Cases) {
    TCropRec& C = L.CropRow(L.FindCrop(Crop.Crop));
    C.UptakePointCount = 1;
    C.NUptakeGDD[1] = 4000;
    C.NUptakeRate[1] = 0.5;
    C.MaxRootGDD = 1;
    C.GDDMinBase = 10;
    C.GDDMaxBase = 30;
  }
  for (const Case& Crop : Cases) {
    for (bool Metric : {true, false}) {
      SCOPED_TRACE(std::string(Crop.Crop) + (Metric ? " metric" : " English"));
      TFieldOptions O;
      O.Metric = Metric;
      O.Crop = Crop.Crop;
      O.DaysBeforeEmergence = 5;
      O.DayCount = 60;
      O.StartingMoisture = 100;
      auto F = NewField(L, O);
      TFieldWriter W(*F, O.Format);
      // Plenty of nitrogen; wet for two weeks, then drying out.
      W.Fertilizer(1, 1, L.FindFertilizer("Ammonium nitrate"), 1, Metric ? 1000 : 900);
      for (int d = 1; d <= 20; ++d) W.Day(d, 25, 15, 3);
      ExpectValid(*F);
      F->Calculate();
      ExpectNitrogenBalance(*F);
      int Reduced = 0;
      for (int d = 1; d <= O.DayCount; ++d) {
        const double Taken = F->UptakeN()[d] - (d > 1 ? F->UptakeN()[d - 1] : 0.0);
        if (d <= O.DaysBeforeEmergence) {
          ASSERT_EQ(Taken, 0.0) << d;
          continue;
        }
        const double r = UptakeStressRatio(F->ETCrop()[d], F->Days()[d].UnreducedETCrop);
        double Expected = 5 * Crop.YieldFactor * (r < 0.7 ? r : 1.0);
        if (!Metric) Expected *= LbsPerKg;
        if (r < 0.7) ++Reduced;
        ASSERT_NEAR(Taken, Expected, 1e-9) << d;
      }
      EXPECT_GT(Reduced, 5);
    }
  }
}

TEST(SovSchedNitrogen, ACropWithoutUptakePointsTakesNothing) {
  TTestLookup L;
  const int Row = L.FindCrop("Maize silage");
  L.CropRow(Row).UptakePointCount = 0;
  TFieldOptions O;
  O.DaysBeforeEmergence = 3;
  auto F = NewField(L, O);
  F->Calculate();
  EXPECT_FALSE(F->Scalars().CropHasUptake);
  EXPECT_EQ(F->UptakeN()[O.DayCount], 0.0);
  ExpectNitrogenBalance(*F);
}

TEST(SovSchedNitrogen, EveryApplicationCountsBeyondTheTenth) {
  // Weekly fertigation with an ammonium and urea fertiliser and manure every week:
  // the twelfth application of each adds as much as the first.
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DaysBeforeEmergence = 10;
  O.DayCount = 200;
  auto F = NewField(L, O);
  TFieldWriter W(*F, O.Format);
  const int Uan = L.FindFertilizer("UAN 28");
  const int Fertigation = L.FindFertAppMethod("Fertigation");
  const int Manure = L.FindManure("Swine liquid");
  const int Surface = L.FindManureAppMethod("Surface (not incorporated)");
  for (int k = 1; k <= 12; ++k) {
    W.Fertilizer(k, 7 * k, Uan, Fertigation, 50);
    W.Manure(20 + k, 7 * k + 3, Manure, Surface, 20000, 4, 2);
  }
  ExpectValid(*F);
  F->Calculate();
  ExpectNitrogenBalance(*F);
  // Without the last fertiliser, or without the last manure, the day it came on shows
  // the whole difference.
  auto G = NewField(L, O);
  auto H = NewField(L, O);
  TFieldWriter WG(*G, O.Format), WH(*H, O.Format);
  for (int k = 1; k <= 12; ++k) {
    if (k < 12) WG.Fertilizer(k, 7 * k, Uan, Fertigation, 50);
    WG.Manure(20 + k, 7 * k + 3, Manure, Surface, 20000, 4, 2);
    WH.Fertilizer(k, 7 * k, Uan, Fertigation, 50);
    if (k < 12) WH.Manure(20 + k, 7 * k + 3, Manure, Surface, 20000, 4, 2);
  }
  G->Calculate();
  H->Calculate();
  const int FertDay = 84, ManureDay = 87;
  const double Ammonium = F->FertilizerN(Uan, NitrogenForm::Ammonium, 50, true, true);
  const double Urea = F->FertilizerN(Uan, NitrogenForm::Urea, 50, true, true);
  const double Nitrate = F->FertilizerN(Uan, NitrogenForm::Nitrate, 50, true, true);
  EXPECT_NEAR(F->AmmoniumN()[FertDay] - G->AmmoniumN()[FertDay], Ammonium, 1e-9);
  EXPECT_NEAR(F->NitrogenPools()[FertDay].Urea - G->NitrogenPools()[FertDay].Urea, Urea, 1e-9);
  EXPECT_NEAR(F->NitrateN()[FertDay] - G->NitrateN()[FertDay], Nitrate, 1e-9);
  const double ManureAmmonium = F->ManureN(Manure, true, 20000, 2, true);
  const double Organic = F->ManureN(Manure, true, 20000, 2, true) * L.Manure(Manure).MaxMinerPct / 100;
  const TNitrogenPools& PF = F->NitrogenPools()[ManureDay];
  const TNitrogenPools& PG = H->NitrogenPools()[ManureDay];
  EXPECT_NEAR(PF.LayerAmmonium - PG.LayerAmmonium, ManureAmmonium, 1e-9);
  EXPECT_NEAR(PF.ManureOrganic - PG.ManureOrganic, Organic, 1e-9);
}

TEST(SovSchedNitrogen, IrrigationWaterNitrateOnEveryIrrigatedDay) {
  const TSovLookup& L = ShippedLookup();
  for (bool Metric : {true, false}) {
    TFieldOptions O;
    O.Metric = Metric;
    O.DaysBeforeEmergence = 100;
    O.DayCount = 60;
    O.StartingMoisture = 30;
    auto F = NewField(L, O);
    auto G = NewField(L, O);
    for (TSovSchedule* S : {F.get(), G.get()}) {
      TFieldWriter W(*S, O.Format);
      W.Day(20, 25, 15, -1, 25);  // before the nitrate event
      W.Day(45, 25, 15, -1, 25);
    }
    TFieldWriter(*F, O.Format).Event(1, 40, SovEvent::Nitrate, 12);
    ExpectValid(*F);
    F->Calculate();
    G->Calculate();
    ExpectNitrogenBalance(*F);
    const double Kg = 12 * 25.0 / 100;
    const double Expected = Metric ? Kg : Kg * LbsPerKg;
    EXPECT_NEAR(F->NitrateN()[20] - G->NitrateN()[20], Expected, 1e-9);
    EXPECT_NEAR(F->NitrateN()[19] - G->NitrateN()[19], 0, 1e-12);
  }
}

TEST(SovSchedNitrogen, LayerWithoutAvailableWaterLetsWaterAndNitrateThrough) {
  const TSovLookup& L = ShippedLookup();
  TFieldOptions O;
  O.DayCount = 120;
  auto F = NewField(L, O);
  TFieldWriter W(*F, O.Format);
  W.Horizon(2, 60, "SI", 0, 0.0004, 1.6, 0.5, 6.0);  // holds no available water, nearly dry
  for (int d = 5; d <= 120; d += 5) W.Day(d, 25, 15, 60);
  W.Fertilizer(1, 3, L.FindFertilizer("Calcium nitrate"), 1, 300);
  ExpectValid(*F);
  F->Calculate();
  ASSERT_EQ(F->Layers()[2].LayerCapacity, 0.0);
  ExpectNitrogenBalance(*F);
  EXPECT_GT(F->LeachedN()[O.DayCount], 1);
  for (int d = 1; d <= O.DayCount; ++d) ASSERT_EQ(F->LayerWater(2, d), 0.0);
}

// ---------------------------------------------------------------------------
// Random seasons
// ---------------------------------------------------------------------------

const char* const Textures[] = {"S", "LS", "SL", "FSL", "L", "SIL", "SI", "SCL", "CL", "SICL", "SC", "C", "MUCK"};

// A random validated field: horizons, events of every kind and weather, written
// through the cell operations in the field's units and format.
// Frozen and snow marks are the one place where the unit systems differ (1 mm against
// 0.04 inch of crop water use), so they can be left out.
std::unique_ptr<TSovSchedule> RandomField(unsigned Seed, bool Metric, const TFormatSettings& Format,
                                          bool WithMarks = true) {
  const TSovLookup& L = ShippedLookup();
  std::mt19937 Rng(Seed);
  std::uniform_real_distribution<double> U(0, 1);
  auto Pick = [&](int Count) { return 1 + int(U(Rng) * Count) % Count; };
  auto F = std::make_unique<TSovSchedule>(L, Format);
  F->SetIsMetric(Metric);
  TFieldWriter W(*F, Format);
  const QDate Start = QDate(2015, 1, 1).addDays(int(U(Rng) * 150));
  const int DayCount = 60 + int(U(Rng) * 306);
  W.Field(SovCol::Location, "Iowa");
  W.Field(SovCol::Crop, L.Crop(Pick(L.CropCount())).Name);
  if (U(Rng) < 0.5) W.Field(SovCol::PreviousCrop, L.Crop(Pick(L.CropCount())).Name);
  W.Field(SovCol::Latitude, W.Num(30 + 18 * U(Rng)));
  W.Field(SovCol::Longitude, W.Num(-90));
  W.Date(SovCol::StartingDate, Start);
  W.Date(SovCol::EmergenceDate, Start.addDays(int(U(Rng) * 70)));
  W.Date(SovCol::CalculationDate, Start.addDays(DayCount - 1));
  W.Field(SovCol::GrowingSeason, QString::number(50 + int(U(Rng) * 150)));
  if (U(Rng) < 0.6) {
    // kg/ha, or bushels (56 lbs) per acre.
    const double Yield = 2000 + 9000 * U(Rng);
    W.Field(SovCol::ProjectedYield, W.Num(Metric ? Yield : TSovFile::FromMetric(11, Yield) / 56));
  }
  const double Root = 30 + 170 * U(Rng);
  W.FieldNumber(SovCol::RootingDepth, Root, 3);
  W.FieldNumber(SovCol::WaterHoldingCapacity, Root * (0.5 + 2 * U(Rng)), 5);
  if (U(Rng) < 0.5) W.Field(SovCol::OrganicMatter, W.Num(0.3 + 6 * U(Rng)));
  if (U(Rng) < 0.7) W.Field(SovCol::IrrigationEfficiency, QString::number(40 + int(U(Rng) * 61)));
  W.Field(SovCol::StartingMoisture, QString::number(int(U(Rng) * 101)));
  W.Field(SovCol::StartingResidue, QString::number(int(U(Rng) * 101)));

  const int Horizons = 1 + int(U(Rng) * 10) % 10;
  int Depth = 0;
  for (int h = 1; h <= Horizons; ++h) {
    Depth += 5 + int(U(Rng) * 40);
    const double Awc = U(Rng) < 0.1 ? 0.0 : 0.3 * U(Rng);
    // Now and then a wilting point below the end of the finer nitrification curve.
    const double Wp = U(Rng) < 0.1 ? 0.0004 : 0.001 + 0.35 * U(Rng);
    const double Bd = U(Rng) < 0.05 ? 2.6 : 1.0 + 0.9 * U(Rng);
    const QString Cec = U(Rng) < 0.3 ? QString() : W.Num(40 * U(Rng));
    W.Horizon(h, Depth, Textures[int(U(Rng) * 13) % 13], Awc, Wp, Bd, 8 * U(Rng), 4 + 5 * U(Rng), Cec);
  }

  const int Events = int(U(Rng) * 51);
  for (int Slot = 1; Slot <= Events; ++Slot) {
    const int Day = 1 + int(U(Rng) * (DayCount + 10));
    const double Kind = U(Rng);
    if (Kind < 0.4) {
      const int Fert = Pick(L.FertilizerCount());
      // kg/ha or liter/ha, as lbs/acre or gal/acre in an English field.
      const bool Liquid = L.Fertilizer(Fert).IsLiquid;
      const double Rate = (Liquid ? 500 : 400) * U(Rng);
      W.Fertilizer(Slot, Day, Fert, Pick(L.FertAppMethodCount()), W.Units(Rate, Liquid ? 13 : 11));
    } else if (Kind < 0.6) {
      W.Event(Slot, Day, SovEvent::Nitrate, 40 * U(Rng));
    } else if (Kind < 0.9) {
      const int Manure = Pick(L.ManureCount());
      const bool Liquid = L.Manure(Manure).IsLiquid;
      // MT/ha with kg/MT, or liter/ha with kg/1000 L. In an English field the same
      // manure is ton/acre with lbs/ton, or gal/acre with lbs/1000 gal.
      double Rate = Liquid ? 5000 + 150000 * U(Rng) : 5 + 50 * U(Rng);
      double Total = Liquid ? 0.5 + 8 * U(Rng) : 2 + 15 * U(Rng);
      // Mostly a part of the total; now and then more than it (adds no organic N).
      double Nh4 = U(Rng) < 0.1 ? Total * 1.5 : Total * U(Rng);
      if (!Metric) {
        const double Content = Liquid ? 9.346 * 0.8922 : 0.8922;
        if (Liquid) Rate /= 9.346;
        Total *= Content;
        Nh4 *= Content;
      }
      W.Manure(Slot, Day, Manure, Pick(L.ManureAppMethodCount()), Rate, Total, std::min(Nh4, 999.0));
    } else {
      W.Event(Slot, Day, SovEvent::Residue, int(U(Rng) * 101));
    }
  }

  const QString Marks[] = {"I", "D", "M", "L", "Z", "S"};
  for (int d = 1; d <= DayCount; ++d) {
    const double Season = 14 * std::sin(2 * M_PI * (Start.dayOfYear() + d - 110) / 365.0);
    const double High = std::clamp(14 + Season + 16 * (U(Rng) - 0.5), -40.0, 45.0);
    const double Low = std::max(High - 2 - 18 * U(Rng), -45.0);
    double Rain = -1;
    if (U(Rng) < 0.35) Rain = std::min(-std::log(1 - U(Rng)) * 9, 200.0);
    else if (U(Rng) < 0.3) Rain = 0;
    const double Irrigation = U(Rng) < 0.1 ? 5 + 40 * U(Rng) : -1;
    W.Day(d, High, Low, Rain, Irrigation, U(Rng) < 0.2 ? -1 : 9 * U(Rng), U(Rng) < 0.3 ? -1 : 15 + 85 * U(Rng));
    const double Mark = U(Rng), Which = U(Rng);
    if (WithMarks && Mark < 0.02) F->SetCell(d, SovCol::GrowthStage, Marks[int(Which * 6) % 6]);
  }
  return F;
}

TEST(SovSchedNitrogen, MassBalanceOverRandomSeasons) {
  int WithLayers = 0;
  for (unsigned Seed = 1; Seed <= 60; ++Seed) {
    const bool Metric = Seed % 2 == 0;
    const TFormatSettings Format = Seed % 3 == 0 ? GermanFormatSettings() : UsFormatSettings();
    auto F = RandomField(Seed, Metric, Format);
    SCOPED_TRACE("seed " + std::to_string(Seed));
    ExpectValid(*F);
    F->Calculate();
    if (!F->Scalars().HorizonsUsable) continue;
    ++WithLayers;
    ExpectNitrogenBalance(*F);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(WithLayers, 50);
}

TEST(SovSchedNitrogen, MetricAndEnglishFieldsAgree) {
  // The same random field in both unit systems (and in a comma-decimal format): the
  // nitrogen differs only by the unit.
  for (unsigned Seed : {101u, 102u, 103u, 104u}) {
    auto M = RandomField(Seed, true, GermanFormatSettings(), false);
    auto E = RandomField(Seed, false, UsFormatSettings(), false);
    M->Calculate();
    E->Calculate();
    ASSERT_EQ(M->DayCount(), E->DayCount());
    ASSERT_EQ(M->Scalars().HorizonsUsable, E->Scalars().HorizonsUsable);
    for (int d = 1; d <= M->DayCount(); ++d) {
      SCOPED_TRACE(d);
      const double Tol = 1e-6;
      ASSERT_NEAR(E->MineralizedN()[d] / LbsPerKg, M->MineralizedN()[d], Tol * (1 + M->MineralizedN()[d]));
      ASSERT_NEAR(E->AmmoniumN()[d] / LbsPerKg, M->AmmoniumN()[d], Tol * (1 + M->AmmoniumN()[d]));
      ASSERT_NEAR(E->NitrateN()[d] / LbsPerKg, M->NitrateN()[d], Tol * (1 + M->NitrateN()[d]));
      ASSERT_NEAR(E->UptakeN()[d] / LbsPerKg, M->UptakeN()[d], Tol * (1 + M->UptakeN()[d]));
      ASSERT_NEAR(E->LeachedN()[d] / LbsPerKg, M->LeachedN()[d], Tol * (1 + M->LeachedN()[d]));
    }
  }
}

}  // namespace
