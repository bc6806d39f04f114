// Types and service description of the soil data tabular service.

#include "SDMTabularService.h"

#include "SoapBindings.h"

const char* const SDMTabularServiceUri = "http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx";

void RegisterSDMTabularServiceTypes() {
  const QString Uri = QString::fromLatin1(SDMTabularServiceUri);
  SoapRegisterType(Uri, QStringLiteral("RunQuery_Type"), QStringLiteral("RunQuery"));
  SoapRegisterType(Uri, QStringLiteral("RunQueryResponse_RunQueryResult_Type"),
                   QStringLiteral("RunQueryResponse_RunQueryResult_Type"));
  SoapRegisterType(Uri, QStringLiteral("RunQueryResponse"), QStringLiteral("RunQueryResponse"));
  SoapRegisterExternalName(QStringLiteral("RunQueryResponse_RunQueryResult_Type"), QStringLiteral("schema"),
                           QStringLiteral("xs:schema"));
  SoapRegisterExternalName(QStringLiteral("RunQueryResponse_RunQueryResult_Type"), QStringLiteral("diffgram"),
                           QStringLiteral("diffgr:diffgram"));
}

// Document style: the argument and the result are elements named by their types.
const std::vector<TSoapOperationDesc>& SDMTabularServiceOperations() {
  static const std::vector<TSoapOperationDesc> Operations = {
      {QStringLiteral("RunQuery"),
       {{QStringLiteral("RunQueryParam"), QStringLiteral("RunQuery_Type"), QString()}},
       {QStringLiteral("Result"), QStringLiteral("RunQueryResponse"), QString()}}};
  return Operations;
}

const TSoapServiceInfo& SDMTabularServiceInfo() {
  RegisterSoapBindings();
  static const TSoapServiceInfo Info =
      SoapServiceInfoFromStore(QStringLiteral("SDMTabularService"), QStringLiteral("SDMTabularServiceSoap"),
                               SoapTypeNamespace(QStringLiteral("RunQuery_Type")));
  return Info;
}

QString RunQueryRequestXml(const RunQuery_Type& RunQueryParam) {
  RegisterSoapBindings();
  const QString Type = QStringLiteral("RunQuery_Type");
  const QString Element = SoapTypeXmlName(Type);
  QString Xml =
      u'<' + Element + QStringLiteral(" xmlns=\"") + SoapEscape(SoapTypeNamespace(Type)) + QStringLiteral("\">");
  if (!RunQueryParam.Query.isEmpty()) {
    const QString Query = SoapMemberXmlName(Type, QStringLiteral("Query"));
    Xml += u'<' + Query + u'>' + SoapEscape(RunQueryParam.Query) + QStringLiteral("</") + Query + u'>';
  }
  return Xml + QStringLiteral("</") + Element + u'>';
}

std::unique_ptr<RunQueryResponse> ReadRunQueryResponse(pugi::xml_node Body) {
  RegisterSoapBindings();
  const pugi::xml_node Element =
      SoapChild(Body, SoapTypeXmlName(QStringLiteral("RunQueryResponse")).toUtf8().constData());
  if (!Element) return nullptr;
  auto Response = std::make_unique<RunQueryResponse>();
  const pugi::xml_node Result =
      SoapChild(Element, SoapMemberElementName("RunQueryResponse", "RunQueryResult").constData());
  if (Result) {
    const char* const Type = "RunQueryResponse_RunQueryResult_Type";
    Response->RunQueryResult.schema.Data =
        SoapOuterXml(SoapChild(Result, SoapMemberElementName(Type, "schema").constData()));
    Response->RunQueryResult.diffgram.Data =
        SoapOuterXml(SoapChild(Result, SoapMemberElementName(Type, "diffgram").constData()));
  }
  return Response;
}
