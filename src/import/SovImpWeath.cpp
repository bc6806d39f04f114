#include "SovImpWeath.h"

#include "SovFile.h"
#include "Version.h"

#include <QDate>

#include <cmath>
#include <exception>

// Field files are this program's own format: they are named after it.
const char* const TSovImportedWeather::SovSourceName = FURROW_PRODUCT_NAME;
const char* const TSovImportedWeather::MsgBadStartingDate = "File's starting date is missing or invalid.";

namespace {

// The last day of a field's weather must still have a four-digit year, so that every
// day line's name is eight digits.
constexpr int LastNameableYear = 9999;

// A number cell of the field (user form) as a day line number ("."): the cell's text
// trimmed, with its decimal separator made "." so that the decimals typed are kept.
// A text that is not a number is copied as it stands, so that the cell it lands in is
// the one a calculation names.
QString DayLineNumber(const QString& Cell, const TFormatSettings& UserFormat, const TFormatSettings& LineFormat,
                      bool& IsNumber, double& Value) {
  IsNumber = false;
  Value = 0;
  const QString Trimmed = Cell.trimmed();
  if (Trimmed.isEmpty()) return QString();
  if (!TryStrToFloat(Trimmed, Value, UserFormat)) return Cell;
  IsNumber = true;
  QString Text = Trimmed;
  if (UserFormat.DecimalSeparator != LineFormat.DecimalSeparator) {
    const qsizetype Pos = Text.indexOf(UserFormat.DecimalSeparator);
    if (Pos >= 0) Text[Pos] = LineFormat.DecimalSeparator;
  }
  // A strict parse leaves nothing else to change; should the text still not read back
  // in the line format, the value is written afresh.
  double Check = 0;
  if (!TryStrToFloat(Text, Check, LineFormat)) Text = FormatGeneral(Value, LineFormat);
  return Text;
}

// "yyyymmdd", the year padded to four digits too (years 1-9999). Written digit by
// digit: this runs for each of the 365 days of every import.
QString DayLineName(const QDate& Date) {
  const int Year = Date.year(), Month = Date.month(), Day = Date.day();
  const int Digits[] = {Year / 1000, Year / 100 % 10, Year / 10 % 10, Year % 10, Month / 10, Month % 10, Day / 10, Day % 10};
  QString Name(8, Qt::Uninitialized);
  for (int I = 0; I < 8; ++I) Name[I] = QChar(u'0' + Digits[I]);
  return Name;
}

}  // namespace

bool TSovImportedWeather::IsFieldFileName(const QString& FileName) {
  const qsizetype Slash = FileName.lastIndexOf(u'/');
  const QString Base = FileName.mid(Slash + 1);
  const qsizetype Dot = Base.lastIndexOf(u'.');
  return Dot >= 0 && Base.mid(Dot).compare(QLatin1String(".sov"), Qt::CaseInsensitive) == 0;
}

bool TSovImportedWeather::ImportFileOrFieldFile(const QString& FileName, const TSovLookup& Lookup,
                                                QString& ErrMsg) {
  return ImportFileOrFieldFile(FileName, Lookup, GetUserFormatSettings(true), ErrMsg);
}

bool TSovImportedWeather::ImportFileOrFieldFile(const QString& FileName, const TSovLookup& Lookup,
                                                const TFormatSettings& UserFormat, QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  if (!IsFieldFileName(FileName)) return ImportFile(FileName, ErrMsg);
  return ImportFieldFile(FileName, nullptr, Lookup, UserFormat, ErrMsg);
}

bool TSovImportedWeather::ImportFieldFileData(const QString& FileName, const QByteArray& Data,
                                              const TSovLookup& Lookup, const TFormatSettings& UserFormat,
                                              QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  return ImportFieldFile(FileName, &Data, Lookup, UserFormat, ErrMsg);
}

