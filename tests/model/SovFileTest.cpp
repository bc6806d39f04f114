#include "FieldTestLookup.h"
#include "SovFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

class SovFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Lookup = LoadFieldTestLookup().release(); }
  static void TearDownTestSuite() {
    delete Lookup;
    Lookup = nullptr;
  }
  static TSovLookup* Lookup;
};
TSovLookup* SovFileTest::Lookup = nullptr;

// Every cell of columns 1-61 over every row of its section (field columns read once).
std::vector<QString> Snapshot(const TSovFile& File) {
  std::vector<QString> Cells;
  for (int Col = 1; Col <= SovCol::LastFileColumn; ++Col) {
    const int Rows = std::max(1, File.RowCount(File.SectionOfColumn(Col)));
    for (int Row = 1; Row <= Rows; ++Row) Cells.push_back(File.GetCell(Row, Col));
  }
  Cells.push_back(File.FileVersion());
  Cells.push_back(File.FileName());
  Cells.push_back(File.ProgramVersion());
  return Cells;
}

// What a cell reads after " 7 " was written to it (in range): independent of the code's
// own tables on purpose.
QString ExpectedAfterSeven(int Col) {
  if (Col <= 3) return QString();
  if (Col == 6 || Col == 12 || Col == 18) return QString();  // no such lookup name
  if (Col == 7 || Col == 8) return "No";
  if (Col <= 31) return " 7 ";  // field texts keep their blanks
  return "7";                   // horizon, event and weather cells are trimmed
}

TEST_F(SovFileTest, NewFieldIsEmpty) {
  TSovFile File(*Lookup, UsFormatSettings());
  EXPECT_EQ(File.FileVersion(), "2");
  EXPECT_TRUE(File.FileName().isEmpty());
  EXPECT_TRUE(File.ProgramVersion().isEmpty());
  EXPECT_EQ(File.Location(), 0);
  EXPECT_EQ(File.Crop(), 0);
  EXPECT_FALSE(File.IsMetric());
  EXPECT_EQ(File.GetCell(1, SovCol::IsMetric), "No");
  EXPECT_EQ(File.GetCell(1, SovCol::IsCoastal), "No");
  EXPECT_EQ(File.GetCell(1, SovCol::EvDay), "0");
  EXPECT_EQ(File.GetCell(50, SovCol::EvKey2), "0");
  EXPECT_TRUE(File.GetCell(1, SovCol::FarmName).isEmpty());
  EXPECT_TRUE(File.GetCell(365, SovCol::WeatherNotes).isEmpty());
  for (int Row = 1; Row <= MaxHorizons; ++Row) EXPECT_FALSE(File.HorizonHasData(Row));
  for (int Row = 1; Row <= MaxDays; ++Row) EXPECT_FALSE(File.WeatherDayHasData(Row));
}

TEST_F(SovFileTest, FormatSettings) {
  TSovFile File(*Lookup, GermanFormatSettings());
  EXPECT_EQ(File.UserFormat().DecimalSeparator, QChar(','));
  EXPECT_EQ(File.FileFormat().DecimalSeparator, QChar('.'));
  EXPECT_EQ(File.FileFormat(), Lookup->FileFormat());
  // The user settings take the file's two-digit-year window.
  EXPECT_EQ(File.UserFormat().TwoDigitYearCenturyWindow, Lookup->FileFormat().TwoDigitYearCenturyWindow);
  TSovFile Default(*Lookup);
  EXPECT_EQ(Default.UserFormat().TwoDigitYearCenturyWindow, Lookup->FileFormat().TwoDigitYearCenturyWindow);
}

