#pragma once
// A clean settings key for each test: natively a private VELMORA_ROOT, under
// Wine the run's private prefix with the key deleted first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "velmgen/DefsStore.h"
#include "velmgen/WallGen.h"

namespace velmgen::testing {

class SettingsKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
#if !defined(_WIN32)
    root_ = std::filesystem::temp_directory_path() / ("velmora-store-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ::setenv("VELMORA_ROOT", root_.c_str(), 1);
#endif
    platform::regDeleteTree(hkcu(), kSettingsKey);
    std::filesystem::create_directories(std::filesystem::path(platform::nativePath(kWallpaperPath)).parent_path());
    std::filesystem::remove(platform::nativePath(kWallpaperPath));
  }
  void TearDown() override {
    platform::regDeleteTree(hkcu(), kSettingsKey);
#if !defined(_WIN32)
    std::filesystem::remove_all(root_);
#endif
  }

  static platform::RegKey hkcu() { return platform::regRoot(platform::RegRoot::CurrentUser); }

  // Writes a 4-byte DWORD (or any bytes) under the settings key.
  static void store(std::string_view name, std::int32_t value) {
    std::uint8_t b[4];
    std::memcpy(b, &value, 4);
    storeBytes(name, platform::kRegDword, {b, 4});
  }
  static void storeBytes(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> bytes) {
    platform::RegKey key;
    ASSERT_EQ(platform::regCreateKey(hkcu(), kSettingsKey, platform::RegAccess::All, &key, nullptr), 0);
    ASSERT_EQ(platform::regSetValue(key, name, type, bytes), 0);
    platform::regCloseKey(key);
  }

  // A stored DWORD, or nothing when missing or not 4 bytes of REG_DWORD.
  static std::optional<std::int32_t> stored(std::string_view name) {
    platform::RegKey key;
    if (platform::regOpenKey(hkcu(), kSettingsKey, platform::RegAccess::Read, &key) != 0) return std::nullopt;
    std::uint8_t b[8];
    std::uint32_t size = sizeof b, type = 0;
    const std::int32_t rc = platform::regQueryValue(key, name, &type, b, &size);
    platform::regCloseKey(key);
    if (rc != 0 || type != platform::kRegDword || size != 4) return std::nullopt;
    std::int32_t v;
    std::memcpy(&v, b, 4);
    return v;
  }

  std::filesystem::path root_;
};

}  // namespace velmgen::testing
