// What the emulation reports as it works, for a Linux front end to show the progress that the
// Windows program shows only by its cursor. The emulation shows nothing itself.
#pragma once

#include <cstdint>

namespace cdinst::posix {

class ProgressListener {
 public:
  // The wait cursor was set (true) or put back (false); setting the cursor it has tells nothing.
  virtual void WaitCursorChanged(bool waiting) = 0;
  // CreateFileA made or cut a file for writing (CREATE_ALWAYS): its Windows path, as given.
  virtual void FileCreated(const char* windowsPath) = 0;
  // WriteFile wrote `count` bytes; one that failed may still have written some.
  virtual void BytesWritten(uint64_t count) = 0;
  // A message box, or a last message before the process ends, is about to reach the terminal.
  virtual void TerminalNeeded() = 0;

 protected:
  ~ProgressListener() = default;
};

// Makes `listener` the one that hears the reports, in place of any other; null for none. It
// must live as long as it listens.
void ListenToProgress(ProgressListener* listener);

// The listener, or null: the emulation reports only when there is one.
ProgressListener* Progress();

}  // namespace cdinst::posix
