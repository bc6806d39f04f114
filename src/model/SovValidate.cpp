// The value rules of a field (one cell at a time) and the whole-field check that runs
// before a schedule is calculated.

#include "SovCalendar.h"
#include "SovFile.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

// One number rule: an inclusive or exclusive lower and upper bound in the field's
// English units, the unit kind that converts them for a metric field (None: same in
// both systems), and whether an empty text fails.
struct TNumberRule {
  bool Required;
  double Low;
  bool LowInclusive;
  double High;
  bool HighInclusive;
  TUnitKind Kind = TUnitKind::None;
  bool Whole = false;  // a whole number written without a point or exponent
};

// A bound converted to metric units is allowed for the rounding of the conversion
// (609.6 cm is 20 feet); a bound used as written is exact.
double Slack(double Bound, bool Converted) {
  return Converted ? 1e-9 * std::max(1.0, std::fabs(Bound)) : 0.0;
}

bool WithinRule(double Value, const TNumberRule& Rule, bool IsMetric) {
  double Low = Rule.Low, High = Rule.High;
  const bool Converted = IsMetric && Rule.Kind != TUnitKind::None;
  if (Converted) {
    Low = TSovFile::ToMetric(Rule.Kind, Low);
    High = TSovFile::ToMetric(Rule.Kind, High);
  }
  // An infinite bound stands for no bound on that side.
  const bool LowOk =
      std::isinf(Low) || (Rule.LowInclusive ? Value >= Low - Slack(Low, Converted) : Value > Low);
  const bool HighOk =
      std::isinf(High) || (Rule.HighInclusive ? Value <= High + Slack(High, Converted) : Value < High);
  return LowOk && HighOk;
}

constexpr int ManureCode = 3;

// The rule of a number column; False when the column has none (any text passes).
bool NumberRuleOf(int Col, bool IsUS, int EventCode, TNumberRule& Rule) {
  switch (Col) {
    case SovCol::Latitude:
      // Degrees north; a US state lies north of the equator.
      Rule = IsUS ? TNumberRule{true, 0, false, 90, true} : TNumberRule{true, -90, true, 90, true};
      return true;
    case SovCol::Longitude:
      Rule = IsUS ? TNumberRule{true, -180, false, 0, true} : TNumberRule{true, -180, true, 180, true};
      return true;
    case SovCol::ProjectedYield: Rule = {false, 0, false, 9999, true}; return true;
    case SovCol::RootingDepth: Rule = {true, 0, false, 20, true, TUnitKind::RootingDepth}; return true;
    case SovCol::WaterHoldingCapacity: Rule = {true, 0, false, 100, true, TUnitKind::Water}; return true;
    case SovCol::OrganicMatter: Rule = {false, 0.1, true, 99, true}; return true;
    case SovCol::HzAWC: Rule = {true, 0, true, 0.7, true}; return true;
    case SovCol::HzWiltingPoint: Rule = {true, 0, false, 1, false}; return true;
    case SovCol::HzBulkDensity: Rule = {true, 0.02, true, 2.6, true}; return true;
    case SovCol::HzKSat: Rule = {true, 0, true, 705, true}; return true;
    case SovCol::HzSand:
    case SovCol::HzSilt:
    case SovCol::HzClay:
    case SovCol::HzOM: Rule = {true, 0, true, 100, true}; return true;
    case SovCol::HzpH: Rule = {true, 1.8, true, 11, true}; return true;
    case SovCol::HzEC: Rule = {true, 0, true, 99, true}; return true;
    case SovCol::HzCEC: Rule = {false, 0, true, 400, true}; return true;
    case SovCol::EvValue:
      switch (EventCode) {
        case 1: Rule = {true, 0, false, 1999, true}; return true;
        case 2: Rule = {true, 0, true, 99, true}; return true;
        case 3: Rule = {true, 0, false, 499999, true}; return true;
        // Residue cover is counted in whole percent: the computation takes any other text as 0.
        case 4: Rule = {true, 0, true, 100, true, TUnitKind::None, true}; return true;
        default: Rule = {true, -HUGE_VAL, true, HUGE_VAL, true}; return true;
      }
    case SovCol::EvValue2:
      if (EventCode != ManureCode) return false;
      Rule = {true, 0.1, true, 999, true};
      return true;
    case SovCol::EvValue3:
      if (EventCode != ManureCode) return false;
      Rule = {true, 0, true, 999, true};
      return true;
    case SovCol::MaxTemp:
    case SovCol::MinTemp: Rule = {true, -50, true, 125, true, TUnitKind::Temperature}; return true;
    case SovCol::Precip:
    case SovCol::Irrigation: Rule = {false, 0, true, 9, true, TUnitKind::Water}; return true;
    case SovCol::WindSpeed: Rule = {false, 0, true, 99, true, TUnitKind::WindSpeed}; return true;
    case SovCol::Humidity: Rule = {false, 0, true, 100, true}; return true;
    default: return false;
  }
}

