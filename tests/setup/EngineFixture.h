#pragma once
// Each test runs in a fresh directory of its own, which is the current
// directory (the installer's start directory) while it runs. Natively the
// drive folders live under a fresh VELMORA_ROOT too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "Bytecode.h"
#include "PackWriter.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

inline std::string fileText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("velmora-setup-") + info->test_suite_name() + "-" + info->name());
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
#ifndef _WIN32
    ::setenv("VELMORA_ROOT", (dir_ / "root").string().c_str(), 1);
#endif
    setup::Engine& e = setup::engineState();
    e.frontEnd = {};
    e.rebootNeeded = 0;
    e.dryRun = 0;
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Writes a pack "inst" holding the script (made from `types` and `code`)
  // and the further entries; starts the engine and creates the log.
  std::int32_t startWith(const std::vector<std::uint8_t>& types, const kestrin::Bytes& code,
                         std::vector<kestrin::PackInput> more = {}, std::uint64_t volumeSize = 0) {
    std::vector<kestrin::PackInput> inputs;
    inputs.push_back({"script", "", kestrin::scriptEntry(types, code), 0});
    for (auto& m : more) inputs.push_back(std::move(m));
    std::string error;
    EXPECT_TRUE(kestrin::writePack("inst", inputs, volumeSize, nullptr, &error)) << error;
    const std::int32_t status = setup::startEngine();
    EXPECT_EQ(setup::createLog(setup::engineState().baseName), 1);
    return status;
  }

  // Runs to the end, serving requests with nothing; returns the statuses seen.
  std::vector<std::int32_t> runToEnd() {
    std::vector<std::int32_t> seen;
    setup::Engine& e = setup::engineState();
    for (int guard = 0; guard < 1000; ++guard) {
      e.runStatus = 0;
      setup::runLoop();
      seen.push_back(e.runStatus);
      if (e.runStatus != setup::kStatusBackground && e.runStatus != setup::kStatusDialog) break;
    }
    return seen;
  }

  static std::string readFile(const std::filesystem::path& p) { return fileText(p); }
  std::string logText() const { return readFile(dir_ / "inst.log"); }
  // The log after its two header lines.
  std::string records() const {
    const std::string all = logText();
    const std::size_t second = all.find('\n', all.find('\n') + 1);
    return second == std::string::npos ? std::string() : all.substr(second + 1);
  }

  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

inline constexpr char kLogHeader[] =
    ";Uninstall Log (created by Kestrin 98)\n;----------------------------------------------\n";
