// A disc image laid out as a drive directory that the Linux program can install from, showing
// what Windows would show of the disc.
#pragma once

#include <string>
#include <string_view>

#include "discimage/disc_image.h"

namespace cdinst::disc {

// Writes, under the existing empty directory `root`, the disc's DADOS folder and the tree
// `origin` (a path on the disc such as "PROGS\EDITOR", matched without regard to letter case),
// with the levels on the way: names as `image` gives them, files read-only, entries the disc
// hides marked hidden in user.DOSATTRIB as Wine keeps them ("0x2"), and the volume label in
// root/.windows-label. A disc without DADOS gets none. Raises DiscError for content that cannot
// be laid out (a hostile record, a missing origin, directories nested past 128 levels) and when
// writing under `root` fails; what it wrote by then stays, for the caller to remove with `root`.
void LayOutDrive(const DiscImage& image, std::string_view origin, const std::string& root);

}  // namespace cdinst::disc
