// Feeds arbitrary bytes as a weather text file to TImportedWeatherFile::ImportFile and
// checks what comes back: either a message that names the file, or day lines with
// real dates and numeric fields that are numbers or empty.

#include "ImpWeathFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString FuzzFileName;

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "weather file fuzzer: %s\n", What);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzFileName = QDir::temp().filePath(
      QStringLiteral("furrow-fuzz-%1.txt").arg(QCoreApplication::applicationPid()));
  std::atexit([] { QFile::remove(FuzzFileName); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  {
    QFile File(FuzzFileName);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    File.write(reinterpret_cast<const char*>(Data), static_cast<qint64>(Size));
  }
  TImportedWeatherFile Weather;
  QString ErrMsg;
  const bool Ok = Weather.ImportFile(FuzzFileName, ErrMsg);
  if (!Ok) {
    Check(ErrMsg.startsWith(FuzzFileName + u'\n') && ErrMsg.size() > FuzzFileName.size() + 1,
          "a failure without a message naming the file");
    return 0;
  }
  Check(ErrMsg.isEmpty(), "success with a message");
  Check(Weather.Count() > 0 && !Weather.SourceName.isEmpty(), "success without days");
  for (int I = 0; I < Weather.Count(); ++I) {
    QDate Date;
    Check(Weather.TryGetDayDate(I, Date), "a day line without a calendar date");
    Check(Date.year() >= 1950 && Date.year() <= 2050, "a day outside 1950-2050");
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
