// The checks of a setup folder: each file read as setup.exe reads it, with the
// rules setup.exe applies, and what would go wrong or not as meant reported
// with its file and line.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/package.h"
#include "packcheck/findings.h"
#include "packcheck/folder_tree.h"

std::vector<Finding> CheckSetupFolder(const FolderTree& setup);

// What the checks of one setup folder share.
struct SetupCheck {
    const FolderTree& setup;
    std::vector<Finding>& findings;

    void Add(const std::string& file, int line, Severity severity, const std::string& text) {
        findings.push_back({file, line, severity, text});
    }
};

// A text file of the setup folder and its lines by the text-file rules.
struct SetupTextFile {
    std::string name;
    std::vector<std::string> lines;
};

// How setup reaches a file: after its existence test (a file dated before
// 1980 then counts as absent), or by opening it straight away.
enum class Opening { AfterTest, Direct };

// The file's lines, reporting NUL and Ctrl-Z bytes and UTF-8 text in it;
// nothing when setup would not read it (absent, or dated before 1980 and
// tested first, which is reported) or it cannot be read (reported).
std::optional<SetupTextFile> LoadSetupFile(SetupCheck& check, const std::string& name, Opening opening);
// Notes for empty lines (what one does is `meaning`).
void NoteBlankLines(SetupCheck& check, const SetupTextFile& file, const std::string& meaning);
// Notes for lines that repeat an earlier non-empty line.
void NoteRepeatedLines(SetupCheck& check, const SetupTextFile& file);
// True when all the bytes form UTF-8 and some character takes several bytes.
bool LooksLikeUtf8(const std::string& bytes);
// "\"text\"" for a finding.
std::string Quoted(const std::string& text);

// The package files of Source; returns the package description (empty fields
// when Pack.ini is missing).
Package CheckPackageFiles(SetupCheck& check);
// The language files and the about text each language would show.
void CheckLanguageFiles(SetupCheck& check, const Package& package);
