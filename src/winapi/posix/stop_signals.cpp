#include "winapi/posix/stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::posix {
namespace {

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
  if (stopSignal != 0) _exit(128 + signal);
  stopSignal = signal;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return Translated("a signal");
  }
}

}  // namespace

// Without SA_RESTART, so that a box waiting on the terminal stops waiting.
void CatchStopSignals() {
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

int StopSignal() { return stopSignal; }

// The stop signals are held back while the flag is tested and let in by ppoll itself, so that
// none can come between the test and the wait and leave it waiting for ever.
bool WaitForInputUnlessStopped(int fd) {
  sigset_t stops, previous;
  sigemptyset(&stops);
  for (const int signal : kStopSignals) sigaddset(&stops, signal);
  sigprocmask(SIG_BLOCK, &stops, &previous);
  while (stopSignal == 0) {
    pollfd input{fd, POLLIN, 0};
    if (ppoll(&input, 1, nullptr, &previous) >= 0 || errno != EINTR) break;
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return stopSignal == 0;
}

void EndIfStopped() {
  const int signal = stopSignal;
  if (signal == 0) return;
  const std::string message = Filled(Translated("stopped by {1}"), {SignalName(signal)});
  std::fprintf(stderr, "cdinst: %s\n", message.c_str());
  _exit(128 + signal);
}

}  // namespace cdinst::posix
