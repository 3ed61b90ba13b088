#include "winapi/posix/paths/watched_directories.h"

#include <sys/vfs.h>

#include <map>

namespace cdinst::posix {

bool ReportsEveryChange(int directory, dev_t device) {
  static std::map<dev_t, bool> known;  // a mounted file system keeps its kind
  if (EveryFileSystemUnwatched()) return false;
  if (const auto found = known.find(device); found != known.end()) return found->second;
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
      0x858458F6,  // ramfs
  };
  struct statfs info;
  if (fstatfs(directory, &info) != 0) return false;
  bool& local = known[device];
  for (const unsigned long type : kLocal)
    local = local || static_cast<unsigned long>(info.f_type) == type;
  return local;
}

}  // namespace cdinst::posix
