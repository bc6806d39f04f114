// The main window: start-up, settings, recent files, the binding of a field to the
// controls and the grid, the Calculate road and the questions it asks.
#include "DialogTestSupport.h"
#include "Reopen.h"
#include "ShlUtil.h"
#include "SovCalendar.h"
#include "SvMain.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <deque>
#include <memory>

namespace {

void EnsureApplication() { TestApp(); }

const QString SourceDir = QStringLiteral(FURROW_SOURCE_DIR);

struct TMsg {
  TMsgDlgType Type;
  QString Text;
};

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    ASSERT_TRUE(Dir.isValid());
    ProgramDir = Dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(ProgramDir));
    ASSERT_TRUE(QFile::copy(SourceDir + "/data/SovLookup.ini", ProgramDir + "/SovLookup.ini"));
    SetMessageDlgHandler([this](QWidget*, TMsgDlgType Type, const QString& Text, QMessageBox::StandardButtons) {
      Messages.push_back({Type, Text});
      if (Answers.empty()) return QMessageBox::Ok;
      const QMessageBox::StandardButton Answer = Answers.front();
      Answers.pop_front();
      return Answer;
    });
  }
  void TearDown() override { SetMessageDlgHandler({}); }

  std::unique_ptr<TMainForm> MakeForm(const TFormatSettings& Format = UsFormatSettings(), bool UserDir = true) {
    TMainFormEnvironment Env{ProgramDir, UserDir ? Dir.filePath(QStringLiteral("user")) : QString(), Format};
    auto Form = std::make_unique<TMainForm>(Env);
    Form->FileDialogFunc = [this](QWidget*, bool, const QString&, const QString&, const QString&) {
      return DialogAnswer;
    };
    return Form;
  }

  std::unique_ptr<TMainForm> Started(const TFormatSettings& Format = UsFormatSettings()) {
    auto Form = MakeForm(Format);
    EXPECT_TRUE(Form->StartUpProgram(QString()));
    return Form;
  }

  // A copy of an example field file in the test's folder.
  QString Example(const QString& Name) {
    const QString Copy = Dir.filePath(Name);
    QFile::remove(Copy);
    EXPECT_TRUE(QFile::copy(SourceDir + "/data/examples/" + Name, Copy));
    return Copy;
  }

  template <typename T>
  static T* Child(const TMainForm& Form, const char* Name) {
    T* Widget = Form.findChild<T*>(QLatin1String(Name));
    EXPECT_NE(Widget, nullptr) << Name;
    return Widget;
  }

  QTemporaryDir Dir;
  QString ProgramDir;
  std::vector<TMsg> Messages;
  std::deque<QMessageBox::StandardButton> Answers;
  QString DialogAnswer;
};

TEST_F(MainFormTest, StartUpEndsWithoutUsableLookupFile) {
  for (const char* Content : {static_cast<const char*>(nullptr), "[Crop1]\nName=Corn\n", "\xff\xfe\x00garbage"}) {
    QFile::remove(ProgramDir + "/SovLookup.ini");
    if (Content) {
      QFile File(ProgramDir + "/SovLookup.ini");
      ASSERT_TRUE(File.open(QIODevice::WriteOnly));
      File.write(Content);
    }
    Messages.clear();
    auto Form = MakeForm();
    EXPECT_FALSE(Form->StartUpProgram(QString()));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Type, TMsgDlgType::Error);
    EXPECT_TRUE(Messages[0].Text.startsWith('\n') && Messages[0].Text.endsWith('\n') && Messages[0].Text.size() > 3);
    EXPECT_EQ(Form->Lookup(), nullptr);
    EXPECT_TRUE(Form->close());  // nothing to ask, nothing written
    EXPECT_FALSE(QFileInfo::exists(Form->SettingsFileName()));
  }
}

