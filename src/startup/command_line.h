// The process's command line, split as the medium's menu program writes it
// (settings/parameter_text.h).
#pragma once

#include <string>

namespace cdinst {

// Over the process's command line, read afresh at every call.
int CountParameters();
std::string GetParameter(int n);  // n from 1; empty when there are fewer parameters

// Posts a quit request to the thread's queue; returns at once, ends nothing.
void RequestQuit();

}  // namespace cdinst
