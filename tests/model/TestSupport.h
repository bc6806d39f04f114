#pragma once
// Set-up shared by the model tests: lookup files read once, file bytes, numbers in a
// user's form, a writer of field cells and a limit on the size of written files.

#include "SovEventN.h"
#include "SovFile.h"
#include "SovLookup.h"

#include <QDate>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <memory>
#include <ostream>
#include <sys/resource.h>

// Readable strings and dates in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
inline void PrintTo(const QDate& Date, std::ostream* Out) { *Out << Date.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(QChar C, std::ostream* Out) { PrintTo(QString(C), Out); }

// A lookup file read once per test program.
inline const TSovLookup& LoadedLookup(const QString& Path) {
  static std::map<QString, std::unique_ptr<TSovLookup>> Cache;
  std::unique_ptr<TSovLookup>& L = Cache[Path];
  if (!L) {
    L = std::make_unique<TSovLookup>();
    QString Msg;
    EXPECT_TRUE(L->LoadFromFile(Path, Msg)) << Msg.toStdString();
  }
  return *L;
}
inline const TSovLookup& ShippedLookup() { return LoadedLookup(FURROW_SOURCE_DIR "/data/SovLookup.ini"); }
// A lookup file below tests/data, e.g. "field/FieldLookup.ini": crops 1 Corn (annual,
// 15/25/40/20 %, Kc 0.3/1.2/0.35, GDD 10-30 °C), 2 Alfalfa (perennial, 10/20/50/20 %,
// Kc 0.4/1.0/0.9), 3 Rising (20/30/30/20 %, Kc 0.4/0.8/1.1, GDD base 5); locations 1 Iowa,
// 2 Cape Town.
inline const TSovLookup& DataLookup(const char* Name) {
  return LoadedLookup(QString(FURROW_TEST_DATA_DIR "/") + Name);
}

inline QByteArray ReadAll(const QString& Name) {
  QFile F(Name);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}
inline bool WriteAll(const QString& Name, const QByteArray& Bytes) {
  QFile F(Name);
  return F.open(QIODevice::WriteOnly | QIODevice::Truncate) && F.write(Bytes) == Bytes.size();
}

// A number given with "." in the form of Format.
inline QString Local(const char* Text, const TFormatSettings& Format) {
  return QString::fromUtf8(Text).replace(QChar('.'), Format.DecimalSeparator);
}

inline void ExpectValid(const TSovFile& F) {
  QString Form;
  int Row = 0, Col = 0;
  EXPECT_TRUE(F.CheckFieldData(false, Form, Row, Col)) << Form.toStdString() << " column " << Col << " row " << Row;
}

// Writes cells of a field in its user form; Units() turns a metric value into the
// field's units.
struct FieldWriter {
  TSovFile& F;
  TFormatSettings Fmt;
  QString Num(double Value) const { return FormatGeneral(Value, Fmt); }
  double Units(double Metric, TUnitKind Kind) const {
    return F.IsMetric() ? Metric : TSovFile::FromMetric(Kind, Metric);
  }
  void Set(int Row, int Col, const QString& Text) { F.SetCell(Row, Col, Text); }
  void Set(int Row, int Col, const char* Text) { F.SetCell(Row, Col, QString::fromUtf8(Text)); }
  void Set(int Row, int Col, double Value) { F.SetCell(Row, Col, Num(Value)); }
  void Date(int Col, const QDate& D) { F.SetCell(1, Col, DateToStr(D, Fmt)); }
  void Horizon(int Row, int Depth, const QString& Texture, double Awc, double Wp = 0.1, double Bd = 1.4,
               double OM = 2.0, double pH = 6.5, const QString& Cec = QString()) {
    F.SetCellInt(Row, SovCol::HzDepth, Depth);
    F.SetCell(Row, SovCol::HzTexture, Texture);
    const double Values[] = {Awc, Wp, Bd, 10, OM, pH};
    const int Cols[] = {SovCol::HzAWC, SovCol::HzWiltingPoint, SovCol::HzBulkDensity, SovCol::HzKSat, SovCol::HzOM,
                        SovCol::HzpH};
    for (int i = 0; i < 6; ++i) Set(Row, Cols[i], Values[i]);
    F.SetCell(Row, SovCol::HzCEC, Cec);
  }
  void Event(int Slot, int Day, int Code, double Value, int Key1 = 0, int Key2 = 0) {
    F.SetCellInt(Slot, SovCol::EvDay, Day);
    F.SetCellInt(Slot, SovCol::EvCode, Code);
    F.SetCellInt(Slot, SovCol::EvKey1, Key1);
    F.SetCellInt(Slot, SovCol::EvKey2, Key2);
    Set(Slot, SovCol::EvValue, Value);
  }
  void Manure(int Slot, int Day, int Manure, int Method, double Rate, double Total, double Ammonium) {
    Event(Slot, Day, SovEvent::Manure, Rate, Manure, Method);
    Set(Slot, SovCol::EvValue2, Total);
    Set(Slot, SovCol::EvValue3, Ammonium);
  }
  // Metric weather of day d (°C, mm, m/s); a negative rain, irrigation, wind or
  // humidity leaves the cell empty.
  void Day(int d, double High, double Low, double Rain = -1, double Irrigation = -1, double Wind = -1,
           double Humidity = -1) {
    Set(d, SovCol::MaxTemp, Units(High, TUnitKind::Temperature));
    Set(d, SovCol::MinTemp, Units(Low, TUnitKind::Temperature));
    F.SetCell(d, SovCol::Precip, Rain < 0 ? QString() : Num(Units(Rain, TUnitKind::Water)));
    F.SetCell(d, SovCol::Irrigation, Irrigation < 0 ? QString() : Num(Units(Irrigation, TUnitKind::Water)));
    F.SetCell(d, SovCol::WindSpeed, Wind < 0 ? QString() : Num(Units(Wind, TUnitKind::WindSpeed)));
    F.SetCell(d, SovCol::Humidity, Humidity < 0 ? QString() : Num(Humidity));
  }
};

// Limits the size of files this process may write (root ignores folder permissions,
// but not this), so that writes beyond it fail with an error instead of a signal.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit New = FOld;
    New.rlim_cur = Bytes;
    FOk = setrlimit(RLIMIT_FSIZE, &New) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  bool Ok() const { return FOk; }

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
  bool FOk = false;
};
