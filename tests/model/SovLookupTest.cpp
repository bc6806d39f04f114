// Lookup tables: the shipped lookup file, every check of the loader, the cell operations
// and finders, and damaged input.

#include "TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <random>
#include <stdexcept>

namespace {

const QString ShippedFile = FURROW_SOURCE_DIR "/data/SovLookup.ini";

// tests/data/lookup/Valid.ini changed by "Section/Key=Value" (written), "Section/Key"
// (deleted), "Section" (erased) and "Section/*=Name" (a copy of Crop1 named Name),
// separated by ";".
QByteArray Changed(const char* Changes) {
  TMyIniFile Ini;
  Ini.SetText(QString::fromUtf8(ReadAll(FURROW_TEST_DATA_DIR "/lookup/Valid.ini")));
  for (const QString& Change : QString::fromUtf8(Changes).split(';', Qt::SkipEmptyParts)) {
    const QString Target = Change.section('=', 0, 0), Value = Change.section('=', 1);
    const QString Section = Target.section('/', 0, 0), Key = Target.section('/', 1);
    if (Key == "*") {
      for (const QString& K : Ini.ReadSection("Crop1")) Ini.WriteString(Section, K, Ini.ReadString("Crop1", K, ""));
      Ini.WriteString(Section, "Name", Value);
    } else if (Key.isEmpty()) {
      Ini.EraseSection(Section);
    } else if (!Change.contains('=')) {
      Ini.DeleteKey(Section, Key);
    } else {
      Ini.WriteString(Section, Key, Value);
    }
  }
  return Ini.GetText().toUtf8();
}

struct Loaded {
  QString Path;
  bool Ok;
  QString Msg;
  std::unique_ptr<TSovLookup> L = std::make_unique<TSovLookup>();
};

Loaded Load(const QTemporaryDir& Dir, const QByteArray& Bytes) {
  Loaded R{Dir.filePath("SovLookup.ini"), false, "not cleared"};
  EXPECT_TRUE(WriteAll(R.Path, Bytes));
  R.Ok = R.L->LoadFromFile(R.Path, R.Msg);
  return R;
}

QString Wrapped(const QString& Path, const QString& Msg) { return "Error in " + Path + " file.\n\n" + Msg; }

// The shipped file: 50 US states, sound crops (their stages add up, their uptake
// curves rise to a plausible season total: rate times degree days) and fertilisers.
TEST(SovLookup, TheShippedFile) {
  const TSovLookup& L = ShippedLookup();
  EXPECT_EQ(L.FileName(), ShippedFile);
  EXPECT_GE(L.CropCount(), 12);
  EXPECT_GE(L.LocationCount(), 50);
  EXPECT_EQ(L.WeatherSourceCount(), 5);
  int UsStates = 0;
  for (int Row = 1; Row <= L.LocationCount(); ++Row) UsStates += L.Location(Row).IsUS ? 1 : 0;
  EXPECT_EQ(UsStates, 50);
  const TLocationRec& Spain = L.Location(L.FindLocation("Spain"));
  EXPECT_FALSE(Spain.IsUS);
  EXPECT_EQ(Spain.CountryFIPS, "SP");
  EXPECT_EQ(Spain.CountryISO, "ES");
  for (int Row = 1; Row <= L.CropCount(); ++Row) {
    const TCropRec& C = L.Crop(Row);
    double Total = 0;
    for (int j = 1, Previous = 0; j <= C.UptakePointCount; Previous = C.NUptakeGDD[j++])
      Total += (C.NUptakeGDD[j] - Previous) * C.NUptakeRate[j];
    SCOPED_TRACE(C.Name.toStdString());
    EXPECT_EQ(C.InitPct + C.DevPct + C.MidPct + C.LatePct, 100);  // the stages fill the season
    EXPECT_GT(C.GDDMaxBase, C.GDDMinBase);
    EXPECT_GE(Total, 100);
    EXPECT_LE(Total, 500);
    EXPECT_LT(C.MaxRootGDD, C.NUptakeGDD[C.UptakePointCount]);
  }
  for (int Row = 1; Row <= L.FertilizerCount(); ++Row) {
    const TFertilizerRec& F = L.Fertilizer(Row);
    EXPECT_EQ(F.Urea + F.Ammonium + F.Nitrate, 100) << F.Name.toStdString();  // the forms make up all the nitrogen
    EXPECT_EQ(F.IsLiquid, F.LiquidWeight > 0) << F.Name.toStdString();
  }
}

// The shipped file's exchange codes come from the ICASA code lists, and a fertiliser's
// description names the product without the grade the editor appends to it.
TEST(SovLookup, ShippedCodesAndFertilizerTexts) {
  const TSovLookup& L = ShippedLookup();
  const QStringList IcasaCrops = {"ALF", "BAR", "BND", "COT", "MAZ", "ONI", "PNT", "POT",
                                  "SBN", "SBT", "SGG", "SWC", "TOM", "WHB", "WHD"};
  for (int Row = 1; Row <= L.CropCount(); ++Row)
    EXPECT_TRUE(IcasaCrops.contains(L.Crop(Row).ACE_crid)) << L.Crop(Row).Name.toStdString();
  const QRegularExpression Fertilizer("^FE0[0-9][0-9]$"), Method("^AP0[0-9][0-9]$"), Manure("^RE0[0-9][0-9]$");
  const QRegularExpression Grade("[0-9]+(\\.[0-9]+)?-[0-9]+-[0-9]+");
  for (int Row = 1; Row <= L.FertilizerCount(); ++Row) {
    const TFertilizerRec& F = L.Fertilizer(Row);
    EXPECT_TRUE(Fertilizer.match(F.ACE_fecd).hasMatch()) << F.Name.toStdString();
    EXPECT_FALSE(Grade.match(F.Description).hasMatch()) << F.Description.toStdString();
  }
  for (int Row = 1; Row <= L.FertAppMethodCount(); ++Row)
    EXPECT_TRUE(Method.match(L.FertAppMethod(Row).ACE_feacd).hasMatch()) << Row;
  for (int Row = 1; Row <= L.ManureCount(); ++Row) EXPECT_TRUE(Manure.match(L.Manure(Row).ACE_omcd).hasMatch()) << Row;
  for (int Row = 1; Row <= L.ManureAppMethodCount(); ++Row)
    EXPECT_TRUE(Method.match(L.ManureAppMethod(Row).ACE_omacd).hasMatch()) << Row;
}

TEST(SovLookup, EachCheckFailsWithItsMessage) {
  const std::pair<const char*, const char*> Cases[] = {
      {"Region/Name", "Missing Name in [Region] section."},
      {"Crop1", "No crops defined."},
      {"Location1", "No Locations defined."},
      {"Crop4/*=MAIZE", "Duplicate Name in [Crop4] section."},
      {"Location7/Name=IOWA", "Duplicate Name in [Location7] section."},
      {"Fertilizer2/Name=urea", "Duplicate Name in [Fertilizer2] section."},
      {"FertAppMethod3/Name=BROADCAST", "Duplicate Name in [FertAppMethod3] section."},
      {"Manure2/Name=dairy LIQUID;Manure2/MinerkConst=0.02;Manure2/MaxMinerPct=35",
       "Duplicate Name in [Manure2] section."},
      {"ManureAppMethod2/Name=injected;ManureAppMethod2/DaysToInc=0", "Duplicate Name in [ManureAppMethod2] section."},
      {"WeatherSource20/Name=wu_asos", "Duplicate Name in [WeatherSource20] section."},
      {"Crop1/RootingDepth=0", "Invalid rooting depth in section [Crop1]."},
      {"Crop1/InitPct=25;Crop1/DevPct=25;Crop1/MidPct=25;Crop1/LatePct=24", "Invalid percent in section [Crop1]."},
      {"Crop1/InitPct=0;Crop1/DevPct=50", "Invalid percent in section [Crop1]."},
      {"Crop1/KcMid=1.21", "Invalid Kc in section [Crop1]."},
      {"Crop1/KcIni=0", "Invalid Kc in section [Crop1]."},
      {"Crop1/GDDMinBase=-1", "Invalid GDDMinBase in section [Crop1]."},
      {"Crop1/GDDMinBase=1e308", "Invalid GDDMinBase in section [Crop1]."},
      {"Crop1/GDDMinBase=ten", "Invalid GDDMinBase in section [Crop1]."},
      {"Crop1/GDDMaxBase=10", "Invalid GDDMaxBase in section [Crop1]."},
      {"Crop1/GDDMaxBase=1e308", "Invalid GDDMaxBase in section [Crop1]."},
      {"Crop1/NUptakeGDD2=5000", "Invalid NUptakeGDD in section [Crop1]."},
      {"Crop1/NUptakeGDD1=0", "Invalid NUptakeGDD in section [Crop1]."},
      {"Crop1/NUptakeGDD1=500.5", "Invalid NUptakeGDD in section [Crop1]."},
      {"Crop1/NUptakeRate1=1", "Invalid NUptakeRate in section [Crop1]."},
      {"Crop1/NUptakeRate2=0", "Invalid NUptakeRate in section [Crop1]."},
      {"Crop1/MaxRootGDD=1400", "Invalid MaxRootGDD in section [Crop1]."},
      {"Crop1/MaxRootGDD=0", "Invalid MaxRootGDD in section [Crop1]."},
      {"Fertilizer1/N=0", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/P2O5=60", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/Urea=99", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/Urea=110;Fertilizer1/Nitrate=-10", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/IsLiquid=Yes", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/IsLiquid=Yes;Fertilizer1/LiquidWeight=1e308", "Invalid percent in section [Fertilizer1]."},
      {"Fertilizer1/IsLiquid=Yes;Fertilizer1/LiquidWeight=0", "Invalid percent in section [Fertilizer1]."},
      {"Manure1/MinerkConst=0.11", "Invalid MinerkConst in section [Manure1]."},
      {"Manure1/MinerkConst=-0.01", "Invalid MinerkConst in section [Manure1]."},
      {"Manure1/MaxMinerPct=0", "Invalid MaxMinerPct in section [Manure1]."},
      {"Manure1/MaxMinerPct=101", "Invalid MaxMinerPct in section [Manure1]."},
      {"ManureAppMethod1/DaysToInc=100", "Invalid DaysToInc in section [ManureAppMethod1]."},
      {"ManureAppMethod1/DaysToInc=-1", "Invalid DaysToInc in section [ManureAppMethod1]."},
  };
  QTemporaryDir Dir;
  for (const auto& [Change, Message] : Cases) {
    const Loaded R = Load(Dir, Changed(Change));
    EXPECT_FALSE(R.Ok) << Change;
    EXPECT_EQ(R.Msg.toStdString(), Wrapped(R.Path, Message).toStdString());
    EXPECT_EQ(R.L->FileName(), "");
  }
  // What was read before the failure stays.
  const Loaded R = Load(Dir, Changed("Crop2/*=Potato;Crop2/KcIni=0"));
  EXPECT_EQ(R.Msg, Wrapped(R.Path, "Invalid Kc in section [Crop2]."));
  EXPECT_EQ(R.L->RegionName(), "Test region");
  EXPECT_EQ(R.L->CropCount(), 2);
  EXPECT_EQ(R.L->LocationCount(), 0);
}

TEST(SovLookup, BoundaryValuesPass) {
  const std::pair<const char*, std::function<void(const TSovLookup&)>> Cases[] = {
      {"", [](const TSovLookup& L) {
         EXPECT_EQ(L.RegionName(), "Test region");
         EXPECT_EQ(L.CropCount(), 1);
         EXPECT_EQ(L.Crop(1).UptakePointCount, 2);
         EXPECT_EQ(L.Crop(1).NUptakeGDD[2], 1400);
         EXPECT_EQ(L.Crop(1).NUptakeRate[2], 0.1);
         EXPECT_EQ(L.Crop(1).MaxRootGDD, 800);
         EXPECT_EQ(L.Crop(1).KcMid, 1.2);
         EXPECT_EQ(L.Crop(1).GDDMaxBase, 30);
         EXPECT_EQ(L.Fertilizer(1).Description, "Urea");  // the names
         EXPECT_EQ(L.Location(1).Description, "Iowa");
         EXPECT_EQ(L.WeatherSource(1).Description, "Airport stations");
       }},
      {"Crop1/NUptakeGDD1=4999;Crop1/NUptakeGDD2;Crop1/MaxRootGDD=4998",
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).UptakePointCount, 1);
         EXPECT_EQ(L.Crop(1).NUptakeGDD[1], 4999);
       }},
      {"Crop1/NUptakeGDD2=300;Crop1/MaxRootGDD=299",  // points need not increase
       [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).NUptakeGDD[2], 300); }},
      {"Crop1/NUptakeGDD2;Crop1/NUptakeGDD3=not read;Crop1/NUptakeRate3=7;Crop1/MaxRootGDD=499",  // a gap ends them
       [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).UptakePointCount, 1); }},
      {"Crop1/NUptakeGDD1;Crop1/MaxRootGDD=garbage",  // without uptake points MaxRootGDD is not read
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).UptakePointCount, 0);
         EXPECT_EQ(L.Crop(1).MaxRootGDD, 0);
       }},
      {"Crop1/GDDMinBase;Crop1/GDDMaxBase=garbage",  // without a base the cap is not read
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).GDDMinBase, 0);
         EXPECT_EQ(L.Crop(1).GDDMaxBase, 0);
       }},
      {"Crop1/GDDMinBase=0;Crop1/GDDMaxBase",  // a base without a cap
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Crop(1).GDDMinBase, 0);
         EXPECT_EQ(L.Crop(1).GDDMaxBase, -1);
       }},
      {"Crop1/ToMaxCrop=x", [](const TSovLookup& L) { EXPECT_EQ(L.Crop(1).ToMaxCrop, 0); }},
      {"Crop3/*=Potato;Crop100/*=Onion;Crop101/*=Never read;Crop101/KcMid=5",  // gaps in the crop sections
       [](const TSovLookup& L) {
         EXPECT_EQ(L.CropCount(), 3);
         EXPECT_EQ(L.Crop(2).Name, "Potato");
         EXPECT_EQ(L.Crop(3).Name, "Onion");
         EXPECT_EQ(L.FindCrop("Never read"), 0);
       }},
      {"Fertilizer1/Urea=0;Fertilizer1/Ammonium=50;Fertilizer1/Nitrate=50;Fertilizer1/N=0;Fertilizer1/P2O5=40;"
       "Fertilizer1/K2O=60",
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Fertilizer(1).Nitrate, 50);
         EXPECT_EQ(L.Fertilizer(1).K2O, 60);
       }},
      {"Fertilizer1/IsLiquid=yes;Fertilizer1/LiquidWeight=1.28;Fertilizer1/NitrifInhib=ON;Fertilizer1/UreaseInhib=1",
       [](const TSovLookup& L) {
         const TFertilizerRec& F = L.Fertilizer(1);
         EXPECT_TRUE(F.IsLiquid);
         EXPECT_EQ(F.LiquidWeight, 1.28);
         EXPECT_TRUE(F.NitrifInhib);
         EXPECT_TRUE(F.UreaseInhib);
       }},
      {"Fertilizer1/LiquidWeight=heavy", [](const TSovLookup& L) { EXPECT_EQ(L.Fertilizer(1).LiquidWeight, 0); }},
      {"Manure1/MinerkConst=0.1;Manure1/MaxMinerPct=100;ManureAppMethod1/DaysToInc=99",
       [](const TSovLookup& L) {
         EXPECT_EQ(L.Manure(1).MinerkConst, 0.1);
         EXPECT_EQ(L.Manure(1).MaxMinerPct, 100);
         EXPECT_EQ(L.ManureAppMethod(1).DaysToInc, 99);
       }},
      {"Manure1/MinerkConst=0", [](const TSovLookup& L) { EXPECT_EQ(L.Manure(1).MinerkConst, 0); }},
      {"Fertilizer1;FertAppMethod1;Manure1;ManureAppMethod1;WeatherSource1",  // optional tables
       [](const TSovLookup& L) {
         EXPECT_EQ(L.FertilizerCount(), 0);
         EXPECT_EQ(L.WeatherSourceCount(), 0);
       }},
  };
  QTemporaryDir Dir;
  for (const auto& [Change, Check] : Cases) {
    const Loaded R = Load(Dir, Changed(Change));
    ASSERT_TRUE(R.Ok) << Change << ": " << R.Msg.toStdString();
    SCOPED_TRACE(Change);
    EXPECT_EQ(R.Msg, "");
    EXPECT_EQ(R.L->FileName(), R.Path);
    Check(*R.L);
  }
  // A repeated section adds to the first; a reload replaces the tables.
  const Loaded R = Load(Dir, Changed("Crop1/IsPerennial") + "[crop1]\nIsPerennial=Yes\nName=Ignored\n");
  EXPECT_TRUE(R.L->Crop(1).IsPerennial);
  EXPECT_EQ(R.L->Crop(1).Name, "Maize");
  EXPECT_EQ(R.L->GetCell(1, 4), "-1");
  QString Msg;
  ASSERT_TRUE(R.L->LoadFromFile(ShippedFile, Msg));
  ASSERT_TRUE(R.L->LoadFromFile(R.Path, Msg));
  EXPECT_EQ(R.L->CropCount(), 1);
  EXPECT_EQ(R.L->LocationCount(), 1);
}

