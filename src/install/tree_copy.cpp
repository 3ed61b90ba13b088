#include "install/tree_copy.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "install/block_copy.h"
#include "install/created_entries.h"
#include "install/directory_tree_list.h"
#include "install/file_identity.h"
#include "install/file_name_list.h"
#include "install/folder_hold.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

// Entering tells whether the counterpart exists; any failure, an entry that the fresh listing
// no longer has included, means it does not.
bool CounterpartExists(DirectoryTreeList& tree, int32_t index, const std::string& destination) {
  try {
    return EntersDirectory(destination + tree.Entry(index));
  } catch (...) {
    return false;
  }
}

// Nothing when the counterpart cannot be created, whatever the error.
std::optional<std::string> MakeCounterpart(DirectoryTreeList& tree, int32_t index,
                                           const std::string& destination) {
  try {
    std::string name = tree.Entry(index);
    MakeDirectory(destination + name);
    return name;
  } catch (...) {
    return std::nullopt;
  }
}

// Whether the directory `path` names is a link (a junction, a symbolic link, a mount point):
// only through one can the copy come back to a directory it is working on.
bool IsLink(const std::string& path) {
  const int32_t attributes = ReadFileAttributes(path);
  return attributes != -1 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

using Identity = std::optional<FileIdentity>;

// One copy and the copies it makes of its subdirectories, with the listings they share.
class TreeCopy {
 public:
  TreeCopy(DirectoryTreeList& tree, const std::string& sourceRoot, CreatedEntries& created)
      : tree_(tree), sourceRoot_(sourceRoot), created_(created) {}

  // `folder`: the identity of `destination`, for the entries recorded as made in it.
  bool Copy(const std::string& source, const std::string& destination, const Identity& folder,
            bool throughLink);

 private:
  // A source that the copies above this one are working on; its identity is asked only once a
  // link is followed, since only then can a directory be met again.
  struct Ancestor {
    std::string source;
    Identity identity;
  };

  bool IsBeingCopied(const Identity& identity);
  bool CopyFiles(const std::string& source, const std::string& destination, const Identity& folder);
  bool CopyOneFile(const std::string& source, const std::string& target, const Identity& folder);
  bool CopySubdirectories(const std::string& source, const std::string& destination,
                          const Identity& folder);
  bool CopySubdirectory(int32_t index, const std::string& source, const std::string& destination,
                        const Identity& folder);

  DirectoryTreeList& tree_;
  const std::string& sourceRoot_;
  CreatedEntries& created_;
  // An error ends the whole copy, so only the normal returns take their entries off again.
  std::vector<Ancestor> ancestors_;
  int linksFollowed_ = 0;  // links on the way from the first source down to this one
};

// A link back to a directory being copied above would repeat that copy without end. Skipping
// it loses nothing, since the ancestor copies that content itself, where failing would refuse
// a medium whose every file can be copied.
bool TreeCopy::Copy(const std::string& givenSource, const std::string& givenDestination,
                    const Identity& folder, bool throughLink) {
  const std::string source = WithTrailingBackslash(givenSource);
  const std::string destination = WithTrailingBackslash(givenDestination);
  tree_.MoveTo(source, ancestors_.empty());  // where the copy starts it comes back to
  linksFollowed_ += throughLink;
  Identity identity;
  if (linksFollowed_ > 0) identity = IdentityOf(tree_.Directory());
  if (IsBeingCopied(identity)) {
    linksFollowed_ -= throughLink;
    return true;
  }
  if (!CopyFiles(source, destination, folder)) return false;
  ancestors_.push_back({tree_.Directory(), identity});
  const bool copied = CopySubdirectories(source, destination, folder);
  ancestors_.pop_back();
  linksFollowed_ -= throughLink;
  return copied;
}

// Asks the identities of the ancestors met before the first link, once.
bool TreeCopy::IsBeingCopied(const Identity& identity) {
  if (!identity) return false;
  for (Ancestor& ancestor : ancestors_) {
    if (!ancestor.identity) ancestor.identity = IdentityOf(ancestor.source);
    if (ancestor.identity == identity) return true;
  }
  return false;
}

bool TreeCopy::CopyFiles(const std::string& source, const std::string& destination,
                         const Identity& folder) {
  FileNameList* files = tree_.FileList();
  if (files == nullptr) return true;
  const int32_t count = files->Count();
  for (int32_t i = 0; i < count; ++i) {
    const std::string name = files->Name(i);
    if (!CopyOneFile(source + name, destination + name, folder)) return false;
    ClearReadOnly(destination + name);
  }
  return true;
}

// Only a file that was not there before counts as made by the copy, once the copy opened it.
// Nothing there means nothing to clear, so the name is asked about only once.
bool TreeCopy::CopyOneFile(const std::string& source, const std::string& target,
                           const Identity& folder) {
  if (ReadFileAttributes(target) != -1) {
    ClearReadOnly(target);
    return CopyFileBlocks(source, target);
  }
  Identity written;
  const bool copied = CopyFileBlocksToNew(source, target, folder, written);
  if (written) created_.AddFile(target, written);
  return copied;
}

// After a move the entries past CurrentLevel are the source's subdirectories, whatever spelling
// the system reports for the source: a drive root keeps its backslash, and "/" or doubled
// backslashes are folded. So the walk starts there, and a drive-root source walks its
// subdirectories like any other.
bool TreeCopy::CopySubdirectories(const std::string& source, const std::string& destination,
                                  const Identity& folder) {
  const int32_t first = tree_.CurrentLevel() + 1;
  const int32_t count = tree_.Count();
  for (int32_t index = first; index < count; ++index) {
    tree_.MoveTo(source);  // a copy of an earlier subdirectory moved the listings away
    if (!CopySubdirectory(index, source, destination, folder)) return false;
    ChangeDirectory(sourceRoot_);
  }
  return true;
}

// A subdirectory whose counterpart exists already is left alone, with everything in it. One
// made here is held while it is filled; the folder it is made in is held already.
bool TreeCopy::CopySubdirectory(int32_t index, const std::string& source,
                                const std::string& destination, const Identity& folder) {
  if (CounterpartExists(tree_, index, destination)) return true;
  const std::optional<std::string> name = MakeCounterpart(tree_, index, destination);
  if (!name) return false;
  const FolderHold made(destination + *name);
  const Identity identity = made.IdentityMadeIn(folder);
  created_.AddDirectory(destination + *name, identity);
  if (!made.Held()) return false;
  return Copy(source + *name + "\\", destination + *name + "\\", identity, IsLink(source + *name));
}

}  // namespace

bool CopyTree(const std::string& source, const std::string& destination, DirectoryTreeList& tree,
              const std::string& sourceRoot, CreatedEntries& created,
              const std::optional<FileIdentity>& destinationIdentity) {
  return TreeCopy(tree, sourceRoot, created).Copy(source, destination, destinationIdentity, false);
}

}  // namespace cdinst
