// Numbers in settings files: decimal with an optional sign, or hexadecimal introduced by
// "$", "x", "X", "0x" or "0X" (a 32-bit pattern, so a set top bit gives a negative number).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cdinst {

// The number that the whole text spells after leading spaces (code 32 only), or nothing for
// an empty text, any other character (a trailing blank included) or a value out of range.
std::optional<int32_t> ConvertSettingNumber(std::string_view text);

}  // namespace cdinst
