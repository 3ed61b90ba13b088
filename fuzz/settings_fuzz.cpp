// A settings file of any bytes, read as the program reads PROGS.INI and MULTI.INI: through the
// emulation's profile reader, with the number conversion on every value found, and through the
// index the reader and the menu look it up with.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_prefix.h"
#include "settings/install_settings.h"
#include "settings/resolve_settings.h"
#include "settings/setting_number.h"
#include "settings/settings_file.h"
#include "winapi/posix/profile_index.h"

using cdinst::fuzz::Require;

namespace {

// A converted number spells itself again in both forms.
void CheckNumber(const std::string& value) {
  const std::optional<int32_t> number = cdinst::ConvertSettingNumber(value);
  if (!number) return;
  Require(cdinst::ConvertSettingNumber(std::to_string(*number)) == number, "decimal round trip");
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%X", static_cast<uint32_t>(*number));
  Require(cdinst::ConvertSettingNumber(hex) == number, "hexadecimal round trip");
}

// What the program reads, plus the first sections and keys the file itself names.
void ReadLikeTheProgram(const std::string& text, const cdinst::SettingsFile& file) {
  const cdinst::posix::ProfileIndex index(text);
  std::vector<std::string> sections = index.SectionNames();
  if (sections.size() > 2) sections.resize(2);
  sections.push_back("EDITOR");
  for (const std::string& section : sections) {
    std::vector<std::string> keys = index.KeyNames(section);
    if (keys.size() > 4) keys.resize(4);
    keys.push_back("Destino");
    keys.push_back("SistemaB");
    for (const std::string& key : keys) {
      const std::string read = file.ReadSettingText(section, key, "-");
      Require(read.size() <= 2047, "a setting keeps its buffer");
      const std::optional<std::string> value = index.Value(section, key);
      if (value && value->size() < 2047 && value->find('\0') == std::string::npos) {
        Require(read == *value, "the reader gives the index's value");
      }
      CheckNumber(read);
    }
  }
}

// The whole resolution over the file as both PROGS.INI and MULTI.INI, for its first section.
void Resolve(const std::string& text) {
  cdinst::InstallSettings settings;
  settings.SourceRoot = "C:\\";
  const std::vector<std::string> sections = cdinst::posix::ProfileIndex(text).SectionNames();
  settings.ProgramSection = sections.empty() ? "EDITOR" : sections.front();
  settings.VariantSuffix = "B";
  cdinst::ResolveSettings(settings);
  for (const std::string* field : {&settings.MultiSection, &settings.ProgramName,
                                   &settings.OriginPath, &settings.Description}) {
    Require(field->size() <= 2047, "a resolved setting keeps its buffer");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckNumber(std::string(bytes.substr(0, 64)));
  const std::string directory = cdinst::fuzz::DriveC() + "/DADOS";
  std::filesystem::create_directories(directory);
  cdinst::fuzz::WriteBytes(directory + "/PROGS.INI", bytes);
  cdinst::fuzz::WriteBytes(directory + "/MULTI.INI", bytes);
  const std::string text = cdinst::posix::DecodeProfileText(bytes);
  ReadLikeTheProgram(text, cdinst::SettingsFile("C:\\DADOS\\PROGS.INI"));
  Resolve(text);
  return 0;
}
