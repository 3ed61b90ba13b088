// A scratch prefix with the current directory at C:\ and the install run's linked pair of
// directory listings, made there.
#pragma once

#include <string>
#include <vector>

#include "install/directory_tree_list.h"
#include "install/file_name_list.h"
#include "platform/file_system.h"
#include "platform/host_window.h"
#include "scratch_prefix.h"

namespace cdinst::testing {

using Texts = std::vector<std::string>;

inline Texts EntriesOf(DirectoryTreeList& tree) {
  Texts entries;
  for (int32_t i = 0; i < tree.Count(); ++i) entries.push_back(tree.Entry(i));
  return entries;
}

inline Texts NamesOf(FileNameList& files) {
  Texts names;
  for (int32_t i = 0; i < files.Count(); ++i) names.push_back(files.Name(i));
  return names;
}

// The emulation keeps its current directory across tests: each one starts at C:\.
struct StartAt {
  explicit StartAt(const std::string& directory) { ChangeDirectory(directory); }
};

struct LinkedListings {
  explicit LinkedListings(HostWindow& host) : files(host), tree(host) { tree.SetFileList(&files); }
  FileNameList files;
  DirectoryTreeList tree;
};

}  // namespace cdinst::testing
