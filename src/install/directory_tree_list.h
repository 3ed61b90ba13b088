// The path levels of one directory, from its drive root down, followed by the names of its
// subdirectories.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/listing_cache.h"

namespace cdinst {

class FileNameList;
class HostWindow;

// Changes the process's current directory: a move leaves it at Directory.
class DirectoryTreeList {
 public:
  // Starts at the current directory, unlinked; lists nothing yet. The list is never shown, so
  // its owner window takes no part in it.
  explicit DirectoryTreeList(HostWindow& owner);
  DirectoryTreeList(const DirectoryTreeList&) = delete;
  DirectoryTreeList& operator=(const DirectoryTreeList&) = delete;

  // The listed directory as CurrentDirectory reported it: no trailing backslash except at a
  // drive root.
  const std::string& Directory() const { return directory_; }

  // The linked list, moved along with this one; null when none. Linking does not move either
  // list, and the link owns nothing.
  FileNameList* FileList() const { return fileList_; }
  void SetFileList(FileNameList* list) { fileList_ = list; }

  // The volume of Directory told the last listing that it distinguishes letter case.
  bool CaseSensitiveVolume() const { return caseSensitiveVolume_; }

  // Moves to `path`, an absolute directory path with a trailing backslash ("C:\DIR\",
  // "\\server\share\DIR\"), and lists it; the linked FileList follows. Does nothing for an
  // empty path or one that names Directory itself (so "C:\DIR\" lists C:\DIR again; a drive
  // root is the same). Raises IoError when `path` cannot be entered, changing nothing: lists,
  // Directory, link and current directory stay as they were.
  // `comingBack`: the caller comes back to `path` again and again, so both lists watch it from
  // this first listing on (listing_cache.h).
  void MoveTo(const std::string& path, bool comingBack = false);

  // The number of entries, listing Directory at the first use when no move came before.
  int32_t Count();

  // Entry `index` (from 0): up to CurrentLevel the path levels ("C:\" or "\\server\share\"
  // first), after it the subdirectory names in ascending order with letter case ignored,
  // hidden and system ones left out. Raises std::out_of_range outside 0 to Count() - 1.
  std::string Entry(int32_t index);

  // The index of Directory's own entry; -1 while there are no entries.
  int32_t CurrentLevel();

 private:
  bool NamesDirectory(const std::string& path) const;
  void BuildOnce();
  void BuildEntries();
  void AddPathLevels(const std::string& root);
  void AddSubdirectories();
  SearchedNames ListSubdirectories() const;

  std::string directory_;
  std::vector<std::string> levels_;  // the path levels, Directory's own last
  ListedNames subdirectories_ = std::make_shared<const std::vector<std::string>>();
  ListingCache listings_;
  int32_t currentLevel_ = -1;
  bool caseSensitiveVolume_ = false;
  bool built_ = false;
  FileNameList* fileList_ = nullptr;
};

}  // namespace cdinst
