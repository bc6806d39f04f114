// Time of the whole road from a field file to both exports on the largest field there
// is: 365 days of weather with notes, 10 horizons, 50 events. Measures load, field
// check, calculation, CSV export and ACE JSON export together and one by one.
//
// The exports end with a sync to disk (a finished export must survive a crash), and on
// a real disk that wait dwarfs the work. So the files go to a folder in memory
// (/dev/shm) where there is one, and the table's CPU column is the figure for our own
// code; the *_Disk runs write to the ordinary temporary folder to show the sync.

#include "BenchFields.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <sys/resource.h>

namespace {

// Writes the maximal field to a field file in Dir and returns its name.
QString WriteMaximalField(const QTemporaryDir& Dir) {
  const TFormatSettings Fmt = UsFormatSettings();
  TSovSchedule F(ShippedLookup(), Fmt);
  QString Msg;
  if (!F.LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-metric.sov", Msg)) BenchFail("Example", Msg);
  auto Num = [&](double V) { return FormatGeneral(V, Fmt); };
  F.SetCell(1, SovCol::CalculationDate, DateToStr(QDate(2014, 4, 14), Fmt));
  F.SetCell(1, SovCol::WeatherStation, "AZ06 \"Maricopa\"");
  const char* Textures[] = {"SL", "SL", "SCL", "SCL", "SCL", "CL", "CL", "L", "L", "SL"};
  for (int h = 1; h <= MaxHorizons; ++h) {
    F.SetCellInt(h, SovCol::HzDepth, 15 * h);
    F.SetCell(h, SovCol::HzTexture, Textures[h - 1]);
    F.SetCell(h, SovCol::HzAWC, Num(0.16 - 0.005 * h));
    F.SetCell(h, SovCol::HzWiltingPoint, Num(0.08 + 0.01 * h));
    F.SetCell(h, SovCol::HzBulkDensity, Num(1.5 + 0.02 * h));
    F.SetCell(h, SovCol::HzKSat, Num(9.5 - 0.5 * h));
    F.SetCell(h, SovCol::HzSilt, "20");
    F.SetCell(h, SovCol::HzClay, Num(15 + h));
    F.SetCell(h, SovCol::HzOM, Num(0.8 / h));
    F.SetCell(h, SovCol::HzpH, Num(8.0 + 0.05 * h));
    F.SetCell(h, SovCol::HzEC, "2");
    F.SetCell(h, SovCol::HzCEC, "14");
  }
  // Events 6-50: fertiliser, nitrate water and manure in turn, every week.
  const TSovLookup& L = ShippedLookup();
  for (int Slot = 6; Slot <= MaxEvents; ++Slot) {
    const int Day = 7 * Slot - 30;
    F.SetCellInt(Slot, SovCol::EvDay, Day);
    F.SetCell(Slot, SovCol::EvNotes, QString("Event %1, \"weekly\"").arg(Slot));
    switch (Slot % 3) {
      case 0:
        F.SetCellInt(Slot, SovCol::EvCode, 1);
        F.SetCellInt(Slot, SovCol::EvKey1, L.FindFertilizer("Urea"));
        F.SetCellInt(Slot, SovCol::EvKey2, L.FindFertAppMethod("Broadcast"));
        F.SetCell(Slot, SovCol::EvValue, "20");
        break;
      case 1:
        F.SetCellInt(Slot, SovCol::EvCode, 2);
        F.SetCell(Slot, SovCol::EvValue, Num(5 + Slot % 7));
        break;
      default:
        F.SetCellInt(Slot, SovCol::EvCode, 3);
        F.SetCellInt(Slot, SovCol::EvKey1, L.FindManure("Dairy solid"));
        F.SetCellInt(Slot, SovCol::EvKey2, 1);
        F.SetCell(Slot, SovCol::EvValue, "2");
        F.SetCell(Slot, SovCol::EvValue2, "12");
        F.SetCell(Slot, SovCol::EvValue3, "2");
        break;
    }
  }
  // Days 185-365 repeat the measured season's weather; every day has a note.
  for (int d = 1; d <= MaxDays; ++d) {
    if (d > 184) {
      for (int Col = SovCol::MaxTemp; Col <= SovCol::Humidity; ++Col) F.SetCell(d, Col, F.GetCell(d - 184, Col));
      if (d % 9 == 0) F.SetCell(d, SovCol::Irrigation, "60");
    }
    if (F.GetCell(d, SovCol::WeatherNotes).isEmpty()) F.SetCell(d, SovCol::WeatherNotes, QString("Day %1, checked").arg(d));
  }
  const QString Name = Dir.filePath("maximal.sov");
  if (!F.SaveToFile(Name, "bench", Msg)) BenchFail("Save", Msg);
  return Name;
}

// A folder in memory when the system has one, else the ordinary temporary folder.
QString MemoryTempTemplate() {
  const QFileInfo Shm(QStringLiteral("/dev/shm"));
  if (Shm.isDir() && Shm.isWritable()) return QStringLiteral("/dev/shm/furrow-bench-XXXXXX");
  return QDir::temp().filePath(QStringLiteral("furrow-bench-XXXXXX"));
}

struct TRun {
  QTemporaryDir Dir{MemoryTempTemplate()};
  QTemporaryDir DiskDir;  // on the disk, for the runs that show the sync
  QString Field;
  TRun() : Field(WriteMaximalField(Dir)) {
    if (!Dir.isValid() || !DiskDir.isValid()) BenchFail("Folder", QStringLiteral("no temporary folder"));
  }
};

const TRun& Run() {
  static const TRun* R = new TRun;
  return *R;
}

std::unique_ptr<TSovSchedule> LoadChecked() {
  auto F = std::make_unique<TSovSchedule>(ShippedLookup(), UsFormatSettings());
  QString Msg;
  if (!F->LoadFromFile(Run().Field, Msg)) BenchFail("Load", Msg);
  CheckField(*F, "Check");
  return F;
}

void Export(const TSovSchedule& F, bool Csv, bool Json, bool ToDisk = false) {
  const QTemporaryDir& Dir = ToDisk ? Run().DiskDir : Run().Dir;
  QString Msg;
  if (Csv && !F.ExportCsv(Dir.filePath("out.csv"), Msg)) BenchFail("CSV", Msg);
  if (Json && !F.ExportAceJson(Dir.filePath("out.json"), 7, true, Msg)) BenchFail("JSON", Msg);
}

std::unique_ptr<TSovSchedule> Calculated() {
  auto F = LoadChecked();
  F->Calculate();
  return F;
}

void BM_LoadCheckCalculateExport(benchmark::State& State) {
  for (auto _ : State) {
    auto F = LoadChecked();
    F->Calculate();
    Export(*F, true, true);
  }
  auto F = LoadChecked();
  F->Calculate();
  if (F->DayCount() != MaxDays || F->Scalars().LayerCount < 8 || !F->Scalars().HorizonsUsable) BenchFail("Field", "not maximal");
}
BENCHMARK(BM_LoadCheckCalculateExport)->Unit(benchmark::kMillisecond);

void BM_LoadAndCheck(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(LoadChecked());
}
BENCHMARK(BM_LoadAndCheck)->Unit(benchmark::kMicrosecond);

void BM_Calculate(benchmark::State& State) {
  auto F = LoadChecked();
  for (auto _ : State) F->Calculate();
}
BENCHMARK(BM_Calculate)->Unit(benchmark::kMicrosecond);

void BM_ExportCsv(benchmark::State& State) {
  auto F = Calculated();
  for (auto _ : State) Export(*F, true, false);
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMicrosecond);

void BM_ExportAceJson(benchmark::State& State) {
  auto F = Calculated();
  for (auto _ : State) Export(*F, false, true);
}
BENCHMARK(BM_ExportAceJson)->Unit(benchmark::kMicrosecond);

// Both exports to the disk: the difference to the CPU column is the wait for the sync.
void BM_ExportBoth_Disk(benchmark::State& State) {
  auto F = Calculated();
  for (auto _ : State) Export(*F, true, true, true);
}
BENCHMARK(BM_ExportBoth_Disk)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The largest field file accepted made of tiny sections (about 600,000 of them): the
// load must stay well under a second and 200 MB. MaxRSS_MB is the process's peak.
void BM_LoadManyTinySections(benchmark::State& State) {
  static const QTemporaryDir Dir;
  const QString Name = Dir.filePath("sections.sov");
  QByteArray Text = "[SovInfo]\r\nFileVersion=2\r\n";
  for (int I = 0; Text.size() + 16 < TSovFile::MaxFileSize; ++I) Text += "[S" + QByteArray::number(I) + "]\r\n";
  QFile File(Name);
  if (!File.open(QIODevice::WriteOnly) || File.write(Text) != Text.size()) BenchFail("Write", Name);
  File.close();
  for (auto _ : State) {
    TSovFile F(ShippedLookup(), UsFormatSettings());
    QString Msg;
    if (!F.LoadFromFile(Name, Msg)) BenchFail("Load", Msg);
  }
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  State.counters["MaxRSS_MB"] = double(Usage.ru_maxrss) / 1024.0;
  State.counters["Bytes"] = double(Text.size());
}
BENCHMARK(BM_LoadManyTinySections)->Unit(benchmark::kMillisecond);

}  // namespace
