// The stack-buffer number parsing against the std::string version it replaced, kept
// here as the reference: same verdict and the same bits for random numeric texts and
// for texts built from the characters that trip parsers up. And the INI lookups, which
// fold ASCII names themselves, against Qt's case folding.

#include "MiscUtil.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>

namespace {

bool IsDigit(QChar Ch) { return Ch.unicode() >= '0' && Ch.unicode() <= '9'; }

bool RefTryStrToFloat(const QString& Text, double& Value, const TFormatSettings& Settings) {
  std::string Canonical;
  qsizetype I = 0;
  const qsizetype N = Text.size();
  if (I < N && (Text[I] == QLatin1Char('+') || Text[I] == QLatin1Char('-'))) {
    if (Text[I] == QLatin1Char('-')) Canonical += '-';
    ++I;
  }
  std::string IntDigits;
  while (I < N && IsDigit(Text[I])) IntDigits += char(Text[I++].unicode());
  std::string FracDigits;
  bool HavePoint = false;
  if (I < N && !Settings.DecimalSeparator.isNull() && Text[I] == Settings.DecimalSeparator) {
    HavePoint = true;
    ++I;
    while (I < N && IsDigit(Text[I])) FracDigits += char(Text[I++].unicode());
  }
  if (IntDigits.empty() && FracDigits.empty()) return false;
  Canonical += IntDigits.empty() ? std::string("0") : IntDigits;
  if (HavePoint && !FracDigits.empty()) Canonical += '.' + FracDigits;
  if (I < N && (Text[I] == QLatin1Char('e') || Text[I] == QLatin1Char('E'))) {
    ++I;
    Canonical += 'e';
    if (I < N && (Text[I] == QLatin1Char('+') || Text[I] == QLatin1Char('-'))) {
      if (Text[I] == QLatin1Char('-')) Canonical += '-';
      ++I;
    }
    const qsizetype ExpStart = I;
    while (I < N && IsDigit(Text[I])) Canonical += char(Text[I++].unicode());
    if (I == ExpStart) return false;
  }
  if (I != N) return false;
  double Result = 0;
  const char* End = Canonical.data() + Canonical.size();
  const auto Parsed = std::from_chars(Canonical.data(), End, Result, std::chars_format::general);
  if (Parsed.ec != std::errc() || Parsed.ptr != End || !std::isfinite(Result)) return false;
  Value = Result;
  return true;
}

template <typename T>
bool RefTryStrToIntegral(const QString& Text, T& Value) {
  std::string Digits;
  qsizetype I = 0;
  if (I < Text.size() && (Text[I] == QLatin1Char('+') || Text[I] == QLatin1Char('-'))) {
    if (Text[I] == QLatin1Char('-')) Digits += '-';
    ++I;
  }
  if (I == Text.size()) return false;
  for (; I < Text.size(); ++I) {
    if (!IsDigit(Text[I])) return false;
    Digits += char(Text[I].unicode());
  }
  T Result{};
  const char* End = Digits.data() + Digits.size();
  const auto Parsed = std::from_chars(Digits.data(), End, Result);
  if (Parsed.ec != std::errc() || Parsed.ptr != End) return false;
  Value = Result;
  return true;
}

// Texts of two kinds, drawn with a fixed seed: well-formed numbers with every optional
// part and exponents far past the range of a double, and strings of risky characters
// (signs, both separators, blanks, letters of nan/inf/hex, Arabic-Indic and full-width
// digits, a no-break space, a NUL).
class TTextSource {
 public:
  explicit TTextSource(uint64_t Seed) : FRandom(Seed) {}
  QString Next(QChar Separator) {
    QString Text;
    if (Pick(2) == 0) {
      static const char16_t Risky[] = u"0123456789+-.,eE xXnaiNfF\t\u0660\u0665\uFF11\u00A0";
      const int Length = Pick(8);
      for (int I = 0; I < Length; ++I) Text += QChar(Risky[Pick(int(std::size(Risky)))]);
      return Text;
    }
    if (Pick(3) == 0) Text += QLatin1Char(Pick(2) ? '-' : '+');
    Text += Digits(Pick(4) == 0 ? Pick(30) : Pick(6));
    if (Pick(2)) Text += Separator + Digits(Pick(4) == 0 ? Pick(30) : Pick(5));
    if (Pick(3) == 0) {
      Text += QLatin1Char(Pick(2) ? 'e' : 'E');
      if (Pick(2)) Text += QLatin1Char(Pick(2) ? '-' : '+');
      Text += QString::number(Pick(4) == 0 ? Pick(700) : Pick(40));
    }
    return Text;
  }

