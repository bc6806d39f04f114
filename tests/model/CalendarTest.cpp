// The crop calendar: code tables, stage lengths, stage marks, the crop coefficient
// against a slow day-by-day reference, and growing degree days.

#include "SovCalendar.h"
#include "TestSupport.h"

#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

const TSovLookup& Lookup() { return DataLookup("field/FieldLookup.ini"); }

// The season from planting for GrowingSeason days from emergence, and the planting offset.
int SeasonOf(int Crop, int GrowingSeason) {
  TSovFile File(Lookup(), UsFormatSettings());
  File.SetCrop(Crop);
  return GrowingSeason < 0 ? File.DaysFromPlanting(Crop, 0) : File.TotalSeasonDays(Crop, GrowingSeason);
}
int OffsetOf(int Crop) { return SeasonOf(Crop, -1); }

// Marks by schedule day (1-based).
std::vector<int> Marks(std::initializer_list<std::pair<int, const char*>> DayCodes) {
  std::vector<int> Result(MaxDays, 0);
  for (const auto& [Day, Code] : DayCodes) Result[size_t(Day - 1)] = StageCodeIndex(Code);
  return Result;
}

TEST(Calendar, CodeTables) {
  const char* Events[] = {"F", "N", "M", "R"};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(EventCode(i), Events[i - 1]);
    EXPECT_EQ(EventCodeIndex(Events[i - 1]), i);
  }
  const char* Codes[] = {"I", "D", "M", "L", "Z", "S"};
  const char* Names[] = {"Init", "Dev", "Mid", "Late", "Frozen", "Snow"};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(StageCode(i), Codes[i - 1]);
    EXPECT_EQ(StageName(i), Names[i - 1]);
    EXPECT_EQ(StageCodeIndex(Codes[i - 1]), i);
  }
  for (int Bad : {INT_MIN, 0, 7}) {
    EXPECT_EQ(StageCode(Bad), "") << Bad;
    EXPECT_EQ(StageName(Bad), "") << Bad;
  }
  for (int Bad : {INT_MIN, 0, 5}) EXPECT_TRUE(EventCode(Bad).isEmpty()) << Bad;
  for (const char* Bad : {"f", " F", "F ", "", "FN", "I", "n"}) EXPECT_EQ(EventCodeIndex(Bad), 0) << Bad;
  for (const char* Bad : {"i", " D", "Mid", "", "F", "z"}) EXPECT_EQ(StageCodeIndex(Bad), 0) << Bad;
}

TEST(Calendar, StageLengthsAndAPlainSeason) {
  EXPECT_EQ(SeasonOf(1, 100), 140);
  EXPECT_EQ(OffsetOf(1), 12);
  EXPECT_EQ(OffsetOf(2), 0);  // perennial
  const struct {
    int Stage, Crop, Season, Length;
  } Lengths[] = {{1, 1, 140, 21}, {2, 1, 140, 35}, {3, 1, 140, 56}, {4, 1, 140, 28},
                 {1, 1, 130, 20}, {2, 1, 130, 32}, {1, 1, 150, 22}, {2, 1, 150, 38},  // 19.5, 32.5, 22.5, 37.5
                 {0, 1, 140, 0},  {5, 1, 140, 0},  {1, 0, 140, 0},  {1, 4, 140, 0},  {1, 1, 0, 0}, {1, 1, -140, 0},
                 {3, 1, INT_MAX, int(std::lround(0.4 * INT_MAX))}};
  for (const auto& L : Lengths) EXPECT_EQ(StageLength(Lookup(), L.Stage, L.Crop, L.Season), L.Length) << L.Season;

  const std::vector<int> None(MaxDays, 0);
  TCropCalendar Calendar(Lookup(), 1, 140, None, 10, 12);
  for (const auto& [Day, Stage] : {std::pair{13, 1}, {21, 1}, {22, 2}, {56, 2}, {57, 3}, {112, 3}, {113, 4},
                                   {140, 4}, {141, 0}, {400, 0}})
    EXPECT_EQ(Calendar.StageOfDay(Day), Stage) << Day;
  for (int Stage = 1; Stage <= 4; ++Stage) EXPECT_EQ(Calendar.RealizedStageLength(Stage), Lengths[Stage - 1].Length);
  for (const auto& [Day, Kc] : {std::pair{13, 0.3}, {21, 0.3}, {22, 0.3 + 1.0 / 35 * 0.9}, {56, 1.2}, {80, 1.2},
                                {113, 1.2 + 1.0 / 28 * (0.35 - 1.2)}, {140, 0.35}, {141, 0.35}})
    EXPECT_DOUBLE_EQ(Calendar.KcOfDay(Day), Kc) << Day;
  // Counting each stage's days over the year gives the planned lengths; they add up to
  // the season, and the mid-season ends GrowingSeason days after emergence.
  for (int Crop = 1; Crop <= 3; ++Crop) {
    for (int Growing : {50, 77, 123, 280}) {
      const int Season = SeasonOf(Crop, Growing), Offset = OffsetOf(Crop);
      TCropCalendar C(Lookup(), Crop, Season, None, 0, Offset);
      int Count[5] = {}, Planned = 0;
      for (int Day = 1; Day <= 800; ++Day) ++Count[C.StageOfDay(Day)];
      for (int Stage = 1; Stage <= 4; ++Stage) {
        EXPECT_EQ(Count[Stage], StageLength(Lookup(), Stage, Crop, Season)) << Crop << " " << Growing;
        Planned += StageLength(Lookup(), Stage, Crop, Season);
      }
      EXPECT_LE(std::abs(Planned - Season), 2);
      EXPECT_NEAR(Count[1] + Count[2] + Count[3], Offset + Growing, 2);
    }
  }
}

