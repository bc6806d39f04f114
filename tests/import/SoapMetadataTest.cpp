// Registration of the three SOAP bindings: the service description blocks, read here by
// a reader of their own layout, the metadata store, the type registry, and proxies made
// from the store.

#include "SDMTabularService_proxy.h"
#include "SoapBindings.h"
#include "metos_proxy.h"
#include "ndfdXML_proxy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A service description block as its layout reads: big-endian counts, strings with a
// 32-bit length before their bytes.
struct TDecodedParameter {
  std::string Name, Type;
  uint32_t Reserved = 0, Modifier = 0;
};
struct TDecodedOperation {
  std::string Name;
  std::vector<TDecodedParameter> Parameters;
};
struct TDecodedBlock {
  std::string Magic, Unit, PortType;
  uint32_t Services = 0;
  std::vector<TDecodedOperation> Operations;
  bool Whole = false;  // read to its last byte and no further
};

class TBlockReader {
 public:
  explicit TBlockReader(const QByteArray& Block) : FBlock(Block) {}
  uint32_t Count(int Bytes) {
    uint32_t Value = 0;
    for (int I = 0; I < Bytes; ++I) Value = (Value << 8) | Byte();
    return Value;
  }
  std::string Text() {
    std::string Result;
    for (uint32_t N = Count(4); N > 0 && FOk; --N) Result += char(Byte());
    return Result;
  }
  bool AtEnd() const { return FOk && FPos == size_t(FBlock.size()); }

 private:
  uint8_t Byte() {
    if (FPos >= size_t(FBlock.size())) return FOk = false, 0;
    return uint8_t(FBlock[qsizetype(FPos++)]);
  }
  const QByteArray& FBlock;
  size_t FPos = 0;
  bool FOk = true;
};

TDecodedBlock Decode(const QByteArray& Block) {
  TBlockReader R(Block);
  TDecodedBlock D;
  D.Magic = R.Text();
  D.Unit = R.Text();
  D.Services = R.Count(2);
  D.PortType = R.Text();
  for (uint32_t Op = R.Count(2); Op > 0 && !R.AtEnd(); --Op) {
    TDecodedOperation& O = D.Operations.emplace_back();
    O.Name = R.Text();
    for (uint32_t P = R.Count(1); P > 0; --P) {
      TDecodedParameter& Par = O.Parameters.emplace_back();
      Par.Name = R.Text();
      Par.Type = R.Text();
      Par.Reserved = R.Count(4);
      Par.Modifier = R.Count(4);
    }
  }
  D.Whole = R.AtEnd();
  return D;
}

// "name:type ..." of an operation's parameters.
std::string Signature(const TDecodedOperation& Op) {
  std::string Text;
  for (const TDecodedParameter& P : Op.Parameters) Text += (Text.empty() ? "" : " ") + P.Name + ":" + P.Type;
  return Text;
}

const char* const SoilPort = "SDMTabularServiceSoap";
const char* const ForecastPort = "ndfdXMLPortType";
const char* const StationPort = "iMetosSOAPPortType";

