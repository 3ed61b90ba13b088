// Ctrl-C, SIGTERM and SIGHUP while cdinst runs: the menu notes the signal and goes on, so that it
// ends only after cdinst has stopped itself and taken back what it made.
#pragma once

#include <signal.h>
#include <sys/types.h>

namespace cdinst::menu {

// While one lives, the three signals are noted instead of ending the menu. One sent to the menu
// alone (by kill) is passed on to the child named by PassTo; one the terminal sends reaches the
// child from the terminal already, and a second would end it before it cleans up.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  // From now on signals sent to the menu alone go to `child` too, including one noted already.
  void PassTo(pid_t child);

  // The first signal noted since this began; 0 while none came.
  int Signal() const;

 private:
  struct sigaction saved_[3];
};

}  // namespace cdinst::menu
