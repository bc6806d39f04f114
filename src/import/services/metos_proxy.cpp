// The proxy of the Metos weather-station service.

#include "metos_proxy.h"

#include "XmlUtil.h"

#include <exception>

TMetosSOAPPortType_Proxy::TMetosSOAPPortType_Proxy(const QString& Address, const TSoapTransportOptions& Options)
    : TBaseProxy(MetosServiceInfo(), Address, Options) {}

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
  const std::unique_ptr<TSoapReply> Reply = InvokeRpc(QString::fromLatin1(Operation), Args);
  return ReadMetosData<TData>(*Reply, RpcResult(*Reply, "return"));
}

// Each method puts its arguments, in the table's order, as encoded elements of their
// names and types.
#define METOS_PUT_ARGUMENT(Kind, Name) Request.Add##Kind(QStringLiteral(#Name), Name);
#define METOS_DEFINE_CALL(Slot, Op, Layout, ...)                                                  \
  std::unique_ptr<struct_##Op##Data> TMetosSOAPPortType_Proxy::Op(                                \
      METOS_TAIL(METOS_FOR_EACH(METOS_PARAMETER, __VA_ARGS__))) {                                 \
    TSoapArgs Request(true);                                                                      \
    METOS_FOR_EACH(METOS_PUT_ARGUMENT, __VA_ARGS__)                                               \
    return Call<struct_##Op##Data>(#Op, Request);                                                 \
  }
METOS_OPERATIONS(METOS_DEFINE_CALL)
#undef METOS_DEFINE_CALL
#undef METOS_PUT_ARGUMENT

std::unique_ptr<TMetosSOAPPortType_Proxy> CreateMetosSOAPPortType(const QString& Format, const QString& Transport,
                                                                  const QString& Address,
                                                                  const TSoapTransportOptions& Options) {
  if (!SoapSpecsSupported(Format, Transport)) return nullptr;
  return std::make_unique<TMetosSOAPPortType_Proxy>(Address, Options);
}
