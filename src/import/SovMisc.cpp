// Soil horizons from the soil data service into a field.

#include "SovMisc.h"

#include <algorithm>

namespace {

// The service's number text in the user's number format, decimals kept; other text
// as it stands.
QString Converted(const TSovFile& Field, const QString& Text) {
  return TSovFile::ConvertNumberText(Text, TUnitKind::None, Field.UserFormat(), FileFormatSettings(), true, true);
}

double NumberOrZero(const QString& Text) {
  double Value = 0;
  return TryStrToFloat(Text, Value, FileFormatSettings()) ? Value : 0;
}

}  // namespace

void ImportSdmHorizons(TSovFile& Field, const TImportedSdmHorizons& Horizons, QStringList* TextureMessages) {
  for (int Row = 1; Row <= MaxHorizons; ++Row)
    for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) Field.SetCell(Row, Col, QString());

  const int Count = std::min(Horizons.Count(), MaxHorizons);
  for (int I = 1; I <= Count; ++I) {
    auto Value = [&](int F) { return Horizons.Value(I, F); };
    Field.SetCell(I, SovCol::HzDepth, Value(sdmHzdepb));

    QString Texture, Msg;
    Horizons.GetTextureClass(I, Msg, Texture);
    if (TextureMessages && !Msg.isEmpty()) TextureMessages->append(Msg);
    Field.SetCell(I, SovCol::HzTexture, Texture);

    double Awc = 0;
    if (TSovFile::DefaultAwc(Field.GetCell(I, SovCol::HzTexture), NumberOrZero(Value(sdmClaytotal)),
                             Horizons.GetCoarseFragments(I), NumberOrZero(Value(sdmEc)), Awc))
      Field.SetCell(I, SovCol::HzAWC, Field.FloatToUserStr(Awc, 2));

    double WiltingPoint = 0;
    if (Horizons.GetFifteenBarFraction(I, WiltingPoint))
      Field.SetCell(I, SovCol::HzWiltingPoint, Field.FloatToUserStr(WiltingPoint, 2));

    Field.SetCell(I, SovCol::HzBulkDensity, Converted(Field, Value(sdmDbthirdbar)));
    Field.SetCell(I, SovCol::HzKSat, Converted(Field, Value(sdmKsat)));
    Field.SetCell(I, SovCol::HzSand, Converted(Field, Value(sdmSandtotal)));
    Field.SetCell(I, SovCol::HzSilt, Converted(Field, Value(sdmSilttotal)));
    Field.SetCell(I, SovCol::HzClay, Converted(Field, Value(sdmClaytotal)));
    Field.SetCell(I, SovCol::HzOM, Converted(Field, Value(sdmOm)));
    const QString PH = Value(sdmPh1to1h2o).isEmpty() ? Value(sdmPh01mcacl2) : Value(sdmPh1to1h2o);
    Field.SetCell(I, SovCol::HzpH, Converted(Field, PH));
    Field.SetCell(I, SovCol::HzEC, Converted(Field, Value(sdmEc)));
    Field.SetCell(I, SovCol::HzCEC, Converted(Field, Value(sdmCec7)));
  }
}
