// The four event editors: finding the day's event, the checks and their messages in
// order (the dialog stays open and the offending control gets the focus), storing,
// deleting, and the unit and nitrogen labels in both unit systems.

#include "DialogTestSupport.h"
#include "SovSched.h"
#include "SvFertApp.h"
#include "SvManureApp.h"
#include "SvNitrate.h"
#include "SvResidue.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QDate Start(2016, 4, 5);

class EventEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }

  // An event in row Row.
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

  // Shows the dialog without a modal loop and makes it the active window, so that focus
  // changes can be seen.
  static void ShowActive(QDialog& Dlg) {
    Dlg.show();
    Dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dlg));
  }

  TSovSchedule Field{RegionLookup(), UsFormatSettings()};
  TMessageRecorder Recorder;
};

// One OK press: the expected message (empty: accepted), and the control that should
// then hold the focus.
void ExpectOk(QDialog& Dlg, QPushButton* OK, TMessageRecorder& Recorder, const QString& Message,
              QWidget* Focus) {
  Recorder.Messages.clear();
  QTest::mouseClick(OK, Qt::LeftButton);
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

TEST_F(EventEditorsTest, FertilizerAddsNextToOtherCodesCheckingInOrder) {
  PutEvent(1, 10, 3, 2, "20", 1, "manure");  // a manure event on the same day
  TFertAppDlg Dlg(nullptr, 10, Start, false, true, Field);
  EXPECT_EQ(Dlg.windowTitle(), "Fertilizer Application Editor");
  EXPECT_EQ(Dlg.AppDate->text(), "Apr 14, 2016");
  EXPECT_EQ(Dlg.EventRow(), 2);
  EXPECT_FALSE(Dlg.DeleteButton->isEnabled());
  EXPECT_EQ(Dlg.FertCombo->count(), RegionLookup().FertilizerCount() + 1);
  EXPECT_EQ(Dlg.FertCombo->itemText(1), "Urea, 46-0-0 (46-0-0)");
  EXPECT_EQ(Dlg.FertCombo->currentIndex(), 0);
  EXPECT_TRUE(Dlg.RateUnitsLbl->text().isEmpty());
  ShowActive(Dlg);

  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nYou must select a Fertilizer Product.\n", Dlg.FertCombo);
  Dlg.FertCombo->setCurrentIndex(1);
  EXPECT_EQ(Dlg.RateUnitsLbl->text(), "lbs/acre");
  for (const char* Bad : {"", "0", "abc", "2000", "1,5"}) {
    Dlg.RateEdit->setText(Bad);
    ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nApplication Rate is missing or invalid.\n", Dlg.RateEdit);
  }
  Dlg.RateEdit->setText(" 100 ");
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nYou must select an Application Method.\n", Dlg.MethodCombo);
  EXPECT_EQ(EventRow(2), QStringList({"0", "0", "0", "", "0", "", "", "", ""})) << "nothing written yet";
  Dlg.MethodCombo->setCurrentIndex(3);
  Dlg.NotesEdit->setText("side dress");
  ExpectOk(Dlg, Dlg.OKButton, Recorder, QString(), nullptr);
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
      {true, UsFormatSettings(), 1, "100", "kg/ha", "N: 46.0 kg/ha"},
      {true, GermanFormatSettings(), 1, "100,5", "kg/ha", "N: 46,2 kg/ha"},
      {true, UsFormatSettings(), 3, "10", "liter/ha", "N: 3.6 kg/ha"},  // 10 x 0.28 x 1.28
      {false, UsFormatSettings(), 3, "10", "gal/acre", "N: 29.9 lbs/acre"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Rate.toStdString() + " " + C.Units.toStdString());
    TSovSchedule F(RegionLookup(), C.Format);
    TFertAppDlg Dlg(nullptr, 1, Start, C.Metric, true, F);
    Dlg.FertCombo->setCurrentIndex(C.Fert);
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), C.Units);
    EXPECT_EQ(Dlg.NRateLbl->text(), "");
    Dlg.RateEdit->setText(C.Rate);
    EXPECT_EQ(Dlg.NRateLbl->text(), "") << "not refreshed on each keystroke";
    emit Dlg.RateEdit->editingFinished();
    EXPECT_EQ(Dlg.NRateLbl->text(), C.NRate);
    Dlg.FertCombo->setCurrentIndex(0);
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), "");
    EXPECT_EQ(Dlg.NRateLbl->text(), "");
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
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), "lbs/acre");
    EXPECT_EQ(Dlg.NRateLbl->text(), "N: 51.0 lbs/acre");
  }
  // A product of 0, or indexes that are no rows of the lookup, select nothing.
  PutEvent(3, 7, 1, 0, "150", 99);
  TFertAppDlg Dlg(nullptr, 7, Start, false, true, Field);
  EXPECT_EQ(Dlg.FertCombo->currentIndex(), 0);
  EXPECT_EQ(Dlg.MethodCombo->currentIndex(), 0);
  EXPECT_EQ(Dlg.RateUnitsLbl->text(), "");
  EXPECT_EQ(Dlg.NRateLbl->text(), "");
  ShowActive(Dlg);
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nYou must select a Fertilizer Product.\n", Dlg.FertCombo);
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
  TNitrateDlg Next(nullptr, 20, Start, false, true, Field);
  EXPECT_EQ(Next.EventRow(), 1);
}

