// Nitrogen of events: fertiliser and manure applications in both unit systems, the
// irrigation-water nitrate event that governs a day, and the nitrate the day's
// irrigation carries. Fields use the shipped lookup file.

#include "SovEventN.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace {

const TSovLookup& ShippedLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    const bool Ok = L->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg);
    EXPECT_TRUE(Ok) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

int FertilizerRow(const char* Name) {
  const int Row = ShippedLookup().FindFertilizer(QString::fromUtf8(Name));
  EXPECT_GT(Row, 0) << Name;
  return Row;
}

int ManureRow(const char* Name) {
  const int Row = ShippedLookup().FindManure(QString::fromUtf8(Name));
  EXPECT_GT(Row, 0) << Name;
  return Row;
}

std::unique_ptr<TSovFile> NewFile(const TFormatSettings& Format = UsFormatSettings()) {
  return std::make_unique<TSovFile>(ShippedLookup(), Format);
}

void PutEvent(TSovFile& F, int Row, int Day, int Code, const QString& Value) {
  F.SetCellInt(Row, SovCol::EvDay, Day);
  F.SetCellInt(Row, SovCol::EvCode, Code);
  F.SetCell(Row, SovCol::EvValue, Value);
}

constexpr double LbsPerKg = 0.8922;  // lbs/acre per kg/ha

// ---------------------------------------------------------------------------
// FertilizerN
// ---------------------------------------------------------------------------

TEST(FertilizerN, FormsPickTheirShareOfTheNitrogen) {
  auto F = NewFile();
  const int Urea = FertilizerRow("Urea");                  // 46 % N, all urea
  const int AN = FertilizerRow("Ammonium nitrate");        // 34 % N, half NH4, half NO3
  const int CN = FertilizerRow("Calcium nitrate");         // 16 % N, 7 % NH4, 93 % NO3
  struct Case {
    int Fertilizer;
    int Forms;
    double Expected;  // at 100 kg/ha
  } Cases[] = {
      {Urea, NitrogenForm::Urea, 46},       {Urea, NitrogenForm::All, 46},
      {Urea, NitrogenForm::Ammonium, 0},    {Urea, NitrogenForm::Nitrate, 0},
      {AN, NitrogenForm::Ammonium, 17},     {AN, NitrogenForm::Nitrate, 17},
      {AN, NitrogenForm::Urea, 0},          {AN, NitrogenForm::Ammonium | NitrogenForm::Nitrate, 34},
      {CN, NitrogenForm::Ammonium, 1.12},   {CN, NitrogenForm::Nitrate, 14.88},
      {CN, 0, 0},
  };
  for (const Case& C : Cases) {
    EXPECT_NEAR(F->FertilizerN(C.Fertilizer, C.Forms, 100, true, true), C.Expected, 1e-12)
        << C.Fertilizer << " forms " << C.Forms;
    // The same in an English field: lbs/acre in, lbs/acre out.
    EXPECT_NEAR(F->FertilizerN(C.Fertilizer, C.Forms, 100, false, false), C.Expected, 1e-12);
  }
}

TEST(FertilizerN, DryRatesConvertBetweenUnitSystems) {
  auto F = NewFile();
  const int Urea = FertilizerRow("Urea");
  // 100 lbs/acre of urea is 46 lbs/acre of nitrogen, 46 / 0.8922 kg/ha.
  EXPECT_NEAR(F->FertilizerN(Urea, NitrogenForm::All, 100, false, true), 46 / LbsPerKg, 1e-12);
  EXPECT_NEAR(F->FertilizerN(Urea, NitrogenForm::All, 100, true, false), 46 * LbsPerKg, 1e-12);
}

TEST(FertilizerN, LiquidRatesAreVolumesTimesWeight) {
  auto F = NewFile();
  const int Uan = FertilizerRow("UAN 28");  // 28 % N, 1.28 kg/liter
  ASSERT_TRUE(ShippedLookup().Fertilizer(Uan).IsLiquid);
  // 10 liter/ha x 0.28 x 1.28 kg/liter.
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::All, 10, true, true), 3.584, 1e-12);
  // 10 gal/acre x 0.28 x 1.28 / 0.12 lbs/gal.
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::All, 10, false, false), 10 * 0.28 * 1.28 / 0.12, 1e-12);
  // Across the unit systems the volume converts first (9.346 liter/ha per gal/acre).
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::All, 10, false, true), 10 * 9.346 * 0.28 * 1.28, 1e-12);
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::All, 10, true, false),
              10 / 9.346 * 0.28 * 1.28 / 0.12, 1e-12);
  // Its forms: 50 % urea, 25 % ammonium, 25 % nitrate.
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::Urea, 10, true, true), 3.584 / 2, 1e-12);
  EXPECT_NEAR(F->FertilizerN(Uan, NitrogenForm::Nitrate, 10, true, true), 3.584 / 4, 1e-12);
}

