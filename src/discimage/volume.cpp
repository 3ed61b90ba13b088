#include "discimage/volume.h"

#include <optional>
#include <string>
#include <string_view>

#include "codepage/windows1252.h"
#include "discimage/directory_record.h"
#include "discimage/disc_bytes.h"
#include "discimage/disc_image.h"
#include "discimage/disc_name.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

constexpr uint64_t kFirstDescriptor = 16;
// Real discs hold a handful; past this the set is taken for one that never ends.
constexpr uint64_t kMostDescriptors = 64;
constexpr uint8_t kPrimary = 1;
constexpr uint8_t kSupplementary = 2;
constexpr uint8_t kTerminator = 255;
// ECMA-119 8.4: the fields of a volume descriptor that tell the tree and the label.
constexpr Field kType{0, 1};
constexpr Field kStandardIdentifier{1, 5};
constexpr Field kVolumeIdentifier{40, 32};
constexpr Field kVolumeSpaceSize{80, 4};
constexpr Field kEscapeSequences{88, 3};
constexpr Field kLogicalBlockSize{128, 2};
constexpr Field kRootRecord{156, kShortestRecord};

using Descriptor = std::string;

bool IsJoliet(const DiscBytes& descriptor) {
  const std::string_view escapes = descriptor.Bytes(kEscapeSequences);
  return escapes == "%/@" || escapes == "%/C" || escapes == "%/E";
}

std::string TrimBlanks(std::string text) {
  const size_t end = text.find_last_not_of(std::string(" \0", 2));
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::optional<std::string> LabelOf(const DiscBytes& descriptor, bool joliet) {
  const std::string_view field = descriptor.Bytes(kVolumeIdentifier);
  if (!joliet) return TrimBlanks(Windows1252ToUtf8(field));
  const std::optional<std::string> text = JolietText(field);
  if (!text) return std::nullopt;
  return TrimBlanks(*text);
}

DiscEntry RootOf(const SectorSource& source, const DiscBytes& descriptor) {
  if (descriptor.Number(kLogicalBlockSize) != kBlockSize) {
    throw DiscError(source.Name(), Translated("not an image of 2048-byte blocks"));
  }
  const DirectoryRecord root = ParseRecord(descriptor.Bytes(kRootRecord), source.Name());
  if (!(root.flags & kDirectoryFlag)) {
    throw DiscError(source.Name(), Translated("the root record is no directory"));
  }
  DiscEntry entry{"", true, false, 0, root.time, {}};
  entry.extents.emplace_back(static_cast<uint32_t>(root.block), root.size);
  return entry;
}

// Windows sums the descriptor's bytes in four lanes, the first byte of each group of four in the
// serial's highest byte, each lane wrapping on its own.
uint32_t SerialOf(std::string_view descriptor) {
  uint8_t lanes[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < descriptor.size(); ++i)
    lanes[i % 4] += static_cast<uint8_t>(descriptor[i]);
  return uint32_t{lanes[0]} << 24 | uint32_t{lanes[1]} << 16 | uint32_t{lanes[2]} << 8 | lanes[3];
}

// A file that ends before the disc does lost files on the way; refusing it at once is clearer
// than failing part way through an install.
void CheckWhole(const SectorSource& source, const DiscBytes& primary) {
  const uint32_t blocks = primary.Number(kVolumeSpaceSize);
  if (blocks > source.BlockCount()) {
    throw DiscError(source.Name(),
                    Filled(Translated("truncated (the disc has {1} blocks, the file {2})"),
                           {std::to_string(blocks), std::to_string(source.BlockCount())}));
  }
}

Descriptor ReadDescriptor(const SectorSource& source, uint64_t block) {
  Descriptor descriptor(kBlockSize, '\0');
  source.Read(block, descriptor.data(), kBlockSize);
  if (DiscBytes(descriptor, source.Name()).Bytes(kStandardIdentifier) != "CD001") {
    throw DiscError(source.Name(), Translated("not an ISO 9660 image (a bad volume descriptor)"));
  }
  return descriptor;
}

}  // namespace

Volume ReadVolume(const SectorSource& source) {
  std::optional<Descriptor> primary, joliet;
  for (uint64_t block = kFirstDescriptor;; ++block) {
    if (block == kFirstDescriptor + kMostDescriptors) {
      throw DiscError(source.Name(), Translated("its volume descriptors never end"));
    }
    Descriptor descriptor = ReadDescriptor(source, block);
    const DiscBytes fields(descriptor, source.Name());
    const uint8_t type = fields.Byte(kType);
    if (type == kTerminator) break;
    if (type == kPrimary && !primary)
      primary = std::move(descriptor);
    else if (type == kSupplementary && !joliet && IsJoliet(fields))
      joliet = std::move(descriptor);
  }
  if (!primary) {
    throw DiscError(source.Name(), Translated("not an ISO 9660 image (no primary descriptor)"));
  }
  const DiscBytes primaryFields(*primary, source.Name());
  CheckWhole(source, primaryFields);
  const std::string& inUse = joliet ? *joliet : *primary;
  Volume volume;
  volume.joliet = joliet.has_value();
  volume.root = RootOf(source, DiscBytes(inUse, source.Name()));
  volume.serial = SerialOf(inUse);
  std::optional<std::string> label =
      joliet ? LabelOf(DiscBytes(*joliet, source.Name()), true) : std::nullopt;
  volume.label = label ? *label : *LabelOf(primaryFields, false);
  return volume;
}

}  // namespace cdinst::disc