// Writes " 7 " to every column at the edge rows of its section and checks what is
// stored, that the write landed only in that cell, and that rows outside the section
// neither read nor write anything.
TEST_F(SovFileTest, SetGetSweepAtSectionEdges) {
  const TFormatSettings User = UsFormatSettings();
  for (int Col = -1; Col <= SovCol::LastFileColumn + 2; ++Col) {
    SCOPED_TRACE("column " + std::to_string(Col));
    TSovFile Probe(*Lookup, User);
    const QString Section = Probe.SectionOfColumn(Col);
    const int Last = Probe.RowCount(Section);
    const bool IsField = Section == "Field";
    for (int Row : {INT_MIN, -1, 0, 1, Last, Last + 1, INT_MAX}) {
      SCOPED_TRACE("row " + std::to_string(Row));
      TSovFile File(*Lookup, User);
      const std::vector<QString> Before = Snapshot(File);
      File.SetCell(Row, Col, " 7 ");
      const bool InSection = Col >= SovCol::FirstField && Col <= SovCol::LastFileColumn &&
                             (IsField || (Row >= 1 && Row <= Last));
      if (!InSection) {
        EXPECT_EQ(Snapshot(File), Before);
        EXPECT_TRUE(File.GetCell(Row, Col).isEmpty());
        continue;
      }
      EXPECT_EQ(File.GetCell(Row, Col), ExpectedAfterSeven(Col));
      // Only this cell changed: clear it again and compare with the empty field.
      if (Col == SovCol::IsCoastal || Col == SovCol::IsMetric || Col == SovCol::Location || Col == SovCol::Crop ||
          Col == SovCol::PreviousCrop)
        EXPECT_EQ(Snapshot(File), Before);
      else if (Col == SovCol::EvDay || Col == SovCol::EvCode || Col == SovCol::EvKey1 || Col == SovCol::EvKey2)
        File.SetCell(Row, Col, "0");
      else
        File.SetCell(Row, Col, "");
      EXPECT_EQ(Snapshot(File), Before);
    }
    // Rows outside the section read as empty even when the section has data.
    if (!IsField && Last > 0) {
      TSovFile File(*Lookup, User);
      for (int Row = 1; Row <= Last; ++Row) File.SetCell(Row, Col, "5");
      EXPECT_TRUE(File.GetCell(0, Col).isEmpty());
      EXPECT_TRUE(File.GetCell(Last + 1, Col).isEmpty());
      EXPECT_TRUE(File.GetCell(-1, Col).isEmpty());
    }
  }
}

TEST_F(SovFileTest, FieldColumnsIgnoreRow) {
  TSovFile File(*Lookup, UsFormatSettings());
  File.SetCell(0, SovCol::FarmName, "Home farm");
  EXPECT_EQ(File.GetCell(1, SovCol::FarmName), "Home farm");
  EXPECT_EQ(File.GetCell(400, SovCol::FarmName), "Home farm");
}

TEST_F(SovFileTest, InfoColumnsAreNotCells) {
  TSovFile File(*Lookup, UsFormatSettings());
  for (int Col = 1; Col <= 3; ++Col) {
    File.SetCell(1, Col, "x");
    EXPECT_TRUE(File.GetCell(1, Col).isEmpty());
  }
  EXPECT_EQ(File.FileVersion(), "2");
}

TEST_F(SovFileTest, TrimmingRules) {
  TSovFile File(*Lookup, UsFormatSettings());
  File.SetCell(1, SovCol::FarmName, "  Smith  ");
  EXPECT_EQ(File.GetCell(1, SovCol::FarmName), "  Smith  ");
  File.SetCell(1, SovCol::HzTexture, "  SL ");
  EXPECT_EQ(File.GetCell(1, SovCol::HzTexture), "SL");
  File.SetCell(50, SovCol::EvNotes, " note ");
  EXPECT_EQ(File.GetCell(50, SovCol::EvNotes), "note");
  File.SetCell(365, SovCol::GrowthStage, " M ");
  EXPECT_EQ(File.GetCell(365, SovCol::GrowthStage), "M");
}

