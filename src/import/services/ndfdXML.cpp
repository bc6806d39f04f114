// Operations and service description of the NDFD forecast service.

#include "ndfdXML.h"

#include <initializer_list>

const char* const NdfdXmlWsdlUri = "http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl";

const std::vector<TSoapOperationDesc>& NdfdXMLOperations() {
  static const std::vector<TSoapOperationDesc> Operations = [] {
    struct TArg {
      const char *Name, *Type, *Element;
    };
    const auto Op = [](const char* Name, std::initializer_list<TArg> Args, const char* ResultElement,
                       const char* ResultType) {
      TSoapOperationDesc Desc{QString::fromLatin1(Name), {}, {}};
      for (const TArg& A : Args)
        Desc.Arguments.push_back({QString::fromLatin1(A.Name), QString::fromLatin1(A.Type),
                                  QString::fromLatin1(A.Element ? A.Element : A.Name)});
      Desc.Result = {QStringLiteral("Result"), QString::fromLatin1(ResultType), QString::fromLatin1(ResultElement)};
      return Desc;
    };
    const auto Decimal = [](const char* Name) { return TArg{Name, "Extended", nullptr}; };
    const TArg Latitude = Decimal("latitude"), Longitude = Decimal("longitude");
    const TArg Product{"product", "productType", nullptr}, Unit{"_Unit", "unitType", "Unit"};
    const TArg StartTime{"startTime", "TDateTimeRemotable", nullptr}, EndTime{"endTime", "TDateTimeRemotable", nullptr};
    const TArg Weather{"weatherParameters", "weatherParametersType", nullptr};
    const TArg StartDate{"startDate", "TDateRemotable", nullptr}, NumDays{"numDays", "integer", nullptr};
    const TArg Format{"format", "formatType", nullptr}, List{"listLatLon", "listLatLonType", nullptr};
    const TArg FeatureType{"featureType", "featureTypeType", nullptr};
    return std::vector<TSoapOperationDesc>{
        Op("NDFDgen", {Latitude, Longitude, Product, StartTime, EndTime, Unit, Weather}, "dwmlOut", "string"),
        Op("NDFDgenByDay", {Latitude, Longitude, StartDate, NumDays, Unit, Format}, "dwmlByDayOut", "string"),
        Op("NDFDgenLatLonList", {List, Product, StartTime, EndTime, Unit, Weather}, "dwmlOut", "string"),
        Op("NDFDgenByDayLatLonList", {List, StartDate, NumDays, Unit, Format}, "dwmlByDayOut", "string"),
        Op("GmlLatLonList", {List, {"requestedTime", "TDateTimeRemotable", nullptr}, FeatureType, Unit, Weather},
           "dwGmlOut", "string"),
        Op("GmlTimeSeries",
           {List, StartTime, EndTime, {"compType", "compTypeType", nullptr}, FeatureType, Unit,
            {"propertyName", "string", nullptr}},
           "dwGmlOut", "string"),
        Op("LatLonListSubgrid",
           {Decimal("lowerLeftLatitude"), Decimal("lowerLeftLongitude"), Decimal("upperRightLatitude"),
            Decimal("upperRightLongitude"), Decimal("resolution")},
           "listLatLonOut", "listLatLonType"),
        Op("LatLonListLine",
           {Decimal("endPoint1Lat"), Decimal("endPoint1Lon"), Decimal("endPoint2Lat"), Decimal("endPoint2Lon")},
           "listLatLonOut", "listLatLonType"),
        Op("LatLonListZipCode", {{"zipCodeList", "zipCodeListType", nullptr}}, "listLatLonOut", "listLatLonType"),
        Op("LatLonListSquare",
           {Decimal("centerPointLat"), Decimal("centerPointLon"), Decimal("distanceLat"), Decimal("distanceLon"),
            Decimal("resolution")},
           "listLatLonOut", "listLatLonType"),
        Op("CornerPoints", {{"sector", "sectorType", nullptr}}, "listLatLonOut", "listLatLonType"),
        Op("LatLonListCityNames", {{"displayLevel", "displayLevelType", nullptr}}, "listCityNamesOut",
           "listCityNamesType"),
    };
  }();
  return Operations;
}

const TSoapServiceInfo& NdfdXMLServiceInfo() {
  RegisterSoapBindings();
  static const TSoapServiceInfo Info =
      SoapServiceInfoFromStore(QStringLiteral("ndfdXML"), QStringLiteral("ndfdXMLPortType"),
                               SoapTypeNamespace(QStringLiteral("weatherParametersType")));
  return Info;
}
