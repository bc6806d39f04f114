#include "MiscUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

QByteArray ReadAll(const QString& FileName) {
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) return QByteArray();
  return File.readAll();
}

void WriteAll(const QString& FileName, const QByteArray& Bytes) {
  QFile File(FileName);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  ASSERT_EQ(File.write(Bytes), Bytes.size());
}

// The year a two-digit year lands in with a window W: within the 100 years from
// the current year - W.
int ExpectedYear(int TwoDigits, int Window) {
  const int Base = QDate::currentDate().year() - Window;
  int Year = Base / 100 * 100 + TwoDigits;
  if (Year < Base) Year += 100;
  return Year;
}

}  // namespace

// ---------------------------------------------------------------------------
// INI files
// ---------------------------------------------------------------------------

TEST(TMyIniFile, BooleanWords) {
  struct Case {
    const char* Text;
    bool IsTrue;
    bool IsFalse;
  };
  const Case Cases[] = {
      {"TRUE", true, false}, {"yes", true, false},  {"On", true, false},    {"1", true, false},
      {"false", false, true}, {"NO", false, true},  {"oFF", false, true},   {"0", false, true},
      {"Y", false, false},   {"", false, false},    {"2", false, false},    {"yess", false, false},
      {" yes", false, false}, {"-1", false, false},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(TMyIniFile::IsTrueText(C.Text), C.IsTrue) << C.Text;
    EXPECT_EQ(TMyIniFile::IsFalseText(C.Text), C.IsFalse) << C.Text;
  }
  EXPECT_EQ(TMyIniFile::BoolToText(true), "Yes");
  EXPECT_EQ(TMyIniFile::BoolToText(false), "No");
}

TEST(TMyIniFile, ReadBoolUsesWordsAndDefault) {
  TMyIniFile Ini;
  Ini.SetText("[S]\nA=yes\nB=On\nC=1\nD=no\nE=off\nF=0\nG=Y\nH=\nI=  TRUE  \n");
  for (bool Default : {false, true}) {
    EXPECT_TRUE(Ini.ReadBool("S", "A", Default));
    EXPECT_TRUE(Ini.ReadBool("S", "B", Default));
    EXPECT_TRUE(Ini.ReadBool("S", "C", Default));
    EXPECT_FALSE(Ini.ReadBool("S", "D", Default));
    EXPECT_FALSE(Ini.ReadBool("S", "E", Default));
    EXPECT_FALSE(Ini.ReadBool("S", "F", Default));
    EXPECT_EQ(Ini.ReadBool("S", "G", Default), Default);
    EXPECT_EQ(Ini.ReadBool("S", "H", Default), Default);
    EXPECT_TRUE(Ini.ReadBool("S", "I", Default));  // values are trimmed
    EXPECT_EQ(Ini.ReadBool("S", "Missing", Default), Default);
    EXPECT_EQ(Ini.ReadBool("NoSection", "A", Default), Default);
  }
  Ini.WriteBool("S", "A", false);
  Ini.WriteBool("S", "New", true);
  EXPECT_EQ(Ini.ReadString("S", "A", "?"), "No");
  EXPECT_EQ(Ini.ReadString("S", "New", "?"), "Yes");
}

TEST(TMyIniFile, ParsesLineEndsBlankLinesDuplicatesAndStrayKeys) {
  const QString Bodies[] = {
      "Stray=1\r\n; comment\r\n[Field]\r\nName = North 40 \r\n\r\nname=second\r\n"
      "NoEquals\r\n=NoKey\r\n[ Weather ]\r\nDay1=1,2\r\n[FIELD]\r\nCrop=Corn\r\n",
      "Stray=1\n; comment\n[Field]\nName = North 40 \n\nname=second\nNoEquals\n=NoKey\n"
      "[ Weather ]\nDay1=1,2\n[FIELD]\nCrop=Corn",
      "Stray=1\r; comment\r[Field]\rName = North 40 \r\rname=second\rNoEquals\r=NoKey\r"
      "[ Weather ]\rDay1=1,2\r[FIELD]\rCrop=Corn\r",
  };
  for (const QString& Body : Bodies) {
    TMyIniFile Ini;
    Ini.SetText(Body);
    EXPECT_EQ(Ini.ReadSections(), QStringList({"Field", "Weather"}));
    EXPECT_EQ(Ini.ReadString("field", "NAME", "?"), "North 40");  // first of two wins
    EXPECT_EQ(Ini.ReadString("Field", "Crop", "?"), "Corn");      // repeated section merges
    EXPECT_EQ(Ini.ReadSection("Field"), QStringList({"Name", "Crop"}));
    EXPECT_EQ(Ini.ReadString("Weather", "Day1", "?"), "1,2");
    EXPECT_FALSE(Ini.ValueExists("Field", "Stray"));
    EXPECT_FALSE(Ini.ValueExists("Field", "NoEquals"));
    EXPECT_TRUE(Ini.SectionExists("WEATHER"));
    EXPECT_FALSE(Ini.SectionExists("Stray"));
  }
}

TEST(TMyIniFile, WriteReadIntegerEraseAndDelete) {
  TMyIniFile Ini;
  Ini.WriteInteger("A", "N", -42);
  Ini.WriteString("A", "Text", "  padded  ");
  Ini.WriteString("A", "Bad", "12x");
  Ini.WriteString("B", "K", "v");
  EXPECT_EQ(Ini.ReadInteger("A", "N", 7), -42);
  EXPECT_EQ(Ini.ReadInteger("A", "Bad", 7), 7);
  EXPECT_EQ(Ini.ReadInteger("A", "Missing", 7), 7);
  EXPECT_EQ(Ini.ReadString("A", "Text", "?"), "padded");
  Ini.WriteString("a", "n", "5");  // replaces, keeps the original spelling
  EXPECT_EQ(Ini.ReadSection("A"), QStringList({"N", "Text", "Bad"}));
  EXPECT_EQ(Ini.ReadInteger("A", "N", 7), 5);
  Ini.DeleteKey("A", "TEXT");
  EXPECT_FALSE(Ini.ValueExists("A", "Text"));
  Ini.WriteString("C", "K", "c");
  Ini.EraseSection("b");
  EXPECT_EQ(Ini.ReadSections(), QStringList({"A", "C"}));
  EXPECT_EQ(Ini.ReadString("c", "k", "?"), "c");  // later sections still found
  Ini.EraseSection("A");
  EXPECT_EQ(Ini.ReadString("C", "K", "?"), "c");
  Ini.WriteString("A", "N", "again");
  EXPECT_EQ(Ini.ReadSections(), QStringList({"C", "A"}));
  Ini.Clear();
  EXPECT_TRUE(Ini.ReadSections().isEmpty());
}

