#include "ErrnoMap.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/SystemError.h"

namespace platform {

std::int32_t errorFromErrno(int err, std::string_view hostPath) {
  switch (err) {
    case 0: return kErrorSuccess;
    case ENOENT: {
      const std::size_t slash = hostPath.find_last_of('/');
      if (slash != std::string_view::npos && slash > 0) {
        struct stat st {};
        const std::string dir(hostPath.substr(0, slash));
        if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return kErrorPathNotFound;
      }
      return kErrorFileNotFound;
    }
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrorDiskFull;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return kErrorSharingViolation;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case EROFS: return kErrorWriteProtect;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBADF: return kErrorInvalidHandle;
    case EINVAL: return kErrorInvalidParameter;
    case EIO: return kErrorIoDevice;
    default: return kErrorGenFailure;
  }
}

}  // namespace platform
