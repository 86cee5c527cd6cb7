#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick::settings {

// Reads a whole text as a 32-bit integer: leading blanks, an optional sign, then decimal digits
// or hexadecimal ones after "$", "x" or "0x". Hexadecimal takes all 32 bits ("$FFFFFFFF" is -1);
// decimal must fit a signed 32-bit integer. Anything else, the empty text included, is nullopt.
std::optional<std::int32_t> ParseInteger(std::string_view text);

}  // namespace tarnwick::settings
