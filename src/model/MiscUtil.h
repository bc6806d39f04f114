#pragma once
// Small toolbox used everywhere: INI files with word Booleans, a delimited-line
// splitter, text padding and word wrapping for fixed-width reports, number and date
// format settings passed around as values, strict number parsing and formatting,
// date parsing that tells whether a year was typed, and temporary file names.

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Format settings
// ---------------------------------------------------------------------------

// The number and date conventions of one context: the user's screen, or the data
// files. Date formats use the letters d, m and y (any case). In a format both "/" and
// the DateSeparator character stand for the separator, so with DateSeparator "."
// "dd.mm.yyyy" and "dd/mm/yyyy" mean the same; the settings made here hold the
// separator itself ("m/d/yyyy", "dd.mm.yyyy", "yyyy-mm-dd").
struct TFormatSettings {
  QChar DecimalSeparator{'.'};
  QChar ThousandSeparator{};  // QChar() for none
  QChar DateSeparator{'/'};
  QString ShortDateFormat{"m/d/yyyy"};
  // Two-digit years: with a window W > 0, a two-digit year is placed in the century
  // that puts it within the 100 years starting at (current year - W). 0: the
  // two-digit year is placed within 50 years of the current year.
  int TwoDigitYearCenturyWindow{0};
  QStringList ShortMonthNames;  // 12 entries, January first
  QStringList LongMonthNames;
  QStringList ShortDayNames;  // 7 entries, Sunday first
  QStringList LongDayNames;

  bool operator==(const TFormatSettings&) const = default;
};

// Every field to zero or empty.
void ClearFormatSettings(TFormatSettings& Settings);

// Settings from a locale: its decimal and group separators and short date format
// (month names in the format replaced by month numbers, two-digit years widened to
// four digits; the format is rebuilt as day, month and year joined by the locale's
// separator, and the C locale gets "m/d/yyyy"). Two-digit years typed in these
// settings fall within 50 years of the current year. With EnglishNames the day and
// month names are US English.
TFormatSettings FormatSettingsFromLocale(const QLocale& Locale, bool EnglishNames);

// The user's own settings (QLocale::system()).
TFormatSettings GetUserFormatSettings(bool EnglishNames);

// The conventions of every data file: ".", no thousands separator, "m/d/yyyy", and a
// century window of the current year minus 1980 (so 80-99 read as 1980-1999).
TFormatSettings FileFormatSettings();

// Fixed settings for tests and examples.
TFormatSettings UsFormatSettings();      // ".", ",", m/d/yyyy
TFormatSettings GermanFormatSettings();  // ",", ".", dd.mm.yyyy
TFormatSettings IsoFormatSettings();     // ".", none, yyyy-mm-dd

// Library code built for newer processors (Qt's seeded string hash on processors with
// AVX-512 among it) can return with the upper halves of the vector registers in use.
// Until they are cleared, each call from this program's code into the maths library's
// AVX routines (exp, pow, sin) pays a processor state transition: on such machines it
// made the whole schedule five times slower. Clears them where the processor has them;
// does nothing elsewhere. Call before a stretch of floating-point work.
void ClearUpperVectorState();

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

// Strict parsing: optional sign, digits with at most one decimal separator (the
// settings'), optional exponent; surrounding blanks are not allowed, nor are nan,
// inf, hex, group separators or trailing text. The value must be finite.
// ".5" and "5." are accepted; values beyond the range of a double, and values too
// small to hold other than as zero, are refused.
bool TryStrToFloat(const QString& Text, double& Value, const TFormatSettings& Settings);
// Optional sign and decimal digits only; must fit in 32 bits.
bool TryStrToInt(const QString& Text, int& Value);
bool TryStrToInt64(const QString& Text, int64_t& Value);

// Fixed notation with Decimals decimals: the value is first taken to 15 significant
// digits, then that decimal text is rounded half away from zero (2.675 -> "2.68",
// 0.125 -> "0.13"). Never gives "-0". Non-finite values give an empty text.
QString FormatFixed(double Value, int Decimals, const TFormatSettings& Settings);

// General format: the shortest text of at most 15 significant digits, no exponent
// for magnitudes from 1e-5 up to 1e15 ("0.1", "12", "-3.25", "1E20", "1.5E-6").
// Non-finite values give an empty text.
QString FormatGeneral(double Value, const TFormatSettings& Settings);

// Round to a whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). NaN
// gives 0; values beyond the 64-bit range give its nearest end.
int64_t RoundHalfEven(double Value);
// Numerator / Denominator rounded to a whole number with halves to the even
// neighbour, computed exactly (Denominator != 0; 0 gives 0).
int64_t RoundRatioHalfEven(int64_t Numerator, int64_t Denominator);

