// The CSV and ACE JSON exports: quoting and escaping, the CSV's lines, the JSON's
// keys, conversions and left-out values, failures, and end to end from the example
// field files to the golden files of tests/data/export. FURROW_UPDATE_GOLDEN=1
// rewrites the golden files (review the change before committing it).

#include "SovSched.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>

namespace {

using S = TSovSchedule;

// An example field loaded, changed, checked and calculated.
std::unique_ptr<TSovSchedule> Example(const char* Sov, const TFormatSettings& Fmt,
                                      const std::function<void(TSovSchedule&)>& Change = {}) {
  auto F = std::make_unique<TSovSchedule>(ShippedLookup(), Fmt);
  QString Msg;
  EXPECT_TRUE(F->LoadFromFile(FURROW_SOURCE_DIR "/data/examples/" + QString(Sov), Msg)) << Msg.toStdString();
  if (Change) Change(*F);
  ExpectValid(*F);
  F->Calculate();
  return F;
}

QJsonObject ExportJson(const TSovSchedule& F, const QString& Name, int Sections = 7) {
  QString Msg;
  EXPECT_TRUE(F.ExportAceJson(Name, Sections, true, Msg)) << Msg.toStdString();
  QJsonParseError Error;
  const QJsonDocument Doc = QJsonDocument::fromJson(ReadAll(Name), &Error);
  EXPECT_EQ(Error.error, QJsonParseError::NoError) << Error.errorString().toStdString();
  return Doc.object();
}

QJsonObject Experiment(const QJsonObject& Root) { return Root["experiments"][0].toObject(); }
QJsonArray Events(const QJsonObject& Root) { return Experiment(Root).value("management")["events"].toArray(); }

TEST(ExportFields, CsvQuotingAndJsonEscapes) {
  EXPECT_EQ(S::CsvField("", true).toStdString(), "\"\",");
  EXPECT_EQ(S::CsvField(" \t12.5\r\n", false).toStdString(), "\"12.5\"");
  EXPECT_EQ(S::CsvField("a, \"b\"", true).toStdString(), "\"a, \"\"b\"\"\",");
  const struct {
    QString Text;
    const char* Escaped;
  } Cases[] = {{"a\"b/c\\", "a\\\"b\\/c\\\\"},
               {"tab\ttwo\r\nlines", "tab\\ttwo\\r\\nlines"},
               {QString("bell") + QChar(7) + QChar(0x1f), "bell\\u0007\\u001f"},
               {QString::fromUtf8("Ma\xC3\xAFs \xC2\xB0" "C"), "Ma\xC3\xAFs \xC2\xB0" "C"}};
  for (const auto& C : Cases) {
    const QByteArray Escaped = S::JsonEscape(C.Text).toUtf8();
    EXPECT_EQ(Escaped.toStdString(), C.Escaped);
    QJsonParseError Error;
    const QJsonDocument Doc = QJsonDocument::fromJson("[\"" + Escaped + "\"]", &Error);
    ASSERT_EQ(Error.error, QJsonParseError::NoError) << C.Escaped;
    EXPECT_EQ(Doc.array()[0].toString(), C.Text);
  }
}

// The golden files cover the layout; a one-day schedule and a note with quotes here.
TEST(CsvExport, LinesOfAOneDaySchedule) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings(), [](S& F) {
    F.SetCell(1, SovCol::CalculationDate, F.GetCell(1, SovCol::StartingDate));
    F.SetCell(1, SovCol::WeatherNotes, "Hail, \"big\" ones ");
  });
  QTemporaryDir Dir;
  QString Msg = "old";
  ASSERT_TRUE(F->ExportCsv(Dir.filePath("one.csv"), Msg));
  EXPECT_EQ(Msg, "");
  const QStringList L = QString::fromUtf8(ReadAll(Dir.filePath("one.csv"))).split("\r\n");
  ASSERT_EQ(L.size(), 9);  // 8 lines, each ended
  EXPECT_TRUE(L[2].endsWith("\"20.0\",\"Hail, \"\"big\"\" ones\"")) << L[2].toStdString();
  EXPECT_TRUE(L[4].startsWith("Total,,,,,,,\"\",")) << L[4].toStdString();
  EXPECT_TRUE(L[7].startsWith("Minimum,,,,,,,\"")) << L[7].toStdString();
}

