// An index file of any bytes: the line scan agrees with a plain model of the line rules, and
// recording an installation leaves the file as the rules say, byte for byte.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_prefix.h"
#include "install/index_file.h"
#include "install/install_index.h"
#include "platform/io_error.h"

using cdinst::fuzz::Require;

namespace {

const std::string kCdLine = "P\tD\tC:\\DEST\\\tCDROM";
const std::string kOwnLine = "P\tD\tC:\\DEST\tVORTANE\r\n";

// The text ends at the first Ctrl-Z; a line ends at CR, a CR LF counting as one end; no line
// follows the last end, but an empty text is one empty line.
std::vector<std::string> ModelLines(std::string_view bytes) {
  const std::string_view text = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\r', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

std::vector<std::string> ScannedLines(const std::string& path) {
  cdinst::IndexFile file(path, cdinst::IndexOpenMode::kScan);
  Require(cdinst::TakeIoResult() == 0, "the index opens");
  std::vector<std::string> lines;
  do {
    lines.push_back(file.ReadLine());
  } while (!file.EndOfText());
  file.Close();
  Require(cdinst::TakeIoResult() == 0, "the scan reads without error");
  return lines;
}

// The bytes after appending: cut at a Ctrl-Z among the last 128, a CR LF after an unended line
// (a bare LF ends none).
std::string ModelAppended(std::string bytes) {
  const size_t window = bytes.size() > 128 ? bytes.size() - 128 : 0;
  const size_t cut = bytes.find('\x1A', window);
  if (cut != std::string::npos) bytes.resize(cut);
  const bool ended =
      !bytes.empty() && (bytes.back() == '\r' ||
                         (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0));
  if (!bytes.empty() && !ended) bytes += "\r\n";
  return bytes + kOwnLine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string directory = cdinst::fuzz::DriveC() + "/DUDERUR";
  const std::string index = directory + "/INDICE2.CD";
  std::filesystem::create_directories(directory);
  std::filesystem::create_directories(cdinst::fuzz::DriveC() + "/DEST");
  cdinst::fuzz::WriteBytes(index, bytes);
  const std::vector<std::string> lines = ScannedLines("C:\\DUDERUR\\INDICE2.CD");
  Require(lines == ModelLines(bytes), "the scan splits lines as the rules say");

  bool listed = false;
  for (const std::string& line : lines) listed = listed || line == kCdLine;
  Require(cdinst::RecordInstallation("P", "D", "C:\\DEST\\"), "the installation is recorded");
  Require(cdinst::TakeIoResult() == 0, "no code is left pending");
  const std::string after = cdinst::fuzz::ReadBytes(index);
  Require(after == (listed ? bytes : ModelAppended(bytes)), "the index holds what the rules say");
  return 0;
}
