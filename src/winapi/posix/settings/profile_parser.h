// Settings (INI) file text read the way GetPrivateProfileStringA reads it.
//
// Lines end at CR LF, LF or CR; blanks at both ends of a line are ignored. A line whose first
// character is '[' and that has a ']' is a section header, named by the text up to its last
// ']'. A line with '=' is a key: the name is the text before the first '=', the value the rest.
// Lines before the first header belong to no section; other lines are ignored. A NUL ends a
// name or value. Names are compared without regard to letter case (Windows-1252) and with the
// blanks around the caller's names ignored; the first section of a name and the first key of a
// name in it win.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::posix {

// One line as the rules above read it: a header's name, or a key's name and raw value (blanks
// around them and anything from a NUL on dropped, quotes kept).
struct ProfileLine {
  enum class Kind { kOther, kHeader, kKey };
  Kind kind = Kind::kOther;
  std::string_view name;
  std::string_view value;
};
ProfileLine ParseProfileLine(std::string_view line);

// A caller's section or key name as it is compared: blanks at both ends dropped.
std::string_view TrimProfileName(std::string_view name);

// A key's raw value as a lookup gives it: one pair of matching quotes removed.
std::string_view UnquoteProfileValue(std::string_view value);

}  // namespace cdinst::posix
