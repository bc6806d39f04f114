// The weather-station service: its binding and its importer against a local server.

#include "ImpMetos.h"
#include "SoapBindings.h"
#include "SoapTestServer.h"
#include "metos_proxy.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <type_traits>
#include <utility>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Fixture(const char* Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/metos/") + QString::fromLatin1(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

// A reply table of string cells; RowCount is s_row_count (the number of cells).
std::string Table(const std::vector<std::string>& Columns, const std::vector<std::string>& Cells, int RowCount = -1) {
  std::string Xml = "<DataSetMain><ReturnDataInfo>";
  for (const std::string& C : Columns) Xml += "<item><s_name>" + C + "</s_name><s_flags>0</s_flags></item>";
  Xml += "</ReturnDataInfo><ReturnRecordSetInfo><s_field_count>" + std::to_string(Columns.size()) +
         "</s_field_count><s_row_count>" + std::to_string(RowCount < 0 ? int(Cells.size()) : RowCount) +
         "</s_row_count></ReturnRecordSetInfo><ReturnDataSet>";
  for (const std::string& C : Cells) Xml += "<item>" + C + "</item>";
  return Xml + "</ReturnDataSet></DataSetMain>";
}

std::string Reply(const std::string& Operation, const std::string& Return) {
  return SoapEnvelopeText("<ns1:" + Operation + "Response xmlns:ns1=\"http://www.metos.at\"><return>" + Return +
                          "</return></ns1:" + Operation + "Response>");
}

std::string MinMax(const std::string& Min, const std::string& Max) {
  return Reply("cidistationdata_GetMinMaxDate",
               "<ReturnParams><min_date>" + Min + "</min_date><max_date>" + Max + "</max_date></ReturnParams>");
}

std::string Sensors(const std::vector<std::string>& Cells) {
  return Reply("cidistationsensors_Get", Table({"f_sensor_code", "f_sensor_ch", "f_unit"}, Cells));
}

std::string Days(const std::vector<std::string>& Columns, const std::vector<std::string>& Cells, int RowCount = -1) {
  return Reply("cidistationdata_GetFromDate", Table(Columns, Cells, RowCount));
}

// Answers each operation (the last part of the SOAPAction) with its canned reply.
struct TMetosServer {
  std::map<std::string, std::string> Replies = {{"cidistationlist_GetNext", Fixture("stations.xml")},
                                                {"cidistationdata_GetMinMaxDate", Fixture("minmax.xml")},
                                                {"cidistationsensors_Get", Fixture("sensors.xml")},
                                                {"cidistationdata_GetFromDate", Fixture("days.xml")}};
  int Status = 200;
  TSoapTestServer Server{[this](TSoapTestServer& Self, httplib::Response& Res) {
    std::string Action = Self.Last().SoapAction;
    Action = Action.substr(Action.rfind('/') + 1);
    if (!Action.empty() && Action.back() == '"') Action.pop_back();
    Res.status = Status;
    Res.set_content(Replies[Action], "text/xml");
  }};
};

const QDate Start(2024, 3, 1);
const QDate End = Start.addDays(364);

bool GetWeather(TImportedMetosWeather& Weather, const QString& Url, QString& Msg) {
  Weather.ServiceAddress = Url;
  return Weather.GetMetosWeather(QStringLiteral("farmer"), QStringLiteral("secret"), QStringLiteral("00000146"), Start,
                                 End, Msg);
}

}  // namespace

