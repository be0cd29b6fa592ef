#include "packcheck/setup_check.h"

#include <algorithm>
#include <map>

#include "base/text_lines.h"

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<Finding> CheckSetupFolder(const FolderTree& setup) {
    std::vector<Finding> findings;
    SetupCheck check{setup, findings};
    CheckLanguageFiles(check, CheckPackageFiles(check));
    SortFindings(findings);
    return findings;
}

static int LineAt(const std::string& bytes, size_t offset) {
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(offset), '\n'));
}

// Length of the UTF-8 sequence at `i`, 0 when none starts there.
static size_t Utf8SequenceAt(const std::string& bytes, size_t i) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool LooksLikeUtf8(const std::string& bytes) {
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0) return false;
        multiByte = true;
        i += length;
    }
    return multiByte;
}

static void CheckBytes(SetupCheck& check, const std::string& name, const std::string& bytes) {
    size_t end = bytes.find('\x1A');
    if (end != std::string::npos && end + 1 < bytes.size())
        check.Add(name, LineAt(bytes, end), Severity::Warning,
                  "Ctrl-Z (byte 0x1A) ends the file here: setup never reads the rest");
    std::string read = bytes.substr(0, end);
    size_t nul = read.find('\0');
    if (nul != std::string::npos)
        check.Add(name, LineAt(read, nul), Severity::Warning, "NUL byte: where setup shows the line or uses it as a name, the text ends there");
    if (read.rfind("\xEF\xBB\xBF", 0) == 0) {
        check.Add(name, 1, Severity::Warning,
                  "starts with a UTF-8 byte-order mark: its three bytes become part of line 1");
    } else if (LooksLikeUtf8(read)) {
        size_t first = 0;
        while (static_cast<unsigned char>(read[first]) < 0x80) ++first;
        check.Add(name, LineAt(read, first), Severity::Warning,
                  "UTF-8 text (the file is likely saved as UTF-8): setup shows it garbled; save it as ANSI");
    }
}

std::optional<SetupTextFile> LoadSetupFile(SetupCheck& check, const std::string& name, Opening opening) {
    const TreeEntry* entry = check.setup.Find(name);
    if (!entry || entry->folder) return std::nullopt;
    if (opening == Opening::AfterTest && !entry->dosDated) {
        check.Add(name, 0, Severity::Warning, "dated before 1980: setup takes the file as absent");
        return std::nullopt;
    }
    std::optional<std::string> bytes = check.setup.Read(*entry);
    if (!bytes) {
        check.Add(name, 0, Severity::Error, "cannot be read: setup stops when it reads the file");
        return std::nullopt;
    }
    CheckBytes(check, name, *bytes);
    return SetupTextFile{name, SplitTextLines(*bytes)};
}

void NoteBlankLines(SetupCheck& check, const SetupTextFile& file, const std::string& meaning) {
    for (size_t i = 0; i < file.lines.size(); ++i) {
        if (file.lines[i].empty()) check.Add(file.name, static_cast<int>(i + 1), Severity::Note, "blank line: " + meaning);
    }
}

void NoteRepeatedLines(SetupCheck& check, const SetupTextFile& file) {
    std::map<std::string, size_t> seen;
    for (size_t i = 0; i < file.lines.size(); ++i) {
        if (file.lines[i].empty()) continue;
        auto [it, added] = seen.emplace(file.lines[i], i + 1);
        if (!added)
            check.Add(file.name, static_cast<int>(i + 1), Severity::Note, "repeats line " + std::to_string(it->second));
    }
}
