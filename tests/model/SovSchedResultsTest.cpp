// The schedule served as cells: column names and sections, the text of each day
// column with its display rule and decimals, the four summary rows, and the columns
// kept from the calculation (growing degree days, growth stage, nitrogen applied).

#include "SovCalendar.h"
#include "SovSched.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using S = TSovSchedule;

const TSovLookup& ShippedLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    EXPECT_TRUE(L->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

// A schedule whose results the test writes directly, as a calculation would leave
// them.
class TProbe : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  using TSovSchedule::BuildResultColumns;
  using TSovSchedule::FAmmoniumN;
  using TSovSchedule::FETRef;
  using TSovSchedule::FExcessWater;
  using TSovSchedule::FIrrigation;
  using TSovSchedule::FKc;
  using TSovSchedule::FMineralizedN;
  using TSovSchedule::FNitrateN;
  using TSovSchedule::FPrecip;
  using TSovSchedule::FRelativeMoisture;
  using TSovSchedule::FResidue;
  using TSovSchedule::FSoilMoisture;
  using TSovSchedule::FSolarRad;
  using TSovSchedule::FETCrop;
  using TSovSchedule::FUptakeN;
  using TSovSchedule::FScalars;
  using TSovSchedule::FUserStage;

  void SetDays(int Count, const QDate& Start, int DaysBeforeEmergence = 0) {
    FDayCount = Count;
    FStartDate = Start;
    FScalars.DaysBeforeEmergence = DaysBeforeEmergence;
  }
};

std::unique_ptr<TProbe> NewProbe(const TFormatSettings& Fmt, int Days = 3) {
  auto P = std::make_unique<TProbe>(ShippedLookup(), Fmt);
  P->SetIsMetric(true);
  P->SetDays(Days, QDate(2013, 4, 15));
  return P;
}

TEST(ScheduleColumns, NamesSectionsAndIndexes) {
  auto P = NewProbe(UsFormatSettings());
  const struct {
    int Col;
    const char* Name;
  } Cases[] = {{62, "DayNum"},       {63, "Date"},          {67, "GrowthStage"},   {68, "GDD"},
               {79, "ETCrop"},       {82, "RelativeMoisture"}, {84, "Residue"},   {85, "MineralizedN"},
               {92, "FertilizerN"},  {93, "Notes"}};
  for (const auto& C : Cases) {
    EXPECT_EQ(P->ColumnName(C.Col).toStdString(), C.Name);
    EXPECT_EQ(P->SectionOfColumn(C.Col).toStdString(), "Schedule");
    EXPECT_EQ(P->ColumnIndex("Schedule", C.Name), C.Col);
  }
  EXPECT_EQ(P->ColumnIndex("schedule", "etcrop"), 79);
  EXPECT_EQ(P->ColumnIndex("Schedule", "Nothing"), 0);
  EXPECT_EQ(P->ColumnIndex("Schedule", "MaxTemp"), 69);  // not the weather column 54
  EXPECT_EQ(P->ColumnIndex("Weather", "MaxTemp"), 54);
  EXPECT_EQ(P->ColumnName(94).toStdString(), "");
  EXPECT_EQ(P->ColumnName(61).toStdString(), "Notes");
  EXPECT_EQ(P->SectionOfColumn(61).toStdString(), "Weather");
  EXPECT_EQ(P->RowCount("SCHEDULE"), 3);
  EXPECT_EQ(P->RowCount("Weather"), 365);
  P->SetCell(1, S::ColNotes, "written");  // schedule cells cannot be written
  EXPECT_EQ(P->GetCell(1, S::ColNotes).toStdString(), "");
}

