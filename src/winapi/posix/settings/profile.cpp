// GetPrivateProfileStringA over settings files on the emulated drives.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/profile_index.h"
#include "winapi/posix/result_buffer.h"
#include "winapi/posix/settings/whole_file.h"
#include "winapi/winapi.h"

namespace cdinst::posix {
namespace {

// A bare name ("x.ini", not "C:x.ini" nor "sub\x.ini") is looked for in the Windows directory;
// NULL is win.ini.
std::string ProfilePath(LPCSTR fileName) {
  const std::string_view name = fileName ? fileName : "win.ini";
  if (NameStart(name) != 0) return std::string(name);
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
  return std::string(directory, length < MAX_PATH ? length : 0) + '\\' + std::string(name);
}

// Trailing blanks of the default do not count; NULL is "". Quotes stay (Wine strips them).
std::string_view DefaultText(LPCSTR defaultText) {
  std::string_view text = defaultText ? defaultText : "";
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Copies names as NUL-ended strings plus a final NUL. A list that leaves no room for one more
// character (an exact fit included, as on Windows) is cut to size-2 characters and two NULs.
DWORD CopyNameList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  std::string list;
  for (const std::string& name : names) list.append(name).push_back('\0');
  if (list.empty() || size < 2) return CopyTextCut("", buffer, size);
  const size_t count = std::min<size_t>(list.size(), size - 2);
  std::memcpy(buffer, list.data(), count);
  buffer[count] = '\0';
  buffer[count + 1] = '\0';
  return static_cast<DWORD>(count);
}

DWORD ReadProfile(LPCSTR section, LPCSTR key, std::string_view fallback, LPSTR buffer, DWORD size,
                  LPCSTR fileName) {
  const std::optional<std::string> text = LoadProfile(fileName);
  if (!text) return CopyTextCut(fallback, buffer, size);
  const ProfileIndex index(*text);
  if (!section) {
    SetLastError(ERROR_SUCCESS);
    return CopyNameList(index.SectionNames(), buffer, size);
  }
  if (!key) {
    const std::vector<std::string> names = index.KeyNames(section);
    if (names.empty()) return FailWith(CopyTextCut(fallback, buffer, size), ERROR_FILE_NOT_FOUND);
    SetLastError(ERROR_SUCCESS);
    return CopyNameList(names, buffer, size);
  }
  const std::optional<std::string> value = index.Value(section, key);
  // Windows 7 and later report 2 for a missing section or key; Wine reports 0.
  if (!value) return FailWith(CopyTextCut(fallback, buffer, size), ERROR_FILE_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  return CopyTextCut(*value, buffer, size);
}

}  // namespace

std::optional<std::string> LoadProfile(LPCSTR fileName) {
  const ResolvedPath path = ResolvePath(ProfilePath(fileName));
  DWORD error = path.error;
  if (error != ERROR_SUCCESS) return FailWith(std::optional<std::string>(), error);
  std::optional<std::string> bytes =
      path.disc ? ReadWholeDiscFile(path, error) : ReadWholeFile(path.unixPath, error);
  if (!bytes) return FailWith(std::optional<std::string>(), error);
  // "x.ini\" names no file, even when x.ini exists.
  if (path.trailingSeparator) return FailWith(std::optional<std::string>(), ERROR_INVALID_NAME);
  return DecodeProfileText(*bytes);
}

}  // namespace cdinst::posix

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (!buffer || size == 0) return 0;
  const std::string_view fallback = DefaultText(defaultText);
  try {
    return ReadProfile(section, key, fallback, buffer, size, fileName);
  } catch (const std::bad_alloc&) {
    return FailWith(CopyTextCut(fallback, buffer, size), ERROR_NOT_ENOUGH_MEMORY);
  }
}
