#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "velmgen/Generators.h"

namespace velmgen {
namespace {

using testing::drawsBetween;
using testing::primedTable;
using testing::settings;

TEST(Noise, DrawsTwoPerPixelThenThePalette) {
  RandTable t = primedTable({});
  const RandTable before = t;
  Picture p;
  noiseField(p, t, settings(13, 7, 256));
  EXPECT_EQ(drawsBetween(before, t, 5000), 2 * 13 * 7 + 3 + 6 * 256);
}

TEST(Noise, ColumnsAreDrawnFirstAndValuesWrap) {
  // The first Gaussian value goes to (0, 0), the second to (0, 1).
  RandTable t = primedTable({});
  RandTable copy = t;
  GaussDraw g{copy, 0.0, 2.0};
  const double g0 = g.value(), g1 = g.value();
  Picture p;
  noiseField(p, t, settings(4, 3, 256));
  EXPECT_EQ(p.pixels[0], storeValue(g0 * 31 + 127));
  EXPECT_EQ(p.pixels[4], storeValue(g1 * 31 + 127));
  EXPECT_EQ(storeValue(-5.0 * 31 + 127), 228);  // no clamp: -28 wraps
}

TEST(Dots, OnePixelImagePlacesNothing) {
  RandTable t = primedTable({});
  const RandTable before = t;
  Picture p;
  scatterDots(p, t, settings(1, 1, 256));
  EXPECT_EQ(p.pixels[0], 0);
  EXPECT_EQ(drawsBetween(before, t, 10000), 4 * 2048 + 6);
}

TEST(Dots, ClusterAboutTheCentre) {
  RandTable t = primedTable({});
  Picture p;
  scatterDots(p, t, settings(200, 100, 256));
  int placed = 0, central = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (p.pixels[y * 200 + x] == 0) continue;
      ++placed;
      central += x >= 50 && x < 150 && y >= 25 && y < 75;
    }
  }
  EXPECT_GT(placed, 1000);
  EXPECT_GT(central, placed * 8 / 10);
}

TEST(Rings, ModularSquares) {
  RandTable t = primedTable({0, 0});  // ox = oy = 0
  Picture p;
  ringField(p, t, settings(20, 12, 256));
  EXPECT_EQ(p.pixels[4 * 20 + 3], 25);
  EXPECT_EQ(p.pixels[10 * 20 + 15], 70);  // 325 rem 255
}

TEST(Rings, OffsetsAreCorrectedOnce) {
  // 100 x 50 with oy = 90 (d * 100 / 65535 truncates to 90).
  RandTable t = primedTable({0, 58982});
  Picture p;
  ringField(p, t, settings(100, 50, 256));
  EXPECT_EQ(p.pixels[0 * 100 + 1], (1 + 40 * 40) % 255);   // f = 90 - 50
  EXPECT_EQ(p.pixels[49 * 100 + 1], (1 + 89 * 89) % 255);  // f = 139 - 50, still above H
}

TEST(Rings, LargeWidthsWrapWithoutFault) {
  RandTable t = primedTable({65535, 65535});
  Picture p;
  ringField(p, t, settings(70000, 2, 256));  // e up to 140000: e * e exceeds 32 bits
  EXPECT_EQ(p.pixels.size(), 140000u);
}

TEST(Texture, ChoiceByQuarters) {
  struct Case {
    std::int32_t d;
    std::int32_t id;
  };
  for (Case c : {Case{0, 102}, Case{16383, 102}, Case{16384, 105}, Case{32767, 105}, Case{32768, 109}, Case{49151, 109},
                 Case{49152, 107}, Case{65535, 107}}) {
    RandTable t = primedTable({c.d, 0});
    Picture p;
    textureField(p, t, settings(10, 10, 256), nullptr);
    Picture expected;
    loadTexture(expected, nullptr, c.id);
    EXPECT_EQ(p.width, 128);
    EXPECT_EQ(p.height, 128);
    EXPECT_EQ(p.pixels, expected.pixels) << c.d;  // colours 256: k = 255/255 keeps the values
  }
}

TEST(Texture, BuiltInsAreDistinctAndSpread) {
  std::vector<std::vector<std::uint8_t>> seen;
  for (std::int32_t id : {102, 105, 107, 109}) {
    Picture p;
    EXPECT_EQ(loadTexture(p, nullptr, id), 1);
    ASSERT_EQ(p.pixels.size(), 128u * 128u);
    EXPECT_EQ(*std::min_element(p.pixels.begin(), p.pixels.end()), 0) << id;
    EXPECT_EQ(*std::max_element(p.pixels.begin(), p.pixels.end()), 255) << id;
    for (const auto& other : seen) EXPECT_NE(other, p.pixels);
    seen.push_back(p.pixels);
  }
}

TEST(Texture, RescaleAndPaletteChoice) {
  Picture raw;
  loadTexture(raw, nullptr, 102);
  // colours 128: a byte 200 becomes 200 * 127 / 255 = 99.6, stored 99.
  RandTable t = primedTable({0, 0});
  Picture p;
  textureField(p, t, settings(10, 10, 128), nullptr);
  for (std::size_t i = 0; i < raw.pixels.size(); ++i) {
    ASSERT_EQ(p.pixels[i], static_cast<std::uint8_t>(raw.pixels[i] * (127.0 / 255.0))) << i;
  }
  // w < 0.5: the scatter palette (3 + 6 * 128 draws); otherwise the ramp (6).
  for (auto [w, draws] : {std::pair{32767, 3 + 6 * 128}, std::pair{32768, 6}}) {
    RandTable u = primedTable({0, w});
    const RandTable before = u;
    textureField(p, u, settings(10, 10, 128), nullptr);
    EXPECT_EQ(drawsBetween(before, u, 1000), 2 + draws) << w;
  }
}

}  // namespace
}  // namespace velmgen
