#include "discimage/disc_image.h"

#include <algorithm>

#include "discimage/directory_listing.h"
#include "discimage/image_file.h"
#include "discimage/name_case.h"
#include "discimage/sector_source.h"
#include "discimage/volume.h"

namespace cdinst::disc {
namespace {

constexpr size_t kLargestPiece = 64 * 1024;

const DiscEntry* Named(const std::vector<DiscEntry>& entries, std::string_view name) {
  for (const DiscEntry& entry : entries) {
    if (SameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

class IsoDiscImage : public DiscImage {
 public:
  explicit IsoDiscImage(std::unique_ptr<SectorSource> source)
      : source_(std::move(source)), volume_(ReadVolume(*source_)) {
    // A disc whose root cannot be listed is refused at once rather than at first use.
    ReadDirectory(*source_, volume_.root, volume_.joliet);
  }

  std::string Label() const override { return volume_.label; }

  std::vector<DiscEntry> List(std::string_view path) const override {
    std::optional<std::vector<DiscEntry>> entries = Walk(PathComponents(path));
    if (!entries) throw DiscError(source_->Name() + ": no directory " + std::string(path));
    return std::move(*entries);
  }

  std::optional<DiscEntry> Find(std::string_view path) const override {
    std::vector<std::string_view> components = PathComponents(path);
    if (components.empty()) return std::nullopt;
    const std::string_view last = components.back();
    components.pop_back();
    const std::optional<std::vector<DiscEntry>> entries = Walk(components);
    const DiscEntry* entry = entries ? Named(*entries, last) : nullptr;
    if (!entry) return std::nullopt;
    return *entry;
  }

  void Read(const DiscEntry& entry,
            const std::function<void(const char* data, size_t size)>& sink) const override {
    std::vector<char> buffer(kLargestPiece);
    for (const auto& [block, size] : entry.extents) {
      if (size > 0 && !source_->Holds(block, size)) {
        throw DiscError(source_->Name() + ": a file's data lies outside the image");
      }
      for (uint64_t done = 0; done < size; done += kLargestPiece) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(kLargestPiece, size - done));
        source_->Read(block + done / kBlockSize, buffer.data(), piece);
        sink(buffer.data(), piece);
      }
    }
  }

 private:
  // The entries of the directory `components` leads to; nothing when one is missing or no
  // directory. A directory whose extent is one of those above it would loop.
  std::optional<std::vector<DiscEntry>> Walk(
      const std::vector<std::string_view>& components) const {
    std::vector<uint64_t> above{volume_.root.block};
    std::vector<DiscEntry> entries = ReadDirectory(*source_, volume_.root, volume_.joliet);
    for (const std::string_view component : components) {
      const DiscEntry* entry = Named(entries, component);
      if (!entry || !entry->directory) return std::nullopt;
      const DirectoryExtent extent{entry->extents[0].first, entry->extents[0].second};
      if (std::find(above.begin(), above.end(), extent.block) != above.end()) {
        throw DiscError(source_->Name() +
                        ": a directory record points back to a directory above it");
      }
      above.push_back(extent.block);
      entries = ReadDirectory(*source_, extent, volume_.joliet);
    }
    return entries;
  }

  std::unique_ptr<SectorSource> source_;
  Volume volume_;
};

}  // namespace

std::unique_ptr<DiscImage> DiscImage::Open(const std::string& path) {
  return std::make_unique<IsoDiscImage>(OpenImageFile(path));
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

std::string ChildPath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (!path.empty()) path += '\\';
  path += name;
  return path;
}

}  // namespace cdinst::disc
