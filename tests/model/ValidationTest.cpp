// Value rules of single cells and the whole-field check that runs before a schedule
// is calculated.

#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const QString FormNone = "No %s selected.", FormMissing = "%s is missing or invalid.", FormInvalid = "%s is invalid.",
              FormEvent = "Event's %s is missing or invalid.", FormTooLong = "%s makes schedule exceed 365 days.";

// A field that passes the whole check: Iowa, corn emerging 1 May 2015, schedule from
// 20 April to 10 May 2015 (21 days), four events and 365 days of weather. Numbers are
// given in US form and written in the field's own user form.
struct TestField {
  TFormatSettings Fmt;
  TSovFile F;
  explicit TestField(bool Metric, const TFormatSettings& Format = UsFormatSettings())
      : Fmt(Format), F(DataLookup("validation/Lookup.ini"), Format) {
    const std::pair<int, const char*> Values[] = {
        {6, "Iowa"}, {8, Metric ? "Yes" : "No"}, {9, "42.03"}, {10, "-93.6"}, {11, "300"}, {12, "Corn"},
        {14, "120"}, {15, "180"}, {16, Metric ? "90" : "3"}, {17, "50"}, {18, "Alfalfa"},
        {22, Metric ? "150.5" : "6.25"}, {23, "3.5"}, {24, "80"}, {26, "90"}, {27, "30"}};
    for (const auto& [Col, Text] : Values) Set(Col, Text);
    SetDate(13, 2015, 5, 1);
    SetDate(28, 2015, 4, 20);
    SetDate(29, 2015, 5, 10);
    // Fertiliser on day 5, manure on day 8, nitrate in water on day 12, residue on 2.
    Event(1, 5, 1, "1", "100", "1", "", "");
    Event(2, 8, 3, "1", "5000", "1", "10.5", "5");
    Event(3, 12, 2, "0", "10", "0", "", "");
    Event(4, 2, 4, "0", "40", "0", "", "");
    for (int Day = 1; Day <= 365; ++Day) {
      Weather(Day, Metric ? "24.2" : "75.5", Metric ? "10.5" : "51", Metric ? "2.5" : "0.1", "", Metric ? "2.2" : "5",
              "60");
    }
  }
  void Set(int Col, const char* Text, int Row = 0) { F.SetCell(Row, Col, Local(Text, Fmt)); }
  void SetDate(int Col, int Y, int M, int D) { F.SetCell(0, Col, DateToStr(QDate(Y, M, D), Fmt)); }
  void Event(int Slot, int Day, int Code, const char* Key1, const char* Value, const char* Key2, const char* Value2,
             const char* Value3) {
    const char* Texts[] = {Key1, Value, Key2, Value2, Value3};
    F.SetCellInt(Slot, SovCol::EvDay, Day);
    F.SetCellInt(Slot, SovCol::EvCode, Code);
    for (int i = 0; i < 5; ++i) Set(SovCol::EvKey1 + i, Texts[i], Slot);
  }
  void Weather(int Day, const char* Max, const char* Min, const char* Precip, const char* Irrigation, const char* Wind,
               const char* Humidity) {
    const char* Texts[] = {Max, Min, Precip, Irrigation, Wind, Humidity};
    for (int i = 0; i < 6; ++i) Set(SovCol::MaxTemp + i, Texts[i], Day);
  }
};

// The check's result against the expected one; an empty Form expects a pass.
testing::AssertionResult Checked(const TestField& T, const QString& Form, int Col = 0, int Row = 0, bool Full = true) {
  QString Got;
  int R = -1, C = -1;
  const bool Ok = T.F.CheckFieldData(Full, Got, R, C);
  if (Form.isEmpty() ? Ok : !Ok && Got == Form && C == Col && R == Row) return testing::AssertionSuccess();
  return testing::AssertionFailure() << (Ok ? "passed" : Got.toStdString()) << " col " << C << " row " << R;
}

