// The main window's background: the gradient and the three title texts
// that BACKGROUND statements set (on the worker thread), and their painting
// (on the main thread). A paint and a change never overlap: the worker
// builds the new gradient or font first and swaps it in under the lock.
#include <cstring>
#include <mutex>

#include "FrontEnd.h"
#include "frontend/BackgroundItems.h"
#include "frontend/Elements.h"

namespace setup::frontend {
namespace {

struct Slot {
  char text[kSlotTextSize] = {};
  HFONT font = nullptr;
  COLORREF colour = 0;
};

struct Background {
  std::mutex lock;
  std::uint32_t flags = 0;
  platform::BitmapInfo256 info;
  platform::DibSection gradient;
  Slot slots[kTextSlotCount];
};

Background& background() {
  static Background state;
  return state;
}

HFONT makeFont(const BackgroundChange& change) {
  LOGFONTA font{};
  font.lfHeight = fontHeight(change.size, frontEnd().clientRight);
  font.lfWeight = styleWeight(change.style);
  font.lfItalic = styleItalic(change.style) ? TRUE : FALSE;
  copyCut(styleFace(change.style), font.lfFaceName, LF_FACESIZE);
  return CreateFontIndirectA(&font);
}

void drawText(HDC dc, const Slot& slot, int x, int y, bool shadow) {
  HGDIOBJ previous = SelectObject(dc, slot.font);
  SetBkMode(dc, TRANSPARENT);
  const int length = static_cast<int>(std::strlen(slot.text));
  if (shadow) {
    SetTextColor(dc, RGB(128, 128, 128));
    TextOutA(dc, x + 2, y + 2, slot.text, length);
  }
  SetTextColor(dc, slot.colour);
  TextOutA(dc, x, y, slot.text, length);
  SelectObject(dc, previous);
}

}  // namespace

void setBackground(std::span<const std::uint8_t> statement) {
  Background& state = background();
  for (const BackgroundChange& change : readBackground(statement)) {
    if (change.gradient) {
      platform::BitmapInfo256 info;
      fillGradientInfo(change.start, change.end, &info);
      platform::DibSection made = makeGradientSection(info);
      platform::DibSection old;
      {
        std::lock_guard<std::mutex> held(state.lock);
        state.flags |= kHasGradient;
        old = state.gradient;
        state.info = info;
        state.gradient = made;
      }
      if (old.handle) DeleteObject(static_cast<HBITMAP>(old.handle));
    } else {
      HFONT made = makeFont(change);
      HFONT old = nullptr;
      {
        std::lock_guard<std::mutex> held(state.lock);
        Slot& slot = state.slots[change.slot];
        state.flags |= kSlotFlags[change.slot];
        std::memcpy(slot.text, change.text, sizeof slot.text);
        old = slot.font;
        slot.font = made;
        slot.colour = change.colour;
      }
      if (old) DeleteObject(old);
    }
  }
}

void paintBackground(HDC dc, int width, int height) {
  Background& state = background();
  std::lock_guard<std::mutex> held(state.lock);
  if ((state.flags & kHasGradient) && state.gradient.bits) {
    StretchDIBits(dc, 0, 0, width, height, 0, 0, state.info.width, state.info.height, state.gradient.bits,
                  reinterpret_cast<const BITMAPINFO*>(&state.info), DIB_RGB_COLORS, SRCCOPY);
  }
  if (state.flags & kHasTitle) drawText(dc, state.slots[kTitleSlot], width / 12, height / 12, true);
  if (state.flags & kHasSubtitle) drawText(dc, state.slots[kSubtitleSlot], width / 12, height / 12 + 100, false);
  if (state.flags & kHasFooter) drawText(dc, state.slots[kFooterSlot], width / 10, height - 64, false);
}

}  // namespace setup::frontend
