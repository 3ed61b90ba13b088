// A reader bound to one INI-format settings file. Binding reads nothing; a missing file,
// section or key is no error and gives the default.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cdinst {

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  // The key's text (at most 2047 characters), or `defaultText`. Section and key names are
  // matched without regard to letter case.
  std::string ReadSettingText(const std::string& section, const std::string& key,
                              const std::string& defaultText) const;

  // The key's text converted as a settings number, or `defaultNumber` when it does not convert.
  int32_t ReadSettingNumber(const std::string& section, const std::string& key,
                            int32_t defaultNumber) const;

  // The file's section names, or one section's key names, in the order the file gives them;
  // empty when the file or section is missing.
  std::vector<std::string> ReadSectionNames() const;
  std::vector<std::string> ReadKeyNames(const std::string& section) const;

 private:
  std::string path_;
};

}  // namespace cdinst