// Texts separated by "|", "_" standing for an empty text.
QStringList Texts(const char* List) {
  QStringList Result = QString::fromUtf8(List).split('|', Qt::SkipEmptyParts);
  for (QString& T : Result) T = T == "_" ? QString() : T;
  return Result;
}

// Each column's valid and invalid texts.
using TRules = std::initializer_list<std::tuple<int, const char*, const char*>>;
void ExpectRules(TRules Rules, const std::function<bool(int, const QString&)>& IsValid) {
  for (const auto& [Col, Valid, Invalid] : Rules)
    for (bool Ok : {true, false})
      for (const QString& Text : Texts(Ok ? Valid : Invalid))
        EXPECT_EQ(IsValid(Col, Text), Ok) << Col << " " << Text.toStdString();
}

struct NumberRule {
  int Col;
  bool Metric, IsUS;
  int Code;
  const char *Valid, *Invalid;
};

void ExpectNumbers(std::initializer_list<NumberRule> Rules, const TFormatSettings& Fmt) {
  for (const NumberRule& R : Rules) {
    for (bool Valid : {true, false}) {
      for (const QString& Text : Texts(Valid ? R.Valid : R.Invalid)) {
        double Value = 0;
        EXPECT_EQ(TSovFile::IsValidNumber(Text, R.Col, R.Metric, R.IsUS, Fmt, R.Code, Value), Valid)
            << "col " << R.Col << (R.Metric ? " metric" : " English") << (R.IsUS ? " US" : "") << " code " << R.Code
            << " '" << Text.toStdString() << "'";
      }
    }
  }
}

constexpr bool E = false, M = true, Else = false, US = true;

TEST(IsValidNumber, BoundsOfEveryColumn) {
  ExpectNumbers(
      {
          // Latitude above 0 in the US, -90 to 90 elsewhere; longitude at most 0 in the US.
          {9, E, US, 0, "90|0.01", "90.01|0|_"},       {9, M, US, 0, "", "90.01"},
          {9, E, Else, 0, "-90|90", "-90.01|90.01|_"}, {10, E, US, 0, "0|-179.99", "0.01|-180|_"},
          {10, E, Else, 0, "180|-180", "180.01"},      {10, M, Else, 0, "", "-180.01"},
          // Field values in feet or cm, inches or mm.
          {15, E, US, 0, "_|0.5", "0"},   {15, M, US, 0, "9999", "9999.1"}, {16, E, US, 0, "20", "20.1|0|_"},
          {16, M, US, 0, "609.6|0.1", "609.7"}, {22, E, US, 0, "100", "100.01|0|_"},
          {22, M, US, 0, "2540|101", "2540.1"},
          {23, E, US, 0, "_|0.1|1e1| 3.5 ", "0.09|3.5abc|1,5|nan|inf|0x10|3..5"}, {23, M, US, 0, "99", "99.01"},
          // Horizon values, the same in both systems.
          {34, M, US, 0, "0|0.7", "0.71|-0.01|-1e-10|_"}, {35, E, US, 0, "0.01|0.99", "0|1"},
          {36, M, US, 0, "0.02|2.6", "0.019|2.61"},       {37, E, US, 0, "705", "705.1|_"},
          {38, M, US, 0, "100", "100.1"},   {39, E, US, 0, "0", "-1"},   {40, M, US, 0, "", "_"},
          {41, E, US, 0, "100", "101"},     {42, M, US, 0, "1.8|11", "1.79|11.01"},
          {43, E, US, 0, "99", "99.1|99.0000000001|_"}, {44, M, US, 0, "_|400", "400.5"},
          // Event values by event code.
          {48, E, US, 1, "0.01|1999", "0|1999.5|_|-5"}, {48, E, US, 2, "0|99", "99.5|-5"},
          {48, E, US, 3, "499999", "0|500000|-5"},      {48, E, US, 4, "0|100", "101|-5"},
          {48, M, US, 0, "-5", "_|many"},               {50, E, US, 3, "0.1|999", "0.05|999.1|_"},
          {50, E, US, 1, "_|anything", ""},              {51, E, US, 3, "0|999", "-0.1|999.5|_"},
          {51, E, US, 2, "x", ""},
          // Weather values in °F or °C, inches or mm, mph or m/s.
          {54, E, US, 0, "-50|125", "-50.1|125.1|_|   "}, {54, M, US, 0, "", "125"},
          {55, M, US, 0, "-45.55|51.66", "-45.56|51.67"},  {56, E, US, 0, "_|9", "9.01|-0.01"},
          {57, M, US, 0, "228.6|9.5", "228.7"},            {58, E, US, 0, "_|99", "99.1"},
          {58, M, US, 0, "44.25", "44.26"},                {59, E, US, 0, "_|   |100", "100.1|-1"},
          // Columns without a number rule pass anything.
          {4, E, US, 0, "anything|1.5", ""},  {61, E, US, 0, "_", ""},  {0, E, US, 0, "x", ""},
      },
      UsFormatSettings());
  double Value = 0;
  ASSERT_TRUE(TSovFile::IsValidNumber(" 3.5 ", 23, false, true, UsFormatSettings(), 0, Value));
  EXPECT_DOUBLE_EQ(Value, 3.5);
}

