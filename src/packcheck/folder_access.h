// The disk under packcheck, one implementation per platform: the C++ library's
// file system on Linux (names seen in Windows-1251 as setup sees them on a
// Russian system), the ANSI API on Windows (MinGW's library would take narrow
// names in another code page). Also the console's text encoding and the
// running programs.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/package.h"
#include "packcheck/folder_tree.h"

// Every file and folder below the root, parents before their contents; false
// when the root is no folder that can be listed.
bool ListFolderTree(const std::string& root, std::vector<TreeEntry>& entries);
std::optional<std::string> ReadWholeFile(const std::string& root, const std::string& diskName);
// Whether the process can write the file or create a file in the folder
// (diskName "" is the root): what the system allows this process, not the
// permission bits or attribute alone. Changes nothing that stays.
bool CanWriteOnDisk(const std::string& root, const std::string& diskName, bool folder);
// Free bytes for this process on the folder's volume; nothing when unknown.
std::optional<unsigned long long> FreeBytesOnVolume(const std::string& folder);
// Setup's own running check: a window of the package's class whose process
// runs the folder's executable. Always false on Linux, which runs no such program.
bool TargetRunsFrom(const Package& package, const std::string& folder);

// Separator between the folder given on the command line and the names below it.
extern const char NativeSeparator;
// Sets the console up for ANSI text (Windows) or nothing (Linux).
void PrepareConsole();
// ANSI text as the console shows it: UTF-8 on Linux, unchanged on Windows.
std::string ConsoleText(const std::string& ansi);
