#include "engine/install_run.h"

#include <functional>

#include "base/paths.h"
#include "engine/script_safety.h"
#include "engine/uninstall_records.h"

namespace {

// What the phases share: the roots, the file work, and the run's counters.
struct InstallRun {
    InstallFiles& files;
    InstallProgress& progress;
    std::string source;      // S\Source
    std::string target;      // T
    std::string packageSub;  // "\Base\Name" below T, parts left out when empty
    RecordPaths records;
    int steps = 0;
    bool ok = true;
};

std::string ScriptPath(const InstallRun& run, const char* name) { return JoinPath(run.source, name); }

void TakeStep(InstallRun& run) { run.progress.ShowProgressStep(++run.steps); }

// Reads the script and hands each line to `act` right after its step.
void ForEachScriptLine(InstallRun& run, const std::string& script, const std::function<void(const std::string&)>& act) {
    if (!run.files.FileIsPresent(script)) return;
    for (const auto& line : run.files.ReadLines(script)) {
        TakeStep(run);
        act(line);
    }
}

void SetStepRange(InstallRun& run) {
    int total = CountScriptLines(run.files, ScriptPath(run, PackageCopyScriptName)) +
                CountScriptLines(run.files, ScriptPath(run, TargetCopyScriptName)) +
                CountScriptLines(run.files, ScriptPath(run, DeleteScriptName));
    if (run.files.FileIsPresent(ScriptPath(run, UninstallName))) {
        total += 1;
    } else {
        total += CountScriptLines(run.files, run.records.addScript);
    }
    run.progress.SetProgressRange(total);
}

void DeletePhase(InstallRun& run) {
    ForEachScriptLine(run, ScriptPath(run, DeleteScriptName), [&](const std::string& line) {
        if (ClassifyScriptLine("", line) != ScriptLineKind::File) return;
        std::string path = JoinPath(run.target, ScriptLineRelative(line));
        if (run.files.FileIsPresent(path)) run.files.RemoveFile(path);
    });
}

void UninstallPhase(InstallRun& run) {
    std::string wholeRecord = ScriptPath(run, UninstallName);
    if (run.files.FileIsPresent(wholeRecord)) {
        // The only way a record comes to a target that has none: its folder is made.
        run.files.CreateFolderTree(FolderOf(run.records.record));
        run.files.CopyWholeFile(wholeRecord, run.records.record);
        TakeStep(run);
        return;
    }
    ApplyUninstallScripts(run.files, run.records, [&] { TakeStep(run); });
}

// Copies each line's package file to `subFolder` below the target. A line that
// could land outside the target copies nothing and fails the run.
void CopyPhase(InstallRun& run, const char* script, const std::string& subFolder) {
    ForEachScriptLine(run, ScriptPath(run, script), [&](const std::string& line) {
        ScriptLineKind kind = ClassifyScriptLine(subFolder, line);
        if (kind == ScriptLineKind::Refused) run.ok = false;
        if (kind != ScriptLineKind::File) return;
        std::string relative = ScriptLineRelative(line);
        std::string source = JoinPath(JoinPath(run.source, PackFolderName), relative);
        if (!run.files.FileIsPresent(source)) return;
        bool copied = run.files.CopyPackageFile(source, JoinPath(run.target + subFolder, relative));
        run.ok = run.ok && copied;
    });
}

// The components entry first and Version.ini last: a Version.ini naming this
// version says the whole run got through.
void WriteStamps(InstallRun& run, const Package& package) {
    std::string packageFolder = run.target + run.packageSub;
    bool stamped = package.PackMode != "New";
    if (stamped) AddInstalledComponent(run.files, run.records, package.InstalledEntry());
    std::string oldVersions = ScriptPath(run, OldVersionsName);
    if (run.files.FileIsPresent(oldVersions)) {
        run.files.CreateFolderTree(packageFolder);
        run.files.CopyWholeFile(oldVersions, JoinPath(packageFolder, OldVersionsName));
    }
    if (stamped) {
        run.files.CreateFolderTree(packageFolder);
        run.files.WriteLines(JoinPath(packageFolder, VersionStampName), {package.PackVersion});
    }
}

bool InstallPackage(const std::string& setupFolder, const std::string& target, const Package& package,
                    InstallFiles& files, InstallProgress& progress) {
    if (!PackageFolderIsSafe(package)) return false;
    InstallRun run{files, progress, SourceFolder(setupFolder), target, {}, {}};
    run.records.record = JoinPath(target, ResourceUninstall);
    run.records.components = JoinPath(target, ResourceInstallComponents);
    run.records.clearScript = ScriptPath(run, UninstallClearScriptName);
    run.records.addScript = ScriptPath(run, UninstallAddScriptName);
    SetStepRange(run);
    DeletePhase(run);
    run.packageSub = PackageFolderIn("", package.PackBaseFolder, package.PackName);
    UninstallPhase(run);
    CopyPhase(run, TargetCopyScriptName, "");
    CopyPhase(run, PackageCopyScriptName, run.packageSub);
    if (run.ok) WriteStamps(run, package);
    return run.ok;
}

}  // namespace

bool PackageFolderIsSafe(const Package& package) {
    // "\Base\Name" below an empty root; checked as a line without its first backslash.
    std::string folder = PackageFolderIn("", package.PackBaseFolder, package.PackName);
    return folder.empty() || ScriptLineIsSafe("", folder.substr(1));
}

bool RunInstall(const std::string& setupFolder, const std::string& target, const Package& package,
                InstallFiles& files, InstallProgress& progress) {
    try {
        return InstallPackage(setupFolder, target, package, files, progress);
    } catch (...) {
        // A file that could not be read or written, and anything else (memory
        // included): the run ends here, and the result box says it failed.
        return false;
    }
}
