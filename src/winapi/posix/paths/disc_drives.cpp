#include "winapi/posix/paths/disc_drives.h"

#include <cctype>
#include <map>

#include "winapi/posix/paths/prefix.h"

namespace cdinst::posix {
namespace {

// A mapping's file as it was when its disc was opened.
struct Opened {
  std::string path;
  struct stat status;
  bool byVariable;  // CDINST_DRIVE_<X> names `path`
  std::shared_ptr<const disc::DiscImage> image;
};

std::map<char, Opened>& Drives() {
  static std::map<char, Opened> drives;
  return drives;
}

char DriveKey(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

bool IsDiscFile(const std::string& path, struct stat& status) {
  return stat(path.c_str(), &status) == 0 && (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode));
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The file that holds the drive's disc, if any: the mapping itself, else Wine's device entry
// when the mapping is no directory.
std::optional<std::string> DiscFile(char letter, struct stat& status) {
  const std::optional<std::string> mapping = DriveMapping(letter);
  if (mapping && IsDiscFile(*mapping, status)) return mapping;
  if (mapping && S_ISDIR(status.st_mode)) return std::nullopt;
  std::string device = DosDevicePath(letter) + ":";
  if (IsDiscFile(device, status)) return device;
  return std::nullopt;
}

std::shared_ptr<const disc::DiscImage> OpenDisc(const std::string& path) {
  try {
    return disc::DiscImage::Open(path);
  } catch (const disc::DiscError&) {
    return nullptr;
  }
}

}  // namespace

std::shared_ptr<const disc::DiscImage> DiscInDrive(char letter) {
  if (std::shared_ptr<const disc::DiscImage> held = HeldDisc(letter)) return held;
  const char key = DriveKey(letter);
  struct stat status {};
  const std::optional<std::string> file = DiscFile(key, status);
  if (!file) return nullptr;
  const auto found = Drives().find(key);
  if (found != Drives().end() && found->second.path == *file &&
      SameFile(found->second.status, status)) {
    return found->second.image;
  }
  std::shared_ptr<const disc::DiscImage> image = OpenDisc(*file);
  Drives()[key] = Opened{*file, status, DriveVariable(key) == file, image};
  return image;
}

std::shared_ptr<const disc::DiscImage> HeldDisc(char letter) {
  const auto found = Drives().find(DriveKey(letter));
  if (found == Drives().end() || !found->second.byVariable) return nullptr;
  return DriveVariable(letter) == found->second.path ? found->second.image : nullptr;
}

struct stat DiscStatus(const DiscPlace& place) {
  const disc::DiscEntry& entry = place.Entry();
  struct stat status {};
  status.st_mode = entry.directory ? S_IFDIR | 0555 : S_IFREG | 0444;
  status.st_size = static_cast<off_t>(entry.size);
  status.st_mtim.tv_sec = static_cast<time_t>(entry.time);
  status.st_dev = place.image->Serial();
  status.st_ino = entry.extents.empty() ? 0 : entry.extents[0].first;
  status.st_nlink = 1;
  return status;
}

// Windows' CD file system marks files read-only and directories not.
DWORD DiscAttributes(const disc::DiscEntry& entry) {
  DWORD attributes = entry.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_READONLY;
  if (entry.hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

}  // namespace cdinst::posix
