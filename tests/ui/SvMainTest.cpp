// The main window: start-up, settings, recent files, the binding of a field to the
// controls and the grid (a value still being typed included), the Calculate road and the questions it asks, the map, About
// and Options.
#include "DialogTestSupport.h"
#include "Reopen.h"
#include "ShlUtil.h"
#include "SovCalendar.h"
#include "SvAbout.h"
#include "SvFertApp.h"
#include "SvImpWeb.h"
#include "SvManureApp.h"
#include "SvOption.h"
#include "SvPrev.h"
#include "SvViewSoil.h"
#include "SovLookup.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>

namespace {

const char* const English = "maricopa-cotton-english.sov";

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    OldOpener = SetShellOpener([this](const QString& Target, const QString& Params, const QString& Folder) {
      EXPECT_EQ(Params, "");
      EXPECT_EQ(Folder, "");
      Opened << Target;
      return DesktopTakes;
    });
  }
  ~MainFormTest() override { SetShellOpener(OldOpener); }
  // A started window (showing File when given) whose file dialogs answer DialogAnswer.
  std::unique_ptr<TMainForm> Started(const TFormatSettings& Format = UsFormatSettings(), const char* File = nullptr) {
    auto Form = Folder.Started(Format, File ? Folder.Example(File) : QString());
    Form->FileDialogFunc = [this](QWidget*, bool, const QString&, const QString&, const QString&) { return DialogAnswer; };
    return Form;
  }

  TProgramFolder Folder;
  TMessageRecorder Msgs;
  QString DialogAnswer;
  QStringList Opened;  // by the desktop
  bool DesktopTakes = true;  // what the desktop answers
  TShellOpener OldOpener;
};

TEST_F(MainFormTest, StartUpEndsWithoutUsableLookupFile) {
  for (const char* Content : {static_cast<const char*>(nullptr), "[Crop1]\nName=Corn\n", "\xff\xfe\x00garbage"}) {
    QFile::remove(Folder.Bin + "/SovLookup.ini");
    if (Content) {
      ASSERT_TRUE(WriteBytes(Folder.Bin + "/SovLookup.ini", Content));
    }
    auto Form = Folder.NewForm();
    EXPECT_FALSE(Form->StartUpProgram(QString()));
    EXPECT_EQ(Msgs.Types, std::vector<TMsgDlgType>{TMsgDlgType::Error});
    const QString Text = Msgs.Take().join('|');
    EXPECT_TRUE(Text.startsWith('\n')) << Text.toStdString();
    EXPECT_TRUE(Text.endsWith('\n')) << Text.toStdString();
    EXPECT_GT(Text.size(), 3);
    EXPECT_EQ(Form->Lookup(), nullptr);
    EXPECT_TRUE(Form->close());  // nothing to ask, nothing written
    EXPECT_FALSE(QFileInfo::exists(Form->SettingsFileName()));
  }
}

TEST_F(MainFormTest, SettingsPlaceGapsAndDefaults) {
  // Nothing anywhere: defaults, and the file goes to the per-user folder, or beside the
  // program when there is no such folder.
  QString Msg;
  for (bool UserDir : {true, false}) {
    auto Form = Folder.NewForm(UsFormatSettings(), UserDir);
    Form->ReadProgramSettings(Msg);
    EXPECT_EQ(Msg, "");
    EXPECT_FALSE(Form->PopupHints());
    EXPECT_TRUE(Form->HintsOnStatusBar());
    Form->WriteProgramSettings(Msg);
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    const QString Expected = UserDir ? Folder.Dir.filePath("user/furrow.ini") : Folder.Bin + "/furrow.ini";
    EXPECT_EQ(Form->SettingsFileName(), Expected);
    EXPECT_TRUE(QFileInfo::exists(Expected));
  }
  QFile::remove(Folder.Dir.filePath("user/furrow.ini"));
  QFile::remove(Folder.Bin + "/furrow.ini");
  // Settings an earlier version left in the data folder are read once and then written
  // to the configuration folder, which is read from then on.
  TMainFormEnvironment Env{Folder.Bin, Folder.Dir.filePath("user"), UsFormatSettings(), Folder.Dir.filePath("data")};
  ASSERT_TRUE(QDir().mkpath(Folder.Dir.filePath("data/Furrow")));
  ASSERT_TRUE(WriteBytes(Folder.Dir.filePath("data/Furrow/furrow.ini"), "[Recent Files]\nFile1=/f/old.sov\n"));
  for (const char* Round : {"from the old place", "from the new place"}) {
    SCOPED_TRACE(Round);
    TMainForm Old(Env);
    Old.ReadProgramSettings(Msg);
    EXPECT_EQ(Old.RecentFiles(), QStringList({"/f/old.sov"}));
    Old.WriteProgramSettings(Msg);
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Folder.Dir.filePath("user/furrow.ini")));
    ASSERT_TRUE(WriteBytes(Folder.Dir.filePath("data/Furrow/furrow.ini"), "[Recent Files]\nFile1=/f/gone.sov\n"));
  }
  // Now one lies beside the program (and one per user): the one beside is read, its
  // gaps closed, and written back there, keeping its other sections.
  ASSERT_TRUE(WriteBytes(Folder.Bin + "/furrow.ini", "[Help]\nPopupHints=yes\nHintsOnStatusBar=OFF\n[Recent Files]\n"
                                        "File1=/f/a.sov\nFile4=/f/b.sov\n[Other]\nKey=1\n"));
  auto Form = Folder.NewForm();
  Form->ReadProgramSettings(Msg);
  EXPECT_TRUE(Form->PopupHints());
  EXPECT_FALSE(Form->HintsOnStatusBar());
  EXPECT_EQ(Form->RecentFiles(), QStringList({"/f/a.sov", "/f/b.sov"}));
  Form->WriteProgramSettings(Msg);
  TMyIniFile Ini(Folder.Bin + "/furrow.ini");
  EXPECT_EQ(Ini.ReadString("Recent Files", "File2", ""), "/f/b.sov");
  EXPECT_EQ(Ini.ReadString("Help", "PopupHints", ""), "Yes");
  EXPECT_EQ(Ini.ReadString("Help", "HintsOnStatusBar", ""), "No");
  EXPECT_EQ(Ini.ReadString("Other", "Key", ""), "1");
  EXPECT_FALSE(Ini.ValueExists("Recent Files", "File4"));

  // A folder where the file should be: a warning at start and at close.
  QFile::remove(Folder.Bin + "/furrow.ini");
  ASSERT_TRUE(QDir().mkpath(Folder.Bin + "/furrow.ini"));
  const QString Name = QDir(Folder.Bin).absoluteFilePath("furrow.ini");
  Form = Started();
  EXPECT_EQ(Msgs.Types, std::vector<TMsgDlgType>{TMsgDlgType::Warning});
  EXPECT_EQ(Msgs.Take(), QStringList({"\nUnable to read file " + Name + ".\nCan't read " + Name +
                                           ": it is a folder.\n\nUsing default program settings.\n"}));
  EXPECT_TRUE(Form->close());
  EXPECT_EQ(Msgs.Take(), QStringList({"\nCan't save program settings.\n\nUnable to write to file " + Name +
                                           ".\nCan't read " + Name + ": it is a folder.\n"}));
}