// The operations of the station service in slot order.
const QStringList StationOperations = QStringLiteral(
    "cidistationsensors_Get, cidistationlist2_GetFirst, cidistationlist2_GetNext, cidistationlist_GetFirst, "
    "cidistationlist_GetNext, cidiuser_GetInfo, cidiuser_Login, cidiuser_Logout, cidiuser_CheckTime, "
    "cididiarylist_Get, cididiarylist_GetPages, cididiarylist_Add, cididiarylist_Edit, cididiarylist_Remove, "
    "cididiaryevents_Get, cididiaryevents_GetPages, cididiaryevents_Add, cididiaryevents_Edit, "
    "cididiaryevents_Remove, cididiaryspraylist_Get, cididiaryspraylist_GetPages, cididiaryspraylist_Add, "
    "cididiaryspraylist_Edit, cididiaryspraylist_Remove, cididiarysprayevents_Get, cididiarysprayevents_GetPages, "
    "cididiarysprayevents_Add, cididiarysprayevents_Edit, cididiarysprayevents_Remove, "
    "cididiarysprayevents_AddPesticide, cididiarysprayevents_AddDiseas, cididiarysprayevents_Pesticides, "
    "cididiarysprayevents_Diseases, cididiaryfertilizers_Get, cididiaryfertilizers_Add, cididiaryfertilizers_Edit, "
    "cididiaryfertilizers_Remove, cidifields_Get, cidicrops_Get, cidistationprofiles_Get, cidifavorites_Get, "
    "cidistationdata_GetFirst, cidistationdata_GetLast, cidistationdata_GetNext, cidistationdata_GetPrev, "
    "cidistationdata_GetFromDate, cidistationdata_GetMinMaxDate, cidistationlist3_GetFirst, "
    "cidistationlist3_GetNext, cidistationlist3_GetStationNumber, cidistationlist3_GetPageNumber, "
    "cidistationlist3_GetPage, cidistationlist3_Attach, cidistationlist3_Detach, cidistationdata2_GetFirst, "
    "cidistationdata2_GetLast, cidistationdata2_GetNext, cidistationdata2_GetPrev, cidistationdata2_GetFromDate, "
    "cidistationdata2_GetMinMaxDate, cidistationconfig2_Get, cidistationsensors3_Get, cidistationdata3_GetFirst, "
    "cidistationdata3_GetLast, cidistationdata3_GetNext, cidistationdata3_GetPrev, cidistationdata3_GetFromDate, "
    "cidistationdata3_GetMinMaxDate").split(QStringLiteral(", "));

// Everything the registrations leave behind, as one text.
std::string Snapshot() {
  std::string Text;
  for (const TSoapTypeInfo& T : SoapRegisteredTypes()) {
    Text += (T.Namespace + u' ' + T.Name + u' ' + T.Identifier).toStdString();
    for (const auto& [Id, Xml] : T.ExternalNames) Text += (u' ' + Id + u'=' + Xml).toStdString();
    Text += '\n';
  }
  for (const char* Name : {"SDMTABULARSERVICE", "NDFDXML", "METOS"})
    Text += SoapMetadataResource(QLatin1String(Name)).toHex().toStdString() + '\n';
  for (const char* Unit : {"SDMTabularService", "ndfdXML", "metos"})
    Text += SoapRepositoryNamespace(QLatin1String(Unit)).toStdString() + '\n';
  for (const char* Port : {SoilPort, ForecastPort, StationPort})
    for (const QString& Op : QStringList(QString()) + SoapMetadataOperations(QLatin1String(Port)))
      for (const QString& Key : SoapMetadataKeys(QLatin1String(Port), Op))
        Text += (Op + u' ' + Key + u'=' + SoapMetadataProperty(QLatin1String(Port), Op, Key)).toStdString() + '\n';
  return Text;
}

}  // namespace

