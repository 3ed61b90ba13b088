// A path on the disc: names separated by '\' or '/'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cdinst::disc {

// The names of `path`, empty ones (from doubled, leading or trailing separators) left out.
std::vector<std::string_view> PathComponents(std::string_view path);

// The path of the entry `name` in the directory at `directory` ("" being the root).
std::string ChildPath(const std::string& directory, std::string_view name);

}  // namespace cdinst::disc
