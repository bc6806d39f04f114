// The import commands of the main window against local servers: weather from a file,
// from pasted text and from web sources (one station or several interpolated) through the
// options dialog and the merge into the weather grid; soil horizons (two pickers, horizons
// into the field, capacity recomputed), the temperature forecast and a weather station's
// days through the account dialog; their failures, which leave the field as it was; and
// the station picker.
#include "DialogTestSupport.h"
#include "SoapTestServer.h"
#include "SvImpClip.h"
#include "SvImpSoil.h"
#include "SvImpStation.h"
#include "SvImpSurv.h"
#include "SvImpUser.h"
#include "SvImpWeb.h"
#include "SvImpWth.h"
#include "SvImport.h"
#include "SvNetWait.h"
#include "SvViewSoil.h"
#include "WebTestServer.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMap>
#include <QPlainTextEdit>
#include <QTimer>

#include <chrono>

namespace {

const QString DataDir = QStringLiteral(FURROW_TEST_DATA_DIR "/uiimport/");
constexpr int Indiana = 14;
constexpr int Ontario = 51;  // a location outside the US
using TRequest = TSoapTestServer::TRequest;

using TGrid = QMap<QPair<int, int>, QString>;
struct TCell {
  int Day, Col;
  const char* Text;
};
using namespace WthCol;

// The station identifiers in the picker's order.
QStringList StationRows(const TImportStationDlg& D) {
  QStringList IDs;
  for (int Row = 2; Row < D.RowCount(); ++Row) IDs << D.Cell(Row, 1);
  return IDs;
}

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
const std::string NoHorizonsReply = SoapEnvelopeText(ReadBytes(DataDir + "no_horizons.xml").trimmed().toStdString());

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

TEST(ImportMerge, ChosenValuesLandOnTheirDaysConverted) {
  TImportedWeather W;  // U.S. units, "." numbers
  W.AddPair("20160330", "40.0,30.0,,0.10,,50.5,early,");
  W.AddPair("20160401", "50.0,32.0,,1.50,10.0,55.5,Forecast,0.50");
  W.AddPair("20160402", "68.0,,,T,,,hail,");
  std::array<bool, WeatherKindCount> All, TempOnly{};
  All.fill(true);
  TempOnly[wkTemperature] = true;
  const TCell Pre[] = {{1, Notes, "Forecast"}, {2, Notes, "rain"}, {2, High, "99"}, {1, High, "11"}};
  const struct {
    const char* Name;
    QDate Start;
    TFormatSettings User;
    TWeatherImportChoice Choice;
    TMergeResult Result;
    std::vector<TCell> Expected;  // the whole grid afterwards, empty cells left out
  } Cases[] = {
      {"all kinds into an English field, comma decimals; lines before the start skipped", {2016, 4, 1},
       GermanFormatSettings(), {All, true, 0, -1, false}, TMergeResult::Merged,
       {{1, High, "50,0"}, {1, Low, "32,0"}, {1, Precip, "1,50"}, {1, Wind, "10,0"}, {1, Humidity, "55,5"},
        {1, Irrigation, "0,50"}, {1, Notes, "Forecast"}, {2, High, "68,0"}, {2, Precip, "T"}, {2, Notes, "rain hail"}}},
      {"a range of one line, temperature only", {2016, 4, 1}, UsFormatSettings(), {TempOnly, false, 1, 1, false}, TMergeResult::Merged,
       {{1, High, "50.0"}, {1, Low, "32.0"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}}},
      {"the first line is the schedule's last day", {2015, 4, 1}, UsFormatSettings(), {All, true, 0, -1, false},
       TMergeResult::Merged,
       {{1, High, "11"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}, {365, High, "40.0"},
        {365, Low, "30.0"}, {365, Precip, "0.10"}, {365, Humidity, "50.5"}, {365, Notes, "early"}}},
      {"lines that end before the start", {2016, 4, 3}, UsFormatSettings(), {All, true, 0, -1, false},
       TMergeResult::DatesOutside, {{1, High, "11"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}}},
      {"a range wholly before the start", {2016, 4, 1}, UsFormatSettings(), {All, false, 0, 0, false},
       TMergeResult::RangeOutside, {{1, High, "11"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}}},
  };
  for (const auto& C : Cases) {
    TGrid Grid, Expected;
    for (const TCell& Cell : Pre) Grid[{Cell.Day, Cell.Col}] = QLatin1String(Cell.Text);
    const TMergeResult Result = MergeImportedWeather(
        W, C.Choice, C.Start, false, C.User, [&](int Day, int Col) { return Grid.value({Day, Col}); },
        [&](int Day, int Col, const QString& Text) {
          ASSERT_GE(Day, 1);
          ASSERT_LE(Day, MaxDays);
          Grid[{Day, Col}] = Text;
        });
    EXPECT_EQ(Result, C.Result) << C.Name;
    for (const TCell& Cell : C.Expected) Expected[{Cell.Day, Cell.Col}] = QLatin1String(Cell.Text);
    Grid.removeIf([](const TGrid::iterator It) { return It.value().isEmpty(); });
    EXPECT_EQ(Grid, Expected) << C.Name;
  }
}

// Day lines in any order (newest first, or none) are merged when any falls within the
// schedule, whichever lines come first and last.
TEST(ImportMerge, LinesInAnyOrderReachTheSchedule) {
  std::array<bool, WeatherKindCount> TempOnly{};
  TempOnly[wkTemperature] = true;
  const std::pair<QStringList, TGrid> Cases[] = {  // date=high in the file's order; the grid afterwards
      {{"20131231=80.0", "20130416=61.0", "20130415=60.0", "20130101=40.0"},
       {{{1, High}, "60.0"}, {{2, High}, "61.0"}, {{261, High}, "80.0"}}},
      {{"20130101=40.0", "20130416=61.0", "20130102=41.0"}, {{{2, High}, "61.0"}}},
  };
  for (const auto& [Lines, Expected] : Cases) {
    TImportedWeather W;
    for (const QString& Line : Lines) W.AddPair(Line.section('=', 0, 0), Line.section('=', 1));
    TGrid Grid;
    const TMergeResult Result = MergeImportedWeather(
        W, {TempOnly, true, 0, -1, false}, {2013, 4, 15}, false, UsFormatSettings(),
        [&](int Day, int Col) { return Grid.value({Day, Col}); },
        [&](int Day, int Col, const QString& Text) { if (!Text.isEmpty()) Grid[{Day, Col}] = Text; });
    EXPECT_EQ(Result, TMergeResult::Merged) << Lines.join(' ').toStdString();
    EXPECT_EQ(Grid, Expected) << Lines.join(' ').toStdString();
  }
}

// A repeated import does not pile up its notes: a note the cell already holds as a run
// of whole words stays once.
TEST(ImportMerge, NoteHeldAlreadyIsNotAddedAgain) {
  const struct {
    const char *Cell, *Note, *After;
  } Cases[] = {
      {"hail Forecast", "Forecast", "hail Forecast"},
      {"Forecast hail", "Forecast", "Forecast hail"},
      {"  hail   Forecast ", "Forecast", "  hail   Forecast "},
      {"hail heavy  rain wind", "heavy rain", "hail heavy  rain wind"},
      {"Forecast", " Forecast ", "Forecast"},
      {"hail", "", "hail"},
      {"", "Forecast", "Forecast"},
      {"hail", "Forecast", "hail Forecast"},
      {"Forecasted", "Forecast", "Forecasted Forecast"},
      {"rain heavy", "heavy rain", "rain heavy heavy rain"},
      {"forecast", "Forecast", "forecast Forecast"},
  };
  std::array<bool, WeatherKindCount> NotesOnly{};
  NotesOnly[wkNotes] = true;
  for (const auto& C : Cases) {
    TImportedWeather W;
    W.AddPair("20160401", QString(",,,,,,%1,").arg(C.Note));
    QString Cell = C.Cell;
    const TMergeResult Result = MergeImportedWeather(
        W, {NotesOnly, true, 0, -1, false}, {2016, 4, 1}, false, UsFormatSettings(),
        [&](int, int) { return Cell; }, [&](int, int, const QString& Text) { Cell = Text; });
    EXPECT_EQ(Result, TMergeResult::Merged) << C.Cell;
    EXPECT_EQ(Cell, C.After) << C.Cell << " + " << C.Note;
  }
}

// Every import runs its fetches one way: a failure is told once, under the command's
// first line or through the caller's own report; success and Cancel tell nothing.
TEST(ImportFetch, FailureToldOnceCancelSilent) {
  TestApp();
  TMessageRecorder Msgs;
  TImportCommands Commands{TImportHost{}};
  const struct {
    const char* Name;
    bool Succeeds, Cancels, OwnReport;
    bool Result, Cancelled;
    QStringList Told;
  } Cases[] = {
      {"done", true, false, false, true, false, {}},
      {"failed", false, false, false, false, false, {"\nCan't import soil data.\n\nRefused\n"}},
      {"failed, own report", false, false, true, false, false, {"own: Refused"}},
      {"cancelled", false, true, false, false, true, {}},
  };
  for (const auto& C : Cases) {
    TNetProgress Progress;
    bool Cancelled = !C.Cancelled;
    const auto Report = [](const QString& Msg) { MessageDlg(nullptr, "own: " + Msg, TMsgDlgType::Error); };
    const bool Result = Commands.RunFetch(
        "Can't import soil data.", Progress,
        [&C, &Progress](QString& Msg) {
          if (C.Cancels) Progress.Cancel();
          Msg = "Refused";
          return C.Succeeds;
        },
        &Cancelled, C.OwnReport ? std::function<void(const QString&)>(Report) : nullptr);
    EXPECT_EQ(Result, C.Result) << C.Name;
    EXPECT_EQ(Cancelled, C.Cancelled) << C.Name;
    EXPECT_EQ(Msgs.Take(), C.Told) << C.Name;
  }
}

class ImportCommandsTest : public TWebTest {
 protected:
  void SetUp() override {
    TWebTest::SetUp();
    Server.Serve("/iem/sites/locate.php", ReadBytes(DataDir + "locate.html").toStdString());
    Server.Serve("/script/getStations.php", ReadBytes(DataDir + "getStations.tsv").toStdString());
    Server.Serve("/wu/history/airport/", ReadBytes(DataDir + "airport.csv").toStdString());  // every station
  }
  void TearDown() override {
    Form.reset();
    TWebTest::TearDown();
  }

