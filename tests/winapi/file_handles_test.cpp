// CreateFileA and the calls on its handles, as Windows behaves.
#include <gtest/gtest.h>

#include <string>

#include "platform_checks.h"
#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr const char* kReadOnlyUnderWine =
    "Wine leaves read-only to Unix permissions, which do not stop root";

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kOpened = ~DWORD{0};

class FileHandlesTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteFile(kFile, "0123456789"); }

  std::string Written(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return "error " + std::to_string(GetLastError());
    }
    return std::to_string(written);
  }

  std::string Read(HANDLE handle, DWORD count) {
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (!ReadFile(handle, bytes.data(), count, &read, nullptr)) {
      return "error " + std::to_string(GetLastError());
    }
    return bytes.substr(0, read);
  }

  DWORD Position(HANDLE handle) { return SetFilePointer(handle, 0, nullptr, FILE_CURRENT); }

  static constexpr const char* kFile = "C:\\data\\file.txt";
  ScratchPrefix prefix_;
};

TEST_F(FileHandlesTest, OpeningWhatIsNotAFileFails) {
  prefix_.MakeDirectory("C:\\data\\folder");
  EXPECT_EQ(OpenError("C:\\data\\missing.txt", GENERIC_READ, kShareAll), DWORD{2});
  EXPECT_EQ(OpenError("C:\\nowhere\\file.txt", GENERIC_READ, kShareAll), DWORD{3});
  EXPECT_EQ(OpenError("C:\\data\\folder", GENERIC_READ, kShareAll), DWORD{5});
  EXPECT_EQ(OpenError("C:\\data\\folder\\", GENERIC_READ, kShareAll), DWORD{5});
  EXPECT_EQ(OpenError("C:\\data\\folder", kReadWrite, kShareAll, CREATE_ALWAYS), DWORD{5});
  EXPECT_EQ(OpenError("C:\\nowhere\\new.txt", kReadWrite, kShareAll, CREATE_ALWAYS), DWORD{3});
  EXPECT_EQ(OpenError("C:\\data\\missing.txt", kReadWrite, kShareAll, TRUNCATE_EXISTING), DWORD{2});
  EXPECT_EQ(OpenError("", GENERIC_READ, kShareAll), DWORD{3});
  EXPECT_EQ(OpenError(kFile, GENERIC_READ, kShareAll, 0), DWORD{87});
  EXPECT_FALSE(prefix_.Exists("C:\\data\\missing.txt"));
}

TEST_F(FileHandlesTest, DispositionsCreateCutOrKeepAndTellWhetherTheFileExisted) {
  struct Case {
    DWORD disposition;
    bool existing;
    DWORD lastError;
    const char* contentAfter;
  };
  const Case cases[] = {
      {CREATE_NEW, false, 0, ""},       {CREATE_NEW, true, kOpened, "0123456789"},
      {CREATE_ALWAYS, false, 0, ""},    {CREATE_ALWAYS, true, 183, ""},
      {OPEN_ALWAYS, false, 0, ""},      {OPEN_ALWAYS, true, 183, "0123456789"},
      {TRUNCATE_EXISTING, true, 0, ""}, {OPEN_EXISTING, true, 0, "0123456789"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("disposition " + std::to_string(c.disposition) + (c.existing ? " existing" : ""));
    const std::string path =
        c.existing ? kFile : "C:\\data\\new" + std::to_string(c.disposition) + ".txt";
    SetLastError(1234);
    ScopedHandle handle(OpenForTest(path, kReadWrite, kShareAll, c.disposition));
    if (c.lastError == kOpened) {
      EXPECT_FALSE(handle.Valid());
      EXPECT_EQ(GetLastError(), DWORD{80});
    } else {
      ASSERT_TRUE(handle.Valid());
      EXPECT_EQ(GetLastError(), c.lastError);
    }
    handle.Close();
    EXPECT_EQ(prefix_.ReadFile(path), c.contentAfter);
    prefix_.WriteFile(kFile, "0123456789");
  }
}

TEST_F(FileHandlesTest, ReadOnlyFileOpensForReadingOnly) {
  prefix_.SetReadOnly(kFile, true);
  ScopedHandle reader(OpenForTest(kFile, GENERIC_READ, kShareAll));
  ASSERT_TRUE(reader.Valid());
  EXPECT_EQ(Read(reader.Get(), 4), "0123");
  reader.Close();
  if (WineDepartsFromWindows(kReadOnlyUnderWine)) return;
  EXPECT_EQ(OpenError(kFile, GENERIC_WRITE, kShareAll), DWORD{5});
  EXPECT_EQ(OpenError(kFile, kReadWrite, kShareAll, OPEN_ALWAYS), DWORD{5});
  EXPECT_EQ(OpenError(kFile, kReadWrite, kShareAll, CREATE_ALWAYS), DWORD{5});
  EXPECT_EQ(OpenError(kFile, GENERIC_WRITE, kShareAll, TRUNCATE_EXISTING), DWORD{5});
  prefix_.SetReadOnly(kFile, false);
  EXPECT_EQ(prefix_.ReadFile(kFile), "0123456789");
}

TEST_F(FileHandlesTest, FileCreatedReadOnlyIsWrittenThroughItsOwnHandle) {
  const std::string path = "C:\\data\\locked.txt";
  ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_READONLY, nullptr));
  ASSERT_TRUE(handle.Valid());
  EXPECT_EQ(Written(handle.Get(), "abc"), "3");
  handle.Close();
  EXPECT_EQ(prefix_.ReadFile(path), "abc");
  if (!WineDepartsFromWindows(kReadOnlyUnderWine)) {
    EXPECT_EQ(OpenError(path, GENERIC_WRITE, kShareAll), DWORD{5});
  }
  prefix_.SetReadOnly(path, false);
}

