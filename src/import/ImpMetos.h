#pragma once
// The importer of the Metos weather-station service: the stations of the user's
// account, and one station's daily maximum and minimum temperature, precipitation,
// wind and humidity as day lines "yyyymmdd=max,min,,precip,wind,humidity".
//
// The account's name and password are typed for each import and passed straight into
// the request; they are neither kept by these objects nor written into any message.

#include "ImpWeath.h"
#include "SoapBase.h"
#include "metos.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>

// The account's stations, one line each: the station's name (what the data calls
// take), "=", then the text shown to the user: its own name for the station, " (",
// its description and ")".
class TImportedMetosStations : public TNameValueList {
 public:
  // The service's address; empty for its usual endpoint.
  QString ServiceAddress;
  TSoapTransportOptions TransportOptions;

  // Replaces the list with the account's stations. False with ErrMsg when the call
  // fails or the reply lacks what is needed; the list is then empty. A station whose
  // name is empty or holds "=" cannot be asked for its data and is left out.
  bool GetMetosStations(const QString& User, const QString& Password, QString& ErrMsg);
  // Replaces the list with the stations of a reply, as GetMetosStations does.
  bool ReadStationList(const struct_cidistationlist_GetNextData& Data, QString& ErrMsg);
};

class TImportedMetosWeather : public TImportedWeather {
 public:
  // The service's address; empty for its usual endpoint.
  QString ServiceAddress;
  TSoapTransportOptions TransportOptions;

  // Replaces the day lines with those of Station from StartDate on (the main window
  // passes the field's starting date and that date + 364). On success SourceName is
  // "iMETOS", StationName is Station, Has and Use tell which of temperature,
  // precipitation, wind and humidity the station measures, and Metric is set when its
  // temperature is in "C" (or "°C", "deg C") or its precipitation in "mm"; a station
  // that gives one of the two in these metric units and the other in English units
  // ("F", "°F", "deg F"; "in", "inch", "inches"; any letter case) is refused.
  // Cells that are not numbers are copied unchanged (the fields escaped with "\",
  // OutParser's escape). False with ErrMsg otherwise; the object then holds no day
  // lines.
  bool GetMetosWeather(const QString& User, const QString& Password, const QString& Station, const QDate& StartDate,
                       const QDate& EndDate, QString& ErrMsg);
  // The part of GetMetosWeather after the period check: reads the reply of the sensor
  // call, then, when the station measures something usable, the day rows GetDays
  // fetches.
  bool ReadWeather(const QString& Station, const DataSetStruct& Sensors,
                   const std::function<std::unique_ptr<struct_cidistationdata_GetFromDateData>()>& GetDays,
                   QString& ErrMsg);
};
