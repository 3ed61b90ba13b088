// The names of the files in one directory that match a mask of file-name patterns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/listing_cache.h"

namespace cdinst {

class HostWindow;

// Changes the process's current directory: moving and reading leave it at Directory.
class FileNameList {
 public:
  // Starts at the current directory with the mask "*.*"; reads nothing yet. The list is never
  // shown, so its owner window takes no part in it.
  explicit FileNameList(HostWindow& owner);
  FileNameList(const FileNameList&) = delete;
  FileNameList& operator=(const FileNameList&) = delete;

  // The listed directory as CurrentDirectory reported it: no trailing backslash except at a
  // drive root.
  const std::string& Directory() const { return directory_; }

  // Stores the mask, file-name patterns separated by ";" and searched one after the other (an
  // empty pattern finds nothing), when it differs from the one held in any character (letter
  // case counts). Once the names have been read, reads them again at once, raising IoError when
  // Directory can no longer be entered (the new mask stays, the names stay as they were).
  void ChangeMask(const std::string& mask);

  // Moves to the absolute directory `path`, unless SamePathText finds it equal to Directory:
  // enters Directory when it still exists, then `path`, and takes Directory from
  // CurrentDirectory. Once the names have been read, reads them again at once. Raises IoError
  // when `path` cannot be entered; Directory and the names then stay as they were.
  // `comingBack`: as for DirectoryTreeList::MoveTo.
  void MoveTo(const std::string& path, bool comingBack = false);

  // The number of listed names, reading them at the first use (IoError when Directory cannot
  // be entered).
  int32_t Count();

  // Name `index` (from 0), without a path, reading the names at the first use. Names are in
  // ascending order with letter case ignored; a file that two patterns find is there twice.
  // Raises std::out_of_range outside 0 to Count() - 1.
  std::string Name(int32_t index);

 private:
  void ReadNamesOnce();
  void ReadNamesIfRead();
  void ReadNames();

  std::string directory_;
  std::string mask_ = "*.*";
  ListedNames names_ = std::make_shared<const std::vector<std::string>>();
  ListingCache listings_;  // for the current mask
  bool read_ = false;      // from the first reading on, every change reads again at once
};

}  // namespace cdinst
