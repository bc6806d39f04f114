// Nitrogen of events: fertiliser and manure applications in both unit systems, the
// irrigation-water nitrate event that governs a day, and the nitrate the day's
// irrigation carries. Fields use the shipped lookup file.

#include "TestSupport.h"

#include <limits>
#include <stdexcept>

namespace {

constexpr double LbsPerKg = 0.8922;  // lbs/acre per kg/ha

TEST(EventNitrogen, FertilizerFormsRatesAndUnits) {
  const TSovLookup& L = ShippedLookup();
  TSovFile F(L, UsFormatSettings());
  const int Urea = L.FindFertilizer("Urea");             // 46 % N, all urea
  const int AN = L.FindFertilizer("Ammonium nitrate");   // 34 % N, half NH4, half NO3
  const int CN = L.FindFertilizer("Calcium nitrate");    // 16 % N, 7 % NH4, 93 % NO3
  const int Uan = L.FindFertilizer("UAN 28");            // liquid, 28 % N, 1.28 kg/liter, 50/25/25
  using namespace NitrogenForm;
  const struct {
    int Fertilizer, Forms;
    double Rate;
    bool FromMetric, ToMetric;
    double Expected;
  } Cases[] = {
      {Urea, NitrogenForm::Urea, 100, true, true, 46}, {Urea, Ammonium, 100, true, true, 0},
      {AN, Ammonium | Nitrate, 100, true, true, 34},    {CN, Ammonium, 100, true, true, 1.12},
      {CN, Nitrate, 100, false, false, 14.88},
      // Dry rates across the unit systems.
      {Urea, All, 100, false, true, 46 / LbsPerKg},      {Urea, All, 100, true, false, 46 * LbsPerKg},
      // Liquid rates are volumes times weight; across the systems the volume converts first.
      {Uan, All, 10, true, true, 3.584},                {Uan, All, 10, false, false, 10 * 0.28 * 1.28 / 0.12},
      {Uan, All, 10, false, true, 10 * 9.346 * 0.28 * 1.28},
      {Uan, NitrogenForm::Urea, 10, true, true, 3.584 / 2}, {Uan, Nitrate, 10, true, true, 3.584 / 4},
      // Unusable rates give nothing.
      {Urea, All, std::numeric_limits<double>::quiet_NaN(), true, true, 0},
      {Urea, All, -std::numeric_limits<double>::infinity(), true, true, 0},
  };
  for (const auto& C : Cases)
    EXPECT_NEAR(F.FertilizerN(C.Fertilizer, C.Forms, C.Rate, C.FromMetric, C.ToMetric), C.Expected, 1e-12)
        << C.Fertilizer << " forms " << C.Forms << " rate " << C.Rate;
  for (int Row : {0, -1, L.FertilizerCount() + 1})
    EXPECT_THROW(F.FertilizerN(Row, All, 100, true, true), std::out_of_range) << Row;
}

TEST(EventNitrogen, ManureSolidAndLiquidInBothUnitSystems) {
  const TSovLookup& L = ShippedLookup();
  TSovFile F(L, UsFormatSettings());
  const int Liquid = L.FindManure("Dairy liquid"), Solid = L.FindManure("Dairy solid");
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int Manure;
    bool FromMetric;
    double Rate, Content;
    bool ToMetric;
    double Expected;
  } Cases[] = {
      {Liquid, false, 10000, 5, false, 50},  // gal/acre with lbs per 1000 gal
      {Liquid, true, 20000, 3, true, 60},     // liter/ha with kg per 1000 L
      {Liquid, true, 20000, 3, false, 60 * LbsPerKg},
      {Solid, true, 20, 6, true, 120},        // MT/ha with kg/MT
      {Solid, false, 10, 12, true, 120 / LbsPerKg},  // ton/acre with lbs/ton
      {Solid, true, NaN, 5, true, 0},         {Solid, true, 10, std::numeric_limits<double>::infinity(), true, 0},
  };
  for (const auto& C : Cases)
    EXPECT_NEAR(F.ManureN(C.Manure, C.FromMetric, C.Rate, C.Content, C.ToMetric), C.Expected, 1e-12) << C.Rate;
  for (int Row : {0, L.ManureCount() + 1}) EXPECT_THROW(F.ManureN(Row, true, 10, 5, true), std::out_of_range) << Row;
}

TEST(EventNitrogen, NitrateEventOfADayAndTheIrrigationWater) {
  TSovFile F(ShippedLookup(), UsFormatSettings());
  FieldWriter W{F, UsFormatSettings()};
  EXPECT_EQ(F.NitrateEventForDay(100), 0);  // none at all
  F.SetCell(10, SovCol::Irrigation, "30");
  EXPECT_EQ(F.IrrigationWaterN(10, true, true), 0.0);
  // Out of day order, other kinds between, two on one day (the first slot wins), and
  // slots whose day is no schedule day.
  W.Event(1, 40, SovEvent::Nitrate, 20);
  W.Event(2, 5, SovEvent::Fertilizer, 100);
  W.Event(3, 10, SovEvent::Nitrate, 10);
  W.Event(4, 20, SovEvent::Residue, 30);
  W.Event(5, 40, SovEvent::Nitrate, 6);
  W.Event(6, 0, SovEvent::Nitrate, 5);
  W.Event(7, 400, SovEvent::Nitrate, 5);
  // The latest on or before the day, else the earliest after it.
  for (const auto& [Day, Row] : {std::pair{1, 3}, {10, 3}, {39, 3}, {40, 1}, {365, 1}})
    EXPECT_EQ(F.NitrateEventForDay(Day), Row) << Day;
  for (int Day : {0, -1, 366}) {
    EXPECT_THROW(F.NitrateEventForDay(Day), std::out_of_range) << Day;
    EXPECT_THROW(F.IrrigationWaterN(Day, true, true), std::out_of_range) << Day;
  }
  // ppm times depth: 50 mm at 20 ppm carry 10 kg/ha; 2 inches are 50.8 mm; a day
  // before the first event takes that event.
  F.SetCell(50, SovCol::Irrigation, "50");
  F.SetCell(51, SovCol::Irrigation, "2");
  F.SetCell(3, SovCol::Irrigation, "25");
  F.SetCell(11, SovCol::Irrigation, "lots");  // not a number: 0
  const struct {
    int Day;
    bool FromMetric, ToMetric;
    double Expected;
  } Cases[] = {{50, true, true, 10},  {50, true, false, 10 * LbsPerKg}, {51, false, true, 10.16},
               {3, true, true, 2.5}, {11, true, true, 0},               {12, true, true, 0}};
  for (const auto& C : Cases)
    EXPECT_NEAR(F.IrrigationWaterN(C.Day, C.FromMetric, C.ToMetric), C.Expected, 1e-12) << C.Day;
  // Cells in the user's number form.
  TSovFile G(ShippedLookup(), GermanFormatSettings());
  FieldWriter{G, GermanFormatSettings()}.Event(1, 1, SovEvent::Nitrate, 12.5);  // "12,5"
  G.SetCell(5, SovCol::Irrigation, "20,4");
  EXPECT_NEAR(G.IrrigationWaterN(5, true, true), 12.5 * 20.4 / 100, 1e-12);
}

}  // namespace
