// The system's version installer (version.dll).
#include "platform/SharedFiles.h"

#include <windows.h>
#include <winver.h>

#include <algorithm>

namespace platform {

FoundLocation findFileLocation(std::uint32_t flags, std::string_view fileName, std::string_view windowsDir,
                               std::string_view appDir) {
  // The headers declare the names writable; the calls only read them.
  std::string name(fileName), windows(windowsDir), app(appDir);
  char current[MAX_PATH] = {}, destination[MAX_PATH] = {};
  UINT currentLength = MAX_PATH, destinationLength = MAX_PATH;
  FoundLocation found;
  found.result = VerFindFileA(flags, name.data(), windows.data(), app.data(), current, &currentLength,
                              destination, &destinationLength);
  found.currentDir = current;
  found.destinationDir = destination;
  return found;
}

InstallOutcome installFile(std::uint32_t flags, std::string_view sourceName, std::string_view destinationName,
                           std::string_view sourceDir, std::string_view destinationDir, std::string_view currentDir,
                           std::string_view tempFile) {
  std::string source(sourceName), destination(destinationName), sdir(sourceDir), ddir(destinationDir),
      cdir(currentDir);
  char temp[MAX_PATH] = {};
  tempFile.copy(temp, std::min<std::size_t>(tempFile.size(), MAX_PATH - 1));
  UINT tempLength = MAX_PATH;
  InstallOutcome out;
  out.result = VerInstallFileA(flags, source.data(), destination.data(), sdir.data(), ddir.data(), cdir.data(),
                               temp, &tempLength);
  if (out.result & kVifTempFile) out.tempFile = temp;
  return out;
}

}  // namespace platform
