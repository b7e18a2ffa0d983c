#include "velmgen/Exports.h"

#include "velmgen/DefsStore.h"
#include "velmgen/WallGen.h"

using namespace velmgen;

extern "C" {

std::int32_t doit(std::int32_t reason) {
  if (reason == 1) {
    loadDefs(theDefs, theRand);
    if (theDefs.startup == 0) return 0;
  }
  // A hand-edited registry can hold sizes or colour counts no image can
  // have: make nothing and leave the file alone.
  if (!settingsUsable(theDefs)) return 0;
  return makeWallpaper(theWallGen, theRand, theDefs, theDefs.mode);
}

std::int32_t IsXYvalid() { return theWallGen.xyValid; }

std::int32_t getDefs(std::int32_t index) { return velmgen::getDefs(theDefs, index); }

void setDefs(std::int32_t index, std::int32_t value) { velmgen::setDefs(theDefs, index, value); }

std::int32_t saveDefs() { return velmgen::saveDefs(theDefs, theRand); }
}
