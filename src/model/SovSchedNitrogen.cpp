// The soil-nitrogen pass of the schedule: after the water pass has filled every day's
// layer water and drainage, each day moves the nitrogen of the layers through
// mineralisation, nitrification, urea hydrolysis, denitrification and volatilisation,
// lets the crop take up ammonium and nitrate along its uptake curve, washes nitrate
// down with the drained water and finally adds the day's applications, which so act
// from the next day.
//
// Pools are held in ppm of their layer; an amount in kg/ha is ppm x the layer's
// kg-per-ppm factor (thickness cm x bulk density / 10). Amounts booked into the result
// columns are converted to lbs/acre in an English field.

#include "SovSchedNitrogen.h"

#include "SovCalendar.h"
#include "SovEventN.h"
#include "SovSched.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

// ---------------------------------------------------------------------------
// Formulas
// ---------------------------------------------------------------------------

namespace SovNitrogen {

namespace {
constexpr double Pi = 3.14159265358979323846;
// Nitrification moisture curve parameters (optimum a, b, lower end c, shape e).
struct TTextureCurve {
  double a, b, c, e;
};
constexpr TTextureCurve CoarseCurve{0.55, 1.7, -0.007, 3.22};
constexpr TTextureCurve FineCurve{0.6, 1.27, 0.0012, 2.84};
}  // namespace

TPoreSpace LayerPoreSpace(double Water, double Capacity, double Awc, double WiltingPoint,
                          double Porosity) {
  TPoreSpace P;
  // Layers are built with a porosity above 0 (bulk density at most 2.6); a layer
  // without pore space is as full as it can be.
  if (!(Porosity > 0)) {
    P.Wfps = 1;
    P.Wwp = 1;
    return P;
  }
  // A layer that holds no available water stays at its wilting point: whatever
  // reaches it passes through.
  double Theta = WiltingPoint;
  if (Capacity > 0) Theta += std::clamp(Water / Capacity, 0.0, 1.0) * Awc;
  if (Theta > Porosity) Theta = Porosity;
  P.Wfps = std::max(Theta / Porosity, 0.0);
  P.Wwp = std::max(WiltingPoint / Porosity, 0.0);
  return P;
}

double MineralizationTemperatureFactor(double T) {
  if (!(T > 0)) return 0;
  if (T < 5) return 0.25 * T / 5;
  return std::exp2((T - 25) / 10);
}

double MineralizationMoistureFactor(double W, double Wwp) {
  if (W < 0.5) {
    // (1/W - 1/Wwp) / (2 - 1/Wwp), written without the quotients that break down at
    // W 0 or Wwp 0: 0 at the wilting point, rising to 1 at W 0.5.
    if (!(W > Wwp)) return 0;
    return (W - Wwp) / (W * (1 - 2 * Wwp));
  }
  if (W <= 0.6) return 1;
  // Falls from 1 at W 0.6 to 0.6 at W 1.
  return 0.6 + 0.4 * (1 - 1 / W) / (-2.0 / 3.0);
}

double MineralizedFraction(double k, double TemperatureFactor, double MoistureFactor) {
  return 1 - std::exp(-k * TemperatureFactor * MoistureFactor);
}

double NitrificationTemperatureFactor(double T) { return 0.13 * std::exp(0.07 * T) - 0.06; }

double NitrificationMoistureFactor(double W, bool Coarse) {
  const TTextureCurve& C = Coarse ? CoarseCurve : FineCurve;
  // The curve ends at W = c (and W never reaches b, which lies above 1).
  if (!(W > C.c) || !(W < C.b)) return 0;
  const double Shape = C.e * (C.b - C.a) / (C.a - C.c);
  return std::pow((W - C.b) / (C.a - C.b), Shape) * std::pow((W - C.c) / (C.a - C.c), C.e);
}

double NitrificationPhFactor(double pH) {
  return 0.56 + std::atan(1.4137166941154069 * (pH - 5)) / Pi;
}

double DenitrificationBaseRate(double OrganicMatter, bool TopLayerAfterManure) {
  double k;
  if (OrganicMatter > 1.0) k = 0.075;
  else if (OrganicMatter >= 0.5) k = 0.0375;
  else k = 0.01875;
  if (TopLayerAfterManure) k += 0.075;
  return k;
}

double DenitrificationTemperatureFactor(double T) { return std::pow(3.0, (T - 30) / 10); }

double Denitrified(double BaseRate, double FdT, double W, double NitratePpm) {
  if (!(W >= 0.6) || !(NitratePpm > 0)) return 0;
  const double FdW = ((W - 0.6) / 0.4) * ((W - 0.6) / 0.4);
  const double FdN = NitratePpm / (2.45 + NitratePpm);
  // In a hot, waterlogged layer the product can exceed what is there.
  return std::min(BaseRate * FdT * FdW * FdN * NitratePpm, NitratePpm);
}

double VolatilizationTemperatureFactor(double MeanTemperature) {
  return std::pow(1.08, MeanTemperature - 20);
}

double LiquidManureRateFactor(double GallonsPerAcre) {
  if (GallonsPerAcre < 7000) return 0.85;
  if (GallonsPerAcre < 14000) return 0.75;
  if (GallonsPerAcre < 21000) return 0.67;
  if (GallonsPerAcre < 28000) return 0.5;
  return 0.33;
}

double CecFactor(double Cec) { return Cec <= 30 ? 1 - 0.033 * Cec : 0.0; }

double UptakeStressRatio(double ETCrop, double UnreducedETCrop) {
  if (!(UnreducedETCrop > 0)) return 1;
  const double r = ETCrop / UnreducedETCrop;
  return std::isfinite(r) ? std::clamp(r, 0.0, 1.0) : 1.0;
}

double LeachNitrate(std::span<const double> Capacity, std::span<const double> Drain,
                    std::span<double> Nitrate) {
  const std::size_t Count = Capacity.size();
  if (Drain.size() < Count || Nitrate.size() < Count) {
    throw std::out_of_range("Leaching: fewer drain or nitrate values than layers");
  }
  // A stream of water leaving a layer, oldest water first: parts of given depth and
  // the nitrate each carries. Leaving layer n it has at most n + 1 parts.
  struct TPart {
    double Water;
    double Nitrate;
  };
  constexpr std::size_t MaxParts = 16;
  if (Count + 1 > MaxParts) throw std::out_of_range("Leaching: too many layers");
  std::array<TPart, MaxParts> In{}, Out{};
  std::size_t InCount = 0;

  for (std::size_t n = 0; n < Count; ++n) {
    const double Cap = Capacity[n];
    const double D = std::max(Drain[n], 0.0);
    std::size_t OutCount = 0;
    // The layer's own water leaves first, taking its share of the layer's nitrate.
    double Own = 0, OwnWater = 0;
    if (D > 0) {
      if (Cap > 0) {
        OwnWater = std::min(D, Cap);
        Own = Nitrate[n] * (OwnWater / Cap);
      } else {
        Own = Nitrate[n];
      }
    }
    Nitrate[n] -= Own;
    if (D > 0) Out[OutCount++] = TPart{OwnWater, Own};
    // Then the water that came in from above, oldest first; the rest stays here.
    double Pass = D - OwnWater;
    for (std::size_t i = 0; i < InCount; ++i) {
      const TPart& P = In[i];
      double Share;
      if (P.Water > 0) {
        Share = std::clamp(Pass / P.Water, 0.0, 1.0);
      } else {
        Share = Pass > 0 ? 1.0 : 0.0;
      }
      const double Moved = P.Nitrate * Share;
      Nitrate[n] += P.Nitrate - Moved;
      if (Share > 0) Out[OutCount++] = TPart{P.Water * Share, Moved};
      Pass -= P.Water * Share;
    }
    In = Out;
    InCount = OutCount;
  }
  double Leached = 0;
  for (std::size_t i = 0; i < InCount; ++i) Leached += In[i].Nitrate;
  return Leached;
}

}  // namespace SovNitrogen

