#include "discovery/copy_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "discovery/file_version.h"
#include "discovery/mini_reg.h"
#include "records_support.h"
#include "support/test_files.h"

namespace {

std::string CountPath() { return std::string(CopyRecordsKey) + "\\QuillsetPatchCount"; }

std::string LatinUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int StoredCount() {
    int count = -999;
    ReadRegInteger(HKEY_CURRENT_USER, CountPath(), count);
    return count;
}

TEST(FileVersion, ComesFromTheVersionResource) {
    ScratchDir dir;
    WriteBytes(dir / "plain.exe", "MZ not really a program");
    EXPECT_EQ(GetFileVersionString(TargetVariantExe("target_v1")), "1.2.3.4");
    EXPECT_EQ(GetFileVersionString(TargetVariantExe("target_v2")), "2.0.0.0");
    EXPECT_EQ(GetFileVersionString(TargetVariantExe("target_nover")), "");
    EXPECT_EQ(GetFileVersionString(dir / "plain.exe"), "");
    EXPECT_EQ(GetFileVersionString(dir / "missing.exe"), "");
    EXPECT_EQ(GetFileVersionString(""), "");
}

using PruneTest = CopyRecordsTest;

TEST_F(PruneTest, NoRecordsKeyChangesNothing) {
    PruneCopyRecords("", "", "");
    EXPECT_FALSE(CopyRecordsKeyExists());
    int last = 0;
    std::string exe = "stale";
    FindNextCopy("Quillset", last, exe);
    EXPECT_EQ(exe, "");
    EXPECT_EQ(last, 0);
}

TEST_F(PruneTest, StaleRecordsGoAndTheRestMoveDown) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    std::string v2 = InstallTargetCopy("target_v2", dir / "b");
    std::string nover = InstallTargetCopy("target_nover", dir / "c");
    WriteCopyRecords({
        {dir / "gone\\Quill.exe", "1.2.3.4", "Quillset"},  // no file
        {v1, "2.0.0.0", "Quillset"},                       // version moved on
        {v1, "1.2.3.9", "Quillset"},                       // same first five characters
        {dir / "a", "", "Quillset"},                       // a folder, not a file
        {v2, "2.0.0.0", "Other"},
        {nover, "", "Quillset"},                           // no version on either side
    });
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, CopyRecordPath(5) + "\\Extra", "dropped on move"));

    PruneCopyRecords("", "", "");

    EXPECT_EQ(StoredCount(), 3);
    TCopyRecord first = ReadCopyRecord(CopyRecordPath(1));
    TCopyRecord second = ReadCopyRecord(CopyRecordPath(2));
    TCopyRecord third = ReadCopyRecord(CopyRecordPath(3));
    EXPECT_EQ(first.ExePatch, v1);
    EXPECT_EQ(first.Version, "1.2.3.9");
    EXPECT_EQ(second.ExePatch, v2);
    EXPECT_EQ(second.ProgramName, "Other");
    EXPECT_EQ(third.ExePatch, nover);
    EXPECT_EQ(third.Version, "");
    // A moved record carries its three values only; the empty one is still a string.
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, CopyRecordPath(2) + "\\Extra"));
    std::vector<BYTE> raw;
    ASSERT_TRUE(ReadRegData(HKEY_CURRENT_USER, CopyRecordPath(3) + "\\Version", REG_SZ, raw));
    EXPECT_EQ(raw, std::vector<BYTE>{0});
    for (int n = 4; n <= 7; ++n) EXPECT_FALSE(CopyRecordExists(n)) << n;
}

TEST_F(PruneTest, LastRecordGoneTakesTheKeyWithIt) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    WriteCopyRecords({
        {dir / "missing.exe", "1.2.3.4", "Quillset"},
        {v1, "1.0.0.0", "Quillset"},
        {"", "", "Quillset"},
    });
    PruneCopyRecords("", "", "");
    EXPECT_FALSE(CopyRecordsKeyExists());
}

TEST_F(PruneTest, MissingRecordKeysCloseTheirGaps) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    std::string v2 = InstallTargetCopy("target_v2", dir / "b");
    WriteCopyRecord(1, v1, "1.2.3.4", "Quillset");
    WriteCopyRecord(3, v2, "2.0.0.0", "Quillset");
    WriteCopyCount(4);  // records 2 and 4 were never written
    PruneCopyRecords("", "", "");
    EXPECT_EQ(StoredCount(), 2);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(1)).ExePatch, v1);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(2)).ExePatch, v2);
    EXPECT_FALSE(CopyRecordExists(3));
}

TEST_F(PruneTest, TheGivenRecordGoesWhateverItsLatinCase) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    std::string v2 = InstallTargetCopy("target_v2", dir / "b");
    WriteCopyRecords({
        {v1, "1.2.3.4", "Quillset"},
        {v2, "2.0.0.0", "Quillset"},
    });
    PruneCopyRecords(LatinUpper(v1), "QUILLSET", "1.2.3.4");
    EXPECT_EQ(StoredCount(), 1);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(1)).ExePatch, v2);
}

TEST_F(PruneTest, UnusableCountsPruneAndFindNothing) {
    ScratchDir dir;
    WriteCopyRecord(1, dir / "missing.exe", "1.2.3.4", "Quillset");
    for (bool asString : {false, true}) {
        if (asString)
            ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, CountPath(), "1"));
        else
            WriteCopyCount(-1);
        PruneCopyRecords("", "", "");
        EXPECT_TRUE(CopyRecordExists(1));
        int last = 0;
        std::string exe;
        FindNextCopy("Quillset", last, exe);
        EXPECT_EQ(exe, "");
        EXPECT_EQ(ReadCopyCount(), 0);
    }
}

using FindTest = CopyRecordsTest;

