// Lookup tables: the shipped lookup file, every check of the loader, the cell operations
// and finders, and damaged input.

#include "SovLookup.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <random>
#include <utility>
#include <vector>

namespace {

const QString ShippedFile = QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini");

// A small lookup file held as ordered sections of ordered keys, so that each case can
// change one value of a valid file.
class TIniText {
 public:
  void Set(const QString& Section, const QString& Key, const QString& Value) {
    auto& Keys = SectionKeys(Section);
    for (auto& KV : Keys) {
      if (KV.first == Key) {
        KV.second = Value;
        return;
      }
    }
    Keys.emplace_back(Key, Value);
  }
  void Remove(const QString& Section, const QString& Key) {
    auto& Keys = SectionKeys(Section);
    std::erase_if(Keys, [&](const auto& KV) { return KV.first == Key; });
  }
  void RemoveSection(const QString& Section) {
    std::erase_if(FSections, [&](const auto& S) { return S.first == Section; });
  }
  // Raw lines put after the sections.
  void Append(const QString& Lines) { FExtra += Lines; }
  QString Text() const {
    QString T;
    for (const auto& S : FSections) {
      T += "[" + S.first + "]\n";
      for (const auto& KV : S.second) T += KV.first + "=" + KV.second + "\n";
      T += "\n";
    }
    return T + FExtra;
  }

