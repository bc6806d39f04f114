#pragma once
// The program's main window: one field on two pages (field, crop and soil values; the
// daily weather grid with growth-stage marks and events), the file commands, the
// calculation, the program settings and the recently used files.
//
// The controls and the weather grid are a working copy of the open field: GetFormData
// stores them into the field (before Save and Calculate), SetFormData shows the field
// (after New and Open). Event editors write into the field directly and set Modified.
//
// The import commands run in TImportCommands (SvImport.h), lent this window's field,
// boxes and grid; the controls are built in SvMainControls.cpp.

#include "EditGrid.h"
#include "MiscUtil.h"
#include "MsgDlg.h"
#include "SovSched.h"
#include "SovStartDate.h"
#include "SvImport.h"
#include "VersInfo.h"

#include <QDate>
#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;
class TPreviewDlg;

// Where the window finds its files and how the user writes numbers and dates.
struct TMainFormEnvironment {
  QString ProgramDir;     // the lookup file, the help file and possibly the settings file
  QString UserConfigDir;  // the program's per-user configuration folder, where the settings
                          // file goes; empty when there is none
  TFormatSettings UserFormat;
  // The per-user data folder where earlier versions kept the settings file (below it, in
  // a folder named after the product); read once when the configuration folder has none.
  QString OldUserDataDir;

  // The running program's folder, the user's configuration and data folders and the
  // user's own settings.
  static TMainFormEnvironment Default();
};

// Columns of the weather grid.
namespace WthCol {
constexpr int Day = 0;
constexpr int Date = 1;
constexpr int Stage = 2;
constexpr int High = 3;
constexpr int Low = 4;
constexpr int Wind = 5;
constexpr int Humidity = 6;
constexpr int Precip = 7;
constexpr int Irrigation = 8;
constexpr int Notes = 9;
constexpr int Count = 10;
constexpr int FirstEditable = 3;
}  // namespace WthCol

