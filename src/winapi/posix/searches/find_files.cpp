// FindFirstFileA, FindNextFileA and FindClose. A search collects its entries when it starts;
// the handle is the search object itself, owned by the table of open searches.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_attributes.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_cache.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/short_names.h"
#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/searches/found_entries.h"
#include "winapi/posix/searches/kept_searches.h"
#include "winapi/posix/searches/wildcard.h"
#include "winapi/posix/unique_fd.h"

namespace {

using cdinst::posix::FailWith;
using cdinst::posix::FoundEntries;
using cdinst::posix::FoundEntry;
using cdinst::posix::ResolvedPath;
using cdinst::posix::ResolvePath;

// The entries it reports, all found when it starts.
struct Search {
  FoundEntries entries;
  size_t next = 0;
};

std::map<HANDLE, std::unique_ptr<Search>>& OpenSearches() {
  static std::map<HANDLE, std::unique_ptr<Search>> searches;
  return searches;
}

bool AddEntry(const std::string& unixPath, std::string name, bool link, FoundEntries& entries) {
  struct stat info;
  const cdinst::posix::AtPath at = cdinst::posix::At(unixPath);
  if (fstatat(at.base, at.path, &info, 0) != 0) return false;  // dangling links are not listed
  entries.push_back(cdinst::posix::FoundEntryOf(info, std::move(name), unixPath, link));
  return true;
}

bool Matches(const cdinst::posix::FileNamePattern& pattern, const FoundEntry& entry) {
  return pattern.Matches(entry.windowsName) ||
         (!entry.shortName.empty() && pattern.Matches(entry.shortName));
}

// A directory of a disc: "." and ".." below its root, then its entries in the disc's order.
DWORD ListDiscMatches(const ResolvedPath& directory, const cdinst::posix::FileNamePattern& pattern,
                      Search& search) {
  const cdinst::posix::DiscPlace& place = *directory.disc;
  if (!place.Entry().directory) return ERROR_INVALID_NAME;
  DWORD error;
  const auto listing =
      cdinst::posix::ReadDisc([&] { return place.image->Entries(place.trail); }, error);
  if (!listing) return error;
  if (place.trail.size() > 1) {
    const cdinst::disc::DiscEntry& parent = place.trail[place.trail.size() - 2];
    for (const auto& [name, entry] : {std::pair{".", &place.Entry()}, std::pair{"..", &parent}}) {
      if (pattern.Matches(name))
        search.entries.push_back(cdinst::posix::FoundEntryOf(*entry, name));
    }
  }
  for (const cdinst::disc::DiscEntry& entry : **listing) {
    FoundEntry found = cdinst::posix::FoundEntryOf(entry, cdinst::posix::WindowsNameOf(entry.name));
    if (Matches(pattern, found)) search.entries.push_back(std::move(found));
  }
  return search.entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// Reading the names needs the right to read the directory, telling what each is the right to
// search it; Windows refuses a directory that lacks either. Opening its "." asks both, and,
// being a lookup of a directory, opens no other kind of file.
cdinst::posix::UniqueFd OpenToList(const std::string& unixPath) {
  const std::string self = unixPath + "/.";
  const cdinst::posix::AtPath at = cdinst::posix::At(self);
  return cdinst::posix::UniqueFd(openat(at.base, at.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// ".." of a held directory is the held one right above it, which Windows lets no one rename
// meanwhile: what a search of that one kept of itself answers, as of this search's reading of
// the queue.
std::optional<FoundEntry> KeptAbove(const cdinst::posix::HeldPath* held) {
  const cdinst::posix::HeldFd above = held ? cdinst::posix::HeldAbove(*held) : nullptr;
  const struct stat* status = above ? above->Status() : nullptr;
  const auto self = status ? cdinst::posix::KeptSelf(status->st_dev, status->st_ino) : std::nullopt;
  if (!self) return std::nullopt;
  return cdinst::posix::FoundEntryOf(self->first, "..", self->second);
}

// "." and ".." come first, except at a root, which has neither (`dot` is then nothing); ".." is
// the directory above it on disk, or the held one above a held one (`held`, its path). Then the
// entries that match.
DWORD Report(const std::string& unixPath, std::optional<FoundEntry> dot, FoundEntries entries,
             const cdinst::posix::HeldPath* held, std::string_view namePattern, Search& search) {
  const cdinst::posix::FileNamePattern pattern(namePattern);
  if (dot) {
    if (pattern.Matches(".")) search.entries.push_back(std::move(*dot));
    if (pattern.Matches("..")) {
      if (std::optional<FoundEntry> up = KeptAbove(held)) {
        search.entries.push_back(std::move(*up));
      } else {
        AddEntry(cdinst::posix::UnixChild(unixPath, ".."), "..", false, search.entries);
      }
    }
  }
  for (FoundEntry& entry : entries) {
    if (Matches(pattern, entry)) search.entries.push_back(std::move(entry));
  }
  return search.entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// What is listed is what was opened, whatever the path names by now; `info` is its status.
// What "." shows is kept with the entries, even where the pattern leaves it out.
DWORD ListOpened(const cdinst::posix::UniqueFd& opened, const struct stat& info,
                 const std::string& windowsPath, const std::string& unixPath,
                 const cdinst::posix::HeldPath* held, std::string_view namePattern,
                 Search& search) {
  std::optional<FoundEntry> dot;
  if (!cdinst::posix::IsRootPath(windowsPath)) {
    dot = cdinst::posix::FoundEntryOf(info, ".", unixPath, false);
  }
  const std::optional<DWORD> self = dot ? std::optional(dot->attributes) : std::nullopt;
  FoundEntries entries = cdinst::posix::SearchedEntries(opened.Get(), info, unixPath, self);
  return Report(unixPath, std::move(dot), std::move(entries), held, namePattern, search);
}

DWORD ListOpened(const cdinst::posix::UniqueFd& opened, const std::string& windowsPath,
                 const std::string& unixPath, std::string_view namePattern, Search& search) {
  struct stat info;
  if (fstat(opened.Get(), &info) != 0) return cdinst::posix::ErrorFromErrno(errno);
  return ListOpened(opened, info, windowsPath, unixPath, nullptr, namePattern, search);
}

// A held directory is what its hold says it is, so its status comes from there; one whose
// entries a search keeps, its rights unchanged since, is listed from them without being opened
// again.
std::optional<DWORD> ListHeld(const cdinst::posix::SpelledPath& spelled,
                              std::string_view namePattern, Search& search) {
  if (!spelled.NamesHeld()) return std::nullopt;
  const cdinst::posix::AtPath at = cdinst::posix::At(spelled.unixPath);
  // Where the hold knows the folder, the queue is read before "." is looked at, so that what
  // "." shows may be kept.
  const struct stat* known = spelled.held->KnownStatus();
  std::optional<cdinst::posix::KeptListing> kept;
  if (known)
    kept = cdinst::posix::KeptEntries(at.base, known->st_dev, known->st_ino, spelled.unixPath);
  struct stat info;
  if (fstatat(at.base, at.path, &info, 0) != 0) return std::nullopt;
  spelled.held->Learn(info);
  if (!known) {
    kept = cdinst::posix::KeptEntries(at.base, info.st_dev, info.st_ino, spelled.unixPath);
  } else if (kept) {
    cdinst::posix::KeepSelfStatus(info);
  }
  if (kept) {
    return Report(spelled.unixPath, cdinst::posix::FoundEntryOf(info, ".", kept->self),
                  std::move(kept->entries), &spelled.heldPath, namePattern, search);
  }
  const cdinst::posix::UniqueFd opened = OpenToList(spelled.unixPath);
  if (!opened.Valid()) return std::nullopt;
  return ListOpened(opened, info, spelled.windowsPath, spelled.unixPath, &spelled.heldPath,
                    namePattern, search);
}

// The spelling as on disk is tried first, in the open that lists it; only when that misses is
// the directory looked for in full.
DWORD ListMatches(std::string_view directoryPart, std::string_view namePattern, Search& search) {
  if (directoryPart.empty()) directoryPart = ".";
  if (const auto spelled = cdinst::posix::SpellPath(directoryPart)) {
    if (const std::optional<DWORD> listed = ListHeld(*spelled, namePattern, search)) return *listed;
    const cdinst::posix::UniqueFd opened = OpenToList(spelled->unixPath);
    if (opened.Valid()) {
      return ListOpened(opened, spelled->windowsPath, spelled->unixPath, namePattern, search);
    }
  }
  const ResolvedPath directory = ResolvePath(directoryPart);
  if (directory.error != ERROR_SUCCESS) return directory.error;
  if (!directory.exists) return ERROR_PATH_NOT_FOUND;
  if (directory.disc)
    return ListDiscMatches(directory, cdinst::posix::FileNamePattern(namePattern), search);
  const cdinst::posix::UniqueFd opened = OpenToList(directory.unixPath);
  if (!opened.Valid()) {
    if (errno == ENOTDIR) return ERROR_INVALID_NAME;
    return cdinst::posix::ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
  }
  return ListOpened(opened, directory.windowsPath, directory.unixPath, namePattern, search);
}

// A name without wildcards finds that one entry, spelled as on the disk.
DWORD FindSingle(std::string_view path, FoundEntries& entries) {
  std::optional<cdinst::posix::HeldEntry> held = cdinst::posix::HeldEntryOf(path);
  if (held && !cdinst::posix::ListingKept(held->directory)) held.reset();
  const ResolvedPath target = ResolvePath(path);
  if (target.error != ERROR_SUCCESS) return target.error;
  if (!target.exists || cdinst::posix::IsRootPath(target.windowsPath)) return ERROR_FILE_NOT_FOUND;
  if (target.disc) {
    const cdinst::disc::DiscEntry& entry = target.disc->Entry();
    entries.push_back(cdinst::posix::FoundEntryOf(entry, cdinst::posix::WindowsNameOf(entry.name)));
    return ERROR_SUCCESS;
  }
  std::string name = cdinst::posix::WindowsNameOf(target.name);
  if (target.status) {
    entries.push_back(
        cdinst::posix::FoundEntryOf(*target.status, std::move(name), target.unixPath, false));
    // Where the name adds nothing, what is kept beside the folder's listing learns them.
    const FoundEntry& found = entries.back();
    if (held && cdinst::posix::NameAttributes(found.windowsName) == 0) {
      cdinst::posix::KeepAttributes(*held, target, found.attributes);
    }
    return ERROR_SUCCESS;
  }
  // Only a symbolic link is found without the status of what it names.
  const bool found = AddEntry(target.unixPath, std::move(name), true, entries);
  return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// A directory with nothing to look for in it ("C:\", "sub\") finds nothing.
DWORD NothingToFind(std::string_view directoryPart) {
  const ResolvedPath directory = ResolvePath(directoryPart);
  if (directory.error != ERROR_SUCCESS) return directory.error;
  const bool present = cdinst::posix::IsExistingDirectory(directory);
  return present ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD CollectEntries(std::string_view path, Search& search) {
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  const size_t split = cdinst::posix::NameStart(path);
  const std::string_view name = path.substr(split);
  if (name.empty()) return NothingToFind(path);
  if (!cdinst::posix::HasWildcards(name)) return FindSingle(path, search.entries);
  return ListMatches(path.substr(0, split), name, search);
}

bool TakeNext(Search& search, WIN32_FIND_DATAA& data) {
  if (search.next == search.entries.size()) return false;
  cdinst::posix::FillFindData(search.entries[search.next++], data);
  return true;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  const cdinst::posix::WindowsCall call;
  if (pattern == nullptr || data == nullptr) {
    return FailWith(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
  }
  cdinst::posix::FlushAll();  // the sizes it reports
  auto search = std::make_unique<Search>();
  const DWORD error = CollectEntries(pattern, *search);
  if (error != ERROR_SUCCESS) return FailWith(INVALID_HANDLE_VALUE, error);
  TakeNext(*search, *data);
  const HANDLE handle = search.get();
  OpenSearches().emplace(handle, std::move(search));
  return handle;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  const cdinst::posix::WindowsCall call;
  const auto found = OpenSearches().find(handle);
  if (found == OpenSearches().end()) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  if (data == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  if (!TakeNext(*found->second, *data)) return FailWith(FALSE, ERROR_NO_MORE_FILES);
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  const cdinst::posix::WindowsCall call;
  if (OpenSearches().erase(handle) == 0) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  return TRUE;
}
