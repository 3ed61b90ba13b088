// A system.reg of any bytes: the key lookup and the Program Files directory read through the
// emulation's registry, as the program reads it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_prefix.h"
#include "settings/program_files_dir.h"
#include "winapi/posix/settings/registry_file.h"

using cdinst::fuzz::Require;

namespace {

constexpr std::string_view kKeys[] = {"", "Software",
                                      "Software\\Microsoft\\Windows\\CurrentVersion",
                                      "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"};

void LookUp(std::string_view text, std::string_view path) {
  const auto values = cdinst::posix::FindRegistryKey(text, path);
  if (!values) return;
  for (const cdinst::posix::RegistryValue& value : *values) {
    Require(cdinst::posix::FindRegistryValue(*values, value.name) != nullptr, "a value is found");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view path : kKeys) LookUp(text, path);
  cdinst::fuzz::DriveC();
  cdinst::fuzz::WriteBytes(std::string(getenv("CDINST_PREFIX")) + "/system.reg", text);
  const std::string directory = cdinst::ReadProgramFilesDir();
  Require(directory.find('\0') == std::string::npos, "the directory ends at its NUL");
  return 0;
}
