#include "SovSched.h"

#include "SovCalendar.h"

#include <algorithm>
#include <cmath>
#include <limits>

void ThrowIndexOutOfRange(int Index, int Lo, int Hi) {
  throw std::out_of_range("Index " + std::to_string(Index) + " outside " + std::to_string(Lo) + ".." +
                          std::to_string(Hi));
}

// ---------------------------------------------------------------------------
// Water formulas
// ---------------------------------------------------------------------------

namespace {

// Psychrometric constant by elevation, 0 to 4000 m in steps of 100 m (kPa/°C).
constexpr std::array<double, 41> GammaTable = {
    0.067, 0.067, 0.066, 0.065, 0.064, 0.064, 0.063, 0.062, 0.061, 0.061,  //    0-900 m
    0.060, 0.059, 0.058, 0.058, 0.057, 0.056, 0.056, 0.055, 0.054, 0.054,  // 1000-1900 m
    0.053, 0.052, 0.052, 0.051, 0.051, 0.050, 0.049, 0.049, 0.048, 0.047,  // 2000-2900 m
    0.047, 0.046, 0.046, 0.045, 0.045, 0.044, 0.043, 0.043, 0.042, 0.042,  // 3000-3900 m
    0.041};                                                               // 4000 m

}  // namespace

double PsychrometricConstant(double Elevation) {
  for (std::size_t i = 0; i + 1 < GammaTable.size(); ++i) {
    const double Midpoint = (double(i) * 100.0 + double(i + 1) * 100.0) / 2.0;
    if (Midpoint > Elevation) return GammaTable[i];
  }
  return GammaTable.back();
}