TEST(SoapMetadata, BlocksFollowTheLayout) {
  RegisterSoapBindings();
  const struct {
    const char *Resource, *Unit, *PortType;
    size_t Operations;
    qsizetype Size;
  } Blocks[] = {{"SDMTABULARSERVICE", "SDMTabularService", SoilPort, 1, 163},
                {"NDFDXML", "ndfdXML", ForecastPort, 12, 2673},
                {"METOS", "metos", StationPort, 68, 19524}};
  // The station operations of every kind of argument; the soil and forecast blocks are
  // read whole, in slot order, below.
  const std::string Dt = "TDateTimeRemotable", Account = "user_name:string user_passw:string ";
  const struct {
    const char *Resource, *Operation;
    std::string Parameters;
  } Operations[] = {
      {"METOS", "cidistationsensors_Get",
       Account + "station_name:string debug:integer show_user_app:boolean api_key:string "
                 "Result:struct_cidistationsensors_GetData"},
      {"METOS", "cidiuser_Logout", "cookie:string debug:integer Result:struct_cidiuser_LogoutData"},
      {"METOS", "cididiarysprayevents_AddPesticide",
       Account + "event_id:integer fertilizer_value:Single fertilizer_unit:string fertilizer_id:integer "
                 "debug:integer Result:struct_cididiarysprayevents_AddPesticideData"},
      {"METOS", "cidistationdata_GetFromDate",
       Account + "row_count:integer station_name:string group_code:integer dt_from:" + Dt +
           " debug:integer Result:struct_cidistationdata_GetFromDateData"},
      {"METOS", "cidistationdata3_GetMinMaxDate",
       Account + "station_name:string debug:integer show_user_app:boolean master_user_app:string "
                 "no_wait_sync:boolean die_if_locked:boolean api_key:string "
                 "Result:struct_cidistationdata3_GetMinMaxDateData"},
  };
  for (const auto& B : Blocks) {
    SCOPED_TRACE(B.Resource);
    const QByteArray Block = SoapMetadataResource(QLatin1String(B.Resource));
    EXPECT_EQ(Block.size(), B.Size);
    const TDecodedBlock D = Decode(Block);
    EXPECT_TRUE(D.Whole);
    EXPECT_EQ(D.Magic, "WST_METADATA_0.6");
    EXPECT_EQ(D.Unit, B.Unit);
    EXPECT_EQ(D.Services, 1u);
    EXPECT_EQ(D.PortType, B.PortType);
    ASSERT_EQ(D.Operations.size(), B.Operations);
    for (const TDecodedOperation& Op : D.Operations) {
      SCOPED_TRACE(Op.Name);
      ASSERT_FALSE(Op.Parameters.empty());
      EXPECT_EQ(Op.Parameters.back().Name, "Result");
      for (size_t I = 0; I < Op.Parameters.size(); ++I) {
        EXPECT_EQ(Op.Parameters[I].Reserved, 0u);
        EXPECT_EQ(Op.Parameters[I].Modifier, I + 1 == Op.Parameters.size() ? 3u : 1u);
      }
    }
    if (D.Unit == "metos") {
      QStringList Names;
      for (const TDecodedOperation& Op : D.Operations) Names << QString::fromStdString(Op.Name);
      EXPECT_EQ(Names, StationOperations);
    }
    for (const auto& Op : Operations) {
      if (std::string(Op.Resource) != B.Resource) continue;
      SCOPED_TRACE(Op.Operation);
      const auto Found = std::find_if(D.Operations.begin(), D.Operations.end(),
                                      [&Op](const TDecodedOperation& O) { return O.Name == Op.Operation; });
      ASSERT_NE(Found, D.Operations.end());
      EXPECT_EQ(Signature(*Found), Op.Parameters);
    }
  }
  EXPECT_TRUE(SoapMetadataResource(QStringLiteral("OTHER")).isEmpty());
}

TEST(SoapMetadata, ServiceLevelProperties) {
  RegisterSoapBindings();
  const QString Sdm = QStringLiteral("http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx");
  const QString Wsdl = QStringLiteral("http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl");
  const QString Station = QStringLiteral("https://www.fieldclimate.com/pikernel/cidiwsdl.php?debug=1");
  const struct {
    const char *Unit, *Port;
    QString Namespace, Address, Style;
  } Cases[] = {
      {"SDMTabularService", SoilPort, Sdm, Sdm, "document"},
      {"ndfdXML", ForecastPort, Wsdl, "http://graphical.weather.gov/xml/SOAP_server/ndfdXMLserver.php", "rpc"},
      {"metos", StationPort, "http://www.metos.at", Station, "rpc"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Port);
    const QString Port = QLatin1String(C.Port);
    EXPECT_EQ(SoapRepositoryNamespace(QLatin1String(C.Unit)), C.Namespace);
    EXPECT_EQ(SoapMetadataKeys(Port, QString()), QStringList({"TRANSPORT_Address", "FORMAT_Style"}));
    EXPECT_EQ(SoapMetadataProperty(Port, QString(), QStringLiteral("TRANSPORT_Address")), C.Address);
    EXPECT_EQ(SoapMetadataProperty(Port, QString(), QStringLiteral("FORMAT_Style")), C.Style);
  }
  EXPECT_EQ(SoapMetadataProperty(QStringLiteral("Other"), QString(), QStringLiteral("FORMAT_Style")), QString());
}

