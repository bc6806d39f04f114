#include "SovSched.h"

#include <algorithm>
#include <cmath>

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

double SunsetHourAngle(double Latitude, int J) {
  const double Declination = 0.409 * std::sin(DayAngleFactor * J - 1.39);
  // Beyond the polar circles the sun stays below (polar night) or above (midnight
  // sun) the horizon all day and the product leaves [-1, 1]; held there, the angle
  // becomes 0 (no daylight) or pi (a whole day of it).
  const double CosAngle = std::clamp(-std::tan(Latitude) * std::tan(Declination), -1.0, 1.0);
  return std::acos(CosAngle);
}

double ExtraterrestrialRadiation(double Latitude, int J) {
  const double dr = 1 + 0.033 * std::cos(DayAngleFactor * J);
  const double Declination = 0.409 * std::sin(DayAngleFactor * J - 1.39);
  const double ws = SunsetHourAngle(Latitude, J);
  const double Ra = RadiationFactor * dr *
                    (ws * std::sin(Latitude) * std::sin(Declination) +
                     std::cos(Latitude) * std::cos(Declination) * std::sin(ws));
  // The bracket is never negative in exact arithmetic; rounding at the edge of
  // polar night can leave a tiny negative rest.
  return std::max(Ra, 0.0);
}

double NetLongwaveRadiation(double High, double Low, double ea, double RsOverRso) {
  return 4.903e-9 * (std::pow(High + 273.16, 4) + std::pow(Low + 273.16, 4)) / 2 *
         (0.34 - 0.14 * std::sqrt(ea)) * (1.35 * RsOverRso - 0.35);
}

TRadiation DailyRadiation(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                          double Low, double ea) {
  TRadiation R;
  R.Ra = ExtraterrestrialRadiation(Latitude, J);
  const double ClearSkyFactor = 0.75 + 2 * Elevation / 100000;
  R.Rso = ClearSkyFactor * R.Ra;
  const double kRs = IsCoastal ? 0.19 : 0.16;
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

double PenmanMonteith(double Rn, double Mean, double es, double ea, double u2, double Gamma) {
  const double Delta = 4098 * SatVapourPressure(Mean) / std::pow(Mean + 237.3, 2);
  return (0.408 * Delta * Rn + Gamma * 900 / (Mean + 273) * u2 * (es - ea)) /
         (Delta + Gamma * (1 + 0.34 * u2));
}

TRefEtDay ReferenceEt(double Latitude, int J, double Elevation, bool IsCoastal, double High,
                      double Low, double Wind, double Humidity) {
  TRefEtDay D;
  const double Mean = (High + Low) / 2;
  D.ea = ActualVapourPressure(High, Low, Humidity);
  D.Radiation = DailyRadiation(Latitude, J, Elevation, IsCoastal, High, Low, D.ea);
  D.es = (SatVapourPressure(High) + SatVapourPressure(Low)) / 2;
  D.Delta = 4098 * SatVapourPressure(Mean) / std::pow(Mean + 237.3, 2);
  D.Gamma = PsychrometricConstant(Elevation);
  D.ETo = PenmanMonteith(D.Radiation.Rn, Mean, D.es, D.ea, Wind, D.Gamma);
  return D;
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
