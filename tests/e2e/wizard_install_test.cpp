// Whole runs that reach the install: the files, records and stamps left in the
// chosen copy, and the checks before the install (stamps, running program).
#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

TEST_F(WizardRun, WholeInstallInEnglishLeavesFilesRecordsAndStampsAndLaunches) {
    UseDemoLanguages();
    std::string copy = MakeRecordedCopy("Game");
    Start();
    ASSERT_TRUE(WaitForHeader("Please select a language:"));
    ASSERT_TRUE(PickEntry(CmdLanguageList, "English [English]"));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader("About the package:"));
    ClickButton(main, CmdNext);
    BoxSeen found = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(found.text, "The program's folder was found!\r\nPath of the folder found: \"" + copy + "\"");
    EXPECT_EQ(found.caption, "Warning...");
    BoxSeen result = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(result.text, "The package was installed successfully!");
    EXPECT_EQ(result.caption, "Message...");
    EXPECT_EQ(Header(), "Installation progress:");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    EXPECT_FALSE(Enabled(CmdNext));
    ClickButton(main, CmdExit);
    EXPECT_EQ(AnswerBox(process.pid(), IDYES).text, "Do you really want to close the program?");
    BoxSeen launch = AnswerBox(process.pid(), IDYES);  // one copy: no other-copies notice
    EXPECT_EQ(launch.text, "Start Quillset now?");
    EXPECT_EQ(process.waitExit(), 0);

    auto packSource = [&](const std::string& relative) { return ReadBytes(setup / ("Source\\PACK\\" + relative)); };
    std::string package = PackageFolder(copy);
    EXPECT_EQ(ReadBytes(package + "\\Data\\Maps\\harbour.map"), packSource("Data\\Maps\\harbour.map"));
    EXPECT_EQ(ReadBytes(package + "\\Data\\readme.txt"), packSource("Data\\readme.txt"));
    EXPECT_EQ(ReadBytes(copy + "\\Resource\\DemoPack.cfg"), packSource("Resource\\DemoPack.cfg"));
    EXPECT_FALSE(PathExists(copy + "\\Data\\old_demo.map"));
    EXPECT_EQ(ReadBytes(package + "\\Version.ini"), "2.1\r\n");
    EXPECT_EQ(ReadBytes(package + "\\OldVersions.ini"), "2.0\r\n");
    EXPECT_EQ(ReadBytes(copy + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\nDemoPack/2.1\r\n");
    EXPECT_EQ(ReadBytes(copy + "\\Resource\\Uninstall.ini"),
              "[Files]\r\n"
              "Addons\\DemoPack\\Data\\Maps\\harbour.map\r\nAddons\\DemoPack\\Data\\Maps\\valley.map\r\n"
              "Addons\\DemoPack\\Data\\readme.txt\r\nResource\\DemoPack.cfg\r\n"
              "Addons\\DemoPack\\Version.ini\r\nAddons\\DemoPack\\OldVersions.ini\r\n"
              "quill.exe\r\n"
              "[Folders]\r\n"
              "Addons\\DemoPack\\Data\\Maps\r\nAddons\\DemoPack\\Data\r\nAddons\\DemoPack\r\n");
    EXPECT_EQ(CopyRecordCount(), 1);

    // Yes to the last question started the installed copy.
    HWND target = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (target = FindWindowA("QuillTargetWnd", nullptr)) != nullptr; }));
    DWORD targetPid = 0;
    GetWindowThreadProcessId(target, &targetPid);
    PostMessageA(target, WM_CLOSE, 0, 0);
    HANDLE targetProcess = OpenProcess(SYNCHRONIZE, FALSE, targetPid);
    if (targetProcess) {
        WaitForSingleObject(targetProcess, 10000);
        CloseHandle(targetProcess);
    }
}

TEST_F(WizardRun, CopyPickedFromTheListGetsThePackageAndTheOtherCopiesNotice) {
    std::string first = MakeRecordedCopy("First");
    std::string second = MakeRecordedCopy("Second");
    PickListedCopy(1, second);
    FinishAfterInstall(true, false);
    EXPECT_TRUE(PathExists(PackageFolder(second) + "\\Data\\Maps\\valley.map"));
    EXPECT_FALSE(PathExists(PackageFolder(first)));
}

