// The medium the user names, as a Unix directory and as the Windows root the installer is
// given: a drive of the prefix that maps it, else Z:.
#pragma once

#include <optional>
#include <string>

namespace cdinst::menu {

struct Medium {
  std::string unixDirectory;  // with links resolved
  std::string windowsRoot;    // Windows-1252, with its trailing backslash
  std::string argument;       // as the user named it
};

// The drive letter, upper-cased, that `argument` names as a drive ("D:", "d:", "D:\"); nothing
// for any other argument.
std::optional<char> DriveLetterOf(const std::string& argument);

// The readable Unix directory, links resolved, that `argument` names: a Unix directory or a drive
// letter of the prefix ("D:", "d:", "D:\"). Raises MenuError (kMediumUnreadable) when it names
// none this user can read.
std::string MediumDirectory(const std::string& argument);

// `argument` is a Unix directory or a drive letter of the prefix ("D:", "d:", "D:\"). Raises
// MenuError (kMediumUnreadable) when it names no directory this user can read, or one the
// prefix cannot reach or no Windows path can name.
Medium FindMedium(const std::string& argument);

// What the medium's menu would show as the installer's title, in UTF-8: the volume label, else
// the directory's name.
std::string MediumTitle(const Medium& medium);

}  // namespace cdinst::menu
