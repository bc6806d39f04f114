// Schema types of the NDFD forecast service.

#include "ndfdDWML_schema.h"

const char* const NdfdDwmlSchemaUri = "http://graphical.weather.gov/xml/DWMLgen/schema/DWML.xsd";

QString XmlName(productType Value) {
  return Value == productType::glance ? QStringLiteral("glance") : QStringLiteral("time-series");
}

QString XmlName(unitType Value) { return Value == unitType::m ? QStringLiteral("m") : QStringLiteral("e"); }

QString XmlName(formatType Value) {
  return Value == formatType::formatType__12_hourly ? QStringLiteral("12 hourly") : QStringLiteral("24 hourly");
}

QString XmlName(featureTypeType Value) {
  switch (Value) {
    case featureTypeType::Forecast_Gml2Point: return QStringLiteral("Forecast_Gml2Point");
    case featureTypeType::Forecast_Gml2AllWx: return QStringLiteral("Forecast_Gml2AllWx");
    case featureTypeType::Forecast_GmlsfPoint: return QStringLiteral("Forecast_GmlsfPoint");
    case featureTypeType::Forecast_GmlObs: return QStringLiteral("Forecast_GmlObs");
    case featureTypeType::NdfdMultiPointCoverage: return QStringLiteral("NdfdMultiPointCoverage");
    case featureTypeType::Ndfd_KmlPoint: return QStringLiteral("Ndfd_KmlPoint");
  }
  return {};
}

QString XmlName(compTypeType Value) {
  switch (Value) {
    case compTypeType::IsEqual: return QStringLiteral("IsEqual");
    case compTypeType::Between: return QStringLiteral("Between");
    case compTypeType::GreaterThan: return QStringLiteral("GreaterThan");
    case compTypeType::GreaterThanEqualTo: return QStringLiteral("GreaterThanEqualTo");
    case compTypeType::LessThan: return QStringLiteral("LessThan");
    case compTypeType::LessThanEqualTo: return QStringLiteral("LessThanEqualTo");
  }
  return {};
}

QString XmlName(sectorType Value) {
  switch (Value) {
    case sectorType::conus: return QStringLiteral("conus");
    case sectorType::nhemi: return QStringLiteral("nhemi");
    case sectorType::alaska: return QStringLiteral("alaska");
    case sectorType::guam: return QStringLiteral("guam");
    case sectorType::hawaii: return QStringLiteral("hawaii");
    case sectorType::puertori: return QStringLiteral("puertori");
    case sectorType::npacocn: return QStringLiteral("npacocn");
  }
  return {};
}

QString XmlName(displayLevelType Value) {
  switch (Value) {
    case displayLevelType::displayLevelType__1: return QStringLiteral("1");
    case displayLevelType::displayLevelType__2: return QStringLiteral("2");
    case displayLevelType::displayLevelType__3: return QStringLiteral("3");
    case displayLevelType::displayLevelType__4: return QStringLiteral("4");
    case displayLevelType::displayLevelType__12: return QStringLiteral("12");
    case displayLevelType::displayLevelType__34: return QStringLiteral("34");
    case displayLevelType::displayLevelType__1234: return QStringLiteral("1234");
  }
  return {};
}

std::vector<std::pair<const char*, bool>> weatherParametersType::Elements() const {
  return {{"maxt", maxt},
          {"mint", mint},
          {"temp", temp},
          {"dew", dew},
          {"pop12", pop12},
          {"qpf", qpf},
          {"sky", sky},
          {"snow", snow},
          {"wspd", wspd},
          {"wdir", wdir},
          {"wx", wx},
          {"waveh", waveh},
          {"icons", icons},
          {"rh", rh},
          {"appt", appt},
          {"incw34", incw34},
          {"incw50", incw50},
          {"incw64", incw64},
          {"cumw34", cumw34},
          {"cumw50", cumw50},
          {"cumw64", cumw64},
          {"critfireo", critfireo},
          {"dryfireo", dryfireo},
          {"conhazo", conhazo},
          {"ptornado", ptornado},
          {"phail", phail},
          {"ptstmwinds", ptstmwinds},
          {"pxtornado", pxtornado},
          {"pxhail", pxhail},
          {"pxtstmwinds", pxtstmwinds},
          {"ptotsvrtstm", ptotsvrtstm},
          {"pxtotsvrtstm", pxtotsvrtstm},
          {"tmpabv14d", tmpabv14d},
          {"tmpblw14d", tmpblw14d},
          {"tmpabv30d", tmpabv30d},
          {"tmpblw30d", tmpblw30d},
          {"tmpabv90d", tmpabv90d},
          {"tmpblw90d", tmpblw90d},
          {"prcpabv14d", prcpabv14d},
          {"prcpblw14d", prcpblw14d},
          {"prcpabv30d", prcpabv30d},
          {"prcpblw30d", prcpblw30d},
          {"prcpabv90d", prcpabv90d},
          {"prcpblw90d", prcpblw90d},
          {"precipa_r", precipa_r},
          {"sky_r", sky_r},
          {"td_r", td_r},
          {"temp_r", temp_r},
          {"wdir_r", wdir_r},
          {"wspd_r", wspd_r},
          {"wwa", wwa},
          {"tstmprb", tstmprb},
          {"tstmcat", tstmcat},
          {"wgust", wgust}};
}

TSoapArgs WeatherParametersArgs(const weatherParametersType& Value, bool Encoded) {
  TSoapArgs Members(Encoded);
  for (const auto& [Name, Flag] : Value.Elements()) Members.AddBoolean(QString::fromLatin1(Name), Flag);
  return Members;
}
