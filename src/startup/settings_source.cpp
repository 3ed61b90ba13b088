#include "startup/settings_source.h"

#include "startup/setting_number.h"

namespace cdinst {

int32_t SettingsSource::ReadSettingNumber(const std::string& section, const std::string& key,
                                          int32_t defaultNumber) const {
  return ConvertSettingNumber(ReadSettingText(section, key, "")).value_or(defaultNumber);
}

}  // namespace cdinst
