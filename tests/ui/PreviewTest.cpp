// The schedule preview: the grid filled from a calculated schedule (day rows, the empty
// row, the summary rows, headers in both unit systems), the summary figures with their
// edge cases, and the export's file-name check.

#include "DialogTestSupport.h"
#include "SvPrev.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using S = TSovSchedule;

// A field built through cell operations: 60 days from May 1 with emergence on May 10,
// three horizons (so the nitrogen pass runs), mild weather with rain and irrigation,
// and a fertiliser application on day 5.
std::unique_ptr<TSovSchedule> CalculatedField(bool Metric) {
  const TFormatSettings Fmt = UsFormatSettings();
  auto F = std::make_unique<TSovSchedule>(RegionLookup(), Fmt);
  F->SetIsMetric(Metric);
  F->SetCell(1, SovCol::Location, "Iowa");
  F->SetCell(1, SovCol::Crop, "Maize grain");
  F->SetCell(1, SovCol::Latitude, "42");
  F->SetCell(1, SovCol::Elevation, Metric ? "300" : "984");
  F->SetCell(1, SovCol::EmergenceDate, "5/10/2015");
  F->SetCell(1, SovCol::GrowingSeason, "120");
  F->SetCell(1, SovCol::RootingDepth, Metric ? "120" : "4");
  F->SetCell(1, SovCol::MinimumMoisture, "50");
  F->SetCell(1, SovCol::WaterHoldingCapacity, Metric ? "200" : "8");
  F->SetCell(1, SovCol::IrrigationEfficiency, "80");
  F->SetCell(1, SovCol::StartingMoisture, "90");
  F->SetCell(1, SovCol::StartingResidue, "0");
  F->SetCell(1, SovCol::OrganicMatter, "3");
  F->SetCell(1, SovCol::StartingDate, "5/1/2015");
  F->SetCell(1, SovCol::CalculationDate, "6/29/2015");
  const int Depths[] = {30, 60, 120};
  for (int Hz = 1; Hz <= 3; ++Hz) {
    F->SetCellInt(Hz, SovCol::HzDepth, Depths[Hz - 1]);
    F->SetCell(Hz, SovCol::HzTexture, "SIL");
    F->SetCell(Hz, SovCol::HzAWC, "0.2");
    F->SetCell(Hz, SovCol::HzWiltingPoint, "0.1");
    F->SetCell(Hz, SovCol::HzBulkDensity, "1.4");
    F->SetCell(Hz, SovCol::HzKSat, "10");
    F->SetCell(Hz, SovCol::HzOM, "3");
    F->SetCell(Hz, SovCol::HzpH, "6.5");
  }
  for (int d = 1; d <= 60; ++d) {
    F->SetCell(d, SovCol::MaxTemp, Metric ? "27" : "80");
    F->SetCell(d, SovCol::MinTemp, Metric ? "12.5" : "55");
    F->SetCell(d, SovCol::Humidity, "60");
    if (d % 9 == 0) F->SetCell(d, SovCol::Precip, Metric ? "12" : "0.5");
    if (d % 14 == 0) F->SetCell(d, SovCol::Irrigation, Metric ? "25" : "1");
  }
  F->SetCellInt(1, SovCol::EvDay, 5);
  F->SetCellInt(1, SovCol::EvCode, 1);
  F->SetCellInt(1, SovCol::EvKey1, 1);
  F->SetCell(1, SovCol::EvValue, "100");
  F->SetCellInt(1, SovCol::EvKey2, 1);
  QString Form;
  int Row = 0, Col = 0;
  EXPECT_TRUE(F->CheckFieldData(false, Form, Row, Col)) << Form.toStdString() << " col " << Col;
  F->Calculate();
  EXPECT_EQ(F->DayCount(), 60);
  return F;
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  TMessageRecorder Recorder;
};

