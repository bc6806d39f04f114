// Reading and writing the field data file: layout, both versions, number and date
// forms, warnings, and that neither bad input nor a failed save loses anything.

#include "SovCalendar.h"
#include "SovFile.h"
#include "SovLookup.h"
#include "SovSched.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString DataDir = QStringLiteral(FURROW_TEST_DATA_DIR "/sov");

QByteArray ReadBytes(const QString& Path) {
  QFile F(Path);
  if (!F.open(QIODevice::ReadOnly)) return QByteArray();
  return F.readAll();
}

bool WriteBytes(const QString& Path, const QByteArray& Bytes) {
  QFile F(Path);
  if (!F.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return F.write(Bytes) == Bytes.size();
}

// What a value looks like after a save and a load: line breaks as blanks, no blanks
// around it.
QString AsSaved(const QString& Text) {
  QString T = Text;
  T.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  T.replace(QChar('\r'), QChar(' '));
  T.replace(QChar('\n'), QChar(' '));
  return T.trimmed();
}

// A number given with "." in the user's form.
QString Num(const char* Text, const TFormatSettings& F) {
  QString T = QString::fromUtf8(Text);
  T.replace(QChar('.'), F.DecimalSeparator);
  return T;
}

QString FileText(const QByteArray& Bytes) { return QString::fromUtf8(Bytes); }

class SovFileIOTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Lookup = new TSovLookup();
    LookupOk = Lookup->LoadFromFile(DataDir + QStringLiteral("/TestLookup.ini"), LookupMsg);
  }
  static void TearDownTestSuite() {
    delete Lookup;
    Lookup = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(LookupOk) << LookupMsg.toStdString();
    ASSERT_TRUE(Dir.isValid());
  }

  std::unique_ptr<TSovFile> NewField(const TFormatSettings& Format = UsFormatSettings()) const {
    return std::make_unique<TSovFile>(*Lookup, Format);
  }

  QString PathOf(const QString& Name) const { return Dir.filePath(Name); }

  // Writes Text (given with "\n" line ends) as a CR LF file and loads it.
  bool LoadText(TSovFile& Field, const QString& Text, QString& Msg, const QString& Name = QStringLiteral("t.sov")) {
    QString Crlf = Text;
    Crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const QString Path = PathOf(Name);
    EXPECT_TRUE(WriteBytes(Path, Crlf.toUtf8()));
    return Field.LoadFromFile(Path, Msg);
  }

  // Saves and returns the bytes written.
  QByteArray SaveBytes(TSovFile& Field, const QString& Name = QStringLiteral("out.sov"),
                       const QString& Version = QStringLiteral("9.8.7")) {
    QString Msg;
    const QString Path = PathOf(Name);
    EXPECT_TRUE(Field.SaveToFile(Path, Version, Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty());
    return ReadBytes(Path);
  }

  static TSovLookup* Lookup;
  static bool LookupOk;
  static QString LookupMsg;
  QTemporaryDir Dir;
};

TSovLookup* SovFileIOTest::Lookup = nullptr;
bool SovFileIOTest::LookupOk = false;
QString SovFileIOTest::LookupMsg;

// The field of golden.sov, entered through the cells in the user's form F.
void FillGoldenField(TSovFile& S, const TFormatSettings& F) {
  using namespace SovCol;
  S.SetCell(1, FarmName, QStringLiteral("Müller Farms \"North\""));
  S.SetCell(1, FieldName, QStringLiteral("Pivot 3, east \\ west"));
  S.SetCell(1, Location, QStringLiteral("arizona"));
  S.SetCell(1, IsCoastal, QStringLiteral("Yes"));
  S.SetCell(1, IsMetric, QStringLiteral("on"));
  S.SetCell(1, Latitude, Num("33.069", F));
  S.SetCell(1, Longitude, Num("-111.97", F));
  S.SetCell(1, Elevation, QStringLiteral("361"));
  S.SetCell(1, Crop, QStringLiteral("Cotton"));
  S.SetCell(1, EmergenceDate, DateToStr(QDate(2013, 4, 25), F));
  S.SetCell(1, GrowingSeason, QStringLiteral("120"));
  S.SetCell(1, ProjectedYield, Num("1500.5", F));
  S.SetCell(1, RootingDepth, QStringLiteral("120"));
  S.SetCell(1, MinimumMoisture, QStringLiteral("50"));
  S.SetCell(1, PreviousCrop, QStringLiteral("MAIZE"));
  S.SetCell(1, SurveySymbol, QStringLiteral("AZ999"));
  S.SetCell(1, MapUnitSymbol, QStringLiteral("CgA"));
  S.SetCell(1, ComponentName, QStringLiteral("Casa Grande"));
  S.SetCell(1, WaterHoldingCapacity, Num("166.5", F));
  S.SetCell(1, OrganicMatter, Num("0.6", F));
  S.SetCell(1, IrrigationEfficiency, QStringLiteral("75"));
  S.SetCell(1, Notes, QStringLiteral("Line one\r\nline two; \"quoted\", C:\\temp, señal"));
  S.SetCell(1, StartingMoisture, QStringLiteral("80"));
  S.SetCell(1, StartingResidue, QStringLiteral("10"));
  S.SetCell(1, StartingDate, DateToStr(QDate(2013, 4, 15), F));
  S.SetCell(1, CalculationDate, DateToStrNoYear(F, QDate(2013, 10, 15)));
  S.SetCell(1, WeatherSource, QStringLiteral("WU_ASOS"));
  S.SetCell(1, WeatherStation, QStringLiteral("KPHX,KCGZ"));

  const char* Hz1[] = {"30", "SL", "0.12", "0.08", "1.55", "9.17", "65", "20", "15", "0.6", "8.2", "2.5", "12"};
  for (int i = 0; i < HorizonValueCount; ++i) S.SetCell(1, FirstHorizon + i, Num(Hz1[i], F));
  S.SetCell(3, HzTexture, QStringLiteral(" SCL "));

  auto Event = [&S](int Row, int Day, int Code, int Key1, const QString& Value, int Key2, const QString& Value2,
                    const QString& Value3, const QString& Misc1, const QString& Notes) {
    S.SetCellInt(Row, EvDay, Day);
    S.SetCellInt(Row, EvCode, Code);
    S.SetCellInt(Row, EvKey1, Key1);
    S.SetCell(Row, EvValue, Value);
    S.SetCellInt(Row, EvKey2, Key2);
    S.SetCell(Row, EvValue2, Value2);
    S.SetCell(Row, EvValue3, Value3);
    S.SetCell(Row, EvMisc1, Misc1);
    S.SetCell(Row, EvNotes, Notes);
  };
  const QString E;
  Event(1, 10, 1, 1, Num("110.5", F), 1, E, E, QStringLiteral("misc, with comma"), QStringLiteral("Side-dress \"early\""));
  Event(3, 2, 2, 0, Num("8.5", F), 0, E, E, E, QStringLiteral("Well water"));
  Event(4, 0, 1, 1, QStringLiteral("5"), 1, E, E, E, QStringLiteral("no day: not written"));
  Event(5, 1, 3, 1, QStringLiteral("10"), 1, Num("12.5", F), Num("2.25", F), E, QStringLiteral("Ünïcödé notes \\ back"));
  Event(6, 30, 4, 0, QStringLiteral("25"), 0, E, E, E, E);
  Event(7, 40, 1, 0, QStringLiteral("50"), 0, E, E, E, E);

  auto Day = [&S, &F](int Row, std::initializer_list<const char*> Values) {
    int Col = FirstWeather;
    for (const char* V : Values) {
      S.SetCell(Row, Col, Col < GrowthStage ? Num(V, F) : QString::fromUtf8(V));
      ++Col;
    }
  };
  Day(1, {"30.5", "12.25", "0", "100", "2.5", "45", "I", "Pre-plant, first"});
  Day(2, {"", "", "", "", "", "", "", "x\\y"});
  Day(200, {"-2.5", "-10", "1.25", "", "", "", "", "two\nlines"});
  Day(365, {"1", "2", "3", "4", "5", "6", "S", "Last day \"end\""});
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, SavesTheExactLayoutInEveryUserFormat) {
  const QByteArray Golden = ReadBytes(DataDir + QStringLiteral("/golden.sov"));
  ASSERT_FALSE(Golden.isEmpty());
  for (const TFormatSettings& F : {UsFormatSettings(), GermanFormatSettings(), IsoFormatSettings()}) {
    SCOPED_TRACE(F.ShortDateFormat.toStdString());
    auto Field = NewField(F);
    FillGoldenField(*Field, F);
    EXPECT_EQ(FileText(SaveBytes(*Field)).toStdString(), FileText(Golden).toStdString());
    EXPECT_EQ(Field->SaveToText(QStringLiteral("9.8.7")).toUtf8(), Golden);
  }
}

