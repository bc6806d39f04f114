// The printed report written to a text file (exact layout), the printer side of the
// output file (lines per page and page breaks, drawn on a PDF printer), and failures:
// no printer, a file that cannot be created, an interrupted report that must not
// replace an earlier file, and a printer's PDF file written as every other file.

#include "DialogTestSupport.h"
#include "../model/FullDisk.h"
#include "PrnFile.h"
#include "SvPrev.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Three days from April 5, 2016, emergence on day 2, with results set by hand.
void FillProbe(TScheduleProbe& P) {
  P.SetDays(3, QDate(2016, 4, 5), 1);
  P.SetFileName("/home/user/fields/north40.sov");
  const std::pair<int, QString> Values[] = {
      {SovCol::FarmName, "Smith and Sons Family Farms Inc"},  // longer than its column
      {SovCol::FieldName, "North 40"}, {SovCol::Location, "Iowa"}, {SovCol::Crop, "Maize grain"},
      {SovCol::EmergenceDate, "4/6/2016"}, {SovCol::GrowingSeason, "120"}, {SovCol::RootingDepth, "4"},
      {SovCol::MinimumMoisture, "50"}, {SovCol::SurveySymbol, "IA169"}, {SovCol::MapUnitSymbol, "L55"},
      {SovCol::ComponentName, "Nicollet"}, {SovCol::WaterHoldingCapacity, "8.5"},
      {SovCol::IrrigationEfficiency, "80"}, {SovCol::StartingMoisture, "100"}, {SovCol::StartingResidue, "30"},
      {SovCol::StartingDate, "4/5/2016"}, {SovCol::CalculationDate, "4/7/2016"},
      {SovCol::Notes, QString("0123456789").repeated(13)}};  // 130 characters, no blank
  for (const auto& [Col, Text] : Values) P.SetCell(1, Col, Text);
  const char* High[] = {"70", "72.5", "68"};
  const char* Low[] = {"50", "51", "-2"};
  for (int d = 1; d <= 3; ++d) {
    P.SetCell(d, SovCol::MaxTemp, High[d - 1]);
    P.SetCell(d, SovCol::MinTemp, Low[d - 1]);
    std::tie(P.FETCrop[d], P.FSoilMoisture[d], P.FRelativeMoisture[d], P.FGddSum[d]) =
        std::tuple(0.1 * (d + 1), 5.3 - 0.1 * d, 2.5 - 1.8 * (d - 1), 12.5 * d);
    if (d == 1) continue;  // no nitrogen results on day 1
    std::tie(P.FMineralizedN[d], P.FAmmoniumN[d], P.FNitrateN[d], P.FDenitrifiedN[d]) = std::tuple(0.5, 20.4, 30.3, 0.2 * d);
    std::tie(P.FVolatilizedN[d], P.FLeachedN[d], P.FUptakeN[d]) = std::tuple(1.1, 0.1, 1.5 * d);
  }
  P.FPrecip[2] = 0.5;
  P.FIrrigation[3] = 1.0;
  P.FExcessWater[1] = 0.1;
  P.FDepletedMoisture[3] = 0.5;
}

QString ReadFile(const QString& Name) { return QString::fromUtf8(ReadBytes(Name)); }

class PrnFileTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }

  QTemporaryDir Dir;
  TMessageRecorder Recorder;
};

