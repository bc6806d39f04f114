#include "ImpWeathInterp.h"

#include "MiscUtil.h"

#include <QHash>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

const char* const MsgInterpolationStations = "Interpolation requires at least 2 stations.";

namespace {

// Fields 1-6 of the day lines: the temperatures, precipitation, wind and humidity.
constexpr int InterpolatedFields = dfHumidity;

struct TStationDays {
  std::unique_ptr<TImportedWeatherHttp> Weather;
  QHash<QString, int> DayIndex;  // date name -> its first day line
  double Weight = 0;             // 1 / distance squared
};

}  // namespace

bool TImportedWeatherInterp::Interpolate(const QString& SourceID, const TStationRecArray& Stations,
                                         const QDate& StartDate, const QDate& EndDate,
                                         QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  if (Stations.size() < 2) {
    ErrMsg = QLatin1String(MsgInterpolationStations);
    return false;
  }
  std::vector<TStationDays> Days(Stations.size());
  for (size_t I = 0; I < Stations.size(); ++I) {
    const double Distance = Stations[I].Distance;
    const double Weight = 1 / std::pow(Distance, 2.0);
    // A distance so small or so large that its weight is no usable number counts as
    // invalid too.
    if (!(Distance > 0) || !std::isfinite(Distance) || !std::isfinite(Weight) || !(Weight > 0)) {
      ErrMsg = QStringLiteral("Distance to station ") + Stations[I].StationID +
               QStringLiteral(" is 0 or invalid.");
      return false;
    }
    Days[I].Weight = Weight;
  }

  for (size_t I = 0; I < Stations.size(); ++I) {
    auto Weather = std::make_unique<TImportedWeatherHttp>();
    Weather->Hosts = Hosts;
    Weather->HttpOptions = HttpOptions;
    const QString Step = QStringLiteral("Downloading the weather data of station %1 (%2 of %3) from %4")
                             .arg(Stations[I].StationID.trimmed().toUpper())
                             .arg(I + 1)
                             .arg(Stations.size())
                             .arg(SourceID);
    if (!Weather->ImportWeb(SourceID, Stations[I].StationID, StartDate, EndDate, ErrMsg, Step)) {
      return false;
    }
    for (int D = Weather->Count() - 1; D >= 0; --D) Days[I].DayIndex.insert(Weather->Names(D), D);
    Days[I].Weather = std::move(Weather);
  }

  // Means of values in different units would be meaningless: a station in degrees C
  // weighed with one in degrees F gives temperatures in neither.
  const TImportedWeatherHttp& First = *Days.front().Weather;
  for (size_t I = 1; I < Days.size(); ++I) {
    const TImportedWeatherHttp& Other = *Days[I].Weather;
    if (Other.Metric != First.Metric || Other.UnitsUnstated != First.UnitsUnstated) {
      ErrMsg = QStringLiteral("Stations ") + Stations.front().StationID + QStringLiteral(" and ") +
               Stations[I].StationID + QStringLiteral(" report their data in different units.");
      return false;
    }
  }

  ResetFacts();
  SourceName = First.SourceName;
  Metric = First.Metric;
  UnitsUnstated = First.UnitsUnstated;
  FormatSettings = First.FormatSettings;
  for (int K : {wkTemperature, wkPrecipitation, wkWind, wkHumidity}) {
    Has[K] = First.Has[K];
    Use[K] = First.Use[K];
  }

  // The station with the most days gives the dates; of equal counts the earlier one.
  size_t Reference = 0;
  for (size_t I = 1; I < Days.size(); ++I) {
    if (Days[I].Weather->Count() > Days[Reference].Weather->Count()) Reference = I;
  }
  const TImportedWeatherHttp& RefWeather = *Days[Reference].Weather;
  for (int D = 0; D < RefWeather.Count(); ++D) {
    const QString Name = RefWeather.Names(D);
    // The day line of each station that has the day, split once for all its fields.
    std::vector<std::pair<const TStationDays*, QStringList>> Lines;
    for (const TStationDays& Station : Days) {
      const auto Found = Station.DayIndex.constFind(Name);
      if (Found != Station.DayIndex.constEnd())
        Lines.emplace_back(&Station, Station.Weather->GetDayFields(Found.value()));
    }
    QString Value;
    for (int Field = 1; Field <= InterpolatedFields; ++Field) {
      double Sum = 0, WeightSum = 0;
      for (const auto& [Station, Fields] : Lines) {
        double V = 0;
        if (!TryStrToFloat(FieldAt(Fields, Field), V, Station->Weather->FormatSettings)) continue;
        Sum += V * Station->Weight;
        WeightSum += Station->Weight;
      }
      if (WeightSum > 0) Value += FormatFixed(Sum / WeightSum, 1, FormatSettings);
      Value += u',';
    }
    AddPair(Name, Value);
  }
  ErrMsg.clear();
  return true;
}
