#pragma once
// The advice a calculated schedule gives: the water that can be added safely on the
// last day, the days until one inch (25 mm) can be added without rain, what the
// irrigation inefficiency has lost so far, the growing degree days since emergence,
// and each day's nitrogen (available, lost, taken up). Every figure reads the
// schedule's cells back as numbers, so it works on the values as they are shown
// (rounded as the cells are), and is in the field's units.

#include <QtGlobal>

#include <optional>

class TSovSchedule;

// Nitrogen of one schedule day in the field's units; empty where the schedule has none.
struct TSovDayNitrogen {
  std::optional<double> Available;  // AmmoniumN + NitrateN
  std::optional<double> Loss;       // DenitrifiedN + VolatilizedN + LeachedN
  std::optional<double> Uptake;     // UptakeN (empty also for crops without uptake)
};

struct TSovAdvice {
  // Share of the last day's depletion that can be refilled without loss.
  static constexpr double SafeShare = 0.9;
  // Irrigation efficiency in percent when the field gives none that is usable.
  static constexpr int FullEfficiency = 100;
  // The amount the days are counted for: 1 inch on English fields, 25 mm on metric ones.
  static constexpr int AmountInches = 1;
  static constexpr int AmountMm = 25;

  explicit TSovAdvice(const TSovSchedule& Schedule);

  // The nitrogen figures of schedule day Day (1..DayCount).
  static TSovDayNitrogen DayNitrogen(const TSovSchedule& Schedule, int Day);

  int Efficiency = FullEfficiency;  // percent
  // Growing degree days from emergence to the last day; empty when the last day lies
  // before emergence (or there are no days).
  std::optional<double> GddSinceEmergence;
  // Water (depth) that can be added on the last day: the safe share of the depletion,
  // divided by the efficiency.
  double SafeWater = 0;
  int Amount = AmountInches;
  // Whole days until Amount can be added if no rain falls, at the last day's crop water
  // use: 0 when it can be added now; empty when the crop uses no water.
  std::optional<qint64> DaysUntilAmount;
  // Total irrigation lost to inefficiency (depth).
  double InefficiencyLoss = 0;
};
