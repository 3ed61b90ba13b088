// GetFileAttributesA. The copy asks again and again about the folders it works in and the files
// it just made, each in a held folder: what a search keeps of a held folder, else what is kept
// beside its listing, answers for the folder itself and its entries, at the cost of the check
// that it is still valid.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/dos_attributes.h"
#include "winapi/posix/files/file_attributes.h"
#include "winapi/posix/paths/directory_cache.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/searches/kept_searches.h"

namespace {

// What a search keeps of an entry shows its name's part already; nothing else kept does.
std::optional<DWORD> KeptAttributesOf(const cdinst::posix::HeldEntry& entry) {
  const struct stat& held = entry.directory;
  std::optional<DWORD> kept = cdinst::posix::KeptAttributes(held.st_dev, held.st_ino, entry.name);
  if (kept && !entry.name.empty()) return kept;
  if (!kept) kept = cdinst::posix::KeptEntryAttributes(held, entry.name);
  if (!kept) return std::nullopt;
  return *kept | cdinst::posix::NameAttributes(entry.windowsName);
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  const std::optional<cdinst::posix::HeldEntry> held =
      path != nullptr ? cdinst::posix::HeldEntryOf(path) : std::nullopt;
  // A file named with a trailing separator is not found; the full lookup says so.
  const bool fileNotNamed = held && held->trailingSeparator;
  if (const std::optional<DWORD> kept = held ? KeptAttributesOf(*held) : std::nullopt) {
    if (!fileNotNamed || (*kept & FILE_ATTRIBUTE_DIRECTORY)) return *kept;
  }
  // A held folder asked about itself is asked again and again: its listing is kept for that.
  const bool keepable =
      held && (cdinst::posix::ListingKept(held->directory) ||
               (held->name.empty() && cdinst::posix::KeepListing(*held->held, held->directory)));
  cdinst::posix::ResolvedPath target;
  struct stat info;
  if (!cdinst::posix::StatusOfPath(path, target, info)) return INVALID_FILE_ATTRIBUTES;
  if (target.disc) {
    // Windows builds a folder opened by its path from the path table, which keeps no flags.
    const cdinst::disc::DiscEntry& entry = target.disc->Entry();
    return entry.directory ? FILE_ATTRIBUTE_DIRECTORY : cdinst::posix::DiscAttributes(entry);
  }
  // Only a symbolic link is found without the status of what it names.
  const bool link = !target.status;
  const DWORD own = cdinst::posix::AttributesOf(info.st_mode, "", link) |
                    cdinst::posix::StoredDosAttributes(target.unixPath, info.st_dev);
  if (keepable) cdinst::posix::KeepAttributes(*held, target, own);
  return own | cdinst::posix::NameAttributes(cdinst::posix::LastComponent(target.windowsPath));
}
