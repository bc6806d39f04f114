#include "ImpWeathFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <initializer_list>

const char* const TImportedWeatherFile::MsgFileNotFound = "File does not exist.";
const char* const TImportedWeatherFile::MsgCantOpen = "Can't open file.";
const char* const TImportedWeatherFile::MsgCantRead = "Can't read file.";
const char* const TImportedWeatherFile::MsgTooLarge =
    "File is too large to import (more than 64 MB).";
const char* const TImportedWeatherFile::MsgUnrecognized = "Unrecognized file format.";
const char* const TImportedWeatherFile::MsgNoData = "File contains no data.";
const char* const TImportedWeatherFile::MsgHeaderIncomplete = "Data header line is incomplete.";
const char* const TImportedWeatherFile::MsgHeadersIncomplete =
    "Data header lines are incomplete.";
const char* const TImportedWeatherFile::MsgInvalidDate = "Invalid date encountered: ";
const char* const TImportedWeatherFile::MsgNoStationLocation = "Can't find Station Location.";
const char* const TImportedWeatherFile::MsgMissingDay = "Data header line is missing day.";
const char* const TImportedWeatherFile::MsgMissingMonthDayYear =
    "Data header line is missing month, day, year.";
const char* const TImportedWeatherFile::MsgUnitsUnknown =
    "The units are unknown: no line of the file says whether temperatures are in (C) or (F) "
    "and precipitation in (mm) or (in). Import the file with its legend.";
const char* const TImportedWeatherFile::MsgUnitsMixed =
    "The units are mixed: the file gives some values in metric and others in English units.";
const char* const TImportedWeatherFile::MsgDateForm =
    "Dates are not in the form year-month-day (such as 2013-7-1): ";

namespace {

constexpr qint64 ReadBlockSize = 1024 * 1024;

// Sequential line reading: ReadLn past the end gives an empty line.
class TLineReader {
 public:
  explicit TLineReader(QStringList Lines) : FLines(std::move(Lines)) {}
  bool Eof() const { return FPos >= FLines.size(); }
  QString ReadLn() { return Eof() ? QString() : FLines.at(FPos++); }

 private:
  QStringList FLines;
  qsizetype FPos = 0;
};

bool IsBlank(const QString& Line) { return Line.trimmed().isEmpty(); }

bool SameText(const QString& A, const char* B) {
  return A.compare(QLatin1String(B), Qt::CaseInsensitive) == 0;
}

// A failure: ErrMsg is the file's name, a line break, Reason and Detail.
bool FailFile(QString& ErrMsg, const QString& FileName, const char* Reason,
              const QString& Detail = QString()) {
  ErrMsg = FileName + u'\n' + QLatin1String(Reason) + Detail;
  return false;
}

// A header line's fields, looked up by name as FindField does.
struct THeader {
  QStringList Fields;
  int operator()(const char* Name) const { return FindField(Fields, QLatin1String(Name)); }
};

// A no-column placeholder in a list of day-line columns: it gives an empty field.
constexpr int NoColumn = 0;

// Reads the lines after the first non-blank one, L, for the layout that L names.
class TLayoutReader {
 public:
  TLayoutReader(TImportedWeather& Weather, TLineReader& Reader, const QString& FileName,
                QString& ErrMsg)
      : W(Weather), R(Reader), FFileName(FileName), FErrMsg(ErrMsg) {}

  // Each returns False after setting the message of a failure. A layout that does not
  // match L returns True and leaves SourceName empty.
  bool ReadWeatherUnderground(QString L);
  bool ReadNoaaLcd();
  bool ReadCaldry(QString L);
  bool ReadIowaStateAg(QString L);
  bool ReadNwsCoop(const QString& L);
  bool ReadNrcsScan();
  bool ReadStandardCsv(const QString& L);
  bool ReadNexradOrEnviroWeather(QString L);

 private:
  bool ReadNexrad();
  bool ReadEnviroWeather();

  bool Fail(const char* Text) { return FailFile(FErrMsg, FFileName, Text); }
  bool FailDate(const QString& Text) {
    return FailFile(FErrMsg, FFileName, TImportedWeatherFile::MsgInvalidDate, Text);
  }

  QStringList Split(const QString& Line) const { return SplitFields(W.InParser, Line); }

  bool ToNumber(const QString& Text, double& Value) const {
    return TryStrToFloat(Text, Value, W.FormatSettings);
  }
  // The text when it is a number, else empty.
  QString Num(const QString& Text) const {
    double Value = 0;
    return ToNumber(Text, Value) ? Text : QString();
  }