TEST_F(FileHandlesTest, ReadsAndWritesFollowTheFilePointerAndTheHandlesAccess) {
  ScopedHandle handle(OpenForTest(kFile, kReadWrite, kShareAll));
  ASSERT_TRUE(handle.Valid());
  EXPECT_EQ(Read(handle.Get(), 4), "0123");
  EXPECT_EQ(Written(handle.Get(), "ab"), "2");
  EXPECT_EQ(Position(handle.Get()), DWORD{6});
  EXPECT_EQ(Read(handle.Get(), 100), "6789");
  EXPECT_EQ(Read(handle.Get(), 100), "");  // the end: success, nothing read
  handle.Close();
  EXPECT_EQ(prefix_.ReadFile(kFile), "0123ab6789");

  ScopedHandle reader(OpenForTest(kFile, GENERIC_READ, kShareAll));
  ScopedHandle writer(OpenForTest(kFile, GENERIC_WRITE, kShareAll));
  EXPECT_EQ(Written(reader.Get(), "x"), "error 5");
  EXPECT_EQ(Read(writer.Get(), 1), "error 5");
  EXPECT_EQ(prefix_.ReadFile(kFile), "0123ab6789");
}

TEST_F(FileHandlesTest, FilePointerMovesAnywhereFromTheStartOn) {
  ScopedHandle handle(OpenForTest(kFile, kReadWrite, kShareAll));
  ASSERT_TRUE(handle.Valid());
  EXPECT_EQ(SetFilePointer(handle.Get(), -2, nullptr, FILE_END), DWORD{8});
  EXPECT_EQ(SetFilePointer(handle.Get(), -3, nullptr, FILE_CURRENT), DWORD{5});
  EXPECT_EQ(SetFilePointer(handle.Get(), -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD{131});
  EXPECT_EQ(SetFilePointer(handle.Get(), 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD{87});
  EXPECT_EQ(Position(handle.Get()), DWORD{5});

  // With a high part the distance and the position are 64-bit.
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(handle.Get(), 16, &high, FILE_BEGIN), DWORD{16});
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(handle.Get(), 0, &high, FILE_CURRENT), DWORD{16});
  EXPECT_EQ(high, 1);
  high = -2;  // -(2^32 + 17): one byte before the start
  EXPECT_EQ(SetFilePointer(handle.Get(), -17, &high, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD{131});
  high = -2;  // -(2^32 + 4): back to 12
  EXPECT_EQ(SetFilePointer(handle.Get(), -4, &high, FILE_CURRENT), DWORD{12});
  EXPECT_EQ(high, 0);

  EXPECT_EQ(Written(handle.Get(), "!"), "1");  // past the end: the gap reads as zeros
  handle.Close();
  EXPECT_EQ(prefix_.ReadFile(kFile), std::string("0123456789\0\0!", 13));
}

TEST_F(FileHandlesTest, SizeAndEndOfFile) {
  ScopedHandle handle(OpenForTest(kFile, kReadWrite, kShareAll));
  ASSERT_TRUE(handle.Valid());
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(handle.Get(), &high), DWORD{10});
  EXPECT_EQ(high, DWORD{0});
  SetFilePointer(handle.Get(), 3, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(handle.Get()));
  LARGE_INTEGER size{};
  EXPECT_TRUE(GetFileSizeEx(handle.Get(), &size));
  EXPECT_EQ(size.QuadPart, 3);
  SetFilePointer(handle.Get(), 6, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(handle.Get()));
  EXPECT_EQ(Position(handle.Get()), DWORD{6});
  handle.Close();
  EXPECT_EQ(prefix_.ReadFile(kFile), std::string("012\0\0\0", 6));

  ScopedHandle reader(OpenForTest(kFile, GENERIC_READ, kShareAll));
  EXPECT_FALSE(SetEndOfFile(reader.Get()));
  EXPECT_TRUE(GetLastError() == 5 || GetLastError() == 87);  // Windows 5, Wine 87
  EXPECT_EQ(GetFileSize(reader.Get(), nullptr), DWORD{6});
}

