// The one set of text-file rules every reader and writer of the program uses.
#include "base/text_lines.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(TextLines, LineEndsAndLoneCarriageReturns) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), (Lines{"a"})) << "a final line end starts no further line";
    EXPECT_EQ(SplitTextLines("a\rb\r\n"), (Lines{"ab"})) << "a CR not followed by LF is dropped";
    EXPECT_EQ(SplitTextLines("a\r\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines("\n\r\n"), (Lines{"", ""})) << "empty lines are lines";
    EXPECT_EQ(SplitTextLines(""), Lines{});
}

TEST(TextLines, CtrlZEndsTheFile) {
    EXPECT_EQ(SplitTextLines("a\r\nb\x1A\r\nc\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines("\x1A" "a"), Lines{});
}

TEST(TextLines, NothingIsTrimmedAndLinesHaveNoLimit) {
    std::string longLine(100000, 'x');
    EXPECT_EQ(SplitTextLines("  a \t\r\n" + longLine), (Lines{"  a \t", longLine}));
    std::string withNul("a\0b", 3);
    EXPECT_EQ(SplitTextLines(withNul), (Lines{withNul}));
}

TEST(TextLines, JoinWritesCrLfAfterEveryLineAndRoundTrips) {
    Lines lines{"one", "", "  three  "};
    EXPECT_EQ(JoinTextLines(lines), "one\r\n\r\n  three  \r\n");
    EXPECT_EQ(SplitTextLines(JoinTextLines(lines)), lines);
    EXPECT_EQ(JoinTextLines({}), "");
}

TEST(TextLines, CommentLines) {
    EXPECT_TRUE(IsCommentLine("//x"));
    EXPECT_TRUE(IsCommentLine("\\\\"));
    EXPECT_FALSE(IsCommentLine("/x"));
    EXPECT_FALSE(IsCommentLine("\\x"));
    EXPECT_FALSE(IsCommentLine(" //"));
    EXPECT_FALSE(IsCommentLine("/"));
}

TEST(TextLines, TheInPlaceSplitterTakesTheSameRules) {
    for (std::string bytes : {"", "a", "a\r\nb\nc", "a\rb\r\n\r\n", "x\n\x1Ay\n", "\r\r\n\n", "end\n"}) {
        TextBuffer buffer = SplitTextBuffer(std::vector<char>(bytes.begin(), bytes.end()));
        EXPECT_EQ(LineStrings(buffer.lines), SplitTextLines(bytes)) << bytes;
    }
}

