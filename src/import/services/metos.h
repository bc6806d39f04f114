#pragma once
// Types of the Metos weather-station service (rpc/encoded): the table every operation
// returns (column descriptions, two counts and the cells as strings), the records
// of all 68 operations, the port type and the service description.
//
// Every operation returns one record "struct_<operation>Data" under the element
// "return". Its DataSetMain is a table: ReturnDataInfo describes the columns in order,
// ReturnRecordSetInfo carries the counts, and ReturnDataSet holds the cells row after
// row, each row s_field_count cells long, so that column c of row r is the item
// r * s_field_count + c.
//
// One table, METOS_OPERATIONS, describes every operation; the records, the port type,
// the proxy's methods, the service description and the type registration are all
// made from it.

#include "SoapBase.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <type_traits>
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

// ---------------------------------------------------------------------------
// The operations
// ---------------------------------------------------------------------------

// METOS_FOR_EACH(M, (a, b), (c, d), ...) gives M(a, b) M(c, d) ... (up to 256 items).
#define METOS_PARENS ()
#define METOS_EXPAND(...) METOS_EXPAND3(METOS_EXPAND3(METOS_EXPAND3(METOS_EXPAND3(__VA_ARGS__))))
#define METOS_EXPAND3(...) METOS_EXPAND2(METOS_EXPAND2(METOS_EXPAND2(METOS_EXPAND2(__VA_ARGS__))))
#define METOS_EXPAND2(...) METOS_EXPAND1(METOS_EXPAND1(METOS_EXPAND1(METOS_EXPAND1(__VA_ARGS__))))
#define METOS_EXPAND1(...) __VA_ARGS__
#define METOS_FOR_EACH(M, ...) __VA_OPT__(METOS_EXPAND(METOS_FOR_EACH_STEP(M, __VA_ARGS__)))
#define METOS_FOR_EACH_STEP(M, Item, ...) M Item __VA_OPT__(METOS_FOR_EACH_AGAIN METOS_PARENS(M, __VA_ARGS__))
#define METOS_FOR_EACH_AGAIN() METOS_FOR_EACH_STEP
// The arguments without the first (empty) one: turns ", a, b" into "a, b".
#define METOS_TAIL(...) METOS_TAIL_(__VA_ARGS__)
#define METOS_TAIL_(Empty, ...) __VA_ARGS__

// The return-parameter layouts, L(layout, (type, member)...), members in order. An
// operation without return parameters has layout None.
#define METOS_LAYOUTS(L)                                                                                        \
  L(None)                                                                                                      \
  L(RowStation, (int, row_count), (int, station_code))                                                         \
  L(Login, (QString, user_name), (QString, cookie))                                                            \
  L(Time, (int, time))                                                                                         \
  L(List, (int, count), (int, page_number), (int, row_count), (int, num_pages), (QString, sort_by))            \
  L(Pages, (int, count), (int, row_count), (int, num_pages), (QString, sort_by))                               \
  L(DiaryId, (int, diary_id))                                                                                  \
  L(Events, (int, count), (int, page_number), (int, row_count), (int, num_pages), (QDateTime, dt_from),        \
    (QDateTime, dt_to), (QString, sort_by))                                                                    \
  L(EventId, (int, event_id))                                                                                  \
  L(SortBy, (QString, sort_by))                                                                                \
  L(Data, (int, row_count), (QDateTime, dt_from), (QDateTime, dt_to), (QDateTime, min_date),                   \
    (QDateTime, max_date))                                                                                     \
  L(MinMax, (QDateTime, min_date), (QDateTime, max_date))                                                      \
  L(RowCount, (int, row_count))                                                                                \
  L(Page, (int, row_count), (int, page_num))                                                                   \
  L(DataEof, (int, row_count), (QDateTime, dt_from), (QDateTime, dt_to), (QDateTime, min_date),                \
    (QDateTime, max_date), (int, _eof), (int, _bof))

// Argument groups that many operations share.
#define METOS_ACCOUNT (String, user_name), (String, user_passw)
#define METOS_DATA2 (Boolean, show_user_app), (String, master_user_app)
#define METOS_DATA3 METOS_DATA2, (Boolean, no_wait_sync), (Boolean, die_if_locked), (String, api_key)
#define METOS_DATA_ROWS (Integer, row_count), (String, station_name), (Integer, group_code)

