// The install run as a transaction, driven through the real setup.exe: a run
// that fails, that the user abandons or that is killed leaves the target as it
// was (a killed one once the next run has looked at the target), and a long
// copy keeps the window answering.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";
const char CopyBusyText[] = "С этой копией программы сейчас работает другая программа установки. Ничего не изменено.";
const char ConfirmCaption[] = "Подтверждение...";
const char NotVouchedText[] = "В этой копии программы найдена запись о прерванной установке, за которую программа "
                              "установки не может поручиться. Ничего не изменено, и пакет не будет установлен, "
                              "пока эта запись там:";
const char NotPutBackText[] = "Не удалось вернуть на место файл, изменённый установкой. Копия программы пока оставлена "
                              "как есть; запустите программу установки ещё раз, когда файл освободится:";
const char LeftAsChangedText[] = "Эти файлы изменены после прерванной установки и оставлены как есть:";

// A journal line sealed as the program seals it: FNV-1a over the run's nonce and the line.
std::string Sealed(unsigned long long nonce, const std::string& body) {
    unsigned long long hash = 14695981039346656037ull;
    auto mix = [&](unsigned char c) { hash = (hash ^ c) * 1099511628211ull; };
    for (int i = 0; i < 8; ++i) mix(static_cast<unsigned char>(nonce >> (8 * i)));
    for (char c : body) mix(static_cast<unsigned char>(c));
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", hash);
    return body + "\t" + hex + "\r\n";
}

// The file's size, -1 when there is none; looked up without opening the
// file, which would stand in the way of its replacement.
long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// The size of the largest file in `folder`, -1 when it holds none.
long long LargestFileIn(const std::string& folder) {
    long long largest = -1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return largest;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            largest = std::max(largest, static_cast<long long>((static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                                                               found.nFileSizeLow));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return largest;
}

// Waits for the next message box, reads it, runs `whileShown` (the run
// waits on the box meanwhile), then presses `buttonId`.
BoxSeen AnswerBoxAfter(DWORD pid, int buttonId, const std::function<void(const BoxSeen&)>& whileShown) {
    BoxSeen seen;
    HWND box = WaitForTextBox(pid);
    if (!box) return seen;
    seen = {WindowText(box), MessageBoxText(box)};
    whileShown(seen);
    PressDialogButton(box, buttonId);
    WaitGone(box);
    return seen;
}

std::vector<std::string> JournalLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t from = 0, end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(bytes.substr(from, end - from));
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    for (size_t from = 0;;) {
        size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos) return fields;
        from = tab + 1;
    }
}

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
    // A setup folder of its own beside the copies, with the package as it is now:
    // a setup.exe still held by a killed or running one is left alone.
    std::string OwnSetupFolder(const std::string& name) {
        std::string folder = copies / name;
        CopyTree(setup / "Source", folder + "\\Source");
        return folder;
    }
    // Appends lines to one of the package's scripts.
    void AddLines(const char* script, const std::string& lines) {
        std::string path = setup / (std::string("Source\\") + script);
        WriteBytes(path, ReadBytes(path) + lines);
    }
    // Starts a run into the one recorded copy and kills it once `due` holds.
    void KillWhen(const std::string& setupFolder, const std::function<bool()>& due) {
        SetupProcess run;
        BeginInstall(run, setupFolder);
        bool reached = WaitClosely(due);
        HWND box = reached ? nullptr : WaitForTextBox(run.pid(), 0);
        ASSERT_TRUE(reached) << "the run did not get there" << (box ? "; it shows: " + MessageBoxText(box) : "");
        TerminateProcess(run.info.hProcess, 99);
        ASSERT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
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
    // The copy is written in the run's staging folder until it is whole.
    std::string staging = copy + "\\Setup.setup-tmp";
    ASSERT_TRUE(WaitClosely([&] { return LargestFileIn(staging) > (1 << 20); }));
    PostMessageA(main, WM_CLOSE, 0, 0);  // the close box
    BoxSeen confirmation = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(confirmation.text, "Действительно хотите закрыть программу?");
    EXPECT_EQ(process.waitExit(30000), 0);
    EXPECT_TRUE(TopWindows(process.pid()).empty());
    TreeBytes after = TreeOf(copy);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
}

