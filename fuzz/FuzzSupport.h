#pragma once
// What the fuzz targets share: the application object and the shipped lookup tables,
// both made once for the whole run; stopping with a reason; the input as bytes and its
// parts; the check of imported day lines. Every input is read from memory.

#include "ImpWeath.h"
#include "MiscUtil.h"
#include "SovLookup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run with the target's name and what went wrong; libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const char* Target, const char* What) {
  std::fprintf(stderr, "%s: %s\n", Target, What);
  std::abort();
}

inline void FuzzCheck(bool Condition, const char* Target, const char* What) {
  if (!Condition) FuzzFail(Target, What);
}

// The application object, made once from LLVMFuzzerInitialize: locale, collation and
// text codecs then behave as in the program.
inline void FuzzStartApplication(int* Argc, char*** Argv) {
  static QCoreApplication* App = new QCoreApplication(*Argc, *Argv);
  (void)App;
}

#ifdef FURROW_FUZZ_LOOKUP_FILE
// The shipped lookup file, read once for the whole run.
inline const TSovLookup& FuzzLookup() {
  static const TSovLookup* Tables = [] {
    auto* L = new TSovLookup();
    QString Msg;
    if (!L->LoadFromFile(QStringLiteral(FURROW_FUZZ_LOOKUP_FILE), Msg)) FuzzFail("lookup file", qPrintable(Msg));
    return L;
  }();
  return *Tables;
}
#endif

// The target's name, its Check(Condition, What), and the libFuzzer start-up that makes
// the application object once for the run.
#define FURROW_FUZZ_TARGET(Name)                                                        \
  namespace {                                                                           \
  [[maybe_unused]] const char* const Target = Name;                                     \
  [[maybe_unused]] void Check(bool Condition, const char* What) {                       \
    FuzzCheck(Condition, Target, What);                                                 \
  }                                                                                     \
  }                                                                                     \
  extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv) {                        \
    FuzzStartApplication(Argc, Argv);                                                   \
    return 0;                                                                           \
  }

inline QByteArray FuzzBytes(const uint8_t* Data, size_t Size) {
  return QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size));
}

// An input made of several documents, each after a line "====" (the first before any).
inline QList<QByteArray> FuzzParts(const QByteArray& Bytes) {
  static const QByteArray Separator("\n====\n");
  QList<QByteArray> Parts;
  qsizetype From = 0;
  for (;;) {
    const qsizetype At = Bytes.indexOf(Separator, From);
    if (At < 0) break;
    Parts.append(Bytes.mid(From, At - From));
    From = At + Separator.size();
  }
  Parts.append(Bytes.mid(From));
  return Parts;
}

// What a day line's numeric fields may hold: numbers in the importer's form (or
// nothing), or, for the importers that pass a cell that is not a number on unchanged so
// that Calculate names it, any text as long as the line keeps its fields apart.
enum class TFuzzDayTexts { Numbers, Copied };

// Every numeric field of day line I is a number in the importer's form, or empty (or,
// with Copied, any text); no line has more than its eight fields. The line is split
// once; GetDayFields gives what GetDayField gives for each field.
inline void FuzzCheckDayNumbers(const TImportedWeather& Weather, int I, const char* Target,
                                TFuzzDayTexts Texts = TFuzzDayTexts::Numbers) {
  const QStringList Fields = Weather.GetDayFields(I);
  FuzzCheck(Fields.size() <= dfIrrigation, Target, "a day line with more than its fields");
  if (Texts == TFuzzDayTexts::Copied) return;
  for (int FieldNo : {dfMaxTemp, dfMinTemp, dfMeanTemp, dfPrecip, dfWind, dfHumidity, dfIrrigation}) {
    const QString Text = FieldNo <= Fields.size() ? Fields.at(FieldNo - 1) : QString();
    double Value = 0;
    FuzzCheck(Text.isEmpty() || (TryStrToFloat(Text, Value, Weather.FormatSettings) && std::isfinite(Value)),
              Target, "a numeric field that is not a number");
  }
}

// Every day line has a calendar date and numbers or empty fields (or copied texts).
inline void FuzzCheckDays(const TImportedWeather& Weather, const char* Target,
                          TFuzzDayTexts Texts = TFuzzDayTexts::Numbers) {
  for (int I = 0; I < Weather.Count(); ++I) {
    QDate Date;
    FuzzCheck(Weather.TryGetDayDate(I, Date), Target, "a day line without a calendar date");
    FuzzCheckDayNumbers(Weather, I, Target, Texts);
  }
}
