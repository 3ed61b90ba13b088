#include "install/destination_path.h"

#include <cstdint>

#include "install/created_entries.h"
#include "install/folder_hold.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"

namespace cdinst {
namespace {

// The scan position is an 8-bit number.
constexpr size_t kLongestPath = 255;
constexpr uint8_t kMostPasses = 255;

bool EndsInColon(const std::string& text) { return !text.empty() && text.back() == ':'; }

// `path` without its trailing backslash, as a directory to enter or test: "X:" alone would be
// drive X's current directory, so a drive stays its root.
std::string AsDirectory(const std::string& path) {
  const std::string directory = WithoutTrailingBackslash(path);
  return EndsInColon(directory) ? directory + '\\' : directory;
}

// Enters the parent of `prefix` and creates the last component there by its bare name. Any
// failure leaves the level missing; the copy into it reports that later. When the parent cannot
// be entered nothing is created, so a level is never made in whatever directory was current.
// The level made is held until the next one is made in it: a parent this run made is entered
// through its hold.
void CreateLevel(const std::string& prefix, CreatedEntries* created,
                 std::optional<FolderHold>& made) {
  const std::string parent = AsDirectory(DirectoryPartOf(prefix));
  try {
    ChangeDirectory(parent);
    MakeDirectory(NamePartOf(prefix));
    made.emplace(prefix);
    if (created) created->AddDirectory(prefix, made->Identity());
  } catch (...) {
  }
}

// Tests the part before each backslash in turn and creates it when missing. A pass that finds no
// further backslash tests the previous prefix again, until the pass counter runs out.
void CreateMissingLevels(const std::string& path, CreatedEntries* created,
                         std::optional<FolderHold>& made) {
  uint8_t position = 0;  // 1-based place of the backslash that ends the prefix
  uint8_t passes = kMostPasses;
  std::string prefix;
  // A share is the root of its path, as a drive is; its parts, or a path naming no share, would
  // be made in the current drive's root.
  if (IsNetworkPath(path)) {
    position = static_cast<uint8_t>(ShareRootLength(path));
    if (position == 0 || path.find('\\', position) == std::string::npos) return;
  }
  for (;;) {
    const size_t next = path.find('\\', position);
    if (next != std::string::npos) position = static_cast<uint8_t>(next + 1);
    if (position != 0) prefix = path.substr(0, position - 1);
    if (EndsInColon(prefix)) {  // a drive is neither tested nor created, nor counted
      if (path.find('\\', position) == std::string::npos) return;
      continue;
    }
    if (!DirectoryIsPresent(prefix)) CreateLevel(prefix, created, made);
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

}  // namespace

// The walk passes over failed levels; the result is checked once at the end, so that the run
// can report a destination that could not be made instead of failing in the copy.
bool CreateDestinationPath(const std::string& destination, const std::string& sourceRoot,
                           CreatedEntries* created, std::optional<FolderHold>* held) {
  if (destination.size() > kLongestPath) return false;
  {
    std::optional<FolderHold> made;
    CreateMissingLevels(destination, created, made);
    if (held) held->emplace(AsDirectory(destination));
  }
  ReturnToSourceRoot(sourceRoot);
  return DirectoryIsPresent(AsDirectory(destination));
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
