// The four event editors: the checks of OK and their messages in order (the dialog stays
// open and the offending control gets the focus), what is stored, the unit and nitrogen
// labels in both unit systems, finding the day's event, deleting it, and names typed into
// the lists (the field page's too).

#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "SvFertApp.h"
#include "SvManureApp.h"
#include "SvNitrate.h"
#include "SvResidue.h"

#include <QClipboard>

namespace {

const QDate Start(2016, 4, 5);

std::unique_ptr<TEventDlg> NewEditor(int Code, int Day, bool Metric, TSovFile& Field) {
  switch (Code) {
    case 1: return std::make_unique<TFertAppDlg>(nullptr, Day, Start, Metric, true, Field);
    case 2: return std::make_unique<TNitrateDlg>(nullptr, Day, Start, Metric, true, Field);
    case 3: return std::make_unique<TManureAppDlg>(nullptr, Day, Start, Metric, true, Field);
    default: return std::make_unique<TResidueDlg>(nullptr, Day, Start, Metric, true, Field);
  }
}

QStringList EventRow(const TSovFile& Field, int Row) {
  QStringList Cells;
  for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Cells << Field.GetCell(Row, Col);
  return Cells;
}

void PutEvent(TSovFile& Field, int Row, const QStringList& Cells) {
  for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Field.SetCell(Row, Col, Cells.value(Col - SovCol::FirstEvent));
}

const QStringList NoEvent = {"0", "0", "0", "", "0", "", "", "", ""};

class EventEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  TSovSchedule Field{RegionLookup(), UsFormatSettings()};
  TMessageRecorder Recorder;
};

TEST_F(EventEditorsTest, ChecksInOrderAndWhatIsStored) {
  const QString Rate = "\nApplication Rate is missing or invalid.\n";
  const QString Method = "\nYou must select an Application Method.\n";
  // The editor, its values (a combo box takes the index), and the message of OK (empty:
  // accepted) with the control that then has the focus, or the event row stored.
  using TValues = std::vector<std::pair<const char*, QString>>;
  const TValues Fert = {{"FertCombo", "1"}, {"RateEdit", " 100 "}};
  const TValues Manure = {{"ManureCombo", "2"}, {"RateEdit", "12,5"}, {"MethodCombo", "2"}, {"TotalNEdit", "4,5"}};
  const TValues Valid = {{"ManureCombo", "1"}, {"MethodCombo", "1"}, {"RateEdit", "10"}, {"TotalNEdit", "10"}, {"AmmNEdit", "10"}};
  const auto With = [](TValues Values, const TValues& More) {
    Values.insert(Values.end(), More.begin(), More.end());
    return Values;
  };
  const struct {
    int Code;
    bool German;  // metric with German numbers; else English units and "." numbers
    TValues Values;
    QString Message;
    const char* FocusOrStored;
  } Cases[] = {
      {1, false, {}, "\nYou must select a Fertilizer Product.\n", "FertCombo"},
      {1, false, {{"FertCombo", "1"}}, Rate, "RateEdit"},
      {1, false, {{"FertCombo", "1"}, {"RateEdit", "2000"}}, Rate, "RateEdit"},
      {1, false, {{"FertCombo", "1"}, {"RateEdit", "1,5"}}, Rate, "RateEdit"},
      {1, false, Fert, Method, "MethodCombo"},
      {1, false, With(Fert, {{"MethodCombo", "3"}, {"NotesEdit", "side dress"}}), "", "10,1,1,100,3,,,,side dress"},
      {3, true, {}, "\nYou must select a Manure Type.\n", "ManureCombo"},
      {3, true, {{"ManureCombo", "2"}, {"RateEdit", "12,5"}}, Method, "MethodCombo"},
      {3, true, With(Manure, {{"TotalNEdit", ""}}), "\nTotal Nitrogen is missing or invalid.\n", "TotalNEdit"},
      {3, true, With(Manure, {{"AmmNEdit", "1.5"}}), "\nAmmonium Nitrogen is missing or invalid.\n", "AmmNEdit"},
      {3, true, With(Manure, {{"AmmNEdit", "1,5"}}), "", "10,3,2,12,5,2,4,5,1,5,,"},
      {3, false, With(Valid, {{"TotalNEdit", "0.05"}}), "\nTotal Nitrogen is missing or invalid.\n", "TotalNEdit"},
      {3, false, With(Valid, {{"AmmNEdit", "0"}}), "", "10,3,1,10,1,10,0,,"},
      {2, false, {{"NitrateEdit", "0"}}, "", "10,2,0,0,0,,,,"},
      {2, false, {{"NitrateEdit", "99.5"}}, "\nNitrate Concentration is missing or invalid.\n", "NitrateEdit"},
      {4, false, {{"ResidueEdit", "100"}}, "", "10,4,0,100,0,,,,"},
      {4, false, {{"ResidueEdit", "100.5"}}, "\nResidue Cover is missing or invalid.\n", "ResidueEdit"},
      {4, false, {{"ResidueEdit", "30.5"}}, "\nResidue Cover is missing or invalid.\n", "ResidueEdit"},
      {4, true, {{"ResidueEdit", "30,5"}}, "\nResidue Cover is missing or invalid.\n", "ResidueEdit"},
      {4, true, {{"ResidueEdit", "30"}}, "", "10,4,0,30,0,,,,"},
  };
  for (const auto& C : Cases) {
    QString Trace = QString::number(C.Code);
    for (const auto& [Name, Text] : C.Values) Trace += QStringLiteral(" %1='%2'").arg(Name, Text);
    SCOPED_TRACE(Trace.toStdString());
    TSovSchedule F(RegionLookup(), C.German ? GermanFormatSettings() : UsFormatSettings());
    PutEvent(F, 1, {"10", C.Code == 1 ? "3" : "1", "2", "20", "1", "", "", "", "other code, same day"});
    const auto Dlg = NewEditor(C.Code, 10, C.German, F);
    ASSERT_EQ(Dlg->EventRow(), 2);
    for (const auto& [Name, Text] : C.Values) {
      if (auto* Combo = Dlg->findChild<QComboBox*>(Name)) Combo->setCurrentIndex(Text.toInt());
      else Child<QLineEdit>(*Dlg, Name)->setText(Text);
    }
    ShowActive(*Dlg);
    Recorder.Take();
    QTest::mouseClick(Dlg->OKButton, Qt::LeftButton);
    EXPECT_EQ(Recorder.Messages, C.Message.isEmpty() ? QStringList() : QStringList({C.Message}));
    const bool Accepted = C.Message.isEmpty();  // a refused entry keeps the dialog open
    EXPECT_EQ(Dlg->result() == QDialog::Accepted, Accepted);
    EXPECT_EQ(Dlg->isVisible(), !Accepted);
    EXPECT_EQ(Dlg->EventChanged(), Accepted);
    if (C.Message.isEmpty()) {
      EXPECT_EQ(EventRow(F, 2).join(','), C.FocusOrStored);
    } else {
      EXPECT_EQ(Recorder.Types.back(), TMsgDlgType::Error);
      EXPECT_EQ(QApplication::focusWidget(), Dlg->findChild<QWidget*>(C.FocusOrStored));
      EXPECT_EQ(EventRow(F, 2), NoEvent) << "nothing written";
    }
    EXPECT_EQ(EventRow(F, 1).last(), "other code, same day");
  }
}

