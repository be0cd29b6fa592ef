// The version stamp test and the start of the target program in its own folder.
#include "driver/stamps.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/failure.h"
#include "support/test_files.h"

TEST(VersionStamp, MatchesWholeLinesExactly) {
    ScratchDir folder;
    WriteBytes(folder / "several.ini", "1.0\r\n2.0\r\n3.0");
    WriteBytes(folder / "near.ini", "2.0 \r\n2.0a\r\n 2.0\r\n");
    EXPECT_TRUE(StampHasVersion(folder / "several.ini", "2.0")) << "a match on any line counts";
    EXPECT_FALSE(StampHasVersion(folder / "near.ini", "2.0"));
    WriteBytes(folder / "case.ini", "Beta\r\n");
    EXPECT_FALSE(StampHasVersion(folder / "case.ini", "beta"));
    WriteBytes(folder / "blank.ini", "1.0\r\n\r\n");
    EXPECT_TRUE(StampHasVersion(folder / "blank.ini", "")) << "an empty version matches an empty line";
    EXPECT_THROW(StampHasVersion(folder / "absent.ini", "2.0"), FileError);
}

TEST(TargetLaunch, StartsTheProgramInItsOwnFolder) {
    ScratchDir folder;
    // A command script stands in for the program and notes where it runs.
    WriteBytes(folder / "Bin\\run.cmd", "@cd > here.txt\r\n");
    LaunchTarget(folder.path, "Bin\\run.cmd");
    std::string note = folder / "Bin\\here.txt";
    std::string written;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20)) {
        if (!PathExists(note)) continue;
        written = ReadBytes(note);
        if (written.find('\n') != std::string::npos) break;
    }
    std::string expected = folder / "Bin";
    expected.append("\r\n");
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, written.c_str(), -1, expected.c_str(), -1), CSTR_EQUAL)
        << written;
}
