#include "winapi/posix/windows/status_line.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "codepage/windows1252.h"

namespace cdinst::posix {
namespace {

constexpr long kIntervalNs = 250'000'000;
constexpr size_t kDefaultWidth = 80;
constexpr char kClear[] = "\r\x1b[K";

struct StatusLine {
  bool active = false;
  bool shown = false;
  uint64_t files = 0;
  uint64_t bytes = 0;
  char name[260] = "";  // Windows-1252, cut
  timespec next{};      // no line is drawn before this
  size_t width = kDefaultWidth;
} line;

size_t TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultWidth;
  return size.ws_col;
}

void Write(const std::string& text) {
  ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
  (void)ignored;
}

// Every Windows-1252 character takes one column, so the line is cut before it is converted; a
// long name keeps its end, where the file's own name is.
std::string LineText() {
  char counts[96];
  std::snprintf(counts, sizeof counts, "copying: %llu files, %.1f MB  ",
                static_cast<unsigned long long>(line.files), line.bytes / 1e6);
  const size_t room =
      line.width > std::strlen(counts) + 4 ? line.width - 1 - std::strlen(counts) : 0;
  std::string name = line.name;
  if (name.size() > room) name = room > 3 ? "..." + name.substr(name.size() - (room - 3)) : "";
  return kClear + (counts + TerminalText(Windows1252ToUtf8(name)));
}

void DrawWhenDue() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  if (now.tv_sec < line.next.tv_sec ||
      (now.tv_sec == line.next.tv_sec && now.tv_nsec < line.next.tv_nsec)) {
    return;
  }
  Write(LineText());
  line.shown = true;
  line.next = now;
  line.next.tv_nsec += kIntervalNs;
  if (line.next.tv_nsec >= 1'000'000'000) {
    line.next.tv_nsec -= 1'000'000'000;
    ++line.next.tv_sec;
  }
}

}  // namespace

void StartStatusLine() {
  line = StatusLine{};
  line.active = isatty(STDERR_FILENO) == 1;
  if (line.active) line.width = TerminalWidth();
}

void StopStatusLine() {
  HideStatusLine();
  line.active = false;
}

void HideStatusLine() {
  if (!line.shown) return;
  Write(kClear);
  line.shown = false;
}

void NoteFileCreated(const char* path) {
  if (!line.active) return;
  ++line.files;
  std::strncpy(line.name, path, sizeof line.name - 1);
  DrawWhenDue();
}

void NoteBytesWritten(uint64_t count) {
  if (!line.active) return;
  line.bytes += count;
  DrawWhenDue();
}

}  // namespace cdinst::posix
