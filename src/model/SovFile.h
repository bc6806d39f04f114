#pragma once
// One field's data held in memory: farm and crop description, up to 10 soil horizons,
// up to 50 dated events and 365 days of weather. Every value is a text reached through
// numbered cell operations (row, column), so the field file, validation, the grids,
// the importers and the exports all address a value the same way.
//
// Columns 1-61:
//   1-3    SovInfo   (1 row)    FileVersion, ProgramVersion, FileName (not settable)
//   4-31   Field     (1 row)    the 28 field values (row ignored)
//   32-44  Horizon   (10 rows)  13 values per horizon
//   45-53  Event     (50 rows)  9 values per event
//   54-61  Weather   (365 rows) 8 values per day; row d is day d from StartingDate
// The schedule (a class derived from this one) adds columns 62 and up.
//
// Numbers and dates in cells are in the user's form (UserFormat); files use the
// lookup's file conventions (FileFormat: ".", no thousands separator, "m/d/yyyy").
//
// Also here: the unit kinds shared by the whole program (captions and conversions
// between English and metric units) and the conversions of number texts between the
// file form and the user form.

#include "MiscUtil.h"
#include "SovLookup.h"

#include <QString>

#include <array>

// ---------------------------------------------------------------------------
// Column numbers
// ---------------------------------------------------------------------------

namespace SovCol {
constexpr int FileVersion = 1;
constexpr int ProgramVersion = 2;
constexpr int FileName = 3;
constexpr int FarmName = 4;
constexpr int FieldName = 5;
constexpr int Location = 6;
constexpr int IsCoastal = 7;
constexpr int IsMetric = 8;
constexpr int Latitude = 9;
constexpr int Longitude = 10;
constexpr int Elevation = 11;
constexpr int Crop = 12;
constexpr int EmergenceDate = 13;
constexpr int GrowingSeason = 14;
constexpr int ProjectedYield = 15;
constexpr int RootingDepth = 16;
constexpr int MinimumMoisture = 17;
constexpr int PreviousCrop = 18;
constexpr int SurveySymbol = 19;
constexpr int MapUnitSymbol = 20;
constexpr int ComponentName = 21;
constexpr int WaterHoldingCapacity = 22;
constexpr int OrganicMatter = 23;
constexpr int IrrigationEfficiency = 24;
constexpr int Notes = 25;
constexpr int StartingMoisture = 26;
constexpr int StartingResidue = 27;
constexpr int StartingDate = 28;
constexpr int CalculationDate = 29;
constexpr int WeatherSource = 30;
constexpr int WeatherStation = 31;
constexpr int HzDepth = 32;
constexpr int HzTexture = 33;
constexpr int HzAWC = 34;
constexpr int HzWiltingPoint = 35;
constexpr int HzBulkDensity = 36;
constexpr int HzKSat = 37;
constexpr int HzSand = 38;
constexpr int HzSilt = 39;
constexpr int HzClay = 40;
constexpr int HzOM = 41;
constexpr int HzpH = 42;
constexpr int HzEC = 43;
constexpr int HzCEC = 44;
constexpr int EvDay = 45;
constexpr int EvCode = 46;
constexpr int EvKey1 = 47;
constexpr int EvValue = 48;
constexpr int EvKey2 = 49;
constexpr int EvValue2 = 50;
constexpr int EvValue3 = 51;
constexpr int EvMisc1 = 52;
constexpr int EvNotes = 53;
constexpr int MaxTemp = 54;
constexpr int MinTemp = 55;
constexpr int Precip = 56;
constexpr int Irrigation = 57;
constexpr int WindSpeed = 58;
constexpr int Humidity = 59;
constexpr int GrowthStage = 60;
constexpr int WeatherNotes = 61;

constexpr int FirstInfo = 1, LastInfo = 3;
constexpr int FirstField = 4, LastField = 31;
constexpr int FirstHorizon = 32, LastHorizon = 44;
constexpr int FirstEvent = 45, LastEvent = 53;
constexpr int FirstWeather = 54, LastWeather = 61;
constexpr int LastFileColumn = 61;
}  // namespace SovCol

