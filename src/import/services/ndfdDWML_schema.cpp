// Schema types of the NDFD forecast service.

#include "ndfdDWML_schema.h"

const char* const NdfdDwmlSchemaUri = "http://graphical.weather.gov/xml/DWMLgen/schema/DWML.xsd";

QString NdfdEnumIdentifier(const char* Values, int Index) {
  return QString::fromLatin1(Values).split(u',').value(Index).trimmed();
}

namespace {

template <typename... E>
void RegisterEnums(const QString& Namespace) {
  (SoapRegisterType(Namespace, QLatin1String(TNdfdEnum<E>::Name), QLatin1String(TNdfdEnum<E>::Name)), ...);
}

}  // namespace

void RegisterNdfdDWMLSchemaTypes() {
  const QString Namespace = QString::fromLatin1(NdfdDwmlSchemaUri);
  RegisterEnums<productType, unitType, formatType, featureTypeType, compTypeType, sectorType, displayLevelType>(
      Namespace);
  SoapRegisterType(Namespace, QStringLiteral("weatherParametersType"), QStringLiteral("weatherParametersType"));
  const struct {
    const char *Type, *Identifier, *XmlName;
  } Renamed[] = {
      {"productType", "productType_time_series", "time-series"},
      {"formatType", "formatType__24_hourly", "24 hourly"},
      {"formatType", "formatType__12_hourly", "12 hourly"},
      {"displayLevelType", "displayLevelType__1", "1"},
      {"displayLevelType", "displayLevelType__2", "2"},
      {"displayLevelType", "displayLevelType__3", "3"},
      {"displayLevelType", "displayLevelType__4", "4"},
      {"displayLevelType", "displayLevelType__12", "12"},
      {"displayLevelType", "displayLevelType__34", "34"},
      {"displayLevelType", "displayLevelType__1234", "1234"},
  };
  for (const auto& R : Renamed)
    SoapRegisterExternalName(QLatin1String(R.Type), QLatin1String(R.Identifier), QLatin1String(R.XmlName));
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
  const QString Type = QStringLiteral("weatherParametersType");
  for (const auto& [Name, Flag] : Value.Elements())
    Members.AddBoolean(SoapMemberXmlName(Type, QLatin1String(Name)), Flag);
  return Members;
}
