// The schedule computation on whole fields built through the cell operations: the
// inputs and their defaults, residue, soil layers, stage marks and the daily water
// phase, with the water balance checked as an invariant over random seasons.

#include "SovCalendar.h"
#include "SovSched.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

using namespace SovWater;

const TSovLookup& TestLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    const bool Ok = L->LoadFromFile(FURROW_TEST_DATA_DIR "/SovSched/SchedLookup.ini", Msg);
    EXPECT_TRUE(Ok) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

// Writes cells of a field in its user format.
class FieldWriter {
 public:
  FieldWriter(TSovSchedule& Field, const TFormatSettings& Format) : F(Field), Fmt(Format) {}

  void Text(int Row, int Col, const QString& Value) { F.SetCell(Row, Col, Value); }
  void Field(int Col, const QString& Value) { F.SetCell(1, Col, Value); }
  void Field(int Col, double Value) { F.SetCell(1, Col, FormatGeneral(Value, Fmt)); }
  void Number(int Row, int Col, double Value) { F.SetCell(Row, Col, FormatGeneral(Value, Fmt)); }
  void Date(int Col, const QDate& Value) { F.SetCell(1, Col, DateToStr(Value, Fmt)); }
  void Horizon(int Row, int Depth, const QString& Texture, double Awc, double Wp = 0.1,
               double Bd = 1.4, double OM = 2.0, double pH = 6.5) {
    F.SetCellInt(Row, SovCol::HzDepth, Depth);
    F.SetCell(Row, SovCol::HzTexture, Texture);
    Number(Row, SovCol::HzAWC, Awc);
    Number(Row, SovCol::HzWiltingPoint, Wp);
    Number(Row, SovCol::HzBulkDensity, Bd);
    Number(Row, SovCol::HzKSat, 10);
    Number(Row, SovCol::HzOM, OM);
    Number(Row, SovCol::HzpH, pH);
  }
  void Event(int Slot, int Day, int Code, const QString& Value) {
    F.SetCellInt(Slot, SovCol::EvDay, Day);
    F.SetCellInt(Slot, SovCol::EvCode, Code);
    F.SetCell(Slot, SovCol::EvValue, Value);
  }

  TSovSchedule& F;
  TFormatSettings Fmt;
};

struct FieldOptions {
  bool Metric = false;
  TFormatSettings Format = UsFormatSettings();
  QDate Start{2015, 4, 1};
  QDate Emergence{2015, 5, 10};
  QDate Calculation{2015, 9, 30};
  double LatitudeDeg = 42.0;
  QString Location = "Iowa";
  QString Crop = "Corn";
  int GrowingSeason = 120;
};

// A validated-looking field: location, crop, dates, a 4 ft (121.92 cm) root zone
// holding 8 in (203.2 mm), 300 m (984 ft) up, full profile at the start; no weather.
std::unique_ptr<TSovSchedule> NewField(const FieldOptions& O) {
  auto F = std::make_unique<TSovSchedule>(TestLookup(), O.Format);
  FieldWriter W(*F, O.Format);
  F->SetIsMetric(O.Metric);
  W.Field(SovCol::Location, O.Location);
  W.Field(SovCol::Crop, O.Crop);
  W.Field(SovCol::Latitude, O.LatitudeDeg);
  W.Field(SovCol::Longitude, -93.5);
  W.Field(SovCol::Elevation, O.Metric ? QString("300") : QString("984"));
  W.Date(SovCol::EmergenceDate, O.Emergence);
  W.Field(SovCol::GrowingSeason, QString::number(O.GrowingSeason));
  W.Field(SovCol::RootingDepth, O.Metric ? 121.92 : 4.0);
  W.Field(SovCol::MinimumMoisture, QString("50"));
  W.Field(SovCol::WaterHoldingCapacity, O.Metric ? 203.2 : 8.0);
  W.Field(SovCol::StartingMoisture, QString("100"));
  W.Field(SovCol::StartingResidue, QString("0"));
  W.Date(SovCol::StartingDate, O.Start);
  W.Date(SovCol::CalculationDate, O.Calculation);
  return F;
}

// Dry, mild, calm days: 25/10 °C (77/50 °F), no rain, humidity 50.
void FillPlainWeather(TSovSchedule& F, const TFormatSettings& Fmt, int Days) {
  FieldWriter W(F, Fmt);
  const bool Metric = F.IsMetric();
  for (int d = 1; d <= Days; ++d) {
    W.Number(d, SovCol::MaxTemp, Metric ? 25.0 : 77.0);
    W.Number(d, SovCol::MinTemp, Metric ? 10.0 : 50.0);
    W.Number(d, SovCol::Humidity, 50);
  }
}

// Metric weather of one day, written in either unit system.
struct DayWeather {
  double High, Low;
  double Precip;   // mm; < 0 empty
  double Irrig;    // mm; < 0 empty
  double Wind;     // m/s; < 0 empty
  double Humidity; // < 0 empty
  QString Stage;
};

std::vector<DayWeather> RandomWeather(unsigned Seed, int Days, bool WithMarks) {
  std::mt19937 Rng(Seed);
  std::uniform_real_distribution<double> U(0.0, 1.0);
  std::exponential_distribution<double> Rain(1.0 / 9.0);
  std::vector<DayWeather> Out;
  const QString Marks[] = {"I", "D", "M", "L", "Z", "S"};
  for (int d = 1; d <= Days; ++d) {
    DayWeather W;
    const double Season = 12 * std::sin(2 * M_PI * (d - 100) / 365.0);
    W.High = std::clamp(14 + Season + 8 * (U(Rng) - 0.5) * 2, -40.0, 48.0);
    W.Low = std::max(W.High - 2 - 18 * U(Rng), -45.0);
    W.Precip = U(Rng) < 0.65 ? (U(Rng) < 0.5 ? -1 : 0) : std::min(Rain(Rng), 200.0);
    W.Irrig = U(Rng) < 0.08 ? 10 + 30 * U(Rng) : -1;
    W.Wind = U(Rng) < 0.2 ? -1 : 0.2 + 9 * U(Rng);
    W.Humidity = U(Rng) < 0.3 ? -1 : 15 + 85 * U(Rng);
    if (WithMarks && U(Rng) < 0.03) W.Stage = Marks[int(U(Rng) * 6) % 6];
    Out.push_back(W);
  }
  return Out;
}

void WriteWeather(TSovSchedule& F, const TFormatSettings& Fmt, const std::vector<DayWeather>& Days) {
  FieldWriter W(F, Fmt);
  const bool Metric = F.IsMetric();
  auto Put = [&](int d, int Col, double Value, int Kind) {
    if (Value < 0 && Kind != 8) {
      W.Text(d, Col, "");
      return;
    }
    W.Number(d, Col, Metric ? Value : TSovFile::FromMetric(Kind, Value));
  };
  for (int d = 1; d <= int(Days.size()); ++d) {
    const DayWeather& Day = Days[std::size_t(d - 1)];
    Put(d, SovCol::MaxTemp, Day.High, 8);
    Put(d, SovCol::MinTemp, Day.Low, 8);
    Put(d, SovCol::Precip, Day.Precip, 5);
    Put(d, SovCol::Irrigation, Day.Irrig, 5);
    Put(d, SovCol::WindSpeed, Day.Wind, 10);
    if (Day.Humidity < 0) W.Text(d, SovCol::Humidity, "");
    else W.Number(d, SovCol::Humidity, Day.Humidity);
    W.Text(d, SovCol::GrowthStage, Day.Stage);
  }
}

