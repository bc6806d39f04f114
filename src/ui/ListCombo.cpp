#include "ListCombo.h"

#include <QKeyEvent>

TListCombo::TListCombo(QWidget* Parent) : QComboBox(Parent) {}

void TListCombo::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() != Qt::Key_Space || Event->modifiers() != Qt::NoModifier || isEditable()) {
    QComboBox::keyPressEvent(Event);
    return;
  }
  // The base class opens the list on Space, but hands the text of a key it has no use
  // for to the typed search, which goes on from the keys typed just before.
  QKeyEvent Search(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, Event->text(), Event->isAutoRepeat(),
                   Event->count());
  QComboBox::keyPressEvent(&Search);
  Event->setAccepted(Search.isAccepted());
}
