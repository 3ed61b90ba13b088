#include "menu/loaded_settings.h"

namespace cdinst::menu {

// The default loses its trailing blanks, as GetPrivateProfileStringA takes it.
std::string LoadedSettings::ReadSettingText(const std::string& section, const std::string& key,
                                            const std::string& defaultText) const {
  std::string text = index_.Value(section, key)
                         .value_or(defaultText.substr(0, defaultText.find_last_not_of(' ') + 1));
  if (text.size() > kLongestSettingText) text.resize(kLongestSettingText);
  return text;
}

}  // namespace cdinst::menu