TEST_F(FindTest, WalksRecordsOfTheProgramInOrder) {
    // Records need not point at real files: the walk reads the registry only.
    WriteCopyRecords({
        {"C:\\One\\Quill.exe", "1", "Other"},
        {"C:\\Two\\Quill.exe", "1", "QUILLSET"},
        {"C:\\Three\\Quill.exe", "1", "Перо"},
        {"C:\\Four\\Quill.exe", "1", "quillset"},
    });

    int last = 0;
    std::string exe;
    FindNextCopy("Quillset", last, exe);
    EXPECT_EQ(exe, "C:\\Two\\Quill.exe");
    EXPECT_EQ(last, 2);
    FindNextCopy("Quillset", last, exe);
    EXPECT_EQ(exe, "C:\\Four\\Quill.exe");
    EXPECT_EQ(last, 4);
    FindNextCopy("Quillset", last, exe);
    EXPECT_EQ(exe, "");
    EXPECT_EQ(last, 4);

    // Cyrillic letters keep their case; Latin ones fold.
    last = 0;
    FindNextCopy("ПЕРО", last, exe);
    EXPECT_EQ(exe, "");
    EXPECT_EQ(last, 0);
    FindNextCopy("Перо", last, exe);
    EXPECT_EQ(exe, "C:\\Three\\Quill.exe");

    last = 7;
    exe = "x";
    FindNextCopy("Other", last, exe);
    EXPECT_EQ(exe, "");
    EXPECT_EQ(last, 7);
    last = -3;
    FindNextCopy("Other", last, exe);
    EXPECT_EQ(exe, "C:\\One\\Quill.exe");
    EXPECT_EQ(last, 1);
}

TEST_F(FindTest, AStartedTargetRecordsItselfOnce) {
    ScratchDir dir;
    std::string exe = InstallTargetCopy("target_v2", dir / "x");
    RunTargetToRecord(exe);
    RunTargetToRecord(exe);
    EXPECT_EQ(ReadCopyCount(), 1);
    TCopyRecord record = ReadCopyRecord(CopyRecordPath(1));
    EXPECT_EQ(record.ExePatch, exe);
    EXPECT_EQ(record.Version, "2.0.0.0");
    EXPECT_EQ(record.ProgramName, "Quillset");
}

}  // namespace

TEST_F(PruneTest, ACorruptHugeCountEndsAtTheRecordsThatExist) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    WriteCopyRecord(1, v1, "1.2.3.4", "Quillset");
    WriteCopyRecord(2, dir / "gone.exe", "1.2.3.4", "Quillset");
    WriteCopyCount(0x7FFFFFFF);
    int last = 1;
    std::string exe = "unchanged";
    FindNextCopy("Quillset", last, exe);  // must not walk two thousand million numbers
    EXPECT_EQ(exe, dir / "gone.exe");
    PruneCopyRecords("", "", "");
    EXPECT_EQ(StoredCount(), 1);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(1)).ExePatch, v1);
    EXPECT_FALSE(CopyRecordExists(2));
}

TEST_F(PruneTest, RecordsOnADriveThatIsAwayAreKeptAndOnlyTheirOwnGoneFilesPruned) {
    ASSERT_EQ(GetDriveTypeA("Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the test needs drive Q: unmapped";
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    WriteCopyRecords({
        {"Q:\\Games\\Quill.exe", "1.2.3.4", "Quillset"},  // a disk unplugged for now
        {dir / "gone\\Quill.exe", "1.2.3.4", "Quillset"},  // the drive is there, the file is not
        {v1, "1.2.3.4", "Quillset"},
        {"", "1.2.3.4", "Quillset"},
    });
    PruneCopyRecords("", "", "");
    EXPECT_EQ(StoredCount(), 2);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(1)).ExePatch, "Q:\\Games\\Quill.exe");
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(2)).ExePatch, v1);
}

TEST_F(PruneTest, RecordKeysAreFoundWhateverTheirLatinCase) {
    ScratchDir dir;
    std::string v1 = InstallTargetCopy("target_v1", dir / "a");
    std::string v2 = InstallTargetCopy("target_v1", dir / "b");
    WriteCopyRecords({{v1, "1.2.3.4", "Quillset"}});
    std::string lower = std::string(CopyRecordsKey) + "\\quillsetpatch2\\";
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, lower + "ExePatch", v2));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, lower + "Version", "1.2.3.4"));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, lower + "ProgramName", "Quillset"));
    WriteCopyCount(2);
    PruneCopyRecords("", "", "");
    EXPECT_EQ(StoredCount(), 2);
    int last = 1;
    std::string exe;
    FindNextCopy("Quillset", last, exe);
    EXPECT_EQ(exe, v2);
    EXPECT_EQ(last, 2);
}


// A scanner or a backup holding the executable without sharing says nothing
// about the copy's version: its record stays, and the one whose version was
// read and differs still goes.
TEST_F(PruneTest, AnExecutableHeldWithoutSharingKeepsItsRecord) {
    ScratchDir dir;
    std::string held = InstallTargetCopy("target_v1", dir / "a");
    std::string moved = InstallTargetCopy("target_v2", dir / "b");
    WriteCopyRecords({{held, "2.0.0.0", "Quillset"}, {moved, "1.2.3.4", "Quillset"}});
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string version = "untouched";
    EXPECT_FALSE(ReadFileVersionNow(held, version));
    EXPECT_EQ(version, "untouched");
    PruneCopyRecords("", "", "");
    CloseHandle(holder);
    EXPECT_EQ(StoredCount(), 1);
    EXPECT_EQ(ReadCopyRecord(CopyRecordPath(1)).ExePatch, held);
    EXPECT_TRUE(ReadFileVersionNow(held, version));
    EXPECT_EQ(version, "1.2.3.4");
}