 private:
  std::vector<std::pair<QString, QString>>& SectionKeys(const QString& Section) {
    for (auto& S : FSections) {
      if (S.first == Section) return S.second;
    }
    FSections.emplace_back(Section, std::vector<std::pair<QString, QString>>());
    return FSections.back().second;
  }
  std::vector<std::pair<QString, std::vector<std::pair<QString, QString>>>> FSections;
  QString FExtra;
};

void AddCrop(TIniText& Ini, const QString& Section, const QString& Name) {
  Ini.Set(Section, "Name", Name);
  Ini.Set(Section, "ToMaxCrop", "1");
  Ini.Set(Section, "ACE_crid", "MAZ");
  Ini.Set(Section, "IsPerennial", "No");
  Ini.Set(Section, "RootingDepth", "120");
  Ini.Set(Section, "InitPct", "20");
  Ini.Set(Section, "DevPct", "30");
  Ini.Set(Section, "MidPct", "30");
  Ini.Set(Section, "LatePct", "20");
  Ini.Set(Section, "KcIni", "0.3");
  Ini.Set(Section, "KcMid", "1.2");
  Ini.Set(Section, "KcEnd", "0.6");
  Ini.Set(Section, "GDDMinBase", "10");
  Ini.Set(Section, "GDDMaxBase", "30");
  Ini.Set(Section, "NUptakeGDD1", "500");
  Ini.Set(Section, "NUptakeRate1", "0.2");
  Ini.Set(Section, "NUptakeGDD2", "1400");
  Ini.Set(Section, "NUptakeRate2", "0.1");
  Ini.Set(Section, "MaxRootGDD", "800");
}

// One of each table, every value valid.
TIniText ValidIni() {
  TIniText Ini;
  Ini.Set("Region", "Name", "Test region");
  AddCrop(Ini, "Crop1", "Maize");
  Ini.Set("Location1", "Name", "Iowa");
  Ini.Set("Location1", "State", "Iowa");
  Ini.Set("Location1", "StateAbbr", "IA");
  Ini.Set("Fertilizer1", "Name", "Urea");
  Ini.Set("Fertilizer1", "ACE_fecd", "FE005");
  Ini.Set("Fertilizer1", "IsLiquid", "No");
  Ini.Set("Fertilizer1", "N", "46");
  Ini.Set("Fertilizer1", "P2O5", "0");
  Ini.Set("Fertilizer1", "K2O", "0");
  Ini.Set("Fertilizer1", "Urea", "100");
  Ini.Set("Fertilizer1", "Ammonium", "0");
  Ini.Set("Fertilizer1", "Nitrate", "0");
  Ini.Set("FertAppMethod1", "Name", "Broadcast");
  Ini.Set("FertAppMethod1", "IsBand", "No");
  Ini.Set("Manure1", "Name", "Dairy liquid");
  Ini.Set("Manure1", "IsLiquid", "Yes");
  Ini.Set("Manure1", "MinerkConst", "0.02");
  Ini.Set("Manure1", "MaxMinerPct", "35");
  Ini.Set("ManureAppMethod1", "Name", "Injected");
  Ini.Set("ManureAppMethod1", "DaysToInc", "0");
  Ini.Set("ManureAppMethod1", "IsInject", "Yes");
  Ini.Set("WeatherSource1", "Name", "WU_ASOS");
  Ini.Set("WeatherSource1", "Description", "Airport stations");
  return Ini;
}

class SovLookupTest : public ::testing::Test {
 protected:
  QString WriteFile(const QString& Name, const QByteArray& Bytes) {
    const QString Path = FDir.filePath(Name);
    QFile F(Path);
    EXPECT_TRUE(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(F.write(Bytes), Bytes.size());
    return Path;
  }
  QString WriteIni(const TIniText& Ini) { return WriteFile("SovLookup.ini", Ini.Text().toUtf8()); }
  static QString Wrapped(const QString& Path, const QString& Msg) {
    return "Error in " + Path + " file.\n\n" + Msg;
  }

  QTemporaryDir FDir;
};

QByteArray ShippedBytes() {
  QFile F(ShippedFile);
  if (!F.open(QIODevice::ReadOnly)) return QByteArray();
  return F.readAll();
}

// ---------------------------------------------------------------------------
// The shipped lookup file
// ---------------------------------------------------------------------------

TEST_F(SovLookupTest, ShippedFileLoadsWithoutMessage) {
  TSovLookup L;
  QString Msg = "not cleared";
  ASSERT_TRUE(L.LoadFromFile(ShippedFile, Msg)) << Msg.toStdString();
  EXPECT_EQ(Msg, "");
  EXPECT_EQ(L.FileName(), ShippedFile);
  EXPECT_FALSE(L.RegionName().isEmpty());

  EXPECT_GE(L.CropCount(), 12);
  EXPECT_GE(L.LocationCount(), 50);
  EXPECT_GE(L.FertilizerCount(), 9);
  EXPECT_GE(L.FertAppMethodCount(), 4);
  EXPECT_GE(L.ManureCount(), 5);
  EXPECT_GE(L.ManureAppMethodCount(), 3);
  EXPECT_EQ(L.WeatherSourceCount(), 5);

  int UsStates = 0;
  for (int Row = 1; Row <= L.LocationCount(); ++Row) UsStates += L.Location(Row).IsUS ? 1 : 0;
  EXPECT_EQ(UsStates, 50);
  for (const char* State : {"Iowa", "California", "Alaska", "Hawaii", "West Virginia", "Wyoming"}) {
    const int Row = L.FindLocation(State);
    ASSERT_GT(Row, 0) << State;
    EXPECT_TRUE(L.Location(Row).IsUS) << State;
    EXPECT_EQ(L.Location(Row).StateAbbr.size(), 2) << State;
  }
  const int Ontario = L.FindLocation("Ontario (Canada)");
  ASSERT_GT(Ontario, 0);
  EXPECT_FALSE(L.Location(Ontario).IsUS);
  EXPECT_EQ(L.Location(Ontario).CountryFIPS, "CA");
  const int Spain = L.FindLocation("Spain");
  ASSERT_GT(Spain, 0);
  EXPECT_EQ(L.Location(Spain).CountryFIPS, "SP");
  EXPECT_EQ(L.Location(Spain).CountryISO, "ES");

  for (const char* Id : {"WU_ASOS", "WU_PWS", "NWS_COOP", "IA_AgClimate", "MI_Enviro-weather"})
    EXPECT_GT(L.FindWeatherSource(Id), 0) << Id;
}

TEST_F(SovLookupTest, ShippedCropsAreSound) {
  TSovLookup L;
  QString Msg;
  ASSERT_TRUE(L.LoadFromFile(ShippedFile, Msg)) << Msg.toStdString();
  for (const char* Name : {"Maize grain", "Maize silage", "Potato", "Winter wheat", "Spring wheat",
                           "Dry bean", "Soybean", "Sugar beet", "Onion (dry)", "Cotton", "Alfalfa",
                           "Grain sorghum", "Peanut", "Processing tomato"}) {
    EXPECT_GT(L.FindCrop(Name), 0) << Name;
  }
  EXPECT_TRUE(L.Crop(L.FindCrop("alfalfa")).IsPerennial);
  EXPECT_FALSE(L.Crop(L.FindCrop("maize grain")).IsPerennial);
  EXPECT_EQ(L.Crop(L.FindCrop("maize grain")).ToMaxCrop, 1);

  for (int Row = 1; Row <= L.CropCount(); ++Row) {
    const TCropRec& C = L.Crop(Row);
    SCOPED_TRACE(C.Name.toStdString());
    EXPECT_EQ(C.InitPct + C.DevPct + C.MidPct + C.LatePct, 100);
    EXPECT_GT(C.GDDMaxBase, C.GDDMinBase);
    ASSERT_GE(C.UptakePointCount, 2);
    // The uptake curve: points rise, and a season at full yield takes up a plausible
    // total (kg N/ha = sum of rate x degree days of each segment).
    double Total = 0;
    int Previous = 0;
    for (int j = 1; j <= C.UptakePointCount; ++j) {
      EXPECT_GT(C.NUptakeGDD[j], Previous);
      Total += (C.NUptakeGDD[j] - Previous) * C.NUptakeRate[j];
      Previous = C.NUptakeGDD[j];
    }
    EXPECT_GE(Total, 100.0);
    EXPECT_LE(Total, 500.0);
    EXPECT_LT(C.MaxRootGDD, C.NUptakeGDD[C.UptakePointCount]);
  }
  const TCropRec& Maize = L.Crop(L.FindCrop("Maize grain"));
  double MaizeTotal = 0;
  for (int j = 1, Previous = 0; j <= Maize.UptakePointCount; Previous = Maize.NUptakeGDD[j], ++j)
    MaizeTotal += (Maize.NUptakeGDD[j] - Previous) * Maize.NUptakeRate[j];
  EXPECT_NEAR(MaizeTotal, 280.0, 5.0);
}

TEST_F(SovLookupTest, ShippedFertilizersAndManuresAreSound) {
  TSovLookup L;
  QString Msg;
  ASSERT_TRUE(L.LoadFromFile(ShippedFile, Msg)) << Msg.toStdString();
  const TFertilizerRec& Uan28 = L.Fertilizer(L.FindFertilizer("UAN 28"));
  EXPECT_TRUE(Uan28.IsLiquid);
  EXPECT_DOUBLE_EQ(Uan28.LiquidWeight, 1.28);
  EXPECT_EQ(Uan28.N, 28);
  EXPECT_EQ(Uan28.Urea, 50);
  const TFertilizerRec& Urea = L.Fertilizer(L.FindFertilizer("urea"));
  EXPECT_EQ(Urea.N, 46);
  EXPECT_EQ(Urea.Urea, 100);
  EXPECT_EQ(L.Fertilizer(L.FindFertilizer("Anhydrous ammonia")).N, 82);
  for (int Row = 1; Row <= L.FertilizerCount(); ++Row) {
    const TFertilizerRec& F = L.Fertilizer(Row);
    EXPECT_EQ(F.Urea + F.Ammonium + F.Nitrate, 100) << F.Name.toStdString();
    EXPECT_EQ(F.IsLiquid, F.LiquidWeight > 0) << F.Name.toStdString();
  }
  bool AnyLiquid = false, AnySolid = false;
  for (int Row = 1; Row <= L.ManureCount(); ++Row) {
    (L.Manure(Row).IsLiquid ? AnyLiquid : AnySolid) = true;
  }
  EXPECT_TRUE(AnyLiquid && AnySolid);
  bool AnyInject = false;
  for (int Row = 1; Row <= L.ManureAppMethodCount(); ++Row) AnyInject |= L.ManureAppMethod(Row).IsInject;
  EXPECT_TRUE(AnyInject);
}

// ---------------------------------------------------------------------------
// One fixture per message
// ---------------------------------------------------------------------------

struct TFailCase {
  const char* Title;
  std::function<void(TIniText&)> Change;
  const char* Message;
};

TEST_F(SovLookupTest, EachCheckFailsWithItsMessage) {
  const std::vector<TFailCase> Cases = {
      {"no region name", [](TIniText& I) { I.Remove("Region", "Name"); }, "Missing Name in [Region] section."},
      {"empty region name", [](TIniText& I) { I.Set("Region", "Name", "  "); },
       "Missing Name in [Region] section."},
      {"no crop", [](TIniText& I) { I.RemoveSection("Crop1"); }, "No crops defined."},
      {"crop without name", [](TIniText& I) { I.Set("Crop1", "Name", ""); }, "No crops defined."},
      {"no location", [](TIniText& I) { I.RemoveSection("Location1"); }, "No Locations defined."},
      {"crop name differs in case",
       [](TIniText& I) { AddCrop(I, "Crop4", "MAIZE"); }, "Duplicate Name in [Crop4] section."},
      {"rooting depth 0", [](TIniText& I) { I.Set("Crop1", "RootingDepth", "0"); },
       "Invalid rooting depth in section [Crop1]."},
      {"rooting depth not whole", [](TIniText& I) { I.Set("Crop1", "RootingDepth", "1.5"); },
       "Invalid rooting depth in section [Crop1]."},
      {"rooting depth beyond 32 bits", [](TIniText& I) { I.Set("Crop1", "RootingDepth", "99999999999"); },
       "Invalid rooting depth in section [Crop1]."},
      {"rooting depth missing", [](TIniText& I) { I.Remove("Crop1", "RootingDepth"); },
       "Invalid rooting depth in section [Crop1]."},
      {"percents 25/25/25/24",
       [](TIniText& I) {
         I.Set("Crop1", "InitPct", "25");
         I.Set("Crop1", "DevPct", "25");
         I.Set("Crop1", "MidPct", "25");
         I.Set("Crop1", "LatePct", "24");
       },
       "Invalid percent in section [Crop1]."},
      {"percent 0 with sum 100",
       [](TIniText& I) {
         I.Set("Crop1", "InitPct", "0");
         I.Set("Crop1", "DevPct", "50");
       },
       "Invalid percent in section [Crop1]."},
      {"negative percent with sum 100",
       [](TIniText& I) {
         I.Set("Crop1", "InitPct", "-10");
         I.Set("Crop1", "DevPct", "60");
       },
       "Invalid percent in section [Crop1]."},
      {"percents overflowing a sum",
       [](TIniText& I) {
         for (const char* K : {"InitPct", "DevPct", "MidPct", "LatePct"}) I.Set("Crop1", K, "2147483647");
       },
       "Invalid percent in section [Crop1]."},
      {"percent with decimals", [](TIniText& I) { I.Set("Crop1", "InitPct", "20.0"); },
       "Invalid percent in section [Crop1]."},
      {"KcMid 1.21", [](TIniText& I) { I.Set("Crop1", "KcMid", "1.21"); }, "Invalid Kc in section [Crop1]."},
      {"KcIni 0", [](TIniText& I) { I.Set("Crop1", "KcIni", "0"); }, "Invalid Kc in section [Crop1]."},
      {"KcEnd with decimal comma", [](TIniText& I) { I.Set("Crop1", "KcEnd", "0,6"); },
       "Invalid Kc in section [Crop1]."},
      {"KcEnd nan", [](TIniText& I) { I.Set("Crop1", "KcEnd", "nan"); }, "Invalid Kc in section [Crop1]."},
      {"KcEnd missing", [](TIniText& I) { I.Remove("Crop1", "KcEnd"); }, "Invalid Kc in section [Crop1]."},
      {"GDDMinBase negative", [](TIniText& I) { I.Set("Crop1", "GDDMinBase", "-1"); },
       "Invalid GDDMinBase in section [Crop1]."},
      {"GDDMinBase text", [](TIniText& I) { I.Set("Crop1", "GDDMinBase", "ten"); },
       "Invalid GDDMinBase in section [Crop1]."},
      {"GDDMinBase huge", [](TIniText& I) { I.Set("Crop1", "GDDMinBase", "1e308"); },
       "Invalid GDDMinBase in section [Crop1]."},
      {"GDDMaxBase equal to base", [](TIniText& I) { I.Set("Crop1", "GDDMaxBase", "10"); },
       "Invalid GDDMaxBase in section [Crop1]."},
      {"GDDMaxBase huge", [](TIniText& I) { I.Set("Crop1", "GDDMaxBase", "1e308"); },
       "Invalid GDDMaxBase in section [Crop1]."},
      {"NUptakeGDD 5000", [](TIniText& I) { I.Set("Crop1", "NUptakeGDD2", "5000"); },
       "Invalid NUptakeGDD in section [Crop1]."},
      {"NUptakeGDD 0", [](TIniText& I) { I.Set("Crop1", "NUptakeGDD1", "0"); },
       "Invalid NUptakeGDD in section [Crop1]."},
      {"NUptakeGDD not whole", [](TIniText& I) { I.Set("Crop1", "NUptakeGDD1", "500.5"); },
       "Invalid NUptakeGDD in section [Crop1]."},
      {"NUptakeRate 1", [](TIniText& I) { I.Set("Crop1", "NUptakeRate1", "1"); },
       "Invalid NUptakeRate in section [Crop1]."},
      {"NUptakeRate 0", [](TIniText& I) { I.Set("Crop1", "NUptakeRate2", "0"); },
       "Invalid NUptakeRate in section [Crop1]."},
      {"NUptakeRate missing", [](TIniText& I) { I.Remove("Crop1", "NUptakeRate2"); },
       "Invalid NUptakeRate in section [Crop1]."},
      {"MaxRootGDD equal to the last point", [](TIniText& I) { I.Set("Crop1", "MaxRootGDD", "1400"); },
       "Invalid MaxRootGDD in section [Crop1]."},
      {"MaxRootGDD 0", [](TIniText& I) { I.Set("Crop1", "MaxRootGDD", "0"); },
       "Invalid MaxRootGDD in section [Crop1]."},
      {"MaxRootGDD missing", [](TIniText& I) { I.Remove("Crop1", "MaxRootGDD"); },
       "Invalid MaxRootGDD in section [Crop1]."},
      {"duplicate location", [](TIniText& I) { I.Set("Location7", "Name", "IOWA"); },
       "Duplicate Name in [Location7] section."},
      {"fertiliser without nutrients",
       [](TIniText& I) { I.Set("Fertilizer1", "N", "0"); }, "Invalid percent in section [Fertilizer1]."},
      {"fertiliser grade above 100",
       [](TIniText& I) {
         I.Set("Fertilizer1", "N", "46");
         I.Set("Fertilizer1", "P2O5", "60");
       },
       "Invalid percent in section [Fertilizer1]."},
      {"fertiliser forms 99", [](TIniText& I) { I.Set("Fertilizer1", "Urea", "99"); },
       "Invalid percent in section [Fertilizer1]."},
      {"fertiliser negative form",
       [](TIniText& I) {
         I.Set("Fertilizer1", "Urea", "110");
         I.Set("Fertilizer1", "Nitrate", "-10");
       },
       "Invalid percent in section [Fertilizer1]."},
      {"fertiliser percent missing", [](TIniText& I) { I.Remove("Fertilizer1", "K2O"); },
       "Invalid percent in section [Fertilizer1]."},
      {"liquid fertiliser without weight", [](TIniText& I) { I.Set("Fertilizer1", "IsLiquid", "Yes"); },
       "Invalid percent in section [Fertilizer1]."},
      {"liquid fertiliser weight 0",
       [](TIniText& I) {
         I.Set("Fertilizer1", "IsLiquid", "Yes");
         I.Set("Fertilizer1", "LiquidWeight", "0");
       },
       "Invalid percent in section [Fertilizer1]."},
      {"liquid fertiliser weight huge",
       [](TIniText& I) {
         I.Set("Fertilizer1", "IsLiquid", "Yes");
         I.Set("Fertilizer1", "LiquidWeight", "1e308");
       },
       "Invalid percent in section [Fertilizer1]."},
      {"duplicate fertiliser", [](TIniText& I) {
         I.Set("Fertilizer2", "Name", "urea");
       }, "Duplicate Name in [Fertilizer2] section."},
      {"duplicate fertiliser method", [](TIniText& I) { I.Set("FertAppMethod3", "Name", "BROADCAST"); },
       "Duplicate Name in [FertAppMethod3] section."},
      {"MinerkConst 0.11", [](TIniText& I) { I.Set("Manure1", "MinerkConst", "0.11"); },
       "Invalid MinerkConst in section [Manure1]."},
      {"MinerkConst negative", [](TIniText& I) { I.Set("Manure1", "MinerkConst", "-0.01"); },
       "Invalid MinerkConst in section [Manure1]."},
      {"MinerkConst missing", [](TIniText& I) { I.Remove("Manure1", "MinerkConst"); },
       "Invalid MinerkConst in section [Manure1]."},
      {"MaxMinerPct 0", [](TIniText& I) { I.Set("Manure1", "MaxMinerPct", "0"); },
       "Invalid MaxMinerPct in section [Manure1]."},
      {"MaxMinerPct 101", [](TIniText& I) { I.Set("Manure1", "MaxMinerPct", "101"); },
       "Invalid MaxMinerPct in section [Manure1]."},
      {"duplicate manure",
       [](TIniText& I) {
         I.Set("Manure2", "Name", "dairy LIQUID");
         I.Set("Manure2", "MinerkConst", "0.02");
         I.Set("Manure2", "MaxMinerPct", "35");
       },
       "Duplicate Name in [Manure2] section."},
      {"DaysToInc 100", [](TIniText& I) { I.Set("ManureAppMethod1", "DaysToInc", "100"); },
       "Invalid DaysToInc in section [ManureAppMethod1]."},
      {"DaysToInc -1", [](TIniText& I) { I.Set("ManureAppMethod1", "DaysToInc", "-1"); },
       "Invalid DaysToInc in section [ManureAppMethod1]."},
      {"DaysToInc missing", [](TIniText& I) { I.Remove("ManureAppMethod1", "DaysToInc"); },
       "Invalid DaysToInc in section [ManureAppMethod1]."},
      {"duplicate manure method",
       [](TIniText& I) {
         I.Set("ManureAppMethod2", "Name", "injected");
         I.Set("ManureAppMethod2", "DaysToInc", "0");
       },
       "Duplicate Name in [ManureAppMethod2] section."},
      {"duplicate weather source", [](TIniText& I) { I.Set("WeatherSource20", "Name", "wu_asos"); },
       "Duplicate Name in [WeatherSource20] section."},
  };
  for (const TFailCase& Case : Cases) {
    SCOPED_TRACE(Case.Title);
    TIniText Ini = ValidIni();
    Case.Change(Ini);
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    QString Msg;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    EXPECT_EQ(Msg.toStdString(), Wrapped(Path, Case.Message).toStdString());
    EXPECT_EQ(L.FileName(), "");
  }
}

struct TPassCase {
  const char* Title;
  std::function<void(TIniText&)> Change;
  std::function<void(const TSovLookup&)> Check;
};

TEST_F(SovLookupTest, BoundaryValuesPass) {
  const std::vector<TPassCase> Cases = {
      {"the valid fixture", [](TIniText&) {},
       [](const TSovLookup& L) {
         EXPECT_EQ(L.RegionName(), "Test region");
         EXPECT_EQ(L.CropCount(), 1);
         EXPECT_EQ(L.Crop(1).UptakePointCount, 2);
         EXPECT_EQ(L.Crop(1).NUptakeGDD[2], 1400);
         EXPECT_DOUBLE_EQ(L.Crop(1).NUptakeRate[2], 0.1);
         EXPECT_EQ(L.Crop(1).MaxRootGDD, 800);
         EXPECT_DOUBLE_EQ(L.Crop(1).KcMid, 1.2);
         EXPECT_DOUBLE_EQ(L.Crop(1).GDDMaxBase, 30);
       }},
      {"KcMid 1.2 and percents 20/30/30/20 with blanks around",
       [](TIniText& I) { I.Set("Crop1", "KcMid", " 1.2 "); },
       [](const TSovLookup& L) { EXPECT_DOUBLE_EQ(L.Crop(1).KcMid, 1.2); }},
      {"NUptakeGDD 4999 as the only point",
       [](TIniText& I) {
         I.Set("Crop1", "NUptakeGDD1", "4999");
         I.Remove("Crop1", "NUptakeGDD2");
         I.Set("Crop1", "MaxRootGDD", "4998");
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).UptakePointCount, 1);
         EXPECT_EQ(L.Crop(1).NUptakeGDD[1], 4999);
       }},
      {"points need not increase",
       [](TIniText& I) {
         I.Set("Crop1", "NUptakeGDD2", "300");
         I.Set("Crop1", "MaxRootGDD", "299");
       },
       [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).NUptakeGDD[2], 300); }},
      {"a gap ends the uptake points",
       [](TIniText& I) {
         I.Remove("Crop1", "NUptakeGDD2");
         I.Set("Crop1", "NUptakeGDD3", "not read");
         I.Set("Crop1", "NUptakeRate3", "7");
         I.Set("Crop1", "MaxRootGDD", "499");
       },
       [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).UptakePointCount, 1); }},
      {"no uptake points: MaxRootGDD is not read",
       [](TIniText& I) {
         I.Remove("Crop1", "NUptakeGDD1");
         I.Set("Crop1", "MaxRootGDD", "garbage");
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).UptakePointCount, 0);
         EXPECT_EQ(L.Crop(1).MaxRootGDD, 0);
       }},
      {"no GDD bases: GDDMaxBase is not read",
       [](TIniText& I) {
         I.Set("Crop1", "GDDMinBase", "");
         I.Set("Crop1", "GDDMaxBase", "garbage");
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).GDDMinBase, 0);
         EXPECT_EQ(L.Crop(1).GDDMaxBase, 0);
       }},
      {"a base without a cap",
       [](TIniText& I) {
         I.Set("Crop1", "GDDMinBase", "0");
         I.Remove("Crop1", "GDDMaxBase");
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).GDDMinBase, 0);
         EXPECT_EQ(L.Crop(1).GDDMaxBase, -1);
       }},
      {"ToMaxCrop not a whole number reads 0", [](TIniText& I) { I.Set("Crop1", "ToMaxCrop", "x"); },
       [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).ToMaxCrop, 0); }},
      {"crop sections need not be contiguous",
       [](TIniText& I) {
         AddCrop(I, "Crop3", "Potato");
         AddCrop(I, "Crop100", "Onion");
         AddCrop(I, "Crop101", "Never read");
         I.Set("Crop101", "KcMid", "5");
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.CropCount(), 3);
         EXPECT_EQ(L.Crop(2).Name, "Potato");
         EXPECT_EQ(L.Crop(3).Name, "Onion");
         EXPECT_EQ(L.FindCrop("Never read"), 0);
       }},
      {"fertiliser forms 0/50/50",
       [](TIniText& I) {
         I.Set("Fertilizer1", "Urea", "0");
         I.Set("Fertilizer1", "Ammonium", "50");
         I.Set("Fertilizer1", "Nitrate", "50");
       },
       [](const TSovLookup& L) { EXPECT_EQ(L.Fertilizer(1).Nitrate, 50); }},
      {"fertiliser grade exactly 100",
       [](TIniText& I) {
         I.Set("Fertilizer1", "N", "0");
         I.Set("Fertilizer1", "P2O5", "40");
         I.Set("Fertilizer1", "K2O", "60");
       },
       [](const TSovLookup& L) { EXPECT_EQ(L.Fertilizer(1).K2O, 60); }},
      {"liquid fertiliser with its weight",
       [](TIniText& I) {
         I.Set("Fertilizer1", "IsLiquid", "yes");
         I.Set("Fertilizer1", "LiquidWeight", "1.28");
         I.Set("Fertilizer1", "NitrifInhib", "ON");
         I.Set("Fertilizer1", "UreaseInhib", "1");
       },
       [](const TSovLookup& L) {
         EXPECT_TRUE(L.Fertilizer(1).IsLiquid);
         EXPECT_DOUBLE_EQ(L.Fertilizer(1).LiquidWeight, 1.28);
         EXPECT_TRUE(L.Fertilizer(1).NitrifInhib);
         EXPECT_TRUE(L.Fertilizer(1).UreaseInhib);
       }},
      {"a dry fertiliser's weight is not read",
       [](TIniText& I) { I.Set("Fertilizer1", "LiquidWeight", "heavy"); },
       [](const TSovLookup& L) { EXPECT_EQ(L.Fertilizer(1).LiquidWeight, 0); }},
      {"MinerkConst 0", [](TIniText& I) { I.Set("Manure1", "MinerkConst", "0"); },
       [](const TSovLookup& L) { EXPECT_EQ(L.Manure(1).MinerkConst, 0); }},
      {"MinerkConst 0.1 and MaxMinerPct 100",
       [](TIniText& I) {
         I.Set("Manure1", "MinerkConst", "0.1");
         I.Set("Manure1", "MaxMinerPct", "100");
       },
       [](const TSovLookup& L) {
         EXPECT_DOUBLE_EQ(L.Manure(1).MinerkConst, 0.1);
         EXPECT_EQ(L.Manure(1).MaxMinerPct, 100);
       }},
      {"DaysToInc 99", [](TIniText& I) { I.Set("ManureAppMethod1", "DaysToInc", "99"); },
       [](const TSovLookup& L) { EXPECT_EQ(L.ManureAppMethod(1).DaysToInc, 99); }},
      {"optional tables absent",
       [](TIniText& I) {
         for (const char* S : {"Fertilizer1", "FertAppMethod1", "Manure1", "ManureAppMethod1", "WeatherSource1"})
           I.RemoveSection(S);
       },
       [](const TSovLookup& L) {
         EXPECT_EQ(L.FertilizerCount(), 0);
         EXPECT_EQ(L.WeatherSourceCount(), 0);
         EXPECT_EQ(L.FindFertilizer("Urea"), 0);
       }},
      {"descriptions default to the name",
       [](TIniText&) {},
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Fertilizer(1).Description, "Urea");
         EXPECT_EQ(L.FertAppMethod(1).Description, "Broadcast");
         EXPECT_EQ(L.Manure(1).Description, "Dairy liquid");
         EXPECT_EQ(L.ManureAppMethod(1).Description, "Injected");
         EXPECT_EQ(L.WeatherSource(1).Description, "Airport stations");
         EXPECT_EQ(L.Location(1).Description, "Iowa");
       }},
      {"a repeated section adds to the first",
       [](TIniText& I) {
         I.Remove("Crop1", "IsPerennial");
         I.Append("[crop1]\nIsPerennial=Yes\nName=Ignored\n");
       },
       [](const TSovLookup& L) {
         EXPECT_TRUE(L.Crop(1).IsPerennial);
         EXPECT_EQ(L.Crop(1).Name, "Maize");
         EXPECT_EQ(L.GetCell(1, 4), "-1");
       }},
  };
  for (const TPassCase& Case : Cases) {
    SCOPED_TRACE(Case.Title);
    TIniText Ini = ValidIni();
    Case.Change(Ini);
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    QString Msg = "not cleared";
    ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.toStdString();
    EXPECT_EQ(Msg, "");
    EXPECT_EQ(L.FileName(), Path);
    Case.Check(L);
  }
}

