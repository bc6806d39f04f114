#include "SvPrev.h"

#include "ShlUtil.h"
#include "SovToExcel.h"

#include "MiscUtil.h"
#include "MsgDlg.h"
#include "PrnFile.h"
#include "SovAdvice.h"
#include "SovSched.h"
#include "Version.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr int HeaderRows = 2;
constexpr int DesignedWidth = 920;
constexpr int DesignedHeight = 478;
constexpr int DefaultColumnWidth = 63;
constexpr int BarColumn = 9;  // the relative soil moisture, drawn as a bar of signs

// Columns whose cells are numbers padded to the left: shown right-aligned.
bool IsNumberColumn(int Col) { return (Col >= 2 && Col <= 8) || (Col >= 10 && Col <= 12); }
constexpr int SummaryRowCount = 4;
const char* const SummaryLabels[SummaryRowCount] = {"Total", "Average", "Maximum", "Minimum"};
constexpr int SummaryRows[SummaryRowCount] = {TSovSchedule::RowTotal, TSovSchedule::RowAverage,
                                              TSovSchedule::RowMaximum, TSovSchedule::RowMinimum};

// Widths of the report's columns and of its field and summary lines.
constexpr int FieldLabelWidth = 18;
constexpr int FieldValueWidth = 28;
constexpr int FieldRightLabelWidth = 25;
constexpr int NotesWidth = 62;
constexpr int SummaryLabelWidth = 32;
constexpr int SummaryValueWidth = 14;
constexpr int SummaryRightLabelWidth = 36;
// The printed report's left margin in characters and top margin in lines.
constexpr int ReportLeftMargin = 5;
constexpr int ReportTopMargin = 3;

// A whole number with the settings' thousands separator.
QString FormatThousands(double Value, const TFormatSettings& Settings) {
  QString Text = FormatFixed(Value, 0, Settings);
  if (Settings.ThousandSeparator.isNull()) return Text;
  const int First = Text.startsWith(QLatin1Char('-')) ? 1 : 0;
  for (qsizetype Pos = Text.size() - 3; Pos > First; Pos -= 3) Text.insert(Pos, Settings.ThousandSeparator);
  return Text;
}

QString WithoutLeadingBlanks(const QString& Text) {
  qsizetype Start = 0;
  while (Start < Text.size() && Text[Start] == QLatin1Char(' ')) ++Start;
  return Text.mid(Start);
}

QString WithoutTrailingBlanks(const QString& Text) {
  qsizetype End = Text.size();
  while (End > 0 && Text[End - 1] == QLatin1Char(' ')) --End;
  return Text.left(End);
}

// The locale's long time format without its time-zone part.
QString LongTimeText(const QTime& Time) {
  const QLocale Locale = QLocale::system();
  QString Format = Locale.timeFormat(QLocale::LongFormat);
  Format.remove(QLatin1Char('t'));
  return Locale.toString(Time, Format.trimmed());
}

}  // namespace

TReportFieldPage FieldPageOfSchedule(const TSovSchedule& S) {
  const bool Metric = S.IsMetric();
  auto Cell = [&S](int Col) { return S.GetCell(1, Col); };
  auto WithUnits = [&](int Col, const QString& Units) { return Cell(Col) + QStringLiteral(" ") + Units; };
  const TSovLookup& Lookup = S.Lookup();
  const QString Location = S.Location() >= 1 && S.Location() <= Lookup.LocationCount()
                               ? Lookup.Location(S.Location()).Description
                               : QString();
  const QString Crop = S.Crop() >= 1 && S.Crop() <= Lookup.CropCount() ? Lookup.Crop(S.Crop()).Name : QString();
  const QString Percent = QStringLiteral("%");

  TReportFieldPage Page;
  Page.Lines = {{
      {"Farm Name", Cell(SovCol::FarmName), "Soil Survey Symbol", Cell(SovCol::SurveySymbol)},
      {"Field Name", Cell(SovCol::FieldName), "Soil Map Unit Symbol", Cell(SovCol::MapUnitSymbol)},
      {"Location", Location, "Soil Component Name", Cell(SovCol::ComponentName)},
      {"Crop", Crop, "Water Holding Capacity",
       WithUnits(SovCol::WaterHoldingCapacity, TSovFile::UnitsLabel(TUnitKind::Water, Metric))},
      {"Emergence Date", Cell(SovCol::EmergenceDate), "Irrigation Efficiency",
       WithUnits(SovCol::IrrigationEfficiency, Percent)},
      {"Growing Season", WithUnits(SovCol::GrowingSeason, QStringLiteral("Days")), "Starting Moisture",
       WithUnits(SovCol::StartingMoisture, Percent)},
      {"Projected Yield", WithUnits(SovCol::ProjectedYield, TSovFile::UnitsLabel(TUnitKind::Yield, Metric)),
       "Starting Residue", WithUnits(SovCol::StartingResidue, Percent)},
      {"Rooting Depth", WithUnits(SovCol::RootingDepth, TSovFile::UnitsLabel(TUnitKind::RootingDepth, Metric)),
       "Starting Date", Cell(SovCol::StartingDate)},
      {"Minimum Moisture", WithUnits(SovCol::MinimumMoisture, Percent), "Calculation Date",
       Cell(SovCol::CalculationDate)},
  }};
  Page.NotesLabel = QStringLiteral("Notes");
  Page.Notes = Cell(SovCol::Notes);
  return Page;
}

