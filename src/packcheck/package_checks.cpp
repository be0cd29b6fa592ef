// The checks of Source: Pack.ini, Versions.ini, the scripts and PACK, the
// uninstall files and OldVersions.ini.
#include <algorithm>
#include <map>
#include <set>

#include "base/ascii.h"
#include "base/package.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_lines.h"
#include "engine/install_run.h"
#include "engine/script_safety.h"
#include "engine/uninstall_merge.h"
#include "packcheck/name_checks.h"
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
    // Copy lines whose source is missing, told once the unused files are known.
    struct MissingSource {
        std::string script;
        int line;
        std::string source;  // relative to PACK
    };
    std::vector<MissingSource> missing;
    // What the install creates below the target (folded): files, and the folders of the package folder.
    std::map<std::string, std::string> createdFiles, createdFolders;  // folded -> as written
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

// Lines past the eighth field: most often a comment written with one "/"
// (or "\\"), which is a field, so every field after it moved down by one.
void CheckExtraFields(SetupCheck& check, const SetupTextFile& file, const PackageState& state) {
    std::string count = std::to_string(state.fieldLines.size()) + " field lines, not " + std::to_string(PackIniFields);
    for (size_t field = 0; field < state.fieldLines.size(); ++field) {
        const std::string& line = file.lines[state.fieldLines[field] - 1];
        if (line.empty() || (line[0] != '/' && line[0] != '\\')) continue;
        std::string mark(1, line[0]);
        check.Add(PackIni, state.fieldLines[field], Severity::Error,
                  count + ": this line starts with one " + Quoted(mark) + ", so it is field " +
                      std::to_string(field + 1) + ", not a comment, and every field after it moves down by one; "
                      "start a comment with " + Quoted(mark + mark));
        return;
    }
    check.Add(PackIni, state.fieldLines[PackIniFields], Severity::Error,
              count + ": setup ignores the lines from here on; a field line too many above (a comment missing one "
              "\"/\"?) moves every field after it down by one");
}

// What a field's value looks like when it is plainly another field's.
std::string LooksLike(const std::string& value) {
    if (value == "New") return "the mode (field 8)";
    if (value.size() > 4 && EqualsAsciiNoCase(value.substr(value.size() - 4), ".exe")) return "an executable (field 3)";
    bool digits = !value.empty() && value.find_first_not_of("0123456789.") == std::string::npos;
    if (digits && value.find('.') != std::string::npos) return "a version (field 6)";
    return "";
}

void CheckFieldLooks(SetupCheck& check, const PackageState& state) {
    const Package& p = state.package;
    std::string version = LooksLike(p.PackVersion);
    if (version.empty() && !p.PackVersion.empty() && p.PackVersion.find_first_of("0123456789") == std::string::npos)
        version = "a name (it holds no digit)";
    if (!version.empty() && version != "a version (field 6)")
        check.Add(PackIni, FieldLine(state, 6), Severity::Warning,
                  "package version " + Quoted(p.PackVersion) + " looks like " + version +
                      ", not a version: is a field line above it missing, or one too many?");
    std::string base = LooksLike(p.PackBaseFolder);
    if (!base.empty())
        check.Add(PackIni, FieldLine(state, 7), Severity::Warning,
                  "base folder " + Quoted(p.PackBaseFolder) + " looks like " + base +
                      ", not a folder: is a field line above it missing, or one too many?");
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
    if (fields > PackIniFields) CheckExtraFields(check, *file, state);
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
    else if (!p.PackMode.empty() && p.PackMode != "New")
        check.Add(PackIni, FieldLine(state, 8), Severity::Warning,
                  "mode " + Quoted(p.PackMode) + " is neither empty nor \"New\": setup takes it as empty and writes the "
                  "version stamp and the components entry; leave the line empty or write New");
    CheckFieldLooks(check, state);
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

// The PACK files (relative to PACK), those no copy line installs first.
std::vector<std::string> PackFiles(const FolderTree& setup, const std::set<std::string>& installed) {
    const std::string prefix = FoldNameCase(std::string(PackFolder) + "\\");
    std::vector<std::string> unused, used;
    for (const auto& entry : setup.entries) {
        std::string folded = FoldNameCase(entry.name);
        if (entry.folder || folded.rfind(prefix, 0) != 0) continue;
        (installed.count(folded.substr(prefix.size())) ? used : unused).push_back(entry.name.substr(prefix.size()));
    }
    unused.insert(unused.end(), used.begin(), used.end());
    return unused;
}

// True when the line copies a file.
bool CheckCopySource(SetupCheck& check, PackageState& state, const std::string& script, int number,
                     const std::string& line) {
    std::string source = std::string(PackFolder) + "\\" + line;
    std::string normal;
    if (NormalRelativePath(line, normal)) state.installed.insert(FoldNameCase(normal));
    const TreeEntry* entry = check.setup.Find(source);
    if (!entry) {
        state.missing.push_back({script, number, normal.empty() ? line : normal});
    } else if (entry->folder) {
        check.Add(script, number, Severity::Warning, source + " is a folder: the line copies nothing");
    } else if (!entry->dosDated) {
        check.Add(script, number, Severity::Warning,
                  source + " is dated before 1980: setup takes it as absent and copies nothing");
    }
    return entry && !entry->folder && entry->dosDated;
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
        } else if (std::string reserved = ReservedNameIn(ScriptLineRelative(line)); !reserved.empty()) {
            check.Add(script, number, Severity::Error,
                      Quoted(line) + " holds " + Quoted(reserved) +
                          ", a name setup keeps for its own run (the old files it moves aside, the files it writes, "
                          "its journal), so the run could take this file for one of its own; rename the file");
        } else if (copies) {
            std::string relative = ScriptLineRelative(line);
            std::string normal;
            if (CheckCopySource(check, state, script, number, relative) && NormalRelativePath(relative, normal)) {
                std::string sub = subFolder.empty() ? "" : subFolder.substr(1);
                std::string path = sub.empty() ? normal : sub + "\\" + normal;
                state.createdFiles.emplace(FoldNameCase(path), path);
                for (std::string folder = FolderOf(normal); !sub.empty() && !folder.empty(); folder = FolderOf(folder))
                    state.createdFolders.emplace(FoldNameCase(sub + "\\" + folder), sub + "\\" + folder);
            }
        }
    }
    NoteRepeatedLines(check, *file);
}

