#pragma once
// Profile (INI) files, as WritePrivateProfileStringA keeps them: a bare file
// name ("wininit.ini") names a file in the Windows directory.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace platform {

// Sets `key` in `section` to `value`, adding the section or key when absent.
std::int32_t writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                                std::string_view file);
// The value of `key` in `section`; kErrorFileNotFound when there is none.
std::int32_t readProfileString(std::string_view section, std::string_view key, std::string_view file,
                               std::string* value);

}  // namespace platform
