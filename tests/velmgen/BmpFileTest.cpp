#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "EngineTestSupport.h"
#include "velmgen/BmpFile.h"

namespace velmgen {
namespace {

std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

Picture patterned(std::int32_t w, std::int32_t h, std::int32_t count) {
  Picture p = sizedPicture(w, h);
  for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<std::uint8_t>(i * 7 + 1);
  p.palette.count = count;
  for (int k = 0; k < count; ++k) p.palette.entries[k] = {k, 255 - k, (k * 3) % 256};
  return p;
}

TEST(BmpFile, HeaderFieldsAndSizes) {
  struct Case {
    std::int32_t w, h, count;
    std::uint32_t fileSize, imageSize;
  };
  for (Case c : {Case{64, 64, 256, 5174, 4096}, Case{50, 3, 16, 1234, 156}, Case{1, 1, 2, 1082, 4}}) {
    const std::vector<std::uint8_t> b = encodeBmp(patterned(c.w, c.h, c.count));
    ASSERT_EQ(b.size(), c.fileSize);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32At(b, 2), c.fileSize);
    EXPECT_EQ(u32At(b, 10), 1078u);
    EXPECT_EQ(u32At(b, 14), 40u);
    EXPECT_EQ(u32At(b, 18), static_cast<std::uint32_t>(c.w));
    EXPECT_EQ(u32At(b, 22), static_cast<std::uint32_t>(c.h));
    EXPECT_EQ(u32At(b, 26), 0x00080001u);  // planes 1, 8 bits
    EXPECT_EQ(u32At(b, 30), 0u);
    EXPECT_EQ(u32At(b, 34), c.imageSize);
    EXPECT_EQ(u32At(b, 46), static_cast<std::uint32_t>(c.count));
    EXPECT_EQ(u32At(b, 50), 0u);
    for (int k = c.count; k < 256; ++k) EXPECT_EQ(u32At(b, 54 + 4 * k), 0u) << k;
  }
}

TEST(BmpFile, RowsArePaddedToFourBytes) {
  const Picture p = patterned(50, 3, 16);
  const std::vector<std::uint8_t> b = encodeBmp(p);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(0, std::memcmp(&b[1078 + 52 * y], &p.pixels[50 * y], 50));
    EXPECT_EQ(b[1078 + 52 * y + 50], 0);
    EXPECT_EQ(b[1078 + 52 * y + 51], 0);
  }
}

TEST(BmpFile, ChannelsKeepTheirLowEightBits) {
  Picture p = sizedPicture(1, 1);
  p.palette.count = 1;
  p.palette.entries[0] = {258, -3, 256};
  const std::vector<std::uint8_t> b = encodeBmp(p);
  EXPECT_EQ(b[54], 2);
  EXPECT_EQ(b[55], 253);
  EXPECT_EQ(b[56], 0);
  EXPECT_EQ(b[57], 0);
}

TEST(BmpFile, WriteThenReadGivesThePictureBack) {
  testing::ScratchDir dir;
  const Picture p = patterned(50, 3, 16);
  ASSERT_EQ(writeBmp(p, dir.file("a.bmp")), 1);
  Picture q;
  ASSERT_EQ(readBmp(q, dir.file("a.bmp")), 1);
  EXPECT_EQ(q.width, 50);
  EXPECT_EQ(q.height, 3);
  EXPECT_EQ(q.palette.count, 16);
  EXPECT_EQ(q.pixels, p.pixels);
  for (int k = 0; k < 16; ++k) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(q.palette.entries[k][c], p.palette.entries[k][c] & 0xFF);
  }
}

TEST(BmpFile, WriteReplacesWholeOrNotAtAll) {
  testing::ScratchDir dir;
  const std::string path = dir.file("w.bmp");
  ASSERT_EQ(writeBmp(patterned(8, 8, 4), path), 1);
  ASSERT_EQ(writeBmp(patterned(4, 2, 4), path), 1);  // smaller: no tail left behind
  EXPECT_EQ(std::filesystem::file_size(path), 1078u + 8u);
  // A directory that does not exist: nothing written, 0.
  EXPECT_EQ(writeBmp(patterned(4, 2, 4), dir.file("missing/w.bmp")), 0);
  // Nothing but the file itself is left in the directory.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

TEST(BmpFile, ReadRejectsOtherFilesAndLeavesThePicture) {
  testing::ScratchDir dir;
  std::vector<std::uint8_t> bytes = encodeBmp(patterned(4, 4, 4));
  bytes[1] = 'A';
  std::ofstream(dir.file("ba.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  Picture p = patterned(2, 2, 2);
  const Picture before = p;
  EXPECT_EQ(readBmp(p, dir.file("ba.bmp")), 0);
  EXPECT_EQ(readBmp(p, dir.file("absent.bmp")), 0);
  EXPECT_EQ(p.pixels, before.pixels);
  EXPECT_EQ(p.width, 2);
}

// Hostile headers: no overflow, no unbounded allocation, no crash.
TEST(BmpFile, HostileHeaders) {
  auto withField = [](std::size_t at, std::uint32_t v) {
    std::vector<std::uint8_t> b = encodeBmp(patterned(4, 4, 4));
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::int32_t result;
    std::int32_t count;
  };
  const Case cases[] = {
      {"huge width", withField(18, 0x7FFFFFFF), 0, 0},
      {"negative height", withField(22, 0xFFFFFFFF), 0, 0},
      {"zero width", withField(18, 0), 0, 0},
      {"product past 2^28", withField(18, 1u << 27), 0, 0},  // x 4 rows
      {"colours used 1000", withField(46, 1000), 1, 256},
      {"colours used negative", withField(46, 0xFFFFFFF0), 1, 0},
  };
  for (const Case& c : cases) {
    Picture p;
    EXPECT_EQ(decodeBmp(p, c.bytes), c.result) << c.what;
    if (c.result == 1) {
      EXPECT_EQ(p.palette.count, c.count) << c.what;
    }
  }
}

TEST(BmpFile, ShortFileReadsMissingBytesAsMinusOne) {
  std::vector<std::uint8_t> b = encodeBmp(patterned(4, 4, 256));
  b.resize(54 + 4 * 10 + 2);  // ends inside colour entry 10
  Picture p;
  ASSERT_EQ(decodeBmp(p, b), 1);
  EXPECT_EQ(p.palette.entries[9][2], (9 * 3) % 256);
  EXPECT_EQ(p.palette.entries[10][0], 10);
  EXPECT_EQ(p.palette.entries[10][2], -1);
  EXPECT_EQ(p.palette.entries[200][1], -1);
  EXPECT_EQ(p.pixels, std::vector<std::uint8_t>(16, 0xFF));
}

}  // namespace
}  // namespace velmgen