TEST(IsValidNumberGerman, DecimalCommaOnly) {
  ExpectNumbers({{16, M, US, 0, "609,6", "609,7|609.6"}, {23, E, US, 0, "3,5", "1.000"}, {9, E, Else, 0, "-33,9", ""},
                 {55, M, US, 0, "-45,55", ""}},
                GermanFormatSettings());
  double Value = 0;
  ASSERT_TRUE(TSovFile::IsValidNumber("3,25", 23, false, true, GermanFormatSettings(), 0, Value));
  EXPECT_DOUBLE_EQ(Value, 3.25);
}

TEST(IsValidInteger, BoundsPerColumn) {
  int Value = -1;
  ExpectRules({{11, "_|0|15000", "15001|-1|1.5|12.0"}, {14, "50|365| 120 ", "_|49|366|99999999999"},
               {17, "_|100", "101"}, {24, "_|10|100", "9|101"}, {26, "0|100", "_|-1"}, {27, "_", "101"},
               {32, "1|9999", "_|0|10000"}, {45, "1|365", "0|366"}, {46, "1|4", "0|5|F"}, {4, "text", ""},
               {23, "1.5", ""}},
              [&](int Col, const QString& Text) { return TSovFile::IsValidInteger(Text, Col, Value); });
  ASSERT_TRUE(TSovFile::IsValidInteger(" 120 ", 14, Value));
  EXPECT_EQ(Value, 120);
}

TEST(IsValidDate, YearRequiredExceptForTheCalculationDate) {
  const TFormatSettings Us = UsFormatSettings(), De = GermanFormatSettings();
  const struct {
    const char* Text;
    int Col, DefaultYear;
    bool German;
    QDate Date;  // invalid: refused
  } Cases[] = {{"5/1/2015", 13, 0, false, {2015, 5, 1}}, {"5/1", 13, 2015, false, {}},
               {"5/1", 28, 2015, false, {}},             {"2/30/2015", 28, 0, false, {}},
               {" 10/15 ", 29, 2015, false, {2015, 10, 15}}, {"10/15/2016", 29, 2015, false, {2016, 10, 15}},
               {"", 29, 2015, false, {}},                {"15.10.2015", 13, 0, true, {2015, 10, 15}},
               {"10/15/2015", 13, 0, true, {}}};
  for (const auto& C : Cases) {
    QDate Date;
    EXPECT_EQ(TSovFile::IsValidDate(C.Text, C.Col, C.DefaultYear, C.German ? De : Us, Date), C.Date.isValid());
    if (C.Date.isValid()) {
      EXPECT_EQ(Date, C.Date) << C.Text;
    }
  }
  QDate Date;
  EXPECT_TRUE(TSovFile::IsValidDate("no date", 4, 2015, Us, Date));  // not a date column
}