TEST_F(PrnFileTest, ReportToATextFileAndItsFailures) {
  TScheduleProbe P(RegionLookup(), UsFormatSettings());
  FillProbe(P);
  TPreviewDlg Dlg;
  Dlg.SetVersionInfo("Furrow", "1.2.3", "furrow");
  Dlg.SetScheduleData(P);
  const QString Name = Dir.filePath("report.txt");
  EXPECT_EQ(Dlg.PrintScheduleTo(Name, nullptr, QDateTime(QDate(2016, 4, 8), QTime(14, 5, 6))), 0);
  EXPECT_TRUE(Recorder.Messages.isEmpty()) << Recorder.Messages.join('|').toStdString();
  // The expected text holds "<time>" for the time, whose form is the system's.
  const QStringList Lines = ReadFile(Name).split("\r\n");
  const QStringList Expected = ReadFile(FURROW_TEST_DATA_DIR "/PrnFile/Report.txt").split("\r\n");
  ASSERT_EQ(Lines.size(), Expected.size());
  for (int i = 0; i < Lines.size(); ++i) {
    const QStringList Parts = Expected[i].split("<time>");
    if (Parts.size() == 1) {
      EXPECT_EQ(Lines[i], Expected[i]) << "line " << i + 1;
    } else {
      EXPECT_TRUE(Lines[i].startsWith(Parts[0])) << "line " << i + 1 << ": " << Lines[i].toStdString();
      EXPECT_TRUE(Lines[i].endsWith(Parts[1])) << "line " << i + 1 << ": " << Lines[i].toStdString();
    }
  }

  // With German settings the report's numbers and dates follow them.
  TScheduleProbe G(RegionLookup(), GermanFormatSettings());
  FillProbe(G);
  G.SetCell(1, SovCol::WaterHoldingCapacity, "8,5");
  G.SetCell(2, SovCol::MaxTemp, "72,5");
  Dlg.SetScheduleData(G);
  EXPECT_EQ(Dlg.PrintScheduleTo(Name, nullptr, QDateTime(QDate(2016, 4, 8), QTime(14, 5, 6))), 0);
  const QStringList German = ReadFile(Name).split("\r\n");
  ASSERT_GT(German.size(), 35);
  EXPECT_TRUE(German[1].endsWith(" 08.04.2016]")) << German[1].toStdString();
  EXPECT_TRUE(German[9].endsWith("Water Holding Capacity   8,5 Inches"));
  EXPECT_TRUE(German[20].endsWith("Water That Can Be Safely Added      0,56 in."));
  EXPECT_EQ(German[34], "Max            72,5   51,0   0,00    0,00        0,40   0,10     5,20");

  // No printer installed.
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    EXPECT_EQ(Dlg.PrintScheduleTo(QString()), 1);
    EXPECT_EQ(Recorder.Take(), QStringList({"\nNo printer attached or installed.\n"}));
  }

  // A file in a folder that does not exist.
  EXPECT_EQ(Dlg.PrintScheduleTo(Dir.filePath("no/such/report.txt")), 1);
  EXPECT_EQ(Recorder.Take(), QStringList({"\nCan't create file.\n\n" + Dir.filePath("no/such/report.txt") +
                                           "\nNo such file or directory.\n"}));

  // A report interrupted by an error leaves the earlier file as it was.
  Dlg.SetFieldPageSource([]() -> TReportFieldPage { throw std::runtime_error("Field page unreadable."); });
  EXPECT_NE(Dlg.PrintScheduleTo(Name), 0);
  EXPECT_EQ(Recorder.Take(), QStringList({"\nField page unreadable.\n"}));
  EXPECT_EQ(ReadFile(Name).split("\r\n"), German);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"report.txt"})) << "no temporary file left";

  // A full disk: the earlier report stays and the box says which file and why.
  Dlg.SetFieldPageSource({});
  for (const auto& [Room, FailSync] : {std::pair{100L, false}, {1L << 30, true}}) {
    TFullDisk Full(Room, FailSync);
    EXPECT_EQ(Dlg.PrintScheduleTo(Name), FailSync ? 3 : 2);
    EXPECT_EQ(Recorder.Take(), QStringList({"\nCan't write to file.\n\n" + Name + "\nNo space left on device.\n"}));
  }
  EXPECT_EQ(ReadFile(Name).split("\r\n"), German);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"report.txt"}));
}

// Counts the page objects of a PDF file.
int PdfPageCount(const QString& Name) {
  const QByteArray Bytes = ReadBytes(Name);
  return int(Bytes.count("/Type /Page") - Bytes.count("/Type /Pages"));
}

