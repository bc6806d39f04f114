// The weather import commands of the main window: from a file, from pasted text and
// from web sources (one station or several interpolated), the options dialog and the
// merge into the weather grid, and the station picker.
#include "DialogTestSupport.h"
#include "SvImpClip.h"
#include "SvImpStation.h"
#include "SvImpWeb.h"
#include "SvImpWth.h"
#include "WebTestServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMap>

namespace {

const QString DataDir = QStringLiteral(FURROW_TEST_DATA_DIR "/uiimport/");
constexpr int Indiana = 14;
constexpr int Ontario = 51;  // a location outside the US

using TGrid = QMap<QPair<int, int>, QString>;
struct TCell {
  int Day, Col;
  const char* Text;
};
using namespace WthCol;

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
    bool Result;
    std::vector<TCell> Expected;  // the whole grid afterwards, empty cells left out
  } Cases[] = {
      {"all kinds into an English field, comma decimals; lines before the start skipped", {2016, 4, 1},
       GermanFormatSettings(), {All, true, 0, -1, false}, true,
       {{1, High, "50,0"}, {1, Low, "32,0"}, {1, Precip, "1,50"}, {1, Wind, "10,0"}, {1, Humidity, "55,5"},
        {1, Irrigation, "0,50"}, {1, Notes, "Forecast"}, {2, High, "68,0"}, {2, Precip, "T"}, {2, Notes, "rain hail"}}},
      {"a range of one line, temperature only", {2016, 4, 1}, UsFormatSettings(), {TempOnly, false, 1, 1, false}, true,
       {{1, High, "50.0"}, {1, Low, "32.0"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}}},
      {"the first line is the schedule's last day", {2015, 4, 1}, UsFormatSettings(), {All, true, 0, -1, false}, true,
       {{1, High, "11"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}, {365, High, "40.0"},
        {365, Low, "30.0"}, {365, Precip, "0.10"}, {365, Humidity, "50.5"}, {365, Notes, "early"}}},
      {"lines that end before the start", {2016, 4, 3}, UsFormatSettings(), {All, true, 0, -1, false}, false,
       {{1, High, "11"}, {1, Notes, "Forecast"}, {2, High, "99"}, {2, Notes, "rain"}}},
  };
  for (const auto& C : Cases) {
    TGrid Grid, Expected;
    for (const TCell& Cell : Pre) Grid[{Cell.Day, Cell.Col}] = QLatin1String(Cell.Text);
    const bool Result = MergeImportedWeather(
        W, C.Choice, C.Start, false, C.User, [&](int Day, int Col) { return Grid.value({Day, Col}); },
        [&](int Day, int Col, const QString& Text) {
          ASSERT_TRUE(Day >= 1 && Day <= MaxDays);
          Grid[{Day, Col}] = Text;
        });
    EXPECT_EQ(Result, C.Result) << C.Name;
    for (const TCell& Cell : C.Expected) Expected[{Cell.Day, Cell.Col}] = QLatin1String(Cell.Text);
    Grid.removeIf([](const TGrid::iterator It) { return It.value().isEmpty(); });
    EXPECT_EQ(Grid, Expected) << C.Name;
  }
}

class ImportCommandsTest : public TWebTest {
 protected:
  void SetUp() override {
    TWebTest::SetUp();
    Server.Serve("/iem/sites/locate.php", ReadBytes(DataDir + "locate.html").toStdString());
    Server.Serve("/script/getStations.php", ReadBytes(DataDir + "getStations.tsv").toStdString());
    // Every airport station reports the same two days.
    Server.Serve("/wu/history/airport/",
                 "\nCDT,Max TemperatureF,Mean TemperatureF,Min TemperatureF,Max Dew PointF,MeanDew PointF,"
                 "Min DewpointF,Max Humidity, Mean Humidity, Min Humidity, Max Sea Level PressureIn, Mean Sea Level "
                 "PressureIn, Min Sea Level PressureIn, Max VisibilityMiles, Mean VisibilityMiles, Min "
                 "VisibilityMiles, Max Wind SpeedMPH, Mean Wind SpeedMPH, Max Gust SpeedMPH,PrecipitationIn, "
                 "CloudCover, Events, WindDirDegrees<br />\n"
                 "2016-4-1,59,50,41,40,33,28,92,70,48,30.12,30.01,29.90,10,9,5,18,9,25,0.12,6,Rain,200<br />\n"
                 "2016-4-2,61,52,43,40,33,28,92,70,48,30.12,30.01,29.90,10,9,5,18,9,25,0.00,6,,200<br />\n");
  }
  void TearDown() override {
    Form.reset();
    TWebTest::TearDown();
  }

