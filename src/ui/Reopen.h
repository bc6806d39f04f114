#pragma once
// The recently used field data files: the list rules and the dialog that offers them.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QListWidgetItem;

constexpr int MaxRecentFiles = 11;

// Puts FileName at the head of List: every entry naming the same file goes first, then
// the last entry when the list is full.
void AddRecentFile(QStringList& List, const QString& FileName);
// Whether two file names name the same file, compared as the file system compares them:
// letter case counts on Linux, not on Windows or macOS.
bool SameFileName(const QString& A, const QString& B);
// Equal without regard to ASCII letter case (other letters must match exactly).
bool SameTextAscii(const QString& A, const QString& B);

// "Reopen Data File": picks one of the recent files. OK is refused while nothing is
// selected; a double click on an entry acts as OK.
class TReopenFileDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TReopenFileDlg(QWidget* Parent = nullptr);

  // Lists Files, the first one current and selected.
  void SetFiles(const QStringList& Files);
  // The selected name; empty when none.
  QString SelectedFile() const;

  QListWidget* FileListBox() const { return FFileListBox; }

 public slots:
  void OKBtnClick();
  void FileListBoxDblClick(QListWidgetItem* Item);

 private:
  QListWidget* FFileListBox;
};
