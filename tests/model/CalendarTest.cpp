#include "FieldTestLookup.h"
#include "SovCalendar.h"
#include "SovFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

class CalendarTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Lookup = LoadFieldTestLookup().release(); }
  static void TearDownTestSuite() {
    delete Lookup;
    Lookup = nullptr;
  }
  static TSovLookup* Lookup;

  // Season from planting for a season of GrowingSeason days from emergence.
  static int SeasonOf(int Crop, int GrowingSeason) {
    TSovFile File(*Lookup, UsFormatSettings());
    File.SetCrop(Crop);
    return File.TotalSeasonDays(Crop, GrowingSeason);
  }
  static int OffsetOf(int Crop) {
    TSovFile File(*Lookup, UsFormatSettings());
    File.SetCrop(Crop);
    return File.DaysFromPlanting(Crop, 0);
  }
};
TSovLookup* CalendarTest::Lookup = nullptr;

std::vector<int> NoMarks() { return std::vector<int>(MaxDays, 0); }

// Marks by schedule day (1-based).
std::vector<int> Marks(std::initializer_list<std::pair<int, const char*>> DayCodes) {
  std::vector<int> Result = NoMarks();
  for (const auto& [Day, Code] : DayCodes) Result[size_t(Day - 1)] = StageCodeIndex(Code);
  return Result;
}

// ---------------------------------------------------------------------------
// Code tables
// ---------------------------------------------------------------------------

TEST(CodeTables, EventCodes) {
  const char* Codes[] = {"F", "N", "M", "R"};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(EventCode(i), Codes[i - 1]);
    EXPECT_EQ(EventCodeIndex(Codes[i - 1]), i);
  }
  for (int Bad : {INT_MIN, 0, 5, INT_MAX}) EXPECT_TRUE(EventCode(Bad).isEmpty());
  for (const char* Bad : {"f", " F", "F ", "", "FN", "I", "n"}) EXPECT_EQ(EventCodeIndex(Bad), 0) << Bad;
}

TEST(CodeTables, StageCodes) {
  const char* Codes[] = {"I", "D", "M", "L", "Z", "S"};
  const char* Names[] = {"Init", "Dev", "Mid", "Late", "Frozen", "Snow"};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(StageCode(i), Codes[i - 1]);
    EXPECT_EQ(StageName(i), Names[i - 1]);
    EXPECT_EQ(StageCodeIndex(Codes[i - 1]), i);
  }
  for (int Bad : {INT_MIN, 0, 7, INT_MAX}) {
    EXPECT_TRUE(StageCode(Bad).isEmpty());
    EXPECT_TRUE(StageName(Bad).isEmpty());
  }
  for (const char* Bad : {"i", " D", "Mid", "", "F", "z"}) EXPECT_EQ(StageCodeIndex(Bad), 0) << Bad;
}

// ---------------------------------------------------------------------------
// Planned calendar
// ---------------------------------------------------------------------------

TEST_F(CalendarTest, StageLengths) {
  EXPECT_EQ(SeasonOf(1, 100), 140);
  const int Expected[] = {21, 35, 56, 28};
  for (int Stage = 1; Stage <= 4; ++Stage) EXPECT_EQ(StageLength(*Lookup, Stage, 1, 140), Expected[Stage - 1]);
  // Halves go to the even neighbour: 15 % and 25 % of 130 are 19.5 and 32.5.
  EXPECT_EQ(StageLength(*Lookup, 1, 1, 130), 20);
  EXPECT_EQ(StageLength(*Lookup, 2, 1, 130), 32);
  // 15 % and 25 % of 150 are 22.5 and 37.5.
  EXPECT_EQ(StageLength(*Lookup, 1, 1, 150), 22);
  EXPECT_EQ(StageLength(*Lookup, 2, 1, 150), 38);
  for (int Bad : {0, 5, -1}) EXPECT_EQ(StageLength(*Lookup, Bad, 1, 140), 0);
  for (int Bad : {0, 4, -1, INT_MAX}) EXPECT_EQ(StageLength(*Lookup, 1, Bad, 140), 0);
  EXPECT_EQ(StageLength(*Lookup, 1, 1, 0), 0);
  EXPECT_EQ(StageLength(*Lookup, 1, 1, -140), 0);
  EXPECT_EQ(StageLength(*Lookup, 3, 1, INT_MAX), int(std::lround(0.4 * INT_MAX)));
}

