#include "install/run_install.h"

#include <exception>
#include <memory>

#include "install/created_entries.h"
#include "install/destination_claim.h"
#include "install/destination_path.h"
#include "install/directory_tree_list.h"
#include "install/file_name_list.h"
#include "install/folder_hold.h"
#include "install/install_index.h"
#include "install/install_texts.h"
#include "install/tree_copy.h"
#include "platform/file_system.h"
#include "platform/host_window.h"
#include "platform/io_error.h"
#include "platform/notification.h"

namespace cdinst {
namespace {

// The box holds 255 characters; a longer question would show a cut destination.
constexpr size_t kLongestQuestion = 255;

// What one run holds from its first step to its cleanup.
struct Run {
  const InstallSettings& settings;
  HostWindow& host;
  std::unique_ptr<FileNameList> files;
  std::unique_ptr<DirectoryTreeList> tree;
};

void CreateListings(Run& run) {
  run.files = std::make_unique<FileNameList>(run.host);
  run.tree = std::make_unique<DirectoryTreeList>(run.host);
  run.tree->SetFileList(run.files.get());
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

void ReportFailure(HostWindow& host, const char* text) {
  SetBusyCursor(false);
  ShowNotice(host, text);
}

// A mask that cannot be applied yet leaves the list's mask as it is; the copy goes on.
void ApplyMask(FileNameList& files, const std::string& mask) {
  try {
    files.ChangeMask(mask);
  } catch (const std::exception&) {
  }
}

// A copy that ends part way leaves a tree that a retry would take as installed, since it passes
// over folders that exist: what this run made goes again, whichever way the copy ends, once the
// destination is let go.
bool CopyOrUndo(Run& run, const std::string& destination, CreatedEntries& created,
                std::optional<FolderHold>& held) {
  const InstallSettings& settings = run.settings;
  try {
    if (CopyTree(settings.SourceRoot + settings.OriginPath, destination, *run.tree,
                 settings.SourceRoot, created, held ? held->Identity() : std::nullopt)) {
      return true;
    }
  } catch (...) {
    held.reset();
    created.RemoveAll();
    throw;
  }
  held.reset();
  created.RemoveAll();
  return false;
}

void RunSteps(Run& run) {
  const InstallSettings& settings = run.settings;
  CreateListings(run);
  const ResolvedDestination destination = ResolveDestination(settings.DestinationPath);
  // Claimed before the question, so that a second run says so before anyone answers it.
  const DestinationClaim claim(destination.path);
  if (!claim.Held()) {
    return ShowNotice(run.host, texts::kInstallRunning + destination.path);
  }
  if (!Confirm(destination, run.host)) return;
  SetBusyCursor(true);
  EnableHostWindow(run.host, false);
  CreatedEntries created;
  std::optional<FolderHold> held;
  if (!CreateDestinationPath(destination.path, settings.SourceRoot, &created, &held)) {
    return ReportFailure(run.host, texts::kDirectoryError);
  }
  ApplyMask(*run.files, settings.FileMask);
  if (!CopyOrUndo(run, destination.path, created, held)) {
    return ReportFailure(run.host, texts::kCopyError);
  }
  if (!destination.systemDestination &&
      !RecordInstallation(settings.ProgramName, settings.Description, destination.path)) {
    return;
  }
  ShowNotice(run.host, texts::kCopyDone);
}

void Cleanup(Run& run) {
  SetBusyCursor(false);
  EnableHostWindow(run.host, true);
  run.files.reset();
  run.tree.reset();
  try {
    ChangeDirectory(run.settings.SourceRoot);
  } catch (const IoError&) {
  }
}

}  // namespace

void RunInstall(const InstallSettings& settings, HostWindow& host) {
  Run run{settings, host, nullptr, nullptr};
  try {
    RunSteps(run);
  } catch (...) {
    Cleanup(run);
    throw;
  }
  Cleanup(run);
}

}  // namespace cdinst
