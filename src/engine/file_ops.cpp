#include "engine/file_ops.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/handles.h"
#include "engine/text_file.h"

bool FileIsPresent(const std::string& path) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (!find.valid()) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    FILETIME local;
    WORD dosDate = 0, dosTime = 0;
    return FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &dosDate, &dosTime);
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
    CreateFolderTree(folder);
    CopyFileA(source.c_str(), destination.c_str(), FALSE);
    if (!FileIsPresent(destination)) ShellCopyToFolder(source, folder);
    return FileIsPresent(destination);
}