TEST_F(PreviewTest, GridAndFiguresFromACalculatedSchedule) {
  for (const bool Metric : {false, true}) {
    SCOPED_TRACE(Metric ? "metric" : "English");
    const auto F = CalculatedField(Metric);
    const int n = F->DayCount();
    TPreviewDlg Dlg;
    Dlg.SetScheduleData(*F);
    const QString Water = Metric ? " mm" : " in.";
    ASSERT_EQ(Dlg.RowCount(), n + 7);
    EXPECT_EQ(Dlg.Cell(0, 0), "Day");
    EXPECT_EQ(Dlg.Cell(1, 0), "   Date");
    EXPECT_EQ(Dlg.Cell(2, 1), Metric ? "High (\u00B0C)" : "High (\u00B0F)");
    EXPECT_EQ(Dlg.Cell(7, 1), Metric ? "Water (mm)" : "Water (in)");
    EXPECT_EQ(Dlg.Cell(8, 1), Metric ? " (mm)" : " (in.)");
    EXPECT_EQ(Dlg.Cell(12, 1), Metric ? "(kg/ha)" : "(lbs/acre)");
    EXPECT_EQ(Dlg.Cell(0, 2), "1");
    EXPECT_EQ(Dlg.Cell(1, 2), " May 1");
    EXPECT_EQ(Dlg.Cell(1, n + 1), " Jun 29");
    EXPECT_EQ(Dlg.Cell(2, 2), PadNumberLeft(Metric ? "27" : "80", 6));
    EXPECT_EQ(Dlg.Cell(3, 2), PadNumberLeft(Metric ? "12.5" : "55", 6));
    // Day rows show the schedule's own texts; the day of a rain shows it.
    EXPECT_EQ(Dlg.Cell(4, 10).trimmed(), F->GetCell(9, S::ColPrecip));
    EXPECT_FALSE(Dlg.Cell(4, 10).trimmed().isEmpty());
    EXPECT_EQ(Dlg.Cell(4, 11).trimmed(), "");
    EXPECT_EQ(Dlg.Cell(9, 2), F->GetCell(1, S::ColRelativeMoisture));
    // Nitrogen columns: sums of the day's amounts with no decimals.
    int NitrogenDays = 0;
    for (int d = 1; d <= n; ++d) {
      if (F->GetCell(d, S::ColAmmoniumN).isEmpty()) {
        EXPECT_EQ(Dlg.Cell(10, d + 1) + Dlg.Cell(11, d + 1) + Dlg.Cell(12, d + 1), "") << d;
        continue;
      }
      ++NitrogenDays;
      EXPECT_EQ(Dlg.Cell(10, d + 1).trimmed(),
                F->FloatToUserStr(F->GetCellFloat(d, S::ColAmmoniumN) + F->GetCellFloat(d, S::ColNitrateN), 0));
    }
    EXPECT_GT(NitrogenDays, 0);
    // The empty row, then the summary rows with their cells.
    for (int Col = 0; Col < TPreviewDlg::GridColumns; ++Col) EXPECT_EQ(Dlg.Cell(Col, n + 2), "");
    const char* Labels[] = {"Total", "Average", "Maximum", "Minimum"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Dlg.Cell(0, n + 3 + i), Labels[i]);
    EXPECT_EQ(Dlg.Cell(4, n + 3).trimmed(), F->GetCell(S::RowTotal, S::ColPrecip));
    EXPECT_EQ(Dlg.Cell(4, n + 4), "") << "no average precipitation";
    EXPECT_EQ(Dlg.Cell(2, n + 3), "") << "no total temperature";
    EXPECT_EQ(Dlg.Cell(2, n + 5).trimmed(), Metric ? "27.0" : "80.0");
    EXPECT_EQ(Dlg.Cell(6, n + 4).trimmed(), F->GetCell(S::RowAverage, S::ColETCrop));
    EXPECT_EQ(Dlg.Cell(8, n + 3), "") << "no total soil moisture";
    EXPECT_EQ(Dlg.Cell(9, n + 3), "");

    EXPECT_EQ(Dlg.CalcDateBox->text(), "Jun 29, 2015");
    EXPECT_EQ(Dlg.EvapotransBox->text(), F->GetCell(n, S::ColETCrop) + Water);
    EXPECT_EQ(Dlg.SoilMoisBox->text(), F->GetCell(n, S::ColSoilMoisture) + Water);
    EXPECT_EQ(Dlg.DaysTill1InchLbl->text(),
              Metric ? "If No Rain, You Can Add 25 mm In" : "If No Rain, You Can Add 1 in. In");
    EXPECT_EQ(Dlg.ExcessH2OBox->text(), F->GetCell(S::RowTotal, S::ColExcessWater) + Water);
    const double Loss = F->GetCellFloat(S::RowTotal, S::ColIrrigation) * 0.2;
    EXPECT_EQ(Dlg.IrrInefficiencyBox->text(), F->FloatToUserStr(Loss, 2) + Water);
    const double Gdd = F->GetCellFloat(n, S::ColGDD) - F->GetCellFloat(9, S::ColGDD);
    EXPECT_EQ(Dlg.GDDBox->text(), FormatFixed(Gdd, 0, UsFormatSettings()));

    // Refilled with a shorter schedule: no rows of the longer one are left.
    F->SetCell(1, SovCol::CalculationDate, "5/20/2015");
    F->Calculate();
    Dlg.SetScheduleData(*F);
    EXPECT_EQ(Dlg.RowCount(), 20 + 7);
    EXPECT_EQ(Dlg.Cell(0, 23), "Total");
    EXPECT_EQ(Dlg.Cell(4, 22), "");
  }
}

