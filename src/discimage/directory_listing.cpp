#include "discimage/directory_listing.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "discimage/directory_record.h"
#include "discimage/disc_name.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

struct ReadState {
  const SectorSource& source;
  bool joliet;
  std::vector<DiscEntry> entries;
  std::optional<DiscEntry> unfinished;  // a multi-extent file awaiting its last part
  size_t recordCount = 0;
};

[[noreturn]] void Outside(const SectorSource& source) {
  throw DiscError(source.Name(), Translated("a directory record points outside the image"));
}

bool IsSelfOrParent(const DirectoryRecord& record, size_t index) {
  return index < 2 && record.identifier.size() == 1 &&
         static_cast<unsigned char>(record.identifier[0]) <= 1;
}

DiscEntry DirectoryEntry(const SectorSource& source, const DirectoryRecord& record,
                         std::string name) {
  if (record.flags & kMultiExtentFlag) {
    throw DiscError(source.Name(), Translated("a directory is recorded in several extents"));
  }
  CheckDirectoryExtent(source, {record.block, record.size});
  DiscEntry entry{std::move(name), true, (record.flags & kHiddenFlag) != 0, 0, record.time, {}};
  entry.extents.emplace_back(static_cast<uint32_t>(record.block), record.size);
  return entry;
}

void AddFilePart(const SectorSource& source, const DirectoryRecord& record, DiscEntry& entry) {
  if (record.size > 0 && !source.Holds(record.block, record.size)) Outside(source);
  entry.extents.emplace_back(static_cast<uint32_t>(record.block), record.size);
  entry.size += record.size;
  entry.hidden = entry.hidden || (record.flags & kHiddenFlag) != 0;
}

void TakeFile(const DirectoryRecord& record, std::string name, ReadState& state) {
  if (!state.unfinished) {
    state.unfinished = DiscEntry{std::move(name), false, false, 0, record.time, {}};
  } else if (state.unfinished->name != name) {
    throw DiscError(state.source.Name(),
                    Translated("a file recorded in several extents breaks off"));
  }
  AddFilePart(state.source, record, *state.unfinished);
  if (record.flags & kMultiExtentFlag) return;
  state.entries.push_back(std::move(*state.unfinished));
  state.unfinished.reset();
}

void TakeRecord(const DirectoryRecord& record, ReadState& state) {
  const size_t index = state.recordCount++;
  if (IsSelfOrParent(record, index) || (record.flags & kAssociatedFlag)) return;
  std::string name = DecodeName(record.identifier, state.joliet, state.source.Name());
  if (!(record.flags & kDirectoryFlag)) {
    TakeFile(record, std::move(name), state);
    return;
  }
  if (state.unfinished) {
    throw DiscError(state.source.Name(),
                    Translated("a file recorded in several extents breaks off"));
  }
  state.entries.push_back(DirectoryEntry(state.source, record, std::move(name)));
}

// Records never cross a block's end; a zero length byte pads the rest of the block.
void TakeBlock(std::string_view block, ReadState& state) {
  size_t at = 0;
  while (at < block.size() && block[at] != 0) {
    const DirectoryRecord record = ParseRecord(block.substr(at), state.source.Name());
    at += static_cast<unsigned char>(block[at]);
    TakeRecord(record, state);
  }
}

}  // namespace

void CheckDirectoryExtent(const SectorSource& source, const DirectoryExtent& directory) {
  if (directory.size == 0 || directory.size > kLargestDirectory) {
    throw DiscError(source.Name(), Translated("a directory has an absurd size"));
  }
  if (!source.Holds(directory.block, directory.size)) Outside(source);
}

std::vector<DiscEntry> ReadDirectory(const SectorSource& source, const DirectoryExtent& directory,
                                     bool joliet) {
  CheckDirectoryExtent(source, directory);
  ReadState state{source, joliet, {}, std::nullopt, 0};
  char block[kBlockSize];
  for (uint64_t done = 0; done < directory.size; done += kBlockSize) {
    const size_t used = static_cast<size_t>(std::min<uint64_t>(kBlockSize, directory.size - done));
    source.Read(directory.block + done / kBlockSize, block, used);
    TakeBlock(std::string_view(block, used), state);
  }
  if (state.unfinished) {
    throw DiscError(source.Name(), Translated("a file recorded in several extents breaks off"));
  }
  return std::move(state.entries);
}

}  // namespace cdinst::disc
