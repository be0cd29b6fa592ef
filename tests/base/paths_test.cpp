// Path rules (the folder of a path, the parent walk, the package folder) and
// the elapsed-time text.
#include "base/paths.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/elapsed_time.h"

using Paths = std::vector<std::string>;

TEST(ElapsedTime, HoursMinutesSecondsAndAWrappedTickCounter) {
    EXPECT_EQ(FormatElapsedTime(0), "00:00:00");
    EXPECT_EQ(FormatElapsedTime(59999), "00:00:59");
    EXPECT_EQ(FormatElapsedTime(60000), "00:01:00");
    EXPECT_EQ(FormatElapsedTime(3600000), "01:00:00");
    EXPECT_EQ(FormatElapsedTime(3723000), "01:02:03");
    EXPECT_EQ(FormatElapsedTime(45296999), "12:34:56");
    EXPECT_EQ(FormatElapsedTime(360000000), "100:00:00");
    EXPECT_EQ(FormatElapsedTime(INT_MAX), "596:31:23");
    EXPECT_EQ(FormatElapsedTime(-1500), "00:00:00") << "a wrapped tick count shows no negative fields";
    EXPECT_EQ(FormatElapsedTime(INT_MIN), "00:00:00");
    EXPECT_EQ(ElapsedSince(0xFFFFFF00u, 0x00000100u), 0x200);
    EXPECT_EQ(ElapsedSince(1000, 66000), 65000);
}

TEST(ParentFolder, DriveRootsStay) {
    EXPECT_EQ(ParentFolder("C:\\Games\\Sub"), "C:\\Games");
    EXPECT_EQ(ParentFolder("C:\\Games"), "C:\\");
    EXPECT_EQ(ParentFolder("C:\\"), "C:\\");
    EXPECT_EQ(ParentFolder("C:"), "C");
    EXPECT_EQ(ParentFolder("Games"), "");
    EXPECT_EQ(ParentFolder(""), "");
    EXPECT_EQ(ParentFolder("\\\\server\\share"), "\\\\server");
}

TEST(FolderAndAncestors, TheSearchWalksUpToTheRoot) {
    EXPECT_EQ(FolderAndAncestors("C:\\a\\b\\c\\d\\e", 4),
              (Paths{"C:\\a\\b\\c\\d\\e", "C:\\a\\b\\c\\d", "C:\\a\\b\\c", "C:\\a\\b", "C:\\a"}));
    EXPECT_EQ(FolderAndAncestors("C:\\a", 4), (Paths{"C:\\a", "C:\\", "C:\\", "C:\\", "C:\\"}));
    EXPECT_EQ(FolderAndAncestors("Games", 4), (Paths{"Games", "", "", "", ""}));
}

TEST(FolderOf, CutsAtEitherSeparator) {
    EXPECT_EQ(FolderOf("C:\\Games\\quill.exe"), "C:\\Games");
    EXPECT_EQ(FolderOf("C:\\Games/Data/x.map"), "C:\\Games/Data");
    EXPECT_EQ(FolderOf("quill.exe"), "");
    EXPECT_EQ(PackageFolderIn("T", "", "Pack"), "T\\Pack");
}

TEST(PathRoot, DrivesAndSharesOnly) {
    EXPECT_EQ(PathRoot("C:\\Games\\q.exe"), "C:\\");
    EXPECT_EQ(PathRoot("q:/Games"), "q:\\");
    EXPECT_EQ(PathRoot("D:q.exe"), "D:\\");
    EXPECT_EQ(PathRoot("\\\\server\\share\\Games\\q.exe"), "\\\\server\\share\\");
    EXPECT_EQ(PathRoot("//server/share"), "//server/share\\");
    EXPECT_EQ(PathRoot("\\\\server"), "");
    EXPECT_EQ(PathRoot("\\\\?\\C:\\q.exe"), "");
    EXPECT_EQ(PathRoot("Games\\q.exe"), "");
    EXPECT_EQ(PathRoot(""), "");
}


TEST(PathNames, BothSeparatorsAndEmptyNamesWhereSeparatorsMeet) {
    using Names = std::vector<std::string_view>;
    EXPECT_EQ(PathNames("Data\\Maps/a.map"), (Names{"Data", "Maps", "a.map"}));
    EXPECT_EQ(PathNames("\\a\\\\b\\"), (Names{"", "a", "", "b", ""}));
    EXPECT_EQ(PathNames(""), (Names{""}));
}

// Names of one file that the system takes alike meet in one key; other files do not.
TEST(PathCompareKey, NamesOfOneFileMeet) {
    const std::string key = PathCompareKey("C:\\Games\\Quill\\quill.exe");
    EXPECT_EQ(key, "c:\\games\\quill\\quill.exe");
    for (const char* same : {"C:\\Games\\Quill\\Quill.exe", "c:/games/quill/QUILL.EXE", "C:\\Games\\\\Quill\\quill.exe",
                             "C:\\Games\\Quill\\quill.exe ", "C:\\Games\\Quill\\quill.exe.", "C:\\Games\\.\\Quill\\quill.exe",
                             "C:\\Games\\Bin\\..\\Quill\\quill.exe", "\\\\?\\C:\\Games\\Quill\\quill.exe",
                             "C:\\Games \\Quill\\quill.exe", "C:\\..\\Games\\Quill\\quill.exe"})
        EXPECT_EQ(PathCompareKey(same), key) << same;
    for (const char* other : {"C:\\Games\\Quill\\quill.ex", "C:\\Games\\quill.exe", "D:\\Games\\Quill\\quill.exe",
                              "C:\\Games\\Quill\\quill.exe\\x", "C:\\Games\\Quill\\ quill.exe"})
        EXPECT_NE(PathCompareKey(other), key) << other;
    // A target at a drive root: the folder "D:\" joined with the executable.
    EXPECT_EQ(PathCompareKey("D:\\\\quill.exe"), PathCompareKey("D:\\quill.exe"));
    EXPECT_EQ(PathCompareKey("D:\\"), "d:\\");
    EXPECT_EQ(PathCompareKey("D:"), "d:\\");
    // Shares keep their leading pair, and their server and share are the root.
    EXPECT_EQ(PathCompareKey("\\\\Server\\Share\\..\\..\\q.exe"), "\\\\server\\share\\q.exe");
    EXPECT_EQ(PathCompareKey("\\\\?\\UNC\\server\\share\\q.exe"), "\\\\server\\share\\q.exe");
    EXPECT_NE(PathCompareKey("\\\\server\\share\\q.exe"), PathCompareKey("\\server\\share\\q.exe"));
    // Only Latin letters fold: Cyrillic ones keep their case, as elsewhere.
    EXPECT_EQ(PathCompareKey("C:\\Игры\\Q.EXE"), "c:\\Игры\\q.exe");
    EXPECT_EQ(PathCompareKey(""), "");
}