TEST(TMyIniFile, DuplicateKeysAreAllDeleted) {
  TMyIniFile Ini;
  Ini.SetText("[S]\nK=1\nk=2\nL=3\n");
  Ini.DeleteKey("S", "K");
  EXPECT_FALSE(Ini.ValueExists("S", "K"));
  EXPECT_EQ(Ini.ReadString("S", "L", "?"), "3");
}

// A hostile file of many sections or keys is read in about linear time.
TEST(TMyIniFile, ManySectionsAndKeysDoNotHang) {
  QString Text;
  for (int I = 0; I < 100000; ++I) Text += QStringLiteral("[S%1]\n").arg(I);
  Text += QStringLiteral("[Big]\n");
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

TEST(TMyIniFile, LineBreaksInValuesCannotInjectLines) {
  TMyIniFile Ini;
  Ini.WriteString("Field", "Notes", "first\r\n[Evil]\nKey=1");
  TMyIniFile Copy;
  Copy.SetText(Ini.GetText());
  EXPECT_EQ(Copy.ReadSections(), QStringList({"Field"}));
  EXPECT_EQ(Copy.ReadString("Field", "Notes", "?"), "first  [Evil] Key=1");
}

TEST(TMyIniFile, TextRoundTrip) {
  TMyIniFile Ini;
  Ini.WriteString("SovInfo", "Version", "3");
  Ini.WriteString("Field", "Name", QString::fromUtf8("Feld Müller – Nord"));
  Ini.WriteString("Field", "Empty", "");
  Ini.WriteBool("Field", "Coastal", true);
  const QString Text = Ini.GetText();
  EXPECT_EQ(Text, QString::fromUtf8("[SovInfo]\r\nVersion=3\r\n\r\n[Field]\r\nName=Feld Müller – Nord\r\n"
                                    "Empty=\r\nCoastal=Yes\r\n\r\n"));
  TMyIniFile Copy;
  Copy.SetText(Text);
  EXPECT_EQ(Copy.GetText(), Text);
  EXPECT_TRUE(Copy.ValueExists("Field", "Empty"));
}

TEST(TMyIniFile, FileRoundTripAndEncodings) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("settings.ini");
  QString Msg;

  TMyIniFile Missing;
  EXPECT_TRUE(Missing.LoadFromFile(Name, Msg)) << Msg.toStdString();
  EXPECT_TRUE(Missing.ReadSections().isEmpty());
  EXPECT_EQ(Missing.FileName(), Name);

  TMyIniFile Ini;
  Ini.SetFileName(Name);
  Ini.WriteString("Field", "Farm", QString::fromUtf8("Ödön's € farm"));
  ASSERT_TRUE(Ini.UpdateFile(Msg)) << Msg.toStdString();
  EXPECT_EQ(ReadAll(Name), QByteArray("[Field]\r\nFarm=\xC3\x96\x64\xC3\xB6n's \xE2\x82\xAC farm\r\n\r\n"));
  TMyIniFile Back(Name);
  EXPECT_EQ(Back.ReadString("Field", "Farm", "?"), QString::fromUtf8("Ödön's € farm"));

  // An older file in Windows-1252, and one in UTF-8 with a byte-order mark.
  WriteAll(Name, QByteArray("[Field]\r\nFarm=\xD6\x64\xF6n \x80 \x93quoted\x94\r\n"));
  ASSERT_TRUE(Back.LoadFromFile(Name, Msg));
  EXPECT_EQ(Back.ReadString("Field", "Farm", "?"), QString::fromUtf8("Ödön € “quoted”"));
  WriteAll(Name, QByteArray("\xEF\xBB\xBF[Field]\nFarm=\xC3\x96\n"));
  ASSERT_TRUE(Back.LoadFromFile(Name, Msg));
  EXPECT_EQ(Back.ReadSections(), QStringList({"Field"}));
  EXPECT_EQ(Back.ReadString("Field", "Farm", "?"), QString::fromUtf8("Ö"));

  EXPECT_TRUE(Back.UpdateFile(Msg));
  EXPECT_FALSE(QFileInfo(Name).size() == 0);
  const QStringList Left = QDir(Dir.path()).entryList(QDir::Files);
  EXPECT_EQ(Left, QStringList({"settings.ini"}));  // no temporary file left behind
}

TEST(TMyIniFile, TruncatedAndGarbledBytes) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("garbled.ini");
  QString Msg;
  const QByteArray Good("[Field]\r\nName=Caf\xC3\xA9\r\nCrop=Corn\r\n");
  // Cut everywhere, including in the middle of the two-byte letter.
  for (qsizetype Len = 0; Len <= Good.size(); ++Len) {
    WriteAll(Name, Good.left(Len));
    TMyIniFile Ini;
    ASSERT_TRUE(Ini.LoadFromFile(Name, Msg)) << Msg.toStdString();
    if (Len >= 7) {
      EXPECT_TRUE(Ini.SectionExists("Field"));
    }
  }
  WriteAll(Name, Good.left(18));  // "...Name=Caf\xC3": falls back to Windows-1252
  TMyIniFile Cut(Name);
  EXPECT_EQ(Cut.ReadString("Field", "Name", "?"), QString::fromUtf8("CafÃ"));

  QRandomGenerator Random(12345);
  for (int Round = 0; Round < 200; ++Round) {
    QByteArray Bytes(int(Random.bounded(1, 400)), '\0');
    for (auto& B : Bytes) B = char(Random.bounded(256));
    if (Round % 2 == 0) Bytes.prepend("[S]\n");
    WriteAll(Name, Bytes);
    TMyIniFile Ini;
    ASSERT_TRUE(Ini.LoadFromFile(Name, Msg));
    TMyIniFile Copy;
    Copy.SetText(Ini.GetText());  // whatever was read survives a round trip
    EXPECT_EQ(Copy.GetText(), Ini.GetText());
  }
}

