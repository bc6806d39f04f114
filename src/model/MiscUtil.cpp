#include "MiscUtil.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QUuid>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <utility>

#include <sys/stat.h>

namespace {

bool SameText(const QString& A, const QString& B) {
  return A.compare(B, Qt::CaseInsensitive) == 0;
}

bool IsAsciiDigit(QChar Ch) { return Ch.unicode() >= '0' && Ch.unicode() <= '9'; }

int CurrentYear() { return QDate::currentDate().year(); }

QStringList MonthNames(const QLocale& Locale, QLocale::FormatType Format) {
  QStringList Names;
  for (int Month = 1; Month <= 12; ++Month) Names << Locale.standaloneMonthName(Month, Format);
  return Names;
}

// Sunday first, as the date routines number the days.
QStringList DayNames(const QLocale& Locale, QLocale::FormatType Format) {
  QStringList Names;
  Names << Locale.standaloneDayName(7, Format);
  for (int Day = 1; Day <= 6; ++Day) Names << Locale.standaloneDayName(Day, Format);
  return Names;
}

void SetNames(TFormatSettings& Settings, const QLocale& Locale) {
  Settings.ShortMonthNames = MonthNames(Locale, QLocale::ShortFormat);
  Settings.LongMonthNames = MonthNames(Locale, QLocale::LongFormat);
  Settings.ShortDayNames = DayNames(Locale, QLocale::ShortFormat);
  Settings.LongDayNames = DayNames(Locale, QLocale::LongFormat);
}

const QLocale& EnglishLocale() {
  static const QLocale Locale(QLocale::English, QLocale::UnitedStates);
  return Locale;
}

// ---------------------------------------------------------------------------
// Decimal text of a double
// ---------------------------------------------------------------------------

// A finite value taken to 15 significant digits (the decimal nearest to its exact
// binary value, ties to even): the value is 0.Digits * 10^PointPos. Zero, negative
// zero included, is "000000000000000" with PointPos 1 and no sign.
constexpr int SignificantDigits = 15;

struct TDecimal {
  bool Negative = false;
  char Digits[SignificantDigits];
  int PointPos = 1;
};

// "00" to "99".
constexpr std::array<char, 200> DigitPairs = [] {
  std::array<char, 200> Pairs{};
  for (int I = 0; I < 100; ++I) {
    Pairs[size_t(2 * I)] = char('0' + I / 10);
    Pairs[size_t(2 * I + 1)] = char('0' + I % 10);
  }
  return Pairs;
}();

// Writes the 15 digits of N (10^14 <= N < 10^15): 7 and 8 digits, two at a time.
void StoreDigits(uint64_t N, TDecimal& Dec) {
  uint32_t High = uint32_t(N / 100000000);
  uint32_t Low = uint32_t(N % 100000000);
  for (int I = 13; I >= 7; I -= 2) {
    std::memcpy(Dec.Digits + I, DigitPairs.data() + 2 * (Low % 100), 2);
    Low /= 100;
  }
  for (int I = 5; I >= 1; I -= 2) {
    std::memcpy(Dec.Digits + I, DigitPairs.data() + 2 * (High % 100), 2);
    High /= 100;
  }
  Dec.Digits[0] = char('0' + High);
}

using TUInt128 = unsigned __int128;

constexpr uint64_t Pow10U64(int N) {
  uint64_t Result = 1;
  while (N-- > 0) Result *= 10;
  return Result;
}

constexpr std::array<uint64_t, 20> Pow10Table = [] {
  std::array<uint64_t, 20> Table{};
  for (int I = 0; I < 20; ++I) Table[size_t(I)] = Pow10U64(I);
  return Table;
}();

// The common magnitudes, 1e-5 <= Abs < 1e15, in exact integer arithmetic: with
// Abs = M * 2^-S, the 15 digits are M * 10^m / 2^S rounded half to even, for the m
// that puts the quotient in [10^14, 10^15). False when Abs lies outside that range.
bool FastDecimal15(double Abs, TDecimal& Dec) {
  if (!(Abs >= 1e-5 && Abs < 1e15)) return false;
  const uint64_t Bits = std::bit_cast<uint64_t>(Abs);
  const int BinExp = int(Bits >> 52) - 1023;  // Abs in [2^BinExp, 2^(BinExp + 1)), -17 .. 49
  const uint64_t M = (Bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
  const int Shift = 52 - BinExp;  // 3 .. 69
  constexpr uint64_t Low = Pow10U64(SignificantDigits - 1);
  constexpr uint64_t High = Pow10U64(SignificantDigits);
  // Digits before the point: floor(BinExp * log10(2)) + 1 or one more.
  int PointPos = ((BinExp * 78913) >> 18) + 1;
  for (int Try = 0; Try < 2; ++Try, ++PointPos) {
    const int Scale = SignificantDigits - PointPos;  // 0 .. 20
    if (Scale < 0 || Scale > 20) return false;
    TUInt128 P = TUInt128(M) * Pow10Table[size_t(std::min(Scale, 19))];  // below 2^120
    if (Scale == 20) P *= 10;
    const TUInt128 Q = P >> Shift;
    if (Q >= High) continue;
    if (Q < Low) return false;  // not reached: the first guess is never too high
    uint64_t N = uint64_t(Q);
    const TUInt128 Rest = P & ((TUInt128(1) << Shift) - 1);
    const TUInt128 Half = TUInt128(1) << (Shift - 1);
    if (Rest > Half || (Rest == Half && (N & 1) != 0)) ++N;
    if (N == High) {
      N = Low;
      ++PointPos;
    }
    StoreDigits(N, Dec);
    Dec.PointPos = PointPos;
    return true;
  }
  return false;
}

TDecimal ToDecimal15(double Value) {
  TDecimal Dec;
  if (Value == 0) {
    std::fill(std::begin(Dec.Digits), std::end(Dec.Digits), '0');
    return Dec;
  }
  Dec.Negative = Value < 0;
  if (FastDecimal15(std::fabs(Value), Dec)) return Dec;
  // Very large and very small values: "d.dddddddddddddde[+-]x".
  char Buffer[64];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof(Buffer), std::fabs(Value),
                                    std::chars_format::scientific, SignificantDigits - 1);
  const char* P = Buffer;
  int Count = 0;
  for (; P < Result.ptr && *P != 'e'; ++P) {
    if (*P != '.' && Count < SignificantDigits) Dec.Digits[Count++] = *P;
  }
  int Exponent = 0;
  if (P < Result.ptr) {
    ++P;
    if (P < Result.ptr && *P == '+') ++P;
    std::from_chars(P, Result.ptr, Exponent);
  }
  std::fill(Dec.Digits + Count, Dec.Digits + SignificantDigits, '0');
  Dec.PointPos = Exponent + 1;
  return Dec;
}

// ---------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------

enum class TDateOrder { MDY, DMY, YMD };

TDateOrder DateOrderOf(const QString& Format) {
  for (QChar Ch : Format) {
    switch (Ch.toLower().unicode()) {
      case 'y':
        return TDateOrder::YMD;
      case 'd':
        return TDateOrder::DMY;
      case 'm':
        return TDateOrder::MDY;
      default:
        break;
    }
  }
  return TDateOrder::MDY;
}

bool IsDateSeparator(QChar Ch, const TFormatSettings& Settings) {
  return Ch == QLatin1Char('/') || (!Settings.DateSeparator.isNull() && Ch == Settings.DateSeparator);
}

// A whole number of 1 to 4 ASCII digits, blanks around it allowed.
bool ParseDatePart(const QString& Text, int& Value, int& DigitCount) {
  const QString Part = TrimText(Text);
  if (Part.isEmpty() || Part.size() > 4) return false;
  Value = 0;
  for (QChar Ch : Part) {
    if (!IsAsciiDigit(Ch)) return false;
    Value = Value * 10 + (Ch.unicode() - '0');
  }
  DigitCount = int(Part.size());
  return true;
}

int ExpandTwoDigitYear(int Year, int Window) {
  const int Now = CurrentYear();
  const int Base = Now - (Window > 0 ? Window : 50);
  int Result = Base / 100 * 100 + Year;
  if (Result < Base) Result += 100;
  return Result;
}

// Splits a typed date into day, month and year (Year 0 when no year was typed).
bool ParseDateParts(const QString& Text, const TFormatSettings& Settings, int& Day, int& Month,
                    int& Year) {
  if (Settings.DateSeparator.isNull()) return false;
  const QStringList Parts = TrimText(Text).split(Settings.DateSeparator);
  if (Parts.size() != 2 && Parts.size() != 3) return false;
  int Values[3] = {0, 0, 0};
  int Digits[3] = {0, 0, 0};
  for (qsizetype I = 0; I < Parts.size(); ++I) {
    if (!ParseDatePart(Parts[I], Values[I], Digits[I])) return false;
  }
  // Where the day, month and year stand in each order; a date without its year reads
  // month first unless the order puts the day first.
  static constexpr int Places[3][3] = {{1, 0, 2}, {0, 1, 2}, {2, 1, 0}};  // MDY, DMY, YMD
  TDateOrder Order = DateOrderOf(Settings.ShortDateFormat);
  if (Parts.size() == 2 && Order == TDateOrder::YMD) Order = TDateOrder::MDY;
  const int* Place = Places[int(Order)];
  Day = Values[Place[0]];
  Month = Values[Place[1]];
  Year = 0;
  if (Parts.size() == 3) {
    Year = Values[Place[2]];
    if (Digits[Place[2]] <= 2) Year = ExpandTwoDigitYear(Year, Settings.TwoDigitYearCenturyWindow);
    if (Year < 1) return false;
  }
  return Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31;
}

QString NameOrDefault(const QStringList& Names, int Index, const QString& Default) {
  return (Index >= 0 && Index < Names.size()) ? Names[Index] : Default;
}

// Counts how often the character at Pos repeats.
qsizetype RunLength(const QString& Text, qsizetype Pos) {
  const QChar Ch = Text[Pos].toLower();
  qsizetype End = Pos;
  while (End < Text.size() && Text[End].toLower() == Ch) ++End;
  return End - Pos;
}

// ---------------------------------------------------------------------------
// Windows-1252
// ---------------------------------------------------------------------------

// 0x80-0x9F; the five codes the code page leaves open map to the C1 controls.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The length of the UTF-8 sequence at Data (1 for an ASCII byte), or 0 when the bytes
// there are no valid sequence. Strict: no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut short.
int Utf8SequenceLength(const unsigned char* Data, qsizetype Size) {
  const unsigned char B = Data[0];
  if (B < 0x80) return 1;
  int Count;
  unsigned char Low = 0x80;
  unsigned char High = 0xBF;
  if (B >= 0xC2 && B <= 0xDF) {
    Count = 1;
  } else if (B >= 0xE0 && B <= 0xEF) {
    Count = 2;
    if (B == 0xE0) Low = 0xA0;
    if (B == 0xED) High = 0x9F;
  } else if (B >= 0xF0 && B <= 0xF4) {
    Count = 3;
    if (B == 0xF0) Low = 0x90;
    if (B == 0xF4) High = 0x8F;
  } else {
    return 0;
  }
  if (Size <= Count) return 0;
  if (Data[1] < Low || Data[1] > High) return 0;
  for (int K = 2; K <= Count; ++K) {
    if (Data[K] < 0x80 || Data[K] > 0xBF) return 0;
  }
  return Count + 1;
}

constexpr qint64 MaxIniFileSize = 16 * 1024 * 1024;

// Qt's case folding of an ASCII character.
char16_t FoldAscii(char16_t Ch) { return Ch >= 'A' && Ch <= 'Z' ? char16_t(Ch + ('a' - 'A')) : Ch; }

// Name case-folded; ASCII names without Qt's tables, and without a copy when they
// hold no capital.
QString FoldName(const QString& Name) {
  bool Capital = false;
  for (QChar Ch : Name) {
    if (Ch.unicode() >= 0x80) return Name.toCaseFolded();
    Capital = Capital || FoldAscii(Ch.unicode()) != Ch.unicode();
  }
  if (!Capital) return Name;
  QString Folded = Name;
  QChar* Out = Folded.data();  // the one copy
  for (qsizetype I = 0; I < Folded.size(); ++I) Out[I] = QChar(FoldAscii(Out[I].unicode()));
  return Folded;
}

// Name without the blanks and control characters around it, as TrimText.
QStringView TrimView(QStringView Name) {
  qsizetype First = 0;
  qsizetype Last = Name.size();
  while (First < Last && Name[First].unicode() <= ' ') ++First;
  while (Last > First && Name[Last - 1].unicode() <= ' ') --Last;
  return Name.sliced(First, Last - First);
}

// Find(Folded) for Name trimmed and case-folded. ASCII names (those of every file the
// program reads) are folded into a buffer on the stack, so that the many lookups of a
// load allocate nothing; others take Qt's folding.
template <class TFind>
auto WithFoldedName(QStringView Name, TFind Find) {
  const QStringView Trimmed = TrimView(Name);
  QVarLengthArray<QChar, 64> Folded(Trimmed.size());
  for (qsizetype I = 0; I < Trimmed.size(); ++I) {
    const char16_t Ch = Trimmed[I].unicode();
    if (Ch >= 0x80) return Find(FoldName(Trimmed.toString()));
    Folded[I] = QChar(FoldAscii(Ch));
  }
  return Find(QString::fromRawData(Folded.data(), Folded.size()));
}

// A line of an INI file holds no line break.
QString SingleLine(const QString& Text) {
  QString Result = Text;
  Result.replace(QLatin1Char('\r'), QLatin1Char(' '));
  Result.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return TrimText(Result);
}

}  // namespace