TEST(IsValidCell, RulePerColumnInTheFieldsForm) {
  TestField T(false);
  ExpectRules({{4, "_", ""},  {25, "_", ""},  {61, "notes", ""},  {52, "_", ""},  {31, "A,B", ""},
               {6, " Ontario ", "Mars|_"},  {7, "on", ""},  {8, "0", "maybe"},  {12, "CORN", "_"},
               {18, "alfalfa", "_"},  {9, "42", "-33.9"},  {10, "-93.6", "93.6"},  {15, "_", ""},  {16, "20", "20.1"},
               {23, "", "0.05"},  {48, "-5", "_"},  {50, "abc", ""},  {55, "", "125.5"},  {11, "15000", "15000.5"},
               {14, "50", ""},  {24, "", "9"},  {32, "", "12.5"},  {45, "365", "0"},  {13, "5/1/2015", "5/1"},
               {29, "10/15", "13/15"},  {30, "nws_coop", "_"},  {33, " sicl ", "loam"},  {34, "0.7", ""},
               {43, "", "_"},  {46, "R", "f|1"},  {60, "Z", "s|_"},  {1, "", "2"},  {3, "", "a.sov"},  {47, "", "1"},
               {49, "", "1"},  {62, "", "1"},  {0, "", "_"},  {100, "", "_"}},
              [&](int Col, const QString& Text) { return T.F.IsValidCell(Col, Text); });
  // Coordinates follow the location (bounded as in the US without one).
  T.Set(SovCol::Location, "Western Cape");
  EXPECT_TRUE(T.F.IsValidCell(9, "-33.9"));
  EXPECT_TRUE(T.F.IsValidCell(10, "18.4"));
  EXPECT_FALSE(T.F.IsValidCell(9, "120"));
  EXPECT_FALSE(T.F.IsValidCell(10, "200"));
  T.Set(SovCol::Location, "");
  EXPECT_FALSE(T.F.IsValidCell(9, "-33.9"));
  // The calculation date takes the emergence date's year.
  T.Set(SovCol::EmergenceDate, "5/1");
  EXPECT_FALSE(T.F.IsValidCell(29, "10/15/2015"));
  T.SetDate(SovCol::EmergenceDate, 2015, 2, 1);
  EXPECT_FALSE(T.F.IsValidCell(29, "2/29"));
  T.SetDate(SovCol::EmergenceDate, 2016, 2, 1);
  EXPECT_TRUE(T.F.IsValidCell(29, "2/29"));
  // The field's units; horizons the same in both.
  TestField Metric(true);
  EXPECT_TRUE(Metric.F.IsValidCell(16, "600"));
  EXPECT_FALSE(T.F.IsValidCell(16, "600"));
  EXPECT_TRUE(T.F.IsValidCell(54, "100"));
  EXPECT_FALSE(Metric.F.IsValidCell(54, "100"));
  EXPECT_TRUE(T.F.IsValidCell(36, "2.6"));
  EXPECT_TRUE(Metric.F.IsValidCell(36, "2.6"));
  TestField German(true, GermanFormatSettings());
  ExpectRules({{16, "609,6", "609.6"}, {34, "0,15", "0.15"}, {13, "01.05.2015", "5/1/2015"}, {29, "15.10", ""}},
              [&](int Col, const QString& Text) { return German.F.IsValidCell(Col, Text); });
}

// ---------------------------------------------------------------------------
// Whole-field check
// ---------------------------------------------------------------------------

