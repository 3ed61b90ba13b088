#include "install/index_file.h"

#include <algorithm>
#include <utility>

#include "platform/io_error.h"

namespace cdinst {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfText = '\x1A';  // Ctrl-Z
constexpr size_t kReadBufferSize = 4096;
// The program's own code for a write that the system cut short without naming an error.
constexpr int32_t kDiskFull = 101;

struct OpenParameters {
  DWORD access;
  DWORD disposition;
};

OpenParameters ParametersOf(IndexOpenMode mode) {
  switch (mode) {
    case IndexOpenMode::kScan:
      return {GENERIC_READ, OPEN_EXISTING};
    case IndexOpenMode::kAppend:
      return {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING};
    case IndexOpenMode::kAnew:
      return {GENERIC_WRITE, CREATE_NEW};
  }
  return {GENERIC_READ, OPEN_EXISTING};
}

// A recorded 0 would read as success, so a failure the system gives no code for gets one.
int32_t FailureCode() {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? static_cast<int32_t>(code) : ERROR_GEN_FAILURE;
}

bool EndsLineOrText(char c) { return c == kCarriageReturn || c == kEndOfText; }

}  // namespace

IndexFile::IndexFile(const std::string& path, IndexOpenMode mode) {
  const OpenParameters parameters = ParametersOf(mode);
  handle_ = CreateFileA(path.c_str(), parameters.access, FILE_SHARE_READ, nullptr,
                        parameters.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!IsOpen()) RecordIoResult(FailureCode());
}

IndexFile::~IndexFile() {
  if (IsOpen()) CloseHandle(handle_);
}

bool IndexFile::HaveByte() {
  if (position_ < filled_) return true;
  if (exhausted_) return false;
  buffer_.resize(kReadBufferSize);
  DWORD read = 0;
  const BOOL ok = ReadFile(handle_, buffer_.data(), kReadBufferSize, &read, nullptr);
  if (!ok) RecordIoResult(FailureCode());
  failed_ = !ok;
  position_ = 0;
  filled_ = ok ? read : 0;
  exhausted_ = filled_ == 0;
  return !exhausted_;
}

std::string IndexFile::ReadLine(size_t keep) {
  std::string line;
  while (HaveByte()) {
    const auto begin = buffer_.begin() + position_;
    const auto stop = std::find_if(begin, buffer_.begin() + filled_, EndsLineOrText);
    line.append(begin, begin + std::min<size_t>(stop - begin, keep - line.size()));
    position_ = stop - buffer_.begin();
    if (position_ == filled_) continue;
    if (*stop == kEndOfText) return line;  // stays unread: the text has ended
    ++position_;
    if (HaveByte() && buffer_[position_] == kLineFeed) ++position_;
    return line;
  }
  return failed_ ? std::string() : line;
}

bool IndexFile::EndOfText() { return !HaveByte() || buffer_[position_] == kEndOfText; }

std::optional<uint64_t> IndexFile::Size() {
  DWORD high = 0;
  // A size whose low part looks like the failure value is told apart by a clear last error.
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(handle_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return std::nullopt;
  return (static_cast<uint64_t>(high) << 32) | low;
}

bool IndexFile::MoveTo(uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(ERROR_SUCCESS);
  const DWORD low =
      SetFilePointer(handle_, static_cast<LONG>(static_cast<uint32_t>(offset)), &high, FILE_BEGIN);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == ERROR_SUCCESS;
}

std::optional<std::string> IndexFile::ReadBytes(uint32_t count) {
  std::string bytes(count, '\0');
  DWORD read = 0;
  if (!ReadFile(handle_, bytes.data(), count, &read, nullptr) || read != count) {
    return std::nullopt;
  }
  return bytes;
}

bool IndexFile::EndHere() { return SetEndOfFile(handle_) != FALSE; }

void IndexFile::WriteOrRaise(std::string_view bytes) {
  DWORD written = 0;
  if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    RecordIoResult(FailureCode());
  } else if (written != bytes.size()) {
    RecordIoResult(kDiskFull);
  }
  RaiseIfIoResultPending();
}

void IndexFile::Close() {
  if (!IsOpen()) return;
  if (!CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE))) RecordIoResult(FailureCode());
}

void IndexFile::CloseOrRaise() {
  Close();
  RaiseIfIoResultPending();
}

}  // namespace cdinst
