// The four event editors: finding the day's event, the checks and their messages in
// order (the dialog stays open and the offending control gets the focus), storing,
// deleting, and the unit and nitrogen labels in both unit systems.

#include "DialogTestSupport.h"
#include "SvFertApp.h"
#include "SvManureApp.h"
#include "SvNitrate.h"
#include "SvResidue.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QDate Start(2016, 4, 5);

std::unique_ptr<TEventDlg> NewEditor(int Code, int Day, TSovFile& Field) {
  if (Code == 2) return std::make_unique<TNitrateDlg>(nullptr, Day, Start, false, true, Field);
  if (Code == 3) return std::make_unique<TManureAppDlg>(nullptr, Day, Start, false, true, Field);
  return std::make_unique<TResidueDlg>(nullptr, Day, Start, false, true, Field);
}

class EventEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }

  void PutEvent(int Row, int Day, int Code, int Key1, const QString& Value, int Key2 = 0,
                const QString& Notes = QString()) {
    Field.SetCellInt(Row, SovCol::EvDay, Day);
    Field.SetCellInt(Row, SovCol::EvCode, Code);
    Field.SetCellInt(Row, SovCol::EvKey1, Key1);
    Field.SetCell(Row, SovCol::EvValue, Value);
    Field.SetCellInt(Row, SovCol::EvKey2, Key2);
    Field.SetCell(Row, SovCol::EvNotes, Notes);
  }
  QStringList EventRow(int Row) const {
    QStringList Cells;
    for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Cells << Field.GetCell(Row, Col);
    return Cells;
  }
  // Shown without a modal loop as the active window, so that focus changes can be seen.
  static void ShowActive(QDialog& Dlg) {
    Dlg.show();
    Dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dlg));
  }
  // One OK press: the expected message (empty: accepted and closed) and the control
  // that should then hold the focus.
  void ExpectOk(TEventDlg& Dlg, const QString& Message, QWidget* Focus = nullptr) {
    Recorder.Messages.clear();
    QTest::mouseClick(Dlg.OKButton, Qt::LeftButton);
    if (Message.isEmpty()) {
      EXPECT_TRUE(Recorder.Messages.isEmpty()) << Recorder.Messages.join('|').toStdString();
      EXPECT_EQ(Dlg.result(), QDialog::Accepted);
      EXPECT_FALSE(Dlg.isVisible());
      return;
    }
    ASSERT_EQ(Recorder.Messages.size(), 1);
    EXPECT_EQ(Recorder.Messages[0], Message);
    EXPECT_EQ(Recorder.Types.back(), TMsgDlgType::Error);
    EXPECT_TRUE(Dlg.isVisible()) << "a refused entry keeps the dialog open";
    if (Focus != nullptr) {
      EXPECT_EQ(QApplication::focusWidget(), Focus) << Message.toStdString();
    }
  }

  TSovSchedule Field{RegionLookup(), UsFormatSettings()};
  TMessageRecorder Recorder;
};

TEST_F(EventEditorsTest, FertilizerAddsNextToOtherCodesCheckingInOrder) {
  PutEvent(1, 10, 3, 2, "20", 1, "manure");  // a manure event on the same day
  TFertAppDlg Dlg(nullptr, 10, Start, false, true, Field);
  EXPECT_EQ(Dlg.AppDate->text(), "Apr 14, 2016");
  EXPECT_EQ(Dlg.EventRow(), 2);
  EXPECT_FALSE(Dlg.DeleteButton->isEnabled());
  EXPECT_EQ(Dlg.FertCombo->count(), RegionLookup().FertilizerCount() + 1);
  EXPECT_EQ(Dlg.FertCombo->itemText(1), "Urea, 46-0-0 (46-0-0)");
  EXPECT_EQ(Dlg.FertCombo->currentIndex(), 0);
  ShowActive(Dlg);

  ExpectOk(Dlg, "\nYou must select a Fertilizer Product.\n", Dlg.FertCombo);
  Dlg.FertCombo->setCurrentIndex(1);
  for (const char* Bad : {"", "0", "abc", "2000", "1,5"}) {
    Dlg.RateEdit->setText(Bad);
    ExpectOk(Dlg, "\nApplication Rate is missing or invalid.\n", Dlg.RateEdit);
  }
  Dlg.RateEdit->setText(" 100 ");
  ExpectOk(Dlg, "\nYou must select an Application Method.\n", Dlg.MethodCombo);
  EXPECT_EQ(EventRow(2), QStringList({"0", "0", "0", "", "0", "", "", "", ""})) << "nothing written yet";
  Dlg.MethodCombo->setCurrentIndex(3);
  Dlg.NotesEdit->setText("side dress");
  ExpectOk(Dlg, QString());
  EXPECT_TRUE(Dlg.EventChanged());
  EXPECT_EQ(EventRow(2), QStringList({"10", "1", "1", "100", "3", "", "", "", "side dress"}));
  EXPECT_EQ(EventRow(1), QStringList({"10", "3", "2", "20", "1", "", "", "", "manure"}));
}

