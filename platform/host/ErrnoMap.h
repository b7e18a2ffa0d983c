#pragma once
// errno values as the Windows system error codes the platform layer speaks.
#include <cstdint>
#include <string_view>

namespace platform {

// The code for `err` as a file operation on `path` reports it: ENOENT is
// kErrorPathNotFound when the path's directory is missing, else
// kErrorFileNotFound.
std::int32_t errorFromErrno(int err, std::string_view hostPath = {});

}  // namespace platform
