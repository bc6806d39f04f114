// The schedule served as cells: column names, the display rule of each day column,
// the four summary rows, and the values kept from the calculation.

#include "SovCalendar.h"
#include "SovSched.h"
#include "TestSupport.h"

#include <functional>

namespace {

using S = TSovSchedule;

// A schedule whose results the test writes as a calculation would leave them.
class TProbe : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  using TSovSchedule::BuildResultColumns, TSovSchedule::FScalars, TSovSchedule::FUserStage;
  using TSovSchedule::ReadDailyWeather, TSovSchedule::RunWaterPhase;
  using TSovSchedule::FETCrop, TSovSchedule::FETRef, TSovSchedule::FExcessWater, TSovSchedule::FIrrigation;
  using TSovSchedule::FKc, TSovSchedule::FMineralizedN, TSovSchedule::FNitrateN, TSovSchedule::FPrecip;
  using TSovSchedule::FRelativeMoisture, TSovSchedule::FSoilMoisture, TSovSchedule::FSolarRad, TSovSchedule::FUptakeN;
  TProbe(const TFormatSettings& Fmt, int Days) : TSovSchedule(ShippedLookup(), Fmt) {
    SetIsMetric(true);
    FDayCount = Days;
    FStartDate = QDate(2013, 4, 15);
  }
  std::string Cell(int Row, int Col) const { return GetCell(Row, Col).toStdString(); }
};

std::string Local(const char* Text, bool German) {
  return ::Local(Text, German ? GermanFormatSettings() : UsFormatSettings()).toStdString();
}

TEST(ScheduleColumns, NamesIndexesAndRows) {
  TProbe P(UsFormatSettings(), 3);
  EXPECT_EQ(P.ColumnName(62).toStdString(), "DayNum");
  EXPECT_EQ(P.ColumnName(93).toStdString(), "Notes");
  EXPECT_EQ(P.SectionOfColumn(82).toStdString(), "Schedule");
  EXPECT_EQ(P.ColumnIndex("schedule", "etcrop"), 79);
  EXPECT_EQ(P.ColumnIndex("Schedule", "MaxTemp"), 69);
  EXPECT_EQ(P.ColumnIndex("Weather", "MaxTemp"), 54);
  EXPECT_EQ(P.ColumnIndex("Schedule", "Nothing"), 0);
  EXPECT_EQ(P.RowCount("SCHEDULE"), 3);
  P.FSolarRad.fill(20);
  for (int Row : {0, 4, -5}) EXPECT_EQ(P.Cell(Row, S::ColSolarRad), "") << Row;
  EXPECT_EQ(P.Cell(S::RowTotal, S::ColSolarRad), "60.00");
  EXPECT_EQ(P.Cell(S::RowTotal, S::ColKc), "");
  TProbe Empty(UsFormatSettings(), 0);  // no calculation yet: no summaries either
  EXPECT_EQ(Empty.Cell(S::RowAverage, S::ColSolarRad), "");
}

