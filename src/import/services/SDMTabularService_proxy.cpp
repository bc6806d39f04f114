// The proxy of the soil data tabular service.

#include "SDMTabularService_proxy.h"

#include "SoapBindings.h"

namespace {

const char* const PortType = "SDMTabularServiceSoap";

}  // namespace

void RegisterSDMTabularServiceResource() {
  SoapAddResource(QStringLiteral("SDMTABULARSERVICE"),
                  SoapMetadataBlock(QStringLiteral("SDMTabularService"), QLatin1String(PortType),
                                    SDMTabularServiceOperations()));
}

void RegisterSDMTabularServiceMetadata() {
  const QString Uri = QString::fromLatin1(SDMTabularServiceUri);
  SoapStoreServiceMetadata({QStringLiteral("SDMTabularService"), QLatin1String(PortType), Uri, Uri,
                            QStringLiteral("document"), QStringLiteral("literal"), Uri + u'/'},
                           SDMTabularServiceOperations());
}

TSDMTabularServiceSoap_Proxy::TSDMTabularServiceSoap_Proxy(const TSoapProxySpecs& Specs,
                                                           const TSoapTransportOptions& Options)
    : TBaseProxy(SDMTabularServiceInfo(), Specs, Options) {}

std::unique_ptr<RunQueryResponse> TSDMTabularServiceSoap_Proxy::RunQuery(const RunQuery_Type& RunQueryParam) {
  const std::unique_ptr<TSoapReply> Reply = Invoke(QStringLiteral("RunQuery"), RunQueryRequestXml(RunQueryParam));
  return ReadRunQueryResponse(Reply->Body());
}

std::unique_ptr<TSDMTabularServiceSoap_Proxy> CreateSDMTabularServiceSoap(const QString& Format,
                                                                        const QString& Transport,
                                                                        const QString& Address,
                                                                        const TSoapTransportOptions& Options) {
  RegisterSoapBindings();
  const TSoapProxySpecs Specs = SoapProxySpecs(QLatin1String(PortType), Format, Transport, Address);
  if (!SoapSpecsSupported(Specs.Format, Specs.Transport)) return nullptr;
  return std::make_unique<TSDMTabularServiceSoap_Proxy>(Specs, Options);
}
