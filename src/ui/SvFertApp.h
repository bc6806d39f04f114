#pragma once
// Fertilizer application editor: product, rate and method of the fertiliser
// application ("F" event) of one day, with the nitrogen the rate gives.

#include "SvEventDlg.h"

class TFertAppDlg : public TEventDlg {
  Q_OBJECT

 public:
  TFertAppDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric, bool IsUSLocation,
              TSovFile& FieldData);
  ~TFertAppDlg() override;

  QLabel* FertLbl = nullptr;
  QComboBox* FertCombo = nullptr;  // empty entry, then the fertilisers in lookup order
  QLabel* RateLbl = nullptr;
  QLineEdit* RateEdit = nullptr;
  QLabel* RateUnitsLbl = nullptr;
  QLabel* NRateLbl = nullptr;
  QLabel* MethodLbl = nullptr;
  QComboBox* MethodCombo = nullptr;  // empty entry, then the application methods

 public slots:
  void FertComboChange();
  void RateEditExit();
  // "N: " and the nitrogen of the rate of the chosen product, or nothing.
  void ShowNRate();

 protected:
  void LoadEvent(int Row) override;
  bool CheckValues() override;
  void StoreValues(int Row) override;
};