TPreviewDlg::TPreviewDlg(QWidget* Parent)
    : QDialog(Parent),
      FProductName(QStringLiteral(FURROW_PRODUCT_NAME)),
      FProductVersion(QStringLiteral(FURROW_VERSION)),
      FInternalName(QStringLiteral(FURROW_PROGRAM_NAME)) {
  setWindowTitle(QStringLiteral("Preview Schedule"));
  SetHelpContext(this, HelpContext);  // F1 anywhere in the dialog
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  FHeader[0] = QStringList(GridColumns, QString());
  FHeader[1] = QStringList(GridColumns, QString());

  auto MakeLabel = [this](const char* Caption, int Width) {
    auto* Label = new QLabel(QString::fromUtf8(Caption), this);
    Label->setFixedWidth(Width);
    return Label;
  };
  auto MakeBox = [this](int Width) {
    auto* Box = new QLabel(this);
    Box->setMinimumWidth(Width);  // wider when a figure needs it
    Box->setFrameShape(QFrame::StyledPanel);
    Box->setFrameShadow(QFrame::Sunken);
    return Box;
  };
  CalcDateLbl = MakeLabel("Schedule Calculated For", 185);
  CalcDateBox = MakeBox(89);
  EvapotransLbl = MakeLabel("Evapotranspiration Rate", 185);
  EvapotransBox = MakeBox(89);
  SoilMoisLbl = MakeLabel("Soil Profile Moisture Content", 185);
  SoilMoisBox = MakeBox(89);
  GDDLbl = MakeLabel("GDDs Since Emergence", 185);
  GDDBox = MakeBox(89);
  AddSafelyLbl = MakeLabel("Water That Can Be Safely Added", 217);
  AddSafelyBox = MakeBox(73);
  DaysTill1InchLbl = MakeLabel("If No Rain, You Can Add 1 Inch In", 217);
  DaysTill1InchBox = MakeBox(73);
  ExcessH2OLbl = MakeLabel("Excess Water To Date", 217);
  ExcessH2OBox = MakeBox(73);
  IrrInefficiencyLbl = MakeLabel("Inefficiency Loss To Date", 217);
  IrrInefficiencyBox = MakeBox(73);

  PrevGrid = new QTableWidget(0, GridColumns, this);
  PrevGrid->setObjectName(QStringLiteral("PrevGrid"));
  PrevGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PrevGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  PrevGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PrevGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  PrevGrid->verticalHeader()->setVisible(false);
  PrevGrid->verticalHeader()->setDefaultSectionSize(18);
  PrevGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  PrevGrid->horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
  PrevGrid->horizontalHeader()->setStretchLastSection(true);
  PrevGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PrevGrid->setWordWrap(false);

  ChartBtn = new QPushButton(QStringLiteral("&Chart"), this);
  PrintOutputBtn = new QPushButton(QStringLiteral("&Print"), this);
  PrintToTextFileBtn = new QPushButton(QStringLiteral("Print to &Text File"), this);
  PrintToTextFileBtn->setObjectName(QStringLiteral("PrintToTextFileBtn"));
  ExportBtn = new QPushButton(QStringLiteral("&Export"), this);
  HelpBtn = new QPushButton(QStringLiteral("&Help"), this);
  ClosePreviewBtn = new QPushButton(QStringLiteral("&Close"), this);
  for (QPushButton* Button : {ChartBtn, PrintOutputBtn, PrintToTextFileBtn, ExportBtn, HelpBtn, ClosePreviewBtn}) {
    Button->setAutoDefault(false);
  }
  StatusBarHint = new QLabel(this);
  StatusBarHint->setObjectName(QStringLiteral("StatusBarHint"));
  StatusBarHint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StatusBarHint->setFrameShape(QFrame::Panel);
  StatusBarHint->setFrameShadow(QFrame::Sunken);

  SetHint(PrevGrid, QStringLiteral("Browse the daily calculations."));
  SetHint(ChartBtn, QStringLiteral("Chart the schedule with Excel."));
  SetHint(PrintOutputBtn, QStringLiteral("Print the schedule."));
  SetHint(PrintToTextFileBtn, QStringLiteral("Print the schedule to a text file."));
  SetHint(ExportBtn, QStringLiteral("Export the schedule."));
  SetHint(HelpBtn, QStringLiteral("Help for the schedule."));
  SetHint(ClosePreviewBtn, QStringLiteral("Close the Preview window."));

  auto* Summary = new QGridLayout;
  Summary->setHorizontalSpacing(6);
  Summary->setVerticalSpacing(4);
  QLabel* const Left[4][2] = {{CalcDateLbl, CalcDateBox},
                              {EvapotransLbl, EvapotransBox},
                              {SoilMoisLbl, SoilMoisBox},
                              {GDDLbl, GDDBox}};
  QLabel* const Right[4][2] = {{AddSafelyLbl, AddSafelyBox},
                               {DaysTill1InchLbl, DaysTill1InchBox},
                               {ExcessH2OLbl, ExcessH2OBox},
                               {IrrInefficiencyLbl, IrrInefficiencyBox}};
  for (int Row = 0; Row < 4; ++Row) {
    Summary->addWidget(Left[Row][0], Row, 0);
    Summary->addWidget(Left[Row][1], Row, 1);
    Summary->addWidget(Right[Row][0], Row, 3);
    Summary->addWidget(Right[Row][1], Row, 4);
  }
  Summary->setColumnMinimumWidth(2, 60);
  Summary->setColumnStretch(5, 1);

  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  for (QPushButton* Button : {ChartBtn, PrintOutputBtn, PrintToTextFileBtn, ExportBtn, HelpBtn, ClosePreviewBtn}) {
    Buttons->addWidget(Button);
  }

  auto* Main = new QVBoxLayout(this);
  Main->setContentsMargins(8, 8, 8, 2);
  Main->addLayout(Summary);
  Main->addWidget(PrevGrid, 1);
  Main->addLayout(Buttons);
  Main->addWidget(StatusBarHint);
  setFixedSize(DesignedWidth, DesignedHeight);

  connect(PrintOutputBtn, &QPushButton::clicked, this, &TPreviewDlg::PrintOutputBtnClick);
  connect(PrintToTextFileBtn, &QPushButton::clicked, this, &TPreviewDlg::PrintToTextFileBtnClick);
  connect(ExportBtn, &QPushButton::clicked, this, &TPreviewDlg::ExportBtnClick);
  connect(ChartBtn, &QPushButton::clicked, this, &TPreviewDlg::ChartBtnClick);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelpContext(TPreviewDlg::HelpContext, this); });
  connect(ClosePreviewBtn, &QPushButton::clicked, this, &QDialog::reject);
  for (QWidget* Control : std::initializer_list<QWidget*>{PrevGrid, ChartBtn, PrintOutputBtn, PrintToTextFileBtn, ExportBtn,
                                                          HelpBtn, ClosePreviewBtn}) {
    Control->installEventFilter(this);
  }
}