TEST(Export, FailuresNameTheFileAndKeepTheEarlierOne) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings());
  QTemporaryDir Dir;
  QString Msg;
  const QString Missing = Dir.filePath("no/such/x.csv");
  EXPECT_FALSE(F->ExportCsv(Missing, Msg));
  EXPECT_TRUE(Msg.startsWith(Missing + "\r\nCan't create file.\r\n")) << Msg.toStdString();
  EXPECT_FALSE(F->ExportAceJson(Missing, 7, true, Msg));
  EXPECT_TRUE(Msg.startsWith(Missing + "\r\nCan't create file.\r\n")) << Msg.toStdString();
  // A write that fails half way (files limited to 4 KB) leaves the earlier export as
  // it was.
  const QString Name = Dir.filePath("kept.csv");
  ASSERT_TRUE(F->ExportCsv(Name, Msg));
  const QByteArray Before = ReadAll(Name);
  bool CsvOk = true, JsonOk = true;
  QString CsvMsg;
  {
    FileSizeLimit Small(4096);
    ASSERT_TRUE(Small.Ok());
    CsvOk = F->ExportCsv(Name, CsvMsg);
    JsonOk = F->ExportAceJson(Name, 7, true, Msg);
  }
  EXPECT_FALSE(CsvOk);
  EXPECT_FALSE(JsonOk);
  EXPECT_TRUE(CsvMsg.startsWith(Name + "\r\nCan't write to file.\r\n")) << CsvMsg.toStdString();
  EXPECT_EQ(ReadAll(Name), Before);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 1);  // no temporary files left
}

TEST(JsonExport, LeftOutInputsEscapesAndEventDates) {
  auto F = Example("maricopa-cotton-english.sov", GermanFormatSettings(), [](S& F) {
    F.SetCell(1, SovCol::PreviousCrop, "");
    F.SetCell(1, SovCol::StartingResidue, "30");
    F.SetCell(1, SovCol::Notes, "Tab\there,\r\n\"quoted\" 1/2");
    for (int Col : {SovCol::HzKSat, SovCol::HzAWC, SovCol::HzOM}) F.SetCell(2, Col, "");
    F.SetCell(3, SovCol::HzDepth, "");  // ends the layers, whatever follows
    F.SetCell(4, SovCol::HzDepth, "200");
  });
  QTemporaryDir Dir;
  const QJsonObject Root = ExportJson(*F, Dir.filePath("f.json"));
  const QJsonObject Ex = Experiment(Root);
  EXPECT_EQ(Ex["fl_notes"].toString(), "Tab\there,\r\n\"quoted\" 1/2");
  EXPECT_FALSE(Ex["initial_conditions"].toObject().contains("icpcr"));
  EXPECT_EQ(Ex["initial_conditions"]["icrip"].toString(), "70");
  const QJsonArray L = Root["soils"][0]["soilLayer"].toArray();
  ASSERT_EQ(L.size(), 2);
  for (const char* Key : {"sldul", "sksat", "sloc"}) {
    EXPECT_TRUE(L[0].toObject().contains(Key)) << Key;
    EXPECT_FALSE(L[1].toObject().contains(Key)) << Key;
  }
  EXPECT_EQ(L[1]["slbdm"].toString(), "1.6");  // "1,6" on screen
  for (const QJsonValue& V : Events(Root)) {
    const QString Kind = V["event"].toString();
    const char* Own = Kind == "planting" ? "pdate" : Kind == "fertilizer" ? "fedate" : Kind == "organic_matter" ? "omdate" : "idate";
    EXPECT_EQ(V["date"], V[Own]) << Kind.toStdString();
  }
}

