// Draws the installer's icon, a closed box with a down arrow going into it,
// at 32 x 32 and 16 x 16 in the 16 standard colours, and writes it as one
// .ico file:  g++ -std=c++20 make_icon.cpp -o /tmp/make_icon && /tmp/make_icon setup.ico
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The 16 standard colours, as blue, green, red.
const std::uint8_t kColours[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                      {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                                      {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                      {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};

// The picture on a 32 x 32 grid, y = 0 the top row; -1 is transparent.
int pixel32(int x, int y) {
  // A green arrow pointing down, from the top to the box's lid.
  if (y >= 1 && y <= 9 && x >= 13 && x <= 18) return y == 1 || x == 13 || x == 18 ? 0 : 10;
  if (y >= 10 && y <= 15) {
    const int half = 15 - y;  // the head narrows toward its point
    if (x >= 16 - half - 4 && x <= 15 + half + 4) {
      if (x == 16 - half - 4 || x == 15 + half + 4 || y == 15) return 0;
      return 10;
    }
  }
  // The box: a brown-yellow front with a darker lid, black edges.
  if (y >= 16 && y <= 29 && x >= 4 && x <= 27) {
    if (x == 4 || x == 27 || y == 16 || y == 29) return 0;
    if (y <= 19) return 6;   // lid
    if (x >= 14 && x <= 17) return 8;  // tape down the front
    return 11;
  }
  return -1;
}

int pixel(int size, int x, int y) { return size == 32 ? pixel32(x, y) : pixel32(2 * x, 2 * y + 1); }

void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t imageBytes(int size) {
  const int maskStride = ((size + 31) / 32) * 4;
  return 40 + 64 + size * size / 2 + size * maskStride;
}

void image(std::vector<std::uint8_t>& out, int size) {
  const int maskStride = ((size + 31) / 32) * 4;
  put(out, 40, 4);
  put(out, size, 4);
  put(out, 2 * size, 4);  // colour and mask heights together
  put(out, 1, 2);
  put(out, 4, 2);
  put(out, 0, 4);
  put(out, size * size / 2 + size * maskStride, 4);
  put(out, 0, 4);
  put(out, 0, 4);
  put(out, 16, 4);
  put(out, 0, 4);
  for (const auto& c : kColours) out.insert(out.end(), {c[0], c[1], c[2], 0});
  for (int row = size - 1; row >= 0; --row)  // colour rows, bottom-up
    for (int x = 0; x < size; x += 2) {
      const int a = pixel(size, x, row), b = pixel(size, x + 1, row);
      out.push_back(static_cast<std::uint8_t>(((a < 0 ? 0 : a) << 4) | (b < 0 ? 0 : b)));
    }
  for (int row = size - 1; row >= 0; --row)  // mask rows: 1 = transparent
    for (int byte = 0; byte < maskStride; ++byte) {
      std::uint8_t m = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = byte * 8 + bit;
        m |= (x >= size || pixel(size, x, row) < 0 ? 1 : 0) << (7 - bit);
      }
      out.push_back(m);
    }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint8_t> out;
  put(out, 0, 2);
  put(out, 1, 2);
  put(out, 2, 2);  // icon directory, two images
  std::uint32_t offset = 6 + 2 * 16;
  for (int size : {32, 16}) {
    out.insert(out.end(), {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size), 16, 0});
    put(out, 1, 2);
    put(out, 4, 2);
    put(out, imageBytes(size), 4);
    put(out, offset, 4);
    offset += imageBytes(size);
  }
  image(out, 32);
  image(out, 16);
  std::FILE* f = std::fopen(argc > 1 ? argv[1] : "setup.ico", "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) return 1;
  return std::fclose(f) == 0 ? 0 : 1;
}