TEST(FertilizerN, RowsOutsideTheTableAndUnusableRates) {
  auto F = NewFile();
  const int Count = ShippedLookup().FertilizerCount();
  for (int Row : {0, -1, Count + 1, 1000}) {
    EXPECT_THROW(F->FertilizerN(Row, NitrogenForm::All, 100, true, true), std::out_of_range) << Row;
  }
  for (double Rate : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(F->FertilizerN(1, NitrogenForm::All, Rate, true, true), 0.0);
  }
  EXPECT_EQ(F->FertilizerN(1, NitrogenForm::All, 0, false, true), 0.0);
}

// ---------------------------------------------------------------------------
// ManureN
// ---------------------------------------------------------------------------

TEST(ManureN, SolidAndLiquidInBothUnitSystems) {
  auto F = NewFile();
  const int Liquid = ManureRow("Dairy liquid");
  const int Solid = ManureRow("Dairy solid");
  // 10000 gal/acre with 5 lbs per 1000 gal.
  EXPECT_NEAR(F->ManureN(Liquid, false, 10000, 5, false), 50, 1e-12);
  EXPECT_NEAR(F->ManureN(Liquid, false, 10000, 5, true), 50 / LbsPerKg, 1e-12);
  // 20000 liter/ha with 3 kg per 1000 L.
  EXPECT_NEAR(F->ManureN(Liquid, true, 20000, 3, true), 60, 1e-12);
  EXPECT_NEAR(F->ManureN(Liquid, true, 20000, 3, false), 60 * LbsPerKg, 1e-12);
  // 20 MT/ha with 6 kg/MT; 10 ton/acre with 12 lbs/ton.
  EXPECT_NEAR(F->ManureN(Solid, true, 20, 6, true), 120, 1e-12);
  EXPECT_NEAR(F->ManureN(Solid, false, 10, 12, false), 120, 1e-12);
  EXPECT_NEAR(F->ManureN(Solid, false, 10, 12, true), 120 / LbsPerKg, 1e-12);
}

TEST(ManureN, RowsOutsideTheTableAndUnusableValues) {
  auto F = NewFile();
  const int Count = ShippedLookup().ManureCount();
  for (int Row : {0, Count + 1}) {
    EXPECT_THROW(F->ManureN(Row, true, 10, 5, true), std::out_of_range) << Row;
  }
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(F->ManureN(1, true, NaN, 5, true), 0.0);
  EXPECT_EQ(F->ManureN(1, true, 10, NaN, true), 0.0);
  EXPECT_EQ(F->ManureN(1, true, 10, std::numeric_limits<double>::infinity(), true), 0.0);
}

// ---------------------------------------------------------------------------
// NitrateEventForDay and IrrigationWaterN
// ---------------------------------------------------------------------------

TEST(NitrateEventForDay, LatestOnOrBeforeElseEarliestAfter) {
  auto F = NewFile();
  EXPECT_EQ(F->NitrateEventForDay(100), 0);  // none at all
  // Rows out of day order, with other kinds of events between.
  PutEvent(*F, 1, 40, SovEvent::Nitrate, "20");
  PutEvent(*F, 2, 5, SovEvent::Fertilizer, "100");
  PutEvent(*F, 3, 10, SovEvent::Nitrate, "10");
  PutEvent(*F, 4, 20, SovEvent::Residue, "30");
  struct Case {
    int Day, Row;
  } Cases[] = {{1, 3}, {5, 3}, {9, 3}, {10, 3}, {25, 3}, {39, 3}, {40, 1}, {41, 1}, {365, 1}};
  for (const Case& C : Cases) EXPECT_EQ(F->NitrateEventForDay(C.Day), C.Row) << C.Day;
}

