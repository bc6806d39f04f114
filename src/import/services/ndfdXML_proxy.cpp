// The proxy of the NDFD forecast service.

#include "ndfdXML_proxy.h"

namespace {

const bool Encoded = true;

void AddUnit(TSoapArgs& Args, unitType Unit) {
  // The argument is called "Unit" on the wire.
  Args.AddEnum(QStringLiteral("Unit"), QStringLiteral("unitType"), XmlName(Unit));
}

void AddWeatherParameters(TSoapArgs& Args, const weatherParametersType& Value) {
  Args.AddRecord(QStringLiteral("weatherParameters"), QStringLiteral("weatherParametersType"),
                 WeatherParametersArgs(Value, Encoded));
}

}  // namespace

TndfdXMLPortType_Proxy::TndfdXMLPortType_Proxy(const QString& Address, const TSoapTransportOptions& Options)
    : TBaseProxy(NdfdXMLServiceInfo(), Address, Options) {}

QString TndfdXMLPortType_Proxy::Call(const char* Operation, const TSoapArgs& Args, const char* ResultName) const {
  const std::unique_ptr<TSoapReply> Reply = InvokeRpc(QString::fromLatin1(Operation), Args);
  return RpcResultText(*Reply, ResultName);
}

QString TndfdXMLPortType_Proxy::NDFDgen(double latitude, double longitude, productType product,
                                        const QDateTime& startTime, const QDateTime& endTime, unitType Unit,
                                        const weatherParametersType& weatherParameters) {
  TSoapArgs Args(Encoded);
  Args.AddDecimal(QStringLiteral("latitude"), latitude);
  Args.AddDecimal(QStringLiteral("longitude"), longitude);
  Args.AddEnum(QStringLiteral("product"), QStringLiteral("productType"), XmlName(product));
  Args.AddDateTime(QStringLiteral("startTime"), startTime);
  Args.AddDateTime(QStringLiteral("endTime"), endTime);
  AddUnit(Args, Unit);
  AddWeatherParameters(Args, weatherParameters);
  return Call("NDFDgen", Args, "dwmlOut");
}

QString TndfdXMLPortType_Proxy::NDFDgenByDay(double latitude, double longitude, const QDate& startDate, int numDays,
                                             unitType Unit, formatType format) {
  TSoapArgs Args(Encoded);
  Args.AddDecimal(QStringLiteral("latitude"), latitude);
  Args.AddDecimal(QStringLiteral("longitude"), longitude);
  Args.AddDate(QStringLiteral("startDate"), startDate);
  Args.AddInteger(QStringLiteral("numDays"), numDays, "integer");
  AddUnit(Args, Unit);
  Args.AddEnum(QStringLiteral("format"), QStringLiteral("formatType"), XmlName(format));
  return Call("NDFDgenByDay", Args, "dwmlByDayOut");
}

QString TndfdXMLPortType_Proxy::NDFDgenLatLonList(const listLatLonType& listLatLon, productType product,
                                                  const QDateTime& startTime, const QDateTime& endTime, unitType Unit,
                                                  const weatherParametersType& weatherParameters) {
  TSoapArgs Args(Encoded);
  Args.AddString(QStringLiteral("listLatLon"), listLatLon);
  Args.AddEnum(QStringLiteral("product"), QStringLiteral("productType"), XmlName(product));
  Args.AddDateTime(QStringLiteral("startTime"), startTime);
  Args.AddDateTime(QStringLiteral("endTime"), endTime);
  AddUnit(Args, Unit);
  AddWeatherParameters(Args, weatherParameters);
  return Call("NDFDgenLatLonList", Args, "dwmlOut");
}

QString TndfdXMLPortType_Proxy::NDFDgenByDayLatLonList(const listLatLonType& listLatLon, const QDate& startDate,
                                                       int numDays, unitType Unit, formatType format) {
  TSoapArgs Args(Encoded);
  Args.AddString(QStringLiteral("listLatLon"), listLatLon);
  Args.AddDate(QStringLiteral("startDate"), startDate);
  Args.AddInteger(QStringLiteral("numDays"), numDays, "integer");
  AddUnit(Args, Unit);
  Args.AddEnum(QStringLiteral("format"), QStringLiteral("formatType"), XmlName(format));
  return Call("NDFDgenByDayLatLonList", Args, "dwmlByDayOut");
}

QString TndfdXMLPortType_Proxy::GmlLatLonList(const listLatLonType& listLatLon, const QDateTime& requestedTime,
                                              featureTypeType featureType, unitType Unit,
                                              const weatherParametersType& weatherParameters) {
  TSoapArgs Args(Encoded);
  Args.AddString(QStringLiteral("listLatLon"), listLatLon);
  Args.AddDateTime(QStringLiteral("requestedTime"), requestedTime);
  Args.AddEnum(QStringLiteral("featureType"), QStringLiteral("featureTypeType"), XmlName(featureType));
  AddUnit(Args, Unit);
  AddWeatherParameters(Args, weatherParameters);
  return Call("GmlLatLonList", Args, "dwGmlOut");
}

