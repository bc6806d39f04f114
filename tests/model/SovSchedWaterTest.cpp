// The water formulas one by one: published worked examples of the FAO-56 method,
// the psychrometric table, polar days, the drying and stress factors and the layered
// bucket.

#include "SovSched.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <vector>

using namespace SovWater;

namespace {

double Deg(double Degrees, double Minutes = 0) {
  const double Sign = Degrees < 0 ? -1.0 : 1.0;
  return Sign * (std::abs(Degrees) + Minutes / 60.0) * DegreesToRadians;
}

}  // namespace

TEST(SovSchedWater, PsychrometricConstantRows) {
  struct Case {
    double Elevation;
    double Gamma;
  };
  const Case Cases[] = {
      {-100, 0.067}, {0, 0.067},    {49.9, 0.067},   {50, 0.067},     {149.9, 0.067},
      {150, 0.066},  {250, 0.065},  {1000, 0.060},   {1049, 0.060},   {1050, 0.059},
      {2000, 0.053}, {3000, 0.047}, {3949.9, 0.042}, {3950, 0.041},   {4000, 0.041},
      {9000, 0.041}, {350, 0.064},  {450, 0.064},    {2350, 0.051},   {3850, 0.042},
  };
  for (const Case& C : Cases) {
    EXPECT_DOUBLE_EQ(PsychrometricConstant(C.Elevation), C.Gamma) << C.Elevation;
  }
}

TEST(SovSchedWater, VapourPressure) {
  // FAO-56 Annex 2 Table 2.3: e°(20) = 2.338, e°(12.3) = 1.431, e°(21.5) = 2.564.
  EXPECT_NEAR(SatVapourPressure(20), 2.338, 0.0005);
  EXPECT_NEAR(SatVapourPressure(12.3), 1.431, 0.0005);
  EXPECT_NEAR(SatVapourPressure(21.5), 2.564, 0.0005);
  // Missing humidity: the low temperature stands in for the dew point.
  EXPECT_DOUBLE_EQ(ActualVapourPressure(30, 15, -1), SatVapourPressure(15));
  EXPECT_DOUBLE_EQ(ActualVapourPressure(30, 15, 50),
                   (SatVapourPressure(30) + SatVapourPressure(15)) / 2 * 0.5);
  EXPECT_DOUBLE_EQ(ActualVapourPressure(30, 15, 0), 0.0);
}

TEST(SovSchedWater, ExtraterrestrialRadiationExample8) {
  // 20 degrees south on 3 September (day 246): Ra = 32.2 MJ m-2 day-1.
  EXPECT_NEAR(ExtraterrestrialRadiation(Deg(-20), 246), 32.2, 0.05);
}

TEST(SovSchedWater, LyonRadiation) {
  // 45°43' N, 200 m, 15 July (day 196), Tmax 26.6, Tmin 14.8, inland.
  const double ea = ActualVapourPressure(26.6, 14.8, -1);
  const TRadiation R = DailyRadiation(Deg(45, 43), 196, 200, false, 26.6, 14.8, ea);
  EXPECT_NEAR(R.Ra, 40.55, 0.01);
  EXPECT_NEAR(R.Rs, 22.29, 0.01);
  EXPECT_NEAR(R.Rso, (0.75 + 2 * 200.0 / 100000) * R.Ra, 1e-12);
  EXPECT_DOUBLE_EQ(R.Rns, 0.77 * R.Rs);
  // Coastal fields use 0.19: 22.29 / 0.16 * 0.19 = 26.47, still below Rso 30.58.
  const TRadiation C = DailyRadiation(Deg(45, 43), 196, 200, true, 26.6, 14.8, ea);
  EXPECT_NEAR(C.Rs, R.Rs / 0.16 * 0.19, 1e-9);
}

TEST(SovSchedWater, SolarRadiationNeverAboveClearSky) {
  // A 40 degree range on a coastal field: 0.19 * sqrt(40) = 1.20 > 0.754.
  const TRadiation R = DailyRadiation(Deg(40), 180, 200, true, 45, 5, 1.0);
  EXPECT_DOUBLE_EQ(R.Rs, R.Rso);
}