namespace SovWater {

double SatVapourPressure(double T) { return 0.6108 * std::exp(17.27 * T / (T + 237.3)); }

double ActualVapourPressure(double High, double Low, double Humidity) {
  if (Humidity < 0) return SatVapourPressure(Low);
  return (SatVapourPressure(High) + SatVapourPressure(Low)) / 2 * Humidity / 100;
}

TSite::TSite(double Latitude, double Elevation, bool IsCoastal)
    : Latitude(Latitude),
      SinLatitude(std::sin(Latitude)),
      CosLatitude(std::cos(Latitude)),
      TanLatitude(std::tan(Latitude)),
      Elevation(Elevation),
      ClearSkyFactor(0.75 + 2 * Elevation / 100000),
      kRs(IsCoastal ? 0.19 : 0.16),
      Gamma(PsychrometricConstant(Elevation)) {}

namespace {

// Solar declination (radians) on day of year J.
double SolarDeclination(int J) { return 0.409 * std::sin(DayAngleFactor * J - 1.39); }

double SunsetAngle(double TanLatitude, double Declination) {
  // Beyond the polar circles the sun stays below (polar night) or above (midnight
  // sun) the horizon all day and the product leaves [-1, 1]; held there, the angle
  // becomes 0 (no daylight) or pi (a whole day of it).
  const double CosAngle = std::clamp(-TanLatitude * std::tan(Declination), -1.0, 1.0);
  return std::acos(CosAngle);
}

// Slope of the saturation vapour pressure curve at Mean (°C), kPa/°C.
double VapourPressureSlope(double Mean) {
  return 4098 * SatVapourPressure(Mean) / std::pow(Mean + 237.3, 2);
}

}  // namespace

double SunsetHourAngle(double Latitude, int J) {
  return SunsetAngle(std::tan(Latitude), SolarDeclination(J));
}

double ExtraterrestrialRadiation(const TSite& Site, int J) {
  const double dr = 1 + 0.033 * std::cos(DayAngleFactor * J);
  const double Declination = SolarDeclination(J);
  const double ws = SunsetAngle(Site.TanLatitude, Declination);
  const double Ra = RadiationFactor * dr *
                    (ws * Site.SinLatitude * std::sin(Declination) +
                     Site.CosLatitude * std::cos(Declination) * std::sin(ws));
  // The bracket is never negative in exact arithmetic; rounding at the edge of
  // polar night can leave a tiny negative rest.
  return std::max(Ra, 0.0);
}

double ExtraterrestrialRadiation(double Latitude, int J) {
  return ExtraterrestrialRadiation(TSite(Latitude, 0, false), J);
}

double NetLongwaveRadiation(double High, double Low, double ea, double RsOverRso) {
  return 4.903e-9 * (std::pow(High + 273.16, 4) + std::pow(Low + 273.16, 4)) / 2 *
         (0.34 - 0.14 * std::sqrt(ea)) * (1.35 * RsOverRso - 0.35);
}

TRadiation DailyRadiation(const TSite& Site, int J, double High, double Low, double ea) {
  TRadiation R;
  R.Ra = ExtraterrestrialRadiation(Site, J);
  const double ClearSkyFactor = Site.ClearSkyFactor;
  R.Rso = ClearSkyFactor * R.Ra;
  const double kRs = Site.kRs;
  // A low above the high has no temperature range (the field check refuses it).
  const double Range = std::max(High - Low, 0.0);
  R.Rs = kRs * std::sqrt(Range) * R.Ra;
  if (R.Rs > R.Rso) R.Rs = R.Rso;
  R.Rns = 0.77 * R.Rs;
  // Rs / Rso: where Ra is 0 (polar night) the quotient takes its limit as Ra goes to
  // 0, kRs sqrt(range) / (0.75 + 2 z / 100000) held at 1, which is its value on
  // every other day too.
  double RsOverRso;
  if (R.Rso > 0) {
    RsOverRso = R.Rs / R.Rso;
  } else {
    RsOverRso = ClearSkyFactor > 0 ? std::min(kRs * std::sqrt(Range) / ClearSkyFactor, 1.0) : 1.0;
  }
  R.Rnl = NetLongwaveRadiation(High, Low, ea, RsOverRso);
  R.Rn = R.Rns - R.Rnl;
  return R;
}

TRadiation DailyRadiation(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                          double Low, double ea) {
  return DailyRadiation(TSite(Latitude, Elevation, IsCoastal), J, High, Low, ea);
}

double PenmanMonteith(double Rn, double Mean, double Delta, double es, double ea, double u2,
                      double Gamma) {
  return (0.408 * Delta * Rn + Gamma * 900 / (Mean + 273) * u2 * (es - ea)) /
         (Delta + Gamma * (1 + 0.34 * u2));
}

double PenmanMonteith(double Rn, double Mean, double es, double ea, double u2, double Gamma) {
  return PenmanMonteith(Rn, Mean, VapourPressureSlope(Mean), es, ea, u2, Gamma);
}

TRefEtDay ReferenceEt(const TSite& Site, int J, double High, double Low, double Wind, double Humidity) {
  TRefEtDay D;
  const double Mean = (High + Low) / 2;
  // e°(High) and e°(Low) serve both es and ea.
  const double eHigh = SatVapourPressure(High);
  const double eLow = SatVapourPressure(Low);
  D.es = (eHigh + eLow) / 2;
  D.ea = Humidity < 0 ? eLow : D.es * Humidity / 100;
  D.Radiation = DailyRadiation(Site, J, High, Low, D.ea);
  D.Delta = VapourPressureSlope(Mean);
  D.Gamma = Site.Gamma;
  D.ETo = PenmanMonteith(D.Radiation.Rn, Mean, D.Delta, D.es, D.ea, Wind, D.Gamma);
  return D;
}

TRefEtDay ReferenceEt(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                      double Low, double Wind, double Humidity) {
  return ReferenceEt(TSite(Latitude, Elevation, IsCoastal), J, High, Low, Wind, Humidity);
}

double PreEmergenceKc(int Residue) {
  const int Reduction = 5 * (Residue / 10);  // whole 10 percent steps
  return 0.4 - 0.4 * Reduction / 100;
}

double SurfaceDryingFactor(int DaysSinceWetting) {
  if (DaysSinceWetting < 6) return 1.0;
  const double t = DaysSinceWetting;
  const double Factor = (10 * std::exp(-1.3 * std::log(t)) + 1.07 - 0.0088 * t) / 2;
  // From 124 days on the curve falls below 0; a dry surface gives no water use, and
  // a negative factor must not turn a negative crop use (cold clear day) positive.
  return std::max(Factor, 0.0);
}

double DriedCropEt(double UnreducedETCrop, int DaysSinceWetting) {
  if (DaysSinceWetting < 6) return UnreducedETCrop;
  const double ETCrop = UnreducedETCrop * SurfaceDryingFactor(DaysSinceWetting);
  return ETCrop < 0 ? 0.0 : ETCrop;
}

double StressedCropEt(double ETCrop, double MoisturePct) {
  if (MoisturePct < 50) return ETCrop * MoisturePct / 50;
  return ETCrop;
}

double LayerBalance(double W, std::span<const double> Capacity, std::span<double> Water,
                    std::span<double> Drain) {
  const std::size_t Count = Capacity.size();
  if (Water.size() < Count || Drain.size() < Count) {
    throw std::out_of_range("Layer balance: fewer water or drain slots than layers");
  }
  for (std::size_t n = 0; n < Count; ++n) {
    Water[n] += W;
    if (Water[n] > Capacity[n]) {
      W = Water[n] - Capacity[n];  // the surplus moves into the next layer
      Water[n] = Capacity[n];
      Drain[n] = W;
    } else {
      Drain[n] = 0;
      if (Water[n] < 0) {
        W = Water[n];  // the unmet demand moves to the next layer
        Water[n] = 0;
      } else {
        W = 0;
      }
    }
  }
  return W;
}

}  // namespace SovWater

