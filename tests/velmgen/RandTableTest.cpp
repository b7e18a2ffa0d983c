#include <gtest/gtest.h>

#include <vector>

#include "velmgen/RandTable.h"

namespace velmgen {
namespace {

RandTable builtAtLoad() {
  RandTable t{};
  randInit(t, kInitialSeed, kInitialModulus);
  return t;
}

std::vector<std::int32_t> draws(RandTable& t, int n) {
  std::vector<std::int32_t> out;
  for (int i = 0; i < n; ++i) out.push_back(nextRaw(t));
  return out;
}

TEST(RandTable, FirstValuesAfterLoad) {
  RandTable t = builtAtLoad();
  EXPECT_EQ(draws(t, 2), (std::vector<std::int32_t>{-875733111, 810303339}));
}

TEST(RandTable, ReseedKeepsOneWordFromBefore) {
  RandTable t = builtAtLoad();
  reseed(t, 12345);
  const std::vector<std::int32_t> first = draws(t, 8);
  EXPECT_EQ(first, (std::vector<std::int32_t>{11817, 28399, 48718, -1740735591, 49895, 841, 13869, 39921}));
  EXPECT_EQ(first[3] & 0xFFFF, 31641);

  reseed(t, 12345);
  const std::vector<std::int32_t> second = draws(t, 8);
  EXPECT_EQ(second, (std::vector<std::int32_t>{11817, 28399, 48718, -1740382209, 49895, 841, 13869, 39921}));
  EXPECT_EQ(second[3] & 0xFFFF, 57343);
}

TEST(RandTable, HistoryBeforeReseedReachesTheFourthDraw) {
  RandTable a = builtAtLoad(), b = builtAtLoad();
  reseed(a, 1000);
  reseed(a, 12345);
  reseed(b, 2000);
  reseed(b, 12345);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(next16(a), next16(b)) << "draw " << i;
  EXPECT_NE(next16(a), next16(b));
}

TEST(RandTable, SameHistoryGivesSameSequence) {
  RandTable a = builtAtLoad(), b = builtAtLoad();
  reseed(a, 777);
  reseed(b, 777);
  EXPECT_EQ(draws(a, 500), draws(b, 500));
}

TEST(RandTable, FiftyFiveDrawsThenRefill) {
  RandTable t = builtAtLoad();
  reseed(t, 4242);
  const RandTable seeded = t;
  for (int i = 1; i <= 55; ++i) EXPECT_EQ(nextRaw(t), seeded.T[i]);
  EXPECT_EQ(t.index, 55);
  nextRaw(t);
  EXPECT_EQ(t.index, 1);
  // The last word before every refill repeats the seed's word 55.
  for (int i = 0; i < 54; ++i) nextRaw(t);
  EXPECT_EQ(t.T[55], seeded.T[55]);
}

TEST(RandTable, Next16KeepsLowBits) {
  RandTable t = builtAtLoad();
  t.T[1] = 0x00012345;
  t.T[2] = -1;
  t.index = 0;
  EXPECT_EQ(next16(t), 0x2345);
  EXPECT_EQ(nextRaw(t), -1);
}

TEST(RandTable, DrawFormsAtTheirExtremes) {
  RandTable t = builtAtLoad();
  t.T[1] = t.T[2] = t.T[3] = t.T[4] = 65535;
  t.index = 0;
  EXPECT_EQ(drawByte(t), 255.0);
  EXPECT_EQ(static_cast<int>(next16(t) * K8), 7);
  // u1 just below 1: the Gaussian value sits on the mean.
  const double v = GaussDraw{t, 100.0, 10.0}.value();
  EXPECT_NEAR(v, 100.0, 2e-8 * 10.0);
}

TEST(RandTable, ConstantsAreTheNearestDoubles) {
  EXPECT_DOUBLE_EQ(K, 1.0 / 65535);
  EXPECT_DOUBLE_EQ(K255, 255.0 / 65535);
  EXPECT_DOUBLE_EQ(K1, (1 - 1e-7) / 65535);
  EXPECT_DOUBLE_EQ(K8, 7.999999 / 65535);
  EXPECT_DOUBLE_EQ(K255i, 1.0 / 255);
}

}  // namespace
}  // namespace velmgen
