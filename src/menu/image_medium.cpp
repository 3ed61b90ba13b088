#include "menu/image_medium.h"

#include <sys/stat.h>

#include <optional>

#include "menu/installer_run.h"
#include "menu/medium.h"
#include "menu/menu_error.h"
#include "settings/resolve_settings.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
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
                    Filled(Translated("no {1} on the medium \"{2}\""), {kProgramsFile, path}));
  }
  // A missing MULTI.INI reads as empty, as the installer reads it.
  const std::optional<std::string> variants = SettingsText(image, kVariantsFile);
  return {LoadedSettings(*programs), LoadedSettings(variants.value_or(""))};
}

// No Windows path reaches deeper: each level takes at least two of its 260 characters.
constexpr size_t kDeepest = 130;

// Every directory of the disc by every path to it, as a copy of the disc would list them.
void Walk(const disc::DiscImage& image, std::vector<disc::DiscEntry>& trail) {
  const disc::Listing listing = image.Entries(trail);
  for (const disc::DiscEntry& entry : *listing) {
    if (!entry.directory || trail.size() > kDeepest) continue;
    trail.push_back(entry);
    Walk(image, trail);
    trail.pop_back();
  }
}

}  // namespace

bool IsImageFile(const std::string& argument) {
  // "D:" and "D:\" name drives, whatever lies in the current directory.
  if (DriveLetterOf(argument)) return false;
  struct stat status;
  return stat(argument.c_str(), &status) == 0 &&
         (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode));
}

ImageMedium ReadImageMedium(std::unique_ptr<disc::DiscImage> image, const std::string& path) {
  MediumSettings settings = ReadImageSettings(*image, path);
  std::string title = image->Label();
  if (title.empty()) title = FileStem(path);
  return {std::move(image), path, std::move(settings), std::move(title)};
}

ImageMedium OpenImageMedium(const std::string& path) {
  try {
    return ReadImageMedium(disc::DiscImage::Open(path), path);
  } catch (const disc::DiscError& error) {
    Unreadable(error);
  }
}

// The walk's listings stay in the reader's cache, and the budget bounds the walk as it bounds
// cdinst's copy, so a disc refused here would have failed the copy.
int InstallFromImage(const ImageMedium& medium, const std::vector<std::string>& parameters) {
  try {
    std::vector<disc::DiscEntry> trail{medium.image->Root()};
    Walk(*medium.image, trail);
  } catch (const disc::DiscError& error) {
    Unreadable(error);
  }
  return RunInstaller(parameters, {"CDINST_DRIVE_D=" + medium.drive});
}

}  // namespace cdinst::menu
