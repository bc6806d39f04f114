#include "EditGrid.h"

#include "SovFile.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

class TLiveCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    QWidget* Editor = QStyledItemDelegate::createEditor(Parent, Option, Index);
    if (auto* Edit = qobject_cast<QLineEdit*>(Editor)) {
      Edit->setMaxLength(TSovFile::MaxTextLength);
      auto* Self = const_cast<TLiveCellDelegate*>(this);
      QObject::connect(Edit, &QLineEdit::textEdited, Self, [Self, Edit] { emit Self->commitData(Edit); });
    }
    return Editor;
  }
  // The cell's own keystrokes come back here: the editor keeps its cursor. A text put
  // into the cell from elsewhere replaces the editor's.
  void setEditorData(QWidget* Editor, const QModelIndex& Index) const override {
    auto* Edit = qobject_cast<QLineEdit*>(Editor);
    if (!Edit) {
      QStyledItemDelegate::setEditorData(Editor, Index);
      return;
    }
    const QString Text = Index.data(Qt::EditRole).toString();
    if (!Edit->property(OriginalText).isValid() || Edit->text() != Text) {
      Edit->setMaxLength(std::max(Edit->maxLength(), int(Text.size())));  // a long text stays whole
      Edit->setText(Text);
      Edit->setProperty(OriginalText, Text);
    }
  }

 protected:
  bool eventFilter(QObject* Object, QEvent* Event) override {
    auto* Edit = qobject_cast<QLineEdit*>(Object);
    if (Edit && Event->type() == QEvent::KeyPress) {
      switch (static_cast<QKeyEvent*>(Event)->key()) {
        case Qt::Key_Escape:
          Edit->setText(Edit->property(OriginalText).toString());
          emit commitData(Edit);
          break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
          emit commitData(Edit);
          emit closeEditor(Edit, QAbstractItemDelegate::NoHint);
          return true;
        default:
          break;
      }
    }
    return QStyledItemDelegate::eventFilter(Object, Event);
  }

 private:
  static constexpr const char* OriginalText = "furrowOriginalText";
};

}  // namespace

TEditGrid::TEditGrid(int Rows, int Columns, QWidget* Parent) : QTableWidget(Rows, Columns, Parent) {
  setItemDelegate(new TLiveCellDelegate(this));
}

void TEditGrid::keyboardSearch(const QString& /*Search*/) {}

bool TEditGrid::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
  if (Trigger == SelectedClicked && editTriggers().testFlag(SelectedClicked)) Trigger = AllEditTriggers;
  return QTableWidget::edit(Index, Trigger, Event);
}

void TEditGrid::SetFixedCells(int FixedRows, int FixedCols, bool KeepColumn) {
  FFixedRows = std::max(FixedRows, 0);
  FFixedCols = std::max(FixedCols, 0);
  FKeepColumn = KeepColumn;
}

bool TEditGrid::IsFixed(const QModelIndex& Index) const {
  return Index.row() < FFixedRows || Index.column() < FFixedCols;
}

QModelIndex TEditGrid::ValueCellFor(int Row, int Col) const {
  if (rowCount() <= FFixedRows || columnCount() <= FFixedCols) return {};
  const int ValueRow = Row >= FFixedRows ? Row : std::max(currentRow(), FFixedRows);
  int ValueCol = Col;
  if (ValueCol < FFixedCols) ValueCol = FKeepColumn && currentColumn() >= FFixedCols ? currentColumn() : FFixedCols;
  return model()->index(std::min(ValueRow, rowCount() - 1), std::min(ValueCol, columnCount() - 1));
}

QModelIndex TEditGrid::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) {
  const int Width = columnCount() - FFixedCols;
  const int Count = (rowCount() - FFixedRows) * Width;
  if (Count <= 0) return {};
  const QModelIndex Current = currentIndex();
  if (Current.isValid() && IsFixed(Current)) return ValueCellFor(Current.row(), Current.column());
  if (Action == MoveNext || Action == MovePrevious) {
    // The value cells in reading order, the last followed by the first.
    const int Step = Action == MoveNext ? 1 : -1;
    int At = Current.isValid() ? (Current.row() - FFixedRows) * Width + Current.column() - FFixedCols
                               : (Step > 0 ? -1 : Count);
    At = (At + Step + Count) % Count;
    return model()->index(FFixedRows + At / Width, FFixedCols + At % Width);
  }
  const QModelIndex Moved = QTableWidget::moveCursor(Action, Modifiers);
  if (!Moved.isValid()) return Moved;
  return model()->index(std::max(Moved.row(), FFixedRows), std::max(Moved.column(), FFixedCols));
}

void TEditGrid::mousePressEvent(QMouseEvent* Event) {
  const QModelIndex Index = indexAt(Event->position().toPoint());
  if (!Index.isValid() || !IsFixed(Index)) {
    QTableWidget::mousePressEvent(Event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const QModelIndex Target = ValueCellFor(Index.row(), Index.column());
  if (Target.isValid()) setCurrentIndex(Target);
  Event->accept();
}

void TEditGrid::mouseMoveEvent(QMouseEvent* Event) {
  const QModelIndex Index = indexAt(Event->position().toPoint());
  if (Event->buttons() != Qt::NoButton && Index.isValid() && IsFixed(Index)) return;
  QTableWidget::mouseMoveEvent(Event);
}
