// The Linux program's progress on a terminal: while the wait cursor is set and stderr is a
// terminal, one line on stderr with the files and bytes written so far and the file being
// written. main starts it listening to the emulation.
#include "startup/status_line.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "codepage/windows1252.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
#include "winapi/posix/progress.h"

namespace cdinst {
namespace {

constexpr long kIntervalNs = 250'000'000;
constexpr size_t kDefaultWidth = 80;
constexpr char kClear[] = "\r\x1b[K";

size_t TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultWidth;
  return size.ws_col;
}

void Write(const std::string& text) {
  ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
  (void)ignored;
}

class StatusLine final : public posix::ProgressListener {
 public:
  void WaitCursorChanged(bool waiting) override;
  void FileCreated(const char* windowsPath) override;
  void BytesWritten(uint64_t count) override;
  // Cleared before anything else is written on the terminal; it comes back at the next write.
  void TerminalNeeded() override;

 private:
  std::string Text() const;
  void DrawWhenDue();

  bool active_ = false;
  bool shown_ = false;
  uint64_t files_ = 0;
  uint64_t bytes_ = 0;
  char name_[260] = "";  // Windows-1252, cut
  timespec next_{};      // no line is drawn before this
  size_t width_ = kDefaultWidth;
};

void StatusLine::WaitCursorChanged(bool waiting) {
  TerminalNeeded();
  *this = StatusLine{};
  active_ = waiting && isatty(STDERR_FILENO) == 1;
  if (active_) width_ = TerminalWidth();
}

void StatusLine::FileCreated(const char* windowsPath) {
  if (!active_) return;
  ++files_;
  std::strncpy(name_, windowsPath, sizeof name_ - 1);
  DrawWhenDue();
}

void StatusLine::BytesWritten(uint64_t count) {
  if (!active_) return;
  bytes_ += count;
  DrawWhenDue();
}

void StatusLine::TerminalNeeded() {
  if (!shown_) return;
  Write(kClear);
  shown_ = false;
}

// The columns UTF-8 `text` takes: one a character, as for the letters of the languages we have.
size_t Columns(const std::string& text) {
  size_t columns = 0;
  for (const char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return columns;
}

// The counts in the user's language, numbers as the locale writes them.
std::string Counts(uint64_t files, uint64_t bytes) {
  char megabytes[32];
  std::snprintf(megabytes, sizeof megabytes, "%.1f", bytes / 1e6);
  const std::string count = std::to_string(files);
  return TerminalText(Filled(
             TranslatedPlural("copying: {1} file, {2} MB", "copying: {1} files, {2} MB", files),
             {count, megabytes})) +
         "  ";
}

// Every Windows-1252 character takes one column, so the line is cut before it is converted; a
// long name keeps its end, where the file's own name is.
std::string StatusLine::Text() const {
  const std::string counts = Counts(files_, bytes_);
  const size_t used = Columns(counts);
  const size_t room = width_ > used + 4 ? width_ - 1 - used : 0;
  std::string name = name_;
  if (name.size() > room) name = room > 3 ? "..." + name.substr(name.size() - (room - 3)) : "";
  return kClear + counts + TerminalText(Windows1252ToUtf8(name));
}

void StatusLine::DrawWhenDue() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  if (now.tv_sec < next_.tv_sec || (now.tv_sec == next_.tv_sec && now.tv_nsec < next_.tv_nsec)) {
    return;
  }
  Write(Text());
  shown_ = true;
  next_ = now;
  next_.tv_nsec += kIntervalNs;
  if (next_.tv_nsec >= 1'000'000'000) {
    next_.tv_nsec -= 1'000'000'000;
    ++next_.tv_sec;
  }
}

StatusLine statusLine;

}  // namespace

void ShowStatusLine() { posix::ListenToProgress(&statusLine); }

}  // namespace cdinst
