// Types and service description of the Metos weather-station service.

#include "metos.h"

#include "MiscUtil.h"

#include <QRegularExpression>
#include <QTime>

#include <cstring>

const char* const MetosNamespaceUri = "http://www.metos.at";

namespace {

const char* const MetosHost = "http://www.fieldclimate.com";

// The operations in slot order.
const char* const OperationNames[] = {
    "cidistationsensors_Get", "cidistationlist2_GetFirst", "cidistationlist2_GetNext", "cidistationlist_GetFirst",
    "cidistationlist_GetNext", "cidiuser_GetInfo", "cidiuser_Login", "cidiuser_Logout", "cidiuser_CheckTime",
    "cididiarylist_Get", "cididiarylist_GetPages", "cididiarylist_Add", "cididiarylist_Edit", "cididiarylist_Remove",
    "cididiaryevents_Get", "cididiaryevents_GetPages", "cididiaryevents_Add", "cididiaryevents_Edit",
    "cididiaryevents_Remove", "cididiaryspraylist_Get", "cididiaryspraylist_GetPages", "cididiaryspraylist_Add",
    "cididiaryspraylist_Edit", "cididiaryspraylist_Remove", "cididiarysprayevents_Get",
    "cididiarysprayevents_GetPages", "cididiarysprayevents_Add", "cididiarysprayevents_Edit",
    "cididiarysprayevents_Remove", "cididiarysprayevents_AddPesticide", "cididiarysprayevents_AddDiseas",
    "cididiarysprayevents_Pesticides", "cididiarysprayevents_Diseases", "cididiaryfertilizers_Get",
    "cididiaryfertilizers_Add", "cididiaryfertilizers_Edit", "cididiaryfertilizers_Remove", "cidifields_Get",
    "cidicrops_Get", "cidistationprofiles_Get", "cidifavorites_Get", "cidistationdata_GetFirst",
    "cidistationdata_GetLast", "cidistationdata_GetNext", "cidistationdata_GetPrev", "cidistationdata_GetFromDate",
    "cidistationdata_GetMinMaxDate", "cidistationlist3_GetFirst", "cidistationlist3_GetNext",
    "cidistationlist3_GetStationNumber", "cidistationlist3_GetPageNumber", "cidistationlist3_GetPage",
    "cidistationlist3_Attach", "cidistationlist3_Detach", "cidistationdata2_GetFirst", "cidistationdata2_GetLast",
    "cidistationdata2_GetNext", "cidistationdata2_GetPrev", "cidistationdata2_GetFromDate",
    "cidistationdata2_GetMinMaxDate", "cidistationconfig2_Get", "cidistationsensors3_Get",
    "cidistationdata3_GetFirst", "cidistationdata3_GetLast", "cidistationdata3_GetNext", "cidistationdata3_GetPrev",
    "cidistationdata3_GetFromDate", "cidistationdata3_GetMinMaxDate",
};
static_assert(sizeof OperationNames / sizeof OperationNames[0] == 68);

QString Shown(const QString& Text) {
  return Text.size() > 40 ? Text.left(40) + QStringLiteral("...") : Text;
}

bool IsNil(pugi::xml_node Node) {
  for (pugi::xml_attribute Attr = Node.first_attribute(); Attr; Attr = Attr.next_attribute()) {
    const char* Name = Attr.name();
    const char* Colon = std::strrchr(Name, ':');
    if (std::strcmp(Colon ? Colon + 1 : Name, "nil") == 0)
      return std::strcmp(Attr.value(), "true") == 0 || std::strcmp(Attr.value(), "1") == 0;
  }
  return false;
}

// The member element, references followed; empty when the reply leaves it out, marks
// it nil or refers to nothing.
pugi::xml_node Member(const TSoapReply& Reply, pugi::xml_node Node, const char* Name) {
  const pugi::xml_node Child = Reply.Resolve(SoapChild(Node, Name));
  return IsNil(Child) ? pugi::xml_node() : Child;
}

void ReadString(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QString& Value) {
  if (const pugi::xml_node Child = Member(Reply, Node, Name)) Value = SoapText(Child);
}

void ReadInteger(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, int& Value) {
  const pugi::xml_node Child = Member(Reply, Node, Name);
  if (!Child) return;
  const QString Text = SoapText(Child).trimmed();
  if (Text.isEmpty()) return;
  if (!TryStrToInt(Text, Value))
    throw ESoapError(QStringLiteral("The reply of the web service holds \"%1\" where \"%2\" should be a whole number.")
                         .arg(Shown(Text), QString::fromLatin1(Name)));
}

void ReadDateTime(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QDateTime& Value) {
  const pugi::xml_node Child = Member(Reply, Node, Name);
  if (!Child) return;
  const QString Text = SoapText(Child).trimmed();
  if (!TryReadSoapDateTime(Text, Value))
    throw ESoapError(QStringLiteral("The reply of the web service holds \"%1\" where \"%2\" should be a date.")
                         .arg(Shown(Text), QString::fromLatin1(Name)));
}

// The items of an array element in order; an item that is nil or refers to nothing
// stays in its place as an empty node.
std::vector<pugi::xml_node> Items(const TSoapReply& Reply, pugi::xml_node Array) {
  std::vector<pugi::xml_node> Result;
  for (pugi::xml_node Child = Array.first_child(); Child; Child = Child.next_sibling()) {
    if (Child.type() != pugi::node_element) continue;
    const pugi::xml_node Item = Reply.Resolve(Child);
    Result.push_back(IsNil(Item) ? pugi::xml_node() : Item);
  }
  return Result;
}

void ReadReturnDataInfo(const TSoapReply& Reply, pugi::xml_node Node, StructReturnDataInfo& Value) {
  ReadString(Reply, Node, "s_name", Value.s_name);
  ReadString(Reply, Node, "s_type", Value.s_type);
  ReadInteger(Reply, Node, "s_flags", Value.s_flags);
  ReadString(Reply, Node, "s_value", Value.s_value);
}

[[noreturn]] void ThrowOutside(const char* Array, int64_t Index, size_t Length) {
  throw ESoapError(QStringLiteral("The reply of the web service has no item %1 in \"%2\", which holds %3.")
                       .arg(Index)
                       .arg(QString::fromLatin1(Array))
                       .arg(qulonglong(Length)));
}

}  // namespace