TEST_F(MainFormTest, SettingsPlaceGapsAndDefaults) {
  // Nothing anywhere: defaults, and the file goes to the per-user folder, or beside the
  // program when there is no such folder.
  for (bool UserDir : {true, false}) {
    auto Form = MakeForm(UsFormatSettings(), UserDir);
    QString Msg;
    Form->ReadProgramSettings(Msg);
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_FALSE(Form->PopupHints());
    EXPECT_TRUE(Form->HintsOnStatusBar());
    Form->WriteProgramSettings(Msg);
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    const QString Expected = UserDir ? Dir.filePath("user/Furrow/furrow.ini") : ProgramDir + "/furrow.ini";
    EXPECT_EQ(Form->SettingsFileName(), Expected);
    EXPECT_TRUE(QFileInfo::exists(Expected));
  }
  // Now one lies beside the program (and one per user): the one beside is read, its
  // gaps closed, and written back there, keeping its other sections.
  QFile Beside(ProgramDir + "/furrow.ini");
  ASSERT_TRUE(Beside.open(QIODevice::WriteOnly));
  Beside.write("[Help]\nPopupHints=yes\nHintsOnStatusBar=OFF\n[Recent Files]\nFile1=/f/a.sov\nFile4=/f/b.sov\n"
               "[Other]\nKey=1\n");
  Beside.close();
  auto Form = MakeForm();
  QString Msg;
  Form->ReadProgramSettings(Msg);
  EXPECT_TRUE(Form->PopupHints());
  EXPECT_FALSE(Form->HintsOnStatusBar());
  EXPECT_EQ(Form->RecentFiles(), QStringList({"/f/a.sov", "/f/b.sov"}));
  Form->WriteProgramSettings(Msg);
  TMyIniFile Ini(ProgramDir + "/furrow.ini");
  EXPECT_EQ(Ini.ReadString("Recent Files", "File2", ""), "/f/b.sov");
  EXPECT_FALSE(Ini.ValueExists("Recent Files", "File4"));
  EXPECT_EQ(Ini.ReadString("Help", "PopupHints", ""), "Yes");
  EXPECT_EQ(Ini.ReadString("Other", "Key", ""), "1");
}

TEST_F(MainFormTest, UnreadableSettingsWarnAtStartAndAtClose) {
  ASSERT_TRUE(QDir().mkpath(ProgramDir + "/furrow.ini"));  // a folder where the file should be
  const QString Name = QDir(ProgramDir).absoluteFilePath("furrow.ini");
  auto Form = Started();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Type, TMsgDlgType::Warning);
  EXPECT_EQ(Messages[0].Text, "\nUnable to read file " + Name + ".\n\nUsing default program settings.\n");
  EXPECT_TRUE(Form->close());
  ASSERT_EQ(Messages.size(), 2u);
  EXPECT_EQ(Messages[1].Text, "\nCan't save program settings.\n\nUnable to write to file " + Name + ".\n");
}

TEST(RecentFiles, MostRecentFirstAtMostElevenIgnoringAsciiCase) {
  QStringList List;
  for (int I = 1; I <= 12; ++I) AddRecentFile(List, QStringLiteral("/d/f%1.sov").arg(I));
  ASSERT_EQ(List.size(), MaxRecentFiles);
  EXPECT_EQ(List.first(), "/d/f12.sov");
  EXPECT_EQ(List.last(), "/d/f2.sov");  // the oldest went
  AddRecentFile(List, "/D/F5.SOV");
  EXPECT_EQ(List.size(), MaxRecentFiles);
  EXPECT_EQ(List.first(), "/D/F5.SOV");
  EXPECT_EQ(List.count("/d/f5.sov"), 0);
  AddRecentFile(List, QString::fromUtf8("/d/Ä.sov"));
  AddRecentFile(List, QString::fromUtf8("/d/ä.sov"));  // not an ASCII letter: another file
  EXPECT_EQ(List.mid(0, 2), QStringList({QString::fromUtf8("/d/ä.sov"), QString::fromUtf8("/d/Ä.sov")}));
}

