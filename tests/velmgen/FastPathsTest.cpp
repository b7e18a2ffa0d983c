// The engine's generators against their plain definitions, at shapes that
// take every fast path: two threads, the Gaussian tables, mirrored halves of
// odd and even sides, growth near the wrapped edges, rings whose squares pass
// 2^31, thin and square subdivisions. Pixels, palette and the table after
// them must all agree.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "PlainFields.h"

namespace velmgen {
namespace {

using testing::settings;

using Generator = void (*)(Picture&, RandTable&, const DefsStore&);

struct Shape {
  std::int32_t width, height, colours, seed;
};

// Above the two-thread threshold, odd and even sides, a thin strip each way.
const Shape kShapes[] = {
    {301, 257, 256, 1}, {256, 300, 130, -1740735591}, {257, 256, 37, 3}, {70000, 1, 2, 4},
    {1, 70001, 129, 5}, {1000, 66, 200, 6},           {64, 1024, 128, 7},
};

void expectSame(Generator fast, Generator plainly, const Shape& s, const std::string& what) {
  RandTable a{}, b{};
  randInit(a, kInitialSeed, kInitialModulus);
  reseed(a, s.seed);
  b = a;
  Picture p, q;
  const DefsStore defs = settings(s.width, s.height, s.colours);
  fast(p, a, defs);
  plainly(q, b, defs);
  const std::string where = what + " " + std::to_string(s.width) + "x" + std::to_string(s.height) + " colours " +
                            std::to_string(s.colours);
  ASSERT_EQ(p.width, q.width) << where;
  ASSERT_EQ(p.height, q.height) << where;
  EXPECT_TRUE(p.pixels == q.pixels) << where;
  EXPECT_EQ(p.palette.count, q.palette.count) << where;
  EXPECT_TRUE(p.palette.entries == q.palette.entries) << where;
  EXPECT_EQ(a.index, b.index) << where;
  EXPECT_TRUE(std::equal(std::begin(a.T), std::end(a.T), std::begin(b.T))) << where;
}

TEST(FastPaths, DirectFieldsAsDefined) {
  for (const Shape& s : kShapes) {
    expectSame(noiseField, plain::noiseField, s, "noise");
    expectSame(radialField, plain::radialField, s, "radial");
    expectSame(ringField, plain::ringField, s, "rings");
  }
  // Rings whose squares wrap past 2^31: offsets up to the width.
  for (const Shape& s : {Shape{50000, 2, 256, 8}, Shape{70000, 1, 200, 9}, Shape{47000, 3, 3, 10}}) {
    expectSame(ringField, plain::ringField, s, "rings");
  }
}

TEST(FastPaths, GrowthAsDefined) {
  // Growth reaches 16 to 32 pixels from its seeds, wrapping at the edges:
  // pictures it covers in part, thin ones it wraps around, and one it covers.
  const Shape shapes[] = {{301, 257, 256, 1}, {200, 150, 130, 2}, {257, 256, 37, 3}, {3001, 1, 2, 4},
                          {1, 3001, 129, 5},  {500, 9, 256, 6},   {40, 30, 256, 7}};
  for (const Shape& s : shapes) expectSame(growthField, plain::growthField, s, "growth");
}

TEST(FastPaths, SubdivisionsAsDefined) {
  const Shape shapes[] = {{301, 257, 256, 1}, {256, 300, 130, 2}, {1200, 2, 37, 3}, {1, 1201, 256, 4},
                          {2, 3, 16, 5},      {33, 1, 2, 6},      {1000, 66, 200, 7}};
  for (const Shape& s : shapes) {
    expectSame(subdivisionField, plain::subdivisionField, s, "subdivision");
    expectSame(radialSubdivision, plain::radialSubdivision, s, "radial subdivision");
  }
  // Pictures too small to split, or split once, with 2 colours: corners of
  // 0 are then the rule, and a pass where none belongs would write them.
  for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}, {3, 3}, {5, 3}, {4, 1}}) {
    for (std::int32_t colours : {2, 256}) {
      expectSame(subdivisionField, plain::subdivisionField, {w, h, colours, w * 7 + h}, "subdivision");
      expectSame(radialSubdivision, plain::radialSubdivision, {w, h, colours, w * 7 + h}, "radial subdivision");
    }
  }
}

TEST(FastPaths, SubdivisionCostFromTheSidesAlone) {
  // The count matches the draws the plain subdivision takes, four a pass.
  for (auto [w, h] : {std::pair{1, 1}, {3, 3}, {1, 40}, {40, 1}, {2, 33}, {97, 61}, {5, 200}, {1, 300}}) {
    Picture p = sizedPicture(w, h);
    RandTable t = testing::primedTable({});
    const RandTable before = t;
    subdivide(p, t, 255, 0, 0, w - 1, h - 1);
    EXPECT_EQ(4 * static_cast<long>(subdivisionPasses(w, h)), testing::drawsBetween(before, t, 1000000))
        << w << "x" << h;
  }
  // Among shapes of at most 2^28 pixels the limit is a side of 27307.
  const std::int32_t longest = kLongestSubdividedSide;
  for (std::int32_t shortSide : {1, 2, 3, 1000, (1 << 28) / longest}) {
    EXPECT_TRUE(subdivisionAffordable(shortSide, longest)) << shortSide;
    EXPECT_TRUE(subdivisionAffordable(longest, shortSide)) << shortSide;
    EXPECT_FALSE(subdivisionAffordable(shortSide, longest + 1)) << shortSide;
    EXPECT_FALSE(subdivisionAffordable(longest + 1, shortSide)) << shortSide;
  }
  EXPECT_TRUE(subdivisionAffordable(16384, 16384));
  EXPECT_TRUE(subdivisionAffordable(7680, 4320));
  // Years of work once, now a saturated count.
  EXPECT_EQ(subdivisionPasses(1, 1 << 28), 24019197878424917u);
  EXPECT_EQ(subdivisionPasses(1, INT32_MAX), kPassesCeiling);
}

}  // namespace
}  // namespace velmgen
