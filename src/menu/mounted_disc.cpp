#include "menu/mounted_disc.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "codepage/windows1252.h"
#include "menu/mount_source.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::menu {
namespace {

std::optional<std::string> ReadTextFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WarnOfDriverNames(const std::string& directory) {
  const std::string message =
      Filled(Translated("{1} is a disc mounted by Linux; its names may differ from the ones "
                        "Windows shows. Giving the image file instead avoids it."),
             {TerminalText(directory)});
  std::fprintf(stderr, "cdinst-menu: %s\n", message.c_str());
}

std::optional<ImageMedium> ReadableDisc(const DiscSource& source) {
  if (!source.insideDisc.empty() || access(source.path.c_str(), R_OK) != 0) return std::nullopt;
  try {
    return ReadImageMedium(disc::DiscImage::Open(source.path), source.path);
  } catch (const disc::DiscError&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<ImageMedium> OpenMountedDisc(const std::string& directory) {
  const std::optional<std::string> mountinfo = ReadTextFile("/proc/self/mountinfo");
  if (!mountinfo) return std::nullopt;
  const std::optional<DiscSource> source = FindDiscSource(*mountinfo, directory, ReadTextFile);
  if (!source) return std::nullopt;
  std::optional<ImageMedium> disc = ReadableDisc(*source);
  if (!disc) WarnOfDriverNames(directory);
  return disc;
}

}  // namespace cdinst::menu
