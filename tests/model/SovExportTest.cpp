// The schedule's CSV and ACE JSON exports: field quoting and escaping, the line layout
// of the CSV, the JSON's structure, keys and conversions, failures, and end to end
// from the example field files to golden files (tests/data/export). Run with
// FURROW_UPDATE_GOLDEN=1 to rewrite the golden files after a deliberate change.

#include "SovSched.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using S = TSovSchedule;

const QString ExampleDir = QStringLiteral(FURROW_SOURCE_DIR "/data/examples/");
const QString GoldenDir = QStringLiteral(FURROW_TEST_DATA_DIR "/export/");

const TSovLookup& ShippedLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    EXPECT_TRUE(L->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

QByteArray ReadAll(const QString& Name) {
  QFile File(Name);
  if (!File.open(QIODevice::ReadOnly)) return QByteArray();
  return File.readAll();
}

QStringList Lines(const QString& Name) {
  QString Text = QString::fromUtf8(ReadAll(Name));
  EXPECT_TRUE(Text.endsWith("\r\n"));
  Text.chop(2);
  return Text.split("\r\n");
}

// An example field loaded, checked and calculated; Change edits it before the check.
std::unique_ptr<TSovSchedule> Example(const QString& Sov, const TFormatSettings& Fmt,
                                      const std::function<void(TSovSchedule&)>& Change = {}) {
  auto F = std::make_unique<TSovSchedule>(ShippedLookup(), Fmt);
  QString Msg;
  EXPECT_TRUE(F->LoadFromFile(ExampleDir + Sov, Msg)) << Msg.toStdString();
  if (Change) Change(*F);
  QString Form;
  int Row = 0, Col = 0;
  EXPECT_TRUE(F->CheckFieldData(false, Form, Row, Col)) << Form.toStdString() << " column " << Col << " row " << Row;
  F->Calculate();
  return F;
}

QJsonObject ExportJson(const TSovSchedule& F, const QTemporaryDir& Dir, int Sections = 7, bool Pretty = true) {
  const QString Name = Dir.filePath("field.json");
  QString Msg;
  EXPECT_TRUE(F.ExportAceJson(Name, Sections, Pretty, Msg)) << Msg.toStdString();
  QJsonParseError Error;
  const QJsonDocument Doc = QJsonDocument::fromJson(ReadAll(Name), &Error);
  EXPECT_EQ(Error.error, QJsonParseError::NoError) << Error.errorString().toStdString();
  return Doc.object();
}

QJsonObject Experiment(const QJsonObject& Root) { return Root["experiments"].toArray()[0].toObject(); }
QJsonArray Events(const QJsonObject& Root) { return Experiment(Root)["management"].toObject()["events"].toArray(); }
QJsonArray Layers(const QJsonObject& Root) {
  return Root["soils"].toArray()[0].toObject()["soilLayer"].toArray();
}

// ---------------------------------------------------------------------------
// Key order: the keys of every object, in the order they were written
// ---------------------------------------------------------------------------

std::vector<QStringList> ObjectKeys(const QByteArray& Json) {
  std::vector<QStringList> Done;
  std::vector<QStringList> Open;
  const QString Text = QString::fromUtf8(Json);
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar Ch = Text[i];
    if (Ch == '{') {
      Open.emplace_back();
    } else if (Ch == '}') {
      Done.push_back(Open.back());
      Open.pop_back();
    } else if (Ch == '"') {
      QString Str;
      for (++i; Text[i] != '"'; ++i) {
        if (Text[i] == '\\') ++i;
        Str += Text[i];
      }
      qsizetype j = i + 1;
      while (Text[j].isSpace()) ++j;
      if (Text[j] == ':') Open.back() << Str;
    }
  }
  return Done;
}

