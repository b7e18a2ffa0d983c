#include "platform/Registry.h"

#include <cstring>
#include <vector>

#include "FaultPoint.h"
#include "RegistryDb.h"

namespace platform {
namespace {

using hostreg::Stmt;
using hostreg::Transaction;

// A handle is the key's row id with the granted access in its top byte.
constexpr int kAccessShift = 56;
constexpr std::uint64_t kIdMask = (std::uint64_t{1} << kAccessShift) - 1;
constexpr std::int64_t kLastRootId = 4;
constexpr unsigned kRead = static_cast<unsigned>(RegAccess::Read);
constexpr unsigned kWrite = static_cast<unsigned>(RegAccess::Write);

std::int64_t keyId(RegKey key) { return static_cast<std::int64_t>(key.bits & kIdMask); }
unsigned accessOf(RegKey key) { return static_cast<unsigned>(key.bits >> kAccessShift); }

RegKey makeKey(std::int64_t id, unsigned access) {
  return RegKey{static_cast<std::uint64_t>(id) | (std::uint64_t{access} << kAccessShift)};
}

// Checks what can be checked without the database.
std::int32_t checkHandle(RegKey key, unsigned need) {
  if (keyId(key) == 0) return kErrorInvalidHandle;
  if ((accessOf(key) & need) != need) return kErrorAccessDenied;
  return kErrorSuccess;
}

bool validName(std::string_view name) { return name.find('\0') == std::string_view::npos; }

// Splits "a\b\c" into its names. A trailing backslash is allowed; a leading
// one or an empty name in the middle is not.
std::int32_t splitPath(std::string_view path, std::vector<std::string_view>* parts) {
  if (!validName(path)) return kErrorInvalidParameter;
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  while (!path.empty()) {
    const std::size_t cut = path.find('\\');
    const std::string_view part = path.substr(0, cut);
    if (part.empty()) return kErrorBadPathname;
    parts->push_back(part);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
    if (path.empty()) return kErrorBadPathname;
  }
  return kErrorSuccess;
}

bool keyExists(sqlite3* db, std::int64_t id) {
  Stmt q(db, "SELECT 1 FROM keys WHERE id = ?1");
  return q.bind(1, id).step() == SQLITE_ROW;
}

// The id of parent's child `name`: 0 when there is none, -1 on a database error.
std::int64_t findChild(sqlite3* db, std::int64_t parent, std::string_view name) {
  Stmt q(db, "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
  const int rc = q.bind(1, parent).bind(2, name).step();
  if (rc == SQLITE_ROW) return q.integer(0);
  return rc == SQLITE_DONE ? 0 : -1;
}

// Follows a path of existing keys from `id`.
std::int32_t resolve(sqlite3* db, std::int64_t id, const std::vector<std::string_view>& parts, std::int64_t* out) {
  for (std::string_view part : parts) {
    id = findChild(db, id, part);
    if (id < 0) return kErrorRegistryIoFailed;
    if (id == 0) return kErrorFileNotFound;
  }
  *out = id;
  return kErrorSuccess;
}

std::int32_t deleteKey(RegKey parent, std::string_view subKey, bool tree) {
  std::int32_t rc = checkHandle(parent, 0);
  if (rc != kErrorSuccess) return rc;
  std::vector<std::string_view> parts;
  if ((rc = splitPath(subKey, &parts)) != kErrorSuccess) return rc;
  // As on Windows, a tree is named by a subkey; the empty name is refused.
  if (tree && parts.empty()) return kErrorInvalidParameter;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, true);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  if (!keyExists(db, keyId(parent))) return kErrorKeyDeleted;
  std::int64_t id = 0;
  if ((rc = resolve(db, keyId(parent), parts, &id)) != kErrorSuccess) return rc;
  if (id <= kLastRootId) return kErrorAccessDenied;
  if (tree) {
    Stmt del(db,
             "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id)"
             " DELETE FROM keys WHERE id IN sub");
    if (del.bind(1, id).step() != SQLITE_DONE) return kErrorRegistryIoFailed;
  } else {
    Stmt child(db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    const int has = child.bind(1, id).step();
    if (has == SQLITE_ROW) return kErrorAccessDenied;
    if (has != SQLITE_DONE) return kErrorRegistryIoFailed;
    Stmt del(db, "DELETE FROM keys WHERE id = ?1");
    if (del.bind(1, id).step() != SQLITE_DONE) return kErrorRegistryIoFailed;
  }
  if (const std::int32_t fault = faults::injected(faults::Service::RegistryWrite)) return fault;
  return tx.commit() ? kErrorSuccess : kErrorRegistryIoFailed;
}

std::int32_t enumName(RegKey key, std::uint32_t index, std::string* name, const char* sql) {
  std::int32_t rc = checkHandle(key, kRead);
  if (rc != kErrorSuccess) return rc;
  if (!name) return kErrorInvalidParameter;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, false);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  Stmt q(db, sql);
  const int step = q.bind(1, keyId(key)).bind(2, std::int64_t{index}).step();
  if (step == SQLITE_ROW) {
    *name = std::string(q.text(0));
    return kErrorSuccess;
  }
  if (step != SQLITE_DONE) return kErrorRegistryIoFailed;
  return keyExists(db, keyId(key)) ? kErrorNoMoreItems : kErrorKeyDeleted;
}

}  // namespace

RegKey regRoot(RegRoot root) {
  const auto index = static_cast<std::int64_t>(root);
  if (index < 0 || index >= kLastRootId) return RegKey{};
  return makeKey(index + 1, static_cast<unsigned>(RegAccess::All));
}

std::int32_t regCreateKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result,
                          std::uint32_t* disposition) {
  if (!result) return kErrorInvalidParameter;
  std::int32_t rc = checkHandle(parent, 0);
  if (rc != kErrorSuccess) return rc;
  std::vector<std::string_view> parts;
  if ((rc = splitPath(subKey, &parts)) != kErrorSuccess) return rc;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, true);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  std::int64_t id = keyId(parent);
  if (!keyExists(db, id)) return kErrorKeyDeleted;
  bool created = false;
  for (std::string_view part : parts) {
    std::int64_t child = findChild(db, id, part);
    if (child < 0) return kErrorRegistryIoFailed;
    if (child == 0) {
      // Making a subkey needs write access to the key it goes under.
      if ((accessOf(parent) & kWrite) == 0) return kErrorAccessDenied;
      Stmt add(db, "INSERT INTO keys(parent, name) VALUES(?1, ?2)");
      if (add.bind(1, id).bind(2, part).step() != SQLITE_DONE) return kErrorRegistryIoFailed;
      child = sqlite3_last_insert_rowid(db);
      created = true;
    }
    id = child;
  }
  if (created) {
    if (const std::int32_t fault = faults::injected(faults::Service::RegistryWrite)) return fault;
  }
  if (!tx.commit()) return kErrorRegistryIoFailed;
  *result = makeKey(id, static_cast<unsigned>(access));
  if (disposition) *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
  return kErrorSuccess;
}

