#include "install/destination.h"

#include "platform/file_system.h"
#include "platform/path_parts.h"

namespace cdinst {

ResolvedDestination ResolveDestination(const std::string& destinationPath) {
  ResolvedDestination destination{destinationPath, false};
  if (destinationPath == "/FONTS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
    destination.path = WithTrailingBackslash(destination.path) + "FONTS\\";
  } else if (destinationPath == "/SYSTEM") {
    destination.systemDestination = true;
    if (auto system = QuerySystemDirectory()) destination.path = *system;
  } else if (destinationPath == "/WINDOWS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
  }
  destination.path = WithTrailingBackslash(destination.path);
  return destination;
}

}  // namespace cdinst