TEST(SovSchedWater, BrusselsNetRadiationAndPenmanMonteith) {
  // FAO-56 Example 18 (Brussels, 6 July, 100 m) with its measured Rs 22.07 and ea
  // 1.409: Rso 30.90, Rnl 3.71, Rn 13.28; ETo 3.9 mm/day (there with gamma 0.0666,
  // here with the tabulated 0.067 of 100 m).
  const double Ra = ExtraterrestrialRadiation(Deg(50, 48), 187);
  EXPECT_NEAR(Ra, 41.09, 0.01);
  const double Rso = (0.75 + 2 * 100.0 / 100000) * Ra;
  EXPECT_NEAR(Rso, 30.90, 0.01);
  const double Rnl = NetLongwaveRadiation(21.5, 12.3, 1.409, 22.07 / Rso);
  EXPECT_NEAR(Rnl, 3.71, 0.01);
  const double Rn = 0.77 * 22.07 - Rnl;
  EXPECT_NEAR(Rn, 13.28, 0.01);
  const double es = (SatVapourPressure(21.5) + SatVapourPressure(12.3)) / 2;
  EXPECT_NEAR(es, 1.997, 0.001);
  const double ETo = PenmanMonteith(Rn, 16.9, es, 1.409, 2.078, PsychrometricConstant(100));
  EXPECT_NEAR(ETo, 3.9, 0.05);
}

TEST(SovSchedWater, ReferenceEtPutsThePiecesTogether) {
  const TRefEtDay D = ReferenceEt(Deg(45, 43), 196, 200, false, 26.6, 14.8, 2.0, 65);
  const double ea = ActualVapourPressure(26.6, 14.8, 65);
  EXPECT_DOUBLE_EQ(D.ea, ea);
  EXPECT_DOUBLE_EQ(D.Gamma, 0.066);
  EXPECT_NEAR(D.Delta, 4098 * SatVapourPressure(20.7) / std::pow(20.7 + 237.3, 2), 1e-12);
  const TRadiation R = DailyRadiation(Deg(45, 43), 196, 200, false, 26.6, 14.8, ea);
  EXPECT_DOUBLE_EQ(D.Radiation.Rn, R.Rn);
  EXPECT_DOUBLE_EQ(D.ETo, PenmanMonteith(R.Rn, 20.7, D.es, ea, 2.0, 0.066));
  EXPECT_GT(D.ETo, 3.0);
  EXPECT_LT(D.ETo, 7.0);
}

TEST(SovSchedWater, PolarDaysStayFinite) {
  struct Case {
    double LatitudeDeg;
    int J;
    double HourAngle;  // < 0: between 0 and pi
  };
  // 80 N: midnight sun in June, polar night in December; 80 S the other way round.
  const Case Cases[] = {
      {80, 172, M_PI}, {80, 355, 0}, {-80, 172, 0}, {-80, 355, M_PI},
      {90, 172, M_PI}, {-90, 172, 0}, {66.0, 172, -1}, {70, 80, -1},
  };
  for (const Case& C : Cases) {
    const double ws = SunsetHourAngle(Deg(C.LatitudeDeg), C.J);
    if (C.HourAngle >= 0) {
      EXPECT_NEAR(ws, C.HourAngle, 1e-12) << C.LatitudeDeg << " " << C.J;
    } else {
      EXPECT_GT(ws, 0.0);
      EXPECT_LT(ws, M_PI);
    }
    const double Ra = ExtraterrestrialRadiation(Deg(C.LatitudeDeg), C.J);
    EXPECT_TRUE(std::isfinite(Ra));
    EXPECT_GE(Ra, 0.0);
    for (double Low : {-40.0, -10.0, 5.0}) {
      const TRefEtDay D = ReferenceEt(Deg(C.LatitudeDeg), C.J, 0, false, Low + 10, Low, 3, -1);
      EXPECT_TRUE(std::isfinite(D.Radiation.Rn));
      EXPECT_TRUE(std::isfinite(D.ETo)) << C.LatitudeDeg << " " << C.J << " " << Low;
    }
  }
  // Polar night: no sunlight, and a full day of it in the midnight sun gives more
  // than any mid-latitude summer day.
  EXPECT_EQ(ExtraterrestrialRadiation(Deg(80), 355), 0.0);
  EXPECT_GT(ExtraterrestrialRadiation(Deg(80), 172), ExtraterrestrialRadiation(Deg(45), 172));
  // On a night-long day the longwave term uses the limit of Rs / Rso.
  const TRadiation N = DailyRadiation(Deg(80), 355, 0, false, -10, -20, 0.1);
  EXPECT_EQ(N.Rs, 0.0);
  EXPECT_DOUBLE_EQ(N.Rnl, NetLongwaveRadiation(-10, -20, 0.1, 0.16 * std::sqrt(10.0) / 0.75));
  EXPECT_LT(N.Rn, 0.0);
}