TEST_F(WizardRun, NewerPackageInstalledRefusesThisOne) {
    std::string copy = MakeRecordedCopy("Newer");
    StampCopy(copy, "OldVersions.ini", "2.1");
    StampCopy(copy, "Version.ini", "2.1");
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);
    BoxSeen refused = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(refused.text, "В программе уже установлена более новая версия данного компонента!");
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Data"));
}

TEST_F(WizardRun, SameVersionIsInstalledAgainAfterOk) {
    std::string copy = MakeRecordedCopy("Again");
    StampCopy(copy, "Version.ini", "2.1");
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, "Этот компонент уже установлен в программу, перезаписать его ещё раз?");
    FinishAfterInstall(false, false);
    EXPECT_TRUE(PathExists(PackageFolder(copy) + "\\Data\\Maps\\harbour.map"));
    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
}

// The wizard's Exit, clicked while an owner-less box is up, and confirmed.
static void ConfirmExitBehind(HWND main, DWORD pid, HWND box) {
    ClickButton(main, CmdExit);  // the box has no owner, so the wizard still takes the click
    HWND confirmation = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND other : TopWindows(pid, "#32770")) {
            if (other != box) confirmation = other;
        }
        return confirmation != nullptr;
    }));
    EXPECT_EQ(MessageBoxText(confirmation), "Действительно хотите закрыть программу?");
    PressDialogButton(confirmation, IDYES);
}

TEST_F(WizardRun, ExitConfirmedBehindTheReinstallQuestionInstallsNothing) {
    std::string copy = MakeRecordedCopy("Leaving");
    StampCopy(copy, "Version.ini", "2.1");
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);
    HWND question = WaitForTextBox(process.pid());
    ASSERT_NE(question, nullptr);
    ConfirmExitBehind(main, process.pid(), question);
    if (WaitFor([&] { return !process.running(); }, 3000) == false) PressDialogButton(question, IDOK);
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_FALSE(PathExists(PackageFolder(copy) + "\\Data"));
}

TEST_F(WizardRun, TheClosingQuestionsStillComeWhenTheWindowIsClosedBehindTheResultBox) {
    MakeRecordedCopy("First");
    MakeRecordedCopy("Second");
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitFor([&] { return List(CmdCopyList) != nullptr; }));
    ClickListItem(main, CmdCopyList, 0);
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);  // folder found
    HWND result = WaitForTextBox(process.pid());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(MessageBoxText(result), "Пакет установлен успешно!");
    ConfirmExitBehind(main, process.pid(), result);
    // The window's end takes the result box with it, or it is answered.
    if (!WaitGone(result, 3000)) PressDialogButton(result, IDOK);
    ASSERT_TRUE(WaitGone(result));
    EXPECT_NE(AnswerBox(process.pid(), IDOK).text.find("запустите программу установки ещё раз"), std::string::npos);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).text, "Запустить программу Quillset?");
    EXPECT_EQ(process.waitExit(), 0);
}

// A copy whose program is running: started from its folder, without a record of its own.
class RunningCopy : public WizardRun {
protected:
    std::string copy;
    SetupProcess target;  // the same start-and-kill handling as setup.exe

    void StartRunningCopy(const std::string& name = "Running") {
        copy = MakeCopy(name, "target_fixed.exe");
        AddCopyRecord(copy + "\\quill.exe");
        StartProgram(copy + "\\quill.exe");
    }
    // Starts the target program by that path, from its folder.
    void StartProgram(const std::string& exe) {
        std::string commandLine = "\"" + exe + "\" /norecord";
        std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                   &startup, &target.info));
        ASSERT_NE(WaitForTopWindow(target.pid(), "QuillTargetWnd"), nullptr);
    }
    // Pack.ini's executable line as the package's author wrote it.
    void SetExecutableLine(const std::string& line) {
        std::string pack = ReadBytes(setup / "Source\\Pack.ini");
        size_t at = pack.find("\r\nquill.exe\r\n");
        ASSERT_NE(at, std::string::npos);
        WriteBytes(setup / "Source\\Pack.ini", pack.replace(at + 2, 9, line));
    }
    void ReachRunningQuestion() {
        Start();
        ASSERT_TRUE(WaitForHeader("О пакете:"));
        ClickButton(main, CmdNext);
        AnswerBox(process.pid(), IDOK);
    }
    // The running program is seen: the box comes, and Cancel installs nothing.
    void ExpectRunningBoxAndCancel(const std::string& folder) {
        ReachRunningQuestion();
        BoxSeen running = AnswerBox(process.pid(), IDCANCEL);
        EXPECT_EQ(running.text.substr(0, 44), "Программа Quillset запущена в данный момент!");
        EXPECT_EQ(process.waitExit(), 0);
        EXPECT_FALSE(PathExists(PackageFolder(folder)));
        EXPECT_TRUE(PathExists(folder + "\\Data\\old_demo.map"));
    }
};

