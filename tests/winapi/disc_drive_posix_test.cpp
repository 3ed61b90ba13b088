// A drive that maps to a disc image: the calls the installer makes on its medium, answered as
// Windows' CD file system answers them, straight from the image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "disc_mastering.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSettings = "[EDITOR]\r\nNome=Editor\r\n";
const std::string kBig(70000, 'b');  // past one read-ahead chunk

class DiscDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanMasterImages()) GTEST_SKIP() << "xorriso is needed to master images";
    const std::string tree = prefix_.Directory() + "/tree";
    Write(tree + "/DADOS/PROGS.INI", kSettings);
    Write(tree + "/PROGS/EDITOR/Leia-me agora.txt", "leia");
    Write(tree + "/PROGS/EDITOR/GRANDE.BIN", kBig);
    Write(tree + "/PROGS/EDITOR/OCULTO.TXT", "x");
    Write(tree + "/PROGS/EDITOR/.ponto", "not hidden on a disc");
    fs::create_directories(tree + "/PROGS/EDITOR/AJUDA");
    iso_ = prefix_.Directory() + "/disc.iso";
    ASSERT_TRUE(MasterImage(tree, iso_, "-J", "Disco Teste"));
    MarkHiddenOnDisc(iso_, "OCULTO.TXT");
    MarkHiddenOnDisc(iso_, "AJUDA");
    prefix_.MapDrive('D', iso_);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  }

  static void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  ScratchPrefix prefix_;
  std::string iso_;
};

