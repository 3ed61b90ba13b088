// Unicode text stored by the emulated system (UTF-16 files, registry strings) as the ANSI
// functions hand it out.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::posix {

// UTF-16 code units as Windows-1252 bytes, one byte per character: a character with no
// Windows-1252 form, and a lone surrogate, become '?'. NUL characters are kept.
std::string Utf16ToWindows1252(std::u16string_view text);

// Little-endian (or big-endian) byte pairs as code units; an odd last byte is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);

}  // namespace cdinst::posix
