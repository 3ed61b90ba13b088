// What one install run created at the destination, so that a run whose copy fails can take it
// away again and a retry does not pass over folders left half filled.
#pragma once

#include <string>
#include <vector>

namespace cdinst {

class CreatedEntries {
 public:
  // Records the file or directory at `path`, which the run has just created. Only a full path
  // (drive letter, colon, backslash; or \\server\share) is recorded: the current directory
  // moves during the copy, so a relative one could later name something else.
  void AddFile(const std::string& path);
  void AddDirectory(const std::string& path);

  // Removes what was recorded, the latest first, so that each directory goes after everything
  // made in it; a read-only file loses that bit first. What cannot be removed (a directory that
  // another program has put something in, a file open elsewhere) stays, and so do the
  // directories holding it. Forgets the record. Raises nothing.
  void RemoveAll();

 private:
  struct Entry {
    std::string path;
    bool directory;
  };
  void Add(const std::string& path, bool directory);

  std::vector<Entry> entries_;
};

}  // namespace cdinst
