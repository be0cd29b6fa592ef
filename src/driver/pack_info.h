// The package description: the eight positional fields of Source\Pack.ini and
// the about text block of Source\aboutPack.ini. Pure: callers hand in lines.
#pragma once
#include <string>
#include <vector>

extern std::string PackTitle;        // caption of the window and title over the banner
extern std::string PackProgramName;  // the target program's name
extern std::string PackExeName;      // the target's executable, relative to its folder
extern std::string PackWindowClass;  // the target's top-level window class
extern std::string PackName;         // the package's folder inside the target
extern std::string PackVersion;      // the package's version identifier
extern std::string PackBaseFolder;   // the folder level between the target and PackName
extern std::string PackMode;         // "New": no version stamp, no components entry

// Fills the eight fields from the file's lines: every non-comment line, empty
// ones included, is the next field; fields the lines do not reach become empty.
void ApplyPackIniLines(const std::vector<std::string>& lines);

// The about text for the language key `currentLanguage` ("Russian" or a
// language file's name), or "" when the file offers none.
std::string ExtractAboutText(const std::vector<std::string>& lines, const std::string& currentLanguage);

// ASCII-only case folding: A-Z become a-z, every other byte stays.
std::string AsciiLower(std::string text);
bool EqualsAsciiNoCase(const std::string& a, const std::string& b);
