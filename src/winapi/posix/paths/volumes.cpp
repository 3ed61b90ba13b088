// GetVolumeInformationA for mapped drives, with the label and serial number Wine keeps in files
// at a drive's root. Every drive reports itself as a case-preserving,
// case-insensitive file system, which is how Windows programs see a Wine drive.
#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <string>

#include "codepage/windows1252.h"
#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/current_directory.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/volume_files.h"
#include "winapi/posix/paths/windows_path.h"

namespace {

using cdinst::posix::FailWith;

constexpr char kFileSystemName[] = "NTFS";
constexpr DWORD kMaxComponentLength = 255;

// A held root is there, on the device it was on: what a volume shows needs nothing more of it.
std::optional<cdinst::posix::ResolvedPath> HeldRoot(const std::string& root) {
  std::optional<cdinst::posix::SpelledPath> spelled = cdinst::posix::SpellPath(root);
  if (!spelled || !spelled->NamesHeld()) return std::nullopt;
  const struct stat* status = spelled->held->Status();
  if (!status) return std::nullopt;
  cdinst::posix::ResolvedPath resolved;
  resolved.windowsPath = std::move(spelled->windowsPath);
  resolved.unixPath = std::move(spelled->unixPath);
  resolved.name = ".";
  resolved.exists = true;
  resolved.status = *status;
  resolved.held = std::move(spelled->held);
  return resolved;
}

// The Unix directory behind a root of the form "X:\"; `error` says why there is none.
std::optional<cdinst::posix::ResolvedPath> VolumeRoot(const std::string& root, DWORD& error) {
  error = ERROR_INVALID_NAME;
  if (!cdinst::posix::IsFullPath(root)) return std::nullopt;
  // Only a drive's root tells its volume here: not a share, nor a directory below a root.
  if (cdinst::posix::IsUncPath(root) || !cdinst::posix::IsRootPath(root)) {
    error = ERROR_DIR_NOT_ROOT;
    return std::nullopt;
  }
  error = ERROR_PATH_NOT_FOUND;
  if (std::optional<cdinst::posix::ResolvedPath> held = HeldRoot(root)) return held;
  const cdinst::posix::ResolvedPath resolved = cdinst::posix::ResolvePath(root);
  if (resolved.error != ERROR_SUCCESS) return std::nullopt;
  if (!resolved.status) return std::nullopt;
  return resolved;
}

// Wine's .windows-serial, else one drawn from the Unix device.
DWORD SerialNumber(const cdinst::posix::ResolvedPath& root) {
  if (const std::optional<DWORD> kept = cdinst::posix::VolumeSerialFile(root.unixPath))
    return *kept;
  const auto number = static_cast<uint64_t>(root.status->st_dev);
  return static_cast<DWORD>(number ^ (number >> 32));
}

std::string CurrentRoot() {
  return cdinst::posix::AbsolutePathText("\\", cdinst::posix::CurrentDirectory());
}

bool CopyName(std::string_view name, LPSTR buffer, DWORD size) {
  if (buffer == nullptr) return true;
  if (size <= name.size()) return false;
  std::memcpy(buffer, name.data(), name.size());
  buffer[name.size()] = '\0';
  return true;
}

}  // namespace

// What a volume reports: a disc as Windows' CD file system does, any other drive as Wine shows
// its drives.
struct VolumeFacts {
  std::string label;
  DWORD serial;
  DWORD maxComponentLength;
  DWORD flags;
  const char* fileSystem;
};

// Wine's files at the root are read only for what the caller asks.
VolumeFacts FactsOf(const cdinst::posix::ResolvedPath& root, bool label, bool serial) {
  if (const auto& disc = root.disc) {
    const bool joliet = disc->image->Joliet();
    const DWORD flags = FS_CASE_SENSITIVE | FILE_READ_ONLY_VOLUME | FILE_SUPPORTS_OPEN_BY_FILE_ID;
    return {cdinst::Utf8ToWindows1252(disc->image->Label()), disc->image->Serial(),
            joliet ? 110u : 221u, joliet ? flags | FS_UNICODE_STORED_ON_DISK : flags, "CDFS"};
  }
  return {label ? cdinst::posix::VolumeLabelFile(root.unixPath) : std::string(),
          serial ? SerialNumber(root) : 0, kMaxComponentLength,
          FS_CASE_IS_PRESERVED | FS_UNICODE_STORED_ON_DISK, kFileSystemName};
}

BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                           LPDWORD serialNumber, LPDWORD maxComponentLength,
                           LPDWORD fileSystemFlags, LPSTR fileSystemName,
                           DWORD fileSystemNameSize) {
  const cdinst::posix::WindowsCall call;
  DWORD error;
  const std::optional<cdinst::posix::ResolvedPath> root =
      VolumeRoot(rootPath != nullptr ? std::string(rootPath) : CurrentRoot(), error);
  if (!root) return FailWith(FALSE, error);
  const VolumeFacts facts = FactsOf(*root, volumeName != nullptr, serialNumber != nullptr);
  if (!CopyName(facts.label, volumeName, volumeNameSize) ||
      !CopyName(facts.fileSystem, fileSystemName, fileSystemNameSize)) {
    return FailWith(FALSE, ERROR_MORE_DATA);
  }
  if (serialNumber) *serialNumber = facts.serial;
  if (maxComponentLength) *maxComponentLength = facts.maxComponentLength;
  if (fileSystemFlags) *fileSystemFlags = facts.flags;
  return TRUE;
}
