// The SOAP 1.1 client shared by the web-service bindings.

#include "SoapBase.h"

#include "HttpUtil.h"
#include "MiscUtil.h"

#include <curl/curl.h>

#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <string_view>

ESoapError::ESoapError(const QString& Message) : std::runtime_error(Message.toStdString()) {}

// ---------------------------------------------------------------------------
// Registration
// ---------------------------------------------------------------------------

namespace {

using TProperties = std::vector<std::pair<QString, QString>>;

struct TPortMetadata {
  QString Name;
  TProperties Properties;
  std::vector<std::pair<QString, TProperties>> Operations;
};

// The type registry, the resource store and the metadata store, under one lock. They
// are small and searched in order.
struct TSoapStores {
  std::mutex Lock;
  std::vector<TSoapTypeInfo> Types;
  std::vector<std::pair<QString, QByteArray>> Resources;
  TProperties Namespaces;
  std::vector<TPortMetadata> Ports;
};

TSoapStores& Stores() {
  static TSoapStores Instance;
  return Instance;
}

// Runs Fn on the stores with their lock held and returns what it returns.
template <typename TFn>
auto WithStores(TFn&& Fn) {
  TSoapStores& S = Stores();
  const std::lock_guard<std::mutex> Guard(S.Lock);
  return Fn(S);
}

template <typename TList, typename TKey>
auto FindByName(TList& List, const TKey& Key) {
  return std::find_if(List.begin(), List.end(), [&Key](const auto& Item) {
    if constexpr (requires { Item.first; }) return Item.first == Key;
    else if constexpr (requires { Item.Identifier; }) return Item.Identifier == Key;
    else return Item.Name == Key;
  });
}

// Sets Key in a list of named values, in place when it is there.
template <typename TValue>
void SetProperty(std::vector<std::pair<QString, TValue>>& List, const QString& Key, const TValue& Value) {
  const auto Found = FindByName(List, Key);
  if (Found != List.end()) Found->second = Value;
  else List.emplace_back(Key, Value);
}

// The value of Key in a list of named values; an empty one when it is not there.
template <typename TValue>
TValue FindProperty(const std::vector<std::pair<QString, TValue>>& List, const QString& Key) {
  const auto Found = FindByName(List, Key);
  return Found == List.end() ? TValue() : Found->second;
}

// The registered type of that identifier, or nullptr. The lock must be held.
TSoapTypeInfo* FindType(TSoapStores& S, const QString& Identifier) {
  const auto Found = FindByName(S.Types, Identifier);
  return Found == S.Types.end() ? nullptr : &*Found;
}

// The properties of a port type (Operation empty) or of one of its operations; nullptr
// when none were stored. The lock must be held.
TProperties* FindProperties(TSoapStores& S, const QString& PortType, const QString& Operation, bool Create) {
  auto Port = FindByName(S.Ports, PortType);
  if (Port == S.Ports.end()) {
    if (!Create) return nullptr;
    S.Ports.push_back({PortType, {}, {}});
    Port = S.Ports.end() - 1;
  }
  if (Operation.isEmpty()) return &Port->Properties;
  auto Op = FindByName(Port->Operations, Operation);
  if (Op == Port->Operations.end()) {
    if (!Create) return nullptr;
    Port->Operations.emplace_back(Operation, TProperties());
    Op = Port->Operations.end() - 1;
  }
  return &Op->second;
}

void PutCount(QByteArray& Block, uint32_t Value, int Bytes) {
  for (int Shift = 8 * (Bytes - 1); Shift >= 0; Shift -= 8) Block.append(char((Value >> Shift) & 0xFF));
}

void PutString(QByteArray& Block, const QString& Text) {
  const QByteArray Bytes = Text.toUtf8();
  PutCount(Block, uint32_t(Bytes.size()), 4);
  Block.append(Bytes);
}

}  // namespace

void SoapRegisterType(const QString& Namespace, const QString& Identifier, const QString& XmlName) {
  WithStores([&](TSoapStores& S) {
    if (TSoapTypeInfo* Type = FindType(S, Identifier)) {
      Type->Namespace = Namespace;
      Type->Name = XmlName;
    } else {
      S.Types.push_back({Namespace, XmlName, Identifier, {}});
    }
  });
}

void SoapRegisterExternalName(const QString& TypeIdentifier, const QString& Identifier, const QString& XmlName) {
  WithStores([&](TSoapStores& S) {
    TSoapTypeInfo* Type = FindType(S, TypeIdentifier);
    if (!Type) return;
    if (XmlName != Identifier) {
      SetProperty(Type->ExternalNames, Identifier, XmlName);
      return;
    }
    // The identifier itself is no other name: the entry, if any, goes.
    const auto Entry = FindByName(Type->ExternalNames, Identifier);
    if (Entry != Type->ExternalNames.end()) Type->ExternalNames.erase(Entry);
  });
}