  // A started window aimed at the local servers, with the field's place, starting date
  // and web station typed in; with Soil also its soil, five horizons and some weather.
  void Start(const TFormatSettings& Format, const QDate& StartDate, bool Metric, int Location = Indiana,
             bool Soil = false) {
    Form = Folder.Started(Format);
    Form->ImportFileDialogFunc = [this](QWidget*, bool, const QString&, const QString&, const QString&) {
      return FileAnswer;
    };
    Form->ExecDialogFunc = [this](QDialog& Dialog) {
      Dialog.setResult(QDialog::Rejected);
      if (auto* D = dynamic_cast<TImportWeatherDlg*>(&Dialog)) return OnOptions(*D);
      if (auto* D = dynamic_cast<TImportClipboardDlg*>(&Dialog)) return OnPaste(*D);
      if (auto* D = dynamic_cast<TImportWebDlg*>(&Dialog)) return OnWeb(*D);
      if (auto* D = dynamic_cast<TImportStationDlg*>(&Dialog)) return OnPicker(*D);
      if (auto* D = dynamic_cast<TSoilPickerDlg*>(&Dialog)) return OnSoilPicker(*D);
      if (auto* D = dynamic_cast<TImportUserDlg*>(&Dialog)) return OnUser(*D);
      if (auto* D = dynamic_cast<TViewSoilDlg*>(&Dialog)) return OnViewSoil(*D);
      ADD_FAILURE() << "unexpected dialog " << Dialog.objectName().toStdString();
      return 0;
    };
    Form->WebHosts = Hosts;
    Form->WebHttpOptions = Options;
    Form->ServiceAddresses = {Soap.Url(), Soap.Url(), Soap.Url()};
    Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Location);
    Child<QCheckBox>(*Form, "MetricCheckBox")->setChecked(Metric);
    const bool Comma = Format.DecimalSeparator == u',';
    std::vector<std::pair<const char*, QString>> Boxes = {
        {"StartDateEdit", StartDate.isValid() ? DateToStr(StartDate, Format) : QString()},
        {"LatitudeEdit", Comma ? "40,0" : "40.0"}, {"LongitudeEdit", "-87"}};
    if (Soil) {
      Boxes.insert(Boxes.end(), {{"LatitudeEdit", Comma ? "40,5" : "40.5"}, {"LongitudeEdit", "-85"},
                                 {"RootingDepthEdit", Metric ? "100" : "3"}, {"SurveyEdit", "IN003"}, {"MapUnitEdit", "GsB2"},
                                 {"CompNameEdit", "Glynwood"}, {"WaterCapacityEdit", "1"}});
      for (int H = 1; H <= 5; ++H) Form->FieldData()->SetCell(H, SovCol::HzDepth, QString::number(H * 20));
      for (int Day = 1; Day <= 3; ++Day) Form->SetGridText(Day, High, "50");
      Form->SetGridText(3, Notes, "rain");
    }
    for (const auto& [Name, Text] : Boxes) Edit(Name)->setText(Text);
    Form->FieldData()->SetCell(0, SovCol::WeatherSource, "WU_ASOS");
    Form->FieldData()->SetCell(0, SovCol::WeatherStation, "KCCC");
    Form->GetFormData();
    Form->SetModified(false);
    Requests = Soap.Last().Count;
    Msgs.Take();
  }
  QLineEdit* Edit(const char* Name) const { return Child<QLineEdit>(*Form, Name); }
  QString Station() const { return Form->FieldData()->GetCell(0, SovCol::WeatherStation); }
  QString WeatherSource() const { return Form->FieldData()->GetCell(0, SovCol::WeatherSource) + " " + Station(); }
  void ExpectGrid(const std::vector<TCell>& Cells, const char* Name) const {
    for (const TCell& Cell : Cells) {
      EXPECT_EQ(Form->GridText(Cell.Day, Cell.Col), QLatin1String(Cell.Text)) << Name << ": day " << Cell.Day << " column " << Cell.Col;
    }
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
  TSoapTestServer Soap{[this](TSoapTestServer& Self, httplib::Response& Res) { Service(Self.Last(), Res); }};
  TProgramFolder Folder;
  TMessageRecorder Msgs;
  std::unique_ptr<TMainForm> Form;
  QString FileAnswer;
  int Requests = 0;  // to the service before the command
  // The dialogs' stand-ins; by default the service roads' choices, then OK.
  std::function<int(TImportWeatherDlg&)> OnOptions = Ok;
  std::function<int(TImportClipboardDlg&)> OnPaste = Ok;
  std::function<int(TImportWebDlg&)> OnWeb = [](TImportWebDlg& D) {
    return D.SourceListBox->setCurrentRow(D.ForecastIndex()), Ok(D);
  };
  std::function<int(TImportStationDlg&)> OnPicker = [](TImportStationDlg& D) { return D.SetCurrentRow(1), Ok(D); };
  std::function<int(TSoilPickerDlg&)> OnSoilPicker = [](TSoilPickerDlg& D) {
    return D.findChild<QListWidget*>()->setCurrentRow(0), Ok(D);
  };
  std::function<int(TImportUserDlg&)> OnUser = [](TImportUserDlg& D) { return D.SetAccount("farmer", "secret"), Ok(D); };
  std::function<int(TViewSoilDlg&)> OnViewSoil = Ok;
};

TEST_F(ImportCommandsTest, WeatherFileThroughTheOptionsDialog) {
  const QString File = DataDir + "standard_us.csv";
  FileAnswer = File;
  const struct {
    const char* Name;
    TFormatSettings Format;
    bool Metric;
    std::vector<TCell> Pre;
    const char *Units, *Dates;  // as the options dialog shows them
    std::function<void(TImportWeatherDlg&)> Choose;
    std::vector<TCell> After;
  } Cases[] = {
      {"metric", UsFormatSettings(), true, {{1, Notes, "Forecast"}, {2, Notes, "rain"}, {2, Low, "3"}},
       "U.S.  [Note: will convert]", "3/30/2016 - 4/3/2016",
       [this](TImportWeatherDlg& D) {
         // Nothing ticked, then a range that runs backwards: both refused with a message.
         for (int Kind = 0; Kind < WeatherKindCount; ++Kind) D.KindCheckBox(Kind)->setChecked(false);
         D.OKBtnClick();
         for (int Kind = 0; Kind < WeatherKindCount; ++Kind) D.KindCheckBox(Kind)->setChecked(D.KindCheckBox(Kind)->isEnabled());
         D.SetDatesRadioGroupIndex(1);
         EXPECT_EQ(D.EndDateCombo->currentIndex(), 0);  // the range starts as the first day
         D.StartDateCombo->setCurrentIndex(3);
         EXPECT_EQ(Ok(D), QDialog::Rejected);
         EXPECT_EQ(Msgs.Take(), QStringList({"\nYou must check at least one box of data to import.\n",
                                             "\nStarting date can't come after ending date.\n"}));
         D.SetDatesRadioGroupIndex(0);
         EXPECT_FALSE(D.StartDateCombo->isEnabled());
       },
       // A number that loses a digit in the conversion gains a decimal (41.0 -> 5.00).
       {{1, High, "10.0"}, {1, Low, "0.0"}, {1, Precip, "38.10"}, {1, Irrigation, "12.70"}, {1, Wind, "4.47"},
        {1, Notes, "Forecast"}, {2, High, "20.0"}, {2, Low, ""}, {2, Precip, "0.00"}, {2, Notes, "rain hail"},
        {3, High, "25.0"}, {3, Low, "5.00"}, {3, Precip, "6.35"}, {3, Irrigation, "25.40"}, {3, Wind, "1.1"}, {4, High, ""}}},
      {"range, only missing, comma decimals", GermanFormatSettings(), false,
       {{2, High, "70"}, {2, Notes, "rain"}}, "U.S.", "30.03.2016 - 03.04.2016",
       [](TImportWeatherDlg& D) {
         for (QCheckBox* Box : {D.RainfallCheckBox, D.WindCheckBox, D.IrrigationCheckBox}) Box->setChecked(false);
         D.SetDatesRadioGroupIndex(1);
         D.StartDateCombo->setCurrentIndex(3);
         D.EndDateCombo->setCurrentIndex(4);
         D.OnlyMissingCheckBox->setChecked(true);
       },
       {{1, High, ""}, {1, Notes, ""}, {2, High, "70"}, {2, Low, ""}, {2, Notes, "rain"}, {3, High, "77,0"},
        {3, Low, "41,0"}, {3, Precip, ""}, {3, Irrigation, ""}, {3, Wind, ""}}},
  };
  for (const auto& C : Cases) {
    Start(C.Format, {2016, 4, 1}, C.Metric);
    for (const TCell& Cell : C.Pre) Form->SetGridText(Cell.Day, Cell.Col, QLatin1String(Cell.Text));
    OnOptions = [&](TImportWeatherDlg& D) {
      EXPECT_EQ(QStringList({D.ImportFile->text(), D.ImportFormat->text(), D.Units->text(), D.Dates->text()}),
                QStringList({File, "Standard CSV", C.Units, C.Dates}));
      // The file has no humidity.
      EXPECT_FALSE(D.HumidityCheckBox->isEnabled());
      EXPECT_FALSE(D.HumidityCheckBox->isChecked());
      EXPECT_TRUE(D.TempCheckBox->isChecked());
      EXPECT_TRUE(D.NotesCheckBox->isChecked());
      EXPECT_TRUE(D.IrrigationCheckBox->isChecked());
      EXPECT_EQ(D.DatesRadioGroupIndex(), 0);
      EXPECT_FALSE(D.OnlyMissingCheckBox->isChecked());
      C.Choose(D);
      return Ok(D);
    };
    Form->ImportWthFileBtnClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    ExpectGrid(C.After, C.Name);
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherSource), "");
    EXPECT_EQ(Station(), "");
    EXPECT_TRUE(Form->Modified());
  }

  // Cancel writes nothing; the dates must overlap the schedule's year.
  Start(UsFormatSettings(), {2017, 4, 3}, false);
  for (int Answer : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
    OnOptions = [Answer](TImportWeatherDlg&) { return Answer; };
    Form->ImportWthFileBtnClick();
  }
  EXPECT_EQ(Msgs.Take(), QStringList({"\nThe import weather dates are outside your dates.\n"}));
  EXPECT_EQ(Station(), "KCCC");
  EXPECT_FALSE(Form->Modified());

  // A chosen range that lies wholly before the schedule says so and leaves the field as it was.
  Start(UsFormatSettings(), {2016, 4, 1}, false);
  OnOptions = [](TImportWeatherDlg& D) {
    D.SetDatesRadioGroupIndex(1);
    D.StartDateCombo->setCurrentIndex(0);
    D.EndDateCombo->setCurrentIndex(1);
    return Ok(D);
  };
  Form->ImportWthFileBtnClick();
  EXPECT_EQ(Msgs.Take(), QStringList({"\nNo day of the chosen dates falls inside your schedule.\n"}));
  EXPECT_EQ(Station(), "KCCC");
  EXPECT_FALSE(Form->Modified());
}