TEST_F(MainFormTest, RecentFilesAndTheReopenDialog) {
  // Most recent first, at most eleven, each file once.
  QStringList List;
  for (int I = 1; I <= 12; ++I) AddRecentFile(List, QStringLiteral("/d/f%1.sov").arg(I));
  ASSERT_EQ(List.size(), MaxRecentFiles);
  EXPECT_EQ(List.first(), "/d/f12.sov");
  EXPECT_EQ(List.last(), "/d/f2.sov");  // the oldest went
  AddRecentFile(List, "/d/f5.sov");
  EXPECT_EQ(List.first(), "/d/f5.sov");
  EXPECT_EQ(List.count("/d/f5.sov"), 1);
  // Names that differ in case name two files here, and both stay.
  AddRecentFile(List, "/d/Field.sov");
  AddRecentFile(List, "/d/field.sov");
  EXPECT_EQ(List.mid(0, 2), QStringList({"/d/field.sov", "/d/Field.sov"}));

  TReopenFileDlg Dialog;
  Dialog.SetFiles({"/a.sov", "/b.sov"});
  // The first entry is the highlighted and the selected one.
  EXPECT_EQ(Dialog.FileListBox()->currentRow(), 0);
  EXPECT_EQ(Dialog.SelectedFile(), "/a.sov");
  Dialog.FileListBox()->clearSelection();
  EXPECT_EQ(Ok(Dialog), QDialog::Rejected);  // nothing selected
  Dialog.FileListBox()->setCurrentRow(1);
  Dialog.FileListBoxDblClick(Dialog.FileListBox()->item(1));
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Dialog.SelectedFile(), "/b.sov");
  Dialog.SetFiles({});
  EXPECT_EQ(Dialog.SelectedFile(), "");
}

// Reopen, then Enter at once: the most recent file opens.
TEST_F(MainFormTest, ReopenTakesTheFirstEntryOnEnter) {
  auto Form = Started(UsFormatSettings(), English);
  const QString Metric = Folder.Example("maricopa-cotton-metric.sov");
  ASSERT_TRUE(Form->LoadFile(Metric));
  ASSERT_TRUE(Form->LoadFile(Folder.Dir.filePath(English)));
  Form->SetFormData();
  Form->NewBtnClick();
  ASSERT_EQ(Form->FieldData()->FileName(), "");
  ASSERT_EQ(Form->RecentFiles().value(0), Folder.Dir.filePath(English));
  QString Listed;
  Form->ExecDialogFunc = [&Listed](QDialog& Dialog) {
    auto* Reopen = dynamic_cast<TReopenFileDlg*>(&Dialog);
    EXPECT_NE(Reopen, nullptr);
    if (!Reopen) return 0;
    Listed = Reopen->FileListBox()->item(0)->text();
    Dialog.show();
    Reopen->FileListBox()->setFocus();
    QTest::keyClick(Reopen->FileListBox(), Qt::Key_Return);
    return Dialog.result();
  };
  Form->ReopenBtnClick();
  EXPECT_EQ(Listed, Folder.Dir.filePath(English));
  EXPECT_EQ(Form->FieldData()->FileName(), Folder.Dir.filePath(English));
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
}

// Every value of columns 4-31 and of the weather days, as the user sees them.
void ExpectSameField(const TSovFile& A, const TSovFile& B) {
  for (int Col = SovCol::FirstField; Col <= SovCol::LastField; ++Col) EXPECT_EQ(A.GetCell(0, Col), B.GetCell(0, Col)) << Col;
  for (int Day = 1; Day <= MaxDays; ++Day) {
    for (int Col = SovCol::FirstWeather; Col <= SovCol::LastWeather; ++Col) {
      ASSERT_EQ(A.GetCell(Day, Col), B.GetCell(Day, Col)) << "day " << Day << " column " << Col;
    }
  }
}

TEST_F(MainFormTest, FieldRoundTripThroughControlsAndGrid) {
  const struct {
    const char* File;
    TFormatSettings Format;
    const char *ElevationUnits, *DateUnits, *HighHeader;
  } Cases[] = {
      {English, UsFormatSettings(), "Feet", "m/d/yyyy", " High (°F)"},
      {"maricopa-cotton-metric.sov", UsFormatSettings(), "Meters", "m/d/yyyy", " High (°C)"},
      {English, GermanFormatSettings(), "Feet", "dd.mm.yyyy", " High (°F)"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.File);
    auto Form = Started(Case.Format, Case.File);
    const QString Path = Folder.Dir.filePath(Case.File);
    EXPECT_EQ(Form->windowTitle(), QString("Furrow - ") + Case.File);
    EXPECT_EQ(Child<QLabel>(*Form, "ElevationUnitsLbl")->text(), Case.ElevationUnits);
    EXPECT_EQ(Child<QLabel>(*Form, "StartDateUnitsLbl")->text(), Case.DateUnits);
    EXPECT_EQ(Form->WeatherGrid()->horizontalHeaderItem(WthCol::High)->text().section('\n', 1), Case.HighHeader);
    EXPECT_FALSE(Form->DataHasChanged());
    // The metric box switches the unit labels at once.
    auto* Metric = Child<QCheckBox>(*Form, "MetricCheckBox");
    Metric->setChecked(!Metric->isChecked());
    EXPECT_EQ(Child<QLabel>(*Form, "ElevationUnitsLbl")->text(), QString(Case.ElevationUnits) == "Feet" ? "Meters" : "Feet");
    Metric->setChecked(!Metric->isChecked());

    // Blanks around a value and a value typed and taken back are no change.
    QLineEdit* Farm = Child<QLineEdit>(*Form, "FarmNameEdit");
    const QString FarmName = Farm->text();
    for (const QString& Text : {FarmName + "  ", QString("x"), FarmName}) {
      Farm->setText(Text);
      Form->SetGridText(3, WthCol::Notes, " ");
      EXPECT_EQ(Form->DataHasChanged(), Text == "x") << Text.toStdString();
    }

    // The controls hold the field exactly.
    TSovSchedule Loaded(*Form->Lookup(), Case.Format);
    QString Msg;
    ASSERT_TRUE(Loaded.LoadFromFile(Path, Msg));
    Form->GetFormData();
    EXPECT_FALSE(Form->Modified());
    ExpectSameField(*Form->FieldData(), Loaded);

    // A change reaches the field and the file; the file keeps its own number form.
    Form->SetGridText(20, WthCol::Precip, Case.Format.DecimalSeparator == ',' ? "1,25" : "1.25");
    EXPECT_TRUE(Form->DataHasChanged());
    DialogAnswer = Folder.Dir.filePath("saved.sov");
    ASSERT_TRUE(Form->SaveToFile(false));
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Form->RecentFiles().first(), DialogAnswer);
    EXPECT_EQ(Form->windowTitle(), "Furrow - saved.sov");
    TSovSchedule Saved(*Form->Lookup(), UsFormatSettings()), Original(*Form->Lookup(), UsFormatSettings());
    ASSERT_TRUE(Saved.LoadFromFile(DialogAnswer, Msg)) << Msg.toStdString();
    ASSERT_TRUE(Original.LoadFromFile(Path, Msg)) << Msg.toStdString();
    EXPECT_EQ(Saved.GetCell(20, SovCol::Precip), "1.25");
    Original.SetCell(20, SovCol::Precip, "1.25");
    ExpectSameField(Saved, Original);
  }
}

