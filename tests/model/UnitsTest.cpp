#include "FieldTestLookup.h"
#include "SovFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

const QString Deg(QChar(0x00B0));

TEST(UnitKinds, Captions) {
  const struct {
    int Kind;
    QString English, Metric;
  } Cases[] = {
      {1, "Feet", "Meters"},         {2, "Units/Acre", "Units/Hectare"}, {3, "Feet", "cm"},
      {4, "Inches", "cm"},           {5, "Inches", "mm"},               {6, "in.", "mm"},
      {7, "in", "mm"},               {8, Deg + "F", Deg + "C"},          {9, "degF", "degC"},
      {10, "mph", "mps"},            {11, "lbs/acre", "kg/ha"},          {12, "ton/acre", "MT/ha"},
      {13, "gal/acre", "liter/ha"},  {14, "lbs/gal", "kg/liter"},        {15, "lbs/1000 gal", "kg/1000 L"},
      {16, "lbs/ton", "kg/MT"},      {17, "mi.", "km"},
  };
  for (const auto& Case : Cases) {
    EXPECT_EQ(TSovFile::UnitsLabel(Case.Kind, false), Case.English) << Case.Kind;
    EXPECT_EQ(TSovFile::UnitsLabel(Case.Kind, true), Case.Metric) << Case.Kind;
  }
  EXPECT_EQ(TSovFile::UnitsLabel(8, false).size(), 2);  // one degree character
  for (int Kind : {INT_MIN, -1, 0, 18, INT_MAX}) {
    EXPECT_TRUE(TSovFile::UnitsLabel(Kind, false).isEmpty());
    EXPECT_TRUE(TSovFile::UnitsLabel(Kind, true).isEmpty());
  }
}

TEST(UnitKinds, FixedPoints) {
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(8, 212), 100);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(9, 212), 100);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(8, 100), 212);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(8, 0), 32);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(8, -40), -40);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(3, 20), 609.6);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(3, 609.6), 20);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(4, 1), 2.54);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(5, 1), 25.4);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(6, 0.2), 5.08);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(1, 1), 3.281);
  EXPECT_NEAR(TSovFile::ToMetric(10, 1), 5280.0 / 3600.0 / 3.281, 1e-15);
  EXPECT_NEAR(TSovFile::ToMetric(10, 1), 0.44702, 1e-5);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(11, 1), 0.8922);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(13, 1), 9.346);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(14, 1), 0.12);
  EXPECT_DOUBLE_EQ(TSovFile::FromMetric(17, 1), 0.6214);
  // The validation bounds of the metric weather values.
  EXPECT_NEAR(TSovFile::ToMetric(8, 125), 51.6667, 1e-4);
  EXPECT_NEAR(TSovFile::ToMetric(10, 99), 44.255, 1e-3);
  EXPECT_DOUBLE_EQ(TSovFile::ToMetric(5, 9), 228.6);
}

TEST(UnitKinds, RoundTripsAndUnconvertedKinds) {
  const double Values[] = {-40, -1.5, 0, 0.001, 1, 3.5, 100, 12345.678, 1e12};
  for (int Kind = 1; Kind <= UnitKindCount; ++Kind) {
    const bool Never = Kind == 2 || Kind == 12 || Kind == 15 || Kind == 16;
    for (double X : Values) {
      const double Metric = TSovFile::ToMetric(Kind, X);
      EXPECT_NEAR(TSovFile::FromMetric(Kind, Metric), X, 1e-12 * std::max(1.0, std::fabs(X))) << Kind << " " << X;
      EXPECT_NEAR(TSovFile::ToMetric(Kind, TSovFile::FromMetric(Kind, X)), X, 1e-12 * std::max(1.0, std::fabs(X)));
      if (Never) {
        EXPECT_EQ(Metric, X);
        EXPECT_EQ(TSovFile::FromMetric(Kind, X), X);
      }
    }
  }
  for (int Kind : {INT_MIN, 0, 18, INT_MAX}) {
    EXPECT_EQ(TSovFile::ToMetric(Kind, 5), 5);
    EXPECT_EQ(TSovFile::FromMetric(Kind, 5), 5);
  }
}

// ---------------------------------------------------------------------------
// Number texts
// ---------------------------------------------------------------------------

struct ConvertCase {
  const char* Text;
  int Kind;
  bool FromMetric, ToMetric;
  const char* Expected;
};