TEST_F(CalendarTest, PerennialEmergesOnSeasonDayOne) {
  EXPECT_EQ(OffsetOf(2), 0);
  EXPECT_EQ(OffsetOf(1), 12);
  const std::vector<int> M = Marks({{5, "D"}});
  // Perennial, 4 days before emergence: schedule day 5 is season day 1 and carries the mark.
  TCropCalendar Calendar(*Lookup, 2, SeasonOf(2, 80), M, 4, 0);
  EXPECT_EQ(Calendar.StageOfDay(1), 2);
}

TEST_F(CalendarTest, WithoutMarks) {
  const std::vector<int> M = NoMarks();
  TCropCalendar Calendar(*Lookup, 1, 140, M, 10, 12);
  const struct {
    int SeasonDay, Stage;
  } Cases[] = {{13, 1}, {21, 1}, {22, 2}, {56, 2}, {57, 3}, {112, 3}, {113, 4}, {140, 4}, {141, 0}, {400, 0}};
  for (const auto& Case : Cases) EXPECT_EQ(Calendar.StageOfDay(Case.SeasonDay), Case.Stage) << Case.SeasonDay;
  const int Lengths[] = {21, 35, 56, 28};
  for (int Stage = 1; Stage <= 4; ++Stage) EXPECT_EQ(Calendar.RealizedStageLength(Stage), Lengths[Stage - 1]);

  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(13), 0.3);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(21), 0.3);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(22), 0.3 + 1.0 / 35 * 0.9);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(56), 1.2);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(80), 1.2);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(113), 1.2 + 1.0 / 28 * (0.35 - 1.2));
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(140), 0.35);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(141), 0.35);
}

// Counting the days of each stage over the whole year gives the planned lengths, and
// the four add up to the season (to within the rounding of each stage).
TEST_F(CalendarTest, StageDaysAddUpToTheSeason) {
  for (int Crop = 1; Crop <= 3; ++Crop) {
    for (int Growing : {50, 77, 100, 123, 200, 280}) {
      const int Season = SeasonOf(Crop, Growing);
      const int Offset = OffsetOf(Crop);
      SCOPED_TRACE("crop " + std::to_string(Crop) + " season " + std::to_string(Season));
      const std::vector<int> M = NoMarks();
      TCropCalendar Calendar(*Lookup, Crop, Season, M, 0, Offset);
      int Count[5] = {};
      for (int SeasonDay = 1; SeasonDay <= 800; ++SeasonDay) ++Count[Calendar.StageOfDay(SeasonDay)];
      int Planned = 0;
      for (int Stage = 1; Stage <= 4; ++Stage) {
        EXPECT_EQ(Count[Stage], StageLength(*Lookup, Stage, Crop, Season));
        Planned += StageLength(*Lookup, Stage, Crop, Season);
      }
      EXPECT_LE(std::abs(Planned - Season), 2);
      // (When the initial stage ends before emergence it is never seen and counts 1.)
      if (Season + 1 < MaxDays && StageLength(*Lookup, 1, Crop, Season) > Offset) {
        int Realized = 0;
        for (int Stage = 1; Stage <= 4; ++Stage) Realized += Calendar.RealizedStageLength(Stage);
        EXPECT_EQ(Realized, Season);  // the late stage runs to the end of the season
      }
      // The mid-season stage ends on the last day of GrowingSeason after emergence.
      EXPECT_NEAR(Count[1] + Count[2] + Count[3], Offset + Growing, 2);
    }
  }
}

// ---------------------------------------------------------------------------
// Marks
// ---------------------------------------------------------------------------

