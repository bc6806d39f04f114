#pragma once
// Types of the Metos weather-station service (rpc/encoded): the table every operation
// returns (column descriptions, two counts and the cells as strings), the records of
// the operations this program calls, the port type and the service description.
//
// Every operation returns one record "struct_<operation>Data" under the element
// "return". Its DataSetMain is a table: ReturnDataInfo describes the columns in order,
// ReturnRecordSetInfo carries the counts, and ReturnDataSet holds the cells row after
// row, each row s_field_count cells long, so that column c of row r is the item
// r * s_field_count + c.
//
// Of the service's 68 operations the port type declares the four that the weather
// import uses; the service description lists all 68 with their SOAPActions.

#include "SoapBase.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <vector>

// Scheme and host of the service's maker: namespace of the calls and message types.
extern const char* const MetosNamespaceUri;

// One column of a reply table.
class StructReturnDataInfo {
 public:
  QString s_name;  // the column's name
  QString s_type;
  int s_flags = 0;
  QString s_value;
};

class StructRecordSetInfo {
 public:
  int s_field_count = 0;
  int s_row_count = 0;
};

// An array of column descriptions. Reading an item outside the array throws
// ESoapError.
class ArrayOfReturnDataInfo {
 public:
  int Length() const { return int(Items.size()); }
  const StructReturnDataInfo& Item(int64_t Index) const;
  std::vector<StructReturnDataInfo> Items;
};

// An array of strings (elements "item"). Reading an item outside the array throws
// ESoapError.
class ArrayOfStrings {
 public:
  int Length() const { return int(Items.size()); }
  const QString& Item(int64_t Index) const;
  std::vector<QString> Items;
};

class DataSetStruct {
 public:
  ArrayOfReturnDataInfo ReturnDataInfo;
  StructRecordSetInfo ReturnRecordSetInfo;
  ArrayOfStrings ReturnDataSet;
};

// Operation 1, cidistationsensors_Get: no return parameters.
class struct_cidistationsensors_GetData {
 public:
  DataSetStruct DataSetMain;
};

// Operation 5, cidistationlist_GetNext.
class struct_cidistationlist_GetNextReturnParams {
 public:
  int row_count = 0;
  int station_code = 0;
};

class struct_cidistationlist_GetNextData {
 public:
  struct_cidistationlist_GetNextReturnParams ReturnParams;
  DataSetStruct DataSetMain;
};

// Operation 46, cidistationdata_GetFromDate. A date the reply leaves out or empty is
// an invalid QDateTime.
class struct_cidistationdata_GetFromDateReturnParams {
 public:
  int row_count = 0;
  QDateTime dt_from;
  QDateTime dt_to;
  QDateTime min_date;
  QDateTime max_date;
};

class struct_cidistationdata_GetFromDateData {
 public:
  struct_cidistationdata_GetFromDateReturnParams ReturnParams;
  DataSetStruct DataSetMain;
};

// Operation 47, cidistationdata_GetMinMaxDate.
class struct_cidistationdata_GetMinMaxDateReturnParams {
 public:
  QDateTime min_date;
  QDateTime max_date;
};

class struct_cidistationdata_GetMinMaxDateData {
 public:
  struct_cidistationdata_GetMinMaxDateReturnParams ReturnParams;
  DataSetStruct DataSetMain;
};

// The port type. Each call sends one request and returns the reply's record, which
// belongs to the caller; a failed call (transport, HTTP status, SOAP fault, a reply
// that cannot be read) throws ESoapError. user_name and user_passw are the account's
// name and password.
class iMetosSOAPPortType {
 public:
  virtual ~iMetosSOAPPortType() = default;
  // 1
  virtual std::unique_ptr<struct_cidistationsensors_GetData> cidistationsensors_Get(
      const QString& user_name, const QString& user_passw, const QString& station_name, int debug,
      bool show_user_app, const QString& api_key) = 0;
  // 5
  virtual std::unique_ptr<struct_cidistationlist_GetNextData> cidistationlist_GetNext(
      const QString& user_name, const QString& user_passw, int row_count, int station_code, int sort_type, int debug,
      const QString& api_key) = 0;
  // 46
  virtual std::unique_ptr<struct_cidistationdata_GetFromDateData> cidistationdata_GetFromDate(
      const QString& user_name, const QString& user_passw, int row_count, const QString& station_name,
      int group_code, const QDateTime& dt_from, int debug) = 0;
  // 47
  virtual std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> cidistationdata_GetMinMaxDate(
      const QString& user_name, const QString& user_passw, const QString& station_name, int debug) = 0;
};

// Style "rpc", encoding "encoded", the 68 operations in slot order.
const TSoapServiceInfo& MetosServiceInfo();

// ---------------------------------------------------------------------------
// Reading replies
// ---------------------------------------------------------------------------

// The readers take the record's element (references already followed) and the reply
// it belongs to (for the references of its members). A member the reply leaves out,
// or marks nil, keeps its value from construction. A whole number or date that does
// not read throws ESoapError naming the member.
void ReadDataSetStruct(const TSoapReply& Reply, pugi::xml_node Node, DataSetStruct& Value);
std::unique_ptr<struct_cidistationsensors_GetData> ReadCidistationsensorsGetData(const TSoapReply& Reply,
                                                                                   pugi::xml_node Node);
std::unique_ptr<struct_cidistationlist_GetNextData> ReadCidistationlistGetNextData(const TSoapReply& Reply,
                                                                                     pugi::xml_node Node);
std::unique_ptr<struct_cidistationdata_GetFromDateData> ReadCidistationdataGetFromDateData(const TSoapReply& Reply,
                                                                                             pugi::xml_node Node);
std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> ReadCidistationdataGetMinMaxDateData(
    const TSoapReply& Reply, pugi::xml_node Node);

// An xsd:dateTime or xsd:date text of a reply ("yyyy-mm-dd", optionally followed by
// "T" or a blank and "hh:mm", seconds, a fraction and a zone). False for anything
// else; an empty text gives True and an invalid QDateTime.
bool TryReadSoapDateTime(const QString& Text, QDateTime& Value);
