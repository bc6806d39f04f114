// The web-service roads of the main window against a local server: soil horizons (two
// pickers, horizons into the field, capacity recomputed), the temperature forecast into
// the grid, a weather station's days through the account dialog, and their failures,
// which leave the field as it was.
#include "DialogTestSupport.h"
#include "SoapTestServer.h"
#include "SvImpSoil.h"
#include "SvImpStation.h"
#include "SvImpSurv.h"
#include "SvImpUser.h"
#include "SvImpWeb.h"
#include "SvImpWth.h"
#include "SvViewSoil.h"

namespace {

constexpr int Indiana = 14;
constexpr int Ontario = 51;
using TRequest = TSoapTestServer::TRequest;

// The canned reply of each soil query and weather-station operation.
std::string Reply(const TRequest& Req) {
  const std::pair<const char*, const char*> Replies[] = {
      {"chorizon", "soap/sdm_horizons.xml"},          {"mapunit", "soap/sdm_mapunits.xml"},
      {"sacatalog", "soap/sdm_surveys.xml"},          {"cidistationlist_GetNext", "metos/stations.xml"},
      {"GetMinMaxDate", "metos/minmax.xml"},          {"cidistationsensors_Get", "metos/sensors.xml"},
      {"GetFromDate", "metos/days.xml"}};
  for (const auto& [Key, File] : Replies) {
    const QString Name = FURROW_TEST_DATA_DIR "/" + QLatin1String(File);
    if ((Req.Body + Req.SoapAction).find(Key) != std::string::npos) return ReadBytes(Name).toStdString();
  }
  return std::string();
}

// A soil reply of one row without horizon values.
const std::string NoHorizonsReply = SoapEnvelopeText(
    "<RunQueryResponse xmlns=\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx\"><RunQueryResult>"
    "<diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet xmlns=\"\"><Table>"
    "<areasymbol>IN001</areasymbol><musym>W</musym></Table></NewDataSet></diffgr:diffgram></RunQueryResult>"
    "</RunQueryResponse>");

// A forecast reply whose days have these "high,low" pairs.
std::string ForecastReply(const std::vector<std::string>& Days) {
  std::string Max, Min;
  for (const std::string& Day : Days) {
    Max += "<value>" + Day.substr(0, Day.find(',')) + "</value>";
    Min += "<value>" + Day.substr(Day.find(',') + 1) + "</value>";
  }
  const std::string Dwml = "<dwml><data><parameters><temperature type=\"maximum\">" + Max +
                           "</temperature><temperature type=\"minimum\">" + Min +
                           "</temperature></parameters></data></dwml>";
  return SoapEnvelopeText("<ns1:NDFDgenByDayResponse xmlns:ns1=\"urn:ndfd\"><dwmlByDayOut>" +
                          QString::fromStdString(Dwml).toHtmlEscaped().toStdString() +
                          "</dwmlByDayOut></ns1:NDFDgenByDayResponse>");
}

const QString Prompt =
    "\nThis feature will retrieve the forecasted temperatures for the next 5 days.\n\nAre you ready to proceed?\n";

class ServiceImportsTest : public ::testing::Test {
 protected:
  ~ServiceImportsTest() override {
    Form.reset();
    EXPECT_EQ(Temp.FileCount(), 0) << "a temporary file was left behind";
  }

