#include "SovFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct ColumnDef {
  const char* Section;
  const char* Key;
};

// Columns 1-61, index 0 is column 1.
constexpr ColumnDef Columns[SovCol::LastFileColumn] = {
    {"SovInfo", "FileVersion"},
    {"SovInfo", "ProgramVersion"},
    {"SovInfo", "FileName"},
    {"Field", "FarmName"},
    {"Field", "FieldName"},
    {"Field", "Location"},
    {"Field", "IsCoastal"},
    {"Field", "IsMetric"},
    {"Field", "Latitude"},
    {"Field", "Longitude"},
    {"Field", "Elevation"},
    {"Field", "Crop"},
    {"Field", "EmergenceDate"},
    {"Field", "GrowingSeason"},
    {"Field", "ProjectedYield"},
    {"Field", "RootingDepth"},
    {"Field", "MinimumMoisture"},
    {"Field", "PreviousCrop"},
    {"Field", "SurveySymbol"},
    {"Field", "MapUnitSymbol"},
    {"Field", "ComponentName"},
    {"Field", "WaterHoldingCapacity"},
    {"Field", "OrganicMatter"},
    {"Field", "IrrigationEfficiency"},
    {"Field", "Notes"},
    {"Field", "StartingMoisture"},
    {"Field", "StartingResidue"},
    {"Field", "StartingDate"},
    {"Field", "CalculationDate"},
    {"Field", "WeatherSource"},
    {"Field", "WeatherStation"},
    {"Horizon", "Depth"},
    {"Horizon", "Texture"},
    {"Horizon", "AWC"},
    {"Horizon", "WiltingPoint"},
    {"Horizon", "BulkDensity"},
    {"Horizon", "KSat"},
    {"Horizon", "Sand"},
    {"Horizon", "Silt"},
    {"Horizon", "Clay"},
    {"Horizon", "OM"},
    {"Horizon", "pH"},
    {"Horizon", "EC"},
    {"Horizon", "CEC"},
    {"Event", "Day"},
    {"Event", "Code"},
    {"Event", "Key1"},
    {"Event", "Value"},
    {"Event", "Key2"},
    {"Event", "Value2"},
    {"Event", "Value3"},
    {"Event", "Misc1"},
    {"Event", "Notes"},
    {"Weather", "MaxTemp"},
    {"Weather", "MinTemp"},
    {"Weather", "Precip"},
    {"Weather", "Irrigation"},
    {"Weather", "WindSpeed"},
    {"Weather", "Humidity"},
    {"Weather", "GrowthStage"},
    {"Weather", "Notes"},
};

bool InRange(int Value, int Low, int High) { return Value >= Low && Value <= High; }

