#pragma once
// The library's exported functions, by name; velmgen.def gives their fixed
// ordinals (1 doit, 3 loadbmp, 4 lastDIB, 5 lastBITS, 6 getDefs, 7 setDefs,
// 8 saveDefs, 13 IsXYvalid), by which the applet and the runner bind them.
#include <cstdint>

#include "platform/DibSection.h"

extern "C" {

// Makes a new wallpaper. reason 1 (log-on) reloads the settings first and
// does nothing when the log-on flag is off. 1 when the file was written.
std::int32_t doit(std::int32_t reason);

// 1 when the last image is size_x x size_y, 0 after a 128 x 128 texture.
std::int32_t IsXYvalid();

// The wallpaper file as a new 8-bit bitmap section, owned by the caller;
// none when it cannot be made.
void* loadbmp(const char* path);

// The header record and the pixels of the last loadbmp's section; valid
// until the next loadbmp.
platform::BitmapInfo256* lastDIB();
std::uint8_t* lastBITS();

std::int32_t getDefs(std::int32_t index);
void setDefs(std::int32_t index, std::int32_t value);
std::int32_t saveDefs();
}
