#include "driver/setup.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/files.h"
#include "base/paths.h"
#include "discovery/copy_registry.h"
#include "discovery/stamp_decision.h"
#include "discovery/version_lists.h"
#include "driver/earlier_run.h"
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
    std::string ChosenFolder;  // the target program's folder, once chosen (the wizard's pages set it)
    bool LaunchOnExit = false;
    RootReachability roots;  // the drives and shares the copy records name, each asked once
    DiskFiles files;         // the disk the install run and its journal work on
};

void InitStartupState(SetupRun& run) {
    SetEnglishExitTexts(run.texts);
    run.package = ReadPackIni(run.setupFolder);
}

// About page, copy stage and folder stage, walked forward on Next and back on
// Back. False when the window was closed; otherwise ChosenFolder is the target folder.
bool ChooseTarget(SetupRun& run, Wizard& wizard, bool& offerOtherCopies) {
    // A copy an interrupted run left is kept and offered whatever its
    // executable now is: that run is settled before the executable is judged.
    auto unfinished = [&](const std::string& exePath) { return HasUnfinishedRun(run.files, ParentFolder(exePath)); };
    wizard.UnfinishedRunIn = [&](const std::string& folder) { return HasUnfinishedRun(run.files, folder); };
    // Pruning the copy records is housekeeping nothing on the about page shows,
    // so it runs once that page is on the screen rather than before it.
    bool pruned = false;
    auto prune = [&] {
        if (!pruned) PruneCopyRecords("", "", "", run.roots, unfinished);
        pruned = true;
    };
    enum Stage { About, Copies, Folder, StageCount };
    // Each stage gets the way the walk came and says which way it goes on.
    auto runStage = [&](int stage, PageEnd way) {
        switch (stage) {
            case About: return wizard.ShowAboutPage(LoadAboutText(run.setupFolder, wizard.CurrentLanguage), prune);
            case Copies: {
                std::optional<PageEnd> end =
                    wizard.ShowCopyListPage(CollectCompatibleCopies(run.setupFolder, run.package, run.roots, unfinished));
                offerOtherCopies = end.has_value();
                // Without a list no page ran, so the walk carries on the way it came.
                return end.value_or(way);
            }
            default: offerOtherCopies = true; return wizard.ShowFolderPage();
        }
    };
    PageEnd way = PageEnd::Next;
    for (int stage = About; stage < StageCount;) {
        way = runStage(stage, way);
        if (way == PageEnd::Closed) return false;
        if (way == PageEnd::Back) {
            stage = stage == About ? About : stage - 1;
        } else {
            // A copy found without asking makes the folder page needless.
            stage = stage == Copies && !run.ChosenFolder.empty() ? StageCount : stage + 1;
        }
    }
    return true;
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
        if (ShowMessageBox(run.texts.MsgProgramRunning, run.texts.CapWarning,
                           MB_SYSTEMMODAL | MB_ICONWARNING | MB_OKCANCEL) != IDOK) {
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
    switch (DecideFromStamps([&](const char* stamp) { return StampListsPackVersion(run, JoinPath(stampFolder, stamp)); })) {
        case StampDecision::NewerInstalled:
            ShowMessageBox(run.texts.MsgNewerInstalled, run.texts.CapWarning, MB_SYSTEMMODAL | MB_ICONWARNING);
            return false;
        case StampDecision::AskReinstall:
            return ShowMessageBox(run.texts.MsgAlreadyInstalled, run.texts.CapWarning,
                                  MB_SYSTEMMODAL | MB_ICONWARNING | MB_OKCANCEL) != IDCANCEL;
        case StampDecision::Install: break;
    }
    return true;
}

void AskClosingQuestions(SetupRun& run, bool offerOtherCopies) {
    if (offerOtherCopies) ShowMessageBox(run.texts.MsgOtherCopies, run.texts.CapMessage, MB_SYSTEMMODAL | MB_ICONINFORMATION);
    if (ShowMessageBox(run.texts.MsgLaunchQuestion, run.texts.CapConfirm, MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO) ==
        IDYES) {
        run.LaunchOnExit = true;
    }
}

// Every stage from the language page to the closing questions; returning
// early is how the run stops.
void RunStages(SetupRun& run, Wizard& wizard) {
    if (wizard.ShowLanguagePage() == PageEnd::Closed) return;
    LoadMessages(run.texts, run.setupFolder, run.package.PackProgramName, wizard.CurrentLanguage,
                 MessageScope::Whole);
    bool offerOtherCopies = false;
    if (!ChooseTarget(run, wizard, offerOtherCopies)) return;
    AnnounceTargetFolder(run, wizard);
    if (!WaitWhileTargetRuns(run, wizard)) return;
    // What an earlier run left in this copy is settled first, with the user's
    // yes; only then is its executable judged (the run may have replaced it).
    if (!SettleEarlierRun(wizard, run.texts, run.files, run.ChosenFolder)) return;
    if (wizard.WindowClosed || !wizard.AcceptsTarget(run.ChosenFolder)) return;
    if (!StampsAllowInstall(run)) return;
    // Exit stays usable behind the owner-less boxes above; once confirmed, nothing is installed.
    if (wizard.WindowClosed) return;
    bool finished = wizard.ShowInstallPage([&](InstallProgress& progress) {
        TransactedRun report;
        InstallOutcome outcome = RunTransactedInstall(run.setupFolder, run.ChosenFolder, run.package, run.files,
                                                      run.files, progress, &report);
        if (outcome == InstallOutcome::Failed) TellUndoNotFinished(wizard, run.texts, report.undo);
        return outcome;
    });
    if (finished) AskClosingQuestions(run, offerOtherCopies);
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
    Wizard wizard(run.setupFolder, run.package, run.texts, run.ChosenFolder,
                  std::string(ProductName) + " " + ProductVersion);
    RunStages(run, wizard);
    if (run.LaunchOnExit) LaunchTarget(run.ChosenFolder, run.package.PackExeName);
    return 0;
}
