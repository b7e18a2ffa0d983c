#pragma once
// The hash the help viewer computes from a context string (a topic's
// name for jumps): letters count case-blind as 17.., digits 1..9 as
// themselves and 0 as 10, '.' as 12, '_' as 13; anything else is skipped.
#include <cstdint>
#include <string_view>

namespace helpfile {

std::uint32_t contextHash(std::string_view name);

}  // namespace helpfile