TEST(ScheduleCells, DayTextsFollowTheirDisplayRules) {
  struct Case {
    const char* What;
    int Col;
    std::function<void(TProbe&)> Set;
    const char* Us;
    const char* German;
  };
  const Case Cases[] = {
      {"bar above", S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = 2.9; }, "++", "++"},
      {"bar below", S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = -1.5; }, "-", "-"},
      {"bar small", S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = 0.7; }, ".", "."},
      {"bar small neg", S::ColRelativeMoisture, [](TProbe& P) { P.FRelativeMoisture[2] = -0.7; }, ".", "."},
      {"excess tiny", S::ColExcessWater, [](TProbe& P) { P.FExcessWater[2] = 0.004; }, "", ""},
      {"excess shown", S::ColExcessWater, [](TProbe& P) { P.FExcessWater[2] = 0.005; }, "0.01", "0,01"},
      {"no rain", S::ColPrecip, [](TProbe& P) { P.FPrecip[2] = 0; }, "", ""},
      {"rain", S::ColPrecip, [](TProbe& P) { P.FPrecip[2] = 12.345; }, "12.35", "12,35"},
      {"irrigation", S::ColIrrigation, [](TProbe& P) { P.FIrrigation[2] = 100; }, "100.00", "100,00"},
      {"ET ref", S::ColETRef, [](TProbe& P) { P.FETRef[2] = 7.456; }, "7.46", "7,46"},
      {"Kc zero", S::ColKc, [](TProbe&) {}, "0.00", "0,00"},
      {"residue", S::ColResidue, [](TProbe& P) { P.FResidue[2] = 30; }, "30", "30"},
      {"nitrate without mineralisation", S::ColNitrateN, [](TProbe& P) { P.FNitrateN[2] = 12.34; }, "", ""},
      {"nitrate", S::ColNitrateN,
       [](TProbe& P) {
         P.FMineralizedN[2] = 0.1;
         P.FNitrateN[2] = 12.34;
       },
       "12.3", "12,3"},
      {"uptake without a crop that has uptake points", S::ColUptakeN,
       [](TProbe& P) {
         P.SetCell(1, SovCol::Crop, "");
         P.FMineralizedN[2] = 1;
         P.FUptakeN[2] = 5;
       },
       "", ""},
      {"uptake", S::ColUptakeN,
       [](TProbe& P) {
         P.SetCell(1, SovCol::Crop, "Maize grain");
         P.FMineralizedN[2] = 1;
         P.FUptakeN[2] = 5;
       },
       "5.0", "5,0"},
      {"date", S::ColDate, [](TProbe&) {}, "2013-04-16", "2013-04-16"},
      {"month", S::ColMonth, [](TProbe&) {}, "4", "4"},
      {"day", S::ColDay, [](TProbe&) {}, "16", "16"},
      {"max temp as typed", S::ColMaxTemp, [](TProbe& P) { P.SetCell(2, SovCol::MaxTemp, "31.30"); }, "31.30", "31.30"},
      {"notes as typed", S::ColNotes, [](TProbe& P) { P.SetCell(2, SovCol::WeatherNotes, "a, \"b\""); }, "a, \"b\"", "a, \"b\""},
  };
  for (const Case& C : Cases) {
    for (const bool German : {false, true}) {
      auto P = NewProbe(German ? GermanFormatSettings() : UsFormatSettings());
      C.Set(*P);
      EXPECT_EQ(P->GetCell(2, C.Col).toStdString(), German ? C.German : C.Us) << C.What;
    }
  }
  // A mean temperature from the typed texts, in the user's format.
  auto P = NewProbe(GermanFormatSettings());
  P->SetCell(1, SovCol::MaxTemp, "31,3");
  P->SetCell(1, SovCol::MinTemp, "15");
  EXPECT_EQ(P->GetCell(1, S::ColAveTemp).toStdString(), "23,2");
  EXPECT_DOUBLE_EQ(P->GetCellFloat(1, S::ColAveTemp), 23.2);
  // An absurd relative moisture draws a bounded bar.
  P->FRelativeMoisture[1] = 1e300;
  EXPECT_EQ(P->GetCell(1, S::ColRelativeMoisture).size(), 100);
}

TEST(ScheduleCells, RowsOutsideTheScheduleAreEmpty) {
  auto P = NewProbe(UsFormatSettings());
  P->FKc.fill(0.5);
  P->FSolarRad.fill(20);
  for (int Row : {0, 4, -5, 366}) {
    for (int Col = S::FirstScheduleColumn; Col <= S::LastScheduleColumn; ++Col)
      EXPECT_EQ(P->GetCell(Row, Col).toStdString(), "") << Row << " " << Col;
  }
  EXPECT_EQ(P->GetCell(S::RowTotal, S::ColKc).toStdString(), "");
  EXPECT_EQ(P->GetCell(S::RowTotal, S::ColSolarRad).toStdString(), "60.00");
  // Before a calculation there are no days and no summary rows.
  P->SetDays(0, QDate(2013, 4, 15));
  EXPECT_EQ(P->RowCount("Schedule"), 0);
  for (int Row : {1, S::RowTotal, S::RowAverage, S::RowMaximum, S::RowMinimum})
    EXPECT_EQ(P->GetCell(Row, S::ColSolarRad).toStdString(), "");
}

