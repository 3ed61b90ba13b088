#include "winapi/posix/exit_handover.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "winapi/posix/process_id.h"

namespace cdinst::posix {
namespace {

struct Handover {
  std::mutex mutex;
  pid_t owner = 0;  // the process whose instances these are
  std::vector<int> fds;
};

Handover& TheHandover() {
  static Handover& handover = *new Handover;  // never destroyed: the exit handler uses it
  return handover;
}

// Keeps `fds` (sorted) open until the parent has ended, which closes the other end of
// `parentGone`, so that the last close is the child's. Only async-signal-safe calls here: the
// parent may have had other threads.
[[noreturn]] void HoldUntilParentEnds(const std::vector<int>& fds, int parentGone) {
  unsigned int next = 0;
  for (const int fd : fds) {
    const auto kept = static_cast<unsigned int>(fd);
    if (kept > next) close_range(next, kept - 1, 0);
    next = kept + 1;
  }
  close_range(next, ~0U, 0);
  char ignored;
  while (read(parentGone, &ignored, 1) < 0) {
  }
  _exit(0);
}

void HandOver() {
  Handover& handover = TheHandover();
  std::vector<int> fds;
  {
    const std::lock_guard<std::mutex> lock(handover.mutex);
    if (handover.owner != ProcessId()) return;  // a child's exit; the instances were its parent's
    fds = handover.fds;
  }
  int gone[2];
  if (fds.empty() || pipe2(gone, O_CLOEXEC) != 0) return;
  fds.push_back(gone[0]);
  std::sort(fds.begin(), fds.end());
  if (fork() == 0) HoldUntilParentEnds(fds, gone[0]);
  close(gone[0]);  // the write end stays open until the process ends
}

}  // namespace

void HandOverAtExit(int fd) {
  if (fd < 0) return;
  Handover& handover = TheHandover();
  const std::lock_guard<std::mutex> lock(handover.mutex);
  const pid_t self = ProcessId();
  if (handover.owner != self) {
    if (handover.owner == 0) std::atexit(HandOver);
    handover.owner = self;
    handover.fds.clear();
  }
  handover.fds.push_back(fd);
}

}  // namespace cdinst::posix