// ---------------------------------------------------------------------------
// The pass
// ---------------------------------------------------------------------------

namespace {

using namespace SovNitrogen;

// ---- Constants of the pass ---------------------------------------------------

// Fraction of an ammonium pool that nitrifies in a day when every factor is 1:
// broadcast fertiliser and surface manure at once, banded fertiliser and injected
// manure at first, then faster as water passes through and spreads them.
constexpr double BroadcastNitrificationRate = 0.18;  // 1/day
constexpr double BandedNitrificationRate = 0.06;     // 1/day
constexpr double SpreadNitrificationRate = 0.12;     // 1/day, after one layer-1 capacity of drainage
// Drainage since a banded application, in layer-1 capacities, at which it nitrifies
// at the spread and then at the broadcast rate.
constexpr double DrainedOnceCapacities = 1;
constexpr double DrainedTwiceCapacities = 2;
// Growing degree days (°C days) before applied ammonium starts nitrifying: a
// fertiliser of 82 % N (anhydrous ammonia) waits one late delay, a nitrification
// inhibitor adds another; manure ammonium waits its own delay, doubled by an inhibitor.
constexpr int AnhydrousAmmoniaNPercent = 82;          // the fertiliser's N, percent
constexpr double LateNitrificationDelay = 139.0;      // °C days
constexpr double ManureNitrificationDelay = 69.5;     // °C days
// Growing degree days before a manure's organic nitrogen starts to be released.
constexpr double ManureMineralizationDelay = 139.0;   // °C days
// Rate constant of the soil's own organic nitrogen.
constexpr double SoilMineralizationRate = 0.01;       // 1/day
// Urea hydrolysed a day per °C of the seven-day temperature, as a fraction of the
// application's urea.
constexpr double UreaHydrolysisRate = 0.018;          // 1/(day °C)
// Ammonia volatilisation: the day's rate at full factors and the method factor of
// incorporated manure.
constexpr double AmmoniaLossRate = 0.127;             // 1/day
constexpr double IncorporatedManureFactor = 1.0 / 3.0;
// Uptake under stress: below this ratio of crop water use the demand falls with it;
// above this water-filled pore space in layer 1 it falls to 0 at saturation.
constexpr double UptakeStressRatioLimit = 0.7;
constexpr double WaterloggedWfps = 0.9;
constexpr double WaterloggedWfpsSpan = 0.1;  // 1 - WaterloggedWfps
// Days of the running mean temperature, this one included.
constexpr int TemperatureWindowDays = 7;

// Fixed table with room for one entry per event: each event makes at most one entry
// in each table.
template <typename T>
class TSlotTable {
 public:
  T& Add() {
    if (FCount >= MaxEvents) throw std::out_of_range("Nitrogen application table is full");
    FItems[std::size_t(FCount)] = T{};
    return FItems[std::size_t(FCount++)];
  }
  int Count() const { return FCount; }
  T* begin() { return FItems.data(); }
  T* end() { return FItems.data() + FCount; }
  const T* begin() const { return FItems.data(); }
  const T* end() const { return FItems.data() + FCount; }

