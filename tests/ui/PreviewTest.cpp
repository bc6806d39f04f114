// The schedule preview: the grid filled from a calculated schedule (day rows, the empty
// row, the summary rows, headers in both unit systems), the summary figures with their
// edge cases, the export's file-name check and the chart hand-over; on a shown window,
// the column widths that fit every text and the status line of the hint options.

#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "SovToExcel.h"
#include "SvPrev.h"

#include <QHeaderView>
#include <QStatusTipEvent>
#include <QTimer>

#include <unistd.h>


namespace {

using S = TSovSchedule;

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  TMessageRecorder Recorder;
  QTemporaryDir Dir;
};

TEST_F(PreviewTest, GridAndFiguresFromACalculatedSchedule) {
  for (const bool Metric : {false, true}) {
    SCOPED_TRACE(Metric ? "metric" : "English");
    const auto F = CalculatedExample(Metric ? "maricopa-cotton-metric.sov" : "maricopa-cotton-english.sov");
    const int n = F->DayCount();
    TPreviewDlg Dlg;
    Dlg.SetScheduleData(*F);
    const QString Water = Metric ? " mm" : " in.";
    ASSERT_EQ(Dlg.RowCount(), n + 7);
    EXPECT_EQ(Dlg.Cell(0, 0), "Day");
    EXPECT_EQ(Dlg.Cell(1, 0), "   Date");
    for (const auto& [Col, MetricText, EnglishText] : {std::tuple{2, "High (\u00B0C)", "High (\u00B0F)"},
                                                       {7, "Water (mm)", "Water (in)"},
                                                       {8, " (mm)", " (in.)"},
                                                       {12, "(kg/ha)", "(lbs/acre)"}})
      EXPECT_EQ(Dlg.Cell(Col, 1), QString::fromUtf8(Metric ? MetricText : EnglishText)) << "column " << Col;
    EXPECT_EQ(Dlg.Cell(0, 2), "1");
    EXPECT_EQ(Dlg.Cell(1, 2), " Apr 15");
    EXPECT_EQ(Dlg.Cell(1, n + 1), " Oct 15");
    EXPECT_EQ(Dlg.Cell(2, 2), PadNumberLeft(F->GetCell(1, SovCol::MaxTemp), 6));
    EXPECT_EQ(Dlg.Cell(3, 3), PadNumberLeft(F->GetCell(2, SovCol::MinTemp), 6));
    // Day rows show the schedule's own texts, a rain on its day only.
    int Rain = 1;
    while (Rain < n && F->GetCellFloat(Rain, S::ColPrecip) == 0) ++Rain;
    ASSERT_LT(Rain, n);
    EXPECT_EQ(Dlg.Cell(4, Rain + 1).trimmed(), F->GetCell(Rain, S::ColPrecip));
    EXPECT_EQ(Dlg.Cell(4, 2).trimmed(), F->GetCell(1, S::ColPrecip));
    EXPECT_EQ(Dlg.Cell(9, 2), F->GetCell(1, S::ColRelativeMoisture));
    // Nitrogen columns: sums of the day's amounts with no decimals.
    ASSERT_FALSE(F->GetCell(n, S::ColAmmoniumN).isEmpty());
    EXPECT_EQ(Dlg.Cell(10, n + 1).trimmed(),
              F->FloatToUserStr(F->GetCellFloat(n, S::ColAmmoniumN) + F->GetCellFloat(n, S::ColNitrateN), 0));
    // The empty row, then the summary rows with their cells.
    for (int Col = 0; Col < TPreviewDlg::GridColumns; ++Col) EXPECT_EQ(Dlg.Cell(Col, n + 2), "");
    EXPECT_EQ(Dlg.Cell(0, n + 3), "Total");
    EXPECT_EQ(Dlg.Cell(0, n + 4), "Average");
    EXPECT_EQ(Dlg.Cell(0, n + 5), "Maximum");
    EXPECT_EQ(Dlg.Cell(0, n + 6), "Minimum");
    EXPECT_EQ(Dlg.Cell(4, n + 3).trimmed(), F->GetCell(S::RowTotal, S::ColPrecip));
    EXPECT_EQ(Dlg.Cell(4, n + 4), "") << "no average precipitation";
    EXPECT_EQ(Dlg.Cell(2, n + 3), "") << "no total temperature";
    EXPECT_EQ(Dlg.Cell(2, n + 5).trimmed(), F->GetCell(S::RowMaximum, S::ColMaxTemp));
    EXPECT_EQ(Dlg.Cell(6, n + 4).trimmed(), F->GetCell(S::RowAverage, S::ColETCrop));
    EXPECT_EQ(Dlg.Cell(8, n + 3), "") << "no total soil moisture";
    EXPECT_EQ(Dlg.Cell(9, n + 3), "") << "no total soil moisture";

    EXPECT_EQ(Dlg.CalcDateBox->text(), "Oct 15, 2013");
    EXPECT_EQ(Dlg.EvapotransBox->text(), F->GetCell(n, S::ColETCrop) + Water);
    EXPECT_EQ(Dlg.SoilMoisBox->text(), F->GetCell(n, S::ColSoilMoisture) + Water);
    EXPECT_EQ(Dlg.DaysTill1InchLbl->text(), Metric ? "If No Rain, You Can Add 25 mm In" : "If No Rain, You Can Add 1 in. In");
    EXPECT_EQ(Dlg.ExcessH2OBox->text(), F->GetCell(S::RowTotal, S::ColExcessWater) + Water);
    const double Loss = F->GetCellFloat(S::RowTotal, S::ColIrrigation) * 0.25;  // 75 % efficient
    ASSERT_GT(Loss, 0);
    EXPECT_EQ(Dlg.IrrInefficiencyBox->text(), F->FloatToUserStr(Loss, 2) + Water);
    const int BeforeEmergence = F->StartDate().daysTo(F->EmergenceDate());
    const double Gdd = F->GetCellFloat(n, S::ColGDD) - F->GetCellFloat(BeforeEmergence, S::ColGDD);
    EXPECT_EQ(Dlg.GDDBox->text().remove(u','), FormatFixed(Gdd, 0, UsFormatSettings()));  // grouped

    // Refilled with a shorter schedule: no rows of the longer one are left.
    F->SetCell(1, SovCol::CalculationDate, "5/4/2013");
    F->Calculate();
    Dlg.SetScheduleData(*F);
    EXPECT_EQ(Dlg.RowCount(), 20 + 7);
    EXPECT_EQ(Dlg.Cell(0, 23), "Total");
    EXPECT_EQ(Dlg.Cell(4, 22), "");
  }
}

