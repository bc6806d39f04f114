// The web-service roads of the main window against a local server: soil horizons from
// the soil data service (two pickers, horizons into the field, capacity recomputed),
// the temperature forecast into the weather grid, a weather station's days through the
// account dialog, the station picker and the import options, and their failures, which
// leave the field as it was.
#include "DialogTestSupport.h"
#include "SoapTestServer.h"
#include "SvImpSoil.h"
#include "SvImpStation.h"
#include "SvImpSurv.h"
#include "SvImpUser.h"
#include "SvImpWeb.h"
#include "SvImpWth.h"
#include "SvMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace {

constexpr int Indiana = 14;
constexpr int Ontario = 51;

// A soil data service reply of one row without any horizon values.
const std::string NoHorizonsReply = SoapEnvelopeText(
    "<RunQueryResponse xmlns=\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx\"><RunQueryResult>"
    "<diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet xmlns=\"\"><Table>"
    "<areasymbol>IN001</areasymbol><musym>W</musym><mukey>166960</mukey></Table></NewDataSet></diffgr:diffgram>"
    "</RunQueryResult></RunQueryResponse>");

// A forecast reply of five days with these highs and lows.
std::string ForecastReply(const std::vector<const char*>& Highs, const std::vector<const char*>& Lows) {
  std::string Max, Min;
  for (const char* V : Highs) Max += std::string("<value>") + V + "</value>";
  for (const char* V : Lows) Min += std::string("<value>") + V + "</value>";
  const std::string Dwml = "<dwml><data><parameters><temperature type=\"maximum\"><name>High</name>" + Max +
                           "</temperature><temperature type=\"minimum\"><name>Low</name>" + Min +
                           "</temperature></parameters></data></dwml>";
  return SoapEnvelopeText(
      "<ns1:NDFDgenByDayResponse xmlns:ns1=\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl\">"
      "<dwmlByDayOut xsi:type=\"xsd:string\">" +
      QString::fromStdString(Dwml).toHtmlEscaped().toStdString() + "</dwmlByDayOut></ns1:NDFDgenByDayResponse>");
}

