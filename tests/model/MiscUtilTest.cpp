// Utility routines: the INI file, text decoding and lines, delimited fields, text
// layout, strict numbers and dates in fixed format settings, temporary files.

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

const TFormatSettings Us = UsFormatSettings(), De = GermanFormatSettings(), Iso = IsoFormatSettings();

// ---------------------------------------------------------------------------
// INI files
// ---------------------------------------------------------------------------

TEST(TMyIniFile, BooleansIntegersAndTheirDefaults) {
  TMyIniFile Ini;
  Ini.SetText("[S]\nA=yes\nB=On\nC=1\nD=no\nE=off\nF=0\nG=Y\nH=\nI=  TRUE  \nK=yess\nN=-42\nX=12x\n");
  for (bool Default : {false, true}) {
    for (const char* Key : {"A", "B", "C", "I"}) EXPECT_TRUE(Ini.ReadBool("S", Key, Default)) << Key;
    for (const char* Key : {"D", "E", "F"}) EXPECT_FALSE(Ini.ReadBool("S", Key, Default)) << Key;
    for (const char* Key : {"G", "H", "K", "Missing"}) EXPECT_EQ(Ini.ReadBool("S", Key, Default), Default) << Key;
  }
  EXPECT_EQ(Ini.ReadInteger("S", "N", 7), -42);
  EXPECT_EQ(Ini.ReadInteger("S", "X", 7), 7);
  Ini.WriteBool("S", "A", false);
  Ini.WriteBool("S", "New", true);
  Ini.WriteInteger("s", "n", 5);  // replaces, keeps the first spelling
  EXPECT_EQ(Ini.ReadString("S", "A", "?"), "No");
  EXPECT_EQ(Ini.ReadString("S", "New", "?"), "Yes");
  EXPECT_EQ(Ini.ReadString("S", "N", "?"), "5");
}

TEST(TMyIniFile, ParsesLineEndsBlankLinesDuplicatesAndStrayKeys) {
  for (const char* End : {"\r\n", "\n", "\r"}) {
    TMyIniFile Ini;
    Ini.SetText(QStringList({"Stray=1", "; comment", "[Field]", "Name = North 40 ", "", "name=second", "NoEquals",
                             "=NoKey", "[ Weather ]", "Day1=1,2", "[FIELD]", "Crop=Corn"})
                    .join(End));
    EXPECT_EQ(Ini.ReadSections(), QStringList({"Field", "Weather"}));
    EXPECT_EQ(Ini.ReadString("field", "NAME", "?"), "North 40");  // the first of two wins
    EXPECT_EQ(Ini.ReadString("Field", "Crop", "?"), "Corn");      // a repeated section merges
    EXPECT_EQ(Ini.ReadSection("Field"), QStringList({"Name", "Crop"}));
    EXPECT_EQ(Ini.ReadString("Weather", "Day1", "?"), "1,2");
    EXPECT_FALSE(Ini.ValueExists("Field", "Stray"));
    EXPECT_FALSE(Ini.ValueExists("Field", "NoEquals"));
    EXPECT_TRUE(Ini.SectionExists("WEATHER"));
    EXPECT_FALSE(Ini.SectionExists("Stray"));
  }
}

TEST(TMyIniFile, WriteEraseDeleteAndText) {
  TMyIniFile Ini;
  Ini.WriteString("SovInfo", "Version", "3");
  Ini.WriteString("Field", "Name", QString::fromUtf8("Feld Müller – Nord"));
  Ini.WriteString("Field", "Empty", "  ");
  Ini.WriteBool("Field", "Coastal", true);
  const QString Text = Ini.GetText();
  EXPECT_EQ(Text, QString::fromUtf8("[SovInfo]\r\nVersion=3\r\n\r\n[Field]\r\nName=Feld Müller – Nord\r\nEmpty=\r\n"
                                    "Coastal=Yes\r\n\r\n"));
  TMyIniFile Copy;
  // Line breaks in a value cannot start lines of their own.
  Ini.WriteString("Field", "Notes", "first\r\n[Evil]\nKey=1");
  Copy.SetText(Ini.GetText());
  EXPECT_EQ(Copy.ReadSections(), QStringList({"SovInfo", "Field"}));
  EXPECT_EQ(Copy.ReadString("Field", "Notes", "?"), "first  [Evil] Key=1");
  Copy.SetText("[S]\nK=1\nk=2\nL=3\n[B]\nK=v\n[C]\nK=c\n");
  Copy.DeleteKey("s", "K");  // both spellings go
  EXPECT_FALSE(Copy.ValueExists("S", "K"));
  EXPECT_TRUE(Copy.ValueExists("S", "L"));
  Copy.EraseSection("b");
  EXPECT_EQ(Copy.ReadSections(), QStringList({"S", "C"}));
  EXPECT_EQ(Copy.ReadString("c", "k", "?"), "c");  // later sections still found
}