  // A started window with the field's place, starting date and web station typed in.
  void Start(const TFormatSettings& Format, const QString& StartDate, bool Metric, int Location = Indiana) {
    Form = Folder.Started(Format);
    Form->ImportFileDialogFunc = [this](QWidget*, bool, const QString&, const QString&, const QString&) {
      return FileAnswer;
    };
    Form->ExecDialogFunc = [this](QDialog& Dialog) {
      if (auto* D = dynamic_cast<TImportWeatherDlg*>(&Dialog)) return OnOptions ? OnOptions(*D) : 0;
      if (auto* D = dynamic_cast<TImportClipboardDlg*>(&Dialog)) return OnPaste ? OnPaste(*D) : 0;
      if (auto* D = dynamic_cast<TImportWebDlg*>(&Dialog)) return OnWeb ? OnWeb(*D) : 0;
      if (auto* D = dynamic_cast<TImportStationDlg*>(&Dialog)) return OnPicker ? OnPicker(*D) : 0;
      ADD_FAILURE() << "unexpected dialog " << Dialog.objectName().toStdString();
      return 0;
    };
    Form->WebHosts = Hosts;
    Form->WebHttpOptions = Options;
    Edit("StartDateEdit")->setText(StartDate);
    Edit("LatitudeEdit")->setText(QStringLiteral("40.0"));
    Edit("LongitudeEdit")->setText(QStringLiteral("-87.0"));
    Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Location);
    Child<QCheckBox>(*Form, "MetricCheckBox")->setChecked(Metric);
    Form->FieldData()->SetCell(0, SovCol::WeatherSource, QStringLiteral("WU_ASOS"));
    Form->FieldData()->SetCell(0, SovCol::WeatherStation, QStringLiteral("KCCC"));
    Msgs.Take();
  }
  QLineEdit* Edit(const char* Name) const { return Child<QLineEdit>(*Form, Name); }
  QString Station() const { return Form->FieldData()->GetCell(0, SovCol::WeatherStation); }
  void ExpectGrid(const std::vector<TCell>& Cells, const char* Name) const {
    for (const TCell& Cell : Cells) {
      EXPECT_EQ(Form->GridText(Cell.Day, Cell.Col), QLatin1String(Cell.Text)) << Name << ": day " << Cell.Day << " column " << Cell.Col;
    }
  }

  TProgramFolder Folder;
  TMessageRecorder Msgs;
  std::unique_ptr<TMainForm> Form;
  QString FileAnswer;
  std::function<int(TImportWeatherDlg&)> OnOptions;
  std::function<int(TImportClipboardDlg&)> OnPaste;
  std::function<int(TImportWebDlg&)> OnWeb;
  std::function<int(TImportStationDlg&)> OnPicker;
};

