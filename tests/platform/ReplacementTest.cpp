// A file written piece by piece to a temporary file and put in place whole:
// readers see the old file until the commit, and a failure or an abandoned
// write leaves the old file and no stray temporary behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class Replacement : public ::testing::Test {
 protected:
  fs::path dir;
  std::string target;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("velmora-replace-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    target = (dir / "wall.bmp").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  std::string contents(const std::string& path) const {
    std::vector<std::uint8_t> data;
    if (platform::readFile(path, 1 << 20, &data) != platform::kErrorSuccess) return "<unreadable>";
    return {data.begin(), data.end()};
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
  }
};

TEST_F(Replacement, PiecesReplaceTheOldFileOnlyAtTheCommit) {
  ASSERT_EQ(platform::writeFile(target, bytesOf("old contents")), platform::kErrorSuccess);
  platform::Replacement r;
  ASSERT_EQ(platform::openReplacement(target, &r), platform::kErrorSuccess);
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    const std::string piece = "piece " + std::to_string(i) + std::string(static_cast<std::size_t>(i * 37), 'x');
    ASSERT_EQ(platform::writeReplacement(r, bytesOf(piece)), platform::kErrorSuccess);
    expected += piece;
  }
  EXPECT_EQ(platform::writeReplacement(r, {}), platform::kErrorSuccess);
  EXPECT_EQ(contents(target), "old contents");
  ASSERT_EQ(platform::commitReplacement(r), platform::kErrorSuccess);
  EXPECT_EQ(contents(target), expected);
  EXPECT_EQ(names(), std::vector<std::string>{"wall.bmp"});
  // A file made where there was none, and replaceFile on the same path.
  const std::string fresh = (dir / "fresh.bmp").string();
  ASSERT_EQ(platform::openReplacement(fresh, &r), platform::kErrorSuccess);
  ASSERT_EQ(platform::writeReplacement(r, bytesOf("new")), platform::kErrorSuccess);
  ASSERT_EQ(platform::commitReplacement(r), platform::kErrorSuccess);
  EXPECT_EQ(contents(fresh), "new");
  ASSERT_EQ(platform::replaceFile(fresh, bytesOf("again")), platform::kErrorSuccess);
  EXPECT_EQ(contents(fresh), "again");
  EXPECT_EQ(names().size(), 2u);
}

TEST_F(Replacement, AbandonedOrFailedWritesLeaveTheOldFile) {
  ASSERT_EQ(platform::writeFile(target, bytesOf("old contents")), platform::kErrorSuccess);

  // Abandoned half-way.
  platform::Replacement r;
  ASSERT_EQ(platform::openReplacement(target, &r), platform::kErrorSuccess);
  ASSERT_EQ(platform::writeReplacement(r, bytesOf("half of it")), platform::kErrorSuccess);
  platform::abandonReplacement(r);
  EXPECT_EQ(contents(target), "old contents");
  EXPECT_EQ(names(), std::vector<std::string>{"wall.bmp"});

  // Written to after it was abandoned: the failure is kept and the commit
  // puts nothing in place.
  EXPECT_EQ(platform::writeReplacement(r, bytesOf("late")), platform::kErrorInvalidHandle);
  EXPECT_EQ(platform::commitReplacement(r), platform::kErrorInvalidHandle);
  EXPECT_EQ(contents(target), "old contents");

  // A folder on the way is missing: the cause comes back from every step.
  const std::string lost = (dir / "missing" / "wall.bmp").string();
  EXPECT_EQ(platform::openReplacement(lost, &r), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::writeReplacement(r, bytesOf("x")), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::commitReplacement(r), platform::kErrorPathNotFound);
  EXPECT_FALSE(fs::exists(dir / "missing"));

  // The target is a folder with something in it: the rename fails, the
  // folder stays and no temporary is left beside it.
  const fs::path folder = dir / "folder.bmp";
  fs::create_directories(folder / "inside");
  ASSERT_EQ(platform::openReplacement(folder.string(), &r), platform::kErrorSuccess);
  ASSERT_EQ(platform::writeReplacement(r, bytesOf("x")), platform::kErrorSuccess);
  EXPECT_NE(platform::commitReplacement(r), platform::kErrorSuccess);
  EXPECT_TRUE(fs::is_directory(folder / "inside"));
  EXPECT_EQ(names().size(), 2u);
}

}  // namespace