struct TIntegerRule {
  bool Required;
  int Low;
  int High;
};

bool IntegerRuleOf(int Col, TIntegerRule& Rule) {
  switch (Col) {
    case SovCol::Elevation: Rule = {false, 0, 15000}; return true;
    case SovCol::GrowingSeason: Rule = {true, 50, 365}; return true;
    case SovCol::MinimumMoisture: Rule = {false, 0, 100}; return true;
    case SovCol::IrrigationEfficiency: Rule = {false, 10, 100}; return true;
    case SovCol::StartingMoisture: Rule = {true, 0, 100}; return true;
    case SovCol::StartingResidue: Rule = {false, 0, 100}; return true;
    case SovCol::HzDepth: Rule = {true, 1, 9999}; return true;
    case SovCol::EvDay: Rule = {true, 1, MaxDays}; return true;
    case SovCol::EvCode: Rule = {true, 1, EventCodeCount}; return true;
    default: return false;
  }
}

}  // namespace

bool TSovFile::IsValidNumber(const QString& Text, int Col, bool IsMetric, bool IsUS,
                             const TFormatSettings& Settings, int EventCode, double& Value) {
  Value = 0;
  TNumberRule Rule;
  if (!NumberRuleOf(Col, IsUS, EventCode, Rule)) {
    // No rule: any text passes; a number is still handed back.
    double Parsed = 0;
    if (TryStrToFloat(Text.trimmed(), Parsed, Settings)) Value = Parsed;
    return true;
  }
  const QString Trimmed = Text.trimmed();
  if (Trimmed.isEmpty()) return !Rule.Required;
  double Parsed = 0;
  if (!TryStrToFloat(Trimmed, Parsed, Settings)) return false;
  Value = Parsed;
  int Whole = 0;
  if (Rule.Whole && !TryStrToInt(Trimmed, Whole)) return false;
  return WithinRule(Parsed, Rule, IsMetric);
}

bool TSovFile::IsValidInteger(const QString& Text, int Col, int& Value) {
  Value = 0;
  TIntegerRule Rule;
  const QString Trimmed = Text.trimmed();
  if (!IntegerRuleOf(Col, Rule)) {
    int Parsed = 0;
    if (TryStrToInt(Trimmed, Parsed)) Value = Parsed;
    return true;
  }
  if (Trimmed.isEmpty()) return !Rule.Required;
  int Parsed = 0;
  if (!TryStrToInt(Trimmed, Parsed)) return false;
  Value = Parsed;
  return Parsed >= Rule.Low && Parsed <= Rule.High;
}

