// A disc image of any bytes, opened as an .iso and through a cue sheet of the same bytes, and
// served whole as a drive serves it: every folder listed by every path to it and every file
// read, in pieces and at offsets, keeps to the reader's promises within its budget, or a
// DiscError refuses it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "discimage/disc_image.h"
#include "fuzz_prefix.h"

using cdinst::disc::DiscEntry;
using cdinst::disc::DiscError;
using cdinst::disc::DiscImage;
using cdinst::fuzz::Require;

namespace {

// The reader's budget bounds the walk; these only keep one input quick.
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

// The whole file in 64 KiB pieces, and a piece from its middle, read again at that offset.
void CheckRead(const DiscImage& image, const DiscEntry& entry) {
  std::string whole;
  image.Read(entry, [&](const char* data, size_t size) {
    Require(size > 0 && size <= 64 * 1024, "pieces of at most 64 KiB");
    whole.append(data, size);
  });
  Require(whole.size() == entry.size, "a file reads as long as its size");
  const uint64_t middle = entry.size / 3;
  std::string piece(static_cast<size_t>(entry.size - middle) + 7, '\0');
  const size_t got = image.ReadAt(entry, middle, piece.data(), piece.size());
  Require(got == entry.size - middle, "a read at an offset stops at the end");
  Require(piece.compare(0, got, whole, static_cast<size_t>(middle), got) == 0,
          "a read at an offset gives the bytes there");
}

void Visit(const DiscImage& image, std::vector<DiscEntry>& trail, std::vector<std::string>& names,
           size_t& visits) {
  for (const DiscEntry& entry : *image.Entries(trail)) {
    if (++visits > kMostVisits) return;
    Require(GoodName(entry.name), "names hold no separator or control character");
    names.push_back(entry.name);
    // Deeper, a name on the way may also be a file's that differs in letter case alone.
    if (trail.size() == 1) {
      const std::vector<std::string_view> path(names.begin(), names.end());
      Require(image.Trail(path).size() == 2, "an entry of the root is found by its name");
    }
    if (!entry.directory) CheckRead(image, entry);
    if (entry.directory && trail.size() < kDeepest) {
      trail.push_back(entry);
      Visit(image, trail, names, visits);
      trail.pop_back();
    }
    names.pop_back();
  }
}

void OpenAndVisit(const std::string& path) {
  try {
    const auto image = DiscImage::Open(path);
    image->Label();
    std::vector<DiscEntry> trail{image->Root()};
    std::vector<std::string> names;
    size_t visits = 0;
    Visit(*image, trail, names, visits);
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
