#pragma once
// A small SOAP 1.1 client for the web-service bindings: the type registry, resource
// store and metadata store the bindings register with, the service description a proxy
// reads from them (style, encodings, namespaces, default endpoint, SOAPAction per
// operation), the writing of document/literal and rpc/encoded request envelopes, one
// HTTP POST per call through libcurl (content type "text/xml; charset=utf-8", SOAPAction
// header, time-outs, a cap on the reply size), and the reading of the reply envelope
// into a pugixml tree, with SOAP faults and HTTP errors turned into exceptions.
//
// A binding's proxy class derives from TBaseProxy and its port-type interface; each
// operation writes its arguments with TSoapArgs, calls Invoke and reads the result
// from the returned TSoapReply. Every failure is an ESoapError (or another
// std::exception) whose message can be shown to the user as it is.

#include "NetProgress.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// A failed web-service call: transport failure, HTTP error, SOAP fault or a reply that
// cannot be read. The message is meant for the user.
class ESoapError : public std::runtime_error {
 public:
  explicit ESoapError(const QString& Message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// A call whose secure connection could not be made: the server's certificate was not
// trusted or did not name the server, or the TLS handshake failed.
class ESoapSecureError : public ESoapError {
 public:
  using ESoapError::ESoapError;
};

// How long a call may take and how large its reply may be.
struct TSoapTransportOptions {
  int64_t TimeoutMs = 120000;        // the whole call
  int64_t ConnectTimeoutMs = 30000;  // reaching the server
  int64_t StallTimeoutMs = 30000;    // without any byte arriving
  int64_t MaxReplyBytes = 32 * 1024 * 1024;
  // When set, a call stops as soon as it is cancelled (an ESoapError with
  // MsgNetCancelled). Not owned; it must outlive the calls.
  TNetProgress* Progress = nullptr;
};

// ---------------------------------------------------------------------------
// Registration: the type registry, the resource store and the metadata store
// ---------------------------------------------------------------------------
//
// Each binding enters its message types, its binary service description and its
// service's properties here once, at start (RegisterSoapBindings in SoapBindings.h).
// The stores live for the whole run and may be read and written from any thread;
// entering something again replaces it in its place, so a second registration changes
// nothing.

// A message type: its namespace, its XML type name, the identifier it has in code, and
// the XML names of those of its properties or enumeration values whose names differ
// from their identifiers.
struct TSoapTypeInfo {
  QString Namespace;
  QString Name;
  QString Identifier;
  std::vector<std::pair<QString, QString>> ExternalNames;  // identifier, XML name
};

void SoapRegisterType(const QString& Namespace, const QString& Identifier, const QString& XmlName);
// Gives a property or enumeration value of a registered type its XML name; its own
// identifier as the name removes the one given before.
void SoapRegisterExternalName(const QString& TypeIdentifier, const QString& Identifier, const QString& XmlName);
// The XML type name of a type; the identifier itself when it is not registered.
QString SoapTypeXmlName(const QString& Identifier);
// The namespace of a type; empty when it is not registered.
QString SoapTypeNamespace(const QString& Identifier);
// The XML name of a property or enumeration value of a type: the registered one, or
// else the identifier itself.
QString SoapMemberXmlName(const QString& TypeIdentifier, const QString& Identifier);
// The element a reply carries that member under: its XML name without a prefix, since
// replies bind their own.
QByteArray SoapMemberElementName(const char* TypeIdentifier, const char* Identifier);
// Every registered type, in the order of registration.
std::vector<TSoapTypeInfo> SoapRegisteredTypes();

// A parameter of an operation in a service description. The result is the last
// parameter, named "Result".
struct TSoapParameterDesc {
  QString Name;         // the argument's name
  QString TypeName;     // "string", "integer", "Extended", a registered type's identifier ...
  QString ElementName;  // the element it is sent or read under; empty: named by its type
};

struct TSoapOperationDesc {
  QString Name;
  std::vector<TSoapParameterDesc> Arguments;  // in the order sent
  TSoapParameterDesc Result;
};

// The binary service description of one port type: magic "WST_METADATA_0.6", unit
// name, a 16-bit service count (1), port type name, 16-bit operation count, and per
// operation its name, an 8-bit parameter count and per parameter its name, type name, a
// reserved 32-bit 0 and a 32-bit modifier (1 for an argument, 3 for the result). Counts
// are big-endian, strings a 32-bit big-endian length followed by their bytes.
QByteArray SoapMetadataBlock(const QString& UnitName, const QString& PortType,
                             const std::vector<TSoapOperationDesc>& Operations);

// The resource store.
void SoapAddResource(const QString& Name, const QByteArray& Block);
// The block registered under Name; empty when there is none.
QByteArray SoapMetadataResource(const QString& Name);

// The metadata store: a namespace per repository (unit), and string properties per port
// type (Operation empty) and per operation, kept in the order first stored.
void SoapSetRepositoryNamespace(const QString& UnitName, const QString& Namespace);
QString SoapRepositoryNamespace(const QString& UnitName);
void SoapSetMetadataProperty(const QString& PortType, const QString& Operation, const QString& Key,
                             const QString& Value);
// One stored value; empty when absent.
QString SoapMetadataProperty(const QString& PortType, const QString& Operation, const QString& Key);
// The keys stored for a port type (Operation empty) or for one of its operations.
QStringList SoapMetadataKeys(const QString& PortType, const QString& Operation);
// The operations of a port type that have properties, in the order first stored.
QStringList SoapMetadataOperations(const QString& PortType);

// What a binding stores about its service: the repository's namespace,
// "TRANSPORT_Address" and "FORMAT_Style", and for each operation in slot order "_E_N_",
// "style" (rpc services only), "TRANSPORT_soapAction" (ActionPrefix + the operation's
// name), "FORMAT_Input_EncodingStyle" and "FORMAT_OutputEncodingStyle".
struct TSoapServiceMetadata {
  QString UnitName;
  QString PortType;
  QString Namespace;
  QString Address;   // the default endpoint
  QString Style;     // "document" or "rpc"
  QString Encoding;  // "literal" or "encoded", input and output alike
  QString ActionPrefix;
};
void SoapStoreServiceMetadata(const TSoapServiceMetadata& Service, const std::vector<TSoapOperationDesc>& Operations);

// ---------------------------------------------------------------------------
// The service as a proxy sees it
// ---------------------------------------------------------------------------

struct TSoapOperationInfo {
  QString Name;
  QString ExternalName;  // the name of the call element
  QString Style;         // "rpc" or "document"
  QString SoapAction;
  QString InputEncoding;  // "literal" or "encoded"
  QString OutputEncoding;

  bool IsRpc() const { return Style == QLatin1String("rpc"); }
  bool InputEncoded() const { return InputEncoding == QLatin1String("encoded"); }
};

// A port type's description as read from the metadata store.
struct TSoapServiceInfo {
  QString UnitName;      // "SDMTabularService", "ndfdXML", ...
  QString PortTypeName;  // "SDMTabularServiceSoap", "ndfdXMLPortType", ...
  QString Style;         // "FORMAT_Style"
  QString Namespace;     // the repository's: of the rpc call element
  QString TypesNamespace;  // of the message types an encoded request names
  std::vector<TSoapOperationInfo> Operations;  // in slot order

  // The operation of that name, or nullptr.
  const TSoapOperationInfo* FindOperation(const QString& Name) const;
};

// Reads the description of PortType of unit UnitName from the metadata store.
TSoapServiceInfo SoapServiceInfoFromStore(const QString& UnitName, const QString& PortType,
                                          const QString& TypesNamespace);

// How a proxy is made: an empty (or blank) Address takes the port type's
// "TRANSPORT_Address" from the metadata store, another one is used as it is (trimmed);
// the proxy's format is Format followed by the service's stored format properties
// ("Style=rpc"), and its transport is Transport + "address=" + the address.
struct TSoapProxySpecs {
  QString PortType;
  QString Format;
  QString Transport;
  QString Address;
};
TSoapProxySpecs SoapProxySpecs(const QString& PortType, const QString& Format, const QString& Transport,
                               const QString& Address);

// ---------------------------------------------------------------------------
// Transport
// ---------------------------------------------------------------------------

// Makes the HTTP transport available ("HTTP:"); safe to call any number of times.
void RegisterHttpTransport();
bool IsHttpTransportRegistered();

// True when a proxy can be made for these format and transport names: the
// format must name the SOAP 1.1 formatter ("SOAP:") and the transport the registered
// HTTP transport ("HTTP:").
bool SoapSpecsSupported(const QString& Format, const QString& Transport);

// One HTTP POST of a SOAP request.
class THTTPTransport {
 public:
  struct TResponse {
    long Status = 0;
    QByteArray Body;
  };

  THTTPTransport(const QString& Address, const TSoapTransportOptions& Options);

  // Sends Request to the address with the SOAPAction header and returns the HTTP status
  // and body, whatever the status. Throws ESoapError when no reply arrives (no
  // connection, no data for a while, time-out, reply too large, cancelled).
  TResponse Post(const QByteArray& Request, const QString& SoapAction) const;

 private:
  QString FAddress;
  TSoapTransportOptions FOptions;
};

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// Text for an XML element or attribute value: &, <, >, " and ' escaped, carriage
// returns kept as character references, characters XML cannot carry (control
// characters other than tab, line feed and carriage return) left out.
QString SoapEscape(const QString& Text);

// The argument elements of a call, or the members of a record, in the order added.
// With encoding each element carries its xsi:type; without it (literal) it does not.
// Record and enumeration types are written by their registered XML type names with the
// prefix "types", which the envelope binds to the service's TypesNamespace.
class TSoapArgs {
 public:
  explicit TSoapArgs(bool Encoded) : FEncoded(Encoded) {}

  void AddString(const QString& Name, const QString& Value);
  // XsdType: "int" (32-bit), "integer", "long" ...
  void AddInteger(const QString& Name, int64_t Value, const char* XsdType = "int");
  // A floating-point value as xsd:decimal (fixed notation). Throws ESoapError for a
  // value that is not finite.
  void AddDecimal(const QString& Name, double Value);
  // xsd:double and xsd:float, in the shortest exact notation.
  void AddDouble(const QString& Name, double Value);
  void AddSingle(const QString& Name, float Value);
  void AddBoolean(const QString& Name, bool Value);
  // xsd:date "yyyy-mm-dd"; xsd:dateTime "yyyy-mm-ddThh:mm:ss" with the zone when known.
  void AddDate(const QString& Name, const QDate& Value);
  void AddDateTime(const QString& Name, const QDateTime& Value);
  // An enumeration value by its XML name; TypeName is the type's identifier.
  void AddEnum(const QString& Name, const QString& TypeName, const QString& XmlValue);
  void AddRecord(const QString& Name, const QString& TypeName, const TSoapArgs& Members);
  // An element whose content is given as XML text (already escaped).
  void AddRaw(const QString& Name, const QString& XmlContent);

  bool Encoded() const { return FEncoded; }
  const QString& Xml() const { return FXml; }

 private:
  void AddElement(const QString& Name, const QString& XsiType, const QString& Content);
  bool FEncoded;
  QString FXml;
};

// The whole request envelope around BodyContent (the children of the SOAP Body). An
// encoded envelope declares the encoding and binds the prefix "types" to TypesNamespace.
QByteArray SoapEnvelope(bool Encoded, const QString& TypesNamespace, const QString& BodyContent);

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// The name of an element without its prefix.
QString SoapLocalName(pugi::xml_node Node);
// The first child element with that local name; an empty node when there is none.
pugi::xml_node SoapChild(pugi::xml_node Parent, const char* LocalName);
// The element's own text (its text and CDATA children joined), as it stands.
QString SoapText(pugi::xml_node Node);
// The element written out as XML text, unformatted.
QString SoapOuterXml(pugi::xml_node Node);

// A reply envelope read into memory.
class TSoapReply {
 public:
  // Reads the HTTP response of a call to Address. Throws ESoapError for a SOAP fault, an
  // HTTP error status, an empty reply, or a reply that is not a SOAP envelope.
  static std::unique_ptr<TSoapReply> Read(const THTTPTransport::TResponse& Response, const QString& Address);

  pugi::xml_node Body() const { return FBody; }
  // The first element inside the Body (the response element); empty when none.
  pugi::xml_node ResponseElement() const;
  // Node itself, or the element it refers to with href="#id" (multi-reference values
  // of rpc/encoded replies); an empty node when the reference leads nowhere. Each
  // reference is looked up in an index of the Body's ids, made once per reply.
  pugi::xml_node Resolve(pugi::xml_node Node) const;

 private:
  TSoapReply() = default;
  void IndexIds();
  pugi::xml_document FDoc;
  pugi::xml_node FBody;
  // The element of each id (the first in document order), in a table of open addressing
  // whose size is a power of two; the ids point into FDoc.
  struct TIdSlot {
    size_t Hash = 0;
    const char* Id = nullptr;
    pugi::xml_node Node;
  };
  std::vector<TIdSlot> FIds;
};

// ---------------------------------------------------------------------------
// Proxies
// ---------------------------------------------------------------------------

class TBaseProxy {
 public:
  // Service is the port type's description from the metadata store; it must outlive the
  // proxy. Specs come from SoapProxySpecs.
  TBaseProxy(const TSoapServiceInfo& Service, const TSoapProxySpecs& Specs, const TSoapTransportOptions& Options);
  virtual ~TBaseProxy() = default;
  TBaseProxy(const TBaseProxy&) = delete;
  TBaseProxy& operator=(const TBaseProxy&) = delete;

  const TSoapServiceInfo& Service() const { return FService; }
  // The endpoint the calls go to.
  const QString& Address() const { return FAddress; }
  // An empty address means the endpoint stored for the service.
  void SetAddress(const QString& Address);
  const QString& FormatSpec() const { return FFormat; }
  const QString& TransportSpec() const { return FTransport; }
  const TSoapTransportOptions& Options() const { return FOptions; }
  void SetOptions(const TSoapTransportOptions& Options) { FOptions = Options; }

 protected:
  // Sends one call of Operation and reads the reply. For an rpc operation Content is put
  // inside the call element named after the operation's external name; for a document
  // operation it is the Body's content. Throws ESoapError on any failure.
  std::unique_ptr<TSoapReply> Invoke(const QString& Operation, const QString& Content) const;
  std::unique_ptr<TSoapReply> Invoke(const QString& Operation, const TSoapArgs& Args) const {
    return Invoke(Operation, Args.Xml());
  }
  // Empty arguments for a call of Operation, encoded as its input encoding says.
  TSoapArgs NewArgs(const QString& Operation) const;
  // The element ResultName inside the reply's response element, references followed.
  // Throws ESoapError when it is missing.
  static pugi::xml_node RpcResult(const TSoapReply& Reply, const char* ResultName);
  // The text of that element.
  static QString RpcResultText(const TSoapReply& Reply, const char* ResultName);
  // The body of the HTTP reply of a call, before it is read; this one gives it back as
  // it came. Throws ESoapError on failure.
  virtual QByteArray ReceivedBody(const QByteArray& Body) const;

 private:
  const TSoapOperationInfo& OperationInfo(const QString& Name) const;
  const TSoapServiceInfo& FService;
  QString FAddress;
  QString FFormat;
  QString FTransport;
  TSoapTransportOptions FOptions;
};