// ---------------------------------------------------------------------------
// Format settings
// ---------------------------------------------------------------------------

void ClearFormatSettings(TFormatSettings& Settings) {
  Settings.DecimalSeparator = QChar();
  Settings.ThousandSeparator = QChar();
  Settings.DateSeparator = QChar();
  Settings.ShortDateFormat.clear();
  Settings.TwoDigitYearCenturyWindow = 0;
  Settings.ShortMonthNames.clear();
  Settings.LongMonthNames.clear();
  Settings.ShortDayNames.clear();
  Settings.LongDayNames.clear();
}

TFormatSettings FormatSettingsFromLocale(const QLocale& Locale, bool EnglishNames) {
  TFormatSettings Settings;
  const QString Decimal = Locale.decimalPoint();
  Settings.DecimalSeparator = Decimal.isEmpty() ? QChar('.') : Decimal[0];
  const QString Group = Locale.groupSeparator();
  Settings.ThousandSeparator = Group.isEmpty() ? QChar() : Group[0];
  if (Settings.ThousandSeparator == Settings.DecimalSeparator) Settings.ThousandSeparator = QChar();
  Settings.TwoDigitYearCenturyWindow = 50;
  SetNames(Settings, EnglishNames ? EnglishLocale() : Locale);

  // Takes the day, month and year out of the locale's format and the first separator
  // between them; the format is rebuilt from those alone, so quoted words, marks and
  // trailing dots of some locales drop out.
  // The C locale has no short date of its own (it names the month): use the US one.
  const QString Format = Locale.language() == QLocale::C ? QStringLiteral("M/d/yyyy")
                                                         : Locale.dateFormat(QLocale::ShortFormat);
  QStringList Parts;
  QChar Separator;
  bool InQuote = false;
  bool HaveSeen[3] = {false, false, false};
  for (qsizetype I = 0; I < Format.size();) {
    const QChar Ch = Format[I];
    if (Ch == QLatin1Char('\'')) {
      InQuote = !InQuote;
      ++I;
      continue;
    }
    if (InQuote) {
      ++I;
      continue;
    }
    const qsizetype Count = RunLength(Format, I);
    const char16_t Letter = Ch.unicode();
    if (Letter == 'd' && Count <= 2 && !HaveSeen[0]) {
      Parts << QString(Count, QLatin1Char('d'));
      HaveSeen[0] = true;
    } else if (Letter == 'M' && !HaveSeen[1]) {
      Parts << QString(Count == 1 ? 1 : 2, QLatin1Char('m'));
      HaveSeen[1] = true;
    } else if (Letter == 'y' && !HaveSeen[2]) {
      Parts << QStringLiteral("yyyy");
      HaveSeen[2] = true;
    } else if (Parts.size() == 1 && Separator.isNull() && !Ch.isLetterOrNumber() &&
               !Ch.isSpace() && Ch.category() != QChar::Other_Format) {
      Separator = Ch;
    }
    I += Ch.isLetter() ? Count : 1;
  }
  if (Parts.size() == 3 && Separator.isNull()) Separator = QLatin1Char(' ');
  if (Parts.size() == 3) {
    Settings.DateSeparator = Separator;
    Settings.ShortDateFormat = Parts.join(Separator);
  } else {
    Settings.DateSeparator = QLatin1Char('/');
    Settings.ShortDateFormat = QStringLiteral("m/d/yyyy");
  }
  return Settings;
}

