// The proxy of the soil data tabular service.

#include "SDMTabularService_proxy.h"

TSDMTabularServiceSoap_Proxy::TSDMTabularServiceSoap_Proxy(const QString& Address,
                                                           const TSoapTransportOptions& Options)
    : TBaseProxy(SDMTabularServiceInfo(), Address, Options) {}

std::unique_ptr<RunQueryResponse> TSDMTabularServiceSoap_Proxy::RunQuery(const RunQuery_Type& RunQueryParam) {
  const std::unique_ptr<TSoapReply> Reply = InvokeDocument(QStringLiteral("RunQuery"), RunQueryRequestXml(RunQueryParam));
  return ReadRunQueryResponse(Reply->Body());
}

std::unique_ptr<TSDMTabularServiceSoap_Proxy> CreateSDMTabularServiceSoap(const QString& Format,
                                                                        const QString& Transport,
                                                                        const QString& Address,
                                                                        const TSoapTransportOptions& Options) {
  if (!SoapSpecsSupported(Format, Transport)) return nullptr;
  return std::make_unique<TSDMTabularServiceSoap_Proxy>(Address, Options);
}
