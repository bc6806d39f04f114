// Time of one schedule calculation on the largest field there is: 365 days of weather,
// 10 complete horizons down to the rooting depth, a crop with stage marks and
// frozen days. Measures the whole calculation and the daily water phase alone.

#include "SovSched.h"

#include <benchmark/benchmark.h>

#include <QDate>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

const TSovLookup& BenchLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    if (!L->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) {
      std::fprintf(stderr, "%s\n", qPrintable(Msg));
      std::exit(1);
    }
    return L;
  }();
  return *Lookup;
}

// Gives the benchmark the single water phase.
class TBenchSchedule : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  void WaterPhaseOnly() { RunWaterPhase(); }
};

std::unique_ptr<TBenchSchedule> MaximalField() {
  const TSovLookup& L = BenchLookup();
  const TFormatSettings Fmt = UsFormatSettings();
  auto F = std::make_unique<TBenchSchedule>(L, Fmt);
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
  for (int Slot = 1; Slot <= 5; ++Slot) {
    F->SetCellInt(Slot, SovCol::EvDay, 40 + 60 * Slot);
    F->SetCellInt(Slot, SovCol::EvCode, 4);
    F->SetCell(Slot, SovCol::EvValue, QString::number(10 * Slot));
  }
  std::mt19937 Rng(2015);
  std::uniform_real_distribution<double> U(0, 1);
  for (int d = 1; d <= 365; ++d) {
    const double High = 12 + 14 * std::sin(2 * M_PI * (d - 110) / 365.0) + 6 * U(Rng);
    F->SetCell(d, SovCol::MaxTemp, Num(std::round(High * 10) / 10));
    F->SetCell(d, SovCol::MinTemp, Num(std::round((High - 4 - 10 * U(Rng)) * 10) / 10));
    if (U(Rng) < 0.3) F->SetCell(d, SovCol::Precip, Num(std::round(20 * U(Rng) * 10) / 10));
    if (U(Rng) < 0.05) F->SetCell(d, SovCol::Irrigation, "25");
    if (U(Rng) < 0.8) F->SetCell(d, SovCol::WindSpeed, Num(std::round(60 * U(Rng)) / 10));
    if (U(Rng) < 0.8) F->SetCell(d, SovCol::Humidity, QString::number(30 + int(60 * U(Rng))));
  }
  F->SetCell(20, SovCol::GrowthStage, "Z");
  F->SetCell(45, SovCol::GrowthStage, "S");
  F->SetCell(100, SovCol::GrowthStage, "D");
  F->SetCell(140, SovCol::GrowthStage, "M");
  F->SetCell(230, SovCol::GrowthStage, "L");
  F->SetCell(340, SovCol::GrowthStage, "Z");

  QString Form;
  int Row = 0, Col = 0;
  if (!F->CheckFieldData(false, Form, Row, Col)) {
    std::fprintf(stderr, "Bench field invalid: %s (column %d, row %d)\n", qPrintable(Form), Col, Row);
    std::exit(1);
  }
  F->Calculate();
  if (F->DayCount() != 365 || F->Scalars().LayerCount != 10 || !F->Scalars().HorizonsUsable) {
    std::fprintf(stderr, "Bench field is not maximal\n");
    std::exit(1);
  }
  return F;
}

void BM_ScheduleCalculate(benchmark::State& State) {
  auto F = MaximalField();
  for (auto _ : State) {
    F->Calculate();
    benchmark::DoNotOptimize(F->SoilMoisture()[365]);
  }
}
BENCHMARK(BM_ScheduleCalculate)->Unit(benchmark::kMicrosecond);

void BM_ScheduleWaterPhase(benchmark::State& State) {
  auto F = MaximalField();
  for (auto _ : State) {
    F->WaterPhaseOnly();
    benchmark::DoNotOptimize(F->SoilMoisture()[365]);
  }
}
BENCHMARK(BM_ScheduleWaterPhase)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
