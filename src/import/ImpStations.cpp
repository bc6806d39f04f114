#include "ImpStations.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double DegToRad = 0.017453292519943295;  // pi / 180
constexpr double EarthRadiusKm = 6371.0;
constexpr double MilesPerKm = 0.6214;
constexpr int StationBaseFields = 5;  // name, latitude, longitude, elevation, end date

char16_t FoldAscii(char16_t Ch) {
  return (Ch >= u'a' && Ch <= u'z') ? static_cast<char16_t>(Ch - (u'a' - u'A')) : Ch;
}

}  // namespace

int CompareTextAscii(const QString& Text1, const QString& Text2) {
  const qsizetype Length = std::min(Text1.size(), Text2.size());
  for (qsizetype I = 0; I < Length; ++I) {
    const char16_t C1 = FoldAscii(Text1.at(I).unicode());
    const char16_t C2 = FoldAscii(Text2.at(I).unicode());
    if (C1 != C2) return C1 < C2 ? -1 : 1;
  }
  if (Text1.size() == Text2.size()) return 0;
  return Text1.size() < Text2.size() ? -1 : 1;
}

QString BearingToCompass(double Bearing) {
  static const struct {
    double Limit;
    const char* Name;
  } Sectors[] = {
      {11.25, "N"},    {33.75, "NNE"},  {56.25, "NE"},  {78.75, "ENE"},
      {101.25, "E"},   {123.75, "ESE"}, {146.25, "SE"}, {168.75, "SSE"},
      {191.25, "S"},   {213.75, "SSW"}, {236.25, "SW"}, {258.75, "WSW"},
      {281.25, "W"},   {303.75, "WNW"}, {326.25, "NW"}, {348.75, "NNW"},
  };
  for (const auto& Sector : Sectors) {
    if (Bearing <= Sector.Limit) return QString::fromLatin1(Sector.Name);
  }
  return QStringLiteral("N");
}

int BearingFromAngle(double AngleDegrees) {
  if (!std::isfinite(AngleDegrees)) return 0;
  const int64_t Rounded = RoundHalfEven(std::fmod(AngleDegrees, 360.0) + 360);
  return static_cast<int>(((Rounded % 360) + 360) % 360);
}

TImportedStations::TImportedStations() {
  Parser.Delimiter = u',';
  Parser.Quote = QChar();
  Parser.Escape = u'\\';
  FormatSettings.DecimalSeparator = u'.';
  FormatSettings.ThousandSeparator = QChar();
}

void TImportedStations::AddStation(const QString& StationID, const QStringList& Fields) {
  // The identifier is the line's name: an empty one or one holding "=" would read back
  // as another station.
  if (StationID.isEmpty() || StationID.contains(u'=')) return;
  QStringList Escaped;
  for (const QString& Field : Fields) Escaped.append(Parser.EscapeText(Field));
  AddPair(StationID, Escaped.join(u','));
}

QString TImportedStations::GetStationField(int Index, int FieldNo) const {
  if (Index < 0 || Index >= Count() || FieldNo < 1) return QString();
  return Parser.Unescape(FieldAt(SplitFields(Parser, ValueFromIndex(Index)), FieldNo));
}

QString TImportedStations::GetStationID(int Index) const {
  if (Index < 0 || Index >= Count()) return QString();
  return Names(Index);
}

QString TImportedStations::GetStationName(int Index) const {
  return GetStationField(Index, sfName);
}
QString TImportedStations::GetLatitude(int Index) const {
  return GetStationField(Index, sfLatitude);
}
QString TImportedStations::GetLongitude(int Index) const {
  return GetStationField(Index, sfLongitude);
}
QString TImportedStations::GetElevation(int Index) const {
  return GetStationField(Index, sfElevation);
}
QString TImportedStations::GetEndDate(int Index) const {
  return GetStationField(Index, sfEndDate);
}
QString TImportedStations::GetDistanceText(int Index) const {
  return GetStationField(Index, sfDistance);
}
QString TImportedStations::GetBearingText(int Index) const {
  return GetStationField(Index, sfBearing);
}
QString TImportedStations::GetDirection(int Index) const {
  return GetStationField(Index, sfDirection);
}

double TImportedStations::GetDistance(int Index) const {
  double Distance = 0;
  if (!TryStrToFloat(GetDistanceText(Index), Distance, FormatSettings)) return 0;
  return Distance;
}