// The key order of each kind of object of the export.
const std::vector<QStringList>& KeyOrders() {
  static const std::vector<QStringList> Orders = {
      {"experiments", "soils", "weathers"},
      {"local_id", "fl_name", "fl_loc_1", "fl_loc_2", "fl_land", "fl_lat", "fl_long", "flele",
       "initial_conditions", "soil_id", "fl_notes", "wst_id", "management"},
      {"icdat", "icpcr", "icrip", "icsw%"},
      {"events"},
      {"event", "date", "pdate", "edate", "crid", "rm"},
      {"event", "date", "fedate", "fecd", "feacd", "feamn"},
      {"event", "date", "omdate", "omcd", "omacd", "omamt", "omn%", "om_name", "om_notes"},
      {"event", "date", "idate", "irval", "irn%", "ireff"},
      {"sl_source", "sl_system", "soil_id", "soil_name", "sl_loc_2", "soilLayer"},
      {"sllb", "sltx", "sldul", "slwp", "slbdm", "sksat", "slsil", "slcly", "sloc", "slphw", "slec", "slcec"},
      {"wst_id", "dailyWeather"},
      {"w_date", "tmax", "tmin", "rain", "wind", "rhumd", "srad"},
  };
  return Orders;
}

bool InOrder(const QStringList& Keys, const QStringList& Order) {
  qsizetype Last = -1;
  for (const QString& Key : Keys) {
    const qsizetype At = Order.indexOf(Key);
    if (At <= Last) return false;
    Last = At;
  }
  return true;
}

void ExpectKeyOrder(const QByteArray& Json) {
  const std::vector<QStringList> Objects = ObjectKeys(Json);
  ASSERT_FALSE(Objects.empty());
  for (const QStringList& Keys : Objects) {
    bool Found = false;
    for (const QStringList& Order : KeyOrders()) Found = Found || InOrder(Keys, Order);
    EXPECT_TRUE(Found) << "keys out of order: " << Keys.join(' ').toStdString();
    if (!Keys.isEmpty() && Keys.first() == "event") {
      EXPECT_EQ(Keys.value(1).toStdString(), "date");
    }
  }
}

// ---------------------------------------------------------------------------
// Fields and escapes
// ---------------------------------------------------------------------------

