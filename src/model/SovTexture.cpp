// Soil texture classes, the default available water capacity of a horizon, and the
// water a field's root zone holds according to its horizons.

#include "SovFile.h"
#include "SovTexture.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace {

const std::array<TTextureClass, TextureCount> Textures = {{
    {"GR", "gravel", 0.05},
    {"COS", "coarse sand", 0.05},
    {"S", "sand", 0.07},
    {"FS", "fine sand", 0.07},
    {"VFS", "very fine sand", 0.07},
    {"LCOS", "loamy coarse sand", 0.06},
    {"LS", "loamy sand", 0.07},
    {"LFS", "loamy fine sand", 0.09},
    {"LVFS", "loamy very fine sand", 0.10},
    {"COSL", "coarse sandy loam", 0.10},
    {"SL", "sandy loam", 0.10},
    {"FSL", "fine sandy loam", 0.14},
    {"VFSL", "very fine sandy loam", 0.15},
    {"L", "loam", 0.15},
    {"SIL", "silt loam", 0.16},
    {"SI", "silt", 0.16},
    {"SCL", "sandy clay loam", 0.17},
    {"CL", "clay loam", 0.19},
    {"SICL", "silty clay loam", 0.19},
    {"SC", "sandy clay", 0.15},
    {"SIC", "silty clay", 0.15},
    {"C", "clay", 0.15},
    {"MUCK", "muck", 0.25},
}};

// Percent by which salinity (electrical conductivity, dS/m) lowers the water a plant
// can take up.
double SalinityReductionPct(double EC) {
  if (!(EC > 0)) return 0;
  if (EC <= 12) return 2.5 * EC;
  if (EC <= 15) return 2.67 * EC;
  if (EC <= 20) return 3 * EC;
  if (EC <= 25) return 3.2 * EC;
  if (EC <= 30) return 3 * EC;
  return 95;
}

}  // namespace

const TTextureClass& TextureClass(int Index) {
  if (Index < 1 || Index > TextureCount) throw std::out_of_range("texture class index out of range");
  return Textures[size_t(Index - 1)];
}

int TSovFile::TextureIndex(const QString& Abbreviation) {
  if (Abbreviation.isEmpty()) return 0;
  for (int i = 1; i <= TextureCount; ++i)
    if (Abbreviation.compare(QLatin1String(Textures[size_t(i - 1)].Abbreviation), Qt::CaseInsensitive) == 0)
      return i;
  return 0;
}

bool TSovFile::DefaultAwc(const QString& Texture, double Clay, double CoarseFragmentPct, double EC,
                          double& Awc) {
  Awc = 0;
  const int Index = TextureIndex(Texture);
  if (Index == 0) return false;
  Awc = Textures[size_t(Index - 1)].DefaultAwc;
  if (Index == TextureIndex(QStringLiteral("C")) && Clay >= 60) Awc = 0.14;
  // A fragment share outside 0-100 percent cannot be; keep the result between 0 and
  // the class value.
  double Fragments = std::isfinite(CoarseFragmentPct) ? CoarseFragmentPct : 0;
  if (Fragments < 0) Fragments = 0;
  if (Fragments > 100) Fragments = 100;
  Awc -= Awc * Fragments / 100;
  Awc -= Awc * SalinityReductionPct(EC) / 100;
  return true;
}

bool TSovFile::CalcWaterHoldingCapacity(bool IsMetric, double RootingDepth, double& Capacity,
                                        QString& Msg) const {
  Capacity = 0;
  Msg.clear();
  if (!std::isfinite(RootingDepth)) {
    Msg = QStringLiteral("Rooting depth is invalid.");
    return false;
  }
  if (!IsMetric) RootingDepth = ToMetric(TUnitKind::RootingDepth, RootingDepth);

  // Sum in cm of water; Top is the bottom of the horizon above, in cm.
  double Sum = 0;
  int Top = 0;
  auto Finish = [&](bool Ok) {
    Capacity = Sum * 10;  // cm to mm
    if (!IsMetric) Capacity = FromMetric(TUnitKind::Water, Capacity);
    return Ok;
  };
  auto Fail = [&](const QString& Text) {
    Msg = Text;
    return Finish(false);
  };
  auto AnyDataFrom = [&](int First) {
    for (int j = First; j <= MaxHorizons; ++j)
      if (HorizonHasData(j)) return true;
    return false;
  };

  for (int i = 1; i <= MaxHorizons; ++i) {
    const QString Num = QString::number(i);
    // A root zone that ends on the bottom of the horizon above is complete.
    if (i > 1 && RootingDepth <= Top) break;

    const QString DepthText = GetCell(i, SovCol::HzDepth).trimmed();
    if (DepthText.isEmpty()) {
      // The horizons end above the rooting depth: only what they hold counts. A gap
      // followed by further horizons is an error.
      if (i > 1 && !AnyDataFrom(i)) break;
      return Fail("Horizon " + Num + " is missing depth.");
    }
    if (GetCell(i, SovCol::HzAWC).trimmed().isEmpty()) {
      if (!GetCell(i, SovCol::HzKSat).trimmed().isEmpty() && i > 1) break;
      return Fail("Horizon " + Num + " is missing AWC.");
    }
    int Bottom = 0;
    if (!IsValidInteger(DepthText, SovCol::HzDepth, Bottom))
      return Fail("Horizon " + Num + " has an invalid depth.");
    if (Bottom <= Top)
      return Fail("Horizon " + Num + " is not deeper than horizon " + QString::number(i - 1) + ".");
    const int Thickness = Bottom - Top;
    const double Awc = GetCellFloat(i, SovCol::HzAWC);

    const bool Whole = RootingDepth >= Bottom;
    const double Add = Whole ? Thickness * Awc : (RootingDepth > Top ? (RootingDepth - Top) * Awc : 0.0);
    // An AWC far beyond any soil's would make the capacity overflow.
    if (!std::isfinite((Sum + Add) * 10)) return Fail("Horizon " + Num + " has an invalid AWC.");
    Sum += Add;
    if (!Whole) break;
    Top = Bottom;
  }
  return Finish(true);
}

bool TSovFile::WaterCapacityText(bool IsMetric, int LocationIndex, const QString& RootingDepthText, QString& Text,
                                 QString& Msg) const {
  Text.clear();
  Msg.clear();
  double RootingDepth = 0;
  if (!IsValidNumber(RootingDepthText, SovCol::RootingDepth, IsMetric, IsUSLocation(LocationIndex), UserFormat(), 0,
                     RootingDepth))
    return false;
  double Capacity = 0;
  if (!CalcWaterHoldingCapacity(IsMetric, RootingDepth, Capacity, Msg)) return false;
  Text = FormatFixed(Capacity, 2, UserFormat());
  return true;
}
