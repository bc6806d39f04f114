#pragma once
// The day-by-day schedule of one field: soil water first, then (when the soil
// horizons give usable layers) soil nitrogen. TSovSchedule is the field itself plus
// the per-day results of its last calculation.
//
// The water formulas are free functions in namespace SovWater so that they can be
// checked one by one against published worked examples.

#include "SovFile.h"

#include <QDate>

#include <array>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

// ---------------------------------------------------------------------------
// Fixed-size arrays with checked 1-based indexes
// ---------------------------------------------------------------------------

// Throws std::out_of_range for an Index outside Lo..Hi.
[[noreturn]] void ThrowIndexOutOfRange(int Index, int Lo, int Hi);

// Elements Lo..Hi; any other index throws std::out_of_range, which ends a calculation.
template <typename T, int Lo, int Hi>
class TCheckedArray {
 public:
  static constexpr int Low = Lo;
  static constexpr int High = Hi;

  T& operator[](int Index) { return FItems[Slot(Index)]; }
  const T& operator[](int Index) const { return FItems[Slot(Index)]; }
  T& at(int Index) { return FItems[Slot(Index)]; }
  const T& at(int Index) const { return FItems[Slot(Index)]; }
  void fill(const T& Value) { FItems.fill(Value); }
  // The elements Lo..Hi in order.
  std::span<T, Hi - Lo + 1> items() { return std::span<T, Hi - Lo + 1>(FItems); }
  std::span<const T, Hi - Lo + 1> items() const {
    return std::span<const T, Hi - Lo + 1>(FItems);
  }

 private:
  // The check is inline (it runs on every access); the throw is not.
  static std::size_t Slot(int Index) {
    if (Index < Lo || Index > Hi) [[unlikely]] ThrowIndexOutOfRange(Index, Lo, Hi);
    return std::size_t(Index - Lo);
  }
  std::array<T, std::size_t(Hi - Lo + 1)> FItems{};
};

constexpr int MaxScheduleDays = 365;
constexpr int MaxSoilLayers = 10;

template <typename T>
using TDayArray = TCheckedArray<T, 1, MaxScheduleDays>;
template <typename T>
using TLayerArray = TCheckedArray<T, 1, MaxSoilLayers>;

// ---------------------------------------------------------------------------
// Water formulas
// ---------------------------------------------------------------------------

// Psychrometric constant (kPa/°C) of the nearest tabulated elevation (0 to 4000 m in
// steps of 100 m); exactly halfway takes the higher row, below 0 gives 0.067, from
// 3950 m on 0.041.
double PsychrometricConstant(double Elevation);