std::string MetosFixture(const char* Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/metos/") + QString::fromLatin1(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

// The weather-station service's reply by its operation (the end of the SOAPAction).
std::string MetosReply(const std::string& SoapAction) {
  for (const auto& [Operation, File] : {std::pair{"cidistationlist_GetNext", "stations.xml"},
                                        {"cidistationdata_GetMinMaxDate", "minmax.xml"},
                                        {"cidistationsensors_Get", "sensors.xml"},
                                        {"cidistationdata_GetFromDate", "days.xml"}}) {
    if (SoapAction.find(Operation) != std::string::npos) return MetosFixture(File);
  }
  return std::string();
}

// A soil reply by the query it answers.
std::string SoilReply(const std::string& Body) {
  if (Body.find("chorizon") != std::string::npos) return ReadTestFile("sdm_horizons.xml");
  if (Body.find("mapunit") != std::string::npos) return ReadTestFile("sdm_mapunits.xml");
  return ReadTestFile("sdm_surveys.xml");
}

class ServiceImportsTest : public ::testing::Test {
 protected:
  ServiceImportsTest() {
    TestApp();  // before the temporary folder moves: Qt keeps its runtime folder there
    Temp.emplace();
  }
  ~ServiceImportsTest() override {
    Form.reset();
    EXPECT_EQ(Temp->FileCount(), 0) << "a temporary file was left behind";
  }

  // A started window with the field's place, dates and soil typed in.
  void Start(const TFormatSettings& Format, bool Metric, int Location, const QDate& StartDate) {
    Form.reset();
    ProgramDir = Dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(ProgramDir));
    QFile::copy(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), ProgramDir + "/SovLookup.ini");
    Form = std::make_unique<TMainForm>(TMainFormEnvironment{ProgramDir, Dir.filePath(QStringLiteral("user")), Format});
    ASSERT_TRUE(Form->StartUpProgram(QString()));
    Form->ServiceAddresses = {Server.Url(), Server.Url(), Server.Url()};
    Form->ServiceOptions.TimeoutMs = 20000;
    Form->ExecDialogFunc = [this](QDialog& Dialog) {
      if (auto* D = dynamic_cast<TImportSurveyDlg*>(&Dialog)) return Pick(*D, OnSurvey);
      if (auto* D = dynamic_cast<TImportSoilDlg*>(&Dialog)) return Pick(*D, OnSoil);
      if (auto* D = dynamic_cast<TImportUserDlg*>(&Dialog)) return OnUser ? OnUser(*D) : 0;
      if (auto* D = dynamic_cast<TImportStationDlg*>(&Dialog)) return OnPicker ? OnPicker(*D) : 0;
      if (auto* D = dynamic_cast<TImportWeatherDlg*>(&Dialog)) return OnOptions ? OnOptions(*D) : 0;
      if (auto* D = dynamic_cast<TImportWebDlg*>(&Dialog)) {
        D->SourceListBox->setCurrentRow(WebChoice(*D));
        D->OKBtnClick();
        return D->result();
      }
      ADD_FAILURE() << "unexpected dialog " << Dialog.objectName().toStdString();
      return 0;
    };
    Form->findChild<QComboBox*>(QStringLiteral("LocationCombo"))->setCurrentIndex(Location);
    Form->findChild<QCheckBox*>(QStringLiteral("MetricCheckBox"))->setChecked(Metric);
    Edit("StartDateEdit")->setText(DateToStr(StartDate, Format));
    Edit("LatitudeEdit")->setText(Format.DecimalSeparator == u',' ? "40,5" : "40.5");
    Edit("LongitudeEdit")->setText("-85");
    Edit("RootingDepthEdit")->setText(Metric ? "100" : "3");
    Edit("SurveyEdit")->setText("IN003");
    Edit("MapUnitEdit")->setText("GsB2");
    Edit("CompNameEdit")->setText("Glynwood");
    Edit("WaterCapacityEdit")->setText("1");
    Form->GetFormData();
    for (int H = 1; H <= 5; ++H) Form->FieldData()->SetCell(H, SovCol::HzDepth, QString::number(H * 20));
    for (int Day = 1; Day <= 3; ++Day) Form->SetGridText(Day, WthCol::High, "50");
    Form->SetGridText(3, WthCol::Notes, "rain");
    Form->FieldData()->SetCell(0, SovCol::WeatherSource, "WU_ASOS");
    Form->FieldData()->SetCell(0, SovCol::WeatherStation, "KCCC");
    Form->GetFormData();
    Form->SetModified(false);
    Requests = Server.Last().Count;
  }
  QLineEdit* Edit(const char* Name) const { return Form->findChild<QLineEdit*>(QLatin1String(Name)); }
  int Pick(TSoilPickerDlg& D, const std::function<int(TSoilPickerDlg&)>& Choose) {
    const int Row = Choose ? Choose(D) : -1;
    if (Row < 0) return int(QDialog::Rejected);
    D.findChild<QListWidget*>()->setCurrentRow(Row);
    D.OKBtnClick();
    return D.result();
  }
  static QStringList Entries(TSoilPickerDlg& D) {
    QStringList Lines;
    const QListWidget* List = D.findChild<QListWidget*>();
    for (int I = 0; I < List->count(); ++I) Lines << List->item(I)->text();
    return Lines;
  }
  // The soil, the grid and the weather source as they stand.
  QStringList Snapshot() const {
    QStringList S;
    for (const char* Name : {"SurveyEdit", "MapUnitEdit", "CompNameEdit", "WaterCapacityEdit"}) S << Edit(Name)->text();
    for (int H = 1; H <= MaxHorizons; ++H) {
      for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) S << Form->FieldData()->GetCell(H, Col);
    }
    for (int Day = 1; Day <= MaxDays; ++Day) {
      for (int Col : {WthCol::High, WthCol::Low, WthCol::Notes}) S << Form->GridText(Day, Col);
    }
    S << Form->FieldData()->GetCell(0, SovCol::WeatherSource) << Form->FieldData()->GetCell(0, SovCol::WeatherStation);
    return S;
  }

  std::function<void(const TSoapTestServer::TRequest&, httplib::Response&)> Service =
      [](const TSoapTestServer::TRequest& Req, httplib::Response& Res) {
        Res.set_content(SoilReply(Req.Body), "text/xml");
      };
  TSoapTestServer Server{[this](TSoapTestServer& Self, httplib::Response& Res) { Service(Self.Last(), Res); }};
  std::optional<TPrivateTempDir> Temp;
  QTemporaryDir Dir;
  QString ProgramDir;
  TMessageRecorder Msgs;
  std::unique_ptr<TMainForm> Form;
  int Requests = 0;
  std::function<int(TSoilPickerDlg&)> OnSurvey, OnSoil;
  std::function<int(TImportUserDlg&)> OnUser;
  std::function<int(TImportStationDlg&)> OnPicker;
  std::function<int(TImportWeatherDlg&)> OnOptions;
  std::function<int(TImportWebDlg&)> WebChoice = [](TImportWebDlg& D) { return D.ForecastIndex(); };
};

