#pragma once
// The main window's gradient: a 64 x 256 8-bit image whose row r (r = 0 the
// bottom row) holds colour-table entry r, and the colour table that walks
// from the start colour toward the end colour.
#include <cstdint>

#include "platform/DibSection.h"

namespace setup {

inline constexpr std::int32_t kGradientWidth = 64;
inline constexpr std::int32_t kGradientHeight = 256;

// Colours as the script gives them: red, green, blue (any 32-bit values).
struct ScriptColour {
  std::int32_t red = 0, green = 0, blue = 0;
};

// Entry i's channel c is trunc(start_c + i * ((end_c - start_c) / 256)),
// of which the low 8 bits are kept: entry 0 is the start colour and entry
// 255 lies 255/256 of the way to the end colour.
std::uint8_t gradientChannel(std::int32_t start, std::int32_t end, int index);

// The header and the 256 entries (blue, green, red, 0).
void fillGradientInfo(const ScriptColour& start, const ScriptColour& end, platform::BitmapInfo256* info);

// A bitmap section made from the header with every pixel of row r set to r;
// no handle when the system could not make one.
platform::DibSection makeGradientSection(const platform::BitmapInfo256& info);

}  // namespace setup
