// The main window's controls: the field page, the weather page with its grid and row
// menu, the command buttons, built once when the window is made.
#include "SvMain.h"

#include "EditGrid.h"
#include "ListCombo.h"
#include "ShlUtil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace MainFormLayout;

// A button of Form with its help hint; a click runs Slot.
QPushButton* NewCommandButton(TMainForm* Form, QWidget* Parent, const char* Name, const QString& Caption,
                              const QString& Hint, void (TMainForm::*Slot)()) {
  auto* Button = new QPushButton(Caption, Parent);
  Button->setObjectName(QLatin1String(Name));
  Button->setToolTip(Hint);
  QObject::connect(Button, &QPushButton::clicked, Form, Slot);
  return Button;
}

}  // namespace

void TMainForm::CreateControls() {
  auto* Central = new QWidget(this);
  auto* Layout = new QVBoxLayout(Central);
  Layout->setContentsMargins(6, 6, 6, 4);
  FDataNotebook = new QTabWidget(Central);
  FDataNotebook->setObjectName(QStringLiteral("DataNotebook"));
  FFieldPage = CreateFieldPage();
  FWeatherPage = CreateWeatherPage();
  FDataNotebook->addTab(FFieldPage, QStringLiteral("Field, Crop && Soil "));
  FDataNotebook->addTab(FWeatherPage, QStringLiteral("Weather && Irrigation "));
  Layout->addWidget(FDataNotebook, 1);
  Layout->addWidget(CreateCommandButtons());
  setCentralWidget(Central);

  FStatusBarHint = new QLabel(this);
  FStatusBarHint->setObjectName(QStringLiteral("StatusBarHint"));
  statusBar()->addWidget(FStatusBarHint, 1);
  statusBar()->setSizeGripEnabled(false);

  connect(FDataNotebook, &QTabWidget::currentChanged, this, &TMainForm::DataNotebookChange);
  CreateRowMenu();
}