// The weather file shipped beside the program fills every day it holds of a new metric
// field's schedule from 4/15/2013, 12/31/2013 its 261st and last; days in 2014 stay empty.
TEST_F(ImportCommandsTest, ShippedWeatherFileFillsEveryDayItHolds) {
  Start(UsFormatSettings(), {2013, 4, 15}, true);
  FileAnswer = FURROW_SOURCE_DIR "/data/weather/maricopa-2013-standard.csv";
  Form->ImportWthFileBtnClick();
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
  for (int Day = 1; Day <= 261; ++Day)
    for (int Col : {High, Low, Precip, Wind, Humidity}) EXPECT_NE(Form->GridText(Day, Col), "") << Day << " " << Col;
  ExpectGrid({{1, High, "31.30"}, {1, Low, "15.00"}, {1, Humidity, "29.1"}, {261, High, "19.60"}, {261, Low, "-1.00"},
              {261, Wind, "0.94"}, {262, High, ""}, {262, Low, ""}},
             "maricopa-2013-standard.csv");
}

// A text in a number cell of another field file lands in the grid cell of its day, where
// a calculation names it; it does not empty the cell.
TEST_F(ImportCommandsTest, FieldFileTextsReachTheirCells) {
  Start(UsFormatSettings(), {2016, 5, 1}, false);
  FileAnswer = FURROW_TEST_DATA_DIR "/sovimp/edge.sov";
  OnOptions = [](TImportWeatherDlg& D) {
    EXPECT_EQ(D.ImportFormat->text(), "Furrow");
    return Ok(D);
  };
  Form->ImportWthFileBtnClick();
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
  ExpectGrid({{12, High, "76.50"}, {12, Precip, "abc"}, {13, Wind, "calm"}, {13, Humidity, "n/a"}, {13, Precip, ""}},
             "edge.sov");
}

