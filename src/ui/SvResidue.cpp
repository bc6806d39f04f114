#include "SvResidue.h"

#include "SovCalendar.h"
#include "MiscUtil.h"
#include "SovFile.h"

#include <QLabel>
#include <QLineEdit>

TResidueDlg::TResidueDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric,
                         bool IsUSLocation, TSovFile& FieldData)
    : TEventDlg(Owner, EventCodeIndex(QStringLiteral("R")), QStringLiteral("Residue Cover Editor"),
                QStringLiteral("Event Date"), Day, StartDate, IsMetric, IsUSLocation, FieldData) {
  ResidueLbl = new QLabel(QStringLiteral("Residue Cover"), this);
  ResidueEdit = NewValueEdit("ResidueEdit");
  ResidueUnitsLbl = new QLabel(QStringLiteral("%"), this);
  AddValueRow(ResidueLbl, ResidueEdit, ResidueUnitsLbl);
  FinishLayout();
  FindDayEvent();
}

void TResidueDlg::LoadEvent(int Row) { ResidueEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue)); }

bool TResidueDlg::CheckValues() {
  if (!CheckNumber(ResidueEdit, SovCol::EvValue, ResidueLbl)) return false;
  // Cover is counted in whole percent, as the field check before a calculation counts it.
  int Whole = 0;
  if (TryStrToInt(ResidueEdit->text().trimmed(), Whole)) return true;
  ShowError(ResidueEdit, QStringLiteral("\n") + ResidueLbl->text() + QStringLiteral(" is missing or invalid.\n"));
  return false;
}

void TResidueDlg::StoreValues(int Row) { FFieldData.SetCell(Row, SovCol::EvValue, ResidueEdit->text()); }