void TImportedStations::AddStationDistances(bool IsMetric, double Latitude, double Longitude) {
  Metric = IsMetric;
  if (!std::isfinite(Latitude) || !std::isfinite(Longitude)) return;
  const double Phi1 = Latitude * DegToRad;
  const double Lambda1 = Longitude * DegToRad;
  for (int I = 0; I < Count(); ++I) {
    double StationLat = 0, StationLon = 0;
    if (!TryStrToFloat(GetLatitude(I), StationLat, FormatSettings) ||
        !TryStrToFloat(GetLongitude(I), StationLon, FormatSettings)) {
      continue;
    }
    // A latitude beyond a pole or a longitude beyond a full turn is a broken entry of the
    // station table: a distance and direction worked out from it would be made up.
    if (std::fabs(StationLat) > 90 || std::fabs(StationLon) > 360) continue;
    const double Phi2 = StationLat * DegToRad;
    const double Lambda2 = StationLon * DegToRad;

    // Equirectangular approximation on a sphere.
    const double X = std::cos((Phi2 + Phi1) / 2) * (Lambda2 - Lambda1);
    const double Y = Phi2 - Phi1;
    double Distance = std::sqrt(X * X + Y * Y) * EarthRadiusKm;
    if (!IsMetric) Distance *= MilesPerKm;

    // Initial bearing from the field to the station.
    const double Angle =
        std::atan2(std::sin(Lambda2 - Lambda1) * std::cos(Phi2),
                   std::cos(Phi1) * std::sin(Phi2) -
                       std::sin(Phi1) * std::cos(Phi2) * std::cos(Lambda2 - Lambda1)) *
        180 / std::numbers::pi;
    if (!std::isfinite(Distance) || !std::isfinite(Angle)) continue;
    const int Bearing = BearingFromAngle(Angle);

    // The new fields go to 6-8 whatever the line held: missing fields are added empty,
    // and fields from an earlier call are replaced. Merely appended, a line short of
    // five fields would have its bearing or compass point read, shown and sorted as the
    // distance (field 6), and a second call would leave the old distance in place.
    QStringList Fields = SplitFields(Parser, ValueFromIndex(I));
    while (Fields.size() < StationBaseFields) Fields.append(QString());
    Fields = Fields.mid(0, StationBaseFields);
    Fields.append(FormatFixed(Distance, 1, FormatSettings));
    Fields.append(QString::number(Bearing));
    Fields.append(BearingToCompass(Bearing));
    SetValueFromIndex(I, Fields.join(u','));
  }
}

namespace {

struct TStationKey {
  QString Line;
  QString ID;
  QString Name;
  QString Direction;
  bool HasDistance = false;
  double Distance = 0;
};

// Name ascending or descending, empty names last; ties by identifier ascending.
bool NameLess(const TStationKey& A, const TStationKey& B, bool Ascending) {
  if (A.Name.isEmpty() != B.Name.isEmpty()) return !A.Name.isEmpty();
  if (!A.Name.isEmpty()) {
    const int C = CompareTextAscii(A.Name, B.Name);
    if (C != 0) return Ascending ? C < 0 : C > 0;
  }
  return CompareTextAscii(A.ID, B.ID) < 0;
}

}  // namespace

template <typename TLess>
static void SortStations(TImportedStations& Stations, QStringList& Lines, TLess Less) {
  std::vector<TStationKey> Keys;
  Keys.reserve(static_cast<size_t>(Lines.size()));
  for (int I = 0; I < Lines.size(); ++I) {
    TStationKey Key;
    Key.Line = Lines.at(I);
    Key.ID = Stations.GetStationID(I);
    Key.Name = Stations.GetStationName(I);
    Key.Direction = Stations.GetDirection(I);
    Key.HasDistance =
        TryStrToFloat(Stations.GetDistanceText(I), Key.Distance, Stations.FormatSettings);
    if (!Key.HasDistance) Key.Distance = 0;
    Keys.push_back(std::move(Key));
  }
  std::stable_sort(Keys.begin(), Keys.end(), Less);
  for (int I = 0; I < Lines.size(); ++I) Lines[I] = Keys[static_cast<size_t>(I)].Line;
}

void TImportedStations::SortByID(bool Ascending) {
  SortStations(*this, FLines, [Ascending](const TStationKey& A, const TStationKey& B) {
    return Ascending ? CompareTextAscii(A.ID, B.ID) < 0 : CompareTextAscii(B.ID, A.ID) < 0;
  });
}

void TImportedStations::SortByName(bool Ascending) {
  SortStations(*this, FLines, [Ascending](const TStationKey& A, const TStationKey& B) {
    return NameLess(A, B, Ascending);
  });
}

void TImportedStations::SortByDistance(bool Ascending) {
  SortStations(*this, FLines, [Ascending](const TStationKey& A, const TStationKey& B) {
    if (A.HasDistance != B.HasDistance) return A.HasDistance;
    if (A.HasDistance && A.Distance != B.Distance) {
      return Ascending ? A.Distance < B.Distance : A.Distance > B.Distance;
    }
    return NameLess(A, B, true);
  });
}

void TImportedStations::SortByDirection(bool Ascending) {
  SortStations(*this, FLines, [Ascending](const TStationKey& A, const TStationKey& B) {
    if (A.Direction.isEmpty() != B.Direction.isEmpty()) return !A.Direction.isEmpty();
    if (!A.Direction.isEmpty()) {
      const int C = CompareTextAscii(A.Direction, B.Direction);
      if (C != 0) return Ascending ? C < 0 : C > 0;
    }
    return NameLess(A, B, true);
  });
}
