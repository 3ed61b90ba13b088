#include "settings/program_files_dir.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/path_parts.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

constexpr char kFallback[] = "C:";

class RegistryKey {
 public:
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() { RegCloseKey(key_); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_;
};

// The value's text; empty when it is missing or empty, nothing when it cannot be read.
bool QueryProgramFilesDir(HKEY key, std::string& text) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  text.clear();
  if (RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0) {
    return true;
  }
  std::vector<BYTE> data(size);
  if (RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // A stored string may lack its NUL.
  const auto* begin = reinterpret_cast<const char*>(data.data());
  text.assign(begin, std::find(begin, begin + std::min<size_t>(size, data.size()), '\0'));
  return true;
}

}  // namespace

std::string ReadProgramFilesDir() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
    return kFallback;
  }
  RegistryKey key(opened);
  std::string text;
  try {
    if (!QueryProgramFilesDir(key.get(), text)) return kFallback;
  } catch (const std::bad_alloc&) {
    return kFallback;
  }
  if (text.empty()) return kFallback;
  return WithoutTrailingBackslash(text);
}

}  // namespace cdinst
