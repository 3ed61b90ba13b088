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

DestinationClaim::DestinationClaim(const std::string& destination) {
  if (destination.empty()) return;
  mutex_ = CreateMutexA(nullptr, FALSE, ClaimName(destination).c_str());
  held_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

DestinationClaim::~DestinationClaim() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

}  // namespace cdinst
