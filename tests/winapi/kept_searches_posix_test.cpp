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

// What `ask` answers in a fresh process: a child made by fork() keeps nothing of its parent's.
template <typename T>
std::vector<T> AskedFreshly(const std::function<std::vector<T>()>& ask) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const std::vector<T> answers = ask();
    const auto size = static_cast<ssize_t>(answers.size() * sizeof(T));
    _exit(write(channel[1], answers.data(), static_cast<size_t>(size)) == size ? 0 : 1);
  }
  close(channel[1]);
  std::vector<T> answers;
  T answer;
  while (read(channel[0], &answer, sizeof answer) == static_cast<ssize_t>(sizeof answer)) {
    answers.push_back(answer);
  }
  close(channel[0]);
  waitpid(child, nullptr, 0);
  return answers;
}

std::vector<WIN32_FIND_DATAA> FreshEntries() {
  return AskedFreshly<WIN32_FIND_DATAA>([] { return Entries(Search(kPattern)); });
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
      {"subfolder hidden",
       [](const std::string& f) { setxattr((f + "/sub").c_str(), "user.DOSATTRIB", "0x2", 3, 0); },
       nothing},
      {"subfolder made read-only and written in",
       [](const std::string& f) {
         Append(f + "/sub/dentro.txt");
         fs::permissions(f + "/sub", fs::perms::owner_write, fs::perm_options::remove);
       },
       nothing},
      {"linked file written through its other link",
       [](const std::string& f) { Append(f + "/../outro.txt"); }, linked},
      {"linked-to file written", [](const std::string& f) { Append(f + "/../alvo.txt"); }, nothing},
  };
  // The folder searched from outside, and held as the current directory.
  for (const bool held : {false, true})
    for (const auto& each : changes) {
      SCOPED_TRACE(std::string(each.change) + (held ? ", held" : ""));
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
      ASSERT_TRUE(SetCurrentDirectoryA(held ? "C:\\PASTA" : "C:\\"));
      ASSERT_FALSE(Entries(Search(kPattern)).empty());
      ASSERT_FALSE(Entries(Search(kPattern)).empty());  // kept from here on
      each.apply(folder);
      EXPECT_EQ(Described(Entries(Search(kPattern))), Described(FreshEntries()));
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    }
}

// ".." of a held folder inside a held one is what the last search of the one above kept of it:
// whatever another program did to that one since, it must be what a fresh search reports.
TEST(KeptSearchesTest, TheHeldFolderAboveIsReportedAsAFreshSearchReportsIt) {
  const auto touch = [](const std::string& f) {
    const timespec times[2] = {{2000000, 0}, {3000000, 0}};
    utimensat(AT_FDCWD, f.c_str(), times, 0);
  };
  const struct {
    const char* change;
    std::function<void(const std::string& folder)> apply;
  } changes[] = {
      {"nothing", [](const std::string&) {}},
      {"hidden", [](const std::string& f) { setxattr(f.c_str(), "user.DOSATTRIB", "0x2", 3, 0); }},
      {"made read-only",
       [](const std::string& f) {
         fs::permissions(f, fs::perms::owner_write, fs::perm_options::remove);
       }},
      {"times set", touch},
      {"file made in it", [](const std::string& f) { Append(f + "/novo.txt"); }},
      {"listed", [](const std::string& f) { fs::directory_iterator{f}; }},
  };
  const auto up = [](const SearchResult& result) {
    std::vector<WIN32_FIND_DATAA> found;
    for (const WIN32_FIND_DATAA& entry : result.entries) {
      if (std::string(entry.cFileName) == "..") found.push_back(entry);
    }
    return found;
  };
  for (const auto& each : changes) {
    SCOPED_TRACE(each.change);
    ScratchPrefix prefix;
    prefix.WriteFile("C:\\PASTA\\sub\\b.txt", "b");
    const std::string folder = prefix.Unix("C:\\PASTA");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\PASTA"));
    ASSERT_FALSE(Search(kPattern).entries.empty());
    // Last read before its last write, so that a listing updates its access time.
    const timespec past[2] = {{1000, 0}, {2000, 0}};
    utimensat(AT_FDCWD, folder.c_str(), past, 0);
    for (int search = 0; search < 2; ++search) ASSERT_FALSE(Search(kPattern).entries.empty());
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    ASSERT_EQ(up(Search("*")).size(), 1u);
    each.apply(folder);
    const std::vector<WIN32_FIND_DATAA> fresh =
        AskedFreshly<WIN32_FIND_DATAA>([&] { return up(Search("C:\\PASTA\\sub\\*")); });
    EXPECT_EQ(Described(up(Search("*"))), Described(fresh));
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  }
}