TEST_F(SovFileIOTest, LoadingAndSavingTheGoldenFileGivesTheSameBytes) {
  const QString Golden = DataDir + QStringLiteral("/golden.sov");
  for (const TFormatSettings& F : {UsFormatSettings(), GermanFormatSettings(), IsoFormatSettings()}) {
    SCOPED_TRACE(F.ShortDateFormat.toStdString());
    auto Field = NewField(F);
    QString Msg;
    ASSERT_TRUE(Field->LoadFromFile(Golden, Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    EXPECT_EQ(SaveBytes(*Field), ReadBytes(Golden));
  }
}

TEST_F(SovFileIOTest, GoldenFileLoadsIntoTheUserForm) {
  using namespace SovCol;
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(DataDir + QStringLiteral("/golden.sov"), Msg));
  const TSovFile& S = *Field;
  EXPECT_EQ(S.FileVersion(), QStringLiteral("2"));
  EXPECT_EQ(S.ProgramVersion(), QStringLiteral("9.8.7"));
  EXPECT_EQ(S.FileName(), DataDir + QStringLiteral("/golden.sov"));
  EXPECT_EQ(S.GetCell(1, FarmName), QStringLiteral("Müller Farms \"North\""));
  EXPECT_EQ(S.GetCell(1, Location), QStringLiteral("Arizona"));
  EXPECT_TRUE(S.IsCoastal());
  EXPECT_TRUE(S.IsMetric());
  EXPECT_EQ(S.GetCell(1, Latitude), QStringLiteral("33,069"));
  EXPECT_EQ(S.GetCell(1, Longitude), QStringLiteral("-111,97"));
  EXPECT_EQ(S.GetCell(1, PreviousCrop), QStringLiteral("Maize"));
  EXPECT_EQ(S.GetCell(1, EmergenceDate), QStringLiteral("25.04.2013"));
  EXPECT_EQ(S.GetCell(1, StartingDate), QStringLiteral("15.04.2013"));
  EXPECT_EQ(S.GetCell(1, CalculationDate), QStringLiteral("15.10"));
  EXPECT_EQ(S.GetCell(1, WeatherStation), QStringLiteral("KPHX,KCGZ"));
  EXPECT_EQ(S.GetCell(1, HzAWC), QStringLiteral("0,12"));
  EXPECT_EQ(S.GetCell(1, HzDepth), QStringLiteral("30"));
  EXPECT_FALSE(S.HorizonHasData(2));
  EXPECT_EQ(S.GetCell(3, HzTexture), QStringLiteral("SCL"));
  // Events packed into slots 1-5 in file order.
  const int Days[] = {10, 2, 1, 30, 40};
  const int Codes[] = {1, 2, 3, 4, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(S.GetCellInt(i + 1, EvDay), Days[i]);
    EXPECT_EQ(S.GetCellInt(i + 1, EvCode), Codes[i]);
  }
  EXPECT_EQ(S.GetCellInt(6, EvDay), 0);
  EXPECT_EQ(S.GetCellInt(3, EvKey1), Lookup->FindManure(QStringLiteral("Dairy, solid")));
  EXPECT_EQ(S.GetCell(3, EvValue2), QStringLiteral("12,5"));
  EXPECT_EQ(S.GetCell(1, EvMisc1), QStringLiteral("misc, with comma"));
  EXPECT_EQ(S.GetCell(5, EvKey1), QStringLiteral("0"));
  EXPECT_EQ(S.GetCell(1, MinTemp), QStringLiteral("12,25"));
  EXPECT_EQ(S.GetCell(1, GrowthStage), QStringLiteral("I"));
  EXPECT_EQ(S.GetCell(1, WeatherNotes), QStringLiteral("Pre-plant, first"));
  EXPECT_EQ(S.GetCell(2, WeatherNotes), QStringLiteral("x\\y"));
  EXPECT_EQ(S.GetCell(200, MaxTemp), QStringLiteral("-2,5"));
  EXPECT_FALSE(S.WeatherDayHasData(3));
}

// Every cell filled, with text that tests the escapes, the encoding and line breaks:
// what comes back is what went in (line breaks as blanks), and a second save writes
// the same bytes.
TEST_F(SovFileIOTest, FullRoundTripKeepsEveryCell) {
  using namespace SovCol;
  for (const TFormatSettings& F : {UsFormatSettings(), GermanFormatSettings()}) {
    SCOPED_TRACE(F.ShortDateFormat.toStdString());
    auto A = NewField(F);
    const QString Tricky = QStringLiteral("a,b\\c \"q\" ÄÖÜ ß é – ✓\r\nsecond\nthird\rfourth; [x] = y");
    for (int Col = FirstField; Col <= LastField; ++Col) A->SetCell(1, Col, Tricky + QString::number(Col));
    A->SetCell(1, Location, QStringLiteral("Québec"));
    A->SetCell(1, Crop, QStringLiteral("Luzerne fourragère"));
    A->SetCell(1, PreviousCrop, QStringLiteral("Cotton"));
    A->SetCell(1, IsCoastal, QStringLiteral("Yes"));
    A->SetCell(1, IsMetric, QStringLiteral("No"));
    A->SetCell(1, Latitude, Num("-33.5", F));
    A->SetCell(1, Longitude, Num("151.25", F));
    A->SetCell(1, ProjectedYield, QStringLiteral("not a number"));
    A->SetCell(1, EmergenceDate, DateToStr(QDate(2016, 2, 29), F));
    A->SetCell(1, StartingDate, DateToStr(QDate(2016, 1, 1), F));
    A->SetCell(1, CalculationDate, DateToStr(QDate(2016, 12, 30), F));
    for (int Hz = 1; Hz <= MaxHorizons; ++Hz)
      for (int Col = FirstHorizon; Col <= LastHorizon; ++Col)
        A->SetCell(Hz, Col, Col == HzTexture ? QStringLiteral("SiCL, \\ ü") : Num("0.25", F) + QString::number(Hz));
    for (int Ev = 1; Ev <= MaxEvents; ++Ev) {
      const int Code = (Ev - 1) % 4 + 1;
      A->SetCellInt(Ev, EvDay, (Ev * 7) % 365 + 1);
      A->SetCellInt(Ev, EvCode, Code);
      A->SetCell(Ev, EvValue, Code == 4 ? QStringLiteral("35") : Num("12.75", F));
      if (Code == 1) {
        A->SetCellInt(Ev, EvKey1, Ev % 2 + 1);
        A->SetCellInt(Ev, EvKey2, 2);
      } else if (Code == 3) {
        A->SetCellInt(Ev, EvKey1, 1);
        A->SetCellInt(Ev, EvKey2, Ev % 2 + 1);
        A->SetCell(Ev, EvValue2, Num("3.5", F));
        A->SetCell(Ev, EvValue3, QStringLiteral("text, not a number"));
      }
      A->SetCell(Ev, EvMisc1, Tricky + QStringLiteral("m") + QString::number(Ev));
      A->SetCell(Ev, EvNotes, Tricky + QStringLiteral("n") + QString::number(Ev));
    }
    for (int Day = 1; Day <= MaxDays; ++Day) {
      for (int Col = FirstWeather; Col < GrowthStage; ++Col)
        A->SetCell(Day, Col, Num("-1.5", F) + QString::number(Day % 10));
      A->SetCell(Day, GrowthStage, StageCode(Day % 7));
      A->SetCell(Day, WeatherNotes, Tricky + QString::number(Day) + QStringLiteral("\\"));
    }
    A->SetCell(17, Precip, QStringLiteral("n/a, \\ missing"));

    const QByteArray First = SaveBytes(*A, QStringLiteral("first.sov"));
    auto B = NewField(F);
    QString Msg;
    ASSERT_TRUE(B->LoadFromFile(PathOf(QStringLiteral("first.sov")), Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    for (int Col = FirstField; Col <= LastWeather; ++Col) {
      const int Rows = B->RowCount(B->SectionOfColumn(Col));
      for (int Row = 1; Row <= Rows; ++Row) {
        const QString Expected = AsSaved(A->GetCell(Row, Col));
        ASSERT_EQ(B->GetCell(Row, Col).toStdString(), Expected.toStdString()) << "row " << Row << " col " << Col;
      }
    }
    EXPECT_EQ(B->GetCell(1, Notes), QStringLiteral("a,b\\c \"q\" ÄÖÜ ß é – ✓ second third fourth; [x] = y25"));
    EXPECT_EQ(SaveBytes(*B, QStringLiteral("second.sov")), First);
    // The file itself is UTF-8 and keeps "." and "m/d/yyyy".
    const QString Text = FileText(First);
    EXPECT_TRUE(Text.contains(QStringLiteral("\r\nLatitude=-33.5\r\n")));
    EXPECT_TRUE(Text.contains(QStringLiteral("\r\nEmergenceDate=2/29/2016\r\n")));
    EXPECT_TRUE(Text.contains(QStringLiteral("\r\nCalculationDate=12/30/2016\r\n")));
    EXPECT_TRUE(Text.contains(QStringLiteral("\r\nDay17=-1.57,-1.57,n/a\\, \\\\ missing,-1.57,")));
    EXPECT_FALSE(First.contains("\n\n"));
    EXPECT_EQ(First.count("\n"), First.count("\r\n"));
  }
}

// ---------------------------------------------------------------------------
// Version 1 and versions
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, ReadsVersionOneInTheWindowsCodePage) {
  using namespace SovCol;
  const QString Path = DataDir + QStringLiteral("/version1.sov");
  const QByteArray Bytes = ReadBytes(Path);
  ASSERT_TRUE(Bytes.contains('\x96'));  // en dash in Windows-1252: not UTF-8
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(Path, Msg)) << Msg.toStdString();
  EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
  const TSovFile& S = *Field;
  EXPECT_EQ(S.FileVersion(), QStringLiteral("1"));
  EXPECT_EQ(S.ProgramVersion(), QStringLiteral("1.04"));
  EXPECT_EQ(S.GetCell(1, FarmName), QStringLiteral("Ferme Bélanger"));
  EXPECT_EQ(S.GetCell(1, FieldName), QStringLiteral("Champ nord – 12°"));
  EXPECT_EQ(S.GetCell(1, Location), QStringLiteral("Québec"));
  EXPECT_EQ(S.GetCell(1, Crop), QStringLiteral("Maize"));
  EXPECT_EQ(S.GetCell(1, PreviousCrop), QStringLiteral("Luzerne fourragère"));
  EXPECT_TRUE(S.IsMetric());
  EXPECT_FALSE(S.IsCoastal());
  EXPECT_EQ(S.GetCell(1, StartingMoisture), QStringLiteral("70"));  // from EmergenceMoisture
  EXPECT_EQ(S.GetCell(1, EmergenceDate), QStringLiteral("5/20/2015"));
  EXPECT_EQ(S.GetCell(1, StartingDate), QStringLiteral("5/20/2015"));  // defaults to the emergence date
  EXPECT_EQ(S.GetCell(1, CalculationDate), QStringLiteral("9/30"));
  EXPECT_EQ(S.GetCell(1, HzAWC), QStringLiteral("0.15"));
  // File events 1 and 5 (event 2 has no day) in slots 1 and 2.
  EXPECT_EQ(S.GetCellInt(1, EvDay), 3);
  EXPECT_EQ(S.GetCellInt(1, EvCode), 1);
  EXPECT_EQ(S.GetCellInt(1, EvKey1), Lookup->FindFertilizer(QStringLiteral("Urea")));
  EXPECT_EQ(S.GetCellInt(1, EvKey2), Lookup->FindFertAppMethod(QStringLiteral("Broadcast")));
  EXPECT_EQ(S.GetCell(1, EvNotes), QStringLiteral("Épandage"));
  EXPECT_EQ(S.GetCellInt(2, EvDay), 10);
  EXPECT_EQ(S.GetCellInt(2, EvCode), 4);
  EXPECT_EQ(S.GetCell(2, EvValue), QStringLiteral("40"));
  EXPECT_EQ(S.GetCellInt(3, EvDay), 0);
  EXPECT_EQ(S.GetCell(1, WeatherNotes), QStringLiteral("Pluie, légère"));
  EXPECT_EQ(S.GetCell(2, Irrigation), QStringLiteral("25"));
  EXPECT_EQ(S.GetCell(2, GrowthStage), QStringLiteral("D"));

  const QString Text = FileText(SaveBytes(*Field));
  EXPECT_TRUE(Text.startsWith(QStringLiteral("[SovInfo]\r\nFileVersion=2\r\nProgramVersion=9.8.7\r\n\r\n[Field]\r\n")));
  EXPECT_TRUE(Text.contains(QStringLiteral("\r\nFieldName=Champ nord – 12°\r\n")));
  EXPECT_TRUE(Text.contains(QStringLiteral("\r\nStartingMoisture=70\r\n")));
  EXPECT_TRUE(Text.contains(QStringLiteral("\r\nStartingDate=5/20/2015\r\n")));
  EXPECT_TRUE(Text.contains(QStringLiteral("\r\nCalculationDate=9/30\r\n")));
  EXPECT_TRUE(Text.contains(QStringLiteral("[Event2]\r\nDay=10\r\nCode=R\r\nValue=40\r\n")));
  EXPECT_FALSE(Text.contains(QStringLiteral("FieldID")));
  EXPECT_FALSE(Text.contains(QStringLiteral("EmergenceMoisture")));
  EXPECT_FALSE(Text.contains(QStringLiteral("Event3")));
  EXPECT_TRUE(Text.contains(QStringLiteral("\r\n[Weather]\r\nDay1=22.5,10,0,,3.2,60,,Pluie\\, légère\r\n")));
}

TEST_F(SovFileIOTest, VersionMustBeOneOrTwo) {
  struct Case {
    const char* Info;
    bool Ok;
    const char* FarmName;
  };
  const Case Cases[] = {
      {"[SovInfo]\nFileVersion=2\n", true, "v2"},
      {"[SovInfo]\nFileVersion=1\n", true, "v1"},  // version 1 in a version 2 section: old section names
      {"[File Info]\nFileVersion=2\n", true, "v2"},
      {"[sovinfo]\nfileversion= 2 \n", true, "v2"},
      {"[SovInfo]\nFileVersion=3\n", false, ""},
      {"[SovInfo]\nFileVersion=2.0\n", false, ""},
      {"[SovInfo]\nFileVersion=0\n", false, ""},
      {"[SovInfo]\nFileVersion=-1\n", false, ""},
      {"[SovInfo]\nFileVersion=two\n", false, ""},
      {"[SovInfo]\nFileVersion=99999999999999999999\n", false, ""},
      {"[SovInfo]\nFileVersion=\n", false, ""},
      {"[SovInfo]\nProgramVersion=1\n", false, ""},
      {"", false, ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Info);
    auto Field = NewField();
    Field->SetCell(1, SovCol::FarmName, QStringLiteral("before"));
    QString Msg;
    const QString Body = QString::fromUtf8(C.Info) +
                         QStringLiteral("\n[Field]\nFarmName=v2\n\n[Field Data]\nFarmName=v1\n");
    const bool Ok = LoadText(*Field, Body, Msg);
    EXPECT_EQ(Ok, C.Ok);
    if (C.Ok) {
      EXPECT_TRUE(Msg.isEmpty());
      EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), QString::fromUtf8(C.FarmName));
    } else {
      EXPECT_EQ(Msg, QStringLiteral("File ") + PathOf(QStringLiteral("t.sov")) + QStringLiteral(" is wrong version."));
      EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), QStringLiteral("before"));
      EXPECT_TRUE(Field->FileName().isEmpty());
    }
  }
}

