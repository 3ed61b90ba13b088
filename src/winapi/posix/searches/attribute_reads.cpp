// GetFileAttributesA. The copy asks again and again about the folders it works in, each held and
// searched already: what a search keeps of a held folder answers for the folder itself and its
// entries, at the cost of the check that the kept entries are still valid.
#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/dos_attributes.h"
#include "winapi/posix/files/file_attributes.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/searches/kept_searches.h"

namespace {

// A held directory, or an entry spelled as on disk right in it, as a kept search shows it.
std::optional<DWORD> KeptAttributesOf(LPCSTR path) {
  const std::optional<cdinst::posix::SpelledPath> spelled = cdinst::posix::SpellPath(path);
  if (!spelled || !spelled->held) return std::nullopt;
  std::string name;  // past the held directory; none for the directory itself
  if (!spelled->NamesHeld()) {
    const std::string base = spelled->held->Path() + "/";
    if (spelled->unixPath.compare(0, base.size(), base) != 0) return std::nullopt;
    name = spelled->unixPath.substr(base.size());
    if (name.find('/') != std::string::npos) return std::nullopt;
  }
  const struct stat* held = spelled->held->Status();
  if (!held) return std::nullopt;
  std::optional<DWORD> attributes = cdinst::posix::KeptAttributes(held->st_dev, held->st_ino, name);
  if (!attributes) return std::nullopt;
  // A file named with a trailing separator is not found; the full lookup says so.
  const bool directoryNamed = *attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (!directoryNamed && cdinst::posix::IsSeparator(path[std::strlen(path) - 1])) {
    return std::nullopt;
  }
  if (name.empty()) {
    *attributes |=
        cdinst::posix::NameAttributes(cdinst::posix::LastComponent(spelled->windowsPath));
  }
  return attributes;
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  if (path != nullptr && *path != '\0') {
    if (const std::optional<DWORD> kept = KeptAttributesOf(path)) return *kept;
  }
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
  return cdinst::posix::AttributesOf(info.st_mode, cdinst::posix::LastComponent(target.windowsPath),
                                     link) |
         cdinst::posix::StoredDosAttributes(target.unixPath, info.st_dev);
}
