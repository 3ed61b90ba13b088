// One directory record of ECMA-119 as its bytes hold it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cdinst::disc {

constexpr size_t kShortestRecord = 34;

enum RecordFlag : uint8_t {
  kHiddenFlag = 0x01,
  kDirectoryFlag = 0x02,
  kAssociatedFlag = 0x04,
  kMultiExtentFlag = 0x80,
};

struct DirectoryRecord {
  uint64_t block = 0;  // where its data starts, past any extended attribute record
  uint32_t size = 0;   // bytes of data
  uint8_t flags = 0;
  int64_t time = 0;             // seconds since 1970 UTC; 0 for a date no calendar holds
  std::string_view identifier;  // points into the bytes parsed
};

// The record at the start of `bytes`, which must hold at least its length byte's worth.
// Raises DiscError naming `imageName` for a length below 34 or past `bytes`, or an identifier
// longer than the record.
DirectoryRecord ParseRecord(std::string_view bytes, const std::string& imageName);

}  // namespace cdinst::disc
