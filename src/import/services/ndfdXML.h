#pragma once
// The NDFD forecast service (rpc/encoded): its port type with twelve operations and
// its service description. Every result is text: a DWML or GML document, or a list
// of points or city names.

#include "ndfdDWML_schema.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

// The service's WSDL URI: namespace of the call elements, and the start of each
// SOAPAction ("#" + operation name follows it).
extern const char* const NdfdXmlWsdlUri;

// Plain string types of the schema.
using listLatLonType = QString;
using zipCodeListType = QString;
using listCityNamesType = QString;

// Each method sends one request and returns the text of its result element; a failed
// call throws (ESoapError).
class ndfdXMLPortType {
 public:
  virtual ~ndfdXMLPortType() = default;

  // 1, result "dwmlOut".
  virtual QString NDFDgen(double latitude, double longitude, productType product, const QDateTime& startTime,
                          const QDateTime& endTime, unitType Unit, const weatherParametersType& weatherParameters) = 0;
  // 2, result "dwmlByDayOut".
  virtual QString NDFDgenByDay(double latitude, double longitude, const QDate& startDate, int numDays, unitType Unit,
                               formatType format) = 0;
  // 3, result "dwmlOut".
  virtual QString NDFDgenLatLonList(const listLatLonType& listLatLon, productType product, const QDateTime& startTime,
                                    const QDateTime& endTime, unitType Unit,
                                    const weatherParametersType& weatherParameters) = 0;
  // 4, result "dwmlByDayOut".
  virtual QString NDFDgenByDayLatLonList(const listLatLonType& listLatLon, const QDate& startDate, int numDays,
                                         unitType Unit, formatType format) = 0;
  // 5, result "dwGmlOut".
  virtual QString GmlLatLonList(const listLatLonType& listLatLon, const QDateTime& requestedTime,
                                featureTypeType featureType, unitType Unit,
                                const weatherParametersType& weatherParameters) = 0;
  // 6, result "dwGmlOut".
  virtual QString GmlTimeSeries(const listLatLonType& listLatLon, const QDateTime& startTime,
                                const QDateTime& endTime, compTypeType compType, featureTypeType featureType,
                                unitType Unit, const QString& propertyName) = 0;
  // 7, result "listLatLonOut".
  virtual listLatLonType LatLonListSubgrid(double lowerLeftLatitude, double lowerLeftLongitude,
                                           double upperRightLatitude, double upperRightLongitude,
                                           double resolution) = 0;
  // 8, result "listLatLonOut".
  virtual listLatLonType LatLonListLine(double endPoint1Lat, double endPoint1Lon, double endPoint2Lat,
                                        double endPoint2Lon) = 0;
  // 9, result "listLatLonOut".
  virtual listLatLonType LatLonListZipCode(const zipCodeListType& zipCodeList) = 0;
  // 10, result "listLatLonOut".
  virtual listLatLonType LatLonListSquare(double centerPointLat, double centerPointLon, double distanceLat,
                                          double distanceLon, double resolution) = 0;
  // 11, result "listLatLonOut".
  virtual listLatLonType CornerPoints(sectorType sector) = 0;
  // 12, result "listCityNamesOut".
  virtual listCityNamesType LatLonListCityNames(displayLevelType displayLevel) = 0;
};

// The twelve operations of the port type, "ndfdXMLPortType", in slot order: each
// argument's name, type and element ("_Unit" is sent as "Unit"), and the result's type
// and element.
const std::vector<TSoapOperationDesc>& NdfdXMLOperations();

// The service as the metadata store describes it: style "rpc", encoding "encoded",
// twelve operations. Registers the bindings first when needed.
const TSoapServiceInfo& NdfdXMLServiceInfo();
