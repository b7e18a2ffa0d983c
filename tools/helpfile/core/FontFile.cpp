#include "FontFile.h"

#include "HelpFormat.h"

namespace helpfile {

Bytes buildFontFile(const std::vector<std::string>& faces, const std::vector<FontSpec>& fonts) {
  Bytes b;
  const std::size_t descriptorsAt = kFontHeaderSize + faces.size() * kFaceNameSize;
  put16(b, static_cast<std::uint16_t>(faces.size()));
  put16(b, static_cast<std::uint16_t>(fonts.size()));
  put16(b, static_cast<std::uint16_t>(kFontHeaderSize));
  put16(b, static_cast<std::uint16_t>(descriptorsAt));
  for (std::string face : faces) {
    face.resize(kFaceNameSize - 1, '\0');  // always zero-terminated
    putString(b, face);
  }
  for (const FontSpec& f : fonts) {
    put8(b, f.attributes);
    put8(b, f.halfPoints);
    put8(b, f.family);
    put16(b, f.face);
    putBytes(b, {0x00, 0x00, 0x00});  // text: black
    putBytes(b, {0xFF, 0xFF, 0xFF});  // background: white
  }
  return b;
}

}  // namespace helpfile
