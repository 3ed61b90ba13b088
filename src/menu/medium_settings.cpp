#include "menu/medium_settings.h"

#include <optional>
#include <string>

#include "menu/menu_error.h"
#include "platform/io_error.h"
#include "settings/resolve_settings.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
#include "winapi/winapi.h"

namespace cdinst::menu {
namespace {

[[noreturn]] void RefuseProgramList(const Medium& medium, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    throw MenuError(kNoProgramList, Filled(Translated("no {1} on the medium \"{2}\""),
                                           {kProgramsFile, medium.argument}));
  }
  throw MenuError(kNoProgramList, Filled(Translated("cannot read {1} on the medium \"{2}\": {3}"),
                                         {kProgramsFile, medium.argument,
                                          IoErrorMessage(static_cast<int32_t>(error))}));
}

}  // namespace

MediumSettings ReadMediumSettings(const Medium& medium) {
  const std::optional<std::string> programs =
      posix::LoadProfile((medium.windowsRoot + kProgramsFile).c_str());
  if (!programs) RefuseProgramList(medium, GetLastError());
  // The installer reads a MULTI.INI it cannot open as empty, and so does the list.
  const std::optional<std::string> variants =
      posix::LoadProfile((medium.windowsRoot + kVariantsFile).c_str());
  return {LoadedSettings(*programs), LoadedSettings(variants.value_or(""))};
}

// The default loses its trailing blanks, as GetPrivateProfileStringA takes it.
std::string LoadedSettings::ReadSettingText(const std::string& section, const std::string& key,
                                            const std::string& defaultText) const {
  std::string text = index_.Value(section, key)
                         .value_or(defaultText.substr(0, defaultText.find_last_not_of(' ') + 1));
  if (text.size() > kLongestSettingText) text.resize(kLongestSettingText);
  return text;
}

}  // namespace cdinst::menu
