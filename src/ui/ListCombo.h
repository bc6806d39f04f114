#pragma once
// A drop-down list without free text (lists of names, dates). Typed keys look for the
// entry whose name starts with them, a space included, so that "Spring b" finds
// "Spring barley": a plain Space goes on with that search instead of opening the list.
// F4 and Alt+Down open it; keys typed while it is open go to the open list.

#include <QComboBox>

class TListCombo : public QComboBox {
 public:
  explicit TListCombo(QWidget* Parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
};
