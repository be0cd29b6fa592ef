// The checks of Source: Pack.ini, Versions.ini, the scripts and PACK, the
// uninstall files and OldVersions.ini.
#include <set>

#include "base/ascii.h"
#include "base/package.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_lines.h"
#include "engine/install_run.h"
#include "engine/script_safety.h"
#include "engine/uninstall_merge.h"
#include "packcheck/refusal.h"
#include "packcheck/setup_check.h"

namespace {

constexpr const char* PackIni = SourcePackIni;
constexpr const char* PackFolder = SourcePackFolder;

struct PackageState {
    Package package;
    std::vector<int> fieldLines;  // the file line of each field present
    bool folderSafe = true;       // the package folder lies inside the target
    std::set<std::string> installed;  // PACK files named by a copy line, folded
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(std::string text) {
    text.erase(text.find_last_not_of(" \t") + 1);
    text.erase(0, text.find_first_not_of(" \t"));
    return text;
}

int FieldLine(const PackageState& state, int field) {
    return field <= static_cast<int>(state.fieldLines.size()) ? state.fieldLines[field - 1] : 0;
}

void CheckPackageFolder(SetupCheck& check, PackageState& state) {
    const Package& p = state.package;
    if (!ScriptLineIsSafe("", p.PackExeName))
        check.Add(PackIni, FieldLine(state, 3), Severity::Error,
                  "executable " + Quoted(p.PackExeName) + " is unsafe: " + RefusalReason("", p.PackExeName) +
                      "; setup would start a program outside the target");
    // The verdict is setup's own; the fields are looked at only to say which one is at fault.
    state.folderSafe = PackageFolderIsSafe(p);
    if (state.folderSafe) return;
    std::string baseSub = PackageFolderIn("", p.PackBaseFolder, "");
    if (!ScriptLineIsSafe("", p.PackBaseFolder)) {
        check.Add(PackIni, FieldLine(state, 7), Severity::Error,
                  "base folder " + Quoted(p.PackBaseFolder) + " is unsafe: " + RefusalReason("", p.PackBaseFolder) +
                      "; the package's files and stamps must stay inside the target");
    } else {
        check.Add(PackIni, FieldLine(state, 5), Severity::Error,
                  "package name " + Quoted(p.PackName) + " is unsafe: " + RefusalReason(baseSub, p.PackName) +
                      "; the package's files and stamps must stay inside the target");
    }
}

bool CheckPackIni(SetupCheck& check, PackageState& state) {
    const TreeEntry* entry = check.setup.Find(PackIni);
    if (!entry || entry->folder) {
        check.Add(PackIni, 0, Severity::Error,
                  "missing: setup stops with an \"Application Error\" box before its window opens");
        return false;
    }
    auto file = LoadSetupFile(check, PackIni, Opening::Direct);
    if (!file) return false;
    state.package = ParsePackIni(file->lines);
    for (size_t i = 0; i < file->lines.size(); ++i) {
        if (!IsCommentLine(file->lines[i])) state.fieldLines.push_back(static_cast<int>(i + 1));
    }
    int fields = static_cast<int>(state.fieldLines.size());
    if (fields < PackIniFields)
        check.Add(PackIni, static_cast<int>(file->lines.size()), Severity::Warning,
                  std::to_string(fields) + " field lines, not " + std::to_string(PackIniFields) +
                      ": the fields after the last are empty");
    const Package& p = state.package;
    const struct {
        int field;
        const std::string& value;
        const char* text;
    } needed[] = {
        {1, p.PackTitle, "field 1 (title) is empty: the window has no title"},
        {2, p.PackProgramName, "field 2 (program name) is empty: no recorded copy names it, and messages show no name"},
        {3, p.PackExeName, "field 3 (executable) is empty: no copy of the target program can be found"},
        {4, p.PackWindowClass, "field 4 (window class) is empty: the check that the target program is not running "
                               "finds nothing"},
        {6, p.PackVersion, "field 6 (package version) is empty: the stamps and the components entry hold no version"},
    };
    for (const auto& field : needed) {
        if (field.field <= fields && field.value.empty())
            check.Add(PackIni, FieldLine(state, field.field), Severity::Warning, field.text);
    }
    // Windows drops a file name's trailing blanks, so setup finds, checks and starts the file without them.
    if (!p.PackExeName.empty() && p.PackExeName.back() == ' ')
        check.Add(PackIni, FieldLine(state, 3), Severity::Warning,
                  "executable " + Quoted(p.PackExeName) + " ends with a blank: Windows leaves it out, so setup takes " +
                      Quoted(TrimBlanks(p.PackExeName)) + "; write it without the blank");
    // A window class is compared as it stands, blanks included.
    const std::string& windowClass = p.PackWindowClass;
    if (!windowClass.empty() && TrimBlanks(windowClass) != windowClass)
        check.Add(PackIni, FieldLine(state, 4), Severity::Warning,
                  "window class " + Quoted(windowClass) + (IsBlank(windowClass.front()) ? " starts" : " ends") +
                      " with a blank, which takes part in the comparison: the check that the target program is not "
                      "running finds no window of class " + Quoted(TrimBlanks(windowClass)));
    if (p.PackMode != "New" && EqualsAsciiNoCase(TrimBlanks(p.PackMode), "New"))
        check.Add(PackIni, FieldLine(state, 8), Severity::Warning,
                  "mode " + Quoted(p.PackMode) + " is not \"New\": setup writes the version stamp and the components entry");
    CheckPackageFolder(check, state);
    return true;
}

void CheckVersions(SetupCheck& check) {
    const char* name = SourceVersions;
    const TreeEntry* entry = check.setup.Find(name);
    if (!entry || entry->folder) {
        check.Add(name, 0, Severity::Error, "missing: setup stops with an \"Application Error\" box when it tests a copy");
        return;
    }
    auto file = LoadSetupFile(check, name, Opening::Direct);
    if (!file) return;
    if (file->lines.empty())
        check.Add(name, 0, Severity::Warning, "lists no version: only copies that record this package already fit");
    for (size_t i = 0; i < file->lines.size(); ++i) {
        const std::string& line = file->lines[i];
        int number = static_cast<int>(i + 1);
        if (line.empty())
            check.Add(name, number, Severity::Warning, "empty line: it fits only a copy whose version cannot be read");
        else if (line.front() == ' ' || line.front() == '\t')
            check.Add(name, number, Severity::Warning,
                      "version " + Quoted(line) + " starts with a blank: no copy's version does, so it fits none");
        else if (line.back() == ' ' || line.back() == '\t')
            check.Add(name, number, Severity::Warning,
                      "version " + Quoted(line) + " ends with a blank, which takes part in the comparison");
    }
    NoteRepeatedLines(check, *file);
}

// The PACK files within one character (ignoring case) of the missing name.
std::string ClosestPackFile(const FolderTree& setup, const std::string& missing) {
    std::string wanted = FoldNameCase(missing);
    const std::string prefix = std::string(PackFolder) + "\\";
    for (const auto& entry : setup.entries) {
        if (entry.folder || FoldNameCase(entry.name).rfind(FoldNameCase(prefix), 0) != 0) continue;
        std::string candidate = FoldNameCase(entry.name.substr(prefix.size()));
        if (candidate.size() + 1 < wanted.size() || wanted.size() + 1 < candidate.size()) continue;
        // One edit at most: skip the common start and end, at most one byte left on each side.
        size_t start = 0;
        while (start < wanted.size() && start < candidate.size() && wanted[start] == candidate[start]) ++start;
        size_t a = wanted.size(), b = candidate.size();
        while (a > start && b > start && wanted[a - 1] == candidate[b - 1]) --a, --b;
        if (a - start <= 1 && b - start <= 1) return entry.name.substr(prefix.size());
    }
    return "";
}

void CheckCopySource(SetupCheck& check, PackageState& state, const std::string& script, int number,
                     const std::string& line) {
    std::string source = std::string(PackFolder) + "\\" + line;
    std::string normal;
    if (NormalRelativePath(line, normal)) state.installed.insert(FoldNameCase(normal));
    const TreeEntry* entry = check.setup.Find(source);
    if (!entry) {
        std::string closest = ClosestPackFile(check.setup, normal);
        check.Add(script, number, Severity::Warning,
                  source + " is missing: the line copies nothing" + (closest.empty() ? "" : " (closest: " + closest + ")"));
    } else if (entry->folder) {
        check.Add(script, number, Severity::Warning, source + " is a folder: the line copies nothing");
    } else if (!entry->dosDated) {
        check.Add(script, number, Severity::Warning,
                  source + " is dated before 1980: setup takes it as absent and copies nothing");
    }
}

void CheckScript(SetupCheck& check, PackageState& state, const std::string& script, bool copies,
                 const std::string& subFolder) {
    auto file = LoadSetupFile(check, script, Opening::AfterTest);
    if (!file) return;
    for (size_t i = 0; i < file->lines.size(); ++i) {
        const std::string& line = file->lines[i];
        int number = static_cast<int>(i + 1);
        ScriptLineKind kind = ClassifyScriptLine(subFolder, line);
        if (kind == ScriptLineKind::Inert) {
            check.Add(script, number, Severity::Note,
                      line.find_first_not_of(" \t") == std::string::npos
                          ? "blank line: it does nothing but take a progress step"
                          : "names no file: it does nothing but take a progress step");
        } else if (kind == ScriptLineKind::Refused) {
            check.Add(script, number, Severity::Error,
                      Quoted(line) + " is refused: " + RefusalReason(subFolder, line) +
                          (copies ? "; setup copies nothing for it and reports failure" : "; setup deletes nothing for it"));
        } else if (copies) {
            CheckCopySource(check, state, script, number, ScriptLineRelative(line));
        }
    }
    NoteRepeatedLines(check, *file);
}

void CheckUnusedPackFiles(SetupCheck& check, const PackageState& state) {
    const std::string prefix = FoldNameCase(std::string(PackFolder) + "\\");
    for (const auto& entry : check.setup.entries) {
        std::string folded = FoldNameCase(entry.name);
        if (entry.folder || folded.rfind(prefix, 0) != 0) continue;
        if (!state.installed.count(folded.substr(prefix.size())))
            check.Add(entry.name, 0, Severity::Warning, "no copy line installs it");
    }
}

void CheckAddScript(SetupCheck& check, const SetupTextFile& file) {
    size_t firstHeader = 0;
    while (firstHeader < file.lines.size() && !IsSectionHeader(file.lines[firstHeader])) ++firstHeader;
    if (firstHeader == file.lines.size() && !file.lines.empty()) {
        check.Add(file.name, 1, Severity::Warning,
                  "no header (a line holding \"[\"): the lines merge under every empty line of the record");
    } else {
        for (size_t i = 0; i < firstHeader; ++i)
            check.Add(file.name, static_cast<int>(i + 1), Severity::Warning,
                      Quoted(file.lines[i]) + " stands before the first header: it merges under " +
                          Quoted(file.lines[firstHeader]));
    }
    NoteBlankLines(check, file, "taken as an empty entry line of its section");
    NoteRepeatedLines(check, file);
}

void CheckUninstallFiles(SetupCheck& check) {
    bool wholeRecord = check.setup.IsPresent(SourceUninstall);
    LoadSetupFile(check, SourceUninstall, Opening::AfterTest);
    for (const char* name : {SourceUninstallClearScript, SourceUninstallAddScript}) {
        auto file = LoadSetupFile(check, name, Opening::AfterTest);
        if (!file) continue;
        if (wholeRecord) {
            check.Add(name, 0, Severity::Warning,
                      "ignored: " + std::string(SourceUninstall) + " replaces the target's record");
        } else if (file->name == SourceUninstallAddScript) {
            CheckAddScript(check, *file);
        } else {
            NoteBlankLines(check, *file, "it removes the record's empty lines");
            NoteRepeatedLines(check, *file);
        }
    }
}

void CheckOldVersions(SetupCheck& check, const PackageState& state) {
    auto file = LoadSetupFile(check, SourceOldVersions, Opening::AfterTest);
    if (!file) return;
    for (size_t i = 0; i < file->lines.size(); ++i) {
        if (!file->lines[i].empty() && file->lines[i] == state.package.PackVersion)
            check.Add(file->name, static_cast<int>(i + 1), Severity::Warning,
                      "lists this package's own version " + Quoted(file->lines[i]) +
                          ": once installed, setup refuses to install it again");
    }
    NoteBlankLines(check, *file, "it matches an empty package version");
    NoteRepeatedLines(check, *file);
}

}  // namespace

Package CheckPackageFiles(SetupCheck& check) {
    PackageState state;
    CheckPackIni(check, state);
    CheckVersions(check);
    std::string packageSub = state.folderSafe ? state.package.PackageFolderIn("") : "";
    CheckScript(check, state, SourceDeleteScript, false, "");
    CheckScript(check, state, SourceTargetCopyScript, true, "");
    CheckScript(check, state, SourcePackageCopyScript, true, packageSub);
    CheckUnusedPackFiles(check, state);
    CheckUninstallFiles(check);
    CheckOldVersions(check, state);
    return state.package;
}
