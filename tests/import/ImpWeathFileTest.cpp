#include "ImpWeathFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <array>
#include <functional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

QString FixturePath(const QString& Name) {
  return QStringLiteral(FURROW_TEST_DATA_DIR "/weather/") + Name;
}

QByteArray ReadFixture(const QString& Name) {
  QFile File(FixturePath(Name));
  if (!File.open(QIODevice::ReadOnly)) return QByteArray();
  return File.readAll();
}

// A temporary folder for files made by the tests.
class ImpWeathFileTest : public ::testing::Test {
 protected:
  QString Write(const QString& Name, const QByteArray& Bytes) {
    const QString Path = Dir.filePath(Name);
    QFile File(Path);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
    File.write(Bytes);
    return Path;
  }
  QString Write(const QString& Name, const char* Text) { return Write(Name, QByteArray(Text)); }

  QTemporaryDir Dir;
};

// Every day line names a real date and every numeric field is a number or empty.
void ExpectSoundDayLines(const TImportedWeather& W, const QString& Context) {
  for (int I = 0; I < W.Count(); ++I) {
    QDate Date;
    ASSERT_TRUE(W.TryGetDayDate(I, Date)) << Context.toStdString() << ": "
                                          << W.Strings(I).toStdString();
    ASSERT_GE(Date.year(), 1950);
    ASSERT_LE(Date.year(), 2050);
    for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity,
                        dfIrrigation}) {
      const QString Text = W.GetDayField(I, FieldNo);
      double Value = 0;
      ASSERT_TRUE(Text.isEmpty() || TryStrToFloat(Text, Value, W.FormatSettings))
          << Context.toStdString() << ": " << W.Strings(I).toStdString() << " field " << FieldNo;
    }
  }
}

// ---------------------------------------------------------------------------
// The nine layouts
// ---------------------------------------------------------------------------

struct LayoutCase {
  const char* File;
  const char* Source;
  bool Metric;
  bool UnitsUnstated;
  // temperature, precipitation, wind, humidity, notes, irrigation
  std::array<bool, 6> Has;
  std::array<bool, 6> Use;
  int Days;
  const char* First;
  const char* Last;
  const char* Station;
  const char* Latitude;
  const char* Longitude;
  const char* Elevation;
  bool Escaped;
};