TEST_F(DiscDriveTest, SearchesListTheDiscInItsOrderWithWindowsAttributes) {
  const SearchResult found = Search("d:\\progs\\editor\\*.*");
  ASSERT_EQ(found.error, static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(found.Names(), (std::vector<std::string>{".", "..", ".ponto", "AJUDA", "GRANDE.BIN",
                                                     "Leia-me agora.txt", "OCULTO.TXT"}));
  const DWORD expected[] = {FILE_ATTRIBUTE_DIRECTORY,
                            FILE_ATTRIBUTE_DIRECTORY,
                            FILE_ATTRIBUTE_READONLY,
                            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN,
                            FILE_ATTRIBUTE_READONLY,
                            FILE_ATTRIBUTE_READONLY,
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN};
  for (size_t i = 0; i < found.entries.size(); ++i) {
    EXPECT_EQ(found.entries[i].dwFileAttributes, expected[i]) << found.entries[i].cFileName;
  }
  EXPECT_EQ(found.entries[4].nFileSizeLow, kBig.size());
  EXPECT_NE(found.entries[4].ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_EQ(Search("D:\\*.*").Names(), (std::vector<std::string>{"DADOS", "PROGS"}));
  EXPECT_EQ(Search("D:\\PROGS\\EDITOR\\leia-ME AGORA.TXT").Names(),
            (std::vector<std::string>{"Leia-me agora.txt"}));
  EXPECT_EQ(Search("D:\\PROGS\\EDITOR\\*.bin").Names(), (std::vector<std::string>{"GRANDE.BIN"}));
  EXPECT_EQ(Search("D:\\PROGS\\NADA\\*.*").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Search("D:\\PROGS\\EDITOR\\*.xyz").error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("D:\\PROGS\\EDITOR\\oculto.txt"),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  // A folder asked by its own path shows no flags of its record, as on Windows.
  EXPECT_EQ(GetFileAttributesA("D:\\PROGS\\EDITOR\\AJUDA"),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(AttributesError("D:\\PROGS\\NADA.TXT"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DiscDriveTest, FilesOpenAndReadAsOnTheDisc) {
  const HFILE file = _lopen("D:\\PROGS\\EDITOR\\GRANDE.BIN", OF_READ | OF_SHARE_DENY_NONE);
  ASSERT_NE(file, HFILE_ERROR);
  std::string bytes(kBig.size() + 10, '\0');
  UINT total = 0;
  for (UINT got; (got = _lread(file, bytes.data() + total, 1024)) > 0;) total += got;
  EXPECT_EQ(bytes.substr(0, total), kBig);
  EXPECT_EQ(_llseek(file, 0, FILE_END), static_cast<LONG>(kBig.size()));
  EXPECT_EQ(_llseek(file, 69999, FILE_BEGIN), 69999);
  EXPECT_EQ(_lread(file, bytes.data(), 10), 1u);
  BY_HANDLE_FILE_INFORMATION information;
  ASSERT_TRUE(GetFileInformationByHandle(reinterpret_cast<HANDLE>(file), &information));
  EXPECT_EQ(information.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  DWORD serial = 0;
  ASSERT_TRUE(GetVolumeInformationA("D:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(information.dwVolumeSerialNumber, serial);
  EXPECT_EQ(_lclose(file), 0);

  char value[64];
  EXPECT_EQ(
      GetPrivateProfileStringA("editor", "nome", "", value, sizeof value, "D:\\DADOS\\PROGS.INI"),
      6u);
  EXPECT_STREQ(value, "Editor");
}

TEST_F(DiscDriveTest, EveryChangeIsRefusedAsOnACd) {
  const std::string file = "D:\\PROGS\\EDITOR\\GRANDE.BIN";
  const auto openError = [](const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE handle =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  };
  EXPECT_EQ(openError(file, GENERIC_WRITE, OPEN_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(openError(file, GENERIC_READ, CREATE_ALWAYS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(openError("D:\\NOVO.TXT", GENERIC_READ, CREATE_NEW),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(openError("D:\\NOVO.TXT", GENERIC_READ, OPEN_EXISTING),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(openError("D:\\NADA\\NOVO.TXT", GENERIC_READ, OPEN_EXISTING),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(_lcreat("D:\\NOVO.TXT", 0), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateDirectoryError("D:\\NOVA"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileA(file.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(RemoveDirectoryA("D:\\PROGS\\EDITOR\\AJUDA"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Search("D:\\PROGS\\EDITOR\\*.*").entries.size(), 7u);
}

TEST_F(DiscDriveTest, CurrentDirectoryVolumeAndChangesWorkOnTheDisc) {
  ASSERT_EQ(ChangeDirectoryError("D:\\progs\\EDITOR"), 0u);
  EXPECT_EQ(CurrentDirectoryText(), "D:\\progs\\EDITOR");
  EXPECT_EQ(Search("AJUDA").Names(), (std::vector<std::string>{"AJUDA"}));
  EXPECT_EQ(ChangeDirectoryError("GRANDE.BIN"), static_cast<DWORD>(ERROR_DIRECTORY));
  char label[MAX_PATH], system[MAX_PATH];
  DWORD flags = 0, longest = 0;
  ASSERT_TRUE(GetVolumeInformationA("D:\\", label, sizeof label, nullptr, &longest, &flags, system,
                                    sizeof system));
  EXPECT_STREQ(label, "Disco Teste");
  EXPECT_STREQ(system, "CDFS");
  EXPECT_EQ(longest, 110u);
  EXPECT_EQ(flags & (FS_CASE_SENSITIVE | FILE_READ_ONLY_VOLUME),
            static_cast<DWORD>(FS_CASE_SENSITIVE | FILE_READ_ONLY_VOLUME));
  const HANDLE changes =
      FindFirstChangeNotificationA("D:\\PROGS", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(changes, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(changes, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(FindCloseChangeNotification(changes));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
}

// Wine names the device behind a drive "d::"; it is read when "d:" leads to no directory.
TEST_F(DiscDriveTest, DeviceEntryServesADriveWithoutADirectory) {
  const std::string dosdevices = prefix_.PrefixDirectory() + "/dosdevices";
  fs::remove(dosdevices + "/d:");
  fs::create_directory_symlink(prefix_.Directory() + "/no-such-mount", dosdevices + "/d:");
  fs::create_symlink(iso_, dosdevices + "/d::");
  EXPECT_EQ(Search("D:\\*.*").Names(), (std::vector<std::string>{"DADOS", "PROGS"}));
  fs::remove(dosdevices + "/d::");
  EXPECT_EQ(Search("D:\\*.*").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace cdinst::testing
