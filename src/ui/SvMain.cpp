#include "SvMain.h"

#include "Reopen.h"
#include "SafeFile.h"
#include "ShlUtil.h"
#include "SovCalendar.h"
#include "SovMisc.h"
#include "SvAbout.h"
#include "SvFertApp.h"
#include "SvManureApp.h"
#include "SvNitrate.h"
#include "SvOption.h"
#include "SvPrev.h"
#include "SvResidue.h"
#include "SvViewSoil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Web pages opened by the map command.
const QString SoilMapHost = QStringLiteral("https://websoilsurvey.sc.egov.usda.gov");
const QString WorldMapHost = QStringLiteral("https://maps.google.com");

const QString FileExtension = QStringLiteral(".sov");

using namespace MainFormLayout;

// Sets a box's text without cutting what was loaded: the box accepts at least that long
// a text afterwards, and at least its own limit.
void SetEditText(QLineEdit* Edit, const QString& Text) {
  Edit->setMaxLength(std::max<int>(Edit->property(DesignedMaxLength).toInt(), int(Text.size())));
  Edit->setText(Text);
  Edit->setCursorPosition(0);
}

// The field column of each editable grid column.
int ModelColumnOfGridColumn(int GridCol) {
  switch (GridCol) {
    case WthCol::High: return SovCol::MaxTemp;
    case WthCol::Low: return SovCol::MinTemp;
    case WthCol::Wind: return SovCol::WindSpeed;
    case WthCol::Humidity: return SovCol::Humidity;
    case WthCol::Precip: return SovCol::Precip;
    case WthCol::Irrigation: return SovCol::Irrigation;
    case WthCol::Notes: return SovCol::WeatherNotes;
    default: return 0;
  }
}

constexpr std::array<int, 7> EditableGridColumns = {WthCol::High,   WthCol::Low,        WthCol::Wind, WthCol::Humidity,
                                                    WthCol::Precip, WthCol::Irrigation, WthCol::Notes};

// Grid column and message name of a failing weather value.
struct TWeatherFailure {
  int Col;
  int GridCol;
  const char* Name;
};
constexpr std::array<TWeatherFailure, 6> WeatherFailures = {{
    {SovCol::MaxTemp, WthCol::High, "High temperature value"},
    {SovCol::MinTemp, WthCol::Low, "Low temperature value"},
    {SovCol::Precip, WthCol::Precip, "Precipitation value"},
    {SovCol::Irrigation, WthCol::Irrigation, "Irrigation value"},
    {SovCol::WindSpeed, WthCol::Wind, "Wind speed value"},
    {SovCol::Humidity, WthCol::Humidity, "Humidity value"},
}};

// Month names on screen are English whatever the user's language.
TFormatSettings ScreenDateFormat(const TFormatSettings& User) {
  TFormatSettings Format = User;
  const TFormatSettings Us = UsFormatSettings();
  Format.ShortMonthNames = Us.ShortMonthNames;
  Format.LongMonthNames = Us.LongMonthNames;
  Format.ShortDayNames = Us.ShortDayNames;
  Format.LongDayNames = Us.LongDayNames;
  return Format;
}

// The help hint of a widget: its own, else that of the nearest parent in its window.
QString HintOf(const QWidget* Widget) {
  for (const QWidget* W = Widget; W; W = W->parentWidget()) {
    if (!W->toolTip().isEmpty()) return W->toolTip();
    if (W->isWindow()) break;
  }
  return QString();
}

// The event editor of a code, shown modally; true when it changed the events.
bool RunEventEditor(QWidget* Parent, int EventCode, int Day, const QDate& StartDate, bool IsMetric, bool IsUS,
                    TSovSchedule& Field) {
  std::unique_ptr<TEventDlg> Editor;
  switch (EventCode) {
    case 1: Editor = std::make_unique<TFertAppDlg>(Parent, Day, StartDate, IsMetric, IsUS, Field); break;
    case 2: Editor = std::make_unique<TNitrateDlg>(Parent, Day, StartDate, IsMetric, IsUS, Field); break;
    case 3: Editor = std::make_unique<TManureAppDlg>(Parent, Day, StartDate, IsMetric, IsUS, Field); break;
    case 4: Editor = std::make_unique<TResidueDlg>(Parent, Day, StartDate, IsMetric, IsUS, Field); break;
    default: return false;
  }
  return Editor->exec() == QDialog::Accepted && Editor->EventChanged();
}

QString ReadOnlyMessage(const QString& Name) {
  return Name + QStringLiteral("\n") + QLatin1StringView(ReadOnlyReason) +
         QStringLiteral(".\nTry again with a different file name.");
}

QString DefaultFileDialog(QWidget* Parent, bool ForSave, const QString& Title, const QString& StartName,
                          const QString& Filter) {
  QFileDialog Dialog(Parent, Title, QDir::currentPath(), Filter);
  Dialog.setDefaultSuffix(FileExtension.mid(1));
  if (!StartName.isEmpty()) {
    const QFileInfo Start(StartName);
    Dialog.setDirectory(Start.absolutePath());
    Dialog.selectFile(Start.fileName());
  }
  Dialog.setAcceptMode(ForSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  Dialog.setFileMode(ForSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  for (;;) {
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return QString();
    const QString Name = Dialog.selectedFiles().constFirst();
    if (ForSave && IsReadOnlyFile(Name)) {
      QMessageBox::warning(&Dialog, Title, ReadOnlyMessage(Name));
      continue;
    }
    return Name;
  }
}

}  // namespace

// ===========================================================================
// Environment
// ===========================================================================

TMainFormEnvironment TMainFormEnvironment::Default() {
  TMainFormEnvironment Env;
  Env.ProgramDir = QCoreApplication::applicationDirPath();
  Env.UserConfigDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  Env.UserFormat = GetUserFormatSettings(true);
  Env.OldUserDataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return Env;
}

// ===========================================================================
// Creation
// ===========================================================================

TMainForm::TMainForm(const TMainFormEnvironment& Env, QWidget* Parent)
    : QMainWindow(Parent),
      FileDialogFunc(DefaultFileDialog),
      EventEditorFunc(RunEventEditor),
      ImportFileDialogFunc(TImportCommands::WeatherFileDialog),
      ExecDialogFunc([](QDialog& Dialog) { return Dialog.exec(); }),
      FEnv(Env),
      FGridStart(Env.UserFormat) {
  setObjectName(QStringLiteral("MainForm"));
  // The window keeps its designed size; it has no maximise button.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(FVersionInfo.ProductName);
  SetApplicationHelpFile(QDir(FEnv.ProgramDir).filePath(FVersionInfo.InternalName + QStringLiteral(".html")));
  CreateControls();
  setFixedSize(ClientWidth, ClientHeight);
  qApp->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, &TMainForm::OnFocusChanged);

  FPreviewDlg = new TPreviewDlg(this);
  FPreviewDlg->SetVersionInfo(FVersionInfo.ProductName, FVersionInfo.ProductVersion, FVersionInfo.InternalName);
  PreviewFunc = [this](QWidget*, TSovSchedule& Field, const std::function<QString(int, int)>& WeatherGridCell) {
    FPreviewDlg->SetHintOptions(FPopupHints, FHintsOnStatusBar);
    FPreviewDlg->ShowSchedule(Field, WeatherGridCell);
  };
}

