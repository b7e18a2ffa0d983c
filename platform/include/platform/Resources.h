#pragma once
// Read-only access to a module's bitmap resources (Windows builds only; the
// Linux build compiles its data into the programs instead).
#include <cstdint>
#include <span>

namespace platform {

// The packed bitmap (header, colour table, pixels) of bitmap resource `id`
// in `module` (nullptr: the program itself), as stored. Empty if missing.
std::span<const std::uint8_t> bitmapResource(void* module, int id);

}  // namespace platform
