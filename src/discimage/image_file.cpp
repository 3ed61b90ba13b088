#include "discimage/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "discimage/cue_sheet.h"
#include "discimage/disc_image.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

constexpr size_t kLongestCueSheet = 64 * 1024;
constexpr uint64_t kFirstDescriptor = 16;
constexpr unsigned char kSync[12] = {0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const size_t length = std::strlen(suffix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - length + i]);
    if (std::tolower(c) != suffix[i]) return false;
  }
  return true;
}

// A regular file or a block device (a disc drive, a loop device), opened without waiting on a
// FIFO.
int OpenRegular(const std::string& path, const std::string& name) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    throw DiscError(name, Filled(Translated("cannot be opened ({1})"), {std::strerror(errno)}));
  struct stat status {};
  if (fstat(fd, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISBLK(status.st_mode))) {
    close(fd);
    throw DiscError(name, Translated("not a regular file"));
  }
  return fd;
}

bool ReadExactly(int fd, uint64_t offset, void* out, size_t size) {
  return pread(fd, out, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// The layout of a raw image whose 16th sector starts with the sync pattern, if it does.
bool RawLayout(int fd, uint32_t sectorSize, SectorLayout& layout) {
  unsigned char head[16];
  if (!ReadExactly(fd, kFirstDescriptor * sectorSize, head, sizeof head)) return false;
  if (std::memcmp(head, kSync, sizeof kSync) != 0) return false;
  if (head[15] != 1 && head[15] != 2) return false;
  layout = SectorLayout{0, sectorSize, head[15] == 1 ? 16u : 24u};
  return true;
}

std::unique_ptr<SectorSource> OpenPlainImage(const std::string& path) {
  const int fd = OpenRegular(path, path);
  // Blocks first: a raw sector inside a file on the disc could pass for a raw image.
  char head[6];
  if (ReadExactly(fd, kFirstDescriptor * kBlockSize, head, sizeof head) &&
      std::memcmp(head + 1, "CD001", 5) == 0) {
    return std::make_unique<SectorSource>(path, fd, SectorLayout{});
  }
  SectorLayout layout;
  if (RawLayout(fd, 2352, layout) || RawLayout(fd, 2448, layout)) {
    return std::make_unique<SectorSource>(path, fd, layout);
  }
  close(fd);
  throw DiscError(path, Translated("not an ISO 9660 image"));
}

std::string SheetText(const std::string& path) {
  const int fd = OpenRegular(path, path);
  std::string text(kLongestCueSheet + 1, '\0');
  const ssize_t got = pread(fd, text.data(), text.size(), 0);
  close(fd);
  if (got < 0 || static_cast<size_t>(got) > kLongestCueSheet) {
    throw DiscError(path, Translated("not a cue sheet"));
  }
  text.resize(static_cast<size_t>(got));
  return text;
}

std::string Beside(const std::string& sheet, const std::string& file) {
  if (!file.empty() && file[0] == '/') return file;
  const size_t slash = sheet.rfind('/');
  return slash == std::string::npos ? file : sheet.substr(0, slash + 1) + file;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::unique_ptr<SectorSource> OpenCueSheet(const std::string& path) {
  const CueTrack track = ParseCueSheet(SheetText(path), path);
  const std::string data = Beside(path, track.file);
  // Sheets never name sheets, so there is no chain of them to follow or loop through.
  if (SameFile(path, data) || EndsWithIgnoringCase(data, ".cue")) {
    throw DiscError(path, Translated("names a cue sheet, not a binary file"));
  }
  struct stat status {};
  if (stat(data.c_str(), &status) != 0) {
    throw DiscError(path, Filled(Translated("its binary file {1} is missing"), {track.file}));
  }
  return std::make_unique<SectorSource>(data, OpenRegular(data, data), track.layout);
}

}  // namespace

std::unique_ptr<SectorSource> OpenImageFile(const std::string& path) {
  return EndsWithIgnoringCase(path, ".cue") ? OpenCueSheet(path) : OpenPlainImage(path);
}

}  // namespace cdinst::disc