// Backup semantics open a directory for queries: which directory it is, whatever the spelling,
// and never its bytes.
TEST_F(FileHandlesTest, DirectoryOpensForQueriesOnly) {
  prefix_.MakeDirectory("C:\\data\\folder");
  const auto open = [](const char* path, DWORD access) {
    return CreateFileA(path, access, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
  };
  const auto index = [](HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) return std::string("error");
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string("file");
    return std::to_string(information.dwVolumeSerialNumber) + ":" +
           std::to_string(information.nFileIndexHigh) + ":" +
           std::to_string(information.nFileIndexLow);
  };
  ScopedHandle folder(open("C:\\data\\folder", 0));
  ScopedHandle respelled(open("c:\\DATA\\Folder\\", 0));
  ScopedHandle reading(open("C:\\data\\folder", GENERIC_READ));
  ScopedHandle parent(open("C:\\data", 0));
  ASSERT_TRUE(folder.Valid() && respelled.Valid() && reading.Valid() && parent.Valid());
  EXPECT_EQ(index(respelled.Get()), index(folder.Get()));
  EXPECT_EQ(index(reading.Get()), index(folder.Get()));
  EXPECT_NE(index(parent.Get()), index(folder.Get()));
  EXPECT_EQ(Read(folder.Get(), 1), "error 5");
  EXPECT_EQ(Written(folder.Get(), "x"), "error 5");
}

// The native query gives the file index alone, the one GetFileInformationByHandle gives, for a
// file and a directory alike.
TEST_F(FileHandlesTest, NativeQueryTellsTheFileIndex) {
  const auto native = [](HANDLE handle, ULONG length) {
    FILE_INTERNAL_INFORMATION information{};
    IO_STATUS_BLOCK status{};
    const NTSTATUS result =
        NtQueryInformationFile(handle, &status, &information, length, FileInternalInformation);
    if (!NT_SUCCESS(result)) return "status " + std::to_string(static_cast<uint32_t>(result));
    return std::to_string(information.IndexNumber.QuadPart);
  };
  const auto index = [](HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) return std::string("error");
    return std::to_string((uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow);
  };
  ScopedHandle file(OpenForTest(kFile, GENERIC_READ, kShareAll));
  ScopedHandle folder(CreateFileA("C:\\data", 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ASSERT_TRUE(file.Valid() && folder.Valid());
  const ULONG size = sizeof(FILE_INTERNAL_INFORMATION);
  EXPECT_EQ(native(file.Get(), size), index(file.Get()));
  EXPECT_EQ(native(folder.Get(), size), index(folder.Get()));
  EXPECT_NE(native(file.Get(), size), native(folder.Get(), size));
  EXPECT_EQ(native(file.Get(), size - 1), "status 3221225476");  // STATUS_INFO_LENGTH_MISMATCH
  HANDLE closed = OpenForTest(kFile, GENERIC_READ, kShareAll);
  CloseHandle(closed);
  EXPECT_EQ(native(closed, size), "status 3221225480");  // STATUS_INVALID_HANDLE
}

TEST_F(FileHandlesTest, ClosedHandleIsInvalid) {
  HANDLE handle = OpenForTest(kFile, GENERIC_READ, kShareAll);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(handle));
  EXPECT_FALSE(CloseHandle(handle));
  EXPECT_EQ(GetLastError(), DWORD{6});
  EXPECT_EQ(Read(handle, 1), "error 6");
  EXPECT_EQ(GetFileSize(handle, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), DWORD{6});
  EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD{6});
}

}  // namespace
}  // namespace cdinst::testing
