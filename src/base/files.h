// The file-system questions every layer asks: the one existence test, folders,
// and the program's own path.
#pragma once
#include <string>

// True when the path names an entry that is not a folder and whose last-write
// time converts to an MS-DOS date (so files stamped before 1980 count as
// absent). A path with pattern characters is taken as a search pattern.
bool FileIsPresent(const std::string& path);
bool FolderExists(const std::string& folder);
// Creates the folder with all missing parents; false when it does not exist afterwards.
bool CreateFolderTree(const std::string& folder);
// The full path of the program's own executable, whatever its length.
std::string OwnExecutablePath();
