// Locating the target program's executable from a folder the user picked.
#pragma once
#include <string>

// The first of the folder and its four ancestors that holds `exeName` as a
// file, or "" when none does. Empty candidates are not tested.
std::string FindExeFolder(const std::string& folder, const std::string& exeName);