TEST_F(SovLookupTest, MissingFileNamesFileAndFolder) {
  TSovLookup L;
  QString Msg;
  EXPECT_FALSE(L.LoadFromFile(FDir.filePath("Nope.ini"), Msg));
  EXPECT_EQ(Msg, "Can't find file Nope.ini in " + QDir(FDir.path()).absolutePath() + " folder.");
  EXPECT_FALSE(L.LoadFromFile(QString(), Msg));
  EXPECT_TRUE(Msg.startsWith("Can't find file "));
}

TEST_F(SovLookupTest, FailureKeepsWhatWasRead) {
  TIniText Ini = ValidIni();
  AddCrop(Ini, "Crop2", "Potato");
  Ini.Set("Crop2", "KcIni", "0");
  const QString Path = WriteIni(Ini);
  TSovLookup L;
  QString Msg;
  ASSERT_FALSE(L.LoadFromFile(Path, Msg));
  EXPECT_EQ(Msg, Wrapped(Path, "Invalid Kc in section [Crop2]."));
  EXPECT_EQ(L.RegionName(), "Test region");
  EXPECT_EQ(L.CropCount(), 2);
  EXPECT_EQ(L.LocationCount(), 0);
}

TEST_F(SovLookupTest, ReloadReplacesTables) {
  TSovLookup L;
  QString Msg;
  ASSERT_TRUE(L.LoadFromFile(ShippedFile, Msg));
  TIniText Ini = ValidIni();
  const QString Path = WriteIni(Ini);
  ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.toStdString();
  EXPECT_EQ(L.CropCount(), 1);
  EXPECT_EQ(L.LocationCount(), 1);
}