TEST(SoapMetadata, TypeRegistryNames) {
  RegisterSoapBindings();
  const QString Dwml = QStringLiteral("http://graphical.weather.gov/xml/DWMLgen/schema/DWML.xsd");
  const struct {
    const char *Type, *Member, *XmlName;
  } Names[] = {
      {"RunQueryResponse_RunQueryResult_Type", "schema", "xs:schema"},
      {"RunQueryResponse_RunQueryResult_Type", "diffgram", "diffgr:diffgram"},
      {"RunQueryResponse", "RunQueryResult", "RunQueryResult"},
      {"productType", "productType_time_series", "time-series"},
      {"productType", "glance", "glance"},
      {"unitType", "e", "e"},
      {"formatType", "formatType__24_hourly", "24 hourly"},
      {"formatType", "formatType__12_hourly", "12 hourly"},
      {"featureTypeType", "Ndfd_KmlPoint", "Ndfd_KmlPoint"},
      {"compTypeType", "GreaterThanEqualTo", "GreaterThanEqualTo"},
      {"sectorType", "npacocn", "npacocn"},
      {"displayLevelType", "displayLevelType__1", "1"},
      {"displayLevelType", "displayLevelType__4", "4"},
      {"displayLevelType", "displayLevelType__12", "12"},
      {"displayLevelType", "displayLevelType__34", "34"},
      {"displayLevelType", "displayLevelType__1234", "1234"},
  };
  for (const auto& N : Names)
    EXPECT_EQ(SoapMemberXmlName(QLatin1String(N.Type), QLatin1String(N.Member)), QLatin1String(N.XmlName)) << N.Member;
  EXPECT_EQ(XmlName(displayLevelType::displayLevelType__34), QStringLiteral("34"));
  EXPECT_EQ(XmlName(sectorType::guam), QStringLiteral("guam"));

  const struct {
    const char *Type, *XmlName;
    QString Namespace;
  } Types[] = {
      {"RunQuery_Type", "RunQuery", QLatin1String(SDMTabularServiceUri)},
      {"unitType", "unitType", Dwml},
      {"weatherParametersType", "weatherParametersType", Dwml},
      {"DataSetStruct", "DataSetStruct", QStringLiteral("http://www.metos.at")},
  };
  for (const auto& T : Types) {
    EXPECT_EQ(SoapTypeXmlName(QLatin1String(T.Type)), QLatin1String(T.XmlName));
    EXPECT_EQ(SoapTypeNamespace(QLatin1String(T.Type)), T.Namespace) << T.Type;
  }
  // The soil service's three types, the forecast's seven enumerations and one record, and
  // the station service's 141, in the order of the units.
  const std::vector<TSoapTypeInfo> All = SoapRegisteredTypes();
  ASSERT_EQ(All.size(), 152u);
  EXPECT_EQ(All[2].Identifier, QStringLiteral("RunQueryResponse"));
  EXPECT_EQ(All[3].Identifier, QStringLiteral("productType"));
  EXPECT_EQ(All[10].Identifier, QStringLiteral("weatherParametersType"));
  EXPECT_EQ(All[11].Identifier, QStringLiteral("struct_cidistationsensors_GetData"));
  EXPECT_EQ(All[151].Identifier, QStringLiteral("ArrayOfStrings"));
}

TEST(SoapMetadata, RegisteringAgainChangesNothing) {
  // Several threads may be first.
  std::vector<std::thread> Threads;
  for (int I = 0; I < 4; ++I) Threads.emplace_back(RegisterSoapBindings);
  for (std::thread& T : Threads) T.join();
  const std::string Before = Snapshot();
  RegisterSoapBindings();
  RegisterSDMTabularServiceTypes();
  RegisterSDMTabularServiceResource();
  RegisterSDMTabularServiceMetadata();
  RegisterNdfdDWMLSchemaTypes();
  RegisterNdfdXMLResource();
  RegisterNdfdXMLMetadata();
  EXPECT_EQ(RegisterMetosTypes().size(), 141u);
  RegisterMetosResource();
  RegisterMetosMetadata();
  EXPECT_EQ(Snapshot(), Before);
  EXPECT_GT(Before.size(), 20000u);
}