TEST_F(EventEditorsTest, FullEventTableDisablesOkAndDelete) {
  for (int Row = 1; Row <= MaxEvents; ++Row) PutEvent(Row, Row, 2, 0, "5");
  TResidueDlg Full(nullptr, 3, Start, false, true, Field);
  EXPECT_EQ(Full.EventRow(), 0);
  EXPECT_FALSE(Full.OKButton->isEnabled());
  EXPECT_FALSE(Full.DeleteButton->isEnabled());
  // The day's own nitrate event can still be changed.
  TNitrateDlg Own(nullptr, 3, Start, false, true, Field);
  EXPECT_EQ(Own.EventRow(), 3);
  EXPECT_TRUE(Own.OKButton->isEnabled());
}

TEST_F(EventEditorsTest, ValueBoundsPerEditor) {
  // Each row: the editor, the edit under test, its text, and the message (empty:
  // accepted). The other values of the manure editor are valid.
  struct Case {
    int Code;
    int Edit;  // 0 Value, 1 total N, 2 ammonium N
    QString Text;
    QString Message;
  };
  const QString Rate = "\nApplication Rate is missing or invalid.\n";
  const Case Cases[] = {
      {1, 0, "0", Rate},
      {1, 0, "1999", ""},
      {3, 0, "0", Rate},
      {3, 0, "499999", ""},
      {3, 1, "0.05", "\nTotal Nitrogen is missing or invalid.\n"},
      {3, 1, "0.1", ""},
      {3, 2, "0", ""},
      {3, 2, "-1", "\nAmmonium Nitrogen is missing or invalid.\n"},
      {2, 0, "0", ""},
      {2, 0, "99.5", "\nNitrate Concentration is missing or invalid.\n"},
      {4, 0, "0", ""},
      {4, 0, "100", ""},
      {4, 0, "100.5", "\nResidue Cover is missing or invalid.\n"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(QString("code %1 edit %2 '%3'").arg(C.Code).arg(C.Edit).arg(C.Text).toStdString());
    std::unique_ptr<TEventDlg> Dlg;
    QLineEdit* Edit = nullptr;
    if (C.Code == 1) {
      auto* D = new TFertAppDlg(nullptr, 2, Start, false, true, Field);
      D->FertCombo->setCurrentIndex(1);
      D->MethodCombo->setCurrentIndex(1);
      Edit = D->RateEdit;
      Dlg.reset(D);
    } else if (C.Code == 3) {
      auto* D = new TManureAppDlg(nullptr, 2, Start, false, true, Field);
      D->ManureCombo->setCurrentIndex(1);
      D->MethodCombo->setCurrentIndex(1);
      D->RateEdit->setText("5000");
      D->TotalNEdit->setText("20");
      D->AmmNEdit->setText("10");
      Edit = C.Edit == 0 ? D->RateEdit : C.Edit == 1 ? D->TotalNEdit : D->AmmNEdit;
      Dlg.reset(D);
    } else if (C.Code == 2) {
      auto* D = new TNitrateDlg(nullptr, 2, Start, false, true, Field);
      Edit = D->NitrateEdit;
      Dlg.reset(D);
    } else {
      auto* D = new TResidueDlg(nullptr, 2, Start, false, true, Field);
      Edit = D->ResidueEdit;
      Dlg.reset(D);
    }
    ShowActive(*Dlg);
    Edit->setText(C.Text);
    ExpectOk(*Dlg, Dlg->OKButton, Recorder, C.Message, Edit);
    if (C.Message.isEmpty()) {
      EXPECT_EQ(Field.GetCellInt(Dlg->EventRow(), SovCol::EvCode), C.Code);
      EXPECT_EQ(Field.GetCell(Dlg->EventRow(), SovCol::EvValue + (C.Edit == 0 ? 0 : C.Edit + 1)), C.Text);
      for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Field.SetCell(1, Col, "");
    }
  }
}

TEST_F(EventEditorsTest, ManureChecksUnitsAndStorage) {
  // English liquid, metric solid; German numbers are stored as typed.
  TSovSchedule German(RegionLookup(), GermanFormatSettings());
  TManureAppDlg Dlg(nullptr, 30, Start, true, false, German);
  EXPECT_EQ(Dlg.windowTitle(), "Manure Application Editor");
  ShowActive(Dlg);
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nYou must select a Manure Type.\n", Dlg.ManureCombo);
  Dlg.ManureCombo->setCurrentIndex(2);  // solid
  EXPECT_EQ(Dlg.RateUnitsLbl->text(), "MT/ha");
  EXPECT_EQ(Dlg.TotalNUnitsLbl->text(), "kg/MT");
  EXPECT_EQ(Dlg.AmmNUnitsLbl->text(), "kg/MT");
  Dlg.RateEdit->setText("12,5");
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nYou must select an Application Method.\n", Dlg.MethodCombo);
  Dlg.MethodCombo->setCurrentIndex(2);
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nTotal Nitrogen is missing or invalid.\n", Dlg.TotalNEdit);
  Dlg.TotalNEdit->setText("4,5");
  Dlg.AmmNEdit->setText("1.5");  // a "." is no decimal separator here
  ExpectOk(Dlg, Dlg.OKButton, Recorder, "\nAmmonium Nitrogen is missing or invalid.\n", Dlg.AmmNEdit);
  Dlg.AmmNEdit->setText("1,5");
  ExpectOk(Dlg, Dlg.OKButton, Recorder, QString(), nullptr);
  EXPECT_EQ(Dlg.NRateLbl->text(), "");
  const int Row = Dlg.EventRow();
  EXPECT_EQ(German.GetCell(Row, SovCol::EvValue), "12,5");
  EXPECT_EQ(German.GetCell(Row, SovCol::EvValue2), "4,5");
  EXPECT_EQ(German.GetCell(Row, SovCol::EvValue3), "1,5");
  EXPECT_EQ(German.GetCellInt(Row, SovCol::EvKey1), 2);
  EXPECT_EQ(German.GetCellInt(Row, SovCol::EvKey2), 2);

  // Reopened in English units with a liquid manure: the stored event comes back.
  German.SetCellInt(Row, SovCol::EvKey1, 1);
  TManureAppDlg Again(nullptr, 30, Start, false, true, German);
  EXPECT_EQ(Again.EventRow(), Row);
  EXPECT_EQ(Again.RateUnitsLbl->text(), "gal/acre");
  EXPECT_EQ(Again.TotalNUnitsLbl->text(), "lbs/1000 gal");
  EXPECT_EQ(Again.TotalNEdit->text(), "4,5");
  Again.ManureCombo->setCurrentIndex(0);
  EXPECT_EQ(Again.RateUnitsLbl->text(), "");
  EXPECT_EQ(Again.AmmNUnitsLbl->text(), "");
}

TEST_F(EventEditorsTest, CancelWritesNothing) {
  TNitrateDlg Dlg(nullptr, 1, Start, false, true, Field);
  EXPECT_EQ(Dlg.AppDate->text(), "Apr 5, 2016");
  EXPECT_EQ(Dlg.DateLbl->text(), "Event Date");
  ShowActive(Dlg);
  Dlg.NitrateEdit->setText("12");
  QTest::mouseClick(Dlg.CancelButton, Qt::LeftButton);
  EXPECT_EQ(Dlg.result(), QDialog::Rejected);
  EXPECT_FALSE(Dlg.EventChanged());
  EXPECT_EQ(Field.GetCellInt(1, SovCol::EvCode), 0);
}

}  // namespace
