// The folder of a picked copy and the package folder where the stamps lie.
#include <gtest/gtest.h>

#include "driver/pack_info.h"
#include "driver/target_paths.h"

TEST(FolderOfPath, CutsAtTheLastBackslashAndKeepsADriveRoot) {
    EXPECT_EQ(FolderOfPath("C:\\Games\\Quill\\quill.exe"), "C:\\Games\\Quill");
    EXPECT_EQ(FolderOfPath("C:\\quill.exe"), "C:\\");
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\q.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfPath("quill.exe"), "");
    EXPECT_EQ(FolderOfPath(""), "");
}

TEST(PackageFolderIn, AddsOnlyTheLevelsThatAreSet) {
    PackBaseFolder = "Addons";
    PackName = "Pack";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Addons\\Pack");
    PackBaseFolder = "";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Pack");
    PackName = "";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T");
    PackBaseFolder = "Addons";
    EXPECT_EQ(PackageFolderIn("C:\\T"), "C:\\T\\Addons");
    PackBaseFolder = "";
}
