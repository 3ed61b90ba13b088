#include "discimage/sector_source.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "discimage/disc_image.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

// A block device's size is asked of the device; stat(2) gives none.
bool SizeOf(int fd, uint64_t& size) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  if (S_ISBLK(status.st_mode)) return ioctl(fd, BLKGETSIZE64, &size) == 0;
  size = static_cast<uint64_t>(status.st_size);
  return true;
}

}  // namespace

SectorSource::SectorSource(std::string name, int fd, SectorLayout layout)
    : name_(std::move(name)), fd_(fd), layout_(layout) {
  uint64_t size = 0;
  if (!SizeOf(fd_, size)) {
    close(fd_);
    throw DiscError(name_, Translated("cannot be read"));
  }
  // A raw sector's last block needs only its user data, not the error codes after it.
  const uint64_t needed = layout_.dataOffset + kBlockSize;
  if (size >= layout_.base + needed) {
    blockCount_ = (size - layout_.base - needed) / layout_.sectorSize + 1;
  }
}

SectorSource::~SectorSource() { close(fd_); }

bool SectorSource::Holds(uint64_t block, uint64_t size) const {
  const uint64_t blocks = (size + kBlockSize - 1) / kBlockSize;
  return block <= blockCount_ && blocks <= blockCount_ - block;
}

void SectorSource::Read(uint64_t block, char* out, size_t size) const {
  if (!Holds(block, size)) throw DiscError(name_, Translated("truncated"));
  if (layout_.sectorSize == kBlockSize && layout_.dataOffset == 0) {
    ReadAt(layout_.base + block * kBlockSize, out, size);
    return;
  }
  for (size_t done = 0; done < size; ++block) {
    const size_t piece = std::min<size_t>(kBlockSize, size - done);
    ReadAt(layout_.base + block * layout_.sectorSize + layout_.dataOffset, out + done, piece);
    done += piece;
  }
}

void SectorSource::ReadAt(uint64_t offset, char* out, size_t size) const {
  while (size > 0) {
    const ssize_t got = pread(fd_, out, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw DiscError(name_, Translated("cannot be read"));
    // The file shrank after it was opened.
    if (got == 0) throw DiscError(name_, Translated("truncated"));
    out += got;
    offset += static_cast<uint64_t>(got);
    size -= static_cast<size_t>(got);
  }
}

}  // namespace cdinst::disc