TEST(ScheduleSummary, EachColumnOfTheFourRows) {
  for (const bool German : {false, true}) {
    const TFormatSettings Fmt = German ? GermanFormatSettings() : UsFormatSettings();
    auto P = NewProbe(Fmt);
    auto Num = [&](double V) { return FormatGeneral(V, Fmt); };
    const double SolarRad[] = {20, 25, 30.5};
    const double Kc[] = {0.3, 0.5, 1.0};
    const double Excess[] = {0, 4, 0};
    const double Precip[] = {0, 2.5, 0};
    for (int d = 1; d <= 3; ++d) {
      P->FSolarRad[d] = SolarRad[d - 1];
      P->FETRef[d] = SolarRad[d - 1] / 4;
      P->FETCrop[d] = SolarRad[d - 1] / 5;
      P->FKc[d] = Kc[d - 1];
      P->FExcessWater[d] = Excess[d - 1];
      P->FSoilMoisture[d] = 100 + d;
      P->FPrecip[d] = Precip[d - 1];
    }
    P->SetCell(1, SovCol::MaxTemp, Num(30));
    P->SetCell(3, SovCol::MaxTemp, Num(20.25));
    P->SetCell(1, SovCol::MinTemp, Num(10));
    P->SetCell(2, SovCol::MinTemp, Num(12));
    P->SetCell(3, SovCol::MinTemp, Num(8));
    P->SetCell(1, SovCol::Humidity, Num(40));
    P->SetCell(2, SovCol::Humidity, "n/a");  // not a number: skipped
    P->SetCell(2, SovCol::Precip, Num(2.5));
    P->SetCell(3, SovCol::Precip, "0");
    // Irrigation typed nowhere: as zeros for its extremes.

    struct Row {
      int Col;
      const char *Total, *Average, *Maximum, *Minimum;
    };
    const Row Rows[] = {
        {S::ColMaxTemp, "", "25.1", "30.0", "20.3"},
        {S::ColAveTemp, "", "13.4", "20.0", "6.0"},  // days 20.0, 6.0, 14.1 (day 2 has no high)
        {S::ColMinTemp, "", "10.0", "12.0", "8.0"},
        {S::ColWindSpeed, "", "", "", ""},  // none typed
        {S::ColHumidity, "", "40.0", "40.0", "40.0"},
        {S::ColPrecip, "2.50", "", "2.50", "0.00"},
        {S::ColIrrigation, "0.00", "", "0.00", "0.00"},
        {S::ColSolarRad, "75.50", "25.17", "30.50", "20.00"},
        {S::ColETRef, "18.88", "6.29", "7.63", "5.00"},
        {S::ColKc, "", "0.60", "1.00", "0.30"},
        {S::ColETCrop, "15.10", "5.03", "6.10", "4.00"},
        {S::ColExcessWater, "4.00", "", "4.00", "0.00"},
        {S::ColSoilMoisture, "", "102.00", "103.00", "101.00"},
        {S::ColFertilizerN, "0.0", "", "", ""},
        {S::ColDayNum, "", "", "", ""},
        {S::ColGDD, "", "", "", ""},
        {S::ColRelativeMoisture, "", "", "", ""},
        {S::ColNitrateN, "", "", "", ""},
        {S::ColNotes, "", "", "", ""},
    };
    auto Local = [&](const char* Text) {
      QString T = Text;
      if (German) T.replace('.', ',');
      return T;
    };
    for (const Row& R : Rows) {
      const char* Expected[] = {R.Total, R.Average, R.Maximum, R.Minimum};
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(P->GetCell(-1 - i, R.Col).toStdString(), Local(Expected[i]).toStdString()) << P->ColumnName(R.Col).toStdString() << " row " << -1 - i;
    }
    // With no high typed at all, the high's statistics stay empty instead of showing
    // their start values.
    for (int d = 1; d <= 3; ++d) P->SetCell(d, SovCol::MaxTemp, "");
    for (int Row : {S::RowAverage, S::RowMaximum, S::RowMinimum}) EXPECT_EQ(P->GetCell(Row, S::ColMaxTemp).toStdString(), "");
  }
}

