#include "engine/uninstall_reference.h"

#include <vector>

#include "base/text_lines.h"
#include "engine/memory_files.h"
#include "engine/uninstall_merge.h"
#include "engine/uninstall_records.h"

namespace {

// LineAbsentFrom: the file is read afresh from its start for every question.
bool LineAbsentFrom(const std::optional<std::string>& file, const std::string& line) {
    if (!file) return true;
    for (const auto& candidate : SplitTextLines(*file)) {
        if (candidate == line) return false;
    }
    return true;
}

void ReferenceClear(UninstallFiles& files) {
    if (!files.record) return;
    std::string rewritten;
    for (const auto& line : SplitTextLines(*files.record)) {
        if (LineAbsentFrom(files.clearScript, line)) rewritten += line + "\r\n";
    }
    files.record = rewritten;
}

void ReferenceMergeSection(UninstallFiles& files, const std::string& header, const std::string& block) {
    if (block.empty()) return;
    if (!files.record) return;
    std::string rewritten;
    bool found = false;
    for (const auto& line : SplitTextLines(*files.record)) {
        rewritten += line + "\r\n";
        if (line == header) {
            rewritten += block + "\r\n";
            found = true;
        }
    }
    if (!found) rewritten += header + "\r\n" + block + "\r\n";
    files.record = rewritten;
}

void ReferenceAdd(UninstallFiles& files, int& steps) {
    std::string header;
    std::string block;
    bool seen = false;
    for (const auto& line : SplitTextLines(*files.addScript)) {
        ++steps;
        if (line.find('[') != std::string::npos) {
            if (seen) {
                ReferenceMergeSection(files, header, block);
                block.clear();
            }
            header = line;
            seen = true;
        } else if (LineAbsentFrom(files.record, line)) {
            block = block.empty() ? line : block + "\r\n" + line;
        }
    }
    ReferenceMergeSection(files, header, block);
}

}  // namespace

void ReferenceUninstallPhase(UninstallFiles& files, int& steps) {
    if (files.clearScript) ReferenceClear(files);
    if (files.addScript) ReferenceAdd(files, steps);
}

void FastUninstallPhase(UninstallFiles& files, int& steps) {
    MemoryFiles disk;
    RecordPaths paths{"T\\Resource\\Uninstall.ini", "T\\Resource\\InstallComponents.ini",
                      "S\\Source\\Script_Uninstall_Clear.ini", "S\\Source\\Script_Uninstall_Add.ini"};
    if (files.record) disk.Put(paths.record, *files.record);
    if (files.clearScript) disk.Put(paths.clearScript, *files.clearScript);
    if (files.addScript) disk.Put(paths.addScript, *files.addScript);
    ApplyUninstallScripts(disk, paths, [&] { ++steps; });
    if (files.record) files.record = disk.Bytes(paths.record);
}
