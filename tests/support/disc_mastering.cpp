#include "disc_mastering.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace cdinst::testing {

bool CanMasterImages() { return std::system("command -v xorriso >/dev/null") == 0; }

bool MasterImage(const std::string& directory, const std::string& iso, const std::string& options,
                 const std::string& label) {
  const std::string command = "xorriso -as mkisofs -quiet " + options + " -V '" + label + "' -o '" +
                              iso + "' '" + directory + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// A record's name starts 33 bytes in, after its length (byte 32); the flags are byte 25.
void MarkHiddenOnDisc(const std::string& iso, const std::string& name) {
  std::ifstream in(iso, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  in.close();
  std::string ucs2;
  for (char c : name) ucs2 += std::string{'\0', c};
  for (const std::string& recorded : {name, ucs2}) {
    for (size_t at = bytes.find(recorded); at != std::string::npos;
         at = bytes.find(recorded, at + 1)) {
      const size_t length = static_cast<unsigned char>(bytes[at - 1]);
      const bool named = length == recorded.size() || length == recorded.size() + 2;  // ";1"
      if (at >= 33 && named) bytes[at - 8] = static_cast<char>(bytes[at - 8] | 1);
    }
  }
  std::ofstream(iso, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<size_t> JolietRecords(const std::string& image, const std::string& name) {
  std::string recorded(1, static_cast<char>(2 * name.size()));
  for (char c : name) recorded += std::string{'\0', c};
  std::vector<size_t> records;
  for (size_t at = image.find(recorded); at != std::string::npos;
       at = image.find(recorded, at + 1)) {
    // A record's length covers its 33 fixed bytes and the name.
    if (at >= 32 && static_cast<unsigned char>(image[at - 32]) >= 33 + recorded.size() - 1) {
      records.push_back(at - 32);
    }
  }
  return records;
}

// Bytes 2 to 17: the extent's block and the length, each little- then big-endian.
void PointRecordAt(std::string& image, size_t to, size_t from) {
  image.replace(to + 2, 16, image, from + 2, 16);
}

}  // namespace cdinst::testing