TEST_F(EventEditorsTest, EditorsStartAtTheirFirstValue) {
  // F1 there opens the editors' topic; Tab runs down the values to the notes and the buttons.
  const char* First[] = {"FertCombo", "NitrateEdit", "ManureCombo", "ResidueEdit"};
  for (int Code = 1; Code <= 4; ++Code) {
    const auto Dlg = NewEditor(Code, 20, true, Field);
    QWidget* W = Dlg->focusWidget();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->objectName(), First[Code - 1]);
    EXPECT_EQ(HelpContextOf(W), HelpContext::Editors);
    while (W != Dlg->NotesEdit && W->nextInFocusChain() != Dlg->focusWidget()) W = W->nextInFocusChain();
    EXPECT_EQ(W, Dlg->NotesEdit) << First[Code - 1];
    EXPECT_EQ(W->nextInFocusChain(), Dlg->OKButton) << First[Code - 1];
  }
}

TEST_F(EventEditorsTest, UnitAndNitrogenLabels) {
  // The fertiliser's nitrogen label follows the product at once and the rate only when
  // it is left; the manure's content units follow its kind.
  const struct {
    int Code;
    bool Metric;
    TFormatSettings Format;
    int Product;
    QString Rate, Units, Second;  // rate units; the N rate (fertiliser) or content units (manure)
  } Cases[] = {
      {1, false, UsFormatSettings(), 1, "100", "lbs/acre", "N: 46.0 lbs/acre"},
      {1, true, GermanFormatSettings(), 1, "100,5", "kg/ha", "N: 46,2 kg/ha"},
      {1, true, UsFormatSettings(), 3, "10", "liter/ha", "N: 3.6 kg/ha"},  // 10 x 0.28 x 1.28
      {1, false, UsFormatSettings(), 3, "10", "gal/acre", "N: 29.9 lbs/acre"},
      {3, true, GermanFormatSettings(), 2, "12,5", "MT/ha", "kg/MT"},
      {3, false, UsFormatSettings(), 1, "10", "gal/acre", "lbs/1000 gal"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Second.toStdString());
    TSovSchedule F(RegionLookup(), C.Format);
    const auto Dlg = NewEditor(C.Code, 1, C.Metric, F);
    auto* Fert = dynamic_cast<TFertAppDlg*>(Dlg.get());
    auto* Manure = dynamic_cast<TManureAppDlg*>(Dlg.get());
    QComboBox* Combo = Fert ? Fert->FertCombo : Manure->ManureCombo;
    QLineEdit* RateEdit = Fert ? Fert->RateEdit : Manure->RateEdit;
    QLabel* Units = Fert ? Fert->RateUnitsLbl : Manure->RateUnitsLbl;
    QLabel* Second = Fert ? Fert->NRateLbl : Manure->TotalNUnitsLbl;
    EXPECT_EQ(Units->text(), "");
    EXPECT_EQ(Second->text(), "");
    Combo->setCurrentIndex(C.Product);
    EXPECT_EQ(Units->text(), C.Units);
    RateEdit->setText(C.Rate);
    if (Fert) {
      EXPECT_EQ(Second->text(), "") << "not refreshed on each keystroke";
      emit RateEdit->editingFinished();
    } else {
      EXPECT_EQ(Manure->AmmNUnitsLbl->text(), C.Second);
    }
    EXPECT_EQ(Second->text(), C.Second);
    Combo->setCurrentIndex(0);
    EXPECT_EQ(Units->text(), "");
    EXPECT_EQ(Second->text(), "");
  }
}

