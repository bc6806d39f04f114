#include "SvOption.h"

#include "ShlUtil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

TOptionsDlg::TOptionsDlg(QWidget* Parent, bool PopupHints, bool HintsOnStatusBar) : QDialog(Parent) {
  setObjectName(QStringLiteral("OptionsDlg"));
  setWindowTitle(QStringLiteral("Options"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  SetHelpContext(this, HelpContext::Editors);
  auto* Layout = new QVBoxLayout(this);
  auto* Box = new QGroupBox(this);
  auto* BoxLayout = new QVBoxLayout(Box);
  PopupHintsCheckBox = new QCheckBox(QStringLiteral("Popup Help Hints For &Mouse Position"), Box);
  PopupHintsCheckBox->setObjectName(QStringLiteral("PopupHintsCheckBox"));
  PopupHintsCheckBox->setChecked(PopupHints);
  HintsOnStatusBarCheckBox = new QCheckBox(QStringLiteral("Display Help Hints On Status &Bar"), Box);
  HintsOnStatusBarCheckBox->setObjectName(QStringLiteral("HintsOnStatusBarCheckBox"));
  HintsOnStatusBarCheckBox->setChecked(HintsOnStatusBar);
  BoxLayout->addWidget(PopupHintsCheckBox);
  BoxLayout->addWidget(HintsOnStatusBarCheckBox);
  Layout->addWidget(Box);

  AddOKCancelRow(this, Layout, OKButton, CancelButton);

  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TOptionsDlg::~TOptionsDlg() {
  DisconnectChildren(this);
}

bool TOptionsDlg::PopupHints() const { return PopupHintsCheckBox->isChecked(); }
bool TOptionsDlg::HintsOnStatusBar() const { return HintsOnStatusBarCheckBox->isChecked(); }