TEST_F(MainFormTest, ValueBeingTypedInTheGridCountsAsData) {
  const auto Form = Started(UsFormatSettings(), "maricopa-cotton-metric.sov");
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  // The cell editor is still open when the window is closed or a command runs from a
  // shortcut: what it shows is the grid's value.
  Form->DataNotebook()->setCurrentWidget(Form->WeatherPage());
  QTableWidget* Grid = Form->WeatherGrid();
  Grid->setFocus();
  Grid->setCurrentCell(2, WthCol::Irrigation);  // day 3
  Grid->editItem(Grid->item(2, WthCol::Irrigation));
  auto* Editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(Editor, nullptr);
  QTest::keyClicks(Editor, QStringLiteral("25"));
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "25");
  EXPECT_TRUE(Form->DataHasChanged());
  QTest::keyClick(Editor, Qt::Key_Home);
  QTest::keyClicks(Editor, QStringLiteral("1"));  // the cursor stays where it was put
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "125");
  QTest::keyClick(Editor, Qt::Key_Escape);  // back to the text before the editing
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "");
  EXPECT_FALSE(Form->DataHasChanged());

  Grid->editItem(Grid->item(2, WthCol::Irrigation));
  Editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(Editor, nullptr);
  QTest::keyClicks(Editor, QStringLiteral("25"));
  Form->GetFormData();
  EXPECT_EQ(Form->FieldData()->GetCell(3, SovCol::Irrigation), "25");
  // A command that refills the grid while the editor is open (New from its shortcut)
  // leaves nothing of the typed text behind.
  Form->SetModified(false);
  Form->NewBtnClick();
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "");
  EXPECT_FALSE(Form->DataHasChanged());
}

// Keys typed at once after a move go to the cell the move was aimed at, and only there:
// a first click (then Esc when asked), a key or a click, and the keys. A fixed cell
// (headings, horizon and day numbers, dates, stages) is never current.
TEST_F(MainFormTest, KeysTypedRightAfterAMoveGoToTheCellAimedAt) {
  const QKeyCombination Click = Qt::Key_unknown;
  const struct {
    const char* Name;
    bool Soil, Escape;  // the horizon grid of View Soil, or the weather grid
    int FirstRow, FirstCol;
    QKeyCombination Key;  // or a click on the cell Clicked
    std::pair<int, int> Clicked;
    const char* Typed;
    int Row, Col;  // where the keys land
  } Cases[] = {
      {"click, Esc, click the same cell", false, true, 4, WthCol::High, Click, {4, WthCol::High}, "25", 4, WthCol::High},
      {"a click on another cell", false, false, 4, WthCol::High, Click, {7, WthCol::Low}, "88", 7, WthCol::Low},
      {"an empty cell", false, true, 0, WthCol::Irrigation, Click, {0, WthCol::Irrigation}, "100", 0, WthCol::Irrigation},
      {"the horizon grid", true, true, 2, 3, Click, {2, 3}, "0.2", 2, 3},
      {"Tab from CEC to the next depth", true, false, 2, 13, Qt::Key_Tab, {}, "48", 3, 1},
      {"Shift+Tab from a depth to the CEC above", true, false, 3, 1, Qt::ShiftModifier | Qt::Key_Backtab, {}, "12", 2, 13},
      {"Up from horizon 1 stays", true, false, 2, 3, Qt::Key_Up, {}, "0.1", 2, 3},
      {"a click on a horizon number", true, false, 2, 4, Click, {3, 0}, "30", 3, 1},
      {"a click on a heading", true, false, 4, 2, Click, {1, 6}, "7", 4, 6},
      {"Shift+Tab from day 5's high to day 4's note", false, false, 4, WthCol::High,
       Qt::ShiftModifier | Qt::Key_Backtab, {}, "back note", 3, WthCol::Notes},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const auto Form = Started(UsFormatSettings(), "maricopa-cotton-metric.sov");
    TViewSoilDlg Soil(Form.get());
    Soil.SetSoilData(*Form->FieldData(), {});
    Form->DataNotebook()->setCurrentWidget(Form->WeatherPage());
    ShowActive(Case.Soil ? static_cast<QWidget&>(Soil) : *Form);
    QTableWidget& Grid = Case.Soil ? *Soil.HorizonGrid : *Form->WeatherGrid();
    const auto Cells = [&Grid] {
      QStringList Texts;
      for (int Row = 0; Row < Grid.rowCount(); ++Row) {
        for (int Col = 0; Col < Grid.columnCount(); ++Col) Texts << Grid.item(Row, Col)->text();
      }
      return Texts;
    };
    ClickCell(Grid, Case.FirstRow, Case.FirstCol);
    if (Case.Escape) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();  // what a person's pause before the next click lets run
    QStringList Expected = Cells();
    Expected[Case.Row * Grid.columnCount() + Case.Col] = Case.Typed;
    if (Case.Key == Click)
      ClickCell(Grid, Case.Clicked.first, Case.Clicked.second);
    else
      QTest::keyClick(QApplication::focusWidget(), Case.Key.key(), Case.Key.keyboardModifiers());
    TypeKeys(Case.Typed);
    Grid.setFocus();  // the editor hands its text to the cell
    EXPECT_EQ(std::make_pair(Grid.currentRow(), Grid.currentColumn()), std::make_pair(Case.Row, Case.Col));
    const QStringList After = Cells();
    for (int Cell = 0; Cell < After.size(); ++Cell)
      EXPECT_EQ(After[Cell], Expected[Cell]) << "row " << Cell / Grid.columnCount() << " column " << Cell % Grid.columnCount();
  }
}

// The visible labels, buttons and boxes of Window whose text does not fit their width,
// and the list entries wider than their list.
static QStringList CutTexts(QWidget& Window) {
  QStringList Cut;
  for (QWidget* W : Window.findChildren<QWidget*>()) {
    if (!W->isVisibleTo(&Window)) continue;
    auto* Label = qobject_cast<QLabel*>(W);
    if ((Label && !Label->wordWrap() && Label->pixmap().isNull()) || qobject_cast<QAbstractButton*>(W)) {
      if (W->width() < W->minimumSizeHint().width()) Cut << W->objectName() + " \"" + W->property("text").toString() + "\"";
    }
    if (auto* List = qobject_cast<QListWidget*>(W)) {
      for (int Row = 0; Row < List->count(); ++Row) {
        if (List->fontMetrics().horizontalAdvance(List->item(Row)->text()) > List->viewport()->width())
          Cut << List->item(Row)->text();
      }
    }
  }
  return Cut;
}

