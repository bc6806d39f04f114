// Service description of the NDFD forecast service.

#include "ndfdXML.h"

const char* const NdfdXmlWsdlUri = "http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl";

const TSoapServiceInfo& NdfdXMLServiceInfo() {
  static const TSoapServiceInfo Info = [] {
    TSoapServiceInfo I;
    const QString Wsdl = QString::fromLatin1(NdfdXmlWsdlUri);
    I.UnitName = QStringLiteral("ndfdXML");
    I.PortTypeName = QStringLiteral("ndfdXMLPortType");
    I.Style = QStringLiteral("rpc");
    I.Encoding = QStringLiteral("encoded");
    I.Namespace = Wsdl;
    I.TypesNamespace = QString::fromLatin1(NdfdDwmlSchemaUri);
    I.DefaultAddress = QStringLiteral("http://graphical.weather.gov/xml/SOAP_server/ndfdXMLserver.php");
    for (const char* Name : {"NDFDgen", "NDFDgenByDay", "NDFDgenLatLonList", "NDFDgenByDayLatLonList",
                             "GmlLatLonList", "GmlTimeSeries", "LatLonListSubgrid", "LatLonListLine",
                             "LatLonListZipCode", "LatLonListSquare", "CornerPoints", "LatLonListCityNames"}) {
      const QString Op = QString::fromLatin1(Name);
      I.Operations.push_back({Op, Wsdl + u'#' + Op});
    }
    return I;
  }();
  return Info;
}
