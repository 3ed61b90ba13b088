// Directories the process entered and left for the one right above them, kept open for when it
// comes back: the tree copy enters each folder again and again, and opening it anew each time
// costs two calls. The rule of watched_directories.h keeps each valid: the folder above, held
// meanwhile, is watched, and any event that names the one left lets it go.
#pragma once

#include <sys/stat.h>

#include <string>

#include "winapi/posix/paths/held_directories.h"

namespace cdinst::posix {

// Keeps `left`, the entry `unixName` of the held directory `above`, which was just left for it.
void KeepLeftDirectory(const HeldDirectory& above, const std::string& unixName, HeldFd left);

// The directory kept as the entry `unixName` of the held directory whose status is `above`,
// while no event named it since it was left; null otherwise.
HeldFd LeftDirectory(const struct stat& above, const std::string& unixName);

}  // namespace cdinst::posix
