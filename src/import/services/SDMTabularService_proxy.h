#pragma once
// The proxy of the soil data tabular service: each call of the port type becomes one
// SOAP request to the service's endpoint.

#include "SDMTabularService.h"

#include <memory>

class TSDMTabularServiceSoap_Proxy : public TBaseProxy, public SDMTabularServiceSoap {
 public:
  TSDMTabularServiceSoap_Proxy(const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options);
  std::unique_ptr<RunQueryResponse> RunQuery(const RunQuery_Type& RunQueryParam) override;
};

// Adds the service description block of the port type under "SDMTABULARSERVICE".
void RegisterSDMTabularServiceResource();
// Stores the service URI as the repository's namespace, the default endpoint, style
// "document", and per operation its SOAPAction (the service URI + "/" + its name) and
// encoding "literal".
void RegisterSDMTabularServiceMetadata();

// A proxy for Format "SOAP:" and Transport "HTTP:" (the HTTP transport registered
// first, RegisterHttpTransport); an empty Address means the endpoint stored for the
// service ("TRANSPORT_Address"), another one overrides it. Any other format or
// transport gives no proxy.
std::unique_ptr<TSDMTabularServiceSoap_Proxy> CreateSDMTabularServiceSoap(
    const QString& Format, const QString& Transport, const QString& Address,
    const TSoapTransportOptions& Options = TSoapTransportOptions());