TEST(Calendar, MarksRestartTheCalendar) {
  const struct {
    std::vector<int> Marks;
    int Before, Crop;
    std::vector<std::pair<int, int>> SeasonDayStages;
  } Cases[] = {
      // Schedule day 5 is season day 17: the development stage from there on.
      {Marks({{5, "D"}}), 0, 1, {{16, 1}, {17, 2}, {51, 2}, {52, 3}, {107, 3}, {108, 4}, {135, 4}, {136, 0}}},
      // A mid mark on season day 93 keeps the days before it in development.
      {Marks({{81, "M"}}), 0, 1, {{56, 2}, {57, 2}, {92, 2}, {93, 3}, {148, 3}, {149, 4}}},
      // Frozen on 43-47, snow on 48-52, development again from 53.
      {Marks({{31, "Z"}, {36, "S"}, {41, "D"}}), 0, 1, {{42, 2}, {43, 5}, {47, 5}, {48, 6}, {52, 6}, {53, 2}}},
      // Ten days before emergence: a mark on day 5 is not seen.
      {Marks({{5, "L"}}), 10, 1, {{13, 1}, {113, 4}}},
      // A perennial 4 days before emergence: day 5 is season day 1 and has the mark.
      {Marks({{5, "D"}}), 4, 2, {{1, 2}}},
      // Values outside 0-6 count as no mark.
      {{7, -3, 99}, 0, 1, {{13, 1}, {14, 1}}},
  };
  for (const auto& C : Cases) {
    TCropCalendar Calendar(Lookup(), C.Crop, SeasonOf(C.Crop, C.Crop == 2 ? 80 : 100), C.Marks, C.Before,
                           OffsetOf(C.Crop));
    for (const auto& [Day, Stage] : C.SeasonDayStages) EXPECT_EQ(Calendar.StageOfDay(Day), Stage) << Day;
  }
  TCropCalendar Dev(Lookup(), 1, 140, Cases[0].Marks, 0, 12);
  EXPECT_EQ(Dev.RealizedStageLength(1), 16);
  EXPECT_DOUBLE_EQ(Dev.KcOfDay(17), 0.3 + 1.0 / 35 * 0.9);
  TCropCalendar Mid(Lookup(), 1, 140, Cases[1].Marks, 0, 12);
  EXPECT_EQ(Mid.RealizedStageLength(2), 71);  // season days 22..92
  EXPECT_DOUBLE_EQ(Mid.KcOfDay(60), 0.3 + 39.0 / 71 * 0.9);
  TCropCalendar Frozen(Lookup(), 1, 140, Cases[2].Marks, 0, 12);
  EXPECT_DOUBLE_EQ(Frozen.KcOfDay(45), 0.35);
  // The single questions give what the calendar gives.
  const std::vector<int> M = Marks({{20, "D"}, {60, "Z"}, {66, "M"}, {130, "L"}});
  TCropCalendar Calendar(Lookup(), 1, 140, M, 7, 12);
  for (int Day = 1; Day <= 380; Day += 7) {
    EXPECT_EQ(StageOfDay(Lookup(), Day, 1, 140, M, 7, 12), Calendar.StageOfDay(Day));
    EXPECT_EQ(KcOfDay(Lookup(), Day, 1, 140, M, 7, 12), Calendar.KcOfDay(Day));
  }
  for (int Stage = 0; Stage <= 5; ++Stage)
    EXPECT_EQ(RealizedStageLength(Lookup(), Stage, 1, 140, M, 7, 12), Calendar.RealizedStageLength(Stage));
}