// Names beyond ASCII are compared case-folded too, repeats merged as for ASCII names.
TEST(TMyIniFile, NonAsciiNamesMatchWithoutRegardToCase) {
  TMyIniFile Ini;
  Ini.SetText(QString::fromUtf8("[Über]\nÄrger=1\n[über]\näRGER=2\nB=3\n"));
  EXPECT_EQ(Ini.ReadSections(), QStringList({QString::fromUtf8("Über")}));
  EXPECT_EQ(Ini.ReadString(QString::fromUtf8("ÜBER"), QString::fromUtf8("ärger"), "?"), "1");
  EXPECT_EQ(Ini.ReadSection(QString::fromUtf8("über")), QStringList({QString::fromUtf8("Ärger"), "B"}));
  Ini.SetText(QStringLiteral("[S]\nKey=1\n"));  // the Kelvin sign folds to an ASCII k
  EXPECT_EQ(Ini.ReadString("s", QString::fromUtf8("\u212AEY"), "?"), "1");
}

// A hostile file of many sections or keys is read in about linear time.
TEST(TMyIniFile, ManySectionsAndKeysDoNotHang) {
  QString Text;
  for (int I = 0; I < 100000; ++I) Text += QStringLiteral("[S%1]\n").arg(I);
  Text += "[Big]\n";
  for (int I = 0; I < 100000; ++I) Text += QStringLiteral("K%1=%1\nk%1=dup\n").arg(I);
  QElapsedTimer Timer;
  Timer.start();
  TMyIniFile Ini;
  Ini.SetText(Text);
  EXPECT_EQ(Ini.ReadSections().size(), 100001);
  EXPECT_EQ(Ini.ReadSection("BIG").size(), 100000);
  EXPECT_EQ(Ini.ReadString("big", "k99999", "?"), "99999");
  EXPECT_LT(Timer.elapsed(), 20000);
}

TEST(TMyIniFile, FilesInUtf8AndWindows1252) {
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("settings.ini");
  QString Msg;
  TMyIniFile Missing;  // a missing file is an empty INI file
  EXPECT_TRUE(Missing.LoadFromFile(Name, Msg));
  EXPECT_EQ(Missing.ReadSections(), QStringList());
  EXPECT_EQ(Missing.FileName(), Name);
  TMyIniFile Ini;
  Ini.SetFileName(Name);
  Ini.WriteString("Field", "Farm", QString::fromUtf8("Ödön's € farm"));
  ASSERT_TRUE(Ini.UpdateFile(Msg)) << Msg.toStdString();
  EXPECT_EQ(ReadAll(Name), QByteArray("[Field]\r\nFarm=\xC3\x96\x64\xC3\xB6n's \xE2\x82\xAC farm\r\n\r\n"));
  EXPECT_EQ(TMyIniFile(Name).ReadString("Field", "Farm", "?"), QString::fromUtf8("Ödön's € farm"));
  const std::pair<QByteArray, const char*> Files[] = {
      {"[Field]\r\nFarm=\xD6\x64\xF6n \x80 \x93quoted\x94\r\n", "Ödön € “quoted”"},  // Windows-1252
      {"\xEF\xBB\xBF[Field]\nFarm=\xC3\x96\n", "Ö"},                                   // with a byte-order mark
      {"[Field]\r\nFarm=Caf\xC3", "CafÃ"}};                                             // cut in a letter
  for (const auto& [Bytes, Farm] : Files) {
    ASSERT_TRUE(WriteAll(Name, Bytes));
    ASSERT_TRUE(Ini.LoadFromFile(Name, Msg));
    EXPECT_EQ(Ini.ReadSections(), QStringList({"Field"}));
    EXPECT_EQ(Ini.ReadString("Field", "Farm", "?"), QString::fromUtf8(Farm));
  }
  EXPECT_TRUE(Ini.UpdateFile(Msg));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"settings.ini"}));  // no temporary file left
}

