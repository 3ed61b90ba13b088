// A disc image of any bytes, opened as an .iso and through a cue sheet of the same bytes: every
// directory it lists and every file it reads keeps to the reader's promises, or a DiscError
// refuses it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "discimage/disc_image.h"
#include "fuzz_prefix.h"

using cdinst::disc::DiscEntry;
using cdinst::disc::DiscError;
using cdinst::disc::DiscImage;
using cdinst::fuzz::Require;

namespace {

// Sibling directories may share one extent, so a small image can stand for a huge tree.
constexpr size_t kMostVisits = 2000;
constexpr size_t kDeepest = 32;

bool GoodName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

void CheckRead(const DiscImage& image, const DiscEntry& entry) {
  uint64_t total = 0;
  image.Read(entry, [&](const char*, size_t size) {
    Require(size > 0 && size <= 64 * 1024, "pieces of at most 64 KiB");
    total += size;
  });
  Require(total == entry.size, "a file reads as long as its size");
}

void Visit(const DiscImage& image, const std::string& path, size_t depth, size_t& visits) {
  for (const DiscEntry& entry : image.List(path)) {
    if (++visits > kMostVisits) return;
    Require(GoodName(entry.name), "names hold no separator or control character");
    const std::string child = path.empty() ? entry.name : path + "\\" + entry.name;
    Require(image.Find(child).has_value(), "a listed entry is found");
    if (!entry.directory) CheckRead(image, entry);
    if (entry.directory && depth < kDeepest) Visit(image, child, depth + 1, visits);
  }
}

void OpenAndVisit(const std::string& path) {
  try {
    const auto image = DiscImage::Open(path);
    image->Label();
    size_t visits = 0;
    Visit(*image, "", 0, visits);
  } catch (const DiscError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string directory = cdinst::fuzz::DriveC();
  cdinst::fuzz::WriteBytes(directory + "/disc.iso", bytes);
  OpenAndVisit(directory + "/disc.iso");
  // A sheet naming "disc.iso" reads the same bytes as its track.
  cdinst::fuzz::WriteBytes(directory + "/disc.cue", bytes);
  OpenAndVisit(directory + "/disc.cue");
  return 0;
}
