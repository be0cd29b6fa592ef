// The install run as a transaction, driven through the real setup.exe: a run
// that fails, that the user abandons or that is killed leaves the target as it
// was (a killed one once the next run has looked at the target), and a long
// copy keeps the window answering.
#include <cstdio>
#include <functional>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls without sleeping, so the moment is caught to a fraction of a millisecond.
bool WaitClosely(const std::function<bool()>& condition, DWORD timeoutMs = 20000) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        SwitchToThread();
    }
    return true;
}

// A file of `size` bytes, written a megabyte at a time.
void WriteLargeFile(const std::string& path, size_t size) {
    MakeFolders(path.substr(0, path.rfind('\\')));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string chunk(1 << 20, 'x');
    for (size_t done = 0; done < size; done += chunk.size()) {
        DWORD wrote = 0;
        WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &wrote, nullptr);
    }
    CloseHandle(file);
}

HANDLE HoldWithoutSharing(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void StampBefore1980(const std::string& path) {
    SYSTEMTIME old{};
    old.wYear = 1975;
    old.wMonth = 6;
    old.wDay = 1;
    FILETIME time;
    SystemTimeToFileTime(&old, &time);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

class Transacted : public WizardRun {
protected:
    // The demo copy, plus a file the package overwrites and one it adds beside the delete.
    std::string PrepareCopy(const std::string& name) {
        std::string copy = MakeRecordedCopy(name);
        WriteBytes(copy + "\\Resource\\DemoPack.cfg", "the old configuration\r\n");
        return copy;
    }
    // Adds a copy line for a package file of `size` bytes, installed into the package folder.
    void AddPackageFile(const std::string& setupFolder, const std::string& line, size_t size) {
        WriteLargeFile(setupFolder + "\\Source\\PACK\\" + line, size);
        std::string script = setupFolder + "\\Source\\Script_Copy.ini";
        WriteBytes(script, ReadBytes(script) + line + "\r\n");
    }
    // A run whose result box is the failure box; the target as before it.
    // `inUse`: a file in use is met first, and its box answered with Cancel.
    void ExpectFailureLeavesTheTarget(const std::string& copy, bool inUse = false) {
        TreeBytes before = TreeOf(copy);
        EXPECT_EQ(FirstLine(inUse ? InstallCancellingFileInUse() : InstallAndFinish()), InstallFailedText);
        TreeBytes after = TreeOf(copy);
        EXPECT_TRUE(after == before) << TreeDifference(before, after);
    }
};

}  // namespace

TEST_F(Transacted, FailuresLeaveTheTargetExactlyAsItWas) {
    std::string copy = PrepareCopy("Failing");
    // A package file held open without sharing: it cannot be read.
    HANDLE held = HoldWithoutSharing(setup / "Source\\PACK\\Data\\readme.txt");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectFailureLeavesTheTarget(copy, true);
    CloseHandle(held);

    // A destination held open: it cannot be moved aside.
    held = HoldWithoutSharing(copy + "\\Resource\\DemoPack.cfg");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectFailureLeavesTheTarget(copy, true);
    CloseHandle(held);

    // A read-only destination: refused before anything is changed for it.
    SetFileAttributesA((copy + "\\Resource\\DemoPack.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectFailureLeavesTheTarget(copy);
    SetFileAttributesA((copy + "\\Resource\\DemoPack.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Transacted, ARecordAndAListDatedBefore1980AreEditedNotReplaced) {
    std::string copy = PrepareCopy("Old");
    WriteBytes(copy + "\\Resource\\InstallComponents.ini", "Base/1.0\r\nOther/3.0\r\n");
    StampBefore1980(copy + "\\Resource\\InstallComponents.ini");
    StampBefore1980(copy + "\\Resource\\Uninstall.ini");
    EXPECT_EQ(InstallAndFinish(), InstallOkText);
    EXPECT_EQ(ReadBytes(copy + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\nOther/3.0\r\nDemoPack/2.1\r\n");
    EXPECT_NE(ReadBytes(copy + "\\Resource\\Uninstall.ini").find("Resource\\DemoPack.cfg\r\n"), std::string::npos)
        << "the package's lines are merged";
}

TEST_F(Transacted, AFileWhereTheCopyNeedsAFolderStaysAndFailsTheRun) {
    std::string copy = PrepareCopy("FileInTheWay");
    RemoveTree(copy + "\\Data");
    WriteBytes(copy + "\\Data", "the user's own file named Data");
    std::string script = setup / "Source\\Script_ACopy.ini";
    WriteBytes(script, ReadBytes(script) + "Data\\readme.txt\r\n");
    ExpectFailureLeavesTheTarget(copy);
    EXPECT_EQ(ReadBytes(copy + "\\Data"), "the user's own file named Data");
}

// The package does not fit: the space box comes before any change, with the
// room needed and the room free, and the run ends there.
TEST_F(Transacted, ADriveTooSmallForThePackageIsToldBeforeAnyChange) {
    ULARGE_INTEGER room, total;
    if (!GetDiskFreeSpaceExA("R:\\", &room, &total, nullptr) || total.QuadPart > (4u << 20)) {
        GTEST_SKIP() << "no small drive R: in the Wine prefix: scripts/small-drive.sh mounts a 2 MB tmpfs there, "
                        "which needs root";
    }
    const std::string copy = "R:\\Game";
    RemoveTree(copy);
    MakeCopyAt(copy);
    AddCopyRecord(copy + "\\quill.exe");
    AddPackageFile(setup.path, "Data\\big.dat", 3 << 20);
    TreeBytes before = TreeOf(copy);
    BeginInstall(process, setup.path);
    BoxSeen space = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(FirstLine(space.text), DiskSpaceText);
    // Needed / free in MB: the 3 MB file and more against less than the drive's 2 MB.
    std::string figures = space.text.substr(space.text.find("\r\n") + 2);
    double needed = 0, free = 0;
    EXPECT_EQ(sscanf(figures.c_str(), "%lf / %lf", &needed, &free), 2) << figures;
    EXPECT_GE(needed, 3.0);
    EXPECT_LT(free, 2.0);
    EXPECT_EQ(process.waitExit(), 0);
    TreeBytes after = TreeOf(copy);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
    RemoveTree(copy);
}

// Closing the window during a long copy and confirming: the run stops, is
// undone, no result box and no launch question, exit code 0.
TEST_F(Transacted, ClosingTheWindowDuringTheCopiesAbandonsTheRun) {
    std::string copy = PrepareCopy("Abandoned");
    AddPackageFile(setup.path, "Data\\big.dat", 256u << 20);
    TreeBytes before = TreeOf(copy);
    BeginInstall(process, setup.path);
    std::string partial = PackageFolder(copy) + "\\Data\\big.dat";
    ASSERT_TRUE(WaitClosely([&] { return PathExists(partial); }));
    PostMessageA(main, WM_CLOSE, 0, 0);  // the close box
    BoxSeen confirmation = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(confirmation.text, "Действительно хотите закрыть программу?");
    EXPECT_EQ(process.waitExit(30000), 0);
    EXPECT_TRUE(TopWindows(process.pid()).empty());
    TreeBytes after = TreeOf(copy);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
}

// The window answers all through a large copy. 1 GB is what users copy; the
// size is the largest that keeps the test within some 20 seconds here.
TEST_F(Transacted, TheWindowAnswersAllThroughALargeCopy) {
    const size_t size = 1024u << 20;
    std::string copy = PrepareCopy("Large");
    AddPackageFile(setup.path, "Data\\large.dat", size);
    BeginInstall(process, setup.path);
    std::string destination = PackageFolder(copy) + "\\Data\\large.dat";
    // The copy is written and flushed beside the destination, then takes its place.
    std::string beside = destination + ".setup-tmp";
    ASSERT_TRUE(WaitClosely([&] { return PathExists(beside); }));
    int answers = 0;
    bool silent = false;
    // Until the copy, flushed, has taken the destination's place.
    auto copying = [&] { return PathExists(beside); };
    while (copying()) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 400, &result)) {
            silent = copying();
            break;
        }
        ++answers;
    }
    EXPECT_FALSE(silent) << "the window did not answer within 400 ms after " << answers << " answers";
    EXPECT_GT(answers, 1);
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, InstallOkText);
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(destination.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, size);
    DeleteFileA(destination.c_str());
}

// Kills spread over a run that deletes, overwrites, creates and merges, and
// over a failing run's undo. After each: a run that fails leaves the target
// as before the killed run (or as one whole run, when the killed one had
// committed), and a run that succeeds leaves the tree of one whole run.
TEST_F(Transacted, KillsAreFinishedByTheNextRun) {
    // Many files make the copies and the undo long enough to aim at.
    AddPackageFile(setup.path, "Data\\mid.dat", 24u << 20);
    for (int i = 0; i < 150; ++i) AddPackageFile(setup.path, "Data\\Many\\f" + std::to_string(i) + ".dat", 4096);
    AddPackageFile(setup.path, "Data\\last.dat", 4096);
    // Held open, the last copy line's file fails a run, which then undoes all the others.
    const std::string held = "Source\\PACK\\Data\\last.dat";
    auto deleted = [](const std::string& copy) {
        return [path = copy + "\\Data\\old_demo.map"] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; };
    };

    // An uninterrupted run: the tree it leaves, and the time from its first change to its result box.
    std::string copy = PrepareCopy("Whole");
    TreeBytes before = TreeOf(copy);
    auto timeRun = [&](bool failing) {
        HANDLE hold = failing ? HoldWithoutSharing(setup / held) : INVALID_HANDLE_VALUE;
        SetupProcess run;
        BeginInstall(run, setup.path);
        EXPECT_TRUE(WaitClosely(deleted(copy)));
        double start = Seconds();
        // The held file's box is answered with Cancel at once: the undo follows.
        EXPECT_TRUE(WaitClosely([&] {
            if (failing) CancelFileInUseBox(run.pid());
            HWND box = WaitForTextBox(run.pid(), 0);
            return box && !GetDlgItem(box, IDRETRY);
        }));
        if (hold != INVALID_HANDLE_VALUE) CloseHandle(hold);
        return Seconds() - start;
    };
    double whole = timeRun(false);
    TreeBytes installed = TreeOf(copy);
    ASSERT_NE(installed, before);
    RemoveTree(copy);
    copy = PrepareCopy("Failed");
    double failed = timeRun(true);
    EXPECT_TRUE(TreeOf(copy) == before) << TreeDifference(before, TreeOf(copy));

    struct Point {
        bool failing;
        double at;
    };
    std::vector<Point> points;
    for (int i = 1; i <= 5; ++i) points.push_back({false, whole * i / 6});
    // The failing run's undo takes its last part.
    for (int i = 0; i < 3; ++i) points.push_back({true, failed * (0.55 + 0.15 * i)});
    int n = 0, committedKills = 0;
    for (const Point& point : points) {
        ClearCopyRecords();
        copy = PrepareCopy("Killed" + std::to_string(n));
        // A setup folder of its own: the killed program's file may still be held for a moment.
        std::string setupFolder = copies / ("Setup" + std::to_string(n++));
        CopyTree(setup / "Source", setupFolder + "\\Source");
        HANDLE hold = point.failing ? HoldWithoutSharing(setupFolder + "\\" + held) : INVALID_HANDLE_VALUE;
        {
            SetupProcess run;
            BeginInstall(run, setupFolder);
            ASSERT_TRUE(WaitClosely(deleted(copy)));
            double killAt = Seconds() + point.at;
            while (Seconds() < killAt) {
                if (point.failing) CancelFileInUseBox(run.pid());
            }
            TerminateProcess(run.info.hProcess, 99);
            ASSERT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
        }
        if (hold != INVALID_HANDLE_VALUE) CloseHandle(hold);
        std::string journal = copy + "\\Setup.journal";
        bool committed = PathExists(journal) ? ReadBytes(journal).find("\ncommitted\t") != std::string::npos
                                             : TreeOf(copy) == installed;
        committedKills += committed;
        std::string where = std::string(point.failing ? "failing" : "whole") + " run killed " +
                            std::to_string(static_cast<int>(point.at * 1000)) + " ms after its first change";

        // (a) A run that fails: the target as before the killed run, or as the whole run.
        hold = HoldWithoutSharing(setup / held);
        EXPECT_EQ(FirstLine(InstallCancellingFileInUse(committed)), InstallFailedText) << where;
        CloseHandle(hold);
        TreeBytes afterFailure = TreeOf(copy);
        const TreeBytes& expected = committed ? installed : before;
        EXPECT_TRUE(afterFailure == expected) << where << ":\n" << TreeDifference(expected, afterFailure);

        // (b) A run that succeeds: the tree of one whole run.
        EXPECT_EQ(InstallAndFinish(committed), InstallOkText) << where;
        TreeBytes afterSuccess = TreeOf(copy);
        EXPECT_TRUE(afterSuccess == installed) << where << ":\n" << TreeDifference(installed, afterSuccess);
        RemoveTree(copy);
    }
    EXPECT_LT(committedKills, static_cast<int>(points.size())) << "the kills came too late to test anything";
}
