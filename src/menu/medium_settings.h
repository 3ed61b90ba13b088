// The medium's two settings files, each read once for the whole listing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "menu/medium.h"
#include "settings/settings_source.h"
#include "winapi/posix/profile_index.h"

namespace cdinst::menu {

// A settings file of the medium read once, answering every read as SettingsFile answers it for
// the same file, so that the menu lists what the installer will read.
class LoadedSettings : public SettingsSource {
 public:
  // `text` as posix::LoadProfile gives it; empty for a missing file.
  explicit LoadedSettings(std::string_view text) : index_(text) {}

  std::string ReadSettingText(const std::string& section, const std::string& key,
                              const std::string& defaultText) const override;
  std::vector<std::string> ReadSectionNames() const override { return index_.SectionNames(); }
  std::vector<std::string> ReadKeyNames(const std::string& section) const override {
    return index_.KeyNames(section);
  }

 private:
  posix::ProfileIndex index_;
};

struct MediumSettings {
  LoadedSettings programs;  // DADOS\PROGS.INI
  LoadedSettings variants;  // DADOS\MULTI.INI, empty when missing or unreadable
};

// Raises MenuError (kNoProgramList) when DADOS\PROGS.INI is missing or cannot be read.
MediumSettings ReadMediumSettings(const Medium& medium);

}  // namespace cdinst::menu
