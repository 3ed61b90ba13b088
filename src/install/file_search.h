// One directory search over the system's FindFirstFileA / FindNextFileA, and the entries that
// the directory listings leave out.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst {

// Closes its search when it goes out of scope.
class FileSearch {
 public:
  // Starts searching `pattern` (wildcards allowed, relative paths taken from the current
  // directory). A pattern that finds nothing, or cannot be searched, gives no match; a directory
  // the system refuses to list (access denied, a broken disc) raises IoError, since taking it
  // for empty would lose its content.
  explicit FileSearch(const std::string& pattern);
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // True while Match() holds an entry.
  bool HasMatch() const { return hasMatch_; }
  const WIN32_FIND_DATAA& Match() const { return match_; }

  // The name of Match() as the listings take it. A name that a path could be read into (one
  // holding '\', '/' or ':') comes with each of those characters as '?', and so does one that a
  // path cannot reach as itself, since paths drop the dots and blanks that end a name: one of
  // dots and blanks only ("..", "...", " ") whole, another its ending dots and blanks ("SUB."
  // would name "SUB"). Joined to a directory it names nothing, and nothing can be created under
  // it, so the copy of such an entry fails where it is, whatever the system let through.
  std::string Name() const;

  // Moves on to the next entry; afterwards HasMatch() tells whether there was one.
  void Next();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA match_{};
  bool hasMatch_ = false;
};

// Hidden and system entries and volume labels are not listed, unless their name is one that
// Name() marks: a medium holding an entry that cannot be copied as itself must fail the copy,
// not lose the entry unseen. The directories "." and ".." are never listed.
bool IsLeftOutOfListings(const WIN32_FIND_DATAA& match);

}  // namespace cdinst