TEST_F(PrnFileTest, PrinterPagesHoldLinesPerPageLessTheTopMargin) {
  QPrinter Printer(QPrinter::HighResolution);
  Printer.setOutputFormat(QPrinter::PdfFormat);
  const QString Pdf = Dir.filePath("pages.pdf");
  Printer.setOutputFileName(Pdf);
  TPrinterOutFile Out(&Printer);
  ASSERT_TRUE(Out.Open(QString()));
  EXPECT_TRUE(Out.ToPrinter());
  QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Font.setPointSize(8);
  Out.SetFont(Font);
  Out.SetMargins(5, 3);
  ASSERT_GT(Out.LineHeight(), 1);
  EXPECT_EQ(Out.LinesPerPage(), Printer.height() / Out.LineHeight() - 6);
  EXPECT_EQ(Out.CurLine(), 3);
  const int PerPage = Out.LinesPerPage() - Out.TopMargin();
  ASSERT_GT(PerPage, 10);
  for (int i = 1; i <= PerPage; ++i) {
    Out.Write(QString("line %1").arg(i));
    Out.NewLine();
  }
  EXPECT_EQ(Out.PageCount(), 1) << "a full page begins no page before another line comes";
  Out.NewLine();  // that line goes on a new page, from the top margin
  EXPECT_EQ(Out.PageCount(), 2);
  EXPECT_EQ(Out.CurLine(), 4);
  for (int i = 1; i < PerPage; ++i) Out.NewLine();
  EXPECT_EQ(Out.PageCount(), 2);
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(PdfPageCount(Pdf), 2) << "the second page is exactly full: no blank third page";
}

TEST_F(PrnFileTest, LinesFitThePrintableWidthOfTheChosenPrinter) {
  QPrinter Printer(QPrinter::HighResolution);
  Printer.setOutputFormat(QPrinter::PdfFormat);
  Printer.setOutputFileName(Dir.filePath("fit.pdf"));
  Printer.setPageSize(QPageSize(QPageSize::A4));
  Printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  TPrinterOutFile Out(&Printer);
  ASSERT_TRUE(Out.Open(QString()));
  QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Font.setPointSize(8);
  Out.SetFont(Font);
  const QString Widest(125, 'X');  // the report's table lines with the left margin
  ASSERT_GT(QFontMetricsF(Out.Font(), &Printer).horizontalAdvance(Widest), Out.PrintableWidth());
  Out.FitFontToWidth(int(Widest.size()));
  EXPECT_LE(QFontMetricsF(Out.Font(), &Printer).horizontalAdvance(Widest), Out.PrintableWidth());
  EXPECT_GT(Out.Font().pointSizeF(), 6);  // no smaller than it must be
  Out.Close();
}

TEST_F(PrnFileTest, PrintGoesToTheChosenPrinterAndTextToItsOwnChoice) {
  TScheduleProbe P(RegionLookup(), UsFormatSettings());
  FillProbe(P);
  TPreviewDlg Dlg;
  Dlg.SetScheduleData(P);
  // The print dialog's "Print to File (PDF)" gets the drawn report.
  const QString Pdf = Dir.filePath("report.pdf");
  Dlg.RunPrintDialog = [&Pdf](QWidget*, QPrinter& Printer) {
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(Pdf);
    return true;
  };
  int TextAsked = 0;
  Dlg.AskTextFileName = [&TextAsked](QWidget*) { return ++TextAsked, QString(); };
  Dlg.PrintOutputBtn->click();
  EXPECT_TRUE(ReadBytes(Pdf).startsWith("%PDF")) << "a PDF file, not a text file";
  EXPECT_EQ(PdfPageCount(Pdf), 1);
  EXPECT_EQ(TextAsked, 0);
  EXPECT_TRUE(Recorder.Messages.isEmpty()) << Recorder.Messages.join('|').toStdString();
  // Cancel in the print dialog prints nothing.
  QFile::remove(Pdf);
  Dlg.RunPrintDialog = [](QWidget*, QPrinter&) { return false; };
  Dlg.PrintOutputBtn->click();
  EXPECT_FALSE(QFileInfo::exists(Pdf));
  // The text output has its own button with its save dialog; Cancel there writes nothing.
  Dlg.PrintToTextFileBtn->click();
  EXPECT_EQ(TextAsked, 1);
  const QString Text = Dir.filePath("report.txt");
  Dlg.AskTextFileName = [&Text](QWidget*) { return Text; };
  Dlg.PrintToTextFileBtn->click();
  EXPECT_TRUE(ReadFile(Text).contains("Schedule for north40.sov\r\n"));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"report.txt"}));
}

