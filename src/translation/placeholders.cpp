#include "translation/placeholders.h"

namespace cdinst {

std::string Filled(std::string_view message, std::initializer_list<std::string_view> values) {
  std::string filled;
  size_t at = 0;
  while (at < message.size()) {
    const bool placeholder = message[at] == '{' && at + 2 < message.size() &&
                             message[at + 1] >= '1' && message[at + 1] <= '9' &&
                             message[at + 2] == '}';
    const size_t index = placeholder ? static_cast<size_t>(message[at + 1] - '1') : values.size();
    if (index < values.size()) {
      filled += values.begin()[index];
      at += 3;
    } else {
      filled += message[at++];
    }
  }
  return filled;
}

}  // namespace cdinst
