// Telling whether a path reaches a file that is already open, whatever spelling, letter case
// or drive mapping the path uses.
#pragma once

#include "winapi/winapi.h"

namespace cdinst {

enum class PathTarget {
  kOtherFile,  // no existing file, or one with another identity
  kSameFile,   // the very file described by `open`
  kUndecided,  // the path opened but its identity could not be read
};

// Compares the volume serial number and file index of the file `path` names with those of
// `open` (from GetFileInformationByHandle). The path is opened without any access, so no share
// mode refuses it and nothing in the file changes; it is closed again before returning.
PathTarget WhatPathReaches(const char* path, const BY_HANDLE_FILE_INFORMATION& open);

}  // namespace cdinst