// The window's designed client size, and the property that keeps a text box's own
// length limit beside the one in force (see SetFormData).
namespace MainFormLayout {
constexpr int ClientWidth = 840;
constexpr int ClientHeight = 573;
constexpr const char* DesignedMaxLength = "designedMaxLength";
}  // namespace MainFormLayout

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // ---- Seams to the dialogs and the desktop ---------------------------------
  // Message boxes go through MessageDlg (MsgDlg.h), which tests can answer.
  // The open (ForSave false) and save dialogs; returns the chosen name, empty on Cancel.
  using TFileDialogFunc = std::function<QString(QWidget* Parent, bool ForSave, const QString& Title,
                                                const QString& StartName, const QString& Filter)>;
  // The event editor of EventCode (1 "F", 2 "N", 3 "M", 4 "R") for one day, shown
  // modally; returns true when it changed the field's events.
  using TEventEditorFunc = std::function<bool(QWidget* Parent, int EventCode, int Day, const QDate& StartDate,
                                              bool IsMetric, bool IsUS, TSovSchedule& Field)>;
  // Shows the schedule just calculated, modally. WeatherGridCell gives the weather
  // grid's text by grid row and column (rows 0 and 1 the headers, row d + 1 day d).
  using TPreviewFunc = std::function<void(QWidget* Parent, TSovSchedule& Field,
                                          const std::function<QString(int Row, int Col)>& WeatherGridCell)>;

  // Runs a dialog of an import or of the Options and About commands modally and
  // returns its result (QDialog::Accepted or Rejected).
  using TDialogExecFunc = std::function<int(QDialog& Dialog)>;

  TFileDialogFunc FileDialogFunc;    // default: a QFileDialog
  TEventEditorFunc EventEditorFunc;  // default: the four event editors
  TPreviewFunc PreviewFunc;          // default: the schedule preview dialog
  TFileDialogFunc ImportFileDialogFunc;  // default: a QFileDialog for weather files
  TDialogExecFunc ExecDialogFunc;        // default: QDialog::exec
  // Where the web weather sources live, and the limits of their requests.
  TWeatherWebHosts WebHosts;
  THttpOptions WebHttpOptions;
  // Where the web services are (empty: their usual endpoints), and the limits of a call.
  using TServiceAddresses = TImportServiceAddresses;
  TServiceAddresses ServiceAddresses;
  TSoapTransportOptions ServiceOptions;

  explicit TMainForm(const TMainFormEnvironment& Env, QWidget* Parent = nullptr);
  ~TMainForm() override;

  // ---- Start, settings, recent files ------------------------------------------
  // Loads the lookup file beside the program, fills the lists, reads the settings,
  // shows an empty field and opens CommandLineFile when given (".sov" appended when
  // it has no extension). False when the lookup file cannot be loaded: the program
  // must end.
  bool StartUpProgram(const QString& CommandLineFile);
  // The settings file: beside the program when one exists there, else in the
  // per-user configuration folder (when there is one).
  QString SettingsFileName() const;
  // Where earlier versions kept the settings file; empty when there is no such place.
  QString OldSettingsFileName() const;
  void ReadProgramSettings(QString& Msg);
  void WriteProgramSettings(QString& Msg);
  void SetHintStatus();
  void InitNewFile();
  void SetTitle();
  void AddMRUFile(const QString& FileName);
  bool OkayToAbandonData();

  // ---- Field page and binding ---------------------------------------------------
  void SetFormData();
  void GetFormData();
  bool DataHasChanged() const;
  void SetFormUnits(bool IsMetric);

  // ---- Weather grid -----------------------------------------------------------
  void SetGridDates();
  void ShiftGridData(int Shift);
  void EnableStageCmds();
  void StageCmdClick(int Tag);
  void ClearFormWeatherData();
  // The grid's text of a day (1-365) and column; empty outside.
  QString GridText(int Day, int Col) const;
  void SetGridText(int Day, int Col, const QString& Text);
  // By grid row: rows 0 and 1 are the two header lines, row d + 1 is day d.
  QString WeatherGridCell(int Row, int Col) const;
  // The day of the grid's current row (0 when none).
  int CurrentDay() const;
  void SetCurrentDay(int Day);

  // ---- File commands and calculation --------------------------------------------
  bool LoadFile(const QString& FileName);
  bool SaveToFile(bool UseCurrentName);
  bool DatesOkay();
  bool ProofFormData(bool FullCheck);

  // ---- Imports (TImportCommands over this window), options, about ------------------
  void ImportSoil();
  void ImportWeatherFromFile(bool FromClipboard);
  void ImportWebData();
  void ImportWeatherFromWeb(const QString& SourceID);
  void ImportMetosData();
  void ImportForecast();
  void DoAboutDlg();

  // ---- State ------------------------------------------------------------------
  const TProgramVersionInfo& VersionInfo() const { return FVersionInfo; }
  const TSovLookup* Lookup() const { return FLookup.get(); }
  TSovSchedule* FieldData() const { return FFieldData.get(); }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  const QStringList& RecentFiles() const { return FRecentFiles; }
  bool PopupHints() const { return FPopupHints; }
  bool HintsOnStatusBar() const { return FHintsOnStatusBar; }
  void SetHintOptions(bool Popup, bool OnStatusBar);
  const std::array<int, MaxDays>& StageCodes() const { return FStageCodes; }
  QTabWidget* DataNotebook() const { return FDataNotebook; }
  QWidget* FieldPage() const { return FFieldPage; }
  QWidget* WeatherPage() const { return FWeatherPage; }
  QTableWidget* WeatherGrid() const { return FWeatherGrid; }
  QMenu* WeatherGridRowMenu() const { return FRowMenu; }

 public slots:
  void NewBtnClick();
  void OpenBtnClick();
  void ReopenBtnClick();
  void SaveBtnClick();
  void SaveAsBtnClick();
  void HelpBtnClick();
  void ExitBtnClick();
  void CalcBtnClick();
  void ViewMapBtnClick();
  void ImportSoilBtnClick();
  void ViewSoilBtnClick();
  void ClearWthBtnClick();
  void FertAppEventCmdClick();
  void NitrateEventCmdClick();
  void ManureAppEventCmdClick();
  void ResidueEventCmdClick();
  void ImportWthFileBtnClick();
  void ImportWthClipboardBtnClick();
  void ImportWthWebDataClick();
  void OptionsBtnClick();
  void AboutBtnClick();

 protected:
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  struct TFieldBinding {
    int Col = 0;
    QLabel* Label = nullptr;  // its caption names the value in messages
    QWidget* Control = nullptr;
  };

  // True while Combo shows the name the field holds for column Col that the lookup
  // tables lack (no entry picked since).
  bool KeepsHeldName(const QComboBox* Combo, int Col) const;
  void CreateControls();
  QWidget* CreateFieldPage();
  QWidget* CreateWeatherPage();
  QWidget* CreateCommandButtons();
  void CreateRowMenu();
  void LayOutWeatherGrid();

  // Hints.
  void EraseStatusBarHint();
  void DisplayStatusBarFocusHint();
  void ShowStatusHintOf(const QWidget* Widget);
  void OnFocusChanged(QWidget* Old, QWidget* Now);

  // Field page.
  const TFieldBinding* BindingOf(int Col) const;
  QString LabelCaption(int Col) const;
  QWidget* ControlOf(int Col) const;
  void MetricCheckBoxClick(bool Checked);
  // The user changed the rooting depth: the water-holding capacity box follows when the
  // horizons give a capacity and the box is empty or still holds the one they gave for
  // the depth before; a capacity the user typed stays.
  void RootingDepthChange();
  // The capacity the horizons give for the rooting depth and units in the boxes.
  bool HorizonCapacity(QString& Text) const;
  void DataNotebookChange(int Index);

  // Weather grid.
  struct TSeason {
    QDate Start;            // invalid when the box does not read
    QDate Emergence;        // invalid when the box does not read
    int EmergeDay = -1;     // days from start to emergence; -1 none
    int Season = 0;         // growing season box, 0 when not a whole number
    int Crop = 0;
    int SeasonDays = 0;     // whole season from planting
    int PlantingOffset = 0;
    int EndDay = 0;
  };
  TSeason ReadSeason() const;
  void WeatherGridMouseDown(QMouseEvent* Event);
  void EventCmdClick(int EventCode);
  void FocusGridCell(int Day, int Col);

  // Where a value of the field stands in the window: its name in messages, and the
  // control or the grid column (with the day) that shows it.
  struct TValuePlace {
    QString Name;
    QWidget* Control = nullptr;
    int GridCol = -1;
    bool OnGrid = false;
  };
  TValuePlace PlaceOf(int Row, int Col) const;
  void ShowPlace(const TValuePlace& Place, int Row);
  // False, after an error box that names the value and shows it, when a number the field
  // took from the boxes or the grid would be saved where the file reads it as another.
  bool NumbersKeepTheirMeaning();

  // The import commands, lent this window's field, boxes, grid and seams.
  TImportCommands Imports();
  int ExecDialog(QDialog& Dialog);

  QMessageBox::StandardButton Message(TMsgDlgType Type, const QString& Text,
                                      QMessageBox::StandardButtons Buttons = QMessageBox::Ok);
  QString FileFilter() const;

  TMainFormEnvironment FEnv;
  TProgramVersionInfo FVersionInfo;
  std::unique_ptr<TSovLookup> FLookup;
  std::unique_ptr<TSovSchedule> FFieldData;
  bool FPopupHints = false;
  bool FHintsOnStatusBar = true;
  QStringList FRecentFiles;
  std::array<int, MaxDays> FStageCodes{};
  bool FModified = false;
  // The capacity the horizons last gave the box (for the loaded field, a changed rooting
  // depth, the soil dialog or a soil import); empty when they gave none.
  QString FDepthCapacity;
  // The starting date the weather grid's days and the events were last placed by.
  TGridStartDate FGridStart;
  bool FClosing = false;
  TPreviewDlg* FPreviewDlg = nullptr;  // made with the window, kept until it goes

  // Controls.
  QTabWidget* FDataNotebook = nullptr;
  QWidget* FFieldPage = nullptr;
  QWidget* FWeatherPage = nullptr;
  QLabel* FStatusBarHint = nullptr;
  std::vector<TFieldBinding> FBindings;  // columns 4-29 in order
  QLineEdit* FFarmNameEdit = nullptr;
  QComboBox* FLocationCombo = nullptr;
  QComboBox* FCropCombo = nullptr;
  QComboBox* FPrevCropCombo = nullptr;
  QCheckBox* FCoastalCheckBox = nullptr;
  QCheckBox* FMetricCheckBox = nullptr;
  QLineEdit* FLatitudeEdit = nullptr;
  QLineEdit* FLongitudeEdit = nullptr;
  QLineEdit* FEmergeDateEdit = nullptr;
  QLineEdit* FSeasonEdit = nullptr;
  QLineEdit* FStartDateEdit = nullptr;
  QLineEdit* FRootingDepthEdit = nullptr;
  QLineEdit* FSurveyEdit = nullptr;
  QLineEdit* FMapUnitEdit = nullptr;
  QLineEdit* FCompNameEdit = nullptr;
  QLineEdit* FWaterCapacityEdit = nullptr;
  QLabel* FElevationUnitsLbl = nullptr;
  QLabel* FYieldUnitsLbl = nullptr;
  QLabel* FRootingDepthUnitsLbl = nullptr;
  QLabel* FWaterCapacityUnitsLbl = nullptr;
  QLabel* FEmergeDateUnitsLbl = nullptr;
  QLabel* FStartDateUnitsLbl = nullptr;
  QLabel* FCalcDateUnitsLbl = nullptr;
  TEditGrid* FWeatherGrid = nullptr;
  QMenu* FRowMenu = nullptr;
  std::array<QAction*, 7> FStageActions{};  // by tag 0-6
};
