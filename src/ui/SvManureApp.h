#pragma once
// Manure application editor: type, rate, method and nitrogen contents of the manure
// application ("M" event) of one day.

#include "SvEventDlg.h"

class TManureAppDlg : public TEventDlg {
  Q_OBJECT

 public:
  TManureAppDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric, bool IsUSLocation,
                TSovFile& FieldData);
  ~TManureAppDlg() override;

  QLabel* ManureLbl = nullptr;
  QComboBox* ManureCombo = nullptr;  // empty entry, then the manures in lookup order
  QLabel* RateLbl = nullptr;
  QLineEdit* RateEdit = nullptr;
  QLabel* RateUnitsLbl = nullptr;
  QLabel* NRateLbl = nullptr;  // stays empty: the manure editor shows no nitrogen rate
  QLabel* MethodLbl = nullptr;
  QComboBox* MethodCombo = nullptr;  // empty entry, then the application methods
  QLabel* TotalNLbl = nullptr;
  QLineEdit* TotalNEdit = nullptr;
  QLabel* TotalNUnitsLbl = nullptr;
  QLabel* AmmNLbl = nullptr;
  QLineEdit* AmmNEdit = nullptr;
  QLabel* AmmNUnitsLbl = nullptr;

 public slots:
  void ManureComboChange();

 protected:
  void LoadEvent(int Row) override;
  bool CheckValues() override;
  void StoreValues(int Row) override;
};