TEST_F(PreviewTest, SummaryFigures) {
  // Last day's depletion and crop water use, efficiency, total irrigation and days
  // before emergence, and what the boxes show. Growing degree days run 100 on day 1 to
  // 1234.6 on day 3.
  const TFormatSettings Us = UsFormatSettings();
  const struct {
    TFormatSettings Format;
    bool Metric;
    double Depleted, ETCrop;
    QString Efficiency;
    double Irrigation;
    int BeforeEmergence;
    QString Safely, Days, Loss, Gdd;
  } Cases[] = {
      {Us, false, 1.2, 0.25, "90", 0, 0, "1.20 in.", "0 days", "0.00 in.", "1,235"},
      {GermanFormatSettings(), false, 0.5, 0.25, "90", 0, 0, "0,50 in.", "3 days", "0,00 in.", "1.235"},
      {Us, false, 0.5, 0, "90", 0, 1, "0.50 in.", "?", "0.00 in.", "1,135"},
      {Us, true, 10, 5, "90", 0, 3, "10.00 mm", "4 days", "0.00 mm", ""},  // before emergence
      {Us, false, 0, 0.2, "80", 10, 0, "0.00 in.", "5 days", "2.00 in.", "1,235"},
      {Us, false, 0, 0.2, "", 10, 0, "0.00 in.", "5 days", "0.00 in.", "1,235"},  // no efficiency: 100
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Safely.toStdString() + " " + C.Days.toStdString());
    TScheduleProbe P(RegionLookup(), C.Format);
    P.SetIsMetric(C.Metric);
    P.SetDays(3, QDate(2016, 4, 5), C.BeforeEmergence);
    P.SetCell(1, SovCol::IrrigationEfficiency, C.Efficiency);
    P.FDepletedMoisture[3] = C.Depleted;
    P.FETCrop[3] = C.ETCrop;
    P.FIrrigation[2] = C.Irrigation;
    P.FGddSum[1] = 100;
    P.FGddSum[3] = 1234.6;
    TPreviewDlg Dlg;
    Dlg.SetScheduleData(P);
    EXPECT_EQ(QStringList({Dlg.AddSafelyBox->text(), Dlg.DaysTill1InchBox->text(), Dlg.IrrInefficiencyBox->text(),
                           Dlg.GDDBox->text()}),
              QStringList({C.Safely, C.Days, C.Loss, C.Gdd}));
  }
}

