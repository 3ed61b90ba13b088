// CreateFileA: Windows' dispositions, errors and share modes over open(2).
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/files/share_modes.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/progress.h"

namespace cdinst::posix {
namespace {

struct Request {
  DWORD access;  // GENERIC_READ and GENERIC_WRITE only
  DWORD share;
  DWORD disposition;
  DWORD attributes;
};

struct Opened {
  UniqueFd fd;
  bool created = false;
  bool directory = false;             // opened with backup semantics, for queries
  bool shareChecked = false;          // its share mode is recorded already
  bool writable = true;               // opened for reading and writing
  std::optional<struct stat> status;  // what fstat(2) said of the open file, once asked
  std::optional<DiscPlace> disc;      // a file on a disc drive
  std::optional<std::string> heldAs;  // a directory held (held_directories.h), by this path
  std::string unixPath;               // and this Unix path
};

bool MayCreate(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

bool Truncates(const Request& request, const Opened& opened) {
  return !opened.created &&
         (request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING);
}

// Cutting a file writes to it: Windows checks that against read-only files and share modes.
DWORD CheckedAccess(const Request& request, const Opened& opened) {
  return request.access | (Truncates(request, opened) ? GENERIC_WRITE : 0);
}

// A Windows volume holds only files and directories: a FIFO, socket or device, whose size says
// nothing of what reading it gives, is refused as a directory is. It is looked at without being
// opened: an open would release a process waiting at a FIFO, or act on a device.
DWORD CheckKind(const ResolvedPath& path) {
  struct stat info;
  if (!StatFollowing(path, info)) return ErrorFromErrno(errno);
  return S_ISREG(info.st_mode) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Opens with the access asked, read-write whenever anything is to be written, since recording a
// share mode needs reading. Non-blocking, so that a FIFO put in the file's place meanwhile is
// refused afterwards instead of waiting for a writer.
DWORD OpenExisting(const ResolvedPath& path, DWORD checked, Opened& opened) {
  if (const DWORD error = CheckKind(path)) return error;
  opened.writable = checked & GENERIC_WRITE;
  const int access = opened.writable ? O_RDWR : O_RDONLY;
  const AtPath at = At(path.unixPath);
  opened.fd = UniqueFd(openat(at.base, at.path, access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  return opened.fd.Valid() ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

enum class Creation { kDone, kNameTaken, kUnsupported };

// Links the unnamed file `fd` in at `unixPath`. Naming the descriptor itself spares a lookup
// through /proc, but needs CAP_DAC_READ_SEARCH; without it the call fails with ENOENT, and
// /proc is used from then on.
int LinkUnnamedFile(int fd, const std::string& unixPath) {
  static bool emptyPathRefused = false;
  const AtPath at = At(unixPath);
  if (!emptyPathRefused) {
    if (linkat(fd, "", at.base, at.path, AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT) return -1;
    emptyPathRefused = true;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return linkat(AT_FDCWD, self.c_str(), at.base, at.path, AT_SYMLINK_FOLLOW);
}

// Makes the file without a name, records its share mode and only then links it in: on Windows
// a new file and its share mode appear in one step, and another process must not open it, and
// write, in between. Until then no other open can reach it, so there is nothing to test. Where
// the path goes through a held directory, both steps happen in it. kUnsupported when the file
// system (or a missing /proc) does not allow this; then nothing was made.
Creation CreateWithShareMode(const ResolvedPath& path, mode_t mode, const Request& request,
                             Opened& opened) {
  const std::string parent = path.ParentPath();
  const AtPath at = At(parent);
  UniqueFd fd(openat(at.base, at.path, O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
  if (!fd.Valid()) return Creation::kUnsupported;
  if (RecordOpen(fd.Get(), request.access, request.share) != ERROR_SUCCESS) {
    return Creation::kUnsupported;  // a lock call failed on a file no one else can see yet
  }
  if (LinkUnnamedFile(fd.Get(), path.unixPath) != 0) {
    return errno == EEXIST ? Creation::kNameTaken : Creation::kUnsupported;
  }
  opened.fd = std::move(fd);
  opened.created = opened.shareChecked = true;
  return Creation::kDone;
}

// Where a file cannot be made without a name: made by name, its share mode recorded afterwards.
bool CreateNamed(const ResolvedPath& path, mode_t mode, Opened& opened) {
  constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY;
  const AtPath at = At(path.unixPath);
  opened.fd = UniqueFd(openat(at.base, at.path, kFlags, mode));
  opened.created = opened.fd.Valid();
  return opened.created;
}

// A file created read-only still gets a handle that writes, as on Windows.
DWORD CreateNew(const ResolvedPath& path, const Request& request, Opened& opened) {
  const mode_t mode = (request.attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  const Creation made = CreateWithShareMode(path, mode, request, opened);
  if (made == Creation::kDone) return ERROR_SUCCESS;
  if (made == Creation::kUnsupported) {
    if (CreateNamed(path, mode, opened)) return ERROR_SUCCESS;
    if (errno != EEXIST) return ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
  }
  if (request.disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  return OpenExisting(path, CheckedAccess(request, opened), opened);  // lost a race
}

DWORD OpenOrCreate(const ResolvedPath& path, const Request& request, Opened& opened) {
  if (path.exists) {
    if (request.disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
    const DWORD error = OpenExisting(path, CheckedAccess(request, opened), opened);
    if (error != ERROR_FILE_NOT_FOUND || !MayCreate(request.disposition)) return error;
  } else if (!MayCreate(request.disposition)) {
    return ERROR_FILE_NOT_FOUND;
  }
  return CreateNew(path, request, opened);
}

// Read-only means the owner's write bit is clear, also for root, whom Unix would let write.
// What is no file is refused again: another may have taken the file's place since it was
// looked at.
DWORD CheckExistingFile(const Request& request, Opened& opened) {
  struct stat info;
  if (fstat(opened.fd.Get(), &info) != 0) return ErrorFromErrno(errno);
  opened.status = info;
  if (!S_ISREG(info.st_mode)) return ERROR_ACCESS_DENIED;
  if ((CheckedAccess(request, opened) & GENERIC_WRITE) && !(info.st_mode & S_IWUSR)) {
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

// Cuts an overwritten file only once the share modes have let the open in.
DWORD Overwrite(const Request& request, const Opened& opened) {
  const int fd = opened.fd.Get();
  if (ftruncate(fd, 0) != 0) return ErrorFromErrno(errno);
  if (!(request.attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_SUCCESS;
  struct stat info;
  if (fstat(fd, &info) != 0 || fchmod(fd, info.st_mode & 07555) != 0) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

DWORD CheckSharing(const Request& request, Opened& opened) {
  if (opened.shareChecked) return ERROR_SUCCESS;
  if (!opened.created) {
    if (const DWORD error = CheckExistingFile(request, opened)) return error;
  }
  const DWORD checked = CheckedAccess(request, opened);
  if (const DWORD error = CheckShareAccess(opened.fd.Get(), opened.writable, request.access,
                                           checked, request.share)) {
    return error;
  }
  return Truncates(request, opened) ? Overwrite(request, opened) : ERROR_SUCCESS;
}

// "name\" names a directory; as a file it can be neither opened nor created.
DWORD CheckTrailingSeparator(const ResolvedPath& path) {
  return IsExistingDirectory(path) ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME;
}

// With backup semantics an existing directory opens too, as a handle for queries.
bool OpensDirectory(const ResolvedPath& path, const Request& request) {
  return (request.attributes & FILE_FLAG_BACKUP_SEMANTICS) &&
         (request.disposition == OPEN_EXISTING || request.disposition == OPEN_ALWAYS) &&
         IsExistingDirectory(path);
}

// A handle without access can only be asked about the directory, which needs no right to read it,
// and takes no part in share modes. One with access that does not share deletion holds the
// directory.
DWORD OpenDirectory(const std::string& windowsPath, const std::string& unixPath,
                    const Request& request, Opened& opened) {
  opened.directory = true;
  const int how = request.access == 0 ? O_PATH : O_RDONLY;
  const AtPath at = At(unixPath);
  opened.fd = UniqueFd(openat(at.base, at.path, how | O_DIRECTORY | O_CLOEXEC));
  if (!opened.fd.Valid()) return ErrorFromErrno(errno);
  if (request.access != 0 && !(request.share & FILE_SHARE_DELETE)) {
    opened.heldAs = windowsPath;
    opened.unixPath = unixPath;
  }
  return ERROR_SUCCESS;
}

// The hold keeps the handle's own descriptor.
void Hold(OpenFile& file, const Opened& opened) {
  file.held = std::make_shared<const HeldDirectory>(std::move(file.fd));
  HoldDirectory(&file, HeldPathOf(SplitAbsolutePath(*opened.heldAs)), file.held, opened.unixPath);
}

// A symbolic link stands for a reparse point: with this flag Windows opens the point itself.
bool OpensLinkItself(const ResolvedPath& path, const Request& request) {
  return (request.attributes & FILE_FLAG_OPEN_REPARSE_POINT) && path.exists && !path.status &&
         request.access == 0 && request.disposition == OPEN_EXISTING;
}

DWORD OpenLinkItself(const ResolvedPath& path, Opened& opened) {
  opened.directory = true;
  const AtPath at = At(path.unixPath);
  opened.fd = UniqueFd(openat(at.base, at.path, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  return opened.fd.Valid() ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

// Windows' CD file system opens what is there for reading, a directory only with backup
// semantics, and refuses to make, cut or write anything.
DWORD OpenOnDisc(const ResolvedPath& path, const Request& request, Opened& opened) {
  const DWORD disposition = request.disposition;
  if (disposition == CREATE_NEW) return ERROR_ACCESS_DENIED;
  if (!path.exists) {
    const bool opensOnly = disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING;
    return opensOnly ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
  }
  if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) return ERROR_ACCESS_DENIED;
  if (request.access & GENERIC_WRITE) return ERROR_ACCESS_DENIED;
  const bool directory = path.disc->Entry().directory;
  if (directory && !(request.attributes & FILE_FLAG_BACKUP_SEMANTICS)) return ERROR_ACCESS_DENIED;
  if (path.trailingSeparator && !directory) return ERROR_INVALID_NAME;
  opened.directory = directory;
  opened.disc = path.disc;
  opened.status = path.status;
  return ERROR_SUCCESS;
}

// A directory spelled as on disk opens in one call, which also tells that it is one.
bool OpenedSpelledDirectory(LPCSTR path, const Request& request, Opened& opened) {
  const bool opensOne = request.disposition == OPEN_EXISTING || request.disposition == OPEN_ALWAYS;
  if (!opensOne || !(request.attributes & FILE_FLAG_BACKUP_SEMANTICS) ||
      (request.attributes & FILE_FLAG_OPEN_REPARSE_POINT)) {
    return false;
  }
  const std::optional<SpelledPath> spelled = SpellPath(path);
  if (!spelled) return false;
  if (OpenDirectory(spelled->windowsPath, spelled->unixPath, request, opened) == ERROR_SUCCESS) {
    return true;
  }
  opened = Opened{};
  return false;
}

DWORD Open(LPCSTR path, const Request& request, Opened& opened) {
  if (request.disposition < CREATE_NEW || request.disposition > TRUNCATE_EXISTING) {
    return ERROR_INVALID_PARAMETER;
  }
  if (!path || !*path) return ERROR_PATH_NOT_FOUND;
  if (OpenedSpelledDirectory(path, request, opened)) return ERROR_SUCCESS;
  // A creation mostly makes a new name, which a kept listing tells missing without a call.
  const bool creates = request.disposition == CREATE_NEW || request.disposition == CREATE_ALWAYS;
  const ResolvedPath resolved =
      ResolvePath(path, creates ? Lookup::kKeptListingFirst : Lookup::kExactFirst);
  if (resolved.error) return resolved.error;
  if (resolved.disc) return OpenOnDisc(resolved, request, opened);
  if (OpensLinkItself(resolved, request)) return OpenLinkItself(resolved, opened);
  if (OpensDirectory(resolved, request)) {
    return OpenDirectory(resolved.windowsPath, resolved.unixPath, request, opened);
  }
  if (resolved.trailingSeparator) return CheckTrailingSeparator(resolved);
  if (const DWORD error = OpenOrCreate(resolved, request, opened)) return error;
  return CheckSharing(request, opened);
}

// What the open learned of an existing file tells which file the handle is on; otherwise the
// table asks when it needs to.
void Identify(OpenFile& file, const Opened& opened) {
  if (!opened.status) return;
  file.device = opened.status->st_dev;
  file.inode = opened.status->st_ino;
  file.identified = true;
}

// Other writers that honour share modes are kept out, so the end is this handle's to know.
int64_t EndAtOpen(const Request& request, const Opened& opened) {
  if (!(request.access & GENERIC_WRITE) || (request.share & FILE_SHARE_WRITE)) return -1;
  if (opened.created || Truncates(request, opened)) return 0;
  return opened.status ? opened.status->st_size : -1;
}

}  // namespace
}  // namespace cdinst::posix

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD flags, HANDLE) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const Request request{access & (GENERIC_READ | GENERIC_WRITE), shareMode, disposition, flags};
  FlushAll();  // an open may cut or read what a handle holds back
  Opened opened;
  if (const DWORD error = Open(path, request, opened)) {
    return FailWith(INVALID_HANDLE_VALUE, error);
  }
  auto file = std::make_unique<OpenFile>();
  file->fd = std::move(opened.fd);
  file->canRead = request.access & GENERIC_READ;
  file->canWrite = request.access & GENERIC_WRITE;
  file->directory = opened.directory;
  file->disc = std::move(opened.disc);
  file->knownEnd = EndAtOpen(request, opened);
  Identify(*file, opened);
  if (opened.heldAs) Hold(*file, opened);
  const bool existed = !opened.created;
  const HANDLE handle = AddOpenFile(std::move(file), opened.created);
  if (disposition == CREATE_ALWAYS && (request.access & GENERIC_WRITE) && Progress()) {
    Progress()->FileCreated(path);
  }
  const bool reportsExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}
