// Schedule charts: calculated schedules (metric and English, point and comma decimals,
// a single day) become a workbook with four charts and the data sheet holding the CSV
// export's cells, handed to the desktop once; a schedule whose cells cannot be charted
// gives a message and leaves no workbook, as does a full disk or a refused write, even
// one that cuts only a part packed into the workbook; a workbook the desktop cannot open
// is kept and named. The workbook's parts are read with unzip when it is installed.

#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "../model/FullDisk.h"
#include "SovToExcel.h"

#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// An example field calculated in Format; with Days, its schedule ends after that many.
std::unique_ptr<TSovSchedule> Schedule(const char* Name, const TFormatSettings& Format, int Days = 0) {
  auto Field = CalculatedExample(Name, Format);
  if (Days > 0) {
    QDate Start;
    EXPECT_TRUE(TryStrToDate(Field->GetCell(1, SovCol::StartingDate).trimmed(), Start, Format));
    Field->SetCell(1, SovCol::CalculationDate, DateToStr(Start.addDays(Days - 1), Format));
    Field->Calculate();
  }
  return Field;
}

// A name the charts could have given a workbook.
const QString OldWorkbookName = QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e.xlsx");

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

TEST_F(SovToExcelTest, SchedulesBecomeChartedWorkbooks) {
  const auto Metric = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  // A note with a comma and quotes, blanks around it.
  Metric->SetCell(1, SovCol::WeatherNotes, "  Pre-plant irrigation, \"first\"\t");
  const auto German = Schedule("maricopa-cotton-metric.sov", GermanFormatSettings());
  const auto OneDay = Schedule("maricopa-cotton-english.sov", IsoFormatSettings(), 1);
  ASSERT_EQ(OneDay->DayCount(), 1);
  const struct {
    const TSovSchedule* Field;
    QString DataFileName;
    const char* TitleSuffix;
    const char* Gdd;
  } Cases[] = {
      {Metric.get(), "/home/grower/fields/cotton.sov", " for cotton.sov", "7.9"},
      {German.get(), "", "", "7.9"},
      {OneDay.get(), "north.sov", " for north.sov", "14.1"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Gdd + C.DataFileName.toStdString());
    const qsizetype Before = Opened.size();
    QString Msg = "stale";
    ASSERT_TRUE(ChartScheduleInExcel(*C.Field, C.DataFileName, Msg)) << Msg.toStdString();
    EXPECT_EQ(Msg, "");
    ASSERT_EQ(Opened.size(), Before + 1);
    EXPECT_TRUE(Opened.back().startsWith(Temp.path() + "/")) << Opened.back().toStdString();
    EXPECT_TRUE(Opened.back().endsWith(".xlsx")) << Opened.back().toStdString();
    // The data sheet holds the cells of the CSV export.
    const QString Csv = Work.filePath(QStringLiteral("%1.csv").arg(Before));
    ASSERT_TRUE(C.Field->ExportCsv(Csv, Msg)) << Msg.toStdString();
    CheckWorkbook(Opened.back(), Csv, C.Field->DayCount(), C.TitleSuffix, C.Gdd);
  }
  // Every workbook is a new file, and each stays for the spreadsheet program.
  EXPECT_EQ(TempFiles().size(), 3);
  // A note's blanks are gone, its quotes and comma stay.
  if (HaveUnzip) {
    EXPECT_TRUE(ZipPart(Opened[0], "xl/sharedStrings.xml").contains("<t>Pre-plant irrigation, \"first\"</t>"));
  }
}

