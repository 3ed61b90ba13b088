// Where a mounted disc's directory really comes from, so that the menu can read the disc itself
// rather than the names the Linux file system driver made of it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cdinst::menu {

struct DiscSource {
  std::string path;        // the image file behind a loop device, else the block device
  std::string insideDisc;  // the directory on the disc, '/'-separated; "" for its root
};

// Gives a file's text, or nothing when it cannot be read.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;

// `mountinfo` is the text of /proc/self/mountinfo; `directory` an absolute path with links
// resolved. Finds the mount that holds `directory` (the last one on the deepest mount point)
// and, when it is an iso9660 file system, its source. A loop device gives its backing
// file, read with `readFile` from /sys/block/loopN/loop/backing_file, or the device itself
// when that cannot be read, the file was deleted, or the device shows only part of it (an offset
// or size limit in /sys/block/loopN/loop/). Nothing for any other mount.
std::optional<DiscSource> FindDiscSource(std::string_view mountinfo, const std::string& directory,
                                         const FileReader& readFile);

}  // namespace cdinst::menu