namespace {

// The operations in slot order: arguments after the account's name and password (unless
// Account is false) and the return parameters, as name:type with s string, i int,
// b boolean, t dateTime, f float.
struct TOperation {
  const char* Name;
  std::string Arguments;
  std::string Params;
  bool Account = true;
};

const std::string RowStation = "row_count:i station_code:i";
const std::string DiaryList = "count:i page_number:i row_count:i num_pages:i sort_by:s";
const std::string Pages = "count:i row_count:i num_pages:i sort_by:s";
const std::string EventList = "count:i page_number:i row_count:i num_pages:i dt_from:t dt_to:t sort_by:s";
const std::string Data1 = "row_count:i dt_from:t dt_to:t min_date:t max_date:t";
const std::string Data2 = Data1 + " _eof:i _bof:i";
const std::string MinMaxDates = "min_date:t max_date:t";
const std::string Rows = "row_count:i station_name:s group_code:i ";
const std::string App = " show_user_app:b master_user_app:s";
const std::string Sync = App + " no_wait_sync:b die_if_locked:b api_key:s";
const std::string EventArgs = "event_title:s event_text:s diary_id:i date_start:t date_end:t ";
const std::string SprayArgs =
    EventArgs + "field_id:i crop_id:i water_value:s water_unit:s days_medical:i days_preventiv:i ";

const std::vector<TOperation> Operations = {
    {"cidistationsensors_Get", "station_name:s debug:i show_user_app:b api_key:s", ""},
    {"cidistationlist2_GetFirst", "row_count:i sort_type:i debug:i", RowStation},
    {"cidistationlist2_GetNext", "row_count:i station_code:i sort_type:i debug:i", RowStation},
    {"cidistationlist_GetFirst", "row_count:i sort_type:i debug:i api_key:s", RowStation},
    {"cidistationlist_GetNext", "row_count:i station_code:i sort_type:i debug:i api_key:s", RowStation},
    {"cidiuser_GetInfo", "debug:i", ""},
    {"cidiuser_Login", "api_key:s cookie:s debug:i", "user_name:s cookie:s"},
    {"cidiuser_Logout", "cookie:s debug:i", "", false},
    {"cidiuser_CheckTime", "cookie:s debug:i", "time:i", false},
    {"cididiarylist_Get", "page_number:i row_count:i sort_by:s debug:i", DiaryList},
    {"cididiarylist_GetPages", "row_count:i sort_by:s debug:i", Pages},
    {"cididiarylist_Add", "diary_name:s diary_desc:s debug:i", "diary_id:i"},
    {"cididiarylist_Edit", "diary_id:i diary_name:s diary_desc:s debug:i", "diary_id:i"},
    {"cididiarylist_Remove", "diary_id:i debug:i", ""},
    {"cididiaryevents_Get", "diary_id:i page_number:i row_count:i dt_from:t dt_to:t sort_by:s debug:i", EventList},
    {"cididiaryevents_GetPages", "diary_id:i row_count:i sort_by:s debug:i", Pages},
    {"cididiaryevents_Add", EventArgs + "debug:i", "event_id:i"},
    {"cididiaryevents_Edit", "event_id:i " + EventArgs + "debug:i", "event_id:i"},
    {"cididiaryevents_Remove", "event_id:i debug:i", ""},
    {"cididiaryspraylist_Get", "page_number:i row_count:i sort_by:s debug:i", DiaryList},
    {"cididiaryspraylist_GetPages", "row_count:i sort_by:s debug:i", Pages},
    {"cididiaryspraylist_Add", "diary_name:s diary_desc:s debug:i", "diary_id:i"},
    {"cididiaryspraylist_Edit", "diary_id:i diary_name:s diary_desc:s debug:i", "diary_id:i"},
    {"cididiaryspraylist_Remove", "diary_id:i debug:i", ""},
    {"cididiarysprayevents_Get", "diary_id:i page_number:i row_count:i dt_from:t dt_to:t sort_by:s debug:i",
     EventList},
    {"cididiarysprayevents_GetPages", "diary_id:i row_count:i sort_by:s debug:i", Pages},
    {"cididiarysprayevents_Add", SprayArgs + "fertilizer_id:i debug:i", "event_id:i"},
    {"cididiarysprayevents_Edit", "event_id:i " + SprayArgs + "debug:i", "event_id:i"},
    {"cididiarysprayevents_Remove", "event_id:i debug:i", ""},
    {"cididiarysprayevents_AddPesticide", "event_id:i fertilizer_value:f fertilizer_unit:s fertilizer_id:i debug:i",
     ""},
    {"cididiarysprayevents_AddDiseas", "event_id:i profile_id:s debug:i", ""},
    {"cididiarysprayevents_Pesticides", "event_id:i debug:i", ""},
    {"cididiarysprayevents_Diseases", "event_id:i debug:i", ""},
    {"cididiaryfertilizers_Get", "sort_by:s debug:i", "sort_by:s"},
    {"cididiaryfertilizers_Add", "pesticide_name:s debug:i", ""},
    {"cididiaryfertilizers_Edit", "pesticide_id:i pesticide_name:s debug:i", ""},
    {"cididiaryfertilizers_Remove", "pesticide_id:i debug:i", ""},
    {"cidifields_Get", "debug:i", ""},
    {"cidicrops_Get", "field_id:i debug:i", ""},
    {"cidistationprofiles_Get", "station_name:s debug:i api_key:s", ""},
    {"cidifavorites_Get", "station_name:s api_key:s", ""},
    {"cidistationdata_GetFirst", Rows + "debug:i", Data1},
    {"cidistationdata_GetLast", Rows + "debug:i", Data1},
    {"cidistationdata_GetNext", Rows + "dt_to:t debug:i", Data1},
    {"cidistationdata_GetPrev", Rows + "dt_from:t debug:i", Data1},
    {"cidistationdata_GetFromDate", Rows + "dt_from:t debug:i", Data1},
    {"cidistationdata_GetMinMaxDate", "station_name:s debug:i", MinMaxDates},
    {"cidistationlist3_GetFirst", "row_count:i sort_type:i debug:i", RowStation},
    {"cidistationlist3_GetNext", "row_count:i station_code:i sort_type:i debug:i", RowStation},
    {"cidistationlist3_GetStationNumber", "debug:i", ""},
    {"cidistationlist3_GetPageNumber", "row_count:i debug:i", "row_count:i"},
    {"cidistationlist3_GetPage", "row_count:i page_num:i debug:i", "row_count:i page_num:i"},
    {"cidistationlist3_Attach", "serial:s key:s debug:i", ""},
    {"cidistationlist3_Detach", "station_name:s debug:i", ""},
    {"cidistationdata2_GetFirst", Rows + "debug:i" + App, Data2},
    {"cidistationdata2_GetLast", Rows + "debug:i" + App, Data2},
    {"cidistationdata2_GetNext", Rows + "dt_to:t debug:i" + App, Data2},
    {"cidistationdata2_GetPrev", Rows + "dt_from:t debug:i" + App, Data2},
    {"cidistationdata2_GetFromDate", Rows + "dt_from:t debug:i" + App, Data2},
    {"cidistationdata2_GetMinMaxDate", "station_name:s debug:i" + App, MinMaxDates},
    {"cidistationconfig2_Get", "station_name:s debug:i", ""},
    {"cidistationsensors3_Get", "station_name:s no_wait_sync:b die_if_locked:b", ""},
    {"cidistationdata3_GetFirst", Rows + "debug:i" + Sync, Data2},
    {"cidistationdata3_GetLast", Rows + "debug:i" + Sync, Data2},
    {"cidistationdata3_GetNext", Rows + "dt_to:t debug:i" + Sync, Data2},
    {"cidistationdata3_GetPrev", Rows + "dt_from:t debug:i" + Sync, Data2},
    {"cidistationdata3_GetFromDate", Rows + "dt_from:t debug:i" + Sync, Data2},
    {"cidistationdata3_GetMinMaxDate", "station_name:s debug:i" + Sync, MinMaxDates},
};

// Every return parameter any operation has, with its value in the reply.
const std::map<std::string, std::string> ParamValues = {
    {"row_count", "11"}, {"station_code", "12"}, {"user_name", "ann"}, {"cookie", "c00k"}, {"time", "13"},
    {"count", "14"}, {"page_number", "15"}, {"num_pages", "16"}, {"sort_by", "f_date"}, {"diary_id", "17"},
    {"event_id", "18"}, {"page_num", "19"}, {"_eof", "1"}, {"_bof", "0"}, {"dt_from", "2024-02-01T00:00:00Z"},
    {"dt_to", "2024-02-02T00:00:00Z"}, {"min_date", "2020-05-04T00:00:00Z"}, {"max_date", "2024-03-10T12:30:00Z"}};

// Argument I of a call as sent: distinct per place, so that a swapped pair shows.
std::string SampleText(char Type, size_t I) {
  switch (Type) {
    case 's': return "v" + std::to_string(I);
    case 'i': return std::to_string(100 + I);
    case 'b': return I % 2 ? "true" : "false";
    case 'f': return std::to_string(I) + ".5";
    default: return QDate(2024, 1, 1).addDays(qint64(I)).toString(Qt::ISODate).toStdString() + "T06:00:00Z";
  }
}

template <typename T>
T Sample(size_t I) {
  if constexpr (std::is_same_v<T, QString>) return QString::fromStdString(SampleText('s', I));
  else if constexpr (std::is_same_v<T, bool>) return I % 2;
  else if constexpr (std::is_same_v<T, int>) return int(100 + I);
  else if constexpr (std::is_same_v<T, float>) return float(I) + 0.5f;
  else return QDateTime(QDate(2024, 1, 1).addDays(qint64(I)), QTime(6, 0), Qt::UTC);
}

// The return parameters as "name:type=value ...", then "| " and the table's columns, counts and cells.
template <typename TData>
std::string Describe(TData& Data) {
  std::string Text;
  if constexpr (requires { Data.ReturnParams; }) {
    Data.ReturnParams.VisitMembers([&Text](const char* Name, const auto& Value) {
      using T = std::decay_t<decltype(Value)>;
      Text.append(Name).append(":");
      if constexpr (std::is_same_v<T, int>) Text.append("i=").append(std::to_string(Value));
      else if constexpr (std::is_same_v<T, QString>) Text.append("s=").append(Value.toStdString());
      else Text.append("t=").append(Value.toString(Qt::ISODate).toStdString());
      Text += " ";
    });
  }
  const DataSetStruct& Main = Data.DataSetMain;
  Text += "| ";
  for (const StructReturnDataInfo& Column : Main.ReturnDataInfo.Items) Text.append(Column.s_name.toStdString()).append(",");
  Text += std::to_string(Main.ReturnRecordSetInfo.s_field_count);
  Text += ',';
  Text += std::to_string(Main.ReturnRecordSetInfo.s_row_count);
  for (const QString& Cell : Main.ReturnDataSet.Items) Text.append(",").append(Cell.toStdString());
  return Text;
}

using TProxy = TMetosSOAPPortType_Proxy;

// Calls Method with sample arguments and describes the record it returns.
template <typename TData, typename... TArgs>
std::string CallWithSamples(TProxy& Proxy, std::unique_ptr<TData> (TProxy::*Method)(TArgs...)) {
  const auto Data = [&]<size_t... I>(std::index_sequence<I...>) {
    return (Proxy.*Method)(Sample<std::remove_cvref_t<TArgs>>(I)...);
  }(std::index_sequence_for<TArgs...>{});
  return Describe(*Data);
}

std::string XsdLetter(const std::string& XsiType) {
  const std::map<std::string, std::string> Letters = {{"xsd:string", "s"},   {"xsd:int", "i"},
                                                      {"xsd:boolean", "b"},  {"xsd:dateTime", "t"},
                                                      {"xsd:float", "f"}};
  const auto Found = Letters.find(XsiType);
  return Found == Letters.end() ? "?" + XsiType : Found->second;
}

}  // namespace

