// Time of one schedule calculation on a field that gives the nitrogen pass the most
// work there is: 365 days, 10 complete horizons, all 50 events in use (fertilisers of
// every form and method, irrigation-water nitrate, manures spread, incorporated and
// injected, residue) with frequent irrigation, and a crop with 10 uptake points.
// Measures the whole calculation and the nitrogen pass alone.

#include "BenchFields.h"
#include "SovEventN.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The shipped lookup tables with the first crop given a ten-point uptake curve.
class TBenchLookup : public TSovLookup {
 public:
  TBenchLookup() {
    LoadShippedLookup(*this);
    TCropRec& C = FCrops.at(0);
    C.UptakePointCount = MaxUptakePoints;
    for (int j = 1; j <= MaxUptakePoints; ++j) {
      C.NUptakeGDD[j] = 150 * j;
      C.NUptakeRate[j] = 0.05 + 0.04 * j;
    }
    C.MaxRootGDD = 900;
  }
};

const TSovLookup& NitrogenBenchLookup() {
  static const TBenchLookup* Lookup = new TBenchLookup;
  return *Lookup;
}

// Gives the benchmark the nitrogen pass on its own.
class TNitrogenBenchSchedule : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  void NitrogenPhaseOnly() {
    // The pass starts from the initial nitrate that building the layers leaves in
    // day 1, and from zeroed running totals.
    const double Start = StartingNitrateN();
    FMineralizedN.fill(0);
    FAmmoniumN.fill(0);
    FNitrateN.fill(0);
    FDenitrifiedN.fill(0);
    FVolatilizedN.fill(0);
    FUptakeN.fill(0);
    FLeachedN.fill(0);
    FNitrateN[1] = Start;
    RunNitrogenPhase();
  }
};

std::unique_ptr<TNitrogenBenchSchedule> MaximalNitrogenField() {
  const TSovLookup& L = NitrogenBenchLookup();
  const TFormatSettings Fmt = UsFormatSettings();
  auto F = std::make_unique<TNitrogenBenchSchedule>(L, Fmt);
  auto Num = [&](double V) { return FormatGeneral(V, Fmt); };
  FillMaximalField(*F, Fmt, TBenchWeather{.MaxRain = 30, .RegularIrrigation = true});
  F->SetCell(1, SovCol::ProjectedYield, "11000");
  // 50 events: 20 fertiliser, 10 nitrate, 15 manure, 5 residue.
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    int Code;
    if (Slot <= 20) Code = SovEvent::Fertilizer;
    else if (Slot <= 30) Code = SovEvent::Nitrate;
    else if (Slot <= 45) Code = SovEvent::Manure;
    else Code = SovEvent::Residue;
    F->SetCellInt(Slot, SovCol::EvDay, 1 + (Slot * 7) % 365);
    F->SetCellInt(Slot, SovCol::EvCode, Code);
    switch (Code) {
      case SovEvent::Fertilizer:
        F->SetCellInt(Slot, SovCol::EvKey1, 1 + Slot % L.FertilizerCount());
        F->SetCellInt(Slot, SovCol::EvKey2, 1 + Slot % L.FertAppMethodCount());
        F->SetCell(Slot, SovCol::EvValue, Num(40 + 5 * Slot));
        break;
      case SovEvent::Nitrate:
        F->SetCell(Slot, SovCol::EvValue, Num(5 + Slot % 20));
        break;
      case SovEvent::Manure: {
        const int Manure = 1 + Slot % L.ManureCount();
        F->SetCellInt(Slot, SovCol::EvKey1, Manure);
        F->SetCellInt(Slot, SovCol::EvKey2, 1 + Slot % L.ManureAppMethodCount());
        const bool Liquid = L.Manure(Manure).IsLiquid;
        F->SetCell(Slot, SovCol::EvValue, Liquid ? QString("60000") : QString("25"));
        F->SetCell(Slot, SovCol::EvValue2, Liquid ? QString("3.2") : QString("6.5"));
        F->SetCell(Slot, SovCol::EvValue3, Liquid ? QString("1.6") : QString("2"));
        break;
      }
      default:
        F->SetCell(Slot, SovCol::EvValue, QString::number(10 * (Slot - 45)));
        break;
    }
  }
  CheckField(*F, "Nitrogen bench field invalid");
  F->Calculate();
  if (F->DayCount() != 365 || F->Scalars().LayerCount != 10 || !F->Scalars().HorizonsUsable ||
      !F->Scalars().CropHasUptake || !(F->UptakeN()[365] > 0) || !(F->LeachedN()[365] > 0) ||
      !(F->VolatilizedN()[365] > 0))
    BenchFail("Nitrogen bench field", "does not exercise the whole pass");
  return F;
}

void BM_NitrogenFieldCalculate(benchmark::State& State) {
  auto F = MaximalNitrogenField();
  for (auto _ : State) {
    F->Calculate();
    benchmark::DoNotOptimize(F->NitrateN()[365]);
  }
}
BENCHMARK(BM_NitrogenFieldCalculate)->Unit(benchmark::kMicrosecond);

void BM_NitrogenPhase(benchmark::State& State) {
  auto F = MaximalNitrogenField();
  for (auto _ : State) {
    F->NitrogenPhaseOnly();
    benchmark::DoNotOptimize(F->NitrateN()[365]);
  }
}
BENCHMARK(BM_NitrogenPhase)->Unit(benchmark::kMicrosecond);

}  // namespace