QString SoapTypeXmlName(const QString& Identifier) {
  return WithStores([&](TSoapStores& S) {
    const TSoapTypeInfo* Type = FindType(S, Identifier);
    return Type ? Type->Name : Identifier;
  });
}

QString SoapTypeNamespace(const QString& Identifier) {
  return WithStores([&](TSoapStores& S) {
    const TSoapTypeInfo* Type = FindType(S, Identifier);
    return Type ? Type->Namespace : QString();
  });
}

QString SoapMemberXmlName(const QString& TypeIdentifier, const QString& Identifier) {
  return WithStores([&](TSoapStores& S) {
    const TSoapTypeInfo* Type = FindType(S, TypeIdentifier);
    const QString Name = Type ? FindProperty(Type->ExternalNames, Identifier) : QString();
    return Name.isEmpty() ? Identifier : Name;
  });
}

QByteArray SoapMemberElementName(const char* TypeIdentifier, const char* Identifier) {
  const QString Name = SoapMemberXmlName(QLatin1String(TypeIdentifier), QLatin1String(Identifier));
  return Name.mid(Name.indexOf(u':') + 1).toUtf8();
}

std::vector<TSoapTypeInfo> SoapRegisteredTypes() {
  return WithStores([](TSoapStores& S) { return S.Types; });
}

QByteArray SoapMetadataBlock(const QString& UnitName, const QString& PortType,
                             const std::vector<TSoapOperationDesc>& Operations) {
  QByteArray Block;
  PutString(Block, QStringLiteral("WST_METADATA_0.6"));
  PutString(Block, UnitName);
  PutCount(Block, 1, 2);
  PutString(Block, PortType);
  PutCount(Block, uint32_t(Operations.size()), 2);
  for (const TSoapOperationDesc& Op : Operations) {
    PutString(Block, Op.Name);
    PutCount(Block, uint32_t(Op.Arguments.size() + 1), 1);
    const auto PutParameter = [&Block](const QString& Name, const QString& TypeName, uint32_t Modifier) {
      PutString(Block, Name);
      PutString(Block, TypeName);
      PutCount(Block, 0, 4);
      PutCount(Block, Modifier, 4);
    };
    for (const TSoapParameterDesc& Arg : Op.Arguments) PutParameter(Arg.Name, Arg.TypeName, 1);
    PutParameter(QStringLiteral("Result"), Op.Result.TypeName, 3);
  }
  return Block;
}

void SoapAddResource(const QString& Name, const QByteArray& Block) {
  WithStores([&](TSoapStores& S) { SetProperty(S.Resources, Name, Block); });
}

QByteArray SoapMetadataResource(const QString& Name) {
  return WithStores([&](TSoapStores& S) { return FindProperty(S.Resources, Name); });
}

void SoapSetRepositoryNamespace(const QString& UnitName, const QString& Namespace) {
  WithStores([&](TSoapStores& S) { SetProperty(S.Namespaces, UnitName, Namespace); });
}

QString SoapRepositoryNamespace(const QString& UnitName) {
  return WithStores([&](TSoapStores& S) { return FindProperty(S.Namespaces, UnitName); });
}

void SoapSetMetadataProperty(const QString& PortType, const QString& Operation, const QString& Key,
                             const QString& Value) {
  WithStores([&](TSoapStores& S) { SetProperty(*FindProperties(S, PortType, Operation, true), Key, Value); });
}

QString SoapMetadataProperty(const QString& PortType, const QString& Operation, const QString& Key) {
  return WithStores([&](TSoapStores& S) {
    const TProperties* List = FindProperties(S, PortType, Operation, false);
    return List ? FindProperty(*List, Key) : QString();
  });
}

QStringList SoapMetadataKeys(const QString& PortType, const QString& Operation) {
  return WithStores([&](TSoapStores& S) {
    QStringList Keys;
    if (const TProperties* List = FindProperties(S, PortType, Operation, false))
      for (const auto& Item : *List) Keys << Item.first;
    return Keys;
  });
}

QStringList SoapMetadataOperations(const QString& PortType) {
  return WithStores([&](TSoapStores& S) {
    QStringList Names;
    const auto Port = FindByName(S.Ports, PortType);
    if (Port != S.Ports.end())
      for (const auto& Op : Port->Operations) Names << Op.first;
    return Names;
  });
}

