#pragma once
// Tests that fail the host's services on purpose (platform/HostFaults.h).
// Each test gets a fresh host root with C:\windows, C:\setup as its current
// directory and a registry of its own; the switch is disarmed after it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/HostFaults.h"
#include "platform/HostRoot.h"

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "velmora-faults-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    temp_ = pattern;
    root_ = temp_ / "root";
    fs::create_directories(root_ / "drive_c" / "windows" / "system32");
    fs::create_directories(root_ / "drive_c" / "setup");
    ::setenv("VELMORA_ROOT", root_.c_str(), 1);
    previous_ = fs::current_path();
    fs::current_path(root_ / "drive_c" / "setup");
    platform::faults::clearFaults();
  }
  void TearDown() override {
    platform::faults::clearFaults();
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(temp_, ec);
  }

  std::filesystem::path host(const std::string& relative) const { return root_ / relative; }

  static std::string fileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // PRAGMA integrity_check of the registry database, through a connection
  // of its own: "ok" when the file is sound.
  std::string registryIntegrity() const {
    sqlite3* db = nullptr;
    const std::string path = (root_ / "registry.db").string();
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      return "cannot open";
    }
    std::string result;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) += values[0] ? values[0] : "";
          return 0;
        },
        &result, nullptr);
    sqlite3_close(db);
    return result;
  }

  std::filesystem::path temp_;
  std::filesystem::path root_;
  std::filesystem::path previous_;
};
