// The existence test and reading text files from disk.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/failure.h"
#include "base/files.h"
#include "base/text_file.h"
#include "support/test_files.h"

namespace {

bool SetWriteYear(const std::string& path, WORD year) {
    SYSTEMTIME when{};
    when.wYear = year;
    when.wMonth = 6;
    when.wDay = 15;
    when.wHour = 12;
    FILETIME time;
    if (!SystemTimeToFileTime(&when, &time)) return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return ok;
}

}  // namespace

TEST(FileIsPresent, OnlyFilesWithAnMsDosTimeStampCount) {
    ScratchDir dir;
    WriteBytes(dir / "file.txt", "x");
    MakeFolders(dir / "folder");
    EXPECT_TRUE(FileIsPresent(dir / "file.txt"));
    EXPECT_FALSE(FileIsPresent(dir / "folder")) << "a folder never counts";
    EXPECT_FALSE(FileIsPresent(dir / "missing.txt"));
    EXPECT_FALSE(FileIsPresent(dir / "folder\\missing.txt"));

    ASSERT_TRUE(SetWriteYear(dir / "file.txt", 1979));
    EXPECT_FALSE(FileIsPresent(dir / "file.txt")) << "stamped before 1980";
    ASSERT_TRUE(SetWriteYear(dir / "file.txt", 1981));
    EXPECT_TRUE(FileIsPresent(dir / "file.txt"));
}

// A rename through the handle that wrote the file: never over another file
// unless asked, and over one when asked; the file keeps its bytes and name.
TEST(RenameOpenFile, RenamesThroughItsHandleAndReplacesOnlyWhenAsked) {
    ScratchDir dir;
    WriteBytes(dir / "taken.txt", "another's");
    HANDLE file = CreateFileA((dir / "new.tmp").c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(file, "mine", 4, &wrote, nullptr);
    EXPECT_FALSE(RenameOpenFile(file, dir / "taken.txt", false));
    EXPECT_EQ(ReadBytes(dir / "taken.txt"), "another's");
    ASSERT_TRUE(RenameOpenFile(file, dir / "placed.txt", false));
    ASSERT_TRUE(RenameOpenFile(file, dir / "taken.txt", true));
    CloseHandle(file);
    EXPECT_EQ(ReadBytes(dir / "taken.txt"), "mine");
    EXPECT_FALSE(PathExists(dir / "new.tmp"));
    EXPECT_FALSE(PathExists(dir / "placed.txt"));
}

TEST(ReadTextLines, MissingFileThrowsNamingThePath) {
    ScratchDir dir;
    std::string path = dir / "none\\Pack.ini";
    try {
        ReadTextLines(path);
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path, path);
        EXPECT_EQ(std::string(error.what()).rfind(path, 0), 0u) << error.what();
    }
    WriteBytes(dir / "two.ini", "one\r\n\x1A" "two\r\n");
    EXPECT_EQ(ReadTextLines(dir / "two.ini"), std::vector<std::string>{"one"});
}