  // A date of the range the importer accepts that exists in the calendar. A day such as
  // February 30 would become a day line whose name is no date, which the merge into the
  // field then drops without a word; refusing it names the bad date instead.
  static bool ValidDate(int Year, int Month, int Day) {
    return Year >= 1950 && Year <= 2050 && Month >= 1 && Month <= 12 && Day >= 1 &&
           Day <= 31 && QDate::isValid(Year, Month, Day);
  }
  static bool ParseDate(const QString& YearText, const QString& MonthText,
                        const QString& DayText, int& Year, int& Month, int& Day) {
    return TryStrToInt(YearText, Year) && TryStrToInt(MonthText, Month) &&
           TryStrToInt(DayText, Day) && ValidDate(Year, Month, Day);
  }
  // "yyyy-mm-dd" (characters 1-4, 6-7, 9-10).
  static bool ParseIsoDate(const QString& Text, int& Year, int& Month, int& Day) {
    return ParseDate(Text.left(4), Text.mid(5, 2), Text.mid(8, 2), Year, Month, Day);
  }
  // "mm/dd/yyyy" (characters 1-2, 4-5, 7-10).
  static bool ParseUsDate(const QString& Text, int& Year, int& Month, int& Day) {
    return ParseDate(Text.mid(6, 4), Text.left(2), Text.mid(3, 2), Year, Month, Day);
  }

  // Day-line fields: the texts of the columns Cols (NoColumn gives an empty field), each
  // through Conv, joined with ",".
  template <typename TConv>
  static QString Join(const QStringList& F, std::initializer_list<int> Cols, TConv Conv) {
    QString Value;
    Value.reserve(qsizetype(Cols.size()) * 8);  // room for short numbers and the notes' comma
    for (const int* Col = Cols.begin(); Col != Cols.end(); ++Col) {
      if (Col != Cols.begin()) Value += u',';
      Value += Conv(FieldAt(F, *Col));
    }
    return Value;
  }
  // The same keeping the texts that are numbers.
  QString Numbers(const QStringList& F, std::initializer_list<int> Cols) const {
    return Join(F, Cols, [this](const QString& Text) { return Num(Text); });
  }

  void AddDay(int Year, int Month, int Day, const QString& Value) {
    W.AddPair(TImportedWeather::DayName(Year, Month, Day), Value);
  }
  static void SetKinds(bool (&Kinds)[WeatherKindCount], bool Temperature, bool Precipitation,
                       bool Wind, bool Humidity) {
    Kinds[wkTemperature] = Temperature;
    Kinds[wkPrecipitation] = Precipitation;
    Kinds[wkWind] = Wind;
    Kinds[wkHumidity] = Humidity;
  }
  void SetFacts(bool Temperature, bool Precipitation, bool Wind, bool Humidity) {
    SetKinds(W.Has, Temperature, Precipitation, Wind, Humidity);
  }
  void UseAsHas() {
    for (int K = 0; K < WeatherKindCount; ++K) W.Use[K] = W.Has[K];
  }

