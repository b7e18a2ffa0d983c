// The pack reader: layout, the prefix look-up, loading, copying through the
// 1 MiB buffer, and entries split across volumes.
#include <cstring>

#include "EngineFixture.h"

namespace {

using namespace setup;
using kestrin::Bytes;
using kestrin::PackInput;

Bytes pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 31 + seed + (i >> 20));
  return b;
}

std::string asString(const Bytes& b) { return {b.begin(), b.end()}; }

// A volume written by hand: header, then raw records and data.
void writeVolume(const std::string& name, std::uint32_t dirLength, const Bytes& rest) {
  Bytes v{'V', 'F', 'S'};
  kestrin::put32(v, dirLength);
  v.insert(v.end(), rest.begin(), rest.end());
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), v.size());
}

Bytes record(std::string_view name, std::uint32_t offset, std::uint32_t size, std::uint8_t flags = 0) {
  Bytes r(name.begin(), name.end());
  r.resize(32, 0);
  kestrin::put32(r, offset);
  kestrin::put32(r, size);
  r.push_back(flags);
  return r;
}

class InstallPackTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    theVolumeChain().start("p");
  }
  std::unique_ptr<InstallPack> pack(const std::vector<PackInput>& inputs, std::uint64_t volumeSize = 0) {
    std::string error;
    EXPECT_TRUE(kestrin::writePack("p", inputs, volumeSize, nullptr, &error)) << error;
    return InstallPack::open("p.i00");
  }
};

TEST_F(InstallPackTest, WritesTheDocumentedLayout) {
  const Bytes data = pattern(100, 7);
  auto p = pack({{"script", "", data, 0}});
  Bytes expect{0x56, 0x46, 0x53, 0x29, 0, 0, 0};
  const Bytes r = record("script", 48, 100);
  expect.insert(expect.end(), r.begin(), r.end());
  expect.insert(expect.end(), data.begin(), data.end());
  EXPECT_EQ(readFile(dir_ / "p.i00"), asString(expect));
  ASSERT_EQ(p->status, kPackOk);
  EXPECT_EQ(p->recordCount, 1);
}

TEST_F(InstallPackTest, DirectoryLengthRoundsToRecordsAndNeverBelowOne) {
  Bytes rest = record("a", 7 + 41, 0);
  rest.resize(41 * 3, 0);
  for (auto [length, count] : {std::pair{0u, 1}, {34u, 1}, {41u, 1}, {75u, 1}, {76u, 2}, {82u, 2}, {123u, 3}}) {
    writeVolume("h.i00", length, rest);
    auto p = InstallPack::open("h.i00");
    ASSERT_EQ(p->status, kPackOk) << length;
    EXPECT_EQ(p->recordCount, count) << length;
  }
}

TEST_F(InstallPackTest, FirstRecordWhoseNameBeginsTheLookedUpNameWins) {
  Bytes rest = record("s", 0, 1);
  for (auto& r : {record("script", 0, 2), record("uninstall", 0, 3), record(std::string(32, 'L'), 0, 4)})
    rest.insert(rest.end(), r.begin(), r.end());
  writeVolume("h.i00", 41 * 4, rest);
  auto p = InstallPack::open("h.i00");
  ASSERT_EQ(p->recordCount, 4);
  EXPECT_EQ(p->lookUp("script"), 0);  // "s" comes first
  EXPECT_EQ(p->lookUp("sx"), 0);
  EXPECT_EQ(p->lookUp("uninstall"), 2);
  EXPECT_EQ(p->lookUp("uninstall.exe"), 2);
  EXPECT_EQ(p->lookUp("uninstal"), -1);  // shorter than the record name
  EXPECT_EQ(p->lookUp("Uninstall"), -1);
  EXPECT_EQ(p->lookUp(std::string(32, 'L')), 3);  // 32 bytes without NUL
  EXPECT_EQ(p->lookUp(std::string(40, 'L') + "tail"), 3);
  EXPECT_EQ(p->lookUp(std::string(31, 'L')), -1);
}

TEST_F(InstallPackTest, AnEmptyRecordNameMatchesEveryName) {
  Bytes rest = record("", 0, 0);
  const Bytes second = record("script", 0, 0);
  rest.insert(rest.end(), second.begin(), second.end());
  writeVolume("h.i00", 82, rest);
  EXPECT_EQ(InstallPack::open("h.i00")->lookUp("script"), 0);
}

