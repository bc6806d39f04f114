// The proxy of the NDFD forecast service.

#include "ndfdXML_proxy.h"

#include <algorithm>

namespace {

const char* const PortType = "ndfdXMLPortType";

}  // namespace

void RegisterNdfdXMLResource() {
  SoapAddResource(QStringLiteral("NDFDXML"),
                  SoapMetadataBlock(QStringLiteral("ndfdXML"), QLatin1String(PortType), NdfdXMLOperations()));
}

void RegisterNdfdXMLMetadata() {
  const QString Wsdl = QString::fromLatin1(NdfdXmlWsdlUri);
  SoapStoreServiceMetadata({QStringLiteral("ndfdXML"), QLatin1String(PortType), Wsdl,
                            QStringLiteral("http://graphical.weather.gov/xml/SOAP_server/ndfdXMLserver.php"),
                            QStringLiteral("rpc"), QStringLiteral("encoded"), Wsdl + u'#'},
                           NdfdXMLOperations());
}

// One call: its arguments are put in the order of the operation's description, each
// under the element the description names; a put that does not match the description
// throws ESoapError.
class TndfdXMLPortType_Proxy::TCall {
 public:
  TCall(const TndfdXMLPortType_Proxy& Proxy, const char* Operation)
      : FProxy(Proxy), FOp(Find(Operation)), FArgs(Proxy.NewArgs(FOp.Name)) {}

  TCall& Decimal(double Value) {
    FArgs.AddDecimal(Next(QStringLiteral("Extended")), Value);
    return *this;
  }
  TCall& Integer(int Value) {
    FArgs.AddInteger(Next(QStringLiteral("integer")), Value, "integer");
    return *this;
  }
  TCall& Date(const QDate& Value) {
    FArgs.AddDate(Next(QStringLiteral("TDateRemotable")), Value);
    return *this;
  }
  TCall& DateTime(const QDateTime& Value) {
    FArgs.AddDateTime(Next(QStringLiteral("TDateTimeRemotable")), Value);
    return *this;
  }
  // A text of a string type: "string", "listLatLonType" or "zipCodeListType".
  TCall& Text(const char* Type, const QString& Value) {
    FArgs.AddString(Next(QLatin1String(Type)), Value);
    return *this;
  }
  template <typename E>
  TCall& Enum(E Value) {
    const QString Type = QLatin1String(TNdfdEnum<E>::Name);
    FArgs.AddEnum(Next(Type), Type, XmlName(Value));
    return *this;
  }
  TCall& Weather(const weatherParametersType& Value) {
    const QString Type = QStringLiteral("weatherParametersType");
    FArgs.AddRecord(Next(Type), Type, WeatherParametersArgs(Value, FArgs.Encoded()));
    return *this;
  }
  // Sends the call and returns the text of its result element.
  QString Result() const {
    if (FNext != FOp.Arguments.size()) throw Mismatch();
    const std::unique_ptr<TSoapReply> Reply = FProxy.Invoke(FOp.Name, FArgs);
    return RpcResultText(*Reply, FOp.Result.ElementName.toUtf8().constData());
  }

 private:
  static const TSoapOperationDesc& Find(const char* Operation) {
    const std::vector<TSoapOperationDesc>& Ops = NdfdXMLOperations();
    const auto Found = std::find_if(Ops.begin(), Ops.end(), [Operation](const TSoapOperationDesc& Op) {
      return Op.Name == QLatin1String(Operation);
    });
    if (Found == Ops.end())
      throw ESoapError(QStringLiteral("The web service has no operation %1.").arg(QLatin1String(Operation)));
    return *Found;
  }
  ESoapError Mismatch() const {
    return ESoapError(
        QStringLiteral("The call of %1 does not match the description of the web service.").arg(FOp.Name));
  }
  const QString& Next(const QString& Type) {
    if (FNext >= FOp.Arguments.size() || FOp.Arguments[FNext].TypeName != Type) throw Mismatch();
    return FOp.Arguments[FNext++].ElementName;
  }

  const TndfdXMLPortType_Proxy& FProxy;
  const TSoapOperationDesc& FOp;
  TSoapArgs FArgs;
  size_t FNext = 0;
};

TndfdXMLPortType_Proxy::TndfdXMLPortType_Proxy(const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options)
    : TBaseProxy(NdfdXMLServiceInfo(), Specs, Options) {}

QString TndfdXMLPortType_Proxy::NDFDgen(double latitude, double longitude, productType product,
                                        const QDateTime& startTime, const QDateTime& endTime, unitType Unit,
                                        const weatherParametersType& weatherParameters) {
  return TCall(*this, "NDFDgen")
      .Decimal(latitude)
      .Decimal(longitude)
      .Enum(product)
      .DateTime(startTime)
      .DateTime(endTime)
      .Enum(Unit)
      .Weather(weatherParameters)
      .Result();
}

