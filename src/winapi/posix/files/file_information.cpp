// GetFileInformationByHandle and NtQueryInformationFile: what Windows knows of an open file,
// from fstat(2).
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_attributes.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/files/file_time.h"
#include "winapi/posix/last_error.h"

namespace {

DWORD High(uint64_t value) { return static_cast<DWORD>(value >> 32); }
DWORD Low(uint64_t value) { return static_cast<DWORD>(value); }

// The status of the open file `file`; false, with errno set, when fstat(2) fails.
bool StatusOf(const cdinst::posix::OpenFile& file, struct stat& info) {
  if (!file.disc) return fstat(file.Fd(), &info) == 0;
  info = DiscStatus(*file.disc);
  return true;
}

// An open file's index does not change: what its open or its hold learned of it answers.
std::optional<ino_t> KnownIndex(const cdinst::posix::OpenFile& file) {
  if (file.identified) return file.inode;
  const struct stat* held = file.held ? file.held->Status() : nullptr;
  if (held) return held->st_ino;
  return std::nullopt;
}

}  // namespace

// The volume serial is folded from the device number as GetVolumeInformationA folds it, and the
// file index is the inode number, so two handles on one file agree whatever names opened them.
// A handle does not remember its name, so a dot-file is not reported HIDDEN here.
BOOL GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const std::shared_ptr<OpenFile> file = FindOpenFile(handle);
  if (!file) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  if (!information) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  struct stat info {};
  if (!StatusOf(*file, info)) return FailWithErrno(FALSE);
  const auto device = static_cast<uint64_t>(info.st_dev);
  const auto size = static_cast<uint64_t>(info.st_size);
  const auto index = static_cast<uint64_t>(info.st_ino);
  information->dwFileAttributes =
      file->disc ? DiscAttributes(file->disc->Entry()) : AttributesOf(info.st_mode, "", false);
  information->ftCreationTime = FileTimeFromUnix(info.st_mtim);
  information->ftLastAccessTime = FileTimeFromUnix(info.st_atim);
  information->ftLastWriteTime = FileTimeFromUnix(info.st_mtim);
  information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
  information->nFileSizeHigh = High(size);
  information->nFileSizeLow = Low(size);
  information->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  information->nFileIndexHigh = High(index);
  information->nFileIndexLow = Low(index);
  return TRUE;
}

// Only the file index, the same as GetFileInformationByHandle's: Windows asks the volume for
// nothing here, where that call asks it every time.
NTSTATUS NtQueryInformationFile(HANDLE handle, PIO_STATUS_BLOCK status, PVOID information,
                                ULONG length, FILE_INFORMATION_CLASS informationClass) {
  const cdinst::posix::WindowsCall call;
  constexpr NTSTATUS kInvalidHandle = static_cast<NTSTATUS>(0xC0000008);
  constexpr NTSTATUS kInvalidClass = static_cast<NTSTATUS>(0xC0000003);
  constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001);
  const std::shared_ptr<cdinst::posix::OpenFile> file = cdinst::posix::FindOpenFile(handle);
  if (!file) return kInvalidHandle;
  if (informationClass != FileInternalInformation) return kInvalidClass;
  if (length < sizeof(FILE_INTERNAL_INFORMATION)) return kLengthMismatch;
  std::optional<ino_t> index = KnownIndex(*file);
  struct stat info {};
  if (!index && StatusOf(*file, info)) index = info.st_ino;
  if (!index) return kUnsuccessful;
  static_cast<PFILE_INTERNAL_INFORMATION>(information)->IndexNumber.QuadPart =
      static_cast<int64_t>(*index);
  status->Status = 0;
  status->Information = sizeof(FILE_INTERNAL_INFORMATION);
  return 0;
}
