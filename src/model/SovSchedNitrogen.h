#pragma once
// The formulas of the schedule's soil-nitrogen pass, as free functions so that each
// can be checked on its own. The pass itself is TSovSchedule::RunNitrogenPhase
// (SovSchedNitrogen.cpp).
//
// Terms: W is a layer's water-filled pore space (0..1), Wwp its value at the wilting
// point; T is the seven-day mean temperature in °C held at 0 or above. Pools are
// concentrations in ppm of soil; amounts are kg N/ha.

#include <span>

namespace SovNitrogen {

// Water-filled pore space of a layer holding Water of its Capacity (both in the
// field's depth units) with available water capacity Awc (cm/cm), wilting point and
// porosity as fractions of the soil volume. A layer that can hold no available water
// (Capacity not above 0) counts as dry: at the wilting point. Never above 1.
struct TPoreSpace {
  double Wfps = 0;  // W
  double Wwp = 0;   // W at the wilting point
};
TPoreSpace LayerPoreSpace(double Water, double Capacity, double Awc, double WiltingPoint,
                          double Porosity);

// Mineralisation: temperature factor (0 at 0 °C, 0.25 at 5, 1 at 25) and moisture
// factor (0 at the wilting point, 1 from W 0.5 to 0.6, falling to 0.6 at W 1).
double MineralizationTemperatureFactor(double T);
double MineralizationMoistureFactor(double W, double Wwp);
// Fraction of its ceiling that a pool with rate constant k releases in a day.
double MineralizedFraction(double k, double TemperatureFactor, double MoistureFactor);

// Nitrification: temperature factor (0.07 at 0 °C), moisture factor of a coarse (up to
// sandy loam) or finer texture (1 at the texture's optimum, 0 in a layer drier than
// the curve reaches), and pH factor (0.56 at pH 5).
double NitrificationTemperatureFactor(double T);
double NitrificationMoistureFactor(double W, bool Coarse);
double NitrificationPhFactor(double pH);

// Denitrification: base rate by organic matter (percent), raised in the top layer
// once manure has been applied; temperature factor (1 at 30 °C); the ppm a layer with
// NitratePpm loses in a day (0 below W 0.6, never more than the layer holds).
double DenitrificationBaseRate(double OrganicMatter, bool TopLayerAfterManure);
double DenitrificationTemperatureFactor(double T);
double Denitrified(double BaseRate, double TemperatureFactor, double W, double NitratePpm);

// Ammonia volatilisation from surface manure: temperature factor of the day's mean
// temperature t (not T), the method factor of liquid manure by its rate in gal/acre,
// and the soil factor by the top horizon's CEC.
double VolatilizationTemperatureFactor(double MeanTemperature);
double LiquidManureRateFactor(double GallonsPerAcre);
double CecFactor(double Cec);

// Crop water stress for nitrogen uptake: ETCrop over UnreducedETCrop, held to 0..1;
// 1 when the unreduced use is not above 0 (no demand to fall short of).
double UptakeStressRatio(double ETCrop, double UnreducedETCrop);

// Moves the nitrate of the layers down with the day's drainage. Nitrate holds each
// layer's nitrate (kg/ha) on entry and after leaching on return; Capacity and Drain are
// the layers' capacities and the water that passed below each (same units). Returns
// the nitrate that left the bottom layer.
//
// Water leaving a layer is first the layer's own water, up to its capacity, taking
// Drain / Capacity of its nitrate with it (all of it from a layer without capacity
// once any water passes); then the water that came in from above, oldest first, with
// the nitrate that water carries. What comes in and does not pass on stays in the
// layer. So every layer's outflow is shared out exactly among the layers below it and
// the bottom, and the total is conserved.
double LeachNitrate(std::span<const double> Capacity, std::span<const double> Drain,
                    std::span<double> Nitrate);

}  // namespace SovNitrogen
