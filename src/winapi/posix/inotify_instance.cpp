#include "winapi/posix/inotify_instance.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "winapi/posix/exit_handover.h"
#include "winapi/posix/process_id.h"

namespace cdinst::posix {

bool InotifyInstance::OpenedAfresh() {
  const pid_t self = ProcessId();
  if (owner_ == self) return false;
  fd_ = UniqueFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  HandOverAtExit(fd_.Get());
  queued_.Listen(fd_.Get());
  owner_ = self;
  return true;
}

int InotifyInstance::Watch(const std::string& path, uint32_t mask) const {
  return inotify_add_watch(fd_.Get(), path.c_str(), mask);
}

int InotifyInstance::WatchOpen(int directory, uint32_t mask) const {
  return Watch("/proc/self/fd/" + std::to_string(directory), mask);
}

void InotifyInstance::Unwatch(int watch) const { inotify_rm_watch(fd_.Get(), watch); }

void InotifyInstance::TakeQueuedEvents(const EventTaker& take) const {
  constexpr size_t kLargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
  if (!queued_.Rung()) return;
  queued_.Answer();
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t got = read(fd_.Get(), buffer, sizeof buffer);
    if (got <= 0) return;  // EAGAIN: nothing queued
    for (ssize_t at = 0; at < got;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof event;
      take(event, std::string_view(name, strnlen(name, event.len)));
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
    // A read hands out every queued event that fits: room to spare means none was left.
    if (static_cast<size_t>(got) + kLargestEvent <= sizeof buffer) return;
  }
}

}  // namespace cdinst::posix
