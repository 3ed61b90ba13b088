// Where an install run copies to: the configured destination, or the system directory that
// a special name ("/FONTS", "/SYSTEM", "/WINDOWS", in exactly that letter case) stands for.
#pragma once

#include <string>

namespace cdinst {

struct ResolvedDestination {
  std::string path;  // ends in a backslash, unless the configured destination was empty
  bool systemDestination = false;  // a special name: the index file is not touched
};

// A failed directory query leaves the destination as it was before the query.
ResolvedDestination ResolveDestination(const std::string& destinationPath);

}  // namespace cdinst
