// Finding the executable's folder from a folder picked up to four levels below it.
#include "discovery/find_exe.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

TEST(FindExeFolder, LooksInTheFolderAndFourAncestors) {
    ScratchDir dir;
    std::string root = dir / "Game";
    WriteBytes(root + "\\bin\\game.exe", "MZ");
    MakeFolders(root + "\\a\\b\\c\\d\\e");
    const std::string exe = "bin\\game.exe";
    EXPECT_EQ(FindExeFolder(root, exe), root) << "returned unchanged";
    EXPECT_EQ(FindExeFolder(root + "\\a\\b", exe), root);
    EXPECT_EQ(FindExeFolder(root + "\\a\\b\\c\\d", exe), root) << "four levels up";
    EXPECT_EQ(FindExeFolder(root + "\\a\\b\\c\\d\\e", exe), "") << "five levels up is too far";

    MakeFolders(root + "\\a\\game.exe");
    EXPECT_EQ(FindExeFolder(root + "\\a", "game.exe"), "") << "a folder of that name does not count";
}