// Attributes asked of a held folder and its entries after a search of it answer from what the
// search kept, and without one from what is kept beside the folder's listing once a lookup,
// a single-name search or an earlier question has read them: they too must be what a process
// that never asked there reports, and clearing them must clear what is on disk.
std::vector<DWORD> AttributesOf(const std::vector<std::string>& paths) {
  std::vector<DWORD> attributes;
  for (const std::string& path : paths) attributes.push_back(GetFileAttributesA(path.c_str()));
  return attributes;
}

std::vector<DWORD> FreshAttributesOf(const std::vector<std::string>& paths) {
  return AskedFreshly<DWORD>([&] { return AttributesOf(paths); });
}

TEST(KeptSearchesTest, AttributesOfAHeldFolderFollowChangesByAnotherProgram) {
  const std::vector<std::string> paths = {"C:\\PASTA", ".",     "a.txt",   "C:\\PASTA\\a.txt",
                                          "sub",       "sub\\", "elo.txt", "C:\\PASTA\\"};
  const struct {
    const char* kept;
    std::function<void()> keep;
  } ways[] = {
      {"by a search", [] { Search(kPattern); }},
      {"beside the listing",
       [&] {
         AttributesOf({"nada.txt"});
         for (const std::string& path : paths) Search(path);
       }},
  };
  const auto hide = [](const std::string& path) {
    setxattr(path.c_str(), "user.DOSATTRIB", "0x2", 3, 0);
  };
  const auto readOnly = [](const std::string& path) {
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
  };
  const struct {
    const char* change;
    std::function<void(const std::string& folder)> apply;
  } changes[] = {
      {"nothing", [](const std::string&) {}},
      {"file hidden", [&](const std::string& f) { hide(f + "/a.txt"); }},
      {"file made read-only", [&](const std::string& f) { readOnly(f + "/a.txt"); }},
      {"subfolder hidden", [&](const std::string& f) { hide(f + "/sub"); }},
      {"folder hidden", [&](const std::string& f) { hide(f); }},
      {"folder made read-only", [&](const std::string& f) { readOnly(f); }},
      {"linked-to file made read-only",
       [&](const std::string& f) { readOnly(f + "/../alvo.txt"); }},
      {"file removed", [](const std::string& f) { fs::remove(f + "/a.txt"); }},
      {"file replaced by a read-only one",
       [&](const std::string& f) {
         Append(f + "/../novo.txt");
         readOnly(f + "/../novo.txt");
         fs::rename(f + "/../novo.txt", f + "/a.txt");
       }},
      {"subfolder replaced by a file",
       [](const std::string& f) {
         fs::remove_all(f + "/sub");
         Append(f + "/sub");
       }},
  };
  for (const auto& way : ways) {
    for (const auto& each : changes) {
      SCOPED_TRACE(std::string(way.kept) + ", " + each.change);
      ScratchPrefix prefix;
      prefix.WriteFile("C:\\PASTA\\a.txt", "a");
      prefix.WriteFile("C:\\PASTA\\sub\\b.txt", "b");
      prefix.WriteFile("C:\\alvo.txt", "t");
      const std::string folder = prefix.Unix("C:\\PASTA");
      fs::create_symlink(prefix.Unix("C:\\alvo.txt"), folder + "/elo.txt");
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\PASTA"));
      way.keep();
      ASSERT_EQ(AttributesOf(paths), FreshAttributesOf(paths));
      each.apply(folder);
      EXPECT_EQ(AttributesOf(paths), FreshAttributesOf(paths));
      const bool cleared = SetFileAttributesA("a.txt", FILE_ATTRIBUTE_ARCHIVE);
      EXPECT_EQ(FreshAttributesOf({"a.txt"}),
                std::vector<DWORD>{cleared ? FILE_ATTRIBUTE_ARCHIVE : INVALID_FILE_ATTRIBUTES});
      fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    }
  }
}

}  // namespace
}  // namespace cdinst::testing
