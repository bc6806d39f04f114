// The proxy of the Metos weather-station service.

#include "metos_proxy.h"

#include "XmlUtil.h"

#include <exception>

namespace {

const bool Encoded = true;

void AddAccount(TSoapArgs& Args, const QString& user_name, const QString& user_passw) {
  Args.AddString(QStringLiteral("user_name"), user_name);
  Args.AddString(QStringLiteral("user_passw"), user_passw);
}

}  // namespace

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

std::unique_ptr<TSoapReply> TMetosSOAPPortType_Proxy::Call(const char* Operation, const TSoapArgs& Args,
                                                           pugi::xml_node& Return) const {
  std::unique_ptr<TSoapReply> Reply = InvokeRpc(QString::fromLatin1(Operation), Args);
  Return = RpcResult(*Reply, "return");
  return Reply;
}

std::unique_ptr<struct_cidistationsensors_GetData> TMetosSOAPPortType_Proxy::cidistationsensors_Get(
    const QString& user_name, const QString& user_passw, const QString& station_name, int debug, bool show_user_app,
    const QString& api_key) {
  TSoapArgs Args(Encoded);
  AddAccount(Args, user_name, user_passw);
  Args.AddString(QStringLiteral("station_name"), station_name);
  Args.AddInteger(QStringLiteral("debug"), debug);
  Args.AddBoolean(QStringLiteral("show_user_app"), show_user_app);
  Args.AddString(QStringLiteral("api_key"), api_key);
  pugi::xml_node Return;
  const auto Reply = Call("cidistationsensors_Get", Args, Return);
  return ReadCidistationsensorsGetData(*Reply, Return);
}

std::unique_ptr<struct_cidistationlist_GetNextData> TMetosSOAPPortType_Proxy::cidistationlist_GetNext(
    const QString& user_name, const QString& user_passw, int row_count, int station_code, int sort_type, int debug,
    const QString& api_key) {
  TSoapArgs Args(Encoded);
  AddAccount(Args, user_name, user_passw);
  Args.AddInteger(QStringLiteral("row_count"), row_count);
  Args.AddInteger(QStringLiteral("station_code"), station_code);
  Args.AddInteger(QStringLiteral("sort_type"), sort_type);
  Args.AddInteger(QStringLiteral("debug"), debug);
  Args.AddString(QStringLiteral("api_key"), api_key);
  pugi::xml_node Return;
  const auto Reply = Call("cidistationlist_GetNext", Args, Return);
  return ReadCidistationlistGetNextData(*Reply, Return);
}

std::unique_ptr<struct_cidistationdata_GetFromDateData> TMetosSOAPPortType_Proxy::cidistationdata_GetFromDate(
    const QString& user_name, const QString& user_passw, int row_count, const QString& station_name, int group_code,
    const QDateTime& dt_from, int debug) {
  TSoapArgs Args(Encoded);
  AddAccount(Args, user_name, user_passw);
  Args.AddInteger(QStringLiteral("row_count"), row_count);
  Args.AddString(QStringLiteral("station_name"), station_name);
  Args.AddInteger(QStringLiteral("group_code"), group_code);
  Args.AddDateTime(QStringLiteral("dt_from"), dt_from);
  Args.AddInteger(QStringLiteral("debug"), debug);
  pugi::xml_node Return;
  const auto Reply = Call("cidistationdata_GetFromDate", Args, Return);
  return ReadCidistationdataGetFromDateData(*Reply, Return);
}

std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> TMetosSOAPPortType_Proxy::cidistationdata_GetMinMaxDate(
    const QString& user_name, const QString& user_passw, const QString& station_name, int debug) {
  TSoapArgs Args(Encoded);
  AddAccount(Args, user_name, user_passw);
  Args.AddString(QStringLiteral("station_name"), station_name);
  Args.AddInteger(QStringLiteral("debug"), debug);
  pugi::xml_node Return;
  const auto Reply = Call("cidistationdata_GetMinMaxDate", Args, Return);
  return ReadCidistationdataGetMinMaxDateData(*Reply, Return);
}

std::unique_ptr<TMetosSOAPPortType_Proxy> CreateMetosSOAPPortType(const QString& Format, const QString& Transport,
                                                                  const QString& Address,
                                                                  const TSoapTransportOptions& Options) {
  if (!SoapSpecsSupported(Format, Transport)) return nullptr;
  return std::make_unique<TMetosSOAPPortType_Proxy>(Address, Options);
}
