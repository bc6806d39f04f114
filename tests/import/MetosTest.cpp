// The weather-station service: its binding and its importer against a local server.

#include "ImpMetos.h"
#include "SoapTestServer.h"
#include "metos_proxy.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <map>
#include <string>
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

TEST(MetosBinding, ServiceDescriptionRequestsAndEmptyTables) {
  const TSoapServiceInfo& Info = MetosServiceInfo();
  ASSERT_EQ(Info.Operations.size(), 68u);
  EXPECT_EQ(Info.Operations[45].Name, QStringLiteral("cidistationdata_GetFromDate"));
  EXPECT_EQ(Info.Operations[45].SoapAction,
            QStringLiteral("http://www.fieldclimate.com/pikernel/cidiwsdl.php/cidistationdata_GetFromDate"));
  RegisterHttpTransport();
  EXPECT_EQ(CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), QString())->Address(),
            QStringLiteral("http://www.fieldclimate.com/pikernel/cidiwsdl.php?debug=1"));
  EXPECT_FALSE(CreateMetosSOAPPortType(QStringLiteral("XML:"), QStringLiteral("HTTP:"), QString()));

  TSoapTestServer Server(Answer(Reply("cidistationsensors_Get", "<DataSetMain/>")));
  const auto Proxy = CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Server.Url());
  // Account texts with markup characters are escaped, never spliced into the XML.
  const QString User = QStringLiteral("a<b&\"c'"), Password = QStringLiteral("p&<x>\"'");
  const auto Data = Proxy->cidistationsensors_Get(User, Password, QStringLiteral("S1"), 0, false, QString());
  const TSoapTestServer::TRequest Sent = Server.Last();
  EXPECT_EQ(Sent.SoapAction, "\"http://www.fieldclimate.com/pikernel/cidiwsdl.php/cidistationsensors_Get\"");
  EXPECT_EQ(Sent.Body.find("p&<x>"), std::string::npos);
  pugi::xml_document Doc;
  const pugi::xml_node Call = RequestCall(Doc, Sent.Body);
  EXPECT_STREQ(Call.name(), "ns1:cidistationsensors_Get");
  std::string Args;
  for (const pugi::xml_node Arg : Call.children())
    Args += std::string(Arg.name()) + "=" + Arg.child_value() + "/" + Arg.attribute("xsi:type").value() + " ";
  EXPECT_EQ(Args, "user_name=a<b&\"c'/xsd:string user_passw=p&<x>\"'/xsd:string station_name=S1/xsd:string "
                  "debug=0/xsd:int show_user_app=false/xsd:boolean api_key=/xsd:string ");
  // An empty table: no columns, no cells, counts 0; an item outside throws.
  EXPECT_EQ(Data->DataSetMain.ReturnDataInfo.Length() + Data->DataSetMain.ReturnDataSet.Length(), 0);
  EXPECT_EQ(Data->DataSetMain.ReturnRecordSetInfo.s_field_count, 0);
  EXPECT_THROW(Data->DataSetMain.ReturnDataSet.Item(0), ESoapError);
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
    EXPECT_EQ(Weather.Lines(), QStringList({"20240301=12.5,3.2,,0.2,3.5,81", "20240302=10,,,0,2,",
                                            "20240303=9.1,1.0,,,2.3,", "20240304=11.0,4.5,,,,67"}));
    EXPECT_EQ(Weather.SourceName, QStringLiteral("iMETOS"));
    EXPECT_EQ(Weather.StationName, QStringLiteral("00000146"));
    EXPECT_TRUE(Weather.Metric);
    for (const TWeatherKind Kind : {wkTemperature, wkPrecipitation, wkWind, wkHumidity})
      EXPECT_TRUE(Weather.Has[Kind] && Weather.Use[Kind]);
    EXPECT_FALSE(Weather.Has[wkNotes] || Weather.Has[wkIrrigation]);
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
      {Ok, Sensors({"0", "1", "F", "6", "5", "mm"}), AllDays, "20240301=50,40,,0.5,,", true},
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
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date"}, {"3/1/2024"}), "weather date \"3/1/2024\" is not a date."},
      {Ok, Sensors({"0", "1", "C"}), Days({"f_date"}, {"2024-02-30"}), "weather date \"2024-02-30\" is not a date."},
      {Ok, Sensors({"5", "0", "m/s", "1", "0", "%"}),
       Days({"f_date", "sens_aver_0_5", "sens_aver_0_1"}, {"2024-03-01", "4.149", "55.5", "2024-03-02", "1e400", "nan"}),
       "20240301=,,,,4.1,56 20240302=,,,,,"},
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
