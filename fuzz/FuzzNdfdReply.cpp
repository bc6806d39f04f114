// libFuzzer target: the forecast service's DWML document. Any input must read or fail
// with a message, never crash or hang; what reads must be day lines from the first
// forecast day on, each line keeping its fields apart (temperatures are passed on as the
// reply gives them).

#include "FuzzSupport.h"
#include "ImpNDFD.h"

FURROW_FUZZ_TARGET("forecast reply fuzzer")

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TImportedNdfd Forecast;
  Forecast.Today = QDate(2024, 12, 30);
  QString ErrMsg;
  if (!Forecast.ParseDwmlData(FuzzBytes(Data, Size), ErrMsg)) {
    Check(!ErrMsg.isEmpty(), "a failure without a message");
    Check(Forecast.Count() == 0, "a failure that leaves days behind");
    return 0;
  }
  Check(ErrMsg.isEmpty(), "success with a message");
  FuzzCheckDays(Forecast, Target, TFuzzDayTexts::Copied);
  for (int I = 0; I < Forecast.Count(); ++I)
    Check(Forecast.GetDayDate(I) == Forecast.Today.addDays(I), "days that do not follow each other");
  return 0;
}