// The controls outlive this part of the dialog and may still report focus changes.
TPreviewDlg::~TPreviewDlg() {
  for (QWidget* Control : findChildren<QWidget*>()) Control->removeEventFilter(this);
}

void TPreviewDlg::SetVersionInfo(const QString& ProductName, const QString& ProductVersion,
                                 const QString& InternalName) {
  FProductName = ProductName;
  FProductVersion = ProductVersion;
  FInternalName = InternalName;
}

void TPreviewDlg::SetHint(QWidget* Control, const QString& Hint) {
  Control->setStatusTip(Hint);
  Control->setToolTip(FPopupHints && !FHintsOnStatusBar ? Hint : QString());
}

void TPreviewDlg::SetHintOptions(bool PopupHints, bool HintsOnStatusBar) {
  FPopupHints = PopupHints;
  FHintsOnStatusBar = HintsOnStatusBar;
  for (QWidget* Control : std::initializer_list<QWidget*>{PrevGrid, ChartBtn, PrintOutputBtn, PrintToTextFileBtn, ExportBtn,
                                                          HelpBtn, ClosePreviewBtn}) {
    SetHint(Control, Control->statusTip());
  }
}

QString TPreviewDlg::UnitsLabel(TUnitKind Kind) const {
  return TSovFile::UnitsLabel(Kind, FSchedule != nullptr && FSchedule->IsMetric());
}

int TPreviewDlg::RowCount() const { return HeaderRows + PrevGrid->rowCount(); }

QString TPreviewDlg::Cell(int Col, int Row) const {
  if (Col < 0 || Col >= GridColumns || Row < 0) return QString();
  if (Row < HeaderRows) return FHeader[size_t(Row)][Col];
  const QTableWidgetItem* Item = PrevGrid->item(Row - HeaderRows, Col);
  return Item != nullptr ? Item->text() : QString();
}

