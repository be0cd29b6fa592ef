// Elapsed-time text and the parent walk of the executable search.
#include "discovery/path_time.h"

#include <gtest/gtest.h>

#include <climits>

using Paths = std::vector<std::string>;

TEST(ElapsedTime, HoursMinutesSeconds) {
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

TEST(ExeFolderCandidates, FolderAndFourAncestors) {
    EXPECT_EQ(ExeFolderCandidates("C:\\a\\b\\c\\d\\e"),
              (Paths{"C:\\a\\b\\c\\d\\e", "C:\\a\\b\\c\\d", "C:\\a\\b\\c", "C:\\a\\b", "C:\\a"}));
    EXPECT_EQ(ExeFolderCandidates("C:\\a"), (Paths{"C:\\a", "C:\\", "C:\\", "C:\\", "C:\\"}));
    EXPECT_EQ(ExeFolderCandidates("Games"), (Paths{"Games", "", "", "", ""}));
}
