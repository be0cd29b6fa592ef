// Finding the executable's folder from a folder picked up to four levels below it.
#include "discovery/find_exe.h"

#include <gtest/gtest.h>

#include "driver/pack_info.h"
#include "support/test_files.h"

TEST(FindExeFolder, LooksInTheFolderAndFourAncestors) {
    ScratchDir dir;
    std::string root = dir / "Game";
    WriteBytes(root + "\\bin\\game.exe", "MZ");
    MakeFolders(root + "\\a\\b\\c\\d\\e");
    PackExeName = "bin\\game.exe";
    EXPECT_EQ(FindExeFolder(root), root) << "returned unchanged";
    EXPECT_EQ(FindExeFolder(root + "\\a\\b"), root);
    EXPECT_EQ(FindExeFolder(root + "\\a\\b\\c\\d"), root) << "four levels up";
    EXPECT_EQ(FindExeFolder(root + "\\a\\b\\c\\d\\e"), "") << "five levels up is too far";

    PackExeName = "game.exe";
    MakeFolders(root + "\\a\\game.exe");
    EXPECT_EQ(FindExeFolder(root + "\\a"), "") << "a folder of that name does not count";
    PackExeName.clear();
}