int ClampToInt(int64_t Value) {
  return int(std::clamp<int64_t>(Value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The whole number of a cell text; 0 when it is not one.
int IntOfText(const QString& Text) {
  int Value = 0;
  return TryStrToInt(Text.trimmed(), Value) ? Value : 0;
}

struct UnitDef {
  const char* English;
  const char* Metric;
};

// By kind, index 0 is kind 1 (Elevation). "\u00B0" is the degree sign.
const UnitDef Units[UnitKindCount] = {
    {"Feet", "Meters"},
    {"Units/Acre", "Units/Hectare"},
    {"Feet", "cm"},
    {"Inches", "cm"},
    {"Inches", "mm"},
    {"in.", "mm"},
    {"in", "mm"},
    {"\u00B0F", "\u00B0C"},
    {"degF", "degC"},
    {"mph", "mps"},
    {"lbs/acre", "kg/ha"},
    {"ton/acre", "MT/ha"},
    {"gal/acre", "liter/ha"},
    {"lbs/gal", "kg/liter"},
    {"lbs/1000 gal", "kg/1000 L"},
    {"lbs/ton", "kg/MT"},
    {"mi.", "km"},
};

// floor(log10(Value)) for Value > 0, exact at powers of ten.
int DecimalMagnitude(double Value) {
  int P = int(std::floor(std::log10(Value)));
  if (std::pow(10.0, P) > Value)
    --P;
  else if (std::pow(10.0, P + 1) <= Value)
    ++P;
  return P;
}

// The number of characters typed after the decimal separator (an exponent counts,
// so "1.5e-3" keeps four decimals and does not lose its digits).
int TypedDecimals(const QString& Text, QChar Separator) {
  const qsizetype Pos = Text.indexOf(Separator);
  if (Pos < 0) return 0;
  return int(Text.size() - Pos - 1);
}

constexpr int MaxConvertDecimals = 20;

// Text with From's decimal separator replaced by To's, when it is a number in From
// (blanks around it allowed); any other text unchanged.
QString ChangeDecimalSeparator(const QString& Text, const TFormatSettings& From, const TFormatSettings& To) {
  QString Result = Text;
  if (From.DecimalSeparator == To.DecimalSeparator) return Result;
  const QString Trimmed = Text.trimmed();
  double Value = 0;
  if (Trimmed.isEmpty() || !TryStrToFloat(Trimmed, Value, From)) return Result;
  const qsizetype Pos = Result.indexOf(From.DecimalSeparator);
  if (Pos >= 0) Result[Pos] = To.DecimalSeparator;
  return Result;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

TSovFile::TSovFile(const TSovLookup& Lookup) : TSovFile(Lookup, GetUserFormatSettings(true)) {}

TSovFile::TSovFile(const TSovLookup& Lookup, const TFormatSettings& UserFormat)
    : FLookup(&Lookup), FFileFormat(Lookup.FileFormat()), FUserFormat(UserFormat), FFileVersion("2") {
  FUserFormat.TwoDigitYearCenturyWindow = FFileFormat.TwoDigitYearCenturyWindow;
  FParser.Delimiter = QChar(',');
  FParser.Quote = QChar();
  FParser.Escape = QChar('\\');
}

void TSovFile::SetLocation(int Row) {
  FLocation = InRange(Row, 1, Lookup().LocationCount()) ? Row : 0;
  FLocationName.clear();
}
void TSovFile::SetCrop(int Row) {
  FCrop = InRange(Row, 1, Lookup().CropCount()) ? Row : 0;
  FCropName.clear();
}
void TSovFile::SetPreviousCrop(int Row) {
  FPreviousCrop = InRange(Row, 1, Lookup().CropCount()) ? Row : 0;
  FPreviousCropName.clear();
}

QString TSovFile::HeldName(int Row, int Col) const {
  switch (Col) {
    case SovCol::Location: return FLocationName;
    case SovCol::Crop: return FCropName;
    case SovCol::PreviousCrop: return FPreviousCropName;
    case SovCol::EvKey1:
    case SovCol::EvKey2: {
      if (!InRange(Row, 1, MaxEvents)) return QString();
      const TSovEventRec& Event = FEvents[size_t(Row - 1)];
      return Col == SovCol::EvKey1 ? Event.Key1Name : Event.Key2Name;
    }
    default: return QString();
  }
}

// ---------------------------------------------------------------------------
// Cells
// ---------------------------------------------------------------------------

QString TSovFile::GetCell(int Row, int Col) const {
  if (InRange(Col, SovCol::FirstField, SovCol::LastField)) {
    switch (Col) {
      case SovCol::Location:
        return InRange(FLocation, 1, Lookup().LocationCount()) ? Lookup().Location(FLocation).Name : QString();
      case SovCol::Crop:
        return InRange(FCrop, 1, Lookup().CropCount()) ? Lookup().Crop(FCrop).Name : QString();
      case SovCol::PreviousCrop:
        return InRange(FPreviousCrop, 1, Lookup().CropCount()) ? Lookup().Crop(FPreviousCrop).Name : QString();
      case SovCol::IsCoastal:
        return TMyIniFile::BoolToText(FIsCoastal);
      case SovCol::IsMetric:
        return TMyIniFile::BoolToText(FIsMetric);
      default:
        return FieldText(Col);
    }
  }
  if (InRange(Col, SovCol::FirstHorizon, SovCol::LastHorizon)) {
    if (!InRange(Row, 1, MaxHorizons)) return QString();
    return FHorizons[size_t(Row - 1)][size_t(Col - SovCol::FirstHorizon)];
  }
  if (InRange(Col, SovCol::FirstEvent, SovCol::LastEvent)) {
    if (!InRange(Row, 1, MaxEvents)) return QString();
    const TSovEventRec& Event = FEvents[size_t(Row - 1)];
    switch (Col) {
      case SovCol::EvDay:
        return QString::number(Event.Day);
      case SovCol::EvCode:
        return QString::number(Event.Code);
      case SovCol::EvKey1:
        return QString::number(Event.Key1);
      case SovCol::EvValue:
        return Event.Value;
      case SovCol::EvKey2:
        return QString::number(Event.Key2);
      case SovCol::EvValue2:
        return Event.Value2;
      case SovCol::EvValue3:
        return Event.Value3;
      case SovCol::EvMisc1:
        return Event.Misc1;
      default:
        return Event.Notes;
    }
  }
  if (InRange(Col, SovCol::FirstWeather, SovCol::LastWeather)) {
    if (!InRange(Row, 1, MaxDays)) return QString();
    return FWeather[size_t(Row - 1)][size_t(Col - SovCol::FirstWeather)];
  }
  return QString();
}

void TSovFile::SetCell(int Row, int Col, const QString& Text) {
  if (InRange(Col, SovCol::FirstField, SovCol::LastField)) {
    switch (Col) {
      case SovCol::Location:
        SetLocation(Lookup().FindLocation(Text.trimmed()));
        break;
      case SovCol::Crop:
        SetCrop(Lookup().FindCrop(Text.trimmed()));
        break;
      case SovCol::PreviousCrop:
        SetPreviousCrop(Lookup().FindCrop(Text.trimmed()));
        break;
      case SovCol::IsCoastal:
        FIsCoastal = TMyIniFile::IsTrueText(Text.trimmed());
        break;
      case SovCol::IsMetric:
        FIsMetric = TMyIniFile::IsTrueText(Text.trimmed());
        break;
      default:
        FieldText(Col) = Text;  // kept as typed, blanks included
        break;
    }
    return;
  }
  if (InRange(Col, SovCol::FirstHorizon, SovCol::LastHorizon)) {
    if (InRange(Row, 1, MaxHorizons)) FHorizons[size_t(Row - 1)][size_t(Col - SovCol::FirstHorizon)] = Text.trimmed();
    return;
  }
  if (InRange(Col, SovCol::FirstEvent, SovCol::LastEvent)) {
    if (!InRange(Row, 1, MaxEvents)) return;
    TSovEventRec& Event = FEvents[size_t(Row - 1)];
    switch (Col) {
      case SovCol::EvDay:
        Event.Day = IntOfText(Text);
        break;
      case SovCol::EvCode:
        Event.Code = IntOfText(Text);
        break;
      case SovCol::EvKey1:
        Event.Key1 = IntOfText(Text);
        Event.Key1Name.clear();
        break;
      case SovCol::EvValue:
        Event.Value = Text.trimmed();
        break;
      case SovCol::EvKey2:
        Event.Key2 = IntOfText(Text);
        Event.Key2Name.clear();
        break;
      case SovCol::EvValue2:
        Event.Value2 = Text.trimmed();
        break;
      case SovCol::EvValue3:
        Event.Value3 = Text.trimmed();
        break;
      case SovCol::EvMisc1:
        Event.Misc1 = Text.trimmed();
        break;
      default:
        Event.Notes = Text.trimmed();
        break;
    }
    return;
  }
  if (InRange(Col, SovCol::FirstWeather, SovCol::LastWeather)) {
    if (InRange(Row, 1, MaxDays)) FWeather[size_t(Row - 1)][size_t(Col - SovCol::FirstWeather)] = Text.trimmed();
  }
}

double TSovFile::GetCellFloat(int Row, int Col) const {
  double Value = 0;
  return TryStrToFloat(GetCell(Row, Col).trimmed(), Value, FUserFormat) ? Value : 0.0;
}

int TSovFile::GetCellInt(int Row, int Col) const { return IntOfText(GetCell(Row, Col)); }

void TSovFile::SetCellInt(int Row, int Col, int Value) { SetCell(Row, Col, QString::number(Value)); }

int TSovFile::RowCount(const QString& Section) const {
  if (Section.compare(QLatin1String("SovInfo"), Qt::CaseInsensitive) == 0) return 1;
  if (Section.compare(QLatin1String("Field"), Qt::CaseInsensitive) == 0) return 1;
  if (Section.compare(QLatin1String("Horizon"), Qt::CaseInsensitive) == 0) return MaxHorizons;
  if (Section.compare(QLatin1String("Event"), Qt::CaseInsensitive) == 0) return MaxEvents;
  if (Section.compare(QLatin1String("Weather"), Qt::CaseInsensitive) == 0) return MaxDays;
  return -1;
}

QString TSovFile::SectionOfColumn(int Col) const {
  if (!InRange(Col, 1, SovCol::LastFileColumn)) return QString();
  return QString::fromLatin1(Columns[Col - 1].Section);
}

QString TSovFile::ColumnName(int Col) const {
  if (!InRange(Col, 1, SovCol::LastFileColumn)) return QString();
  return QString::fromLatin1(Columns[Col - 1].Key);
}

int TSovFile::ColumnIndex(const QString& Section, const QString& Name) const {
  for (int Col = 1; Col <= SovCol::LastFileColumn; ++Col) {
    if (Section.compare(QLatin1String(Columns[Col - 1].Section), Qt::CaseInsensitive) == 0 &&
        Name.compare(QLatin1String(Columns[Col - 1].Key), Qt::CaseInsensitive) == 0)
      return Col;
  }
  return 0;
}

bool TSovFile::HorizonHasData(int Row) const {
  for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col)
    if (!GetCell(Row, Col).isEmpty()) return true;
  return false;
}

bool TSovFile::WeatherDayHasData(int Row) const {
  for (int Col = SovCol::FirstWeather; Col <= SovCol::LastWeather; ++Col)
    if (!GetCell(Row, Col).isEmpty()) return true;
  return false;
}

bool TSovFile::IsUSLocation(int LocationIndex) const {
  if (!InRange(LocationIndex, 1, Lookup().LocationCount())) return true;
  return Lookup().Location(LocationIndex).IsUS;
}

bool TSovFile::ColumnAverage(int Col, int Rows, double& Value, bool EmptyAsZero) const {
  Rows = std::min(Rows, MaxDays);
  double Sum = 0;
  int Count = 0;
  for (int Row = 1; Row <= Rows; ++Row) {
    const QString Text = GetCell(Row, Col).trimmed();
    if (Text.isEmpty()) {
      if (EmptyAsZero) ++Count;
      continue;
    }
    double CellValue = 0;
    if (TryStrToFloat(Text, CellValue, FUserFormat)) {
      Sum += CellValue;
      ++Count;
    }
  }
  Value = 0;
  if (Count == 0) return false;
  const double Average = Sum / Count;
  if (!std::isfinite(Average)) return false;
  Value = Average;
  return true;
}

bool TSovFile::ColumnExtreme(StatKind Kind, int Col, int Rows, double& Value, bool EmptyAsZero) const {
  const double Start = Kind == StatKind::Max ? -10000.0 : 10000.0;
  Rows = std::min(Rows, MaxDays);
  Value = Start;
  for (int Row = 1; Row <= Rows; ++Row) {
    const QString Text = GetCell(Row, Col).trimmed();
    if (Text.isEmpty()) {
      if (EmptyAsZero) Value = Kind == StatKind::Max ? std::max(Value, 0.0) : std::min(Value, 0.0);
      continue;
    }
    double CellValue = 0;
    if (TryStrToFloat(Text, CellValue, FUserFormat))
      Value = Kind == StatKind::Max ? std::max(Value, CellValue) : std::min(Value, CellValue);
  }
  return Value != Start;
}

bool TSovFile::ColumnMax(int Col, int Rows, double& Value, bool EmptyAsZero) const {
  return ColumnExtreme(StatKind::Max, Col, Rows, Value, EmptyAsZero);
}

bool TSovFile::ColumnMin(int Col, int Rows, double& Value, bool EmptyAsZero) const {
  return ColumnExtreme(StatKind::Min, Col, Rows, Value, EmptyAsZero);
}

// ---------------------------------------------------------------------------
// Unit kinds
// ---------------------------------------------------------------------------

QString TSovFile::UnitsLabel(TUnitKind Kind, bool IsMetric) {
  const int Index = int(Kind);
  if (!InRange(Index, 1, UnitKindCount)) return QString();
  const UnitDef& Unit = Units[Index - 1];
  return QString::fromUtf8(IsMetric ? Unit.Metric : Unit.English);
}

// The factors are the program's own decimal constants (not the exact physical ones);
// the arithmetic is done in extended precision.
double TSovFile::ToMetric(TUnitKind Kind, double Value) {
  const long double X = Value;
  switch (Kind) {
    case TUnitKind::Elevation:
      return double(X / 3.281L);
    case TUnitKind::RootingDepth:
      return double(X * 12.0L * 2.54L);
    case TUnitKind::SoilDepth:
      return double(X * 2.54L);
    case TUnitKind::Water:
    case TUnitKind::WaterAbbrev:
    case TUnitKind::WaterShort:
      return double(X * 25.4L);
    case TUnitKind::Temperature:
    case TUnitKind::TemperaturePlain:
      return double((X - 32.0L) * 5.0L / 9.0L);
    case TUnitKind::WindSpeed:
      return double(X * 5280.0L / 3600.0L / 3.281L);
    case TUnitKind::MassPerArea:
      return double(X / 0.8922L);
    case TUnitKind::LiquidRate:
      return double(X * 9.346L);
    case TUnitKind::LiquidDensity:
      return double(X * 0.12L);
    case TUnitKind::Distance:
      return double(X / 0.6214L);
    default:  // the caption-only kinds and None: never converted
      return Value;
  }
}

double TSovFile::FromMetric(TUnitKind Kind, double Value) {
  const long double X = Value;
  switch (Kind) {
    case TUnitKind::Elevation:
      return double(X * 3.281L);
    case TUnitKind::RootingDepth:
      return double(X / 30.48L);
    case TUnitKind::SoilDepth:
      return double(X / 2.54L);
    case TUnitKind::Water:
    case TUnitKind::WaterAbbrev:
    case TUnitKind::WaterShort:
      return double(X / 25.4L);
    case TUnitKind::Temperature:
    case TUnitKind::TemperaturePlain:
      return double(X / 5.0L * 9.0L + 32.0L);
    case TUnitKind::WindSpeed:
      return double(X / 5280.0L * 3600.0L * 3.281L);
    case TUnitKind::MassPerArea:
      return double(X * 0.8922L);
    case TUnitKind::LiquidRate:
      return double(X / 9.346L);
    case TUnitKind::LiquidDensity:
      return double(X / 0.12L);
    case TUnitKind::Distance:
      return double(X * 0.6214L);
    default:
      return Value;
  }
}

QString TSovFile::ConvertNumberText(const QString& Text, TUnitKind Kind, const TFormatSettings& ToFormat,
                                    const TFormatSettings& FromFormat, bool ToIsMetric, bool FromIsMetric) {
  const QString Result = Text.trimmed();
  const bool SameUnits = ToIsMetric == FromIsMetric;
  if (SameUnits && ToFormat.DecimalSeparator == FromFormat.DecimalSeparator) return Result;
  double Value = 0;
  if (Result.isEmpty() || !TryStrToFloat(Result, Value, FromFormat)) return Result;
  int Decimals = TypedDecimals(Result, FromFormat.DecimalSeparator);
  double Converted = Value;
  if (!SameUnits) {
    Converted = ToIsMetric ? ToMetric(Kind, Value) : FromMetric(Kind, Value);
    if (!std::isfinite(Converted)) return Result;
    // A conversion into a larger unit moves the digits to the right of the point:
    // give the result as many more decimals as the number lost orders of magnitude, so
    // 1 mm becomes 0.04 in rather than 0.
    if (Value != 0 && Converted != 0) {
      const int Lost = DecimalMagnitude(std::fabs(Value)) - DecimalMagnitude(std::fabs(Converted));
      if (Lost > 0) Decimals += Lost;
    }
    const bool InchesOfWater =
        Kind == TUnitKind::Water || Kind == TUnitKind::WaterAbbrev || Kind == TUnitKind::WaterShort;
    if (!ToIsMetric && InchesOfWater) Decimals = std::max(Decimals, 2);
  }
  Decimals = std::min(Decimals, MaxConvertDecimals);
  const QString Formatted = FormatFixed(Converted, Decimals, ToFormat).trimmed();
  return Formatted.isEmpty() ? Result : Formatted;
}

QString TSovFile::FileToUserNumber(const QString& Text) const {
  return ChangeDecimalSeparator(Text, FFileFormat, FUserFormat);
}

QString TSovFile::UserToFileNumber(const QString& Text) const {
  return ChangeDecimalSeparator(Text, FUserFormat, FFileFormat);
}

QString TSovFile::FloatToFileStr(double Value, int Digits) const { return FormatFixed(Value, Digits, FFileFormat); }

QString TSovFile::FloatToUserStr(double Value, int Digits) const { return FormatFixed(Value, Digits, FUserFormat); }

// ---------------------------------------------------------------------------
// Crop calendar
// ---------------------------------------------------------------------------

int TSovFile::DaysFromPlanting(int Crop, int Days) const {
  if (FCrop == 0 || !InRange(Crop, 1, Lookup().CropCount())) return 0;
  if (Lookup().Crop(Crop).IsPerennial) return Days;
  return ClampToInt(int64_t(Days) + 12);
}

int TSovFile::TotalSeasonDays(int Crop, int Days) const {
  if (FCrop == 0 || !InRange(Crop, 1, Lookup().CropCount())) return 0;
  const TCropRec& Rec = Lookup().Crop(Crop);
  const int64_t Percent = int64_t(Rec.InitPct) + Rec.DevPct + Rec.MidPct;
  if (Percent <= 0) return 0;
  const int64_t FromPlanting = int64_t(DaysFromPlanting(Crop, 0)) + Days;
  return ClampToInt(RoundRatioHalfEven(FromPlanting * 100, Percent));
}
