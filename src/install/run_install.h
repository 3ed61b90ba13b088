// One install run: confirm, create the destination path, copy the origin tree, record the
// installation, report; and on every path restore cursor, host window and current directory.
#pragma once

#include "settings/install_settings.h"

namespace cdinst {

class HostWindow;

// Uses ProgramName, Description, OriginPath, DestinationPath, FileMask and SourceRoot of
// `settings`, and shows its boxes owned by `host`. Failures the user is told about end in a
// message box; an error raised by an operation it calls passes through the cleanup to the
// caller.
void RunInstall(const InstallSettings& settings, HostWindow& host);

}  // namespace cdinst