TEST_F(ServiceImportsTest, SoilFromTheServiceIntoTheField) {
  const struct {
    const char* Name;
    TFormatSettings Format;
    bool Metric;
    const char* Ksat;      // horizon 1 as written in the user's format
    const char* Capacity;  // for a rooting depth of 100 cm or 3 ft
  } Cases[] = {
      {"metric, decimal point", UsFormatSettings(), true, "9.17", "163.20"},
      {"English, decimal comma", GermanFormatSettings(), false, "9,17", "5,85"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(C.Format, C.Metric, Indiana, {2024, 4, 1});
    OnSurvey = [](TSoilPickerDlg& D) {
      EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 1 of 2");
      EXPECT_EQ(Entries(D), QStringList({"Adams County, Indiana (IN001)", "Allen County, Indiana (IN003)",
                                         "Bartholomew County, Indiana (IN005)", "Lagrange County, Indiana (IN087)",
                                         "LaPorte County, Indiana (IN091)", "St. Joseph County, Indiana (IN141)"}));
      EXPECT_EQ(D.SelectedIndex(), 1);  // the field's survey
      return 0;
    };
    OnSoil = [](TSoilPickerDlg& D) {
      EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 2 of 2");
      EXPECT_EQ(D.ListBoxLbl->text(), "Select from the soil components and map unit symbols for \n"
                                      "Adams County, Indiana (IN001).");
      EXPECT_EQ(Entries(D),
                QStringList({" (W)", "Blount (BlA)", "Glynwood (GsB2)", "houghton (Ho)", "Pewamo (Pm)"}));
      EXPECT_EQ(D.SelectedIndex(), 2);  // the field's component and map unit
      return 1;
    };
    Form->ImportSoilBtnClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    EXPECT_EQ(Server.Last().Count - Requests, 3);
    pugi::xml_document Doc;
    EXPECT_NE(std::string(RequestCall(Doc, Server.Last().Body).child_value("Query"))
                  .find("LOWER(mu.musym) = 'bla' LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND "
                        "c.majcompflag = 'Yes' AND c.compname = 'Blount'"),
              std::string::npos);
    const TSovSchedule& Field = *Form->FieldData();
    EXPECT_EQ(QStringList({Field.GetCell(1, SovCol::HzDepth), Field.GetCell(1, SovCol::HzTexture),
                           Field.GetCell(1, SovCol::HzKSat), Field.GetCell(3, SovCol::HzDepth),
                           Field.GetCell(4, SovCol::HzDepth), Field.GetCell(5, SovCol::HzDepth)}),
              QStringList({"23", "SIL", C.Ksat, "152", "", ""}));
    EXPECT_EQ(QStringList({Edit("SurveyEdit")->text(), Edit("MapUnitEdit")->text(), Edit("CompNameEdit")->text(),
                           Edit("WaterCapacityEdit")->text()}),
              QStringList({"IN001", "BlA", "Blount", C.Capacity}));
    EXPECT_TRUE(Form->Modified());
  }
}

TEST_F(ServiceImportsTest, ForecastIntoTheGrid) {
  const QDate Today = QDate::currentDate();
  const struct {
    const char* Name;
    TFormatSettings Format;
    bool Metric;
    QDate Start;
    std::vector<std::tuple<int, const char*, const char*, const char*>> Days;  // day, high, low, notes
    int LastDay;  // the grid's current day afterwards
  } Cases[] = {
      {"five days from day 3, English", UsFormatSettings(), false, Today.addDays(-2),
       {{2, "50", "", ""}, {3, "78", "55", "rain"}, {4, "81", "60", "Forecast"}, {7, "72", "", "Forecast"},
        {8, "", "", ""}},
       7},
      {"on the schedule's last day only today's row, comma decimals", GermanFormatSettings(), true,
       Today.addDays(-(MaxDays - 1)),
       {{1, "50", "", ""}, {MaxDays - 1, "", "", ""}, {MaxDays, "25,5", "12", "Forecast"}}, MaxDays},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(C.Format, C.Metric, Indiana, C.Start);
    const QStringList Before = Snapshot();
    const QString Prompt = "\nThis feature will retrieve the forecasted temperatures for the next 5 days.\n\n"
                           "Are you ready to proceed?\n";
    Service = [Metric = C.Metric](const TSoapTestServer::TRequest&, httplib::Response& Res) {
      Res.set_content(Metric ? ForecastReply({"25.5", "26", "27", "28", "29"}, {"12", "13", "14", "15", "16"})
                             : ForecastReply({"78", "81", "74", "69", "72"}, {"55", "60", "52", "48", ""}),
                      "text/xml");
    };
    // Asked first; No sends nothing.
    Msgs.Messages.clear();
    Msgs.Answers = {QMessageBox::No};
    Form->ImportWthWebDataClick();
    EXPECT_EQ(Msgs.Messages, QStringList({Prompt}));
    EXPECT_EQ(Server.Last().Count, Requests);
    EXPECT_EQ(Snapshot(), Before);

    Msgs.Messages.clear();
    Msgs.Answers = {QMessageBox::Yes};
    Form->ImportWthWebDataClick();
    EXPECT_EQ(Msgs.Messages, QStringList({Prompt}));
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_EQ(std::string(Call.child_value("latitude")) + " " + Call.child_value("longitude") + " " +
                  Call.child_value("numDays") + " " + Call.child_value("Unit"),
              std::string("40.5 -85 5 ") + (C.Metric ? "m" : "e"));
    for (const auto& [Day, High, Low, Notes] : C.Days) {
      EXPECT_EQ(QStringList({Form->GridText(Day, WthCol::High), Form->GridText(Day, WthCol::Low),
                             Form->GridText(Day, WthCol::Notes)}),
                QStringList({High, Low, Notes}))
          << "day " << Day;
    }
    EXPECT_EQ(Form->CurrentDay(), C.LastDay);
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherSource), "WU_ASOS");
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherStation), "KCCC");
    EXPECT_FALSE(Form->Modified());
  }
}