// Four complete horizons down to 150 cm.
void WriteHorizons(TSovSchedule& F, const TFormatSettings& Fmt) {
  FieldWriter W(F, Fmt);
  W.Horizon(1, 20, "SIL", 0.22, 0.12, 1.3, 3.5, 6.2);
  W.Horizon(2, 45, "SICL", 0.18, 0.15, 1.4, 1.5, 6.8);
  W.Horizon(3, 90, "CL", 0.16, 0.17, 1.5, 0.7, 7.2);
  W.Horizon(4, 150, "L", 0.14, 0.12, 1.6, 0.3, 7.8);
}

void ExpectValid(const TSovSchedule& F) {
  QString Form;
  int Row = 0, Col = 0;
  EXPECT_TRUE(F.CheckFieldData(false, Form, Row, Col))
      << Form.toStdString() << " column " << Col << " row " << Row;
}

bool AllFinite(const TDayArray<double>& A) {
  for (double V : A.items()) {
    if (!std::isfinite(V)) return false;
  }
  return true;
}

// Every result finite on every day; each layer between empty and full; excess water
// is the last layer's drain; and the profile's water changes by what arrives less what
// the crop uses and what drains away, unless the profile ran dry.
void ExpectSoundSchedule(const TSovSchedule& S) {
  const TSovSchedule* P = &S;
  for (const TDayArray<double>* A :
       {&P->Precip(), &P->Irrigation(), &P->SolarRad(), &P->ETRef(), &P->Kc(), &P->ETCrop(),
        &P->SoilMoisture(), &P->ExcessWater(), &P->DepletedMoisture(), &P->RelativeMoisture(),
        &P->MineralizedN(), &P->AmmoniumN(), &P->NitrateN(), &P->DenitrifiedN(),
        &P->VolatilizedN(), &P->UptakeN(), &P->LeachedN()}) {
    ASSERT_TRUE(AllFinite(*A));
  }
  const TScheduleScalars& Sc = S.Scalars();
  ASSERT_GE(Sc.LayerCount, 1);
  ASSERT_LE(Sc.LayerCount, MaxSoilLayers);
  double Before = 0;
  for (int n = 1; n <= Sc.LayerCount; ++n) {
    Before += Sc.StartingMoisture * S.Layers()[n].LayerCapacity / 100;
  }
  for (int d = 1; d <= S.DayCount(); ++d) {
    const TScheduleDay& Day = S.Days()[d];
    ASSERT_TRUE(std::isfinite(Day.UnreducedETCrop));
    ASSERT_TRUE(std::isfinite(Day.MoisturePct));
    double Sum = 0;
    for (int n = 1; n <= Sc.LayerCount; ++n) {
      const double W = S.LayerWater(n, d);
      ASSERT_GE(W, 0.0) << "day " << d << " layer " << n;
      ASSERT_LE(W, S.Layers()[n].LayerCapacity) << "day " << d << " layer " << n;
      ASSERT_GE(S.LayerDrain(n, d), 0.0);
      Sum += W;
    }
    ASSERT_NEAR(Sum, S.SoilMoisture()[d], 1e-9);
    ASSERT_EQ(S.ExcessWater()[d], S.LayerDrain(Sc.LayerCount, d)) << "day " << d;
    const double Net = S.Precip()[d] + Day.EffectiveIrrigation - S.ETCrop()[d];
    const double After = S.SoilMoisture()[d];
    if (After > 0 || S.ExcessWater()[d] > 0) {
      ASSERT_NEAR(After - Before, Net - S.ExcessWater()[d], 1e-9) << "day " << d;
    } else {
      ASSERT_LE(Before + Net, 1e-9) << "day " << d;  // ran dry: the rest was dropped
    }
    // Surface drying never lets a negative crop use through, nor turns it positive.
    if (Day.DaysSinceWetting >= 6) {
      ASSERT_GE(S.ETCrop()[d], 0.0) << "day " << d;
    }
    if (Day.UnreducedETCrop <= 0) {
      ASSERT_LE(S.ETCrop()[d], 0.0) << "day " << d;
    }
    ASSERT_NEAR(S.DepletedMoisture()[d], Sc.WaterHoldingCapacity - After, 1e-9);
    Before = After;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(SovSchedCalc, NewScheduleIsEmpty) {
  TSovSchedule S(TestLookup(), UsFormatSettings());
  EXPECT_EQ(S.DayCount(), 0);
  for (int d = 1; d <= 365; ++d) {
    EXPECT_EQ(S.ETCrop()[d], 0.0);
    EXPECT_EQ(S.Residue()[d], 0);
  }
}

TEST(SovSchedCalc, DatesAndDayCount) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  ExpectValid(*F);
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 183);  // 1 April to 30 September
  EXPECT_EQ(F->DaysBeforeEmergence(), 39);
  EXPECT_EQ(F->StartDate(), O.Start);
  EXPECT_EQ(F->EmergenceDate(), O.Emergence);
  EXPECT_EQ(F->GrowingSeason(), 120);
  // Days beyond the schedule stay 0.
  EXPECT_NE(F->ETRef()[183], 0.0);
  EXPECT_EQ(F->ETRef()[184], 0.0);
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, CalculationDateWithoutYearTakesEmergenceYear) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  F->SetCell(1, SovCol::CalculationDate, "9/30");
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 183);
}

TEST(SovSchedCalc, BadDatesEndTheCalculationWithAnEmptySchedule) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  F->Calculate();
  ASSERT_EQ(F->DayCount(), 183);

  F->SetCell(1, SovCol::StartingDate, "4/31/2015");
  EXPECT_THROW(F->Calculate(), std::invalid_argument);
  EXPECT_EQ(F->DayCount(), 0);
  EXPECT_EQ(F->ETRef()[1], 0.0);

  // 1 January to 31 December of a leap year: 366 days.
  FieldWriter W(*F, O.Format);
  W.Date(SovCol::StartingDate, QDate(2016, 1, 1));
  W.Date(SovCol::EmergenceDate, QDate(2016, 2, 1));
  W.Date(SovCol::CalculationDate, QDate(2016, 12, 31));
  EXPECT_THROW(F->Calculate(), std::out_of_range);
  EXPECT_EQ(F->DayCount(), 0);
  // A calculation date before the start.
  W.Date(SovCol::CalculationDate, QDate(2015, 12, 31));
  EXPECT_THROW(F->Calculate(), std::out_of_range);
  W.Date(SovCol::CalculationDate, QDate(2016, 12, 30));
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 365);
  ExpectSoundSchedule(*F);

  // Weather the field check refuses and that leaves no finite balance: a mean of
  // -237.3 °C, a temperature of 1e300, rain and irrigation of 1e308 each.
  const struct {
    int Col1, Col2;
    const char* Value;
  } Weather[] = {{SovCol::MaxTemp, SovCol::MinTemp, "-237.3"},
                 {SovCol::MaxTemp, SovCol::MaxTemp, "1e300"},
                 {SovCol::Precip, SovCol::Irrigation, "1e308"}};
  O.Metric = true;
  for (const auto& C : Weather) {
    auto G = NewField(O);
    FillPlainWeather(*G, O.Format, 365);
    G->SetCell(150, C.Col1, C.Value);
    G->SetCell(150, C.Col2, C.Value);
    EXPECT_THROW(G->Calculate(), std::domain_error) << C.Value;
    EXPECT_EQ(G->DayCount(), 0);
    EXPECT_EQ(G->SoilMoisture()[1], 0.0);
  }
}