// A late-season mark after the planned season leaves the late stage a length of 0 or
// less, and a crop whose KcEnd is above its KcMid rises in the late season: the
// coefficient stays finite and within the crop's values, never below KcEnd late.
TEST(Calendar, KcStaysWithinTheCropsValues) {
  std::vector<int> M(MaxDays, 0);
  M[128] = StageLate;  // season day 141: realised late length 140 - 128 - 12 = 0
  TCropCalendar AtEnd(Lookup(), 1, 140, M, 0, 12);
  EXPECT_EQ(AtEnd.RealizedStageLength(4), 0);
  M[128] = 0;
  M[200] = StageLate;  // season day 213: -72
  TCropCalendar Beyond(Lookup(), 1, 140, M, 0, 12);
  EXPECT_EQ(Beyond.RealizedStageLength(4), -72);
  EXPECT_EQ(Beyond.StageOfDay(213), 4);
  EXPECT_DOUBLE_EQ(Beyond.KcOfDay(213), 0.35);  // the season is over: straight to KcEnd
  for (const TCropCalendar* Calendar : {&AtEnd, &Beyond})
    for (int Day = 1; Day <= 400; ++Day) ASSERT_TRUE(std::abs(Calendar->KcOfDay(Day) - 0.75) <= 0.45) << Day;
  const std::vector<int> None(MaxDays, 0);
  TCropCalendar Rising(Lookup(), 3, SeasonOf(3, 100), None, 0, 12);
  int LateDays = 0;
  for (int Day = 1; Day <= SeasonOf(3, 100) + 5; ++Day) {
    if (Rising.StageOfDay(Day) != 4) continue;
    ++LateDays;
    EXPECT_DOUBLE_EQ(Rising.KcOfDay(Day), 1.1) << Day;
  }
  EXPECT_GT(LateDays, 0);
  // No crop, no season, odd mark lists, far-off days, emergence beyond the year.
  for (int Crop : {0, 4, -1}) {
    const TCropCalendar NoCrop(Lookup(), Crop, 140, None, 0, 12);
    EXPECT_EQ(NoCrop.KcOfDay(20), 0) << Crop;
    EXPECT_EQ(NoCrop.StageOfDay(20), 0) << Crop;
    EXPECT_EQ(NoCrop.RealizedStageLength(1), 0) << Crop;
  }
  TCropCalendar NoSeason(Lookup(), 1, 0, None, 0, 12);
  EXPECT_EQ(NoSeason.StageOfDay(20), 0);
  EXPECT_DOUBLE_EQ(NoSeason.KcOfDay(20), 0.35);
  const std::vector<std::vector<int>> Lists = {{}, {0, 7, -3, 2, 99}, std::vector<int>(2000, 3)};
  for (const auto& List : Lists) {
    for (int Before : {INT_MIN, -50, 3, 365, INT_MAX}) {
      TCropCalendar Calendar(Lookup(), 1, 140, List, Before, 12);
      for (int Day : {INT_MIN, 0, 13, 141, INT_MAX}) {
        const int Stage = Calendar.StageOfDay(Day);
        const double Kc = Calendar.KcOfDay(Day);
        SCOPED_TRACE(testing::Message() << Before << " " << Day);
        EXPECT_GE(Stage, 0);
        EXPECT_LE(Stage, 6);
        EXPECT_GE(Kc, 0.3);
        EXPECT_LE(Kc, 1.2);
      }
    }
  }
  // Random marks on the three crops.
  std::mt19937 Random(424242);
  for (int Trial = 0; Trial < 200; ++Trial) {
    const int Crop = 1 + int(Random() % 3), Growing = 50 + int(Random() % 316), Before = int(Random() % 200);
    const TCropRec& Rec = Lookup().Crop(Crop);
    const unsigned Density = 2 + Random() % 60;
    std::vector<int> R(MaxDays, 0);
    for (int& Mark : R)
      if (Random() % Density == 0) Mark = 1 + int(Random() % 6);
    const int Offset = OffsetOf(Crop);
    const TCropCalendar Calendar(Lookup(), Crop, SeasonOf(Crop, Growing), R, Before, Offset);
    const double Low = std::min({Rec.KcIni, Rec.KcMid, Rec.KcEnd}), High = std::max({Rec.KcIni, Rec.KcMid, Rec.KcEnd});
    for (int Day = Before + 1; Day <= MaxDays; ++Day) {
      const double Kc = Calendar.KcOfDay(Day - Before + Offset);
      ASSERT_GE(Kc, Low) << "trial " << Trial << " day " << Day;
      ASSERT_LE(Kc, High) << "trial " << Trial << " day " << Day;
    }
  }
}