TMainForm::~TMainForm() {
  // Nothing of this window may run while its controls go.
  qApp->removeEventFilter(this);
  disconnect(qApp, nullptr, this, nullptr);
  FWeatherGrid->viewport()->removeEventFilter(this);
  FWeatherGrid->horizontalHeader()->viewport()->removeEventFilter(this);
  FWeatherGrid->disconnect(this);
  FDataNotebook->disconnect(this);
  FMetricCheckBox->disconnect(this);
}

// ===========================================================================
// Start, settings, recent files
// ===========================================================================

bool TMainForm::StartUpProgram(const QString& CommandLineFile) {
  auto NewLookup = std::make_unique<TSovLookup>();
  QString Msg;
  if (!NewLookup->LoadFromFile(QDir(FEnv.ProgramDir).filePath(QStringLiteral("SovLookup.ini")), Msg)) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + Msg + QStringLiteral("\n"));
    return false;
  }
  FLookup = std::move(NewLookup);

  FCropCombo->clear();
  FPrevCropCombo->clear();
  FLocationCombo->clear();
  FCropCombo->addItem(QString());
  FPrevCropCombo->addItem(QString());
  for (int Row = 1; Row <= FLookup->CropCount(); ++Row) {
    FCropCombo->addItem(FLookup->Crop(Row).Name);
    FPrevCropCombo->addItem(FLookup->Crop(Row).Name);
  }
  FLocationCombo->addItem(QString());
  for (int Row = 1; Row <= FLookup->LocationCount(); ++Row) FLocationCombo->addItem(FLookup->Location(Row).Description);

  ReadProgramSettings(Msg);
  if (!Msg.isEmpty()) {
    Message(TMsgDlgType::Warning,
            QStringLiteral("\n") + Msg + QStringLiteral("\n\nUsing default program settings.\n"));
  }
  LayOutWeatherGrid();
  InitNewFile();
  SetFormData();
  SetHintStatus();

  if (!CommandLineFile.isEmpty()) {
    QString Name = CommandLineFile;
    if (QFileInfo(Name).suffix().isEmpty()) Name += FileExtension;
    if (LoadFile(Name)) SetFormData();
  }
  return true;
}

QString TMainForm::SettingsFileName() const {
  const QString Base = FVersionInfo.InternalName.toLower() + QStringLiteral(".ini");
  const QString BesideProgram = QDir(FEnv.ProgramDir).absoluteFilePath(Base);
  if (QFileInfo::exists(BesideProgram) || FEnv.UserConfigDir.isEmpty()) return BesideProgram;
  return QDir(FEnv.UserConfigDir).absoluteFilePath(Base);
}

QString TMainForm::OldSettingsFileName() const {
  if (FEnv.OldUserDataDir.isEmpty()) return QString();
  const QString Base = FVersionInfo.InternalName.toLower() + QStringLiteral(".ini");
  return QDir(QDir(FEnv.OldUserDataDir).filePath(FVersionInfo.ProductName)).absoluteFilePath(Base);
}

void TMainForm::ReadProgramSettings(QString& Msg) {
  Msg.clear();
  FPopupHints = false;
  FHintsOnStatusBar = true;
  FRecentFiles.clear();
  QString Name = SettingsFileName();
  if (!QFileInfo::exists(Name)) {
    // Settings that an earlier version left in the data folder are read from there
    // until the first write puts them in their own place.
    Name = OldSettingsFileName();
    if (Name.isEmpty() || !QFileInfo::exists(Name)) return;
  }
  TMyIniFile Ini;
  QString LoadMsg;
  if (!Ini.LoadFromFile(Name, LoadMsg)) {
    Msg = QStringLiteral("Unable to read file ") + Name + QStringLiteral(".\n") + LoadMsg;
    return;
  }
  const QString Help = QStringLiteral("Help");
  FPopupHints = Ini.ReadBool(Help, QStringLiteral("PopupHints"), FPopupHints);
  FHintsOnStatusBar = Ini.ReadBool(Help, QStringLiteral("HintsOnStatusBar"), FHintsOnStatusBar);
  for (int Entry = 1; Entry <= MaxRecentFiles; ++Entry) {
    const QString File =
        Ini.ReadString(QStringLiteral("Recent Files"), QStringLiteral("File") + QString::number(Entry), QString());
    if (!File.isEmpty()) FRecentFiles.append(File);
  }
}

void TMainForm::WriteProgramSettings(QString& Msg) {
  Msg.clear();
  const QString Name = SettingsFileName();
  const QString Folder = QFileInfo(Name).absolutePath();
  if (QDir(Folder) != QDir(FEnv.ProgramDir)) QDir().mkpath(Folder);
  TMyIniFile Ini;
  QString IniMsg;
  if (!Ini.LoadFromFile(Name, IniMsg)) {
    // Writing over a file that cannot be read would lose what it holds.
    Msg = QStringLiteral("Unable to write to file ") + Name + QStringLiteral(".\n") + IniMsg;
    return;
  }
  const QString Help = QStringLiteral("Help");
  Ini.WriteBool(Help, QStringLiteral("PopupHints"), FPopupHints);
  Ini.WriteBool(Help, QStringLiteral("HintsOnStatusBar"), FHintsOnStatusBar);
  const QString Recent = QStringLiteral("Recent Files");
  Ini.EraseSection(Recent);
  for (qsizetype I = 0; I < FRecentFiles.size(); ++I) {
    Ini.WriteString(Recent, QStringLiteral("File") + QString::number(I + 1), FRecentFiles[I]);
  }
  QString Reason;
  if (!Ini.UpdateFile(IniMsg, &Reason))
    Msg = QStringLiteral("Unable to write to file ") + Name + QStringLiteral(".\n") + Reason + QStringLiteral(".");
}

void TMainForm::SetHintOptions(bool Popup, bool OnStatusBar) {
  FPopupHints = Popup;
  FHintsOnStatusBar = OnStatusBar;
  SetHintStatus();
}

void TMainForm::SetHintStatus() {
  // Pop-ups are filtered in eventFilter; the status bar follows the focus or the mouse.
  if (!FPopupHints || FHintsOnStatusBar) QToolTip::hideText();
  EraseStatusBarHint();
  DisplayStatusBarFocusHint();
}

void TMainForm::InitNewFile() {
  FFieldData.reset();
  if (FLookup) FFieldData = std::make_unique<TSovSchedule>(*FLookup, FEnv.UserFormat);
  FModified = false;
}

void TMainForm::SetTitle() {
  const QString Product = FVersionInfo.ProductName;
  if (FFieldData && !FFieldData->FileName().isEmpty()) {
    setWindowTitle(Product + QStringLiteral(" - ") + QFileInfo(FFieldData->FileName()).fileName());
  } else {
    setWindowTitle(Product + QStringLiteral(" - [New File]"));
  }
}

