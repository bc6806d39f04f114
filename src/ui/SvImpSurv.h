#pragma once
// "Import Soil Data": the pickers of the soil import. Step 1 (TImportSurveyDlg) offers
// the soil survey areas of the field's state; step 2 (TImportSoilDlg, SvImpSoil.h) the
// soil components and map units of the chosen area. The import command fills the list,
// preselects the entry that matches the field and reads the choice.

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// A prompt over a single-selection list of whole lines, with OK and Cancel.
class TSoilPickerDlg : public QDialog {
  Q_OBJECT

 public:
  ~TSoilPickerDlg() override;

  // Fills the list; Selected (0-based) becomes the chosen entry, -1 for none.
  void SetEntries(const QStringList& Entries, int Selected);
  // The chosen entry; -1 when none is.
  int SelectedIndex() const;

  QWidget* Panel = nullptr;
  QLabel* ListBoxLbl = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 public slots:
  // Closes with OK; refused, silently, while no entry is chosen.
  void OKBtnClick();

 protected:
  TSoilPickerDlg(QWidget* Parent, const char* Name, const char* PanelName, const char* ListName,
                 const QString& Prompt);
  QListWidget* FList = nullptr;
};

class TImportSurveyDlg : public TSoilPickerDlg {
  Q_OBJECT

 public:
  explicit TImportSurveyDlg(QWidget* Parent = nullptr);
  QListWidget* SurveyListBox = nullptr;

 public slots:
  // A double click on the list acts as OK.
  void SurveyListBoxDblClick();
};
