// What a directory tree holds, for comparing a destination with its source.
#pragma once

#include <map>
#include <string>

namespace cdinst::testing {

struct Entry {
  bool directory = false;
  bool readOnly = false;
  std::string bytes;
  bool operator==(const Entry& other) const {
    return directory == other.directory && readOnly == other.readOnly && bytes == other.bytes;
  }
};

// Relative Unix path (UTF-8, '/'-separated) to entry; an absent directory gives an empty map.
using Tree = std::map<std::string, Entry>;
Tree Snapshot(const std::string& unixDirectory);

// Leaves out the dot-named entries (and everything below them), as the program never copies
// hidden files, and marks every file writable, as the copies are.
Tree AsInstalled(const Tree& source);

}  // namespace cdinst::testing
