// The schedule's results served as cells: columns 62-93 of the section "Schedule", one
// row per schedule day, and the summary rows -1 (total), -2 (average), -3 (maximum)
// and -4 (minimum). Texts are made when asked for; only the running growing degree
// days and the day's stage are kept from the calculation.

#include "SovCalendar.h"
#include "SovSched.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const char* const ScheduleColumnNames[] = {
    "DayNum",       "Date",         "Year",          "Month",        "Day",
    "GrowthStage",  "GDD",          "MaxTemp",       "AveTemp",      "MinTemp",
    "WindSpeed",    "Humidity",     "Precip",        "Irrigation",   "SolarRad",
    "ETRef",        "Kc",           "ETCrop",        "ExcessWater",  "SoilMoisture",
    "RelativeMoisture", "DepletedMoisture", "Residue", "MineralizedN", "AmmoniumN",
    "NitrateN",     "DenitrifiedN", "VolatilizedN",  "UptakeN",      "LeachedN",
    "FertilizerN",  "Notes"};
static_assert(std::size(ScheduleColumnNames) ==
              TSovSchedule::LastScheduleColumn - TSovSchedule::FirstScheduleColumn + 1);

bool IsScheduleColumn(int Col) {
  return Col >= TSovSchedule::FirstScheduleColumn && Col <= TSovSchedule::LastScheduleColumn;
}

bool IsScheduleSection(const QString& Section) {
  return Section.compare(QLatin1String("Schedule"), Qt::CaseInsensitive) == 0;
}

// The longest bar the relative-moisture column draws; the computed value stays within
// about 22 steps either way, so this only guards against absurd inputs.
constexpr double MaxBarLength = 100;

QString MoistureBar(double Relative) {
  if (!std::isfinite(Relative)) return QStringLiteral(".");
  const int t = int(std::trunc(std::clamp(Relative, -MaxBarLength, MaxBarLength)));
  if (t > 0) return QString(t, QChar('+'));
  if (t < 0) return QString(-t, QChar('-'));
  return QStringLiteral(".");
}

// Statistics over the days 1..n of a result array; nothing for n = 0.
std::optional<double> DaySum(int n, const TDayArray<double>& Values) {
  if (n < 1) return std::nullopt;
  double Sum = 0;
  for (int d = 1; d <= n; ++d) Sum += Values[d];
  return Sum;
}

std::optional<double> DayAverage(int n, const TDayArray<double>& Values) {
  const std::optional<double> Sum = DaySum(n, Values);
  if (!Sum) return std::nullopt;
  return *Sum / n;
}

std::optional<double> DayMax(int n, const TDayArray<double>& Values) {
  if (n < 1) return std::nullopt;
  double Max = Values[1];
  for (int d = 2; d <= n; ++d) Max = std::max(Max, Values[d]);
  return Max;
}

std::optional<double> DayMin(int n, const TDayArray<double>& Values) {
  if (n < 1) return std::nullopt;
  double Min = Values[1];
  for (int d = 2; d <= n; ++d) Min = std::min(Min, Values[d]);
  return Min;
}

}  // namespace

QString TSovSchedule::NumericDate(const QDate& Date, bool Dashes) {
  if (!Date.isValid() || Date.year() < 1 || Date.year() > 9999) return QString();
  QChar Text[10];
  qsizetype n = 0;
  auto Digits = [&](int Value, int Count) {
    for (int i = Count - 1; i >= 0; --i) Text[n + i] = QChar(u'0' + Value % 10), Value /= 10;
    n += Count;
  };
  int Year = 0, Month = 0, Day = 0;
  Date.getDate(&Year, &Month, &Day);
  Digits(Year, 4);
  if (Dashes) Text[n++] = QChar('-');
  Digits(Month, 2);
  if (Dashes) Text[n++] = QChar('-');
  Digits(Day, 2);
  return QString(Text, n);
}

// ---------------------------------------------------------------------------
// Column description
// ---------------------------------------------------------------------------

int TSovSchedule::RowCount(const QString& Section) const {
  if (IsScheduleSection(Section)) return FDayCount;
  return TSovFile::RowCount(Section);
}

QString TSovSchedule::SectionOfColumn(int Col) const {
  if (IsScheduleColumn(Col)) return QStringLiteral("Schedule");
  return TSovFile::SectionOfColumn(Col);
}

QString TSovSchedule::ColumnName(int Col) const {
  if (IsScheduleColumn(Col)) return QString::fromLatin1(ScheduleColumnNames[Col - FirstScheduleColumn]);
  return TSovFile::ColumnName(Col);
}

