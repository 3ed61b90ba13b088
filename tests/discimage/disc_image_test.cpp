#include "discimage/disc_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace cdinst::disc {
namespace {

namespace fs = std::filesystem;

constexpr size_t kBlock = 2048;
const char kAccented[] = "Instala\xC3\xA7\xC3\xA3o Completa.txt";

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Bytes that differ block by block, so a misplaced block shows.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / kBlock) % 251);
  return bytes;
}

void PutLittleAndBig32(std::string& image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    image[at + i] = static_cast<char>(value >> (8 * i));
    image[at + 7 - i] = static_cast<char>(value >> (8 * i));
  }
}

uint32_t Little32(const std::string& image, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(image[at + i]);
  return value;
}

// Where the directory record with `identifier` starts (the first past the descriptors).
size_t RecordAt(const std::string& image, const std::string& identifier) {
  const size_t at = image.find(static_cast<char>(identifier.size()) + identifier, 18 * kBlock);
  EXPECT_NE(at, std::string::npos) << identifier;
  return at == std::string::npos ? 0 : at - 32;
}

std::string Utf16(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{'\0', c};
  return bytes;
}

// A raw sector of a MODE1 or MODE2 form 1 track around each 2048-byte block.
std::string RawSectors(const std::string& blocks, int mode, size_t sectorSize) {
  std::string raw;
  for (size_t at = 0; at < blocks.size(); at += kBlock) {
    const size_t lba = at / kBlock + 150;
    const auto bcd = [](size_t n) { return static_cast<char>(n / 10 * 16 + n % 10); };
    std::string sector("\0\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\0", 12);
    sector += {bcd(lba / 75 / 60), bcd(lba / 75 % 60), bcd(lba % 75), static_cast<char>(mode)};
    if (mode == 2) sector += std::string(8, '\0');
    sector += blocks.substr(at, kBlock);
    sector.resize(sectorSize, '\0');
    raw += sector;
  }
  return raw;
}

class DiscImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v xorriso >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "xorriso is not installed";
    }
    std::string pattern = (fs::temp_directory_path() / "disc_image_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    WriteFile(dir_ / "tree/DADOS/PROGS.INI", "[Programas]\r\n");
    WriteFile(dir_ / "tree/PROGS/EDITOR/SETUP.EXE", setup_);
    WriteFile(dir_ / "tree/PROGS/PART1", Pattern(3 * kBlock));
    WriteFile(dir_ / "tree/PROGS/PART2", "tail");
    WriteFile(dir_ / "tree/LICENSE", "text\n");
    WriteFile(dir_ / "tree" / kAccented, "ola\n");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::string Master(const std::string& options) {
    const std::string out = (dir_ / "disc.iso").string();
    const std::string command = "xorriso -as mkisofs -quiet -no-pad -V 'Disco Teste' " + options +
                                " -o '" + out + "' '" + (dir_ / "tree").string() +
                                "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
  }

  std::string Content(const DiscImage& image, const std::string& path) {
    const std::optional<DiscEntry> entry = image.Find(path);
    if (!entry) return "(missing)";
    std::string bytes;
    image.Read(*entry, [&](const char* data, size_t size) { bytes.append(data, size); });
    return bytes;
  }

  static std::vector<std::string> Names(const std::vector<DiscEntry>& entries) {
    std::vector<std::string> names;
    for (const DiscEntry& entry : entries) names.push_back(entry.name);
    return names;
  }

  fs::path dir_;
  const std::string setup_ = Pattern(5000);
};

TEST_F(DiscImageTest, PrimaryTreeShowsNamesAsRecordedWithoutVersionOrFinalDot) {
  const std::vector<std::string> upper = {"DADOS", "INSTALA_.TXT", "LICENSE", "PROGS"};
  const struct {
    const char* options;
    std::vector<std::string> names;
  } cases[] = {
      {"--norock", upper},
      {"--norock -N", upper},
      {"--norock -N -allow-lowercase", {"DADOS", "Instala_.txt", "LICENSE", "PROGS"}},
      {"-R", upper},  // Rock Ridge's long names are not Windows'
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const auto image = DiscImage::Open(Master(c.options));
    EXPECT_EQ(Names(image->List("")), c.names);
    EXPECT_EQ(Content(*image, "progs/Editor\\setup.exe"), setup_);
    EXPECT_EQ(Content(*image, "license"), "text\n");
    EXPECT_EQ(image->Label(), "Disco Teste");
  }
}

