// Script lines may only act inside the target folder.
#include "engine/script_safety.h"

#include <gtest/gtest.h>

TEST(ScriptSafety, RelativeLinesInsideTheTargetPass) {
    for (const char* line : {"a.txt", "Data\\Maps\\x.map", "Data/Maps/x.map", "a\\..\\b.txt", ".\\a", "a\\\\b",
                             "file.", "\xCA\xE0\xF0\xF2\xE0.map", "."}) {
        EXPECT_TRUE(ScriptLineIsSafe("", line)) << line;
    }
    EXPECT_TRUE(ScriptLineIsSafe("", "")) << "the empty line stays harmless";
    EXPECT_TRUE(ScriptLineIsSafe("\\Base\\Name", "..\\..\\x.txt")) << "still inside the target";
}

TEST(ScriptSafety, AbsolutePatternAndClimbingLinesAreRefused) {
    for (const char* line : {"C:\\Windows\\x.dll", "c:x.dll", "\\Windows\\x.dll", "/etc/x", "\\\\server\\share\\x",
                             "\\\\?\\C:\\x", "..\\x.dll", "a\\..\\..\\x", "a/../../x", "*.dll", "Data\\a?.txt",
                             "a<b", "a\"b", "a|b", "x.txt:stream", "..\\ \\x", ".. \\x", "...\\x", "a\\. .\\x"}) {
        EXPECT_FALSE(ScriptLineIsSafe("", line)) << line;
    }
    EXPECT_FALSE(ScriptLineIsSafe("", std::string("a\0..\\x", 6))) << "a NUL would cut the path";
    EXPECT_FALSE(ScriptLineIsSafe("", "a\tb"));
    EXPECT_FALSE(ScriptLineIsSafe("\\Base\\Name", "..\\..\\..\\x.txt"));
    EXPECT_FALSE(ScriptLineIsSafe("\\..\\Other", "x.txt")) << "a package folder outside the target";
    EXPECT_FALSE(ScriptLineIsSafe("\\Base", "x\\..\\..\\..\\Target\\y")) << "climbing out and back is refused";
}