TEST(SovLookup, LocationDefaultsAndUsMark) {
  const struct {
    const char* Keys;
    const char *Country, *Fips, *Iso;
    bool IsUS;
  } Cases[] = {
      {"", "United States", "US", "US", false},
      {"Location1/State=Iowa;Location1/StateAbbr=IA", "United States", "US", "US", true},
      {"Location1/State=Iowa;Location1/StateAbbr=IA;Location1/CountryFIPS=us", "United States", "us", "us", false},
      {"Location1/State=Iowa;Location1/StateAbbr=IOW", "United States", "US", "US", false},
      {"Location1/StateAbbr=IA", "United States", "US", "US", false},
      {"Location1/Country=Spain;Location1/CountryFIPS=SP;Location1/CountryISO=ES", "Spain", "SP", "ES", false},
  };
  QTemporaryDir Dir;
  for (const auto& C : Cases) {
    const Loaded R = Load(Dir, Changed((std::string("Location1;Location1/Name=Here;") + C.Keys).c_str()));
    ASSERT_TRUE(R.Ok) << R.Msg.toStdString();
    const TLocationRec& Loc = R.L->Location(1);
    SCOPED_TRACE(C.Keys);
    EXPECT_EQ(Loc.Description, "Here");
    EXPECT_EQ(Loc.Country, C.Country);
    EXPECT_EQ(Loc.CountryFIPS, C.Fips);
    EXPECT_EQ(Loc.CountryISO, C.Iso);
    EXPECT_EQ(Loc.IsUS, C.IsUS);
  }
  // Empty codes stay empty.
  const Loaded R = Load(Dir, Changed("Location1/Country=;Location1/CountryFIPS="));
  EXPECT_EQ(R.L->Location(1).Country, "");
  EXPECT_EQ(R.L->Location(1).CountryISO, "");
}

