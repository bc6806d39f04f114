#include "SovImpWeath.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

using namespace Qt::StringLiterals;

namespace {

const QString ExampleDir = QStringLiteral(FURROW_SOURCE_DIR "/data/examples/");
const QString EdgeFile = QStringLiteral(FURROW_TEST_DATA_DIR "/sovimp/edge.sov");

QByteArray ReadAll(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

const TSovLookup& Lookup() {
  static const std::unique_ptr<TSovLookup> L = [] {
    auto New = std::make_unique<TSovLookup>();
    QString Msg;
    EXPECT_TRUE(New->LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg)) << Msg.toStdString();
    return New;
  }();
  return *L;
}

class SovImpWeathTest : public ::testing::Test {
 protected:
  QString Write(const QString& Name, const QByteArray& Bytes) {
    QFile File(Dir.filePath(Name));
    return File.open(QIODevice::WriteOnly) && File.write(Bytes) == Bytes.size() ? File.fileName() : QString();
  }
  QTemporaryDir Dir;
};

// Field files in both unit systems, read under a US and a German number format: 365
// named days from the starting date, "." numbers, escaped notes that read back whole.
TEST_F(SovImpWeathTest, FieldFileDaysKeepPointNumbersInEveryUserFormat) {
  const QString English = ExampleDir + u"maricopa-cotton-english.sov"_s;
  const QString Metric = ExampleDir + u"maricopa-cotton-metric.sov"_s;
  const QByteArray MetricBytes = ReadAll(Metric);
  // Cut inside day 50's line: the days it holds still come through.
  const QString Cut = Write(u"cut.sov"_s, MetricBytes.left(MetricBytes.indexOf("Day50=") + 9));
  const struct {
    QString Path;
    bool German, Metric;
    int Day;  // 1-based
    const char* Line;
  } Cases[] = {
      {English, false, false, 1, "20130415=88.3,59,74,0,7.3,29.1,,"},
      {English, true, false, 2, "20130416=83.8,54,69,0,8.6,34.6,Pre-plant irrigation,3.94"},
      {Metric, false, true, 2, "20130416=28.8,12.2,21,0,3.84,34.6,Pre-plant irrigation,100"},
      {Metric, true, true, 76, "20130629=46.1,25.5,36,0,2.34,29.2,First bloom\\, about 50 days after emergence,110"},
      {Metric, true, true, 365, "20140414=,,,,,,,"},
      {Cut, true, true, 2, "20130416=28.8,12.2,21,0,3.84,34.6,Pre-plant irrigation,100"},
      {Cut, true, true, 51, "20130604=,,,,,,,"},
      // Mean of 76 and 52; no mean without a minimum; typed decimals kept, text in a
      // number cell copied as it stands, stage not carried; the last day.
      {EdgeFile, false, false, 1, "20160501=81.5,60,71,0.25,3,45,,1.5"},
      {EdgeFile, true, false, 10, "20160510=76,52,64,,,,,"},
      {EdgeFile, true, false, 11, "20160511=76,,,,,,,"},
      {EdgeFile, true, false, 12, "20160512=76.50,52.25,64,abc,,,rain\\, hail,"},
      {EdgeFile, false, false, 13, "20160513=70,50,60,,calm,n/a,,"},
      {EdgeFile, false, false, 365, "20170430=70,50,60,,,,Last day,"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Path.toStdString() + (C.German ? " German" : " US") + " day " + std::to_string(C.Day));
    TSovImportedWeather W;
    QString Msg;
    ASSERT_TRUE(W.ImportFileOrFieldFile(C.Path, Lookup(), C.German ? GermanFormatSettings() : UsFormatSettings(), Msg))
        << Msg.toStdString();
    ASSERT_EQ(W.Count(), 365);
    EXPECT_EQ(W.Strings(C.Day - 1), QLatin1String(C.Line));
    EXPECT_FALSE(W.GetDayField(C.Day - 1, dfNotes).contains(u'\\'));
    EXPECT_EQ(W.SourceName, u"Furrow");
    EXPECT_EQ(Msg, QString());
    EXPECT_EQ(W.Metric, C.Metric);
    EXPECT_FALSE(W.UnitsUnstated);
    EXPECT_EQ(W.StationName, QString());
    EXPECT_EQ(W.FormatSettings.DecimalSeparator, u'.');
    for (int K = 0; K < WeatherKindCount; ++K) {
      EXPECT_TRUE(W.Has[K]) << K;
      EXPECT_EQ(W.Use[K], K != wkIrrigation) << K;
    }
    const QDate First = W.GetDayDate(0);
    for (int I = 0; I < W.Count(); ++I) {
      QDate Date;
      ASSERT_TRUE(W.TryGetDayDate(I, Date)) << W.Strings(I).toStdString();
      ASSERT_EQ(Date, First.addDays(I)) << W.Strings(I).toStdString();
      for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
        const QString Text = W.GetDayField(I, FieldNo);
        double Value = 0;
        // The edge file's texts in number cells (days 12 and 13) come through as text.
        if (!Text.isEmpty() && (C.Path != EdgeFile || (I != 11 && I != 12))) {
          ASSERT_TRUE(TryStrToFloat(Text, Value, FileFormatSettings())) << W.Strings(I).toStdString();
        }
      }
    }
  }
}

