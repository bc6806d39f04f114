#include "ImpStations.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <limits>

using namespace Qt::StringLiterals;

// Readable texts in failure output.
static void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace {

QStringList IDs(const TImportedStations& S) {
  QStringList Result;
  for (int I = 0; I < S.Count(); ++I) Result.append(S.GetStationID(I));
  return Result;
}

QStringList Split(const char* Text) { return QString::fromLatin1(Text).split(u' '); }

TEST(ImpStations, CompassSectorsIncludeTheirUpperLimit) {
  const struct {
    double Limit;
    const char* Name;
    const char* Next;
  } Sectors[] = {{11.25, "N", "NNE"},   {33.75, "NNE", "NE"},  {56.25, "NE", "ENE"},
                 {78.75, "ENE", "E"},   {101.25, "E", "ESE"},  {123.75, "ESE", "SE"},
                 {146.25, "SE", "SSE"}, {168.75, "SSE", "S"},  {191.25, "S", "SSW"},
                 {213.75, "SSW", "SW"}, {236.25, "SW", "WSW"}, {258.75, "WSW", "W"},
                 {281.25, "W", "WNW"},  {303.75, "WNW", "NW"}, {326.25, "NW", "NNW"},
                 {348.75, "NNW", "N"}};
  for (const auto& S : Sectors) {
    EXPECT_EQ(BearingToCompass(S.Limit), QString::fromLatin1(S.Name)) << S.Limit;
    EXPECT_EQ(BearingToCompass(S.Limit + 0.01), QString::fromLatin1(S.Next)) << S.Limit;
    EXPECT_EQ(BearingToCompass(S.Limit - 11.25), QString::fromLatin1(S.Name)) << S.Limit;
  }
  EXPECT_EQ(BearingToCompass(0), u"N");
  EXPECT_EQ(BearingToCompass(90), u"E");
  EXPECT_EQ(BearingToCompass(180), u"S");
  EXPECT_EQ(BearingToCompass(270), u"W");
  EXPECT_EQ(BearingToCompass(359), u"N");
}

TEST(ImpStations, BearingRoundsHalvesToEven) {
  const struct {
    double Angle;
    int Bearing;
  } Cases[] = {{-0.4, 0},   {0.5, 0},    {1.5, 2},     {2.5, 2},    {-90, 270},
               {90, 90},    {180, 180},  {-180, 180},  {179.5, 180}, {-179.5, 180},
               {-0.5, 360 % 360}, {359.6, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const auto& C : Cases) EXPECT_EQ(BearingFromAngle(C.Angle), C.Bearing) << C.Angle;
}

TEST(ImpStations, DistancesAndBearingsFromTheField) {
  // The field at 40 N, 100 W; one degree of latitude is 111.2 km (69.1 miles).
  const struct {
    const char* ID;
    const char* Lat;
    const char* Lon;
    const char* Km;
    const char* Miles;
    const char* Bearing;
    const char* Direction;
  } Cases[] = {
      {"NORTH", "41", "-100", "111.2", "69.1", "0", "N"},
      {"WEST", "40", "-101", "85.2", "52.9", "270", "W"},
      {"SOUTH", "39.0", "-100.0", "111.2", "69.1", "180", "S"},
      {"EAST", "40", "-99", "85.2", "52.9", "90", "E"},
      {"NE", "41", "-99", "139.7", "86.8", "37", "NE"},
      {"SW", "39.5", "-100.5", "70.1", "43.6", "218", "SW"},
      {"HERE", "40", "-100", "0.0", "0.0", "0", "N"},
  };
  for (const bool Metric : {true, false}) {
    TImportedStations S;
    for (const auto& C : Cases) {
      S.AddStation(QString::fromLatin1(C.ID),
                   {u"Station "_s + QString::fromLatin1(C.ID), QString::fromLatin1(C.Lat),
                    QString::fromLatin1(C.Lon), u"300"_s, u"20131231"_s});
    }
    S.AddStationDistances(Metric, 40, -100);
    EXPECT_EQ(S.Metric, Metric);
    for (int I = 0; I < S.Count(); ++I) {
      const auto& C = Cases[I];
      EXPECT_EQ(S.GetDistanceText(I), QString::fromLatin1(Metric ? C.Km : C.Miles)) << C.ID;
      EXPECT_EQ(S.GetBearingText(I), QString::fromLatin1(C.Bearing)) << C.ID;
      EXPECT_EQ(S.GetDirection(I), QString::fromLatin1(C.Direction)) << C.ID;
      EXPECT_EQ(S.GetElevation(I), u"300");
      EXPECT_EQ(S.GetEndDate(I), u"20131231");
    }
  }
}

TEST(ImpStations, DistancesLandInFieldsSixToEight) {
  TImportedStations S;
  S.Add(u"SHORT=Three fields,41,-100"_s);
  S.Add(u"IDONLY="_s);
  S.Add(u"NAMEONLY=Just a name"_s);
  S.Add(u"BADLAT=Bad,abc,-100,1,2"_s);
  S.Add(u"POLE=Beyond the pole,95,-100,1,2"_s);
  S.Add(u"HUGE=Huge,1e300,-100,1,2"_s);
  S.Add(u"NOLON=No longitude,41,,1,2"_s);
  S.Add(u"COMMA=Ames\\, Iowa,41.5,-100,,"_s);
  const QStringList Before = S.Lines();

  S.AddStationDistances(true, 40, -100);
  EXPECT_EQ(S.Strings(0), u"SHORT=Three fields,41,-100,,,111.2,0,N");
  for (int I = 1; I <= 6; ++I) EXPECT_EQ(S.Strings(I), Before.at(I)) << I;
  EXPECT_EQ(S.Strings(7), u"COMMA=Ames\\, Iowa,41.5,-100,,,166.8,0,N");
  EXPECT_EQ(S.GetStationName(7), u"Ames, Iowa");

  // A second call replaces the fields of the first.
  S.AddStationDistances(false, 41, -100);
  EXPECT_EQ(S.Strings(0), u"SHORT=Three fields,41,-100,,,0.0,0,N");
  EXPECT_EQ(S.Strings(7), u"COMMA=Ames\\, Iowa,41.5,-100,,,34.5,0,N");

  // A field position that is not a number changes nothing.
  const QStringList After = S.Lines();
  S.AddStationDistances(true, std::numeric_limits<double>::quiet_NaN(), -100);
  EXPECT_EQ(S.Lines(), After);
  EXPECT_TRUE(S.Metric);
}

TEST(ImpStations, GettersUnescapeAndCheckIndexes) {
  TImportedStations S;
  S.AddStation(u"X1"_s, {u"Ames, Iowa \\ north"_s, u"42.0"_s, u"-93.6"_s});
  EXPECT_EQ(S.Strings(0), u"X1=Ames\\, Iowa \\\\ north,42.0,-93.6");
  EXPECT_EQ(S.GetStationID(0), u"X1");
  EXPECT_EQ(S.GetStationName(0), u"Ames, Iowa \\ north");
  EXPECT_EQ(S.GetLatitude(0), u"42.0");
  EXPECT_EQ(S.GetLongitude(0), u"-93.6");
  EXPECT_EQ(S.GetEndDate(0), QString());
  EXPECT_EQ(S.GetDistanceText(0), QString());
  EXPECT_EQ(S.GetDistance(0), 0.0);
  S.Add(u"X2=n,1,2,3,4,abc,5,N"_s);
  EXPECT_EQ(S.GetDistance(1), 0.0);
  S.Add(u"X3=n,1,2,3,4,12.5,5,N"_s);
  EXPECT_EQ(S.GetDistance(2), 12.5);
  for (int Bad : {-1, 3, 1000}) {
    EXPECT_EQ(S.GetStationID(Bad), QString());
    EXPECT_EQ(S.GetStationName(Bad), QString());
    EXPECT_EQ(S.GetDistance(Bad), 0.0);
  }
}

// Stations with mixed-case, equal and missing names, distances and directions.
TImportedStations SortSample() {
  TImportedStations S;
  const char* Lines[] = {
      "B2=Boone,,,,,20.0,225,SW", "a1=ames,,,,,12.5,0,N",      "C3=Ames,,,,,12.5,22,NNE",
      "D4=,,,,,0.0,90,E",         "E5=Zearing",                "F6=",
      "A0=boone,,,,,5.0,230,sw",  "G7=Nevada,,,,,xx,0,N",
  };
  for (const char* Line : Lines) S.Add(QString::fromLatin1(Line));
  return S;
}

TEST(ImpStations, SortByIdentifier) {
  TImportedStations S = SortSample();
  S.SortByID(true);
  EXPECT_EQ(IDs(S), Split("A0 a1 B2 C3 D4 E5 F6 G7"));
  S.SortByID(false);
  EXPECT_EQ(IDs(S), Split("G7 F6 E5 D4 C3 B2 a1 A0"));

  // Equal identifiers keep their order in both directions.
  TImportedStations Same;
  for (const char* Line : {"K=first", "J=x", "k=second", "K=third"}) {
    Same.Add(QString::fromLatin1(Line));
  }
  Same.SortByID(true);
  EXPECT_EQ(Same.Lines(), QStringList({u"J=x"_s, u"K=first"_s, u"k=second"_s, u"K=third"_s}));
  Same.SortByID(false);
  EXPECT_EQ(Same.Lines(), QStringList({u"K=first"_s, u"k=second"_s, u"K=third"_s, u"J=x"_s}));
}

TEST(ImpStations, SortByNameEmptyNamesLast) {
  TImportedStations S = SortSample();
  S.SortByName(true);
  EXPECT_EQ(IDs(S), Split("a1 C3 A0 B2 G7 E5 D4 F6"));
  S.SortByName(false);
  EXPECT_EQ(IDs(S), Split("E5 G7 A0 B2 a1 C3 D4 F6"));
}

TEST(ImpStations, SortByDistanceMissingLast) {
  TImportedStations S = SortSample();
  S.SortByDistance(true);
  EXPECT_EQ(IDs(S), Split("D4 A0 a1 C3 B2 G7 E5 F6"));
  S.SortByDistance(false);
  EXPECT_EQ(IDs(S), Split("B2 a1 C3 A0 D4 G7 E5 F6"));
}

TEST(ImpStations, SortByDirectionThenName) {
  TImportedStations S = SortSample();
  S.SortByDirection(true);
  EXPECT_EQ(IDs(S), Split("D4 a1 G7 C3 A0 B2 E5 F6"));
  S.SortByDirection(false);
  EXPECT_EQ(IDs(S), Split("A0 B2 C3 a1 G7 D4 E5 F6"));
}

// Many stations with few distinct keys: every sort must give an order in which no
// station should come before its predecessor, whatever the starting order.
TEST(ImpStations, SortsAreConsistentOrders) {
  QRandomGenerator Random(42);
  const char* Names[] = {"", "Ames", "ames", "Boone", "Nevada", "zearing"};
  const char* Distances[] = {"", "", "0.0", "0", "5.0", "12.5", "12.50", "x", "1e3"};
  const char* Directions[] = {"", "N", "NNE", "n", "E", "SW"};
  TImportedStations S;
  for (int I = 0; I < 400; ++I) {
    S.AddStation(u"ID"_s + QString::number(Random.bounded(60)),
                 {QString::fromLatin1(Names[Random.bounded(6)]), QString(), QString(), QString(),
                  QString(), QString::fromLatin1(Distances[Random.bounded(9)]), QString(),
                  QString::fromLatin1(Directions[Random.bounded(6)])});
  }
  const auto NameKey = [&S](int I) { return S.GetStationName(I); };
  const auto NameOrder = [&](int I, int J) {  // <0, 0, >0 for ascending names
    const QString A = NameKey(I), B = NameKey(J);
    if (A.isEmpty() != B.isEmpty()) return A.isEmpty() ? 1 : -1;
    const int C = CompareTextAscii(A, B);
    return C != 0 ? C : CompareTextAscii(S.GetStationID(I), S.GetStationID(J));
  };
  for (const bool Ascending : {true, false}) {
    const int Sign = Ascending ? 1 : -1;
    S.SortByID(Ascending);
    for (int I = 1; I < S.Count(); ++I) {
      ASSERT_LE(Sign * CompareTextAscii(S.GetStationID(I - 1), S.GetStationID(I)), 0);
    }
    S.SortByName(Ascending);
    for (int I = 1; I < S.Count(); ++I) {
      const QString A = NameKey(I - 1), B = NameKey(I);
      if (A.isEmpty() || B.isEmpty()) {
        ASSERT_TRUE(!A.isEmpty() || B.isEmpty()) << I;
        if (A.isEmpty()) {
          ASSERT_LE(CompareTextAscii(S.GetStationID(I - 1), S.GetStationID(I)), 0);
        }
      } else {
        const int C = CompareTextAscii(A, B);
        ASSERT_LE(Sign * C, 0) << I;
        if (C == 0) {
          ASSERT_LE(CompareTextAscii(S.GetStationID(I - 1), S.GetStationID(I)), 0);
        }
      }
    }
    S.SortByDistance(Ascending);
    for (int I = 1; I < S.Count(); ++I) {
      double D1 = 0, D2 = 0;
      const bool Has1 = TryStrToFloat(S.GetDistanceText(I - 1), D1, S.FormatSettings);
      const bool Has2 = TryStrToFloat(S.GetDistanceText(I), D2, S.FormatSettings);
      ASSERT_TRUE(Has1 || !Has2) << I;
      if (Has1 && Has2 && D1 != D2) {
        ASSERT_LT(Sign * (D1 - D2), 0) << I;
      } else if (Has1 == Has2) {
        ASSERT_LE(NameOrder(I - 1, I), 0) << I;
      }
    }
    S.SortByDirection(Ascending);
    for (int I = 1; I < S.Count(); ++I) {
      const QString A = S.GetDirection(I - 1), B = S.GetDirection(I);
      ASSERT_TRUE(!A.isEmpty() || B.isEmpty()) << I;
      const int C = (A.isEmpty() || B.isEmpty()) ? 0 : CompareTextAscii(A, B);
      ASSERT_LE(Sign * C, 0) << I;
      if (C == 0 && A.isEmpty() == B.isEmpty()) {
        ASSERT_LE(NameOrder(I - 1, I), 0) << I;
      }
    }
  }
}

TEST(ImpStations, CompareTextFoldsAsciiOnly) {
  EXPECT_EQ(CompareTextAscii(u"ames"_s, u"AMES"_s), 0);
  EXPECT_LT(CompareTextAscii(u"Ames"_s, u"boone"_s), 0);
  EXPECT_LT(CompareTextAscii(u"E"_s, u"ENE"_s), 0);
  EXPECT_LT(CompareTextAscii(u"ESE"_s, u"N"_s), 0);
  EXPECT_LT(CompareTextAscii(QString(), u"a"_s), 0);
  // Letters beyond ASCII are compared by code: "é" sorts after "z".
  EXPECT_GT(CompareTextAscii(u"\u00E9"_s, u"z"_s), 0);
  EXPECT_NE(CompareTextAscii(u"\u00E9"_s, u"\u00C9"_s), 0);
}

}  // namespace