TEST(CheckFieldData, ATestFieldPassesInEveryForm) {
  const TestField German(true, GermanFormatSettings());
  EXPECT_TRUE(Checked(TestField(false), ""));
  EXPECT_TRUE(Checked(TestField(true), ""));
  EXPECT_TRUE(Checked(German, ""));
  EXPECT_TRUE(Checked(TestField(false, GermanFormatSettings()), "", 0, 0, false));
  EXPECT_TRUE(Checked(TestField(false, IsoFormatSettings()), ""));
  EXPECT_EQ(German.F.GetCell(0, SovCol::WaterHoldingCapacity), "150,5");
  EXPECT_EQ(German.F.GetCell(0, SovCol::StartingDate), "20.04.2015");
  TSovFile Empty(DataLookup("validation/Lookup.ini"), UsFormatSettings());
  QString Form;
  int Row = -1, Col = -1;
  EXPECT_FALSE(Empty.CheckFieldData(true, Form, Row, Col));
  EXPECT_EQ(Form, FormNone);
  EXPECT_EQ(Col, 6);
  EXPECT_EQ(Row, 0);
}

struct StepCase {
  const char* Name;
  std::function<void(TestField&)> Break;
  QString Form;
  int Col, Row;
};

// Each step broken on its own, in the order the check makes them.
const std::vector<StepCase>& Steps() {
  static const std::vector<StepCase> All = {
      {"location", [](TestField& T) { T.Set(6, ""); }, FormNone, 6, 0},
      {"latitude", [](TestField& T) { T.Set(9, ""); }, FormMissing, 9, 0},
      {"longitude", [](TestField& T) { T.Set(10, "5"); }, FormMissing, 10, 0},
      {"elevation", [](TestField& T) { T.Set(11, "-1"); }, FormInvalid, 11, 0},
      {"crop", [](TestField& T) { T.Set(12, ""); }, FormNone, 12, 0},
      {"emergence", [](TestField& T) { T.Set(13, "5/1"); }, FormMissing, 13, 0},
      {"season", [](TestField& T) { T.Set(14, "49"); }, FormMissing, 14, 0},
      {"yield", [](TestField& T) { T.Set(15, "0"); }, FormInvalid, 15, 0},
      {"rooting", [](TestField& T) { T.Set(16, "20.1"); }, FormMissing, 16, 0},
      {"minimum moisture", [](TestField& T) { T.Set(17, "101"); }, FormInvalid, 17, 0},
      {"previous crop", [](TestField& T) { T.Set(18, ""); }, FormNone, 18, 0},
      {"capacity", [](TestField& T) { T.Set(22, "0"); }, FormMissing, 22, 0},
      {"organic matter", [](TestField& T) { T.Set(23, "0.05"); }, FormMissing, 23, 0},
      {"efficiency", [](TestField& T) { T.Set(24, "9"); }, FormInvalid, 24, 0},
      {"starting moisture", [](TestField& T) { T.Set(26, ""); }, FormMissing, 26, 0},
      {"starting residue", [](TestField& T) { T.Set(27, "101"); }, FormInvalid, 27, 0},
      {"start after emergence", [](TestField& T) { T.SetDate(28, 2015, 5, 2); }, FormMissing, 28, 0},
      {"season too long", [](TestField& T) { T.Set(14, "355"); }, FormTooLong, 14, 0},
      {"calculation before start", [](TestField& T) { T.SetDate(29, 2015, 4, 19); }, FormMissing, 29, 0},
      {"schedule too long", [](TestField& T) { T.SetDate(29, 2016, 4, 19); }, FormTooLong, 29, 0},
      {"event key", [](TestField& T) { T.Set(47, "0", 1); }, FormEvent, 47, 5},
      {"max temperature", [](TestField& T) { T.Set(54, "", 3); }, FormMissing, 54, 3},
  };
  return All;
}

TEST(CheckFieldData, EachStepOnItsOwnAndTheEarlierStepWins) {
  const std::vector<StepCase>& All = Steps();
  for (size_t i = 0; i < All.size(); ++i) {
    for (size_t j = i; j < All.size(); ++j) {
      const std::string A = All[i].Name, B = All[j].Name;
      if (B == "season too long" && A == "season") continue;  // both change GrowingSeason
      if (B == "schedule too long" && A == "calculation before start") continue;
      TestField T(false);
      All[j].Break(T);
      All[i].Break(T);
      EXPECT_TRUE(Checked(T, All[i].Form, All[i].Col, All[i].Row)) << A << " before " << B;
    }
  }
}

