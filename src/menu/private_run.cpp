#include "menu/private_run.h"

#include "menu/installer_run.h"
#include "menu/private_drive.h"
#include "menu/stop_request.h"

namespace cdinst::menu {

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
