#include <cstdlib>

#include "scoped_environment.h"

namespace cdinst::testing {

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace cdinst::testing
