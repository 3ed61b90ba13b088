#include "platform/file_system.h"

#include "platform/io_error.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

constexpr DWORD kQueryBufferSize = 255;

void RecordFailureUnless(BOOL succeeded) {
  if (!succeeded) RecordIoResult(static_cast<int32_t>(GetLastError()));
}

// Only a count that the buffer held is a result: 0 is failure, and a larger one is the size
// the text would need.
std::optional<std::string> TextIfItFitted(const char* buffer, DWORD count) {
  if (count == 0 || count >= kQueryBufferSize) return std::nullopt;
  return std::string(buffer, count);
}

}  // namespace

std::string CurrentDirectory() {
  char buffer[MAX_PATH];
  const DWORD count = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (count == 0 || count >= sizeof buffer) return std::string();
  return std::string(buffer, count);
}

void ChangeDirectory(const std::string& path) {
  RecordFailureUnless(SetCurrentDirectoryA(path.c_str()));
  RaiseIfIoResultPending();
}

bool EntersDirectory(const std::string& path) {
  const bool entered = SetCurrentDirectoryA(path.c_str());
  return TakeIoResult() == 0 && entered;
}

void MakeDirectory(const std::string& path) {
  RecordFailureUnless(CreateDirectoryA(path.c_str(), nullptr));
  RaiseIfIoResultPending();
}

bool TryRemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool TryRemoveDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

bool DirectoryIsPresent(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileIsPresent(const std::string& path) {
  WIN32_FIND_DATAA match;
  const HANDLE search = FindFirstFileA(path.c_str(), &match);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  if (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  FILETIME local;
  WORD dosDate, dosTime;
  return FileTimeToLocalFileTime(&match.ftLastWriteTime, &local) &&
         FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

int32_t ReadFileAttributes(const std::string& path) {
  return static_cast<int32_t>(GetFileAttributesA(path.c_str()));
}

int32_t WriteFileAttributes(const std::string& path, int32_t attributes) {
  if (SetFileAttributesA(path.c_str(), static_cast<DWORD>(attributes))) return 0;
  return static_cast<int32_t>(GetLastError());
}

std::optional<std::string> QueryWindowsDirectory() {
  char buffer[kQueryBufferSize + 1];
  return TextIfItFitted(buffer, GetWindowsDirectoryA(buffer, kQueryBufferSize));
}

std::optional<std::string> QuerySystemDirectory() {
  char buffer[kQueryBufferSize + 1];
  return TextIfItFitted(buffer, GetSystemDirectoryA(buffer, kQueryBufferSize));
}

std::string QueryShortPathName(const std::string& path) {
  char buffer[kQueryBufferSize + 1];
  const std::optional<std::string> shortPath =
      TextIfItFitted(buffer, GetShortPathNameA(path.c_str(), buffer, kQueryBufferSize));
  return shortPath ? *shortPath : path;
}

void ClearReadOnly(const std::string& path) {
  if (!FileIsPresent(path)) return;
  const int32_t attributes = ReadFileAttributes(path);
  if (attributes == -1) return;
  WriteFileAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace cdinst