TEST_F(MainFormTest, EveryLabelAndListEntryShowsWhole) {
  const auto Form = Started(UsFormatSettings(), "maricopa-cotton-metric.sov");
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  EXPECT_EQ(CutTexts(*Form), QStringList());
  TPreviewDlg Preview;
  Preview.show();
  EXPECT_EQ(CutTexts(Preview), QStringList());
  TImportWebDlg Web(Form.get());
  QStringList Names, Descriptions;
  for (int Row = 1; Row <= Form->Lookup()->WeatherSourceCount(); ++Row) {
    Names << Form->Lookup()->WeatherSource(Row).Name;
    Descriptions << Form->Lookup()->WeatherSource(Row).Description;
  }
  Web.SetSources(Names, Descriptions, QString());
  Web.show();
  EXPECT_EQ(CutTexts(Web), QStringList());
}

TEST_F(MainFormTest, StageMarksAndTheStageMenu) {
  auto Form = Started(UsFormatSettings(), English);
  Form->FieldData()->SetCell(7, SovCol::GrowthStage, "X");  // an unknown letter is dropped
  Form->SetFormData();
  Form->GetFormData();
  EXPECT_EQ(Form->StageCodes()[6], 0);
  EXPECT_EQ(Form->FieldData()->GetCell(7, SovCol::GrowthStage), "");

  // {existing marks (day, stage)}, marked day, stage, marks expected afterwards on those days.
  using TMarks = std::vector<std::pair<int, int>>;
  const struct {
    TMarks Before;
    int Day, Stage;
    TMarks After;
  } Marks[] = {
      {{{30, StageMid}}, 40, StageMid, {{30, 0}, {40, StageMid}}},
      {{{30, StageDev}}, 40, StageMid, {{30, StageDev}, {40, StageMid}}},
      {{{50, StageDev}, {60, StageMid}}, 10, StageDev, {{10, StageDev}, {50, 0}, {60, StageMid}}},
      {{{20, StageDev}, {50, StageMid}}, 10, StageMid, {{10, StageMid}, {20, StageDev}, {50, StageMid}}},
  };
  const auto Mark = [&Form](int Day, int Stage) {
    Form->SetCurrentDay(Day);
    Form->StageCmdClick(Stage);
  };
  for (const auto& Case : Marks) {
    for (const auto& Other : Marks)
      for (auto [Day, Stage] : Other.After) Mark(Day, 0);
    for (auto [Day, Stage] : Case.Before) Mark(Day, Stage);
    Mark(Case.Day, Case.Stage);
    for (auto [Day, Stage] : Case.After) EXPECT_EQ(Form->StageCodes()[size_t(Day - 1)], Stage) << Day;
  }
  // A marked mid-season day shows its mark; events come first.
  EXPECT_TRUE(Form->GridText(50, WthCol::Stage).endsWith("*"));
  EXPECT_EQ(Form->GridText(1, WthCol::Stage), "MR / ");
  EXPECT_EQ(Form->GridText(1, WthCol::Date), " Apr 15");

  // The row menu offers the stages the crop calendar allows on the day.
  Child<QComboBox>(*Form, "CropCombo")->setCurrentIndex(Form->Lookup()->FindCrop("Cotton"));
  const struct {
    const char *Start, *Emergence, *Season;
    int Day;
    const char* Items;
  } Menus[] = {
      {"3/1/2013", "3/6/2013", "120", 5, ""},  // before emergence
      {"3/1/2013", "3/6/2013", "120", 6, "DevStageCmd "},
      {"10/1/2013", "10/6/2013", "150", 6, "DevStageCmd FrozenStageCmd SnowStageCmd "},
      {"10/1/2013", "10/6/2013", "0", 6, ""},
  };
  for (const auto& Case : Menus) {
    Child<QLineEdit>(*Form, "StartDateEdit")->setText(Case.Start);
    Child<QLineEdit>(*Form, "EmergeDateEdit")->setText(Case.Emergence);
    Child<QLineEdit>(*Form, "SeasonEdit")->setText(Case.Season);
    Form->SetCurrentDay(Case.Day);
    Form->EnableStageCmds();
    QString Names;
    for (QAction* Action : Form->WeatherGridRowMenu()->actions()) {
      if (Action->isEnabled() && Action->data().isValid()) Names += Action->objectName() + " ";
    }
    EXPECT_EQ(Names, Case.Items) << Case.Start << " day " << Case.Day;
  }
  Child<QLineEdit>(*Form, "SeasonEdit")->setText("150");
  Form->SetGridDates();
  EXPECT_EQ(Form->GridText(5, WthCol::Stage), "");
  EXPECT_EQ(Form->GridText(6, WthCol::Stage), "Init");
  EXPECT_EQ(Form->GridText(1, WthCol::Date), " Oct 1");
}

TEST_F(MainFormTest, CalculateShowsTheScheduleOrTheFirstFailureInItsPlace) {
  const struct {
    const char* Name;
    std::function<void(TMainForm&)> Break;
    QString Text;          // empty: the schedule is previewed
    const char* Control;   // on the field page; nullptr: the weather page
    int Day, GridCol, Top; // the weather grid's current day and column, the day at its top
  } Cases[] = {
      {"no fault", [](TMainForm&) {}, "", nullptr, 0, 0, 0},
      {"latitude", [](TMainForm& F) { Child<QLineEdit>(F, "LatitudeEdit")->setText("north"); },
       "Latitude is missing or invalid.", "LatitudeEdit", 0, 0, 0},
      {"location", [](TMainForm& F) { Child<QComboBox>(F, "LocationCombo")->setCurrentIndex(0); },
       "No Location selected.", "LocationCombo", 0, 0, 0},
      {"calculation date", [](TMainForm& F) { Child<QLineEdit>(F, "CalcDateEdit")->setText("4/14/2013"); },
       "Calculation Date is missing or invalid.", "CalcDateEdit", 0, 0, 0},
      {"wind", [](TMainForm& F) { F.SetGridText(150, WthCol::Wind, "gusty"); },
       "Wind speed value is invalid.", nullptr, 150, WthCol::Wind, 150},
      {"a failing day already in sight stays where it is", [](TMainForm& F) {
         F.DataNotebook()->setCurrentWidget(F.WeatherPage());
         QApplication::processEvents();
         F.WeatherGrid()->verticalScrollBar()->setValue(149);
         F.SetGridText(153, WthCol::High, "hot");
       }, "High temperature value is missing or invalid.", nullptr, 153, WthCol::High, 150},
      {"event value", [](TMainForm& F) { F.FieldData()->SetCell(4, SovCol::EvValue, "lots"); },
       "Event's Value is missing or invalid.", nullptr, 52, -1, 0},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    auto Form = Started(UsFormatSettings(), English);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    Case.Break(*Form);
    QStringList Cells;
    int Days = 0;
    Form->PreviewFunc = [&](QWidget*, TSovSchedule& Field, const std::function<QString(int, int)>& Cell) {
      Days = Field.DayCount();
      Cells = QStringList{Cell(0, WthCol::Date), Cell(1, WthCol::High), Cell(2, WthCol::Date), Cell(3, WthCol::Day)};
    };
    Form->CalcBtnClick();
    if (Case.Text.isEmpty()) {
      EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
      EXPECT_EQ(Days, 184);  // 4/15 to 10/15
      EXPECT_EQ(Cells, QStringList({"   Date", " High (°F)", " Apr 15", "2"}));
      continue;
    }
    EXPECT_EQ(Days, 0) << "no preview";
    EXPECT_EQ(Msgs.Messages, QStringList({"\nCan't calculate schedule.\n\n" + Case.Text + "\n"}));
    EXPECT_EQ(Msgs.Types, std::vector<TMsgDlgType>{TMsgDlgType::Error});
    Msgs.Take();
    if (Case.Control) {
      EXPECT_EQ(Form->DataNotebook()->currentWidget(), Form->FieldPage());
      EXPECT_EQ(Form->focusWidget(), Child<QWidget>(*Form, Case.Control));
      continue;
    }
    QTableWidget* Grid = Form->WeatherGrid();
    EXPECT_EQ(Form->DataNotebook()->currentWidget(), Form->WeatherPage());
    EXPECT_EQ(Form->CurrentDay(), Case.Day);
    if (Case.GridCol >= 0) {
      EXPECT_EQ(Grid->currentColumn(), Case.GridCol);
    }
    if (Case.Top != 0) {
      EXPECT_EQ(Grid->rowAt(0) + 1, Case.Top) << "the day at the top";
    }
    EXPECT_TRUE(Form->focusWidget() == Grid || Grid->isAncestorOf(Form->focusWidget()));
  }
}