TEST_F(SovFileTest, EventIntegerColumns) {
  TSovFile File(*Lookup, UsFormatSettings());
  const struct {
    const char* Text;
    const char* Stored;
  } Cases[] = {{"12", "12"}, {" 12 ", "12"}, {"-3", "-3"}, {"1.5", "0"}, {"abc", "0"},
               {"", "0"},     {"99999999999", "0"}, {"F", "0"}};
  for (const auto& Case : Cases) {
    for (int Col : {SovCol::EvDay, SovCol::EvCode, SovCol::EvKey1, SovCol::EvKey2}) {
      File.SetCell(1, Col, Case.Text);
      EXPECT_EQ(File.GetCell(1, Col), Case.Stored) << Case.Text << " col " << Col;
    }
  }
  File.SetCellInt(3, SovCol::EvCode, 4);
  EXPECT_EQ(File.GetCellInt(3, SovCol::EvCode), 4);
  File.SetCellInt(3, SovCol::EvValue, -25);
  EXPECT_EQ(File.GetCell(3, SovCol::EvValue), "-25");
}

TEST_F(SovFileTest, LookupNamesAreStoredAsRows) {
  TSovFile File(*Lookup, UsFormatSettings());
  File.SetCell(1, SovCol::Crop, "CORN");
  EXPECT_EQ(File.Crop(), 1);
  EXPECT_EQ(File.GetCell(1, SovCol::Crop), "Corn");
  File.SetCell(1, SovCol::PreviousCrop, " alfalfa ");
  EXPECT_EQ(File.PreviousCrop(), 2);
  EXPECT_EQ(File.GetCell(1, SovCol::PreviousCrop), "Alfalfa");
  File.SetCell(1, SovCol::Location, "cape town");
  EXPECT_EQ(File.Location(), 2);
  EXPECT_EQ(File.GetCell(1, SovCol::Location), "Cape Town");

  File.SetCell(1, SovCol::Crop, "Wheat");
  EXPECT_EQ(File.Crop(), 0);
  EXPECT_TRUE(File.GetCell(1, SovCol::Crop).isEmpty());
  File.SetCell(1, SovCol::Location, "");
  EXPECT_EQ(File.Location(), 0);

  // Index setters keep only rows of the tables.
  File.SetCrop(3);
  EXPECT_EQ(File.GetCell(1, SovCol::Crop), "Rising");
  for (int Bad : {-1, 4, 100, INT_MAX, INT_MIN}) {
    File.SetCrop(Bad);
    EXPECT_EQ(File.Crop(), 0);
    File.SetPreviousCrop(Bad);
    EXPECT_EQ(File.PreviousCrop(), 0);
    File.SetLocation(Bad);
    EXPECT_EQ(File.Location(), 0);
  }
}

TEST_F(SovFileTest, BooleansReadAsYesNo) {
  TSovFile File(*Lookup, UsFormatSettings());
  for (const char* Text : {"on", "1", "YES", "true", " Yes "}) {
    File.SetCell(1, SovCol::IsMetric, "No");
    File.SetCell(1, SovCol::IsMetric, Text);
    EXPECT_TRUE(File.IsMetric()) << Text;
    EXPECT_EQ(File.GetCell(1, SovCol::IsMetric), "Yes");
  }
  for (const char* Text : {"maybe", "", "no", "0", "Y"}) {
    File.SetCell(1, SovCol::IsCoastal, "Yes");
    File.SetCell(1, SovCol::IsCoastal, Text);
    EXPECT_FALSE(File.IsCoastal()) << Text;
    EXPECT_EQ(File.GetCell(1, SovCol::IsCoastal), "No");
  }
}

