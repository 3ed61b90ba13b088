// Splitting Windows paths at their last delimiter. Only backslash and colon delimit; a
// forward slash does not. Under a double-byte code page a trail byte is never a delimiter.
#pragma once

#include <string>

namespace cdinst {

// Up to and including the last delimiter; empty when there is none.
// C:\AP\FOO -> C:\AP\   C:\AP\ -> C:\AP\   C:FOO -> C:   FOO -> (empty)
std::string DirectoryPartOf(const std::string& path);

// Everything after the last delimiter; the whole path when there is none.
std::string NamePartOf(const std::string& path);

// a..z become A..Z; every other character, accented letters included, stays as it is.
char UpperCaseLetter(char c);

// True when `path` ends in a backslash.
bool EndsInBackslash(const std::string& path);

// `path` with a backslash appended unless it already ends in one; an empty path stays empty.
std::string WithTrailingBackslash(const std::string& path);

// The position just after the last delimiter (0 when there is none).
size_t AfterLastDelimiter(const std::string& path);

}  // namespace cdinst
