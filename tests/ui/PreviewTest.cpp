// The schedule preview: the grid filled from a calculated schedule (day rows, the empty
// row, the summary rows, headers in both unit systems), the summary figures with their
// edge cases, and the export's file-name check.

#include "DialogTestSupport.h"
#include "SovToExcel.h"
#include "SvPrev.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

using S = TSovSchedule;

// A field built through cell operations: 60 days from May 1 with emergence on May 10,
// three horizons (so the nitrogen pass runs), mild weather with rain and irrigation,
// and a fertiliser application on day 5.
std::unique_ptr<TSovSchedule> CalculatedField(bool Metric) {
  auto F = std::make_unique<TSovSchedule>(RegionLookup(), UsFormatSettings());
  F->SetIsMetric(Metric);
  const std::pair<int, QString> Values[] = {
      {SovCol::Location, "Iowa"}, {SovCol::Crop, "Maize grain"}, {SovCol::Latitude, "42"},
      {SovCol::Elevation, "300"}, {SovCol::EmergenceDate, "5/10/2015"}, {SovCol::GrowingSeason, "120"},
      {SovCol::RootingDepth, Metric ? "120" : "4"}, {SovCol::MinimumMoisture, "50"},
      {SovCol::WaterHoldingCapacity, Metric ? "200" : "8"}, {SovCol::IrrigationEfficiency, "80"},
      {SovCol::StartingMoisture, "90"}, {SovCol::StartingResidue, "0"}, {SovCol::OrganicMatter, "3"},
      {SovCol::StartingDate, "5/1/2015"}, {SovCol::CalculationDate, "6/29/2015"}};
  for (const auto& [Col, Text] : Values) F->SetCell(1, Col, Text);
  const std::pair<int, QString> Horizon[] = {{SovCol::HzTexture, "SIL"}, {SovCol::HzAWC, "0.2"},
                                             {SovCol::HzWiltingPoint, "0.1"}, {SovCol::HzBulkDensity, "1.4"},
                                             {SovCol::HzKSat, "10"}, {SovCol::HzOM, "3"}, {SovCol::HzpH, "6.5"}};
  for (int Hz = 1; Hz <= 3; ++Hz) {
    F->SetCellInt(Hz, SovCol::HzDepth, 30 * (1 << (Hz - 1)));
    for (const auto& [Col, Text] : Horizon) F->SetCell(Hz, Col, Text);
  }
  for (int d = 1; d <= 60; ++d) {
    F->SetCell(d, SovCol::MaxTemp, Metric ? "27" : "80");
    F->SetCell(d, SovCol::MinTemp, Metric ? "12.5" : "55");
    F->SetCell(d, SovCol::Humidity, "60");
    if (d % 9 == 0) F->SetCell(d, SovCol::Precip, Metric ? "12" : "0.5");
    if (d % 14 == 0) F->SetCell(d, SovCol::Irrigation, Metric ? "25" : "1");
  }
  const int Event[] = {5, 1, 1};  // day 5: fertiliser 1 with method 1
  F->SetCellInt(1, SovCol::EvDay, Event[0]);
  F->SetCellInt(1, SovCol::EvCode, Event[1]);
  F->SetCellInt(1, SovCol::EvKey1, Event[2]);
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
    EXPECT_EQ(Dlg.Cell(0, 0) + "|" + Dlg.Cell(1, 0), "Day|   Date");
    EXPECT_EQ(Dlg.Cell(2, 1) + Dlg.Cell(7, 1) + Dlg.Cell(8, 1) + Dlg.Cell(12, 1),
              Metric ? "High (\u00B0C)Water (mm) (mm)(kg/ha)" : "High (\u00B0F)Water (in) (in.)(lbs/acre)");
    EXPECT_EQ(Dlg.Cell(0, 2) + "|" + Dlg.Cell(1, 2), "1| May 1");
    EXPECT_EQ(Dlg.Cell(1, n + 1), " Jun 29");
    EXPECT_EQ(Dlg.Cell(2, 2), PadNumberLeft(Metric ? "27" : "80", 6));
    EXPECT_EQ(Dlg.Cell(3, 2), PadNumberLeft(Metric ? "12.5" : "55", 6));
    // Day rows show the schedule's own texts; the day of a rain shows it.
    EXPECT_EQ(Dlg.Cell(4, 10).trimmed(), Metric ? "12.00" : "0.50");
    EXPECT_EQ(Dlg.Cell(4, 11).trimmed(), "");
    EXPECT_EQ(Dlg.Cell(9, 2), F->GetCell(1, S::ColRelativeMoisture));
    // Nitrogen columns: sums of the day's amounts with no decimals.
    ASSERT_FALSE(F->GetCell(n, S::ColAmmoniumN).isEmpty());
    EXPECT_EQ(Dlg.Cell(10, n + 1).trimmed(),
              F->FloatToUserStr(F->GetCellFloat(n, S::ColAmmoniumN) + F->GetCellFloat(n, S::ColNitrateN), 0));
    // The empty row, then the summary rows with their cells.
    for (int Col = 0; Col < TPreviewDlg::GridColumns; ++Col) EXPECT_EQ(Dlg.Cell(Col, n + 2), "");
    const char* Labels[] = {"Total", "Average", "Maximum", "Minimum"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Dlg.Cell(0, n + 3 + i), Labels[i]);
    EXPECT_EQ(Dlg.Cell(4, n + 3).trimmed(), F->GetCell(S::RowTotal, S::ColPrecip));
    EXPECT_EQ(Dlg.Cell(4, n + 4) + Dlg.Cell(2, n + 3), "") << "no average precipitation, no total temperature";
    EXPECT_EQ(Dlg.Cell(2, n + 5).trimmed(), Metric ? "27.0" : "80.0");
    EXPECT_EQ(Dlg.Cell(6, n + 4).trimmed(), F->GetCell(S::RowAverage, S::ColETCrop));
    EXPECT_EQ(Dlg.Cell(8, n + 3) + Dlg.Cell(9, n + 3), "") << "no total soil moisture";

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
  QString Seen;
  QTimer::singleShot(0, &Dlg, [&] {
    // The table holds the grid rows from 2 on: the last day is table row n - 1.
    Seen = QString("%1 %2 %3").arg(Dlg.PrevGrid->currentRow()).arg(Dlg.PrevGrid->currentColumn()).arg(Dlg.windowTitle());
    Dlg.reject();
  });
  EXPECT_EQ(Dlg.ShowSchedule(*F), QDialog::Rejected);
  EXPECT_EQ(Seen, "59 8 Preview Schedule - ");  // the field has no file name yet
}

