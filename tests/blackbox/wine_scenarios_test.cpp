// The Windows program under Wine, on the scenarios the Linux build is tried on, and the Linux
// build over an equal copy of the same Wine prefix: both must give what is expected, and the
// same boxes, exit code, destination tree and index file.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <set>

#include "codepage/windows1252.h"
#include "disc_mastering.h"
#include "install_boxes.h"
#include "medium_fixture.h"
#include "scoped_environment.h"
#include "tree_snapshot.h"
#include "winapi/winapi.h"
#include "wine_run.h"

namespace cdinst::testing {
namespace {

const std::string kEditor = "C:\\Program Files (x86)\\Editor\\";  // the WOW64 view
const std::string kXadrez = "C:\\Jogos\\Xadrez\\";
const std::string kFonts = "C:\\windows\\FONTS\\";
const std::string kFontsOnDisk = "C:\\windows\\Fonts\\";  // as a Wine prefix spells it
const std::string kIndexDirectory = "C:\\DUDERUR";
const std::string kWineEditorLine =
    "Editor de Texto\tEditor simples\tC:\\Program Files (x86)\\Editor\tVORTANE\r\n";

// What a run leaves: the boxes, the exit code and the two trees it may write.
struct Outcome {
  int exitCode = -1;
  std::vector<std::string> transcript;
  Tree destination;
  Tree indexDirectory;
};

struct Scenario {
  std::string name;
  std::vector<std::string> parameters;
  std::string answer;
  std::string destination;                                          // spelled as on disk
  std::function<void(const ScratchPrefix&)> prepare;                // beyond the medium's settings
  std::vector<std::string> transcript;                              // empty: left to `check`
  std::function<void(const ScratchPrefix&, const Outcome&)> check;  // the rest expected
  int exitCode = 0;
  std::function<void(const ScratchPrefix&)> prepareLinux = nullptr;  // set: the Linux side's own
};

std::ostream& operator<<(std::ostream& out, const Scenario& scenario) {
  return out << scenario.name;
}

// The short path as the emulation gives it, for writing an index line the program must know.
std::string ShortPathIn(const ScratchPrefix& prefix, const std::string& path) {
  ScopedEnvironment environment;
  environment.Set("CDINST_PREFIX", prefix.PrefixDirectory());
  char buffer[MAX_PATH];
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return std::string(buffer, length < MAX_PATH ? length : 0);
}

void WriteXadrezTree(const ScratchPrefix& prefix) {
  prefix.WriteFile("D:\\PROGS\\XADREZ32\\XADREZ.EXE", std::string(4096, 'x'));
  prefix.WriteFile("D:\\PROGS\\XADREZ32\\PECAS\\REI.BMP", "rei");
}

Tree InstalledEditor(const ScratchPrefix& prefix) {
  return AsInstalled(Snapshot(prefix.Unix("D:\\PROGS\\EDITOR")));
}

std::set<std::string> NamesIn(const std::string& unixDirectory) {
  std::set<std::string> names;
  if (!std::filesystem::exists(unixDirectory)) return names;
  for (const auto& item : std::filesystem::directory_iterator(unixDirectory)) {
    names.insert(item.path().filename().string());
  }
  return names;
}

// A name on the medium that, joined into a path, would lead out of the destination (to the index
// file, to a new folder at the drive root; ".." stops at the root, whatever the depth), name
// a drive, or be folded by the path rules into its folder or a sibling ("...", " ", "AJUDA."), or
// that a file system takes for a sibling's, letter case aside ("ajuda" beside "AJUDA"). Each
// is tried as a file and as a folder, at the top of the origin and one level down, with the medium
// holding what the path would lead to: the copy must fail where the name is, and the drive root,
// Program Files (the failed run takes its destination away again) and the index stay as they were.
std::vector<Scenario> HostileNameScenarios() {
  const std::string up = "\\..\\..\\..\\..\\..";
  const struct {
    std::string label, atTop, deeper;
  } names[] = {
      {"IndexPath", "x" + up + "\\DUDERUR\\INDICE2.CD", "x" + up + "\\DUDERUR\\INDICE2.CD"},
      {"NewDirPath", "a" + up + "\\NEWDIR", "a" + up + "\\NEWDIR"},
      {"DriveName", "C:evil", "C:evil"},
      {"Dots", "...", "..."},
      {"Blank", " ", " "},
      {"FoldedIntoSibling", "AJUDA.", "AJUDA."},
      {"CaseTwinOfFolder", "ajuda", "imagens"},
      {"CaseTwinOfFile", "A\xC7\xC3O.TXT", "indice.hlp"}};
  const std::string indexBefore = "Outro\tPrograma\tC:\\OUTRO\tVORTANE\r\n";
  std::vector<Scenario> scenarios;
  for (const auto& [label, atTop, deeper] : names) {
    for (const bool folder : {false, true}) {
      for (const std::string& level : {std::string(), std::string("\\AJUDA")}) {
        const std::string name = Windows1252ToUtf8(level.empty() ? atTop : deeper);
        const auto prepare = [=](const ScratchPrefix& prefix) {
          WriteEditorTree(prefix);
          prefix.WriteFile(kIndex, indexBefore);
          prefix.WriteFile("D:\\DUDERUR\\INDICE2.CD", "hostil\r\n");
          prefix.WriteFile("D:\\NEWDIR\\F.TXT", "hostil");
          const std::string path = prefix.Unix("D:\\PROGS\\EDITOR" + level) + "/" + name;
          if (folder) std::filesystem::create_directory(path);
          std::ofstream(folder ? path + "/F.TXT" : path) << "hostil";
        };
        const auto check = [=](const ScratchPrefix& prefix, const Outcome&) {
          const std::string drive = WineTemplatePrefix() + "/drive_c";
          std::set<std::string> root = NamesIn(drive);
          root.insert("DUDERUR");
          EXPECT_EQ(NamesIn(prefix.Unix("C:\\")), root);
          EXPECT_EQ(NamesIn(prefix.Unix("C:\\Program Files (x86)")),
                    NamesIn(drive + "/Program Files (x86)"));
          EXPECT_EQ(prefix.ReadFile(kIndex), indexBefore);
        };
        scenarios.push_back(
            {label + (folder ? "Folder" : "File") + (level.empty() ? "AtTop" : "Deeper"),
             {kTitle, "D:\\", "EDITOR", "1", "*.*"},
             "yes",
             kEditor,
             prepare,
             {Asked(kEditor), kCopyError},
             check});
      }
    }
  }
  return scenarios;
}

// Entries on the medium that Wine shows as hidden or system, from the attributes it stores.
struct DosAttributed {
  const char* name;
  const char* stored;
  bool folder;
};
constexpr DosAttributed kDosAttributed[] = {{"oculto.txt", "0x2", false},
                                            {"sistema.dll", "0x4", false},
                                            {"DirOculto", "0x12", true},
                                            {"DirSistema", "0x14", true}};

void WriteDosAttributedEntries(const ScratchPrefix& prefix) {
  for (const DosAttributed& entry : kDosAttributed) {
    const std::string path = "D:\\PROGS\\EDITOR\\" + std::string(entry.name);
    prefix.WriteFile(entry.folder ? path + "\\F.TXT" : path, "x");
    const std::string unixPath = prefix.Unix(path);
    if (setxattr(unixPath.c_str(), "user.DOSATTRIB", entry.stored, std::strlen(entry.stored), 0)) {
      GTEST_SKIP() << "no extended attributes here: " << std::strerror(errno);
    }
  }
}

Tree WithoutDosAttributed(Tree tree) {
  for (const DosAttributed& entry : kDosAttributed) {
    const std::string name = entry.name;
    EXPECT_EQ(tree.erase(name), 1u) << name;
    if (entry.folder) tree.erase(name + "/F.TXT");
  }
  return tree;
}

// Windows drops the period that ends a segment of a path, and the periods and blanks that end
// the path: these install as if it were not there, while the texts keep it.
std::vector<Scenario> TrailingPeriodScenarios() {
  const struct {
    const char* name;
    const char* origin;
    std::string destination;
  } cases[] = {{"DestinationEndingInAPeriod", "PROGS\\EDITOR", "C:\\Apps\\Editor."},
               {"DestinationFolderEndingInAPeriod", "PROGS\\EDITOR", "C:\\Apps.\\Editor"},
               {"OriginEndingInAPeriod", "PROGS\\EDITOR.", "C:\\Apps\\Editor"}};
  std::vector<Scenario> scenarios;
  for (const auto& c : cases) {
    const auto prepare = [=](const ScratchPrefix& prefix) {
      WriteEditorTree(prefix);
      prefix.MakeDirectory(kIndexDirectory);
      prefix.WriteFile(
          "D:\\DADOS\\PROGS.INI",
          prefix.ReadFile("D:\\DADOS\\PROGS.INI") +
              CrLfLines({"[PONTO]", "Nome=Editor de Texto", "Descricao=Editor simples",
                         std::string("Origem=") + c.origin, "Destino=" + c.destination}));
    };
    const auto check = [=](const ScratchPrefix& prefix, const Outcome& outcome) {
      EXPECT_EQ(outcome.destination, InstalledEditor(prefix));
      EXPECT_EQ(NamesIn(prefix.Unix("C:\\Apps")), std::set<std::string>{"Editor"});
      EXPECT_EQ(prefix.ReadFile(kIndex),
                "Editor de Texto\tEditor simples\t" + c.destination + "\tVORTANE\r\n");
    };
    scenarios.push_back({c.name,
                         {kTitle, "D:\\", "PONTO", "1", "*.*"},
                         "yes",
                         "C:\\Apps\\Editor",
                         prepare,
                         {Asked(c.destination + "\\"), kDone},
                         check});
  }
  return scenarios;
}

std::vector<Scenario> Scenarios() {
  const auto editorWithIndex = [](const ScratchPrefix& prefix) {
    WriteEditorTree(prefix);
    prefix.MakeDirectory(kIndexDirectory);
  };
  const std::vector<std::string> editor{kTitle, "D:\\", "EDITOR", "1", "*.*"};
  return {
      {"AnswerNo",
       editor,
       "no",
       kEditor,
       editorWithIndex,
       {Refused(kEditor)},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_TRUE(outcome.destination.empty());
         EXPECT_FALSE(prefix.Exists(kIndex));
       }},
      {"PlainInstall",
       editor,
       "yes",
       kEditor,
       editorWithIndex,
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(outcome.destination, InstalledEditor(prefix));
         EXPECT_EQ(outcome.destination.count("A\xC3\xA7\xC3\xA3o.txt"), 1u);
         EXPECT_EQ(prefix.ReadFile(kIndex), kWineEditorLine);
       }},
      {"Variant",
       {kTitle, "D:\\", "XADREZ", "B", "*.*"},
       "yes",
       kXadrez,
       [](const ScratchPrefix& prefix) {
         WriteXadrezTree(prefix);
         prefix.MakeDirectory(kIndexDirectory);
       },
       {Asked(kXadrez), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(outcome.destination, AsInstalled(Snapshot(prefix.Unix("D:\\PROGS\\XADREZ32"))));
         EXPECT_EQ(prefix.ReadFile(kIndex),
                   "Xadrez 3D\tJogo de xadrez\tC:\\Jogos\\Xadrez\tVORTANE\r\n");
       }},
      {"Fonts",
       {kTitle, "D:\\", "FONTES", "1", "*.*"},
       "yes",
       kFontsOnDisk,
       [](const ScratchPrefix& prefix) { prefix.WriteFile("D:\\FONTES\\LETRA.TTF", "fonte"); },
       {Asked(kFonts), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(prefix.ReadFile(kFontsOnDisk + "LETRA.TTF"), "fonte");
         EXPECT_TRUE(outcome.indexDirectory.empty());
         EXPECT_FALSE(prefix.Exists(kIndexDirectory));
       }},
      {"HiddenAndSystemEntries",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         WriteDosAttributedEntries(prefix);
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(outcome.destination, WithoutDosAttributed(InstalledEditor(prefix)));
       }},
      {"FailingCopy",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.MakeDirectory(kEditor + "EDITOR.EXE");  // the file cannot be created
       },
       {Asked(kEditor), Told("Erro de C\xC3\xB3pia")},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_FALSE(prefix.Exists(kIndex));
         // The file copied before the failure goes again; what was there stays.
         ASSERT_EQ(outcome.destination.size(), 1u);
         EXPECT_TRUE(outcome.destination.begin()->second.directory);
       }},
      // Links back to a folder being copied get their folder, left empty, and nothing more.
      {"LinksBackToAnAncestor",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         const std::string editor = prefix.Unix("D:\\PROGS\\EDITOR");
         std::filesystem::create_directory_symlink(".", editor + "/volta");
         std::filesystem::create_directory_symlink("..", editor + "/AJUDA/topo");
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         Tree expected = InstalledEditor(prefix);
         for (const char* link : {"volta", "AJUDA/topo"}) expected[link] = {true, false, ""};
         EXPECT_EQ(outcome.destination, expected);
       }},
      // Folders equal by the locale's comparison are copied once; a hyphen makes them differ.
      {"EqualFolderNames",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         for (const char* name : {"stra\xDF"
                                  "e",
                                  "strasse",
                                  "\xC6"
                                  "ther",
                                  "AEther", "coop", "co-op"}) {
           prefix.WriteFile(std::string("D:\\PROGS\\EDITOR\\") + name + "\\F.TXT", name);
         }
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix&, const Outcome& outcome) {
         const auto copied = [&](std::initializer_list<const char*> names) {
           int count = 0;
           for (const char* name : names)
             count += static_cast<int>(outcome.destination.count(name));
           return count;
         };
         EXPECT_EQ(copied({"stra\xC3\x9F"
                           "e",
                           "strasse"}),
                   1);
         EXPECT_EQ(copied({"\xC3\x86"
                           "ther",
                           "AEther"}),
                   1);
         EXPECT_EQ(copied({"coop", "co-op"}), 2);
       }},
      {"MatchingCdromLine",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.MakeDirectory(kEditor);
         const std::string line =
             "Editor de Texto\tEditor simples\t" + ShortPathIn(prefix, kEditor) + "\tCDROM\r\n";
         prefix.WriteFile(kIndex, line);
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(outcome.destination, InstalledEditor(prefix));
         const std::string index = prefix.ReadFile(kIndex);
         EXPECT_NE(index.find("\tC:\\PROG~"), std::string::npos) << index;
         EXPECT_EQ(index.find("VORTANE"), std::string::npos) << index;
       }},
      {"MissingOrigin",
       editor,
       "yes",
       kEditor,
       [](const ScratchPrefix& prefix) { prefix.MakeDirectory(kIndexDirectory); },
       {},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         ASSERT_EQ(outcome.transcript.size(), 2u);
         EXPECT_EQ(outcome.transcript[0], Asked(kEditor));
         EXPECT_NE(outcome.transcript[1].find("\"caption\":\"Application Error\""),
                   std::string::npos);
         // cdinst.exe under Wine, cdinst on Linux.
         EXPECT_NE(outcome.transcript[1].find("Exception IoError in module cdinst"),
                   std::string::npos)
             << outcome.transcript[1];
         EXPECT_FALSE(prefix.Exists(kIndex));
       },
       1},
      {"Mask",
       {kTitle, "D:\\", "EDITOR", "1", "*.TXT;*.bmp"},
       "yes",
       kEditor,
       editorWithIndex,
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         const Tree source = InstalledEditor(prefix);
         Tree expected;
         for (const char* path : {"LEIAME.TXT", "A\xC3\xA7\xC3\xA3o.txt", "AJUDA", "AJUDA/IMAGENS",
                                  "AJUDA/IMAGENS/LOGO.BMP", "VAZIO"}) {
           expected[path] = source.at(path);
         }
         EXPECT_EQ(outcome.destination, expected);
       }},
      {"DestinationBlockedByAFile",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.WriteFile("C:\\Program Files (x86)\\Editor", "not a directory");
       },
       {Asked(kEditor), Told("Erro na cria\xC3\xA7\xC3\xA3o do Diret\xC3\xB3rio")},
       [](const ScratchPrefix& prefix, const Outcome&) { EXPECT_FALSE(prefix.Exists(kIndex)); }},
      // A share is the root of the path: nothing is made at the root of the current drive (the
      // medium's), where its server's name would otherwise land.
      {"MissingShare",
       {kTitle, "D:\\", "REDE", "1", "*.*"},
       "yes",
       "D:\\servidor",
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.WriteFile("D:\\DADOS\\PROGS.INI",
                          prefix.ReadFile("D:\\DADOS\\PROGS.INI") +
                              CrLfLines({"[REDE]", "Nome=Rede", "Origem=PROGS\\EDITOR",
                                         "Destino=\\\\servidor\\pasta\\Editor"}));
       },
       {Asked("\\\\servidor\\pasta\\Editor\\"),
        Told("Erro na cria\xC3\xA7\xC3\xA3o do Diret\xC3\xB3rio")},
       [](const ScratchPrefix& prefix, const Outcome&) {
         EXPECT_FALSE(prefix.Exists("D:\\servidor"));
         EXPECT_FALSE(prefix.Exists("C:\\servidor"));
       }},
      {"WrongParameterCount",
       {kTitle, "d:\\", "EDITOR", "1"},
       "yes",
       kEditor,
       editorWithIndex,
       {},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_TRUE(outcome.transcript.empty());
         EXPECT_FALSE(prefix.Exists(kIndex));
       }},
      // An empty parameter reaches the program as "", which its command line rule drops.
      {"EmptyParameter",
       {kTitle, "D:\\", "EDITOR", "", "*.*"},
       "yes",
       kEditor,
       editorWithIndex,
       {},
       [](const ScratchPrefix&, const Outcome& outcome) {
         EXPECT_TRUE(outcome.transcript.empty());
       }},
      {"MissingIndexDirectory",
       editor,
       "yes",
       kEditor,
       [](const ScratchPrefix& prefix) { WriteEditorTree(prefix); },
       {Asked(kEditor)},
       [](const ScratchPrefix& prefix, const Outcome& outcome) {
         EXPECT_EQ(outcome.destination, InstalledEditor(prefix));
         EXPECT_FALSE(prefix.Exists(kIndexDirectory));
       }},
      // A TAB would shift the index's fields for every reader, a Ctrl-Z hide every later line.
      {"SettingsWithLineBreakingBytes",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.WriteFile(
             "D:\\DADOS\\PROGS.INI",
             CrLfLines({"[EDITOR]", "Nome=Editor\tde Texto", "Descricao=Editor\x1Asimples",
                        "Origem=PROGS\\EDITOR", "Destino=%PROGRAMFILES%\\Editor"}));
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome&) {
         EXPECT_EQ(prefix.ReadFile(kIndex),
                   "Editor de Texto\tEditor simples\tC:\\Program Files (x86)\\Editor\tVORTANE\r\n");
       }},
      // By the index's reading rules a bare LF ends no line.
      {"IndexEndingInABareLf",
       editor,
       "yes",
       kEditor,
       [=](const ScratchPrefix& prefix) {
         editorWithIndex(prefix);
         prefix.WriteFile(kIndex, "Outro\tPrograma\tC:\\OUTRO\tCDROM\n");
       },
       {Asked(kEditor), kDone},
       [](const ScratchPrefix& prefix, const Outcome&) {
         EXPECT_EQ(prefix.ReadFile(kIndex),
                   "Outro\tPrograma\tC:\\OUTRO\tCDROM\n\r\n" + kWineEditorLine);
       }},
  };
}

