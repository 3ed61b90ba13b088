#include "settings/resolve_settings.h"

#include "settings/program_files_dir.h"
#include "settings/settings_file.h"

namespace cdinst {
namespace {

constexpr int32_t kSystemWithAlternativeKeys = 3;

void ResolveVariant(InstallSettings& settings, const SettingsSource& multi) {
  const std::string& section = settings.MultiSection;
  const std::string& suffix = settings.VariantSuffix;
  settings.ProgramName = multi.ReadSettingText(section, std::string(kNameKey) + suffix, "");
  const bool alternative =
      multi.ReadSettingNumber(section, "Sistema" + suffix, 0) == kSystemWithAlternativeKeys;
  settings.OriginPath =
      multi.ReadSettingText(section, (alternative ? "Origem32-" : "Origem") + suffix, "");
  settings.DestinationPath =
      multi.ReadSettingText(section, (alternative ? "Destino32-" : "Destino") + suffix, "");
}

void ResolvePlainEntry(InstallSettings& settings, const SettingsSource& programs) {
  const std::string& section = settings.ProgramSection;
  settings.ProgramName = programs.ReadSettingText(section, std::string(kNameKey), "");
  const bool alternative =
      programs.ReadSettingNumber(section, "Sistema", 0) == kSystemWithAlternativeKeys;
  settings.OriginPath = programs.ReadSettingText(section, alternative ? "Origem32" : "Origem", "");
  settings.DestinationPath =
      programs.ReadSettingText(section, alternative ? "Destino32" : "Destino", "");
}

}  // namespace

void ResolveSettings(InstallSettings& settings) {
  settings.ProgramFilesDir = ReadProgramFilesDir();
  ResolveChoice(settings, SettingsFile(settings.SourceRoot + kProgramsFile),
                SettingsFile(settings.SourceRoot + kVariantsFile));
}

void ResolveChoice(InstallSettings& settings, const SettingsSource& programs,
                   const SettingsSource& variants) {
  settings.MultiSection =
      programs.ReadSettingText(settings.ProgramSection, std::string(kGroupKey), "");
  if (!settings.MultiSection.empty()) {
    ResolveVariant(settings, variants);
  } else {
    ResolvePlainEntry(settings, programs);
  }
  settings.Description = programs.ReadSettingText(settings.ProgramSection, "Descricao", "");
  ExpandProgramFiles(settings);
}

void ExpandProgramFiles(InstallSettings& settings) {
  static const std::string kToken = "%PROGRAMFILES%";
  std::string& destination = settings.DestinationPath;
  if (destination.compare(0, kToken.size(), kToken) != 0) return;
  destination = settings.ProgramFilesDir + destination.substr(kToken.size());
}

}  // namespace cdinst