// The window answers all through a large copy, its flush included, from the
// first byte until the result box. 1 GB is what users copy; the size is the
// largest that keeps the test within some 20 seconds here.
TEST_F(Transacted, TheWindowAnswersAllThroughALargeCopy) {
    const size_t size = 1024u << 20;
    std::string copy = PrepareCopy("Large");
    AddPackageFile(setup.path, "Data\\large.dat", size);
    BeginInstall(process, setup.path);
    std::string destination = PackageFolder(copy) + "\\Data\\large.dat";
    // The copies are written in the run's staging folder first: the first file
    // there comes no later than the large one's first byte.
    std::string staging = copy + "\\Setup.setup-tmp";
    auto started = [&] { return LargestFileIn(staging) >= 0; };
    ASSERT_TRUE(WaitClosely(started));
    int answers = 0;
    double worst = 0;
    bool silent = false;
    while (!WaitForTextBox(process.pid(), 0)) {
        double asked = Seconds();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 400, &result)) {
            // The result box may have come up meanwhile; a window busy with its
            // own box is no silent one.
            silent = !WaitForTextBox(process.pid(), 0);
            break;
        }
        worst = std::max(worst, Seconds() - asked);
        ++answers;
    }
    std::printf("[ measure  ] the window's slowest answer during a 1 GB copy: %.0f ms (%d answers)\n", worst * 1000,
                answers);
    RecordProperty("slowest_answer_ms", static_cast<int>(worst * 1000));
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
        // What the killed run left is told and settled first.
        bool left = PathExists(journal);
        hold = HoldWithoutSharing(setup / held);
        EXPECT_EQ(FirstLine(InstallCancellingFileInUse(committed, left)), InstallFailedText) << where;
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

// Two setups on one copy at once: the one that came second says so and
// changes nothing; the first installs as if alone.
TEST_F(Transacted, ASecondSetupOnTheSameCopySaysSoAndChangesNothing) {
    std::string copy = PrepareCopy("Shared");
    std::string secondFolder = OwnSetupFolder("SecondSetup");
    // The first run waits at the box for its record in use, its journal held.
    HANDLE record = HoldWithoutSharing(copy + "\\Resource\\Uninstall.ini");
    ASSERT_NE(record, INVALID_HANDLE_VALUE);
    BeginInstall(process, setup.path);
    HWND first = main;
    HWND inUse = WaitForTextBox(process.pid());
    ASSERT_NE(inUse, nullptr);
    EXPECT_EQ(FirstLine(MessageBoxText(inUse)), FileInUseText);

    SetupProcess second;
    BeginInstall(second, secondFolder);
    BoxSeen busy = AnswerBox(second.pid(), IDOK);
    EXPECT_EQ(busy.text, std::string(CopyBusyText) + "\r\n\r\n" + copy);
    EXPECT_EQ(second.waitExit(), 0);
    CloseHandle(record);
    PressDialogButton(inUse, IDRETRY);
    ASSERT_TRUE(WaitGone(inUse));

    main = first;
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, InstallOkText);
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
    for (const auto& [path, bytes] : TreeOf(copy)) {
        EXPECT_EQ(path.find(".setup-"), std::string::npos) << path << " left behind";
        EXPECT_NE(path, "Setup.journal");
    }
    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
}

// A package that replaces the target's executable with one of another
// version, killed while the new one is written and after it arrived: the next
// run still finds the copy (its executable aside, or of the other version),
// puts the old executable back before judging it, and installs.
TEST_F(Transacted, AnExecutableReplacedByAKilledRunIsPutBackByTheNextRun) {
    // Version 2.0.0.0, padded to take a while to write, then a large file to copy after it.
    std::string newExe = ReadBytes(std::string(TEST_BIN_DIR) + "\\demo\\target_v2.exe") + std::string(64u << 20, '\0');
    WriteBytes(setup / "Source\\PACK\\quill.exe", newExe);
    AddLines("Script_ACopy.ini", "quill.exe\r\n");
    AddPackageFile(setup.path, "Data\\after.dat", 128u << 20);
    int n = 0;
    for (bool arrived : {false, true}) {
        ClearCopyRecords();
        std::string copy = PrepareCopy("Exe" + std::to_string(n));
        std::string exe = copy + "\\quill.exe";
        std::string oldExe = ReadBytes(exe);
        std::string setupFolder = OwnSetupFolder("ExeSetup" + std::to_string(n++));
        auto beingWritten = [&] {
            for (const auto& name : FolderListing(copy)) {
                if (name.rfind("quill.exe", 0) == 0 && name != "quill.exe") return true;
            }
            return false;
        };
        auto newArrived = [&] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            return GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow == newExe.size();
        };
        KillWhen(setupFolder, arrived ? std::function<bool()>(newArrived) : std::function<bool()>(beingWritten));
        std::string where = arrived ? "killed after the new executable arrived" : "killed while it was written";
        ASSERT_TRUE(PathExists(copy + "\\Setup.journal")) << where;

        BeginInstall(process, setupFolder);
        BoxSeen question = AnswerBox(process.pid(), IDYES);
        EXPECT_EQ(question.caption, ConfirmCaption) << where;
        EXPECT_NE(question.text.find("DemoPack 2.1"), std::string::npos) << question.text;
        AnswerBoxAfter(process.pid(), IDOK, [&](const BoxSeen&) {
            EXPECT_TRUE(ReadBytes(exe) == oldExe) << where << ": the old executable is back before the install goes on";
        });
        EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, InstallOkText) << where;
        ClickButton(main, CmdExit);
        AnswerBox(process.pid(), IDYES);
        AnswerBox(process.pid(), IDNO);
        EXPECT_EQ(process.waitExit(), 0);
        EXPECT_TRUE(ReadBytes(exe) == newExe) << where;
        RemoveTree(copy);
    }
}

