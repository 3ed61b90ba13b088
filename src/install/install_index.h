// The index of installed programs that this installer shares with other programs: one line per
// installation, fields separated by TABs, lines ended by CR LF, in Windows-1252.
#pragma once

#include <string>

namespace cdinst {

inline constexpr char kInstallIndexPath[] = "C:\\DUDERUR\\INDICE2.CD";

// Records that `programName` (`description`) was installed into `destination`.
//
// First scans the index for the line the CD's own installer writes for the same installation:
// name, description, the short form of `destination` (trailing backslash kept) and "CDROM",
// compared byte for byte. When it is there, returns true and leaves the file as it was.
// Otherwise appends name, description, `destination` without its last character and "VORTANE",
// ended by CR LF, in one write: after cutting off a Ctrl-Z among the file's last 128 bytes and
// everything behind it, and after a CR LF of its own when the last line lacks a line break.
// A missing file is created (its directory never is); an existing file is never emptied, also
// when it cannot be opened for appending. A line written earlier by this function is never
// recognised, so each repeated installation adds one more.
//
// Returns true when the line was found or written and the file closed; false, with nothing
// written and nothing left open, when the file cannot be opened for appending (missing
// directory, read-only file, held open by another program that does not share it) nor, being
// missing, created, or readying its end fails. Raises IoError with the system's code when writing
// the line or closing the file after it fails; the file is closed then and may hold part of the
// line. Errors of the scan count as a line not found. Leaves no code pending.
//
// Requires `destination` to name an existing directory and end in a backslash. When it has no
// short form that fits 254 characters, it is compared as given.
bool RecordInstallation(const std::string& programName, const std::string& description,
                        const std::string& destination);

}  // namespace cdinst
