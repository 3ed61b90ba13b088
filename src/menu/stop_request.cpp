#include "menu/stop_request.h"

namespace cdinst::menu {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t noted = 0;

void Note(int signal) {
  if (noted == 0) noted = signal;
}

}  // namespace

StopRequests::StopRequests() {
  noted = 0;
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &saved_[i]);
}

StopRequests::~StopRequests() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
}

int StopRequests::Signal() const { return noted; }

}  // namespace cdinst::menu
