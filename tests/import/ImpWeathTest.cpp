#include "ImpWeath.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

TImportedWeather WeatherWith(std::initializer_list<const char*> Lines) {
  TImportedWeather W;
  for (const char* Line : Lines) W.Add(QString::fromUtf8(Line));
  return W;
}

TEST(ImpWeath, DayLineFieldsAndDates) {
  const TImportedWeather W =
      WeatherWith({"20160704=88.0,61.0,,0.12", "20160229=1", "19991231=", "20150229=1", "2016070=1", "2016-7-4=1",
                   "+2016070=1", "20161301=1", "20160100=1", "novalue", "２０１６０７０４=1"});
  const char* Expected[] = {"", "88.0", "61.0", "", "0.12", "", "", "", "", ""};
  for (int FieldNo = 0; FieldNo <= 9; ++FieldNo) EXPECT_EQ(W.GetDayField(0, FieldNo), QLatin1String(Expected[FieldNo]));
  // Bad indexes give empty fields rather than a crash.
  EXPECT_EQ(W.GetDayField(-1, 1), QString());
  EXPECT_EQ(W.GetDayField(11, 1), QString());
  // All fields at once are the fields one by one.
  EXPECT_EQ(W.GetDayFields(0), QStringList({"88.0", "61.0", "", "0.12"}));
  EXPECT_EQ(W.GetDayFields(11), QStringList());

  EXPECT_EQ(W.GetDayDate(0), QDate(2016, 7, 4));
  EXPECT_EQ(W.GetDayDate(1), QDate(2016, 2, 29));
  EXPECT_EQ(W.GetDayDate(2), QDate(1999, 12, 31));
  for (int I = 3; I <= 11; ++I) {
    QDate Date;
    EXPECT_FALSE(W.TryGetDayDate(I, Date)) << I;
    if (I < 11) {
      EXPECT_THROW(W.GetDayDate(I), EConvertError) << W.Strings(I).toStdString();
    }
  }
  EXPECT_THROW(W.GetDayDate(11), std::out_of_range);
  EXPECT_THROW(W.GetDayDate(-1), std::out_of_range);
  EXPECT_EQ(TImportedWeather::DayName(2013, 7, 4), u"20130704");
}

TEST(ImpWeath, EscapedNotesReadBackWithoutEscapes) {
  TImportedWeather W =
      WeatherWith({R"(20130701=80,60,,0.1,,,rain\, hail,0.5)", R"(20130702=80,60,,0.1,,,C:\\temp\\x=1)"});
  W.OutParser.Escape = u'\\';
  EXPECT_EQ(W.GetDayField(0, dfNotes), u"rain, hail");
  EXPECT_EQ(W.GetDayField(0, dfIrrigation), u"0.5");
  EXPECT_EQ(W.GetDayField(1, dfNotes), u"C:\\temp\\x=1");

  // Without an escape character the texts are taken as they are stored.
  W.OutParser.Escape = QChar();
  EXPECT_EQ(W.GetDayField(0, dfNotes), u"rain\\");
  EXPECT_EQ(W.GetDayField(0, dfIrrigation), u"hail");
  EXPECT_EQ(W.GetDayField(1, dfNotes), u"C:\\\\temp\\\\x=1");
}

TEST(ImpWeath, NameValueListChecksIndexes) {
  TImportedWeather W = WeatherWith({"a=1=2", "noequals", "B=x"});
  EXPECT_EQ(W.Names(0), u"a");
  EXPECT_EQ(W.ValueFromIndex(0), u"1=2");
  EXPECT_EQ(W.Names(1), QString());
  EXPECT_EQ(W.ValueFromIndex(1), QString());
  EXPECT_EQ(W.IndexOfName(u"b"_s), 2);  // names without case
  EXPECT_EQ(W.IndexOfName(u"noequals"_s), -1);
  EXPECT_EQ(W.Values(u"A"_s), u"1=2");
  for (int Bad : {-1, 3}) {
    EXPECT_THROW(W.Strings(Bad), std::out_of_range);
    EXPECT_THROW(W.Delete(Bad), std::out_of_range);
    EXPECT_THROW(W.Exchange(0, Bad), std::out_of_range);
  }
  EXPECT_THROW(W.Insert(4, u"x"_s), std::out_of_range);
}

// SplitFields must give exactly the fields that TMyLineParser.GetField gives one by one,
// and FindField the same column as TMyLineParser.FieldIndex.
void ExpectSameAsParser(const TMyLineParser& Parser, const QString& Line) {
  const QStringList Fields = SplitFields(Parser, Line);
  for (int N = 1; N <= Fields.size() + 1; ++N)
    ASSERT_EQ(FieldAt(Fields, N), Parser.GetField(Line, N)) << "line [" << Line.toStdString() << "] field " << N;
  for (const QString& Name : {u"a"_s, u"B"_s, u"a b"_s, u"x,y"_s, Fields.value(2)}) {
    ASSERT_EQ(FindField(Fields, Name), Parser.FieldIndex(Line, Name))
        << "line [" << Line.toStdString() << "] name " << Name.toStdString();
  }
}

TEST(ImpWeath, SplitFieldsMatchesLineParser) {
  const QChar Off;
  const struct {
    QChar Delimiter, Quote, Escape;
  } Parsers[] = {{u',', Off, Off},    {u',', u'"', Off}, {u',', Off, u'\\'},
                 {u',', u'"', u'\\'}, {u'\t', Off, Off}, {u' ', Off, Off}};
  const char* Lines[] = {"a,\"b,c\",d",        "\"a\" , \" b \",\"", "a\\",
                         "\"unterminated,a,b", "a\tb\t\tc",          "A,b,A B,x\\,y"};
  for (const auto& P : Parsers) {
    TMyLineParser Parser;
    Parser.Delimiter = P.Delimiter;
    Parser.Quote = P.Quote;
    Parser.Escape = P.Escape;
    for (const char* Line : Lines) ExpectSameAsParser(Parser, QString::fromLatin1(Line));
    // Random lines over the characters that matter.
    QRandomGenerator Random(1234);
    const QString Alphabet = QStringLiteral("aB ,\"\\\t x");
    for (int K = 0; K < 600; ++K) {
      QString Line;
      for (int I = int(Random.bounded(14)); I > 0; --I) Line += Alphabet.at(Random.bounded(Alphabet.size()));
      ExpectSameAsParser(Parser, Line);
    }
  }
  // A name is looked for only up to the first empty field.
  const QStringList Fields = SplitFields(TMyLineParser(), u"Date,,Tmax"_s);
  EXPECT_EQ(FindField(Fields, u"date"_s), 1);
  EXPECT_EQ(FindField(Fields, u"Tmax"_s), 0);
  EXPECT_EQ(FieldAt(Fields, 0), QString());
  EXPECT_EQ(FieldAt(Fields, 4), QString());
}

}  // namespace