 private:
  std::array<T, MaxEvents> FItems{};
  int FCount = 0;
};

// Ammonium of one fertiliser or manure application, in layer 1.
struct TAmmoniumSlot {
  int EventRow = 0;
  double RainSinceApplication = 0;   // field's precipitation units
  double AmmoniumPpm = 0;
  double DrainSinceApplication = 0;  // field's depth units
  double NitrificationRate = 0;
  double NitrificationDelay = 0;     // °C days still to pass
  // Surface manure that can lose ammonia (manure not injected).
  bool Volatilizes = false;
  bool IsLiquid = false;
  int EventDay = 0;
  int DaysToInc = 0;
  double RateGallonsPerAcre = 0;
};

struct TUreaSlot {
  double UreaPpm = 0;
  double HydrolysisRate = 0;  // ppm per day per °C
};

struct TManureSlot {
  int EventRow = 0;
  int Manure = 0;                    // lookup row
  double MinerkConst = 0;
  double MineralizablePpm = 0;
  double MineralizationDelay = 0;    // °C days still to pass
  double MineralizedPpm = 0;
};

// One fertiliser or manure event, read and resolved before the day loop.
struct TApplication {
  int Row = 0;
  int Day = 0;
  int Code = 0;
  // Fertiliser: kg/ha of each form.
  double NitrateKg = 0, AmmoniumKg = 0, UreaKg = 0;
  double NitrificationRate = 0, NitrificationDelay = 0;
  // Manure: ammonium kg/ha and releasable organic kg/ha.
  double OrganicKg = 0;
  int Manure = 0;
  double MinerkConst = 0;
  bool Volatilizes = false, IsLiquid = false;
  int DaysToInc = 0;
  double RateGallonsPerAcre = 0;
};

// The fertiliser and manure events of days 1..Days, in the order they are made on a
// day: fertiliser events by row, then (in the day loop) irrigation-water nitrate, then
// manure events by row.
struct TApplications {
  std::array<TApplication, MaxEvents> Items{};
  int Count = 0;
};

// An amount that enters the soil: finite and not below 0.
double Amount(double Kg) { return std::isfinite(Kg) && Kg > 0 ? Kg : 0.0; }

// What the crop takes of Available toward Demand; Demand is lowered by it.
double TakeUptake(double Available, double& Demand) {
  if (Available < Demand) {
    Demand -= Available;
    return Available;
  }
  const double Taken = Demand;
  Demand = 0;
  return Taken;
}

TApplications ReadApplications(const TSovFile& Field, const TSovEventRecArray& Events, int Days,
                               bool Metric) {
  const TSovLookup& L = Field.Lookup();
  TApplications Apps;
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    const TSovEventRec& Event = Events[std::size_t(Row - 1)];
    const int Day = Event.Day;
    const int Code = Event.Code;
    if (Day < 1 || Day > Days) continue;
    if (Code != SovEvent::Fertilizer && Code != SovEvent::Manure) continue;
    TApplication& A = Apps.Items[std::size_t(Apps.Count++)];
    A.Row = Row;
    A.Day = Day;
    A.Code = Code;
    const int Key1 = Event.Key1;
    const int Key2 = Event.Key2;
    const double Rate = Field.GetCellFloat(Row, SovCol::EvValue);
    if (Code == SovEvent::Fertilizer) {
      if (Key1 < 1 || Key1 > L.FertilizerCount() || Key2 < 1 || Key2 > L.FertAppMethodCount()) {
        throw std::out_of_range("Event " + std::to_string(Row) +
                                " names a fertiliser or method that is not in the lookup tables.");
      }
      const TFertilizerRec& F = L.Fertilizer(Key1);
      if (F.Nitrate > 0) A.NitrateKg = Amount(Field.FertilizerN(Key1, NitrogenForm::Nitrate, Rate, Metric, true));
      if (F.Ammonium > 0) A.AmmoniumKg = Amount(Field.FertilizerN(Key1, NitrogenForm::Ammonium, Rate, Metric, true));
      if (F.Urea > 0) A.UreaKg = Amount(Field.FertilizerN(Key1, NitrogenForm::Urea, Rate, Metric, true));
      A.NitrificationRate = L.FertAppMethod(Key2).IsBand ? BandedNitrificationRate : BroadcastNitrificationRate;
      A.NitrificationDelay = (F.N == AnhydrousAmmoniaNPercent ? LateNitrificationDelay : 0.0) +
                             (F.NitrifInhib ? LateNitrificationDelay : 0.0);
    } else {
      if (Key1 < 1 || Key1 > L.ManureCount() || Key2 < 1 || Key2 > L.ManureAppMethodCount()) {
        throw std::out_of_range("Event " + std::to_string(Row) +
                                " names a manure or method that is not in the lookup tables.");
      }
      const TManureRec& M = L.Manure(Key1);
      const TManureAppMethodRec& Method = L.ManureAppMethod(Key2);
      const double Total = Field.GetCellFloat(Row, SovCol::EvValue2);
      const double Nh4 = Field.GetCellFloat(Row, SovCol::EvValue3);
      if (Nh4 > 0) A.AmmoniumKg = Amount(Field.ManureN(Key1, Metric, Rate, Nh4, true));
      A.OrganicKg = Amount(Field.ManureN(Key1, Metric, Rate, Total - Nh4, true) * M.MaxMinerPct / 100);
      A.NitrificationRate = Method.IsInject ? BandedNitrificationRate : BroadcastNitrificationRate;
      A.NitrificationDelay = ManureNitrificationDelay + (M.NitrifInhib ? ManureNitrificationDelay : 0.0);
      A.Manure = Key1;
      A.MinerkConst = M.MinerkConst;
      A.Volatilizes = !Method.IsInject;
      A.IsLiquid = M.IsLiquid;
      A.DaysToInc = Method.DaysToInc;
      A.RateGallonsPerAcre = Metric ? TSovFile::FromMetric(TUnitKind::LiquidRate, Rate) : Rate;
    }
  }
  std::stable_sort(Apps.Items.begin(), Apps.Items.begin() + Apps.Count,
                   [](const TApplication& a, const TApplication& b) {
                     if (a.Day != b.Day) return a.Day < b.Day;
                     return a.Code < b.Code;  // fertiliser (1) before manure (3)
                   });
  return Apps;
}

