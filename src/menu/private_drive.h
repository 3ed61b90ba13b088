// The private directory a disc image is laid out in for one run of the installer.
#pragma once

#include <string>

namespace cdinst::menu {

class PrivateDrive {
 public:
  // Makes cdinst-XXXXXX, mode 0700, under $XDG_RUNTIME_DIR, else $TMPDIR, else /tmp. Raises
  // MenuError (kMediumUnreadable) when it cannot.
  PrivateDrive();
  // Removes the directory and all in it, read-only entries included.
  ~PrivateDrive();
  PrivateDrive(const PrivateDrive&) = delete;
  PrivateDrive& operator=(const PrivateDrive&) = delete;

  const std::string& Directory() const { return directory_; }

 private:
  std::string directory_;
};

// Where PrivateDrive makes its directory.
std::string PrivateDriveParent();

}  // namespace cdinst::menu
