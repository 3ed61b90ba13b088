// Copying a source directory tree into an existing destination directory, one directory at a
// time through the install run's pair of listings.
#pragma once

#include <optional>
#include <string>

#include "install/file_identity.h"

namespace cdinst {

class CreatedEntries;
class DirectoryTreeList;

// Copies `source` into the existing directory `destination` (both absolute; the trailing
// backslash is optional). First the files that the linked FileNameList of `tree` lists (its
// Mask decides), in list order, with CopyFileBlocks; the read-only bit of the destination file
// is cleared before and after. Then each subdirectory that `tree` lists: when its counterpart
// at the destination cannot be entered, the counterpart is created and the subdirectory copied
// into it the same way; an existing counterpart is left alone with all it holds. A subdirectory
// that leads back to a directory being copied above it (a link to an ancestor) gets its
// counterpart, left empty.
// Returns true when everything taken on was copied; false at once at the first file that fails
// or the first counterpart that can be neither entered nor created. Moves `tree`, its linked
// list and the current directory: afterwards the current directory is `sourceRoot` after a
// true result with at least one subdirectory, the source when there was none, and the source of
// the failing level after false. Raises IoError when a source cannot be entered, or
// `sourceRoot` after a subdirectory. Every file that did not exist before its copy and that the
// copy created, and every counterpart made, is added to `created` as it is made, whatever the
// result; each counterpart made is held while it is filled, and one that cannot be held ends
// the copy (false). `destinationIdentity`, the identity of `destination` taken while it is
// held, tells the volume of what is recorded.
bool CopyTree(const std::string& source, const std::string& destination, DirectoryTreeList& tree,
              const std::string& sourceRoot, CreatedEntries& created,
              const std::optional<FileIdentity>& destinationIdentity = std::nullopt);

}  // namespace cdinst