TEST_F(PreviewTest, ExportChecksTheNameAndChartWritesOnlyItsWorkbook) {
  const auto F = CalculatedExample("maricopa-cotton-metric.sov");
  TPreviewDlg Dlg;
  Dlg.SetScheduleData(*F);
  const QString Text = Dir.filePath("schedule.txt");
  EXPECT_FALSE(Dlg.ExportScheduleTo(Text));
  EXPECT_EQ(Recorder.Take(), QStringList({"\n" + Text + " does not have a valid file extension.\n"}));
  EXPECT_FALSE(QFile::exists(Text));
  for (const char* Name : {"schedule.CSV", "schedule.json"}) {
    EXPECT_TRUE(Dlg.ExportScheduleTo(Dir.filePath(Name))) << Name;
    EXPECT_GT(QFile(Dir.filePath(Name)).size(), 1000) << Name;
  }
  // A folder that does not exist: the export's own message between line breaks.
  EXPECT_FALSE(Dlg.ExportScheduleTo(Dir.filePath("no/such.csv")));
  ASSERT_EQ(Recorder.Messages.size(), 1);
  const QString Message = Recorder.Take()[0];
  EXPECT_GT(Message.size(), 2);
  EXPECT_TRUE(Message.startsWith("\n")) << Message.toStdString();
  EXPECT_TRUE(Message.endsWith("\n")) << Message.toStdString();

  // The chart gets a workbook in the program's own chart folder, and nothing else.
  QTemporaryDir Temp;
  const QByteArray OldTemp = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(Temp.path()));
  QStringList Opened;
  const TWorkbookOpener Old = SetWorkbookOpener([&](const QString& Name) {
    Opened << Name;
    return true;
  });
  EXPECT_TRUE(Dlg.ChartBtn->isEnabled());
  EXPECT_TRUE(Dlg.ChartSchedule());
  SetWorkbookOpener(Old);
  qputenv("TMPDIR", OldTemp);
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_TRUE(Opened.constFirst().endsWith(".xlsx"));
  EXPECT_TRUE(QDir(Temp.path()).entryList(QDir::Files).isEmpty()) << "nothing beside the chart folder";
  EXPECT_EQ(QDir(Temp.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("furrow-charts-%1").arg(geteuid())});
  EXPECT_TRUE(QFileInfo::exists(Opened.constFirst()));
  EXPECT_TRUE(Recorder.Messages.isEmpty());
}

TEST_F(PreviewTest, FitsItsTextsAndShowsTheSummaryRows) {
  TProgramFolder Folder;
  const auto Form = Folder.Started(UsFormatSettings(), Folder.Example("maricopa-cotton-metric.sov"));
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
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

TEST_F(PreviewTest, StatusLineFollowsTheHintOptions) {
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