TEST_F(DiscImageTest, JolietTreeAndLabelArePreferred) {
  std::string bytes = FileBytes(Master("-J"));
  bytes.replace(16 * kBlock + 40, 7, "PRIMARY");
  WriteFile(dir_ / "disc.iso", bytes);
  const auto image = DiscImage::Open((dir_ / "disc.iso").string());
  EXPECT_EQ(Names(image->List("")),
            (std::vector<std::string>{"DADOS", kAccented, "LICENSE", "PROGS"}));
  EXPECT_EQ(Content(*image, std::string("INSTALA\xC3\x87\xC3\x83O completa.TXT")), "ola\n");
  EXPECT_EQ(image->Label(), "Disco Teste");
  const std::vector<DiscEntry> progs = image->List("PROGS");
  ASSERT_EQ(Names(progs), (std::vector<std::string>{"EDITOR", "PART1", "PART2"}));
  EXPECT_TRUE(progs[0].directory);
  EXPECT_EQ(progs[1].size, 3 * kBlock);
  EXPECT_FALSE(image->Find("PROGS/NOPE").has_value());
  EXPECT_FALSE(image->Find("LICENSE/X").has_value());
  EXPECT_THROW(image->List("LICENSE"), DiscError);
}

TEST_F(DiscImageTest, RecordFlagsHideSkipAndJoin) {
  std::string bytes = FileBytes(Master("--norock"));
  bytes[RecordAt(bytes, "LICENSE.;1") + 25] |= 0x01;
  bytes[RecordAt(bytes, "INSTALA_.TXT;1") + 25] |= 0x04;
  bytes[RecordAt(bytes, "PART1.;1") + 25] |= static_cast<char>(0x80);
  bytes[RecordAt(bytes, "PART2.;1") + 33 + 4] = '1';
  WriteFile(dir_ / "disc.iso", bytes);
  const auto image = DiscImage::Open((dir_ / "disc.iso").string());
  const std::vector<DiscEntry> root = image->List("");
  ASSERT_EQ(Names(root), (std::vector<std::string>{"DADOS", "LICENSE", "PROGS"}));
  EXPECT_TRUE(root[1].hidden);
  EXPECT_FALSE(root[0].hidden || root[2].hidden);
  const std::optional<DiscEntry> joined = image->Find("PROGS\\PART1");
  ASSERT_TRUE(joined.has_value());
  EXPECT_EQ(joined->extents.size(), 2u);
  EXPECT_EQ(Content(*image, "PROGS\\PART1"), Pattern(3 * kBlock) + "tail");
  EXPECT_EQ(Names(image->List("PROGS")), (std::vector<std::string>{"EDITOR", "PART1"}));
}

