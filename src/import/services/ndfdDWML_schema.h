#pragma once
// Schema types of the NDFD forecast service: its enumerations (sent by their XML
// names) and the record of the 54 weather parameters that can be asked for.

#include "SoapBase.h"
#include "SoapBindings.h"

#include <QString>

#include <utility>
#include <vector>

// Namespace of these types: the DWML schema URI.
extern const char* const NdfdDwmlSchemaUri;

// NDFD_ENUM(type, values...) declares an enumeration and keeps the identifiers of its
// type and values as text, for the type registry and the request writer.
template <typename E>
struct TNdfdEnum;
#define NDFD_ENUM(Type, ...)                            \
  enum class Type { __VA_ARGS__ };                      \
  template <>                                           \
  struct TNdfdEnum<Type> {                              \
    static constexpr const char* Name = #Type;          \
    static constexpr const char* Values = #__VA_ARGS__; \
  };

NDFD_ENUM(productType, productType_time_series, glance)
NDFD_ENUM(unitType, e, m)  // English units, metric units
NDFD_ENUM(formatType, formatType__24_hourly, formatType__12_hourly)
NDFD_ENUM(featureTypeType, Forecast_Gml2Point, Forecast_Gml2AllWx, Forecast_GmlsfPoint, Forecast_GmlObs,
          NdfdMultiPointCoverage, Ndfd_KmlPoint)
NDFD_ENUM(compTypeType, IsEqual, Between, GreaterThan, GreaterThanEqualTo, LessThan, LessThanEqualTo)
NDFD_ENUM(sectorType, conus, nhemi, alaska, guam, hawaii, puertori, npacocn)
NDFD_ENUM(displayLevelType, displayLevelType__1, displayLevelType__2, displayLevelType__3, displayLevelType__4,
          displayLevelType__12, displayLevelType__34, displayLevelType__1234)

// The identifier of value Index of an enumeration whose identifiers are Values.
QString NdfdEnumIdentifier(const char* Values, int Index);

// The XML name of a value as the type registry gives it ("time-series", "24 hourly",
// "1234", or the identifier itself).
template <typename E>
  requires requires { TNdfdEnum<E>::Name; }
QString XmlName(E Value) {
  RegisterSoapBindings();
  return SoapMemberXmlName(QLatin1String(TNdfdEnum<E>::Name), NdfdEnumIdentifier(TNdfdEnum<E>::Values, int(Value)));
}

// Enters the seven enumerations and weatherParametersType under the DWML schema URI,
// and the XML names of the values whose names differ from their identifiers.
void RegisterNdfdDWMLSchemaTypes();

// Which weather parameters a forecast holds; all false at construction.
class weatherParametersType {
 public:
  bool maxt = false, mint = false, temp = false, dew = false, pop12 = false, qpf = false, sky = false,
       snow = false, wspd = false, wdir = false, wx = false, waveh = false, icons = false, rh = false,
       appt = false, incw34 = false, incw50 = false, incw64 = false, cumw34 = false, cumw50 = false,
       cumw64 = false, critfireo = false, dryfireo = false, conhazo = false, ptornado = false,
       phail = false, ptstmwinds = false, pxtornado = false, pxhail = false, pxtstmwinds = false,
       ptotsvrtstm = false, pxtotsvrtstm = false, tmpabv14d = false, tmpblw14d = false,
       tmpabv30d = false, tmpblw30d = false, tmpabv90d = false, tmpblw90d = false, prcpabv14d = false,
       prcpblw14d = false, prcpabv30d = false, prcpblw30d = false, prcpabv90d = false,
       prcpblw90d = false, precipa_r = false, sky_r = false, td_r = false, temp_r = false,
       wdir_r = false, wspd_r = false, wwa = false, tstmprb = false, tstmcat = false, wgust = false;

  // The 54 elements in their order, each with its value.
  std::vector<std::pair<const char*, bool>> Elements() const;
};

// The members of a weatherParametersType as the children of its element, named as the
// type registry says.
TSoapArgs WeatherParametersArgs(const weatherParametersType& Value, bool Encoded);
