#include <ctime>

#include "StoreTestSupport.h"
#include "velmgen/ClockSeed.h"

namespace velmgen {
namespace {

using testing::SettingsKeyTest;

RandTable loadedTable() {
  RandTable t{};
  randInit(t, kInitialSeed, kInitialModulus);
  return t;
}

// A clock seed taken between two moments.
bool isClockSeedAround(std::int32_t seed, std::time_t before) {
  for (std::time_t t = before; t <= std::time(nullptr); ++t) {
    if (seed == clockSeedAt(t)) return true;
  }
  return false;
}

using DefsStoreTest = SettingsKeyTest;

TEST_F(DefsStoreTest, FirstLoadCreatesTheKeyWithDefaults) {
  const std::time_t before = std::time(nullptr);
  RandTable t = loadedTable();
  DefsStore d;
  openDefs(d, t);
  EXPECT_EQ(d.disposition, 1u);
  EXPECT_EQ(stored("size_x"), 64);
  EXPECT_EQ(stored("size_y"), 64);
  EXPECT_EQ(stored("colours"), 256);
  EXPECT_EQ(stored("startup"), 1);
  EXPECT_EQ(stored("mode"), -1);
  ASSERT_TRUE(stored("seed"));
  EXPECT_TRUE(isClockSeedAround(*stored("seed"), before));
  EXPECT_EQ(d.seed, *stored("seed"));
  EXPECT_EQ(getDefs(d, 2), 256);
  EXPECT_EQ(d.max_colour, 255);
  closeDefs(d, t);
}

TEST_F(DefsStoreTest, MissingAndOversizedValuesKeepTheirDefaults) {
  store("colours", 16);
  const std::uint8_t eight[8] = {100, 0, 0, 0, 0, 0, 0, 0};
  storeBytes("size_x", platform::kRegQword, eight);  // 8 bytes: not taken
  const std::time_t before = std::time(nullptr);
  RandTable t = loadedTable();
  DefsStore d;
  openDefs(d, t);
  EXPECT_EQ(d.disposition, 2u);
  EXPECT_EQ(d.size_x, 64);
  EXPECT_EQ(d.size_y, 64);
  EXPECT_EQ(d.colours, 16);
  EXPECT_EQ(d.max_colour, 15);
  EXPECT_EQ(d.startup, 1);
  EXPECT_EQ(d.mode, -1);
  EXPECT_TRUE(isClockSeedAround(d.seed, before));
  // Loading an existing key writes nothing back.
  EXPECT_FALSE(stored("size_y"));
  closeDefs(d, t);
}

TEST_F(DefsStoreTest, IndexRules) {
  DefsStore d;
  struct Case {
    std::int32_t index;
    std::int32_t value;
  };
  for (Case c : {Case{0, 100}, Case{1, -5}, Case{2, 2}, Case{3, 0}}) {
    setDefs(d, c.index, c.value);
    EXPECT_EQ(getDefs(d, c.index), c.value) << c.index;
  }
  EXPECT_EQ(d.max_colour, 1);
  const DefsStore before = d;
  for (std::int32_t index : {4, 7, -1, INT32_MIN}) {
    EXPECT_EQ(getDefs(d, index), -1) << index;
    setDefs(d, index, 999);
  }
  EXPECT_EQ(std::memcmp(&before, &d, sizeof d), 0);  // nothing changed, not mode nor seed
  setDefs(d, 2, INT32_MIN);                          // no overflow in max_colour
  EXPECT_EQ(d.max_colour, INT32_MAX);
}

TEST_F(DefsStoreTest, UnsavedChangesReachTheRegistryAtUnload) {
  RandTable t = loadedTable();
  DefsStore d;
  openDefs(d, t);
  setDefs(d, 0, 100);
  EXPECT_EQ(stored("size_x"), 64);
  closeDefs(d, t);
  EXPECT_EQ(stored("size_x"), 100);
}

TEST_F(DefsStoreTest, EachSaveStoresTheNextTableWord) {
  store("seed", 4242);
  RandTable t = loadedTable();
  DefsStore d;
  openDefs(d, t);
  RandTable expected = t;
  const std::int32_t first = nextRaw(expected), second = nextRaw(expected);
  EXPECT_EQ(saveDefs(d, t), 0);
  EXPECT_EQ(stored("seed"), first);
  EXPECT_EQ(saveDefs(d, t), 0);
  EXPECT_EQ(stored("seed"), second);
  EXPECT_NE(first, second);
  closeDefs(d, t);
}

TEST_F(DefsStoreTest, SeedChainsAcrossLoads) {
  // The first three draws after a reseed do not depend on the table's past,
  // so the seed stored at each unload is predictable.
  auto firstDraw = [](std::int32_t seed) {
    RandTable t{};
    randInit(t, kInitialSeed, kInitialModulus);
    reseed(t, seed);
    return nextRaw(t);
  };
  store("seed", 777);
  for (int load = 0; load < 2; ++load) {
    const std::int32_t seed = *stored("seed");
    RandTable t = loadedTable();
    DefsStore d;
    openDefs(d, t);
    EXPECT_EQ(d.seed, seed);
    closeDefs(d, t);
    EXPECT_EQ(stored("seed"), firstDraw(seed)) << "load " << load;
  }
}

TEST_F(DefsStoreTest, ACreatingProcessWritesTheDefaultsOnEveryLoad) {
  RandTable t = loadedTable();
  DefsStore d;
  openDefs(d, t);
  setDefs(d, 0, 300);
  saveDefs(d, t);
  EXPECT_EQ(stored("size_x"), 300);
  loadDefs(d, t);
  EXPECT_EQ(d.size_x, 64);
  EXPECT_EQ(stored("size_x"), 64);
  closeDefs(d, t);
}

}  // namespace
}  // namespace velmgen
