// The package file copy with its shell fallback, on the disk.
#pragma once
#include <string>

// Creates the destination's folders, copies over any existing file, falls back
// to the shell's copy; true when the destination is present afterwards. Paths
// too long for the ANSI functions are copied with the wide-character ones.
bool CopyPackageFile(const std::string& source, const std::string& destination);
// SHFileOperationA copy of one file into a folder; true when the shell reports success.
bool ShellCopyToFolder(const std::string& source, const std::string& folder);