QString TndfdXMLPortType_Proxy::GmlTimeSeries(const listLatLonType& listLatLon, const QDateTime& startTime,
                                              const QDateTime& endTime, compTypeType compType,
                                              featureTypeType featureType, unitType Unit,
                                              const QString& propertyName) {
  TSoapArgs Args(Encoded);
  Args.AddString(QStringLiteral("listLatLon"), listLatLon);
  Args.AddDateTime(QStringLiteral("startTime"), startTime);
  Args.AddDateTime(QStringLiteral("endTime"), endTime);
  Args.AddEnum(QStringLiteral("compType"), QStringLiteral("compTypeType"), XmlName(compType));
  Args.AddEnum(QStringLiteral("featureType"), QStringLiteral("featureTypeType"), XmlName(featureType));
  AddUnit(Args, Unit);
  Args.AddString(QStringLiteral("propertyName"), propertyName);
  return Call("GmlTimeSeries", Args, "dwGmlOut");
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListSubgrid(double lowerLeftLatitude, double lowerLeftLongitude,
                                                         double upperRightLatitude, double upperRightLongitude,
                                                         double resolution) {
  TSoapArgs Args(Encoded);
  Args.AddDecimal(QStringLiteral("lowerLeftLatitude"), lowerLeftLatitude);
  Args.AddDecimal(QStringLiteral("lowerLeftLongitude"), lowerLeftLongitude);
  Args.AddDecimal(QStringLiteral("upperRightLatitude"), upperRightLatitude);
  Args.AddDecimal(QStringLiteral("upperRightLongitude"), upperRightLongitude);
  Args.AddDecimal(QStringLiteral("resolution"), resolution);
  return Call("LatLonListSubgrid", Args, "listLatLonOut");
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListLine(double endPoint1Lat, double endPoint1Lon, double endPoint2Lat,
                                                      double endPoint2Lon) {
  TSoapArgs Args(Encoded);
  Args.AddDecimal(QStringLiteral("endPoint1Lat"), endPoint1Lat);
  Args.AddDecimal(QStringLiteral("endPoint1Lon"), endPoint1Lon);
  Args.AddDecimal(QStringLiteral("endPoint2Lat"), endPoint2Lat);
  Args.AddDecimal(QStringLiteral("endPoint2Lon"), endPoint2Lon);
  return Call("LatLonListLine", Args, "listLatLonOut");
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListZipCode(const zipCodeListType& zipCodeList) {
  TSoapArgs Args(Encoded);
  Args.AddString(QStringLiteral("zipCodeList"), zipCodeList);
  return Call("LatLonListZipCode", Args, "listLatLonOut");
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListSquare(double centerPointLat, double centerPointLon,
                                                        double distanceLat, double distanceLon, double resolution) {
  TSoapArgs Args(Encoded);
  Args.AddDecimal(QStringLiteral("centerPointLat"), centerPointLat);
  Args.AddDecimal(QStringLiteral("centerPointLon"), centerPointLon);
  Args.AddDecimal(QStringLiteral("distanceLat"), distanceLat);
  Args.AddDecimal(QStringLiteral("distanceLon"), distanceLon);
  Args.AddDecimal(QStringLiteral("resolution"), resolution);
  return Call("LatLonListSquare", Args, "listLatLonOut");
}

listLatLonType TndfdXMLPortType_Proxy::CornerPoints(sectorType sector) {
  TSoapArgs Args(Encoded);
  Args.AddEnum(QStringLiteral("sector"), QStringLiteral("sectorType"), XmlName(sector));
  return Call("CornerPoints", Args, "listLatLonOut");
}

listCityNamesType TndfdXMLPortType_Proxy::LatLonListCityNames(displayLevelType displayLevel) {
  TSoapArgs Args(Encoded);
  Args.AddEnum(QStringLiteral("displayLevel"), QStringLiteral("displayLevelType"), XmlName(displayLevel));
  return Call("LatLonListCityNames", Args, "listCityNamesOut");
}

std::unique_ptr<TndfdXMLPortType_Proxy> CreateNdfdXMLPortType(const QString& Format, const QString& Transport,
                                                              const QString& Address,
                                                              const TSoapTransportOptions& Options) {
  if (!SoapSpecsSupported(Format, Transport)) return nullptr;
  return std::make_unique<TndfdXMLPortType_Proxy>(Address, Options);
}
