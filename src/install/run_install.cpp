#include "install/run_install.h"

#include "install/destination.h"
#include "install/install_texts.h"
#include "platform/file_system.h"
#include "platform/host_window.h"
#include "platform/io_error.h"
#include "platform/notification.h"

namespace cdinst {
namespace {

// The box holds 255 characters; a longer question would show a cut destination.
constexpr size_t kLongestQuestion = 255;

void Cleanup(const InstallSettings& settings, HostWindow& host) {
  SetBusyCursor(false);
  EnableHostWindow(host, true);
  try {
    ChangeDirectory(settings.SourceRoot);
  } catch (const IoError&) {
  }
}

// False when the user said No, or when there is nothing sound to confirm.
bool Confirm(const ResolvedDestination& destination, HostWindow& host) {
  if (destination.path.empty()) {
    ShowNotice(host, texts::kNoDestination);
    return false;
  }
  const std::string question = texts::kReadyToCopy + destination.path;
  if (question.size() > kLongestQuestion) {
    ShowNotice(host, texts::kDestinationTooLong);
    return false;
  }
  return AskYesNo(host, question);
}

void RunSteps(const InstallSettings& settings, HostWindow& host) {
  const ResolvedDestination destination = ResolveDestination(settings.DestinationPath);
  if (!Confirm(destination, host)) return;
  SetBusyCursor(true);
  EnableHostWindow(host, false);
}

}  // namespace

void RunInstall(const InstallSettings& settings, HostWindow& host) {
  try {
    RunSteps(settings, host);
  } catch (...) {
    Cleanup(settings, host);
    throw;
  }
  Cleanup(settings, host);
}

}  // namespace cdinst
