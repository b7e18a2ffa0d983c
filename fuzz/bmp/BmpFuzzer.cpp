// The wallpaper file reader: decodeBmp on any bytes, and the same bytes as
// a file through loadbmp into a bitmap section, as the applet's preview
// loads them. Checks what every reading must give: a picture whose pixel
// buffer matches its size, a palette of at most 256 entries, a file that
// writes back and reads again to the same picture, and a section whose
// header and rows are the picture's.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ScratchRoot.h"
#include "platform/DibSection.h"
#include "velmgen/BmpFile.h"
#include "velmgen/Exports.h"

namespace {

// A few header bytes can describe 2^28 pixels (missing bytes read as 0xFF),
// and making such a picture takes a tenth of a second: inputs whose header
// asks for more than 2^20 pixels are passed over, so the fuzzer keeps its
// pace.
constexpr std::uint64_t kMostPixelsChecked = std::uint64_t{1} << 20;

std::int64_t field(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t{at + i < bytes.size() ? bytes[at + i] : 0xFFu} << (8 * i);
  return static_cast<std::int32_t>(v);
}

bool samePicture(const velmgen::Picture& a, const velmgen::Picture& b) {
  if (a.width != b.width || a.height != b.height || a.pixels != b.pixels) return false;
  if (a.palette.count != b.palette.count) return false;
  for (std::int32_t k = 0; k < a.palette.count; ++k) {
    for (int c = 0; c < 3; ++c) {
      // A channel read past the end is -1; the file stores its low byte.
      if ((a.palette.entries[k][c] & 0xFF) != (b.palette.entries[k][c] & 0xFF)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::int64_t width = field(bytes, 18), height = field(bytes, 22);
  if (width > 0 && height > 0 && static_cast<std::uint64_t>(width * height) > kMostPixelsChecked) return 0;
  velmgen::Picture picture;
  const std::int32_t decoded = velmgen::decodeBmp(picture, bytes);
  if (decoded) {
    FUZZ_REQUIRE(picture.width >= 1 && picture.height >= 1);
    FUZZ_REQUIRE(picture.pixels.size() == static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    FUZZ_REQUIRE(picture.palette.count >= 0 && picture.palette.count <= 256);
    velmgen::Picture again;
    FUZZ_REQUIRE(velmgen::decodeBmp(again, velmgen::encodeBmp(picture)) == 1);
    FUZZ_REQUIRE(samePicture(picture, again));
  } else {
    FUZZ_REQUIRE(picture.width == 0 && picture.height == 0 && picture.pixels.empty());
  }

  // The preview's path: the file on disk, read back into a section.
  fuzzing::writeHostFile(fuzzing::scratchRoot() / "drive_c" / "windows" / "velmora.bmp", bytes);
  void* section = loadbmp("c:\\windows\\velmora.bmp");
  const platform::BitmapInfo256* header = lastDIB();
  FUZZ_REQUIRE(header != nullptr);
  if (decoded) {
    FUZZ_REQUIRE(section != nullptr && lastBITS() != nullptr);
    FUZZ_REQUIRE(header->width == picture.width && header->height == picture.height);
    const std::size_t width = static_cast<std::size_t>(picture.width);
    const std::size_t stride = static_cast<std::size_t>(velmgen::bmpStride(picture.width));
    for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height); ++y)
      FUZZ_REQUIRE(std::memcmp(lastBITS() + y * stride, picture.pixels.data() + y * width, width) == 0);
  } else {
    FUZZ_REQUIRE(section == nullptr && lastBITS() == nullptr);
  }
  if (section) platform::releaseDibSection(section);
  return 0;
}