  TImportedWeather& W;
  TLineReader& R;
  const QString& FFileName;
  QString& FErrMsg;
};

// Daily history pages, airport and personal stations.
bool TLayoutReader::ReadWeatherUnderground(QString L) {
  W.SourceName = QStringLiteral("Weather Underground");
  // The header may be wrapped over several lines; the first line whose first field
  // holds "-" (a date) is the first data line.
  QString H;
  bool HaveData = false;
  for (;;) {
    const QString First = FieldAt(Split(L), 1);
    if (First.contains(u'-')) {
      HaveData = true;
      break;
    }
    // A day whose date a spreadsheet wrote again as month/day/year.
    if (!First.isEmpty() && First.at(0).isDigit() && First.contains(u'/')) {
      return FailFile(FErrMsg, FFileName, TImportedWeatherFile::MsgDateForm, First);
    }
    H += u' ' + L;
    if (R.Eof()) break;
    L = R.ReadLn();
  }

  const QStringList Header = Split(H);
  int DateCol = 0, MaxCol = 0, MinCol = 0, MeanCol = 0, PrecipCol = 0, WindCol = 0,
      HumCol = 0, NotesCol = 0;
  for (qsizetype I = 0; I < Header.size(); ++I) {
    const QString& F = Header.at(I);
    if (F.isEmpty()) break;
    const int Col = static_cast<int>(I + 1);
    if (DateCol == 0 && ((Col == 1 && F.size() < 5) || F == u"Date")) DateCol = Col;
    if (MaxCol == 0 && (SameText(F, "Max TemperatureF") || SameText(F, "TemperatureHighF")))
      MaxCol = Col;
    if (MinCol == 0 && (SameText(F, "Min TemperatureF") || SameText(F, "TemperatureLowF")))
      MinCol = Col;
    if (MeanCol == 0 && (SameText(F, "Mean TemperatureF") || SameText(F, "TemperatureAvgF")))
      MeanCol = Col;
    if (PrecipCol == 0 && (SameText(F, "PrecipitationIn") || SameText(F, "PrecipitationSumIn")))
      PrecipCol = Col;
    if (WindCol == 0 && (SameText(F, "Mean Wind SpeedMPH") || SameText(F, "WindSpeedAvgMPH")))
      WindCol = Col;
    if (HumCol == 0 && (SameText(F, "Mean Humidity") || SameText(F, "HumidityAvg")))
      HumCol = Col;
    if (NotesCol == 0 && SameText(F, "Events")) NotesCol = Col;
  }
  if (DateCol == 0 || MaxCol == 0 || MinCol == 0 || MeanCol == 0 || PrecipCol == 0 ||
      WindCol == 0 || HumCol == 0) {
    return Fail(TImportedWeatherFile::MsgHeadersIncomplete);
  }

  W.Metric = false;
  SetFacts(true, true, true, true);
  W.Has[wkNotes] = NotesCol > 0;
  W.Has[wkIrrigation] = false;
  UseAsHas();

  while (HaveData) {
    // Blank lines between days are skipped; blank lines followed by no more days (the
    // end of the file, or a trailing line that does not begin with a date) end the data.
    if (IsBlank(L)) {
      while (IsBlank(L) && !R.Eof()) L = R.ReadLn();
      const QString Next = FieldAt(Split(L), DateCol);
      if (Next.isEmpty() || !Next.at(0).isDigit()) break;
    }
    const QStringList F = Split(L);
    // Year, month and day separated by "-", month and day of one or two digits.
    const QString& DateText = FieldAt(F, DateCol);
    const QString Rest = DateText.mid(5);
    const qsizetype Dash = Rest.indexOf(u'-');
    const QString MonthText = Dash < 0 ? Rest : Rest.left(Dash);
    const QString DayText = Dash < 0 ? QString() : Rest.mid(Dash + 1);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseDate(DateText.left(4), MonthText, DayText, Year, Month, Day)) {
      return FailDate(Rest);
    }
    QString Precip = FieldAt(F, PrecipCol);
    if (SameText(Precip, "T")) {
      Precip = QStringLiteral("0");  // trace
    } else {
      Precip = Num(Precip);
    }
    QString Value = Numbers(F, {MaxCol, MinCol, MeanCol}) + u',' + Precip + u',' +
                    Numbers(F, {WindCol, HumCol});
    if (NotesCol > 0) Value += u',' + FieldAt(F, NotesCol);
    AddDay(Year, Month, Day, Value);
    if (R.Eof()) break;
    L = R.ReadLn();
  }
  return true;
}

// Local climatological data, daily summary.
bool TLayoutReader::ReadNoaaLcd() {
  W.SourceName = QStringLiteral("NOAA LCD");
  QString L = R.ReadLn();
  if (IsBlank(L)) L = R.ReadLn();
  L = R.ReadLn();
  const QString LocationKey = QStringLiteral("Station Location:");
  if (!L.startsWith(LocationKey)) return Fail(TImportedWeatherFile::MsgNoStationLocation);
  W.StationName = L.mid(LocationKey.size()).trimmed();
  L = R.ReadLn();
  if (L.startsWith(u"Lat:")) W.Latitude = L.mid(4).trimmed();
  L = R.ReadLn();
  if (L.startsWith(u"Lon:")) W.Longitude = L.mid(4).trimmed();
  L = R.ReadLn();
  if (L.startsWith(u"Elev:")) W.Elevation = L.mid(5).trimmed();

  const THeader Find{Split(R.ReadLn())};
  const int DateCol = Find("YearMonthDay");
  const int MaxCol = Find("Tmax");
  const int MinCol = Find("Tmin");
  const int MeanCol = Find("Tavg");
  const int PrecipCol = Find("PrecipTotal");
  const int WindCol = Find("AvgSpeed");
  if (DateCol == 0 || MaxCol == 0 || MinCol == 0 || MeanCol == 0 || PrecipCol == 0 ||
      WindCol == 0) {
    return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
  }

  W.Metric = false;
  SetFacts(true, true, true, false);
  SetKinds(W.Use, true, false, true, false);

  // A value flagged as estimated carries a trailing "*".
  const auto Unflag = [this](QString Text) {
    if (Text.endsWith(u'*')) Text.chop(1);
    return Num(Text);
  };
  while (!R.Eof()) {
    const QStringList F = Split(R.ReadLn());
    const QString& DateText = FieldAt(F, DateCol);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseDate(DateText.left(4), DateText.mid(4, 2), DateText.mid(6, 2), Year, Month,
                   Day)) {
      break;  // the summary rows after the days
    }
    QString Precip = FieldAt(F, PrecipCol);
    Precip = Precip == u"T" ? QStringLiteral("0") : Num(Precip);
    AddDay(Year, Month, Day,
           Join(F, {MaxCol, MinCol, MeanCol}, Unflag) + u',' + Precip + u',' +
               Unflag(FieldAt(F, WindCol)));
  }
  return true;
}

