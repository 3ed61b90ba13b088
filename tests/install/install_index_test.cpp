#include "install/install_index.h"

#include <gtest/gtest.h>

#include <string>

#include "install_index_fixture.h"
#include "platform/io_error.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

using InstallIndexTest = testing::InstallIndexFixture;
using testing::kDescription;
using testing::kDestination;
using testing::kName;
using testing::kOwnLine;
using testing::ShortPath;

TEST_F(InstallIndexTest, MissingFileIsCreatedWithTheOneLine) {
  EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(TakeIoResult(), 0);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), kOwnLine);
}

TEST_F(InstallIndexTest, MissingDirectoryIsNotCreated) {
  testing::ScratchPrefix bare;
  bare.MakeDirectory(kDestination);
  EXPECT_FALSE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(TakeIoResult(), 0);
  EXPECT_FALSE(bare.Exists("C:\\DUDERUR"));
}

TEST_F(InstallIndexTest, CdLineLeavesTheFileUnchanged) {
  ASSERT_NE(ShortPath(kDestination), kDestination);  // the comparison needs the short form
  for (const std::string& before :
       {"Outro\tx\tC:\\OUTRO\\\tCDROM\r\n" + CdLine() + "mais\r\n", CdLine(),
        CdLine("") /* last line, no line end */, "a\r" + CdLine("\r") + "b",
        "dup\r\n" + CdLine() + CdLine() + "\x1A"}) {
    EXPECT_EQ(AfterRecording(before), before);
  }
}

TEST_F(InstallIndexTest, NearMissesAreNotRecognised) {
  const std::string shortForm = ShortPath(kDestination);
  const std::string withoutBackslash = shortForm.substr(0, shortForm.size() - 1);
  const std::string head = std::string(kName) + "\t" + kDescription + "\t";
  for (const std::string& line : {
           "xadrez 3D\tJogo de xadrez\t" + shortForm + "\tCDROM\r\n",
           head + kDestination + "\tCDROM\r\n", head + withoutBackslash + "\tCDROM\r\n",
           head + shortForm + "\tcdrom\r\n", head + shortForm + "\tCDROM \r\n",
           head + shortForm + "\tCDROM\n",  // bare LF: the text is one line
           std::string(kOwnLine),           // an earlier run's own line
       }) {
    EXPECT_EQ(AfterRecording(line), line.back() == '\n' && line[line.size() - 2] != '\r'
                                        ? line + "\r\n" + kOwnLine
                                        : line + kOwnLine);
  }
}

TEST_F(InstallIndexTest, RepeatedInstallationAddsTheLineAgain) {
  EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), std::string(kOwnLine) + kOwnLine);
}

TEST_F(InstallIndexTest, CdLineAfterCtrlZIsNotSeen) {
  // The Ctrl-Z is near the end, so the line behind it is cut off with it.
  EXPECT_EQ(AfterRecording("a\r\n\x1A" + CdLine()), std::string("a\r\n") + kOwnLine);
  const std::string distant = "a\r\n\x1A" + CdLine() + std::string(130, 'x') + "\r\n";
  EXPECT_EQ(AfterRecording(distant), distant + kOwnLine);
}

TEST_F(InstallIndexTest, CtrlZAmongTheLast128BytesIsCutAtTheFirst) {
  EXPECT_EQ(AfterRecording("a\r\n\x1A"), std::string("a\r\n") + kOwnLine);
  EXPECT_EQ(AfterRecording("\x1A"), kOwnLine);
  EXPECT_EQ(AfterRecording("a\r\n\x1A"
                           "b\x1A\x1A"),
            std::string("a\r\n") + kOwnLine);
  // The first Ctrl-Z ends the text; those behind it in the window do not matter.
  const std::string twoWindows = "a\r\n\x1A" + std::string(200, 'x') + "\x1A" + "yy";
  EXPECT_EQ(AfterRecording(twoWindows), twoWindows.substr(0, 204) + "\r\n" + kOwnLine);
}

