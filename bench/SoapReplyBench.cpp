// Reading a web-service reply at the size limit whose items are all multi-reference
// values (href="#id"), as an rpc/encoded service writes arrays.

#include "SoapBase.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A reply of about Bytes bytes: an array of items, each a reference to a value that
// follows the response element, the values in the opposite order of the items.
THTTPTransport::TResponse ManyReferences(int64_t Bytes, int& Items) {
  const int64_t PerItem = 66;  // an item and its value, at most
  Items = int(Bytes / PerItem);
  std::string Array, Values;
  Array.reserve(size_t(Bytes / 2));
  Values.reserve(size_t(Bytes / 2));
  for (int I = 0; I < Items; ++I) {
    Array += "<item href=\"#id" + std::to_string(I) + "\"/>";
    Values += "<multiRef id=\"id" + std::to_string(Items - 1 - I) + "\">" + std::to_string(Items - 1 - I) +
              "</multiRef>";
  }
  THTTPTransport::TResponse Response;
  Response.Status = 200;
  Response.Body = QByteArray::fromStdString(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
      "<soap:Body><ns1:R xmlns:ns1=\"n\"><return>" +
      Array + "</return></ns1:R>" + Values + "</soap:Body></soap:Envelope>");
  return Response;
}

void BM_ReadReplyOfReferencesAtSizeLimit(benchmark::State& State) {
  int Items = 0;
  const int64_t Limit = TSoapTransportOptions().MaxReplyBytes;
  const THTTPTransport::TResponse Response = ManyReferences(Limit, Items);
  if (Response.Body.size() > Limit) {
    State.SkipWithError("the reply is over the size limit");
    return;
  }
  for (auto _ : State) {
    const auto Reply = TSoapReply::Read(Response, QStringLiteral("bench"));
    int64_t Found = 0;
    for (pugi::xml_node Item : Reply->ResponseElement().child("return").children())
      Found += Reply->Resolve(Item) ? 1 : 0;
    if (Found != Items) {
      State.SkipWithError("a reference was not resolved");
      return;
    }
  }
  State.counters["items"] = Items;
  State.counters["MB"] = double(Response.Body.size()) / (1024 * 1024);
  State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_ReadReplyOfReferencesAtSizeLimit)->Unit(benchmark::kMillisecond);

}  // namespace
