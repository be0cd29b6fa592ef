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
#include "driver/consent.h"
#include "driver/earlier_run.h"
#include "driver/elevation.h"
#include "driver/failure_boxes.h"
#include "driver/handoff.h"
#include "driver/pack_files.h"
#include "driver/running_check.h"
#include "driver/stamps.h"
#include "engine/disk_files.h"
#include "engine/in_use_retry.h"
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

// How the install of the chosen target ended: stopped before or on its page,
// or its page ran to the result (the closing questions are due), installed or not.
enum class InstallEnd { Stopped, NotInstalled, Installed };

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
    // Never offered when the program could only start with setup's own rights.
    if (!CanStartAsInvokingUser()) return;
    if (ShowMessageBox(run.texts.MsgLaunchQuestion, run.texts.CapConfirm, MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO) ==
        IDYES) {
        run.LaunchOnExit = true;
    }
}

// From settling what an earlier run left to the install page's end, for the
// chosen target: also all an elevated copy does.
InstallEnd InstallIntoChosenTarget(SetupRun& run, Wizard& wizard) {
    AnnounceTargetFolder(run, wizard);
    if (!WaitWhileTargetRuns(run, wizard)) return InstallEnd::Stopped;
    // What an earlier run left in this copy is settled first, with the user's
    // yes; only then is its executable judged (the run may have replaced it).
    if (!SettleEarlierRun(wizard, run.texts, run.files, run.ChosenFolder)) return InstallEnd::Stopped;
    if (wizard.WindowClosed || !wizard.AcceptsTarget(run.ChosenFolder)) return InstallEnd::Stopped;
    if (!StampsAllowInstall(run)) return InstallEnd::Stopped;
    // Exit stays usable behind the owner-less boxes above; once confirmed, nothing is installed.
    if (wizard.WindowClosed) return InstallEnd::Stopped;
    if (!EnoughSpaceForRun(run.texts, run.setupFolder, run.ChosenFolder, run.package)) return InstallEnd::Stopped;
    // A file another program holds gets a Retry before the run fails on it.
    InUseRetry disk(run.files, run.files, [] { return GetLastError(); },
                    [&](const std::string& path) { return AskRetryFileInUse(run.texts, run.ChosenFolder, path); });
    InstallOutcome outcome = InstallOutcome::Abandoned;
    InstallFailure failure;
    bool finished = wizard.ShowInstallPage(
        [&](InstallProgress& progress) {
            TransactedRun report;
            outcome = RunTransactedInstall(run.setupFolder, run.ChosenFolder, run.package, disk, disk, progress,
                                           &report, &failure);
            if (outcome == InstallOutcome::Failed) TellUndoNotFinished(wizard, run.texts, report.undo);
            return outcome;
        },
        [&] { return InstallFailureDetails(run.texts, run.ChosenFolder, failure, disk.lastRefusal()); });
    if (!finished) return InstallEnd::Stopped;
    return outcome == InstallOutcome::Installed ? InstallEnd::Installed : InstallEnd::NotInstalled;
}

// A target this process may not change goes to an elevated copy of setup,
// which checks the folder again and installs; this instance waits with its
// window disabled.
InstallEnd InstallThroughElevatedCopy(SetupRun& run, Wizard& wizard) {
    ElevatedRunEnd end = ElevatedRunEnd::NotStarted;
    wizard.RunDisabled([&](HWND owner) {
        end = RunElevatedCopy(owner, HandoffArguments({run.ChosenFolder, wizard.CurrentLanguage}));
    });
    switch (end) {
        case ElevatedRunEnd::Installed: wizard.CloseWindow(); return InstallEnd::Installed;
        case ElevatedRunEnd::InstallFinished: wizard.CloseWindow(); return InstallEnd::NotInstalled;
        case ElevatedRunEnd::Stopped: return InstallEnd::Stopped;
        case ElevatedRunEnd::Declined:
            wizard.ShowOwnedBox(run.texts.MsgNeedsAdmin + "\r\n\r\n" + run.ChosenFolder, run.texts.CapWarning,
                                MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK);
            return InstallEnd::Stopped;
        case ElevatedRunEnd::NotStarted: break;
    }
    // Where no copy can be started, the run here reports what it is refused.
    return InstallIntoChosenTarget(run, wizard);
}

bool TargetNeedsElevation(const SetupRun& run) {
    ElevationFacts facts;
    facts.consentPromptExists = ConsentPromptExists();
    facts.processElevated = ProcessIsElevated();
    // Tried only where a prompt could follow.
    facts.targetDenied = facts.consentPromptExists && !facts.processElevated &&
                         !TargetIsWritable(run.setupFolder, run.ChosenFolder, run.package);
    return ShouldAskForElevation(facts);
}

// Every stage from the language page to the closing questions; returning
// early is how the run stops.
void RunStages(SetupRun& run, Wizard& wizard) {
    if (wizard.ShowLanguagePage() == PageEnd::Closed) return;
    LoadMessages(run.texts, run.setupFolder, run.package.PackProgramName, wizard.CurrentLanguage,
                 MessageScope::Whole);
    bool offerOtherCopies = false;
    if (!ChooseTarget(run, wizard, offerOtherCopies)) return;
    InstallEnd end = TargetNeedsElevation(run) ? InstallThroughElevatedCopy(run, wizard)
                                               : InstallIntoChosenTarget(run, wizard);
    // The other copies are worth a word only after a success; the target is
    // as it was after a failure, so its program may still be started.
    if (end != InstallEnd::Stopped) AskClosingQuestions(run, offerOtherCopies && end == InstallEnd::Installed);
}

// The elevated copy: the handed folder checked as the folder page checks a
// typed one, then the install as above. The closing questions and the
// launch stay with the instance that handed it on.
InstallEnd RunHandedOnInstall(SetupRun& run, Wizard& wizard, const Handoff& handoff) {
    if (wizard.ShowWindowIn(handoff.language) == PageEnd::Closed) return InstallEnd::Stopped;
    run.ChosenFolder = wizard.CheckPickedFolder(handoff.target);
    if (run.ChosenFolder.empty()) return InstallEnd::Stopped;
    return InstallIntoChosenTarget(run, wizard);
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
    // Started alone (out of an archive, say): a plain box in the built-in language, not a raw path.
    Catalogue builtIn;
    SetRussianTexts(builtIn, "", false);
    if (!PackagePresentOrSay(builtIn, run.setupFolder)) return 1;
    InitStartupState(run);
    Wizard wizard(run.setupFolder, run.package, run.texts, run.ChosenFolder,
                  std::string(ProductName) + " " + ProductVersion);
    if (std::optional<Handoff> handoff = ParseHandoff(GetCommandLineA())) {
        switch (RunHandedOnInstall(run, wizard, *handoff)) {
            case InstallEnd::Installed: return static_cast<int>(InstalledExitCode);
            case InstallEnd::NotInstalled: return static_cast<int>(InstallFinishedExitCode);
            case InstallEnd::Stopped: break;
        }
        return 0;
    }
    RunStages(run, wizard);
    if (run.LaunchOnExit) StartAsInvokingUser(run.ChosenFolder, run.package.PackExeName);
    return 0;
}
