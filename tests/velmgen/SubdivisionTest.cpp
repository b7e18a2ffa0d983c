#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "velmgen/Generators.h"

namespace velmgen {
namespace {

using testing::drawsBetween;
using testing::primedTable;
using testing::settings;

std::uint8_t& px(Picture& p, int x, int y) { return p.pixels[y * p.width + x]; }

TEST(Subdivision, EdgeMidpointMeanLoweredByHalfTheLength) {
  struct Case {
    std::uint8_t a, b;
    int length;
    std::int32_t maxColour;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {10, 20, 8, 255, 11},    // (10 + 20 - 8) / 2
      {0, 0, 4, 255, 1},       // lower clamp
      {200, 200, 16, 255, 1},  // 200 reads back as -56: (-56 - 56 - 16) / 2 = -64
      {100, 120, 2, 50, 50},   // upper clamp at max_colour
  };
  for (const Case& c : cases) {
    Picture p = sizedPicture(c.length + 1, 1);
    px(p, 0, 0) = c.a;
    px(p, c.length, 0) = c.b;
    RandTable t = primedTable({});
    edgeMidpoint(p, t, c.maxColour, 0, 0, c.length / 2, 0, c.length, 0);
    EXPECT_EQ(px(p, c.length / 2, 0), c.expected) << int(c.a) << " " << int(c.b);
  }
}

TEST(Subdivision, EdgeMidpointDrawsEvenWhenTheTargetIsSet) {
  Picture p = sizedPicture(3, 1);
  px(p, 1, 0) = 77;
  RandTable t = primedTable({});
  const RandTable before = t;
  edgeMidpoint(p, t, 255, 0, 0, 1, 0, 2, 0);
  EXPECT_EQ(px(p, 1, 0), 77);
  EXPECT_EQ(drawsBetween(before, t, 5), 1);
}

TEST(Subdivision, OnePixelImage) {
  // Four corner draws all land on (0, 0); no subdivision, then six palette draws.
  RandTable t = primedTable({0, 0, 0, 65535});
  const RandTable before = t;
  Picture p;
  subdivisionField(p, t, settings(1, 1, 256));
  EXPECT_EQ(px(p, 0, 0), 255);
  EXPECT_EQ(drawsBetween(before, t, 20), 4 + 6);
}

TEST(Subdivision, ThreeByThreeMidpointsAndCentre) {
  // Corners (0,0)=40, (0,2)=80, (2,0)=20, (2,2)=100 with max_colour 255.
  auto d = [](int v) { return static_cast<std::int32_t>(v * 257 + 1); };  // (d * 255) * K truncates to v
  RandTable t = primedTable({d(40), d(80), d(20), d(100)});
  const RandTable before = t;
  Picture p;
  subdivisionField(p, t, settings(3, 3, 256));
  EXPECT_EQ(px(p, 0, 0), 40);
  EXPECT_EQ(px(p, 1, 0), (40 + 20 - 2) / 2);   // top
  EXPECT_EQ(px(p, 2, 1), (20 + 100 - 2) / 2);  // right
  EXPECT_EQ(px(p, 1, 2), (80 + 100 - 2) / 2);  // bottom
  EXPECT_EQ(px(p, 0, 1), (40 + 80 - 2) / 2);   // left
  EXPECT_EQ(px(p, 1, 1), (40 + 80 + 20 + 100) / 4);
  EXPECT_EQ(drawsBetween(before, t, 30), 4 + 4 + 6);
}

TEST(Subdivision, CentreIsTheMeanOfSignedCorners) {
  Picture p = sizedPicture(3, 3);
  px(p, 0, 0) = 1;
  px(p, 2, 0) = 2;
  px(p, 0, 2) = 3;
  px(p, 2, 2) = 4;
  RandTable t = primedTable({});
  subdivide(p, t, 255, 0, 0, 2, 2);
  EXPECT_EQ(px(p, 1, 1), 2);
  px(p, 0, 0) = 200;  // -56
  px(p, 1, 1) = 0;
  subdivide(p, t, 255, 0, 0, 2, 2);
  EXPECT_EQ(px(p, 1, 1), static_cast<std::uint8_t>((-56 + 2 + 3 + 4) / 4));
}

TEST(Subdivision, EveryPixelOfALargeImageIsReached) {
  // Corners high: every pixel ends up set (midpoints clamp at 1 or more).
  RandTable t = primedTable({60000, 60000, 60000, 60000});
  Picture p;
  subdivisionField(p, t, settings(97, 33, 100));
  for (std::uint8_t v : p.pixels) ASSERT_NE(v, 0);
}

TEST(Radial, GradientValues) {
  RandTable t = primedTable({});
  const RandTable before = t;
  Picture p;
  radialField(p, t, settings(64, 64, 256));
  EXPECT_EQ(px(p, 32, 32), 0);
  EXPECT_EQ(px(p, 0, 0), 122);  // sin(0.5) * 255
  EXPECT_EQ(drawsBetween(before, t, 10), 1 + 6);
}

TEST(Radial, SubdivisionOverTheGradient) {
  RandTable t = primedTable({});
  const RandTable before = t;
  Picture gradient;
  RandTable copy = t;
  radialField(gradient, copy, settings(64, 64, 256));
  Picture p;
  radialSubdivision(p, t, settings(64, 64, 256));
  // Draws: gradient (1 + 6), corners 4, one pass of 4 per subdivision step, palette 6.
  const long drawn = drawsBetween(before, t, 100000);
  EXPECT_GT(drawn, 1 + 6 + 4 + 6);
  EXPECT_EQ((drawn - (1 + 6 + 4 + 6)) % 4, 0);
  // Edge midpoints only fill where the gradient left 0; far from the centre
  // the gradient stands except at subdivision centres.
  int unchanged = 0, gradientNonZero = 0;
  for (std::size_t i = 0; i < p.pixels.size(); ++i) {
    if (gradient.pixels[i] != 0) {
      ++gradientNonZero;
      unchanged += p.pixels[i] == gradient.pixels[i];
    }
  }
  EXPECT_GT(unchanged, gradientNonZero / 2);
  EXPECT_LT(unchanged, gradientNonZero);
}

}  // namespace
}  // namespace velmgen
