#include "WallpaperPng.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace velmora {
namespace {

std::string systemText(int error) { return std::strerror(error); }

}  // namespace

bool writePng(const velmgen::Picture& picture, const std::string& path, std::string* why) {
  std::string ignored;
  std::string& reason = why ? *why : ignored;
  const std::size_t pixelCount = static_cast<std::size_t>(std::max(picture.width, 0)) *
                                 static_cast<std::size_t>(std::max(picture.height, 0));
  if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() < pixelCount) {
    reason = "the picture is empty";
    return false;
  }

  // The colour map holds the palette's entries and, as the bitmap's colour
  // table does, black for every index past them that a pixel uses.
  const std::uint8_t highest = *std::max_element(picture.pixels.begin(), picture.pixels.begin() + pixelCount);
  const int entries = std::clamp(std::max(picture.palette.count, highest + 1), 1, 256);
  std::vector<std::uint8_t> colourMap(static_cast<std::size_t>(entries) * 3, 0);
  for (int i = 0; i < std::min(entries, picture.palette.count); ++i) {
    const auto& e = picture.palette.entries[static_cast<std::size_t>(i)];
    colourMap[static_cast<std::size_t>(i) * 3 + 0] = static_cast<std::uint8_t>(e[2]);  // red
    colourMap[static_cast<std::size_t>(i) * 3 + 1] = static_cast<std::uint8_t>(e[1]);  // green
    colourMap[static_cast<std::size_t>(i) * 3 + 2] = static_cast<std::uint8_t>(e[0]);  // blue
  }

  const std::filesystem::path target(path);
  std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    reason = "cannot create a file in " + target.parent_path().string() + ": " + systemText(errno);
    return false;
  }
  ::fchmod(fd, 0644);  // readable like any file the user makes, not private as a temporary one
  FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    reason = "cannot write " + temp + ": " + systemText(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = static_cast<png_uint_32>(entries);
  // Row 0 of the picture is the bottom row: a negative stride tells libpng
  // the rows are stored bottom-up.
  const bool encoded = png_image_write_to_stdio(&image, file, 0, picture.pixels.data(), -picture.width,
                                                colourMap.data()) != 0;
  std::string failure;
  if (!encoded) {
    failure = std::string("libpng: ") + image.message;
  } else if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
    failure = "cannot write " + temp + ": " + systemText(errno);
  }
  png_image_free(&image);
  if (std::fclose(file) != 0 && failure.empty()) failure = "cannot write " + temp + ": " + systemText(errno);
  if (failure.empty() && ::rename(temp.c_str(), path.c_str()) != 0) {
    failure = "cannot rename " + temp + " to " + path + ": " + systemText(errno);
  }
  if (!failure.empty()) {
    ::unlink(temp.c_str());
    reason = failure;
    return false;
  }
  return true;
}

}  // namespace velmora
