// The use count of a shared file under SharedDLLs.
#include <cstring>

#include "platform/Registry.h"
#include "setup/Commands.h"
#include "setup/LogFormat.h"

namespace setup {

std::int32_t countSharedFileUser(const char* path) {
  using namespace platform;
  RegKey key;
  std::int32_t error = regOpenKey(regRoot(RegRoot::LocalMachine), kSharedDllsKey, RegAccess::All, &key);
  // A fresh system may have no such key; every count would be lost.
  if (error == kErrorFileNotFound)
    error = regCreateKey(regRoot(RegRoot::LocalMachine), kSharedDllsKey, RegAccess::All, &key, nullptr);
  if (error) return error;
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t count = 1;
  if (regQueryValue(key, path, nullptr, data, &size) == kErrorSuccess && size == sizeof data) {
    std::uint32_t present = 0;
    std::memcpy(&present, data, sizeof present);
    count = present + 1;
  }
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                                 static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
  error = regSetValue(key, path, kRegDword, bytes);
  regCloseKey(key);
  return error;
}

}  // namespace setup