TEST(MetosBinding, EveryOperationSendsItsArgumentsAndReadsItsReply) {
  std::string Params;
  for (const auto& [Name, Value] : ParamValues) Params += "<" + Name + ">" + Value + "</" + Name + ">";
  TSoapTestServer Server(Answer(Reply("any", "<ReturnParams>" + Params + "</ReturnParams>" +
                                                 Table({"f_a", "f_b"}, {"x", "y"}))));
  RegisterHttpTransport();
  const auto Proxy = CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Server.Url());
  std::map<std::string, std::function<std::string()>> Calls;
#define METOS_TEST_CALL(Slot, Op, ...) Calls[#Op] = [&Proxy] { return CallWithSamples(*Proxy, &TProxy::Op); };
  METOS_OPERATIONS(METOS_TEST_CALL)
#undef METOS_TEST_CALL
  ASSERT_EQ(Calls.size(), Operations.size());
  const TSoapServiceInfo& Info = MetosServiceInfo();
  ASSERT_EQ(Info.Operations.size(), 68u);
  const std::vector<TMetosTypeInfo>& Types = RegisterMetosTypes();
  ASSERT_EQ(Types.size(), 141u);

  for (size_t Slot = 0; Slot < Operations.size(); ++Slot) {
    const TOperation& Op = Operations[Slot];
    SCOPED_TRACE(Op.Name);
    EXPECT_EQ(Info.Operations[Slot].Name.toStdString(), Op.Name);
    EXPECT_EQ(Types[Slot].Name.toStdString(), std::string("struct_") + Op.Name + "Data");
    EXPECT_EQ(Types[71 + Slot].Name.toStdString(), std::string("struct_") + Op.Name + "ReturnParams");
    ASSERT_TRUE(Calls.count(Op.Name));
    const std::string Read = Calls[Op.Name]();

    const TSoapTestServer::TRequest Sent = Server.Last();
    EXPECT_EQ(Sent.SoapAction, std::string("\"http://www.fieldclimate.com/pikernel/cidiwsdl.php/") + Op.Name + "\"");
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Sent.Body);
    EXPECT_EQ(std::string(Call.name()), std::string("ns1:") + Op.Name);
    std::string Arguments, Values, SampleValues;
    size_t I = 0;
    for (const pugi::xml_node Arg : Call.children()) {
      const std::string Letter = XsdLetter(Arg.attribute("xsi:type").value());
      Arguments += std::string(Arg.name()) + ":" + Letter + " ";
      Values += std::string(Arg.child_value()) + " ";
      SampleValues += SampleText(Letter[0], I++) + " ";
    }
    EXPECT_EQ(Arguments, (Op.Account ? "user_name:s user_passw:s " : "") + Op.Arguments + " ");
    EXPECT_EQ(Values, SampleValues);

    std::string Expected;
    std::istringstream Members(Op.Params);
    for (std::string Member; Members >> Member;) {
      const std::string Name = Member.substr(0, Member.find(':'));
      Expected += Member + "=" + (ParamValues.count(Name) ? ParamValues.at(Name) : "?") + " ";
    }
    EXPECT_EQ(Read, Expected + "| f_a,f_b,2,2,x,y");
  }
  for (const TMetosTypeInfo& Type : Types) EXPECT_EQ(Type.Namespace, QStringLiteral("http://www.metos.at"));
  QStringList Fixed;
  for (const size_t I : {68, 69, 70, 139, 140}) Fixed << Types[I].Name;
  EXPECT_EQ(Fixed, QStringList({"StructReturnDataInfo", "StructRecordSetInfo", "DataSetStruct",
                                "ArrayOfReturnDataInfo", "ArrayOfStrings"}));
}

