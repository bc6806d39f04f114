// libFuzzer target: the soil data service's reply. The input is the whole SOAP reply;
// its diffgram is read as each of the three queries would read it (survey areas, map
// units, horizons). An input that is not a reply envelope is read as a diffgram. Any
// input must read or fail with a message, never crash or hang; the horizons' derived
// values must be finite.

#include "FuzzSupport.h"
#include "ImpSDM.h"
#include "SDMTabularService.h"

#include <exception>

FURROW_FUZZ_TARGET("soil service reply fuzzer")

namespace {

QByteArray Diffgram(const QByteArray& Reply) {
  try {
    const auto Read = TSoapReply::Read({200, Reply}, QStringLiteral("http://127.0.0.1/"));
    const auto Response = ReadRunQueryResponse(Read->Body());
    return Response ? Response->RunQueryResult.diffgram.Data.toUtf8() : QByteArray();
  } catch (const std::exception&) {
    return Reply;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QByteArray Rows = Diffgram(FuzzBytes(Data, Size));
  QString ErrMsg;
  TImportedSdmSurveys Surveys;
  if (!Surveys.ReadReply(Rows, ErrMsg)) {
    Check(!ErrMsg.isEmpty(), "a failure without a message");
    Check(Surveys.Count() == 0, "a failure that leaves areas behind");
  }
  TImportedSdmSoils Soils;
  if (Soils.ReadReply(Rows, ErrMsg)) {
    for (int I = 0; I < Soils.Count(); ++I) Soils.GetMapUnitSymbol(I);
  }
  TImportedSdmHorizons Horizons;
  if (!Horizons.ReadReply(Rows, ErrMsg)) {
    Check(Horizons.Count() == 0, "a failure that leaves horizons behind");
    return 0;
  }
  Check(Horizons.Count() <= SdmMaxHorizons, "more horizons than a field holds");
  for (int I = 1; I <= Horizons.Count(); ++I) {
    QString Msg, Texture;
    Horizons.GetTextureClass(I, Msg, Texture);
    double Fraction = 0;
    Horizons.GetFifteenBarFraction(I, Fraction);
    Check(std::isfinite(Fraction), "a wilting point that is not finite");
    Check(std::isfinite(Horizons.GetCoarseFragments(I)), "coarse fragments that are not finite");
  }
  return 0;
}
