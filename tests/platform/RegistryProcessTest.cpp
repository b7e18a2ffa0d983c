// The host registry shared by several processes: concurrent writers, a
// writer killed mid-stream, and the database following VELMORA_ROOT.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "RegistryFixture.h"

using namespace platform;

namespace {

std::string valueName(int writer, int i) { return "w" + std::to_string(writer) + "_" + std::to_string(i); }

// Runs `body` in a child process; its result is the child's exit status.
template <typename Body>
pid_t spawn(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

int exitStatus(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST_F(RegistryTest, ProcessesWritingOneKeyAtOnceLoseNothing) {
  constexpr int kWriters = 4;
  constexpr int kValues = 150;
  regCloseKey(create("Shared"));  // the parent's connection is open before the fork, too

  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(spawn([&, w] {
      ::close(gate[1]);
      char c;
      (void)::read(gate[0], &c, 1);  // all start when the gate closes
      RegKey key;
      std::uint32_t disposition = 0;
      if (regCreateKey(hkcu(), path("Shared"), RegAccess::All, &key, &disposition) != 0) return 100;
      int failures = 0;
      for (int i = 0; i < kValues; ++i) {
        failures += setDword(key, valueName(w, i), static_cast<std::uint32_t>(w * 1000 + i)) != 0;
        failures += setDword(key, "last", static_cast<std::uint32_t>(w)) != 0;
      }
      return std::min(failures, 99);
    }));
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : writers) EXPECT_EQ(exitStatus(pid), 0);

  RegKey key = create("Shared");
  EXPECT_EQ(valueNames(key).size(), static_cast<std::size_t>(kWriters * kValues + 1));
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kValues; ++i) EXPECT_EQ(getDword(key, valueName(w, i)), w * 1000 + i) << valueName(w, i);
  EXPECT_GE(getDword(key, "last"), 0);
  EXPECT_LT(getDword(key, "last"), kWriters);
}

TEST_F(RegistryTest, AWriterKilledMidStreamLeavesASoundDatabase) {
  regCloseKey(create("Killed"));
  const pid_t writer = spawn([&] {
    RegKey key;
    if (regCreateKey(hkcu(), path("Killed"), RegAccess::All, &key, nullptr) != 0) return 1;
    for (int i = 0;; ++i) {
      const std::vector<std::uint8_t> blob(4096, static_cast<std::uint8_t>(i));
      regSetValue(key, valueName(0, i), kRegBinary, blob);
      RegKey sub;
      regCreateKey(key, "k" + std::to_string(i), RegAccess::All, &sub, nullptr);
    }
  });
  RegKey key = create("Killed");
  auto present = [&](std::size_t i) {
    std::uint32_t size = 0;
    return regQueryValue(key, valueName(0, static_cast<int>(i)), nullptr, nullptr, &size) == 0;
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!present(199) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ::kill(writer, SIGKILL);
  EXPECT_EQ(exitStatus(writer), 128 + SIGKILL);

  // The committed values are the first n written, each one whole.
  std::size_t written = 0;
  while (present(written)) ++written;
  EXPECT_GE(written, 200u);
  EXPECT_FALSE(present(written + 1));
  for (std::size_t i = 0; i < written; ++i) {
    std::vector<std::uint8_t> blob(8192);
    std::uint32_t size = static_cast<std::uint32_t>(blob.size());
    ASSERT_EQ(regQueryValue(key, valueName(0, static_cast<int>(i)), nullptr, blob.data(), &size), 0) << i;
    ASSERT_EQ(size, 4096u);
    EXPECT_EQ(blob[0], static_cast<std::uint8_t>(i));
    EXPECT_EQ(blob[4095], static_cast<std::uint8_t>(i));
  }
  ASSERT_EQ(setDword(key, "after", 1), 0);
  EXPECT_EQ(getDword(key, "after"), 1);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((root_ + "/registry.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);
}

TEST_F(RegistryTest, TheDatabaseFollowsVelmoraRoot) {
  RegKey key = create("Rooted");
  ASSERT_EQ(setDword(key, "colours", 16), 0);
  EXPECT_TRUE(std::filesystem::exists(root_ + "/registry.db"));

  const std::string other = tempDir_ + "/other";
  ::setenv("VELMORA_ROOT", other.c_str(), 1);
  RegKey elsewhere;
  EXPECT_EQ(regOpenKey(hkcu(), path("Rooted"), RegAccess::Read, &elsewhere), kErrorFileNotFound);
  EXPECT_TRUE(std::filesystem::exists(other + "/registry.db"));

  ::setenv("VELMORA_ROOT", root_.c_str(), 1);
  RegKey back;
  ASSERT_EQ(regOpenKey(hkcu(), path("Rooted"), RegAccess::Read, &back), 0);
  EXPECT_EQ(getDword(back, "colours"), 16);
}
