#include "install/install_index.h"

#include <optional>

#include "install/index_append.h"
#include "install/index_file.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

constexpr char kCdTag[] = "CDROM";
constexpr char kOwnTag[] = "VORTANE";

std::string IndexLine(const std::string& programName, const std::string& description,
                      const std::string& path, const char* tag) {
  return programName + '\t' + description + '\t' + path + '\t' + tag;
}

// A TAB would shift the fields for every reader, a CR or LF split the line, and a Ctrl-Z end
// the readable text, hiding every later line; the settings may hold any of them.
std::string AsField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\x1A') c = ' ';
  }
  return text;
}

// Reads to the end of the text even after a match. Errors of the scan end it as the end of the
// text does, and their codes are dropped here.
bool IndexHolds(const std::string& programName, const std::string& description,
                const std::string& destination) {
  IndexFile file(kInstallIndexPath, IndexOpenMode::kScan);
  if (TakeIoResult() != 0) return false;
  const std::string wanted =
      IndexLine(programName, description, QueryShortPathName(destination), kCdTag);
  bool found = false;
  do {
    // One byte more than the wanted line tells a longer line apart without holding it.
    if (file.ReadLine(wanted.size() + 1) == wanted) found = true;
  } while (!file.EndOfText());
  file.Close();
  TakeIoResult();
  return found;
}

// Opens `file` for appending and readies its end, else, when the file is missing, opens it anew.
// Returns what goes in front of the new line, or nothing when no open worked or readying the end
// failed; `file` may then still be open, unchanged.
std::optional<std::string> OpenForAppending(std::optional<IndexFile>& file) {
  file.emplace(kInstallIndexPath, IndexOpenMode::kAppend);
  const int32_t appendResult = TakeIoResult();
  if (appendResult == 0) return PrepareAppend(*file);
  // Any other refusal (sharing, access) is no licence to empty a file that holds other
  // programs' lines: its holder may let go just before the open anew. For the same reason the
  // open anew only creates: a run that found the file missing too may have made it meanwhile.
  if (appendResult != ERROR_FILE_NOT_FOUND) return std::nullopt;
  file.emplace(kInstallIndexPath, IndexOpenMode::kAnew);
  if (TakeIoResult() != 0) return std::nullopt;
  return std::string();
}

}  // namespace

bool RecordInstallation(const std::string& programName, const std::string& description,
                        const std::string& destination) {
  if (IndexHolds(programName, description, destination)) return true;
  std::optional<IndexFile> file;
  const std::optional<std::string> lineBreak = OpenForAppending(file);
  if (!lineBreak) return false;
  const std::string path =
      destination.empty() ? destination : destination.substr(0, destination.size() - 1);
  // On a failed write the file is closed on the way out, and the write's error is the one raised.
  file->WriteOrRaise(*lineBreak +
                     IndexLine(AsField(programName), AsField(description), AsField(path), kOwnTag) +
                     "\r\n");
  file->CloseOrRaise();
  return true;
}

}  // namespace cdinst
