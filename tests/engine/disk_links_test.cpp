// Folder links on the real disk under Wine: a Unix symbolic link to a folder,
// made from the test, reads as a reparse point; the disk says where it leads,
// the run records it, and the undo of a failed run acts through it only while
// it leads there.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/paths.h"
#include "base/text_lines.h"
#include "engine/disk_files.h"
#include "engine/install_run.h"
#include "support/test_files.h"
#include "support/unix_side.h"

namespace {

struct SwapOnce : InstallProgress {
    std::function<bool()> swap;  // true once it swapped
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {
        if (swap && swap()) swap = nullptr;
    }
};

class DiskLinks : public ::testing::Test {
protected:
    ScratchDir root;
    std::string target, one, two;
    void SetUp() override {
        target = root / "T";
        one = root / "One";
        two = root / "Two";
        MakeFolders(target + "\\Plain");
        MakeFolders(target + "\\Resource");
        WriteBytes(one + "\\a.txt", "one's a.txt");
        WriteBytes(two + "\\a.txt", "two's a.txt");
        if (!MakeFolderLink(target + "\\Data", one)) GTEST_SKIP() << "no Linux side to make a link with";
    }
    void TearDown() override { RemoveFolderLink(target + "\\Data"); }
};

}  // namespace

TEST_F(DiskLinks, ALinkSaysWhereItLeadsAndAPlainFolderIsNone) {
    DiskFiles disk;
    FileIdentity toOne, toTwo, none;
    EXPECT_TRUE(disk.FolderLinkAt(target + "\\Data", toOne));
    EXPECT_EQ(toOne.size, 0);
    EXPECT_TRUE(toOne.hasIndex);
    EXPECT_EQ(disk.EntryAt(target + "\\Data"), JournalDisk::Entry::Folder) << "seen through, it is a folder";
    EXPECT_FALSE(disk.FolderLinkAt(target + "\\Plain", none));
    EXPECT_FALSE(disk.FolderLinkAt(target + "\\Absent", none));
    EXPECT_FALSE(disk.FolderLinkAt(target + "\\Data\\a.txt", none)) << "a file reached through a link";
    ASSERT_TRUE(MakeFolderLink(target + "\\Data", two));
    EXPECT_TRUE(disk.FolderLinkAt(target + "\\Data", toTwo));
    EXPECT_NE(toOne, toTwo);
    FileIdentity again;
    ASSERT_TRUE(MakeFolderLink(target + "\\Data", one));
    EXPECT_TRUE(disk.FolderLinkAt(target + "\\Data", again));
    EXPECT_EQ(again, toOne);
}

// A run that replaces a file through the link and then fails: its undo puts
// the file back through the link it recorded. The same run with the link
// swapped while it works: the undo stops, and neither folder is touched by it.
TEST_F(DiskLinks, AFailedRunIsUndoneThroughItsLinkAndNotThroughASwappedOne) {
    ScratchDir setup;
    std::string source = SourceFolder(setup.path);
    WriteBytes(source + "\\Script_ACopy.ini", JoinTextLines({"Data\\a.txt", "late.txt"}));
    WriteBytes(source + "\\PACK\\Data\\a.txt", "the package's a.txt");
    WriteBytes(source + "\\PACK\\late.txt", "late");
    Package package;
    package.PackName = "Pack";
    package.PackBaseFolder = "Base";
    package.PackVersion = "1.2";
    // Held without sharing, the last file fails the run once a.txt is replaced.
    HANDLE held = CreateFileA((source + "\\PACK\\late.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    DiskFiles disk;
    SwapOnce progress;
    TransactedRun report;
    EXPECT_EQ(RunTransactedInstall(setup.path, target, package, disk, disk, progress, &report), InstallOutcome::Failed);
    EXPECT_EQ(report.undo.outcome, Recovery::UndoneRun);
    EXPECT_EQ(ReadBytes(one + "\\a.txt"), "one's a.txt");
    EXPECT_EQ(FolderListing(one), std::vector<std::string>{"a.txt"});

    // Swapped once a.txt is written beside its old self (the step after the copy line).
    progress.swap = [&] {
        return GetFileAttributesA((one + "\\a.txt.setup-tmp").c_str()) != INVALID_FILE_ATTRIBUTES &&
               MakeFolderLink(target + "\\Data", two);
    };
    EXPECT_EQ(RunTransactedInstall(setup.path, target, package, disk, disk, progress, &report), InstallOutcome::Failed);
    CloseHandle(held);
    EXPECT_EQ(report.undo.outcome, Recovery::LinkMoved);
    EXPECT_EQ(report.undo.file, target + "\\Data");
    EXPECT_EQ(ReadBytes(two + "\\a.txt"), "two's a.txt");
    EXPECT_EQ(FolderListing(two), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(InspectJournal(disk, target).state, JournalState::LinkMoved);
    std::string journal = ReadBytes(JournalPath(target));
    EXPECT_NE(journal.find("\nlink\tData\t"), std::string::npos) << journal;

    // Led back where it was, the next run's recovery puts a.txt back.
    ASSERT_TRUE(MakeFolderLink(target + "\\Data", one));
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::UndoneRun);
    EXPECT_EQ(ReadBytes(one + "\\a.txt"), "one's a.txt");
    EXPECT_EQ(FolderListing(one), std::vector<std::string>{"a.txt"});
}
