// The proxy of the Metos weather-station service.

#include "metos_proxy.h"

#include "SoapBindings.h"
#include "XmlUtil.h"

#include <exception>

namespace {

const char* const PortType = "iMetosSOAPPortType";
// The requests carry the account's password: the endpoint is reached over TLS only.
const char* const MetosEndpointHost = "https://www.fieldclimate.com";
// The SOAPAction values name the service as it describes itself.
const char* const MetosActionHost = "http://www.fieldclimate.com";

}  // namespace

void RegisterMetosResource() {
  SoapAddResource(QStringLiteral("METOS"),
                  SoapMetadataBlock(QStringLiteral("metos"), QLatin1String(PortType), MetosOperations()));
}

void RegisterMetosMetadata() {
  SoapStoreServiceMetadata({QStringLiteral("metos"), QLatin1String(PortType), QString::fromLatin1(MetosNamespaceUri),
                            QLatin1String(MetosEndpointHost) + QStringLiteral("/pikernel/cidiwsdl.php?debug=1"),
                            QStringLiteral("rpc"), QStringLiteral("encoded"),
                            QLatin1String(MetosActionHost) + QStringLiteral("/pikernel/cidiwsdl.php/")},
                           MetosOperations());
}

TMetosSOAPPortType_Proxy::TMetosSOAPPortType_Proxy(const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options)
    : TBaseProxy(MetosServiceInfo(), Specs, Options) {}

QByteArray TMetosSOAPPortType_Proxy::ReceivedBody(const QByteArray& Body) const {
  try {
    const TTempReplyFile File;
    return File.PassThrough(Body);
  } catch (const std::exception& E) {
    throw ESoapError(QString::fromUtf8(E.what()));
  }
}

template <typename TData>
std::unique_ptr<TData> TMetosSOAPPortType_Proxy::Call(const char* Operation, const TSoapArgs& Args) const {
  const std::unique_ptr<TSoapReply> Reply = Invoke(QString::fromLatin1(Operation), Args);
  return ReadMetosData<TData>(*Reply, RpcResult(*Reply, MetosResultElement));
}

// Each method puts its arguments, in the table's order, as encoded elements of their
// names and types.
#define METOS_PUT_ARGUMENT(Kind, Name) Request.Add##Kind(QStringLiteral(#Name), Name);
#define METOS_DEFINE_CALL(Slot, Op, Layout, ...)                                                  \
  std::unique_ptr<struct_##Op##Data> TMetosSOAPPortType_Proxy::Op(                                \
      METOS_TAIL(METOS_FOR_EACH(METOS_PARAMETER, __VA_ARGS__))) {                                 \
    TSoapArgs Request = NewArgs(QStringLiteral(#Op));                                             \
    METOS_FOR_EACH(METOS_PUT_ARGUMENT, __VA_ARGS__)                                               \
    return Call<struct_##Op##Data>(#Op, Request);                                                 \
  }
METOS_OPERATIONS(METOS_DEFINE_CALL)
#undef METOS_DEFINE_CALL
#undef METOS_PUT_ARGUMENT

std::unique_ptr<TMetosSOAPPortType_Proxy> CreateMetosSOAPPortType(const QString& Format, const QString& Transport,
                                                                  const QString& Address,
                                                                  const TSoapTransportOptions& Options) {
  RegisterSoapBindings();
  const TSoapProxySpecs Specs = SoapProxySpecs(QLatin1String(PortType), Format, Transport, Address);
  if (!SoapSpecsSupported(Specs.Format, Specs.Transport)) return nullptr;
  return std::make_unique<TMetosSOAPPortType_Proxy>(Specs, Options);
}
