// The open files behind the HANDLE values that CreateFileA hands out, and the named mutexes of
// CreateMutexA, which CloseHandle closes as well: one table, as Windows has one for its objects.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "winapi/posix/paths/disc_drives.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/posix/unique_fd.h"
#include "winapi/winapi.h"

namespace cdinst::posix {

// getpid(), asked of the kernel once and again only after a fork().
pid_t ThisProcess();

struct OpenFile {
  // An open of its own (never a dup), so that its share-mode locks belong to this handle alone.
  UniqueFd fd;
  bool canRead = false;
  bool canWrite = false;
  bool directory = false;  // for queries only: it holds no bytes to keep coherent
  // A directory held under this file (held_directories.h); the hold keeps its descriptor.
  HeldFd held;
  // A file on a disc drive, read from the image; `fd` then holds nothing.
  std::optional<DiscPlace> disc;
  // The file pointer. Kept here rather than in the descriptor so that any position a Windows
  // file pointer may take is accepted, whatever the Unix file system allows.
  int64_t position = 0;
  // For a handle that writes and keeps other writers out, the end of the file as it last learned
  // it: at the open, from GetFileSize(Ex), its own writes and SetEndOfFile; otherwise -1.
  // file_io.cpp says why.
  int64_t knownEnd = -1;
  // Which file it is, to keep the buffers of two handles on one file coherent, and how many
  // other handles in the table are on it (most often none, and nothing needs keeping coherent).
  // Asked of the kernel only when another handle is added beside it, unless the open learned it.
  bool identified = false;
  dev_t device = 0;
  ino_t inode = 0;
  int others = 0;
  // Bytes read ahead from `readAheadStart`, and bytes not yet written for `writeBehindStart`
  // (file_buffers.h).
  std::vector<char> readAhead;
  int64_t readAheadStart = 0;
  std::vector<char> writeBehind;
  int64_t writeBehindStart = 0;
  int writeBehindError = 0;     // errno of a write-behind that failed unreported
  pid_t owner = ThisProcess();  // a child made by fork() leaves the pending writes to this process

  int Fd() const { return held ? held->Fd() : fd.Get(); }

  ~OpenFile();
};

// False also when either is not identified yet: such a handle has never been added beside one on
// its file.
bool SameFile(const OpenFile& a, const OpenFile& b);

// Takes ownership of `file` and returns its handle: the lowest free small multiple of four, as
// Windows numbers handles, so that the value also fits an HFILE. `created`: the file was made
// just now, so no handle in the table can be on it.
HANDLE AddOpenFile(std::unique_ptr<OpenFile> file, bool created = false);

// The open file behind `handle`, or null for anything CreateFileA did not return or that was
// closed since (the caller then reports ERROR_INVALID_HANDLE).
//
// This lookup is where the buffers of file_buffers.h are flushed: a handle holds back what it
// writes and reads ahead only while nothing but reads and writes could tell. So the handle's
// buffers, and those of the other handles on its file, are flushed here for every call but
// ReadFile and WriteFile, which look their handle up with FindOpenFileToTransfer; a failed
// write is kept for the handle's next write or its close. An open and a search, which see the
// file without a handle, flush every handle first (FlushAll).
std::shared_ptr<OpenFile> FindOpenFile(HANDLE handle);

// For ReadFile and WriteFile: FindOpenFile without the flush.
std::shared_ptr<OpenFile> FindOpenFileToTransfer(HANDLE handle);

// Calls `visit` on every open file.
void ForEachOpenFile(const std::function<void(OpenFile&)>& visit);

// Flushes every handle, for an open or a search (see FindOpenFile).
void FlushAll();

// Removes `handle` from the table and hands its file over to be closed, flushed as by
// FindOpenFile (a failed write in its `writeBehindError`); null when unknown.
std::shared_ptr<OpenFile> TakeOpenFile(HANDLE handle);

}  // namespace cdinst::posix