const LayoutCase LayoutCases[] = {
    {"wu_airport.csv", "Weather Underground", false, false,
     {true, true, true, true, true, false}, {true, true, true, true, true, false}, 35,
     "20130601=81,61,71,0.75,12,76,Rain-Thunderstorm", "20130705=90,58,74,0,5,80,", "", "", "",
     "", false},
    {"noaa_lcd.csv", "NOAA LCD", false, false, {true, true, true, false, false, false},
     {true, false, true, false, false, false}, 31, "20130701=110,82,96,0.91,7.5",
     "20130731=102,82,92,0.00,10.2", "PHOENIX SKY HARBOR INTERNATIONAL AIRPORT, AZ US",
     "33.4277", "-112.0038", "1107 ft.", false},
    {"caldry.txt", "Caldry Automated Station", false, false,
     {true, true, true, false, false, false}, {true, false, true, false, false, false}, 35,
     "20130601=100.4,64.7,82.6,0.00,7.6", "20130705=95.4,64.8,80.1,0.00,8.6", "47", "", "", "",
     false},
    {"isu_agclimate.txt", "Iowa State Ag Climate", false, false,
     {true, true, true, true, false, false}, {true, true, true, true, false, false}, 31,
     "20130701=86.6,65.1,,0.00,10.4,80.6", "20130731=80.5,59.7,,0.00,7.8,75.9", "Ames", "", "",
     "", false},
    {"nws_coop.csv", "NWS COOP", false, false, {true, true, false, false, false, false},
     {true, true, false, false, false, false}, 31, "20130701=87,58,,0.00",
     "20130731=87,63,,0.00", "AMES 8 WSW", "42.0208", "-93.7741", "", false},
    {"nrcs_scan.csv", "NRCS SCAN", false, false, {true, true, true, true, true, false},
     {true, true, true, true, true, false}, 31, "20130701=84.5,64.6,74.6,0.00,8.6,62,30.3",
     "20130731=89.5,63.2,76.4,0.00,4.6,61,35.1", "", "", "", "", false},
    {"standard.csv", "Standard CSV", false, false, {true, true, true, true, true, true},
     {true, true, true, true, true, true}, 31, "20130701=90.1,66.8,,0.00,11.6,59,,",
     "20130731=89.4,66.6,,0.00,5.8,81,Last day\\, end of record,", "", "", "", "", true},
    {"nexrad.txt", "NEXRAD", false, false, {false, true, false, false, false, false},
     {false, true, false, false, false, false}, 29, "20130601=,,,0.00,", "20130630=,,,0.00,",
     "", "41.5901", "-93.6208", "", false},
    {"enviro_weather.csv", "Enviro-weather", false, false,
     {true, true, false, true, false, false}, {true, true, false, true, false, false}, 31,
     "20130701=77.1,63.6,,0.04,,64.1", "20130731=86.4,55.1,,0.00,,65.7", "", "", "", "", false},
};

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, ReadsFixture) {
  const LayoutCase& C = GetParam();
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(QString::fromLatin1(C.File)), ErrMsg))
      << ErrMsg.toStdString();
  EXPECT_EQ(ErrMsg, QString());
  EXPECT_EQ(W.SourceName, QString::fromLatin1(C.Source));
  EXPECT_EQ(W.Metric, C.Metric);
  EXPECT_EQ(W.UnitsUnstated, C.UnitsUnstated);
  for (int K = 0; K < WeatherKindCount; ++K) {
    EXPECT_EQ(W.Has[K], C.Has[K]) << "Has " << K;
    EXPECT_EQ(W.Use[K], C.Use[K]) << "Use " << K;
  }
  ASSERT_EQ(W.Count(), C.Days);
  EXPECT_EQ(W.Strings(0), QString::fromLatin1(C.First));
  EXPECT_EQ(W.Strings(W.Count() - 1), QString::fromLatin1(C.Last));
  EXPECT_EQ(W.StationName, QString::fromLatin1(C.Station));
  EXPECT_EQ(W.Latitude, QString::fromLatin1(C.Latitude));
  EXPECT_EQ(W.Longitude, QString::fromLatin1(C.Longitude));
  EXPECT_EQ(W.Elevation, QString::fromLatin1(C.Elevation));
  EXPECT_EQ(W.OutParser.Escape, C.Escaped ? QChar(u'\\') : QChar());
  EXPECT_EQ(W.FormatSettings.DecimalSeparator, QChar(u'.'));
  ExpectSoundDayLines(W, QString::fromLatin1(C.File));
  // Days are in file order and one apart in these samples.
  for (int I = 1; I < W.Count(); ++I) {
    EXPECT_LT(W.GetDayDate(I - 1), W.GetDayDate(I)) << W.Strings(I).toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(NineLayouts, LayoutTest, ::testing::ValuesIn(LayoutCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& Info) {
                           std::string Name = Info.param.File;
                           for (char& Ch : Name) {
                             if (!isalnum(static_cast<unsigned char>(Ch))) Ch = '_';
                           }
                           return Name;
                         });

// ---------------------------------------------------------------------------
// Values of the layouts
// ---------------------------------------------------------------------------

TEST(ImpWeathFile, FixtureSpecialValues) {
  QString ErrMsg;
  {
    // Weather Underground: "T" is a trace, a missing mean stays empty.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"wu_airport.csv"_s), ErrMsg));
    EXPECT_EQ(W.Values(u"20130610"_s), u"86,64,,0.00,10,50,");
  }
  {
    // NOAA LCD: flagged values lose their "*", "M" and "0.05s" become empty.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"noaa_lcd.csv"_s), ErrMsg));
    EXPECT_EQ(W.Values(u"20130705"_s).section(u',', 0, 2), u"100,81,90");
    EXPECT_EQ(W.Values(u"20130713"_s).section(u',', 1, 2), u",");
    EXPECT_EQ(W.GetDayField(20, dfPrecip), QString());
    EXPECT_EQ(W.GetDayField(25, dfWind), u"6.8");
  }
  {
    // Caldry: "--" is missing.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"caldry.txt"_s), ErrMsg));
    EXPECT_EQ(W.GetDayField(8, dfWind), QString());
    EXPECT_EQ(W.GetDayField(8, dfPrecip), u"0.00");
  }
  {
    // NRCS SCAN: "-99.9" is missing; a missing sensor leaves the root zone empty; the
    // repeated day and the blank line are skipped.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"nrcs_scan.csv"_s), ErrMsg));
    EXPECT_TRUE(W.Values(u"20130707"_s).startsWith(u",58.3,71.0,"));
    EXPECT_EQ(W.Values(u"20130714"_s).section(u',', 6), QString());
    EXPECT_EQ(W.Values(u"20130719"_s).section(u',', 4, 4), QString());
    EXPECT_EQ(W.IndexOfName(u"20130710"_s), 9);
    EXPECT_EQ(W.IndexOfName(u"20130711"_s), 10);
  }
  {
    // Standard CSV: quoted notes with a comma and a backslash come back unescaped.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"standard.csv"_s), ErrMsg));
    EXPECT_EQ(W.GetDayField(W.Count() - 1, dfNotes), u"Last day, end of record");
    EXPECT_EQ(W.GetDayField(16, dfNotes), u"Wet \\ muddy");
    EXPECT_EQ(W.GetDayField(3, dfIrrigation), u"1.00");
  }
  {
    // NEXRAD: a day marked "M" and the total line are skipped.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"nexrad.txt"_s), ErrMsg));
    EXPECT_EQ(W.IndexOfName(u"20130613"_s), -1);
  }
  {
    // Enviro-weather: a missing humidity leaves the humidity field off.
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportFile(FixturePath(u"enviro_weather.csv"_s), ErrMsg));
    EXPECT_EQ(W.Values(u"20130710"_s).count(u','), 4);
  }
}

