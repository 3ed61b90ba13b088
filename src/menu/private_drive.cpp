#include "menu/private_drive.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "menu/menu_error.h"

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

}  // namespace cdinst::menu
