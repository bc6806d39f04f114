// libFuzzer target: the weather-station service's replies. The input is one SOAP reply,
// or two after a line "====": the first is read as the station list, the period and
// the sensor list, the second (or the first again) as the day rows. Any input must
// read or fail with a message, never crash or hang; the days read must have calendar
// dates and lines that keep their fields apart (cells are passed on as they stand).

#include "FuzzSupport.h"
#include "ImpMetos.h"
#include "metos.h"

#include <exception>

FURROW_FUZZ_TARGET("station service reply fuzzer")

namespace {

// Reaches the proxies' reading of the result element.
struct TReplyReader : TBaseProxy {
  using TBaseProxy::RpcResult;
};

std::unique_ptr<TSoapReply> ReadReply(const QByteArray& Body, pugi::xml_node& Return) {
  auto Reply = TSoapReply::Read({200, Body}, QStringLiteral("http://127.0.0.1/"));
  Return = TReplyReader::RpcResult(*Reply, "return");
  return Reply;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QList<QByteArray> Parts = FuzzParts(FuzzBytes(Data, Size));
  const QByteArray& DaysBody = Parts.size() > 1 ? Parts.at(1) : Parts.at(0);
  std::unique_ptr<TSoapReply> Reply;
  pugi::xml_node Return;
  try {
    Reply = ReadReply(Parts.at(0), Return);
  } catch (const std::exception&) {
    return 0;
  }
  QString ErrMsg;
  try {
    TImportedMetosStations Stations;
    if (Stations.ReadStationList(*ReadMetosData<struct_cidistationlist_GetNextData>(*Reply, Return), ErrMsg)) {
      for (int I = 0; I < Stations.Count(); ++I)
        Check(!Stations.Names(I).isEmpty() && !Stations.Strings(I).contains(u'\n'), "a station line that breaks the list");
    } else {
      Check(!ErrMsg.isEmpty(), "a failure without a message");
      Check(Stations.Count() == 0, "a failure that leaves stations behind");
    }
  } catch (const std::exception&) {
  }
  try {
    ReadMetosData<struct_cidistationdata_GetMinMaxDateData>(*Reply, Return);
  } catch (const std::exception&) {
  }
  std::unique_ptr<struct_cidistationsensors_GetData> Sensors;
  try {
    Sensors = ReadMetosData<struct_cidistationsensors_GetData>(*Reply, Return);
  } catch (const std::exception&) {
    return 0;
  }
  TImportedMetosWeather Weather;
  const bool Ok = Weather.ReadWeather(
      QStringLiteral("0020ABCD"), Sensors->DataSetMain,
      [&DaysBody] {
        pugi::xml_node DaysReturn;
        const auto DaysReply = ReadReply(DaysBody, DaysReturn);
        return ReadMetosData<struct_cidistationdata_GetFromDateData>(*DaysReply, DaysReturn);
      },
      ErrMsg);
  if (!Ok) {
    Check(!ErrMsg.isEmpty(), "a failure without a message");
    Check(Weather.Count() == 0, "a failure that leaves days behind");
    return 0;
  }
  FuzzCheckDays(Weather, Target, TFuzzDayTexts::Copied);
  return 0;
}
