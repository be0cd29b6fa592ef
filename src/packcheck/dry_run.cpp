#include "packcheck/dry_run.h"

#include "base/paths.h"
#include "base/text_lines.h"
#include "discovery/stamp_decision.h"
#include "discovery/version_match.h"
#include "engine/install_run.h"
#include "packcheck/dry_run_files.h"
#include "packcheck/file_version_bytes.h"
#include "packcheck/line_diff.h"

namespace {

constexpr const char* Record = ResourceUninstall;
constexpr const char* Components = ResourceInstallComponents;

struct NoProgress : InstallProgress {
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {}
};

bool IsFile(const Place& place, const char* relative) {
    return place.root == Place::Root::Target && FoldNameCase(place.relative) == FoldNameCase(relative);
}

std::string Shown(const Place& place) {
    return place.root == Place::Root::Outside ? place.relative + " (outside the target)" : place.relative;
}

void Section(std::vector<std::string>& out, const std::string& title, const std::vector<std::string>& items) {
    out.push_back(title + ":");
    if (items.empty()) out.push_back("  (none)");
    for (const auto& item : items) out.push_back("  " + item);
}

// What the driver decides from the stamps already in the package folder; a
// decision that stops setup goes to `stops` as well.
std::string StampVerdict(const FolderTree& target, const Package& package, std::vector<std::string>& stops) {
    std::string folder = PackageFolderIn("", package.PackBaseFolder, package.PackName);
    folder.erase(0, folder.empty() ? 0 : 1);
    auto pathOf = [&](const char* stamp) { return folder.empty() ? std::string(stamp) : JoinPath(folder, stamp); };
    StampDecision decision = DecideFromStamps([&](const char* stamp) {
        std::string path = pathOf(stamp);
        const TreeEntry* entry = target.Find(path);
        return entry && target.IsPresent(path) &&
               HoldsLine(SplitTextLines(target.Read(*entry).value_or("")), package.PackVersion);
    });
    switch (decision) {
        case StampDecision::NewerInstalled:
            stops.push_back(pathOf(DecidingStamp(decision)) + " lists " + package.PackVersion +
                            ": setup stops, a newer version is installed");
            return stops.back();
        case StampDecision::AskReinstall:
            return pathOf(DecidingStamp(decision)) + " holds " + package.PackVersion +
                   ": setup asks before installing it again";
        case StampDecision::Install: break;
    }
    return "no stamp of this version: setup installs without asking";
}

// Whether setup takes the folder as a copy of the target program: the
// executable there, and its file version fitting the package as in discovery.
std::string TargetVerdict(const FolderTree& setup, const FolderTree& target, const Package& package,
                          std::vector<std::string>& stops) {
    const std::string& exe = package.PackExeName;
    const TreeEntry* entry = target.Find(exe);
    if (!entry || !target.IsPresent(exe)) {
        stops.push_back(exe + " is not in the target: setup finds no copy of the program there");
        return stops.back();
    }
    std::string version = FileVersionFromBytes(target.Read(*entry).value_or(""));
    std::string has = exe + (version.empty() ? " has no file version" : " has version " + version);
    const TreeEntry* versions = setup.Find(SourceVersions);
    if (!versions || versions->folder) return has;
    for (const auto& line : SplitTextLines(setup.Read(*versions).value_or(""))) {
        if (VersionsMatch(version, line)) return has + ", which " + VersionsName + " fits";
    }
    std::string packages = JoinPath(FolderOf(exe), ResourcePackages);
    const TreeEntry* list = target.Find(packages.front() == '\\' ? packages.substr(1) : packages);
    if (list && target.IsPresent(list->name) &&
        HoldsLine(SplitTextLines(target.Read(*list).value_or("")), package.InstalledEntry()))
        return has + ", which " + VersionsName + " does not fit, but " + ResourcePackages + " lists " + package.InstalledEntry();
    stops.push_back(has + ", which no line of " + VersionsName + " fits: setup refuses the folder as a copy of the program");
    return stops.back();
}

// Bytes in a unit a reader takes in at a glance.
std::string ShownSize(unsigned long long bytes) {
    if (bytes < 1024 * 1024) return std::to_string(bytes) + " bytes";
    return std::to_string((bytes + 512 * 1024) / (1024 * 1024)) + " MB";
}

// The space check setup makes before any change: every byte the run writes
// against what the target's volume has free.
std::string SpaceVerdict(unsigned long long needed, std::optional<unsigned long long> freeBytes,
                         std::vector<std::string>& stops) {
    std::string text = ShownSize(needed) + " to write";
    if (!freeBytes) return text + "; the free space on the target's volume is unknown";
    if (needed <= *freeBytes) return text + "; the target's volume has enough free";
    stops.push_back(text + ", but the target's volume has only " + ShownSize(*freeBytes) +
                    " free: setup says so and changes nothing");
    return stops.back();
}

// The links in the target, and whether the run writes through one.
std::vector<std::string> LinkReport(const FolderTree& target, const std::vector<Change>& changes) {
    std::vector<std::string> items;
    for (const auto& entry : target.entries) {
        if (!entry.link) continue;
        std::string below = FoldNameCase(entry.name + "\\");
        bool crossed = false;
        for (const auto& change : changes) {
            std::string place = FoldNameCase(change.place.relative);
            crossed |= change.place.root == Place::Root::Target &&
                       (place == FoldNameCase(entry.name) || place.rfind(below, 0) == 0);
        }
        items.push_back(entry.name + (entry.folder ? " (a folder link" : " (a file link") +
                        (crossed ? ": the run writes through it, wherever it leads)" : ")"));
    }
    return items;
}

std::vector<std::string> ComponentsReport(const DryRunFiles& files, const Package& package) {
    auto before = files.LinesBefore(Components).value_or(std::vector<std::string>{});
    auto after = files.LinesAfter(Components).value_or(std::vector<std::string>{});
    std::vector<std::string> items;
    for (const auto& line : after) {
        if (!HoldsLine(before, line))
            items.push_back(line + " added to " + Components + (files.LinesBefore(Components) ? "" : " (created)"));
    }
    if (items.empty() && package.PackMode == "New") items.push_back("none: the mode is New");
    else if (items.empty() && HoldsLine(after, package.InstalledEntry()))
        items.push_back(package.InstalledEntry() + " already listed");
    return items;
}

}  // namespace

