// Ctrl-C, SIGTERM and SIGHUP while the menu holds something to clean up: it notes the signal and
// goes on, so that it can wait for cdinst (which gets the same signal from the terminal and
// stops itself) and remove what it made before it ends.
#pragma once

#include <csignal>

namespace cdinst::menu {

// While one lives, the three signals are noted instead of ending the menu.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  // The first signal noted since this began; 0 while none came.
  int Signal() const;

 private:
  struct sigaction saved_[3];
};

}  // namespace cdinst::menu