// The daily export of an automated weather-station network (tab-delimited).
bool TLayoutReader::ReadCaldry(QString L) {
  W.SourceName = QStringLiteral("Caldry Automated Station");
  W.InParser.Delimiter = u'\t';
  const QString IdKey = QStringLiteral("Station ID:");
  bool Found = false;
  while (!R.Eof()) {
    L = R.ReadLn();
    const qsizetype P = L.indexOf(IdKey);
    if (P >= 0) {
      const QString Rest = L.mid(P + IdKey.size()).trimmed();
      const qsizetype Blank = Rest.indexOf(u' ');
      if (Blank >= 0) W.StationName = Rest.left(Blank);
    }
    const QStringList F = Split(L);
    if (FieldAt(F, 1) == u"Date" && FieldAt(F, 2) == u"CACId") {
      Found = true;
      break;
    }
  }
  if (!Found) return Fail(TImportedWeatherFile::MsgHeadersIncomplete);

  // Header lines continue until the first line whose first field holds a date.
  QString H = u' ' + L;
  bool HaveData = false;
  while (!R.Eof()) {
    L = R.ReadLn();
    if (FieldAt(Split(L), 1).contains(u'/')) {
      HaveData = true;
      break;
    }
    H += u' ' + L;
  }

  const THeader Find{Split(H)};
  int MaxCol = Find("Maximum Air Temperature (degF)");
  int MinCol = Find("Minimum Air Temperature (degF)");
  int MeanCol = Find("Air Temperature (degF)");
  int PrecipCol = Find("Precipitation (inch)");
  int WindCol = Find("Wind Speed (mph)");
  if (MaxCol == 0 || MinCol == 0 || MeanCol == 0 || PrecipCol == 0 || WindCol == 0) {
    MaxCol = Find("Maximum Air Temperature (degC)");
    MinCol = Find("Minimum Air Temperature (degC)");
    MeanCol = Find("Air Temperature (degC)");
    PrecipCol = Find("Precipitation (mm)");
    WindCol = Find("Wind Speed (mps)");
    if (MaxCol == 0 || MinCol == 0 || MeanCol == 0 || PrecipCol == 0 || WindCol == 0) {
      return Fail(TImportedWeatherFile::MsgHeadersIncomplete);
    }
    W.Metric = true;
  } else {
    W.Metric = false;
  }
  SetFacts(true, true, true, false);
  SetKinds(W.Use, true, false, true, false);

  while (HaveData && !IsBlank(L)) {
    const QStringList F = Split(L);
    const QString& DateText = FieldAt(F, 1);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseUsDate(DateText, Year, Month, Day)) return FailDate(DateText);
    AddDay(Year, Month, Day, Numbers(F, {MaxCol, MinCol, MeanCol, PrecipCol, WindCol}));
    if (R.Eof()) break;
    L = R.ReadLn();
  }
  return true;
}

bool TLayoutReader::ReadIowaStateAg(QString L) {
  W.SourceName = QStringLiteral("Iowa State Ag Climate");
  while (L.startsWith(u'#') && !R.Eof()) L = R.ReadLn();
  if (L.startsWith(u'#')) L.clear();  // comments only
  if (L.contains(u'\t')) W.InParser.Delimiter = u'\t';

  const THeader Find{Split(L)};
  const int SiteCol = Find("Site Name");
  const int DateCol = Find("valid");
  const int MaxCol = Find("High Air Temp");
  const int MinCol = Find("Low Air Temp");
  const int PrecipCol = Find("Daily Precip");
  const int WindCol = Find("Average Wind Vel");
  const int HumCol = Find("Ave RH%");
  if (DateCol == 0 || (MaxCol == 0 && MinCol == 0 && PrecipCol == 0 && WindCol == 0 &&
                       HumCol == 0) ||
      (MaxCol == 0) != (MinCol == 0)) {
    return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
  }

  W.Metric = false;
  SetFacts(MaxCol > 0, PrecipCol > 0, WindCol > 0, HumCol > 0);
  UseAsHas();

  QString SiteName;
  bool HaveSite = false;
  while (!R.Eof()) {
    L = R.ReadLn();
    // A blank line holds no day. Read as one, it would refuse a sound file (one that
    // ends with an empty line, as copied text often does) with a date that names nothing.
    if (IsBlank(L)) continue;
    const QStringList F = Split(L);
    const QString& DateText = FieldAt(F, DateCol);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseIsoDate(DateText, Year, Month, Day)) return FailDate(DateText);
    AddDay(Year, Month, Day,
           Numbers(F, {MaxCol, MinCol, NoColumn, PrecipCol, WindCol, HumCol}));
    SiteName = FieldAt(F, SiteCol);
    HaveSite = true;
  }
  if (SiteCol > 0 && HaveSite) W.StationName = SiteName;
  return true;
}