// Which reader a file goes to, and bad field files: a clear message, and no days or
// facts of an earlier import left behind.
TEST_F(SovImpWeathTest, FileNamesChooseTheReaderAndBadFieldFilesFail) {
  const QByteArray Field = ReadAll(EdgeFile);
  const QByteArray Csv = ReadAll(QStringLiteral(FURROW_TEST_DATA_DIR "/weather/standard.csv"));
  const QByteArray Metric = ReadAll(ExampleDir + u"maricopa-cotton-metric.sov"_s);
  const auto Starting = [&Field](const char* Date) {
    return QByteArray(Field).replace("StartingDate=5/1/2016", QByteArray("StartingDate=") + Date);
  };
  ASSERT_TRUE(QDir(Dir.path()).mkdir(u"folder.sov"_s));
  const char* const BadStart = "\nFile's starting date is missing or invalid.";
  const struct {
    const char* Name;
    QByteArray Bytes;    // not written when null
    const char* Expect;  // SourceName, or the end of the message
  } Cases[] = {
      {"Data.SOV", Field, "Furrow"},
      {"data.csv", Csv, "Standard CSV"},
      {"data.csv.txt", Csv, "Standard CSV"},
      {"field.sov.csv", Field, "\nUnrecognized file format."},
      {"sov", Field, "\nUnrecognized file format."},
      {"missing.sov", QByteArray(), "\nFile does not exist."},
      {"folder.sov", QByteArray(), "\nCan't read file."},
      {"binary.sov", QByteArray("\x00\x01[SovInfo]\xff", 12), " is wrong version."},
      {"garbled.sov", QByteArray("]]]=\n=[[\nDay1=1,2,3\n"), " is wrong version."},
      {"future.sov", QByteArray("[SovInfo]\nFileVersion=3\n"), " is wrong version."},
      {"oversized.sov", QByteArray(9 * 1024 * 1024, 'x'), "\nFile is too large."},
      {"truncated.sov", Metric.left(Metric.indexOf("StartingDate=") + 15), BadStart},
      {"nostart.sov", Starting(""), BadStart},
      {"badstart.sov", Starting("2/30/2016"), BadStart},
      {"latestart.sov", Starting("12/31/9999"), BadStart},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QString Path = C.Bytes.isNull() ? Dir.filePath(QLatin1String(C.Name)) : Write(QLatin1String(C.Name), C.Bytes);
    TSovImportedWeather W;
    QString Msg;
    ASSERT_TRUE(W.ImportFileOrFieldFile(EdgeFile, Lookup(), UsFormatSettings(), Msg));
    const bool Ok = W.ImportFileOrFieldFile(Path, Lookup(), GermanFormatSettings(), Msg);
    EXPECT_EQ(Ok, C.Expect[0] != '\n' && C.Expect[0] != ' ') << Msg.toStdString();
    if (Ok) {
      EXPECT_EQ(W.SourceName, QLatin1String(C.Expect));
    } else {
      EXPECT_TRUE(Msg.endsWith(QLatin1String(C.Expect))) << Msg.toStdString();
      EXPECT_TRUE(Msg.contains(Path)) << Msg.toStdString();
      EXPECT_EQ(W.Count(), 0);
      EXPECT_EQ(W.SourceName, QString());
    }
  }
}

}  // namespace
