// Reading and writing the field data file: layout, both versions, number and date
// forms, warnings, and that neither bad input nor a failed save loses anything.

#include "SovCalendar.h"
#include "SovSched.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <sys/stat.h>

namespace {

const QString DataDir = FURROW_TEST_DATA_DIR "/sov";
const QByteArray Golden = ReadAll(DataDir + "/golden.sov");

std::unique_ptr<TSovFile> NewField(const TFormatSettings& Format = UsFormatSettings()) {
  return std::make_unique<TSovFile>(DataLookup("sov/TestLookup.ini"), Format);
}

// Saves into Dir and returns the bytes written.
QByteArray Saved(TSovFile& Field, const QTemporaryDir& Dir, const QString& Version = "9.8.7") {
  QString Msg;
  EXPECT_TRUE(Field.SaveToFile(Dir.filePath("out.sov"), Version, Msg)) << Msg.toStdString();
  EXPECT_TRUE(Msg.isEmpty());
  return ReadAll(Dir.filePath("out.sov"));
}

// Loads Text (given with "\n" line ends) as a CR LF file "t.sov" of Dir.
bool LoadText(TSovFile& Field, const QString& Text, const QTemporaryDir& Dir, QString& Msg) {
  EXPECT_TRUE(WriteAll(Dir.filePath("t.sov"), QString(Text).replace("\n", "\r\n").toUtf8()));
  return Field.LoadFromFile(Dir.filePath("t.sov"), Msg);
}

TEST(SovFileIO, GoldenFileLoadsIntoTheUserFormAndSavesTheSameBytes) {
  QTemporaryDir Dir;
  for (const TFormatSettings& F : {UsFormatSettings(), GermanFormatSettings(), IsoFormatSettings()}) {
    auto Field = NewField(F);
    QString Msg;
    ASSERT_TRUE(Field->LoadFromFile(DataDir + "/golden.sov", Msg)) << Msg.toStdString();
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    EXPECT_EQ(QString::fromUtf8(Saved(*Field, Dir)).toStdString(), QString::fromUtf8(Golden).toStdString());
    EXPECT_EQ(Field->SaveToText("9.8.7").toUtf8(), Golden);
  }
  using namespace SovCol;
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(DataDir + "/golden.sov", Msg));
  const TSovFile& S = *Field;
  EXPECT_EQ(S.FileVersion(), "2");
  EXPECT_EQ(S.ProgramVersion(), "9.8.7");
  EXPECT_TRUE(S.IsCoastal());
  EXPECT_TRUE(S.IsMetric());
  const std::pair<int, const char*> Cells[] = {
      {FarmName, "Müller Farms \"North\""}, {Location, "Arizona"}, {Latitude, "33,069"}, {PreviousCrop, "Maize"},
      {EmergenceDate, "25.04.2013"},      {CalculationDate, "15.10"}, {WeatherStation, "KPHX,KCGZ"}, {HzAWC, "0,12"},
      {HzDepth, "30"},                    {MinTemp, "12,25"},        {WeatherNotes, "Pre-plant, first"}};
  for (const auto& [Col, Text] : Cells) EXPECT_EQ(S.GetCell(1, Col), QString::fromUtf8(Text)) << Col;
  EXPECT_EQ(S.GetCell(2, WeatherNotes), "x\\y");
  EXPECT_EQ(S.GetCell(200, MaxTemp), "-2,5");
  EXPECT_EQ(S.GetCell(3, HzTexture), "SCL");
  EXPECT_FALSE(S.HorizonHasData(2));
  EXPECT_FALSE(S.WeatherDayHasData(3));
  // Events packed into slots 1-5 in file order.
  for (const auto& [Slot, Day, Code] : {std::tuple{1, 10, 1}, {3, 1, 3}, {5, 40, 1}, {6, 0, 0}}) {
    EXPECT_EQ(S.GetCellInt(Slot, EvDay), Day) << Slot;
    EXPECT_EQ(S.GetCellInt(Slot, EvCode), Code) << Slot;
  }
  EXPECT_EQ(S.GetCellInt(3, EvKey1), DataLookup("sov/TestLookup.ini").FindManure("Dairy, solid"));
  EXPECT_EQ(S.GetCell(3, EvValue2), "12,5");
  EXPECT_EQ(S.GetCell(1, EvMisc1), "misc, with comma");
}