// ---------------------------------------------------------------------------
// Locations
// ---------------------------------------------------------------------------

TEST_F(SovLookupTest, LocationDefaultsAndUsMark) {
  struct TCase {
    const char* Title;
    std::vector<std::pair<const char*, const char*>> Keys;
    const char *Country, *Fips, *Iso;
    bool IsUS;
  };
  const std::vector<TCase> Cases = {
      {"no codes", {}, "United States", "US", "US", false},
      {"a US state", {{"State", "Iowa"}, {"StateAbbr", "IA"}}, "United States", "US", "US", true},
      {"FIPS us in lower case", {{"State", "Iowa"}, {"StateAbbr", "IA"}, {"CountryFIPS", "us"}},
       "United States", "us", "us", false},
      {"three-letter abbreviation", {{"State", "Iowa"}, {"StateAbbr", "IOW"}}, "United States", "US", "US",
       false},
      {"no state name", {{"StateAbbr", "IA"}}, "United States", "US", "US", false},
      {"a province",
       {{"State", "Ontario"}, {"StateAbbr", "ON"}, {"Country", "Canada"}, {"CountryFIPS", "CA"}},
       "Canada", "CA", "CA", false},
      {"FIPS and ISO differ", {{"Country", "Spain"}, {"CountryFIPS", "SP"}, {"CountryISO", "ES"}}, "Spain",
       "SP", "ES", false},
      {"empty codes stay empty", {{"Country", ""}, {"CountryFIPS", ""}}, "", "", "", false},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Title);
    TIniText Ini = ValidIni();
    Ini.RemoveSection("Location1");
    Ini.Set("Location1", "Name", "Here");
    for (const auto& KV : Case.Keys) Ini.Set("Location1", KV.first, KV.second);
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    QString Msg;
    ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.toStdString();
    const TLocationRec& Loc = L.Location(1);
    EXPECT_EQ(Loc.Description, "Here");
    EXPECT_EQ(Loc.Country, Case.Country);
    EXPECT_EQ(Loc.CountryFIPS, Case.Fips);
    EXPECT_EQ(Loc.CountryISO, Case.Iso);
    EXPECT_EQ(Loc.IsUS, Case.IsUS);
  }
}

