// velmrun: run at log-on, asks velmgen for a new wallpaper when the log-on
// flag is on. No window, no console, no options; the exit code is always 0.
#include "velmgen/Exports.h"

extern "C" int __stdcall WinMain(void* /*instance*/, void* /*previous*/, char* /*commandLine*/, int /*show*/) {
  doit(1);
  return 0;
}
