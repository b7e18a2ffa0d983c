// Draws the uninstaller's 32 x 32, 16-colour icon (a blue box with its lid
// lifted and a red arrow coming out of it) and writes it as an .ico
// file:  g++ -std=c++20 make_icon.cpp -o /tmp/make_icon && /tmp/make_icon uninstall.ico
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The 16 standard colours, as blue, green, red.
const std::uint8_t kColours[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                      {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                                      {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                      {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
enum { kBlack = 0, kNavy = 4, kGrey = 8, kSilver = 7, kBlue = 12, kRed = 9, kWhite = 15 };

int pixel(int x, int y) {  // y = 0 the top row; -1 transparent
  // The box: x 5..26, y 16..29, black outline, blue sides, navy shading.
  if (x >= 5 && x <= 26 && y >= 16 && y <= 29) {
    if (x == 5 || x == 26 || y == 16 || y == 29) return kBlack;
    if (y <= 18) return kNavy;  // the box's open inside
    return x < 16 ? kBlue : kNavy;
  }
  // The arrow out of the box: a shaft at x 14..17 from y 12 to 18, a head above.
  if (x >= 14 && x <= 17 && y >= 12 && y <= 18) return kRed;
  if (y >= 2 && y <= 11 && std::abs(2 * x - 31) <= y - 1) return kRed;
  // The lid, lifted and tilted: a slanted band above the box.
  const int lidY = 15 - (x - 3) / 3;
  if (x >= 3 && x <= 28 && (x < 12 || x > 19) && y >= lidY && y <= lidY + 2) return y == lidY || x == 3 || x == 28 ? kBlack : kSilver;
  if (x >= 2 && x <= 29 && y == 30) return kGrey;  // the shadow under the box
  return -1;
}

void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint8_t> out;
  const std::uint32_t imageBytes = 40 + 64 + 32 * 16 + 32 * 4;
  put(out, 0, 2);  // icon directory, one image
  put(out, 1, 2);
  put(out, 1, 2);
  out.insert(out.end(), {32, 32, 16, 0});
  put(out, 1, 2);
  put(out, 4, 2);
  put(out, imageBytes, 4);
  put(out, 22, 4);
  put(out, 40, 4);  // header, XOR + AND height
  put(out, 32, 4);
  put(out, 64, 4);
  put(out, 1, 2);
  put(out, 4, 2);
  put(out, 0, 4);
  put(out, 32 * 16 + 32 * 4, 4);
  put(out, 0, 4);
  put(out, 0, 4);
  put(out, 16, 4);
  put(out, 0, 4);
  for (const auto& c : kColours) out.insert(out.end(), {c[0], c[1], c[2], 0});
  for (int row = 31; row >= 0; --row)  // colour rows, bottom-up
    for (int x = 0; x < 32; x += 2) {
      const int a = pixel(x, row), b = pixel(x + 1, row);
      out.push_back(static_cast<std::uint8_t>(((a < 0 ? 0 : a) << 4) | (b < 0 ? 0 : b)));
    }
  for (int row = 31; row >= 0; --row)  // mask rows: 1 = transparent
    for (int byte = 0; byte < 4; ++byte) {
      std::uint8_t m = 0;
      for (int bit = 0; bit < 8; ++bit) m |= (pixel(byte * 8 + bit, row) < 0 ? 1 : 0) << (7 - bit);
      out.push_back(m);
    }
  std::FILE* f = std::fopen(argc > 1 ? argv[1] : "uninstall.ico", "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) return 1;
  return std::fclose(f) == 0 ? 0 : 1;
}