TEST(ConvertNumberText, SameFormat) {
  const TFormatSettings Us = UsFormatSettings();
  const ConvertCase Cases[] = {
      // Conversions into a smaller unit keep the typed decimals.
      {"1.50", 5, false, true, "38.10"},
      {"3.5", 5, false, true, "88.9"},
      {"3", 5, false, true, "76"},
      {"20", 3, false, true, "610"},
      {"212", 8, false, false, "212"},
      {"-1.5", 4, false, true, "-3.8"},
      // Into a larger unit: decimals grow with the orders of magnitude lost.
      {"1", 5, true, false, "0.04"},
      {"12", 5, true, false, "0.47"},
      {"45", 3, true, false, "1.5"},
      {"1", 3, true, false, "0.03"},
      {"1000", 5, true, false, "39.37"},
      {"-1", 7, true, false, "-0.04"},
      {"0.5", 6, true, false, "0.02"},
      {"100", 11, true, false, "89.2"},
      {"10", 10, false, true, "4.5"},
      {"2", 14, false, true, "0.2"},
      {"50", 8, false, true, "10"},
      {"212", 9, false, true, "100"},
      {"32", 8, false, true, "0"},
      {"0", 4, false, true, "0"},
      // Inches of water get at least two decimals.
      {"254", 5, true, false, "10.00"},
      {"5", 6, true, false, "0.20"},
      {"0", 7, true, false, "0.00"},
      {"25.4", 4, true, false, "10.0"},
      // Kinds that are never converted, and unknown kinds.
      {"1.5", 12, false, true, "1.5"},
      {"7", 2, true, false, "7"},
      {"7", 0, true, false, "7"},
      // Texts that are not numbers come back trimmed.
      {" abc ", 5, false, true, "abc"},
      {"3.5.1", 5, false, true, "3.5.1"},
      {"1,5", 5, false, true, "1,5"},
      {"nan", 5, false, true, "nan"},
      {"", 5, false, true, ""},
      {"   ", 5, false, true, ""},
      {" 3.5 ", 5, true, true, "3.5"},
      {" 3.50 ", 5, false, false, "3.50"},
      {"1e308", 13, false, true, "1e308"},  // the result would not be finite
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TSovFile::ConvertNumberText(Case.Text, Case.Kind, Us, Us, Case.ToMetric, Case.FromMetric),
              Case.Expected)
        << Case.Text << " kind " << Case.Kind;
}

TEST(ConvertNumberText, BetweenFormats) {
  const TFormatSettings Us = UsFormatSettings();
  const TFormatSettings German = GermanFormatSettings();
  EXPECT_EQ(TSovFile::ConvertNumberText("3,5", 5, Us, German, true, false), "88.9");
  EXPECT_EQ(TSovFile::ConvertNumberText("3,5", 5, Us, German, false, false), "3.5");
  EXPECT_EQ(TSovFile::ConvertNumberText("3.5", 5, German, Us, false, false), "3,5");
  EXPECT_EQ(TSovFile::ConvertNumberText("12", 5, German, Us, false, true), "0,47");
  EXPECT_EQ(TSovFile::ConvertNumberText("-0.25", 0, German, Us, true, true), "-0,25");
  EXPECT_EQ(TSovFile::ConvertNumberText("1.5e-3", 0, German, Us, true, true), "0,0015");
  EXPECT_EQ(TSovFile::ConvertNumberText("1.234,5", 5, Us, German, true, true), "1.234,5");  // grouping: not a number
  EXPECT_EQ(TSovFile::ConvertNumberText("3.5", 5, Us, German, true, false), "3.5");         // not a number in German
}

// The significant digits of a number text: digits from the first non-zero one on.
int SignificantDigits(const QString& Text) {
  int Count = 0;
  bool Started = false;
  for (QChar Ch : Text) {
    if (!Ch.isDigit()) continue;
    if (Ch != '0') Started = true;
    if (Started) ++Count;
  }
  return Count;
}

int DecimalsOf(const QString& Text, QChar Separator) {
  const qsizetype Pos = Text.indexOf(Separator);
  return Pos < 0 ? 0 : int(Text.size() - Pos - 1);
}

