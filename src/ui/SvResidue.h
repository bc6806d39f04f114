#pragma once
// Residue cover editor: the residue cover ("R" event) of one day.

#include "SvEventDlg.h"

class TResidueDlg : public TEventDlg {
  Q_OBJECT

 public:
  TResidueDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric, bool IsUSLocation,
              TSovFile& FieldData);

  QLabel* ResidueLbl = nullptr;
  QLineEdit* ResidueEdit = nullptr;
  QLabel* ResidueUnitsLbl = nullptr;

 protected:
  void LoadEvent(int Row) override;
  bool CheckValues() override;
  void StoreValues(int Row) override;
};
