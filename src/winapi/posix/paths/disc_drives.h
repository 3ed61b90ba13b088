// Drives that hold a disc: the drive maps to a disc image or a block device instead of a
// directory, and the emulation serves it as Windows' CD file system shows the disc
// (discimage/disc_image.h), straight from the image, without laying anything out.
//
// What Windows' CD file system does, and so the emulation: every entry is read-only, and every
// call that would change the disc (creating, writing, deleting, renaming, setting attributes)
// fails with ERROR_ACCESS_DENIED. A disc the reader finds broken mid-way fails the call with
// ERROR_FILE_CORRUPT.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discimage/disc_image.h"
#include "winapi/winapi.h"

namespace cdinst::posix {

// The disc in drive `letter`: when its mapping (prefix.h) names a regular file or a block
// device, or when it leads to no directory and the prefix's dosdevices/<x>:: (the device behind
// the drive, as Wine records it) names one. Nothing for a drive that maps to a directory or
// nothing, and for a file that holds no disc the reader takes.
//
// A disc is opened at first use and kept, held open, while its mapping names the same file:
// for one that CDINST_DRIVE_<X> maps, while the variable's text is the same (no other program
// can change it, and the file held open cannot be swapped); otherwise while the file found has
// the device, inode, size and modification time it had when opened.
std::shared_ptr<const disc::DiscImage> DiscInDrive(char letter);

// The disc that CDINST_DRIVE_<X> maps drive `letter` to, when DiscInDrive opened it before and
// it is kept: at no cost, so that a path on it is served without looking for Unix files first.
std::shared_ptr<const disc::DiscImage> HeldDisc(char letter);

// Where a path on a disc drive leads.
struct DiscPlace {
  std::shared_ptr<const disc::DiscImage> image;
  // The root first, then each component found; the last is the path's own entry when it exists.
  std::vector<disc::DiscEntry> trail;

  const disc::DiscEntry& Entry() const { return trail.back(); }
};

// What stat(2) would say of a disc entry: a directory or regular file without write bits, its
// size and the record's time, the volume serial as its device and its first block as its inode.
struct stat DiscStatus(const DiscPlace& place);

// The attributes Windows shows: DIRECTORY or ARCHIVE, READONLY, and HIDDEN from the record.
DWORD DiscAttributes(const disc::DiscEntry& entry);

// Runs `read` and gives its result; ERROR_FILE_CORRUPT in `error` when the reader refuses the
// disc.
template <typename Read>
auto ReadDisc(Read read, DWORD& error) -> std::optional<decltype(read())> {
  try {
    error = ERROR_SUCCESS;
    return read();
  } catch (const disc::DiscError&) {
    error = ERROR_FILE_CORRUPT;
    return std::nullopt;
  }
}

}  // namespace cdinst::posix
