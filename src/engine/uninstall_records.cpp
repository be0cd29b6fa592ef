#include "engine/uninstall_records.h"

#include <vector>

#include "base/text_lines.h"
#include "engine/uninstall_merge.h"

using Lines = std::vector<std::string>;

void ApplyUninstallScripts(InstallFiles& files, const RecordPaths& paths, const std::function<void()>& onStep) {
    bool recordPresent = files.FileIsPresent(paths.record);
    Lines record;
    bool recordRead = false;
    bool changed = false;
    if (recordPresent && files.FileIsPresent(paths.clearScript)) {
        record = files.ReadLines(paths.record);
        recordRead = true;
        // An empty record asks nothing of the clear script, so it is not read.
        if (!record.empty()) record = ClearRecord(record, files.ReadLines(paths.clearScript));
        changed = true;
    }
    if (files.FileIsPresent(paths.addScript)) {
        Lines script = files.ReadLines(paths.addScript);
        bool hasEntries = false;
        for (const auto& line : script) hasEntries = hasEntries || !IsSectionHeader(line);
        // Without a record, or without an entry line to look up, nothing is
        // merged and the record is never read; the lines still take their steps.
        bool merging = hasEntries && recordPresent;
        if (merging && !recordRead) record = files.ReadLines(paths.record);
        Lines unused;
        bool merged = MergeAddScript(merging ? record : unused, script, onStep);
        changed = changed || (merging && merged);
    }
    if (changed) files.WriteLines(paths.record, record);
}

void AddInstalledComponent(InstallFiles& files, const RecordPaths& paths, const std::string& entry) {
    if (entry.empty()) return;
    Lines lines;
    if (files.FileIsPresent(paths.components)) lines = files.ReadLines(paths.components);
    if (!HoldsLine(lines, entry)) lines.push_back(entry);
    files.WriteLines(paths.components, lines);
}