TEST_F(CalendarTest, DevelopmentMarkRestartsTheCalendar) {
  // Schedule day 5 is season day 17 (no days before emergence, offset 12).
  const std::vector<int> M = Marks({{5, "D"}});
  TCropCalendar Calendar(*Lookup, 1, 140, M, 0, 12);
  EXPECT_EQ(Calendar.StageOfDay(16), 1);
  EXPECT_EQ(Calendar.StageOfDay(17), 2);
  EXPECT_EQ(Calendar.StageOfDay(51), 2);  // 16 + 35
  EXPECT_EQ(Calendar.StageOfDay(52), 3);
  EXPECT_EQ(Calendar.StageOfDay(107), 3);
  EXPECT_EQ(Calendar.StageOfDay(108), 4);
  EXPECT_EQ(Calendar.StageOfDay(135), 4);
  EXPECT_EQ(Calendar.StageOfDay(136), 0);
  EXPECT_EQ(Calendar.RealizedStageLength(1), 16);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(17), 0.3 + 1.0 / 35 * 0.9);
}

TEST_F(CalendarTest, LaterMidMarkKeepsDaysInDevelopment) {
  // Schedule day 81 is season day 93.
  const std::vector<int> M = Marks({{81, "M"}});
  TCropCalendar Calendar(*Lookup, 1, 140, M, 0, 12);
  EXPECT_EQ(Calendar.StageOfDay(56), 2);
  EXPECT_EQ(Calendar.StageOfDay(57), 2);  // the plan says 3, the mark ahead says not yet
  EXPECT_EQ(Calendar.StageOfDay(92), 2);
  EXPECT_EQ(Calendar.StageOfDay(93), 3);
  EXPECT_EQ(Calendar.StageOfDay(148), 3);  // 92 + 56
  EXPECT_EQ(Calendar.StageOfDay(149), 4);
  EXPECT_EQ(Calendar.RealizedStageLength(2), 71);  // season days 22..92
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(60), 0.3 + 39.0 / 71 * 0.9);
  EXPECT_DOUBLE_EQ(Calendar.KcOfDay(92), 0.3 + 71.0 / 71 * 0.9);
}

TEST_F(CalendarTest, FrozenAndSnowMarks) {
  const std::vector<int> M = Marks({{31, "Z"}, {36, "S"}, {41, "D"}});  // season days 43, 48, 53
  TCropCalendar Calendar(*Lookup, 1, 140, M, 0, 12);
  EXPECT_EQ(Calendar.StageOfDay(42), 2);
  for (int SeasonDay = 43; SeasonDay <= 47; ++SeasonDay) {
    EXPECT_EQ(Calendar.StageOfDay(SeasonDay), 5);
    EXPECT_DOUBLE_EQ(Calendar.KcOfDay(SeasonDay), 0.35);
  }
  for (int SeasonDay = 48; SeasonDay <= 52; ++SeasonDay) EXPECT_EQ(Calendar.StageOfDay(SeasonDay), 6);
  EXPECT_EQ(Calendar.StageOfDay(53), 2);
}

TEST_F(CalendarTest, MarksBeforeEmergenceAreNotSeen) {
  // Ten days before emergence; a mark on day 5 lies before it.
  const std::vector<int> M = Marks({{5, "L"}});
  TCropCalendar Calendar(*Lookup, 1, 140, M, 10, 12);
  EXPECT_EQ(Calendar.StageOfDay(13), 1);
  EXPECT_EQ(Calendar.StageOfDay(113), 4);
}

TEST_F(CalendarTest, LateSeasonNeverBelowKcEnd) {
  // Rising: KcEnd 1.1 above KcMid 0.8.
  const int Season = SeasonOf(3, 100);
  const std::vector<int> M = NoMarks();
  TCropCalendar Calendar(*Lookup, 3, Season, M, 0, 12);
  int LateDays = 0;
  for (int SeasonDay = 1; SeasonDay <= Season + 5; ++SeasonDay) {
    if (Calendar.StageOfDay(SeasonDay) == 4) {
      ++LateDays;
      EXPECT_DOUBLE_EQ(Calendar.KcOfDay(SeasonDay), 1.1);
    }
  }
  EXPECT_GT(LateDays, 0);
  // Corn: the late season falls to KcEnd and not beyond.
  TCropCalendar Corn(*Lookup, 1, 140, M, 0, 12);
  for (int SeasonDay = 113; SeasonDay <= 140; ++SeasonDay) {
    EXPECT_GE(Corn.KcOfDay(SeasonDay), 0.35);
    EXPECT_LE(Corn.KcOfDay(SeasonDay), 1.2);
  }
}

