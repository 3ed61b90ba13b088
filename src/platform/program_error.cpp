#include "platform/program_error.h"

namespace cdinst {

WindowError::WindowError(int32_t code, const void* place)
    : ProgramError("System Error. Code: " + std::to_string(code), place), code_(code) {}

}  // namespace cdinst
