#include "install/directory_tree_list.h"

#include <algorithm>

#include "install/file_name_list.h"
#include "install/file_search.h"
#include "install/listings.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

// What follows the drive, without the trailing backslash; a root stays "\".
std::string RestOf(const std::string& path) {
  const std::string rest = path.substr(DrivePart(path).size());
  return rest == "\\" ? rest : WithoutTrailingBackslash(rest);
}

// A network path is entered whole: its share is no drive to enter first.
std::string PartToEnter(const std::string& path) {
  return IsNetworkPath(path) ? WithoutTrailingBackslash(path) : RestOf(path);
}

void ReturnTo(const std::string& directory) {
  if (DirectoryIsPresent(directory)) ChangeDirectory(directory);
}

// Enters the path and comes back, so that a path that cannot be entered raises before
// anything has changed.
void CheckEnterable(const std::string& path) {
  const std::string remembered = CurrentDirectory();
  try {
    const std::string drive = DrivePart(path);
    if (DirectoryIsPresent(drive)) ChangeDirectory(drive);
    ChangeDirectory(RestOf(path));
  } catch (...) {
    ReturnTo(remembered);
    throw;
  }
  ReturnTo(remembered);
}

bool ChangesDrive(const std::string& path, const std::string& directory) {
  if (!StartsWithDrive(path)) return false;
  const char current = directory.empty() ? '\0' : directory[0];
  return UpperCaseLetter(path[0]) != UpperCaseLetter(current);
}

// Subdirectory names equal in the locale's comparison with letter case ignored are listed once,
// but for twins in letter case alone, which DistinctFrom marks. The system mostly reports names
// in order already, so the last place is tried first.
void InsertUnlessListed(std::vector<std::string>& names, const std::string& name) {
  if (names.empty() || CompareNamesIgnoringCase(names.back(), name) < 0) {
    names.push_back(name);
    return;
  }
  const auto place = std::lower_bound(
      names.begin(), names.end(), name,
      [](const auto& a, const auto& b) { return CompareNamesIgnoringCase(a, b) < 0; });
  if (place == names.end() || CompareNamesIgnoringCase(*place, name) != 0) {
    names.insert(place, name);
  } else if (const std::string distinct = DistinctFrom(name, *place); distinct != name) {
    names.insert(place + 1, distinct);
  }
}

bool IsListedSubdirectory(const WIN32_FIND_DATAA& match) {
  return !IsLeftOutOfListings(match) && (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool VolumeIsCaseSensitive(const std::string& root) {
  DWORD flags = 0;
  return GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FS_CASE_SENSITIVE);
}

}  // namespace

DirectoryTreeList::DirectoryTreeList(HostWindow&) : directory_(CurrentDirectory()) {}

void DirectoryTreeList::MoveTo(const std::string& path, bool comingBack) {
  if (path.empty() || NamesDirectory(path)) return;
  CheckEnterable(path);
  std::string directory = directory_;
  if (ChangesDrive(path, directory)) {
    ChangeDirectory(path.substr(0, 2));
    directory = CurrentDirectory();
  }
  if (DirectoryIsPresent(directory)) ChangeDirectory(directory);
  ChangeDirectory(PartToEnter(path));
  directory_ = CurrentDirectory();
  if (comingBack) listings_.WatchFromFirstListing(directory_);
  BuildEntries();
  if (fileList_ != nullptr) fileList_->MoveTo(directory_, comingBack);
}

int32_t DirectoryTreeList::Count() {
  BuildOnce();
  return static_cast<int32_t>(levels_.size() + subdirectories_->size());
}

std::string DirectoryTreeList::Entry(int32_t index) {
  BuildOnce();
  const size_t at = CheckedListIndex(index, levels_.size() + subdirectories_->size());
  return at < levels_.size() ? levels_[at] : (*subdirectories_)[at - levels_.size()];
}

int32_t DirectoryTreeList::CurrentLevel() {
  BuildOnce();
  return currentLevel_;
}

bool DirectoryTreeList::NamesDirectory(const std::string& path) const {
  if (!caseSensitiveVolume_) return SamePathText(path, directory_);
  return CompareStringA(LOCALE_USER_DEFAULT, 0, path.data(), static_cast<int>(path.size()),
                        directory_.data(), static_cast<int>(directory_.size())) == CSTR_EQUAL;
}

void DirectoryTreeList::BuildOnce() {
  if (!built_) BuildEntries();
}

// A volume that cannot tell its flags (a network share, for one) counts as ignoring case, as
// the system's own name lookups do.
void DirectoryTreeList::BuildEntries() {
  levels_.clear();
  const std::string root = DrivePart(directory_) + "\\";
  caseSensitiveVolume_ = VolumeIsCaseSensitive(root);
  AddPathLevels(root);
  currentLevel_ = static_cast<int32_t>(levels_.size()) - 1;
  AddSubdirectories();
  built_ = true;
}

// A drive root keeps its backslash ("C:\"); a network root is one entry ("\\server\share\").
void DirectoryTreeList::AddPathLevels(const std::string& root) {
  std::string rest = directory_;
  bool atDrive = true;
  if (IsNetworkPath(root)) {
    levels_.push_back(root);
    rest = directory_.size() > root.size() ? directory_.substr(root.size()) : std::string();
    atDrive = false;
  }
  if (rest.empty()) return;
  if (!EndsInBackslash(rest)) {
    for (size_t at = FindBackslash(rest); at != std::string::npos; at = FindBackslash(rest)) {
      levels_.push_back(rest.substr(0, at) + (atDrive ? "\\" : ""));
      rest.erase(0, at + 1);
      atDrive = false;
    }
  }
  levels_.push_back(rest);
}

void DirectoryTreeList::AddSubdirectories() {
  subdirectories_ = listings_.Listing(directory_, [this] { return ListSubdirectories(); });
}

SearchedNames DirectoryTreeList::ListSubdirectories() const {
  const std::string pattern = WithTrailingBackslash(directory_) + "*.*";
  SearchedNames listed;
  for (FileSearch search(pattern); search.HasMatch(); search.Next()) {
    ++listed.searched;
    if (IsListedSubdirectory(search.Match())) InsertUnlessListed(listed.names, search.Name());
  }
  return listed;
}

}  // namespace cdinst
