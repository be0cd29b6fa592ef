#include <windows.h>

#include <algorithm>

#include "base/files.h"
#include "base/handles.h"
#include "base/paths.h"
#include "driver/running_check.h"
#include "packcheck/folder_access.h"

const char NativeSeparator = '\\';

static bool ListInto(const std::string& root, const std::string& relative, std::vector<TreeEntry>& entries) {
    std::string folder = relative.empty() ? root : JoinPath(root, relative);
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(JoinPath(folder, "*").c_str(), &data));
    if (!find.valid()) return false;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = relative.empty() ? name : JoinPath(relative, name);
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // Setup's own existence test decides whether a file counts.
        entries.push_back({path, path, folder, folder || FileIsPresent(JoinPath(root, path)),
                           !folder && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
        // A junction could lead back up the tree: its contents are not listed.
        if (folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListInto(root, path, entries);
    } while (FindNextFileA(find.get(), &data));
    return true;
}

bool ListFolderTree(const std::string& root, std::vector<TreeEntry>& entries) {
    if (!FolderExists(root) || !ListInto(root, "", entries)) return false;
    std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& root, const std::string& diskName) {
    FileHandle file(CreateFileA(JoinPath(root, diskName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(chunk, got);
    }
}

// Opening a file for writing changes nothing; a folder is asked by creating a
// uniquely named file in it that the system deletes when it is closed.
bool CanWriteOnDisk(const std::string& root, const std::string& diskName, bool folder) {
    std::string path = diskName.empty() ? root : JoinPath(root, diskName);
    if (!folder) {
        FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.valid() || GetLastError() == ERROR_SHARING_VIOLATION;
    }
    std::string probe = JoinPath(path, "packcheck-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                                           std::to_string(GetTickCount()) + ".tmp");
    FileHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid() || GetLastError() == ERROR_FILE_EXISTS;
}

std::optional<unsigned long long> FreeBytesOnVolume(const std::string& folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

bool TargetRunsFrom(const Package& package, const std::string& folder) { return IsTargetRunning(package, folder); }

void PrepareConsole() { SetConsoleOutputCP(GetACP()); }

std::string ConsoleText(const std::string& ansi) { return ansi; }
