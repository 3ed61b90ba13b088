// A search of a folder searched before may answer from what it kept: whatever another program
// changed in between, it must report what a process that never searched there reports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPattern = "C:\\PASTA\\*";

// What a search reports beyond "." and "..", which are read afresh every time.
std::vector<WIN32_FIND_DATAA> Entries(const SearchResult& result) {
  std::vector<WIN32_FIND_DATAA> entries;
  for (const WIN32_FIND_DATAA& entry : result.entries) {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") entries.push_back(entry);
  }
  return entries;
}

// The search as a fresh process makes it: a child made by fork() keeps nothing of its parent's.
std::vector<WIN32_FIND_DATAA> FreshEntries() {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const std::vector<WIN32_FIND_DATAA> entries = Entries(Search(kPattern));
    const ssize_t size = static_cast<ssize_t>(entries.size() * sizeof(WIN32_FIND_DATAA));
    _exit(write(channel[1], entries.data(), static_cast<size_t>(size)) == size ? 0 : 1);
  }
  close(channel[1]);
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA entry;
  while (read(channel[0], &entry, sizeof entry) == static_cast<ssize_t>(sizeof entry)) {
    entries.push_back(entry);
  }
  close(channel[0]);
  waitpid(child, nullptr, 0);
  return entries;
}

std::string Describe(const WIN32_FIND_DATAA& entry) {
  return std::string(entry.cFileName) + " attributes " + std::to_string(entry.dwFileAttributes) +
         " size " + std::to_string(entry.nFileSizeLow) + " written " +
         std::to_string(entry.ftLastWriteTime.dwLowDateTime) + " accessed " +
         std::to_string(entry.ftLastAccessTime.dwLowDateTime);
}

std::vector<std::string> Described(const std::vector<WIN32_FIND_DATAA>& entries) {
  std::vector<std::string> described;
  for (const WIN32_FIND_DATAA& entry : entries) described.push_back(Describe(entry));
  return described;
}

void Append(const std::string& path) { std::ofstream(path, std::ios::app) << "more"; }

TEST(KeptSearchesTest, ChangesByAnotherProgramAreReportedAsAFreshSearchReportsThem) {
  const auto nothing = [](const std::string&) {};
  const auto linked = [](const std::string& f) {
    fs::create_hard_link(f + "/../outro.txt", f + "/duplo.txt");
  };
  const struct {
    const char* change;
    std::function<void(const std::string& folder)> apply;
    std::function<void(const std::string& folder)> prepare;
  } changes[] = {
      {"file made", [](const std::string& f) { Append(f + "/novo.txt"); }, nothing},
      {"file removed", [](const std::string& f) { fs::remove(f + "/a.txt"); }, nothing},
      {"file renamed", [](const std::string& f) { fs::rename(f + "/a.txt", f + "/z.txt"); },
       nothing},
      {"file written", [](const std::string& f) { Append(f + "/a.txt"); }, nothing},
      {"file made read-only",
       [](const std::string& f) {
         fs::permissions(f + "/a.txt", fs::perms::owner_write, fs::perm_options::remove);
       },
       nothing},
      {"file hidden",
       [](const std::string& f) {
         setxattr((f + "/a.txt").c_str(), "user.DOSATTRIB", "0x2", 3, 0);
       },
       nothing},
      {"file read", [](const std::string& f) { std::ifstream(f + "/a.txt").get(); }, nothing},
      {"file's times set",
       [](const std::string& f) {
         const timespec times[2] = {{1000000, 0}, {2000000, 0}};
         utimensat(AT_FDCWD, (f + "/a.txt").c_str(), times, 0);
       },
       nothing},
      {"file made in a subfolder", [](const std::string& f) { Append(f + "/sub/dentro.txt"); },
       nothing},
      {"linked file written through its other link",
       [](const std::string& f) { Append(f + "/../outro.txt"); }, linked},
      {"linked-to file written", [](const std::string& f) { Append(f + "/../alvo.txt"); }, nothing},
  };
  for (const auto& each : changes) {
    SCOPED_TRACE(each.change);
    ScratchPrefix prefix;
    prefix.WriteFile("C:\\PASTA\\a.txt", "a");
    prefix.WriteFile("C:\\PASTA\\sub\\b.txt", "b");
    prefix.WriteFile("C:\\outro.txt", "o");
    prefix.WriteFile("C:\\alvo.txt", "t");
    const std::string folder = prefix.Unix("C:\\PASTA");
    each.prepare(folder);
    fs::create_symlink(prefix.Unix("C:\\alvo.txt"), folder + "/elo.txt");
    // Times a second apart, so that a change in them shows.
    const timespec past[2] = {{1000, 0}, {1000, 0}};
    for (const char* name : {"/a.txt", "/sub", "/../outro.txt"}) {
      utimensat(AT_FDCWD, (folder + name).c_str(), past, 0);
    }
    ASSERT_FALSE(Entries(Search(kPattern)).empty());
    ASSERT_FALSE(Entries(Search(kPattern)).empty());  // kept from here on
    each.apply(folder);
    EXPECT_EQ(Described(Entries(Search(kPattern))), Described(FreshEntries()));
  }
}

}  // namespace
}  // namespace cdinst::testing