// Mean temperature (°C) of day d and the up to six days before it.
double SevenDayTemperature(const TDayArray<TScheduleDay>& Days, int d) {
  const int FirstDay = std::max(d - (TemperatureWindowDays - 1), 1);
  double WeekSum = 0;
  for (int k = FirstDay; k <= d; ++k) WeekSum += Days[k].Mean;
  return WeekSum / (d - FirstDay + 1);
}

// Soil organic nitrogen a layer releases today (ppm), up to its ceiling; Mineralized
// is the layer's release so far.
double MineralizeSoilN(double Ceiling, double& Mineralized, double FmT, double FmW) {
  if (!(Mineralized < Ceiling)) return 0;
  double m = MineralizedFraction(SoilMineralizationRate, FmT, FmW) * Ceiling;
  if (!(m > 0)) return 0;
  if (Mineralized + m > Ceiling) {
    m = Ceiling - Mineralized;
    Mineralized = Ceiling;
  } else {
    Mineralized += m;
  }
  return m;
}

// Daily fractions of manure release, per manure row, worked out once a day.
struct TManureFractions {
  std::array<double, MaxManures + 1> Fraction{};
  std::array<int, MaxManures + 1> Day{};
};

// Manure organic nitrogen released in layer 1 today, each application after its delay
// and up to what it can release: Release(ppm) for each release.
template <typename TRelease>
void ReleaseManureN(TSlotTable<TManureSlot>& Slots, TManureFractions& Fractions, int d, double DayGdd,
                    double FmT, double FmW, TRelease&& Release) {
  for (TManureSlot& Slot : Slots) {
    Slot.MineralizationDelay -= DayGdd;
    if (Slot.MineralizationDelay > 0 || Slot.MineralizedPpm >= Slot.MineralizablePpm) continue;
    const std::size_t Row = std::size_t(Slot.Manure);
    if (Fractions.Day[Row] != d) {
      Fractions.Fraction[Row] = MineralizedFraction(Slot.MinerkConst, FmT, FmW);
      Fractions.Day[Row] = d;
    }
    double m = Fractions.Fraction[Row] * Slot.MineralizablePpm;
    if (!(m > 0)) continue;
    if (Slot.MineralizedPpm + m > Slot.MineralizablePpm) {
      m = Slot.MineralizablePpm - Slot.MineralizedPpm;
      Slot.MineralizedPpm = Slot.MineralizablePpm;
    } else {
      Slot.MineralizedPpm += m;
    }
    Release(m);
  }
}

