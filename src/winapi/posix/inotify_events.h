// Reading what an inotify instance has queued.
#pragma once

#include <sys/inotify.h>

#include <functional>
#include <string_view>

namespace cdinst::posix {

using EventTaker = std::function<void(const inotify_event& event, std::string_view name)>;

// Hands every event queued on the non-blocking inotify instance `fd` to `take`, with the name
// it carries (empty for an event on the watched directory itself). Every change that finished
// before the call is among them.
void TakeQueuedEvents(int fd, const EventTaker& take);

}  // namespace cdinst::posix