constexpr int MaxHorizons = 10;
constexpr int MaxEvents = 50;
constexpr int MaxDays = 365;
constexpr int HorizonValueCount = 13;
constexpr int WeatherValueCount = 8;
constexpr int FieldValueCount = 28;

// The unit kinds: each pairs an English caption with a metric one and converts
// between them. The numbers are the kinds' own (1-17), so that a table indexed by
// kind reads in order.
enum class TUnitKind {
  None = 0,               // no unit: a number changes only its format
  Elevation = 1,          // "Feet" / "Meters"
  Yield = 2,              // "Units/Acre" / "Units/Hectare", caption only
  RootingDepth = 3,       // "Feet" / "cm"
  SoilDepth = 4,          // "Inches" / "cm"
  Water = 5,              // "Inches" / "mm"
  WaterAbbrev = 6,        // "in." / "mm", for narrow columns
  WaterShort = 7,         // "in" / "mm", for narrow columns
  Temperature = 8,        // degree sign and "F" / "C"
  TemperaturePlain = 9,   // "degF" / "degC", where the degree sign cannot be shown
  WindSpeed = 10,         // "mph" / "mps"
  MassPerArea = 11,       // "lbs/acre" / "kg/ha": nitrogen, fertiliser rates
  SolidRate = 12,         // "ton/acre" / "MT/ha", caption only
  LiquidRate = 13,        // "gal/acre" / "liter/ha"
  LiquidDensity = 14,     // "lbs/gal" / "kg/liter"
  LiquidContent = 15,     // "lbs/1000 gal" / "kg/1000 L", caption only
  SolidContent = 16,      // "lbs/ton" / "kg/MT", caption only
  Distance = 17,          // "mi." / "km"
};
constexpr int UnitKindCount = 17;

// One event slot; Day 0 marks a free slot.
struct TSovEventRec {
  int Day = 0;
  int Code = 0;  // 1 "F", 2 "N", 3 "M", 4 "R"; 0 in a free slot
  int Key1 = 0;  // fertiliser ("F") or manure ("M") row of the lookup tables
  QString Value;
  int Key2 = 0;  // application method row ("F", "M")
  QString Value2;
  QString Value3;
  QString Misc1;
  QString Notes;
  // The names the file gave for Key1 and Key2 that the lookup tables do not hold; kept
  // while the key is 0, so that a save writes them back.
  QString Key1Name;
  QString Key2Name;
};

// Index 0 is horizon / event / day 1.
using TSovSoilHzArray = std::array<std::array<QString, HorizonValueCount>, MaxHorizons>;
using TSovEventRecArray = std::array<TSovEventRec, MaxEvents>;
using TSovWeatherArray = std::array<std::array<QString, WeatherValueCount>, MaxDays>;

class TSovFile {
 public:
  // The user's own number and date settings (GetUserFormatSettings with English
  // names).
  explicit TSovFile(const TSovLookup& Lookup);
  // Explicit user settings (tests, tools). In both cases the two-digit-year century
  // window of the user settings is taken from the lookup's file conventions.
  TSovFile(const TSovLookup& Lookup, const TFormatSettings& UserFormat);
  virtual ~TSovFile() = default;
  TSovFile(const TSovFile&) = delete;
  TSovFile& operator=(const TSovFile&) = delete;

  const TSovLookup& Lookup() const { return *FLookup; }
  const TFormatSettings& FileFormat() const { return FFileFormat; }
  const TFormatSettings& UserFormat() const { return FUserFormat; }

  // Columns 1-3.
  const QString& FileVersion() const { return FFileVersion; }
  const QString& ProgramVersion() const { return FProgramVersion; }
  const QString& FileName() const { return FFileName; }

  // The lookup indexes and Booleans of the field, directly. A setter given an index
  // that is not a row of its lookup table stores 0; setting an index drops a held name.
  int Location() const { return FLocation; }
  int Crop() const { return FCrop; }
  int PreviousCrop() const { return FPreviousCrop; }
  bool IsCoastal() const { return FIsCoastal; }
  bool IsMetric() const { return FIsMetric; }
  void SetLocation(int Row);
  void SetCrop(int Row);
  void SetPreviousCrop(int Row);
  void SetIsCoastal(bool Value) { FIsCoastal = Value; }
  void SetIsMetric(bool Value) { FIsMetric = Value; }

