// libFuzzer target: a web source's day download, as the download hands it to the
// weather file reader (HTML line breaks removed). Any input must read or fail with a
// message, never crash or hang; what reads must be day lines with calendar dates and
// numbers or empty fields.

#include "FuzzSupport.h"
#include "ImpWeathHttp.h"

FURROW_FUZZ_TARGET("web day download fuzzer")

namespace {

const QString FileName = QStringLiteral("download.txt");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QString Content = TImportedWeatherHttp::WithoutLineBreakMarks(DecodeFileText(FuzzBytes(Data, Size)));
  TImportedWeatherHttp Weather;
  QString ErrMsg;
  if (!Weather.ImportData(FileName, (Content + u'\n').toUtf8(), ErrMsg)) {
    Check(!ErrMsg.isEmpty(), "a failure without a message");
    return 0;
  }
  Check(Weather.Count() > 0, "success without days");
  FuzzCheckDays(Weather, Target);
  return 0;
}
