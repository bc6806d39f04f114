#pragma once
// Shared set-up of the dialog tests: one QApplication for the whole test program, the
// region's lookup file, a message-box stand-in that records the texts and answers from
// a queue instead of waiting for a person, a program folder with main windows started
// in it, and a calculated field.

#include "MsgDlg.h"
#include "SovLookup.h"
#include "SovSched.h"
#include "SvMain.h"

// The widgets the tests look into.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <ostream>
#include <utility>

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
    if (!L.LoadFromFile(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), Msg)) ADD_FAILURE() << Msg.toStdString();
    return L;
  }();
  return Lookup;
}

// Records every message and answers with the queued buttons (Ok when the queue is
// empty). Restores the real message box when it goes out of scope.
class TMessageRecorder {
 public:
  TMessageRecorder() {
    SetMessageDlgHandler([this](QWidget*, TMsgDlgType Type, const QString& Text, QMessageBox::StandardButtons) {
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

  // The messages so far, which are then forgotten.
  QStringList Take() {
    Types.clear();
    return std::exchange(Messages, {});
  }

  QStringList Messages;
  std::vector<TMsgDlgType> Types;
  std::deque<QMessageBox::StandardButton> Answers;
};

inline QByteArray ReadBytes(const QString& Name) {
  QFile File(Name);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
}
inline bool WriteBytes(const QString& Name, const QByteArray& Bytes) {
  QFile File(Name);
  return File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size();
}

// Presses OK of a dialog (its slot OKBtnClick) and hands back its result.
inline int Ok(QDialog& Dialog) {
  EXPECT_TRUE(QMetaObject::invokeMethod(&Dialog, "OKBtnClick")) << Dialog.metaObject()->className();
  return Dialog.result();
}

// Shown without a modal loop as the active window, so that focus changes can be seen.
inline void ShowActive(QWidget& Window) {
  Window.show();
  Window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
}

// A left click on a cell of Grid, scrolled into sight first.
inline void ClickCell(QTableWidget& Grid, int Row, int Col) {
  Grid.scrollToItem(Grid.item(Row, Col));
  QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Grid.visualItemRect(Grid.item(Row, Col)).center());
}

// Keys typed one by one into whatever has the focus at each, as a person types them.
inline void TypeKeys(const char* Keys) {
  for (const char* Key = Keys; *Key; ++Key) QTest::keyClick(QApplication::focusWidget(), *Key);
}

template <typename T = QWidget>
T* Child(const QObject& Parent, const char* Name) {
  T* Widget = Parent.findChild<T*>(QLatin1String(Name));
  EXPECT_NE(Widget, nullptr) << Name;
  return Widget;
}

// A program folder "bin" holding the region's lookup file, in a temporary folder that
// also holds the user's folder "user" and copies of the example fields.
class TProgramFolder {
 public:
  TProgramFolder() {
    TestApp();  // before a test moves the temporary folder: Qt keeps its runtime folder there
    EXPECT_TRUE(QDir().mkpath(Bin));
    EXPECT_TRUE(QFile::copy(FURROW_SOURCE_DIR "/data/SovLookup.ini", Bin + "/SovLookup.ini"));
  }
  std::unique_ptr<TMainForm> NewForm(const TFormatSettings& Format = UsFormatSettings(), bool UserDir = true) const {
    return std::make_unique<TMainForm>(TMainFormEnvironment{Bin, UserDir ? Dir.filePath("user") : QString(), Format, QString()});
  }
  std::unique_ptr<TMainForm> Started(const TFormatSettings& Format = UsFormatSettings(), const QString& File = {}) const {
    auto Form = NewForm(Format);
    EXPECT_TRUE(Form->StartUpProgram(File));
    return Form;
  }
  // A fresh copy of an example field file.
  QString Example(const QString& Name) const {
    const QString Copy = Dir.filePath(Name);
    QFile::remove(Copy);
    EXPECT_TRUE(QFile::copy(FURROW_SOURCE_DIR "/data/examples/" + Name, Copy));
    return Copy;
  }

  QTemporaryDir Dir;
  const QString Bin = Dir.filePath("bin");
};

// An example field loaded with these settings, checked and calculated.
inline std::unique_ptr<TSovSchedule> CalculatedExample(const char* Name, const TFormatSettings& Format = UsFormatSettings()) {
  auto Field = std::make_unique<TSovSchedule>(RegionLookup(), Format);
  QString Msg;
  int Row = 0, Col = 0;
  EXPECT_TRUE(Field->LoadFromFile(FURROW_SOURCE_DIR "/data/examples/" + QLatin1String(Name), Msg)) << Msg.toStdString();
  EXPECT_TRUE(Field->CheckFieldData(false, Msg, Row, Col)) << Msg.toStdString();
  Field->Calculate();
  return Field;
}

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