// ---------------------------------------------------------------------------
// Cell operations and finders
// ---------------------------------------------------------------------------

TEST_F(SovLookupTest, GetCellServesEveryColumn) {
  TIniText Ini = ValidIni();
  Ini.Set("Crop1", "IsPerennial", "Yes");
  Ini.Set("Crop1", "ToMaxCrop", "-3");
  Ini.Set("Location1", "Description", "The state of Iowa");
  Ini.Set("Fertilizer1", "Description", "Urea, 46-0-0");
  Ini.Set("FertAppMethod1", "ACE_feacd", "AP001");
  Ini.Set("Manure1", "ACE_omcd", "RE004");
  Ini.Set("ManureAppMethod1", "ACE_omacd", "AP009");
  const QString Path = WriteIni(Ini);
  TSovLookup L;
  QString Msg;
  ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.toStdString();

  const std::vector<QString> Expected = {
      "Maize", "-3", "MAZ", "-1", "120",                                                      // 1-5
      "Iowa", "The state of Iowa", "Iowa", "IA", "United States", "US", "US",                // 6-12
      "Urea", "Urea, 46-0-0", "FE005", "0", "46", "0", "0",                                  // 13-19
      "Broadcast", "Broadcast", "AP001",                                                     // 20-22
      "Dairy liquid", "Dairy liquid", "RE004", "-1",                                         // 23-26
      "Injected", "Injected", "AP009",                                                       // 27-29
      "WU_ASOS", "Airport stations"};                                                        // 30-31
  ASSERT_EQ(int(Expected.size()), LookupColumnCount);
  for (int Col = 1; Col <= LookupColumnCount; ++Col) {
    SCOPED_TRACE(Col);
    EXPECT_EQ(L.GetCell(1, Col), Expected[size_t(Col - 1)]);
    EXPECT_EQ(L.GetCell(0, Col), "");
    EXPECT_EQ(L.GetCell(2, Col), "");
    EXPECT_EQ(L.GetCell(-1, Col), "");
    EXPECT_EQ(L.RowCount(L.SectionOfColumn(Col)), 1);
    EXPECT_EQ(L.ColumnIndex(L.SectionOfColumn(Col).toLower(), L.ColumnName(Col).toUpper()), Col);
  }
  for (int Col : {0, -1, 32, 1000}) {
    EXPECT_EQ(L.GetCell(1, Col), "");
    EXPECT_EQ(L.SectionOfColumn(Col), "");
    EXPECT_EQ(L.ColumnName(Col), "");
  }
}