TEST_F(InstallIndexTest, CtrlZJustInsideAndJustOutsideTheWindow) {
  const std::string inside = "a\r\n\x1A" + std::string(127, 'x');  // 128th byte from the end
  EXPECT_EQ(AfterRecording(inside), std::string("a\r\n") + kOwnLine);
  const std::string outside = "a\r\n\x1A" + std::string(128, 'x');
  EXPECT_EQ(AfterRecording(outside), outside + "\r\n" + kOwnLine);
  const std::string afterUnended = "a\x1A" + std::string(127, 'x');
  EXPECT_EQ(AfterRecording(afterUnended), std::string("a\r\n") + kOwnLine);
}

TEST_F(InstallIndexTest, UnendedLastLineGetsALineBreak) {
  EXPECT_EQ(AfterRecording("abc"), std::string("abc\r\n") + kOwnLine);
  EXPECT_EQ(AfterRecording("abc\r"), std::string("abc\r") + kOwnLine);
  EXPECT_EQ(AfterRecording("abc\n"), std::string("abc\n\r\n") + kOwnLine);  // a bare LF ends none
  EXPECT_EQ(AfterRecording("abc\r\n"), std::string("abc\r\n") + kOwnLine);
  EXPECT_EQ(AfterRecording(""), kOwnLine);
  const std::string longLine(300, 'y');
  EXPECT_EQ(AfterRecording(longLine), longLine + "\r\n" + kOwnLine);
  // A cut at the window's first byte: the line before it was ended only by a whole CR LF.
  const std::string window(127, 'z');
  EXPECT_EQ(AfterRecording(longLine + "\r\n\x1A" + window), longLine + "\r\n" + kOwnLine);
  EXPECT_EQ(AfterRecording(longLine + "\n\x1A" + window), longLine + "\n\r\n" + kOwnLine);
}

TEST_F(InstallIndexTest, CrOnlyLinesMatchAndLfOnlyLinesDoNot) {
  const std::string crOnly = "a\r" + CdLine("\r") + "b\r";
  EXPECT_EQ(AfterRecording(crOnly), crOnly);
  const std::string lfOnly = "a\n" + CdLine("\n") + "b\n";
  EXPECT_EQ(AfterRecording(lfOnly), lfOnly + "\r\n" + kOwnLine);
}

// Bytes that would shift the fields, split the line or end the text become blanks.
TEST_F(InstallIndexTest, FieldsAreWrittenAsGivenButForBreakingBytes) {
  EXPECT_TRUE(RecordInstallation("", "", "C:\\"));
  EXPECT_TRUE(RecordInstallation("Jogo\tDois", "Cor\xE7\xE3o\x1A\r\n\x1B", kDestination));
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath),
            "\t\tC:\tVORTANE\r\n"
            "Jogo Dois\tCor\xE7\xE3o   \x1B\tC:\\Arquivos de programas\\Xadrez 3D\tVORTANE\r\n");
}

TEST_F(InstallIndexTest, ReadOnlyFileIsLeftAlone) {
  prefix_.WriteFile(kInstallIndexPath, "a\r\n\x1A");
  prefix_.SetReadOnly(kInstallIndexPath, true);
  EXPECT_FALSE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(TakeIoResult(), 0);
  prefix_.SetReadOnly(kInstallIndexPath, false);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), "a\r\n\x1A");
}

TEST_F(InstallIndexTest, FileHeldForWritingIsLeftAlone) {
  prefix_.WriteFile(kInstallIndexPath, "a\r\n");
  const HANDLE holder =
      CreateFileA(kInstallIndexPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(TakeIoResult(), 0);
  CloseHandle(holder);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), "a\r\n");
  EXPECT_EQ(AfterRecording("a\r\n"), std::string("a\r\n") + kOwnLine);
}

TEST_F(InstallIndexTest, FileHeldForReadingOnlyStillTakesTheLine) {
  prefix_.WriteFile(kInstallIndexPath, "a\r\n");
  const HANDLE reader =
      CreateFileA(kInstallIndexPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination));
  CloseHandle(reader);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), std::string("a\r\n") + kOwnLine);
}

}  // namespace
}  // namespace cdinst
