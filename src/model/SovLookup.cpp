// The reference tables of one region, read from the lookup file beside the program.

#include "SovLookup.h"

#include <QFileInfo>

#include <cstdint>
#include <iterator>
#include <stdexcept>

namespace {

// A lookup file is a few dozen kilobytes; anything far larger is not one.
constexpr qint64 MaxLookupFileSize = 4 * 1024 * 1024;

// Temperatures (deg C) beyond this are no growing-degree-day base of any crop; the
// bound also keeps the conversion to deg F finite.
constexpr double MaxGddBase = 100.0;

// A liquid fertiliser heavier than this (kg per liter) is a typing error; the bound
// keeps the nitrogen arithmetic finite.
constexpr double MaxLiquidWeight = 10.0;

struct TLookupColumn {
  const char* Section;
  const char* Key;
};

// Lookup columns 1-31.
constexpr TLookupColumn LookupColumns[LookupColumnCount] = {
    {"Crop", "Name"},
    {"Crop", "ToMaxCrop"},
    {"Crop", "ACE_crid"},
    {"Crop", "IsPerennial"},
    {"Crop", "RootingDepth"},
    {"Location", "Name"},
    {"Location", "Description"},
    {"Location", "State"},
    {"Location", "StateAbbr"},
    {"Location", "Country"},
    {"Location", "CountryFIPS"},
    {"Location", "CountryISO"},
    {"Fertilizer", "Name"},
    {"Fertilizer", "Description"},
    {"Fertilizer", "ACE_fecd"},
    {"Fertilizer", "IsLiquid"},
    {"Fertilizer", "N"},
    {"Fertilizer", "P2O5"},
    {"Fertilizer", "K2O"},
    {"FertAppMethod", "Name"},
    {"FertAppMethod", "Description"},
    {"FertAppMethod", "ACE_feacd"},
    {"Manure", "Name"},
    {"Manure", "Description"},
    {"Manure", "ACE_omcd"},
    {"Manure", "IsLiquid"},
    {"ManureAppMethod", "Name"},
    {"ManureAppMethod", "Description"},
    {"ManureAppMethod", "ACE_omacd"},
    {"WeatherSource", "Name"},
    {"WeatherSource", "Description"},
};

const char* const SectionNames[] = {"Crop",   "Location",        "Fertilizer",   "FertAppMethod",
                                    "Manure", "ManureAppMethod", "WeatherSource"};

QString BoolCell(bool Value) { return Value ? QStringLiteral("-1") : QStringLiteral("0"); }

template <typename T>
const T& RowOf(const std::vector<T>& Table, int Row, const char* What) {
  if (Row < 1 || Row > int(Table.size())) {
    throw std::out_of_range(std::string("Lookup ") + What + " row " + std::to_string(Row) +
                            " is outside 1.." + std::to_string(Table.size()));
  }
  return Table[size_t(Row - 1)];
}

template <typename T>
int FindByName(const std::vector<T>& Table, const QString& Name) {
  for (size_t i = 0; i < Table.size(); ++i) {
    if (Table[i].Name.compare(Name, Qt::CaseInsensitive) == 0) return int(i) + 1;
  }
  return 0;
}

// Reads one lookup file section by section; every check failure ends the load with
// its message.
class TLookupReader {
 public:
  TLookupReader(const TMyIniFile& Ini, const TFormatSettings& Format) : FIni(Ini), FFormat(Format) {}

  // The trimmed value; empty when the key is missing.
  QString Text(const QString& Section, const char* Key) const {
    return FIni.ReadString(Section, QLatin1String(Key), QString());
  }
  // The value, or Default when the key is missing (a key present with an empty value
  // gives the empty text).
  QString TextOr(const QString& Section, const char* Key, const QString& Default) const {
    if (!FIni.ValueExists(Section, QLatin1String(Key))) return Default;
    return Text(Section, Key);
  }
  bool Bool(const QString& Section, const char* Key) const {
    return FIni.ReadBool(Section, QLatin1String(Key), false);
  }
  bool Int(const QString& Section, const char* Key, int& Value) const {
    Value = 0;
    return TryStrToInt(Text(Section, Key), Value);
  }
  bool Float(const QString& Section, const char* Key, double& Value) const {
    Value = 0;
    return TryStrToFloat(Text(Section, Key), Value, FFormat);
  }

