#pragma once
// Runs scripts written in the script language (compiled with kestrin's
// core) through the engine on real files and the real registry, with the
// front end's progress steps and copy-error answers taken by the engine's
// own hooks.
#include <deque>
#include <string>
#include <vector>

#include "Compiler.h"
#include "EngineFixture.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemDirs.h"
#include "setup/LogFormat.h"

class CommandsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    std::error_code ec;
    std::filesystem::create_directories(platform::nativePath(platform::systemDirectory()), ec);
  }

  // Compiles and packs the script with the further entries, starts the
  // engine, runs it to the end.
  void run(const std::string& source, std::vector<kestrin::PackInput> entries = {}, int dryRun = 0) {
    steps.clear();
    questions.clear();
    kestrin::Bytes script;
    std::string error;
    ASSERT_TRUE(kestrin::compileScript(source, "test.kes", &script, &error)) << error;
    std::vector<kestrin::PackInput> inputs{{"script", "", script, 0}};
    for (auto& e : entries) inputs.push_back(std::move(e));
    ASSERT_TRUE(kestrin::writePack("inst", inputs, 0, nullptr, &error)) << error;
    ASSERT_EQ(setup::startEngine(), setup::kStatusRunning);
    ASSERT_EQ(setup::createLog(setup::engineState().baseName), 1);
    setup::FrontEndHooks& hooks = setup::engineState().frontEnd;
    hooks.progressStep = [this](const char* caption, const char* detail) {
      steps.push_back(std::string(caption) + "|" + detail);
    };
    hooks.askCopyError = [this](const char* text, const char* caption, std::uint32_t style) {
      questions.push_back(std::string(caption) + "|" + text);
      EXPECT_EQ(style, setup::kBoxAbortRetryIgnore | setup::kBoxIconStop);
      if (onQuestion) onQuestion();
      if (answers.empty()) return setup::CopyErrorAnswer::Abort;
      const setup::CopyErrorAnswer a = answers.front();
      answers.pop_front();
      return a;
    };
    setup::engineState().dryRun = dryRun;
    runToEnd();
  }

  static kestrin::PackInput entry(const std::string& name, const std::string& text) {
    return {name, "", kestrin::Bytes(text.begin(), text.end()), 0};
  }
  static kestrin::PackInput entry(const std::string& name, const kestrin::Bytes& bytes) { return {name, "", bytes, 0}; }

  // The start directory as the engine spells it.
  static std::string start() { return setup::systemVariables()[setup::kStartDir].string; }
  // A string literal of the script language for `text`.
  static std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
    return out + "\"";
  }

  static std::string contents(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (platform::readFile(path, 1u << 24, &bytes) != 0) return "<missing>";
    return {bytes.begin(), bytes.end()};
  }

  static platform::RegKey root(platform::RegRoot r) { return platform::regRoot(r); }
  // A REG_DWORD value, or -1 when there is none.
  static std::int64_t dword(platform::RegRoot r, const std::string& key, const std::string& name) {
    platform::RegKey k;
    if (platform::regOpenKey(root(r), key, platform::RegAccess::Read, &k) != 0) return -1;
    std::uint32_t type = 0, size = 4;
    std::uint8_t data[4] = {};
    const std::int32_t error = platform::regQueryValue(k, name, &type, data, &size);
    platform::regCloseKey(k);
    if (error != 0 || type != platform::kRegDword || size != 4) return -1;
    return data[0] | data[1] << 8 | data[2] << 16 | std::int64_t{data[3]} << 24;
  }
  // A value's type and bytes; type 0xFFFFFFFF when there is none.
  static std::pair<std::uint32_t, std::string> value(platform::RegRoot r, const std::string& key,
                                                     const std::string& name) {
    platform::RegKey k;
    if (platform::regOpenKey(root(r), key, platform::RegAccess::Read, &k) != 0) return {0xFFFFFFFF, ""};
    std::uint32_t type = 0, size = 4096;
    std::vector<std::uint8_t> data(size);
    const std::int32_t error = platform::regQueryValue(k, name, &type, data.data(), &size);
    platform::regCloseKey(k);
    if (error != 0) return {0xFFFFFFFF, ""};
    return {type, std::string(data.begin(), data.begin() + size)};
  }
  static std::int64_t sharedCount(const std::string& path) {
    return dword(platform::RegRoot::LocalMachine, std::string(setup::kSharedDllsKey), path);
  }

  std::vector<std::string> steps;
  std::vector<std::string> questions;
  std::deque<setup::CopyErrorAnswer> answers;
  std::function<void()> onQuestion;
};