TEST_F(SovLookupTest, ColumnTableAndRowCounts) {
  TSovLookup L;  // empty tables
  const std::vector<std::pair<int, const char*>> FirstColumns = {
      {1, "Crop"}, {6, "Location"}, {13, "Fertilizer"}, {20, "FertAppMethod"},
      {23, "Manure"}, {27, "ManureAppMethod"}, {30, "WeatherSource"}};
  for (const auto& [Col, Section] : FirstColumns) {
    EXPECT_EQ(L.SectionOfColumn(Col), Section);
    EXPECT_EQ(L.ColumnName(Col), "Name");
    EXPECT_EQ(L.ColumnIndex(Section, "name"), Col);
    EXPECT_EQ(L.RowCount(QString(Section).toUpper()), 0);
  }
  EXPECT_EQ(L.ColumnName(5), "RootingDepth");
  EXPECT_EQ(L.ColumnName(12), "CountryISO");
  EXPECT_EQ(L.ColumnName(19), "K2O");
  EXPECT_EQ(L.ColumnName(26), "IsLiquid");
  EXPECT_EQ(L.ColumnIndex("Fertilizer", "Urea"), 0);  // a key served by no column
  EXPECT_EQ(L.ColumnIndex("Crop", "Description"), 0);
  EXPECT_EQ(L.ColumnIndex("Region", "Name"), 0);
  EXPECT_EQ(L.ColumnIndex("", ""), 0);
  EXPECT_EQ(L.RowCount("Region"), -1);
  EXPECT_EQ(L.RowCount("Crops"), -1);
  EXPECT_EQ(L.RowCount(""), -1);
  EXPECT_EQ(L.GetCell(1, 1), "");
  EXPECT_EQ(L.FindCrop("Maize"), 0);
  EXPECT_EQ(L.FindCrop(""), 0);
}