void SoapStoreServiceMetadata(const TSoapServiceMetadata& Service, const std::vector<TSoapOperationDesc>& Operations) {
  const bool Rpc = Service.Style == QLatin1String("rpc");
  SoapSetRepositoryNamespace(Service.UnitName, Service.Namespace);
  SoapSetMetadataProperty(Service.PortType, QString(), QStringLiteral("TRANSPORT_Address"), Service.Address);
  SoapSetMetadataProperty(Service.PortType, QString(), QStringLiteral("FORMAT_Style"), Service.Style);
  for (const TSoapOperationDesc& Op : Operations) {
    const auto Set = [&](const char* Key, const QString& Value) {
      SoapSetMetadataProperty(Service.PortType, Op.Name, QString::fromLatin1(Key), Value);
    };
    Set("_E_N_", Op.Name);
    if (Rpc) Set("style", Service.Style);
    Set("TRANSPORT_soapAction", Service.ActionPrefix + Op.Name);
    Set("FORMAT_Input_EncodingStyle", Service.Encoding);
    Set("FORMAT_OutputEncodingStyle", Service.Encoding);
  }
}

const TSoapOperationInfo* TSoapServiceInfo::FindOperation(const QString& Name) const {
  for (const TSoapOperationInfo& Op : Operations)
    if (Op.Name == Name) return &Op;
  return nullptr;
}

TSoapServiceInfo SoapServiceInfoFromStore(const QString& UnitName, const QString& PortType,
                                          const QString& TypesNamespace) {
  TSoapServiceInfo Info;
  Info.UnitName = UnitName;
  Info.PortTypeName = PortType;
  Info.Style = SoapMetadataProperty(PortType, QString(), QStringLiteral("FORMAT_Style"));
  Info.Namespace = SoapRepositoryNamespace(UnitName);
  Info.TypesNamespace = TypesNamespace;
  for (const QString& Name : SoapMetadataOperations(PortType)) {
    const auto Get = [&](const char* Key) { return SoapMetadataProperty(PortType, Name, QString::fromLatin1(Key)); };
    TSoapOperationInfo Op;
    Op.Name = Name;
    Op.ExternalName = Get("_E_N_");
    if (Op.ExternalName.isEmpty()) Op.ExternalName = Name;
    Op.Style = Get("style");
    if (Op.Style.isEmpty()) Op.Style = Info.Style;
    Op.SoapAction = Get("TRANSPORT_soapAction");
    Op.InputEncoding = Get("FORMAT_Input_EncodingStyle");
    Op.OutputEncoding = Get("FORMAT_OutputEncodingStyle");
    Info.Operations.push_back(Op);
  }
  return Info;
}

TSoapProxySpecs SoapProxySpecs(const QString& PortType, const QString& Format, const QString& Transport,
                               const QString& Address) {
  TSoapProxySpecs Specs;
  Specs.PortType = PortType;
  Specs.Address = Address.trimmed().isEmpty()
                      ? SoapMetadataProperty(PortType, QString(), QStringLiteral("TRANSPORT_Address"))
                      : Address.trimmed();
  QStringList Properties;
  const QLatin1String Prefix("FORMAT_");
  for (const QString& Key : SoapMetadataKeys(PortType, QString()))
    if (Key.startsWith(Prefix))
      Properties << Key.mid(Prefix.size()) + u'=' + SoapMetadataProperty(PortType, QString(), Key);
  Specs.Format = Format + Properties.join(u';');
  Specs.Transport = Transport + QStringLiteral("address=") + Specs.Address;
  return Specs;
}

// ---------------------------------------------------------------------------
// Transport
// ---------------------------------------------------------------------------

namespace {

std::atomic<bool> HttpRegistered{false};

// A reply body that may not grow beyond Max bytes.
struct TReplySink {
  QByteArray* Body = nullptr;
  int64_t Max = 0;
  bool TooLarge = false;
};

size_t WriteReply(char* Data, size_t Size, size_t Count, void* User) {
  auto* Sink = static_cast<TReplySink*>(User);
  const size_t Bytes = Size * Count;
  if (int64_t(Sink->Body->size()) + int64_t(Bytes) > Sink->Max) {
    Sink->TooLarge = true;
    return Bytes == 0 ? 1 : 0;  // any count other than Bytes stops the transfer
  }
  Sink->Body->append(Data, qsizetype(Bytes));
  return Bytes;
}

long ClampToLong(int64_t Value) {
  return long(std::clamp<int64_t>(Value, 1, std::numeric_limits<long>::max()));
}

constexpr int MaxRedirects = 5;

// Whether a redirect from From to To stays with the same server: the same host and port
// over the same scheme, or the same host moving from http to https.
bool SameServer(const QString& From, const QString& To) {
  const QUrl A(From), B(To);
  if (!B.isValid() || A.host().compare(B.host(), Qt::CaseInsensitive) != 0 || B.host().isEmpty()) return false;
  const QString SchemeA = A.scheme().toLower(), SchemeB = B.scheme().toLower();
  if (SchemeA == SchemeB) return A.port(-1) == B.port(-1);
  return SchemeA == QLatin1String("http") && SchemeB == QLatin1String("https");
}

struct TSlistDeleter {
  void operator()(curl_slist* List) const { curl_slist_free_all(List); }
};

}  // namespace

