// The field data model: cells of every section, lookup names stored as rows, numbers
// in the user's form, column statistics and the crop season.

#include "TestSupport.h"

#include <climits>
#include <vector>

namespace {

const TSovLookup& Lookup() { return DataLookup("field/FieldLookup.ini"); }

// Every cell of columns 1-61 over every row of its section, and the file values.
std::vector<QString> Snapshot(const TSovFile& File) {
  std::vector<QString> Cells = {File.FileVersion(), File.FileName(), File.ProgramVersion()};
  for (int Col = 1; Col <= SovCol::LastFileColumn; ++Col)
    for (int Row = 1; Row <= std::max(1, File.RowCount(File.SectionOfColumn(Col))); ++Row)
      Cells.push_back(File.GetCell(Row, Col));
  return Cells;
}

// What a cell reads after " 7 " was written to it (in range): independent of the code's
// own tables on purpose.
QString ExpectedAfterSeven(int Col) {
  if (Col <= 3 || Col == 6 || Col == 12 || Col == 18) return QString();  // file values; no such lookup name
  if (Col == 7 || Col == 8) return "No";
  return Col <= 31 ? " 7 " : "7";  // field texts keep their blanks, the rest is trimmed
}

// Writes " 7 " to every column at the edge rows of its section: what is stored, that the
// write landed only in that cell, and that rows outside the section neither read nor write.
TEST(SovFile, SetGetSweepAtSectionEdges) {
  const std::vector<QString> Empty = Snapshot(TSovFile(Lookup(), UsFormatSettings()));
  EXPECT_EQ(Empty[0], "2");
  for (int Col = -1; Col <= SovCol::LastFileColumn + 2; ++Col) {
    SCOPED_TRACE("column " + std::to_string(Col));
    const QString Section = TSovFile(Lookup(), UsFormatSettings()).SectionOfColumn(Col);
    const int Last = TSovFile(Lookup(), UsFormatSettings()).RowCount(Section);
    const bool IsField = Section == "Field";
    for (int Row : {INT_MIN, -1, 0, 1, Last, Last + 1, INT_MAX}) {
      TSovFile File(Lookup(), UsFormatSettings());
      File.SetCell(Row, Col, " 7 ");
      const bool InSection = Col >= SovCol::FirstField && Col <= SovCol::LastFileColumn &&
                             (IsField || (Row >= 1 && Row <= Last));
      if (!InSection) {
        EXPECT_EQ(Snapshot(File), Empty) << Row;
        EXPECT_TRUE(File.GetCell(Row, Col).isEmpty()) << Row;
        continue;
      }
      EXPECT_EQ(File.GetCell(Row, Col), ExpectedAfterSeven(Col)) << Row;
      // Only this cell changed: clear it again and compare with the empty field.
      const bool Index = Col == SovCol::EvDay || Col == SovCol::EvCode || Col == SovCol::EvKey1 || Col == 49;  // EvKey2
      const bool StoredNothing = Col == 6 || Col == 7 || Col == 8 || Col == 12 || Col == 18;  // names, Yes/No
      if (!StoredNothing) File.SetCell(Row, Col, Index ? "0" : "");
      EXPECT_EQ(Snapshot(File), Empty) << Row;
    }
    if (!IsField && Last > 0) {  // rows outside the section read as empty beside data
      TSovFile File(Lookup(), UsFormatSettings());
      for (int Row = 1; Row <= Last; ++Row) File.SetCell(Row, Col, "5");
      EXPECT_EQ(File.GetCell(0, Col), "") << Col;
      EXPECT_EQ(File.GetCell(Last + 1, Col), "") << Col;
    }
  }
  TSovFile File(Lookup(), UsFormatSettings());
  File.SetCell(0, SovCol::FarmName, "Home farm");  // field columns ignore the row
  EXPECT_EQ(File.GetCell(400, SovCol::FarmName), "Home farm");
}

TEST(SovFile, IndexesBooleansAndLookupNames) {
  TSovFile File(Lookup(), UsFormatSettings());
  for (const auto& [Text, Stored] : {std::pair{" 12 ", "12"}, {"-3", "-3"}, {"1.5", "0"}, {"", "0"}, {"99999999999", "0"}}) {
    for (int Col : {SovCol::EvDay, SovCol::EvCode, SovCol::EvKey1, SovCol::EvKey2}) {
      File.SetCell(1, Col, Text);
      EXPECT_EQ(File.GetCell(1, Col), Stored) << Text << " col " << Col;
    }
  }
  File.SetCellInt(3, SovCol::EvValue, -25);
  EXPECT_EQ(File.GetCell(3, SovCol::EvValue), "-25");
  for (const char* Text : {"on", "YES", " Yes "}) {
    File.SetCell(1, SovCol::IsMetric, "No");
    File.SetCell(1, SovCol::IsMetric, Text);
    EXPECT_TRUE(File.IsMetric()) << Text;
    EXPECT_EQ(File.GetCell(1, SovCol::IsMetric), "Yes") << Text;
  }
  for (const char* Text : {"maybe", "", "0"}) {
    File.SetCell(1, SovCol::IsCoastal, "Yes");
    File.SetCell(1, SovCol::IsCoastal, Text);
    EXPECT_FALSE(File.IsCoastal()) << Text;
    EXPECT_EQ(File.GetCell(1, SovCol::IsCoastal), "No") << Text;
  }
  File.SetCell(1, SovCol::Crop, "CORN");
  File.SetCell(1, SovCol::PreviousCrop, " alfalfa ");
  File.SetCell(1, SovCol::Location, "cape town");
  EXPECT_EQ(File.Crop(), 1);
  EXPECT_EQ(File.GetCell(1, SovCol::Crop), "Corn");
  EXPECT_EQ(File.PreviousCrop(), 2);
  EXPECT_EQ(File.GetCell(1, SovCol::PreviousCrop), "Alfalfa");
  EXPECT_EQ(File.Location(), 2);
  EXPECT_EQ(File.GetCell(1, SovCol::Location), "Cape Town");
  EXPECT_FALSE(File.IsUSLocation(2));
  for (int Location : {0, -5, 1, 3, INT_MAX}) EXPECT_TRUE(File.IsUSLocation(Location)) << Location;
  File.SetCell(1, SovCol::Crop, "Wheat");
  EXPECT_EQ(File.Crop(), 0);
  EXPECT_EQ(File.GetCell(1, SovCol::Crop), "");
  File.SetCrop(3);
  EXPECT_EQ(File.GetCell(1, SovCol::Crop), "Rising");
  for (int Bad : {-1, 4, INT_MAX, INT_MIN}) {
    File.SetCrop(Bad);
    File.SetPreviousCrop(Bad);
    File.SetLocation(Bad);
    EXPECT_EQ(File.Crop(), 0) << Bad;
    EXPECT_EQ(File.PreviousCrop(), 0) << Bad;
    EXPECT_EQ(File.Location(), 0) << Bad;
  }
}

TEST(SovFile, ColumnsAndSections) {
  TSovFile File(Lookup(), UsFormatSettings());
  for (int Col = 1; Col <= SovCol::LastFileColumn; ++Col) {
    EXPECT_EQ(File.ColumnIndex(File.SectionOfColumn(Col).toLower(), File.ColumnName(Col).toUpper()), Col);
  }
  for (int Col : {INT_MIN, 0, 62, INT_MAX}) {
    EXPECT_EQ(File.SectionOfColumn(Col), "") << Col;
    EXPECT_EQ(File.ColumnName(Col), "") << Col;
  }
  EXPECT_EQ(File.ColumnIndex("Weather", "notes"), SovCol::WeatherNotes);
  EXPECT_EQ(File.ColumnIndex("Field", "Notes"), SovCol::Notes);
  EXPECT_EQ(File.ColumnIndex("Event", "Depth"), 0);
  for (const auto& [Section, Rows] : {std::pair{"horizon", 10}, {"SOVINFO", 1}, {"Field", 1}, {"event", 50},
                                      {"Weather", 365}, {"Schedule", -1}, {"", -1}})
    EXPECT_EQ(File.RowCount(Section), Rows) << Section;
  File.SetCell(3, SovCol::HzCEC, "12");
  File.SetCell(365, SovCol::WeatherNotes, "last day");
  File.SetCell(1, SovCol::GrowthStage, "I");
  for (int Row : {INT_MIN, 0, 1, 2, 3, 11, 365, 366, INT_MAX}) {
    EXPECT_EQ(File.HorizonHasData(Row), Row == 3) << Row;
    EXPECT_EQ(File.WeatherDayHasData(Row), Row == 1 || Row == 365) << Row;
  }
}

TEST(SovFile, NumbersInTheUsersForm) {
  TSovFile German(Lookup(), GermanFormatSettings());
  EXPECT_EQ(German.UserFormat().DecimalSeparator, QChar(','));
  EXPECT_EQ(German.FileFormat(), Lookup().FileFormat());
  // The user's form takes the file's two-digit-year window, also the program's own form.
  EXPECT_EQ(German.UserFormat().TwoDigitYearCenturyWindow, Lookup().FileFormat().TwoDigitYearCenturyWindow);
  EXPECT_EQ(TSovFile(Lookup()).UserFormat().TwoDigitYearCenturyWindow, Lookup().FileFormat().TwoDigitYearCenturyWindow);
  German.SetCell(2, SovCol::Precip, "3,5");
  German.SetCell(3, SovCol::Precip, "3.5");  // no number here
  German.SetCell(1, SovCol::Latitude, " 41,25 ");
  EXPECT_DOUBLE_EQ(German.GetCellFloat(2, SovCol::Precip), 3.5);
  EXPECT_DOUBLE_EQ(German.GetCellFloat(3, SovCol::Precip), 0.0);
  EXPECT_DOUBLE_EQ(German.GetCellFloat(1, SovCol::Latitude), 41.25);
  double Value = 0;
  EXPECT_TRUE(German.ColumnAverage(SovCol::Precip, 3, Value, false));
  EXPECT_DOUBLE_EQ(Value, 3.5);
  TSovFile Us(Lookup(), UsFormatSettings());
  Us.SetCell(3, SovCol::Precip, "nan");
  Us.SetCell(4, SovCol::Precip, "1e999");
  Us.SetCell(1, SovCol::GrowingSeason, "120.5");
  EXPECT_EQ(Us.GetCellFloat(3, SovCol::Precip), 0);
  EXPECT_EQ(Us.GetCellFloat(4, SovCol::Precip), 0);
  EXPECT_EQ(Us.GetCellInt(1, SovCol::GrowingSeason), 0);
}

TEST(SovFile, ColumnStatistics) {
  const struct {
    std::vector<const char*> Cells;  // days 1..n of column Precip
    bool EmptyAsZero, AvgOk;
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
      {{"-2", "-4"}, false, true, -3, true, -2, true, -4},
      {{"20000"}, false, true, 20000, true, 20000, false, 10000},  // the minimum starts at 10000
      {{"-10000"}, false, true, -10000, false, -10000, true, -10000},
      {{"1e308", "1e308"}, false, false, 0, true, 1e308, false, 10000},  // the sum overflows
  };
  for (const auto& C : Cases) {
    TSovFile File(Lookup(), UsFormatSettings());
    const int Rows = int(C.Cells.size());
    for (int Row = 1; Row <= Rows; ++Row) File.SetCell(Row, SovCol::Precip, C.Cells[size_t(Row - 1)]);
    File.SetCell(Rows + 1, SovCol::Precip, "1000");  // beyond Rows: never counted
    double Avg = 0, Max = 0, Min = 0;
    EXPECT_EQ(File.ColumnAverage(SovCol::Precip, Rows, Avg, C.EmptyAsZero), C.AvgOk) << C.Cells[0];
    EXPECT_EQ(File.ColumnMax(SovCol::Precip, Rows, Max, C.EmptyAsZero), C.MaxOk) << C.Cells[0];
    EXPECT_EQ(File.ColumnMin(SovCol::Precip, Rows, Min, C.EmptyAsZero), C.MinOk) << C.Cells[0];
    EXPECT_EQ(Avg, C.Avg) << C.Cells[0];
    EXPECT_EQ(Max, C.Max) << C.Cells[0];
    EXPECT_EQ(Min, C.Min) << C.Cells[0];
  }
  // Huge or negative row counts neither hang nor read outside the section.
  TSovFile File(Lookup(), UsFormatSettings());
  double Value = 0;
  File.SetCell(1, SovCol::Precip, "1");
  EXPECT_TRUE(File.ColumnMax(SovCol::Precip, INT_MAX, Value, false));
  EXPECT_FALSE(File.ColumnMax(SovCol::Precip, INT_MIN, Value, false));
  EXPECT_FALSE(File.ColumnAverage(999, 365, Value, false));
}

// A derived class that serves one more column; the base's queries must see it.
class TExtraColumnFile : public TSovFile {
 public:
  using TSovFile::TSovFile;
  QString GetCell(int Row, int Col) const override {
    if (Col == 62) return Row >= 1 && Row <= 3 ? QString::number(Row * 10) : QString();
    return Col == SovCol::HzDepth && Row == 7 ? "99" : TSovFile::GetCell(Row, Col);
  }
};

TEST(SovFile, QueriesDispatchVirtually) {
  TExtraColumnFile File(Lookup(), UsFormatSettings());
  double Average = 0, Max = 0;
  EXPECT_TRUE(File.ColumnAverage(62, 365, Average, false));
  EXPECT_TRUE(File.ColumnMax(62, 365, Max, false));
  EXPECT_EQ(Average, 20);
  EXPECT_EQ(Max, 30);
  EXPECT_DOUBLE_EQ(File.GetCellFloat(2, 62), 20);
  EXPECT_EQ(File.GetCellInt(3, 62), 30);
  EXPECT_TRUE(File.HorizonHasData(7));
}

TEST(SovFile, DaysFromPlantingAndSeason) {
  TSovFile File(Lookup(), UsFormatSettings());
  EXPECT_EQ(File.DaysFromPlanting(1, 100), 0);  // no crop in the field: nothing
  EXPECT_EQ(File.TotalSeasonDays(1, 100), 0);
  File.SetCell(1, SovCol::Crop, "Corn");
  EXPECT_EQ(File.DaysFromPlanting(1, 100), 112);
  EXPECT_EQ(File.DaysFromPlanting(2, 30), 30);   // perennial
  EXPECT_EQ(File.TotalSeasonDays(1, 100), 140);  // 112 / 0.80
  EXPECT_EQ(File.TotalSeasonDays(2, 80), 100);
  EXPECT_EQ(File.TotalSeasonDays(3, 86), 122);  // 122.5: halves to even
  EXPECT_EQ(File.TotalSeasonDays(3, 90), 128);  // 127.5
  for (int Bad : {0, -1, 4, INT_MAX}) EXPECT_TRUE(File.DaysFromPlanting(Bad, 10) + File.TotalSeasonDays(Bad, 10) == 0);
  EXPECT_EQ(File.DaysFromPlanting(1, INT_MAX), INT_MAX);
}

}  // namespace