TEST(SovSchedCalc, RecalculationClearsDaysBeyondTheNewEnd) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  F->Calculate();
  ASSERT_NE(F->ETRef()[150], 0.0);
  ASSERT_NE(F->SoilMoisture()[150], 0.0);
  FieldWriter(*F, O.Format).Date(SovCol::CalculationDate, QDate(2015, 5, 31));
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 61);
  EXPECT_EQ(F->ETRef()[150], 0.0);
  EXPECT_EQ(F->SoilMoisture()[150], 0.0);
  EXPECT_EQ(F->SoilMoisture()[62], 0.0);
}

TEST(SovSchedCalc, LyonRadiationThroughTheSchedule) {
  // 45°43' N, 200 m, inland; day 15 of a schedule starting on 1 July is 15 July.
  FieldOptions O;
  O.Metric = true;
  O.LatitudeDeg = 45 + 43 / 60.0;
  O.Start = QDate(2015, 7, 1);
  O.Emergence = QDate(2015, 7, 1);
  O.Calculation = QDate(2015, 7, 31);
  auto F = NewField(O);
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::Elevation, QString("200"));
  for (int d = 1; d <= 31; ++d) {
    W.Number(d, SovCol::MaxTemp, 26.6);
    W.Number(d, SovCol::MinTemp, 14.8);
  }
  ExpectValid(*F);
  F->Calculate();
  EXPECT_NEAR(F->SolarRad()[15], 22.29, 0.01);
  const TRefEtDay Ref = ReferenceEt((45 + 43 / 60.0) * DegreesToRadians, 196, 200, false, 26.6,
                                    14.8, 2.0, -1);
  EXPECT_DOUBLE_EQ(F->ETRef()[15], Ref.ETo);
  EXPECT_DOUBLE_EQ(F->SolarRad()[15], Ref.Radiation.Rs);
  // Example 8's day of year through the schedule: 20° S, 3 September (day 246).
  O.LatitudeDeg = -20;
  O.Location = "Svalbard";
  O.Start = QDate(2015, 9, 3);
  O.Emergence = QDate(2015, 9, 3);
  O.Calculation = QDate(2015, 9, 3);
  auto G = NewField(O);
  FieldWriter(*G, O.Format).Number(1, SovCol::MaxTemp, 30);
  FieldWriter(*G, O.Format).Number(1, SovCol::MinTemp, 10);
  G->Calculate();
  const TRadiation R = DailyRadiation(-20 * DegreesToRadians, 246, 300, false, 30, 10,
                                      ActualVapourPressure(30, 10, -1));
  EXPECT_NEAR(R.Ra, 32.2, 0.05);
  EXPECT_DOUBLE_EQ(G->SolarRad()[1], R.Rs);
}

TEST(SovSchedCalc, DayOfYearRunsOnPastTheNewYear) {
  // 300 days from 1 June: the periodic terms see day 152 .. 451; day 366 of the year
  // count is 1 January again.
  FieldOptions O;
  O.Start = QDate(2015, 6, 1);
  O.Emergence = QDate(2015, 6, 10);
  O.Calculation = O.Start.addDays(299);
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  F->Calculate();
  ASSERT_EQ(F->DayCount(), 300);
  const double Lat = 42.0 * DegreesToRadians;
  const double HighC = TSovFile::ToMetric(8, 77), LowC = TSovFile::ToMetric(8, 50);
  for (int d : {1, 100, 215, 300}) {
    const TRefEtDay Ref = ReferenceEt(Lat, 151 + d, 300, false, HighC, LowC, 2.0, 50);
    EXPECT_DOUBLE_EQ(F->SolarRad()[d], Ref.Radiation.Rs) << d;
    EXPECT_DOUBLE_EQ(F->ETRef()[d], Ref.ETo / 25.4) << d;
  }
}

TEST(SovSchedCalc, FieldScalarDefaults) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  F->SetCell(1, SovCol::Elevation, "");
  F->SetCell(1, SovCol::MinimumMoisture, "");
  F->SetCell(1, SovCol::IrrigationEfficiency, "");
  ExpectValid(*F);
  F->Calculate();
  const TScheduleScalars& S = F->Scalars();
  EXPECT_EQ(S.Elevation, 200);  // not converted from feet
  EXPECT_EQ(S.MinimumMoisture, 60);
  EXPECT_EQ(S.IrrigationEfficiency, 100);
  EXPECT_DOUBLE_EQ(S.WettingThreshold, 0.2);
  EXPECT_NEAR(S.Latitude, 42.0 * M_PI / 180, 1e-15);
  EXPECT_DOUBLE_EQ(S.RootingDepth, 4 * 12 * 2.54);
  EXPECT_FALSE(S.HorizonsUsable);

  F->SetCell(1, SovCol::Elevation, "984");
  F->Calculate();
  EXPECT_EQ(F->Scalars().Elevation, 300);  // 984 / 3.281 = 299.9
  F->SetCell(1, SovCol::Elevation, "15000");
  F->Calculate();
  EXPECT_EQ(F->Scalars().Elevation, 4572);  // 4571.8

  O.Metric = true;
  auto M = NewField(O);
  FillPlainWeather(*M, O.Format, 365);
  M->Calculate();
  EXPECT_DOUBLE_EQ(M->Scalars().WettingThreshold, 5.08);
  EXPECT_EQ(M->Scalars().Elevation, 300);
  EXPECT_DOUBLE_EQ(M->Scalars().RootingDepth, 121.92);
}

