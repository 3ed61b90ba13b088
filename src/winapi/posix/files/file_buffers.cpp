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

// A disc the reader finds broken mid-way reads as a device error.
int ReadFromDisc(const DiscPlace& disc, char* buffer, size_t count, int64_t offset, size_t& done) {
  DWORD error;
  const std::optional<size_t> got = ReadDisc(
      [&] {
        return disc.image->ReadAt(disc.Entry(), static_cast<uint64_t>(offset), buffer, count);
      },
      error);
  done = got.value_or(0);
  return got ? 0 : EIO;
}

// Reads until at least `least` bytes (at most `count`) or the end of the file; 0 or the errno
// value that stopped it.
int PreadAtLeast(const OpenFile& file, char* buffer, size_t count, size_t least, int64_t offset,
                 size_t& done) {
  if (file.disc) return ReadFromDisc(*file.disc, buffer, count, offset, done);
  const int fd = file.Fd();
  done = 0;
  while (done < least) {
    const ssize_t got = pread(fd, buffer + done, count - done, offset + done);
    if (got == 0) return 0;
    if (got < 0 && errno != EINTR) return errno;
    if (got > 0) done += static_cast<size_t>(got);
  }
  return 0;
}

int PreadFully(const OpenFile& file, char* buffer, size_t count, int64_t offset, size_t& done) {
  return PreadAtLeast(file, buffer, count, count, offset, done);
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
int FlushWriteBehind(OpenFile& file) {
  if (file.writeBehind.empty()) return 0;
  size_t done = 0;
  const int error = PwriteFully(file.Fd(), file.writeBehind.data(), file.writeBehind.size(),
                                file.writeBehindStart, done);
  file.writeBehind.clear();
  return error;
}

// What the other handles on the file hold back must reach it before this one reads or writes
// there; what they read ahead is stale once this one writes.
void FlushOthers(const OpenFile& file, bool writing) {
  if (file.others == 0) return;
  ForEachOpenFile([&](OpenFile& other) {
    if (&other == &file || !SameFile(other, file)) return;
    if (const int error = FlushWriteBehind(other)) other.writeBehindError = error;
    if (writing) other.readAhead.clear();
  });
}

bool Covers(const OpenFile& file, DWORD count) {
  return file.position >= file.readAheadStart &&
         file.position + count <= file.readAheadStart + static_cast<int64_t>(file.readAhead.size());
}

// A short read that already holds what the caller wants ends it: asking again only to learn of
// the end would cost every small file a system call.
int FillReadAhead(OpenFile& file, DWORD wanted) {
  file.readAhead.resize(kChunk);
  size_t got = 0;
  const int error =
      PreadAtLeast(file, file.readAhead.data(), kChunk, wanted ? wanted : 1, file.position, got);
  file.readAhead.resize(error ? 0 : got);
  file.readAheadStart = file.position;
  return error;
}

}  // namespace

int ReadBuffered(OpenFile& file, char* buffer, DWORD count, DWORD& done) {
  done = 0;
  FlushOthers(file, false);
  if (const int error = FlushWriteBehind(file)) return error;
  if (count >= kChunk) {
    file.readAhead.clear();
    size_t got = 0;
    const int error = PreadFully(file, buffer, count, file.position, got);
    done = static_cast<DWORD>(got);
    return error;
  }
  if (!Covers(file, count)) {
    if (const int error = FillReadAhead(file, count)) return error;
  }
  const int64_t available =
      file.readAheadStart + static_cast<int64_t>(file.readAhead.size()) - file.position;
  done = static_cast<DWORD>(available < count ? (available > 0 ? available : 0) : count);
  if (done > 0) {
    std::memcpy(buffer, file.readAhead.data() + (file.position - file.readAheadStart), done);
  }
  return 0;
}

int WriteBuffered(OpenFile& file, const char* buffer, DWORD count, DWORD& done) {
  done = 0;
  FlushOthers(file, true);
  file.readAhead.clear();
  if (const int error = std::exchange(file.writeBehindError, 0)) return error;
  const bool follows =
      file.position == file.writeBehindStart + static_cast<int64_t>(file.writeBehind.size());
  if (!file.writeBehind.empty() && (!follows || file.writeBehind.size() + count > kChunk)) {
    if (const int error = FlushWriteBehind(file)) return error;
  }
  if (count >= kChunk) {
    size_t put = 0;
    const int error = PwriteFully(file.Fd(), buffer, count, file.position, put);
    done = static_cast<DWORD>(put);
    if (error) return error;
  } else {
    if (file.writeBehind.empty()) {
      file.writeBehind.reserve(kChunk);
      file.writeBehindStart = file.position;
    }
    file.writeBehind.insert(file.writeBehind.end(), buffer, buffer + count);
  }
  done = count;
  return 0;
}

// With the descriptor's own offset, which nothing else uses, the kernel reports where the
// appended bytes ended.
int AppendAtEnd(OpenFile& file, const char* buffer, DWORD count, DWORD& done, int64_t& end) {
  done = 0;
  FlushOthers(file, true);
  if (const int error = Flush(file)) return error;
  while (done < count) {
    iovec part{const_cast<char*>(buffer + done), count - done};
    const ssize_t put = pwritev2(file.Fd(), &part, 1, -1, RWF_APPEND);
    if (put < 0 && errno != EINTR) return errno;
    if (put > 0) done += static_cast<DWORD>(put);
  }
  end = lseek(file.Fd(), 0, SEEK_CUR);
  return end < 0 ? errno : 0;
}

int Flush(OpenFile& file) {
  file.readAhead.clear();
  const int error = FlushWriteBehind(file);
  const int earlier = std::exchange(file.writeBehindError, 0);
  return earlier ? earlier : error;
}

// The caller may cut the file, so what the others read ahead goes too.
void FlushWithOthers(OpenFile& file) {
  FlushOthers(file, true);
  if (const int error = Flush(file)) file.writeBehindError = error;
}

}  // namespace cdinst::posix