// Kills at many instants through the replacement of a 64 MB program file and
// of a 20,000-line uninstall record: each path holds, byte for byte, the old
// file or the new one at every kill point.
TEST_F(Transacted, EveryKillLeavesAReplacedFileOldOrNew) {
    const std::string oldBig(64u << 20, 'o');
    WriteLargeFile(setup / "Source\\PACK\\Data\\program.dat", 64u << 20);  // 'x' bytes
    AddLines("Script_ACopy.ini", "Data\\program.dat\r\n");
    std::string record = "[Files]\r\nquill.exe\r\nData\\old_demo.map\r\n";
    for (int i = 0; i < 20000; ++i) record += "Data\\Archive\\entry" + std::to_string(i) + ".dat\r\n";
    auto prepare = [&](const std::string& name) {
        std::string copy = PrepareCopy(name);
        WriteBytes(copy + "\\Data\\program.dat", oldBig);
        WriteBytes(copy + "\\Resource\\Uninstall.ini", record);
        return copy;
    };
    const std::string big = "\\Data\\program.dat", uninstall = "\\Resource\\Uninstall.ini";

    // One whole run: its time from the first change to the result box, and the files it leaves.
    std::string copy = prepare("WholeRun");
    BeginInstall(process, setup.path);
    ASSERT_TRUE(WaitClosely([&] { return PathExists(copy + "\\Setup.journal"); }));
    double start = Seconds();
    ASSERT_TRUE(WaitClosely([&] { return WaitForTextBox(process.pid(), 0) != nullptr; }));
    double whole = Seconds() - start;
    AnswerBox(process.pid(), IDOK);
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
    const std::string newBig = ReadBytes(copy + big), newRecord = ReadBytes(copy + uninstall);
    ASSERT_EQ(newBig.size(), 64u << 20);
    ASSERT_NE(newRecord, record);
    RemoveTree(copy);

    const int points = 12;
    int n = 0;
    for (int i = 1; i <= points; ++i) {
        ClearCopyRecords();
        copy = prepare("Kill" + std::to_string(n));
        std::string setupFolder = OwnSetupFolder("KillSetup" + std::to_string(n++));
        double at = whole * i / (points + 1);
        KillWhen(setupFolder, [&, armed = false, killAt = 0.0]() mutable {
            if (!armed && PathExists(copy + "\\Setup.journal")) {
                armed = true;
                killAt = Seconds() + at;
            }
            return armed && Seconds() >= killAt;
        });
        std::string where = "killed " + std::to_string(static_cast<int>(at * 1000)) + " ms after the journal appeared";
        std::string bigNow = PathExists(copy + big) ? ReadBytes(copy + big) : "<absent>";
        EXPECT_TRUE(bigNow == oldBig || bigNow == newBig) << where << ": the program file is neither old nor new ("
                                                          << bigNow.size() << " bytes)";
        std::string recordNow = PathExists(copy + uninstall) ? ReadBytes(copy + uninstall) : "<absent>";
        EXPECT_TRUE(recordNow == record || recordNow == newRecord)
            << where << ": the uninstall record is neither old nor new (" << recordNow.size() << " bytes)";
        RemoveTree(copy);
    }
}

// A copy line named like the file kept aside for another: refused before
// any change, and the user's file stays.
TEST_F(Transacted, ACopyLineNamedLikeAnAsideIsRefused) {
    std::string copy = PrepareCopy("AsideName");
    WriteBytes(copy + "\\Data\\a.txt", "the user's a.txt");
    WriteBytes(setup / "Source\\PACK\\Data\\a.txt.setup-old", "the package's own file");
    WriteBytes(setup / "Source\\PACK\\Data\\a.txt", "the package's a.txt");
    AddLines("Script_ACopy.ini", "Data\\a.txt.setup-old\r\nData\\a.txt\r\n");
    ExpectFailureLeavesTheTarget(copy);
    EXPECT_EQ(ReadBytes(copy + "\\Data\\a.txt"), "the user's a.txt");
}

