// Cases of the main window and the preview that only show on a window that is on screen:
// a value still being typed in the weather grid, the preview's column widths and status
// line, and texts that must show whole at the fixed window sizes.

#include "DialogTestSupport.h"
#include "SvPrev.h"
#include "ShlUtil.h"
#include "SovLookup.h"
#include "SvImpWeb.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>

#include <QHeaderView>
#include <QStatusTipEvent>
#include <QTimer>

namespace {

class UiCasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = Folder.Started(UsFormatSettings(), Folder.Example("maricopa-cotton-metric.sov"));
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }

  TProgramFolder Folder;
  TMessageRecorder Recorder;
  std::unique_ptr<TMainForm> Form;
};

TEST_F(UiCasesTest, ValueBeingTypedInTheGridCountsAsData) {
  // The cell editor is still open when the window is closed or a command runs from a
  // shortcut: what it shows is the grid's value.
  Form->DataNotebook()->setCurrentWidget(Form->WeatherPage());
  QTableWidget* Grid = Form->WeatherGrid();
  Grid->setFocus();
  Grid->setCurrentCell(2, WthCol::Irrigation);  // day 3
  Grid->editItem(Grid->item(2, WthCol::Irrigation));
  auto* Editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(Editor, nullptr);
  QTest::keyClicks(Editor, QStringLiteral("25"));
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "25");
  EXPECT_TRUE(Form->DataHasChanged());
  QTest::keyClick(Editor, Qt::Key_Home);
  QTest::keyClicks(Editor, QStringLiteral("1"));  // the cursor stays where it was put
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "125");
  QTest::keyClick(Editor, Qt::Key_Escape);  // back to the text before the editing
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "");
  EXPECT_FALSE(Form->DataHasChanged());

  Grid->editItem(Grid->item(2, WthCol::Irrigation));
  Editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(Editor, nullptr);
  QTest::keyClicks(Editor, QStringLiteral("25"));
  Form->GetFormData();
  EXPECT_EQ(Form->FieldData()->GetCell(3, SovCol::Irrigation), "25");
  // A command that refills the grid while the editor is open (New from its shortcut)
  // leaves nothing of the typed text behind.
  Form->SetModified(false);
  Form->NewBtnClick();
  EXPECT_EQ(Form->GridText(3, WthCol::Irrigation), "");
  EXPECT_FALSE(Form->DataHasChanged());
}

TEST_F(UiCasesTest, PreviewFitsItsTextsAndShowsTheSummaryRows) {
  auto* Preview = Form->findChild<TPreviewDlg*>();
  ASSERT_NE(Preview, nullptr);
  bool SummaryInSight = false;
  Form->PreviewFunc = [&](QWidget*, TSovSchedule& Field, const std::function<QString(int, int)>& Cell) {
    // After the queued scroll of the shown dialog, the last summary row is in sight.
    QTimer::singleShot(0, Preview, [&] {
      QTimer::singleShot(0, Preview, [&] {
        QTableWidget* Grid = Preview->PrevGrid;
        const QRect Last = Grid->visualRect(Grid->model()->index(Grid->rowCount() - 1, 0));
        SummaryInSight = Grid->viewport()->rect().contains(Last);
        Preview->reject();
      });
    });
    Preview->SetHintOptions(false, true);
    Preview->ShowSchedule(Field, Cell);
  };
  Form->CalcBtnClick();
  ASSERT_TRUE(Recorder.Messages.isEmpty()) << Recorder.Messages.join('|').toStdString();
  EXPECT_TRUE(SummaryInSight);
  // The last day is selected; the title names the field's file.
  EXPECT_EQ(QPoint(Preview->PrevGrid->currentColumn(), Preview->PrevGrid->currentRow()),
            QPoint(8, Form->FieldData()->DayCount() - 1));
  EXPECT_EQ(Preview->windowTitle(), "Preview Schedule - maricopa-cotton-metric.sov");

  // No header, summary label or value is cut.
  QTableWidget* Grid = Preview->PrevGrid;
  const QFontMetrics Header(Grid->horizontalHeader()->font()), Cells(Grid->font());
  for (int Col = 0; Col < TPreviewDlg::GridColumns; ++Col) {
    int Needed = std::max(Header.horizontalAdvance(Preview->Cell(Col, 0)), Header.horizontalAdvance(Preview->Cell(Col, 1)));
    for (int Row = 2; Row < Preview->RowCount(); ++Row) {
      Needed = std::max(Needed, Cells.horizontalAdvance(Preview->Cell(Col, Row).trimmed()));
    }
    EXPECT_GT(Grid->columnWidth(Col), Needed) << "column " << Col;
  }
  EXPECT_GE(Preview->width(), 920);
}

