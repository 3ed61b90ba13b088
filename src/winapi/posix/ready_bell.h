// Whether a descriptor was woken up since it was last looked at, told without a system call: an
// io_uring multishot poll posts a completion for every wakeup, and looking is a load from the
// completion ring. The caches read their inotify queues before every call, and most of those
// reads find nothing.
//
// A wakeup caused by this process's own system call is posted before that call returns; one
// caused by another process, within the interrupt that the kernel sends this one. Where io_uring
// is missing or refused, Rung() always says yes, and the caller reads as it would without it.
#pragma once

#include <cstdint>
#include <memory>

#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {

class ReadyBell {
 public:
  ReadyBell();
  ~ReadyBell();
  ReadyBell(const ReadyBell&) = delete;
  ReadyBell& operator=(const ReadyBell&) = delete;

  // Listens to `fd` (readable) from now on, in place of whatever it listened to; a descriptor
  // that is readable already rings at once.
  void Listen(int fd);

  // False when io_uring is missing or refused, or the kernel ended the poll with an error.
  bool Listening() const { return armed_; }

  // True when `fd` may have become readable since the last Answer(), or when it cannot be told.
  bool Rung() const;

  // Takes the wakeups so far; call it before reading `fd`, so that whatever comes after the
  // read rings again.
  void Answer();

 private:
  struct Ring;
  bool Arm();
  bool TakeCompletions(bool& ended, bool& failed);

  UniqueFd ring_;
  std::unique_ptr<Ring> mapped_;
  int fd_ = -1;
  bool armed_ = false;
};

}  // namespace cdinst::posix