TEST_F(ImportCommandsTest, PastedText) {
  const QString Good = "Month,Day,Year,Max Temp,Min Temp,Precip\r\n4,1,2016,12.5,3.0,2.0\r\n4,2,2016,14.0,,0.4";
  const QString Bad = "Nothing that a weather site\nwould send";
  const QString Refused = "\nCan't import weather data.\n\nThe pasted text\nUnrecognized file format.\n";
  const struct {
    const char* Name;
    QStringList Pasted;  // pasted in turn, each followed by OK
    int Result;          // of the dialog after the last
    QStringList Messages;
  } Cases[] = {
      // No units stated: the field's own (metric) units apply.
      {"recognised", {Good}, QDialog::Accepted, {}},
      // Text no layout knows: the box names the pasted text, and the dialog stays open
      // with it until it is replaced or given up.
      {"not recognised, then replaced", {Bad, Good}, QDialog::Accepted, {Refused}},
      {"not recognised, then given up", {Bad}, QDialog::Rejected, {Refused}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(UsFormatSettings(), {2016, 4, 1}, true);
    bool OptionsShown = false;
    OnPaste = [&](TImportClipboardDlg& D) {
      EXPECT_EQ(Ok(D), QDialog::Rejected);  // nothing pasted yet
      EXPECT_TRUE(Msgs.Messages.isEmpty());
      for (const QString& Text : C.Pasted) {
        D.Memo->clear();
        QGuiApplication::clipboard()->setText(Text);
        D.PasteButton->click();
        EXPECT_EQ(D.Text(), QString(Text).remove(u'\r'));
        const int Result = Ok(D);
        EXPECT_EQ(Result, Text == Bad ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(D.Text(), QString(Text).remove(u'\r'));  // kept either way
        EXPECT_TRUE(QDir(TempDir.path()).isEmpty());  // the temporary file is gone at once
      }
      return D.result();
    };
    OnOptions = [&OptionsShown](TImportWeatherDlg& D) {
      OptionsShown = true;
      EXPECT_EQ(D.ImportFile->text(), "[Pasted Data]");
      EXPECT_EQ(D.Units->text(), "Metric");
      return int(QDialog::Accepted);
    };
    Form->ImportWthClipboardBtnClick();
    EXPECT_EQ(Msgs.Messages, C.Messages);
    EXPECT_EQ(Msgs.Types, std::vector<TMsgDlgType>(size_t(C.Messages.size()), TMsgDlgType::Error));
    Msgs.Take();
    EXPECT_EQ(OptionsShown, C.Result == QDialog::Accepted);
    if (C.Result == QDialog::Accepted) {
      ExpectGrid({{1, High, "12.5"}, {1, Precip, "2.0"}, {2, High, "14.0"}}, C.Name);
    } else {
      ExpectGrid({{1, High, ""}, {1, Precip, ""}}, C.Name);
    }
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty());
  }
}

TEST_F(ImportCommandsTest, WebSourceOneStationThenSeveral) {
  Start(UsFormatSettings(), {2016, 4, 1}, false);
  OnWeb = [](TImportWebDlg& D) {
    EXPECT_EQ(D.SourceListBox->count(), 7);  // five sources of the lookup file and two services
    EXPECT_EQ(D.SelectedSource(), "WU_ASOS");  // the field's source
    return Ok(D);
  };
  QString OptionsStation;
  OnOptions = [&OptionsStation](TImportWeatherDlg& D) {
    EXPECT_EQ(D.ImportFile->text(), "[Web Data]");
    OptionsStation = D.Station->text();
    return int(QDialog::Accepted);
  };
  const struct {
    const char* Name;
    std::function<int(TImportStationDlg&)> Pick;
    const char *Shown, *Chosen;  // the station(s) the options dialog and the field show
    std::vector<TCell> After;
  } Cases[] = {
      {"one station: the list sorted by name, the field's station current",
       [](TImportStationDlg& D) {
         EXPECT_EQ(StationRows(D), QStringList({"KEEE", "KBBB", "KGGG", "KFFF", "KAAA", "KDDD", "KCCC"}));
         EXPECT_EQ(D.SelectedStationID(), "KCCC");
         EXPECT_TRUE(D.InterpCheckBox->isEnabled());
         EXPECT_FALSE(D.Interpolating());
         EXPECT_TRUE(D.ViewMapBtn->isEnabled());
         D.SetCurrentRow(D.RowOfStation("KDDD"));
         return Ok(D);
       },
       "Oak Ridge (KDDD)", "KDDD", {{1, High, "59"}, {1, Low, "41"}, {1, Precip, "0.12"}}},
      {"several: interpolation marks the five nearest; one taken off again",
       [](TImportStationDlg& D) {
         D.InterpCheckBox->click();
         D.SetCurrentRow(D.RowOfStation("KEEE"));
         D.StationGridDblClick();
         return Ok(D);
       },
       "KDDD,KBBB,KCCC,KAAA", "KDDD,KBBB,KCCC,KAAA", {{1, High, "59.0"}, {2, High, "61.0"}}},
      {"asked again, the same four are marked; Cancel changes nothing",
       [](TImportStationDlg& D) {
         EXPECT_TRUE(D.Interpolating());
         EXPECT_EQ(StationRows(D), QStringList({"KDDD", "KBBB", "KCCC", "KAAA", "KEEE", "KFFF", "KGGG"}));
         EXPECT_EQ(D.MarkedStationIDs(), QStringList({"KDDD", "KBBB", "KCCC", "KAAA"}));
         return int(QDialog::Rejected);
       },
       "", "KDDD,KBBB,KCCC,KAAA", {{1, High, "59.0"}}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    OptionsStation.clear();
    OnPicker = C.Pick;
    Form->ImportWthWebDataClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    EXPECT_EQ(OptionsStation, C.Shown);
    EXPECT_EQ(WeatherSource(), QString("WU_ASOS ") + C.Chosen);
    ExpectGrid(C.After, C.Name);
    EXPECT_TRUE(Form->Modified());
    if (C.Shown == Cases[0].Shown) {
      EXPECT_EQ(Server.LastTarget().rfind("/wu/history/airport/KDDD/2016/4/1/CustomHistory.html?dayend=31&monthend=3"
                                          "&yearend=2017", 0), 0u) << Server.LastTarget();
    }
  }

  // Without the field's position: the bare list, no distances, no interpolation, no map.
  Edit("LongitudeEdit")->clear();
  OnPicker = [&](TImportStationDlg& D) {
    EXPECT_EQ(D.Cell(D.RowOfStation("KAAA"), 2), "");
    EXPECT_FALSE(D.InterpCheckBox->isEnabled());
    EXPECT_FALSE(D.ViewMapBtn->isEnabled());
    return int(QDialog::Rejected);
  };
  Form->ImportWthWebDataClick();
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
}

TEST_F(ImportCommandsTest, SoilFromTheServiceIntoTheField) {
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
    Start(C.Format, {2024, 4, 1}, C.Metric, Indiana, true);
    OnSoilPicker = [](TSoilPickerDlg& D) {
      if (D.objectName() == "ImportSurveyDlg") {
        EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 1 of 2");
        EXPECT_EQ(Entries(D), QStringList({"Adams County, Indiana (IN001)", "Allen County, Indiana (IN003)",
                                           "Bartholomew County, Indiana (IN005)", "Lagrange County, Indiana (IN087)",
                                           "LaPorte County, Indiana (IN091)", "St. Joseph County, Indiana (IN141)"}));
        EXPECT_EQ(D.SelectedIndex(), 1);  // the field's survey
        D.findChild<QListWidget*>()->setCurrentRow(-1);
        static_cast<TImportSurveyDlg&>(D).SurveyListBoxDblClick();  // nothing chosen: stays open
        EXPECT_EQ(D.result(), QDialog::Rejected);
        D.findChild<QListWidget*>()->setCurrentRow(0);
        return Ok(D);
      }
      EXPECT_EQ(D.windowTitle(), "Import Soil Data - Step 2 of 2");
      EXPECT_TRUE(D.ListBoxLbl->text().endsWith(" for \nAdams County, Indiana (IN001)."));
      EXPECT_EQ(Entries(D), QStringList({" (W)", "Blount (BlA)", "Glynwood (GsB2)", "houghton (Ho)", "Pewamo (Pm)"}));
      EXPECT_EQ(D.SelectedIndex(), 2);  // the field's component and map unit
      D.findChild<QListWidget*>()->setCurrentRow(1);
      static_cast<TImportSoilDlg&>(D).SoilListBoxDblClick();  // acts as OK
      return D.result();
    };
    Form->ImportSoilBtnClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    pugi::xml_document Doc;
    EXPECT_NE(std::string(RequestCall(Doc, Soap.Last().Body).child_value("Query"))
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
      return Ok(D);
    };
    Form->ViewSoilBtnClick();
    EXPECT_EQ(Edit("WaterCapacityEdit")->text(), C.Capacity);
  }
}

// Horizons whose capacity cannot be worked out are imported all the same; the command
// then fails with the reason, and the capacity box keeps what it held.
TEST_F(ImportCommandsTest, SoilWithoutACapacityKeepsItsHorizons) {
  const struct {
    const char* Name;
    std::string Rows;     // the horizon reply's rows
    QString Message;      // the error box
    QStringList Depths;   // the field's horizons 1-3 afterwards
  } Cases[] = {
      // The texture's own message follows the capacity's.
      {"no fractions, so no texture and no AWC",
       "<Table><compname>Blount</compname><hzdept_r>0</hzdept_r><hzdepb_r>30</hzdepb_r></Table>",
       "\nCan't import soil data.\n\nHorizon 1 is missing AWC.\nHorizon 1 has invalid sand.\n", {"30", "", ""}},
      {"a horizon not deeper than the one above",
       "<Table><compname>Blount</compname><hzdept_r>0</hzdept_r><hzdepb_r>30</hzdepb_r><sandtotal_r>20</sandtotal_r>"
       "<silttotal_r>60</silttotal_r><claytotal_r>20</claytotal_r></Table>"
       "<Table><hzdept_r>30</hzdept_r><hzdepb_r>20</hzdepb_r><sandtotal_r>20</sandtotal_r>"
       "<silttotal_r>60</silttotal_r><claytotal_r>20</claytotal_r></Table>",
       "\nCan't import soil data.\n\nHorizon 2 is not deeper than horizon 1.\n", {"30", "20", ""}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(UsFormatSettings(), {2024, 4, 1}, true, Indiana, true);
    OnSoilPicker = [](TSoilPickerDlg& D) {
      D.findChild<QListWidget*>()->setCurrentRow(D.objectName() == "ImportSurveyDlg" ? 0 : 1);  // Blount
      return Ok(D);
    };
    const std::string Horizons = SoapEnvelopeText(
        "<RunQueryResponse xmlns=\"http://SDMDataAccess.nrcs.usda.gov/Tabular/SDMTabularService.asmx\"><RunQueryResult>"
        "<diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet xmlns=\"\">" +
        C.Rows + "</NewDataSet></diffgr:diffgram></RunQueryResult></RunQueryResponse>");
    Service = [&Horizons](const TRequest& Req, httplib::Response& Res) {
      Res.set_content(Req.Body.find("chorizon") != std::string::npos ? Horizons : Reply(Req), "text/xml");
    };
    Form->ImportSoilBtnClick();
    EXPECT_EQ(Msgs.Messages, QStringList({C.Message}));
    ASSERT_FALSE(Msgs.Types.empty());
    EXPECT_EQ(Msgs.Types.back(), TMsgDlgType::Error);
    const TSovSchedule& F = *Form->FieldData();
    EXPECT_EQ(QStringList({F.GetCell(1, SovCol::HzDepth), F.GetCell(2, SovCol::HzDepth), F.GetCell(3, SovCol::HzDepth)}),
              C.Depths);
    EXPECT_EQ(Edit("CompNameEdit")->text(), "Blount");
    EXPECT_EQ(Edit("WaterCapacityEdit")->text(), "1");
    EXPECT_TRUE(Form->Modified());
  }
}

TEST_F(ImportCommandsTest, ForecastIntoTheGrid) {
  const QDate Today = QDate::currentDate();
  const struct {
    TFormatSettings Format;
    bool Metric;
    int Days;  // from the starting date to today
    std::vector<std::string> Forecast;
    std::vector<TCell> After;
  } Cases[] = {
      // From day 3 on; an existing note stays; the day after the forecast untouched.
      {UsFormatSettings(), false, 2, {"78,55", "81,60", "74,52", "69,48", "72,"},
       {{2, High, "50"}, {3, High, "78"}, {3, Low, "55"}, {3, Notes, "rain"}, {4, Notes, "Forecast"}, {7, High, "72"},
        {7, Low, ""}, {8, Notes, ""}}},
      // On the schedule's last day only today's row; the user's decimal comma.
      {GermanFormatSettings(), true, MaxDays - 1, {"25.5,12", "26,13", "27,14", "28,15", "29,16"},
       {{MaxDays - 1, High, ""}, {MaxDays, High, "25,5"}, {MaxDays, Low, "12"}, {MaxDays, Notes, "Forecast"}}},
  };
  for (const auto& C : Cases) {
    Start(C.Format, Today.addDays(-C.Days), C.Metric, Indiana, true);
    Service = [&C](const TRequest&, httplib::Response& Res) { Res.set_content(ForecastReply(C.Forecast), "text/xml"); };
    Msgs.Answers = {QMessageBox::Yes};
    Form->ImportWthWebDataClick();
    EXPECT_EQ(Msgs.Messages, QStringList({Prompt}));
    pugi::xml_document Doc;
    const pugi::xml_node Call = RequestCall(Doc, Soap.Last().Body);
    EXPECT_EQ(std::string(Call.child_value("latitude")) + " " + Call.child_value("numDays") + " " +
                  Call.child_value("Unit"),
              std::string("40.5 5 ") + (C.Metric ? "m" : "e"));
    ExpectGrid(C.After, "forecast");
    EXPECT_EQ(Form->CurrentDay(), std::min(C.Days + 5, MaxDays));
    EXPECT_EQ(WeatherSource(), "WU_ASOS KCCC");
    EXPECT_FALSE(Form->Modified());
  }
}

TEST_F(ImportCommandsTest, WeatherStationThroughTheAccountDialog) {
  Start(UsFormatSettings(), {2024, 3, 1}, true, Indiana, true);
  Service = [](const TRequest& Req, httplib::Response& Res) {
    const bool Refused = Req.Body.find("wrong") != std::string::npos;
    Res.status = Refused ? 500 : 200;
    Res.set_content(Refused ? SoapFaultText("Invalid user name or password") : Reply(Req), "text/xml");
  };
  OnWeb = [](TImportWebDlg& D) { return D.SourceListBox->setCurrentRow(D.MetosIndex()), Ok(D); };
  QStringList Logins;
  OnUser = [&Logins](TImportUserDlg& D) {
    Logins << D.UserName() + "/" + D.Password();
    D.SetAccount("farmer", "");
    EXPECT_EQ(Ok(D), QDialog::Rejected);  // no password
    EXPECT_EQ(D.PasswordEdit->echoMode(), QLineEdit::Password);
    D.SetAccount("farmer", Logins.size() == 1 ? "wrong" : "secret");
    return Ok(D);
  };
  OnPicker = [](TImportStationDlg& D) {
    EXPECT_EQ(QStringList({D.Cell(1, 0), D.Cell(1, 1), D.Cell(2, 1)}),
              QStringList({"North field (iMetos IMT300 & rain gauge)", "00000146", "0020A1B2"}));
    EXPECT_FALSE(D.InterpCheckBox->isEnabled());
    EXPECT_TRUE(D.ViewMapBtn->isEnabled());
    D.SetCurrentRow(1);
    return Ok(D);
  };
  OnOptions = [](TImportWeatherDlg& D) {
    EXPECT_EQ(D.ImportFile->text(), "[Web Service Data]");
    EXPECT_EQ(D.Station->text(), "North field (iMetos IMT300 & rain gauge)");
    return Ok(D);
  };
  Form->ImportWthWebDataClick();
  EXPECT_EQ(Logins, QStringList({"/", "farmer/wrong"}));  // asked again with what was typed
  EXPECT_EQ(Msgs.Messages, QStringList({"\nCan't import Web service data.\n\n"
                                        "The web service reported an error: Invalid user name or password\n"}));
  ExpectGrid({{1, High, "12.5"}, {1, Low, "3.2"}, {1, Precip, "0.2"}, {1, Wind, "3.5"}, {1, Humidity, "81"}, {3, High, "9.1"}},
             "station");
  EXPECT_EQ(WeatherSource(), " ");
  EXPECT_TRUE(Form->Modified());
}

TEST_F(ImportCommandsTest, FailuresLeaveTheFieldAsItWas) {
  const QString SoilFailed = "\nCan't import soil data.\n\n";
  const QString ForecastFailed = "\nCan't import forecast weather data.\n\n";
  const QString StationFailed = "\nCan't import Web service data.\n\n";
  const QString WebFailed = "\nCan't import Web data.\n\n";
  const QString Down = "Unable to reach the web service at ";
  const QString Fault = "The web service reported an error: Refused";
  const QDate Today = QDate::currentDate();
  using TCommand = std::function<void(TMainForm&)>;
  const TCommand Soil = &TMainForm::ImportSoilBtnClick, Forecast = &TMainForm::ImportForecast,
                 Metos = &TMainForm::ImportMetosData;
  const auto Web = [](const char* Source) { return [Source](TMainForm& F) { F.ImportWeatherFromWeb(Source); }; };
  const struct {
    TCommand Command;
    int Location;
    int Days;           // from the starting date to today; -1: no starting date
    const char* Empty;  // a box emptied first
    std::string Reply;  // empty: the service is gone
    QString Message;    // the start of the last message
    int Sent;           // requests that reach the service
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
      {Metos, Indiana, -1, "", "", StationFailed + "Starting Date is missing or invalid.\n", 0},
      {Metos, Indiana, 0, "", "", StationFailed + Down, 0},
      {Web("WU_ASOS"), 0, 0, "", "", WebFailed + "No Location selected.\n", 0},
      {Web("NWS_COOP"), Ontario, 0, "", "", WebFailed + "Web data not available for selected location.\n", 0},
      {Web("WU_ASOS"), Indiana, -1, "", "", WebFailed + "Starting Date is missing or invalid.\n", 0},
      {Web("MI_Enviro-weather"), Indiana, 0, "", "", "\nUnable to retrieve list of weather stations.\n\nStation list of MI_Enviro-weather\nHTTP/1.1 404 Not Found", 0},
  };
  const QString Refusing = RefusingUrl();
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message.toStdString());
    Start(UsFormatSettings(), C.Days < 0 ? QDate() : Today.addDays(-C.Days), false, C.Location, true);
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
    OnUser = [&Logins](TImportUserDlg& D) {
      D.SetAccount("farmer", ++Logins == 1 ? "secret" : "");
      return Ok(D);
    };
    OnPicker = [](TImportStationDlg&) {
      ADD_FAILURE() << "no station picker expected";
      return 0;
    };
    const QStringList Before = Horizons();
    Msgs.Answers = {C.Reply == "No" ? QMessageBox::No : QMessageBox::Yes};
    C.Command(*Form);
    ASSERT_FALSE(Msgs.Messages.isEmpty());
    EXPECT_TRUE(Msgs.Messages.back().startsWith(C.Message)) << Msgs.Messages.back().toStdString();
    EXPECT_EQ(Soap.Last().Count - Requests, C.Sent);
    EXPECT_EQ(Horizons(), Before);
    EXPECT_FALSE(Form->DataHasChanged());
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Station(), "KCCC");
  }
}