// Every cell filled with text that tests the escapes, the encoding and line breaks:
// what comes back is what went in (line breaks as blanks), a second save writes the
// same bytes, and the file keeps "." and "m/d/yyyy".
TEST(SovFileIO, FullRoundTripKeepsEveryCell) {
  using namespace SovCol;
  QTemporaryDir Dir;
  for (const TFormatSettings& F : {UsFormatSettings(), GermanFormatSettings()}) {
    auto A = NewField(F);
    const QString Tricky = QString::fromUtf8("a,b\\c \"q\"\tÄÖÜ ß é – ✓\r\nsecond\nthird\rfourth; [x] = y");
    for (int Col = FirstField; Col <= LastField; ++Col) A->SetCell(1, Col, Tricky + QString::number(Col));
    const std::pair<int, QString> Values[] = {
        {Location, QString::fromUtf8("Québec")}, {Crop, QString::fromUtf8("Luzerne fourragère")},
        {IsCoastal, "Yes"}, {IsMetric, "No"}, {Latitude, Local("-33.5", F)}, {ProjectedYield, "not a number"},
        {EmergenceDate, DateToStr(QDate(2016, 2, 29), F)}, {CalculationDate, DateToStr(QDate(2016, 12, 30), F)}};
    for (const auto& [Col, Text] : Values) A->SetCell(1, Col, Text);
    for (int Hz = 1; Hz <= MaxHorizons; ++Hz)
      for (int Col = FirstHorizon; Col <= LastHorizon; ++Col)
        A->SetCell(Hz, Col, Col == HzTexture ? QString::fromUtf8("SiCL, ü") : Local("0.25", F) + QString::number(Hz));
    FieldWriter W{*A, F};
    for (int Ev = 1; Ev <= MaxEvents; ++Ev) {
      const int Code = (Ev - 1) % 4 + 1;
      W.Event(Ev, (Ev * 7) % 365 + 1, Code, Code == 4 ? 35 : 12.75, Code == 1 ? Ev % 2 + 1 : Code == 3 ? 1 : 0,
              Code == 1 ? 2 : Code == 3 ? Ev % 2 + 1 : 0);
      if (Code == 3) W.Set(Ev, EvValue2, 3.5), W.Set(Ev, EvValue3, "text, not a number");
      W.Set(Ev, EvMisc1, Tricky + "m" + QString::number(Ev));
      W.Set(Ev, EvNotes, Tricky + "n" + QString::number(Ev));
    }
    for (int Day = 1; Day <= MaxDays; ++Day) {
      for (int Col = FirstWeather; Col < GrowthStage; ++Col)
        W.Set(Day, Col, Local("-1.5", F) + QString::number(Day % 10));
      W.Set(Day, GrowthStage, StageCode(Day % 7));
      W.Set(Day, WeatherNotes, Tricky + QString::number(Day) + "\\");
    }
    W.Set(17, Precip, "n/a, \\ missing");
    const QByteArray First = Saved(*A, Dir);
    auto B = NewField(F);
    QString Msg;
    ASSERT_TRUE(B->LoadFromFile(Dir.filePath("out.sov"), Msg)) << Msg.toStdString();
    EXPECT_EQ(Msg, "");
    for (int Col = FirstField; Col <= LastWeather; ++Col) {
      for (int Row = 1; Row <= B->RowCount(B->SectionOfColumn(Col)); ++Row) {
        QString Expected = A->GetCell(Row, Col).replace("\r\n", " ").replace('\r', ' ');
        Expected = Expected.replace('\n', ' ').trimmed();
        ASSERT_EQ(B->GetCell(Row, Col).toStdString(), Expected.toStdString()) << "row " << Row << " col " << Col;
      }
    }
    EXPECT_EQ(Saved(*B, Dir), First);
    const QString Text = QString::fromUtf8(First);
    for (const char* Line : {"\r\nLatitude=-33.5\r\n", "\r\nEmergenceDate=2/29/2016\r\n",
                             "\r\nDay17=-1.57,-1.57,n/a\\, \\\\ missing,-1.57,"})
      EXPECT_TRUE(Text.contains(Line)) << Line;
    EXPECT_EQ(First.count("\n"), First.count("\r\n"));
  }
}

TEST(SovFileIO, ReadsVersionOneInTheWindowsCodePage) {
  using namespace SovCol;
  const QByteArray Bytes = ReadAll(DataDir + "/version1.sov");
  ASSERT_TRUE(Bytes.contains('\x96'));  // an en dash in Windows-1252: not UTF-8
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(DataDir + "/version1.sov", Msg)) << Msg.toStdString();
  // Event 2 has no day: named, since the save drops it.
  EXPECT_EQ(Msg, "File " + DataDir + "/version1.sov holds events without a day number of 1-365, which a field "
                 "cannot hold. These were left out: Event2.");
  EXPECT_EQ(Field->FileVersion(), "1");
  EXPECT_EQ(Field->ProgramVersion(), "1.04");
  EXPECT_TRUE(Field->IsMetric());
  const std::pair<int, const char*> Cells[] = {
      {FarmName, "Ferme Bélanger"},  {FieldName, "Champ nord – 12°"}, {Location, "Québec"},
      {PreviousCrop, "Luzerne fourragère"}, {StartingMoisture, "70"},  // from EmergenceMoisture
      {EmergenceDate, "5/20/2015"},  {StartingDate, "5/20/2015"},   // defaults to the emergence date
      {CalculationDate, "9/30"},     {WeatherNotes, "Pluie, légère"}, {EvNotes, "Épandage"}};
  for (const auto& [Col, Text] : Cells) EXPECT_EQ(Field->GetCell(1, Col), QString::fromUtf8(Text)) << Col;
  // File events 1 and 5 (event 2 has no day) in slots 1 and 2.
  const TSovLookup& L = DataLookup("sov/TestLookup.ini");
  EXPECT_EQ(Field->GetCellInt(1, EvKey1), L.FindFertilizer("Urea"));
  EXPECT_EQ(Field->GetCellInt(1, EvKey2), L.FindFertAppMethod("Broadcast"));
  EXPECT_EQ(Field->GetCellInt(2, EvDay), 10);
  EXPECT_EQ(Field->GetCellInt(3, EvDay), 0);
  QTemporaryDir Dir;
  const QString Text = QString::fromUtf8(Saved(*Field, Dir));
  EXPECT_TRUE(Text.startsWith("[SovInfo]\r\nFileVersion=2\r\nProgramVersion=9.8.7\r\n\r\n[Field]\r\n"));
  for (const char* Line : {"\r\nFieldName=Champ nord – 12°\r\n", "\r\nStartingMoisture=70\r\n",
                           "\r\nStartingDate=5/20/2015\r\n", "[Event2]\r\nDay=10\r\nCode=R\r\nValue=40\r\n",
                           "\r\n[Weather]\r\nDay1=22.5,10,0,,3.2,60,,Pluie\\, légère\r\n"})
    EXPECT_TRUE(Text.contains(QString::fromUtf8(Line))) << Line;
  for (const char* Gone : {"FieldID", "EmergenceMoisture", "Event3"}) EXPECT_FALSE(Text.contains(Gone)) << Gone;
}

