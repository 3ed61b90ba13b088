// The DOS attributes Wine keeps beside a Unix file, in its extended attribute "user.DOSATTRIB".
#pragma once

#include <sys/types.h>

#include <string>

#include "winapi/winapi.h"

namespace cdinst::posix {

// The bits Wine stores beside a file.
constexpr DWORD kStoredDosBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The HIDDEN and SYSTEM bits stored for the file at `unixPath` (following links). The value is
// read as Wine writes it, "0x" and one to eight hex digits, and Samba's longer form by its text
// before the first NUL. 0 when none are stored, the text has any other form (a sign, a blank, a
// second "0x", more digits) or the value is longer than any of these forms, or the file system
// keeps no extended attributes. `device` is the file's: a device whose file system refused
// extended attributes once is not asked again.
DWORD StoredDosAttributes(const std::string& unixPath, dev_t device);

// Stores the HIDDEN and SYSTEM bits of `attributes` as Wine does: hex text such as "0x6", the
// extended attribute removed when neither is set. Writes nothing when they are stored already.
// On a file system without extended attributes nothing is kept and it still succeeds. On other
// failures returns false with errno set.
bool StoreDosAttributes(const std::string& unixPath, dev_t device, DWORD attributes);

}  // namespace cdinst::posix
