#include "discimage/directory_record.h"

#include "discimage/disc_image.h"

namespace cdinst::disc {
namespace {

constexpr size_t kIdentifierAt = 33;

uint8_t Byte(std::string_view bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

}  // namespace

uint32_t LittleEndian32(std::string_view bytes, size_t at) {
  return uint32_t{Byte(bytes, at)} | uint32_t{Byte(bytes, at + 1)} << 8 |
         uint32_t{Byte(bytes, at + 2)} << 16 | uint32_t{Byte(bytes, at + 3)} << 24;
}

DirectoryRecord ParseRecord(std::string_view bytes, const std::string& imageName) {
  const size_t length = bytes.empty() ? 0 : Byte(bytes, 0);
  if (length < kShortestRecord || length > bytes.size()) {
    throw DiscError(imageName + ": a directory record has an absurd length");
  }
  const size_t identifierLength = Byte(bytes, 32);
  if (identifierLength == 0 || kIdentifierAt + identifierLength > length) {
    throw DiscError(imageName + ": a directory record's name does not fit in it");
  }
  DirectoryRecord record;
  record.block = uint64_t{LittleEndian32(bytes, 2)} + Byte(bytes, 1);
  record.size = LittleEndian32(bytes, 10);
  record.flags = Byte(bytes, 25);
  record.identifier = bytes.substr(kIdentifierAt, identifierLength);
  return record;
}

}  // namespace cdinst::disc