TEST(SovFileIO, VersionsAndUnknownNames) {
  QTemporaryDir Dir;
  const std::pair<const char*, const char*> Versions[] = {
      {"[SovInfo]\nFileVersion=2\n", "v2"}, {"[SovInfo]\nFileVersion=1\n", "v1"},  // old section names
      {"[File Info]\nFileVersion=2\n", "v2"}, {"[sovinfo]\nfileversion= 2 \n", "v2"},
      {"[SovInfo]\nFileVersion=3\n", ""},   {"[SovInfo]\nFileVersion=2.0\n", ""},
      {"[SovInfo]\nFileVersion=99999999999999999999\n", ""}, {"[SovInfo]\nFileVersion=\n", ""},
      {"[File Info]\nFileVersion=\n", ""},
      // No version key at all: the wrong version too.
      {"", ""}, {"[SovInfo]\nProgramVersion=2\n", ""}, {"[Field]\nFileVersion=2\n", ""}};
  for (const auto& [Info, FarmName] : Versions) {
    auto Field = NewField();
    Field->SetCell(1, SovCol::FarmName, "before");
    QString Msg;
    const QString Body = "\n[Field]\nFarmName=v2\n\n[Field Data]\nFarmName=v1\n";
    const bool Ok = LoadText(*Field, Info + Body, Dir, Msg);
    EXPECT_EQ(Ok, *FarmName != 0) << Info;
    EXPECT_EQ(Msg, Ok ? "" : "File " + Dir.filePath("t.sov") + " is wrong version.") << Info;
    EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), Ok ? FarmName : "before");
    EXPECT_EQ(Field->FileName().isEmpty(), !Ok);
  }
  // Unknown names are reported and stored as none; the rest of the field is there.
  const struct {
    const char *Field, *Event, *What, *Name;
    int Cleared, Kept;
    const char* KeptText;
  } Cases[] = {
      {"Location=Atlantis\n", "Code=N\n", "Location", "Atlantis", SovCol::Location, SovCol::FarmName, "Kept"},
      {"Location=Arizona\nCrop=Kudzu\n", "Code=N\n", "Crop", "Kudzu", SovCol::Crop, SovCol::Location, "Arizona"},
      {"Crop=Cotton\nPreviousCrop=Weeds\n", "Code=N\n", "PreviousCrop", "Weeds", SovCol::PreviousCrop, SovCol::Crop,
       "Cotton"},
      {"", "Code=F\nKey1=Magic Dust\nKey2=Broadcast\n", "Fertilizer", "Magic Dust", SovCol::EvKey1, SovCol::EvDay,
       "5"},
      {"", "Code=F\nKey1=Urea\nKey2=Airdrop\n", "FertAppMethod", "Airdrop", SovCol::EvKey2, SovCol::EvKey1, "1"},
      {"", "Code=M\nKey1=Guano, aged\n", "Manure", "Guano, aged", SovCol::EvKey1, SovCol::EvDay, "5"},
      {"", "Code=M\nKey1=Dairy, solid\nKey2=Sprayed\n", "ManureAppMethod", "Sprayed", SovCol::EvKey2, SovCol::EvKey1,
       "1"},
  };
  for (const auto& C : Cases) {
    auto Field = NewField();
    QString Msg;
    ASSERT_TRUE(LoadText(*Field, QString("[SovInfo]\nFileVersion=2\n\n[Field]\nFarmName=Kept\n") + C.Field +
                                     "\n[Event1]\nDay=5\n" + C.Event, Dir, Msg));
    EXPECT_EQ(Msg.toStdString(), ("File " + Dir.filePath("t.sov") + " " + C.What + " is invalid: " + C.Name +
                                  "\n\nSelect a different " + C.What + ".").toStdString());
    EXPECT_TRUE(Field->GetCell(1, C.Cleared).isEmpty() || Field->GetCell(1, C.Cleared) == "0")  // either clears it
        << C.What << ": " << Field->GetCell(1, C.Cleared).toStdString();
    EXPECT_EQ(Field->GetCell(1, C.Kept), C.KeptText) << C.What;
  }
  auto Field = NewField();  // known names in any letter case
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, QString::fromUtf8("[SovInfo]\nFileVersion=2\n[Field]\nLocation=QUÉBEC\nCrop=cotton\n"
                                                 "[Event1]\nDay=1\nCode=F\nKey1=uan-32\nKey2=FERTIGATION\n"
                                                 "[Event2]\nDay=2\nCode=N\nKey1=Nonsense ignored for N\n"), Dir, Msg));
  EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
  EXPECT_EQ(Field->GetCell(1, SovCol::Location), QString::fromUtf8("Québec"));
  EXPECT_EQ(Field->GetCellInt(1, SovCol::EvKey1), 2);
  EXPECT_EQ(Field->GetCellInt(2, SovCol::EvKey1), 0);
}

