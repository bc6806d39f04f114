#include "EditGrid.h"

void TEditGrid::keyboardSearch(const QString& /*Search*/) {}

bool TEditGrid::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
  if (Trigger == SelectedClicked && editTriggers().testFlag(SelectedClicked)) Trigger = AllEditTriggers;
  return QTableWidget::edit(Index, Trigger, Event);
}
