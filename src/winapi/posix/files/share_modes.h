// Windows' share modes between all opens of a file, in this process and in any other.
#pragma once

#include "winapi/winapi.h"

namespace cdinst::posix {

// Checks the open on `fd` against the other opens of the same file: allows it or refuses it.
// `access` is the GENERIC_READ / GENERIC_WRITE access the new handle keeps; `checked` (a superset
// of `access`) is the access tested against the others (a truncating open also writes once);
// `share` the FILE_SHARE_* bits it grants them. The open is allowed when every other open's
// share mode allows `checked` and `share` allows every other open's access; opens with no
// access take part in nothing. Once allowed, the open counts for later opens until `fd` is
// closed. Returns 0, ERROR_SHARING_VIOLATION at once (it never waits for the others to close),
// or the code of a failed lock call.
// Requires `fd` to be a readable descriptor from an open() of its own, never a dup() or one
// inherited over fork(): the record belongs to the open file description. Simultaneous opens
// on writable descriptors are checked one after the other; where one of two is read-only, both
// may be refused where one of them would do, but are never both allowed against each other's
// share mode.
DWORD CheckShareAccess(int fd, DWORD access, DWORD checked, DWORD share);

// The same for a caller that knows whether `fd` was opened for writing.
DWORD CheckShareAccess(int fd, bool writable, DWORD access, DWORD checked, DWORD share);

// Whether the file open as `fd` (readable, from an open() of its own) may be deleted: 0 when no
// other open holds read or write access, ERROR_SHARING_VIOLATION when one does (no open grants
// FILE_SHARE_DELETE), or the code of a failed lock call.
DWORD CheckDeletionSharing(int fd);

// Records the open on `fd` of a file that no other open can reach yet (one made without a
// name), which leaves nothing to test it against. Returns 0 or the code of a failed lock call.
DWORD RecordOpen(int fd, DWORD access, DWORD share);

}  // namespace cdinst::posix