TEST_F(ImportCommandsTest, WeatherFileThroughTheOptionsDialog) {
  const QString File = DataDir + "standard_us.csv";
  FileAnswer = File;
  const struct {
    const char* Name;
    TFormatSettings Format;
    const char* StartDate;
    bool Metric;
    std::vector<TCell> Pre;
    const char *Units, *Dates;  // as the options dialog shows them
    std::function<void(TImportWeatherDlg&)> Choose;
    std::vector<TCell> After;
  } Cases[] = {
      {"metric", UsFormatSettings(), "4/1/2016", true, {{1, Notes, "Forecast"}, {2, Notes, "rain"}, {2, Low, "3"}},
       "U.S.  [Note: will convert]", "3/30/2016 - 4/3/2016",
       [this](TImportWeatherDlg& D) {
         // Nothing ticked, then a range that runs backwards: both refused with a message.
         for (int Kind = 0; Kind < WeatherKindCount; ++Kind) D.KindCheckBox(Kind)->setChecked(false);
         D.OKBtnClick();
         for (int Kind = 0; Kind < WeatherKindCount; ++Kind) D.KindCheckBox(Kind)->setChecked(D.KindCheckBox(Kind)->isEnabled());
         D.SetDatesRadioGroupIndex(1);
         EXPECT_EQ(D.EndDateCombo->currentIndex(), 0);  // the range starts as the first day
         D.StartDateCombo->setCurrentIndex(3);
         D.OKBtnClick();
         EXPECT_EQ(D.result(), QDialog::Rejected);
         EXPECT_EQ(Msgs.Take(), QStringList({"\nYou must check at least one box of data to import.\n",
                                             "\nStarting date can't come after ending date.\n"}));
         D.SetDatesRadioGroupIndex(0);
         EXPECT_FALSE(D.StartDateCombo->isEnabled());
       },
       // A number that loses a digit in the conversion gains a decimal (41.0 -> 5.00).
       {{1, High, "10.0"}, {1, Low, "0.0"}, {1, Precip, "38.10"}, {1, Irrigation, "12.70"}, {1, Wind, "4.47"},
        {1, Notes, "Forecast"}, {2, High, "20.0"}, {2, Low, ""}, {2, Precip, "0.00"}, {2, Notes, "rain hail"},
        {3, High, "25.0"}, {3, Low, "5.00"}, {3, Precip, "6.35"}, {3, Irrigation, "25.40"}, {3, Wind, "1.1"}, {4, High, ""}}},
      {"range, only missing, comma decimals", GermanFormatSettings(), "01.04.2016", false,
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
    Start(C.Format, QLatin1String(C.StartDate), C.Metric);
    for (const TCell& Cell : C.Pre) Form->SetGridText(Cell.Day, Cell.Col, QLatin1String(Cell.Text));
    OnOptions = [&](TImportWeatherDlg& D) {
      EXPECT_EQ(QStringList({D.ImportFile->text(), D.ImportFormat->text(), D.Units->text(), D.Dates->text()}),
                QStringList({File, "Standard CSV", C.Units, C.Dates}));
      // The file has no humidity.
      EXPECT_FALSE(D.HumidityCheckBox->isEnabled() || D.HumidityCheckBox->isChecked());
      EXPECT_TRUE(D.TempCheckBox->isChecked() && D.NotesCheckBox->isChecked() && D.IrrigationCheckBox->isChecked());
      EXPECT_FALSE(D.DatesRadioGroupIndex() != 0 || D.OnlyMissingCheckBox->isChecked());
      C.Choose(D);
      D.OKBtnClick();
      return D.result();
    };
    Form->ImportWthFileBtnClick();
    EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
    ExpectGrid(C.After, C.Name);
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherSource) + Station(), "");
    EXPECT_TRUE(Form->Modified());
  }

  // Cancel writes nothing; the dates must overlap the schedule's year.
  Start(UsFormatSettings(), "4/3/2017", false);
  for (int Answer : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
    OnOptions = [Answer](TImportWeatherDlg&) { return Answer; };
    Form->ImportWthFileBtnClick();
  }
  EXPECT_EQ(Msgs.Messages, QStringList({"\nThe import weather dates are outside your dates.\n"}));
  EXPECT_EQ(Station(), "KCCC");
  EXPECT_FALSE(Form->Modified());
}

