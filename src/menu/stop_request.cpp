#include "menu/stop_request.h"

namespace cdinst::menu {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t noted = 0;
volatile sig_atomic_t notedFromProcess = 0;  // the noted signal was sent by kill, not the terminal
volatile pid_t child = 0;

void Note(int signal, siginfo_t* info, void*) {
  const bool fromProcess = info != nullptr && info->si_code <= 0;
  if (noted == 0) {
    noted = signal;
    notedFromProcess = fromProcess;
  }
  if (fromProcess && child > 0) kill(child, signal);
}

}  // namespace

StopRequests::StopRequests() {
  noted = 0;
  notedFromProcess = 0;
  child = 0;
  struct sigaction action {};
  action.sa_sigaction = Note;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &saved_[i]);
}

StopRequests::~StopRequests() {
  child = 0;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
}

// A signal that came before the child was known is passed on now; the handler passes later ones.
void StopRequests::PassTo(pid_t pid) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (const int signal : kSignals) sigaddset(&blocked, signal);
  sigprocmask(SIG_BLOCK, &blocked, &previous);
  child = pid;
  if (noted != 0 && notedFromProcess) kill(pid, noted);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

int StopRequests::Signal() const { return noted; }

}  // namespace cdinst::menu