TEST(SoapMetadata, ProxiesTakeTheStoredEndpointUnlessGivenOne) {
  RegisterSoapBindings();
  RegisterHttpTransport();
  const auto Make = [](const char* Port, const QString& Address) -> std::unique_ptr<TBaseProxy> {
    const QString Soap = QStringLiteral("SOAP:"), Http = QStringLiteral("HTTP:");
    if (Port == SoilPort) return CreateSDMTabularServiceSoap(Soap, Http, Address);
    if (Port == ForecastPort) return CreateNdfdXMLPortType(Soap, Http, Address);
    return CreateMetosSOAPPortType(Soap, Http, Address);
  };
  const struct {
    const char *Port, *Style;
  } Services[] = {{SoilPort, "document"}, {ForecastPort, "rpc"}, {StationPort, "rpc"}};
  const QString Key = QStringLiteral("TRANSPORT_Address");
  for (const auto& S : Services) {
    SCOPED_TRACE(S.Port);
    const QString Port = QLatin1String(S.Port);
    const QString Stored = SoapMetadataProperty(Port, QString(), Key);
    ASSERT_FALSE(Stored.isEmpty());
    // The endpoint is read from the store when a proxy is made.
    SoapSetMetadataProperty(Port, QString(), Key, QStringLiteral("http://127.0.0.1:9/stored"));
    const auto FromStore = Make(S.Port, QString());
    SoapSetMetadataProperty(Port, QString(), Key, Stored);
    ASSERT_TRUE(FromStore);
    EXPECT_EQ(FromStore->Address(), QStringLiteral("http://127.0.0.1:9/stored"));
    EXPECT_EQ(FromStore->TransportSpec(), QStringLiteral("HTTP:address=http://127.0.0.1:9/stored"));
    EXPECT_EQ(FromStore->FormatSpec(), QStringLiteral("SOAP:Style=") + QLatin1String(S.Style));
    EXPECT_EQ(Make(S.Port, QStringLiteral(" "))->Address(), Stored);
    const auto Given = Make(S.Port, QStringLiteral("http://127.0.0.1:1/x"));
    EXPECT_EQ(Given->Address(), QStringLiteral("http://127.0.0.1:1/x"));
    EXPECT_EQ(Given->TransportSpec(), QStringLiteral("HTTP:address=http://127.0.0.1:1/x"));
    Given->SetAddress(QString());
    EXPECT_EQ(Given->Address(), Stored);
    EXPECT_EQ(Given->TransportSpec(), QStringLiteral("HTTP:address=") + Stored);
  }
}

TEST(SoapMetadata, SoilAndForecastBlocksHoldEveryOperationInSlotOrder) {
  RegisterSoapBindings();
  using TParams = std::vector<std::pair<std::string, std::string>>;
  const std::string Dt = "TDateTimeRemotable", Date = "TDateRemotable", Ext = "Extended", List = "listLatLonType";
  const std::pair<std::string, std::string> Unit{"_Unit", "unitType"},
      Weather{"weatherParameters", "weatherParametersType"};
  const struct {
    const char* Resource;
    std::vector<std::pair<std::string, TParams>> Operations;  // in slot order
  } Blocks[] = {
      {"SDMTABULARSERVICE", {{"RunQuery", {{"RunQueryParam", "RunQuery_Type"}, {"Result", "RunQueryResponse"}}}}},
      {"NDFDXML",
       {{"NDFDgen",
         {{"latitude", Ext}, {"longitude", Ext}, {"product", "productType"}, {"startTime", Dt}, {"endTime", Dt},
          Unit, Weather, {"Result", "string"}}},
        {"NDFDgenByDay",
         {{"latitude", Ext}, {"longitude", Ext}, {"startDate", Date}, {"numDays", "integer"}, Unit,
          {"format", "formatType"}, {"Result", "string"}}},
        {"NDFDgenLatLonList",
         {{"listLatLon", List}, {"product", "productType"}, {"startTime", Dt}, {"endTime", Dt}, Unit, Weather,
          {"Result", "string"}}},
        {"NDFDgenByDayLatLonList",
         {{"listLatLon", List}, {"startDate", Date}, {"numDays", "integer"}, Unit, {"format", "formatType"},
          {"Result", "string"}}},
        {"GmlLatLonList",
         {{"listLatLon", List}, {"requestedTime", Dt}, {"featureType", "featureTypeType"}, Unit, Weather,
          {"Result", "string"}}},
        {"GmlTimeSeries",
         {{"listLatLon", List}, {"startTime", Dt}, {"endTime", Dt}, {"compType", "compTypeType"},
          {"featureType", "featureTypeType"}, Unit, {"propertyName", "string"}, {"Result", "string"}}},
        {"LatLonListSubgrid",
         {{"lowerLeftLatitude", Ext}, {"lowerLeftLongitude", Ext}, {"upperRightLatitude", Ext},
          {"upperRightLongitude", Ext}, {"resolution", Ext}, {"Result", List}}},
        {"LatLonListLine",
         {{"endPoint1Lat", Ext}, {"endPoint1Lon", Ext}, {"endPoint2Lat", Ext}, {"endPoint2Lon", Ext},
          {"Result", List}}},
        {"LatLonListZipCode", {{"zipCodeList", "zipCodeListType"}, {"Result", List}}},
        {"LatLonListSquare",
         {{"centerPointLat", Ext}, {"centerPointLon", Ext}, {"distanceLat", Ext}, {"distanceLon", Ext},
          {"resolution", Ext}, {"Result", List}}},
        {"CornerPoints", {{"sector", "sectorType"}, {"Result", List}}},
        {"LatLonListCityNames", {{"displayLevel", "displayLevelType"}, {"Result", "listCityNamesType"}}}}},
  };
  for (const auto& B : Blocks) {
    SCOPED_TRACE(B.Resource);
    const TDecodedBlock D = Decode(SoapMetadataResource(QLatin1String(B.Resource)));
    EXPECT_TRUE(D.Whole);
    ASSERT_EQ(D.Operations.size(), B.Operations.size());
    for (size_t Slot = 0; Slot < B.Operations.size(); ++Slot) {
      const TDecodedOperation& Op = D.Operations[Slot];
      const auto& [Name, Params] = B.Operations[Slot];
      SCOPED_TRACE(Name);
      EXPECT_EQ(Op.Name, Name);
      ASSERT_EQ(Op.Parameters.size(), Params.size());
      for (size_t I = 0; I < Params.size(); ++I) {
        EXPECT_EQ(Op.Parameters[I].Name, Params[I].first);
        EXPECT_EQ(Op.Parameters[I].Type, Params[I].second) << Params[I].first;
        EXPECT_EQ(Op.Parameters[I].Reserved, 0u) << Params[I].first;
        EXPECT_EQ(Op.Parameters[I].Modifier, I + 1 == Params.size() ? 3u : 1u) << Params[I].first;
      }
    }
  }
}

