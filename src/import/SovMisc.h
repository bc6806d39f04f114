#pragma once
// Soil horizons from the soil data service into a field.

#include "ImpSDM.h"
#include "SovFile.h"

#include <QStringList>

// Empties horizons 1-10 (columns 32-44) of the field and writes horizon i of Horizons
// into row i: depth as sent, texture class, default AWC and wilting point with 2
// decimals, and the other values re-written in the field's user number format (no unit
// conversion: horizon values keep the service's units). A value that cannot be worked
// out stays empty; nothing fails. When TextureMessages is given it receives the
// message of each horizon whose texture could not be classified for bad fractions.
void ImportSdmHorizons(TSovFile& Field, const TImportedSdmHorizons& Horizons, QStringList* TextureMessages = nullptr);