TEST(ImpWeathFile, MaricopaYearInStandardCsv) {
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(u"maricopa-2013-standard.csv"_s), ErrMsg))
      << ErrMsg.toStdString();
  EXPECT_EQ(W.SourceName, u"Standard CSV");
  EXPECT_TRUE(W.Metric);
  EXPECT_FALSE(W.UnitsUnstated);
  ASSERT_EQ(W.Count(), 365);
  EXPECT_EQ(W.Strings(0), u"20130101=12.40,-3.10,,0.25,1.12,59.8,Rain");
  EXPECT_EQ(W.Strings(364), u"20131231=19.60,-1.00,,0.00,0.94,58.5,");
  const bool Has[] = {true, true, true, true, true, false};
  for (int K = 0; K < WeatherKindCount; ++K) EXPECT_EQ(W.Has[K], Has[K]) << K;
  ExpectSoundDayLines(W, u"maricopa"_s);
  for (int I = 0; I < W.Count(); ++I) {
    EXPECT_EQ(W.GetDayDate(I), QDate(2013, 1, 1).addDays(I));
  }
}

// ---------------------------------------------------------------------------
// Failure messages
// ---------------------------------------------------------------------------

struct FailureCase {
  const char* File;
  const char* Message;
};

const FailureCase FailureCases[] = {
    {"fail_unrecognized.txt", "Unrecognized file format."},
    {"fail_blank_lines.txt", "Unrecognized file format."},
    {"fail_no_data.csv", "File contains no data."},
    {"fail_csv_no_year.csv", "Data header line is missing month, day, year."},
    {"fail_csv_header.csv", "Data header line is incomplete."},
    {"fail_csv_feb30.csv", "Invalid date encountered: 2,30,2013,45,27,0.00"},
    {"fail_csv_1949.csv", "Invalid date encountered: 12,31,1949,35,20,0.00"},
    {"fail_wu_header.csv", "Data header lines are incomplete."},
    {"fail_wu_april31.csv", "Invalid date encountered: 4-31"},
    {"fail_lcd_location.csv", "Can't find Station Location."},
    {"fail_lcd_header.csv", "Data header line is incomplete."},
    {"fail_coop_no_day.csv", "Data header line is missing day."},
    {"fail_coop_header.csv", "Data header line is incomplete."},
    {"fail_caldry_header.txt", "Data header lines are incomplete."},
    {"fail_isu_header.txt", "Data header line is incomplete."},
    {"does_not_exist.csv", "File does not exist."},
};

TEST(ImpWeathFile, FailureMessagesBeginWithFileName) {
  for (const FailureCase& C : FailureCases) {
    const QString Path = FixturePath(QString::fromLatin1(C.File));
    TImportedWeatherFile W;
    QString ErrMsg;
    EXPECT_FALSE(W.ImportFile(Path, ErrMsg)) << C.File;
    EXPECT_EQ(ErrMsg, Path + u'\n' + QString::fromLatin1(C.Message)) << C.File;
  }
}

