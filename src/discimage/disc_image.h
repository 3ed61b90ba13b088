// A CD image read as Windows' CD file system shows the disc: the Joliet tree when there is one,
// else the ISO 9660 tree with its names as recorded (letter case kept, the ";n" version and a
// final "." removed), Rock Ridge ignored, entries the disc hides marked hidden, associated
// files skipped, multi-extent files joined, the volume label from the Joliet descriptor else
// the primary one. Read-only; it reads only the descriptors, the directory records on the way
// to what is asked and the extents of the files read, so its memory does not grow with the
// image. No Windows calls: the Linux menu uses it.
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
  using std::runtime_error::runtime_error;
};

// A path on the disc: names separated by '\' or '/'. Its names, empty ones (from doubled,
// leading or trailing separators) left out.
std::vector<std::string_view> PathComponents(std::string_view path);

// The path of the entry `name` in the directory at `directory` ("" being the root).
std::string ChildPath(const std::string& directory, std::string_view name);

// One entry of a directory on the disc.
struct DiscEntry {
  std::string name;  // UTF-8
  bool directory = false;
  bool hidden = false;  // the disc's existence flag
  uint64_t size = 0;    // bytes; 0 for a directory
  // Where its data is: (first logical block, length in bytes) for each extent, in order.
  std::vector<std::pair<uint32_t, uint32_t>> extents;
};

class DiscImage {
 public:
  // Opens `path`: an .iso (2048-byte sectors), a .cue sheet naming a .bin whose first data track
  // is MODE1/2048, MODE1/2352 or MODE2/2352, or a raw image (.bin, .img) recognised by the sector
  // sync pattern at 2352 or 2448 bytes per sector. Raises DiscError for anything else, and for a
  // truncated image or absurd descriptors.
  static std::unique_ptr<DiscImage> Open(const std::string& path);
  virtual ~DiscImage() = default;

  // The volume label, trailing blanks removed (UTF-8).
  virtual std::string Label() const = 0;

  // The entries of the directory `path` (components separated by '\' or '/', matched without
  // regard to letter case; "" is the root), in the disc's order, associated files left out.
  // Raises DiscError when a component is missing or no directory, and for a hostile record: one
  // pointing outside the image or back to a directory above it, a zero or absurd length, a name
  // holding '/', '\', ':', NUL or a control character, or named "." or "..".
  virtual std::vector<DiscEntry> List(std::string_view path) const = 0;

  // The entry `path` names, looked up as List looks up directories; nothing when it is missing.
  // The root has no entry of its own: "" gives nothing.
  virtual std::optional<DiscEntry> Find(std::string_view path) const = 0;

  // Hands the content of the file `entry` to `sink` in pieces of at most 64 KiB, in order.
  // Raises DiscError when its extents leave the image.
  virtual void Read(const DiscEntry& entry,
                    const std::function<void(const char* data, size_t size)>& sink) const = 0;
};

}  // namespace cdinst::disc
