#include "SvViewSoil.h"

#include "EditGrid.h"
#include "MsgDlg.h"
#include "ShlUtil.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr TUnitKind DepthUnitKind = TUnitKind::SoilDepth;  // cm and inches
constexpr int ColumnWidth = 60;

struct THorizonColumn {
  const char* Heading;
  const char* MetricUnit;
  const char* EnglishUnit;
};
// Grid columns 1-13: the field's columns 32-44.
constexpr std::array<THorizonColumn, HorizonValueCount> Columns = {{
    {"Depth", "cm", "in"},
    {"Texture", "", ""},
    {"AWC", "cm/cm", "in/in"},
    {"Wilt Pt", "cm/cm", "in/in"},
    {"Bulk Den", "gm/cm3", "gm/cm3"},
    {"KSat", "um/sec", "um/sec"},
    {"Sand", "%", "%"},
    {"Silt", "%", "%"},
    {"Clay", "%", "%"},
    {"OM", "%", "%"},
    {"pH", "", ""},
    {"EC", "dS/m", "dS/m"},
    {"CEC", "cmol+/kg", "cmol+/kg"},
}};

constexpr int FieldColumn(int GridCol) { return SovCol::HzDepth + GridCol - 1; }

// Values that every horizon must have: Depth, Texture, AWC, Wilt Pt, Bulk Den, OM, pH.
constexpr bool IsRequired(int GridCol) {
  const int Col = FieldColumn(GridCol);
  return (Col >= SovCol::HzDepth && Col <= SovCol::HzBulkDensity) || Col == SovCol::HzOM || Col == SovCol::HzpH;
}

}  // namespace

