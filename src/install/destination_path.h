// Where an install run copies to, and making every directory level of it exist before the copy.
#pragma once

#include <optional>
#include <string>

namespace cdinst {

class CreatedEntries;
class FolderHold;

struct ResolvedDestination {
  std::string path;  // ends in a backslash, unless the configured destination was empty
  bool systemDestination = false;  // a special name: the index file is not touched
};

// The configured destination, or the system directory that a special name ("/FONTS",
// "/SYSTEM", "/WINDOWS", in exactly that letter case) stands for. A failed directory query
// leaves the destination as it was before the query.
ResolvedDestination ResolveDestination(const std::string& destinationPath);

// Walks `destination` (drive letter, colon, backslash, or \\server\share\, then components each
// ending in a backslash, e.g. C:\AP\PROG\) from left to right and creates each missing level by
// its bare name inside its parent, entering a drive-root parent as "X:\". A level that cannot be
// created (a file in the way, no rights) is passed over silently, and nothing below it is
// created; the drive prefix or share is never tested or created, nor is text after the last
// backslash, and a path beginning with \\ that names no share creates nothing. Leaves the
// current directory at `sourceRoot` without its last character (for D:\ the bare drive D:),
// or where the walk left it when that change fails; raises nothing. Returns true when the
// destination (without its trailing backslash; a drive root as it is) then is a directory,
// false otherwise, and false without creating anything when `destination` is longer than
// 255 characters. Each level it creates is added to `created`, when given; `held`, when given,
// holds the destination from before the levels made are let go (folder_hold.h).
bool CreateDestinationPath(const std::string& destination, const std::string& sourceRoot,
                           CreatedEntries* created = nullptr,
                           std::optional<FolderHold>* held = nullptr);

}  // namespace cdinst