void TMainForm::AddMRUFile(const QString& FileName) { AddRecentFile(FRecentFiles, FileName); }

bool TMainForm::OkayToAbandonData() {
  if (!FFieldData) return true;
  if (!FModified && !DataHasChanged()) return true;
  switch (Message(TMsgDlgType::Confirmation,
                  QStringLiteral("\nData has been modified.\n\nDo you want to save the changes?\n"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return SaveToFile(true);
    case QMessageBox::No: return true;
    default: return false;
  }
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  if (!FFieldData) {  // start-up did not finish: nothing to keep
    Event->accept();
    return;
  }
  EraseStatusBarHint();
  if (!OkayToAbandonData()) {
    Event->ignore();
    DisplayStatusBarFocusHint();
    return;
  }
  QString Msg;
  WriteProgramSettings(Msg);
  if (!Msg.isEmpty()) {
    Message(TMsgDlgType::Warning, QStringLiteral("\nCan't save program settings.\n\n") + Msg + QStringLiteral("\n"));
  }
  FClosing = true;
  Event->accept();
}

// ===========================================================================
// Hints
// ===========================================================================

void TMainForm::EraseStatusBarHint() { FStatusBarHint->clear(); }

void TMainForm::ShowStatusHintOf(const QWidget* Widget) {
  FStatusBarHint->setText(QStringLiteral(" ") + HintOf(Widget));
}

void TMainForm::DisplayStatusBarFocusHint() {
  if (FPopupHints || !FHintsOnStatusBar) return;
  ShowStatusHintOf(focusWidget());
}

void TMainForm::OnFocusChanged(QWidget* Old, QWidget* Now) {
  if (FPopupHints || !FHintsOnStatusBar || FClosing) return;
  if (Now && Now->window() == this) {
    ShowStatusHintOf(Now);
  } else if (Old && Old->window() == this) {
    EraseStatusBarHint();
  }
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event) {
  switch (Event->type()) {
    case QEvent::ToolTip:
      // Pop-up hints only when chosen and not shown on the status bar instead.
      if (!(FPopupHints && !FHintsOnStatusBar)) return true;
      break;
    case QEvent::Enter:
    case QEvent::Leave:
      if (FPopupHints && FHintsOnStatusBar && Watched->isWidgetType()) {
        const QWidget* Under = QApplication::widgetAt(QCursor::pos());
        if (Under && Under->window() == this) ShowStatusHintOf(Under);
      }
      break;
    case QEvent::MouseButtonPress:
      if (Watched == FWeatherGrid->viewport()) {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        const QModelIndex Index = FWeatherGrid->indexAt(Mouse->position().toPoint());
        if (Index.isValid() && Index.column() < WthCol::FirstEditable) {
          WeatherGridMouseDown(Mouse);
          return true;
        }
      } else if (Watched == FWeatherGrid->horizontalHeader()->viewport()) {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        const int Col = FWeatherGrid->horizontalHeader()->logicalIndexAt(Mouse->position().toPoint());
        FWeatherGrid->setFocus();
        if (Col >= WthCol::FirstEditable) FWeatherGrid->setCurrentCell(std::max(FWeatherGrid->currentRow(), 0), Col);
        return true;
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(Watched, Event);
}

// ===========================================================================
// Field page and binding
// ===========================================================================

const TMainForm::TFieldBinding* TMainForm::BindingOf(int Col) const {
  for (const TFieldBinding& Binding : FBindings) {
    if (Binding.Col == Col) return &Binding;
  }
  return nullptr;
}

QString TMainForm::LabelCaption(int Col) const {
  const TFieldBinding* Binding = BindingOf(Col);
  if (!Binding) return QString();
  if (Binding->Label) return Binding->Label->text();
  if (auto* Check = qobject_cast<QCheckBox*>(Binding->Control)) return Check->text();
  return QString();
}

QWidget* TMainForm::ControlOf(int Col) const {
  const TFieldBinding* Binding = BindingOf(Col);
  return Binding ? Binding->Control : nullptr;
}

void TMainForm::SetFormUnits(bool IsMetric) {
  FElevationUnitsLbl->setText(TSovFile::UnitsLabel(TUnitKind::Elevation, IsMetric));
  FYieldUnitsLbl->setText(TSovFile::UnitsLabel(TUnitKind::Yield, IsMetric));
  FRootingDepthUnitsLbl->setText(TSovFile::UnitsLabel(TUnitKind::RootingDepth, IsMetric));
  FWaterCapacityUnitsLbl->setText(TSovFile::UnitsLabel(TUnitKind::Water, IsMetric));
  const QString DateFormat = FEnv.UserFormat.ShortDateFormat.toLower();
  FEmergeDateUnitsLbl->setText(DateFormat);
  FStartDateUnitsLbl->setText(DateFormat);
  FCalcDateUnitsLbl->setText(DateFormat);

  auto SetRow1 = [this](int Col, const QString& Text) {
    QTableWidgetItem* Header = FWeatherGrid->horizontalHeaderItem(Col);
    if (!Header) return;
    const QString Row0 = Header->text().section(QLatin1Char('\n'), 0, 0);
    Header->setText(Row0 + QLatin1Char('\n') + Text);
  };
  const QString Temp = TSovFile::UnitsLabel(TUnitKind::Temperature, IsMetric);
  SetRow1(WthCol::High, QStringLiteral(" High (") + Temp + QStringLiteral(")"));
  SetRow1(WthCol::Low, QStringLiteral(" Low (") + Temp + QStringLiteral(")"));
  SetRow1(WthCol::Wind,
          QStringLiteral("   (") + TSovFile::UnitsLabel(TUnitKind::WindSpeed, IsMetric) + QStringLiteral(")"));
  const QString Water =
      QStringLiteral("     (") + TSovFile::UnitsLabel(TUnitKind::WaterAbbrev, IsMetric) + QStringLiteral(")");
  SetRow1(WthCol::Precip, Water);
  SetRow1(WthCol::Irrigation, Water);
}

void TMainForm::MetricCheckBoxClick(bool Checked) { SetFormUnits(Checked); }

bool TMainForm::HorizonCapacity(QString& Text) const {
  QString Msg;
  return FFieldData && FFieldData->WaterCapacityText(FMetricCheckBox->isChecked(),
                                                     std::max(FLocationCombo->currentIndex(), 0),
                                                     FRootingDepthEdit->text(), Text, Msg);
}

void TMainForm::RootingDepthChange() {
  if (!FFieldData) return;
  // The box holds the horizons' capacity when it reads as the same figure to the
  // hundredth ("166.5" from a file is the horizons' "166.50").
  const QString Held = CleanText(FWaterCapacityEdit->text());
  double Value = 0;
  const bool HoldsHorizons = !FDepthCapacity.isEmpty() && TryStrToFloat(Held, Value, FEnv.UserFormat) &&
                             FormatFixed(Value, 2, FEnv.UserFormat) == FDepthCapacity;
  if (!Held.isEmpty() && !HoldsHorizons) return;
  QString Text;
  if (HorizonCapacity(Text)) {
    SetEditText(FWaterCapacityEdit, Text);
    FDepthCapacity = Text;
  }
}

void TMainForm::SetFormData() {
  if (!FFieldData) return;
  const TSovSchedule& Field = *FFieldData;
  SetFormUnits(Field.IsMetric());
  for (const TFieldBinding& Binding : FBindings) {
    if (auto* Edit = qobject_cast<QLineEdit*>(Binding.Control)) {
      SetEditText(Edit, Field.GetCell(0, Binding.Col));
    } else if (auto* Combo = qobject_cast<QComboBox*>(Binding.Control)) {
      int Index = 0;
      if (Binding.Col == SovCol::Location) Index = Field.Location();
      if (Binding.Col == SovCol::Crop) Index = Field.Crop();
      if (Binding.Col == SovCol::PreviousCrop) Index = Field.PreviousCrop();
      // A name the tables lack shows as the list's text with no entry chosen, and stays
      // the field's until another entry is picked.
      const QString Held = Field.HeldName(0, Binding.Col);
      Combo->setPlaceholderText(Held);
      Combo->setCurrentIndex(!Held.isEmpty() ? -1 : Index < Combo->count() ? Index : 0);
    } else if (auto* Check = qobject_cast<QCheckBox*>(Binding.Control)) {
      Check->setChecked(Binding.Col == SovCol::IsMetric ? Field.IsMetric() : Field.IsCoastal());
    }
  }
  for (int Day = 1; Day <= MaxDays; ++Day) {
    for (int GridCol : EditableGridColumns) SetGridText(Day, GridCol, Field.GetCell(Day, ModelColumnOfGridColumn(GridCol)));
    FStageCodes[size_t(Day - 1)] = StageCodeIndex(Field.GetCell(Day, SovCol::GrowthStage));
  }
  if (!HorizonCapacity(FDepthCapacity)) FDepthCapacity.clear();
  FGridStart.Reset(Field.GetCell(0, SovCol::StartingDate));
  SetGridDates();
  SetTitle();
  FWeatherGrid->scrollToTop();
  FWeatherGrid->setCurrentCell(0, WthCol::FirstEditable);
  FDataNotebook->setCurrentWidget(FFieldPage);
  FFarmNameEdit->setFocus();
}

bool TMainForm::KeepsHeldName(const QComboBox* Combo, int Col) const {
  return Combo->currentIndex() < 0 && !FFieldData->HeldName(0, Col).isEmpty();
}

void TMainForm::GetFormData() {
  if (!FFieldData) return;
  if (DataHasChanged()) FModified = true;
  TSovSchedule& Field = *FFieldData;
  for (const TFieldBinding& Binding : FBindings) {
    if (auto* Edit = qobject_cast<QLineEdit*>(Binding.Control)) {
      Field.SetCell(0, Binding.Col, CleanText(Edit->text()));
    } else if (auto* Combo = qobject_cast<QComboBox*>(Binding.Control)) {
      if (KeepsHeldName(Combo, Binding.Col)) continue;
      const int Index = std::max(Combo->currentIndex(), 0);
      if (Binding.Col == SovCol::Location) Field.SetLocation(Index);
      if (Binding.Col == SovCol::Crop) Field.SetCrop(Index);
      if (Binding.Col == SovCol::PreviousCrop) Field.SetPreviousCrop(Index);
    } else if (auto* Check = qobject_cast<QCheckBox*>(Binding.Control)) {
      if (Binding.Col == SovCol::IsMetric) Field.SetIsMetric(Check->isChecked());
      if (Binding.Col == SovCol::IsCoastal) Field.SetIsCoastal(Check->isChecked());
    }
  }
  for (int Day = 1; Day <= MaxDays; ++Day) {
    for (int GridCol : EditableGridColumns) {
      Field.SetCell(Day, ModelColumnOfGridColumn(GridCol), CleanText(GridText(Day, GridCol)));
    }
    Field.SetCell(Day, SovCol::GrowthStage, StageCode(FStageCodes[size_t(Day - 1)]));
  }
}

bool TMainForm::DataHasChanged() const {
  if (!FFieldData) return false;
  const TSovSchedule& Field = *FFieldData;
  for (const TFieldBinding& Binding : FBindings) {
    if (auto* Edit = qobject_cast<QLineEdit*>(Binding.Control)) {
      if (CleanText(Edit->text()) != Field.GetCell(0, Binding.Col)) return true;
    } else if (auto* Combo = qobject_cast<QComboBox*>(Binding.Control)) {
      if (KeepsHeldName(Combo, Binding.Col)) continue;
      if (!Field.HeldName(0, Binding.Col).isEmpty()) return true;
      const int Index = std::max(Combo->currentIndex(), 0);
      if (Binding.Col == SovCol::Location && Index != Field.Location()) return true;
      if (Binding.Col == SovCol::Crop && Index != Field.Crop()) return true;
      if (Binding.Col == SovCol::PreviousCrop && Index != Field.PreviousCrop()) return true;
    } else if (auto* Check = qobject_cast<QCheckBox*>(Binding.Control)) {
      const bool Held = Binding.Col == SovCol::IsMetric ? Field.IsMetric() : Field.IsCoastal();
      if (Check->isChecked() != Held) return true;
    }
  }
  for (int Day = 1; Day <= MaxDays; ++Day) {
    for (int GridCol : EditableGridColumns) {
      if (CleanText(GridText(Day, GridCol)) != Field.GetCell(Day, ModelColumnOfGridColumn(GridCol))) return true;
    }
    if (FStageCodes[size_t(Day - 1)] != StageCodeIndex(Field.GetCell(Day, SovCol::GrowthStage))) return true;
  }
  return false;
}

void TMainForm::ViewMapBtnClick() {
  EraseStatusBarHint();
  const int Location = std::max(FLocationCombo->currentIndex(), 0);
  if (Location <= 0 || !FLookup || Location > FLookup->LocationCount()) {
    Message(TMsgDlgType::Error, QStringLiteral("\nNo ") + LabelCaption(SovCol::Location) + QStringLiteral(" selected.\n"));
    FLocationCombo->setFocus();
    return;
  }
  const bool IsUS = FFieldData->IsUSLocation(Location);
  const bool Metric = FMetricCheckBox->isChecked();
  double Latitude = 0, Longitude = 0;
  for (int Col : {SovCol::Latitude, SovCol::Longitude}) {
    auto* Edit = Col == SovCol::Latitude ? FLatitudeEdit : FLongitudeEdit;
    double& Value = Col == SovCol::Latitude ? Latitude : Longitude;
    if (!TSovFile::IsValidNumber(Edit->text(), Col, Metric, IsUS, FEnv.UserFormat, 0, Value)) {
      Message(TMsgDlgType::Error, QStringLiteral("\n") + LabelCaption(Col) + QStringLiteral(" is missing or invalid.\n"));
      Edit->setFocus();
      return;
    }
  }
  const TFormatSettings Dot = FileFormatSettings();
  QString Target;
  if (IsUS) {
    Target = SoilMapHost + QStringLiteral("/nrcsdata/interactivemaponly.asp?t=state&state=") +
             QString::fromLatin1(QUrl::toPercentEncoding(FLookup->Location(Location).State)) +
             QStringLiteral("&bbox=") + FormatFixed(Latitude - 0.01, 3, Dot) + QLatin1Char(',') +
             FormatFixed(Longitude - 0.01, 3, Dot) + QLatin1Char(',') + FormatFixed(Latitude + 0.01, 3, Dot) +
             QLatin1Char(',') + FormatFixed(Longitude + 0.01, 3, Dot);
  } else {
    Target = WorldMapHost + QStringLiteral("/maps?hl=en&ie=UTF8&ll=") + FormatFixed(Latitude, 4, Dot) +
             QLatin1Char(',') + FormatFixed(Longitude, 4, Dot) + QStringLiteral("&spn=0.02,0.02&om=1&f=d");
  }
  OpenWebPage(this, Target);
  DisplayStatusBarFocusHint();
}

void TMainForm::DataNotebookChange(int Index) {
  if (FDataNotebook->widget(Index) != FWeatherPage || !FFieldData) return;
  if (DatesOkay()) SetGridDates();
}

// ===========================================================================
// Weather grid
// ===========================================================================

QString TMainForm::GridText(int Day, int Col) const {
  if (Day < 1 || Day > MaxDays || Col < 0 || Col >= WthCol::Count) return QString();
  const QTableWidgetItem* Item = FWeatherGrid->item(Day - 1, Col);
  return Item ? Item->text() : QString();
}

QString TMainForm::WeatherGridCell(int Row, int Col) const {
  if (Row == 0 || Row == 1) {
    const QTableWidgetItem* Header = Col >= 0 && Col < WthCol::Count ? FWeatherGrid->horizontalHeaderItem(Col) : nullptr;
    return Header ? Header->text().section(QLatin1Char('\n'), Row, Row) : QString();
  }
  return GridText(Row - 1, Col);
}

void TMainForm::SetGridText(int Day, int Col, const QString& Text) {
  if (Day < 1 || Day > MaxDays || Col < 0 || Col >= WthCol::Count) return;
  if (QTableWidgetItem* Item = FWeatherGrid->item(Day - 1, Col)) Item->setText(Text);
}

int TMainForm::CurrentDay() const {
  const int Row = FWeatherGrid->currentRow();
  return Row >= 0 && Row < MaxDays ? Row + 1 : 0;
}

void TMainForm::SetCurrentDay(int Day) {
  if (Day < 1 || Day > MaxDays) return;
  FWeatherGrid->setCurrentIndex(FWeatherGrid->ValueCellFor(Day - 1, WthCol::Day));
}

TMainForm::TSeason TMainForm::ReadSeason() const {
  TSeason S;
  if (!FFieldData || !FLookup) return S;
  const TFormatSettings& Format = FEnv.UserFormat;
  if (!TSovFile::IsValidDate(FStartDateEdit->text(), SovCol::StartingDate, 0, Format, S.Start)) S.Start = QDate();
  if (!TSovFile::IsValidDate(FEmergeDateEdit->text(), SovCol::EmergenceDate, 0, Format, S.Emergence))
    S.Emergence = QDate();
  if (S.Start.isValid() && S.Emergence.isValid() && S.Emergence >= S.Start) {
    // Beyond a few years the crop cannot show in the grid; the cap keeps sums small.
    S.EmergeDay = int(std::min<qint64>(S.Start.daysTo(S.Emergence), 10 * MaxDays));
  }
  if (!TryStrToInt(CleanText(FSeasonEdit->text()), S.Season)) S.Season = 0;
  S.Crop = std::max(FCropCombo->currentIndex(), 0);
  // The crop of the list, not the one last stored in the field.
  TSovFile Probe(*FLookup, FEnv.UserFormat);
  Probe.SetCrop(S.Crop);
  S.PlantingOffset = Probe.DaysFromPlanting(S.Crop, 0);
  if (S.Season > 0) S.SeasonDays = Probe.TotalSeasonDays(S.Crop, S.Season);
  if (S.EmergeDay >= 0 && S.Season > 0) S.EndDay = S.SeasonDays + S.EmergeDay - S.PlantingOffset;
  return S;
}

void TMainForm::SetGridDates() {
  if (!FFieldData || !FLookup) return;
  const TSeason S = ReadSeason();
  const TFormatSettings DateFormat = ScreenDateFormat(FEnv.UserFormat);

  std::array<QString, MaxDays + 1> Codes;
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    const int Day = FFieldData->GetCellInt(Slot, SovCol::EvDay);
    const QString Code = EventCode(FFieldData->GetCellInt(Slot, SovCol::EvCode));
    if (Day >= 1 && Day <= MaxDays && !Code.isEmpty()) Codes[size_t(Day)] += Code;
  }
  std::optional<TCropCalendar> Calendar;
  if (S.EmergeDay >= 0 && S.Crop > 0 && S.SeasonDays > 0) {
    Calendar.emplace(*FLookup, S.Crop, S.SeasonDays, std::span<const int>(FStageCodes), S.EmergeDay, S.PlantingOffset);
  }
  for (int Day = 1; Day <= MaxDays; ++Day) {
    SetGridText(Day, WthCol::Day, QString::number(Day));
    SetGridText(Day, WthCol::Date,
                S.Start.isValid() ? QStringLiteral(" ") + FormatDate(QStringLiteral("mmm d"), S.Start.addDays(Day - 1), DateFormat)
                                  : QString());
    QString Stage;
    if (Day > S.EmergeDay && Day <= S.EndDay) {
      const int Index = Calendar ? Calendar->StageOfDay(Day - S.EmergeDay + S.PlantingOffset) : 0;
      Stage = StageName(Index);
      if (FStageCodes[size_t(Day - 1)] != 0) Stage += QLatin1Char('*');
    }
    const QString& DayCodes = Codes[size_t(Day)];
    SetGridText(Day, WthCol::Stage, DayCodes.isEmpty() ? Stage : DayCodes + QStringLiteral(" / ") + Stage);
  }
}

void TMainForm::ShiftGridData(int Shift) {
  if (!FFieldData) return;
  Shift = std::clamp(Shift, -MaxDays, MaxDays);
  auto Source = [Shift](int Day) { return Day - Shift; };
  for (int GridCol : EditableGridColumns) {
    std::array<QString, MaxDays + 1> Old;
    for (int Day = 1; Day <= MaxDays; ++Day) Old[size_t(Day)] = GridText(Day, GridCol);
    for (int Day = 1; Day <= MaxDays; ++Day) {
      const int From = Source(Day);
      SetGridText(Day, GridCol, From >= 1 && From <= MaxDays ? Old[size_t(From)] : QString());
    }
  }
  const std::array<int, MaxDays> OldStages = FStageCodes;
  for (int Day = 1; Day <= MaxDays; ++Day) {
    const int From = Source(Day);
    FStageCodes[size_t(Day - 1)] = From >= 1 && From <= MaxDays ? OldStages[size_t(From - 1)] : 0;
  }
  TGridStartDate::ShiftEvents(*FFieldData, Shift);
  GetFormData();
  SetGridDates();
}

void TMainForm::WeatherGridMouseDown(QMouseEvent* Event) {
  const QModelIndex Index = FWeatherGrid->indexAt(Event->position().toPoint());
  FWeatherGrid->setFocus();
  if (!Index.isValid()) return;
  SetCurrentDay(Index.row() + 1);
  if (Event->button() == Qt::RightButton) {
    EnableStageCmds();
    FRowMenu->popup(Event->globalPosition().toPoint());
  }
}

void TMainForm::EnableStageCmds() {
  for (QAction* Action : FStageActions) Action->setEnabled(false);
  const int Day = CurrentDay();
  if (Day == 0 || !FFieldData || !FLookup) return;
  const TSeason S = ReadSeason();
  if (S.Crop <= 0 || !S.Start.isValid() || !S.Emergence.isValid() || S.EmergeDay < 0 || S.EmergeDay >= Day ||
      S.Season <= 0)
    return;
  const TCropCalendar Calendar(*FLookup, S.Crop, S.SeasonDays, std::span<const int>(FStageCodes), S.EmergeDay,
                               S.PlantingOffset);
  auto StageOf = [&](int D) { return Calendar.StageOfDay(D - S.EmergeDay + S.PlantingOffset); };
  int Stage = StageOf(Day);
  if (Stage == StageFrozen || Stage == StageSnow) {
    // The crop stage to offer after frozen or snow-covered ground.
    int Found = 0;
    for (int D = Day; D <= 2; ++D) {
      const int Other = StageOf(D);
      if (Other != StageFrozen && Other != StageSnow) {
        Found = Other;
        break;
      }
    }
    Stage = Found != 0 ? Found : StageInit;
    if (Stage >= StageInit && Stage <= StageLate) FStageActions[size_t(Stage)]->setEnabled(true);
  } else {
    if (Stage >= StageDev && Stage <= StageLate) FStageActions[size_t(Stage)]->setEnabled(true);
    if (Stage >= StageInit && Stage <= StageMid) FStageActions[size_t(Stage + 1)]->setEnabled(true);
  }
  const bool NewYear = S.Start.year() < S.Start.addDays(S.Season).year();
  FStageActions[StageFrozen]->setEnabled(NewYear);
  FStageActions[StageSnow]->setEnabled(NewYear);
  FStageActions[0]->setEnabled(FStageCodes[size_t(Day - 1)] != 0);
}

void TMainForm::StageCmdClick(int Tag) {
  const int Day = CurrentDay();
  if (Day == 0 || Tag < 0 || Tag > StageCodeCount) return;
  FStageCodes[size_t(Day - 1)] = Tag;
  if (Tag != 0) {
    // A mark repeated by the nearest mark before it (or, with none before, after it)
    // is dropped there.
    bool Earlier = false;
    for (int D = Day - 1; D >= 1; --D) {
      int& Mark = FStageCodes[size_t(D - 1)];
      if (Mark != 0) {
        if (Mark == Tag) Mark = 0;
        Earlier = true;
        break;
      }
    }
    if (!Earlier) {
      for (int D = Day + 1; D <= MaxDays; ++D) {
        int& Mark = FStageCodes[size_t(D - 1)];
        if (Mark != 0) {
          if (Mark == Tag) Mark = 0;
          break;
        }
      }
    }
  }
  SetGridDates();
}

void TMainForm::EventCmdClick(int EventCode) {
  QDate Start;
  if (!TSovFile::IsValidDate(FStartDateEdit->text(), SovCol::StartingDate, 0, FEnv.UserFormat, Start)) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + LabelCaption(SovCol::StartingDate) +
                                    QStringLiteral(" is missing or invalid."));
    FDataNotebook->setCurrentWidget(FFieldPage);
    FStartDateEdit->setFocus();
    return;
  }
  const int Day = CurrentDay();
  if (Day == 0 || !FFieldData || !EventEditorFunc) return;
  const int Location = std::max(FLocationCombo->currentIndex(), 0);
  if (EventEditorFunc(this, EventCode, Day, Start, FMetricCheckBox->isChecked(), FFieldData->IsUSLocation(Location),
                      *FFieldData)) {
    FModified = true;
    SetGridDates();
  }
}

void TMainForm::FertAppEventCmdClick() { EventCmdClick(1); }
void TMainForm::NitrateEventCmdClick() { EventCmdClick(2); }
void TMainForm::ManureAppEventCmdClick() { EventCmdClick(3); }
void TMainForm::ResidueEventCmdClick() { EventCmdClick(4); }

void TMainForm::ClearWthBtnClick() {
  EraseStatusBarHint();
  ClearFormWeatherData();
  DisplayStatusBarFocusHint();
}

void TMainForm::ClearFormWeatherData() {
  if (Message(TMsgDlgType::Confirmation,
              QStringLiteral("\nAre you sure you want to clear (blank) all of your weather data?\n"),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
    return;
  for (int Day = 1; Day <= MaxDays; ++Day) {
    for (int GridCol : EditableGridColumns) SetGridText(Day, GridCol, QString());
  }
  FStageCodes.fill(0);
  SetGridDates();
}

void TMainForm::FocusGridCell(int Day, int Col) {
  FDataNotebook->setCurrentWidget(FWeatherPage);
  FWeatherGrid->setFocus();
  if (Day < 1 || Day > MaxDays) return;
  const QModelIndex Cell = FWeatherGrid->ValueCellFor(Day - 1, Col);
  // The row goes to the top unless it is already in sight (asked before the cell is made
  // current, which would scroll it into sight at the bottom).
  const bool InSight = FWeatherGrid->viewport()->rect().contains(FWeatherGrid->visualRect(Cell));
  FWeatherGrid->setCurrentIndex(Cell);
  if (!InSight) FWeatherGrid->scrollTo(Cell, QAbstractItemView::PositionAtTop);
}

// ===========================================================================
// File commands and calculation
// ===========================================================================

QString TMainForm::FileFilter() const {
  return FVersionInfo.ProductName + QStringLiteral(" Data (*") + FileExtension + QStringLiteral(")");
}

QMessageBox::StandardButton TMainForm::Message(TMsgDlgType Type, const QString& Text,
                                               QMessageBox::StandardButtons Buttons) {
  return MessageDlg(this, Text, Type, Buttons);
}

void TMainForm::NewBtnClick() {
  EraseStatusBarHint();
  if (OkayToAbandonData()) {
    InitNewFile();
    SetFormData();
  }
  DisplayStatusBarFocusHint();
}

void TMainForm::OpenBtnClick() {
  EraseStatusBarHint();
  if (OkayToAbandonData() && LoadFile(QString())) SetFormData();
  DisplayStatusBarFocusHint();
}

void TMainForm::ReopenBtnClick() {
  EraseStatusBarHint();
  if (OkayToAbandonData()) {
    TReopenFileDlg Dialog(this);
    Dialog.SetFiles(FRecentFiles);
    if (ExecDialog(Dialog) == QDialog::Accepted && LoadFile(Dialog.SelectedFile())) SetFormData();
  }
  DisplayStatusBarFocusHint();
}

void TMainForm::SaveBtnClick() {
  EraseStatusBarHint();
  SaveToFile(true);
  DisplayStatusBarFocusHint();
}

void TMainForm::SaveAsBtnClick() {
  EraseStatusBarHint();
  SaveToFile(false);
  DisplayStatusBarFocusHint();
}

void TMainForm::HelpBtnClick() { ShowHelpContext(HelpContext::Contents, this); }

void TMainForm::ExitBtnClick() { close(); }

bool TMainForm::LoadFile(const QString& FileName) {
  if (!FLookup) return false;
  QString Name = FileName;
  if (Name.isEmpty()) {
    Name = FileDialogFunc ? FileDialogFunc(this, false, QStringLiteral("Open Data File"), QString(), FileFilter())
                          : QString();
    if (Name.isEmpty()) return false;
  }
  Name = QFileInfo(Name).absoluteFilePath();
  if (!SameTextAscii(QLatin1Char('.') + QFileInfo(Name).suffix(), FileExtension)) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + Name + QStringLiteral(" does not have a ") +
                                    QStringLiteral("valid file extension (") + FileExtension + QStringLiteral(").\n"));
    return false;
  }
  auto NewField = std::make_unique<TSovSchedule>(*FLookup, FEnv.UserFormat);
  QString Msg;
  bool Loaded = false;
  {
    TBusyCursor Busy;
    Loaded = NewField->LoadFromFile(Name, Msg);
  }
  if (!Loaded) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + Msg + QStringLiteral("\n"));
    return false;
  }
  FFieldData = std::move(NewField);
  FModified = false;
  AddMRUFile(FFieldData->FileName());
  if (!Msg.isEmpty()) Message(TMsgDlgType::Warning, QStringLiteral("\n") + Msg + QStringLiteral("\n"));
  return true;
}

