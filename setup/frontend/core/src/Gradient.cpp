#include "frontend/Gradient.h"

#include <cmath>
#include <cstring>

namespace setup {

std::uint8_t gradientChannel(std::int32_t start, std::int32_t end, int index) {
  // The difference in 64 bits: script colours are any 32-bit numbers.
  const double span = static_cast<double>(static_cast<std::int64_t>(end) - start) * 0.00390625;
  const double value = std::trunc(static_cast<double>(start) + index * span);
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(value) & 0xFF);
}

void fillGradientInfo(const ScriptColour& start, const ScriptColour& end, platform::BitmapInfo256* info) {
  *info = platform::BitmapInfo256{};
  info->width = kGradientWidth;
  info->height = kGradientHeight;  // bottom-up: the first row in memory is the bottom row
  for (int i = 0; i < 256; ++i) {
    info->colours[i][0] = gradientChannel(start.blue, end.blue, i);
    info->colours[i][1] = gradientChannel(start.green, end.green, i);
    info->colours[i][2] = gradientChannel(start.red, end.red, i);
    info->colours[i][3] = 0;
  }
}

platform::DibSection makeGradientSection(const platform::BitmapInfo256& info) {
  platform::DibSection section = platform::createDibSection(info);
  if (!section.bits) return section;
  for (int row = 0; row < kGradientHeight; ++row)
    std::memset(section.bits + row * kGradientWidth, row, kGradientWidth);
  return section;
}

}  // namespace setup
