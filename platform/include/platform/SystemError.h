#pragma once
// Windows system error codes, the one error vocabulary of the platform
// layer: every call that can fail returns one (0 for success), on Windows
// straight from GetLastError, on the Linux host mapped from errno.
#include <cstdint>
#include <string>

namespace platform {

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorInvalidFunction = 1;
inline constexpr std::int32_t kErrorFileNotFound = 2;        // no such file, key or value
inline constexpr std::int32_t kErrorPathNotFound = 3;        // a directory on the way is missing
inline constexpr std::int32_t kErrorTooManyOpenFiles = 4;
inline constexpr std::int32_t kErrorAccessDenied = 5;        // also: a directory where a file was meant
inline constexpr std::int32_t kErrorInvalidHandle = 6;       // an empty or closed handle
inline constexpr std::int32_t kErrorNotEnoughMemory = 8;
inline constexpr std::int32_t kErrorWriteProtect = 19;       // a read-only file system
inline constexpr std::int32_t kErrorWriteFault = 29;
inline constexpr std::int32_t kErrorReadFault = 30;
inline constexpr std::int32_t kErrorGenFailure = 31;         // anything without a closer code
inline constexpr std::int32_t kErrorSharingViolation = 32;   // the file is in use
inline constexpr std::int32_t kErrorHandleEof = 38;
inline constexpr std::int32_t kErrorFileExists = 80;
inline constexpr std::int32_t kErrorInvalidParameter = 87;   // a NUL in a name, a missing size
inline constexpr std::int32_t kErrorDiskFull = 112;
inline constexpr std::int32_t kErrorDirNotEmpty = 145;
inline constexpr std::int32_t kErrorBadPathname = 161;       // an empty component in a key path
inline constexpr std::int32_t kErrorAlreadyExists = 183;
inline constexpr std::int32_t kErrorFilenameTooLong = 206;
inline constexpr std::int32_t kErrorMoreData = 234;          // the buffer is too small
inline constexpr std::int32_t kErrorNoMoreItems = 259;       // enumeration is past the end
inline constexpr std::int32_t kErrorDirectory = 267;         // not a directory
inline constexpr std::int32_t kErrorResourceTypeNotFound = 1813; // no version resource
inline constexpr std::int32_t kErrorRegistryIoFailed = 1016; // the store cannot be read or written
inline constexpr std::int32_t kErrorKeyDeleted = 1018;       // the handle's key was deleted
inline constexpr std::int32_t kErrorIoDevice = 1117;

// "error 5 (access denied)": the code with a short English description, for
// logs and messages.
std::string describeError(std::int32_t code);

}  // namespace platform