void RegisterHttpTransport() {
  HttpInitCurl();
  HttpRegistered = true;
}

bool IsHttpTransportRegistered() { return HttpRegistered; }

bool SoapSpecsSupported(const QString& Format, const QString& Transport) {
  return Format.startsWith(QLatin1String("SOAP:")) && Transport.startsWith(QLatin1String("HTTP:")) &&
         IsHttpTransportRegistered();
}

THTTPTransport::THTTPTransport(const QString& Address, const TSoapTransportOptions& Options)
    : FAddress(Address), FOptions(Options) {}

THTTPTransport::TResponse THTTPTransport::Post(const QByteArray& Request, const QString& SoapAction) const {
  if (FAddress.trimmed().isEmpty()) throw ESoapError(QStringLiteral("The web service has no address."));
  RegisterHttpTransport();
  THttpHandle Curl(curl_easy_init());
  if (!Curl) throw ESoapError(QStringLiteral("Unable to start a web request."));

  // Header lines must not carry line breaks.
  QString Action = SoapAction;
  Action.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char('"'));
  curl_slist* Raw = nullptr;
  for (const QByteArray& Line :
       {QByteArray("Content-Type: text/xml; charset=utf-8"), QByteArray("SOAPAction: \"" + Action.toUtf8() + "\""),
        QByteArray("Expect:")}) {
    curl_slist* Next = curl_slist_append(Raw, Line.constData());
    if (!Next) {
      curl_slist_free_all(Raw);
      throw ESoapError(QStringLiteral("Unable to start a web request."));
    }
    Raw = Next;
  }
  std::unique_ptr<curl_slist, TSlistDeleter> Headers(Raw);

  TResponse Response;
  TReplySink Sink{&Response.Body, std::max<int64_t>(FOptions.MaxReplyBytes, 0), false};
  char ErrorBuffer[CURL_ERROR_SIZE] = {};
  QByteArray Url = FAddress.trimmed().toUtf8();
  CURL* H = Curl.get();
  curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are followed here, not by curl: the request may carry the user's password,
  // so it is sent on only to the same server.
  curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(H, CURLOPT_POST, 1L);
  curl_easy_setopt(H, CURLOPT_POSTFIELDS, Request.constData());
  curl_easy_setopt(H, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(Request.size()));
  curl_easy_setopt(H, CURLOPT_HTTPHEADER, Headers.get());
  curl_easy_setopt(H, CURLOPT_USERAGENT, "Furrow");
  HttpAskCompressed(H);
  curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, ClampToLong(FOptions.ConnectTimeoutMs));
  curl_easy_setopt(H, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(Sink.Max));
  curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, WriteReply);
  curl_easy_setopt(H, CURLOPT_WRITEDATA, &Sink);
  curl_easy_setopt(H, CURLOPT_ERRORBUFFER, ErrorBuffer);

  const auto Start = std::chrono::steady_clock::now();
  const int64_t StallMs = ClampToLong(FOptions.StallTimeoutMs), TimeoutMs = ClampToLong(FOptions.TimeoutMs);
  for (int Redirects = 0;; ++Redirects) {
    curl_easy_setopt(H, CURLOPT_URL, Url.constData());
    // The time limit holds for the call as a whole, redirects included.
    const int64_t Spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
    int RawCode = CURLE_OK;
    switch (HttpRunTransfer(H, StallMs, std::max<int64_t>(TimeoutMs - Spent, 1), FOptions.Progress, RawCode)) {
      case THttpEnd::Cancelled:
        throw ESoapError(QLatin1String(MsgNetCancelled));
      case THttpEnd::Stalled:
        throw ESoapError(
            QStringLiteral("The web service at %1 sent no data for %2.").arg(FAddress, HttpSecondsText(StallMs)) +
            QLatin1String(NetRetryHint));
      case THttpEnd::TimedOut:
        throw ESoapError(QStringLiteral("The web service at %1 did not answer in time (%2).")
                             .arg(FAddress, HttpSecondsText(TimeoutMs)) +
                         QLatin1String(NetRetryHint));
      case THttpEnd::HeaderTimedOut:
        throw ESoapError(QStringLiteral("The web service at %1 kept sending the header of its reply and did not "
                                        "end it in time (%2).")
                             .arg(FAddress, HttpSecondsText(TimeoutMs)) +
                         QLatin1String(NetRetryHint));
      case THttpEnd::Done:
        break;
    }
    const CURLcode Code = CURLcode(RawCode);
    curl_easy_getinfo(H, CURLINFO_RESPONSE_CODE, &Response.Status);
    const bool Redirect = Response.Status >= 300 && Response.Status < 400;
    QString TargetText;
    const char* Target = nullptr;
    if (Redirect && Code == CURLE_OK && curl_easy_getinfo(H, CURLINFO_REDIRECT_URL, &Target) == CURLE_OK && Target)
      TargetText = QString::fromUtf8(Target);
    // The body of a redirect is not read, so one that stops early does not matter; curl
    // names the target only after a transfer that ended well.
    curl_header* Location = nullptr;
    if (Redirect && Code == CURLE_PARTIAL_FILE &&
        curl_easy_header(H, "Location", 0, CURLH_HEADER, -1, &Location) == CURLHE_OK && Location)
      TargetText = QUrl(QString::fromUtf8(Url))
                       .resolved(QUrl(QString::fromUtf8(Location->value).trimmed()))
                       .toString(QUrl::FullyEncoded);
    if (Code != CURLE_OK && TargetText.isEmpty()) {
      QString Detail = QString::fromUtf8(ErrorBuffer).trimmed();
      if (Detail.isEmpty()) Detail = QString::fromUtf8(curl_easy_strerror(Code));
      switch (Code) {
        case CURLE_OPERATION_TIMEDOUT:  // the connection could not be set up in time
          throw ESoapError(QStringLiteral("Unable to reach the web service at %1: %2").arg(FAddress, Detail) +
                           QLatin1String(NetRetryHint));
        case CURLE_FILESIZE_EXCEEDED:
        case CURLE_WRITE_ERROR:
          if (Sink.TooLarge || Code == CURLE_FILESIZE_EXCEEDED)
            throw ESoapError(QStringLiteral("The reply of the web service at %1 is larger than %2.")
                                 .arg(FAddress, HttpSizeText(Sink.Max)));
          break;
        case CURLE_PARTIAL_FILE:  // closed before the reply's announced end or its last chunk
          throw ESoapError(
              QStringLiteral("The reply of the web service at %1 was cut short (%2).").arg(FAddress, Detail) +
              QLatin1String(NetRetryHint));
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
          throw ESoapError(QStringLiteral("Unable to reach the web service at %1: %2").arg(FAddress, Detail));
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_USE_SSL_FAILED:
          throw ESoapSecureError(
              QStringLiteral("No secure connection could be made to the web service at %1: %2").arg(FAddress, Detail));
        default:
          break;
      }
      throw ESoapError(QStringLiteral("The request to the web service at %1 failed: %2").arg(FAddress, Detail));
    }
    if (TargetText.isEmpty()) {
      const THttpBody Body = HttpFinishBody(H, Response.Body, Sink.Max);
      if (Body == THttpBody::Whole) return Response;
      if (Body == THttpBody::TooLarge)
        throw ESoapError(QStringLiteral("The reply of the web service at %1 is larger than %2.")
                             .arg(FAddress, HttpSizeText(Sink.Max)));
      throw ESoapError(HttpBodyFaultText(Body, QStringLiteral("The reply of the web service at %1").arg(FAddress), H));
    }
    if (!SameServer(QString::fromUtf8(Url), TargetText))
      throw ESoapError(QStringLiteral("The web service at %1 redirected the request to another server (%2). "
                                      "The request was not sent there; check the service address.")
                           .arg(FAddress, TargetText));
    if (Redirects >= MaxRedirects)
      throw ESoapError(QStringLiteral("The web service at %1 redirected the request too many times.").arg(FAddress));
    Url = TargetText.toUtf8();
    Response = TResponse();
  }
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

