// Paths derived from the chosen target: the folder of a copy's executable and
// the package folder inside the target. Pure string work, no Windows header.
#pragma once
#include <string>

// The path up to its last backslash, keeping the backslash of a drive root
// ("C:\x.exe" gives "C:\"); "" for a path without a backslash.
std::string FolderOfPath(const std::string& path);
// target + "\" + PackBaseFolder + "\" + PackName, each level only when set.
std::string PackageFolderIn(const std::string& target);