TEST_F(SovToExcelTest, CellsThatCannotBeChartedGiveAMessageAndNoWorkbook) {
  TSovSchedule Empty(RegionLookup(), UsFormatSettings());
  const auto Edited = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  // A weather cell changed to a text since the calculation.
  Edited->SetCell(2, SovCol::MaxTemp, "warm");
  const auto LongNote = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  LongNote->SetCell(3, SovCol::WeatherNotes, QString(32768, 'n'));
  const struct {
    const TSovSchedule* Field;
    const char* Reason;
  } Cases[] = {
      {&Empty, "The schedule holds no days."},
      {Edited.get(), "Day 2: MaxTemp \"warm\" is not a number."},
      {LongNote.get(), "Day 3: Notes is longer than 32767 characters."},
  };
  for (const auto& C : Cases) {
    QString Msg;
    EXPECT_FALSE(ChartScheduleInExcel(*C.Field, "field.sov", Msg));
    EXPECT_EQ(Msg, QStringLiteral("Unable to create charts.\n\nThe schedule could not be charted:\n") + C.Reason);
  }
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(SovToExcelTest, WorkbooksGoToTheChartFolderAndOldOnesGoAtStart) {
  const auto Field = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  QString Msg;
  ASSERT_TRUE(ChartScheduleInExcel(*Field, "", Msg)) << Msg.toStdString();
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_EQ(QFileInfo(Opened[0]).absolutePath(),
            QDir(Temp.path()).filePath(QStringLiteral("furrow-charts-%1").arg(geteuid())));
  const QString Old = QDir(ChartFolder()).filePath(OldWorkbookName);
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

TEST_F(SovToExcelTest, OnlyTheUsersOwnFolderIsUsedAndOnlyOldWorkbooksGo) {
  const auto Field = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  // Each two days old, in name order; the temporary files of a chart killed mid-write too.
  const QStringList Planted = {OldWorkbookName, OldWorkbookName + ".furrow-a1B2c3.part", "furrow-qWeRtY.xlsx.part",
                               "letter.odt", "old.xlsx"};
  const struct {
    bool Link, OthersFolder;
    QStringList Left;  // of Planted after the start-up cleanup and a chart
    bool Charted;
  } Rows[] = {{true, false, Planted, false}, {false, true, Planted, false}, {false, false, Planted.mid(3), true}};
  for (const auto& R : Rows) {
    SCOPED_TRACE(R.Link ? "link" : R.OthersFolder ? "another user's folder" : "own folder");
    if (R.OthersFolder && geteuid() != 0) continue;  // only root can give a folder away
    // The files lie in the chart folder, or in the documents a link in its place points to.
    const QString Folder = ChartFolder(), Place = R.Link ? Work.filePath("documents") : Folder;
    QFile::remove(Folder);
    QDir(Folder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Place) && (!R.Link || QFile::link(Place, Folder)));
    for (const QString& Name : Planted) {
      QFile File(QDir(Place).filePath(Name));
      ASSERT_TRUE(File.open(QIODevice::WriteOnly) &&
                  File.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(chown(QFile::encodeName(Place).constData(), R.OthersFolder ? 65534 : geteuid(), gid_t(-1)), 0);
    RemoveOldChartWorkbooks();
    QString Msg;
    EXPECT_EQ(ChartScheduleInExcel(*Field, "", Msg), R.Charted) << Msg.toStdString();
    QStringList Left = QDir(Place).entryList(QDir::Files);
    Left.removeOne(QFileInfo(Opened.value(0)).fileName());
    EXPECT_EQ(Left, R.Left);
    Opened.clear();
  }
}

TEST_F(SovToExcelTest, OpeningAndWorkbookFailures) {
  const auto Field = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  // Without an opener of its own the workbook goes to the shell open.
  const TWorkbookOpener Mine = SetWorkbookOpener({});
  QStringList Shell;
  const TShellOpener OldShell = SetShellOpener([&Shell](const QString& Target, const QString&, const QString&) {
    Shell << Target;
    return true;
  });
  QString Msg;
  EXPECT_TRUE(ChartScheduleInExcel(*Field, "", Msg)) << Msg.toStdString();
  SetShellOpener(OldShell);
  SetWorkbookOpener(Mine);
  EXPECT_TRUE(Shell.size() == 1 && Shell[0].endsWith(".xlsx") && Opened.isEmpty()) << Shell.join(' ').toStdString();
  // The desktop cannot open it: the workbook stays and is named.
  OpenResult = false;
  EXPECT_FALSE(ChartScheduleInExcel(*Field, "", Msg));
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_EQ(Msg, "Unable to start a spreadsheet program.\n\nThe desktop could not open the charts, which were saved as:\n" +
                     Opened[0]);
  EXPECT_GT(QFileInfo(Opened[0]).size(), 0);
  // No temporary folder to write it in.
  qputenv("TMPDIR", QFile::encodeName(Work.filePath("gone")));
  EXPECT_FALSE(ChartScheduleInExcel(*Field, "", Msg));
  EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe system returned this error message:\n")) << Msg.toStdString();
  EXPECT_EQ(Opened.size(), 1);
}

TEST_F(SovToExcelTest, AFullDiskLeavesNoWorkbook) {
  const auto Field = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  for (const auto& [Room, FailSync] : {std::pair{0L, false}, {4000L, false}, {1L << 30, true}}) {
    QString Msg;
    bool Ok = true;
    {
      TFullDisk Full(Room, FailSync);
      Ok = ChartScheduleInExcel(*Field, "", Msg);
    }
    EXPECT_FALSE(Ok);
    EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe workbook ")) << Msg.toStdString();
    EXPECT_TRUE(Msg.endsWith(" could not be written:\nNo space left on device")) << Msg.toStdString();
    EXPECT_EQ(TempFiles(), QStringList());
    EXPECT_TRUE(Opened.isEmpty());
  }
}

// A write the system refuses while the workbook is built is named by the system's reason,
// as a full disk gives "No space left on device": here a limit on the size of files. A
// limit that cuts the data sheet (133744 bytes) but not the packed workbook (55368 bytes)
// is found when the workbook is read back.
TEST_F(SovToExcelTest, AWriteRefusedWhileBuildingGivesTheSystemsReason) {
  const auto Field = Schedule("maricopa-cotton-metric.sov", UsFormatSettings());
  for (const auto& [Limit, Reason] : {std::pair{4000, "File too large"},
                                      {90000, "The workbook file is incomplete; the disk may be full."}}) {
    SCOPED_TRACE(Limit);
    rlimit Old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
    rlimit Small = Old;
    Small.rlim_cur = rlim_t(Limit);
    const auto OldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
    QString Msg;
    const bool Ok = ChartScheduleInExcel(*Field, "", Msg);
    setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldSignal);
    EXPECT_FALSE(Ok);
    EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe workbook " + ChartFolder() + "/")) << Msg.toStdString();
    EXPECT_TRUE(Msg.endsWith(QStringLiteral(".xlsx could not be written:\n") + Reason)) << Msg.toStdString();
    EXPECT_EQ(TempFiles(), QStringList());
    EXPECT_TRUE(Opened.isEmpty());
  }
}

}  // namespace