TEST(MetosBinding, EndpointEscapingEmptyTablesAndItemsOutside) {
  RegisterHttpTransport();
  EXPECT_EQ(CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), QString())->Address(),
            QStringLiteral("https://www.fieldclimate.com/pikernel/cidiwsdl.php?debug=1"));
  EXPECT_FALSE(CreateMetosSOAPPortType(QStringLiteral("XML:"), QStringLiteral("HTTP:"), QString()));

  // Account texts with markup characters are escaped, never spliced into the XML.
  TSoapTestServer Server(Answer(Reply("cidistationsensors_Get", "<DataSetMain/>")));
  const auto Proxy = CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Server.Url());
  const QString User = QStringLiteral("a<b&\"c'"), Password = QStringLiteral("p&<x>\"'");
  Proxy->cidistationsensors_Get(User, Password, QStringLiteral("S1"), 0, false, QString());
  EXPECT_EQ(Server.Last().Body.find("p&<x>"), std::string::npos);
  pugi::xml_document Doc;
  const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
  EXPECT_STREQ(Call.child_value("user_name"), "a<b&\"c'");
  EXPECT_STREQ(Call.child_value("user_passw"), "p&<x>\"'");

  // An empty or missing table has no columns, no cells and counts of 0; an item
  // outside either array throws.
  const std::string EmptyArrays = "<DataSetMain><ReturnDataInfo/><ReturnRecordSetInfo><s_field_count>0</s_field_count>"
                                  "<s_row_count>0</s_row_count></ReturnRecordSetInfo><ReturnDataSet/></DataSetMain>";
  for (const std::string& Main : {std::string("<DataSetMain/>"), EmptyArrays, std::string()}) {
    SCOPED_TRACE(Main);
    TSoapTestServer Empty(Answer(Reply("cidistationdata_GetFromDate", Main)));
    Proxy->SetAddress(Empty.Url());
    const auto Data = Proxy->cidistationdata_GetFromDate(User, Password, 1, QStringLiteral("S1"), 2,
                                                         QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC), 0);
    EXPECT_EQ(Data->DataSetMain.ReturnDataInfo.Length(), 0);
    EXPECT_EQ(Data->DataSetMain.ReturnDataSet.Length(), 0);
    EXPECT_EQ(Data->DataSetMain.ReturnRecordSetInfo.s_field_count, 0);
    EXPECT_EQ(Data->DataSetMain.ReturnRecordSetInfo.s_row_count, 0);
    EXPECT_THROW(Data->DataSetMain.ReturnDataInfo.Item(0), ESoapError);
    EXPECT_THROW(Data->DataSetMain.ReturnDataSet.Item(-1), ESoapError);
  }
  TSoapTestServer OneCell(Answer(Reply("cidistationsensors_Get", Table({"f_a"}, {"x"}))));
  Proxy->SetAddress(OneCell.Url());
  const auto Data = Proxy->cidistationsensors_Get(User, Password, QStringLiteral("S1"), 0, false, QString());
  EXPECT_THROW(Data->DataSetMain.ReturnDataInfo.Item(1), ESoapError);
  try {
    Data->DataSetMain.ReturnDataSet.Item(1);
    ADD_FAILURE() << "no exception";
  } catch (const ESoapError& E) {
    EXPECT_EQ(E.Message(),
              QStringLiteral("The reply of the web service has no item 1 in \"ReturnDataSet\", which holds 1."));
  }
}

