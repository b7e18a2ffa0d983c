// Draws Velmora's 32 x 32, 16-colour icon (a framed picture of coloured
// rings) and writes it as an .ico file, the one shared by the runner and
// the applet:  g++ -std=c++20 make_icon.cpp -o /tmp/make_icon && /tmp/make_icon velmora.ico
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The 16 standard colours, as blue, green, red.
const std::uint8_t kColours[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                      {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                                      {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                      {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};

int pixel(int x, int y) {                                // y = 0 the top row
  if (x < 2 || x > 29 || y < 3 || y > 28) return -1;     // transparent margin
  if (x == 2 || x == 29 || y == 3 || y == 28) return 0;  // black frame
  if (x == 3 || x == 28 || y == 4 || y == 27) return 7;  // light grey mat
  const int dx = x - 8, dy = y - 9;                      // rings about the upper left
  static const int ring[] = {14, 11, 10, 3, 9, 1, 13, 12};
  return ring[((dx * dx + dy * dy) / 24) % 8];
}

void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint8_t> out;
  const std::uint32_t imageBytes = 40 + 64 + 32 * 16 + 32 * 4;
  put(out, 0, 2);
  put(out, 1, 2);
  put(out, 1, 2);  // icon directory, one image
  out.insert(out.end(), {32, 32, 16, 0});
  put(out, 1, 2);
  put(out, 4, 2);
  put(out, imageBytes, 4);
  put(out, 22, 4);
  put(out, 40, 4);
  put(out, 32, 4);
  put(out, 64, 4);
  put(out, 1, 2);
  put(out, 4, 2);  // header, XOR + AND height
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
  std::FILE* f = std::fopen(argc > 1 ? argv[1] : "velmora.ico", "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) return 1;
  return std::fclose(f) == 0 ? 0 : 1;
}