// Where the tree mastered onto the disc is kept.
std::string MasteredTree(const ScratchPrefix& prefix) { return prefix.Directory() + "/mastered"; }

// The medium mastered as a Joliet disc with SECRETO.TXT hidden on it; the tree is moved to
// MasteredTree, leaving drive D:'s directory empty.
std::string MasterEditorDisc(const ScratchPrefix& prefix) {
  WriteEditorTree(prefix);
  prefix.WriteFile("D:\\PROGS\\EDITOR\\SECRETO.TXT", "escondido");
  prefix.MakeDirectory(kIndexDirectory);
  const std::string medium = std::filesystem::canonical(prefix.Unix("D:\\"));
  // Wine hides a name that begins with a dot, Windows' CD file system does not: the disc holds
  // none, so that both sides show the same.
  std::vector<std::filesystem::path> dotted;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(medium)) {
    if (entry.path().filename().string()[0] == '.') dotted.push_back(entry.path());
  }
  for (const auto& path : dotted) std::filesystem::remove_all(path);
  const std::string iso = prefix.Directory() + "/disc.iso";
  EXPECT_TRUE(MasterImage(medium, iso, "-J", "CD"));
  MarkHiddenOnDisc(iso, "SECRETO.TXT");
  std::filesystem::rename(medium, MasteredTree(prefix));
  std::filesystem::create_directory(medium);
  return iso;
}