TEST_F(EventEditorsTest, FertilizerUnitsAndNitrogenRate) {
  // The nitrogen label follows the product at once and the rate only when it is left.
  struct Case {
    bool Metric;
    TFormatSettings Format;
    int Fert;
    QString Rate, Units, NRate;
  };
  const Case Cases[] = {
      {false, UsFormatSettings(), 1, "100", "lbs/acre", "N: 46.0 lbs/acre"},
      {true, GermanFormatSettings(), 1, "100,5", "kg/ha", "N: 46,2 kg/ha"},
      {true, UsFormatSettings(), 3, "10", "liter/ha", "N: 3.6 kg/ha"},  // 10 x 0.28 x 1.28
      {false, UsFormatSettings(), 3, "10", "gal/acre", "N: 29.9 lbs/acre"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.NRate.toStdString());
    TSovSchedule F(RegionLookup(), C.Format);
    TFertAppDlg Dlg(nullptr, 1, Start, C.Metric, true, F);
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), "");
    Dlg.FertCombo->setCurrentIndex(C.Fert);
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), C.Units);
    Dlg.RateEdit->setText(C.Rate);
    EXPECT_EQ(Dlg.NRateLbl->text(), "") << "not refreshed on each keystroke";
    emit Dlg.RateEdit->editingFinished();
    EXPECT_EQ(Dlg.NRateLbl->text(), C.NRate);
    Dlg.FertCombo->setCurrentIndex(0);
    EXPECT_EQ(Dlg.RateUnitsLbl->text() + Dlg.NRateLbl->text(), "");
  }
}

TEST_F(EventEditorsTest, ExistingEventsLoadTheLowestRowAndCheckTheirIndexes) {
  PutEvent(3, 7, 1, 2, "150", 4, "first");
  PutEvent(5, 7, 1, 1, "90", 1, "second");
  {
    TFertAppDlg Dlg(nullptr, 7, Start, false, true, Field);
    EXPECT_EQ(Dlg.EventRow(), 3);
    EXPECT_TRUE(Dlg.DeleteButton->isEnabled());
    EXPECT_EQ(Dlg.FertCombo->currentIndex(), 2);
    EXPECT_EQ(Dlg.RateEdit->text(), "150");
    EXPECT_EQ(Dlg.MethodCombo->currentIndex(), 4);
    EXPECT_EQ(Dlg.NotesEdit->text(), "first");
    EXPECT_EQ(Dlg.NRateLbl->text(), "N: 51.0 lbs/acre");
  }
  // With all 50 rows taken only the day's own event can be changed.
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    if (Row != 3) PutEvent(Row, Row + 10, 2, 0, "5");
  }
  const TResidueDlg Full(nullptr, 7, Start, false, true, Field);
  EXPECT_EQ(Full.EventRow(), 0);
  EXPECT_FALSE(Full.OKButton->isEnabled());
  EXPECT_FALSE(Full.DeleteButton->isEnabled());
  // A product of 0, or indexes that are no rows of the lookup, select nothing.
  PutEvent(3, 7, 1, 0, "150", 99);
  TFertAppDlg Dlg(nullptr, 7, Start, false, true, Field);
  EXPECT_EQ(Dlg.EventRow(), 3);
  EXPECT_TRUE(Dlg.OKButton->isEnabled());
  EXPECT_EQ(Dlg.FertCombo->currentIndex(), 0);
  EXPECT_EQ(Dlg.MethodCombo->currentIndex(), 0);
  EXPECT_EQ(Dlg.RateUnitsLbl->text() + Dlg.NRateLbl->text(), "");
  ShowActive(Dlg);
  ExpectOk(Dlg, "\nYou must select a Fertilizer Product.\n", Dlg.FertCombo);
}

