#include "SovStartDate.h"

#include "SovFile.h"

#include <algorithm>
#include <set>

namespace {

bool ReadStartDate(const QString& Text, const TFormatSettings& Format, QDate& Date) {
  return TSovFile::IsValidDate(Text, SovCol::StartingDate, 0, Format, Date);
}

// The day an event of day Day is on after the days move by Shift; 0 when the move takes
// it outside the schedule year.
int ShiftedEventDay(int Day, int Shift) {
  const int NewDay = Day + Shift;
  return NewDay >= 1 && NewDay <= MaxDays ? NewDay : 0;
}

}  // namespace

void TGridStartDate::Reset(const QString& Text) {
  FDate = QDate();
  FText.clear();
  Place(Text);
}

void TGridStartDate::Place(const QString& Text) {
  QDate Date;
  if (!ReadStartDate(Text, FFormat, Date)) return;
  FDate = Date;
  FText = CleanText(Text);
}

bool TGridStartDate::WouldLose(const QString& TypedText) const {
  QDate Typed;
  return FDate.isValid() && !ReadStartDate(TypedText, FFormat, Typed);
}

TGridStartDate::TChange TGridStartDate::Change(const QString& TypedText, const TSovFile& Field) {
  TChange Result;
  QDate Typed;
  if (!ReadStartDate(TypedText, FFormat, Typed)) return Result;
  if (!FDate.isValid()) {
    Place(TypedText);
    return Result;
  }
  if (Typed == FDate) return Result;
  const QString Held = FText, New = CleanText(TypedText);
  Result.Shift = int(std::clamp<qint64>(Typed.daysTo(FDate), -MaxDays, MaxDays));

  QString& Text = Result.Question;
  Text = QStringLiteral("\nStarting date has changed from ") + Held + QStringLiteral(" to ") + New +
         QStringLiteral(".\n\n");
  if (Typed > FDate) {
    Text += QStringLiteral("Weather data will be moved up. Any weather data before ") + New +
            QStringLiteral(" will be lost.");
  } else {
    Text += QStringLiteral("Weather data will be moved down. Any weather data after ") +
            DateToStr(Typed.addDays(MaxDays - 1), FFormat) + QStringLiteral(" will be lost.");
  }
  // The events whose day the move takes outside the schedule year are deleted with it.
  int Lost = 0;
  std::set<int> LostDays;
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    const int Day = Field.GetCellInt(Slot, SovCol::EvDay);
    if (Day == 0) continue;  // a free slot
    if (ShiftedEventDay(Day, Result.Shift) != 0) continue;
    ++Lost;
    LostDays.insert(Day);
  }
  if (Lost > 0) {
    QStringList Dates;
    for (int Day : LostDays) Dates << DateToStr(FDate.addDays(Day - 1), FFormat);
    Text += QLatin1Char('\n') + QString::number(Lost) +
            (Lost == 1 ? QStringLiteral(" event will") : QStringLiteral(" events will")) +
            QStringLiteral(" be lost too: ") + Dates.join(QStringLiteral(", ")) + QLatin1Char('.');
  }
  Text += QStringLiteral("\n\n") + QStringLiteral("Click OK to proceed or Cancel to change ") +
          QStringLiteral("starting date back to ") + Held + QStringLiteral(".\n");
  return Result;
}

void TGridStartDate::ShiftEvents(TSovFile& Field, int Shift) {
  for (int Slot = 1; Slot <= MaxEvents; ++Slot) {
    const int Day = Field.GetCellInt(Slot, SovCol::EvDay);
    if (Day == 0) continue;  // a free slot
    if (const int NewDay = ShiftedEventDay(Day, Shift)) {
      Field.SetCellInt(Slot, SovCol::EvDay, NewDay);
    } else {
      for (int Col = SovCol::FirstEvent; Col <= SovCol::LastEvent; ++Col) Field.SetCell(Slot, Col, QString());
    }
  }
}
