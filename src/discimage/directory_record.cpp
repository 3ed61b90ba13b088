#include "discimage/directory_record.h"

#include "discimage/disc_image.h"

namespace cdinst::disc {
namespace {

constexpr size_t kIdentifierAt = 33;

constexpr size_t kTimeAt = 18;

uint8_t Byte(std::string_view bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysSinceEpoch(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// Years since 1900, month, day, hour, minute, second, and the offset from Greenwich in
// quarter hours; the local time the fields hold less that offset. As Windows reads them, the
// year is a signed byte and an offset outside -48 to 52 counts as none.
int64_t RecordTime(std::string_view bytes) {
  const unsigned month = Byte(bytes, kTimeAt + 1), day = Byte(bytes, kTimeAt + 2);
  const unsigned hour = Byte(bytes, kTimeAt + 3), minute = Byte(bytes, kTimeAt + 4);
  const unsigned second = Byte(bytes, kTimeAt + 5);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return 0;
  }
  int offset = static_cast<int8_t>(Byte(bytes, kTimeAt + 6));
  if (offset < -48 || offset > 52) offset = 0;
  const int64_t days = DaysSinceEpoch(1900 + static_cast<int8_t>(Byte(bytes, kTimeAt)), month, day);
  return days * 86400 + hour * 3600 + minute * 60 + second - int64_t{offset} * 15 * 60;
}

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
  record.time = RecordTime(bytes);
  record.identifier = bytes.substr(kIdentifierAt, identifierLength);
  return record;
}

}  // namespace cdinst::disc