TEST_F(MainFormTest, EventCommandsOpenTheEditorOfTheDay) {
  auto Form = Started(UsFormatSettings(), English);
  int Code = 0, Day = 0;
  QDate Start;
  Form->EventEditorFunc = [&](QWidget*, int C, int D, const QDate& S, bool, bool, TSovSchedule& Field) {
    std::tie(Code, Day, Start) = std::tie(C, D, S);
    Field.SetCellInt(MaxEvents, SovCol::EvDay, D);  // the editor adds an event
    Field.SetCellInt(MaxEvents, SovCol::EvCode, C);
    return true;
  };
  Form->SetCurrentDay(30);
  Form->ManureAppEventCmdClick();
  EXPECT_EQ(Code, 3);
  EXPECT_EQ(Day, 30);
  EXPECT_EQ(Start.toString(Qt::ISODate), "2013-04-15");
  EXPECT_TRUE(Form->Modified());
  EXPECT_TRUE(Form->GridText(30, WthCol::Stage).startsWith("M / ")) << Form->GridText(30, WthCol::Stage).toStdString();

  Child<QLineEdit>(*Form, "StartDateEdit")->setText("4/31/2013");
  Code = 0;
  Form->NitrateEventCmdClick();
  EXPECT_EQ(Code, 0);
  EXPECT_EQ(Msgs.Take(), QStringList({"\nStarting Date is missing or invalid."}));
  EXPECT_EQ(Form->focusWidget(), Child<QWidget>(*Form, "StartDateEdit"));
}

// Cancel at the starting-date question puts the date back, and the Date column shows
// again the dates that a date which did not read had emptied.
TEST_F(MainFormTest, CancelAtTheDateQuestionShowsTheDatesAgain) {
  auto Form = Started(UsFormatSettings(), English);
  QLineEdit* Start = Child<QLineEdit>(*Form, "StartDateEdit");
  for (const char* Typed : {"4/2O/2013", "4/20/2013"}) {
    Form->DataNotebook()->setCurrentWidget(Form->FieldPage());
    Start->setText(Typed);
    Msgs.Answers = {QMessageBox::Cancel};
    Form->DataNotebook()->setCurrentWidget(Form->WeatherPage());
  }
  EXPECT_EQ(Start->text(), "4/15/2013");
  EXPECT_EQ(Form->GridText(1, WthCol::Date), " Apr 15");
  EXPECT_EQ(Form->GridText(10, WthCol::Date), " Apr 24");
}

