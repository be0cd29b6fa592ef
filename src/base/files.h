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
// `size`, when given, receives the file's size when it is present; `facts`
// what a copy of it needs to know besides.
struct FileFacts {
    long long size = -1;
    unsigned long attributes = 0;
    unsigned long long written = 0;  // last-write time, as a FILETIME
};
bool FileIsPresent(const std::string& path, long long* size = nullptr, FileFacts* facts = nullptr);
bool FolderExists(const std::string& folder);
// An entry that is not a folder, whatever its time stamp: the test for files
// the program edits, where an old date must not read as "absent".
bool FileExists(const std::string& path);
// The entry's attributes; INVALID_FILE_ATTRIBUTES (all bits set) when there is none.
unsigned long PathAttributes(const std::string& path);
bool SetPathAttributes(const std::string& path, unsigned long attributes);
// The file's size in bytes; -1 when there is no such entry.
long long PathSize(const std::string& path);
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
// The single file and folder operations, each one system call (the wide one
// beyond MAX_PATH); false when the system refused.
bool RenamePath(const std::string& from, const std::string& to, unsigned long moveFlags);
bool DeletePath(const std::string& path);
// A second name for an existing file (a hard link); false where the volume has none.
bool LinkPath(const std::string& existing, const std::string& link);
// Renames a file through a handle opened with DELETE access: no second open of
// it. False when the system refuses, or has no such call (before Vista).
bool RenameOpenFile(void* file, const std::string& to, bool replace);
bool MakeFolder(const std::string& folder);
bool RemoveEmptyFolder(const std::string& folder);
// CreateFile, A or W by the path's length; INVALID_HANDLE_VALUE when refused.
void* OpenFilePath(const std::string& path, unsigned long access, unsigned long sharing, unsigned long disposition,
                   unsigned long flags);
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
