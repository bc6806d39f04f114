// The water formulas one by one: published worked examples of the FAO-56 method,
// the psychrometric table, polar days, the drying and stress factors and the layered
// bucket.

#include "SovSched.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace SovWater;

namespace {

double Deg(double Degrees, double Minutes = 0) {
  return (Degrees < 0 ? -1 : 1) * (std::abs(Degrees) + Minutes / 60.0) * DegreesToRadians;
}

TEST(SovSchedWater, PsychrometricConstantAndVapourPressure) {
  const std::pair<double, double> Rows[] = {{-100, 0.067}, {149.9, 0.067}, {150, 0.066}, {1049, 0.060},
                                            {1050, 0.059}, {3949.9, 0.042}, {3950, 0.041}, {9000, 0.041}};
  for (const auto& [Elevation, Gamma] : Rows) EXPECT_DOUBLE_EQ(PsychrometricConstant(Elevation), Gamma) << Elevation;
  // FAO-56 Annex 2 Table 2.3.
  EXPECT_NEAR(SatVapourPressure(20), 2.338, 0.0005);
  EXPECT_NEAR(SatVapourPressure(12.3), 1.431, 0.0005);
  // Missing humidity: the low temperature stands in for the dew point.
  EXPECT_DOUBLE_EQ(ActualVapourPressure(30, 15, -1), SatVapourPressure(15));
  EXPECT_DOUBLE_EQ(ActualVapourPressure(30, 15, 50), (SatVapourPressure(30) + SatVapourPressure(15)) / 2 * 0.5);
}

TEST(SovSchedWater, WorkedExamples) {
  // Example 8: 20 degrees south on 3 September (day 246), Ra = 32.2 MJ m-2 day-1.
  EXPECT_NEAR(ExtraterrestrialRadiation(Deg(-20), 246), 32.2, 0.05);
  // Lyon: 45°43' N, 200 m, 15 July (day 196), 26.6/14.8 °C, inland.
  const double ea = ActualVapourPressure(26.6, 14.8, -1);
  const TRadiation R = DailyRadiation(Deg(45, 43), 196, 200, false, 26.6, 14.8, ea);
  EXPECT_NEAR(R.Ra, 40.55, 0.01);
  EXPECT_NEAR(R.Rs, 22.29, 0.01);
  EXPECT_NEAR(R.Rso, (0.75 + 2 * 200.0 / 100000) * R.Ra, 1e-12);
  EXPECT_DOUBLE_EQ(R.Rns, 0.77 * R.Rs);
  // Coastal fields use 0.19 in place of 0.16, and never more than clear sky.
  EXPECT_NEAR(DailyRadiation(Deg(45, 43), 196, 200, true, 26.6, 14.8, ea).Rs, R.Rs / 0.16 * 0.19, 1e-9);
  const TRadiation Clear = DailyRadiation(Deg(40), 180, 200, true, 45, 5, 1.0);
  EXPECT_DOUBLE_EQ(Clear.Rs, Clear.Rso);
  // Brussels (Example 18, 6 July, 100 m) with its measured Rs 22.07 and ea 1.409: Rso
  // 30.90, Rnl 3.71, Rn 13.28, ETo 3.9 mm/day (there with gamma 0.0666, here 0.067).
  const double Rso = (0.75 + 2 * 100.0 / 100000) * ExtraterrestrialRadiation(Deg(50, 48), 187);
  EXPECT_NEAR(Rso, 30.90, 0.01);
  const double Rnl = NetLongwaveRadiation(21.5, 12.3, 1.409, 22.07 / Rso);
  EXPECT_NEAR(Rnl, 3.71, 0.01);
  const double es = (SatVapourPressure(21.5) + SatVapourPressure(12.3)) / 2;
  EXPECT_NEAR(es, 1.997, 0.001);
  EXPECT_NEAR(PenmanMonteith(0.77 * 22.07 - Rnl, 16.9, es, 1.409, 2.078, PsychrometricConstant(100)), 3.9, 0.05);
  // The reference ET of a day puts the pieces together.
  const TRefEtDay D = ReferenceEt(Deg(45, 43), 196, 200, false, 26.6, 14.8, 2.0, 65);
  const double ea65 = ActualVapourPressure(26.6, 14.8, 65);
  EXPECT_DOUBLE_EQ(D.ETo, PenmanMonteith(D.Radiation.Rn, 20.7, D.es, ea65, 2.0, 0.066));
  // A low above the high gives no range, and no NaN.
  const TRadiation Low = DailyRadiation(Deg(40), 180, 0, false, 10, 12, 1.0);
  EXPECT_EQ(Low.Rs, 0.0);
  EXPECT_TRUE(std::isfinite(Low.Rn));
}

TEST(SovSchedWater, PolarDaysStayFinite) {
  // 80 N: midnight sun in June, polar night in December; the south the other way round.
  const struct {
    double Latitude;
    int J;
    double HourAngle;  // < 0: between 0 and pi
  } Cases[] = {{80, 172, M_PI}, {80, 355, 0}, {-80, 172, 0}, {-80, 355, M_PI}, {90, 172, M_PI}, {66.0, 172, -1}};
  for (const auto& C : Cases) {
    const double ws = SunsetHourAngle(Deg(C.Latitude), C.J);
    if (C.HourAngle < 0) {
      EXPECT_GT(ws, 0) << C.Latitude;
      EXPECT_LT(ws, M_PI) << C.Latitude;
    } else {
      EXPECT_NEAR(ws, C.HourAngle, 1e-12) << C.Latitude;
    }
    EXPECT_GE(ExtraterrestrialRadiation(Deg(C.Latitude), C.J), 0.0);
    for (double Low : {-40.0, 5.0}) {
      const TRefEtDay D = ReferenceEt(Deg(C.Latitude), C.J, 0, false, Low + 10, Low, 3, -1);
      EXPECT_TRUE(std::isfinite(D.Radiation.Rn)) << C.Latitude << " " << C.J << " " << Low;
      EXPECT_TRUE(std::isfinite(D.ETo)) << C.Latitude << " " << C.J << " " << Low;
    }
  }
  EXPECT_EQ(ExtraterrestrialRadiation(Deg(80), 355), 0.0);
  EXPECT_GT(ExtraterrestrialRadiation(Deg(80), 172), ExtraterrestrialRadiation(Deg(45), 172));
  // On a night-long day the longwave term uses the limit of Rs / Rso.
  const TRadiation N = DailyRadiation(Deg(80), 355, 0, false, -10, -20, 0.1);
  EXPECT_EQ(N.Rs, 0.0);
  EXPECT_DOUBLE_EQ(N.Rnl, NetLongwaveRadiation(-10, -20, 0.1, 0.16 * std::sqrt(10.0) / 0.75));
  EXPECT_LT(N.Rn, 0.0);
}

TEST(SovSchedWater, CropFactors) {
  for (const auto& [Residue, Kc] : {std::pair{9, 0.4}, {10, 0.38}, {35, 0.34}, {100, 0.2}})
    EXPECT_NEAR(PreEmergenceKc(Residue), Kc, 1e-15) << Residue;
  // Surface drying: 1 up to day 5, falling from day 6, 0 from day 124 on.
  for (const auto& [t, f] : {std::pair{-3, 1.0}, {5, 1.0}, {6, 0.995}, {10, 0.742}, {100, 0.108}, {124, 0.0},
                             {400, 0.0}})
    EXPECT_NEAR(SurfaceDryingFactor(t), f, 0.0005) << t;
  for (int t = 6; t < 123; ++t) EXPECT_LT(SurfaceDryingFactor(t + 1), SurfaceDryingFactor(t)) << t;
  EXPECT_GT(SurfaceDryingFactor(123), 0.0);
  // Wet surface: the crop use as it is, also a negative one; dry: reduced, never
  // negative, and a negative use long after a wetting stays 0.
  const std::pair<double, double> Uses[] = {
      {DriedCropEt(4.0, 5), 4.0},     {DriedCropEt(-0.3, 1), -0.3},  {DriedCropEt(4.0, 10), 4.0 * 0.741594},
      {DriedCropEt(-0.3, 6), 0.0},    {DriedCropEt(-0.3, 150), 0.0}, {StressedCropEt(5.0, 50), 5.0},
      {StressedCropEt(5.0, 40), 4.0}, {StressedCropEt(5.0, 0), 0.0}};
  for (const auto& [Value, Expected] : Uses) EXPECT_NEAR(Value, Expected, 1e-4);
}

TEST(SovSchedWater, LayerBalance) {
  using V = std::vector<double>;
  V Water = {9, 5, 30}, Drain(3, -1);
  // 1 fills layer 1, 15 fills layer 2, layer 3 is full; then an overfill is excess
  // water and every layer's drain.
  EXPECT_EQ(LayerBalance(16, V{10, 20, 30}, Water, Drain), 0.0);
  EXPECT_EQ(Water, (V{10, 20, 30}));
  EXPECT_EQ(Drain, (V{15, 0, 0}));
  EXPECT_EQ(LayerBalance(7, V{10, 20, 30}, Water, Drain), 7.0);
  EXPECT_EQ(Drain, (V{7, 7, 7}));
  // A dry top passes the demand down; more than the profile holds is handed back.
  Water = {3, 8};
  EXPECT_EQ(LayerBalance(-5, V{10, 20}, Water, Drain), 0.0);
  EXPECT_EQ(Water, (V{0, 6}));
  EXPECT_EQ(LayerBalance(-10, V{10, 20}, Water, Drain), -4.0);
  // A layer without capacity passes everything on.
  Water = {0, 5};
  EXPECT_EQ(LayerBalance(3, V{0, 10}, Water, Drain), 0.0);
  EXPECT_EQ(Water, (V{0, 8}));
  EXPECT_EQ(LayerBalance(-2, V{0, 10}, Water, Drain), 0.0);
  EXPECT_EQ(Water, (V{0, 6}));
  V Short(1);
  EXPECT_THROW(LayerBalance(1, V{1, 2}, Short, Drain), std::out_of_range);
}

TEST(SovSchedWater, CheckedArrays) {
  TDayArray<double> Days;
  Days[365] = 2.5;
  EXPECT_EQ(Days.items().back(), 2.5);
  EXPECT_THROW(Days[0], std::out_of_range);
  EXPECT_THROW(Days[366], std::out_of_range);
  TLayerArray<int> Layers;
  EXPECT_EQ(Layers[10], 0);
  EXPECT_THROW(Layers[11], std::out_of_range);
}

}  // namespace
