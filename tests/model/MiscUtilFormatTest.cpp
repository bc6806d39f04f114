// The fast number formatting against the plain digit-string version it replaced,
// kept here as the reference: same text for random values of every magnitude, halves
// at the rounding place, ties at the 15th digit and the edges of the integer path.

#include "MiscUtil.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

struct TRefDecimal {
  bool Negative = false;
  std::string Digits;
  int PointPos = 0;
};

TRefDecimal RefDecimal15(double Value) {
  char Buffer[64];
  const auto End = std::to_chars(Buffer, Buffer + sizeof(Buffer), Value, std::chars_format::scientific, 14).ptr;
  const std::string Text(Buffer, End);
  TRefDecimal Dec;
  size_t Pos = 0;
  if (Text[Pos] == '-') {
    Dec.Negative = true;
    ++Pos;
  }
  const size_t E = Text.find('e', Pos);
  for (size_t I = Pos; I < E; ++I)
    if (Text[I] != '.') Dec.Digits += Text[I];
  int Exponent = 0;
  std::from_chars(Text.data() + E + 1 + (Text[E + 1] == '+' ? 1 : 0), Text.data() + Text.size(), Exponent);
  Dec.PointPos = Exponent + 1;
  if (Dec.Digits.find_first_not_of('0') == std::string::npos) {
    Dec.Negative = false;
    Dec.PointPos = 1;
  }
  return Dec;
}

std::string RefFormatFixed(double Value, int Decimals, char Sep) {
  TRefDecimal Dec = RefDecimal15(Value);
  const int Keep = Dec.PointPos + Decimals;
  std::string Digits;
  int PointPos = Dec.PointPos;
  if (Keep >= int(Dec.Digits.size())) {
    Digits = Dec.Digits;
  } else if (Keep >= 0) {
    Digits = Dec.Digits.substr(0, size_t(Keep));
    if (Dec.Digits[size_t(Keep)] >= '5') {
      int K = int(Digits.size()) - 1;
      while (K >= 0 && Digits[size_t(K)] == '9') Digits[size_t(K--)] = '0';
      if (K >= 0) {
        ++Digits[size_t(K)];
      } else {
        Digits.insert(Digits.begin(), '1');
        ++PointPos;
      }
    }
  }
  std::string IntPart, FracPart;
  const int IntLen = std::max(PointPos, 1);
  for (int Pos = 0; Pos < IntLen; ++Pos) {
    const int Index = Pos - (IntLen - PointPos);
    IntPart += (Index >= 0 && Index < int(Digits.size())) ? Digits[size_t(Index)] : '0';
  }
  for (int Pos = 0; Pos < Decimals; ++Pos) {
    const int Index = PointPos + Pos;
    FracPart += (Index >= 0 && Index < int(Digits.size())) ? Digits[size_t(Index)] : '0';
  }
  const bool AllZero = IntPart.find_first_not_of('0') == std::string::npos &&
                       FracPart.find_first_not_of('0') == std::string::npos;
  std::string Result = Dec.Negative && !AllZero ? "-" : "";
  Result.append(IntPart);
  if (Decimals > 0) Result.append(1, Sep).append(FracPart);
  return Result;
}

std::string RefFormatGeneral(double Value, char Sep) {
  TRefDecimal Dec = RefDecimal15(Value);
  const size_t Last = Dec.Digits.find_last_not_of('0');
  if (Last == std::string::npos) return "0";
  const std::string D = Dec.Digits.substr(0, Last + 1);
  const int Exponent = Dec.PointPos - 1;
  const int Len = int(D.size());
  std::string Result = Dec.Negative ? "-" : "";
  if (Exponent >= -5 && Exponent < 15) {
    if (Dec.PointPos <= 0) {
      Result.append(1, '0').append(1, Sep).append(size_t(-Dec.PointPos), '0').append(D);
    } else if (Dec.PointPos >= Len) {
      Result.append(D).append(size_t(Dec.PointPos - Len), '0');
    } else {
      Result.append(D, 0, size_t(Dec.PointPos)).append(1, Sep).append(D, size_t(Dec.PointPos));
    }
  } else {
    Result.append(1, D[0]);
    if (Len > 1) Result.append(1, Sep).append(D, 1);
    Result.append(1, 'E').append(std::to_string(Exponent));
  }
  return Result;
}

// Values of every kind the formatting meets, drawn with a fixed seed.
class TValueSource {
 public:
  explicit TValueSource(uint64_t Seed) : FRandom(Seed) {}
  double Next() {
    const double Sign = Bit() ? -1.0 : 1.0;
    switch (FRandom() % 6) {
      case 0: {  // any finite bit pattern
        double V;
        do {
          const uint64_t Bits = FRandom();
          std::memcpy(&V, &Bits, sizeof V);
        } while (!std::isfinite(V));
        return V;
      }
      case 1:  // a few decimals then a 5 at the rounding place: "x.xx5"
        return Sign * Parse(std::to_string(FRandom() % 1000000) + "." +
                            std::to_string(FRandom() % 1000).insert(0, FRandom() % 3, '0') + "5");
      case 2:  // a whole number of 16 digits ending in 5: a tie at the 15th digit
        return Sign * double(1000000000000000ULL + FRandom() % 8000000000000000ULL / 10 * 10 + 5);
      case 3: {  // next to a power of ten, at the edges of the integer path
        const double P = std::pow(10.0, double(int(FRandom() % 40) - 20));
        const int Steps = int(FRandom() % 5) - 2;
        double V = P;
        for (int I = 0; I < std::abs(Steps); ++I) V = std::nextafter(V, Steps < 0 ? 0.0 : 1e300);
        return Sign * V;
      }
      default: {  // a mantissa in [1, 10) at a magnitude of 1e-25 to 1e25
        std::uniform_real_distribution<double> Mantissa(1.0, 10.0);
        return Sign * Mantissa(FRandom) * std::pow(10.0, double(int(FRandom() % 51) - 25));
      }
    }
  }

 private:
  bool Bit() { return (FRandom() & 1) != 0; }
  static double Parse(const std::string& Text) {
    double V = 0;
    std::from_chars(Text.data(), Text.data() + Text.size(), V);
    return V;
  }
  std::mt19937_64 FRandom;
};

TEST(MiscUtilFormat, SameTextAsDigitStringVersion) {
  const TFormatSettings Settings[] = {UsFormatSettings(), GermanFormatSettings()};
  const double Fixed[] = {0.0, -0.0, 0.5, -0.5, 0.05, 2.675, 0.125, 9.9999999999999995, 999999999999999.5,
                          1e15, 1e-5, std::nextafter(1e-5, 0.0), std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::min()};
  TValueSource Source(20240611);
  for (int I = 0; I < 200000; ++I) {
    const double V = I < int(std::size(Fixed)) ? Fixed[I] : Source.Next();
    const int Decimals = I % 16;
    const TFormatSettings& S = Settings[I % 2];
    const char Sep = char(S.DecimalSeparator.unicode());
    ASSERT_EQ(FormatFixed(V, Decimals, S).toStdString(), RefFormatFixed(V, Decimals, Sep)) << V << " " << Decimals;
    ASSERT_EQ(FormatGeneral(V, S).toStdString(), RefFormatGeneral(V, Sep)) << V;
  }
}

}  // namespace