TEST(SovFileIO, OnlyWhatLoadsBackIsSavedUnderItsOwnNumber) {
  QTemporaryDir Dir;
  QString Text = "[SovInfo]\nFileVersion=2\n[Event05]\nDay=4\nCode=F\n[Event-1]\nDay=4\nCode=F\n";
  // Events need a day and a code and are numbered afresh; days 0, 366, -3, 7.5, an
  // overflow, codes f, X, FN and none, and sections beyond 1-50 are not events.
  const std::pair<int, const char*> Events[] = {
      {1, "Day=5\nCode=N\nValue=3\n"}, {2, "Code=N\n"}, {3, "Day=0\nCode=N\n"}, {4, "Day=366\nCode=N\n"},
      {7, "Day=7.5\nCode=N\n"}, {8, "Day=99999999999\nCode=N\n"}, {9, "Day=9\nCode=f\n"}, {11, "Day=11\nCode=FN\n"},
      {12, "Day=12\n"}, {15, "Day=365\nCode=R\nValue=20\n"}, {50, "Day=1\nCode=M\nValue=1.5\n"},
      {51, "Day=2\nCode=M\n"}, {0, "Day=3\nCode=M\n"}};
  for (const auto& [Section, Body] : Events) Text += QStringLiteral("[Event%1]\n").arg(Section) + Body;
  Text += "[Horizon0]\nTexture=S\n[Horizon3]\nTexture=SL\n[Horizon11]\nTexture=C\n[Horizon03]\nTexture=L\n"
          "[Horizon10]\nDepth=200\n[Weather]\nDay0=1\nDay366=2\nDay-1=3\nDay01=4\nDay365=5\nDay2=,,,,,,,,extra,fields\n"
          "Day3=1,2\nDay4=  \n";
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, Text, Dir, Msg)) << Msg.toStdString();
  // What a field cannot hold is named, since the next save drops it.
  EXPECT_EQ(Msg, "File " + Dir.filePath("t.sov") +
                     " holds more than 10 horizons or 50 events and events without a day number of 1-365 and events "
                     "without a code letter F, N, M or R, which a field cannot hold. These were left out: Event2, Event3, "
                     "Event4, Event7, Event8, Event9, Event11, Event12, Event51, Horizon11.");
  const int Days[] = {5, 365, 1};
  for (int Slot = 1; Slot <= MaxEvents; ++Slot)
    EXPECT_EQ(Field->GetCellInt(Slot, SovCol::EvDay), Slot > 3 ? 0 : Days[Slot - 1]);
  EXPECT_EQ(Field->GetCell(3, SovCol::EvValue), "1,5");
  for (int Hz = 1; Hz <= MaxHorizons; ++Hz) EXPECT_EQ(Field->HorizonHasData(Hz), Hz == 3 || Hz == 10) << Hz;
  for (int Day = 1; Day <= MaxDays; ++Day) EXPECT_EQ(Field->WeatherDayHasData(Day), Day == 3 || Day == 365) << Day;
  // Events whose day, code or tables make no sense are not written.
  FieldWriter W{*Field, GermanFormatSettings()};
  W.Event(10, 400, 1, 1, 1, 1);
  W.Event(11, 6, 9, 1, 1, 1);
  W.Event(12, 7, 1, 1, 999, -1);
  W.Event(13, 8, 3, 1, 2, 3);  // manure 2 and method 3 do not exist either
  W.Event(14, 9, 1, 1, 2, 2);
  const QString Out = QString::fromUtf8(Saved(*Field, Dir));
  for (const char* Part : {"[Event1]\r\nDay=5\r\nCode=N\r\nValue=3\r\nMisc1=\r\nNotes=\r\n\r\n",
                           "[Event2]\r\nDay=365\r\nCode=R\r\nValue=20\r\n",
                           "[Event3]\r\nDay=1\r\nCode=M\r\nKey1=\r\nValue=1.5\r\nKey2=\r\nValue2=\r\nValue3=\r\n",
                           "[Event4]\r\nDay=7\r\nCode=F\r\nKey1=\r\nValue=1\r\nKey2=\r\n",
                           "[Event5]\r\nDay=8\r\nCode=M\r\nKey1=\r\nValue=1\r\nKey2=\r\n",
                           "[Event6]\r\nDay=9\r\nCode=F\r\nKey1=UAN-32\r\nValue=1\r\nKey2=Fertigation\r\n",
                           "\r\n[Horizon3]\r\nDepth=\r\nTexture=SL\r\nAWC=\r\n", "\r\n[Horizon10]\r\nDepth=200\r\n",
                           "\r\n\r\n[Weather]\r\nDay3=1,2,,,,,,\r\nDay365=5,,,,,,,\r\n\r\n"})
    EXPECT_TRUE(Out.contains(Part)) << Part;
  EXPECT_FALSE(Out.contains("[Event7]"));
  EXPECT_EQ(Out.count("[Horizon"), 2);
  // All fifty slots fill.
  Text = "[SovInfo]\nFileVersion=2\n";
  for (int i = 1; i <= 50; ++i) Text += QStringLiteral("[Event%1]\nDay=%1\nCode=R\nValue=%1\n").arg(i);
  ASSERT_TRUE(LoadText(*Field, Text, Dir, Msg));
  EXPECT_TRUE(QString::fromUtf8(Saved(*Field, Dir)).contains("[Event50]\r\nDay=50\r\nCode=R\r\nValue=50\r\n"));
}