  // ---- Cell interface -----------------------------------------------------
  // Field columns ignore Row; horizon rows are 1-10, event rows 1-50, weather rows
  // 1-365. Any other column, or a row outside its section, reads as an empty text and
  // ignores writes. Columns 1-3 read as empty and cannot be set.
  virtual QString GetCell(int Row, int Col) const;
  virtual void SetCell(int Row, int Col, const QString& Text);
  // GetCell (dispatched virtually) trimmed and parsed with UserFormat; 0 when it does
  // not parse.
  virtual double GetCellFloat(int Row, int Col) const;
  // GetCell trimmed and parsed as a whole number; 0 when it is not one.
  virtual int GetCellInt(int Row, int Col) const;
  virtual void SetCellInt(int Row, int Col, int Value);
  // "SovInfo" and "Field" 1, "Horizon" 10, "Event" 50, "Weather" 365, others -1
  // (compared without regard to case).
  virtual int RowCount(const QString& Section) const;
  virtual QString SectionOfColumn(int Col) const;
  virtual QString ColumnName(int Col) const;
  // The column of Section whose key is Name (both without regard to case); 0 when none.
  virtual int ColumnIndex(const QString& Section, const QString& Name) const;

  // The name a loaded file gave for Location, Crop, PreviousCrop or an event's Key1 or
  // Key2 that the lookup tables do not hold. The cell stays none (index 0) and the
  // whole-field check refuses it, but a save writes the name back as it was, until a
  // value is set in that cell. Empty for any other cell.
  QString HeldName(int Row, int Col) const;

  bool HorizonHasData(int Row) const;
  bool WeatherDayHasData(int Row) const;
  // True for an index below 1 (no location) and for an index that is not a row of the
  // location table; otherwise whether the location is a US state.
  bool IsUSLocation(int LocationIndex) const;

  // Statistics of column Col over rows 1..Rows (at most 365), read through GetCell and
  // parsed with UserFormat. An empty cell counts as 0 with EmptyAsZero and is skipped
  // otherwise; a text that is not a number is skipped. False (Value 0 for the average)
  // when nothing was counted. The maximum starts from -10000, the minimum from 10000.
  bool ColumnAverage(int Col, int Rows, double& Value, bool EmptyAsZero) const;
  bool ColumnMax(int Col, int Rows, double& Value, bool EmptyAsZero) const;
  bool ColumnMin(int Col, int Rows, double& Value, bool EmptyAsZero) const;

  // ---- Unit kinds -------------------------------------------------------
  // Captions and conversions between English and metric units. The caption-only kinds
  // are never converted; None has empty captions and its values are returned
  // unchanged.
  static QString UnitsLabel(TUnitKind Kind, bool IsMetric);
  static double ToMetric(TUnitKind Kind, double Value);
  static double FromMetric(TUnitKind Kind, double Value);
  // Re-formats a number text from one format and unit system into another. The result
  // keeps the decimals typed; when the conversion makes the number smaller it gets as
  // many more decimals as it needs to keep the typed significant digits, and inches of
  // water (Water, WaterAbbrev, WaterShort) get at least two. A text that is not a number comes back trimmed
  // and otherwise unchanged.
  static QString ConvertNumberText(const QString& Text, TUnitKind Kind, const TFormatSettings& ToFormat,
                                   const TFormatSettings& FromFormat, bool ToIsMetric,
                                   bool FromIsMetric);

  // Number texts between the file form and the user form: only a text that parses as
  // a number (blanks around it allowed) has its decimal separator changed; any other
  // text comes back as it is.
  QString FileToUserNumber(const QString& Text) const;
  QString UserToFileNumber(const QString& Text) const;
  // Fixed notation with Digits decimals (15 significant digits).
  QString FloatToFileStr(double Value, int Digits) const;
  QString FloatToUserStr(double Value, int Digits) const;