TEST_F(RunningCopy, OkWaitsUntilTheProgramHasClosed) {
    StartRunningCopy();
    ReachRunningQuestion();
    BoxSeen running = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(running.text.substr(0, 44), "Программа Quillset запущена в данный момент!");
    EXPECT_EQ(running.caption, "Предупреждение...");
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, running.text);  // still running: asked again
    HWND askedWhileItRan = WaitForTextBox(process.pid());
    ASSERT_NE(askedWhileItRan, nullptr);
    EXPECT_EQ(MessageBoxText(askedWhileItRan), running.text);
    PostMessageA(WaitForTopWindow(target.pid(), "QuillTargetWnd"), WM_CLOSE, 0, 0);
    ASSERT_EQ(target.waitExit(), 0);
    PressDialogButton(askedWhileItRan, IDOK);
    ASSERT_TRUE(WaitGone(askedWhileItRan));
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, "Пакет установлен успешно!");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_TRUE(PathExists(PackageFolder(copy) + "\\Version.ini"));
}

TEST_F(RunningCopy, ExitConfirmedBehindTheRunningBoxEndsTheWait) {
    StartRunningCopy();
    ReachRunningQuestion();
    HWND running = WaitForTextBox(process.pid());
    ASSERT_NE(running, nullptr);
    ConfirmExitBehind(main, process.pid(), running);
    EXPECT_EQ(process.waitExit(5000), 0) << "the program ends while the target still runs";
    EXPECT_FALSE(PathExists(PackageFolder(copy)));
}

TEST_F(RunningCopy, CancelEndsTheRunWithNothingInstalled) {
    StartRunningCopy();
    ReachRunningQuestion();
    AnswerBox(process.pid(), IDCANCEL);
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_FALSE(PathExists(PackageFolder(copy)));
    EXPECT_TRUE(PathExists(copy + "\\Data\\old_demo.map"));
}

// The executable line and the running program name one file in other words:
// letter case, a trailing blank, an 8.3 name, a drive's root.
TEST_F(RunningCopy, ExecutableLineInAnotherCaseStillSeesTheProgram) {
    SetExecutableLine("Quill.exe");
    StartRunningCopy();
    ExpectRunningBoxAndCancel(copy);
}

TEST_F(RunningCopy, ExecutableLineWithATrailingBlankStillSeesTheProgram) {
    SetExecutableLine("quill.exe ");
    StartRunningCopy();
    ExpectRunningBoxAndCancel(copy);
}

TEST_F(RunningCopy, ProgramStartedByItsShortNameIsSeen) {
    copy = MakeCopy("Running copy folder", "target_fixed.exe");
    AddCopyRecord(copy + "\\quill.exe");
    char shortName[MAX_PATH];
    DWORD length = GetShortPathNameA((copy + "\\quill.exe").c_str(), shortName, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    ASSERT_EQ(std::string(shortName).find("Running copy folder"), std::string::npos) << shortName;
    StartProgram(shortName);
    ExpectRunningBoxAndCancel(copy);
}

static void ClearDriveT() {
    DeleteFileA("T:\\quill.exe");
    for (const char* name : {"Resource", "Data", "Addons"}) RemoveTree(std::string("T:\\") + name);
}

TEST_F(RunningCopy, ProgramAtADriveRootIsSeen) {
    // scripts/wine-env.sh makes T: a plain folder of the test environment.
    if (GetFileAttributesA("T:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive T: in the Wine prefix";
    ClearDriveT();
    MakeCopyAt("T:", "target_fixed.exe");
    AddCopyRecord("T:\\quill.exe");
    StartProgram("T:\\quill.exe");
    ExpectRunningBoxAndCancel("T:");
    PostMessageA(WaitForTopWindow(target.pid(), "QuillTargetWnd"), WM_CLOSE, 0, 0);
    EXPECT_EQ(target.waitExit(), 0);
    ClearDriveT();
}
