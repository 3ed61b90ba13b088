// Settings (INI) files looked up by the rules GetPrivateProfileStringA follows. Each of its calls
// reads its file again into an index; a program of this build that reads a whole file's keys (a
// menu listing every program of a medium) reads it once and keeps the index.
//
// Lines end at CR LF, LF or CR; blanks at both ends of a line are ignored. A line whose first
// character is '[' and that has a ']' is a section header, named by the text up to its last
// ']'. A line with '=' is a key: the name is the text before the first '=', the value the rest.
// Lines before the first header belong to no section; other lines are ignored. A NUL ends a
// name or value. Names are compared without regard to letter case (Windows-1252) and with the
// blanks around the caller's names ignored; the first section of a name and the first key of a
// name in it win. Letter case is folded beyond ASCII and "" finds "[]", as on Windows (Wine does
// neither).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst::posix {

// The Windows-1252 text of the settings file `fileName` names, read as GetPrivateProfileStringA
// reads it; nothing when it cannot be read, with the last error set (ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when it is missing, ERROR_ACCESS_DENIED when it is no regular file).
std::optional<std::string> LoadProfile(LPCSTR fileName);

// A settings file's bytes as Windows-1252 text: a file that starts with a UTF-16 byte-order
// mark (either order) is converted; anything else, a UTF-8 mark included, is kept byte for byte.
std::string DecodeProfileText(std::string_view bytes);

class ProfileIndex {
 public:
  explicit ProfileIndex(std::string_view text);

  // What GetPrivateProfileStringA gives for a null section: every header's name in file order,
  // repeats included, "[]" left out.
  const std::vector<std::string>& SectionNames() const { return sectionNames_; }

  // The key names of the first section named `section`, as for a null key, leaving out names
  // that start with ';' (comments).
  std::vector<std::string> KeyNames(std::string_view section) const;

  // The value of the first key named `key` in the first section named `section`, uncut, one
  // pair of matching quotes (" or ') around it removed. "" as `key` is a line "=value".
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

 private:
  struct Section {
    std::vector<std::string> keyNames;
    std::unordered_map<std::string, std::string> rawValues;  // by folded name
  };

  const Section* Find(std::string_view section) const;

  std::vector<std::string> sectionNames_;
  std::unordered_map<std::string, Section> sections_;  // by folded name
};

}  // namespace cdinst::posix