// The operations of the port type in slot order: OP(slot, name, return-parameter
// layout, (kind, argument)...), arguments in the order sent, each as an element of its
// name. Kinds: String, Integer (xsd:int), Boolean, DateTime, Single (xsd:float). The
// SOAPAction is the service's action path followed by the name.
#define METOS_OPERATIONS(OP)                                                                                   \
  OP(1, cidistationsensors_Get, None, METOS_ACCOUNT, (String, station_name), (Integer, debug),                 \
     (Boolean, show_user_app), (String, api_key))                                                              \
  OP(2, cidistationlist2_GetFirst, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, sort_type),      \
     (Integer, debug))                                                                                         \
  OP(3, cidistationlist2_GetNext, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, station_code),    \
     (Integer, sort_type), (Integer, debug))                                                                   \
  OP(4, cidistationlist_GetFirst, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, sort_type),       \
     (Integer, debug), (String, api_key))                                                                      \
  OP(5, cidistationlist_GetNext, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, station_code),     \
     (Integer, sort_type), (Integer, debug), (String, api_key))                                                \
  OP(6, cidiuser_GetInfo, None, METOS_ACCOUNT, (Integer, debug))                                               \
  OP(7, cidiuser_Login, Login, METOS_ACCOUNT, (String, api_key), (String, cookie), (Integer, debug))           \
  OP(8, cidiuser_Logout, None, (String, cookie), (Integer, debug))                                             \
  OP(9, cidiuser_CheckTime, Time, (String, cookie), (Integer, debug))                                          \
  OP(10, cididiarylist_Get, List, METOS_ACCOUNT, (Integer, page_number), (Integer, row_count),                 \
     (String, sort_by), (Integer, debug))                                                                      \
  OP(11, cididiarylist_GetPages, Pages, METOS_ACCOUNT, (Integer, row_count), (String, sort_by),                \
     (Integer, debug))                                                                                         \
  OP(12, cididiarylist_Add, DiaryId, METOS_ACCOUNT, (String, diary_name), (String, diary_desc),                \
     (Integer, debug))                                                                                         \
  OP(13, cididiarylist_Edit, DiaryId, METOS_ACCOUNT, (Integer, diary_id), (String, diary_name),                \
     (String, diary_desc), (Integer, debug))                                                                   \
  OP(14, cididiarylist_Remove, None, METOS_ACCOUNT, (Integer, diary_id), (Integer, debug))                     \
  OP(15, cididiaryevents_Get, Events, METOS_ACCOUNT, (Integer, diary_id), (Integer, page_number),              \
     (Integer, row_count), (DateTime, dt_from), (DateTime, dt_to), (String, sort_by), (Integer, debug))        \
  OP(16, cididiaryevents_GetPages, Pages, METOS_ACCOUNT, (Integer, diary_id), (Integer, row_count),            \
     (String, sort_by), (Integer, debug))                                                                      \
  OP(17, cididiaryevents_Add, EventId, METOS_ACCOUNT, (String, event_title), (String, event_text),             \
     (Integer, diary_id), (DateTime, date_start), (DateTime, date_end), (Integer, debug))                      \
  OP(18, cididiaryevents_Edit, EventId, METOS_ACCOUNT, (Integer, event_id), (String, event_title),             \
     (String, event_text), (Integer, diary_id), (DateTime, date_start), (DateTime, date_end), (Integer, debug)) \
  OP(19, cididiaryevents_Remove, None, METOS_ACCOUNT, (Integer, event_id), (Integer, debug))                   \
  OP(20, cididiaryspraylist_Get, List, METOS_ACCOUNT, (Integer, page_number), (Integer, row_count),            \
     (String, sort_by), (Integer, debug))                                                                      \
  OP(21, cididiaryspraylist_GetPages, Pages, METOS_ACCOUNT, (Integer, row_count), (String, sort_by),           \
     (Integer, debug))                                                                                         \
  OP(22, cididiaryspraylist_Add, DiaryId, METOS_ACCOUNT, (String, diary_name), (String, diary_desc),           \
     (Integer, debug))                                                                                         \
  OP(23, cididiaryspraylist_Edit, DiaryId, METOS_ACCOUNT, (Integer, diary_id), (String, diary_name),           \
     (String, diary_desc), (Integer, debug))                                                                   \
  OP(24, cididiaryspraylist_Remove, None, METOS_ACCOUNT, (Integer, diary_id), (Integer, debug))                \
  OP(25, cididiarysprayevents_Get, Events, METOS_ACCOUNT, (Integer, diary_id), (Integer, page_number),         \
     (Integer, row_count), (DateTime, dt_from), (DateTime, dt_to), (String, sort_by), (Integer, debug))        \
  OP(26, cididiarysprayevents_GetPages, Pages, METOS_ACCOUNT, (Integer, diary_id), (Integer, row_count),       \
     (String, sort_by), (Integer, debug))                                                                      \
  OP(27, cididiarysprayevents_Add, EventId, METOS_ACCOUNT, (String, event_title), (String, event_text),        \
     (Integer, diary_id), (DateTime, date_start), (DateTime, date_end), (Integer, field_id), (Integer, crop_id), \
     (String, water_value), (String, water_unit), (Integer, days_medical), (Integer, days_preventiv),          \
     (Integer, fertilizer_id), (Integer, debug))                                                               \
  OP(28, cididiarysprayevents_Edit, EventId, METOS_ACCOUNT, (Integer, event_id), (String, event_title),        \
     (String, event_text), (Integer, diary_id), (DateTime, date_start), (DateTime, date_end),                  \
     (Integer, field_id), (Integer, crop_id), (String, water_value), (String, water_unit),                     \
     (Integer, days_medical), (Integer, days_preventiv), (Integer, debug))                                     \
  OP(29, cididiarysprayevents_Remove, None, METOS_ACCOUNT, (Integer, event_id), (Integer, debug))              \
  OP(30, cididiarysprayevents_AddPesticide, None, METOS_ACCOUNT, (Integer, event_id),                          \
     (Single, fertilizer_value), (String, fertilizer_unit), (Integer, fertilizer_id), (Integer, debug))        \
  OP(31, cididiarysprayevents_AddDiseas, None, METOS_ACCOUNT, (Integer, event_id), (String, profile_id),       \
     (Integer, debug))                                                                                         \
  OP(32, cididiarysprayevents_Pesticides, None, METOS_ACCOUNT, (Integer, event_id), (Integer, debug))          \
  OP(33, cididiarysprayevents_Diseases, None, METOS_ACCOUNT, (Integer, event_id), (Integer, debug))            \
  OP(34, cididiaryfertilizers_Get, SortBy, METOS_ACCOUNT, (String, sort_by), (Integer, debug))                 \
  OP(35, cididiaryfertilizers_Add, None, METOS_ACCOUNT, (String, pesticide_name), (Integer, debug))            \
  OP(36, cididiaryfertilizers_Edit, None, METOS_ACCOUNT, (Integer, pesticide_id), (String, pesticide_name),    \
     (Integer, debug))                                                                                         \
  OP(37, cididiaryfertilizers_Remove, None, METOS_ACCOUNT, (Integer, pesticide_id), (Integer, debug))          \
  OP(38, cidifields_Get, None, METOS_ACCOUNT, (Integer, debug))                                                \
  OP(39, cidicrops_Get, None, METOS_ACCOUNT, (Integer, field_id), (Integer, debug))                            \
  OP(40, cidistationprofiles_Get, None, METOS_ACCOUNT, (String, station_name), (Integer, debug),               \
     (String, api_key))                                                                                        \
  OP(41, cidifavorites_Get, None, METOS_ACCOUNT, (String, station_name), (String, api_key))                    \
  OP(42, cidistationdata_GetFirst, Data, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug))                     \
  OP(43, cidistationdata_GetLast, Data, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug))                      \
  OP(44, cidistationdata_GetNext, Data, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_to), (Integer, debug))   \
  OP(45, cidistationdata_GetPrev, Data, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from), (Integer, debug)) \
  OP(46, cidistationdata_GetFromDate, Data, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from),               \
     (Integer, debug))                                                                                         \
  OP(47, cidistationdata_GetMinMaxDate, MinMax, METOS_ACCOUNT, (String, station_name), (Integer, debug))       \
  OP(48, cidistationlist3_GetFirst, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, sort_type),     \
     (Integer, debug))                                                                                         \
  OP(49, cidistationlist3_GetNext, RowStation, METOS_ACCOUNT, (Integer, row_count), (Integer, station_code),   \
     (Integer, sort_type), (Integer, debug))                                                                   \
  OP(50, cidistationlist3_GetStationNumber, None, METOS_ACCOUNT, (Integer, debug))                             \
  OP(51, cidistationlist3_GetPageNumber, RowCount, METOS_ACCOUNT, (Integer, row_count), (Integer, debug))      \
  OP(52, cidistationlist3_GetPage, Page, METOS_ACCOUNT, (Integer, row_count), (Integer, page_num),             \
     (Integer, debug))                                                                                         \
  OP(53, cidistationlist3_Attach, None, METOS_ACCOUNT, (String, serial), (String, key), (Integer, debug))      \
  OP(54, cidistationlist3_Detach, None, METOS_ACCOUNT, (String, station_name), (Integer, debug))               \
  OP(55, cidistationdata2_GetFirst, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug), METOS_DATA2)    \
  OP(56, cidistationdata2_GetLast, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug), METOS_DATA2)     \
  OP(57, cidistationdata2_GetNext, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_to),                 \
     (Integer, debug), METOS_DATA2)                                                                            \
  OP(58, cidistationdata2_GetPrev, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from),               \
     (Integer, debug), METOS_DATA2)                                                                            \
  OP(59, cidistationdata2_GetFromDate, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from),           \
     (Integer, debug), METOS_DATA2)                                                                            \
  OP(60, cidistationdata2_GetMinMaxDate, MinMax, METOS_ACCOUNT, (String, station_name), (Integer, debug),      \
     METOS_DATA2)                                                                                              \
  OP(61, cidistationconfig2_Get, None, METOS_ACCOUNT, (String, station_name), (Integer, debug))                \
  OP(62, cidistationsensors3_Get, None, METOS_ACCOUNT, (String, station_name), (Boolean, no_wait_sync),        \
     (Boolean, die_if_locked))                                                                                 \
  OP(63, cidistationdata3_GetFirst, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug), METOS_DATA3)    \
  OP(64, cidistationdata3_GetLast, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (Integer, debug), METOS_DATA3)     \
  OP(65, cidistationdata3_GetNext, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_to),                 \
     (Integer, debug), METOS_DATA3)                                                                            \
  OP(66, cidistationdata3_GetPrev, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from),               \
     (Integer, debug), METOS_DATA3)                                                                            \
  OP(67, cidistationdata3_GetFromDate, DataEof, METOS_ACCOUNT, METOS_DATA_ROWS, (DateTime, dt_from),           \
     (Integer, debug), METOS_DATA3)                                                                            \
  OP(68, cidistationdata3_GetMinMaxDate, MinMax, METOS_ACCOUNT, (String, station_name), (Integer, debug),      \
     METOS_DATA3)

