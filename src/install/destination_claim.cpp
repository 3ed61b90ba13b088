#include "install/destination_claim.h"

#include <algorithm>

namespace cdinst {
namespace {

// A kernel object's name may not hold a backslash, and is at most MAX_PATH long.
std::string ClaimName(std::string destination) {
  CharLowerBuffA(destination.data(), static_cast<DWORD>(destination.size()));
  std::replace(destination.begin(), destination.end(), '\\', '/');
  return ("cdinst destination " + destination).substr(0, MAX_PATH - 1);
}

}  // namespace

// A destination-less run claims nothing.
DestinationClaim::DestinationClaim(const std::string& destination)
    : mutex_(destination.empty() ? nullptr
                                 : CreateMutexA(nullptr, FALSE, ClaimName(destination).c_str())) {
  held_ = !mutex_.Valid() || GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace cdinst
