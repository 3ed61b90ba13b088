// cdinst-menu over disc images mastered from a small medium: every format lists and installs
// what Windows would install from the disc, boxes titled with its label, and leaves nothing in
// the temporary directory; a broken image is refused before anything is written.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "disc_mastering.h"
#include "program_run.h"
#include "scratch_prefix.h"
#include "system_reg.h"
#include "terminal_reading.h"
#include "tree_snapshot.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

const std::string kLabel = "CD TESTE";
const std::string kDestination = "C:\\Programas\\Editor\\";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A MODE1/2352 raw copy of `iso`: each 2048-byte sector behind the sync pattern and a header,
// EDC and ECC left zero.
void WriteRawMode1(const std::string& iso, const std::string& bin) {
  const std::string data = ReadAll(iso);
  std::ofstream out(bin, std::ios::binary);
  for (size_t sector = 0; sector * 2048 < data.size(); ++sector) {
    std::string raw(2352, '\0');
    raw.replace(1, 10, std::string(10, '\xFF'));
    const size_t address = sector + 150;  // minutes, seconds and frames, in BCD
    const auto bcd = [](size_t n) { return static_cast<char>((n / 10) << 4 | (n % 10)); };
    raw[12] = bcd(address / 4500), raw[13] = bcd(address / 75 % 60), raw[14] = bcd(address % 75);
    raw[15] = 1;
    raw.replace(16, 2048, data.substr(sector * 2048, 2048));
    out << raw;
  }
}

class ImageMenuTest : public ::testing::Test {
 protected:
  ImageMenuTest() {
    if (!CanMasterImages()) return;
    WriteSystemReg(prefix_, "\"ProgramFilesDir\"=" + RegString("C:\\Programas"));
    prefix_.MakeDirectory("C:\\DUDERUR");
    source_ = prefix_.Directory() + "/disc";
    Write("DADOS/PROGS.INI",
          "[EDITOR]\r\nNome=Editor\r\nDescricao=Texto\r\nOrigem=PROGS\\EDITOR\r\n"
          "Destino=%PROGRAMFILES%\\Editor\r\n");
    Write("PROGS/EDITOR/EDITOR.EXE", std::string(5000, 'e'));
    Write("PROGS/EDITOR/LEIAME.TXT", "leia-me");
    Write("PROGS/EDITOR/AJUDA/INDICE.HLP", std::string(2048, 'h'));
    Write("PROGS/EDITOR/OCULTO.TXT", "escondido");
    Write("PROGS/OUTRO/NADA.TXT", "not laid out");
    fs::permissions(source_ + "/PROGS/EDITOR/LEIAME.TXT", fs::perms::owner_write,
                    fs::perm_options::remove);
    temporary_ = prefix_.Directory() + "/tmp";
    fs::create_directories(temporary_);
  }
  void SetUp() override {
    if (source_.empty()) GTEST_SKIP() << "xorriso is needed to master images";
  }

  void Write(const std::string& name, const std::string& bytes) const {
    fs::create_directories(fs::path(source_ + "/" + name).parent_path());
    std::ofstream(source_ + "/" + name, std::ios::binary) << bytes;
  }

  // Masters the disc with `options`; OCULTO.TXT is marked hidden on it.
  std::string Master(const std::string& options) const {
    const std::string iso = prefix_.Directory() + "/disc.iso";
    EXPECT_TRUE(MasterImage(source_, iso, options, kLabel));
    MarkHiddenOnDisc(iso, "OCULTO.TXT");
    return iso;
  }

  CapturedRun Menu(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{CDINST_MENU_PROGRAM};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunCapturing(command,
                        {{"CDINST_ANSWER", "yes"},
                         {"CDINST_TRANSCRIPT", prefix_.Directory() + "/boxes.jsonl"},
                         {"TMPDIR", temporary_},
                         {"XDG_RUNTIME_DIR", ""}},
                        "", prefix_.Directory());
  }