// Cooperative observer stations.
bool TLayoutReader::ReadNwsCoop(const QString& L) {
  W.SourceName = QStringLiteral("NWS COOP");
  if (L.contains(u'\t')) {
    W.InParser.Delimiter = u'\t';
  } else if (L.contains(u' ')) {
    W.InParser.Delimiter = u' ';
  } else {
    W.InParser.Delimiter = u',';
  }
  const THeader Find{Split(L)};
  const int NameCol = Find("station_name");
  const int LatCol = Find("lat");
  const int LonCol = Find("lon");
  const int DateCol = Find("day");
  if (DateCol == 0) return Fail(TImportedWeatherFile::MsgMissingDay);
  const auto Usable = [](int High, int Low, int Precip) {
    return (High > 0 || Low > 0 || Precip > 0) && ((High > 0) == (Low > 0));
  };
  int MaxCol = Find("high");
  int MinCol = Find("low");
  int PrecipCol = Find("precip");
  if (Usable(MaxCol, MinCol, PrecipCol)) {
    W.Metric = false;
  } else {
    MaxCol = Find("highc");
    MinCol = Find("lowc");
    PrecipCol = Find("precipmm");
    if (!Usable(MaxCol, MinCol, PrecipCol)) {
      return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
    }
    W.Metric = true;
  }
  SetFacts(MaxCol > 0, PrecipCol > 0, false, false);
  UseAsHas();

  QStringList Last;
  while (!R.Eof()) {
    const QString Line = R.ReadLn();
    if (IsBlank(Line)) continue;  // no day: see the Iowa State layout
    const QStringList F = Split(Line);
    const QString& DateText = FieldAt(F, DateCol);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseIsoDate(DateText, Year, Month, Day)) return FailDate(DateText);
    AddDay(Year, Month, Day, Numbers(F, {MaxCol, MinCol, NoColumn, PrecipCol}));
    Last = F;
  }
  if (!Last.isEmpty()) {
    if (NameCol > 0) W.StationName = FieldAt(Last, NameCol);
    if (LatCol > 0) W.Latitude = FieldAt(Last, LatCol);
    if (LonCol > 0) W.Longitude = FieldAt(Last, LonCol);
  }
  return true;
}

// Soil climate analysis network.
bool TLayoutReader::ReadNrcsScan() {
  W.SourceName = QStringLiteral("NRCS SCAN");
  const QStringList Header = Split(R.ReadLn());
  const THeader Find{Header};
  const int DateCol = Find("Date");
  const int MaxCol = Find("TMAX.D-1 (degF)");
  const int MinCol = Find("TMIN.D-1 (degF)");
  const int MeanCol = Find("TAVG.D-1 (degF)");
  const int PrecipCol = Find("PRCP.D-1 (in)");
  const int WindCol = Find("WSPDV.D-1 (mph)");
  const int HumCol = Find("RHUM.I-1 (pct)");
  const int M2Col = Find("SMS.I-1:-2 (pct)  (loam)");
  const int M4Col = Find("SMS.I-1:-4 (pct)  (loam)");
  const int M8Col = Find("SMS.I-1:-8 (pct)  (loam)");
  int M20Col = Find("SMS.I-1:-20 (pct)  (loam)");
  if (M20Col == 0) M20Col = Find("SMS.I-1:-20 (pct)  (silt)");
  int M40Col = Find("SMS.I-1:-40 (pct)  (loam)");
  if (M40Col == 0) M40Col = Find("SMS.I-1:-40 (pct)  (silt)");
  if (DateCol == 0 || MaxCol == 0 || MinCol == 0 || MeanCol == 0 || PrecipCol == 0 ||
      M2Col == 0 || M4Col == 0 || M8Col == 0 || M20Col == 0 || M40Col == 0) {
    return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
  }

  W.Metric = false;
  SetFacts(true, true, WindCol > 0, HumCol > 0);
  W.Has[wkNotes] = true;
  UseAsHas();

  // "-99.9" marks a missing value.
  const auto Value = [this](const QString& Text) {
    return Text == u"-99.9" ? QString() : Num(Text);
  };
  QString PrevDate = FieldAt(Header, DateCol);
  while (!R.Eof()) {
    const QString Line = R.ReadLn();
    if (IsBlank(Line)) continue;
    const QStringList F = Split(Line);
    const QString& DateText = FieldAt(F, DateCol);
    if (DateText == PrevDate) continue;  // a repeated day
    PrevDate = DateText;
    int Year = 0, Month = 0, Day = 0;
    if (!ParseIsoDate(DateText, Year, Month, Day)) break;

    // Moisture of the root zone, weighting each sensor by the soil depth it stands for.
    QString RootZone;
    double M2 = 0, M4 = 0, M8 = 0, M20 = 0, M40 = 0;
    if (ToNumber(FieldAt(F, M2Col), M2) && ToNumber(FieldAt(F, M4Col), M4) &&
        ToNumber(FieldAt(F, M8Col), M8) && ToNumber(FieldAt(F, M20Col), M20) &&
        ToNumber(FieldAt(F, M40Col), M40) && M2 >= 0 && M4 >= 0 && M8 > 0 && M20 > 0 &&
        M40 > 0) {
      const double Moisture = (3 * M2 + 3 * M4 + 8 * M8 + 16 * M20 + 10 * M40) / 40;
      if (std::isfinite(Moisture)) RootZone = FormatFixed(Moisture, 1, W.FormatSettings);
    }
    AddDay(Year, Month, Day,
           Join(F, {MaxCol, MinCol, MeanCol, PrecipCol, WindCol, HumCol}, Value) + u',' +
               RootZone);
  }
  return true;
}