  // ---- Crop calendar -----------------------------------------------------
  // Days + the crop's planting offset (12 days for an annual crop, 0 for a perennial);
  // 0 when the field has no crop or Crop is not a row of the crop table.
  int DaysFromPlanting(int Crop, int Days) const;
  // The whole season from planting for a season of Days from emergence to the end of
  // mid-season: (planting offset + Days) / ((InitPct + DevPct + MidPct) / 100), halves
  // to even; 0 under the conditions of DaysFromPlanting.
  int TotalSeasonDays(int Crop, int Days) const;

  // ---- Soil texture and water-holding capacity (SovTexture.cpp) -----------
  // The number 1-23 of a texture abbreviation (SovTexture.h), without regard to case;
  // 0 for an empty or unlisted text.
  static int TextureIndex(const QString& Abbreviation);
  // A horizon's available water capacity (cm/cm) from its texture's default, lowered
  // for coarse fragments (percent) and salinity (EC); heavy clay (60 % or more) holds
  // 0.14. False with Awc 0 for a texture outside the table.
  static bool DefaultAwc(const QString& Texture, double Clay, double CoarseFragmentPct, double EC,
                         double& Awc);
  // The water the root zone holds according to the horizons: inches (English) or mm
  // (metric); RootingDepth in feet (English) or cm (metric). Horizons that end above
  // the rooting depth count with what they hold. False with a message (and Capacity
  // as summed so far) for a horizon without depth or AWC, or depths that do not
  // increase.
  bool CalcWaterHoldingCapacity(bool IsMetric, double RootingDepth, double& Capacity, QString& Msg) const;
  // The water-holding capacity box's text for a rooting depth typed as RootingDepthText
  // (units by IsMetric; LocationIndex for the depth's rule): the capacity with 2
  // decimals in the user's format. False when it cannot be computed: Msg empty when the
  // rooting depth is missing or invalid, else the reason CalcWaterHoldingCapacity gives.
  bool WaterCapacityText(bool IsMetric, int LocationIndex, const QString& RootingDepthText, QString& Text,
                         QString& Msg) const;

  // ---- Nitrogen of events (SovEventN.cpp) ---------------------------------
  // The nitrogen an event brings, in kg/ha (ResultMetric) or lbs/acre. Rates are in
  // the units named by RateMetric: a dry fertiliser in kg/ha or lbs/acre, a liquid one
  // in liter/ha or gal/acre; a solid manure in MT/ha or ton/acre with its Content per
  // MT or ton, a liquid one in liter/ha or gal/acre with its Content per 1000 L or
  // 1000 gal. A product row that is not in the lookup tables throws std::out_of_range;
  // a rate or content that is not finite gives 0.
  // Forms: the sum of NitrogenForm values of SovEventN.h (7 for all three).
  double FertilizerN(int Fertilizer, int Forms, double Rate, bool RateMetric, bool ResultMetric) const;
  double ManureN(int Manure, bool RateMetric, double Rate, double Content, bool ResultMetric) const;
  // The irrigation-water nitrate ("N") event that governs schedule day Day (1..365):
  // the latest one on or before the day, else the earliest one after it (the first
  // row among events of the same day); 0 when the field has none. Events whose day is
  // not 1..365 are not events. Day outside 1..365 throws std::out_of_range.
  int NitrateEventForDay(int Day) const;
  // Nitrate nitrogen carried by the irrigation water of day Day (1..365): the governing
  // nitrate event's ppm times the day's irrigation (mm, or inches when IrrigationMetric
  // is false) / 100; 0 when the irrigation cell is empty or there is no "N" event.
  double IrrigationWaterN(int Day, bool IrrigationMetric, bool ResultMetric) const;