QString SoapEscape(const QString& Text) {
  QString Out;
  Out.reserve(Text.size() + Text.size() / 8);
  for (const QChar Ch : Text) {
    const char16_t C = Ch.unicode();
    switch (C) {
      case u'&': Out += QLatin1String("&amp;"); break;
      case u'<': Out += QLatin1String("&lt;"); break;
      case u'>': Out += QLatin1String("&gt;"); break;
      case u'"': Out += QLatin1String("&quot;"); break;
      case u'\'': Out += QLatin1String("&apos;"); break;
      case u'\r': Out += QLatin1String("&#13;"); break;
      default:
        if ((C < 0x20 && C != u'\t' && C != u'\n') || C == 0xFFFE || C == 0xFFFF) break;
        Out += Ch;
    }
  }
  return Out;
}

namespace {

const char* const EnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
const char* const EncodingNs = "http://schemas.xmlsoap.org/soap/encoding/";

QString ShortestText(double Value) {
  if (!std::isfinite(Value)) throw ESoapError(QStringLiteral("A number to send to the web service is not finite."));
  char Buffer[64];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  return QString::fromLatin1(Buffer, int(Result.ptr - Buffer));
}

}  // namespace

void TSoapArgs::AddElement(const QString& Name, const QString& XsiType, const QString& Content) {
  FXml += u'<' + Name;
  if (FEncoded && !XsiType.isEmpty()) FXml += QStringLiteral(" xsi:type=\"") + XsiType + u'"';
  FXml += u'>' + Content + QStringLiteral("</") + Name + u'>';
}