TEST(NitrateEventForDay, FirstRowWinsAmongEventsOfOneDay) {
  auto F = NewFile();
  PutEvent(*F, 7, 30, SovEvent::Nitrate, "5");
  PutEvent(*F, 9, 30, SovEvent::Nitrate, "6");
  PutEvent(*F, 12, 50, SovEvent::Nitrate, "7");
  PutEvent(*F, 14, 50, SovEvent::Nitrate, "8");
  EXPECT_EQ(F->NitrateEventForDay(1), 7);
  EXPECT_EQ(F->NitrateEventForDay(30), 7);
  EXPECT_EQ(F->NitrateEventForDay(49), 7);
  EXPECT_EQ(F->NitrateEventForDay(50), 12);
  EXPECT_EQ(F->NitrateEventForDay(200), 12);
}

TEST(NitrateEventForDay, SlotsWithoutAScheduleDayAreNoEventsAndDaysAreChecked) {
  auto F = NewFile();
  // A nitrate code in a free slot (day 0) or with a day beyond the year.
  PutEvent(*F, 1, 0, SovEvent::Nitrate, "5");
  PutEvent(*F, 2, 400, SovEvent::Nitrate, "5");
  PutEvent(*F, 3, -3, SovEvent::Nitrate, "5");
  EXPECT_EQ(F->NitrateEventForDay(1), 0);
  EXPECT_EQ(F->NitrateEventForDay(365), 0);
  PutEvent(*F, 4, 365, SovEvent::Nitrate, "5");
  EXPECT_EQ(F->NitrateEventForDay(1), 4);
  for (int Day : {0, -1, 366, 100000}) {
    EXPECT_THROW(F->NitrateEventForDay(Day), std::out_of_range) << Day;
    EXPECT_THROW(F->IrrigationWaterN(Day, true, true), std::out_of_range) << Day;
  }
}

TEST(IrrigationWaterN, PpmTimesDepthInBothUnitSystems) {
  auto F = NewFile();
  PutEvent(*F, 1, 20, SovEvent::Nitrate, "10");
  F->SetCell(20, SovCol::Irrigation, "50");
  // 50 mm at 10 ppm carry 5 kg/ha.
  EXPECT_NEAR(F->IrrigationWaterN(20, true, true), 5, 1e-12);
  EXPECT_NEAR(F->IrrigationWaterN(20, true, false), 5 * LbsPerKg, 1e-12);
  // 2 inches are 50.8 mm.
  F->SetCell(21, SovCol::Irrigation, "2");
  EXPECT_NEAR(F->IrrigationWaterN(21, false, true), 5.08, 1e-12);
  EXPECT_NEAR(F->IrrigationWaterN(21, false, false), 5.08 * LbsPerKg, 1e-12);
  // A day before the first nitrate event takes that event.
  F->SetCell(3, SovCol::Irrigation, "25");
  EXPECT_NEAR(F->IrrigationWaterN(3, true, true), 2.5, 1e-12);
}

TEST(IrrigationWaterN, NothingWithoutIrrigationOrNitrateEvent) {
  auto F = NewFile();
  F->SetCell(10, SovCol::Irrigation, "30");
  EXPECT_EQ(F->IrrigationWaterN(10, true, true), 0.0);  // no nitrate event
  PutEvent(*F, 1, 10, SovEvent::Nitrate, "10");
  EXPECT_EQ(F->IrrigationWaterN(11, true, true), 0.0);  // empty irrigation cell
  F->SetCell(11, SovCol::Irrigation, "0");
  EXPECT_EQ(F->IrrigationWaterN(11, true, true), 0.0);
  F->SetCell(12, SovCol::Irrigation, "lots");  // not a number reads as 0
  EXPECT_EQ(F->IrrigationWaterN(12, true, true), 0.0);
}

TEST(IrrigationWaterN, CellsInTheUsersNumberFormat) {
  for (const TFormatSettings& Format : {UsFormatSettings(), GermanFormatSettings(), IsoFormatSettings()}) {
    auto F = NewFile(Format);
    PutEvent(*F, 1, 1, SovEvent::Nitrate, FormatFixed(12.5, 1, Format));
    F->SetCell(5, SovCol::Irrigation, FormatFixed(20.4, 1, Format));
    EXPECT_NEAR(F->IrrigationWaterN(5, true, true), 12.5 * 20.4 / 100, 1e-12)
        << FormatFixed(12.5, 1, Format).toStdString();
  }
  // German decimal comma: "12,5".
  EXPECT_EQ(FormatFixed(12.5, 1, GermanFormatSettings()), QString("12,5"));
}

}  // namespace