bool TMainForm::SaveToFile(bool UseCurrentName) {
  if (!FFieldData) return false;
  if (!DatesOkay()) return false;
  // A starting date that does not read would lose the date the weather days begin on,
  // and the next date typed would re-date them.
  if (FGridStart.WouldLose(FStartDateEdit->text())) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + LabelCaption(SovCol::StartingDate) +
                                    QStringLiteral(" is missing or invalid.\n\nThe weather days begin on ") +
                                    FGridStart.Text() +
                                    QStringLiteral(": type that date, or the date they are to move to, and save again.\n"));
    FDataNotebook->setCurrentWidget(FFieldPage);
    FStartDateEdit->setFocus();
    return false;
  }
  // The field takes the boxes and the grid once; the dialogs that follow are modal, so
  // nothing changes them before the field is written. A number typed in the user's
  // settings is not saved where the file reads another.
  GetFormData();
  if (!NumbersKeepTheirMeaning()) return false;
  QString Name;
  if (UseCurrentName && !FFieldData->FileName().isEmpty()) {
    Name = FFieldData->FileName();
  } else {
    Name = FileDialogFunc ? FileDialogFunc(this, true, QStringLiteral("Save Data As"), FFieldData->FileName(),
                                           FileFilter())
                          : QString();
    if (Name.isEmpty()) return false;
    Name = QFileInfo(Name).absoluteFilePath();
  }
  // The file takes the new one's place by a rename, which a read-only file would not stop.
  if (IsReadOnlyFile(Name)) {
    Message(TMsgDlgType::Warning, ReadOnlyMessage(Name));
    return false;
  }
  if (!SameTextAscii(QLatin1Char('.') + QFileInfo(Name).suffix(), FileExtension)) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + Name + QStringLiteral(" does not have a ") +
                                    QStringLiteral("valid file extension (") + FileExtension + QStringLiteral(").\n"));
    return false;
  }
  QString Msg;
  bool Saved = false;
  {
    TBusyCursor Busy;
    Saved = FFieldData->SaveToFile(Name, FVersionInfo.FileVersion, Msg);
  }
  if (!Saved) {
    Message(TMsgDlgType::Error, QStringLiteral("\n") + Msg + QStringLiteral("\n"));
    return false;
  }
  FModified = false;
  AddMRUFile(FFieldData->FileName());
  SetTitle();
  return true;
}