TEST(SovSchedCalc, DailyWeatherDefaultsAndConversions) {
  FieldOptions O;
  auto F = NewField(O);
  FieldWriter W(*F, O.Format);
  W.Number(1, SovCol::MaxTemp, 212);
  W.Number(1, SovCol::MinTemp, 32);
  W.Number(2, SovCol::MaxTemp, 50);
  W.Number(2, SovCol::MinTemp, 41);
  W.Number(2, SovCol::WindSpeed, 10);
  W.Number(2, SovCol::Humidity, 70);
  W.Number(2, SovCol::Precip, 0.5);
  W.Number(2, SovCol::Irrigation, 1);
  W.Field(SovCol::IrrigationEfficiency, QString("80"));
  FieldWriter(*F, O.Format).Date(SovCol::CalculationDate, QDate(2015, 4, 2));
  F->Calculate();
  const TScheduleDay& D1 = F->Days()[1];
  EXPECT_DOUBLE_EQ(D1.High, 100);
  EXPECT_DOUBLE_EQ(D1.Low, 0);
  EXPECT_DOUBLE_EQ(D1.Mean, 50);
  EXPECT_EQ(D1.Wind, 2.0);
  EXPECT_EQ(D1.Humidity, -1.0);
  EXPECT_EQ(F->Precip()[1], 0.0);
  const TScheduleDay& D2 = F->Days()[2];
  EXPECT_DOUBLE_EQ(D2.High, 10);
  EXPECT_DOUBLE_EQ(D2.Low, 5);
  EXPECT_NEAR(D2.Wind, 10 * 5280.0 / 3600 / 3.281, 1e-12);
  EXPECT_EQ(D2.Humidity, 70.0);
  EXPECT_EQ(F->Precip()[2], 0.5);
  // 80 percent efficiency: 1 inch counts as 0.8 in the balance, shows as 1.
  EXPECT_EQ(F->Irrigation()[2], 1.0);
  EXPECT_DOUBLE_EQ(D2.EffectiveIrrigation, 0.8);
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, ResidueCover) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::StartingResidue, QString("30"));
  W.Event(1, 10, 4, "50");
  W.Event(2, 20, 4, "10");
  W.Event(3, 20, 4, "70");    // a later slot wins on the same day
  W.Event(4, 5, 1, "100");    // not a residue event
  W.Event(5, 400, 4, "90");   // outside the schedule
  W.Event(6, 30, 4, "12.5");  // not a whole number: 0
  F->Calculate();
  EXPECT_EQ(F->Residue()[1], 30);
  EXPECT_EQ(F->Residue()[9], 30);
  EXPECT_EQ(F->Residue()[10], 50);
  EXPECT_EQ(F->Residue()[19], 50);
  EXPECT_EQ(F->Residue()[20], 70);
  EXPECT_EQ(F->Residue()[29], 70);
  EXPECT_EQ(F->Residue()[30], 0);
  EXPECT_EQ(F->Residue()[183], 0);
  EXPECT_EQ(F->Residue()[184], 0);

  // An "R" event on day 1 replaces the starting residue; the last one carries on.
  W.Event(7, 1, 4, "35");
  W.Event(6, 0, 0, "");
  F->Calculate();
  EXPECT_EQ(F->Residue()[1], 35);
  EXPECT_EQ(F->Residue()[183], 70);
  // Before emergence the residue lowers the crop coefficient: 35 % gives 0.34.
  EXPECT_NEAR(F->Kc()[1], 0.34, 1e-15);
  EXPECT_NEAR(F->Kc()[10], 0.3, 1e-15);
  EXPECT_NEAR(F->Kc()[25], 0.26, 1e-15);
}

TEST(SovSchedCalc, CropCoefficientAfterEmergenceFollowsTheCalendar) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  FieldWriter W(*F, O.Format);
  W.Text(90, SovCol::GrowthStage, "M");
  F->Calculate();
  const int Dbe = F->DaysBeforeEmergence();
  const int Crop = F->Crop();
  std::vector<int> Marks(365, 0);
  Marks[89] = StageMid;
  for (int d = Dbe + 1; d <= F->DayCount(); ++d) {
    const double Kc =
        KcOfDay(TestLookup(), F->DaysFromPlanting(Crop, d - Dbe), Crop,
                F->TotalSeasonDays(Crop, 120), Marks, Dbe, F->DaysFromPlanting(Crop, 0));
    ASSERT_DOUBLE_EQ(F->Kc()[d], Kc) << d;
    ASSERT_DOUBLE_EQ(F->Days()[d].UnreducedETCrop, F->ETRef()[d] * Kc) << d;
  }
  EXPECT_DOUBLE_EQ(F->Kc()[Dbe + 1], 0.3);   // KcIni at emergence
  EXPECT_DOUBLE_EQ(F->Kc()[90], 1.2);        // KcMid from the mark on
  EXPECT_EQ(F->UserStage()[90], StageMid);
  EXPECT_EQ(F->UserStage()[89], 0);
}

TEST(SovSchedCalc, FrozenAndSnowDays) {
  for (bool Metric : {false, true}) {
    FieldOptions O;
    O.Metric = Metric;
    auto F = NewField(O);
    FillPlainWeather(*F, O.Format, 365);
    FieldWriter W(*F, O.Format);
    W.Text(3, SovCol::GrowthStage, "Z");
    W.Text(60, SovCol::GrowthStage, "S");
    W.Text(61, SovCol::GrowthStage, "s");  // not a stage code: letters count with case
    W.Number(58, SovCol::Precip, Metric ? 25.4 : 1.0);
    F->Calculate();
    const double Frozen = Metric ? 1.0 : 0.04;
    for (int d : {3, 60}) {
      EXPECT_EQ(F->Kc()[d], 0.0);
      EXPECT_EQ(F->Days()[d].UnreducedETCrop, Frozen);
      EXPECT_DOUBLE_EQ(F->ETCrop()[d], Frozen);  // wet surface, no stress
    }
    EXPECT_EQ(F->UserStage()[3], StageFrozen);
    EXPECT_EQ(F->UserStage()[60], StageSnow);
    EXPECT_EQ(F->UserStage()[61], 0);
    // Day 61 has no mark of its own but follows the snow mark in the calendar.
    EXPECT_DOUBLE_EQ(F->Kc()[61], 0.6);
  }
}

TEST(SovSchedCalc, SurfaceDryingAndWettings) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  FieldWriter W(*F, O.Format);
  W.Number(20, SovCol::Precip, 0.2);    // exactly the threshold: a wetting
  W.Number(40, SovCol::Precip, 0.19);   // not one
  W.Number(41, SovCol::Irrigation, 0.25);
  W.Field(SovCol::IrrigationEfficiency, QString("80"));  // 0.2 effective: a wetting
  F->Calculate();
  EXPECT_EQ(F->Days()[1].DaysSinceWetting, 1);
  EXPECT_EQ(F->Days()[19].DaysSinceWetting, 19);
  EXPECT_EQ(F->Days()[20].DaysSinceWetting, 1);
  EXPECT_EQ(F->Days()[40].DaysSinceWetting, 21);
  EXPECT_EQ(F->Days()[41].DaysSinceWetting, 1);
  for (int d = 1; d <= F->DayCount(); ++d) {
    const TScheduleDay& Day = F->Days()[d];
    const double Dried = DriedCropEt(Day.UnreducedETCrop, Day.DaysSinceWetting);
    const double Pct = d == 1 ? 100.0 : F->Days()[d - 1].MoisturePct;
    ASSERT_DOUBLE_EQ(F->ETCrop()[d], StressedCropEt(Dried, Pct)) << d;
  }
  EXPECT_EQ(F->ETCrop()[24], F->Days()[24].UnreducedETCrop);  // t = 5
  EXPECT_LT(F->ETCrop()[25], F->Days()[25].UnreducedETCrop);  // t = 6
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, MoistureStressAndRelativeMoisture) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::StartingMoisture, QString("40"));
  W.Field(SovCol::MinimumMoisture, QString("60"));
  F->Calculate();
  // Day 1: 40 percent at the start scales the crop use by 0.8.
  EXPECT_DOUBLE_EQ(F->ETCrop()[1], F->Days()[1].UnreducedETCrop * 40 / 50);
  const double Pct1 = F->SoilMoisture()[1] / 8.0 * 100;
  EXPECT_DOUBLE_EQ(F->Days()[1].MoisturePct, Pct1);
  EXPECT_DOUBLE_EQ(F->RelativeMoisture()[1], (Pct1 - 60) * 0.22);
  EXPECT_DOUBLE_EQ(F->ETCrop()[2], F->Days()[2].UnreducedETCrop * Pct1 / 50);
  ExpectSoundSchedule(*F);

  // A profile at 100 percent has relative moisture 8.8 with a minimum of 60.
  W.Field(SovCol::StartingMoisture, QString("100"));
  W.Number(1, SovCol::Precip, 5);
  F->Calculate();
  EXPECT_DOUBLE_EQ(F->SoilMoisture()[1], 8.0);
  EXPECT_NEAR(F->RelativeMoisture()[1], 8.8, 1e-12);
  EXPECT_GT(F->ExcessWater()[1], 4.0);
}