TEST_F(ImpWeathFileTest, UnreadableAndOversizedFiles) {
  TImportedWeatherFile W;
  QString ErrMsg;
  EXPECT_FALSE(W.ImportFile(Dir.path(), ErrMsg));
  EXPECT_EQ(ErrMsg, Dir.path() + u"\nCan't open file."_s);
  EXPECT_FALSE(W.ImportFile(QString(), ErrMsg));
  EXPECT_EQ(ErrMsg, u"\nFile does not exist.");

  // A file over the limit is refused before it is read (sparse, so cheap to make).
  const QString Big = Dir.filePath(u"big.csv"_s);
  {
    QFile File(Big);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("Month,Day,Year,Precip\n7,1,2013,0.1\n");
    ASSERT_TRUE(File.resize(TImportedWeatherFile::MaxFileSize + 1));
  }
  W.AddPair(u"20130101"_s, u"1"_s);
  EXPECT_FALSE(W.ImportFile(Big, ErrMsg));
  EXPECT_EQ(ErrMsg, Big + u"\nFile is too large to import (more than 64 MB)."_s);
  EXPECT_EQ(W.Count(), 1);  // nothing was read

  // A device that never ends and a named pipe without a writer (whose opening would
  // wait for ever) are not weather files.
  const QString Fifo = Dir.filePath(u"pipe.csv"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
  for (const QString& Special : {Fifo, u"/dev/zero"_s}) {
    if (!QFileInfo::exists(Special)) continue;
    EXPECT_FALSE(W.ImportFile(Special, ErrMsg));
    EXPECT_EQ(ErrMsg, Special + u"\nCan't open file."_s);
  }
  EXPECT_FALSE(W.ImportData(u"pasted"_s, QByteArray(TImportedWeatherFile::MaxFileSize + 1, 'x'),
                            ErrMsg));
  EXPECT_EQ(ErrMsg, u"pasted\nFile is too large to import (more than 64 MB).");
}

// ---------------------------------------------------------------------------
// Dates: out of range or not in the calendar, by each layout's rule
// ---------------------------------------------------------------------------

enum class DateRule { Fail, Stop, Skip };
enum class DateStyle { Wu, Compact, Us, Iso, Csv };

QString StyleDate(DateStyle Style, int Y, int M, int D) {
  const QString Ys = QString::number(Y);
  const QString Ms = QString::number(M);
  const QString Ds = QString::number(D);
  const QString M2 = Ms.rightJustified(2, u'0');
  const QString D2 = Ds.rightJustified(2, u'0');
  switch (Style) {
    case DateStyle::Wu: return Ys + u'-' + Ms + u'-' + Ds;
    case DateStyle::Compact: return Ys + M2 + D2;
    case DateStyle::Us: return M2 + u'/' + D2 + u'/' + Ys;
    case DateStyle::Iso: return Ys + u'-' + M2 + u'-' + D2;
    case DateStyle::Csv: return Ms + u',' + Ds + u',' + Ys;
  }
  return QString();
}

struct DateCase {
  const char* Name;
  const char* Template;  // {1}, {2}, {3}: three day dates
  DateStyle Style;
  DateRule Rule;
  // The failing text for a bad second date ({2}); for Weather Underground the date
  // after its first five characters, for the standard layout the whole line.
  std::function<QString(const QString&)> FailText;
};

QString Same(const QString& Date) { return Date; }

const DateCase DateCases[] = {
    {"wu",
     "Date,TemperatureHighF,TemperatureAvgF,TemperatureLowF,HumidityAvg,WindSpeedAvgMPH,"
     "PrecipitationSumIn\n{1},50,40,30,60,5,0.00\n{2},51,41,31,61,6,0.01\n{3},52,42,32,62,7,T\n",
     DateStyle::Wu, DateRule::Fail, [](const QString& D) { return D.mid(5); }},
    {"lcd",
     "Daily Summary\n\nStation: TEST\nStation Location: TEST SITE, IA US\nLat: 42.0\n"
     "Lon: -93.6\nElev: 900 ft.\nWBAN,YearMonthDay,Tmax,Tmin,Tavg,PrecipTotal,AvgSpeed\n"
     "1,{1},50,30,40,0.00,5.0\n1,{2},51,31,41,T,5.1\n1,{3},52,32,42,0.10,5.2\n",
     DateStyle::Compact, DateRule::Stop, Same},
    {"caldry",
     "* Instruction: test\n* Station ID: 9 x\nDate\tCACId\tMaximum Air Temperature (degF)\t"
     "Minimum Air Temperature (degF)\tAir Temperature (degF)\tPrecipitation (inch)\t"
     "Wind Speed (mph)\n{1}\t9\t50\t30\t40\t0.00\t5\n{2}\t9\t51\t31\t41\t0.00\t5\n"
     "{3}\t9\t52\t32\t42\t0.00\t5\n",
     DateStyle::Us, DateRule::Fail, Same},
    {"isu", "# ISU test\nvalid,High Air Temp,Low Air Temp\n{1},50,30\n{2},51,31\n{3},52,32\n",
     DateStyle::Iso, DateRule::Fail, Same},
    {"coop", "station,day,high,low,precip\nX,{1},50,30,0.00\nX,{2},51,31,0.00\nX,{3},52,32,0\n",
     DateStyle::Iso, DateRule::Fail, Same},
    {"nrcs",
     "NRCS National Water and Climate Center test\nDate,TMAX.D-1 (degF),TMIN.D-1 (degF),"
     "TAVG.D-1 (degF),PRCP.D-1 (in),SMS.I-1:-2 (pct)  (loam),SMS.I-1:-4 (pct)  (loam),"
     "SMS.I-1:-8 (pct)  (loam),SMS.I-1:-20 (pct)  (loam),SMS.I-1:-40 (pct)  (loam)\n"
     "{1},50,30,40,0.00,20,21,22,23,24\n{2},51,31,41,0.00,20,21,22,23,24\n"
     "{3},52,32,42,0.00,20,21,22,23,24\n",
     DateStyle::Iso, DateRule::Stop, Same},
    {"csv", "Month,Day,Year,Max Temp,Min Temp\n{1},50,30\n{2},51,31\n{3},52,32\n",
     DateStyle::Csv, DateRule::Fail, [](const QString& D) { return D + u",51,31"_s; }},
    {"nexrad",
     "Rainfall estimate\nSummary of Rainfall from NEXRAD\n{1}  0.10\n{2}  0.20\n{3}  0.30\n",
     DateStyle::Us, DateRule::Skip, Same},
    {"enviro",
     "Enviro test\ndaily summary\ndate,atmp_max,atmp_min,pcpn\n{1},50,30,0.1\n{2},51,31,0.2\n"
     "{3},52,32,0.3\n",
     DateStyle::Us, DateRule::Skip, Same},
};

TEST_F(ImpWeathFileTest, BadDatesFollowEachLayoutsRule) {
  struct BadDate {
    int Y, M, D;
  };
  // Out of the accepted years, and dates that the calendar does not have.
  const BadDate BadDates[] = {{1949, 12, 31}, {2051, 1, 1}, {2013, 2, 30}, {2013, 4, 31},
                              {2013, 2, 29}, {2013, 6, 31}, {2013, 13, 1}, {2013, 1, 0}};
  for (const DateCase& C : DateCases) {
    for (const BadDate& Bad : BadDates) {
      const QString BadText = StyleDate(C.Style, Bad.Y, Bad.M, Bad.D);
      QString Text = QString::fromLatin1(C.Template);
      Text.replace(u"{1}"_s, StyleDate(C.Style, 2012, 2, 29));
      Text.replace(u"{2}"_s, BadText);
      Text.replace(u"{3}"_s, StyleDate(C.Style, 2013, 3, 1));
      const QString Path = Write(QString::fromLatin1(C.Name) + u".txt"_s, Text.toUtf8());
      const std::string Context = std::string(C.Name) + " " + BadText.toStdString();

      TImportedWeatherFile W;
      QString ErrMsg;
      const bool Ok = W.ImportFile(Path, ErrMsg);
      switch (C.Rule) {
        case DateRule::Fail:
          EXPECT_FALSE(Ok) << Context;
          EXPECT_EQ(ErrMsg, Path + u"\nInvalid date encountered: "_s + C.FailText(BadText))
              << Context;
          break;
        case DateRule::Stop:
          ASSERT_TRUE(Ok) << Context << ": " << ErrMsg.toStdString();
          ASSERT_EQ(W.Count(), 1) << Context;
          EXPECT_EQ(W.Names(0), u"20120229") << Context;
          break;
        case DateRule::Skip:
          ASSERT_TRUE(Ok) << Context << ": " << ErrMsg.toStdString();
          ASSERT_EQ(W.Count(), 2) << Context;
          EXPECT_EQ(W.Names(0), u"20120229") << Context;
          EXPECT_EQ(W.Names(1), u"20130301") << Context;
          break;
      }
      ExpectSoundDayLines(W, QString::fromStdString(Context));
    }
  }
}

// ---------------------------------------------------------------------------
// Layout details
// ---------------------------------------------------------------------------

struct ImportResult {
  bool Ok = false;
  QString ErrMsg;
};

class LayoutDetailTest : public ImpWeathFileTest {
 protected:
  ImportResult Import(const char* Text) {
    const QString Path = Write(u"sample.txt"_s, Text);
    ImportResult Result;
    Result.Ok = W.ImportFile(Path, Result.ErrMsg);
    return Result;
  }
  TImportedWeatherFile W;
};

TEST_F(LayoutDetailTest, WeatherUndergroundVariants) {
  // Personal station page, trace in lower case, no events column.
  ASSERT_TRUE(Import("Date,TemperatureHighF,TemperatureAvgF,TemperatureLowF,HumidityAvg,"
                     "WindSpeedAvgMPH,PrecipitationSumIn\n2013-07-01,80,70,60,55,4.5,t\n")
                  .Ok);
  EXPECT_EQ(W.Strings(0), u"20130701=80,60,70,0,4.5,55");
  EXPECT_FALSE(W.Has[wkNotes]);

  // A header wrapped over two lines is joined.
  ASSERT_TRUE(Import("EDT,Max TemperatureF,Mean TemperatureF,Min TemperatureF,\n"
                     " Mean Humidity, Mean Wind SpeedMPH,PrecipitationIn,Events\n"
                     "2013-7-2,81,71,61,56,5,0.20,Rain\n2013-7-3,82,72,62,57,6,0.00,\n\n"
                     "2013-7-9,1,1,1,1,1,1,after the blank line\n")
                  .Ok);
  ASSERT_EQ(W.Count(), 2);
  EXPECT_EQ(W.Strings(0), u"20130702=81,61,71,0.20,5,56,Rain");

  // A header with no day lines.
  const ImportResult R = Import("CST,Max TemperatureF,Mean TemperatureF,Min TemperatureF,"
                                "Mean Humidity,Mean Wind SpeedMPH,PrecipitationIn\n");
  EXPECT_FALSE(R.Ok);
  EXPECT_TRUE(R.ErrMsg.endsWith(u"\nFile contains no data."));
}

TEST_F(LayoutDetailTest, NoaaLcdWithoutBlankLine) {
  ASSERT_TRUE(Import("Daily Summary\nStation: X\nStation Location: AMES, IA US\nLat: 42\n"
                     "Lon: -93\nElev: 955\nYearMonthDay,Tmax,Tmin,Tavg,PrecipTotal,AvgSpeed\n"
                     "20130701,55*,40,47*,T,6.1*\n")
                  .Ok);
  EXPECT_EQ(W.Strings(0), u"20130701=55,40,47,0,6.1");
  EXPECT_EQ(W.StationName, u"AMES, IA US");
  EXPECT_EQ(W.Elevation, u"955");
}

TEST_F(LayoutDetailTest, CaldryMetric) {
  ASSERT_TRUE(Import("* Instruction: metric\n* Station ID: 147 Name\n"
                     "Date\tCACId\tMaximum Air Temperature (degC)\tMinimum Air Temperature "
                     "(degC)\tAir Temperature (degC)\tPrecipitation (mm)\tWind Speed (mps)\n"
                     "07/01/2013\t147\t31.2\t15.0\t23.1\t0.0\t2.1\n")
                  .Ok);
  EXPECT_TRUE(W.Metric);
  EXPECT_EQ(W.StationName, u"147");
  EXPECT_EQ(W.Strings(0), u"20130701=31.2,15.0,23.1,0.0,2.1");
}

TEST_F(LayoutDetailTest, IowaStateAndCoopSkipBlankLinesAndTakeMetricColumns) {
  ASSERT_TRUE(Import("# ISU\nSite Name,valid,Daily Precip\nAmes,2013-07-01,0.5\n\n"
                     "Boone,2013-07-02,x\n\n")
                  .Ok);
  EXPECT_EQ(W.Count(), 2);
  EXPECT_EQ(W.Strings(1), u"20130702=,,,,,");
  EXPECT_EQ(W.StationName, u"Boone");
  EXPECT_FALSE(W.Has[wkTemperature]);
  EXPECT_TRUE(W.Has[wkPrecipitation]);

  ASSERT_TRUE(Import("station\tday\thighc\tlowc\tprecipmm\nX\t2013-07-01\t30\t15\t2.5\n\n").Ok);
  EXPECT_TRUE(W.Metric);
  EXPECT_EQ(W.Strings(0), u"20130701=30,15,,2.5");
  EXPECT_TRUE(W.StationName.isEmpty());

  // Only one of high and low: the metric names are tried and fail.
  EXPECT_TRUE(Import("station,day,high,precip\nX,2013-07-01,30,1\n")
                  .ErrMsg.endsWith(u"\nData header line is incomplete."));
}

TEST_F(LayoutDetailTest, StandardCsvUnits) {
  // Names without units leave the units to the field and Metric as it was.
  for (const bool Before : {false, true}) {
    W.Metric = Before;
    ASSERT_TRUE(Import("Month,Day,Year,Max Temp,Precip\n7,1,2013,30,2\n").Ok);
    EXPECT_TRUE(W.UnitsUnstated);
    EXPECT_EQ(W.Metric, Before);
    EXPECT_EQ(W.Strings(0), u"20130701=30,,,2,,,");
  }
  ASSERT_TRUE(Import("\"Month\",\"Day\",\"Year\",\"Max Temp (degC)\",\"Humidity\",\"Notes\"\n"
                     "\"7\",\"2\",\"2013\",\"31.5\",\"60\",\"a \\\"b\\\"\"\n")
                  .Ok);
  EXPECT_TRUE(W.Metric);
  EXPECT_FALSE(W.UnitsUnstated);
  EXPECT_EQ(W.Strings(0), u"20130702=31.5,,,,,60,a \\\\\"b\\\\\"");
  EXPECT_EQ(W.GetDayField(0, dfNotes), u"a \\\"b\\\"");

  ASSERT_TRUE(Import("Month,Day,Year,Notes\n7,3,2013,x=y\n").Ok);
  EXPECT_EQ(W.Strings(0), u"20130703=,,,,,,x=y");
  EXPECT_TRUE(W.Has[wkNotes]);
  EXPECT_FALSE(W.Has[wkTemperature]);
}

TEST_F(LayoutDetailTest, NexradAndEnviroWeatherDetails) {
  // Coordinates may come first, even on the very first line.
  ASSERT_TRUE(Import("Latitude: 41.5\nLONGITUDE: -93.6\nsummary of rainfall from nexrad\n"
                     "07/01/2013 0.25\n07/02/2013\n").Ok);
  EXPECT_EQ(W.Latitude, u"41.5");
  EXPECT_EQ(W.Longitude, u"-93.6");
  EXPECT_EQ(W.Count(), 1);

  ASSERT_TRUE(Import("daily summary\ndate,atmp_max,relh_max,relh_min\n"
                     ",Air Temperature (degrees C),Relative Humidity (%)\n"
                     "07/01/2013,25.0,91,40\n07/02/2013,26.0,M,40\n").Ok);
  EXPECT_TRUE(W.Metric);
  EXPECT_EQ(W.Strings(0), u"20130701=25.0,,,,,65.5");
  EXPECT_EQ(W.Strings(1), u"20130702=26.0,,,,");
  EXPECT_TRUE(W.Has[wkHumidity]);

  EXPECT_TRUE(Import("daily summary\ndate,relh_max\n07/01/2013,1\n")
                  .ErrMsg.endsWith(u"\nData header line is incomplete."));
}

TEST_F(LayoutDetailTest, NrcsScanNeedsMoistureColumns) {
  EXPECT_TRUE(Import("NRCS National Water and Climate Center\n"
                     "Date,TMAX.D-1 (degF),TMIN.D-1 (degF),TAVG.D-1 (degF),PRCP.D-1 (in)\n"
                     "2013-07-01,80,60,70,0\n")
                  .ErrMsg.endsWith(u"\nData header line is incomplete."));
  // Huge moisture values do not overflow into the notes.
  ASSERT_TRUE(Import("NRCS National Water and Climate Center\n"
                     "Date,TMAX.D-1 (degF),TMIN.D-1 (degF),TAVG.D-1 (degF),PRCP.D-1 (in),"
                     "SMS.I-1:-2 (pct)  (loam),SMS.I-1:-4 (pct)  (loam),SMS.I-1:-8 (pct)  (loam),"
                     "SMS.I-1:-20 (pct)  (silt),SMS.I-1:-40 (pct)  (silt)\n"
                     "2013-07-01,80,60,70,0,1e308,1e308,1e308,1e308,1e308\n"
                     "2013-07-02,80,60,70,0,0,0,10,10,10\n")
                  .Ok);
  EXPECT_EQ(W.GetDayField(0, dfNotes), QString());
  EXPECT_EQ(W.GetDayField(1, dfNotes), u"8.5");
}

TEST_F(LayoutDetailTest, ReimportClearsEarlierResult) {
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(u"standard.csv"_s), ErrMsg));
  ASSERT_TRUE(Import("Summary of Rainfall from NEXRAD\n07/01/2013 0.25\n").Ok);
  EXPECT_EQ(W.Count(), 1);
  EXPECT_EQ(W.SourceName, u"NEXRAD");
  EXPECT_FALSE(W.Has[wkNotes]);
  EXPECT_FALSE(W.Has[wkIrrigation]);
  EXPECT_TRUE(W.OutParser.Escape.isNull());
  EXPECT_EQ(W.InParser.Quote, QChar());
}

