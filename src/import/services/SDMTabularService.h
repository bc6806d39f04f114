#pragma once
// Types of the soil data tabular service (document/literal): the request that carries
// an SQL query, the reply that carries the query's rows as a data set (schema and
// diffgram, each kept as XML text), the port type and the service description.

#include "SoapBase.h"

#include <QString>

#include <memory>
#include <vector>

// The service URI: namespace of the message types, and the start of each SOAPAction.
extern const char* const SDMTabularServiceUri;

// The XML of one element, kept unparsed.
class schema_Type {
 public:
  QString Data;
};

// Element "RunQuery".
class RunQuery_Type {
 public:
  QString Query;  // written only when not empty
};

// Element "RunQueryResult".
class RunQueryResponse_RunQueryResult_Type {
 public:
  schema_Type schema;    // element "xs:schema"
  schema_Type diffgram;  // element "diffgr:diffgram"; empty when the reply has none
};

// Element "RunQueryResponse". A reply object owns its whole tree; its members exist
// whether or not the reply filled them.
class RunQueryResponse {
 public:
  RunQueryResponse_RunQueryResult_Type RunQueryResult;
};

// The port type.
class SDMTabularServiceSoap {
 public:
  virtual ~SDMTabularServiceSoap() = default;
  // Runs one query. Returns no object when the reply holds no "RunQueryResponse";
  // throws (ESoapError) when the call fails.
  virtual std::unique_ptr<RunQueryResponse> RunQuery(const RunQuery_Type& RunQueryParam) = 0;
};

// Enters the three message types under the service URI, "RunQuery_Type" as
// "RunQuery", and the members schema and diffgram as "xs:schema" and
// "diffgr:diffgram".
void RegisterSDMTabularServiceTypes();

// The operations of the port type, "SDMTabularServiceSoap", in slot order.
const std::vector<TSoapOperationDesc>& SDMTabularServiceOperations();

// The service as the metadata store describes it: style "document", encoding
// "literal", one operation. Registers the bindings first when needed.
const TSoapServiceInfo& SDMTabularServiceInfo();

// The request element of RunQuery as XML text, named as the type registry says.
QString RunQueryRequestXml(const RunQuery_Type& RunQueryParam);
// The "RunQueryResponse" element of a reply body read into a new object; no object
// when the body has no such element.
std::unique_ptr<RunQueryResponse> ReadRunQueryResponse(pugi::xml_node Body);