// ---------------------------------------------------------------------------
// The records the operations return
// ---------------------------------------------------------------------------

// A layout's members start as 0, empty or an invalid QDateTime, and keep that value
// when the reply leaves them out. VisitMembers(Visit) calls Visit(name, member) for
// each member in order.
#define METOS_DECLARE_MEMBER(Type, Name) Type Name{};
#define METOS_VISIT_MEMBER(Type, Name) Visit(#Name, Name);
#define METOS_DECLARE_LAYOUT(Layout, ...)                          \
  struct TMetos##Layout##Params {                                  \
    METOS_FOR_EACH(METOS_DECLARE_MEMBER, __VA_ARGS__)              \
    template <typename F>                                          \
    void VisitMembers([[maybe_unused]] F&& Visit) {                \
      METOS_FOR_EACH(METOS_VISIT_MEMBER, __VA_ARGS__)              \
    }                                                              \
  };
METOS_LAYOUTS(METOS_DECLARE_LAYOUT)

// The record of an operation: ReturnParams when its layout has members, and
// DataSetMain.
template <typename TParams, bool HasParams = !std::is_empty_v<TParams>>
struct TMetosData {
  TParams ReturnParams;
  DataSetStruct DataSetMain;
};
template <typename TParams>
struct TMetosData<TParams, false> {
  DataSetStruct DataSetMain;
};

