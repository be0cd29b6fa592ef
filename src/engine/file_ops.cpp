#include "engine/file_ops.h"

#include <windows.h>

#include "base/files.h"
#include "base/paths.h"

namespace {

// Runs between the pieces of a copy, so a long one lets the window live.
DWORD WINAPI CopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                          LPVOID data) {
    const auto& keepGoing = *static_cast<const std::function<bool()>*>(data);
    return keepGoing() ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

bool CopyOnce(const std::string& source, const std::string& destination, const std::function<bool()>& keepGoing) {
    LPPROGRESS_ROUTINE routine = keepGoing ? CopyProgress : nullptr;
    void* data = const_cast<std::function<bool()>*>(&keepGoing);
    if (!NeedsExtendedLength(source) && !NeedsExtendedLength(destination))
        return CopyFileExA(source.c_str(), destination.c_str(), routine, data, nullptr, 0) != 0;
    // Beyond MAX_PATH only the wide-character copy reaches.
    std::wstring from = ExtendedLengthPath(source);
    std::wstring to = ExtendedLengthPath(destination);
    return !from.empty() && !to.empty() && CopyFileExW(from.c_str(), to.c_str(), routine, data, nullptr, 0) != 0;
}

}  // namespace

bool CopyPackageFile(const std::string& source, const std::string& destination, const std::function<bool()>& keepGoing) {
    // The folders are made only when the copy needs them: most copies go to
    // folders that are there already. No shell copy stands in for a failed
    // one: where a folder cannot be made, it would write the file elsewhere.
    if (CopyOnce(source, destination, keepGoing)) return true;
    if (GetLastError() == ERROR_REQUEST_ABORTED || FolderExists(FolderOf(destination))) return false;
    return CreateFolderTree(FolderOf(destination)) && CopyOnce(source, destination, keepGoing);
}