TEST(SovLookup, CellsColumnsAndFinders) {
  QTemporaryDir Dir;
  const Loaded R = Load(Dir, Changed("Crop1/IsPerennial=Yes;Crop1/ToMaxCrop=-3;Location1/Description=The state of Iowa;"
                                     "Fertilizer1/Description=Urea, 46-0-0;FertAppMethod1/ACE_feacd=AP001;"
                                     "Manure1/ACE_omcd=RE004;ManureAppMethod1/ACE_omacd=AP009"));
  const TSovLookup& L = *R.L;
  const char* Expected[] = {"Maize", "-3", "MAZ", "-1", "120",                                     // 1-5
                            "Iowa", "The state of Iowa", "Iowa", "IA", "United States", "US", "US",  // 6-12
                            "Urea", "Urea, 46-0-0", "FE005", "0", "46", "0", "0",                  // 13-19
                            "Broadcast", "Broadcast", "AP001", "Dairy liquid", "Dairy liquid", "RE004", "-1",  // 20-26
                            "Injected", "Injected", "AP009", "WU_ASOS", "Airport stations"};        // 27-31
  ASSERT_EQ(int(std::size(Expected)), LookupColumnCount);
  for (int Col = 1; Col <= LookupColumnCount; ++Col) {
    EXPECT_EQ(L.GetCell(1, Col), Expected[Col - 1]) << Col;
    EXPECT_EQ(L.GetCell(0, Col), "") << Col;
    EXPECT_EQ(L.GetCell(2, Col), "") << Col;
    EXPECT_EQ(L.RowCount(L.SectionOfColumn(Col)), 1) << Col;
    EXPECT_EQ(L.ColumnIndex(L.SectionOfColumn(Col).toLower(), L.ColumnName(Col).toUpper()), Col);
  }
  for (int Col : {0, -1, 32}) {
    EXPECT_EQ(L.GetCell(1, Col), "") << Col;
    EXPECT_EQ(L.SectionOfColumn(Col), "") << Col;
    EXPECT_EQ(L.ColumnName(Col), "") << Col;
  }
  for (const auto& [Col, Section] : {std::pair{1, "Crop"}, {6, "Location"}, {13, "Fertilizer"}, {20, "FertAppMethod"},
                                     {23, "Manure"}, {27, "ManureAppMethod"}, {30, "WeatherSource"}}) {
    EXPECT_EQ(L.SectionOfColumn(Col), Section) << Col;
    EXPECT_EQ(L.ColumnName(Col), "Name") << Col;
    EXPECT_EQ(L.ColumnIndex(Section, "name"), Col);
    EXPECT_EQ(TSovLookup().RowCount(QString(Section).toUpper()), 0);
  }
  EXPECT_EQ(L.ColumnName(5), "RootingDepth");
  EXPECT_EQ(L.ColumnName(12), "CountryISO");
  EXPECT_EQ(L.ColumnName(19), "K2O");
  EXPECT_EQ(L.ColumnName(26), "IsLiquid");
  EXPECT_EQ(L.ColumnIndex("Fertilizer", "Urea"), 0);
  EXPECT_EQ(L.ColumnIndex("Crop", "Description"), 0);
  EXPECT_EQ(L.ColumnIndex("Region", "Name"), 0);
  for (const char* Section : {"Region", "Crops", ""}) EXPECT_EQ(L.RowCount(Section), -1) << Section;
  // Finders ignore the letter case and nothing else; rows are checked.
  const TSovLookup& S = ShippedLookup();
  EXPECT_EQ(S.Crop(S.FindCrop("SOYBEAN")).Name, "Soybean");
  EXPECT_EQ(S.FindCrop("Soy"), 0);
  EXPECT_EQ(S.FindCrop(" Soybean"), 0);
  EXPECT_EQ(TSovLookup().FindCrop("Maize"), 0);
  EXPECT_GT(S.FindFertAppMethod("BROADCAST"), 0);
  EXPECT_GT(S.FindManure("poultry litter"), 0);
  EXPECT_GT(S.FindManureAppMethod("injected"), 0);
  EXPECT_GT(S.FindWeatherSource("mi_enviro-weather"), 0);
  EXPECT_EQ(S.GetCell(S.FindCrop("Potato"), 4), "0");
  EXPECT_THROW(S.Crop(0), std::out_of_range);
  EXPECT_THROW(S.Crop(S.CropCount() + 1), std::out_of_range);
  EXPECT_THROW(S.Location(-1), std::out_of_range);
  EXPECT_THROW(S.Fertilizer(MaxFertilizers + 1), std::out_of_range);
  EXPECT_THROW(S.FertAppMethod(0), std::out_of_range);
  EXPECT_THROW(S.Manure(0), std::out_of_range);
  EXPECT_THROW(S.ManureAppMethod(0), std::out_of_range);
  EXPECT_THROW(S.WeatherSource(S.WeatherSourceCount() + 1), std::out_of_range);
  EXPECT_NO_THROW(S.WeatherSource(S.WeatherSourceCount()));
  // Lookup files keep "." and "m/d/yyyy" whatever the user's settings are.
  EXPECT_EQ(TSovLookup().FileFormat(), FileFormatSettings());
}

