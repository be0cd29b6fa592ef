// The version stamp test and the start of the target program in its own folder.
#include "driver/stamps.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "driver/setup.h"
#include "support/test_files.h"

TEST(VersionStamp, MatchesWholeLinesExactly) {
    ScratchDir folder;
    PackVersion = "2.0";
    WriteBytes(folder / "several.ini", "1.0\r\n2.0\r\n3.0");
    WriteBytes(folder / "near.ini", "2.0 \r\n2.0a\r\n 2.0\r\n");
    EXPECT_TRUE(StampHasVersion(folder / "several.ini")) << "a match on any line counts";
    EXPECT_FALSE(StampHasVersion(folder / "near.ini"));
    PackVersion = "beta";
    WriteBytes(folder / "case.ini", "Beta\r\n");
    EXPECT_FALSE(StampHasVersion(folder / "case.ini"));
    PackVersion = "";
    WriteBytes(folder / "blank.ini", "1.0\r\n\r\n");
    EXPECT_TRUE(StampHasVersion(folder / "blank.ini")) << "an empty version matches an empty line";
    EXPECT_THROW(StampHasVersion(folder / "absent.ini"), FileError);
}

TEST(TargetLaunch, StartsTheProgramInItsOwnFolder) {
    ScratchDir folder;
    // A command script stands in for the program and notes where it runs.
    WriteBytes(folder / "Bin\\run.cmd", "@cd > here.txt\r\n");
    ChosenFolder = folder.path;
    PackExeName = "Bin\\run.cmd";
    LaunchTarget();
    std::string note = folder / "Bin\\here.txt";
    std::string written;
    for (DWORD deadline = GetTickCount() + 20000; GetTickCount() < deadline; Sleep(20)) {
        if (!PathExists(note)) continue;
        written = ReadBytes(note);
        if (written.find('\n') != std::string::npos) break;
    }
    std::string expected = folder / "Bin";
    expected.append("\r\n");
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, written.c_str(), -1, expected.c_str(), -1), CSTR_EQUAL)
        << written;
}