TFormatSettings GetUserFormatSettings(bool EnglishNames) {
  return FormatSettingsFromLocale(QLocale::system(), EnglishNames);
}

namespace {
// Fixed settings: the separators, the short date format, the century window for
// two-digit years and the day and month names of NamesLocale.
TFormatSettings FixedSettings(char Decimal, QChar Thousand, char DateSeparator, const char* DateFormat, int Window,
                              const QLocale& NamesLocale) {
  TFormatSettings Settings;
  Settings.DecimalSeparator = QLatin1Char(Decimal);
  Settings.ThousandSeparator = Thousand;
  Settings.DateSeparator = QLatin1Char(DateSeparator);
  Settings.ShortDateFormat = QString::fromLatin1(DateFormat);
  Settings.TwoDigitYearCenturyWindow = Window;
  SetNames(Settings, NamesLocale);
  return Settings;
}
}  // namespace

TFormatSettings FileFormatSettings() {
  return FixedSettings('.', QChar(), '/', "m/d/yyyy", std::max(0, CurrentYear() - 1980), EnglishLocale());
}

TFormatSettings UsFormatSettings() {
  return FixedSettings('.', QLatin1Char(','), '/', "m/d/yyyy", 50, EnglishLocale());
}

TFormatSettings GermanFormatSettings() {
  return FixedSettings(',', QLatin1Char('.'), '.', "dd.mm.yyyy", 50, QLocale(QLocale::German, QLocale::Germany));
}

TFormatSettings IsoFormatSettings() { return FixedSettings('.', QChar(), '-', "yyyy-mm-dd", 50, EnglishLocale()); }

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

namespace {

// Copies a "-" at Text[I] to Out and passes over a "+"; the position after the sign.
qsizetype CopySign(const QChar* Text, qsizetype I, qsizetype N, char*& Out) {
  if (I >= N || (Text[I] != QLatin1Char('+') && Text[I] != QLatin1Char('-'))) return I;
  if (Text[I] == QLatin1Char('-')) *Out++ = '-';
  return I + 1;
}

// Copies the ASCII digits from Text[I] on to Out; the position after them.
qsizetype CopyDigits(const QChar* Text, qsizetype I, qsizetype N, char*& Out) {
  for (; I < N && IsAsciiDigit(Text[I]); ++I) *Out++ = char(Text[I].unicode());
  return I;
}

// Room for the plain text of a number written in N characters; numbers are short, so
// the heap is needed only for absurdly long texts.
using TNumberBuffer = QVarLengthArray<char, 64>;

// Reads the common short number "-123.45" (sign, at most 15 digits in all, decimal
// separator, no exponent) on its own. Its digits as a whole number and the power of ten
// of its decimals are both exact doubles, so their quotient is the correctly rounded
// value: the same double std::from_chars gives. False (Value untouched) for any other
// text, which then takes the general way.
bool TryShortDecimal(const QChar* P, qsizetype N, QChar Separator, double& Value) {
  static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  constexpr int MaxDigits = 15;  // 10^15 < 2^53: every such whole number is exact
  qsizetype I = 0;
  const bool Negative = N > 0 && P[0] == QLatin1Char('-');
  if (N > 0 && (Negative || P[0] == QLatin1Char('+'))) ++I;
  std::int64_t Digits = 0;
  int Count = 0;
  int Decimals = 0;
  bool InDecimals = false;
  for (; I < N; ++I) {
    const QChar C = P[I];
    if (IsAsciiDigit(C)) {
      if (++Count > MaxDigits) return false;
      Digits = Digits * 10 + (C.unicode() - u'0');
      if (InDecimals) ++Decimals;
    } else if (!InDecimals && !Separator.isNull() && C == Separator) {
      InDecimals = true;
    } else {
      return false;
    }
  }
  if (Count == 0) return false;
  const double Magnitude = double(Digits) / PowersOfTen[Decimals];
  Value = Negative ? -Magnitude : Magnitude;
  return true;
}

}  // namespace

void ClearUpperVectorState() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}