// ---------------------------------------------------------------------------
// Warnings
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, UnknownNamesWarnOnceAndAreCleared) {
  struct Case {
    const char* Field;
    const char* Event;
    const char* What;
    const char* Name;
  };
  const Case Cases[] = {
      {"Location=Atlantis\nCrop=Kudzu\n", "", "Location", "Atlantis"},
      {"Location=Arizona\nCrop=Kudzu\nPreviousCrop=Weeds\n", "", "Crop", "Kudzu"},
      {"Location=Arizona\nCrop=Cotton\nPreviousCrop=Weeds\n", "", "PreviousCrop", "Weeds"},
      {"Crop=Cotton\n", "Day=5\nCode=F\nKey1=Magic Dust\nKey2=Airdrop\n", "Fertilizer", "Magic Dust"},
      {"Crop=Cotton\n", "Day=5\nCode=F\nKey1=Urea\nKey2=Airdrop\n", "FertAppMethod", "Airdrop"},
      {"", "Day=5\nCode=M\nKey1=Guano, aged\nKey2=Sprayed\n", "Manure", "Guano, aged"},
      {"", "Day=5\nCode=M\nKey1=Dairy, solid\nKey2=Sprayed\n", "ManureAppMethod", "Sprayed"},
      {"Location=Atlantis\n", "Day=5\nCode=M\nKey1=Guano\n", "Location", "Atlantis"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    auto Field = NewField();
    QString Msg;
    const QString Text = QStringLiteral("[SovInfo]\nFileVersion=2\n\n[Field]\n") + QString::fromUtf8(C.Field) +
                         QStringLiteral("\n[Event1]\n") + QString::fromUtf8(C.Event);
    ASSERT_TRUE(LoadText(*Field, Text, Msg));
    const QString What = QString::fromUtf8(C.What);
    EXPECT_EQ(Msg.toStdString(), (QStringLiteral("File ") + PathOf(QStringLiteral("t.sov")) + QStringLiteral(" ") +
                                  What + QStringLiteral(" is invalid: ") + QString::fromUtf8(C.Name) +
                                  QStringLiteral("\n\nSelect a different ") + What + QStringLiteral("."))
                                     .toStdString());
    // The bad name is gone; the rest of the field is there.
    if (What == QStringLiteral("Location")) {
      EXPECT_EQ(Field->Location(), 0);
    } else if (What == QStringLiteral("Crop")) {
      EXPECT_EQ(Field->Crop(), 0);
    } else if (What == QStringLiteral("PreviousCrop")) {
      EXPECT_EQ(Field->PreviousCrop(), 0);
      EXPECT_EQ(Field->GetCell(1, SovCol::Crop), QStringLiteral("Cotton"));
    } else if (What == QStringLiteral("Fertilizer") || What == QStringLiteral("Manure")) {
      EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey1), 0);
      EXPECT_EQ(Field->GetCellInt(1, SovCol::EvDay), 5);  // the event itself is kept
    } else if (What == QStringLiteral("FertAppMethod")) {
      EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey1), Lookup->FindFertilizer(QStringLiteral("Urea")));
      EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey2), 0);
    } else {
      EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey2), 0);
    }
  }
}

