#pragma once
// Every registry test works below a key of its own under HKEY_CURRENT_USER.
// Natively each test also gets a fresh VELMORA_ROOT, so a fresh database;
// under Wine the runner gives every run a private prefix.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-reg-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    tempDir_ = pattern;
    // A root that does not exist yet: the registry makes it.
    root_ = tempDir_ + "/root";
    ::setenv("VELMORA_ROOT", root_.c_str(), 1);
#endif
    base_ = std::string("Software\\VelmoraTests\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    platform::regDeleteTree(hkcu(), base_);
  }

  void TearDown() override {
    platform::regDeleteTree(hkcu(), base_);
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
#endif
  }

  static platform::RegKey hkcu() { return platform::regRoot(platform::RegRoot::CurrentUser); }

  std::string path(const std::string& sub) const { return sub.empty() ? base_ : base_ + "\\" + sub; }

  // Creates base\sub with full access, failing the test if that fails.
  platform::RegKey create(const std::string& sub, std::uint32_t* disposition = nullptr) {
    platform::RegKey key;
    EXPECT_EQ(platform::regCreateKey(hkcu(), path(sub), platform::RegAccess::All, &key, disposition), 0);
    return key;
  }

  static std::int32_t setDword(platform::RegKey key, const std::string& name, std::uint32_t v) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    return platform::regSetValue(key, name, platform::kRegDword, bytes);
  }

  // The value's DWORD, or -1 when it cannot be read as one.
  static std::int64_t getDword(platform::RegKey key, const std::string& name) {
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    std::uint32_t type = 0;
    if (platform::regQueryValue(key, name, &type, bytes, &size) != 0 || size != 4 || type != platform::kRegDword)
      return -1;
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
  }

  static std::vector<std::string> valueNames(platform::RegKey key) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; platform::regEnumValue(key, i, &name) == 0; ++i) names.push_back(name);
    return names;
  }

  std::string tempDir_;
  std::string root_;
  std::string base_;
};
