// A reader bound to one INI-format settings file, reading it again at every call. Binding reads
// nothing; a missing file, section or key is no error and gives the default.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_source.h"

namespace cdinst {

class SettingsFile : public SettingsSource {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  std::string ReadSettingText(const std::string& section, const std::string& key,
                              const std::string& defaultText) const override;
  std::vector<std::string> ReadSectionNames() const override;
  std::vector<std::string> ReadKeyNames(const std::string& section) const override;

 private:
  std::string path_;
};

}  // namespace cdinst