TEST(SoapMetadata, EveryOperationHasItsPropertiesInOrder) {
  RegisterSoapBindings();
  const QString Sdm = QStringLiteral("http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx/");
  const QString Wsdl = QStringLiteral("http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl#");
  const QString Station = QStringLiteral("http://www.fieldclimate.com/pikernel/cidiwsdl.php/");
  const QStringList Forecast = QStringLiteral(
      "NDFDgen NDFDgenByDay NDFDgenLatLonList NDFDgenByDayLatLonList GmlLatLonList GmlTimeSeries LatLonListSubgrid "
      "LatLonListLine LatLonListZipCode LatLonListSquare CornerPoints LatLonListCityNames").split(u' ');
  const QStringList RpcKeys = {"_E_N_", "style", "TRANSPORT_soapAction", "FORMAT_Input_EncodingStyle",
                               "FORMAT_OutputEncodingStyle"};
  const struct {
    const char* Port;
    QStringList Operations;
    bool Rpc;
    QString ActionPrefix, Encoding;
  } Services[] = {{SoilPort, {"RunQuery"}, false, Sdm, "literal"},
                  {ForecastPort, Forecast, true, Wsdl, "encoded"},
                  {StationPort, StationOperations, true, Station, "encoded"}};
  for (const auto& S : Services) {
    SCOPED_TRACE(S.Port);
    const QString Port = QLatin1String(S.Port);
    EXPECT_EQ(SoapMetadataOperations(Port), S.Operations);
    for (const QString& Op : S.Operations) {
      SCOPED_TRACE(Op.toStdString());
      QStringList Keys = RpcKeys;
      if (!S.Rpc) Keys.removeOne(QStringLiteral("style"));
      EXPECT_EQ(SoapMetadataKeys(Port, Op), Keys);
      const auto Get = [&](const char* Key) { return SoapMetadataProperty(Port, Op, QLatin1String(Key)); };
      EXPECT_EQ(Get("_E_N_"), Op);
      EXPECT_EQ(Get("style"), S.Rpc ? QStringLiteral("rpc") : QString());
      EXPECT_EQ(Get("TRANSPORT_soapAction"), S.ActionPrefix + Op);
      EXPECT_EQ(Get("FORMAT_Input_EncodingStyle"), S.Encoding);
      EXPECT_EQ(Get("FORMAT_OutputEncodingStyle"), S.Encoding);
    }
  }
}

