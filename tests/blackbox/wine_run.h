// Running the Windows program, build/win32/cdinst.exe, under Wine over a scratch copy of a
// real Wine prefix. These runs need wine, an X display and the Windows build; they are made
// only when CDINST_WINE_TESTS=1 (scripts/test sets it and runs them under xvfb-run).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "program_run.h"
#include "scratch_prefix.h"

namespace cdinst::testing {

// Whether CDINST_WINE_TESTS=1 asks for the runs under Wine.
bool WineRunsEnabled();

// What the runs under Wine lack, or "".
std::string MissingForWineRuns();

// The template prefix the scratch prefixes are copied from, made on first use.
std::string WineTemplatePrefix();

// Runs cdinst.exe with `parameters` in `prefix`, with CDINST_TRANSCRIPT pointing (through Z:)
// into the prefix's temporary directory, or at the Unix file `environment` names for it, and
// `environment` besides.
ProgramResult RunUnderWine(const ScratchPrefix& prefix, const std::vector<std::string>& parameters,
                           const std::map<std::string, std::string>& environment);

// The Wine environment for `prefix`, for starting Wine's own tools.
std::map<std::string, std::string> WineEnvironment(const ScratchPrefix& prefix);

// Stops the prefix's wineserver, so that the prefix can go.
void StopWine(const ScratchPrefix& prefix);

}  // namespace cdinst::testing
