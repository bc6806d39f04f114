// Cases of the main window and the preview that only show on a window that is on screen:
// a value still being typed in the weather grid, the preview's column widths and status
// line.

#include "DialogTestSupport.h"
#include "SvPrev.h"
#include "ShlUtil.h"

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
