#include "SvImpClip.h"

#include "ShlUtil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TImportClipboardDlg::TImportClipboardDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ImportClipboardDlg"));
  setWindowTitle(QStringLiteral("Import Data Pasted From Clipboard"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* Layout = new QVBoxLayout(this);
  auto* Prompt = new QLabel(
      QStringLiteral("Paste weather data that you copied to the clipboard from a supported Web site:"), this);
  Prompt->setObjectName(QStringLiteral("PromptLbl"));
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setMinimumSize(560, 300);
  Prompt->setBuddy(Memo);
  Layout->addWidget(Prompt);
  Layout->addWidget(Memo, 1);

  auto* Buttons = new QHBoxLayout;
  PasteButton = NewDialogButton(this, QStringLiteral("Paste"), "PasteBtn");
  OKButton = NewDialogButton(this, QStringLiteral("OK"), "OKBtn");
  CancelButton = NewDialogButton(this, QStringLiteral("Cancel"), "CancelBtn");
  Buttons->addWidget(PasteButton);
  Buttons->addStretch(1);
  Buttons->addWidget(OKButton);
  Buttons->addWidget(CancelButton);
  Layout->addLayout(Buttons);

  connect(PasteButton, &QPushButton::clicked, this, &TImportClipboardDlg::PasteButtonClick);
  connect(OKButton, &QPushButton::clicked, this, &TImportClipboardDlg::OKBtnClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TImportClipboardDlg::~TImportClipboardDlg() {
  DisconnectChildren(this);
}

QString TImportClipboardDlg::Text() const { return Memo->toPlainText(); }

void TImportClipboardDlg::PasteButtonClick() {
  Memo->paste();
  Memo->setFocus();
}

void TImportClipboardDlg::OKBtnClick() {
  if (Memo->document()->isEmpty()) return;
  if (Accepting && !Accepting(Text())) return;
  accept();
}