// An event whose day is not a day of the year, or whose code is not one of the four
// letters, is named at load, before a save drops it.
TEST(SovFileIO, EventsWithoutADayOrCodeAreNamed) {
  QTemporaryDir Dir;
  const QString Lead = "File " + Dir.filePath("t.sov") + " holds ";
  const QString Tail = ", which a field cannot hold. These were left out: ";
  const QString NoDay = "events without a day number of 1-365", NoCode = "events without a code letter F, N, M or R";
  const struct {
    const char* Keys;  // Day and Code of section Event3
    int Loaded;        // events in the field
    QString Msg;
  } Cases[] = {
      {"Day=\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Code=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=-1\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=NaN\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=1e308\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=side\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=0\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=366\nCode=F\n", 2, Lead + NoDay + Tail + "Event3."},
      {"Day=52\nCode=\n", 2, Lead + NoCode + Tail + "Event3."},
      {"Day=52\n", 2, Lead + NoCode + Tail + "Event3."},
      {"Day=52\nCode=f\n", 2, Lead + NoCode + Tail + "Event3."},
      {"Day=52\nCode=X\n", 2, Lead + NoCode + Tail + "Event3."},
      {"Day=52\nCode=FN\n", 2, Lead + NoCode + Tail + "Event3."},
      {"Day=365\nCode=F\n", 3, ""},
      // A day that is none is named for its day, whatever its code.
      {"Code=X\n", 2, Lead + NoDay + Tail + "Event3."},
  };
  for (const auto& C : Cases) {
    const QString Text = QString("[SovInfo]\nFileVersion=2\n[Event1]\nDay=5\nCode=N\nValue=3\n[Event2]\nDay=6\nCode=R\n"
                                 "Value=20\n[Event3]\n") +
                         C.Keys + "Key1=Urea\nValue=110\nNotes=urea side-dress\n";
    auto Field = NewField();
    QString Msg;
    ASSERT_TRUE(LoadText(*Field, Text, Dir, Msg)) << C.Keys;
    EXPECT_EQ(Msg, C.Msg) << C.Keys;
    for (int Slot = 1; Slot <= 4; ++Slot)
      EXPECT_EQ(Field->GetCellInt(Slot, SovCol::EvDay) > 0, Slot <= C.Loaded) << C.Keys << " " << Slot;
  }
  // With events beyond fifty and without a code too, one message names them all in file
  // order, at most ten.
  QString Text = "[SovInfo]\nFileVersion=2\n[Event51]\nDay=2\nCode=N\n[Event13]\nDay=3\nCode=Y\n";
  for (int i = 1; i <= 12; ++i) Text += QStringLiteral("[Event%1]\nDay=x\nCode=N\n").arg(i);
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, Text, Dir, Msg));
  EXPECT_EQ(Msg, Lead + "more than 10 horizons or 50 events and " + NoDay + " and " + NoCode + Tail +
                     "Event51, Event13, Event1, Event2, Event3, Event4, Event5, Event6, Event7, Event8, and 4 more.");
}