void TSoapArgs::AddString(const QString& Name, const QString& Value) {
  AddElement(Name, QStringLiteral("xsd:string"), SoapEscape(Value));
}

void TSoapArgs::AddInteger(const QString& Name, int64_t Value, const char* XsdType) {
  AddElement(Name, QStringLiteral("xsd:") + QLatin1String(XsdType), QString::number(Value));
}

void TSoapArgs::AddDecimal(const QString& Name, double Value) {
  if (!std::isfinite(Value)) throw ESoapError(QStringLiteral("A number to send to the web service is not finite."));
  QString Text = FormatGeneral(Value, FileFormatSettings());
  if (Text.contains(QLatin1Char('E'))) {
    // xsd:decimal has no exponent.
    Text = FormatFixed(Value, 30, FileFormatSettings());
    if (Text.contains(QLatin1Char('.'))) {
      while (Text.endsWith(QLatin1Char('0'))) Text.chop(1);
      if (Text.endsWith(QLatin1Char('.'))) Text.chop(1);
    }
  }
  AddElement(Name, QStringLiteral("xsd:decimal"), Text);
}

void TSoapArgs::AddDouble(const QString& Name, double Value) {
  AddElement(Name, QStringLiteral("xsd:double"), ShortestText(Value));
}

void TSoapArgs::AddSingle(const QString& Name, float Value) {
  if (!std::isfinite(Value)) throw ESoapError(QStringLiteral("A number to send to the web service is not finite."));
  char Buffer[64];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  AddElement(Name, QStringLiteral("xsd:float"), QString::fromLatin1(Buffer, int(Result.ptr - Buffer)));
}

void TSoapArgs::AddBoolean(const QString& Name, bool Value) {
  AddElement(Name, QStringLiteral("xsd:boolean"), Value ? QStringLiteral("true") : QStringLiteral("false"));
}

void TSoapArgs::AddDate(const QString& Name, const QDate& Value) {
  if (!Value.isValid()) throw ESoapError(QStringLiteral("A date to send to the web service is not valid."));
  AddElement(Name, QStringLiteral("xsd:date"), Value.toString(QStringLiteral("yyyy-MM-dd")));
}

void TSoapArgs::AddDateTime(const QString& Name, const QDateTime& Value) {
  if (!Value.isValid()) throw ESoapError(QStringLiteral("A time to send to the web service is not valid."));
  AddElement(Name, QStringLiteral("xsd:dateTime"), Value.toString(Qt::ISODate));
}

void TSoapArgs::AddEnum(const QString& Name, const QString& TypeName, const QString& XmlValue) {
  AddElement(Name, QStringLiteral("types:") + SoapTypeXmlName(TypeName), SoapEscape(XmlValue));
}

void TSoapArgs::AddRecord(const QString& Name, const QString& TypeName, const TSoapArgs& Members) {
  AddElement(Name, QStringLiteral("types:") + SoapTypeXmlName(TypeName), Members.Xml());
}

void TSoapArgs::AddRaw(const QString& Name, const QString& XmlContent) { AddElement(Name, QString(), XmlContent); }

QByteArray SoapEnvelope(bool Encoded, const QString& TypesNamespace, const QString& BodyContent) {
  QString Xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"") +
                QLatin1String(EnvelopeNs) +
                QStringLiteral(
                    "\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
                    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"");
  if (Encoded) {
    Xml += QStringLiteral(" xmlns:SOAP-ENC=\"") + QLatin1String(EncodingNs) + u'"';
    if (!TypesNamespace.isEmpty()) Xml += QStringLiteral(" xmlns:types=\"") + SoapEscape(TypesNamespace) + u'"';
    Xml += QStringLiteral(" SOAP-ENV:encodingStyle=\"") + QLatin1String(EncodingNs) + u'"';
  }
  Xml += QStringLiteral("><SOAP-ENV:Body>") + BodyContent + QStringLiteral("</SOAP-ENV:Body></SOAP-ENV:Envelope>");
  return Xml.toUtf8();
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

