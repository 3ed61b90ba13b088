#include "install/created_entries.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scratch_prefix.h"

namespace cdinst {
namespace {

// The latest first, so a folder goes after what was made in it; a file made read-only since goes
// too; a folder that another program filled stays with its content, and so does everything not
// recorded, or recorded by a relative path, which the moving current directory makes unsafe.
TEST(CreatedEntriesTest, RemovesWhatWasRecordedLatestFirstAndNothingElse) {
  testing::ScratchPrefix prefix;
  prefix.WriteFile("C:\\KEEP\\OLD.TXT", "old");
  ChangeDirectory("C:\\KEEP");
  CreatedEntries created;
  for (const char* directory : {"C:\\KEEP\\NEW", "C:\\KEEP\\NEW\\SUB", "C:\\KEEP\\FILLED", "REL"}) {
    MakeDirectory(directory);
    created.AddDirectory(directory);
  }
  prefix.WriteFile("C:\\KEEP\\NEW\\SUB\\A.TXT", "a");
  prefix.SetReadOnly("C:\\KEEP\\NEW\\SUB\\A.TXT", true);
  created.AddFile("C:\\KEEP\\NEW\\SUB\\A.TXT");
  prefix.WriteFile("C:\\KEEP\\FILLED\\OTHER.TXT", "other");

  created.RemoveAll();
  EXPECT_FALSE(prefix.Exists("C:\\KEEP\\NEW"));
  EXPECT_EQ(prefix.ReadFile("C:\\KEEP\\FILLED\\OTHER.TXT"), "other");
  EXPECT_TRUE(prefix.Exists("C:\\KEEP\\REL"));
  EXPECT_EQ(prefix.ReadFile("C:\\KEEP\\OLD.TXT"), "old");
}

}  // namespace
}  // namespace cdinst
