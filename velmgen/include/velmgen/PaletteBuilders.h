#pragma once
// The two palette builders. Both fill entries 0 .. count-1 of the palette
// (count set by the caller) and take their parameters from `colours`.
#include <cstdint>

#include "velmgen/Picture.h"
#include "velmgen/RandTable.h"

namespace velmgen {

// Smooth colour ramps bouncing inside the band 3 .. 252. Six draws.
void rampPalette(Palette& palette, RandTable& rand, std::int32_t colours);

// Colours scattered about three random centres. 3 + 6 * count draws.
void scatterPalette(Palette& palette, RandTable& rand, std::int32_t colours);

}  // namespace velmgen