// The program's own comma-separated layout.
bool TLayoutReader::ReadStandardCsv(const QString& L) {
  W.SourceName = QStringLiteral("Standard CSV");
  W.InParser.Quote = u'"';
  W.OutParser.Escape = u'\\';
  const THeader Find{Split(L)};
  const auto FindEither = [&Find](const char* Name1, const char* Name2) {
    const int Col = Find(Name1);
    return Col > 0 ? Col : Find(Name2);
  };
  const int MonthCol = Find("Month");
  const int DayCol = Find("Day");
  const int YearCol = Find("Year");
  if (MonthCol == 0 || DayCol == 0 || YearCol == 0) {
    return Fail(TImportedWeatherFile::MsgMissingMonthDayYear);
  }
  int MaxCol = FindEither("Max Temp", "MaxTemp");
  int MinCol = FindEither("Min Temp", "MinTemp");
  int PrecipCol = Find("Precip");
  int IrrCol = Find("Irrigation");
  int WindCol = FindEither("Wind Speed", "WindSpeed");
  const int HumCol = FindEither("Humidity", "Humidity (%)");
  const int NotesCol = Find("Notes");
  const auto AnyValue = [&] {
    return MaxCol > 0 || MinCol > 0 || PrecipCol > 0 || IrrCol > 0 || WindCol > 0;
  };
  if (AnyValue()) {
    W.UnitsUnstated = true;  // Metric stays as it was
  } else {
    MaxCol = Find("Max Temp (degF)");
    MinCol = Find("Min Temp (degF)");
    PrecipCol = Find("Precip (inch)");
    IrrCol = Find("Irrigation (inch)");
    WindCol = Find("Wind Speed (mph)");
    if (AnyValue()) {
      W.Metric = false;
    } else {
      MaxCol = Find("Max Temp (degC)");
      MinCol = Find("Min Temp (degC)");
      PrecipCol = Find("Precip (mm)");
      IrrCol = Find("Irrigation (mm)");
      WindCol = Find("Wind Speed (mps)");
      W.Metric = true;
      if (!AnyValue() && HumCol == 0 && NotesCol == 0) {
        return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
      }
    }
  }
  SetFacts(MaxCol > 0, PrecipCol > 0, WindCol > 0, HumCol > 0);
  W.Has[wkNotes] = NotesCol > 0;
  W.Has[wkIrrigation] = IrrCol > 0;
  UseAsHas();

  while (!R.Eof()) {
    const QString Line = R.ReadLn();
    const QStringList F = Split(Line);
    const QString& YearText = FieldAt(F, YearCol);
    const QString& MonthText = FieldAt(F, MonthCol);
    const QString& DayText = FieldAt(F, DayCol);
    if (YearText.isEmpty() && MonthText.isEmpty() && DayText.isEmpty()) continue;
    int Year = 0, Month = 0, Day = 0;
    if (!TryStrToInt(YearText, Year)) Year = 0;
    if (!TryStrToInt(MonthText, Month)) Month = 0;
    if (!TryStrToInt(DayText, Day)) Day = 0;
    if (!ValidDate(Year, Month, Day)) return FailDate(Line);
    QString Value = Numbers(F, {MaxCol, MinCol, NoColumn, PrecipCol, WindCol, HumCol}) + u',' +
                    W.OutParser.EscapeText(FieldAt(F, NotesCol));
    if (IrrCol > 0) Value += u',' + Num(FieldAt(F, IrrCol));
    AddDay(Year, Month, Day, Value);
  }
  return true;
}

