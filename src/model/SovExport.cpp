// The schedule's exports: comma-separated text of the schedule cells (numbers in the
// user's format) and the AgMIP ACE JSON exchange format (numbers always with ".",
// metric units). Both are written beside the target under a temporary name and take
// its place only when complete, so a failed export leaves an earlier file untouched.

#include "SovSched.h"
#include "TxtFile.h"

#include <QFileInfo>

#include <array>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>

namespace {

constexpr int FieldRow = 1;

QString UnableToWrite(const QString& FileName) {
  return QStringLiteral("Unable to write to file ") + FileName;
}

// Text gathered in memory and handed to the file in large pieces.
class TOutText {
 public:
  explicit TOutText(TTextOutFile& Out) : FOut(Out) { FText.reserve(Chunk + 4096); }
  QString& operator()() { return FText; }
  void LineEnd() {
    FText += QLatin1String("\r\n");
    FlushIfFull();
  }
  void FlushIfFull() {
    if (FText.size() >= Chunk) Flush();
  }
  void Flush() {
    FOut.Write(FText);
    FText.clear();
  }

 private:
  static constexpr qsizetype Chunk = 32768;
  TTextOutFile& FOut;
  QString FText;
};

// A quoted field: the text without blanks and control characters at its ends, every
// double quote doubled so that a note holding one keeps its row together.
void AppendCsvField(QString& To, const QString& Text, bool AddComma) {
  const QChar* Data = Text.constData();
  qsizetype Begin = 0;
  qsizetype End = Text.size();
  while (Begin < End && Data[Begin].unicode() <= 0x20) ++Begin;
  while (End > Begin && Data[End - 1].unicode() <= 0x20) --End;
  qsizetype Quotes = 0;
  for (qsizetype i = Begin; i < End; ++i) Quotes += Data[i] == QChar('"');
  // The field is written in place at the end of To, which has room for it mostly.
  const qsizetype Start = To.size();
  To.resize(Start + 2 + (End - Begin) + Quotes + (AddComma ? 1 : 0));
  QChar* Out = To.data() + Start;
  *Out++ = QChar('"');
  for (qsizetype i = Begin; i < End; ++i) {
    if (Data[i] == QChar('"')) *Out++ = QChar('"');
    *Out++ = Data[i];
  }
  *Out++ = QChar('"');
  if (AddComma) *Out = QChar(',');
}

// Opens FileName, has Write fill it and closes it; the file takes its place only when
// all went well. False with ErrMsg when it cannot be written.
template <typename TWrite>
bool WriteExport(const QString& FileName, QString& ErrMsg, TWrite Write) {
  ErrMsg.clear();
  TTextOutFile Out;
  if (!Out.Open(FileName)) {
    ErrMsg = Out.GetFullErrorMessage();
    return false;
  }
  try {
    TOutText Text(Out);
    Write(Text);
    Text.Flush();
  } catch (const std::exception&) {
    Out.Abandon();
    ErrMsg = UnableToWrite(FileName);
    return false;
  }
  Out.Close();
  if (Out.Status() != TTextOutFile::StatusOk) {
    ErrMsg = Out.GetFullErrorMessage();
    return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// CSV
// ---------------------------------------------------------------------------

QString TSovSchedule::CsvField(const QString& Text, bool AddComma) {
  QString Result;
  AppendCsvField(Result, Text, AddComma);
  return Result;
}

namespace {

// Columns A to AC of the export.
constexpr std::array<int, TSovSchedule::ExportColumnCount> CsvColumns = {
    TSovSchedule::ColDayNum,       TSovSchedule::ColDate,        TSovSchedule::ColYear,
    TSovSchedule::ColMonth,        TSovSchedule::ColDay,         TSovSchedule::ColGrowthStage,
    TSovSchedule::ColGDD,          TSovSchedule::ColMaxTemp,     TSovSchedule::ColAveTemp,
    TSovSchedule::ColMinTemp,      TSovSchedule::ColWindSpeed,   TSovSchedule::ColHumidity,
    TSovSchedule::ColPrecip,       TSovSchedule::ColIrrigation,  TSovSchedule::ColSolarRad,
    TSovSchedule::ColETRef,        TSovSchedule::ColKc,          TSovSchedule::ColETCrop,
    TSovSchedule::ColExcessWater,  TSovSchedule::ColSoilMoisture, TSovSchedule::ColMineralizedN,
    TSovSchedule::ColAmmoniumN,    TSovSchedule::ColNitrateN,    TSovSchedule::ColDenitrifiedN,
    TSovSchedule::ColVolatilizedN, TSovSchedule::ColUptakeN,     TSovSchedule::ColLeachedN,
    TSovSchedule::ColFertilizerN,  TSovSchedule::ColNotes};
// Columns A to AB, those of every line.
constexpr std::size_t ValueColumnCount = CsvColumns.size() - 1;
static_assert(CsvColumns[ValueColumnCount] == TSovSchedule::ColNotes);

}  // namespace

const std::array<int, TSovSchedule::ExportColumnCount>& TSovSchedule::ExportColumns() { return CsvColumns; }

QStringList TSovSchedule::ExportUnits(bool Metric) {
  const QString Temp = TSovFile::UnitsLabel(TUnitKind::TemperaturePlain, Metric);
  const QString Wind = TSovFile::UnitsLabel(TUnitKind::WindSpeed, Metric);
  const QString Water = TSovFile::UnitsLabel(TUnitKind::WaterShort, Metric);
  const QString N = TSovFile::UnitsLabel(TUnitKind::MassPerArea, Metric);
  return {QString(), QString(), QString(), QString(), QString(), QString(),
          Temp,      Temp,      Temp,      Temp,      Wind,      QStringLiteral("%"),
          Water,     Water,     QStringLiteral("MJ m-2"), Water, QString(), Water,
          Water,     Water,     N,         N,         N,         N,
          N,         N,         N,         N};
}

QString TSovSchedule::ExportCell(int Row, int Col) const {
  const QString Text = GetCell(Row, Col);
  const QChar* Data = Text.constData();
  qsizetype Begin = 0;
  qsizetype End = Text.size();
  while (Begin < End && Data[Begin].unicode() <= 0x20) ++Begin;
  while (End > Begin && Data[End - 1].unicode() <= 0x20) --End;
  return Begin == 0 && End == Text.size() ? Text : Text.mid(Begin, End - Begin);
}

bool TSovSchedule::ExportCsv(const QString& FileName, QString& ErrMsg) const {
  return WriteExport(FileName, ErrMsg, [this](TOutText& Text) {
    QStringList Names;
    for (int Col : CsvColumns) Names << ColumnName(Col);
    Text() += Names.join(QChar(','));
    Text.LineEnd();
    Text() += ExportUnits(IsMetric()).join(QChar(','));
    Text.LineEnd();
    for (int r = 1; r <= FDayCount; ++r) {
      for (std::size_t c = 0; c < ValueColumnCount; ++c) AppendCsvField(Text(), GetCell(r, CsvColumns[c]), true);
      const QString Notes = GetCell(r, ColNotes);
      if (!Notes.isEmpty()) AppendCsvField(Text(), Notes, false);
      Text.LineEnd();
    }
    Text.LineEnd();
    static const char* const Labels[] = {"Total", "Average", "Maximum", "Minimum"};
    const int Rows[] = {RowTotal, RowAverage, RowMaximum, RowMinimum};
    for (int i = 0; i < 4; ++i) {
      Text() += QLatin1String(Labels[i]);
      Text() += QLatin1String(",,,,,,,");
      for (std::size_t c = FirstSummaryExportColumn; c < ValueColumnCount; ++c)
        AppendCsvField(Text(), GetCell(Rows[i], CsvColumns[c]), true);
      Text.LineEnd();
    }
  });
}

// ---------------------------------------------------------------------------
// ACE JSON
// ---------------------------------------------------------------------------

namespace {

// The escape of a character that JSON text does not take as it is: two characters
// ("\\n"), six for the other control characters ("\\u001f"), none for the rest.
int JsonEscapeLength(char16_t Ch) {
  if (Ch >= 0x20) return Ch == '\\' || Ch == '/' || Ch == '"' ? 2 : 0;
  switch (Ch) {
    case '\b':
    case '\f':
    case '\n':
    case '\r':
    case '\t':
      return 2;
    default:
      return 6;
  }
}

qsizetype JsonEscapedSize(const QString& Text) {
  qsizetype Size = Text.size();
  for (QChar Ch : Text) {
    const int Escape = JsonEscapeLength(Ch.unicode());
    if (Escape > 0) Size += Escape - 1;
  }
  return Size;
}

// Writes Text escaped at Out, which has room for JsonEscapedSize(Text) characters;
// returns the end.
QChar* WriteJsonEscaped(QChar* Out, const QString& Text) {
  for (QChar Ch : Text) {
    const char16_t C = Ch.unicode();
    switch (JsonEscapeLength(C)) {
      case 0:
        *Out++ = Ch;
        break;
      case 2: {
        char Second;
        switch (C) {
          case '\b': Second = 'b'; break;
          case '\f': Second = 'f'; break;
          case '\n': Second = 'n'; break;
          case '\r': Second = 'r'; break;
          case '\t': Second = 't'; break;
          default: Second = char(C); break;  // \\, / and "
        }
        *Out++ = QLatin1Char('\\');
        *Out++ = QLatin1Char(Second);
        break;
      }
      default: {
        static const char Hex[] = "0123456789abcdef";
        for (char Part : {'\\', 'u', '0', '0', Hex[C >> 4], Hex[C & 15]}) *Out++ = QLatin1Char(Part);
        break;
      }
    }
  }
  return Out;
}

void AppendJsonEscaped(QString& To, const QString& Text) {
  const qsizetype Start = To.size();
  To.resize(Start + JsonEscapedSize(Text));
  WriteJsonEscaped(To.data() + Start, Text);
}

}  // namespace

QString TSovSchedule::JsonEscape(const QString& Text) {
  QString Result;
  Result.reserve(Text.size() + 8);
  AppendJsonEscaped(Result, Text);
  return Result;
}

namespace {

// Nested objects and arrays with string values, optionally pretty-printed: one item
// a line, two blanks of indentation a level, the comma on the line of the item it
// follows.
class TJsonWriter {
 public:
  static constexpr int MaxLevel = 10;

  TJsonWriter(TOutText& Out, bool Pretty) : FOut(Out), FPretty(Pretty) {}

  // Opens an object or an array; a Name of nothing opens an unnamed one (an array
  // item or the root).
  void Open(const char* Name, bool IsArray) {
    Separate();
    Indent();
    if (Name != nullptr) {
      FOut() += QChar('"');
      FOut() += QLatin1String(Name);
      FOut() += QLatin1String("\" : ");
    }
    FOut() += IsArray ? QChar('[') : QChar('{');
    LineEnd();
    ++FCount[std::size_t(FLevel)];
    if (FLevel >= MaxLevel) throw std::length_error("JSON nested too deeply");
    ++FLevel;
    FCount[std::size_t(FLevel)] = 0;
  }

  void Close(bool IsArray) {
    if (FLevel <= 1) throw std::logic_error("JSON container closed twice");
    --FLevel;
    LineEnd();
    Indent();
    FOut() += IsArray ? QChar(']') : QChar('}');
  }

  // One key with a string value; nothing at all for an empty value. Written in one
  // piece: the separator, the indentation, "Name" : "Value".
  void Pair(const char* Name, const QString& Value) {
    if (Value.isEmpty()) return;
    const bool Comma = FCount[std::size_t(FLevel)] > 0;
    const qsizetype NameSize = qsizetype(std::strlen(Name));
    const qsizetype IndentSize = FPretty ? (FLevel - 1) * 2 : 0;
    QString& To = FOut();
    const qsizetype Start = To.size();
    To.resize(Start + (Comma ? (FPretty ? 3 : 1) : 0) + IndentSize + NameSize + 7 + JsonEscapedSize(Value));
    QChar* Out = To.data() + Start;
    auto Put = [&Out](const char* Text, qsizetype Size) {
      for (qsizetype i = 0; i < Size; ++i) *Out++ = QLatin1Char(Text[i]);
    };
    if (Comma) Put(",\r\n", FPretty ? 3 : 1);
    Put(Blanks, IndentSize);
    Put("\"", 1);
    Put(Name, NameSize);
    Put("\" : \"", 5);
    Out = WriteJsonEscaped(Out, Value);
    *Out = QLatin1Char('"');
    ++FCount[std::size_t(FLevel)];
    FOut.FlushIfFull();
  }

 private:
  void Separate() {
    if (FCount[std::size_t(FLevel)] > 0) {
      FOut() += QChar(',');
      LineEnd();
    }
  }
  void LineEnd() {
    if (FPretty) FOut.LineEnd();
  }
  void Indent() {
    if (FPretty) FOut() += QLatin1String(Blanks, (FLevel - 1) * 2);
  }

  static constexpr char Blanks[] = "                    ";  // (MaxLevel - 1) * 2 and more
  TOutText& FOut;
  bool FPretty;
  int FLevel = 1;
  std::array<int, MaxLevel + 1> FCount{};
};

constexpr int SectionExperiments = 1;
constexpr int SectionSoils = 2;
constexpr int SectionWeathers = 4;

// The amount of a manure application in kg/ha from its rate (MT/ha or ton/acre for a
// solid, liter/ha or gal/acre for a liquid).
double ManureAmountKgHa(double Rate, bool IsLiquid, bool Metric) {
  if (IsLiquid) return Metric ? Rate * 961.5 / 1000 : TSovFile::ToMetric(TUnitKind::MassPerArea, Rate * 60 / 7.48);
  return Metric ? Rate * 1000 : TSovFile::ToMetric(TUnitKind::MassPerArea, Rate * 2000);
}

// The total nitrogen of a manure as a percentage of its weight, from the nitrogen
// per MT or ton (solid) or per 1000 liters or gallons (liquid).
double ManureNitrogenPct(double TotalN, bool IsLiquid, bool Metric) {
  double Fraction;
  if (IsLiquid) {
    Fraction = Metric ? TotalN / 961.5 : TotalN / 8021.39037433155;
  } else {
    Fraction = Metric ? TotalN / 1000 : TotalN / 2000;
  }
  return Fraction * 100;
}

}  // namespace

bool TSovSchedule::ExportAceJson(const QString& FileName, int Sections, bool Pretty, QString& ErrMsg) const {
  return WriteExport(FileName, ErrMsg, [&](TOutText& Text) {
    const TSovLookup& L = Lookup();
    const bool Metric = IsMetric();
    auto Cell = [this](int Col) { return TSovFile::GetCell(FieldRow, Col); };
    // A number text as the file writes it ("." whatever the user's format).
    auto FileNumber = [this](const QString& Text) { return UserToFileNumber(Text.trimmed()); };
    auto Fixed = [this](double Value, int Digits) { return FloatToFileStr(Value, Digits); };
    // The number of a cell that its column's rule takes (in the field's units, with the
    // bounds of EventCode for an event value); nothing for an empty cell or one the rule
    // refuses, which is then left out rather than written as it stands.
    const bool IsUS = IsUSLocation(Location());
    auto Ruled = [&](const QString& Text, int Col, int EventCode = 0) -> std::optional<double> {
      const bool HorizonCol = Col >= SovCol::FirstHorizon && Col <= SovCol::LastHorizon;
      double Value = 0;
      int Whole = 0;
      if (Text.trimmed().isEmpty() || !IsValidInteger(Text, Col, Whole) ||
          !IsValidNumber(Text, Col, Metric || HorizonCol, IsUS, UserFormat(), EventCode, Value) ||
          !std::isfinite(Value))
        return std::nullopt;
      return Value;
    };
    // A cell that its column's rule takes as a file number; empty otherwise.
    auto RuledNumber = [&](const QString& Text, int Col) { return Ruled(Text, Col) ? FileNumber(Text) : QString(); };
    auto Date8 = [](const QDate& Date) { return NumericDate(Date, false); };
    auto CropId = [&L](int Row) { return Row >= 1 && Row <= L.CropCount() ? L.Crop(Row).ACE_crid : QString(); };

    TJsonWriter J(Text, Pretty);
    J.Open(nullptr, false);

    if (Sections & SectionExperiments) {
      J.Open("experiments", true);
      J.Open(nullptr, false);
      J.Pair("local_id", QFileInfo(FFileName).fileName());
      J.Pair("fl_name", Cell(SovCol::FieldName));
      const int Loc = Location();
      if (Loc >= 1 && Loc <= L.LocationCount()) {
        J.Pair("fl_loc_1", L.Location(Loc).CountryISO);
        J.Pair("fl_loc_2", L.Location(Loc).StateAbbr);
      }
      if (IsCoastal()) J.Pair("fl_land", QStringLiteral("Coastal"));
      J.Pair("fl_lat", RuledNumber(Cell(SovCol::Latitude), SovCol::Latitude));
      J.Pair("fl_long", RuledNumber(Cell(SovCol::Longitude), SovCol::Longitude));
      if (const auto Elevation = Ruled(Cell(SovCol::Elevation), SovCol::Elevation)) {
        J.Pair("flele", Metric ? FileNumber(Cell(SovCol::Elevation)) : Fixed(ToMetric(TUnitKind::Elevation, *Elevation), 1));
      }

      J.Open("initial_conditions", false);
      J.Pair("icdat", Date8(FStartDate));
      J.Pair("icpcr", CropId(PreviousCrop()));
      if (Ruled(Cell(SovCol::StartingResidue), SovCol::StartingResidue)) {
        J.Pair("icrip", QString::number(100 - qint64(GetCellInt(FieldRow, SovCol::StartingResidue))));
      }
      J.Pair("icsw%", RuledNumber(Cell(SovCol::StartingMoisture), SovCol::StartingMoisture));
      J.Close(false);

      J.Pair("soil_id", Cell(SovCol::MapUnitSymbol));
      J.Pair("fl_notes", Cell(SovCol::Notes));
      J.Pair("wst_id", Cell(SovCol::WeatherStation));

      J.Open("management", false);
      J.Open("events", true);
      // Every event carries its date under "date" (the key that ACE readers take the
      // date from) as well as under the event kind's own key.
      auto OpenEvent = [&J](const QString& Kind, const char* DateKey, const QString& Date) {
        J.Open(nullptr, false);
        J.Pair("event", Kind);
        J.Pair("date", Date);
        J.Pair(DateKey, Date);
      };
      OpenEvent(QStringLiteral("planting"), "pdate", Date8(FEmergenceDate.addDays(-DaysFromPlanting(Crop(), 0))));
      J.Pair("edate", Date8(FEmergenceDate));
      J.Pair("crid", CropId(Crop()));
      J.Pair("rm", RuledNumber(Cell(SovCol::GrowingSeason), SovCol::GrowingSeason));
      J.Close(false);
      for (const TSovEventRec& Event : FEvents) {
        if (Event.Day < 1 || (Event.Code != 1 && Event.Code != 3)) continue;
        const QString Date = Date8(FStartDate.addDays(Event.Day - 1));
        const std::optional<double> Rate = Ruled(Event.Value, SovCol::EvValue, Event.Code);
        if (Event.Code == 1) {
          const bool Known = Event.Key1 >= 1 && Event.Key1 <= L.FertilizerCount();
          OpenEvent(QStringLiteral("fertilizer"), "fedate", Date);
          if (Known) J.Pair("fecd", L.Fertilizer(Event.Key1).ACE_fecd);
          if (Event.Key2 >= 1 && Event.Key2 <= L.FertAppMethodCount())
            J.Pair("feacd", L.FertAppMethod(Event.Key2).ACE_feacd);
          if (Known && Rate) J.Pair("feamn", Fixed(FertilizerN(Event.Key1, 7, *Rate, Metric, true), 2));
          J.Close(false);
        } else {
          const bool Known = Event.Key1 >= 1 && Event.Key1 <= L.ManureCount();
          OpenEvent(QStringLiteral("organic_matter"), "omdate", Date);
          if (Known) J.Pair("omcd", L.Manure(Event.Key1).ACE_omcd);
          if (Event.Key2 >= 1 && Event.Key2 <= L.ManureAppMethodCount())
            J.Pair("omacd", L.ManureAppMethod(Event.Key2).ACE_omacd);
          if (Known) {
            const TManureRec& Manure = L.Manure(Event.Key1);
            if (Rate) J.Pair("omamt", Fixed(ManureAmountKgHa(*Rate, Manure.IsLiquid, Metric), 1));
            if (const auto TotalN = Ruled(Event.Value2, SovCol::EvValue2, Event.Code))
              J.Pair("omn%", Fixed(ManureNitrogenPct(*TotalN, Manure.IsLiquid, Metric), 4));
            J.Pair("om_name", Manure.Description);
          }
          J.Pair("om_notes", Event.Notes);
          J.Close(false);
        }
      }
      const std::optional<double> Efficiency = Ruled(Cell(SovCol::IrrigationEfficiency), SovCol::IrrigationEfficiency);
      for (int d = 1; d <= FDayCount; ++d) {
        if (!(FIrrigation[d] > 0)) continue;
        const QString Date = Date8(FStartDate.addDays(d - 1));
        OpenEvent(QStringLiteral("irrigation"), "idate", Date);
        J.Pair("irval", Metric ? RuledNumber(TSovFile::GetCell(d, SovCol::Irrigation), SovCol::Irrigation)
                               : Fixed(ToMetric(TUnitKind::Water, FIrrigation[d]), 1));
        const int NitrateEvent = NitrateEventForDay(d);
        if (NitrateEvent >= 1 && NitrateEvent <= MaxEvents) {
          if (const auto Ppm = Ruled(FEvents[std::size_t(NitrateEvent - 1)].Value, SovCol::EvValue, 2))
            J.Pair("irn%", Fixed(*Ppm / 10000, 5));
        }
        if (Efficiency) J.Pair("ireff", Fixed(*Efficiency / 100, 2));
        J.Close(false);
      }
      J.Close(true);   // events
      J.Close(false);  // management
      J.Close(false);  // the experiment
      J.Close(true);   // experiments
    }

    if (Sections & SectionSoils) {
      J.Open("soils", true);
      J.Open(nullptr, false);
      J.Pair("sl_source", QStringLiteral("FURROW"));
      J.Pair("sl_system", QStringLiteral("USDA"));
      J.Pair("soil_id", Cell(SovCol::MapUnitSymbol));
      J.Pair("soil_name", Cell(SovCol::ComponentName));
      J.Pair("sl_loc_2", Cell(SovCol::SurveySymbol));
      J.Open("soilLayer", true);
      for (int h = 1; h <= MaxHorizons; ++h) {
        auto Hz = [this, h](int Col) { return TSovFile::GetCell(h, Col); };
        if (Hz(SovCol::HzDepth).trimmed().isEmpty()) break;
        J.Open(nullptr, false);
        auto HzNumber = [&](int Col) { return RuledNumber(Hz(Col), Col); };
        J.Pair("sllb", HzNumber(SovCol::HzDepth));
        J.Pair("sltx", Hz(SovCol::HzTexture));
        // Computed values only from values that are there: an empty input leaves the
        // key out rather than passing a made-up zero.
        const auto Wp = Ruled(Hz(SovCol::HzWiltingPoint), SovCol::HzWiltingPoint);
        const auto Awc = Ruled(Hz(SovCol::HzAWC), SovCol::HzAWC);
        if (Wp && Awc) J.Pair("sldul", Fixed(*Wp + *Awc, 2));
        J.Pair("slwp", HzNumber(SovCol::HzWiltingPoint));
        J.Pair("slbdm", HzNumber(SovCol::HzBulkDensity));
        if (const auto KSat = Ruled(Hz(SovCol::HzKSat), SovCol::HzKSat)) J.Pair("sksat", Fixed(*KSat * 3600 / 10000, 2));
        J.Pair("slsil", HzNumber(SovCol::HzSilt));
        J.Pair("slcly", HzNumber(SovCol::HzClay));
        if (const auto OM = Ruled(Hz(SovCol::HzOM), SovCol::HzOM)) J.Pair("sloc", Fixed(*OM * 0.58, 3));
        J.Pair("slphw", HzNumber(SovCol::HzpH));
        J.Pair("slec", HzNumber(SovCol::HzEC));
        J.Pair("slcec", HzNumber(SovCol::HzCEC));
        J.Close(false);
      }
      J.Close(true);   // soilLayer
      J.Close(false);  // the soil
      J.Close(true);   // soils
    }

    if (Sections & SectionWeathers) {
      J.Open("weathers", true);
      J.Open(nullptr, false);
      J.Pair("wst_id", Cell(SovCol::WeatherStation));
      J.Open("dailyWeather", true);
      for (int d = 1; d <= FDayCount; ++d) {
        auto Day = [this, d](int Col) { return TSovFile::GetCell(d, Col); };
        auto Temperature = [&](int Col) {
          const auto T = Ruled(Day(Col), Col);
          return T ? Fixed(Metric ? *T : ToMetric(TUnitKind::Temperature, *T), 2) : QString();
        };
        J.Open(nullptr, false);
        J.Pair("w_date", Date8(FStartDate.addDays(d - 1)));
        J.Pair("tmax", Temperature(SovCol::MaxTemp));
        J.Pair("tmin", Temperature(SovCol::MinTemp));
        if (Ruled(Day(SovCol::Precip), SovCol::Precip))
          J.Pair("rain", Fixed(Metric ? FPrecip[d] : ToMetric(TUnitKind::Water, FPrecip[d]), 2));
        if (const auto Wind = Ruled(Day(SovCol::WindSpeed), SovCol::WindSpeed))
          J.Pair("wind", Fixed((Metric ? *Wind : ToMetric(TUnitKind::WindSpeed, *Wind)) * 86.4, 2));
        J.Pair("rhumd", RuledNumber(Day(SovCol::Humidity), SovCol::Humidity));
        J.Pair("srad", Fixed(FSolarRad[d], 2));
        J.Close(false);
      }
      J.Close(true);   // dailyWeather
      J.Close(false);  // the station
      J.Close(true);   // weathers
    }

    J.Close(false);
    Text.LineEnd();
  });
}
