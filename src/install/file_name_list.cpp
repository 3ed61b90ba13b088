#include "install/file_name_list.h"

#include <algorithm>

#include "install/file_search.h"
#include "install/listings.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"

namespace cdinst {
namespace {

std::vector<std::string> SplitMask(const std::string& mask) {
  std::vector<std::string> patterns;
  size_t start = 0;
  for (size_t end = mask.find(';'); end != std::string::npos; end = mask.find(';', start)) {
    patterns.push_back(mask.substr(start, end - start));
    start = end + 1;
  }
  patterns.push_back(mask.substr(start));
  return patterns;
}

// After any name equal to it, so that a second find of one file lands next to the first, and a
// twin in letter case meets it there. The system mostly reports names in order already, so the
// last place is tried first.
void InsertInOrder(std::vector<std::string>& names, const std::string& name) {
  const bool last = names.empty() || CompareNamesIgnoringCase(name, names.back()) >= 0;
  const auto place =
      last ? names.end()
           : std::upper_bound(names.begin(), names.end(), name, [](const auto& a, const auto& b) {
               return CompareNamesIgnoringCase(a, b) < 0;
             });
  names.insert(place, place == names.begin() ? name : DistinctFrom(name, *(place - 1)));
}

void AddMatches(const std::string& pattern, SearchedNames& listed) {
  if (pattern.empty()) return;
  for (FileSearch search(pattern); search.HasMatch(); search.Next()) {
    ++listed.searched;
    const WIN32_FIND_DATAA& match = search.Match();
    if (IsLeftOutOfListings(match) || (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    InsertInOrder(listed.names, search.Name());
  }
}

}  // namespace

FileNameList::FileNameList(HostWindow&) : directory_(CurrentDirectory()) {}

void FileNameList::ChangeMask(const std::string& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  listings_.Clear();
  ReadNamesIfRead();
}

void FileNameList::MoveTo(const std::string& path, bool comingBack) {
  if (SamePathText(path, directory_)) return;
  if (DirectoryIsPresent(directory_)) ChangeDirectory(directory_);
  ChangeDirectory(path);
  directory_ = CurrentDirectory();
  if (comingBack) listings_.WatchFromFirstListing(directory_);
  ReadNamesIfRead();
}

int32_t FileNameList::Count() {
  ReadNamesOnce();
  return static_cast<int32_t>(names_->size());
}

std::string FileNameList::Name(int32_t index) {
  ReadNamesOnce();
  return (*names_)[CheckedListIndex(index, names_->size())];
}

void FileNameList::ReadNamesOnce() {
  if (!read_) ReadNames();
}

void FileNameList::ReadNamesIfRead() {
  if (read_) ReadNames();
}

// The patterns are searched relative to the current directory, which entering Directory sets.
// A pattern with a path may search elsewhere, where no watch would see a change.
void FileNameList::ReadNames() {
  ChangeDirectory(directory_);
  const auto list = [this] {
    SearchedNames listed;
    for (const std::string& pattern : SplitMask(mask_)) AddMatches(pattern, listed);
    return listed;
  };
  const bool searchesElsewhere = mask_.find_first_of("\\/:") != std::string::npos;
  names_ = searchesElsewhere ? std::make_shared<const std::vector<std::string>>(list().names)
                             : listings_.Listing(directory_, list);
  read_ = true;
}

}  // namespace cdinst
