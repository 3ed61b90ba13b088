#include "wine_run.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace cdinst::testing {

bool WineRunsEnabled() {
  const char* enabled = std::getenv("CDINST_WINE_TESTS");
  return enabled && std::string(enabled) == "1";
}

std::string MissingForWineRuns() {
  if (!std::filesystem::exists(CDINST_WINDOWS_PROGRAM)) return "no " CDINST_WINDOWS_PROGRAM;
  if (!std::getenv("DISPLAY")) return "no X display (run under xvfb-run)";
  return "";
}

std::string WineTemplatePrefix() {
  const std::string script = CDINST_SOURCE_DIR "/scripts/wine";
  if (RunCommand({script}, {}, "").exitCode != 0) {
    throw std::runtime_error("cannot make the Wine template prefix");
  }
  return CDINST_SOURCE_DIR "/build/wine/template";
}

std::map<std::string, std::string> WineEnvironment(const ScratchPrefix& prefix) {
  return {{"WINEPREFIX", prefix.PrefixDirectory()},
          {"WINEDEBUG", "-all"},
          {"WINEDLLOVERRIDES", "mscoree,mshtml="},
          {"LC_ALL", "C.UTF-8"}};
}

ProgramResult RunUnderWine(const ScratchPrefix& prefix, const std::vector<std::string>& parameters,
                           const std::map<std::string, std::string>& environment) {
  auto env = WineEnvironment(prefix);
  env.insert(environment.begin(), environment.end());
  const auto given = environment.find("CDINST_TRANSCRIPT");
  const std::string transcript =
      given != environment.end() ? given->second : prefix.Directory() + "/transcript.jsonl";
  std::string windowsTranscript = "Z:" + transcript;
  for (char& c : windowsTranscript) {
    if (c == '/') c = '\\';
  }
  env["CDINST_TRANSCRIPT"] = windowsTranscript;
  // A box nobody answers would wait for ever.
  std::vector<std::string> command{"timeout", "120", "wine", CDINST_WINDOWS_PROGRAM};
  command.insert(command.end(), parameters.begin(), parameters.end());
  return RunCommand(command, env, transcript);
}

void StopWine(const ScratchPrefix& prefix) {
  RunCommand({"wineserver", "--kill"}, WineEnvironment(prefix), "");
}

}  // namespace cdinst::testing
