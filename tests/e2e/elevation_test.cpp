// Rights only where the target needs them: setup runs with the user's token;
// a target it may not change goes to an elevated copy of setup (under Wine the
// "runas" verb just starts the program, the folder is made writable for it as
// an administrator could write it); a refused prompt changes nothing; the
// program is started by the first instance, never by the elevated one, and
// nothing handed on the command line is taken without the folder page's check.
#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

std::string UnixPath(const std::string& path) {
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return "";
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    char* name = unixName(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// A Linux command run from the Windows side (Wine starts Unix programs too).
void RunUnix(const std::string& program, const std::string& arguments) {
    std::string commandLine = program + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string windowsName = "Z:" + program;
    for (char& c : windowsName) c = c == '/' ? '\\' : c;
    if (CreateProcessA(windowsName.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

bool FolderTakesFiles(const std::string& folder) {
    std::string probe = folder + "\\probe-from-test.tmp";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// A folder this user may not create files in: immutable where the tests run
// as root (who ignores permissions), without write permission otherwise.
// Unlocked again when it goes.
class LockedFolder {
public:
    explicit LockedFolder(std::string folder) : folder_(std::move(folder)), unix_(UnixPath(folder_)) {
        if (unix_.empty()) return;
        RunUnix("/usr/bin/chattr", "+i \"" + unix_ + "\"");
        if (WaitFor([&] { return !FolderTakesFiles(folder_); }, 3000)) return;
        RunUnix("/bin/chmod", "a-w \"" + unix_ + "\"");
        WaitFor([&] { return !FolderTakesFiles(folder_); }, 3000);
    }
    ~LockedFolder() { Unlock(); }
    bool locked() { return !unix_.empty() && !FolderTakesFiles(folder_); }
    void Unlock() {
        if (unix_.empty()) return;
        RunUnix("/usr/bin/chattr", "-i \"" + unix_ + "\"");
        RunUnix("/bin/chmod", "u+w \"" + unix_ + "\"");
        WaitFor([&] { return FolderTakesFiles(folder_); }, 5000);
    }

private:
    std::string folder_;
    std::string unix_;
};

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
    LockedFolder lock(copy);
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
    EXPECT_EQ(elevatedExit, 2u) << "the copy says its install page ran to its end";

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
    LockedFolder lock(copy);
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
