#include "winapi/posix/files/file_handles.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_buffers.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/held_directories.h"

namespace cdinst::posix {
namespace {

constexpr uintptr_t kHandleStep = 4;

struct HandleTable {
  std::vector<std::shared_ptr<OpenFile>> slots;  // slot i is handle (i + 1) * 4
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

// The slot of `handle`, or -1 when it does not name one.
long SlotOf(HANDLE handle, const HandleTable& table) {
  const auto value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value % kHandleStep != 0) return -1;
  const uintptr_t slot = value / kHandleStep - 1;
  return slot < table.slots.size() && table.slots[slot] ? static_cast<long>(slot) : -1;
}

void Identify(OpenFile& file) {
  if (file.identified) return;
  struct stat info;
  if (fstat(file.Fd(), &info) == 0) {
    file.device = info.st_dev;
    file.inode = info.st_ino;
    file.identified = true;
  }
}

// Directory handles are left out: they were never identified.
void CountOthers(const HandleTable& table, OpenFile& file, int step) {
  for (const std::shared_ptr<OpenFile>& other : table.slots) {
    if (!other || other.get() == &file || other->directory) continue;
    Identify(file);
    Identify(*other);
    if (!SameFile(*other, file)) continue;
    other->others += step;
    file.others += step;
  }
}

}  // namespace

pid_t ThisProcess() {
  static pid_t process = [] {
    pthread_atfork(nullptr, nullptr, [] { process = getpid(); });
    return getpid();
  }();
  return process;
}

// A handle the program never closed still writes what it held back, at exit at the latest.
OpenFile::~OpenFile() {
  if (held) ReleaseDirectory(this);
  if (owner == ThisProcess()) Flush(*this);
}

bool SameFile(const OpenFile& a, const OpenFile& b) {
  return a.identified && b.identified && a.device == b.device && a.inode == b.inode;
}

HANDLE AddOpenFile(std::unique_ptr<OpenFile> file, bool created) {
  HandleTable& table = Table();
  if (!file->directory && !created) CountOthers(table, *file, 1);
  size_t slot = 0;
  while (slot < table.slots.size() && table.slots[slot]) ++slot;
  if (slot == table.slots.size()) table.slots.emplace_back();
  table.slots[slot] = std::move(file);
  return reinterpret_cast<HANDLE>((slot + 1) * kHandleStep);
}

std::shared_ptr<OpenFile> FindOpenFileToTransfer(HANDLE handle) {
  HandleTable& table = Table();
  const long slot = SlotOf(handle, table);
  return slot < 0 ? nullptr : table.slots[slot];
}

std::shared_ptr<OpenFile> FindOpenFile(HANDLE handle) {
  std::shared_ptr<OpenFile> file = FindOpenFileToTransfer(handle);
  if (file) FlushWithOthers(*file);
  return file;
}

void ForEachOpenFile(const std::function<void(OpenFile&)>& visit) {
  HandleTable& table = Table();
  for (const std::shared_ptr<OpenFile>& file : table.slots) {
    if (file) visit(*file);
  }
}

void FlushAll() {
  ForEachOpenFile([](OpenFile& file) {
    if (const int error = Flush(file)) file.writeBehindError = error;
  });
}

std::shared_ptr<OpenFile> TakeOpenFile(HANDLE handle) {
  HandleTable& table = Table();
  const long slot = SlotOf(handle, table);
  if (slot < 0) return nullptr;
  std::shared_ptr<OpenFile> file = std::move(table.slots[slot]);
  FlushWithOthers(*file);
  if (file->others > 0) CountOthers(table, *file, -1);
  return file;
}

}  // namespace cdinst::posix

BOOL CloseHandle(HANDLE object) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const std::shared_ptr<OpenFile> file = TakeOpenFile(object);
  if (!file) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  const int flushError = std::exchange(file->writeBehindError, 0);
  // A failing close() can be the first report of a write that never reached the disk (NFS,
  // quotas); EINTR still closed the descriptor.
  if (file->fd.Close() != 0 && errno != EINTR) return FailWithErrno(FALSE);
  return flushError ? FailWith(FALSE, ErrorFromErrno(flushError)) : TRUE;
}