TViewSoilDlg::TViewSoilDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ViewSoilDlg"));
  setWindowTitle(QStringLiteral("View Soil Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  SetHelpContext(this, HelpContext::Soil);
  auto* Layout = new QVBoxLayout(this);

  auto* Grid = new TEditGrid(RowCount, ColCount, this);
  Grid->SetFixedCells(HeaderRows, 1, false);
  HorizonGrid = Grid;
  HorizonGrid->setObjectName(QStringLiteral("HorizonGrid"));
  HorizonGrid->horizontalHeader()->hide();
  HorizonGrid->verticalHeader()->hide();
  HorizonGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // At least the designed width, wide enough for every heading and unit.
  int Width = ColumnWidth;
  for (const THorizonColumn& Column : Columns) {
    for (const char* Text : {Column.Heading, Column.MetricUnit, Column.EnglishUnit})
      Width = std::max(Width, HorizonGrid->fontMetrics().horizontalAdvance(QLatin1String(Text)) + 12);
  }
  HorizonGrid->horizontalHeader()->setDefaultSectionSize(Width);
  HorizonGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  HorizonGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
  HorizonGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  HorizonGrid->setTabKeyNavigation(true);
  HorizonGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  HorizonGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  HorizonGrid->setWordWrap(false);
  const QBrush Fixed = palette().button();
  for (int Row = 0; Row < RowCount; ++Row) {
    for (int Col = 0; Col < ColCount; ++Col) {
      auto* Item = new QTableWidgetItem;
      if (Row < HeaderRows || Col == 0) {
        Item->setFlags(Qt::ItemIsEnabled);
        Item->setBackground(Fixed);
        Item->setTextAlignment(Qt::AlignCenter);
      }
      HorizonGrid->setItem(Row, Col, Item);
    }
  }
  const int Frame = HorizonGrid->frameWidth() * 2;
  HorizonGrid->setFixedSize(Width * ColCount + Frame,
                            HorizonGrid->verticalHeader()->defaultSectionSize() * RowCount + Frame);
  Layout->addWidget(HorizonGrid);

  AddOKCancelRow(this, Layout, OKBtn, CancelBtn, &HelpBtn);
  Layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(OKBtn, &QPushButton::clicked, this, &TViewSoilDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TViewSoilDlg::CancelBtnClick);
  connect(HelpBtn, &QPushButton::clicked, this, &TViewSoilDlg::HelpBtnClick);
}

TViewSoilDlg::~TViewSoilDlg() {
  DisconnectChildren(this);
}

QString TViewSoilDlg::Cell(int Row, int Col) const {
  const QTableWidgetItem* Item = HorizonGrid->item(Row, Col);
  return Item ? Item->text() : QString();
}

void TViewSoilDlg::SetCell(int Row, int Col, const QString& Text) {
  if (QTableWidgetItem* Item = HorizonGrid->item(Row, Col)) Item->setText(Text);
}

void TViewSoilDlg::SetSoilData(TSovFile& Field, const TViewSoilHost& Host) {
  FField = &Field;
  FHost = Host;
  const bool Metric = FHost.IsMetric;
  SetCell(0, 0, QStringLiteral("Horizon"));
  for (int GridCol = 1; GridCol < ColCount; ++GridCol) {
    const THorizonColumn& Column = Columns[size_t(GridCol - 1)];
    SetCell(0, GridCol, QLatin1String(Column.Heading));
    SetCell(1, GridCol, QLatin1String(Metric ? Column.MetricUnit : Column.EnglishUnit));
  }
  const TFormatSettings& Format = Field.UserFormat();
  for (int N = 1; N <= MaxHorizons; ++N) {
    const int Row = N + 1;
    FStoredDepth[size_t(N - 1)].clear();
    FShownDepth[size_t(N - 1)].clear();
    for (int Col = 0; Col < ColCount; ++Col) SetCell(Row, Col, QString());
    // A horizon without data leaves its row empty; those after it are still shown.
    if (!Field.HorizonHasData(N)) continue;
    SetCell(Row, 0, QString::number(N));
    const QString Depth = Field.GetCell(N, SovCol::HzDepth);
    const QString Shown =
        Metric ? Depth : TSovFile::ConvertNumberText(Depth, DepthUnitKind, Format, Format, false, true);
    FStoredDepth[size_t(N - 1)] = Depth;
    FShownDepth[size_t(N - 1)] = Shown;
    SetCell(Row, 1, Shown);
    for (int GridCol = 2; GridCol < ColCount; ++GridCol) SetCell(Row, GridCol, Field.GetCell(N, FieldColumn(GridCol)));
  }
  HorizonGrid->setCurrentCell(HeaderRows, 1);
}

bool TViewSoilDlg::RowHasData(int Horizon) const {
  for (int GridCol = 1; GridCol < ColCount; ++GridCol) {
    if (!Cell(Horizon + 1, GridCol).trimmed().isEmpty()) return true;
  }
  return false;
}

QString TViewSoilDlg::DepthCm(int Horizon) const {
  const QString Text = Cell(Horizon + 1, 1).trimmed();
  if (FHost.IsMetric || !FField) return Text;
  if (Text == FShownDepth[size_t(Horizon - 1)].trimmed()) return FStoredDepth[size_t(Horizon - 1)];
  // Inches to the field's whole centimetres; a text that is no number stays as it is and
  // fails the check.
  const TFormatSettings& Format = FField->UserFormat();
  double Inches = 0;
  if (!TryStrToFloat(Text, Inches, Format)) return Text;
  const double Cm = std::round(TSovFile::ToMetric(DepthUnitKind, Inches));
  if (!(std::fabs(Cm) < 1e9)) return Text;
  return FormatFixed(Cm, 0, Format);
}

bool TViewSoilDlg::SoilDataChanged() const {
  if (!FField) return false;
  for (int N = 1; N <= MaxHorizons; ++N) {
    if (FField->GetCell(N, SovCol::HzDepth) != DepthCm(N)) return true;
    for (int GridCol = 2; GridCol < ColCount; ++GridCol) {
      if (FField->GetCell(N, FieldColumn(GridCol)) != Cell(N + 1, GridCol).trimmed()) return true;
    }
  }
  return false;
}

bool TViewSoilDlg::Fail(int Horizon, int GridCol, const QString& Text) {
  MessageDlg(this, Text, TMsgDlgType::Error, QMessageBox::Ok);
  HorizonGrid->setFocus();
  HorizonGrid->setCurrentCell(Horizon + 1, GridCol);
  setResult(QDialog::Rejected);
  return false;
}

void TViewSoilDlg::OKBtnClick() {
  if (!FField) return;
  const QString Missing = QStringLiteral("\nValue is missing.\n");
  const QString Invalid = QStringLiteral("\nValue is invalid.\n");
  int PreviousDepth = -1;  // of the last row above that holds data
  for (int N = 1; N <= MaxHorizons; ++N) {
    if (!RowHasData(N)) continue;
    for (int GridCol = 1; GridCol < ColCount; ++GridCol) {
      if (IsRequired(GridCol) && Cell(N + 1, GridCol).trimmed().isEmpty()) {
        Fail(N, GridCol, Missing);
        return;
      }
    }
    for (int GridCol = 1; GridCol < ColCount; ++GridCol) {
      const QString Text = Cell(N + 1, GridCol).trimmed();
      bool Valid = false;
      if (GridCol == 1) {
        Valid = FField->IsValidCell(SovCol::HzDepth, DepthCm(N));
      } else if (FieldColumn(GridCol) == SovCol::HzTexture) {
        Valid = TSovFile::TextureIndex(Text) > 0;
      } else {
        Valid = FField->IsValidCell(FieldColumn(GridCol), Text);
      }
      if (!Valid) {
        Fail(N, GridCol, Invalid);
        return;
      }
    }
    int Depth = 0;
    TSovFile::IsValidInteger(DepthCm(N), SovCol::HzDepth, Depth);
    if (PreviousDepth >= 0 && Depth <= PreviousDepth) {
      Fail(N, 1, QStringLiteral("\nHorizon depths are out of order.\n"));
      return;
    }
    PreviousDepth = Depth;
  }

  if (SoilDataChanged()) {
    // Rows with data are stored in order from horizon 1, so no gap is left between them.
    int Stored = 0;
    for (int N = 1; N <= MaxHorizons; ++N) {
      if (!RowHasData(N)) continue;
      ++Stored;
      FField->SetCell(Stored, SovCol::HzDepth, DepthCm(N));
      for (int GridCol = 2; GridCol < ColCount; ++GridCol) {
        FField->SetCell(Stored, FieldColumn(GridCol), Cell(N + 1, GridCol).trimmed());
      }
    }
    for (int N = Stored + 1; N <= MaxHorizons; ++N) {
      for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) FField->SetCell(N, Col, QString());
    }
    if (FHost.SetModified) FHost.SetModified();
    UpdateWaterCapacity();
  }
  accept();
}

void TViewSoilDlg::UpdateWaterCapacity() {
  const QString Lead = QStringLiteral("Unable to calculate ") + FHost.WaterCapacityCaption + QStringLiteral(":\n\n");
  QString Text, Msg;
  if (!FField->WaterCapacityText(FHost.IsMetric, FHost.Location, FHost.RootingDepthText, Text, Msg)) {
    MessageDlg(this,
               Lead + (Msg.isEmpty() ? FHost.RootingDepthCaption + QStringLiteral(" is missing or invalid.\n") : Msg),
               TMsgDlgType::Warning, QMessageBox::Ok);
    return;
  }
  if (FHost.SetWaterCapacity) FHost.SetWaterCapacity(Text);
}

void TViewSoilDlg::CancelBtnClick() { reject(); }

void TViewSoilDlg::HelpBtnClick() { ShowHelpContext(HelpContext::Soil, this); }
