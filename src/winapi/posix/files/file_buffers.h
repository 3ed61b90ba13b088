// Small reads and writes through a handle, gathered into large ones: a program that copies in
// blocks of a kilobyte would otherwise make two system calls per kilobyte.
//
// A handle reads ahead of its file pointer and holds back what it writes, one chunk each, until
// the handle table flushes it (the rule is stated and kept in file_handles.h). Reads and writes
// through other handles of this process on the same file see each other as without the
// buffers. Another process sees held-back bytes once they are written: at the latest when the
// chunk fills or the handle is looked up for another call.
#pragma once

#include "winapi/posix/files/file_handles.h"

namespace cdinst::posix {

// Reads up to `count` bytes at the file pointer, as pread would until `count` or the end of the
// file; `done` is the number read. Returns 0 or an errno value. Does not move the file pointer.
int ReadBuffered(OpenFile& file, char* buffer, DWORD count, DWORD& done);

// Writes `count` bytes at the file pointer, or holds them back; `done` is `count` unless an
// earlier held-back write failed now (then 0 and the errno value of that failure is returned).
// Does not move the file pointer.
int WriteBuffered(OpenFile& file, const char* buffer, DWORD count, DWORD& done);

// Writes `count` bytes, unbuffered, at the end the file has at this moment, whatever another
// program appended since; `done` is the number written and `end` the offset after them. Returns
// 0 or an errno value. Does not move the file pointer.
int AppendAtEnd(OpenFile& file, const char* buffer, DWORD count, DWORD& done, int64_t& end);

// Writes what `file` holds back and forgets what it read ahead. Returns 0 or the errno value of a
// failed write, also of one that failed at an earlier flush and was not reported yet.
int Flush(OpenFile& file);

// Flushes `file` and the other handles on its file; a failure is kept for that handle's next
// write or its close.
void FlushWithOthers(OpenFile& file);

}  // namespace cdinst::posix
