#include "engine/file_ops.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/handles.h"
#include "engine/text_file.h"

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

int CountScriptLines(const std::string& path) {
    if (!FileIsPresent(path)) return 0;
    return static_cast<int>(ReadTextLines(path).size());
}

static bool FolderExists(const std::string& folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderTree(const std::string& folder) {
    if (folder.empty() || FolderExists(folder)) return !folder.empty();
    size_t cut = folder.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && folder[cut - 1] != ':') CreateFolderTree(folder.substr(0, cut));
    CreateDirectoryA(folder.c_str(), nullptr);
    return FolderExists(folder);
}

// The system takes "/" between names as it takes "\\".
static std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
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

bool CopyPackageFile(const std::string& source, const std::string& destination) {
    std::string folder = FolderOf(destination);
    // The folders are made only when the copy needs them: the outcome is the
    // same, and most copies go to folders that are there already.
    bool copied = CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
    if (!copied && CreateFolderTree(folder)) copied = CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
    // A finished copy is present: it carries the source's time stamp, and every
    // source has passed the existence test. Only a failed one needs looking at.
    if (copied) return true;
    if (!FileIsPresent(destination)) ShellCopyToFolder(source, folder);
    return FileIsPresent(destination);
}
