#pragma once
// What the schedule benchmarks share: the shipped lookup tables and the largest field
// there is (metric, 365 days of varied weather, 10 complete horizons down to the
// rooting depth), and the end of a run whose input is not what it should be.

#include "SovSched.h"

#include <QDate>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

// Ends the run with a message: a benchmark of a wrong input measures nothing.
[[noreturn]] inline void BenchFail(const char* What, const QString& Msg) {
  std::fprintf(stderr, "%s: %s\n", What, qPrintable(Msg));
  std::exit(1);
}

inline void LoadShippedLookup(TSovLookup& Lookup) {
  QString Msg;
  if (!Lookup.LoadFromFile(FURROW_SOURCE_DIR "/data/SovLookup.ini", Msg)) BenchFail("Lookup", Msg);
}

// The shipped lookup tables, loaded once.
inline const TSovLookup& ShippedLookup() {
  static const TSovLookup* Lookup = [] {
    auto* L = new TSovLookup;
    LoadShippedLookup(*L);
    return L;
  }();
  return *Lookup;
}

struct TBenchWeather {
  double MaxRain = 20;  // mm on a rainy day, at most
  // Irrigation of 25 mm on every fifth day from day 91 to 279; otherwise on a twentieth
  // of the days at random.
  bool RegularIrrigation = false;
};

// Fills F (new, empty) with the largest field: the first location and crop, 1/1/2015
// to 12/31/2015 with emergence on 3/1, ten 15 cm horizons, and a year of weather drawn
// with a fixed seed. Events are the caller's.
inline void FillMaximalField(TSovSchedule& F, const TFormatSettings& Fmt, const TBenchWeather& Weather = {}) {
  auto Num = [&](double V) { return FormatGeneral(V, Fmt); };
  F.SetIsMetric(true);
  F.SetLocation(1);
  F.SetCrop(1);
  F.SetPreviousCrop(1);
  F.SetCell(1, SovCol::Latitude, "43.5");
  F.SetCell(1, SovCol::Longitude, "-89.4");
  F.SetCell(1, SovCol::Elevation, "270");
  F.SetCell(1, SovCol::StartingDate, DateToStr(QDate(2015, 1, 1), Fmt));
  F.SetCell(1, SovCol::EmergenceDate, DateToStr(QDate(2015, 3, 1), Fmt));
  F.SetCell(1, SovCol::CalculationDate, DateToStr(QDate(2015, 12, 31), Fmt));
  F.SetCell(1, SovCol::GrowingSeason, "200");
  F.SetCell(1, SovCol::RootingDepth, "150");
  F.SetCell(1, SovCol::WaterHoldingCapacity, "240");
  F.SetCell(1, SovCol::MinimumMoisture, "50");
  F.SetCell(1, SovCol::IrrigationEfficiency, "85");
  F.SetCell(1, SovCol::StartingMoisture, "90");
  F.SetCell(1, SovCol::StartingResidue, "30");
  F.SetCell(1, SovCol::OrganicMatter, "2.5");
  const char* Textures[] = {"SIL", "SIL", "SICL", "SICL", "CL", "CL", "L", "L", "SL", "LS"};
  for (int h = 1; h <= MaxHorizons; ++h) {
    F.SetCellInt(h, SovCol::HzDepth, 15 * h);
    F.SetCell(h, SovCol::HzTexture, Textures[h - 1]);
    F.SetCell(h, SovCol::HzAWC, Num(0.22 - 0.01 * h));
    F.SetCell(h, SovCol::HzWiltingPoint, Num(0.10 + 0.01 * h));
    F.SetCell(h, SovCol::HzBulkDensity, Num(1.3 + 0.03 * h));
    F.SetCell(h, SovCol::HzKSat, "9");
    F.SetCell(h, SovCol::HzOM, Num(3.0 / h));
    F.SetCell(h, SovCol::HzpH, Num(6.0 + 0.1 * h));
    F.SetCell(h, SovCol::HzCEC, "15");
  }
  std::mt19937 Rng(2015);
  std::uniform_real_distribution<double> U(0, 1);
  for (int d = 1; d <= MaxDays; ++d) {
    const double High = 12 + 14 * std::sin(2 * M_PI * (d - 110) / 365.0) + 6 * U(Rng);
    F.SetCell(d, SovCol::MaxTemp, Num(std::round(High * 10) / 10));
    F.SetCell(d, SovCol::MinTemp, Num(std::round((High - 4 - 10 * U(Rng)) * 10) / 10));
    if (U(Rng) < 0.3) F.SetCell(d, SovCol::Precip, Num(std::round(Weather.MaxRain * U(Rng) * 10) / 10));
    const bool Irrigated = Weather.RegularIrrigation ? d % 5 == 0 && d > 90 && d < 280 : U(Rng) < 0.05;
    if (Irrigated) F.SetCell(d, SovCol::Irrigation, "25");
    if (U(Rng) < 0.8) F.SetCell(d, SovCol::WindSpeed, Num(std::round(60 * U(Rng)) / 10));
    if (U(Rng) < 0.8) F.SetCell(d, SovCol::Humidity, QString::number(30 + int(60 * U(Rng))));
  }
}

// Checks the whole field; a field that fails the check ends the run.
inline void CheckField(const TSovSchedule& F, const char* What) {
  QString Msg;
  int Row = 0, Col = 0;
  if (!F.CheckFieldData(false, Msg, Row, Col)) BenchFail(What, Msg + QString(" (column %1, row %2)").arg(Col).arg(Row));
}
