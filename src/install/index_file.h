// The installation index as a text file: opened in one of three modes, read line by line, or
// written and closed. Failures are signalled through the pending I/O result: the opens, the
// reads and Close only record the system's code there (the caller takes it with TakeIoResult);
// WriteOrRaise and CloseOrRaise raise IoError with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst {

enum class IndexOpenMode {
  kScan,    // read, others may read; the file must exist
  kAppend,  // read and write, others may read; the file must exist
  kAnew,    // write, others may read; created, and refused (80) when it exists
};

class IndexFile {
 public:
  // Opens `path` in `mode`. On failure records the system's code in the pending result and
  // stays closed; on success leaves the pending result alone.
  IndexFile(const std::string& path, IndexOpenMode mode);
  // Closes a file still open without recording anything: the path taken when an error leaves.
  ~IndexFile();
  IndexFile(const IndexFile&) = delete;
  IndexFile& operator=(const IndexFile&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

  // Reads the next line of the text: a line ends at CR, and that CR with one LF right after it
  // belongs to no line; a lone LF is an ordinary character; a Ctrl-Z ends the text and is never
  // passed. Lines may be of any length, but at most `keep` bytes of a line are held: a longer
  // line comes back cut to `keep` bytes, so memory stays bounded whatever the file holds. At the
  // end of the text the line is empty. A read error records its code and ends the text; the line
  // it cut short is dropped (empty result). Requires a mode that reads.
  std::string ReadLine(size_t keep = std::string::npos);

  // True at the physical end of the file, before a Ctrl-Z, and after a read error (which it may
  // also be the one to record). Right after the CR LF of a last line the text has ended, so no
  // empty line follows it; an empty file still reads as one empty line before this is true.
  bool EndOfText();

  // The byte-level steps of readying the end of a file opened for appending. They work at the
  // system's file pointer, past the lines' buffer, so they are not mixed with ReadLine. Each
  // reports failure through its result (nothing, false) and records nothing.
  std::optional<uint64_t> Size();
  bool MoveTo(uint64_t offset);
  std::optional<std::string> ReadBytes(uint32_t count);  // exactly `count` bytes, or nothing
  bool EndHere();                                        // the file ends at the file pointer

  // Writes `bytes` at the file pointer in one system call, so that the bytes of one line never
  // interleave with another writer's. Raises IoError with the system's code, or with 101 when
  // fewer bytes were written. The file stays open either way.
  void WriteOrRaise(std::string_view bytes);

  // Closes the file (a no-op when it is not open). Close records a failure's code; CloseOrRaise
  // raises IoError with it. The handle is gone afterwards either way.
  void Close();
  void CloseOrRaise();

 private:
  bool HaveByte();  // refills the buffer when it is used up; false at the end or on an error

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::vector<char> buffer_;
  size_t position_ = 0;     // next unread byte in buffer_
  size_t filled_ = 0;       // bytes of buffer_ holding file data
  bool exhausted_ = false;  // the physical end was reached, or a read failed
  bool failed_ = false;     // a read failed
};

}  // namespace cdinst
