#include "install/destination_path.h"

#include <cstdint>

#include "install/created_entries.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"

namespace cdinst {
namespace {

// The scan position is an 8-bit number.
constexpr size_t kLongestPath = 255;
constexpr uint8_t kMostPasses = 255;

bool EndsWith(const std::string& text, char c) { return !text.empty() && text.back() == c; }

// Enters the parent of `prefix` and creates the last component there by its bare name. Any
// failure leaves the level missing; the copy into it reports that later. When the parent cannot
// be entered nothing is created, so a level is never made in whatever directory was current.
void CreateLevel(const std::string& prefix, CreatedEntries* created) {
  std::string parent = DirectoryPartOf(prefix);
  if (EndsWith(parent, '\\')) parent.pop_back();
  try {
    // "X:" alone would be drive X's current directory, not its root.
    ChangeDirectory(EndsWith(parent, ':') ? parent + "\\" : parent);
    if (created && !created->MayCreateIn(parent)) return;
    MakeDirectory(NamePartOf(prefix));
    if (created) created->AddDirectory(prefix);
  } catch (...) {
  }
}

// The 1-based place of the backslash that ends \\server\share\, 0 when there is none.
size_t ShareRootEnd(const std::string& path) {
  if (path.compare(0, 2, "\\\\") != 0) return 0;
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos || server == 2) return 0;
  const size_t share = path.find('\\', server + 1);
  if (share == std::string::npos || share == server + 1) return 0;
  return share + 1;
}

// Tests the part before each backslash in turn and creates it when missing. A pass that finds no
// further backslash tests the previous prefix again, until the pass counter runs out.
void CreateMissingLevels(const std::string& path, CreatedEntries* created) {
  uint8_t position = 0;  // 1-based place of the backslash that ends the prefix
  uint8_t passes = kMostPasses;
  std::string prefix;
  // A share is the root of its path, as a drive is; its parts, or a path naming no share, would
  // be made in the current drive's root.
  if (path.compare(0, 2, "\\\\") == 0) {
    position = static_cast<uint8_t>(ShareRootEnd(path));
    if (position == 0 || path.find('\\', position) == std::string::npos) return;
  }
  for (;;) {
    const size_t next = path.find('\\', position);
    if (next != std::string::npos) position = static_cast<uint8_t>(next + 1);
    if (position != 0) prefix = path.substr(0, position - 1);
    if (EndsWith(prefix, ':')) {  // a drive is neither tested nor created, nor counted
      if (path.find('\\', position) == std::string::npos) return;
      continue;
    }
    if (!DirectoryIsPresent(prefix)) CreateLevel(prefix, created);
    if (path.size() <= position) return;
    if (--passes == 0) return;
  }
}

void ReturnToSourceRoot(const std::string& sourceRoot) {
  try {
    ChangeDirectory(sourceRoot.substr(0, sourceRoot.empty() ? 0 : sourceRoot.size() - 1));
  } catch (...) {
  }
}

bool IsDirectoryNow(const std::string& destination) {
  std::string directory = destination;
  if (EndsWith(directory, '\\')) directory.pop_back();
  if (EndsWith(directory, ':')) directory += '\\';  // the drive's root, not its current directory
  return DirectoryIsPresent(directory);
}

}  // namespace

// The walk passes over failed levels; the result is checked once at the end, so that the run
// can report a destination that could not be made instead of failing in the copy.
bool CreateDestinationPath(const std::string& destination, const std::string& sourceRoot,
                           CreatedEntries* created) {
  if (destination.size() > kLongestPath) return false;
  CreateMissingLevels(destination, created);
  ReturnToSourceRoot(sourceRoot);
  return IsDirectoryNow(destination);
}

ResolvedDestination ResolveDestination(const std::string& destinationPath) {
  ResolvedDestination destination{destinationPath, false};
  if (destinationPath == "/FONTS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
    destination.path = WithTrailingBackslash(destination.path) + "FONTS\\";
  } else if (destinationPath == "/SYSTEM") {
    destination.systemDestination = true;
    if (auto system = QuerySystemDirectory()) destination.path = *system;
  } else if (destinationPath == "/WINDOWS") {
    destination.systemDestination = true;
    if (auto windows = QueryWindowsDirectory()) destination.path = *windows;
  }
  destination.path = WithTrailingBackslash(destination.path);
  return destination;
}

}  // namespace cdinst