TEST_F(MainFormTest, ChangedStartingDateAsksAndMovesTheDays) {
  auto Form = Started(UsFormatSettings(), English);
  const QString Day11High = Form->GridText(11, WthCol::High);
  QLineEdit* Start = Child<QLineEdit>(*Form, "StartDateEdit");

  Start->setText("4/25/2013");
  Msgs.Answers = {QMessageBox::Cancel};
  EXPECT_FALSE(Form->DatesOkay());
  EXPECT_EQ(Start->text(), "4/15/2013");
  EXPECT_EQ(Form->GridText(11, WthCol::High), Day11High);
  EXPECT_EQ(Msgs.Take(), QStringList({"\nStarting date has changed from 4/15/2013 to 4/25/2013.\n\n"
                                      "Weather data will be moved up. Any weather data before 4/25/2013 will be lost.\n"
                                      "3 events will be lost too: 4/15/2013, 4/16/2013.\n\n"
                                      "Click OK to proceed or Cancel to change starting date back to 4/15/2013.\n"}));

  Start->setText("4/25/2013");
  Msgs.Answers = {QMessageBox::Ok};
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_EQ(Form->GridText(1, WthCol::High), Day11High);
  EXPECT_EQ(Form->GridText(MaxDays, WthCol::High), "");
  EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::StartingDate), "4/25/2013");
  EXPECT_TRUE(Form->Modified());
  // The events of days 1 and 2 fell off; the one of day 52 is now on day 42.
  const TSovSchedule& F = *Form->FieldData();
  EXPECT_EQ(QList<int>({F.GetCellInt(1, SovCol::EvDay), F.GetCellInt(3, SovCol::EvDay), F.GetCellInt(4, SovCol::EvDay)}),
            QList<int>({0, 0, 42}));

  Start->setText("4/20/2013");
  Msgs.Take();
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_EQ(Form->GridText(6, WthCol::High), Day11High);
  EXPECT_TRUE(Msgs.Take().join('|').contains("moved down. Any weather data after 4/19/2014 will be lost."));

  Start->setText("not a date");
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST_F(MainFormTest, CloseAsksToSaveModifiedData) {
  const std::pair<QMessageBox::StandardButton, bool> Cases[] = {
      {QMessageBox::Cancel, false}, {QMessageBox::No, true}, {QMessageBox::Yes, false}};
  for (const auto& [Answer, Closes] : Cases) {
    auto Form = Started();
    QFile::remove(Form->SettingsFileName());
    Child<QLineEdit>(*Form, "FarmNameEdit")->setText("Changed");
    Msgs.Answers = {Answer};
    DialogAnswer.clear();  // a new field: Yes asks for a name, and the dialog is cancelled
    EXPECT_EQ(Form->close(), Closes);
    EXPECT_EQ(Msgs.Types, std::vector<TMsgDlgType>{TMsgDlgType::Confirmation});
    EXPECT_EQ(Msgs.Take(), QStringList({"\nData has been modified.\n\nDo you want to save the changes?\n"}));
    EXPECT_EQ(QFileInfo::exists(Form->SettingsFileName()), Closes);
    Msgs.Answers.clear();
  }
  EXPECT_TRUE(Started()->close());  // unchanged data: no question
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

// Names the lookup tables lack: the warning names each, the lists and the event editors
// show them with no entry chosen, and Save writes them back until another is picked.
TEST_F(MainFormTest, NamesNotInTheTablesStayUntilAnotherIsPicked) {
  const QString Path = Folder.Dir.filePath("unknown.sov");
  ASSERT_TRUE(QFile::copy(FURROW_TEST_DATA_DIR "/sov/unknown-names.sov", Path));
  auto Form = Started();
  ASSERT_TRUE(Form->LoadFile(Path));
  Form->SetFormData();
  const QStringList Warning = Msgs.Take();
  ASSERT_EQ(Warning.size(), 1);
  ASSERT_TRUE(Form->SaveToFile(true));
  const QByteArray Saved = ReadBytes(Path);
  const QDate Start(2016, 4, 5);
  TFertAppDlg Fert10(nullptr, 10, Start, false, true, *Form->FieldData()), Fert12(nullptr, 12, Start, false, true, *Form->FieldData());
  TManureAppDlg Manure(nullptr, 20, Start, false, true, *Form->FieldData());
  const std::pair<QComboBox*, const char*> Names[] = {
      {Child<QComboBox>(*Form, "LocationCombo"), "Location=Île d'Yeu"}, {Child<QComboBox>(*Form, "CropCombo"), "Crop=Kudzu"},
      {Fert10.FertCombo, "Key1=Urea 46 granular"}, {Fert12.FertCombo, "Key1=Blaukorn"}, {Manure.MethodCombo, "Key2=Schleppschuh"}};
  for (const auto& [Combo, Line] : Names) {
    const QString Name = QString::fromUtf8(Line).section('=', 1);
    EXPECT_TRUE(Warning[0].contains(" is invalid: " + Name + "\n")) << Line;
    EXPECT_EQ(Combo->currentIndex(), -1) << Line;
    EXPECT_EQ(Combo->placeholderText(), Name);
    EXPECT_TRUE(Saved.contains("\r\n" + QByteArray(Line) + "\r\n")) << Line;
  }
  // A crop picked takes the name's place.
  Child<QComboBox>(*Form, "CropCombo")->setCurrentIndex(1);
  ASSERT_TRUE(Form->SaveToFile(true));
  EXPECT_TRUE(ReadBytes(Path).contains("\r\nCrop=" + RegionLookup().Crop(1).Name.toUtf8() + "\r\n"));
}

TEST_F(MainFormTest, FilesNeedTheirExtension) {
  auto Form = Started();
  const QString Upper = Folder.Dir.filePath("FIELD.SOV");
  ASSERT_TRUE(QFile::rename(Folder.Example(English), Upper));
  const QString Text = Folder.Dir.filePath("field.txt");
  EXPECT_TRUE(Form->LoadFile(Upper));
  EXPECT_FALSE(Form->LoadFile(Text));
  EXPECT_EQ(Msgs.Take(), QStringList({"\n" + Text + " does not have a valid file extension (.sov).\n"}));
  EXPECT_EQ(Form->FieldData()->FileName(), Upper);

  // A name on the command line without extension gets ".sov".
  const QString Plain = Folder.Example("maricopa-cotton-metric.sov");
  auto Second = Folder.NewForm();
  ASSERT_TRUE(Second->StartUpProgram(Plain.chopped(4)));
  EXPECT_EQ(Second->FieldData()->FileName(), Plain);
  EXPECT_EQ(Second->windowTitle(), "Furrow - maricopa-cotton-metric.sov");
}

// The water-holding capacity follows a rooting depth the user changes, as the soil
// dialog sets it, when the horizons give it; otherwise it stays as it is, without a
// message while the user types. The metric box changes only captions.
TEST_F(MainFormTest, WaterCapacityFollowsTheRootingDepth) {
  auto Form = Started(UsFormatSettings(), "maricopa-cotton-metric.sov");
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  auto* Depth = Child<QLineEdit>(*Form, "RootingDepthEdit");
  auto* Capacity = Child<QLineEdit>(*Form, "WaterCapacityEdit");
  auto* Metric = Child<QCheckBox>(*Form, "MetricCheckBox");
  EXPECT_EQ(Capacity->text(), "166.5");  // as the file holds it
  const struct {
    const char* Typed;  // nothing: a click on the metric box
    const char* Capacity;
    const char* CapacityTyped = nullptr;  // by the user, before the step
  } Steps[] = {
      {"60", "81.00"}, {"", "81.00"}, {"6x", "7.20"}, {"120", "166.50"},
      {nullptr, "166.50"},  // 120 feet is no rooting depth
      {"2", "3.25"},        // feet and inches
      {nullptr, "3.25"},    // now 2 cm, the capacity as it was
      {"3", "150", "150"}, {nullptr, "150"},  // a capacity the user typed stays
  };
  for (const auto& S : Steps) {
    if (S.CapacityTyped) Capacity->setText(S.CapacityTyped);
    if (S.Typed) {
      Depth->selectAll();
      if (*S.Typed) QTest::keyClicks(Depth, S.Typed);
      else QTest::keyClick(Depth, Qt::Key_Delete);
    } else {
      Metric->click();
    }
    EXPECT_EQ(Capacity->text(), S.Capacity) << (S.Typed ? S.Typed : "metric box");
  }
  EXPECT_TRUE(Msgs.Messages.isEmpty()) << Msgs.Messages.join('|').toStdString();
  // Without horizons the box keeps what the user typed.
  auto Fresh = Started();
  Child<QLineEdit>(*Fresh, "WaterCapacityEdit")->setText("5");
  QTest::keyClicks(Child<QLineEdit>(*Fresh, "RootingDepthEdit"), "3");
  EXPECT_EQ(Child<QLineEdit>(*Fresh, "WaterCapacityEdit")->text(), "5");
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

// A change of the starting date is measured from the date the grid's days were placed
// by: not from a date that did not read, and on a new field from the one an import used.
// It asks, and the days keep their dates.
TEST_F(MainFormTest, StartingDateChangeKeepsTheDaysOnTheirDates) {
  const struct {
    const char *File, *First, *Typed, *Day1High;  // no file: a new field, whose first date an import uses
    int SideDressDay;                              // the 6/5 event's day afterwards
  } Cases[] = {{English, "4/2O/2013", "4/20/2013", "89.1", 47}, {nullptr, "4/1/2016", "4/2/2016", "68.0", 0}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Typed);
    auto Form = Started(UsFormatSettings(), C.File);
    QLineEdit* Start = Child<QLineEdit>(*Form, "StartDateEdit");
    const QString Placed = C.File ? Start->text() : QString(C.First);
    Start->setText(C.First);
    Form->ImportFileDialogFunc = [](auto&&...) { return QStringLiteral(FURROW_TEST_DATA_DIR "/uiimport/standard_us.csv"); };
    Form->ExecDialogFunc = Ok;
    C.File ? Form->CalcBtnClick() : Form->ImportWthFileBtnClick();  // refused; imported
    Msgs.Take();
    Start->setText(C.Typed);
    EXPECT_TRUE(Form->DatesOkay());
    EXPECT_EQ(Msgs.Take().value(0).section('\n', 1, 1), "Starting date has changed from " + Placed + " to " + C.Typed + ".");
    EXPECT_EQ(Form->GridText(1, WthCol::High), QString(C.Day1High));
    EXPECT_EQ(Form->FieldData()->GetCellInt(4, SovCol::EvDay), C.SideDressDay);
  }
}

// A starting date changed and not yet confirmed is settled before an import writes
// into the grid, and one that does not read is not saved: the question comes, and after
// OK every day and event keeps its date; Cancel puts the date back and imports nothing.
TEST_F(MainFormTest, ImportAndSaveSettleTheStartingDateFirst) {
  const QString Refusal = "\nStarting Date is missing or invalid.\n\nThe weather days begin on 4/15/2013: type that "
                          "date, or the date they are to move to, and save again.\n";
  const struct {
    const char* Name;
    const char* First;  // typed; then Save (refused) and Typed when given, else an import
    const char* Typed;  // then Calculate
    QMessageBox::StandardButton Answer;
    const char *Start, *Day1High;
    int Apr23Day, SideDressDay;  // the days of 4/23's weather and of the 6/5 event afterwards
  } Cases[] = {
      {"a changed date, then an import", "4/20/2013", nullptr, QMessageBox::Ok, "4/20/2013", "101.1", 4, 47},
      {"the same, Cancel", "4/20/2013", nullptr, QMessageBox::Cancel, "4/15/2013", "88.3", 9, 52},
      {"a date that does not read, saved", "4/2O/2013", "4/20/2013", QMessageBox::Ok, "4/20/2013", "89.1", 4, 47},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto Form = Started(UsFormatSettings(), English);
    const QString Path = Form->FieldData()->FileName();
    const QByteArray Saved = ReadBytes(Path);
    const QString Apr23High = Form->GridText(9, WthCol::High);
    QLineEdit* Start = Child<QLineEdit>(*Form, "StartDateEdit");
    Form->ImportFileDialogFunc = [](auto&&...) { return QStringLiteral(FURROW_TEST_DATA_DIR "/uiimport/apr20-22_us.csv"); };
    Form->ExecDialogFunc = Ok;
    Form->PreviewFunc = {};
    Start->setText(C.First);
    if (C.Typed) {
      EXPECT_FALSE(Form->SaveToFile(true));
      EXPECT_EQ(Msgs.Take(), QStringList({Refusal}));
      EXPECT_EQ(ReadBytes(Path), Saved);
      Start->setText(C.Typed);
    }
    Msgs.Answers = {C.Answer};
    C.Typed ? Form->CalcBtnClick() : Form->ImportWthFileBtnClick();
    EXPECT_EQ(Msgs.Take().value(0).section('\n', 1, 1), "Starting date has changed from 4/15/2013 to 4/20/2013.");
    EXPECT_EQ(Start->text(), C.Start);
    EXPECT_EQ(Form->GridText(1, WthCol::High), C.Day1High);
    EXPECT_EQ(Form->GridText(C.Apr23Day, WthCol::High), Apr23High);
    EXPECT_EQ(Form->FieldData()->GetCellInt(4, SovCol::EvDay), C.SideDressDay);
  }
}

// A number typed in the user's settings is never saved where the file reads another
// number: Save refuses a text that is no number in the user's settings but is one in
// the file's, names its place and writes nothing; with the file's own settings it saves.
TEST_F(MainFormTest, SaveKeepsTheMeaningOfTypedNumbers) {
  const QString Advice = "\n\nType the number with \",\" as decimal separator and no thousands separator, and save again.\n";
  const struct {
    bool German;
    const char* Box;  // nullptr: day 5's high
    const char* Typed;
    QString Refusal;  // empty: saved
    const char* Line;  // of the file afterwards
  } Cases[] = {
      {true, "YieldEdit", "1.500", "\nProjected Yield: 1.500 is not a number in your number settings, and the file "
                                   "would read it as 1,5." + Advice, "ProjectedYield=1500"},
      {true, "RootingDepthEdit", "120.5", "\nRooting Depth: 120.5 is not a number in your number settings, and the "
                                          "file would read it as 120,5." + Advice, "RootingDepth=120"},
      {true, nullptr, "27.6", "\nHigh temperature value of day 5: 27.6 is not a number in your number settings, and "
                              "the file would read it as 27,6." + Advice, "Day5=27.6,4.6,"},
      {false, "YieldEdit", "1.500", "", "ProjectedYield=1.500"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Typed);
    auto Form = Started(C.German ? GermanFormatSettings() : UsFormatSettings(), "maricopa-cotton-metric.sov");
    C.Box ? Child<QLineEdit>(*Form, C.Box)->setText(C.Typed) : Form->SetGridText(5, WthCol::High, C.Typed);
    EXPECT_EQ(Form->SaveToFile(true), C.Refusal.isEmpty());
    EXPECT_EQ(Msgs.Take(), C.Refusal.isEmpty() ? QStringList() : QStringList({C.Refusal}));
    EXPECT_TRUE(ReadBytes(Form->FieldData()->FileName()).contains(QByteArray("\r\n") + C.Line));
  }
}

// Save refuses a file set to read-only, as Save As does, and leaves it as it was; the
// new file would otherwise take its place by a rename, which its mode does not stop.
TEST_F(MainFormTest, SaveRefusesAReadOnlyFile) {
  const QFileDevice::Permissions ReadOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
  const struct {
    const char* Name;
    bool UseCurrentName;
    QFileDevice::Permissions Mode;
    bool Saves;
  } Cases[] = {
      {"Save, read-only", true, ReadOnly, false},
      {"Save As onto it, read-only", false, ReadOnly, false},
      {"Save, writable", true, ReadOnly | QFileDevice::WriteOwner, true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto Form = Started(UsFormatSettings(), English);
    const QString Path = Form->FieldData()->FileName();
    ASSERT_TRUE(QFile::setPermissions(Path, C.Mode));
    const QByteArray Before = ReadBytes(Path);
    Child<QLineEdit>(*Form, "FarmNameEdit")->setText("Changed");
    DialogAnswer = Path;
    EXPECT_EQ(Form->SaveToFile(C.UseCurrentName), C.Saves);
    EXPECT_EQ(Msgs.Take(), C.Saves ? QStringList()
                                   : QStringList({Path + "\nThis file is set to read-only.\nTry again with a different file name."}));
    EXPECT_EQ(ReadBytes(Path) == Before, !C.Saves);
    QFile::setPermissions(Path, ReadOnly | QFileDevice::WriteOwner);
  }
}

TEST_F(MainFormTest, MapOpensTheSoilMapInTheUsAndAWorldMapElsewhere) {
  auto Form = Started();
  Child<QLineEdit>(*Form, "LatitudeEdit")->setText("40.5");
  Child<QLineEdit>(*Form, "LongitudeEdit")->setText("-86.9");
  const std::pair<const char*, QString> Cases[] = {  // the location and the end of the page opened
      {"Indiana", "/nrcsdata/interactivemaponly.asp?t=state&state=Indiana&bbox=40.490,-86.910,40.510,-86.890"},
      {"Ontario (Canada)", "/maps?hl=en&ie=UTF8&ll=40.5000,-86.9000&spn=0.02,0.02&om=1&f=d"},
      {"", ""}};  // none: a message instead
  for (const auto& [Location, Ending] : Cases) {
    Opened.clear();
    Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(*Location ? Form->Lookup()->FindLocation(Location) : 0);
    Form->ViewMapBtnClick();
    EXPECT_EQ(Opened.size(), Ending.isEmpty() ? 0 : 1);
    EXPECT_EQ(Opened.join('|').right(Ending.size()), Ending);
    EXPECT_EQ(Msgs.Take(), Ending.isEmpty() ? QStringList({"\nNo Location selected.\n"}) : QStringList());
  }
}

TEST_F(MainFormTest, AboutBoxAndUpdateCheck) {
  auto Form = Started();
  const TProgramVersionInfo& V = Form->VersionInfo();
  ASSERT_FALSE(V.ProductName.isEmpty());
  ASSERT_FALSE(V.FileVersion.isEmpty());
  Form->ExecDialogFunc = [&](QDialog& Dialog) {
    auto* Box = dynamic_cast<TAboutBox*>(&Dialog);
    EXPECT_NE(Box, nullptr);
    if (!Box) return 0;
    EXPECT_EQ(QStringList({Box->windowTitle(), Box->ProductName->text(), Box->Version->text(), Box->Copyright->text(),
                           Box->Comments->text()}),
              QStringList({"About", V.ProductName, "Version " + V.ProductVersion, V.LegalCopyright, V.Comments}));
    Box->UpdatesButton->click();
    return int(QDialog::Accepted);
  };
  Form->AboutBtnClick();
  EXPECT_EQ(Opened, QStringList({"https://furrow.example.org/zodozizavo/irrigation/CheckForUpdates.html?InternalName=" +
                                 V.ProductName + "&FileVersion=" + V.FileVersion}));
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

// Every page the program opens: one the desktop does not take is told in an error box
// that shows its address; one it takes is not.
TEST_F(MainFormTest, PagesTheDesktopDoesNotOpenShowTheirAddress) {
  EXPECT_EQ(WebPageNotOpenedText("https://example.org/a?b=1"),
            "\nThe Web browser could not be opened.\n\nTo see the page, open this address in your Web browser:\n\n"
            "https://example.org/a?b=1\n");
  InstallHelpKey(&TestApp());
  auto Form = Started();
  Child<QLineEdit>(*Form, "LatitudeEdit")->setText("40.5");
  Child<QLineEdit>(*Form, "LongitudeEdit")->setText("-86.9");
  Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Form->Lookup()->FindLocation("Indiana"));
  Form->ExecDialogFunc = [](QDialog& Dialog) {
    if (auto* Box = dynamic_cast<TAboutBox*>(&Dialog)) Box->UpdatesButton->click();
    return int(QDialog::Accepted);
  };
  TPreviewDlg Preview;
  const struct {
    const char* Name;
    std::function<void()> Run;
    QString Address;  // opened; or its start, for the web pages
  } Cases[] = {
      {"Help", [&] { Form->HelpBtnClick(); }, HelpContextUrl(HelpContext::Contents)},
      {"F1 on the field page", [&] { QTest::keyClick(Child<QLineEdit>(*Form, "LatitudeEdit"), Qt::Key_F1); },
       HelpContextUrl(HelpContext::FieldPage)},
      {"View Map", [&] { Form->ViewMapBtnClick(); }, "https://"},
      {"Check for Updates", [&] { Form->AboutBtnClick(); }, "https://furrow.example.org/"},
      {"the preview's Help", [&] { Preview.HelpBtn->click(); }, HelpContextUrl(HelpContext::Preview)},
  };
  for (const bool Takes : {true, false}) {
    DesktopTakes = Takes;
    for (const auto& C : Cases) {
      SCOPED_TRACE(std::string(C.Name) + (Takes ? ", opened" : ", not opened"));
      Opened.clear();
      C.Run();
      ASSERT_EQ(Opened.size(), 1);
      if (C.Address.contains("#ctx")) {
        EXPECT_EQ(Opened[0], C.Address);
      } else {
        EXPECT_TRUE(Opened[0].startsWith(C.Address)) << Opened[0].toStdString();
      }
      EXPECT_EQ(Msgs.Types, Takes ? std::vector<TMsgDlgType>() : std::vector<TMsgDlgType>{TMsgDlgType::Error});
      EXPECT_EQ(Msgs.Take(), Takes ? QStringList() : QStringList({WebPageNotOpenedText(Opened[0])}));
    }
  }
}

TEST_F(MainFormTest, OptionsChangeTheHintSettingsOnOk) {
  auto Form = Started();
  for (const int Answer : {QDialog::Rejected, QDialog::Accepted}) {
    Form->SetHintOptions(false, true);
    Form->ExecDialogFunc = [Answer](QDialog& Dialog) {
      auto* Options = dynamic_cast<TOptionsDlg*>(&Dialog);
      EXPECT_NE(Options, nullptr);
      if (!Options) return 0;
      EXPECT_EQ(HelpContextOf(Options->PopupHintsCheckBox), HelpContext::Editors);
      EXPECT_FALSE(Options->PopupHintsCheckBox->isChecked());
      EXPECT_TRUE(Options->HintsOnStatusBarCheckBox->isChecked());
      Options->PopupHintsCheckBox->setChecked(true);
      Options->HintsOnStatusBarCheckBox->setChecked(false);
      return Answer;
    };
    Form->OptionsBtnClick();
    EXPECT_EQ(Form->PopupHints(), Answer == QDialog::Accepted);
    EXPECT_EQ(Form->HintsOnStatusBar(), Answer != QDialog::Accepted);
  }
}

}  // namespace

// The help page that ships beside the program has an anchor for every help context the
// windows open, and each of its own links leads to an anchor of the page.
TEST(HelpPage, HasEveryContextAndNoBrokenLink) {
  QFile Page(QStringLiteral(FURROW_SOURCE_DIR "/data/furrow.html"));
  ASSERT_TRUE(Page.open(QIODevice::ReadOnly | QIODevice::Text));
  const QString Text = QString::fromUtf8(Page.readAll());
  for (const int Context : {HelpContext::Contents, HelpContext::FieldPage, HelpContext::WeatherPage,
                            HelpContext::WebImport, HelpContext::Commands, HelpContext::Preview,
                            HelpContext::Editors, HelpContext::Soil})
    EXPECT_TRUE(Text.contains(QStringLiteral("id=\"ctx%1\"").arg(Context))) << Context;
  static const QRegularExpression Link(QStringLiteral("href=\"#([^\"]+)\""));
  for (const QRegularExpressionMatch& Match : Link.globalMatch(Text))
    EXPECT_TRUE(Text.contains(QStringLiteral("id=\"") + Match.captured(1) + u'"')) << Match.captured(1).toStdString();
}