// A report printed to a file (the print dialog's PDF) is written as every other file: a
// refusal or a full disk names the file and why, and leaves every file as it was.
TEST_F(PrnFileTest, APrinterFileIsRefusedOrKeptWithItsNameAndTheReason) {
  TScheduleProbe P(RegionLookup(), UsFormatSettings());
  FillProbe(P);
  TPreviewDlg Dlg;
  Dlg.SetScheduleData(P);
  const QByteArray Fifo = QFile::encodeName(Dir.filePath("fifo.pdf")), Earlier = "%PDF-1.4 earlier";
  ASSERT_TRUE(WriteBytes(Dir.filePath("report.pdf"), Earlier) && WriteBytes(Dir.filePath("readonly.pdf"), Earlier));
  ASSERT_TRUE(QFile::setPermissions(Dir.filePath("readonly.pdf"), QFileDevice::ReadOwner) && ::mkfifo(Fifo, 0600) == 0);
  ASSERT_TRUE(QFile::link("/dev/full", Dir.filePath("full.pdf")) && QFile::link("gone/a", Dir.filePath("dangling.pdf")));
  const int Reader = ::open(Fifo, O_RDONLY | O_NONBLOCK);  // so that a writer would not wait
  const auto State = [this] {
    return QDir(Dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
           << ReadBytes(Dir.filePath("report.pdf")) << ReadBytes(Dir.filePath("readonly.pdf"));
  };
  const QStringList Before = State();
  const struct {
    const char* Target;
    long Room;  // of a full disk; 0 for none
    int Status;
    QString Reason;
  } Cases[] = {{"report.pdf", 4096, 2, "No space left on device"},
               {"report.pdf", 1L << 30, 3, "No space left on device"},  // the flush fails
               {"/dev/full", 0, 1, "It is a device, not a file"},
               {"full.pdf", 0, 1, "It is a device, not a file"},
               {"readonly.pdf", 0, 1, "This file is set to read-only"},
               {"fifo.pdf", 0, 1, "Not a regular file but a pipe or other special file"},
               {"dangling.pdf", 0, 1, "It links to " + Dir.filePath("gone/a") + ", whose folder cannot be reached: No such "
                                                                                   "file or directory"}};
  for (const auto& C : Cases) {
    const QString Name = QDir(Dir.path()).absoluteFilePath(C.Target);
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFileName(Name);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    std::optional<TFullDisk> Full;
    if (C.Room > 0) Full.emplace(C.Room, C.Room > 4096);
    EXPECT_EQ(Dlg.PrintScheduleTo(QString(), &Printer), C.Status) << C.Target;
    const QString What = C.Status == 1 ? "Can't create file." : "Can't write to file.";
    EXPECT_EQ(Recorder.Take(), QStringList("\n" + What + "\n\n" + Name + "\n" + C.Reason + ".\n"));
    EXPECT_EQ(State(), Before) << C.Target;
  }
  char Byte = 0;
  EXPECT_EQ(::read(Reader, &Byte, 1), 0) << "nothing reached the pipe";
  ::close(Reader);
}

}  // namespace
