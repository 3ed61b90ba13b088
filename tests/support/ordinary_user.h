// Linux tests of permissions: root may enter and list any directory, so where the tests run as
// root, what is tried runs as an ordinary user instead.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace cdinst::testing {

inline constexpr uid_t kOrdinaryUser = 65534;  // nobody

// Gives `directory` and everything in it to kOrdinaryUser, user and group. False when that fails.
inline bool GiveToOrdinaryUser(const std::string& directory) {
  for (const auto& item : std::filesystem::recursive_directory_iterator(directory)) {
    if (lchown(item.path().c_str(), kOrdinaryUser, kOrdinaryUser) != 0) return false;
  }
  return lchown(directory.c_str(), kOrdinaryUser, kOrdinaryUser) == 0;
}

}  // namespace cdinst::testing