TEST_F(EventEditorsTest, ExistingEventsLoadCheckTheirIndexesAndDelete) {
  PutEvent(Field, 3, {"7", "1", "2", "150", "4", "", "", "", "first"});
  PutEvent(Field, 5, {"7", "1", "1", "90", "1", "", "", "", "second"});
  {
    TFertAppDlg Dlg(nullptr, 7, Start, false, true, Field);
    EXPECT_EQ(Dlg.AppDate->text(), "Apr 11, 2016");
    EXPECT_EQ(Dlg.EventRow(), 3);  // the lowest row of the day's code
    EXPECT_TRUE(Dlg.DeleteButton->isEnabled());
    EXPECT_EQ(Dlg.FertCombo->count(), RegionLookup().FertilizerCount() + 1);
    EXPECT_EQ(Dlg.FertCombo->itemText(1), "Urea (46-0-0)");  // the grade once
    EXPECT_EQ(QStringList({QString::number(Dlg.FertCombo->currentIndex()), Dlg.RateEdit->text(),
                           QString::number(Dlg.MethodCombo->currentIndex()), Dlg.NotesEdit->text(), Dlg.NRateLbl->text()}),
              QStringList({"2", "150", "4", "first", "N: 51.0 lbs/acre"}));
  }
  // A product of 0, or indexes that are no rows of the lookup, select nothing.
  PutEvent(Field, 3, {"7", "1", "0", "150", "99"});
  {
    TFertAppDlg Dlg(nullptr, 7, Start, false, true, Field);
    EXPECT_EQ(Dlg.EventRow(), 3);
    EXPECT_EQ(Dlg.FertCombo->currentIndex(), 0);
    EXPECT_EQ(Dlg.MethodCombo->currentIndex(), 0);
    EXPECT_EQ(Dlg.RateUnitsLbl->text(), "");
  }
  // Delete asks; only Yes frees the row, which is then the one a new event takes.
  PutEvent(Field, 1, {"4", "4", "0", "30", "0", "", "", "", "cover"});
  TResidueDlg Dlg(nullptr, 4, Start, false, true, Field);
  ASSERT_EQ(Dlg.EventRow(), 1);
  EXPECT_EQ(Dlg.ResidueEdit->text(), "30");
  ShowActive(Dlg);
  for (auto Answer : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Yes}) {
    Recorder.Answers = {Answer};
    QTest::mouseClick(Dlg.DeleteButton, Qt::LeftButton);
    EXPECT_EQ(Dlg.isVisible(), Answer != QMessageBox::Yes);
    EXPECT_EQ(Dlg.EventChanged(), Answer == QMessageBox::Yes);
    EXPECT_EQ(Field.GetCell(1, SovCol::EvValue), Answer == QMessageBox::Yes ? "" : "30");
  }
  EXPECT_EQ(Dlg.result(), QDialog::Accepted);
  EXPECT_EQ(Recorder.Messages, QStringList(3, "\nAre you sure you want to delete this event?\n"));
  EXPECT_EQ(Recorder.Types.back(), TMsgDlgType::Confirmation);
  EXPECT_EQ(EventRow(Field, 1), NoEvent);
  EXPECT_EQ(TNitrateDlg(nullptr, 20, Start, false, true, Field).EventRow(), 1);

  // With all 50 rows taken only the day's own event can be changed.
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    if (Row != 3) PutEvent(Field, Row, {QString::number(Row + 10), "2", "0", "5"});
  }
  const TResidueDlg Full(nullptr, 7, Start, false, true, Field);
  EXPECT_EQ(Full.EventRow(), 0);
  EXPECT_FALSE(Full.OKButton->isEnabled());
  EXPECT_FALSE(Full.DeleteButton->isEnabled());
  EXPECT_TRUE(TFertAppDlg(nullptr, 7, Start, false, true, Field).OKButton->isEnabled());
}


