#pragma once
// An 8-bit device-independent bitmap section made from a header record with
// a 256-entry colour table. On Windows a real GDI DIB section on the display
// (its handle a HBITMAP, released by the caller with DeleteObject); on the
// Linux host a block of memory laid out the same way, released with
// releaseDibSection.
#include <cstdint>

namespace platform {

// The BITMAPINFO layout: a 40-byte header and 256 colours (blue, green,
// red, reserved).
struct BitmapInfo256 {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 8;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t clrImportant = 0;
  std::uint8_t colours[256][4] = {};
};
static_assert(sizeof(BitmapInfo256) == 40 + 1024);

struct DibSection {
  void* handle = nullptr;  // none when it could not be made
  std::uint8_t* bits = nullptr;
};

// Makes a section from the header (rows bottom-up, stride a multiple of 4).
DibSection createDibSection(const BitmapInfo256& info);

// Releases a section made here (the host build; on Windows callers may use
// DeleteObject on the handle instead).
void releaseDibSection(void* handle);

}  // namespace platform
