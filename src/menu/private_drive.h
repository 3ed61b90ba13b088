// The private directory a disc image is laid out in, and the one run of the installer over it.
#pragma once

#include <functional>
#include <string>
#include <vector>

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

// Makes a PrivateDrive, lets `layOut` fill it, and runs cdinst with `parameters` and
// CDINST_DRIVE_D naming it. Gives cdinst's result (see RunInstaller), or 128 + the signal when
// Ctrl-C, SIGTERM or SIGHUP came meanwhile: cdinst is then waited for and the directory removed
// first. What `layOut` raises passes through, after the removal.
int RunOverPrivateDrive(const std::function<void(const std::string& directory)>& layOut,
                        const std::vector<std::string>& parameters);

}  // namespace cdinst::menu
