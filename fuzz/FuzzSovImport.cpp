// libFuzzer target: the weather import from another field data file. Any input must
// import or fail with a message naming the file, never crash or hang; what imports
// must be 365 consecutive days whose lines keep their fields apart, in every user number
// format (a cell that is not a number is passed on as it stands).

#include "FuzzSupport.h"
#include "SovImpWeath.h"

#include <QDate>

FURROW_FUZZ_TARGET("field file weather fuzzer")

namespace {

const QString FileName = QStringLiteral("other.sov");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // The user's number form alternates between a decimal point and a decimal comma.
  const TFormatSettings Format = Size % 2 ? GermanFormatSettings() : UsFormatSettings();
  TSovImportedWeather Weather;
  QString ErrMsg;
  if (!Weather.ImportFieldFileData(FileName, FuzzBytes(Data, Size), FuzzLookup(), Format, ErrMsg)) {
    Check(ErrMsg.contains(FileName), "a failure without a message naming the file");
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
    FuzzCheckDayNumbers(Weather, I, Target, TFuzzDayTexts::Copied);
  }
  return 0;
}
