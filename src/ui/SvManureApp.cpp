#include "SvManureApp.h"

#include "SovCalendar.h"
#include "SovFile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TManureAppDlg::TManureAppDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric,
                             bool IsUSLocation, TSovFile& FieldData)
    : TEventDlg(Owner, EventCodeIndex(QStringLiteral("M")), QStringLiteral("Manure Application Editor"),
                QStringLiteral("Application Date"), Day, StartDate, IsMetric, IsUSLocation, FieldData) {
  const TSovLookup& Lookup = FieldData.Lookup();

  ManureLbl = new QLabel(QStringLiteral("Manure Type"), this);
  ManureCombo = NewLookupCombo("ManureCombo", 15);
  for (int Row = 1; Row <= Lookup.ManureCount(); ++Row) ManureCombo->addItem(Lookup.Manure(Row).Description);

  RateLbl = new QLabel(QStringLiteral("Application Rate"), this);
  RateEdit = NewValueEdit("RateEdit");
  RateUnitsLbl = new QLabel(this);
  NRateLbl = new QLabel(this);

  MethodLbl = new QLabel(QStringLiteral("Application Method"), this);
  MethodCombo = NewLookupCombo("MethodCombo", 10);
  for (int Row = 1; Row <= Lookup.ManureAppMethodCount(); ++Row) {
    MethodCombo->addItem(Lookup.ManureAppMethod(Row).Description);
  }

  TotalNLbl = new QLabel(QStringLiteral("Total Nitrogen"), this);
  TotalNEdit = NewValueEdit("TotalNEdit");
  TotalNUnitsLbl = new QLabel(this);
  AmmNLbl = new QLabel(QStringLiteral("Ammonium Nitrogen"), this);
  AmmNEdit = NewValueEdit("AmmNEdit");
  AmmNUnitsLbl = new QLabel(this);

  AddValueRow(ManureLbl, ManureCombo);
  AddValueRow(RateLbl, RateEdit, RateUnitsLbl, NRateLbl);
  AddValueRow(MethodLbl, MethodCombo);
  AddValueRow(TotalNLbl, TotalNEdit, TotalNUnitsLbl);
  AddValueRow(AmmNLbl, AmmNEdit, AmmNUnitsLbl);
  FinishLayout();

  FindDayEvent();

  connect(ManureCombo, &QComboBox::currentIndexChanged, this, &TManureAppDlg::ManureComboChange);
}

TManureAppDlg::~TManureAppDlg() { DisconnectControls(); }

void TManureAppDlg::LoadEvent(int Row) {
  SelectKey(ManureCombo, Row, SovCol::EvKey1);
  if (ManureCombo->currentIndex() > 0) ManureComboChange();
  RateEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue));
  SelectKey(MethodCombo, Row, SovCol::EvKey2);
  TotalNEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue2));
  AmmNEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue3));
}

void TManureAppDlg::ManureComboChange() {
  const int Manure = ManureCombo->currentIndex();
  if (Manure > 0 && Manure <= FFieldData.Lookup().ManureCount()) {
    const bool Liquid = FFieldData.Lookup().Manure(Manure).IsLiquid;
    RateUnitsLbl->setText(Units(Liquid ? TUnitKind::LiquidRate : TUnitKind::SolidRate));
    const QString Content = Units(Liquid ? TUnitKind::LiquidContent : TUnitKind::SolidContent);
    TotalNUnitsLbl->setText(Content);
    AmmNUnitsLbl->setText(Content);
  } else {
    RateUnitsLbl->clear();
    TotalNUnitsLbl->clear();
    AmmNUnitsLbl->clear();
  }
}

bool TManureAppDlg::CheckValues() {
  return CheckSelected(ManureCombo, QStringLiteral("\nYou must select a "), ManureLbl) &&
         CheckNumber(RateEdit, SovCol::EvValue, RateLbl) &&
         CheckSelected(MethodCombo, QStringLiteral("\nYou must select an "), MethodLbl) &&
         CheckNumber(TotalNEdit, SovCol::EvValue2, TotalNLbl) &&
         CheckNumber(AmmNEdit, SovCol::EvValue3, AmmNLbl);
}

void TManureAppDlg::StoreValues(int Row) {
  FFieldData.SetCellInt(Row, SovCol::EvKey1, ManureCombo->currentIndex());
  FFieldData.SetCell(Row, SovCol::EvValue, RateEdit->text());
  FFieldData.SetCellInt(Row, SovCol::EvKey2, MethodCombo->currentIndex());
  FFieldData.SetCell(Row, SovCol::EvValue2, TotalNEdit->text());
  FFieldData.SetCell(Row, SovCol::EvValue3, AmmNEdit->text());
}