TEST_F(EventEditorsTest, LongNotesStayWholeWhenShownAndLeftUnchanged) {
  // An editor confirmed without a change, or a day's note cell clicked and left, keeps
  // every value; a note longer than a line edit's usual limit is not cut, whether the
  // file held it or the user pasted it.
  const QString Note = QStringLiteral("note-").repeated(8000);
  const struct {
    const char* Name;
    int Code;  // 0: the note of day Row in the weather grid
    int Row;   // the event row of the example field, or the day
    bool Paste = false;  // into the empty note
  } Cases[] = {
      {"fertiliser event", 1, 4}, {"nitrate event", 2, 3}, {"manure event", 3, 1}, {"residue event", 4, 2},
      {"a day's note clicked and left", 0, 2},
      {"pasted into an empty day's note", 0, 5, true}, {"pasted into a nitrate event's empty note", 2, 3, true},
  };
  QApplication::clipboard()->setText(Note);
  TProgramFolder Folder;
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const auto Form = Folder.Started(UsFormatSettings(), Folder.Example("maricopa-cotton-metric.sov"));
    TSovFile& Example = *Form->FieldData();
    if (C.Code == 0) {
      Example.SetCell(C.Row, SovCol::WeatherNotes, C.Paste ? QString() : Note);
      Form->SetFormData();
      Form->DataNotebook()->setCurrentWidget(Form->WeatherPage());
      ShowActive(*Form);
      ClickCell(*Form->WeatherGrid(), C.Row - 1, WthCol::Notes);
      if (C.Paste) QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
      ClickCell(*Form->WeatherGrid(), C.Row - 1, WthCol::High);
      EXPECT_EQ(Form->GridText(C.Row, WthCol::Notes).size(), Note.size());
      EXPECT_EQ(Form->DataHasChanged(), C.Paste);
      continue;
    }
    Example.SetCell(C.Row, SovCol::EvNotes, C.Paste ? QString() : Note);
    const QStringList Before = EventRow(Example, C.Row);
    const auto Dlg = NewEditor(C.Code, Example.GetCellInt(C.Row, SovCol::EvDay), true, Example);
    ASSERT_EQ(Dlg->EventRow(), C.Row);
    if (C.Paste) QTest::keyClick(Dlg->NotesEdit, Qt::Key_V, Qt::ControlModifier);
    Dlg->OKButtonClick();
    EXPECT_EQ(Dlg->result(), QDialog::Accepted);
    const QStringList After = EventRow(Example, C.Row);
    EXPECT_EQ(After.last().size(), Note.size());
    EXPECT_EQ(After.mid(0, After.size() - 1), Before.mid(0, Before.size() - 1));
  }
}

TEST_F(EventEditorsTest, SpaceTypedInAListGoesOnWithItsSearch) {
  // Keys typed into a list of an event editor (its code) or of the field page (0), then
  // on after Tab: the entry picked, the control next and what it then shows.
  const struct {
    int Code;
    const char *List, *Typed;
    QString Entry, Next, NextText;
  } Cases[] = {
      {0, "CropCombo", "Spring b\t4/20/2013", "Spring barley", "EmergeDateEdit", "4/20/2013"},
      {0, "LocationCombo", "New M\t", "New Mexico", "CoastalCheckBox", "Coastal"},
      {1, "FertCombo", "Urea with a u\t150", "Urea with a urease inhibitor (46-0-0)", "RateEdit", "150"},
      {1, "MethodCombo", "Broadcast and i\tside dress", "Broadcast and incorporated", "NotesEdit", "side dress"},
      {3, "MethodCombo", "Spread and incorporated the n\t4.5", "Spread and incorporated the next day", "TotalNEdit", "4.5"},
  };
  TProgramFolder Folder;
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Typed);
    const auto Form = C.Code ? nullptr : Folder.Started(UsFormatSettings(), Folder.Example("maricopa-cotton-english.sov"));
    const auto Dlg = C.Code ? NewEditor(C.Code, 30, false, Field) : nullptr;
    QWidget& Window = Dlg ? static_cast<QWidget&>(*Dlg) : *Form;
    ShowActive(Window);
    Child(Window, C.List)->setFocus();
    TypeKeys(C.Typed);
    EXPECT_EQ(Child<QComboBox>(Window, C.List)->currentText(), C.Entry);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), C.Next);
    EXPECT_EQ(QApplication::focusWidget()->property("text").toString(), C.NextText);
  }
}

}  // namespace