bool TMainForm::DatesOkay() {
  if (!FFieldData) return true;
  // The change is measured from the date the grid's days were placed by, which a starting
  // date that did not read has not replaced.
  const QString TypedText = CleanText(FStartDateEdit->text());
  const TGridStartDate::TChange Change = FGridStart.Change(TypedText, *FFieldData);
  if (Change.Question.isEmpty()) return true;
  if (Message(TMsgDlgType::Warning, Change.Question, QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok) {
    // The date goes back, and the grid shows again the dates its days are placed by (a
    // date that did not read may have emptied them).
    FStartDateEdit->setText(FGridStart.Text());
    SetGridDates();
    return false;
  }
  ShiftGridData(Change.Shift);
  FGridStart.Place(TypedText);
  return true;
}

bool TMainForm::ProofFormData(bool FullCheck) {
  if (!FFieldData) return false;
  if (!DatesOkay()) return false;
  GetFormData();
  QString Form;
  int Row = 0, Col = 0;
  if (FFieldData->CheckFieldData(FullCheck, Form, Row, Col)) return true;

  const TValuePlace Place = PlaceOf(Row, Col);
  const qsizetype At = Form.indexOf(QLatin1String("%s"));
  const QString Text = At >= 0 ? Form.left(At) + Place.Name + Form.mid(At + 2) : Form;
  Message(TMsgDlgType::Error, QStringLiteral("\nCan't calculate schedule.\n\n") + Text + QStringLiteral("\n"));
  ShowPlace(Place, Row);
  return false;
}

TMainForm::TValuePlace TMainForm::PlaceOf(int Row, int Col) const {
  TValuePlace Place;
  if (Col >= SovCol::FirstField && Col <= SovCol::LastField) {
    Place.Name = LabelCaption(Col);
    Place.Control = ControlOf(Col);
  } else if (Col >= SovCol::FirstEvent && Col <= SovCol::LastEvent) {
    Place.Name = FFieldData->ColumnName(Col);
    Place.OnGrid = true;
  } else if (Col >= SovCol::FirstHorizon && Col <= SovCol::LastHorizon) {
    Place.Name = QStringLiteral("Soil horizon %1 ").arg(Row) + FFieldData->ColumnName(Col);
  } else {
    for (const TWeatherFailure& Failure : WeatherFailures) {
      if (Failure.Col == Col) {
        Place.Name = QLatin1String(Failure.Name);
        Place.GridCol = Failure.GridCol;
      }
    }
    if (Place.Name.isEmpty()) Place.Name = FFieldData->ColumnName(Col);
    Place.OnGrid = true;
  }
  return Place;
}

void TMainForm::ShowPlace(const TValuePlace& Place, int Row) {
  if (Place.Control) {
    FDataNotebook->setCurrentWidget(FFieldPage);
    Place.Control->setFocus();
  } else if (Place.OnGrid) {
    FocusGridCell(Row, Place.GridCol);
  }
}

bool TMainForm::NumbersKeepTheirMeaning() {
  int Row = 0, Col = 0;
  double FileValue = 0;
  if (!FFieldData->FindNumberReadOtherwise(Row, Col, FileValue)) return true;
  const TValuePlace Place = PlaceOf(Row, Col);
  const QString Text = TrimText(FFieldData->GetCell(Row, Col));
  const QString Where = Row > 0 ? Place.Name + QStringLiteral(" of day %1").arg(Row) : Place.Name;
  Message(TMsgDlgType::Error,
          QStringLiteral("\n%1: %2 is not a number in your number settings, and the file would read it as %3.\n\n"
                         "Type the number with \"%4\" as decimal separator and no thousands separator, and save "
                         "again.\n")
              .arg(Where, Text, FormatGeneral(FileValue, FEnv.UserFormat), QString(FEnv.UserFormat.DecimalSeparator)));
  ShowPlace(Place, Row);
  return false;
}

void TMainForm::CalcBtnClick() {
  EraseStatusBarHint();
  if (ProofFormData(false)) {
    SetGridDates();
    bool Calculated = false;
    try {
      TBusyCursor Busy;
      FFieldData->Calculate();
      Calculated = true;
    } catch (const std::exception& Error) {
      Message(TMsgDlgType::Error, QStringLiteral("\nCan't calculate schedule.\n\n") + QString::fromUtf8(Error.what()) +
                                      QStringLiteral("\n"));
    }
    if (Calculated && PreviewFunc) {
      PreviewFunc(this, *FFieldData, [this](int Row, int Col) { return WeatherGridCell(Row, Col); });
    }
  }
  DisplayStatusBarFocusHint();
}

// ===========================================================================
// Weather imports
// ===========================================================================

int TMainForm::ExecDialog(QDialog& Dialog) { return ExecDialogFunc ? ExecDialogFunc(Dialog) : Dialog.exec(); }

TImportCommands TMainForm::Imports() {
  TImportHost Host;
  Host.Parent = this;
  Host.Field = FFieldData.get();
  Host.Lookup = FLookup.get();
  Host.UserFormat = FEnv.UserFormat;
  Host.BoxText = [this](int Col) {
    auto* Edit = qobject_cast<QLineEdit*>(ControlOf(Col));
    return Edit ? Edit->text() : QString();
  };
  Host.SetBoxText = [this](int Col, const QString& Text) {
    if (auto* Edit = qobject_cast<QLineEdit*>(ControlOf(Col))) SetEditText(Edit, Text);
    if (Col == SovCol::WaterHoldingCapacity) FDepthCapacity = Text;  // from the imported horizons
  };
  Host.Location = [this] { return FLocationCombo->currentIndex(); };
  Host.IsMetric = [this] { return FMetricCheckBox->isChecked(); };
  Host.LabelCaption = [this](int Col) { return LabelCaption(Col); };
  Host.FocusValue = [this](int Col) {
    FDataNotebook->setCurrentWidget(FFieldPage);
    if (QWidget* Control = ControlOf(Col)) Control->setFocus();
  };
  Host.GridText = [this](int Day, int Col) { return GridText(Day, Col); };
  Host.SetGridText = [this](int Day, int Col, const QString& Text) { SetGridText(Day, Col, Text); };
  Host.SetCurrentDay = [this](int Day) { SetCurrentDay(Day); };
  Host.SetModified = [this] { FModified = true; };
  // The days an import writes are placed by the starting date in the box: a date the
  // grid's days are not placed by is settled first (on a new field it becomes theirs).
  Host.SettleStartDate = [this] { return DatesOkay(); };
  TImportCommands Commands(std::move(Host));
  Commands.ExecDialogFunc = [this](QDialog& Dialog) { return ExecDialog(Dialog); };
  Commands.FileDialogFunc = ImportFileDialogFunc;
  Commands.WebHosts = WebHosts;
  Commands.WebHttpOptions = WebHttpOptions;
  Commands.ServiceAddresses = ServiceAddresses;
  Commands.ServiceOptions = ServiceOptions;
  return Commands;
}

void TMainForm::ImportSoil() { Imports().ImportSoil(); }
void TMainForm::ImportWeatherFromFile(bool FromClipboard) { Imports().ImportWeatherFromFile(FromClipboard); }
void TMainForm::ImportWebData() { Imports().ImportWebData(); }
void TMainForm::ImportWeatherFromWeb(const QString& SourceID) { Imports().ImportWeatherFromWeb(SourceID); }
void TMainForm::ImportMetosData() { Imports().ImportMetosData(); }
void TMainForm::ImportForecast() { Imports().ImportForecast(); }

void TMainForm::ImportWthFileBtnClick() {
  EraseStatusBarHint();
  ImportWeatherFromFile(false);
  DisplayStatusBarFocusHint();
}

void TMainForm::ImportWthClipboardBtnClick() {
  EraseStatusBarHint();
  ImportWeatherFromFile(true);
  DisplayStatusBarFocusHint();
}

void TMainForm::ImportWthWebDataClick() {
  EraseStatusBarHint();
  ImportWebData();
  DisplayStatusBarFocusHint();
}

// ===========================================================================
// Soil
// ===========================================================================

void TMainForm::ImportSoilBtnClick() {
  EraseStatusBarHint();
  ImportSoil();
  DisplayStatusBarFocusHint();
}

void TMainForm::ViewSoilBtnClick() {
  EraseStatusBarHint();
  if (FFieldData) {
    TViewSoilDlg Dialog(this);
    TViewSoilHost Host;
    Host.IsMetric = FMetricCheckBox->isChecked();
    Host.RootingDepthText = FRootingDepthEdit->text();
    Host.Location = std::max(FLocationCombo->currentIndex(), 0);
    Host.WaterCapacityCaption = LabelCaption(SovCol::WaterHoldingCapacity);
    Host.RootingDepthCaption = LabelCaption(SovCol::RootingDepth);
    Host.SetWaterCapacity = [this](const QString& Text) {
      SetEditText(FWaterCapacityEdit, Text);
      FDepthCapacity = Text;
    };
    Host.SetModified = [this] { FModified = true; };
    Dialog.SetSoilData(*FFieldData, Host);
    ExecDialog(Dialog);
  }
  DisplayStatusBarFocusHint();
}

// ===========================================================================
// Options and about
// ===========================================================================

void TMainForm::OptionsBtnClick() {
  EraseStatusBarHint();
  TOptionsDlg Dialog(this, FPopupHints, FHintsOnStatusBar);
  if (ExecDialog(Dialog) == QDialog::Accepted) SetHintOptions(Dialog.PopupHints(), Dialog.HintsOnStatusBar());
  DisplayStatusBarFocusHint();
}

void TMainForm::AboutBtnClick() {
  EraseStatusBarHint();
  DoAboutDlg();
  DisplayStatusBarFocusHint();
}

void TMainForm::DoAboutDlg() {
  TAboutBox Box(this, FVersionInfo);
  ExecDialog(Box);
}
