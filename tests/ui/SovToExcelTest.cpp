// Schedule charts: metric, English and comma-decimal exports (fixtures and one made by
// the model) become a workbook with four charts and the data sheet, handed to the
// desktop once; broken, truncated, oversized or missing CSV files give a message and
// leave no workbook; a workbook the desktop cannot open is kept and named. The
// workbook's parts are read with unzip when it is installed.

#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "../model/FullDisk.h"
#include "SovToExcel.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

QString DataFile(const char* Name) { return QStringLiteral(FURROW_TEST_DATA_DIR "/excel/") + Name; }

const bool HaveUnzip = QFileInfo::exists("/usr/bin/unzip");
QString Unzip(const QStringList& Args) {
  QProcess Process;
  Process.start("/usr/bin/unzip", Args);
  return Process.waitForFinished(30000) ? QString::fromUtf8(Process.readAllStandardOutput()) : QString();
}
QString ZipPart(const QString& Zip, const QString& Part) { return Unzip({"-p", Zip, Part}); }

// The CSV's non-empty fields: the cells the data sheet must hold.
int CsvCellCount(const QString& Csv) {
  TMyLineParser Parser;
  Parser.Quote = QLatin1Char('"');
  int Count = 0;
  for (const QString& Line : SplitLines(QString::fromUtf8(ReadBytes(Csv))))
    for (const QString& Field : Parser.Fields(Line)) Count += Field.isEmpty() ? 0 : 1;
  return Count;
}

class SovToExcelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid() && Work.isValid());
    qputenv("TMPDIR", QFile::encodeName(Temp.path()));
    Previous = SetWorkbookOpener([this](const QString& Name) {
      Opened << Name;
      return OpenResult;
    });
  }
  void TearDown() override {
    SetWorkbookOpener(Previous);
    OldTmpDir.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", OldTmpDir);
  }
  // Files in the temporary folder and in the chart folder below it.
  QStringList TempFiles() const {
    return QDir(Temp.path()).entryList(QDir::Files) + QDir(ChartFolder()).entryList(QDir::Files);
  }

  QByteArray OldTmpDir = qgetenv("TMPDIR");
  QTemporaryDir Temp;  // the temporary folder while a test runs
  QTemporaryDir Work;  // inputs made by the tests
  QStringList Opened;
  bool OpenResult = true;
  TWorkbookOpener Previous;
};

// The workbook of a schedule of Days days, its first GDD as the sheet must hold it.
void CheckWorkbook(const QString& Xlsx, const QString& Csv, int Days, const QString& TitleSuffix, const char* Gdd) {
  EXPECT_TRUE(ReadBytes(Xlsx).startsWith("PK"));
  if (!HaveUnzip) return;
  EXPECT_EQ(Unzip({"-Z1", Xlsx}).count("xl/charts/chart"), 4);
  EXPECT_TRUE(ZipPart(Xlsx, "xl/workbook.xml")
                  .contains(QRegularExpression("name=\"Soil Moisture\".*name=\"Weather\".*name=\"Evapotranspiration\""
                                               ".*name=\"Soil Nitrogen\".*name=\"Schedule Data\"")));

  const QString Data = ZipPart(Xlsx, "xl/worksheets/sheet5.xml");
  EXPECT_EQ(Data.count("<c r="), CsvCellCount(Csv));
  // Numbers are real numbers, the date a number with a date format.
  EXPECT_TRUE(Data.contains(QStringLiteral("<c r=\"G3\"><v>%1</v></c>").arg(Gdd))) << Gdd;
  EXPECT_TRUE(Data.contains("<c r=\"B3\" s=\"1\"><v>41379</v></c>"));

  // The day rows 3 to Days + 2; a single cell for a one-day schedule.
  const auto DayRange = [Days](const QString& Col) {
    return Days == 1 ? QStringLiteral("'Schedule Data'!$%1$3<").arg(Col)
                     : QStringLiteral("'Schedule Data'!$%1$3:$%1$%2<").arg(Col).arg(Days + 2);
  };
  const struct {
    const char* Title;
    QStringList Columns;
  } Charts[] = {{"Soil Moisture", {"M", "N", "T"}},
                {"Weather", {"H", "J", "L"}},
                {"Evapotranspiration", {"P", "R"}},
                {"Soil Nitrogen", {"U", "V", "W", "X", "Y", "Z", "AA", "AB"}}};
  for (int I = 0; I < 4; ++I) {
    SCOPED_TRACE(Charts[I].Title);
    const QString Chart = ZipPart(Xlsx, QStringLiteral("xl/charts/chart%1.xml").arg(I + 1));
    EXPECT_TRUE(Chart.contains(QStringLiteral("<a:t>%1%2</a:t>").arg(Charts[I].Title, TitleSuffix)));
    EXPECT_TRUE(Chart.contains("<c:lineChart>") && Chart.contains("<c:legendPos val=\"r\"/>"));
    // Only the first plots empty cells as zero; the others leave gaps, the default.
    EXPECT_EQ(Chart.count("dispBlanksAs") + Chart.count("<c:dispBlanksAs val=\"zero\"/>"), I == 0 ? 2 : 0);
    EXPECT_EQ(Chart.count("<c:ser>"), Charts[I].Columns.size());
    EXPECT_EQ(Chart.count(DayRange("B")), Charts[I].Columns.size());
    for (const QString& Col : Charts[I].Columns) {
      EXPECT_TRUE(Chart.contains(DayRange(Col))) << Col.toStdString();
      EXPECT_TRUE(Chart.contains(QStringLiteral("'Schedule Data'!$%1$1:$%1$2<").arg(Col))) << Col.toStdString();
    }
  }
}