TEST_F(ServiceImportsTest, FailuresLeaveTheFieldAsItWas) {
  const QString SoilFailed = "\nCan't import soil data.\n\n";
  const QString ForecastFailed = "\nCan't import forecast weather data.\n\n";
  const QString MetosFailed = "\nCan't import Web service data.\n\n";
  const QDate Today = QDate::currentDate();
  enum TRoad { Soil, Forecast, Metos };
  const struct {
    const char* Name;
    TRoad Road;
    int Location;
    QDate Start;
    const char* Box;  // a box emptied first
    std::string Reply;  // empty: the server is gone
    int Status;
    QString Message;  // the whole box, or its start after the first line
    int Sent;         // requests that reach the server
    bool Asked = false;  // the forecast's question came first
  } Cases[] = {
      {"soil: no location", Soil, 0, Today, "", "", 200, SoilFailed + "No Location selected.\n", 0},
      {"soil: outside the US", Soil, Ontario, Today, "", "", 200,
       SoilFailed + "No soil survey data available for selected location.\n", 0},
      {"soil: no rooting depth", Soil, Indiana, Today, "RootingDepthEdit", "", 200,
       SoilFailed + "Rooting Depth is missing or invalid.\n", 0},
      {"soil: service down", Soil, Indiana, Today, "", "", 200, SoilFailed + "Unable to reach the web service at ", 0},
      {"soil: SOAP fault", Soil, Indiana, Today, "", SoapFaultText("Invalid query syntax"), 500,
       SoilFailed + "The web service reported an error: Invalid query syntax", 1},
      {"soil: a component without horizons", Soil, Indiana, Today, "", NoHorizonsReply, 200,
       SoilFailed + "No soil horizon data available for selected soil component.\n", 3},
      {"forecast: outside the US", Forecast, Ontario, Today, "", "", 200,
       ForecastFailed + "No forecast data available for selected location.\n", 0},
      {"forecast: today after the schedule", Forecast, Indiana, Today.addDays(-MaxDays), "", "", 200,
       ForecastFailed + "The forecast dates are outside your schedule.\n", 0},
      {"forecast: no latitude", Forecast, Indiana, Today, "LatitudeEdit", "", 200,
       ForecastFailed + "Latitude is missing or invalid.\n", 0},
      {"forecast: service down", Forecast, Indiana, Today, "", "", 200,
       ForecastFailed + "Unable to reach the web service at ", 0, true},
      {"forecast: SOAP fault", Forecast, Indiana, Today, "", SoapFaultText("Point is outside the grid"), 500,
       ForecastFailed + "The web service reported an error: Point is outside the grid", 1, true},
      {"weather station: no starting date", Metos, Indiana, Today, "StartDateEdit", "", 200,
       MetosFailed + "Starting Date is missing or invalid.\n", 0},
      {"weather station: service down", Metos, Indiana, Today, "", "", 200,
       MetosFailed + "Unable to reach the web service at ", 0},
  };
  const QString Refusing = RefusingUrl();
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(UsFormatSettings(), true, C.Location, C.Start);
    if (*C.Box) Edit(C.Box)->clear();
    if (C.Reply.empty()) Form->ServiceAddresses = {Refusing, Refusing, Refusing};
    Service = [&C](const TSoapTestServer::TRequest& Req, httplib::Response& Res) {
      // The soil road's first steps succeed when only its horizons fail.
      const bool Horizons = Req.Body.find("chorizon") != std::string::npos;
      Res.status = C.Reply == NoHorizonsReply && !Horizons ? 200 : C.Status;
      Res.set_content(C.Reply == NoHorizonsReply && !Horizons ? SoilReply(Req.Body) : C.Reply, "text/xml");
    };
    OnSurvey = OnSoil = [](TSoilPickerDlg&) { return 0; };
    // The account is typed once; asked again after the failure, the user gives up.
    int Logins = 0;
    OnUser = [&Logins](TImportUserDlg& D) {
      D.SetAccount("farmer", "secret");
      D.OKBtnClick();
      return ++Logins == 1 ? D.result() : int(QDialog::Rejected);
    };
    const QStringList Before = Snapshot();
    Msgs.Messages.clear();
    Msgs.Answers = {QMessageBox::Yes};
    if (C.Road == Soil) Form->ImportSoilBtnClick();
    if (C.Road == Forecast) Form->ImportForecast();
    if (C.Road == Metos) Form->ImportMetosData();
    ASSERT_EQ(Msgs.Messages.size(), C.Asked ? 2 : 1) << Msgs.Messages.join('|').toStdString();
    EXPECT_TRUE(Msgs.Messages.back().startsWith(C.Message)) << Msgs.Messages.back().toStdString();
    EXPECT_EQ(Msgs.Types.back(), TMsgDlgType::Error);
    EXPECT_EQ(Server.Last().Count - Requests, C.Sent);
    EXPECT_EQ(Snapshot(), Before);
    EXPECT_FALSE(Form->Modified());
  }
}

