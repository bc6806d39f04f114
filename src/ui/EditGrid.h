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
//
// The leading rows and columns may be fixed (headings, day numbers): shown, never
// edited and never current, so a typed key always has a cell to go to. Tab and
// Shift+Tab move through the value cells row by row, on into the next row or back into
// the previous one; the other keys move as usual but stop at the fixed cells; a click
// on a fixed cell makes a value cell of its row current instead.

#include <QTableWidget>

class TEditGrid : public QTableWidget {
 public:
  TEditGrid(int Rows, int Columns, QWidget* Parent = nullptr);

  // Rows before FixedRows and columns before FixedCols are fixed. A click on a fixed cell
  // of a value row makes that row current: in the current column when KeepColumn, else
  // in its first value column. A click on a fixed heading keeps the current row.
  void SetFixedCells(int FixedRows, int FixedCols, bool KeepColumn);
  // The value cell that a click on the cell (Row, Col) makes current.
  QModelIndex ValueCellFor(int Row, int Col) const;

  // Typed keys never look for a cell.
  void keyboardSearch(const QString& Search) override;

 protected:
  QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
  void mousePressEvent(QMouseEvent* Event) override;
  // A drag over a fixed cell does not make it current.
  void mouseMoveEvent(QMouseEvent* Event) override;

  // A click on the current cell opens its editor at once, not after the double-click
  // time: until then the view would take typed keys as a search instead of the cell's.
  bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;

 private:
  bool IsFixed(const QModelIndex& Index) const;

  int FFixedRows = 0;
  int FFixedCols = 0;
  bool FKeepColumn = false;
};
