#pragma once
// A grid whose cells are edited in place (the weather grid, the soil horizon grid): a key
// typed while an editable cell is current goes into that cell however soon it follows a
// click, and no key moves the current cell by looking for a cell that starts with it.

#include <QTableWidget>

class TEditGrid : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;

  // Typed keys never look for a cell.
  void keyboardSearch(const QString& Search) override;

 protected:
  // A click on the current cell opens its editor at once, not after the double-click
  // time: until then the view would take typed keys as a search instead of the cell's.
  bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
};