TEST(TMyIniFile, OversizedAndUnreadableFiles) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("big.ini");
  {
    QFile File(Name);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    const QByteArray Line = QByteArray("[S]\r\nK=") + QByteArray(1 << 20, 'x') + "\r\n";
    for (int I = 0; I < 17; ++I) File.write(Line);
  }
  TMyIniFile Ini;
  QString Msg;
  EXPECT_FALSE(Ini.LoadFromFile(Name, Msg));
  EXPECT_TRUE(Msg.contains(Name)) << Msg.toStdString();
  EXPECT_TRUE(Msg.contains("larger than 16 MB")) << Msg.toStdString();
  EXPECT_TRUE(Ini.ReadSections().isEmpty());

  EXPECT_FALSE(Ini.LoadFromFile(Dir.path(), Msg));
  EXPECT_TRUE(Msg.contains(Dir.path()));
  EXPECT_FALSE(Msg.isEmpty());

  TMyIniFile NoName;
  EXPECT_FALSE(NoName.UpdateFile(Msg));
  EXPECT_FALSE(Msg.isEmpty());
  TMyIniFile BadFolder;
  BadFolder.SetFileName(Dir.filePath("missing/folder/x.ini"));
  BadFolder.WriteString("S", "K", "V");
  EXPECT_FALSE(BadFolder.UpdateFile(Msg));
  EXPECT_TRUE(Msg.contains("missing/folder/x.ini")) << Msg.toStdString();
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

TEST(DecodeFileText, Utf8OrWindows1252) {
  struct Case {
    QByteArray Bytes;
    QString Text;
  };
  const Case Cases[] = {
      {"plain", "plain"},
      {"\xEF\xBB\xBFwith bom", "with bom"},
      {"caf\xC3\xA9", QString::fromUtf8("café")},
      {"caf\xE9", QString::fromUtf8("café")},                            // Windows-1252
      {"\x80\x85\x8A\x91\x92\x96\x9F", QString::fromUtf8("€…Š‘’–Ÿ")},  // the 0x80-0x9F table
      {"\x81\x8D", QString(QChar(0x81)) + QChar(0x8D)},                  // codes the page leaves open
      {"caf\xC3", QString::fromUtf8("cafÃ")},                           // cut short
      {"\xC0\xAF", QString::fromUtf8("À¯")},                             // overlong
      {"\xED\xA0\x80", QString::fromUtf8("í\u00A0€")},                  // a surrogate
      {"\xF4\x90\x80\x80", QString::fromUtf8("ô") + QChar(0x90) + QString::fromUtf8("€€")},  // above U+10FFFF
      {"\xF0\x9F\x8C\xBD", QString::fromUtf8("🌽")},
  };
  for (const Case& C : Cases) EXPECT_EQ(DecodeFileText(C.Bytes), C.Text) << C.Bytes.toHex().data();
  EXPECT_EQ(DecodeFileText(QByteArray("a\0b", 3)).size(), 3);
}

