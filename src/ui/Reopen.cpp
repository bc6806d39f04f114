#include "Reopen.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QChar AsciiLower(QChar C) {
  const char16_t U = C.unicode();
  return (U >= u'A' && U <= u'Z') ? QChar(char16_t(U + (u'a' - u'A'))) : C;
}

}  // namespace

bool SameTextAscii(const QString& A, const QString& B) {
  if (A.size() != B.size()) return false;
  for (qsizetype I = 0; I < A.size(); ++I) {
    if (AsciiLower(A[I]) != AsciiLower(B[I])) return false;
  }
  return true;
}

bool SameFileName(const QString& A, const QString& B) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return A.compare(B, Qt::CaseInsensitive) == 0;
#else
  return A == B;
#endif
}

void AddRecentFile(QStringList& List, const QString& FileName) {
  for (qsizetype I = List.size() - 1; I >= 0; --I) {
    if (SameFileName(List[I], FileName)) List.removeAt(I);
  }
  while (List.size() >= MaxRecentFiles) List.removeLast();
  List.prepend(FileName);
}

TReopenFileDlg::TReopenFileDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ReopenFileDlg"));
  setWindowTitle(QStringLiteral("Reopen Data File"));
  auto* Layout = new QVBoxLayout(this);
  auto* Label = new QLabel(QStringLiteral("Recently Used Files"), this);
  FFileListBox = new QListWidget(this);
  FFileListBox->setObjectName(QStringLiteral("FileListBox"));
  FFileListBox->setMinimumWidth(480);
  Label->setBuddy(FFileListBox);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  Layout->addWidget(Label);
  Layout->addWidget(FFileListBox);
  Layout->addWidget(Buttons);
  connect(Buttons, &QDialogButtonBox::accepted, this, &TReopenFileDlg::OKBtnClick);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FFileListBox, &QListWidget::itemDoubleClicked, this, &TReopenFileDlg::FileListBoxDblClick);
}

void TReopenFileDlg::SetFiles(const QStringList& Files) {
  FFileListBox->clear();
  FFileListBox->addItems(Files);
  // The entry shown highlighted is the selected one, so OK and Enter take it at once.
  if (FFileListBox->count() > 0) FFileListBox->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
}

QString TReopenFileDlg::SelectedFile() const {
  const QListWidgetItem* Item = FFileListBox->currentItem();
  return Item && Item->isSelected() ? Item->text() : QString();
}

void TReopenFileDlg::OKBtnClick() {
  if (SelectedFile().isEmpty()) return;
  accept();
}

void TReopenFileDlg::FileListBoxDblClick(QListWidgetItem* /*Item*/) { OKBtnClick(); }
