#pragma once
// Shared set-up of the dialog tests: one QApplication for the whole test program, the
// region's lookup file, and a message-box stand-in that records the texts and answers
// from a queue instead of waiting for a person.

#include "MsgDlg.h"
#include "SovLookup.h"
#include "SovSched.h"

#include <QApplication>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

inline QApplication& TestApp() {
  static int Argc = 1;
  static char Name[] = "furrow_ui_tests";
  static char* Argv[] = {Name, nullptr};
  static QApplication* App = [] {
    if (auto* Existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return Existing;
    return new QApplication(Argc, Argv);
  }();
  return *App;
}

inline const TSovLookup& RegionLookup() {
  static const TSovLookup Lookup = [] {
    TSovLookup L;
    QString Msg;
    if (!L.LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg)) {
      ADD_FAILURE() << Msg.toStdString();
    }
    return L;
  }();
  return Lookup;
}

// Records every message and answers with the queued buttons (Ok when the queue is
// empty). Restores the real message box when it goes out of scope.
class TMessageRecorder {
 public:
  TMessageRecorder() {
    SetMessageDlgHandler([this](QWidget*, TMsgDlgType Type, const QString& Text,
                                QMessageBox::StandardButtons) {
      Messages << Text;
      Types.push_back(Type);
      if (Answers.empty()) return QMessageBox::Ok;
      const auto Answer = Answers.front();
      Answers.pop_front();
      return Answer;
    });
  }
  ~TMessageRecorder() { SetMessageDlgHandler({}); }
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;

  QStringList Messages;
  std::vector<TMsgDlgType> Types;
  std::deque<QMessageBox::StandardButton> Answers;
};

// A schedule whose results a test sets directly, as a calculation would leave them.
class TScheduleProbe : public TSovSchedule {
 public:
  using TSovSchedule::TSovSchedule;
  using TSovSchedule::FAmmoniumN, TSovSchedule::FDenitrifiedN, TSovSchedule::FDepletedMoisture, TSovSchedule::FETCrop, TSovSchedule::FExcessWater, TSovSchedule::FGddSum;
  using TSovSchedule::FIrrigation, TSovSchedule::FLeachedN, TSovSchedule::FMineralizedN, TSovSchedule::FNitrateN, TSovSchedule::FPrecip;
  using TSovSchedule::FRelativeMoisture, TSovSchedule::FSoilMoisture, TSovSchedule::FUptakeN, TSovSchedule::FVolatilizedN;

  void SetFileName(const QString& Name) { FFileName = Name; }
  void SetDays(int Count, const QDate& Start, int DaysBeforeEmergence) {
    FDayCount = Count;
    FStartDate = Start;
    FEmergenceDate = Start.addDays(DaysBeforeEmergence);
    FScalars.DaysBeforeEmergence = DaysBeforeEmergence;
  }
};
