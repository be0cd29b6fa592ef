// Script lines may only act inside the target folder; lines that name no file
// do nothing, and only what could reach outside is refused.
#include "engine/script_safety.h"

#include <gtest/gtest.h>

TEST(ScriptSafety, RelativeLinesInsideTheTargetNameFiles) {
    for (const char* line : {"a.txt", "Data\\Maps\\x.map", "Data/Maps/x.map", "a\\..\\b.txt", ".\\a", "a\\\\b",
                             "file.", "\xCA\xE0\xF0\xF2\xE0.map", "\\a.txt", "/Data/x.map", "console.txt", "COM10",
                             "lpt.txt", "aux1", "my con.txt"}) {
        EXPECT_EQ(ClassifyScriptLine("", line), ScriptLineKind::File) << line;
    }
    EXPECT_EQ(ClassifyScriptLine("\\Base\\Name", "..\\..\\x.txt"), ScriptLineKind::File) << "still inside the target";
    EXPECT_EQ(ScriptLineRelative("\\a.txt"), "a.txt") << "a leading separator means the target's root";
    EXPECT_EQ(ScriptLineRelative("a.txt"), "a.txt");
}

TEST(ScriptSafety, LinesThatNameNoFileDoNothing) {
    for (const char* line : {"", " ", "\t", "  \t ", "...", ". .", "a\\...", ".", "\\", "Data\\", "a\\..", "Data/."}) {
        EXPECT_EQ(ClassifyScriptLine("", line), ScriptLineKind::Inert) << "[" << line << "]";
    }
}

TEST(ScriptSafety, WhatCouldActOutsideTheTargetIsRefused) {
    for (const char* line : {"C:\\Windows\\x.dll", "c:x.dll", "\\\\server\\share\\x", "//server/share/x",
                             "\\\\?\\C:\\x", "\\\\.\\COM1", "..\\x.dll", "a\\..\\..\\x", "a/../../x", "\\..\\x",
                             "*.dll", "Data\\a?.txt", "a<b", "a\"b", "a|b", "x.txt:stream", "..\\ \\x", ".. \\x",
                             "...\\x", "a\\. .\\x", "CON", "nul.txt", "Data\\com1.log", "LPT9", "aux", "prn.dat",
                             "CON .txt", "a\\conout$"}) {
        EXPECT_EQ(ClassifyScriptLine("", line), ScriptLineKind::Refused) << line;
    }
    EXPECT_FALSE(ScriptLineIsSafe("", std::string("a\0..\\x", 6))) << "a NUL would cut the path";
    EXPECT_FALSE(ScriptLineIsSafe("", "a\tb"));
    EXPECT_FALSE(ScriptLineIsSafe("\\Base\\Name", "..\\..\\..\\x.txt"));
    EXPECT_FALSE(ScriptLineIsSafe("\\..\\Other", "x.txt")) << "a package folder outside the target";
    EXPECT_FALSE(ScriptLineIsSafe("\\Base", "x\\..\\..\\..\\Target\\y")) << "climbing out and back is refused";
    EXPECT_TRUE(ScriptLineIsSafe("", "   ")) << "blank lines are harmless";
}

TEST(ScriptSafety, ARefusedLineGivesTheReasonThatSaysMost) {
    struct Case {
        const char* line;
        ScriptLineFault fault;
    };
    for (const Case& c : {Case{"//server/x:y", ScriptLineFault::UncPath}, Case{"c:x*.dll", ScriptLineFault::Drive},
                          Case{"a*b:c", ScriptLineFault::Stream}, Case{"a\tb?", ScriptLineFault::ReservedCharacter},
                          Case{"a\tb", ScriptLineFault::ControlByte}, Case{"..\\con", ScriptLineFault::Device},
                          Case{"a\\...\\x", ScriptLineFault::LeavesTarget}, Case{"a.txt", ScriptLineFault::None}}) {
        ScriptLineFault fault = ScriptLineFault::LeavesTarget;
        ClassifyScriptLine("", c.line, &fault);
        EXPECT_EQ(fault, c.fault) << c.line;
    }
    ScriptLineFault fault = ScriptLineFault::None;
    EXPECT_EQ(ClassifyScriptLine("\\Base", "..\\..\\x", &fault), ScriptLineKind::Refused);
    EXPECT_EQ(fault, ScriptLineFault::LeavesTarget) << "the folder below the target counts";
}

TEST(ScriptSafety, NamesTheTransactionKeepsAreRefused) {
    for (const char* line : {"Data\\a.txt.setup-old", "a.txt.SETUP-OLD", "a.txt.setup-old12", "a.setup-tmp",
                             "Setup.journal", "setup.JOURNAL", "Data\\x.setup-old\\y.txt", "a.setup-tmp. "}) {
        ScriptLineFault fault = ScriptLineFault::None;
        EXPECT_EQ(ClassifyScriptLine("", line, &fault), ScriptLineKind::Refused) << line;
        EXPECT_EQ(fault, ScriptLineFault::Reserved) << line;
    }
    for (const char* line : {"a.setup-older", "setup-old", "Setup.journal.txt", "a.setup-old.txt"}) {
        EXPECT_EQ(ClassifyScriptLine("", line), ScriptLineKind::File) << line;
    }
}
