#include "terminal_reading.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>

namespace cdinst::testing {

pid_t StartOnTerminal(int& terminal, const std::string& title,
                      const std::map<std::string, std::string>& environment) {
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child != 0) return child;
  unsetenv("CDINST_ANSWER");
  for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
  execl(CDINST_PROGRAM, CDINST_PROGRAM, title.c_str(), "D:\\", "EDITOR", "1", "*.*",
        static_cast<char*>(nullptr));
  _exit(127);
}

std::string ReadUntil(int terminal, const std::string& marker) {
  std::string seen;
  char buffer[512];
  while (seen.find(marker) == std::string::npos) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0) break;
    const ssize_t count = read(terminal, buffer, sizeof buffer);
    if (count <= 0) break;
    seen.append(buffer, count);
  }
  return seen;
}

}  // namespace cdinst::testing