TEST(CheckFieldData, FieldValues) {
  TestField T(false);
  // Calculate leaves out the longitude, the yield and the previous crop.
  T.Set(10, "");
  T.Set(15, "-3");
  T.Set(18, "");
  EXPECT_TRUE(Checked(T, "", 0, 0, false));
  EXPECT_TRUE(Checked(T, FormMissing, 10, 0));
  T.Set(10, "-93.6");
  EXPECT_TRUE(Checked(T, FormInvalid, 15, 0));
  // Coordinates by the location; outside the US a longitude only matters for the full check.
  T.Set(6, "Western Cape");
  T.Set(9, "-33.9");
  T.Set(10, "200");
  EXPECT_TRUE(Checked(T, "", 0, 0, false));
  EXPECT_TRUE(Checked(T, FormMissing, 10, 0));
  T.Set(9, "-95");
  EXPECT_TRUE(Checked(T, FormMissing, 9, 0, false));
}

TEST(CheckFieldData, AtMost365DaysOfSchedule) {
  // Start 65 days before emergence: 300 days of season make exactly 365, 301 too many.
  TestField T(false);
  T.SetDate(28, 2015, 2, 25);
  T.SetDate(29, 2015, 3, 1);
  T.Set(14, "300");
  EXPECT_TRUE(Checked(T, ""));
  T.Set(14, "301");
  EXPECT_TRUE(Checked(T, FormTooLong, 14, 0));
  const struct {
    QDate Start, End;
    bool Ok;
  } Cases[] = {{{2015, 1, 1}, {2015, 12, 31}, true},  {{2016, 1, 1}, {2016, 12, 31}, false},
               {{2016, 1, 1}, {2016, 12, 30}, true},  {{2015, 3, 1}, {2016, 2, 29}, false},
               {{2015, 3, 1}, {2016, 2, 28}, true}};
  for (const auto& C : Cases) {
    TestField U(false);
    U.SetDate(13, C.Start.year(), C.Start.month(), C.Start.day());
    U.SetDate(28, C.Start.year(), C.Start.month(), C.Start.day());
    U.SetDate(29, C.End.year(), C.End.month(), C.End.day());
    EXPECT_TRUE(Checked(U, C.Ok ? "" : FormTooLong, 29, 0)) << C.End.toString().toStdString();
  }
  // A calculation date without a year takes the emergence date's year.
  TestField U(false);
  for (const auto& [Text, Ok] :
       {std::pair{"10/15", true}, {"4/20", true}, {"4/19", false}, {"", false}, {"2/29", false}}) {
    U.F.SetCell(0, 29, Text);
    EXPECT_TRUE(Checked(U, Ok ? "" : FormMissing, 29, 0)) << Text;
  }
}

