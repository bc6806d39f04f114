// Unit kinds: captions, conversions, number texts between unit systems and forms.

#include "TestSupport.h"

#include <cmath>

namespace {

// The kinds by their numbers, as the tables below list them.
TUnitKind UnitKind(int Number) { return static_cast<TUnitKind>(Number); }

TEST(UnitKinds, CaptionsAndConversions) {
  const QString Deg(QChar(0x00B0));
  const struct {
    int Kind;
    QString English, Metric;
  } Captions[] = {
      {1, "Feet", "Meters"},        {2, "Units/Acre", "Units/Hectare"}, {3, "Feet", "cm"},
      {4, "Inches", "cm"},          {5, "Inches", "mm"},               {6, "in.", "mm"},
      {7, "in", "mm"},              {8, Deg + "F", Deg + "C"},          {9, "degF", "degC"},
      {10, "mph", "mps"},           {11, "lbs/acre", "kg/ha"},          {12, "ton/acre", "MT/ha"},
      {13, "gal/acre", "liter/ha"}, {14, "lbs/gal", "kg/liter"},        {15, "lbs/1000 gal", "kg/1000 L"},
      {16, "lbs/ton", "kg/MT"},     {17, "mi.", "km"},                  {0, "", ""},
      {18, "", ""},
  };
  for (const auto& C : Captions) {
    EXPECT_EQ(TSovFile::UnitsLabel(UnitKind(C.Kind), false), C.English) << C.Kind;
    EXPECT_EQ(TSovFile::UnitsLabel(UnitKind(C.Kind), true), C.Metric) << C.Kind;
  }
  // English value and metric value of each converted kind, both ways.
  const struct {
    int Kind;
    double English, Metric;
  } Pairs[] = {{1, 3.281, 1},      {3, 20, 609.6},   {4, 1, 2.54},      {5, 9, 228.6},    {6, 0.2, 5.08},
               {7, 1, 25.4},       {8, 212, 100},    {8, -40, -40},     {9, 32, 0},       {10, 99, 44.2548},
               {11, 0.8922, 1},    {13, 1, 9.346},   {14, 1, 0.12},     {17, 0.6214, 1},  {8, 125, 51.6667}};
  for (const auto& P : Pairs) {
    EXPECT_NEAR(TSovFile::ToMetric(UnitKind(P.Kind), P.English), P.Metric, 1e-4) << P.Kind;
    EXPECT_NEAR(TSovFile::FromMetric(UnitKind(P.Kind), P.Metric), P.English, 1e-4) << P.Kind;
  }
  // Every kind converts back exactly; captions-only and unknown kinds never convert.
  for (int Kind = 0; Kind <= UnitKindCount + 1; ++Kind) {
    const bool Never = Kind == 0 || Kind == 2 || Kind == 12 || Kind == 15 || Kind == 16 || Kind > UnitKindCount;
    for (double X : {-40.0, 0.001, 3.5, 12345.678, 1e12}) {
      const double Back = TSovFile::FromMetric(UnitKind(Kind), TSovFile::ToMetric(UnitKind(Kind), X));
      EXPECT_NEAR(Back, X, 1e-12 * std::max(1.0, std::fabs(X)));
      EXPECT_TRUE(!Never || TSovFile::ToMetric(UnitKind(Kind), X) == X) << Kind;
    }
  }
}

TEST(ConvertNumberText, DecimalsSignificantDigitsAndForms) {
  const TFormatSettings Us = UsFormatSettings(), De = GermanFormatSettings();
  const struct {
    const char* Text;
    int Kind;
    bool German, FromMetric, ToMetric;
    const char* Expected;
  } Cases[] = {
      {"1.50", 5, false, false, true, "38.10"},  // into a smaller unit: the typed decimals
      {"20", 3, false, false, true, "610"},      {"-1.5", 4, false, false, true, "-3.8"},
      {"12", 5, false, true, false, "0.47"},     // into a larger unit: decimals grow
      {"45", 3, false, true, false, "1.5"},      {"-1", 7, false, true, false, "-0.04"},
      {"100", 11, false, true, false, "89.2"},   {"50", 8, false, false, true, "10"},
      {"254", 5, false, true, false, "10.00"},   // inches of water: two decimals at least
      {"25.4", 4, false, true, false, "10.0"},   {"1.5", 12, false, false, true, "1.5"},  // never converted
      {" abc ", 5, false, false, true, "abc"},   {"1,5", 5, false, false, true, "1,5"},  // not numbers
      {"nan", 5, false, false, true, "nan"},     {" 3.50 ", 5, false, false, false, "3.50"},
      {"   ", 5, false, false, true, ""},        {"0", 7, false, true, false, "0.00"},
      {"1e308", 13, false, false, true, "1e308"},  // the result would not be finite
      {"3.5", 5, true, false, false, "3,5"},     // US text to a German user
      {"12", 5, true, true, false, "0,47"},      {"1.5e-3", 0, true, true, true, "0,0015"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(TSovFile::ConvertNumberText(C.Text, UnitKind(C.Kind), C.German ? De : Us, Us, C.ToMetric, C.FromMetric),
              C.Expected)
        << C.Text << " kind " << C.Kind;
  EXPECT_EQ(TSovFile::ConvertNumberText("3,5", UnitKind(5), Us, De, true, false), "88.9");
  EXPECT_EQ(TSovFile::ConvertNumberText("1.234,5", UnitKind(5), Us, De, true, true), "1.234,5");  // grouping: no number
  EXPECT_EQ(TSovFile::ConvertNumberText("3.5", UnitKind(5), Us, De, true, false), "3.5");         // no number in German
}

// Over every kind, both directions and both forms: a converted number keeps the typed
// significant digits, is 0 only when it rounds to 0, lies within half a unit of its last
// decimal of the exact value, and only gains decimals when it shrinks.
TEST(ConvertNumberText, KeepsTheTypedPrecision) {
  auto Significant = [](const QString& Text) {  // digits from the first non-zero one on
    int N = 0;
    bool Started = false;
    for (QChar Ch : Text) {
      if (Ch.isDigit() && Ch != '0') Started = true;
      if (Ch.isDigit() && Started) ++N;
    }
    return N;
  };
  for (const TFormatSettings& Format : {UsFormatSettings(), GermanFormatSettings()}) {
    for (int Kind = 1; Kind <= UnitKindCount; ++Kind) {
      for (bool ToMetric : {false, true}) {
        for (const char* Raw : {"1", "5", "12", "99", "250", "1000", "7.5", "0.3", "0.05", "99.9", "-3", "1.25"}) {
          const QString Input = Local(Raw, Format);
          const QString Out = TSovFile::ConvertNumberText(Input, UnitKind(Kind), Format, Format, ToMetric, !ToMetric);
          SCOPED_TRACE(Input.toStdString() + " kind " + std::to_string(Kind) + " -> " + Out.toStdString());
          double In = 0, Result = 0;
          ASSERT_TRUE(TryStrToFloat(Input, In, Format) && TryStrToFloat(Out, Result, Format));
          const double Exact =
              ToMetric ? TSovFile::ToMetric(UnitKind(Kind), In) : TSovFile::FromMetric(UnitKind(Kind), In);
          const qsizetype Sep = Out.indexOf(Format.DecimalSeparator), InSep = Input.indexOf(Format.DecimalSeparator);
          const int Decimals = Sep < 0 ? 0 : int(Out.size() - Sep - 1);
          const int Typed = InSep < 0 ? 0 : int(Input.size() - InSep - 1);
          const double HalfUnit = 0.5 * std::pow(10.0, -Decimals);
          EXPECT_LE(std::fabs(Result - Exact), HalfUnit + 1e-9);
          EXPECT_TRUE(std::fabs(Exact) < HalfUnit || (Result != 0 && Significant(Out) >= Significant(Input)));
          const bool InchesOfWater = !ToMetric && Kind >= 5 && Kind <= 7;
          EXPECT_TRUE(InchesOfWater ? Decimals >= 2 : std::fabs(Exact) < std::fabs(In) || Decimals == Typed);
        }
      }
    }
  }
}

TEST(NumberForms, OnlyNumbersChangeTheirSeparator) {
  const TSovLookup& Lookup = DataLookup("field/FieldLookup.ini");
  TSovFile German(Lookup, GermanFormatSettings());
  for (const auto& [FileText, UserText] :
       {std::pair{"3.5", "3,5"}, {"-0.25", "-0,25"}, {" 40.5 ", " 40,5 "}, {"1e3", "1e3"}}) {
    EXPECT_EQ(German.FileToUserNumber(FileText), UserText);
    EXPECT_EQ(German.UserToFileNumber(UserText), FileText);
  }
  for (const char* Text : {"3.5.1", "abc", "", "3,5x", "1.234,5"}) EXPECT_EQ(German.FileToUserNumber(Text), Text);
  for (const char* Text : {"3,5,1", "3.5", "1.234,5", "inf"}) EXPECT_EQ(German.UserToFileNumber(Text), Text);
  EXPECT_EQ(German.FloatToUserStr(3.14159, 2), "3,14");
  EXPECT_EQ(German.FloatToFileStr(2.675, 2), "2.68");
  EXPECT_EQ(German.FloatToUserStr(-0.0001, 2), "0,00");
  for (const TFormatSettings& Format : {UsFormatSettings(), IsoFormatSettings()}) {
    TSovFile File(Lookup, Format);
    for (const char* Text : {"3.5", "3,5", " 1 ", "abc"}) {
      EXPECT_EQ(File.FileToUserNumber(Text), Text);
      EXPECT_EQ(File.UserToFileNumber(Text), Text);
    }
  }
}

}  // namespace
