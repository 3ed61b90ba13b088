#include "terminal_reading.h"

#include <poll.h>
#include <unistd.h>

namespace cdinst::testing {

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
