#pragma once
// Irrigation water nitrate editor: the nitrate concentration ("N" event) of the
// irrigation water from one day on.

#include "SvEventDlg.h"

class TNitrateDlg : public TEventDlg {
  Q_OBJECT

 public:
  TNitrateDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric, bool IsUSLocation,
              TSovFile& FieldData);

  QLabel* NitrateLbl = nullptr;
  QLineEdit* NitrateEdit = nullptr;
  QLabel* NitrateUnitsLbl = nullptr;

 protected:
  void LoadEvent(int Row) override;
  bool CheckValues() override;
  void StoreValues(int Row) override;
};
