// Joliet's big-endian UCS-2 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cdinst::disc {

// The UTF-8 form of `bytes`; surrogate pairs are joined as Windows reads them. Nothing for an
// odd byte count or a lone surrogate.
std::optional<std::string> Ucs2BigEndianToUtf8(std::string_view bytes);

// Appends the UTF-8 form of `code` (at most U+10FFFF, no surrogate).
void AppendUtf8(char32_t code, std::string& out);

}  // namespace cdinst::disc