TEST_F(SovFileIOTest, KnownNamesInAnyLetterCaseGiveNoWarning) {
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(LoadText(*Field,
                       QStringLiteral("[SovInfo]\nFileVersion=2\n[Field]\nLocation=QUÉBEC\nCrop=cotton\n"
                                      "[Event1]\nDay=1\nCode=F\nKey1=uan-32\nKey2=FERTIGATION\n"
                                      "[Event2]\nDay=2\nCode=N\nKey1=Nonsense ignored for N\n"),
                       Msg));
  EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
  EXPECT_EQ(Field->GetCell(1, SovCol::Location), QStringLiteral("Québec"));
  EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey1), 2);
  EXPECT_EQ(Field->GetCellInt(2, SovCol::EvKey1), 0);
}

// ---------------------------------------------------------------------------
// Indexes from the file
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, EventsNeedADayAndCodeAndAreRenumbered) {
  QString Text = QStringLiteral("[SovInfo]\nFileVersion=2\n");
  struct Ev {
    int Section;
    const char* Body;
  };
  const Ev Events[] = {
      {1, "Day=5\nCode=N\nValue=3\n"},
      {2, "Code=N\nValue=1\n"},       // no day
      {3, "Day=0\nCode=N\n"},         // day 0
      {4, "Day=366\nCode=N\n"},       // past the year
      {6, "Day=-3\nCode=N\n"},        // negative
      {7, "Day=7.5\nCode=N\n"},       // not whole
      {8, "Day=99999999999\nCode=N\n"},  // overflow
      {9, "Day=9\nCode=f\n"},         // lower-case code
      {10, "Day=10\nCode=X\n"},       // unknown code
      {11, "Day=11\nCode=FN\n"},      // two letters
      {12, "Day=12\n"},               // no code
      {15, "Day=365\nCode=R\nValue=20\n"},
      {50, "Day=1\nCode=M\nValue=1.5\n"},
      {51, "Day=2\nCode=M\n"},        // beyond the 50 sections
      {0, "Day=3\nCode=M\n"},         // section Event0
  };
  for (const Ev& E : Events)
    Text += QStringLiteral("[Event") + QString::number(E.Section) + QStringLiteral("]\n") + QString::fromUtf8(E.Body);
  Text += QStringLiteral("[Event05]\nDay=4\nCode=F\n[Event-1]\nDay=4\nCode=F\n");
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, Text, Msg)) << Msg.toStdString();
  const int Days[] = {5, 365, 1};
  const int Codes[] = {2, 4, 3};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Field->GetCellInt(i + 1, SovCol::EvDay), Days[i]);
    EXPECT_EQ(Field->GetCellInt(i + 1, SovCol::EvCode), Codes[i]);
  }
  EXPECT_EQ(Field->GetCell(3, SovCol::EvValue), QStringLiteral("1,5"));
  for (int Row = 4; Row <= MaxEvents; ++Row) EXPECT_EQ(Field->GetCellInt(Row, SovCol::EvDay), 0);

  const QString Saved = FileText(SaveBytes(*Field));
  EXPECT_TRUE(Saved.contains(QStringLiteral("[Event1]\r\nDay=5\r\nCode=N\r\nValue=3\r\nMisc1=\r\nNotes=\r\n\r\n")));
  EXPECT_TRUE(Saved.contains(QStringLiteral("[Event2]\r\nDay=365\r\nCode=R\r\nValue=20\r\n")));
  EXPECT_TRUE(Saved.contains(
      QStringLiteral("[Event3]\r\nDay=1\r\nCode=M\r\nKey1=\r\nValue=1.5\r\nKey2=\r\nValue2=\r\nValue3=\r\n")));
  EXPECT_FALSE(Saved.contains(QStringLiteral("[Event4]")));
}

TEST_F(SovFileIOTest, AllFiftyEventSlotsFill) {
  QString Text = QStringLiteral("[SovInfo]\nFileVersion=2\n");
  for (int i = 1; i <= 50; ++i)
    Text += QStringLiteral("[Event%1]\nDay=%1\nCode=R\nValue=%1\n").arg(i);
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, Text, Msg));
  EXPECT_EQ(Field->GetCellInt(50, SovCol::EvDay), 50);
  EXPECT_TRUE(FileText(SaveBytes(*Field)).contains(QStringLiteral("[Event50]\r\nDay=50\r\nCode=R\r\nValue=50\r\n")));
}

