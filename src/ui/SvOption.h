#pragma once
// "Options": the two help-hint settings of the program.

#include <QDialog>

class QCheckBox;
class QPushButton;

class TOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  TOptionsDlg(QWidget* Parent, bool PopupHints, bool HintsOnStatusBar);
  ~TOptionsDlg() override;

  bool PopupHints() const;
  bool HintsOnStatusBar() const;

  QCheckBox* PopupHintsCheckBox = nullptr;
  QCheckBox* HintsOnStatusBarCheckBox = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;
};