TEST(SplitLines, AllLineEnds) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), QStringList({"a"}));
  EXPECT_EQ(SplitLines("a\n\n"), QStringList({"a", ""}));
  EXPECT_EQ(SplitLines("\r\n\r\n"), QStringList({"", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), QStringList({"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").isEmpty());
}

// ---------------------------------------------------------------------------
// Delimited lines
// ---------------------------------------------------------------------------

TEST(TMyLineParser, QuotedFields) {
  TMyLineParser P;
  P.Quote = '"';
  const QString Line = "a,\"b,c\",d";
  EXPECT_EQ(P.GetField(Line, 1), "a");
  EXPECT_EQ(P.GetField(Line, 2), "b,c");
  EXPECT_EQ(P.GetField(Line, 3), "d");
  EXPECT_EQ(P.GetField(Line, 4), "");
  EXPECT_EQ(P.GetField(Line, 0), "");
  EXPECT_EQ(P.GetField(Line, -3), "");
  EXPECT_EQ(P.Fields(Line), QStringList({"a", "b,c", "d"}));

  EXPECT_EQ(P.GetField("x,  \" word \"  ,y", 2), "word");
  EXPECT_EQ(P.GetField("x,\",y", 2), "\",y");  // an open quote swallows the rest
  EXPECT_EQ(P.GetField("x, \" ", 2), "\"");    // one quotation mark alone stays
  EXPECT_EQ(P.GetField("\"\"", 1), "");

  TMyLineParser NoQuote;
  EXPECT_EQ(NoQuote.GetField(Line, 2), "\"b");
  EXPECT_EQ(NoQuote.GetField(Line, 3), "c\"");
}

TEST(TMyLineParser, EscapesRoundTrip) {
  TMyLineParser P;
  P.Escape = '\\';
  EXPECT_EQ(P.GetField("x\\,y,z", 1), "x\\,y");
  EXPECT_EQ(P.GetField("x\\,y,z", 2), "z");
  EXPECT_EQ(P.Unescape("x\\,y"), "x,y");
  EXPECT_EQ(P.EscapeText("a,b\\c"), "a\\,b\\\\c");
  EXPECT_EQ(P.Unescape("end\\"), "end\\");

  P.Quote = '"';
  const QString Values[] = {"plain", "a,b", "say \"hi\"", "back\\slash", ",\"\\", ""};
  QStringList Escaped;
  for (const QString& V : Values) Escaped << P.EscapeText(V);
  const QString Line = Escaped.join(',');
  for (int I = 0; I < 6; ++I) EXPECT_EQ(P.Unescape(P.GetField(Line, I + 1)), Values[I]) << I;
  EXPECT_EQ(P.Fields(Line).size(), 6);

  TMyLineParser Off;
  EXPECT_EQ(Off.Unescape("a\\,b"), "a\\,b");
  EXPECT_EQ(Off.EscapeText("a,b"), "a,b");
}

TEST(TMyLineParser, FieldIndex) {
  TMyLineParser P;
  EXPECT_EQ(P.FieldIndex("Date,High,Low", "low"), 3);
  EXPECT_EQ(P.FieldIndex("Date, High ,Low", "HIGH"), 2);
  EXPECT_EQ(P.FieldIndex("Date,,Low", "Low"), 0);  // stops at the empty field
  EXPECT_EQ(P.FieldIndex("Date,High", "Rain"), 0);
  EXPECT_EQ(P.FieldIndex("", "Rain"), 0);
  P.Delimiter = '\t';
  EXPECT_EQ(P.FieldIndex("Date\tRain, in\tWind", "rain, in"), 2);
}

TEST(TMyLineParser, FieldsAgreeWithGetField) {
  TMyLineParser P;
  P.Quote = '\'';
  P.Escape = '^';
  const QString Lines[] = {"", ",", "a", " a , b ,", "'x,y',^,z,'q'", "^", "a,'open", "''',x"};
  for (const QString& Line : Lines) {
    const QStringList All = P.Fields(Line);
    for (int N = 1; N <= All.size() + 1; ++N) {
      EXPECT_EQ(P.GetField(Line, N), N <= All.size() ? All[N - 1] : QString()) << Line.toStdString() << N;
    }
  }
}

// ---------------------------------------------------------------------------
// Text routines
// ---------------------------------------------------------------------------

TEST(TextRoutines, Padding) {
  EXPECT_EQ(PadRight("ab", 4), "ab  ");
  EXPECT_EQ(PadRightChar("ab", '.', 5), "ab...");
  EXPECT_EQ(PadLeft("ab", 4), "  ab");
  EXPECT_EQ(PadLeftChar("7", '0', 3), "007");
  EXPECT_EQ(PadRight("abcd", 2), "abcd");
  EXPECT_EQ(PadLeft("abcd", 4), "abcd");
  EXPECT_EQ(PadLeft("abcd", -1), "abcd");

  EXPECT_EQ(PadNumberLeft("-5", 4), "     -5");
  EXPECT_EQ(PadNumberLeft("12", 4), "    12");
  EXPECT_EQ(PadNumberLeft("12345", 4), "12345");
  EXPECT_EQ(PrintWidth("    12"), 4);
  EXPECT_EQ(PrintWidth("     -5"), 4);
  EXPECT_EQ(PrintWidth("12"), 2);
  EXPECT_EQ(PrintWidth(""), 0);
  for (int Width = 1; Width < 8; ++Width) EXPECT_EQ(PrintWidth(PadNumberLeft("1.5", Width)), std::max(3, Width));

  EXPECT_EQ(IfThenStr(true, "a", "b"), "a");
  EXPECT_EQ(IfThenStr(false, "a", "b"), "b");
  EXPECT_EQ(ScreenText("x y"), "x y");
  EXPECT_EQ(PrintText("x y"), "x y");
}

TEST(TextRoutines, WordWrap) {
  struct Case {
    const char* Text;
    int Width;
    bool Pad;
    const char* Line;
    const char* Rest;
  };
  const Case Cases[] = {
      {"abcdef ghi", 3, false, "abc", "def ghi"},
      {"abc def", 3, false, "abc", "def"},
      {"ab", 5, true, "ab   ", ""},
      {"ab", 5, false, "ab", ""},
      {"ab cdef", 4, false, "ab", "cdef"},
      {"ab  cd", 3, false, "ab", "cd"},
      {"one two three", 9, true, "one two  ", "three"},
      {"one two   three", 7, false, "one two", "three"},
      {"abcdefgh", 3, true, "abc", "defgh"},
      {"", 3, false, "", ""},
  };
  for (const Case& C : Cases) {
    QString Line, Rest;
    WordWrap(C.Text, C.Width, C.Pad, Line, Rest);
    EXPECT_EQ(Line, C.Line) << C.Text;
    EXPECT_EQ(Rest, C.Rest) << C.Text;
  }
}

TEST(TextRoutines, WordWrapAlwaysMakesProgress) {
  const QString Text = "The quick brown fox jumps over the lazy dog;  a   supercalifragilistic word ";
  for (int Width : {-2, 0, 1, 2, 5, 10, 80}) {
    QString Rest = Text;
    QStringList Words;
    int Lines = 0;
    while (!Rest.isEmpty() && Lines < 200) {
      QString Line;
      const QString Before = Rest;
      WordWrap(Before, Width, false, Line, Rest);
      EXPECT_LE(Line.size(), std::max(Width, 1));
      EXPECT_LT(Rest.size(), Before.size());
      Words << Line;
      ++Lines;
    }
    EXPECT_TRUE(Rest.isEmpty()) << Width;
    if (Width >= 20) {
      EXPECT_EQ(Words.join(' ').simplified(), Text.simplified());
    }
  }
}

TEST(TextRoutines, LimitDecimals) {
  const TFormatSettings Us = UsFormatSettings();
  const TFormatSettings De = GermanFormatSettings();
  EXPECT_EQ(LimitDecimals("3.14159", 2, Us), "3.14");
  EXPECT_EQ(LimitDecimals("3.1", 2, Us), "3.1");
  EXPECT_EQ(LimitDecimals("3.", 0, Us), "3.");  // nothing after the point
  EXPECT_EQ(LimitDecimals("3.5", 0, Us), "4");
  EXPECT_EQ(LimitDecimals("2.675", 2, Us), "2.68");
  EXPECT_EQ(LimitDecimals("-0.001", 2, Us), "0.00");
  EXPECT_EQ(LimitDecimals("1.2.345", 2, Us), "1.2.345");
  EXPECT_EQ(LimitDecimals("v1.2345", 2, Us), "v1.2345");
  EXPECT_EQ(LimitDecimals("1,23456", 2, Us), "1,23456");
  EXPECT_EQ(LimitDecimals("12", 2, Us), "12");
  EXPECT_EQ(LimitDecimals("1,23456", 2, De), "1,23");
  EXPECT_EQ(LimitDecimals("1.23456", 2, De), "1.23456");
}

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

TEST(Numbers, StrictFloatParsing) {
  struct Case {
    const char* Text;
    bool Ok;
    double Value;
  };
  const Case UsCases[] = {
      {"0", true, 0},         {"12", true, 12},         {"-3.25", true, -3.25},
      {"+4.5", true, 4.5},    {".5", true, 0.5},        {"5.", true, 5},
      {"-.5", true, -0.5},    {"1e3", true, 1000},      {"1.5E-2", true, 0.015},
      {"2e+2", true, 200},    {"007", true, 7},         {"1.7976931348623157e308", true, 1.7976931348623157e308},
      {"", false, 0},         {".", false, 0},          {"-", false, 0},
      {"+", false, 0},        {"e5", false, 0},         {"1e", false, 0},
      {"1e+", false, 0},      {" 1", false, 0},         {"1 ", false, 0},
      {"1,000", false, 0},    {"1,5", false, 0},        {"1.2.3", false, 0},
      {"nan", false, 0},      {"NaN", false, 0},        {"inf", false, 0},
      {"-Infinity", false, 0}, {"0x10", false, 0},      {"0x1p3", false, 0},
      {"12abc", false, 0},    {"--1", false, 0},        {"+-1", false, 0},
      {"1e309", false, 0},    {"-1e400", false, 0},     {"1e-400", false, 0},
      {"1e99999999999999999999", false, 0},             {"\xd9\xa1", false, 0},
      {"1\t", false, 0},      {"1e1.5", false, 0},
  };
  const TFormatSettings Us = UsFormatSettings();
  for (const Case& C : UsCases) {
    double Value = -999;
    EXPECT_EQ(TryStrToFloat(QString::fromUtf8(C.Text), Value, Us), C.Ok) << C.Text;
    EXPECT_EQ(Value, C.Ok ? C.Value : -999) << C.Text;
  }
  double Value = 0;
  EXPECT_TRUE(TryStrToFloat("0.1", Value, Us));
  EXPECT_EQ(Value, 0.1);  // correctly rounded
  EXPECT_TRUE(TryStrToFloat(QString(400, '0') + "1.25", Value, Us));
  EXPECT_EQ(Value, 1.25);

  const TFormatSettings De = GermanFormatSettings();
  EXPECT_TRUE(TryStrToFloat("-3,25", Value, De));
  EXPECT_EQ(Value, -3.25);
  EXPECT_TRUE(TryStrToFloat(",5", Value, De));
  EXPECT_EQ(Value, 0.5);
  EXPECT_FALSE(TryStrToFloat("3.25", Value, De));
  EXPECT_FALSE(TryStrToFloat("1.000,5", Value, De));

  // Data files are read with the file settings whatever the user's settings are.
  EXPECT_TRUE(TryStrToFloat("2.5", Value, FileFormatSettings()));
  EXPECT_EQ(Value, 2.5);
  EXPECT_FALSE(TryStrToFloat("2,5", Value, FileFormatSettings()));
  EXPECT_EQ(FormatFixed(1234.5, 1, FileFormatSettings()), "1234.5");
  EXPECT_EQ(FormatGeneral(1234.5, FileFormatSettings()), "1234.5");
}

TEST(Numbers, StrictIntegerParsing) {
  struct Case {
    const char* Text;
    bool Ok;
    int Value;
  };
  const Case Cases[] = {
      {"0", true, 0},           {"-17", true, -17},         {"+17", true, 17},
      {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0}, {"-2147483649", false, 0},  {"99999999999999999999", false, 0},
      {"", false, 0},           {"-", false, 0},            {"+-1", false, 0},
      {" 1", false, 0},         {"1 ", false, 0},           {"1.0", false, 0},
      {"1e3", false, 0},        {"0x1F", false, 0},         {"1,000", false, 0},
  };
  for (const Case& C : Cases) {
    int Value = -999;
    EXPECT_EQ(TryStrToInt(C.Text, Value), C.Ok) << C.Text;
    EXPECT_EQ(Value, C.Ok ? C.Value : -999) << C.Text;
  }
  int64_t Big = 0;
  EXPECT_TRUE(TryStrToInt64("9223372036854775807", Big));
  EXPECT_EQ(Big, std::numeric_limits<int64_t>::max());
  EXPECT_TRUE(TryStrToInt64("-9223372036854775808", Big));
  EXPECT_EQ(Big, std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", Big));
  EXPECT_FALSE(TryStrToInt64("1.5", Big));
}

TEST(Numbers, FormatFixedRoundsDecimalTextHalfAwayFromZero) {
  struct Case {
    double Value;
    int Decimals;
    const char* Text;
  };
  const Case Cases[] = {
      {2.675, 2, "2.68"},     {0.125, 2, "0.13"},       {1.005, 2, "1.01"},
      {-2.675, 2, "-2.68"},   {-0.125, 2, "-0.13"},     {2.5, 0, "3"},
      {-2.5, 0, "-3"},        {0.5, 0, "1"},            {0.49, 0, "0"},
      {-0.4, 0, "0"},         {-0.001, 2, "0.00"},      {-0.0, 1, "0.0"},
      {0.0, 0, "0"},          {9.995, 2, "10.00"},      {99.96, 1, "100.0"},
      {0.005, 2, "0.01"},     {0.0049, 2, "0.00"},      {0.0004, 2, "0.00"},
      {1e-20, 3, "0.000"},    {123456.789, 1, "123456.8"}, {1234567.0, 0, "1234567"},
      {1.5, 4, "1.5000"},     {1e20, 1, "100000000000000000000.0"},
      {0.1 + 0.2, 17, "0.30000000000000000"},  // 15 significant digits, then zeros
      {123456789012345678.0, 0, "123456789012346000"},
      {3.14159, -1, "3"},
  };
  const TFormatSettings Us = UsFormatSettings();
  for (const Case& C : Cases) EXPECT_EQ(FormatFixed(C.Value, C.Decimals, Us), C.Text) << C.Value << " " << C.Decimals;

  const TFormatSettings De = GermanFormatSettings();
  EXPECT_EQ(FormatFixed(1234.565, 2, De), "1234,57");  // no thousands separator
  EXPECT_EQ(FormatFixed(-0.0001, 3, De), "0,000");
  EXPECT_EQ(FormatFixed(std::nan(""), 2, Us), "");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 2, Us), "");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 0, Us).size(), 309);
}