bool TSovFile::IsValidDate(const QString& Text, int Col, int DefaultYear, const TFormatSettings& Settings,
                           QDate& Date) {
  Date = QDate();
  const QString Trimmed = Text.trimmed();
  switch (Col) {
    case SovCol::EmergenceDate:
    case SovCol::StartingDate: return TryStrToDateWithYear(Trimmed, Date, Settings);
    case SovCol::CalculationDate: return TryStrToDateDefYear(Trimmed, Date, Settings, DefaultYear);
    default: return true;
  }
}

bool TSovFile::IsValidCell(int Col, const QString& Text) const {
  const QString Trimmed = Text.trimmed();
  double Number = 0;
  int Whole = 0;
  QDate Date;
  switch (Col) {
    case SovCol::FarmName:
    case SovCol::FieldName:
    case SovCol::SurveySymbol:
    case SovCol::MapUnitSymbol:
    case SovCol::ComponentName:
    case SovCol::Notes:
    case SovCol::WeatherStation:
    case SovCol::EvMisc1:
    case SovCol::EvNotes:
    case SovCol::WeatherNotes: return true;
    case SovCol::Location: return Lookup().FindLocation(Trimmed) > 0;
    case SovCol::IsCoastal:
    case SovCol::IsMetric: return TMyIniFile::IsTrueText(Trimmed) || TMyIniFile::IsFalseText(Trimmed);
    case SovCol::Latitude:
    case SovCol::Longitude:
    case SovCol::ProjectedYield:
    case SovCol::RootingDepth:
    case SovCol::WaterHoldingCapacity:
    case SovCol::OrganicMatter:
    case SovCol::EvValue:
    case SovCol::EvValue2:
    case SovCol::EvValue3:
    case SovCol::MaxTemp:
    case SovCol::MinTemp:
    case SovCol::Precip:
    case SovCol::Irrigation:
    case SovCol::WindSpeed:
    case SovCol::Humidity:
      return IsValidNumber(Trimmed, Col, IsMetric(), IsUSLocation(Location()), UserFormat(), 0, Number);
    case SovCol::Elevation:
    case SovCol::GrowingSeason:
    case SovCol::MinimumMoisture:
    case SovCol::IrrigationEfficiency:
    case SovCol::StartingMoisture:
    case SovCol::StartingResidue:
    case SovCol::HzDepth:
    case SovCol::EvDay: return IsValidInteger(Trimmed, Col, Whole);
    case SovCol::Crop:
    case SovCol::PreviousCrop: return Lookup().FindCrop(Trimmed) > 0;
    case SovCol::EmergenceDate:
    case SovCol::StartingDate: return IsValidDate(Trimmed, Col, 0, UserFormat(), Date);
    case SovCol::CalculationDate: {
      QDate Emergence;
      if (!IsValidDate(GetCell(0, SovCol::EmergenceDate), SovCol::EmergenceDate, 0, UserFormat(), Emergence))
        return false;
      return IsValidDate(Trimmed, Col, Emergence.year(), UserFormat(), Date);
    }
    case SovCol::WeatherSource: return Lookup().FindWeatherSource(Trimmed) > 0;
    case SovCol::HzTexture: return TextureIndex(Trimmed) > 0;
    case SovCol::HzAWC:
    case SovCol::HzWiltingPoint:
    case SovCol::HzBulkDensity:
    case SovCol::HzKSat:
    case SovCol::HzSand:
    case SovCol::HzSilt:
    case SovCol::HzClay:
    case SovCol::HzOM:
    case SovCol::HzpH:
    case SovCol::HzEC:
    case SovCol::HzCEC: return IsValidNumber(Trimmed, Col, true, true, UserFormat(), 0, Number);
    case SovCol::EvCode: return EventCodeIndex(Trimmed) > 0;
    case SovCol::GrowthStage: return StageCodeIndex(Trimmed) > 0;
    default: return false;
  }
}

