#include "winapi/posix/kept_names.h"

#include <sys/inotify.h>

#include <vector>

#include "winapi/posix/directory_entries.h"
#include "winapi/posix/short_names.h"

namespace cdinst::posix {

bool KeptNames::Read(int directory) {
  std::vector<std::string> names;
  if (!ReadOpenDirectory(directory, names)) return false;
  for (std::string& name : names) Add(std::move(name));
  return true;
}

void KeptNames::Apply(uint32_t mask, std::string_view name) {
  if (mask & (IN_CREATE | IN_MOVED_TO)) {
    Add(std::string(name));
  } else if (mask & (IN_DELETE | IN_MOVED_FROM)) {
    Remove(std::string(name));
  }
}

bool KeptNames::Lacks(std::string_view windowsName) const {
  return !CouldBeHashedShortName(windowsName) && folded_.count(FoldedName(windowsName)) == 0;
}

void KeptNames::Add(std::string name) {
  std::string folded = FoldedName(WindowsNameOf(name));
  if (unixNames_.insert(std::move(name)).second) ++folded_[std::move(folded)];
}

void KeptNames::Remove(const std::string& name) {
  if (unixNames_.erase(name) == 0) return;
  const auto folded = folded_.find(FoldedName(WindowsNameOf(name)));
  if (folded != folded_.end() && --folded->second == 0) folded_.erase(folded);
}

}  // namespace cdinst::posix
