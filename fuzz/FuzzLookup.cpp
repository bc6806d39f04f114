// libFuzzer target: the lookup file reader. Any input must load or fail with a message
// naming the file, never crash or hang; every cell of what loads can be asked for.

#include "FuzzSupport.h"

FURROW_FUZZ_TARGET("lookup file fuzzer")

namespace {

const QString FileName = QStringLiteral("SovLookup.ini");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TSovLookup Lookup;
  QString Msg;
  if (!Lookup.LoadFromData(FileName, FuzzBytes(Data, Size), Msg)) {
    Check(Msg.contains(FileName), "a failure without a message naming the file");
    return 0;
  }
  Check(!Lookup.RegionName().isEmpty(), "a lookup without a region name");
  for (int Col = 1; Col <= 31; ++Col) {
    const int Rows = Lookup.RowCount(Lookup.SectionOfColumn(Col));
    Check(Rows >= 0, "a negative row count");
    for (int Row = 1; Row <= Rows; ++Row) Lookup.GetCell(Row, Col);
  }
  for (int Row = 1; Row <= Lookup.CropCount(); ++Row)
    Check(Lookup.FindCrop(Lookup.Crop(Row).Name) >= 1, "a crop that cannot be found by its name");
  return 0;
}