TEST_F(EventEditorsTest, DeleteAsksAndFreesTheRow) {
  PutEvent(1, 4, 4, 0, "30", 0, "cover");
  TResidueDlg Dlg(nullptr, 4, Start, false, true, Field);
  ASSERT_EQ(Dlg.EventRow(), 1);
  EXPECT_EQ(Dlg.ResidueEdit->text(), "30");
  ShowActive(Dlg);
  for (auto Answer : {QMessageBox::No, QMessageBox::Cancel}) {
    Recorder.Answers = {Answer};
    QTest::mouseClick(Dlg.DeleteButton, Qt::LeftButton);
    EXPECT_TRUE(Dlg.isVisible());
    EXPECT_FALSE(Dlg.EventChanged());
    EXPECT_EQ(Field.GetCell(1, SovCol::EvValue), "30");
  }
  EXPECT_EQ(Recorder.Messages.back(), "\nAre you sure you want to delete this event?\n");
  EXPECT_EQ(Recorder.Types.back(), TMsgDlgType::Confirmation);
  Recorder.Answers = {QMessageBox::Yes};
  QTest::mouseClick(Dlg.DeleteButton, Qt::LeftButton);
  EXPECT_EQ(Dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(Dlg.EventChanged());
  EXPECT_EQ(EventRow(1), QStringList({"0", "0", "0", "", "0", "", "", "", ""}));
  // The freed row is the one a new event takes.
  PutEvent(2, 9, 2, 0, "5");
  EXPECT_EQ(TNitrateDlg(nullptr, 20, Start, false, true, Field).EventRow(), 1);
}

TEST_F(EventEditorsTest, ValueBoundsPerEditor) {
  // The editor, the edit under test, its text, and the message (empty: accepted); the
  // editor's other values are valid.
  struct Case {
    int Code;
    const char* Edit;
    QString Text, Message;
  };
  const Case Cases[] = {
      {3, "RateEdit", "0", "\nApplication Rate is missing or invalid.\n"},
      {3, "TotalNEdit", "0.05", "\nTotal Nitrogen is missing or invalid.\n"},
      {3, "AmmNEdit", "0", ""},
      {2, "NitrateEdit", "0", ""},
      {2, "NitrateEdit", "99.5", "\nNitrate Concentration is missing or invalid.\n"},
      {4, "ResidueEdit", "100", ""},
      {4, "ResidueEdit", "100.5", "\nResidue Cover is missing or invalid.\n"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(QString("%1 '%2'").arg(C.Edit, C.Text).toStdString());
    const auto Dlg = NewEditor(C.Code, 2, Field);
    for (auto* Combo : Dlg->findChildren<QComboBox*>()) Combo->setCurrentIndex(1);
    for (const char* Name : {"RateEdit", "TotalNEdit", "AmmNEdit"}) {
      if (auto* Edit = Dlg->findChild<QLineEdit*>(Name)) Edit->setText("10");
    }
    auto* Edit = Dlg->findChild<QLineEdit*>(C.Edit);
    ASSERT_NE(Edit, nullptr);
    ShowActive(*Dlg);
    Edit->setText(C.Text);
    ExpectOk(*Dlg, C.Message, Edit);
    if (C.Message.isEmpty()) {
      EXPECT_EQ(Field.GetCellInt(Dlg->EventRow(), SovCol::EvCode), C.Code);
      for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Field.SetCell(Dlg->EventRow(), Col, "");
    }
  }
}

TEST_F(EventEditorsTest, ManureChecksUnitsAndStorage) {
  // Metric solid manure with German numbers, stored as typed.
  TSovSchedule German(RegionLookup(), GermanFormatSettings());
  TManureAppDlg Dlg(nullptr, 30, Start, true, false, German);
  ShowActive(Dlg);
  ExpectOk(Dlg, "\nYou must select a Manure Type.\n", Dlg.ManureCombo);
  Dlg.ManureCombo->setCurrentIndex(2);  // solid
  EXPECT_EQ(Dlg.RateUnitsLbl->text(), "MT/ha");
  EXPECT_EQ(Dlg.TotalNUnitsLbl->text(), "kg/MT");
  EXPECT_EQ(Dlg.AmmNUnitsLbl->text(), "kg/MT");
  Dlg.RateEdit->setText("12,5");
  ExpectOk(Dlg, "\nYou must select an Application Method.\n", Dlg.MethodCombo);
  Dlg.MethodCombo->setCurrentIndex(2);
  ExpectOk(Dlg, "\nTotal Nitrogen is missing or invalid.\n", Dlg.TotalNEdit);
  Dlg.TotalNEdit->setText("4,5");
  Dlg.AmmNEdit->setText("1.5");  // a "." is no decimal separator here
  ExpectOk(Dlg, "\nAmmonium Nitrogen is missing or invalid.\n", Dlg.AmmNEdit);
  Dlg.AmmNEdit->setText("1,5");
  ExpectOk(Dlg, QString());
  const int Row = Dlg.EventRow();
  QStringList Stored;
  for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Stored << German.GetCell(Row, Col);
  EXPECT_EQ(Stored, QStringList({"30", "3", "2", "12,5", "2", "4,5", "1,5", "", ""}));

  // Reopened in English units with a liquid manure: the stored event comes back.
  German.SetCellInt(Row, SovCol::EvKey1, 1);
  TManureAppDlg Again(nullptr, 30, Start, false, true, German);
  EXPECT_EQ(Again.EventRow(), Row);
  EXPECT_EQ(Again.RateUnitsLbl->text(), "gal/acre");
  EXPECT_EQ(Again.TotalNUnitsLbl->text(), "lbs/1000 gal");
  EXPECT_EQ(Again.TotalNEdit->text(), "4,5");
  Again.ManureCombo->setCurrentIndex(0);
  EXPECT_EQ(Again.RateUnitsLbl->text() + Again.AmmNUnitsLbl->text(), "");
}

}  // namespace
