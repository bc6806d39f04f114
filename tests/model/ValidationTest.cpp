// Value rules of single cells and the whole-field check that runs before a schedule
// is calculated.

#include "MiscUtil.h"
#include "SovFile.h"
#include "SovLookup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const TSovLookup& TestLookup() {
  static const std::unique_ptr<TSovLookup> Lookup = [] {
    auto L = std::make_unique<TSovLookup>();
    QString Msg;
    const bool Ok = L->LoadFromFile(QStringLiteral(FURROW_TEST_DATA_DIR "/validation/Lookup.ini"), Msg);
    EXPECT_TRUE(Ok) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

const QString FormNone = QStringLiteral("No %s selected.");
const QString FormMissing = QStringLiteral("%s is missing or invalid.");
const QString FormInvalid = QStringLiteral("%s is invalid.");
const QString FormEvent = QStringLiteral("Event's %s is missing or invalid.");
const QString FormTooLong = QStringLiteral("%s makes schedule exceed 365 days.");

// A field that passes the whole check: Iowa, corn emerging 1 May 2015, schedule from
// 20 April to 10 May 2015 (21 days), four events and 365 days of weather. Numbers are
// written in US form and put into the field's own user form by Num().
class TestField {
 public:
  TestField(bool Metric, const TFormatSettings& Format = UsFormatSettings())
      : Fmt(Format), F(std::make_unique<TSovFile>(TestLookup(), Format)) {
    Set(SovCol::Location, "Iowa");
    Set(SovCol::IsMetric, Metric ? "Yes" : "No");
    SetNum(SovCol::Latitude, "42.03");
    SetNum(SovCol::Longitude, "-93.6");
    Set(SovCol::Elevation, "300");
    Set(SovCol::Crop, "Corn");
    SetDate(SovCol::EmergenceDate, 2015, 5, 1);
    Set(SovCol::GrowingSeason, "120");
    SetNum(SovCol::ProjectedYield, "180");
    SetNum(SovCol::RootingDepth, Metric ? "90" : "3");
    Set(SovCol::MinimumMoisture, "50");
    Set(SovCol::PreviousCrop, "Alfalfa");
    SetNum(SovCol::WaterHoldingCapacity, Metric ? "150.5" : "6.25");
    SetNum(SovCol::OrganicMatter, "3.5");
    Set(SovCol::IrrigationEfficiency, "80");
    Set(SovCol::StartingMoisture, "90");
    Set(SovCol::StartingResidue, "30");
    SetDate(SovCol::StartingDate, 2015, 4, 20);
    SetDate(SovCol::CalculationDate, 2015, 5, 10);

    // Fertiliser on day 5, manure on day 8, nitrate in water on day 12, residue on 2.
    Event(1, 5, 1, "1", "100", "1", "", "");
    Event(2, 8, 3, "1", "5000", "1", "10.5", "5");
    Event(3, 12, 2, "0", "10", "0", "", "");
    Event(4, 2, 4, "0", "40", "0", "", "");

    for (int Day = 1; Day <= 365; ++Day)
      Weather(Day, Metric ? "24.2" : "75.5", Metric ? "10.5" : "51", Metric ? "2.5" : "0.1", "",
              Metric ? "2.2" : "5", "60");
  }

  QString Num(const char* Text) const {
    return QString::fromLatin1(Text).replace(QLatin1Char('.'), Fmt.DecimalSeparator);
  }
  QString Date(int Y, int M, int D) const { return DateToStr(QDate(Y, M, D), Fmt); }

  void Set(int Col, const QString& Text, int Row = 0) { F->SetCell(Row, Col, Text); }
  void Set(int Col, const char* Text, int Row = 0) { Set(Col, QString::fromLatin1(Text), Row); }
  void SetNum(int Col, const char* Text, int Row = 0) { Set(Col, Num(Text), Row); }
  void SetDate(int Col, int Y, int M, int D) { Set(Col, Date(Y, M, D)); }

  void Event(int Slot, int Day, int Code, const char* Key1, const char* Value, const char* Key2,
             const char* Value2, const char* Value3) {
    Set(SovCol::EvDay, QString::number(Day), Slot);
    Set(SovCol::EvCode, QString::number(Code), Slot);
    Set(SovCol::EvKey1, Key1, Slot);
    SetNum(SovCol::EvValue, Value, Slot);
    Set(SovCol::EvKey2, Key2, Slot);
    SetNum(SovCol::EvValue2, Value2, Slot);
    SetNum(SovCol::EvValue3, Value3, Slot);
  }
  void Weather(int Day, const char* Max, const char* Min, const char* Precip, const char* Irrigation,
               const char* Wind, const char* Humidity) {
    SetNum(SovCol::MaxTemp, Max, Day);
    SetNum(SovCol::MinTemp, Min, Day);
    SetNum(SovCol::Precip, Precip, Day);
    SetNum(SovCol::Irrigation, Irrigation, Day);
    SetNum(SovCol::WindSpeed, Wind, Day);
    SetNum(SovCol::Humidity, Humidity, Day);
  }

  struct Result {
    bool Ok;
    QString Form;
    int Row;
    int Col;
  };
  Result Check(bool FullCheck = true) const {
    Result R{false, QStringLiteral("unset"), -1, -1};
    R.Ok = F->CheckFieldData(FullCheck, R.Form, R.Row, R.Col);
    return R;
  }

  TFormatSettings Fmt;
  std::unique_ptr<TSovFile> F;
};

#define EXPECT_PASSES(Field, ...)                                                                  \
  do {                                                                                             \
    const auto R_ = (Field).Check(__VA_ARGS__);                                                    \
    EXPECT_TRUE(R_.Ok) << R_.Form.toStdString() << " col " << R_.Col << " row " << R_.Row;         \
  } while (0)

#define EXPECT_FAILS(Field, ExpForm, ExpCol, ExpRow, ...)                                          \
  do {                                                                                             \
    const auto R_ = (Field).Check(__VA_ARGS__);                                                    \
    EXPECT_FALSE(R_.Ok);                                                                           \
    EXPECT_EQ(R_.Form, ExpForm);                                                                   \
    EXPECT_EQ(R_.Col, ExpCol);                                                                     \
    EXPECT_EQ(R_.Row, ExpRow);                                                                     \
  } while (0)

// ---------------------------------------------------------------------------
// Number rules
// ---------------------------------------------------------------------------

struct NumberCase {
  int Col;
  bool Metric;
  bool IsUS;
  int EventCode;
  const char* Text;
  bool Valid;
};

void RunNumberCases(std::initializer_list<NumberCase> Cases, const TFormatSettings& Fmt) {
  for (const NumberCase& C : Cases) {
    double Value = 0;
    EXPECT_EQ(TSovFile::IsValidNumber(QString::fromUtf8(C.Text), C.Col, C.Metric, C.IsUS, Fmt, C.EventCode, Value),
              C.Valid)
        << "col " << C.Col << (C.Metric ? " metric" : " English") << (C.IsUS ? " US" : " elsewhere") << " code "
        << C.EventCode << " text '" << C.Text << "'";
  }
}

TEST(IsValidNumber, Coordinates) {
  RunNumberCases(
      {
          // US latitude: above 0, at most 90.
          {9, false, true, 0, "90", true},
          {9, false, true, 0, "90.01", false},
          {9, false, true, 0, "180", false},
          {9, false, true, 0, "0.01", true},
          {9, false, true, 0, "0", false},
          {9, false, true, 0, "-33.9", false},
          {9, false, true, 0, "", false},
          {9, true, true, 0, "90", true},
          {9, true, true, 0, "91", false},
          // Elsewhere: -90 to 90.
          {9, false, false, 0, "-33.9", true},
          {9, false, false, 0, "-90", true},
          {9, false, false, 0, "-90.01", false},
          {9, false, false, 0, "90", true},
          {9, false, false, 0, "90.01", false},
          {9, true, false, 0, "1000", false},
          {9, false, false, 0, "", false},
          // US longitude: above -180, at most 0.
          {10, false, true, 0, "0", true},
          {10, false, true, 0, "0.01", false},
          {10, false, true, 0, "-179.99", true},
          {10, false, true, 0, "-180", false},
          {10, false, true, 0, "", false},
          // Elsewhere: -180 to 180.
          {10, false, false, 0, "180", true},
          {10, false, false, 0, "180.01", false},
          {10, false, false, 0, "-180", true},
          {10, true, false, 0, "-180.01", false},
          {10, false, false, 0, "18.4", true},
          {10, false, false, 0, "", false},
      },
      UsFormatSettings());
}

TEST(IsValidNumber, FieldValuesInBothUnitSystems) {
  RunNumberCases(
      {
          {15, false, true, 0, "", true},
          {15, false, true, 0, "0", false},
          {15, false, true, 0, "0.5", true},
          {15, true, true, 0, "9999", true},
          {15, true, true, 0, "9999.1", false},
          // Rooting depth: feet or cm.
          {16, false, true, 0, "20", true},
          {16, false, true, 0, "20.1", false},
          {16, false, true, 0, "0", false},
          {16, false, true, 0, "", false},
          {16, true, true, 0, "609.6", true},
          {16, true, true, 0, "609.7", false},
          {16, true, true, 0, "0.1", true},
          // Water-holding capacity: inches or mm.
          {22, false, true, 0, "100", true},
          {22, false, true, 0, "100.01", false},
          {22, false, true, 0, "0", false},
          {22, false, true, 0, "", false},
          {22, true, true, 0, "2540", true},
          {22, true, true, 0, "2540.1", false},
          {22, true, true, 0, "101", true},
          {23, false, true, 0, "", true},
          {23, false, true, 0, "0.1", true},
          {23, false, true, 0, "0.09", false},
          {23, true, true, 0, "99", true},
          {23, true, true, 0, "99.01", false},
      },
      UsFormatSettings());
}

TEST(IsValidNumber, HorizonValuesIgnoreTheUnitSystem) {
  for (bool Metric : {false, true}) {
    RunNumberCases(
        {
            {34, Metric, true, 0, "0", true},     {34, Metric, true, 0, "0.7", true},
            {34, Metric, true, 0, "0.71", false}, {34, Metric, true, 0, "-0.01", false},
            {34, Metric, true, 0, "", false},     {35, Metric, true, 0, "0", false},
            {35, Metric, true, 0, "0.01", true},  {35, Metric, true, 0, "0.99", true},
            {35, Metric, true, 0, "1", false},    {36, Metric, true, 0, "0.02", true},
            {36, Metric, true, 0, "0.019", false}, {36, Metric, true, 0, "2.6", true},
            {36, Metric, true, 0, "2.61", false}, {37, Metric, true, 0, "705", true},
            {37, Metric, true, 0, "705.1", false}, {37, Metric, true, 0, "", false},
            {38, Metric, true, 0, "100", true},   {38, Metric, true, 0, "100.1", false},
            {39, Metric, true, 0, "0", true},     {39, Metric, true, 0, "-1", false},
            {40, Metric, true, 0, "", false},     {41, Metric, true, 0, "100", true},
            {41, Metric, true, 0, "101", false},  {42, Metric, true, 0, "1.8", true},
            {42, Metric, true, 0, "1.79", false}, {42, Metric, true, 0, "11", true},
            {42, Metric, true, 0, "11.01", false}, {43, Metric, true, 0, "99", true},
            {43, Metric, true, 0, "99.1", false}, {43, Metric, true, 0, "", false},
            {44, Metric, true, 0, "", true},      {44, Metric, true, 0, "400", true},
            {44, Metric, true, 0, "400.5", false},
            {34, Metric, true, 0, "-1e-10", false}, {43, Metric, true, 0, "99.0000000001", false},
        },
        UsFormatSettings());
  }
}

TEST(IsValidNumber, EventValuesByCode) {
  RunNumberCases(
      {
          {48, false, true, 1, "0", false},        {48, false, true, 1, "0.01", true},
          {48, false, true, 1, "1999", true},      {48, false, true, 1, "1999.5", false},
          {48, false, true, 1, "", false},         {48, false, true, 2, "0", true},
          {48, false, true, 2, "99", true},        {48, false, true, 2, "99.5", false},
          {48, false, true, 3, "0", false},        {48, false, true, 3, "499999", true},
          {48, false, true, 3, "500000", false},   {48, false, true, 4, "0", true},
          {48, false, true, 4, "100", true},       {48, false, true, 4, "101", false},
          {48, true, true, 0, "-5", true},         {48, true, true, 7, "-5", true},
          {48, false, true, 0, "", false},         {48, false, true, 0, "many", false},
          {50, false, true, 3, "0.1", true},       {50, false, true, 3, "0.05", false},
          {50, false, true, 3, "999", true},       {50, false, true, 3, "999.1", false},
          {50, false, true, 3, "", false},         {50, false, true, 1, "", true},
          {50, false, true, 1, "anything", true},  {50, false, true, 0, "-7", true},
          {51, false, true, 3, "0", true},         {51, false, true, 3, "-0.1", false},
          {51, false, true, 3, "999", true},       {51, false, true, 3, "999.5", false},
          {51, false, true, 3, "", false},         {51, false, true, 2, "x", true},
      },
      UsFormatSettings());
  for (int Code = 1; Code <= 4; ++Code) {
    double Value = 0;
    EXPECT_FALSE(TSovFile::IsValidNumber("-5", 48, false, true, UsFormatSettings(), Code, Value)) << Code;
  }
}

TEST(IsValidNumber, WeatherValuesInBothUnitSystems) {
  RunNumberCases(
      {
          {54, false, true, 0, "-50", true},     {54, false, true, 0, "-50.1", false},
          {54, false, true, 0, "125", true},     {54, false, true, 0, "125.1", false},
          {54, false, true, 0, "", false},       {55, false, true, 0, "", false},
          {55, true, true, 0, "-45.55", true},   {55, true, true, 0, "-45.56", false},
          {55, true, true, 0, "51.66", true},    {55, true, true, 0, "51.67", false},
          {54, true, true, 0, "125", false},     {56, false, true, 0, "", true},
          {56, false, true, 0, "9", true},       {56, false, true, 0, "9.01", false},
          {56, false, true, 0, "-0.01", false},  {57, true, true, 0, "228.6", true},
          {57, true, true, 0, "228.7", false},   {57, true, true, 0, "9.5", true},
          {58, false, true, 0, "", true},        {58, false, true, 0, "99", true},
          {58, false, true, 0, "99.1", false},   {58, true, true, 0, "44.25", true},
          {58, true, true, 0, "44.26", false},   {59, false, true, 0, "", true},
          {59, true, true, 0, "100", true},      {59, true, true, 0, "100.1", false},
          {59, true, true, 0, "-1", false},
      },
      UsFormatSettings());
}

TEST(IsValidNumber, ParsingIsStrictAndTrimsBlanks) {
  RunNumberCases(
      {
          {23, false, true, 0, " 3.5 ", true},
          {23, false, true, 0, "3.5abc", false},
          {23, false, true, 0, "1,5", false},  // the group separator is no decimal separator
          {23, false, true, 0, "1e1", true},
          {23, false, true, 0, "nan", false},
          {23, false, true, 0, "inf", false},
          {23, false, true, 0, "0x10", false},
          {23, false, true, 0, "3..5", false},
          {59, false, true, 0, "   ", true},  // blanks only: empty
          {54, false, true, 0, "   ", false},
          // Columns without a number rule pass whatever the text.
          {4, false, true, 0, "anything", true},
          {11, false, true, 0, "1.5", true},
          {61, false, true, 0, "", true},
          {0, false, true, 0, "x", true},
      },
      UsFormatSettings());
  double Value = 0;
  ASSERT_TRUE(TSovFile::IsValidNumber(" 3.5 ", 23, false, true, UsFormatSettings(), 0, Value));
  EXPECT_DOUBLE_EQ(Value, 3.5);
}

TEST(IsValidNumberGerman, DecimalCommaOnly) {
  RunNumberCases(
      {
          {16, true, true, 0, "609,6", true},
          {16, true, true, 0, "609,7", false},
          {16, true, true, 0, "609.6", false},
          {23, false, true, 0, "3,5", true},
          {23, false, true, 0, "1.000", false},
          {9, false, false, 0, "-33,9", true},
          {55, true, true, 0, "-45,55", true},
      },
      GermanFormatSettings());
  double Value = 0;
  ASSERT_TRUE(TSovFile::IsValidNumber("3,25", 23, false, true, GermanFormatSettings(), 0, Value));
  EXPECT_DOUBLE_EQ(Value, 3.25);
}

// ---------------------------------------------------------------------------
// Whole-number and date rules
// ---------------------------------------------------------------------------

TEST(IsValidInteger, BoundsPerColumn) {
  struct Case {
    int Col;
    const char* Text;
    bool Valid;
  } Cases[] = {
      {11, "", true},    {11, "0", true},     {11, "15000", true}, {11, "15001", false}, {11, "-1", false},
      {11, "1.5", false}, {11, "12.0", false}, {14, "", false},    {14, "49", false},   {14, "50", true},
      {14, "365", true}, {14, "366", false},  {14, " 120 ", true}, {17, "", true},     {17, "100", true},
      {17, "101", false}, {24, "", true},     {24, "9", false},    {24, "10", true},   {24, "100", true},
      {24, "101", false}, {26, "", false},    {26, "0", true},     {26, "100", true},  {26, "-1", false},
      {27, "", true},    {27, "101", false},  {32, "", false},     {32, "0", false},   {32, "1", true},
      {32, "9999", true}, {32, "10000", false}, {45, "0", false},  {45, "1", true},    {45, "365", true},
      {45, "366", false}, {46, "0", false},   {46, "1", true},     {46, "4", true},    {46, "5", false},
      {46, "F", false},  {14, "99999999999", false}, {4, "text", true}, {23, "1.5", true},
  };
  for (const Case& C : Cases) {
    int Value = -1;
    EXPECT_EQ(TSovFile::IsValidInteger(QString::fromLatin1(C.Text), C.Col, Value), C.Valid)
        << "col " << C.Col << " text '" << C.Text << "'";
  }
  int Value = 0;
  ASSERT_TRUE(TSovFile::IsValidInteger(" 120 ", 14, Value));
  EXPECT_EQ(Value, 120);
}

TEST(IsValidDate, YearRequiredExceptForTheCalculationDate) {
  QDate Date;
  const TFormatSettings Us = UsFormatSettings();
  EXPECT_TRUE(TSovFile::IsValidDate("5/1/2015", 13, 0, Us, Date));
  EXPECT_EQ(Date, QDate(2015, 5, 1));
  EXPECT_FALSE(TSovFile::IsValidDate("5/1", 13, 2015, Us, Date));
  EXPECT_FALSE(TSovFile::IsValidDate("5/1", 28, 2015, Us, Date));
  EXPECT_FALSE(TSovFile::IsValidDate("", 28, 2015, Us, Date));
  EXPECT_FALSE(TSovFile::IsValidDate("2/30/2015", 28, 0, Us, Date));
  EXPECT_TRUE(TSovFile::IsValidDate(" 10/15 ", 29, 2015, Us, Date));
  EXPECT_EQ(Date, QDate(2015, 10, 15));
  EXPECT_TRUE(TSovFile::IsValidDate("10/15/2016", 29, 2015, Us, Date));
  EXPECT_EQ(Date, QDate(2016, 10, 15));
  EXPECT_FALSE(TSovFile::IsValidDate("", 29, 2015, Us, Date));
  EXPECT_TRUE(TSovFile::IsValidDate("no date", 4, 2015, Us, Date));

  const TFormatSettings De = GermanFormatSettings();
  EXPECT_TRUE(TSovFile::IsValidDate("15.10.2015", 13, 0, De, Date));
  EXPECT_EQ(Date, QDate(2015, 10, 15));
  EXPECT_FALSE(TSovFile::IsValidDate("10/15/2015", 13, 0, De, Date));
}

// ---------------------------------------------------------------------------
// Cell rules
// ---------------------------------------------------------------------------

TEST(IsValidCell, RulePerColumn) {
  TestField T(false);
  const TSovFile& F = *T.F;
  struct Case {
    int Col;
    const char* Text;
    bool Valid;
  } Cases[] = {
      {4, "", true},         {5, "any name", true},  {25, "", true},          {61, "notes", true},
      {52, "", true},        {53, "x", true},        {19, "", true},          {31, "A,B", true},
      {6, "iowa", true},     {6, " Ontario ", true}, {6, "Mars", false},      {6, "", false},
      {7, "on", true},       {8, "0", true},         {8, "No", true},         {8, "maybe", false},
      {12, "CORN", true},    {12, "", false},        {18, "alfalfa", true},   {18, "", false},
      {9, "42", true},       {9, "-33.9", false},    {10, "-93.6", true},     {10, "93.6", false},
      {15, "", true},        {16, "20", true},       {16, "20.1", false},     {22, "100", true},
      {23, "0.05", false},   {48, "-5", true},       {48, "", false},         {50, "abc", true},
      {51, "", true},        {54, "125", true},      {55, "125.5", false},    {56, "", true},
      {58, "99.5", false},   {59, "100", true},      {11, "15000", true},     {11, "15000.5", false},
      {14, "50", true},      {17, "", true},         {24, "9", false},        {26, "", false},
      {27, "100", true},     {32, "1", true},        {32, "12.5", false},     {45, "365", true},
      {45, "0", false},      {13, "5/1/2015", true}, {13, "5/1", false},      {28, "4/20/2015", true},
      {29, "10/15", true},   {29, "10/15/2015", true}, {29, "13/15", false},  {30, "nws_coop", true},
      {30, "", false},       {33, " sicl ", true},   {33, "loam", false},     {34, "0.7", true},
      {34, "0.8", false},    {35, "1", false},       {44, "", true},          {43, "", false},
      {46, "F", true},       {46, "R", true},        {46, "f", false},        {46, "1", false},
      {60, "Z", true},       {60, "s", false},       {60, "", false},         {1, "2", false},
      {2, "", false},        {3, "a.sov", false},    {47, "1", false},        {49, "1", false},
      {62, "1", false},      {0, "", false},         {-1, "", false},         {100, "", false},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(F.IsValidCell(C.Col, QString::fromLatin1(C.Text)), C.Valid) << "col " << C.Col << " text '" << C.Text
                                                                          << "'";
}

TEST(IsValidCell, CoordinatesFollowTheLocation) {
  TestField T(false);
  EXPECT_FALSE(T.F->IsValidCell(9, "-33.9"));
  EXPECT_FALSE(T.F->IsValidCell(9, "120"));
  T.Set(SovCol::Location, "Western Cape");
  EXPECT_TRUE(T.F->IsValidCell(9, "-33.9"));
  EXPECT_TRUE(T.F->IsValidCell(10, "18.4"));
  EXPECT_FALSE(T.F->IsValidCell(9, "120"));
  EXPECT_FALSE(T.F->IsValidCell(10, "200"));
  // No location: bounded as in the US.
  T.Set(SovCol::Location, "");
  EXPECT_FALSE(T.F->IsValidCell(9, "-33.9"));
}

TEST(IsValidCell, CalculationDateNeedsAnEmergenceDate) {
  TestField T(false);
  T.Set(SovCol::EmergenceDate, "5/1");
  EXPECT_FALSE(T.F->IsValidCell(29, "10/15"));
  EXPECT_FALSE(T.F->IsValidCell(29, "10/15/2015"));
  T.Set(SovCol::EmergenceDate, "2/1/2015");
  EXPECT_FALSE(T.F->IsValidCell(29, "2/29"));  // 2015 has no 29 February
  T.Set(SovCol::EmergenceDate, "2/1/2016");
  EXPECT_TRUE(T.F->IsValidCell(29, "2/29"));
}

TEST(IsValidCell, UnitsOfTheField) {
  TestField English(false), Metric(true);
  EXPECT_TRUE(English.F->IsValidCell(16, "20"));
  EXPECT_FALSE(English.F->IsValidCell(16, "600"));
  EXPECT_TRUE(Metric.F->IsValidCell(16, "600"));
  EXPECT_TRUE(English.F->IsValidCell(54, "100"));
  EXPECT_FALSE(Metric.F->IsValidCell(54, "100"));
  // Horizon values are the same in both systems.
  EXPECT_TRUE(English.F->IsValidCell(36, "2.6"));
  EXPECT_TRUE(Metric.F->IsValidCell(36, "2.6"));
}

TEST(IsValidCellGerman, UsesTheFieldsUserFormat) {
  TestField T(true, GermanFormatSettings());
  EXPECT_TRUE(T.F->IsValidCell(16, "609,6"));
  EXPECT_FALSE(T.F->IsValidCell(16, "609.6"));
  EXPECT_TRUE(T.F->IsValidCell(34, "0,15"));
  EXPECT_FALSE(T.F->IsValidCell(34, "0.15"));
  EXPECT_TRUE(T.F->IsValidCell(13, "01.05.2015"));
  EXPECT_FALSE(T.F->IsValidCell(13, "5/1/2015"));
  EXPECT_TRUE(T.F->IsValidCell(29, "15.10"));
}

// ---------------------------------------------------------------------------
// Whole-field check
// ---------------------------------------------------------------------------

TEST(CheckFieldData, ATestFieldPassesInEveryForm) {
  TestField English(false), Metric(true), German(true, GermanFormatSettings()),
      GermanEnglish(false, GermanFormatSettings()), Iso(false, IsoFormatSettings());
  EXPECT_PASSES(English, true);
  EXPECT_PASSES(Metric, true);
  EXPECT_PASSES(German, true);
  EXPECT_PASSES(GermanEnglish, false);
  EXPECT_PASSES(Iso, true);
  EXPECT_EQ(German.F->GetCell(0, SovCol::WaterHoldingCapacity), QStringLiteral("150,5"));
  EXPECT_EQ(German.F->GetCell(0, SovCol::StartingDate), QStringLiteral("20.04.2015"));
}

TEST(CheckFieldData, AnEmptyFieldFailsOnItsLocation) {
  auto F = std::make_unique<TSovFile>(TestLookup(), UsFormatSettings());
  QString Form;
  int Row = -1, Col = -1;
  EXPECT_FALSE(F->CheckFieldData(true, Form, Row, Col));
  EXPECT_EQ(Form, FormNone);
  EXPECT_EQ(Col, 6);
  EXPECT_EQ(Row, 0);
}

struct StepCase {
  const char* Name;
  std::function<void(TestField&)> Break;
  QString Form;
  int Col;
  int Row;
};

// Each step broken on its own, in the order the check makes them.
std::vector<StepCase> Steps() {
  return {
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
}

TEST(CheckFieldData, EachStepOnItsOwn) {
  for (const StepCase& S : Steps()) {
    TestField T(false);
    S.Break(T);
    SCOPED_TRACE(S.Name);
    EXPECT_FAILS(T, S.Form, S.Col, S.Row, true);
  }
}

TEST(CheckFieldData, TheEarlierStepWins) {
  const std::vector<StepCase> All = Steps();
  // Every pair of broken steps reports the earlier one. "season too long" and
  // "season" both change GrowingSeason and are not combined.
  for (size_t i = 0; i < All.size(); ++i)
    for (size_t j = i + 1; j < All.size(); ++j) {
      const std::string A = All[i].Name, B = All[j].Name;
      if ((A == "season" && B == "season too long") || (A == "calculation before start" && B == "schedule too long"))
        continue;
      TestField T(false);
      All[j].Break(T);
      All[i].Break(T);
      SCOPED_TRACE(A + " before " + B);
      EXPECT_FAILS(T, All[i].Form, All[i].Col, All[i].Row, true);
    }
}

TEST(CheckFieldData, CalculateLeavesOutLongitudeYieldAndPreviousCrop) {
  TestField T(false);
  T.Set(10, "");
  T.Set(15, "-3");
  T.Set(18, "");
  EXPECT_PASSES(T, false);
  EXPECT_FAILS(T, FormMissing, 10, 0, true);
  T.SetNum(10, "-93.6");
  EXPECT_FAILS(T, FormInvalid, 15, 0, true);
  T.Set(15, "");
  EXPECT_FAILS(T, FormNone, 18, 0, true);
}

TEST(CheckFieldData, CoordinatesByLocation) {
  struct Case {
    const char* Location;
    const char* Latitude;
    const char* Longitude;
    bool FullCheck;
    bool Ok;
    int Col;
  } Cases[] = {
      {"Iowa", "42", "-93.6", true, true, 0},
      {"Iowa", "90", "-93.6", true, true, 0},
      {"Iowa", "180", "-93.6", true, false, 9},
      {"Iowa", "-33.9", "-93.6", true, false, 9},
      {"Iowa", "42", "93.6", true, false, 10},
      {"Western Cape", "-33.9", "18.4", true, true, 0},
      {"Western Cape", "-90", "-180", true, true, 0},
      {"Western Cape", "90.5", "18.4", true, false, 9},
      {"Western Cape", "-95", "18.4", false, false, 9},
      {"Western Cape", "-33.9", "200", true, false, 10},
      {"Western Cape", "-33.9", "200", false, true, 0},
      {"Ontario", "", "18.4", true, false, 9},
      {"Ontario", "45", "", true, false, 10},
  };
  for (const Case& C : Cases) {
    TestField T(false);
    T.Set(6, C.Location);
    T.Set(9, C.Latitude);
    T.Set(10, C.Longitude);
    SCOPED_TRACE(std::string(C.Location) + " " + C.Latitude + " " + C.Longitude);
    if (C.Ok)
      EXPECT_PASSES(T, C.FullCheck);
    else
      EXPECT_FAILS(T, FormMissing, C.Col, 0, C.FullCheck);
  }
}

TEST(CheckFieldData, GrowingSeasonWithinTheYear) {
  TestField T(false);
  // Start 70 days before emergence: 300 days of season make 370.
  T.SetDate(28, 2015, 2, 20);
  T.SetDate(29, 2015, 3, 1);
  T.Set(14, "300");
  EXPECT_FAILS(T, FormTooLong, 14, 0, true);
  // 65 days before: exactly 365.
  T.SetDate(28, 2015, 2, 25);
  EXPECT_PASSES(T, true);
  T.Set(14, "301");
  EXPECT_FAILS(T, FormTooLong, 14, 0, true);
}

TEST(CheckFieldData, ScheduleOfAtMost365DaysAcrossALeapYear) {
  struct Case {
    int Year;
    int EndMonth, EndDay;
    bool Ok;
  } Cases[] = {
      {2015, 12, 31, true},   // 365 days
      {2016, 12, 31, false},  // 366 days
      {2016, 12, 30, true},   // 365 days of a leap year
      {2015, 12, 30, true},
  };
  for (const Case& C : Cases) {
    TestField T(false);
    T.SetDate(13, C.Year, 1, 1);
    T.SetDate(28, C.Year, 1, 1);
    T.SetDate(29, C.Year, C.EndMonth, C.EndDay);
    SCOPED_TRACE(C.Year);
    if (C.Ok)
      EXPECT_PASSES(T, true);
    else
      EXPECT_FAILS(T, FormTooLong, 29, 0, true);
  }
  // Across 29 February: 1 March 2015 to 29 February 2016 is 366 days.
  TestField T(false);
  T.SetDate(13, 2015, 3, 1);
  T.SetDate(28, 2015, 3, 1);
  T.SetDate(29, 2016, 2, 29);
  EXPECT_FAILS(T, FormTooLong, 29, 0, true);
  T.SetDate(29, 2016, 2, 28);
  EXPECT_PASSES(T, true);
}

TEST(CheckFieldData, CalculationDateWithoutYearTakesTheEmergenceYear) {
  TestField T(false);
  T.Set(29, "10/15");
  EXPECT_PASSES(T, true);  // 20 April to 15 October 2015
  T.Set(29, "4/19");
  EXPECT_FAILS(T, FormMissing, 29, 0, true);  // 19 April 2015, before the start
  T.Set(29, "4/20");
  EXPECT_PASSES(T, true);  // a schedule of one day
  T.Set(29, "");
  EXPECT_FAILS(T, FormMissing, 29, 0, true);
  T.Set(29, "2/29");
  EXPECT_FAILS(T, FormMissing, 29, 0, true);  // no such day in 2015
}

TEST(CheckFieldData, EventRules) {
  struct Case {
    const char* Name;
    std::function<void(TestField&)> Change;
    bool Ok;
    int Col;
    int Row;
  } Cases[] = {
      {"free slot with garbage", [](TestField& T) { T.Event(5, 0, 1, "0", "-5", "0", "", ""); }, true, 0, 0},
      {"day beyond the year", [](TestField& T) { T.Event(5, 400, 1, "0", "-5", "0", "", ""); }, true, 0, 0},
      {"unknown code", [](TestField& T) { T.Event(5, 10, 9, "0", "-5", "0", "", ""); }, true, 0, 0},
      {"fertiliser without fertiliser", [](TestField& T) { T.Set(47, "0", 1); }, false, 47, 5},
      {"fertiliser beyond the table", [](TestField& T) { T.Set(47, "7", 1); }, false, 47, 5},
      {"manure beyond the table", [](TestField& T) { T.Set(47, "2", 2); }, false, 47, 8},
      {"fertiliser without method", [](TestField& T) { T.Set(49, "0", 1); }, false, 49, 5},
      {"manure method beyond the table", [](TestField& T) { T.Set(49, "5", 2); }, false, 49, 8},
      {"fertiliser amount missing", [](TestField& T) { T.Set(48, "", 1); }, false, 48, 5},
      {"fertiliser amount too large", [](TestField& T) { T.Set(48, "2000", 1); }, false, 48, 5},
      {"manure Value2 too small", [](TestField& T) { T.Set(50, "0.05", 2); }, false, 50, 8},
      {"manure Value3 missing", [](TestField& T) { T.Set(51, "", 2); }, false, 51, 8},
      {"fertiliser with any Value2", [](TestField& T) { T.Set(50, "what", 1); }, true, 0, 0},
      {"nitrate too high", [](TestField& T) { T.Set(48, "99.5", 3); }, false, 48, 12},
      {"nitrate keys ignored", [](TestField& T) { T.Set(47, "9", 3); }, true, 0, 0},
      {"residue above 100", [](TestField& T) { T.Set(48, "101", 4); }, false, 48, 2},
      {"event after the schedule still checked",
       [](TestField& T) { T.Event(6, 300, 2, "0", "120", "0", "", ""); }, false, 48, 300},
      // Slot order, not day order: slot 1 (day 5) before slot 3 (day 12) ...
      {"slot order", [](TestField& T) {
         T.Set(48, "", 3);
         T.Set(48, "", 1);
       }, false, 48, 5},
      // ... and slot 3 (day 12) before slot 4 (day 2).
      {"slot order, later day first", [](TestField& T) {
         T.Set(48, "", 4);
         T.Set(48, "", 3);
       }, false, 48, 12},
      // Within one event: the key, then the values, then the method.
      {"key before value", [](TestField& T) {
         T.Set(48, "", 1);
         T.Set(47, "0", 1);
       }, false, 47, 5},
      {"value before method", [](TestField& T) {
         T.Set(49, "0", 2);
         T.Set(51, "", 2);
       }, false, 51, 8},
      {"events before weather", [](TestField& T) {
         T.Set(54, "", 1);
         T.Set(48, "", 4);
       }, false, 48, 2},
  };
  for (const Case& C : Cases) {
    TestField T(false);
    C.Change(T);
    SCOPED_TRACE(C.Name);
    if (C.Ok)
      EXPECT_PASSES(T, true);
    else
      EXPECT_FAILS(T, FormEvent, C.Col, C.Row, true);
  }
  // A negative amount fails for every event code.
  for (int Code = 1; Code <= 4; ++Code) {
    TestField T(false);
    T.Event(1, 5, Code, "1", "-5", "1", "10", "5");
    SCOPED_TRACE(Code);
    EXPECT_FAILS(T, FormEvent, 48, 5, true);
  }
}

TEST(CheckFieldData, WeatherRules) {
  struct Case {
    const char* Name;
    std::function<void(TestField&)> Change;
    QString Form;
    int Col;
    int Row;
  } Cases[] = {
      {"low above high", [](TestField& T) { T.Weather(4, "60", "60.5", "", "", "", ""); }, FormInvalid, 55, 4},
      {"low equal to high", [](TestField& T) { T.Weather(4, "60", "60", "", "", "", ""); }, QString(), 0, 0},
      {"empty precipitation", [](TestField& T) { T.Set(56, "", 4); }, QString(), 0, 0},
      {"empty high", [](TestField& T) { T.Set(54, "", 7); }, FormMissing, 54, 7},
      {"empty low", [](TestField& T) { T.Set(55, "", 7); }, FormMissing, 55, 7},
      {"high too hot", [](TestField& T) { T.Set(54, "125.5", 7); }, FormMissing, 54, 7},
      {"low too cold", [](TestField& T) { T.Set(55, "-51", 7); }, FormMissing, 55, 7},
      {"wind", [](TestField& T) { T.Set(58, "100", 9); }, FormInvalid, 58, 9},
      {"humidity", [](TestField& T) { T.Set(59, "101", 9); }, FormInvalid, 59, 9},
      {"precipitation", [](TestField& T) { T.Set(56, "9.5", 9); }, FormInvalid, 56, 9},
      {"irrigation", [](TestField& T) { T.Set(57, "-1", 9); }, FormInvalid, 57, 9},
      {"wind before humidity", [](TestField& T) { T.Weather(9, "70", "50", "", "", "x", "x"); }, FormInvalid, 58, 9},
      {"humidity before precipitation", [](TestField& T) { T.Weather(9, "70", "50", "x", "", "", "x"); },
       FormInvalid, 59, 9},
      {"precipitation before irrigation", [](TestField& T) { T.Weather(9, "70", "50", "x", "x", "", ""); },
       FormInvalid, 56, 9},
      {"temperatures before the rest", [](TestField& T) { T.Weather(9, "70", "71", "x", "x", "x", "x"); },
       FormInvalid, 55, 9},
      {"earlier day first", [](TestField& T) {
         T.Set(54, "", 4);
         T.Set(57, "x", 3);
       }, FormInvalid, 57, 3},
      {"last day of the schedule", [](TestField& T) { T.Set(54, "", 21); }, FormMissing, 54, 21},
      {"days after the calculation date are not examined", [](TestField& T) {
         T.Weather(22, "", "", "x", "x", "x", "x");
         T.Weather(365, "", "200", "", "", "", "");
       }, QString(), 0, 0},
  };
  for (const Case& C : Cases) {
    TestField T(false);
    C.Change(T);
    SCOPED_TRACE(C.Name);
    if (C.Form.isEmpty())
      EXPECT_PASSES(T, true);
    else
      EXPECT_FAILS(T, C.Form, C.Col, C.Row, true);
  }
}

TEST(CheckFieldData, MetricWeatherBounds) {
  TestField T(true);
  T.Set(54, "51.6", 2);
  EXPECT_PASSES(T, true);
  T.Set(54, "52", 2);
  EXPECT_FAILS(T, FormMissing, 54, 2, true);
  T.Set(54, "30", 2);
  T.Set(57, "228.6", 2);
  T.Set(58, "44.2", 2);
  EXPECT_PASSES(T, true);
  T.Set(58, "44.3", 2);
  EXPECT_FAILS(T, FormInvalid, 58, 2, true);
}

TEST(CheckFieldDataGerman, DecimalCommaCellsAndPointsRefused) {
  {
    TestField T(true, GermanFormatSettings());
    T.Set(16, "609,6");
    T.Weather(3, "24,5", "24,5", "0,5", "12,25", "3,5", "55,5");
    EXPECT_PASSES(T, true);
    T.Weather(3, "24,5", "24,6", "", "", "", "");
    EXPECT_FAILS(T, FormInvalid, 55, 3, true);
  }
  struct Case {
    int Col;
    int Row;
    const char* Text;
    QString Form;
  } Cases[] = {
      {9, 0, "42.03", FormMissing},        // a point is no decimal separator here
      {16, 0, "90.5", FormMissing},
      {13, 0, "5/1/2015", FormMissing},    // nor is the file's date form a user date
      {29, 0, "10/15", FormMissing},
      {48, 2, "5000.5", FormEvent},
      {54, 6, "24.2", FormMissing},
      {59, 6, "60.5", FormInvalid},
  };
  for (const Case& C : Cases) {
    TestField T(true, GermanFormatSettings());
    T.Set(C.Col, C.Text, C.Row);
    SCOPED_TRACE(C.Text);
    const int Row = C.Col == 48 ? 8 : C.Row;  // an event reports its day
    EXPECT_FAILS(T, C.Form, C.Col, Row, true);
  }
}

}  // namespace
