#include "SvEventDlg.h"

#include "ShlUtil.h"

#include "ListCombo.h"
#include "MsgDlg.h"
#include "SovFile.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>


TEventDlg::TEventDlg(QWidget* Owner, int EventCode, const QString& Caption,
                     const QString& DateCaption, int Day, const QDate& StartDate, bool IsMetric,
                     bool IsUSLocation, TSovFile& FieldData)
    : QDialog(Owner),
      FEventCode(EventCode),
      FDay(Day),
      FStartDate(StartDate),
      FIsMetric(IsMetric),
      FIsUSLocation(IsUSLocation),
      FFieldData(FieldData) {
  setWindowTitle(Caption);
  setModal(true);
  SetHelpContext(this, HelpContext::Editors);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  DateLbl = new QLabel(DateCaption, this);
  AppDate = new QLabel(this);
  AppDate->setObjectName(QStringLiteral("AppDate"));
  AppDate->setText(
      FormatDate(QStringLiteral("mmm d, yyyy"), StartDate.addDays(Day - 1), FieldData.UserFormat()));
  NotesLbl = new QLabel(QStringLiteral("Notes"), this);
  NotesEdit = NewValueEdit("NotesEdit");
  // A note typed, pasted or loaded is kept whole: no file holds a longer one.
  NotesEdit->setMaxLength(TSovFile::MaxTextLength);
  DeleteButton = new QPushButton(QStringLiteral("Delete"), this);
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  OKButton->setDefault(true);
  DeleteButton->setAutoDefault(false);
  CancelButton->setAutoDefault(false);

  FGrid = new QGridLayout;
  FGrid->setHorizontalSpacing(8);
  FGrid->addWidget(DateLbl, 0, 0);
  FGrid->addWidget(AppDate, 0, 1, 1, 3);

  connect(DeleteButton, &QPushButton::clicked, this, &TEventDlg::DeleteButtonClick);
  connect(OKButton, &QPushButton::clicked, this, &TEventDlg::OKButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  // F1 opens the help topic of the event editors.
  auto* Help = new QShortcut(QKeySequence::HelpContents, this);
  connect(Help, &QShortcut::activated, this, [this] { ShowHelpContext(HelpContext::Editors, this); });
}

void TEventDlg::DisconnectControls() {
  DisconnectChildren(this);
}

void TEventDlg::AddValueRow(QLabel* Label, QWidget* Control, QLabel* Units, QLabel* Extra) {
  FGrid->addWidget(Label, FNextRow, 0);
  FGrid->addWidget(Control, FNextRow, 1);
  if (Units != nullptr) FGrid->addWidget(Units, FNextRow, 2);
  if (Extra != nullptr) FGrid->addWidget(Extra, FNextRow, 3);
  Label->setBuddy(Control);
  FTabChain.push_back(Control);
  ++FNextRow;
}

void TEventDlg::FinishLayout() {
  FGrid->addWidget(NotesLbl, FNextRow, 0);
  FGrid->addWidget(NotesEdit, FNextRow, 1, 1, 3);
  NotesLbl->setBuddy(NotesEdit);
  FGrid->setColumnMinimumWidth(2, 90);
  FGrid->setColumnMinimumWidth(3, 120);
  FGrid->setColumnStretch(1, 1);

  auto* Buttons = new QHBoxLayout;
  Buttons->addWidget(DeleteButton);
  Buttons->addStretch(1);
  Buttons->addWidget(OKButton);
  Buttons->addWidget(CancelButton);

  auto* Main = new QVBoxLayout(this);
  Main->addLayout(FGrid);
  Main->addSpacing(8);
  Main->addLayout(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);

  // Tab goes down the values, then the notes and the buttons; the first value starts
  // with the focus.
  FTabChain.push_back(NotesEdit);
  FTabChain.push_back(OKButton);
  FTabChain.push_back(CancelButton);
  FTabChain.push_back(DeleteButton);
  for (size_t I = 1; I < FTabChain.size(); ++I) setTabOrder(FTabChain[I - 1], FTabChain[I]);
  FTabChain.front()->setFocus();
}

QLineEdit* TEventDlg::NewValueEdit(const char* Name) {
  auto* Edit = new QLineEdit(this);
  Edit->setObjectName(QLatin1String(Name));
  return Edit;
}

QComboBox* TEventDlg::NewLookupCombo(const char* Name, int MaxVisible) {
  auto* Combo = new TListCombo(this);
  Combo->setObjectName(QLatin1String(Name));
  Combo->setMaxVisibleItems(MaxVisible);
  Combo->addItem(QString());
  return Combo;
}

QString TEventDlg::Units(TUnitKind Kind) const { return TSovFile::UnitsLabel(Kind, FIsMetric); }

void TEventDlg::SelectEntry(QComboBox* Combo, int Index) {
  Combo->setCurrentIndex(Index >= 0 && Index < Combo->count() ? Index : 0);
}

void TEventDlg::SelectKey(QComboBox* Combo, int Row, int Col) {
  const QString Held = FFieldData.HeldName(Row, Col);
  Combo->setPlaceholderText(Held);
  if (Held.isEmpty())
    SelectEntry(Combo, FFieldData.GetCellInt(Row, Col));
  else
    Combo->setCurrentIndex(-1);
}

void TEventDlg::FindDayEvent() {
  FEventRow = 0;
  DeleteButton->setEnabled(false);
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    if (FFieldData.GetCellInt(Row, SovCol::EvDay) == FDay &&
        FFieldData.GetCellInt(Row, SovCol::EvCode) == FEventCode) {
      FEventRow = Row;
      break;
    }
  }
  if (FEventRow > 0) {
    DeleteButton->setEnabled(true);
    LoadEvent(FEventRow);
    NotesEdit->setText(FFieldData.GetCell(FEventRow, SovCol::EvNotes));
    return;
  }
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    if (FFieldData.GetCellInt(Row, SovCol::EvCode) == 0) {
      FEventRow = Row;
      break;
    }
  }
  // All rows taken, or a day outside the schedule year: nothing can be added.
  if (FEventRow == 0 || FDay < 1 || FDay > MaxDays) OKButton->setEnabled(false);
}

