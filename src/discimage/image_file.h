// An image file on disk recognised by its form: a CUE sheet and the file it names, a raw image
// of 2352- or 2448-byte sectors, or an image of 2048-byte blocks.
#pragma once

#include <memory>
#include <string>

#include "discimage/sector_source.h"

namespace cdinst::disc {

// Raises DiscError naming `path` when it is none of those.
std::unique_ptr<SectorSource> OpenImageFile(const std::string& path);

}  // namespace cdinst::disc