bool TryStrToFloat(const QString& Text, double& Value, const TFormatSettings& Settings) {
  if (TryShortDecimal(Text.constData(), Text.size(), Settings.DecimalSeparator, Value)) return true;
  // Writes a plain "-123.45e-6" text from the strictly checked input: at most one
  // character more than the input (".5" gives "0.5").
  const QChar* P = Text.constData();
  const qsizetype N = Text.size();
  TNumberBuffer Buffer(N + 2);
  char* const Begin = Buffer.data();
  char* Out = Begin;
  qsizetype I = CopySign(P, 0, N, Out);
  const qsizetype IntStart = I;
  I = CopyDigits(P, I, N, Out);
  const bool HaveInt = I > IntStart;
  if (!HaveInt) *Out++ = '0';
  bool HaveFrac = false;
  if (I < N && !Settings.DecimalSeparator.isNull() && P[I] == Settings.DecimalSeparator) {
    ++I;
    *Out++ = '.';
    const qsizetype FracStart = I;
    I = CopyDigits(P, I, N, Out);
    HaveFrac = I > FracStart;
    if (!HaveFrac) --Out;  // "5." is 5
  }
  if (!HaveInt && !HaveFrac) return false;
  if (I < N && (P[I] == QLatin1Char('e') || P[I] == QLatin1Char('E'))) {
    ++I;
    *Out++ = 'e';
    I = CopySign(P, I, N, Out);
    const qsizetype ExpStart = I;
    I = CopyDigits(P, I, N, Out);
    if (I == ExpStart) return false;
  }
  if (I != N) return false;

  double Result = 0;
  const auto Parsed = std::from_chars(Begin, Out, Result, std::chars_format::general);
  if (Parsed.ec != std::errc() || Parsed.ptr != Out || !std::isfinite(Result)) return false;
  Value = Result;
  return true;
}

namespace {
template <typename T>
bool TryStrToIntegral(const QString& Text, T& Value) {
  const QChar* P = Text.constData();
  const qsizetype N = Text.size();
  TNumberBuffer Buffer(N + 1);
  char* const Begin = Buffer.data();
  char* Out = Begin;
  qsizetype I = CopySign(P, 0, N, Out);
  if (I == N || CopyDigits(P, I, N, Out) != N) return false;
  T Result{};
  const auto Parsed = std::from_chars(Begin, Out, Result);
  if (Parsed.ec != std::errc() || Parsed.ptr != Out) return false;
  Value = Result;
  return true;
}
}  // namespace

bool TryStrToInt(const QString& Text, int& Value) { return TryStrToIntegral(Text, Value); }

bool TryStrToInt64(const QString& Text, int64_t& Value) { return TryStrToIntegral(Text, Value); }

QString FormatFixed(double Value, int Decimals, const TFormatSettings& Settings) {
  if (!std::isfinite(Value)) return QString();
  constexpr int MaxDecimals = 340;
  Decimals = std::clamp(Decimals, 0, MaxDecimals);
  const TDecimal Dec = ToDecimal15(Value);
  // The digits in front of the rounding position, rounded half away from zero.
  const int Keep = Dec.PointPos + Decimals;
  char Digits[SignificantDigits + 1];
  int Count = 0;
  int PointPos = Dec.PointPos;
  if (Keep >= SignificantDigits) {
    Count = SignificantDigits;
    std::copy(Dec.Digits, Dec.Digits + Count, Digits);
  } else if (Keep >= 0) {
    Count = Keep;
    std::copy(Dec.Digits, Dec.Digits + Count, Digits);
    if (Dec.Digits[Keep] >= '5') {
      int K = Count - 1;
      while (K >= 0 && Digits[K] == '9') Digits[K--] = '0';
      if (K >= 0) {
        ++Digits[K];
      } else {
        // All nines: one digit more in front.
        std::copy_backward(Digits, Digits + Count, Digits + Count + 1);
        Digits[0] = '1';
        ++Count;
        ++PointPos;
      }
    }
  }
  // IntLen digits before the point (at least one) and Decimals after it: the kept
  // digits from Offset on, zeros where they do not reach.
  const int IntLen = std::max(PointPos, 1);
  const int Total = IntLen + Decimals;
  const int Offset = IntLen - PointPos;
  Count = std::clamp(Total - Offset, 0, Count);
  const bool AllZero = std::all_of(Digits, Digits + Count, [](char Ch) { return Ch == '0'; });
  const bool Minus = Dec.Negative && !AllZero;
  QString Result(qsizetype(Minus) + Total + (Decimals > 0 ? 1 : 0), Qt::Uninitialized);
  QChar* Out = Result.data();
  if (Minus) *Out++ = QLatin1Char('-');
  const QChar Separator = Settings.DecimalSeparator.isNull() ? QLatin1Char('.') : Settings.DecimalSeparator;
  for (int Pos = 0; Pos < Total; ++Pos) {
    if (Pos == IntLen) *Out++ = Separator;
    const int Index = Pos - Offset;
    *Out++ = QLatin1Char(Index >= 0 && Index < Count ? Digits[Index] : '0');
  }
  return Result;
}

QString FormatGeneral(double Value, const TFormatSettings& Settings) {
  if (!std::isfinite(Value)) return QString();
  const TDecimal Dec = ToDecimal15(Value);
  int Len = SignificantDigits;
  while (Len > 0 && Dec.Digits[Len - 1] == '0') --Len;
  if (Len == 0) return QStringLiteral("0");
  const int Exponent = Dec.PointPos - 1;  // of the first digit
  const QChar Sep = Settings.DecimalSeparator.isNull() ? QLatin1Char('.') : Settings.DecimalSeparator;
  // At most a sign, "0", the separator, 5 zeros and 15 digits, or a sign, 15 digits,
  // the separator, "E" and an exponent of 4 characters.
  QChar Text[32];
  int N = 0;
  auto Put = [&](const char* From, int Count) {
    for (int I = 0; I < Count; ++I) Text[N++] = QLatin1Char(From[I]);
  };
  auto Zeros = [&](int Count) {
    for (int I = 0; I < Count; ++I) Text[N++] = QLatin1Char('0');
  };
  if (Dec.Negative) Text[N++] = QLatin1Char('-');
  if (Exponent >= -5 && Exponent < SignificantDigits) {
    if (Dec.PointPos <= 0) {
      Text[N++] = QLatin1Char('0');
      Text[N++] = Sep;
      Zeros(-Dec.PointPos);
      Put(Dec.Digits, Len);
    } else if (Dec.PointPos >= Len) {
      Put(Dec.Digits, Len);
      Zeros(Dec.PointPos - Len);
    } else {
      Put(Dec.Digits, Dec.PointPos);
      Text[N++] = Sep;
      Put(Dec.Digits + Dec.PointPos, Len - Dec.PointPos);
    }
  } else {
    Put(Dec.Digits, 1);
    if (Len > 1) {
      Text[N++] = Sep;
      Put(Dec.Digits + 1, Len - 1);
    }
    Text[N++] = QLatin1Char('E');
    char Exp[8];
    const auto End = std::to_chars(Exp, Exp + sizeof(Exp), Exponent).ptr;
    Put(Exp, int(End - Exp));
  }
  return QString(Text, N);
}

int64_t RoundHalfEven(double Value) {
  if (std::isnan(Value)) return 0;
  constexpr double Limit = 9223372036854775808.0;  // 2^63
  if (Value >= Limit) return std::numeric_limits<int64_t>::max();
  if (Value < -Limit) return std::numeric_limits<int64_t>::min();
  const double Floor = std::floor(Value);
  const double Fraction = Value - Floor;  // exact
  double Result = Floor;
  if (Fraction > 0.5 || (Fraction == 0.5 && std::fmod(Floor, 2.0) != 0.0)) Result += 1.0;
  if (Result >= Limit) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(Result);
}

