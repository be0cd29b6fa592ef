#include "engine/install_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "driver/hardening.h"
#include "driver/pack_info.h"
#include "driver/setup.h"
#include "engine/install_run.h"
#include "engine/progress.h"
#include "engine/text_lines.h"
#include "lang/catalogue.h"
#include "support/box_watcher.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

const char* const OkText = "Installed fine";
const char* const FailedText = "Installation failed";

static const UINT DestroyRequest = WM_APP + 1;

// Stands in for the wizard's window procedure: closing posts the quit that
// ends a page, and a private message destroys the window from inside a pump.
static LRESULT CALLBACK StageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        WindowClosed = true;
        PostQuitMessage(0);
        return 0;
    }
    if (message == DestroyRequest) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void CreateStageWindow() {
    static bool registered = false;
    if (!registered) {
        // The program loads the common controls at run time; so does the stage.
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        if (auto init = SystemFunctionAs<InitFn>("comctl32.dll", "InitCommonControlsEx")) init(&controls);
        CreateFonts();
        WNDCLASSEXA stageClass{};
        stageClass.cbSize = sizeof stageClass;
        stageClass.lpfnWndProc = StageWindowProc;
        stageClass.hInstance = GetModuleHandleA(nullptr);
        stageClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        stageClass.lpszClassName = "engineStage";
        RegisterClassExA(&stageClass);
        registered = true;
    }
    WindowClosed = false;
    MainWindow = CreateControl("engineStage", "stage", WS_OVERLAPPED | WS_SYSMENU, 0, 0, 500, 360, nullptr, 0, nullptr);
    HeaderLabel = CreateControl("static", "header", ChildStyle, 10, 70, 400, 20, MainWindow, 0, FontTitle);
    BackButton = CreateControl("button", "Back", ChildStyle, 200, 300, 90, 22, MainWindow, 1046, FontNormal);
    NextButton = CreateControl("button", "Next", ChildStyle, 300, 300, 90, 22, MainWindow, 1030, FontNormal);
    ExitButton = CreateControl("button", "Exit", ChildStyle, 400, 300, 90, 22, MainWindow, 1027, FontNormal);
}

static void DrainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
}

static const char* const SourceNames[] = {
    "Script_Copy.ini", "Script_ACopy.ini", "Script_Delete.ini", "Uninstall.ini", "Script_Uninstall_Clear.ini",
    "Script_Uninstall_Add.ini", "OldVersions.ini", "Uninstall.tmp", "InstallComponents.tmp", "outside.txt"};

static void RemoveSourceFiles(const std::string& source) {
    for (const char* name : SourceNames) {
        std::string path = source + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str())) RemoveTree(path);
    }
    RemoveTree(source + "\\PACK");
}

void InstallStage::SetUp() {
    source = TestProgramFolder() + "\\Source";
    MakeFolders(source);
    RemoveSourceFiles(source);
    MakeFolders(target / "Resource");
    ChosenFolder = target.path;
    PackName = "Pack";
    PackBaseFolder = "Base";
    PackVersion = "1.2";
    PackMode = "";
    MsgInstallOk = OkText;
    MsgInstallFailed = FailedText;
    CapMessage = "Message";
    LblInstallProgress = "Progress:";
    LblElapsed = "Elapsed:";
    CreateStageWindow();
}

void InstallStage::TearDown() {
    if (IsWindow(MainWindow)) DestroyWindow(MainWindow);
    DrainQueue();
    RemoveSourceFiles(source);
}

void InstallStage::Script(const std::string& name, const std::vector<std::string>& lines) {
    WriteBytes(SourcePath(name), JoinTextLines(lines));
}

void InstallStage::PackFile(const std::string& relative, const std::string& bytes) {
    WriteBytes(source + "\\PACK\\" + relative, bytes);
}

// Notes the window state while the result box is up.
static void NoteRunState(InstallOutcome& outcome) {
    if (!IsWindow(ProgressBar)) return;
    outcome.barPosition = static_cast<int>(SendMessageA(ProgressBar, PBM_GETPOS, 0, 0));
    outcome.barTop = static_cast<int>(SendMessageA(ProgressBar, PBM_GETRANGE, FALSE, 0));
    outcome.elapsedText = WindowTextOf(ElapsedLabel);
    outcome.headerText = WindowTextOf(HeaderLabel);
    outcome.exitEnabled = IsWindowEnabled(ExitButton);
    outcome.nextEnabled = IsWindowEnabled(NextButton);
    outcome.backEnabled = IsWindowEnabled(BackButton);
}

InstallOutcome InstallStage::Install(DuringRun during) {
    InstallOutcome outcome;
    if (during == DuringRun::CloseWindow) PostMessageA(MainWindow, DestroyRequest, 0, 0);
    if (during == DuringRun::QuitMessage) PostQuitMessage(0);
    DWORD mainThread = GetCurrentThreadId();
    HWND quitTarget = during == DuringRun::Nothing ? MainWindow : nullptr;
    std::atomic<bool> returned{false};
    AnsweredBox box;
    std::thread watcher([&] {
        box = AnswerNextBox(mainThread, quitTarget, [&](HWND) { NoteRunState(outcome); });
        if (quitTarget) return;
        for (DWORD deadline = GetTickCount() + 10000; !returned && GetTickCount() < deadline;) Sleep(5);
        outcome.waitEndedByItself = returned;
        if (!returned) PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
    });
    RunInstall();
    returned = true;
    watcher.join();
    outcome.boxSeen = box.seen;
    outcome.boxText = box.text;
    outcome.boxCaption = box.caption;
    return outcome;
}

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
