// libFuzzer target: the weather text-file reader. Any input must read or fail with a
// message naming the file, never crash or hang; what reads must be day lines with real
// dates in 1950-2050 and numeric fields that are numbers or empty.

#include "FuzzSupport.h"
#include "ImpWeathFile.h"

FURROW_FUZZ_TARGET("weather file fuzzer")

namespace {

const QString FileName = QStringLiteral("weather.txt");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TImportedWeatherFile Weather;
  QString ErrMsg;
  if (!Weather.ImportData(FileName, FuzzBytes(Data, Size), ErrMsg)) {
    Check(ErrMsg.startsWith(FileName + u'\n') && ErrMsg.size() > FileName.size() + 1,
          "a failure without a message naming the file");
    return 0;
  }
  Check(ErrMsg.isEmpty(), "success with a message");
  Check(Weather.Count() > 0 && !Weather.SourceName.isEmpty(), "success without days");
  FuzzCheckDays(Weather, Target);
  for (int I = 0; I < Weather.Count(); ++I) {
    const QDate Date = Weather.GetDayDate(I);
    Check(Date.year() >= 1950 && Date.year() <= 2050, "a day outside 1950-2050");
  }
  return 0;
}
