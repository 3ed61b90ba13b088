// On Windows the scratch prefix is a temporary directory: drive C: is the system's own, and D:
// (or any drive given to MapDrive) points into the temporary directory. Entries a test leaves
// at the root of C: are removed with the prefix.
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform_checks.h"
#include "scratch_prefix.h"

namespace cdinst::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

// The name exactly as spelled, however long: without the prefix Windows would drop trailing
// dots and blanks and refuse more than MAX_PATH characters.
std::string Literal(const std::string& path) { return "\\\\?\\" + path; }

std::vector<std::string> EntryNames(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

void RemoveTree(const std::string& path) {
  const std::string literal = Literal(path);
  const DWORD attributes = GetFileAttributesA(literal.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(literal.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    for (const std::string& name : EntryNames(literal)) RemoveTree(path + "\\" + name);
    RemoveDirectoryA(literal.c_str());
  } else {
    DeleteFileA(literal.c_str());
  }
}

std::string UniqueTemporaryDirectory() {
  char temporary[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, temporary)) Fail("GetTempPathA");
  for (unsigned attempt = 0;; ++attempt) {
    const std::string candidate = std::string(temporary) + "cdinst-test-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(attempt);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) return candidate;
    if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("CreateDirectoryA " + candidate);
  }
}

// Wine finds drives through its prefix's dosdevices links, which DefineDosDevice does not
// touch; its mount manager makes them as winecfg does.
struct WineUnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD kDefineWineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

std::string WineUnixName(const std::string& windowsPath) {
  using Converter = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Converter>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  std::wstring wide(windowsPath.size() + 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(),
                      static_cast<int>(wide.size()));
  char* unix = convert ? convert(wide.c_str()) : nullptr;
  if (!unix) Fail("wine_get_unix_file_name " + windowsPath);
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// An empty `unixTarget` removes the drive.
void DefineWineDrive(char letter, const std::string& unixTarget) {
  std::vector<char> request(sizeof(WineUnixDrive) + unixTarget.size() + 1, '\0');
  WineUnixDrive drive{};
  drive.size = static_cast<ULONG>(request.size());
  drive.type = DRIVE_FIXED;
  drive.letter = static_cast<WCHAR>(letter);
  if (!unixTarget.empty()) drive.mountPointOffset = sizeof(WineUnixDrive);
  std::memcpy(request.data(), &drive, sizeof drive);
  std::memcpy(request.data() + sizeof drive, unixTarget.c_str(), unixTarget.size());
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) Fail("opening the mount manager");
  DWORD returned = 0;
  const BOOL done =
      DeviceIoControl(manager, kDefineWineUnixDrive, request.data(),
                      static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  if (!done) Fail(std::string("mapping drive ") + letter);
}

void MapLetter(char letter, const std::string& target) {
  const std::string device = std::string(1, letter) + ":";
  if (RunningUnderWine()) {
    DefineWineDrive(static_cast<char>(tolower(letter)), WineUnixName(target));
  } else if (!DefineDosDeviceA(0, device.c_str(), target.c_str())) {
    Fail("DefineDosDeviceA " + device);
  }
}

void UnmapLetter(char letter) {
  const std::string device = std::string(1, letter) + ":";
  if (RunningUnderWine()) {
    DefineWineDrive(static_cast<char>(tolower(letter)), "");
  } else {
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
  }
}

std::vector<std::string> systemRootEntries;

}  // namespace

ScratchPrefix::ScratchPrefix() {
  directory_ = UniqueTemporaryDirectory();
  systemRootEntries = EntryNames("C:");
  CreateDirectoryA((directory_ + "\\medium").c_str(), nullptr);
  MapDrive('D', directory_ + "\\medium");
}

ScratchPrefix::~ScratchPrefix() {
  SetCurrentDirectoryA("C:\\");
  for (char letter : mappedDrives_) UnmapLetter(letter);
  const std::set<std::string> before(systemRootEntries.begin(), systemRootEntries.end());
  for (const std::string& name : EntryNames("C:")) {
    if (!before.count(name)) RemoveTree("C:\\" + name);
  }
  RemoveTree(directory_);
}

std::string ScratchPrefix::Unix(std::string_view windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') {
    throw std::invalid_argument("not a drive path: " + std::string(windowsPath));
  }
  std::string path(windowsPath);
  if (path.size() == 2) path += '\\';
  return path;
}

void ScratchPrefix::MakeDirectory(std::string_view windowsPath) const {
  const std::string path = Unix(windowsPath);
  for (size_t separator = path.find('\\', 3);; separator = path.find('\\', separator + 1)) {
    CreateDirectoryA(Literal(path.substr(0, separator)).c_str(), nullptr);
    if (separator == std::string::npos) break;
  }
  const DWORD attributes = GetFileAttributesA(Literal(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Fail("making " + path);
  }
}

void ScratchPrefix::WriteFile(std::string_view windowsPath, std::string_view bytes) const {
  const std::string path = Unix(windowsPath);
  MakeDirectory(path.substr(0, path.find_last_of('\\')));
  HANDLE file = CreateFileA(Literal(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("creating " + path);
  DWORD written = 0;
  const BOOL done =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!done || written != bytes.size()) Fail("writing " + path);
}

std::string ScratchPrefix::ReadFile(std::string_view windowsPath) const {
  const std::string path = Unix(windowsPath);
  HANDLE file = CreateFileA(Literal(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("opening " + path);
  std::string content;
  char block[65536];
  DWORD got = 0;
  while (::ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) {
    content.append(block, got);
  }
  CloseHandle(file);
  return content;
}

bool ScratchPrefix::Exists(std::string_view windowsPath) const {
  return GetFileAttributesA(Literal(Unix(windowsPath)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ScratchPrefix::SetReadOnly(std::string_view windowsPath, bool readOnly) const {
  const std::string path = Unix(windowsPath);
  const DWORD attributes = GetFileAttributesA(Literal(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail("reading attributes of " + path);
  const DWORD changed = readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                 : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (!SetFileAttributesA(Literal(path).c_str(), changed)) Fail("setting attributes of " + path);
}

std::string ScratchPrefix::MapDrive(char letter, std::string_view unixTarget) const {
  std::string target(unixTarget);
  if (target.empty()) {
    target = directory_ + "\\drive_" + static_cast<char>(tolower(letter));
    CreateDirectoryA(target.c_str(), nullptr);
  }
  const char upper = static_cast<char>(toupper(letter));
  if (mappedDrives_.find(upper) != std::string::npos) UnmapLetter(upper);
  MapLetter(upper, target);
  if (mappedDrives_.find(upper) == std::string::npos) mappedDrives_ += upper;
  return target;
}

}  // namespace cdinst::testing
