#include "SovEventN.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace {

void CheckScheduleDay(int Day, const char* Operation) {
  if (Day < 1 || Day > MaxDays) {
    throw std::out_of_range(std::string(Operation) + ": day " + std::to_string(Day) +
                            " is outside 1.." + std::to_string(MaxDays));
  }
}

}  // namespace

double TSovFile::FertilizerN(int Fertilizer, int Forms, double Rate, bool RateMetric,
                             bool ResultMetric) const {
  const TFertilizerRec& F = Lookup().Fertilizer(Fertilizer);
  if (!std::isfinite(Rate)) return 0.0;
  int Percent = 0;
  if (Forms & NitrogenForm::Urea) Percent += F.Urea;
  if (Forms & NitrogenForm::Ammonium) Percent += F.Ammonium;
  if (Forms & NitrogenForm::Nitrate) Percent += F.Nitrate;
  // Nitrogen in the chosen forms per unit of product, times the rate: still in the
  // rate's units (per liter or gallon of a liquid product).
  double x = F.N * Rate / 100 * Percent / 100;
  if (ResultMetric) {
    if (F.IsLiquid) {
      if (!RateMetric) x = ToMetric(TUnitKind::LiquidRate, x);  // gal/acre -> liter/ha
      x *= F.LiquidWeight;                   // kg per liter
    } else if (!RateMetric) {
      x = ToMetric(TUnitKind::MassPerArea, x);                   // lbs/acre -> kg/ha
    }
  } else {
    if (F.IsLiquid) {
      if (RateMetric) x = FromMetric(TUnitKind::LiquidRate, x);  // liter/ha -> gal/acre
      x *= FromMetric(TUnitKind::LiquidDensity, F.LiquidWeight);    // lbs per gallon
    } else if (RateMetric) {
      x = FromMetric(TUnitKind::MassPerArea, x);                  // kg/ha -> lbs/acre
    }
  }
  return std::isfinite(x) ? x : 0.0;
}

double TSovFile::ManureN(int Manure, bool RateMetric, double Rate, double Content,
                         bool ResultMetric) const {
  const TManureRec& M = Lookup().Manure(Manure);
  if (!std::isfinite(Rate) || !std::isfinite(Content)) return 0.0;
  double x = Rate * Content;
  if (M.IsLiquid) x /= 1000;  // liquid contents are per 1000 gallons or liters
  if (ResultMetric && !RateMetric) x = ToMetric(TUnitKind::MassPerArea, x);
  if (!ResultMetric && RateMetric) x = FromMetric(TUnitKind::MassPerArea, x);
  return std::isfinite(x) ? x : 0.0;
}

int TSovFile::NitrateEventForDay(int Day) const {
  CheckScheduleDay(Day, "NitrateEventForDay");
  int Before = 0, BeforeDay = 0;  // latest on or before Day
  int After = 0, AfterDay = 0;    // earliest after Day
  for (int Row = 1; Row <= MaxEvents; ++Row) {
    const TSovEventRec& E = FEvents[std::size_t(Row - 1)];
    if (E.Code != SovEvent::Nitrate || E.Day < 1 || E.Day > MaxDays) continue;
    if (E.Day <= Day) {
      if (Before == 0 || E.Day > BeforeDay) {
        Before = Row;
        BeforeDay = E.Day;
      }
    } else if (After == 0 || E.Day < AfterDay) {
      After = Row;
      AfterDay = E.Day;
    }
  }
  return Before != 0 ? Before : After;
}

double TSovFile::IrrigationWaterN(int Day, bool IrrigationMetric, bool ResultMetric) const {
  CheckScheduleDay(Day, "IrrigationWaterN");
  if (GetCell(Day, SovCol::Irrigation).trimmed().isEmpty()) return 0.0;
  const int Event = NitrateEventForDay(Day);
  if (Event == 0) return 0.0;
  double Irrigation = GetCellFloat(Day, SovCol::Irrigation);
  if (!IrrigationMetric) Irrigation = ToMetric(TUnitKind::Water, Irrigation);  // inches -> mm
  // ppm of nitrate nitrogen times mm of water / 100 = kg N/ha.
  double x = GetCellFloat(Event, SovCol::EvValue) * Irrigation / 100;
  if (!ResultMetric) x = FromMetric(TUnitKind::MassPerArea, x);
  return std::isfinite(x) ? x : 0.0;
}