  // A started window with the field's place, dates and soil typed in, five horizons,
  // some weather and a web source.
  void Start(const TFormatSettings& Format, bool Metric, int Location, const QDate& StartDate) {
    Form = Folder.Started(Format);
    Form->ServiceAddresses = {Server.Url(), Server.Url(), Server.Url()};
    Form->ExecDialogFunc = [this](QDialog& Dialog) {
      Dialog.setResult(0);
      if (auto* D = dynamic_cast<TImportWebDlg*>(&Dialog)) D->SourceListBox->setCurrentRow(WebChoice(*D));
      if (auto* D = dynamic_cast<TSoilPickerDlg*>(&Dialog)) {
        D->findChild<QListWidget*>()->setCurrentRow(OnPicker(*D));
        if (D->SelectedIndex() < 0) return 0;
      }
      if (auto* D = dynamic_cast<TImportUserDlg*>(&Dialog)) OnUser(*D);
      if (auto* D = dynamic_cast<TImportStationDlg*>(&Dialog)) D->SetCurrentRow(OnStations(*D));
      if (auto* D = dynamic_cast<TImportWeatherDlg*>(&Dialog)) OnOptions(*D);
      if (auto* D = dynamic_cast<TViewSoilDlg*>(&Dialog)) OnViewSoil(*D);
      QMetaObject::invokeMethod(&Dialog, "OKBtnClick");
      return Dialog.result();
    };
    Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Location);
    Child<QCheckBox>(*Form, "MetricCheckBox")->setChecked(Metric);
    const std::pair<const char*, QString> Boxes[] = {
        {"StartDateEdit", DateToStr(StartDate, Format)},
        {"LatitudeEdit", Format.DecimalSeparator == u',' ? "40,5" : "40.5"},
        {"LongitudeEdit", "-85"}, {"RootingDepthEdit", Metric ? "100" : "3"}, {"SurveyEdit", "IN003"},
        {"MapUnitEdit", "GsB2"}, {"CompNameEdit", "Glynwood"}, {"WaterCapacityEdit", "1"}};
    for (const auto& [Name, Text] : Boxes) Edit(Name)->setText(Text);
    for (int H = 1; H <= 5; ++H) Form->FieldData()->SetCell(H, SovCol::HzDepth, QString::number(H * 20));
    for (int Day = 1; Day <= 3; ++Day) Form->SetGridText(Day, WthCol::High, "50");
    Form->SetGridText(3, WthCol::Notes, "rain");
    Form->FieldData()->SetCell(0, SovCol::WeatherSource, "WU_ASOS");
    Form->FieldData()->SetCell(0, SovCol::WeatherStation, "KCCC");
    Form->GetFormData();
    Form->SetModified(false);
    Requests = Server.Last().Count;
    Msgs.Take();
  }
  QLineEdit* Edit(const char* Name) const { return Child<QLineEdit>(*Form, Name); }
  QStringList Cells(const std::vector<std::pair<int, int>>& DayCols) const {
    QStringList S;
    for (const auto& [Day, Col] : DayCols) S << Form->GridText(Day, Col);
    return S;
  }
  QString WeatherSource() const {
    return Form->FieldData()->GetCell(0, SovCol::WeatherSource) + Form->FieldData()->GetCell(0, SovCol::WeatherStation);
  }
  QStringList Horizons() const {
    QStringList S;
    for (int H = 1; H <= MaxHorizons; ++H) S << Form->FieldData()->GetCell(H, SovCol::HzDepth);
    return S;
  }
  static QStringList Entries(QDialog& D) {
    QStringList Lines;
    const QListWidget* List = D.findChild<QListWidget*>();
    for (int I = 0; I < List->count(); ++I) Lines << List->item(I)->text();
    return Lines;
  }

  std::function<void(const TRequest&, httplib::Response&)> Service = [](const TRequest& Req, httplib::Response& Res) {
    Res.set_content(Reply(Req), "text/xml");
  };
  TSoapTestServer Server{[this](TSoapTestServer& Self, httplib::Response& Res) { Service(Self.Last(), Res); }};
  TProgramFolder Folder;
  TPrivateTempDir Temp;  // after the folder: Qt keeps its runtime folder in the first
  TMessageRecorder Msgs;
  std::unique_ptr<TMainForm> Form;
  int Requests = 0;
  std::function<int(TImportWebDlg&)> WebChoice = [](TImportWebDlg& D) { return D.ForecastIndex(); };
  std::function<int(TSoilPickerDlg&)> OnPicker = [](TSoilPickerDlg&) { return 0; };
  std::function<void(TImportUserDlg&)> OnUser = [](TImportUserDlg& D) { D.SetAccount("farmer", "secret"); };
  std::function<int(TImportStationDlg&)> OnStations = [](TImportStationDlg&) { return 1; };
  std::function<void(TImportWeatherDlg&)> OnOptions = [](TImportWeatherDlg&) {};
  std::function<void(TViewSoilDlg&)> OnViewSoil = [](TViewSoilDlg&) {};
};