TEST_F(SovFileIOTest, SaveWritesOnlyEventsThatLoadBack) {
  using namespace SovCol;
  auto Field = NewField();
  auto Set = [&](int Row, int Day, int Code, int Key1, int Key2) {
    Field->SetCellInt(Row, EvDay, Day);
    Field->SetCellInt(Row, EvCode, Code);
    Field->SetCellInt(Row, EvKey1, Key1);
    Field->SetCellInt(Row, EvKey2, Key2);
    Field->SetCell(Row, EvValue, QStringLiteral("1"));
  };
  Set(1, 400, 1, 1, 1);   // day past the year
  Set(2, 5, 9, 1, 1);     // no such code
  Set(3, -5, 1, 1, 1);    // negative day
  Set(4, 6, 1, 999, -1);  // rows that are not in the tables
  Set(5, 7, 3, 2, 3);     // manure 2 and method 3 do not exist either
  Set(6, 8, 1, 2, 2);
  const QString Saved = FileText(SaveBytes(*Field));
  EXPECT_TRUE(Saved.contains(QStringLiteral("[Event1]\r\nDay=6\r\nCode=F\r\nKey1=\r\nValue=1\r\nKey2=\r\n")));
  EXPECT_TRUE(Saved.contains(QStringLiteral("[Event2]\r\nDay=7\r\nCode=M\r\nKey1=\r\nValue=1\r\nKey2=\r\n")));
  EXPECT_TRUE(Saved.contains(QStringLiteral("[Event3]\r\nDay=8\r\nCode=F\r\nKey1=UAN-32\r\nValue=1\r\nKey2=Fertigation\r\n")));
  EXPECT_FALSE(Saved.contains(QStringLiteral("[Event4]")));
}

TEST_F(SovFileIOTest, HorizonsAndDaysOnlyUnderTheirOwnNumbers) {
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(LoadText(*Field,
                       QStringLiteral("[SovInfo]\nFileVersion=2\n"
                                      "[Horizon0]\nTexture=S\n[Horizon3]\nTexture=SL\n[Horizon11]\nTexture=C\n"
                                      "[Horizon03]\nTexture=L\n[Horizon10]\nDepth=200\n"
                                      "[Weather]\nDay0=1\nDay366=2\nDay-1=3\nDay01=4\nDay365=5\nDay2=,,,,,,,,extra,fields\n"
                                      "Day3=1,2\nDay4=  \n"),
                       Msg));
  for (int Hz = 1; Hz <= MaxHorizons; ++Hz)
    EXPECT_EQ(Field->HorizonHasData(Hz), Hz == 3 || Hz == 10) << Hz;
  EXPECT_EQ(Field->GetCell(3, SovCol::HzTexture), QStringLiteral("SL"));
  for (int Day = 1; Day <= MaxDays; ++Day) EXPECT_EQ(Field->WeatherDayHasData(Day), Day == 3 || Day == 365) << Day;
  EXPECT_EQ(Field->GetCell(365, SovCol::MaxTemp), QStringLiteral("5"));
  EXPECT_EQ(Field->GetCell(3, SovCol::MinTemp), QStringLiteral("2"));

  const QString Saved = FileText(SaveBytes(*Field));
  EXPECT_TRUE(Saved.contains(QStringLiteral("\r\n[Horizon3]\r\nDepth=\r\nTexture=SL\r\nAWC=\r\n")));
  EXPECT_TRUE(Saved.contains(QStringLiteral("\r\n[Horizon10]\r\nDepth=200\r\n")));
  EXPECT_EQ(Saved.count(QStringLiteral("[Horizon")), 2);
  EXPECT_TRUE(Saved.endsWith(QStringLiteral("\r\n\r\n[Weather]\r\nDay3=1,2,,,,,,\r\nDay365=5,,,,,,,\r\n\r\n")));
}

TEST_F(SovFileIOTest, EmptyFieldSavesEveryKeyAndAnEmptyWeatherSection) {
  auto Field = NewField();
  const QString Saved = FileText(SaveBytes(*Field, QStringLiteral("e.sov"), QString()));
  QString Expected = QStringLiteral("[SovInfo]\r\nFileVersion=2\r\nProgramVersion=\r\n\r\n[Field]\r\n");
  for (int Col = SovCol::FirstField; Col <= SovCol::LastField; ++Col) {
    QString Value;
    if (Col == SovCol::IsCoastal || Col == SovCol::IsMetric) Value = QStringLiteral("No");
    Expected += Field->ColumnName(Col) + QStringLiteral("=") + Value + QStringLiteral("\r\n");
  }
  Expected += QStringLiteral("\r\n[Weather]\r\n\r\n");
  EXPECT_EQ(Saved.toStdString(), Expected.toStdString());
}

// ---------------------------------------------------------------------------
// Numbers and dates
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, NumbersAndDatesKeepTheFileFormUnderADecimalComma) {
  using namespace SovCol;
  struct Case {
    const char* Key;
    int Col;
    const char* InFile;
    const char* German;
    const char* Saved = nullptr;  // nullptr: as in the file
  };
  const Case Cases[] = {
      {"Latitude", Latitude, "40.5", "40,5"},
      {"Latitude", Latitude, "north", "north"},
      {"Longitude", Longitude, "3.5.1", "3.5.1"},
      {"ProjectedYield", ProjectedYield, "1e3", "1e3"},
      {"RootingDepth", RootingDepth, "-0.25", "-0,25"},
      {"OrganicMatter", OrganicMatter, "1,5", "1,5", "1.5"},  // a number only in the user's form
      {"Elevation", Elevation, "12.5", "12.5"},         // text column: never changed
      {"EmergenceDate", EmergenceDate, "5/1/2015", "01.05.2015"},
      {"StartingDate", StartingDate, "2/29/2015", "2/29/2015"},  // not a date: kept
      {"StartingDate", StartingDate, "4/1/79", "01.04.2079", "4/1/2079"},
      {"StartingDate", StartingDate, "4/1/80", "01.04.1980", "4/1/1980"},
      {"CalculationDate", CalculationDate, "10/15", "15.10"},
      {"CalculationDate", CalculationDate, "10/15/2016", "15.10.2016"},
      {"CalculationDate", CalculationDate, "2/29", "2/29"},  // not in 2015
      {"CalculationDate", CalculationDate, "soon", "soon"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Key) + "=" + C.InFile);
    auto Field = NewField(GermanFormatSettings());
    QString Msg;
    QString Text = QStringLiteral("[SovInfo]\nFileVersion=2\n[Field]\n") + QString::fromUtf8(C.Key) + QStringLiteral("=") +
                   QString::fromUtf8(C.InFile) + QStringLiteral("\n");
    if (C.Col != EmergenceDate) Text += QStringLiteral("EmergenceDate=5/1/2015\n");
    if (C.Col != StartingDate) Text += QStringLiteral("StartingDate=\n");
    ASSERT_TRUE(LoadText(*Field, Text, Msg));
    EXPECT_EQ(Field->GetCell(1, C.Col).toStdString(), C.German);
    const QString Saved = FileText(SaveBytes(*Field));
    EXPECT_TRUE(Saved.contains(QStringLiteral("\r\n") + QString::fromUtf8(C.Key) + QStringLiteral("=") +
                               QString::fromUtf8(C.Saved ? C.Saved : C.InFile) + QStringLiteral("\r\n")))
        << Saved.toStdString();
  }
}