TEST_F(PreviewTest, ShowScheduleSelectsTheLastDayAndTitlesTheWindow) {
  const auto F = CalculatedField(false);
  TPreviewDlg Dlg;
  EXPECT_FALSE(Dlg.ChartBtn->isEnabled());
  EXPECT_FALSE(Dlg.ChartBtn->toolTip().isEmpty());
  int Row = -1, Col = -1;
  QString Title;
  QTimer::singleShot(0, &Dlg, [&] {
    Row = Dlg.PrevGrid->currentRow();
    Col = Dlg.PrevGrid->currentColumn();
    Title = Dlg.windowTitle();
    Dlg.reject();
  });
  EXPECT_EQ(Dlg.ShowSchedule(*F), QDialog::Rejected);
  EXPECT_EQ(Row + 2, F->DayCount() + 1) << "grid row of the last day";
  EXPECT_EQ(Col, 8);
  EXPECT_EQ(Title, "Preview Schedule - ");  // the field has no file name yet
}

TEST_F(PreviewTest, HintsFollowTheMainWindowsOptions) {
  TPreviewDlg Dlg;
  EXPECT_EQ(Dlg.ExportBtn->toolTip(), "Export the schedule.");
  Dlg.SetHintOptions(false, true);  // no popups, hints on the status line
  EXPECT_EQ(Dlg.ExportBtn->toolTip(), "");
  Dlg.show();
  Dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Dlg));
  Dlg.ExportBtn->setFocus();
  EXPECT_EQ(Dlg.StatusBarHint->text(), " Export the schedule.");
  Dlg.PrevGrid->setFocus();
  EXPECT_EQ(Dlg.StatusBarHint->text(), " Browse the daily calculations.");
  Dlg.reject();
  EXPECT_EQ(Dlg.StatusBarHint->text(), "");
  Dlg.SetHintOptions(true, true);  // with popups the focus shows nothing on the status line
  Dlg.show();
  Dlg.ExportBtn->setFocus();
  EXPECT_EQ(Dlg.StatusBarHint->text(), "");
  EXPECT_EQ(Dlg.ExportBtn->toolTip(), "Export the schedule.");
}

