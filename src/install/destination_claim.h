// A run's claim on its destination, so that two runs never copy into one destination at once:
// one's clean-up would take away what the other installed, and both would report it done.
#pragma once

#include <string>

#include "platform/owned_handle.h"

namespace cdinst {

// Held for its lifetime, as a named mutex that the system lets go when the process ends however
// it ends. The destination's text names it, letter case aside.
class DestinationClaim {
 public:
  explicit DestinationClaim(const std::string& destination);

  // False when another run holds the destination. A system that cannot name the claim lets the
  // run go on, as before there were claims.
  bool Held() const { return held_; }

 private:
  OwnedHandle mutex_;
  bool held_ = true;
};

}  // namespace cdinst
