#include "SvImpSurv.h"

#include "ShlUtil.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSoilPickerDlg::TSoilPickerDlg(QWidget* Parent, const char* Name, const char* PanelName, const char* ListName,
                               const QString& Prompt)
    : QDialog(Parent) {
  setObjectName(QLatin1String(Name));
  setWindowTitle(QStringLiteral("Import Soil Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* Layout = new QVBoxLayout(this);
  Panel = new QWidget(this);
  Panel->setObjectName(QLatin1String(PanelName));
  auto* PanelLayout = new QVBoxLayout(Panel);
  PanelLayout->setContentsMargins(0, 0, 0, 0);
  ListBoxLbl = new QLabel(Prompt, Panel);
  ListBoxLbl->setObjectName(QStringLiteral("ListBoxLbl"));
  ListBoxLbl->setWordWrap(true);
  FList = new QListWidget(Panel);
  FList->setObjectName(QLatin1String(ListName));
  FList->setSelectionMode(QAbstractItemView::SingleSelection);
  FList->setMinimumSize(380, 260);
  ListBoxLbl->setBuddy(FList);
  PanelLayout->addWidget(ListBoxLbl);
  PanelLayout->addWidget(FList, 1);
  Layout->addWidget(Panel, 1);

  AddOKCancelRow(this, Layout, OKBtn, CancelBtn);

  connect(OKBtn, &QPushButton::clicked, this, &TSoilPickerDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TSoilPickerDlg::~TSoilPickerDlg() {
  DisconnectChildren(this);
}

void TSoilPickerDlg::SetEntries(const QStringList& Entries, int Selected) {
  FList->clear();
  FList->addItems(Entries);
  if (Selected >= 0 && Selected < FList->count()) {
    FList->setCurrentRow(Selected);
    FList->scrollToItem(FList->currentItem(), QAbstractItemView::PositionAtCenter);
  } else {
    FList->setCurrentRow(-1);
  }
}

int TSoilPickerDlg::SelectedIndex() const {
  const QListWidgetItem* Item = FList->currentItem();
  return Item && Item->isSelected() ? FList->row(Item) : -1;
}

void TSoilPickerDlg::OKBtnClick() {
  if (SelectedIndex() < 0) return;
  accept();
}

TImportSurveyDlg::TImportSurveyDlg(QWidget* Parent)
    : TSoilPickerDlg(Parent, "ImportSurveyDlg", "SurveyPanel", "SurveyListBox",
                     QStringLiteral("Select a soil survey.")) {
  SurveyListBox = FList;
  connect(SurveyListBox, &QListWidget::itemDoubleClicked, this, &TImportSurveyDlg::SurveyListBoxDblClick);
}

void TImportSurveyDlg::SurveyListBoxDblClick() { OKBtnClick(); }
