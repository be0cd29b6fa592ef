// Whole runs with faults injected from outside the program: the record held
// open by another program, a full disk, the process killed while it updates
// the record, a copy line beyond MAX_PATH, a package file that cannot be read.
// What must hold: nothing is lost, and a failure is never reported as success.
#include <functional>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";
const char InstallFailedText[] = "В процессе установки произошла ошибка, попробуйте установить пакет ещё раз!";

// An uninstall record of at least `size` bytes: the demo copy's lines, then numbered entries.
std::string BigRecord(size_t size) {
    std::string bytes = "[Files]\r\nquill.exe\r\nData\\old_demo.map\r\n";
    for (int i = 0; bytes.size() < size; ++i) bytes += "Data\\Archive\\entry" + std::to_string(i) + ".dat\r\n";
    return bytes;
}

// Entry lines under one header, at least `size` bytes of them.
std::string AddedSection(const std::string& header, size_t size) {
    std::string bytes = header + "\r\n";
    for (int i = 0; bytes.size() < size; ++i) bytes += "Data\\Added\\" + std::string(60, 'n') + std::to_string(i) + ".dat\r\n";
    return bytes;
}

// Paths beyond MAX_PATH, written and read the way only the wide functions can.
std::wstring ExtendedPath(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return L"\\\\?\\" + wide;
}

void WriteLongFile(const std::string& path, const std::string& bytes) {
    std::wstring wide = ExtendedPath(path);
    for (size_t cut = wide.find(L'\\', 7); cut != std::wstring::npos; cut = wide.find(L'\\', cut + 1)) {
        CreateDirectoryW(wide.substr(0, cut).c_str(), nullptr);
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
}

std::string ReadLongFile(const std::string& path) {
    HANDLE file = CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<absent>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

// Removes the file and the folders above it up to `top`, which the ANSI tree
// removal cannot reach.
void RemoveLongFile(const std::string& path, const std::string& top) {
    DeleteFileW(ExtendedPath(path).c_str());
    for (std::string folder = path.substr(0, path.rfind('\\')); folder.size() > top.size();
         folder = folder.substr(0, folder.rfind('\\'))) {
        RemoveDirectoryW(ExtendedPath(folder).c_str());
    }
}

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls without sleeping, so the moment is caught to a fraction of a millisecond.
bool WaitClosely(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        SwitchToThread();
    }
    return true;
}

class InjectedFault : public WizardRun {
protected:
    // Starts setup.exe in the setup folder and takes it past the about page and
    // the folder-found box of a single recorded copy: the install begins.
    void BeginInstall(SetupProcess& run, const std::string& setupFolder) {
        StartSetup(run, setupFolder);
        main = WaitForTopWindow(run.pid(), "myWindow");
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForHeader("О пакете:"));
        ClickButton(main, CmdNext);
        HWND found = WaitForTextBox(run.pid());
        ASSERT_NE(found, nullptr);
        PressDialogButton(found, IDOK);
        ASSERT_TRUE(WaitGone(found));
    }
    // A whole run into the one recorded copy; returns the result box's text.
    std::string InstallAndFinish() {
        BeginInstall(process, setup.path);
        std::string result = AnswerBox(process.pid(), IDOK).text;
        EXPECT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
        ClickButton(main, CmdExit);
        AnswerBox(process.pid(), IDYES);
        AnswerBox(process.pid(), IDNO);
        EXPECT_EQ(process.waitExit(), 0);
        return result;
    }
    void InstallWithRecordHeld(DWORD sharing) {
        std::string copy = MakeRecordedCopy("Held");
        std::string record = copy + "\\Resource\\Uninstall.ini";
        std::string before = ReadBytes(record);
        HANDLE held = CreateFileA(record.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(InstallAndFinish(), InstallFailedText);
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(record), before);
        EXPECT_EQ(FolderListing(copy + "\\Resource"), (std::vector<std::string>{"InstallComponents.ini", "Uninstall.ini"}));
        EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Version.ini"));
    }
};

}  // namespace

TEST_F(InjectedFault, RecordHeldOpenForReadingOnlyFailsTheRunAndKeepsItsBytes) { InstallWithRecordHeld(FILE_SHARE_READ); }

TEST_F(InjectedFault, RecordHeldOpenWithoutSharingFailsTheRunAndKeepsItsBytes) { InstallWithRecordHeld(0); }

TEST_F(InjectedFault, FullDiskFailsTheRunAndKeepsTheOldRecord) {
    ULARGE_INTEGER room, total;
    if (!GetDiskFreeSpaceExA("R:\\", &room, &total, nullptr) || total.QuadPart > (4u << 20)) {
        GTEST_SKIP() << "no small drive R: in the Wine prefix: scripts/lib/small-drive.sh mounts a 2 MB tmpfs there, "
                        "which needs root";
    }
    const std::string copy = "R:\\Game";
    RemoveTree(copy);
    MakeCopyAt(copy);
    AddCopyRecord(copy + "\\quill.exe");
    ASSERT_TRUE(GetDiskFreeSpaceExA("R:\\", &room, nullptr, nullptr));
    // The merged record outgrows the drive even with the old record's room given back.
    std::string record = BigRecord(room.QuadPart * 2 / 5);
    WriteBytes(copy + "\\Resource\\Uninstall.ini", record);
    WriteBytes(setup / "Source\\Script_Uninstall_Add.ini", AddedSection("[Files]", room.QuadPart));
    EXPECT_EQ(InstallAndFinish(), InstallFailedText);
    EXPECT_TRUE(ReadBytes(copy + "\\Resource\\Uninstall.ini") == record) << "the old record is gone";
    EXPECT_EQ(FolderListing(copy + "\\Resource"), (std::vector<std::string>{"InstallComponents.ini", "Uninstall.ini"}));
    EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Version.ini"));
    RemoveTree(copy);
}