const StructReturnDataInfo& ArrayOfReturnDataInfo::Item(int64_t Index) const {
  if (Index < 0 || uint64_t(Index) >= Items.size()) ThrowOutside("ReturnDataInfo", Index, Items.size());
  return Items[size_t(Index)];
}

const QString& ArrayOfStrings::Item(int64_t Index) const {
  if (Index < 0 || uint64_t(Index) >= Items.size()) ThrowOutside("ReturnDataSet", Index, Items.size());
  return Items[size_t(Index)];
}

const TSoapServiceInfo& MetosServiceInfo() {
  static const TSoapServiceInfo Info = [] {
    TSoapServiceInfo I;
    const QString Host = QString::fromLatin1(MetosHost);
    I.UnitName = QStringLiteral("metos");
    I.PortTypeName = QStringLiteral("iMetosSOAPPortType");
    I.Style = QStringLiteral("rpc");
    I.Encoding = QStringLiteral("encoded");
    I.Namespace = QString::fromLatin1(MetosNamespaceUri);
    I.TypesNamespace = I.Namespace;
    I.DefaultAddress = Host + QStringLiteral("/pikernel/cidiwsdl.php?debug=1");
    for (const char* Name : OperationNames) {
      const QString Op = QString::fromLatin1(Name);
      I.Operations.push_back({Op, Host + QStringLiteral("/pikernel/cidiwsdl.php/") + Op});
    }
    return I;
  }();
  return Info;
}

bool TryReadSoapDateTime(const QString& Text, QDateTime& Value) {
  if (Text.isEmpty()) {
    Value = QDateTime();
    return true;
  }
  static const QRegularExpression Pattern(QStringLiteral(
      "^(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d{1,9})?)?)?(Z|[+-]\\d{2}:\\d{2})?$"));
  const QRegularExpressionMatch Match = Pattern.match(Text);
  if (!Match.hasMatch()) return false;
  const auto Number = [&Match](int Group) {
    int N = 0;
    return TryStrToInt(Match.captured(Group), N) ? N : 0;  // digits only, checked by the pattern
  };
  const QDate Date(Number(1), Number(2), Number(3));
  const QTime Time(Number(4), Number(5), Number(6));
  if (!Date.isValid() || !Time.isValid()) return false;
  const QString Zone = Match.captured(7);
  int Offset = 0;  // a time without a zone is taken as it stands
  if (!Zone.isEmpty() && Zone != QLatin1String("Z")) {
    int Hours = 0, Minutes = 0;
    if (!TryStrToInt(Zone.mid(1, 2), Hours) || !TryStrToInt(Zone.mid(4, 2), Minutes)) return false;
    if (Hours > 14 || Minutes > 59) return false;
    Offset = (Hours * 60 + Minutes) * 60 * (Zone.startsWith(QLatin1Char('-')) ? -1 : 1);
  }
  Value = QDateTime(Date, Time, Qt::OffsetFromUTC, Offset);
  return Value.isValid();
}