TEST(TMyIniFile, TruncatedGarbledOversizedAndUnwritable) {
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("garbled.ini");
  QString Msg;
  const QByteArray Good("[Field]\r\nName=Caf\xC3\xA9\r\nCrop=Corn\r\n");
  for (qsizetype Len = 0; Len <= Good.size(); ++Len) {  // cut everywhere
    ASSERT_TRUE(WriteAll(Name, Good.left(Len)));
    TMyIniFile Ini;
    ASSERT_TRUE(Ini.LoadFromFile(Name, Msg)) << Msg.toStdString();
    EXPECT_EQ(Ini.SectionExists("Field"), Len >= 7) << Len;
  }
  QRandomGenerator Random(12345);
  for (int Round = 0; Round < 100; ++Round) {
    QByteArray Bytes(int(Random.bounded(1, 400)), '\0');
    for (auto& B : Bytes) B = char(Random.bounded(256));
    ASSERT_TRUE(WriteAll(Name, Round % 2 ? Bytes : "[S]\n" + Bytes));
    TMyIniFile Ini, Copy;
    ASSERT_TRUE(Ini.LoadFromFile(Name, Msg));
    Copy.SetText(Ini.GetText());  // whatever was read survives a round trip
    EXPECT_EQ(Copy.GetText(), Ini.GetText());
  }
  {
    QFile File(Name);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    for (int I = 0; I < 17; ++I) File.write("[S]\r\nK=" + QByteArray(1 << 20, 'x') + "\r\n");
  }
  TMyIniFile Ini;
  EXPECT_FALSE(Ini.LoadFromFile(Name, Msg));
  EXPECT_TRUE(Msg.contains(Name)) << Msg.toStdString();
  EXPECT_TRUE(Msg.contains("larger than 16 MB")) << Msg.toStdString();
  EXPECT_TRUE(Ini.ReadSections().isEmpty());
  EXPECT_FALSE(Ini.LoadFromFile(Dir.path(), Msg));
  EXPECT_TRUE(Msg.contains(Dir.path()));
  Msg.clear();
  EXPECT_FALSE(TMyIniFile().UpdateFile(Msg));  // no file name
  EXPECT_NE(Msg, "");
  Ini.SetFileName(Dir.filePath("missing/folder/x.ini"));
  EXPECT_FALSE(Ini.UpdateFile(Msg));
  EXPECT_TRUE(Msg.contains("missing/folder/x.ini")) << Msg.toStdString();
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

TEST(TextRoutines, DecodeAndSplitLines) {
  const std::pair<QByteArray, QString> Cases[] = {
      {"\xEF\xBB\xBFwith bom", "with bom"},
      {"caf\xC3\xA9", QString::fromUtf8("café")},
      {"caf\xE9", QString::fromUtf8("café")},                            // Windows-1252
      {"\x80\x85\x8A\x91\x92\x96\x9F", QString::fromUtf8("€…Š‘’–Ÿ")},  // the 0x80-0x9F table
      {"\x81\x8D", QString(QChar(0x81)) + QChar(0x8D)},                  // codes the page leaves open
      {"\xC0\xAF", QString::fromUtf8("À¯")},                             // overlong
  };
  for (const auto& [Bytes, Text] : Cases) EXPECT_EQ(DecodeFileText(Bytes), Text) << Bytes.toHex().data();
  EXPECT_EQ(DecodeFileText(QByteArray("a\0b", 3)).size(), 3);
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\n\rb\n\n"), QStringList({"a", "", "b", ""}));
}

// Text in UTF-8 with some bytes that are no UTF-8: each valid sequence reads as UTF-8,
// each other byte as Windows-1252.
TEST(TextRoutines, DecodeMixedUtf8AndWindows1252) {
  const std::pair<QByteArray, const char*> Cases[] = {
      {"Ch\xC3\xA2teau \x96 1", "Château – 1"},
      {"\xEF\xBB\xBF\xC3\xA9t\xE9", "été"},                 // after a byte-order mark
      {"\x80 \xE2\x82\xAC", "€ €"},                          // the same sign in both
      {"\xE2\x82 \xC3\xA9", "â‚ é"},                         // a sequence cut short
      {"\xF0\x9F\x8C\xBD corn\xA0", "🌽 corn\u00A0"},        // four bytes, then one
      {"\xC3\xA9\xC3", "éÃ"},                               // cut at the end
  };
  for (const auto& [Bytes, Text] : Cases) EXPECT_EQ(DecodeFileText(Bytes), QString::fromUtf8(Text)) << Bytes.toHex().data();
}

TEST(TextRoutines, DelimitedFields) {
  TMyLineParser P;
  P.Quote = '"';
  const QString Line = "a,\"b,c\",d";
  EXPECT_EQ(P.Fields(Line), QStringList({"a", "b,c", "d"}));
  for (const auto& [N, Field] : {std::pair{2, "b,c"}, {4, ""}, {0, ""}}) EXPECT_EQ(P.GetField(Line, N), Field);
  EXPECT_EQ(P.GetField("x,  \" word \"  ,y", 2), "word");
  EXPECT_EQ(P.GetField("x,\",y", 2), "\",y");  // an open quote swallows the rest
  EXPECT_EQ(P.GetField("x, \" ", 2), "\"");    // one quotation mark alone stays
  EXPECT_EQ(TMyLineParser().GetField(Line, 3), "c\"");
  TMyLineParser Escaping;
  Escaping.Escape = '\\';
  EXPECT_EQ(Escaping.GetField("x\\,y,z", 1), "x\\,y");
  EXPECT_EQ(Escaping.Fields("a\\,b,\"c,d\""), QStringList({"a\\,b", "\"c", "d\""}));
  // Escapes, and values that read back through a line.
  P.Escape = '\\';
  EXPECT_EQ(P.EscapeText("a,b\\c"), "a\\,b\\\\c");
  const QStringList Values = {"plain", "a,b", "say \"hi\"", "back\\slash", ",\"\\", ""};
  QStringList Escaped;
  for (const QString& V : Values) Escaped << P.EscapeText(V);
  for (int I = 0; I < 6; ++I) EXPECT_EQ(P.Unescape(P.GetField(Escaped.join(','), I + 1)), Values[I]) << I;
  // Fields agree with GetField for odd lines.
  TMyLineParser Odd;
  Odd.Quote = '\'';
  Odd.Escape = '^';
  for (const char* L : {",", " a , b ,", "'x,y',^,z,'q'", "^", "a,'open", "''',x"}) {
    const QStringList All = Odd.Fields(L);
    for (int N = 1; N <= All.size() + 1; ++N) EXPECT_EQ(Odd.GetField(L, N), N <= All.size() ? All[N - 1] : "") << N;
  }
  EXPECT_EQ(P.FieldIndex("Date, High ,Low", "HIGH"), 2);
  EXPECT_EQ(P.FieldIndex("Date,,Low", "Low"), 0);  // stops at the empty field
  P.Delimiter = '\t';
  EXPECT_EQ(P.FieldIndex("Date\tRain, in\tWind", "rain, in"), 2);
}

TEST(TextRoutines, PaddingWrappingAndDecimals) {
  EXPECT_EQ(PadRightChar("ab", '.', 5), "ab...");
  EXPECT_EQ(PadLeft("ab", 4), "  ab");
  EXPECT_EQ(PadLeftChar("7", '0', 3), "007");
  EXPECT_EQ(PadRight("abcd", 2), "abcd");
  EXPECT_EQ(PadNumberLeft("-5", 4), "     -5");
  EXPECT_EQ(PadNumberLeft("12345", 4), "12345");
  for (int Width = 1; Width < 8; ++Width) EXPECT_EQ(PrintWidth(PadNumberLeft("1.5", Width)), std::max(3, Width));
  const struct {
    const char* Text;
    int Width;
    bool Pad;
    const char *Line, *Rest;
  } Wraps[] = {{"abcdef ghi", 3, false, "abc", "def ghi"},       {"ab", 5, true, "ab   ", ""},
               {"ab  cd", 3, false, "ab", "cd"},                  {"one two three", 9, true, "one two  ", "three"},
               {"one two   three", 7, false, "one two", "three"}};
  for (const auto& W : Wraps) {
    QString Line, Rest;
    WordWrap(W.Text, W.Width, W.Pad, Line, Rest);
    EXPECT_EQ(Line, W.Line) << W.Text;
    EXPECT_EQ(Rest, W.Rest) << W.Text;
  }
  const QString Text = "The quick brown fox jumps over the lazy dog;  a   supercalifragilistic word ";
  for (int Width : {-2, 0, 1, 5, 80}) {  // always makes progress
    QString Rest = Text, Line;
    QStringList Words;
    for (int Lines = 0; !Rest.isEmpty() && Lines < 200; ++Lines) {
      const QString Before = Rest;
      WordWrap(Before, Width, false, Line, Rest);
      EXPECT_LE(Line.size(), std::max(Width, 1)) << Width;
      EXPECT_LT(Rest.size(), Before.size()) << Width;
      Words << Line;
    }
    EXPECT_EQ(Rest, "") << Width;
    if (Width >= 20) {
      EXPECT_EQ(Words.join(' ').simplified(), Text.simplified()) << Width;
    }
  }
  for (const auto& [In, Out] : {std::pair{"3.14159", "3.14"}, {"3.1", "3.1"}, {"2.675", "2.68"}, {"-0.001", "0.00"},
                                {"1.2.345", "1.2.345"}, {"1,23456", "1,23456"}})
    EXPECT_EQ(LimitDecimals(In, 2, Us), Out) << In;
  EXPECT_EQ(LimitDecimals("1,23456", 2, De), "1,23");
  EXPECT_EQ(LimitDecimals("1.23456", 2, De), "1.23456");
}

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

TEST(Numbers, StrictParsing) {
  const std::pair<const char*, double> Good[] = {{"-3.25", -3.25}, {"+4.5", 4.5}, {".5", 0.5}, {"5.", 5},
                                                 {"1.5E-2", 0.015}, {"1.7976931348623157e308", 1.7976931348623157e308}};
  for (const auto& [Text, Expected] : Good) {
    double Value = -999;
    EXPECT_TRUE(TryStrToFloat(Text, Value, Us)) << Text;
    EXPECT_EQ(Value, Expected) << Text;
  }
  for (const char* Text : {"", ".", "e5", "1e+", " 1", "1,000", "1.2.3", "nan", "-Infinity", "0x10", "12abc", "--1",
                           "1e309", "1e-400", "1e99999999999999999999", "\xd9\xa1"}) {
    double Value = -999;
    EXPECT_FALSE(TryStrToFloat(QString::fromUtf8(Text), Value, Us)) << Text;
    EXPECT_EQ(Value, -999) << Text;  // untouched
  }
  double Value = 0;
  EXPECT_TRUE(TryStrToFloat(QString(400, '0') + "1.25", Value, Us));
  EXPECT_EQ(Value, 1.25);
  EXPECT_TRUE(TryStrToFloat(",5", Value, De));
  EXPECT_EQ(Value, 0.5);
  EXPECT_FALSE(TryStrToFloat("3.25", Value, De));
  EXPECT_FALSE(TryStrToFloat("1.000,5", Value, De));
  EXPECT_FALSE(TryStrToFloat("2,5", Value, FileFormatSettings()));
  for (const auto& [Text, Expected] :
       {std::pair{"-17", -17}, {"+17", 17}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}}) {
    int N = -999;
    EXPECT_TRUE(TryStrToInt(Text, N)) << Text;
    EXPECT_EQ(N, Expected) << Text;
  }
  for (const char* Text : {"2147483648", "-2147483649", "", "+-1", " 1", "1.0", "0x1F"}) {
    int N = -999;
    EXPECT_FALSE(TryStrToInt(Text, N)) << Text;
    EXPECT_EQ(N, -999) << Text;  // untouched
  }
  int64_t Big = 0;
  EXPECT_TRUE(TryStrToInt64("-9223372036854775808", Big));
  EXPECT_EQ(Big, std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", Big));
  EXPECT_FALSE(TryStrToInt64("1.5", Big));
}

TEST(Numbers, FormattingAndRounding) {
  const struct {
    double Value;
    int Decimals;
    const char* Text;
  } Fixed[] = {{2.675, 2, "2.68"}, {-0.125, 2, "-0.13"}, {-2.5, 0, "-3"}, {-0.001, 2, "0.00"}, {9.995, 2, "10.00"},
               {1e20, 1, "100000000000000000000.0"}, {0.1 + 0.2, 17, "0.30000000000000000"},  // 15 digits, then zeros
               {123456789012345678.0, 0, "123456789012346000"}, {3.14159, -1, "3"}};
  for (const auto& F : Fixed) EXPECT_EQ(FormatFixed(F.Value, F.Decimals, Us), F.Text) << F.Value;
  EXPECT_EQ(FormatFixed(1234.565, 2, De), "1234,57");  // no thousands separator
  EXPECT_EQ(FormatFixed(std::nan(""), 2, Us), "");
  EXPECT_EQ(FormatFixed(INFINITY, 2, Us), "");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 0, Us).size(), 309);
  for (const auto& [Value, Text] : {std::pair{-0.0, "0"}, {0.1 + 0.2, "0.3"}, {2.0 / 3, "0.666666666666667"},
                                    {123456789012345.0, "123456789012345"}, {1e15, "1E15"},
                                    {1234567890123456.0, "1.23456789012346E15"}, {0.00001, "0.00001"},
                                    {-1.5e-7, "-1.5E-7"}})
    EXPECT_EQ(FormatGeneral(Value, Us), Text) << Value;
  EXPECT_EQ(FormatGeneral(1.5e-6, De), "1,5E-6");
  EXPECT_EQ(FormatGeneral(std::nan(""), Us), "");
  for (const auto& [Value, Result] : {std::pair{0.5, int64_t(0)}, {1.5, 2}, {-2.5, -2}, {2.5001, 3},
                                      {1e15 + 0.5, 1000000000000000}})
    EXPECT_EQ(RoundHalfEven(Value), Result) << Value;
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<int64_t>::max());
  const int64_t Max = std::numeric_limits<int64_t>::max(), Min = std::numeric_limits<int64_t>::min();
  const int64_t Ratios[][3] = {{5, 2, 2},  {7, 2, 4},   {-5, 2, -2}, {5, -2, -2}, {-8, 3, -3},
                               {Max, 2, int64_t(1) << 62}, {Min, -1, Max}, {5, 0, 0}};
  for (const auto& R : Ratios) EXPECT_EQ(RoundRatioHalfEven(R[0], R[1]), R[2]) << R[0] << "/" << R[1];
}

