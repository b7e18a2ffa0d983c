#include "velmgen/Library.h"

#include "velmgen/DefsStore.h"
#include "velmgen/WallGen.h"

namespace velmgen {

void loadLibrary() {
  randInit(theRand, kInitialSeed, kInitialModulus);
  openDefs(theDefs, theRand);
  void* module = theWallGen.module;  // set by the entry point, which may run first
  theWallGen = WallGen{};
  theWallGen.module = module;
}

void unloadLibrary() { closeDefs(theDefs, theRand); }

}  // namespace velmgen
