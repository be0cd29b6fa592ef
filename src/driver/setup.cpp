#include "driver/setup.h"

#include <windows.h>

#include <memory>
#include <string>

#include "base/files.h"
#include "base/paths.h"
#include "discovery/copy_registry.h"
#include "discovery/version_lists.h"
#include "driver/pack_files.h"
#include "driver/running_check.h"
#include "driver/stamps.h"
#include "engine/disk_files.h"
#include "engine/install_run.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "ui/wizard.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record the system expects");

namespace {

const char ProductName[] = "Quillsetter.TV";
const char ProductVersion[] = "1.0.0.lang";

// What the run owns: the package description (read once, then only read), the
// one catalogue of texts, the target folder and the closing decision.
struct SetupRun {
    std::string setupFolder;  // the folder of the program's own executable
    Package package;
    Catalogue texts;
    std::string ChosenFolder;  // the target program's folder, once chosen
    bool LaunchOnExit = false;
    RootReachability roots;  // the drives and shares the copy records name, each asked once
};

void InitStartupState(SetupRun& run) {
    SetEnglishExitTexts(run.texts);
    run.package = ReadPackIni(run.setupFolder);
}

// About page, copy stage and folder stage, with Back between them. False when
// the window was closed; otherwise ChosenFolder is the target folder.
bool ChooseTarget(SetupRun& run, Wizard& wizard, bool& offerOtherCopies) {
    // Pruning the copy records is housekeeping nothing on the about page shows,
    // so it runs once that page is on the screen rather than before it.
    bool pruned = false;
    auto prune = [&] {
        if (!pruned) PruneCopyRecords("", "", "", run.roots);
        pruned = true;
    };
    enum class Stage { About, Copies, Folder } stage = Stage::About;
    for (;;) {
        switch (stage) {
            case Stage::About:
                wizard.ShowAboutPage(LoadAboutText(run.setupFolder, wizard.CurrentLanguage), prune);
                if (wizard.WindowClosed) return false;
                stage = Stage::Copies;
                break;
            case Stage::Copies:
                offerOtherCopies =
                    wizard.ShowCopyListPage(CollectCompatibleCopies(run.setupFolder, run.package, run.roots));
                if (wizard.WindowClosed) return false;
                // Without a list no page ran, so the folder page's Back carries on to the about page.
                if (wizard.GoBack) {
                    stage = Stage::About;
                } else if (!wizard.ChosenFolder.empty()) {
                    run.ChosenFolder = wizard.ChosenFolder;
                    return true;
                } else {
                    stage = Stage::Folder;
                }
                break;
            case Stage::Folder:
                wizard.ShowFolderPage();
                offerOtherCopies = true;
                if (wizard.WindowClosed) return false;
                if (!wizard.GoBack) {
                    run.ChosenFolder = wizard.ChosenFolder;
                    return true;
                }
                stage = Stage::Copies;
                break;
        }
    }
}

void AnnounceTargetFolder(const SetupRun& run, Wizard& wizard) {
    if (run.ChosenFolder.empty()) return;
    wizard.ShowOwnedBox(run.texts.MsgFolderFound + " \"" + run.ChosenFolder + "\"", run.texts.CapWarning,
                        MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OK);
}

// False when the user gave up waiting for the target program to close.
bool WaitWhileTargetRuns(const SetupRun& run, const Wizard& wizard) {
    while (IsTargetRunning(run.package, run.ChosenFolder)) {
        // The box has no owner, so Exit still works behind it; once the window is
        // gone every further box would return at once, and the loop would spin.
        if (wizard.WindowClosed) return false;
        if (ShowMessageBox(run.texts.MsgProgramRunning, run.texts.CapWarning, MB_ICONWARNING,
                           MB_SYSTEMMODAL | MB_OKCANCEL) != IDOK) {
            return false;
        }
    }
    return true;
}

bool StampListsPackVersion(const SetupRun& run, const std::string& path) {
    return FileIsPresent(path) && StampHasVersion(path, run.package.PackVersion);
}

// False when the installed stamps forbid this package, or the user declines a reinstall.
bool StampsAllowInstall(const SetupRun& run) {
    std::string stampFolder = run.package.PackageFolderIn(run.ChosenFolder);
    if (StampListsPackVersion(run, JoinPath(stampFolder, OldVersionsName))) {
        ShowMessageBox(run.texts.MsgNewerInstalled, run.texts.CapWarning, MB_ICONWARNING, MB_SYSTEMMODAL);
        return false;
    }
    if (StampListsPackVersion(run, JoinPath(stampFolder, VersionStampName))) {
        return ShowMessageBox(run.texts.MsgAlreadyInstalled, run.texts.CapWarning, MB_ICONWARNING,
                              MB_SYSTEMMODAL | MB_OKCANCEL) != IDCANCEL;
    }
    return true;
}

void AskClosingQuestions(SetupRun& run, bool offerOtherCopies) {
    if (offerOtherCopies) ShowMessageBox(run.texts.MsgOtherCopies, run.texts.CapMessage, MB_ICONINFORMATION, MB_SYSTEMMODAL);
    if (ShowMessageBox(run.texts.MsgLaunchQuestion, run.texts.CapConfirm, MB_ICONQUESTION, MB_SYSTEMMODAL | MB_YESNO) ==
        IDYES) {
        run.LaunchOnExit = true;
    }
}

// Every stage from the language page to the closing questions; returning
// early is how the run stops.
void RunStages(SetupRun& run, Wizard& wizard) {
    wizard.ShowLanguagePage();
    if (wizard.WindowClosed) return;
    LoadMessages(run.texts, run.setupFolder, run.package.PackProgramName, wizard.CurrentLanguage,
                 MessageScope::Whole);
    bool offerOtherCopies = false;
    if (!ChooseTarget(run, wizard, offerOtherCopies)) return;
    AnnounceTargetFolder(run, wizard);
    if (!WaitWhileTargetRuns(run, wizard)) return;
    if (!StampsAllowInstall(run)) return;
    // Exit stays usable behind the owner-less boxes above; once confirmed, nothing is installed.
    if (wizard.WindowClosed) return;
    DiskFiles files;
    wizard.ShowInstallPage([&](InstallProgress& progress) {
        return RunInstall(run.setupFolder, run.ChosenFolder, run.package, files, progress);
    });
    AskClosingQuestions(run, offerOtherCopies);
}

}  // namespace

bool CheckOsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (info.dwMajorVersion >= 5) return true;
    std::string text = "\r\n" + std::string(ProductName) + "\r\n\r\nNot supported OS..." + std::string(16, ' ');
    MessageBoxA(nullptr, text.c_str(), "Warning...", MB_SYSTEMMODAL | MB_ICONERROR | MB_OK);
    return false;
}

int RunSetup() {
    if (!CheckOsVersion()) return 0;
    SetupRun run;
    run.setupFolder = FolderOf(OwnExecutablePath());
    InitStartupState(run);
    Wizard wizard(run.setupFolder, run.package, run.texts, std::string(ProductName) + " " + ProductVersion);
    RunStages(run, wizard);
    if (run.LaunchOnExit) LaunchTarget(run.ChosenFolder, run.package.PackExeName);
    return 0;
}
