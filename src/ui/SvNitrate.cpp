#include "SvNitrate.h"

#include "SovCalendar.h"
#include "SovFile.h"

#include <QLabel>
#include <QLineEdit>

TNitrateDlg::TNitrateDlg(QWidget* Owner, int Day, const QDate& StartDate, bool IsMetric,
                         bool IsUSLocation, TSovFile& FieldData)
    : TEventDlg(Owner, EventCodeIndex(QStringLiteral("N")),
                QStringLiteral("Irrigation Water Nitrate Editor"), QStringLiteral("Event Date"), Day,
                StartDate, IsMetric, IsUSLocation, FieldData) {
  NitrateLbl = new QLabel(QStringLiteral("Nitrate Concentration"), this);
  NitrateEdit = NewValueEdit("NitrateEdit");
  NitrateUnitsLbl = new QLabel(QStringLiteral("ppm"), this);
  AddValueRow(NitrateLbl, NitrateEdit, NitrateUnitsLbl);
  FinishLayout();
  FindDayEvent();
}

void TNitrateDlg::LoadEvent(int Row) { NitrateEdit->setText(FFieldData.GetCell(Row, SovCol::EvValue)); }

bool TNitrateDlg::CheckValues() { return CheckNumber(NitrateEdit, SovCol::EvValue, NitrateLbl); }

void TNitrateDlg::StoreValues(int Row) { FFieldData.SetCell(Row, SovCol::EvValue, NitrateEdit->text()); }
