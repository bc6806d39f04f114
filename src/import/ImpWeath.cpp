#include "ImpWeath.h"

#include <string>

// ---------------------------------------------------------------------------
// Field splitting
// ---------------------------------------------------------------------------

QStringList SplitFields(const TMyLineParser& Parser, const QString& Line) {
  return Parser.Fields(Line);
}

int FindField(const QStringList& Fields, const QString& Name) {
  for (qsizetype I = 0; I < Fields.size(); ++I) {
    const QString& Field = Fields.at(I);
    if (Field.isEmpty()) break;
    if (Field.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(I + 1);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// TNameValueList
// ---------------------------------------------------------------------------

void TNameValueList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FLines.size()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
  }
}

const QString& TNameValueList::Strings(int Index) const {
  CheckIndex(Index);
  return FLines.at(Index);
}

void TNameValueList::SetStrings(int Index, const QString& Line) {
  CheckIndex(Index);
  FLines[Index] = Line;
}

QString TNameValueList::Names(int Index) const {
  const QString& Line = Strings(Index);
  const qsizetype P = Line.indexOf(u'=');
  return P < 0 ? QString() : Line.left(P);
}

QString TNameValueList::ValueFromIndex(int Index) const {
  const QString& Line = Strings(Index);
  const qsizetype P = Line.indexOf(u'=');
  return P < 0 ? QString() : Line.mid(P + 1);
}

void TNameValueList::SetValueFromIndex(int Index, const QString& Value) {
  const QString Name = Names(Index);
  FLines[Index] = Name + u'=' + Value;
}

int TNameValueList::IndexOfName(const QString& Name) const {
  for (qsizetype I = 0; I < FLines.size(); ++I) {
    const QString& Line = FLines.at(I);
    const qsizetype P = Line.indexOf(u'=');
    if (P >= 0 && QStringView(Line).left(P).compare(Name, Qt::CaseInsensitive) == 0) {
      return static_cast<int>(I);
    }
  }
  return -1;
}

QString TNameValueList::Values(const QString& Name) const {
  const int Index = IndexOfName(Name);
  return Index < 0 ? QString() : ValueFromIndex(Index);
}

void TNameValueList::Insert(int Index, const QString& Line) {
  if (Index < 0 || Index > FLines.size()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
  }
  FLines.insert(Index, Line);
}

void TNameValueList::Delete(int Index) {
  CheckIndex(Index);
  FLines.removeAt(Index);
}

void TNameValueList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  FLines.swapItemsAt(Index1, Index2);
}

// ---------------------------------------------------------------------------
// TImportedWeather
// ---------------------------------------------------------------------------

TImportedWeather::TImportedWeather() { ResetFacts(); }

void TImportedWeather::ResetFacts() {
  Clear();
  SourceName.clear();
  UnitsUnstated = false;
  for (int K = 0; K < WeatherKindCount; ++K) {
    Has[K] = false;
    Use[K] = false;
  }
  StationName.clear();
  Latitude.clear();
  Longitude.clear();
  Elevation.clear();
  FormatSettings.DecimalSeparator = u'.';
  FormatSettings.ThousandSeparator = QChar();
  InParser.Delimiter = u',';
  InParser.Quote = QChar();
  InParser.Escape = QChar();
  OutParser.Escape = QChar();
}

QString TImportedWeather::DayName(int Year, int Month, int Day) {
  // Written digit by digit: this runs once per imported day.
  if (Year < 1000 || Year > 9999 || Month < 0 || Month > 99 || Day < 0 || Day > 99)
    return QString::number(Year) + QString::number(Month).rightJustified(2, u'0') +
           QString::number(Day).rightJustified(2, u'0');
  QString Name(8, Qt::Uninitialized);
  QChar* Out = Name.data();
  const int Digits[] = {Year / 1000, Year / 100 % 10, Year / 10 % 10, Year % 10, Month / 10, Month % 10, Day / 10, Day % 10};
  for (int I = 0; I < 8; ++I) Out[I] = QChar(u'0' + Digits[I]);
  return Name;
}

bool TImportedWeather::TryGetDayDate(int Index, QDate& Date) const {
  if (Index < 0 || Index >= Count()) return false;
  const QString Line = FLines.at(Index);
  const qsizetype P = Line.indexOf(u'=');
  const QString Name = P < 0 ? QString() : Line.left(P);
  if (Name.size() != 8) return false;
  for (const QChar Ch : Name) {
    if (Ch < u'0' || Ch > u'9') return false;
  }
  int Year = 0, Month = 0, Day = 0;
  if (!TryStrToInt(Name.left(4), Year) || !TryStrToInt(Name.mid(4, 2), Month) ||
      !TryStrToInt(Name.mid(6, 2), Day) || !QDate::isValid(Year, Month, Day)) {
    return false;
  }
  Date = QDate(Year, Month, Day);
  return true;
}

QDate TImportedWeather::GetDayDate(int Index) const {
  CheckIndex(Index);
  QDate Date;
  if (!TryGetDayDate(Index, Date)) {
    throw EConvertError("'" + Names(Index).toStdString() + "' is not a valid date");
  }
  return Date;
}

QString TImportedWeather::GetDayField(int Index, int FieldNo) const {
  if (Index < 0 || Index >= Count() || FieldNo < 1) return QString();
  return OutParser.Unescape(FieldAt(SplitFields(OutParser, ValueFromIndex(Index)), FieldNo));
}

QStringList TImportedWeather::GetDayFields(int Index) const {
  if (Index < 0 || Index >= Count()) return {};
  QStringList Fields = SplitFields(OutParser, ValueFromIndex(Index));
  for (QString& Field : Fields) Field = OutParser.Unescape(Field);
  return Fields;
}
