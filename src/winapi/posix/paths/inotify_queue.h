// Reading what an inotify instance has queued, for the listings kept exact by it and for
// change notifications.
#pragma once

#include <sys/inotify.h>

#include <functional>

namespace cdinst::posix {

// Hands every event queued on the non-blocking inotify descriptor `notify` to `take`, with the
// entry's name (empty for the watched directory itself); every change that finished before the
// call is among them. Returns once nothing more is queued.
void TakeQueuedEvents(
    int notify, const std::function<void(const inotify_event& event, const char* name)>& take);

}  // namespace cdinst::posix
