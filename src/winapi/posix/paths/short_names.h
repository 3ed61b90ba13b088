// Wine's 8.3 names: a long name gets a short alias computed from the name alone, so the
// same long name always has the same short name (and two long names may share one).
#pragma once

#include <string>
#include <string_view>

namespace cdinst::posix {

// True when the Windows-1252 `name` is already a legal 8.3 name in either letter case
// ("abc", "README.TXT", "PROG~FBU", "." and ".."): such names have no separate short name.
bool IsLegalShortName(std::string_view name);

// Wine's hashed short name of `name`: up to four leading characters, '~' padding to five,
// three hash characters and the first three characters of the extension
// ("Program Files" -> "PROG~FBU", "page.html" -> "PAGE~DPA.HTM"). Letter case of `name`
// does not matter. `name` is not empty.
std::string HashedShortName(std::string_view name);

// False when `name` cannot be any name's hashed short name, in either letter case: those
// always have '~' as their fifth character and 8 or 10 to 12 characters.
bool CouldBeHashedShortName(std::string_view name);

// The short name a directory entry is shown with: empty for a legal 8.3 name, else the
// hashed one.
std::string ShortNameOf(std::string_view name);

}  // namespace cdinst::posix
