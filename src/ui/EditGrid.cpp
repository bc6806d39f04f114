#include "EditGrid.h"

#include "SovFile.h"

#include <QKeyEvent>
#include <QLineEdit>
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