// Applied ammonium nitrified today (ppm), each application after its delay; banded
// and injected nitrogen nitrifies faster as water drains through layer 1 (Capacity1).
double NitrifyAppliedAmmonium(TSlotTable<TAmmoniumSlot>& Slots, double Drain1, double Capacity1,
                              double DayGdd, double Fn) {
  double Nitrified = 0;
  for (TAmmoniumSlot& Slot : Slots) {
    Slot.DrainSinceApplication += Drain1;
    Slot.NitrificationDelay -= DayGdd;
    if (Slot.NitrificationDelay > 0) continue;
    if (Slot.NitrificationRate < BroadcastNitrificationRate) {
      // Banded or injected nitrogen spreads out as water passes through.
      double R;
      if (Capacity1 > 0) R = Slot.DrainSinceApplication / Capacity1;
      else R = Slot.DrainSinceApplication > 0 ? DrainedTwiceCapacities : 0.0;
      if (R >= DrainedTwiceCapacities) Slot.NitrificationRate = BroadcastNitrificationRate;
      else if (R >= DrainedOnceCapacities) Slot.NitrificationRate = SpreadNitrificationRate;
    }
    const double x = std::clamp(Slot.NitrificationRate * Fn, 0.0, 1.0) * Slot.AmmoniumPpm;
    Slot.AmmoniumPpm -= x;
    Nitrified += x;
  }
  return Nitrified;
}

// Urea hydrolysed into ammonium today (ppm) at seven-day temperature T.
double HydrolyseUrea(TSlotTable<TUreaSlot>& Slots, double T) {
  double Hydrolysed = 0;
  for (TUreaSlot& Slot : Slots) {
    if (!(Slot.UreaPpm > 0)) continue;
    double h = Slot.HydrolysisRate * T;
    if (h >= Slot.UreaPpm) {
      h = Slot.UreaPpm;
      Slot.UreaPpm = 0;
    } else {
      Slot.UreaPpm -= h;
    }
    Hydrolysed += h;
  }
  return Hydrolysed;
}

// Ammonia lost today from surface manure at the day's mean temperature, before rain
// has washed it in: Lose(ppm of layer 1) for each loss. The rain of the day then counts.
template <typename TLose>
void VolatilizeManureAmmonia(TSlotTable<TAmmoniumSlot>& Slots, int d, double MeanTemperature, double Cec,
                             double WettingThreshold, double Precip, TLose&& Lose) {
  const double FvT = VolatilizationTemperatureFactor(MeanTemperature);
  for (TAmmoniumSlot& Slot : Slots) {
    if (!Slot.Volatilizes || !(Slot.RainSinceApplication < WettingThreshold) || !(Slot.AmmoniumPpm > 0)) {
      continue;
    }
    const bool Incorporated = (d - Slot.EventDay) > Slot.DaysToInc;
    double FvM, FvS;
    if (Incorporated) {
      FvM = IncorporatedManureFactor;
      FvS = CecFactor(Cec);
    } else if (Slot.IsLiquid) {
      FvM = LiquidManureRateFactor(Slot.RateGallonsPerAcre);
      FvS = CecFactor(Cec);
    } else {
      FvM = 1;
      FvS = 1;
    }
    double v = Slot.AmmoniumPpm * (1 - std::exp(-AmmoniaLossRate * FvT * FvS)) * FvM;
    if (Slot.RainSinceApplication >= WettingThreshold / 2 && WettingThreshold > 0) {
      v *= 1 - Slot.RainSinceApplication / WettingThreshold;
    }
    v = std::clamp(v, 0.0, Slot.AmmoniumPpm);
    Slot.AmmoniumPpm -= v;
    Lose(v);
    Slot.RainSinceApplication += Precip;
  }
}

// The crop's nitrogen demand of the day (kg/ha): its uptake rate over half the day's
// degree days, scaled by the yield and lowered by water stress or a waterlogged top
// layer.
double UptakeDemand(double DayGdd, double UptakeRate, double YieldFactor, double StressRatio, double Wfps1) {
  double Demand = DayGdd * UptakeRate / 2 * YieldFactor;
  if (StressRatio < UptakeStressRatioLimit) Demand *= StressRatio;
  else if (Wfps1 > WaterloggedWfps) Demand *= (1 - Wfps1) / WaterloggedWfpsSpan;
  if (!(Demand > 0) || !std::isfinite(Demand)) Demand = 0;
  return Demand;
}

}  // namespace

