#include "discimage/disc_path.h"

namespace cdinst::disc {

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

std::string ChildPath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (!path.empty()) path += '\\';
  path += name;
  return path;
}

}  // namespace cdinst::disc
