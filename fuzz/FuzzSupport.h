#pragma once
// What the fuzz targets share: stopping with a reason, the shipped lookup tables, the
// temporary file an input is written to, and the check of imported day lines.

#include "ImpWeath.h"
#include "MiscUtil.h"
#include "SovLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run with the target's name and what went wrong; libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const char* Target, const char* What) {
  std::fprintf(stderr, "%s: %s\n", Target, What);
  std::abort();
}

inline void FuzzCheck(bool Condition, const char* Target, const char* What) {
  if (!Condition) FuzzFail(Target, What);
}

#ifdef FURROW_FUZZ_LOOKUP_FILE
// The shipped lookup file, read once for the whole run.
inline const TSovLookup& FuzzLookup() {
  static const TSovLookup* Tables = [] {
    auto* L = new TSovLookup();
    QString Msg;
    if (!L->LoadFromFile(QStringLiteral(FURROW_FUZZ_LOOKUP_FILE), Msg)) FuzzFail("lookup file", qPrintable(Msg));
    return L;
  }();
  return *Tables;
}
#endif

// One file in the temporary folder that every input of the run is written to, removed at
// exit. Call Name once from LLVMFuzzerInitialize.
inline QString& FuzzFileName() {
  static QString Name;
  return Name;
}

inline void FuzzUseFile(const QString& Extension) {
  FuzzFileName() = QDir::temp().filePath(
      QStringLiteral("furrow-fuzz-%1%2").arg(QCoreApplication::applicationPid()).arg(Extension));
  std::atexit([] { QFile::remove(FuzzFileName()); });
}

inline bool FuzzWriteInput(const uint8_t* Data, size_t Size) {
  QFile File(FuzzFileName());
  if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return File.write(reinterpret_cast<const char*>(Data), static_cast<qint64>(Size)) == qint64(Size);
}

// Every numeric field of day line I is a number in the importer's form, or empty.
inline void FuzzCheckDayNumbers(const TImportedWeather& Weather, int I, const char* Target) {
  for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
    const QString Text = Weather.GetDayField(I, FieldNo);
    double Value = 0;
    FuzzCheck(Text.isEmpty() || TryStrToFloat(Text, Value, Weather.FormatSettings), Target,
              "a numeric field that is not a number");
  }
}
