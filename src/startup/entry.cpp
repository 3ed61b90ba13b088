#include "startup/entry.h"

#include <exception>

#include "install/run_install.h"
#include "platform/application.h"
#include "platform/host_window.h"
#include "settings/resolve_settings.h"
#include "startup/command_line.h"

namespace cdinst {
namespace {

constexpr int kParameterCount = 5;

// An error here is not reported: the run goes on with what was resolved.
void ResolveSettingsQuietly(InstallSettings& settings) {
  try {
    ResolveSettings(settings);
  } catch (const std::exception&) {
    RequestQuit();
  }
}

}  // namespace

void RunEntry() {
  if (CountParameters() != kParameterCount) return;
  HostWindow& host = CreateHostWindow();
  InstallSettings settings;
  settings.AppTitle = GetParameter(1);
  SetApplicationTitle(settings.AppTitle);
  settings.SourceRoot = GetParameter(2);
  settings.ProgramSection = GetParameter(3);
  settings.VariantSuffix = GetParameter(4);
  ResolveSettingsQuietly(settings);
  settings.FileMask = GetParameter(5);
  RunInstall(settings, host);
  ReleaseHostWindow(host);
}

}  // namespace cdinst
