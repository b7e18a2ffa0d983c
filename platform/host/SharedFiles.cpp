// The version-checked install of a shared file on the Linux host, doing
// what the system's version installer does on Windows: a temporary copy
// beside the destination, a comparison of the two files' version resources
// (our own parser, FileVersion.h), and a rename into place.
//
// "In use" on the host: a file is in use while some open file description
// holds a flock(2) lock on it (shared or exclusive). We test for that with
// a non-blocking exclusive lock on a descriptor of our own.
#include "platform/SharedFiles.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "FaultPoint.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"
#include "platform/SystemDirs.h"

namespace platform {
namespace {

std::string joined(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

bool isFile(const std::string& native) {
  struct stat st {};
  return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool sameDirectory(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool inUse(const std::string& native) {
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops our lock
  return held;
}

std::uint32_t vifOf(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
      return kVifAccessViolation;
    case EBUSY:
    case ETXTBSY:
      return kVifSharingViolation;
    default:
      return 0;
  }
}

// A new, empty file "VERxxxx.tmp" in `dir`; its name, or "" when none can
// be made.
std::string makeTempFile(std::string_view dir) {
  static unsigned counter = static_cast<unsigned>(::getpid());
  for (int attempt = 0; attempt < 0x10000; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "VER%04X.tmp", ++counter & 0xFFFF);
    const std::string native = nativePath(joined(dir, name));
    if (faults::injected(faults::Service::Open)) return "";
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

}  // namespace

FoundLocation findFileLocation(std::uint32_t flags, std::string_view fileName, std::string_view /*windowsDir*/,
                               std::string_view appDir) {
  FoundLocation found;
  const std::string system = systemDirectory();
  if (flags & kVffIsSharedFile) {
    found.destinationDir = system;
    if (isFile(nativePath(joined(system, fileName)))) {
      found.currentDir = system;
    } else if (!appDir.empty() && isFile(nativePath(joined(appDir, fileName)))) {
      found.currentDir = appDir;
    }
  } else if (!appDir.empty()) {
    found.destinationDir = appDir;
    if (isFile(nativePath(joined(appDir, fileName)))) {
      found.currentDir = appDir;
    } else if (isFile(nativePath(joined(system, fileName)))) {
      found.currentDir = system;
    }
  }
  // As Wine answers: also when there is no present copy at all.
  if (!sameDirectory(found.currentDir, found.destinationDir)) found.result |= kVffCurNeDest;
  if (!found.currentDir.empty() && inUse(nativePath(joined(found.currentDir, fileName))))
    found.result |= kVffFileInUse;
  return found;
}

InstallOutcome installFile(std::uint32_t flags, std::string_view sourceName, std::string_view destinationName,
                           std::string_view sourceDir, std::string_view destinationDir, std::string_view currentDir,
                           std::string_view tempFile) {
  InstallOutcome out;
  const std::string source = joined(sourceDir, sourceName);
  if (!isFile(nativePath(source))) {
    out.result = kVifCannotReadSrc;
    return out;
  }
  const std::string_view dir = destinationDir.empty() ? sourceDir : destinationDir;
  const std::string destination = joined(dir, destinationName);
  const std::string destinationNative = nativePath(destination);
  struct stat st {};
  const bool present = ::stat(destinationNative.c_str(), &st) == 0;
  if (present && !(st.st_mode & S_IWUSR)) {
    out.result = kVifWriteProt;
    return out;
  }

  // The temporary copy: the one a previous call left, when forcing it in,
  // or a new one.
  std::string temp;
  if ((flags & kViffForceInstall) && !tempFile.empty()) {
    std::string_view name = tempFile;
    while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
    if (isFile(nativePath(joined(dir, name)))) temp = name;
  }
  if (temp.empty()) {
    temp = makeTempFile(dir);
    if (temp.empty()) {
      out.result = kVifCannotCreate;
      return out;
    }
    if (const std::int32_t error = copyFile(source, joined(dir, temp), IfExists::Overwrite)) {
      deleteFile(joined(dir, temp));
      out.result = error == kErrorDiskFull ? kVifOutOfSpace : kVifCannotReadSrc;
      return out;
    }
  }
  const std::string tempPath = joined(dir, temp);

  if (!(flags & kViffForceInstall)) {
    FileVersion present, incoming;
    if (readFileVersion(destination, &present) == kErrorSuccess) {
      std::uint32_t conflict = 0;
      if (readFileVersion(tempPath, &incoming) == kErrorSuccess) {
        if (compareFileVersions(present, incoming) > 0) conflict |= kVifMismatch | kVifSrcOld;
        if (present.fileType != incoming.fileType || present.fileSubtype != incoming.fileSubtype)
          conflict |= kVifMismatch | kVifDiffType;
      } else {
        conflict = kVifMismatch | kVifSrcOld;
      }
      if (conflict) {
        out.result = conflict | kVifTempFile;
        out.tempFile = temp;
        return out;
      }
    }
  }

  if (present && inUse(destinationNative)) {
    deleteFile(tempPath);
    out.result = kVifSharingViolation | kVifCannotDelete;
    return out;
  }
  if (!(flags & kViffDontDeleteOld) && !currentDir.empty() &&
      !sameDirectory(currentDir, dir)) {
    const std::string old = nativePath(joined(currentDir, destinationName));
    if (isFile(old)) {
      if (inUse(old)) {
        out.result |= kVifSharingViolation | kVifCannotDeleteCur;
      } else if (::unlink(old.c_str()) != 0) {
        out.result |= vifOf(errno) | kVifCannotDeleteCur;
      }
    }
  }
  // The rename replaces the present file in one step.
  const std::int32_t fault = faults::injected(faults::Service::Rename);
  if (fault || ::rename(nativePath(tempPath).c_str(), destinationNative.c_str()) != 0) {
    out.result |= (fault ? (fault == kErrorSharingViolation ? kVifSharingViolation : kVifAccessViolation)
                         : vifOf(errno)) |
                  kVifCannotRename;
    deleteFile(tempPath);
  }
  return out;
}

}  // namespace platform
