#pragma once
// The starting date by which a field's weather days and events were last placed, and
// what a change of the starting date does to them: the question put to the user before
// the days move, and the number of days they move by.
//
// The days are placed by the loaded field's starting date, by the date an import into
// the weather grid used and by the date a shift moved them to. A starting date that does
// not read as a date never takes that place; while the days have no date yet (a new
// field), the first starting date that reads becomes theirs without a question.

#include "MiscUtil.h"

#include <QDate>
#include <QString>

class TSovFile;

class TGridStartDate {
 public:
  explicit TGridStartDate(const TFormatSettings& Format) : FFormat(Format) {}

  // A field was loaded with the starting date Text: its days have no date when it does
  // not read.
  void Reset(const QString& Text);
  // The days were placed by the starting date Text; nothing changes when it does not read.
  void Place(const QString& Text);
  // The date and its text as the user last saw it (invalid and empty when none).
  const QDate& Date() const { return FDate; }
  const QString& Text() const { return FText; }
  // True when the days are placed by a date and TypedText does not read as one: the field
  // file would keep no record of the date they begin on.
  bool WouldLose(const QString& TypedText) const;

  struct TChange {
    QString Question;  // empty: nothing to ask, nothing moves
    int Shift = 0;     // days the weather and the events move (positive: to later days)
  };
  // What a starting date typed as TypedText asks before Field's days move. Nothing when
  // it does not read or names the day they are placed by; when they have no date yet it
  // becomes theirs. The question names the events the move deletes, with their dates.
  TChange Change(const QString& TypedText, const TSovFile& Field);

  // Moves Field's events by Shift days; those the move takes outside the schedule year
  // are deleted, the ones the question of Change names.
  static void ShiftEvents(TSovFile& Field, int Shift);

 private:
  TFormatSettings FFormat;
  QDate FDate;
  QString FText;
};
