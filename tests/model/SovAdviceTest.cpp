// The advice figures worked out by hand from a schedule's cells: the water that can be
// added safely, the days until the amount, the inefficiency loss, the growing degree
// days since emergence and each day's nitrogen.

#include "SovAdvice.h"
#include "SovSched.h"
#include "TestSupport.h"

#include <optional>

namespace {

// A schedule whose results the test writes as a calculation would leave them: three
// days from April 5, 2016.
class TProbe : public TSovSchedule {
 public:
  using TSovSchedule::FAmmoniumN, TSovSchedule::FDenitrifiedN, TSovSchedule::FDepletedMoisture, TSovSchedule::FETCrop;
  using TSovSchedule::FGddSum, TSovSchedule::FIrrigation, TSovSchedule::FLeachedN, TSovSchedule::FMineralizedN;
  using TSovSchedule::FNitrateN, TSovSchedule::FUptakeN, TSovSchedule::FVolatilizedN;
  explicit TProbe(int DaysBeforeEmergence = 0, int Days = 3) : TSovSchedule(ShippedLookup(), UsFormatSettings()) {
    FDayCount = Days;
    FStartDate = QDate(2016, 4, 5);
    FEmergenceDate = FStartDate.addDays(DaysBeforeEmergence);
    FScalars.DaysBeforeEmergence = DaysBeforeEmergence;
  }
};

void ExpectFigure(const std::optional<double>& Got, const std::optional<double>& Want, const char* What) {
  ASSERT_EQ(Got.has_value(), Want.has_value()) << What;
  if (Want) {
    EXPECT_NEAR(*Got, *Want, 1e-9) << What;
  }
}

TEST(SovAdvice, WaterFigures) {
  // Last day's depletion and crop water use as calculated (the figures read them back
  // rounded to 2 decimals), the efficiency cell and the total irrigation.
  const struct {
    bool Metric;
    double Depleted, ETCrop;
    const char* Efficiency;
    double Irrigation;
    int Efficient;
    double Safe;
    int Amount;
    std::optional<qint64> Days;
    double Loss;
  } Cases[] = {
      {false, 1.2, 0.25, "90", 0, 90, 1.2, 1, 0, 0},           // 1.2 x 0.9 / 90 x 100 is more than 1
      {false, 0.5, 0.25, "90", 0, 90, 0.5, 1, 3, 0},           // (1 + 0.25 - 0.5) / 0.25 = 3
      {false, 0.5, 0, "90", 0, 90, 0.5, 1, std::nullopt, 0},   // no water use: no count
      {true, 10, 5, "90", 0, 90, 10, 25, 4, 0},                // (25 + 5 - 10) / 5 = 4
      {true, 9.996, 4.996, " 90 ", 0, 90, 10, 25, 4, 0},       // read back as 10.00 and 5.00
      {false, 0, 0.3, "80", 10, 80, 0, 1, 4, 2},               // 1.3 / 0.3 = 4.33; 10 x 20 % lost
      {false, 0.456, 0.25, "", 10, 100, 0.414, 1, 3, 0},       // 0.46 x 0.9; (1.25 - 0.414) / 0.25 = 3.34
      {false, 0.5, 0.25, "0", 10, 100, 0.45, 1, 3, 0},         // no usable efficiency: 100 %
      {false, 0.5, 0.25, "x", 10, 100, 0.45, 1, 3, 0},
      {false, 0.8, 0.1, "50", 4, 50, 1.44, 1, 0, 2},           // 0.8 x 0.9 / 50 x 100
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "depleted " << C.Depleted << " ET " << C.ETCrop << " efficiency '"
                                    << C.Efficiency << "'");
    TProbe P;
    P.SetIsMetric(C.Metric);
    P.SetCell(1, SovCol::IrrigationEfficiency, C.Efficiency);
    P.FDepletedMoisture[3] = C.Depleted;
    P.FETCrop[3] = C.ETCrop;
    P.FIrrigation[2] = C.Irrigation;
    const TSovAdvice A(P);
    EXPECT_EQ(A.Efficiency, C.Efficient);
    EXPECT_NEAR(A.SafeWater, C.Safe, 1e-9);
    EXPECT_EQ(A.Amount, C.Amount);
    EXPECT_EQ(A.DaysUntilAmount, C.Days);
    EXPECT_NEAR(A.InefficiencyLoss, C.Loss, 1e-9);
  }
}

TEST(SovAdvice, DegreeDaysSinceEmergence) {
  // Summed degree days 100, 500 and 1234.56 (shown 1234.6) on days 1-3.
  const struct {
    int Days, BeforeEmergence;
    std::optional<double> Gdd;
  } Cases[] = {
      {3, 0, 1234.6},        // emergence on the starting date: nothing to subtract
      {3, 1, 1134.6},        // less day 1
      {3, 2, 734.6},         // less day 2
      {3, 3, std::nullopt},  // emergence after the last day
      {0, 0, std::nullopt},  // no days
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Days << " days, " << C.BeforeEmergence << " before emergence");
    TProbe P(C.BeforeEmergence, C.Days);
    P.FGddSum[1] = 100;
    P.FGddSum[2] = 500;
    P.FGddSum[3] = 1234.56;
    ExpectFigure(TSovAdvice(P).GddSinceEmergence, C.Gdd, "GDD");
  }
}

TEST(SovAdvice, DayNitrogen) {
  // Each amount is read back with 1 decimal before it is summed.
  const struct {
    const char* Crop;
    double Mineralized, Ammonium, Nitrate, Denitrified, Volatilized, Leached, Uptake;
    std::optional<double> Available, Loss, Taken;
  } Cases[] = {
      {"Maize grain", 0.5, 20.44, 30.3, 1.04, 2, 3.06, 4.5, 50.7, 6.1, 4.5},  // 1.0 + 2.0 + 3.1
      {"Maize grain", 0.5, 0, 0, 0, 0, 7.5, 0, 0, 7.5, 0},                    // leaching alone
      {"Maize grain", 0.5, 0, 0, 0.25, 0, 0, 0, 0, 0.3, 0},                   // 0.25 shown 0.3
      {"", 0.5, 10, 5, 1, 1, 1, 4.5, 15, 3, std::nullopt},                    // no crop: no uptake
      {"Maize grain", 0, 20, 30, 1, 2, 3, 4, std::nullopt, std::nullopt, std::nullopt},  // no nitrogen results
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "crop '" << C.Crop << "' leached " << C.Leached);
    TProbe P;
    P.SetCell(1, SovCol::Crop, C.Crop);
    std::tie(P.FMineralizedN[2], P.FAmmoniumN[2], P.FNitrateN[2], P.FDenitrifiedN[2], P.FVolatilizedN[2],
             P.FLeachedN[2], P.FUptakeN[2]) =
        std::tuple(C.Mineralized, C.Ammonium, C.Nitrate, C.Denitrified, C.Volatilized, C.Leached, C.Uptake);
    const TSovDayNitrogen N = TSovAdvice::DayNitrogen(P, 2);
    ExpectFigure(N.Available, C.Available, "available");
    ExpectFigure(N.Loss, C.Loss, "loss");
    ExpectFigure(N.Uptake, C.Taken, "uptake");
  }
}

}  // namespace
