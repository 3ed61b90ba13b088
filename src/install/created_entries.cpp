#include "install/created_entries.h"

#include "platform/file_system.h"
#include "platform/path_parts.h"

namespace cdinst {
namespace {

// The copy leaves its files writable; one made read-only since must not stay behind for that.
void RemoveMadeFile(const std::string& path) {
  if (TryRemoveFile(path)) return;
  ClearReadOnly(path);
  TryRemoveFile(path);
}

}  // namespace

void CreatedEntries::AddFile(const std::string& path, const std::optional<FileIdentity>& identity) {
  Add(path, false, identity);
}

void CreatedEntries::AddDirectory(const std::string& path,
                                  const std::optional<FileIdentity>& identity) {
  Add(path, true, identity);
}

void CreatedEntries::Add(const std::string& path, bool directory,
                         const std::optional<FileIdentity>& identity) {
  if (!IsFullPath(path)) return;
  entries_.push_back({path, directory, identity});
}

void CreatedEntries::RemoveAll() {
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (!entry->identity || EntryIdentityOf(entry->path) != entry->identity) continue;
    if (entry->directory) {
      TryRemoveDirectory(entry->path);
    } else {
      RemoveMadeFile(entry->path);
    }
  }
  entries_.clear();
}

}  // namespace cdinst