TEST(ScheduleCells, StageAndDegreeDaysKeptFromTheCalculation) {
  const TFormatSettings Fmt = UsFormatSettings();
  auto P = NewProbe(Fmt, 60);
  P->SetCell(1, SovCol::Crop, "Cotton");
  P->SetCell(1, SovCol::GrowingSeason, "40");
  const int Crop = P->Crop();
  ASSERT_GT(Crop, 0);
  P->SetDays(60, QDate(2013, 4, 15), 10);
  // Marks on day 5 (before emergence) and day 30 (mid-season from there on).
  P->FUserStage[5] = StageDev;
  P->FUserStage[30] = StageMid;
  for (int d = 1; d <= 60; ++d) {
    P->SetCell(d, SovCol::MaxTemp, FormatGeneral(20 + d % 15, Fmt));
    P->SetCell(d, SovCol::MinTemp, FormatGeneral(5 + d % 7, Fmt));
  }
  P->FScalars.GrowingSeason = 40;
  P->BuildResultColumns();

  EXPECT_EQ(P->GetCell(5, S::ColGrowthStage).toStdString(), "");
  EXPECT_EQ(P->GetCell(10, S::ColGrowthStage).toStdString(), "");
  EXPECT_EQ(P->GetCell(30, S::ColGrowthStage).toStdString(), "Mid*");
  EXPECT_EQ(P->GetCell(31, S::ColGrowthStage).toStdString(), "Mid");
  double Sum = 0;
  const int Offset = P->DaysFromPlanting(Crop, 0);
  const int Season = P->TotalSeasonDays(Crop, 40);
  for (int d = 1; d <= 60; ++d) {
    Sum += DailyGdd(P->Lookup(), true, Crop, P->GetCellFloat(d, SovCol::MaxTemp), P->GetCellFloat(d, SovCol::MinTemp));
    ASSERT_EQ(P->GetCell(d, S::ColGDD).toStdString(), FormatFixed(Sum, 1, Fmt).toStdString()) << d;
    if (d > 10) {
      const int Stage = StageOfDay(P->Lookup(), P->DaysFromPlanting(Crop, d - 10), Crop, Season,
                                   P->FUserStage.items(), 10, Offset);
      ASSERT_TRUE(P->GetCell(d, S::ColGrowthStage).startsWith(StageName(Stage))) << d;
    }
  }
}

TEST(ScheduleCells, NitrogenAppliedOnADay) {
  const TFormatSettings Fmt = GermanFormatSettings();
  auto P = NewProbe(Fmt, 5);
  const TSovLookup& L = P->Lookup();
  const int Urea = L.FindFertilizer("Urea");
  ASSERT_GT(Urea, 0);
  ASSERT_EQ(L.Fertilizer(Urea).N, 46);
  // Two urea applications on day 2 (100 and 50 kg/ha); nitrate water of 10 ppm from day
  // 3; 50 mm irrigated on day 4.
  auto Event = [&](int Slot, int Day, int Code, int Key1, const QString& Value) {
    P->SetCellInt(Slot, SovCol::EvDay, Day);
    P->SetCellInt(Slot, SovCol::EvCode, Code);
    P->SetCellInt(Slot, SovCol::EvKey1, Key1);
    P->SetCell(Slot, SovCol::EvValue, Value);
  };
  Event(1, 2, 1, Urea, "100");
  Event(7, 2, 1, Urea, "50");
  Event(3, 3, 2, 0, "10");
  Event(4, 2, 4, 0, "30");  // residue: no nitrogen
  P->SetCell(4, SovCol::Irrigation, "50");
  P->FIrrigation[4] = 50;
  EXPECT_EQ(P->GetCell(1, S::ColFertilizerN).toStdString(), "0,0");
  EXPECT_EQ(P->GetCell(2, S::ColFertilizerN).toStdString(), "69,0");
  EXPECT_EQ(P->GetCell(4, S::ColFertilizerN).toStdString(), "5,0");
  EXPECT_EQ(P->GetCell(S::RowTotal, S::ColFertilizerN).toStdString(), "74,0");
  // An event whose product is not in the tables brings nothing (and throws nothing).
  Event(9, 5, 1, 999, "100");
  EXPECT_EQ(P->GetCell(5, S::ColFertilizerN).toStdString(), "0,0");
}

}  // namespace