TEST(CsvExport, FieldQuoting) {
  const struct {
    const char *Text, *Field;
    bool Comma;
  } Cases[] = {
      {"", "\"\",", true},
      {"12.5", "\"12.5\",", true},
      {"  padded \t", "\"padded\"", false},
      {"\r\nline\r\n", "\"line\"", false},
      {"a, b", "\"a, b\",", true},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", false},
      {"\"", "\"\"\"\",", true},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(S::CsvField(C.Text, C.Comma).toStdString(), C.Field) << C.Text;
}

TEST(JsonExport, EscapesMakeStrictJson) {
  const struct {
    QString Text;
    const char* Escaped;
  } Cases[] = {
      {"plain", "plain"},
      {"a\"b", "a\\\"b"},
      {"1/2", "1\\/2"},
      {"C:\\x", "C:\\\\x"},
      {"tab\there", "tab\\there"},
      {"two\r\nlines", "two\\r\\nlines"},
      {QString("bell") + QChar(7), "bell\\u0007"},
      {QString("unit") + QChar(0x1f), "unit\\u001f"},
      {QString::fromUtf8("Ma\xC3\xAFs \xC2\xB0" "C"), "Ma\xC3\xAFs \xC2\xB0" "C"},
  };
  for (const auto& C : Cases) {
    const QString Escaped = S::JsonEscape(C.Text);
    EXPECT_EQ(Escaped.toUtf8().toStdString(), C.Escaped);
    QJsonParseError Error;
    const QJsonDocument Doc = QJsonDocument::fromJson("[\"" + Escaped.toUtf8() + "\"]", &Error);
    ASSERT_EQ(Error.error, QJsonParseError::NoError) << C.Escaped;
    EXPECT_EQ(Doc.array()[0].toString(), C.Text);
  }
}

// ---------------------------------------------------------------------------
// CSV layout
// ---------------------------------------------------------------------------

TEST(CsvExport, LinesOfAOneDaySchedule) {
  for (const bool German : {false, true}) {
    const TFormatSettings Fmt = German ? GermanFormatSettings() : UsFormatSettings();
    auto F = Example("maricopa-cotton-metric.sov", Fmt, [&](TSovSchedule& F) {
      F.SetCell(1, SovCol::CalculationDate, F.GetCell(1, SovCol::StartingDate));
      F.SetCell(1, SovCol::WeatherNotes, "  Hail, \"big\" ones ");
    });
    ASSERT_EQ(F->DayCount(), 1);
    QTemporaryDir Dir;
    const QString Name = Dir.filePath("one.csv");
    QString Msg = "old";
    ASSERT_TRUE(F->ExportCsv(Name, Msg)) << Msg.toStdString();
    EXPECT_EQ(Msg, "");
    const QStringList L = Lines(Name);
    ASSERT_EQ(L.size(), 8);
    EXPECT_EQ(L[0].toStdString(),
              "DayNum,Date,Year,Month,Day,GrowthStage,GDD,MaxTemp,AveTemp,MinTemp,WindSpeed,Humidity,Precip,"
              "Irrigation,SolarRad,ETRef,Kc,ETCrop,ExcessWater,SoilMoisture,MineralizedN,AmmoniumN,NitrateN,"
              "DenitrifiedN,VolatilizedN,UptakeN,LeachedN,FertilizerN,Notes");
    EXPECT_EQ(L[1].toStdString(),
              ",,,,,,degC,degC,degC,degC,mps,%,mm,mm,MJ m-2,mm,,mm,mm,mm,kg/ha,kg/ha,kg/ha,kg/ha,kg/ha,kg/ha,"
              "kg/ha,kg/ha");
    // Day 1: 15 April 2013, 31.3 / 15 degC, a manure application of 10 MT/ha with
    // 2 kg/MT of ammonium nitrogen (20 kg/ha).
    const QString Day = L[2];
    EXPECT_TRUE(Day.startsWith("\"1\",\"2013-04-15\",\"2013\",\"4\",\"15\",\"\",")) << Day.toStdString();
    EXPECT_TRUE(Day.contains(German ? "\"31,3\",\"23,2\",\"15\"," : "\"31.3\",\"23.2\",\"15\","))
        << Day.toStdString();
    EXPECT_TRUE(Day.endsWith(German ? "\"20,0\",\"Hail, \"\"big\"\" ones\"" : "\"20.0\",\"Hail, \"\"big\"\" ones\""))
        << Day.toStdString();
    EXPECT_EQ(L[3], "");
    EXPECT_TRUE(L[4].startsWith("Total,,,,,,,\"\",\"\",\"\",\"\",\"\",\"0.00\",\"0.00\",")
                    ? !German
                    : L[4].startsWith("Total,,,,,,,\"\",\"\",\"\",\"\",\"\",\"0,00\",\"0,00\","))
        << L[4].toStdString();
    // Kc and SoilMoisture have no total, the nitrogen columns U to AA no summaries.
    EXPECT_TRUE(L[4].endsWith(German ? "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"20,0\"," : "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"20.0\","))
        << L[4].toStdString();
    if (!German) {
      EXPECT_EQ(L[4].count(QChar(0x2c)), 7 + 21);
    }
    EXPECT_TRUE(L[5].startsWith(German ? "Average,,,,,,,\"31,3\",\"23,2\",\"15,0\"," : "Average,,,,,,,\"31.3\",\"23.2\",\"15.0\","))
        << L[5].toStdString();
    EXPECT_TRUE(L[6].startsWith("Maximum,,,,,,,"));
    EXPECT_TRUE(L[7].startsWith("Minimum,,,,,,,"));
  }
  auto F = Example("maricopa-cotton-english.sov", UsFormatSettings());
  QTemporaryDir Dir;
  QString Msg;
  ASSERT_TRUE(F->ExportCsv(Dir.filePath("e.csv"), Msg));
  EXPECT_EQ(Lines(Dir.filePath("e.csv"))[1].toStdString(),
            ",,,,,,degF,degF,degF,degF,mph,%,in,in,MJ m-2,in,,in,in,in,lbs/acre,lbs/acre,lbs/acre,lbs/acre,"
            "lbs/acre,lbs/acre,lbs/acre,lbs/acre");
  EXPECT_EQ(Lines(Dir.filePath("e.csv")).size(), F->DayCount() + 7);
}

TEST(CsvExport, FailuresKeepAnEarlierFileAndNameTheFile) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings());
  QTemporaryDir Dir;
  QString Msg;
  const QString Missing = Dir.filePath("no/such/folder/x.csv");
  EXPECT_FALSE(F->ExportCsv(Missing, Msg));
  EXPECT_EQ(Msg, Missing + "\r\nCan't create file.");
  EXPECT_FALSE(F->ExportAceJson(Missing, 7, true, Msg));
  EXPECT_EQ(Msg, Missing + "\r\nCan't create file.");
  if (QFile::exists("/dev/full")) {
    EXPECT_FALSE(F->ExportCsv("/dev/full", Msg));
    EXPECT_EQ(Msg, "/dev/full\r\nCan't write to file.");
  }
  // A read-only folder: the export fails and the earlier file stays as it was.
  const QString Name = Dir.filePath("kept.json");
  ASSERT_TRUE(F->ExportAceJson(Name, 7, true, Msg));
  const QByteArray Before = ReadAll(Name);
  QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  if (!QFile(Dir.filePath("probe")).open(QIODevice::WriteOnly)) {  // not when running as root
    EXPECT_FALSE(F->ExportAceJson(Name, 1, false, Msg));
    EXPECT_FALSE(F->ExportCsv(Name, Msg));
    EXPECT_EQ(ReadAll(Name), Before);
  }
  QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// ---------------------------------------------------------------------------
