// A disc image given as the medium: the choices come from the image's settings files, and cdinst
// installs the program chosen with its drive D: mapped to the image, which it reads as Windows
// reads a disc.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "discimage/disc_image.h"
#include "menu/medium_settings.h"

namespace cdinst::menu {

// The medium root cdinst is given for an image.
inline constexpr char kImageRoot[] = "D:\\";

struct ImageMedium {
  std::unique_ptr<disc::DiscImage> image;
  std::string drive;  // what cdinst's drive D: maps to: the image file, cue sheet or device
  MediumSettings settings;
  std::string title;  // UTF-8: the disc's label, else the file's name without its extension
};

// A regular file or a block device, links followed; anything else is taken as a directory or
// drive.
bool IsImageFile(const std::string& argument);

// Raises MenuError: kMediumUnreadable for an image that cannot be read, kNoProgramList when it
// holds no DADOS\PROGS.INI.
ImageMedium OpenImageMedium(const std::string& path);

// The medium of the disc opened from `path`, which also names it in messages and the title.
// Raises DiscError for a settings file it cannot read, MenuError (kNoProgramList) when there is
// no DADOS\PROGS.INI.
ImageMedium ReadImageMedium(std::unique_ptr<disc::DiscImage> image, const std::string& path);

// Runs cdinst with `parameters` and drive D: mapped to the disc (see RunInstaller), once the
// whole disc was walked within the reader's budget. Raises MenuError (kMediumUnreadable), before
// anything is installed, for a disc whose records are broken or loop.
int InstallFromImage(const ImageMedium& medium, const std::vector<std::string>& parameters);

}  // namespace cdinst::menu