TEST_F(InstallPackTest, KeptEntriesLoadOnceOthersEachTime) {
  auto p = pack({{"kept", "", pattern(10, 1), kFlagKeepLoaded}, {"plain", "", pattern(10, 2), 0},
                 {"aligned", "", pattern(13, 3), kFlagAligned}});
  PackEntry* k1 = p->loadEntry("kept");
  PackEntry* k2 = p->loadEntry("kept");
  ASSERT_NE(k1, nullptr);
  EXPECT_EQ(k1, k2);
  PackEntry* a = p->loadEntry("plain");
  PackEntry* b = p->loadEntry("plain");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_NE(a->data, b->data);
  EXPECT_EQ(0, std::memcmp(a->data, pattern(10, 2).data(), 10));
  PackEntry* al = p->loadEntry("aligned");
  ASSERT_NE(al, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(al->data) % 8, 0u);
  EXPECT_EQ(al->size, 13u);
  EXPECT_EQ(0, std::memcmp(al->data, pattern(13, 3).data(), 13));
  // Loaded entries outlive their volume.
  p->close();
  EXPECT_EQ(0, std::memcmp(k1->data, pattern(10, 1).data(), 10));
  EXPECT_EQ(p->status, kPackOk);
}

TEST_F(InstallPackTest, CopiesEmptyAndWholeMebibyteEntriesAndTruncatesTheOutput) {
  const Bytes mib = pattern(kCopyChunk, 9);
  const Bytes more = pattern(kCopyChunk + 5, 4);
  auto p = pack({{"empty", "", {}, 0}, {"mib", "", mib, 0}, {"more", "", more, 0}});
  std::ofstream("out", std::ios::binary) << std::string(3000000, 'x');
  p->extractEntry("empty", "out");
  EXPECT_EQ(readFile(dir_ / "out"), "");
  p->extractEntry("mib", "out");
  EXPECT_EQ(readFile(dir_ / "out"), asString(mib));
  p->extractEntry("more", "out");
  EXPECT_EQ(readFile(dir_ / "out"), asString(more));
  EXPECT_EQ(p->status, kPackOk);
  EXPECT_EQ(theVolumeChain().continuationPending, 0);
}

TEST_F(InstallPackTest, SplitEntryIsJoinedAndLeavesTheChainOnTheNextVolume) {
  const Bytes big = pattern(5000, 5);
  std::vector<std::string> volumes;
  std::string error;
  ASSERT_TRUE(kestrin::writePack("p", {{"first", "", pattern(100, 1), 0}, {"big", "", big, 0}, {"after", "", pattern(7, 2), 0}},
                                 2048, &volumes, &error))
      << error;
  ASSERT_EQ(volumes.size(), 3u);
  std::unique_ptr<InstallPack> current = InstallPack::open("p.i00");
  EXPECT_EQ(current->directory[1].flags() & (kFlagContinued | kFlagContinuation), kFlagContinued);
  EXPECT_EQ(current->lookUp("after"), -1);
  ASSERT_TRUE(copyEntry(current, "big", "big.out"));
  EXPECT_EQ(readFile(dir_ / "big.out"), asString(big));
  EXPECT_EQ(theVolumeChain().volumeNumber, 2);
  EXPECT_EQ(current->fileName, "p.i02");
  EXPECT_EQ(current->directory[0].flags(), kFlagContinuation);
  EXPECT_GE(current->lookUp("after"), 0);  // look-ups now search the last volume
  EXPECT_EQ(current->lookUp("first"), -1);
}

TEST_F(InstallPackTest, StatusIsStickyUntilAVolumeIsOpenedAgain) {
  auto p = pack({{"a", "", pattern(5, 1), 0}});
  EXPECT_EQ(p->loadEntry("zzz"), nullptr);
  EXPECT_EQ(p->status, kPackNoEntry);
  ASSERT_NE(p->loadEntry("a"), nullptr);
  EXPECT_EQ(p->status, kPackNoEntry);
  p->extractEntry("a", (dir_ / "no-such-dir" / "x").string());
  EXPECT_EQ(p->status, kPackCannotOpen);
  EXPECT_EQ(InstallPack::open("p.i00")->status, kPackOk);
  EXPECT_EQ(InstallPack::open("missing.i00")->status, kPackCannotOpen);
}

}  // namespace
