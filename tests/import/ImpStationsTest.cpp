#include "ImpStations.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

QString IDs(const TImportedStations& S) {
  QStringList Result;
  for (int I = 0; I < S.Count(); ++I) Result.append(S.GetStationID(I));
  return Result.join(u' ');
}

// A bearing on a sector's upper limit belongs to that sector; angles round halves to
// the even neighbour.
TEST(ImpStations, CompassSectorsAndBearings) {
  const QStringList Names = u"N NNE NE ENE E ESE SE SSE S SSW SW WSW W WNW NW NNW N"_s.split(u' ');
  for (int I = 0; I < 16; ++I) {
    const double Limit = 11.25 + 22.5 * I;
    EXPECT_EQ(BearingToCompass(Limit - 11.25), Names[I]) << Limit;  // the sector's middle: 0, 22.5, ...
    EXPECT_EQ(BearingToCompass(Limit), Names[I]) << Limit;
    EXPECT_EQ(BearingToCompass(Limit + 0.01), Names[I + 1]) << Limit;
  }
  const struct {
    double Angle;
    int Bearing;
  } Cases[] = {{-0.4, 0},   {0.5, 0},      {1.5, 2},     {2.5, 2},  {-90, 270}, {90, 90},
               {-180, 180}, {-179.5, 180}, {179.5, 180}, {-0.5, 0}, {359.6, 0}, {NaN, 0}};
  for (const auto& C : Cases) EXPECT_EQ(BearingFromAngle(C.Angle), C.Bearing) << C.Angle;
}

// The field at 40 N, 100 W; one degree of latitude is 111.2 km (69.1 miles). Distance,
// bearing and direction become fields 6 to 8, replacing those of an earlier call;
// stations without usable coordinates are left as they are.
TEST(ImpStations, DistancesAndBearingsFromTheField) {
  const struct {
    const char *Line, *Expected;  // km, miles, bearing, direction
  } Cases[] = {{"NORTH=n,41,-100,300,20131231", "111.2 69.1 0 N"},
               {"WEST=n,40,-101", "85.2 52.9 270 W"},
               {"SOUTH=n,39.0,-100.0", "111.2 69.1 180 S"},
               {"EAST=n,40,-99", "85.2 52.9 90 E"},
               {"NE=n,41,-99", "139.7 86.8 37 NE"},
               {"SW=n,39.5,-100.5", "70.1 43.6 218 SW"},
               {"HERE=n,40,-100", "0.0 0.0 0 N"},
               {"COMMA=Ames\\, Iowa,41.5,-100,,", "166.8 103.6 0 N"},
               {"IDONLY=", ""},
               {"NAMEONLY=Just a name", ""},
               {"BADLAT=Bad,abc,-100,1,2", ""},
               {"NOLON=No,41,,1,2", ""},
               {"POLE=Beyond,95,-100,1,2", ""},
               {"HUGE=Huge,1e300,-100,1,2", ""}};
  TImportedStations Km, Miles;
  for (const auto& C : Cases) Km.Add(QLatin1String(C.Line));
  Miles = Km;
  Km.AddStationDistances(true, 40, -100);
  Miles.AddStationDistances(true, 41, -99);
  Miles.AddStationDistances(false, 40, -100);
  EXPECT_TRUE(Km.Metric);
  EXPECT_FALSE(Miles.Metric);
  for (int I = 0; I < Km.Count(); ++I) {
    const QStringList Values{Km.GetDistanceText(I), Miles.GetDistanceText(I), Km.GetBearingText(I), Km.GetDirection(I)};
    EXPECT_EQ(Values.join(u' ').trimmed(), QLatin1String(Cases[I].Expected)) << Cases[I].Line;
    if (!*Cases[I].Expected) {  // no usable coordinates: left as it was
      EXPECT_EQ(Km.Strings(I), QLatin1String(Cases[I].Line));
      EXPECT_EQ(Miles.Strings(I), Km.Strings(I));
    }
  }
  EXPECT_EQ(Km.Strings(1), u"WEST=n,40,-101,,,85.2,270,W");
  EXPECT_EQ(Km.GetElevation(0), u"300");
  EXPECT_EQ(Km.GetEndDate(0), u"20131231");
  EXPECT_EQ(Km.GetStationName(7), u"Ames, Iowa");
  EXPECT_EQ(Km.GetDistance(1), 85.2);
  EXPECT_EQ(Km.GetDistance(8), 0.0);
  // A field position that is not a number changes nothing.
  const QStringList Before = Km.Lines();
  Km.AddStationDistances(false, NaN, -100);
  EXPECT_EQ(Km.Lines(), Before);
}

