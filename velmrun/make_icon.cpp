// Draws Velmora's 32 x 32, 16-colour icon (a framed picture of coloured
// rings) and writes it as an .ico file, the one shared by the runner and
// the applet:  (from the top of the tree) g++ -std=c++20 -I. velmrun/make_icon.cpp -o /tmp/make_icon && /tmp/make_icon velmora.ico
#include <cstdint>

#include "tools/icons/IconFile.h"

namespace {

int pixel(int x, int y) {                                // y = 0 the top row
  if (x < 2 || x > 29 || y < 3 || y > 28) return -1;     // transparent margin
  if (x == 2 || x == 29 || y == 3 || y == 28) return 0;  // black frame
  if (x == 3 || x == 28 || y == 4 || y == 27) return 7;  // light grey mat
  const int dx = x - 8, dy = y - 9;                      // rings about the upper left
  static const int ring[] = {14, 11, 10, 3, 9, 1, 13, 12};
  return ring[((dx * dx + dy * dy) / 24) % 8];
}

}  // namespace

int main(int argc, char** argv) {
  return icons::writeIconFile(argc > 1 ? argv[1] : "velmora.ico", {32}, [](int, int x, int y) { return pixel(x, y); });
}
