#include "winapi/posix/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>

namespace cdinst::posix {
namespace {

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
  if (stopSignal != 0) _exit(128 + signal);
  stopSignal = signal;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

}  // namespace

// Without SA_RESTART, so that a box waiting on the terminal stops waiting.
void CatchStopSignals() {
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int StopSignal() { return stopSignal; }

void EndIfStopped() {
  const int signal = stopSignal;
  if (signal == 0) return;
  std::fprintf(stderr, "cdinst: stopped by %s\n", SignalName(signal));
  _exit(128 + signal);
}

}  // namespace cdinst::posix
