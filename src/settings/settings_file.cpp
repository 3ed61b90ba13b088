#include "settings/settings_file.h"

#include "settings/setting_number.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

// Past this a list is taken as it comes, cut.
constexpr DWORD kLargestNameList = 1 << 26;

// A list that does not fit comes back cut to the buffer's size less two, so the buffer grows
// until the list leaves room to spare.
std::vector<std::string> ReadNameList(const char* section, const std::string& path) {
  for (DWORD size = 4096;; size *= 4) {
    std::string buffer(size, '\0');
    const DWORD count =
        GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, path.c_str());
    if (count + 2 >= size && size < kLargestNameList) continue;
    std::vector<std::string> names;
    for (size_t start = 0; start < count;) {
      const size_t end = buffer.find('\0', start);
      names.push_back(buffer.substr(start, end - start));
      start = end + 1;
    }
    return names;
  }
}

}  // namespace

std::string SettingsFile::ReadSettingText(const std::string& section, const std::string& key,
                                          const std::string& defaultText) const {
  constexpr DWORD kBufferSize = kLongestSettingText + 1;
  char buffer[kBufferSize];
  const DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                               buffer, kBufferSize, path_.c_str());
  return std::string(buffer, count < kBufferSize ? count : kBufferSize - 1);
}

int32_t SettingsSource::ReadSettingNumber(const std::string& section, const std::string& key,
                                          int32_t defaultNumber) const {
  return ConvertSettingNumber(ReadSettingText(section, key, "")).value_or(defaultNumber);
}

std::vector<std::string> SettingsFile::ReadSectionNames() const {
  return ReadNameList(nullptr, path_);
}

std::vector<std::string> SettingsFile::ReadKeyNames(const std::string& section) const {
  return ReadNameList(section.c_str(), path_);
}

}  // namespace cdinst