TEST(Numbers, FormatGeneral) {
  struct Case {
    double Value;
    const char* Text;
  };
  const Case Cases[] = {
      {0.0, "0"},          {-0.0, "0"},          {0.1, "0.1"},       {12, "12"},
      {-3.25, "-3.25"},    {1e20, "1E20"},       {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},            {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},      {1234567890123456.0, "1.23456789012346E15"},
      {0.00001, "0.00001"}, {0.0000015, "1.5E-6"}, {-1.5e-7, "-1.5E-7"}, {100, "100"},
      {1e-300, "1E-300"},  {0.99999999999999999, "1"},
  };
  const TFormatSettings Us = UsFormatSettings();
  for (const Case& C : Cases) EXPECT_EQ(FormatGeneral(C.Value, Us), C.Text) << C.Value;
  EXPECT_EQ(FormatGeneral(-3.25, GermanFormatSettings()), "-3,25");
  EXPECT_EQ(FormatGeneral(1.5e-6, GermanFormatSettings()), "1,5E-6");
  EXPECT_EQ(FormatGeneral(std::nan(""), Us), "");

  // Every text given back reads back to the same 15-digit value.
  for (double V : {0.1, 2.675, 1e-5, 123.456e10, -7.25e-12}) {
    double Back = 0;
    ASSERT_TRUE(TryStrToFloat(FormatGeneral(V, Us), Back, Us));
    EXPECT_EQ(FormatGeneral(Back, Us), FormatGeneral(V, Us));
  }
}

