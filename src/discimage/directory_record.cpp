#include "discimage/directory_record.h"

#include "discimage/disc_bytes.h"
#include "discimage/disc_image.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

// ECMA-119 9.1: the fields of a directory record.
constexpr Field kLength{0, 1};
constexpr Field kExtendedAttributeLength{1, 1};
constexpr Field kExtent{2, 4};
constexpr Field kDataLength{10, 4};
constexpr Field kRecorded{18, 7};
constexpr Field kFlags{25, 1};
constexpr Field kIdentifierLength{32, 1};
constexpr size_t kIdentifierAt = 33;

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
int64_t RecordTime(std::string_view recorded) {
  const auto field = [&recorded](size_t i) { return static_cast<uint8_t>(recorded[i]); };
  const unsigned month = field(1), day = field(2), hour = field(3), minute = field(4);
  const unsigned second = field(5);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return 0;
  }
  int offset = static_cast<int8_t>(field(6));
  if (offset < -48 || offset > 52) offset = 0;
  const int64_t days = DaysSinceEpoch(1900 + static_cast<int8_t>(field(0)), month, day);
  return days * 86400 + hour * 3600 + minute * 60 + second - int64_t{offset} * 15 * 60;
}

}  // namespace

DirectoryRecord ParseRecord(std::string_view bytes, const std::string& imageName) {
  const size_t length = bytes.empty() ? 0 : DiscBytes(bytes, imageName).Byte(kLength);
  if (length < kShortestRecord || length > bytes.size()) {
    throw DiscError(imageName, Translated("a directory record has an absurd length"));
  }
  const DiscBytes fields(bytes.substr(0, length), imageName);
  const size_t identifierLength = fields.Byte(kIdentifierLength);
  if (identifierLength == 0 || kIdentifierAt + identifierLength > length) {
    throw DiscError(imageName, Translated("a directory record's name does not fit in it"));
  }
  DirectoryRecord record;
  record.block = uint64_t{fields.Number(kExtent)} + fields.Byte(kExtendedAttributeLength);
  record.size = fields.Number(kDataLength);
  record.flags = fields.Byte(kFlags);
  record.time = RecordTime(fields.Bytes(kRecorded));
  record.identifier = fields.Bytes({kIdentifierAt, identifierLength});
  return record;
}

}  // namespace cdinst::disc
