#pragma once
// The public weather web sources: their identifiers, the lists of their stations near
// the field, and the download of one station's daily data, which is then read as a
// weather file. Every downloaded text passes through a temporary file that is deleted
// on every path.

#include "HttpUtil.h"
#include "ImpStations.h"
#include "ImpWeathFile.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// Identifiers of the five web sources, index 1-5 (index 0 is empty).
constexpr int WeatherSourceCount = 5;
extern const char* const WeatherSourceIDs[WeatherSourceCount + 1];

enum TWeatherSourceIndex : int {
  wsNone = 0,
  wsWuAsos = 1,         // "WU_ASOS": airport stations of the weather site
  wsWuPws = 2,          // "WU_PWS": personal stations of the weather site
  wsNwsCoop = 3,        // "NWS_COOP": cooperative stations, from the mesonet site
  wsIaAgClimate = 4,    // "IA_AgClimate": Iowa's agricultural network, from the mesonet site
  wsMiEnviroWeather = 5 // "MI_Enviro-weather": Michigan's network
};

// 1-5 for an identifier of WeatherSourceIDs (compared ignoring case), 0 otherwise.
int WeatherSourceIndex(const QString& ID);

// Splits the location text "state,country,FIPS code,ISO code". Without a "," the
// whole text is the state of the United States ("US"); with only state and country
// both codes are empty; with one code it serves as both.
void SplitLocation(const QString& Location, QString& StateAbbr, QString& Country,
                   QString& CountryFIPS, QString& CountryISO);

// The built-in address of the program's station-list script.
extern const char* const DefaultStationScriptURL;
// The environment variable that replaces it.
extern const char* const StationScriptEnvVar;  // "SOV_GETSTATIONS_URL"

// Where the sources live: scheme and host (and port), no trailing "/". Tests point
// them at a local server.
struct TWeatherWebHosts {
  QString WeatherSite = QStringLiteral("https://www.wunderground.com");
  QString Mesonet = QStringLiteral("http://mesonet.agron.iastate.edu");
  QString StateNetwork = QStringLiteral("https://enviroweather.msu.edu");
  // The station-list script's full address; SOV_GETSTATIONS_URL replaces it when set.
  QString StationScript = QString::fromLatin1(DefaultStationScriptURL);

  // The script address in force: the environment variable when it is set and not
  // empty, StationScript otherwise.
  QString StationScriptURL() const;
};

// Failure messages.
extern const char* const MsgInvalidSourceID;  // after the identifier: ": invalid weather source ID."
extern const char* const MsgLocationBlank;    // "Location ID is blank."
extern const char* const MsgInvalidFormat;    // "Invalid format encountered."
extern const char* const MsgStationBlank;     // "Station ID is blank."
extern const char* const MsgInvalidDates;     // "Invalid date range."

// A station list fetched from a web source.
class TImportedStationsHttp : public TImportedStations {
 public:
  TWeatherWebHosts Hosts;
  THttpOptions HttpOptions;

  // The source's own list of stations in the location's state or country: lines of
  // identifier and name. True also when the page lists no station. A failed download
  // names the source.
  bool GetSourceStations(const QString& SourceID, const QString& Location, QString& ErrMsg);
  // The same for a station page already fetched (after the check of the location).
  bool ReadSourceStations(const QString& SourceID, const QString& Location, const QByteArray& Page,
                          QString& ErrMsg);
  // Adds coordinates, elevations and end dates from the lines of the station-list
  // script's table, then the distances as GetStations does.
  void ReadStationTable(const QStringList& Lines, bool US, double Latitude, double Longitude);

  // GetSourceStations, then coordinates, elevations and end dates from the station-list
  // script (stations whose data end before MinDate are left out by the script; an
  // invalid MinDate asks for all), then distances, bearings and directions from the
  // field at Latitude, Longitude unless both are 0. Only GetSourceStations can fail:
  // a failing script leaves the list with names only.
  bool GetStations(const QString& SourceID, const QString& Location, double Latitude,
                   double Longitude, const QDate& MinDate, QString& ErrMsg);
};

// One station's daily data downloaded from a web source.
class TImportedWeatherHttp : public TImportedWeatherFile {
 public:
  TWeatherWebHosts Hosts;
  THttpOptions HttpOptions;

  // GET of URL (or, with Fields, a multipart POST of them), then the reply, stripped of
  // "<br />" and "<br>" marks, is passed through a temporary file and read as a weather
  // file. Every failure message begins with What (the URL when What is empty) and a
  // line break.
  bool DownloadAndImport(const QString& URL, QString& ErrMsg, const QString& What = QString());
  bool DownloadAndImport(const QString& URL, const QStringList& Fields, QString& ErrMsg,
                         const QString& What = QString());

  // Downloads and reads the days StartDate to EndDate of station StationID of source
  // SourceID. Failure messages of the download name the station and the source. Step
  // is what HttpOptions.Progress shows meanwhile; empty: a text naming both.
  bool ImportWeb(const QString& SourceID, const QString& StationID, const QDate& StartDate,
                 const QDate& EndDate, QString& ErrMsg, const QString& Step = QString());

  // A downloaded page without the HTML line breaks some pages end their lines with,
  // and without blanks at both ends: the text ImportFile reads.
  static QString WithoutLineBreakMarks(QString Content);

 private:
  bool Download(const QString& URL, const QStringList* Fields, const QString& What, QString& ErrMsg);
};
