#include "base/files.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/ascii.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/system_library.h"

// Pattern characters, the DOS ones included, that make a path a search pattern.
static bool IsPattern(const std::string& path) { return path.find_first_of("*?<>\"") != std::string::npos; }

static bool HasDosTime(const FILETIME& lastWrite) {
    FILETIME local;
    WORD dosDate = 0, dosTime = 0;
    return FileTimeToLocalFileTime(&lastWrite, &local) && FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

static bool AttributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (!NeedsExtendedLength(path)) return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0;
    std::wstring wide = ExtendedLengthPath(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) != 0;
}

template <typename Data>
static bool PresentEntry(const Data& data, long long* size, FileFacts* facts) {
    if (size) *size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (facts) {
        facts->size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        facts->attributes = data.dwFileAttributes;
        facts->written = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
    }
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(data.ftLastWriteTime);
}

bool FileIsPresent(const std::string& path, long long* size, FileFacts* facts) {
    // A plain path names one entry: its attributes say as much as a search,
    // and under Wine a search costs some fifteen times more.
    if (!IsPattern(path)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        return AttributesOf(path, data) && PresentEntry(data, size, facts);
    }
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    return find.valid() && PresentEntry(data, size, facts);
}

bool FileExists(const std::string& path) {
    DWORD attributes = PathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long PathAttributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return AttributesOf(path, data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

// The wide form of a long path; the empty one (refused by every call) when it cannot be converted.
static std::wstring Wide(const std::string& path) { return ExtendedLengthPath(path); }

bool RenamePath(const std::string& from, const std::string& to, unsigned long flags) {
    if (!NeedsExtendedLength(from) && !NeedsExtendedLength(to)) return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags) != 0;
}

bool LinkPath(const std::string& existing, const std::string& link) {
    if (!NeedsExtendedLength(existing) && !NeedsExtendedLength(link))
        return CreateHardLinkA(link.c_str(), existing.c_str(), nullptr) != 0;
    return CreateHardLinkW(Wide(link).c_str(), Wide(existing).c_str(), nullptr) != 0;
}

bool RenameOpenFile(void* file, const std::string& to, bool replace) {
    // FILE_RENAME_INFO, spelled out: the headers declare it for Vista and later only.
    struct RenameInfo {
        union {
            BOOLEAN ReplaceIfExists;
            DWORD Flags;
        };
        HANDLE RootDirectory;
        DWORD FileNameLength;
        WCHAR FileName[1];
    };
    using SetInfoFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const auto setInfo = KernelFunctionAs<SetInfoFn>("SetFileInformationByHandle");
    const int FileRenameInfoClass = 3;
    // The system's own path form: "\??\" before the full path.
    std::wstring name = ExtendedLengthPath(to);
    if (!setInfo || name.size() < 4) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    name[1] = L'?';
    size_t bytes = name.size() * sizeof(WCHAR);
    std::vector<char> buffer(sizeof(RenameInfo) + bytes);
    auto* info = reinterpret_cast<RenameInfo*>(buffer.data());
    info->Flags = 0;
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(name.begin(), name.end(), info->FileName);
    return setInfo(file, FileRenameInfoClass, info, static_cast<DWORD>(buffer.size())) != 0;
}

long long PathSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!AttributesOf(path, data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SetPathAttributes(const std::string& path, unsigned long attributes) {
    if (!NeedsExtendedLength(path)) return SetFileAttributesA(path.c_str(), attributes) != 0;
    return SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

bool DeletePath(const std::string& path) {
    if (!NeedsExtendedLength(path)) return DeleteFileA(path.c_str()) != 0;
    return DeleteFileW(Wide(path).c_str()) != 0;
}

bool MakeFolder(const std::string& folder) {
    if (!NeedsExtendedLength(folder)) return CreateDirectoryA(folder.c_str(), nullptr) != 0;
    return CreateDirectoryW(Wide(folder).c_str(), nullptr) != 0;
}

bool RemoveEmptyFolder(const std::string& folder) {
    if (!NeedsExtendedLength(folder)) return RemoveDirectoryA(folder.c_str()) != 0;
    return RemoveDirectoryW(Wide(folder).c_str()) != 0;
}

void* OpenFilePath(const std::string& path, unsigned long access, unsigned long sharing, unsigned long disposition,
                   unsigned long flags) {
    if (!NeedsExtendedLength(path)) return CreateFileA(path.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
    std::wstring wide = Wide(path);
    if (wide.empty()) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
}

bool FolderExists(const std::string& folder) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return AttributesOf(folder, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every level of the "\\?\" path, from the top: the levels that exist or
// cannot be made (the prefix, the drive, the share) refuse quietly.
static bool CreateExtendedFolderTree(const std::wstring& folder) {
    for (size_t cut = folder.find(L'\\', 4); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1)) {
        CreateDirectoryW(folder.substr(0, cut).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
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

bool RootReachability::IsReachable(const std::string& path) {
    std::string root = AsciiLower(PathRoot(path));
    auto known = known_.find(root);
    if (known != known_.end()) return known->second;
    bool reachable = root.empty() || probe_(path);
    known_.emplace(root, reachable);
    return reachable;
}

bool CreateFolderTree(const std::string& folder) {
    if (folder.empty() || FolderExists(folder)) return !folder.empty();
    if (NeedsExtendedLength(folder)) {
        std::wstring wide = ExtendedLengthPath(folder);
        return !wide.empty() && CreateExtendedFolderTree(wide);
    }
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

bool NeedsExtendedLength(const std::string& path) { return path.size() >= MAX_PATH - 12; }

std::wstring ExtendedLengthPath(const std::string& path) {
    int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
    std::wstring full(wide.size() + MAX_PATH, L'\0');
    for (;;) {
        DWORD got = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (got == 0) return L"";
        if (got < full.size()) {
            full.resize(got);
            break;
        }
        full.resize(got);
    }
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
