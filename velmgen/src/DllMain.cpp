// velmgen.dll's entry point and load/unload. Loading runs the random
// table's build, the settings store's open and the generator set-up, in that
// order; unloading saves the settings with the next seed.
#include "velmgen/Library.h"
#include "velmgen/WallGen.h"

namespace {

struct LibraryLifetime {
  LibraryLifetime() { velmgen::loadLibrary(); }
  ~LibraryLifetime() { velmgen::unloadLibrary(); }
} lifetime;

}  // namespace

// Keeps the module handle (for the texture resources) on every notification.
extern "C" int __stdcall DllMain(void* module, unsigned long /*reason*/, void* /*reserved*/) {
  velmgen::theWallGen.module = module;
  return 1;
}
