// The Unix paths the resolution gives for the *at calls. A path through a held directory is
// "/proc/self/fd/<n>/<rest>" (held_directories.h), which every call can take; the *at calls take
// it as <rest> relative to descriptor n, which the kernel resolves the same way without the
// walk through /proc.
#pragma once

#include <string>

namespace cdinst::posix {

struct AtPath {
  int base;          // a descriptor, or AT_FDCWD
  const char* path;  // into the string At() was given, which must outlive it

  // True when the path is the descriptor's own directory, which At() gives as ".".
  bool NamesBase() const;
};

AtPath At(const std::string& unixPath);

}  // namespace cdinst::posix
