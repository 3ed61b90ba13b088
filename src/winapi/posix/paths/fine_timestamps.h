// Where a directory's times tell every change to it apart, which the listing cache rests on.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::posix {

// True when a change to `unixDirectory` made after a stat(2) of it always gets new times: the
// running kernel stamps such a change finely (Linux 6.13 and later, checked once), and the
// directory is on ext4, xfs, btrfs or tmpfs, whose every change that kernel stamps.
bool StampsEveryChange(const std::string& unixDirectory);

// Whether a kernel whose release (as uname(2) gives it, e.g. "6.13.2-arch1-1") is `release`
// stamps a change that follows a stat finely. False for a release it cannot read.
bool StampsFinely(std::string_view release);

}  // namespace cdinst::posix