// JSON content
// ---------------------------------------------------------------------------

TEST(JsonExport, MissingInputsAreLeftOut) {
  auto F = Example("maricopa-cotton-metric.sov", GermanFormatSettings(), [](TSovSchedule& F) {
    F.SetCell(1, SovCol::PreviousCrop, "");
    F.SetCell(1, SovCol::StartingResidue, "");
    F.SetCell(2, SovCol::HzKSat, "");
    F.SetCell(2, SovCol::HzAWC, "");
    F.SetCell(2, SovCol::HzOM, "");
    // Horizon 3 without a depth ends the layers, whatever follows.
    F.SetCell(3, SovCol::HzDepth, "");
    F.SetCell(4, SovCol::HzTexture, "L");
    F.SetCell(4, SovCol::HzDepth, "200");
    F.SetCell(1, SovCol::Notes, "Tab\there,\r\nnew line, \"quoted\" 1/2 \\");
    F.SetCell(2, SovCol::Irrigation, "100,5");
  });
  QTemporaryDir Dir;
  const QJsonObject Root = ExportJson(*F, Dir);
  const QJsonObject Ex = Experiment(Root);
  EXPECT_FALSE(Ex["initial_conditions"].toObject().contains("icpcr"));
  EXPECT_FALSE(Ex["initial_conditions"].toObject().contains("icrip"));
  EXPECT_EQ(Ex["fl_notes"].toString(), "Tab\there,\r\nnew line, \"quoted\" 1/2 \\");
  const QJsonArray L = Layers(Root);
  ASSERT_EQ(L.size(), 2);
  EXPECT_EQ(L[0].toObject()["sldul"].toString(), "0.20");
  EXPECT_EQ(L[0].toObject()["sksat"].toString(), "3.30");
  EXPECT_EQ(L[0].toObject()["sloc"].toString(), "0.348");
  for (const char* Key : {"sldul", "sksat", "sloc"}) EXPECT_FALSE(L[1].toObject().contains(Key)) << Key;
  EXPECT_EQ(L[1].toObject()["slwp"].toString(), "0.13");
  // The user's decimal comma never reaches the file.
  bool SawIrrigation = false;
  for (const QJsonValue& V : Events(Root)) {
    const QJsonObject E = V.toObject();
    if (E["event"] == "irrigation" && E["idate"] == "20130416") {
      EXPECT_EQ(E["irval"].toString(), "100.5");
      EXPECT_EQ(E["ireff"].toString(), "0.75");
      SawIrrigation = true;
    }
  }
  EXPECT_TRUE(SawIrrigation);
}

