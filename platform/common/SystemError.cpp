#include "platform/SystemError.h"

namespace platform {

std::string describeError(std::int32_t code) {
  const char* what = nullptr;
  switch (code) {
    case kErrorSuccess: what = "success"; break;
    case kErrorInvalidFunction: what = "invalid function"; break;
    case kErrorFileNotFound: what = "file not found"; break;
    case kErrorPathNotFound: what = "path not found"; break;
    case kErrorTooManyOpenFiles: what = "too many open files"; break;
    case kErrorAccessDenied: what = "access denied"; break;
    case kErrorInvalidHandle: what = "invalid handle"; break;
    case kErrorNotEnoughMemory: what = "not enough memory"; break;
    case kErrorWriteProtect: what = "write protected"; break;
    case kErrorWriteFault: what = "write fault"; break;
    case kErrorReadFault: what = "read fault"; break;
    case kErrorGenFailure: what = "general failure"; break;
    case kErrorSharingViolation: what = "file in use"; break;
    case kErrorHandleEof: what = "end of file"; break;
    case kErrorFileExists: what = "file exists"; break;
    case kErrorInvalidParameter: what = "invalid parameter"; break;
    case kErrorDiskFull: what = "disk full"; break;
    case kErrorDirNotEmpty: what = "directory not empty"; break;
    case kErrorBadPathname: what = "bad path name"; break;
    case kErrorAlreadyExists: what = "already exists"; break;
    case kErrorFilenameTooLong: what = "file name too long"; break;
    case kErrorMoreData: what = "more data"; break;
    case kErrorNoMoreItems: what = "no more items"; break;
    case kErrorDirectory: what = "not a directory"; break;
    case kErrorResourceTypeNotFound: what = "no version resource"; break;
    case kErrorRegistryIoFailed: what = "registry I/O failed"; break;
    case kErrorKeyDeleted: what = "key deleted"; break;
    case kErrorIoDevice: what = "I/O device error"; break;
    default: break;
  }
  std::string text = "error " + std::to_string(code);
  if (what) text.append(" (").append(what).append(")");
  return text;
}

}  // namespace platform