TEST_F(DiscImageTest, RawSectorImagesReadAsTheBlocksTheyHold) {
  const std::string blocks = FileBytes(Master("-J"));
  const struct {
    const char* file;
    std::string bytes;
    const char* cue;  // nothing: recognised by its sync pattern
  } cases[] = {
      {"a.bin", RawSectors(blocks, 1, 2352), "TRACK 01 MODE1/2352\n    INDEX 01 00:00:00"},
      {"b.bin", RawSectors(blocks, 2, 2352), "TRACK 01 MODE2/2352\n    INDEX 01 00:00:00"},
      {"c.bin", blocks, "TRACK 01 MODE1/2048\n    INDEX 01 00:00:00"},
      {"d.bin", std::string(150 * 2352, '\0') + RawSectors(blocks, 1, 2352),
       "TRACK 01 AUDIO\n  INDEX 01 00:00:00\nTRACK 02 MODE1/2352\n  INDEX 00 00:01:00\n"
       "  INDEX 01 00:02:00"},
      {"e.img", RawSectors(blocks, 1, 2352), nullptr},
      {"f.img", RawSectors(blocks, 2, 2448), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    WriteFile(dir_ / c.file, c.bytes);
    fs::path opened = dir_ / c.file;
    if (c.cue) {
      opened.replace_extension(".cue");
      const std::string byteOrderMark = "\xEF\xBB\xBF";
      WriteFile(opened, byteOrderMark + "FILE \"" + c.file + "\" BINARY\r\n  " + c.cue);
    }
    const auto image = DiscImage::Open(opened.string());
    EXPECT_EQ(image->Label(), "Disco Teste");
    EXPECT_EQ(Content(*image, "PROGS\\EDITOR\\SETUP.EXE"), setup_);
  }
}

TEST_F(DiscImageTest, DataPastFourGibibytesIsReadWhereItLies) {
  std::string bytes = FileBytes(Master("--norock"));
  const uint32_t block = (1u << 21) + 3;  // 4 GiB and three blocks in
  PutLittleAndBig32(bytes, RecordAt(bytes, "LICENSE.;1") + 2, block);
  WriteFile(dir_ / "disc.iso", bytes);
  fs::resize_file(dir_ / "disc.iso", uint64_t{block + 1} * kBlock);  // sparse: costs no space
  {
    std::fstream file(dir_ / "disc.iso", std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(uint64_t{block} * kBlock));
    file << "far\n\n";
  }
  const auto image = DiscImage::Open((dir_ / "disc.iso").string());
  EXPECT_EQ(Content(*image, "LICENSE"), "far\n\n");
}

// Lists every directory and reads every file, as the menu may.
void Walk(const DiscImage& image, const std::string& path) {
  for (const DiscEntry& entry : image.List(path)) {
    const std::string child = path.empty() ? entry.name : path + "\\" + entry.name;
    if (entry.directory) Walk(image, child);
    if (!entry.directory) image.Read(entry, [](const char*, size_t) {});
  }
}

// A patch on a record of the Joliet tree.
std::function<void(std::string&)> Patch(const char* name, size_t at, uint32_t value) {
  return [=](std::string& b) { PutLittleAndBig32(b, RecordAt(b, Utf16(name)) + at, value); };
}
std::function<void(std::string&)> PatchByte(const char* name, size_t at, char value) {
  return [=](std::string& b) { b[RecordAt(b, Utf16(name)) + at] = value; };
}

TEST_F(DiscImageTest, HostileOrForeignFilesAreRefusedNamingThem) {
  const std::string good = FileBytes(Master("-J"));
  const uint32_t progs = Little32(good, RecordAt(good, Utf16("PROGS")) + 2);
  const struct {
    const char* name;
    std::function<void(std::string&)> patch;
    const char* reason;
  } cases[] = {
      {"truncated in the descriptors", [](std::string& b) { b.resize(17 * kBlock); }, "truncated"},
      {"truncated in the files", [](std::string& b) { b.resize(b.size() - 3 * kBlock); },
       "truncated"},
      {"points outside", Patch("PROGS", 2, 1u << 24), "outside the image"},
      {"points to its parent", Patch("EDITOR", 2, progs), "back to a directory above it"},
      {"a slash in a name", PatchByte("LICENSE", 36, '/'), "separator"},
      {"a control character", PatchByte("LICENSE", 34, '\x1B'), "control"},
      {"a short record", PatchByte("LICENSE", 0, 20), "absurd length"},
      {"a name longer than its record", PatchByte("LICENSE", 32, 100), "does not fit"},
      {"a huge directory", Patch("PROGS", 10, 1u << 30), "absurd size"},
      {"an empty directory", Patch("PROGS", 10, 0), "absurd size"},
      {"no image", [](std::string& b) { b = "just text\n"; }, "not an ISO 9660 image"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.patch(bytes);
    const std::string path = (dir_ / "hostile.iso").string();
    WriteFile(path, bytes);
    try {
      Walk(*DiscImage::Open(path), "");
      ADD_FAILURE() << "accepted";
    } catch (const DiscError& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
  }
}

TEST_F(DiscImageTest, CueSheetsThatNameNoUsableFileAreRefused) {
  WriteFile(dir_ / "data.bin", std::string(40 * kBlock, '\0'));
  const struct {
    const char* sheet;
  } cases[] = {
      {"FILE \"self.cue\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n"},
      {"FILE \"other.CUE\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n"},
      {"FILE \"missing.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"},
      {"FILE \"data.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"},
      {"FILE \"data.bin\" WAVE\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n"},
      {"FILE \"data.bin\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:75:00\n"},
      {"FILE \"data.bin\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n"},  // no descriptors
  };
  WriteFile(dir_ / "other.CUE", "FILE \"self.cue\" BINARY\nTRACK 01 MODE1/2048\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sheet);
    WriteFile(dir_ / "self.cue", c.sheet);
    EXPECT_THROW(DiscImage::Open((dir_ / "self.cue").string()), DiscError);
  }
}

}  // namespace
}  // namespace cdinst::disc