// Under Wine, D: is the disc as a tool extracts it, with the hidden flag kept as Wine keeps it.
void ExtractForWine(const ScratchPrefix& prefix) {
  if (!CanMasterImages()) GTEST_SKIP() << "xorriso is needed";
  const std::string iso = MasterEditorDisc(prefix);
  const std::string medium = std::filesystem::canonical(prefix.Unix("D:\\"));
  const std::string extract =
      "xorriso -osirrox on -indev '" + iso + "' -extract / '" + medium + "' 2>/dev/null";
  ASSERT_EQ(std::system(extract.c_str()), 0);
  const std::string hidden = medium + "/PROGS/EDITOR/SECRETO.TXT";
  if (setxattr(hidden.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0) {
    GTEST_SKIP() << "the file system keeps no user attributes";
  }
}

// The Linux program reads the image itself as drive D:.
void ImageForLinux(const ScratchPrefix& prefix) {
  if (!CanMasterImages()) GTEST_SKIP() << "xorriso is needed";
  prefix.MapDrive('D', MasterEditorDisc(prefix));
}

std::vector<Scenario> DiscImageScenarios() {
  return {{"EditorFromAJolietImage",
           {kTitle, "D:\\", "EDITOR", "1", "*.*"},
           "yes",
           kEditor,
           ExtractForWine,
           {Asked(kEditor), kDone},
           [](const ScratchPrefix& prefix, const Outcome& outcome) {
             Tree expected = AsInstalled(Snapshot(MasteredTree(prefix) + "/PROGS/EDITOR"));
             expected.erase("SECRETO.TXT");
             EXPECT_EQ(outcome.destination, expected);
             EXPECT_EQ(outcome.destination.count("A\xC3\xA7\xC3\xA3o.txt"), 1u);
             EXPECT_EQ(prefix.ReadFile(kIndex), kWineEditorLine);
           },
           0,
           ImageForLinux}};
}

// The fatal report names the program's file (cdinst.exe, cdinst) and a place in its code,
// which differ between the two builds.
std::vector<std::string> WithoutModuleAndOffset(std::vector<std::string> transcript) {
  const std::regex place(" in module [^ ]+ at [0-9A-F]{8}\\.");
  for (std::string& line : transcript)
    line = std::regex_replace(line, place, " in module ... at ...");
  return transcript;
}

// Runs start in the medium's root, as the medium's menu program starts them, so that the current
// drive is the medium's.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingDirectory() { std::filesystem::current_path(saved_); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path saved_;
};

