#pragma once
// Weather for the field interpolated from several stations of one web source, each
// weighted by the inverse square of its distance from the field.

#include "ImpWeathHttp.h"

#include <QDate>
#include <QString>

#include <vector>

// One station taking part: its identifier at the web source and its distance from the
// field (in the station list's unit).
struct TStationRec {
  QString StationID;
  double Distance = 0;
};
using TStationRecArray = std::vector<TStationRec>;

extern const char* const MsgInterpolationStations;  // "Interpolation requires at least 2 stations."

class TImportedWeatherInterp : public TImportedWeatherHttp {
 public:
  // Downloads each station's days (through ImportWeb, with this object's hosts and HTTP
  // options) and fills this list with one day line for each date of the station with
  // the most days: maximum, minimum and mean temperature, precipitation, wind and
  // humidity, each the distance-weighted mean of the stations that have a number for
  // it on that date (one decimal), empty when none has. Fails on fewer than 2
  // stations, a distance that is not a positive number, a failing station (the message
  // names it), or stations that report in different units. HttpOptions.Progress shows
  // which station is being downloaded, n of m; a cancel ends the whole interpolation.
  bool Interpolate(const QString& SourceID, const TStationRecArray& Stations,
                   const QDate& StartDate, const QDate& EndDate, QString& ErrMsg);
};
