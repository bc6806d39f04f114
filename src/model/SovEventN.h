#pragma once
// Nitrogen of a field's events: what a fertiliser or manure application and the
// nitrate in irrigation water bring into the soil. The operations themselves are
// members of TSovFile (declared in SovFile.h, defined in SovEventN.cpp); this header
// names the event kinds and the nitrogen forms they take.

#include "SovFile.h"

// Event kinds, the numbers held in the event's Code cell.
namespace SovEvent {
constexpr int Fertilizer = 1;  // "F"
constexpr int Nitrate = 2;     // "N": nitrate in the irrigation water, ppm
constexpr int Manure = 3;      // "M"
constexpr int Residue = 4;     // "R"
}  // namespace SovEvent

// The Forms argument of TSovFile::FertilizerN: a sum of these.
namespace NitrogenForm {
constexpr int Urea = 1;
constexpr int Ammonium = 2;
constexpr int Nitrate = 4;
constexpr int All = Urea + Ammonium + Nitrate;
}  // namespace NitrogenForm
