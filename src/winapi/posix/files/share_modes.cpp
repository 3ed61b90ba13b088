// Every open records its access and share mode as shared open-file-description locks (which
// other processes see, and other descriptors of this process too) on bytes reserved far above
// any data: "holds read", "holds write", "denies read", "denies write". A new open is refused
// when someone else locks a "denies" byte for an access it wants, or a "holds" byte for an
// access it does not share; it tests this with F_OFD_GETLK, which ignores its own locks.
// A fifth byte, the lock byte, is locked around record-and-test so that two opens racing each other
// cannot both pass the test before either has recorded itself; it is held for a few system
// calls only, so waiting for it is not a sharing wait. A writable descriptor takes it
// exclusively. A read-only one can take it only shared, which keeps writers' opens out but not
// other read-only ones: each records itself before it tests and withdraws on a conflict, so of
// two such opens that exclude each other both may be refused, never both allowed.
#include "winapi/posix/files/share_modes.h"

#include <fcntl.h>

#include <cerrno>
#include <initializer_list>
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

struct flock Range(short type, off_t byte) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kReservedBase + byte;
  range.l_len = 1;
  return range;
}

// 0 or an errno value.
int SetLock(int fd, short type, off_t byte, bool wait) {
  struct flock range = Range(type, byte);
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// 0 when no other open file description locks `byte`, EAGAIN when one does, else an errno value.
int TestByte(int fd, off_t byte) {
  struct flock range = Range(F_WRLCK, byte);
  if (fcntl(fd, F_OFD_GETLK, &range) != 0) return errno;
  return range.l_type == F_UNLCK ? 0 : EAGAIN;
}

// 0 or an errno value; EAGAIN means a sharing conflict.
int TestOthers(int fd, DWORD checked, DWORD share) {
  for (const AccessKind& kind : kKinds) {
    if (checked & kind.access) {
      if (const int error = TestByte(fd, kind.denies)) return error;
    }
    if (!(share & kind.share)) {
      if (const int error = TestByte(fd, kind.holds)) return error;
    }
  }
  return 0;
}

int Record(int fd, DWORD access, DWORD share) {
  if (access == 0) return 0;
  for (const AccessKind& kind : kKinds) {
    if (access & kind.access) {
      if (const int error = SetLock(fd, F_RDLCK, kind.holds, false)) return error;
    }
    if (!(share & kind.share)) {
      if (const int error = SetLock(fd, F_RDLCK, kind.denies, false)) return error;
    }
  }
  return 0;
}

void Withdraw(int fd) {
  for (const off_t byte : {kHoldsRead, kHoldsWrite, kDeniesRead, kDeniesWrite}) {
    SetLock(fd, F_UNLCK, byte, false);
  }
}

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
  const int lockError = SetLock(fd, writable ? F_WRLCK : F_RDLCK, kLockByte, true);
  if (lockError != 0)
    return LocksUnsupported(lockError) ? ERROR_SUCCESS : ErrorFromErrno(lockError);
  int error = RecordAndTest(fd, access, checked, share);
  SetLock(fd, F_UNLCK, kLockByte, false);
  if (error == EAGAIN) return ERROR_SHARING_VIOLATION;
  if (error && LocksUnsupported(error)) error = 0;
  return ErrorFromErrno(error);
}

DWORD CheckDeletionSharing(int fd) {
  for (const off_t byte : {kHoldsRead, kHoldsWrite}) {
    const int error = TestByte(fd, byte);
    if (error == EAGAIN) return ERROR_SHARING_VIOLATION;
    if (error && !LocksUnsupported(error)) return ErrorFromErrno(error);
  }
  return ERROR_SUCCESS;
}

DWORD RecordOpen(int fd, DWORD access, DWORD share) {
  const int error = Record(fd, access & (GENERIC_READ | GENERIC_WRITE), share);
  return error && !LocksUnsupported(error) ? ErrorFromErrno(error) : ERROR_SUCCESS;
}

}  // namespace cdinst::posix
