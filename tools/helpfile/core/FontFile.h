#pragma once
// |FONT: the faces and the font descriptors the text commands select.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"

namespace helpfile {

struct FontSpec {
  std::uint8_t attributes;  // kFontBold, ...
  std::uint8_t halfPoints;
  std::uint8_t family;      // kFamilySwiss, ...
  std::uint16_t face;       // index into the face names
};

Bytes buildFontFile(const std::vector<std::string>& faces, const std::vector<FontSpec>& fonts);

}  // namespace helpfile