class WineScenarioTest : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    if (!WineRunsEnabled()) GTEST_SKIP() << "set CDINST_WINE_TESTS=1 to run under Wine";
    ASSERT_EQ(MissingForWineRuns(), "");
    const std::string wineTemplate = WineTemplatePrefix();
    windows_ = std::make_unique<ScratchPrefix>(wineTemplate);
    linux_ = std::make_unique<ScratchPrefix>(wineTemplate);
    const Scenario& scenario = GetParam();
    for (const ScratchPrefix* prefix : {windows_.get(), linux_.get()}) {
      WriteMediumSettings(*prefix);
      const bool own = prefix == linux_.get() && scenario.prepareLinux;
      (own ? scenario.prepareLinux : scenario.prepare)(*prefix);
      if (IsSkipped()) return;
    }
  }
  void TearDown() override {
    if (windows_) StopWine(*windows_);
  }

  Outcome Observed(const ScratchPrefix& prefix, const ProgramResult& result) const {
    return {result.exitCode, result.transcript, Snapshot(prefix.Unix(GetParam().destination)),
            Snapshot(prefix.Unix(kIndexDirectory))};
  }
  Outcome RunWindowsProgram() const {
    const Scenario& scenario = GetParam();
    const WorkingDirectory onTheMedium(windows_->Unix("D:\\"));
    return Observed(*windows_, RunUnderWine(*windows_, scenario.parameters,
                                            {{"CDINST_ANSWER", scenario.answer}}));
  }
  Outcome RunLinuxProgram() const {
    const Scenario& scenario = GetParam();
    // A drive that holds an image has no directory to start in.
    const std::string medium = linux_->Unix("D:\\");
    const WorkingDirectory onTheMedium(std::filesystem::is_directory(medium) ? medium
                                                                             : linux_->Directory());
    return Observed(*linux_, RunProgram(scenario.parameters,
                                        {{"CDINST_ANSWER", scenario.answer},
                                         {"CDINST_PREFIX", linux_->PrefixDirectory()}},
                                        linux_->Directory()));
  }

  std::unique_ptr<ScratchPrefix> windows_;
  std::unique_ptr<ScratchPrefix> linux_;
};