bool TSovImportedWeather::ImportFieldFile(const QString& FileName, const QByteArray* Data,
                                          const TSovLookup& Lookup, const TFormatSettings& UserFormat,
                                          QString& ErrMsg) {
  // A failed import leaves no days of an earlier one behind.
  ResetFacts();
  try {
    if (ReadFieldFile(FileName, Data, Lookup, UserFormat, ErrMsg)) return true;
  } catch (const std::exception& E) {
    ErrMsg = FileName + u'\n' + QString::fromLocal8Bit(E.what());
  }
  ResetFacts();
  return false;
}

bool TSovImportedWeather::ReadFieldFile(const QString& FileName, const QByteArray* Data,
                                        const TSovLookup& Lookup, const TFormatSettings& UserFormat,
                                        QString& ErrMsg) {
  TSovFile Field(Lookup, UserFormat);
  if (!(Data ? Field.LoadFromBytes(*Data, FileName, ErrMsg) : Field.LoadFromFile(FileName, ErrMsg))) return false;
  const QString LoadMsg = ErrMsg;

  QDate Start;
  if (!TSovFile::IsValidDate(Field.GetCell(1, SovCol::StartingDate), SovCol::StartingDate, 0, Field.UserFormat(),
                             Start) ||
      !Start.isValid() || Start.year() < 1 || Start.addDays(MaxDays - 1).year() > LastNameableYear) {
    ErrMsg = FileName + u'\n' + QLatin1String(MsgBadStartingDate);
    return false;
  }

  OutParser.Escape = u'\\';
  const TFormatSettings& LineFormat = FormatSettings;
  const TFormatSettings& CellFormat = Field.UserFormat();
  // A day without any value has only its delimiters; a field file often holds a few
  // days, not all 365.
  const QString EmptyDay = QString(DayFieldCount - 1, OutParser.Delimiter);
  for (int Day = 1; Day <= MaxDays; ++Day) {
    const QString Name = DayLineName(Start.addDays(Day - 1));
    if (!Field.WeatherDayHasData(Day)) {
      AddPair(Name, EmptyDay);
      continue;
    }
    bool HaveMax = false, HaveMin = false, IsNumber = false;
    double MaxValue = 0, MinValue = 0, Ignored = 0;
    auto Number = [&](int Col) {
      return DayLineNumber(Field.GetCell(Day, Col), CellFormat, LineFormat, IsNumber, Ignored);
    };
    const QString Max =
        DayLineNumber(Field.GetCell(Day, SovCol::MaxTemp), CellFormat, LineFormat, HaveMax, MaxValue);
    const QString Min =
        DayLineNumber(Field.GetCell(Day, SovCol::MinTemp), CellFormat, LineFormat, HaveMin, MinValue);
    // Halves first, so that two huge temperatures cannot overflow the sum.
    const double MeanValue = MaxValue / 2.0 + MinValue / 2.0;
    const QString Mean =
        HaveMax && HaveMin && std::isfinite(MeanValue) ? FormatFixed(MeanValue, 0, LineFormat) : QString();
    const QString Fields[DayFieldCount] = {
        Max,
        Min,
        Mean,
        Number(SovCol::Precip),
        Number(SovCol::WindSpeed),
        Number(SovCol::Humidity),
        Field.GetCell(Day, SovCol::WeatherNotes),
        Number(SovCol::Irrigation),
    };
    QString Value;
    for (int F = 0; F < DayFieldCount; ++F) {
      if (F > 0) Value += OutParser.Delimiter;
      Value += OutParser.EscapeText(Fields[F]);
    }
    AddPair(Name, Value);
  }

  SourceName = QLatin1String(SovSourceName);
  Metric = Field.IsMetric();
  UnitsUnstated = false;
  for (int K = 0; K < WeatherKindCount; ++K) {
    Has[K] = true;
    Use[K] = K != wkIrrigation;
  }
  ErrMsg = LoadMsg;
  return true;
}