QWidget* TMainForm::CreateFieldPage() {
  auto* Page = new QWidget;
  Page->setObjectName(QStringLiteral("FieldPage"));
  SetHelpContext(Page, HelpContext::FieldPage);
  auto* Grid = new QGridLayout(Page);
  Grid->setHorizontalSpacing(6);
  Grid->setVerticalSpacing(4);
  Grid->setColumnMinimumWidth(3, 12);
  Grid->setColumnStretch(3, 1);
  // The longest caption of the right half, with the label's own margins.
  Grid->setColumnMinimumWidth(4, QLabel(QStringLiteral("Water Holding Capacity"), Page).minimumSizeHint().width() + 6);

  auto MakeLabel = [Page](const char* Name, const QString& Caption) {
    auto* Label = new QLabel(Caption, Page);
    Label->setObjectName(QLatin1String(Name));
    Label->setMinimumWidth(Label->minimumSizeHint().width());  // never cut
    return Label;
  };
  auto MakeUnits = [Page](const char* Name, const QString& Caption) {
    auto* Label = new QLabel(Caption, Page);
    Label->setObjectName(QLatin1String(Name));
    Label->setMinimumWidth(64);
    return Label;
  };
  // A text box with its label (and units) in row Row of the half Half (0 left, 1 right).
  auto AddEdit = [&](int Half, int Row, int Col, const char* Name, const char* LabelName, const QString& Caption,
                     int MaxLength, int Width, const QString& Hint, QLabel* Units) {
    auto* Edit = new QLineEdit(Page);
    Edit->setObjectName(QLatin1String(Name));
    Edit->setMaxLength(MaxLength);
    Edit->setProperty(DesignedMaxLength, MaxLength);
    Edit->setToolTip(Hint);
    if (Width > 0) Edit->setFixedWidth(Width);
    QLabel* Label = MakeLabel(LabelName, Caption);
    Label->setBuddy(Edit);
    const int C = Half * 4;
    Grid->addWidget(Label, Row, C);
    if (Width > 0) {
      Grid->addWidget(Edit, Row, C + 1, Qt::AlignLeft);
      if (Units) Grid->addWidget(Units, Row, C + 2);
    } else {
      Grid->addWidget(Edit, Row, C + 1, 1, 2);
    }
    FBindings.push_back({Col, Label, Edit});
    return Edit;
  };
  auto AddCombo = [&](int Half, int Row, int Col, const char* Name, const char* LabelName, const QString& Caption,
                      int Lines, const QString& Hint) {
    auto* Combo = new TListCombo(Page);
    Combo->setObjectName(QLatin1String(Name));
    Combo->setMaxVisibleItems(Lines);
    Combo->setToolTip(Hint);
    Combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo->setMinimumContentsLength(20);
    QLabel* Label = MakeLabel(LabelName, Caption);
    Label->setBuddy(Combo);
    Grid->addWidget(Label, Row, Half * 4);
    Grid->addWidget(Combo, Row, Half * 4 + 1, 1, 2, Qt::AlignLeft);
    FBindings.push_back({Col, Label, Combo});
    return Combo;
  };
  // A units label followed by a button in one cell.
  auto UnitsAndButton = [&](int Half, int Row, QLabel* Units, QPushButton* Button) {
    auto* Box = new QHBoxLayout;
    Box->setSpacing(6);
    if (Units) Box->addWidget(Units);
    // The button keeps room for its whole caption.
    Button->setMinimumWidth(Button->minimumSizeHint().width());
    Box->addWidget(Button);
    Box->addStretch(1);
    Grid->addLayout(Box, Row, Half * 4 + 2);
  };

  const int DateWidth = 90, NumberWidth = 70, NameWidth = 200;
  // Left half: the field and the crop.
  int Row = 0;
  FFarmNameEdit = AddEdit(0, Row++, SovCol::FarmName, "FarmNameEdit", "FarmNameLbl", QStringLiteral("Farm Name"), 25,
                          NameWidth, QStringLiteral("Enter the name of the farm."), nullptr);
  AddEdit(0, Row++, SovCol::FieldName, "FieldNameEdit", "FieldNameLbl", QStringLiteral("Field Name"), 25, NameWidth,
          QStringLiteral("Enter a name or ID for the field."), nullptr);
  FLocationCombo = AddCombo(0, Row++, SovCol::Location, "LocationCombo", "LocationLbl", QStringLiteral("Location"),
                            15, QStringLiteral("Select the location that best describes the field's location."));
  {
    FCoastalCheckBox = new QCheckBox(QStringLiteral("Coastal"), Page);
    FCoastalCheckBox->setObjectName(QStringLiteral("CoastalCheckBox"));
    FCoastalCheckBox->setToolTip(
        QStringLiteral("Check this box if the field's location is strongly influenced by a large water body."));
    FMetricCheckBox = new QCheckBox(QStringLiteral("Metric Units"), Page);
    FMetricCheckBox->setObjectName(QStringLiteral("MetricCheckBox"));
    FMetricCheckBox->setToolTip(QStringLiteral("Check this box if the field's data are in metric units."));
    auto* Box = new QHBoxLayout;
    Box->addWidget(FCoastalCheckBox);
    Box->addSpacing(24);
    Box->addWidget(FMetricCheckBox);
    Box->addStretch(1);
    Grid->addLayout(Box, Row++, 1, 1, 2);
    FBindings.push_back({SovCol::IsCoastal, nullptr, FCoastalCheckBox});
    FBindings.push_back({SovCol::IsMetric, nullptr, FMetricCheckBox});
    connect(FMetricCheckBox, &QCheckBox::toggled, this, &TMainForm::MetricCheckBoxClick);
  }
  FLatitudeEdit = AddEdit(0, Row++, SovCol::Latitude, "LatitudeEdit", "LatitudeLbl", QStringLiteral("Latitude"), 10,
                          NumberWidth, QStringLiteral("Enter the field's latitude."),
                          MakeUnits("LatitudeUnitsLbl", QStringLiteral("Degrees")));
  FLongitudeEdit = AddEdit(0, Row, SovCol::Longitude, "LongitudeEdit", "LongitudeLbl", QStringLiteral("Longitude"), 10,
                           NumberWidth, QStringLiteral("Enter the field's longitude."), nullptr);
  {
    QPushButton* ViewMap = NewCommandButton(this, Page, "ViewMapBtn", QStringLiteral("View Map"),
                                            QStringLiteral("Launch browser and zoom to location on map."),
                                            &TMainForm::ViewMapBtnClick);
    UnitsAndButton(0, Row++, MakeUnits("LongitudeUnitsLbl", QStringLiteral("Degrees")), ViewMap);
  }
  FElevationUnitsLbl = MakeUnits("ElevationUnitsLbl", QString());
  AddEdit(0, Row++, SovCol::Elevation, "ElevationEdit", "ElevationLbl", QStringLiteral("Elevation"), 5, NumberWidth,
          QStringLiteral("Enter the field's elevation (default=650 ft/200 m)."), FElevationUnitsLbl);
  FCropCombo = AddCombo(0, Row++, SovCol::Crop, "CropCombo", "CropLbl", QStringLiteral("Crop"), 12,
                        QStringLiteral("Select the crop."));
  FEmergeDateUnitsLbl = MakeUnits("EmergeDateUnitsLbl", QString());
  FEmergeDateEdit = AddEdit(0, Row++, SovCol::EmergenceDate, "EmergeDateEdit", "EmergeDateLbl",
                            QStringLiteral("Emergence Date"), 10, DateWidth,
                            QStringLiteral("Enter the crop's emergence date."), FEmergeDateUnitsLbl);
  FSeasonEdit = AddEdit(0, Row++, SovCol::GrowingSeason, "SeasonEdit", "SeasonLbl", QStringLiteral("Growing Season"), 3,
                        NumberWidth, QStringLiteral("Enter the approximate number of days from emergence to maturity."),
                        MakeUnits("SeasonUnitsLbl", QStringLiteral("Days")));
  FYieldUnitsLbl = MakeUnits("YieldUnitsLbl", QString());
  AddEdit(0, Row++, SovCol::ProjectedYield, "YieldEdit", "YieldLbl", QStringLiteral("Projected Yield"), 7, NumberWidth,
          QStringLiteral("Enter the yield you expect to achieve (optional)."), FYieldUnitsLbl);
  FRootingDepthUnitsLbl = MakeUnits("RootingDepthUnitsLbl", QString());
  FRootingDepthEdit = AddEdit(0, Row++, SovCol::RootingDepth, "RootingDepthEdit", "RootingDepthLbl",
                              QStringLiteral("Rooting Depth"), 7, NumberWidth,
                              QStringLiteral("Enter the depth that plant roots penetrate and take up water."),
                              FRootingDepthUnitsLbl);
  connect(FRootingDepthEdit, &QLineEdit::textEdited, this, &TMainForm::RootingDepthChange);
  AddEdit(0, Row++, SovCol::MinimumMoisture, "MinMoisEdit", "MinMoisLbl", QStringLiteral("Minimum Moisture"), 3,
          NumberWidth,
          QStringLiteral("Enter the soil profile's moisture content at which irrigation should begin (default=60)."),
          MakeUnits("MinMoisUnitsLbl", QStringLiteral("%")));
  FPrevCropCombo = AddCombo(0, Row++, SovCol::PreviousCrop, "PrevCropCombo", "PrevCropLbl",
                            QStringLiteral("Previous Crop"), 12, QStringLiteral("Select the previous crop."));

  // Right half: the soil and the schedule.
  Row = 0;
  FSurveyEdit = AddEdit(1, Row, SovCol::SurveySymbol, "SurveyEdit", "SurveyLbl", QStringLiteral("Soil Survey Symbol"),
                        5, NumberWidth, QStringLiteral("Enter the soil survey symbol."), nullptr);
  UnitsAndButton(1, Row++, nullptr,
                 NewCommandButton(this, Page, "ImportSoilBtn", QStringLiteral("Import Soil"),
                                  QStringLiteral("Import soil data from Soil Data Mart Web service."),
                                  &TMainForm::ImportSoilBtnClick));
  FMapUnitEdit = AddEdit(1, Row++, SovCol::MapUnitSymbol, "MapUnitEdit", "MapUnitLbl",
                         QStringLiteral("Soil Map Unit Symbol"), 6, NumberWidth,
                         QStringLiteral("Enter the soil map unit symbol."), nullptr);
  FCompNameEdit = AddEdit(1, Row++, SovCol::ComponentName, "CompNameEdit", "CompNameLbl",
                          QStringLiteral("Soil Component Name"), 60, 0, QStringLiteral("Enter the soil component name."),
                          nullptr);
  FWaterCapacityUnitsLbl = MakeUnits("WaterCapacityUnitsLbl", QString());
  FWaterCapacityEdit = AddEdit(1, Row, SovCol::WaterHoldingCapacity, "WaterCapacityEdit", "WaterCapacityLbl",
                               QStringLiteral("Water Holding Capacity"), 7, NumberWidth,
                               QStringLiteral("Enter the soil profile's water holding capacity."), nullptr);
  UnitsAndButton(1, Row++, FWaterCapacityUnitsLbl,
                 NewCommandButton(this, Page, "ViewSoilBtn", QStringLiteral("View Soil"),
                                  QStringLiteral("View soil's horizon data."), &TMainForm::ViewSoilBtnClick));
  AddEdit(1, Row++, SovCol::OrganicMatter, "OrganicMatterEdit", "OrganicMatterLbl", QStringLiteral("Organic Matter"), 7,
          NumberWidth, QStringLiteral("Enter the soil's organic matter (default=soil survey surface horizon OM)."),
          MakeUnits("OrganicMatterUnitsLbl", QStringLiteral("%")));
  AddEdit(1, Row++, SovCol::IrrigationEfficiency, "IrrEfficiencyEdit", "IrrEfficiencyLbl",
          QStringLiteral("Irrigation Efficiency"), 3, NumberWidth,
          QStringLiteral("Enter the irrigation equipment's efficiency (default=100)."),
          MakeUnits("IrrEfficiencyUnitsLbl", QStringLiteral("%")));
  AddEdit(1, Row++, SovCol::Notes, "NotesMemo", "NotesLbl", QStringLiteral("Notes"), 250, 0,
          QStringLiteral("Enter any notes for this field or its data."), nullptr);
  AddEdit(1, Row++, SovCol::StartingMoisture, "StartMoisEdit", "StartMoisLbl", QStringLiteral("Starting Moisture"), 3,
          NumberWidth, QStringLiteral("Enter the soil profile's moisture content on the starting date."),
          MakeUnits("StartMoisUnitsLbl", QStringLiteral("%")));
  AddEdit(1, Row++, SovCol::StartingResidue, "StartResidueEdit", "StartResidueLbl", QStringLiteral("Starting Residue"), 3,
          NumberWidth,
          QStringLiteral("Enter the percent of ground covered by residue on the starting date (default=0)."),
          MakeUnits("StartResidueUnitsLbl", QStringLiteral("%")));
  FStartDateUnitsLbl = MakeUnits("StartDateUnitsLbl", QString());
  FStartDateEdit = AddEdit(1, Row++, SovCol::StartingDate, "StartDateEdit", "StartDateLbl",
                           QStringLiteral("Starting Date"), 10, DateWidth,
                           QStringLiteral("Enter the starting date for the schedule's weather data."), FStartDateUnitsLbl);
  FCalcDateUnitsLbl = MakeUnits("CalcDateUnitsLbl", QString());
  AddEdit(1, Row++, SovCol::CalculationDate, "CalcDateEdit", "CalcDateLbl", QStringLiteral("Calculation Date"), 10,
          DateWidth, QStringLiteral("Enter the date for which the schedule should be calculated."), FCalcDateUnitsLbl);
  {
    QPushButton* Calc = NewCommandButton(this, Page, "CalcBtn", QStringLiteral("Calculate"),
                                         QStringLiteral("Calculate a schedule using the current data."),
                                         &TMainForm::CalcBtnClick);
    Calc->setMinimumWidth(110);
    Grid->addWidget(Calc, Row + 1, 5, 1, 2, Qt::AlignLeft);
  }
  Grid->setRowStretch(15, 1);

  // The binding is walked in column order.
  std::stable_sort(FBindings.begin(), FBindings.end(),
                   [](const TFieldBinding& A, const TFieldBinding& B) { return A.Col < B.Col; });
  return Page;
}

