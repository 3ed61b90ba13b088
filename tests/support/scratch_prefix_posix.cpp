#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "codepage/windows1252.h"
#include "scratch_prefix.h"

namespace fs = std::filesystem;

namespace cdinst::testing {

namespace {

std::string MakeTemporaryDirectory() {
  std::string pattern = (fs::temp_directory_path() / "cdinst-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace

ScratchPrefix::ScratchPrefix() : ScratchPrefix(std::string()) {}

ScratchPrefix::ScratchPrefix(const std::string& winePrefixTemplate)
    : directory_(MakeTemporaryDirectory()) {
  if (winePrefixTemplate.empty()) {
    fs::create_directories(directory_ + "/prefix/drive_c");
    fs::create_directories(directory_ + "/prefix/dosdevices");
    fs::create_directory_symlink("../drive_c", directory_ + "/prefix/dosdevices/c:");
  } else {
    fs::copy(winePrefixTemplate, PrefixDirectory(),
             fs::copy_options::recursive | fs::copy_options::create_hard_links |
                 fs::copy_options::copy_symlinks);
    // Wine rewrites its registry files in place: linked, every copy would write the template's.
    for (const char* registry : {"system.reg", "user.reg", "userdef.reg"}) {
      const std::string own = PrefixDirectory() + "/" + registry;
      fs::remove(own);
      fs::copy_file(winePrefixTemplate + "/" + registry, own);
    }
  }
  fs::create_directories(directory_ + "/medium");
  fs::create_directory_symlink(directory_ + "/medium", directory_ + "/prefix/dosdevices/d:");
  if (const char* old = std::getenv("CDINST_PREFIX")) {
    hadPrefix_ = true;
    savedPrefix_ = old;
  }
  setenv("CDINST_PREFIX", PrefixDirectory().c_str(), 1);
}

ScratchPrefix::~ScratchPrefix() {
  if (hadPrefix_) {
    setenv("CDINST_PREFIX", savedPrefix_.c_str(), 1);
  } else {
    unsetenv("CDINST_PREFIX");
  }
  std::error_code ignored;
  fs::permissions(directory_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(directory_, ignored);
}

std::string ScratchPrefix::Unix(std::string_view windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') {
    throw std::invalid_argument("not a drive path: " + std::string(windowsPath));
  }
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  std::string unix = directory_ + "/prefix/dosdevices/" + letter + ":";
  std::string rest = Windows1252ToUtf8(windowsPath.substr(2));
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  if (!rest.empty() && rest[0] != '/') unix += '/';
  return unix + rest;
}

void ScratchPrefix::MakeDirectory(std::string_view windowsPath) const {
  fs::create_directories(Unix(windowsPath));
}

void ScratchPrefix::WriteFile(std::string_view windowsPath, std::string_view bytes) const {
  const fs::path path = Unix(windowsPath);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ScratchPrefix::ReadFile(std::string_view windowsPath) const {
  std::ifstream in(Unix(windowsPath), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Unix(windowsPath));
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool ScratchPrefix::Exists(std::string_view windowsPath) const {
  struct stat info;
  return lstat(Unix(windowsPath).c_str(), &info) == 0;
}

void ScratchPrefix::SetReadOnly(std::string_view windowsPath, bool readOnly) const {
  fs::permissions(Unix(windowsPath), fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

std::string ScratchPrefix::MapDrive(char letter, std::string_view unixTarget) const {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  std::string target(unixTarget);
  if (target.empty()) {
    target = directory_ + "/drive_" + lower;
    fs::create_directories(target);
  }
  const std::string link = directory_ + "/prefix/dosdevices/" + lower + ":";
  std::error_code ignored;
  fs::remove(link, ignored);
  fs::create_directory_symlink(target, link);
  return target;
}

}  // namespace cdinst::testing
