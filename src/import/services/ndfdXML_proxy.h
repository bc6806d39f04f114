#pragma once
// The proxy of the NDFD forecast service: each call of the port type becomes one
// rpc/encoded SOAP request to the service's endpoint.

#include "ndfdXML.h"

#include <memory>

class TndfdXMLPortType_Proxy : public TBaseProxy, public ndfdXMLPortType {
 public:
  TndfdXMLPortType_Proxy(const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options);

  QString NDFDgen(double latitude, double longitude, productType product, const QDateTime& startTime,
                  const QDateTime& endTime, unitType Unit, const weatherParametersType& weatherParameters) override;
  QString NDFDgenByDay(double latitude, double longitude, const QDate& startDate, int numDays, unitType Unit,
                       formatType format) override;
  QString NDFDgenLatLonList(const listLatLonType& listLatLon, productType product, const QDateTime& startTime,
                            const QDateTime& endTime, unitType Unit,
                            const weatherParametersType& weatherParameters) override;
  QString NDFDgenByDayLatLonList(const listLatLonType& listLatLon, const QDate& startDate, int numDays, unitType Unit,
                                 formatType format) override;
  QString GmlLatLonList(const listLatLonType& listLatLon, const QDateTime& requestedTime, featureTypeType featureType,
                        unitType Unit, const weatherParametersType& weatherParameters) override;
  QString GmlTimeSeries(const listLatLonType& listLatLon, const QDateTime& startTime, const QDateTime& endTime,
                        compTypeType compType, featureTypeType featureType, unitType Unit,
                        const QString& propertyName) override;
  listLatLonType LatLonListSubgrid(double lowerLeftLatitude, double lowerLeftLongitude, double upperRightLatitude,
                                   double upperRightLongitude, double resolution) override;
  listLatLonType LatLonListLine(double endPoint1Lat, double endPoint1Lon, double endPoint2Lat,
                                double endPoint2Lon) override;
  listLatLonType LatLonListZipCode(const zipCodeListType& zipCodeList) override;
  listLatLonType LatLonListSquare(double centerPointLat, double centerPointLon, double distanceLat,
                                  double distanceLon, double resolution) override;
  listLatLonType CornerPoints(sectorType sector) override;
  listCityNamesType LatLonListCityNames(displayLevelType displayLevel) override;

 private:
  class TCall;
};

// Adds the service description block of the port type under "NDFDXML", made from
// NdfdXMLOperations.
void RegisterNdfdXMLResource();
// Stores the WSDL URI as the repository's namespace, the default endpoint, style
// "rpc", and per operation its SOAPAction (the WSDL URI + "#" + its name), style "rpc"
// and encoding "encoded".
void RegisterNdfdXMLMetadata();

// A proxy for Format "SOAP:" and Transport "HTTP:" (the HTTP transport registered
// first, RegisterHttpTransport); an empty Address means the endpoint stored for the
// service ("TRANSPORT_Address"), another one overrides it. Any other format or
// transport gives no proxy.
std::unique_ptr<TndfdXMLPortType_Proxy> CreateNdfdXMLPortType(
    const QString& Format, const QString& Transport, const QString& Address,
    const TSoapTransportOptions& Options = TSoapTransportOptions());