TEST_F(SovFileIOTest, WeatherValuesConvertAndUnescape) {
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(LoadText(*Field,
                       QStringLiteral("[SovInfo]\nFileVersion=2\n[Weather]\n"
                                      "Day1=1.5,-2.25,0.01,12.7,3.5,55.5,M,a\\,b\\\\c\\\n"
                                      "Day2=x.5,1\\.5,,,,,Z\\,Z,\n"),
                       Msg));
  using namespace SovCol;
  EXPECT_EQ(Field->GetCell(1, MaxTemp), QStringLiteral("1,5"));
  EXPECT_EQ(Field->GetCell(1, MinTemp), QStringLiteral("-2,25"));
  EXPECT_EQ(Field->GetCell(1, Humidity), QStringLiteral("55,5"));
  EXPECT_EQ(Field->GetCell(1, GrowthStage), QStringLiteral("M"));
  EXPECT_EQ(Field->GetCell(1, WeatherNotes), QStringLiteral("a,b\\c\\"));
  EXPECT_EQ(Field->GetCell(2, MaxTemp), QStringLiteral("x.5"));
  EXPECT_EQ(Field->GetCell(2, MinTemp), QStringLiteral("1,5"));  // "\." unescapes to "."
  EXPECT_EQ(Field->GetCell(2, GrowthStage), QStringLiteral("Z,Z"));
  const QString Saved = FileText(SaveBytes(*Field));
  EXPECT_TRUE(Saved.contains(QStringLiteral("\r\nDay1=1.5,-2.25,0.01,12.7,3.5,55.5,M,a\\,b\\\\c\\\\\r\n")));
  EXPECT_TRUE(Saved.contains(QStringLiteral("\r\nDay2=x.5,1.5,,,,,Z\\,Z,\r\n")));
}

TEST_F(SovFileIOTest, LineEndsOfAnyKindAndAByteOrderMarkAreRead) {
  const QByteArray Bodies[] = {
      "[SovInfo]\nFileVersion=2\n[Field]\nFarmName=Lf\n",
      "[SovInfo]\rFileVersion=2\r[Field]\rFarmName=Cr\r",
      "\xEF\xBB\xBF[SovInfo]\r\nFileVersion=2\r\n[Field]\r\nFarmName=B\xC3\xB6m\r\n",
      "; comment\n  [SovInfo]  \n  FileVersion = 2  \n[Field]\nFarmName  =  Blanks  ",
  };
  const char* Names[] = {"Lf", "Cr", "Böm", "Blanks"};
  for (int i = 0; i < 4; ++i) {
    auto Field = NewField();
    ASSERT_TRUE(WriteBytes(PathOf(QStringLiteral("le.sov")), Bodies[i]));
    QString Msg;
    ASSERT_TRUE(Field->LoadFromFile(PathOf(QStringLiteral("le.sov")), Msg)) << i;
    EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), QString::fromUtf8(Names[i]));
  }
}

// ---------------------------------------------------------------------------
// Bad input
// ---------------------------------------------------------------------------

TEST_F(SovFileIOTest, FilesThatCannotBeReadGiveAMessageAndChangeNothing) {
  const QString Missing = PathOf(QStringLiteral("missing.sov"));
  QFile::link(PathOf(QStringLiteral("nowhere")), PathOf(QStringLiteral("dangling.sov")));
  const QString Big = PathOf(QStringLiteral("big.sov"));
  {
    QByteArray Bytes("[SovInfo]\r\nFileVersion=2\r\n[Field]\r\nNotes=");
    Bytes += QByteArray(TSovFile::MaxFileSize, 'x');
    ASSERT_TRUE(WriteBytes(Big, Bytes));
  }
  const QString Binary = PathOf(QStringLiteral("binary.sov"));
  ASSERT_TRUE(WriteBytes(Binary, QByteArray("[SovInfo]\r\nFileVersion=2\r\n\0\x01\x02", 30)));
  const QString Utf16 = PathOf(QStringLiteral("utf16.sov"));
  {
    const QString Text = QStringLiteral("[SovInfo]\r\nFileVersion=2\r\n");
    ASSERT_TRUE(WriteBytes(Utf16, QByteArray("\xFF\xFE") +
                                      QByteArray(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2)));
  }
  const QString Fifo = PathOf(QStringLiteral("fifo.sov"));
  ASSERT_EQ(mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);  // opening it would block
  struct Case {
    QString Path;
    QString Msg;
  };
  const Case Cases[] = {
      {Missing, Missing + QStringLiteral("\nFile does not exist.")},
      {Fifo, Fifo + QStringLiteral("\nCan't read file.")},
      {PathOf(QStringLiteral("dangling.sov")), PathOf(QStringLiteral("dangling.sov")) + QStringLiteral("\nFile does not exist.")},
      {Dir.path(), Dir.path() + QStringLiteral("\nCan't read file.")},
      {QStringLiteral("/dev/zero"), QStringLiteral("/dev/zero\nCan't read file.")},
      {QStringLiteral("/dev/null"), QStringLiteral("/dev/null\nCan't read file.")},
      {Big, Big + QStringLiteral("\nFile is too large.")},
      {Binary, Binary + QStringLiteral("\nFile is not a field data file.")},
      {Utf16, Utf16 + QStringLiteral("\nFile is not a field data file.")},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Path.toStdString());
    auto Field = NewField();
    Field->SetCell(1, SovCol::FarmName, QStringLiteral("kept"));
    QString Msg = QStringLiteral("stale");
    EXPECT_FALSE(Field->LoadFromFile(C.Path, Msg));
    EXPECT_EQ(Msg.toStdString(), C.Msg.toStdString());
    EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), QStringLiteral("kept"));
    EXPECT_TRUE(Field->FileName().isEmpty());
  }
}

// A load replaces everything an earlier load or the user left in the object.
TEST_F(SovFileIOTest, LoadingIntoAUsedObjectLeavesNothingBehind) {
  auto Field = NewField();
  FillGoldenField(*Field, UsFormatSettings());
  for (int Day = 1; Day <= MaxDays; ++Day) Field->SetCell(Day, SovCol::WeatherNotes, QStringLiteral("old"));
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, QStringLiteral("[SovInfo]\nFileVersion=2\nProgramVersion=3\n[Weather]\nDay9=1\n"), Msg));
  auto Fresh = NewField();
  ASSERT_TRUE(Fresh->LoadFromFile(PathOf(QStringLiteral("t.sov")), Msg));
  for (int Col = SovCol::FirstField; Col <= SovCol::LastWeather; ++Col) {
    const int Rows = Fresh->RowCount(Fresh->SectionOfColumn(Col));
    for (int Row = 1; Row <= Rows; ++Row)
      ASSERT_EQ(Field->GetCell(Row, Col), Fresh->GetCell(Row, Col)) << "row " << Row << " col " << Col;
  }
  EXPECT_EQ(Field->ProgramVersion(), QStringLiteral("3"));
  EXPECT_EQ(Field->SaveToText(QStringLiteral("x")), Fresh->SaveToText(QStringLiteral("x")));
}

// Every cut of a good file loads or fails cleanly; what loads saves and loads again to
// the same text.
TEST_F(SovFileIOTest, TruncatedFilesLoadWhatIsThere) {
  const QByteArray Golden = ReadBytes(DataDir + QStringLiteral("/golden.sov"));
  ASSERT_FALSE(Golden.isEmpty());
  int Loaded = 0;
  for (qsizetype Cut = 0; Cut <= Golden.size(); Cut += 7) {
    auto Field = NewField();
    QString Msg;
    if (!Field->LoadFromBytes(Golden.left(Cut), QStringLiteral("cut.sov"), Msg)) {
      EXPECT_EQ(Msg, QStringLiteral("File cut.sov is wrong version."));
      continue;
    }
    ++Loaded;
    const QByteArray Once = SaveBytes(*Field, QStringLiteral("cut1.sov"));
    auto Again = NewField();
    ASSERT_TRUE(Again->LoadFromBytes(Once, QStringLiteral("cut1.sov"), Msg));
    EXPECT_EQ(SaveBytes(*Again, QStringLiteral("cut2.sov")), Once) << "cut at " << Cut;
  }
  EXPECT_GT(Loaded, 100);
  // Cut in the middle of the weather section: the days before the cut are there.
  const qsizetype Pos = Golden.indexOf("Day200=");
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromBytes(Golden.left(Pos + 14), QStringLiteral("cut.sov"), Msg));
  EXPECT_EQ(Field->GetCell(1, SovCol::MaxTemp), QStringLiteral("30.5"));
  EXPECT_EQ(Field->GetCell(200, SovCol::MinTemp), QStringLiteral("-1"));
  EXPECT_FALSE(Field->WeatherDayHasData(365));
}