QString TndfdXMLPortType_Proxy::NDFDgenByDay(double latitude, double longitude, const QDate& startDate, int numDays,
                                             unitType Unit, formatType format) {
  return TCall(*this, "NDFDgenByDay")
      .Decimal(latitude)
      .Decimal(longitude)
      .Date(startDate)
      .Integer(numDays)
      .Enum(Unit)
      .Enum(format)
      .Result();
}

QString TndfdXMLPortType_Proxy::NDFDgenLatLonList(const listLatLonType& listLatLon, productType product,
                                                  const QDateTime& startTime, const QDateTime& endTime, unitType Unit,
                                                  const weatherParametersType& weatherParameters) {
  return TCall(*this, "NDFDgenLatLonList")
      .Text("listLatLonType", listLatLon)
      .Enum(product)
      .DateTime(startTime)
      .DateTime(endTime)
      .Enum(Unit)
      .Weather(weatherParameters)
      .Result();
}

QString TndfdXMLPortType_Proxy::NDFDgenByDayLatLonList(const listLatLonType& listLatLon, const QDate& startDate,
                                                       int numDays, unitType Unit, formatType format) {
  return TCall(*this, "NDFDgenByDayLatLonList")
      .Text("listLatLonType", listLatLon)
      .Date(startDate)
      .Integer(numDays)
      .Enum(Unit)
      .Enum(format)
      .Result();
}

QString TndfdXMLPortType_Proxy::GmlLatLonList(const listLatLonType& listLatLon, const QDateTime& requestedTime,
                                              featureTypeType featureType, unitType Unit,
                                              const weatherParametersType& weatherParameters) {
  return TCall(*this, "GmlLatLonList")
      .Text("listLatLonType", listLatLon)
      .DateTime(requestedTime)
      .Enum(featureType)
      .Enum(Unit)
      .Weather(weatherParameters)
      .Result();
}

QString TndfdXMLPortType_Proxy::GmlTimeSeries(const listLatLonType& listLatLon, const QDateTime& startTime,
                                              const QDateTime& endTime, compTypeType compType,
                                              featureTypeType featureType, unitType Unit,
                                              const QString& propertyName) {
  return TCall(*this, "GmlTimeSeries")
      .Text("listLatLonType", listLatLon)
      .DateTime(startTime)
      .DateTime(endTime)
      .Enum(compType)
      .Enum(featureType)
      .Enum(Unit)
      .Text("string", propertyName)
      .Result();
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListSubgrid(double lowerLeftLatitude, double lowerLeftLongitude,
                                                         double upperRightLatitude, double upperRightLongitude,
                                                         double resolution) {
  return TCall(*this, "LatLonListSubgrid")
      .Decimal(lowerLeftLatitude)
      .Decimal(lowerLeftLongitude)
      .Decimal(upperRightLatitude)
      .Decimal(upperRightLongitude)
      .Decimal(resolution)
      .Result();
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListLine(double endPoint1Lat, double endPoint1Lon, double endPoint2Lat,
                                                      double endPoint2Lon) {
  return TCall(*this, "LatLonListLine")
      .Decimal(endPoint1Lat)
      .Decimal(endPoint1Lon)
      .Decimal(endPoint2Lat)
      .Decimal(endPoint2Lon)
      .Result();
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListZipCode(const zipCodeListType& zipCodeList) {
  return TCall(*this, "LatLonListZipCode").Text("zipCodeListType", zipCodeList).Result();
}

listLatLonType TndfdXMLPortType_Proxy::LatLonListSquare(double centerPointLat, double centerPointLon,
                                                        double distanceLat, double distanceLon, double resolution) {
  return TCall(*this, "LatLonListSquare")
      .Decimal(centerPointLat)
      .Decimal(centerPointLon)
      .Decimal(distanceLat)
      .Decimal(distanceLon)
      .Decimal(resolution)
      .Result();
}

listLatLonType TndfdXMLPortType_Proxy::CornerPoints(sectorType sector) {
  return TCall(*this, "CornerPoints").Enum(sector).Result();
}

listCityNamesType TndfdXMLPortType_Proxy::LatLonListCityNames(displayLevelType displayLevel) {
  return TCall(*this, "LatLonListCityNames").Enum(displayLevel).Result();
}

std::unique_ptr<TndfdXMLPortType_Proxy> CreateNdfdXMLPortType(const QString& Format, const QString& Transport,
                                                              const QString& Address,
                                                              const TSoapTransportOptions& Options) {
  RegisterSoapBindings();
  const TSoapProxySpecs Specs = SoapProxySpecs(QLatin1String(PortType), Format, Transport, Address);
  if (!SoapSpecsSupported(Specs.Format, Specs.Transport)) return nullptr;
  return std::make_unique<TndfdXMLPortType_Proxy>(Specs, Options);
}
