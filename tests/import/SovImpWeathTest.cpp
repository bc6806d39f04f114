#include "SovImpWeath.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

const QString ExampleDir = QStringLiteral(FURROW_SOURCE_DIR "/data/examples/");
const QString EdgeFile = QStringLiteral(FURROW_TEST_DATA_DIR "/sovimp/edge.sov");

QByteArray ReadAll(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

class SovImpWeathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Lookup = new TSovLookup();
    QString Msg;
    LookupOk = Lookup->LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg);
  }
  static void TearDownTestSuite() {
    delete Lookup;
    Lookup = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(LookupOk); }

  QString Write(const QString& Name, const QByteArray& Bytes) {
    const QString Path = Dir.filePath(Name);
    QFile File(Path);
    if (File.open(QIODevice::WriteOnly | QIODevice::Truncate)) File.write(Bytes);
    return Path;
  }

  static inline TSovLookup* Lookup = nullptr;
  static inline bool LookupOk = false;
  QTemporaryDir Dir;
};

// A field-file import: 365 named days from the starting date, "." numbers, the facts.
void ExpectFieldImport(const TSovImportedWeather& W, bool Metric, const char* First, const char* Last) {
  ASSERT_EQ(W.Count(), 365);
  EXPECT_EQ(W.Names(0), QLatin1String(First));
  EXPECT_EQ(W.Names(364), QLatin1String(Last));
  EXPECT_EQ(W.SourceName, u"Sorvo Scheduler"_s);
  EXPECT_EQ(W.Metric, Metric);
  EXPECT_FALSE(W.UnitsUnstated);
  EXPECT_TRUE(W.StationName.isEmpty());
  EXPECT_EQ(W.FormatSettings.DecimalSeparator, u'.');
  for (int K = 0; K < WeatherKindCount; ++K) {
    EXPECT_TRUE(W.Has[K]) << K;
    EXPECT_EQ(W.Use[K], K != wkIrrigation) << K;
  }
  QDate Previous;
  for (int I = 0; I < W.Count(); ++I) {
    QDate Date;
    ASSERT_TRUE(W.TryGetDayDate(I, Date)) << W.Strings(I).toStdString();
    ASSERT_TRUE(I == 0 || Previous.daysTo(Date) == 1) << W.Strings(I).toStdString();
    Previous = Date;
    for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
      const QString Text = W.GetDayField(I, FieldNo);
      double Value = 0;
      ASSERT_TRUE(Text.isEmpty() || TryStrToFloat(Text, Value, FileFormatSettings()))
          << W.Strings(I).toStdString() << " field " << FieldNo;
    }
  }
}

// ---------------------------------------------------------------------------
// Field files, in both unit systems and both decimal separators
// ---------------------------------------------------------------------------

struct FieldCase {
  QString Path;
  bool German;
  bool Metric;
  const char* First;
  const char* Last;
  int Day;  // 1-based
  const char* Line;
};

TEST_F(SovImpWeathTest, FieldFileDaysKeepPointNumbersInEveryUserFormat) {
  const QString English = ExampleDir + u"maricopa-cotton-english.sov"_s;
  const QString Metric = ExampleDir + u"maricopa-cotton-metric.sov"_s;
  const QByteArray MetricBytes = ReadAll(Metric);
  // Cut inside day 50's line: the days it holds still come through.
  const QString Cut = Write(u"cut.sov"_s, MetricBytes.left(MetricBytes.indexOf("Day50=") + 9));
  const FieldCase Cases[] = {
      {English, false, false, "20130415", "20140414", 1, "20130415=88.3,59,74,0,7.3,29.1,,"},
      {English, true, false, "20130415", "20140414", 2, "20130416=83.8,54,69,0,8.6,34.6,Pre-plant irrigation,3.94"},
      {Metric, false, true, "20130415", "20140414", 2, "20130416=28.8,12.2,21,0,3.84,34.6,Pre-plant irrigation,100"},
      {Metric, true, true, "20130415", "20140414", 76,
       "20130629=46.1,25.5,36,0,2.34,29.2,First bloom\\, about 50 days after emergence,110"},
      {Metric, true, true, "20130415", "20140414", 300, "20140208=,,,,,,,"},
      {Cut, true, true, "20130415", "20140414", 2, "20130416=28.8,12.2,21,0,3.84,34.6,Pre-plant irrigation,100"},
      {Cut, true, true, "20130415", "20140414", 51, "20130604=,,,,,,,"},
      // Mean of 76 and 52; no mean without a minimum; typed decimals kept, text in a
      // number cell dropped, stage not carried; the last day.
      {EdgeFile, false, false, "20160501", "20170430", 1, "20160501=81.5,60,71,0.25,3,45,,1.5"},
      {EdgeFile, true, false, "20160501", "20170430", 10, "20160510=76,52,64,,,,,"},
      {EdgeFile, true, false, "20160501", "20170430", 11, "20160511=76,,,,,,,"},
      {EdgeFile, true, false, "20160501", "20170430", 12, "20160512=76.50,52.25,64,,,,rain\\, hail,"},
      {EdgeFile, false, false, "20160501", "20170430", 365, "20170430=70,50,60,,,,Last day,"},
  };
  for (const FieldCase& C : Cases) {
    SCOPED_TRACE(C.Path.toStdString() + (C.German ? " German" : " US") + " day " + std::to_string(C.Day));
    TSovImportedWeather W;
    QString Msg;
    ASSERT_TRUE(W.ImportFileOrFieldFile(C.Path, *Lookup, C.German ? GermanFormatSettings() : UsFormatSettings(), Msg))
        << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    ExpectFieldImport(W, C.Metric, C.First, C.Last);
    EXPECT_EQ(W.Strings(C.Day - 1), QLatin1String(C.Line));
    // Escaped notes read back whole.
    EXPECT_FALSE(W.GetDayField(C.Day - 1, dfNotes).contains(u'\\'));
  }
}