// A download that gets no answer leaves the window alive with the wait dialog, which
// names the station; its Cancel ends the command at once with the field as it was.
TEST_F(ImportCommandsTest, CancelWhileWaitingLeavesTheFieldAsItWas) {
  Start(UsFormatSettings(), {2016, 4, 1}, false);
  Server.Route("/wu/history/airport/", [this](const httplib::Request&, httplib::Response&) { Server.Stall(); });
  OnWeb = Ok;  // the field's source
  OnPicker = [](TImportStationDlg& D) { return D.SetCurrentRow(D.RowOfStation("KDDD")), Ok(D); };
  OnOptions = [](TImportWeatherDlg&) {
    ADD_FAILURE() << "no options dialog expected";
    return 0;
  };
  QString Shown;
  QTimer Clicker;
  QObject::connect(&Clicker, &QTimer::timeout, [&Shown] {
    for (QWidget* Window : QApplication::topLevelWidgets()) {
      auto* Wait = qobject_cast<TNetWaitDlg*>(Window);
      if (!Wait || !Wait->isVisible() || !Wait->StepLabel->text().contains(u"KDDD")) continue;
      Shown = Wait->StepLabel->text();
      Wait->CancelBtn->click();
    }
  });
  Clicker.start(50);
  const auto Began = std::chrono::steady_clock::now();
  Form->ImportWthWebDataClick();
  EXPECT_LT(std::chrono::steady_clock::now() - Began, std::chrono::seconds(4));
  EXPECT_EQ(Shown, "Downloading the weather data of station KDDD from WU_ASOS...");
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
  EXPECT_EQ(WeatherSource(), "WU_ASOS KCCC");
  EXPECT_EQ(Form->GridText(1, High), "");
  EXPECT_FALSE(Form->Modified());
  EXPECT_FALSE(Form->DataHasChanged());
}

