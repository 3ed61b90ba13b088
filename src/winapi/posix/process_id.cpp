#include "winapi/posix/process_id.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>

namespace cdinst::posix {
namespace {

std::atomic<pid_t> known{0};

void ForgetInChild() { known.store(0, std::memory_order_relaxed); }

}  // namespace

pid_t ProcessId() {
  static const bool registered = pthread_atfork(nullptr, nullptr, ForgetInChild) == 0;
  pid_t id = known.load(std::memory_order_relaxed);
  if (id != 0) return id;
  id = getpid();
  // Without the fork hook a cached id could outlive a fork, so it is then never kept.
  if (registered) known.store(id, std::memory_order_relaxed);
  return id;
}

}  // namespace cdinst::posix
