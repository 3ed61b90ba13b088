#include "menu/installer_run.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "codepage/windows1252.h"
#include "menu/stop_request.h"
#include "settings/install_settings.h"
#include "settings/parameter_text.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
#include "winapi/posix/command_line.h"

extern char** environ;

namespace cdinst::menu {
namespace {

constexpr char kInstaller[] = "cdinst";
constexpr int kNotStarted = 127;

// The installer built beside this program is the one that matches it.
std::string SiblingInstaller() {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return {};
  const std::string path(self, length);
  const std::string sibling = path.substr(0, path.rfind('/') + 1) + kInstaller;
  return access(sibling.c_str(), X_OK) == 0 ? sibling : std::string();
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// Every entry, the added ones replacing those of the same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& added) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    bool replaced = false;
    for (const std::string& other : added) replaced = replaced || NameOf(other) == NameOf(*entry);
    if (!replaced) entries.emplace_back(*entry);
  }
  entries.insert(entries.end(), added.begin(), added.end());
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Whether cdinst gets `utf8` as it is: the command line the Linux cdinst builds of its arguments,
// split as cdinst splits its own.
bool PassesIntact(const std::string& utf8) {
  const std::string line = posix::WindowsCommandLine({kInstaller, utf8});
  return CountParametersIn(line) == 1 && Windows1252ToUtf8(ParameterIn(line, 1)) == utf8;
}

}  // namespace

int RunInstaller(const std::vector<std::string>& parameters,
                 const std::vector<std::string>& environment) {
  const std::string sibling = SiblingInstaller();
  std::vector<std::string> arguments{sibling.empty() ? kInstaller : sibling};
  arguments.insert(arguments.end(), parameters.begin(), parameters.end());
  std::vector<char*> argv = Pointers(arguments);
  std::vector<std::string> variables = ChildEnvironment(environment);
  std::vector<char*> envp = Pointers(variables);
  std::fflush(stdout);
  StopRequests stops;
  pid_t child;
  const int failed =
      sibling.empty()
          ? posix_spawnp(&child, kInstaller, nullptr, nullptr, argv.data(), envp.data())
          : posix_spawn(&child, sibling.c_str(), nullptr, nullptr, argv.data(), envp.data());
  if (failed) {
    const std::string message = Filled(Translated("cannot start {1}: {2}"),
                                       {TerminalText(arguments[0]), std::strerror(failed)});
    std::fprintf(stderr, "cdinst-menu: %s\n", message.c_str());
    return kNotStarted;
  }
  stops.PassTo(child);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (stops.Signal() != 0) return 128 + stops.Signal();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string PassableTitle(const std::string& title) {
  std::string windows = Utf8ToWindows1252(title);
  std::replace(windows.begin(), windows.end(), '"', '\'');
  if (windows.size() > kMaxParameterLength) windows.resize(kMaxParameterLength);
  return windows.empty() ? "?" : Windows1252ToUtf8(windows);
}

std::optional<std::string> WhyNotPassable(const std::string& utf8) {
  if (PassesIntact(utf8)) return std::nullopt;
  const std::string windows = Utf8ToWindows1252(utf8);
  if (Windows1252ToUtf8(windows) != utf8) {
    return Translated("it holds a character with no Windows-1252 form");
  }
  // The split skips an empty parameter, shifting the ones after it.
  if (windows.empty()) return Translated("it is empty");
  // Quotes only group: a doubled one is dropped, and no escape brings it through.
  if (windows.find('"') != std::string::npos) return Translated("it holds a double quote");
  if (windows.size() > kMaxParameterLength) {
    return Filled(TranslatedPlural("it is longer than {1} character",
                                   "it is longer than {1} characters", kMaxParameterLength),
                  {std::to_string(kMaxParameterLength)});
  }
  return Translated("it would not reach cdinst as it is");
}

}  // namespace cdinst::menu
