// Rights only where the target needs them: setup runs with the user's token;
// a target it may not change goes to an elevated copy of setup (under Wine the
// "runas" verb just starts the program, the folder is made writable for it as
// an administrator could write it); a refused prompt changes nothing; the
// program is started by the first instance, never by the elevated one, and
// nothing handed on the command line is taken without the folder page's check.
#include "e2e/wizard_fixture.h"
#include "support/locked_path.h"
#include "ui/layout.h"

namespace {

// A main window of another process than `pid`: the copy it started.
HWND OtherMainWindow(DWORD pid) {
    HWND other = nullptr;
    WaitFor([&] {
        for (HWND window = FindWindowA("myWindow", nullptr); window; window = FindWindowExA(nullptr, window, "myWindow", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != pid && IsWindowVisible(window)) other = window;
        }
        return other != nullptr;
    });
    return other;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

}  // namespace

class Elevation : public WizardRun {
protected:
    // Starts setup as a standard user and takes it past the about page: the
    // one recorded copy is the target.
    void StartIntoTheOneCopy(const std::string& exe = SETUP_EXE_PATH) {
        StartSetupFrom(process, exe, setup.path);
        main = WaitForTopWindow(process.pid(), "myWindow");
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForHeader("О пакете:"));
        ClickButton(main, CmdNext);
    }
};

TEST_F(Elevation, ATargetSetupMayNotChangeIsInstalledByTheElevatedCopyAndTheFirstStartsTheProgram) {
    std::string copy = MakeRecordedCopy("Locked");
    LockedPath lock(copy);
    if (!lock.locked()) GTEST_SKIP() << "no way to make a folder unwritable here";
    StartIntoTheOneCopy();

    HWND elevatedMain = OtherMainWindow(process.pid());
    ASSERT_NE(elevatedMain, nullptr) << "no elevated copy was started";
    DWORD elevatedPid = ProcessOf(elevatedMain);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the first window waits disabled";
    HANDLE elevated = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, elevatedPid);
    ASSERT_NE(elevated, nullptr);
    lock.Unlock();  // what an administrator may write

    // The copy checks the folder as if it had been typed, then installs.
    BoxSeen found = AnswerBox(elevatedPid, IDOK);
    EXPECT_EQ(found.text, "Папка программы успешно найдена!\r\nПуть к найденной папке: \"" + copy + "\"");
    EXPECT_EQ(AnswerBox(elevatedPid, IDOK).text, "Пакет установлен успешно!");
    main = elevatedMain;
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(elevatedMain, CmdExit);
    AnswerBox(elevatedPid, IDYES);
    ASSERT_EQ(WaitForSingleObject(elevated, 10000), WAIT_OBJECT_0);
    DWORD elevatedExit = 0;
    GetExitCodeProcess(elevated, &elevatedExit);
    CloseHandle(elevated);
    EXPECT_EQ(elevatedExit, 3u) << "the copy says it installed";

    // The closing question is the first instance's, and so is the launch.
    BoxSeen question = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(question.text, "Запустить программу Quillset?");
    EXPECT_EQ(process.waitExit(), 0);
    HWND target = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (target = FindWindowA("QuillTargetWnd", nullptr)) != nullptr; }));
    DWORD targetPid = ProcessOf(target);
    EXPECT_EQ(ParentProcessOf(targetPid), process.pid()) << "started by the instance the user started";
    EXPECT_FALSE(ProcessTokenIsElevated(targetPid));
    PostMessageA(target, WM_CLOSE, 0, 0);

    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
    EXPECT_TRUE(PathExists(PackageFolder(copy) + "\\Data\\Maps\\harbour.map"));
}

TEST_F(Elevation, ARefusedPromptSaysTheCopyNeedsAnAdministratorAndChangesNothing) {
    std::string copy = MakeRecordedCopy("Refused");
    TreeBytes before = TreeOf(copy);
    LockedPath lock(copy);
    if (!lock.locked()) GTEST_SKIP() << "no way to make a folder unwritable here";
    SetEnvironmentVariableA("SETUP_TEST_CONSENT", "declined");
    StartIntoTheOneCopy(SEAMS_SETUP_EXE_PATH);
    SetEnvironmentVariableA("SETUP_TEST_CONSENT", nullptr);
    BoxSeen box = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(box.text, "Для установки пакета в эту копию программы нужны права администратора. "
                        "Ничего не изменено. Папка копии:\r\n\r\n" + copy);
    EXPECT_EQ(box.caption, "Предупреждение...");
    EXPECT_EQ(process.waitExit(), 0);
    lock.Unlock();
    EXPECT_EQ(TreeDifference(before, TreeOf(copy)), "");
}

TEST_F(Elevation, SetupStartedElevatedOffersNoLaunchWithoutTheUsersOwnWay) {
    if (GetShellWindow()) GTEST_SKIP() << "a desktop shell starts the program with the user's token here";
    std::string copy = MakeRecordedCopy("Elevated");
    StartSetupFrom(process, SETUP_EXE_PATH, setup.path, "", "", SetupRights::Elevated);
    main = WaitForTopWindow(process.pid(), "myWindow");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, "Пакет установлен успешно!");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(process.waitExit(), 0) << "no launch question: the program would get setup's rights";
    EXPECT_EQ(FindWindowA("QuillTargetWnd", nullptr), nullptr);
}

// What a copy is handed is checked as a typed folder is: a folder without the
// program is refused with the folder page's box, a language that is no file
// of the setup folder is the built-in one, and malformed arguments are no handoff.
TEST_F(Elevation, WhatTheCopyIsHandedIsCheckedAgain) {
    ScratchDir notACopy;
    WriteBytes(notACopy / "Resource\\Uninstall.ini", "[Files]\r\n");
    TreeBytes before = TreeOf(notACopy.path);
    StartSetupFrom(process, SETUP_EXE_PATH, setup.path, "",
                   "/install \"" + notACopy.path + "\" /language \"English.txt\"");
    BoxSeen refused = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(refused.text, "В выбранной папке программа не обнаружена!");
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_EQ(TreeDifference(before, TreeOf(notACopy.path)), "");

    std::string copy = MakeRecordedCopy("Handed");
    SetupProcess malformed;
    StartSetupFrom(malformed, SETUP_EXE_PATH, setup.path, "", "/install \"" + copy + "\" /language ..\\evil.txt");
    main = WaitForTopWindow(malformed.pid(), "myWindow");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForHeader("О пакете:")) << "the wizard from its first page";
}
