#include "startup/settings_file.h"

#include "startup/setting_number.h"
#include "winapi/winapi.h"

namespace cdinst {

std::string SettingsFile::ReadSettingText(const std::string& section, const std::string& key,
                                          const std::string& defaultText) const {
  constexpr DWORD kBufferSize = 2048;
  char buffer[kBufferSize];
  const DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                               buffer, kBufferSize, path_.c_str());
  return std::string(buffer, count < kBufferSize ? count : kBufferSize - 1);
}

int32_t SettingsFile::ReadSettingNumber(const std::string& section, const std::string& key,
                                        int32_t defaultNumber) const {
  return ConvertSettingNumber(ReadSettingText(section, key, "")).value_or(defaultNumber);
}

}  // namespace cdinst
