// Schedule charts: CSV exports in metric, English and comma-decimal form become a
// workbook with four charts and the data sheet, handed to the desktop once; broken,
// truncated, oversized or missing CSV files give a message and leave no workbook; a
// desktop that cannot open the workbook keeps it and names it. The workbook's parts are
// listed from the zip's central directory; their contents are read with unzip when it
// is installed.

#include "SovSched.h"
#include "SovToExcel.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

QString DataFile(const char* Name) { return QStringLiteral(FURROW_TEST_DATA_DIR "/excel/") + Name; }

QByteArray ReadAll(const QString& Name) {
  QFile File(Name);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

void WriteAll(const QString& Name, const QByteArray& Bytes) {
  QFile File(Name);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(File.write(Bytes), Bytes.size());
}

uint32_t Le(const QByteArray& B, qsizetype At, int Bytes) {
  uint32_t Value = 0;
  for (int I = Bytes - 1; I >= 0; --I) Value = (Value << 8) | uint8_t(B[At + I]);
  return Value;
}

// The names in a zip's central directory (empty when the file is no zip).
QStringList ZipNames(const QByteArray& Zip) {
  QStringList Names;
  const qsizetype End = Zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
  if (!Zip.startsWith("PK") || End < 0 || End + 22 > Zip.size()) return Names;
  const uint32_t Count = Le(Zip, End + 10, 2);
  qsizetype At = Le(Zip, End + 16, 4);
  for (uint32_t I = 0; I < Count; ++I) {
    if (At + 46 > Zip.size() || Zip.mid(At, 4) != QByteArray("PK\x01\x02", 4)) return {};
    const uint32_t NameLen = Le(Zip, At + 28, 2);
    Names << QString::fromUtf8(Zip.mid(At + 46, NameLen));
    At += 46 + NameLen + Le(Zip, At + 30, 2) + Le(Zip, At + 32, 2);
  }
  return Names;
}

// One part of the workbook, or nothing when unzip is not installed.
std::optional<QString> ZipPart(const QString& Zip, const QString& Part) {
  if (!QFileInfo::exists("/usr/bin/unzip")) return std::nullopt;
  QProcess Unzip;
  Unzip.start("/usr/bin/unzip", {"-p", Zip, Part});
  if (!Unzip.waitForFinished(30000)) return std::nullopt;
  return QString::fromUtf8(Unzip.readAllStandardOutput());
}

// The CSV's non-empty fields: the cells the data sheet must hold.
int CsvCellCount(const QString& Csv) {
  TMyLineParser Parser;
  Parser.Quote = QLatin1Char('"');
  int Count = 0;
  for (const QString& Line : SplitLines(QString::fromUtf8(ReadAll(Csv))))
    for (const QString& Field : Parser.Fields(Line)) Count += Field.isEmpty() ? 0 : 1;
  return Count;
}

// A valid US-format export of Days days from 1 January 2013.
QByteArray MakeCsv(int Days) {
  QByteArray Csv = ReadAll(DataFile("metric.csv"));
  const QList<QByteArray> Lines = Csv.split('\n');
  QByteArray Out = Lines[0] + '\n' + Lines[1] + '\n';
  const QDate First(2013, 1, 1);
  for (int D = 1; D <= Days; ++D) {
    const QDate Date = First.addDays(D - 1);
    Out += QStringLiteral("\"%1\",\"%2\",\"%3\",\"%4\",\"%5\",\"\",\"1.5\",\"20\",\"15\",\"10\",\"2\",\"50\",\"\",\"\","
                          "\"20\",\"5\",\"0.4\",\"2\",\"\",\"100\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"0.0\",\r\n")
               .arg(D)
               .arg(Date.toString(Qt::ISODate))
               .arg(Date.year())
               .arg(Date.month())
               .arg(Date.day())
               .toUtf8();
  }
  for (qsizetype I = Lines.size() - 6; I < Lines.size(); ++I) Out += Lines[I] + (I + 1 < Lines.size() ? "\n" : "");
  return Out;
}

class SovToExcelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid() && Work.isValid());
    HadTmpDir = qEnvironmentVariableIsSet("TMPDIR");
    OldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(Temp.path()));
    Previous = SetWorkbookOpener([this](const QString& Name) {
      Opened << Name;
      return OpenResult;
    });
  }
  void TearDown() override {
    SetWorkbookOpener(Previous);
    if (HadTmpDir)
      qputenv("TMPDIR", OldTmpDir);
    else
      qunsetenv("TMPDIR");
  }
  QStringList TempFiles() const { return QDir(Temp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

  QTemporaryDir Temp;  // the temporary folder while a test runs
  QTemporaryDir Work;  // inputs made by the tests
  QStringList Opened;
  bool OpenResult = true;
  TWorkbookOpener Previous;
  bool HadTmpDir = false;
  QByteArray OldTmpDir;
};

// Checks the workbook of a schedule of Days days; GddDay1 is the first day's GDD as
// the sheet must hold it.
void CheckWorkbook(const QString& Xlsx, const QString& Csv, int Days, const QString& TitleSuffix,
                   const char* GddDay1) {
  const QByteArray Bytes = ReadAll(Xlsx);
  ASSERT_TRUE(Bytes.startsWith("PK"));
  const QStringList Names = ZipNames(Bytes);
  for (int I = 1; I <= 4; ++I) EXPECT_TRUE(Names.contains(QStringLiteral("xl/charts/chart%1.xml").arg(I))) << I;
  EXPECT_FALSE(Names.contains("xl/charts/chart5.xml"));
  EXPECT_TRUE(Names.contains("xl/worksheets/sheet5.xml"));

  const auto Workbook = ZipPart(Xlsx, "xl/workbook.xml");
  if (!Workbook) GTEST_SKIP() << "unzip is not installed";
  const qsizetype Sheets[] = {Workbook->indexOf("name=\"Soil Moisture\""), Workbook->indexOf("name=\"Weather\""),
                              Workbook->indexOf("name=\"Evapotranspiration\""),
                              Workbook->indexOf("name=\"Soil Nitrogen\""), Workbook->indexOf("name=\"Schedule Data\"")};
  for (int I = 0; I < 5; ++I) EXPECT_TRUE(Sheets[I] >= 0 && (I == 0 || Sheets[I] > Sheets[I - 1])) << I;

  const QString Data = *ZipPart(Xlsx, "xl/worksheets/sheet5.xml");
  EXPECT_EQ(Data.count("<c r="), CsvCellCount(Csv));
  // Numbers are real numbers, the date a number with a date format.
  EXPECT_TRUE(Data.contains(QStringLiteral("<c r=\"G3\"><v>%1</v></c>").arg(GddDay1))) << GddDay1;
  EXPECT_TRUE(Data.contains("<c r=\"B3\" s=\"1\"><v>41379</v></c>"));

  // The day rows 3 to Days + 2; a single cell for a one-day schedule.
  const auto DayRange = [Days](const QString& Col) {
    return Days == 1 ? QStringLiteral("'Schedule Data'!$%1$3<").arg(Col)
                     : QStringLiteral("'Schedule Data'!$%1$3:$%1$%2<").arg(Col).arg(Days + 2);
  };
  const struct {
    const char* Title;
    int Series;
    QStringList Columns;
    const char* Blanks;
  } Charts[] = {{"Soil Moisture", 3, {"M", "N", "T"}, "zero"},
                {"Weather", 3, {"H", "J", "L"}, "gap"},
                {"Evapotranspiration", 2, {"P", "R"}, "gap"},
                {"Soil Nitrogen", 8, {"U", "V", "W", "X", "Y", "Z", "AA", "AB"}, "gap"}};
  for (int I = 0; I < 4; ++I) {
    SCOPED_TRACE(Charts[I].Title);
    const QString Chart = *ZipPart(Xlsx, QStringLiteral("xl/charts/chart%1.xml").arg(I + 1));
    EXPECT_TRUE(Chart.contains(QStringLiteral("<a:t>%1%2</a:t>").arg(Charts[I].Title, TitleSuffix)));
    EXPECT_TRUE(Chart.contains("<c:lineChart>"));
    EXPECT_TRUE(Chart.contains("<c:legendPos val=\"r\"/>"));
    EXPECT_TRUE(Chart.contains(QStringLiteral("<c:dispBlanksAs val=\"%1\"/>").arg(Charts[I].Blanks)) ||
                (QString(Charts[I].Blanks) == "gap" && !Chart.contains("dispBlanksAs")));
    EXPECT_EQ(Chart.count("<c:ser>"), Charts[I].Series);
    EXPECT_EQ(Chart.count(DayRange("B")), Charts[I].Series);
    for (const QString& Col : Charts[I].Columns) {
      EXPECT_TRUE(Chart.contains(DayRange(Col))) << Col.toStdString();
      EXPECT_TRUE(Chart.contains(QStringLiteral("'Schedule Data'!$%1$1:$%1$2<").arg(Col))) << Col.toStdString();
    }
  }
}

TEST_F(SovToExcelTest, ExportsBecomeChartedWorkbooks) {
  const struct {
    const char* Csv;
    TFormatSettings Settings;
    QString DataFileName;
    int Days;
    const char* TitleSuffix;
    const char* GddDay1;
  } Cases[] = {
      {"metric.csv", UsFormatSettings(), "/home/grower/fields/cotton.sov", 5, " for cotton.sov", "7.9"},
      {"metric-german.csv", GermanFormatSettings(), "", 5, "", "7.9"},
      {"english-one-day.csv", IsoFormatSettings(), "north.sov", 1, " for north.sov", "14.1"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Csv);
    Opened.clear();
    const QString Csv = DataFile(C.Csv);
    const QByteArray Before = ReadAll(Csv);
    QString Msg = "stale";
    ASSERT_TRUE(ChartScheduleInExcel(Csv, C.DataFileName, Msg, C.Settings)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    EXPECT_EQ(ReadAll(Csv), Before);
    ASSERT_EQ(Opened.size(), 1);
    EXPECT_TRUE(Opened[0].startsWith(Temp.path() + "/") && Opened[0].endsWith(".xlsx")) << Opened[0].toStdString();
    CheckWorkbook(Opened[0], Csv, C.Days, C.TitleSuffix, C.GddDay1);
  }
  // Each chart has its own workbook, and all of them stay for the spreadsheet program.
  EXPECT_EQ(TempFiles().size(), 3);
}

TEST_F(SovToExcelTest, NotesKeepTheirQuotesAndCommas) {
  QString Msg;
  ASSERT_TRUE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings())) << Msg.toStdString();
  ASSERT_EQ(Opened.size(), 1);
  const auto Strings = ZipPart(Opened[0], "xl/sharedStrings.xml");
  if (!Strings) GTEST_SKIP() << "unzip is not installed";
  EXPECT_TRUE(Strings->contains("<t>Pre-plant irrigation, \"first\"</t>") ||
              Strings->contains("<t>Pre-plant irrigation, &quot;first&quot;</t>"))
      << Strings->toStdString();
}