 private:
  const TMyIniFile& FIni;
  const TFormatSettings& FFormat;
};

QString InSection(const QString& What, const QString& Section) {
  return "Invalid " + What + " in section [" + Section + "].";
}

QString DuplicateName(const QString& Section) {
  return "Duplicate Name in [" + Section + "] section.";
}

// Reads the sections Prefix1 to PrefixMax that have a Name, in order, into Table (a
// repeated name is an error); Read(Sec, Record) reads the rest of a record and gives
// the error that ends the reading, or an empty text.
template <typename TRec, typename TRead>
QString ReadTable(const TLookupReader& R, const char* Prefix, int Max, std::vector<TRec>& Table, TRead Read) {
  for (int i = 1; i <= Max; ++i) {
    const QString Sec = Prefix + QString::number(i);
    const QString Name = R.Text(Sec, "Name");
    if (Name.isEmpty()) continue;
    if (FindByName(Table, Name) > 0) return DuplicateName(Sec);
    TRec& Record = Table.emplace_back();
    Record.Name = Name;
    const QString Error = Read(Sec, Record);
    if (!Error.isEmpty()) return Error;
  }
  return QString();
}

}  // namespace

// The data-file conventions, with English day and month names whatever the user's
// language.
TSovLookup::TSovLookup() : FFileFormat(FileFormatSettings()) {}

void TSovLookup::ClearTables() {
  FFileName.clear();
  FRegionName.clear();
  FCrops.clear();
  FLocations.clear();
  FFertilizers.clear();
  FFertAppMethods.clear();
  FManures.clear();
  FManureAppMethods.clear();
  FWeatherSources.clear();
}

bool TSovLookup::LoadFromFile(const QString& FileName, QString& Msg) {
  Msg.clear();
  ClearTables();

  const QFileInfo Info(FileName);
  if (FileName.isEmpty() || !Info.exists()) {
    QString Folder = Info.absolutePath();
    while (Folder.size() > 1 && Folder.endsWith(QLatin1Char('/'))) Folder.chop(1);
    Msg = "Can't find file " + Info.fileName() + " in " + Folder + " folder.";
    return false;
  }

  auto Fail = [&](const QString& Text) {
    Msg = "Error in " + FileName + " file.\n\n" + Text;
    return false;
  };

  if (!Info.isFile()) return Fail(QStringLiteral("Not a file."));
  if (Info.size() > MaxLookupFileSize) return Fail(QStringLiteral("File is too large."));

  TMyIniFile Ini;
  QString IniMsg;
  if (!Ini.LoadFromFile(FileName, IniMsg)) {
    return Fail(IniMsg.isEmpty() ? QStringLiteral("Can't read file.") : IniMsg);
  }
  return ReadTables(Ini, FileName, Msg);
}

bool TSovLookup::LoadFromData(const QString& FileName, const QByteArray& Data, QString& Msg) {
  Msg.clear();
  ClearTables();
  if (Data.size() > MaxLookupFileSize) {
    Msg = "Error in " + FileName + " file.\n\nFile is too large.";
    return false;
  }
  TMyIniFile Ini;
  Ini.SetText(DecodeFileText(Data));
  return ReadTables(Ini, FileName, Msg);
}

