// Draws the installer's icon, a closed box with a down arrow going into it,
// at 32 x 32 and 16 x 16 in the 16 standard colours, and writes it as one
// .ico file:  (from the top of the tree) g++ -std=c++20 -I. setup/frontend/make_icon.cpp -o /tmp/make_icon && /tmp/make_icon setup.ico
#include <cstdint>

#include "tools/icons/IconFile.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  return icons::writeIconFile(argc > 1 ? argv[1] : "setup.ico", {32, 16}, pixel);
}