TEST(SovFileIO, NumbersAndDatesKeepTheFileFormUnderADecimalComma) {
  using namespace SovCol;
  const struct {
    const char* Key;
    int Col;
    const char *InFile, *German, *Saved;  // Saved nullptr: as in the file
  } Cases[] = {
      {"Latitude", Latitude, "40.5", "40,5", nullptr},      {"Latitude", Latitude, "north", "north", nullptr},
      {"ProjectedYield", ProjectedYield, "1e3", "1e3", nullptr},
      {"RootingDepth", RootingDepth, "-0.25", "-0,25", nullptr},
      {"OrganicMatter", OrganicMatter, "1,5", "1,5", "1.5"},  // a number only in the user's form
      {"Elevation", Elevation, "12.5", "12.5", nullptr},      // a text column: never changed
      {"EmergenceDate", EmergenceDate, "5/1/2015", "01.05.2015", nullptr},
      {"StartingDate", StartingDate, "2/29/2015", "2/29/2015", nullptr},  // no date: kept
      {"StartingDate", StartingDate, "4/1/79", "01.04.2079", "4/1/2079"},
      {"CalculationDate", CalculationDate, "10/15", "15.10", nullptr},
      {"CalculationDate", CalculationDate, "2/29", "2/29", nullptr},  // not in 2015
  };
  QTemporaryDir Dir;
  for (const auto& C : Cases) {
    auto Field = NewField(GermanFormatSettings());
    QString Msg, Text = QString("[SovInfo]\nFileVersion=2\n[Field]\n") + C.Key + "=" + C.InFile + "\n";
    if (C.Col != EmergenceDate) Text += "EmergenceDate=5/1/2015\n";
    if (C.Col != StartingDate) Text += "StartingDate=\n";
    ASSERT_TRUE(LoadText(*Field, Text, Dir, Msg));
    EXPECT_EQ(Field->GetCell(1, C.Col).toStdString(), C.German);
    const QString Line = QString("\r\n") + C.Key + "=" + (C.Saved ? C.Saved : C.InFile) + "\r\n";
    EXPECT_TRUE(QString::fromUtf8(Saved(*Field, Dir)).contains(Line)) << C.Key << "=" << C.InFile;
  }
  // Weather values convert and unescape ("\." is "."), and any line end or a byte-order mark reads.
  auto Field = NewField(GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(LoadText(*Field, "[SovInfo]\nFileVersion=2\n[Weather]\nDay1=1.5,-2.25,0.01,12.7,3.5,55.5,M,a\\,b\\\\c\\\n"
                               "Day2=x.5,1\\.5,,,,,Z\\,Z,\n", Dir, Msg));
  const std::tuple<int, int, const char*> Cells[] = {{1, MaxTemp, "1,5"},     {1, WeatherNotes, "a,b\\c\\"},
                                                    {2, MaxTemp, "x.5"},     {2, MinTemp, "1,5"},
                                                    {2, GrowthStage, "Z,Z"}};
  for (const auto& [Row, Col, Text] : Cells) EXPECT_EQ(Field->GetCell(Row, Col), Text) << Row << " " << Col;
  const QString Out = QString::fromUtf8(Saved(*Field, Dir));
  EXPECT_TRUE(Out.contains("\r\nDay1=1.5,-2.25,0.01,12.7,3.5,55.5,M,a\\,b\\\\c\\\\\r\n"));
  EXPECT_TRUE(Out.contains("\r\nDay2=x.5,1.5,,,,,Z\\,Z,\r\n"));
  const std::pair<QByteArray, const char*> Bodies[] = {
      {"[SovInfo]\rFileVersion=2\r[Field]\rFarmName=Cr\r", "Cr"},
      {"\xEF\xBB\xBF[SovInfo]\r\nFileVersion=2\r\n[Field]\r\nFarmName=B\xC3\xB6m\r\n", "Böm"},
      {"; comment\n  [SovInfo]  \n  FileVersion = 2  \n[Field]\nFarmName  =  Blanks  ", "Blanks"}};
  for (const auto& [Bytes, Name] : Bodies) {
    ASSERT_TRUE(Field->LoadFromBytes(Bytes, "le.sov", Msg));
    EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), QString::fromUtf8(Name));
  }
}

