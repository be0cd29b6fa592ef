#include "engine/install_run.h"

#include <functional>
#include <utility>
#include <vector>

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
    InstallTransaction* journal = nullptr;  // the transaction the files belong to, when there is one
    int steps = 0;
    bool ok = true;
};

// The user closed the window during the run.
struct RunAbandoned {};

// Script lines whose changes are announced to the journal together: one
// flush for each so many lines.
const size_t AnnounceChunk = 1024;

std::string ScriptPath(const InstallRun& run, const char* name) { return JoinPath(run.source, name); }

void TakeStep(InstallRun& run) {
    run.progress.ShowProgressStep(++run.steps);
    if (!run.progress.KeepAlive()) throw RunAbandoned{};
}

using LineAction = std::function<void(const std::string&)>;

// Reads the script and hands each line to `act` right after its step. In a
// transaction, `announce` first tells the journal what the next lines will
// change, a chunk at a time, so their journal lines cost one flush.
void ForEachScriptLine(InstallRun& run, const std::string& script, const LineAction& announce, const LineAction& act) {
    if (!run.files.FileIsPresent(script)) return;
    std::vector<std::string> lines = run.files.ReadLines(script);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (run.journal && i % AnnounceChunk == 0) {
            for (size_t j = i; j < lines.size() && j < i + AnnounceChunk; ++j) {
                announce(lines[j]);
                if (!run.progress.KeepAlive()) throw RunAbandoned{};  // a look at the disk a line: the window lives on
            }
        }
        TakeStep(run);
        act(lines[i]);
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
    // The file a line deletes; "" for none.
    auto doomed = [&](const std::string& line) -> std::string {
        if (ClassifyScriptLine("", line) != ScriptLineKind::File) return "";
        std::string path = JoinPath(run.target, ScriptLineRelative(line));
        return run.files.FileIsPresent(path) ? path : "";
    };
    ForEachScriptLine(
        run, ScriptPath(run, DeleteScriptName),
        [&](const std::string& line) {
            std::string path = doomed(line);
            if (!path.empty()) run.journal->AnnounceRemoval(path);
        },
        [&](const std::string& line) {
            std::string path = doomed(line);
            if (!path.empty()) run.files.RemoveFile(path);
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
    // The line's source and destination; no source when it copies nothing.
    auto ends = [&](const std::string& line) -> std::pair<std::string, std::string> {
        if (ClassifyScriptLine(subFolder, line) != ScriptLineKind::File) return {};
        std::string relative = ScriptLineRelative(line);
        std::string source = JoinPath(JoinPath(run.source, PackFolderName), relative);
        if (!run.files.FileIsPresent(source)) return {};
        return {source, JoinPath(run.target + subFolder, relative)};
    };
    // In a transaction each line's ends are found once, when it is announced.
    std::vector<std::pair<std::string, std::string>> announced;
    size_t done = 0;
    ForEachScriptLine(
        run, ScriptPath(run, script),
        [&](const std::string& line) {
            announced.push_back(ends(line));
            if (!announced.back().first.empty()) run.journal->Announce(announced.back().second);
        },
        [&](const std::string& line) {
            if (ClassifyScriptLine(subFolder, line) == ScriptLineKind::Refused) run.ok = false;
            auto [source, destination] = run.journal ? std::move(announced[done++]) : ends(line);
            if (source.empty()) return;
            bool copied = run.files.CopyPackageFile(source, destination);
            run.ok = run.ok && copied;
        });
}

// The components entry first and Version.ini last: a Version.ini naming this
// version says the whole run got through.
void WriteStamps(InstallRun& run, const Package& package) {
    std::string packageFolder = run.target + run.packageSub;
    bool stamped = package.PackMode != "New";
    std::string oldVersions = ScriptPath(run, OldVersionsName);
    bool oldVersionsPresent = run.files.FileIsPresent(oldVersions);
    if (run.journal) {
        // All three announced at once: their journal lines cost one flush.
        if (stamped) run.journal->AnnounceText(run.records.components);
        if (stamped || oldVersionsPresent) run.journal->AnnounceFolderTree(packageFolder);
        if (oldVersionsPresent) run.journal->AnnounceText(JoinPath(packageFolder, OldVersionsName));
        if (stamped) run.journal->AnnounceText(JoinPath(packageFolder, VersionStampName));
    }
    if (stamped) AddInstalledComponent(run.files, run.records, package.InstalledEntry());
    if (oldVersionsPresent) {
        run.files.CreateFolderTree(packageFolder);
        run.files.CopyWholeFile(oldVersions, JoinPath(packageFolder, OldVersionsName));
    }
    if (stamped) {
        run.files.CreateFolderTree(packageFolder);
        run.files.WriteLines(JoinPath(packageFolder, VersionStampName), {package.PackVersion});
    }
}

bool InstallPackage(const std::string& setupFolder, const std::string& target, const Package& package,
                    InstallFiles& files, InstallProgress& progress, InstallTransaction* journal = nullptr) {
    if (!PackageFolderIsSafe(package)) return false;
    InstallRun run{files, progress, SourceFolder(setupFolder), target, {}, {}, journal};
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

InstallOutcome RunTransactedInstall(const std::string& setupFolder, const std::string& target, const Package& package,
                                    InstallFiles& files, JournalDisk& disk, InstallProgress& progress,
                                    TransactedRun* report) {
    bool installed = false;
    try {
        InstallTransaction transaction(files, disk, target, {package.PackName, package.PackVersion, "", setupFolder});
        files.WatchCopies([&] { return progress.KeepAlive(); });
        try {
            installed = InstallPackage(setupFolder, target, package, transaction, progress, &transaction) &&
                        progress.KeepAlive();
            if (installed) transaction.Commit();
        } catch (...) {
            // Whatever ended the run (a commit mark that could not be written
            // included), what it changed goes back.
            installed = false;
        }
        files.WatchCopies(nullptr);
        RecoveryReport undo;
        if (!installed) undo = transaction.Undo();
        if (report) *report = {transaction.flushes(), undo};
    } catch (const InstallTransaction::JournalBusy&) {
        return InstallOutcome::Busy;
    } catch (...) {
        installed = false;  // the journal could not be started: nothing was changed
    }
    if (installed) return InstallOutcome::Installed;
    return progress.KeepAlive() ? InstallOutcome::Failed : InstallOutcome::Abandoned;
}