TEST(SovSchedWater, LowAboveHighGivesNoRange) {
  const TRadiation R = DailyRadiation(Deg(40), 180, 0, false, 10, 12, 1.0);
  EXPECT_EQ(R.Rs, 0.0);
  EXPECT_TRUE(std::isfinite(R.Rn));
}

TEST(SovSchedWater, PreEmergenceKc) {
  const std::pair<int, double> Cases[] = {{0, 0.4},   {9, 0.4},   {10, 0.38}, {35, 0.34},
                                          {99, 0.22}, {100, 0.2}, {19, 0.38}};
  for (const auto& [Residue, Kc] : Cases) EXPECT_NEAR(PreEmergenceKc(Residue), Kc, 1e-15);
}

TEST(SovSchedWater, SurfaceDryingFactor) {
  for (int t = -3; t < 6; ++t) EXPECT_EQ(SurfaceDryingFactor(t), 1.0);
  EXPECT_NEAR(SurfaceDryingFactor(6), 0.995, 0.0005);
  EXPECT_NEAR(SurfaceDryingFactor(10), 0.742, 0.0005);
  EXPECT_NEAR(SurfaceDryingFactor(30), 0.463, 0.0005);
  EXPECT_NEAR(SurfaceDryingFactor(100), 0.108, 0.0005);
  EXPECT_GT(SurfaceDryingFactor(123), 0.0);
  for (int t = 124; t <= 400; ++t) EXPECT_EQ(SurfaceDryingFactor(t), 0.0) << t;
  // The curve is falling all the way.
  for (int t = 6; t < 124; ++t) EXPECT_LT(SurfaceDryingFactor(t + 1), SurfaceDryingFactor(t));
}

TEST(SovSchedWater, DriedCropEtSigns) {
  // Wet surface: the crop use as it is, also a negative one (it adds water).
  EXPECT_EQ(DriedCropEt(4.0, 5), 4.0);
  EXPECT_EQ(DriedCropEt(-0.3, 1), -0.3);
  // Dry surface: reduced, never negative.
  EXPECT_DOUBLE_EQ(DriedCropEt(4.0, 10), 4.0 * SurfaceDryingFactor(10));
  EXPECT_EQ(DriedCropEt(-0.3, 6), 0.0);
  EXPECT_EQ(DriedCropEt(4.0, 150), 0.0);
  // A negative crop use long after a wetting stays 0 instead of turning positive.
  EXPECT_EQ(DriedCropEt(-0.3, 150), 0.0);
}

TEST(SovSchedWater, StressedCropEt) {
  EXPECT_EQ(StressedCropEt(5.0, 50), 5.0);
  EXPECT_EQ(StressedCropEt(5.0, 120), 5.0);
  EXPECT_DOUBLE_EQ(StressedCropEt(5.0, 40), 4.0);
  EXPECT_EQ(StressedCropEt(5.0, 0), 0.0);
}

