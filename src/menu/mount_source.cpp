#include "menu/mount_source.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace cdinst::menu {
namespace {

struct Mount {
  std::string root;        // the mounted directory of the file system
  std::string mountPoint;  // where it is mounted
  std::string type;
  std::string source;
};

// mountinfo writes blanks, TABs, line ends and backslashes as "\ooo".
std::string Unescaped(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                       std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
                       std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
                       std::isdigit(static_cast<unsigned char>(field[i + 3]));
    if (!octal) {
      text += field[i];
      continue;
    }
    text += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                              (field[i + 3] - '0'));
    i += 3;
  }
  return text;
}

std::optional<Mount> ParseLine(const std::string& line) {
  std::istringstream fields(line);
  std::vector<std::string> words;
  for (std::string word; fields >> word;) words.push_back(word);
  // id, parent, device, root, mount point, options, optional fields, "-", type, source, ...
  size_t separator = 6;
  while (separator < words.size() && words[separator] != "-") ++separator;
  if (separator + 2 >= words.size()) return std::nullopt;
  return Mount{Unescaped(words[3]), Unescaped(words[4]), words[separator + 1],
               Unescaped(words[separator + 2])};
}

bool Holds(const std::string& mountPoint, const std::string& directory) {
  if (mountPoint == "/") return true;
  return directory.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (directory.size() == mountPoint.size() || directory[mountPoint.size()] == '/');
}

std::optional<Mount> HoldingMount(std::string_view mountinfo, const std::string& directory) {
  std::optional<Mount> holding;
  std::istringstream lines{std::string(mountinfo)};
  for (std::string line; std::getline(lines, line);) {
    const std::optional<Mount> mount = ParseLine(line);
    if (!mount || !Holds(mount->mountPoint, directory)) continue;
    if (!holding || mount->mountPoint.size() >= holding->mountPoint.size()) holding = mount;
  }
  return holding;
}

// "/dev/loop3" gives "loop3".
std::optional<std::string> LoopName(const std::string& source) {
  const std::string prefix = "/dev/loop";
  if (source.compare(0, prefix.size(), prefix) != 0 || source.size() == prefix.size()) {
    return std::nullopt;
  }
  for (size_t i = prefix.size(); i < source.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(source[i]))) return std::nullopt;
  }
  return source.substr(5);
}

// A number the loop device reports, 0 when it reports none.
bool IsZero(const std::optional<std::string>& number) {
  return !number || number->find_first_not_of("0\n") == std::string::npos;
}

// A loop device that shows only part of its file is read through the device, which honours it.
std::string BackingFile(const std::string& source, const FileReader& readFile) {
  const std::optional<std::string> loop = LoopName(source);
  if (!loop) return source;
  const std::string directory = "/sys/block/" + *loop + "/loop/";
  if (!IsZero(readFile(directory + "offset")) || !IsZero(readFile(directory + "sizelimit"))) {
    return source;
  }
  std::optional<std::string> file = readFile(directory + "backing_file");
  if (!file) return source;
  while (!file->empty() && file->back() == '\n') file->pop_back();
  const std::string deleted = " (deleted)";
  const bool gone = file->size() >= deleted.size() &&
                    file->compare(file->size() - deleted.size(), deleted.size(), deleted) == 0;
  return file->empty() || gone ? source : *file;
}

// The directory's path on the disc, from the mount's own root and the rest below its point.
std::string InsideDisc(const Mount& mount, const std::string& directory) {
  std::string inside = mount.root;
  if (mount.mountPoint != "/") {
    inside += directory.substr(mount.mountPoint.size());
  } else {
    inside += directory;
  }
  const size_t start = inside.find_first_not_of('/');
  if (start == std::string::npos) return {};
  inside.erase(0, start);
  while (!inside.empty() && inside.back() == '/') inside.pop_back();
  return inside;
}

}  // namespace

std::optional<DiscSource> FindDiscSource(std::string_view mountinfo, const std::string& directory,
                                         const FileReader& readFile) {
  const std::optional<Mount> mount = HoldingMount(mountinfo, directory);
  // Windows reads a disc's UDF file system where it has one, as Linux's udf driver shows it:
  // names as recorded, hidden files hidden. Only the ISO 9660 driver makes names of its own.
  if (!mount || mount->type != "iso9660") return std::nullopt;
  return DiscSource{BackingFile(mount->source, readFile), InsideDisc(*mount, directory)};
}

}  // namespace cdinst::menu
