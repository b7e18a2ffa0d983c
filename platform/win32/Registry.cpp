#include "platform/Registry.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

HKEY toHkey(RegKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key.bits)); }

RegKey fromHkey(HKEY key) { return RegKey{reinterpret_cast<std::uintptr_t>(key)}; }

REGSAM samFor(RegAccess access) {
  switch (access) {
    case RegAccess::Read: return KEY_READ;
    case RegAccess::Write: return KEY_WRITE;
    case RegAccess::All: break;
  }
  return KEY_ALL_ACCESS;
}

// The A functions take NUL-terminated names, so a name with a NUL inside
// would be cut short silently; such names are refused instead.
bool toName(std::string_view in, std::string* out) {
  if (in.find('\0') != std::string_view::npos) return false;
  out->assign(in);
  return true;
}

std::int32_t enumName(RegKey key, std::uint32_t index, std::string* name, bool keys) {
  if (!name) return kErrorInvalidParameter;
  // Names are at most 255 characters for keys and 16383 for values.
  std::vector<char> buffer(keys ? 256 : 16384);
  DWORD length = static_cast<DWORD>(buffer.size());
  const LONG rc = keys ? RegEnumKeyExA(toHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                       : RegEnumValueA(toHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name->assign(buffer.data(), length);
  return rc;
}

}  // namespace

RegKey regRoot(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return fromHkey(HKEY_CLASSES_ROOT);
    case RegRoot::CurrentUser: return fromHkey(HKEY_CURRENT_USER);
    case RegRoot::LocalMachine: return fromHkey(HKEY_LOCAL_MACHINE);
    case RegRoot::Users: return fromHkey(HKEY_USERS);
  }
  return RegKey{};
}

std::int32_t regCreateKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result,
                          std::uint32_t* disposition) {
  std::string sub;
  if (!result || !toName(subKey, &sub)) return kErrorInvalidParameter;
  HKEY key = nullptr;
  DWORD how = 0;
  const LONG rc = RegCreateKeyExA(toHkey(parent), sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, samFor(access),
                                  nullptr, &key, &how);
  if (rc != ERROR_SUCCESS) return rc;
  *result = fromHkey(key);
  if (disposition) *disposition = how;
  return ERROR_SUCCESS;
}

std::int32_t regOpenKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result) {
  std::string sub;
  if (!result || !toName(subKey, &sub)) return kErrorInvalidParameter;
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExA(toHkey(parent), sub.c_str(), 0, samFor(access), &key);
  if (rc == ERROR_SUCCESS) *result = fromHkey(key);
  return rc;
}

std::int32_t regCloseKey(RegKey key) { return RegCloseKey(toHkey(key)); }

std::int32_t regQueryValue(RegKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) {
  std::string value;
  if ((data && !size) || !toName(name, &value)) return kErrorInvalidParameter;
  DWORD kind = 0;
  DWORD length = size ? *size : 0;
  if (!data) {
    const LONG rc = RegQueryValueExA(toHkey(key), value.c_str(), nullptr, &kind, nullptr, size ? &length : nullptr);
    if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
      if (type) *type = kind;
      if (size) *size = length;
    }
    return rc;
  }
  // Windows leaves the caller's buffer undefined when it is too small; the
  // value is read into a buffer of our own so the caller's stays untouched.
  std::vector<std::uint8_t> buffer(length > 0 ? length : 1);
  const LONG rc = RegQueryValueExA(toHkey(key), value.c_str(), nullptr, &kind, buffer.data(), &length);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type) *type = kind;
    *size = length;
  }
  if (rc == ERROR_SUCCESS && length > 0) std::memcpy(data, buffer.data(), length);
  return rc;
}

std::int32_t regSetValue(RegKey key, std::string_view name, std::uint32_t type,
                         std::span<const std::uint8_t> data) {
  std::string value;
  if (!toName(name, &value) || data.size() > 0x7FFFFFFF) return kErrorInvalidParameter;
  static const BYTE kEmpty = 0;
  return RegSetValueExA(toHkey(key), value.c_str(), 0, type, data.empty() ? &kEmpty : data.data(),
                        static_cast<DWORD>(data.size()));
}

std::int32_t regDeleteValue(RegKey key, std::string_view name) {
  std::string value;
  if (!toName(name, &value)) return kErrorInvalidParameter;
  return RegDeleteValueA(toHkey(key), value.c_str());
}

std::int32_t regDeleteKey(RegKey parent, std::string_view subKey) {
  std::string sub;
  if (!toName(subKey, &sub)) return kErrorInvalidParameter;
  return RegDeleteKeyA(toHkey(parent), sub.c_str());
}

std::int32_t regDeleteTree(RegKey parent, std::string_view subKey) {
  std::string sub;
  // RegDeleteTreeA with an empty name would empty the key but keep it.
  if (!toName(subKey, &sub) || sub.empty()) return kErrorInvalidParameter;
  return RegDeleteTreeA(toHkey(parent), sub.c_str());
}

std::int32_t regEnumKey(RegKey key, std::uint32_t index, std::string* name) { return enumName(key, index, name, true); }

std::int32_t regEnumValue(RegKey key, std::uint32_t index, std::string* name) {
  return enumName(key, index, name, false);
}

}  // namespace platform