// ---------------------------------------------------------------------------
// Which reader a file goes to
// ---------------------------------------------------------------------------

TEST_F(SovImpWeathTest, OnlySovNamesAreReadAsFieldFiles) {
  const QByteArray Field = ReadAll(EdgeFile);
  const QByteArray Csv = ReadAll(QStringLiteral(FURROW_TEST_DATA_DIR "/weather/standard.csv"));
  struct {
    const char* Name;
    QByteArray Bytes;
    bool Ok;
    const char* Expect;  // SourceName, or the end of the message
  } Cases[] = {
      {"Data.SOV", Field, true, "Sorvo Scheduler"},
      {"data.csv", Csv, true, "Standard CSV"},
      {"data.csv.txt", Csv, true, "Standard CSV"},
      {"field.sov.csv", Field, false, "\nUnrecognized file format."},
      {"sov", Field, false, "\nUnrecognized file format."},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QString Path = Write(QLatin1String(C.Name), C.Bytes);
    TSovImportedWeather W;
    QString Msg;
    ASSERT_EQ(W.ImportFileOrFieldFile(Path, *Lookup, GermanFormatSettings(), Msg), C.Ok) << Msg.toStdString();
    if (C.Ok) {
      EXPECT_EQ(W.SourceName, QLatin1String(C.Expect));
    } else {
      EXPECT_EQ(Msg, Path + QLatin1String(C.Expect));
    }
  }
}

// ---------------------------------------------------------------------------
// Bad input: a clear message, no days left behind
// ---------------------------------------------------------------------------

TEST_F(SovImpWeathTest, BadFieldFilesFailWithAMessageAndNoDays) {
  const QByteArray Metric = ReadAll(ExampleDir + u"maricopa-cotton-metric.sov"_s);
  auto Starting = [](const char* Date) {
    return ReadAll(EdgeFile).replace("StartingDate=5/1/2016", QByteArray("StartingDate=") + Date);
  };
  ASSERT_TRUE(QDir(Dir.path()).mkdir(u"folder.sov"_s));

  const QString StartMsg = u"\nFile's starting date is missing or invalid."_s;
  struct {
    const char* Name;
    QByteArray Bytes;  // not written when null
    QString Expect;    // the message after the file name
  } Cases[] = {
      {"missing.sov", QByteArray(), u"\nFile does not exist."_s},
      {"folder.sov", QByteArray(), u"\nCan't read file."_s},
      {"binary.sov", QByteArray("\x00\x01[SovInfo]\xff", 12), u"\nFile is not a field data file."_s},
      {"garbled.sov", QByteArray("]]]=\n=[[\nDay1=1,2,3\n"), u" is wrong version."_s},
      {"oversized.sov", QByteArray(9 * 1024 * 1024, 'x'), u"\nFile is too large."_s},
      {"truncated.sov", Metric.left(Metric.indexOf("StartingDate=") + 15), StartMsg},
      {"nostart.sov", Starting(""), StartMsg},
      {"badstart.sov", Starting("2/30/2016"), StartMsg},
      {"latestart.sov", Starting("12/31/9999"), StartMsg},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QString Path = C.Bytes.isNull() ? Dir.filePath(QLatin1String(C.Name)) : Write(QLatin1String(C.Name), C.Bytes);
    // An earlier import into the same object leaves nothing behind.
    TSovImportedWeather W;
    QString Msg;
    ASSERT_TRUE(W.ImportFileOrFieldFile(EdgeFile, *Lookup, UsFormatSettings(), Msg));
    EXPECT_FALSE(W.ImportFileOrFieldFile(Path, *Lookup, UsFormatSettings(), Msg));
    EXPECT_TRUE(Msg.endsWith(C.Expect)) << Msg.toStdString();
    EXPECT_TRUE(Msg.contains(Path)) << Msg.toStdString();
    EXPECT_EQ(W.Count(), 0);
    EXPECT_TRUE(W.SourceName.isEmpty());
  }
}

}  // namespace