bool TSovLookup::ReadTables(const TMyIniFile& Ini, const QString& FileName, QString& Msg) {
  auto Fail = [&](const QString& Text) {
    Msg = "Error in " + FileName + " file.\n\n" + Text;
    return false;
  };
  const TLookupReader R(Ini, FFileFormat);

  // Region
  FRegionName = R.Text(QStringLiteral("Region"), "Name");
  if (FRegionName.isEmpty()) return Fail(QStringLiteral("Missing Name in [Region] section."));

  // Crops
  QString Error = ReadTable(R, "Crop", MaxCrops, FCrops, [&](const QString& Sec, auto& C) {
    if (!R.Int(Sec, "ToMaxCrop", C.ToMaxCrop)) C.ToMaxCrop = 0;
    C.ACE_crid = R.Text(Sec, "ACE_crid");
    C.IsPerennial = R.Bool(Sec, "IsPerennial");

    if (!R.Int(Sec, "RootingDepth", C.RootingDepth) || C.RootingDepth <= 0)
      return InSection(QStringLiteral("rooting depth"), Sec);

    bool PctOk = R.Int(Sec, "InitPct", C.InitPct) && C.InitPct > 0;
    PctOk = R.Int(Sec, "DevPct", C.DevPct) && C.DevPct > 0 && PctOk;
    PctOk = R.Int(Sec, "MidPct", C.MidPct) && C.MidPct > 0 && PctOk;
    PctOk = R.Int(Sec, "LatePct", C.LatePct) && C.LatePct > 0 && PctOk;
    if (!PctOk ||
        int64_t(C.InitPct) + int64_t(C.DevPct) + int64_t(C.MidPct) + int64_t(C.LatePct) != 100)
      return InSection(QStringLiteral("percent"), Sec);

    auto KcOk = [&](const char* Key, double& Kc) { return R.Float(Sec, Key, Kc) && Kc > 0 && Kc <= 1.2; };
    bool KcValid = KcOk("KcIni", C.KcIni);
    KcValid = KcOk("KcMid", C.KcMid) && KcValid;
    KcValid = KcOk("KcEnd", C.KcEnd) && KcValid;
    if (!KcValid) return InSection(QStringLiteral("Kc"), Sec);

    if (!R.Text(Sec, "GDDMinBase").isEmpty()) {
      if (!R.Float(Sec, "GDDMinBase", C.GDDMinBase) || C.GDDMinBase < 0 || C.GDDMinBase > MaxGddBase)
        return InSection(QStringLiteral("GDDMinBase"), Sec);
      C.GDDMaxBase = -1;
      if (!R.Text(Sec, "GDDMaxBase").isEmpty()) {
        if (!R.Float(Sec, "GDDMaxBase", C.GDDMaxBase) || C.GDDMaxBase <= C.GDDMinBase ||
            C.GDDMaxBase > MaxGddBase)
          return InSection(QStringLiteral("GDDMaxBase"), Sec);
      }
    }

    for (int j = 1; j <= MaxUptakePoints; ++j) {
      const QString GddKey = "NUptakeGDD" + QString::number(j);
      const QString GddText = Ini.ReadString(Sec, GddKey, QString());
      if (GddText.isEmpty()) break;
      C.UptakePointCount = j;
      int Gdd = 0;
      if (!TryStrToInt(GddText, Gdd) || Gdd <= 0 || Gdd >= 5000)
        return InSection(QStringLiteral("NUptakeGDD"), Sec);
      C.NUptakeGDD[j] = Gdd;
      double Rate = 0;
      if (!TryStrToFloat(Ini.ReadString(Sec, "NUptakeRate" + QString::number(j), QString()), Rate,
                         FFileFormat) ||
          Rate <= 0 || Rate >= 1)
        return InSection(QStringLiteral("NUptakeRate"), Sec);
      C.NUptakeRate[j] = Rate;
    }
    if (C.UptakePointCount > 0) {
      if (!R.Int(Sec, "MaxRootGDD", C.MaxRootGDD) || C.MaxRootGDD <= 0 ||
          C.MaxRootGDD >= C.NUptakeGDD[C.UptakePointCount])
        return InSection(QStringLiteral("MaxRootGDD"), Sec);
    }
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);
  if (FCrops.empty()) return Fail(QStringLiteral("No crops defined."));

  // Locations
  Error = ReadTable(R, "Location", MaxLocations, FLocations, [&](const QString& Sec, auto& L) {
    L.Description = R.TextOr(Sec, "Description", L.Name);
    L.State = R.Text(Sec, "State");
    L.StateAbbr = R.Text(Sec, "StateAbbr");
    L.Country = R.TextOr(Sec, "Country", QStringLiteral("United States"));
    L.CountryFIPS = R.TextOr(Sec, "CountryFIPS", QStringLiteral("US"));
    L.CountryISO = R.TextOr(Sec, "CountryISO", L.CountryFIPS);
    L.IsUS = L.StateAbbr.size() == 2 && !L.State.isEmpty() && L.CountryFIPS == QLatin1String("US");
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);
  if (FLocations.empty()) return Fail(QStringLiteral("No Locations defined."));

  // Fertilisers
  Error = ReadTable(R, "Fertilizer", MaxFertilizers, FFertilizers, [&](const QString& Sec, auto& F) {
    F.Description = R.TextOr(Sec, "Description", F.Name);
    F.ACE_fecd = R.Text(Sec, "ACE_fecd");
    F.IsLiquid = R.Bool(Sec, "IsLiquid");
    bool Ok = true;
    if (F.IsLiquid) {
      Ok = R.Float(Sec, "LiquidWeight", F.LiquidWeight) && F.LiquidWeight > 0 &&
           F.LiquidWeight <= MaxLiquidWeight;
    }
    auto PctOk = [&](const char* Key, int& Value) { return R.Int(Sec, Key, Value) && Value >= 0; };
    Ok = PctOk("N", F.N) && Ok;
    Ok = PctOk("P2O5", F.P2O5) && Ok;
    Ok = PctOk("K2O", F.K2O) && Ok;
    Ok = PctOk("Urea", F.Urea) && Ok;
    Ok = PctOk("Ammonium", F.Ammonium) && Ok;
    Ok = PctOk("Nitrate", F.Nitrate) && Ok;
    const int64_t Nutrients = int64_t(F.N) + int64_t(F.P2O5) + int64_t(F.K2O);
    const int64_t Forms = int64_t(F.Urea) + int64_t(F.Ammonium) + int64_t(F.Nitrate);
    if (!Ok || Nutrients < 1 || Nutrients > 100 || Forms != 100)
      return InSection(QStringLiteral("percent"), Sec);
    F.NitrifInhib = R.Bool(Sec, "NitrifInhib");
    F.UreaseInhib = R.Bool(Sec, "UreaseInhib");
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);

  // Fertiliser application methods
  Error = ReadTable(R, "FertAppMethod", MaxFertAppMethods, FFertAppMethods, [&](const QString& Sec, auto& M) {
    M.Description = R.TextOr(Sec, "Description", M.Name);
    M.ACE_feacd = R.Text(Sec, "ACE_feacd");
    M.IsBand = R.Bool(Sec, "IsBand");
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);

  // Manures
  Error = ReadTable(R, "Manure", MaxManures, FManures, [&](const QString& Sec, auto& M) {
    M.Description = R.TextOr(Sec, "Description", M.Name);
    M.ACE_omcd = R.Text(Sec, "ACE_omcd");
    M.IsLiquid = R.Bool(Sec, "IsLiquid");
    M.NitrifInhib = R.Bool(Sec, "NitrifInhib");
    M.UreaseInhib = R.Bool(Sec, "UreaseInhib");
    if (!R.Float(Sec, "MinerkConst", M.MinerkConst) || M.MinerkConst < 0 || M.MinerkConst > 0.1)
      return InSection(QStringLiteral("MinerkConst"), Sec);
    if (!R.Int(Sec, "MaxMinerPct", M.MaxMinerPct) || M.MaxMinerPct <= 0 || M.MaxMinerPct > 100)
      return InSection(QStringLiteral("MaxMinerPct"), Sec);
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);

  // Manure application methods
  Error = ReadTable(R, "ManureAppMethod", MaxManureAppMethods, FManureAppMethods, [&](const QString& Sec, auto& M) {
    M.Description = R.TextOr(Sec, "Description", M.Name);
    M.ACE_omacd = R.Text(Sec, "ACE_omacd");
    if (!R.Int(Sec, "DaysToInc", M.DaysToInc) || M.DaysToInc < 0 || M.DaysToInc > 99)
      return InSection(QStringLiteral("DaysToInc"), Sec);
    M.IsInject = R.Bool(Sec, "IsInject");
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);

  // Weather sources
  Error = ReadTable(R, "WeatherSource", MaxWeatherSources, FWeatherSources, [&](const QString& Sec, auto& W) {
    W.Description = R.TextOr(Sec, "Description", W.Name);
    return QString();
  });
  if (!Error.isEmpty()) return Fail(Error);

  FFileName = FileName;
  return true;
}

const TCropRec& TSovLookup::Crop(int Row) const { return RowOf(FCrops, Row, "crop"); }
const TLocationRec& TSovLookup::Location(int Row) const { return RowOf(FLocations, Row, "location"); }
const TFertilizerRec& TSovLookup::Fertilizer(int Row) const {
  return RowOf(FFertilizers, Row, "fertilizer");
}
const TFertAppMethodRec& TSovLookup::FertAppMethod(int Row) const {
  return RowOf(FFertAppMethods, Row, "fertilizer application method");
}
const TManureRec& TSovLookup::Manure(int Row) const { return RowOf(FManures, Row, "manure"); }
const TManureAppMethodRec& TSovLookup::ManureAppMethod(int Row) const {
  return RowOf(FManureAppMethods, Row, "manure application method");
}
const TWeatherSourceRec& TSovLookup::WeatherSource(int Row) const {
  return RowOf(FWeatherSources, Row, "weather source");
}

QString TSovLookup::GetCell(int Row, int Col) const {
  if (Col < 1 || Col > LookupColumnCount) return QString();
  if (Row < 1 || Row > RowCount(SectionOfColumn(Col))) return QString();
  if (Col <= 5) {
    const TCropRec& C = Crop(Row);
    switch (Col) {
      case 1: return C.Name;
      case 2: return QString::number(C.ToMaxCrop);
      case 3: return C.ACE_crid;
      case 4: return BoolCell(C.IsPerennial);
      default: return QString::number(C.RootingDepth);
    }
  }
  if (Col <= 12) {
    const TLocationRec& L = Location(Row);
    switch (Col) {
      case 6: return L.Name;
      case 7: return L.Description;
      case 8: return L.State;
      case 9: return L.StateAbbr;
      case 10: return L.Country;
      case 11: return L.CountryFIPS;
      default: return L.CountryISO;
    }
  }
  if (Col <= 19) {
    const TFertilizerRec& F = Fertilizer(Row);
    switch (Col) {
      case 13: return F.Name;
      case 14: return F.Description;
      case 15: return F.ACE_fecd;
      case 16: return BoolCell(F.IsLiquid);
      case 17: return QString::number(F.N);
      case 18: return QString::number(F.P2O5);
      default: return QString::number(F.K2O);
    }
  }
  if (Col <= 22) {
    const TFertAppMethodRec& M = FertAppMethod(Row);
    switch (Col) {
      case 20: return M.Name;
      case 21: return M.Description;
      default: return M.ACE_feacd;
    }
  }
  if (Col <= 26) {
    const TManureRec& M = Manure(Row);
    switch (Col) {
      case 23: return M.Name;
      case 24: return M.Description;
      case 25: return M.ACE_omcd;
      default: return BoolCell(M.IsLiquid);
    }
  }
  if (Col <= 29) {
    const TManureAppMethodRec& M = ManureAppMethod(Row);
    switch (Col) {
      case 27: return M.Name;
      case 28: return M.Description;
      default: return M.ACE_omacd;
    }
  }
  const TWeatherSourceRec& W = WeatherSource(Row);
  return Col == 30 ? W.Name : W.Description;
}

int TSovLookup::RowCount(const QString& Section) const {
  const int Counts[] = {CropCount(),   LocationCount(),        FertilizerCount(),   FertAppMethodCount(),
                        ManureCount(), ManureAppMethodCount(), WeatherSourceCount()};
  for (size_t i = 0; i < std::size(SectionNames); ++i) {
    if (Section.compare(QLatin1String(SectionNames[i]), Qt::CaseInsensitive) == 0) return Counts[i];
  }
  return -1;
}

QString TSovLookup::SectionOfColumn(int Col) const {
  if (Col < 1 || Col > LookupColumnCount) return QString();
  return QString::fromLatin1(LookupColumns[Col - 1].Section);
}

QString TSovLookup::ColumnName(int Col) const {
  if (Col < 1 || Col > LookupColumnCount) return QString();
  return QString::fromLatin1(LookupColumns[Col - 1].Key);
}

int TSovLookup::ColumnIndex(const QString& Section, const QString& Name) const {
  for (int Col = 1; Col <= LookupColumnCount; ++Col) {
    const TLookupColumn& C = LookupColumns[Col - 1];
    if (Section.compare(QLatin1String(C.Section), Qt::CaseInsensitive) == 0 &&
        Name.compare(QLatin1String(C.Key), Qt::CaseInsensitive) == 0)
      return Col;
  }
  return 0;
}

int TSovLookup::FindCrop(const QString& Name) const { return FindByName(FCrops, Name); }
int TSovLookup::FindLocation(const QString& Name) const { return FindByName(FLocations, Name); }
int TSovLookup::FindFertilizer(const QString& Name) const { return FindByName(FFertilizers, Name); }
int TSovLookup::FindFertAppMethod(const QString& Name) const { return FindByName(FFertAppMethods, Name); }
int TSovLookup::FindManure(const QString& Name) const { return FindByName(FManures, Name); }
int TSovLookup::FindManureAppMethod(const QString& Name) const {
  return FindByName(FManureAppMethods, Name);
}
int TSovLookup::FindWeatherSource(const QString& Name) const { return FindByName(FWeatherSources, Name); }