TEST_F(ServiceImportsTest, SoilFromTheServiceIntoTheField) {
  const struct {
    TFormatSettings Format;
    bool Metric;
    QStringList After;  // horizon 1 depth, texture and KSat, horizon 4 depth; then the four soil boxes
    QString Shown;      // horizon 1's depth in the horizon dialog
    QString Capacity;   // after horizon 1's AWC is changed there
  } Cases[] = {
      {UsFormatSettings(), false, {"23", "SIL", "9.17", "", "IN001", "BlA", "Blount", "5.85"}, "9.1", "7.12"},
      {GermanFormatSettings(), true, {"23", "SIL", "9,17", "", "IN001", "BlA", "Blount", "163,20"}, "23", "195,40"},
  };
  for (const auto& C : Cases) {
    Start(C.Format, C.Metric, Indiana, {2024, 4, 1});
    OnPicker = [](TSoilPickerDlg& D) {
      if (D.objectName() == "ImportSurveyDlg") {
        EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 1 of 2");
        EXPECT_EQ(Entries(D), QStringList({"Adams County, Indiana (IN001)", "Allen County, Indiana (IN003)",
                                           "Bartholomew County, Indiana (IN005)", "Lagrange County, Indiana (IN087)",
                                           "LaPorte County, Indiana (IN091)", "St. Joseph County, Indiana (IN141)"}));
        EXPECT_EQ(D.SelectedIndex(), 1);  // the field's survey
        D.findChild<QListWidget*>()->setCurrentRow(-1);
        static_cast<TImportSurveyDlg&>(D).SurveyListBoxDblClick();  // nothing chosen: stays open
        EXPECT_EQ(D.result(), QDialog::Rejected);
        return 0;
      }
      EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 2 of 2");
      EXPECT_TRUE(D.ListBoxLbl->text().endsWith(" for \nAdams County, Indiana (IN001)."));
      EXPECT_EQ(Entries(D), QStringList({" (W)", "Blount (BlA)", "Glynwood (GsB2)", "houghton (Ho)", "Pewamo (Pm)"}));
      EXPECT_EQ(D.SelectedIndex(), 2);  // the field's component and map unit
      D.findChild<QListWidget*>()->setCurrentRow(1);
      static_cast<TImportSoilDlg&>(D).SoilListBoxDblClick();  // acts as OK
      EXPECT_EQ(D.result(), QDialog::Accepted);
      return 1;
    };
    Form->ImportSoilBtnClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    pugi::xml_document Doc;
    EXPECT_NE(std::string(RequestCall(Doc, Server.Last().Body).child_value("Query"))
                  .find("LOWER(mu.musym) = 'bla' LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND "
                        "c.majcompflag = 'Yes' AND c.compname = 'Blount'"),
              std::string::npos);
    const TSovSchedule& F = *Form->FieldData();
    EXPECT_EQ(QStringList({F.GetCell(1, SovCol::HzDepth), F.GetCell(1, SovCol::HzTexture), F.GetCell(1, SovCol::HzKSat),
                           F.GetCell(4, SovCol::HzDepth), Edit("SurveyEdit")->text(), Edit("MapUnitEdit")->text(),
                           Edit("CompNameEdit")->text(), Edit("WaterCapacityEdit")->text()}),
              C.After);
    EXPECT_TRUE(Form->Modified());

    // The horizon dialog on the imported horizons: an edit recomputes the capacity.
    OnViewSoil = [&C](TViewSoilDlg& D) {
      EXPECT_EQ(D.Cell(2, 1), C.Shown);
      D.SetCell(2, 3, C.Metric ? "0,30" : "0.30");
    };
    Form->ViewSoilBtnClick();
    EXPECT_EQ(Edit("WaterCapacityEdit")->text(), C.Capacity);
  }
}

