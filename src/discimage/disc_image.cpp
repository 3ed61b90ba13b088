#include "discimage/disc_image.h"

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>

#include "discimage/directory_listing.h"
#include "discimage/image_file.h"
#include "discimage/name_case.h"
#include "discimage/sector_source.h"
#include "discimage/volume.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

constexpr size_t kLargestPiece = 64 * 1024;
// Listings kept at once; past this the cache starts afresh, which costs a re-read, not memory.
constexpr size_t kMostCachedEntries = 64 * 1024;
// What one DiscImage may list and read in all. An honest disc shows each entry about once, a
// record taking at least 34 bytes, and is read about once; an image whose records share extents
// to stand for a larger tree is cut off within a few times its own size. A path listed again
// soon after, as a copy lists the folder it works in, is not counted again.
constexpr uint64_t kBaseEntries = 1024;
constexpr uint64_t kBytesPerEntry = 32;
constexpr size_t kRecentPaths = 64;
constexpr uint64_t kBaseBytes = 64 * 1024 * 1024;
constexpr uint64_t kBytesPerByte = 4;

// A directory as the cache keeps it: its listing, and an index of its names built at the first
// lookup, so that finding a name in a wide directory does not scan it.
struct Folder {
  Listing entries;
  std::unordered_map<std::u32string, size_t> byName;  // the first entry of each folded name

  const DiscEntry* Named(std::string_view name) {
    if (byName.empty()) {
      for (size_t i = 0; i < entries->size(); ++i)
        byName.emplace(FoldedName((*entries)[i].name), i);
    }
    const auto found = byName.find(FoldedName(name));
    return found == byName.end() ? nullptr : &(*entries)[found->second];
  }
};

uint32_t FirstBlock(const DiscEntry& entry) {
  return entry.extents.empty() ? 0 : entry.extents[0].first;
}

bool OnTrail(const std::vector<DiscEntry>& trail, const DiscEntry& entry) {
  return entry.directory &&
         std::any_of(trail.begin(), trail.end(), [&entry](const DiscEntry& above) {
           return FirstBlock(above) == FirstBlock(entry);
         });
}

class IsoDiscImage : public DiscImage {
 public:
  explicit IsoDiscImage(std::unique_ptr<SectorSource> source)
      : source_(std::move(source)), volume_(ReadVolume(*source_)) {
    const uint64_t size = source_->BlockCount() * kBlockSize;
    entryBudget_ = kBaseEntries + size / kBytesPerEntry;
    byteBudget_ = kBaseBytes + size * kBytesPerByte;
    // A disc whose root cannot be listed is refused at once rather than at first use.
    Read(volume_.root);
  }

  const std::string& Name() const override { return source_->Name(); }
  std::string Label() const override { return volume_.label; }
  uint32_t Serial() const override { return volume_.serial; }
  bool Joliet() const override { return volume_.joliet; }
  const DiscEntry& Root() const override { return volume_.root; }

  Listing Entries(const std::vector<DiscEntry>& trail) const override {
    Listing listing = Read(trail.back()).entries;
    if (!ListedRecently(trail)) Spend(entriesShown_, listing->size(), entryBudget_);
    for (const DiscEntry& entry : *listing) CheckBelow(trail, entry);
    return listing;
  }