TEST(ReopenDialog, OkNeedsASelection) {
  EnsureApplication();
  TReopenFileDlg Dialog;
  Dialog.SetFiles({"/a.sov", "/b.sov"});
  Dialog.OKBtnClick();
  EXPECT_EQ(Dialog.result(), QDialog::Rejected);
  Dialog.FileListBox()->setCurrentRow(1);
  Dialog.FileListBoxDblClick(Dialog.FileListBox()->item(1));
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Dialog.SelectedFile(), "/b.sov");
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
  struct TCase {
    const char* File;
    TFormatSettings Format;
    const char* ElevationUnits;
    const char* DateUnits;
    const char* HighHeader;
  };
  const TCase Cases[] = {
      {"maricopa-cotton-english.sov", UsFormatSettings(), "Feet", "m/d/yyyy", " High (°F)"},
      {"maricopa-cotton-metric.sov", UsFormatSettings(), "Meters", "m/d/yyyy", " High (°C)"},
      {"maricopa-cotton-english.sov", GermanFormatSettings(), "Feet", "dd.mm.yyyy", " High (°F)"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    auto Form = Started(Case.Format);
    const QString Path = Example(Case.File);
    ASSERT_TRUE(Form->LoadFile(Path));
    Form->SetFormData();
    EXPECT_EQ(Form->windowTitle(), QString("Furrow - ") + Case.File);
    EXPECT_EQ(Child<QLabel>(*Form, "ElevationUnitsLbl")->text(), Case.ElevationUnits);
    EXPECT_EQ(Child<QLabel>(*Form, "StartDateUnitsLbl")->text(), Case.DateUnits);
    EXPECT_EQ(Form->WeatherGrid()->horizontalHeaderItem(WthCol::High)->text().section('\n', 1), Case.HighHeader);
    EXPECT_FALSE(Form->DataHasChanged());

    // Blanks around a value and a value typed and taken back are no change.
    QLineEdit* Farm = Child<QLineEdit>(*Form, "FarmNameEdit");
    const QString FarmName = Farm->text();
    Farm->setText(FarmName + "  ");
    Form->SetGridText(3, WthCol::Notes, " ");
    EXPECT_FALSE(Form->DataHasChanged());
    Farm->setText("x");
    EXPECT_TRUE(Form->DataHasChanged());
    Farm->setText(FarmName);
    EXPECT_FALSE(Form->DataHasChanged());

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
    DialogAnswer = Dir.filePath("saved.sov");
    ASSERT_TRUE(Form->SaveToFile(false));
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Form->RecentFiles().first(), DialogAnswer);
    EXPECT_EQ(Form->windowTitle(), "Furrow - saved.sov");
    TSovSchedule Saved(*Form->Lookup(), UsFormatSettings()), Original(*Form->Lookup(), UsFormatSettings());
    ASSERT_TRUE(Saved.LoadFromFile(DialogAnswer, Msg));
    ASSERT_TRUE(Original.LoadFromFile(Path, Msg));
    EXPECT_EQ(Saved.GetCell(20, SovCol::Precip), "1.25");
    Original.SetCell(20, SovCol::Precip, "1.25");
    ExpectSameField(Saved, Original);
  }
}

TEST_F(MainFormTest, UnknownStageLettersAreDroppedAndMarksFollowTheRules) {
  auto Form = Started();
  ASSERT_TRUE(Form->LoadFile(Example("maricopa-cotton-english.sov")));
  Form->FieldData()->SetCell(7, SovCol::GrowthStage, "X");
  Form->SetFormData();
  EXPECT_EQ(Form->StageCodes()[6], 0);
  Form->GetFormData();
  EXPECT_EQ(Form->FieldData()->GetCell(7, SovCol::GrowthStage), "");

  // {existing marks (day, stage)}, marked day, stage, marks expected afterwards on those days.
  struct TCase {
    std::vector<std::pair<int, int>> Before;
    int Day, Stage;
    std::vector<std::pair<int, int>> After;
  };
  const TCase Cases[] = {
      {{{30, StageMid}}, 40, StageMid, {{30, 0}, {40, StageMid}}},
      {{{30, StageDev}}, 40, StageMid, {{30, StageDev}, {40, StageMid}}},
      {{{50, StageDev}, {60, StageMid}}, 10, StageDev, {{10, StageDev}, {50, 0}, {60, StageMid}}},
      {{{20, StageDev}, {50, StageMid}}, 10, StageMid, {{10, StageMid}, {20, StageDev}, {50, StageMid}}},
  };
  for (const TCase& Case : Cases) {
    for (const TCase& Other : Cases) {
      for (auto [Day, Stage] : Other.After) {
        Form->SetCurrentDay(Day);
        Form->StageCmdClick(0);
      }
    }
    for (auto [Day, Stage] : Case.Before) {
      Form->SetCurrentDay(Day);
      Form->StageCmdClick(Stage);
    }
    Form->SetCurrentDay(Case.Day);
    Form->StageCmdClick(Case.Stage);
    for (auto [Day, Stage] : Case.After) EXPECT_EQ(Form->StageCodes()[size_t(Day - 1)], Stage) << Day;
  }
  // A marked mid-season day shows its mark; events come first.
  EXPECT_TRUE(Form->GridText(50, WthCol::Stage).endsWith("*"));
  EXPECT_EQ(Form->GridText(1, WthCol::Stage), "MR / ");
  EXPECT_EQ(Form->GridText(1, WthCol::Date), " Apr 15");
}