TEST_F(SovFileIOTest, GarbledFilesNeverCrashAndSaveStably) {
  const QByteArray Golden = ReadBytes(DataDir + QStringLiteral("/golden.sov"));
  std::mt19937 Random(20130415);
  std::uniform_int_distribution<int> Byte(0, 255);
  const char Specials[] = {'[', ']', '=', ',', '\\', '\r', '\n', ';', ' ', '\xC3', '\x96', '0', '9', '-'};
  for (int Round = 0; Round < 300; ++Round) {
    QByteArray Bytes = Golden;
    const int Changes = 1 + Round % 40;
    for (int i = 0; i < Changes; ++i) {
      const qsizetype Pos = qsizetype(Random() % uint32_t(Bytes.size()));
      const int Kind = int(Random() % 3);
      const char Ch = Random() % 2 ? Specials[Random() % sizeof(Specials)] : char(Byte(Random));
      if (Kind == 0)
        Bytes[Pos] = Ch;
      else if (Kind == 1)
        Bytes.insert(Pos, Ch);
      else
        Bytes.remove(Pos, 1 + qsizetype(Random() % 20));
    }
    auto Field = NewField(Round % 2 ? GermanFormatSettings() : UsFormatSettings());
    QString Msg;
    if (!Field->LoadFromBytes(Bytes, QStringLiteral("g.sov"), Msg)) {
      EXPECT_FALSE(Msg.isEmpty());
      continue;
    }
    const QByteArray Once = SaveBytes(*Field, QStringLiteral("g1.sov"));
    auto Again = NewField(Round % 2 ? GermanFormatSettings() : UsFormatSettings());
    ASSERT_TRUE(Again->LoadFromBytes(Once, QStringLiteral("g1.sov"), Msg)) << Msg.toStdString();
    ASSERT_EQ(FileText(SaveBytes(*Again, QStringLiteral("g2.sov"))).toStdString(), FileText(Once).toStdString())
        << "round " << Round;
  }
}

// Just under the size limit, packed with sections and keys: loads, in reasonable time.
TEST_F(SovFileIOTest, ALargeFileFullOfSectionsLoads) {
  QByteArray Bytes("[SovInfo]\r\nFileVersion=2\r\n[Weather]\r\nDay7=1\r\n");
  for (int i = 0; Bytes.size() < TSovFile::MaxFileSize - 64; ++i) {
    Bytes += "[Event" + QByteArray::number(i) + "x]\r\nDay=1\r\n";
    Bytes += "[Weather]\r\nDay" + QByteArray::number(i % 365 + 1) + "=" + QByteArray::number(i) + "\r\n";
  }
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromBytes(Bytes, QStringLiteral("large.sov"), Msg)) << Msg.toStdString();
  EXPECT_EQ(Field->GetCell(7, SovCol::MaxTemp), QStringLiteral("1"));  // the first key wins
  EXPECT_EQ(Field->GetCell(8, SovCol::MaxTemp), QStringLiteral("7"));
  EXPECT_EQ(Field->GetCellInt(1, SovCol::EvDay), 0);
}

TEST_F(SovFileIOTest, RandomBytesGiveAMessage) {
  std::mt19937 Random(7);
  for (int Round = 0; Round < 200; ++Round) {
    QByteArray Bytes;
    const int Size = int(Random() % 4000);
    for (int i = 0; i < Size; ++i) Bytes += char(Random() % 255 + 1);  // no NUL
    auto Field = NewField();
    QString Msg;
    EXPECT_FALSE(Field->LoadFromBytes(Bytes, QStringLiteral("r.sov"), Msg));
    EXPECT_EQ(Msg, QStringLiteral("File r.sov is wrong version."));
  }
}

// ---------------------------------------------------------------------------
// Saving safely
// ---------------------------------------------------------------------------

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limit = FOld;
    Limit.rlim_cur = Bytes;
    FOk = setrlimit(RLIMIT_FSIZE, &Limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  bool Ok() const { return FOk; }

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
  bool FOk = false;
};

QStringList FolderEntries(const QString& Path) {
  return QDir(Path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(SovFileIOTest, AFailedWriteLeavesTheOldFileAsItWas) {
  const QString Path = PathOf(QStringLiteral("field.sov"));
  const QByteArray Old = ReadBytes(DataDir + QStringLiteral("/golden.sov"));
  ASSERT_TRUE(WriteBytes(Path, Old));
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(Path, Msg));
  Field->SetCell(1, SovCol::Notes, QString(3000, QChar('n')));
  {
    // The disk is "full" after 1000 bytes of any file this process writes.
    FileSizeLimit Limit(1000);
    ASSERT_TRUE(Limit.Ok());
    EXPECT_FALSE(Field->SaveToFile(Path, QStringLiteral("1"), Msg));
  }
  // The message names the file, says what failed and then why.
  EXPECT_TRUE(Msg.startsWith(QFileInfo(Path).absoluteFilePath() + QStringLiteral("\r\nCan't write to file.\r\n")))
      << Msg.toStdString();
  EXPECT_EQ(ReadBytes(Path), Old);
  EXPECT_EQ(FolderEntries(Dir.path()), QStringList{QStringLiteral("field.sov")});
  // Once there is room again the same object saves.
  EXPECT_TRUE(Field->SaveToFile(Path, QStringLiteral("1"), Msg)) << Msg.toStdString();
  EXPECT_TRUE(ReadBytes(Path).contains(QString(3000, QChar('n')).toUtf8()));
  EXPECT_EQ(FolderEntries(Dir.path()), QStringList{QStringLiteral("field.sov")});
}

TEST_F(SovFileIOTest, SavingWhereNoFileCanBeMadeFails) {
  ASSERT_TRUE(WriteBytes(PathOf(QStringLiteral("plain")), "x"));
  const QString UnderFile = PathOf(QStringLiteral("plain/field.sov"));
  const QString NoFolder = PathOf(QStringLiteral("no/such/folder/field.sov"));
  const QString InProc = QStringLiteral("/proc/furrow-test-field.sov");
  struct Case {
    QString Path;
    QString Message;
  };
  const Case Cases[] = {
      {UnderFile, UnderFile + QStringLiteral("\r\nCan't create file.")},
      {NoFolder, NoFolder + QStringLiteral("\r\nCan't create file.")},
      {InProc, InProc + QStringLiteral("\r\nCan't create file.")},
      {Dir.path(), Dir.path() + QStringLiteral("\r\nCan't create file.")},
      {QStringLiteral("/dev/full"), QStringLiteral("/dev/full\r\nCan't write to file.")},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Path.toStdString());
    auto Field = NewField();
    FillGoldenField(*Field, UsFormatSettings());
    QString Msg;
    EXPECT_FALSE(Field->SaveToFile(C.Path, QStringLiteral("1"), Msg));
    EXPECT_TRUE(Msg.startsWith(C.Message)) << Msg.toStdString();
    EXPECT_GT(Msg.size(), C.Message.size() + 2) << "no reason given";
    EXPECT_TRUE(Field->FileName().isEmpty());
  }
  EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("plain"))), QByteArray("x"));
}

TEST_F(SovFileIOTest, SavingReplacesTheFileAndRecordsTheName) {
  const QString Path = PathOf(QStringLiteral("f.sov"));
  ASSERT_TRUE(WriteBytes(Path, QByteArray(100000, 'o')));
  auto Field = NewField();
  Field->SetCell(1, SovCol::FarmName, QStringLiteral("New"));
  QString Msg = QStringLiteral("stale");
  ASSERT_TRUE(Field->SaveToFile(Path, QStringLiteral("2.0"), Msg));
  EXPECT_TRUE(Msg.isEmpty());
  EXPECT_EQ(Field->FileName(), Path);
  const QByteArray Bytes = ReadBytes(Path);
  EXPECT_TRUE(Bytes.startsWith("[SovInfo]\r\nFileVersion=2\r\nProgramVersion=2.0\r\n\r\n[Field]\r\nFarmName=New\r\n"));
  EXPECT_FALSE(Bytes.contains("ooo"));
  EXPECT_EQ(FolderEntries(Dir.path()), QStringList{QStringLiteral("f.sov")});
}

