// The Linux program's start-up, as the C runtime's on Windows: what must hold before main reads
// or writes anything. Linked into the program only; its tests keep the default signal handling.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "codepage/windows1252.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
#include "winapi/posix/paths/prefix.h"
#include "winapi/posix/stop_signals.h"

namespace {

// As Wine refuses it: whoever owns a prefix could swap what another user's run writes into.
void RefuseForeignPrefix() {
  const std::string prefix = cdinst::posix::PrefixDirectory();
  struct stat info;
  if (stat(prefix.c_str(), &info) != 0 || info.st_uid == getuid()) return;
  const std::string message = cdinst::Filled(cdinst::Translated("'{1}' is not owned by you"),
                                             {cdinst::TerminalText(prefix)});
  std::fprintf(stderr, "cdinst: %s\n", message.c_str());
  std::exit(1);
}

[[maybe_unused]] const bool started = [] {
  cdinst::StartTranslation();
  RefuseForeignPrefix();
  cdinst::posix::CatchStopSignals();
  return true;
}();

}  // namespace
