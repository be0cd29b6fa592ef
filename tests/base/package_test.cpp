// The package description's pieces: Pack.ini fields by position, the package
// folder below a target, Latin-only case folding.
#include "base/package.h"

#include <gtest/gtest.h>

#include "base/ascii.h"

TEST(PackIni, FieldsArePositionalCommentsSkippedEmptyLinesCounted) {
    Package p = ParsePackIni({"// header", "\\\\ another", " Title ", "Game", "bin\\game.exe", "GameWnd", "", "1.2",
                            "/Base", "New", "ignored"});
    EXPECT_EQ(p.PackTitle, " Title ") << "blanks belong to the field";
    EXPECT_EQ(p.PackProgramName, "Game");
    EXPECT_EQ(p.PackExeName, "bin\\game.exe");
    EXPECT_EQ(p.PackWindowClass, "GameWnd");
    EXPECT_EQ(p.PackName, "") << "an empty line is a field";
    EXPECT_EQ(p.PackVersion, "1.2");
    EXPECT_EQ(p.PackBaseFolder, "/Base") << "a single slash is no comment";
    EXPECT_EQ(p.PackMode, "New");

    p = ParsePackIni({"\\Title", "Other"});
    EXPECT_EQ(p.PackTitle, "\\Title");
    EXPECT_EQ(p.PackProgramName, "Other");
    EXPECT_EQ(p.PackExeName, "") << "fields a short file does not reach are empty";
    EXPECT_EQ(p.PackMode, "");
}

TEST(Package, FolderAndInstalledEntryTakeOnlyTheLevelsThatAreSet) {
    Package p;
    p.PackBaseFolder = "Addons";
    p.PackName = "Pack";
    p.PackVersion = "2.1";
    EXPECT_EQ(p.PackageFolderIn("C:\\T"), "C:\\T\\Addons\\Pack");
    EXPECT_EQ(p.InstalledEntry(), "Pack/2.1");
    p.PackBaseFolder = "";
    EXPECT_EQ(p.PackageFolderIn("C:\\T"), "C:\\T\\Pack");
    p.PackName = "";
    EXPECT_EQ(p.PackageFolderIn("C:\\T"), "C:\\T");
    EXPECT_EQ(p.InstalledEntry(), "/2.1");
    p.PackBaseFolder = "Addons";
    EXPECT_EQ(p.PackageFolderIn("C:\\T"), "C:\\T\\Addons");
}

TEST(AsciiCase, OnlyLatinLettersFold) {
    EXPECT_EQ(AsciiLower("ABC.TXT"), "abc.txt");
    EXPECT_EQ(AsciiLower("\xC0\xDF"), "\xC0\xDF") << "Cyrillic keeps its case";
    EXPECT_TRUE(EqualsAsciiNoCase("List: END", "list: end"));
}