TEST(JsonExport, EventsDatesAndConversions) {
  auto F = Example("maricopa-cotton-english.sov", UsFormatSettings(), [](TSovSchedule& F) {
    F.SetCell(1, SovCol::Elevation, "1000");
    F.SetCell(1, SovCol::StartingResidue, "30");
    F.SetIsCoastal(true);
    // The nitrate event moves from day 2 to day 40: earlier irrigation takes it too.
    F.SetCellInt(3, SovCol::EvDay, 40);
  });
  QTemporaryDir Dir;
  const QJsonObject Root = ExportJson(*F, Dir);
  const QJsonObject Ex = Experiment(Root);
  EXPECT_EQ(Ex["flele"].toString(), "304.8");
  EXPECT_EQ(Ex["fl_land"].toString(), "Coastal");
  EXPECT_EQ(Ex["local_id"].toString(), "maricopa-cotton-english.sov");
  const QJsonObject Ic = Ex["initial_conditions"].toObject();
  EXPECT_EQ(Ic["icrip"].toString(), "70");
  EXPECT_EQ(Ic["icdat"].toString(), "20130415");
  const QJsonArray Ev = Events(Root);
  ASSERT_GE(Ev.size(), 4);
  const QJsonObject Planting = Ev[0].toObject();
  EXPECT_EQ(Planting["event"].toString(), "planting");
  EXPECT_EQ(Planting["edate"].toString(), "20130425");
  EXPECT_EQ(Planting["pdate"].toString(), "20130413");  // 12 days before emergence
  for (const QJsonValue& V : Ev) {
    const QJsonObject E = V.toObject();
    const QString Kind = E["event"].toString();
    const QString Own = Kind == "planting" ? "pdate" : Kind == "fertilizer" ? "fedate"
                        : Kind == "organic_matter" ? "omdate" : "idate";
    EXPECT_EQ(E["date"], E[Own]) << Kind.toStdString();
    if (Kind == "organic_matter") {
      // 4.5 ton/acre of solid dairy manure with 24 lbs/ton total nitrogen.
      EXPECT_EQ(E["omdate"].toString(), Ic["icdat"].toString());
      EXPECT_EQ(E["omamt"].toString(), "10087.4");
      EXPECT_EQ(E["omn%"].toString(), "1.2000");
    }
    if (Kind == "irrigation") {
      EXPECT_EQ(E["irn%"].toString(), "0.00085");  // 8.5 ppm
      EXPECT_EQ(E["ireff"].toString(), "0.75");
    }
  }
  // Metric temperatures and wind as km a day.
  const QJsonObject Day1 = Root["weathers"].toArray()[0].toObject()["dailyWeather"].toArray()[0].toObject();
  EXPECT_EQ(Day1["tmax"].toString(), F->FloatToFileStr(TSovFile::ToMetric(8, F->GetCellFloat(1, SovCol::MaxTemp)), 2));
  EXPECT_EQ(Day1["wind"].toString(),
            F->FloatToFileStr(TSovFile::ToMetric(10, F->GetCellFloat(1, SovCol::WindSpeed)) * 86.4, 2));
  EXPECT_FALSE(Day1.contains("rhumd") && F->GetCell(1, SovCol::Humidity).isEmpty());
}

TEST(JsonExport, SectionsLayoutAndEmptyLayers) {
  auto F = Example("maricopa-cotton-metric.sov", UsFormatSettings(), [](TSovSchedule& F) {
    for (int h = 1; h <= MaxHorizons; ++h)
      for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) F.SetCell(h, Col, "");
  });
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("soil.json");
  QString Msg;
  ASSERT_TRUE(F->ExportAceJson(Name, 2, true, Msg));
  EXPECT_EQ(QString::fromUtf8(ReadAll(Name)).toStdString(),
            "{\r\n"
            "  \"soils\" : [\r\n"
            "    {\r\n"
            "      \"sl_source\" : \"SORVO\",\r\n"
            "      \"sl_system\" : \"USDA\",\r\n"
            "      \"soil_name\" : \"Casa Grande\",\r\n"
            "      \"soilLayer\" : [\r\n"
            "\r\n"
            "      ]\r\n"
            "    }\r\n"
            "  ]\r\n"
            "}\r\n");
  // Without pretty printing: one line and a line end.
  ASSERT_TRUE(F->ExportAceJson(Name, 5, false, Msg));
  const QByteArray Compact = ReadAll(Name);
  EXPECT_EQ(Compact.count("\r\n"), 1);
  EXPECT_TRUE(Compact.startsWith("{\"experiments\" : [{\"local_id\" : "));
  const QJsonObject Root = QJsonDocument::fromJson(Compact).object();
  EXPECT_EQ(Root.keys(), QStringList({"experiments", "weathers"}));
}

// ---------------------------------------------------------------------------
// End to end against golden files
// ---------------------------------------------------------------------------

bool UpdateGolden() { return qEnvironmentVariable("FURROW_UPDATE_GOLDEN") == "1"; }

