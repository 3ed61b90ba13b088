// An index file that could cost the program all its memory: one giant line without an end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "install_boxes.h"
#include "medium_fixture.h"

namespace cdinst::testing {
namespace {

class HugeIndexTest : public MediumTest {
 protected:
  HugeIndexTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
  }
  ProgramResult InstallEditor() { return Run({kTitle, "D:\\", "EDITOR", "1", "*.*"}, "yes"); }
};

// What a crash can leave: a file of NULs, one line without an end. Sparse, so it costs no disk.
// Measured against the same install over a small index, so that a sanitizer's own memory does
// not count; without one the program needs a few MiB.
TEST_F(HugeIndexTest, OneLineOf300MiBIsScannedInBoundedMemory) {
  const long smallIndexPeak = InstallEditor().peakMemoryKiB;
  constexpr off_t kSize = 300 << 20;
  const std::string index = prefix_.Unix(kIndex);
  std::ofstream(index).close();
  ASSERT_EQ(truncate(index.c_str(), kSize), 0);

  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_LT(result.peakMemoryKiB, smallIndexPeak + (8 << 10));
  std::ifstream in(index, std::ios::binary);
  in.seekg(kSize - 1);
  const std::string tail((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(tail, std::string(1, '\0') + "\r\n" + kEditorLine);
}

}  // namespace
}  // namespace cdinst::testing
