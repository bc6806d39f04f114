#pragma once
// The proxy of the Metos weather-station service: each call of the port type becomes
// one rpc/encoded SOAP request to the service's endpoint. The reply passes through a
// temporary file, deleted on every way out, before it is read (ReceivedBody).

#include "metos.h"

#include <memory>

class TMetosSOAPPortType_Proxy : public TBaseProxy, public iMetosSOAPPortType {
 public:
  TMetosSOAPPortType_Proxy(const QString& Address, const TSoapTransportOptions& Options);

  std::unique_ptr<struct_cidistationsensors_GetData> cidistationsensors_Get(const QString& user_name,
                                                                            const QString& user_passw,
                                                                            const QString& station_name, int debug,
                                                                            bool show_user_app,
                                                                            const QString& api_key) override;
  std::unique_ptr<struct_cidistationlist_GetNextData> cidistationlist_GetNext(const QString& user_name,
                                                                              const QString& user_passw,
                                                                              int row_count, int station_code,
                                                                              int sort_type, int debug,
                                                                              const QString& api_key) override;
  std::unique_ptr<struct_cidistationdata_GetFromDateData> cidistationdata_GetFromDate(
      const QString& user_name, const QString& user_passw, int row_count, const QString& station_name,
      int group_code, const QDateTime& dt_from, int debug) override;
  std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> cidistationdata_GetMinMaxDate(
      const QString& user_name, const QString& user_passw, const QString& station_name, int debug) override;

 private:
  // Sends the call and returns the reply with its "return" element (references
  // followed). Throws ESoapError when the call fails or the reply has no "return".
  std::unique_ptr<TSoapReply> Call(const char* Operation, const TSoapArgs& Args, pugi::xml_node& Return) const;

 protected:
  QByteArray ReceivedBody(const QByteArray& Body) const override;
};

// A proxy for Format "SOAP:" and Transport "HTTP:" (the HTTP transport registered
// first, RegisterHttpTransport); an empty Address means the service's default endpoint.
// Any other format or transport gives no proxy.
std::unique_ptr<TMetosSOAPPortType_Proxy> CreateMetosSOAPPortType(
    const QString& Format, const QString& Transport, const QString& Address,
    const TSoapTransportOptions& Options = TSoapTransportOptions());
