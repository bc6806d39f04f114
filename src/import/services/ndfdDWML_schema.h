#pragma once
// Schema types of the NDFD forecast service: its enumerations (sent by their XML
// names) and the record of the 54 weather parameters that can be asked for.

#include "SoapBase.h"

#include <QString>

#include <utility>
#include <vector>

// Namespace of these types: the DWML schema URI.
extern const char* const NdfdDwmlSchemaUri;

enum class productType { productType_time_series, glance };
enum class unitType { e, m };  // English units, metric units
enum class formatType { formatType__24_hourly, formatType__12_hourly };
enum class featureTypeType {
  Forecast_Gml2Point,
  Forecast_Gml2AllWx,
  Forecast_GmlsfPoint,
  Forecast_GmlObs,
  NdfdMultiPointCoverage,
  Ndfd_KmlPoint
};
enum class compTypeType { IsEqual, Between, GreaterThan, GreaterThanEqualTo, LessThan, LessThanEqualTo };
enum class sectorType { conus, nhemi, alaska, guam, hawaii, puertori, npacocn };
enum class displayLevelType {
  displayLevelType__1,
  displayLevelType__2,
  displayLevelType__3,
  displayLevelType__4,
  displayLevelType__12,
  displayLevelType__34,
  displayLevelType__1234
};

// The XML name of each value ("time-series", "24 hourly", "1234", ...).
QString XmlName(productType Value);
QString XmlName(unitType Value);
QString XmlName(formatType Value);
QString XmlName(featureTypeType Value);
QString XmlName(compTypeType Value);
QString XmlName(sectorType Value);
QString XmlName(displayLevelType Value);

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

// The members of a weatherParametersType as the children of its element.
TSoapArgs WeatherParametersArgs(const weatherParametersType& Value, bool Encoded);
