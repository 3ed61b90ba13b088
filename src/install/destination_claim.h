// A run's claim on its destination, so that two runs never copy into one destination at once:
// one's clean-up would take away what the other installed, and both would report it done.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst {

// Held for its lifetime, as a named mutex that the system lets go when the process ends however
// it ends. The destination's text names it, letter case aside.
class DestinationClaim {
 public:
  explicit DestinationClaim(const std::string& destination);
  ~DestinationClaim();
  DestinationClaim(const DestinationClaim&) = delete;
  DestinationClaim& operator=(const DestinationClaim&) = delete;

  // False when another run holds the destination. A system that cannot name the claim lets the
  // run go on, as before there were claims.
  bool Held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = true;
};

}  // namespace cdinst
