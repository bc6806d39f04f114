#include "ImpWeathFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>

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
QString Facts(const TImportedWeather& W) { return QStringList{W.StationName, W.Latitude, W.Longitude, W.Elevation}.join(u'|'); }

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

  QTemporaryDir Dir;
};

// Every day line names a real date and every numeric field is a number or empty.
void ExpectSoundDayLines(const TImportedWeather& W, const std::string& Context) {
  for (int I = 0; I < W.Count(); ++I) {
    QDate Date;
    ASSERT_TRUE(W.TryGetDayDate(I, Date)) << Context << ": " << W.Strings(I).toStdString();
    ASSERT_TRUE(Date.year() >= 1950 && Date.year() <= 2050) << Context;
    for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
      const QString Text = W.GetDayField(I, FieldNo);
      double Value = 0;
      ASSERT_TRUE(Text.isEmpty() || TryStrToFloat(Text, Value, W.FormatSettings))
          << Context << ": " << W.Strings(I).toStdString() << " field " << FieldNo;
    }
  }
}

// ---------------------------------------------------------------------------
// The nine layouts, and a year of the standard layout in metric units
// ---------------------------------------------------------------------------

struct LayoutCase {
  const char* File;
  const char* Source;
  bool Metric;
  const char* Has;  // temperature, precipitation, wind, humidity, notes, irrigation
  const char* Use;
  int Days;
  const char* First;
  const char* Last;
  const char* Facts;   // station|latitude|longitude|elevation
  const char* Probes;  // "|"-separated day lines that must be there; a bare date must not
};

