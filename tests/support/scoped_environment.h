// Sets environment variables for one test and restores them afterwards.
#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace cdinst::testing {

// Sets `name` for this process and the programs it starts; no value removes it.
void SetVariable(const std::string& name, const std::optional<std::string>& value);

class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) SetVariable(name, value);
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    SetVariable(name, value);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace cdinst::testing
