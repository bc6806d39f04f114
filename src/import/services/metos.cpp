// Types and service description of the Metos weather-station service.

#include "metos.h"

#include "MiscUtil.h"
#include "SoapBindings.h"

#include <QRegularExpression>
#include <QTime>

#include <cstring>
#include <iterator>

const char* const MetosNamespaceUri = "http://www.metos.at";
const char* const MetosResultElement = "return";

namespace {

#define METOS_NAME(Slot, Op, ...) #Op,
const char* const OperationNames[] = {METOS_OPERATIONS(METOS_NAME)};
#undef METOS_NAME

// The table lists the slots 1 to 68 in order.
#define METOS_SLOT(Slot, ...) Slot,
constexpr int Slots[] = {METOS_OPERATIONS(METOS_SLOT)};
#undef METOS_SLOT
constexpr bool InSlotOrder() {
  for (int I = 0; I < int(std::size(Slots)); ++I)
    if (Slots[I] != I + 1) return false;
  return true;
}
static_assert(std::size(Slots) == 68 && InSlotOrder());

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

// The elements of the members of StructReturnDataInfo, looked up once per table.
struct TReturnDataInfoElements {
  QByteArray Name = SoapMemberElementName("StructReturnDataInfo", "s_name");
  QByteArray Type = SoapMemberElementName("StructReturnDataInfo", "s_type");
  QByteArray Flags = SoapMemberElementName("StructReturnDataInfo", "s_flags");
  QByteArray Value = SoapMemberElementName("StructReturnDataInfo", "s_value");
};

void ReadReturnDataInfo(const TSoapReply& Reply, pugi::xml_node Node, const TReturnDataInfoElements& Elements,
                        StructReturnDataInfo& Value) {
  ReadMetosMember(Reply, Node, Elements.Name.constData(), Value.s_name);
  ReadMetosMember(Reply, Node, Elements.Type.constData(), Value.s_type);
  ReadMetosMember(Reply, Node, Elements.Flags.constData(), Value.s_flags);
  ReadMetosMember(Reply, Node, Elements.Value.constData(), Value.s_value);
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

// The type name of each argument kind in the service description.
namespace MetosTypeName {
const char* const String = "string";
const char* const Integer = "integer";
const char* const Boolean = "boolean";
const char* const DateTime = "TDateTimeRemotable";
const char* const Single = "Single";
}  // namespace MetosTypeName

const std::vector<TSoapOperationDesc>& MetosOperations() {
#define METOS_DESC_ARGUMENT(Kind, Name) \
  {QStringLiteral(#Name), QLatin1String(MetosTypeName::Kind), QStringLiteral(#Name)},
#define METOS_DESC_OPERATION(Slot, Op, Layout, ...)                                                   \
  {QStringLiteral(#Op),                                                                               \
   {METOS_FOR_EACH(METOS_DESC_ARGUMENT, __VA_ARGS__)},                                                \
   {QStringLiteral("Result"), QStringLiteral("struct_" #Op "Data"), QLatin1String(MetosResultElement)}},
  static const std::vector<TSoapOperationDesc> Operations = {METOS_OPERATIONS(METOS_DESC_OPERATION)};
#undef METOS_DESC_OPERATION
#undef METOS_DESC_ARGUMENT
  return Operations;
}

const TSoapServiceInfo& MetosServiceInfo() {
  RegisterSoapBindings();
  static const TSoapServiceInfo Info =
      SoapServiceInfoFromStore(QStringLiteral("metos"), QStringLiteral("iMetosSOAPPortType"),
                               SoapTypeNamespace(QStringLiteral("DataSetStruct")));
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
  const char* const Type = "DataSetStruct";
  if (const pugi::xml_node Info = MetosMember(Reply, Node, SoapMemberElementName(Type, "ReturnDataInfo").constData())) {
    const TReturnDataInfoElements Elements;
    for (const pugi::xml_node Item : Items(Reply, Info)) {
      Value.ReturnDataInfo.Items.emplace_back();
      if (Item) ReadReturnDataInfo(Reply, Item, Elements, Value.ReturnDataInfo.Items.back());
    }
  }
  if (const pugi::xml_node Counts =
          MetosMember(Reply, Node, SoapMemberElementName(Type, "ReturnRecordSetInfo").constData())) {
    const char* const CountsType = "StructRecordSetInfo";
    ReadMetosMember(Reply, Counts, SoapMemberElementName(CountsType, "s_field_count").constData(),
                    Value.ReturnRecordSetInfo.s_field_count);
    ReadMetosMember(Reply, Counts, SoapMemberElementName(CountsType, "s_row_count").constData(),
                    Value.ReturnRecordSetInfo.s_row_count);
  }
  if (const pugi::xml_node Cells = MetosMember(Reply, Node, SoapMemberElementName(Type, "ReturnDataSet").constData())) {
    for (const pugi::xml_node Item : Items(Reply, Cells)) Value.ReturnDataSet.Items.push_back(Item ? SoapText(Item) : QString());
  }
}

pugi::xml_node MetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name) {
  const pugi::xml_node Child = Reply.Resolve(SoapChild(Node, Name));
  return IsNil(Child) ? pugi::xml_node() : Child;
}

void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QString& Value) {
  if (const pugi::xml_node Child = MetosMember(Reply, Node, Name)) Value = SoapText(Child);
}

void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, int& Value) {
  const pugi::xml_node Child = MetosMember(Reply, Node, Name);
  if (!Child) return;
  const QString Text = SoapText(Child).trimmed();
  if (Text.isEmpty()) return;
  if (!TryStrToInt(Text, Value))
    throw ESoapError(QStringLiteral("The reply of the web service holds \"%1\" where \"%2\" should be a whole number.")
                         .arg(Shown(Text), QString::fromLatin1(Name)));
}

void ReadMetosMember(const TSoapReply& Reply, pugi::xml_node Node, const char* Name, QDateTime& Value) {
  const pugi::xml_node Child = MetosMember(Reply, Node, Name);
  if (!Child) return;
  const QString Text = SoapText(Child).trimmed();
  if (!TryReadSoapDateTime(Text, Value))
    throw ESoapError(QStringLiteral("The reply of the web service holds \"%1\" where \"%2\" should be a date.")
                         .arg(Shown(Text), QString::fromLatin1(Name)));
}

std::vector<TMetosTypeInfo> RegisterMetosTypes() {
  const QString Namespace = QString::fromLatin1(MetosNamespaceUri);
  QStringList Names;
  for (const char* Op : OperationNames) Names << QStringLiteral("struct_%1Data").arg(QLatin1String(Op));
  Names << QStringLiteral("StructReturnDataInfo") << QStringLiteral("StructRecordSetInfo")
        << QStringLiteral("DataSetStruct");
  for (const char* Op : OperationNames) Names << QStringLiteral("struct_%1ReturnParams").arg(QLatin1String(Op));
  Names << QStringLiteral("ArrayOfReturnDataInfo") << QStringLiteral("ArrayOfStrings");
  for (const QString& Name : Names) SoapRegisterType(Namespace, Name, Name);

  std::vector<TMetosTypeInfo> Registered;
  for (TSoapTypeInfo& Type : SoapRegisteredTypes())
    if (Names.contains(Type.Identifier)) Registered.push_back(std::move(Type));
  return Registered;
}