// struct_<operation>ReturnParams and struct_<operation>Data for every operation.
// TypeName is the identifier the type registry knows the record by.
#define METOS_DECLARE_RECORDS(Slot, Op, Layout, ...)                                  \
  struct struct_##Op##ReturnParams : TMetos##Layout##Params {                         \
    static constexpr const char* TypeName = "struct_" #Op "ReturnParams";             \
  };                                                                                  \
  struct struct_##Op##Data : TMetosData<struct_##Op##ReturnParams> {                  \
    static constexpr const char* TypeName = "struct_" #Op "Data";                     \
  };
METOS_OPERATIONS(METOS_DECLARE_RECORDS)

// ---------------------------------------------------------------------------
// The port type
// ---------------------------------------------------------------------------

// The parameter type of each argument kind.
namespace MetosArg {
using String = const QString&;
using Integer = int;
using Boolean = bool;
using DateTime = const QDateTime&;
using Single = float;
}  // namespace MetosArg

#define METOS_PARAMETER(Kind, Name) , MetosArg::Kind Name
// "std::unique_ptr<struct_<operation>Data> <operation>(arguments)"
#define METOS_SIGNATURE(Op, ...) \
  std::unique_ptr<struct_##Op##Data> Op(METOS_TAIL(METOS_FOR_EACH(METOS_PARAMETER, __VA_ARGS__)))

