// The install run on real files: what the disk adds to the run's rules (the
// 1980 time stamps, destinations that refuse a copy, records replaced through
// temporary files beside them, the folders a copy makes).
#include "engine/disk_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/text_lines.h"
#include "engine/file_ops.h"
#include "engine/install_run.h"
#include "support/test_files.h"

namespace {

struct NoProgress : InstallProgress {
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {}
};

void StampBefore1980(const std::string& path) {
    SYSTEMTIME old{};
    old.wYear = 1975;
    old.wMonth = 6;
    old.wDay = 1;
    old.wHour = 12;
    FILETIME time;
    SystemTimeToFileTime(&old, &time);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

class DiskRun : public ::testing::Test {
protected:
    ScratchDir setup;
    ScratchDir target;
    Package package;
    std::string source;

    void SetUp() override {
        source = SourceFolder(setup.path);
        MakeFolders(source);
        MakeFolders(target / "Resource");
        package.PackName = "Pack";
        package.PackBaseFolder = "Base";
        package.PackVersion = "1.2";
    }
    void Script(const std::string& name, const std::vector<std::string>& lines) {
        WriteBytes(JoinPath(source, name), JoinTextLines(lines));
    }
    void PackFile(const std::string& relative, const std::string& bytes) {
        WriteBytes(source + "\\PACK\\" + relative, bytes);
    }
    // As setup.exe runs it: one transaction.
    bool Install() {
        DiskFiles files;
        NoProgress progress;
        bool ok = RunTransactedInstall(setup.path, target.path, package, files, files, progress) ==
                  InstallOutcome::Installed;
        EXPECT_FALSE(PathExists(JournalPath(target.path))) << "no journal stays";
        return ok;
    }
};

}  // namespace

TEST(CountScriptLines, CountsLinesOfPresentFilesWhateverTheLastLineEnd) {
    ScratchDir dir;
    DiskFiles files;
    WriteBytes(dir / "crlf.ini", "a\r\nb\r\nc\r\n");
    WriteBytes(dir / "open.ini", "a\r\nb\nc");
    WriteBytes(dir / "empty.ini", "");
    WriteBytes(dir / "old.ini", "a\r\n");
    StampBefore1980(dir / "old.ini");
    EXPECT_EQ(CountScriptLines(files, dir / "crlf.ini"), 3);
    EXPECT_EQ(CountScriptLines(files, dir / "open.ini"), 3);
    EXPECT_EQ(CountScriptLines(files, dir / "empty.ini"), 0);
    EXPECT_EQ(CountScriptLines(files, dir / "absent.ini"), 0);
    EXPECT_EQ(CountScriptLines(files, dir / "old.ini"), 0) << "a file from before 1980 counts as absent";
}

TEST(PackageCopy, CreatesFoldersAndAcceptsForwardSlashes) {
    ScratchDir folder;
    WriteBytes(folder / "src.txt", "data");
    EXPECT_TRUE(CopyPackageFile(folder / "src.txt", folder / "a\\b\\src.txt"));
    EXPECT_EQ(ReadBytes(folder / "a\\b\\src.txt"), "data");
    EXPECT_TRUE(CopyPackageFile(folder / "src.txt", folder / "c/d/src.txt"));
    EXPECT_EQ(ReadBytes(folder / "c\\d\\src.txt"), "data");
    EXPECT_FALSE(CopyPackageFile(folder / "absent.txt", folder / "e\\absent.txt"));
}

// A package on a CD: the system copy (a small file) and the piecewise one (a
// large file while the window is kept alive) alike leave writable files, and a
// failed copy says why in the system's own code.
TEST(PackageCopy, DestinationsDropTheSourcesReadOnlyAttributeAndFailuresKeepTheirReason) {
    ScratchDir folder;
    WriteBytes(folder / "small.txt", "data");
    WriteBytes(folder / "large.bin", std::string(512 << 10, 'x'));
    for (const char* name : {"small.txt", "large.bin"}) {
        std::string source = folder / name;
        ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
        std::string destination = folder / (std::string("out\\") + name);
        EXPECT_TRUE(CopyPackageFile(source, destination, [] { return true; })) << name;
        DWORD attributes = GetFileAttributesA(destination.c_str());
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << name;
        SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    HANDLE held = CreateFileA((folder / "small.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopyPackageFile(folder / "small.txt", folder / "other\\small.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
}

TEST_F(DiskRun, FilesStampedBefore1980CountAsAbsent) {
    PackFile("old.txt", "old source");
    StampBefore1980(source + "\\PACK\\old.txt");
    WriteBytes(target / "keep.txt", "kept");
    StampBefore1980(target / "keep.txt");
    Script("Script_Delete.ini", {"keep.txt"});
    Script("Script_ACopy.ini", {"old.txt"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(ReadBytes(target / "keep.txt"), "kept") << "as a delete target it stays";
    EXPECT_FALSE(PathExists(target / "old.txt")) << "as a source it is passed over";
}

TEST_F(DiskRun, DestinationThatCannotBeReplacedFailsTheRunAndStays) {
    PackFile("locked.txt", "new");
    PackFile("fresh.txt", "fresh");
    WriteBytes(target / "locked.txt", "old");
    Script("Script_ACopy.ini", {"fresh.txt", "locked.txt"});
    // Held open without sharing, the file cannot be moved aside.
    HANDLE held = CreateFileA((target / "locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    bool ok = Install();
    CloseHandle(held);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(target / "locked.txt"), "old");
    EXPECT_FALSE(PathExists(target / "fresh.txt")) << "the copies before it are undone";
    EXPECT_FALSE(PathExists(target / "Base\\Pack\\Version.ini"));

    // Read-only: refused before anything is changed (Wine's root user would overwrite it).
    SetFileAttributesA((target / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Install());
    SetFileAttributesA((target / "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target / "locked.txt"), "old");
    EXPECT_EQ(FolderListing(target.path), (std::vector<std::string>{"Resource", "locked.txt"}));
}

TEST_F(DiskRun, RecordsAreReplacedBesideThemselvesLeavingNothingBehind) {
    std::string record = target / "Resource\\Uninstall.ini";
    WriteBytes(record, "[A]\nold\n\n[B]\r\nx\x1A" "ignored");
    SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(target / "Resource\\InstallComponents.ini", "Other/3\nPack/1.2");
    WriteBytes(ReplacementPath(record), "left by a killed run");
    Script("Script_Uninstall_Clear.ini", {"x", "[B]"});
    Script("Script_Uninstall_Add.ini", {"lead", "[A]", "old", "a", "[C]", "c"});
    Script("OldVersions.ini", {"1.0"});
    std::vector<std::string> setupFiles = FolderListing(source);
    EXPECT_TRUE(Install());
    EXPECT_EQ(ReadBytes(record), "[A]\r\nlead\r\na\r\nold\r\n\r\n[C]\r\nc\r\n");
    EXPECT_TRUE(GetFileAttributesA(record.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the attributes stay";
    EXPECT_EQ(ReadBytes(target / "Resource\\InstallComponents.ini"), "Other/3\r\nPack/1.2\r\n");
    EXPECT_EQ(FolderListing(target / "Resource"), (std::vector<std::string>{"InstallComponents.ini", "Uninstall.ini"}));
    EXPECT_EQ(FolderListing(target / "Base\\Pack"), (std::vector<std::string>{"OldVersions.ini", "Version.ini"}));
    EXPECT_EQ(FolderListing(source), setupFiles) << "nothing is written into the setup folder";
}

TEST_F(DiskRun, RecordThatCannotBeReplacedFailsTheRunAndStaysAsItWas) {
    std::string record = target / "Resource\\Uninstall.ini";
    WriteBytes(record, "[A]\r\n");
    SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_READONLY);
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    EXPECT_FALSE(Install()) << "read-only";
    SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(record), "[A]\r\n");
    EXPECT_EQ(FolderListing(target / "Resource"), std::vector<std::string>{"Uninstall.ini"});
    EXPECT_FALSE(PathExists(target / "Base\\Pack\\Version.ini"));
}

TEST_F(DiskRun, TemporaryRecordThatCannotBeWrittenFailsBeforeTheCopies) {
    // A folder in the way of the temporary file: creating the file fails.
    std::string record = target / "Resource\\Uninstall.ini";
    MakeFolders(ReplacementPath(record));
    WriteBytes(record, "[A]\r\n");
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    Script("Script_Delete.ini", {"doomed.txt"});
    WriteBytes(target / "doomed.txt", "x");
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt"});
    EXPECT_FALSE(Install());
    EXPECT_EQ(ReadBytes(target / "doomed.txt"), "x") << "the delete phase ran before, and is undone";
    EXPECT_FALSE(PathExists(target / "a.txt")) << "the copy phases never ran";
    EXPECT_FALSE(PathExists(target / "Base\\Pack\\Version.ini"));
    EXPECT_EQ(ReadBytes(record), "[A]\r\n");
}

// The transaction's single steps on the real disk: a second name that keeps
// the old file, a replacement in one step, an identity that follows the file.
TEST(DiskSteps, LinkThenReplaceKeepsTheOldFileAsideAndTheIdentityFollows) {
    ScratchDir folder;
    DiskFiles disk;
    WriteBytes(folder / "a.txt", "old");
    WriteBytes(folder / "a.txt.setup-tmp", "new!");
    FileIdentity old = disk.Identify(folder / "a.txt");
    ASSERT_EQ(old.size, 3);
    ASSERT_TRUE(disk.Link(folder / "a.txt", folder / "a.txt.setup-old"));
    EXPECT_EQ(disk.Identify(folder / "a.txt.setup-old"), old) << "one file under two names";
    FileIdentity fresh = disk.Identify(folder / "a.txt.setup-tmp");
    ASSERT_TRUE(disk.Replace(folder / "a.txt.setup-tmp", folder / "a.txt"));
    EXPECT_EQ(ReadBytes(folder / "a.txt"), "new!");
    EXPECT_EQ(ReadBytes(folder / "a.txt.setup-old"), "old");
    EXPECT_EQ(disk.Identify(folder / "a.txt"), fresh);
    EXPECT_EQ(disk.Identify(folder / "absent").size, -1);

    // A file held open without leave to delete gets no second name.
    HANDLE held = CreateFileA((folder / "a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(disk.Link(folder / "a.txt", folder / "a.txt.setup-old1"));
    EXPECT_EQ(disk.LastError(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
}

// What a copy's own handle saw is what recovery later finds at the file's
// path: the replace keeps it, over a read-only file too, and the time is the
// source's.
TEST(DiskSteps, TheIdentityACopyTellsIsTheOneFoundAfterItsReplace) {
    ScratchDir folder;
    DiskFiles disk;
    WriteBytes(folder / "source.bin", "package bytes");
    WriteBytes(folder / "a.txt", "old");
    SetFileAttributesA((folder / "a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(disk.CopyPackageFile(folder / "source.bin", folder / "a.txt.setup-tmp"));
    std::map<std::string, FileIdentity> written;
    std::string failed;
    ASSERT_TRUE(disk.SettleCopies(written, failed));
    ASSERT_EQ(written.size(), 1u);
    FileIdentity copied = written[folder / "a.txt.setup-tmp"];
    EXPECT_EQ(copied.size, 13);
    EXPECT_EQ(copied.written, disk.Identify(folder / "source.bin").written);
    EXPECT_EQ(copied, disk.Identify(folder / "a.txt.setup-tmp"));
    ASSERT_TRUE(disk.Replace(folder / "a.txt.setup-tmp", folder / "a.txt")) << "a read-only file is replaced too";
    EXPECT_EQ(disk.Identify(folder / "a.txt"), copied);
    EXPECT_EQ(ReadBytes(folder / "a.txt"), "package bytes");
    EXPECT_FALSE(disk.Replace(folder / "absent", folder / "a.txt"));
    EXPECT_EQ(ReadBytes(folder / "a.txt"), "package bytes");
}

// Copies flushed together on other threads: each is told with the identity
// found at its path once it is put there, and none is put over another's file.
TEST(DiskSteps, CopiesSettledTogetherArePutInPlaceWhole) {
    ScratchDir folder;
    DiskFiles disk;
    const int count = 40;
    auto name = [&](char stem, int i, const char* end = "") {
        std::string text(1, stem);
        text += std::to_string(i);
        text += end;
        return folder / text;
    };
    for (int i = 0; i < count; ++i) WriteBytes(name('s', i), std::string(100 + i, 'a' + i % 26));
    WriteBytes(folder / "d7", "another's");
    for (int i = 0; i < count; ++i) {
        std::string source = name('s', i);
        ASSERT_TRUE(disk.FileIsPresent(source));
        ASSERT_TRUE(disk.CopyPackageFile(source, name('d', i, ".setup-tmp")));
    }
    EXPECT_GE(disk.UnsettledBytes(), static_cast<unsigned long long>(100 * count));
    std::map<std::string, FileIdentity> written;
    std::string failed;
    ASSERT_TRUE(disk.SettleCopies(written, failed));
    EXPECT_EQ(disk.UnsettledBytes(), 0u);
    ASSERT_EQ(written.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string temporary = name('d', i, ".setup-tmp");
        std::string path = name('d', i);
        EXPECT_EQ(disk.Rename(temporary, path, false), i != 7) << path;
        if (i == 7) continue;
        EXPECT_EQ(disk.Identify(path), written[temporary]) << path;
        EXPECT_EQ(ReadBytes(path), std::string(100 + i, 'a' + i % 26));
    }
    EXPECT_EQ(ReadBytes(folder / "d7"), "another's");
    EXPECT_TRUE(disk.Erase(folder / "d7.setup-tmp")) << "a copy left open is closed for its erase";

    // A temporary's name taken meanwhile by another hand: its file is never written through.
    WriteBytes(folder / "d0.setup-tmp", "another's");
    EXPECT_FALSE(disk.CopyPackageFile(name('s', 0), folder / "d0.setup-tmp"));
    EXPECT_EQ(ReadBytes(folder / "d0.setup-tmp"), "another's");
}

// Settled with nothing queued, the pool still wakes its waiting threads for
// the next files: a run settles once per group, and may find every flush done.
TEST(DiskSteps, AFlushPoolSettledIdleTakesTheNextFiles) {
    ScratchDir folder;
    FlushPool pool;
    for (int i = 0; i < 6; ++i) {
        std::string path = folder / "f";
        path += std::to_string(i);
        FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid());
        pool.Add(std::move(file), path);
        std::vector<FlushPool::Flushed> settled = pool.Settle(nullptr);
        ASSERT_EQ(settled.size(), 1u);
        EXPECT_EQ(settled[0].error, 0u);
        EXPECT_TRUE(pool.Settle(nullptr).empty());
    }
}

TEST(DiskSteps, DurableCopyKeepsBytesAndTimeButNotReadOnly) {
    ScratchDir folder;
    std::string big(3u << 20, 'x');
    big[12345] = 'y';
    WriteBytes(folder / "big.bin", big);
    SetFileAttributesA((folder / "big.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    int calls = 0;
    ASSERT_TRUE(CopyFileDurably(folder / "big.bin", folder / "copy.bin", [&] { return ++calls > 0; }));
    EXPECT_EQ(ReadBytes(folder / "copy.bin"), big);
    EXPECT_GE(calls, 3) << "the window is let live between pieces";
    EXPECT_FALSE(GetFileAttributesA((folder / "copy.bin").c_str()) & FILE_ATTRIBUTE_READONLY)
        << "an installed file must stay replaceable by the next update";
    EXPECT_FALSE(CopyFileDurably(folder / "big.bin", folder / "stopped.bin", [] { return false; }));
    EXPECT_FALSE(PathExists(folder / "stopped.bin")) << "a cancelled copy leaves nothing";
    SetFileAttributesA((folder / "big.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((folder / "copy.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// One run per target on the real disk: the journal a run holds can be neither
// read nor made again; the record that vouches for it lives in the user's own
// folder only while the run does.
TEST_F(DiskRun, OneRunPerTargetAndItsRecordLivesOnlyWhileItDoes) {
    DiskFiles first;
    {
        InstallTransaction run(first, first, target.path, {"Pack", "1.2", "", setup.path});
        EXPECT_FALSE(first.ReadRunRecord(target.path).empty());
        DiskFiles second;
        EXPECT_EQ(InspectJournal(second, target.path).state, JournalState::Busy);
        EXPECT_EQ(RecoverTarget(second, target.path).outcome, Recovery::Refused);
        NoProgress progress;
        EXPECT_EQ(RunTransactedInstall(setup.path, target.path, package, second, second, progress), InstallOutcome::Busy);
        run.Undo();
    }
    EXPECT_FALSE(PathExists(JournalPath(target.path)));
    EXPECT_TRUE(first.ReadRunRecord(target.path).empty());
}

TEST_F(DiskRun, AJournalWithoutThisUsersRecordIsNotActedOn) {
    WriteBytes(target / "a.txt", "the user's");
    JournalHeader header{"Pack", "1.2", "2026-12-10 03:30", setup.path, 7};
    WriteBytes(JournalPath(target.path), FormatJournalHeader(header) +
                                             FormatJournalEntry({JournalEntry::Kind::New, "a.txt", "", {}}, 7));
    DiskFiles disk;
    JournalFinding finding = InspectJournal(disk, target.path);
    EXPECT_EQ(finding.state, JournalState::Untrusted);
    EXPECT_EQ(finding.header.PackVersion, "1.2");
    EXPECT_EQ(RecoverTarget(disk, target.path).outcome, Recovery::Refused);
    EXPECT_EQ(ReadBytes(target / "a.txt"), "the user's");
    EXPECT_TRUE(PathExists(JournalPath(target.path)));
}

// Every copy passes through the run's staging folder: no other program can
// move it away (and put a link or a folder of its own there) while the run
// writes in it, and the run still removes it at the end.
TEST_F(DiskRun, TheStagingFolderStaysWhereItIsWhileTheRunLives) {
    Script("Script_ACopy.ini", {"a.txt", "Data\\b.txt"});
    PackFile("a.txt", "a");
    PackFile("Data\\b.txt", "b");
    struct MoveStaging : InstallProgress {
        std::string staging;
        bool tried = false, moved = false;
        void SetProgressRange(int) override {}
        void ShowProgressStep(int) override {
            if (tried || !PathExists(staging)) return;
            tried = true;
            moved = MoveFileA(staging.c_str(), (staging + "-moved").c_str());
        }
    } progress;
    progress.staging = target / (std::string(StagingFolderName) + ReplacementSuffix);
    DiskFiles files;
    EXPECT_EQ(RunTransactedInstall(setup.path, target.path, package, files, files, progress), InstallOutcome::Installed);
    EXPECT_TRUE(progress.tried);
    EXPECT_FALSE(progress.moved);
    EXPECT_EQ(ReadBytes(target / "Data\\b.txt"), "b");
    EXPECT_FALSE(PathExists(progress.staging));
}