// Over every kind, both directions and both formats: a converted number keeps the
// typed significant digits, never becomes 0 unless it is 0, lies within half a unit of
// its last decimal of the exact value, and only gains decimals when it shrinks.
TEST(ConvertNumberText, KeepsTheTypedPrecision) {
  const char* Inputs[] = {"1", "2", "5", "12", "45", "99", "100", "250", "1000", "7.5", "0.3", "0.05", "99.9", "-3", "1.25"};
  const TFormatSettings Formats[] = {UsFormatSettings(), GermanFormatSettings()};
  for (const TFormatSettings& Format : Formats) {
    for (int Kind = 1; Kind <= UnitKindCount; ++Kind) {
      for (bool ToMetric : {false, true}) {
        for (const char* Raw : Inputs) {
          QString Input = QString::fromLatin1(Raw);
          Input.replace('.', Format.DecimalSeparator);
          double In = 0;
          ASSERT_TRUE(TryStrToFloat(Input, In, Format));
          const QString Out = TSovFile::ConvertNumberText(Input, Kind, Format, Format, ToMetric, !ToMetric);
          SCOPED_TRACE(Input.toStdString() + " kind " + std::to_string(Kind) + (ToMetric ? " to metric" : " to English") +
                       " -> " + Out.toStdString());
          double Result = 0;
          ASSERT_TRUE(TryStrToFloat(Out, Result, Format));
          const double Exact = ToMetric ? TSovFile::ToMetric(Kind, In) : TSovFile::FromMetric(Kind, In);
          const int Decimals = DecimalsOf(Out, Format.DecimalSeparator);
          EXPECT_LE(std::fabs(Result - Exact), 0.5 * std::pow(10.0, -Decimals) + 1e-9);
          if (std::fabs(Exact) >= 0.5 * std::pow(10.0, -Decimals)) {
            EXPECT_NE(Result, 0.0);
            EXPECT_GE(SignificantDigits(Out), SignificantDigits(Input));
          }
          const int Typed = DecimalsOf(Input, Format.DecimalSeparator);
          const bool InchesOfWater = !ToMetric && Kind >= 5 && Kind <= 7;
          if (std::fabs(Exact) >= std::fabs(In) && !InchesOfWater) {
            EXPECT_EQ(Decimals, Typed);
          }
          if (InchesOfWater) {
            EXPECT_GE(Decimals, 2);
          }
        }
      }
    }
  }
}

class NumberFormsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Lookup = LoadFieldTestLookup().release(); }
  static void TearDownTestSuite() {
    delete Lookup;
    Lookup = nullptr;
  }
  static TSovLookup* Lookup;
};
TSovLookup* NumberFormsTest::Lookup = nullptr;

TEST_F(NumberFormsTest, GermanUserFormat) {
  TSovFile File(*Lookup, GermanFormatSettings());
  const struct {
    const char* FileText;
    const char* UserText;
  } Pairs[] = {{"3.5", "3,5"}, {"-0.25", "-0,25"}, {"40", "40"}, {" 40.5 ", " 40,5 "}, {"1e3", "1e3"}};
  for (const auto& Pair : Pairs) {
    EXPECT_EQ(File.FileToUserNumber(Pair.FileText), Pair.UserText);
    EXPECT_EQ(File.UserToFileNumber(Pair.UserText), Pair.FileText);
  }
  // Texts that are not numbers pass unchanged both ways.
  for (const char* Text : {"3.5.1", "abc", "", "  ", "3,5x", "1.234,5", "nan", "4 1/2"}) {
    EXPECT_EQ(File.FileToUserNumber(Text), Text);
  }
  for (const char* Text : {"3,5,1", "abc", "", "3.5", "1.234,5", "inf"}) {
    EXPECT_EQ(File.UserToFileNumber(Text), Text);
  }
  EXPECT_EQ(File.FloatToUserStr(3.14159, 2), "3,14");
  EXPECT_EQ(File.FloatToFileStr(3.14159, 2), "3.14");
  EXPECT_EQ(File.FloatToFileStr(2.675, 2), "2.68");
  EXPECT_EQ(File.FloatToUserStr(-0.0001, 2), "0,00");
  EXPECT_EQ(File.FloatToFileStr(12, 0), "12");
}

TEST_F(NumberFormsTest, PointUserFormatChangesNothing) {
  for (const TFormatSettings& Format : {UsFormatSettings(), IsoFormatSettings()}) {
    TSovFile File(*Lookup, Format);
    for (const char* Text : {"3.5", "3,5", " 1 ", "abc", ""}) {
      EXPECT_EQ(File.FileToUserNumber(Text), Text);
      EXPECT_EQ(File.UserToFileNumber(Text), Text);
    }
    EXPECT_EQ(File.FloatToUserStr(1.5, 1), "1.5");
  }
}

}  // namespace