QWidget* TMainForm::CreateWeatherPage() {
  auto* Page = new QWidget;
  Page->setObjectName(QStringLiteral("WeatherPage"));
  SetHelpContext(Page, HelpContext::WeatherPage);
  auto* Layout = new QVBoxLayout(Page);

  FWeatherGrid = new TEditGrid(MaxDays, WthCol::Count, Page);
  FWeatherGrid->setObjectName(QStringLiteral("WeatherGrid"));
  FWeatherGrid->setToolTip(QStringLiteral(
      "Enter the field's daily weather and irrigation data; right-click Stage column to enter events."));
  FWeatherGrid->verticalHeader()->hide();
  FWeatherGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FWeatherGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FWeatherGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  FWeatherGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
  FWeatherGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
  FWeatherGrid->setTabKeyNavigation(true);
  FWeatherGrid->setWordWrap(false);
  FWeatherGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FWeatherGrid->horizontalHeader()->setHighlightSections(false);
  FWeatherGrid->horizontalHeader()->setStretchLastSection(true);  // notes reach the scroll bar
  FWeatherGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FWeatherGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // A header click makes that column current instead of selecting it (see eventFilter).
  FWeatherGrid->horizontalHeader()->viewport()->installEventFilter(this);
  const QBrush FixedBrush = FWeatherGrid->palette().brush(QPalette::Button);
  for (int Row = 0; Row < MaxDays; ++Row) {
    for (int Col = 0; Col < WthCol::Count; ++Col) {
      auto* Item = new QTableWidgetItem;
      if (Col < WthCol::FirstEditable) {
        Item->setFlags(Qt::ItemIsEnabled);
        Item->setBackground(FixedBrush);
        if (Col == WthCol::Day) Item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      }
      FWeatherGrid->setItem(Row, Col, Item);
    }
  }
  // A click on a day's fixed cells makes the day current and keeps the column.
  FWeatherGrid->SetFixedCells(0, WthCol::FirstEditable, true);
  FWeatherGrid->viewport()->installEventFilter(this);
  Layout->addWidget(FWeatherGrid, 1);

  auto* Buttons = new QHBoxLayout;
  auto Add = [&](const char* Name, const QString& Caption, const QString& Hint, void (TMainForm::*Slot)()) {
    Buttons->addWidget(NewCommandButton(this, Page, Name, Caption, Hint, Slot));
  };
  Add("ImportWthFileBtn", QStringLiteral("Import File"), QStringLiteral("Import weather data from a file."),
      &TMainForm::ImportWthFileBtnClick);
  Add("ImportWthClipboardBtn", QStringLiteral("Import Clipboard"),
      QStringLiteral("Import weather data copied from a web page."), &TMainForm::ImportWthClipboardBtnClick);
  Add("ImportWthWebData", QStringLiteral("Import from Web"), QStringLiteral("Import weather data from a web site."),
      &TMainForm::ImportWthWebDataClick);
  Buttons->addStretch(1);
  Add("ClearWthBtn", QStringLiteral("Clear All"), QStringLiteral("Clear (blank) all of the weather data."),
      &TMainForm::ClearWthBtnClick);
  Layout->addLayout(Buttons);
  return Page;
}