TEST(MetosStations, ListFromTheAccountAndFailures) {
  TMetosServer Service;
  TPrivateTempDir Temp;
  TImportedMetosStations Stations;
  Stations.ServiceAddress = Service.Server.Url();
  QString Msg;
  ASSERT_TRUE(Stations.GetMetosStations(QStringLiteral("farmer"), QStringLiteral("secret"), Msg)) << Msg.toStdString();
  EXPECT_TRUE(Msg.isEmpty());
  // station_code counts the stations; the last f_descr column counts.
  EXPECT_EQ(Stations.Lines(), QStringList({"00000146=North field (iMetos IMT300 & rain gauge)", "0020A1B2=Orchard ()"}));
  pugi::xml_document Doc;
  const pugi::xml_node Call = RequestCall(Doc, Service.Server.Last().Body);
  EXPECT_STREQ(Call.child_value("row_count"), "100");
  EXPECT_STREQ(Call.child_value("user_passw"), "secret");
  EXPECT_EQ(Temp.FileCount(), 0);

  const std::vector<std::string> Columns = {"f_name", "f_descr", "f_user_station_name"};
  struct TCase {
    std::string Reply;
    const char* Message;
  };
  const auto List = [](const std::vector<std::string>& Cols, int Count, const std::vector<std::string>& Cells) {
    return Reply("cidistationlist_GetNext", "<ReturnParams><station_code>" + std::to_string(Count) +
                                                "</station_code></ReturnParams>" + Table(Cols, Cells));
  };
  const std::vector<TCase> Cases = {
      {List({}, 0, {}), "Unable to find station \"f_name\" data."},  // how a wrong password may come back
      {List({"f_name", "f_user_station_name"}, 0, {}), "Unable to find station \"f_descr\" data."},
      {List({"f_name", "f_descr"}, 0, {}), "Unable to find station \"f_user_station_name\" data."},
      {List(Columns, 2, {"S1", "d", "n"}), "has no item 3 in \"ReturnDataSet\", which holds 3."},
      {Reply("cidistationlist_GetNext", "<DataSetMain><ReturnRecordSetInfo><s_field_count>2</s_field_count>"
                                        "</ReturnRecordSetInfo></DataSetMain>"),
       "has no item 0 in \"ReturnDataInfo\""},
      {Reply("cidistationlist_GetNext", "<ReturnParams><station_code>1x</station_code></ReturnParams>"),
       "holds \"1x\" where \"station_code\" should be a whole number."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    Service.Replies["cidistationlist_GetNext"] = C.Reply;
    EXPECT_FALSE(Stations.GetMetosStations(QStringLiteral("farmer"), QStringLiteral("secret"), Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_EQ(Stations.Count(), 0);  // nothing left over for the next try
  }
  // Names that a list line cannot carry are left out.
  Service.Replies["cidistationlist_GetNext"] = List(Columns, 3, {"", "d", "n", "a=b", "d", "n", "S3", "d\nx", "n"});
  ASSERT_TRUE(Stations.GetMetosStations(QStringLiteral("farmer"), QStringLiteral("secret"), Msg));
  EXPECT_EQ(Stations.Lines(), QStringList({"S3=n (d x)"}));
  EXPECT_EQ(Temp.FileCount(), 0);
}

TEST(MetosWeather, DaysWithMissingValuesInAnyLocale) {
  for (const QLocale::Language Language : {QLocale::English, QLocale::German}) {
    QLocale::setDefault(QLocale(Language));
    TMetosServer Service;
    TPrivateTempDir Temp;
    TImportedMetosWeather Weather;
    QString Msg;
    ASSERT_TRUE(GetWeather(Weather, Service.Server.Url(), Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    // Cells that are not numbers come through as they stand, the comma escaped.
    EXPECT_EQ(Weather.Lines(), QStringList({"20240301=12.5,3.2,,0.2,3.5,81", "20240302=10,,,0,2,",
                                            "20240303=9.1,1.0,,,2.3,-", "20240304=11.0,4.5,,1\\,5,n/a,67"}));
    EXPECT_EQ(Weather.GetDayField(3, dfPrecip), QStringLiteral("1,5"));
    EXPECT_EQ(Weather.GetDayField(3, dfWind), QStringLiteral("n/a"));
    EXPECT_EQ(Weather.GetDayField(3, dfHumidity), QStringLiteral("67"));
    EXPECT_EQ(Weather.GetDayField(2, dfHumidity), QStringLiteral("-"));
    EXPECT_EQ(Weather.SourceName, QStringLiteral("iMETOS"));
    EXPECT_EQ(Weather.StationName, QStringLiteral("00000146"));
    EXPECT_TRUE(Weather.Metric);
    for (const TWeatherKind Kind : {wkTemperature, wkPrecipitation, wkWind, wkHumidity}) {
      EXPECT_TRUE(Weather.Has[Kind]) << Kind;
      EXPECT_TRUE(Weather.Use[Kind]) << Kind;
    }
    EXPECT_FALSE(Weather.Has[wkNotes]);
    EXPECT_FALSE(Weather.Has[wkIrrigation]);
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Service.Server.Last().Body);
    EXPECT_STREQ(Call.name(), "ns1:cidistationdata_GetFromDate");
    EXPECT_STREQ(Call.child_value("row_count"), "364");
    EXPECT_STREQ(Call.child_value("group_code"), "2");
    EXPECT_STREQ(Call.child_value("dt_from"), "2024-03-01T00:00:00Z");
    EXPECT_EQ(Temp.FileCount(), 0);
  }
  QLocale::setDefault(QLocale::c());
}

TEST(MetosWeather, SensorsPeriodsAndCells) {
  const std::string AllDays = Days({"f_date", "sens_max_1_0", "sens_min_1_0", "sens_sum_5_6"},
                                   {"2024-03-01", "50", "40", "0.5"});
  struct TCase {
    std::string MinMax, Sensors, Days;
    const char* Result;  // the lines joined by " ", or the message
    bool Metric = false;
  };
  const std::string Ok = MinMax("2020-01-01", "2025-01-01");
  const std::vector<TCase> Cases = {
      // Temperature on channel 1 and precipitation on 5; unit "F" leaves Metric off.
      {Ok, Sensors({"0", "1", "F", "6", "5", "in"}), AllDays, "20240301=50,40,,0.5,,"},
      {Ok, Sensors({"0", "1", "F", "6", "5", "mm"}), AllDays,
       "The units are mixed: the station gives temperature in \"F\" and precipitation in \"mm\"."},
      {Ok, Sensors({"0", "1", "C", "6", "5", "in"}), AllDays,
       "The units are mixed: the station gives temperature in \"C\" and precipitation in \"in\"."},
      {Ok, Sensors({"0", "1", "C", "6", "5", "mm"}), AllDays, "20240301=50,40,,0.5,,", true},
      {Ok, Sensors({"0", "1", "\u00B0C", "6", "5", "MM"}), AllDays, "20240301=50,40,,0.5,,", true},
      {Ok, Sensors({"0", "1", "deg C", "6", "5", "mm"}), AllDays, "20240301=50,40,,0.5,,", true},
      {Ok, Sensors({"0", "1", "\u00B0F", "6", "5", "mm"}), AllDays,
       "The units are mixed: the station gives temperature in \"\u00B0F\" and precipitation in \"mm\"."},
      // Only the first sensor of a kind gives its unit.
      {Ok, Sensors({"6", "5", "mm", "0", "1", "C", "6", "2", "in"}), AllDays, "20240301=50,40,,0.5,,", true},
      {Ok, Sensors({"6", "5", "mm"}), AllDays, "20240301=,,,0.5,,", true},
      {Ok, Sensors({"1", "2", "%"}), AllDays, "Unable to find any weather sensors for station."},
      {Ok, Sensors({"0", "-1", "C", "7", "1", "C"}), AllDays, "Unable to find any weather sensors for station."},
      {Ok, Reply("cidistationsensors_Get", Table({"f_sensor_ch", "f_unit"}, {})), AllDays,
       "Unable to find sensor \"f_sensor_code\" data."},
      {Ok, Reply("cidistationsensors_Get", Table({"f_sensor_code", "f_unit"}, {})), AllDays,
       "Unable to find sensor \"f_sensor_ch\" data."},
      {Ok, Reply("cidistationsensors_Get", Table({"f_sensor_code", "f_sensor_ch"}, {})), AllDays,
       "Unable to find sensor \"f_unit\" data."},
      // Periods: whole days count; a missing last date is before any period.
      {MinMax("2025-03-01", "2026-01-01"), "", "", "dates that are outside the requested period."},
      {MinMax("2020-01-01", "2024-02-29T23:59:59"), "", "", "dates that are outside the requested period."},
      {MinMax("2020-01-01", ""), "", "", "dates that are outside the requested period."},
      {MinMax("2025-02-28T10:00:00", "2026-01-01"), Sensors({"0", "1", "C"}), AllDays, "20240301=50,40,,,,", true},
      {MinMax("2024-13-01", "2025-01-01"), "", "", "holds \"2024-13-01\" where \"min_date\" should be a date."},
      // Data: f_date, row counts, dates, numbers.
      {Ok, Sensors({"0", "1", "C"}), Days({"sens_max_1_0"}, {"5"}), "Unable to find weather \"f_date\" data."},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date", "sens_max_1_0"}, {"2024-03-01", "5", "2024-03-02"}),
       "20240301=5,,,,,", true},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date", "sens_max_1_0"}, {"2024-03-01", "5"}, 4),
       "has no item 2 in \"ReturnDataSet\""},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date", "sens_max_1_0", "sens_min_1_0"}, {"2024-03-01", " 5 ", "cold "}),
       "20240301=5,cold ,,,,", true},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date"}, {"3/1/2024"}), "weather date \"3/1/2024\" is not a date."},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date"}, {"2024-02-30"}), "weather date \"2024-02-30\" is not a date."},
      {Ok, Sensors({"5", "0", "m/s", "1", "0", "%"}),
       Days({"f_date", "sens_aver_0_5", "sens_aver_0_1"}, {"2024-03-01", "4.149", "55.5", "2024-03-02", "1e400", "nan"}),
       "20240301=,,,,4.1,56 20240302=,,,,1e400,nan"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Result);
    TMetosServer Service;
    Service.Replies = {{"cidistationdata_GetMinMaxDate", C.MinMax},
                       {"cidistationsensors_Get", C.Sensors},
                       {"cidistationdata_GetFromDate", C.Days}};
    TPrivateTempDir Temp;
    TImportedMetosWeather Weather;
    Weather.Add(QStringLiteral("19990101=1,2"));
    QString Msg;
    const bool Ok = C.Result[0] == '2';
    EXPECT_EQ(GetWeather(Weather, Service.Server.Url(), Msg), Ok);
    if (Ok) {
      EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
      EXPECT_EQ(Weather.Lines().join(u' '), QString::fromUtf8(C.Result));
    } else {
      EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Result))) << Msg.toStdString();
      EXPECT_EQ(Weather.Count(), 0);
    }
    EXPECT_EQ(Weather.Metric, C.Metric);
    EXPECT_EQ(Temp.FileCount(), 0);
  }
}

