#include <cstdlib>

#include "scoped_environment.h"

namespace cdinst::testing {

// _putenv_s changes both the C runtime's copy, which getenv reads, and the process's own.
void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  _putenv_s(name.c_str(), value ? value->c_str() : "");
}

}  // namespace cdinst::testing