QWidget* TMainForm::CreateCommandButtons() {
  auto* Panel = new QWidget;
  SetHelpContext(Panel, HelpContext::Commands);
  auto* Layout = new QHBoxLayout(Panel);
  Layout->setContentsMargins(0, 4, 0, 0);
  auto Add = [&](const char* Name, const QString& Caption, const QString& Hint, void (TMainForm::*Slot)()) {
    Layout->addWidget(NewCommandButton(this, Panel, Name, Caption, Hint, Slot));
  };
  Add("NewBtn", QStringLiteral("&New"), QStringLiteral("Start a new data file."), &TMainForm::NewBtnClick);
  Add("OpenBtn", QStringLiteral("&Open..."), QStringLiteral("Open an existing data file."), &TMainForm::OpenBtnClick);
  Add("ReopenBtn", QStringLiteral("&Reopen..."), QStringLiteral("Open a recently used data file."),
      &TMainForm::ReopenBtnClick);
  Add("SaveBtn", QStringLiteral("&Save"), QStringLiteral("Save the data to its file."), &TMainForm::SaveBtnClick);
  Add("SaveAsBtn", QStringLiteral("Save &As..."), QStringLiteral("Save the data to a new file."),
      &TMainForm::SaveAsBtnClick);
  Layout->addStretch(1);
  Add("OptionsBtn", QStringLiteral("O&ptions..."), QStringLiteral("Change the program's options."),
      &TMainForm::OptionsBtnClick);
  Add("AboutBtn", QStringLiteral("A&bout..."), QStringLiteral("Show the program's version."), &TMainForm::AboutBtnClick);
  Add("HelpBtn", QStringLiteral("&Help"), QStringLiteral("Show the program's help."), &TMainForm::HelpBtnClick);
  Add("ExitBtn", QStringLiteral("E&xit"), QStringLiteral("Close the program."), &TMainForm::ExitBtnClick);
  return Panel;
}

