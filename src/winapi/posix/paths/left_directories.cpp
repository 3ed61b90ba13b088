#include "winapi/posix/paths/left_directories.h"

#include <sys/inotify.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "winapi/posix/paths/watched_directories.h"

namespace cdinst::posix {
namespace {

// A name made, removed, renamed or given other rights, the traverse right among them.
constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_DELETE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

// The copy comes back to the folders on its way down, and to the last one it left in each.
constexpr size_t kMostAbove = 64;
constexpr size_t kMostEach = 4;

using Left = std::vector<std::pair<std::string, HeldFd>>;  // the most recently left last
using LeftBelow = WatchedDirectories<Left>;

bool Apply(Left& left, const inotify_event&, const char* name) {
  left.erase(std::remove_if(left.begin(), left.end(),
                            [&](const auto& each) { return each.first == name; }),
             left.end());
  return true;
}

}  // namespace

void KeepLeftDirectory(const HeldDirectory& above, const std::string& unixName, HeldFd left) {
  const struct stat* status = above.Status();
  if (!status) return;
  // The queue is not read here: an event queued before this names the directory at worst.
  LeftBelow& kept = LeftBelow::Instance();
  Left* below = kept.Find({status->st_dev, status->st_ino});
  if (!below) {
    const int watch = kept.Watch(above.Fd(), status->st_dev, kWatched);
    if (watch < 0) return;
    below = &kept.Keep({status->st_dev, status->st_ino}, watch, {}, 0, kMostAbove, 0);
  }
  Apply(*below, {}, unixName.c_str());
  if (below->size() == kMostEach) below->erase(below->begin());
  below->emplace_back(unixName, std::move(left));
}

HeldFd LeftDirectory(const struct stat& above, const std::string& unixName) {
  LeftBelow& kept = LeftBelow::Instance();
  const LeftBelow::Identity identity{above.st_dev, above.st_ino};
  if (!kept.Find(identity)) return nullptr;
  kept.TakeEvents(Apply);
  const Left* below = kept.Find(identity);
  if (!below) return nullptr;
  for (const auto& [name, left] : *below) {
    if (name == unixName) return left;
  }
  return nullptr;
}

}  // namespace cdinst::posix