void TPreviewDlg::SetCell(int Col, int Row, const QString& Text) {
  if (Col < 0 || Col >= GridColumns || Row < 0) return;
  if (Row < HeaderRows) {
    FHeader[size_t(Row)][Col] = Text;
    PrevGrid->setHorizontalHeaderItem(
        Col, new QTableWidgetItem(FHeader[0][Col] + QStringLiteral("\n") + FHeader[1][Col]));
    return;
  }
  if (Row - HeaderRows >= PrevGrid->rowCount()) return;
  QTableWidgetItem* Item = PrevGrid->item(Row - HeaderRows, Col);
  if (Item == nullptr) {
    auto* NewItem = new QTableWidgetItem(Text);
    if (IsNumberColumn(Col)) NewItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PrevGrid->setItem(Row - HeaderRows, Col, NewItem);
  } else {
    Item->setText(Text);
  }
}

void TPreviewDlg::SetScheduleData(const TSovSchedule& S, const TGridCellFunc& WeatherGridCell) {
  FSchedule = &S;
  const TFormatSettings& Format = S.UserFormat();
  const int n = S.DayCount();
  const QDate Start = S.StartDate();
  const QDate CalcDate = n > 0 ? Start.addDays(n - 1) : QDate();
  const QString Water = QStringLiteral(" ") + UnitsLabel(TUnitKind::WaterAbbrev);

  // Without the main window's grid: the same columns from the field's cells.
  TGridCellFunc Weather = WeatherGridCell;
  if (!Weather) {
    Weather = [&S](int Row, int Col) -> QString {
      if (Row == 0) return Col == 0 ? QStringLiteral("Day") : Col == 1 ? QStringLiteral("   Date") : QString();
      if (Row < HeaderRows) return QString();
      const int Day = Row - 1;
      switch (Col) {
        case 0:
          return QString::number(Day);
        case 1: {
          const QString Date = FormatDate(QStringLiteral("mmm d"), S.StartDate().addDays(Day - 1), S.UserFormat());
          return Date.isEmpty() ? QString() : QStringLiteral(" ") + Date;
        }
        case 3:
          return S.GetCell(Day, SovCol::MaxTemp);
        case 4:
          return S.GetCell(Day, SovCol::MinTemp);
        default:
          return QString();
      }
    };
  }

  // Summary figures.
  CalcDateBox->setText(FormatDate(QStringLiteral("mmm d, yyyy"), CalcDate, Format));
  EvapotransBox->setText(S.GetCell(n, TSovSchedule::ColETCrop) + Water);
  SoilMoisBox->setText(S.GetCell(n, TSovSchedule::ColSoilMoisture) + Water);
  const TSovAdvice Advice(S);
  if (Advice.GddSinceEmergence) {
    GDDBox->setText(FormatThousands(*Advice.GddSinceEmergence, Format));
  } else {
    GDDBox->clear();
  }
  AddSafelyBox->setText(S.FloatToUserStr(Advice.SafeWater, 2) + Water);
  QString Caption = DaysTill1InchLbl->text();
  const qsizetype AddPos = Caption.indexOf(QStringLiteral("Add "));
  if (AddPos >= 0) Caption = Caption.left(AddPos + 4);
  DaysTill1InchLbl->setText(Caption + QString::number(Advice.Amount) + Water + QStringLiteral(" In"));
  DaysTill1InchBox->setText(Advice.DaysUntilAmount ? QString::number(*Advice.DaysUntilAmount) + QStringLiteral(" days")
                                                   : QStringLiteral("?"));
  ExcessH2OBox->setText(S.GetCell(TSovSchedule::RowTotal, TSovSchedule::ColExcessWater) + Water);
  IrrInefficiencyBox->setText(S.FloatToUserStr(Advice.InefficiencyLoss, 2) + Water);

  // The grid: days in rows 2..n+1, an empty row, then the summary rows.
  PrevGrid->clearContents();
  PrevGrid->setRowCount(n + 7 - HeaderRows);
  for (int Row = 0; Row <= n + 1; ++Row) {
    SetCell(0, Row, Weather(Row, 0));
    SetCell(1, Row, Weather(Row, 1));
    SetCell(2, Row, PadNumberLeft(Weather(Row, 3), 6));
    SetCell(3, Row, PadNumberLeft(Weather(Row, 4), 6));
  }
  for (int i = 0; i < SummaryRowCount; ++i) SetCell(0, n + 3 + i, QString::fromLatin1(SummaryLabels[i]));

  const QString Temp = ScreenText(UnitsLabel(TUnitKind::Temperature));
  const QString Nitrogen = QStringLiteral("(") + UnitsLabel(TUnitKind::MassPerArea) + QStringLiteral(")");
  const QString WaterDepth = QStringLiteral(" (") + UnitsLabel(TUnitKind::WaterAbbrev) + QStringLiteral(")");
  const QString Headers[2][GridColumns - 2] = {
      {" Temp", " Temp", " Precip", " Irrigation", " ET", "Excess ", "Soil Mois", " Soil Moisture",
       " Avail. N", " N Loss", "N Uptake"},
      {"High (" + Temp + ")", "Low (" + Temp + ")", WaterDepth, WaterDepth, WaterDepth,
       "Water (" + UnitsLabel(TUnitKind::WaterShort) + ")", WaterDepth, " (relative)", Nitrogen, Nitrogen, Nitrogen}};
  for (int Row = 0; Row < HeaderRows; ++Row) {
    for (int Col = 2; Col < GridColumns; ++Col) SetCell(Col, Row, Headers[Row][Col - 2]);
  }
  // Weather grid headers of the day and date columns.
  for (int Row = 0; Row < HeaderRows; ++Row) {
    SetCell(0, Row, Weather(Row, 0));
    SetCell(1, Row, Weather(Row, 1));
  }

  auto Pad7 = [&S](int Row, int Col) { return PadNumberLeft(S.GetCell(Row, Col), 7); };
  auto NitrogenText = [&S](double Value) { return PadNumberLeft(S.FloatToUserStr(Value, 0), 6); };
  for (int Day = 1; Day <= n; ++Day) {
    const int Row = Day + 1;
    SetCell(4, Row, Pad7(Day, TSovSchedule::ColPrecip));
    SetCell(5, Row, Pad7(Day, TSovSchedule::ColIrrigation));
    SetCell(6, Row, Pad7(Day, TSovSchedule::ColETCrop));
    SetCell(7, Row, Pad7(Day, TSovSchedule::ColExcessWater));
    SetCell(8, Row, Pad7(Day, TSovSchedule::ColSoilMoisture));
    SetCell(9, Row, S.GetCell(Day, TSovSchedule::ColRelativeMoisture));
    const TSovDayNitrogen N = TSovAdvice::DayNitrogen(S, Day);
    if (N.Available) SetCell(10, Row, NitrogenText(*N.Available));
    if (N.Loss) SetCell(11, Row, NitrogenText(*N.Loss));
    if (N.Uptake) SetCell(12, Row, NitrogenText(*N.Uptake));
  }

  // Summary cells: which summary rows (Total, Average, Maximum, Minimum) each column has.
  struct SummaryColumn {
    int GridCol;
    int ScheduleCol;
    bool Rows[SummaryRowCount];
  };
  const SummaryColumn Columns[] = {
      {2, TSovSchedule::ColMaxTemp, {false, true, true, true}},
      {3, TSovSchedule::ColMinTemp, {false, true, true, true}},
      {4, TSovSchedule::ColPrecip, {true, false, true, true}},
      {5, TSovSchedule::ColIrrigation, {true, false, true, true}},
      {6, TSovSchedule::ColETCrop, {true, true, true, true}},
      {7, TSovSchedule::ColExcessWater, {true, false, true, true}},
      {8, TSovSchedule::ColSoilMoisture, {false, true, true, true}},
  };
  if (n > 0) {
    for (const SummaryColumn& C : Columns) {
      for (int i = 0; i < SummaryRowCount; ++i) {
        if (C.Rows[i]) SetCell(C.GridCol, n + 3 + i, Pad7(SummaryRows[i], C.ScheduleCol));
      }
    }
  }
  FitColumns();
}