TEST(SovSchedWater, LayerBalanceFillsDownwards) {
  const std::vector<double> Capacity = {10, 20, 30};
  std::vector<double> Water = {9, 5, 30};
  std::vector<double> Drain(3, -1);
  // 1 fills layer 1, 15 fills layer 2, nothing is left for layer 3 which is full.
  double Left = LayerBalance(16, Capacity, Water, Drain);
  EXPECT_EQ(Left, 0.0);
  EXPECT_EQ(Water, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(Drain, (std::vector<double>{15, 0, 0}));
  // Overfilling the last layer is excess water and the last layer's drain.
  Left = LayerBalance(7, Capacity, Water, Drain);
  EXPECT_EQ(Left, 7.0);
  EXPECT_EQ(Drain, (std::vector<double>{7, 7, 7}));
}

TEST(SovSchedWater, LayerBalanceDryTopPassesDemandDown) {
  const std::vector<double> Capacity = {10, 20};
  std::vector<double> Water = {3, 8};
  std::vector<double> Drain(2, -1);
  EXPECT_EQ(LayerBalance(-5, Capacity, Water, Drain), 0.0);
  EXPECT_EQ(Water, (std::vector<double>{0, 6}));
  EXPECT_EQ(Drain, (std::vector<double>{0, 0}));
  // More demand than the whole profile holds: what is left over is returned.
  EXPECT_EQ(LayerBalance(-10, Capacity, Water, Drain), -4.0);
  EXPECT_EQ(Water, (std::vector<double>{0, 0}));
}

TEST(SovSchedWater, LayerBalanceZeroCapacityLayerPassesEverythingOn) {
  const std::vector<double> Capacity = {0, 10};
  std::vector<double> Water = {0, 5};
  std::vector<double> Drain(2);
  EXPECT_EQ(LayerBalance(3, Capacity, Water, Drain), 0.0);
  EXPECT_EQ(Water, (std::vector<double>{0, 8}));
  EXPECT_EQ(Drain, (std::vector<double>{3, 0}));
  EXPECT_EQ(LayerBalance(-2, Capacity, Water, Drain), 0.0);
  EXPECT_EQ(Water, (std::vector<double>{0, 6}));
}

TEST(SovSchedWater, LayerBalanceRefusesShortArrays) {
  const std::vector<double> Capacity = {1, 2};
  std::vector<double> Water(1), Drain(2);
  EXPECT_THROW(LayerBalance(1, Capacity, Water, Drain), std::out_of_range);
}

TEST(SovSchedWater, LayerBalanceConservesWaterRandomly) {
  std::mt19937 Rng(1234);
  std::uniform_real_distribution<double> Cap(0.0, 60.0), Flow(-30.0, 40.0);
  for (int Run = 0; Run < 200; ++Run) {
    const int Count = 1 + Run % 10;
    std::vector<double> Capacity(Count), Water(Count), Drain(Count);
    for (int n = 0; n < Count; ++n) {
      Capacity[n] = Cap(Rng);
      Water[n] = Capacity[n] * std::uniform_real_distribution<double>(0, 1)(Rng);
    }
    for (int Day = 0; Day < 50; ++Day) {
      const double Before = std::accumulate(Water.begin(), Water.end(), 0.0);
      const double W = Flow(Rng);
      const double Left = LayerBalance(W, Capacity, Water, Drain);
      const double After = std::accumulate(Water.begin(), Water.end(), 0.0);
      const double Excess = Left > 0 ? Left : 0.0;
      if (Left >= 0) EXPECT_NEAR(After - Before, W - Excess, 1e-9);
      else EXPECT_EQ(After, 0.0);  // unmet demand only once the profile is empty
      EXPECT_EQ(Drain[Count - 1], Excess);
      for (int n = 0; n < Count; ++n) {
        EXPECT_GE(Water[n], 0.0);
        EXPECT_LE(Water[n], Capacity[n]);
        EXPECT_GE(Drain[n], 0.0);
      }
    }
  }
}

TEST(SovSchedWater, CheckedArrays) {
  TDayArray<double> Days;
  Days[1] = 1.5;
  Days[365] = 2.5;
  EXPECT_EQ(Days.at(1), 1.5);
  EXPECT_EQ(Days.items().front(), 1.5);
  EXPECT_EQ(Days.items().back(), 2.5);
  EXPECT_THROW(Days[0], std::out_of_range);
  EXPECT_THROW(Days[366], std::out_of_range);
  TLayerArray<int> Layers;
  EXPECT_EQ(Layers[10], 0);
  EXPECT_THROW(Layers[11], std::out_of_range);
  EXPECT_THROW(Layers[-1], std::out_of_range);
}