TEST_F(SovToExcelTest, UnreadableExportsGiveAMessageAndNoWorkbook) {
  const QByteArray Good = ReadAll(DataFile("metric.csv"));
  const qsizetype Day2 = Good.indexOf("\"2\",");
  const qsizetype Blank = Good.indexOf("\r\n\r\n") + 2;
  const qsizetype Average = Good.indexOf("Average");
  QByteArray Skipped = Good;
  Skipped.replace("\"3\",\"2013-04-17\"", "\"4\",\"2013-04-17\"");
  QByteArray BadDate = Good;
  BadDate.replace("\"3\",\"2013-04-17\"", "\"3\",\"2013-04-31\"");
  QByteArray Garbled(300, '\0');
  for (int I = 0; I < Garbled.size(); ++I) Garbled[I] = char((I * 37 + 11) % 256);
  QByteArray Oversized = Good;
  Oversized.append(QByteArray(4 * 1024 * 1024, ' '));
  const struct {
    const char* Name;
    QByteArray Bytes;
    const char* Reason;
  } Cases[] = {
      {"empty", "", "The file is empty."},
      {"garbled", Garbled, "Line 1 does not hold the column names of a schedule."},
      {"units only", Good.left(Good.indexOf("\"1\",")), "The file ends before its summary lines."},
      {"cut in a day", Good.left(Day2 + 40), "Line 4 has 7 fields instead of 29."},
      {"cut before the summary", Good.left(Blank), "The file ends before its summary lines."},
      {"cut after Total", Good.left(Average), "The file ends before its \"Average\" line."},
      {"cut in a summary", Good.left(Average + 30), "Line 10 has 10 fields instead of 29."},
      {"text after it", Good + "Total,,,\r\n", "Line 13 follows the summary lines."},
      {"day skipped", Skipped, "Line 5: DayNum \"4\" should be 3."},
      {"no such date", BadDate, "Line 5: Date \"2013-04-31\" is not a date of the form yyyy-mm-dd."},
      {"not a number", QByteArray(Good).replace("\"31.3\"", "\"31.3x\""), "Line 3: MaxTemp \"31.3x\" is not a number."},
      {"no days", Good.left(Good.indexOf("\"1\",")) + Good.mid(Blank), "The file holds no schedule days."},
      {"a day too many", MakeCsv(366), "Line 368: a schedule has at most 365 days."},
      {"oversized", Oversized, "The file is larger than 4 MB, too large for a schedule."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QString Csv = Work.filePath(QString(C.Name) + ".csv");
    WriteAll(Csv, C.Bytes);
    QString Msg;
    EXPECT_FALSE(ChartScheduleInExcel(Csv, "field.sov", Msg, UsFormatSettings()));
    EXPECT_EQ(Msg.toStdString(),
              ("Unable to create charts.\n\nThe schedule file " + Csv + " could not be read:\n" + C.Reason).toStdString());
  }
  // Read with the wrong decimal separator, a missing file, a folder.
  const struct {
    QString Csv;
    TFormatSettings Settings;
    const char* Reason;
  } Others[] = {{DataFile("metric-german.csv"), UsFormatSettings(), "Line 3: GDD \"7,9\" is not a number."},
                {DataFile("metric.csv"), GermanFormatSettings(), "Line 3: GDD \"7.9\" is not a number."},
                {Work.filePath("missing.csv"), UsFormatSettings(), "The file does not exist."},
                {Work.path(), UsFormatSettings(), "It is not a file."}};
  for (const auto& C : Others) {
    SCOPED_TRACE(C.Reason);
    QString Msg;
    EXPECT_FALSE(ChartScheduleInExcel(C.Csv, "", Msg, C.Settings));
    EXPECT_TRUE(Msg.endsWith(C.Reason)) << Msg.toStdString();
  }
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Opened.isEmpty());
  // The largest schedule is accepted.
  WriteAll(Work.filePath("year.csv"), MakeCsv(365));
  QString Msg;
  EXPECT_TRUE(ChartScheduleInExcel(Work.filePath("year.csv"), "", Msg, UsFormatSettings())) << Msg.toStdString();
}