void TMainForm::CreateRowMenu() {
  FRowMenu = new QMenu(this);
  FRowMenu->setObjectName(QStringLiteral("WeatherGridRowMenu"));
  auto AddStage = [this](const char* Name, const QString& Caption, int Tag) {
    QAction* Action = FRowMenu->addAction(Caption);
    Action->setObjectName(QLatin1String(Name));
    Action->setData(Tag);
    connect(Action, &QAction::triggered, this, [this, Tag] { StageCmdClick(Tag); });
    FStageActions[size_t(Tag)] = Action;
  };
  AddStage("InitStageCmd", QStringLiteral("Initial Growth Stage (<10% green cover)"), 1);
  AddStage("DevStageCmd", QStringLiteral("Development Stage (10% cover reached)"), 2);
  AddStage("MidStageCmd", QStringLiteral("Mid-season Stage (effective cover reached)"), 3);
  AddStage("LateStageCmd", QStringLiteral("Late-season Stage (maturity reached)"), 4);
  FRowMenu->addSeparator();
  AddStage("FrozenStageCmd", QStringLiteral("Frozen Ground"), 5);
  AddStage("SnowStageCmd", QStringLiteral("Snow-Covered Ground"), 6);
  FRowMenu->addSeparator();
  AddStage("DefaultStageCmd", QStringLiteral("Reset Stage to Default"), 0);
  FRowMenu->addSeparator();
  auto AddEvent = [this](const char* Name, const QString& Caption, void (TMainForm::*Slot)()) {
    QAction* Action = FRowMenu->addAction(Caption);
    Action->setObjectName(QLatin1String(Name));
    connect(Action, &QAction::triggered, this, Slot);
  };
  AddEvent("FertAppEventCmd", QStringLiteral("Fertilizer Application..."), &TMainForm::FertAppEventCmdClick);
  AddEvent("NitrateEventCmd", QStringLiteral("Irrigation Water Nitrate..."), &TMainForm::NitrateEventCmdClick);
  AddEvent("ManureAppEventCmd", QStringLiteral("Manure Application..."), &TMainForm::ManureAppEventCmdClick);
  AddEvent("ResidueEventCmd", QStringLiteral("Residue Cover..."), &TMainForm::ResidueEventCmdClick);
}