TEST(ScheduleCells, DayTextsFollowTheirDisplayRules) {
  const struct {
    int Col;
    std::function<void(TProbe&)> Set;
    const char* Text;
  } Cases[] = {
      {S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = 2.9; }, "++"},
      {S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = -1.5; }, "-"},
      {S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = -0.7; }, "."},
      {S::ColExcessWater, [](TProbe& P) { P.FExcessWater[2] = 0.004; }, ""},
      {S::ColExcessWater, [](TProbe& P) { P.FExcessWater[2] = 0.005; }, "0.01"},
      {S::ColPrecip, [](TProbe& P) { P.FPrecip[2] = 0; }, ""},
      {S::ColIrrigation, [](TProbe& P) { P.FIrrigation[2] = 12.345; }, "12.35"},
      {S::ColKc, [](TProbe&) {}, "0.00"},
      {S::ColNitrateN, [](TProbe& P) { P.FNitrateN[2] = 12.34; }, ""},  // nothing mineralised
      {S::ColNitrateN, [](TProbe& P) { P.FMineralizedN[2] = 0.1, P.FNitrateN[2] = 12.34; }, "12.3"},
      {S::ColUptakeN, [](TProbe& P) { P.FMineralizedN[2] = 1, P.FUptakeN[2] = 5; }, ""},  // no crop
      {S::ColUptakeN, [](TProbe& P) { P.SetCell(1, SovCol::Crop, "Cotton"), P.FMineralizedN[2] = 1, P.FUptakeN[2] = 5; }, "5.0"},
      {S::ColDate, [](TProbe&) {}, "2013-04-16"},
      {S::ColDay, [](TProbe&) {}, "16"},
      {S::ColMaxTemp, [](TProbe& P) { P.SetCell(2, SovCol::MaxTemp, "31.30"); }, "31.30"},  // as typed
      {S::ColAveTemp, [](TProbe& P) { P.SetCell(2, SovCol::MaxTemp, "32"), P.SetCell(2, SovCol::MinTemp, "15"); }, "23.5"},
  };
  for (const bool German : {false, true}) {
    for (const auto& C : Cases) {
      TProbe P(German ? GermanFormatSettings() : UsFormatSettings(), 3);
      C.Set(P);
      EXPECT_EQ(P.Cell(2, C.Col), C.Col == S::ColMaxTemp || C.Col == S::ColRelativeMoisture ? C.Text : Local(C.Text, German)) << C.Col;
    }
  }
  TProbe P(UsFormatSettings(), 3);
  P.FRelativeMoisture[1] = 1e300;  // absurd: a bounded bar
  EXPECT_EQ(P.Cell(1, S::ColRelativeMoisture), std::string(100, '+'));
}

TEST(ScheduleSummary, EachColumnOfTheFourRows) {
  for (const bool German : {false, true}) {
    const TFormatSettings Fmt = German ? GermanFormatSettings() : UsFormatSettings();
    TProbe P(Fmt, 3);
    for (int d = 1; d <= 3; ++d) {
      P.FSolarRad[d] = d == 3 ? 30.5 : 15 + 5 * d;
      P.FETRef[d] = P.FSolarRad[d] / 4;
      P.FKc[d] = d == 3 ? 1.0 : 0.1 + 0.2 * d;
      P.FExcessWater[d] = d == 2 ? 4 : 0;
      P.FSoilMoisture[d] = 100 + d;
      P.FPrecip[d] = d == 2 ? 2.5 : 0;
    }
    auto Put = [&](int Day, int Col, const char* Text) { P.SetCell(Day, Col, QString::fromStdString(Local(Text, German))); };
    Put(1, SovCol::MaxTemp, "30"), Put(3, SovCol::MaxTemp, "20.25");
    Put(1, SovCol::MinTemp, "10"), Put(2, SovCol::MinTemp, "12"), Put(3, SovCol::MinTemp, "8");
    Put(1, SovCol::Humidity, "40"), Put(2, SovCol::Humidity, "n/a");
    Put(2, SovCol::Precip, "2.5"), Put(3, SovCol::Precip, "0");
    const struct {
      int Col;
      const char *Total, *Average, *Maximum, *Minimum;
    } Rows[] = {
        {S::ColMaxTemp, "", "25.1", "30.0", "20.3"},
        {S::ColAveTemp, "", "13.4", "20.0", "6.0"},  // days 20.0, 6.0 (no high), 14.1
        {S::ColMinTemp, "", "10.0", "12.0", "8.0"},
        {S::ColWindSpeed, "", "", "", ""},  // none typed
        {S::ColHumidity, "", "40.0", "40.0", "40.0"},
        {S::ColPrecip, "2.50", "", "2.50", "0.00"},
        {S::ColIrrigation, "0.00", "", "0.00", "0.00"},  // empty cells count as 0
        {S::ColSolarRad, "75.50", "25.17", "30.50", "20.00"},
        {S::ColETRef, "18.88", "6.29", "7.63", "5.00"},
        {S::ColKc, "", "0.60", "1.00", "0.30"},
        {S::ColExcessWater, "4.00", "", "4.00", "0.00"},
        {S::ColSoilMoisture, "", "102.00", "103.00", "101.00"},
        {S::ColFertilizerN, "0.0", "", "", ""},
        {S::ColGDD, "", "", "", ""},
        {S::ColNotes, "", "", "", ""},
    };
    for (const auto& R : Rows) {
      const char* Expected[] = {R.Total, R.Average, R.Maximum, R.Minimum};
      for (int i = 0; i < 4; ++i) EXPECT_EQ(P.Cell(-1 - i, R.Col), Local(Expected[i], German)) << R.Col << " " << -1 - i;
    }
    // No high typed at all: empty, not the start values of the statistics.
    for (int d = 1; d <= 3; ++d) P.SetCell(d, SovCol::MaxTemp, "");
    for (int Row : {S::RowAverage, S::RowMaximum, S::RowMinimum}) EXPECT_EQ(P.Cell(Row, S::ColMaxTemp), "");
  }
}

