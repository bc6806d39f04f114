#include "ImpWeathFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

QString FixturePath(const char* Name) { return QStringLiteral(FURROW_TEST_DATA_DIR "/weather/") + QLatin1String(Name); }

QByteArray ReadFixture(const char* Name) {
  QFile File(FixturePath(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// The Has (or Use) flags as "1" and "0" in weather-kind order.
QString Flags(const bool (&Kinds)[WeatherKindCount]) {
  QString Text;
  for (const bool K : Kinds) Text += K ? u'1' : u'0';
  return Text;
}

// Station name, latitude, longitude and elevation as "name|lat|lon|elev".
QString Facts(const TImportedWeather& W) {
  return QStringList{W.StationName, W.Latitude, W.Longitude, W.Elevation}.join(u'|');
}

// A temporary folder for files made by the tests.
class ImpWeathFileTest : public ::testing::Test {
 protected:
  QString Write(const QString& Name, const QByteArray& Bytes) {
    QFile File(Dir.filePath(Name));
    return File.open(QIODevice::WriteOnly) && File.write(Bytes) == Bytes.size() ? File.fileName() : QString();
  }

  QTemporaryDir Dir;
};

// Every day line names a real date and every numeric field is a number or empty.
void ExpectSoundDayLines(const TImportedWeather& W, const std::string& Context) {
  for (int I = 0; I < W.Count(); ++I) {
    QDate Date;
    ASSERT_TRUE(W.TryGetDayDate(I, Date)) << Context << ": " << W.Strings(I).toStdString();
    ASSERT_GE(Date.year(), 1950) << Context;
    ASSERT_LE(Date.year(), 2050) << Context;
    for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
      const QString Text = W.GetDayField(I, FieldNo);
      double Value = 0;
      if (!Text.isEmpty()) {
        ASSERT_TRUE(TryStrToFloat(Text, Value, W.FormatSettings))
            << Context << ": " << W.Strings(I).toStdString() << " field " << FieldNo;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The nine layouts, a year of the standard layout in metric units, and details
// ---------------------------------------------------------------------------

// What a layout does with a day whose date is out of range or not in the calendar.
enum class DateRule { Fail, Stop, Skip };

struct LayoutCase {
  const char* File;
  const char* Source;
  int Metric;       // 0, 1, or -1: units left to the field, Metric as it was
  const char* Has;  // temperature, precipitation, wind, humidity, notes, irrigation
  const char* Use;
  int Days;
  const char* First;
  const char* Last;
  const char* Facts = "|||";  // station|latitude|longitude|elevation
  const char* Probes = "";    // "|"-separated day lines that must be there; a bare date must not
  const char* Dates = "";     // how the days' dates are written (see DateText); empty: no date test
  DateRule Rule = DateRule::Fail;
  const char* FailText = "";  // how a failing date is quoted; empty: as written, "*": the whole line
};

const LayoutCase LayoutCases[] = {
    // "T" is a trace; a missing mean stays empty.
    {"wu_airport.csv", "Weather Underground", 0, "111110", "111110", 35,
     "20130601=81,61,71,0.75,12,76,Rain-Thunderstorm", "20130705=90,58,74,0,5,80,", "|||",
     "20130610=86,64,,0.00,10,50,", "Y-M-D", DateRule::Fail, "M-D"},
    // Flagged values lose their "*"; "M" and "0.05s" become empty.
    {"noaa_lcd.csv", "NOAA LCD", 0, "111000", "101000", 31, "20130701=110,82,96,0.91,7.5",
     "20130731=102,82,92,0.00,10.2", "PHOENIX SKY HARBOR INTERNATIONAL AIRPORT, AZ US|33.4277|-112.0038|1107 ft.",
     "20130705=100,81,90,0.98,4.5|20130713=103,,,0.19,13.1|20130721=105,89,97,,8.3|20130726=112,81,96,0.00,6.8",
     "YMMDD", DateRule::Stop},
    // "--" is missing.
    {"caldry.txt", "Caldry Automated Station", 0, "111000", "101000", 35, "20130601=100.4,64.7,82.6,0.00,7.6",
     "20130705=95.4,64.8,80.1,0.00,8.6", "47|||", "20130609=96.5,59.9,78.2,0.00,", "MM/DD/Y", DateRule::Fail},
    {"isu_agclimate.txt", "Iowa State Ag Climate", 0, "111100", "111100", 31, "20130701=86.6,65.1,,0.00,10.4,80.6",
     "20130731=80.5,59.7,,0.00,7.8,75.9", "Ames|||", "", "Y-MM-DD", DateRule::Fail},
    {"nws_coop.csv", "NWS COOP", 0, "110000", "110000", 31, "20130701=87,58,,0.00", "20130731=87,63,,0.00",
     "AMES 8 WSW|42.0208|-93.7741|", "", "Y-MM-DD", DateRule::Fail},
    // "-99.9" is missing; a missing sensor leaves the root zone empty; a repeated day and
    // a blank line are skipped.
    {"nrcs_scan.csv", "NRCS SCAN", 0, "111110", "111110", 31, "20130701=84.5,64.6,74.6,0.00,8.6,62,30.3",
     "20130731=89.5,63.2,76.4,0.00,4.6,61,35.1", "|||",
     "20130707=,58.3,71.0,0.00,12.2,77,30.5|20130714=78.2,64.1,71.1,0.54,9.6,59,|20130719=82.8,65.4,74.1,0.00,,64,36.8",
     "Y-MM-DD", DateRule::Stop},
    // Quoted notes with a comma and a backslash are stored escaped.
    {"standard.csv", "Standard CSV", 0, "111111", "111111", 31, "20130701=90.1,66.8,,0.00,11.6,59,,",
     "20130731=89.4,66.6,,0.00,5.8,81,Last day\\, end of record,", "|||",
     "20130717=87.6,61.4,,0.28,6.0,67,Wet \\\\ muddy,|20130704=86.0,62.0,,0.00,8.1,61,,1.00", "M,D,Y", DateRule::Fail,
     "*"},
    // A day marked "M" and the total line are skipped.
    {"nexrad.txt", "NEXRAD", 0, "010000", "010000", 29, "20130601=,,,0.00,", "20130630=,,,0.00,", "|41.5901|-93.6208|",
     "20130613", "MM/DD/Y", DateRule::Skip},
    // A missing humidity leaves the humidity field off.
    {"enviro_weather.csv", "Enviro-weather", 0, "110100", "110100", 31, "20130701=77.1,63.6,,0.04,,64.1",
     "20130731=86.4,55.1,,0.00,,65.7", "|||", "20130710=80.5,57.4,,0.00,", "MM/DD/Y", DateRule::Skip},
    {"maricopa-2013-standard.csv", "Standard CSV", 1, "111110", "111110", 365,
     "20130101=12.40,-3.10,,0.25,1.12,59.8,Rain", "20131231=19.60,-1.00,,0.00,0.94,58.5,", "|||", "", "M,D,Y",
     DateRule::Fail, "*"},
    // Samples of details: the standard layout with quoted fields, escaped quotes, units in
    // the names, names without units, notes only, loose number forms that are not
    // numbers, and a byte-order mark before Windows code-page text.
    {"detail_std_quoted.csv", "Standard CSV", 1, "100111", "100111", 1, "20130702=31.5,,,,,60,a \\\\\"b\\\\\",5",
     "20130702=31.5,,,,,60,a \\\\\"b\\\\\",5"},
    {"detail_std_no_units.csv", "Standard CSV", -1, "110000", "110000", 1, "20130701=30,,,2,,,", "20130701=30,,,2,,,"},
    {"detail_std_notes_only.csv", "Standard CSV", 1, "000010", "000010", 1, "20130703=,,,,,,x=y", "20130703=,,,,,,x=y"},
    {"detail_std_loose_numbers.csv", "Standard CSV", 1, "111100", "111100", 2, "20130701=,,,,,,",
     "20130702=,1e5,,+3.5,.5,,", "|||", "", "M,D,Y", DateRule::Fail, "*"},
    {"detail_std_bom_cp1252.csv", "Standard CSV", 0, "100010", "100010", 1, "20130701=88,,,,,,Hot 95\xB0 at noon",
     "20130701=88,,,,,,Hot 95\xB0 at noon"},
    // Coordinates may come first, even on the very first line.
    {"detail_nexrad_coords_first.txt", "NEXRAD", 0, "010000", "010000", 1, "20130701=,,,0.25,", "20130701=,,,0.25,",
     "|41.5|-93.6|"},
    // A personal station, a trace in lower case, no events; a header wrapped over two
    // lines is joined and a blank line between days is skipped.
    {"detail_wu_personal.csv", "Weather Underground", 0, "111100", "111100", 1, "20130701=80,60,70,0,4.5,55",
     "20130701=80,60,70,0,4.5,55"},
    {"detail_wu_wrapped_header.csv", "Weather Underground", 0, "111110", "111110", 3,
     "20130702=81,61,71,0.20,5,56,Rain", "20130704=1,1,1,1,1,1,after", "|||", "", "Y-M-D", DateRule::Fail, "M-D"},
    // No blank line after the title.
    {"detail_lcd_no_blank_line.csv", "NOAA LCD", 0, "111000", "101000", 1, "20130701=55,40,47,0,6.1",
     "20130701=55,40,47,0,6.1", "AMES, IA US|42|-93|955"},
    {"detail_caldry_metric.txt", "Caldry Automated Station", 1, "111000", "101000", 1,
     "20130701=31.2,15.0,23.1,0.0,2.1", "20130701=31.2,15.0,23.1,0.0,2.1", "147|||"},
    // Blank lines skipped, the station of the last line.
    {"detail_isu_blank_lines.txt", "Iowa State Ag Climate", 0, "010000", "010000", 2, "20130701=,,,0.5,,",
     "20130702=,,,,,", "Boone|||", "", "Y-MM-DD", DateRule::Fail},
    {"detail_coop_metric.txt", "NWS COOP", 1, "110000", "110000", 1, "20130701=30,15,,2.5", "20130701=30,15,,2.5"},
    {"detail_enviro_metric.csv", "Enviro-weather", 1, "100100", "100100", 2, "20130701=25.0,,,,,65.5",
     "20130702=26.0,,,,", "|||", "", "MM/DD/Y", DateRule::Skip},
    // Huge moisture values do not overflow.
    {"detail_nrcs_huge_moisture.csv", "NRCS SCAN", 0, "110010", "110010", 2, "20130701=80,60,70,0,,,",
     "20130702=80,60,70,0,,,8.5", "|||", "", "Y-MM-DD", DateRule::Stop},
};

void PrintTo(const LayoutCase& C, std::ostream* Out) { *Out << C.File; }

class LayoutTest : public ImpWeathFileTest, public ::testing::WithParamInterface<LayoutCase> {};

// Each sample read into an object that held other files before, with either units
// setting, under a German locale and format: numbers and dates stay as the file has them.
TEST_P(LayoutTest, ReadsFixture) {
  const LayoutCase& C = GetParam();
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  for (const bool MetricBefore : {false, true}) {
    TImportedWeatherFile W;
    W.FormatSettings = GermanFormatSettings();
    QString ErrMsg;
    ASSERT_TRUE(W.ImportFile(FixturePath("noaa_lcd.csv"), ErrMsg)) << ErrMsg.toStdString();
    ASSERT_TRUE(W.ImportFile(FixturePath("standard.csv"), ErrMsg)) << ErrMsg.toStdString();
    W.Metric = MetricBefore;
    ASSERT_TRUE(W.ImportFile(FixturePath(C.File), ErrMsg)) << ErrMsg.toStdString();
    EXPECT_EQ(ErrMsg, QString());
    EXPECT_EQ(W.SourceName, QLatin1String(C.Source));
    EXPECT_EQ(W.Metric, C.Metric < 0 ? MetricBefore : C.Metric == 1);
    EXPECT_EQ(W.UnitsUnstated, C.Metric < 0);
    EXPECT_EQ(Flags(W.Has), QLatin1String(C.Has));
    EXPECT_EQ(Flags(W.Use), QLatin1String(C.Use));
    ASSERT_EQ(W.Count(), C.Days);
    EXPECT_EQ(W.Strings(0), QLatin1String(C.First));
    EXPECT_EQ(W.Strings(W.Count() - 1), QLatin1String(C.Last));
    EXPECT_EQ(Facts(W), QLatin1String(C.Facts));
    EXPECT_EQ(W.InParser.Quote.isNull() && W.OutParser.Escape.isNull(), W.SourceName != u"Standard CSV");
    EXPECT_EQ(W.FormatSettings.DecimalSeparator, u'.');
    EXPECT_TRUE(W.FormatSettings.ThousandSeparator.isNull());
  }
  QLocale::setDefault(Saved);
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(C.File), ErrMsg));
  int Gaps = 0;
  for (const QString& Probe : QString::fromLatin1(C.Probes).split(u'|', Qt::SkipEmptyParts)) {
    const int I = W.IndexOfName(Probe.section(u'=', 0, 0));
    EXPECT_EQ(I >= 0 ? W.Strings(I) : QString(), Probe.contains(u'=') ? Probe : QString());
    Gaps += Probe.contains(u'=') ? 0 : 1;
  }
  ExpectSoundDayLines(W, C.File);
  // Days are in file order, one apart but for the skipped ones.
  for (int I = 1; I < W.Count(); ++I) EXPECT_LT(W.GetDayDate(I - 1), W.GetDayDate(I)) << W.Strings(I).toStdString();
  EXPECT_EQ(W.GetDayDate(0).daysTo(W.GetDayDate(W.Count() - 1)) + 1, C.Days + Gaps);
}

// A date in a layout's form: Y the year, M and D month and day, MM and DD the same with
// a leading zero; other characters stand for themselves.
QString DateText(const char* Form, int Y, int M, int D) {
  QString Text;
  for (const char* P = Form; *P; ++P) {
    const bool Two = (*P == 'M' || *P == 'D') && P[1] == *P;
    const int Value = *P == 'Y' ? Y : *P == 'M' ? M : *P == 'D' ? D : -1;
    Text += Value < 0 ? QString(QLatin1Char(*P)) : QString::number(Value).rightJustified(Two ? 2 : 1, u'0');
    P += Two;
  }
  return Text;
}

// The sample with its first day moved to a leap day and its second to a date out of
// the accepted years or not in the calendar: the file fails, stops before the bad day
// or skips it, by the layout's rule.
TEST_P(LayoutTest, BadDatesFollowTheLayoutsRule) {
  const LayoutCase& C = GetParam();
  if (!*C.Dates) return;  // one day only
  const QDate Day1 = QDate::fromString(QLatin1String(C.First).left(8), u"yyyyMMdd"_s), Day2 = Day1.addDays(1);
  const struct {
    int Y, M, D;
  } BadDates[] = {{1949, 12, 31}, {2051, 1, 1},  {2013, 2, 30}, {2013, 4, 31},
                  {2013, 2, 29},  {2013, 6, 31}, {2013, 13, 1}, {2013, 1, 0}};
  for (const auto& Bad : BadDates) {
    QString Text = QString::fromLatin1(ReadFixture(C.File)), Line;
    // Replaces a day's date where it stands as a field; gives that day's line.
    const auto Replace = [&](const QDate& Day, const QString& New) {
      const QString Old = DateText(C.Dates, Day.year(), Day.month(), Day.day());
      const QRegularExpressionMatch Found =
          QRegularExpression(u"(^|[,\\t])"_s + QRegularExpression::escape(Old) + u"(?=[,\\t ])"_s,
                             QRegularExpression::MultilineOption)
              .match(Text);
      ASSERT_TRUE(Found.hasMatch()) << Old.toStdString();
      Text.replace(Found.capturedEnd(1), Old.size(), New);
      const qsizetype Start = Text.lastIndexOf(u'\n', Found.capturedEnd(1)) + 1;
      Line = Text.mid(Start, Text.indexOf(u'\n', Start) - Start).remove(u'\r');
    };
    const QString BadText = DateText(C.Dates, Bad.Y, Bad.M, Bad.D);
    Replace(Day2, BadText);
    const QString FailText =
        *C.FailText == '*' ? Line : DateText(*C.FailText ? C.FailText : C.Dates, Bad.Y, Bad.M, Bad.D);
    Replace(Day1, DateText(C.Dates, 2012, 2, 29));
    const QString Path = Write(u"bad.txt"_s, Text.toLatin1());
    SCOPED_TRACE(BadText.toStdString());
    TImportedWeatherFile W;
    QString ErrMsg;
    const bool Ok = W.ImportFile(Path, ErrMsg);
    ASSERT_EQ(Ok, C.Rule != DateRule::Fail) << ErrMsg.toStdString();
    if (!Ok) {
      EXPECT_EQ(ErrMsg, Path + u"\nInvalid date encountered: "_s + FailText);
    } else {
      EXPECT_EQ(W.Names(0), u"20120229");
      EXPECT_EQ(W.Count(), C.Rule == DateRule::Stop ? 1 : C.Days - 1);
      EXPECT_EQ(W.IndexOfName(Day2.toString(u"yyyyMMdd"_s)), -1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest, ::testing::ValuesIn(LayoutCases), [](const auto& Info) {
  return QString::fromLatin1(Info.param.File).section(u'.', 0, 0).remove(u'-').remove(u'_').toStdString();
});

// ---------------------------------------------------------------------------
// Failure messages: the file name, a line break and the reason
// ---------------------------------------------------------------------------

TEST_F(ImpWeathFileTest, FailureMessagesBeginWithFileName) {
  // A file over the limit is refused before it is read (sparse, so cheap to make).
  const QString Big = Write(u"big.csv"_s, "Month,Day,Year,Precip\n7,1,2013,0.1\n");
  ASSERT_TRUE(QFile::resize(Big, TImportedWeatherFile::MaxFileSize + 1));
  // A named pipe without a writer (whose opening would wait for ever) and a device that
  // never ends are not weather files.
  const QString Fifo = Dir.filePath(u"pipe.csv"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
  const struct {
    QString Path;
    const char* Message;
  } Cases[] = {
      {FixturePath("fail_unrecognized.txt"), "Unrecognized file format."},
      {FixturePath("fail_blank_lines.txt"), "Unrecognized file format."},
      {FixturePath("fail_no_data.csv"), "File contains no data."},
      {FixturePath("fail_csv_no_year.csv"), "Data header line is missing month, day, year."},
      {FixturePath("fail_csv_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_wu_header.csv"), "Data header lines are incomplete."},
      {FixturePath("fail_lcd_location.csv"), "Can't find Station Location."},
      {FixturePath("fail_lcd_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_coop_no_day.csv"), "Data header line is missing day."},
      {FixturePath("fail_coop_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_caldry_header.txt"), "Data header lines are incomplete."},
      {FixturePath("fail_isu_header.txt"), "Data header line is incomplete."},
      {FixturePath("fail_wu_no_days.csv"), "File contains no data."},
      // With only one of high and low the metric names are tried and fail.
      {FixturePath("fail_coop_high_only.csv"), "Data header line is incomplete."},
      {FixturePath("fail_enviro_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_nrcs_no_moisture.csv"), "Data header line is incomplete."},  // no moisture columns
      {FixturePath("does_not_exist.csv"), "File does not exist."},
      {QString(), "File does not exist."},
      {Dir.path(), "Can't open file."},
      {Fifo, "Can't open file."},
      {u"/dev/zero"_s, "Can't open file."},
      {Big, "File is too large to import (more than 64 MB)."},
  };
  for (const auto& C : Cases) {
    TImportedWeatherFile W;
    QString ErrMsg;
    EXPECT_FALSE(W.ImportFile(C.Path, ErrMsg)) << C.Message;
    EXPECT_EQ(ErrMsg, C.Path + u'\n' + QLatin1String(C.Message));
  }
  TImportedWeatherFile W;
  QString ErrMsg;
  EXPECT_FALSE(W.ImportData(u"pasted"_s, QByteArray(TImportedWeatherFile::MaxFileSize + 1, 'x'), ErrMsg));
  EXPECT_EQ(ErrMsg, u"pasted\nFile is too large to import (more than 64 MB).");
}

// Exports as the services write them: the units of an Enviro-weather file come from
// its legend after the days (or a units row), and are never guessed; Weather
// Underground pages put blank lines between days and may end with a comment, and a
// spreadsheet may have written the dates again as month/day/year.
TEST(ImpWeathFile, RealExportVariants) {
  const QByteArray Enviro = "MSU Enviro-weather\ndaily summary\nStation: Hort\n\ndate,atmp_max,atmp_min,pcpn\n"
                            "07/01/2013,25.0,14.5,2.0\n07/02/2013,26.5,15.0,0.0\n\n";
  const QByteArray Humid = "daily summary\ndate,relh_max,relh_min\n07/01/2013,90,40\n";
  const QByteArray WuHeader = "\nCDT,Max TemperatureF,Mean TemperatureF,Min TemperatureF,Mean Humidity,"
                              " Mean Wind SpeedMPH,PrecipitationIn,Events\n";
  const char* EnviroDays = "20130701=25.0,14.5,,2.0|20130702=26.5,15.0,,0.0";
  const struct {
    QByteArray Text;
    int Metric;          // -1: refused
    const char* Result;  // the day lines, or the message after the file name
  } Cases[] = {
      {Enviro + "atmp_max: Max Air Temperature [1.5m] (C)\natmp_min: Min Air Temperature [1.5m] (C)\n"
                "pcpn: Precipitation (mm)\n",
       1, EnviroDays},
      {Enviro + "atmp_max: Max Air Temperature [1.5m] (F)\npcpn: Precipitation (in)\n", 0, EnviroDays},
      // Any legend line of the layout tells the units of all.
      {Enviro + "atmp_min: Min Air Temperature (degrees C)\n", 1, EnviroDays},
      {Enviro + "pcpn: Precipitation (mm)\n", 1, EnviroDays},
      {Enviro + "wspd: Wind Speed [3m] (m/s)\n", 1, EnviroDays},
      {Enviro + "wspd: Wind Speed [3m] (mph)\nrelh_max: Max Relative Humidity (%)\n", 0, EnviroDays},
      // Pasted days without the legend, and a legend that disagrees with itself.
      {Enviro, -1, "The units are unknown: no line of the file says whether temperatures are in (C) or (F) and "
                   "precipitation in (mm) or (in). Import the file with its legend."},
      {Enviro + "relh_max: Max Relative Humidity (%)\nsrad: Solar Radiation (MJ/m2)\n", -1, "The units are unknown"},
      {Enviro + "atmp_max: Max Air Temperature (C)\npcpn: Precipitation (in)\n", -1,
       "The units are mixed: the file gives some values in metric and others in English units."},
      // Humidity has no units to tell.
      {Humid, 0, "20130701=,,,,,65.0"},
      {WuHeader + "2013-7-1,81,71,61,76,12,0.75,Rain\n\n2013-7-2,82,72,62,70,8,T,\n\n\n"
                  "2013-7-3,83,73,63,60,5,0.00,\n\n<!-- 0.123:1 -->\n",
       0, "20130701=81,61,71,0.75,12,76,Rain|20130702=82,62,72,0,8,70,|20130703=83,63,73,0.00,5,60,"},
      {WuHeader + "7/1/2013,81,71,61,76,12,0.75,Rain\n7/2/2013,82,72,62,70,8,T,\n", -1,
       "Dates are not in the form year-month-day (such as 2013-7-1): 7/1/2013"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text.toStdString());
    TImportedWeatherFile W;
    W.Metric = C.Metric != 1;
    QString ErrMsg;
    const bool Ok = W.ImportData(u"export"_s, C.Text, ErrMsg);
    EXPECT_EQ(Ok, C.Metric >= 0);
    if (Ok) {
      EXPECT_EQ(W.Lines().join(u'|'), QLatin1String(C.Result));
      EXPECT_EQ(W.Metric, C.Metric == 1);
    } else {
      EXPECT_TRUE(ErrMsg.startsWith(u"export\n"_s + QLatin1String(C.Result))) << ErrMsg.toStdString();
    }
  }
}

// ---------------------------------------------------------------------------
// Line ends and byte-order marks; truncated, garbled and huge input
// ---------------------------------------------------------------------------

TEST_P(LayoutTest, LineEndsAndByteOrderMarkDoNotMatter) {
  QByteArray Lf = ReadFixture(GetParam().File);
  Lf.replace("\r\n", "\n").replace("\xEF\xBB\xBF", "");
  const QByteArray Cr = QByteArray(Lf).replace('\n', '\r'), CrLf = QByteArray(Lf).replace("\n", "\r\n");
  TImportedWeatherFile Reference;
  QString ErrMsg;
  ASSERT_TRUE(Reference.ImportData(u"ref"_s, Lf, ErrMsg));
  for (const QByteArray& Bytes : {Cr, CrLf, Lf.left(Lf.size() - 1), "\xEF\xBB\xBF" + Lf, "\xEF\xBB\xBF" + CrLf}) {
    TImportedWeatherFile W;
    ASSERT_TRUE(W.ImportData(u"variant"_s, Bytes, ErrMsg)) << ErrMsg.toStdString();
    EXPECT_EQ(W.Lines(), Reference.Lines());
    EXPECT_EQ(W.SourceName, Reference.SourceName);
  }
}

// Either sound day lines or a message that names the file.
void ExpectSoundDaysOrAMessage(const QByteArray& Bytes, const std::string& Context) {
  TImportedWeatherFile W;
  QString ErrMsg;
  if (W.ImportData(u"damaged"_s, Bytes, ErrMsg)) {
    ASSERT_EQ(ErrMsg, QString()) << Context;
    ASSERT_GT(W.Count(), 0) << Context;
    ASSERT_FALSE(W.SourceName.isEmpty()) << Context;
    ExpectSoundDayLines(W, Context);
  } else {
    ASSERT_TRUE(ErrMsg.startsWith(u"damaged\n")) << Context << ": " << ErrMsg.toStdString();
    ASSERT_GT(ErrMsg.size(), 8) << Context;  // says what is wrong
  }
}

TEST_P(LayoutTest, CutAndGarbledCopiesGiveSoundDaysOrAMessage) {
  const QByteArray Original = ReadFixture(GetParam().File);
  for (qsizetype Cut = 0; Cut < Original.size(); Cut += (Cut < 400 ? 7 : Original.size() / 60))
    ExpectSoundDaysOrAMessage(Original.left(Cut), "cut at " + std::to_string(Cut));
  QRandomGenerator Random(20130701);
  const char Noise[] = {',', '\t', '"', '\\', '-', '/', '*', '\r', '\n', '\0', 'T', '9', ' ', '\xFF', '\xC3', '='};
  for (int Round = 0; Round < 60; ++Round) {
    QByteArray Bytes = Original;
    for (int K = 1 + int(Random.bounded(8)); K > 0 && !Bytes.isEmpty(); --K) {
      const qsizetype Pos = Random.bounded(int(Bytes.size()));
      const char Ch = Noise[Random.bounded(int(sizeof Noise))];
      const int Change = int(Random.bounded(3));  // replace, insert or delete
      if (Change == 0) Bytes[Pos] = Ch;
      if (Change == 1) Bytes.insert(Pos, Ch);
      if (Change == 2) Bytes.remove(Pos, Random.bounded(40));
    }
    ExpectSoundDaysOrAMessage(Bytes, "round " + std::to_string(Round));
  }
}

TEST(ImpWeathFile, WideAndBinaryInput) {
  // One header of 400,000 fields and a data line of 4 MB must be read in one pass each.
  const QByteArray Wide = "Month,Day,Year" + QByteArray(",x").repeated(400000) + ",Max Temp\n7,1,2013" +
                          QByteArray(4 * 1024 * 1024, ',') + "\n";
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportData(u"wide"_s, Wide, ErrMsg)) << ErrMsg.toStdString();
  EXPECT_EQ(W.Strings(0), u"20130701=,,,,,,");
  QByteArray Binary(3 * 1024 * 1024, '\0');
  QRandomGenerator Random(7);
  for (char& Ch : Binary) Ch = char(Random.bounded(256));
  ExpectSoundDaysOrAMessage(Binary, "noise");
}

}  // namespace