// Two lines whose names differ only in Cyrillic case name one file: a run
// that then fails puts the user's file back whole, and one that succeeds
// leaves the package's file and nothing beside it.
TEST_F(Transacted, NamesDifferingOnlyInCyrillicCaseAreOneFile) {
    std::string copy = PrepareCopy("Cyrillic");
    WriteBytes(copy + "\\Данные\\Файл.txt", "the user's file");
    WriteBytes(setup / "Source\\PACK\\Данные\\Файл.txt", "the package's file");
    AddLines("Script_ACopy.ini", "Данные\\Файл.txt\r\nДАННЫЕ\\ФАЙЛ.txt\r\n");
    AddPackageFile(setup.path, "Data\\last.dat", 4096);
    HANDLE held = HoldWithoutSharing(setup / "Source\\PACK\\Data\\last.dat");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectFailureLeavesTheTarget(copy, true);
    CloseHandle(held);

    TreeBytes before = TreeOf(copy);
    std::string result = InstallAndFinish();
    TreeBytes after = TreeOf(copy);
    if (result == InstallFailedText) {
        EXPECT_TRUE(after == before) << "a refused package changes nothing:\n" << TreeDifference(before, after);
    } else {
        EXPECT_EQ(result, InstallOkText);
        EXPECT_EQ(ReadBytes(copy + "\\Данные\\Файл.txt"), "the package's file");
        EXPECT_EQ(FolderListing(copy + "\\Данные"), std::vector<std::string>{"Файл.txt"});
    }
}

namespace {

// A run killed after it replaced Resource\DemoPack.cfg, while a large copy goes on.
class Interrupted : public Transacted {
protected:
    std::string copy, journal, newConfig;
    void SetUp() override {
        Transacted::SetUp();
        AddPackageFile(setup.path, "Data\\big.dat", 256u << 20);
        newConfig = ReadBytes(setup / "Source\\PACK\\Resource\\DemoPack.cfg");
        copy = PrepareCopy("Interrupted");
        journal = copy + "\\Setup.journal";
        std::string config = copy + "\\Resource\\DemoPack.cfg";
        // The new file is longer than the old one; once the large copy is under
        // way, the line that tells the new file apart is on the disk too.
        std::string big = PackageFolder(copy) + "\\Data\\big.dat";
        KillWhen(OwnSetupFolder("KilledSetup"), [&] {
            return SizeOf(config) == static_cast<long long>(newConfig.size()) && SizeOf(big) > (1 << 20);
        });
        ASSERT_TRUE(PathExists(journal));
    }
    // A run that finds a journal it cannot vouch for: told where and why, nothing changed, nothing installed.
    void ExpectNotVouched() {
        TreeBytes before = TreeOf(copy);
        BeginInstall(process, setup.path);
        BoxSeen box = AnswerBox(process.pid(), IDOK);
        EXPECT_EQ(box.text.rfind(std::string(NotVouchedText) + "\r\n\r\n" + journal + "\r\n", 0), 0u) << box.text;
        EXPECT_EQ(process.waitExit(), 0);
        TreeBytes after = TreeOf(copy);
        EXPECT_TRUE(after == before) << TreeDifference(before, after);
    }
};

}  // namespace

// A whole, sealed line of a kind recovery does not know, with lines after it:
// the journal is damaged, and nothing is acted on.
TEST_F(Interrupted, AnUnknownLineInTheMiddleStopsRecovery) {
    std::vector<std::string> lines = JournalLines(ReadBytes(journal));
    ASSERT_GE(lines.size(), 3u);
    unsigned long long nonce = std::stoull(Fields(lines[0])[2], nullptr, 16);
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i] + "\r\n";
        if (i == 1) bytes += Sealed(nonce, "rename\tResource\\DemoPack.cfg\tResource\\Other.cfg");
    }
    SetFileAttributesA(journal.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteBytes(journal, bytes);
    ExpectNotVouched();
}