// Files that cannot be read, and truncated, garbled, random and oversized bytes: a
// message and nothing changed, or a field that saves and loads again to the same text.
TEST(SovFileIO, BadInputGivesAMessageOrAStableField) {
  QTemporaryDir Dir;
  const QString Missing = Dir.filePath("missing.sov"), Big = Dir.filePath("big.sov"), Fifo = Dir.filePath("fifo.sov");
  ASSERT_TRUE(WriteAll(Big, "[SovInfo]\r\nFileVersion=2\r\nNotes=" + QByteArray(TSovFile::MaxFileSize, 'x')));
  ASSERT_EQ(mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);  // opening it would block
  const std::pair<QString, const char*> Files[] = {
      {Missing, "File does not exist."}, {Fifo, "Can't read file."},        {Dir.path(), "Can't read file."},
      {"/dev/zero", "Can't read file."}, {Big, "File is too large."}};
  for (const auto& [Path, Reason] : Files) {
    auto Field = NewField();
    Field->SetCell(1, SovCol::FarmName, "kept");
    QString Msg = "stale";
    EXPECT_FALSE(Field->LoadFromFile(Path, Msg));
    EXPECT_EQ(Msg.toStdString(), (Path + "\n" + Reason).toStdString());
    EXPECT_EQ(Field->GetCell(1, SovCol::FarmName), "kept");
    EXPECT_EQ(Field->FileName(), "");
  }
  std::vector<QByteArray> Inputs;
  for (qsizetype Cut = 0; Cut <= Golden.size(); Cut += 13) Inputs.push_back(Golden.left(Cut));
  std::mt19937 Random(20130415);
  const char Specials[] = {'[', ']', '=', ',', '\\', '\r', '\n', ';', ' ', '\xC3', '\x96', '0', '9', '-'};
  for (int Round = 0; Round < 150; ++Round) {
    QByteArray Bytes = Golden;
    for (int i = 0; i < 1 + Round % 40; ++i) {
      const qsizetype Pos = qsizetype(Random() % uint32_t(Bytes.size()));
      const char Ch = Random() % 2 ? Specials[Random() % sizeof(Specials)] : char(Random());
      const int Kind = int(Random() % 3);
      if (Kind == 0) Bytes[Pos] = Ch;
      else if (Kind == 1) Bytes.insert(Pos, Ch);
      else Bytes.remove(Pos, 1 + qsizetype(Random() % 20));
    }
    Inputs.push_back(Bytes);
    QByteArray Noise;  // random bytes without NUL: never a field data file
    for (int i = int(Random() % 4000); i > 0; --i) Noise += char(Random() % 255 + 1);
    Inputs.push_back(Noise);
  }
  // A no-break space that reading keeps after a date that does not read: under both
  // number forms the next save must not make a date of it.
  for (int Form = 0; Form < 2; ++Form)
    Inputs.push_back("[SovInfo]\r\nFileVersion=2\r\n[Field]\r\nEmergenceDate=5/20/1\xC2\xA0\r\n");
  int Loaded = 0;
  for (size_t i = 0; i < Inputs.size(); ++i) {
    const TFormatSettings Format = i % 2 ? GermanFormatSettings() : UsFormatSettings();
    auto Field = NewField(Format), Again = NewField(Format);
    QString Msg;
    if (!Field->LoadFromBytes(Inputs[i], "g.sov", Msg)) {
      EXPECT_FALSE(Msg.isEmpty());
      continue;
    }
    ++Loaded;
    const QString Once = Field->SaveToText("1");
    ASSERT_TRUE(Again->LoadFromBytes(Once.toUtf8(), "g1.sov", Msg)) << Msg.toStdString();
    ASSERT_EQ(Again->SaveToText("1").toStdString(), Once.toStdString()) << "input " << i;
  }
  EXPECT_GT(Loaded, 150);
  // Cut in the middle of the weather: the days before the cut are there.
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromBytes(Golden.left(Golden.indexOf("Day200=") + 14), "cut.sov", Msg));
  EXPECT_EQ(Field->GetCell(1, SovCol::MaxTemp), "30.5");
  EXPECT_EQ(Field->GetCell(200, SovCol::MinTemp), "-1");
  EXPECT_FALSE(Field->WeatherDayHasData(365));
  EXPECT_FALSE(Field->LoadFromBytes("Random text", "r.sov", Msg));
  EXPECT_EQ(Msg, "File r.sov is wrong version.");
  // Just under the size limit, packed with sections and keys: loads in reasonable time.
  QByteArray Large("[SovInfo]\r\nFileVersion=2\r\n[Weather]\r\nDay7=1\r\n");
  for (int i = 0; Large.size() < TSovFile::MaxFileSize - 64; ++i) {
    Large += "[Event" + QByteArray::number(i) + "x]\r\nDay=1\r\n";
    Large += "[Weather]\r\nDay" + QByteArray::number(i % 365 + 1) + "=" + QByteArray::number(i) + "\r\n";
  }
  ASSERT_TRUE(Field->LoadFromBytes(Large, "large.sov", Msg)) << Msg.toStdString();
  // the first key wins
  EXPECT_EQ(Field->GetCell(7, SovCol::MaxTemp), "1");
  EXPECT_EQ(Field->GetCell(8, SovCol::MaxTemp), "7");
  // A load replaces everything an earlier load or the user left in the object.
  ASSERT_TRUE(Field->LoadFromBytes(Golden, "golden.sov", Msg));
  for (int Day = 1; Day <= MaxDays; ++Day) Field->SetCell(Day, SovCol::WeatherNotes, "old");
  const QByteArray Small = "[SovInfo]\r\nFileVersion=2\r\nProgramVersion=3\r\n[Weather]\r\nDay9=1\r\n";
  auto Fresh = NewField();
  ASSERT_TRUE(Field->LoadFromBytes(Small, "s.sov", Msg)) << Msg.toStdString();
  ASSERT_TRUE(Fresh->LoadFromBytes(Small, "s.sov", Msg)) << Msg.toStdString();
  EXPECT_EQ(Field->SaveToText("x"), Fresh->SaveToText("x"));
  EXPECT_EQ(Field->ProgramVersion(), "3");
}

// Saving safely: a failed write leaves the old file as it was, the message names the
// file, says what failed and why, and no temporary file is left.
TEST(SovFileIO, SavingSafely) {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("field.sov");
  ASSERT_TRUE(WriteAll(Path, Golden));
  auto Field = NewField();
  QString Msg;
  ASSERT_TRUE(Field->LoadFromFile(Path, Msg));
  Field->SetCell(1, SovCol::Notes, QString(3000, 'n'));
  {
    FileSizeLimit Limit(1000);  // the disk is "full" after 1000 bytes
    ASSERT_TRUE(Limit.Ok());
    EXPECT_FALSE(Field->SaveToFile(Path, "1", Msg));
  }
  EXPECT_TRUE(Msg.startsWith(QFileInfo(Path).absoluteFilePath() + "\r\nCan't write to file.\r\n"))
      << Msg.toStdString();
  EXPECT_EQ(ReadAll(Path), Golden);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"field.sov"});
  // Once there is room again the same object saves, replaces the file and records its name.
  EXPECT_TRUE(Field->SaveToFile(Path, "2.0", Msg)) << Msg.toStdString();
  EXPECT_EQ(Msg, "");
  EXPECT_TRUE(ReadAll(Path).startsWith("[SovInfo]\r\nFileVersion=2\r\nProgramVersion=2.0\r\n"));
  EXPECT_TRUE(ReadAll(Path).contains(QByteArray(3000, 'n')));
  EXPECT_EQ(Field->FileName(), Path);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"field.sov"});
  ASSERT_TRUE(WriteAll(Dir.filePath("plain"), "x"));
  const std::pair<QString, const char*> Cases[] = {{Dir.filePath("plain/field.sov"), "Can't create file."},
                                                   {"/proc/furrow-test-field.sov", "Can't create file."},
                                                   {"/dev/full", "Can't create file."}};
  for (const auto& [Target, Reason] : Cases) {
    auto Other = NewField();
    ASSERT_TRUE(Other->LoadFromBytes(Golden, "", Msg));
    EXPECT_FALSE(Other->SaveToFile(Target, "1", Msg));
    EXPECT_TRUE(Msg.startsWith(Target + "\r\n" + Reason)) << Msg.toStdString();
    EXPECT_GT(Msg.size(), (Target + "\r\n" + Reason).size() + 2) << "no reason given";
    EXPECT_TRUE(Other->FileName().isEmpty());
  }
  EXPECT_EQ(ReadAll(Dir.filePath("plain")), "x");
}