namespace SovWater {

constexpr double DayAngleFactor = 0.01721420632103996;      // 2 pi / 365
constexpr double RadiationFactor = 37.586031360582005;      // 24 * 60 / pi * 0.0820
constexpr double DegreesToRadians = 0.017453292519943295;   // pi / 180

// Saturation vapour pressure e°(T), kPa, T in °C.
double SatVapourPressure(double T);
// Actual vapour pressure ea, kPa: from the mean of e°(High) and e°(Low) times the
// relative humidity, or e°(Low) when Humidity is below 0 (missing).
double ActualVapourPressure(double High, double Low, double Humidity);

// What the radiation and reference ET of a field need of its place, worked out once
// per field: Latitude in radians, Elevation in metres.
struct TSite {
  TSite(double Latitude, double Elevation, bool IsCoastal);
  double Latitude;
  double SinLatitude, CosLatitude, TanLatitude;
  double Elevation;
  double ClearSkyFactor;  // Rso / Ra: 0.75 + 2 z / 100000
  double kRs;             // Hargreaves adjustment: 0.19 coastal, 0.16 inland
  double Gamma;           // psychrometric constant, kPa/°C
};

// Sunset hour angle (radians) at Latitude (radians) on day of year J. Beyond the
// polar circles the cosine is held to [-1, 1]: polar night gives 0, midnight sun pi.
double SunsetHourAngle(double Latitude, int J);
// Extraterrestrial radiation Ra, MJ m-2 day-1, never below 0.
double ExtraterrestrialRadiation(double Latitude, int J);
double ExtraterrestrialRadiation(const TSite& Site, int J);

// One day's radiation terms, MJ m-2 day-1.
struct TRadiation {
  double Ra = 0;     // extraterrestrial
  double Rso = 0;    // clear-sky
  double Rs = 0;     // solar (Hargreaves, at most Rso)
  double Rns = 0;    // net shortwave
  double Rnl = 0;    // net longwave
  double Rn = 0;     // net
};
// Elevation in metres; High and Low in °C; ea in kPa.
TRadiation DailyRadiation(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                          double Low, double ea);
TRadiation DailyRadiation(const TSite& Site, int J, double High, double Low, double ea);
// Net longwave radiation from the temperatures, ea and the ratio Rs / Rso.
double NetLongwaveRadiation(double High, double Low, double ea, double RsOverRso);

// FAO-56 Penman-Monteith reference evapotranspiration, mm/day, soil heat flux 0:
// Rn in MJ m-2 day-1, Mean in °C, es and ea in kPa, u2 in m/s, Gamma in kPa/°C.
double PenmanMonteith(double Rn, double Mean, double es, double ea, double u2, double Gamma);
// The same with the slope of the vapour pressure curve Delta (kPa/°C) at Mean given.
double PenmanMonteith(double Rn, double Mean, double Delta, double es, double ea, double u2,
                      double Gamma);

// The whole reference evapotranspiration of one day.
struct TRefEtDay {
  TRadiation Radiation;
  double ea = 0;
  double es = 0;
  double Delta = 0;
  double Gamma = 0;
  double ETo = 0;  // mm/day
};
TRefEtDay ReferenceEt(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                      double Low, double Wind, double Humidity);
TRefEtDay ReferenceEt(const TSite& Site, int J, double High, double Low, double Wind, double Humidity);

// Crop coefficient before emergence: 0.4 less 5 percent per whole 10 percent residue.
double PreEmergenceKc(int Residue);

// Factor for a drying surface DaysSinceWetting days after the last wetting: 1 below
// 6 days, then (10 t^-1.3 + 1.07 - 0.0088 t) / 2, never below 0.
double SurfaceDryingFactor(int DaysSinceWetting);
// Crop water use after surface drying: below 6 days the unreduced value (even when
// negative); from then on the reduced value, never below 0.
double DriedCropEt(double UnreducedETCrop, int DaysSinceWetting);
// Crop water use held back when the profile is below half full (MoisturePct < 50).
double StressedCropEt(double ETCrop, double MoisturePct);

// Moves the day's net water W (arrival less crop use) through the layers, top to
// bottom. Water holds each layer's water of the previous day on entry and of this day
// on return; Drain receives what passes below each layer. Returns what is left after
// the last layer: positive is excess water, negative an unmet demand.
double LayerBalance(double W, std::span<const double> Capacity, std::span<double> Water,
                    std::span<double> Drain);

}  // namespace SovWater

// ---------------------------------------------------------------------------
// The schedule
// ---------------------------------------------------------------------------

// Field scalars of one calculation, in the units the computation works in.
struct TScheduleScalars {
  bool IsMetric = false;
  bool IsCoastal = false;
  double Latitude = 0;             // radians
  int Elevation = 200;             // whole metres
  int GrowingSeason = 0;           // days from emergence to the end of mid-season
  double RootingDepth = 0;         // cm; cut to the deepest usable horizon
  double WaterHoldingCapacity = 0; // field units (mm / in)
  int MinimumMoisture = 60;        // percent
  int IrrigationEfficiency = 100;  // percent
  int StartingMoisture = 0;        // percent
  int DaysBeforeEmergence = 0;     // schedule days 1..this lie before emergence
  double WettingThreshold = 0;     // field units: 0.2 in, 5.08 mm
  bool HorizonsUsable = false;     // soil layers come from the horizons (nitrogen runs)
  int LayerCount = 0;              // 1..10 after a calculation
  // For the nitrogen phases (set only when HorizonsUsable).
  bool CropHasUptake = false;      // the crop has nitrogen uptake points
  double YieldFactor = 1.0;
};