// ---------------------------------------------------------------------------
// Format settings and dates
// ---------------------------------------------------------------------------

TEST(FormatSettings, FromLocalesAndFixed) {
  const TFormatSettings German = FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), false);
  EXPECT_EQ(German.ShortDateFormat, "dd.mm.yyyy");
  EXPECT_EQ(German.DecimalSeparator, u',');
  EXPECT_EQ(German.ThousandSeparator, u'.');
  EXPECT_EQ(German.LongMonthNames[2], QString::fromUtf8("März"));
  const TFormatSettings Korean = FormatSettingsFromLocale(QLocale(QLocale::Korean, QLocale::SouthKorea), false);
  EXPECT_EQ(Korean.ShortDateFormat, "yyyy.m.d");
  const TFormatSettings English = FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), true);
  EXPECT_EQ(English.LongMonthNames[2], "March");
  EXPECT_EQ(English.ShortDayNames[0], "Sun");
  EXPECT_FALSE(GetUserFormatSettings(true).ShortDateFormat.contains("mmm", Qt::CaseInsensitive));
  // Whatever locale the user has, dates and numbers shown in it read back.
  const QDate Date(2031, 11, 4);
  const auto Locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  ASSERT_GT(Locales.size(), 100);
  for (const QLocale& Locale : Locales) {
    const TFormatSettings S = FormatSettingsFromLocale(Locale, false);
    QDate Back;
    double Value = 0;
    SCOPED_TRACE(Locale.name().toStdString());
    EXPECT_TRUE(TryStrToDate(DateToStr(Date, S), Back, S));
    EXPECT_EQ(Back, Date);
    EXPECT_TRUE(TryStrToFloat(FormatFixed(-1234.5, 2, S), Value, S));
    EXPECT_EQ(Value, -1234.5);
  }
  const TFormatSettings F = FileFormatSettings();
  EXPECT_EQ(F.DecimalSeparator, u'.');
  EXPECT_TRUE(F.ThousandSeparator.isNull());
  EXPECT_EQ(F.ShortDateFormat, "m/d/yyyy");
  EXPECT_EQ(F.TwoDigitYearCenturyWindow, QDate::currentDate().year() - 1980);
  EXPECT_EQ(FormatFixed(1234.5, 1, F), "1234.5");
  EXPECT_EQ(FormatGeneral(1234.5, F), "1234.5");
  TFormatSettings Cleared = De;
  ClearFormatSettings(Cleared);
  QDate Parsed;
  double Value = 0;
  EXPECT_TRUE(TryStrToFloat("15", Value, Cleared));
  EXPECT_FALSE(TryStrToFloat("1.5", Value, Cleared));
  EXPECT_FALSE(TryStrToDate("1/2/2020", Parsed, Cleared));
}

