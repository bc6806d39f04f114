// A changed starting date: the question asked before the weather and the events move.
#include "SovStartDate.h"
#include "TestSupport.h"

namespace {

// The question names the events a move deletes, with their dates in the user's form, and
// only when it deletes some (the example's events lie on days 1, 1, 2, 52 and 85).
TEST(GridStartDate, QuestionNamesTheEventsAMoveDeletes) {
  const struct {
    bool German, FreeFirstDays;  // the events of days 1 and 2 taken out first
    const char *Typed, *Moved;   // the question's middle paragraph
  } Cases[] = {
      {false, false, "6/20/2013", "Weather data will be moved up. Any weather data before 6/20/2013 will be lost.\n"
                                  "4 events will be lost too: 4/15/2013, 4/16/2013, 6/5/2013."},
      {false, true, "4/20/2013", "Weather data will be moved up. Any weather data before 4/20/2013 will be lost."},
      {false, false, "6/19/2012", "Weather data will be moved down. Any weather data after 6/18/2013 will be lost.\n"
                                  "1 event will be lost too: 7/8/2013."},
      {false, false, "4/10/2013", "Weather data will be moved down. Any weather data after 4/9/2014 will be lost."},
      {true, false, "20.06.2013", "Weather data will be moved up. Any weather data before 20.06.2013 will be lost.\n"
                                  "4 events will be lost too: 15.04.2013, 16.04.2013, 05.06.2013."},
  };
  for (const auto& C : Cases) {
    const TFormatSettings Format = C.German ? GermanFormatSettings() : UsFormatSettings();
    TSovFile Field(ShippedLookup(), Format);
    QString Msg;
    ASSERT_TRUE(Field.LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-metric.sov", Msg));
    for (int Slot = 1; Slot <= (C.FreeFirstDays ? 3 : 0); ++Slot) Field.SetCellInt(Slot, SovCol::EvDay, 0);
    TGridStartDate Start(Format);
    Start.Reset(Field.GetCell(0, SovCol::StartingDate));
    EXPECT_EQ(Start.Change(C.Typed, Field).Question.section("\n\n", 1, 1), QString(C.Moved)) << C.Typed;
  }
}

}  // namespace
