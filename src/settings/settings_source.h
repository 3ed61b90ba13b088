// What the program reads from a settings file, whether every read goes to the file itself or
// to a copy of it read once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cdinst {

// The longest text a read gives: the program reads into 2048-byte buffers.
inline constexpr size_t kLongestSettingText = 2047;

class SettingsSource {
 public:
  virtual ~SettingsSource() = default;

  // The key's text (at most kLongestSettingText characters), or `defaultText`. Section and key
  // names are matched without regard to letter case.
  virtual std::string ReadSettingText(const std::string& section, const std::string& key,
                                      const std::string& defaultText) const = 0;

  // The file's section names, or one section's key names, in the order the file gives them;
  // empty when the file or section is missing.
  virtual std::vector<std::string> ReadSectionNames() const = 0;
  virtual std::vector<std::string> ReadKeyNames(const std::string& section) const = 0;

  // The key's text converted as a settings number, or `defaultNumber` when it does not convert.
  int32_t ReadSettingNumber(const std::string& section, const std::string& key,
                            int32_t defaultNumber) const;
};

}  // namespace cdinst