TEST_F(ServiceImportsTest, ForecastIntoTheGrid) {
  const QDate Today = QDate::currentDate();
  using namespace WthCol;
  const struct {
    TFormatSettings Format;
    bool Metric;
    int Days;  // from the starting date to today
    std::vector<std::string> Forecast;
    std::vector<std::pair<int, int>> Cells;
    QStringList After;
  } Cases[] = {
      // From day 3 on; an existing note stays; the day after the forecast untouched.
      {UsFormatSettings(), false, 2, {"78,55", "81,60", "74,52", "69,48", "72,"},
       {{2, High}, {3, High}, {3, Low}, {3, Notes}, {4, Notes}, {7, High}, {7, Low}, {8, Notes}},
       {"50", "78", "55", "rain", "Forecast", "72", "", ""}},
      // On the schedule's last day only today's row; the user's decimal comma.
      {GermanFormatSettings(), true, MaxDays - 1, {"25.5,12", "26,13", "27,14", "28,15", "29,16"},
       {{MaxDays - 1, High}, {MaxDays, High}, {MaxDays, Low}, {MaxDays, Notes}}, {"", "25,5", "12", "Forecast"}},
  };
  for (const auto& C : Cases) {
    Start(C.Format, C.Metric, Indiana, Today.addDays(-C.Days));
    Service = [&C](const TRequest&, httplib::Response& Res) { Res.set_content(ForecastReply(C.Forecast), "text/xml"); };
    Msgs.Answers = {QMessageBox::Yes};
    Form->ImportWthWebDataClick();
    EXPECT_EQ(Msgs.Messages, QStringList({Prompt}));
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Server.Last().Body);
    EXPECT_EQ(std::string(Call.child_value("latitude")) + " " + Call.child_value("numDays") + " " +
                  Call.child_value("Unit"),
              std::string("40.5 5 ") + (C.Metric ? "m" : "e"));
    EXPECT_EQ(Cells(C.Cells), C.After);
    EXPECT_EQ(Form->CurrentDay(), std::min(C.Days + 5, MaxDays));
    EXPECT_EQ(WeatherSource(), "WU_ASOSKCCC");
    EXPECT_FALSE(Form->Modified());
  }
}

TEST_F(ServiceImportsTest, WeatherStationThroughTheAccountDialog) {
  Start(UsFormatSettings(), true, Indiana, {2024, 3, 1});
  Service = [](const TRequest& Req, httplib::Response& Res) {
    const bool Refused = Req.Body.find("wrong") != std::string::npos;
    Res.status = Refused ? 500 : 200;
    Res.set_content(Refused ? SoapFaultText("Invalid user name or password") : Reply(Req), "text/xml");
  };
  WebChoice = [](TImportWebDlg& D) { return D.MetosIndex(); };
  QStringList Logins;
  OnUser = [&Logins](TImportUserDlg& D) {
    Logins << D.UserName() + "/" + D.Password();
    D.SetAccount("farmer", "");
    D.OKBtnClick();  // no password
    EXPECT_EQ(D.result(), QDialog::Rejected);
    EXPECT_EQ(D.PasswordEdit->echoMode(), QLineEdit::Password);
    D.SetAccount("farmer", Logins.size() == 1 ? "wrong" : "secret");
  };
  OnStations = [](TImportStationDlg& D) {
    EXPECT_EQ(QStringList({D.Cell(1, 0), D.Cell(1, 1), D.Cell(2, 1)}),
              QStringList({"North field (iMetos IMT300 & rain gauge)", "00000146", "0020A1B2"}));
    EXPECT_FALSE(D.InterpCheckBox->isEnabled());
    EXPECT_TRUE(D.ViewMapBtn->isEnabled());
    return 1;
  };
  OnOptions = [](TImportWeatherDlg& D) {
    EXPECT_EQ(D.ImportFile->text() + " " + D.Station->text(),
              "[Web Service Data] North field (iMetos IMT300 & rain gauge)");
  };
  Form->ImportWthWebDataClick();
  EXPECT_EQ(Logins, QStringList({"/", "farmer/wrong"}));  // asked again with what was typed
  EXPECT_EQ(Msgs.Messages, QStringList({"\nCan't import Web service data.\n\n"
                                        "The web service reported an error: Invalid user name or password\n"}));
  using namespace WthCol;
  EXPECT_EQ(Cells({{1, High}, {1, Low}, {1, Precip}, {1, Wind}, {1, Humidity}, {3, High}}),
            QStringList({"12.5", "3.2", "0.2", "3.5", "81", "9.1"}));
  EXPECT_EQ(WeatherSource(), "");
  EXPECT_TRUE(Form->Modified());
}

