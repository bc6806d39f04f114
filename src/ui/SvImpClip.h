#pragma once
// "Import Data Pasted From Clipboard": a text box that takes weather data copied from a
// web page (typed, or pasted with the "Paste" button), to be imported like a file.

#include <QDialog>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QPushButton;

class TImportClipboardDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TImportClipboardDlg(QWidget* Parent = nullptr);
  ~TImportClipboardDlg() override;

  // The text as it stands.
  QString Text() const;

  // Asked on OK with the text; the dialog closes only when it answers True, and stays
  // open with its text otherwise (the answer's maker tells the user why). Not set: OK
  // closes the dialog.
  std::function<bool(const QString& Text)> Accepting;

  QPlainTextEdit* Memo = nullptr;
  QPushButton* PasteButton = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

 public slots:
  // Pastes the clipboard's text into the memo at the cursor.
  void PasteButtonClick();
  // Refused, silently, while the memo is empty; then Accepting decides.
  void OKBtnClick();
};
