#include "engine/uninstall_records.h"

#include <windows.h>

#include <vector>

#include "driver/setup.h"
#include "engine/file_ops.h"
#include "engine/progress.h"
#include "engine/text_file.h"
#include "engine/text_lines.h"
#include "engine/uninstall_merge.h"

using Lines = std::vector<std::string>;

static std::string RecordPath() { return ChosenFolder + "\\Resource\\Uninstall.ini"; }
static std::string ComponentsPath() { return ChosenFolder + "\\Resource\\InstallComponents.ini"; }
static std::string SourceFile(const char* name) { return SetupFolder() + "\\Source\\" + name; }

// Writes the new content to the temporary file, copies it over the target
// file (a failed copy leaves the old file) and removes the temporary file.
static void RewriteThroughTemporary(const std::string& path, const char* temporaryName, const Lines& lines) {
    std::string temporary = SourceFile(temporaryName);
    WriteTextLines(temporary, lines);
    CopyPackageFile(temporary, path);
    DeleteFileA(temporary.c_str());
}

bool LineAbsentFrom(UninstallList list, const std::string& line) {
    std::string path = list == UninstallList::Record ? RecordPath() : SourceFile("Script_Uninstall_Clear.ini");
    if (!FileIsPresent(path)) return true;
    return !HoldsLine(ReadTextLines(path), line);
}

void ApplyUninstallClear() {
    std::string record = RecordPath();
    if (!FileIsPresent(record)) return;
    Lines lines = ReadTextLines(record);
    std::string clear = SourceFile("Script_Uninstall_Clear.ini");
    // An empty record asks nothing of the clear script, so it is not read.
    if (!lines.empty() && FileIsPresent(clear)) lines = ClearRecord(lines, ReadTextLines(clear));
    RewriteThroughTemporary(record, "Uninstall.tmp", lines);
}

void ApplyUninstallAdd(int& stepCounter) {
    Lines script = ReadTextLines(SourceFile("Script_Uninstall_Add.ini"));
    std::string record = RecordPath();
    bool hasEntries = false;
    for (const auto& line : script) hasEntries = hasEntries || !IsSectionHeader(line);
    // Without a record, or without an entry line to look up, nothing is merged
    // and the record is never read; the lines still take their steps.
    bool merging = hasEntries && FileIsPresent(record);
    Lines lines = merging ? ReadTextLines(record) : Lines{};
    bool changed = MergeAddScript(lines, script, [&] { ShowProgressStep(++stepCounter); });
    if (merging && changed) RewriteThroughTemporary(record, "Uninstall.tmp", lines);
}

void MergeUninstallSection(const std::string& header, const std::string& block) {
    std::string record = RecordPath();
    if (block.empty() || !FileIsPresent(record)) return;
    Lines lines = ReadTextLines(record);
    InsertSectionBlock(lines, header, SplitTextLines(block + "\r\n"));
    RewriteThroughTemporary(record, "Uninstall.tmp", lines);
}

void AddInstalledComponent(const std::string& entry) {
    if (entry.empty()) return;
    std::string list = ComponentsPath();
    if (!FileIsPresent(list)) {
        WriteTextLines(list, {entry});
        return;
    }
    Lines lines = ReadTextLines(list);
    if (!HoldsLine(lines, entry)) lines.push_back(entry);
    RewriteThroughTemporary(list, "InstallComponents.tmp", lines);
}
