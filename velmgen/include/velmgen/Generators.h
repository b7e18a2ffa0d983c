#pragma once
// The eight pattern generators. Each replaces the picture with a new one of
// size_x x size_y (128 x 128 for the texture), sets the palette count to
// `colours` and builds the palette, drawing from the table in a fixed order.
#include <cstdint>

#include "velmgen/DefsStore.h"
#include "velmgen/Picture.h"
#include "velmgen/RandTable.h"

namespace velmgen {

void noiseField(Picture& picture, RandTable& rand, const DefsStore& defs);                  // mode 0
void subdivisionField(Picture& picture, RandTable& rand, const DefsStore& defs);            // mode 1
void growthField(Picture& picture, RandTable& rand, const DefsStore& defs);                 // mode 2
void radialField(Picture& picture, RandTable& rand, const DefsStore& defs);                 // mode 3
void radialSubdivision(Picture& picture, RandTable& rand, const DefsStore& defs);           // mode 4
void scatterDots(Picture& picture, RandTable& rand, const DefsStore& defs);                 // mode 5
void ringField(Picture& picture, RandTable& rand, const DefsStore& defs);                   // mode 6
void textureField(Picture& picture, RandTable& rand, const DefsStore& defs, void* module);  // mode 7

// Subdivision building blocks, shared by modes 1 and 4.
void subdivide(Picture& picture, RandTable& rand, std::int32_t maxColour, std::int32_t x1, std::int32_t y1,
               std::int32_t x2, std::int32_t y2);
std::int32_t edgeMidpoint(Picture& picture, RandTable& rand, std::int32_t maxColour, std::int32_t xa, std::int32_t ya,
                          std::int32_t xt, std::int32_t yt, std::int32_t xb, std::int32_t yb);

// The passes the subdivision of a width x height picture makes, four draws
// each. The count depends on the two sides alone: about 0.6 a pixel for a
// screen-shaped picture, but it grows with the square of the long side when
// the short side is 1 or 2 pixels (a 1 x 16000 picture takes 86 million).
// Saturates at kPassesCeiling.
inline constexpr std::uint64_t kPassesCeiling = std::uint64_t{1} << 60;
std::uint64_t subdivisionPasses(std::int32_t width, std::int32_t height);

// The most passes modes 1 and 4 make, a few seconds' work; shapes that need
// more are refused before any work. The count is about a third of the longer
// side squared whatever the shorter side, so among the shapes of at most
// 2^28 pixels exactly those with a side longer than kLongestSubdividedSide
// are refused.
inline constexpr std::uint64_t kMaxSubdivisionPasses = std::uint64_t{1} << 28;
inline constexpr std::int32_t kLongestSubdividedSide = 27307;
bool subdivisionAffordable(std::int32_t width, std::int32_t height);

// Fills an empty picture with the stored 8-bit pixels of built-in texture
// `id` (102, 105, 107 or 109) of `module`. Always 1.
std::int32_t loadTexture(Picture& picture, void* module, std::int32_t id);

}  // namespace velmgen
