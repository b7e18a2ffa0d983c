#pragma once
// The host registry's SQLite connection: one per process, opened lazily at
// <hostRoot()>/registry.db and reopened when the root changes or after a fork.
// Callers hold dbLock() for as long as they use the connection or its
// statements.
#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>

namespace platform::hostreg {

std::unique_lock<std::mutex> dbLock();

// The connection for the current root, or null when it cannot be opened.
sqlite3* db();

// A prepared statement that finalises itself.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Stmt& bind(int index, std::int64_t value);
  Stmt& bind(int index, std::string_view text);
  Stmt& bindBlob(int index, std::span<const std::uint8_t> bytes);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step();
  std::int64_t integer(int column) const;
  std::string_view text(int column) const;
  std::span<const std::uint8_t> blob(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// A transaction that rolls back unless committed. Writers take the write
// lock at the start (BEGIN IMMEDIATE), waiting through the busy timeout.
class Transaction {
 public:
  Transaction(sqlite3* db, bool write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool ok() const { return open_; }
  bool commit();

 private:
  sqlite3* db_;
  bool open_ = false;
};

}  // namespace platform::hostreg