// ---------------------------------------------------------------------------
// Line ends, byte-order marks, code pages and number formats
// ---------------------------------------------------------------------------

TEST_F(ImpWeathFileTest, LineEndsAndByteOrderMarkDoNotMatter) {
  for (const char* Name : {"standard.csv", "wu_airport.csv", "nrcs_scan.csv", "nexrad.txt"}) {
    QByteArray Lf = ReadFixture(QString::fromLatin1(Name));
    Lf.replace("\r\n", "\n");
    QByteArray Cr = Lf;
    Cr.replace('\n', '\r');
    QByteArray CrLf = Lf;
    CrLf.replace("\n", "\r\n");
    QByteArray NoFinalEnd = Lf;
    NoFinalEnd.chop(1);

    TImportedWeatherFile Reference;
    QString ErrMsg;
    ASSERT_TRUE(Reference.ImportData(u"ref"_s, Lf, ErrMsg)) << Name;
    for (const QByteArray& Bytes : {Cr, CrLf, NoFinalEnd, "\xEF\xBB\xBF" + Lf,
                                    "\xEF\xBB\xBF" + CrLf}) {
      TImportedWeatherFile W;
      ASSERT_TRUE(W.ImportFile(Write(u"le.txt"_s, Bytes), ErrMsg)) << Name << ErrMsg.toStdString();
      EXPECT_EQ(W.Lines(), Reference.Lines()) << Name;
      EXPECT_EQ(W.SourceName, Reference.SourceName);
    }
  }
}

