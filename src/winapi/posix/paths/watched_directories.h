// What is kept of directories between calls, by each directory's identity, under one rule: a
// value is kept only while the directory's inotify watch, set before the directory was read, has
// lost nothing, and every event queued is handed over before each use. A lost watch (the
// directory is gone) or an overflowing queue drops what was kept. Watches are set only on a file
// system whose every change this kernel makes (ReportsEveryChange); past the bounds the least
// recently used goes first.
#pragma once

#include <pthread.h>
#include <sys/inotify.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "winapi/posix/paths/inotify_queue.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {

// True on a file system whose every change this kernel makes, and so reports through inotify:
// ext4, xfs, btrfs, tmpfs and ramfs. `directory` is open on it, and `device` is its device.
bool ReportsEveryChange(int directory, dev_t device);

#ifdef CDINST_FAULT_INJECTION
// Test-only: true when the environment variable CDINST_UNWATCHED is set, and then no file system
// counts as one that reports every change, so that a suite on ext4 or tmpfs runs the paths that
// keep nothing, as on a network, user-space or FAT file system. Users' programs lack it.
bool EveryFileSystemUnwatched();
#else
inline bool EveryFileSystemUnwatched() { return false; }
#endif

template <typename Value>
class WatchedDirectories {
 public:
  using Identity = std::pair<dev_t, ino_t>;

  // One for each kind of value. A child made by fork() starts afresh: it would share the queue
  // and take its parent's events.
  static WatchedDirectories& Instance() {
    static WatchedDirectories kept;
    static const bool renewedInChildren =
        pthread_atfork(nullptr, nullptr, [] { kept = WatchedDirectories{}; }) == 0;
    (void)renewedInChildren;
    return kept;
  }

  // Hands every event queued about a kept directory or an entry of it to
  // `apply(value, event, name)`, the name empty for the directory itself; `apply` returns false
  // when the value is to go.
  template <typename Apply>
  void TakeEvents(Apply apply) {
    TakeQueuedEvents(notify_.Get(), [&](const inotify_event& event, const char* name) {
      if (event.mask & IN_Q_OVERFLOW) {
        while (!kept_.empty()) Drop(kept_.begin());
        return;
      }
      const auto watched = byWatch_.find(event.wd);
      if (watched == byWatch_.end()) return;
      const auto kept = kept_.find(watched->second);
      if (event.mask & (IN_DELETE_SELF | IN_IGNORED | IN_UNMOUNT)) return Drop(kept);
      if (!apply(kept->second.value, event, name)) Drop(kept);
    });
  }

  // The value kept for the directory, now its most recently used; null when none is.
  Value* Find(const Identity& identity) {
    const auto kept = kept_.find(identity);
    if (kept == kept_.end()) return nullptr;
    kept->second.used = ++uses_;
    return &kept->second.value;
  }

  // Watches the directory open as `directory`, on `device`, for `mask`, before it is read for a
  // value to keep; -1 where it cannot be watched.
  int Watch(int directory, dev_t device, uint32_t mask) {
    if (!notify_.Valid() || !ReportsEveryChange(directory, device)) return -1;
    const std::string self = "/proc/self/fd/" + std::to_string(directory);
    return inotify_add_watch(notify_.Get(), self.c_str(), mask);
  }

  // Keeps `value`, of `weight`, under the watch `watch` from Watch(), making room first: at most
  // `most` values weighing `mostWeight` in all.
  Value& Keep(const Identity& identity, int watch, Value value, size_t weight, size_t most,
              size_t mostWeight) {
    while (!kept_.empty() && (kept_.size() >= most || weight_ + weight > mostWeight)) {
      auto oldest = kept_.begin();
      for (auto at = kept_.begin(); at != kept_.end(); ++at) {
        if (at->second.used < oldest->second.used) oldest = at;
      }
      Drop(oldest);
    }
    byWatch_[watch] = identity;
    weight_ += weight;
    Kept& kept = kept_[identity];
    kept = Kept{watch, ++uses_, weight, std::move(value)};
    return kept.value;
  }

  // Lets go of a watch from Watch() whose value is not kept after all.
  void Unwatch(int watch) { inotify_rm_watch(notify_.Get(), watch); }

  void Drop(const Identity& identity) {
    const auto kept = kept_.find(identity);
    if (kept != kept_.end()) Drop(kept);
  }

 private:
  struct Kept {
    int watch = -1;
    uint64_t used = 0;
    size_t weight = 0;
    Value value;
  };

  void Drop(typename std::map<Identity, Kept>::iterator kept) {
    Unwatch(kept->second.watch);
    byWatch_.erase(kept->second.watch);
    weight_ -= kept->second.weight;
    kept_.erase(kept);
  }

  UniqueFd notify_{inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  std::map<Identity, Kept> kept_;
  std::unordered_map<int, Identity> byWatch_;
  uint64_t uses_ = 0;
  size_t weight_ = 0;
};

}  // namespace cdinst::posix
