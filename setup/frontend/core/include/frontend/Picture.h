#pragma once
// The picture on the left of dialogs 106, 107 and 109: the bytes of an 8-bit
// bitmap file (as LOADENTRY leaves them in a variable) made into a header
// and pixel rows.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/DibSection.h"

namespace setup {

// Where the bitmap file keeps what the picture takes.
inline constexpr std::size_t kPictureWidthAt = 18;
inline constexpr std::size_t kPictureHeightAt = 22;
inline constexpr std::size_t kPictureColoursAt = 54;
inline constexpr std::size_t kPicturePixelsAt = 1078;
// Past this many pixels on a side a picture is not one (the dialog shows it
// 119 x 295 pixels).
inline constexpr std::int32_t kPictureMaxSide = 16384;

// Fills the header (that width and height, 8 bits, the 256 colours from
// byte 54 with the fourth byte 0) and tells where the pixel rows are
// (`rows`: height rows of the width aligned up to 4 bytes, from byte 1078).
// False, touching nothing, when the width or height is not positive or too
// large, or the file is too short for its own colours and rows.
bool readPicture(std::span<const std::uint8_t> file, platform::BitmapInfo256* info,
                 std::span<const std::uint8_t>* rows);

// The bytes a variable holding a loaded entry stands for: its string, as
// many bytes as its number says (none for a missing string or a number
// below 1).
std::span<const std::uint8_t> entryBytes(const char* string, std::int32_t number);

}  // namespace setup
