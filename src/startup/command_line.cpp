#include "startup/command_line.h"

#include "settings/parameter_text.h"
#include "winapi/winapi.h"

namespace cdinst {

int CountParameters() { return CountParametersIn(GetCommandLineA()); }

std::string GetParameter(int n) { return ParameterIn(GetCommandLineA(), n); }

void RequestQuit() { PostQuitMessage(0); }

}  // namespace cdinst