// One day's prepared weather and water bookkeeping.
struct TScheduleDay {
  double CellHigh = 0;             // the cells' temperatures, in the field's units
  double CellLow = 0;
  double High = 0;                 // °C
  double Low = 0;                  // °C
  double Mean = 0;                 // °C
  double Wind = 2.0;               // m/s
  double Humidity = -1;            // percent; -1 missing
  double EffectiveIrrigation = 0;  // field units
  int DaysSinceWetting = 0;
  double UnreducedETCrop = 0;      // crop water use before drying and stress, field units
  double MoisturePct = 0;          // SoilMoisture as percent of WaterHoldingCapacity
};

// One soil layer built from the horizon of the same number.
struct TSoilLayer {
  double Top = 0;                  // cm from the surface
  double Bottom = 0;               // cm
  double Thickness = 0;            // cm
  double AWC = 0;                  // cm of water per cm of soil
  double LayerCapacity = 0;        // field units
  double WiltingPoint = 0;         // fraction
  double BulkDensity = 0;          // g/cm3
  double LayerPorosity = 0;        // (2.65 - BulkDensity) / 2.65
  double OrganicMatter = 0;        // percent
  double pH = 0;
  double LayerMineralizableN = 0;  // ppm, ceiling of soil mineralisation
  double LayerMineralizedN = 0;    // ppm, nitrogen accumulator (starts 0)
  double LayerAmmoniumPpm = 0;     // ppm, nitrogen accumulator (starts 0)
  double LayerNitratePpm = 0;      // ppm, initial nitrate
  int Texture = 0;                 // TSovFile::TextureIndex of the horizon
};

// ---- Nitrogen pass (SovSchedNitrogen.cpp) ---------------------------------
// The nitrogen at the end of one day that the result columns do not show, in the
// field's units (kg/ha or lbs/acre). With the columns it closes the day's balance:
// LayerNitrate + LayerAmmonium + Urea + ManureOrganic = starting nitrate + everything
// applied (fertiliser, irrigation-water nitrate, manure ammonium and the part of the
// manure's organic N that can be released) + SoilMineralized - DenitrifiedN -
// VolatilizedN - UptakeN - LeachedN.
struct TNitrogenPools {
  double LayerNitrate = 0;     // nitrate in the layers (NitrateN equals it)
  double LayerAmmonium = 0;    // ammonium in the layers and the applications (AmmoniumN)
  double Urea = 0;             // applied urea not yet hydrolysed
  double ManureOrganic = 0;    // applied manure organic N still to be released
  double SoilMineralized = 0;  // soil organic N mineralised since day 1 (MineralizedN
                               // less what the manure released)
};

// A field together with the day-by-day schedule of its last calculation. Created like
// any TSovFile; before the first Calculate every array is 0 and DayCount is 0.
class TSovSchedule : public TSovFile {
 public:
  using TSovFile::TSovFile;

  // Recomputes the whole schedule of a field that passed the field check. Reports
  // nothing; a field that breaks what the check guarantees (dates that do not parse,
  // more than 365 days, weather that gives no finite water balance) ends it with a
  // std::exception whose message says why, and leaves an empty schedule (DayCount 0).
  void Calculate();
  // Every per-day result to 0 for days 1..365; DayCount is left alone.
  void ClearSchedule();

  // ---- Results --------------------------------------------------------------
  int DayCount() const { return FDayCount; }
  const QDate& StartDate() const { return FStartDate; }
  const QDate& EmergenceDate() const { return FEmergenceDate; }
  int GrowingSeason() const { return FScalars.GrowingSeason; }
  int DaysBeforeEmergence() const { return FScalars.DaysBeforeEmergence; }

