#include "menu/private_drive.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "menu/installer_run.h"
#include "menu/menu_error.h"
#include "menu/stop_request.h"

namespace cdinst::menu {
namespace {

namespace fs = std::filesystem;

// A directory without write permission keeps its entries from removal.
void AllowRemoval(const fs::path& directory) {
  std::error_code ignored;
  fs::permissions(directory, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::directory_iterator it(directory, ignored), end; !ignored && it != end;
       it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) AllowRemoval(it->path());
  }
}

}  // namespace

std::string PrivateDriveParent() {
  for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "/tmp";
}

// mkdtemp makes it 0700, so no other user can see or change the laid-out disc.
PrivateDrive::PrivateDrive() {
  std::string pattern = PrivateDriveParent() + "/cdinst-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    throw MenuError(kMediumUnreadable, "cannot make a directory in " + PrivateDriveParent() + ": " +
                                           std::strerror(errno));
  }
  directory_ = name.data();
}

PrivateDrive::~PrivateDrive() {
  AllowRemoval(directory_);
  std::error_code ignored;
  fs::remove_all(directory_, ignored);
}

int RunOverPrivateDrive(const std::function<void(const std::string& directory)>& layOut,
                        const std::vector<std::string>& parameters) {
  // Caught before the directory exists, so that no signal leaves it behind.
  const StopRequests stops;
  const PrivateDrive drive;
  layOut(drive.Directory());
  if (stops.Signal() != 0) return 128 + stops.Signal();
  const int result = RunInstaller(parameters, {"CDINST_DRIVE_D=" + drive.Directory()});
  return stops.Signal() != 0 ? 128 + stops.Signal() : result;
}

}  // namespace cdinst::menu