// A late-season mark after the planned season leaves the late stage a length of 0 or
// less; the coefficient must stay finite and within the crop's values.
TEST_F(CalendarTest, LateMarkAfterTheSeason) {
  // Mark on index 128 (season day 141): realised late length 140 - 128 - 12 = 0.
  std::vector<int> M = NoMarks();
  M[128] = StageLate;
  TCropCalendar AtEnd(*Lookup, 1, 140, M, 0, 12);
  EXPECT_EQ(AtEnd.RealizedStageLength(4), 0);
  // Mark on index 200 (season day 213): realised late length -72.
  M[128] = 0;
  M[200] = StageLate;
  TCropCalendar Beyond(*Lookup, 1, 140, M, 0, 12);
  EXPECT_EQ(Beyond.RealizedStageLength(4), -72);
  for (const TCropCalendar* Calendar : {&AtEnd, &Beyond}) {
    for (int SeasonDay = 1; SeasonDay <= 400; ++SeasonDay) {
      const double Kc = Calendar->KcOfDay(SeasonDay);
      ASSERT_TRUE(std::isfinite(Kc)) << SeasonDay;
      EXPECT_GE(Kc, 0.3) << SeasonDay;
      EXPECT_LE(Kc, 1.2) << SeasonDay;
    }
  }
  EXPECT_EQ(Beyond.StageOfDay(213), 4);
  EXPECT_DOUBLE_EQ(Beyond.KcOfDay(213), 0.35);  // the season is over: straight to KcEnd
}

TEST_F(CalendarTest, BadInputsNeverCrash) {
  const std::vector<int> M = NoMarks();
  // No crop or no season.
  for (int Crop : {0, 4, -1, INT_MAX}) {
    TCropCalendar Calendar(*Lookup, Crop, 140, M, 0, 12);
    EXPECT_EQ(Calendar.StageOfDay(20), 0);
    EXPECT_EQ(Calendar.KcOfDay(20), 0.0);
    EXPECT_EQ(Calendar.RealizedStageLength(1), 0);
  }
  TCropCalendar NoSeason(*Lookup, 1, 0, M, 0, 12);
  EXPECT_EQ(NoSeason.StageOfDay(20), 0);
  EXPECT_DOUBLE_EQ(NoSeason.KcOfDay(20), 0.35);
  // Short, empty and odd mark lists, far-off days and emergence beyond the year.
  std::vector<int> Odd = {0, 7, -3, 2, 99};
  const std::vector<std::vector<int>> Lists = {{}, Odd, std::vector<int>(2000, 3)};
  for (const auto& List : Lists) {
    for (int Before : {INT_MIN, -50, 0, 3, 364, 365, 5000, INT_MAX}) {
      TCropCalendar Calendar(*Lookup, 1, 140, List, Before, 12);
      for (int SeasonDay : {INT_MIN, -5, 0, 1, 13, 100, 141, 5000, INT_MAX}) {
        const int Stage = Calendar.StageOfDay(SeasonDay);
        EXPECT_GE(Stage, 0);
        EXPECT_LE(Stage, 6);
        const double Kc = Calendar.KcOfDay(SeasonDay);
        EXPECT_TRUE(std::isfinite(Kc));
        EXPECT_GE(Kc, 0.3);
        EXPECT_LE(Kc, 1.2);
      }
    }
  }
  // Values outside 0-6 count as no mark.
  const std::vector<int> Garbage = {7, -3, 99};
  TCropCalendar WithGarbage(*Lookup, 1, 140, Garbage, 0, 12);
  EXPECT_EQ(WithGarbage.StageOfDay(13), 1);
  EXPECT_EQ(WithGarbage.StageOfDay(14), 1);
}