// The same journal naming another package, sealed anew: no run of this user
// wrote it, and nothing is acted on.
TEST_F(Interrupted, AJournalOfAnotherPackageIsNotActedOn) {
    std::string bytes = ReadBytes(journal);
    std::vector<std::string> lines = JournalLines(bytes);
    std::vector<std::string> header = Fields(lines[0]);
    ASSERT_EQ(header.size(), 8u);
    header[3] = "OtherPack";
    std::string body = header[0];
    for (size_t i = 1; i + 1 < header.size(); ++i) body += "\t" + header[i];
    std::string rest = bytes.substr(lines[0].size() + 2);
    SetFileAttributesA(journal.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteBytes(journal, Sealed(std::stoull(header[2], nullptr, 16), body) + rest);
    ExpectNotVouched();
}

// A file the user changed after the kill is left as changed, and the box says
// which; everything else is put back, and the install then goes on.
TEST_F(Interrupted, AFileEditedAfterTheKillIsLeftAloneAndNamed) {
    std::string config = copy + "\\Resource\\DemoPack.cfg";
    WriteBytes(config, "the user's own settings, written after the kill\r\n");
    BeginInstall(process, setup.path);
    BoxSeen question = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(question.caption, ConfirmCaption);
    EXPECT_NE(question.text.find("DemoPack 2.1"), std::string::npos) << question.text;
    EXPECT_NE(question.text.find("\r\n" + copy + "\r\n"), std::string::npos) << question.text;
    AnswerBoxAfter(process.pid(), IDOK, [&](const BoxSeen& done) {
        EXPECT_NE(done.text.find(std::string(LeftAsChangedText) + "\r\n"), std::string::npos) << done.text;
        EXPECT_NE(done.text.find("DemoPack.cfg"), std::string::npos) << done.text;
        EXPECT_EQ(ReadBytes(config), "the user's own settings, written after the kill\r\n");
        EXPECT_FALSE(PathExists(journal));
    });
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, InstallOkText);
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
}

// A No leaves the copy as the killed run left it; the next run asks again.
TEST_F(Interrupted, ANoLeavesTheCopyAsItIs) {
    TreeBytes before = TreeOf(copy);
    BeginInstall(process, setup.path);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).caption, ConfirmCaption);
    EXPECT_EQ(process.waitExit(), 0);
    TreeBytes after = TreeOf(copy);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
    EXPECT_EQ(InstallAndFinish(false, true), InstallOkText);
}

// The file kept aside is held open while a failed run undoes: the journal
// stays, the box names the file and the system's reason, and the next run
// finishes the undo once the file is free.
TEST_F(Transacted, AnAsideHeldOpenDuringTheUndoIsToldAndFinishedLater) {
    AddPackageFile(setup.path, "Data\\big.dat", 128u << 20);
    AddPackageFile(setup.path, "Data\\last.dat", 4096);
    std::string copy = PrepareCopy("HeldAside");
    std::string config = copy + "\\Resource\\DemoPack.cfg";
    TreeBytes before = TreeOf(copy);
    // The last package file held fails the run once the old configuration is kept aside.
    HANDLE failing = HoldWithoutSharing(setup / "Source\\PACK\\Data\\last.dat");
    ASSERT_NE(failing, INVALID_HANDLE_VALUE);
    BeginInstall(process, setup.path);
    HANDLE held = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(WaitClosely([&] {
        held = HoldWithoutSharing(config + ".setup-old");
        return held != INVALID_HANDLE_VALUE;
    }));
    // The held package file, or the configuration whose kept name is held, is in use: Cancel.
    EXPECT_EQ(FirstLine(AnswerBox(process.pid(), IDCANCEL).text), FileInUseText);
    BoxSeen notBack = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(notBack.text.rfind(std::string(NotPutBackText) + "\r\n\r\n" + copy + "\\Resource\\DemoPack.cfg", 0), 0u)
        << notBack.text;
    size_t fileLineEnd = notBack.text.find("\r\n", std::string(NotPutBackText).size() + 4);
    EXPECT_TRUE(fileLineEnd != std::string::npos && notBack.text.size() > fileLineEnd + 2)
        << "the system's words for the error follow the file";
    BoxSeen failed = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(FirstLine(failed.text), InstallFailedText);
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
    CloseHandle(held);
    CloseHandle(failing);
    EXPECT_TRUE(PathExists(copy + "\\Setup.journal"));

    SetupProcess next;
    BeginInstall(next, setup.path);
    EXPECT_EQ(AnswerBox(next.pid(), IDYES).caption, ConfirmCaption);
    AnswerBoxAfter(next.pid(), IDOK, [&](const BoxSeen&) {
        TreeBytes settled = TreeOf(copy);
        EXPECT_TRUE(settled == before) << TreeDifference(before, settled);
    });
    EXPECT_EQ(AnswerBox(next.pid(), IDOK).text, InstallOkText);
    ClickButton(main, CmdExit);
    AnswerBox(next.pid(), IDYES);
    AnswerBox(next.pid(), IDNO);
    EXPECT_EQ(next.waitExit(), 0);
}
