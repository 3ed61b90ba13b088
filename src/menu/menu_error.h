// How cdinst-menu ends when it installs nothing: the exit codes are a fixed contract for
// scripts, and the message is one line on stderr.
#pragma once

#include <stdexcept>
#include <string>

namespace cdinst::menu {

enum ExitCode {
  kSuccess = 0,
  kUsage = 2,
  kMediumUnreadable = 3,
  kNoProgramList = 4,
  kUnknownChoice = 5,
  kUnforeseen = 6,  // out of memory, or a system error no other code covers
};

class MenuError : public std::runtime_error {
 public:
  MenuError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode Code() const { return code_; }

 private:
  ExitCode code_;
};

}  // namespace cdinst::menu
