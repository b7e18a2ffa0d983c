#include "platform/DibSection.h"

#include <windows.h>

namespace platform {

DibSection createDibSection(const BitmapInfo256& info) {
  DibSection out;
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  GdiFlush();
  if (dc) DeleteDC(dc);
  if (!bitmap) return out;
  out.handle = bitmap;
  out.bits = static_cast<std::uint8_t*>(bits);
  return out;
}

void releaseDibSection(void* handle) {
  if (handle) DeleteObject(static_cast<HBITMAP>(handle));
}

}  // namespace platform