TEST_F(ImportCommandsTest, PastedText) {
  Start(UsFormatSettings(), "4/1/2016", true);
  const struct {
    const char* Text;
    const char* Message;  // the end of the error box, empty on success
  } Cases[] = {
      // No units stated: the field's own (metric) units apply.
      {"Month,Day,Year,Max Temp,Min Temp,Precip\r\n4,1,2016,12.5,3.0,2.0\r\n4,2,2016,14.0,,0.4", ""},
      {"Nothing that a weather site\nwould send", "\nUnrecognized file format.\n"},
  };
  for (const auto& C : Cases) {
    OnPaste = [&C](TImportClipboardDlg& D) {
      D.OKBtnClick();  // nothing pasted yet
      EXPECT_EQ(D.result(), QDialog::Rejected);
      QGuiApplication::clipboard()->setText(QString::fromUtf8(C.Text));
      D.PasteButton->click();
      EXPECT_EQ(D.Text(), QString::fromUtf8(C.Text).remove(u'\r'));
      D.OKBtnClick();
      return D.result();
    };
    OnOptions = [](TImportWeatherDlg& D) {
      EXPECT_EQ(D.ImportFile->text() + " " + D.Units->text(), "[Pasted Data] Metric");
      return int(QDialog::Accepted);
    };
    Form->ImportWthClipboardBtnClick();
    const QStringList Messages = Msgs.Take();
    if (*C.Message == '\0') {
      EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
      ExpectGrid({{1, High, "12.5"}, {1, Precip, "2.0"}, {2, High, "14.0"}}, C.Text);
    } else {
      ASSERT_EQ(Messages.size(), 1) << C.Text;
      EXPECT_TRUE(Messages[0].startsWith("\nCan't import weather data.\n\n") && Messages[0].contains(C.Message))
          << Messages[0].toStdString();
    }
    // The text went through a temporary file, which is gone (checked again at the end).
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty());
  }
}

TEST_F(ImportCommandsTest, WebSourceOneStationThenSeveral) {
  Start(UsFormatSettings(), "4/1/2016", false);
  OnWeb = [](TImportWebDlg& D) {
    EXPECT_EQ(D.SourceListBox->count(), 7);  // five sources of the lookup file and two services
    EXPECT_EQ(D.SelectedSource(), "WU_ASOS");  // the field's source
    D.OKBtnClick();
    return D.result();
  };
  const auto Rows = [](const TImportStationDlg& D) {
    QStringList IDs;
    for (int Row = 2; Row < D.RowCount(); ++Row) IDs << D.Cell(Row, 1);
    return IDs;
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
       [&](TImportStationDlg& D) {
         EXPECT_EQ(Rows(D), QStringList({"KEEE", "KBBB", "KGGG", "KFFF", "KAAA", "KDDD", "KCCC"}));
         EXPECT_EQ(D.SelectedStationID(), "KCCC");
         EXPECT_TRUE(D.InterpCheckBox->isEnabled() && !D.Interpolating() && D.ViewMapBtn->isEnabled());
         D.SetCurrentRow(D.RowOfStation("KDDD"));
         D.OKBtnClick();
         return D.result();
       },
       "Oak Ridge (KDDD)", "KDDD", {{1, High, "59"}, {1, Low, "41"}, {1, Precip, "0.12"}}},
      {"several: interpolation marks the five nearest; one taken off again",
       [](TImportStationDlg& D) {
         D.InterpCheckBox->click();
         D.SetCurrentRow(D.RowOfStation("KEEE"));
         D.StationGridDblClick();
         D.OKBtnClick();
         return D.result();
       },
       "KDDD,KBBB,KCCC,KAAA", "KDDD,KBBB,KCCC,KAAA", {{1, High, "59.0"}, {2, High, "61.0"}}},
      {"asked again, the same four are marked; Cancel changes nothing",
       [&](TImportStationDlg& D) {
         EXPECT_TRUE(D.Interpolating());
         EXPECT_EQ(Rows(D), QStringList({"KDDD", "KBBB", "KCCC", "KAAA", "KEEE", "KFFF", "KGGG"}));
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
    EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::WeatherSource) + " " + Station(), QString("WU_ASOS ") + C.Chosen);
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
    EXPECT_FALSE(D.InterpCheckBox->isEnabled() || D.ViewMapBtn->isEnabled());
    return int(QDialog::Rejected);
  };
  Form->ImportWthWebDataClick();
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
}