TEST_P(WineScenarioTest, WindowsProgramDoesWhatIsExpectedAndTheLinuxBuildTheSame) {
  const Scenario& scenario = GetParam();
  const Outcome windows = RunWindowsProgram();
  EXPECT_EQ(windows.exitCode, scenario.exitCode);
  if (!scenario.transcript.empty()) {
    EXPECT_EQ(windows.transcript, scenario.transcript);
  }
  scenario.check(*windows_, windows);

  const Outcome onLinux = RunLinuxProgram();
  scenario.check(*linux_, onLinux);
  EXPECT_EQ(onLinux.exitCode, windows.exitCode);
  EXPECT_EQ(WithoutModuleAndOffset(onLinux.transcript), WithoutModuleAndOffset(windows.transcript));
  EXPECT_EQ(onLinux.destination, windows.destination);
  EXPECT_EQ(onLinux.indexDirectory, windows.indexDirectory);
}

INSTANTIATE_TEST_SUITE_P(Media, WineScenarioTest, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(TrailingPeriods, WineScenarioTest,
                         ::testing::ValuesIn(TrailingPeriodScenarios()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(DiscImages, WineScenarioTest, ::testing::ValuesIn(DiscImageScenarios()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(HostileNames, WineScenarioTest,
                         ::testing::ValuesIn(HostileNameScenarios()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace cdinst::testing