  // cdinst alone, with D: mapped to `image`, as a script may start it.
  CapturedRun Installer(const std::string& image) const {
    return RunCapturing({CDINST_PROGRAM, kLabel, "D:\\", "EDITOR", "1", "*.*"},
                        {{"CDINST_ANSWER", "yes"},
                         {"CDINST_TRANSCRIPT", prefix_.Directory() + "/boxes.jsonl"},
                         {"CDINST_DRIVE_D", image}},
                        "", prefix_.Directory());
  }

  bool TemporaryIsEmpty() const { return fs::is_empty(temporary_); }

  ScratchPrefix prefix_;
  std::string source_;
  std::string temporary_;
};

TEST_F(ImageMenuTest, EveryFormatInstallsWhatWindowsShowsOfTheDisc) {
  struct Format {
    const char* name;
    const char* options;
    bool rawCopy;
  };
  const Format formats[] = {{"ISO 9660", "", false},
                            {"ISO 9660 without versions", "-N", false},
                            {"Joliet", "-J", false},
                            {"Rock Ridge", "-R", false},
                            {"Joliet and Rock Ridge", "-J -R", false},
                            {"bin and cue", "-J", true}};
  for (const Format& format : formats) {
    SCOPED_TRACE(format.name);
    fs::remove_all(prefix_.Unix("C:\\Programas"));
    fs::remove(prefix_.Unix("C:\\DUDERUR\\INDICE2.CD"));
    fs::remove(prefix_.Directory() + "/boxes.jsonl");
    std::string image = Master(format.options);
    if (format.rawCopy) {
      WriteRawMode1(image, prefix_.Directory() + "/disc.bin");
      std::ofstream(prefix_.Directory() + "/disc.cue")
          << "FILE \"disc.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n";
      image = prefix_.Directory() + "/disc.cue";
    }
    EXPECT_EQ(Menu({"--list", image}).out, "EDITOR\t1\tEditor\tTexto\tC:\\Programas\\Editor\\\n");
    const CapturedRun run = Menu({image, "EDITOR", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const Tree installed = Snapshot(prefix_.Unix(kDestination));
    Tree expected = AsInstalled(Snapshot(source_ + "/PROGS/EDITOR"));
    expected.erase("OCULTO.TXT");
    EXPECT_EQ(installed, expected);
    EXPECT_EQ(prefix_.ReadFile("C:\\DUDERUR\\INDICE2.CD"),
              "Editor\tTexto\tC:\\Programas\\Editor\tVORTANE\r\n");
    EXPECT_NE(ReadAll(prefix_.Directory() + "/boxes.jsonl").find("\"caption\":\"" + kLabel),
              std::string::npos);
    EXPECT_TRUE(TemporaryIsEmpty());
  }
}

// The origin is found on the disc by Windows' path rules, as on a folder: "." and ".." fold away
// as text, and a period ending a name is dropped.
TEST_F(ImageMenuTest, OriginsFollowWindowsPathRules) {
  for (const char* origin : {"PROGS\\.\\EDITOR", "PROGS\\X\\..\\EDITOR", "PROGS\\EDITOR.",
                             ".\\PROGS\\EDITOR", "progs\\editor"}) {
    SCOPED_TRACE(origin);
    Write("DADOS/PROGS.INI", std::string("[EDITOR]\r\nNome=Editor\r\nOrigem=") + origin +
                                 "\r\nDestino=%PROGRAMFILES%\\Editor\r\n");
    fs::remove_all(prefix_.Unix("C:\\Programas"));
    const CapturedRun run = Menu({Master("-J"), "EDITOR", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    Tree expected = AsInstalled(Snapshot(source_ + "/PROGS/EDITOR"));
    expected.erase("OCULTO.TXT");
    EXPECT_EQ(Snapshot(prefix_.Unix(kDestination)), expected);
  }
}

// A broken or hostile image is refused with exit 3 and one line, whether it is found out when
// listing or when laying out the chosen program, and nothing is left anywhere.
TEST_F(ImageMenuTest, BrokenImagesAreRefusedAndLeaveNothing) {
  const std::pair<const char*, std::function<void(const std::string&)>> breakages[] = {
      {"truncated", [](const std::string& iso) { fs::resize_file(iso, fs::file_size(iso) / 2); }},
      {"a name holding a slash",
       [](const std::string& iso) {
         std::string bytes = ReadAll(iso);
         for (size_t at = bytes.find("LEIAME"); at != std::string::npos;
              at = bytes.find("LEIAME", at + 1)) {
           bytes[at + 2] = '/';
         }
         std::ofstream(iso, std::ios::binary | std::ios::trunc) << bytes;
       }},
  };
  for (const auto& [name, breakage] : breakages) {
    SCOPED_TRACE(name);
    const std::string image = Master("");
    breakage(image);
    const CapturedRun run = Menu({image, "EDITOR", "1"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(prefix_.Exists("C:\\Programas"));
    EXPECT_FALSE(prefix_.Exists("C:\\DUDERUR\\INDICE2.CD"));
    EXPECT_TRUE(TemporaryIsEmpty());
  }
}

// Records that loop, or share folders and extents so that a small image stands for a huge
// tree: each such disc is refused before anything is installed, or fails the copy, within
// seconds and 64 MiB, and leaves nothing; a folder recorded twice, as mastering tools share
// identical ones, installs under both names. cdinst started alone on a disc the menu refuses
// stops with an I/O error where it finds the disc broken, as at a folder it cannot list, and
// takes back what it made.
TEST_F(ImageMenuTest, RecordsThatLoopOrShareAreBoundedByTheImage) {
  enum Outcome { kRefused, kCopyFails, kInstalled };
  const auto point = [](const char* name, const char* target) {
    return [=](std::string& bytes) {
      for (const size_t record : JolietRecords(bytes, name)) {
        PointRecordAt(bytes, record, JolietRecords(bytes, target).at(0));
      }
    };
  };
  const struct {
    const char* name;
    std::function<void()> tree;  // added under PROGS/EDITOR/CASO
    std::function<void(std::string&)> patch;
    Outcome outcome;
    bool sparseRoom = false;  // holes after the data, for what the records claim
  } cases[] = {
      {"a folder pointing at the folder holding it", [] {}, point("AJUDA", "EDITOR"), kRefused},
      {"a folder pointing at a folder above that", [] {}, point("AJUDA", "PROGS"), kRefused},
      {"a folder recorded twice", [this] { Write("PROGS/EDITOR/CASO/MODELOS/CARTA.DOT", "c"); },
       point("MODELOS", "AJUDA"), kInstalled},
      {"a chain of folders each recorded twice",
       [this] {
         std::string level = "PROGS/EDITOR/CASO";
         for (int i = 0; i < 24; ++i, level += "/N")
           fs::create_directories(source_ + "/" + level + "/M");
       },
       [](std::string& bytes) {
         for (const size_t m : JolietRecords(bytes, "M")) {
           for (const size_t n : JolietRecords(bytes, "N")) {
             if (n / 2048 == m / 2048) PointRecordAt(bytes, m, n);
           }
         }
       },
       kRefused},
      {"one extent listed as forty files",
       [this] {
         Write("PROGS/EDITOR/CASO/GRANDE.BIN", std::string(8 << 20, 'g'));
         for (int i = 10; i < 50; ++i) Write("PROGS/EDITOR/CASO/F" + std::to_string(i), "f");
       },
       [](std::string& bytes) {
         for (int i = 10; i < 50; ++i) {
           const size_t file = JolietRecords(bytes, "F" + std::to_string(i)).at(0);
           PointRecordAt(bytes, file, JolietRecords(bytes, "GRANDE.BIN").at(0));
         }
       },
       kCopyFails},
      {"a folder claiming 64 MiB of a sparse image", [] {},
       [](std::string& bytes) {
         const size_t record = JolietRecords(bytes, "AJUDA").at(0);
         for (int i = 0; i < 4; ++i) {
           bytes[record + 10 + i] = bytes[record + 17 - i] = static_cast<char>((64 << 20) >> 8 * i);
         }
       },
       kRefused, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(source_ + "/PROGS/EDITOR/CASO");
    fs::create_directories(source_ + "/PROGS/EDITOR/CASO");
    c.tree();
    std::string bytes = ReadAll(Master("-J -no-pad"));
    c.patch(bytes);
    const std::string image = prefix_.Directory() + "/hostile.iso";
    std::ofstream(image, std::ios::binary | std::ios::trunc) << bytes;
    if (c.sparseRoom) fs::resize_file(image, bytes.size() + (80 << 20));
    fs::remove_all(prefix_.Unix("C:\\Programas"));
    fs::remove(prefix_.Directory() + "/boxes.jsonl");

    const auto start = std::chrono::steady_clock::now();
    const CapturedRun run = Menu({image, "EDITOR", "1"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's own memory would count
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "KiB";
#endif
    EXPECT_EQ(run.exitCode, c.outcome == kRefused ? 3 : 0) << run.err;
    const std::string boxes = ReadAll(prefix_.Directory() + "/boxes.jsonl");
    if (c.outcome == kRefused) {
      EXPECT_EQ(run.err.rfind("cdinst-menu: " + image + ": ", 0), 0u) << run.err;
      EXPECT_EQ(boxes, "");
      EXPECT_EQ(Installer(image).exitCode, 1);
      const std::string report = ReadAll(prefix_.Directory() + "/boxes.jsonl");
      EXPECT_NE(report.find("I/O error 1392"), std::string::npos) << report;
      EXPECT_FALSE(prefix_.Exists(kDestination));
    }
    EXPECT_EQ(boxes.find("Erro de C") != std::string::npos, c.outcome == kCopyFails) << boxes;
    EXPECT_EQ(prefix_.Exists(kDestination), c.outcome == kInstalled);
    if (c.outcome == kInstalled) {
      EXPECT_EQ(prefix_.ReadFile(kDestination + "CASO\\MODELOS\\INDICE.HLP"),
                std::string(2048, 'h'));
    }
  }
}

// The title only labels the boxes: a file name that cannot reach cdinst as it is (here a double
// quote, the disc having no label) is passed with the character replaced, and the install goes on.
TEST_F(ImageMenuTest, TitlesThatCannotPassAreMendedNotRefused) {
  const std::string iso = prefix_.Directory() + "/disco \"um\".iso";
  ASSERT_TRUE(MasterImage(source_, iso, "-J", ""));
  const CapturedRun run = Menu({iso, "EDITOR", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string boxes = ReadAll(prefix_.Directory() + "/boxes.jsonl");
  EXPECT_NE(boxes.find("\"caption\":\"disco 'um'\""), std::string::npos) << boxes;
  EXPECT_TRUE(prefix_.Exists(kDestination + "EDITOR.EXE"));
}

// SIGTERM to the menu alone, while cdinst waits at its question on the terminal, reaches cdinst
// too: it stops, and the menu ends with 128 + 15 once it has.
TEST_F(ImageMenuTest, StopSignalToTheMenuAloneStopsCdinst) {
  const std::string image = Master("-J");
  int terminal = -1;
  const pid_t menu = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(menu, 0);
  if (menu == 0) {
    unsetenv("CDINST_ANSWER");
    execl(CDINST_MENU_PROGRAM, CDINST_MENU_PROGRAM, image.c_str(), "EDITOR", "1",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string drawn = ReadUntil(terminal, "[N]\xC3\xA3o:");
  ASSERT_NE(drawn.find("Pronto para copiar"), std::string::npos) << drawn;
  kill(menu, SIGTERM);
  ReadUntil(terminal, "never written");
  int status = 0;
  ASSERT_EQ(waitpid(menu, &status, 0), menu);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
  EXPECT_FALSE(prefix_.Exists(kDestination));
}

}  // namespace
}  // namespace cdinst::testing
