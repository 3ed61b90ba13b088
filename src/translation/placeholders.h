// Values put into a translated message. Catalogs may reorder them, and the values often come
// from the medium, so no printf format is built from a message.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cdinst {

// `message` with each placeholder {1} to {9} replaced by that value, in any order and any number
// of times. A value goes in as it is and is never searched for placeholders itself; a
// placeholder without a value, and any other brace, stays as it is.
std::string Filled(std::string_view message, std::initializer_list<std::string_view> values);

}  // namespace cdinst
