// The package description: the eight positional fields of Source\Pack.ini that
// tie the package to its target program. Read once at start-up, then only
// read. Pure: the file's lines are handed in.
#pragma once
#include <string>
#include <vector>

#include "base/package_layout.h"

struct Package {
    std::string PackTitle;        // caption of the window and title over the banner
    std::string PackProgramName;  // the target program's name
    std::string PackExeName;      // the target's executable, relative to its folder
    std::string PackWindowClass;  // the target's top-level window class
    std::string PackName;         // the package's folder inside the target
    std::string PackVersion;      // the package's version identifier
    std::string PackBaseFolder;   // the folder level between the target and PackName
    std::string PackMode;         // "New": no version stamp, no components entry

    // Where the package's files and stamps go below the target folder.
    std::string PackageFolderIn(const std::string& target) const;
    // PackName + "/" + PackVersion: the line that records this package as installed.
    std::string InstalledEntry() const { return PackName + "/" + PackVersion; }
};

constexpr int PackIniFields = 8;

// The fields from the file's lines: every non-comment line, empty ones
// included, is the next field; fields the lines do not reach stay empty.
Package ParsePackIni(const std::vector<std::string>& lines);
