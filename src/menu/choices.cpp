#include "menu/choices.h"

#include "codepage/windows1252.h"
#include "install/destination.h"
#include "menu/menu_error.h"
#include "platform/file_system.h"
#include "startup/resolve_settings.h"
#include "startup/settings_file.h"
#include "winapi/winapi.h"

namespace cdinst::menu {
namespace {

// The medium's own menu passes this for a program without variants; the installer ignores it.
constexpr char kPlainSuffix[] = "1";

Choice Resolve(const std::string& root, const std::string& section, const std::string& suffix) {
  InstallSettings settings;
  settings.SourceRoot = root;
  settings.ProgramSection = section;
  settings.VariantSuffix = suffix;
  ResolveSettings(settings);
  ExpandProgramFiles(settings);
  return {section,
          suffix,
          !settings.MultiSection.empty(),
          settings.ProgramName,
          settings.Description,
          ResolveDestination(settings.DestinationPath).path};
}

bool HasStem(const std::string& key, const std::string& stem) {
  return key.size() >= stem.size() && SameTextIgnoringCase(key.substr(0, stem.size()), stem);
}

// The suffixes of the group's "Nome" keys. An empty one, or one holding a double quote, cannot
// be passed on a command line.
std::vector<std::string> VariantSuffixes(const std::string& root, const std::string& group) {
  std::vector<std::string> suffixes;
  for (const std::string& key : SettingsFile(root + kVariantsFile).ReadKeyNames(group)) {
    if (!HasStem(key, "Nome")) continue;
    const std::string suffix = key.substr(4);
    if (suffix.empty() || suffix.find('"') != std::string::npos) continue;
    bool seen = false;
    for (const std::string& other : suffixes) seen = seen || SameTextIgnoringCase(other, suffix);
    if (!seen) suffixes.push_back(suffix);
  }
  return suffixes;
}

std::string Quoted(const std::string& text) { return "\"" + Windows1252ToUtf8(text) + "\""; }

}  // namespace

bool HasProgramList(const std::string& windowsRoot) {
  const int32_t attributes = ReadFileAttributes(windowsRoot + kProgramsFile);
  return attributes != -1 && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<Choice> ListChoices(const std::string& windowsRoot) {
  std::vector<Choice> choices;
  const SettingsFile programs(windowsRoot + kProgramsFile);
  for (const std::string& section : programs.ReadSectionNames()) {
    const std::string group = programs.ReadSettingText(section, "Multi", "");
    if (group.empty()) {
      choices.push_back(Resolve(windowsRoot, section, kPlainSuffix));
      continue;
    }
    for (const std::string& suffix : VariantSuffixes(windowsRoot, group)) {
      choices.push_back(Resolve(windowsRoot, section, suffix));
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
  if (!known) throw MenuError(kUnknownChoice, "no program " + Quoted(section) + " on the medium");
  const std::string which = suffix ? " has no variant " + Quoted(*suffix) : " has variants";
  throw MenuError(kUnknownChoice,
                  "the program " + Quoted(section) + which + "; name one of:" + knownSuffixes);
}

}  // namespace cdinst::menu