TEST_F(MainFormTest, StageMenuFollowsTheCropCalendar) {
  auto Form = Started();
  Child<QComboBox>(*Form, "CropCombo")->setCurrentIndex(Form->Lookup()->FindCrop("Cotton"));
  auto Enabled = [&] {
    QString Names;
    for (QAction* Action : Form->WeatherGridRowMenu()->actions()) {
      if (Action->isEnabled() && Action->data().isValid()) Names += Action->objectName() + " ";
    }
    return Names;
  };
  struct TCase {
    const char *Start, *Emergence, *Season;
    int Day;
    const char* Items;
  };
  const TCase Cases[] = {
      {"3/1/2013", "3/6/2013", "120", 5, ""},  // before emergence
      {"3/1/2013", "3/6/2013", "120", 6, "DevStageCmd "},
      {"10/1/2013", "10/6/2013", "150", 6, "DevStageCmd FrozenStageCmd SnowStageCmd "},
      {"10/1/2013", "10/6/2013", "0", 6, ""},
  };
  for (const TCase& Case : Cases) {
    Child<QLineEdit>(*Form, "StartDateEdit")->setText(Case.Start);
    Child<QLineEdit>(*Form, "EmergeDateEdit")->setText(Case.Emergence);
    Child<QLineEdit>(*Form, "SeasonEdit")->setText(Case.Season);
    Form->SetCurrentDay(Case.Day);
    Form->EnableStageCmds();
    EXPECT_EQ(Enabled(), Case.Items) << Case.Start << " day " << Case.Day;
  }
  Child<QLineEdit>(*Form, "SeasonEdit")->setText("150");
  Form->SetGridDates();
  EXPECT_EQ(Form->GridText(5, WthCol::Stage), "");
  EXPECT_EQ(Form->GridText(6, WthCol::Stage), "Init");
  EXPECT_EQ(Form->GridText(1, WthCol::Date), " Oct 1");
}

TEST_F(MainFormTest, CalculateReportsTheFirstFailureAndFocusesItsPlace) {
  struct TCase {
    const char* Name;
    std::function<void(TMainForm&)> Break;
    QString Text;
    bool OnFieldPage;
    const char* Control;  // field page
    int Day, GridCol;     // weather page
  };
  const TCase Cases[] = {
      {"latitude", [](TMainForm& F) { Child<QLineEdit>(F, "LatitudeEdit")->setText("north"); },
       "Latitude is missing or invalid.", true, "LatitudeEdit", 0, 0},
      {"location", [](TMainForm& F) { Child<QComboBox>(F, "LocationCombo")->setCurrentIndex(0); },
       "No Location selected.", true, "LocationCombo", 0, 0},
      {"calculation date", [](TMainForm& F) { Child<QLineEdit>(F, "CalcDateEdit")->setText("4/14/2013"); },
       "Calculation Date is missing or invalid.", true, "CalcDateEdit", 0, 0},
      {"low temperature", [](TMainForm& F) { F.SetGridText(150, WthCol::Low, "cold"); },
       "Low temperature value is missing or invalid.", false, nullptr, 150, WthCol::Low},
      {"event value", [](TMainForm& F) { F.FieldData()->SetCell(4, SovCol::EvValue, "lots"); },
       "Event's Value is missing or invalid.", false, nullptr, 52, -1},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    auto Form = Started();
    ASSERT_TRUE(Form->LoadFile(Example("maricopa-cotton-english.sov")));
    Form->SetFormData();
    Case.Break(*Form);
    Messages.clear();
    bool Previewed = false;
    Form->PreviewFunc = [&](QWidget*, TSovSchedule&, const std::function<QString(int, int)>&) {
      Previewed = true;
    };
    Form->CalcBtnClick();
    EXPECT_FALSE(Previewed);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Type, TMsgDlgType::Error);
    EXPECT_EQ(Messages[0].Text, "\nCan't calculate schedule.\n\n" + Case.Text + "\n");
    if (Case.OnFieldPage) {
      EXPECT_EQ(Form->DataNotebook()->currentWidget(), Form->FieldPage());
      EXPECT_EQ(Form->focusWidget(), Child<QWidget>(*Form, Case.Control));
    } else {
      EXPECT_EQ(Form->DataNotebook()->currentWidget(), Form->WeatherPage());
      EXPECT_EQ(Form->CurrentDay(), Case.Day);
      if (Case.GridCol >= 0) {
        EXPECT_EQ(Form->WeatherGrid()->currentColumn(), Case.GridCol);
      }
      EXPECT_TRUE(Form->focusWidget() == Form->WeatherGrid() || Form->WeatherGrid()->isAncestorOf(Form->focusWidget()));
    }
  }
}