TEST_F(CalendarTest, SingleQuestionsMatchTheCalendar) {
  const std::vector<int> M = Marks({{20, "D"}, {60, "Z"}, {66, "M"}, {130, "L"}});
  TCropCalendar Calendar(*Lookup, 1, 140, M, 7, 12);
  for (int SeasonDay = 1; SeasonDay <= 380; SeasonDay += 7) {
    EXPECT_EQ(StageOfDay(*Lookup, SeasonDay, 1, 140, M, 7, 12), Calendar.StageOfDay(SeasonDay));
    EXPECT_EQ(KcOfDay(*Lookup, SeasonDay, 1, 140, M, 7, 12), Calendar.KcOfDay(SeasonDay));
  }
  for (int Stage = 0; Stage <= 5; ++Stage)
    EXPECT_EQ(RealizedStageLength(*Lookup, Stage, 1, 140, M, 7, 12), Calendar.RealizedStageLength(Stage));
}

// ---------------------------------------------------------------------------
// Against a plain day-by-day walk
// ---------------------------------------------------------------------------

// The calendar worked out the slow way, one day at a time with a full search of the
// marks; the stage lengths as divisors kept at one day at least.
struct SlowCalendar {
  const TSovLookup& Lookup;
  int Crop, SeasonDays;
  const std::vector<int>& Marks;
  int Before, Offset;

  int StageOfDay(int SeasonDay) const {
    if (Crop == 0 || SeasonDays == 0) return 0;
    const int High = int(Marks.size()) - 1;
    const int t = SeasonDay + Before - Offset - 1;
    int Stage = 1, Start = 0;
    if (t >= Before) {
      for (int i = t; i >= std::max(Before, 0); --i) {
        if (i > High || Marks[size_t(i)] == 0) continue;
        const int Mark = Marks[size_t(i)];
        if (Mark >= 5) return Mark;
        Stage = Mark;
        Start = (i + 1 - Before + Offset) - 1;
        break;
      }
    }
    bool Found = false;
    for (; Stage <= 4; ++Stage) {
      Start += ::StageLength(Lookup, Stage, Crop, SeasonDays);
      if (SeasonDay <= Start) {
        Found = true;
        break;
      }
    }
    if (!Found) return 0;
    for (int i = std::max(t + 1, 0); i <= High; ++i)
      if (Marks[size_t(i)] != 0) return Marks[size_t(i)] == Stage ? Stage - 1 : Stage;
    return Stage;
  }

  int RealizedStageLength(int Stage) const {
    const int High = int(Marks.size()) - 1;
    int First = -1;
    for (int j = 0; j <= High - Before; ++j) {
      const int S = StageOfDay(Offset + j + 1);
      if (First < 0 && S == Stage)
        First = j;
      else if (First >= 0 && S == Stage + 1)
        return j - First + (Stage == 1 ? Offset : 0);
    }
    return Stage == 4 ? SeasonDays - First - Offset : 1;
  }
};

TEST_F(CalendarTest, RandomMarksMatchTheSlowWalk) {
  std::mt19937 Random(20250117);
  for (int Trial = 0; Trial < 40; ++Trial) {
    const int Crop = 1 + int(Random() % 3);
    const int Growing = 50 + int(Random() % 250);
    // Some trials have emergence before the first schedule day.
    const int Before = int(Random() % 120) - (Trial % 5 == 1 ? 60 : 0);
    const int Season = SeasonOf(Crop, Growing);
    const int Offset = OffsetOf(Crop);
    const unsigned Density = Trial % 4 == 0 ? 5 : 40;  // one mark in Density days
    std::vector<int> M = NoMarks();
    for (int& Mark : M)
      if (Random() % Density == 0) Mark = 1 + int(Random() % 6);
    SCOPED_TRACE("trial " + std::to_string(Trial));
    const SlowCalendar Slow{*Lookup, Crop, Season, M, Before, Offset};
    const TCropCalendar Fast(*Lookup, Crop, Season, M, Before, Offset);
    for (int Stage = 1; Stage <= 4; ++Stage) EXPECT_EQ(Fast.RealizedStageLength(Stage), Slow.RealizedStageLength(Stage));
    for (int Day = 1; Day <= MaxDays; ++Day) {
      const int SeasonDay = Day - Before + Offset;
      ASSERT_EQ(Fast.StageOfDay(SeasonDay), Slow.StageOfDay(SeasonDay)) << "day " << Day;
    }
  }
}

