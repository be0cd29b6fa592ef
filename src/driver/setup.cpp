#include "driver/setup.h"

#include <windows.h>

#include "discovery/copy_registry.h"
#include "driver/hardening.h"
#include "driver/pack_files.h"
#include "driver/pack_info.h"
#include "driver/running_check.h"
#include "driver/stamps.h"
#include "driver/target_paths.h"
#include "engine/file_ops.h"
#include "engine/install_run.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

std::string ProductName;
std::string ProductVersion;
std::string ChosenFolder;
bool GoBack = false;
bool LanguagePageDone = false;
bool CopyListInactive = true;
int LastListSelection = 0;
bool LaunchOnExit = false;

std::string SetupFolder() {
    std::string path = OwnExecutablePath();
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool CheckOsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (info.dwMajorVersion >= 5) return true;
    std::string text = "\r\n" + ProductName + "\r\n\r\nNot supported OS..." + std::string(16, ' ');
    MessageBoxA(nullptr, text.c_str(), "Warning...", MB_SYSTEMMODAL | MB_ICONERROR | MB_OK);
    return false;
}

void InitStartupState() {
    LastListSelection = 0;
    LanguagePageDone = false;
    CopyListInactive = true;
    MsgExitConfirm = "Do you really want to close the program?";
    CapExitConfirm = "Confirmation of exit...";
    ReadPackIni();
}

// About page, copy stage and folder stage, with Back between them. False when
// the window was closed; otherwise ChosenFolder is the target folder.
static bool ChooseTarget(bool& offerOtherCopies) {
    enum class Stage { About, Copies, Folder } stage = Stage::About;
    for (;;) {
        switch (stage) {
            case Stage::About:
                ShowAboutPage();
                if (WindowClosed) return false;
                stage = Stage::Copies;
                break;
            case Stage::Copies:
                offerOtherCopies = ShowCopyListPage();
                if (WindowClosed) return false;
                // Without a list no page ran, so the folder page's Back carries on to the about page.
                if (GoBack) stage = Stage::About;
                else if (!ChosenFolder.empty()) return true;
                else stage = Stage::Folder;
                break;
            case Stage::Folder:
                ShowFolderPage();
                offerOtherCopies = true;
                if (WindowClosed) return false;
                if (!GoBack) return true;
                stage = Stage::Copies;
                break;
        }
    }
}

static void AnnounceTargetFolder() {
    if (ChosenFolder.empty()) return;
    std::string text = MsgFolderFound + " \"" + ChosenFolder + "\"";
    MessageBoxA(MainWindow, text.c_str(), CapWarning.c_str(), MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OK);
}

// False when the user gave up waiting for the target program to close.
static bool WaitWhileTargetRuns() {
    while (IsTargetRunning()) {
        if (ShowMessageBox(MsgProgramRunning, CapWarning, "warning", MB_SYSTEMMODAL | MB_OKCANCEL) != IDOK) {
            return false;
        }
    }
    return true;
}

static bool StampListsPackVersion(const std::string& path) { return FileIsPresent(path) && StampHasVersion(path); }

// False when the installed stamps forbid this package, or the user declines a reinstall.
static bool StampsAllowInstall() {
    std::string stampFolder = PackageFolderIn(ChosenFolder);
    if (StampListsPackVersion(stampFolder + "\\OldVersions.ini")) {
        ShowMessageBox(MsgNewerInstalled, CapWarning, "warning", MB_SYSTEMMODAL);
        return false;
    }
    if (StampListsPackVersion(stampFolder + "\\Version.ini")) {
        return ShowMessageBox(MsgAlreadyInstalled, CapWarning, "warning", MB_SYSTEMMODAL | MB_OKCANCEL) != IDCANCEL;
    }
    return true;
}

static void AskClosingQuestions(bool offerOtherCopies) {
    if (offerOtherCopies) ShowMessageBox(MsgOtherCopies, CapMessage, "info", MB_SYSTEMMODAL);
    if (ShowMessageBox(MsgLaunchQuestion, CapConfirm, "quest", MB_SYSTEMMODAL | MB_YESNO) == IDYES) {
        LaunchOnExit = true;
    }
}

// Every stage from the language page to the closing questions; returning
// early is how the run stops.
static void RunStages() {
    ShowLanguagePage();
    if (WindowClosed) return;
    PruneCopyRecords("", "", "");
    LoadMessages();
    bool offerOtherCopies = false;
    if (!ChooseTarget(offerOtherCopies)) return;
    AnnounceTargetFolder();
    if (!WaitWhileTargetRuns()) return;
    if (!StampsAllowInstall()) return;
    // Exit stays usable behind the owner-less boxes above; once confirmed, nothing is installed.
    if (WindowClosed) return;
    RunInstall();
    AskClosingQuestions(offerOtherCopies);
}

void RunSetup() {
    ProductName = "Quillsetter.TV";
    ProductVersion = "1.0.0.lang";
    LaunchOnExit = false;
    if (!CheckOsVersion()) return;
    RunStages();
    if (LaunchOnExit) LaunchTarget();
}

void EndWithFatalError(const std::string& text) {
    ShowFatalError(text);
    ExitProcess(1);
}

void ShowFatalError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_TASKMODAL | MB_ICONERROR | MB_OK);
}