TEST(Dates, ParseUnderUsGermanAndIsoSettings) {
  const int Year = QDate::currentDate().year();
  const struct {
    TFormatSettings Settings;
    const char* Text;
    QDate Date;  // invalid: refused
  } Cases[] = {
      {Us, "05/07/2015", {2015, 5, 7}},  {Us, " 5/17/2015 ", {2015, 5, 17}}, {Us, "2/29/2016", {2016, 2, 29}},
      {Us, "2/29/2015", {}},             {Us, "13/1/2015", {}},              {Us, "0/1/2015", {}},
      {Us, "5.17.2015", {}},             {Us, "5/17/2015/1", {}},            {Us, "5//2015", {}},
      {Us, "5/17/20155", {}},            {Us, "-5/17/2015", {}},             {Us, "5/17/0000", {}},
      {Us, "", {}},                      {Us, "12/31/9999", {9999, 12, 31}},
      {Us, "5/17", {Year, 5, 17}},       {De, "17.5.2015", {2015, 5, 17}},   {De, "17.5", {Year, 5, 17}},
      {De, "5/17/2015", {}},             {De, "31.04.2015", {}},             {Iso, "2015-5-7", {2015, 5, 7}},
      {Iso, "05-17", {Year, 5, 17}},     {Iso, "2015-17-05", {}},            {Iso, "2015/05/17", {}},
  };
  for (const auto& C : Cases) {
    QDate Date(1999, 9, 9);
    EXPECT_EQ(TryStrToDate(C.Text, Date, C.Settings), C.Date.isValid()) << C.Text;
    EXPECT_EQ(Date, C.Date.isValid() ? C.Date : QDate(1999, 9, 9)) << C.Text;
  }
  // Two-digit years: 80-99 are 1980-1999 and 00-79 2000-2079 in the files; window 0
  // puts them within 50 years of now.
  QDate Date;
  for (const auto& [Text, Expected] :
       {std::pair{"1/2/80", 1980}, {"1/2/79", 2079}, {"1/2/5", 2005}}) {
    EXPECT_TRUE(TryStrToDate(Text, Date, FileFormatSettings())) << Text;
    EXPECT_EQ(Date.year(), Expected) << Text;
  }
  TFormatSettings Near = Us;
  Near.TwoDigitYearCenturyWindow = 0;
  for (int Yy = 0; Yy < 100; ++Yy) {
    ASSERT_TRUE(TryStrToDate(QStringLiteral("1/2/%1").arg(Yy), Date, Near));
    EXPECT_LE(std::abs(Date.year() - QDate::currentDate().year()), 50) << Yy;
    EXPECT_EQ(Date.year() % 100, Yy) << Yy;
  }
  // With a year, or a default year: 29 February only in a leap default year.
  EXPECT_FALSE(TryStrToDateWithYear("5/17", Date, Us));
  EXPECT_FALSE(TryStrToDateWithYear("29.2", Date, De));
  EXPECT_TRUE(TryStrToDateDefYear("5/17/2012", Date, Us, 2015));
  EXPECT_EQ(Date, QDate(2012, 5, 17));
  EXPECT_TRUE(TryStrToDateDefYear("29.2", Date, De, 2024));
  EXPECT_EQ(Date, QDate(2024, 2, 29));
  EXPECT_FALSE(TryStrToDateDefYear("2/29", Date, Us, 2015));
  EXPECT_FALSE(TryStrToDateDefYear("2/30", Date, Us, 2016));
  EXPECT_EQ(Date, QDate(2024, 2, 29));
}