TEST(StationPicker, SortsMarksAndMap) {
  TestApp();
  TImportedStations S;
  const QStringList Base[] = {{"KAAA", "Mill Creek", "40.30", "-87.00"}, {"KBBB", "Bravo & Sons", "40.00", "-87.20"},
                              {"KCCC", "Zenith", "39.80", "-87.00"},     {"KDDD", "Oak Ridge", "40.10", "-87.00"},
                              {"KEEE", "Apple Hill", "40.00", "-86.50"}, {"KFFF", "Kingston", "40.50", "-87.50"},
                              {"KGGG", "Center Point"}};
  for (const QStringList& Station : Base) S.AddStation(Station[0], Station.mid(1));
  S.AddStationDistances(false, 40.0, -87.0);
  TImportStationDlg D(nullptr, GermanFormatSettings());
  D.SetStations(&S);
  EXPECT_EQ(D.Cell(1, 0), " (None selected)");
  const int Oak = D.RowOfStation("KDDD");
  EXPECT_EQ(D.Cell(Oak, 2), "      6,9 mi.");  // 0.1 degree of latitude, comma decimals
  EXPECT_EQ(D.Cell(Oak, 3), "N");

  // Header clicks sort; the current station and the marks stay with their stations.
  D.SetCurrentRow(D.RowOfStation("KCCC"));
  D.SetRowSelected(D.RowOfStation("KBBB"), true);
  D.SetRowSelected(D.RowOfStation("KGGG"), true);  // no distance: cannot be marked
  const struct {
    int Click;
    bool Ascending;
    QStringList Order;
  } Sorts[] = {
      {0, false, {"KCCC", "KDDD", "KAAA", "KFFF", "KGGG", "KBBB", "KEEE"}},  // column 0 was sorted: reversed
      {1, true, {"KAAA", "KBBB", "KCCC", "KDDD", "KEEE", "KFFF", "KGGG"}},
      {1, false, {"KGGG", "KFFF", "KEEE", "KDDD", "KCCC", "KBBB", "KAAA"}},
      {2, true, {"KDDD", "KBBB", "KCCC", "KAAA", "KEEE", "KFFF", "KGGG"}},
      {3, true, {"KEEE", "KAAA", "KDDD", "KFFF", "KCCC", "KBBB", "KGGG"}},
      {0, true, {"KEEE", "KBBB", "KGGG", "KFFF", "KAAA", "KDDD", "KCCC"}},
  };
  for (const auto& Sort : Sorts) {
    D.StationGridMouseDown(Sort.Click);
    EXPECT_EQ(StationRows(D), Sort.Order) << "column " << Sort.Click;
    EXPECT_EQ(D.SortAscending, Sort.Ascending) << "column " << Sort.Click;
    EXPECT_EQ(D.SelectedStationID(), "KCCC") << "column " << Sort.Click;
    EXPECT_EQ(D.MarkedStationIDs(), QStringList({"KBBB"})) << "column " << Sort.Click;
    EXPECT_EQ(D.Cell(D.RowOfStation("KBBB"), 0), "* Bravo & Sons") << "column " << Sort.Click;
  }

  // Without interpolation OK needs a station row; the map shows the field and it, with
  // "." decimals and every value percent-encoded.
  D.FieldLatitude = "40,0";
  D.FieldLongitude = "-87,0";
  const QString Field = QLatin1String(StationMapPage) + "?pt0=40.0,-87.0,Field";
  D.SetCurrentRow(D.RowOfStation("KBBB"));
  EXPECT_EQ(D.MapAddress(), Field + "&pt1=40.00,-87.20,Bravo%20%26%20Sons");
  D.SetCurrentRow(D.RowOfStation("KGGG"));  // no coordinates
  EXPECT_EQ(D.MapAddress(), Field);
  D.SetCurrentRow(1);
  D.OKBtnClick();
  D.StationGridDblClick();
  EXPECT_EQ(D.result(), QDialog::Rejected);

  // Interpolation marks the five nearest that have a distance; OK takes 2 to 10.
  for (int I = 1; I <= 5; ++I) {
    S.AddStation(QStringLiteral("KF%1").arg(I), {QStringLiteral("Far %1").arg(I), QStringLiteral("4%1.0").arg(I), "-87.0"});
  }
  S.AddStationDistances(false, 40.0, -87.0);
  D.SetStations(&S);
  D.InterpCheckBox->click();
  EXPECT_EQ(D.Cell(D.CurrentRow(), 0), "(Double-click to select/deselect)");
  EXPECT_EQ(D.MarkedStationIDs(), QStringList({"KDDD", "KBBB", "KCCC", "KAAA", "KEEE"}));
  EXPECT_EQ(D.MapAddress(), Field + "&pt1=40.10,-87.00,Oak%20Ridge&pt2=40.00,-87.20,Bravo%20%26%20Sons"
                                    "&pt3=39.80,-87.00,Zenith&pt4=40.30,-87.00,Mill%20Creek&pt5=40.00,-86.50,Apple%20Hill");
  for (int Row = 3; Row < D.RowCount(); ++Row) D.SetRowSelected(Row, false);
  EXPECT_EQ(Ok(D), QDialog::Rejected);  // one mark
  for (int Row = 2; Row < D.RowCount(); ++Row) D.SetRowSelected(Row, true);
  EXPECT_EQ(D.MarkedStationIDs().size(), 11);  // KGGG has no distance
  EXPECT_EQ(Ok(D), QDialog::Rejected);
  D.SetCurrentRow(D.RowOfStation("KF5"));
  D.StationGridDblClick();  // toggles the mark
  EXPECT_EQ(Ok(D), QDialog::Accepted);
  const TStationRecArray Chosen = D.MarkedStations();
  ASSERT_EQ(Chosen.size(), 10u);
  EXPECT_EQ(Chosen.front().StationID, "KDDD");
  EXPECT_NEAR(Chosen.front().Distance, 6.9, 0.05);
}