// Rainfall summaries and the daily summaries of a state weather network, recognised
// by a title line that may follow the station's coordinates. The first line is searched
// too: otherwise a summary copied from its title down would be an unrecognized file,
// and a latitude on the first line would be lost.
bool TLayoutReader::ReadNexradOrEnviroWeather(QString L) {
  for (;;) {
    if (L.left(9).compare(u"Latitude:", Qt::CaseInsensitive) == 0) {
      W.Latitude = L.mid(9).trimmed();
    } else if (L.left(10).compare(u"Longitude:", Qt::CaseInsensitive) == 0) {
      W.Longitude = L.mid(10).trimmed();
    } else {
      const QString Title = L.trimmed();
      if (Title.compare(u"Summary of Rainfall from NEXRAD", Qt::CaseInsensitive) == 0) {
        return ReadNexrad();
      }
      if (Title == u"daily summary") return ReadEnviroWeather();
    }
    if (R.Eof()) return true;
    L = R.ReadLn();
  }
}

bool TLayoutReader::ReadNexrad() {
  W.SourceName = QStringLiteral("NEXRAD");
  W.Metric = false;
  SetFacts(false, true, false, false);
  UseAsHas();
  while (!R.Eof()) {
    const QString Line = R.ReadLn();
    int Year = 0, Month = 0, Day = 0;
    if (!ParseUsDate(Line.left(10), Year, Month, Day)) continue;
    const QString Rain = Line.mid(10).trimmed();
    double Value = 0;
    if (!ToNumber(Rain, Value)) continue;
    AddDay(Year, Month, Day, QStringLiteral(",,,") + Rain + u',');
  }
  return true;
}

// The units a legend entry or units-row field states for temperature, precipitation or
// wind, e.g. "atmp_max: Max Air Temperature [1.5m] (C)", "pcpn: Precipitation (mm)" or
// "Air Temperature (degrees C)". Humidity and other entries state nothing here.
enum class TStatedUnits { None, English, Metric };

TStatedUnits LegendUnits(const QString& Field) {
  const QString Text = Field.trimmed().toLower();
  const qsizetype Open = Text.lastIndexOf(u'(');
  const qsizetype Close = Text.indexOf(u')', Open + 1);
  if (Open < 0 || Close < 0) return TStatedUnits::None;
  const QString Unit = Text.mid(Open + 1, Close - Open - 1).simplified().remove(u'\u00B0');
  const auto Is = [&Unit](std::initializer_list<const char*> Names) {
    return std::any_of(Names.begin(), Names.end(), [&Unit](const char* N) { return Unit == QLatin1String(N); });
  };
  const auto About = [&Text](const char* Key, const char* Name) {
    return Text.startsWith(QLatin1String(Key)) || Text.contains(QLatin1String(Name));
  };
  if (About("atmp", "temperature")) {
    if (Is({"c", "degrees c", "deg c", "degc"})) return TStatedUnits::Metric;
    if (Is({"f", "degrees f", "deg f", "degf"})) return TStatedUnits::English;
  } else if (About("pcpn", "precipitation")) {
    if (Is({"mm"})) return TStatedUnits::Metric;
    if (Is({"in", "inch", "inches"})) return TStatedUnits::English;
  } else if (About("wspd", "wind speed")) {
    if (Is({"m/s", "mps"})) return TStatedUnits::Metric;
    if (Is({"mph"})) return TStatedUnits::English;
  }
  return TStatedUnits::None;
}

bool TLayoutReader::ReadEnviroWeather() {
  W.SourceName = QStringLiteral("Enviro-weather");
  W.Metric = false;
  QString L;
  while (!R.Eof()) {
    L = R.ReadLn();
    if (L.startsWith(u"date")) break;
  }
  const THeader Find{Split(L)};
  const int MaxCol = Find("atmp_max");
  const int MinCol = Find("atmp_min");
  const int PrecipCol = Find("pcpn");
  const int HumMaxCol = Find("relh_max");
  const int HumMinCol = Find("relh_min");
  const bool HaveHumidity = HumMaxCol > 0 && HumMinCol > 0;
  if (MaxCol == 0 && MinCol == 0 && PrecipCol == 0 && !HaveHumidity) {
    return Fail(TImportedWeatherFile::MsgHeaderIncomplete);
  }
  SetFacts(MaxCol > 0, PrecipCol > 0, false, HaveHumidity);
  UseAsHas();

  // The units come from the legend after the days (or a units row under the header).
  bool SaysMetric = false, SaysEnglish = false;
  while (!R.Eof()) {
    const QString Line = R.ReadLn();
    const QStringList F = Split(Line);
    int Year = 0, Month = 0, Day = 0;
    if (!ParseUsDate(FieldAt(F, 1), Year, Month, Day)) {
      for (const QString& Field : F) {
        const TStatedUnits Units = LegendUnits(Field);
        SaysMetric = SaysMetric || Units == TStatedUnits::Metric;
        SaysEnglish = SaysEnglish || Units == TStatedUnits::English;
      }
      continue;
    }
    QString Value = Numbers(F, {MaxCol, MinCol, NoColumn, PrecipCol});
    if (HaveHumidity) {
      Value += u',';  // no wind
      double HumMax = 0, HumMin = 0;
      if (ToNumber(FieldAt(F, HumMaxCol), HumMax) && ToNumber(FieldAt(F, HumMinCol), HumMin)) {
        const double Mean = (HumMax + HumMin) / 2;
        Value += u',';
        if (std::isfinite(Mean)) Value += FormatFixed(Mean, 1, W.FormatSettings);
      }
    }
    AddDay(Year, Month, Day, Value);
  }
  // Temperatures or precipitation of unknown or mixed units are refused, not guessed.
  if (W.Count() > 0 && SaysMetric && SaysEnglish) return Fail(TImportedWeatherFile::MsgUnitsMixed);
  if (W.Count() > 0 && !SaysMetric && !SaysEnglish && (MaxCol > 0 || MinCol > 0 || PrecipCol > 0)) {
    return Fail(TImportedWeatherFile::MsgUnitsUnknown);
  }
  W.Metric = SaysMetric;
  return true;
}

}  // namespace