 private:
  int Pick(int N) { return int(FRandom() % uint64_t(N)); }
  QString Digits(int Count) {
    QString Text;
    for (int I = 0; I < Count; ++I) Text += QChar(u'0' + Pick(10));
    return Text;
  }
  std::mt19937_64 FRandom;
};

uint64_t Bits(double Value) {
  uint64_t B;
  std::memcpy(&B, &Value, sizeof B);
  return B;
}

TEST(MiscUtilParse, SameResultsAsStringVersion) {
  TFormatSettings NoSeparator = UsFormatSettings();
  NoSeparator.DecimalSeparator = QChar();
  const TFormatSettings Settings[] = {UsFormatSettings(), GermanFormatSettings(), NoSeparator};
  const char* Fixed[] = {"", "+", "-", ".", ".5", "5.", "-.5e1", "+5.E-1", "1e", "1e+", "0x1A", "nan", "inf",
                         " 1", "1 ", "1,000.5", "1e308", "1e309", "-1e309", "1e-320", "1e-400", "0e-400",
                         "2147483647", "2147483648", "-2147483648", "-2147483649", "9223372036854775808",
                         "00000000000000000000000000000000000000000001.5", "1.7976931348623157e308"};
  TTextSource Source(20240612);
  int Accepted = 0;
  for (int I = 0; I < 300000; ++I) {
    const TFormatSettings& S = Settings[I % 3];
    const QChar Separator = (I / 3) % 4 == 0 ? QChar(u',') : QChar(u'.');
    const QString Text = I < int(std::size(Fixed)) ? QString::fromLatin1(Fixed[I]) : Source.Next(Separator);
    double New = -7.5, Ref = -7.5;
    const bool NewOk = TryStrToFloat(Text, New, S);
    ASSERT_EQ(NewOk, RefTryStrToFloat(Text, Ref, S)) << Text.toStdString();
    ASSERT_EQ(Bits(New), Bits(Ref)) << Text.toStdString();
    Accepted += NewOk;
    int NewInt = -7, RefInt = -7;
    ASSERT_EQ(TryStrToInt(Text, NewInt), RefTryStrToIntegral(Text, RefInt)) << Text.toStdString();
    ASSERT_EQ(NewInt, RefInt) << Text.toStdString();
    int64_t NewBig = -7, RefBig = -7;
    ASSERT_EQ(TryStrToInt64(Text, NewBig), RefTryStrToIntegral(Text, RefBig)) << Text.toStdString();
    ASSERT_EQ(NewBig, RefBig) << Text.toStdString();
  }
  EXPECT_GT(Accepted, 50000);  // the comparison covered real numbers, not only refusals
}

// Names of ASCII and other letters (with case pairs Qt folds, like the Kelvin sign and
// the long s) written in one case mix and read in another; the reference is a map
// keyed by Qt's folding, the first of repeated names read and written.
TEST(MiscUtilParse, IniNamesFoldLikeQt) {
  static const char16_t Letters[] = u"aAzZ09_ .-\u00e9\u00c9\u00df\u1e9e\u212a\u017f\u03a3\u03c3\u03c2";
  std::mt19937_64 Random(20240613);
  auto Pick = [&](int N) { return int(Random() % uint64_t(N)); };
  auto Recase = [&](const QString& Name) {
    QString Text;
    for (QChar Ch : Name) Text += Pick(2) ? Ch.toUpper() : Ch.toLower();
    return Pick(4) == 0 ? QStringLiteral(" ") + Text + QStringLiteral("\t") : Text;
  };
  std::map<QString, QString> Reference;
  QStringList Names;
  QString Text = QStringLiteral("[Sec]\n");
  for (int I = 0; I < 400; ++I) {
    QString Name = QStringLiteral("K");
    for (int L = Pick(4); L > 0; --L) Name += QChar(Letters[Pick(int(std::size(Letters)) - 1)]);
    Name = Name.trimmed();
    Names << Name;
    Text += Name + QLatin1Char('=') + QString::number(I) + QLatin1Char('\n');
    Reference.try_emplace(Name.toCaseFolded(), QString::number(I));
  }
  TMyIniFile Ini;
  Ini.SetText(Text);
  for (const QString& Name : Names) {
    const QString Asked = Recase(Name);
    ASSERT_EQ(Ini.ReadString(Recase(QStringLiteral("sec")), Asked, QString()), Reference[Name.toCaseFolded()])
        << Asked.toStdString();
    Ini.WriteString(QStringLiteral("SEC"), Recase(Name), Asked);  // stored trimmed
    Reference[Name.toCaseFolded()] = Asked.trimmed();
    ASSERT_EQ(Ini.ReadString(QStringLiteral("sec"), Name, QString()), Asked.trimmed()) << Asked.toStdString();
  }
  EXPECT_EQ(Ini.ReadSection(QStringLiteral("SEC")).size(), qsizetype(Reference.size()));
}

}  // namespace