  // ---- Validation (SovValidate.cpp) ---------------------------------------
  // Rules for one value; the text is trimmed first. Bounds are in the units of the
  // given system. Columns without a rule of that kind pass whatever the text.
  // Number rule; EventCode (1-4) selects the bounds of an event's values.
  static bool IsValidNumber(const QString& Text, int Col, bool IsMetric, bool IsUS,
                            const TFormatSettings& Settings, int EventCode, double& Value);
  // Whole-number rule.
  static bool IsValidInteger(const QString& Text, int Col, int& Value);
  // EmergenceDate and StartingDate need a year; CalculationDate may omit it and then
  // takes DefaultYear.
  static bool IsValidDate(const QString& Text, int Col, int DefaultYear, const TFormatSettings& Settings,
                          QDate& Date);
  // The rule of one cell of this field (its units, location and user format).
  bool IsValidCell(int Col, const QString& Text) const;
  // Whole-field check before a calculation: field values, events and the weather days
  // of the schedule. On the first failure: False, a message form with one "%s", the
  // column and the row (0 for a field value, the event's day, or the weather day).
  // Without FullCheck, Longitude, ProjectedYield and PreviousCrop are not checked.
  bool CheckFieldData(bool FullCheck, QString& MsgForm, int& Row, int& Col) const;

  // ---- Field data file ---------------------------------------------------
  // Reads a field data file of version 1 or 2 (decoded by DecodeFileText) into this
  // object, replacing every value of columns 1-61.
  // True: read; Msg is empty or holds one warning naming every location, crop,
  // fertiliser, manure or method name that the lookup tables do not hold (stored as
  // none, its name held, see HeldName) and every horizon or event left out.
  // False: nothing was changed; Msg says why (missing, unreadable, too large, not a
  // text file, wrong version).
  bool LoadFromFile(const QString& FileName, QString& Msg);
  // The same from the file's bytes; FileName is used in messages and recorded.
  bool LoadFromBytes(const QByteArray& Bytes, const QString& FileName, QString& Msg);
  // Writes version 2 (UTF-8, CR LF) beside FileName under a temporary name and puts
  // it in place only when everything was written; on failure an existing file stays
  // as it was and Msg says why. Line breaks inside values are written as blanks.
  // A text larger than MaxFileSize is refused before anything is written, so every
  // file saved opens again.
  bool SaveToFile(const QString& FileName, const QString& ProgramVersion, QString& Msg);
  // The text SaveToFile writes.
  QString SaveToText(const QString& ProgramVersion) const;
  // A value the file would read as another number than the one in memory: a text that
  // is no number in the user's settings but is one in the file's ("1.500" with a decimal
  // comma, which the file reads as 1.5). Finds the first field value (Row 0) or weather
  // value (Row the day) of those saved as numbers, with the number the file reads;
  // False when there is none.
  bool FindNumberReadOtherwise(int& Row, int& Col, double& FileValue) const;
  // The largest field data file, read or written. A field file is some 10 to 100 kB;
  // the texts a field may hold could make one of hundreds of MB, so Save refuses what
  // Open would.
  static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;
  // The longest text a box or cell takes: no more than a field file may hold, so a
  // note typed or pasted is never cut below that.
  static constexpr int MaxTextLength = int(MaxFileSize);

 protected:
  // Field value texts, indexed by column - FirstField (the slots of the index and
  // Boolean columns 6, 7, 8, 12 and 18 are unused).
  QString& FieldText(int Col) { return FFieldText[size_t(Col - SovCol::FirstField)]; }
  const QString& FieldText(int Col) const { return FFieldText[size_t(Col - SovCol::FirstField)]; }

  const TSovLookup* FLookup;
  TFormatSettings FFileFormat;
  TFormatSettings FUserFormat;
  TMyLineParser FParser;  // ",", no quote, escape "\": weather day lines of the file
  QString FFileName;
  QString FProgramVersion;
  QString FFileVersion;
  std::array<QString, FieldValueCount> FFieldText;
  int FLocation = 0;
  int FCrop = 0;
  int FPreviousCrop = 0;
  QString FLocationName;  // held names, see HeldName
  QString FCropName;
  QString FPreviousCropName;
  bool FIsCoastal = false;
  bool FIsMetric = false;
  TSovSoilHzArray FHorizons;
  TSovEventRecArray FEvents;
  TSovWeatherArray FWeather;

 private:
  // The lines of the field data file, without their line ends.
  QStringList FileLines(const QString& ProgramVersion) const;

  enum class StatKind { Max, Min };
  bool ColumnExtreme(StatKind Kind, int Col, int Rows, double& Value, bool EmptyAsZero) const;
};