TEST(JsonExport, SectionsAndAnEmptySoil) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings(), [](S& F) {
    for (int h = 1; h <= MaxHorizons; ++h) F.SetCell(h, SovCol::HzDepth, "");
  });
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("soil.json");
  QString Msg;
  ASSERT_TRUE(F->ExportAceJson(Name, 2, true, Msg));
  EXPECT_EQ(ReadAll(Name).toStdString(),
            "{\r\n  \"soils\" : [\r\n    {\r\n      \"sl_source\" : \"FURROW\",\r\n      \"sl_system\" : \"USDA\",\r\n"
            "      \"soil_id\" : \"CgA\",\r\n      \"soil_name\" : \"Casa Grande\",\r\n      \"soilLayer\" : [\r\n\r\n      ]\r\n    }\r\n  ]\r\n}\r\n");
  ASSERT_TRUE(F->ExportAceJson(Name, 5, false, Msg));
  const QByteArray Compact = ReadAll(Name);
  EXPECT_EQ(Compact.count("\r\n"), 1);
  EXPECT_EQ(QJsonDocument::fromJson(Compact).object().keys(), QStringList({"experiments", "weathers"}));
}

// The residue left on the field is 100 less the cover; a cover at the edge of the
// integer range, edited after the calculation, is left out rather than overflowing
// into a wrong number (or undefined behaviour).
TEST(JsonExport, ResidueAtTheEdgesOfTheIntegerRange) {
  const struct {
    const char* Residue;
    const char* Icrip;
  } Cases[] = {{"0", "100"}, {"100", "0"}, {"-2147483648", ""}, {"2147483647", ""}};
  auto F = Example("maricopa-cotton-metric.sov", GermanFormatSettings(), [](S& F) {
    F.SetCell(1, SovCol::CalculationDate, F.GetCell(1, SovCol::StartingDate));
  });
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("ic.json");
  for (const auto& C : Cases) {
    F->SetCell(1, SovCol::StartingResidue, C.Residue);
    const QJsonObject Root = ExportJson(*F, Name, 1);
    EXPECT_EQ(Experiment(Root).value("initial_conditions")["icrip"].toString().toStdString(), C.Icrip) << C.Residue;
  }
}

// How many objects anywhere in V hold Key.
int KeyCount(const QJsonValue& V, const QString& Key) {
  int Count = 0;
  if (V.isObject()) {
    const QJsonObject O = V.toObject();
    Count += O.contains(Key);
    for (const QJsonValue& Member : O) Count += KeyCount(Member, Key);
  } else if (V.isArray()) {
    for (const QJsonValue& Item : V.toArray()) Count += KeyCount(Item, Key);
  }
  return Count;
}

// A number that its column's rule refuses (as the cells may hold after the calculation,
// or Longitude, which the calculation does not check) is left out, never written as it
// stands. All: every object loses the key, else only the one of that cell.
TEST(JsonExport, ValuesOutsideTheirRuleAreLeftOut) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings());
  int Irrigated = 1;  // the first day with irrigation
  while (!(F->GetCellFloat(Irrigated, SovCol::Irrigation) > 0)) ++Irrigated;
  using namespace SovCol;
  const struct {
    int Row, Col;
    const char *Text, *Key;
    bool All;
  } Cases[] = {
      {1, Longitude, "NaN", "fl_long", false},       {1, Longitude, "-inf", "fl_long", false},
      {1, Longitude, "1e308", "fl_long", false},     {1, Longitude, "1e999", "fl_long", false},
      {1, Latitude, "Infinity", "fl_lat", false},    {1, Latitude, "-33.9", "fl_lat", false},
      {1, Elevation, "1e308", "flele", false},       {1, Elevation, "20000", "flele", false},
      {1, StartingMoisture, "101", "icsw%", false},  {1, StartingResidue, "30.5", "icrip", false},
      {1, GrowingSeason, "NaN", "rm", false},        {1, IrrigationEfficiency, "80.5", "ireff", true},
      {4, EvValue, "NaN", "feamn", false},           {1, EvValue, "-10", "omamt", false},
      {1, EvValue2, "1e308", "omn%", false},         {3, EvValue, "150", "irn%", true},
      {1, HzDepth, "0", "sllb", false},              {1, HzWiltingPoint, "1e308", "slwp", false},
      {1, HzAWC, "1e308", "sldul", false},           {1, HzBulkDensity, "NaN", "slbdm", false},
      {1, HzKSat, "1e308", "sksat", false},          {1, HzSilt, "101", "slsil", false},
      {1, HzClay, "-1", "slcly", false},             {1, HzOM, "inf", "sloc", false},
      {1, HzpH, "99", "slphw", false},               {1, HzEC, "100", "slec", false},
      {1, HzCEC, "1e308", "slcec", false},           {1, MaxTemp, "1e308", "tmax", false},
      {1, MinTemp, "NaN", "tmin", false},            {1, Precip, "-1", "rain", false},
      {1, WindSpeed, "1e308", "wind", false},        {1, Humidity, "101", "rhumd", false},
      {Irrigated, Irrigation, "1e308", "irval", false},
  };
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("rules.json");
  const QJsonObject Before = ExportJson(*F, Name);
  for (const auto& C : Cases) {
    const int Had = KeyCount(Before, C.Key);
    ASSERT_GT(Had, 0) << C.Key;
    const QString Old = F->GetCell(C.Row, C.Col);
    F->SetCell(C.Row, C.Col, C.Text);
    const QJsonObject After = ExportJson(*F, Name);
    EXPECT_EQ(KeyCount(After, C.Key), C.All ? 0 : Had - 1) << C.Key << " " << C.Text;
    F->SetCell(C.Row, C.Col, Old);
  }
}

