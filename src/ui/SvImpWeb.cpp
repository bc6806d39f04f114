#include "SvImpWeb.h"

#include "ShlUtil.h"

#include <algorithm>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

const char* const TImportWebDlg::MetosCaption = "iMETOS ag Weather Station";
const char* const TImportWebDlg::ForecastCaption = "U.S. National Weather Service Forecast";

namespace {
constexpr int MinimumListWidth = 440;
}  // namespace

TImportWebDlg::TImportWebDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ImportWebDlg"));
  setWindowTitle(QStringLiteral("Import Web Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  SetHelpContext(this, HelpContext::WebImport);
  auto* Layout = new QVBoxLayout(this);
  auto* Prompt = new QLabel(QStringLiteral("Select a Web source to import weather data from."), this);
  Prompt->setObjectName(QStringLiteral("PromptLbl"));
  SourceListBox = new QListWidget(this);
  SourceListBox->setObjectName(QStringLiteral("SourceListBox"));
  SourceListBox->setMinimumWidth(MinimumListWidth);
  Prompt->setBuddy(SourceListBox);
  Layout->addWidget(Prompt);
  Layout->addWidget(SourceListBox, 1);

  AddOKCancelRow(this, Layout, OKButton, CancelButton, &HelpButton);

  connect(OKButton, &QPushButton::clicked, this, &TImportWebDlg::OKBtnClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, &TImportWebDlg::HelpBtnClick);
  connect(SourceListBox, &QListWidget::itemDoubleClicked, this, &TImportWebDlg::SourceListBoxDblClick);
}

TImportWebDlg::~TImportWebDlg() {
  DisconnectChildren(this);
}

void TImportWebDlg::SetSources(const QStringList& Names, const QStringList& Descriptions, const QString& Selected) {
  FNames = Names;
  SourceListBox->clear();
  for (qsizetype I = 0; I < Names.size(); ++I) {
    SourceListBox->addItem(I < Descriptions.size() ? Descriptions[I] : Names[I]);
  }
  SourceListBox->addItem(QLatin1String(MetosCaption));
  SourceListBox->addItem(QLatin1String(ForecastCaption));
  // The list is as wide as its longest entry, so that every entry shows whole.
  const int Widest = SourceListBox->sizeHintForColumn(0);
  const int Chrome = SourceListBox->frameWidth() * 2 + SourceListBox->verticalScrollBar()->sizeHint().width() + 8;
  SourceListBox->setMinimumWidth(std::max(MinimumListWidth, Widest + Chrome));
  for (qsizetype I = 0; I < Names.size(); ++I) {
    if (!Selected.isEmpty() && Names[I].compare(Selected, Qt::CaseInsensitive) == 0) {
      SourceListBox->setCurrentRow(int(I));
      break;
    }
  }
}

int TImportWebDlg::SelectedIndex() const {
  const QListWidgetItem* Item = SourceListBox->currentItem();
  if (!Item || !Item->isSelected()) return -1;
  return SourceListBox->row(Item);
}

QString TImportWebDlg::SelectedSource() const {
  const int Index = SelectedIndex();
  return Index >= 0 && Index < FNames.size() ? FNames[Index] : QString();
}

void TImportWebDlg::OKBtnClick() {
  if (SelectedIndex() < 0) return;
  accept();
}

void TImportWebDlg::SourceListBoxDblClick(QListWidgetItem* /*Item*/) { OKBtnClick(); }

void TImportWebDlg::HelpBtnClick() { ShowHelpContext(HelpContext::WebImport, this); }