void TPreviewDlg::FitColumns() {
  // The designed widths, widened where a header, a summary label or a value needs more
  // room in the fonts at hand.
  const QFontMetrics CellFont(PrevGrid->font());
  const QFontMetrics HeaderFont(PrevGrid->horizontalHeader()->font());
  constexpr int Padding = 10;
  int Total = 0;
  for (int Col = 0; Col < GridColumns; ++Col) {
    int Width = Col == BarColumn ? DefaultColumnWidth * 3 / 2 : DefaultColumnWidth;
    for (int Row = 0; Row < HeaderRows; ++Row) {
      Width = std::max(Width, HeaderFont.horizontalAdvance(FHeader[size_t(Row)][Col]) + Padding);
    }
    for (int Row = 0; Row < PrevGrid->rowCount(); ++Row) {
      if (const QTableWidgetItem* Item = PrevGrid->item(Row, Col)) {
        Width = std::max(Width, CellFont.horizontalAdvance(Item->text().trimmed()) + Padding);
      }
    }
    PrevGrid->setColumnWidth(Col, Width);
    Total += Width;
  }
  // The dialog keeps its designed width unless the columns need more.
  const QMargins Margins = layout()->contentsMargins();
  const int Needed = Total + 2 * PrevGrid->frameWidth() + PrevGrid->verticalScrollBar()->sizeHint().width() +
                     Margins.left() + Margins.right();
  setFixedSize(std::max(DesignedWidth, Needed), DesignedHeight);
}

