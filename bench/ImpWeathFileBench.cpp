// Reading weather text files: a 20-year daily file in the standard CSV layout.

#include "ImpWeathFile.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Writes 20 years of plausible days (7,305 lines with notes on rainy days).
QString WriteTwentyYears(const QTemporaryDir& Dir) {
  const QString Path = Dir.filePath(QStringLiteral("twenty-years.csv"));
  QFile File(Path);
  if (!File.open(QIODevice::WriteOnly)) return QString();
  QByteArray Text =
      "Month,Day,Year,Max Temp (degF),Min Temp (degF),Precip (inch),Irrigation (inch),"
      "Wind Speed (mph),Humidity (%),Notes\r\n";
  const QDate First(2000, 1, 1);
  for (QDate Day = First; Day.year() < 2020; Day = Day.addDays(1)) {
    const int N = static_cast<int>(First.daysTo(Day));
    const int Season = (Day.dayOfYear() * 37) % 365;  // a crude annual cycle
    const int High = 40 + Season / 6 + N % 7;
    const int Low = High - 18 - N % 5;
    const bool Rain = N % 6 == 0;
    Text += QByteArray::number(Day.month()) + ',' + QByteArray::number(Day.day()) + ',' +
            QByteArray::number(Day.year()) + ',' + QByteArray::number(High) + ".5," +
            QByteArray::number(Low) + ".0," + (Rain ? "0.35," : "0.00,") +
            (N % 10 == 3 ? "1.00," : ",") + QByteArray::number(3 + N % 9) + ".2," +
            QByteArray::number(40 + N % 50) + ',' + (Rain ? "\"Rain, some hail\"" : "") + "\r\n";
  }
  File.write(Text);
  return Path;
}

void BM_ImportStandardCsvTwentyYears(benchmark::State& State) {
  QTemporaryDir Dir;
  const QString Path = WriteTwentyYears(Dir);
  if (Path.isEmpty()) {
    State.SkipWithError("cannot write the weather file");
    return;
  }
  int Days = 0;
  for (auto _ : State) {
    TImportedWeatherFile Weather;
    QString ErrMsg;
    if (!Weather.ImportFile(Path, ErrMsg)) {
      State.SkipWithError(ErrMsg.toStdString().c_str());
      return;
    }
    Days = Weather.Count();
    benchmark::DoNotOptimize(Weather.Lines().constData());
  }
  State.counters["days"] = Days;
  State.SetItemsProcessed(State.iterations() * Days);
  State.SetBytesProcessed(State.iterations() * QFile(Path).size());
}
BENCHMARK(BM_ImportStandardCsvTwentyYears)->Unit(benchmark::kMillisecond);

}  // namespace