// ---------------------------------------------------------------------------
// Example files
// ---------------------------------------------------------------------------

struct ExampleDay {
  QDate Date;
  double TMax, TMin, RhMax, RhMin, Wind3, Rain;
};

std::vector<ExampleDay> ReadMaricopa() {
  std::vector<ExampleDay> Days;
  QFile F(QStringLiteral(FURROW_SHARED_DATA_DIR "/maricopa-2013.csv"));
  if (!F.open(QIODevice::ReadOnly)) return Days;
  const QStringList Lines = SplitLines(QString::fromUtf8(F.readAll()));
  const TFormatSettings Fmt = FileFormatSettings();
  for (qsizetype i = 1; i < Lines.size(); ++i) {
    const QStringList P = Lines[i].split(QChar(','));
    if (P.size() < 7) continue;
    ExampleDay D;
    D.Date = QDate::fromString(P[0], Qt::ISODate);
    double* Targets[] = {&D.TMax, &D.TMin, &D.RhMax, &D.RhMin, &D.Wind3, &D.Rain};
    for (int k = 0; k < 6; ++k)
      if (!TryStrToFloat(P[k + 1], *Targets[k], Fmt)) return {};
    Days.push_back(D);
  }
  return Days;
}

TEST_F(SovFileIOTest, ExampleFilesLoadWithoutWarningsAndSaveUnchanged) {
  TSovLookup Shipped;
  QString Msg;
  ASSERT_TRUE(Shipped.LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg)) << Msg.toStdString();
  const std::vector<ExampleDay> Measured = ReadMaricopa();
  ASSERT_EQ(Measured.size(), 365u);

  const QString Examples = QStringLiteral(FURROW_SOURCE_DIR "/data/examples");
  const QStringList Files = QDir(Examples).entryList({QStringLiteral("*.sov")}, QDir::Files, QDir::Name);
  ASSERT_GE(Files.size(), 2);
  for (const QString& Name : Files) {
    SCOPED_TRACE(Name.toStdString());
    const QString Path = Examples + QStringLiteral("/") + Name;
    TSovFile Field(Shipped, UsFormatSettings());
    ASSERT_TRUE(Field.LoadFromFile(Path, Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    EXPECT_EQ(FileText(SaveBytes(Field, Name, Field.ProgramVersion())).toStdString(), FileText(ReadBytes(Path)).toStdString());
    if (!Name.startsWith(QStringLiteral("maricopa"))) continue;

    // A complete field: location, crop, horizons, every kind of event, a season of weather.
    using namespace SovCol;
    EXPECT_GT(Field.Location(), 0);
    EXPECT_GT(Field.Crop(), 0);
    EXPECT_GT(Field.PreviousCrop(), 0);
    EXPECT_TRUE(Field.HorizonHasData(1));
    bool Kinds[5] = {};
    for (int Ev = 1; Ev <= MaxEvents; ++Ev) {
      const int Code = Field.GetCellInt(Ev, EvCode);
      if (Code >= 1 && Code <= 4) Kinds[Code] = true;
      if (Code == 1 || Code == 3) {
        EXPECT_GT(Field.GetCellInt(Ev, EvKey1), 0);
        EXPECT_GT(Field.GetCellInt(Ev, EvKey2), 0);
      }
    }
    EXPECT_TRUE(Kinds[1] && Kinds[2] && Kinds[3] && Kinds[4]);

    // The weather is the measured record, converted to the field's units.
    QDate Start;
    ASSERT_TRUE(TryStrToDateWithYear(Field.GetCell(1, StartingDate), Start, UsFormatSettings()));
    const bool Metric = Field.IsMetric();
    int Days = 0;
    for (int Day = 1; Day <= MaxDays; ++Day) {
      if (!Field.WeatherDayHasData(Day)) continue;
      ++Days;
      const ExampleDay& M = Measured[size_t(Start.addDays(Day - 1).dayOfYear() - 1)];
      const double TMax = Metric ? M.TMax : M.TMax * 9 / 5 + 32;
      const double Rain = Metric ? M.Rain : M.Rain / 25.4;
      const double U2 = 0.937 * M.Wind3;
      const double Wind = Metric ? U2 : TSovFile::FromMetric(10, U2);
      EXPECT_NEAR(Field.GetCellFloat(Day, MaxTemp), TMax, 0.051) << Day;
      EXPECT_NEAR(Field.GetCellFloat(Day, Precip), Rain, 0.0051) << Day;
      EXPECT_NEAR(Field.GetCellFloat(Day, WindSpeed), Wind, Metric ? 0.0051 : 0.051) << Day;
      EXPECT_NEAR(Field.GetCellFloat(Day, Humidity), (M.RhMax + M.RhMin) / 2, 0.051) << Day;
    }
    EXPECT_GE(Days, 180);
  }
}

// The examples are fields a user can calculate at once: they pass the whole-field
// check, their water-holding capacity is what their horizons hold, and the metric and
// English files give the same schedule.
TEST_F(SovFileIOTest, ExampleFieldsPassTheCheckAndCalculate) {
  TSovLookup Shipped;
  QString Msg;
  ASSERT_TRUE(Shipped.LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg)) << Msg.toStdString();
  const std::vector<ExampleDay> Measured = ReadMaricopa();
  ASSERT_EQ(Measured.size(), 365u);
  const QString Examples = QStringLiteral(FURROW_SOURCE_DIR "/data/examples/");
  double EtSum[2] = {};
  double StationEt = 0;
  for (int Metric = 0; Metric <= 1; ++Metric) {
    const QString Name = Metric ? QStringLiteral("maricopa-cotton-metric.sov") : QStringLiteral("maricopa-cotton-english.sov");
    SCOPED_TRACE(Name.toStdString());
    TSovSchedule Field(Shipped, GermanFormatSettings());
    ASSERT_TRUE(Field.LoadFromFile(Examples + Name, Msg)) << Msg.toStdString();
    ASSERT_EQ(Field.IsMetric(), Metric == 1);
    QString Form;
    int Row = 0, Col = 0;
    EXPECT_TRUE(Field.CheckFieldData(true, Form, Row, Col)) << Form.toStdString() << " row " << Row << " col " << Col;
    double Capacity = 0;
    ASSERT_TRUE(Field.CalcWaterHoldingCapacity(Field.IsMetric(), Field.GetCellFloat(1, SovCol::RootingDepth), Capacity, Msg));
    EXPECT_NEAR(Capacity, Field.GetCellFloat(1, SovCol::WaterHoldingCapacity), Metric ? 0.05 : 0.005);
    Field.Calculate();
    ASSERT_EQ(Field.DayCount(), 184);  // 15 April to 15 October
    for (int Day = 1; Day <= Field.DayCount(); ++Day) {
      ASSERT_TRUE(std::isfinite(Field.ETRef()[Day]));
      EtSum[Metric] += Metric ? Field.ETRef()[Day] : Field.ETRef()[Day] * 25.4;
    }
  }
  {
    QFile F(QStringLiteral(FURROW_SHARED_DATA_DIR "/maricopa-2013.csv"));
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    const QStringList Lines = SplitLines(QString::fromUtf8(F.readAll()));
    for (const QString& Line : Lines) {
      const QStringList P = Line.split(QChar(','));
      const QDate D = QDate::fromString(P[0], Qt::ISODate);
      double Et = 0;
      if (D.isValid() && D >= QDate(2013, 4, 15) && D <= QDate(2013, 10, 15) && P.size() > 8 &&
          TryStrToFloat(P[8], Et, FileFormatSettings()))
        StationEt += Et;
    }
  }
  // Both unit systems give the same reference evapotranspiration (to the rounding of
  // the converted weather), and it is near the station's own over the season.
  EXPECT_NEAR(EtSum[0], EtSum[1], EtSum[1] * 0.01);
  EXPECT_NEAR(EtSum[1], StationEt, StationEt * 0.25);
}

}  // namespace