TEST(SovSchedCalc, NegativeReferenceEtAfterLongDryness) {
  // 80 N from 1 October: polar night with saturated air gives negative net radiation
  // and reference ET. Long after the last wetting the crop use is 0, never positive.
  FieldOptions O;
  O.LatitudeDeg = 80;
  O.Location = "Svalbard";
  O.Start = QDate(2015, 10, 1);
  O.Emergence = QDate(2015, 10, 1);
  O.Calculation = QDate(2016, 3, 15);
  O.Crop = "Alfalfa";
  O.GrowingSeason = 200;
  auto F = NewField(O);
  FieldWriter W(*F, O.Format);
  for (int d = 1; d <= 167; ++d) {
    W.Number(d, SovCol::MaxTemp, 5);
    W.Number(d, SovCol::MinTemp, -10);
    W.Number(d, SovCol::Humidity, 100);
    W.Number(d, SovCol::WindSpeed, 1);
  }
  ExpectValid(*F);
  F->Calculate();
  int Negative = 0;
  for (int d = 1; d <= F->DayCount(); ++d) {
    if (F->ETRef()[d] < 0) ++Negative;
    const TScheduleDay& Day = F->Days()[d];
    if (Day.DaysSinceWetting >= 124) {
      EXPECT_EQ(F->ETCrop()[d], 0.0) << d;
    }
    if (Day.DaysSinceWetting < 6) {
      EXPECT_EQ(F->ETCrop()[d], Day.UnreducedETCrop) << d;
    }
  }
  EXPECT_GT(Negative, 100);
  EXPECT_LT(F->ETRef()[1], 0);
  EXPECT_LT(F->ETCrop()[1], 0);  // wet surface: negative use adds water
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, PolarLatitudesStayFinite) {
  struct Case {
    double Latitude;
    QDate Start;
  };
  const Case Cases[] = {{80, {2015, 6, 1}},   {80, {2015, 12, 1}}, {-80, {2015, 6, 1}},
                        {-80, {2015, 12, 1}}, {90, {2015, 6, 1}},  {-90, {2015, 6, 1}},
                        {89.99, {2015, 1, 1}}};
  for (const Case& C : Cases) {
    FieldOptions O;
    O.LatitudeDeg = C.Latitude;
    O.Location = "Svalbard";
    O.Start = C.Start;
    O.Emergence = C.Start.addDays(5);
    O.Calculation = C.Start.addDays(364);
    auto F = NewField(O);
    WriteWeather(*F, O.Format, RandomWeather(unsigned(C.Latitude * 100 + C.Start.month()), 365, true));
    ExpectValid(*F);
    F->Calculate();
    ASSERT_EQ(F->DayCount(), 365);
    ExpectSoundSchedule(*F);
    // Midnight sun in the local summer, polar night in the local winter.
    const bool NorthSummerFirst = (C.Latitude > 0) == (C.Start.month() == 6);
    if (std::abs(C.Latitude) >= 80 && C.Start.month() != 1) {
      EXPECT_EQ(F->SolarRad()[NorthSummerFirst ? 185 : 15] == 0.0, true) << C.Latitude;
      EXPECT_GT(F->SolarRad()[NorthSummerFirst ? 15 : 185], 0.0) << C.Latitude;
    }
  }
}

// ---------------------------------------------------------------------------
// Soil layers

TEST(SovSchedCalc, NoUsableHorizonsGiveOneLayer) {
  enum Kind { None, FirstIncomplete, OutOfOrder, BadTexture, NoRootZone };
  for (Kind K : {None, FirstIncomplete, OutOfOrder, BadTexture, NoRootZone}) {
    FieldOptions O;
    auto F = NewField(O);
    FillPlainWeather(*F, O.Format, 365);
    FieldWriter W(*F, O.Format);
    if (K != None) WriteHorizons(*F, O.Format);
    if (K == FirstIncomplete) W.Text(1, SovCol::HzpH, "");
    if (K == OutOfOrder) F->SetCellInt(3, SovCol::HzDepth, 45);
    if (K == BadTexture) W.Text(2, SovCol::HzTexture, "LOAM");
    if (K == NoRootZone) W.Field(SovCol::RootingDepth, QString("0"));  // refused by the check
    F->Calculate();
    const TScheduleScalars& S = F->Scalars();
    EXPECT_FALSE(S.HorizonsUsable) << K;
    EXPECT_EQ(S.LayerCount, 1);
    EXPECT_EQ(F->Layers()[1].LayerCapacity, 8.0);
    for (int d = 1; d <= 365; ++d) ASSERT_EQ(F->NitrateN()[d], 0.0);
    ExpectSoundSchedule(*F);
  }
}

