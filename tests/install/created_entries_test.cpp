#include "install/created_entries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
    created.AddDirectory(directory, IdentityOf(directory));
  }
  prefix.WriteFile("C:\\KEEP\\NEW\\SUB\\A.TXT", "a");
  prefix.SetReadOnly("C:\\KEEP\\NEW\\SUB\\A.TXT", true);
  created.AddFile("C:\\KEEP\\NEW\\SUB\\A.TXT", IdentityOf("C:\\KEEP\\NEW\\SUB\\A.TXT"));
  prefix.WriteFile("C:\\KEEP\\FILLED\\OTHER.TXT", "other");

  created.RemoveAll();
  EXPECT_FALSE(prefix.Exists("C:\\KEEP\\NEW"));
  EXPECT_EQ(prefix.ReadFile("C:\\KEEP\\FILLED\\OTHER.TXT"), "other");
  EXPECT_TRUE(prefix.Exists("C:\\KEEP\\REL"));
  EXPECT_EQ(prefix.ReadFile("C:\\KEEP\\OLD.TXT"), "old");
}

// Another program swaps what the run made for something of its own once the run let it go. The
// clean-up must then remove nothing that is not the run's own: the victim's folder keeps its
// file, whatever stands at the made path.
TEST(CreatedEntriesTest, WhatWasSwappedIsNotRemoved) {
  namespace fs = std::filesystem;
  struct Swap {
    const char* name;
    std::function<void(const std::string& made, const std::string& victim)> apply;
    const char* victimFile;  // where the other program's file is afterwards
  };
  const Swap swaps[] = {
      {"folder renamed, a link to another in its place",
       [](const std::string& made, const std::string& victim) {
         fs::rename(made, made + ".moved");
         fs::create_directory_symlink(victim, made);
       },
       "C:\\VICTIM\\A.TXT"},
      {"folder renamed, another moved in its place",
       [](const std::string& made, const std::string& victim) {
         fs::rename(made, made + ".moved");
         fs::rename(victim, made);
       },
       "C:\\NEW\\A.TXT"},
      {"file replaced by a link to another",
       [](const std::string& made, const std::string& victim) {
         fs::remove(made + "/A.TXT");
         fs::create_symlink(victim + "/A.TXT", made + "/A.TXT");
       },
       "C:\\VICTIM\\A.TXT"},
  };
  for (const Swap& swap : swaps) {
    SCOPED_TRACE(swap.name);
    testing::ScratchPrefix prefix;
    prefix.WriteFile("C:\\VICTIM\\A.TXT", "victim");
    CreatedEntries created;
    MakeDirectory("C:\\NEW");
    created.AddDirectory("C:\\NEW", IdentityOf("C:\\NEW"));
    prefix.WriteFile("C:\\NEW\\A.TXT", "made");
    created.AddFile("C:\\NEW\\A.TXT", IdentityOf("C:\\NEW\\A.TXT"));
    swap.apply(prefix.Unix("C:\\NEW"), prefix.Unix("C:\\VICTIM"));
    created.RemoveAll();
    EXPECT_EQ(prefix.ReadFile(swap.victimFile), "victim");
  }
}

}  // namespace
}  // namespace cdinst