// Each call sends one request and returns the reply's record, which belongs to the
// caller; a failed call (transport, HTTP status, SOAP fault, a reply that cannot be
// read) throws ESoapError. user_name and user_passw are the account's name and
// password; they go into the request and nowhere else.
class iMetosSOAPPortType {
 public:
  virtual ~iMetosSOAPPortType() = default;
#define METOS_DECLARE_PURE(Slot, Op, Layout, ...) virtual METOS_SIGNATURE(Op, __VA_ARGS__) = 0;
  METOS_OPERATIONS(METOS_DECLARE_PURE)
#undef METOS_DECLARE_PURE
};

// The element of every operation's result.
extern const char* const MetosResultElement;

// Enters the 141 message types, in this order, each under its class name in the
// repository's namespace: the 68 struct_<operation>Data in slot order,
// StructReturnDataInfo, StructRecordSetInfo, DataSetStruct, the 68
// struct_<operation>ReturnParams in slot order, ArrayOfReturnDataInfo, ArrayOfStrings.
// Returns them as the type registry now holds them.
using TMetosTypeInfo = TSoapTypeInfo;
std::vector<TMetosTypeInfo> RegisterMetosTypes();

// The 68 operations of the port type, "iMetosSOAPPortType", in slot order, made from
// METOS_OPERATIONS: each argument under its own name with its type ("string",
// "integer", "boolean", "Single", "TDateTimeRemotable"), the result a
// struct_<operation>Data under MetosResultElement.
const std::vector<TSoapOperationDesc>& MetosOperations();

// The service as the metadata store describes it: style "rpc", encoding "encoded",
// the 68 operations in slot order. Registers the bindings first when needed.
const TSoapServiceInfo& MetosServiceInfo();

// ---------------------------------------------------------------------------
// Reading replies
// ---------------------------------------------------------------------------

// The readers take the record's element (references already followed) and the reply
// it belongs to (for the references of its members). Each member is read from the
// element the type registry names it by (SoapMemberElementName). A member the reply leaves
// out, or marks nil, keeps its value from construction. A whole number or date that
// does not read throws ESoapError naming the member.
void ReadDataSetStruct(const TSoapReply& Reply, pugi::xml_node Node, DataSetStruct& Value);
// The member element, references followed; empty when the reply leaves it out, marks
// it nil or refers to nothing.
pugi::xml_node MetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name);
void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, int& Value);
void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QString& Value);
void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QDateTime& Value);

// Any operation's record from its "return" element.
template <typename TData>
std::unique_ptr<TData> ReadMetosData(const TSoapReply& Reply, pugi::xml_node Node) {
  auto Data = std::make_unique<TData>();
  if constexpr (requires { Data->ReturnParams; }) {
    using TParams = decltype(Data->ReturnParams);
    const QByteArray ParamsElement = SoapMemberElementName(TData::TypeName, "ReturnParams");
    if (const pugi::xml_node Params = MetosMember(Reply, Node, ParamsElement.constData()))
      Data->ReturnParams.VisitMembers([&](const char* Name, auto& Value) {
        ReadMetosMember(Reply, Params, SoapMemberElementName(TParams::TypeName, Name).constData(), Value);
      });
  }
  const QByteArray MainElement = SoapMemberElementName(TData::TypeName, "DataSetMain");
  if (const pugi::xml_node Main = MetosMember(Reply, Node, MainElement.constData()))
    ReadDataSetStruct(Reply, Main, Data->DataSetMain);
  return Data;
}

// An xsd:dateTime or xsd:date text of a reply ("yyyy-mm-dd", optionally followed by
// "T" or a blank and "hh:mm", seconds, a fraction and a zone). False for anything
// else; an empty text gives True and an invalid QDateTime.
bool TryReadSoapDateTime(const QString& Text, QDateTime& Value);
