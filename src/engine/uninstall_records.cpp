#include "engine/uninstall_records.h"

#include <vector>

#include "base/text_lines.h"
#include "engine/uninstall_merge.h"

void ApplyUninstallScripts(InstallFiles& files, const RecordPaths& paths, const std::function<void()>& onStep) {
    bool recordPresent = files.FileExists(paths.record);
    TextBuffer record;
    bool recordRead = false;
    bool cleared = false;
    if (recordPresent && files.FileIsPresent(paths.clearScript)) {
        record = files.ReadText(paths.record);
        recordRead = true;
        // An empty record asks nothing of the clear script, so it is not read.
        if (!record.lines.empty()) ApplyUninstallClear(record.lines, files.ReadText(paths.clearScript).lines);
        cleared = true;
    }
    MergedRecord merged;
    bool merging = false;
    TextBuffer script;
    if (files.FileIsPresent(paths.addScript)) {
        script = files.ReadText(paths.addScript);
        bool hasEntries = false;
        for (std::string_view line : script.lines) hasEntries = hasEntries || !IsSectionHeader(line);
        // Without a record, or without an entry line to look up, nothing is
        // merged and the record is never read; the lines still take their steps.
        merging = hasEntries && recordPresent;
        if (merging && !recordRead) record = files.ReadText(paths.record);
        static const std::vector<std::string_view> noRecord;
        merged = ApplyUninstallAdd(merging ? record.lines : noRecord, script.lines, onStep);
    }
    if (merging && merged.changed) {
        files.WriteLineStream(paths.record, [&](const LineSink& sink) { merged.ForEachLine(sink); });
    } else if (cleared) {
        files.WriteLineViews(paths.record, record.lines);
    }
}

void AddInstalledComponent(InstallFiles& files, const RecordPaths& paths, const std::string& entry) {
    if (entry.empty()) return;
    std::vector<std::string> lines;
    if (files.FileExists(paths.components)) lines = files.ReadLines(paths.components);
    if (!HoldsLine(lines, entry)) lines.push_back(entry);
    files.WriteLines(paths.components, lines);
}
