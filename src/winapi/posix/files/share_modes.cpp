// Every open records its access and share mode as shared open-file-description locks (which
// other processes see, and other descriptors of this process too) on bytes reserved far above
// any data: "holds read", "holds write", "denies read", "denies write". A new open is refused
// when someone else locks a "denies" byte for an access it wants, or a "holds" byte for an
// access it does not share; it tests this with F_OFD_GETLK, which ignores its own locks. Every
// open records itself before it tests and withdraws on a conflict, so two opens that exclude
// each other may both be refused, never both allowed. A writable descriptor also holds a fifth
// byte, the lock byte, around record-and-test, so that writers racing each other are taken one
// after the other; a read-only one cannot lock exclusively and goes without, which spares the
// common open two system calls.
#include "winapi/posix/files/share_modes.h"

#include <fcntl.h>

#include <cerrno>
#include <limits>

#include "winapi/posix/last_error.h"

namespace cdinst::posix {
namespace {

constexpr off_t kReservedBase = std::numeric_limits<off_t>::max() - 15;
constexpr off_t kLockByte = 0, kHoldsRead = 1, kHoldsWrite = 2, kDeniesRead = 3, kDeniesWrite = 4;

struct AccessKind {
  DWORD access;
  DWORD share;
  off_t holds;
  off_t denies;
};
constexpr AccessKind kKinds[] = {{GENERIC_READ, FILE_SHARE_READ, kHoldsRead, kDeniesRead},
                                 {GENERIC_WRITE, FILE_SHARE_WRITE, kHoldsWrite, kDeniesWrite}};

struct flock Range(short type, off_t byte, off_t count) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kReservedBase + byte;
  range.l_len = count;
  return range;
}

// 0 or an errno value.
int SetLock(int fd, short type, off_t byte, bool wait, off_t count = 1) {
  struct flock range = Range(type, byte, count);
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// 0 when no other open file description locks a byte of the range, EAGAIN when one does, else
// an errno value.
int TestBytes(int fd, off_t byte, off_t count) {
  struct flock range = Range(F_WRLCK, byte, count);
  if (fcntl(fd, F_OFD_GETLK, &range) != 0) return errno;
  return range.l_type == F_UNLCK ? 0 : EAGAIN;
}

// Calls `apply(first, count)` on each run of adjacent bytes in the set `bytes`, so that one
// lock call covers a run; stops at the first error.
template <typename Apply>
int ForEachRun(unsigned bytes, Apply apply) {
  for (off_t byte = 0; (bytes >> byte) != 0;) {
    off_t end = byte;
    while ((bytes >> end) & 1) ++end;
    if (end > byte) {
      if (const int error = apply(byte, end - byte)) return error;
    }
    byte = end + 1;
  }
  return 0;
}

unsigned Bit(off_t byte) { return 1u << byte; }

// 0 or an errno value; EAGAIN means a sharing conflict.
int TestOthers(int fd, DWORD checked, DWORD share) {
  unsigned bytes = 0;
  for (const AccessKind& kind : kKinds) {
    if (checked & kind.access) bytes |= Bit(kind.denies);
    if (!(share & kind.share)) bytes |= Bit(kind.holds);
  }
  return ForEachRun(bytes, [fd](off_t byte, off_t count) { return TestBytes(fd, byte, count); });
}

int Record(int fd, DWORD access, DWORD share) {
  if (access == 0) return 0;
  unsigned bytes = 0;
  for (const AccessKind& kind : kKinds) {
    if (access & kind.access) bytes |= Bit(kind.holds);
    if (!(share & kind.share)) bytes |= Bit(kind.denies);
  }
  return ForEachRun(
      bytes, [fd](off_t byte, off_t count) { return SetLock(fd, F_RDLCK, byte, false, count); });
}

void Withdraw(int fd) { SetLock(fd, F_UNLCK, kHoldsRead, false, kDeniesWrite - kHoldsRead + 1); }

int RecordAndTest(int fd, DWORD access, DWORD checked, DWORD share) {
  int error = Record(fd, access, share);
  if (error == 0) error = TestOthers(fd, checked, share);
  if (error != 0) Withdraw(fd);
  return error;
}

bool Writable(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

// File systems without byte-range locks cannot hold share modes; files there open without the
// check rather than not at all.
bool LocksUnsupported(int error) {
  return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

}  // namespace

DWORD CheckShareAccess(int fd, DWORD access, DWORD checked, DWORD share) {
  return CheckShareAccess(fd, Writable(fd), access, checked, share);
}

DWORD CheckShareAccess(int fd, bool writable, DWORD access, DWORD checked, DWORD share) {
  access &= GENERIC_READ | GENERIC_WRITE;
  checked = (checked | access) & (GENERIC_READ | GENERIC_WRITE);
  if (checked == 0) return ERROR_SUCCESS;
  if (writable) {
    const int lockError = SetLock(fd, F_WRLCK, kLockByte, true);
    if (lockError != 0)
      return LocksUnsupported(lockError) ? ERROR_SUCCESS : ErrorFromErrno(lockError);
  }
  int error = RecordAndTest(fd, access, checked, share);
  if (writable) SetLock(fd, F_UNLCK, kLockByte, false);
  if (error == EAGAIN) return ERROR_SHARING_VIOLATION;
  if (error && LocksUnsupported(error)) error = 0;
  return ErrorFromErrno(error);
}

DWORD CheckDeletionSharing(int fd) {
  const int error = TestBytes(fd, kHoldsRead, kHoldsWrite - kHoldsRead + 1);
  if (error == EAGAIN) return ERROR_SHARING_VIOLATION;
  return error && !LocksUnsupported(error) ? ErrorFromErrno(error) : ERROR_SUCCESS;
}

DWORD RecordOpen(int fd, DWORD access, DWORD share) {
  const int error = Record(fd, access & (GENERIC_READ | GENERIC_WRITE), share);
  return error && !LocksUnsupported(error) ? ErrorFromErrno(error) : ERROR_SUCCESS;
}

}  // namespace cdinst::posix
