// RegOpenKeyExA, RegQueryValueExA and RegCloseKey over the prefix's system.reg, as a 32-bit
// program sees HKEY_LOCAL_MACHINE. Wine enforces no access rights, so neither does this.
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/call_count.h"
#include "winapi/posix/paths/prefix.h"
#include "winapi/posix/settings/registry_file.h"
#include "winapi/posix/settings/whole_file.h"
#include "winapi/winapi.h"

// An open key: where it is in the file and its values as they were when it was opened.
struct HKEY__ {
  std::string path;
  std::vector<cdinst::posix::RegistryValue> values;
};

namespace cdinst::posix {
namespace {

constexpr std::string_view kSoftware = "Software";
constexpr std::string_view kWow64Node = "Wow6432Node";

// The keys handed out and not closed yet; the table owns them.
class OpenKeys {
 public:
  HKEY Add(std::shared_ptr<HKEY__> key) {
    HKEY handle = key.get();
    keys_.emplace(handle, std::move(key));
    return handle;
  }

  std::shared_ptr<HKEY__> Find(HKEY handle) {
    const auto found = keys_.find(handle);
    return found == keys_.end() ? nullptr : found->second;
  }

  bool Remove(HKEY handle) { return keys_.erase(handle) != 0; }

 private:
  std::map<HKEY, std::shared_ptr<HKEY__>> keys_;
};

OpenKeys& Keys() {
  static OpenKeys keys;
  return keys;
}

bool IsPredefinedRoot(HKEY key) {
  for (DWORD root = 0x80000000u; root <= 0x80000006u; ++root) {
    if (key == reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)))) {
      return true;
    }
  }
  return false;
}

// `subKey` below `base`, one trailing backslash allowed; nothing when a component is empty.
std::optional<std::string> JoinKeyPath(std::string_view base, std::string_view subKey) {
  if (!subKey.empty() && subKey.back() == '\\') subKey.remove_suffix(1);
  if (subKey.empty()) return std::string(base);
  if (subKey.front() == '\\' || subKey.find("\\\\") != std::string_view::npos) return std::nullopt;
  return base.empty() ? std::string(subKey) : std::string(base) + '\\' + std::string(subKey);
}

// HKLM\Software\X as a 32-bit program sees it on a 64-bit system: Software\Wow6432Node\X.
std::string In32BitView(const std::string& path) {
  const std::string_view view = path;
  const std::string_view first = view.substr(0, view.find('\\'));
  if (!SameTextIgnoringCase(first, kSoftware)) return path;
  const std::string_view rest = first.size() < view.size() ? view.substr(first.size() + 1) : "";
  if (SameTextIgnoringCase(rest.substr(0, rest.find('\\')), kWow64Node)) return path;
  std::string redirected = std::string(first) + '\\' + std::string(kWow64Node);
  return rest.empty() ? redirected : redirected + '\\' + std::string(rest);
}

bool HasWow64View(std::string_view text) {
  return FindRegistryKey(text, std::string(kSoftware) + '\\' + std::string(kWow64Node)).has_value();
}

LONG OpenKey(HKEY parent, std::string_view subKey, REGSAM access, HKEY& result) {
  std::string base;
  if (const std::shared_ptr<HKEY__> open = Keys().Find(parent)) {
    base = open->path;
  } else if (parent != HKEY_LOCAL_MACHINE) {
    return IsPredefinedRoot(parent) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
  }
  std::optional<std::string> path = JoinKeyPath(base, subKey);
  if (!path) return ERROR_FILE_NOT_FOUND;
  DWORD error = ERROR_SUCCESS;
  const std::optional<std::string> text = ReadWholeFile(PrefixDirectory() + "/system.reg", error);
  if (!text) return static_cast<LONG>(error);
  if (!(access & KEY_WOW64_64KEY) && HasWow64View(*text)) *path = In32BitView(*path);
  std::optional<std::vector<RegistryValue>> values = FindRegistryKey(*text, *path);
  if (!values) return ERROR_FILE_NOT_FOUND;
  result = Keys().Add(std::make_shared<HKEY__>(HKEY__{std::move(*path), std::move(*values)}));
  return ERROR_SUCCESS;
}

// The bytes RegQueryValueExA hands out: strings in Windows-1252, anything else as stored.
std::string AnsiData(const RegistryValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ && value.type != REG_MULTI_SZ) {
    return value.data;
  }
  return Utf16ToWindows1252(Utf16FromBytes(value.data, false));
}

LONG QueryValue(const HKEY__& key, std::string_view name, LPDWORD type, LPBYTE data, LPDWORD size) {
  const RegistryValue* value = FindRegistryValue(key.values, name);
  if (!value) return ERROR_FILE_NOT_FOUND;
  const std::string bytes = AnsiData(*value);
  if (type) *type = value->type;
  const DWORD needed = static_cast<DWORD>(bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, bytes.data(), bytes.size());
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace cdinst::posix

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  const cdinst::posix::WindowsCall call;
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  try {
    return cdinst::posix::OpenKey(key, subKey ? subKey : "", access, *result);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  try {
    if (const std::shared_ptr<HKEY__> open = Keys().Find(key)) {
      return QueryValue(*open, valueName ? valueName : "", type, data, dataSize);
    }
    // The roots themselves hold no values here.
    return IsPredefinedRoot(key) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

LONG RegCloseKey(HKEY key) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (IsPredefinedRoot(key)) return ERROR_SUCCESS;
  return Keys().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