TEST_F(SovFileTest, ColumnNamesAndSections) {
  TSovFile File(*Lookup, UsFormatSettings());
  for (int Col = 1; Col <= SovCol::LastFileColumn; ++Col) {
    EXPECT_FALSE(File.ColumnName(Col).isEmpty());
    EXPECT_EQ(File.ColumnIndex(File.SectionOfColumn(Col), File.ColumnName(Col)), Col);
    EXPECT_EQ(File.ColumnIndex(File.SectionOfColumn(Col).toLower(), File.ColumnName(Col).toUpper()), Col);
  }
  for (int Col : {INT_MIN, -1, 0, 62, 93, INT_MAX}) {
    EXPECT_TRUE(File.SectionOfColumn(Col).isEmpty());
    EXPECT_TRUE(File.ColumnName(Col).isEmpty());
  }
  const struct {
    int First, Last;
    const char* Section;
  } Ranges[] = {{1, 3, "SovInfo"}, {4, 31, "Field"}, {32, 44, "Horizon"}, {45, 53, "Event"}, {54, 61, "Weather"}};
  for (const auto& Range : Ranges)
    for (int Col = Range.First; Col <= Range.Last; ++Col) EXPECT_EQ(File.SectionOfColumn(Col), Range.Section);

  EXPECT_EQ(File.ColumnIndex("Weather", "notes"), 61);
  EXPECT_EQ(File.ColumnIndex("Field", "Notes"), 25);
  EXPECT_EQ(File.ColumnIndex("Event", "Depth"), 0);
  EXPECT_EQ(File.ColumnIndex("Schedule", "Day"), 0);
  EXPECT_EQ(File.ColumnIndex("", ""), 0);
  EXPECT_EQ(File.ColumnName(SovCol::WaterHoldingCapacity), "WaterHoldingCapacity");
  EXPECT_EQ(File.ColumnName(SovCol::HzpH), "pH");

  EXPECT_EQ(File.RowCount("horizon"), 10);
  EXPECT_EQ(File.RowCount("SOVINFO"), 1);
  EXPECT_EQ(File.RowCount("Field"), 1);
  EXPECT_EQ(File.RowCount("event"), 50);
  EXPECT_EQ(File.RowCount("Weather"), 365);
  EXPECT_EQ(File.RowCount("Schedule"), -1);
  EXPECT_EQ(File.RowCount(""), -1);
}

TEST_F(SovFileTest, NumbersInUserFormat) {
  TSovFile German(*Lookup, GermanFormatSettings());
  German.SetCell(2, SovCol::Precip, "3,5");
  German.SetCell(3, SovCol::Precip, "3.5");
  German.SetCell(1, SovCol::Latitude, " 41,25 ");
  EXPECT_DOUBLE_EQ(German.GetCellFloat(2, SovCol::Precip), 3.5);
  EXPECT_DOUBLE_EQ(German.GetCellFloat(3, SovCol::Precip), 0.0);  // not a number here
  EXPECT_DOUBLE_EQ(German.GetCellFloat(1, SovCol::Latitude), 41.25);
  EXPECT_DOUBLE_EQ(German.GetCellFloat(0, SovCol::Precip), 0.0);

  TSovFile Us(*Lookup, UsFormatSettings());
  Us.SetCell(2, SovCol::Precip, "3.5");
  Us.SetCell(3, SovCol::Precip, "nan");
  Us.SetCell(4, SovCol::Precip, "1e999");
  EXPECT_DOUBLE_EQ(Us.GetCellFloat(2, SovCol::Precip), 3.5);
  EXPECT_DOUBLE_EQ(Us.GetCellFloat(3, SovCol::Precip), 0.0);
  EXPECT_DOUBLE_EQ(Us.GetCellFloat(4, SovCol::Precip), 0.0);

  Us.SetCell(1, SovCol::GrowingSeason, " 120 ");
  EXPECT_EQ(Us.GetCellInt(1, SovCol::GrowingSeason), 120);
  Us.SetCell(1, SovCol::GrowingSeason, "120.5");
  EXPECT_EQ(Us.GetCellInt(1, SovCol::GrowingSeason), 0);
}