const LayoutCase LayoutCases[] = {
    // "T" is a trace; a missing mean stays empty.
    {"wu_airport.csv", "Weather Underground", false, "111110", "111110", 35,
     "20130601=81,61,71,0.75,12,76,Rain-Thunderstorm", "20130705=90,58,74,0,5,80,", "|||",
     "20130610=86,64,,0.00,10,50,"},
    // Flagged values lose their "*"; "M" and "0.05s" become empty.
    {"noaa_lcd.csv", "NOAA LCD", false, "111000", "101000", 31, "20130701=110,82,96,0.91,7.5",
     "20130731=102,82,92,0.00,10.2", "PHOENIX SKY HARBOR INTERNATIONAL AIRPORT, AZ US|33.4277|-112.0038|1107 ft.",
     "20130705=100,81,90,0.98,4.5|20130713=103,,,0.19,13.1|20130721=105,89,97,,8.3|20130726=112,81,96,0.00,6.8"},
    // "--" is missing.
    {"caldry.txt", "Caldry Automated Station", false, "111000", "101000", 35, "20130601=100.4,64.7,82.6,0.00,7.6",
     "20130705=95.4,64.8,80.1,0.00,8.6", "47|||", "20130609=96.5,59.9,78.2,0.00,"},
    {"isu_agclimate.txt", "Iowa State Ag Climate", false, "111100", "111100", 31, "20130701=86.6,65.1,,0.00,10.4,80.6",
     "20130731=80.5,59.7,,0.00,7.8,75.9", "Ames|||", ""},
    {"nws_coop.csv", "NWS COOP", false, "110000", "110000", 31, "20130701=87,58,,0.00", "20130731=87,63,,0.00",
     "AMES 8 WSW|42.0208|-93.7741|", ""},
    // "-99.9" is missing; a missing sensor leaves the root zone empty; a repeated day and
    // a blank line are skipped.
    {"nrcs_scan.csv", "NRCS SCAN", false, "111110", "111110", 31, "20130701=84.5,64.6,74.6,0.00,8.6,62,30.3",
     "20130731=89.5,63.2,76.4,0.00,4.6,61,35.1", "|||",
     "20130707=,58.3,71.0,0.00,12.2,77,30.5|20130714=78.2,64.1,71.1,0.54,9.6,59,|20130719=82.8,65.4,74.1,0.00,,64,36.8"},
    // Quoted notes with a comma and a backslash are stored escaped.
    {"standard.csv", "Standard CSV", false, "111111", "111111", 31, "20130701=90.1,66.8,,0.00,11.6,59,,",
     "20130731=89.4,66.6,,0.00,5.8,81,Last day\\, end of record,", "|||",
     "20130717=87.6,61.4,,0.28,6.0,67,Wet \\\\ muddy,|20130704=86.0,62.0,,0.00,8.1,61,,1.00"},
    // A day marked "M" and the total line are skipped.
    {"nexrad.txt", "NEXRAD", false, "010000", "010000", 29, "20130601=,,,0.00,", "20130630=,,,0.00,",
     "|41.5901|-93.6208|", "20130613"},
    // A missing humidity leaves the humidity field off.
    {"enviro_weather.csv", "Enviro-weather", false, "110100", "110100", 31, "20130701=77.1,63.6,,0.04,,64.1",
     "20130731=86.4,55.1,,0.00,,65.7", "|||", "20130710=80.5,57.4,,0.00,"},
    {"maricopa-2013-standard.csv", "Standard CSV", true, "111110", "111110", 365,
     "20130101=12.40,-3.10,,0.25,1.12,59.8,Rain", "20131231=19.60,-1.00,,0.00,0.94,58.5,", "|||", ""},
};

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, ReadsFixture) {
  const LayoutCase& C = GetParam();
  TImportedWeatherFile W;
  QString ErrMsg;
  ASSERT_TRUE(W.ImportFile(FixturePath(C.File), ErrMsg)) << ErrMsg.toStdString();
  EXPECT_EQ(ErrMsg, QString());
  EXPECT_EQ(W.SourceName, QLatin1String(C.Source));
  EXPECT_EQ(W.Metric, C.Metric);
  EXPECT_FALSE(W.UnitsUnstated);
  EXPECT_EQ(Flags(W.Has), QLatin1String(C.Has));
  EXPECT_EQ(Flags(W.Use), QLatin1String(C.Use));
  ASSERT_EQ(W.Count(), C.Days);
  EXPECT_EQ(W.Strings(0), QLatin1String(C.First));
  EXPECT_EQ(W.Strings(W.Count() - 1), QLatin1String(C.Last));
  EXPECT_EQ(Facts(W), QLatin1String(C.Facts));
  EXPECT_EQ(W.OutParser.Escape, W.Has[wkNotes] && W.SourceName == u"Standard CSV" ? QChar(u'\\') : QChar());
  EXPECT_EQ(W.FormatSettings.DecimalSeparator, QChar(u'.'));
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

INSTANTIATE_TEST_SUITE_P(NineLayouts, LayoutTest, ::testing::ValuesIn(LayoutCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& Info) {
                           std::string Name = Info.param.File;
                           for (char& Ch : Name)
                             if (!isalnum(static_cast<unsigned char>(Ch))) Ch = '_';
                           return Name;
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
      {FixturePath("fail_csv_feb30.csv"), "Invalid date encountered: 2,30,2013,45,27,0.00"},
      {FixturePath("fail_csv_1949.csv"), "Invalid date encountered: 12,31,1949,35,20,0.00"},
      {FixturePath("fail_wu_header.csv"), "Data header lines are incomplete."},
      {FixturePath("fail_wu_april31.csv"), "Invalid date encountered: 4-31"},
      {FixturePath("fail_lcd_location.csv"), "Can't find Station Location."},
      {FixturePath("fail_lcd_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_coop_no_day.csv"), "Data header line is missing day."},
      {FixturePath("fail_coop_header.csv"), "Data header line is incomplete."},
      {FixturePath("fail_caldry_header.txt"), "Data header lines are incomplete."},
      {FixturePath("fail_isu_header.txt"), "Data header line is incomplete."},
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

// ---------------------------------------------------------------------------
// Dates: out of range or not in the calendar, by each layout's rule
// ---------------------------------------------------------------------------

enum class DateRule { Fail, Stop, Skip };
enum class DateStyle { Wu, Compact, Us, Iso, Csv };

QString StyleDate(DateStyle Style, int Y, int M, int D) {
  const QString Ys = QString::number(Y), Ms = QString::number(M), Ds = QString::number(D);
  const QString M2 = Ms.rightJustified(2, u'0'), D2 = Ds.rightJustified(2, u'0');
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
    {"isu", "# ISU test\nvalid,High Air Temp,Low Air Temp\n{1},50,30\n{2},51,31\n{3},52,32\n", DateStyle::Iso,
     DateRule::Fail, Same},
    {"coop", "station,day,high,low,precip\nX,{1},50,30,0.00\nX,{2},51,31,0.00\nX,{3},52,32,0\n", DateStyle::Iso,
     DateRule::Fail, Same},
    {"nrcs",
     "NRCS National Water and Climate Center test\nDate,TMAX.D-1 (degF),TMIN.D-1 (degF),"
     "TAVG.D-1 (degF),PRCP.D-1 (in),SMS.I-1:-2 (pct)  (loam),SMS.I-1:-4 (pct)  (loam),"
     "SMS.I-1:-8 (pct)  (loam),SMS.I-1:-20 (pct)  (loam),SMS.I-1:-40 (pct)  (loam)\n"
     "{1},50,30,40,0.00,20,21,22,23,24\n{2},51,31,41,0.00,20,21,22,23,24\n"
     "{3},52,32,42,0.00,20,21,22,23,24\n",
     DateStyle::Iso, DateRule::Stop, Same},
    {"csv", "Month,Day,Year,Max Temp,Min Temp\n{1},50,30\n{2},51,31\n{3},52,32\n", DateStyle::Csv, DateRule::Fail,
     [](const QString& D) { return D + u",51,31"_s; }},
    {"nexrad", "Rainfall estimate\nSummary of Rainfall from NEXRAD\n{1}  0.10\n{2}  0.20\n{3}  0.30\n", DateStyle::Us,
     DateRule::Skip, Same},
    {"enviro", "Enviro test\ndaily summary\ndate,atmp_max,atmp_min,pcpn\n{1},50,30,0.1\n{2},51,31,0.2\n{3},52,32,0.3\n",
     DateStyle::Us, DateRule::Skip, Same},
};

TEST_F(ImpWeathFileTest, BadDatesFollowEachLayoutsRule) {
  // Out of the accepted years, and dates that the calendar does not have.
  const struct {
    int Y, M, D;
  } BadDates[] = {{1949, 12, 31}, {2051, 1, 1}, {2013, 2, 30}, {2013, 4, 31},
                  {2013, 2, 29},  {2013, 6, 31}, {2013, 13, 1}, {2013, 1, 0}};
  for (const DateCase& C : DateCases) {
    for (const auto& Bad : BadDates) {
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
      EXPECT_EQ(Ok, C.Rule != DateRule::Fail) << Context;
      if (!Ok) {
        EXPECT_EQ(ErrMsg, Path + u"\nInvalid date encountered: "_s + C.FailText(BadText)) << Context;
      } else {
        QStringList Days;
        for (int I = 0; I < W.Count(); ++I) Days << W.Names(I);
        EXPECT_EQ(Days.join(u' '), C.Rule == DateRule::Stop ? u"20120229"_s : u"20120229 20130301"_s) << Context;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Layout details, read one after another into the same object, under a German
// locale and format: numbers and dates stay as the files have them
// ---------------------------------------------------------------------------

TEST_F(ImpWeathFileTest, LayoutDetails) {
  const struct {
    const char* Text;
    const char* Result;  // the end of the message; empty: success
    const char* Lines = "";  // "|"-separated
    const char* Has = "";
    int Metric = 0;  // 0, 1, or -1: as before (units left to the field)
    const char* Facts = "";
  } Cases[] = {
      // The standard layout: quoted fields, escaped quotes and units in the names.
      {"\"Month\",\"Day\",\"Year\",\"Max Temp (degC)\",\"Humidity\",\"Notes\",\"Irrigation (mm)\"\n"
       "\"7\",\"2\",\"2013\",\"31.5\",\"60\",\"a \\\"b\\\"\",\"5\"\n",
       "", "20130702=31.5,,,,,60,a \\\\\"b\\\\\",5", "100111", 1, "|||"},
      // Coordinates may come first, even on the very first line; nothing of the file
      // before stays.
      {"Latitude: 41.5\nLONGITUDE: -93.6\nsummary of rainfall from nexrad\n07/01/2013 0.25\n07/02/2013\n", "",
       "20130701=,,,0.25,", "010000", 0, "|41.5|-93.6|"},
      // Names without units leave the units to the field.
      {"Month,Day,Year,Max Temp,Precip\n7,1,2013,30,2\n", "", "20130701=30,,,2,,,", "110000", -1, "|||"},
      {"Month,Day,Year,Notes\n7,3,2013,x=y\n", "", "20130703=,,,,,,x=y", "000010", 1, "|||"},
      // Comma decimals, group separators and other loose forms are not numbers.
      {"Month,Day,Year,Max Temp (degC),Min Temp (degC),Precip (mm),Wind Speed (mps),Humidity (%)\n"
       "7,1,2013,\"31,5\",1.000.0,0x10,2 5,nan\n7,2,2013,inf,1e5,+3.5,.5,12abc\n",
       "", "20130701=,,,,,,|20130702=,1e5,,+3.5,.5,,", "111100", 1, "|||"},
      // A byte-order mark before text in the Windows code page (a degree sign).
      {"\xEF\xBB\xBFMonth,Day,Year,Max Temp (degF),Notes\r\n7,1,2013,88,Hot 95\xB0 at noon\r\n", "",
       "20130701=88,,,,,,Hot 95\u00B0 at noon", "100010", 0, "|||"},
      // Weather Underground: a personal station, a trace in lower case, no events.
      {"Date,TemperatureHighF,TemperatureAvgF,TemperatureLowF,HumidityAvg,WindSpeedAvgMPH,PrecipitationSumIn\n"
       "2013-07-01,80,70,60,55,4.5,t\n",
       "", "20130701=80,60,70,0,4.5,55", "111100", 0, "|||"},
      // A header wrapped over two lines is joined; a blank line ends the days.
      {"EDT,Max TemperatureF,Mean TemperatureF,Min TemperatureF,\n Mean Humidity, Mean Wind SpeedMPH,PrecipitationIn,"
       "Events\n2013-7-2,81,71,61,56,5,0.20,Rain\n2013-7-3,82,72,62,57,6,0.00,\n\n2013-7-9,1,1,1,1,1,1,after\n",
       "", "20130702=81,61,71,0.20,5,56,Rain|20130703=82,62,72,0.00,6,57,", "111110", 0, "|||"},
      {"CST,Max TemperatureF,Mean TemperatureF,Min TemperatureF,Mean Humidity,Mean Wind SpeedMPH,PrecipitationIn\n",
       "\nFile contains no data."},
      // NOAA LCD without the blank line after the title.
      {"Daily Summary\nStation: X\nStation Location: AMES, IA US\nLat: 42\nLon: -93\nElev: 955\n"
       "YearMonthDay,Tmax,Tmin,Tavg,PrecipTotal,AvgSpeed\n20130701,55*,40,47*,T,6.1*\n",
       "", "20130701=55,40,47,0,6.1", "111000", 0, "AMES, IA US|42|-93|955"},
      {"* Instruction: metric\n* Station ID: 147 Name\nDate\tCACId\tMaximum Air Temperature (degC)\tMinimum Air "
       "Temperature (degC)\tAir Temperature (degC)\tPrecipitation (mm)\tWind Speed (mps)\n"
       "07/01/2013\t147\t31.2\t15.0\t23.1\t0.0\t2.1\n",
       "", "20130701=31.2,15.0,23.1,0.0,2.1", "111000", 1, "147|||"},
      // Iowa State: blank lines skipped, the station of the last line.
      {"# ISU\nSite Name,valid,Daily Precip\nAmes,2013-07-01,0.5\n\nBoone,2013-07-02,x\n\n", "",
       "20130701=,,,0.5,,|20130702=,,,,,", "010000", 0, "Boone|||"},
      // The cooperative network's metric columns; with only one of high and low the
      // metric names are tried and fail.
      {"station\tday\thighc\tlowc\tprecipmm\nX\t2013-07-01\t30\t15\t2.5\n\n", "", "20130701=30,15,,2.5", "110000", 1,
       "|||"},
      {"station,day,high,precip\nX,2013-07-01,30,1\n", "\nData header line is incomplete."},
      {"daily summary\ndate,atmp_max,relh_max,relh_min\n,Air Temperature (degrees C),Relative Humidity (%)\n"
       "07/01/2013,25.0,91,40\n07/02/2013,26.0,M,40\n",
       "", "20130701=25.0,,,,,65.5|20130702=26.0,,,,", "100100", 1, "|||"},
      {"daily summary\ndate,relh_max\n07/01/2013,1\n", "\nData header line is incomplete."},
      // NRCS SCAN needs the moisture columns; huge moisture values do not overflow.
      {"NRCS National Water and Climate Center\nDate,TMAX.D-1 (degF),TMIN.D-1 (degF),TAVG.D-1 (degF),PRCP.D-1 (in)\n"
       "2013-07-01,80,60,70,0\n",
       "\nData header line is incomplete."},
      {"NRCS National Water and Climate Center\nDate,TMAX.D-1 (degF),TMIN.D-1 (degF),TAVG.D-1 (degF),PRCP.D-1 (in),"
       "SMS.I-1:-2 (pct)  (loam),SMS.I-1:-4 (pct)  (loam),SMS.I-1:-8 (pct)  (loam),SMS.I-1:-20 (pct)  (silt),"
       "SMS.I-1:-40 (pct)  (silt)\n2013-07-01,80,60,70,0,1e308,1e308,1e308,1e308,1e308\n"
       "2013-07-02,80,60,70,0,0,0,10,10,10\n",
       "", "20130701=80,60,70,0,,,|20130702=80,60,70,0,,,8.5", "110010", 0, "|||"},
  };
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  for (const bool MetricBefore : {false, true}) {
    TImportedWeatherFile W;
    W.FormatSettings = GermanFormatSettings();
    for (const auto& C : Cases) {
      SCOPED_TRACE(C.Text);
      W.Metric = MetricBefore;
      const QString Path = Write(u"sample.txt"_s, C.Text);
      QString ErrMsg;
      const bool Ok = W.ImportFile(Path, ErrMsg);
      if (*C.Result) {
        EXPECT_FALSE(Ok);
        EXPECT_EQ(ErrMsg, Path + QLatin1String(C.Result));
        EXPECT_EQ(W.Count(), 0);
        continue;
      }
      ASSERT_TRUE(Ok) << ErrMsg.toStdString();
      EXPECT_EQ(W.Lines().join(u'|'), QString::fromUtf8(C.Lines));
      EXPECT_EQ(Flags(W.Has), QLatin1String(C.Has));
      EXPECT_EQ(W.Metric, C.Metric < 0 ? MetricBefore : C.Metric == 1);
      EXPECT_EQ(W.UnitsUnstated, C.Metric < 0);
      EXPECT_EQ(Facts(W), QLatin1String(C.Facts));
      EXPECT_EQ(W.InParser.Quote.isNull() && W.OutParser.Escape.isNull(), W.SourceName != u"Standard CSV");
      EXPECT_TRUE(W.FormatSettings.DecimalSeparator == u'.' && W.FormatSettings.ThousandSeparator.isNull());
    }
  }
  QLocale::setDefault(Saved);
}

// ---------------------------------------------------------------------------
// Line ends and byte-order marks; truncated, garbled and huge input
// ---------------------------------------------------------------------------

TEST_F(ImpWeathFileTest, LineEndsAndByteOrderMarkDoNotMatter) {
  for (const char* Name : {"standard.csv", "wu_airport.csv", "nrcs_scan.csv", "nexrad.txt"}) {
    QByteArray Lf = ReadFixture(Name);
    Lf.replace("\r\n", "\n");
    const QByteArray Cr = QByteArray(Lf).replace('\n', '\r');
    const QByteArray CrLf = QByteArray(Lf).replace("\n", "\r\n");
    TImportedWeatherFile Reference;
    QString ErrMsg;
    ASSERT_TRUE(Reference.ImportData(u"ref"_s, Lf, ErrMsg)) << Name;
    for (const QByteArray& Bytes : {Cr, CrLf, Lf.left(Lf.size() - 1), "\xEF\xBB\xBF" + Lf, "\xEF\xBB\xBF" + CrLf}) {
      TImportedWeatherFile W;
      ASSERT_TRUE(W.ImportFile(Write(u"le.txt"_s, Bytes), ErrMsg)) << Name << ErrMsg.toStdString();
      EXPECT_EQ(W.Lines(), Reference.Lines()) << Name;
      EXPECT_EQ(W.SourceName, Reference.SourceName);
    }
  }
}

// Cut and garbled copies of every sample, a very wide file and binary noise: each gives
// either sound day lines or a message that names the file.
TEST_F(ImpWeathFileTest, DamagedInputGivesSoundDaysOrAMessage) {
  QRandomGenerator Random(20130701);
  const char Noise[] = {',', '\t', '"', '\\', '-', '/', '*', '\r', '\n', '\0', 'T', '9', ' ', '\xFF', '\xC3', '='};
  std::vector<std::pair<std::string, QByteArray>> Inputs;
  for (const LayoutCase& C : LayoutCases) {
    if (C.Days > 40) continue;  // the nine short samples
    const QByteArray Original = ReadFixture(C.File);
    ASSERT_FALSE(Original.isEmpty()) << C.File;
    const qsizetype Step = std::max<qsizetype>(1, Original.size() / 60);
    for (qsizetype Cut = 0; Cut < Original.size(); Cut += (Cut < 400 ? 7 : Step))
      Inputs.emplace_back(std::string(C.File) + " cut at " + std::to_string(Cut), Original.left(Cut));
    for (int Round = 0; Round < 60; ++Round) {
      QByteArray Bytes = Original;
      for (int K = 1 + int(Random.bounded(8)); K > 0 && !Bytes.isEmpty(); --K) {
        const qsizetype Pos = Random.bounded(int(Bytes.size()));
        const char Ch = Noise[Random.bounded(int(sizeof Noise))];
        switch (Random.bounded(3)) {
          case 0: Bytes[Pos] = Ch; break;
          case 1: Bytes.insert(Pos, Ch); break;
          default: Bytes.remove(Pos, Random.bounded(40)); break;
        }
      }
      Inputs.emplace_back(std::string(C.File) + " round " + std::to_string(Round), Bytes);
    }
  }
  // One header of 400,000 fields and a data line of 4 MB must be read in one pass each.
  QByteArray Wide = "Month,Day,Year" + QByteArray(",x").repeated(400000) + ",Max Temp\n7,1,2013";
  Inputs.emplace_back("wide", Wide + QByteArray(4 * 1024 * 1024, ',') + "\n");
  QByteArray Binary(3 * 1024 * 1024, '\0');
  for (char& Ch : Binary) Ch = char(Random.bounded(256));
  Inputs.emplace_back("noise", Binary);

  for (const auto& [Context, Bytes] : Inputs) {
    const QString Path = Write(u"damaged.txt"_s, Bytes);
    TImportedWeatherFile W;
    QString ErrMsg;
    const bool Ok = W.ImportFile(Path, ErrMsg);
    if (Context == "wide") {
      ASSERT_TRUE(Ok) << ErrMsg.toStdString();
      EXPECT_EQ(W.Strings(0), u"20130701=,,,,,,");
    }
    if (Ok) {
      ASSERT_TRUE(ErrMsg.isEmpty() && W.Count() > 0 && !W.SourceName.isEmpty()) << Context;
      ExpectSoundDayLines(W, Context);
    } else {
      ASSERT_TRUE(ErrMsg.startsWith(Path + u'\n') && ErrMsg.size() > Path.size() + 1)
          << Context << ": " << ErrMsg.toStdString();
    }
  }
}

}  // namespace
