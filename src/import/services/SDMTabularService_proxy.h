#pragma once
// The proxy of the soil data tabular service: each call of the port type becomes one
// SOAP request to the service's endpoint.

#include "SDMTabularService.h"

#include <memory>

class TSDMTabularServiceSoap_Proxy : public TBaseProxy, public SDMTabularServiceSoap {
 public:
  TSDMTabularServiceSoap_Proxy(const QString& Address, const TSoapTransportOptions& Options);
  std::unique_ptr<RunQueryResponse> RunQuery(const RunQuery_Type& RunQueryParam) override;
};

// A proxy for Format "SOAP:" and Transport "HTTP:" (the HTTP transport registered
// first, RegisterHttpTransport); an empty Address means the service's default endpoint.
// Any other format or transport gives no proxy.
std::unique_ptr<TSDMTabularServiceSoap_Proxy> CreateSDMTabularServiceSoap(
    const QString& Format, const QString& Transport, const QString& Address,
    const TSoapTransportOptions& Options = TSoapTransportOptions());
