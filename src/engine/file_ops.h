// The file operations the engine rests on: the one existence test, the script
// line counter, and the package file copy with its shell fallback.
#pragma once
#include <string>

// True when the path names an entry that is not a folder and whose last-write
// time converts to an MS-DOS date (so files stamped before 1980 count as absent).
bool FileIsPresent(const std::string& path);
// Number of text lines of the file; 0 when it is not present. Throws FileError.
int CountScriptLines(const std::string& path);
// Creates the destination's folders, copies over any existing file, falls back
// to the shell's copy; true when the destination is present afterwards.
bool CopyPackageFile(const std::string& source, const std::string& destination);
// SHFileOperationA copy of one file into a folder; true when the shell reports success.
bool ShellCopyToFolder(const std::string& source, const std::string& folder);
// Creates the folder with all missing parents; false when it does not exist afterwards.
bool CreateFolderTree(const std::string& folder);