TEST_F(SovToExcelTest, ExportsBecomeChartedWorkbooks) {
  // A schedule calculated and exported by the model, with comma decimals.
  const auto Field = CalculatedExample("maricopa-cotton-metric.sov", GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(Field->ExportCsv(Work.filePath("cotton.csv"), Msg)) << Msg.toStdString();

  const struct {
    QString Csv;
    TFormatSettings Settings;
    QString DataFileName;
    int Days;
    const char* TitleSuffix;
    const char* Gdd;
  } Cases[] = {
      {DataFile("metric.csv"), UsFormatSettings(), "/home/grower/fields/cotton.sov", 5, " for cotton.sov", "7.9"},
      {DataFile("metric-german.csv"), GermanFormatSettings(), "", 5, "", "7.9"},
      {DataFile("english-one-day.csv"), IsoFormatSettings(), "north.sov", 1, " for north.sov", "14.1"},
      {Work.filePath("cotton.csv"), Field->UserFormat(), "cotton.sov", Field->DayCount(), " for cotton.sov", "7.9"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Csv.toStdString());
    const qsizetype Before = Opened.size();
    Msg = "stale";
    ASSERT_TRUE(ChartScheduleInExcel(C.Csv, C.DataFileName, Msg, C.Settings)) << Msg.toStdString();
    ASSERT_TRUE(Msg.isEmpty() && Opened.size() == Before + 1);
    EXPECT_TRUE(Opened.back().startsWith(Temp.path() + "/") && Opened.back().endsWith(".xlsx"));
    CheckWorkbook(Opened.back(), C.Csv, C.Days, C.TitleSuffix, C.Gdd);
  }
  // Every workbook is a new file, and each stays for the spreadsheet program.
  EXPECT_EQ(TempFiles().size(), 4);
  // A note's doubled quotes are single again; its comma stays.
  if (HaveUnzip) {
    EXPECT_TRUE(ZipPart(Opened[0], "xl/sharedStrings.xml").contains("<t>Pre-plant irrigation, \"first\"</t>"));
  }
}

TEST_F(SovToExcelTest, UnreadableExportsGiveAMessageAndNoWorkbook) {
  const QByteArray Good = ReadBytes(DataFile("metric.csv"));
  const qsizetype Day1 = Good.indexOf("\"1\",");
  const qsizetype Blank = Good.indexOf("\r\n\r\n") + 2;
  // 366 days holding only their numbers and dates.
  QByteArray Year = Good.left(Day1);
  for (int D = 1; D <= 366; ++D)
    Year += QStringLiteral("\"%1\",\"%2\"").arg(D).arg(QDate(2013, 1, 1).addDays(D - 1).toString(Qt::ISODate)).toUtf8() +
            QByteArray(",\"\"").repeated(26) + ",\r\n";
  const struct {
    const char* Name;
    QByteArray Bytes;
    const char* Reason;
  } Cases[] = {
      {"comma decimals", ReadBytes(DataFile("metric-german.csv")), "Line 3: GDD \"7,9\" is not a number."},
      {"empty", "", "The file is empty."},
      {"garbled", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff,\xfe", 19), "Line 1 does not hold the column names of a schedule."},
      {"cut in a day", Good.left(Good.indexOf("\"2\",") + 40), "Line 4 has 7 fields instead of 29."},
      {"cut before the summary", Good.left(Blank), "The file ends before its summary lines."},
      {"cut after Total", Good.left(Good.indexOf("Average")), "The file ends before its \"Average\" line."},
      {"text after it", Good + "Total,,,\r\n", "Line 13 follows the summary lines."},
      {"day skipped", QByteArray(Good).replace("\"3\",\"2013", "\"4\",\"2013"), "Line 5: DayNum \"4\" should be 3."},
      {"no such date", QByteArray(Good).replace("2013-04-17", "2013-04-31"),
       "Line 5: Date \"2013-04-31\" is not a date of the form yyyy-mm-dd."},
      {"date out of step", QByteArray(Good).replace("2013-04-17", "2013-04-18"),
       "Line 5: Date \"2013-04-18\" does not follow the day before."},
      {"not a number", QByteArray(Good).replace("\"31.3\"", "\"31.3x\""), "Line 3: MaxTemp \"31.3x\" is not a number."},
      {"no days", Good.left(Day1) + Good.mid(Blank), "The file holds no schedule days."},
      {"a day too many", Year, "Line 368: a schedule has at most 365 days."},
      {"oversized", Good + QByteArray(4 * 1024 * 1024, ' '), "The file is larger than 4 MB, too large for a schedule."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QString Csv = Work.filePath(QString(C.Name) + ".csv");
    ASSERT_TRUE(WriteBytes(Csv, C.Bytes));
    QString Msg;
    EXPECT_FALSE(ChartScheduleInExcel(Csv, "field.sov", Msg, UsFormatSettings()));
    EXPECT_EQ(Msg, "Unable to create charts.\n\nThe schedule file " + Csv + " could not be read:\n" + C.Reason);
  }
  QString Msg;
  EXPECT_FALSE(ChartScheduleInExcel(Work.filePath("missing.csv"), "", Msg, UsFormatSettings()));
  EXPECT_TRUE(Msg.endsWith(":\nThe file does not exist.")) << Msg.toStdString();
  EXPECT_FALSE(ChartScheduleInExcel(Work.path(), "", Msg, UsFormatSettings()));
  EXPECT_TRUE(Msg.endsWith(":\nIt is not a file.")) << Msg.toStdString();
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(SovToExcelTest, WorkbooksGoToTheChartFolderAndOldOnesGoAtStart) {
  QString Msg;
  ASSERT_TRUE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings())) << Msg.toStdString();
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_EQ(QFileInfo(Opened[0]).absolutePath(), QDir(Temp.path()).filePath("furrow-charts"));
  const QString Old = QDir(ChartFolder()).filePath("old.xlsx");
  ASSERT_TRUE(WriteBytes(Old, "x"));
  QFile File(Old);
  ASSERT_TRUE(File.open(QIODevice::ReadWrite));
  ASSERT_TRUE(File.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
  File.close();
  EXPECT_EQ(RemoveOldChartWorkbooks(), 1);
  EXPECT_FALSE(QFileInfo::exists(Old));
  EXPECT_TRUE(QFileInfo::exists(Opened[0])) << "a workbook of today stays";
  EXPECT_EQ(RemoveOldChartWorkbooks(QDateTime::currentDateTime().addDays(2)), 1);
  EXPECT_FALSE(QFileInfo::exists(Opened[0]));
}

TEST_F(SovToExcelTest, OpeningAndWorkbookFailures) {
  // Without an opener of its own the workbook goes to the shell open.
  const TWorkbookOpener Mine = SetWorkbookOpener({});
  QStringList Shell;
  const TShellOpener OldShell = SetShellOpener([&Shell](const QString& Target, const QString&, const QString&) {
    Shell << Target;
    return true;
  });
  QString Msg;
  EXPECT_TRUE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings())) << Msg.toStdString();
  SetShellOpener(OldShell);
  SetWorkbookOpener(Mine);
  EXPECT_TRUE(Shell.size() == 1 && Shell[0].endsWith(".xlsx") && Opened.isEmpty()) << Shell.join(' ').toStdString();
  // The desktop cannot open it: the workbook stays and is named.
  OpenResult = false;
  EXPECT_FALSE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings()));
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_EQ(Msg, "Unable to start a spreadsheet program.\n\nThe desktop could not open the charts, which were saved as:\n" +
                     Opened[0]);
  EXPECT_GT(QFileInfo(Opened[0]).size(), 0);
  // No temporary folder to write it in.
  qputenv("TMPDIR", QFile::encodeName(Work.filePath("gone")));
  EXPECT_FALSE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings()));
  EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe system returned this error message:\n")) << Msg.toStdString();
  EXPECT_EQ(Opened.size(), 1);
}

TEST_F(SovToExcelTest, AFullDiskLeavesNoWorkbook) {
  for (const auto& [Room, FailSync] : {std::pair{0L, false}, {4000L, false}, {1L << 30, true}}) {
    QString Msg;
    bool Ok = true;
    {
      TFullDisk Full(Room, FailSync);
      Ok = ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings());
    }
    EXPECT_FALSE(Ok);
    EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe workbook ")) << Msg.toStdString();
    EXPECT_TRUE(Msg.endsWith(" could not be written:\nNo space left on device")) << Msg.toStdString();
    EXPECT_EQ(TempFiles(), QStringList());
    EXPECT_TRUE(Opened.isEmpty());
  }
}

}  // namespace
