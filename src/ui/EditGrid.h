#pragma once
// A grid whose cells are edited in place (the weather grid, the soil horizon grid): a key
// typed while an editable cell is current goes into that cell however soon it follows a
// click, and no key moves the current cell by looking for a cell that starts with it.
//
// The cell editor hands every keystroke to its cell at once, so the grid always holds
// what is typed: a command started by a shortcut, by a button or by closing the window,
// which may leave the editor open, still sees (and stores) the value being typed. Enter
// in the editor stores its text and closes it; it never reaches the window (where it
// would press a dialog's default button). Escape puts back the text the cell had when
// the editing began. A cell takes a text as long as a field file may hold.

#include <QTableWidget>

class TEditGrid : public QTableWidget {
 public:
  TEditGrid(int Rows, int Columns, QWidget* Parent = nullptr);

  // Typed keys never look for a cell.
  void keyboardSearch(const QString& Search) override;

 protected:
  // A click on the current cell opens its editor at once, not after the double-click
  // time: until then the view would take typed keys as a search instead of the cell's.
  bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
};