// Truncated, garbled and oversized lookup files: a message naming the file, or fewer
// rows, never a crash.
TEST(SovLookup, TruncatedGarbledAndOversizedFiles) {
  const QByteArray Full = ReadAll(ShippedFile);
  const TSovLookup& Whole = ShippedLookup();
  QTemporaryDir Dir;
  std::mt19937 Random(20160517);
  std::vector<QByteArray> Inputs;
  for (qsizetype Cut = 7; Cut < Full.size(); Cut += 523) Inputs.push_back(Full.left(Cut));
  for (const char* Marker : {"KcMid=1.", "[Crop5", "NUptakeRate3=", "Urea=10"})  // in a value, a header, a key
    Inputs.push_back(Full.left(Full.indexOf(Marker) + qsizetype(qstrlen(Marker))));
  for (int Round = 0; Round < 20; ++Round) {  // bytes flipped here and there
    QByteArray Bytes = Full;
    for (int k = 0; k < 1 + Round % 8; ++k) Bytes[qsizetype(Random() % Full.size())] = char(Random());
    Inputs.push_back(Bytes);
  }
  for (int Size : {1, 100, 4096, 300000}) {
    QByteArray Bytes(Size, '\0');
    for (char& C : Bytes) C = char(Random());
    Inputs.push_back(Bytes);
  }
  static const char Binary[] = "[Region]\0\0Name=\x01\x02\n\0\0\0[Crop1]\nName=\0Maize\n";
  static const char Utf16[] = "\xFF\xFE[\0R\0e\0g\0i\0o\0n\0]\0";
  Inputs.push_back(QByteArray(Binary, sizeof Binary - 1));
  Inputs.push_back(QByteArray(Utf16, sizeof Utf16 - 1));
  for (const QByteArray& Bytes : Inputs) {
    const Loaded R = Load(Dir, Bytes);
    SCOPED_TRACE(R.Msg.toStdString());
    if (R.Ok) {
      EXPECT_EQ(R.Msg, "");
      EXPECT_GT(R.L->CropCount(), 0);
      EXPECT_GT(R.L->LocationCount(), 0);
    } else {
      EXPECT_TRUE(R.Msg.startsWith(Wrapped(R.Path, "")));
      EXPECT_GT(R.Msg.size(), Wrapped(R.Path, "").size());
    }
    EXPECT_LE(R.L->CropCount(), Whole.CropCount());
    EXPECT_LE(R.L->LocationCount(), Whole.LocationCount());
    EXPECT_LE(R.L->FertilizerCount(), Whole.FertilizerCount());
  }
  const std::tuple<QByteArray, const char*, int> Messages[] = {
      {"", "Missing Name in [Region] section.", 0},
      {Full.left(Full.indexOf("[Location1]")), "No Locations defined.", Whole.CropCount()},  // the crops are there
      {Full + QByteArray(4 * 1024 * 1024, ';'), "File is too large.", 0}};
  for (const auto& [Bytes, Message, Crops] : Messages) {
    const Loaded R = Load(Dir, Bytes);
    EXPECT_EQ(R.Msg, Wrapped(R.Path, Message));
    EXPECT_EQ(R.L->CropCount(), Crops);
  }
  // Long values and many sections within the limit are read; a folder is no file.
  const Loaded Name = Load(Dir, Changed(("Region/Name=" + std::string(1000000, 'R')).c_str()));
  EXPECT_EQ(Name.L->RegionName().size(), 1000000);
  const Loaded Kc = Load(Dir, Changed(("Crop1/KcMid=1." + std::string(100000, '0')).c_str()));  // read or refused
  if (Kc.Ok) {
    EXPECT_EQ(Kc.L->Crop(1).KcMid, 1.0);
  } else {
    EXPECT_EQ(Kc.Msg, Wrapped(Kc.Path, "Invalid Kc in section [Crop1]."));
  }
  QByteArray Many = Changed("Crop1/MaxRootGDD=50");
  for (int i = 1; i <= 150; ++i) Many += QStringLiteral("[Location%1]\nName=Place %1\n").arg(i).toUtf8();
  for (int i = 1; i <= 30; ++i)
    Many += QStringLiteral("[Crop1]\nNUptakeGDD%1=100\nNUptakeRate%1=0.5\n").arg(i).toUtf8();
  const Loaded M = Load(Dir, Many);
  ASSERT_TRUE(M.Ok) << M.Msg.toStdString();
  EXPECT_EQ(M.L->LocationCount(), MaxLocations);
  EXPECT_EQ(M.L->Crop(1).UptakePointCount, MaxUptakePoints);
  TSovLookup L;
  QString Msg;
  EXPECT_FALSE(L.LoadFromFile(Dir.filePath("Nope.ini"), Msg));
  EXPECT_EQ(Msg, "Can't find file Nope.ini in " + QDir(Dir.path()).absolutePath() + " folder.");
  EXPECT_FALSE(L.LoadFromFile(QString(), Msg));
  EXPECT_TRUE(Msg.startsWith("Can't find file "));
  ASSERT_TRUE(QDir().mkpath(Dir.filePath("Folder.ini")));
  EXPECT_FALSE(L.LoadFromFile(Dir.filePath("Folder.ini"), Msg));
  EXPECT_TRUE(Msg.startsWith(Wrapped(Dir.filePath("Folder.ini"), ""))) << Msg.toStdString();
}

}  // namespace