TEST(ScheduleCells, StageAndDegreeDaysOfTheCalculation) {
  const TFormatSettings Fmt = UsFormatSettings();
  TProbe P(Fmt, 60);
  P.SetCell(1, SovCol::Crop, "Cotton");
  const int Crop = P.Crop();
  P.FScalars.DaysBeforeEmergence = 10;
  P.FScalars.GrowingSeason = 40;
  P.FUserStage[5] = StageDev;  // before emergence: not shown
  P.FUserStage[30] = StageMid;
  for (int d = 1; d <= 60; ++d) {
    P.SetCell(d, SovCol::MaxTemp, FormatGeneral(20 + d % 15, Fmt));
    P.SetCell(d, SovCol::MinTemp, FormatGeneral(5 + d % 7, Fmt));
  }
  // The day's stage comes from the water pass, the degree days from the weather it read.
  P.FScalars.LayerCount = 1;
  P.ReadDailyWeather();
  P.RunWaterPhase();
  P.BuildResultColumns();
  EXPECT_EQ(P.Cell(5, S::ColGrowthStage), "");
  EXPECT_EQ(P.Cell(30, S::ColGrowthStage), "Mid*");
  EXPECT_EQ(P.Cell(31, S::ColGrowthStage), "Mid");
  double Sum = 0;
  for (int d = 1; d <= 60; ++d) {
    Sum += DailyGdd(P.Lookup(), true, Crop, 20 + d % 15, 5 + d % 7);
    ASSERT_EQ(P.Cell(d, S::ColGDD), FormatFixed(Sum, 1, Fmt).toStdString()) << d;
    const int Stage = d <= 10 ? 0
                              : StageOfDay(P.Lookup(), P.DaysFromPlanting(Crop, d - 10), Crop, P.TotalSeasonDays(Crop, 40),
                                           P.FUserStage.items(), 10, P.DaysFromPlanting(Crop, 0));
    ASSERT_EQ(P.GetCell(d, S::ColGrowthStage).remove('*'), StageName(Stage)) << d;
  }
}

TEST(ScheduleCells, NitrogenAppliedOnADay) {
  TProbe P(GermanFormatSettings(), 5);
  const int Urea = P.Lookup().FindFertilizer("Urea");  // 46 % N
  FieldWriter W{P, GermanFormatSettings()};
  W.Event(1, 2, 1, 100, Urea);
  W.Event(7, 2, 1, 50, Urea);
  W.Event(3, 3, 2, 10);      // 10 ppm nitrate in the water from day 3
  W.Event(4, 2, 4, 30);      // residue: no nitrogen
  W.Event(9, 5, 1, 100, 999);  // a product not in the tables: nothing, no failure
  P.SetCell(4, SovCol::Irrigation, "50");
  P.FIrrigation[4] = 50;
  EXPECT_EQ(P.Cell(1, S::ColFertilizerN), "0,0");
  EXPECT_EQ(P.Cell(2, S::ColFertilizerN), "69,0");
  EXPECT_EQ(P.Cell(4, S::ColFertilizerN), "5,0");
  EXPECT_EQ(P.Cell(5, S::ColFertilizerN), "0,0");
  EXPECT_EQ(P.Cell(S::RowTotal, S::ColFertilizerN), "74,0");
}

}  // namespace
