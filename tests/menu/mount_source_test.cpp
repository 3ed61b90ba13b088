// Finding the disc behind a mounted directory from the kernel's mount table.
#include "menu/mount_source.h"

#include <gtest/gtest.h>

#include <map>

namespace cdinst::menu {
namespace {

const std::string kMountinfo =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
    "40 22 0:35 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,mode=755\n"
    "51 22 7:3 / /media/ana/VORTANE ro,nosuid shared:30 - iso9660 /dev/loop3 ro,utf8\n"
    "52 22 11:0 / /media/ana/DVD\\040Jogos ro shared:31 master:2 - udf /dev/sr0 ro\n"
    "53 22 7:4 / /media/ana/GONE ro - iso9660 /dev/loop4 ro\n"
    "54 22 7:5 / /media/ana/UNREAD ro - iso9660 /dev/loop5 ro\n"
    "55 22 7:3 /PROGS /home/ana/progs ro - iso9660 /dev/loop3 ro\n"
    "56 22 0:50 / /media/ana/FUSE ro - fuse.fuseiso fuseiso ro\n"
    "57 22 7:6 / /media/ana/OVER ro - iso9660 /dev/loop6 ro\n"
    "58 22 0:51 / /media/ana/OVER rw - tmpfs tmpfs rw\n"
    "59 22 7:7 / /media/ana/Disc\\0401 ro - iso9660 /dev/loop7 ro\n";

std::optional<std::string> FakeSys(const std::string& path) {
  static const std::map<std::string, std::string> files = {
      {"/sys/block/loop3/loop/backing_file", "/home/ana/Downloads/disc.iso\n"},
      {"/sys/block/loop4/loop/backing_file", "/home/ana/old.iso (deleted)\n"},
      {"/sys/block/loop7/loop/backing_file", "/home/ana/Disc 1.iso\n"},
  };
  const auto found = files.find(path);
  if (found == files.end()) return std::nullopt;
  return found->second;
}

TEST(MountSourceTest, FindsTheImageOrDeviceBehindADiscDirectory) {
  const struct {
    std::string directory;
    std::optional<std::string> path;  // nothing when no disc is mounted there
    std::string inside;
  } cases[] = {
      {"/media/ana/VORTANE", "/home/ana/Downloads/disc.iso", ""},
      {"/media/ana/VORTANE/PROGS/EDITOR", "/home/ana/Downloads/disc.iso", "PROGS/EDITOR"},
      {"/media/ana/GONE", "/dev/loop4", ""},
      {"/media/ana/UNREAD", "/dev/loop5", ""},
      {"/home/ana/progs/EDITOR", "/home/ana/Downloads/disc.iso", "PROGS/EDITOR"},
      {"/media/ana/Disc 1", "/home/ana/Disc 1.iso", ""},
      {"/media/ana/VORTANEX", std::nullopt, ""},
      {"/media/ana/DVD Jogos", std::nullopt, ""},  // udf: the mount shows what Windows does
      {"/media/ana/FUSE", std::nullopt, ""},
      {"/media/ana/OVER", std::nullopt, ""},
      {"/run/media", std::nullopt, ""},
      {"/", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const std::optional<DiscSource> source = FindDiscSource(kMountinfo, c.directory, FakeSys);
    ASSERT_EQ(c.path.has_value(), source.has_value()) << c.directory;
    if (!source) continue;
    EXPECT_EQ(*c.path, source->path) << c.directory;
    EXPECT_EQ(c.inside, source->insideDisc) << c.directory;
  }
}

TEST(MountSourceTest, MalformedLinesAreSkipped) {
  const std::string mountinfo =
      "garbage\n"
      "60 22 7:8 / /media/x ro iso9660 /dev/loop8\n"
      "61 22 7:9 / /media/x ro -\n"
      "\n";
  EXPECT_FALSE(FindDiscSource(mountinfo, "/media/x", FakeSys));
  EXPECT_FALSE(FindDiscSource("", "/media/x", FakeSys));
}

}  // namespace
}  // namespace cdinst::menu
