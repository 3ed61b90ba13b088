// The DOS attributes Wine keeps beside a Unix file, in its extended attribute "user.DOSATTRIB".
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst::posix {

// The HIDDEN and SYSTEM bits stored for the file at `unixPath` (following links). 0 when none
// are stored, the value is not hex text beginning "0x", or the file system keeps no extended
// attributes.
DWORD StoredDosAttributes(const std::string& unixPath);

// Stores the HIDDEN and SYSTEM bits of `attributes` as Wine does: hex text such as "0x6", the
// extended attribute removed when neither is set. Writes nothing when they are stored already.
// On a file system without extended attributes nothing is kept and it still succeeds. On other
// failures returns false with errno set.
bool StoreDosAttributes(const std::string& unixPath, DWORD attributes);

}  // namespace cdinst::posix