// The example files load without warnings and save unchanged.
TEST(SovFileIO, ExampleFiles) {
  const QString Examples = FURROW_SOURCE_DIR "/data/examples/";
  const QStringList Files = QDir(Examples).entryList({"*.sov"}, QDir::Files, QDir::Name);
  ASSERT_GE(Files.size(), 2);
  QString Msg;
  for (const QString& Name : Files) {
    TSovFile Field(ShippedLookup(), UsFormatSettings());
    ASSERT_TRUE(Field.LoadFromFile(Examples + Name, Msg)) << Name.toStdString() << Msg.toStdString();
    EXPECT_EQ(Msg, "") << Name.toStdString();
    EXPECT_EQ(Field.SaveToText(Field.ProgramVersion()).toStdString(),
              QString::fromUtf8(ReadAll(Examples + Name)).toStdString());
  }
}

// A file without a version, empty or binary, reads as any other: the wrong version.
TEST(SovFileIO, FilesWithoutAVersionAreOfTheWrongVersion) {
  const QString Wrong = "File b.sov is wrong version.";
  const std::pair<QByteArray, QString> Cases[] = {
      {QByteArray(), Wrong}, {"Random text", Wrong}, {"[Field]\r\nFileVersion=2\r\n", Wrong},
      {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), Wrong}, {QByteArray("[SovInfo]\r\nFileVersion=2\r\n\0\x01", 29), ""}};
  for (const auto& [Bytes, Message] : Cases) {
    QString Msg;
    EXPECT_EQ(NewField()->LoadFromBytes(Bytes, "b.sov", Msg), Message.isEmpty()) << Bytes.toHex().data();
    EXPECT_EQ(Msg, Message) << Bytes.toHex().data();
  }
}

// Names the tables lack are all named in one warning with the events left out, and a
// save writes each back as the file gave it.
TEST(SovFileIO, NamesNotInTheTablesAreNamedAndSavedBack) {
  const QString Path = DataDir + "/unknown-names.sov";
  const std::pair<const char*, const char*> Names[] = {  // the line in both files; what the warning calls it
      {"\r\nLocation=Île d'Yeu\r\n", "Location"}, {"\r\nCrop=Kudzu\r\n", "Crop"},
      {"[Event1]\r\nDay=10\r\nCode=F\r\nKey1=Urea 46 granular\r\n", "Fertilizer"},
      {"[Event2]\r\nDay=12\r\nCode=F\r\nKey1=Blaukorn\r\n", "Fertilizer"}, {"\r\nKey2=Schleppschuh\r\n", "ManureAppMethod"}};
  auto Field = NewField();
  QString Msg, Named;
  ASSERT_TRUE(Field->LoadFromFile(Path, Msg));
  QTemporaryDir Dir;
  const QByteArray Out = Saved(*Field, Dir);
  for (const auto& [Line, What] : Names) {
    EXPECT_TRUE(ReadAll(Path).contains(Line) && Out.contains(Line)) << Line;
    Named += QString(What) + " is invalid: " + QString::fromUtf8(Line).section('=', -1).trimmed() + "\n";
  }
  EXPECT_EQ(Msg, "File " + Path + " " + Named + "\nSelect a different Location, Crop, Fertilizer, ManureAppMethod.\n\n"
                 "File " + Path + " holds events without a day number of 1-365, which a field cannot hold. These "
                 "were left out: Event4.");
}

// Save refuses, before touching the disk, a text that Open would refuse as too large;
// one at the limit is written and opens again.
TEST(SovFileIO, SaveWritesNothingThatOpenWouldRefuse) {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("field.sov");
  const qint64 Limit = TSovFile::MaxFileSize, Frame = NewField()->SaveToText("1").toUtf8().size();
  const struct {
    QByteArray File;  // loaded first when not empty
    qint64 Notes;     // characters typed into the notes
    bool Saves;
  } Cases[] = {{"[SovInfo]\r\nFileVersion=2\r\n[Field]\r\nNotes=" + QByteArray(Limit / 2 + 9, '\xE9'), 0, false},
               {QByteArray(), Limit - Frame + 1, false},
               {QByteArray(), Limit - Frame, true}};
  for (const auto& C : Cases) {
    auto Field = NewField(), Again = NewField();
    QString Msg;
    ASSERT_TRUE(C.File.isEmpty() || Field->LoadFromBytes(C.File, "w.sov", Msg));
    if (C.Notes > 0) Field->SetCell(1, SovCol::Notes, QString(C.Notes, QChar('x')));
    ASSERT_TRUE(WriteAll(Path, "old"));
    EXPECT_EQ(Field->SaveToFile(Path, "1", Msg), C.Saves) << C.Notes;
    EXPECT_EQ(Msg.startsWith(Path + "\nFile is too large: "), !C.Saves) << C.Notes;
    EXPECT_EQ(ReadAll(Path).size(), C.Saves ? Limit : 3) << C.Notes;
    EXPECT_EQ(Again->LoadFromFile(Path, Msg), C.Saves) << C.Notes;
  }
}

}  // namespace
