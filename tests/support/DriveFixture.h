#pragma once
// A test that works on real files by Windows path. Natively every test gets
// a fresh VELMORA_ROOT with the Windows and system directories made; under
// Wine the runner's private prefix has them. Each test also gets a folder
// of its own, C:\vt\<test>, emptied before and after.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemDirs.h"

class DriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-drive-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    tempRoot_ = pattern;
    ::setenv("VELMORA_ROOT", tempRoot_.c_str(), 1);
#endif
    makeDirs(platform::systemDirectory());
    work_ = std::string("C:\\vt\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ec;
    std::filesystem::remove_all(platform::nativePath(work_), ec);
    makeDirs(work_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(platform::nativePath(work_), ec);
#ifndef _WIN32
    std::filesystem::remove_all(tempRoot_, ec);
#endif
  }

  static void makeDirs(const std::string& windowsPath) {
    std::error_code ec;
    std::filesystem::create_directories(platform::nativePath(windowsPath), ec);
  }
  std::string at(const std::string& name) const { return work_ + "\\" + name; }

  static void put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(platform::writeFile(path, bytes), 0) << path;
  }
  static void put(const std::string& path, const std::string& text) {
    put(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  static std::string text(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (platform::readFile(path, 1u << 24, &bytes) != 0) return "<missing>";
    return {bytes.begin(), bytes.end()};
  }

  std::string work_;
  std::string tempRoot_;
};
