// Draws the uninstaller's 32 x 32, 16-colour icon (a blue box with its lid
// lifted and a red arrow coming out of it) and writes it as an .ico
// file:  (from the top of the tree) g++ -std=c++20 -I. uninstall/program/make_icon.cpp -o /tmp/make_icon && /tmp/make_icon uninstall.ico
#include <cstdint>

#include "tools/icons/IconFile.h"
#include <cstdlib>

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  return icons::writeIconFile(argc > 1 ? argv[1] : "uninstall.ico", {32}, [](int, int x, int y) { return pixel(x, y); });
}
