#include "SvImpUser.h"

#include "ShlUtil.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TImportUserDlg::TImportUserDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ImportUserDlg"));
  setWindowTitle(QStringLiteral("Import Web Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  SetHelpContext(this, HelpContext::WebImport);
  auto* Layout = new QVBoxLayout(this);
  auto* Prompt = new QLabel(
      QStringLiteral("Enter a user name and password for accessing your weather station's data via the Internet."),
      this);
  Prompt->setObjectName(QStringLiteral("PromptLbl"));
  Prompt->setWordWrap(true);
  Prompt->setMinimumWidth(360);
  Layout->addWidget(Prompt);

  auto* Form = new QFormLayout;
  UserEdit = new QLineEdit(this);
  UserEdit->setObjectName(QStringLiteral("UserEdit"));
  PasswordEdit = new QLineEdit(this);
  PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
  PasswordEdit->setEchoMode(QLineEdit::Password);
  Form->addRow(QStringLiteral("User Name"), UserEdit);
  Form->addRow(QStringLiteral("Password"), PasswordEdit);
  Layout->addLayout(Form);

  AddOKCancelRow(this, Layout, OKBtn, CancelBtn);

  connect(OKBtn, &QPushButton::clicked, this, &TImportUserDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TImportUserDlg::~TImportUserDlg() {
  DisconnectChildren(this);
}

QString TImportUserDlg::UserName() const { return UserEdit->text(); }
QString TImportUserDlg::Password() const { return PasswordEdit->text(); }

void TImportUserDlg::SetAccount(const QString& User, const QString& Password) {
  UserEdit->setText(User);
  PasswordEdit->setText(Password);
}

void TImportUserDlg::OKBtnClick() {
  if (UserEdit->text().isEmpty() || PasswordEdit->text().isEmpty()) return;
  accept();
}
