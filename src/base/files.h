// The file-system questions every layer asks: the one existence test, folders,
// and the program's own path. Paths too long for the ANSI functions are
// reached through the wide-character ones.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>

// True when the path names an entry that is not a folder and whose last-write
// time converts to an MS-DOS date (so files stamped before 1980 count as
// absent). A path with pattern characters is taken as a search pattern.
bool FileIsPresent(const std::string& path);
bool FolderExists(const std::string& folder);
// False when the drive or share the path lives on cannot be reached now (a disk
// unplugged, a share offline, a drive letter not mapped); true for a relative path.
bool PathRootIsReachable(const std::string& path);
// PathRootIsReachable asked once per root: an offline share answers only after
// a network time-out, so a run that meets its records many times waits once.
class RootReachability {
public:
    explicit RootReachability(std::function<bool(const std::string&)> probe = PathRootIsReachable)
        : probe_(std::move(probe)) {}
    bool IsReachable(const std::string& path);

private:
    std::function<bool(const std::string&)> probe_;
    std::map<std::string, bool> known_;  // root, ASCII letters folded -> its answer
};
// Creates the folder with all missing parents; false when it does not exist afterwards.
bool CreateFolderTree(const std::string& folder);
// The full path of the program's own executable, whatever its length.
std::string OwnExecutablePath();

// True when the path is too long for the ANSI file functions (a folder to be
// created must leave room for an 8.3 name, so the bound is MAX_PATH - 12).
bool NeedsExtendedLength(const std::string& path);
// The path as the wide-character functions take it beyond MAX_PATH: converted
// from the ANSI code page, made full ("/", "." and ".." resolved as the system
// does) and prefixed "\\?\" ("\\?\UNC\" for a share). Empty when the system
// cannot convert it.
std::wstring ExtendedLengthPath(const std::string& path);
