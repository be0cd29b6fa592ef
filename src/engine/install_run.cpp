#include "engine/install_run.h"

#include <windows.h>

#include <functional>
#include <string>

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "driver/setup.h"
#include "engine/file_ops.h"
#include "engine/progress.h"
#include "engine/script_safety.h"
#include "engine/text_file.h"
#include "engine/uninstall_records.h"
#include "lang/catalogue.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

namespace {

// What the phases share: the three roots and the run's counters.
struct InstallRun {
    std::string source;     // S\Source
    std::string target;     // T
    std::string packageSub; // "\Base\Name" below T, parts left out when empty
    int steps = 0;
    bool ok = true;
};

std::string ScriptPath(const InstallRun& run, const char* name) { return run.source + "\\" + name; }

void TakeStep(InstallRun& run) { ShowProgressStep(++run.steps); }

// Reads the script and hands each line to `act` right after its step.
void ForEachScriptLine(InstallRun& run, const std::string& script, const std::function<void(const std::string&)>& act) {
    if (!FileIsPresent(script)) return;
    for (const auto& line : ReadTextLines(script)) {
        TakeStep(run);
        act(line);
    }
}

void SetStepRange(const InstallRun& run) {
    int total = CountScriptLines(ScriptPath(run, "Script_Copy.ini")) +
                CountScriptLines(ScriptPath(run, "Script_ACopy.ini")) +
                CountScriptLines(ScriptPath(run, "Script_Delete.ini"));
    if (FileIsPresent(ScriptPath(run, "Uninstall.ini"))) {
        total += 1;
    } else {
        total += CountScriptLines(ScriptPath(run, "Script_Uninstall_Add.ini"));
    }
    SetProgressRange(total);
}

void DeletePhase(InstallRun& run) {
    ForEachScriptLine(run, ScriptPath(run, "Script_Delete.ini"), [&](const std::string& line) {
        if (!ScriptLineIsSafe("", line)) return;
        std::string path = run.target + "\\" + line;
        if (FileIsPresent(path)) DeleteFileA(path.c_str());
    });
}

void UninstallPhase(InstallRun& run) {
    std::string wholeRecord = ScriptPath(run, "Uninstall.ini");
    if (FileIsPresent(wholeRecord)) {
        CopyPackageFile(wholeRecord, run.target + "\\Resource\\Uninstall.ini");
        TakeStep(run);
        return;
    }
    if (FileIsPresent(ScriptPath(run, "Script_Uninstall_Clear.ini"))) ApplyUninstallClear();
    if (FileIsPresent(ScriptPath(run, "Script_Uninstall_Add.ini"))) ApplyUninstallAdd(run.steps);
}

// Copies each line's package file to `subFolder` below the target. A line that
// would land outside the target copies nothing and fails the run.
void CopyPhase(InstallRun& run, const char* script, const std::string& subFolder) {
    ForEachScriptLine(run, ScriptPath(run, script), [&](const std::string& line) {
        if (!ScriptLineIsSafe(subFolder, line)) {
            run.ok = false;
            return;
        }
        std::string source = run.source + "\\PACK\\" + line;
        if (!FileIsPresent(source)) return;
        bool copied = CopyPackageFile(source, run.target + subFolder + "\\" + line);
        run.ok = run.ok && copied;
    });
}

void WriteStamps(InstallRun& run) {
    std::string package = run.target + run.packageSub;
    if (PackMode != "New") {
        CreateFolderTree(package);
        WriteTextLines(package + "\\Version.ini", {PackVersion});
        AddInstalledComponent(PackName + "/" + PackVersion);
    }
    std::string oldVersions = ScriptPath(run, "OldVersions.ini");
    if (FileIsPresent(oldVersions)) CopyPackageFile(oldVersions, package + "\\OldVersions.ini");
}

void RunPhases(InstallRun& run) {
    SetStepRange(run);
    DeletePhase(run);
    run.packageSub = (PackBaseFolder.empty() ? "" : "\\" + PackBaseFolder) + (PackName.empty() ? "" : "\\" + PackName);
    UninstallPhase(run);
    CopyPhase(run, "Script_ACopy.ini", "");
    CopyPhase(run, "Script_Copy.ini", run.packageSub);
    WriteStamps(run);
}

// The page after the run ends at WM_QUIT. A window closed during the run has
// already posted it and the pump took it: there is nothing left to wait for.
void WaitForWindowClose() {
    if (WindowClosed) return;
    if (QuitPumped) PostQuitMessage(QuitPumpedCode);
    RunPage();
}

}  // namespace

void RunInstall() {
    StartTick = GetTickCount();
    InstallRun run;
    SetWindowTextA(HeaderLabel, LblInstallProgress.c_str());
    EnableWindow(NextButton, FALSE);
    EnableWindow(BackButton, FALSE);
    EnableWindow(ExitButton, FALSE);
    CreateProgressControls();
    run.source = SetupFolder() + "\\Source";
    run.target = ChosenFolder;
    try {
        RunPhases(run);
    } catch (const FileError&) {
        run.ok = false;
    }
    FinishProgressSteps();
    if (run.ok) {
        ShowMessageBox(MsgInstallOk, CapMessage, "info", MB_SYSTEMMODAL);
    } else {
        ShowMessageBox(MsgInstallFailed, CapMessage, "error", MB_SYSTEMMODAL);
    }
    EnableWindow(ExitButton, TRUE);
    WaitForWindowClose();
    DestroyWindow(ProgressBar);
    DestroyWindow(ElapsedLabel);
}