  const TDayArray<int>& UserStage() const { return FUserStage; }
  const TDayArray<double>& Precip() const { return FPrecip; }
  const TDayArray<double>& Irrigation() const { return FIrrigation; }
  const TDayArray<double>& SolarRad() const { return FSolarRad; }
  const TDayArray<double>& ETRef() const { return FETRef; }
  const TDayArray<double>& Kc() const { return FKc; }
  const TDayArray<double>& ETCrop() const { return FETCrop; }
  const TDayArray<double>& SoilMoisture() const { return FSoilMoisture; }
  const TDayArray<double>& ExcessWater() const { return FExcessWater; }
  const TDayArray<double>& DepletedMoisture() const { return FDepletedMoisture; }
  const TDayArray<double>& RelativeMoisture() const { return FRelativeMoisture; }
  const TDayArray<int>& Residue() const { return FResidue; }
  const TDayArray<double>& MineralizedN() const { return FMineralizedN; }
  const TDayArray<double>& AmmoniumN() const { return FAmmoniumN; }
  const TDayArray<double>& NitrateN() const { return FNitrateN; }
  const TDayArray<double>& DenitrifiedN() const { return FDenitrifiedN; }
  const TDayArray<double>& VolatilizedN() const { return FVolatilizedN; }
  const TDayArray<double>& UptakeN() const { return FUptakeN; }
  const TDayArray<double>& LeachedN() const { return FLeachedN; }

  // ---- Working values of the last calculation -------------------------------
  const TScheduleScalars& Scalars() const { return FScalars; }
  const TDayArray<TScheduleDay>& Days() const { return FDays; }
  const TLayerArray<TSoilLayer>& Layers() const { return FLayers; }
  // Water held in / passed below layer n (1..LayerCount) at the end of day d.
  double LayerWater(int Layer, int Day) const { return FLayerWater[Day][Layer]; }
  double LayerDrain(int Layer, int Day) const { return FLayerDrain[Day][Layer]; }
  // Nitrogen pass: the pools behind the nitrogen columns, days 1..DayCount (all 0
  // when the horizons give no layers).
  const TDayArray<TNitrogenPools>& NitrogenPools() const { return FNitrogenPools; }
  // Nitrate of the layers before the first day (0 without layers from the horizons).
  double StartingNitrateN() const { return FStartingNitrateN; }

 protected:
  // The calculation split into its steps (Calculate runs them in this order).
  void ReadFieldScalars();     // A
  void ReadDates();            // B
  void BuildResidue();         // C
  void SetWettingThreshold();  // D
  void ReadDailyWeather();     // E
  void BuildSoilLayers();      // F
  void ReadUserStages();       // stage marks of the weather grid
  void RunWaterPhase();        // reference ET and soil-water balance, day by day
  void PrepareNitrogenPhase(); // G
  void RunNitrogenPhase();     // soil nitrogen, day by day

  // Converts a metric amount of water (mm) into the field's units.
  double WaterFromMm(double Mm) const;
  // The number in weather cell Col of day Day (1..MaxDays), parsed with UserFormat:
  // nothing when the cell is empty, 0 for a text that is no number.
  std::optional<double> WeatherNumber(int Day, int Col) const;

  int FDayCount = 0;
  QDate FStartDate;
  QDate FEmergenceDate;
  QDate FCalculationDate;
  TScheduleScalars FScalars;
  TDayArray<TScheduleDay> FDays;
  TLayerArray<TSoilLayer> FLayers;
  TDayArray<TLayerArray<double>> FLayerWater;
  TDayArray<TLayerArray<double>> FLayerDrain;
  TDayArray<TNitrogenPools> FNitrogenPools;  // nitrogen pass
  double FStartingNitrateN = 0;              // nitrogen pass

  TDayArray<int> FUserStage;
  TDayArray<double> FPrecip;
  TDayArray<double> FIrrigation;
  TDayArray<double> FSolarRad;
  TDayArray<double> FETRef;
  TDayArray<double> FKc;
  TDayArray<double> FETCrop;
  TDayArray<double> FSoilMoisture;
  TDayArray<double> FExcessWater;
  TDayArray<double> FDepletedMoisture;
  TDayArray<double> FRelativeMoisture;
  TDayArray<int> FResidue;
  TDayArray<double> FMineralizedN;
  TDayArray<double> FAmmoniumN;
  TDayArray<double> FNitrateN;
  TDayArray<double> FDenitrifiedN;
  TDayArray<double> FVolatilizedN;
  TDayArray<double> FUptakeN;
  TDayArray<double> FLeachedN;

