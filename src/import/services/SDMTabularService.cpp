// Types and service description of the soil data tabular service.

#include "SDMTabularService.h"

const char* const SDMTabularServiceUri = "http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx";

const TSoapServiceInfo& SDMTabularServiceInfo() {
  static const TSoapServiceInfo Info = [] {
    TSoapServiceInfo I;
    const QString Uri = QString::fromLatin1(SDMTabularServiceUri);
    I.UnitName = QStringLiteral("SDMTabularService");
    I.PortTypeName = QStringLiteral("SDMTabularServiceSoap");
    I.Style = QStringLiteral("document");
    I.Encoding = QStringLiteral("literal");
    I.Namespace = Uri;
    I.TypesNamespace = Uri;
    I.DefaultAddress = QStringLiteral("http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx");
    I.Operations = {{QStringLiteral("RunQuery"), Uri + QStringLiteral("/RunQuery")}};
    return I;
  }();
  return Info;
}

QString RunQueryRequestXml(const RunQuery_Type& RunQueryParam) {
  QString Xml = QStringLiteral("<RunQuery xmlns=\"") + QLatin1String(SDMTabularServiceUri) + QStringLiteral("\">");
  if (!RunQueryParam.Query.isEmpty())
    Xml += QStringLiteral("<Query>") + SoapEscape(RunQueryParam.Query) + QStringLiteral("</Query>");
  return Xml + QStringLiteral("</RunQuery>");
}

std::unique_ptr<RunQueryResponse> ReadRunQueryResponse(pugi::xml_node Body) {
  const pugi::xml_node Element = SoapChild(Body, "RunQueryResponse");
  if (!Element) return nullptr;
  auto Response = std::make_unique<RunQueryResponse>();
  const pugi::xml_node Result = SoapChild(Element, "RunQueryResult");
  if (Result) {
    Response->RunQueryResult.schema.Data = SoapOuterXml(SoapChild(Result, "schema"));
    Response->RunQueryResult.diffgram.Data = SoapOuterXml(SoapChild(Result, "diffgram"));
  }
  return Response;
}