std::int32_t regOpenKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result) {
  if (!result) return kErrorInvalidParameter;
  std::int32_t rc = checkHandle(parent, 0);
  if (rc != kErrorSuccess) return rc;
  std::vector<std::string_view> parts;
  if ((rc = splitPath(subKey, &parts)) != kErrorSuccess) return rc;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, false);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  if (!keyExists(db, keyId(parent))) return kErrorKeyDeleted;
  std::int64_t id = 0;
  if ((rc = resolve(db, keyId(parent), parts, &id)) != kErrorSuccess) return rc;
  *result = makeKey(id, static_cast<unsigned>(access));
  return kErrorSuccess;
}

std::int32_t regCloseKey(RegKey key) { return keyId(key) == 0 ? kErrorInvalidHandle : kErrorSuccess; }

std::int32_t regQueryValue(RegKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) {
  std::int32_t rc = checkHandle(key, kRead);
  if (rc != kErrorSuccess) return rc;
  if ((data && !size) || !validName(name)) return kErrorInvalidParameter;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, false);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  Stmt q(db, "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2");
  const int step = q.bind(1, keyId(key)).bind(2, name).step();
  if (step == SQLITE_DONE) return keyExists(db, keyId(key)) ? kErrorFileNotFound : kErrorKeyDeleted;
  if (step != SQLITE_ROW) return kErrorRegistryIoFailed;
  const std::span<const std::uint8_t> bytes = q.blob(1);
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (type) *type = static_cast<std::uint32_t>(q.integer(0));
  if (data) {
    if (*size < length) {
      *size = length;
      return kErrorMoreData;
    }
    if (length > 0) std::memcpy(data, bytes.data(), length);
  }
  if (size) *size = length;
  return kErrorSuccess;
}

std::int32_t regSetValue(RegKey key, std::string_view name, std::uint32_t type,
                         std::span<const std::uint8_t> data) {
  std::int32_t rc = checkHandle(key, kWrite);
  if (rc != kErrorSuccess) return rc;
  if (!validName(name) || data.size() > 0x7FFFFFFF) return kErrorInvalidParameter;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, true);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  if (!keyExists(db, keyId(key))) return kErrorKeyDeleted;
  // An existing value keeps the spelling of its name.
  Stmt put(db,
           "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4)"
           " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
  if (put.bind(1, keyId(key)).bind(2, name).bind(3, std::int64_t{type}).bindBlob(4, data).step() != SQLITE_DONE)
    return kErrorRegistryIoFailed;
  if (const std::int32_t fault = faults::injected(faults::Service::RegistryWrite)) return fault;
  return tx.commit() ? kErrorSuccess : kErrorRegistryIoFailed;
}

std::int32_t regDeleteValue(RegKey key, std::string_view name) {
  std::int32_t rc = checkHandle(key, kWrite);
  if (rc != kErrorSuccess) return rc;
  if (!validName(name)) return kErrorInvalidParameter;
  auto lock = hostreg::dbLock();
  sqlite3* db = hostreg::db();
  Transaction tx(db, true);
  if (!tx.ok()) return kErrorRegistryIoFailed;
  if (!keyExists(db, keyId(key))) return kErrorKeyDeleted;
  Stmt del(db, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
  if (del.bind(1, keyId(key)).bind(2, name).step() != SQLITE_DONE) return kErrorRegistryIoFailed;
  if (sqlite3_changes(db) == 0) return kErrorFileNotFound;
  if (const std::int32_t fault = faults::injected(faults::Service::RegistryWrite)) return fault;
  return tx.commit() ? kErrorSuccess : kErrorRegistryIoFailed;
}

std::int32_t regDeleteKey(RegKey parent, std::string_view subKey) { return deleteKey(parent, subKey, false); }

std::int32_t regDeleteTree(RegKey parent, std::string_view subKey) { return deleteKey(parent, subKey, true); }

std::int32_t regEnumKey(RegKey key, std::uint32_t index, std::string* name) {
  return enumName(key, index, name, "SELECT name FROM keys WHERE parent = ?1 ORDER BY name LIMIT 1 OFFSET ?2");
}

std::int32_t regEnumValue(RegKey key, std::uint32_t index, std::string* name) {
  return enumName(key, index, name, "SELECT name FROM vals WHERE key = ?1 ORDER BY name LIMIT 1 OFFSET ?2");
}

}  // namespace platform
