// libFuzzer target: the weather import from another field data file. Any input must
// import or fail with a message naming the file, never crash or hang; what imports
// must be 365 consecutive days whose numeric fields are "." numbers or empty, in every
// user number format.

#include "SovImpWeath.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString FuzzFileName;

const TSovLookup& Lookup() {
  static const TSovLookup* Tables = [] {
    auto* L = new TSovLookup();
    QString Msg;
    if (!L->LoadFromFile(QStringLiteral(FURROW_FUZZ_LOOKUP_FILE), Msg)) {
      std::fprintf(stderr, "%s\n", qPrintable(Msg));
      std::abort();
    }
    return L;
  }();
  return *Tables;
}

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "field file weather fuzzer: %s\n", What);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Lookup();
  FuzzFileName = QDir::temp().filePath(
      QStringLiteral("furrow-fuzz-%1.sov").arg(QCoreApplication::applicationPid()));
  std::atexit([] { QFile::remove(FuzzFileName); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  {
    QFile File(FuzzFileName);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    File.write(reinterpret_cast<const char*>(Data), static_cast<qint64>(Size));
  }
  // The user's number form alternates between a decimal point and a decimal comma.
  const TFormatSettings Format = Size % 2 ? GermanFormatSettings() : UsFormatSettings();
  TSovImportedWeather Weather;
  QString ErrMsg;
  if (!Weather.ImportFileOrFieldFile(FuzzFileName, Lookup(), Format, ErrMsg)) {
    Check(ErrMsg.contains(FuzzFileName), "a failure without a message naming the file");
    Check(Weather.Count() == 0, "a failure that leaves days behind");
    return 0;
  }
  Check(Weather.Count() == 365, "a field file import without 365 days");
  QDate Previous;
  for (int I = 0; I < Weather.Count(); ++I) {
    QDate Date;
    Check(Weather.TryGetDayDate(I, Date), "a day line without a calendar date");
    Check(I == 0 || Previous.daysTo(Date) == 1, "days that do not follow each other");
    Previous = Date;
    for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity,
                        dfIrrigation}) {
      const QString Text = Weather.GetDayField(I, FieldNo);
      double Value = 0;
      Check(Text.isEmpty() || TryStrToFloat(Text, Value, Weather.FormatSettings),
            "a numeric field that is not a number");
    }
  }
  return 0;
}
