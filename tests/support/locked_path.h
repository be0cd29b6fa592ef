// A file or folder this user may not change, made from the Linux side under
// Wine: immutable where the tests run as root (who ignores permissions),
// without write permission otherwise. Unlocked again when it goes.
#pragma once
#include <string>

class LockedPath {
public:
    explicit LockedPath(std::string path);
    ~LockedPath();
    LockedPath(const LockedPath&) = delete;
    LockedPath& operator=(const LockedPath&) = delete;
    // False when neither way works here: the test should skip.
    bool locked() const;
    void Unlock();

private:
    std::string path_;
    std::string unix_;
};

// True when this process may create a file in the folder (tried, then removed).
bool FolderTakesFiles(const std::string& folder);
