#pragma once
// The weather stations a web source offers near the field: one line per station,
// "identifier=name,latitude,longitude,elevation,end date,distance,bearing,direction",
// each field escaped ("\" before "," and "\"), with the distance and bearing from the
// field and four sort orders.

#include "ImpWeath.h"

#include <QString>
#include <QStringList>

// Field numbers (1-based) of a station line's value.
enum TStationField : int {
  sfName = 1,
  sfLatitude = 2,
  sfLongitude = 3,
  sfElevation = 4,
  sfEndDate = 5,
  sfDistance = 6,
  sfBearing = 7,
  sfDirection = 8,
};

// The 16-point compass direction of a bearing in degrees: a bearing on a sector's
// upper limit belongs to that sector (11.25 is "N", 11.26 "NNE").
QString BearingToCompass(double Bearing);

// A bearing angle in degrees (-180 to 180, as atan2 gives it) as whole degrees 0-359:
// the angle plus 360 rounded with halves to the even neighbour, modulo 360.
int BearingFromAngle(double AngleDegrees);

// Case-insensitive comparison of texts that folds only the ASCII letters; negative,
// zero or positive.
int CompareTextAscii(const QString& Text1, const QString& Text2);

class TImportedStations : public TNameValueList {
 public:
  TImportedStations();
  ~TImportedStations() override = default;

  // Splits station values: ",", no quote, escape "\".
  TMyLineParser Parser;
  // Distances are in kilometres (True) or miles (False).
  bool Metric = false;
  // "." and no thousands separator.
  TFormatSettings FormatSettings;

  // Adds a station line from unescaped field texts (name first; up to eight). A station
  // whose identifier is empty or holds "=" is left out.
  void AddStation(const QString& StationID, const QStringList& Fields);

  // Getters by line Index (0-based): the unescaped text of one field, empty when the
  // line has fewer fields or Index is out of range.
  QString GetStationID(int Index) const;
  QString GetStationName(int Index) const;
  QString GetLatitude(int Index) const;
  QString GetLongitude(int Index) const;
  QString GetElevation(int Index) const;
  QString GetEndDate(int Index) const;
  QString GetDistanceText(int Index) const;
  QString GetBearingText(int Index) const;
  QString GetDirection(int Index) const;
  // The distance as a number; 0 when it is missing or not a number.
  double GetDistance(int Index) const;
  // Field FieldNo (1-based) of line Index, unescaped.
  QString GetStationField(int Index, int FieldNo) const;

  // Distance, bearing and compass direction from the field at Latitude, Longitude
  // (decimal degrees) to every station with usable coordinates, as fields 6-8. Stations
  // without coordinates, or with coordinates off the globe, are left unchanged.
  void AddStationDistances(bool IsMetric, double Latitude, double Longitude);

  // Stable sorts. By identifier: no tie-break. By name: empty names last, ties by
  // identifier. By distance: stations with a distance first, ties by name ascending,
  // the rest by name ascending. By direction: empty directions last, ties by name
  // ascending.
  void SortByID(bool Ascending);
  void SortByName(bool Ascending);
  void SortByDistance(bool Ascending);
  void SortByDirection(bool Ascending);
};