// Whatever the marks, the coefficient is finite and within the crop's values.
TEST_F(CalendarTest, KcStaysInsideTheCropRange) {
  std::mt19937 Random(424242);
  for (int Trial = 0; Trial < 600; ++Trial) {
    const int Crop = 1 + int(Random() % 3);
    const TCropRec& Rec = Lookup->Crop(Crop);
    const double Low = std::min({Rec.KcIni, Rec.KcMid, Rec.KcEnd});
    const double High = std::max({Rec.KcIni, Rec.KcMid, Rec.KcEnd});
    const int Growing = 50 + int(Random() % 316);
    const int Before = int(Random() % 200);
    const unsigned Density = 2 + Random() % 60;
    std::vector<int> M = NoMarks();
    for (int& Mark : M)
      if (Random() % Density == 0) Mark = 1 + int(Random() % 6);
    const int Offset = OffsetOf(Crop);
    const TCropCalendar Calendar(*Lookup, Crop, SeasonOf(Crop, Growing), M, Before, Offset);
    for (int Day = Before + 1; Day <= MaxDays; ++Day) {
      const double Kc = Calendar.KcOfDay(Day - Before + Offset);
      ASSERT_TRUE(std::isfinite(Kc));
      ASSERT_GE(Kc, Low) << "trial " << Trial << " day " << Day;
      ASSERT_LE(Kc, High) << "trial " << Trial << " day " << Day;
    }
  }
}

// ---------------------------------------------------------------------------
// Growing degree days
// ---------------------------------------------------------------------------

TEST_F(CalendarTest, DailyGdd) {
  const struct {
    int Crop;
    bool IsMetric;
    double T1, T2, Expected;
  } Cases[] = {
      // Corn: base 10 °C, cap 30 °C (50 °F and 86 °F).
      {1, true, 35, 8, 10},
      {1, true, 20, 25, 12.5},
      {1, true, 5, 8, 0},
      {1, true, 40, 35, 20},
      {1, false, 95, 46.4, 18},
      {1, false, 40, 30, 0},
      // Alfalfa: no bases, so 10 °C / 50 °F without a cap.
      {2, true, 20, 10, 5},
      {2, true, 5, 0, 0},
      {2, true, 45, 35, 30},
      {2, false, 70, 40, 5},
      {2, false, 40, 30, 0},
      {2, false, 120, 100, 60},
      // Rising: base 5 °C (41 °F), no cap.
      {3, true, 0, 2, 0},
      {3, true, 20, 10, 10},
      {3, false, 60, 40, 9},
      // No crop.
      {0, true, 30, 20, 0},
      {4, false, 80, 60, 0},
  };
  for (const auto& Case : Cases)
    EXPECT_NEAR(DailyGdd(*Lookup, Case.IsMetric, Case.Crop, Case.T1, Case.T2), Case.Expected, 1e-9)
        << Case.Crop << " " << Case.IsMetric << " " << Case.T1 << " " << Case.T2;
  const double Nan = std::nan("");
  const double Inf = INFINITY;
  EXPECT_EQ(DailyGdd(*Lookup, true, 1, Nan, 20), 0.0);
  EXPECT_EQ(DailyGdd(*Lookup, true, 2, Inf, 20), 0.0);
  EXPECT_TRUE(std::isfinite(DailyGdd(*Lookup, true, 2, 1.7e308, 1.7e308)));
}

}  // namespace
