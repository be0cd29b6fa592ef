// The record diff the dry run prints: diff -u's form, and applied to the old
// lines it gives the new ones.
#include "packcheck/line_diff.h"

#include <gtest/gtest.h>

#include <random>

#include "packcheck/diff_apply.h"

using Lines = std::vector<std::string>;

TEST(LineDiff, HunksInDiffUForm) {
    EXPECT_TRUE(UnifiedDiff({"a", "b"}, {"a", "b"}, "R").empty());
    EXPECT_EQ(UnifiedDiff({"[Files]", "quill.exe", "old.map"}, {"[Files]", "new.map", "quill.exe", "[Folders]", "New"}, "R"),
              (Lines{"--- R", "+++ R", "@@ -1,3 +1,5 @@", " [Files]", "+new.map", " quill.exe", "-old.map", "+[Folders]",
                     "+New"}));
    // An empty range names the line before it; a one-line range has no count.
    EXPECT_EQ(UnifiedDiff({}, {"x"}, "R"), (Lines{"--- R", "+++ R", "@@ -0,0 +1 @@", "+x"}));
    EXPECT_EQ(UnifiedDiff({"x"}, {}, "R"), (Lines{"--- R", "+++ R", "@@ -1 +0,0 @@", "-x"}));
    // Changes more than six unchanged lines apart make two hunks with three lines of context.
    Lines before{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
    Lines after = before;
    after[0] = "one";
    after[10] = "eleven";
    EXPECT_EQ(UnifiedDiff(before, after, "R"),
              (Lines{"--- R", "+++ R", "@@ -1,4 +1,4 @@", "-1", "+one", " 2", " 3", " 4", "@@ -8,4 +8,4 @@", " 8", " 9",
                     " 10", "-11", "+eleven"}));
}

TEST(LineDiff, AppliedToTheOldLinesGivesTheNew) {
    std::mt19937 random(15);
    auto someLines = [&] {
        Lines lines(random() % 25);
        for (auto& line : lines) line = std::string(1, static_cast<char>('a' + random() % 4));
        return lines;
    };
    for (int round = 0; round < 2000; ++round) {
        Lines before = someLines(), after = someLines(), applied;
        Lines diff = UnifiedDiff(before, after, "R");
        ASSERT_TRUE(ApplyUnifiedDiff(before, diff, applied)) << round;
        ASSERT_EQ(applied, after) << round;
        ASSERT_EQ(diff.empty(), before == after) << round;
    }
}
