// Disc images mastered for the tests with xorriso, as a publisher masters a medium.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cdinst::testing {

// Whether xorriso is there to master images.
bool CanMasterImages();

// Masters `directory` as the image `iso` with xorriso's mkisofs `options` (e.g. "-J") and the
// volume label `label`; false when xorriso fails.
bool MasterImage(const std::string& directory, const std::string& iso, const std::string& options,
                 const std::string& label);

// Sets the existence flag, which Windows takes for hidden, on every directory record of `iso`
// named `name` (ISO 9660 with or without its version, or Joliet): xorriso cannot set it.
void MarkHiddenOnDisc(const std::string& iso, const std::string& name);

// Where each directory record of the Joliet tree named `name` (ASCII) starts in `image`.
std::vector<size_t> JolietRecords(const std::string& image, const std::string& name);

// Makes the record at `to` point where the record at `from` does: its extent and length.
void PointRecordAt(std::string& image, size_t to, size_t from);

}  // namespace cdinst::testing
