// The names in a watched directory, followed through the directory's own entry events, so that
// a name can be known missing without asking the disk: a directory being filled is asked for
// every name before it is made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace cdinst::posix {

class KeptNames {
 public:
  // Reads the names of the directory open as `directory` (not O_PATH), which must be watched
  // already. False when it cannot be read.
  bool Read(int directory);

  // An entry event of the directory (IN_CREATE, IN_DELETE, IN_MOVED_FROM or IN_MOVED_TO) for the
  // Unix name `name`. Events of changes made before Read() may come after it: each one leaves
  // its name as it says, and the last one on a name is the latest change, so applying them in
  // order ends where the directory is.
  void Apply(uint32_t mask, std::string_view name);

  // True when no entry is named `windowsName` (Windows-1252) in any letter case, and it is no
  // hashed short name that could stand for an entry.
  bool Lacks(std::string_view windowsName) const;

 private:
  void Add(std::string name);
  void Remove(const std::string& name);

  std::unordered_set<std::string> unixNames_;
  std::unordered_map<std::string, size_t> folded_;  // how many names fold to each
};

}  // namespace cdinst::posix