TEST_F(ServiceImportsTest, FailuresLeaveTheFieldAsItWas) {
  const QString SoilFailed = "\nCan't import soil data.\n\n";
  const QString ForecastFailed = "\nCan't import forecast weather data.\n\n";
  const QString StationFailed = "\nCan't import Web service data.\n\n";
  const QString Down = "Unable to reach the web service at ";
  const QString Fault = "The web service reported an error: Refused";
  const QDate Today = QDate::currentDate();
  const auto Soil = &TMainForm::ImportSoilBtnClick, Forecast = &TMainForm::ImportForecast,
             Station = &TMainForm::ImportMetosData;
  const struct {
    void (TMainForm::*Command)();
    int Location;
    int Days;           // from the starting date to today
    const char* Empty;  // a box emptied first
    std::string Reply;  // empty: the server is gone
    QString Message;    // the start of the last message
    int Sent;           // requests that reach the server
  } Cases[] = {
      {Soil, 0, 0, "", "", SoilFailed + "No Location selected.\n", 0},
      {Soil, Ontario, 0, "", "", SoilFailed + "No soil survey data available for selected location.\n", 0},
      {Soil, Indiana, 0, "RootingDepthEdit", "", SoilFailed + "Rooting Depth is missing or invalid.\n", 0},
      {Soil, Indiana, 0, "", "", SoilFailed + Down, 0},
      {Soil, Indiana, 0, "", SoapFaultText("Refused"), SoilFailed + Fault, 1},
      {Soil, Indiana, 0, "", NoHorizonsReply,
       SoilFailed + "No soil horizon data available for selected soil component.\n", 3},
      {Forecast, Ontario, 0, "", "", ForecastFailed + "No forecast data available for selected location.\n", 0},
      {Forecast, Indiana, MaxDays, "", "", ForecastFailed + "The forecast dates are outside your schedule.\n", 0},
      {Forecast, Indiana, 0, "LatitudeEdit", "", ForecastFailed + "Latitude is missing or invalid.\n", 0},
      {Forecast, Indiana, 0, "", "", ForecastFailed + Down, 0},
      {Forecast, Indiana, 0, "", SoapFaultText("Refused"), ForecastFailed + Fault, 1},
      {Forecast, Indiana, 0, "", "No", Prompt, 0},  // the question answered No
      {Station, Indiana, 0, "StartDateEdit", "", StationFailed + "Starting Date is missing or invalid.\n", 0},
      {Station, Indiana, 0, "", "", StationFailed + Down, 0},
  };
  const QString Refusing = RefusingUrl();
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message.toStdString());
    Start(UsFormatSettings(), false, C.Location, Today.addDays(-C.Days));
    if (*C.Empty) {
      Edit(C.Empty)->clear();
      Form->GetFormData();
      Form->SetModified(false);
    }
    if (C.Reply.empty()) Form->ServiceAddresses = {Refusing, Refusing, Refusing};
    Service = [&C](const TRequest& Req, httplib::Response& Res) {
      // Only the soil road's horizons fail with the reply without horizons.
      const bool Canned = C.Reply == NoHorizonsReply && Req.Body.find("chorizon") == std::string::npos;
      Res.status = C.Reply.find("Fault") != std::string::npos ? 500 : 200;
      Res.set_content(Canned ? Reply(Req) : C.Reply, "text/xml");
    };
    int Logins = 0;  // the account is typed once; asked again after the failure, the user gives up
    OnUser = [&Logins](TImportUserDlg& D) { D.SetAccount("farmer", ++Logins == 1 ? "secret" : ""); };
    const QStringList Before = Horizons();
    Msgs.Answers = {C.Reply == "No" ? QMessageBox::No : QMessageBox::Yes};
    (Form.get()->*C.Command)();
    ASSERT_FALSE(Msgs.Messages.isEmpty());
    EXPECT_TRUE(Msgs.Messages.back().startsWith(C.Message)) << Msgs.Messages.back().toStdString();
    EXPECT_EQ(Server.Last().Count - Requests, C.Sent);
    EXPECT_EQ(Horizons(), Before);
    EXPECT_FALSE(Form->DataHasChanged() || Form->Modified());
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherStation), "KCCC");
  }
}

}  // namespace