// ---------------------------------------------------------------------------
// Text routines
// ---------------------------------------------------------------------------

// When Text holds the settings' decimal separator with more than Decimals characters
// after it and parses as a number: the number with Decimals decimals; else unchanged.
QString LimitDecimals(const QString& Text, int Decimals, const TFormatSettings& Settings);
QString PadRightChar(const QString& Text, QChar Ch, int Width);
QString PadRight(const QString& Text, int Width);
QString PadLeftChar(const QString& Text, QChar Ch, int Width);
QString PadLeft(const QString& Text, int Width);
// Right-aligns a number in a proportional font: two blanks per missing character,
// plus one when the text holds "-".
QString PadNumberLeft(const QString& Text, int Width);
int PrintWidth(const QString& Text);
// Splits Text at a blank so that Line is at most Width characters; Rest is what
// follows, without its leading blanks.
void WordWrap(const QString& Text, int Width, bool PadLine, QString& Line, QString& Rest);
QString ScreenText(const QString& Text);
QString PrintText(const QString& Text);
QString IfThenStr(bool Condition, const QString& TrueText, const QString& FalseText);
// Text as the INI and field-file readers take a value: blanks and control characters
// removed at both ends (other white space, such as a no-break space, stays).
QString TrimText(const QString& Text);
// Text as stored from a control: blanks, control characters and other white space
// removed at both ends.
QString CleanText(const QString& Text);

// ---------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------

// Parses a date in the settings' short date order (day, month and year as numbers;
// a missing year is the current year). Checks the real calendar date.
bool TryStrToDate(const QString& Text, QDate& Date, const TFormatSettings& Settings);
// The date in the settings' short date format.
QString DateToStr(const QDate& Date, const TFormatSettings& Settings);
// The date in Format: d, dd, ddd (short day name), dddd (long day name), m, mm, mmm
// (short month name), mmmm (long month name), yy, yyyy, any case; "/" gives the
// DateSeparator; text in double or single quotes is copied; any other character is
// copied ("mmm d, yyyy", "yyyymmdd"). An invalid date gives an empty text.
QString FormatDate(const QString& Format, const QDate& Date, const TFormatSettings& Settings);
// True when Text parses as a date and holds the date separator twice.
bool TryStrToDateWithYear(const QString& Text, QDate& Date, const TFormatSettings& Settings);
// True when Text parses as a date; with no year typed, the date is moved to
// DefaultYear (29 February in a year that has none gives False).
bool TryStrToDateDefYear(const QString& Text, QDate& Date, const TFormatSettings& Settings,
                         int DefaultYear);
// The date in the short date format with the year part removed ("m/d", "mm-dd").
QString DateToStrNoYear(const TFormatSettings& Settings, const QDate& Date);
// Whole days from 1 January 1900; 0 before it or outside 1..65535.
uint16_t DaysSince1900(const QDate& Date);

// ---------------------------------------------------------------------------
// Temporary files
// ---------------------------------------------------------------------------

// With an empty Extension: a new unique empty file "TMP....tmp" in the temporary
// folder; otherwise the temporary folder + "{GUID}" + Extension, created empty.
// Throws std::runtime_error when the file cannot be created. Callers delete it.
QString MakeTempFileName(const QString& Extension);

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

// Decodes file bytes: each valid UTF-8 sequence as UTF-8, and each byte that belongs
// to none as Windows-1252 (the code page of files written by older Windows programs),
// so a UTF-8 file with a stray Windows-1252 byte keeps its other characters and a file
// all in the code page reads whole in it. A leading byte-order mark is dropped.
QString DecodeFileText(const QByteArray& Bytes);
// True for text saved as UTF-16 (a byte-order mark, or every other byte NUL), which
// DecodeFileText cannot read.
bool IsUtf16Text(const QByteArray& Bytes);
// What a reader says about such a file.
inline constexpr char NotPlainTextMessage[] = "The file is not UTF-8 or Windows-1252 text.";
// Splits text into lines ending in CR LF, LF or CR (a line end at the very end adds
// no empty line).
QStringList SplitLines(const QString& Text);

// ---------------------------------------------------------------------------
// INI files
// ---------------------------------------------------------------------------

// An INI file held in memory: ordered sections and keys, names compared without
// regard to case, values kept as typed (trimmed of surrounding blanks). Lines are
// "[Section]" and "Key=Value"; lines starting with ";" and lines before the first
// section and lines without "=" are ignored. A repeated section adds to the first;
// of repeated keys the first is read and written. Booleans are written as "Yes"/"No"
// and read from TRUE/YES/ON/1 and FALSE/NO/OFF/0 in any case.
class TMyIniFile {
 public:
  TMyIniFile() = default;
  // Reads FileName when it exists (a missing file gives an empty INI file).
  explicit TMyIniFile(const QString& FileName);