TEST(SovSchedCalc, LayersFromHorizonsCutAtTheRootingDepth) {
  FieldOptions O;
  O.Metric = true;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  WriteHorizons(*F, O.Format);
  F->Calculate();
  const TScheduleScalars& S = F->Scalars();
  ASSERT_TRUE(S.HorizonsUsable);
  // Root zone 121.92 cm: horizon 4 (to 150 cm) is cut.
  ASSERT_EQ(S.LayerCount, 4);
  EXPECT_DOUBLE_EQ(S.RootingDepth, 121.92);
  const double Tops[] = {0, 20, 45, 90}, Bottoms[] = {20, 45, 90, 121.92};
  const double Awc[] = {0.22, 0.18, 0.16, 0.14};
  for (int n = 1; n <= 4; ++n) {
    const TSoilLayer& L = F->Layers()[n];
    EXPECT_DOUBLE_EQ(L.Top, Tops[n - 1]);
    EXPECT_DOUBLE_EQ(L.Bottom, Bottoms[n - 1]);
    EXPECT_DOUBLE_EQ(L.Thickness, Bottoms[n - 1] - Tops[n - 1]);
    EXPECT_DOUBLE_EQ(L.LayerCapacity, Awc[n - 1] * L.Thickness * 10);
  }
  const TSoilLayer& L1 = F->Layers()[1];
  EXPECT_DOUBLE_EQ(L1.LayerPorosity, (2.65 - 1.3) / 2.65);
  EXPECT_DOUBLE_EQ(L1.WiltingPoint, 0.12);
  EXPECT_DOUBLE_EQ(L1.pH, 6.2);
  EXPECT_EQ(L1.Texture, TSovFile::TextureIndex("SIL"));
  // Initial nitrate: 8 ppm in 0-20; (10.5 * 8 + 14.5 * 4) / 25 = 5.68 in 20-45.
  EXPECT_DOUBLE_EQ(L1.LayerNitratePpm, 8.0);
  EXPECT_NEAR(F->Layers()[2].LayerNitratePpm, 5.68, 1e-12);
  EXPECT_NEAR(F->Layers()[3].LayerNitratePpm, (16 * 4 + 29 * 2) / 45.0, 1e-12);
  // 90 to 121.92 cm: the last 0.02 cm lie below the nitrate bands.
  EXPECT_NEAR(F->Layers()[4].LayerNitratePpm, (1.4 * 2 + 30.5 * 2) / 31.92, 1e-12);
  double Nitrate = 0;
  for (int n = 1; n <= 4; ++n) {
    const TSoilLayer& L = F->Layers()[n];
    Nitrate += L.LayerNitratePpm * L.Thickness * L.BulkDensity / 10;
  }
  EXPECT_NEAR(F->StartingNitrateN(), Nitrate, 1e-12);
  // Organic matter 3.5, 1.5, 0.7, 0.3: factors 5, 5, 2.5, 1.25.
  EXPECT_DOUBLE_EQ(F->Layers()[1].LayerMineralizableN, 17.5);
  EXPECT_DOUBLE_EQ(F->Layers()[2].LayerMineralizableN, 7.5);
  EXPECT_DOUBLE_EQ(F->Layers()[3].LayerMineralizableN, 1.75);
  EXPECT_DOUBLE_EQ(F->Layers()[4].LayerMineralizableN, 0.375);
  EXPECT_EQ(F->Layers()[1].LayerMineralizedN, 0.0);
  EXPECT_EQ(F->Layers()[1].LayerAmmoniumPpm, 0.0);
  ExpectSoundSchedule(*F);

  // The field's organic matter replaces the top horizon's, and a previous crop that
  // is not a legume-like one halves the top layer's factor.
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::OrganicMatter, 0.8);
  W.Field(SovCol::PreviousCrop, QString("Soybean"));
  F->Calculate();
  EXPECT_DOUBLE_EQ(F->Layers()[1].OrganicMatter, 0.8);
  EXPECT_DOUBLE_EQ(F->Layers()[1].LayerMineralizableN, 1.25 * 0.8);
  EXPECT_DOUBLE_EQ(F->Layers()[2].LayerMineralizableN, 7.5);
  W.Field(SovCol::PreviousCrop, QString("Alfalfa"));  // ToMaxCrop 2: not halved
  F->Calculate();
  EXPECT_DOUBLE_EQ(F->Layers()[1].LayerMineralizableN, 2.5 * 0.8);
}

TEST(SovSchedCalc, ShallowHorizonsCutTheRootZone) {
  FieldOptions O;
  O.Metric = true;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  WriteHorizons(*F, O.Format);
  FieldWriter W(*F, O.Format);
  // A bottom horizon with KSat but no AWC below complete ones is the end of the soil.
  W.Text(3, SovCol::HzAWC, "");
  F->Calculate();
  const TScheduleScalars& S = F->Scalars();
  ASSERT_TRUE(S.HorizonsUsable);
  EXPECT_EQ(S.LayerCount, 2);
  EXPECT_DOUBLE_EQ(S.RootingDepth, 45);
  EXPECT_DOUBLE_EQ(F->Layers()[2].Bottom, 45);

  // Without KSat the same horizon makes the horizons unusable.
  W.Text(3, SovCol::HzKSat, "");
  F->Calculate();
  EXPECT_FALSE(F->Scalars().HorizonsUsable);
  EXPECT_EQ(F->Scalars().LayerCount, 1);

  // A horizon reaching the rooting depth is the last one used, the rest is ignored
  // even when incomplete.
  WriteHorizons(*F, O.Format);
  W.Field(SovCol::RootingDepth, 30.0);
  W.Text(4, SovCol::HzTexture, "");
  F->Calculate();
  EXPECT_TRUE(F->Scalars().HorizonsUsable);
  EXPECT_EQ(F->Scalars().LayerCount, 2);
  EXPECT_DOUBLE_EQ(F->Layers()[2].Bottom, 30);
  EXPECT_DOUBLE_EQ(F->Layers()[2].Thickness, 10);
  // Exactly at a horizon's bottom: that horizon is the last.
  W.Field(SovCol::RootingDepth, 20.0);
  F->Calculate();
  EXPECT_EQ(F->Scalars().LayerCount, 1);
  EXPECT_TRUE(F->Scalars().HorizonsUsable);
}

TEST(SovSchedCalc, EnglishLayerCapacityIsInInches) {
  FieldOptions O;
  auto F = NewField(O);
  FillPlainWeather(*F, O.Format, 365);
  WriteHorizons(*F, O.Format);
  F->Calculate();
  ASSERT_TRUE(F->Scalars().HorizonsUsable);
  EXPECT_DOUBLE_EQ(F->Layers()[1].LayerCapacity, 0.22 * 20 * 10 / 25.4);
  EXPECT_NEAR(F->StartingNitrateN(), 0.8922 * [&] {
    double Sum = 0;
    for (int n = 1; n <= F->Scalars().LayerCount; ++n) {
      const TSoilLayer& L = F->Layers()[n];
      Sum += L.LayerNitratePpm * L.Thickness * L.BulkDensity / 10;
    }
    return Sum;
  }(), 1e-12);
}

TEST(SovSchedCalc, ZeroCapacityLayersStayFinite) {
  FieldOptions O;
  O.Metric = true;
  auto F = NewField(O);
  WriteWeather(*F, O.Format, RandomWeather(99, 365, false));
  WriteHorizons(*F, O.Format);
  FieldWriter W(*F, O.Format);
  W.Number(1, SovCol::HzAWC, 0);
  W.Number(3, SovCol::HzAWC, 0);
  ExpectValid(*F);
  F->Calculate();
  ASSERT_TRUE(F->Scalars().HorizonsUsable);
  EXPECT_EQ(F->Layers()[1].LayerCapacity, 0.0);
  ExpectSoundSchedule(*F);
}

TEST(SovSchedCalc, VanishingWaterHoldingCapacityStaysFinite) {
  // A capacity of 0 (refused by the field check) counts as a full profile; a tiny one
  // with horizons holding far more gives a huge but finite percentage.
  for (const char* Capacity : {"0", "1e-300", "1e-310", "0.0001"}) {
    for (bool Horizons : {false, true}) {
      FieldOptions O;
      O.Metric = true;
      auto F = NewField(O);
      WriteWeather(*F, O.Format, RandomWeather(5, 365, false));
      if (Horizons) WriteHorizons(*F, O.Format);
      F->SetCell(1, SovCol::WaterHoldingCapacity, Capacity);
      F->Calculate();
      SCOPED_TRACE(Capacity);
      ExpectSoundSchedule(*F);
      if (!Horizons && std::string(Capacity) == "0") {
        EXPECT_EQ(F->Days()[10].MoisturePct, 100.0);
        EXPECT_DOUBLE_EQ(F->RelativeMoisture()[10], (100 - 50) * 0.22);
      }
    }
  }
}

