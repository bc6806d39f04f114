// The soil horizon dialog: what the grid shows, the checks of OK and their messages,
// what is stored, and the water-holding capacity worked out after.
#include "DialogTestSupport.h"
#include "SvViewSoil.h"

namespace {

constexpr int Indiana = 14;

using THorizon = QStringList;  // grid columns 1-13; empty: no horizon
THorizon Hz(const char* Depth, const char* Awc = "0.20", const char* OM = "2.5") {
  return {Depth, "SIL", Awc, "0.12", "1.45", "9.17", "18", "62", "20", OM, "6.5", "0", "14.2"};
}
THorizon Decimal(THorizon H) {
  for (QString& Value : H) Value.replace(u'.', u',');
  return H;
}

struct TEdit {
  int Row;
  int Col;  // -1: every value of the row emptied
  const char* Text;
};

TEST(ViewSoil, ChecksStoresAndRecomputesTheCapacity) {
  TestApp();
  TMessageRecorder Msgs;
  const QString OutOfOrder = "\nHorizon depths are out of order.\n";
  const QString Missing = "\nValue is missing.\n";
  const QString Invalid = "\nValue is invalid.\n";
  const struct {
    const char* Name;
    TFormatSettings Format;
    bool Metric;
    const char* RootingDepth;
    std::vector<THorizon> Stored;
    std::vector<TEdit> Edits;
    std::vector<TEdit> Shown;  // grid cells before the edits
    QString Message;           // empty: none
    int FocusRow, FocusCol;    // of a refusal
    std::vector<THorizon> After;  // the field's horizons afterwards; Stored when empty and refused
    const char* Capacity;         // the capacity handed to the window; nullptr: none
  } Cases[] = {
      {"no horizons, OK without edits", UsFormatSettings(), true, "60", {}, {},
       {{1, 1, "cm"}, {1, 3, "cm/cm"}, {2, 0, ""}, {2, 1, ""}}, "", 0, 0, {}, nullptr},
      {"English depths: typed inches become whole cm, an untouched depth stays as stored", UsFormatSettings(),
       false, "2", {Hz("24"), Hz("45"), Hz("70")}, {{3, 1, "11.8"}, {4, 10, "3.0"}},
       {{0, 0, "Horizon"}, {0, 4, "Wilt Pt"}, {1, 1, "in"}, {1, 3, "in/in"}, {1, 5, "gm/cm3"}, {2, 0, "1"},
        {2, 1, "9.4"}, {3, 1, "18"}, {4, 1, "28"}, {2, 13, "14.2"}},
       "", 0, 0, {Hz("24"), Hz("30"), Hz("70", "0.20", "3.0")}, "4.80"},
      {"a row holding only a pH", UsFormatSettings(), true, "60", {Hz("30")}, {{3, 11, "6.5"}}, {}, Missing, 3, 1,
       {}, nullptr},
      {"an unknown texture", UsFormatSettings(), true, "60", {Hz("30")}, {{2, 2, "xyz"}}, {}, Invalid, 2, 2, {},
       nullptr},
      {"a metric depth with decimals", UsFormatSettings(), true, "60", {Hz("30")}, {{2, 1, "12.5"}}, {}, Invalid, 2,
       1, {}, nullptr},
      {"an empty KSat", UsFormatSettings(), true, "60", {Hz("30")}, {{2, 6, " "}}, {}, Invalid, 2, 6, {}, nullptr},
      {"depths 30, 30", UsFormatSettings(), true, "60", {Hz("30"), Hz("40")}, {{3, 1, "30"}}, {}, OutOfOrder, 3, 1,
       {}, nullptr},
      {"horizon 5 of five cleared", UsFormatSettings(), true, "40",
       {Hz("10"), Hz("20"), Hz("30"), Hz("40"), Hz("50")}, {{6, -1, ""}}, {}, "", 0, 0,
       {Hz("10"), Hz("20"), Hz("30"), Hz("40")}, "80.00"},
      {"comma decimals", GermanFormatSettings(), true, "30", {Decimal(Hz("30"))}, {{2, 3, "0,25"}},
       {{2, 3, "0,20"}}, "", 0, 0, {Decimal(Hz("30", "0.25"))}, "75,00"},
      {"horizons after a gap are shown and moved up when stored", UsFormatSettings(), true, "60",
       {Hz("10"), {}, Hz("40")}, {{2, 3, "0.30"}}, {{3, 0, ""}, {4, 0, "3"}, {4, 1, "40"}}, "", 0, 0,
       {Hz("10", "0.30"), Hz("40")}, "90.00"},
      {"the rooting depth missing: stored with a warning", UsFormatSettings(), true, "", {Hz("30")},
       {{2, 3, "0.25"}}, {}, "Unable to calculate Water Holding Capacity:\n\nRooting Depth is missing or invalid.\n",
       0, 0, {Hz("30", "0.25")}, nullptr},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSovSchedule Field(RegionLookup(), C.Format);
    for (size_t H = 0; H < C.Stored.size(); ++H) {
      for (int V = 0; V < C.Stored[H].size(); ++V) Field.SetCell(int(H) + 1, SovCol::HzDepth + V, C.Stored[H][V]);
    }
    int ModifiedCalls = 0;
    QString Capacity = QStringLiteral("(none)");
    TViewSoilHost Host{.IsMetric = C.Metric, .RootingDepthText = C.RootingDepth, .Location = Indiana,
                       .SetWaterCapacity = [&Capacity](const QString& Text) { Capacity = Text; },
                       .SetModified = [&ModifiedCalls] { ++ModifiedCalls; }};
    TViewSoilDlg D;
    D.SetSoilData(Field, Host);
    for (const TEdit& Cell : C.Shown) EXPECT_EQ(D.Cell(Cell.Row, Cell.Col), Cell.Text) << Cell.Row << "," << Cell.Col;
    EXPECT_FALSE(D.SoilDataChanged());
    for (const TEdit& Edit : C.Edits) {
      for (int Col = std::max(Edit.Col, 1); Col <= (Edit.Col < 0 ? HorizonValueCount : Edit.Col); ++Col)
        D.SetCell(Edit.Row, Col, QString::fromLatin1(Edit.Text));
    }
    Msgs.Take();
    const bool Refused = C.Message.startsWith(u'\n');
    EXPECT_EQ(Ok(D), Refused ? QDialog::Rejected : QDialog::Accepted);
    EXPECT_EQ(Msgs.Messages, C.Message.isEmpty() ? QStringList() : QStringList({C.Message}));
    if (Refused) {
      EXPECT_EQ(Msgs.Types.back(), TMsgDlgType::Error);
      EXPECT_EQ(QPoint(D.HorizonGrid->currentRow(), D.HorizonGrid->currentColumn()), QPoint(C.FocusRow, C.FocusCol));
    }
    const std::vector<THorizon>& After = Refused || (C.After.empty() && C.Edits.empty()) ? C.Stored : C.After;
    for (int H = 1; H <= MaxHorizons; ++H) {
      for (int V = 0; V < HorizonValueCount; ++V) {
        const QString Expected = size_t(H) <= After.size() ? After[size_t(H - 1)].value(V) : QString();
        EXPECT_EQ(Field.GetCell(H, SovCol::HzDepth + V), Expected) << "horizon " << H << " value " << V;
      }
    }
    EXPECT_EQ(ModifiedCalls, Refused || C.Edits.empty() ? 0 : 1);
    EXPECT_EQ(Capacity, C.Capacity ? QString::fromLatin1(C.Capacity) : QStringLiteral("(none)"));
  }
}

// Enter in a cell editor stores the typed value and leaves the dialog open; OK then
// stores it in the field.
TEST(ViewSoil, EnterInACellKeepsTheValueAndTheDialogOpen) {
  TestApp();
  TMessageRecorder Msgs;  // the capacity's warning: no rooting depth is given
  const struct {
    const char* Name;
    int Col;      // of horizon 1's row
    bool Escape;  // a click on the cell and Esc first
    const char* Typed;
  } Cases[] = {{"click, Esc, click the same cell", 3, true, "0.11"}, {"the cell current at opening", 1, false, "35"}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const auto Field = CalculatedExample("maricopa-cotton-metric.sov");
    TViewSoilDlg D;
    TViewSoilHost Host;
    Host.IsMetric = true;
    D.SetSoilData(*Field, Host);
    ShowActive(D);
    if (C.Escape) {
      ClickCell(*D.HorizonGrid, 2, C.Col);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
    ClickCell(*D.HorizonGrid, 2, C.Col);
    TypeKeys(C.Typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(Ok(D), QDialog::Accepted);
    EXPECT_EQ(Field->GetCell(1, SovCol::HzDepth + C.Col - 1), QString(C.Typed));
  }
}

}  // namespace