void ReadDataSetStruct(const TSoapReply& Reply, pugi::xml_node Node, DataSetStruct& Value) {
  if (const pugi::xml_node Info = Member(Reply, Node, "ReturnDataInfo")) {
    for (const pugi::xml_node Item : Items(Reply, Info)) {
      Value.ReturnDataInfo.Items.emplace_back();
      if (Item) ReadReturnDataInfo(Reply, Item, Value.ReturnDataInfo.Items.back());
    }
  }
  if (const pugi::xml_node Counts = Member(Reply, Node, "ReturnRecordSetInfo")) {
    ReadInteger(Reply, Counts, "s_field_count", Value.ReturnRecordSetInfo.s_field_count);
    ReadInteger(Reply, Counts, "s_row_count", Value.ReturnRecordSetInfo.s_row_count);
  }
  if (const pugi::xml_node Cells = Member(Reply, Node, "ReturnDataSet")) {
    for (const pugi::xml_node Item : Items(Reply, Cells)) Value.ReturnDataSet.Items.push_back(Item ? SoapText(Item) : QString());
  }
}

namespace {

template <typename TData>
void ReadMain(const TSoapReply& Reply, pugi::xml_node Node, TData& Data) {
  if (const pugi::xml_node Main = Member(Reply, Node, "DataSetMain")) ReadDataSetStruct(Reply, Main, Data.DataSetMain);
}

}  // namespace

std::unique_ptr<struct_cidistationsensors_GetData> ReadCidistationsensorsGetData(const TSoapReply& Reply,
                                                                                   pugi::xml_node Node) {
  auto Data = std::make_unique<struct_cidistationsensors_GetData>();
  ReadMain(Reply, Node, *Data);
  return Data;
}

std::unique_ptr<struct_cidistationlist_GetNextData> ReadCidistationlistGetNextData(const TSoapReply& Reply,
                                                                                     pugi::xml_node Node) {
  auto Data = std::make_unique<struct_cidistationlist_GetNextData>();
  if (const pugi::xml_node Params = Member(Reply, Node, "ReturnParams")) {
    ReadInteger(Reply, Params, "row_count", Data->ReturnParams.row_count);
    ReadInteger(Reply, Params, "station_code", Data->ReturnParams.station_code);
  }
  ReadMain(Reply, Node, *Data);
  return Data;
}

std::unique_ptr<struct_cidistationdata_GetFromDateData> ReadCidistationdataGetFromDateData(const TSoapReply& Reply,
                                                                                             pugi::xml_node Node) {
  auto Data = std::make_unique<struct_cidistationdata_GetFromDateData>();
  if (const pugi::xml_node Params = Member(Reply, Node, "ReturnParams")) {
    ReadInteger(Reply, Params, "row_count", Data->ReturnParams.row_count);
    ReadDateTime(Reply, Params, "dt_from", Data->ReturnParams.dt_from);
    ReadDateTime(Reply, Params, "dt_to", Data->ReturnParams.dt_to);
    ReadDateTime(Reply, Params, "min_date", Data->ReturnParams.min_date);
    ReadDateTime(Reply, Params, "max_date", Data->ReturnParams.max_date);
  }
  ReadMain(Reply, Node, *Data);
  return Data;
}

std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> ReadCidistationdataGetMinMaxDateData(
    const TSoapReply& Reply, pugi::xml_node Node) {
  auto Data = std::make_unique<struct_cidistationdata_GetMinMaxDateData>();
  if (const pugi::xml_node Params = Member(Reply, Node, "ReturnParams")) {
    ReadDateTime(Reply, Params, "min_date", Data->ReturnParams.min_date);
    ReadDateTime(Reply, Params, "max_date", Data->ReturnParams.max_date);
  }
  ReadMain(Reply, Node, *Data);
  return Data;
}
