#pragma once
// Modal message boxes of the dialogs, behind one replaceable function so that tests
// (and any other caller that must not block) can answer them instead of a person.

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

enum class TMsgDlgType { Error, Warning, Information, Confirmation };

// Shows Text in a modal box of the given type with the given buttons and returns the
// button pressed (Cancel or the escape button when the box is closed otherwise).
using TMessageDlgHandler = std::function<QMessageBox::StandardButton(
    QWidget* Parent, TMsgDlgType Type, const QString& Text, QMessageBox::StandardButtons Buttons)>;

QMessageBox::StandardButton MessageDlg(QWidget* Parent, const QString& Text, TMsgDlgType Type,
                                       QMessageBox::StandardButtons Buttons = QMessageBox::Ok);

// Replaces the handler; an empty handler brings back the real message box. Returns the
// handler that was in place (empty for the real one).
TMessageDlgHandler SetMessageDlgHandler(TMessageDlgHandler Handler);