QString SoapLocalName(pugi::xml_node Node) {
  const char* Name = Node.name();
  const char* Colon = std::strrchr(Name, ':');
  return QString::fromUtf8(Colon ? Colon + 1 : Name);
}

pugi::xml_node SoapChild(pugi::xml_node Parent, const char* LocalName) {
  const QString Wanted = QString::fromUtf8(LocalName);
  for (pugi::xml_node Child = Parent.first_child(); Child; Child = Child.next_sibling())
    if (Child.type() == pugi::node_element && SoapLocalName(Child) == Wanted) return Child;
  return {};
}

QString SoapText(pugi::xml_node Node) {
  std::string Text;
  for (pugi::xml_node Child = Node.first_child(); Child; Child = Child.next_sibling())
    if (Child.type() == pugi::node_pcdata || Child.type() == pugi::node_cdata) Text += Child.value();
  return QString::fromStdString(Text);
}

QString SoapOuterXml(pugi::xml_node Node) {
  if (!Node) return {};
  struct TStringWriter : pugi::xml_writer {
    std::string Text;
    void write(const void* Data, size_t Size) override { Text.append(static_cast<const char*>(Data), Size); }
  } Writer;
  Node.print(Writer, "", pugi::format_raw, pugi::encoding_utf8);
  return QString::fromStdString(Writer.Text);
}

namespace {

QString HttpErrorText(long Status, const QString& Address) {
  return QStringLiteral("The web service at %1 answered with HTTP status %2.").arg(Address).arg(Status);
}

QString FaultText(pugi::xml_node Fault) {
  QString Text = SoapText(SoapChild(Fault, "faultstring")).trimmed();
  if (Text.isEmpty()) Text = SoapText(SoapChild(SoapChild(Fault, "Reason"), "Text")).trimmed();  // SOAP 1.2
  if (Text.isEmpty()) Text = SoapText(SoapChild(Fault, "faultcode")).trimmed();
  if (Text.isEmpty()) Text = QStringLiteral("no details given");
  return QStringLiteral("The web service reported an error: ") + Text;
}

}  // namespace

std::unique_ptr<TSoapReply> TSoapReply::Read(const THTTPTransport::TResponse& Response, const QString& Address) {
  const bool Ok = Response.Status >= 200 && Response.Status < 300;
  // A SOAP 1.1 fault comes with status 500; other error statuses carry no envelope.
  if (!Ok && Response.Status != 500) throw ESoapError(HttpErrorText(Response.Status, Address));
  if (Response.Body.trimmed().isEmpty()) {
    if (!Ok) throw ESoapError(HttpErrorText(Response.Status, Address));
    throw ESoapError(QStringLiteral("The web service at %1 sent an empty reply.").arg(Address));
  }
  std::unique_ptr<TSoapReply> Reply(new TSoapReply);
  const pugi::xml_parse_result Parsed =
      Reply->FDoc.load_buffer(Response.Body.constData(), size_t(Response.Body.size()), pugi::parse_default);
  if (!Parsed) {
    if (!Ok) throw ESoapError(HttpErrorText(Response.Status, Address));
    throw ESoapError(QStringLiteral("The reply of the web service at %1 is not valid XML (%2 at byte %3).")
                         .arg(Address, QString::fromUtf8(Parsed.description()))
                         .arg(qint64(Parsed.offset)));
  }
  const pugi::xml_node Envelope = Reply->FDoc.document_element();
  const pugi::xml_node Body = SoapLocalName(Envelope) == QLatin1String("Envelope") ? SoapChild(Envelope, "Body")
                                                                                   : pugi::xml_node();
  if (!Body) {
    if (!Ok) throw ESoapError(HttpErrorText(Response.Status, Address));
    throw ESoapError(QStringLiteral("The reply of the web service at %1 is not a SOAP message.").arg(Address));
  }
  if (const pugi::xml_node Fault = SoapChild(Body, "Fault")) throw ESoapError(FaultText(Fault));
  if (!Ok) throw ESoapError(HttpErrorText(Response.Status, Address));
  Reply->FBody = Body;
  Reply->IndexIds();
  return Reply;
}