TEST_F(ImpWeathFileTest, ByteOrderMarkWithWindowsCodePageText) {
  // Not valid UTF-8 (a Windows-1252 degree sign), yet with a byte-order mark.
  const QByteArray Bytes =
      "\xEF\xBB\xBFMonth,Day,Year,Max Temp (degF),Notes\r\n7,1,2013,88,Hot 95\xB0 at noon\r\n";
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(Write(u"cp.csv"_s, Bytes), ErrMsg)) << ErrMsg.toStdString();
  EXPECT_EQ(W.GetDayField(0, dfNotes), u"Hot 95\u00B0 at noon");
}

TEST_F(ImpWeathFileTest, NumbersStayWithPointWhateverTheLocale) {
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TImportedWeatherFile W;
  W.FormatSettings = GermanFormatSettings();
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(u"standard.csv"_s), ErrMsg));
  EXPECT_EQ(W.FormatSettings.DecimalSeparator, QChar(u'.'));
  EXPECT_TRUE(W.FormatSettings.ThousandSeparator.isNull());
  EXPECT_EQ(W.Strings(0), u"20130701=90.1,66.8,,0.00,11.6,59,,");

  // Comma decimals, group separators and other loose forms are not numbers in a file.
  ASSERT_TRUE(W.ImportFile(Write(u"de.csv"_s,
                                 "Month,Day,Year,Max Temp (degC),Min Temp (degC),Precip (mm),"
                                 "Wind Speed (mps),Humidity (%)\n"
                                 "7,1,2013,\"31,5\",1.000.0,0x10,2 5,nan\n"
                                 "7,2,2013,inf,1e5,+3.5,.5,12abc\n"),
                           ErrMsg));
  EXPECT_EQ(W.Strings(0), u"20130701=,,,,,,");
  EXPECT_EQ(W.Strings(1), u"20130702=,1e5,,+3.5,.5,,");
  QLocale::setDefault(Saved);
}

