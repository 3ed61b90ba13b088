#include "tree_snapshot.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace cdinst::testing {

Tree Snapshot(const std::string& unixDirectory) {
  Tree tree;
  if (!fs::is_directory(unixDirectory)) return tree;
  for (const auto& item : fs::recursive_directory_iterator(unixDirectory)) {
    Entry entry;
    entry.directory = item.is_directory();
    struct stat info;
    stat(item.path().c_str(), &info);
    entry.readOnly = (info.st_mode & S_IWUSR) == 0;
    if (!entry.directory) {
      std::ifstream in(item.path(), std::ios::binary);
      std::ostringstream content;
      content << in.rdbuf();
      entry.bytes = content.str();
    }
    tree[fs::relative(item.path(), unixDirectory).string()] = entry;
  }
  return tree;
}

Tree AsInstalled(const Tree& source) {
  Tree installed;
  for (const auto& [path, entry] : source) {
    if (path[0] == '.' || path.find("/.") != std::string::npos) continue;
    Entry copy = entry;
    if (!copy.directory) copy.readOnly = false;
    installed[path] = copy;
  }
  return installed;
}

}  // namespace cdinst::testing