void TEventDlg::ShowError(QWidget* Focus, const QString& Message) {
  MessageDlg(this, Message, TMsgDlgType::Error, QMessageBox::Ok);
  if (Focus != nullptr) Focus->setFocus(Qt::OtherFocusReason);
  if (auto* Edit = qobject_cast<QLineEdit*>(Focus)) Edit->selectAll();
}

bool TEventDlg::CheckNumber(QLineEdit* Edit, int Col, const QLabel* Label) {
  double Value = 0;
  if (TSovFile::IsValidNumber(Edit->text(), Col, FIsMetric, FIsUSLocation, FFieldData.UserFormat(),
                              FEventCode, Value)) {
    return true;
  }
  ShowError(Edit, QStringLiteral("\n") + Label->text() + QStringLiteral(" is missing or invalid.\n"));
  return false;
}

bool TEventDlg::CheckSelected(QComboBox* Combo, const QString& MessageStart, const QLabel* Label) {
  if (Combo->currentIndex() > 0) return true;
  ShowError(Combo, MessageStart + Label->text() + QStringLiteral(".\n"));
  return false;
}

void TEventDlg::DeleteButtonClick() {
  if (FEventRow < 1 || FEventRow > MaxEvents) return;
  const auto Answer =
      MessageDlg(this, QStringLiteral("\nAre you sure you want to delete this event?\n"),
                 TMsgDlgType::Confirmation, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (Answer != QMessageBox::Yes) return;
  for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) {
    FFieldData.SetCell(FEventRow, Col, QString());
  }
  FEventChanged = true;
  accept();
}

void TEventDlg::OKButtonClick() {
  if (!OKButton->isEnabled() || FEventRow < 1 || FEventRow > MaxEvents) return;
  if (!CheckValues()) return;
  FFieldData.SetCellInt(FEventRow, SovCol::EvDay, FDay);
  FFieldData.SetCellInt(FEventRow, SovCol::EvCode, FEventCode);
  StoreValues(FEventRow);
  FFieldData.SetCell(FEventRow, SovCol::EvNotes, NotesEdit->text());
  FEventChanged = true;
  accept();
}