TEST(Numbers, RoundHalfEven) {
  struct Case {
    double Value;
    int64_t Result;
  };
  const Case Cases[] = {
      {0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},   {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
      {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7, 7},   {-7, -7},  {1e15 + 0.5, 1000000000000000},
      {4503599627370497.0, 4503599627370497},
  };
  for (const Case& C : Cases) EXPECT_EQ(RoundHalfEven(C.Value), C.Result) << C.Value;
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<int64_t>::min());
}

TEST(Numbers, RoundRatioHalfEven) {
  struct Case {
    int64_t Num, Den, Result;
  };
  const Case Cases[] = {
      {1, 2, 0},   {3, 2, 2},    {5, 2, 2},    {7, 2, 4},   {-1, 2, 0},  {-3, 2, -2}, {-5, 2, -2},
      {5, -2, -2}, {-5, -2, 2},  {7, 3, 2},    {8, 3, 3},   {-7, 3, -2}, {-8, 3, -3}, {0, 5, 0},
      {10, 4, 2},  {14, 4, 4},   {6, 4, 2},    {9, 1, 9},
      {std::numeric_limits<int64_t>::max(), 2, int64_t(1) << 62},
      {std::numeric_limits<int64_t>::min(), -1, std::numeric_limits<int64_t>::max()},
      {std::numeric_limits<int64_t>::min(), 2, std::numeric_limits<int64_t>::min() / 2},
      {5, 0, 0},
  };
  for (const Case& C : Cases) EXPECT_EQ(RoundRatioHalfEven(C.Num, C.Den), C.Result) << C.Num << "/" << C.Den;
}

// ---------------------------------------------------------------------------
// Format settings
// ---------------------------------------------------------------------------

TEST(FormatSettings, FromLocales) {
  struct Case {
    QLocale Locale;
    const char* Format;
    QChar DateSep;
    QChar Decimal;
  };
  const Case Cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), "m/d/yyyy", '/', '.'},
      {QLocale(QLocale::German, QLocale::Germany), "dd.mm.yyyy", '.', ','},
      {QLocale(QLocale::Swedish, QLocale::Sweden), "yyyy-mm-dd", '-', ','},
      {QLocale(QLocale::English, QLocale::UnitedKingdom), "dd/mm/yyyy", '/', '.'},
      {QLocale(QLocale::Korean, QLocale::SouthKorea), "yyyy.m.d", '.', '.'},
      {QLocale(QLocale::Bulgarian, QLocale::Bulgaria), "d.mm.yyyy", '.', ','},
      {QLocale(QLocale::Arabic, QLocale::Egypt), "d/m/yyyy", '/', QChar(0x066B)},
      {QLocale(QLocale::Swahili, QLocale::Kenya), "dd/mm/yyyy", '/', '.'},
      {QLocale::c(), "m/d/yyyy", '/', '.'},
  };
  for (const Case& C : Cases) {
    const TFormatSettings S = FormatSettingsFromLocale(C.Locale, false);
    EXPECT_EQ(S.ShortDateFormat, C.Format) << C.Locale.name().toStdString();
    EXPECT_EQ(S.DateSeparator, C.DateSep) << C.Locale.name().toStdString();
    EXPECT_EQ(S.DecimalSeparator, C.Decimal) << C.Locale.name().toStdString();
    EXPECT_NE(S.ThousandSeparator, S.DecimalSeparator);
    EXPECT_EQ(S.LongMonthNames.size(), 12);
    EXPECT_EQ(S.ShortDayNames.size(), 7);
    // A date written in these settings reads back.
    const QDate Date(2031, 11, 4);
    QDate Back;
    EXPECT_TRUE(TryStrToDate(DateToStr(Date, S), Back, S)) << C.Locale.name().toStdString();
    EXPECT_EQ(Back, Date) << C.Locale.name().toStdString();
  }
  const TFormatSettings German = FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), false);
  EXPECT_EQ(German.ThousandSeparator, QChar('.'));
  EXPECT_EQ(German.LongMonthNames[2], QString::fromUtf8("März"));
  EXPECT_EQ(German.LongDayNames[0], "Sonntag");
  const TFormatSettings English = FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), true);
  EXPECT_EQ(English.LongMonthNames[2], "March");
  EXPECT_EQ(English.ShortDayNames[0], "Sun");
  EXPECT_EQ(English.DecimalSeparator, QChar(','));

  const TFormatSettings User = GetUserFormatSettings(true);
  EXPECT_FALSE(User.ShortDateFormat.contains("mmm", Qt::CaseInsensitive));
  EXPECT_EQ(User.LongMonthNames[0], "January");
}

// Whatever locale the user has, dates and numbers shown in it read back.
TEST(FormatSettings, EveryLocaleReadsBackWhatItShows) {
  const QList<QLocale> Locales =
      QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  ASSERT_GT(Locales.size(), 100);
  const QDate Date(2031, 11, 4);
  for (const QLocale& Locale : Locales) {
    const TFormatSettings S = FormatSettingsFromLocale(Locale, false);
    const std::string Name = Locale.name().toStdString();
    QString Letters = S.ShortDateFormat.toLower();
    Letters.remove(S.DateSeparator);
    EXPECT_TRUE(Letters == "mdyyyy" || Letters == "mmddyyyy" || Letters == "dmyyyy" ||
                Letters == "ddmmyyyy" || Letters == "dmmyyyy" || Letters == "ddmyyyy" ||
                Letters == "yyyymd" || Letters == "yyyymmdd" || Letters == "mmdyyyy" ||
                Letters == "mddyyyy" || Letters == "yyyymmd" || Letters == "yyyymdd")
        << Name << " " << S.ShortDateFormat.toStdString();
    QDate Back;
    EXPECT_TRUE(TryStrToDate(DateToStr(Date, S), Back, S) && Back == Date)
        << Name << " " << DateToStr(Date, S).toStdString();
    double Value = 0;
    EXPECT_TRUE(TryStrToFloat(FormatFixed(-1234.5, 2, S), Value, S) && Value == -1234.5) << Name;
  }
}

