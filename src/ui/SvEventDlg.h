#pragma once
// The common part of the four event editors (fertiliser, irrigation-water nitrate,
// manure, residue cover): each edits at most one event of its own code on one day of
// the field, writing straight into the field's event cells.
//
// A derived editor builds its value controls, then calls FindDayEvent at the end of its
// constructor. After the modal run the caller looks at the result and EventChanged().

#include <QDate>
#include <QDialog>
#include <QString>

#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TSovFile;
enum class TUnitKind;

class TEventDlg : public QDialog {
  Q_OBJECT

 public:
  // The event row being edited or to be used (1..50); 0 when there is none.
  int EventRow() const { return FEventRow; }
  // Set when the editor wrote or deleted the event.
  bool EventChanged() const { return FEventChanged; }
  int Day() const { return FDay; }

  QLabel* DateLbl = nullptr;
  QLabel* AppDate = nullptr;
  QLabel* NotesLbl = nullptr;
  QLineEdit* NotesEdit = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

 public slots:
  // Asks for confirmation, then frees the event row and closes with Accepted.
  void DeleteButtonClick();
  // Checks the values (a failure shows its message and keeps the dialog open), then
  // stores the event and closes with Accepted.
  void OKButtonClick();

 protected:
  TEventDlg(QWidget* Owner, int EventCode, const QString& Caption, const QString& DateCaption,
            int Day, const QDate& StartDate, bool IsMetric, bool IsUSLocation, TSovFile& FieldData);

  // DisconnectChildren of this dialog; a derived editor calls it in its destructor.
  void DisconnectControls();

  // Adds a row of value controls (label, control, optional unit label and a second
  // label beside it) above the notes.
  void AddValueRow(QLabel* Label, QWidget* Control, QLabel* Units = nullptr,
                   QLabel* Extra = nullptr);
  // Lays out the notes and the buttons; called once after the value rows.
  void FinishLayout();

  // Looks for the day's event of this editor's code: the first matching row is loaded
  // (LoadEvent) and may be deleted; otherwise the first free row is taken, and with no
  // free row OK is disabled.
  void FindDayEvent();
  // Shows the editor's columns other than Day, Code and Notes of Row.
  virtual void LoadEvent(int Row) = 0;
  // Runs the editor's checks in order; the first failure shows its message and
  // returns False.
  virtual bool CheckValues() = 0;
  // Writes the editor's columns other than Day, Code and Notes into Row.
  virtual void StoreValues(int Row) = 0;

  // A value box named Name.
  QLineEdit* NewValueEdit(const char* Name);
  // A lookup list named Name showing MaxVisible entries at a time: the empty first
  // entry (nothing chosen), then the caller adds the lookup's entries in order.
  QComboBox* NewLookupCombo(const char* Name, int MaxVisible);

  // The field's number check of Edit's text for column Col of this editor's event
  // code; on failure the message "<label> is missing or invalid." and focus to Edit.
  bool CheckNumber(QLineEdit* Edit, int Col, const QLabel* Label);
  // A combo box whose empty first entry is selected fails with Message + label.
  bool CheckSelected(QComboBox* Combo, const QString& MessageStart, const QLabel* Label);
  // Error box; then Focus gets the focus.
  void ShowError(QWidget* Focus, const QString& Message);
  // Selects entry Index of a lookup list, or the empty first entry when Index is not
  // one of its entries.
  static void SelectEntry(QComboBox* Combo, int Index);
  // Selects the entry of event column Col (Key1 or Key2) of Row; a name the field holds
  // that the lookup tables lack shows as the list's text with no entry chosen.
  void SelectKey(QComboBox* Combo, int Row, int Col);

  // The unit caption of Kind in the field's unit system given by the caller.
  QString Units(TUnitKind Kind) const;

  int FEventCode;
  int FDay;
  QDate FStartDate;
  bool FIsMetric;
  bool FIsUSLocation;
  TSovFile& FFieldData;
  int FEventRow = 0;
  bool FEventChanged = false;

 private:
  QGridLayout* FGrid = nullptr;
  int FNextRow = 1;
  std::vector<QWidget*> FTabChain;  // value controls in order, then notes and buttons
};