// ---------------------------------------------------------------------------
// TSovSchedule
// ---------------------------------------------------------------------------

namespace {

constexpr int FieldRow = 1;  // field values ignore the row

// The uptake-curve crops whose projected yield scales the uptake.
constexpr int YieldScaledCrop = 1;

// Thickness-weighted initial nitrate of a layer between Top and Bottom (cm), ppm:
// 8 ppm in the top foot, 4 in the second, 2 in the third and fourth, none below.
double InitialNitratePpm(double Top, double Bottom) {
  struct Band {
    double Top, Bottom, Ppm;
  };
  static constexpr Band Bands[] = {
      {0.0, 30.5, 8.0}, {30.5, 61.0, 4.0}, {61.0, 91.4, 2.0}, {91.4, 121.9, 2.0}};
  const double Thickness = Bottom - Top;
  // Layers are built with a positive thickness; an empty one has no nitrate.
  if (!(Thickness > 0)) return 0.0;
  double Sum = 0;
  for (const Band& B : Bands) {
    const double Length = std::min(Bottom, B.Bottom) - std::max(Top, B.Top);
    if (Length > 0) Sum += Length * B.Ppm;
  }
  return Sum / Thickness;
}

}  // namespace

void TSovSchedule::ClearSchedule() {
  FUserStage.fill(0);
  FDayStage.fill(0);
  FGddSum.fill(0);
  FPrecip.fill(0);
  FIrrigation.fill(0);
  FSolarRad.fill(0);
  FETRef.fill(0);
  FKc.fill(0);
  FETCrop.fill(0);
  FSoilMoisture.fill(0);
  FExcessWater.fill(0);
  FDepletedMoisture.fill(0);
  FRelativeMoisture.fill(0);
  FResidue.fill(0);
  FMineralizedN.fill(0);
  FAmmoniumN.fill(0);
  FNitrateN.fill(0);
  FDenitrifiedN.fill(0);
  FVolatilizedN.fill(0);
  FUptakeN.fill(0);
  FLeachedN.fill(0);
}

void TSovSchedule::Calculate() {
  try {
    ClearSchedule();
    FScalars = TScheduleScalars{};
    FDays.fill(TScheduleDay{});
    FLayers.fill(TSoilLayer{});
    FLayerWater.fill(TLayerArray<double>{});
    FLayerDrain.fill(TLayerArray<double>{});
    FNitrogenPools.fill(TNitrogenPools{});
    FStartingNitrateN = 0;

    ReadFieldScalars();
    ReadDates();
    BuildResidue();
    SetWettingThreshold();
    ReadDailyWeather();
    BuildSoilLayers();
    ReadUserStages();
    ClearUpperVectorState();
    RunWaterPhase();

    // Without layers from the horizons there is no nitrogen: every nitrogen array
    // stays 0.
    if (FScalars.HorizonsUsable) {
      PrepareNitrogenPhase();
      ClearUpperVectorState();
      RunNitrogenPhase();
    }
    BuildResultColumns();
  } catch (...) {
    ClearSchedule();
    FDayCount = 0;
    throw;
  }
}