TEST(CheckFieldData, EventRules) {
  const struct {
    const char* Name;
    std::function<void(TestField&)> Change;
    int Col, Row;  // 0: passes
  } Cases[] = {
      {"free slot with garbage", [](TestField& T) { T.Event(5, 0, 1, "0", "-5", "0", "", ""); }, 0, 0},
      {"day beyond the year", [](TestField& T) { T.Event(5, 400, 1, "0", "-5", "0", "", ""); }, 0, 0},
      {"unknown code", [](TestField& T) { T.Event(5, 10, 9, "0", "-5", "0", "", ""); }, 0, 0},
      {"fertiliser beyond the table", [](TestField& T) { T.Set(47, "7", 1); }, 47, 5},
      {"manure beyond the table", [](TestField& T) { T.Set(47, "2", 2); }, 47, 8},
      {"fertiliser without method", [](TestField& T) { T.Set(49, "0", 1); }, 49, 5},
      {"manure method beyond the table", [](TestField& T) { T.Set(49, "5", 2); }, 49, 8},
      {"fertiliser amount too large", [](TestField& T) { T.Set(48, "2000", 1); }, 48, 5},
      {"manure Value2 too small", [](TestField& T) { T.Set(50, "0.05", 2); }, 50, 8},
      {"manure Value3 missing", [](TestField& T) { T.Set(51, "", 2); }, 51, 8},
      {"fertiliser with any Value2", [](TestField& T) { T.Set(50, "what", 1); }, 0, 0},
      {"nitrate too high", [](TestField& T) { T.Set(48, "99.5", 3); }, 48, 12},
      {"nitrate keys ignored", [](TestField& T) { T.Set(47, "9", 3); }, 0, 0},
      {"residue above 100", [](TestField& T) { T.Set(48, "101", 4); }, 48, 2},
      {"event after the schedule", [](TestField& T) { T.Event(6, 300, 2, "0", "120", "0", "", ""); }, 48, 300},
      // Slot order, not day order; within an event the key, the values, the method.
      {"slot 1 before 3", [](TestField& T) { T.Set(48, "", 3), T.Set(48, "", 1); }, 48, 5},
      {"slot 3 before 4", [](TestField& T) { T.Set(48, "", 4), T.Set(48, "", 3); }, 48, 12},
      {"key before value", [](TestField& T) { T.Set(48, "", 1), T.Set(47, "0", 1); }, 47, 5},
      {"value before method", [](TestField& T) { T.Set(49, "0", 2), T.Set(51, "", 2); }, 51, 8},
      {"events before weather", [](TestField& T) { T.Set(54, "", 1), T.Set(48, "", 4); }, 48, 2},
  };
  for (const auto& C : Cases) {
    TestField T(false);
    C.Change(T);
    EXPECT_TRUE(Checked(T, C.Col ? FormEvent : "", C.Col, C.Row)) << C.Name;
  }
}

// The computation counts residue cover in whole percent and would take any other
// number as no cover at all.
TEST(CheckFieldData, ResidueCoverInWholePercent) {
  const std::pair<const char*, bool> Cases[] = {{"30", true},    {" 40 ", true},  {"0", true},     {"100", true},
                                                {"30.5", false}, {"30.0", false}, {"0.5", false},  {"99.99", false}};
  for (const TFormatSettings& Format : {UsFormatSettings(), GermanFormatSettings()}) {
    for (const auto& [Text, Passes] : Cases) {
      TestField T(false, Format);
      T.Set(48, Text, 4);
      EXPECT_TRUE(Checked(T, Passes ? "" : FormEvent, 48, 2)) << Text;
    }
  }
}

TEST(CheckFieldData, WeatherRules) {
  const struct {
    const char* Name;
    std::function<void(TestField&)> Change;
    QString Form;
    int Col, Row;
  } Cases[] = {
      {"low above high", [](TestField& T) { T.Weather(4, "60", "60.5", "", "", "", ""); }, FormMissing, 55, 4},
      {"low equal to high", [](TestField& T) { T.Weather(4, "60", "60", "", "", "", ""); }, "", 0, 0},
      {"empty high", [](TestField& T) { T.Set(54, "", 7); }, FormMissing, 54, 7},
      {"empty low", [](TestField& T) { T.Set(55, "", 7); }, FormMissing, 55, 7},
      {"high too hot", [](TestField& T) { T.Set(54, "125.5", 7); }, FormMissing, 54, 7},
      {"low too cold", [](TestField& T) { T.Set(55, "-51", 7); }, FormMissing, 55, 7},
      {"wind before humidity", [](TestField& T) { T.Weather(9, "70", "50", "", "", "x", "x"); }, FormInvalid, 58, 9},
      {"humidity before rain", [](TestField& T) { T.Weather(9, "70", "50", "x", "", "", "x"); }, FormInvalid, 59, 9},
      {"rain before irrigation", [](TestField& T) { T.Weather(9, "70", "50", "x", "x", "", ""); }, FormInvalid, 56, 9},
      {"irrigation", [](TestField& T) { T.Set(57, "-1", 9); }, FormInvalid, 57, 9},
      {"temperatures first", [](TestField& T) { T.Weather(9, "70", "71", "x", "x", "x", "x"); }, FormMissing, 55, 9},
      {"earlier day first", [](TestField& T) { T.Set(54, "", 4), T.Set(57, "x", 3); }, FormInvalid, 57, 3},
      {"last day of the schedule", [](TestField& T) { T.Set(54, "", 21); }, FormMissing, 54, 21},
      {"days after the calculation date", [](TestField& T) { T.Weather(22, "", "", "x", "x", "x", "x"); }, "", 0, 0},
  };
  for (const auto& C : Cases) {
    TestField T(false);
    C.Change(T);
    EXPECT_TRUE(Checked(T, C.Form, C.Col, C.Row)) << C.Name;
  }
}