TEST_F(SovLookupTest, FindersIgnoreCaseAndRowsAreChecked) {
  TSovLookup L;
  QString Msg;
  ASSERT_TRUE(L.LoadFromFile(ShippedFile, Msg)) << Msg.toStdString();
  const int Row = L.FindCrop("SOYBEAN");
  ASSERT_GT(Row, 0);
  EXPECT_EQ(L.Crop(Row).Name, "Soybean");
  EXPECT_EQ(L.FindCrop("Soy"), 0);
  EXPECT_EQ(L.FindCrop(" Soybean"), 0);
  EXPECT_EQ(L.FindLocation("new york"), L.FindLocation("New York"));
  EXPECT_GT(L.FindFertAppMethod("BROADCAST"), 0);
  EXPECT_GT(L.FindManure("poultry litter"), 0);
  EXPECT_GT(L.FindManureAppMethod("injected"), 0);
  EXPECT_GT(L.FindWeatherSource("mi_enviro-weather"), 0);
  EXPECT_EQ(L.GetCell(L.FindCrop("Alfalfa"), 4), "-1");
  EXPECT_EQ(L.GetCell(L.FindCrop("Potato"), 4), "0");

  EXPECT_THROW(L.Crop(0), std::out_of_range);
  EXPECT_THROW(L.Crop(L.CropCount() + 1), std::out_of_range);
  EXPECT_THROW(L.Location(-1), std::out_of_range);
  EXPECT_THROW(L.Fertilizer(MaxFertilizers + 1), std::out_of_range);
  EXPECT_THROW(L.FertAppMethod(0), std::out_of_range);
  EXPECT_THROW(L.Manure(0), std::out_of_range);
  EXPECT_THROW(L.ManureAppMethod(0), std::out_of_range);
  EXPECT_THROW(L.WeatherSource(L.WeatherSourceCount() + 1), std::out_of_range);
  EXPECT_NO_THROW(L.WeatherSource(L.WeatherSourceCount()));
}

// ---------------------------------------------------------------------------
// File conventions
// ---------------------------------------------------------------------------

TEST_F(SovLookupTest, FileFormatIsFixed) {
  const TSovLookup L;
  const TFormatSettings& F = L.FileFormat();
  EXPECT_EQ(F.DecimalSeparator, QChar('.'));
  EXPECT_EQ(F.ThousandSeparator, QChar());
  EXPECT_EQ(F.DateSeparator, QChar('/'));
  EXPECT_EQ(F.ShortDateFormat, "m/d/yyyy");
  EXPECT_EQ(F.TwoDigitYearCenturyWindow, QDate::currentDate().year() - 1980);
  ASSERT_EQ(F.LongMonthNames.size(), 12);
  EXPECT_EQ(F.LongMonthNames.first(), "January");

  // Two-digit years 80-99 are 1980-1999 and 00-79 are 2000-2079, whatever today is.
  QDate D;
  ASSERT_TRUE(TryStrToDate("5/17/79", D, F));
  EXPECT_EQ(D, QDate(2079, 5, 17));
  ASSERT_TRUE(TryStrToDate("5/17/80", D, F));
  EXPECT_EQ(D, QDate(1980, 5, 17));
  ASSERT_TRUE(TryStrToDate("5/17/00", D, F));
  EXPECT_EQ(D, QDate(2000, 5, 17));

  // Numbers in the lookup file keep the decimal point whatever the user's settings are.
  double V = 0;
  EXPECT_TRUE(TryStrToFloat("1.25", V, F));
  EXPECT_FALSE(TryStrToFloat("1,25", V, F));
  EXPECT_NE(F.DecimalSeparator, GermanFormatSettings().DecimalSeparator);
}

// ---------------------------------------------------------------------------
// Damaged input
// ---------------------------------------------------------------------------

void ExpectCleanResult(const TSovLookup& L, bool Ok, const QString& Msg, const QString& Path) {
  if (Ok) {
    EXPECT_EQ(Msg, "");
    EXPECT_GT(L.CropCount(), 0);
    EXPECT_GT(L.LocationCount(), 0);
  } else {
    EXPECT_TRUE(Msg.startsWith("Error in " + Path + " file.\n\n")) << Msg.toStdString();
    EXPECT_GT(Msg.size(), ("Error in " + Path + " file.\n\n").size());
  }
}

