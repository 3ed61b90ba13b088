#include "install/destination.h"

#include "platform/file_system.h"

namespace cdinst {
namespace {

void AppendBackslashIfMissing(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

}  // namespace

ResolvedDestination ResolveDestination(const std::string& destinationPath) {
  ResolvedDestination destination{destinationPath, false};
  if (destinationPath == "/FONTS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
    AppendBackslashIfMissing(destination.path);
    destination.path += "FONTS\\";
  } else if (destinationPath == "/SYSTEM") {
    destination.systemDestination = true;
    if (auto system = QuerySystemDirectory()) destination.path = *system;
  } else if (destinationPath == "/WINDOWS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
  }
  AppendBackslashIfMissing(destination.path);
  return destination;
}

}  // namespace cdinst