TEST(Dates, Texts) {
  const QDate Date(2015, 5, 7);
  TFormatSettings Slash = De, NoNames = Us, DayMonth = Us, Upper = Us;
  Slash.ShortDateFormat = "dd/mm/yy";
  NoNames.ShortMonthNames.clear();
  DayMonth.ShortDateFormat = "d/m";
  Upper.ShortDateFormat = "YYYY/MM/DD";
  const std::pair<QString, const char*> Texts[] = {
      {DateToStr(Date, Us), "5/7/2015"},        {DateToStr(Date, De), "07.05.2015"},
      {DateToStr(Date, Iso), "2015-05-07"},     {DateToStr(Date, Slash), "07.05.15"},
      {DateToStr(QDate(), Us), ""},             {FormatDate("mmm d, yyyy", Date, Us), "May 7, 2015"},
      {FormatDate("dddd d mmmm", Date, De), "Donnerstag 7 Mai"}, {FormatDate("ddd \"d\"d", Date, Us), "Thu d7"},
      {FormatDate("mmm", Date, NoNames), "May"},
      {DateToStrNoYear(Us, Date), "5/7"},       {DateToStrNoYear(De, Date), "07.05"},
      {DateToStrNoYear(Iso, Date), "05-07"},    {DateToStrNoYear(DayMonth, Date), "7/5"},
      {DateToStrNoYear(Upper, Date), "05/07"}};
  for (const auto& [Got, Expected] : Texts) EXPECT_EQ(Got, Expected);
  for (const auto& [Day, Days] : {std::pair{QDate(1900, 1, 1), 0}, {QDate(1899, 12, 31), 0},
                                  {QDate(1900, 1, 1).addDays(65535), 65535}, {QDate(1900, 1, 1).addDays(65536), 0},
                                  {QDate(2015, 5, 17), 42139}})
    EXPECT_EQ(DaysSince1900(Day), Days) << Day.toString().toStdString();
}