TEST(SoapMetadata, ForecastEnumerationValuesInOrderWithTheirXmlNames) {
  RegisterSoapBindings();
  const struct {
    int Ordinal, Index;
    QString XmlName;
    const char* Expected;
  } Values[] = {
      {int(productType::productType_time_series), 0, XmlName(productType::productType_time_series), "time-series"},
      {int(productType::glance), 1, XmlName(productType::glance), "glance"},
      {int(unitType::e), 0, XmlName(unitType::e), "e"},
      {int(unitType::m), 1, XmlName(unitType::m), "m"},
      {int(formatType::formatType__24_hourly), 0, XmlName(formatType::formatType__24_hourly), "24 hourly"},
      {int(formatType::formatType__12_hourly), 1, XmlName(formatType::formatType__12_hourly), "12 hourly"},
      {int(featureTypeType::Forecast_Gml2Point), 0, XmlName(featureTypeType::Forecast_Gml2Point),
       "Forecast_Gml2Point"},
      {int(featureTypeType::Forecast_Gml2AllWx), 1, XmlName(featureTypeType::Forecast_Gml2AllWx),
       "Forecast_Gml2AllWx"},
      {int(featureTypeType::Forecast_GmlsfPoint), 2, XmlName(featureTypeType::Forecast_GmlsfPoint),
       "Forecast_GmlsfPoint"},
      {int(featureTypeType::Forecast_GmlObs), 3, XmlName(featureTypeType::Forecast_GmlObs), "Forecast_GmlObs"},
      {int(featureTypeType::NdfdMultiPointCoverage), 4, XmlName(featureTypeType::NdfdMultiPointCoverage),
       "NdfdMultiPointCoverage"},
      {int(featureTypeType::Ndfd_KmlPoint), 5, XmlName(featureTypeType::Ndfd_KmlPoint), "Ndfd_KmlPoint"},
      {int(compTypeType::IsEqual), 0, XmlName(compTypeType::IsEqual), "IsEqual"},
      {int(compTypeType::Between), 1, XmlName(compTypeType::Between), "Between"},
      {int(compTypeType::GreaterThan), 2, XmlName(compTypeType::GreaterThan), "GreaterThan"},
      {int(compTypeType::GreaterThanEqualTo), 3, XmlName(compTypeType::GreaterThanEqualTo), "GreaterThanEqualTo"},
      {int(compTypeType::LessThan), 4, XmlName(compTypeType::LessThan), "LessThan"},
      {int(compTypeType::LessThanEqualTo), 5, XmlName(compTypeType::LessThanEqualTo), "LessThanEqualTo"},
      {int(sectorType::conus), 0, XmlName(sectorType::conus), "conus"},
      {int(sectorType::nhemi), 1, XmlName(sectorType::nhemi), "nhemi"},
      {int(sectorType::alaska), 2, XmlName(sectorType::alaska), "alaska"},
      {int(sectorType::guam), 3, XmlName(sectorType::guam), "guam"},
      {int(sectorType::hawaii), 4, XmlName(sectorType::hawaii), "hawaii"},
      {int(sectorType::puertori), 5, XmlName(sectorType::puertori), "puertori"},
      {int(sectorType::npacocn), 6, XmlName(sectorType::npacocn), "npacocn"},
      {int(displayLevelType::displayLevelType__1), 0, XmlName(displayLevelType::displayLevelType__1), "1"},
      {int(displayLevelType::displayLevelType__2), 1, XmlName(displayLevelType::displayLevelType__2), "2"},
      {int(displayLevelType::displayLevelType__3), 2, XmlName(displayLevelType::displayLevelType__3), "3"},
      {int(displayLevelType::displayLevelType__4), 3, XmlName(displayLevelType::displayLevelType__4), "4"},
      {int(displayLevelType::displayLevelType__12), 4, XmlName(displayLevelType::displayLevelType__12), "12"},
      {int(displayLevelType::displayLevelType__34), 5, XmlName(displayLevelType::displayLevelType__34), "34"},
      {int(displayLevelType::displayLevelType__1234), 6, XmlName(displayLevelType::displayLevelType__1234), "1234"},
  };
  for (const auto& V : Values) {
    EXPECT_EQ(V.Ordinal, V.Index) << V.Expected;
    EXPECT_EQ(V.XmlName, QLatin1String(V.Expected));
  }
}
