#include "MsgDlg.h"

#include <utility>

namespace {

TMessageDlgHandler& CurrentHandler() {
  static TMessageDlgHandler Handler;
  return Handler;
}

QMessageBox::StandardButton ShowMessageBox(QWidget* Parent, TMsgDlgType Type, const QString& Text,
                                           QMessageBox::StandardButtons Buttons) {
  QMessageBox::Icon Icon = QMessageBox::Information;
  QString Title = QStringLiteral("Information");
  switch (Type) {
    case TMsgDlgType::Error:
      Icon = QMessageBox::Critical;
      Title = QStringLiteral("Error");
      break;
    case TMsgDlgType::Warning:
      Icon = QMessageBox::Warning;
      Title = QStringLiteral("Warning");
      break;
    case TMsgDlgType::Confirmation:
      Icon = QMessageBox::Question;
      Title = QStringLiteral("Confirm");
      break;
    case TMsgDlgType::Information:
      break;
  }
  QMessageBox Box(Icon, Title, Text, Buttons, Parent);
  // A name or an address in the text can be copied.
  Box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  const int Result = Box.exec();
  const auto Pressed = static_cast<QMessageBox::StandardButton>(Result);
  // Closing the box by its close button or Escape counts as Cancel.
  return Buttons.testFlag(Pressed) ? Pressed : QMessageBox::Cancel;
}

}  // namespace

QMessageBox::StandardButton MessageDlg(QWidget* Parent, const QString& Text, TMsgDlgType Type,
                                       QMessageBox::StandardButtons Buttons) {
  if (CurrentHandler()) return CurrentHandler()(Parent, Type, Text, Buttons);
  return ShowMessageBox(Parent, Type, Text, Buttons);
}

TMessageDlgHandler SetMessageDlgHandler(TMessageDlgHandler Handler) {
  return std::exchange(CurrentHandler(), std::move(Handler));
}