TEST_F(SovLookupTest, TruncatedFileGivesMessageOrFewerRows) {
  const QByteArray Full = ShippedBytes();
  ASSERT_GT(Full.size(), 1000);
  TSovLookup Whole;
  QString Msg;
  ASSERT_TRUE(Whole.LoadFromFile(ShippedFile, Msg));

  std::vector<qsizetype> Cuts = {0, 1, Full.size() / 8, Full.size() / 4, Full.size() / 2,
                                 3 * Full.size() / 4, Full.size() - 1};
  for (qsizetype Cut = 7; Cut < Full.size(); Cut += 211) Cuts.push_back(Cut);
  // Cut inside a crop's value, inside a section header and just after a key.
  for (const char* Marker : {"KcMid=1.", "[Crop5", "NUptakeRate3=", "[Location", "Urea=10"}) {
    const qsizetype At = Full.indexOf(Marker);
    ASSERT_GE(At, 0) << Marker;
    Cuts.push_back(At + qsizetype(qstrlen(Marker)));
  }
  for (const qsizetype Cut : Cuts) {
    SCOPED_TRACE(Cut);
    const QString Path = WriteFile("Cut.ini", Full.left(Cut));
    TSovLookup L;
    const bool Ok = L.LoadFromFile(Path, Msg);
    ExpectCleanResult(L, Ok, Msg, Path);
    EXPECT_LE(L.CropCount(), Whole.CropCount());
    EXPECT_LE(L.LocationCount(), Whole.LocationCount());
    EXPECT_LE(L.FertilizerCount(), Whole.FertilizerCount());
    EXPECT_LE(L.WeatherSourceCount(), Whole.WeatherSourceCount());
  }
  // Cut before the first location: the crops are there, the locations are not.
  const QString Path = WriteFile("Cut.ini", Full.left(Full.indexOf("[Location1]")));
  TSovLookup L;
  EXPECT_FALSE(L.LoadFromFile(Path, Msg));
  EXPECT_EQ(Msg, Wrapped(Path, "No Locations defined."));
  EXPECT_EQ(L.CropCount(), Whole.CropCount());
}

TEST_F(SovLookupTest, GarbledInputGivesMessage) {
  std::mt19937 Random(20160517);
  std::uniform_int_distribution<int> Byte(0, 255);
  QString Msg;

  for (const int Size : {0, 1, 100, 4096, 300000}) {
    SCOPED_TRACE(Size);
    QByteArray Bytes(Size, '\0');
    for (char& C : Bytes) C = char(Byte(Random));
    const QString Path = WriteFile("Random.ini", Bytes);
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    ExpectCleanResult(L, false, Msg, Path);
  }
  {
    const QString Path = WriteFile("Empty.ini", QByteArray());
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    EXPECT_EQ(Msg, Wrapped(Path, "Missing Name in [Region] section."));
  }
  {
    // A binary file with NUL bytes between INI-looking lines.
    static const char Raw[] = "[Region]\0\0Name=\x01\x02\n\0\0\0[Crop1]\nName=\0Maize\n";
    const QByteArray Bytes(Raw, sizeof(Raw) - 1);
    const QString Path = WriteFile("Binary.ini", Bytes);
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    ExpectCleanResult(L, false, Msg, Path);
  }
  {
    // The shipped file with bytes flipped here and there.
    const QByteArray Full = ShippedBytes();
    std::uniform_int_distribution<qsizetype> Where(0, Full.size() - 1);
    for (int Round = 0; Round < 40; ++Round) {
      QByteArray Bytes = Full;
      for (int k = 0; k < 1 + Round % 8; ++k) Bytes[Where(Random)] = char(Byte(Random));
      const QString Path = WriteFile("Flipped.ini", Bytes);
      TSovLookup L;
      const bool Ok = L.LoadFromFile(Path, Msg);
      SCOPED_TRACE(Round);
      ExpectCleanResult(L, Ok, Msg, Path);
    }
  }
  {
    // UTF-16 text is not a lookup file.
    static const char Raw[] = "\xFF\xFE[\0R\0e\0g\0i\0o\0n\0]\0";
    const QString Path = WriteFile("Utf16.ini", QByteArray(Raw, sizeof(Raw) - 1));
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    ExpectCleanResult(L, false, Msg, Path);
  }
}

TEST_F(SovLookupTest, OversizedInputGivesMessage) {
  QString Msg;
  {
    // A valid file padded with comment lines beyond any real lookup file.
    QByteArray Bytes = ShippedBytes();
    const QByteArray Comment = "; " + QByteArray(200, 'x') + "\n";
    while (Bytes.size() <= 4 * 1024 * 1024) Bytes += Comment;
    const QString Path = WriteFile("Huge.ini", Bytes);
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    EXPECT_EQ(Msg, Wrapped(Path, "File is too large."));
    EXPECT_EQ(L.CropCount(), 0);
  }
  {
    // One very long value within the size limit: read as it is.
    TIniText Ini = ValidIni();
    Ini.Set("Region", "Name", QString(1000000, 'R'));
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.left(200).toStdString();
    EXPECT_EQ(L.RegionName().size(), 1000000);
  }
  {
    // A number of a hundred thousand digits is either read or refused, never misread.
    TIniText Ini = ValidIni();
    Ini.Set("Crop1", "KcMid", "1." + QString(100000, '0'));
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    if (L.LoadFromFile(Path, Msg))
      EXPECT_DOUBLE_EQ(L.Crop(1).KcMid, 1.0);
    else
      EXPECT_EQ(Msg, Wrapped(Path, "Invalid Kc in section [Crop1]."));
  }
  {
    // Many sections and keys beyond the tables' sizes.
    TIniText Ini = ValidIni();
    for (int i = 1; i <= 150; ++i) Ini.Set(QString("Location%1").arg(i), "Name", QString("Place %1").arg(i));
    for (int i = 1; i <= 30; ++i) Ini.Set("Crop1", QString("NUptakeGDD%1").arg(i), "100");
    for (int i = 1; i <= 30; ++i) Ini.Set("Crop1", QString("NUptakeRate%1").arg(i), "0.5");
    Ini.Set("Crop1", "MaxRootGDD", "50");
    const QString Path = WriteIni(Ini);
    TSovLookup L;
    ASSERT_TRUE(L.LoadFromFile(Path, Msg)) << Msg.toStdString();
    EXPECT_EQ(L.LocationCount(), MaxLocations);
    EXPECT_EQ(L.Crop(1).UptakePointCount, MaxUptakePoints);
  }
  {
    // A folder where the file should be.
    const QString Path = FDir.filePath("Folder.ini");
    ASSERT_TRUE(QDir().mkpath(Path));
    TSovLookup L;
    EXPECT_FALSE(L.LoadFromFile(Path, Msg));
    EXPECT_TRUE(Msg.startsWith("Error in " + Path + " file.\n\n")) << Msg.toStdString();
  }
}

}  // namespace
