// Conversion between the program's Windows-1252 texts and Unicode (UTF-8 and UTF-16).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cdinst {

// Every byte has a character: the five bytes Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same value, as Windows maps them.
char32_t Windows1252ToUnicode(unsigned char byte);
std::string Windows1252ToUtf8(std::string_view text);

// True when `text` is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// A Unix name as the ANSI functions show it: well-formed UTF-8 is converted, a character with
// no Windows-1252 form becoming '?'; anything else is taken byte for byte.
std::string Utf8ToWindows1252(std::string_view text);

// UTF-16 code units as Windows-1252 bytes, one byte per character: a character with no
// Windows-1252 form, and a lone surrogate, become '?'. NUL characters are kept.
std::string Utf16ToWindows1252(std::u16string_view text);

// UTF-16 as UTF-8, surrogate pairs joined; nothing when a surrogate stands alone.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// Little-endian (or big-endian) byte pairs as UTF-16 code units; an odd last byte is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);

// UTF-8 `text` made safe to write to a terminal: every C0 control, DEL, C1 control
// (U+0080-U+009F) and malformed byte becomes '?', so that no text from a medium can move the
// cursor, clear the screen or retitle the window. A line feed stays when `keepLineFeeds`.
std::string TerminalText(std::string_view text, bool keepLineFeeds = false);

// Letter case within Windows-1252 (ASCII, Latin-1 letters, Š Œ Ž Ÿ).
unsigned char UpperWindows1252(unsigned char byte);
unsigned char LowerWindows1252(unsigned char byte);

// Compares two Windows-1252 texts as Windows compares file names: letter case ignored.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// `text` in the one form that every text SameTextIgnoringCase finds equal to it shares, for
// looking names up by it.
std::string FoldedCase(std::string_view text);

}  // namespace cdinst
