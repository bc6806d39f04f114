// libFuzzer target: the field data file loader. Any input must load or fail with a
// message, never crash or hang; what loads must hold only in-range values, and must
// save and load again to the same file.

#include "FuzzSupport.h"
#include "SovFile.h"

#include <QByteArray>
#include <QString>

namespace {

const TSovLookup& Lookup() { return FuzzLookup(); }

[[noreturn]] void Fail(const char* What) { FuzzFail("FuzzSovLoad", What); }

void CheckRanges(const TSovFile& Field) {
  const TSovLookup& L = Lookup();
  if (Field.Location() < 0 || Field.Location() > L.LocationCount()) Fail("location row out of range");
  if (Field.Crop() < 0 || Field.Crop() > L.CropCount()) Fail("crop row out of range");
  if (Field.PreviousCrop() < 0 || Field.PreviousCrop() > L.CropCount()) Fail("previous crop row out of range");
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    const int Day = Field.GetCellInt(Row, SovCol::EvDay);
    const int Code = Field.GetCellInt(Row, SovCol::EvCode);
    if (Day < 0 || Day > MaxDays || Code < 0 || Code > 4 || (Day == 0) != (Code == 0)) Fail("event out of range");
    const int Key1 = Field.GetCellInt(Row, SovCol::EvKey1);
    const int Key2 = Field.GetCellInt(Row, SovCol::EvKey2);
    const int Max1 = Code == 1 ? L.FertilizerCount() : Code == 3 ? L.ManureCount() : 0;
    const int Max2 = Code == 1 ? L.FertAppMethodCount() : Code == 3 ? L.ManureAppMethodCount() : 0;
    if (Key1 < 0 || Key1 > Max1 || Key2 < 0 || Key2 > Max2) Fail("event key out of range");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv) {
  FuzzStartApplication(Argc, Argv);
  Lookup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QByteArray Bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
  // The user's number form alternates between a decimal point and a decimal comma.
  const TFormatSettings Format = Size % 2 ? GermanFormatSettings() : UsFormatSettings();
  TSovFile Field(Lookup(), Format);
  QString Msg;
  if (!Field.LoadFromBytes(Bytes, QStringLiteral("fuzz.sov"), Msg)) {
    if (Msg.isEmpty()) Fail("failed load without a message");
    return 0;
  }
  CheckRanges(Field);

  // Save, load and save again: the two texts must be equal.
  const QString Once = Field.SaveToText(QStringLiteral("fuzz"));
  TSovFile Again(Lookup(), Format);
  if (!Again.LoadFromBytes(Once.toUtf8(), QStringLiteral("fuzz.sov"), Msg)) Fail("saved text does not load");
  CheckRanges(Again);
  if (Again.SaveToText(QStringLiteral("fuzz")) != Once) Fail("second save differs from the first");
  return 0;
}