double TSovSchedule::WaterFromMm(double Mm) const {
  return FScalars.IsMetric ? Mm : FromMetric(TUnitKind::Water, Mm);
}

void TSovSchedule::ReadFieldScalars() {
  TScheduleScalars& S = FScalars;
  S.IsMetric = IsMetric();
  S.IsCoastal = IsCoastal();
  S.Latitude = GetCellFloat(FieldRow, SovCol::Latitude) * SovWater::DegreesToRadians;

  if (GetCell(FieldRow, SovCol::Elevation).trimmed().isEmpty()) {
    S.Elevation = 200;
  } else {
    const int Elevation = GetCellInt(FieldRow, SovCol::Elevation);
    S.Elevation = S.IsMetric ? Elevation : int(RoundHalfEven(ToMetric(TUnitKind::Elevation, Elevation)));
  }

  S.GrowingSeason = GetCellInt(FieldRow, SovCol::GrowingSeason);
  S.RootingDepth = GetCellFloat(FieldRow, SovCol::RootingDepth);
  if (!S.IsMetric) S.RootingDepth = ToMetric(TUnitKind::RootingDepth, S.RootingDepth);

  int Value = 0;
  S.MinimumMoisture =
      TryStrToInt(GetCell(FieldRow, SovCol::MinimumMoisture).trimmed(), Value) ? Value : 60;
  S.WaterHoldingCapacity = GetCellFloat(FieldRow, SovCol::WaterHoldingCapacity);
  S.IrrigationEfficiency =
      TryStrToInt(GetCell(FieldRow, SovCol::IrrigationEfficiency).trimmed(), Value) ? Value : 100;
  S.StartingMoisture = GetCellInt(FieldRow, SovCol::StartingMoisture);
}

void TSovSchedule::ReadDates() {
  if (!TryStrToDate(GetCell(FieldRow, SovCol::EmergenceDate).trimmed(), FEmergenceDate,
                    UserFormat())) {
    throw std::invalid_argument("The emergence date is not a date.");
  }
  if (!TryStrToDate(GetCell(FieldRow, SovCol::StartingDate).trimmed(), FStartDate,
                    UserFormat())) {
    throw std::invalid_argument("The starting date is not a date.");
  }
  if (!TryStrToDateDefYear(GetCell(FieldRow, SovCol::CalculationDate).trimmed(),
                           FCalculationDate, UserFormat(), FEmergenceDate.year())) {
    throw std::invalid_argument("The calculation date is not a date.");
  }
  FScalars.DaysBeforeEmergence = int(FStartDate.daysTo(FEmergenceDate));
  const qint64 Days = FStartDate.daysTo(FCalculationDate) + 1;
  if (Days < 1 || Days > MaxScheduleDays) {
    throw std::out_of_range("A schedule of " + std::to_string(Days) +
                            " days; it must have 1 to 365 days.");
  }
  FDayCount = int(Days);
}

void TSovSchedule::BuildResidue() {
  TDayArray<bool> IsSet;
  FResidue[1] = GetCellInt(FieldRow, SovCol::StartingResidue);
  IsSet[1] = true;
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    const TSovEventRec& Event = FEvents[std::size_t(Slot - 1)];
    const int Day = Event.Day;
    if (Day < 1 || Day > FDayCount) continue;
    if (Event.Code != 4) continue;  // "R"
    FResidue[Day] = GetCellInt(Slot, SovCol::EvValue);
    IsSet[Day] = true;
  }
  for (int d = 2; d <= FDayCount; ++d) {
    if (!IsSet[d]) FResidue[d] = FResidue[d - 1];
  }
}

void TSovSchedule::SetWettingThreshold() {
  FScalars.WettingThreshold = FScalars.IsMetric ? ToMetric(TUnitKind::Water, 0.2) : 0.2;
}

std::optional<double> TSovSchedule::WeatherNumber(int Day, int Col) const {
  // Weather cells are kept trimmed.
  const QString& Text = FWeather.at(std::size_t(Day - 1)).at(std::size_t(Col - SovCol::FirstWeather));
  if (Text.isEmpty()) return std::nullopt;
  double Value = 0;
  return TryStrToFloat(Text, Value, UserFormat()) ? Value : 0.0;
}

