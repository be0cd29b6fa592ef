// The package folder inside the chosen target, where the package's files and
// its version stamps go. Pure string work, no Windows header.
#pragma once
#include <string>

// target + "\" + PackBaseFolder + "\" + PackName, each level only when set.
std::string PackageFolderIn(const std::string& target);
