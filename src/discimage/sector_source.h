// The logical blocks of an image file, whatever its sector layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cdinst::disc {

constexpr uint32_t kBlockSize = 2048;

// Block n's 2048 bytes of user data sit at base + n * sectorSize + dataOffset.
struct SectorLayout {
  uint64_t base = 0;
  uint32_t sectorSize = kBlockSize;
  uint32_t dataOffset = 0;
};

class SectorSource {
 public:
  // Takes over `fd`; `name` names the image in error messages.
  SectorSource(std::string name, int fd, SectorLayout layout);
  ~SectorSource();
  SectorSource(const SectorSource&) = delete;
  SectorSource& operator=(const SectorSource&) = delete;

  const std::string& Name() const { return name_; }
  // Whole blocks the file holds.
  uint64_t BlockCount() const { return blockCount_; }
  // True when `size` bytes from the start of `block` lie within the file.
  bool Holds(uint64_t block, uint64_t size) const;
  // Reads `size` bytes of user data from the start of `block` on into the blocks after it.
  // Raises DiscError ("truncated") when the file ends first.
  void Read(uint64_t block, char* out, size_t size) const;

 private:
  void ReadAt(uint64_t offset, char* out, size_t size) const;

  std::string name_;
  int fd_;
  SectorLayout layout_;
  uint64_t blockCount_ = 0;
};

}  // namespace cdinst::disc