TEST(StationPicker, MarksStayApartFromNamesAndTheMapEncodesItsValues) {
  TestApp();
  TImportedStations S;
  S.AddStation("KSTR", {"*Star Farm", "40.10", "-87.00"});
  S.AddStation("KBRV", {"Bravo + Sons #2", "40.20", "-87.00"});
  S.AddStationDistances(false, 40.0, -87.0);
  TImportStationDlg D(nullptr, GermanFormatSettings());
  D.SetStations(&S);
  const int Star = D.RowOfStation("KSTR");
  EXPECT_FALSE(D.IsRowSelected(Star)) << "a name beginning with \"*\" is no mark";
  EXPECT_TRUE(D.MarkedStationIDs().isEmpty());
  D.InterpCheckBox->click();
  EXPECT_EQ(D.Cell(D.RowOfStation("KSTR"), 0), "* *Star Farm");
  D.InterpCheckBox->click();
  EXPECT_EQ(D.Cell(D.RowOfStation("KSTR"), 0), "*Star Farm");
  D.SetCurrentRow(D.RowOfStation("KSTR"));
  EXPECT_EQ(D.SelectedStationName(), "*Star Farm");
  D.FieldLatitude = "40,05";
  D.FieldLongitude = "-87,1";
  D.SetCurrentRow(D.RowOfStation("KBRV"));
  EXPECT_EQ(D.MapAddress(), QLatin1String(StationMapPage) + "?pt0=40.05,-87.1,Field&pt1=40.20,-87.00,Bravo%20%2B%20Sons%20%232");
}

}  // namespace
