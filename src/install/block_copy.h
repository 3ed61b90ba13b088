// Copying one file's content into another, 1024 bytes at a time.
#pragma once

#include <optional>
#include <string>

#include "install/file_identity.h"

namespace cdinst {

// Copies the content of the file `source` into `destination`, which is created or cut to
// length 0 first, and returns true when the destination then is a complete copy. Returns
// false, raising nothing, when the source cannot be opened (no destination is created), when
// the destination cannot be created (a missing directory, a read-only file), when a read or a
// write fails part way (the part written so far stays), when the sizes differ afterwards, when
// either path is longer than 255 characters (nothing is opened), and when the source is 2 GiB
// or larger (the destination is not touched). A destination that names the source file itself,
// by any spelling or drive, is left untouched and counts as copied: true. Both files are
// closed before it returns, the source first; file attributes are left as _lcreat leaves them.
bool CopyFileBlocks(const std::string& source, const std::string& destination);

// CopyFileBlocks into a destination that the caller has just found missing, so that it cannot be
// the source and is not compared with it, in the folder whose identity is `folder`; `written`
// receives the identity of the file created, whatever the result, asked of the open file.
bool CopyFileBlocksToNew(const std::string& source, const std::string& destination,
                         const std::optional<FileIdentity>& folder,
                         std::optional<FileIdentity>& written);

}  // namespace cdinst