bool TSovFile::CheckFieldData(bool FullCheck, QString& MsgForm, int& Row, int& Col) const {
  static const QString NoneSelected = QStringLiteral("No %s selected.");
  static const QString MissingOrInvalid = QStringLiteral("%s is missing or invalid.");
  static const QString Invalid = QStringLiteral("%s is invalid.");
  static const QString EventInvalid = QStringLiteral("Event's %s is missing or invalid.");
  static const QString TooLong = QStringLiteral("%s makes schedule exceed ") + QString::number(MaxDays) +
                                 QStringLiteral(" days.");

  MsgForm.clear();
  Row = 0;
  Col = 0;
  auto Fail = [&](const QString& Form, int FailCol, int FailRow = 0) {
    MsgForm = Form;
    Col = FailCol;
    Row = FailRow;
    return false;
  };

  const bool Metric = IsMetric();
  const bool IsUS = IsUSLocation(Location());
  const TFormatSettings& Settings = UserFormat();
  double Number = 0;
  int Whole = 0;
  auto NumberOk = [&](int C, int R = 0, int EventCode = 0) {
    return IsValidNumber(GetCell(R, C), C, Metric, IsUS, Settings, EventCode, Number);
  };
  auto IntegerOk = [&](int C, int R = 0) { return IsValidInteger(GetCell(R, C), C, Whole); };

  if (Location() <= 0) return Fail(NoneSelected, SovCol::Location);
  if (!NumberOk(SovCol::Latitude)) return Fail(MissingOrInvalid, SovCol::Latitude);
  if (FullCheck && !NumberOk(SovCol::Longitude)) return Fail(MissingOrInvalid, SovCol::Longitude);
  if (!IntegerOk(SovCol::Elevation)) return Fail(Invalid, SovCol::Elevation);
  if (Crop() <= 0) return Fail(NoneSelected, SovCol::Crop);

  QDate Emergence;
  if (!IsValidDate(GetCell(0, SovCol::EmergenceDate), SovCol::EmergenceDate, 0, Settings, Emergence))
    return Fail(MissingOrInvalid, SovCol::EmergenceDate);
  int GrowingSeason = 0;
  if (!IsValidInteger(GetCell(0, SovCol::GrowingSeason), SovCol::GrowingSeason, GrowingSeason))
    return Fail(MissingOrInvalid, SovCol::GrowingSeason);
  if (FullCheck && !NumberOk(SovCol::ProjectedYield)) return Fail(Invalid, SovCol::ProjectedYield);
  if (!NumberOk(SovCol::RootingDepth)) return Fail(MissingOrInvalid, SovCol::RootingDepth);
  if (!IntegerOk(SovCol::MinimumMoisture)) return Fail(Invalid, SovCol::MinimumMoisture);
  if (FullCheck && PreviousCrop() <= 0) return Fail(NoneSelected, SovCol::PreviousCrop);
  if (!NumberOk(SovCol::WaterHoldingCapacity)) return Fail(MissingOrInvalid, SovCol::WaterHoldingCapacity);
  if (!NumberOk(SovCol::OrganicMatter)) return Fail(MissingOrInvalid, SovCol::OrganicMatter);
  if (!IntegerOk(SovCol::IrrigationEfficiency)) return Fail(Invalid, SovCol::IrrigationEfficiency);
  if (!IntegerOk(SovCol::StartingMoisture)) return Fail(MissingOrInvalid, SovCol::StartingMoisture);
  if (!IntegerOk(SovCol::StartingResidue)) return Fail(Invalid, SovCol::StartingResidue);

  QDate Start;
  if (!IsValidDate(GetCell(0, SovCol::StartingDate), SovCol::StartingDate, 0, Settings, Start) ||
      Start > Emergence)
    return Fail(MissingOrInvalid, SovCol::StartingDate);
  if (Start.daysTo(Emergence) + GrowingSeason > MaxDays) return Fail(TooLong, SovCol::GrowingSeason);

  QDate Calculation;
  if (!IsValidDate(GetCell(0, SovCol::CalculationDate), SovCol::CalculationDate, Emergence.year(), Settings,
                   Calculation) ||
      Calculation < Start)
    return Fail(MissingOrInvalid, SovCol::CalculationDate);
  const qint64 Days = Start.daysTo(Calculation) + 1;
  if (Days > MaxDays) return Fail(TooLong, SovCol::CalculationDate);

  const TSovLookup& Tables = Lookup();
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    int Day = 0, Code = 0;
    if (!IsValidCell(SovCol::EvDay, GetCell(Slot, SovCol::EvDay))) continue;
    if (!IsValidInteger(GetCell(Slot, SovCol::EvCode), SovCol::EvCode, Code)) continue;
    IsValidInteger(GetCell(Slot, SovCol::EvDay), SovCol::EvDay, Day);
    const bool Fertilizer = Code == 1, Manure = Code == ManureCode;
    // The keys must name rows of their tables: the computation reads those rows.
    if (Fertilizer || Manure) {
      const int Key1 = GetCellInt(Slot, SovCol::EvKey1);
      const int Rows1 = Fertilizer ? Tables.FertilizerCount() : Tables.ManureCount();
      if (Key1 <= 0 || Key1 > Rows1) return Fail(EventInvalid, SovCol::EvKey1, Day);
    }
    if (!NumberOk(SovCol::EvValue, Slot, Code)) return Fail(EventInvalid, SovCol::EvValue, Day);
    if (!NumberOk(SovCol::EvValue2, Slot, Code)) return Fail(EventInvalid, SovCol::EvValue2, Day);
    if (!NumberOk(SovCol::EvValue3, Slot, Code)) return Fail(EventInvalid, SovCol::EvValue3, Day);
    if (Fertilizer || Manure) {
      const int Key2 = GetCellInt(Slot, SovCol::EvKey2);
      const int Rows2 = Fertilizer ? Tables.FertAppMethodCount() : Tables.ManureAppMethodCount();
      if (Key2 <= 0 || Key2 > Rows2) return Fail(EventInvalid, SovCol::EvKey2, Day);
    }
  }

  for (int Day = 1; Day <= Days; ++Day) {
    double High = 0, Low = 0;
    if (!IsValidNumber(GetCell(Day, SovCol::MaxTemp), SovCol::MaxTemp, Metric, IsUS, Settings, 0, High))
      return Fail(MissingOrInvalid, SovCol::MaxTemp, Day);
    // A low above the high has no meaning (and no defined radiation estimate).
    if (!IsValidNumber(GetCell(Day, SovCol::MinTemp), SovCol::MinTemp, Metric, IsUS, Settings, 0, Low) || Low > High)
      return Fail(MissingOrInvalid, SovCol::MinTemp, Day);
    if (!NumberOk(SovCol::WindSpeed, Day)) return Fail(Invalid, SovCol::WindSpeed, Day);
    if (!NumberOk(SovCol::Humidity, Day)) return Fail(Invalid, SovCol::Humidity, Day);
    if (!NumberOk(SovCol::Precip, Day)) return Fail(Invalid, SovCol::Precip, Day);
    if (!NumberOk(SovCol::Irrigation, Day)) return Fail(Invalid, SovCol::Irrigation, Day);
  }

  // Horizons down to the first without a depth: a value given must be usable, or the
  // soil layers and with them every nitrogen column would be dropped without a word.
  for (int Hz = 1; Hz <= MaxHorizons && !GetCell(Hz, SovCol::HzDepth).trimmed().isEmpty(); ++Hz) {
    for (int C = SovCol::FirstHorizon; C <= SovCol::LastHorizon; ++C) {
      const QString& Text = GetCell(Hz, C);
      if (Text.trimmed().isEmpty() || IsValidCell(C, Text)) continue;
      return Fail(C == SovCol::HzCEC ? Invalid : MissingOrInvalid, C, Hz);
    }
  }
  return true;
}
