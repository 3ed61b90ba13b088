#include "install/created_entries.h"

#include <cctype>

#include "install/tree_copy.h"
#include "platform/file_system.h"

namespace cdinst {
namespace {

// The copy leaves its files writable; one made read-only since must not stay behind for that.
void RemoveFile(const std::string& path) {
  if (RemovesFile(path)) return;
  ClearReadOnly(path);
  RemovesFile(path);
}

bool IsFullPath(const std::string& path) {
  if (path.compare(0, 2, "\\\\") == 0) return true;
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         path[2] == '\\';
}

}  // namespace

void CreatedEntries::AddFile(const std::string& path) { Add(path, false); }

void CreatedEntries::AddDirectory(const std::string& path) { Add(path, true); }

void CreatedEntries::Add(const std::string& path, bool directory) {
  if (IsFullPath(path)) entries_.push_back({path, directory});
}

void CreatedEntries::RemoveAll() {
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (entry->directory) {
      RemovesDirectory(entry->path);
    } else {
      RemoveFile(entry->path);
    }
  }
  entries_.clear();
}

}  // namespace cdinst