TEST(ImpStations, GettersUnescapeAndCheckIndexes) {
  TImportedStations S;
  S.AddStation(u"X1"_s, {u"Ames, Iowa \\ north"_s, u"42.0"_s, u"-93.6"_s});
  EXPECT_EQ(S.Strings(0), u"X1=Ames\\, Iowa \\\\ north,42.0,-93.6");
  EXPECT_EQ(S.GetStationName(0), u"Ames, Iowa \\ north");
  // An identifier that would not read back is left out.
  for (const QString& BadID : {QString(), u"A=B"_s}) S.AddStation(BadID, {u"Name"_s});
  EXPECT_EQ(S.Count(), 1);
  S.Add(u"X2=n,1,2,3,4,abc,5,N"_s);
  EXPECT_EQ(S.GetDistance(1), 0.0);
  for (int Bad : {-1, 2}) {
    EXPECT_EQ(S.GetStationID(Bad), QString()) << Bad;
    EXPECT_EQ(S.GetStationName(Bad), QString()) << Bad;
    EXPECT_EQ(S.GetDistance(Bad), 0.0) << Bad;
  }
  // Case is folded for ASCII letters only: "é" sorts after "z".
  EXPECT_EQ(CompareTextAscii(u"ames"_s, u"AMES"_s), 0);
  EXPECT_LT(CompareTextAscii(u"E"_s, u"ENE"_s), 0);
  EXPECT_GT(CompareTextAscii(u"\u00E9"_s, u"z"_s), 0);
  EXPECT_NE(CompareTextAscii(u"\u00E9"_s, u"\u00C9"_s), 0);
}

// The four sorts, both ways, over stations with mixed-case, equal and missing names,
// distances and directions.
TEST(ImpStations, SortsPutMissingValuesLast) {
  TImportedStations Sample;
  for (const QString& Line :
       u"B2=Boone,,,,,20.0,225,SW a1=ames,,,,,12.5,0,N C3=Ames,,,,,12.5,22,NNE D4=,,,,,0.0,90,E "
       u"E5=Zearing F6= A0=boone,,,,,5.0,230,sw G7=Nevada,,,,,xx,0,N"_s.split(u' '))
    Sample.Add(Line);
  const struct {
    void (TImportedStations::*Sort)(bool);
    const char *Ascending, *Descending;
  } Cases[] = {
      {&TImportedStations::SortByID, "A0 a1 B2 C3 D4 E5 F6 G7", "G7 F6 E5 D4 C3 B2 a1 A0"},
      {&TImportedStations::SortByName, "a1 C3 A0 B2 G7 E5 D4 F6", "E5 G7 A0 B2 a1 C3 D4 F6"},
      {&TImportedStations::SortByDistance, "D4 A0 a1 C3 B2 G7 E5 F6", "B2 a1 C3 A0 D4 G7 E5 F6"},
      {&TImportedStations::SortByDirection, "D4 a1 G7 C3 A0 B2 E5 F6", "A0 B2 C3 a1 G7 D4 E5 F6"},
  };
  for (const auto& C : Cases) {
    TImportedStations S = Sample;
    (S.*C.Sort)(true);
    EXPECT_EQ(IDs(S), QLatin1String(C.Ascending));
    (S.*C.Sort)(false);
    EXPECT_EQ(IDs(S), QLatin1String(C.Descending));
  }

  // Equal identifiers keep their order in both directions.
  TImportedStations Same;
  for (const QString& Line : u"K=first J=x k=second K=third"_s.split(u' ')) Same.Add(Line);
  Same.SortByID(true);
  EXPECT_EQ(Same.Lines().join(u' '), u"J=x K=first k=second K=third");
  Same.SortByID(false);
  EXPECT_EQ(Same.Lines().join(u' '), u"K=first k=second K=third J=x");
}

// Many stations with few distinct keys and distinct identifiers: every sort is then a
// total order, so its result cannot depend on the starting order.
TEST(ImpStations, SortsAreConsistentOrders) {
  QRandomGenerator Random(42);
  const char* Names[] = {"", "Ames", "ames", "Boone", "Nevada", "zearing"};
  const char* Distances[] = {"", "", "0.0", "0", "5.0", "12.5", "12.50", "x", "1e3"};
  const char* Directions[] = {"", "N", "NNE", "n", "E", "SW"};
  TImportedStations S;
  for (int I = 0; I < 300; ++I) {
    S.AddStation(u"ID"_s + QString::number(I), {QLatin1String(Names[Random.bounded(6)]), QString(), QString(),
                                                QString(), QString(), QLatin1String(Distances[Random.bounded(9)]),
                                                QString(), QLatin1String(Directions[Random.bounded(6)])});
  }
  TImportedStations Reversed;
  for (int I = S.Count() - 1; I >= 0; --I) Reversed.Add(S.Strings(I));
  for (auto Sort : {&TImportedStations::SortByID, &TImportedStations::SortByName, &TImportedStations::SortByDistance,
                    &TImportedStations::SortByDirection}) {
    for (const bool Ascending : {true, false}) {
      (S.*Sort)(Ascending);
      (Reversed.*Sort)(Ascending);
      ASSERT_EQ(S.Lines(), Reversed.Lines());
    }
  }
}

}  // namespace