TEST(FormatSettings, FixedSettingsAndClear) {
  const TFormatSettings F = FileFormatSettings();
  EXPECT_EQ(F.DecimalSeparator, QChar('.'));
  EXPECT_TRUE(F.ThousandSeparator.isNull());
  EXPECT_EQ(F.ShortDateFormat, "m/d/yyyy");
  EXPECT_EQ(F.DateSeparator, QChar('/'));
  EXPECT_EQ(F.TwoDigitYearCenturyWindow, QDate::currentDate().year() - 1980);

  TFormatSettings S = GermanFormatSettings();
  ClearFormatSettings(S);
  EXPECT_TRUE(S.DecimalSeparator.isNull());
  EXPECT_TRUE(S.DateSeparator.isNull());
  EXPECT_TRUE(S.ShortDateFormat.isEmpty());
  EXPECT_TRUE(S.LongMonthNames.isEmpty());
  EXPECT_EQ(S.TwoDigitYearCenturyWindow, 0);
  double Value = 0;
  EXPECT_FALSE(TryStrToFloat("1.5", Value, S));
  EXPECT_TRUE(TryStrToFloat("15", Value, S));
  QDate Date;
  EXPECT_FALSE(TryStrToDate("1/2/2020", Date, S));
}

// ---------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------

TEST(Dates, ParseUnderUsGermanAndIsoSettings) {
  struct Case {
    TFormatSettings Settings;
    const char* Text;
    QDate Date;  // invalid: refused
  };
  const int Year = QDate::currentDate().year();
  const TFormatSettings Us = UsFormatSettings(), De = GermanFormatSettings(), Iso = IsoFormatSettings();
  const Case Cases[] = {
      {Us, "5/17/2015", QDate(2015, 5, 17)},   {Us, "05/07/2015", QDate(2015, 5, 7)},
      {Us, " 5/17/2015 ", QDate(2015, 5, 17)}, {Us, "2/29/2016", QDate(2016, 2, 29)},
      {Us, "2/29/2015", QDate()},              {Us, "2/30/2016", QDate()},
      {Us, "4/31/2015", QDate()},              {Us, "13/1/2015", QDate()},
      {Us, "0/1/2015", QDate()},               {Us, "1/0/2015", QDate()},
      {Us, "17/5/2015", QDate()},              {Us, "5.17.2015", QDate()},
      {Us, "5/17/2015/1", QDate()},            {Us, "5//2015", QDate()},
      {Us, "5/17/", QDate()},                  {Us, "a/b/c", QDate()},
      {Us, "5/17/20155", QDate()},             {Us, "-5/17/2015", QDate()},
      {Us, "5/17/0000", QDate()},              {Us, "", QDate()},
      {Us, "12/31/9999", QDate(9999, 12, 31)}, {Us, "1/1/0999", QDate(999, 1, 1)},
      {Us, "5/17", QDate(Year, 5, 17)},
      {De, "17.05.2015", QDate(2015, 5, 17)},  {De, "17.5.2015", QDate(2015, 5, 17)},
      {De, "17.5", QDate(Year, 5, 17)},        {De, "5/17/2015", QDate()},
      {De, "31.04.2015", QDate()},
      {Iso, "2015-05-17", QDate(2015, 5, 17)}, {Iso, "2015-5-7", QDate(2015, 5, 7)},
      {Iso, "05-17", QDate(Year, 5, 17)},      {Iso, "2015-17-05", QDate()},
      {Iso, "2015/05/17", QDate()},
  };
  for (const Case& C : Cases) {
    QDate Date(1999, 9, 9);
    EXPECT_EQ(TryStrToDate(C.Text, Date, C.Settings), C.Date.isValid()) << C.Text;
    EXPECT_EQ(Date, C.Date.isValid() ? C.Date : QDate(1999, 9, 9)) << C.Text;
  }
}

TEST(Dates, TwoDigitYearsUseTheCenturyWindow) {
  const TFormatSettings File = FileFormatSettings();
  const int Window = File.TwoDigitYearCenturyWindow;
  QDate Date;
  for (int Yy : {0, 1, 25, 49, 50, 79, 80, 99}) {
    const QString Text = QStringLiteral("1/2/%1").arg(Yy, 2, 10, QChar('0'));
    ASSERT_TRUE(TryStrToDate(Text, Date, File)) << Text.toStdString();
    EXPECT_EQ(Date.year(), ExpectedYear(Yy, Window)) << Yy;
  }
  ASSERT_TRUE(TryStrToDate("1/2/80", Date, File));
  EXPECT_EQ(Date.year(), 1980);
  ASSERT_TRUE(TryStrToDate("1/2/79", Date, File));
  EXPECT_EQ(Date.year(), 2079);
  ASSERT_TRUE(TryStrToDate("1/2/5", Date, File));
  EXPECT_EQ(Date.year(), 2005);

  // Window 0: within 50 years of the current year.
  TFormatSettings Near = UsFormatSettings();
  Near.TwoDigitYearCenturyWindow = 0;
  const int Now = QDate::currentDate().year();
  for (int Yy = 0; Yy < 100; ++Yy) {
    ASSERT_TRUE(TryStrToDate(QStringLiteral("1/2/%1").arg(Yy), Date, Near));
    EXPECT_GE(Date.year(), Now - 50);
    EXPECT_LT(Date.year(), Now + 50);
    EXPECT_EQ(Date.year() % 100, Yy);
  }
}