// The stored endpoint and a proxy's default are checked with the other services' above.
TEST(MetosBinding, AServerWhoseCertificateIsNotTrustedIsRefused) {
  httplib::SSLServer Tls(FURROW_TEST_DATA_DIR "/metos/untrusted-cert.pem", FURROW_TEST_DATA_DIR "/metos/untrusted-key.pem");
  const int Port = Tls.bind_to_any_port("127.0.0.1");
  std::thread Thread([&Tls] { Tls.listen_after_bind(); });
  TImportedMetosStations Stations;
  Stations.ServiceAddress = QStringLiteral("https://127.0.0.1:%1/pikernel/cidiwsdl.php").arg(Port);
  QString Msg;
  EXPECT_FALSE(Stations.GetMetosStations(QStringLiteral("farmer"), QStringLiteral("secret"), Msg));
  Tls.stop();
  Thread.join();
  EXPECT_EQ(Msg.section(QStringLiteral("\n\n"), 0, 0),
            QStringLiteral("Unable to make a secure connection to Metos Web service."));
}

TEST(MetosWeather, UnitsThatAreNotEnglishAreNotMixed) {
  for (const auto& [T, P] : {std::pair{"C", "l/m2"}, {"C", "mm/d"}, {"C", ""}, {"", "mm"}, {"\u00B0c", "L/M2"}}) {
    SCOPED_TRACE(std::string(T) + " " + P);
    TMetosServer Service;
    Service.Replies["cidistationsensors_Get"] = Sensors({"0", "1", T, "6", "5", P});
    TImportedMetosWeather Weather;
    QString Msg;
    EXPECT_TRUE(GetWeather(Weather, Service.Server.Url(), Msg)) << Msg.toStdString();
    EXPECT_TRUE(Weather.Metric);
  }
}

