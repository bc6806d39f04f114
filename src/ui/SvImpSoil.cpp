#include "SvImpSoil.h"

#include <QListWidget>

TImportSoilDlg::TImportSoilDlg(QWidget* Parent)
    : TSoilPickerDlg(Parent, "ImportSoilDlg", "SoilsPanel", "SoilListBox",
                     QStringLiteral("Select from the soil components and map unit symbols for ")) {
  SoilListBox = FList;
  connect(SoilListBox, &QListWidget::itemDoubleClicked, this, &TImportSoilDlg::SoilListBoxDblClick);
}

void TImportSoilDlg::SoilListBoxDblClick() { OKBtnClick(); }
