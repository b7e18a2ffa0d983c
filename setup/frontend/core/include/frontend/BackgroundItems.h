#pragma once
// A BACKGROUND statement read into the changes it asks for, in order, and
// the font and colour rules of its text items.
#include <cstdint>
#include <span>
#include <vector>

#include "frontend/Gradient.h"

namespace setup {

// The three text slots, by position.
enum TextSlot : int { kTitleSlot, kSubtitleSlot, kFooterSlot, kTextSlotCount };

// Background flags: bits are only ever set.
inline constexpr std::uint32_t kHasGradient = 1;
inline constexpr std::uint32_t kHasTitle = 4;
inline constexpr std::uint32_t kHasSubtitle = 8;
inline constexpr std::uint32_t kHasFooter = 16;
inline constexpr std::uint32_t kSlotFlags[kTextSlotCount] = {kHasTitle, kHasSubtitle, kHasFooter};

inline constexpr std::size_t kSlotTextSize = 128;  // up to 127 characters

struct BackgroundChange {
  bool gradient = false;  // else a text slot
  ScriptColour start, end;
  TextSlot slot = kTitleSlot;
  char text[kSlotTextSize] = {};
  std::uint8_t style = 0;
  std::int32_t size = 0;
  std::uint32_t colour = 0;  // 0x00BBGGRR
};

// Reads the statement from its count field on: items of three header bytes
// (the third the kind) and their elements, counted down from the count
// until it reaches 0 or less. Kinds other than 0, 2, 3 and 4 consume only
// their header. Reading stops where an element would run past the bytes.
std::vector<BackgroundChange> readBackground(std::span<const std::uint8_t> statement);

// red + green * 256 + blue * 65536, in 32 bits: values past 255 spill into
// the next channel.
std::uint32_t slotColour(std::int32_t red, std::int32_t green, std::int32_t blue);

// The font a style byte asks for: face by style & 12 ("" is the system's
// default face), weight 700 for bit 1, italic for bit 2.
const char* styleFace(std::uint8_t style);
int styleWeight(std::uint8_t style);
bool styleItalic(std::uint8_t style);
// trunc(size * 0.01 * clientWidth): the size is a percentage of the width.
std::int32_t fontHeight(std::int32_t size, std::int32_t clientWidth);

}  // namespace setup
