// Filling the resolved fields of the InstallSettings from the registry and the medium.
#pragma once

#include <string_view>

#include "settings/install_settings.h"
#include "settings/settings_source.h"

namespace cdinst {

// The settings files, relative to SourceRoot.
inline constexpr char kProgramsFile[] = "DADOS\\PROGS.INI";
inline constexpr char kVariantsFile[] = "DADOS\\MULTI.INI";
// A program's key naming its group of variants in kVariantsFile, and the key of a program's
// name there, which each variant's suffix follows.
inline constexpr std::string_view kGroupKey = "Multi";
inline constexpr std::string_view kNameKey = "Nome";

// Needs SourceRoot, ProgramSection and VariantSuffix. Sets ProgramFilesDir from the registry,
// then resolves the choice (ResolveChoice) from SourceRoot + "DADOS\PROGS.INI" and, for a
// program with variants, SourceRoot + "DADOS\MULTI.INI". Missing files, sections and keys give
// empty texts. Only an exhausted memory escapes it, leaving the fields set so far.
void ResolveSettings(InstallSettings& settings);

// A choice resolved as the installer resolves it, from the two files' contents as given; needs
// ProgramSection, VariantSuffix and ProgramFilesDir. Sets MultiSection, ProgramName,
// OriginPath, DestinationPath and Description, in that order, then expands DestinationPath
// (ExpandProgramFiles). The menu resolves what it lists with it.
void ResolveChoice(InstallSettings& settings, const SettingsSource& programs,
                   const SettingsSource& variants);

// A DestinationPath whose first 14 characters are exactly "%PROGRAMFILES%" gets
// ProgramFilesDir in their place; any other is left as it is. Raises nothing.
void ExpandProgramFiles(InstallSettings& settings);

}  // namespace cdinst
