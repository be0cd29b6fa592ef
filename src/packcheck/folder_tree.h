// A folder as setup.exe sees it: every file and folder below a root, found by
// Windows-style relative paths whose names match without letter case, read
// whole. The disk behind it is folder_access.h; tests fill one in memory.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct TreeEntry {
    std::string name;      // relative path, "\" between names, in the ANSI code page
    std::string diskName;  // the same path as the platform opens it
    bool folder = false;
    bool dosDated = true;  // its last-write time fits an MS-DOS date, so setup counts it as present
    // The read-only attribute (on Linux: no write permission for anyone, as
    // Wine shows such a file). Setup can neither replace nor copy over it.
    bool readOnly = false;
    // A symbolic link, junction or other reparse point: what is done below it
    // happens wherever it leads.
    bool link = false;
};

class FolderTree {
public:
    std::string root;  // as given, without a trailing separator
    std::vector<TreeEntry> entries;
    bool inMemory = false;
    std::map<std::string, std::string> memory;  // diskName -> bytes, when inMemory

    // Lists the folder on the disk; false when it cannot be listed.
    bool Load(const std::string& folder);
    // A tree of files held in memory; folders follow from the names.
    static FolderTree InMemory(const std::map<std::string, std::string>& files);

    // The entry the path names: "\" or "/" between names, "." and ".." taken
    // as the system takes them; nullptr when there is none or it climbs out.
    const TreeEntry* Find(const std::string& relative) const;
    // The existence test setup makes: a file (not a folder) with an MS-DOS date.
    bool IsPresent(const std::string& relative) const;
    // The file's bytes; nothing when it cannot be read.
    std::optional<std::string> Read(const TreeEntry& entry) const;
    // Whether this process can really write there (a file opened for writing,
    // a file created in a folder; "" is the root), whatever the attributes
    // say. Asked once per name.
    bool CanWrite(const std::string& relative) const;
    // In memory: the names (as listed) that cannot be written.
    std::set<std::string> unwritable;

private:
    std::map<std::string, size_t> index_;  // folded name -> entry
    mutable std::map<std::string, bool> writable_;  // folded name -> answer
    void Index();
};

// The path with "/" as "\", "." dropped and ".." resolved; false when it climbs
// above its root.
bool NormalRelativePath(const std::string& path, std::string& normal);
// The name with its letters folded as Windows folds file names: Latin and
// Windows-1251 Cyrillic letters to lower case.
std::string FoldNameCase(std::string name);
