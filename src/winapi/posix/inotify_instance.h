// An inotify instance of the process's own, for one of the emulation's caches: opening it,
// watching with it, reading what it has queued.
#pragma once

#include <sys/inotify.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "winapi/posix/ready_bell.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {

using EventTaker = std::function<void(const inotify_event& event, std::string_view name)>;

class InotifyInstance {
 public:
  // Opens the instance at the first call in a process. A child made by fork() shares its
  // parent's queue and watches: reading the queue would take the parent's events, and removing
  // a watch would remove the parent's. So it opens one of its own. True when the instance was
  // opened just now: the caller then lets go of what it kept, whose watches are not in it. The
  // instance is handed over at exit (exit_handover.h) and must stay open until then.
  bool OpenedAfresh();

  bool Valid() const { return fd_.Valid(); }
  int Get() const { return fd_.Get(); }

  // The watch for `mask` on the directory at `path`, or on the one open as `directory` (O_PATH
  // will do); -1 when it cannot be watched.
  int Watch(const std::string& path, uint32_t mask) const;
  int WatchOpen(int directory, uint32_t mask) const;
  void Unwatch(int watch) const;

  // Hands every event queued so far to `take`, with the name it carries (empty for an event on
  // the watched directory itself). Every change that finished before the call is among them.
  void TakeQueuedEvents(const EventTaker& take) const;

 private:
  UniqueFd fd_;
  mutable ReadyBell queued_;  // most reads would find nothing
  pid_t owner_ = 0;
};

}  // namespace cdinst::posix