// Kills setup.exe at points spread over the uninstall phase and what follows
// it, timed from the delete that comes right before the phase. Whatever the
// point, the record is the old one or the fully merged one.
TEST_F(InjectedFault, KillDuringTheRecordUpdateLeavesTheOldRecordOrTheMergedOne) {
    const std::string oldRecord = BigRecord(400 * 1024);
    std::string addScript = setup / "Source\\Script_Uninstall_Add.ini";
    WriteBytes(addScript, ReadBytes(addScript) + AddedSection("[Archive]", 100 * 1024));
    auto prepareCopy = [&](const std::string& name) {
        ClearCopyRecords();
        std::string copy = MakeRecordedCopy(name);
        WriteBytes(copy + "\\Resource\\Uninstall.ini", oldRecord);
        return copy;
    };
    auto deleted = [](const std::string& copy) {
        return [path = copy + "\\Data\\old_demo.map"] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; };
    };

    // An uninterrupted run gives the merged record and the time from the delete to the result box.
    std::string copy = prepareCopy("Whole");
    std::string merged;
    double phase = 0;
    {
        SetupProcess run;
        BeginInstall(run, setup.path);
        ASSERT_TRUE(WaitClosely(deleted(copy)));
        double start = Seconds();
        HWND box = nullptr;
        ASSERT_TRUE(WaitClosely([&] { return (box = WaitForTextBox(run.pid(), 0)) != nullptr; }));
        phase = Seconds() - start;
        ASSERT_EQ(MessageBoxText(box), InstallOkText);
        merged = ReadBytes(copy + "\\Resource\\Uninstall.ini");
        ASSERT_NE(merged, oldRecord);
    }
    const int points = 16;
    for (int i = 0; i < points; ++i) {
        copy = prepareCopy("Killed" + std::to_string(i));
        // A setup folder of its own: the killed program's file may still be
        // held for a moment, and is not overwritten for the next start.
        std::string setupFolder = copies / ("Setup" + std::to_string(i));
        CopyTree(setup / "Source", setupFolder + "\\Source");
        SetupProcess run;
        BeginInstall(run, setupFolder);
        ASSERT_TRUE(WaitClosely(deleted(copy)));
        double killAt = Seconds() + phase * i / points;
        while (Seconds() < killAt) {
        }
        TerminateProcess(run.info.hProcess, 99);
        ASSERT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
        std::string record = ReadBytes(copy + "\\Resource\\Uninstall.ini");
        EXPECT_TRUE(record == oldRecord || record == merged)
            << "killed " << i << "/" << points << " into " << phase * 1000 << " ms: a record of " << record.size()
            << " bytes, neither the old " << oldRecord.size() << " nor the merged " << merged.size();
        std::string list = ReadBytes(copy + "\\Resource\\InstallComponents.ini");
        EXPECT_TRUE(list == "Base/1.0\r\n" || list == "Base/1.0\r\nDemoPack/2.1\r\n") << list;
    }
}

TEST_F(InjectedFault, CopyLineLongerThanMaxPathIsInstalled) {
    std::string copy = MakeRecordedCopy("Long");
    std::string line = "Deep\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(59, 'c') + ".txt";
    ASSERT_EQ(line.size(), 270u);
    std::string absentLine = line.substr(0, line.size() - 5) + "d.txt";
    WriteLongFile(setup / ("Source\\PACK\\" + line), "deep file");
    std::string script = setup / "Source\\Script_ACopy.ini";
    WriteBytes(script, ReadBytes(script) + line + "\r\n" + absentLine + "\r\n");
    EXPECT_EQ(InstallAndFinish(), InstallOkText) << "a line whose source is absent still passes over";
    EXPECT_EQ(ReadLongFile(copy + "\\" + line), "deep file");
    RemoveLongFile(setup / ("Source\\PACK\\" + line), setup.path);
    RemoveLongFile(copy + "\\" + line, copy);
}

TEST_F(InjectedFault, FailedCopyLeavesNoStampAndNoComponentsEntry) {
    std::string copy = MakeRecordedCopy("Unfinished");
    // A package file that another program holds: it cannot be copied.
    std::string source = setup / "Source\\PACK\\Data\\readme.txt";
    HANDLE held = CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(InstallAndFinish(), InstallFailedText);
    CloseHandle(held);
    EXPECT_TRUE(PathExists(PackageFolder(copy) + "\\Data\\Maps\\harbour.map")) << "the other lines are copied";
    EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Version.ini"));
    EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\OldVersions.ini"));
    EXPECT_EQ(ReadBytes(copy + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\n");
}