TEST_F(MainFormTest, CalculateHandsTheScheduleToThePreview) {
  auto Form = Started();
  ASSERT_TRUE(Form->LoadFile(Example("maricopa-cotton-english.sov")));
  Form->SetFormData();
  QStringList Cells;
  int Days = 0;
  Form->PreviewFunc = [&](QWidget*, TSovSchedule& Field, const std::function<QString(int, int)>& Cell) {
    Days = Field.DayCount();
    Cells = QStringList{Cell(0, WthCol::Date), Cell(1, WthCol::High), Cell(2, WthCol::Date), Cell(3, WthCol::Day)};
  };
  Form->CalcBtnClick();
  EXPECT_TRUE(Messages.empty()) << (Messages.empty() ? "" : Messages[0].Text.toStdString());
  EXPECT_EQ(Days, 184);  // 4/15 to 10/15
  EXPECT_EQ(Cells, QStringList({"   Date", " High (°F)", " Apr 15", "2"}));
}

TEST_F(MainFormTest, EventCommandsOpenTheEditorOfTheDay) {
  auto Form = Started();
  ASSERT_TRUE(Form->LoadFile(Example("maricopa-cotton-english.sov")));
  Form->SetFormData();
  int Code = 0, Day = 0;
  QDate Start;
  Form->EventEditorFunc = [&](QWidget*, int C, int D, const QDate& S, bool, bool, TSovSchedule& Field) {
    Code = C;
    Day = D;
    Start = S;
    for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
      if (Field.GetCellInt(Slot, SovCol::EvDay) == 0) {
        Field.SetCellInt(Slot, SovCol::EvDay, D);
        Field.SetCellInt(Slot, SovCol::EvCode, C);
        return true;
      }
    }
    return false;
  };
  Form->SetCurrentDay(30);
  Form->ManureAppEventCmdClick();
  EXPECT_EQ(Code, 3);
  EXPECT_EQ(Day, 30);
  EXPECT_EQ(Start, QDate(2013, 4, 15));
  EXPECT_TRUE(Form->Modified());
  EXPECT_TRUE(Form->GridText(30, WthCol::Stage).startsWith("M / ")) << Form->GridText(30, WthCol::Stage).toStdString();

  Child<QLineEdit>(*Form, "StartDateEdit")->setText("4/31/2013");
  Code = 0;
  Form->NitrateEventCmdClick();
  EXPECT_EQ(Code, 0);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text, "\nStarting Date is missing or invalid.");
  EXPECT_EQ(Form->focusWidget(), Child<QWidget>(*Form, "StartDateEdit"));
}

TEST_F(MainFormTest, ChangedStartingDateAsksAndMovesTheDays) {
  auto Form = Started();
  ASSERT_TRUE(Form->LoadFile(Example("maricopa-cotton-english.sov")));
  Form->SetFormData();
  const QString Day11High = Form->GridText(11, WthCol::High);
  QLineEdit* Start = Child<QLineEdit>(*Form, "StartDateEdit");

  Start->setText("4/25/2013");
  Answers = {QMessageBox::Cancel};
  EXPECT_FALSE(Form->DatesOkay());
  EXPECT_EQ(Start->text(), "4/15/2013");
  EXPECT_EQ(Form->GridText(11, WthCol::High), Day11High);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text,
            "\nStarting date has changed from 4/15/2013 to 4/25/2013.\n\n"
            "Weather data will be moved up. Any weather data before 4/25/2013 will be lost.\n\n"
            "Click OK to proceed or Cancel to change starting date back to 4/15/2013.\n");

  Start->setText("4/25/2013");
  Answers = {QMessageBox::Ok};
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_EQ(Form->GridText(1, WthCol::High), Day11High);
  EXPECT_EQ(Form->GridText(MaxDays, WthCol::High), "");
  EXPECT_EQ(Form->FieldData()->GetCell(0, SovCol::StartingDate), "4/25/2013");
  EXPECT_TRUE(Form->Modified());
  // The events of days 1 and 2 fell off; the one of day 52 is now on day 42.
  EXPECT_EQ(Form->FieldData()->GetCellInt(1, SovCol::EvDay), 0);
  EXPECT_EQ(Form->FieldData()->GetCellInt(3, SovCol::EvDay), 0);
  EXPECT_EQ(Form->FieldData()->GetCellInt(4, SovCol::EvDay), 42);

  Start->setText("4/20/2013");
  Messages.clear();
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_EQ(Form->GridText(6, WthCol::High), Day11High);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_TRUE(Messages[0].Text.contains("moved down. Any weather data after 4/19/2014 will be lost."));

  Start->setText("not a date");
  Messages.clear();
  EXPECT_TRUE(Form->DatesOkay());
  EXPECT_TRUE(Messages.empty());
}

