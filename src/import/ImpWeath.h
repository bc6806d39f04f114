#pragma once
// The common result of every weather importer: an ordered list of day lines
// "yyyymmdd=max,min,mean,precip,wind,humidity,notes,irrigation" plus a few facts about
// the source (its name, units, which kinds of values it carries, the station).

#include "MiscUtil.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A date or number text that does not convert.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// Field splitting
// ---------------------------------------------------------------------------

// All fields of Line in one pass, the same texts that Parser.GetField(Line, N) gives for
// N = 1, 2, ... (escape characters stay in them). A line of K delimiters has K + 1
// fields. Long header lines are searched through this list rather than field by field.
QStringList SplitFields(const TMyLineParser& Parser, const QString& Line);
// Field N (1-based) of a split line; empty when absent. The text belongs to Fields.
inline const QString& FieldAt(const QStringList& Fields, int N) {
  static const QString Absent;
  return N >= 1 && N <= Fields.size() ? Fields.at(N - 1) : Absent;
}
// The first field equal to Name without regard to case, searching up to the first empty
// field; 1-based, 0 when not found.
int FindField(const QStringList& Fields, const QString& Name);

// ---------------------------------------------------------------------------
// Name-value lines
// ---------------------------------------------------------------------------

// An ordered list of lines "name=value" (the name is the text before the first "=").
// Index arguments are checked: an index outside 0..Count()-1 throws std::out_of_range.
class TNameValueList {
 public:
  virtual ~TNameValueList() = default;

  int Count() const { return static_cast<int>(FLines.size()); }
  const QString& Strings(int Index) const;
  void SetStrings(int Index, const QString& Line);
  // The text before the first "="; empty when the line holds none.
  QString Names(int Index) const;
  // The text after the first "="; empty when the line holds none.
  QString ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const QString& Value);
  // The first line whose name equals Name without regard to case; -1 when none.
  int IndexOfName(const QString& Name) const;
  // The value of the line named Name; empty when there is none.
  QString Values(const QString& Name) const;

  void Add(const QString& Line) { FLines.append(Line); }
  void AddPair(const QString& Name, const QString& Value) { FLines.append(Name + u'=' + Value); }
  void Insert(int Index, const QString& Line);  // 0..Count()
  void Delete(int Index);
  void Exchange(int Index1, int Index2);
  void Clear() { FLines.clear(); }
  const QStringList& Lines() const { return FLines; }

 protected:
  void CheckIndex(int Index) const;
  QStringList FLines;
};

// ---------------------------------------------------------------------------
// Imported weather
// ---------------------------------------------------------------------------

// The six kinds of weather values a source can carry; they index Has and Use.
enum TWeatherKind : int {
  wkTemperature = 0,
  wkPrecipitation = 1,
  wkWind = 2,
  wkHumidity = 3,
  wkNotes = 4,
  wkIrrigation = 5,
};
constexpr int WeatherKindCount = 6;

// Field numbers (1-based) of a day line's value.
enum TDayField : int {
  dfMaxTemp = 1,
  dfMinTemp = 2,
  dfMeanTemp = 3,
  dfPrecip = 4,
  dfWind = 5,
  dfHumidity = 6,
  dfNotes = 7,
  dfIrrigation = 8,
};
constexpr int DayFieldCount = 8;

class TImportedWeather : public TNameValueList {
 public:
  TImportedWeather();
  ~TImportedWeather() override = default;

  // Parser for the source's own lines (delimiter, quote and escape set per source).
  TMyLineParser InParser;
  // Parser of the value part of the day lines: ",", no quote; escape "\" when the
  // importer stores escaped fields, none otherwise.
  TMyLineParser OutParser;
  QString SourceName;
  // Numbers are in degrees C, mm and m/s; otherwise degrees F, inches and mph.
  bool Metric = false;
  // The source did not state its units: the field's own unit choice applies.
  bool UnitsUnstated = false;
  // Number format of the day lines: "." and no thousands separator unless an importer
  // says otherwise.
  TFormatSettings FormatSettings;
  bool Has[WeatherKindCount] = {};
  bool Use[WeatherKindCount] = {};
  QString StationName;
  QString Latitude;
  QString Longitude;
  QString Elevation;

  // The name of a day line: "yyyymmdd" with zero-padded month and day.
  static QString DayName(int Year, int Month, int Day);

  // Date of day line Index from the eight digits of its name. Throws EConvertError when
  // the name is not eight digits or names no calendar date, std::out_of_range for a bad
  // Index.
  QDate GetDayDate(int Index) const;
  // The same without exceptions: False for a bad Index, name or date.
  bool TryGetDayDate(int Index, QDate& Date) const;
  // Field FieldNo (1-based) of day line Index, split by OutParser and unescaped; empty
  // when the line has fewer fields, FieldNo is out of range or Index is out of range.
  QString GetDayField(int Index, int FieldNo) const;
  // Every field of day line Index, split by OutParser and unescaped (field N at N - 1);
  // empty for an Index out of range. For reading all fields of a line at once.
  QStringList GetDayFields(int Index) const;

 protected:
  // The state before an import (and after construction): no day lines, no source facts
  // (name, stated units, kinds, station), "." numbers, InParser "," with no quote or
  // escape, OutParser without escape. Metric stays as it is.
  void ResetFacts();
};
