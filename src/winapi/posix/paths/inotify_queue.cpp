#include "winapi/posix/paths/inotify_queue.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace cdinst::posix {

void TakeQueuedEvents(
    int notify, const std::function<void(const inotify_event& event, const char* name)>& take) {
  constexpr size_t kLargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = read(notify, buffer, sizeof buffer);
    if (got <= 0) return;  // EAGAIN: nothing queued
    for (ssize_t at = 0; at < got;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      take(event, event.len > 0 ? buffer + at + sizeof event : "");
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
    // A read hands out every queued event that fits: room to spare means none was left.
    if (static_cast<size_t>(got) + kLargestEvent <= sizeof buffer) return;
  }
}

}  // namespace cdinst::posix
