#include "engine/file_ops.h"

#include <windows.h>
#include <shellapi.h>

#include "base/files.h"
#include "base/paths.h"

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

// Beyond MAX_PATH only the wide-character copy reaches; the shell stops at
// MAX_PATH, so there is no fallback.
static bool CopyExtendedLengthFile(const std::string& source, const std::string& destination) {
    std::wstring from = ExtendedLengthPath(source);
    std::wstring to = ExtendedLengthPath(destination);
    if (from.empty() || to.empty()) return false;
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    if (CreateFolderTree(FolderOf(destination)) && CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    return FileIsPresent(destination);
}

bool CopyPackageFile(const std::string& source, const std::string& destination) {
    if (NeedsExtendedLength(source) || NeedsExtendedLength(destination))
        return CopyExtendedLengthFile(source, destination);
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