int64_t RoundRatioHalfEven(int64_t Numerator, int64_t Denominator) {
  if (Denominator == 0) return 0;
  __int128 Num = Numerator;
  __int128 Den = Denominator;
  if (Den < 0) {
    Num = -Num;
    Den = -Den;
  }
  __int128 Quotient = Num / Den;
  __int128 Remainder = Num % Den;
  if (Remainder < 0) {  // floor division
    --Quotient;
    Remainder += Den;
  }
  const __int128 Twice = 2 * Remainder;
  if (Twice > Den || (Twice == Den && (Quotient % 2 != 0))) ++Quotient;
  if (Quotient > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (Quotient < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(Quotient);
}

// ---------------------------------------------------------------------------
// Text routines
// ---------------------------------------------------------------------------

QString LimitDecimals(const QString& Text, int Decimals, const TFormatSettings& Settings) {
  if (Settings.DecimalSeparator.isNull()) return Text;
  Decimals = std::max(Decimals, 0);
  const qsizetype Pos = Text.indexOf(Settings.DecimalSeparator);
  if (Pos < 0 || Text.size() - Pos - 1 <= Decimals) return Text;
  double Value = 0;
  if (!TryStrToFloat(Text, Value, Settings)) return Text;
  return TrimText(FormatFixed(Value, Decimals, Settings));
}

QString PadRightChar(const QString& Text, QChar Ch, int Width) {
  if (Text.size() >= Width) return Text;
  return Text + QString(Width - Text.size(), Ch);
}

QString PadRight(const QString& Text, int Width) { return PadRightChar(Text, QLatin1Char(' '), Width); }

QString PadLeftChar(const QString& Text, QChar Ch, int Width) {
  if (Text.size() >= Width) return Text;
  return QString(Width - Text.size(), Ch) + Text;
}

QString PadLeft(const QString& Text, int Width) { return PadLeftChar(Text, QLatin1Char(' '), Width); }

QString PadNumberLeft(const QString& Text, int Width) {
  if (Text.size() >= Width) return Text;
  qsizetype Blanks = 2 * (Width - Text.size());
  if (Text.contains(QLatin1Char('-'))) ++Blanks;
  return QString(Blanks, QLatin1Char(' ')) + Text;
}

int PrintWidth(const QString& Text) {
  qsizetype Blanks = 0;
  while (Blanks < Text.size() && Text[Blanks] == QLatin1Char(' ')) ++Blanks;
  return int(Text.size() - Blanks + Blanks / 2);
}

void WordWrap(const QString& Text, int Width, bool PadLine, QString& Line, QString& Rest) {
  Width = std::max(Width, 1);  // every call must use up some text
  const QChar Blank(QLatin1Char(' '));
  if (Text.size() <= Width) {
    Line = Text;
    Rest.clear();
  } else {
    // 0-based: Cut is the number of characters that go to Line.
    qsizetype Pos = Width - 1;
    while (Pos < Text.size() && Text[Pos] != Blank) ++Pos;
    qsizetype Cut = Pos;  // characters before that blank (or all)
    while (Cut > 0 && Text[Cut - 1] == Blank) --Cut;
    if (Cut > Width) {
      qsizetype WordStart = Cut;
      while (WordStart > 0 && Text[WordStart - 1] != Blank) --WordStart;
      if (WordStart == 0) {
        Cut = Width;
      } else {
        Cut = WordStart;
        while (Cut > 0 && Text[Cut - 1] == Blank) --Cut;
      }
    }
    Line = Text.left(Cut);
    qsizetype Next = Cut;
    while (Next < Text.size() && Text[Next] == Blank) ++Next;
    Rest = Text.mid(Next);
  }
  if (PadLine) Line = PadRight(Line, Width);
}

QString ScreenText(const QString& Text) { return Text; }

QString PrintText(const QString& Text) { return Text; }

QString IfThenStr(bool Condition, const QString& TrueText, const QString& FalseText) {
  return Condition ? TrueText : FalseText;
}

QString TrimText(const QString& Text) {
  qsizetype First = 0;
  qsizetype Last = Text.size();
  while (First < Last && Text[First].unicode() <= ' ') ++First;
  while (Last > First && Text[Last - 1].unicode() <= ' ') --Last;
  if (First == 0 && Last == Text.size()) return Text;
  return Text.mid(First, Last - First);
}

QString CleanText(const QString& Text) {
  auto Blank = [](QChar C) { return C.unicode() <= 32 || C.isSpace(); };
  qsizetype Begin = 0, End = Text.size();
  while (Begin < End && Blank(Text[Begin])) ++Begin;
  while (End > Begin && Blank(Text[End - 1])) --End;
  return Text.mid(Begin, End - Begin);
}

// ---------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------

bool TryStrToDate(const QString& Text, QDate& Date, const TFormatSettings& Settings) {
  int Day = 0, Month = 0, Year = 0;
  if (!ParseDateParts(Text, Settings, Day, Month, Year)) return false;
  const QDate Result(Year == 0 ? CurrentYear() : Year, Month, Day);
  if (!Result.isValid()) return false;
  Date = Result;
  return true;
}

QString FormatDate(const QString& Format, const QDate& Date, const TFormatSettings& Settings) {
  if (!Date.isValid()) return QString();
  const QLocale& English = EnglishLocale();
  QString Result;
  for (qsizetype I = 0; I < Format.size();) {
    const QChar Ch = Format[I];
    const char16_t Letter = Ch.toLower().unicode();
    if (Ch == QLatin1Char('"') || Ch == QLatin1Char('\'')) {
      const qsizetype End = Format.indexOf(Ch, I + 1);
      const qsizetype Stop = End < 0 ? Format.size() : End;
      Result += Format.mid(I + 1, Stop - I - 1);
      I = Stop + 1;
      continue;
    }
    if (Letter == 'd' || Letter == 'm' || Letter == 'y') {
      const qsizetype Count = RunLength(Format, I);
      I += Count;
      if (Letter == 'd') {
        const int DayOfWeek = Date.dayOfWeek() % 7;  // Sunday 0
        if (Count == 1) {
          Result += QString::number(Date.day());
        } else if (Count == 2) {
          Result += QStringLiteral("%1").arg(Date.day(), 2, 10, QLatin1Char('0'));
        } else if (Count == 3) {
          Result += NameOrDefault(Settings.ShortDayNames, DayOfWeek,
                                  English.standaloneDayName(Date.dayOfWeek(), QLocale::ShortFormat));
        } else {
          Result += NameOrDefault(Settings.LongDayNames, DayOfWeek,
                                  English.standaloneDayName(Date.dayOfWeek(), QLocale::LongFormat));
        }
      } else if (Letter == 'm') {
        if (Count == 1) {
          Result += QString::number(Date.month());
        } else if (Count == 2) {
          Result += QStringLiteral("%1").arg(Date.month(), 2, 10, QLatin1Char('0'));
        } else if (Count == 3) {
          Result += NameOrDefault(Settings.ShortMonthNames, Date.month() - 1,
                                  English.standaloneMonthName(Date.month(), QLocale::ShortFormat));
        } else {
          Result += NameOrDefault(Settings.LongMonthNames, Date.month() - 1,
                                  English.standaloneMonthName(Date.month(), QLocale::LongFormat));
        }
      } else if (Count <= 2) {
        Result += QStringLiteral("%1").arg(Date.year() % 100, 2, 10, QLatin1Char('0'));
      } else {
        Result += QStringLiteral("%1").arg(Date.year(), 4, 10, QLatin1Char('0'));
      }
      continue;
    }
    if (IsDateSeparator(Ch, Settings)) {
      Result += Settings.DateSeparator.isNull() ? Ch : Settings.DateSeparator;
    } else {
      Result += Ch;
    }
    ++I;
  }
  return Result;
}

QString DateToStr(const QDate& Date, const TFormatSettings& Settings) {
  return FormatDate(Settings.ShortDateFormat, Date, Settings);
}

bool TryStrToDateWithYear(const QString& Text, QDate& Date, const TFormatSettings& Settings) {
  int Day = 0, Month = 0, Year = 0;
  if (!ParseDateParts(Text, Settings, Day, Month, Year) || Year == 0) return false;
  const QDate Result(Year, Month, Day);
  if (!Result.isValid()) return false;
  Date = Result;
  return true;
}

bool TryStrToDateDefYear(const QString& Text, QDate& Date, const TFormatSettings& Settings,
                         int DefaultYear) {
  // A year-less date is formed in DefaultYear directly, so "2/29" works for a leap
  // DefaultYear whatever the current year is.
  int Day = 0, Month = 0, Year = 0;
  if (!ParseDateParts(Text, Settings, Day, Month, Year)) return false;
  const QDate Result(Year == 0 ? DefaultYear : Year, Month, Day);
  if (!Result.isValid()) return false;
  Date = Result;
  return true;
}

QString DateToStrNoYear(const TFormatSettings& Settings, const QDate& Date) {
  const QString Format = Settings.ShortDateFormat;
  QString Result = Format;
  bool Found = false;
  for (qsizetype I = 0; I + 1 < Format.size(); ++I) {
    if (Format[I].toLower() == QLatin1Char('y') && IsDateSeparator(Format[I + 1], Settings)) {
      Result = Format.mid(I + 2);
      Found = true;
      break;
    }
  }
  if (!Found) {
    for (qsizetype I = 0; I + 1 < Format.size(); ++I) {
      if (IsDateSeparator(Format[I], Settings) && Format[I + 1].toLower() == QLatin1Char('y')) {
        Result = Format.left(I);
        break;
      }
    }
  }
  return FormatDate(Result, Date, Settings);
}

uint16_t DaysSince1900(const QDate& Date) {
  if (!Date.isValid()) return 0;
  const qint64 Days = QDate(1900, 1, 1).daysTo(Date);
  if (Days < 1 || Days > 65535) return 0;
  return static_cast<uint16_t>(Days);
}

// ---------------------------------------------------------------------------
// Temporary files
// ---------------------------------------------------------------------------

QString MakeTempFileName(const QString& Extension) {
  // The temporary folder comes back empty when TMPDIR names a missing folder.
  const QString Folder = QDir::tempPath();
  if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
    throw std::runtime_error("Can't create a temporary file: there is no temporary folder.");
  if (Extension.isEmpty()) {
    QTemporaryFile File(Folder + QStringLiteral("/TMPXXXXXX.tmp"));
    File.setAutoRemove(false);
    if (!File.open()) {
      throw std::runtime_error(
          QStringLiteral("Can't create a temporary file in %1: %2").arg(Folder, File.errorString()).toStdString());
    }
    const QString Name = File.fileName();
    File.close();
    return Name;
  }
  const QString Name = Folder + QLatin1Char('/') + QUuid::createUuid().toString() + Extension;
  QFile File(Name);
  if (!File.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    throw std::runtime_error(
        QStringLiteral("Can't create the temporary file %1: %2").arg(Name, File.errorString()).toStdString());
  }
  File.close();
  return Name;
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

QString DecodeFileText(const QByteArray& Bytes) {
  const auto* Data = reinterpret_cast<const unsigned char*>(Bytes.constData());
  const qsizetype Size = Bytes.size();
  const qsizetype Start = Bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  // Runs of valid UTF-8 are decoded whole; each byte that begins no valid sequence is
  // one Windows-1252 character.
  QString Text;
  qsizetype Run = Start;
  qsizetype I = Start;
  auto EndRun = [&] {
    if (I > Run) Text += QString::fromUtf8(reinterpret_cast<const char*>(Data + Run), I - Run);
  };
  while (I < Size) {
    const int Length = Utf8SequenceLength(Data + I, Size - I);
    if (Length > 0) {
      I += Length;
      continue;
    }
    if (Run == Start && Text.isEmpty()) Text.reserve(Size);
    EndRun();
    const unsigned char B = Data[I];
    Text += (B >= 0x80 && B <= 0x9F) ? QChar(Cp1252High[B - 0x80]) : QChar(char16_t(B));
    Run = ++I;
  }
  if (Run == Start) return QString::fromUtf8(reinterpret_cast<const char*>(Data + Start), Size - Start);
  EndRun();
  return Text;
}

bool IsUtf16Text(const QByteArray& Bytes) {
  if (Bytes.startsWith("\xFF\xFE") || Bytes.startsWith("\xFE\xFF")) return true;
  // Without a mark: in the first bytes, NULs on one side of every pair and none on the other.
  const qsizetype Size = std::min<qsizetype>(Bytes.size(), 1024) & ~qsizetype(1);
  if (Size < 2) return false;
  std::array<qsizetype, 2> Nuls{};
  for (qsizetype I = 0; I < Size; ++I)
    if (Bytes[I] == '\0') ++Nuls[size_t(I % 2)];
  const qsizetype Pairs = Size / 2;
  return (Nuls[0] == 0 && Nuls[1] * 2 >= Pairs) || (Nuls[1] == 0 && Nuls[0] * 2 >= Pairs);
}

QStringList SplitLines(const QString& Text) {
  QStringList Lines;
  qsizetype Start = 0;
  const qsizetype N = Text.size();
  for (qsizetype I = 0; I < N; ++I) {
    const QChar Ch = Text[I];
    if (Ch == QLatin1Char('\r') || Ch == QLatin1Char('\n')) {
      Lines << Text.mid(Start, I - Start);
      if (Ch == QLatin1Char('\r') && I + 1 < N && Text[I + 1] == QLatin1Char('\n')) ++I;
      Start = I + 1;
    }
  }
  if (Start < N) Lines << Text.mid(Start);
  return Lines;
}

// ---------------------------------------------------------------------------
// INI files
// ---------------------------------------------------------------------------

TMyIniFile::TMyIniFile(const QString& FileName) {
  QString Msg;
  LoadFromFile(FileName, Msg);
}

bool TMyIniFile::LoadFromFile(const QString& FileName, QString& Msg) {
  Clear();
  FFileName = FileName;
  Msg.clear();
  const QFileInfo Info(FileName);
  if (!Info.exists()) return true;
  if (Info.isDir()) {
    Msg = QStringLiteral("Can't read %1: it is a folder.").arg(FileName);
    return false;
  }
  // A pipe would block until a writer came, and a terminal until a line was typed; only
  // files and the null device are read.
  const TFileKind Kind = FileKindOf(FileName);
  if (Kind == TFileKind::Device) {
    Msg = QStringLiteral("Can't read %1: it is a device, not a file.").arg(FileName);
    return false;
  }
  if (Kind == TFileKind::Special) {
    Msg = QStringLiteral("Can't read %1: it is a pipe or other special file, not a file.").arg(FileName);
    return false;
  }
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) {
    Msg = QStringLiteral("Can't read %1: %2.").arg(FileName, File.errorString());
    return false;
  }
  const QByteArray Bytes = File.read(MaxIniFileSize + 1);
  if (File.error() != QFileDevice::NoError) {
    Msg = QStringLiteral("Can't read %1: %2.").arg(FileName, File.errorString());
    return false;
  }
  if (Bytes.size() > MaxIniFileSize) {
    Msg = QStringLiteral("Can't read %1: the file is larger than %2 MB.")
              .arg(FileName)
              .arg(MaxIniFileSize / (1024 * 1024));
    return false;
  }
  if (IsUtf16Text(Bytes)) {
    Msg = QStringLiteral("Can't read %1: %2").arg(FileName, QLatin1String(NotPlainTextMessage));
    return false;
  }
  SetText(DecodeFileText(Bytes));
  return true;
}

void TMyIniFile::SetText(const QString& Text) {
  Clear();
  qsizetype Current = -1;
  const QStringView All(Text);
  qsizetype Start = 0;
  // Lines end at CR or LF; the empty lines between CR and LF are skipped with the blank ones.
  while (Start < All.size()) {
    qsizetype End = Start;
    while (End < All.size() && All[End] != QLatin1Char('\r') && All[End] != QLatin1Char('\n')) ++End;
    const QStringView Line = TrimView(All.sliced(Start, End - Start));
    Start = End + 1;
    if (Line.isEmpty() || Line.startsWith(QLatin1Char(';'))) continue;
    if (Line.startsWith(QLatin1Char('[')) && Line.endsWith(QLatin1Char(']')) && Line.size() >= 2) {
      Current = FindOrAddSection(Line.sliced(1, Line.size() - 2));
      continue;
    }
    if (Current < 0) continue;  // before any section
    const qsizetype Eq = Line.indexOf(QLatin1Char('='));
    if (Eq <= 0) continue;
    const QStringView Key = TrimView(Line.first(Eq));
    if (Key.isEmpty()) continue;
    AddEntry(Current, Key.toString(), TrimView(Line.sliced(Eq + 1)).toString());
  }
}

QString TMyIniFile::GetText() const {
  QString Text;
  for (const Section& Sec : FSections) {
    Text += QLatin1Char('[') + Sec.Name + QStringLiteral("]\r\n");
    for (qsizetype I = Sec.First; I >= 0; I = FEntries[size_t(I)].Next) {
      const Entry& E = FEntries[size_t(I)];
      Text += E.Key + QLatin1Char('=') + E.Value + QStringLiteral("\r\n");
    }
    Text += QStringLiteral("\r\n");
  }
  return Text;
}

bool TMyIniFile::UpdateFile(QString& Msg, QString* Reason) const {
  Msg.clear();
  QString Why;
  if (FFileName.isEmpty()) {
    Why = QStringLiteral("No file name");
    Msg = QStringLiteral("Can't write the settings: no file name.");
  } else if (!WriteFileSafely(FFileName, GetText().toUtf8(), Why)) {
    Msg = Why == QLatin1String(DeviceNotFileReason)
              ? QStringLiteral("Can't write %1: it is a device, not a file.").arg(FFileName)
              : QStringLiteral("Can't write %1: %2.").arg(FFileName, Why);
  }
  if (Reason != nullptr) *Reason = Why;
  return Msg.isEmpty();
}

QString TMyIniFile::BoolToText(bool Value) {
  return Value ? QStringLiteral("Yes") : QStringLiteral("No");
}

bool TMyIniFile::IsTrueText(const QString& Text) {
  return SameText(Text, QStringLiteral("TRUE")) || SameText(Text, QStringLiteral("YES")) ||
         SameText(Text, QStringLiteral("ON")) || Text == QLatin1String("1");
}

bool TMyIniFile::IsFalseText(const QString& Text) {
  return SameText(Text, QStringLiteral("FALSE")) || SameText(Text, QStringLiteral("NO")) ||
         SameText(Text, QStringLiteral("OFF")) || Text == QLatin1String("0");
}

bool TMyIniFile::FoldedName::Same(const QString& A, const QString& B) {
  // ASCII names (those of every file the program writes) compare char by char; from the
  // first other character on, Qt's folding decides, since it may change the length.
  const qsizetype Common = std::min(A.size(), B.size());
  for (qsizetype I = 0; I < Common; ++I) {
    const char16_t a = A[I].unicode();
    const char16_t b = B[I].unicode();
    if (a >= 0x80 || b >= 0x80) return FoldName(A) == FoldName(B);
    if (FoldAscii(a) != FoldAscii(b)) return false;
  }
  return A.size() == B.size();
}

size_t TMyIniFile::FoldedName::Hash(const QString& Name, size_t Seed) {
  const size_t Value = WithFoldedName(Name, [Seed](const QString& Folded) { return qHash(Folded, Seed); });
  ClearUpperVectorState();  // Qt's seeded hash may leave it set; a load hashes every name
  return Value;
}

// Names are looked up as raw views of the trimmed text: nothing is copied.
qsizetype TMyIniFile::FindSection(QStringView Name) const {
  const QStringView Trimmed = TrimView(Name);
  return FSectionIndex.value(FoldedName{QString::fromRawData(Trimmed.constData(), Trimmed.size())}, -1);
}

qsizetype TMyIniFile::FindEntry(qsizetype Sec, QStringView Ident) const {
  const QStringView Trimmed = TrimView(Ident);
  return FKeyIndex.value(KeyRef{Sec, FoldedName{QString::fromRawData(Trimmed.constData(), Trimmed.size())}}, -1);
}

qsizetype TMyIniFile::FindOrAddSection(QStringView Name) {
  // One hash for a name found or added: the index's entry is made on first use.
  QString Trimmed = TrimView(Name).toString();
  const qsizetype Known = FSectionIndex.size();
  qsizetype& Position = FSectionIndex[FoldedName{Trimmed}];
  if (FSectionIndex.size() == Known) return Position;
  Position = qsizetype(FSections.size());
  FSections.push_back(Section{std::move(Trimmed)});
  return Position;
}

void TMyIniFile::AddEntry(qsizetype Sec, const QString& Key, const QString& Value) {
  const auto Index = qsizetype(FEntries.size());
  const KeyRef Ref{Sec, FoldedName{Key}};
  const bool Repeat = FKeyIndex.contains(Ref);
  if (!Repeat) FKeyIndex.insert(Ref, Index);  // the first stays
  FEntries.push_back(Entry{Key, Value, -1, Repeat});
  Section& S = FSections[size_t(Sec)];
  if (S.Last >= 0) {
    FEntries[size_t(S.Last)].Next = Index;
  } else {
    S.First = Index;
  }
  S.Last = Index;
}

void TMyIniFile::RebuildWithout(qsizetype Gone, qsizetype KeySection, const QString& FoldedKey) {
  const std::vector<Section> Sections = std::move(FSections);
  const std::vector<Entry> Entries = std::move(FEntries);
  Clear();
  for (qsizetype Old = 0; Old < qsizetype(Sections.size()); ++Old) {
    if (Old == Gone) continue;
    const qsizetype New = FindOrAddSection(Sections[size_t(Old)].Name);
    for (qsizetype I = Sections[size_t(Old)].First; I >= 0; I = Entries[size_t(I)].Next) {
      const Entry& E = Entries[size_t(I)];
      if (Old != KeySection || FoldName(E.Key) != FoldedKey) AddEntry(New, E.Key, E.Value);
    }
  }
}

QString TMyIniFile::ReadString(const QString& Section, const QString& Ident,
                               const QString& Default) const {
  const qsizetype Sec = FindSection(Section);
  const qsizetype I = Sec < 0 ? -1 : FindEntry(Sec, Ident);
  return I < 0 ? Default : FEntries[size_t(I)].Value;
}

void TMyIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value) {
  const QString Key = SingleLine(Ident);
  if (Key.isEmpty()) return;
  const qsizetype Sec = FindOrAddSection(SingleLine(Section));
  const QString Text = SingleLine(Value);
  if (const qsizetype I = FindEntry(Sec, Key); I >= 0) {
    FEntries[size_t(I)].Value = Text;
  } else {
    AddEntry(Sec, Key, Text);
  }
}

int TMyIniFile::ReadInteger(const QString& Section, const QString& Ident, int Default) const {
  int Value = 0;
  return TryStrToInt(ReadString(Section, Ident, QString()), Value) ? Value : Default;
}

void TMyIniFile::WriteInteger(const QString& Section, const QString& Ident, int Value) {
  WriteString(Section, Ident, QString::number(Value));
}

bool TMyIniFile::ReadBool(const QString& Section, const QString& Ident, bool Default) const {
  const QString Text = ReadString(Section, Ident, QString());
  if (IsTrueText(Text)) return true;
  if (IsFalseText(Text)) return false;
  return Default;
}

void TMyIniFile::WriteBool(const QString& Section, const QString& Ident, bool Value) {
  WriteString(Section, Ident, BoolToText(Value));
}

bool TMyIniFile::SectionExists(const QString& Section) const { return FindSection(Section) >= 0; }

bool TMyIniFile::ValueExists(const QString& Section, const QString& Ident) const {
  const qsizetype Sec = FindSection(Section);
  return Sec >= 0 && FindEntry(Sec, Ident) >= 0;
}

QStringList TMyIniFile::ReadSections() const {
  QStringList Names;
  Names.reserve(qsizetype(FSections.size()));
  for (const Section& Sec : FSections) Names << Sec.Name;
  return Names;
}

QStringList TMyIniFile::ReadSection(const QString& Section) const {
  QStringList Keys;
  if (const qsizetype Sec = FindSection(Section); Sec >= 0) {
    for (qsizetype I = FSections[size_t(Sec)].First; I >= 0; I = FEntries[size_t(I)].Next) {
      const Entry& E = FEntries[size_t(I)];
      if (!E.Repeat) Keys << E.Key;
    }
  }
  return Keys;
}

void TMyIniFile::EraseSection(const QString& Section) {
  if (const qsizetype Sec = FindSection(Section); Sec >= 0) RebuildWithout(Sec, -1, QString());
}

void TMyIniFile::DeleteKey(const QString& Section, const QString& Ident) {
  const qsizetype Sec = FindSection(Section);
  if (Sec >= 0 && FindEntry(Sec, Ident) >= 0) RebuildWithout(-1, Sec, FoldName(TrimText(Ident)));
}

void TMyIniFile::Clear() {
  FSections.clear();
  FEntries.clear();
  FSectionIndex.clear();
  FKeyIndex.clear();
}

// ---------------------------------------------------------------------------
// Delimited lines
// ---------------------------------------------------------------------------

namespace {
// A field's raw text cleaned: trimmed, enclosing quotes removed, trimmed again.
QString CleanField(QStringView Raw, QChar Quote) {
  QStringView Field = TrimView(Raw);
  if (!Quote.isNull() && Field.size() > 1 && Field.front() == Quote && Field.back() == Quote)
    Field = TrimView(Field.sliced(1, Field.size() - 2));
  return Field.toString();
}
}  // namespace

QString TMyLineParser::GetField(const QString& Line, int N) const {
  if (N < 1) return QString();
  int Count = 0;  // delimiters passed
  qsizetype Start = (N == 1) ? 0 : -1;
  qsizetype End = Line.size();
  bool InQuotes = false;
  for (qsizetype I = 0; I < Line.size(); ++I) {
    const QChar Ch = Line[I];
    if (!Escape.isNull() && Ch == Escape) {
      ++I;  // the next character is taken literally
    } else if (!Quote.isNull() && Ch == Quote) {
      InQuotes = !InQuotes;
    } else if (Ch == Delimiter && !InQuotes) {
      ++Count;
      if (Count == N - 1) {
        Start = I + 1;
      } else if (Count == N) {
        End = I;
        break;
      }
    }
  }
  if (Start < 0) return QString();
  return CleanField(QStringView(Line).sliced(Start, End - Start), Quote);
}

QStringList TMyLineParser::Fields(const QString& Line) const {
  const QStringView Text(Line);
  QStringList Result;
  Result.reserve(Line.count(Delimiter) + 1);
  qsizetype Start = 0;
  bool InQuotes = false;
  for (qsizetype I = 0; I < Line.size(); ++I) {
    const QChar Ch = Line[I];
    if (!Escape.isNull() && Ch == Escape) {
      ++I;
    } else if (!Quote.isNull() && Ch == Quote) {
      InQuotes = !InQuotes;
    } else if (Ch == Delimiter && !InQuotes) {
      Result << CleanField(Text.sliced(Start, I - Start), Quote);
      Start = I + 1;
    }
  }
  Result << CleanField(Text.sliced(Start), Quote);
  return Result;
}

int TMyLineParser::FieldIndex(const QString& Line, const QString& Name) const {
  const QStringList All = Fields(Line);
  for (qsizetype I = 0; I < All.size(); ++I) {
    if (All[I].isEmpty()) return 0;
    if (SameText(All[I], Name)) return int(I + 1);
  }
  return 0;
}

QString TMyLineParser::Unescape(const QString& Text) const {
  if (Escape.isNull()) return Text;
  QString Result;
  Result.reserve(Text.size());
  for (qsizetype I = 0; I < Text.size(); ++I) {
    if (Text[I] == Escape && I + 1 < Text.size()) ++I;
    Result += Text[I];
  }
  return Result;
}

QString TMyLineParser::EscapeText(const QString& Text) const {
  if (Escape.isNull()) return Text;
  QString Result;
  Result.reserve(Text.size() * 2);
  for (QChar Ch : Text) {
    if (Ch == Delimiter || Ch == Escape || (!Quote.isNull() && Ch == Quote)) Result += Escape;
    Result += Ch;
  }
  return Result;
}
