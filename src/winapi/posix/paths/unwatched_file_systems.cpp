#include <cstdlib>

#include "winapi/posix/paths/watched_directories.h"

namespace cdinst::posix {

bool EveryFileSystemUnwatched() {
  static const bool unwatched = std::getenv("CDINST_UNWATCHED") != nullptr;
  return unwatched;
}

}  // namespace cdinst::posix