TEST(Dates, DateToStr) {
  const QDate Date(2015, 5, 7);
  EXPECT_EQ(DateToStr(Date, UsFormatSettings()), "5/7/2015");
  EXPECT_EQ(DateToStr(Date, FileFormatSettings()), "5/7/2015");
  EXPECT_EQ(DateToStr(Date, GermanFormatSettings()), "07.05.2015");
  EXPECT_EQ(DateToStr(Date, IsoFormatSettings()), "2015-05-07");
  TFormatSettings Slash = GermanFormatSettings();
  Slash.ShortDateFormat = "dd/mm/yy";
  EXPECT_EQ(DateToStr(Date, Slash), "07.05.15");
  EXPECT_EQ(DateToStr(QDate(), UsFormatSettings()), "");

  EXPECT_EQ(FormatDate("mmm d, yyyy", Date, UsFormatSettings()), "May 7, 2015");
  EXPECT_EQ(FormatDate("dddd d mmmm", Date, GermanFormatSettings()), "Donnerstag 7 Mai");
  EXPECT_EQ(FormatDate("yyyymmdd", Date, UsFormatSettings()), "20150507");
  EXPECT_EQ(FormatDate("yyyy-mm-dd", Date, GermanFormatSettings()), "2015-05-07");
  EXPECT_EQ(FormatDate("ddd \"d\"d", Date, UsFormatSettings()), "Thu d7");
  TFormatSettings NoNames = UsFormatSettings();
  NoNames.ShortMonthNames.clear();
  EXPECT_EQ(FormatDate("mmm", Date, NoNames), "May");
}

TEST(Dates, WithYearAndDefaultYear) {
  const TFormatSettings Us = UsFormatSettings();
  QDate Date;
  EXPECT_FALSE(TryStrToDateWithYear("5/17", Date, Us));
  EXPECT_TRUE(TryStrToDateWithYear("5/17/2015", Date, Us));
  EXPECT_EQ(Date, QDate(2015, 5, 17));
  EXPECT_FALSE(TryStrToDateWithYear("5/32/2015", Date, Us));

  EXPECT_TRUE(TryStrToDateDefYear("5/17", Date, Us, 2015));
  EXPECT_EQ(Date, QDate(2015, 5, 17));
  EXPECT_TRUE(TryStrToDateDefYear("5/17/2012", Date, Us, 2015));  // a typed year stays
  EXPECT_EQ(Date, QDate(2012, 5, 17));
  // 29 February without a year: only a leap DefaultYear has it, whatever this year is.
  EXPECT_TRUE(TryStrToDateDefYear("2/29", Date, Us, 2016));
  EXPECT_EQ(Date, QDate(2016, 2, 29));
  Date = QDate(2000, 1, 1);
  EXPECT_FALSE(TryStrToDateDefYear("2/29", Date, Us, 2015));
  EXPECT_EQ(Date, QDate(2000, 1, 1));
  EXPECT_FALSE(TryStrToDateDefYear("2/30", Date, Us, 2016));

  const TFormatSettings De = GermanFormatSettings();
  EXPECT_TRUE(TryStrToDateDefYear("29.2", Date, De, 2024));
  EXPECT_EQ(Date, QDate(2024, 2, 29));
  EXPECT_FALSE(TryStrToDateWithYear("29.2", Date, De));
}

TEST(Dates, DateToStrNoYear) {
  const QDate Date(2015, 5, 7);
  EXPECT_EQ(DateToStrNoYear(UsFormatSettings(), Date), "5/7");
  EXPECT_EQ(DateToStrNoYear(GermanFormatSettings(), Date), "07.05");
  EXPECT_EQ(DateToStrNoYear(IsoFormatSettings(), Date), "05-07");
  TFormatSettings S = UsFormatSettings();
  S.ShortDateFormat = "d/m";
  EXPECT_EQ(DateToStrNoYear(S, Date), "7/5");
  S.ShortDateFormat = "YYYY/MM/DD";
  EXPECT_EQ(DateToStrNoYear(S, Date), "05/07");
}

TEST(Dates, DaysSince1900) {
  EXPECT_EQ(DaysSince1900(QDate(1900, 1, 1)), 0);
  EXPECT_EQ(DaysSince1900(QDate(1900, 1, 2)), 1);
  EXPECT_EQ(DaysSince1900(QDate(1899, 12, 31)), 0);
  EXPECT_EQ(DaysSince1900(QDate(1901, 1, 1)), 365);
  EXPECT_EQ(DaysSince1900(QDate(1900, 1, 1).addDays(65535)), 65535);
  EXPECT_EQ(DaysSince1900(QDate(1900, 1, 1).addDays(65536)), 0);
  EXPECT_EQ(DaysSince1900(QDate(2015, 5, 17)), 42139);
  EXPECT_EQ(DaysSince1900(QDate()), 0);
}

// ---------------------------------------------------------------------------
// Temporary files
// ---------------------------------------------------------------------------

TEST(MakeTempFileName, CreatesUniqueEmptyFiles) {
  const QString Plain1 = MakeTempFileName("");
  const QString Plain2 = MakeTempFileName("");
  const QString Xml = MakeTempFileName(".xml");
  for (const QString& Name : {Plain1, Plain2, Xml}) {
    const QFileInfo Info(Name);
    EXPECT_TRUE(Info.isFile()) << Name.toStdString();
    EXPECT_EQ(Info.size(), 0);
    EXPECT_EQ(Info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
  }
  EXPECT_NE(Plain1, Plain2);
  EXPECT_TRUE(QFileInfo(Plain1).fileName().startsWith("TMP"));
  EXPECT_TRUE(Plain1.endsWith(".tmp"));
  const QString XmlName = QFileInfo(Xml).fileName();
  EXPECT_TRUE(XmlName.startsWith("{"));
  EXPECT_TRUE(XmlName.endsWith("}.xml"));
  EXPECT_EQ(XmlName.size(), 38 + 4);
  for (const QString& Name : {Plain1, Plain2, Xml}) QFile::remove(Name);
}

TEST(MakeTempFileName, ThrowsWhenTheFolderIsMissing) {
  const QByteArray Old = qgetenv("TMPDIR");
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  qputenv("TMPDIR", Dir.filePath("gone/deeper").toLocal8Bit());
  EXPECT_THROW(MakeTempFileName(""), std::runtime_error);
  EXPECT_THROW(MakeTempFileName(".json"), std::runtime_error);
  if (Old.isNull()) {
    qunsetenv("TMPDIR");
  } else {
    qputenv("TMPDIR", Old);
  }
}

