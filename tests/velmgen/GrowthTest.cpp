#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "velmgen/Generators.h"

namespace velmgen {
namespace {

using testing::drawsBetween;
using testing::primedTable;
using testing::settings;

TEST(Growth, LevelsAndClamps) {
  struct Case {
    std::int32_t colours;
    std::uint8_t highest;
  };
  // 16: step 1, stops at 15. 2: every touched pixel becomes 1. 256: cycles, never above 128.
  for (Case c : {Case{16, 15}, Case{2, 1}, Case{256, 128}}) {
    RandTable t = primedTable({});
    Picture p;
    growthField(p, t, settings(40, 30, c.colours));
    const std::uint8_t top = *std::max_element(p.pixels.begin(), p.pixels.end());
    EXPECT_LE(top, c.highest) << c.colours;
    if (c.colours != 256) {
      EXPECT_EQ(top, c.highest) << c.colours;
    }
  }
}

TEST(Growth, WrapsAroundTheEdges) {
  // All seeds on (0, 0): after the passes the far column and row have grown.
  std::initializer_list<std::int32_t> zeros = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  RandTable t = primedTable(zeros);
  Picture p;
  growthField(p, t, settings(100, 80, 16));
  EXPECT_NE(p.pixels[0 * 100 + 99], 0);   // (99, 0)
  EXPECT_NE(p.pixels[79 * 100 + 0], 0);   // (0, 79)
  EXPECT_NE(p.pixels[79 * 100 + 99], 0);  // (99, 79)
  EXPECT_EQ(p.pixels[40 * 100 + 50], 0);  // far from the seed: not reached in 16 passes
}

TEST(Growth, OnePixelClimbsEveryPass) {
  RandTable t = primedTable({});
  Picture p;
  growthField(p, t, settings(1, 1, 64));  // 16 passes of 4 from 1, capped at 63
  EXPECT_EQ(p.pixels[0], 63);
  RandTable u = primedTable({});
  growthField(p, u, settings(1, 1, 128));  // 16 passes of 8 from 1 = 129, capped at 127
  EXPECT_EQ(p.pixels[0], 127);
}

TEST(Growth, DrawsFortySeedWordsAndAPalette) {
  for (std::int32_t w : {1, 37, 200}) {
    RandTable t = primedTable({});
    const RandTable before = t;
    Picture p;
    growthField(p, t, settings(w, 23, 256));
    EXPECT_EQ(drawsBetween(before, t, 100), 40 + 6) << w;
  }
}

}  // namespace
}  // namespace velmgen
