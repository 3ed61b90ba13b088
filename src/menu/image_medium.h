// A disc image given as the medium: the choices come from the image's settings files, and the
// program chosen is laid out as a private drive D: that cdinst installs from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "discimage/disc_image.h"
#include "menu/choices.h"
#include "menu/medium_settings.h"

namespace cdinst::menu {

// The medium root cdinst is given for an image.
inline constexpr char kImageRoot[] = "D:\\";

struct ImageMedium {
  std::unique_ptr<disc::DiscImage> image;
  MediumSettings settings;
  std::string title;  // UTF-8: the disc's label, else the file's name without its extension
};

// A regular file, links followed; anything else is taken as a directory or drive.
bool IsImageFile(const std::string& argument);

// Raises MenuError: kMediumUnreadable for an image that cannot be read, kNoProgramList when it
// holds no DADOS\PROGS.INI.
ImageMedium OpenImageMedium(const std::string& path);

// The medium of an opened disc, `path` naming it in messages and the title. Raises DiscError for
// a settings file it cannot read, MenuError (kNoProgramList) when there is no DADOS\PROGS.INI.
ImageMedium ReadImageMedium(std::unique_ptr<disc::DiscImage> image, const std::string& path);

// Lays out `choice` in a private drive and runs cdinst with `parameters` over it (see
// RunOverPrivateDrive). Raises MenuError (kMediumUnreadable) when the image cannot be laid out.
int InstallFromImage(const ImageMedium& medium, const Choice& choice,
                     const std::vector<std::string>& parameters);

}  // namespace cdinst::menu