TEST_F(PreviewTest, SummaryFigures) {
  // Last day's depletion and crop water use, efficiency, total irrigation and days
  // before emergence, and what the boxes show. Growing degree days run 100 on day 1 to
  // 1234.6 on day 3.
  struct Case {
    TFormatSettings Format;
    bool Metric;
    double Depleted, ETCrop;
    QString Efficiency;
    double Irrigation;
    int BeforeEmergence;
    QString Safely, Days, Loss, Gdd;
  };
  const TFormatSettings Us = UsFormatSettings();
  const Case Cases[] = {
      {Us, false, 1.2, 0.25, "90", 0, 0, "1.20 in.", "0 days", "0.00 in.", "1,235"},
      {GermanFormatSettings(), false, 0.5, 0.25, "90", 0, 0, "0,50 in.", "3 days", "0,00 in.", "1.235"},
      {Us, false, 0.5, 0, "90", 0, 1, "0.50 in.", "?", "0.00 in.", "1,135"},
      {Us, true, 10, 5, "90", 0, 3, "10.00 mm", "4 days", "0.00 mm", ""},  // before emergence
      {Us, false, 0, 0.2, "80", 10, 0, "0.00 in.", "5 days", "2.00 in.", "1,235"},
      {Us, false, 0, 0.2, "", 10, 0, "0.00 in.", "5 days", "0.00 in.", "1,235"},  // no efficiency: 100
  };
  for (const Case& C : Cases) {
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
  // A folder that does not exist: the export's own message between line breaks.
  EXPECT_FALSE(Dlg.ExportScheduleTo(Dir.filePath("no/such.csv")));
  ASSERT_EQ(Recorder.Messages.size(), 2);
  EXPECT_TRUE(Recorder.Messages[1].size() > 2 && Recorder.Messages[1].startsWith("\n") &&
              Recorder.Messages[1].endsWith("\n")) << Recorder.Messages[1].toStdString();
}

}  // namespace

TEST_F(PreviewTest, ChartHandsOverAWorkbookAndDropsTheTemporaryExport) {
  const auto F = CalculatedField(true);
  TPreviewDlg Dlg;
  Dlg.SetScheduleData(*F);
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
  // Only the workbook is left for the spreadsheet program: the CSV export is gone.
  EXPECT_EQ(QDir(Temp.path()).entryList(QDir::Files), QStringList{QFileInfo(Opened.constFirst()).fileName()});
}