int TPreviewDlg::ShowSchedule(const TSovSchedule& S, const TGridCellFunc& WeatherGridCell) {
  SetScheduleData(S, WeatherGridCell);
  setWindowTitle(QStringLiteral("Preview Schedule - ") + QFileInfo(S.FileName()).fileName());
  PrevGrid->setFocus();
  if (S.DayCount() > 0) {
    PrevGrid->setCurrentCell(S.DayCount() - 1, 8);
    // Once shown, the grid goes to its end and back to the last day, so that the
    // summary rows below it are in sight too.
    QMetaObject::invokeMethod(
        this,
        [this] {
          PrevGrid->scrollToBottom();
          if (QTableWidgetItem* Item = PrevGrid->currentItem()) PrevGrid->scrollToItem(Item);
        },
        Qt::QueuedConnection);
  }
  return exec();
}

// ---------------------------------------------------------------------------
// Hints
// ---------------------------------------------------------------------------

bool TPreviewDlg::event(QEvent* Event) {
  if (Event->type() == QEvent::StatusTip) {
    // The hint under the mouse goes to the status line only when both options are on;
    // with hints on the status line alone it shows the focused control's hint.
    if (FPopupHints && FHintsOnStatusBar) {
      const QString Tip = static_cast<QStatusTipEvent*>(Event)->tip();
      StatusBarHint->setText(Tip.isEmpty() ? QString() : QStringLiteral(" ") + Tip);
    }
    return true;
  }
  return QDialog::event(Event);
}

bool TPreviewDlg::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::FocusIn) DisplayStatusBarFocusHint();
  if (Event->type() == QEvent::FocusOut) EraseStatusBarFocusHint();
  return QDialog::eventFilter(Watched, Event);
}

void TPreviewDlg::DisplayStatusBarFocusHint() {
  if (FPopupHints || !FHintsOnStatusBar) return;
  const QWidget* Focused = focusWidget();
  StatusBarHint->setText(Focused != nullptr ? QStringLiteral(" ") + Focused->statusTip() : QString());
}

void TPreviewDlg::EraseStatusBarFocusHint() {
  if (FPopupHints || !FHintsOnStatusBar) return;
  StatusBarHint->clear();
}

