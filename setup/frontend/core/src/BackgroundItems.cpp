#include "frontend/BackgroundItems.h"

#include <cmath>

#include "frontend/Elements.h"
#include "setup/Bytecode.h"

namespace setup {

std::vector<BackgroundChange> readBackground(std::span<const std::uint8_t> statement) {
  std::vector<BackgroundChange> changes;
  if (statement.size() < 2) return changes;
  std::int32_t count = statement[0] | statement[1] << 8;
  ElementReader reader(statement.subspan(2));
  // One element, counted down; false when the bytes end.
  std::span<const std::uint8_t> content;
  auto element = [&] {
    if (!reader.next(&content)) return false;
    count -= 2 + static_cast<std::int32_t>(content.size());
    return true;
  };
  while (count > 0) {
    const std::size_t at = reader.consumed();
    if (!reader.skip(3)) break;
    const std::uint8_t kind = statement[2 + at + 2];
    count -= 3;
    BackgroundChange change;
    if (kind == kItemGradient) {
      std::int32_t n[6] = {};
      for (auto& v : n) {
        if (!element()) return changes;
        v = expressionNumber(content);
      }
      change.gradient = true;
      change.start = {n[0], n[1], n[2]};
      change.end = {n[3], n[4], n[5]};
    } else if (kind == kItemTitle || kind == kItemSubtitle || kind == kItemFooter) {
      change.slot = static_cast<TextSlot>(kind - kItemTitle);
      if (!element()) return changes;
      copyCut(expressionText(content, kSlotTextSize - 1), change.text, kSlotTextSize);
      if (!element()) return changes;
      change.style = codeOf(content, 0);
      if (!element()) return changes;
      change.size = expressionNumber(content);
      std::int32_t rgb[3] = {};
      for (auto& v : rgb) {
        if (!element()) return changes;
        v = expressionNumber(content);
      }
      change.colour = slotColour(rgb[0], rgb[1], rgb[2]);
    } else {
      continue;  // only the header
    }
    changes.push_back(change);
  }
  return changes;
}

std::uint32_t slotColour(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return static_cast<std::uint32_t>(red) + static_cast<std::uint32_t>(green) * 256u +
         static_cast<std::uint32_t>(blue) * 65536u;
}

const char* styleFace(std::uint8_t style) {
  switch (style & kStyleFaceMask) {
    case kFaceArial:
      return "Arial";
    case kFaceTimes:
      return "Time New Roman";
    case kFaceSystem:
      return "System";
    default:
      return "";  // kFaceDefault
  }
}

int styleWeight(std::uint8_t style) { return (style & kStyleBold) ? 700 : 400; }
bool styleItalic(std::uint8_t style) { return (style & kStyleItalic) != 0; }

std::int32_t fontHeight(std::int32_t size, std::int32_t clientWidth) {
  const double h = std::trunc(size * 0.01 * clientWidth);
  if (h > 2147483647.0) return 2147483647;
  if (h < -2147483647.0) return -2147483647;
  return static_cast<std::int32_t>(h);
}

}  // namespace setup
