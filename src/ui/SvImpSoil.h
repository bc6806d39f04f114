#pragma once
// "Import Soil Data", step 2: the soil components and map unit symbols of the chosen
// soil survey area (the import command adds the area's name and symbol to the prompt).

#include "SvImpSurv.h"

class TImportSoilDlg : public TSoilPickerDlg {
  Q_OBJECT

 public:
  explicit TImportSoilDlg(QWidget* Parent = nullptr);
  QListWidget* SoilListBox = nullptr;

 public slots:
  // A double click on the list acts as OK.
  void SoilListBoxDblClick();
};
