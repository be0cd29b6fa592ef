// The file-system questions every layer asks: the one existence test, folders,
// and the program's own path.
#pragma once
#include <string>

// True when the path names an entry that is not a folder and whose last-write
// time converts to an MS-DOS date (so files stamped before 1980 count as
// absent). A path with pattern characters is taken as a search pattern.
bool FileIsPresent(const std::string& path);
bool FolderExists(const std::string& folder);
// False when the drive or share the path lives on cannot be reached now (a disk
// unplugged, a share offline, a drive letter not mapped); true for a relative path.
bool PathRootIsReachable(const std::string& path);
// Creates the folder with all missing parents; false when it does not exist afterwards.
bool CreateFolderTree(const std::string& folder);
// The full path of the program's own executable, whatever its length.
std::string OwnExecutablePath();