int TSovSchedule::ColumnIndex(const QString& Section, const QString& Name) const {
  if (!IsScheduleSection(Section)) return TSovFile::ColumnIndex(Section, Name);
  for (int Col = FirstScheduleColumn; Col <= LastScheduleColumn; ++Col) {
    if (Name.compare(QLatin1String(ScheduleColumnNames[Col - FirstScheduleColumn]), Qt::CaseInsensitive) == 0)
      return Col;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Values kept from the calculation
// ---------------------------------------------------------------------------

void TSovSchedule::BuildResultColumns() {
  // The stages were set by the water pass, which has the crop calendar at hand.
  const int CropRow = Crop();
  double Sum = 0;
  for (int d = 1; d <= FDayCount; ++d) {
    const TScheduleDay& Day = FDays[d];
    Sum += DailyGdd(Lookup(), IsMetric(), CropRow, Day.CellHigh, Day.CellLow);
    FGddSum[d] = Sum;
  }
}

double TSovSchedule::FertilizerNOfDay(int Day) const {
  double Sum = 0;
  const int Fertilizers = Lookup().FertilizerCount();
  const int Manures = Lookup().ManureCount();
  for (const TSovEventRec& Event : FEvents) {
    if (Event.Day != Day) continue;
    double Rate = 0;
    if (Event.Code == 1 && Event.Key1 >= 1 && Event.Key1 <= Fertilizers) {
      TryStrToFloat(Event.Value.trimmed(), Rate, UserFormat());
      Sum += FertilizerN(Event.Key1, 7, Rate, IsMetric(), IsMetric());
    } else if (Event.Code == 3 && Event.Key1 >= 1 && Event.Key1 <= Manures) {
      double Ammonium = 0;
      TryStrToFloat(Event.Value.trimmed(), Rate, UserFormat());
      TryStrToFloat(Event.Value3.trimmed(), Ammonium, UserFormat());
      Sum += ManureN(Event.Key1, IsMetric(), Rate, Ammonium, IsMetric());
    }
  }
  if (Day >= 1 && Day <= FDayCount && FIrrigation[Day] > 0) Sum += IrrigationWaterN(Day, IsMetric(), IsMetric());
  return std::isfinite(Sum) ? Sum : 0.0;
}

// ---------------------------------------------------------------------------
// Cells
// ---------------------------------------------------------------------------

QString TSovSchedule::GetCell(int Row, int Col) const {
  if (!IsScheduleColumn(Col)) return TSovFile::GetCell(Row, Col);
  if (Row >= 1 && Row <= FDayCount) return DayCell(Row, Col);
  if (Row >= RowMinimum && Row <= RowTotal && FDayCount >= 1) return SummaryCell(Row, Col);
  return QString();
}

QString TSovSchedule::DayCell(int r, int Col) const {
  auto Fixed = [this](double Value, int Digits) { return FloatToUserStr(Value, Digits); };
  const QDate Date = FStartDate.addDays(r - 1);
  const bool HasNitrogen = FMineralizedN[r] > 0;
  switch (Col) {
    case ColDayNum:
      return QString::number(r);
    case ColDate:
      return NumericDate(Date, true);
    case ColYear:
      return QString::number(Date.year());
    case ColMonth:
      return QString::number(Date.month());
    case ColDay:
      return QString::number(Date.day());
    case ColGrowthStage:
      if (r <= FScalars.DaysBeforeEmergence) return QString();
      return StageName(FDayStage[r]) + (FUserStage[r] != 0 ? QStringLiteral("*") : QString());
    case ColGDD:
      return Fixed(FGddSum[r], 1);
    case ColMaxTemp:
      return TSovFile::GetCell(r, SovCol::MaxTemp);
    case ColAveTemp:
      return Fixed((GetCellFloat(r, SovCol::MaxTemp) + GetCellFloat(r, SovCol::MinTemp)) / 2, 1);
    case ColMinTemp:
      return TSovFile::GetCell(r, SovCol::MinTemp);
    case ColWindSpeed:
      return TSovFile::GetCell(r, SovCol::WindSpeed);
    case ColHumidity:
      return TSovFile::GetCell(r, SovCol::Humidity);
    case ColPrecip:
      return FPrecip[r] > 0 ? Fixed(FPrecip[r], 2) : QString();
    case ColIrrigation:
      return FIrrigation[r] > 0 ? Fixed(FIrrigation[r], 2) : QString();
    case ColSolarRad:
      return Fixed(FSolarRad[r], 2);
    case ColETRef:
      return Fixed(FETRef[r], 2);
    case ColKc:
      return Fixed(FKc[r], 2);
    case ColETCrop:
      return Fixed(FETCrop[r], 2);
    case ColExcessWater:
      return FExcessWater[r] < 0.005 ? QString() : Fixed(FExcessWater[r], 2);
    case ColSoilMoisture:
      return Fixed(FSoilMoisture[r], 2);
    case ColRelativeMoisture:
      return MoistureBar(FRelativeMoisture[r]);
    case ColDepletedMoisture:
      return Fixed(FDepletedMoisture[r], 2);
    case ColResidue:
      return QString::number(FResidue[r]);
    case ColMineralizedN:
      return HasNitrogen ? Fixed(FMineralizedN[r], 1) : QString();
    case ColAmmoniumN:
      return HasNitrogen ? Fixed(FAmmoniumN[r], 1) : QString();
    case ColNitrateN:
      return HasNitrogen ? Fixed(FNitrateN[r], 1) : QString();
    case ColDenitrifiedN:
      return HasNitrogen ? Fixed(FDenitrifiedN[r], 1) : QString();
    case ColVolatilizedN:
      return HasNitrogen ? Fixed(FVolatilizedN[r], 1) : QString();
    case ColUptakeN: {
      const int CropRow = Crop();
      const bool HasUptake = CropRow >= 1 && CropRow <= Lookup().CropCount() &&
                             Lookup().Crop(CropRow).UptakePointCount > 0;
      return HasNitrogen && HasUptake ? Fixed(FUptakeN[r], 1) : QString();
    }
    case ColLeachedN:
      return HasNitrogen ? Fixed(FLeachedN[r], 1) : QString();
    case ColFertilizerN:
      return Fixed(FertilizerNOfDay(r), 1);
    case ColNotes:
      return TSovFile::GetCell(r, SovCol::WeatherNotes);
    default:
      return QString();
  }
}

QString TSovSchedule::SummaryCell(int Row, int Col) const {
  const int n = FDayCount;
  auto Text = [this](const std::optional<double>& Value, int Digits) {
    return Value && std::isfinite(*Value) ? FloatToUserStr(*Value, Digits) : QString();
  };
  // A statistic of a weather column; empty when no cell of it holds a number.
  auto Weather = [&](int WeatherCol, bool EmptyAsZero, int Digits) {
    double Value = 0;
    bool Found = false;
    switch (Row) {
      case RowAverage:
        Found = ColumnAverage(WeatherCol, n, Value, EmptyAsZero);
        break;
      case RowMaximum:
        Found = ColumnMax(WeatherCol, n, Value, EmptyAsZero);
        break;
      case RowMinimum:
        Found = ColumnMin(WeatherCol, n, Value, EmptyAsZero);
        break;
      default:
        return QString();
    }
    return Found ? Text(Value, Digits) : QString();
  };
  // Total, average, maximum and minimum of a result array, each only when Which
  // holds that row.
  enum { T = 1, A = 2, X = 4, N = 8 };
  auto Days = [&](const TDayArray<double>& Values, int Which) {
    switch (Row) {
      case RowTotal:
        return Which & T ? Text(DaySum(n, Values), 2) : QString();
      case RowAverage:
        return Which & A ? Text(DayAverage(n, Values), 2) : QString();
      case RowMaximum:
        return Which & X ? Text(DayMax(n, Values), 2) : QString();
      case RowMinimum:
        return Which & N ? Text(DayMin(n, Values), 2) : QString();
      default:
        return QString();
    }
  };

  switch (Col) {
    case ColMaxTemp:
      return Weather(SovCol::MaxTemp, false, 1);
    case ColMinTemp:
      return Weather(SovCol::MinTemp, false, 1);
    case ColWindSpeed:
      return Weather(SovCol::WindSpeed, false, 1);
    case ColHumidity:
      return Weather(SovCol::Humidity, false, 1);
    case ColAveTemp: {
      // Over the day texts as shown, each rounded to one decimal.
      if (Row == RowTotal) return QString();
      TDayArray<double> Values;
      for (int d = 1; d <= n; ++d) Values[d] = GetCellFloat(d, ColAveTemp);
      if (Row == RowAverage) return Text(DayAverage(n, Values), 1);
      return Text(Row == RowMaximum ? DayMax(n, Values) : DayMin(n, Values), 1);
    }
    case ColPrecip:
      if (Row == RowTotal) return Text(DaySum(n, FPrecip), 2);
      return Row == RowAverage ? QString() : Weather(SovCol::Precip, true, 2);
    case ColIrrigation:
      if (Row == RowTotal) return Text(DaySum(n, FIrrigation), 2);
      return Row == RowAverage ? QString() : Weather(SovCol::Irrigation, true, 2);
    case ColSolarRad:
      return Days(FSolarRad, T | A | X | N);
    case ColETRef:
      return Days(FETRef, T | A | X | N);
    case ColKc:
      return Days(FKc, A | X | N);
    case ColETCrop:
      return Days(FETCrop, T | A | X | N);
    case ColExcessWater:
      return Days(FExcessWater, T | X | N);
    case ColSoilMoisture:
      return Days(FSoilMoisture, A | X | N);
    case ColFertilizerN: {
      if (Row != RowTotal) return QString();
      // The sum of the day texts as shown, each rounded to one decimal.
      double Sum = 0;
      for (int d = 1; d <= n; ++d) Sum += GetCellFloat(d, ColFertilizerN);
      return Text(Sum, 1);
    }
    default:
      return QString();
  }
}
