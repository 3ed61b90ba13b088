// Whether the entries of a directory changed since a moment: names made, removed or renamed,
// attributes changed, by any process.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst {

class DirectoryChanges {
 public:
  // Watches `directory` from now on; Watching() tells whether the system can.
  explicit DirectoryChanges(const std::string& directory);
  ~DirectoryChanges();
  DirectoryChanges(const DirectoryChanges&) = delete;
  DirectoryChanges& operator=(const DirectoryChanges&) = delete;

  bool Watching() const { return handle_ != INVALID_HANDLE_VALUE; }

  // True when a change was reported since the watch began or was last renewed, and whenever the
  // system cannot tell.
  bool Changed() const;

  // Changes before now no longer count. False when the watch cannot go on.
  bool Renew();

 private:
  HANDLE handle_;
};

}  // namespace cdinst
