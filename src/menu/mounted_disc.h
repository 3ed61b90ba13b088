// A disc the kernel mounted shows the names its driver made (Rock Ridge, other letter case,
// versions), which may not be the ones Windows shows; read through its image or device, the
// menu shows Windows' names.
#pragma once

#include <optional>
#include <string>

#include "menu/image_medium.h"

namespace cdinst::menu {

// For the root of a disc mounted as iso9660: the disc read through the image file behind
// its loop device, or its block device, when this user can read it. Otherwise nothing, and for
// such a disc one line on stderr says that names may differ from Windows' and that giving the
// image file avoids it. Nothing, silently, for any other directory.
std::optional<ImageMedium> OpenMountedDisc(const std::string& directory);

}  // namespace cdinst::menu