// Each weather cell is read once here; the water and nitrogen passes and the result
// columns all work from these values.
void TSovSchedule::ReadDailyWeather() {
  const bool Metric = FScalars.IsMetric;
  for (int d = 1; d <= FDayCount; ++d) {
    TScheduleDay& Day = FDays[d];
    Day.CellHigh = WeatherNumber(d, SovCol::MaxTemp).value_or(0);
    Day.CellLow = WeatherNumber(d, SovCol::MinTemp).value_or(0);
    Day.High = Metric ? Day.CellHigh : ToMetric(TUnitKind::Temperature, Day.CellHigh);
    Day.Low = Metric ? Day.CellLow : ToMetric(TUnitKind::Temperature, Day.CellLow);
    Day.Mean = (Day.High + Day.Low) / 2;

    const std::optional<double> Wind = WeatherNumber(d, SovCol::WindSpeed);
    if (!Wind) {
      Day.Wind = 2.0;
    } else {
      Day.Wind = Metric ? *Wind : ToMetric(TUnitKind::WindSpeed, *Wind);
    }
    Day.Humidity = WeatherNumber(d, SovCol::Humidity).value_or(-1);
    FPrecip[d] = WeatherNumber(d, SovCol::Precip).value_or(0);
    FIrrigation[d] = WeatherNumber(d, SovCol::Irrigation).value_or(0);
    Day.EffectiveIrrigation = FScalars.IrrigationEfficiency * FIrrigation[d] / 100;
  }
}

void TSovSchedule::BuildSoilLayers() {
  TScheduleScalars& S = FScalars;
  static constexpr int CheckedColumns[] = {SovCol::HzAWC, SovCol::HzWiltingPoint,
                                           SovCol::HzBulkDensity, SovCol::HzOM, SovCol::HzpH,
                                           SovCol::HzCEC};
  // Count the complete horizons down to the rooting depth.
  int k = 0;
  bool Usable = true;
  while (k < MaxHorizons) {
    if (GetCell(k + 1, SovCol::HzDepth).trimmed().isEmpty()) break;
    ++k;
    bool Complete = IsValidCell(SovCol::HzDepth, GetCell(k, SovCol::HzDepth)) &&
                    TextureIndex(GetCell(k, SovCol::HzTexture)) != 0;
    for (int Col : CheckedColumns) {
      if (!Complete) break;
      Complete = IsValidCell(Col, GetCell(k, Col));
    }
    if (Complete) {
      if (GetCellInt(k, SovCol::HzDepth) >= S.RootingDepth) break;
      continue;
    }
    // A bottom horizon with hydraulic data but no AWC marks the end of the soil.
    if (GetCell(k, SovCol::HzAWC).trimmed().isEmpty() &&
        !GetCell(k, SovCol::HzKSat).trimmed().isEmpty() && k > 1) {
      --k;
    } else {
      Usable = false;
    }
    break;
  }
  if (k == 0) Usable = false;
  for (int i = 2; Usable && i <= k; ++i) {
    if (GetCellInt(i, SovCol::HzDepth) <= GetCellInt(i - 1, SovCol::HzDepth)) Usable = false;
  }

  // A root zone without depth (the field check refuses it) would build no layer at
  // all: it takes the single layer of the field's capacity instead.
  if (!(S.RootingDepth > 0)) Usable = false;

  S.HorizonsUsable = Usable;
  if (!Usable) {
    S.LayerCount = 1;
    FLayers[1].LayerCapacity = S.WaterHoldingCapacity;
    return;
  }

  if (GetCellInt(k, SovCol::HzDepth) < S.RootingDepth) S.RootingDepth = GetCellInt(k, SovCol::HzDepth);
  const bool HasFieldOM = !GetCell(FieldRow, SovCol::OrganicMatter).trimmed().isEmpty();
  const int Previous = PreviousCrop();
  const bool PreviousHalves =
      Previous >= 1 && Previous <= Lookup().CropCount() &&
      Lookup().Crop(Previous).ToMaxCrop != 2 && Lookup().Crop(Previous).ToMaxCrop != 8 &&
      Lookup().Crop(Previous).ToMaxCrop != 9;
  double Top = 0;
  for (int i = 1; i <= k && S.RootingDepth > Top; ++i) {
    TSoilLayer& L = FLayers[i];
    const int Depth = GetCellInt(i, SovCol::HzDepth);
    L.Top = Top;
    L.Bottom = std::min(double(Depth), S.RootingDepth);
    L.Thickness = L.Bottom - L.Top;
    L.AWC = GetCellFloat(i, SovCol::HzAWC);
    L.LayerCapacity = WaterFromMm(L.AWC * L.Thickness * 10);
    L.WiltingPoint = GetCellFloat(i, SovCol::HzWiltingPoint);
    L.BulkDensity = GetCellFloat(i, SovCol::HzBulkDensity);
    L.LayerPorosity = (2.65 - L.BulkDensity) / 2.65;
    L.OrganicMatter = (i == 1 && HasFieldOM) ? GetCellFloat(FieldRow, SovCol::OrganicMatter)
                                              : GetCellFloat(i, SovCol::HzOM);
    L.pH = GetCellFloat(i, SovCol::HzpH);
    L.Texture = TextureIndex(GetCell(i, SovCol::HzTexture));

    double OrganicFactor;
    if (L.OrganicMatter > 1.0) OrganicFactor = 5.0;
    else if (L.OrganicMatter >= 0.5) OrganicFactor = 2.5;
    else OrganicFactor = 1.25;
    if (i == 1 && PreviousHalves) OrganicFactor /= 2;
    L.LayerMineralizableN = OrganicFactor * L.OrganicMatter;
    L.LayerMineralizedN = 0;
    L.LayerAmmoniumPpm = 0;

    L.LayerNitratePpm = InitialNitratePpm(L.Top, L.Bottom);
    const double NitrateKgHa = L.LayerNitratePpm * L.Thickness * L.BulkDensity / 10;
    FNitrateN[1] += S.IsMetric ? NitrateKgHa : FromMetric(TUnitKind::MassPerArea, NitrateKgHa);

    Top = Depth;
    S.LayerCount = i;
  }
}

