#include "engine/uninstall_records.h"

#include <vector>

#include "base/text_lines.h"
#include "engine/uninstall_merge.h"

using Lines = std::vector<std::string>;

void ApplyUninstallClear(InstallFiles& files, const RecordPaths& paths) {
    if (!files.FileIsPresent(paths.record)) return;
    Lines lines = files.ReadLines(paths.record);
    // An empty record asks nothing of the clear script, so it is not read.
    if (!lines.empty() && files.FileIsPresent(paths.clearScript))
        lines = ClearRecord(lines, files.ReadLines(paths.clearScript));
    files.RewriteLines(paths.record, lines);
}

void ApplyUninstallAdd(InstallFiles& files, const RecordPaths& paths, const std::function<void()>& onStep) {
    Lines script = files.ReadLines(paths.addScript);
    bool hasEntries = false;
    for (const auto& line : script) hasEntries = hasEntries || !IsSectionHeader(line);
    // Without a record, or without an entry line to look up, nothing is merged
    // and the record is never read; the lines still take their steps.
    bool merging = hasEntries && files.FileIsPresent(paths.record);
    Lines lines = merging ? files.ReadLines(paths.record) : Lines{};
    bool changed = MergeAddScript(lines, script, onStep);
    if (merging && changed) files.RewriteLines(paths.record, lines);
}

void AddInstalledComponent(InstallFiles& files, const RecordPaths& paths, const std::string& entry) {
    if (entry.empty()) return;
    if (!files.FileIsPresent(paths.components)) {
        files.WriteLines(paths.components, {entry});
        return;
    }
    Lines lines = files.ReadLines(paths.components);
    if (!HoldsLine(lines, entry)) lines.push_back(entry);
    files.RewriteLines(paths.components, lines);
}