  // Reads a file (decoded with DecodeFileText); False with a message when it exists
  // but cannot be read, is larger than 16 MB, or is a device other than the null device
  // (which reads empty), a pipe or other special file. A missing file gives an empty INI
  // file.
  bool LoadFromFile(const QString& FileName, QString& Msg);
  void SetText(const QString& Text);
  // CR LF line ends, a blank line after each section.
  QString GetText() const;
  // Writes the whole file safely (temporary file renamed over the old one; the null
  // device is written directly, other devices and pipes refused). False with a message and, in Reason when given,
  // the system's reason alone.
  bool UpdateFile(QString& Msg, QString* Reason = nullptr) const;

  const QString& FileName() const { return FFileName; }
  void SetFileName(const QString& Name) { FFileName = Name; }

  static QString BoolToText(bool Value);
  static bool IsTrueText(const QString& Text);
  static bool IsFalseText(const QString& Text);

  QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const;
  // The value is stored trimmed, its line breaks turned into blanks (a line break
  // would break the file's structure).
  void WriteString(const QString& Section, const QString& Ident, const QString& Value);
  // A value that is not a whole number gives Default.
  int ReadInteger(const QString& Section, const QString& Ident, int Default) const;
  void WriteInteger(const QString& Section, const QString& Ident, int Value);
  bool ReadBool(const QString& Section, const QString& Ident, bool Default) const;
  void WriteBool(const QString& Section, const QString& Ident, bool Value);

  bool SectionExists(const QString& Section) const;
  bool ValueExists(const QString& Section, const QString& Ident) const;
  QStringList ReadSections() const;
  QStringList ReadSection(const QString& Section) const;  // the keys, in order
  void EraseSection(const QString& Section);
  void DeleteKey(const QString& Section, const QString& Ident);
  void Clear();

 private:
  // Every key of the file sits in one table; a section links its entries in order.
  struct Entry {
    QString Key;
    QString Value;
    qsizetype Next = -1;  // the section's next entry
    bool Repeat = false;  // the section has an earlier entry of this key
  };
  struct Section {
    QString Name;
    qsizetype First = -1;  // its first and last entries
    qsizetype Last = -1;
  };
  // A name hashed and compared as its case-folded form, without keeping that form.
  struct FoldedName {
    QString Text;
    static bool Same(const QString& A, const QString& B);
    static size_t Hash(const QString& Name, size_t Seed);
    friend bool operator==(const FoldedName& A, const FoldedName& B) { return Same(A.Text, B.Text); }
    friend size_t qHash(const FoldedName& Name, size_t Seed = 0) { return Hash(Name.Text, Seed); }
  };
  using KeyRef = std::pair<qsizetype, FoldedName>;  // section position, key

  // Positions in the tables; -1 when absent (names are trimmed).
  qsizetype FindSection(QStringView Name) const;
  qsizetype FindEntry(qsizetype Sec, QStringView Ident) const;  // the first of repeats
  qsizetype FindOrAddSection(QStringView Name);  // a new section goes last
  void AddEntry(qsizetype Sec, const QString& Key, const QString& Value);
  // Builds the tables again without section Gone (-1 for none) and without the keys of
  // section KeySection that fold to FoldedKey.
  void RebuildWithout(qsizetype Gone, qsizetype KeySection, const QString& FoldedKey);

  QString FFileName;
  std::vector<Section> FSections;
  std::vector<Entry> FEntries;                // of all sections
  QHash<FoldedName, qsizetype> FSectionIndex;  // name -> position in FSections
  QHash<KeyRef, qsizetype> FKeyIndex;          // -> position in FEntries of the first entry
};

// ---------------------------------------------------------------------------
// Delimited lines
// ---------------------------------------------------------------------------

// Splits a delimited line into numbered fields. QChar() (code 0) in Quote or Escape
// switches that feature off.
class TMyLineParser {
 public:
  QChar Delimiter{','};
  QChar Quote{};
  QChar Escape{};

  // Field N (1-based), trimmed, its enclosing quotes removed; empty when absent.
  QString GetField(const QString& Line, int N) const;
  // Every field of the line, cleaned as GetField does (a line without delimiters
  // has one field).
  QStringList Fields(const QString& Line) const;
  // The first field equal to Name without regard to case; the search stops at the
  // first empty field; 0 when not found.
  int FieldIndex(const QString& Line, const QString& Name) const;
  QString Unescape(const QString& Text) const;
  QString EscapeText(const QString& Text) const;  // puts Escape before Delimiter, Quote, Escape
};
