#include "menu/image_medium.h"

#include <sys/stat.h>

#include <optional>

#include "codepage/windows1252.h"
#include "discimage/drive_directory.h"
#include "menu/menu_error.h"
#include "menu/private_drive.h"
#include "settings/resolve_settings.h"
#include "winapi/posix/profile_index.h"

namespace cdinst::menu {
namespace {

[[noreturn]] void Unreadable(const disc::DiscError& error) {
  throw MenuError(kMediumUnreadable, error.what());
}

// The file's bytes as the installer would take them; nothing when the image has no such file.
std::optional<std::string> SettingsText(const disc::DiscImage& image, const char* windowsPath) {
  const std::optional<disc::DiscEntry> entry = image.Find(windowsPath);
  if (!entry || entry->directory) return std::nullopt;
  std::string bytes;
  image.Read(*entry, [&bytes](const char* data, size_t size) { bytes.append(data, size); });
  return posix::DecodeProfileText(bytes);
}

std::string FileStem(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

MediumSettings ReadImageSettings(const disc::DiscImage& image, const std::string& path) {
  const std::optional<std::string> programs = SettingsText(image, kProgramsFile);
  if (!programs) {
    throw MenuError(kNoProgramList,
                    std::string("no ") + kProgramsFile + " on the medium \"" + path + "\"");
  }
  // A missing MULTI.INI reads as empty, as the installer reads it.
  const std::optional<std::string> variants = SettingsText(image, kVariantsFile);
  return {LoadedSettings(*programs), LoadedSettings(variants.value_or(""))};
}

}  // namespace

bool IsImageFile(const std::string& argument) {
  // "D:" and "D:\" name drives, whatever lies in the current directory.
  if (argument.size() >= 2 && argument.size() <= 3 && argument[1] == ':') return false;
  struct stat status;
  return stat(argument.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

ImageMedium ReadImageMedium(std::unique_ptr<disc::DiscImage> image, const std::string& path) {
  MediumSettings settings = ReadImageSettings(*image, path);
  std::string title = image->Label();
  if (title.empty()) title = FileStem(path);
  return {std::move(image), std::move(settings), std::move(title)};
}

ImageMedium OpenImageMedium(const std::string& path) {
  try {
    return ReadImageMedium(disc::DiscImage::Open(path), path);
  } catch (const disc::DiscError& error) {
    Unreadable(error);
  }
}

int InstallFromImage(const ImageMedium& medium, const Choice& choice,
                     const std::vector<std::string>& parameters) {
  const std::string origin = Windows1252ToUtf8(choice.origin);
  const auto layOut = [&](const std::string& directory) {
    try {
      disc::LayOutDrive(*medium.image, origin, directory);
    } catch (const disc::DiscError& error) {
      Unreadable(error);
    }
  };
  return RunOverPrivateDrive(layOut, parameters);
}

}  // namespace cdinst::menu