TEST_F(SovToExcelTest, WorkbookThatCannotBeOpenedIsKeptAndNamed) {
  OpenResult = false;
  QString Msg;
  EXPECT_FALSE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings()));
  ASSERT_EQ(Opened.size(), 1);
  EXPECT_EQ(Msg, "Unable to start a spreadsheet program.\n\nThe desktop could not open the charts, which were saved as:\n" +
                     Opened[0]);
  EXPECT_TRUE(ZipNames(ReadAll(Opened[0])).contains("xl/charts/chart4.xml"));
}

TEST_F(SovToExcelTest, NoTemporaryFolderGivesAMessage) {
  qputenv("TMPDIR", QFile::encodeName(Work.filePath("gone")));
  QString Msg;
  EXPECT_FALSE(ChartScheduleInExcel(DataFile("metric.csv"), "", Msg, UsFormatSettings()));
  EXPECT_TRUE(Msg.startsWith("Unable to create charts.\n\nThe system returned this error message:\n")) << Msg.toStdString();
  EXPECT_TRUE(Opened.isEmpty());
}

// A schedule calculated and exported by the model, with comma decimals.
TEST_F(SovToExcelTest, CalculatedScheduleIsCharted) {
  TSovLookup Lookup;
  QString Msg;
  ASSERT_TRUE(Lookup.LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
  TSovSchedule Field(Lookup, GermanFormatSettings());
  ASSERT_TRUE(Field.LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-metric.sov", Msg))
      << Msg.toStdString();
  int Row = 0, Col = 0;
  ASSERT_TRUE(Field.CheckFieldData(false, Msg, Row, Col)) << Msg.toStdString();
  Field.Calculate();
  const QString Csv = Work.filePath("schedule.csv");
  ASSERT_TRUE(Field.ExportCsv(Csv, Msg)) << Msg.toStdString();
  ASSERT_TRUE(ChartScheduleInExcel(Csv, "maricopa-cotton-metric.sov", Msg, Field.UserFormat())) << Msg.toStdString();
  ASSERT_EQ(Opened.size(), 1);
  const auto Data = ZipPart(Opened[0], "xl/worksheets/sheet5.xml");
  if (!Data) GTEST_SKIP() << "unzip is not installed";
  EXPECT_EQ(Data->count("<c r="), CsvCellCount(Csv));
  const auto Chart = ZipPart(Opened[0], "xl/charts/chart1.xml");
  EXPECT_TRUE(Chart->contains(QStringLiteral("'Schedule Data'!$T$3:$T$%1<").arg(Field.DayCount() + 2)));
}

}  // namespace
