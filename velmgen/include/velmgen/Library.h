#pragma once
// The library's lifetime in a process: what loading does (the random table's
// first build, the settings store's open and load, the generator state) and
// what unloading does (save the settings with the next seed, close).
// velmgen.dll runs these from its static initialisers; the Linux command
// runs them around its work.
namespace velmgen {

void loadLibrary();
void unloadLibrary();

}  // namespace velmgen
