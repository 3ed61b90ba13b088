#include "fuzz_prefix.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace cdinst::fuzz {
namespace {

class Prefix {
 public:
  Prefix() {
    std::string pattern = (fs::temp_directory_path() / "cdinst-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) Require(false, "mkdtemp");
    root_ = pattern;
    fs::create_directories(root_ + "/drive_c");
    setenv("CDINST_PREFIX", root_.c_str(), 1);
    driveC_ = root_ + "/drive_c";
  }
  ~Prefix() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  const std::string& DriveC() const { return driveC_; }

 private:
  std::string root_;
  std::string driveC_;
};

}  // namespace

const std::string& DriveC() {
  static const Prefix prefix;
  return prefix.DriveC();
}

void WriteBytes(const std::string& unixPath, std::string_view bytes) {
  std::ofstream out(unixPath, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(static_cast<bool>(out), "writing the input file");
}

std::string ReadBytes(const std::string& unixPath) {
  std::ifstream in(unixPath, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace cdinst::fuzz