void TSovSchedule::ReadUserStages() {
  for (int d = 1; d <= FDayCount; ++d) {
    FUserStage[d] = StageCodeIndex(FWeather[std::size_t(d - 1)][std::size_t(SovCol::GrowthStage - SovCol::FirstWeather)]);
  }
}

void TSovSchedule::RunWaterPhase() {
  using namespace SovWater;
  const TScheduleScalars& S = FScalars;
  const int CropRow = Crop();
  const int PlantingOffset = DaysFromPlanting(CropRow, 0);
  // The calendar and its realised stage lengths are worked out once for all days.
  const TCropCalendar Calendar(Lookup(), CropRow, TotalSeasonDays(CropRow, S.GrowingSeason),
                               FUserStage.items(), S.DaysBeforeEmergence, PlantingOffset);
  const TSite Site(S.Latitude, S.Elevation, S.IsCoastal);
  const double FrozenCropEt = S.IsMetric ? 1.0 : 0.04;
  const int LayerCount = S.LayerCount;

  std::array<double, MaxSoilLayers> Capacity{};
  std::array<double, MaxSoilLayers> Water{};
  std::array<double, MaxSoilLayers> Drain{};
  for (int n = 1; n <= LayerCount; ++n) {
    Capacity[std::size_t(n - 1)] = FLayers[n].LayerCapacity;
    Water[std::size_t(n - 1)] = S.StartingMoisture * FLayers[n].LayerCapacity / 100;
  }
  const std::span<const double> CapacitySpan(Capacity.data(), std::size_t(LayerCount));
  const std::span<double> WaterSpan(Water.data(), std::size_t(LayerCount));
  const std::span<double> DrainSpan(Drain.data(), std::size_t(LayerCount));

  int J = FStartDate.dayOfYear() - 1;
  for (int d = 1; d <= FDayCount; ++d) {
    TScheduleDay& Day = FDays[d];
    ++J;
    if (d == 1 || FPrecip[d] + Day.EffectiveIrrigation >= S.WettingThreshold) {
      Day.DaysSinceWetting = 1;
    } else {
      Day.DaysSinceWetting = FDays[d - 1].DaysSinceWetting + 1;
    }

    const TRefEtDay Ref = ReferenceEt(Site, J, Day.High, Day.Low, Day.Wind, Day.Humidity);
    FSolarRad[d] = Ref.Radiation.Rs;
    FETRef[d] = WaterFromMm(Ref.ETo);

    const int Stage = FUserStage[d];
    if (Stage == StageFrozen || Stage == StageSnow) {
      Day.UnreducedETCrop = FrozenCropEt;
      FKc[d] = 0;
    } else if (d <= S.DaysBeforeEmergence) {
      FKc[d] = PreEmergenceKc(FResidue[d]);
      Day.UnreducedETCrop = FETRef[d] * FKc[d];
    } else {
      FKc[d] = Calendar.KcOfDay(DaysFromPlanting(CropRow, d - S.DaysBeforeEmergence));
      Day.UnreducedETCrop = FETRef[d] * FKc[d];
    }
    if (d > S.DaysBeforeEmergence) {
      FDayStage[d] = Calendar.StageOfDay(DaysFromPlanting(CropRow, d - S.DaysBeforeEmergence));
    }

    double ETCrop = DriedCropEt(Day.UnreducedETCrop, Day.DaysSinceWetting);
    ETCrop = StressedCropEt(ETCrop, d == 1 ? double(S.StartingMoisture) : FDays[d - 1].MoisturePct);
    FETCrop[d] = ETCrop;

    const double W = FPrecip[d] + Day.EffectiveIrrigation - ETCrop;
    const double Left = LayerBalance(W, CapacitySpan, WaterSpan, DrainSpan);
    double Moisture = 0;
    for (int n = 1; n <= LayerCount; ++n) {
      FLayerWater[d][n] = Water[std::size_t(n - 1)];
      FLayerDrain[d][n] = Drain[std::size_t(n - 1)];
      Moisture += Water[std::size_t(n - 1)];
    }
    FSoilMoisture[d] = Moisture;
    // An unmet demand below the last layer is dropped.
    FExcessWater[d] = Left > 0 ? Left : 0.0;
    FDepletedMoisture[d] = S.WaterHoldingCapacity - Moisture;

    double Pct;
    if (S.WaterHoldingCapacity > 0) {
      Pct = Moisture / S.WaterHoldingCapacity * 100;
      // A vanishing capacity can overflow the quotient: it takes its limit, the
      // largest finite percentage.
      if (!std::isfinite(Pct)) Pct = std::numeric_limits<double>::max();
    } else {
      // A profile with no capacity (the field check refuses it) holds all it can:
      // full, 100 percent.
      Pct = 100;
    }
    Day.MoisturePct = Pct;
    FRelativeMoisture[d] = (Pct - S.MinimumMoisture) * 0.22;

    // Weather far outside what the field check lets through (a mean temperature near
    // -237 °C, huge temperatures or amounts of water) can leave the formulas without
    // a finite value; such a day ends the calculation instead of filling the schedule
    // with it.
    for (const double Value : {FSolarRad[d], FETRef[d], Day.UnreducedETCrop, FETCrop[d],
                               FSoilMoisture[d], FExcessWater[d], FDepletedMoisture[d]}) {
      if (!std::isfinite(Value)) {
        throw std::domain_error("The weather of day " + std::to_string(d) +
                                " gives no finite water balance.");
      }
    }
  }
}

void TSovSchedule::PrepareNitrogenPhase() {
  TScheduleScalars& S = FScalars;
  const int CropRow = Crop();
  S.CropHasUptake = false;
  S.YieldFactor = 1.0;
  if (CropRow < 1 || CropRow > Lookup().CropCount()) return;
  const TCropRec& CropRec = Lookup().Crop(CropRow);
  S.CropHasUptake = CropRec.UptakePointCount > 0;
  if (CropRec.ToMaxCrop != YieldScaledCrop) return;
  const QString YieldText = GetCell(FieldRow, SovCol::ProjectedYield);
  if (!YieldText.trimmed().isEmpty() && IsValidCell(SovCol::ProjectedYield, YieldText)) {
    double Yield = GetCellFloat(FieldRow, SovCol::ProjectedYield);
    if (S.IsMetric) Yield = FromMetric(TUnitKind::MassPerArea, Yield) / 56;  // kg/ha to bushels (56 lb) per acre
    S.YieldFactor = std::min(1.1 * Yield / 277, 1.0);
  } else {
    S.YieldFactor = 0.8;
  }
}

// RunNitrogenPhase: SovSchedNitrogen.cpp.