DryRunReport DryRun(const FolderTree& setup, const FolderTree& target, const Package& package,
                    std::optional<unsigned long long> freeBytes, bool running) {
    DryRunFiles files(setup, target);
    NoProgress progress;
    bool ok = RunInstall(setup.root, target.root, package, files, progress);
    std::vector<std::string> stops;

    std::vector<std::string> deleted, copied, folders, stamps;
    for (const auto& change : files.changes) {
        if (IsFile(change.place, Record) || IsFile(change.place, Components)) continue;
        switch (change.kind) {
            case Change::Kind::Delete: deleted.push_back(Shown(change.place)); break;
            case Change::Kind::Folder: folders.push_back(Shown(change.place)); break;
            case Change::Kind::Copy:
                if (change.source.root == Place::Root::Setup &&
                    FoldNameCase(change.source.relative).rfind("source\\pack\\", 0) == 0) {
                    copied.push_back(Shown(change.place) + (change.overwrites ? " (overwrites)" : ""));
                    break;
                }
                [[fallthrough]];
            default:
                stamps.push_back(Shown(change.place));
                if (change.place.root == Place::Root::Target) {
                    for (const auto& line : files.LinesAfter(change.place.relative).value_or(std::vector<std::string>{}))
                        stamps.push_back("  " + line);
                }
        }
    }
    std::vector<std::string> out;
    std::vector<std::string> before{TargetVerdict(setup, target, package, stops)};
    if (running) {
        stops.push_back(package.PackExeName + " runs from the target now: setup waits until the program is closed");
        before.push_back(stops.back());
    }
    before.push_back(StampVerdict(target, package, stops));
    Section(out, "Before installing", before);
    Section(out, "Files deleted", deleted);
    Section(out, "Files copied", copied);
    Section(out, "Folders created", folders);
    auto recordBefore = files.LinesBefore(Record), recordAfter = files.LinesAfter(Record);
    std::vector<std::string> diff = UnifiedDiff(recordBefore.value_or(std::vector<std::string>{}),
                                                recordAfter.value_or(std::vector<std::string>{}), Record);
    out.push_back("Uninstall record:");
    if (diff.empty()) out.push_back(recordAfter ? "  (no change)" : std::string("  (none: the target has no ") + Record + ")");
    out.insert(out.end(), diff.begin(), diff.end());
    Section(out, "Components entry", ComponentsReport(files, package));
    Section(out, "Stamps", stamps);
    out.push_back("Space: " + SpaceVerdict(files.bytesWritten, freeBytes, stops));
    if (auto links = LinkReport(target, files.changes); !links.empty()) Section(out, "Links in the target", links);
    if (!files.failures.empty()) Section(out, "Failures", files.failures);
    out.push_back(ok ? "Result: setup reports success"
                     : "Result: setup reports failure and puts back every change above: the target stays as it was");
    if (!ok)
        stops.push_back("the install fails" +
                        (files.failures.empty() ? std::string(": a file it must write cannot be written") : ": " + files.failures.front()));
    out.push_back("Interrupted (window closed, setup killed, power lost): undone at once, or by the next setup run on "
                  "this target before anything else (completed instead when every change was made)");
    return {out, stops};
}