TEST_F(ImportCommandsTest, WebSourceFailures) {
  const struct {
    int Location;
    const char *StartDate, *SourceID, *Message;
  } Cases[] = {
      {0, "4/1/2016", "WU_ASOS", "\nCan't import Web data.\n\nNo Location selected.\n"},
      {Ontario, "4/1/2016", "NWS_COOP", "\nCan't import Web data.\n\nWeb data not available for selected location.\n"},
      {Indiana, "", "WU_ASOS", "\nCan't import Web data.\n\nStarting Date is missing or invalid.\n"},
      {Indiana, "4/1/2016", "MI_Enviro-weather", "\nUnable to retrieve list of weather stations.\n\nHTTP/1.1 404 Not Found"},
  };
  for (const auto& C : Cases) {
    Start(UsFormatSettings(), QLatin1String(C.StartDate), false, C.Location);
    OnPicker = [](TImportStationDlg&) {
      ADD_FAILURE() << "no picker expected";
      return 0;
    };
    Form->ImportWeatherFromWeb(QLatin1String(C.SourceID));
    EXPECT_EQ(Msgs.Take(), QStringList({QLatin1String(C.Message)}));
    EXPECT_EQ(Station(), "KCCC");
  }
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
  EXPECT_EQ(D.Cell(Oak, 2) + "|" + D.Cell(Oak, 3), "      6,9 mi.|N");  // 0.1 degree of latitude, comma decimals

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
    EXPECT_EQ(D.SortAscending, Sort.Ascending);
    QStringList IDs;
    for (int Row = 2; Row < D.RowCount(); ++Row) IDs << D.Cell(Row, 1);
    EXPECT_EQ(IDs, Sort.Order) << "column " << Sort.Click;
    EXPECT_EQ(D.SelectedStationID(), "KCCC");
    EXPECT_EQ(D.MarkedStationIDs(), QStringList({"KBBB"}));
    EXPECT_EQ(D.Cell(D.RowOfStation("KBBB"), 0), "* Bravo & Sons");
  }

  // Without interpolation OK needs a station row; the map shows the field and it.
  D.FieldLatitude = "40,0";
  D.FieldLongitude = "-87,0";
  const QString Field = QLatin1String(StationMapPage) + "?pt0=40,0,-87,0,Field";
  D.SetCurrentRow(D.RowOfStation("KBBB"));
  EXPECT_EQ(D.MapAddress(), Field + "&pt1=40.00,-87.20,Bravo %26 Sons");
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
  EXPECT_EQ(D.CurrentRow(), 1);
  EXPECT_EQ(D.Cell(1, 0), "(Double-click to select/deselect)");
  EXPECT_EQ(D.MarkedStationIDs(), QStringList({"KDDD", "KBBB", "KCCC", "KAAA", "KEEE"}));
  EXPECT_EQ(D.MapAddress(), Field + "&pt1=40.10,-87.00,Oak Ridge&pt2=40.00,-87.20,Bravo %26 Sons"
                                    "&pt3=39.80,-87.00,Zenith&pt4=40.30,-87.00,Mill Creek&pt5=40.00,-86.50,Apple Hill");
  for (int Row = 3; Row < D.RowCount(); ++Row) D.SetRowSelected(Row, false);
  D.OKBtnClick();  // one mark
  EXPECT_EQ(D.result(), QDialog::Rejected);
  for (int Row = 2; Row < D.RowCount(); ++Row) D.SetRowSelected(Row, true);
  EXPECT_EQ(D.MarkedStationIDs().size(), 11);  // KGGG has no distance
  D.OKBtnClick();
  EXPECT_EQ(D.result(), QDialog::Rejected);
  D.SetCurrentRow(D.RowOfStation("KF5"));
  D.StationGridDblClick();  // toggles the mark
  D.OKBtnClick();
  EXPECT_EQ(D.result(), QDialog::Accepted);
  const TStationRecArray Chosen = D.MarkedStations();
  ASSERT_EQ(Chosen.size(), 10u);
  EXPECT_EQ(Chosen.front().StationID, "KDDD");
  EXPECT_NEAR(Chosen.front().Distance, 6.9, 0.05);
}

}  // namespace
