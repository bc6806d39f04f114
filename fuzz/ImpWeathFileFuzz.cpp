// Feeds arbitrary bytes as a weather text file to TImportedWeatherFile::ImportFile and
// checks what comes back: either a message that names the file, or day lines with
// real dates and numeric fields that are numbers or empty.

#include "FuzzSupport.h"
#include "ImpWeathFile.h"

namespace {

const char* const Target = "weather file fuzzer";

void Check(bool Condition, const char* What) { FuzzCheck(Condition, Target, What); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzUseFile(QStringLiteral(".txt"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (!FuzzWriteInput(Data, Size)) return 0;
  const QString& FuzzFileName = ::FuzzFileName();
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
    FuzzCheckDayNumbers(Weather, I, Target);
  }
  return 0;
}