// ---------------------------------------------------------------------------
// Truncated, garbled and huge input
// ---------------------------------------------------------------------------

void ExpectCleanOutcome(TImportedWeatherFile& W, const QString& Path, const std::string& Context) {
  QString ErrMsg;
  const bool Ok = W.ImportFile(Path, ErrMsg);
  if (Ok) {
    ASSERT_TRUE(ErrMsg.isEmpty()) << Context;
    ASSERT_GT(W.Count(), 0) << Context;
    ASSERT_FALSE(W.SourceName.isEmpty()) << Context;
    ExpectSoundDayLines(W, QString::fromStdString(Context));
  } else {
    ASSERT_TRUE(ErrMsg.startsWith(Path + u'\n')) << Context << ": " << ErrMsg.toStdString();
    ASSERT_GT(ErrMsg.size(), Path.size() + 1) << Context;
  }
}

const char* const AllFixtures[] = {"wu_airport.csv",    "noaa_lcd.csv",    "caldry.txt",
                                   "isu_agclimate.txt", "nws_coop.csv",    "nrcs_scan.csv",
                                   "standard.csv",      "nexrad.txt",      "enviro_weather.csv"};

TEST_F(ImpWeathFileTest, TruncatedFixtures) {
  for (const char* Name : AllFixtures) {
    const QByteArray Bytes = ReadFixture(QString::fromLatin1(Name));
    ASSERT_FALSE(Bytes.isEmpty()) << Name;
    const qsizetype Step = std::max<qsizetype>(1, Bytes.size() / 60);
    for (qsizetype Cut = 0; Cut < Bytes.size(); Cut += (Cut < 400 ? 7 : Step)) {
      TImportedWeatherFile W;
      const QString Path = Write(u"cut.txt"_s, Bytes.left(Cut));
      ExpectCleanOutcome(W, Path, std::string(Name) + " cut at " + std::to_string(Cut));
    }
  }
}

