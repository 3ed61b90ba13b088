// The entries of one directory on the disc, read from its records.
#pragma once

#include <vector>

#include "discimage/disc_image.h"
#include "discimage/sector_source.h"

namespace cdinst::disc {

struct DirectoryExtent {
  uint64_t block = 0;
  uint32_t size = 0;
};

// Directories larger than this are taken for hostile ones: 4 MiB holds over 100,000 records,
// and keeps one listing's memory well within what a run may take.
constexpr uint32_t kLargestDirectory = 4 * 1024 * 1024;

// Raises DiscError for a directory extent of no or absurd size or outside the image.
void CheckDirectoryExtent(const SectorSource& source, const DirectoryExtent& directory);

// The entries in the disc's order: self and parent records left out, associated files skipped,
// the parts of a multi-extent file joined. Raises DiscError for a hostile record.
std::vector<DiscEntry> ReadDirectory(const SectorSource& source, const DirectoryExtent& directory,
                                     bool joliet);

}  // namespace cdinst::disc
