#include "winapi/posix/files/file_buffers.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace cdinst::posix {
namespace {

// Large enough that the system calls no longer count, small enough to hold back little.
constexpr size_t kChunk = 64 * 1024;

// Reads until at least `least` bytes (at most `count`) or the end of the file; 0 or the errno
// value that stopped it.
int PreadAtLeast(int fd, char* buffer, size_t count, size_t least, int64_t offset, size_t& done) {
  done = 0;
  while (done < least) {
    const ssize_t got = pread(fd, buffer + done, count - done, offset + done);
    if (got == 0) return 0;
    if (got < 0 && errno != EINTR) return errno;
    if (got > 0) done += static_cast<size_t>(got);
  }
  return 0;
}

int PreadFully(int fd, char* buffer, size_t count, int64_t offset, size_t& done) {
  return PreadAtLeast(fd, buffer, count, count, offset, done);
}

int PwriteFully(int fd, const char* buffer, size_t count, int64_t offset, size_t& done) {
  done = 0;
  while (done < count) {
    const ssize_t put = pwrite(fd, buffer + done, count - done, offset + done);
    if (put < 0 && errno != EINTR) return errno;
    if (put > 0) done += static_cast<size_t>(put);
  }
  return 0;
}

// Bytes the kernel refused are dropped with the failure, as an unbuffered write drops them.
int WriteHeld(OpenFile& file) {
  if (file.held.empty()) return 0;
  size_t done = 0;
  const int error =
      PwriteFully(file.Fd(), file.held.data(), file.held.size(), file.heldStart, done);
  file.held.clear();
  return error;
}

// What the other handles on the file hold back must reach it before this one reads or writes
// there; what they read ahead is stale once this one writes.
void SettleOthers(const OpenFile& file, bool writing) {
  if (file.others == 0) return;
  ForEachOpenFile([&](OpenFile& other) {
    if (&other == &file || !SameFile(other, file)) return;
    if (const int error = WriteHeld(other)) other.heldError = error;
    if (writing) other.ahead.clear();
  });
}

bool Covers(const OpenFile& file, DWORD count) {
  return file.position >= file.aheadStart &&
         file.position + count <= file.aheadStart + static_cast<int64_t>(file.ahead.size());
}

// A short read that already holds what the caller wants ends it: asking again only to learn of
// the end would cost every small file a system call.
int ReadAhead(OpenFile& file, DWORD wanted) {
  file.ahead.resize(kChunk);
  size_t got = 0;
  const int error =
      PreadAtLeast(file.Fd(), file.ahead.data(), kChunk, wanted ? wanted : 1, file.position, got);
  file.ahead.resize(error ? 0 : got);
  file.aheadStart = file.position;
  return error;
}

}  // namespace

int ReadBuffered(OpenFile& file, char* buffer, DWORD count, DWORD& done) {
  done = 0;
  SettleOthers(file, false);
  if (const int error = WriteHeld(file)) return error;
  if (count >= kChunk) {
    file.ahead.clear();
    size_t got = 0;
    const int error = PreadFully(file.Fd(), buffer, count, file.position, got);
    done = static_cast<DWORD>(got);
    return error;
  }
  if (!Covers(file, count)) {
    if (const int error = ReadAhead(file, count)) return error;
  }
  const int64_t available =
      file.aheadStart + static_cast<int64_t>(file.ahead.size()) - file.position;
  done = static_cast<DWORD>(available < count ? (available > 0 ? available : 0) : count);
  if (done > 0) std::memcpy(buffer, file.ahead.data() + (file.position - file.aheadStart), done);
  return 0;
}

int WriteBuffered(OpenFile& file, const char* buffer, DWORD count, DWORD& done) {
  done = 0;
  SettleOthers(file, true);
  file.ahead.clear();
  if (const int error = std::exchange(file.heldError, 0)) return error;
  const bool follows = file.position == file.heldStart + static_cast<int64_t>(file.held.size());
  if (!file.held.empty() && (!follows || file.held.size() + count > kChunk)) {
    if (const int error = WriteHeld(file)) return error;
  }
  if (count >= kChunk) {
    size_t put = 0;
    const int error = PwriteFully(file.Fd(), buffer, count, file.position, put);
    done = static_cast<DWORD>(put);
    if (error) return error;
  } else {
    if (file.held.empty()) {
      file.held.reserve(kChunk);
      file.heldStart = file.position;
    }
    file.held.insert(file.held.end(), buffer, buffer + count);
  }
  done = count;
  return 0;
}

// With the descriptor's own offset, which nothing else uses, the kernel reports where the
// appended bytes ended.
int AppendAtEnd(OpenFile& file, const char* buffer, DWORD count, DWORD& done, int64_t& end) {
  done = 0;
  SettleOthers(file, true);
  if (const int error = Settle(file)) return error;
  while (done < count) {
    iovec part{const_cast<char*>(buffer + done), count - done};
    const ssize_t put = pwritev2(file.Fd(), &part, 1, -1, RWF_APPEND);
    if (put < 0 && errno != EINTR) return errno;
    if (put > 0) done += static_cast<DWORD>(put);
  }
  end = lseek(file.Fd(), 0, SEEK_CUR);
  return end < 0 ? errno : 0;
}

int Settle(OpenFile& file) {
  file.ahead.clear();
  const int error = WriteHeld(file);
  const int earlier = std::exchange(file.heldError, 0);
  return earlier ? earlier : error;
}

namespace {

// A failure waits for the handle's next write or its close.
void SettleKeepingError(OpenFile& file) {
  if (const int error = Settle(file)) file.heldError = error;
}

}  // namespace

// The caller may cut the file, so what the others read ahead goes too.
void SettleForQuery(OpenFile& file) {
  SettleOthers(file, true);
  SettleKeepingError(file);
}

void SettleAll() { ForEachOpenFile(SettleKeepingError); }

}  // namespace cdinst::posix
