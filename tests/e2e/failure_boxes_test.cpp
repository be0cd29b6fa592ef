// What the user is told when something goes wrong, through the real
// setup.exe: the package missing beside it, a file in use (Retry after its
// holder lets go, Cancel leaving the target as it was), a package on a
// read-only medium, a copy's program held during the search, and no
// other-copies notice after a failed run.
#include <vector>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";
const char PackageMissingText[] =
    "Файлы пакета не найдены или повреждены. Извлеките из архива все файлы и запустите программу установки ещё раз. "
    "Файлы искались в папке:";
const char CapWarningText[] = "Предупреждение...";

using FailureBox = WizardRun;

HANDLE HoldWithoutSharing(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The demo package's files, as the scripts install them: source and destination below the copy.
struct PackFile {
    std::string source;
    std::string installed;
};
std::vector<PackFile> DemoFiles(const std::string& setup, const std::string& copy) {
    std::string pack = setup + "\\Source\\PACK\\";
    return {{pack + "Resource\\DemoPack.cfg", copy + "\\Resource\\DemoPack.cfg"},
            {pack + "Data\\readme.txt", PackageFolder(copy) + "\\Data\\readme.txt"},
            {pack + "Data\\Maps\\harbour.map", PackageFolder(copy) + "\\Data\\Maps\\harbour.map"},
            {pack + "Data\\Maps\\valley.map", PackageFolder(copy) + "\\Data\\Maps\\valley.map"}};
}

}  // namespace

TEST(PackageMissing, SetupAloneInAFolderSaysWhereItLookedAndEndsAsAFatalError) {
    ScratchDir alone;
    SetupProcess process;
    StartSetup(process, alone.path);
    HWND box = WaitForTextBox(process.pid());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(TopWindows(process.pid(), "myWindow").empty()) << "no wizard behind the box";
    EXPECT_EQ(MessageBoxText(box), std::string(PackageMissingText) + "\r\n" + alone.path + "\\Source");
    EXPECT_EQ(WindowText(box), CapWarningText);
    PressDialogButton(box, IDOK);
    EXPECT_EQ(process.waitExit(), 1);
}

TEST_F(FailureBox, ARecordInUseGetsRetryAndInstallsOnceItsHolderLetsGo) {
    std::string copy = MakeRecordedCopy("Held");
    HANDLE held = HoldWithoutSharing(copy + "\\Resource\\Uninstall.ini");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    BeginInstall(process, setup.path);
    HWND box = WaitForTextBox(process.pid());
    ASSERT_TRUE(box && GetDlgItem(box, IDRETRY));
    std::string text = MessageBoxText(box);
    EXPECT_EQ(FirstLine(text), FileInUseText);
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)),
              std::string(FileInUseText) + "\r\nResource\\Uninstall.ini");
    EXPECT_EQ(WindowText(box), CapWarningText);
    CloseHandle(held);
    PressDialogButton(box, IDRETRY);
    ASSERT_TRUE(WaitGone(box));
    EXPECT_EQ(FinishFromResultBox(), InstallOkText);
    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
}

// Two copies, one picked from the list, its record in use and the box
// cancelled: the failure box names the file and the reason, the target is as
// before, and the other-copies notice, which belongs to a success, is not shown.
TEST_F(FailureBox, CancelOnAFileInUseFailsTheRunLeavingTheTargetAndNoOtherCopiesNotice) {
    MakeRecordedCopy("First");
    std::string second = MakeRecordedCopy("Second");
    TreeBytes before = TreeOf(second);
    HANDLE held = HoldWithoutSharing(second + "\\Resource\\Uninstall.ini");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PickListedCopy(1, second);
    BoxSeen inUse = AnswerBox(process.pid(), IDCANCEL);
    EXPECT_EQ(FirstLine(inUse.text), FileInUseText);
    std::string result = FinishFromResultBox();
    CloseHandle(held);
    EXPECT_EQ(FirstLine(result), InstallFailedText);
    EXPECT_NE(result.find("\r\n\r\nResource\\Uninstall.ini\r\n"), std::string::npos) << result;
    EXPECT_GT(result.size(), result.find("Uninstall.ini\r\n") + 15) << "the system's reason follows the file";
    TreeBytes after = TreeOf(second);
    EXPECT_TRUE(after == before) << TreeDifference(before, after);
}

TEST_F(FailureBox, APackageOnAReadOnlyMediumInstallsWritableFilesAndInstallsAgain) {
    std::string copy = MakeRecordedCopy("FromDisc");
    std::vector<PackFile> files = DemoFiles(setup.path, copy);
    for (const PackFile& file : files) ASSERT_TRUE(SetFileAttributesA(file.source.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(InstallAndFinish(), InstallOkText);
    for (const PackFile& file : files) {
        DWORD attributes = GetFileAttributesA(file.installed.c_str());
        EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << file.installed;
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << file.installed;
    }
    EXPECT_EQ(InstallAndFinish(true), InstallOkText) << "a second install over the installed files";
    for (const PackFile& file : files) SetFileAttributesA(file.source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A scanner holds one copy's program without sharing while setup searches:
// that copy is not offered, and its record outlives the run.
TEST_F(FailureBox, ACopyWhoseProgramIsHeldDuringTheSearchKeepsItsRecord) {
    std::string scanned = MakeRecordedCopy("Scanned");
    std::string free = MakeRecordedCopy("Free");
    HANDLE held = HoldWithoutSharing(scanned + "\\quill.exe");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(InstallAndFinish(), InstallOkText);
    CloseHandle(held);
    EXPECT_EQ(CopyRecordCount(), 2);
    EXPECT_TRUE(PathExists(PackageFolder(free) + "\\Version.ini"));
    EXPECT_FALSE(PathExists(PackageFolder(scanned) + "\\Version.ini"));
}
