#include "engine/file_ops.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "base/files.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/system_library.h"

namespace {

// Files from this size on are copied a piece at a time with `keepGoing`
// between the pieces (Wine's CopyFileEx never calls a progress routine), so
// even a slow drive lets the window live every 50 ms or so; smaller ones take
// one system copy, as fast as there is.
const LONGLONG PiecewiseFrom = 256 << 10;

bool SystemCopy(const std::string& source, const std::string& destination) {
    if (!NeedsExtendedLength(source) && !NeedsExtendedLength(destination))
        return CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
    // Beyond MAX_PATH only the wide-character copy reaches.
    std::wstring from = ExtendedLengthPath(source);
    std::wstring to = ExtendedLengthPath(destination);
    return !from.empty() && !to.empty() && CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool CopyOnce(const std::string& source, const std::string& destination, const std::function<bool()>& keepGoing,
              long long sourceSize) {
    if (!keepGoing) return SystemCopy(source, destination);
    if ((sourceSize < 0 ? PathSize(source) : sourceSize) < PiecewiseFrom) return SystemCopy(source, destination);
    return CopyFileDurably(source, destination, keepGoing);
}

// A durable copy flushes the file it writes every so many bytes, so no single
// flush holds the window long, and once more at its end.
const DWORD DurablePiece = 256 << 10;
const unsigned long long FlushEvery = 8ull << 20;

// The attributes and times by name, long paths through the wide-character call.
bool SourceData(const std::string& source, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (!NeedsExtendedLength(source)) return GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &data) != 0;
    std::wstring wide = ExtendedLengthPath(source);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

FileIdentity HandleIdentity(void* file) {
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return identity;
    identity.size = static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    identity.written = (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                       info.ftLastWriteTime.dwLowDateTime;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // FAT volumes make an index up from the folder entry; zero means none.
    identity.hasIndex = identity.index != 0;
    return identity;
}

FileIdentity HandleIdentityOffVolume(void* file) {
    // NtQueryInformationFile's classes for the times, the size and the index:
    // what GetFileInformationByHandle tells, less the look at the volume.
    using QueryFn = LONG(WINAPI*)(HANDLE, void* status, void* data, ULONG length, int type);
    static const auto query =
        FunctionAs<QueryFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile"));
    const int BasicClass = 4, StandardClass = 5, InternalClass = 6;
    struct Basic {
        LARGE_INTEGER created, accessed, written, changed;
        ULONG attributes;
    } basic{};
    struct Standard {
        LARGE_INTEGER allocated, size;
        ULONG links;
        BOOLEAN deletePending, folder;
    } standard{};
    LARGE_INTEGER index{};
    void* status[2] = {};  // IO_STATUS_BLOCK
    FileIdentity identity;
    if (!query || query(file, status, &basic, sizeof basic, BasicClass) < 0 ||
        query(file, status, &standard, sizeof standard, StandardClass) < 0 ||
        query(file, status, &index, sizeof index, InternalClass) < 0) {
        identity = HandleIdentity(file);
        identity.volume = 0;
        return identity;
    }
    if (standard.folder) return identity;
    identity.size = standard.size.QuadPart;
    identity.written = static_cast<unsigned long long>(basic.written.QuadPart);
    identity.index = static_cast<unsigned long long>(index.QuadPart);
    identity.hasIndex = identity.index != 0;
    return identity;
}

bool CopyFileDurably(const std::string& source, const std::string& destination, const std::function<bool()>& keepGoing,
                     FileHandle* open, const FileFacts* known, bool onlyNew) {
    // The source's time and attributes by name: under Wine the information by
    // handle costs a look at the volume too, a small copy's dearest step.
    FileHandle from(OpenFilePath(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!from.valid()) return false;
    if (known) {
        info.dwFileAttributes = known->attributes;
        info.ftLastWriteTime.dwLowDateTime = static_cast<DWORD>(known->written);
        info.ftLastWriteTime.dwHighDateTime = static_cast<DWORD>(known->written >> 32);
    } else if (!SourceData(source, info)) {
        return false;
    }
    DWORD attributes = info.dwFileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    // A file handed back open may be renamed through its handle.
    FileHandle to(OpenFilePath(destination, GENERIC_WRITE | (open ? DELETE : 0), 0, onlyNew ? CREATE_NEW : CREATE_ALWAYS,
                               attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
    if (!to.valid()) return false;
    // Not cleared first: a small file's copy would pay for the whole piece.
    std::unique_ptr<char[]> piece(new char[DurablePiece]);
    unsigned long long unflushed = 0;
    bool copied = true;
    for (;;) {
        DWORD got = 0, wrote = 0;
        if (keepGoing && !keepGoing()) {
            SetLastError(ERROR_REQUEST_ABORTED);
            copied = false;
            break;
        }
        if (!ReadFile(from.get(), piece.get(), DurablePiece, &got, nullptr)) {
            copied = false;
            break;
        }
        if (got == 0) break;
        if (!WriteFile(to.get(), piece.get(), got, &wrote, nullptr) || wrote != got) {
            if (wrote != got) SetLastError(ERROR_DISK_FULL);
            copied = false;
            break;
        }
        unflushed += got;
        if (unflushed >= FlushEvery) {
            unflushed = 0;
            if (!FlushFileBuffers(to.get())) {
                copied = false;
                break;
            }
        }
    }
    copied = copied && SetFileTime(to.get(), nullptr, nullptr, &info.ftLastWriteTime) &&
             (open || FlushFileBuffers(to.get()));
    DWORD error = GetLastError();
    if (copied && open) {
        *open = std::move(to);
        return true;
    }
    copied = to.reset() && copied;
    if (!copied) {
        DeletePath(destination);
        SetLastError(error);
        return false;
    }
    return true;
}

bool ShellCopyToFolder(const std::string& source, const std::string& folder) {
    std::string from = source + '\0';  // the shell wants double-NUL-terminated lists
    std::string to = folder + '\0';
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_COPY;
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
    return SHFileOperationA(&operation) == 0;
}

// A copy's destination gets the source's attributes less read-only: a package
// on a CD or a mounted image must not leave files no later run can replace.
static void DropReadOnly(const std::string& destination) {
    DWORD attributes = PathAttributes(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetPathAttributes(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
}

static bool CopyWithFallbacks(const std::string& source, const std::string& destination,
                              const std::function<bool()>& keepGoing, long long sourceSize, DWORD& copyError);

bool CopyPackageFile(const std::string& source, const std::string& destination, const std::function<bool()>& keepGoing,
                     long long sourceSize) {
    DWORD copyError = ERROR_SUCCESS;
    if (CopyWithFallbacks(source, destination, keepGoing, sourceSize, copyError)) {
        DropReadOnly(destination);
        return true;
    }
    // The system copy's own reason, not that of a later look at the disk.
    SetLastError(copyError);
    return false;
}

static bool CopyWithFallbacks(const std::string& source, const std::string& destination,
                              const std::function<bool()>& keepGoing, long long sourceSize, DWORD& copyError) {
    // The folders are made only when the copy needs them: most copies go to
    // folders that are there already.
    if (CopyOnce(source, destination, keepGoing, sourceSize)) return true;
    copyError = GetLastError();
    if (copyError == ERROR_REQUEST_ABORTED) return false;
    std::string folder = FolderOf(destination);
    if (!FolderExists(folder)) {
        if (!CreateFolderTree(folder)) return false;
        if (CopyOnce(source, destination, keepGoing, sourceSize)) return true;
        copyError = GetLastError();
        if (copyError == ERROR_REQUEST_ABORTED) return false;
    }
    // The shell's copy is the last try, and only into a real folder, for a
    // destination that is not there (an old file was moved aside first), within
    // the shell's MAX_PATH: anywhere else it could write over a file of the user's.
    std::string name = destination.substr(folder.size());
    if (!FolderExists(folder) || PathAttributes(destination) != INVALID_FILE_ATTRIBUTES ||
        NeedsExtendedLength(source) || NeedsExtendedLength(destination) || source.size() < name.size() ||
        source.compare(source.size() - name.size(), name.size(), name) != 0)
        return false;
    return ShellCopyToFolder(source, folder) && FileExists(destination);
}
