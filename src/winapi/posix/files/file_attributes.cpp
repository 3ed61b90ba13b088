#include "winapi/posix/files/file_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/dos_attributes.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_cache.h"
#include "winapi/posix/paths/windows_path.h"

namespace cdinst::posix {

DWORD AttributesOf(mode_t mode, std::string_view name, bool link) {
  DWORD attributes = S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (link && S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  if ((mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes | NameAttributes(name);
}

DWORD NameAttributes(std::string_view name) {
  const bool hidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
  return hidden ? FILE_ATTRIBUTE_HIDDEN : 0;
}

bool StatusOfPath(LPCSTR path, ResolvedPath& target, struct stat& info) {
  if (path == nullptr) return FailWith(false, ERROR_INVALID_PARAMETER);
  target = ResolvePath(path);
  if (!StatusOfResolvedPath(target, info)) return false;
  if (target.trailingSeparator && !S_ISDIR(info.st_mode)) {
    return FailWith(false, ERROR_PATH_NOT_FOUND);
  }
  return true;
}

}  // namespace cdinst::posix

using cdinst::posix::FailWith;
using cdinst::posix::FailWithErrno;
using cdinst::posix::ResolvedPath;
using cdinst::posix::StatusOfPath;
using cdinst::posix::StoreDosAttributes;

namespace {

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// Windows' READONLY does not stop writes into a directory, so a directory's bits stay.
bool SetWriteBits(const std::string& file, mode_t found, bool readOnly) {
  if (S_ISDIR(found)) return true;
  const mode_t mode = found & 07777;
  const mode_t wanted = readOnly ? mode & ~kAllWriteBits : mode | S_IWUSR;
  const cdinst::posix::AtPath at = cdinst::posix::At(file);
  return wanted == mode || fchmodat(at.base, at.path, wanted, 0) == 0;
}

// Nothing to change, as what is kept beside the folder's listing shows: no READONLY asked of an
// entry without it, and the stored bits as asked.
bool AlreadyAsAsked(LPCSTR path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) || path == nullptr) return false;
  const std::optional<cdinst::posix::HeldEntry> held = cdinst::posix::HeldEntryOf(path);
  if (!held || held->trailingSeparator) return false;
  const std::optional<uint32_t> kept =
      cdinst::posix::KeptEntryAttributes(held->directory, held->name);
  constexpr DWORD kToChange = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
  return kept && !(*kept & kToChange) &&
         (*kept & cdinst::posix::kStoredDosBits) == (attributes & cdinst::posix::kStoredDosBits);
}

}  // namespace

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  const cdinst::posix::WindowsCall call;
  if (AlreadyAsAsked(path, attributes)) return TRUE;
  ResolvedPath target;
  struct stat found;
  if (!StatusOfPath(path, target, found)) return FALSE;
  if (target.disc) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  const std::string& file = target.unixPath;
  const auto store = [&] { return StoreDosAttributes(file, found.st_dev, attributes); };
  // For anyone but root, the extended attributes of a read-only file cannot be written.
  const bool done = readOnly ? store() && SetWriteBits(file, found.st_mode, true)
                             : SetWriteBits(file, found.st_mode, false) && store();
  return done ? TRUE : FailWithErrno(FALSE);
}
