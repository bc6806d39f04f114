// Time of one schedule calculation on the largest field there is: 365 days of weather,
// 10 complete horizons down to the rooting depth, a crop with stage marks and
// frozen days. Measures the whole calculation and the daily water phase alone.

#include "BenchFields.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Gives the benchmark the single water phase.
class TBenchSchedule : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  void WaterPhaseOnly() { RunWaterPhase(); }
};

// The largest field with five residue events and stage marks.
std::unique_ptr<TBenchSchedule> MaximalField() {
  auto F = std::make_unique<TBenchSchedule>(ShippedLookup(), UsFormatSettings());
  FillMaximalField(*F, UsFormatSettings());
  for (int Slot = 1; Slot <= 5; ++Slot) {
    F->SetCellInt(Slot, SovCol::EvDay, 40 + 60 * Slot);
    F->SetCellInt(Slot, SovCol::EvCode, 4);
    F->SetCell(Slot, SovCol::EvValue, QString::number(10 * Slot));
  }
  F->SetCell(20, SovCol::GrowthStage, "Z");
  F->SetCell(45, SovCol::GrowthStage, "S");
  F->SetCell(100, SovCol::GrowthStage, "D");
  F->SetCell(140, SovCol::GrowthStage, "M");
  F->SetCell(230, SovCol::GrowthStage, "L");
  F->SetCell(340, SovCol::GrowthStage, "Z");
  CheckField(*F, "Bench field invalid");
  F->Calculate();
  if (F->DayCount() != 365 || F->Scalars().LayerCount != 10 || !F->Scalars().HorizonsUsable)
    BenchFail("Bench field", "not maximal");
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

// The shipped metric example (184 days), with the time per simulated day as the
// counter "per_day" (seconds).
void BM_ExampleFieldPerDay(benchmark::State& State) {
  TSovSchedule F(ShippedLookup(), UsFormatSettings());
  QString Msg;
  if (!F.LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-metric.sov", Msg)) BenchFail("Example", Msg);
  CheckField(F, "Example invalid");
  F.Calculate();
  const int Days = F.DayCount();
  for (auto _ : State) {
    F.Calculate();
    benchmark::DoNotOptimize(F.SoilMoisture()[Days]);
  }
  State.counters["per_day"] = benchmark::Counter(double(State.iterations()) * Days,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ExampleFieldPerDay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