// Horizon values given but unusable are refused (the horizon and its column named);
// empty ones and the horizons below the first without a depth are not checked.
TEST(CheckFieldData, HorizonRules) {
  const struct {
    int Horizon, Col;
    const char* Text;
    QString Form;
  } Cases[] = {{1, SovCol::HzAWC, "NaN", FormMissing},      {2, SovCol::HzKSat, "1e308", FormMissing},
               {2, SovCol::HzBulkDensity, "-1", FormMissing}, {1, SovCol::HzCEC, "-5", FormInvalid},
               {2, SovCol::HzDepth, "inf", FormMissing},     {1, SovCol::HzTexture, "XX", FormMissing},
               {2, SovCol::HzpH, "", ""},                    {4, SovCol::HzAWC, "NaN", ""}};
  for (const auto& C : Cases) {
    TestField T(true);
    const char* Horizons[][13] = {{"30", "SiL", "0.2", "0.1", "1.3", "10", "20", "60", "20", "3", "6.5", "0.5", "12"},
                                  {"90", "L", "0.18", "0.1", "1.4", "9", "40", "40", "20", "2", "7", "0.5", ""}};
    for (int Hz = 0; Hz < 2; ++Hz)
      for (int Col = 0; Col < 13; ++Col) T.Set(SovCol::FirstHorizon + Col, Horizons[Hz][Col], Hz + 1);
    ASSERT_TRUE(Checked(T, ""));
    T.Set(C.Col, C.Text, C.Horizon);
    EXPECT_TRUE(Checked(T, C.Form, C.Form.isEmpty() ? 0 : C.Col, C.Form.isEmpty() ? 0 : C.Horizon)) << C.Text;
  }
}

TEST(CheckFieldDataGerman, DecimalCommaCellsAndPointsRefused) {
  TestField T(true, GermanFormatSettings());
  T.Set(16, "609.6");  // written through Local: "609,6"
  T.Weather(3, "24.5", "24.5", "0.5", "12.25", "3.5", "55.5");
  EXPECT_TRUE(Checked(T, ""));
  T.Weather(3, "24.5", "24.6", "", "", "", "");
  EXPECT_TRUE(Checked(T, FormMissing, 55, 3));
  const struct {
    int Col, Row;
    const char* Text;
    QString Form;
  } Cases[] = {{9, 0, "42.03", FormMissing},  // a point is no decimal separator here
               {13, 0, "5/1/2015", FormMissing}, {29, 0, "10/15", FormMissing},  // nor the file's date form
               {48, 2, "5000.5", FormEvent},     {54, 6, "24.2", FormMissing},  {59, 6, "60.5", FormInvalid}};
  for (const auto& C : Cases) {
    TestField U(true, GermanFormatSettings());
    U.F.SetCell(C.Row, C.Col, C.Text);
    EXPECT_TRUE(Checked(U, C.Form, C.Col, C.Col == 48 ? 8 : C.Row)) << C.Text;  // an event reports its day
  }
}

}  // namespace
