#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "velmgen/PaletteBuilders.h"

namespace velmgen {
namespace {

using testing::drawsBetween;
using testing::primedTable;

// d for a start value: d * K255 lands on v for v = 0 .. 255.
constexpr std::int32_t startDraw(int v) { return v * 257; }

TEST(Palette, NewPaletteIsEmptyAndBuildersLeaveTheTailAlone) {
  Palette p;
  EXPECT_EQ(p.count, 256);
  for (const auto& e : p.entries) EXPECT_EQ(e, (std::array<std::int32_t, 3>{0, 0, 0}));
  RandTable t = primedTable({});
  for (auto build : {rampPalette, scatterPalette}) {
    Palette q;
    q.count = 16;
    build(q, t, 16);
    for (int k = 16; k < 256; ++k) EXPECT_EQ(q.entries[k], (std::array<std::int32_t, 3>{0, 0, 0})) << k;
  }
}

TEST(Palette, RampStepBoundFollowsColours) {
  // A step draw of 65535 is +S exactly; start at 100 so no reversal happens.
  struct Case {
    std::int32_t colours;
    std::int32_t step;
  };
  for (Case c : {Case{2, 9}, Case{63, 9}, Case{64, 6}, Case{127, 6}, Case{128, 3}, Case{256, 3}}) {
    RandTable t = primedTable({startDraw(100), startDraw(100), startDraw(100), 65535, 65535, 65535});
    Palette p;
    p.count = 2;
    rampPalette(p, t, c.colours);
    EXPECT_EQ(p.entries[0][0], 100 + c.step) << c.colours;
    EXPECT_EQ(p.entries[1][0], 100 + 2 * c.step) << c.colours;
  }
}

TEST(Palette, RampPassesTheBandByOneStepThenTurns) {
  // Start 251 (inside the band) with a step of about +5 (S = 6).
  RandTable t = primedTable({startDraw(251), startDraw(100), startDraw(100), 60074, 32768, 32768});
  Palette p;
  p.count = 4;
  rampPalette(p, t, 100);
  EXPECT_EQ(p.entries[0][0], 256);
  EXPECT_LT(p.entries[1][0], p.entries[0][0]);
  EXPECT_LT(p.entries[2][0], p.entries[1][0]);
  EXPECT_NEAR(p.entries[2][0], 246, 1);
}

TEST(Palette, RampOutsideTheBandPointingOutwardAlternates) {
  // Start 254 with a step of about -2: it flips on every entry.
  RandTable t = primedTable({startDraw(254), startDraw(100), startDraw(100), 10923, 32768, 32768});
  Palette p;
  rampPalette(p, t, 256);
  EXPECT_GE(p.entries[0][0], 255);
  for (int k = 2; k < 256; ++k) EXPECT_EQ(p.entries[k][0], p.entries[k - 2][0]) << k;
  EXPECT_NE(p.entries[0][0], p.entries[1][0]);
}

TEST(Palette, ScatterWithZeroSigmaGivesTheCentres) {
  // colours 7: sigma 7 / 8 = 0, every entry is the three centres.
  RandTable t = primedTable({startDraw(10), startDraw(200), startDraw(255)});
  Palette p;
  p.count = 7;
  scatterPalette(p, t, 7);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(p.entries[k], (std::array<std::int32_t, 3>{10, 200, 255})) << k;
}

TEST(Palette, DrawCounts) {
  RandTable t = primedTable({});
  const RandTable before = t;
  Palette p;
  p.count = 256;
  rampPalette(p, t, 256);
  EXPECT_EQ(drawsBetween(before, t, 10), 6);
  const RandTable mid = t;
  scatterPalette(p, t, 256);
  EXPECT_EQ(drawsBetween(mid, t, 2000), 3 + 6 * 256);
}

}  // namespace
}  // namespace velmgen