void TSovSchedule::RunNitrogenPhase() {
  const TScheduleScalars& S = FScalars;
  const int Days = FDayCount;
  const int Count = S.LayerCount;
  // Building the layers has put the layers' initial nitrate into day 1.
  FStartingNitrateN = FNitrateN[1];
  if (Days <= 0) return;
  if (Count < 1 || Count > MaxSoilLayers) {
    throw std::out_of_range("Nitrogen pass: " + std::to_string(Count) + " soil layers");
  }
  const bool Metric = S.IsMetric;
  auto Book = [Metric](double Kg) { return Metric ? Kg : FromMetric(TUnitKind::MassPerArea, Kg); };
  const TSovLookup& L = Lookup();
  const int CropRow = Crop();
  const TCropRec* CropRec = (CropRow >= 1 && CropRow <= L.CropCount()) ? &L.Crop(CropRow) : nullptr;
  const int UptakePoints = CropRec ? std::clamp(CropRec->UptakePointCount, 0, MaxUptakePoints) : 0;

  // ---- Layers -------------------------------------------------------------
  const int CoarseLimit = TextureIndex(QStringLiteral("SL"));
  std::array<double, MaxSoilLayers> KgPerPpm{}, Ammonium{}, Nitrate{}, Mineralized{};
  std::array<double, MaxSoilLayers> PhFactor{}, Capacity{};
  std::array<bool, MaxSoilLayers> Coarse{};
  for (int n = 0; n < Count; ++n) {
    const TSoilLayer& Layer = FLayers[n + 1];
    const std::size_t i = std::size_t(n);
    KgPerPpm[i] = Layer.Thickness * Layer.BulkDensity / 10;
    Ammonium[i] = Layer.LayerAmmoniumPpm;
    Nitrate[i] = Layer.LayerNitratePpm;
    Mineralized[i] = Layer.LayerMineralizedN;
    PhFactor[i] = NitrificationPhFactor(Layer.pH);
    Coarse[i] = Layer.Texture <= CoarseLimit;
    Capacity[i] = Layer.LayerCapacity;
  }
  const double Factor1 = KgPerPpm[0];
  // Layer 1 has a positive thickness and bulk density; without it nothing can enter.
  auto ToPpm1 = [Factor1](double Kg) { return Factor1 > 0 ? Kg / Factor1 : 0.0; };
  const double Cec = GetCellFloat(1, SovCol::HzCEC);  // empty counts as 0

  const TApplications Apps = ReadApplications(*this, FEvents, Days, Metric);
  int NextApp = 0;

  TSlotTable<TAmmoniumSlot> AmmoniumSlots;
  TSlotTable<TUreaSlot> UreaSlots;
  TSlotTable<TManureSlot> ManureSlots;

  // ---- Running values -----------------------------------------------------
  double CumulativeGdd = 0;
  int UptakeSegment = (S.CropHasUptake && UptakePoints > 0) ? 1 : 0;
  double SoilMineralized = 0;  // field units
  std::array<double, MaxSoilLayers> Wfps{}, LayerDrainToday{}, NitrateKg{};
  // The moisture factors of a layer, worked out again only when its water changes
  // (deep layers keep theirs for days, and the nitrification factor costs two powers).
  struct TMoistureFactors {
    double Water = std::numeric_limits<double>::quiet_NaN();  // matches no water
    double W = 0, FmW = 0, FnW = 0;
  };
  std::array<TMoistureFactors, MaxSoilLayers> Moisture{};
  TManureFractions ManureFractions;

  for (int d = 1; d <= Days; ++d) {
    const TScheduleDay& Day = FDays[d];
    // 1. Seven-day mean temperature.
    const double T = std::max(SevenDayTemperature(FDays, d), 0.0);
    // 2. Growing degree days, °C.
    const double DayGdd = DailyGdd(L, true, CropRow, Day.High, Day.Low);
    // 3. Along the uptake curve, from emergence.
    const bool Emerged = d > S.DaysBeforeEmergence;
    if (Emerged) {
      CumulativeGdd += DayGdd;
      if (UptakeSegment > 0 && CropRec->NUptakeGDD[UptakeSegment] < CumulativeGdd) {
        UptakeSegment = UptakeSegment < UptakePoints ? UptakeSegment + 1 : 0;
      }
    }
    // 4. The running totals go on from the day before. The amounts present
    // (AmmoniumN, NitrateN) are taken from the pools at the end of the day.
    double MineralizedN = d > 1 ? FMineralizedN[d - 1] : 0.0;
    double DenitrifiedN = d > 1 ? FDenitrifiedN[d - 1] : 0.0;
    double VolatilizedN = d > 1 ? FVolatilizedN[d - 1] : 0.0;
    double UptakeN = d > 1 ? FUptakeN[d - 1] : 0.0;
    double LeachedN = d > 1 ? FLeachedN[d - 1] : 0.0;

    // Factors of the day that do not depend on the layer.
    const double FmT = MineralizationTemperatureFactor(T);
    const double FnT = NitrificationTemperatureFactor(T);
    const double FdT = DenitrificationTemperatureFactor(T);
    const TLayerArray<double>& WaterToday = FLayerWater[d];
    const TLayerArray<double>& DrainToday = FLayerDrain[d];

    // 5. The layers' transformations.
    for (int n = 0; n < Count; ++n) {
      const std::size_t i = std::size_t(n);
      const TSoilLayer& Layer = FLayers[n + 1];
      const double Factor = KgPerPpm[i];
      LayerDrainToday[i] = DrainToday[n + 1];

      // A. Water-filled pore space.
      TMoistureFactors& M = Moisture[i];
      if (!(WaterToday[n + 1] == M.Water)) {
        M.Water = WaterToday[n + 1];
        const TPoreSpace P = LayerPoreSpace(M.Water, Layer.LayerCapacity, Layer.AWC,
                                            Layer.WiltingPoint, Layer.LayerPorosity);
        M.W = P.Wfps;
        // C. and F.: the moisture factors of mineralisation and nitrification.
        M.FmW = MineralizationMoistureFactor(M.W, P.Wwp);
        M.FnW = NitrificationMoistureFactor(M.W, Coarse[i]);
      }
      const double W = M.W;
      Wfps[i] = W;

      // D. Soil organic nitrogen, up to the layer's ceiling.
      if (const double m = MineralizeSoilN(Layer.LayerMineralizableN, Mineralized[i], FmT, M.FmW); m > 0) {
        Ammonium[i] += m;
        const double Booked = Book(m * Factor);
        MineralizedN += Booked;
        SoilMineralized += Booked;
      }

      // E. Manure organic nitrogen (layer 1).
      if (n == 0) {
        ReleaseManureN(ManureSlots, ManureFractions, d, DayGdd, FmT, M.FmW, [&](double m) {
          Ammonium[0] += m;
          MineralizedN += Book(m * Factor);
        });
      }

      // F. Nitrification factors.
      const double Fn = FnT * M.FnW * PhFactor[i];

      // G. The layer's own ammonium.
      {
        const double x = std::clamp(BroadcastNitrificationRate * Fn, 0.0, 1.0) * Ammonium[i];
        Ammonium[i] -= x;
        Nitrate[i] += x;
      }

      if (n == 0) {
        // H. Applied ammonium.
        Nitrate[0] += NitrifyAppliedAmmonium(AmmoniumSlots, LayerDrainToday[0], Capacity[0], DayGdd, Fn);
        // I. Urea hydrolysis into the layer's ammonium.
        Ammonium[0] += HydrolyseUrea(UreaSlots, T);
      }

      // J. Denitrification.
      {
        const double k = DenitrificationBaseRate(Layer.OrganicMatter, n == 0 && ManureSlots.Count() > 0);
        const double x = Denitrified(k, FdT, W, Nitrate[i]);
        if (x > 0) {
          Nitrate[i] -= x;
          DenitrifiedN += Book(x * Factor);
        }
      }

      // K. Ammonia from surface manure (layer 1).
      if (n == 0 && AmmoniumSlots.Count() > 0) {
        VolatilizeManureAmmonia(AmmoniumSlots, d, Day.Mean, Cec, S.WettingThreshold, FPrecip[d],
                                [&](double v) { VolatilizedN += Book(v * Factor); });
      }
    }

    // 6a. Crop uptake along the uptake curve.
    if (Emerged && UptakeSegment > 0) {
      const double RootDepth = CropRec->MaxRootGDD <= CumulativeGdd
                                   ? S.RootingDepth
                                   : S.RootingDepth * CumulativeGdd / CropRec->MaxRootGDD;
      double Demand = UptakeDemand(DayGdd, CropRec->NUptakeRate[UptakeSegment], S.YieldFactor,
                                   UptakeStressRatio(FETCrop[d], Day.UnreducedETCrop), Wfps[0]);
      double NitrateDemand = Demand;

      // Walks the layers the roots reach while Want is left: Visit(i, Layer, Part) with
      // layer i + 1 and the thickness of it within the roots.
      auto ForRootLayers = [&](const double& Want, auto Visit) {
        double z = 0;
        for (int n = 0; n < Count && Want > 0; ++n) {
          const TSoilLayer& Layer = FLayers[n + 1];
          z += Layer.Thickness;
          Visit(std::size_t(n), Layer, RootDepth >= z ? Layer.Thickness : RootDepth - (z - Layer.Thickness));
          if (RootDepth <= z) break;
        }
      };
      // Ammonium, from the layers and (in layer 1) the applications.
      ForRootLayers(Demand, [&](std::size_t i, const TSoilLayer& Layer, double Part) {
        double C = Ammonium[i];
        if (i == 0) {
          for (const TAmmoniumSlot& Slot : AmmoniumSlots) C += Slot.AmmoniumPpm;
        }
        const double u = TakeUptake(std::max(C * Part * Layer.BulkDensity / 10, 0.0), Demand);
        if (C > 0 && u > 0) {
          // Every pool gives in proportion to its share.
          const double Share = u / C / KgPerPpm[i];
          Ammonium[i] = std::max(Ammonium[i] - Ammonium[i] * Share, 0.0);
          if (i == 0) {
            for (TAmmoniumSlot& Slot : AmmoniumSlots) {
              Slot.AmmoniumPpm = std::max(Slot.AmmoniumPpm - Slot.AmmoniumPpm * Share, 0.0);
            }
          }
          UptakeN += Book(u);
        }
      });
      // What the ammonium could not give is asked of the nitrate.
      NitrateDemand += Demand;
      ForRootLayers(NitrateDemand, [&](std::size_t i, const TSoilLayer& Layer, double Part) {
        const double u = TakeUptake(std::max(Nitrate[i] * Part * Layer.BulkDensity / 10, 0.0), NitrateDemand);
        if (u > 0) {
          Nitrate[i] = std::max(Nitrate[i] - u / KgPerPpm[i], 0.0);
          UptakeN += Book(u);
        }
      });
    }

    // 6b. Leaching with the water that drained below each layer.
    bool Drains = false;
    for (int n = 0; n < Count; ++n) Drains = Drains || LayerDrainToday[std::size_t(n)] > 0;
    if (Drains) {
      for (int n = 0; n < Count; ++n) {
        NitrateKg[std::size_t(n)] = Nitrate[std::size_t(n)] * KgPerPpm[std::size_t(n)];
      }
      const std::size_t C = std::size_t(Count);
      const double Leached =
          LeachNitrate(std::span<const double>(Capacity.data(), C),
                       std::span<const double>(LayerDrainToday.data(), C), std::span<double>(NitrateKg.data(), C));
      for (int n = 0; n < Count; ++n) {
        const std::size_t i = std::size_t(n);
        Nitrate[i] = KgPerPpm[i] > 0 ? std::max(NitrateKg[i] / KgPerPpm[i], 0.0) : 0.0;
      }
      LeachedN += Book(Leached);
    }

    // 6c. The day's applications, acting from the next day.
    // The ammonium of a fertiliser or manure application, in layer 1.
    auto AddAmmonium = [&](const TApplication& A) -> TAmmoniumSlot& {
      TAmmoniumSlot& Slot = AmmoniumSlots.Add();
      Slot.EventRow = A.Row;
      Slot.RainSinceApplication = FPrecip[d];
      Slot.AmmoniumPpm = ToPpm1(A.AmmoniumKg);
      Slot.NitrificationRate = A.NitrificationRate;
      Slot.NitrificationDelay = A.NitrificationDelay;
      return Slot;
    };
    auto Apply = [&](const TApplication& A) {
      if (A.Code == SovEvent::Fertilizer) {
        if (A.NitrateKg > 0) Nitrate[0] += ToPpm1(A.NitrateKg);
        if (A.AmmoniumKg > 0) AddAmmonium(A);
        if (A.UreaKg > 0) {
          TUreaSlot& Slot = UreaSlots.Add();
          Slot.UreaPpm = ToPpm1(A.UreaKg);
          Slot.HydrolysisRate = UreaHydrolysisRate * Slot.UreaPpm;
        }
      } else {
        if (A.AmmoniumKg > 0) {
          TAmmoniumSlot& Slot = AddAmmonium(A);
          Slot.Volatilizes = A.Volatilizes;
          Slot.IsLiquid = A.IsLiquid;
          Slot.EventDay = A.Day;
          Slot.DaysToInc = A.DaysToInc;
          Slot.RateGallonsPerAcre = A.RateGallonsPerAcre;
        }
        TManureSlot& Slot = ManureSlots.Add();
        Slot.EventRow = A.Row;
        Slot.Manure = A.Manure;
        Slot.MinerkConst = A.MinerkConst;
        Slot.MineralizablePpm = ToPpm1(A.OrganicKg);
        Slot.MineralizationDelay = ManureMineralizationDelay;
        Slot.MineralizedPpm = 0;
      }
    };
    auto NextOfDay = [&] { return NextApp < Apps.Count && Apps.Items[std::size_t(NextApp)].Day == d; };
    while (NextOfDay() && Apps.Items[std::size_t(NextApp)].Code == SovEvent::Fertilizer) {
      Apply(Apps.Items[std::size_t(NextApp++)]);
    }
    if (FIrrigation[d] > 0) Nitrate[0] += ToPpm1(Amount(IrrigationWaterN(d, Metric, true)));
    while (NextOfDay()) Apply(Apps.Items[std::size_t(NextApp++)]);

    // End of the day: the running totals, the amounts present in the pools, and what
    // the columns do not show beside them.
    FMineralizedN[d] = MineralizedN;
    FDenitrifiedN[d] = DenitrifiedN;
    FVolatilizedN[d] = VolatilizedN;
    FUptakeN[d] = UptakeN;
    FLeachedN[d] = LeachedN;
    TNitrogenPools& Pools = FNitrogenPools[d];
    double LayerNitrate = 0, LayerAmmonium = 0;
    for (int n = 0; n < Count; ++n) {
      const std::size_t i = std::size_t(n);
      LayerNitrate += Nitrate[i] * KgPerPpm[i];
      LayerAmmonium += Ammonium[i] * KgPerPpm[i];
    }
    double SlotAmmonium = 0, Urea = 0, ManureOrganic = 0;
    for (const TAmmoniumSlot& Slot : AmmoniumSlots) SlotAmmonium += Slot.AmmoniumPpm;
    for (const TUreaSlot& Slot : UreaSlots) Urea += Slot.UreaPpm;
    for (const TManureSlot& Slot : ManureSlots) {
      ManureOrganic += std::max(Slot.MineralizablePpm - Slot.MineralizedPpm, 0.0);
    }
    LayerAmmonium += SlotAmmonium * Factor1;
    FNitrateN[d] = Book(LayerNitrate);
    FAmmoniumN[d] = Book(LayerAmmonium);
    Pools.LayerNitrate = FNitrateN[d];
    Pools.LayerAmmonium = FAmmoniumN[d];
    Pools.Urea = Book(Urea * Factor1);
    Pools.ManureOrganic = Book(ManureOrganic * Factor1);
    Pools.SoilMineralized = SoilMineralized;
  }

  // Inputs beyond what the field check allows could still overflow somewhere; such a
  // schedule is refused rather than shown.
  for (int d = 1; d <= Days; ++d) {
    for (double V : {FMineralizedN[d], FAmmoniumN[d], FNitrateN[d], FDenitrifiedN[d],
                     FVolatilizedN[d], FUptakeN[d], FLeachedN[d]}) {
      if (!std::isfinite(V)) {
        throw std::overflow_error("The nitrogen of day " + std::to_string(d) +
                                  " is out of range; check the field's values.");
      }
    }
  }
}
