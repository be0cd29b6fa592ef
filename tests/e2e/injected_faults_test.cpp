// Whole runs with faults injected from outside the program: the record held
// open by another program, a full disk, a copy line beyond MAX_PATH, a target
// folder so deep that its records need the long-path calls. (Kills and
// failures during the copies: transaction_test.cpp.)
// What must hold: nothing is lost, and a failure is never reported as success.
#include <functional>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";

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

class InjectedFault : public WizardRun {
protected:
    void InstallWithRecordHeld(DWORD sharing) {
        std::string copy = MakeRecordedCopy("Held");
        std::string record = copy + "\\Resource\\Uninstall.ini";
        std::string before = ReadBytes(record);
        HANDLE held = CreateFileA(record.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::string result = InstallCancellingFileInUse();
        CloseHandle(held);
        EXPECT_EQ(FirstLine(result), InstallFailedText);
        EXPECT_NE(result.find("\r\nResource\\Uninstall.ini\r\n"), std::string::npos) << result;
        EXPECT_EQ(ReadBytes(record), before);
        EXPECT_EQ(FolderListing(copy + "\\Resource"), (std::vector<std::string>{"InstallComponents.ini", "Uninstall.ini"}));
        EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Version.ini"));
    }
};

}  // namespace

TEST_F(InjectedFault, RecordHeldOpenForReadingOnlyFailsTheRunAndKeepsItsBytes) { InstallWithRecordHeld(FILE_SHARE_READ); }

TEST_F(InjectedFault, RecordHeldOpenWithoutSharingFailsTheRunAndKeepsItsBytes) { InstallWithRecordHeld(0); }

// Another program fills the drive after the space check, while a file in use
// holds the run: Retry then meets the full drive, and the run fails with the
// system's reason, undone.
TEST_F(InjectedFault, ADriveFilledDuringTheRunFailsItWithTheReasonAndKeepsTheOldRecord) {
    ULARGE_INTEGER room, total;
    if (!GetDiskFreeSpaceExA("R:\\", &room, &total, nullptr) || total.QuadPart > (4u << 20)) {
        GTEST_SKIP() << "no small drive R: in the Wine prefix: scripts/lib/small-drive.sh mounts a 2 MB tmpfs there, "
                        "which needs root";
    }
    const std::string copy = "R:\\Game";
    const std::string filler = "R:\\filler.bin";
    RemoveTree(copy);
    DeleteFileA(filler.c_str());
    MakeCopyAt(copy);
    AddCopyRecord(copy + "\\quill.exe");
    std::string record = BigRecord(64 << 10);
    WriteBytes(copy + "\\Resource\\Uninstall.ini", record);
    WriteBytes(setup / "Source\\Script_Uninstall_Add.ini", AddedSection("[Files]", 16 << 10));
    TreeBytes before = TreeOf(copy);
    HANDLE held = CreateFileA((copy + "\\Resource\\Uninstall.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    BeginInstall(process, setup.path);
    HWND box = WaitForTextBox(process.pid());
    ASSERT_TRUE(box && GetDlgItem(box, IDRETRY));
    HANDLE fill = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(fill, INVALID_HANDLE_VALUE);
    std::string chunk(4096, 'f');
    DWORD wrote = 0;
    while (WriteFile(fill, chunk.data(), static_cast<DWORD>(chunk.size()), &wrote, nullptr) && wrote == chunk.size()) {
    }
    CloseHandle(fill);
    CloseHandle(held);
    PressDialogButton(box, IDRETRY);
    ASSERT_TRUE(WaitGone(box));
    std::string result = FinishFromResultBox();
    DeleteFileA(filler.c_str());
    EXPECT_EQ(FirstLine(result), InstallFailedText);
    EXPECT_GT(result.size(), FirstLine(result).size() + 4) << "the file and the reason follow";
    TreeBytes after = TreeOf(copy);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
    RemoveTree(copy);
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

// A target folder of 225 characters: every record, list and stamp (and their
// temporary files) lies beyond what the ANSI calls reach.
TEST_F(InjectedFault, DeepTargetFolderIsInstalledWhole) {
    std::string copy = copies.path + "\\Deep";
    size_t padding = 225 - copy.size() - 1;
    copy.append("\\").append(padding, 'd');
    ASSERT_EQ(copy.size(), 225u);
    MakeCopyAt(copy);
    AddCopyRecord(copy + "\\quill.exe");
    EXPECT_EQ(InstallAndFinish(), InstallOkText);
    EXPECT_EQ(ReadLongFile(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
    EXPECT_EQ(ReadLongFile(PackageFolder(copy) + "\\OldVersions.ini"), "2.0\r\n");
    EXPECT_EQ(ReadLongFile(copy + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\nDemoPack/2.1\r\n");
    EXPECT_NE(ReadLongFile(copy + "\\Resource\\Uninstall.ini").find("Resource\\DemoPack.cfg"), std::string::npos);
    EXPECT_EQ(ReadLongFile(copy + "\\Setup.journal"), "<absent>");
}
