#pragma once
// Each test works in a folder of its own on drive C: ("C:\UnTest-<name>"),
// with a fresh VELMORA_ROOT natively and the run's private Wine prefix under
// Wine. Files, folders and registry values are made and checked through the
// real platform services, so the same test runs on both.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "setup/LogFormat.h"
#include "uninstall/Uninstaller.h"

class UninstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-uninstall-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    tempDir_ = pattern;
    ::setenv("VELMORA_ROOT", tempDir_.c_str(), 1);
    std::filesystem::create_directories(tempDir_ + "/drive_c");
#endif
    dir_ = std::string("C:\\UnTest-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(platform::createDirectory(dir_), 0);
    logPath_ = dir_ + "\\inst.log";
  }

  void TearDown() override {
    uninstall::closeLog();
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
#endif
  }

  std::string at(const std::string& name) const { return dir_ + "\\" + name; }

  // The log: the two header lines and then `records` as written.
  void writeLog(const std::string& records) const { writeBytes(logPath_, std::string(setup::kLogHeader) + records); }

  static void writeBytes(const std::string& path, const std::string& bytes) {
    ASSERT_EQ(platform::writeFile(path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}), 0)
        << path;
  }
  static void makeFile(const std::string& path) { writeBytes(path, "data"); }
  static void makeDir(const std::string& path) { ASSERT_EQ(platform::createDirectory(path), 0) << path; }
  static bool exists(const std::string& path) { return platform::fileExists(path); }
  static std::string readText(const std::string& path) {
    std::vector<std::uint8_t> data;
    platform::readFile(path, 1 << 20, &data);
    return {data.begin(), data.end()};
  }

  // Loads the log and runs the three passes; true when all ran.
  bool uninstallAll(const uninstall::UninstallProgress& progress = {}) {
    if (uninstall::loadLog(logPath_) != 0) return false;
    return uninstall::runPasses(progress);
  }

  // ---------------------------------------------------------------- registry
  static platform::RegKey root(platform::RegRoot r) { return platform::regRoot(r); }
  static platform::RegKey machine() { return root(platform::RegRoot::LocalMachine); }
  static platform::RegKey user() { return root(platform::RegRoot::CurrentUser); }

  static void setValue(platform::RegKey parent, const std::string& key, const std::string& name, std::uint32_t v) {
    platform::RegKey k;
    ASSERT_EQ(platform::regCreateKey(parent, key, platform::RegAccess::All, &k, nullptr), 0);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    ASSERT_EQ(platform::regSetValue(k, name, platform::kRegDword, bytes), 0);
    platform::regCloseKey(k);
  }
  // The value's 4 bytes as a number; -1 when it is missing.
  static std::int64_t value(platform::RegKey parent, const std::string& key, const std::string& name) {
    platform::RegKey k;
    if (platform::regOpenKey(parent, key, platform::RegAccess::Read, &k) != 0) return -1;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = 4;
    const std::int32_t error = platform::regQueryValue(k, name, nullptr, bytes, &size);
    platform::regCloseKey(k);
    if (error != 0) return -1;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::int64_t{bytes[3]} << 24;
  }
  static bool keyExists(platform::RegKey parent, const std::string& key) {
    platform::RegKey k;
    if (platform::regOpenKey(parent, key, platform::RegAccess::Read, &k) != 0) return false;
    platform::regCloseKey(k);
    return true;
  }
  static void setCount(const std::string& path, std::uint32_t n) {
    setValue(machine(), std::string(setup::kSharedDllsKey), path, n);
  }
  static std::int64_t count(const std::string& path) {
    return value(machine(), std::string(setup::kSharedDllsKey), path);
  }

  std::string tempDir_;
  std::string dir_;
  std::string logPath_;
};