// The visible labels, buttons and boxes of Window whose text does not fit their width,
// and the list entries wider than their list.
QStringList CutTexts(QWidget& Window) {
  QStringList Cut;
  for (QWidget* W : Window.findChildren<QWidget*>()) {
    if (!W->isVisibleTo(&Window)) continue;
    auto* Label = qobject_cast<QLabel*>(W);
    if ((Label && !Label->wordWrap() && Label->pixmap().isNull()) || qobject_cast<QAbstractButton*>(W)) {
      if (W->width() < W->minimumSizeHint().width()) Cut << W->objectName() + " \"" + W->property("text").toString() + "\"";
    }
    if (auto* List = qobject_cast<QListWidget*>(W)) {
      for (int Row = 0; Row < List->count(); ++Row) {
        if (List->fontMetrics().horizontalAdvance(List->item(Row)->text()) > List->viewport()->width())
          Cut << List->item(Row)->text();
      }
    }
  }
  return Cut;
}

TEST_F(UiCasesTest, EveryLabelAndListEntryShowsWhole) {
  EXPECT_EQ(CutTexts(*Form), QStringList());
  TPreviewDlg Preview;
  Preview.show();
  EXPECT_EQ(CutTexts(Preview), QStringList());
  TImportWebDlg Web(Form.get());
  QStringList Names, Descriptions;
  for (int Row = 1; Row <= Form->Lookup()->WeatherSourceCount(); ++Row) {
    Names << Form->Lookup()->WeatherSource(Row).Name;
    Descriptions << Form->Lookup()->WeatherSource(Row).Description;
  }
  Web.SetSources(Names, Descriptions, QString());
  Web.show();
  EXPECT_EQ(CutTexts(Web), QStringList());
}

TEST_F(UiCasesTest, PreviewStatusLineFollowsTheHintOptions) {
  TPreviewDlg Preview;
  EXPECT_EQ(HelpContextOf(Preview.PrevGrid), HelpContext::Preview);  // F1 in the preview
  struct TCase {
    bool Popup, OnStatusBar;
    const char* MouseHint;  // the status line after a hint from the mouse
    bool ToolTips;
  };
  const TCase Cases[] = {
      {false, true, "", false},  // focus hints only: the mouse leaves the line alone
      {true, true, " Chart the schedule with Excel.", false},
      {true, false, "", true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(QString("popup %1, status bar %2").arg(C.Popup).arg(C.OnStatusBar).toStdString());
    Preview.SetHintOptions(C.Popup, C.OnStatusBar);
    Preview.StatusBarHint->clear();
    QStatusTipEvent Tip(Preview.ChartBtn->statusTip());
    QApplication::sendEvent(&Preview, &Tip);
    EXPECT_EQ(Preview.StatusBarHint->text(), C.MouseHint);
    EXPECT_EQ(!Preview.ChartBtn->toolTip().isEmpty(), C.ToolTips);
    EXPECT_EQ(!Preview.PrevGrid->toolTip().isEmpty(), C.ToolTips);
  }
}

}  // namespace
