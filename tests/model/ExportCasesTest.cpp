// Export cases found in review: values edited after a calculation that the exports
// must still turn into sound text.

#include "SovSched.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const TSovLookup& ShippedLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    QString Msg;
    EXPECT_TRUE(L->LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) << Msg.toStdString();
    return L;
  }();
  return *Lookup;
}

// The residue left on the field is 100 less the cover; a cover at the edge of the
// integer range must not overflow into a wrong number (or undefined behaviour).
TEST(JsonExportCases, ResidueAtTheEdgesOfTheIntegerRange) {
  const struct {
    const char* Residue;
    const char* Icrip;
  } Cases[] = {{"0", "100"}, {"-2147483648", "2147483748"}, {"2147483647", "-2147483547"}};
  TSovSchedule F(ShippedLookup(), GermanFormatSettings());
  QString Msg;
  ASSERT_TRUE(F.LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-metric.sov", Msg)) << Msg.toStdString();
  F.SetCell(1, SovCol::CalculationDate, F.GetCell(1, SovCol::StartingDate));
  F.Calculate();
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("ic.json");
  for (const auto& C : Cases) {
    F.SetCell(1, SovCol::StartingResidue, C.Residue);
    ASSERT_TRUE(F.ExportAceJson(Name, 1, false, Msg)) << Msg.toStdString();
    QFile File(Name);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QJsonObject Root = QJsonDocument::fromJson(File.readAll()).object();
    EXPECT_EQ(Root["experiments"][0]["initial_conditions"]["icrip"].toString().toStdString(), C.Icrip) << C.Residue;
  }
}

}  // namespace