void TMainForm::LayOutWeatherGrid() {
  // Twelve equal units across the grid: the day column takes half of one, the notes
  // three and a half, the eight others one each.
  const int Available = ClientWidth - 40 - FWeatherGrid->verticalScrollBar()->sizeHint().width();
  const int Unit = Available / 12;
  for (int Col = 0; Col < WthCol::Count; ++Col) FWeatherGrid->setColumnWidth(Col, Unit);
  FWeatherGrid->setColumnWidth(WthCol::Day, Unit / 2);
  FWeatherGrid->setColumnWidth(WthCol::Notes, Unit * 7 / 2);
  FWeatherGrid->verticalHeader()->setDefaultSectionSize(FWeatherGrid->fontMetrics().height() + 6);
  static const char* const Row0[WthCol::Count] = {"Day",    "   Date",   "  Stage /", "   Temp",     "   Temp",
                                                  "   Wind", " Humidity", "  Precip",  " Irrigation", "                       Notes"};
  for (int Col = 0; Col < WthCol::Count; ++Col) {
    QString Text = QLatin1String(Row0[Col]) + QLatin1Char('\n');
    if (Col == WthCol::Stage) Text += QStringLiteral("  Events");
    if (Col == WthCol::Humidity) Text += QStringLiteral("     (%)");
    auto* Header = new QTableWidgetItem(Text);
    Header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FWeatherGrid->setHorizontalHeaderItem(Col, Header);
  }
}
