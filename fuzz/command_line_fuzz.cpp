// The command-line splitting on any text: it ends, every parameter keeps to the rules, and the
// counting and the lookup agree with the step-by-step split.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_prefix.h"
#include "settings/install_settings.h"
#include "settings/parameter_text.h"

using cdinst::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string parameter;
  size_t position = 0;
  int count = -1;  // the program's own name is not counted
  std::string first;
  for (;;) {
    const size_t next = cdinst::NextParameter(text, position, parameter);
    Require(next >= position && next <= size, "the split moves forward within the text");
    position = next;
    if (parameter.empty()) break;
    Require(parameter.size() <= cdinst::kMaxParameterLength, "a parameter keeps its limit");
    Require(parameter.find_first_of(std::string_view("\"\0", 2)) == std::string::npos,
            "no quote or NUL in a parameter");
    if (++count == 1) first = parameter;
  }
  if (count < 0) count = 0;
  Require(cdinst::CountParametersIn(text) == count, "the count matches the split");
  Require(cdinst::ParameterIn(text, count + 1).empty(), "nothing after the last parameter");
  if (count >= 1) Require(cdinst::ParameterIn(text, 1) == first, "the lookup matches the split");
  return 0;
}