TEST(SovSchedCalc, YieldFactorForTheNitrogenPhase) {
  struct Case {
    QString Crop, Yield;
    bool Metric;
    double Factor;
  };
  const Case Cases[] = {
      {"Corn", "", false, 0.8},
      {"Corn", "150", false, 1.1 * 150 / 277},
      {"Corn", "300", false, 1.0},
      {"Corn", "-5", false, 0.8},  // invalid
      {"Corn", "9000", true, 1.1 * (9000 * 0.8922 / 56) / 277},
      {"Corn", "10000", true, 0.8},  // above 9999: invalid
      {"Soybean", "", false, 1.0},
      {"Alfalfa", "150", false, 1.0},
  };
  for (const Case& C : Cases) {
    FieldOptions O;
    O.Metric = C.Metric;
    O.Crop = C.Crop;
    auto F = NewField(O);
    FillPlainWeather(*F, O.Format, 365);
    WriteHorizons(*F, O.Format);
    F->SetCell(1, SovCol::ProjectedYield, C.Yield);
    F->Calculate();
    EXPECT_NEAR(F->Scalars().YieldFactor, C.Factor, 1e-12) << C.Crop.toStdString() << " "
                                                           << C.Yield.toStdString();
    EXPECT_EQ(F->Scalars().CropHasUptake, C.Crop == "Corn");
  }
}

// ---------------------------------------------------------------------------
// Whole seasons

TEST(SovSchedCalc, WaterBalanceHoldsOverRandomSeasons) {
  for (unsigned Seed = 1; Seed <= 24; ++Seed) {
    FieldOptions O;
    O.Metric = Seed % 2 == 0;
    O.Format = Seed % 3 == 0 ? GermanFormatSettings() : UsFormatSettings();
    O.Start = QDate(2014 + int(Seed % 4), 1 + int(Seed % 12), 1);
    O.Emergence = O.Start.addDays(int(Seed * 3 % 60));
    O.Calculation = O.Start.addDays(364);
    O.LatitudeDeg = -60.0 + Seed * 5;
    O.Location = "Svalbard";
    O.Crop = Seed % 5 == 0 ? "Alfalfa" : "Corn";
    auto F = NewField(O);
    WriteWeather(*F, O.Format, RandomWeather(Seed, 365, true));
    if (Seed % 4 < 2) WriteHorizons(*F, O.Format);
    FieldWriter W(*F, O.Format);
    W.Field(SovCol::StartingMoisture, QString::number(Seed * 7 % 101));
    W.Field(SovCol::IrrigationEfficiency, QString::number(10 + Seed * 13 % 91));
    ExpectValid(*F);
    F->Calculate();
    ASSERT_EQ(F->DayCount(), 365);
    SCOPED_TRACE(Seed);
    ExpectSoundSchedule(*F);
  }
}

TEST(SovSchedCalc, MetricAndEnglishAgree) {
  for (unsigned Seed : {7u, 8u, 9u}) {
    for (bool Horizons : {false, true}) {
      FieldOptions O;
      O.Start = QDate(2015, 3, 1);
      O.Emergence = QDate(2015, 4, 20);
      O.Calculation = QDate(2015, 11, 30);
      const auto Weather = RandomWeather(Seed, 365, false);
      auto E = NewField(O);
      O.Metric = true;
      O.Format = GermanFormatSettings();
      auto M = NewField(O);
      for (TSovSchedule* F : {E.get(), M.get()}) {
        const TFormatSettings Fmt = F == E.get() ? UsFormatSettings() : GermanFormatSettings();
        WriteWeather(*F, Fmt, Weather);
        if (Horizons) WriteHorizons(*F, Fmt);
        FieldWriter(*F, Fmt).Text(200, SovCol::GrowthStage, "L");
        ExpectValid(*F);
        F->Calculate();
      }
      ASSERT_EQ(E->DayCount(), M->DayCount());
      ASSERT_EQ(E->Scalars().LayerCount, M->Scalars().LayerCount);
      for (int d = 1; d <= E->DayCount(); ++d) {
        SCOPED_TRACE(d);
        ASSERT_NEAR(E->SolarRad()[d], M->SolarRad()[d], 1e-9);
        ASSERT_NEAR(E->ETRef()[d] * 25.4, M->ETRef()[d], 1e-9);
        ASSERT_NEAR(E->Kc()[d], M->Kc()[d], 1e-12);
        ASSERT_NEAR(E->ETCrop()[d] * 25.4, M->ETCrop()[d], 1e-9);
        ASSERT_NEAR(E->SoilMoisture()[d] * 25.4, M->SoilMoisture()[d], 1e-8);
        ASSERT_NEAR(E->ExcessWater()[d] * 25.4, M->ExcessWater()[d], 1e-8);
        ASSERT_NEAR(E->DepletedMoisture()[d] * 25.4, M->DepletedMoisture()[d], 1e-8);
        ASSERT_NEAR(E->RelativeMoisture()[d], M->RelativeMoisture()[d], 1e-9);
        ASSERT_NEAR(E->NitrateN()[d] / 0.8922, M->NitrateN()[d], 1e-9);
      }
    }
  }
}

TEST(SovSchedCalc, FrozenDayConstantIsTheOnlyUnitDifference) {
  FieldOptions O;
  auto E = NewField(O);
  O.Metric = true;
  auto M = NewField(O);
  for (TSovSchedule* F : {E.get(), M.get()}) {
    FillPlainWeather(*F, UsFormatSettings(), 365);
    F->SetCell(8, SovCol::Precip, F->IsMetric() ? "25.4" : "1");
    F->SetCell(10, SovCol::GrowthStage, "Z");
    F->Calculate();
  }
  EXPECT_DOUBLE_EQ(E->ETCrop()[10] * 25.4, 1.016);
  EXPECT_DOUBLE_EQ(M->ETCrop()[10], 1.0);
}

TEST(SovSchedCalc, UserFormatDoesNotChangeTheSchedule) {
  FieldOptions O;
  O.Metric = true;
  auto U = NewField(O);
  O.Format = GermanFormatSettings();
  auto G = NewField(O);
  O.Format = IsoFormatSettings();
  auto I = NewField(O);
  const auto Weather = RandomWeather(42, 365, true);
  for (auto* F : {U.get(), G.get(), I.get()}) {
    const TFormatSettings& Fmt = F == U.get() ? UsFormatSettings()
                                : F == G.get() ? GermanFormatSettings()
                                               : IsoFormatSettings();
    WriteWeather(*F, Fmt, Weather);
    WriteHorizons(*F, Fmt);
    FieldWriter(*F, Fmt).Field(SovCol::OrganicMatter, 2.5);
    F->Calculate();
  }
  EXPECT_EQ(G->GetCell(1, SovCol::OrganicMatter), "2,5");
  for (auto* F : {G.get(), I.get()}) {
    ASSERT_EQ(F->DayCount(), U->DayCount());
    for (int d = 1; d <= U->DayCount(); ++d) {
      ASSERT_EQ(F->ETCrop()[d], U->ETCrop()[d]);
      ASSERT_EQ(F->SoilMoisture()[d], U->SoilMoisture()[d]);
      ASSERT_EQ(F->NitrateN()[d], U->NitrateN()[d]);
    }
  }
}

// ---------------------------------------------------------------------------
// Whole days worked out by hand from the formulas (independently of this code)

