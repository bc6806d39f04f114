#include "SvResidue.h"

#include "SovCalendar.h"
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

bool TResidueDlg::CheckValues() { return CheckNumber(ResidueEdit, SovCol::EvValue, ResidueLbl); }

void TResidueDlg::StoreValues(int Row) { FFieldData.SetCell(Row, SovCol::EvValue, ResidueEdit->text()); }