TEST_F(ServiceImportsTest, WeatherStationThroughTheAccountDialog) {
  Start(UsFormatSettings(), true, Indiana, {2024, 3, 1});
  Service = [](const TSoapTestServer::TRequest& Req, httplib::Response& Res) {
    // A wrong password is refused by the service.
    if (Req.Body.find("wrong") != std::string::npos) {
      Res.status = 500;
      Res.set_content(SoapFaultText("Invalid user name or password"), "text/xml");
      return;
    }
    Res.set_content(MetosReply(Req.SoapAction), "text/xml");
  };
  WebChoice = [](TImportWebDlg& D) {
    EXPECT_EQ(D.SourceListBox->item(D.MetosIndex())->text(), "iMETOS ag Weather Station");
    return D.MetosIndex();
  };
  QStringList Logins;
  OnUser = [&Logins](TImportUserDlg& D) {
    Logins << D.UserName() + "/" + D.Password();
    EXPECT_EQ(D.windowTitle(), "Import Web Data");
    EXPECT_EQ(D.PasswordEdit->echoMode(), QLineEdit::Password);
    if (Logins.size() == 1) {
      D.UserEdit->setText("farmer");
      D.OKBtnClick();  // no password yet
      EXPECT_EQ(D.result(), QDialog::Rejected);
      D.PasswordEdit->setText("wrong");
    } else {
      D.PasswordEdit->setText("secret");
    }
    D.OKBtnClick();
    return D.result();
  };
  OnPicker = [](TImportStationDlg& D) {
    EXPECT_EQ(QStringList({D.Cell(1, 0), D.Cell(1, 1), D.Cell(2, 1)}),
              QStringList({"North field (iMetos IMT300 & rain gauge)", "00000146", "0020A1B2"}));
    EXPECT_FALSE(D.InterpCheckBox->isEnabled());
    EXPECT_TRUE(D.ViewMapBtn->isEnabled());
    D.SetCurrentRow(1);
    D.OKBtnClick();
    return D.result();
  };
  OnOptions = [](TImportWeatherDlg& D) {
    EXPECT_EQ(QStringList({D.ImportFile->text(), D.Station->text()}),
              QStringList({"[Web Service Data]", "North field (iMetos IMT300 & rain gauge)"}));
    return int(QDialog::Accepted);
  };
  Form->ImportWthWebDataClick();
  EXPECT_EQ(Logins, QStringList({"/", "farmer/wrong"}));  // asked again with what was typed
  EXPECT_EQ(Msgs.Messages, QStringList({"\nCan't import Web service data.\n\n"
                                        "The web service reported an error: Invalid user name or password\n"}));
  using namespace WthCol;
  EXPECT_EQ(QStringList({Form->GridText(1, High), Form->GridText(1, Low), Form->GridText(1, Precip),
                         Form->GridText(1, Wind), Form->GridText(1, Humidity), Form->GridText(3, High)}),
            QStringList({"12.5", "3.2", "0.2", "3.5", "81", "9.1"}));
  EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherSource), "");
  EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherStation), "");
  EXPECT_TRUE(Form->Modified());
}

}  // namespace