  // ---- Schedule columns 62-93, summary rows and exports ---------------------
  // Bodies in SovSchedResults.cpp (cells) and SovExport.cpp (CSV, ACE JSON).
 public:
  enum ScheduleColumn : int {
    ColDayNum = 62, ColDate, ColYear, ColMonth, ColDay, ColGrowthStage, ColGDD, ColMaxTemp,
    ColAveTemp, ColMinTemp, ColWindSpeed, ColHumidity, ColPrecip, ColIrrigation, ColSolarRad,
    ColETRef, ColKc, ColETCrop, ColExcessWater, ColSoilMoisture, ColRelativeMoisture,
    ColDepletedMoisture, ColResidue, ColMineralizedN, ColAmmoniumN, ColNitrateN, ColDenitrifiedN,
    ColVolatilizedN, ColUptakeN, ColLeachedN, ColFertilizerN, ColNotes,
    FirstScheduleColumn = ColDayNum, LastScheduleColumn = ColNotes
  };
  // Summary rows of the schedule columns.
  static constexpr int RowTotal = -1, RowAverage = -2, RowMaximum = -3, RowMinimum = -4;
  // Rows 1..DayCount are days; rows -1..-4 the summary rows (empty where a column has
  // no value to summarise); anything else is empty. Schedule cells cannot be written
  // (SetCell ignores them). GDD and GrowthStage are those of the last calculation; the
  // columns that show weather cells follow later edits of those cells at once.
  QString GetCell(int Row, int Col) const override;
  int RowCount(const QString& Section) const override;
  QString SectionOfColumn(int Col) const override;
  QString ColumnName(int Col) const override;
  int ColumnIndex(const QString& Section, const QString& Name) const override;
  // Nitrogen applied on a schedule day: fertiliser and manure events of the day plus
  // the nitrate of the day's irrigation water, in the field's units.
  double FertilizerNOfDay(int Day) const;
  // The exported table, shared by the CSV export and the chart workbook: the columns A
  // to AC in their order (AC, the notes, only on day rows), and the units row, one
  // caption for each of A to AB. Summary rows hold their label in A and values from H
  // on.
  static constexpr int ExportColumnCount = 29;
  static constexpr int FirstSummaryExportColumn = 7;  // H, MaxTemp
  static const std::array<int, ExportColumnCount>& ExportColumns();
  static QStringList ExportUnits(bool Metric);
  // The text an export writes for a cell: GetCell without blanks and control
  // characters at its ends.
  QString ExportCell(int Row, int Col) const;
  // Comma-separated schedule with units line and summary rows; numbers in the user's
  // format. Written beside FileName and put in place only when complete.
  bool ExportCsv(const QString& FileName, QString& ErrMsg) const;
  // AgMIP ACE JSON; Sections: 1 experiments, 2 soils, 4 weathers. Numbers with ".".
  bool ExportAceJson(const QString& FileName, int Sections, bool Pretty, QString& ErrMsg) const;
  // One quoted CSV field (ends trimmed of blanks and control characters, quotes
  // doubled), with a "," behind it when AddComma is set.
  static QString CsvField(const QString& Text, bool AddComma);
  // A text for a JSON string: backslash, "/" and double quote escaped, control
  // characters as JSON escapes; everything else unchanged.
  static QString JsonEscape(const QString& Text);
  // "yyyy-mm-dd" (Dashes) or "yyyymmdd"; empty for an invalid date.
  static QString NumericDate(const QDate& Date, bool Dashes);

 protected:
  // Growing degree days summed from day 1, worked out once at the end of each
  // calculation.
  void BuildResultColumns();
  QString DayCell(int Row, int Col) const;
  QString SummaryCell(int Row, int Col) const;
  TDayArray<double> FGddSum;
  TDayArray<int> FDayStage;  // growth stage of each day, set by the water pass
};