TEST_F(SovFileTest, HasDataQueries) {
  TSovFile File(*Lookup, UsFormatSettings());
  File.SetCell(3, SovCol::HzCEC, "12");
  File.SetCell(365, SovCol::WeatherNotes, "last day");
  File.SetCell(1, SovCol::GrowthStage, "I");
  EXPECT_TRUE(File.HorizonHasData(3));
  EXPECT_FALSE(File.HorizonHasData(2));
  EXPECT_TRUE(File.WeatherDayHasData(365));
  EXPECT_TRUE(File.WeatherDayHasData(1));
  EXPECT_FALSE(File.WeatherDayHasData(2));
  for (int Row : {INT_MIN, 0, 11, 366, INT_MAX}) {
    EXPECT_FALSE(File.HorizonHasData(Row));
    EXPECT_FALSE(File.WeatherDayHasData(Row));
  }
}

TEST_F(SovFileTest, UsLocations) {
  TSovFile File(*Lookup, UsFormatSettings());
  EXPECT_TRUE(File.IsUSLocation(0));
  EXPECT_TRUE(File.IsUSLocation(-5));
  EXPECT_TRUE(File.IsUSLocation(1));   // Iowa
  EXPECT_FALSE(File.IsUSLocation(2));  // Cape Town
  EXPECT_TRUE(File.IsUSLocation(3));   // not a row: no location
  EXPECT_TRUE(File.IsUSLocation(INT_MAX));
}

