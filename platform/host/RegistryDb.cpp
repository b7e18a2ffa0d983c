#include "RegistryDb.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/HostRoot.h"

namespace platform::hostreg {
namespace {

// Long enough for another process to finish a burst of writes; the settings
// are written by two programs at log-on at the same moment.
constexpr int kBusyTimeoutMs = 10000;

// Keys form a tree below the four roots (ids 1 to 4). AUTOINCREMENT keeps
// ids from being reused, so a handle to a deleted key never reaches a new
// one. Names compare with NOCASE, SQLite's ASCII case folding, and keep the
// spelling they were made with.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name)) WITHOUT ROWID;"
    "INSERT OR IGNORE INTO keys(id, parent, name) VALUES"
    "  (1, NULL, 'HKEY_CLASSES_ROOT'), (2, NULL, 'HKEY_CURRENT_USER'),"
    "  (3, NULL, 'HKEY_LOCAL_MACHINE'), (4, NULL, 'HKEY_USERS');";

std::mutex gLock;
sqlite3* gDb = nullptr;
std::string gPath;
pid_t gPid = 0;

// WAL lets readers go on while one process writes, and a process killed
// mid-transaction leaves only an uncommitted tail that the next opener drops.
// Switching a new database to WAL needs it to itself for a moment, so another
// process opening it at the same time is waited for.
bool enableWal(sqlite3* handle) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    Stmt mode(handle, "PRAGMA journal_mode=WAL");
    if (mode.ok() && mode.step() == SQLITE_ROW && mode.text(0) == "wal") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

sqlite3* openAt(const std::string& root, const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  sqlite3* handle = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(handle);
    return nullptr;
  }
  sqlite3_busy_timeout(handle, kBusyTimeoutMs);
  // In WAL mode NORMAL loses nothing when a process dies; only a power cut
  // can drop the last commits, never damage the file.
  bool ok = enableWal(handle) &&
            sqlite3_exec(handle, "PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", nullptr, nullptr,
                         nullptr) == SQLITE_OK;
  if (ok) {
    Transaction tx(handle, true);
    ok = tx.ok() && sqlite3_exec(handle, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK && tx.commit();
  }
  if (!ok) {
    sqlite3_close(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace

std::unique_lock<std::mutex> dbLock() { return std::unique_lock<std::mutex>(gLock); }

sqlite3* db() {
  const std::string root = hostRoot();
  const std::string path = root + "/registry.db";
  const pid_t pid = ::getpid();
  if (gDb && gPid != pid) {
    // A forked child must not touch its parent's connection, not even to
    // close it: that would disturb the parent's file locks. It is left alone.
    gDb = nullptr;
  }
  if (gDb && gPath != path) {
    sqlite3_close(gDb);
    gDb = nullptr;
  }
  if (!gDb) {
    gDb = openAt(root, path);
    gPath = path;
    gPid = pid;
  }
  return gDb;
}

Stmt::Stmt(sqlite3* handle, const char* sql) {
  if (handle && sqlite3_prepare_v2(handle, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Stmt::~Stmt() { sqlite3_finalize(stmt_); }

Stmt& Stmt::bind(int index, std::int64_t value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Stmt& Stmt::bind(int index, std::string_view text) {
  // A null pointer would bind SQL NULL, so the empty name gets a real "".
  if (stmt_) sqlite3_bind_text(stmt_, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
  return *this;
}

Stmt& Stmt::bindBlob(int index, std::span<const std::uint8_t> bytes) {
  if (!stmt_) return *this;
  if (bytes.empty()) {
    sqlite3_bind_zeroblob(stmt_, index, 0);
  } else {
    sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  return *this;
}

int Stmt::step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }

std::int64_t Stmt::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string_view Stmt::text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string_view();
}

std::span<const std::uint8_t> Stmt::blob(int column) const {
  const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
  return p ? std::span<const std::uint8_t>(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
           : std::span<const std::uint8_t>();
}

Transaction::Transaction(sqlite3* handle, bool write) : db_(handle) {
  open_ = handle && sqlite3_exec(handle, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Transaction::commit() {
  if (!open_) return false;
  // A failed COMMIT leaves the transaction open for the destructor to roll back.
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  open_ = false;
  return true;
}

}  // namespace platform::hostreg