TEST(MetosWeather, TransportFailuresGiveAMessageAndLeaveNothing) {
  struct TCase {
    std::string Reply;
    int Status;
    const char* Message;
    TSoapTransportOptions Options = {};
  };
  const std::string MinMaxReply = Fixture("minmax.xml");
  TSoapTransportOptions Small;
  Small.MaxReplyBytes = 200;
  TSoapTransportOptions Quick;
  Quick.TimeoutMs = 300;
  const std::vector<TCase> Cases = {
      {"<html>Not here</html>", 404, "answered with HTTP status 404."},
      {SoapFaultText("Invalid user name or password"), 500,
       "The web service reported an error: Invalid user name or password"},
      {MinMaxReply.substr(0, MinMaxReply.size() / 2), 200, "is not valid XML"},
      {"<html><body>Maintenance</body></html>", 200, "is not a SOAP message."},
      {SoapEnvelopeText("<ns1:R xmlns:ns1=\"n\"><other/></ns1:R>"), 200, "has no \"return\" element."},
      {MinMaxReply, 200, "is larger than 200 bytes.", Small},
      {"stall", 200, "did not answer in time", Quick},
      {"", 0, "Unable to reach the web service"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    TSoapTestServer Server([&C](TSoapTestServer& Self, httplib::Response& Res) {
      if (C.Reply == "stall") Self.Stall();
      Res.status = C.Status;
      Res.set_content(C.Reply, "text/xml");
    });
    TPrivateTempDir Temp;
    TImportedMetosWeather Weather;
    Weather.TransportOptions = C.Options;
    QString Msg;
    EXPECT_FALSE(GetWeather(Weather, C.Status ? Server.Url() : RefusingUrl(), Msg));
    EXPECT_TRUE(Msg.contains(QString::fromUtf8(C.Message))) << Msg.toStdString();
    EXPECT_FALSE(Msg.contains(QStringLiteral("secret")));
    EXPECT_EQ(Weather.Count(), 0);
    EXPECT_EQ(Temp.FileCount(), 0);
  }
}

TEST(MetosBinding, ReplyMembersAreReadUnderTheNamesTheTypeRegistryGives) {
  RegisterSoapBindings();
  const struct {
    const char *Type, *Member, *XmlName;
  } Renamed[] = {
      {"struct_cidistationdata_GetMinMaxDateData", "ReturnParams", "Params"},
      {"struct_cidistationdata_GetMinMaxDateData", "DataSetMain", "Main"},
      {"struct_cidistationdata_GetMinMaxDateReturnParams", "min_date", "first"},
      {"DataSetStruct", "ReturnDataInfo", "Columns"},
      {"DataSetStruct", "ReturnRecordSetInfo", "Counts"},
      {"DataSetStruct", "ReturnDataSet", "Cells"},
      {"StructReturnDataInfo", "s_name", "m:name"},
      {"StructRecordSetInfo", "s_row_count", "rows"},
  };
  const auto TypesText = [] {
    std::string Text;
    for (const TSoapTypeInfo& T : SoapRegisteredTypes())
      for (const auto& [Id, Xml] : T.ExternalNames)
        Text += (T.Identifier + u' ' + Id + u'=' + Xml + u'\n').toStdString();
    return Text;
  };
  const std::string Before = TypesText();
  // The same members under their identifiers hold other values, which must stay unread.
  const std::string Body = SoapEnvelopeText(
      "<ns1:R xmlns:ns1=\"http://www.metos.at\"><return>"
      "<ReturnParams><max_date>1999-01-01T00:00:00Z</max_date></ReturnParams>"
      "<Params><min_date>1999-01-01T00:00:00Z</min_date><first>2020-05-04T00:00:00Z</first>"
      "<max_date>2024-03-10T12:30:00Z</max_date></Params>"
      "<DataSetMain><ReturnDataSet><item>no</item></ReturnDataSet></DataSetMain>"
      "<Main><ReturnDataSet><item>no</item></ReturnDataSet>"
      "<Columns><item><s_name>no</s_name><m:name xmlns:m=\"urn:m\">f_date</m:name><s_flags>3</s_flags>"
      "</item></Columns>"
      "<Counts><s_field_count>1</s_field_count><s_row_count>9</s_row_count><rows>2</rows></Counts>"
      "<Cells><item>a</item><item>b</item></Cells></Main>"
      "</return></ns1:R>");
  const auto Reply = TSoapReply::Read({200, QByteArray::fromStdString(Body)}, QStringLiteral("test"));
  for (const auto& R : Renamed)
    SoapRegisterExternalName(QLatin1String(R.Type), QLatin1String(R.Member), QLatin1String(R.XmlName));
  std::unique_ptr<struct_cidistationdata_GetMinMaxDateData> Data;
  EXPECT_NO_THROW(Data = ReadMetosData<struct_cidistationdata_GetMinMaxDateData>(
                      *Reply, Reply->ResponseElement().child("return")));
  for (const auto& R : Renamed)
    SoapRegisterExternalName(QLatin1String(R.Type), QLatin1String(R.Member), QLatin1String(R.Member));
  EXPECT_EQ(TypesText(), Before);
  ASSERT_TRUE(Data);
  EXPECT_EQ(Data->ReturnParams.min_date.toUTC().toString(Qt::ISODate), QStringLiteral("2020-05-04T00:00:00Z"));
  EXPECT_EQ(Data->ReturnParams.max_date.toUTC().toString(Qt::ISODate), QStringLiteral("2024-03-10T12:30:00Z"));
  const DataSetStruct& Main = Data->DataSetMain;
  ASSERT_EQ(Main.ReturnDataInfo.Length(), 1);
  EXPECT_EQ(Main.ReturnDataInfo.Item(0).s_name, QStringLiteral("f_date"));
  EXPECT_EQ(Main.ReturnDataInfo.Item(0).s_flags, 3);
  EXPECT_EQ(Main.ReturnRecordSetInfo.s_field_count, 1);
  EXPECT_EQ(Main.ReturnRecordSetInfo.s_row_count, 2);
  ASSERT_EQ(Main.ReturnDataSet.Length(), 2);
  EXPECT_EQ(Main.ReturnDataSet.Item(0), QStringLiteral("a"));
  EXPECT_EQ(Main.ReturnDataSet.Item(1), QStringLiteral("b"));
}
