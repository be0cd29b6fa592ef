#include "base/files.h"

#include <windows.h>

#include "base/handles.h"
#include "base/paths.h"

// Pattern characters, the DOS ones included, that make a path a search pattern.
static bool IsPattern(const std::string& path) { return path.find_first_of("*?<>\"") != std::string::npos; }

static bool HasDosTime(const FILETIME& lastWrite) {
    FILETIME local;
    WORD dosDate = 0, dosTime = 0;
    return FileTimeToLocalFileTime(&lastWrite, &local) && FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

bool FileIsPresent(const std::string& path) {
    // A plain path names one entry: its attributes say as much as a search,
    // and under Wine a search costs some fifteen times more.
    if (!IsPattern(path)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(data.ftLastWriteTime);
    }
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (!find.valid()) return false;
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(data.ftLastWriteTime);
}

bool FolderExists(const std::string& folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathRootIsReachable(const std::string& path) {
    std::string root = PathRoot(path);
    if (root.empty()) return true;
    // An empty removable drive must not ask the user to insert a disk.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    bool reachable = GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    SetErrorMode(oldMode);
    return reachable;
}

bool CreateFolderTree(const std::string& folder) {
    if (folder.empty() || FolderExists(folder)) return !folder.empty();
    size_t cut = folder.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && folder[cut - 1] != ':') CreateFolderTree(folder.substr(0, cut));
    CreateDirectoryA(folder.c_str(), nullptr);
    return FolderExists(folder);
}

std::string OwnExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}
