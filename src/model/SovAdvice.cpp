#include "SovAdvice.h"

#include "MiscUtil.h"
#include "SovSched.h"

#include <cmath>

TSovAdvice::TSovAdvice(const TSovSchedule& S) {
  const int n = S.DayCount();
  const QDate Emergence = S.EmergenceDate();
  if (n > 0 && Emergence.isValid() && S.StartDate().addDays(n - 1) >= Emergence) {
    const int BeforeEmergence = S.DaysBeforeEmergence();
    const double AtEmergence = BeforeEmergence >= 1 ? S.GetCellFloat(BeforeEmergence, TSovSchedule::ColGDD) : 0;
    GddSinceEmergence = S.GetCellFloat(n, TSovSchedule::ColGDD) - AtEmergence;
  }
  // The field check keeps the efficiency within 10-100.
  if (!TryStrToInt(S.GetCell(1, SovCol::IrrigationEfficiency).trimmed(), Efficiency) || Efficiency <= 0) {
    Efficiency = FullEfficiency;
  }
  SafeWater = S.GetCellFloat(n, TSovSchedule::ColDepletedMoisture) * SafeShare / Efficiency * 100;
  Amount = S.IsMetric() ? AmountMm : AmountInches;
  const double ETCrop = S.GetCellFloat(n, TSovSchedule::ColETCrop);
  if (Amount < SafeWater) {
    DaysUntilAmount = 0;
  } else if (ETCrop > 0) {
    DaysUntilAmount = qint64(std::trunc((Amount + ETCrop - SafeWater) / ETCrop));
  }
  InefficiencyLoss = S.GetCellFloat(TSovSchedule::RowTotal, TSovSchedule::ColIrrigation) * (100 - Efficiency) / 100;
}

TSovDayNitrogen TSovAdvice::DayNitrogen(const TSovSchedule& S, int Day) {
  TSovDayNitrogen N;
  if (S.GetCell(Day, TSovSchedule::ColAmmoniumN).isEmpty()) return N;
  auto Cell = [&S, Day](int Col) { return S.GetCellFloat(Day, Col); };
  N.Available = Cell(TSovSchedule::ColAmmoniumN) + Cell(TSovSchedule::ColNitrateN);
  N.Loss = Cell(TSovSchedule::ColDenitrifiedN) + Cell(TSovSchedule::ColVolatilizedN) + Cell(TSovSchedule::ColLeachedN);
  if (!S.GetCell(Day, TSovSchedule::ColUptakeN).isEmpty()) N.Uptake = Cell(TSovSchedule::ColUptakeN);
  return N;
}
