// A CD image read as Windows' CD file system shows the disc: the Joliet tree when there is one,
// else the ISO 9660 tree with its names as recorded (letter case kept, the ";n" version and a
// final "." removed), Rock Ridge ignored, entries the disc hides marked hidden, associated
// files skipped, multi-extent files joined, the volume label from the Joliet descriptor else
// the primary one. Read-only, and bounded by the image: each directory is read once while its
// listing stays in a cache of bounded size, and what one DiscImage lists and reads in all is
// held to a budget proportional to the image's real size, so that records sharing extents
// cannot make a small image stand for an endless tree. No Windows calls: the emulation's disc
// drives and the Linux menu use it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cdinst::disc {

// What went wrong, in one line naming the file and what it is not ("disc.iso: not an ISO 9660
// image", "disc.iso: truncated", "disc.iso: a directory record points outside the image").
class DiscError : public std::runtime_error {
 public:
  // What is wrong, after the name of the file read.
  DiscError(const std::string& name, const std::string& problem)
      : std::runtime_error(name + ": " + problem) {}
};

// A path on the disc: names separated by '\' or '/'. Its names, empty ones (from doubled,
// leading or trailing separators) left out.
std::vector<std::string_view> PathComponents(std::string_view path);

// One entry of a directory on the disc.
struct DiscEntry {
  std::string name;  // UTF-8; empty for the root
  bool directory = false;
  bool hidden = false;  // the disc's existence flag
  uint64_t size = 0;    // bytes; 0 for a directory
  int64_t time = 0;     // the record's date, in seconds since 1970 UTC
  // Where its data is: (first logical block, length in bytes) for each extent, in order.
  std::vector<std::pair<uint32_t, uint32_t>> extents;
};

using Listing = std::shared_ptr<const std::vector<DiscEntry>>;

class DiscImage {
 public:
  // Opens `path`: an .iso (2048-byte sectors), a .cue sheet naming a .bin whose first data track
  // is MODE1/2048, MODE1/2352 or MODE2/2352, a raw image (.bin, .img) recognised by the sector
  // sync pattern at 2352 or 2448 bytes per sector, or a block device holding a disc. Raises
  // DiscError for anything else, and for a truncated image or absurd descriptors.
  static std::unique_ptr<DiscImage> Open(const std::string& path);
  virtual ~DiscImage() = default;

  // The file read, as messages name it.
  virtual const std::string& Name() const = 0;
  // The volume label, trailing blanks removed (UTF-8).
  virtual std::string Label() const = 0;
  // The volume serial number Windows reports: a checksum of the descriptor in use.
  virtual uint32_t Serial() const = 0;
  // True when the names come from the Joliet tree.
  virtual bool Joliet() const = 0;
  // The root directory's entry.
  virtual const DiscEntry& Root() const = 0;

  // The entries of the directory `trail` leads to (a trail Trail gave, its last entry a
  // directory) in the disc's order, associated files left out. Raises DiscError for a hostile
  // record (one pointing outside the image or to a directory on `trail`, a zero or absurd
  // length, a name holding '/', '\', ':', NUL or a control character, or named "." or "..") and
  // when the budget is spent: the entries listed count against it.
  virtual Listing Entries(const std::vector<DiscEntry>& trail) const = 0;

  // Up to `size` bytes of the file `entry` from `offset` into `out`; fewer only at its end.
  // Raises DiscError when its extents leave the image and when the budget is spent.
  virtual size_t ReadAt(const DiscEntry& entry, uint64_t offset, char* out, size_t size) const = 0;

  // The entries on the way to `components` (UTF-8, matched without regard to letter case): the
  // root, then one for each component found, up to the first that is missing or lies in no
  // directory. Raises DiscError for a hostile record and for a directory that is one of those
  // above it.
  virtual std::vector<DiscEntry> Trail(const std::vector<std::string_view>& components) const = 0;

  // The entries of the directory `path` ("" is the root). Raises DiscError as Trail does, and
  // when a component is missing or no directory.
  std::vector<DiscEntry> List(std::string_view path) const;
  // The entry `path` names; nothing when it is missing. "" gives nothing.
  std::optional<DiscEntry> Find(std::string_view path) const;
  // Hands the content of the file `entry` to `sink` in pieces of at most 64 KiB, in order.
  void Read(const DiscEntry& entry,
            const std::function<void(const char* data, size_t size)>& sink) const;
};

}  // namespace cdinst::disc
