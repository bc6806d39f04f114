#include "SvImpStation.h"

#include "ShlUtil.h"
#include "SovFile.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

const char* const StationMapPage = "https://furrow.example.org/zodozizavo/irrigation/viewStations.html";

namespace {

constexpr int GridClientWidth = 560;
constexpr int GridClientHeight = 264;
constexpr TUnitKind DistanceUnitKind = TUnitKind::Distance;
constexpr int MaxInterpolationStations = 10;
constexpr int NearestStations = 5;

// The mark of a station row and the station's own name, kept on its name cell apart
// from the text shown, so that a name may begin with "*".
constexpr int MarkRole = Qt::UserRole;
constexpr int NameRole = Qt::UserRole + 1;

// A value of the map query, percent-encoded so that no character of it can end or
// split the value.
QString QueryValue(const QString& Text) { return QString::fromLatin1(QUrl::toPercentEncoding(Text.trimmed())); }

}  // namespace

TImportStationDlg::TImportStationDlg(QWidget* Parent, const TFormatSettings& UserFormat)
    : QDialog(Parent), FUserFormat(UserFormat) {
  setObjectName(QStringLiteral("ImportStationDlg"));
  setWindowTitle(QStringLiteral("Import Web Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  SetHelpContext(this, HelpContext::WebImport);
  auto* Layout = new QVBoxLayout(this);
  auto* Prompt = new QLabel(QStringLiteral("Select a weather station to import weather data from. "
                                           "Click a column header to sort by that column."),
                            this);
  Prompt->setObjectName(QStringLiteral("PromptLbl"));
  Prompt->setWordWrap(true);
  Layout->addWidget(Prompt);

  StationGrid = new QTableWidget(0, 4, this);
  StationGrid->setObjectName(QStringLiteral("StationGrid"));
  StationGrid->setHorizontalHeaderLabels(
      {QStringLiteral(" Name"), QStringLiteral(" ID"), QStringLiteral("Distance"), QStringLiteral("Direction")});
  StationGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StationGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StationGrid->horizontalHeader()->setSectionsClickable(true);
  StationGrid->horizontalHeader()->setHighlightSections(false);
  StationGrid->verticalHeader()->hide();
  StationGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StationGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StationGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  StationGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  StationGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StationGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  StationGrid->setWordWrap(false);
  // Eleven rows (the header among them) fill the grid; thirteen units across it.
  const int RowHeight = GridClientHeight / 11 - 1;
  StationGrid->verticalHeader()->setDefaultSectionSize(RowHeight + 1);
  StationGrid->horizontalHeader()->setFixedHeight(RowHeight + 1);
  const int Unit = GridClientWidth / 13;
  StationGrid->setColumnWidth(0, Unit * 6 + (GridClientWidth - Unit * 13));
  StationGrid->setColumnWidth(1, Unit * 3);
  StationGrid->setColumnWidth(2, Unit * 2);
  StationGrid->setColumnWidth(3, Unit * 2);
  const int Frame = StationGrid->frameWidth() * 2;
  StationGrid->setFixedSize(GridClientWidth + Frame + StationGrid->verticalScrollBar()->sizeHint().width(),
                            (RowHeight + 1) * 11 + Frame);
  Layout->addWidget(StationGrid);

  auto* Buttons = new QHBoxLayout;
  InterpCheckBox = new QCheckBox(QStringLiteral("Interpolate Between Stations"), this);
  InterpCheckBox->setObjectName(QStringLiteral("InterpCheckBox"));
  ViewMapBtn = NewDialogButton(this, QStringLiteral("View Map"), "ViewMapBtn");
  OKButton = NewDialogButton(this, QStringLiteral("OK"), "OKBtn", true);
  CancelButton = NewDialogButton(this, QStringLiteral("Cancel"), "CancelBtn");
  Buttons->addWidget(InterpCheckBox);
  Buttons->addStretch(1);
  Buttons->addWidget(ViewMapBtn);
  Buttons->addWidget(OKButton);
  Buttons->addWidget(CancelButton);
  Layout->addLayout(Buttons);

  connect(StationGrid->horizontalHeader(), &QHeaderView::sectionPressed, this,
          &TImportStationDlg::StationGridMouseDown);
  connect(StationGrid, &QTableWidget::cellDoubleClicked, this, &TImportStationDlg::StationGridDblClick);
  connect(InterpCheckBox, &QCheckBox::clicked, this, &TImportStationDlg::InterpCheckBoxClick);
  connect(ViewMapBtn, &QPushButton::clicked, this, &TImportStationDlg::ViewMapBtnClick);
  connect(OKButton, &QPushButton::clicked, this, &TImportStationDlg::OKBtnClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TImportStationDlg::~TImportStationDlg() {
  DisconnectChildren(this);
}

// ---- Grid access --------------------------------------------------------------

int TImportStationDlg::RowCount() const { return StationGrid->rowCount() + 1; }

QString TImportStationDlg::Cell(int Row, int Col) const {
  if (Col < 0 || Col >= StationGrid->columnCount()) return QString();
  if (Row == 0) {
    const QTableWidgetItem* Header = StationGrid->horizontalHeaderItem(Col);
    return Header ? Header->text() : QString();
  }
  const QTableWidgetItem* Item = Row > 0 && Row < RowCount() ? StationGrid->item(Row - 1, Col) : nullptr;
  return Item ? Item->text() : QString();
}

void TImportStationDlg::SetCell(int Row, int Col, const QString& Text) {
  if (Row < 1 || Row >= RowCount() || Col < 0 || Col >= StationGrid->columnCount()) return;
  QTableWidgetItem* Item = StationGrid->item(Row - 1, Col);
  if (!Item) {
    Item = new QTableWidgetItem;
    StationGrid->setItem(Row - 1, Col, Item);
  }
  Item->setText(Text);
}

int TImportStationDlg::CurrentRow() const {
  const int Row = StationGrid->currentRow();
  return Row >= 0 ? Row + 1 : 0;
}

void TImportStationDlg::SetCurrentRow(int Row) {
  if (Row < 1 || Row >= RowCount()) return;
  StationGrid->setCurrentCell(Row - 1, 0);
  StationGrid->scrollToItem(StationGrid->item(Row - 1, 0));
}

int TImportStationDlg::RowOfStation(const QString& StationID) const {
  if (StationID.isEmpty()) return 0;
  for (int Row = FirstStationRow(); Row < RowCount(); ++Row) {
    if (Cell(Row, 1) == StationID) return Row;
  }
  return 0;
}

// ---- Filling and sorting ------------------------------------------------------

void TImportStationDlg::SetStations(TImportedStations* List) {
  FStations = List;
  FPlain = false;
  InterpCheckBox->setEnabled(true);
  FillStationGrid();
}

void TImportStationDlg::SetPlainStations(const QStringList& Displays, const QStringList& IDs) {
  FStations = nullptr;
  FPlain = true;
  InterpCheckBox->setChecked(false);
  InterpCheckBox->setEnabled(false);
  const int Count = int(std::min(Displays.size(), IDs.size()));
  StationGrid->clearContents();
  StationGrid->setRowCount(Count);
  for (int I = 0; I < Count; ++I) {
    SetCell(I + 1, 0, Displays[I]);
    SetCell(I + 1, 1, IDs[I]);
    SetCell(I + 1, 2, QString());
    SetCell(I + 1, 3, QString());
  }
  if (Count > 0) SetCurrentRow(1);
}

void TImportStationDlg::FillStationGrid() {
  if (FPlain) return;
  const int Count = FStations ? FStations->Count() : 0;
  StationGrid->clearContents();
  StationGrid->setRowCount(Count + 1);
  for (int Col = 0; Col < 4; ++Col) SetCell(1, Col, QString());
  const QString Unit = FStations ? TSovFile::UnitsLabel(DistanceUnitKind, FStations->Metric) : QString();
  for (int I = 0; I < Count; ++I) {
    const int Row = I + 2;
    SetCell(Row, 0, FStations->GetStationName(I));
    StationGrid->item(Row - 1, 0)->setData(NameRole, FStations->GetStationName(I));
    SetCell(Row, 1, FStations->GetStationID(I));
    const QString Distance = FStations->GetDistanceText(I).trimmed();
    const QString Shown =
        TSovFile::ConvertNumberText(Distance, TUnitKind::None, FUserFormat, FStations->FormatSettings, false, false);
    SetCell(Row, 2, Distance.isEmpty() ? QString() : PadNumberLeft(Shown, 6) + QLatin1Char(' ') + Unit);
    SetCell(Row, 3, FStations->GetDirection(I));
  }
  UpdateSelectionNote();
  SetCurrentRow(1);
}

void TImportStationDlg::SortStations() {
  if (FPlain || !FStations) return;
  const QString CurrentID = Cell(CurrentRow(), 1);
  const QStringList Marked = MarkedStationIDs();
  switch (SortColumn) {
    case 1: FStations->SortByID(SortAscending); break;
    case 2: FStations->SortByDistance(SortAscending); break;
    case 3: FStations->SortByDirection(SortAscending); break;
    default: FStations->SortByName(SortAscending); break;
  }
  FillStationGrid();
  for (int Row = 1; Row < RowCount(); ++Row) {
    if (Cell(Row, 1) == CurrentID) {
      SetCurrentRow(Row);
      break;
    }
  }
  const QSet<QString> MarkedSet(Marked.begin(), Marked.end());
  for (int Row = 2; Row < RowCount(); ++Row) {
    if (MarkedSet.contains(Cell(Row, 1))) SetRowSelected(Row, true);
  }
}

void TImportStationDlg::UpdateSelectionNote() {
  if (FPlain || RowCount() < 2) return;
  SetCell(1, 0, Interpolating() ? QStringLiteral("(Double-click to select/deselect)") : QStringLiteral(" (None selected)"));
}

// ---- Marks --------------------------------------------------------------------

bool TImportStationDlg::IsRowSelected(int Row) const {
  if (FPlain || Row <= 1 || Row >= RowCount()) return false;
  const QTableWidgetItem* Item = StationGrid->item(Row - 1, 0);
  return Item && Item->data(MarkRole).toBool();
}

void TImportStationDlg::SetRowSelected(int Row, bool On) {
  if (FPlain || Row <= 1 || Row >= RowCount() || Cell(Row, 2).isEmpty()) return;
  QTableWidgetItem* Item = StationGrid->item(Row - 1, 0);
  if (!Item) return;
  const QString Name = Item->data(NameRole).toString();
  Item->setData(MarkRole, On);
  Item->setText(On ? QStringLiteral("* ") + Name : Name);
}

int TImportStationDlg::MarkedCount() const {
  int Count = 0;
  for (int Row = 2; Row < RowCount(); ++Row) Count += IsRowSelected(Row) ? 1 : 0;
  return Count;
}

void TImportStationDlg::SetInterpolation(bool On) {
  if (FPlain) return;
  InterpCheckBox->setChecked(On);
  if (On) {
    SortColumn = 2;
    SortAscending = true;
    SortStations();
  }
  UpdateSelectionNote();
}

bool TImportStationDlg::Interpolating() const { return !FPlain && InterpCheckBox->isChecked(); }

// ---- Results ------------------------------------------------------------------

QString TImportStationDlg::SelectedStationID() const { return Cell(CurrentRow(), 1); }

QString TImportStationDlg::SelectedStationName() const {
  const int Row = CurrentRow();
  if (FPlain || Row < 2) return Cell(Row, 0);
  return StationGrid->item(Row - 1, 0)->data(NameRole).toString();
}

QStringList TImportStationDlg::MarkedStationIDs() const {
  QStringList IDs;
  for (int Row = 2; Row < RowCount(); ++Row) {
    if (IsRowSelected(Row)) IDs << Cell(Row, 1);
  }
  return IDs;
}

TStationRecArray TImportStationDlg::MarkedStations() const {
  TStationRecArray Result;
  if (!FStations) return Result;
  for (const QString& ID : MarkedStationIDs()) {
    const int Index = FStations->IndexOfName(ID);
    Result.push_back({ID, Index >= 0 ? FStations->GetDistance(Index) : 0.0});
  }
  return Result;
}

// ---- Handlers -----------------------------------------------------------------

void TImportStationDlg::StationGridMouseDown(int Col) {
  StationGrid->setFocus();
  if (FPlain || !FStations || Col < 0 || Col > 3) return;
  if (Col == SortColumn) {
    SortAscending = !SortAscending;
  } else {
    SortColumn = Col;
    SortAscending = true;
  }
  SortStations();
}

void TImportStationDlg::StationGridDblClick() {
  if (!Interpolating()) {
    OKBtnClick();
    return;
  }
  const int Row = CurrentRow();
  SetRowSelected(Row, !IsRowSelected(Row));
}

void TImportStationDlg::InterpCheckBoxClick() {
  if (FPlain) return;
  const bool On = InterpCheckBox->isChecked();
  if (On) {
    SortColumn = 2;
    SortAscending = true;
    SortStations();
    SetCurrentRow(1);
  }
  for (int Row = 2; Row < RowCount(); ++Row) SetRowSelected(Row, false);
  if (On) {
    for (int Row = 2; Row < std::min(RowCount(), 2 + NearestStations); ++Row) SetRowSelected(Row, true);
  }
  UpdateSelectionNote();
}

void TImportStationDlg::OKBtnClick() {
  if (Interpolating()) {
    const int Count = MarkedCount();
    if (Count < 2 || Count > MaxInterpolationStations) return;
  } else if (SelectedStationID().isEmpty()) {
    return;
  }
  accept();
}

QString TImportStationDlg::MapAddress() const {
  if (FieldLatitude.isEmpty() || FieldLongitude.isEmpty()) return QString();
  // The page reads "." decimals, whatever the user types with.
  const TFormatSettings Dot = FileFormatSettings();
  const auto Coordinate = [&Dot](const QString& Text, const TFormatSettings& From) {
    return QueryValue(TSovFile::ConvertNumberText(Text.trimmed(), TUnitKind::None, Dot, From, false, false));
  };
  QString Address = QLatin1String(StationMapPage) + QStringLiteral("?pt0=") +
                    Coordinate(FieldLatitude, FUserFormat) + QLatin1Char(',') +
                    Coordinate(FieldLongitude, FUserFormat) + QStringLiteral(",Field");
  if (!FStations) return Address;
  QStringList IDs;
  if (Interpolating()) {
    IDs = MarkedStationIDs();
  } else if (CurrentRow() >= 2) {
    IDs << SelectedStationID();
  }
  int Point = 0;
  for (const QString& ID : IDs) {
    const int Index = FStations->IndexOfName(ID);
    if (Index < 0) continue;
    const QString Latitude = FStations->GetLatitude(Index);
    const QString Longitude = FStations->GetLongitude(Index);
    if (Latitude.isEmpty() || Longitude.isEmpty()) continue;
    const QString Part = QStringLiteral("&pt") + QString::number(Point + 1) + QLatin1Char('=') +
                         Coordinate(Latitude, FStations->FormatSettings) + QLatin1Char(',') +
                         Coordinate(Longitude, FStations->FormatSettings) + QLatin1Char(',') +
                         QueryValue(FStations->GetStationName(Index));
    // The shell takes an address of limited length: the points that do not fit are
    // left out.
    if (Address.size() + Part.size() > ShellOpenMaxTarget) break;
    Address += Part;
    ++Point;
  }
  return Address;
}

void TImportStationDlg::ViewMapBtnClick() {
  const QString Address = MapAddress();
  if (!Address.isEmpty()) OpenWebPage(this, Address);
}