TEST_F(MainFormTest, CloseAsksToSaveModifiedData) {
  struct TCase {
    QMessageBox::StandardButton Answer;
    bool Closes;
  };
  for (const TCase& Case : {TCase{QMessageBox::Cancel, false}, TCase{QMessageBox::No, true},
                            TCase{QMessageBox::Yes, false}}) {
    auto Form = Started();
    QFile::remove(Form->SettingsFileName());
    EXPECT_TRUE(Messages.empty());
    Child<QLineEdit>(*Form, "FarmNameEdit")->setText("Changed");
    Answers = {Case.Answer};
    DialogAnswer.clear();  // a new field: Yes asks for a name, and the dialog is cancelled
    EXPECT_EQ(Form->close(), Case.Closes);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Type, TMsgDlgType::Confirmation);
    EXPECT_EQ(Messages[0].Text, "\nData has been modified.\n\nDo you want to save the changes?\n");
    EXPECT_EQ(QFileInfo::exists(Form->SettingsFileName()), Case.Closes);
    Messages.clear();
    Answers.clear();
  }
  // Unchanged data closes without a question.
  auto Form = Started();
  EXPECT_TRUE(Form->close());
  EXPECT_TRUE(Messages.empty());
}

TEST_F(MainFormTest, FilesNeedTheirExtension) {
  auto Form = Started();
  const QString Upper = Dir.filePath("FIELD.SOV");
  ASSERT_TRUE(QFile::copy(SourceDir + "/data/examples/maricopa-cotton-english.sov", Upper));
  EXPECT_TRUE(Form->LoadFile(Upper));
  const QString Text = Dir.filePath("field.txt");
  EXPECT_FALSE(Form->LoadFile(Text));
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text, "\n" + Text + " does not have a valid file extension (.sov).\n");
  EXPECT_EQ(Form->FieldData()->FileName(), Upper);

  // A name on the command line without extension gets ".sov".
  const QString Plain = Example("maricopa-cotton-metric.sov");
  auto Second = MakeForm();
  ASSERT_TRUE(Second->StartUpProgram(Plain.chopped(4)));
  EXPECT_EQ(Second->FieldData()->FileName(), Plain);
  EXPECT_EQ(Second->windowTitle(), "Furrow - maricopa-cotton-metric.sov");
}

TEST_F(MainFormTest, MapOpensTheSoilMapInTheUsAndAWorldMapElsewhere) {
  auto Form = Started();
  QString Opened;
  const TShellOpener Old = SetShellOpener([&](const QString& Target, const QString&, const QString&) {
    Opened = Target;
    return true;
  });
  const TSovLookup& Lookup = *Form->Lookup();
  int Abroad = 0;
  for (int Row = 1; Row <= Lookup.LocationCount() && !Abroad; ++Row) {
    if (!Lookup.Location(Row).IsUS) Abroad = Row;
  }
  ASSERT_GT(Abroad, 0);
  Child<QLineEdit>(*Form, "LatitudeEdit")->setText("40.5");
  Child<QLineEdit>(*Form, "LongitudeEdit")->setText("-86.9");
  Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Lookup.FindLocation("Indiana"));
  Form->ViewMapBtnClick();
  EXPECT_TRUE(Opened.endsWith("/nrcsdata/interactivemaponly.asp?t=state&state=Indiana"
                              "&bbox=40.490,-86.910,40.510,-86.890"))
      << Opened.toStdString();
  Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(Abroad);
  Form->ViewMapBtnClick();
  EXPECT_TRUE(Opened.endsWith("/maps?hl=en&ie=UTF8&ll=40.5000,-86.9000&spn=0.02,0.02&om=1&f=d")) << Opened.toStdString();
  EXPECT_TRUE(Messages.empty());
  Child<QComboBox>(*Form, "LocationCombo")->setCurrentIndex(0);
  Form->ViewMapBtnClick();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text, "\nNo Location selected.\n");
  SetShellOpener(Old);
}

}  // namespace