// A missing source and a file no line installs are one slip when their names are close.
void CheckUnusedPackFiles(SetupCheck& check, const PackageState& state) {
    std::vector<std::string> files = PackFiles(check.setup, state.installed);
    std::set<std::string> explained;
    for (const auto& missing : state.missing) {
        std::string source = std::string(PackFolder) + "\\" + missing.source;
        auto close = std::find_if(files.begin(), files.end(),
                                  [&](const std::string& file) { return NamesAreClose(missing.source, file); });
        std::string text = source + " is missing: setup passes over the line and copies nothing";
        if (close == files.end()) {
            check.Add(missing.script, missing.line, Severity::Error, text + "; add the file or remove the line");
            continue;
        }
        bool unused = !state.installed.count(FoldNameCase(*close));
        if (unused) explained.insert(FoldNameCase(*close));
        check.Add(missing.script, missing.line, Severity::Error,
                  text + "; did you mean " + *close + (unused ? ", which no copy line installs?" : "?"));
    }
    const std::string prefix = std::string(PackFolder) + "\\";
    for (const auto& file : files) {
        std::string folded = FoldNameCase(file);
        if (state.installed.count(folded) || explained.count(folded)) continue;
        check.Add(prefix + file, 0, Severity::Warning, "no copy line installs it");
    }
    for (const auto& entry : check.setup.entries) {
        if (entry.readOnly && FoldNameCase(entry.name).rfind(FoldNameCase(prefix), 0) == 0)
            check.Add(entry.name, 0, Severity::Warning,
                      "read-only: an installed file must not stay read-only, or the next update of that copy cannot "
                      "replace it; clear the attribute (chmod u+w, attrib -r)");
    }
}

// The add script against what the install creates, so that the target's own
// uninstaller removes the package whole: the copied files, the stamps, the
// package folder and the folders the copies make in it.
void CheckAddScriptNames(SetupCheck& check, const SetupTextFile& file, const PackageState& state) {
    const Package& p = state.package;
    std::string packageFolder = state.folderSafe ? p.PackageFolderIn("") : "";
    if (!packageFolder.empty()) packageFolder.erase(0, 1);
    auto files = state.createdFiles, folders = state.createdFolders;
    auto add = [](std::map<std::string, std::string>& to, const std::string& path) { to.emplace(FoldNameCase(path), path); };
    auto inPackage = [&](const std::string& name) { return packageFolder.empty() ? name : packageFolder + "\\" + name; };
    if (p.PackMode != "New") add(files, inPackage(VersionStampName));
    if (check.setup.IsPresent(SourceOldVersions)) add(files, inPackage(OldVersionsName));
    if (!packageFolder.empty()) add(folders, packageFolder);
    std::set<std::string> named;
    auto allowed = folders;
    // The base folder may be shared with other packages: naming it is the author's choice.
    for (std::string folder = FolderOf(packageFolder); !folder.empty(); folder = FolderOf(folder)) add(allowed, folder);
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const std::string& line = file.lines[i];
        std::string normal;
        if (line.empty() || IsSectionHeader(line) || !NormalRelativePath(ScriptLineRelative(line), normal) || normal.empty())
            continue;
        std::string folded = FoldNameCase(normal);
        named.insert(folded);
        if (!files.count(folded) && !allowed.count(folded))
            check.Add(file.name, static_cast<int>(i + 1), Severity::Warning,
                      Quoted(line) + " names a file or folder the install does not create: the target's uninstaller "
                                     "finds nothing of this package there");
    }
    std::vector<std::string> unnamed;
    for (const auto* set : {&files, &folders}) {
        for (const auto& [folded, name] : *set) {
            if (!named.count(folded)) unnamed.push_back(name);
        }
    }
    for (const auto& name : unnamed)
        check.Add(file.name, 0, Severity::Warning,
                  "no line names " + name + ", which the install creates: the target's uninstaller leaves it behind");
}

void CheckAddScript(SetupCheck& check, const SetupTextFile& file, const PackageState& state) {
    CheckAddScriptNames(check, file, state);
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

void CheckUninstallFiles(SetupCheck& check, const PackageState& state) {
    bool wholeRecord = check.setup.IsPresent(SourceUninstall);
    LoadSetupFile(check, SourceUninstall, Opening::AfterTest);
    for (const char* name : {SourceUninstallClearScript, SourceUninstallAddScript}) {
        auto file = LoadSetupFile(check, name, Opening::AfterTest);
        if (!file) continue;
        if (wholeRecord) {
            check.Add(name, 0, Severity::Warning,
                      "ignored: " + std::string(SourceUninstall) + " replaces the target's record");
        } else if (file->name == SourceUninstallAddScript) {
            CheckAddScript(check, *file, state);
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
    CheckUninstallFiles(check, state);
    CheckOldVersions(check, state);
    return state.package;
}