void TSoapReply::IndexIds() {
  // The elements with an id, in document order, by a walk without recursion (any depth
  // of nesting is read).
  std::vector<TIdSlot> Found;
  pugi::xml_node Node = FBody.first_child();
  while (Node) {
    if (Node.type() == pugi::node_element) {
      if (const pugi::xml_attribute Id = Node.attribute("id"))
        Found.push_back({std::hash<std::string_view>()(Id.value()), Id.value(), Node});
      if (Node.first_child()) {
        Node = Node.first_child();
        continue;
      }
    }
    while (Node != FBody && !Node.next_sibling()) Node = Node.parent();
    Node = Node == FBody ? pugi::xml_node() : Node.next_sibling();
  }
  size_t Size = 16;
  while (Size < 2 * Found.size()) Size *= 2;
  FIds.assign(Size, TIdSlot());
  for (const TIdSlot& Item : Found) {
    size_t I = Item.Hash & (Size - 1);
    while (FIds[I].Id && (FIds[I].Hash != Item.Hash || std::strcmp(FIds[I].Id, Item.Id) != 0)) I = (I + 1) & (Size - 1);
    if (!FIds[I].Id) FIds[I] = Item;  // a repeated id keeps its first element
  }
}

pugi::xml_node TSoapReply::ResponseElement() const {
  for (pugi::xml_node Child = FBody.first_child(); Child; Child = Child.next_sibling())
    if (Child.type() == pugi::node_element) return Child;
  return {};
}

pugi::xml_node TSoapReply::Resolve(pugi::xml_node Node) const {
  // References may chain; a loop ends after a few steps.
  for (int Step = 0; Node && Step < 8; ++Step) {
    const pugi::xml_attribute Href = Node.attribute("href");
    if (!Href || Href.value()[0] != '#') return Node;
    const char* Id = Href.value() + 1;
    const size_t Hash = std::hash<std::string_view>()(Id);
    size_t I = Hash & (FIds.size() - 1);
    while (FIds[I].Id && (FIds[I].Hash != Hash || std::strcmp(FIds[I].Id, Id) != 0)) I = (I + 1) & (FIds.size() - 1);
    Node = FIds[I].Node;
  }
  return Node && !Node.attribute("href") ? Node : pugi::xml_node();
}

// ---------------------------------------------------------------------------
// Proxies
// ---------------------------------------------------------------------------

TBaseProxy::TBaseProxy(const TSoapServiceInfo& Service, const TSoapProxySpecs& Specs,
                       const TSoapTransportOptions& Options)
    : FService(Service), FAddress(Specs.Address), FFormat(Specs.Format), FTransport(Specs.Transport),
      FOptions(Options) {}

void TBaseProxy::SetAddress(const QString& Address) {
  const QString Transport = FTransport.left(FTransport.size() - FAddress.size() - 8);  // before "address="
  const TSoapProxySpecs Specs = SoapProxySpecs(FService.PortTypeName, FFormat, Transport, Address);
  FAddress = Specs.Address;
  FTransport = Specs.Transport;
}

const TSoapOperationInfo& TBaseProxy::OperationInfo(const QString& Name) const {
  const TSoapOperationInfo* Op = FService.FindOperation(Name);
  if (!Op) throw ESoapError(QStringLiteral("The web service has no operation %1.").arg(Name));
  return *Op;
}

TSoapArgs TBaseProxy::NewArgs(const QString& Operation) const {
  return TSoapArgs(OperationInfo(Operation).InputEncoded());
}

std::unique_ptr<TSoapReply> TBaseProxy::Invoke(const QString& Operation, const QString& Content) const {
  const TSoapOperationInfo& Op = OperationInfo(Operation);
  const QString Body = Op.IsRpc() ? QStringLiteral("<ns1:") + Op.ExternalName + QStringLiteral(" xmlns:ns1=\"") +
                                        SoapEscape(FService.Namespace) + QStringLiteral("\">") + Content +
                                        QStringLiteral("</ns1:") + Op.ExternalName + u'>'
                                  : Content;
  const THTTPTransport Transport(FAddress, FOptions);
  THTTPTransport::TResponse Response =
      Transport.Post(SoapEnvelope(Op.InputEncoded(), FService.TypesNamespace, Body), Op.SoapAction);
  Response.Body = ReceivedBody(Response.Body);
  return TSoapReply::Read(Response, FAddress);
}

QByteArray TBaseProxy::ReceivedBody(const QByteArray& Body) const { return Body; }

pugi::xml_node TBaseProxy::RpcResult(const TSoapReply& Reply, const char* ResultName) {
  const pugi::xml_node Response = Reply.ResponseElement();
  const pugi::xml_node Result = Reply.Resolve(SoapChild(Response, ResultName));
  if (!Result)
    throw ESoapError(QStringLiteral("The reply of the web service has no \"%1\" element.")
                         .arg(QString::fromUtf8(ResultName)));
  return Result;
}

QString TBaseProxy::RpcResultText(const TSoapReply& Reply, const char* ResultName) {
  return SoapText(RpcResult(Reply, ResultName));
}