TEST(MakeTempFileName, UniqueEmptyFilesOrAnError) {
  const QString Plain1 = MakeTempFileName(""), Plain2 = MakeTempFileName(""), Xml = MakeTempFileName(".xml");
  for (const QString& Name : {Plain1, Plain2, Xml}) {
    const QFileInfo Info(Name);
    EXPECT_TRUE(Info.isFile()) << Name.toStdString();
    EXPECT_EQ(Info.size(), 0) << Name.toStdString();
    EXPECT_EQ(Info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
  }
  EXPECT_NE(Plain1, Plain2);
  EXPECT_TRUE(QFileInfo(Plain1).fileName().startsWith("TMP")) << Plain1.toStdString();
  EXPECT_TRUE(Plain1.endsWith(".tmp")) << Plain1.toStdString();
  const QString XmlName = QFileInfo(Xml).fileName();
  EXPECT_TRUE(XmlName.startsWith("{")) << XmlName.toStdString();
  EXPECT_TRUE(XmlName.endsWith("}.xml")) << XmlName.toStdString();
  EXPECT_EQ(XmlName.size(), 42);
  for (const QString& Name : {Plain1, Plain2, Xml}) QFile::remove(Name);
  const QByteArray Old = qgetenv("TMPDIR");
  QTemporaryDir Dir;
  qputenv("TMPDIR", Dir.filePath("gone/deeper").toLocal8Bit());
  EXPECT_THROW(MakeTempFileName(".json"), std::runtime_error);
  if (Old.isNull()) qunsetenv("TMPDIR");
  else qputenv("TMPDIR", Old);
}

}  // namespace
