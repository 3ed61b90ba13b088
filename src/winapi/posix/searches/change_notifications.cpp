// FindFirstChangeNotificationA and its companions, and WaitForSingleObject on what they return,
// over one inotify instance for the process. Only changes within the directory itself are
// watched: a subtree is not supported. A change is an event the filter asks for on an entry of
// the directory, by any process; the directory's own removal signals too, as on Windows.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/inotify_queue.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/unique_fd.h"

namespace {

using cdinst::posix::FailWith;
using cdinst::posix::UniqueFd;

constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_MODIFY | IN_DELETE_SELF | IN_ONLYDIR;
constexpr DWORD kKnownFilters = 0x17F;

// The watch of a directory on a disc, which never changes.
constexpr int kNoWatch = -1;

struct Change {
  DWORD filter;
  int watch;             // kNoWatch for a directory on a disc
  uint64_t pending = 0;  // changes reported since the handle was last reset
  uint64_t seen = 0;     // how many of them a wait has reported
};

// The process's inotify instance, opened at the first use, and the handles watching with it.
struct Changes {
  UniqueFd notify{inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  std::map<HANDLE, std::unique_ptr<Change>> open;
};

Changes& TheChanges() {
  static Changes changes;
  return changes;
}

// Whether `filter` asks to hear of an event on an entry; an attribute change of the directory
// itself is reported to its parent's watchers on Windows, not to its own.
bool Concerns(DWORD filter, const inotify_event& event) {
  if (event.mask & IN_DELETE_SELF) return true;
  if (event.len == 0) return false;
  if (event.mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) {
    return filter &
           ((event.mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME);
  }
  if (event.mask & IN_ATTRIB) {
    return filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_LAST_WRITE);
  }
  if (event.mask & IN_MODIFY) {
    return filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  }
  return false;
}

void Count(Changes& changes, const inotify_event& event) {
  for (const auto& [handle, change] : changes.open) {
    if ((event.mask & IN_Q_OVERFLOW) ||
        (change->watch == event.wd && Concerns(change->filter, event))) {
      ++change->pending;
    }
  }
}

// Counts every event queued so far; every change that finished before the call is among them.
void TakeQueuedEvents(Changes& changes) {
  cdinst::posix::TakeQueuedEvents(
      changes.notify.Get(),
      [&changes](const inotify_event& event, const char*) { Count(changes, event); });
}

Change* Find(Changes& changes, HANDLE handle) {
  const auto found = changes.open.find(handle);
  return found == changes.open.end() ? nullptr : found->second.get();
}

// Null, with the last error set, when `path` names no directory that can be watched.
std::unique_ptr<Change> Watch(Changes& changes, LPCSTR path, DWORD filter) {
  const cdinst::posix::ResolvedPath target = cdinst::posix::ResolvePath(path);
  if (target.error != ERROR_SUCCESS) return FailWith(nullptr, target.error);
  if (!target.exists) return FailWith(nullptr, ERROR_FILE_NOT_FOUND);
  if (!cdinst::posix::IsExistingDirectory(target)) return FailWith(nullptr, ERROR_DIRECTORY);
  if (target.disc) return std::make_unique<Change>(Change{filter, kNoWatch});
  const int watch = inotify_add_watch(changes.notify.Get(), target.unixPath.c_str(), kWatched);
  if (watch < 0) return cdinst::posix::FailWithErrno(nullptr);
  return std::make_unique<Change>(Change{filter, watch});
}

// A watch serves every handle on the same directory; it goes with the last of them.
void Unwatch(Changes& changes, int watch) {
  for (const auto& [handle, change] : changes.open) {
    if (change->watch == watch) return;
  }
  if (watch == kNoWatch) return;
  inotify_rm_watch(changes.notify.Get(), watch);
}

}  // namespace

HANDLE FindFirstChangeNotificationA(LPCSTR path, BOOL watchSubtree, DWORD filter) {
  const cdinst::posix::WindowsCall call;
  if (path == nullptr || filter == 0 || (filter & ~kKnownFilters)) {
    return FailWith(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
  }
  if (watchSubtree) return FailWith(INVALID_HANDLE_VALUE, ERROR_NOT_SUPPORTED);
  Changes& changes = TheChanges();
  TakeQueuedEvents(changes);
  if (!changes.notify.Valid()) return FailWith(INVALID_HANDLE_VALUE, ERROR_NOT_SUPPORTED);
  std::unique_ptr<Change> change = Watch(changes, path, filter);
  if (!change) return INVALID_HANDLE_VALUE;
  const HANDLE handle = change.get();
  changes.open.emplace(handle, std::move(change));
  return handle;
}

// Changes that came after the last wait that reported the handle signalled keep it signalled.
BOOL FindNextChangeNotification(HANDLE handle) {
  const cdinst::posix::WindowsCall call;
  Changes& changes = TheChanges();
  TakeQueuedEvents(changes);
  Change* change = Find(changes, handle);
  if (change == nullptr) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  change->pending -= change->seen;
  change->seen = 0;
  return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE handle) {
  const cdinst::posix::WindowsCall call;
  Changes& changes = TheChanges();
  TakeQueuedEvents(changes);
  const auto found = changes.open.find(handle);
  if (found == changes.open.end()) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  const int watch = found->second->watch;
  changes.open.erase(found);
  Unwatch(changes, watch);
  return TRUE;
}

namespace {

int RemainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

// Only change notifications can be waited for here.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  const cdinst::posix::WindowsCall call;
  Changes& changes = TheChanges();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    TakeQueuedEvents(changes);
    Change* change = Find(changes, handle);
    if (change == nullptr) return FailWith(WAIT_FAILED, ERROR_INVALID_HANDLE);
    if (change->pending > 0) {
      change->seen = change->pending;
      return WAIT_OBJECT_0;
    }
    const int timeout = milliseconds == INFINITE ? -1 : RemainingMilliseconds(deadline);
    if (timeout == 0) return WAIT_TIMEOUT;
    pollfd ready{changes.notify.Get(), POLLIN, 0};
    poll(&ready, 1, timeout);
  }
}
