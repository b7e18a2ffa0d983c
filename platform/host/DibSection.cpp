#include "platform/DibSection.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace platform {

// The handle is the start of one allocation holding the header record and
// then the rows.
DibSection createDibSection(const BitmapInfo256& info) {
  DibSection out;
  if (info.width < 1 || info.height < 1 || info.bitCount != 8) return out;
  const std::uint64_t stride = (static_cast<std::uint64_t>(info.width) + 3) & ~std::uint64_t{3};
  const std::uint64_t bytes = stride * static_cast<std::uint64_t>(info.height);
  if (bytes > (std::uint64_t{1} << 31)) return out;
  auto* block = static_cast<std::uint8_t*>(std::calloc(sizeof(BitmapInfo256) + bytes, 1));
  if (!block) return out;
  new (block) BitmapInfo256(info);
  out.handle = block;
  out.bits = block + sizeof(BitmapInfo256);
  return out;
}

void releaseDibSection(void* handle) { std::free(handle); }

}  // namespace platform