// ---------------------------------------------------------------------------
// End to end
// ---------------------------------------------------------------------------

void CompareWithGolden(const QByteArray& Actual, const QString& Golden) {
  if (qEnvironmentVariable("FURROW_UPDATE_GOLDEN") == "1") {
    QDir().mkpath(QFileInfo(Golden).path());
    QFile File(Golden);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    File.write(Actual);
    return;
  }
  const QStringList Got = QString::fromUtf8(Actual).split("\r\n");
  const QStringList Want = QString::fromUtf8(ReadAll(Golden)).split("\r\n");
  for (qsizetype i = 0; i < std::min(Got.size(), Want.size()); ++i)
    ASSERT_EQ(Got[i].toStdString(), Want[i].toStdString()) << Golden.toStdString() << " line " << i + 1;
  EXPECT_EQ(Got.size(), Want.size()) << Golden.toStdString();
}

TEST(ExportEndToEnd, ExampleFieldsMatchTheGoldenFiles) {
  const struct {
    const char* Sov;
    TFormatSettings Fmt;
    const char *Csv, *Json;
  } Cases[] = {
      {"maricopa-cotton-metric.sov", UsFormatSettings(), "metric.csv", "metric.json"},
      {"maricopa-cotton-english.sov", UsFormatSettings(), "english.csv", "english.json"},
      // A decimal comma changes the CSV's numbers and never the JSON's.
      {"maricopa-cotton-metric.sov", GermanFormatSettings(), "metric-german.csv", "metric.json"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Csv);
    auto F = Example(C.Sov, C.Fmt);
    ASSERT_GT(F->DayCount(), 150);
    QTemporaryDir Dir;
    QString Msg;
    ASSERT_TRUE(F->ExportCsv(Dir.filePath("out.csv"), Msg)) << Msg.toStdString();
    ASSERT_TRUE(F->ExportAceJson(Dir.filePath("out.json"), 7, true, Msg)) << Msg.toStdString();
    const QString Golden = FURROW_TEST_DATA_DIR "/export/";
    CompareWithGolden(ReadAll(Dir.filePath("out.csv")), Golden + C.Csv);
    if (C.Fmt.DecimalSeparator == '.') CompareWithGolden(ReadAll(Dir.filePath("out.json")), Golden + C.Json);
    EXPECT_EQ(ReadAll(Dir.filePath("out.json")), ReadAll(Golden + C.Json));

    const QJsonObject Root = ExportJson(*F, Dir.filePath("out.json"));  // strict parse
    EXPECT_EQ(Root["weathers"][0]["dailyWeather"].toArray().size(), F->DayCount());
    for (const QJsonValue& V : Events(Root)) EXPECT_EQ(V["date"].toString().size(), 8);
  }
}

}  // namespace
