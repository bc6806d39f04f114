// Time of one schedule calculation on a field that gives the nitrogen pass the most
// work there is: 365 days, 10 complete horizons, all 50 events in use (fertilisers of
// every form and method, irrigation-water nitrate, manures spread, incorporated and
// injected, residue) with frequent irrigation, and a crop with 10 uptake points.
// Measures the whole calculation and the nitrogen pass alone.

#include "SovEventN.h"
#include "SovSched.h"

#include <benchmark/benchmark.h>

#include <QDate>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

// The shipped lookup tables with the first crop given a ten-point uptake curve.
class TBenchLookup : public TSovLookup {
 public:
  TBenchLookup() {
    QString Msg;
    if (!LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) {
      std::fprintf(stderr, "%s\n", qPrintable(Msg));
      std::exit(1);
    }
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
  F->SetIsMetric(true);
  F->SetLocation(1);
  F->SetCrop(1);
  F->SetPreviousCrop(1);
  F->SetCell(1, SovCol::Latitude, "43.5");
  F->SetCell(1, SovCol::Longitude, "-89.4");
  F->SetCell(1, SovCol::Elevation, "270");
  F->SetCell(1, SovCol::StartingDate, DateToStr(QDate(2015, 1, 1), Fmt));
  F->SetCell(1, SovCol::EmergenceDate, DateToStr(QDate(2015, 3, 1), Fmt));
  F->SetCell(1, SovCol::CalculationDate, DateToStr(QDate(2015, 12, 31), Fmt));
  F->SetCell(1, SovCol::GrowingSeason, "200");
  F->SetCell(1, SovCol::ProjectedYield, "11000");
  F->SetCell(1, SovCol::RootingDepth, "150");
  F->SetCell(1, SovCol::WaterHoldingCapacity, "240");
  F->SetCell(1, SovCol::MinimumMoisture, "50");
  F->SetCell(1, SovCol::IrrigationEfficiency, "85");
  F->SetCell(1, SovCol::StartingMoisture, "90");
  F->SetCell(1, SovCol::StartingResidue, "30");
  F->SetCell(1, SovCol::OrganicMatter, "2.5");
  const char* Textures[] = {"SIL", "SIL", "SICL", "SICL", "CL", "CL", "L", "L", "SL", "LS"};
  for (int h = 1; h <= 10; ++h) {
    F->SetCellInt(h, SovCol::HzDepth, 15 * h);
    F->SetCell(h, SovCol::HzTexture, Textures[h - 1]);
    F->SetCell(h, SovCol::HzAWC, Num(0.22 - 0.01 * h));
    F->SetCell(h, SovCol::HzWiltingPoint, Num(0.10 + 0.01 * h));
    F->SetCell(h, SovCol::HzBulkDensity, Num(1.3 + 0.03 * h));
    F->SetCell(h, SovCol::HzKSat, "9");
    F->SetCell(h, SovCol::HzOM, Num(3.0 / h));
    F->SetCell(h, SovCol::HzpH, Num(6.0 + 0.1 * h));
    F->SetCell(h, SovCol::HzCEC, "15");
  }
  // 50 events: 20 fertiliser, 10 nitrate, 15 manure, 5 residue.
  std::mt19937 Rng(2015);
  std::uniform_real_distribution<double> U(0, 1);
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
  for (int d = 1; d <= 365; ++d) {
    const double High = 12 + 14 * std::sin(2 * M_PI * (d - 110) / 365.0) + 6 * U(Rng);
    F->SetCell(d, SovCol::MaxTemp, Num(std::round(High * 10) / 10));
    F->SetCell(d, SovCol::MinTemp, Num(std::round((High - 4 - 10 * U(Rng)) * 10) / 10));
    if (U(Rng) < 0.3) F->SetCell(d, SovCol::Precip, Num(std::round(30 * U(Rng) * 10) / 10));
    if (d % 5 == 0 && d > 90 && d < 280) F->SetCell(d, SovCol::Irrigation, "25");
    if (U(Rng) < 0.8) F->SetCell(d, SovCol::WindSpeed, Num(std::round(60 * U(Rng)) / 10));
    if (U(Rng) < 0.8) F->SetCell(d, SovCol::Humidity, QString::number(30 + int(60 * U(Rng))));
  }

  QString Form;
  int Row = 0, Col = 0;
  if (!F->CheckFieldData(false, Form, Row, Col)) {
    std::fprintf(stderr, "Nitrogen bench field invalid: %s (column %d, row %d)\n", qPrintable(Form), Col, Row);
    std::exit(1);
  }
  F->Calculate();
  if (F->DayCount() != 365 || F->Scalars().LayerCount != 10 || !F->Scalars().HorizonsUsable ||
      !F->Scalars().CropHasUptake || !(F->UptakeN()[365] > 0) || !(F->LeachedN()[365] > 0) ||
      !(F->VolatilizedN()[365] > 0)) {
    std::fprintf(stderr, "Nitrogen bench field does not exercise the whole pass\n");
    std::exit(1);
  }
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
