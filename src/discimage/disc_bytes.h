// The bytes of one structure on a disc (a volume descriptor, a directory record) read by named
// fields, every read checked against the structure's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cdinst::disc {

// Where a field lies in its structure: `size` bytes from `at`.
struct Field {
  size_t at;
  size_t size;
};

class DiscBytes {
 public:
  // `bytes` stays owned by the caller; `imageName` names the image in errors.
  DiscBytes(std::string_view bytes, const std::string& imageName)
      : bytes_(bytes), imageName_(imageName) {}

  // The field's bytes. Raises DiscError when it runs past the end.
  std::string_view Bytes(Field field) const;
  // A field of one byte.
  uint8_t Byte(Field field) const;
  // A little-endian number of 1, 2 or 4 bytes (the first half of a both-endian field).
  uint32_t Number(Field field) const;

 private:
  std::string_view bytes_;
  const std::string& imageName_;
};

}  // namespace cdinst::disc
