// cdinst-menu: lists what a medium offers and starts the installer for the program chosen,
// with the five parameters a medium's menu program passes.
//
//   cdinst-menu <medium>                     pick on the terminal (a directory, a drive or an
//                                            image file)
//   cdinst-menu --list <medium>              the choices for scripts
//   cdinst-menu <medium> <section> [variant] install that choice
#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "codepage/windows1252.h"
#include "menu/choices.h"
#include "menu/image_medium.h"
#include "menu/installer_run.h"
#include "menu/medium.h"
#include "menu/medium_settings.h"
#include "menu/menu_error.h"
#include "menu/menu_prompt.h"
#include "menu/mounted_disc.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::menu {
namespace {

constexpr char kFileMask[] = "*.*";

struct Request {
  bool list = false;
  std::string medium;
  std::optional<std::string> section;  // UTF-8, as typed
  std::optional<std::string> suffix;
};

Request ParseArguments(const std::vector<std::string>& arguments) {
  if (arguments.size() == 2 && arguments[0] == "--list") {
    return {true, arguments[1], std::nullopt, std::nullopt};
  }
  bool options = false;
  for (const std::string& argument : arguments) options = options || argument.rfind("--", 0) == 0;
  if (options || arguments.empty() || arguments.size() > 3) {
    throw MenuError(kUsage, Translated("usage: cdinst-menu <medium> | --list <medium> | "
                                       "<medium> <section> [variant]"));
  }
  Request request;
  request.medium = arguments[0];
  if (arguments.size() > 1) request.section = arguments[1];
  if (arguments.size() > 2) request.suffix = arguments[2];
  return request;
}

// A name the list cannot show as it is (a control character, no Windows-1252 form) is picked
// from the menu by its number instead.
std::string TypedName(const std::string& utf8) {
  if (!IsShownForm(utf8)) {
    throw MenuError(kUnknownChoice,
                    Filled(Translated("no choice is named \"{1}\" as the menu lists names; pick "
                                      "it from the menu"),
                           {utf8}));
  }
  return Utf8ToWindows1252(utf8);
}

std::optional<Choice> ChosenProgram(const Request& request, const std::vector<Choice>& choices,
                                    const std::string& title) {
  if (request.section) {
    const std::optional<std::string> suffix =
        request.suffix ? std::optional(TypedName(*request.suffix)) : std::nullopt;
    return FindChoice(choices, TypedName(*request.section), suffix);
  }
  const std::optional<size_t> picked = PickChoice(choices, title);
  if (!picked) return std::nullopt;
  return choices[*picked];
}

// Refused before cdinst starts: it would install another choice, or nothing.
void RequirePassable(const std::vector<std::string>& parameters) {
  static const char* const kRoles[] = {
      MarkedForTranslation("the title"), MarkedForTranslation("the medium root"),
      MarkedForTranslation("the section"), MarkedForTranslation("the variant"),
      MarkedForTranslation("the file mask")};
  for (size_t i = 0; i < parameters.size(); ++i) {
    if (const std::optional<std::string> why = WhyNotPassable(parameters[i])) {
      throw MenuError(kUnknownChoice, Filled(Translated("cannot pass {1} \"{2}\" to cdinst: {3}"),
                                             {Translated(kRoles[i]), parameters[i], *why}));
    }
  }
}

using Install = std::function<int(const std::vector<std::string>& parameters)>;

// Lists the choices, or installs the one asked for or picked, with `install`.
int Offer(const Request& request, const std::vector<Choice>& choices, const std::string& title,
          const std::string& windowsRoot, const Install& install) {
  if (request.list) {
    PrintChoiceList(choices);
    return kSuccess;
  }
  const std::optional<Choice> choice = ChosenProgram(request, choices, title);
  if (!choice) return kSuccess;
  const std::vector<std::string> parameters{PassableTitle(title), Windows1252ToUtf8(windowsRoot),
                                            Windows1252ToUtf8(choice->section),
                                            Windows1252ToUtf8(choice->suffix), kFileMask};
  RequirePassable(parameters);
  return install(parameters);
}

int RunFromImage(const Request& request, const ImageMedium& image) {
  const std::vector<Choice> choices = ListChoices(kImageRoot, image.settings);
  return Offer(request, choices, image.title, kImageRoot,
               [&image](const std::vector<std::string>& parameters) {
                 return InstallFromImage(image, parameters);
               });
}

int Run(const std::vector<std::string>& arguments) {
  const Request request = ParseArguments(arguments);
  if (IsImageFile(request.medium)) return RunFromImage(request, OpenImageMedium(request.medium));
  // A mounted disc is read through its image, whatever Windows path could name its mount point.
  if (const std::optional<ImageMedium> disc = OpenMountedDisc(MediumDirectory(request.medium))) {
    return RunFromImage(request, *disc);
  }
  const Medium medium = FindMedium(request.medium);
  const std::vector<Choice> choices = ListChoices(medium.windowsRoot, ReadMediumSettings(medium));
  return Offer(request, choices, MediumTitle(medium), medium.windowsRoot,
               [](const std::vector<std::string>& parameters) { return RunInstaller(parameters); });
}

}  // namespace
}  // namespace cdinst::menu

int main(int argc, char** argv) {
  using namespace cdinst::menu;
  cdinst::StartTranslation();
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const MenuError& error) {
    std::fprintf(stderr, "cdinst-menu: %s\n", cdinst::TerminalText(error.what()).c_str());
    return error.Code();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "cdinst-menu: %s\n", cdinst::Translated("out of memory"));
    return kUnforeseen;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cdinst-menu: %s\n", cdinst::TerminalText(error.what()).c_str());
    return kUnforeseen;
  }
}
