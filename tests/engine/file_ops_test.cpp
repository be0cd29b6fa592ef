// The existence test and the line counter that size the progress range.
#include "engine/file_ops.h"

#include <gtest/gtest.h>

#include "engine/install_fixture.h"

TEST(ScriptLines, CountsLinesWhateverTheLastLineEnd) {
    ScratchDir folder;
    WriteBytes(folder / "crlf.ini", "a\r\nb\r\nc\r\n");
    WriteBytes(folder / "open.ini", "a\r\nb\nc");
    WriteBytes(folder / "empty.ini", "");
    WriteBytes(folder / "old.ini", "a\r\n");
    StampBefore1980(folder / "old.ini");
    EXPECT_EQ(CountScriptLines(folder / "crlf.ini"), 3);
    EXPECT_EQ(CountScriptLines(folder / "open.ini"), 3);
    EXPECT_EQ(CountScriptLines(folder / "empty.ini"), 0);
    EXPECT_EQ(CountScriptLines(folder / "absent.ini"), 0);
    EXPECT_EQ(CountScriptLines(folder / "old.ini"), 0) << "a file from before 1980 counts as absent";
    EXPECT_FALSE(FileIsPresent(folder.path)) << "a folder is never present";
    EXPECT_FALSE(FileIsPresent(folder / "crlf.ini\\"));
    EXPECT_FALSE(FileIsPresent(""));
    EXPECT_TRUE(FileIsPresent(folder / "c*.ini")) << "the path is a search pattern";
    EXPECT_FALSE(FileIsPresent(folder / "o?d.ini")) << "the only match is from before 1980";
}

TEST(PackageCopy, CreatesFoldersAndAcceptsForwardSlashes) {
    ScratchDir folder;
    WriteBytes(folder / "src.txt", "data");
    EXPECT_TRUE(CopyPackageFile(folder / "src.txt", folder / "a\\b\\src.txt"));
    EXPECT_EQ(ReadBytes(folder / "a\\b\\src.txt"), "data");
    EXPECT_TRUE(CopyPackageFile(folder / "src.txt", folder / "c/d/src.txt"));
    EXPECT_EQ(ReadBytes(folder / "c\\d\\src.txt"), "data");
    EXPECT_FALSE(CopyPackageFile(folder / "absent.txt", folder / "e\\absent.txt"));
}