TEST_F(SovFileTest, ColumnStatistics) {
  const struct {
    std::vector<const char*> Cells;  // days 1..n of column Precip
    bool EmptyAsZero;
    bool AvgOk;
    double Avg;
    bool MaxOk;
    double Max;
    bool MinOk;
    double Min;
  } Cases[] = {
      {{"", "", ""}, true, true, 0, true, 0, true, 0},
      {{"", "", ""}, false, false, 0, false, -10000, false, 10000},
      {{"2", "", "4", "x"}, false, true, 3, true, 4, true, 2},
      {{"2", "", "4", "x"}, true, true, 2, true, 4, true, 0},
      {{"-2", "", "-4"}, true, true, -2, true, 0, true, -4},
      {{"-2", "-4"}, false, true, -3, true, -2, true, -4},
      {{"20000"}, false, true, 20000, true, 20000, false, 10000},  // the minimum starts at 10000
      {{"-10000"}, false, true, -10000, false, -10000, true, -10000},
  };
  for (size_t i = 0; i < std::size(Cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const auto& Case = Cases[i];
    TSovFile File(*Lookup, UsFormatSettings());
    const int Rows = int(Case.Cells.size());
    for (int Row = 1; Row <= Rows; ++Row) File.SetCell(Row, SovCol::Precip, Case.Cells[size_t(Row - 1)]);
    File.SetCell(Rows + 1, SovCol::Precip, "1000");  // beyond Rows: never counted
    double Value = 0;
    EXPECT_EQ(File.ColumnAverage(SovCol::Precip, Rows, Value, Case.EmptyAsZero), Case.AvgOk);
    EXPECT_DOUBLE_EQ(Value, Case.Avg);
    EXPECT_EQ(File.ColumnMax(SovCol::Precip, Rows, Value, Case.EmptyAsZero), Case.MaxOk);
    EXPECT_DOUBLE_EQ(Value, Case.Max);
    EXPECT_EQ(File.ColumnMin(SovCol::Precip, Rows, Value, Case.EmptyAsZero), Case.MinOk);
    EXPECT_DOUBLE_EQ(Value, Case.Min);
  }
}

TEST_F(SovFileTest, ColumnStatisticsStayFiniteAndBounded) {
  TSovFile File(*Lookup, UsFormatSettings());
  File.SetCell(1, SovCol::Precip, "1e308");
  File.SetCell(2, SovCol::Precip, "1e308");
  double Value = 1;
  EXPECT_FALSE(File.ColumnAverage(SovCol::Precip, 2, Value, false));  // the sum overflows
  EXPECT_EQ(Value, 0);
  // Huge or negative row counts neither hang nor read outside the section.
  EXPECT_TRUE(File.ColumnMax(SovCol::Precip, INT_MAX, Value, false));
  EXPECT_FALSE(File.ColumnMax(SovCol::Precip, INT_MIN, Value, false));
  EXPECT_FALSE(File.ColumnAverage(SovCol::Precip, 0, Value, true));
  EXPECT_FALSE(File.ColumnAverage(999, 365, Value, false));
}

TEST_F(SovFileTest, StatisticsInGermanFormat) {
  TSovFile File(*Lookup, GermanFormatSettings());
  File.SetCell(1, SovCol::MaxTemp, "20,5");
  File.SetCell(2, SovCol::MaxTemp, "21.5");  // not a number in this format: skipped
  File.SetCell(3, SovCol::MaxTemp, "22,5");
  double Value = 0;
  EXPECT_TRUE(File.ColumnAverage(SovCol::MaxTemp, 3, Value, false));
  EXPECT_DOUBLE_EQ(Value, 21.5);
}

// A derived class that serves one more column; the base's queries must see it.
class TExtraColumnFile : public TSovFile {
 public:
  using TSovFile::TSovFile;
  QString GetCell(int Row, int Col) const override {
    if (Col == 62) return Row >= 1 && Row <= 3 ? QString::number(Row * 10) : QString();
    if (Col == SovCol::HzDepth && Row == 7) return "99";
    return TSovFile::GetCell(Row, Col);
  }
};

TEST_F(SovFileTest, QueriesDispatchVirtually) {
  TExtraColumnFile File(*Lookup, UsFormatSettings());
  double Value = 0;
  EXPECT_TRUE(File.ColumnAverage(62, 365, Value, false));
  EXPECT_DOUBLE_EQ(Value, 20);
  EXPECT_TRUE(File.ColumnMax(62, 365, Value, false));
  EXPECT_DOUBLE_EQ(Value, 30);
  EXPECT_DOUBLE_EQ(File.GetCellFloat(2, 62), 20);
  EXPECT_EQ(File.GetCellInt(3, 62), 30);
  EXPECT_TRUE(File.HorizonHasData(7));
}

TEST_F(SovFileTest, DaysFromPlantingAndSeason) {
  TSovFile File(*Lookup, UsFormatSettings());
  // No crop in the field: nothing.
  EXPECT_EQ(File.DaysFromPlanting(1, 100), 0);
  EXPECT_EQ(File.TotalSeasonDays(1, 100), 0);
  File.SetCell(1, SovCol::Crop, "Corn");
  EXPECT_EQ(File.DaysFromPlanting(1, 0), 12);
  EXPECT_EQ(File.DaysFromPlanting(1, 100), 112);
  EXPECT_EQ(File.DaysFromPlanting(2, 30), 30);  // perennial
  EXPECT_EQ(File.TotalSeasonDays(1, 100), 140);  // 112 / 0.80
  EXPECT_EQ(File.TotalSeasonDays(2, 80), 100);   // 80 / 0.80
  // 3: (12 + 86) / 0.8 = 122.5 -> 122 (halves to even); (12 + 90) / 0.8 = 127.5 -> 128.
  EXPECT_EQ(File.TotalSeasonDays(3, 86), 122);
  EXPECT_EQ(File.TotalSeasonDays(3, 90), 128);
  for (int Bad : {0, -1, 4, INT_MAX}) {
    EXPECT_EQ(File.DaysFromPlanting(Bad, 10), 0);
    EXPECT_EQ(File.TotalSeasonDays(Bad, 10), 0);
  }
  EXPECT_EQ(File.DaysFromPlanting(1, INT_MAX), INT_MAX);
}

}  // namespace
