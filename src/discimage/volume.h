// What the volume descriptors say: which tree Windows shows and the volume's label.
#pragma once

#include <string>

#include "discimage/directory_listing.h"
#include "discimage/sector_source.h"

namespace cdinst::disc {

struct Volume {
  DiscEntry root;  // named ""
  bool joliet = false;
  std::string label;  // UTF-8, trailing blanks removed
  uint32_t serial = 0;
};

// Reads the descriptors from block 16 to the terminator: the Joliet one when there is one,
// else the primary one. Raises DiscError when there is no primary descriptor, the set never
// ends, the blocks are not 2048 bytes or the root record is no directory.
Volume ReadVolume(const SectorSource& source);

}  // namespace cdinst::disc
