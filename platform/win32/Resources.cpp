#include "platform/Resources.h"

#include <windows.h>

namespace platform {

std::span<const std::uint8_t> bitmapResource(void* module, int id) {
  HMODULE m = static_cast<HMODULE>(module);
  HRSRC info = FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!info) return {};
  HGLOBAL data = LoadResource(m, info);
  if (!data) return {};
  return {static_cast<const std::uint8_t*>(LockResource(data)), SizeofResource(m, info)};
}

}  // namespace platform
