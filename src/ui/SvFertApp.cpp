#include "SvFertApp.h"

#include "SovCalendar.h"
#include "SovFile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int AllNitrogenForms = 7;  // urea + ammonium + nitrate
}  // namespace

TFertAppDlg::TFertAppDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric,
                         bool IsUSLocation, TSovFile& FieldData)
    : TEventDlg(Owner, EventCodeIndex(QStringLiteral("F")),
                QStringLiteral("Fertilizer Application Editor"), QStringLiteral("Application Date"),
                Day, StartDate, IsMetric, IsUSLocation, FieldData) {
  const TSovLookup& Lookup = FieldData.Lookup();

  FertLbl = new QLabel(QStringLiteral("Fertilizer Product"), this);
  FertCombo = NewLookupCombo("FertCombo", 15);
  for (int Row = 1; Row <= Lookup.FertilizerCount(); ++Row) {
    const TFertilizerRec& Fert = Lookup.Fertilizer(Row);
    // One pass over the pattern: a "%" in the description stays as it is.
    FertCombo->addItem(QStringLiteral("%1 (%2-%3-%4)")
                           .arg(Fert.Description, QString::number(Fert.N), QString::number(Fert.P2O5),
                                QString::number(Fert.K2O)));
  }

  RateLbl = new QLabel(QStringLiteral("Application Rate"), this);
  RateEdit = NewValueEdit("RateEdit");
  RateUnitsLbl = new QLabel(this);
  NRateLbl = new QLabel(this);

  MethodLbl = new QLabel(QStringLiteral("Application Method"), this);
  MethodCombo = NewLookupCombo("MethodCombo", 10);
  for (int Row = 1; Row <= Lookup.FertAppMethodCount(); ++Row) {
    MethodCombo->addItem(Lookup.FertAppMethod(Row).Description);
  }

  AddValueRow(FertLbl, FertCombo);
  AddValueRow(RateLbl, RateEdit, RateUnitsLbl, NRateLbl);
  AddValueRow(MethodLbl, MethodCombo);
  FinishLayout();

  FindDayEvent();
  ShowNRate();

  connect(FertCombo, &QComboBox::currentIndexChanged, this, &TFertAppDlg::FertComboChange);
  connect(RateEdit, &QLineEdit::editingFinished, this, &TFertAppDlg::RateEditExit);
}

TFertAppDlg::~TFertAppDlg() { DisconnectControls(); }

void TFertAppDlg::LoadEvent(int Row) {
  SelectKey(FertCombo, Row, SovCol::EvKey1);
  if (FertCombo->currentIndex() > 0) FertComboChange();
  RateEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue));
  SelectKey(MethodCombo, Row, SovCol::EvKey2);
}

void TFertAppDlg::FertComboChange() {
  const int Fert = FertCombo->currentIndex();
  if (Fert > 0 && Fert <= FFieldData.Lookup().FertilizerCount()) {
    const bool Liquid = FFieldData.Lookup().Fertilizer(Fert).IsLiquid;
    RateUnitsLbl->setText(Units(Liquid ? TUnitKind::LiquidRate : TUnitKind::MassPerArea));
  } else {
    RateUnitsLbl->clear();
  }
  ShowNRate();
}

void TFertAppDlg::RateEditExit() { ShowNRate(); }

void TFertAppDlg::ShowNRate() {
  const int Fert = FertCombo->currentIndex();
  double Rate = 0;
  if (Fert > 0 && Fert <= FFieldData.Lookup().FertilizerCount() &&
      TryStrToFloat(RateEdit->text().trimmed(), Rate, FFieldData.UserFormat())) {
    const double N = FFieldData.FertilizerN(Fert, AllNitrogenForms, Rate, FIsMetric, FIsMetric);
    NRateLbl->setText(QStringLiteral("N: ") + FFieldData.FloatToUserStr(N, 1) + QStringLiteral(" ") +
                      Units(TUnitKind::MassPerArea));
  } else {
    NRateLbl->clear();
  }
}

bool TFertAppDlg::CheckValues() {
  return CheckSelected(FertCombo, QStringLiteral("\nYou must select a "), FertLbl) &&
         CheckNumber(RateEdit, SovCol::EvValue, RateLbl) &&
         CheckSelected(MethodCombo, QStringLiteral("\nYou must select an "), MethodLbl);
}

void TFertAppDlg::StoreValues(int Row) {
  FFieldData.SetCellInt(Row, SovCol::EvKey1, FertCombo->currentIndex());
  FFieldData.SetCell(Row, SovCol::EvValue, RateEdit->text());
  FFieldData.SetCellInt(Row, SovCol::EvKey2, MethodCombo->currentIndex());
}