// The calendar worked out the slow way, one day at a time with a full search of the
// marks; the stage lengths as divisors kept at one day at least.
struct SlowCalendar {
  int Crop, SeasonDays;
  const std::vector<int>& Marks;
  int Before, Offset;

  int StageOfDay(int SeasonDay) const {
    const int High = int(Marks.size()) - 1;
    const int t = SeasonDay + Before - Offset - 1;
    int Stage = 1, Start = 0;
    for (int i = t; t >= Before && i >= std::max(Before, 0); --i) {
      if (i > High || Marks[size_t(i)] == 0) continue;
      if (Marks[size_t(i)] >= 5) return Marks[size_t(i)];
      Stage = Marks[size_t(i)];
      Start = i - Before + Offset;
      break;
    }
    while (Stage <= 4 && SeasonDay > (Start += StageLength(Lookup(), Stage, Crop, SeasonDays))) ++Stage;
    if (Stage > 4) return 0;
    for (int i = std::max(t + 1, 0); i <= High; ++i)
      if (Marks[size_t(i)] != 0) return Marks[size_t(i)] == Stage ? Stage - 1 : Stage;
    return Stage;
  }

  int RealizedStageLength(int Stage) const {
    int First = -1;
    for (int j = 0; j <= int(Marks.size()) - 1 - Before; ++j) {
      const int S = StageOfDay(Offset + j + 1);
      if (First < 0 && S == Stage) First = j;
      else if (First >= 0 && S == Stage + 1) return j - First + (Stage == 1 ? Offset : 0);
    }
    return Stage == 4 ? SeasonDays - First - Offset : 1;
  }
};

TEST(Calendar, RandomMarksMatchTheSlowWalk) {
  std::mt19937 Random(20250117);
  for (int Trial = 0; Trial < 40; ++Trial) {
    const int Crop = 1 + int(Random() % 3);
    const int Growing = 50 + int(Random() % 250);
    // Some trials have emergence before the first schedule day.
    const int Before = int(Random() % 120) - (Trial % 5 == 1 ? 60 : 0);
    const int Season = SeasonOf(Crop, Growing), Offset = OffsetOf(Crop);
    const unsigned Density = Trial % 4 == 0 ? 5 : 40;  // one mark in Density days
    std::vector<int> M(MaxDays, 0);
    for (int& Mark : M)
      if (Random() % Density == 0) Mark = 1 + int(Random() % 6);
    SCOPED_TRACE("trial " + std::to_string(Trial));
    const SlowCalendar Slow{Crop, Season, M, Before, Offset};
    const TCropCalendar Fast(Lookup(), Crop, Season, M, Before, Offset);
    for (int Stage = 1; Stage <= 4; ++Stage)
      EXPECT_EQ(Fast.RealizedStageLength(Stage), Slow.RealizedStageLength(Stage));
    for (int Day = 1; Day <= MaxDays; ++Day) {
      const int SeasonDay = Day - Before + Offset;
      ASSERT_EQ(Fast.StageOfDay(SeasonDay), Slow.StageOfDay(SeasonDay)) << "day " << Day;
    }
  }
}

TEST(Calendar, DailyGdd) {
  const struct {
    int Crop;
    bool IsMetric;
    double T1, T2, Expected;
  } Cases[] = {
      // Corn: base 10 °C, cap 30 °C (50 °F and 86 °F).
      {1, true, 35, 8, 10},    {1, true, 20, 25, 12.5}, {1, true, 5, 8, 0},     {1, true, 40, 35, 20},
      {1, false, 95, 46.4, 18}, {1, false, 40, 30, 0},
      // Alfalfa: no bases, so 10 °C / 50 °F without a cap.
      {2, true, 20, 10, 5},    {2, true, 45, 35, 30},   {2, false, 70, 40, 5},  {2, false, 120, 100, 60},
      // Rising: base 5 °C (41 °F), no cap; no crop.
      {3, true, 0, 2, 0},      {3, true, 20, 10, 10},   {3, false, 60, 40, 9},  {0, true, 30, 20, 0},
      {4, false, 80, 60, 0},   {1, true, NAN, 20, 0},   {2, true, INFINITY, 20, 0},
  };
  for (const auto& C : Cases)
    EXPECT_NEAR(DailyGdd(Lookup(), C.IsMetric, C.Crop, C.T1, C.T2), C.Expected, 1e-9) << C.Crop << " " << C.T1;
  EXPECT_TRUE(std::isfinite(DailyGdd(Lookup(), true, 2, 1.7e308, 1.7e308)));
}

}  // namespace
