#pragma once
// The registry, shaped like the Win32 one so that its users are written once.
// On Windows this is advapi32; the Linux host keeps the same tree of keys and
// typed values in <hostRoot()>/registry.db.
//
// Every function returns a Windows system error code (0 on success). Key and
// value names compare case-insensitively (ASCII folding); the spelling used
// when a key or value was first made is kept. Key paths are separated by
// backslashes. The empty value name is the key's default value. Names may
// not contain NUL characters.
//
// The host build serialises all calls through one lock, so handles may be
// used from any thread; each write is its own transaction, safe against other
// processes writing the same keys and against a process dying mid-write.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace platform {

// The four predefined roots, numbered as the installer's script numbers them.
enum class RegRoot : std::uint8_t { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2, Users = 3 };

// What a handle may be used for (KEY_READ, KEY_WRITE, KEY_ALL_ACCESS).
// Reading covers querying and enumerating; writing covers setting and
// deleting values and creating subkeys.
enum class RegAccess : std::uint8_t { Read = 1, Write = 2, All = 3 };

// An open key. A default-constructed handle names no key.
struct RegKey {
  std::uint64_t bits = 0;
};

// Value types, with their Win32 numbers. Other numbers are stored as given.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// Dispositions reported by regCreateKey.
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// A handle to a root. Roots are always open; closing one does nothing.
RegKey regRoot(RegRoot root);

// Opens parent\subKey, creating it and any missing keys above it. An empty
// subKey opens parent again. `disposition`, when given, receives
// kRegCreatedNewKey or kRegOpenedExistingKey.
std::int32_t regCreateKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result,
                          std::uint32_t* disposition);

// Opens an existing parent\subKey; kErrorFileNotFound when it is missing.
std::int32_t regOpenKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result);

std::int32_t regCloseKey(RegKey key);

// Reads a value as RegQueryValueEx does. `type` and `data` may be null. With
// `data` null, *size receives the value's length. Otherwise *size holds the
// buffer's length on entry and the value's length on return; when the buffer
// is too small the result is kErrorMoreData and the buffer is left untouched.
std::int32_t regQueryValue(RegKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size);

// Writes a value with its type and exact bytes, replacing any value of that name.
std::int32_t regSetValue(RegKey key, std::string_view name, std::uint32_t type,
                         std::span<const std::uint8_t> data);

std::int32_t regDeleteValue(RegKey key, std::string_view name);

// Deletes parent\subKey and its values. A key that has subkeys is not
// deleted (kErrorAccessDenied); roots are never deleted.
std::int32_t regDeleteKey(RegKey parent, std::string_view subKey);

// Deletes parent\subKey with all its subkeys and values.
std::int32_t regDeleteTree(RegKey parent, std::string_view subKey);

// The name of the index-th subkey or value of a key; kErrorNoMoreItems past
// the last one. The order is fixed while the key does not change.
std::int32_t regEnumKey(RegKey key, std::uint32_t index, std::string* name);
std::int32_t regEnumValue(RegKey key, std::uint32_t index, std::string* name);

}  // namespace platform