void CompareWithGolden(const QString& Written, const QString& Golden) {
  const QByteArray Actual = ReadAll(Written);
  ASSERT_FALSE(Actual.isEmpty());
  if (UpdateGolden()) {
    QDir().mkpath(GoldenDir);
    QFile File(Golden);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    File.write(Actual);
    return;
  }
  const QStringList Got = QString::fromUtf8(Actual).split("\r\n");
  const QStringList Want = QString::fromUtf8(ReadAll(Golden)).split("\r\n");
  ASSERT_FALSE(Want.size() <= 1) << "missing golden file " << Golden.toStdString();
  for (qsizetype i = 0; i < std::min(Got.size(), Want.size()); ++i)
    ASSERT_EQ(Got[i].toStdString(), Want[i].toStdString()) << Golden.toStdString() << " line " << i + 1;
  EXPECT_EQ(Got.size(), Want.size()) << Golden.toStdString();
}

// Values a person would expect of a cotton field in central Arizona.
void ExpectPlausible(const TSovSchedule& F) {
  const bool Metric = F.IsMetric();
  const double Mm = Metric ? 1.0 : 1 / 25.4;
  double Capacity = 0;
  for (int n = 1; n <= F.Scalars().LayerCount; ++n) Capacity += F.Layers()[n].LayerCapacity;
  for (int d = 1; d <= F.DayCount(); ++d) {
    const int Month = F.StartDate().addDays(d - 1).month();
    if (Month >= 6 && Month <= 8) {  // 3 mm on cloudy monsoon days
      EXPECT_GE(F.ETRef()[d], 3 * Mm) << d;
      EXPECT_LE(F.ETRef()[d], 12 * Mm) << d;
    }
    EXPECT_GE(F.ETCrop()[d], 0) << d;
    EXPECT_GE(F.SoilMoisture()[d], 0) << d;
    EXPECT_LE(F.SoilMoisture()[d], Capacity + 1e-9) << d;
    EXPECT_GE(F.SolarRad()[d], 5) << d;
    EXPECT_LE(F.SolarRad()[d], 35) << d;
    for (const TDayArray<double>* A : {&F.MineralizedN(), &F.AmmoniumN(), &F.NitrateN(), &F.DenitrifiedN(),
                                       &F.VolatilizedN(), &F.UptakeN(), &F.LeachedN()})
      EXPECT_GE((*A)[d], 0) << d;
  }
  EXPECT_GT(F.MineralizedN()[F.DayCount()], 0);
  EXPECT_GT(F.UptakeN()[F.DayCount()], 0);
}

TEST(ExportEndToEnd, ExampleFieldsMatchTheGoldenFiles) {
  const struct {
    const char* Sov;
    TFormatSettings Fmt;
    const char *Csv, *Json;
  } Cases[] = {
      {"maricopa-cotton-metric.sov", UsFormatSettings(), "metric.csv", "metric.json"},
      {"maricopa-cotton-english.sov", UsFormatSettings(), "english.csv", "english.json"},
      // A decimal comma changes the CSV's numbers, never the JSON's.
      {"maricopa-cotton-metric.sov", GermanFormatSettings(), "metric-german.csv", "metric.json"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Csv);
    auto F = Example(C.Sov, C.Fmt);
    ASSERT_GT(F->DayCount(), 150);
    ExpectPlausible(*F);
    QTemporaryDir Dir;
    QString Msg;
    ASSERT_TRUE(F->ExportCsv(Dir.filePath("out.csv"), Msg)) << Msg.toStdString();
    ASSERT_TRUE(F->ExportAceJson(Dir.filePath("out.json"), 7, true, Msg)) << Msg.toStdString();
    CompareWithGolden(Dir.filePath("out.csv"), GoldenDir + C.Csv);
    if (C.Fmt.DecimalSeparator == '.' || !UpdateGolden())
      CompareWithGolden(Dir.filePath("out.json"), GoldenDir + C.Json);

    const QByteArray Json = ReadAll(GoldenDir + C.Json);
    QJsonParseError Error;
    const QJsonDocument Doc = QJsonDocument::fromJson(Json, &Error);
    ASSERT_EQ(Error.error, QJsonParseError::NoError) << Error.errorString().toStdString();
    ExpectKeyOrder(Json);
    EXPECT_EQ(Doc.object()["weathers"].toArray()[0].toObject()["dailyWeather"].toArray().size(), F->DayCount());
    for (const QJsonValue& V : Events(Doc.object())) EXPECT_FALSE(V.toObject()["date"].toString().isEmpty());
  }
}

}  // namespace
