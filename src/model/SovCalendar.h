#pragma once
// The crop calendar: the event and growth-stage code tables, the four-stage crop
// coefficient curve (initial, development, mid-season, late season) sized from a
// crop's stage percentages and a season length, the user's stage marks that restart
// the calendar on any day, and the growing degree days of one day.
//
// Terms:
//   PlantingOffset: days from planting to emergence that the calendar assumes (12 for
//     an annual crop, 0 for a perennial one; TSovFile::DaysFromPlanting(crop, 0)).
//   SeasonDay: a day counted from planting; schedule day d has SeasonDay
//     d - DaysBeforeEmergence + PlantingOffset, so emergence is PlantingOffset + 1.
//   SeasonDays: the whole season from planting (TSovFile::TotalSeasonDays).
//   UserStages: the stage marks (0 none, 1-6 "I", "D", "M", "L", "Z", "S") of the
//     schedule days, index i being schedule day i + 1 (normally 365 entries). Values
//     outside 0-6 count as no mark.
//
// The routines that need the crop table take the lookup tables as first argument.
// Crop is a 1-based row of the crop table; a row that is not in it gives 0 results.

#include "SovLookup.h"

#include <QString>

#include <array>
#include <span>
#include <vector>

// ---------------------------------------------------------------------------
// Code tables
// ---------------------------------------------------------------------------

constexpr int EventCodeCount = 4;  // 1 "F", 2 "N", 3 "M", 4 "R"
constexpr int StageCodeCount = 6;  // 1 "I", 2 "D", 3 "M", 4 "L", 5 "Z", 6 "S"
constexpr int StageInit = 1, StageDev = 2, StageMid = 3, StageLate = 4, StageFrozen = 5, StageSnow = 6;

// The letter of event index 1-4; empty otherwise.
QString EventCode(int Index);
// 1-4 for "F", "N", "M", "R"; 0 otherwise (exact: case matters, no trimming).
int EventCodeIndex(const QString& Code);
// Letter ("I" ...) or name ("Init", "Dev", "Mid", "Late", "Frozen", "Snow") of stage
// 1-6; empty otherwise.
QString StageCode(int Index);
QString StageName(int Index);
// 1-6 for "I", "D", "M", "L", "Z", "S"; 0 otherwise (exact comparison).
int StageCodeIndex(const QString& Code);

// ---------------------------------------------------------------------------
// Calendar
// ---------------------------------------------------------------------------

// Whole days of stage 1-4 of the planned calendar: the stage's percent of SeasonDays,
// halves to even. 0 when Crop is not a crop row, SeasonDays is not above 0 or Stage is
// not 1-4.
int StageLength(const TSovLookup& Lookup, int Stage, int Crop, int SeasonDays);

// The calendar of one crop, season and set of stage marks, worked out once: the stage
// of every day and the realised stage lengths. The schedule computation makes one per
// calculation and asks it day by day; each question then costs a few steps instead of
// a walk over the whole year.
class TCropCalendar {
 public:
  TCropCalendar(const TSovLookup& Lookup, int Crop, int SeasonDays, std::span<const int> UserStages,
                int DaysBeforeEmergence, int PlantingOffset);

  // Stage 0-6 of the day: 0 past the season (or without a crop or season), 1-4 from
  // the planned calendar restarted at the nearest mark at or before the day, 5 or 6
  // after a frozen or snow mark. A day that the calendar puts in the stage the next
  // later mark names is reported in the stage before it.
  int StageOfDay(int SeasonDay) const;
  // Whole days that stage 1-4 lasts once the marks are applied (stage 1 counted from
  // planting). The raw count can be 0 or negative for a late-season stage that starts
  // after the planned season ends.
  int RealizedStageLength(int Stage) const;
  // The crop coefficient of the day: KcIni in stage 1, rising to KcMid through stage 2,
  // KcMid in stage 3, falling towards KcEnd through stage 4 (never below KcEnd) and
  // KcEnd otherwise. Always between the smallest and the largest of the three; 0
  // without a valid crop.
  double KcOfDay(int SeasonDay) const;

  bool Valid() const { return FValid; }

 private:
  // Planned calendar from stage S starting after Start days; 0 past the season.
  int PlannedStage(int S, int64_t Start, int64_t SeasonDay) const;

  const TCropRec* FCrop = nullptr;
  bool FValid = false;
  int64_t FDaysBeforeEmergence = 0;
  int64_t FPlantingOffset = 0;
  int64_t FHigh = -1;                 // last index of the marks
  int64_t FLow = 0;                   // first index that counts when searching back
  std::array<int64_t, 5> FLength{};   // planned stage lengths, 1-based
  std::array<int64_t, 5> FRealized{}; // realised stage lengths, 1-based
  std::vector<int> FMarks;            // 0-6 per index
  std::vector<int64_t> FLastMark;     // index of the nearest mark at or before i (>= FLow), or -1
  std::vector<int> FNextMark;         // first mark at or after i (size FHigh + 2), 0 when none
};

// Single questions; each works the calendar out afresh (linear in the number of
// marks). For many days make one TCropCalendar instead.
int StageOfDay(const TSovLookup& Lookup, int SeasonDay, int Crop, int SeasonDays, std::span<const int> UserStages,
               int DaysBeforeEmergence, int PlantingOffset);
int RealizedStageLength(const TSovLookup& Lookup, int Stage, int Crop, int SeasonDays,
                        std::span<const int> UserStages, int DaysBeforeEmergence, int PlantingOffset);
double KcOfDay(const TSovLookup& Lookup, int SeasonDay, int Crop, int SeasonDays, std::span<const int> UserStages,
               int DaysBeforeEmergence, int PlantingOffset);

// Growing degree days of one day with temperatures T1 and T2 (°C when IsMetric, else
// °F). Base and cap are the crop's GDDMinBase and GDDMaxBase (°C); when both are 0 the
// base is 10 °C / 50 °F without a cap. With a cap each temperature is first raised to
// the base and then lowered to the cap; without one a negative result becomes 0. 0 for
// a crop that is not a crop row or a temperature that is not finite.
double DailyGdd(const TSovLookup& Lookup, bool IsMetric, int Crop, double T1, double T2);
