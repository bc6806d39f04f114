#pragma once
// The proxy of the Metos weather-station service: each call of the port type becomes
// one rpc/encoded SOAP request to the service's endpoint. The reply passes through a
// temporary file, deleted on every way out, before it is read (ReceivedBody).

#include "metos.h"

#include <memory>

class TMetosSOAPPortType_Proxy : public TBaseProxy, public iMetosSOAPPortType {
 public:
  TMetosSOAPPortType_Proxy(const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options);

#define METOS_DECLARE_OVERRIDE(Slot, Op, Layout, ...) METOS_SIGNATURE(Op, __VA_ARGS__) override;
  METOS_OPERATIONS(METOS_DECLARE_OVERRIDE)
#undef METOS_DECLARE_OVERRIDE

 private:
  // Sends the call and reads the record from the reply's "return" element. Throws
  // ESoapError when the call fails or the reply has no "return".
  template <typename TData>
  std::unique_ptr<TData> Call(const char* Operation, const TSoapArgs& Args) const;

 protected:
  QByteArray ReceivedBody(const QByteArray& Body) const override;
};

// Adds the service description block of the port type under "METOS", made from
// METOS_OPERATIONS (MetosOperations).
void RegisterMetosResource();
// Stores the namespace of the service's maker as the repository's namespace, the default
// endpoint, style "rpc", and per operation its SOAPAction, style "rpc" and encoding
// "encoded".
void RegisterMetosMetadata();

// A proxy for Format "SOAP:" and Transport "HTTP:" (the HTTP transport registered
// first, RegisterHttpTransport); an empty Address means the endpoint stored for the
// service ("TRANSPORT_Address"), another one overrides it. Any other format or
// transport gives no proxy.
std::unique_ptr<TMetosSOAPPortType_Proxy> CreateMetosSOAPPortType(
    const QString& Format, const QString& Transport, const QString& Address,
    const TSoapTransportOptions& Options = TSoapTransportOptions());