namespace {

struct HandDay {
  int Day;
  double SolarRad, ETRef, Kc, ETCrop, SoilMoisture, ExcessWater, Depleted, Relative;
};

void ExpectHandDays(const TSovSchedule& F, std::initializer_list<HandDay> Days) {
  for (const HandDay& H : Days) {
    SCOPED_TRACE(H.Day);
    EXPECT_NEAR(F.SolarRad()[H.Day], H.SolarRad, 1e-9);
    EXPECT_NEAR(F.ETRef()[H.Day], H.ETRef, 1e-10);
    EXPECT_NEAR(F.Kc()[H.Day], H.Kc, 1e-12);
    EXPECT_NEAR(F.ETCrop()[H.Day], H.ETCrop, 1e-10);
    EXPECT_NEAR(F.SoilMoisture()[H.Day], H.SoilMoisture, 1e-9);
    EXPECT_NEAR(F.ExcessWater()[H.Day], H.ExcessWater, 1e-9);
    EXPECT_NEAR(F.DepletedMoisture()[H.Day], H.Depleted, 1e-9);
    EXPECT_NEAR(F.RelativeMoisture()[H.Day], H.Relative, 1e-9);
  }
}

}  // namespace

TEST(SovSchedCalc, MetricDaysWorkedByHand) {
  // 41.5° N, 150 m (halfway between rows: gamma 0.066), inland, German number form.
  // Root zone 50 cm over horizons to 20 and 60 cm: layers of 40 and 45 mm. Day 1 is
  // before emergence with 35 % residue (Kc 0.34), irrigated 20 mm at 75 % (a
  // wetting), starting at 40 % (crop use x 0.8). Day 2 is emergence (KcIni), 45 mm of
  // rain overfill both layers. Day 3 is frozen.
  FieldOptions O;
  O.Metric = true;
  O.Format = GermanFormatSettings();
  O.LatitudeDeg = 41.5;
  O.Start = QDate(2015, 6, 1);
  O.Emergence = QDate(2015, 6, 2);
  O.Calculation = QDate(2015, 6, 3);
  auto F = NewField(O);
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::Elevation, QString("150"));
  W.Field(SovCol::RootingDepth, 50.0);
  W.Field(SovCol::WaterHoldingCapacity, 90.0);
  W.Field(SovCol::IrrigationEfficiency, QString("75"));
  W.Field(SovCol::StartingMoisture, QString("40"));
  W.Field(SovCol::StartingResidue, QString("35"));
  W.Horizon(1, 20, "SIL", 0.2);
  W.Horizon(2, 60, "SICL", 0.15);
  const struct {
    double High, Low;
    QString Humidity, Wind, Precip, Irrigation, Stage;
  } Weather[] = {{30, 15, "60", "3", "", "20", ""},
                 {28, 12, "", "", "45", "", ""},
                 {25, 10, "", "", "", "", "Z"}};
  for (int d = 1; d <= 3; ++d) {
    const auto& Day = Weather[d - 1];
    W.Number(d, SovCol::MaxTemp, Day.High);
    W.Number(d, SovCol::MinTemp, Day.Low);
    W.Text(d, SovCol::Humidity, Day.Humidity);
    W.Text(d, SovCol::WindSpeed, Day.Wind);
    W.Text(d, SovCol::Precip, Day.Precip);
    W.Text(d, SovCol::Irrigation, Day.Irrigation);
    W.Text(d, SovCol::GrowthStage, Day.Stage);
  }
  ExpectValid(*F);
  F->Calculate();
  ASSERT_EQ(F->Scalars().LayerCount, 2);
  EXPECT_DOUBLE_EQ(F->Layers()[2].LayerCapacity, 45.0);
  ExpectHandDays(*F, {{1, 25.570665366597265, 5.860688381930558, 0.34, 1.594107239885112,
                       47.40589276011489, 0, 42.59410723988511, 0.5881071191391959},
                      {2, 26.45185424928674, 5.423580748440854, 0.3, 1.627074224532256, 85.0,
                       5.77881853558263, 5.0, 9.777777777777777},
                      {3, 25.65088390549665, 4.889411094536503, 0.0, 1.0, 84.0, 0, 6.0,
                       9.533333333333333}});
  EXPECT_NEAR(F->LayerWater(1, 1), 29.405892760114888, 1e-9);
  EXPECT_NEAR(F->LayerWater(2, 1), 18.0, 1e-12);
  EXPECT_NEAR(F->LayerDrain(1, 2), 32.77881853558263, 1e-9);
  EXPECT_NEAR(F->LayerDrain(2, 2), 5.77881853558263, 1e-9);
  EXPECT_NEAR(F->LayerWater(1, 3), 39.0, 1e-9);
  EXPECT_EQ(F->Days()[3].DaysSinceWetting, 2);
}

TEST(SovSchedCalc, EnglishDaysWorkedByHand) {
  // 35° N, 1000 ft (305 m: gamma 0.065), coastal, a perennial crop emerging on day 1
  // (KcIni 0.4 throughout), 6 in in one layer, full at the start; empty minimum
  // moisture and efficiency take 60 and 100. Day 1: 86/59 °F, 5 mph, 0.3 in of rain.
  // Days 2-10: 80/50 °F (the coastal estimate is held at clear sky), calm, 0.19 in on
  // day 5 (not a wetting), so the surface dries from day 6 on.
  FieldOptions O;
  O.LatitudeDeg = 35;
  O.Crop = "Alfalfa";
  O.GrowingSeason = 200;
  O.Start = QDate(2015, 3, 30);
  O.Emergence = QDate(2015, 3, 30);
  O.Calculation = QDate(2015, 4, 8);
  auto F = NewField(O);
  F->SetIsCoastal(true);
  FieldWriter W(*F, O.Format);
  W.Field(SovCol::Elevation, QString("1000"));
  W.Field(SovCol::RootingDepth, 3.0);
  W.Field(SovCol::WaterHoldingCapacity, 6.0);
  W.Field(SovCol::MinimumMoisture, QString(""));
  W.Field(SovCol::StartingResidue, QString(""));
  for (int d = 1; d <= 10; ++d) {
    W.Number(d, SovCol::MaxTemp, d == 1 ? 86 : 80);
    W.Number(d, SovCol::MinTemp, d == 1 ? 59 : 50);
    W.Number(d, SovCol::Humidity, d == 1 ? 50 : 40);
  }
  W.Number(1, SovCol::WindSpeed, 5);
  W.Number(1, SovCol::Precip, 0.3);
  W.Number(5, SovCol::Precip, 0.19);
  ExpectValid(*F);
  F->Calculate();
  EXPECT_EQ(F->Scalars().Elevation, 305);
  ExpectHandDays(*F, {{1, 24.110044896971406, 0.2105995318046366, 0.4, 0.08423981272185466, 6.0,
                       0.2157601872781454, 0.0, 8.8},
                      {2, 24.931876035486102, 0.1978946939802474, 0.4, 0.07915787759209897,
                       5.920842122407901, 0, 0.07915787759209891, 8.50975444882897},
                      {6, 25.553790613940233, 0.20210679127325007, 0.4, 0.08047290696408363,
                       5.790349124332848, 0, 0.20965087566715201, 8.031280122553778},
                      {7, 25.70561730372256, 0.20313508167066652, 0.4, 0.07334162090506623,
                       5.717007503427782, 0, 0.28299249657221814, 7.762360845901865},
                      {10, 26.15167483384688, 0.20615613597659752, 0.4, 0.06115362980288348,
                       5.5234509493162225, 0, 0.4765490506837775, 7.05265348082615}});
  EXPECT_EQ(F->Days()[7].DaysSinceWetting, 7);
}