bool TImportedWeatherFile::ImportFile(const QString& FileName, QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  const QFileInfo Info(FileName);
  if (FileName.isEmpty() || !Info.exists()) return FailFile(ErrMsg, FileName, MsgFileNotFound);
  // Only regular files: opening a named pipe waits for a writer that may never come,
  // and a folder or a device is never a weather file.
  QFile File(FileName);
  if (!Info.isFile() || !File.open(QIODevice::ReadOnly)) return FailFile(ErrMsg, FileName, MsgCantOpen);
  if (File.size() > MaxFileSize) return FailFile(ErrMsg, FileName, MsgTooLarge);
  // Read at most one byte more than allowed, in blocks: a file that grows while it is
  // read is refused too, and no buffer of the whole limit is set up.
  QByteArray Data;
  if (!File.isSequential()) Data.reserve(File.size());
  bool ReadFailed = false;
  for (;;) {
    const qint64 Have = Data.size();
    const qint64 Want = std::min<qint64>(ReadBlockSize, MaxFileSize + 1 - Have);
    if (Want <= 0) break;
    Data.resize(Have + Want);
    const qint64 Got = File.read(Data.data() + Have, Want);
    Data.resize(Have + std::max<qint64>(Got, 0));
    if (Got < 0) ReadFailed = true;
    if (Got <= 0) break;
  }
  File.close();
  if (ReadFailed) return FailFile(ErrMsg, FileName, MsgCantRead);
  if (Data.size() > MaxFileSize) return FailFile(ErrMsg, FileName, MsgTooLarge);
  return ImportData(FileName, Data, ErrMsg);
}

bool TImportedWeatherFile::ImportData(const QString& FileName, const QByteArray& Data,
                                      QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  if (Data.size() > MaxFileSize) return FailFile(ErrMsg, FileName, MsgTooLarge);

  ResetFacts();

  // A byte-order mark is dropped before decoding, so that it cannot survive a fallback
  // to the Windows code page.
  QByteArray Bytes = Data;
  if (Bytes.startsWith("\xEF\xBB\xBF")) Bytes.remove(0, 3);
  TLineReader Reader(SplitLines(DecodeFileText(Bytes)));

  QString L;
  do {
    L = Reader.ReadLn();
  } while (IsBlank(L) && !Reader.Eof());

  TLayoutReader Layout(*this, Reader, FileName, ErrMsg);
  const QStringList First = SplitFields(InParser, L);
  const QString Field1 = FieldAt(First, 1);
  const QString Field2 = FieldAt(First, 2);
  const QString Lower = L.toLower();
  bool Ok = true;
  if ((Field1.size() < 5 && Field2 == u"Max TemperatureF") ||
      (Field1 == u"Date" && Field2 == u"TemperatureHighF")) {
    Ok = Layout.ReadWeatherUnderground(L);
  } else if (L == u"Daily Summary") {
    Ok = Layout.ReadNoaaLcd();
  } else if (L.startsWith(u"* Instruction:")) {
    Ok = Layout.ReadCaldry(L);
  } else if (L.startsWith(u"# ISU")) {
    Ok = Layout.ReadIowaStateAg(L);
  } else if (L.startsWith(u"station")) {
    Ok = Layout.ReadNwsCoop(L);
  } else if (L.contains(u"NRCS National Water and Climate Center")) {
    Ok = Layout.ReadNrcsScan();
  } else if (Lower.contains(u"month") && Lower.contains(u"day") && Lower.contains(u"year")) {
    Ok = Layout.ReadStandardCsv(L);
  } else if (!IsBlank(L)) {
    Ok = Layout.ReadNexradOrEnviroWeather(L);
  }
  if (!Ok) return false;

  if (SourceName.isEmpty()) return FailFile(ErrMsg, FileName, MsgUnrecognized);
  if (Count() == 0) return FailFile(ErrMsg, FileName, MsgNoData);
  ErrMsg.clear();
  return true;
}