TEST_F(PreviewTest, SummaryFigures) {
  // Last day's depletion and crop water use, efficiency and total irrigation, and what
  // the boxes show.
  struct Case {
    bool Metric;
    double Depleted, ETCrop;
    QString Efficiency;
    double Irrigation;
    QString Safely, Days, Loss;
  };
  const Case Cases[] = {
      {false, 1.2, 0.25, "90", 0, "1.20 in.", "0 days", "0.00 in."},
      {false, 0.5, 0.25, "90", 0, "0.50 in.", "3 days", "0.00 in."},
      {false, 0.5, 0, "90", 0, "0.50 in.", "?", "0.00 in."},
      {true, 10, 5, "90", 0, "10.00 mm", "4 days", "0.00 mm"},
      {false, 0, 0.2, "80", 10, "0.00 in.", "5 days", "2.00 in."},
      {false, 0, 0.2, "", 10, "0.00 in.", "5 days", "0.00 in."},  // no efficiency: 100
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Safely.toStdString() + " " + C.Days.toStdString());
    TScheduleProbe P(RegionLookup(), UsFormatSettings());
    P.SetIsMetric(C.Metric);
    P.SetDays(3, QDate(2016, 4, 5), 0);
    P.SetCell(1, SovCol::IrrigationEfficiency, C.Efficiency);
    P.FDepletedMoisture[3] = C.Depleted;
    P.FETCrop[3] = C.ETCrop;
    P.FIrrigation[2] = C.Irrigation;
    TPreviewDlg Dlg;
    Dlg.SetScheduleData(P);
    EXPECT_EQ(Dlg.AddSafelyBox->text(), C.Safely);
    EXPECT_EQ(Dlg.DaysTill1InchBox->text(), C.Days);
    EXPECT_EQ(Dlg.IrrInefficiencyBox->text(), C.Loss);
  }
}

TEST_F(PreviewTest, GrowingDegreeDaysSinceEmergence) {
  struct Case {
    TFormatSettings Format;
    int Days, BeforeEmergence;
    QString Expected;
  };
  const Case Cases[] = {
      {UsFormatSettings(), 3, 0, "1,235"},     // starting on the emergence date: nothing subtracted
      {GermanFormatSettings(), 3, 0, "1.235"},
      {UsFormatSettings(), 3, 1, "1,135"},     // less day 1
      {UsFormatSettings(), 3, 3, ""},          // calculated before emergence
  };
  for (const Case& C : Cases) {
    TScheduleProbe P(RegionLookup(), C.Format);
    P.SetDays(C.Days, QDate(2016, 4, 5), C.BeforeEmergence);
    P.FGddSum[1] = 100;
    P.FGddSum[3] = 1234.6;
    TPreviewDlg Dlg;
    Dlg.SetScheduleData(P);
    EXPECT_EQ(Dlg.GDDBox->text(), C.Expected);
  }
}

TEST_F(PreviewTest, ExportChecksTheExtension) {
  const auto F = CalculatedField(false);
  TPreviewDlg Dlg;
  Dlg.SetScheduleData(*F);
  QTemporaryDir Dir;
  const QString Text = Dir.filePath("schedule.txt");
  EXPECT_FALSE(Dlg.ExportScheduleTo(Text));
  ASSERT_EQ(Recorder.Messages.size(), 1);
  EXPECT_EQ(Recorder.Messages[0], "\n" + Text + " does not have a valid file extension.\n");
  EXPECT_FALSE(QFile::exists(Text));
  for (const char* Name : {"schedule.CSV", "schedule.json"}) {
    EXPECT_TRUE(Dlg.ExportScheduleTo(Dir.filePath(Name))) << Name;
    EXPECT_GT(QFile(Dir.filePath(Name)).size(), 1000) << Name;
  }
  EXPECT_TRUE(QFile(Dir.filePath("schedule.CSV")).open(QIODevice::ReadOnly));
  // A folder that does not exist: the export's own message between line breaks.
  EXPECT_FALSE(Dlg.ExportScheduleTo(Dir.filePath("no/such.csv")));
  ASSERT_EQ(Recorder.Messages.size(), 2);
  EXPECT_TRUE(Recorder.Messages[1].startsWith("\n")) << Recorder.Messages[1].toStdString();
  EXPECT_TRUE(Recorder.Messages[1].endsWith("\n"));
  EXPECT_GT(Recorder.Messages[1].size(), 2);
}

}  // namespace
