#include "menu/choices.h"

#include "codepage/windows1252.h"
#include "install/destination_path.h"
#include "menu/menu_error.h"
#include "settings/program_files_dir.h"
#include "settings/resolve_settings.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::menu {
namespace {

// The medium's own menu passes this for a program without variants; the installer ignores it.
constexpr char kPlainSuffix[] = "1";

// What every choice of one medium is resolved from.
struct Sources {
  const std::string& root;
  const MediumSettings& settings;
  std::string programFilesDir;
};

Choice Resolve(const Sources& sources, const std::string& section, const std::string& suffix) {
  InstallSettings settings;
  settings.SourceRoot = sources.root;
  settings.ProgramSection = section;
  settings.VariantSuffix = suffix;
  settings.ProgramFilesDir = sources.programFilesDir;
  ResolveChoice(settings, sources.settings.programs, sources.settings.variants);
  return {section,
          suffix,
          !settings.MultiSection.empty(),
          settings.ProgramName,
          settings.Description,
          ResolveDestination(settings.DestinationPath).path,
          settings.OriginPath};
}

bool HasStem(const std::string& key, std::string_view stem) {
  return key.size() >= stem.size() && SameTextIgnoringCase(key.substr(0, stem.size()), stem);
}

// The suffixes of the group's name keys; an empty one would leave cdinst one parameter short.
std::vector<std::string> VariantSuffixes(const SettingsSource& variants, const std::string& group) {
  std::vector<std::string> suffixes;
  for (const std::string& key : variants.ReadKeyNames(group)) {
    if (!HasStem(key, kNameKey)) continue;
    const std::string suffix = key.substr(kNameKey.size());
    if (suffix.empty()) continue;
    bool seen = false;
    for (const std::string& other : suffixes) seen = seen || SameTextIgnoringCase(other, suffix);
    if (!seen) suffixes.push_back(suffix);
  }
  return suffixes;
}

std::string Quoted(const std::string& text) { return "\"" + Windows1252ToUtf8(text) + "\""; }

}  // namespace

std::vector<Choice> ListChoices(const std::string& windowsRoot, const MediumSettings& settings) {
  const Sources sources{windowsRoot, settings, ReadProgramFilesDir()};
  std::vector<Choice> choices;
  for (const std::string& section : settings.programs.ReadSectionNames()) {
    const std::string group =
        settings.programs.ReadSettingText(section, std::string(kGroupKey), "");
    if (group.empty()) {
      choices.push_back(Resolve(sources, section, kPlainSuffix));
      continue;
    }
    for (const std::string& suffix : VariantSuffixes(settings.variants, group)) {
      choices.push_back(Resolve(sources, section, suffix));
    }
  }
  return choices;
}

Choice FindChoice(const std::vector<Choice>& choices, const std::string& section,
                  const std::optional<std::string>& suffix) {
  bool known = false;
  std::string knownSuffixes;
  std::vector<const Choice*> variants;
  for (const Choice& choice : choices) {
    if (!SameTextIgnoringCase(choice.section, section)) continue;
    known = true;
    knownSuffixes += " " + Quoted(choice.suffix);
    if (!choice.variant) {
      Choice plain = choice;
      if (suffix) plain.suffix = *suffix;
      return plain;
    }
    if (!suffix || SameTextIgnoringCase(choice.suffix, *suffix)) variants.push_back(&choice);
  }
  if (variants.size() == 1) return *variants.front();
  if (!known) {
    throw MenuError(kUnknownChoice,
                    Filled(Translated("no program {1} on the medium"), {Quoted(section)}));
  }
  if (!suffix) {
    throw MenuError(kUnknownChoice,
                    Filled(Translated("the program {1} has variants; name one of:{2}"),
                           {Quoted(section), knownSuffixes}));
  }
  throw MenuError(kUnknownChoice,
                  Filled(Translated("the program {1} has no variant {2}; name one of:{3}"),
                         {Quoted(section), Quoted(*suffix), knownSuffixes}));
}

}  // namespace cdinst::menu