void TPreviewDlg::done(int Result) {
  StatusBarHint->clear();
  QDialog::done(Result);
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

void TPreviewDlg::PrintOutputBtnClick() {
  EraseStatusBarFocusHint();
  PrintSchedule();
  DisplayStatusBarFocusHint();
}

void TPreviewDlg::ExportBtnClick() {
  EraseStatusBarFocusHint();
  ExportSchedule();
  DisplayStatusBarFocusHint();
}

void TPreviewDlg::ExportSchedule() {
  if (FSchedule == nullptr) return;
  QFileDialog Dlg(this, QStringLiteral("Save Exported Data As"));
  Dlg.setAcceptMode(QFileDialog::AcceptSave);
  Dlg.setFileMode(QFileDialog::AnyFile);
  const QString CsvFilter = QStringLiteral("Comma-Separated Text (*.csv)");
  const QString JsonFilter = QStringLiteral("AgMIP ACE (*.json)");
  Dlg.setNameFilters({CsvFilter, JsonFilter});
  Dlg.setDefaultSuffix(QStringLiteral("csv"));
  connect(&Dlg, &QFileDialog::filterSelected, &Dlg, [&Dlg, JsonFilter](const QString& Filter) {
    Dlg.setDefaultSuffix(Filter == JsonFilter ? QStringLiteral("json") : QStringLiteral("csv"));
  });
  const QFileInfo Data(FSchedule->FileName());
  if (!FSchedule->FileName().isEmpty()) {
    Dlg.setDirectory(Data.absolutePath());
    Dlg.selectFile(Data.completeBaseName() + QStringLiteral(".csv"));
  }
  if (Dlg.exec() != QDialog::Accepted || Dlg.selectedFiles().isEmpty()) return;
  ExportScheduleTo(Dlg.selectedFiles().constFirst());
}

void TPreviewDlg::ChartBtnClick() {
  EraseStatusBarFocusHint();
  ChartSchedule();
  DisplayStatusBarFocusHint();
}

bool TPreviewDlg::ChartSchedule() {
  if (FSchedule == nullptr) return false;
  QString ErrMsg;
  bool Ok = false;
  {
    TBusyCursor Busy;
    Ok = ChartScheduleInExcel(*FSchedule, FSchedule->FileName(), ErrMsg);
  }
  if (!Ok) MessageDlg(this, QStringLiteral("\n") + ErrMsg + QStringLiteral("\n"), TMsgDlgType::Error);
  return Ok;
}

bool TPreviewDlg::ExportScheduleTo(const QString& FileName) {
  if (FSchedule == nullptr) return false;
  const QString Extension = QFileInfo(FileName).suffix().toLower();
  QString ErrMsg;
  bool Ok = false;
  if (Extension == QLatin1String("csv")) {
    Ok = FSchedule->ExportCsv(FileName, ErrMsg);
  } else if (Extension == QLatin1String("json")) {
    Ok = FSchedule->ExportAceJson(FileName, 7, true, ErrMsg);
  } else {
    MessageDlg(this,
               QStringLiteral("\n") + FileName + QStringLiteral(" does not have a ") +
                   QStringLiteral("valid file extension.\n"),
               TMsgDlgType::Error);
    return false;
  }
  if (!Ok) MessageDlg(this, QStringLiteral("\n") + ErrMsg + QStringLiteral("\n"), TMsgDlgType::Error);
  return Ok;
}

void TPreviewDlg::PrintSchedule() {
  if (FSchedule == nullptr) return;
  // Whatever the dialog offers, its own PDF file included, gets the drawn report.
  QPrinter Printer(QPrinter::HighResolution);
  if (!RunPrintDialog(this, Printer)) return;
  PrintScheduleTo(QString(), &Printer);
}

void TPreviewDlg::PrintToTextFileBtnClick() {
  EraseStatusBarFocusHint();
  PrintScheduleToTextFile();
  DisplayStatusBarFocusHint();
}

void TPreviewDlg::PrintScheduleToTextFile() {
  if (FSchedule == nullptr) return;
  const QString Name = AskTextFileName(this);
  if (!Name.isEmpty()) PrintScheduleTo(Name);
}

bool TPreviewDlg::DefaultPrintDialog(QWidget* Parent, QPrinter& Printer) {
  QPrintDialog PrintDlg(&Printer, Parent);
  return PrintDlg.exec() == QDialog::Accepted;
}

QString TPreviewDlg::DefaultTextFileDialog(QWidget* Parent) {
  QFileDialog FileDlg(Parent, QStringLiteral("Print to File"));
  FileDlg.setAcceptMode(QFileDialog::AcceptSave);
  FileDlg.setFileMode(QFileDialog::AnyFile);
  FileDlg.setNameFilter(QStringLiteral("Text Files (*.txt)"));
  FileDlg.setDefaultSuffix(QStringLiteral("txt"));
  if (FileDlg.exec() != QDialog::Accepted || FileDlg.selectedFiles().isEmpty()) return QString();
  return FileDlg.selectedFiles().constFirst();
}

int TPreviewDlg::PrintScheduleTo(const QString& FileName, QPrinter* Printer, const QDateTime& Now) {
  if (FSchedule == nullptr) return TTextOutFile::StatusCreateFailed;
  TPrinterOutFile Out(Printer);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (FileName.isEmpty()) {
    Out.SetDocumentName(FInternalName + QStringLiteral(" - ") + QFileInfo(FSchedule->FileName()).fileName());
  }
  QString Failure;
  if (Out.Open(FileName)) {
    try {
      const QStringList Lines = ReportLines(Now.isValid() ? Now : QDateTime::currentDateTime());
      if (Out.ToPrinter()) {
        QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        Font.setPointSize(8);
        Out.SetFont(Font);
        // The widest line, left margin included, stays inside the printable area.
        qsizetype Widest = 0;
        for (const QString& Text : Lines) Widest = std::max(Widest, Text.size());
        Out.FitFontToWidth(int(Widest) + ReportLeftMargin);
        Out.SetMargins(ReportLeftMargin, ReportTopMargin);
      }
      for (const QString& Text : Lines) {
        Out.Write(Text);
        Out.NewLine();
      }
    } catch (const std::exception& Error) {
      Failure = QString::fromUtf8(Error.what());
    }
  }
  QApplication::restoreOverrideCursor();
  // An interrupted report is dropped like a failed one, so that it never replaces an
  // earlier file or reaches the printer half done.
  if (Out.Status() == TTextOutFile::StatusOk && Failure.isEmpty()) {
    Out.Close();
  } else if (Out.Status() != TTextOutFile::StatusCreateFailed) {
    Out.Abandon();
  }
  if (Out.Status() != TTextOutFile::StatusOk) {
    // For a file, the printer's PDF file included, which one and the system's reason follow.
    QString Text = Out.GetErrorMessage();
    if (!Out.FileName().isEmpty()) {
      Text += QStringLiteral("\n\n") + Out.FileName();
      if (!Out.Reason().isEmpty()) Text += QStringLiteral("\n") + Out.Reason() + QStringLiteral(".");
    }
    MessageDlg(this, QStringLiteral("\n") + Text + QStringLiteral("\n"), TMsgDlgType::Error);
  } else if (!Failure.isEmpty()) {
    MessageDlg(this, QStringLiteral("\n") + Failure + QStringLiteral("\n"), TMsgDlgType::Error);
    return -1;
  }
  return Out.Status();
}

void TPreviewDlg::WriteReport(TPrinterOutFile& Out, const QDateTime& Now) const {
  for (const QString& Text : ReportLines(Now)) {
    Out.Write(Text);
    Out.NewLine();
  }
}

QStringList TPreviewDlg::ReportLines(const QDateTime& Now) const {
  QStringList Lines;
  const TSovSchedule& S = *FSchedule;
  const TFormatSettings& Format = S.UserFormat();
  auto Line = [&Lines](const QString& Text) { Lines << Text; };
  const QString Blanks15(15, QLatin1Char(' '));

  Line(QString());
  Line(Blanks15 + QStringLiteral("[Printed by ") + FProductName + QStringLiteral(" v") + FProductVersion +
       QStringLiteral(" at ") + LongTimeText(Now.time()) + QStringLiteral(" on ") +
       FormatDate(QStringLiteral("ddd"), Now.date(), Format) + QStringLiteral(" ") +
       DateToStr(Now.date(), Format) + QStringLiteral("]"));
  Line(QString());
  Line(Blanks15 + QStringLiteral("Schedule for ") + QFileInfo(S.FileName()).fileName());
  Line(QString());
  Line(QString());

  const TReportFieldPage Page = FFieldPage ? FFieldPage() : FieldPageOfSchedule(S);
  for (const TReportFieldLine& L : Page.Lines) {
    Line(PadRight(L.LeftLabel, FieldLabelWidth) + PadRight(L.LeftValue, FieldValueWidth) +
         PadRight(L.RightLabel, FieldRightLabelWidth) + L.RightValue);
  }
  // The notes, wrapped at blanks; a line break in them counts as a blank.
  QString Notes = Page.Notes;
  Notes.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  Notes.replace(QLatin1Char('\n'), QLatin1Char(' '));
  Notes.replace(QLatin1Char('\r'), QLatin1Char(' '));
  QString Prefix = PadRight(Page.NotesLabel, FieldLabelWidth);
  do {
    QString First, Rest;
    WordWrap(Notes, NotesWidth, false, First, Rest);
    Line(Prefix + First);
    Prefix = QString(FieldLabelWidth, QLatin1Char(' '));
    Notes = Rest;
  } while (!Notes.isEmpty());
  Line(QString());
  Line(QString());

  const QLabel* const Summary[4][4] = {
      {CalcDateLbl, CalcDateBox, AddSafelyLbl, AddSafelyBox},
      {EvapotransLbl, EvapotransBox, DaysTill1InchLbl, DaysTill1InchBox},
      {SoilMoisLbl, SoilMoisBox, ExcessH2OLbl, ExcessH2OBox},
      {GDDLbl, GDDBox, IrrInefficiencyLbl, IrrInefficiencyBox}};
  for (const auto& L : Summary) {
    Line(PadRight(L[0]->text(), SummaryLabelWidth) + PadRight(L[1]->text(), SummaryValueWidth) +
         PadRight(L[2]->text(), SummaryRightLabelWidth) + L[3]->text());
  }
  Line(QString());
  Line(QString());

  const bool Metric = S.IsMetric();
  const QString Temp = TSovFile::UnitsLabel(TUnitKind::Temperature, Metric);
  const QString Water = TSovFile::UnitsLabel(TUnitKind::WaterShort, Metric);
  const QString N = TSovFile::UnitsLabel(TUnitKind::MassPerArea, Metric);
  Line(QStringLiteral("Day  Date     Temp   Temp  Precip  Irrigation      ET  Excess    Soil Mois  "
                      "Soil Moisture  Avail N   N Loss  N Uptake"));
  Line(QStringLiteral("           High(") + Temp + QStringLiteral(")") + QStringLiteral("Low(") + Temp +
       QStringLiteral(")   ") + QStringLiteral("(") + Water + QStringLiteral(")     ") + QStringLiteral("(") +
       Water + QStringLiteral(")        ") + QStringLiteral("(") + Water + QStringLiteral(") ") +
       QStringLiteral("Water (") + Water + QStringLiteral(")   ") + QStringLiteral("(") + Water +
       QStringLiteral(")    ") + QStringLiteral("(relative)   ") + QStringLiteral("(") + N +
       QStringLiteral(")") + QStringLiteral("(") + N + QStringLiteral(")") + QStringLiteral("(") + N +
       QStringLiteral(")"));

  int Widths[GridColumns];
  for (int Col = 0; Col < GridColumns; ++Col) Widths[Col] = PrintWidth(Cell(Col, 0)) + 2;
  for (int Row = HeaderRows; Row < RowCount(); ++Row) {
    QString Text = PadRight(Cell(0, Row).left(3), Widths[0]);
    for (int Col = 1; Col < GridColumns; ++Col) {
      const QString Value = Cell(Col, Row);
      if (Col == 1 || Col == 9) {
        Text += PadRight(WithoutLeadingBlanks(Value), Widths[Col]);
      } else {
        Text += PadRight(PadLeft(Value.trimmed(), PrintWidth(Value)), Widths[Col]);
      }
    }
    Line(WithoutTrailingBlanks(Text));
  }
  return Lines;
}
