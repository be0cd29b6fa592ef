// The uninstall record edits: the documented merge examples, and the fast
// merge held against the plain reference model on many generated inputs.
#include "engine/uninstall_merge.h"

#include <gtest/gtest.h>

#include <random>

#include "base/text_lines.h"
#include "engine/uninstall_reference.h"

using Lines = std::vector<std::string>;

using Views = std::vector<std::string_view>;

static Lines Merged(const Lines& record, const Lines& script, bool* changed = nullptr, int* steps = nullptr) {
    int count = 0;
    Views recordViews(record.begin(), record.end());
    MergedRecord merged = ApplyUninstallAdd(recordViews, Views(script.begin(), script.end()), [&] { ++count; });
    if (changed) *changed = merged.changed;
    if (steps) *steps = count;
    Lines lines;
    merged.ForEachLine([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

static Lines Cleared(const Lines& record, const Lines& clearScript) {
    Views kept(record.begin(), record.end());
    ApplyUninstallClear(kept, Views(clearScript.begin(), clearScript.end()));
    return Lines(kept.begin(), kept.end());
}

TEST(UninstallMerge, BlocksGoUnderTheirHeaderOrAreAppendedAsNewSections) {
    int steps = 0;
    EXPECT_EQ(Merged({"[A]", "old"}, {"[A]", "a1", "[B]", "b1", "b2"}, nullptr, &steps),
              (Lines{"[A]", "a1", "old", "[B]", "b1", "b2"}));
    EXPECT_EQ(steps, 5) << "every script line is one step, headers included";
    EXPECT_EQ(Merged({"[A]", "x", "[A]", "y"}, {"[A]", "n"}), (Lines{"[A]", "n", "x", "[A]", "n", "y"}))
        << "a header that occurs twice receives the block twice";
    EXPECT_EQ(Merged({"[A]", "x"}, {"[A]", "first", "[A]", "second"}), (Lines{"[A]", "second", "first", "x"}))
        << "a later block of the same header goes directly under it";
    EXPECT_EQ(Merged({"[A]"}, {"[B]", "1", "[B]", "2"}), (Lines{"[A]", "[B]", "2", "1"}))
        << "an appended header is found by the next merge";
    EXPECT_EQ(Merged({"[A]"}, {" [A]", "1", "[a]", "2"}), (Lines{"[A]", " [A]", "1", "[a]", "2"}))
        << "blanks and case make another header";
}

TEST(UninstallMerge, LinesAlreadyInTheRecordOrEarlierSectionsAreDropped) {
    bool changed = true;
    EXPECT_EQ(Merged({"[A]", "a", "[B]", "b"}, {"[B]", "a", "[A]", "b"}, &changed), (Lines{"[A]", "a", "[B]", "b"}));
    EXPECT_FALSE(changed) << "no block: the record is not rewritten";
    EXPECT_EQ(Merged({"[A]"}, {"[A]", "x", "[B]", "x", "y"}), (Lines{"[A]", "x", "[B]", "y"}))
        << "a line of two sections goes only with the first";
    EXPECT_EQ(Merged({"[A]"}, {"[A]", "x", "x"}), (Lines{"[A]", "x", "x"}))
        << "within one section lines are checked against the record only";
}

TEST(UninstallMerge, LinesAboveTheFirstHeaderAndScriptsWithoutHeaders) {
    EXPECT_EQ(Merged({"[A]", "old"}, {"top", "[A]", "a"}), (Lines{"[A]", "top", "a", "old"}));
    EXPECT_EQ(Merged({"x"}, {"a[1].txt", "b"}), (Lines{"x", "a[1].txt", "b"})) << "a bracket makes a header";
    EXPECT_EQ(Merged({"p", "", "q", ""}, {"n"}), (Lines{"p", "", "n", "q", "", "n"}))
        << "no header: the empty header is found at every empty line";
    EXPECT_EQ(Merged({"p"}, {"n", "m"}), (Lines{"p", "", "n", "m"})) << "or appended after one empty line";
    bool changed = true;
    EXPECT_EQ(Merged({}, {}, &changed), Lines{});
    EXPECT_FALSE(changed);
}

TEST(UninstallMerge, EmptyEntryLinesFollowTheJoinedBlockText) {
    // The block is one CR LF-joined text: an empty first line leaves it empty.
    bool changed = true;
    EXPECT_EQ(Merged({"[A]"}, {"[A]", ""}, &changed), Lines{"[A]"});
    EXPECT_FALSE(changed);
    EXPECT_EQ(Merged({"[A]"}, {"[A]", "", "a", "", "b", ""}), (Lines{"[A]", "a", "", "b", ""}));
    EXPECT_EQ(Merged({"[A]", ""}, {"[A]", "a", ""}), (Lines{"[A]", "a", ""})) << "an empty line already there";
}

TEST(UninstallMerge, ClearDropsListedLinesHeadersIncluded) {
    EXPECT_EQ(Cleared({"[A]", "a", "b", "[B]", "a"}, {"[A]", "a", "zz"}), (Lines{"b", "[B]"}));
    EXPECT_EQ(Cleared({"x", "X", " x"}, {"x"}), (Lines{"X", " x"}));
}

// Random files over a small alphabet, so headers, duplicates and empty lines
// meet often; line ends vary so a record that is not rewritten keeps its bytes.
static std::string RandomFile(std::mt19937& random, const std::vector<std::string>& pool, int maxLines) {
    static const char* const ends[] = {"\r\n", "\r\n", "\n", "\r", ""};
    std::string bytes;
    int count = static_cast<int>(random() % (maxLines + 1));
    for (int i = 0; i < count; ++i) {
        bytes += pool[random() % pool.size()];
        bytes += ends[random() % 5];
    }
    if (random() % 20 == 0) bytes += "\x1A" "tail";
    return bytes;
}

TEST(UninstallMerge, FastMergeMatchesTheReferenceByteForByte) {
    const std::vector<std::string> recordPool{"[A]", "[B]", "[C]", " [A]", "a", "b", "c", "d", "", "x[y"};
    const std::vector<std::string> scriptPool{"[A]", "[B]", "[C]", "[D]", "x[y", "a", "b", "c", "d", "e", ""};
    std::mt19937 random(20240601);
    for (int round = 0; round < 20000; ++round) {
        UninstallFiles files;
        if (random() % 8) files.record = RandomFile(random, recordPool, 12);
        if (random() % 3 == 0) files.clearScript = RandomFile(random, recordPool, 4);
        if (random() % 5) files.addScript = RandomFile(random, scriptPool, 14);
        UninstallFiles expected = files;
        UninstallFiles actual = files;
        int expectedSteps = 0;
        int actualSteps = 0;
        ReferenceUninstallPhase(expected, expectedSteps);
        FastUninstallPhase(actual, actualSteps);
        ASSERT_EQ(actual.record, expected.record) << "round " << round;
        ASSERT_EQ(actualSteps, expectedSteps) << "round " << round;
    }
}