TEST_F(ImpWeathFileTest, GarbledFixtures) {
  QRandomGenerator Random(20130701);
  const char Noise[] = {',', '\t', '"', '\\', '-', '/', '*', '\r', '\n', '\0', 'T', '9',
                        ' ', '\xFF', '\xC3', '='};
  for (const char* Name : AllFixtures) {
    const QByteArray Original = ReadFixture(QString::fromLatin1(Name));
    for (int Round = 0; Round < 60; ++Round) {
      QByteArray Bytes = Original;
      ASSERT_FALSE(Bytes.isEmpty()) << Name;
      const int Changes = 1 + static_cast<int>(Random.bounded(8));
      for (int K = 0; K < Changes && !Bytes.isEmpty(); ++K) {
        const qsizetype Pos = Random.bounded(static_cast<int>(Bytes.size()));
        const char Ch = Noise[Random.bounded(static_cast<int>(sizeof Noise))];
        switch (Random.bounded(3)) {
          case 0: Bytes[Pos] = Ch; break;
          case 1: Bytes.insert(Pos, Ch); break;
          default: Bytes.remove(Pos, Random.bounded(40)); break;
        }
      }
      TImportedWeatherFile W;
      ExpectCleanOutcome(W, Write(u"garbled.txt"_s, Bytes),
                         std::string(Name) + " round " + std::to_string(Round));
    }
  }
}

TEST_F(ImpWeathFileTest, VeryLongLinesAndManyFieldsStayFast) {
  // One header of 400,000 fields and one data line of 4 MB: read in one pass each.
  QByteArray Header = "Month,Day,Year";
  for (int I = 0; I < 400000; ++I) Header += ",x";
  Header += ",Max Temp\n7,1,2013";
  Header += QByteArray(4 * 1024 * 1024, ',');
  Header += "\n";
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(Write(u"wide.csv"_s, Header), ErrMsg)) << ErrMsg.toStdString();
  EXPECT_EQ(W.Strings(0), u"20130701=,,,,,,");

  // Binary noise of a few megabytes.
  QByteArray Noise(3 * 1024 * 1024, '\0');
  QRandomGenerator Random(7);
  for (char& Ch : Noise) Ch = static_cast<char>(Random.bounded(256));
  ExpectCleanOutcome(W, Write(u"noise.bin"_s, Noise), "noise");
}

}  // namespace