  size_t ReadAt(const DiscEntry& entry, uint64_t offset, char* out, size_t size) const override {
    size_t done = 0;
    uint64_t start = 0;  // of the extent at hand, within the file
    for (const auto& [block, length] : entry.extents) {
      if (done == size) break;
      if (offset + done < start + length) {
        const uint64_t within = offset + done - start;
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(size - done, length - within));
        ReadFromExtent(block, length, within, out + done, piece);
        done += piece;
      }
      start += length;
    }
    return done;
  }

  std::vector<DiscEntry> Trail(const std::vector<std::string_view>& components) const override {
    std::vector<DiscEntry> trail{volume_.root};
    for (const std::string_view component : components) {
      if (!trail.back().directory) break;
      Folder& folder = Read(trail.back());
      const DiscEntry* entry = folder.Named(component);
      if (!entry) break;
      CheckBelow(trail, *entry);
      trail.push_back(*entry);
    }
    return trail;
  }

 private:
  [[noreturn]] void Broken(const std::string& what) const {
    throw DiscError(source_->Name(), what);
  }

  // A directory found in the last of `trail` that is one of those on it would loop.
  void CheckBelow(const std::vector<DiscEntry>& trail, const DiscEntry& entry) const {
    if (OnTrail(trail, entry))
      Broken(Translated("a directory record points back to a directory above it"));
  }

  void Spend(uint64_t& spent, uint64_t amount, uint64_t budget) const {
    spent += amount;
    if (spent > budget) Broken(Translated("its records show far more than the image holds"));
  }

  // Whether the path `trail` is one of the last ones listed; it is one from now on. Paths are
  // told apart by their names: the extents of distinct paths may be the same.
  bool ListedRecently(const std::vector<DiscEntry>& trail) const {
    std::string path;
    for (const DiscEntry& entry : trail) path += entry.name + '\\';
    if (std::find(recentPaths_.begin(), recentPaths_.end(), path) != recentPaths_.end())
      return true;
    if (recentPaths_.size() == kRecentPaths) recentPaths_.pop_front();
    recentPaths_.push_back(std::move(path));
    return false;
  }

  // A directory: from the cache, else read from the disc once. Valid until the next Read.
  Folder& Read(const DiscEntry& directory) const {
    const auto key = directory.extents.at(0);
    const auto found = cache_.find(key);
    if (found != cache_.end()) return found->second;
    Spend(bytesRead_, key.second, byteBudget_);
    Listing listing = std::make_shared<const std::vector<DiscEntry>>(
        ReadDirectory(*source_, {key.first, key.second}, volume_.joliet));
    if (cachedEntries_ + listing->size() > kMostCachedEntries) {
      cache_.clear();
      cachedEntries_ = 0;
    }
    cachedEntries_ += listing->size();
    return cache_.emplace(key, Folder{std::move(listing), {}}).first->second;
  }

  void ReadFromExtent(uint32_t block, uint32_t length, uint64_t within, char* out,
                      size_t size) const {
    if (!source_->Holds(block, length)) Broken(Translated("a file's data lies outside the image"));
    Spend(bytesRead_, size, byteBudget_);
    const uint64_t first = block + within / kBlockSize;
    const size_t skip = static_cast<size_t>(within % kBlockSize);
    if (skip == 0) return source_->Read(first, out, size);
    std::vector<char> blocks(skip + size);
    source_->Read(first, blocks.data(), blocks.size());
    std::copy(blocks.begin() + static_cast<ptrdiff_t>(skip), blocks.end(), out);
  }

  std::unique_ptr<SectorSource> source_;
  Volume volume_;
  uint64_t entryBudget_ = 0;
  uint64_t byteBudget_ = 0;
  mutable uint64_t entriesShown_ = 0;
  mutable uint64_t bytesRead_ = 0;
  mutable std::deque<std::string> recentPaths_;
  mutable std::map<std::pair<uint32_t, uint32_t>, Folder> cache_;
  mutable size_t cachedEntries_ = 0;
};

}  // namespace

std::unique_ptr<DiscImage> DiscImage::Open(const std::string& path) {
  return std::make_unique<IsoDiscImage>(OpenImageFile(path));
}

std::vector<DiscEntry> DiscImage::List(std::string_view path) const {
  const std::vector<std::string_view> components = PathComponents(path);
  const std::vector<DiscEntry> trail = Trail(components);
  if (trail.size() != components.size() + 1 || !trail.back().directory) {
    throw DiscError(Name(), Filled(Translated("no directory {1}"), {path}));
  }
  return *Entries(trail);
}

std::optional<DiscEntry> DiscImage::Find(std::string_view path) const {
  const std::vector<std::string_view> components = PathComponents(path);
  if (components.empty()) return std::nullopt;
  std::vector<DiscEntry> trail = Trail(components);
  if (trail.size() != components.size() + 1) return std::nullopt;
  return std::move(trail.back());
}

void DiscImage::Read(const DiscEntry& entry,
                     const std::function<void(const char* data, size_t size)>& sink) const {
  std::vector<char> buffer(kLargestPiece);
  for (uint64_t done = 0; done < entry.size;) {
    const size_t got = ReadAt(entry, done, buffer.data(), buffer.size());
    if (got == 0) break;
    sink(buffer.data(), got);
    done += got;
  }
}

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

}  // namespace cdinst::disc
