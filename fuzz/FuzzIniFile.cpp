// libFuzzer target: the settings (INI) file reader. Any input must read, never crash or
// hang; every value can be read back, and what is written reads back to the same text.

#include "FuzzSupport.h"

FURROW_FUZZ_TARGET("settings file fuzzer")

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMyIniFile Ini;
  Ini.SetText(DecodeFileText(FuzzBytes(Data, Size)));
  for (const QString& Section : Ini.ReadSections()) {
    Check(Ini.SectionExists(Section), "a listed section that does not exist");
    for (const QString& Key : Ini.ReadSection(Section)) {
      Check(Ini.ValueExists(Section, Key), "a listed key without a value");
      Ini.ReadString(Section, Key, QString());
      Ini.ReadInteger(Section, Key, 0);
      Ini.ReadBool(Section, Key, false);
    }
  }
  // Writing is a fixed point after one round.
  const QString Once = Ini.GetText();
  TMyIniFile Again;
  Again.SetText(Once);
  Check(Again.GetText() == Once, "written text that reads back differently");
  Check(Again.ReadSections() == Ini.ReadSections(), "written sections that read back differently");
  return 0;
}
